// The Options table.
#include "store/OptionsTable.h"

#include "store/AccountsTable.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TextException.h"

static const char kOptions[] = "Options";
static const char kOptionsSelect[] =
    " \tSELECT \t\tUserID, \t\tDefaultAccountID,  \t\tFlags  \t\tFROM Options WHERE UserID = ?";

const CColumnDesc g_OptionsColumns[] = {
    {"UserID", 1, DBTYPE_I4, 0, "", NULL, 1},
    {"DefaultAccountID", 2, DBTYPE_I4, 0, "", NULL, 1},
    {"Flags", 3, DBTYPE_I4, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 0},
};

COptionsTable::COptionsTable(CSession* pSession) : CTableBase<COptionsRecord>(AccountsSessionFor(pSession))
{
    memset(&m_DefaultAccountID, 0, sizeof(COptionsRecord));
    m_UserID = 1;
}

COptionsTable::~COptionsTable() {}

void COptionsTable::CreateTableIfMissing(CSession* pSession, HWND hOwner)
{
    // The default account refers to Accounts, which must be there first.
    CAccountsTable::CreateTableIfMissing(pSession, hOwner);
    CString strUserID, strDefaultAccountID, strFlags;
    g_OptionsColumns[0].GetDefinition(strUserID);
    g_OptionsColumns[1].GetDefinition(strDefaultAccountID);
    g_OptionsColumns[2].GetDefinition(strFlags);
    CString strStatement = CString("CREATE TABLE ") + kOptions + "(" + strUserID +
                           " CONSTRAINT UniqueUser UNIQUE, " + strDefaultAccountID +
                           " CONSTRAINT FKAcountID REFERENCES Accounts(ID), " + strFlags + ")";
    CreateTableWithStatement(pSession, hOwner, kOptions, strStatement);
}

void COptionsTable::Open(HWND hOwner, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kOptionsNoSession;
    if (!m_bReady)
    {
        CreateTableIfMissing(m_pSession, hOwner);
        EnsureTableSchema(hOwner, m_pSession, kOptions, g_OptionsColumns, m_strError,
                          [this](int nColumn)
                          {
                              if (nColumn != 2)
                                  return false;
                              if (!AddTableColumn(m_pSession, kOptions, g_OptionsColumns[2]))
                                  throw StoreText::kOptionsAlterFailed;
                              return true;
                          });
        m_bReady = 1;
    }
    OpenRowset(hOwner, pszSQL != NULL ? pszSQL : kOptionsSelect);
}

LONG COptionsTable::ReadFlagsOnce(HWND hOwner)
{
    if (m_bFlagsRead)
        return m_nFlagsRead;
    if (m_UserID == 0)
        m_UserID = 1;
    Open(hOwner, NULL);
    m_nFlagsRead = MoveFirst() == S_OK ? m_Flags : 0;
    m_bFlagsRead = true;
    return m_nFlagsRead;
}

void COptionsTable::Reset()
{
    m_bReady = 0;
    m_bFlagsRead = false;
    CloseTable();
    memset(&m_DefaultAccountID, 0, sizeof(COptionsRecord));
    m_UserID = 1;
    Open(NULL, NULL);
}

void COptionsTable::SetDefaultAccountID(HWND hOwner, LONG nAccountID)
{
    CAccountsTable accounts(m_pSession, this);
    if (!accounts.Exists(hOwner, nAccountID))
        throw StoreText::kDefaultAccountMissing;
    Open(hOwner, NULL);
    HRESULT hr;
    if (MoveFirst() == S_OK)
    {
        m_DefaultAccountID = nAccountID;
        hr = SetData();
    }
    else
    {
        m_DefaultAccountID = nAccountID;
        hr = Insert();
    }
    if (FAILED(hr))
        throw new COLEDBException(m_spRowset, IID_IRowsetChange, StoreText::kOptionsOpenFailed, m_pSession,
                                  hOwner, TRUE, NULL, FALSE, TRUE, hr);
}

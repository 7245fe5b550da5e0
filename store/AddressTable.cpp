// The Address table: creation, upgrade, open by message and kind, delete by message.
#include "store/AddressTable.h"

#include "foundation/Exception.h"
#include "foundation/TextServices.h"
#include "store/OLEDBException.h"
#include "store/DatabaseSession.h"
#include "store/MessageStoreTexts.h"
#include "store/MessageTableSupport.h"
#include "store/TableSchema.h"

const CColumnDesc g_AddressColumns[] = {
    {"EmailID", 1, DBTYPE_I4, 0, " NOT NULL CONSTRAINT FK_AddressEmailID REFERENCES Emails (EmailsID)", NULL,
     1},
    {"Name", 2, DBTYPE_STR, 128, "", NULL, 1},
    {"Address", 3, DBTYPE_STR, 128, " NOT NULL", NULL, 1},
    {"Type", 4, DBTYPE_UI1, 0, "", NULL, 1},
    {"Flags", 5, DBTYPE_UI1, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szAddressSelect[] = " \tSELECT \t\tEmailID, \t\tName, \t\tAddress, \t\tType,  \t\tFlags  "
                                 "\t\tFROM Address WHERE EmailID = ? AND Type = ?";

namespace
{
const int COLUMN_FLAGS = 4;
}

CAddressTable::~CAddressTable()
{
    delete m_pDuplicates;
    Close();
}

void CAddressTable::Open(HWND hWndOwner, const char* pszSQL)
{
    if (!HasSession())
        throw MessageStoreText::kNoSessionAddress;
    EnsureTable(hWndOwner);
    OpenRowset(hWndOwner, pszSQL != NULL ? pszSQL : g_szAddressSelect);
}

void CAddressTable::EnsureTable(HWND hWndOwner)
{
    if (m_bReady)
        return;
    CreateTable(m_pSession, hWndOwner);
    CSession* pSession = m_pSession;
    EnsureTableSchema(hWndOwner, m_pSession, "Address", g_AddressColumns, m_strError,
                      [pSession](int nColumn) { return AlterColumn(nColumn, pSession); });
    m_bReady = 1;
}

bool CAddressTable::AlterColumn(int nColumn, CSession* pSession)
{
    if (nColumn != COLUMN_FLAGS)
        return false;
    if (!AddTableColumn(pSession, "Address", g_AddressColumns[nColumn]))
    {
        CString strDefinition;
        g_AddressColumns[nColumn].GetDefinition(strDefinition);
        throw new CException(CString("FATAL ERROR.\r\n") + "ALTER TABLE " + "Address" + " ADD " +
                             strDefinition + "\r\nfailed.");
    }
    return true;
}

void CAddressTable::CreateTable(CSession* pSession, HWND hWndOwner)
{
    CreateTableIfMissing(pSession, hWndOwner, "Address", g_AddressColumns);
}

void CAddressTable::OpenForEmail(LONG nEmailID, HWND hWndOwner, BYTE nType)
{
    ClearRow();
    m_EmailID = nEmailID;
    m_Type = nType;
    Open(hWndOwner);
}

void CAddressTable::DeleteByEmailID(LONG nEmailID, HWND hWnd)
{
    CString strSQL;
    strSQL.Format("DELETE FROM Address WHERE %s = %ld", g_AddressColumns[0].m_pszName, (long)nEmailID);
    GetOwnerDatabase(hWnd, m_pSession)->ExecuteSQL(strSQL, hWnd);
}

void CAddressTable::InsertRecipient(const char* pszEntry, LONG nEmailID, BYTE nType, HWND hWndOwner)
{
    if (pszEntry == NULL || *pszEntry == '\0')
        return;
    Close();
    ClearRow();
    CString strName, strAddress;
    SplitAddress(pszEntry, strName, strAddress);
    if (strAddress.GetLength() >= (int)sizeof(m_Address))
    {
        CString strText;
        strText.Format(MessageStoreText::kAddressTooLong, (const char*)strAddress, (int)sizeof(m_Address));
        throw new COLEDBException(NULL, IID_IUnknown, strText, m_pSession, hWndOwner);
    }
    strcpy(m_Address, strAddress);
    if (strName.GetLength() < (int)sizeof(m_Name))
        strcpy(m_Name, strName);
    m_Type = nType;
    m_EmailID = nEmailID;

    if (m_pDuplicates == NULL)
        m_pDuplicates = new CAddressTable(m_pSession);
    CAddressTable& duplicates = *m_pDuplicates;
    duplicates.ClearRow();
    duplicates.m_EmailID = nEmailID;
    duplicates.m_Type = nType;
    strcpy(duplicates.m_Address, m_Address);
    duplicates.Open(hWndOwner, CString(g_szAddressSelect) + " AND " + g_AddressColumns[2].m_pszName + " = ?");
    bool bPresent = duplicates.MoveNext() == S_OK;
    duplicates.Close();
    if (bPresent)
        return;

    m_Flags |= 0x01;
    Open(hWndOwner);
    HRESULT hr = CCommand<CAccessor<CAddressRecord>>::Insert(0);
    if (FAILED(hr))
    {
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange, MessageStoreText::kInsertAddressFailed,
                                  m_pSession, hWndOwner, FALSE, NULL, FALSE, FALSE, hr);
    }
    Close();
}

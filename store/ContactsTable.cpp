// Contacts: ContactName creation, the joined contact row and its query objects.
#include "store/ContactsTable.h"

#include <stddef.h>
#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "foundation/TextServices.h"
#include "store/OLEDBException.h"
#include "store/SiteTable.h"
#include "store/StoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_ContactNameColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_ID PRIMARY KEY", NULL, 1},
    {"CustomerID", 2, DBTYPE_I4, 0,
     " NOT NULL CONSTRAINT FK_CustomerID REFERENCES Site (SiteID) ON UPDATE CASCADE ON DELETE CASCADE", NULL,
     1},
    {"cTitle", 3, DBTYPE_STR, 100, "", NULL, 1},
    {"cFirstname", 4, DBTYPE_STR, 100, "", NULL, 1},
    {"cInitials", 5, DBTYPE_STR, 40, "", NULL, 1},
    {"cSurname", 6, DBTYPE_STR, 100, "", NULL, 1},
    {"cPosition", 7, DBTYPE_STR, 100, "", NULL, 1},
    {"cEmail", 8, DBTYPE_STR, 100, "", NULL, 1},
    {"cDDI", 9, DBTYPE_STR, 50, "", NULL, 1},
    {"cFamiliar", 10, DBTYPE_STR, 100, "", NULL, 1},
    {"cMobile", 11, DBTYPE_STR, 50, "", NULL, 1},
    {"cIndType1", 12, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType2", 13, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType3", 14, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType4", 15, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType5", 16, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType6", 17, DBTYPE_STR, 100, "", NULL, 1},
    {"cIndType7", 18, DBTYPE_STR, 100, "", NULL, 1},
    {"cNotes", 19, DBTYPE_STR, 1023, "", "LONGTEXT", 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szContactsSelect[] =
    "SELECT ContactName.ID, ContactName.CustomerID, ContactName.cTitle, ContactName.cFirstname, "
    "ContactName.cInitials, ContactName.cSurname, ContactName.cPosition, ContactName.cEmail, ContactName.cDDI, "
    "ContactName.cFamiliar, ContactName.cMobile, ContactName.cIndType1, ContactName.cIndType2, "
    "ContactName.cIndType3, ContactName.cIndType4, ContactName.cIndType5, ContactName.cIndType6, "
    "ContactName.cIndType7, ContactName.cNotes, Site.COMPANY, Site.Address1, Site.Address2, Site.TownCity, "
    "Site.County, Site.Postcode, Site.Tel, Site.Fax, Site.Web, Site.Country, Site.Notes, Site.Ind, Site.Type1, "
    "Site.Type2, Site.Type3, Site.Type4, Site.Type5, Site.AddDate FROM ContactName, Site WHERE "
    "ContactName.CustomerID = Site.SiteID";

const char g_szContactNameSelect[] =
    " \tSELECT \t\tID, \t\tCustomerID, \t\tcTitle, \t\tcFirstname, \t\tcInitials, \t\tcSurname, \t\tcPosition, "
    "\t\tcEmail, \t\tcDDI, \t\tcFamiliar, \t\tcMobile, \t\tcIndType1, \t\tcIndType2, \t\tcIndType3, "
    "\t\tcIndType4, \t\tcIndType5, \t\tcIndType6, \t\tcIndType7, \t\tcNotes \t\tFROM ContactName";

namespace
{
const char kContactName[] = "ContactName";
const char kLookupFailed[] = "FATAL ERROR. Open ContactName table failed!\r\n\r\n";
const char kContactsNoSession[] = "FATAL ERROR. Open Contacts table failed. No session.";
const char kContactsOpenFailed[] = "FATAL ERROR. Open Contacts table failed!\r\n\r\n";
const char kNoContactEmail[] = "The email address of the Contact is not present."; // string 234
const struct
{
    const char* pszIndex;
    const char* pszColumn;
} kContactIndexes[] = {{"idxCustomerID", "CustomerID"}, {"idxSurname", "cSurname"},   {"idxDDI", "cDDI"},
                       {"idxMobile", "cMobile"},         {"idxIndType1", "cIndType1"}, {"idxIndType2", "cIndType2"},
                       {"idxIndType3", "cIndType3"},     {"idxIndType4", "cIndType4"}, {"idxIndType5", "cIndType5"},
                       {"idxIndType6", "cIndType6"},     {"idxIndType7", "cIndType7"}};
} // namespace

void CContactRecord::ZeroAll()
{
    memset((void*)this, 0, offsetof(CContactRecord, m_strListText));
}

void CContactRecord::Clear()
{
    VARIANT_BOOL ind = m_Ind;
    DATE addDate = m_AddDate;
    ZeroAll();
    m_Ind = ind;
    m_AddDate = addDate;
    m_strListText.Empty();
}

CString CContactRecord::GetFullName() const
{
    CString strName = m_cFirstname;
    if (m_cSurname[0] != '\0')
    {
        if (!strName.IsEmpty())
            strName += " ";
        strName += m_cSurname;
    }
    return strName;
}

CString CContactRecord::GetRecipientText() const
{
    CString strText;
    CString strName = GetFullName();
    if (!strName.IsEmpty())
        strText = "\"" + strName + "\" ";
    if (m_cEmail[0] == '\0')
        AppMessageBox(kNoContactEmail, MB_ICONINFORMATION);
    return strText + "<" + m_cEmail + ">";
}

int CContactRecord::Compare(const CContactRecord& other, int nColumn, BOOL bAscending) const
{
    const char* pszThis;
    const char* pszOther;
    switch (nColumn)
    {
    case 0: pszThis = m_strListText; pszOther = other.m_strListText; break;
    case 1: pszThis = m_cEmail; pszOther = other.m_cEmail; break;
    case 2: pszThis = m_Company; pszOther = other.m_Company; break;
    case 3: pszThis = m_cPosition; pszOther = other.m_cPosition; break;
    case 4: pszThis = m_cDDI; pszOther = other.m_cDDI; break;
    case 5: pszThis = m_cMobile; pszOther = other.m_cMobile; break;
    default: return 0;
    }
    return bAscending ? lstrcmpiA(pszThis, pszOther) : lstrcmpiA(pszOther, pszThis);
}

void CContactsTable::OpenQuery(CSession* pSession, const char* pszSQL, CDBPropSet* pPropSet)
{
    OpenCommandWithReconnect(*this, pSession, NULL, pszSQL != NULL ? pszSQL : g_szContactsSelect, pPropSet,
                             m_bPrepared);
}

void CContactsTableHolder::Open(HWND hOwner, const char* pszSQL)
{
    if (m_pSession == NULL || m_pSession->m_spOpenRowset == NULL)
        throw kContactsNoSession;
    CString strSQL = pszSQL != NULL ? pszSQL : g_szContactsSelect;
    for (int nAttempt = 1;; nAttempt++)
    {
        CloseTable();
        HRESULT hr = CCommand<CAccessor<CContactRecord>>::Open(*m_pSession, strSQL);
        if (SUCCEEDED(hr))
            return;
        if (nAttempt == 2)
            throw new COLEDBException(m_spRowset, IID_IRowset, CString(kContactsOpenFailed) + strSQL + "\r\n\r\n",
                                      m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr, m_spCommand);
        // A first start: the tables do not exist yet. Site first, ContactName refers to it.
        CSiteTable::Create(m_pSession, hOwner);
        CContactNameTable::Create(m_pSession, hOwner);
    }
}

void CContactsTableHolder::OpenFiltered(HWND hOwner)
{
    Open(hOwner, BuildContactsSelect(hOwner));
}

bool CContactsTableHolder::ReadContact(LONG nID, HWND hOwner)
{
    Clear();
    m_ID = nID;
    Open(hOwner, CString(g_szContactsSelect) + " AND ContactName.ID = ?");
    return MoveFirst() == S_OK;
}

bool CContactsTableHolder::FindByEmail(const char* pszAddress, HWND hOwner)
{
    CString strQuoted = SqlQuote(pszAddress != NULL ? pszAddress : "");
    if (strQuoted.IsEmpty())
        return false;
    Close();
    Clear();
    Open(hOwner, CString(g_szContactsSelect) + " AND " + kContactName + ".cEmail = '" + strQuoted + "'");
    return MoveFirst() == S_OK;
}

CString BuildContactsSelect(HWND hOwner)
{
    static const UINT s_uGetRegistry = RegisterWindowMessageA("LetrovaGetRegistry");
    CRegistry* pRegistry = NULL;
    if (hOwner != NULL)
        ::SendMessage(hOwner, s_uGetRegistry, (WPARAM)&pRegistry, 0);
    bool bOnlyWithEmail = pRegistry != NULL ? pRegistry->m_bOnlyWithEmail != 0 : true;
    CString strSQL = g_szContactsSelect;
    if (bOnlyWithEmail)
        strSQL += CString(" AND ") + kContactName + ".cEmail <> ''";
    return strSQL;
}

void CContactNameTable::Open(HWND hOwner, const char* pszTable, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureSchema(hOwner);
    const char* pszText = pszSQL != NULL ? pszSQL : g_szContactNameSelect;
    Close();
    m_bLookupParams = false;
    try
    {
        OpenRowset(hOwner, pszText);
    }
    catch (COLEDBException* pException)
    {
        pException->m_strMessage = CString("FATAL ERROR. Open ") + (pszTable != NULL ? pszTable : kContactName) +
                                   " table failed!\r\n\r\n" + pszText + "\r\n\r\n";
        throw;
    }
}

BOOL CContactNameTable::OpenByID(CSession*, LONG nID, HWND hOwner)
{
    Close();
    ClearRecord();
    m_ID = nID;
    Open(hOwner, kContactName, CString(g_szContactNameSelect) + " WHERE " + kContactName + ".ID = ?");
    return MoveFirst() == S_OK;
}

void CContactNameTable::EnsureSchema(HWND hOwner)
{
    if (m_bReady)
        return;
    CSiteTable::Create(m_pSession, hOwner);
    Create(m_pSession, hOwner);
    // No column of this table is added by later versions: a mismatch is not repaired, only reported.
    EnsureTableSchema(hOwner, m_pSession, kContactName, g_ContactNameColumns, m_strError,
                      [](int) { return false; });
    m_bReady = 1;
}

void CContactNameTable::PrepareLookup(const char* pszWhere, HWND hOwner)
{
    Close();
    CString strSQL = CString(g_szContactNameSelect) + pszWhere;
    HRESULT hr = CCommandBase::Create(*m_pSession, strSQL);
    if (SUCCEEDED(hr))
        hr = Prepare(0);
    if (FAILED(hr))
    {
        COLEDBException* pException =
            new COLEDBException(m_spCommand, IID_ICommand, CString(kLookupFailed), m_pSession, hOwner, TRUE, NULL,
                                FALSE, TRUE, hr);
        Close();
        throw pException;
    }
    m_bPrepared = true;
    m_bLookupPrepared = true;
}

void CContactNameTable::ExecuteLookup()
{
    // A look-up that was never prepared has no command to run: executing one would be a null command.
    if (!m_bLookupPrepared || m_spCommand == NULL)
        throw new COLEDBException(NULL, IID_ICommand, CString(kLookupFailed), m_pSession, NULL, TRUE, NULL, FALSE,
                                  TRUE, E_UNEXPECTED);
    CDBPropSet propSet(DBPROPSET_ROWSET);
    SetChangeableRowsetProps(propSet);
    m_bLookupParams = true;
    HRESULT hr = CCommand<CAccessor<CContactNameRecord>>::Open(&propSet, NULL, true, 1);
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand, CString(kLookupFailed), m_pSession, NULL, TRUE, NULL,
                                  FALSE, TRUE, hr);
}

void CContactNameTable::Close()
{
    CTableBase<CContactNameRecord>::CloseTable();
    m_bLookupPrepared = false;
}

void CContactNameTable::Create(CSession* pSession, HWND hOwner)
{
    if (TableExists(pSession, kContactName))
        return;
    CreateTableIfMissing(pSession, hOwner, kContactName, g_ContactNameColumns);
    for (const auto& index : kContactIndexes)
        CreateTableIndex(pSession, kContactName, index.pszIndex, index.pszColumn);
}

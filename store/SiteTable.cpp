// The Site table: schema, creation with its indexes, open and the two-key lookup.
#include "store/SiteTable.h"

#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TableSchema.h"
#include "store/TextException.h"

const CColumnDesc g_SiteColumns[] = {
    {"SiteID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_SID PRIMARY KEY", NULL, 1},
    {"COMPANY", 2, DBTYPE_STR, 100, "", NULL, 1},
    {"ADDRESS1", 3, DBTYPE_STR, 100, "", NULL, 1},
    {"ADDRESS2", 4, DBTYPE_STR, 100, "", NULL, 1},
    {"TOWNCITY", 5, DBTYPE_STR, 100, "", NULL, 1},
    {"COUNTY", 6, DBTYPE_STR, 100, "", NULL, 1},
    {"POSTCODE", 7, DBTYPE_STR, 40, "", NULL, 1},
    {"TEL", 8, DBTYPE_STR, 50, "", NULL, 1},
    {"FAX", 9, DBTYPE_STR, 50, "", NULL, 1},
    {"Web", 10, DBTYPE_STR, 100, "", NULL, 1},
    {"Country", 11, DBTYPE_STR, 50, "", NULL, 1},
    {"NOTES", 12, DBTYPE_STR, 1023, "", "LONGTEXT", 1},
    {"Ind", 13, DBTYPE_BOOL, 0, "", NULL, 1},
    {"Type1", 14, DBTYPE_STR, 75, "", NULL, 1},
    {"Type2", 15, DBTYPE_STR, 75, "", NULL, 1},
    {"Type3", 16, DBTYPE_STR, 75, "", NULL, 1},
    {"Type4", 17, DBTYPE_STR, 75, "", NULL, 1},
    {"Type5", 18, DBTYPE_STR, 75, "", NULL, 1},
    {"AddDate", 19, DBTYPE_DATE, 0, " DEFAULT NOW()", NULL, 1},
    {"Locked", 20, DBTYPE_STR, 75, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szSiteSelect[] = "SELECT  SiteID, Company, Address1, Address2, TownCity, County, Postcode, Tel, Fax, "
                              "Web, Country, Notes, Ind, Type1, Type2, Type3, Type4, Type5, AddDate, Locked FROM Site";

namespace
{
const char kSite[] = "Site";
const struct
{
    const char* pszIndex;
    const char* pszColumn;
} kSiteIndexes[] = {{"idxCompany", "Company"}, {"idxPostcode", "Postcode"}, {"idxTel", "Tel"},
                    {"idxType1", "Type1"},     {"idxType2", "Type2"},       {"idxType3", "Type3"},
                    {"idxType4", "Type4"},     {"idxType5", "Type5"}};
const char kCompanyTooLong[] = "The company name \r\n\r\n'%s'\r\n\r\ntoo long. Maximal company name length is %d "
                               "letters. Do you want to cut company name to\r\n\r\n'%s'?"; // string 329
const char kStopByUser[] = "Stop by user";                                                   // string 291
const int kMaxCompany = 100;
const int kMaxPostcode = 40;

DATE LocalNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    DATE date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}
} // namespace

// Creates one index of a table made just now; a failure names the index.
void CreateTableIndex(CSession* pSession, const char* pszTable, const char* pszIndex, const char* pszColumn)
{
    CString strSQL = CString("CREATE INDEX ") + pszIndex + " ON " + pszTable + " (" + pszColumn + ")";
    CCommand<CNoAccessor, CNoRowset> command;
    if (FAILED(command.Open(*pSession, strSQL, NULL, NULL, DBGUID_DEFAULT, false)))
        ThrowText(CString("FATAL ERROR. Create ") + pszIndex + " index failed.");
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n" + strSQL);
}

void CSiteRecord::Clear()
{
    memset((void*)this, 0, sizeof(CSiteRecord));
    m_AddDate = LocalNow();
    m_Ind = VARIANT_TRUE;
}

void CSiteTable::Open(HWND hOwner, const char*, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    m_bKeysPrepared = 0;
    OpenRowset(hOwner, pszSQL != NULL && pszSQL[0] != '\0' ? pszSQL : g_szSiteSelect);
}

void CSiteTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    Create(m_pSession, hOwner);
    EnsureTableSchema(hOwner, m_pSession, kSite, g_SiteColumns, m_strError, [](int) { return false; });
    m_bReady = 1;
}

void CSiteTable::Create(CSession* pSession, HWND hOwner)
{
    if (TableExists(pSession, kSite))
        return;
    CreateTableIfMissing(pSession, hOwner, kSite, g_SiteColumns);
    for (const auto& index : kSiteIndexes)
        CreateTableIndex(pSession, kSite, index.pszIndex, index.pszColumn);
    CSiteTableHolder first(pSession);
    first.m_bReady = 1; // just created: no second creation and check
    first.Open(hOwner);
}

void CSiteTable::SelectByKeys(HWND hOwner, const char* pszCompany, const char* pszPostcode)
{
    if (!m_bKeysPrepared)
    {
        if (!HasSession())
            throw StoreText::kNoSession;
        EnsureTable(hOwner);
        CloseTable();
        CString strSQL = CString(g_szSiteSelect) + " WHERE " + g_SiteColumns[1].m_pszName + " = ? AND " +
                         g_SiteColumns[6].m_pszName + " = ?";
        HRESULT hr = CCommand<CAccessor<CSiteRecord>>::Create(*m_pSession, strSQL);
        if (SUCCEEDED(hr))
            hr = Prepare();
        if (FAILED(hr))
            throw new COLEDBException(m_spCommand, IID_ICommand,
                                      CString(StoreText::kOpenNamedTableFailed1) + kSite +
                                          StoreText::kOpenNamedTableFailed2,
                                      m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr);
        m_bPrepared = true;
        m_bKeysPrepared = 1;
    }
    CCommand<CAccessor<CSiteRecord>>::Close();
    Clear();

    CString strCompany = pszCompany != NULL ? pszCompany : "";
    if (strCompany.GetLength() > kMaxCompany)
    {
        CString strCut = strCompany.Left(kMaxCompany);
        CString strQuestion;
        strQuestion.Format(kCompanyTooLong, (const char*)strCompany, kMaxCompany, (const char*)strCut);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
            throw new CException(kStopByUser, "");
        strCompany = strCut;
    }
    lstrcpynA(m_Company, strCompany, sizeof(m_Company));
    // The postcode column holds 40 characters: a longer key is cut as the company is, never overrun.
    CString strPostcode = pszPostcode != NULL ? pszPostcode : "";
    lstrcpynA(m_Postcode, strPostcode.Left(kMaxPostcode), sizeof(m_Postcode));

    CDBPropSet propSet(DBPROPSET_ROWSET);
    SetChangeableRowsetProps(propSet);
    HRESULT hr = CCommand<CAccessor<CSiteRecord>>::Open(&propSet);
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand,
                                  CString(StoreText::kOpenNamedTableFailed1) + kSite +
                                      StoreText::kOpenNamedTableFailed2,
                                  m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr);
}

// The History table: schema, creation and open.
#include "store/HistoryTable.h"

#include "store/StoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_HistoryColumns[] = {
    {"HistID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_HistID PRIMARY KEY", NULL, 1},
    {"SiteID", 2, DBTYPE_I4, 0,
     " NOT NULL CONSTRAINT FK_SiteMergeID REFERENCES Site (SiteID) ON UPDATE CASCADE ON DELETE CASCADE", NULL, 1},
    {"HDate", 3, DBTYPE_DATE, 0, "", NULL, 1},
    {"HType", 4, DBTYPE_STR, 100, "", NULL, 1},
    {"HDirection", 5, DBTYPE_STR, 20, "", NULL, 1},
    {"HItem", 6, DBTYPE_STR, 255, "", NULL, 1},
    {"HLocation", 7, DBTYPE_STR, 255, "", NULL, 1},
    {"HWorkstation", 8, DBTYPE_STR, 50, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

namespace
{
const char kHistorySelect[] = "SELECT * FROM History";
}

void CHistoryTable::Open(HWND hOwner, const char*, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    OpenRowset(hOwner, pszSQL != NULL ? pszSQL : kHistorySelect);
}

void CHistoryTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    CreateTable(m_pSession, hOwner);
    // No column is ever added to History: a table that lacks one is an error.
    EnsureTableSchema(hOwner, m_pSession, "History", g_HistoryColumns, m_strError, [](int) { return false; });
    m_bReady = 1;
}

void CHistoryTable::CreateTable(CSession* pSession, HWND hOwner, const char* pszTable)
{
    CreateTableIfMissing(pSession, hOwner, pszTable, g_HistoryColumns);
}

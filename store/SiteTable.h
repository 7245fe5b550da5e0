// The Site table: the companies of the address book, its row, its table object with the two-key lookup.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_SiteColumns[];

// "CREATE INDEX index ON table (column)" on a table made just now; a failure throws the text that names
// the index. Traced when tracing is on.
void CreateTableIndex(CSession* pSession, const char* pszTable, const char* pszIndex, const char* pszColumn);
extern const char g_szSiteSelect[];

class CSiteRecord
{
public:
    CSiteRecord() { Clear(); }

    // All zero, AddDate now, Ind true.
    void Clear();

    LONG m_SiteID;
    char m_Company[101];
    char m_Address1[101];
    char m_Address2[101];
    char m_TownCity[101];
    char m_County[101];
    char m_Postcode[41];
    char m_Tel[51];
    char m_Fax[51];
    char m_Web[101];
    char m_Country[51];
    char m_Notes[1024];
    VARIANT_BOOL m_Ind;
    char m_Type1[76];
    char m_Type2[76];
    char m_Type3[76];
    char m_Type4[76];
    char m_Type5[76];
    DATE m_AddDate;
    char m_Locked[76];

    // clang-format off
    BEGIN_ACCESSOR_MAP(CSiteRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_Company)
            COLUMN_ENTRY(3, m_Address1)
            COLUMN_ENTRY(4, m_Address2)
            COLUMN_ENTRY(5, m_TownCity)
            COLUMN_ENTRY(6, m_County)
            COLUMN_ENTRY(7, m_Postcode)
            COLUMN_ENTRY(8, m_Tel)
            COLUMN_ENTRY(9, m_Fax)
            COLUMN_ENTRY(10, m_Web)
            COLUMN_ENTRY(11, m_Country)
            COLUMN_ENTRY(12, m_Notes)
            COLUMN_ENTRY_TYPE(13, DBTYPE_BOOL, m_Ind)
            COLUMN_ENTRY(14, m_Type1)
            COLUMN_ENTRY(15, m_Type2)
            COLUMN_ENTRY(16, m_Type3)
            COLUMN_ENTRY(17, m_Type4)
            COLUMN_ENTRY(18, m_Type5)
            COLUMN_ENTRY(19, m_AddDate)
            COLUMN_ENTRY(20, m_Locked)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_SiteID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CSiteRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_Company)
        COLUMN_ENTRY(2, m_Postcode)
    END_PARAM_MAP()
    // clang-format on
};

class CSiteTable : public CTableBase<CSiteRecord>
{
public:
    explicit CSiteTable(CSession* pSession) : CTableBase<CSiteRecord>(pSession) {}
    virtual ~CSiteTable() {}

    // Site rows of pszSQL (NULL: the default query) as a changeable rowset.
    void Open(HWND hOwner, const char* pszTable = "Site", const char* pszSQL = NULL);
    // Creation and schema check, once per object.
    void EnsureTable(HWND hOwner);
    // Creates the table with its eight indexes when it is missing.
    static void Create(CSession* pSession, HWND hOwner);
    // Positions on the rows of that company and postcode. A company name longer than the column asks
    // whether to cut it; No throws the CException "Stop by user". The statement is prepared once.
    void SelectByKeys(HWND hOwner, const char* pszCompany, const char* pszPostcode);

    CString m_strText;
    // Set while the command is the prepared two-key lookup; any other open replaces it.
    int m_bKeysPrepared = 0;
};

// The Site table as the database object holds it.
class CSiteTableHolder : public CSiteTable
{
public:
    explicit CSiteTableHolder(CSession* pSession) : CSiteTable(pSession) {}
};

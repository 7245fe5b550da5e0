// The History table of the central database: per company, the messages sent and received for it.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_HistoryColumns[];

class CHistoryRecord
{
public:
    LONG m_HistID = 0;
    DATE m_HDate = 0;
    char m_HDirection[21] = {};
    char m_HItem[256] = {};
    char m_HLocation[256] = {};
    char m_HType[101] = {};
    char m_HWorkstation[51] = {};
    LONG m_SiteID = 0;

    // clang-format off
    BEGIN_ACCESSOR_MAP(CHistoryRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_SiteID)
            COLUMN_ENTRY(3, m_HDate)
            COLUMN_ENTRY(4, m_HType)
            COLUMN_ENTRY(5, m_HDirection)
            COLUMN_ENTRY(6, m_HItem)
            COLUMN_ENTRY(7, m_HLocation)
            COLUMN_ENTRY(8, m_HWorkstation)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_HistID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CHistoryRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_HistID)
    END_PARAM_MAP()
    // clang-format on
};

class CHistoryTable : public CTableBase<CHistoryRecord>
{
public:
    explicit CHistoryTable(CSession* pSession) : CTableBase<CHistoryRecord>(pSession) {}
    virtual ~CHistoryTable() {}

    // pszSQL NULL: "SELECT * FROM History". Creates the table first when it is missing.
    void Open(HWND hOwner, const char* pszTable = "History", const char* pszSQL = NULL);
    void EnsureTable(HWND hOwner);
    // The table refers to Site, which must exist already.
    static void CreateTable(CSession* pSession, HWND hOwner, const char* pszTable = "History");
};

// The Attachments table: the attached files of each stored message, by name and size.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/TableBase.h"

class CAttachmentsRecord
{
public:
    LONG m_ID = 0;
    LONG m_EmailID = 0;
    char m_Name[256] = {};
    LONG m_FileSize = 0;

    BEGIN_ACCESSOR_MAP(CAttachmentsRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_Name)
            COLUMN_ENTRY(3, m_EmailID)
            COLUMN_ENTRY(4, m_FileSize)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CAttachmentsRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_EmailID)
    END_PARAM_MAP()
};

// Every open yields the attachments of the message whose ID stands in the record's EmailID.
extern const char g_szAttachmentsSelect[];
extern const char g_szAttachmentsCreate[];

class CAttachmentsTable : public CTableBase<CAttachmentsRecord>
{
public:
    explicit CAttachmentsTable(CSession* pSession) : CTableBase<CAttachmentsRecord>(pSession) {}

    void Open(HWND hWndOwner, const char* pszSQL = NULL);
    void Insert(LONG nEmailID, const char* pszName, HWND hWndOwner, LONG nFileSize);
    void DeleteByEmailID(LONG nEmailID, HWND hWndOwner);
    static void CreateTable(CSession* pSession, HWND hWndOwner);
    void Close() { CloseTable(); }
};

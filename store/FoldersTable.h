// The Folders table: folder rows with parent, type and counters, and the table objects over them.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_FoldersColumns[];
extern const char g_szFoldersSelect[];

// Folder types (Type); 0-5 exist at most once.
enum
{
    FOLDER_LOCAL_FOLDERS = 0,
    FOLDER_INBOX = 1,
    FOLDER_OUTBOX = 2,
    FOLDER_SENT_ITEMS = 3,
    FOLDER_DELETED_ITEMS = 4,
    FOLDER_DRAFTS = 5,
    FOLDER_COMPANY = 6,
    FOLDER_NONE = 7,
    FOLDER_ALL_EMAILS = 8,
    FOLDER_ADDRESS_BOOK = 9,
    FOLDER_COMPANIES = 10,
    FOLDER_CALLER_LAST = 12, // 9 to 12 carry the caller's name
    FOLDER_IMAP_ACCOUNT = 13,
    FOLDER_IMAP_FIRST = 14,
    FOLDER_IMAP_LAST = 15
};

class CFoldersRecord
{
public:
    LONG m_ID = 0;
    char m_Name[101] = {};
    LONG m_OwnerID = 0;
    LONG m_Type = 0;
    LONG m_nUnread = 0;
    LONG m_nMessagesNumber = 0;
    char m_szParam2[256] = {}; // the text parameter of the two-key selection, not a column
    LONG m_Flags = 0;

    BEGIN_ACCESSOR_MAP(CFoldersRecord, 4)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_OwnerID)
            COLUMN_ENTRY(3, m_Name)
            COLUMN_ENTRY(4, m_Type)
            COLUMN_ENTRY(5, m_nUnread)
            COLUMN_ENTRY(6, m_nMessagesNumber)
            COLUMN_ENTRY(7, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(2, true)
            COLUMN_ENTRY(6, m_nMessagesNumber)
        END_ACCESSOR()
        BEGIN_ACCESSOR(3, true)
            COLUMN_ENTRY(7, m_Flags)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CFoldersRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_ID)
        COLUMN_ENTRY(2, m_szParam2)
    END_PARAM_MAP()

    void ClearRow();
};

class CFoldersCommand : public CTableBase<CFoldersRecord>
{
public:
    explicit CFoldersCommand(CSession* pSession) : CTableBase<CFoldersRecord>(pSession) {}

    // Prepares the SELECT of every column followed by pszWhere.
    void CreateSelect(const char* pszWhere);
    // Runs the prepared selection with the parameters now in the record.
    void Execute();
};

class CFoldersTable : public CFoldersCommand
{
public:
    explicit CFoldersTable(CSession* pSession) : CFoldersCommand(pSession) {}
    virtual ~CFoldersTable() {}

    void Open(HWND hWndOwner, const char* pszTable = "Folders", const char* pszSQL = NULL);
    void EnsureTable(HWND hWndOwner);
    // Creates the table when it is missing, then the message tables and the default folders.
    static void CreateTable(CSession* pSession, HWND hWndOwner);
    static bool AlterColumn(int nColumn, CSession* pSession);
    // Positions on the folders of this type and name (cut to 255 characters).
    void SelectByTypeAndName(LONG nType, const char* pszName);
    // Positions on the folder of that ID; without a row the record stays cleared. The selection is prepared
    // once and kept for the next look-up.
    void OpenByID(LONG nID);
    // The first folder under nOwnerID (with that name, unless pszName is NULL) becomes the current row: 1.
    // 0 when there is none, -1 when the selection cannot run. Names are compared as the column keeps them.
    int FindByOwnerAndName(HWND hWndOwner, LONG nOwnerID, const char* pszName);
    // Inserts a folder row under nOwnerID and leaves it as the current row; the name is cut to the column.
    void InsertFolder(HWND hWndOwner, LONG nOwnerID, const char* pszName, LONG nType);
    void Close()
    {
        CloseTable();
        m_bTypeAndNamePrepared = false;
        m_bByIDPrepared = false;
    }

    CString m_strText;
    // Set while the command is the prepared two-key selection; any other open replaces it.
    bool m_bTypeAndNamePrepared = false;
    bool m_bByIDPrepared = false;
};

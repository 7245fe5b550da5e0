// Shared pieces of the store tests: a scratch folder, scripted answers for message boxes and the database
// dialogs, and a session on a new database file.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <deque>
#include <string>
#include <vector>

// A fresh, empty folder under the temporary folder, removed with its files at the end.
class CScratchFolder
{
public:
    explicit CScratchFolder(const char* pszName);
    ~CScratchFolder();
    CString Path(const char* pszFile) const { return m_strPath + pszFile; }

    CString m_strPath; // with its trailing backslash
};

// Every message box, database dialog and exception dialog is recorded; boxes and dialogs are answered from
// queues (IDYES/IDOK when empty).
class CScriptedUser
{
public:
    struct DialogAnswer
    {
        INT_PTR nResult;
        std::string strPath;       // empty keeps the path
        int nPrivateContacts = -1; // the central dialog's check box: -1 leaves it alone
    };

    CScriptedUser();
    ~CScriptedUser();

    std::deque<int> m_boxAnswers;
    std::deque<DialogAnswer> m_dialogAnswers;
    std::vector<std::string> m_boxes;
    std::vector<std::pair<int, std::string>> m_dialogs; // dialog id, prompt
    std::vector<std::string> m_exceptionDialogs;

    static CScriptedUser* s_pCurrent;
};

// Creates an empty database file.
bool CreateDatabaseFile(const char* pszPath);
// Opens a session on a database file.
HRESULT OpenSession(const char* pszPath, CSession& session);
// Runs one statement; false on failure.
bool Execute(CSession& session, const char* pszSQL);
// Column names of a table in ordinal order.
std::vector<std::string> ColumnNames(CSession& session, const char* pszTable);
// The first column of the first row of a query as an integer; -1 when there is no row.
long QueryLong(CSession& session, const char* pszSQL);

// A local database in a fresh file for each test, and helpers to put messages into it.
#pragma once

#include <windows.h>

#include <string>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"

class CTestDatabase : public CDatabaseSession
{
public:
    CTestDatabase();
    virtual ~CTestDatabase();

    // Creates the file when it is missing and opens a session on it.
    void OpenFile(const CString& strPath);

    CString GetKindName() override { return "Local"; }
    void SetFileName() override {}
    int ReportOpenFailure() override { return 1; }

    CSession* Session() { return &m_session; }
    // Runs a statement that must succeed.
    void Exec(const char* pszSQL);
    // The single integer a "SELECT COUNT(*) ..." style statement gives; -1 when it gives no row.
    LONG QueryLong(const char* pszSQL);
};

// A unique file name in the temporary folder, removed again by the destructor.
class CTempDatabasePath
{
public:
    explicit CTempDatabasePath(const char* pszTag);
    ~CTempDatabasePath();
    CString m_strPath;
};

// A read-only stream over bytes, as the insert of a message hands the text to the Message column.
ISequentialStream* NewTextStream(const std::string& bytes);

struct CTestMessage
{
    LONG nFolderID = 0;
    std::string text;
    const char* pszSubject = "";
    const char* pszRef = "";
    const char* pszMessageID = "";
    const char* pszUniqueID = "";
    LONG nFlags = 0;
    DATE date = 0; // 0: now
};

// Inserts the message through the store and returns its new EmailsID.
template <class TAccessor> LONG InsertTestMessage(CEmailsImpl<TAccessor>& store, const CTestMessage& message)
{
    store.OpenByFolder(message.nFolderID, NULL);
    store.Clear();
    store.m_FolderID = message.nFolderID;
    strncpy(store.m_Subject, message.pszSubject, sizeof(store.m_Subject) - 1);
    strncpy(store.m_Ref, message.pszRef, sizeof(store.m_Ref) - 1);
    strncpy(store.m_MessageID, message.pszMessageID, sizeof(store.m_MessageID) - 1);
    strncpy(store.m_UniqueID, message.pszUniqueID, sizeof(store.m_UniqueID) - 1);
    store.m_Flags = message.nFlags;
    if (message.date != 0)
        store.m_EmDate = message.date;
    store.m_pMessage = NewTextStream(message.text);
    store.m_MessageLength = message.text.size();
    store.m_MessageStatus = DBSTATUS_S_OK;
    HRESULT hr = store.Insert(0);
    store.m_pMessage = NULL; // the provider owns the stream after the insert
    if (FAILED(hr) || store.MoveLast(1) != S_OK)
        return -1;
    return store.m_EmailsID;
}

DATE MakeDate(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond);

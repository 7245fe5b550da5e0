// Stores messages of realistic size through the message store and reads them back by folder, beside raw
// SQLite doing the same inserts and selects on a file of its own; prints messages per second and the ratio.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include <sqlite3.h>

#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "StoreTestDatabase.h"

namespace
{
const int kFolders = 4;
// Each message costs the store a read transaction of its own, whose file locks go through the Wine server and
// slow down by whole factors while the machine is busy: the best of a few passes counts, on both sides.
const int kReadRounds = 3;

double Seconds()
{
    static LARGE_INTEGER s_frequency = {};
    if (s_frequency.QuadPart == 0)
        QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)s_frequency.QuadPart;
}

// Header of a received message and a body of 1 to 24 KB, varied but repeatable.
std::vector<std::string> MakeMessages(int nCount)
{
    std::vector<std::string> messages;
    unsigned nSeed = 12345;
    for (int i = 0; i < nCount; i++)
    {
        nSeed = nSeed * 1103515245 + 12345;
        char szHeader[512];
        snprintf(szHeader, sizeof(szHeader),
                 "Received: from mail%d.example.com by mx.example.org; Tue, 5 Mar 2002 10:20:30 +0300\r\n"
                 "From: Sender %d <sender%d@example.com>\r\nTo: reader@example.org\r\n"
                 "Subject: Message number %d\r\nDate: Tue, 5 Mar 2002 10:20:30 +0300\r\n"
                 "Message-ID: <%d.bench@example.com>\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n",
                 i % 97, i % 31, i % 31, i, i);
        std::string text = szHeader;
        size_t nBody = 1024 + (nSeed >> 8) % (23 * 1024);
        while (text.size() < nBody)
            text += "The quick brown fox jumps over the lazy dog, line of a realistic message body.\r\n";
        messages.push_back(text);
    }
    return messages;
}

struct CTimes
{
    double dInsert = 0;
    double dRead = 0;
    size_t nBytesRead = 0;
};

CTimes RunStore(const std::vector<std::string>& messages, const CString& strPath)
{
    CTestDatabase db;
    db.OpenFile(strPath);
    CFolders folders(db.Session());
    LONG folderIDs[kFolders];
    for (int i = 0; i < kFolders; i++)
        folderIDs[i] = folders.GetSystemFolder(FOLDER_INBOX + i, NULL);

    CTimes times;
    double dStart = Seconds();
    CEmailsImpl<> store(db.Session());
    store.Open(NULL, "Emails", CString(g_szEmailsSelect) + " WHERE EmailsID = 0");
    for (size_t i = 0; i < messages.size(); i++)
    {
        store.Clear();
        store.m_FolderID = folderIDs[i % kFolders];
        snprintf(store.m_Subject, sizeof(store.m_Subject), "Message number %d", (int)i);
        snprintf(store.m_Ref, sizeof(store.m_Ref), "Sender %d <sender%d@example.com>", (int)i % 31,
                 (int)i % 31);
        snprintf(store.m_MessageID, sizeof(store.m_MessageID), "%d.bench@example.com", (int)i);
        store.m_pMessage = NewTextStream(messages[i]);
        store.m_MessageLength = messages[i].size();
        store.m_MessageStatus = DBSTATUS_S_OK;
        HRESULT hr = store.Insert(0);
        store.m_pMessage = NULL;
        if (FAILED(hr) || store.MoveLast(1) != S_OK)
        {
            printf("store insert %d failed\n", (int)i);
            exit(1);
        }
    }
    store.Close();
    times.dInsert = Seconds() - dStart;

    times.dRead = 1e9;
    for (int nRound = 0; nRound < kReadRounds; nRound++)
    {
        times.nBytesRead = 0;
        dStart = Seconds();
        for (int i = 0; i < kFolders; i++)
        {
            store.OpenByFolder(folderIDs[i], NULL);
            while (store.MoveNext(0, 1) == S_OK)
                times.nBytesRead += store.m_strMessage.GetLength();
        }
        double dRead = Seconds() - dStart;
        times.dRead = dRead < times.dRead ? dRead : times.dRead;
    }
    return times;
}

void Check(int rc, sqlite3* db, const char* pszWhat)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    {
        printf("raw SQLite %s failed: %s\n", pszWhat, sqlite3_errmsg(db));
        exit(1);
    }
}

CTimes RunRaw(const std::vector<std::string>& messages, const CString& strPath)
{
    sqlite3* db = NULL;
    Check(sqlite3_open_v2(strPath, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, NULL), db, "open");
    sqlite3_busy_timeout(db, 5000);
    // The settings the layer gives a local file.
    Check(sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", NULL, NULL,
                       NULL),
          db, "pragma");
    Check(sqlite3_exec(
              db,
              "CREATE TABLE Folders(ID INTEGER PRIMARY KEY AUTOINCREMENT, OwnerID INTEGER NOT NULL, Name "
              "TEXT NOT NULL, Type INTEGER NOT NULL, nUnread INTEGER, nMessagesNumber INTEGER, Flags "
              "INTEGER);"
              "CREATE TABLE Emails(EmailsID INTEGER PRIMARY KEY AUTOINCREMENT, EmDate REAL, Criteria TEXT, "
              "Quantity INTEGER, Subject TEXT, Message BLOB, Ref TEXT, Status TEXT, FolderID INTEGER NOT "
              "NULL REFERENCES Folders (ID), Flags INTEGER, MessageID TEXT, UniqueID TEXT, AccountID "
              "INTEGER, Encode INTEGER);"
              "INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Inbox', 1), (0, 'Outbox', 2), "
              "(0, 'Sent Items', 3), (0, 'Deleted Items', 4);",
              NULL, NULL, NULL),
          db, "create");

    CTimes times;
    double dStart = Seconds();
    sqlite3_stmt* pInsert = NULL;
    Check(sqlite3_prepare_v2(db,
                             "INSERT INTO Emails (EmDate, Criteria, Quantity, Subject, Message, Ref, Status, "
                             "FolderID, Flags, MessageID, UniqueID, AccountID, Encode) VALUES "
                             "(?, '', 0, ?, ?, ?, '', ?, 0, ?, '', 0, 0)",
                             -1, &pInsert, NULL),
          db, "prepare insert");
    for (size_t i = 0; i < messages.size(); i++)
    {
        char szSubject[64], szRef[64], szMessageID[64];
        snprintf(szSubject, sizeof(szSubject), "Message number %d", (int)i);
        snprintf(szRef, sizeof(szRef), "Sender %d <sender%d@example.com>", (int)i % 31, (int)i % 31);
        snprintf(szMessageID, sizeof(szMessageID), "%d.bench@example.com", (int)i);
        sqlite3_bind_double(pInsert, 1, 37320.43);
        sqlite3_bind_text(pInsert, 2, szSubject, -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(pInsert, 3, messages[i].data(), (int)messages[i].size(), SQLITE_STATIC);
        sqlite3_bind_text(pInsert, 4, szRef, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(pInsert, 5, (int)(i % kFolders) + 1);
        sqlite3_bind_text(pInsert, 6, szMessageID, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(pInsert), db, "insert");
        sqlite3_reset(pInsert);
        (void)sqlite3_last_insert_rowid(db);
    }
    sqlite3_finalize(pInsert);
    times.dInsert = Seconds() - dStart;

    times.dRead = 1e9;
    for (int nRound = 0; nRound < kReadRounds; nRound++)
    {
        times.nBytesRead = 0;
        dStart = Seconds();
        sqlite3_stmt* pSelect = NULL;
        Check(sqlite3_prepare_v2(
                  db,
                  "SELECT EmailsID, EmDate, Criteria, Quantity, Subject, Message, Ref, Status, FolderID, "
                  "Flags, MessageID, UniqueID, AccountID, Encode FROM Emails WHERE FolderID = ?",
                  -1, &pSelect, NULL),
              db, "prepare select");
        for (int nFolder = 1; nFolder <= kFolders; nFolder++)
        {
            sqlite3_bind_int(pSelect, 1, nFolder);
            while (sqlite3_step(pSelect) == SQLITE_ROW)
            {
                std::string text((const char*)sqlite3_column_blob(pSelect, 5),
                                 sqlite3_column_bytes(pSelect, 5));
                times.nBytesRead += text.size();
            }
            sqlite3_reset(pSelect);
        }
        sqlite3_finalize(pSelect);
        double dRead = Seconds() - dStart;
        times.dRead = dRead < times.dRead ? dRead : times.dRead;
    }
    sqlite3_close(db);
    return times;
}
} // namespace

int main(int argc, char** argv)
{
    int nCount = argc > 1 ? atoi(argv[1]) : 10000;
    std::vector<std::string> messages = MakeMessages(nCount);
    size_t nBytes = 0;
    for (const std::string& text : messages)
        nBytes += text.size();
    printf("message store: %d messages, %.1f MB, in %d folders\n", nCount, nBytes / 1048576.0, kFolders);

    CTempDatabasePath storePath("bench-store");
    CTempDatabasePath rawPath("bench-raw");
    CTimes store, raw;
    try
    {
        store = RunStore(messages, storePath.m_strPath);
    }
    catch (const char* pszText)
    {
        printf("store failed: %s\n", pszText);
        return 1;
    }
    catch (...)
    {
        printf("store failed\n");
        return 1;
    }
    raw = RunRaw(messages, rawPath.m_strPath);
    if (store.nBytesRead != nBytes || raw.nBytesRead != nBytes)
        printf("read back %zu and %zu bytes of %zu\n", store.nBytesRead, raw.nBytesRead, nBytes);

    printf("insert: store %8.0f msg/s, raw SQLite %8.0f msg/s, store/raw %.2f\n", nCount / store.dInsert,
           nCount / raw.dInsert, raw.dInsert / store.dInsert);
    printf("read (best of %d):   store %8.0f msg/s, raw SQLite %8.0f msg/s, store/raw %.2f (goal >= 0.67)\n",
           kReadRounds, nCount / store.dRead, nCount / raw.dRead, raw.dRead / store.dRead);
    return 0;
}

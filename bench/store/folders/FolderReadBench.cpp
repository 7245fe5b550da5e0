// Reads one folder of 100 000 messages the way the message list does (every row, no message text) through
// CEmailsTable, beside raw SQLite stepping the same rows of the same file; prints rows per second and the
// ratio.
#include <stdio.h>
#include <stdlib.h>

#include <sqlite3.h>

#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "StoreTestDatabase.h"

namespace
{
double Seconds()
{
    static LARGE_INTEGER s_frequency = {};
    if (s_frequency.QuadPart == 0)
        QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)s_frequency.QuadPart;
}

void Check(int rc, sqlite3* db, const char* pszWhat)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    {
        printf("raw SQLite %s failed: %s\n", pszWhat, sqlite3_errmsg(db));
        exit(1);
    }
}

// The rows go in through SQLite in one transaction: the read is what is measured.
void Fill(const CString& strPath, LONG nFolderID, int nRows)
{
    sqlite3* db = NULL;
    Check(sqlite3_open_v2(strPath, &db, SQLITE_OPEN_READWRITE, NULL), db, "open");
    Check(sqlite3_exec(db, "BEGIN", NULL, NULL, NULL), db, "begin");
    sqlite3_stmt* pInsert = NULL;
    Check(sqlite3_prepare_v2(db,
                             "INSERT INTO Emails (EmDate, Criteria, Quantity, Subject, Message, Ref, Status, "
                             "FolderID, Flags, MessageID, UniqueID, AccountID, Encode) VALUES "
                             "(?, '', 0, ?, ?, ?, '', ?, ?, ?, ?, 1, 0)",
                             -1, &pInsert, NULL),
          db, "prepare insert");
    const char kBody[] = "Subject: x\r\n\r\nThe quick brown fox jumps over the lazy dog.\r\n";
    for (int i = 0; i < nRows; i++)
    {
        char szSubject[64], szRef[64], szMessageID[64], szUniqueID[32];
        snprintf(szSubject, sizeof(szSubject), "Message number %d about the quarterly figures", i);
        snprintf(szRef, sizeof(szRef), "Sender %d <sender%d@example.com>", i % 31, i % 31);
        snprintf(szMessageID, sizeof(szMessageID), "<%d.bench@example.com>", i);
        snprintf(szUniqueID, sizeof(szUniqueID), "UID%08d", i);
        sqlite3_bind_double(pInsert, 1, 37320.43 + i / 1000.0);
        sqlite3_bind_text(pInsert, 2, szSubject, -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(pInsert, 3, kBody, sizeof(kBody) - 1, SQLITE_STATIC);
        sqlite3_bind_text(pInsert, 4, szRef, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(pInsert, 5, nFolderID);
        sqlite3_bind_int(pInsert, 6, i % 4);
        sqlite3_bind_text(pInsert, 7, szMessageID, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pInsert, 8, szUniqueID, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(pInsert), db, "insert");
        sqlite3_reset(pInsert);
    }
    sqlite3_finalize(pInsert);
    Check(sqlite3_exec(db, "COMMIT", NULL, NULL, NULL), db, "commit");
    sqlite3_close(db);
}

double ReadStore(CTestDatabase& db, LONG nFolderID, int& nRows, LONG& nCheck)
{
    CEmailsImpl<> store(db.Session());
    double dStart = Seconds();
    store.OpenByFolder(nFolderID, NULL);
    nRows = 0;
    while (store.MoveNext(1, 0) == S_OK)
    {
        nCheck += store.m_EmailsID + store.m_Flags + (LONG)strlen(store.m_Subject);
        nRows++;
    }
    double dRead = Seconds() - dStart;
    store.Close();
    return dRead;
}

// The same columns, the message text by its length only, as the layer reads a long binary column.
double ReadRaw(const CString& strPath, LONG nFolderID, int& nRows, LONG& nCheck)
{
    sqlite3* db = NULL;
    Check(sqlite3_open_v2(strPath, &db, SQLITE_OPEN_READWRITE, NULL), db, "open");
    double dStart = Seconds();
    sqlite3_stmt* pSelect = NULL;
    Check(sqlite3_prepare_v2(db,
                             "SELECT EmailsID, EmDate, Criteria, Quantity, Subject, length(Message), Ref, Status, "
                             "FolderID, Flags, MessageID, UniqueID, AccountID, Encode FROM Emails WHERE FolderID = ?",
                             -1, &pSelect, NULL),
          db, "prepare select");
    sqlite3_bind_int(pSelect, 1, nFolderID);
    nRows = 0;
    while (sqlite3_step(pSelect) == SQLITE_ROW)
    {
        nCheck += sqlite3_column_int(pSelect, 0) + sqlite3_column_int(pSelect, 9) +
                  sqlite3_column_bytes(pSelect, 4);
        for (int i = 0; i < 14; i++)
            (void)sqlite3_column_text(pSelect, i);
        nRows++;
    }
    sqlite3_finalize(pSelect);
    double dRead = Seconds() - dStart;
    sqlite3_close(db);
    return dRead;
}
} // namespace

int main(int argc, char** argv)
{
    int nCount = argc > 1 ? atoi(argv[1]) : 100000;
    CoInitialize(NULL);
    CTempDatabasePath path("bench-folder");
    LONG nInbox = 0;
    {
        CTestDatabase db;
        db.OpenFile(path.m_strPath);
        CFolders folders(db.Session());
        nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    }
    Fill(path.m_strPath, nInbox, nCount);

    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    int nStoreRows = 0, nRawRows = 0;
    LONG nStoreCheck = 0, nRawCheck = 0;
    // Whichever side reads first also pays for the process's first touch of that much memory, and the
    // machine is shared: each side reads twice, in turns, and its better time counts.
    double dRaw = 1e9, dStore = 1e9;
    for (int nRound = 0; nRound < 2; nRound++)
    {
        double d = ReadRaw(path.m_strPath, nInbox, nRawRows, nRawCheck);
        dRaw = d < dRaw ? d : dRaw;
        d = ReadStore(db, nInbox, nStoreRows, nStoreCheck);
        dStore = d < dStore ? d : dStore;
    }
    if (nStoreRows != nCount || nRawRows != nCount)
    {
        printf("folder read: rows read %d (store) and %d (raw SQLite), expected %d\n", nStoreRows, nRawRows, nCount);
        return 1;
    }
    printf("folder read, %d messages in one folder through CEmailsTable, better of two reads each\n", nCount);
    printf("read     store %10.0f rows/s   raw SQLite %10.0f rows/s   ratio %.2f\n", nCount / dStore, nCount / dRaw,
           dRaw / dStore);
    CoUninitialize();
    return 0;
}

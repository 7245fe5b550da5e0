// A fresh local database with an Inbox, accounts and leave-on-server bookkeeping, for the purge tests that
// run it against a fake server list and against a real POP3 server.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "StoreTestDatabase.h"
#include "store/AccountsTable.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"
#include "store/ServerMessageList.h"

class CPurgeTestFixture : public ::testing::Test
{
protected:
    explicit CPurgeTestFixture(const char* pszTag) : m_path(pszTag) {}

    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        CFolders folders(m_db.Session());
        m_nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
        CAccountsTable::CreateTableIfMissing(m_db.Session(), NULL);
        CDeletedMessagesTable::Create(m_db.Session(), NULL);
    }

    static DATE Now()
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        DATE date = 0;
        SystemTimeToVariantTime(&now, &date);
        return date;
    }

    // The user name is also the account's log-on name on the loopback server.
    LONG AddAccount(const char* pszUser, LONG nFlags, int nRemoveAfter)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, "
                      "RemoveAfter) VALUES ('%s', 'x@y', '127.0.0.1', 'smtp', '%s', %ld, %d)",
                      pszUser, pszUser, (long)nFlags, nRemoveAfter);
        m_db.Exec(strSQL);
        return m_db.QueryLong("SELECT MAX(ID) FROM Accounts");
    }

    void AddDeleted(LONG nAccountID, const char* pszUniqueID, double dDaysAgo)
    {
        CDeletedMessagesTable table(m_db.Session());
        table.Find(NULL, nAccountID, NULL);
        table.Clear();
        strcpy(table.m_UniqueID, pszUniqueID);
        table.m_AccountID = nAccountID;
        table.m_DateOfDeleting = Now() - dDaysAgo;
        ASSERT_EQ(S_OK, table.Insert(0));
    }

    void AddStored(LONG nAccountID, const char* pszUniqueID, double dDaysAgo)
    {
        CEmailsImpl<> store(m_db.Session());
        CTestMessage message;
        message.nFolderID = m_nInbox;
        message.text = "Subject: s\r\n\r\nbody";
        message.pszUniqueID = pszUniqueID;
        message.date = Now() - dDaysAgo;
        LONG nID = InsertTestMessage(store, message);
        ASSERT_GT(nID, 0);
        CString strSQL;
        strSQL.Format("UPDATE Emails SET AccountID = %ld WHERE EmailsID = %ld", (long)nAccountID, (long)nID);
        m_db.Exec(strSQL);
    }

    void Purge(LONG nAccountID, CServerMessageList& server)
    {
        CAccountsTable account(m_db.Session(), NULL);
        account.m_ID = nAccountID;
        account.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        ASSERT_EQ(S_OK, account.MoveFirst());
        PurgeDeletedMessages(NULL, account, server);
    }

    // The account's bookkeeping rows, sorted.
    std::vector<std::string> RowsOf(LONG nAccountID)
    {
        CDeletedMessagesTable table(m_db.Session());
        table.Find(NULL, nAccountID, NULL);
        std::vector<std::string> rows;
        while (table.MoveNext() == S_OK)
            rows.push_back(table.m_UniqueID);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    LONG FlagsOf(LONG nAccountID)
    {
        CString strSQL;
        strSQL.Format("SELECT Flags FROM Accounts WHERE ID = %ld", (long)nAccountID);
        return m_db.QueryLong(strSQL);
    }

    CTempDatabasePath m_path;
    CTestDatabase m_db;
    LONG m_nInbox = 0;
};

// Deleting a stored message: which deletions are recorded for the leave-on-server bookkeeping, and that a
// failed record keeps the message.
#include <gtest/gtest.h>

#include "store/AccountsTable.h"
#include "store/DeletedMessagesImpl.h"
#include "store/DeletedMessagesTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "CommandRecorder.h"
#include "MessageDatabaseTest.h"

namespace
{
class DeleteMessageTest : public CMessageDatabaseTest
{
protected:
    void SetUp() override
    {
        CMessageDatabaseTest::SetUp();
        CAccountsTable::CreateTableIfMissing(m_db.Session(), NULL);
        m_db.Exec("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, RemoveAfter) "
                  "VALUES ('a', 'a@b', 'pop', 'smtp', 'a', 8, 5)");
        m_nAccount = m_db.QueryLong("SELECT MAX(ID) FROM Accounts");
        m_db.Exec("INSERT INTO Folders (OwnerID, Name, Type, nUnread) VALUES (0, 'imap', 14, 0)");
        m_nImap = m_db.QueryLong("SELECT MAX(ID) FROM Folders");
    }

    LONG InsertWith(LONG nFolder, const char* pszUniqueID, LONG nAccount, DATE date)
    {
        CEmailsImpl<> store(m_db.Session());
        CTestMessage message;
        message.nFolderID = nFolder;
        message.text = "Subject: s\r\n\r\nbody";
        message.pszUniqueID = pszUniqueID;
        message.date = date;
        LONG nID = InsertTestMessage(store, message);
        if (nAccount != 0)
        {
            CString strSQL;
            strSQL.Format("UPDATE Emails SET AccountID = %ld WHERE EmailsID = %ld", (long)nAccount, (long)nID);
            m_db.Exec(strSQL);
        }
        return nID;
    }

    LONG Count(const char* pszTable)
    {
        return m_db.QueryLong(CString("SELECT COUNT(*) FROM ") + pszTable);
    }

    LONG m_nAccount = 0;
    LONG m_nImap = 0;
    CCommandRecorder m_owner;
};

TEST_F(DeleteMessageTest, OnlyServerMessagesOutsideImapFoldersOfExistingAccountsAreRecorded)
{
    const DATE date = MakeDate(2025, 3, 4, 5, 6, 7);
    const struct
    {
        const char* pszName;
        bool bImap;
        const char* pszUniqueID;
        bool bKnownAccount;
        LONG nExpectedRows;
    } cases[] = {
        {"server message", false, "UID-1", true, 1},
        {"no unique id", false, "", true, 0},
        {"imap folder", true, "UID-2", true, 0},
        {"account gone", false, "UID-3", false, 0},
    };
    for (const auto& c : cases)
    {
        m_owner.m_commands.clear();
        CDeletedMessagesTable::Create(m_db.Session(), NULL);
        m_db.Exec("DELETE FROM DeletedMessages");
        LONG nID = InsertWith(c.bImap ? m_nImap : m_nInbox, c.pszUniqueID, c.bKnownAccount ? m_nAccount : 999,
                              date);
        CEmailsImpl<> store(m_db.Session());
        ASSERT_TRUE(store.OpenByKey(nID, FALSE)) << c.pszName;
        store.DeleteMessage(m_owner.m_hWnd);

        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM Emails WHERE EmailsID = %ld", (long)nID);
        EXPECT_EQ(0, m_db.QueryLong(strSQL)) << c.pszName;
        EXPECT_EQ(c.nExpectedRows, Count("DeletedMessages")) << c.pszName;
        ASSERT_EQ(1u, m_owner.m_commands.size()) << c.pszName;
        EXPECT_EQ(33027, m_owner.m_commands[0].first) << c.pszName;
        EXPECT_EQ(nID, m_owner.m_commands[0].second) << c.pszName;
    }
}

TEST_F(DeleteMessageTest, TheRecordCarriesTheMessagesOwnDate)
{
    const DATE date = MakeDate(2024, 12, 31, 23, 59, 58);
    LONG nID = InsertWith(m_nInbox, "UID-9", m_nAccount, date);
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, FALSE));
    store.DeleteMessage(m_owner.m_hWnd);

    CDeletedMessagesTable table(m_db.Session());
    table.Find(NULL, m_nAccount, "UID-9");
    ASSERT_EQ(S_OK, table.MoveNext());
    EXPECT_DOUBLE_EQ(date, table.m_DateOfDeleting);
}

TEST_F(DeleteMessageTest, AFailingRecordKeepsTheMessage)
{
    // A table that refuses this identifier: the record fails before anything is deleted.
    m_db.Exec("CREATE TABLE DeletedMessages(UniqueID TEXT(255) NOT NULL CHECK (UniqueID <> 'UID-X'), "
              "AccountID INTEGER NOT NULL, DateOfDeleting DATETIME)");
    LONG nID = InsertWith(m_nInbox, "UID-X", m_nAccount, MakeDate(2025, 1, 1, 0, 0, 0));
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, FALSE));
    bool bThrown = false;
    try
    {
        store.DeleteMessage(m_owner.m_hWnd);
    }
    catch (COLEDBException* pException)
    {
        bThrown = pException->m_strMessage.Find("ERROR: Insert DeletedMessages table failed!") >= 0;
        delete pException;
    }
    EXPECT_TRUE(bThrown);
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(1, m_db.QueryLong(strSQL));
    EXPECT_TRUE(m_owner.m_commands.empty());
}
} // namespace

// Folders: the default folders of a new database, system folders found or re-created, types and counters.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "store/Folders.h"
#include "store/MessageStoreTexts.h"
#include "StoreTestDatabase.h"

namespace
{
class FoldersTest : public ::testing::Test
{
protected:
    void SetUp() override { m_db.OpenFile(m_path.m_strPath); }

    CTempDatabasePath m_path{"folders"};
    CTestDatabase m_db;
};

struct CFolderRow
{
    LONG nID;
    CString strName;
    LONG nOwnerID;
    LONG nType;
};

std::vector<CFolderRow> ReadAllFolders(CSession* pSession)
{
    CFoldersTable table(pSession);
    table.Open(NULL);
    std::vector<CFolderRow> rows;
    while (table.MoveNext() == S_OK)
        rows.push_back({table.m_ID, table.m_Name, table.m_OwnerID, table.m_Type});
    return rows;
}

CString CaughtText(std::function<void()> action)
{
    try
    {
        action();
    }
    catch (const char* pszText)
    {
        return pszText;
    }
    return "(nothing thrown)";
}
} // namespace

TEST_F(FoldersTest, NewDatabaseHasExactlyTheSevenDefaultFoldersWithLocalFoldersFirst)
{
    std::vector<CFolderRow> rows = ReadAllFolders(m_db.Session());
    const struct
    {
        const char* pszName;
        LONG nType;
    } expected[] = {{"Local Folders", 0}, {"Inbox", 1},  {"Outbox", 2}, {"Sent Items", 3},
                    {"Deleted Items", 4}, {"Drafts", 5}, {"Company", 6}};
    ASSERT_EQ(rows.size(), 7u);
    LONG nLocalFolders = rows[0].nID;
    for (size_t i = 0; i < rows.size(); i++)
    {
        EXPECT_STREQ(rows[i].strName, expected[i].pszName);
        EXPECT_EQ(rows[i].nType, expected[i].nType);
        EXPECT_EQ(rows[i].nOwnerID, i == 0 ? 0 : nLocalFolders) << expected[i].pszName;
    }
    EXPECT_TRUE(TableExists(m_db.Session(), "Emails"));
}

TEST_F(FoldersTest, GetSystemFolderRecreatesADeletedInboxUnderLocalFolders)
{
    CFolders folders(m_db.Session());
    LONG nLocal = folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    m_db.Exec("DELETE FROM Folders WHERE Type = 1");

    LONG nNewInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    EXPECT_GT(nNewInbox, 0);
    EXPECT_NE(nNewInbox, nInbox);
    EXPECT_EQ(folders.SelectByID(nNewInbox, NULL), FOLDER_INBOX);
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM Folders WHERE Type = 1"), 1);
    CString strSQL;
    strSQL.Format("SELECT OwnerID FROM Folders WHERE ID = %ld", (long)nNewInbox);
    EXPECT_EQ(m_db.QueryLong(strSQL), nLocal);
    EXPECT_EQ(folders.GetSystemFolder(FOLDER_INBOX, NULL), nNewInbox);
}

TEST_F(FoldersTest, TwoThreadsAskingForAMissingInboxAtOnceLeaveExactlyOne)
{
    // A second connection to the same file stands for another process.
    CTestDatabase other;
    other.OpenFile(m_path.m_strPath);
    CFolders(m_db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
    for (int nRound = 0; nRound < 20; nRound++)
    {
        m_db.Exec("DELETE FROM Folders WHERE Type = 1");
        LONG nFound[2] = {0, 0};
        volatile LONG nReady = 0;
        auto ask = [&](int i, CSession* pSession)
        {
            CFolders folders(pSession);
            InterlockedIncrement(&nReady);
            while (nReady < 2)
                YieldProcessor();
            try
            {
                nFound[i] = folders.GetSystemFolder(FOLDER_INBOX, NULL);
            }
            catch (const char*)
            {
                nFound[i] = -2;
            }
        };
        std::thread first(ask, 0, m_db.Session());
        std::thread second(ask, 1, nRound % 2 == 0 ? m_db.Session() : other.Session());
        first.join();
        second.join();
        ASSERT_GT(nFound[0], 0) << "round " << nRound;
        ASSERT_EQ(nFound[0], nFound[1]) << "round " << nRound;
        ASSERT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM Folders WHERE Type = 1"), 1) << "round " << nRound;
    }
}

TEST_F(FoldersTest, ASecondRowOfAUniqueTypeGivesTooMachFoldersButOtherTypesMayRepeat)
{
    CFolders folders(m_db.Session());
    LONG nLocal = folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    LONG nAllEmails = folders.GetSystemFolder(FOLDER_ALL_EMAILS, NULL);
    CString strSQL;
    strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type) VALUES (%ld, 'Inbox', 1)", (long)nLocal);
    m_db.Exec(strSQL);
    strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type) VALUES (%ld, 'All Emails', 8)", (long)nLocal);
    m_db.Exec(strSQL);

    EXPECT_STREQ(CaughtText([&] { folders.GetSystemFolder(FOLDER_INBOX, NULL); }),
                 "FATAL ERROR: Too mach folders.");
    EXPECT_STREQ(CaughtText([&] { folders.GetSystemFolder(FOLDER_INBOX, NULL); }),
                 "FATAL ERROR: Too mach folders.");
    EXPECT_EQ(folders.GetSystemFolder(FOLDER_ALL_EMAILS, NULL), nAllEmails);
}

TEST_F(FoldersTest, GetSystemFolderNamesCallerFoldersAndRefusesTypesItCannotCreate)
{
    CFolders folders(m_db.Session());
    LONG nAllEmails = folders.GetSystemFolder(FOLDER_ALL_EMAILS, NULL);
    LONG nBook = folders.GetSystemFolder(FOLDER_ADDRESS_BOOK, NULL, "Address Book", nAllEmails);
    ASSERT_GT(nBook, 0);
    folders.SelectByTypeAndName(FOLDER_ADDRESS_BOOK, "Address Book");
    ASSERT_EQ(folders.MoveNext(), S_OK);
    EXPECT_EQ(folders.m_ID, nBook);
    EXPECT_EQ(folders.m_OwnerID, nAllEmails);
    folders.GetSystemFolder(FOLDER_ALL_EMAILS, NULL); // another statement in between
    folders.SelectByTypeAndName(FOLDER_ALL_EMAILS, "No such folder");
    EXPECT_NE(folders.MoveNext(), S_OK);
    EXPECT_EQ(folders.GetSystemFolder(FOLDER_NONE, NULL), -1);
    EXPECT_EQ(folders.GetSystemFolder(FOLDER_IMAP_ACCOUNT, NULL), -1);
}

TEST_F(FoldersTest, SelectByIDGivesTheTypeSevenBelowOneAndAnErrorForAMissingFolder)
{
    CFolders folders(m_db.Session());
    LONG nDrafts = folders.GetSystemFolder(FOLDER_DRAFTS, NULL);
    EXPECT_EQ(folders.SelectByID(nDrafts, NULL), FOLDER_DRAFTS);
    EXPECT_EQ(folders.SelectByID(0, NULL), FOLDER_NONE);
    EXPECT_EQ(folders.SelectByID(-5, NULL), FOLDER_NONE);
    EXPECT_STREQ(CaughtText([&] { folders.SelectByID(99999, NULL); }), "FATAL ERROR: Unknown folder type.");
}

TEST_F(FoldersTest, ChangeMessagesNumberStoresTheCount)
{
    CFolders folders(m_db.Session());
    LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    folders.ChangeMessagesNumber(nInbox, 12);
    folders.ChangeMessagesNumber(nInbox, 12);
    CString strSQL;
    strSQL.Format("SELECT nMessagesNumber FROM Folders WHERE ID = %ld", (long)nInbox);
    EXPECT_EQ(m_db.QueryLong(strSQL), 12);
}

TEST_F(FoldersTest, UnreadCountersTakeTheStoresCountWhateverTheyHeld)
{
    CFolders folders(m_db.Session());
    LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    LONG nDrafts = folders.GetSystemFolder(FOLDER_DRAFTS, NULL);
    LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, NULL);
    // Unread is 0x02 without 0x80.
    const struct
    {
        LONG nFolder;
        LONG nFlags;
    } messages[] = {{nInbox, 0x02}, {nInbox, 0x03}, {nInbox, 0x82}, {nInbox, 0x00}, {nDrafts, 0x42}};
    for (const auto& message : messages)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Ref, FolderID, Flags, UniqueID, AccountID, Encode) "
                      "VALUES (45000.5, 's', 'a@x', %ld, %ld, '', 0, 0)",
                      (long)message.nFolder, (long)message.nFlags);
        m_db.Exec(strSQL);
    }
    m_db.Exec("UPDATE Folders SET nUnread = -13");
    auto counter = [&](LONG nID) {
        CString strSQL;
        strSQL.Format("SELECT nUnread FROM Folders WHERE ID = %ld", (long)nID);
        return m_db.QueryLong(strSQL);
    };

    LONG nMessages = -1, nUnread = -1;
    folders.CountMessages(nInbox, nMessages, nUnread);
    EXPECT_EQ(4, nMessages);
    EXPECT_EQ(2, nUnread);
    EXPECT_TRUE(folders.SyncUnread(nDrafts, NULL));
    EXPECT_EQ(nDrafts, folders.m_ID);
    EXPECT_EQ(1, folders.m_nUnread);
    EXPECT_EQ(1, counter(nDrafts));
    EXPECT_EQ(-13, counter(nInbox));
    EXPECT_FALSE(folders.SyncUnread(99999, NULL));

    folders.SyncAllUnread();
    EXPECT_EQ(2, counter(nInbox));
    EXPECT_EQ(1, counter(nDrafts));
    EXPECT_EQ(0, counter(nOutbox));
}

TEST_F(FoldersTest, AnOldFoldersTableGainsItsCountersAndFlagsButAMissingTypeStopsTheOpen)
{
    m_db.Exec("CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, OwnerID INTEGER NOT NULL, "
              "Name TEXT(100) NOT NULL, Type INTEGER NOT NULL, nUnread INTEGER)");
    m_db.Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Local Folders', 0)");
    CFoldersTable table(m_db.Session());
    table.Open(NULL);
    ASSERT_EQ(table.MoveNext(), S_OK);
    EXPECT_STREQ(table.m_Name, "Local Folders");
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(Flags) + COUNT(nMessagesNumber) FROM Folders"), 0);

    CTempDatabasePath brokenPath("folders-broken");
    CTestDatabase broken;
    broken.OpenFile(brokenPath.m_strPath);
    broken.Exec(
        "CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, OwnerID INTEGER NOT NULL, "
        "Name TEXT(100) NOT NULL)");
    CFoldersTable brokenTable(broken.Session());
    CString strText = CaughtText([&] { brokenTable.Open(NULL); });
    EXPECT_EQ(strText.Find("FATAL ERROR. The Folders table is invalid."), 0) << (const char*)strText;
    EXPECT_GE(strText.Find(" The Type column is not found."), 0) << (const char*)strText;
}

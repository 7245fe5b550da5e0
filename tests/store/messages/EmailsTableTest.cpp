// Emails: creation with its dependent tables, upgrade, the three parameter bindings, the duplicate search,
// the flags update and the message list's sort.
#include <gtest/gtest.h>

#include <functional>

#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/OLEDBException.h"
#include "store/TableSchema.h"
#include "MessageDatabaseTest.h"

namespace
{
using EmailsTest = CMessageDatabaseTest;

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
    catch (CException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        return strText;
    }
    return "(nothing thrown)";
}

const char kEarliestEmails[] =
    "CREATE TABLE Emails(EmailsID COUNTER CONSTRAINT PK_EmailsID PRIMARY KEY, EmDate DATETIME, Criteria "
    "TEXT(255), "
    "Quantity INTEGER, Subject TEXT(255), Message LONGBINARY, Ref TEXT(255), Status TEXT(50), FolderID "
    "INTEGER NOT "
    "NULL CONSTRAINT FK_FolderID REFERENCES Folders (ID), Flags INTEGER, MessageID TEXT(127))";
} // namespace

TEST(EmailsCreateTest, CreatingEmailsAlsoCreatesAttachmentsAndAddress)
{
    CTempDatabasePath path("emails-create");
    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    CEmailsTable<> table(db.Session());
    table.Open(NULL);
    EXPECT_TRUE(TableExists(db.Session(), "Emails"));
    EXPECT_TRUE(TableExists(db.Session(), "Attachments"));
    EXPECT_TRUE(TableExists(db.Session(), "Address"));
}

TEST(EmailsCreateTest, EachTableIsUpgradedFromItsEarliestSchema)
{
    CTempDatabasePath path("emails-upgrade");
    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    CFolders(db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
    db.Exec("DROP TABLE Address");
    db.Exec("DROP TABLE Attachments");
    db.Exec("DROP TABLE Emails");
    db.Exec(kEarliestEmails);
    db.Exec("CREATE TABLE Address(EmailID INTEGER NOT NULL CONSTRAINT FK_AddressEmailID REFERENCES Emails "
            "(EmailsID), Name TEXT(128), Address TEXT(128) NOT NULL, Type BYTE)");
    db.Exec(
        "CREATE TABLE Attachments (ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, Name TEXT(255), "
        "EmailID INTEGER NOT NULL CONSTRAINT FK_EmailID REFERENCES Emails (EmailsID), FileSize INTEGER NOT "
        "NULL)");

    CTestMessage message;
    message.nFolderID = CFolders(db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
    message.text = "Subject: old\r\n\r\nbody";
    message.pszUniqueID = "UIDL-1";
    CEmailsImpl<> store(db.Session());
    LONG nID = InsertTestMessage(store, message);
    ASSERT_GT(nID, 0);
    store.SelectByID(nID, NULL);
    EXPECT_STREQ(store.m_UniqueID, "UIDL-1");
    EXPECT_EQ(db.QueryLong("SELECT COUNT(*) FROM Emails WHERE AccountID = 0 AND Encode = 0"), 1);

    CAddressTable address(db.Session());
    address.OpenForEmail(nID, NULL);
    EXPECT_EQ(db.QueryLong("SELECT COUNT(Flags) FROM Address"), 0);
}

TEST(EmailsCreateTest, AnAttachmentsTableWithoutFileSizeStopsTheOpenWithTheCheckText)
{
    CTempDatabasePath path("attachments-broken");
    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    db.Exec("CREATE TABLE Attachments (ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, Name TEXT(255), "
            "EmailID INTEGER NOT NULL)");
    CAttachmentsTable attachments(db.Session());
    CString strText = CaughtText([&] { attachments.Open(NULL); });
    EXPECT_EQ(strText.Find("FATAL ERROR. The Attachments table is invalid."), 0) << (const char*)strText;
}

TEST_F(EmailsTest, EachParameterBindingFindsItsRow)
{
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: x\r\n\r\nbody";
    message.pszMessageID = "abc@host";
    message.pszUniqueID = "UID-7";
    Insert(message);
    LONG nID = Insert(message);
    message.nFolderID = m_nOutbox;
    Insert(message);

    CEmailsImpl<> byID(m_db.Session());
    byID.SelectByID(nID, NULL);
    EXPECT_EQ(byID.m_EmailsID, nID);
    EXPECT_EQ(byID.m_FolderID, m_nInbox); // the fetched row replaces the identity put into FolderID

    CEmailsImpl<CEmailsMessageIDAccessor> byMessageID(m_db.Session());
    CEmailsRecord wanted;
    strcpy(wanted.m_MessageID, "abc@host");
    byMessageID.SelectByMessageID(wanted, NULL);
    int nRows = 0;
    while (byMessageID.MoveNext(1, 0) == S_OK)
        nRows++;
    EXPECT_EQ(nRows, 3);

    CEmailsImpl<CEmailsUniqueIDAccessor> byUniqueID(m_db.Session());
    byUniqueID.SelectByFolderAndUniqueID(NULL, m_nOutbox, "UID-7");
    ASSERT_EQ(byUniqueID.MoveNext(1, 0), S_OK);
    EXPECT_EQ(byUniqueID.m_FolderID, m_nOutbox);
    EXPECT_NE(byUniqueID.MoveNext(1, 0), S_OK);
    byUniqueID.SelectByFolderAndUniqueID(NULL, m_nOutbox, "uid-7");
    EXPECT_NE(byUniqueID.MoveNext(1, 0), S_OK) << "unique IDs are case-sensitive";
}

TEST_F(EmailsTest, UniqueIDsUpTo255CharactersAreFoundAndLongerOnesFindNothing)
{
    std::string strFull(255, 'u');
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: x\r\n\r\nbody";
    message.pszUniqueID = strFull.c_str();
    LONG nID = Insert(message);
    message.pszUniqueID = "";
    Insert(message); // an empty UniqueID that a cut-off search would match

    CEmailsImpl<CEmailsUniqueIDAccessor> store(m_db.Session());
    store.SelectByFolderAndUniqueID(NULL, m_nInbox, strFull.c_str());
    ASSERT_EQ(store.MoveNext(1, 0), S_OK);
    EXPECT_EQ(store.m_EmailsID, nID);

    std::string strTooLong(256, 'u');
    store.SelectByFolderAndUniqueID(NULL, m_nInbox, strTooLong.c_str());
    EXPECT_NE(store.MoveNext(1, 0), S_OK);
}

TEST_F(EmailsTest, FindDuplicateMatchesSenderPatternsWithinTheSameSecondOnly)
{
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: Hello\r\n\r\nbody";
    message.pszSubject = "Hello";
    message.pszRef = "John Smith <john@example.com>";
    message.date = MakeDate(2002, 3, 5, 23, 59, 59);
    Insert(message);

    struct
    {
        LONG nFolder;
        const char* pszSubject;
        const char* pszPattern;
        SYSTEMTIME when;
        bool bFound;
    } cases[] = {
        {m_nInbox, "Hello", "John Smith <john@example.com>", {2002, 3, 2, 5, 23, 59, 59, 0}, true},
        {m_nInbox, "Hello", "John%", {2002, 3, 2, 5, 23, 59, 59, 0}, true},
        {m_nInbox, "Hello", "%JOHN@EXAMPLE.COM>", {2002, 3, 2, 5, 23, 59, 59, 0}, true},
        {m_nInbox, "Hello", "Jane%", {2002, 3, 2, 5, 23, 59, 59, 0}, false},
        {m_nInbox, "Other", "John%", {2002, 3, 2, 5, 23, 59, 59, 0}, false},
        {m_nOutbox, "Hello", "John%", {2002, 3, 2, 5, 23, 59, 59, 0}, false},
        {m_nInbox, "Hello", "John%", {2002, 3, 3, 6, 0, 0, 0, 0}, false},
        {m_nInbox, "Hello", "John%", {2002, 3, 2, 5, 23, 59, 58, 0}, false},
    };
    // One store for all look-ups, as the import keeps one: the statement is prepared once.
    CEmailsImpl<> store(m_db.Session());
    for (const auto& c : cases)
    {
        store.FindDuplicate(NULL, c.nFolder, c.pszSubject, c.pszPattern, c.when);
        EXPECT_EQ(store.MoveNext(1, 0) == S_OK, c.bFound)
            << c.pszSubject << " " << c.pszPattern << " " << c.when.wDay << " " << c.when.wSecond;
    }
}

TEST_F(EmailsTest, AnotherSelectionBetweenDuplicateSearchesDoesNotReplaceThePreparedSearch)
{
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: Hello\r\n\r\nbody";
    message.pszSubject = "Hello";
    message.pszRef = "john@example.com";
    message.date = MakeDate(2010, 1, 2, 3, 4, 5);
    Insert(message);
    const SYSTEMTIME when = {2010, 1, 6, 2, 3, 4, 5, 0};

    CEmailsImpl<> store(m_db.Session());
    store.FindDuplicate(NULL, m_nInbox, "Hello", "john@example.com", when);
    EXPECT_EQ(store.MoveNext(1, 0), S_OK);
    store.Open(NULL, "Emails", CString(g_szEmailsSelect) + " WHERE FolderID = ?");
    store.FindDuplicate(NULL, m_nInbox, "Other subject", "john@example.com", when);
    EXPECT_NE(store.MoveNext(1, 0), S_OK);
}

TEST_F(EmailsTest, UpdateFlagsWritesTheRecordFlags)
{
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: x\r\n\r\nbody";
    message.nFlags = 0x02;
    LONG nID = Insert(message);
    CEmailsImpl<> store(m_db.Session());
    store.SelectByID(nID, NULL);
    store.m_Flags = 0x81;
    store.UpdateFlags(&m_db, NULL);
    CString strSQL;
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(m_db.QueryLong(strSQL), 0x81);
}

TEST(CompareEmailsRecordsTest, SortsByTheColumnsOfTheMessageList)
{
    CEmailsRecord a, b;
    auto row =
        [](CEmailsRecord& r, LONG nFlags, const char* pszRef, const char* pszSubject, DATE date, LONG nFolder)
    {
        r.m_Flags = nFlags;
        strcpy(r.m_Ref, pszRef);
        strcpy(r.m_Subject, pszSubject);
        r.m_EmDate = date;
        r.m_FolderID = nFolder;
    };
    row(a, 0x01, "alice", "Beta", 2.5, 3);
    row(b, 0x02, "BOB", "alpha", 1.5, 7);
    const struct
    {
        int nColumn;
        BOOL bAscending;
        int nSign;
    } cases[] = {
        {0, TRUE, 1},  {0, FALSE, -1}, {1, TRUE, 1},  {2, TRUE, -1},  {2, FALSE, 1},
        {3, TRUE, 1},  {3, FALSE, -1}, {4, TRUE, 1},  {4, FALSE, -1}, {5, TRUE, -1},
        {5, FALSE, 1}, {6, TRUE, 0},   {-1, TRUE, 0},
    };
    for (const auto& c : cases)
    {
        int n = CompareEmailsRecords(a, b, c.nColumn, c.bAscending);
        EXPECT_EQ((n > 0) - (n < 0), c.nSign) << "column " << c.nColumn << " ascending " << c.bAscending;
    }
    b.m_Flags = 0x01 | 0x40; // other bits do not count
    EXPECT_EQ(CompareEmailsRecords(a, b, 0, TRUE), 0);
}

// The store's foreign keys refuse with Jet's numbers and texts, naming the table at fault.
TEST_F(EmailsTest, RefusedChangesOfRelatedRowsCarryJetsTextsNamingTheTable)
{
    CTestMessage message;
    message.nFolderID = m_nInbox;
    message.text = "Subject: x\r\n\r\nbody";
    Insert(message);

    CString strDelete;
    strDelete.Format("DELETE FROM Folders WHERE ID = %ld", (long)m_nInbox);
    CCommand<CNoAccessor, CNoRowset> command;
    EXPECT_TRUE(FAILED(command.Open(*m_db.Session(), strDelete, NULL, NULL, DBGUID_DEFAULT, false)));
    COLEDBException deleteRefused(command.m_spCommand, IID_ICommand, "delete", m_db.Session());
    ASSERT_FALSE(deleteRefused.m_records.empty());
    EXPECT_EQ(5003200u, deleteRefused.m_records[0].dwHelpContext);
    EXPECT_STREQ("The record cannot be deleted or changed because table 'Emails' includes related records.",
                 deleteRefused.m_records[0].strDescription);

    CEmailsImpl<> store(m_db.Session());
    store.OpenByFolder(m_nInbox, NULL);
    store.Clear();
    store.m_FolderID = 9999;
    store.m_MessageStatus = DBSTATUS_S_ISNULL;
    EXPECT_TRUE(FAILED(store.Insert(0)));
    COLEDBException orphan(store.m_spRowsetChange, IID_IRowsetChange, "insert", m_db.Session());
    ASSERT_FALSE(orphan.m_records.empty());
    EXPECT_EQ(5003201u, orphan.m_records[0].dwHelpContext);
    EXPECT_STREQ("You cannot add or change a record because a related record is required in table 'Folders'.",
                 orphan.m_records[0].strDescription);
}

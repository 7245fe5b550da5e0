// Attachments and recipients of a message: stored, read back by message and kind, deleted with it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "StoreTestDatabase.h"

namespace
{
class MessagePartsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        CTestMessage message;
        message.nFolderID = CFolders(m_db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
        message.text = "Subject: parts\r\n\r\nbody";
        CEmailsImpl<> store(m_db.Session());
        m_nEmailID = InsertTestMessage(store, message);
        m_nOtherID = InsertTestMessage(store, message);
        ASSERT_GT(m_nEmailID, 0);
    }

    std::set<std::string> Recipients(LONG nEmailID, BYTE nType)
    {
        CAddressTable table(m_db.Session());
        table.OpenForEmail(nEmailID, NULL, nType);
        std::set<std::string> addresses;
        while (table.MoveNext() == S_OK)
            addresses.insert(std::string(table.m_Name) + " <" + table.m_Address + ">");
        return addresses;
    }

    void AddRecipient(CAddressTable& table, LONG nEmailID, BYTE nType, const char* pszName,
                      const char* pszAddress)
    {
        table.ClearRow();
        table.m_EmailID = nEmailID;
        table.m_Type = nType;
        table.Open(NULL);
        strcpy(table.m_Name, pszName);
        strcpy(table.m_Address, pszAddress);
        table.m_Flags = 0x01;
        ASSERT_EQ(table.Insert(0), S_OK);
    }

    CTempDatabasePath m_path{"parts"};
    CTestDatabase m_db;
    LONG m_nEmailID = 0;
    LONG m_nOtherID = 0;
};
} // namespace

TEST_F(MessagePartsTest, AttachmentNamesOf255CharactersAreStoredAnd256AreRefusedBeforeAnythingIsWritten)
{
    CAttachmentsTable attachments(m_db.Session());
    std::string strLongest(255, 'n');
    attachments.Insert(m_nEmailID, strLongest.c_str(), NULL, 1234);

    std::string strTooLong(256, 'n');
    try
    {
        attachments.Insert(m_nEmailID, strTooLong.c_str(), NULL, 99);
        FAIL() << "no exception";
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ(pszText, "ERROR: Name of attached file too long. Maximum file name length is 255.");
    }

    attachments.m_EmailID = m_nEmailID;
    attachments.Open(NULL);
    ASSERT_EQ(attachments.MoveNext(), S_OK);
    EXPECT_EQ(std::string(attachments.m_Name), strLongest);
    EXPECT_EQ(attachments.m_FileSize, 1234);
    EXPECT_NE(attachments.MoveNext(), S_OK);

    attachments.m_EmailID = m_nOtherID;
    attachments.Open(NULL);
    EXPECT_NE(attachments.MoveNext(), S_OK) << "a message without attachments has none";
}

TEST_F(MessagePartsTest, RecipientsAreReadBackByKindAndDeletedWithTheirMessage)
{
    {
        CAddressTable table(m_db.Session());
        AddRecipient(table, m_nEmailID, ADDRESS_TO, "Ann", "ann@example.com");
        AddRecipient(table, m_nEmailID, ADDRESS_TO, "Bob", "bob@example.com");
        AddRecipient(table, m_nEmailID, ADDRESS_CC, "Cid", "cid@example.com");
        AddRecipient(table, m_nEmailID, ADDRESS_BCC, "Dee", "dee@example.com");
        AddRecipient(table, m_nOtherID, ADDRESS_TO, "Eve", "eve@example.com");
    }
    CAttachmentsTable(m_db.Session()).Insert(m_nEmailID, "report.pdf", NULL, 10);

    EXPECT_EQ(Recipients(m_nEmailID, ADDRESS_TO),
              (std::set<std::string>{"Ann <ann@example.com>", "Bob <bob@example.com>"}));
    EXPECT_EQ(Recipients(m_nEmailID, ADDRESS_CC), (std::set<std::string>{"Cid <cid@example.com>"}));
    EXPECT_EQ(Recipients(m_nEmailID, ADDRESS_BCC), (std::set<std::string>{"Dee <dee@example.com>"}));
    EXPECT_TRUE(Recipients(m_nEmailID, 3).empty());

    CEmailsImpl<> store(m_db.Session());
    store.m_addresses.DeleteByEmailID(m_nEmailID, NULL);
    store.m_attachments.DeleteByEmailID(m_nEmailID, NULL);
    store.SelectByID(m_nEmailID, NULL);
    ASSERT_EQ(store.Delete(), S_OK);

    for (BYTE nType = ADDRESS_TO; nType <= ADDRESS_BCC; nType++)
        EXPECT_TRUE(Recipients(m_nEmailID, nType).empty()) << (int)nType;
    EXPECT_EQ(Recipients(m_nOtherID, ADDRESS_TO), (std::set<std::string>{"Eve <eve@example.com>"}));
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Attachments WHERE EmailID = %ld", (long)m_nEmailID);
    EXPECT_EQ(m_db.QueryLong(strSQL), 0);
}

// Storing received messages: the row with its header readings, recipients, attachment rows and files.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <memory>

#include "content/MimePart.h"
#include "content/ReceivedMessage.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "store/EmailsImpl.h"
#include "store/MessageInsertion.h"
#include "MessageDatabaseTest.h"

namespace
{
std::string ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string Fixture(const char* pszName)
{
    return ReadBytes(std::string(ORB_TEST_DATA_DIR) + "/mime/" + pszName);
}

CString Text(const std::string& bytes)
{
    return CString(bytes.data(), (int)bytes.size());
}

std::vector<std::string> g_boxes;
int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    g_boxes.push_back(pszText);
    return IDOK;
}

class MessageInsertionTest : public CMessageDatabaseTest
{
protected:
    void SetUp() override
    {
        CMessageDatabaseTest::SetUp();
        g_boxes.clear();
        m_pfnOldHook = SetAppMessageBoxHook(RecordBox);
    }
    void TearDown() override { SetAppMessageBoxHook(m_pfnOldHook); }

    LONG Receive(const std::string& text, CString* pParseError = NULL)
    {
        CEmailsImpl<> store(m_db.Session());
        store.InsertMessage(Text(text), m_nInbox, 0, NULL, 0, NULL, NULL, 0.0, NULL, NULL, TRUE, FALSE,
                            FALSE);
        if (pParseError != NULL)
            *pParseError = store.m_strParseError;
        return store.m_EmailsID;
    }

    struct CAttachmentRow
    {
        std::string strName;
        LONG nSize;
        bool operator==(const CAttachmentRow& other) const
        {
            return strName == other.strName && nSize == other.nSize;
        }
    };
    std::vector<CAttachmentRow> Attachments(LONG nEmailID)
    {
        CAttachmentsTable table(m_db.Session());
        table.m_EmailID = nEmailID;
        table.Open(NULL);
        std::vector<CAttachmentRow> rows;
        while (table.MoveNext() == S_OK)
            rows.push_back({table.m_Name, table.m_FileSize});
        return rows;
    }

    int Recipients(LONG nEmailID, BYTE nType)
    {
        CAddressTable table(m_db.Session());
        table.OpenForEmail(nEmailID, NULL, nType);
        int n = 0;
        while (table.MoveNext() == S_OK)
            n++;
        return n;
    }

    CEmailsImpl<>* Select(LONG nEmailID)
    {
        m_pSelected.reset(new CEmailsImpl<>(m_db.Session()));
        m_pSelected->SelectByID(nEmailID, NULL);
        return m_pSelected.get();
    }

    AppMessageBoxHook m_pfnOldHook = NULL;
    std::unique_ptr<CEmailsImpl<>> m_pSelected;
};
} // namespace

TEST(MessageDateTest, DateHeadersInTheFormsMailProgramsWrite)
{
    struct Case
    {
        const char* pszDate;
        bool bParsed;
        WORD wYear, wMonth, wDay, wHour, wMinute, wSecond;
    } cases[] = {
        {"Tue, 5 Mar 2002 10:20:30 +0300", true, 2002, 3, 5, 10, 20, 30},
        {"Tue, 5 Mar 2002 10:20", true, 2002, 3, 5, 10, 20, 0},
        {"Tuesday, March 5, 2002 10:20:30 PM", true, 2002, 3, 5, 22, 20, 30},
        {"Tuesday, March 5, 2002 12:20:30 PM", true, 2002, 3, 5, 12, 20, 30},
        {"Tuesday, March 5, 2002 12:20:30 AM", true, 2002, 3, 5, 0, 20, 30},
        {"3/5/2002 10:20:30 pm", true, 2002, 3, 5, 22, 20, 30},
        {"3/5/2002 12:30:00 PM", true, 2002, 3, 5, 12, 30, 0},
        {"3/5/2002 12:30:00 am", true, 2002, 3, 5, 0, 30, 0},
        {"Tue Mar 5 10:20:30 2002", true, 2002, 3, 5, 10, 20, 30},
        {"5 Mar 02 10:20:30 GMT", true, 2002, 3, 5, 10, 20, 30},
        {"5 Mar 02 10:20", true, 2002, 3, 5, 10, 20, 0},
        // RFC 5322's obsolete forms, read as Python's email.utils reads them.
        {"Fri, Nov 01 02 01:50:58", true, 2002, 11, 1, 1, 50, 58},
        {"26-Aug-2005 11:04:57 GDT", true, 2005, 8, 26, 11, 4, 57},
        {"Thu, 1 Jan 70 00:00:00 -0500", true, 1970, 1, 1, 0, 0, 0},
        {"1 Jan 68 00:00 +0000", true, 2068, 1, 1, 0, 0, 0},
        {"Sat, 6 Jul 2002 12.30.05 +0200", true, 2002, 7, 6, 12, 30, 5},
        {"yesterday", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszDate);
        SYSTEMTIME time = {};
        ASSERT_EQ(ParseMessageDate(c.pszDate, time), c.bParsed);
        if (!c.bParsed)
            continue;
        EXPECT_EQ(time.wYear, c.wYear);
        EXPECT_EQ(time.wMonth, c.wMonth);
        EXPECT_EQ(time.wDay, c.wDay);
        EXPECT_EQ(time.wHour, c.wHour);
        EXPECT_EQ(time.wMinute, c.wMinute);
        EXPECT_EQ(time.wSecond, c.wSecond);
        EXPECT_TRUE(IsValidSystemTime(time));
    }
    SYSTEMTIME unknownMonth = {};
    ASSERT_TRUE(ParseMessageDate("5 Foo 2002 10:20:30", unknownMonth));
    EXPECT_FALSE(IsValidSystemTime(unknownMonth)) << "an unknown month name falls back to now";
}

TEST(MessageDateTest, PriorityHeaderValues)
{
    struct Case
    {
        const char* pszValue;
        LONG nFlags;
    } cases[] = {{"1 (Highest)", 0x10}, {"2", 0x10}, {"3", 0}, {"5 (Lowest)", 0x20}, {"", 0}, {"High", 0x10}};
    for (const Case& c : cases)
        EXPECT_EQ(PriorityFlags(c.pszValue), c.nFlags) << c.pszValue;
}

TEST_F(MessageInsertionTest, EachCorpusMessageBecomesOneRowWithItsAttachmentRowsAndFiles)
{
    const char* const kFiles[] = {"plain-single-part.eml",         "alternative-plain-html.eml",
                                  "mixed-outlook-attachments.eml", "related-inline-image.eml",
                                  "report-delivery-status.eml",    "application-without-disposition.eml",
                                  "rfc2231-and-unsafe-names.eml",  "lf-only-line-endings.eml",
                                  "header-folded-over-blank-lines.eml"};
    for (const char* pszFile : kFiles)
    {
        SCOPED_TRACE(pszFile);
        std::string text = Fixture(pszFile);
        LONG nBefore = m_db.QueryLong("SELECT COUNT(*) FROM Emails");
        LONG nID = Receive(text);
        ASSERT_GT(nID, 0);
        EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM Emails"), nBefore + 1);

        CMimePart part(Text(text));
        CReceivedMessageScan scan;
        ScanReceivedMessage(part, scan);
        std::vector<CAttachmentRow> rows = Attachments(nID);
        ASSERT_EQ(rows.size(), scan.m_attachments.size());
        for (size_t i = 0; i < rows.size(); i++)
        {
            const CReceivedAttachment& expected = scan.m_attachments[i];
            EXPECT_EQ(rows[i].nSize, expected.m_nSize);
            if (!expected.m_bWriteFile)
            {
                EXPECT_EQ(rows[i].strName, (const char*)expected.m_strName);
                continue;
            }
            // Parts saved at once are named by their file, unique to the message.
            CString strPath;
            strPath.Format("%s%ld-%s", (const char*)GetTempFolder(), (long)nID,
                           (const char*)expected.m_strName);
            EXPECT_EQ(rows[i].strName, (const char*)strPath);
            EXPECT_EQ(ReadBytes(rows[i].strName),
                      std::string(expected.m_strData, expected.m_strData.GetLength()));
        }
        CEmailsImpl<>* pStored = Select(nID);
        EXPECT_EQ(std::string(pStored->GetMessage(), pStored->GetMessage().GetLength()), text);
        EXPECT_EQ((pStored->m_Flags & EMAIL_FLAG_ATTACHMENTS) != 0, part.HasAttachments() != FALSE);
        EXPECT_NE(pStored->m_Flags & EMAIL_FLAG_UNREAD, 0);
    }
}

TEST_F(MessageInsertionTest, HeaderReadingsAreStoredInTheRow)
{
    LONG nID = Receive(Fixture("plain-single-part.eml"));
    CEmailsImpl<>* pStored = Select(nID);
    EXPECT_STREQ(pStored->m_MessageID, "plain-1@example.com");
    EXPECT_STREQ(pStored->m_Subject, "Plain");
    EXPECT_STREQ(pStored->m_Ref, "Ann <ann@example.com>");
    SYSTEMTIME stored;
    VariantTimeToSystemTime(pStored->m_EmDate, &stored);
    EXPECT_EQ(stored.wYear, 2002);
    EXPECT_EQ(stored.wMonth, 3);
    EXPECT_EQ(stored.wDay, 5);
    EXPECT_EQ(stored.wHour, 10);
    EXPECT_EQ(stored.wMinute, 20);
    EXPECT_EQ(stored.wSecond, 30);
    EXPECT_EQ(Recipients(nID, ADDRESS_TO), 1);

    LONG nOther = Receive("Subject: no id\r\nX-Priority: 5\r\n\r\nbody");
    pStored = Select(nOther);
    EXPECT_EQ(pStored->m_MessageID[0] != '<' && strstr(pStored->m_MessageID, "@Letrova") != NULL, true)
        << pStored->m_MessageID;
    EXPECT_EQ(pStored->m_Flags & (EMAIL_FLAG_HIGH_PRIORITY | EMAIL_FLAG_LOW_PRIORITY),
              EMAIL_FLAG_LOW_PRIORITY);
}

TEST_F(MessageInsertionTest, ObsoleteHeaderFormsReachTheRowAsTheHeaderPaneReadsThem)
{
    struct Case
    {
        const char* pszName;
        const char* pszText;
        const char* pszSubject;
        const char* pszRef;
        WORD wYear, wMonth, wDay, wHour, wMinute, wSecond;
    } cases[] = {
        {"a line of blanks inside the header",
         "From: Ann <a@x>\r\n \t \r\nSubject: after the blanks\r\nDate: Fri, Nov 01 02 01:50:58\r\n\r\nbody",
         "after the blanks", "Ann <a@x>", 2002, 11, 1, 1, 50, 58},
        {"blanks before the colon",
         "From : Bob <b@x>\r\nSubject : spaced\r\nDate : 26-Aug-2005 11:04:57 GDT\r\n\r\nbody", "spaced",
         "Bob <b@x>", 2005, 8, 26, 11, 4, 57},
        {"raw UTF-8 in the header", "From: Cy <c@x>\r\nSubject: Price \xC2\xA3" "600\r\n"
         "Date: Tue, 5 Mar 2002 10:20:30 +0300\r\n\r\nbody",
         "Price \xA3" "600", "Cy <c@x>", 2002, 3, 5, 10, 20, 30},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        LONG nID = Receive(c.pszText);
        CEmailsImpl<>* pStored = Select(nID);
        EXPECT_STREQ(pStored->m_Subject, c.pszSubject);
        EXPECT_STREQ(pStored->m_Ref, c.pszRef);
        // The header pane's and the quote's reading of the same stored text.
        EXPECT_STREQ(DecodeEncodedWord(pStored->GetHeaderField("Subject")), c.pszSubject);
        EXPECT_STREQ(pStored->GetQuotedHeader().strFrom, c.pszRef);
        EXPECT_STREQ(pStored->GetSubject(), c.pszSubject);
        SYSTEMTIME stored;
        VariantTimeToSystemTime(pStored->m_EmDate, &stored);
        EXPECT_EQ(stored.wYear, c.wYear);
        EXPECT_EQ(stored.wMonth, c.wMonth);
        EXPECT_EQ(stored.wDay, c.wDay);
        EXPECT_EQ(stored.wHour, c.wHour);
        EXPECT_EQ(stored.wMinute, c.wMinute);
        EXPECT_EQ(stored.wSecond, c.wSecond);
    }
}

TEST_F(MessageInsertionTest, RecipientsAreStoredOncePerAddressAndKind)
{
    LONG nID = Receive(Fixture("mixed-outlook-attachments.eml"));
    EXPECT_EQ(Recipients(nID, ADDRESS_TO), 1) << "bare and named forms of one address";
    EXPECT_EQ(Recipients(nID, ADDRESS_CC), 1);
}

TEST_F(MessageInsertionTest, ALongSubjectIsCutWithAWarning)
{
    std::string strSubject(300, 's');
    LONG nID = Receive("Subject: " + strSubject + "\r\n\r\nbody");
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], "Subject of the message:\r\n\r\n" + strSubject +
                              "\r\n\r\nis very long.\r\rTruncate to:\r\n\r\n" + strSubject.substr(0, 255));
    EXPECT_EQ(std::string(Select(nID)->m_Subject), strSubject.substr(0, 255));
}

TEST_F(MessageInsertionTest, MalformedMessagesAreStoredWithTheProblemRecorded)
{
    CString strError;
    LONG nID = Receive(Fixture("application-without-disposition.eml"), &strError);
    ASSERT_GT(nID, 0);
    EXPECT_STREQ(strError, "ERROR: No Content-Disposition for Content-Type: application/pdf");
    std::vector<CAttachmentRow> expected = {{"scan.pdf", 768}};
    EXPECT_EQ(Attachments(nID), expected);

    nID = Receive("Content-Type: application/pdf\r\nContent-Disposition: inline\r\n"
                  "Content-Transfer-Encoding: x-unknown\r\n\r\n%PDF",
                  &strError);
    ASSERT_GT(nID, 0);
    EXPECT_STREQ(strError, "ERROR: Content-Disposition: inline\r\nContent-Type: application/pdf\r\n"
                           "ERROR: Content-Disposition failed. No file name of the attachment.");
    expected = {{"Attachment1.dat", 4}};
    EXPECT_EQ(Attachments(nID), expected);
}

TEST_F(MessageInsertionTest, AttachmentNamesAreCollectedInsteadOfStoredWhenAskedFor)
{
    CEmailsImpl<> store(m_db.Session());
    std::vector<CString> names;
    store.InsertMessage(Text(Fixture("mixed-outlook-attachments.eml")), m_nInbox, 0, NULL, 0, NULL, &names,
                        0.0, NULL, NULL, FALSE, FALSE, TRUE);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_STREQ(names[0], "report.pdf");
    EXPECT_STREQ(names[2], "notes (2).txt");
    EXPECT_TRUE(Attachments(store.m_EmailsID).empty());
}

TEST_F(MessageInsertionTest, AFailedInsertLeavesNoRowsAndSavesTheMessageText)
{
    std::string strAddress(140, 'a');
    std::string text = "To: ok@example.com, " + strAddress + "@example.com\r\nSubject: bad\r\n\r\nbody";
    CString strSaved = GetTempFolder() + "Message.eml";
    DeleteFileA(strSaved);
    try
    {
        Receive(text);
        FAIL() << "no failure";
    }
    catch (const char* pszError)
    {
        EXPECT_STREQ(pszError, "CEmailsImpl::InsertMessage error.");
    }
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM Emails"), 0);
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM Address"), 0);
    EXPECT_EQ(ReadBytes((const char*)strSaved), text);
}

TEST_F(MessageInsertionTest, AMessageReceivedAgainGoesToTheProbeFolder)
{
    std::string text = Fixture("plain-single-part.eml");
    LONG nFirst = Receive(text);
    CEmailsImpl<> store(m_db.Session());
    store.InsertMessage(Text(text), m_nInbox, m_nOutbox, NULL, 0, NULL, NULL, 0.0, NULL, NULL, TRUE, FALSE,
                        FALSE);
    EXPECT_EQ(Select(nFirst)->m_FolderID, m_nInbox);
    EXPECT_EQ(Select(store.m_EmailsID)->m_FolderID, m_nOutbox);

    store.InsertMessage("Subject: other\r\n\r\nx", m_nInbox, m_nOutbox, NULL, 0, NULL, NULL, 0.0, NULL, NULL,
                        TRUE, FALSE, FALSE);
    EXPECT_EQ(Select(store.m_EmailsID)->m_FolderID, m_nInbox);
}

TEST_F(MessageInsertionTest, AttachmentRowsNameTheFilesThatSaveAttachmentsWrites)
{
    // Names in declared charsets, read through MLang as on the program's threads, and parts without a
    // disposition that only a list of every part not shown finds.
    std::string text = "Subject: names\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                       "--b\r\nContent-Type: text/plain\r\n\r\nsee\r\n"
                       "--b\r\nContent-Type: application/octet-stream\r\n"
                       "Content-Disposition: attachment; filename*=windows-1251''%EF%F0%E8%EC%E5%F0.txt\r\n\r\none\r\n"
                       "--b\r\nContent-Type: application/octet-stream\r\n"
                       "Content-Disposition: attachment; filename*=iso-8859-15''5%A4.txt\r\n\r\ntwo\r\n"
                       "--b\r\nContent-Type: video/mpeg; name=Video001.mpeg\r\n\r\nthree\r\n"
                       "--b\r\nContent-Type: message/rfc822\r\n\r\nSubject: inner\r\n\r\nfour\r\n--b--\r\n";
    LONG nID = Receive(text);
    std::vector<CAttachmentRow> rows = Attachments(nID);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].strName, "5\x80.txt");
    EXPECT_EQ(rows[2].strName, "Video001.mpeg");

    CEmailsImpl<>* pStored = Select(nID);
    EXPECT_NE(pStored->m_Flags & EMAIL_FLAG_ATTACHMENTS, 0);
    CString strFolder = pStored->SaveMessageToTempFile();
    CString strPrefix;
    strPrefix.Format("%s%ld-", (const char*)GetTempFolder(), (long)nID);
    for (const CAttachmentRow& row : rows)
    {
        // The forwarded message was written when it came; its row names that file.
        std::string strName = row.strName;
        if (strName.compare(0, strPrefix.GetLength(), (const char*)strPrefix) == 0)
        {
            EXPECT_EQ(ReadBytes(strName).size(), (size_t)row.nSize);
            strName = strName.substr(strPrefix.GetLength());
        }
        SCOPED_TRACE(strName);
        EXPECT_EQ(ReadBytes((const char*)(strFolder + "\\" + strName.c_str())).size(), (size_t)row.nSize);
    }
}

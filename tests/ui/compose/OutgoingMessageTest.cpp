// Sending from the compose window: each stop stores nothing; a stored message has its Outbox row,
// recipients and attachments, flags and announcements; the HTML's images become inline parts.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "ComposeTestStore.h"
#include "RecordingThread.h"
#include "app/ManagerCommands.h"
#include "foundation/Paths.h"
#include "store/EmailsImpl.h"
#include "store/TableSchema.h"
#include "ui/compose/OutgoingMessage.h"

namespace
{
class OutgoingMessageTest : public ComposeStoreTest
{
protected:
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_hHandOver = CreateEventA(NULL, TRUE, TRUE, NULL);
        m_target.pLocalSession = LocalSession();
        m_target.dwManagerThreadId = m_manager.ThreadId();
        m_target.dwMainThreadId = m_main.ThreadId();
        m_target.hHandOverEvent = m_hHandOver;
        m_fields.m_nAccountID = m_nAccountID;
        m_fields.m_strCharset = "windows-1252";
        m_fields.m_strTo = "Bob <bob@x.org>";
        m_fields.m_strSubject = "Hello";
        m_fields.m_strPlainBody = "Body";
        WriteFileBytes(m_folder.Path("data.bin"), std::string("\0\1\2", 3));
        WriteFileBytes(m_folder.Path("empty.bin"), "");
    }
    void TearDown() override
    {
        CloseHandle(m_hHandOver);
        ComposeStoreTest::TearDown();
    }
    LONG Store(int nFolderType = 2)
    {
        COutgoingMessage outgoing(m_fields, m_target);
        LONG nID = outgoing.StoreMessage(nFolderType, FALSE);
        m_strMime = (const char*)outgoing.m_strMime;
        return nID;
    }
    // Rows of a table; a table never made holds none.
    long Count(const char* pszTable)
    {
        if (!TableExists(LocalSession(), pszTable))
            return 0;
        return Query((std::string("SELECT COUNT(*) FROM ") + pszTable).c_str());
    }

    CRecordingThread m_manager, m_main;
    HANDLE m_hHandOver = NULL;
    CStoreTarget m_target;
    CComposeFields m_fields;
    std::string m_strMime;
};

TEST_F(OutgoingMessageTest, EveryStopStoresNothing)
{
    const struct
    {
        const char* pszName;
        std::function<void(CComposeFields&, CScratchFolder&)> prepare;
        std::deque<int> answers;
        const char* pszBox; // the start of the last box shown, NULL for none
    } cases[] = {
        {"no recipients", [](CComposeFields& f, CScratchFolder&) { f.m_strTo = ""; }, {},
         "The message could not be sent.\r\n\r\nYou must spesify some recipients for the message."},
        {"only a name", [](CComposeFields& f, CScratchFolder&) { f.m_strTo = "Bob"; }, {},
         "The message could not be sent."},
        {"a subject of 255", [](CComposeFields& f, CScratchFolder&) { f.m_strSubject = CString('s', 255); }, {},
         "Field\nSubject:\ntoo large. Maximum char count: 254"},
        {"no subject, Cancel", [](CComposeFields& f, CScratchFolder&) { f.m_strSubject = ""; }, {IDCANCEL},
         "This message has no subject. Select OK to send anyway."},
        {"an empty inline image",
         [](CComposeFields& f, CScratchFolder& folder)
         {
             f.m_bHtml = f.m_bEditor = 1;
             f.m_strHtmlDocument = "<p><IMG src=\"" + folder.Path("empty.bin") + "\"></p>";
         },
         {}, "Size of the '"},
        {"an empty attachment, No",
         [](CComposeFields& f, CScratchFolder& folder)
         { f.m_attachments.push_back({folder.m_strPath.Left(folder.m_strPath.GetLength() - 1), "empty.bin"}); },
         {IDNO}, "Size of the '"},
        {"a cancelled resolution", [](CComposeFields& f, CScratchFolder&) { f.m_strCc = "\"unclosed <c@x.org>"; },
         {IDOK}, NULL},
    };
    for (const auto& c : cases)
    {
        m_fields = CComposeFields();
        m_fields.m_nAccountID = m_nAccountID;
        m_fields.m_strTo = "Bob <bob@x.org>";
        m_fields.m_strSubject = "Hello";
        c.prepare(m_fields, m_folder);
        m_user.m_boxes.clear();
        m_user.m_boxAnswers = c.answers;
        EXPECT_EQ(0, Store()) << c.pszName;
        EXPECT_EQ(0, Count("Emails")) << c.pszName;
        if (c.pszBox != NULL)
        {
            ASSERT_FALSE(m_user.m_boxes.empty()) << c.pszName;
            EXPECT_EQ(0u, m_user.m_boxes.back().find(c.pszBox)) << c.pszName << ": " << m_user.m_boxes.back();
        }
    }
    m_user.m_boxAnswers.clear();
    m_fields = CComposeFields();
    m_fields.m_nAccountID = 4242;
    m_fields.m_strTo = "bob@x.org";
    try
    {
        Store();
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ("Invalid Account", pszText);
    }
    EXPECT_EQ(0, Count("Emails"));
    EXPECT_TRUE(m_manager.Commands().empty());
}

TEST_F(OutgoingMessageTest, ASubjectOf254IsAccepted)
{
    m_fields.m_strSubject = CString('s', 254);
    EXPECT_NE(0, Store());
}

TEST_F(OutgoingMessageTest, AStoredMessageHasItsRowsFlagsAndAnnouncement)
{
    LONG nSource = StoreText("From: bob@x.org\r\nTo: ann@example.com\r\nSubject: Hi\r\n\r\nhi", 1);
    Exec(("UPDATE Emails SET Flags = 3 WHERE EmailsID = " + std::to_string(nSource)).c_str());
    m_fields.m_nSourceID = nSource;
    m_fields.m_strTo = "Bob <bob@x.org>; Name Only";
    m_fields.m_strCc = "c1@x.org; c2@x.org; c3@x.org; Nameless";
    m_fields.m_strBcc = "Eve <eve@x.org>";
    m_fields.m_nPriority = 0;
    m_fields.m_attachments.push_back({m_folder.m_strPath.Left(m_folder.m_strPath.GetLength() - 1), "data.bin"});
    LONG nID = Store();
    ASSERT_NE(0, nID);

    CString strSQL;
    strSQL.Format("SELECT FolderID FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(FolderOfType(2), Query(strSQL));
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nID);
    long nFlags = Query(strSQL);
    EXPECT_EQ(0, nFlags & 2);
    EXPECT_EQ(16, nFlags & 48);
    strSQL.Format("SELECT COUNT(*) FROM Address WHERE EmailID = %ld", (long)nID);
    EXPECT_EQ(5, Query(strSQL));
    strSQL.Format("SELECT Type FROM Address WHERE EmailID = %ld AND Address = 'eve@x.org'", (long)nID);
    EXPECT_EQ(2, Query(strSQL));
    strSQL.Format("SELECT COUNT(*) FROM Attachments WHERE EmailID = %ld", (long)nID);
    EXPECT_EQ(1, Query(strSQL));

    // Entries are read from the end of each list; names without an address are left out everywhere.
    size_t nC3 = m_strMime.find("c3@x.org"), nC2 = m_strMime.find("c2@x.org"), nC1 = m_strMime.find("c1@x.org");
    EXPECT_TRUE(nC3 < nC2 && nC2 < nC1) << m_strMime.substr(0, 600);
    EXPECT_EQ(std::string::npos, m_strMime.find("Nameless"));
    EXPECT_EQ(std::string::npos, m_strMime.find("Name Only"));
    EXPECT_NE(std::string::npos, m_strMime.find("\r\nBcc: \"Eve\" <eve@x.org>\r\n"));

    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nSource);
    EXPECT_EQ(7, Query(strSQL));
    LONG nSlotID = 0, nSlotFlags = 0;
    GetUpdatedMessageFlags(nSlotID, nSlotFlags);
    EXPECT_EQ(nSource, nSlotID);
    EXPECT_EQ(7, nSlotFlags);
    EXPECT_TRUE(m_main.WaitForCommand(ID_UPDATE_MESSAGE_FLAGS));
    CRecordingThread::Command added = {};
    ASSERT_TRUE(m_manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL, 20000, &added));
    EXPECT_EQ(nID, (LONG)added.lParam);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(m_hHandOver, 0)) << "the manager sets it again";
}

TEST_F(OutgoingMessageTest, AHandOverThatTimesOutSetsTheEventAndPostsNothing)
{
    ResetEvent(m_hHandOver);
    m_fields.m_nPriority = 2;
    LONG nID = Store(5);
    ASSERT_NE(0, nID);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_hHandOver, 0));
    EXPECT_TRUE(m_manager.Commands().empty());
    CString strSQL;
    strSQL.Format("SELECT FolderID FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(FolderOfType(5), Query(strSQL));
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(32, Query(strSQL) & 48);
}

TEST_F(OutgoingMessageTest, Koi8TextIsLabelledWindows1251)
{
    m_fields.m_strCharset = "koi8-r";
    ASSERT_NE(0, Store());
    EXPECT_NE(std::string::npos, m_strMime.find("windows-1251"));
    EXPECT_EQ(std::string::npos, m_strMime.find("koi8-r"));
}

TEST_F(OutgoingMessageTest, LocalImagesBecomeInlinePartsAndOtherSourcesStay)
{
    WriteFileBytes(m_folder.Path("pic.gif"), "GIF89a");
    CString strHtml = "<?xml:namespace prefix = o ns = \"urn:x\" /><p>kept text</p><IMG src=\"" +
                      m_folder.Path("pic.gif") + "\"><IMG src=\"file://" + m_folder.Path("pic.gif") +
                      "\"><IMG src=\"https://h.example/a.png\"><IMG src=\"cid:given\"><p>end/></p>";
    CSmtpMessage message;
    ASSERT_TRUE(PrepareHtmlBody(strHtml, "windows-1252", message, NULL));
    ASSERT_EQ(2u, message.m_Attachments.size());
    EXPECT_NE(message.m_Attachments[0].m_strContentId, message.m_Attachments[1].m_strContentId);
    std::string strOut = (const char*)strHtml;
    for (const CSmtpAttachment& attachment : message.m_Attachments)
    {
        EXPECT_NE(std::string::npos, strOut.find("src=\"cid:" + std::string(attachment.m_strContentId) + "\""));
        EXPECT_EQ(1, attachment.m_nInline);
    }
    EXPECT_NE(std::string::npos, strOut.find("src=\"https://h.example/a.png\""));
    EXPECT_NE(std::string::npos, strOut.find("src=\"cid:given\""));
    EXPECT_EQ(0u, strOut.find("<p>kept text</p>"));
    EXPECT_NE(std::string::npos, strOut.find("<p>end/></p>"));
    // The identifier's third group is lower-case hexadecimal, the others upper-case.
    std::string strId = (const char*)message.m_Attachments[0].m_strContentId;
    ASSERT_EQ(36u, strId.size());
    EXPECT_EQ(strId.substr(14, 4), std::string(CString(strId.substr(14, 4).c_str()).MakeLower()));
    EXPECT_EQ(strId.substr(0, 8), std::string(CString(strId.substr(0, 8).c_str()).MakeUpper()));
}
} // namespace

TEST_F(OutgoingMessageTest, ASentMessageCarriesTheBusinessCard)
{
    const LONG nOwn = AddContact("Anna", "Berg", "anna@example.com");
    m_target.bIncludeBusinessCard = 1;
    m_target.nBusinessCardID = nOwn;
    LONG nID = Store();
    ASSERT_NE(0, nID);
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Attachments WHERE EmailID = %ld AND Name = 'Anna Berg.vcf'", (long)nID);
    EXPECT_EQ(1, Query(strSQL));
    EXPECT_NE(std::string::npos, m_strMime.find("Anna Berg.vcf")) << m_strMime.substr(0, 2000);
    // The card written for it is gone again.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(GetTempFolder() + "Anna Berg.vcf"));
}

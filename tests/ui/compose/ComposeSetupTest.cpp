// The set-up of a new message from each compose mode over a fixture store.
#include <gtest/gtest.h>

#include <string>

#include "ComposeTestStore.h"
#include "foundation/BuiltInHosts.h"
#include "foundation/Paths.h"
#include "foundation/SequentialStream.h"
#include "ui/compose/ComposeSetup.h"
#include "ui/compose/SignaturesTable.h"

namespace
{
const char kPlainSource[] = "From: \"Bob\" <bob@x.org>\r\nTo: ann@example.com\r\nCc: carl@x.org\r\n"
                            "Date: Mon, 1 Jan 2024 10:00:00 +0000\r\nSubject: Hello\r\nContent-Type: text/plain\r\n"
                            "\r\nline 1\r\nline 2";
const char kHtmlSource[] = "From: bob@x.org\r\nTo: ann@example.com\r\nDate: Tue, 2 Jan 2024 10:00:00 +0000\r\n"
                           "Subject: RE: News\r\nContent-Type: text/html\r\n\r\n<html><body><p>Hi &amp; <b>bye</b>"
                           "</p><div>second</div></body></html>";
const char kDraftSource[] =
    "From: ann@example.com\r\nTo: =?iso-8859-1?Q?J=F6rg?= <jorg@x.org>, carl@x.org\r\nCc: \"Dee\" <dee@x.org>\r\n"
    "Bcc: eve@x.org\r\nSubject: Draft\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\n"
    "Content-Type: text/plain\r\n\r\nunfinished\r\n--m\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
    "Content-Disposition: attachment; filename=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\nAAEA/w==\r\n"
    "--m--\r\n";

class ComposeSetupTest : public ComposeStoreTest
{
protected:
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_messages.reset(new CEmailsImpl<>(LocalSession()));
    }
    void TearDown() override
    {
        m_messages.reset();
        ComposeStoreTest::TearDown();
    }
    void SetSignature(const char* pszText, LONG nFlags)
    {
        CSignaturesTable table(LocalSession());
        table.Open(NULL);
        CSequentialStream stream;
        ULONG nWritten = 0;
        stream.Write(pszText, (ULONG)strlen(pszText), &nWritten);
        table.m_pSignatureText = &stream;
        table.m_SignatureLength = strlen(pszText);
        table.m_SignatureStatus = DBSTATUS_S_OK;
        ASSERT_EQ(S_OK, table.Insert(1));
        table.m_pSignatureText = NULL;
        CString strSQL;
        strSQL.Format("INSERT INTO Options (UserID, Flags) VALUES (1, %ld)", (long)nFlags);
        Exec(strSQL);
    }
    CComposeFields Setup(LONG nMode, LONG nSelected = 0, bool bHtml = false, lpMapiMessage pMapi = NULL,
                         const char* pszAddressList = "")
    {
        CComposeFields fields;
        fields.m_nMode = nMode;
        fields.m_strAddressList = pszAddressList;
        fields.m_bHtml = bHtml;
        fields.m_bEditor = bHtml;
        fields.m_strCharset = "windows-1252";
        CComposeSources sources;
        sources.pLocalSession = LocalSession();
        sources.pRegistry = m_pRegistry.get();
        sources.pMessages = m_messages.get();
        sources.nSelectedID = nSelected;
        sources.pMapiMessage = pMapi;
        CComposeSetup setup(fields, sources);
        setup.Run();
        EXPECT_EQ("", std::string(fields.m_strError));
        return fields;
    }
    std::unique_ptr<CEmailsImpl<>> m_messages;
};

TEST_F(ComposeSetupTest, TheArgumentIsAModeOnlyWhenItIsWhollyANumber)
{
    const struct
    {
        const char* pszArgument;
        LONG nMode;
        const char* pszList;
    } cases[] = {{"0", 0, ""},      {"-5", -5, ""},   {"123", 123, ""},  {"123abc@x.org", 0, "123abc@x.org"},
                 {"", 0, ""},       {"-", 0, "-"},    {"a@x.org", 0, "a@x.org"}, {"99999999999", 0, "99999999999"},
                 {"-2147483648", -2147483647L - 1, ""}};
    for (const auto& c : cases)
    {
        LONG nMode = 7;
        CString strList;
        ParseComposeArgument(c.pszArgument, nMode, strList);
        EXPECT_EQ(c.nMode, nMode) << c.pszArgument;
        EXPECT_EQ(c.pszList, std::string(strList)) << c.pszArgument;
    }
}

TEST_F(ComposeSetupTest, NewMessagesStartWithTheSignatureAsTheOptionsSay)
{
    EXPECT_EQ("", std::string(Setup(COMPOSE_NEW).m_strPlainBody));
    SetSignature("Ann\r\nhttp://vorn.example", 1);
    EXPECT_EQ("\r\nAnn\r\nhttp://vorn.example", std::string(Setup(COMPOSE_NEW).m_strPlainBody));

    CComposeFields html = Setup(COMPOSE_NEW, 0, true);
    EXPECT_EQ(1, html.m_bDocumentSet);
    std::string strDocument = (const char*)html.m_strHtmlDocument;
    EXPECT_EQ(0u, strDocument.find("<HTML>\r\n<HEAD>\r\n<META NAME=\"GENERATOR\" Content=\"charset=windows-1252\">"
                                   "\r\n</HEAD>\r\n<BODY>\r\n<DIV><BR></DIV><DIV>"));
    EXPECT_NE(std::string::npos, strDocument.find("Ann<BR>"));
    EXPECT_EQ(strDocument.size() - 18, strDocument.find("\r\n</BODY>\r\n</HTML>"));
}

TEST_F(ComposeSetupTest, WithoutTheOptionNoSignatureIsAdded)
{
    SetSignature("Ann", 2);
    EXPECT_EQ("", std::string(Setup(COMPOSE_NEW).m_strPlainBody));
}

TEST_F(ComposeSetupTest, ContactsAndReportsFillTheirFields)
{
    LONG nBob = AddContact("Bob", "Lee", "bob@x.org");
    EXPECT_EQ("\"Bob Lee\" <bob@x.org>", std::string(Setup(nBob).m_strTo));
    CComposeFields missing;
    missing.m_nMode = 99999;
    CComposeSources sources;
    sources.pLocalSession = LocalSession();
    CComposeSetup(missing, sources).Run();
    EXPECT_EQ("ERROR: Get Contact failed!\r\nEmail ID: 99999", std::string(missing.m_strError));

    CComposeFields report = Setup(COMPOSE_ERROR_REPORT);
    EXPECT_EQ(BuiltInHosts::kSupportMailbox, std::string(report.m_strTo));
    EXPECT_EQ("Vorn Email error report.", std::string(report.m_strSubject));
    EXPECT_EQ("Type your comment here:\r\n\r\n\r\n", std::string(report.m_strPlainBody));

    LONG nSource = StoreText(kPlainSource, 1);
    m_messages->m_strLastError = "ERROR: View message failed!\r\nbad";
    CComposeFields problem = Setup(COMPOSE_PROBLEM_REPORT, nSource);
    std::string strBody = (const char*)problem.m_strPlainBody;
    EXPECT_EQ(0u, strBody.find("Type your comment here:\r\n\r\n\r\nERROR: View message failed!\r\nbad\r\n\r\n"));
    EXPECT_NE(std::string::npos, strBody.find("\r\n\r\nMessage source:\r\n\r\n"));
    EXPECT_EQ(strBody.size() - strlen(kPlainSource), strBody.find(kPlainSource));
}

TEST_F(ComposeSetupTest, RepliesQuoteUnderTheHeaderBlock)
{
    SetSignature("Ann", 1);
    LONG nPlain = StoreText(kPlainSource, 1);
    CComposeFields reply = Setup(COMPOSE_REPLY, nPlain);
    EXPECT_EQ("\"Bob\" <bob@x.org>", std::string(reply.m_strTo));
    EXPECT_EQ("Re: Hello", std::string(reply.m_strSubject));
    EXPECT_EQ("\r\nAnn\r\n\r\n----- Original Message -----\r\nFrom: \"Bob\" <bob@x.org>\r\nTo: ann@example.com"
              "\r\nCc: carl@x.org\r\nSent: Mon, 1 Jan 2024 10:00:00 +0000\r\nSubject: Hello\r\n\r\n>line 1\r\n>line 2",
              std::string(reply.m_strPlainBody));
    EXPECT_EQ(nPlain, reply.m_nSourceID);

    // An HTML message quoted as text: its text, not its markup; no Cc line without a Cc.
    LONG nHtml = StoreText(kHtmlSource, 1);
    CComposeFields htmlReply = Setup(COMPOSE_REPLY, nHtml);
    EXPECT_EQ("RE: News", std::string(htmlReply.m_strSubject));
    std::string strBody = (const char*)htmlReply.m_strPlainBody;
    EXPECT_EQ(std::string::npos, strBody.find("\r\nCc: "));
    EXPECT_EQ(std::string::npos, strBody.find('<', strBody.find("Subject:"))) << strBody;
    EXPECT_NE(std::string::npos, strBody.find(">Hi & bye")) << strBody;
    EXPECT_NE(std::string::npos, strBody.find(">second")) << strBody;
    EXPECT_EQ(0, htmlReply.m_bHtml);

    // With HTML editing the editor loads the source itself.
    CComposeFields htmlEdit = Setup(COMPOSE_REPLY, nHtml, true);
    EXPECT_EQ(1, htmlEdit.m_bLoadSourceHtml);
    EXPECT_EQ(1, htmlEdit.m_bDocumentSet);
    EXPECT_EQ("", std::string(htmlEdit.m_strPlainBody));
}

TEST_F(ComposeSetupTest, SubjectsOfRepliesAndForwards)
{
    const struct
    {
        const char* pszSubject;
        const char* pszReply;
        const char* pszForward;
    } cases[] = {{"Hello", "Re: Hello", "Fw: Hello"},
                 {"re: x", "re: x", "Fw: re: x"},
                 {"RE: x", "RE: x", "Fw: RE: x"},
                 {"Fw: RE: x", "Re: Fw: RE: x", "Fw: Fw: RE: x"},
                 {"Re:x", "Re: Re:x", "Fw: Re:x"}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.pszReply, std::string(MakeReplySubject(c.pszSubject)));
        EXPECT_EQ(c.pszForward, std::string(MakeForwardSubject(c.pszSubject)));
    }
}

TEST_F(ComposeSetupTest, ForwardsAndDraftsCarryTheirAttachments)
{
    LONG nDraft = StoreText(kDraftSource, 5);
    CComposeFields forward = Setup(COMPOSE_FORWARD, nDraft);
    EXPECT_EQ("Fw: Draft", std::string(forward.m_strSubject));
    EXPECT_EQ("", std::string(forward.m_strTo));
    ASSERT_EQ(1u, forward.m_attachments.size());
    EXPECT_EQ("a.bin", std::string(forward.m_attachments[0].m_strName));
    EXPECT_EQ(0u, std::string(forward.m_strAttachFolder).find(std::string(GetTempFolder() + "Attach\\")));
    EXPECT_EQ(std::string("\0\1\0\xff", 4), ReadFileBytes(forward.m_attachments[0].GetPath()));

    CComposeFields draft = Setup(COMPOSE_EDIT_DRAFT, nDraft);
    EXPECT_EQ("\"J\xf6rg\" <jorg@x.org>; <carl@x.org>", std::string(draft.m_strTo));
    EXPECT_EQ("\"Dee\" <dee@x.org>", std::string(draft.m_strCc));
    EXPECT_EQ("<eve@x.org>", std::string(draft.m_strBcc));
    EXPECT_EQ("Draft", std::string(draft.m_strSubject));
    EXPECT_EQ("unfinished", std::string(draft.m_strPlainBody));
    EXPECT_NE(std::string(forward.m_strAttachFolder), std::string(draft.m_strAttachFolder));
    ASSERT_EQ(1u, draft.m_attachments.size());
    EXPECT_EQ(std::string("\0\1\0\xff", 4), ReadFileBytes(draft.m_attachments[0].GetPath()));
}

TEST_F(ComposeSetupTest, SimpleMapiMessagesFillEachField)
{
    MapiRecipDesc recipients[] = {{0, MAPI_ORIG, (LPSTR) "Orig", (LPSTR) "orig@x.org", 0, NULL},
                                  {0, MAPI_TO, (LPSTR) "", (LPSTR) "to@x.org", 0, NULL},
                                  {0, MAPI_TO, (LPSTR) "Name Only", (LPSTR) "", 0, NULL},
                                  {0, MAPI_CC, NULL, (LPSTR) "cc@x.org", 0, NULL},
                                  {0, MAPI_BCC, (LPSTR) "Blind", (LPSTR) "bcc@x.org", 0, NULL}};
    WriteFileBytes(m_folder.Path("file.txt"), "x");
    CString strFile = m_folder.Path("file.txt");
    MapiFileDesc files[] = {{0, 0, (ULONG)-1, (LPSTR)(const char*)strFile, NULL, NULL},
                            {0, 0, (ULONG)-1, NULL, NULL, NULL}};
    MapiMessage message = {0, (LPSTR) "Subject", (LPSTR) "Note", NULL, NULL, NULL, MAPI_RECEIPT_REQUESTED, NULL,
                           5, recipients, 2, files};
    CComposeFields fields = Setup(COMPOSE_NEW, 0, true, &message);
    EXPECT_EQ("\"Orig\" <orig@x.org>; <to@x.org>; \"Name Only\"", std::string(fields.m_strTo));
    EXPECT_EQ("<cc@x.org>", std::string(fields.m_strCc));
    EXPECT_EQ("\"Blind\" <bcc@x.org>", std::string(fields.m_strBcc));
    EXPECT_EQ("Subject", std::string(fields.m_strSubject));
    EXPECT_EQ("Note", std::string(fields.m_strPlainBody));
    EXPECT_EQ(1, fields.m_bReadReceipt);
    EXPECT_EQ(0, fields.m_bHtml);
    ASSERT_EQ(1u, fields.m_attachments.size());
    EXPECT_EQ(std::string(strFile), std::string(fields.m_attachments[0].GetPath()));

    message.flFlags = 0;
    EXPECT_EQ(0, Setup(COMPOSE_NEW, 0, false, &message).m_bReadReceipt);

    // Counts without their arrays, as careless callers pass them: nothing to read, not a crash.
    message.lpRecips = NULL;
    message.lpFiles = NULL;
    CComposeFields empty = Setup(COMPOSE_NEW, 0, false, &message);
    EXPECT_EQ("", std::string(empty.m_strTo));
    EXPECT_TRUE(empty.m_attachments.empty());
    EXPECT_EQ("Subject", std::string(empty.m_strSubject));
}

TEST_F(ComposeSetupTest, LongAddressListsAreCutAndLocked)
{
    const struct
    {
        int nLength;
        bool bReadOnly;
    } cases[] = {{32766, false}, {32767, true}, {40000, true}};
    for (const auto& c : cases)
    {
        std::string strList(c.nLength, 'a');
        CComposeFields fields = Setup(COMPOSE_NEW, 0, false, NULL, strList.c_str());
        EXPECT_EQ(c.bReadOnly ? 1 : 0, fields.m_bToReadOnly) << c.nLength;
        EXPECT_EQ(c.bReadOnly ? strList.substr(0, 32763) + "..." : strList, std::string(fields.m_strTo))
            << c.nLength;
        EXPECT_EQ(strList, std::string(fields.m_strAddressList));
    }
    EXPECT_EQ("123abc@x.org", std::string(Setup(COMPOSE_NEW, 0, false, NULL, "123abc@x.org").m_strTo));
}

TEST_F(ComposeSetupTest, WithoutAnAccountTheWindowCloses)
{
    Exec("DELETE FROM Accounts");
    EXPECT_EQ(1, Setup(COMPOSE_NEW).m_bCloseWindow);
}

TEST_F(ComposeSetupTest, AMissingBusinessCardTurnsTheOptionOff)
{
    m_pRegistry->SetIncludeBusinessCard(1);
    m_pRegistry->SetBusinessCardContactId(4242);
    EXPECT_EQ(0, Setup(COMPOSE_NEW).m_bBusinessCard);
    EXPECT_EQ(0, m_pRegistry->GetIncludeBusinessCard());

    LONG nOwn = AddContact("Ann", "Sender", "ann@example.com");
    m_pRegistry->SetIncludeBusinessCard(1);
    m_pRegistry->SetBusinessCardContactId(nOwn);
    EXPECT_EQ(1, Setup(COMPOSE_NEW).m_bBusinessCard);
    m_pRegistry->SetIncludeBusinessCard(0);
}
} // namespace

// Operations on one stored message: move, body and subject updates, charset, quoting and the save name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/EmailsImpl.h"
#include "content/TextUtilities.h"
#include "store/MessageOperations.h"
#include "CommandRecorder.h"
#include "MessageDatabaseTest.h"

namespace
{
class MessageOperationsTest : public CMessageDatabaseTest
{
protected:
    LONG InsertText(const std::string& text, LONG nFlags = 0, const char* pszSubject = "")
    {
        CTestMessage message;
        message.nFolderID = m_nInbox;
        message.text = text;
        message.nFlags = nFlags;
        message.pszSubject = pszSubject;
        return Insert(message);
    }
    CCommandRecorder m_owner;
};

TEST_F(MessageOperationsTest, MoveToItsOwnFolderWritesNothingButFillsTheNotice)
{
    LONG nID = InsertText("Subject: s\r\n\r\nbody", EMAIL_FLAG_UNREAD);
    MessageFlagsNotice = {};
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, TRUE));
    // A read-only session would fail any write: the move must not try one.
    store.m_spRowsetChange.Release();
    store.MoveToFolder(m_owner.m_hWnd, m_nInbox);
    EXPECT_EQ(NOTICE_MESSAGE_MOVED, MessageFlagsNotice.nKind);
    EXPECT_EQ(m_nInbox, MessageFlagsNotice.nPreviousFolderID);
    EXPECT_EQ(m_nInbox, MessageFlagsNotice.nFolderID);
    EXPECT_EQ(nID, MessageFlagsNotice.nMessageID);
    EXPECT_TRUE(MessageFlagsNotice.bMovedUnread);
}

TEST_F(MessageOperationsTest, MoveToAnotherFolderStoresItAndKeepsTheText)
{
    LONG nID = InsertText("Subject: s\r\n\r\nbody", EMAIL_FLAG_UNREAD | EMAIL_FLAG_BODY_PRESENT);
    MessageFlagsNotice = {};
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, FALSE));
    store.MoveToFolder(m_owner.m_hWnd, m_nOutbox);
    EXPECT_EQ("Subject: s\r\n\r\nbody", store.m_strMessage);
    EXPECT_EQ(m_nInbox, MessageFlagsNotice.nPreviousFolderID);
    EXPECT_EQ(m_nOutbox, MessageFlagsNotice.nFolderID);
    EXPECT_FALSE(MessageFlagsNotice.bMovedUnread); // 0x80 counts as read
    CString strSQL;
    strSQL.Format("SELECT FolderID FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(m_nOutbox, m_db.QueryLong(strSQL));
}

TEST_F(MessageOperationsTest, UpdateBodyStoresTextClearsNoBodySetsSubjectAndTellsTheOwner)
{
    LONG nID = InsertText("Subject: old\r\n\r\n", EMAIL_FLAG_NO_BODY, "old");
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, TRUE));
    const std::string strLong(300, 'x');
    const CString strBody = CString("Subject: ") + strLong.c_str() +
                            "\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
                            "Content-Type: text/plain\r\n\r\nhello\r\n--b\r\nContent-Type: application/x\r\n"
                            "Content-Disposition: attachment; filename=\"a.bin\"\r\n\r\nAAAA\r\n--b--\r\n";
    store.UpdateBody(m_owner.m_hWnd, strBody);

    ASSERT_EQ(1u, m_owner.m_commands.size());
    EXPECT_EQ(33052, m_owner.m_commands[0].first);
    EXPECT_EQ((LPARAM)&store, m_owner.m_commands[0].second);

    CEmailsImpl<> check(m_db.Session());
    ASSERT_TRUE(check.OpenByKey(nID, TRUE));
    EXPECT_EQ(strBody, check.m_strMessage);
    EXPECT_EQ(0, check.m_Flags & EMAIL_FLAG_NO_BODY);
    EXPECT_NE(0, check.m_Flags & EMAIL_FLAG_ATTACHMENTS);
    EXPECT_EQ(CString(strLong.substr(0, 255).c_str()), CString(check.m_Subject));
}

TEST_F(MessageOperationsTest, UpdateEncodeStoresTheIndexAndTheMenuChecksItsItem)
{
    LONG nID = InsertText("Subject: s\r\n\r\nbody");
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nID, FALSE));
    store.UpdateEncode(m_owner.m_hWnd, 7);
    CString strSQL;
    strSQL.Format("SELECT Encode FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(7, m_db.QueryLong(strSQL));

    const struct
    {
        int nIndex;
        UINT nCommand;
    } cases[] = {{0, 33025}, {1, 33004}, {21, 33024}};
    HMENU hMenu = CreatePopupMenu();
    for (UINT id = 33004; id <= 33025; id++)
        AppendMenuA(hMenu, MF_STRING, id, "x");
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.nCommand, MessageOperations::EncodingMenuCommand(c.nIndex));
        store.m_Encode = (BYTE)c.nIndex;
        store.CheckEncodingMenuItem(hMenu);
        EXPECT_EQ((UINT)MF_CHECKED, GetMenuState(hMenu, c.nCommand, MF_BYCOMMAND) & MF_CHECKED) << c.nIndex;
    }
    DestroyMenu(hMenu);
}

std::vector<std::string> g_boxes;
int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    g_boxes.push_back(pszText);
    return IDOK;
}

TEST_F(MessageOperationsTest, PrintableHtmlPutsTheTitledHeaderBeforeTheBodyAndLeavesNoWorkingFile)
{
    LONG nHtml = InsertText("Subject: <b>x\r\nFrom: Ann <a@x>\r\nTo: Bob <b@x>\r\nContent-Type: text/html\r\n\r\n"
                            "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY><P>hi there</P></BODY></HTML>");
    LONG nText = InsertText("Subject: plain\r\nFrom: Ann <a@x>\r\n\r\nline one\r\nline two");
    g_boxes.clear();
    AppMessageBoxHook pfnOld = SetAppMessageBoxHook(RecordBox);
    CEmailsImpl<> store(m_db.Session());
    ASSERT_TRUE(store.OpenByKey(nHtml, TRUE));
    std::string strHtml = (const char*)store.GetForwardReplyPrintHTML(m_owner.m_hWnd, 2);
    const size_t nTitle = strHtml.find("<U><B>&lt;b&gt;x </B></U>");
    const size_t nBody = strHtml.find("<P>hi there</P>");
    EXPECT_NE(std::string::npos, nTitle) << strHtml;
    EXPECT_NE(std::string::npos, nBody) << strHtml;
    EXPECT_LT(nTitle, nBody);
    EXPECT_EQ(std::string::npos, strHtml.find("Original Message"));

    ASSERT_TRUE(store.OpenByKey(nText, TRUE));
    strHtml = (const char*)store.GetForwardReplyPrintHTML(m_owner.m_hWnd, 2);
    EXPECT_NE(std::string::npos, strHtml.find("<U><B>plain </B></U>")) << strHtml;
    EXPECT_NE(std::string::npos, strHtml.find("line one<BR>line two")) << strHtml;
    SetAppMessageBoxHook(pfnOld);
    EXPECT_TRUE(g_boxes.empty());

    WIN32_FIND_DATAA found = {};
    HANDLE hFind = FindFirstFileA(GetTempHtmlPath() + "\\ForwardReplyPrint*.htm", &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, hFind) << found.cFileName;
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
}

TEST_F(MessageOperationsTest, SelectByIDUniqueShowsTheMessageOrSaysItIsMissing)
{
    LONG nID = InsertText("Subject: s\r\n\r\nbody");
    g_boxes.clear();
    AppMessageBoxHook pfnOld = SetAppMessageBoxHook(RecordBox);
    CEmailsImpl<> store(m_db.Session());
    std::vector<LONG> shown;
    auto show = [&](CEmailsImpl<>& selected) {
        shown.push_back(selected.m_EmailsID);
        EXPECT_EQ("Subject: s\r\n\r\nbody", selected.m_strMessage);
    };
    store.SelectByIDUnique(nID, m_owner.m_hWnd, show);
    store.SelectByIDUnique(nID + 1000, m_owner.m_hWnd, show);
    SetAppMessageBoxHook(pfnOld);
    EXPECT_EQ(std::vector<LONG>(1, nID), shown);
    EXPECT_EQ(std::vector<std::string>(1, "ERROR: Message is not found"), g_boxes);
}

TEST_F(MessageOperationsTest, TheDefaultAccountIsTheUsersOrTheFirstWhenTheUserHasNone)
{
    CAccountsImpl accounts(m_db.Session());
    COptionsTable options(m_db.Session());
    options.m_UserID = 1;
    options.Open(NULL, NULL);
    options.CloseTable();
    for (const char* pszName : {"First", "Second"})
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, RemoveAfter) "
                      "VALUES ('%s', 'x@example.org', 'pop', 'smtp', 'a', 0)",
                      pszName);
        m_db.Exec(strSQL);
    }
    const LONG nFirst = m_db.QueryLong("SELECT MIN(ID) FROM Accounts");
    const LONG nSecond = m_db.QueryLong("SELECT MAX(ID) FROM Accounts");
    // No Options row: the first account becomes the default.
    ASSERT_TRUE(accounts.SelectDefaultAccount(NULL));
    EXPECT_EQ(nFirst, accounts.m_Accounts.m_ID);
    EXPECT_EQ(nFirst, m_db.QueryLong("SELECT DefaultAccountID FROM Options WHERE UserID = 1"));

    CString strSQL;
    strSQL.Format("UPDATE Options SET DefaultAccountID = %ld WHERE UserID = 1", (long)nSecond);
    m_db.Exec(strSQL);
    CAccountsImpl again(m_db.Session());
    ASSERT_TRUE(again.SelectDefaultAccount(NULL));
    EXPECT_EQ(nSecond, again.m_Accounts.m_ID);
    EXPECT_STREQ("Second", again.m_Accounts.m_szDisplayName);
}

TEST(ContactWhere, QuotesAreDoubledAndTwoWordsSplitIntoFirstNameAndSurname)
{
    const struct
    {
        const char* pszText;
        const char* pszPrefix;
        BOOL bEither;
        const char* pszExpected;
    } cases[] = {
        {"ann", "", FALSE, " AND ContactName.cFirstname LIKE 'ann%'"},
        {"o'brien", "%", TRUE,
         " AND (ContactName.cFirstname LIKE '%o''brien%' OR ContactName.cEmail LIKE '%o''brien%')"},
        {"ann  o'neil", "", TRUE,
         " AND ContactName.cFirstname = 'ann' AND ContactName.cSurname LIKE 'o''neil%'"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.pszExpected, MessageOperations::BuildContactWhere(c.pszText, c.pszPrefix, c.bEither))
            << c.pszText;
}

TEST(SaveName, ReservedCharactersNeverReachTheDialog)
{
    const CString strName = MessageOperations::ProposedSaveName("Re: a/b?");
    EXPECT_EQ(-1, strName.FindOneOf("/?*\"<>|:\\"));
    EXPECT_STREQ("Re_ ab_", strName);
    EXPECT_LE(MessageOperations::ProposedSaveName(CString('x', 1000)).GetLength(), 255);
}

TEST(SaveName, DialogErrorsHaveTheirTexts)
{
    EXPECT_STREQ("", MessageOperations::CommonDialogErrorText(0, "f"));
    EXPECT_STREQ("'a?b'\r\n\r\nA filename is invalid.", MessageOperations::CommonDialogErrorText(0x3002, "a?b"));
    EXPECT_EQ(0, MessageOperations::CommonDialogErrorText(0xFFFF, "").Find("The dialog box could not be created."));
    EXPECT_STREQ("The common dialog box function failed to load a specified string.",
                 MessageOperations::CommonDialogErrorText(5, ""));
}

CQuotedHeader SampleHeader()
{
    CQuotedHeader header;
    header.strFrom = "\"Ann <b>\" <ann@example.com>";
    header.strTo = "bob@example.com, \"C & D\" <cd@example.com>";
    header.strDate = "Mon, 1 Jun 2026 10:00:00 +0000";
    header.strSubject = "<b>x";
    return header;
}

const char kLinks[] =
    "\r\n<DIV style=\"BACKGROUND: #e4e4e4; FONT: 10pt arial; font-color: black\"><B>From:</B> "
    "<A title=\"ann@example.com\" href=\"mailto:ann@example.com\">Ann &lt;b&gt;</A> </DIV>"
    "\r\n<DIV style=\"FONT: 10pt arial\"><B>To:</B> "
    "<A title=\"bob@example.com\" href=\"mailto:bob@example.com\">bob@example.com</A>  ; "
    "<A title=\"cd@example.com\" href=\"mailto:cd@example.com\">C &amp; D</A>  </DIV>"
    "\r\n<DIV style=\"FONT: 10pt arial\"><B>Sent:</B> Mon, 1 Jun 2026 10:00:00 +0000"
    "</DIV>\r\n<DIV style=\"FONT: 10pt arial\"><B>Subject:</B> &lt;b&gt;x</DIV>\r\n<DIV><BR></DIV>";

TEST(QuotedHtml, GoldenTextsOfTheThreeModes)
{
    const CString strView = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY bgcolor=white><P>hi</P></BODY></HTML>";
    const CString strQuoteLead = "\r\n<DIV><BR></DIV>\r\n<DIV><BR></DIV>"
                                 "\r\n<DIV style=\"FONT: 10pt arial\">----- Original Message -----</DIV>";
    const CString strBlockQuote =
        "<BLOCKQUOTE dir=ltr style=\"PADDING-RIGHT: 0px; PADDING-LEFT: 5px; MARGIN-LEFT: 5px; "
        "BORDER-LEFT: #000000 2px solid; MARGIN-RIGHT: 0px\">";
    const CString strHead = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY bgcolor=white>";

    EXPECT_STREQ(strHead + strQuoteLead + strBlockQuote + kLinks + "<P>hi</P></BLOCKQUOTE></BODY></HTML>",
                 MessageOperations::GetQuotedHTML(1, SampleHeader(), strView));
    EXPECT_STREQ(strHead + strQuoteLead + kLinks + "<P>hi</P></BODY></HTML>",
                 MessageOperations::GetQuotedHTML(0, SampleHeader(), strView));
    EXPECT_STREQ(strHead +
                     "\r\n<DIV style=\"FONT: 12pt arial\"><U><B>&lt;b&gt;x </B></U></DIV>\r\n<hr>\r\n"
                     "<DIV><BR></DIV>" +
                     kLinks + "<P>hi</P></BODY></HTML>",
                 MessageOperations::GetQuotedHTML(2, SampleHeader(), strView));
}

TEST(QuotedHtml, AViewWithoutBodyStillHoldsTheHeaderBlockAndTheBody)
{
    const CString strResult = MessageOperations::GetQuotedHTML(0, SampleHeader(), "just text");
    EXPECT_EQ(0, strResult.Find("\r\n<HTML>\r\n<BODY>\r\n<DIV><BR></DIV>"));
    EXPECT_NE(-1, strResult.Find(kLinks));
    EXPECT_NE(-1, strResult.Find("just text</BODY></HTML>"));
    // One link per sender: no doubled title, no stray closing tag.
    EXPECT_EQ(-1, strResult.Find("<A title=<A title="));
    EXPECT_EQ(-1, strResult.Find("</A></A>"));
}

TEST(QuotedHtml, ATextViewIsPrintedWithItsBlanksAndLines)
{
    EXPECT_STREQ("\r\n<HTML><HEAD></HEAD>\r\n<BODY>\r\n" + PreformattedTextBlock("a\r\n\r\n    b\tc") +
                     "\r\n</BODY>\r\n</HTML>",
                 MessageOperations::TextViewToHtml("a\r\n\r\n    b\tc", "<HEAD></HEAD>"));
}
} // namespace

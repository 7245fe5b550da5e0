// Tests of the error report by e-mail under Xvfb: the exception dialog, the e-mail dialog, the sending
// dialog against the loopback SMTP peer (which parses what it receives with Python's email package) and the
// text window.
#include "transport/DlgEmailMe.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DialogResponder.h"
#include "ScriptedPeer.h"
#include "Screenshot.h"
#include "ServerTestSupport.h"
#include "UiThread.h"
#include "WindowReaders.h"
#include "foundation/Base64.h"
#include "foundation/BuiltInHosts.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "transport/DlgException.h"
#include "transport/DlgSending.h"
#include "transport/ErrorReport.h"

namespace
{

const char kEmailMeCaption[] = "Emai me an error message";
const char kCommentPrompt[] = "Type your comment here:\r\n\r\n\r\n";

std::string TempPath(const char* pszName)
{
    char szFolder[MAX_PATH];
    GetTempPathA(sizeof(szFolder), szFolder);
    return std::string(szFolder) + pszName;
}

std::string Base64Decoded(const std::string& text)
{
    CBase64 coder;
    coder.Decode(text.c_str(), static_cast<unsigned>(text.size()));
    return std::string(reinterpret_cast<const char*>(coder.GetDecoded()), coder.m_nDecodedLength);
}

// The lines the SMTP peer wrote for the message whose envelope sender is the given address: its headers
// ("header\tName\tvalue") and its leaf parts ("part\ttype\tfile name\tbase64 payload").
std::vector<std::vector<std::string>> ParsedMessageFrom(const std::string& strAddress)
{
    const std::string strSpool = PeerFolder() + "smtp\\spool\\";
    for (const std::string& name : ListFiles(strSpool))
    {
        if (name.size() < 7 || name.compare(name.size() - 7, 7, ".parsed") != 0)
            continue;
        const std::string strEml = ReadWholeFile(strSpool + name.substr(0, name.size() - 7) + ".eml");
        if (strEml.find("X-Envelope-From: " + strAddress + "\r\n") != 0)
            continue;
        std::vector<std::vector<std::string>> lines;
        const std::string strParsed = ReadWholeFile(strSpool + name);
        size_t nStart = 0, nEnd;
        while ((nEnd = strParsed.find('\n', nStart)) != std::string::npos)
        {
            std::vector<std::string> fields;
            const std::string strLine = strParsed.substr(nStart, nEnd - nStart);
            size_t nField = 0, nTab;
            while ((nTab = strLine.find('\t', nField)) != std::string::npos)
            {
                fields.push_back(strLine.substr(nField, nTab - nField));
                nField = nTab + 1;
            }
            fields.push_back(strLine.substr(nField));
            lines.push_back(fields);
            nStart = nEnd + 1;
        }
        return lines;
    }
    return {};
}

std::string RemoveCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

class ErrorReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pSettings = new CRegistry("OrbTestErrorReport");
        m_pSettings->m_strEmailMeServer = "127.0.0.1";
        m_pSettings->m_strEmailMeFrom = "Vorn Tester <tester@example.org>";
        m_pSettings->m_strEmailMeTo = BuiltInHosts::kSupportMailbox;
        m_pPreviousRegistry = g_pRegistry;
        g_pRegistry = m_pSettings;
        m_nPreviousPort = CDlgSending::s_nPort;
        CDlgSending::s_nPort = PeerPort("ORB_SMTP_PORT");
    }
    void TearDown() override
    {
        CDlgSending::s_nPort = m_nPreviousPort;
        g_pRegistry = m_pPreviousRegistry;
        delete m_pSettings;
    }

    CRegistry* m_pSettings = NULL;
    CRegistry* m_pPreviousRegistry = NULL;
    UINT m_nPreviousPort = 25;
};

TEST_F(ErrorReportTest, ExceptionDialogOffersItsTextByEmailAndDeletesTheDetailFileAfterwards)
{
    const std::string strDetail = TempPath("orb-error-report-detail.txt");
    WriteWholeFile(strDetail, "trace text\r\n");
    CDlgException dlg("ERROR: Open database failed!", 0, strDetail.c_str());
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    ui.Run([&] { nResult = dlg.DoModal(NULL); });

    const HWND hWndException = CDialogResponder::FindDialog(ui.ThreadId(), "Vorn Email exception");
    ASSERT_NE((HWND)NULL, hWndException);
    EXPECT_EQ("ERROR: Open database failed!", CDialogResponder::ItemText(hWndException, IDC_EXCEPTION_TEXT));
    EXPECT_EQ("Email Me", CDialogResponder::ItemText(hWndException, IDOK));
    EXPECT_EQ("Close", CDialogResponder::ItemText(hWndException, IDCANCEL));
    SaveWindowScreenshot(hWndException, "error-report-exception-dialog");

    CDialogResponder::Press(hWndException, IDOK);
    const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
    ASSERT_NE((HWND)NULL, hWndEmail);
    EXPECT_EQ("127.0.0.1", CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_SERVER));
    EXPECT_EQ("Vorn Tester <tester@example.org>", CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_FROM));
    EXPECT_EQ(BuiltInHosts::kSupportMailbox, CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_TO));
    EXPECT_EQ("Vorn Email error report.", CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_SUBJECT));
    EXPECT_EQ(std::string(kCommentPrompt) + "ERROR: Open database failed!",
              CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_BODY));
    EXPECT_EQ(strDetail, CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_ATTACH));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hWndEmail, IDC_EMAIL_ME_VIEW)));
    SaveWindowScreenshot(hWndEmail, "error-report-email-me-dialog");

    CDialogResponder::Press(hWndEmail, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(strDetail); })) << "deleted though nothing was sent";
    EXPECT_TRUE(::IsWindow(hWndException)) << "the exception dialog stays open";
    CDialogResponder::Press(hWndException, IDCANCEL);
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(2, nResult);
}

TEST_F(ErrorReportTest, TheErrorReportPromptOpensTheEmailDialog)
{
    InitErrorReport();
    CBoxRecorder boxes(IDYES);
    CUiThread ui(_Module);
    ui.Run([] { ShowErrorReportPrompt("FATAL ERROR: Disk full.", NULL); });
    const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
    ASSERT_NE((HWND)NULL, hWndEmail);
    EXPECT_EQ(0u, CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_BODY)
                      .find(std::string(kCommentPrompt) + "FATAL ERROR: Disk full.\r\n\r\n"));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWndEmail, IDC_EMAIL_ME_VIEW))) << "no file to view";
    CDialogResponder::Press(hWndEmail, IDCANCEL);
    EXPECT_TRUE(ui.WaitForExit());
    SetErrorReportDialog(NULL);
}

TEST_F(ErrorReportTest, AMissingSenderOrRecipientAddressAsksForOneInItsField)
{
    struct Case
    {
        const char* pszFrom;
        const char* pszTo;
        int nFocus;
    };
    const Case cases[] = {
        {"", BuiltInHosts::kSupportMailbox, IDC_EMAIL_ME_FROM},
        {"Only A Name", BuiltInHosts::kSupportMailbox, IDC_EMAIL_ME_FROM},
        {"tester@example.org", "", IDC_EMAIL_ME_TO},
        {"Vorn Tester <tester@example.org>", "Support <>", IDC_EMAIL_ME_TO},
    };
    CString strSupport;
    strSupport.LoadString(IDS_SUPPORT_MAILBOX);
    EXPECT_STREQ(BuiltInHosts::kSupportMailbox, strSupport) << "the settings' default recipient";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.pszFrom) + " / " + c.pszTo);
        CDlgEmailMe dlg("ERROR: x", "", m_pSettings);
        CUiThread ui(_Module);
        ui.Run([&] { dlg.DoModal(NULL); });
        const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
        ASSERT_NE((HWND)NULL, hWndEmail);
        CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_FROM, c.pszFrom);
        CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_TO, c.pszTo);
        CBoxRecorder boxes;
        CDialogResponder::Press(hWndEmail, IDOK);
        ASSERT_TRUE(WaitFor([&] { return boxes.Count() == 1; }));
        EXPECT_EQ(std::string("Type a correct address please. For example ") + BuiltInHosts::kSupportMailbox,
                  boxes.Texts()[0]);
        // The box is counted as it opens; the dialog moves the focus only once it has been answered.
        int nFocus = 0;
        EXPECT_TRUE(WaitFor([&] {
            ui.Invoke([&] { nFocus = ::GetDlgCtrlID(::GetFocus()); });
            return nFocus == c.nFocus;
        })) << nFocus;
        EXPECT_TRUE(::IsWindow(hWndEmail));
        CDialogResponder::Press(hWndEmail, IDCANCEL);
        EXPECT_TRUE(ui.WaitForExit());
    }
}

TEST_F(ErrorReportTest, SendDeliversTheReportWithItsFileAndKeepsWhatWasTyped)
{
    ASSERT_NE(0u, CDlgSending::s_nPort) << "ORB_SMTP_PORT is not set: run the tests through ./test";
    m_pSettings->m_strEmailMeServer = "mail.example.invalid";
    const std::string strDetail = TempPath("orb-error-report-sent.log");
    const std::string strBytes = std::string("first line\r\nsecond line\r\n") + '\x01' + '\xff' + "end";
    WriteWholeFile(strDetail, strBytes);
    CDlgException dlg("ERROR: Send test failed.", 0, strDetail.c_str());
    CUiThread ui(_Module);
    ui.Run([&] { dlg.DoModal(NULL); });
    const HWND hWndException = CDialogResponder::FindDialog(ui.ThreadId(), "Vorn Email exception");
    ASSERT_NE((HWND)NULL, hWndException);
    CDialogResponder::Press(hWndException, IDOK);
    const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
    ASSERT_NE((HWND)NULL, hWndEmail);
    CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_SERVER, "127.0.0.1");
    CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_FROM,
                               "\"Vorn Sender\" <errorreport-sent@example.org>");
    CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_TO, "Support Desk <support-desk@example.org>");
    CBoxRecorder boxes;
    CDialogResponder::Press(hWndEmail, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndEmail); }, 60000));
    EXPECT_TRUE(boxes.Texts().empty()) << (boxes.Texts().empty() ? "" : boxes.Texts()[0]);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(strDetail); })) << "deleted after the send";

    EXPECT_STREQ("127.0.0.1", m_pSettings->m_strEmailMeServer);
    EXPECT_STREQ("\"Vorn Sender\" <errorreport-sent@example.org>", m_pSettings->m_strEmailMeFrom);
    EXPECT_STREQ("Support Desk <support-desk@example.org>", m_pSettings->m_strEmailMeTo);

    const auto lines = ParsedMessageFrom("errorreport-sent@example.org");
    ASSERT_FALSE(lines.empty()) << "the peer received the report";
    std::string strSubject, strFrom, strTo, strBody, strAttachment, strFileName;
    for (const auto& fields : lines)
    {
        if (fields[0] == "header" && fields.size() == 3)
        {
            if (fields[1] == "Subject")
                strSubject = fields[2];
            else if (fields[1] == "From")
                strFrom = fields[2];
            else if (fields[1] == "X-Envelope-To")
                strTo = fields[2];
        }
        else if (fields[0] == "part" && fields.size() == 4)
        {
            if (fields[1] == "text/plain" && fields[2] == "-")
                strBody = Base64Decoded(fields[3]);
            else
            {
                strFileName = fields[2];
                strAttachment = Base64Decoded(fields[3]);
            }
        }
    }
    EXPECT_EQ("Vorn Email error report.", strSubject);
    EXPECT_EQ("Vorn Sender <errorreport-sent@example.org>", strFrom);
    EXPECT_EQ("support-desk@example.org", strTo);
    EXPECT_EQ(RemoveCarriageReturns(std::string(kCommentPrompt) + "ERROR: Send test failed."),
              RemoveCarriageReturns(strBody));
    EXPECT_EQ("orb-error-report-sent.log", strFileName);
    EXPECT_EQ(strBytes, strAttachment);

    CDialogResponder::Press(hWndException, IDCANCEL);
    EXPECT_TRUE(ui.WaitForExit());
}

// A port that refuses connections for as long as the returned socket lives: bound but not listening, so
// that no other socket can take the port meanwhile, nor a client's own end connect to itself on it.
SOCKET BindRefusingPort(UINT& nPort)
{
    SOCKET hSocket = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(hSocket, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr));
    int nLength = sizeof(addr);
    getsockname(hSocket, reinterpret_cast<SOCKADDR*>(&addr), &nLength);
    nPort = ntohs(addr.sin_port);
    return hSocket;
}

TEST_F(ErrorReportTest, AFailedSendShowsItsMessageAndLeavesTheEmailDialogWithItsFields)
{
    ASSERT_NE(0u, CDlgSending::s_nPort) << "ORB_SMTP_PORT is not set: run the tests through ./test";
    struct Case
    {
        const char* pszName;
        bool bConnectionRefused;
        const char* pszTo;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"connection refused", true, "support@vorn.example", "Connect to server error: "},
        {"recipient refused", false, "refused@example.org", "550"},
    };
    const UINT nPeerPort = CDlgSending::s_nPort;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        UINT nRefusingPort = 0;
        const SOCKET hRefusing = c.bConnectionRefused ? BindRefusingPort(nRefusingPort) : INVALID_SOCKET;
        CDlgSending::s_nPort = c.bConnectionRefused ? nRefusingPort : nPeerPort;
        CDlgEmailMe dlg("ERROR: x", "", m_pSettings);
        CUiThread ui(_Module);
        ui.Run([&] { dlg.DoModal(NULL); });
        const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
        ASSERT_NE((HWND)NULL, hWndEmail);
        CDialogResponder::SetField(hWndEmail, IDC_EMAIL_ME_TO, c.pszTo);
        CBoxRecorder boxes;
        CDialogResponder::Press(hWndEmail, IDOK);
        ASSERT_TRUE(WaitFor([&] { return boxes.Count() == 1; }, 60000));
        EXPECT_NE(std::string::npos, boxes.Texts()[0].find(c.pszExpected)) << boxes.Texts()[0];
        EXPECT_TRUE(WaitFor([&] { return ThreadWindows(ui.ThreadId(), "#32770").size() == 1; }))
            << "only the e-mail dialog is left";
        EXPECT_TRUE(::IsWindow(hWndEmail));
        EXPECT_EQ(c.pszTo, CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_TO));
        EXPECT_EQ("Vorn Tester <tester@example.org>",
                  CDialogResponder::ItemText(hWndEmail, IDC_EMAIL_ME_FROM));
        EXPECT_STREQ(BuiltInHosts::kSupportMailbox, m_pSettings->m_strEmailMeTo) << "nothing stored back";
        CDialogResponder::Press(hWndEmail, IDCANCEL);
        EXPECT_TRUE(ui.WaitForExit());
        if (hRefusing != INVALID_SOCKET)
            closesocket(hRefusing);
    }
}

TEST_F(ErrorReportTest, CancelEndsTheSendingDialogOnlyAfterItsWorker)
{
    HANDLE hRelease = CreateEventA(NULL, TRUE, FALSE, NULL);
    CScriptedPeer peer;
    peer.WaitFor(hRelease);
    CDlgSending::s_nPort = peer.Start();
    CDlgSending::CAddress from, to;
    from.strAddress = "tester@example.org";
    to.strAddress = "support@vorn.example";
    CDlgSending dlg("127.0.0.1", from, to, "Vorn Email error report.", "body", "");
    INT_PTR nResult = 0;
    size_t nBoxesWhenEnded = 0;
    CBoxRecorder boxes;
    CUiThread ui(_Module);
    ui.Run([&] {
        nResult = dlg.DoModal(NULL);
        nBoxesWhenEnded = boxes.Count();
    });
    const HWND hWndSending = CDialogResponder::FindDialog(ui.ThreadId(), "Sending...");
    ASSERT_NE((HWND)NULL, hWndSending);
    EXPECT_EQ("Cancel", CDialogResponder::ItemText(hWndSending, IDCANCEL));
    ui.Invoke(
        [&] { ::RedrawWindow(hWndSending, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); });
    SaveWindowScreenshot(hWndSending, "error-report-sending-dialog");

    CDialogResponder::Press(hWndSending, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_nCancel == 1; }));
    // The worker notices the flag at its next check (at the latest at its wait's next timer tick), shows
    // why it stopped and only then posts the IDOK that ends the dialog.
    ASSERT_TRUE(ui.WaitForExit(60000));
    EXPECT_EQ(2, nResult);
    EXPECT_EQ(1u, nBoxesWhenEnded) << "the worker had finished when the dialog ended";
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("ERROR: Cancelled by user.", boxes.Texts()[0]);
    SetEvent(hRelease);
    peer.Finish();
    CloseHandle(hRelease);
}

TEST_F(ErrorReportTest, ViewShowsTheAttachedFileCutAfterTheNotice)
{
    const std::string strFile = TempPath("orb-error-report-long.txt");
    std::string strText;
    for (int i = 0; i < 40000; ++i)
        strText += static_cast<char>('a' + i % 26);
    WriteWholeFile(strFile, strText);
    CDlgEmailMe dlg("ERROR: x", strFile.c_str(), m_pSettings);
    CUiThread ui(_Module);
    ui.Run([&] { dlg.DoModal(NULL); });
    const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
    ASSERT_NE((HWND)NULL, hWndEmail);
    CBoxRecorder boxes;
    CDialogResponder::Press(hWndEmail, IDC_EMAIL_ME_VIEW);
    ASSERT_TRUE(WaitFor([&] { return ThreadWindows(ui.ThreadId(), "OrbWndText").size() == 1; }));
    const HWND hWndText = ThreadWindows(ui.ThreadId(), "OrbWndText")[0];
    EXPECT_EQ("Message Source", WindowText(hWndText));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("The message body too long. It will be truncated.", boxes.Texts()[0]);
    const std::string strShown = WindowText(FindChildByClass(hWndText, "Edit"));
    EXPECT_EQ(32766u, strShown.size());
    EXPECT_EQ(strText.substr(0, 32763) + "...", strShown);
    SaveWindowScreenshot(hWndText, "error-report-message-source");

    CDialogResponder::Press(hWndEmail, IDC_EMAIL_ME_VIEW);
    ui.Invoke([] {});
    EXPECT_EQ(1u, ThreadWindows(ui.ThreadId(), "OrbWndText").size()) << "the open window is brought back";
    EXPECT_EQ(1u, boxes.Count());

    CDialogResponder::Press(hWndEmail, IDCANCEL);
    EXPECT_TRUE(ui.WaitForExit());
    EXPECT_FALSE(::IsWindow(hWndText)) << "closed with the e-mail dialog";
    DeleteFileA(strFile.c_str());
}

TEST_F(ErrorReportTest, ViewOfAMissingFileShowsTheFileError)
{
    const std::string strFile = TempPath("orb-error-report-missing\\none.txt");
    CDlgEmailMe dlg("ERROR: x", strFile.c_str(), m_pSettings);
    CUiThread ui(_Module);
    ui.Run([&] { dlg.DoModal(NULL); });
    const HWND hWndEmail = CDialogResponder::FindDialog(ui.ThreadId(), kEmailMeCaption);
    ASSERT_NE((HWND)NULL, hWndEmail);
    CBoxRecorder boxes;
    CDialogResponder::Press(hWndEmail, IDC_EMAIL_ME_VIEW);
    ASSERT_TRUE(WaitFor([&] { return boxes.Count() == 1; }));
    EXPECT_EQ(0u, boxes.Texts()[0].find("ERROR: '" + strFile + "'\r\n")) << boxes.Texts()[0];
    EXPECT_GT(boxes.Texts()[0].size(), strFile.size() + 11) << "with the system's description";
    EXPECT_TRUE(ThreadWindows(ui.ThreadId(), "OrbWndText").empty());
    CDialogResponder::Press(hWndEmail, IDCANCEL);
    EXPECT_TRUE(ui.WaitForExit());
}

} // namespace

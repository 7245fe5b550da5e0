// Tests of OrbMail's foundation pieces: the error-report prompt, the exception dialog and the message-map
// hook.
#include "foundation/FoundationUi.h"

#include <atlwin.h>

#include <string>

#include <gtest/gtest.h>

#include "DialogResponder.h"
#include "FoundationTestSupport.h"
#include "foundation/DlgException.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "resources/resource.h"

namespace
{

const char kQuestion[] = "\r\n\r\nDo you want to email me the report about your problem?";

TEST(FoundationUiTest, DecliningTheErrorReportShowsNoDialog)
{
    CMessageBoxRecorder boxes(IDNO);
    CDialogResponder responder(::GetCurrentThreadId(),
                               [](HWND hWnd) { return CDialogResponder::Press(hWnd, IDCANCEL); });
    ShowErrorReportPrompt("FATAL ERROR: Disk full.", "C:\\Lv\\Trace.log");
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(std::string("FATAL ERROR: Disk full.") + kQuestion, boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONSTOP), boxes.Boxes()[0].style);
    EXPECT_TRUE(responder.Answered().empty());
}

TEST(FoundationUiTest, AcceptingTheErrorReportShowsTheReportWithSystemInformationAndTheFile)
{
    CMessageBoxRecorder boxes(IDYES);
    std::string strText, strFile;
    CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hWnd) {
        strText = CDialogResponder::ItemText(hWnd, IDC_EMAIL_ME_TEXT);
        strFile = CDialogResponder::ItemText(hWnd, IDC_EMAIL_ME_FILE);
        return CDialogResponder::Press(hWnd, IDCANCEL);
    });
    ShowErrorReportPrompt("FATAL ERROR: Disk full.", "C:\\Lv\\Trace.log");
    ASSERT_EQ(1u, responder.Answered().size());
    EXPECT_EQ("Vorn Email", responder.Answered()[0].strCaption);
    EXPECT_EQ(0u, strText.find("FATAL ERROR: Disk full.\r\n\r\n"));
    EXPECT_GT(strText.size(), strlen("FATAL ERROR: Disk full.\r\n\r\n")) << "the system information follows";
    EXPECT_EQ("C:\\Lv\\Trace.log", strFile);
}

TEST(FoundationUiTest, ExceptionDialogShowsTheWholeReportAndItsButtons)
{
    std::string strText, strEmail, strClose;
    CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hWnd) {
        strText = CDialogResponder::ItemText(hWnd, IDC_EXCEPTION_TEXT);
        strEmail = CDialogResponder::ItemText(hWnd, IDC_EMAIL_ME);
        strClose = CDialogResponder::ItemText(hWnd, IDCANCEL);
        return CDialogResponder::Press(hWnd, IDC_EMAIL_ME);
    });
    CDlgException dlg("ERROR: Open database failed!\r\n\r\nVorn Email 1.0", 0, NULL);
    EXPECT_EQ(IDC_EMAIL_ME, dlg.DoModal(::GetActiveWindow()));
    ASSERT_EQ(1u, responder.Answered().size());
    EXPECT_EQ("Vorn Email exception", responder.Answered()[0].strCaption);
    EXPECT_EQ("ERROR: Open database failed!\r\n\r\nVorn Email 1.0", strText);
    EXPECT_EQ("Email Me", strEmail);
    EXPECT_EQ("Close", strClose);
}

class CThrowingWindow : public ATL::CWindowImpl<CThrowingWindow, ATL::CWindow, ATL::CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("OrbFoundationThrowingWindow")
    BEGIN_MSG_MAP(CThrowingWindow)
    MESSAGE_HANDLER(WM_APP, OnThrowException)
    MESSAGE_HANDLER(WM_APP + 1, OnThrowText)
    END_MSG_MAP()
    LRESULT OnThrowException(UINT, WPARAM, LPARAM, BOOL&)
    {
        throw new CException("ERROR: Insert History table failed!");
    }
    LRESULT OnThrowText(UINT, WPARAM, LPARAM, BOOL&) { throw "Stop by user"; }
};

TEST(FoundationUiTest, ExceptionsInMessageMapsReachTheApplicationMessageBox)
{
    InitFoundationUi();
    CMessageBoxRecorder boxes;
    CThrowingWindow wnd;
    ASSERT_NE((HWND)NULL, wnd.Create(NULL, ATL::CWindow::rcDefault, "throws", WS_OVERLAPPEDWINDOW));
    wnd.SendMessage(WM_APP);
    wnd.SendMessage(WM_APP + 1);
    wnd.DestroyWindow();
    ATL::AtlSetMsgMapExceptionHook(NULL);
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ("ERROR: Insert History table failed!", boxes.Boxes()[0].text);
    EXPECT_EQ("Vorn Email", boxes.Boxes()[0].caption);
    EXPECT_EQ("Unhandled exception!!!\r\nCThrowingWindow", boxes.Boxes()[1].text);
}

} // namespace

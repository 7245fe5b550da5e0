// Tests of OrbMail's foundation pieces: the error-report prompt and the message-map hook.
#include "foundation/FoundationUi.h"

#include <atlwin.h>

#include <string>

#include <gtest/gtest.h>

#include "FoundationTestSupport.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "resources/resource.h"

namespace
{

const char kQuestion[] = "\r\n\r\nDo you want to email me the report about your problem?";

std::string g_strReport, g_strFile;
int g_nReportDialogs = 0;

void RecordReportDialog(const char* pszReport, const char* pszFile)
{
    ++g_nReportDialogs;
    g_strReport = pszReport;
    g_strFile = pszFile ? pszFile : "";
}

TEST(FoundationUiTest, AcceptingTheErrorReportOpensTheReportDialogWithSystemInformationAndTheFile)
{
    CMessageBoxRecorder boxes(IDYES);
    g_nReportDialogs = 0;
    ErrorReportDialog pfnPrevious = SetErrorReportDialog(RecordReportDialog);
    ShowErrorReportPrompt("FATAL ERROR: Disk full.", "C:\\Lv\\Trace.log");
    SetErrorReportDialog(pfnPrevious);
    ASSERT_EQ(1, g_nReportDialogs);
    EXPECT_EQ(0u, g_strReport.find("FATAL ERROR: Disk full.\r\n\r\n"));
    EXPECT_GT(g_strReport.size(), strlen("FATAL ERROR: Disk full.\r\n\r\n"))
        << "the system information follows";
    EXPECT_EQ("C:\\Lv\\Trace.log", g_strFile);
}

TEST(FoundationUiTest, DecliningTheErrorReportOpensNoReportDialog)
{
    CMessageBoxRecorder boxes(IDNO);
    g_nReportDialogs = 0;
    ErrorReportDialog pfnPrevious = SetErrorReportDialog(RecordReportDialog);
    ShowErrorReportPrompt("FATAL ERROR: Disk full.", "C:\\Lv\\Trace.log");
    SetErrorReportDialog(pfnPrevious);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(std::string("FATAL ERROR: Disk full.") + kQuestion, boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONSTOP), boxes.Boxes()[0].style);
    EXPECT_EQ(0, g_nReportDialogs);
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

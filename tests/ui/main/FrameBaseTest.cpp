// The frame base on a minimal frame of its own: the "Get" answers, the shared commands, the status texts,
// closing with the hide flag, the class-wide toolbar flag, idle enabling, help, About and the trace by mail.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <atomic>
#include <gtest/gtest.h>
#include <memory>

#include "app/LetrovaGlobals.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "store/DatabaseMy.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "StoreTestSupport.h"
#include "ui/main/MainFrameBase.h"

namespace
{
class CTestFrame : public CMainFrameBase<CTestFrame>
{
public:
    DECLARE_FRAME_WND_CLASS("LetrovaTestFrame", 128)

    BEGIN_UPDATE_UI_MAP(CTestFrame)
        UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_STATUS_BAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_CUT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_PASTE, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CTestFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        CHAIN_MSG_MAP(CMainFrameBase<CTestFrame>)
    END_MSG_MAP()

    CTestFrame(CDatabaseMy* pDatabase, CRegistry* pRegistry, DWORD dwThreadId, int bHide, volatile LONG* pCount)
        : CMainFrameBase<CTestFrame>(pDatabase, pRegistry, dwThreadId, bHide, pCount)
    {
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        CreateSimpleReBar();
        // The band before the toolbar stands where the command bar stands in the real frames.
        HWND hFirst = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, m_hWnd, NULL, NULL,
                                        NULL);
        AddSimpleReBarBand(hFirst);
        AddSimpleReBarBand(CreateSimpleToolBarCtrl(m_hWnd, 128, FALSE, ATL_SIMPLE_TOOLBAR_PANE_STYLE), NULL, TRUE);
        CreateSimpleStatusBar();
        RegisterWithLoop();
        return 0;
    }

    bool ToolBarBandShown()
    {
        REBARBANDINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = RBBIM_STYLE;
        int nBand = (int)::SendMessageA(m_hWndToolBar, RB_IDTOINDEX, ATL_IDW_BAND_FIRST + 1, 0);
        ::SendMessageA(m_hWndToolBar, RB_GETBANDINFOA, nBand, (LPARAM)&info);
        return !(info.fStyle & RBBS_HIDDEN);
    }
};

class FrameBaseTest : public ::testing::Test
{
protected:
    FrameBaseTest() : m_registry("LetrovaUiMainTests"), m_database(&m_registry) {}

    CTestFrame* Start(CUiThread& ui, int bHide = 0)
    {
        CTestFrame* pFrame = nullptr;
        ui.Start([&]() -> HWND {
            pFrame = new CTestFrame(&m_database, &m_registry, m_manager.ThreadId(), bHide, &m_nThreadCount);
            RECT rc = {40, 40, 640, 440};
            HWND hWnd = pFrame->CreateEx(NULL, &rc);
            pFrame->ShowWindow(SW_SHOW);
            return hWnd;
        });
        m_frames.emplace_back(pFrame);
        return pFrame;
    }

    void Close(CUiThread& ui, CTestFrame* pFrame)
    {
        ui.Invoke([&]() {
            if (pFrame->IsWindow())
                pFrame->DestroyWindow();
        });
        ui.WaitForExit();
    }

    CRegistry m_registry;
    CDatabaseMy m_database;
    CRecordingThread m_manager;
    volatile LONG m_nThreadCount = 1;
    std::vector<std::unique_ptr<CTestFrame>> m_frames;
    CScriptedUser m_user;
};
} // namespace

TEST_F(FrameBaseTest, GetMessagesFillTheirPointerAndAnswerOne)
{
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    void* p = nullptr;
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetMyDatabase, (WPARAM)&p, 0));
    EXPECT_EQ(&m_database, p);
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetAccountsDatabase, (WPARAM)&p, 0));
    EXPECT_EQ(&m_database.m_Accounts, p);
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetDatabase, (WPARAM)&p, 0));
    EXPECT_EQ(&m_database.m_Local, p);
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetOrbDatabase, (WPARAM)&p, 0));
    EXPECT_EQ(&m_database.m_Orb, p);
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetRegistry, (WPARAM)&p, 0));
    EXPECT_EQ(&m_registry, p);
    DWORD dwThread = 0;
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, LetrovaGetIdThread, (WPARAM)&dwThread, 0));
    EXPECT_EQ(m_manager.ThreadId(), dwThread);
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, NewMessageAndMainWindowArePostedToTheManager)
{
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, 32782, 0));
    EXPECT_EQ(0, ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, 32901, 0));
    EXPECT_TRUE(m_manager.WaitForCommand(32782));
    EXPECT_TRUE(m_manager.WaitForCommand(32901));
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, StatusTextsAreCutAndAnEmptySecondTextRestoresTheStoredOne)
{
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    HWND hStatus = pFrame->m_hWndStatusBar;
    std::string strLong(300, 'x');
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_SET_STATUSBAR, (LPARAM)strLong.c_str()));
    EXPECT_EQ(std::string(250, 'x'), StatusBarText(hStatus));
    ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_SET_STATUSBAR, (LPARAM) "abc");
    ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM) "passing");
    EXPECT_EQ("passing", StatusBarText(hStatus));
    ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM) "");
    EXPECT_EQ("abc", StatusBarText(hStatus));
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, CloseHidesWhileOtherThreadsRunAndClosesTheLastOne)
{
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui, 1);
    m_nThreadCount = 2;
    ::SendMessageA(pFrame->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(pFrame->m_hWnd));
    EXPECT_FALSE(::IsWindowVisible(pFrame->m_hWnd));
    ::ShowWindow(pFrame->m_hWnd, SW_SHOW);
    m_nThreadCount = 1;
    ::PostMessageA(pFrame->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(ui.WaitForExit());
}

TEST_F(FrameBaseTest, ToolBarFlagIsSharedByTheFramesOfAClass)
{
    CUiThread ui1(_Module), ui2(_Module);
    CTestFrame* pFirst = Start(ui1);
    CTestFrame* pSecond = Start(ui2);
    ::SendMessageA(pFirst->m_hWnd, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    bool bShown = true;
    ui1.Invoke([&]() { bShown = pFirst->ToolBarBandShown(); });
    EXPECT_FALSE(bShown);
    // The second frame starts from the flag the first one left: its first toggle shows.
    ::SendMessageA(pSecond->m_hWnd, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    ui2.Invoke([&]() { bShown = pSecond->ToolBarBandShown(); });
    EXPECT_TRUE(bShown);
    ::SendMessageA(pSecond->m_hWnd, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    ui2.Invoke([&]() { bShown = pSecond->ToolBarBandShown(); });
    EXPECT_FALSE(bShown);
    ::SendMessageA(pSecond->m_hWnd, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    Close(ui1, pFirst);
    Close(ui2, pSecond);
}

TEST_F(FrameBaseTest, IdleEnablesEditCommandsByTheFocusedControl)
{
    ::LoadLibraryA("riched20.dll");
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    struct Case
    {
        bool bReadOnly;
        bool bCut, bCopy;
    } cases[] = {{true, false, false}, {false, true, true}};
    for (const Case& c : cases)
    {
        ui.Invoke([&]() {
            HWND hEdit = ::CreateWindowExA(0, "RichEdit20A", "some text",
                                           WS_CHILD | WS_VISIBLE | ES_MULTILINE | (c.bReadOnly ? ES_READONLY : 0),
                                           0, 0, 200, 50, pFrame->m_hWnd, NULL, NULL, NULL);
            ::SetFocus(hEdit);
            ::SendMessageA(hEdit, EM_SETSEL, 0, 4);
            pFrame->OnIdle();
            EXPECT_EQ(c.bCut, !(pFrame->UIGetState(ID_EDIT_CUT) & UPDUI_DISABLED)) << c.bReadOnly;
            EXPECT_EQ(c.bCopy, !(pFrame->UIGetState(ID_EDIT_COPY) & UPDUI_DISABLED)) << c.bReadOnly;
            ::DestroyWindow(hEdit);
        });
    }
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, HelpWithoutItsFileShowsTheFailure)
{
    CSeamRecorder recorder;
    recorder.m_hHtmlHelpResult = NULL;
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_HELP_CONTENTS, 0);
    ASSERT_FALSE(m_user.m_boxes.empty());
    EXPECT_EQ("Open the \"OrbMail.chm\" help file failed! Reinstall your Vorn Email please.", m_user.m_boxes.back());
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, AboutBoxShowsTheSystemInformation)
{
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    ::PostMessageA(pFrame->m_hWnd, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND hDlg = CDialogResponder::FindDialog(ui.ThreadId(), "About Vorn Email");
    ASSERT_NE(nullptr, hDlg);
    EXPECT_FALSE(CDialogResponder::ItemText(hDlg, 227).empty());
    SaveWindowScreenshot(hDlg, "about");
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(hDlg, IDOK)));
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(hDlg, IDCANCEL)));
    CDialogResponder::Press(hDlg, IDOK);
    Close(ui, pFrame);
}

TEST_F(FrameBaseTest, MailingTheTraceKeepsTheTraceObjectForOtherThreads)
{
    CTraceFile* pOld = g_pTraceFile;
    int bOldOn = g_bTraceOn;
    g_pTraceFile = new CTraceFile();
    g_bTraceOn = 1;
    CTraceFile* pTrace = g_pTraceFile;
    std::atomic<bool> bStop(false);
    HANDLE hWriter = ::CreateThread(
        NULL, 0,
        [](LPVOID p) -> DWORD {
            auto* pbStop = static_cast<std::atomic<bool>*>(p);
            while (!*pbStop)
                if (g_pTraceFile != NULL)
                    g_pTraceFile->WriteText("record of another thread");
            return 0;
        },
        &bStop, 0, NULL);
    CUiThread ui(_Module);
    CTestFrame* pFrame = Start(ui);
    CDialogResponder responder(ui.ThreadId(), [](HWND hDlg) { return CDialogResponder::Press(hDlg, IDCANCEL); });
    EXPECT_EQ(1, ::SendMessageA(pFrame->m_hWnd, WM_COMMAND, ID_EMAIL_TRACE, 0));
    EXPECT_TRUE(responder.WaitForAnswered(1));
    EXPECT_EQ(pTrace, g_pTraceFile);
    bStop = true;
    ::WaitForSingleObject(hWriter, INFINITE);
    ::CloseHandle(hWriter);
    Close(ui, pFrame);
    g_pTraceFile = pOld;
    g_bTraceOn = bOldOn;
    delete pTrace;
}

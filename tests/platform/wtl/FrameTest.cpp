// The sample frame under Xvfb: bars and layout, accelerators and UI update, prompts, tool-tips, keyboard.
#include <gtest/gtest.h>

#include "tests/platform/wtl/SampleFrame.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pFrame.reset(new CSampleFrame(m_manager.ThreadId()));
        m_pUi.reset(new CUiThread(_Module));
        m_hWndFrame = m_pUi->Start([this] {
            HWND hWnd = m_pFrame->CreateEx();
            if (hWnd != NULL)
            {
                ::SetWindowPos(hWnd, NULL, 20, 20, 520, 300, SWP_NOZORDER);
                ::ShowWindow(hWnd, SW_SHOW);
            }
            return hWnd;
        });
        ASSERT_NE(m_hWndFrame, (HWND)NULL);
    }
    void TearDown() override
    {
        if (::IsWindow(m_hWndFrame))
            ::PostMessageA(m_hWndFrame, WM_CLOSE, 0, 0);
        EXPECT_TRUE(m_pUi->WaitForExit());
        m_pUi.reset();
        m_pFrame.reset();
    }
    void PressKey(UINT vk) { ::PostMessageA(m_hWndFrame, WM_KEYDOWN, vk, 0x00000001); }

    CRecordingThread m_manager;
    std::unique_ptr<CSampleFrame> m_pFrame;
    std::unique_ptr<CUiThread> m_pUi;
    HWND m_hWndFrame = NULL;
};

TEST_F(FrameTest, FrameTakesTitleMenuToolbarAndStatusBarFromItsResourcesAndLaysThemOut)
{
    EXPECT_EQ(WindowText(m_hWndFrame), "Sample Frame");
    EXPECT_NE(::GetClassLongPtrA(m_hWndFrame, GCLP_HICON), 0);
    EXPECT_NE(::GetClassLongPtrA(m_hWndFrame, GCLP_HICONSM), 0);
    EXPECT_EQ(ToolBarButtonTexts(m_pFrame->m_CmdBar),
              (std::vector<std::string>{"&File", "&Sample", "&View"}));
    // Toolbar resource: two buttons, a separator, a third button.
    EXPECT_EQ(::SendMessageA(m_pFrame->m_wndToolBar, TB_BUTTONCOUNT, 0, 0), 4);
    EXPECT_EQ(::SendMessageA(m_pFrame->m_wndToolBar, TB_COMMANDTOINDEX, ID_SAMPLE_CHECKED, 0), 3);
    // The command bar is the first band, the toolbar the second.
    HWND hWndReBar = m_pFrame->m_hWndToolBar;
    EXPECT_EQ(::SendMessageA(hWndReBar, RB_IDTOINDEX, ATL_IDW_BAND_FIRST, 0), 0);
    EXPECT_EQ(::SendMessageA(hWndReBar, RB_IDTOINDEX, ATL_IDW_BAND_FIRST + 1, 0), 1);
    EXPECT_EQ(StatusBarText(m_pFrame->m_hWndStatusBar), "Ready");

    RECT rcReBar = WindowRect(hWndReBar), rcClient = WindowRect(m_pFrame->m_hWndClient),
         rcStatus = WindowRect(m_pFrame->m_hWndStatusBar);
    EXPECT_GT(rcReBar.bottom - rcReBar.top, 0);
    EXPECT_GE(rcClient.top, rcReBar.bottom);
    EXPECT_LE(rcClient.bottom, rcStatus.top);
    EXPECT_GT(rcClient.bottom - rcClient.top, 100);

    EXPECT_NE(SaveWindowScreenshot(m_hWndFrame, "sample-frame"), "");
}

TEST_F(FrameTest, DisabledCommandsAcceleratorIsSwallowedAndRunsOnceEnabled)
{
    PressKey(VK_F6);
    PressKey(VK_F5);
    ASSERT_TRUE(WaitFor([&] { return m_pFrame->m_nEnabledRuns == 1; }));
    // F6 was handled before F5, so it had its chance.
    EXPECT_EQ(m_pFrame->m_nDisabledRuns, 0);

    m_pUi->Invoke([&] { m_pFrame->UIEnable(ID_SAMPLE_DISABLED, TRUE); });
    PressKey(VK_F6);
    EXPECT_TRUE(WaitFor([&] { return m_pFrame->m_nDisabledRuns == 1; }));
}

TEST_F(FrameTest, MenuSelectShowsTheCommandPromptAndClosingTheMenuBringsBackTheIdleText)
{
    HWND hWndStatus = m_pFrame->m_hWndStatusBar;
    HMENU hPopup = ::GetSubMenu(m_pFrame->m_CmdBar.GetMenu(), 1);
    ::SendMessageA(m_hWndFrame, WM_MENUSELECT, MAKEWPARAM(ID_SAMPLE_ENABLED, MF_HILITE), (LPARAM)hPopup);
    EXPECT_TRUE(::SendMessageA(hWndStatus, SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(StatusBarText(hWndStatus), "Run the enabled sample command");

    // A command whose string has no tool-tip part shows the whole string.
    ::SendMessageA(m_hWndFrame, WM_MENUSELECT, MAKEWPARAM(ID_SAMPLE_POST, MF_HILITE), (LPARAM)hPopup);
    EXPECT_EQ(StatusBarText(hWndStatus), "Post a command to the manager thread");

    ::SendMessageA(m_hWndFrame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(::SendMessageA(hWndStatus, SB_ISSIMPLE, 0, 0));
    EXPECT_EQ(StatusBarText(hWndStatus), "Ready");
}

TEST_F(FrameTest, ToolTipIsTheCommandStringAfterItsLineBreak)
{
    struct Case
    {
        UINT nID;
        const char* pszTip;
    } cases[] = {
        {ID_SAMPLE_ENABLED, "Enabled sample"}, {ID_SAMPLE_CHECKED, "Checked sample"}, {ID_SAMPLE_POST, ""}};
    for (const Case& c : cases)
    {
        NMTTDISPINFOA info = {};
        info.hdr.hwndFrom = m_pFrame->m_wndToolBar.GetToolTips();
        info.hdr.idFrom = c.nID;
        info.hdr.code = TTN_GETDISPINFOA;
        std::string strTip;
        m_pUi->Invoke([&] {
            ::SendMessageA(m_hWndFrame, WM_NOTIFY, 0, (LPARAM)&info);
            strTip = info.lpszText ? info.lpszText : "(null)";
        });
        EXPECT_EQ(strTip, c.pszTip) << c.nID;
    }
}

TEST_F(FrameTest, ToolbarAndPopupMenuFollowTheUpdateTable)
{
    HWND hWndToolBar = m_pFrame->m_wndToolBar;
    EXPECT_TRUE(
        WaitFor([&] { return !(ToolBarButtonState(hWndToolBar, ID_SAMPLE_DISABLED) & TBSTATE_ENABLED); }));
    EXPECT_TRUE(ToolBarButtonState(hWndToolBar, ID_SAMPLE_ENABLED) & TBSTATE_ENABLED);
    EXPECT_TRUE(ToolBarButtonState(hWndToolBar, ID_SAMPLE_CHECKED) & TBSTATE_CHECKED);

    HMENU hMenu = m_pFrame->m_CmdBar.GetMenu();
    EXPECT_TRUE(MenuItemStateAfterInit(m_hWndFrame, hMenu, 1, ID_SAMPLE_DISABLED) & MF_GRAYED);
    EXPECT_FALSE(MenuItemStateAfterInit(m_hWndFrame, hMenu, 1, ID_SAMPLE_ENABLED) & MF_GRAYED);
    EXPECT_TRUE(MenuItemStateAfterInit(m_hWndFrame, hMenu, 1, ID_SAMPLE_CHECKED) & MF_CHECKED);

    // A change takes effect on the toolbar when the loop next goes idle.
    m_pUi->Invoke([&] {
        m_pFrame->UIEnable(ID_SAMPLE_ENABLED, FALSE);
        m_pFrame->UISetCheck(ID_SAMPLE_CHECKED, 0);
    });
    ::PostMessageA(m_hWndFrame, WM_NULL, 0, 0);
    EXPECT_TRUE(
        WaitFor([&] { return !(ToolBarButtonState(hWndToolBar, ID_SAMPLE_ENABLED) & TBSTATE_ENABLED); }));
    EXPECT_FALSE(ToolBarButtonState(hWndToolBar, ID_SAMPLE_CHECKED) & TBSTATE_CHECKED);
    EXPECT_FALSE(MenuItemStateAfterInit(m_hWndFrame, hMenu, 1, ID_SAMPLE_CHECKED) & MF_CHECKED);
}

TEST_F(FrameTest, CommandBarOpensPopupsFromTheKeyboardAndMovesBetweenThem)
{
    HMENU hMenu = m_pFrame->m_CmdBar.GetMenu();
    DWORD dwThread = m_pUi->ThreadId();
    auto openPopup = [&]() -> HWND {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        return menus.empty() ? NULL : menus[0];
    };

    ::PostMessageA(m_hWndFrame, WM_SYSKEYDOWN, VK_F10, 0x00000001);
    ASSERT_TRUE(WaitFor([&] { return openPopup() != NULL; }));
    EXPECT_EQ(m_pFrame->m_hLastPopup, ::GetSubMenu(hMenu, 0));

    ::PostMessageA(openPopup(), WM_KEYDOWN, VK_RIGHT, 0x00000001);
    EXPECT_TRUE(
        WaitFor([&] { return m_pFrame->m_hLastPopup == ::GetSubMenu(hMenu, 1) && openPopup() != NULL; }));
    ::PostMessageA(openPopup(), WM_KEYDOWN, VK_LEFT, 0x00000001);
    EXPECT_TRUE(
        WaitFor([&] { return m_pFrame->m_hLastPopup == ::GetSubMenu(hMenu, 0) && openPopup() != NULL; }));
    m_pUi->Invoke([] { ::EndMenu(); });
    EXPECT_TRUE(WaitFor([&] { return openPopup() == NULL; }));

    // Alt pressed and released alone opens the first popup.
    ::PostMessageA(m_hWndFrame, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    ::PostMessageA(m_hWndFrame, WM_SYSKEYUP, VK_MENU, 0xE0000001);
    EXPECT_TRUE(WaitFor([&] { return openPopup() != NULL; }));
    EXPECT_EQ(m_pFrame->m_hLastPopup, ::GetSubMenu(hMenu, 0));
    m_pUi->Invoke([] { ::EndMenu(); });
    EXPECT_TRUE(WaitFor([&] { return openPopup() == NULL; }));

    // Alt with a popup's mnemonic letter opens that popup.
    ::PostMessageA(m_hWndFrame, WM_SYSCHAR, 'v', 0x20000001);
    EXPECT_TRUE(
        WaitFor([&] { return m_pFrame->m_hLastPopup == ::GetSubMenu(hMenu, 2) && openPopup() != NULL; }));
    m_pUi->Invoke([] { ::EndMenu(); });
    EXPECT_TRUE(WaitFor([&] { return openPopup() == NULL; }));
}

TEST_F(FrameTest, PopupItemsShowTheImageOfTheirToolbarButton)
{
    HMENU hPopup = ::GetSubMenu(m_pFrame->m_CmdBar.GetMenu(), 1);
    auto itemBitmap = [&](UINT nID) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        ::GetMenuItemInfoA(hPopup, nID, FALSE, &mii);
        return mii.hbmpItem;
    };
    EXPECT_NE(itemBitmap(ID_SAMPLE_ENABLED), (HBITMAP)NULL);
    EXPECT_NE(itemBitmap(ID_SAMPLE_CHECKED), (HBITMAP)NULL);
    EXPECT_NE(itemBitmap(ID_SAMPLE_ENABLED), itemBitmap(ID_SAMPLE_CHECKED));
    // No toolbar button, no image.
    EXPECT_EQ(itemBitmap(ID_SAMPLE_POST), (HBITMAP)NULL);
}

// The screen columns in which the window, drawn into memory (other tests' windows may cover it on the
// screen), holds dark ink inside the screen rectangle: menu text; greyed text and the menu face are lighter.
std::vector<int> InkColumns(HWND hWnd, const RECT& rc)
{
    RECT rcWindow = {};
    ::GetWindowRect(hWnd, &rcWindow);
    int cxWindow = rcWindow.right - rcWindow.left, cyWindow = rcWindow.bottom - rcWindow.top;
    std::vector<int> columns;
    if (cxWindow <= 0 || cyWindow <= 0)
        return columns;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cxWindow;
    bmi.bmiHeader.biHeight = -cyWindow;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HDC hdc = ::CreateCompatibleDC(NULL);
    HBITMAP hBitmap = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    ::PrintWindow(hWnd, hdc, 0);
    const BYTE* pPixels = (const BYTE*)pBits;
    for (int x = std::max(rc.left, rcWindow.left); x < std::min(rc.right, rcWindow.right); x++)
    {
        for (int y = std::max(rc.top, rcWindow.top); y < std::min(rc.bottom, rcWindow.bottom); y++)
        {
            const BYTE* p = pPixels + ((y - rcWindow.top) * cxWindow + (x - rcWindow.left)) * 4;
            if ((p[0] + p[1] + p[2]) / 3 < 96)
            {
                columns.push_back(x);
                break;
            }
        }
    }
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hdc);
    return columns;
}

TEST_F(FrameTest, CommandBarPopupShowsAcceleratorsRightAlignedInAColumnRightOfTheWidestText)
{
    HMENU hPopup = ::GetSubMenu(m_pFrame->m_CmdBar.GetMenu(), 1);
    DWORD dwThread = m_pUi->ThreadId();
    m_pFrame->m_CmdBar.PostOpenPopup(1);
    HWND hWndMenu = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        hWndMenu = menus.empty() ? NULL : menus[0];
        return hWndMenu != NULL;
    }));
    // Items: "&Enabled\tF5", "&Disabled\tF6" (greyed), a separator, "&Checked", "&Post to manager" (the
    // widest text, no accelerator).
    auto itemInk = [&](int nPos) {
        RECT rc = {};
        m_pUi->Invoke([&] { ::GetMenuItemRect(NULL, hPopup, nPos, &rc); });
        return InkColumns(hWndMenu, rc);
    };
    std::vector<int> widest, enabled;
    ASSERT_TRUE(WaitFor([&] {
        widest = itemInk(4);
        enabled = itemInk(0);
        return !widest.empty() && !enabled.empty();
    }));
    // The frame with the popup open over it: the popup itself would be redrawn by the capture.
    SaveWindowScreenshot(m_hWndFrame, "command-bar-popup");
    int nTextLeft = widest.front(), nWidestRight = widest.back();
    std::vector<int> accelerator, text;
    for (int x : enabled)
    {
        if (x > nWidestRight)
            accelerator.push_back(x);
        else if (x >= nTextLeft - 1)
            text.push_back(x);
    }
    ASSERT_FALSE(text.empty());
    EXPECT_LE(std::abs(text.front() - nTextLeft), 1) << "the texts start in one column";
    ASSERT_FALSE(accelerator.empty()) << "the accelerator is drawn over the text";
    EXPECT_GT(accelerator.front(), nWidestRight + 4);
    // Right-aligned: it ends near the item's right edge, whatever its width.
    RECT rcItem = {};
    m_pUi->Invoke([&] { ::GetMenuItemRect(NULL, hPopup, 0, &rcItem); });
    EXPECT_GT(accelerator.back(), rcItem.right - 40);

    m_pUi->Invoke([] { ::EndMenu(); });
    EXPECT_TRUE(WaitFor([&] { return ThreadWindows(dwThread, "#32768").empty(); }));
    // Closed, the popup holds its plain text items again: the bar restores them once its menu loop has
    // returned, which may be after the menu window is gone.
    EXPECT_TRUE(WaitFor([&] { return !(::GetMenuState(hPopup, ID_SAMPLE_ENABLED, MF_BYCOMMAND) & MF_OWNERDRAW); }));
    char szText[64] = "";
    ::GetMenuStringA(hPopup, ID_SAMPLE_ENABLED, szText, sizeof(szText), MF_BYCOMMAND);
    EXPECT_STREQ("&Enabled\tF5", szText);
}

TEST_F(FrameTest, AnItemsLetterInAnOpenPopupOfTheCommandBarRunsIt)
{
    DWORD dwThread = m_pUi->ThreadId();
    m_pFrame->m_CmdBar.PostOpenPopup(1);
    HWND hWndMenu = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        hWndMenu = menus.empty() ? NULL : menus[0];
        return hWndMenu != NULL;
    }));
    // "&Post to manager": its letter closes the popup and sends its command.
    ::PostMessageA(hWndMenu, WM_CHAR, 'p', 0x00190001);
    CRecordingThread::Command command = {};
    EXPECT_TRUE(m_manager.WaitForCommand(ID_SAMPLE_POST, 5000, &command));
    EXPECT_TRUE(WaitFor([&] { return ThreadWindows(dwThread, "#32768").empty(); }));
}

TEST_F(FrameTest, APopupItemsTextOfAnyLengthIsWholeAgainAfterThePopupClosed)
{
    HMENU hPopup = ::GetSubMenu(m_pFrame->m_CmdBar.GetMenu(), 1);
    const std::string strLong = "&Post " + std::string(400, 'x') + "\tF9";
    m_pUi->Invoke([&] {
        ::ModifyMenuA(hPopup, ID_SAMPLE_POST, MF_BYCOMMAND | MF_STRING, ID_SAMPLE_POST, strLong.c_str());
    });
    DWORD dwThread = m_pUi->ThreadId();
    m_pFrame->m_CmdBar.PostOpenPopup(1);
    ASSERT_TRUE(WaitFor([&] { return !ThreadWindows(dwThread, "#32768").empty(); }));
    m_pUi->Invoke([] { ::EndMenu(); });
    ASSERT_TRUE(WaitFor([&] { return ThreadWindows(dwThread, "#32768").empty(); }));
    EXPECT_TRUE(WaitFor([&] { return !(::GetMenuState(hPopup, ID_SAMPLE_POST, MF_BYCOMMAND) & MF_OWNERDRAW); }));
    std::vector<char> text(1024, '\0');
    ::GetMenuStringA(hPopup, ID_SAMPLE_POST, text.data(), (int)text.size(), MF_BYCOMMAND);
    EXPECT_EQ(strLong, std::string(text.data()));
}

TEST_F(FrameTest, CommandPostedToTheManagerThreadIsRecorded)
{
    ::PostMessageA(m_hWndFrame, WM_COMMAND, MAKEWPARAM(ID_SAMPLE_POST, 0), 0);
    CRecordingThread::Command command = {};
    ASSERT_TRUE(m_manager.WaitForCommand(ID_SAMPLE_POST, 5000, &command));
    EXPECT_EQ(command.lParam, 42);
}

TEST_F(FrameTest, DestroyingTheFrameEndsItsThreadsLoopWithExitCodeOne)
{
    ::PostMessageA(m_hWndFrame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_pUi->WaitForExit());
    EXPECT_EQ(m_pUi->ExitCode(), 1);
}

TEST(FrameThreadsTest, TwoFramesOnTwoThreadsEachRunTheirOwnAccelerators)
{
    CRecordingThread manager;
    CSampleFrame first(manager.ThreadId()), second(manager.ThreadId());
    CUiThread threadA(_Module), threadB(_Module);
    HWND hWndA = threadA.Start([&] { return first.CreateEx(); });
    HWND hWndB = threadB.Start([&] { return second.CreateEx(); });
    ASSERT_NE(hWndA, (HWND)NULL);
    ASSERT_NE(hWndB, (HWND)NULL);

    ::PostMessageA(hWndA, WM_KEYDOWN, VK_F5, 1);
    ::PostMessageA(hWndB, WM_KEYDOWN, VK_F5, 1);
    ::PostMessageA(hWndB, WM_KEYDOWN, VK_F5, 1);
    EXPECT_TRUE(WaitFor([&] { return first.m_nEnabledRuns == 1 && second.m_nEnabledRuns == 2; }));

    ::PostMessageA(hWndA, WM_CLOSE, 0, 0);
    EXPECT_TRUE(threadA.WaitForExit());
    ::PostMessageA(hWndB, WM_KEYDOWN, VK_F5, 1);
    EXPECT_TRUE(WaitFor([&] { return second.m_nEnabledRuns == 3; }));
    ::PostMessageA(hWndB, WM_CLOSE, 0, 0);
    EXPECT_TRUE(threadB.WaitForExit());
}

} // namespace

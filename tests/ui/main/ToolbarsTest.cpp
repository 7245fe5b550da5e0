// The toolbar resources, the inverted tracking line and the pane title's spacer.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>
#include <vector>

#include "tests/support/UiThread.h"
#include "app/LetrovaGlobals.h"
#include "ui/main/DrawingRoutines.h"
#include "ui/main/PaneTitle.h"

namespace
{
// Width, height and the command of each item of a toolbar resource (type 241).
std::vector<int> ToolBarResource(int nID)
{
    HRSRC hResource = ::FindResourceA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID), MAKEINTRESOURCEA(241));
    if (hResource == NULL)
        return {};
    const WORD* pData = (const WORD*)::LockResource(::LoadResource(::GetModuleHandleA(nullptr), hResource));
    std::vector<int> values = {pData[1], pData[2]};
    for (int i = 0; i < pData[3]; i++)
        values.push_back(pData[4 + i]);
    return values;
}

LRESULT CALLBACK PlainProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
} // namespace

TEST(ToolbarsTest, ToolbarResourcesHoldTheListedItems)
{
    EXPECT_EQ((std::vector<int>{35, 34, 32780, 32779}), ToolBarResource(203));
    EXPECT_EQ((std::vector<int>{16, 17, 32947, 32948, 0, 32946, 0, 32821, 32825, 32826, 32945, 0, 32834, 32831,
                                32832, 32833, 0, 32761, 32762, 32763, 0, 32844, 32845}),
              ToolBarResource(144));
    EXPECT_EQ((std::vector<int>{18, 17, 33084, 0, 32782, 32906, 32911, 0, 32776, 0, 32781, 0, 57607, 32792, 0, 57664}),
              ToolBarResource(128));
}

TEST(ToolbarsTest, ATrackingLineDrawnTwiceLeavesTheParentAsItWas)
{
    CUiThread ui(_Module);
    HWND hWnd = ui.Start([]() -> HWND {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hbrBackground = (HBRUSH)::GetStockObject(WHITE_BRUSH);
        wc.lpszClassName = "LetrovaTrackingTest";
        ::RegisterClassA(&wc);
        HWND h = ::CreateWindowExA(0, "LetrovaTrackingTest", "", WS_POPUP | WS_VISIBLE, 10, 10, 100, 80, NULL, NULL,
                                   wc.hInstance, NULL);
        ::UpdateWindow(h);
        return h;
    });
    ASSERT_NE(nullptr, hWnd);
    ui.Invoke([&]() {
        HDC hDC = ::GetDC(hWnd);
        COLORREF before[3] = {::GetPixel(hDC, 50, 39), ::GetPixel(hDC, 50, 40), ::GetPixel(hDC, 30, 41)};
        DrawHorizontalTrackingLine(hWnd, 40);
        EXPECT_NE(before[1], ::GetPixel(hDC, 50, 40));
        DrawHorizontalTrackingLine(hWnd, 40);
        EXPECT_EQ(before[0], ::GetPixel(hDC, 50, 39));
        EXPECT_EQ(before[1], ::GetPixel(hDC, 50, 40));
        EXPECT_EQ(before[2], ::GetPixel(hDC, 30, 41));
        DrawVerticalTrackingLine(hWnd, 20);
        DrawVerticalTrackingLine(hWnd, 20);
        EXPECT_EQ(before[1], ::GetPixel(hDC, 20, 40));
        ::ReleaseDC(hWnd, hDC);
        ::DestroyWindow(hWnd);
    });
    ui.PostQuit();
}

TEST(ToolbarsTest, TitleSpacerKeepsCloseAtTheRightAndATooNarrowTitleKeepsTheOldSpacer)
{
    CUiThread ui(_Module);
    HWND hParent = ui.Start([]() -> HWND {
        return ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, NULL, NULL, NULL, NULL);
    });
    ASSERT_NE(nullptr, hParent);
    ui.Invoke([&]() {
        CPaneTitle title;
        ASSERT_NE(nullptr, title.Create(hParent, "Contacts Private", 32777, 32772, true));
        title.Resize(260);
        RECT rcClose = {}, rcSpacer = {};
        ::SendMessageA(title.m_hWnd, TB_GETITEMRECT, 2, (LPARAM)&rcClose);
        ::SendMessageA(title.m_hWnd, TB_GETITEMRECT, 1, (LPARAM)&rcSpacer);
        EXPECT_EQ(260, rcClose.right);
        int nSpacer = rcSpacer.right - rcSpacer.left;
        title.Resize(20);
        ::SendMessageA(title.m_hWnd, TB_GETITEMRECT, 1, (LPARAM)&rcSpacer);
        EXPECT_EQ(nSpacer, rcSpacer.right - rcSpacer.left);
        title.Destroy();
        ::DestroyWindow(hParent);
    });
    ui.PostQuit();
}

// The editor's formatting toolbar: its items from resource 144, the font-name and font-size boxes in the
// first two places; shown in a test window with two owner-drawn buttons.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "app/LetrovaGlobals.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "ui/main/EditorToolBar.h"
#include "ui/main/OwnerDrawButton.h"

namespace
{
std::vector<std::string> BoxItems(HWND hWndBox)
{
    std::vector<std::string> items;
    int nCount = (int)::SendMessageA(hWndBox, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < nCount; i++)
    {
        char szText[256] = "";
        ::SendMessageA(hWndBox, CB_GETLBTEXT, i, (LPARAM)szText);
        items.push_back(szText);
    }
    return items;
}

LRESULT CALLBACK TestWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The buttons draw themselves: the owner hands WM_DRAWITEM back to them.
    if (uMsg == WM_DRAWITEM)
    {
        const DRAWITEMSTRUCT* pItem = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return ::SendMessageA(pItem->hwndItem, OCM_DRAWITEM, wParam, lParam);
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND CreateTestWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "LetrovaEditorToolBarTest";
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, wc.lpszClassName, "Editor toolbar", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40,
                             620, 150, NULL, NULL, wc.hInstance, NULL);
}
} // namespace

TEST(EditorToolBarTest, ToolbarHoldsTheResourceItemsWithTheFontBoxesInFront)
{
    CUiThread ui(_Module);
    HWND hWnd = ui.Start(CreateTestWindow);
    ASSERT_NE(nullptr, hWnd);
    CEditorToolBar toolbar;
    std::unique_ptr<COwnerDrawButton> pPlain, pFramed;
    ui.Invoke([&]() {
        ASSERT_NE(nullptr, toolbar.Create(hWnd, 59392));
        ::MoveWindow(toolbar.m_hWnd, 0, 0, 600, 31, TRUE);
        HWND hAttach = ::CreateWindowExA(0, "BUTTON", "&Attach", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 50, 110, 40,
                                         hWnd, (HMENU)1, NULL, NULL);
        HWND hSend = ::CreateWindowExA(0, "BUTTON", "&Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 140, 50, 110, 40,
                                       hWnd, (HMENU)2, NULL, NULL);
        HFONT hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        ::SendMessageA(hAttach, WM_SETFONT, (WPARAM)hFont, FALSE);
        ::SendMessageA(hSend, WM_SETFONT, (WPARAM)hFont, FALSE);
        pPlain.reset(new COwnerDrawButton(hAttach, true));
        EXPECT_TRUE(pPlain->LoadBitmap(203, 35, 17, RGB(192, 192, 192), true));
        pFramed.reset(new COwnerDrawButton(hSend, false));
        pFramed->m_bBorder = true;
        pFramed->m_bDropArrow = true;
        pFramed->m_ptText.x = 12;
        ::InvalidateRect(hWnd, NULL, TRUE);
    });

    ui.Invoke([&]() {
        std::vector<int> commands;
        int nCount = (int)::SendMessageA(toolbar.m_hWnd, TB_BUTTONCOUNT, 0, 0);
        for (int i = 0; i < nCount; i++)
        {
            TBBUTTON button = {};
            ::SendMessageA(toolbar.m_hWnd, TB_GETBUTTON, i, (LPARAM)&button);
            commands.push_back(button.idCommand);
            if (button.idCommand != 0 && !(button.fsStyle & BTNS_SEP))
                EXPECT_TRUE(button.fsState & TBSTATE_ENABLED) << button.idCommand;
        }
        EXPECT_EQ((std::vector<int>{32947, 32948, 0, 32946, 0, 32821, 32825, 32826, 32945, 0, 32834, 32831, 32832,
                                    32833, 0, 32761, 32762, 32763, 0, 32844, 32845}),
                  commands);

        // The boxes stand in their places, 150 and 50 pixels wide, the size box 5 pixels in.
        RECT rcName = {}, rcSize = {}, rcNameBox = {}, rcSizeBox = {};
        ::SendMessageA(toolbar.m_hWnd, TB_GETITEMRECT, 0, (LPARAM)&rcName);
        ::SendMessageA(toolbar.m_hWnd, TB_GETITEMRECT, 1, (LPARAM)&rcSize);
        EXPECT_EQ(150, rcName.right - rcName.left);
        EXPECT_EQ(50, rcSize.right - rcSize.left);
        ::GetWindowRect(toolbar.m_hWndFontName, &rcNameBox);
        ::GetWindowRect(toolbar.m_hWndFontSize, &rcSizeBox);
        ::MapWindowPoints(NULL, toolbar.m_hWnd, (POINT*)&rcNameBox, 2);
        ::MapWindowPoints(NULL, toolbar.m_hWnd, (POINT*)&rcSizeBox, 2);
        EXPECT_EQ(rcName.left, rcNameBox.left);
        EXPECT_EQ(rcSize.left + 5, rcSizeBox.left);
        EXPECT_EQ(toolbar.m_hWnd, ::GetParent(toolbar.m_hWndFontName));

        EXPECT_EQ((std::vector<std::string>{"8", "10", "12", "14", "18", "24", "36"}), BoxItems(toolbar.m_hWndFontSize));
        std::vector<std::string> fonts = BoxItems(toolbar.m_hWndFontName);
        ASSERT_FALSE(fonts.empty());
        for (size_t i = 1; i < fonts.size(); i++)
        {
            EXPECT_LE(lstrcmpiA(fonts[i - 1].c_str(), fonts[i].c_str()), 0) << fonts[i];
            EXPECT_NE(fonts[i - 1], fonts[i]);
        }
        EXPECT_EQ(CB_ERR, ::SendMessageA(toolbar.m_hWndFontName, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(CB_ERR, ::SendMessageA(toolbar.m_hWndFontSize, CB_GETCURSEL, 0, 0));
        HFONT hGui = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        EXPECT_EQ(hGui, (HFONT)::SendMessageA(toolbar.m_hWndFontName, WM_GETFONT, 0, 0));
        EXPECT_EQ(hGui, (HFONT)::SendMessageA(toolbar.m_hWndFontSize, WM_GETFONT, 0, 0));
    });
    EXPECT_FALSE(SaveWindowScreenshot(hWnd, "editor-toolbar-and-buttons").empty());
    ui.Invoke([&]() {
        pPlain.reset();
        pFramed.reset();
        ::DestroyWindow(hWnd);
    });
    ui.PostQuit();
}

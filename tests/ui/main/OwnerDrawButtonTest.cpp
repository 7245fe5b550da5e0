// The owner-drawn button: where it puts its bitmap, how pushing and a border change the face, and the two
// mapped copies of its bitmap.
#include <windows.h>

#include <gtest/gtest.h>
#include <memory>

#include "app/LetrovaGlobals.h"
#include "tests/support/UiThread.h"
#include "ui/main/OwnerDrawButton.h"

namespace
{
const int kWidth = 60, kHeight = 24;
const COLORREF kRed = RGB(255, 0, 0);

HBITMAP SolidBitmap(int cx, int cy, COLORREF cr)
{
    HDC hScreen = ::GetDC(NULL);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, cx, cy);
    HDC hDC = ::CreateCompatibleDC(hScreen);
    HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    RECT rc = {0, 0, cx, cy};
    HBRUSH hBrush = ::CreateSolidBrush(cr);
    ::FillRect(hDC, &rc, hBrush);
    ::DeleteObject(hBrush);
    ::SelectObject(hDC, hOld);
    ::DeleteDC(hDC);
    ::ReleaseDC(NULL, hScreen);
    return hBitmap;
}

COLORREF PixelOf(HBITMAP hBitmap, int x, int y)
{
    HDC hDC = ::CreateCompatibleDC(NULL);
    HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    COLORREF cr = ::GetPixel(hDC, x, y);
    ::SelectObject(hDC, hOld);
    ::DeleteDC(hDC);
    return cr;
}

// The face the button draws for a state, kept in a memory bitmap to read back.
class CFace
{
public:
    CFace(COwnerDrawButton& button, UINT nState)
    {
        HDC hScreen = ::GetDC(NULL);
        m_hDC = ::CreateCompatibleDC(hScreen);
        m_hBitmap = ::CreateCompatibleBitmap(hScreen, kWidth, kHeight);
        ::ReleaseDC(NULL, hScreen);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = nState;
        item.hwndItem = button.m_hWnd;
        item.hDC = m_hDC;
        item.rcItem = {0, 0, kWidth, kHeight};
        button.DrawItem(&item);
    }
    ~CFace()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

private:
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};
} // namespace

TEST(OwnerDrawButtonTest, BitmapStandsAtTheMarginBesideTextCentredWithoutAndMovesWhenPushed)
{
    CUiThread ui(_Module);
    HWND hParent = ui.Start([]() -> HWND {
        return ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, NULL, NULL, NULL, NULL);
    });
    ASSERT_NE(nullptr, hParent);
    ui.Invoke([&]() {
        HWND hButton = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, hParent, NULL,
                                         NULL, NULL);
        COwnerDrawButton button(hButton, true);
        EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK);
        button.SetImage(SolidBitmap(8, 8, kRed));
        const int x = (kWidth - 8) / 2, y = (kHeight - 8) / 2;
        {
            CFace face(button, 0);
            EXPECT_EQ(kRed, face.At(x, y));
            EXPECT_NE(kRed, face.At(x - 1, y));
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), face.At(0, 0));
        }
        {
            CFace pushed(button, ODS_SELECTED);
            EXPECT_NE(kRed, pushed.At(x, y));
            EXPECT_EQ(kRed, pushed.At(x + 1, y + 1));
            // Pushed: a sunken frame, dark at the top left.
            EXPECT_EQ(::GetSysColor(COLOR_3DDKSHADOW), pushed.At(0, 0));
            EXPECT_EQ(::GetSysColor(COLOR_WINDOW), pushed.At(kWidth - 1, kHeight - 1));
        }
        ::SetWindowTextA(hButton, "Go");
        {
            CFace face(button, 0);
            EXPECT_EQ(kRed, face.At(4, y));
            EXPECT_NE(kRed, face.At(3, y));
        }
        button.m_bBorder = true;
        {
            CFace face(button, 0);
            EXPECT_EQ(RGB(0, 0, 0), face.At(0, 0));
            EXPECT_EQ(RGB(0, 0, 0), face.At(kWidth - 1, kHeight - 1));
            EXPECT_EQ(kRed, face.At(5, y));
        }
        // Without the side-by-side layout the caller's coordinate holds and a missing one centres.
        button.m_bSideBySide = false;
        button.m_bBorder = false;
        button.m_ptBitmap = {2, -1};
        {
            CFace face(button, 0);
            EXPECT_EQ(kRed, face.At(2, y));
            EXPECT_NE(kRed, face.At(2, y - 1));
        }
        ::DestroyWindow(hParent);
    });
    ui.PostQuit();
}

TEST(OwnerDrawButtonTest, LoadedBitmapIsMappedOnTheFaceAndOnWhite)
{
    CUiThread ui(_Module);
    HWND hParent = ui.Start([]() -> HWND {
        return ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, NULL, NULL, NULL, NULL);
    });
    ASSERT_NE(nullptr, hParent);
    ui.Invoke([&]() {
        HWND hButton = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight, hParent, NULL,
                                         NULL, NULL);
        COwnerDrawButton button(hButton, true);
        // The glyph strips have a silver ground.
        const COLORREF kGround = RGB(192, 192, 192);
        ASSERT_TRUE(button.LoadBitmap(203, 70, 34, kGround, true));
        EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), PixelOf(button.m_hBitmap, 0, 0));
        EXPECT_EQ(RGB(255, 255, 255), PixelOf(button.m_hBitmapWhite, 0, 0));
        ASSERT_TRUE(button.LoadBitmap(203, 70, 34));
        EXPECT_EQ(kGround, PixelOf(button.m_hBitmap, 0, 0));
        EXPECT_EQ(kGround, PixelOf(button.m_hBitmapWhite, 0, 0));
        EXPECT_FALSE(button.LoadBitmap(4321, 16, 16));
        ::DestroyWindow(hParent);
    });
    ui.PostQuit();
}

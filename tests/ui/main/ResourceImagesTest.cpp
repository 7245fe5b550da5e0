// The images the build converts into the resources: each strip as wide as its toolbar's buttons need, and
// no image in it left empty where the code shows one.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "resource.h"

namespace
{
struct CImagePixels
{
    int cx = 0, cy = 0;
    std::vector<COLORREF> pixels;
};

CImagePixels LoadPixels(UINT nID)
{
    CImagePixels image;
    HBITMAP hBitmap = (HBITMAP)::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0,
                                            LR_CREATEDIBSECTION);
    if (hBitmap == NULL)
        return image;
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    image.cx = bm.bmWidth;
    image.cy = bm.bmHeight;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = -bm.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    std::vector<BYTE> bits((size_t)bm.bmWidth * bm.bmHeight * 4);
    HDC hdc = ::GetDC(NULL);
    ::GetDIBits(hdc, hBitmap, 0, bm.bmHeight, bits.data(), &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(NULL, hdc);
    ::DeleteObject(hBitmap);
    for (size_t i = 0; i < bits.size(); i += 4)
        image.pixels.push_back(RGB(bits[i + 2], bits[i + 1], bits[i]));
    return image;
}

// The buttons (items that are not separators) of a toolbar resource, and its image size.
int ToolBarButtons(UINT nID, int& cx, int& cy)
{
    HRSRC hResource = ::FindResourceA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID), MAKEINTRESOURCEA(241));
    if (hResource == NULL)
        return -1;
    const WORD* pData = (const WORD*)::LockResource(::LoadResource(::GetModuleHandleA(nullptr), hResource));
    cx = pData[1];
    cy = pData[2];
    int nButtons = 0;
    for (int i = 0; i < pData[3]; i++)
        nButtons += pData[4 + i] != 0;
    return nButtons;
}

// How many pixels of the image at nIndex of a strip differ from the colour that shows as transparent.
int InkOf(const CImagePixels& strip, int nIndex, int cx, COLORREF crClear)
{
    int nInk = 0;
    for (int y = 0; y < strip.cy; y++)
        for (int x = nIndex * cx; x < (nIndex + 1) * cx; x++)
            nInk += strip.pixels[(size_t)y * strip.cx + x] != crClear;
    return nInk;
}
} // namespace

TEST(ResourceImagesTest, EachToolbarStripHoldsAnImageForEveryButton)
{
    // The toolbars map light grey to the button face; the folder tree masks magenta.
    const COLORREF kToolbarClear = RGB(192, 192, 192), kTreeClear = RGB(255, 0, 255);
    const struct
    {
        const char* pszName;
        UINT nBitmap;
        UINT nToolBar; // 0: no toolbar resource, the size and count below
        int cx, cy, nCount;
        COLORREF crClear;
    } strips[] = {
        {"main window toolbar", IDR_MAINFRAME, IDR_MAINFRAME, 0, 0, 0, kToolbarClear},
        {"message windows' command bar", IDR_MESSAGE_FRAME, IDR_MESSAGE_FRAME, 0, 0, 0, kToolbarClear},
        {"attachment toolbar", IDR_ATTACHMENTS_TOOLBAR, IDR_ATTACHMENTS_TOOLBAR, 0, 0, 0, kToolbarClear},
        {"editor toolbar", IDR_ADDRESS_BOOK_TOOLBAR, IDR_ADDRESS_BOOK_TOOLBAR, 0, 0, 0, kToolbarClear},
        // One image per folder type, 0 to 15.
        {"folder tree", IDB_FOLDER_IMAGES, 0, 16, 16, 16, kTreeClear},
    };
    for (const auto& strip : strips)
    {
        int cx = strip.cx, cy = strip.cy, nCount = strip.nCount;
        if (strip.nToolBar != 0)
            nCount = ToolBarButtons(strip.nToolBar, cx, cy);
        ASSERT_GT(nCount, 0) << strip.pszName;
        CImagePixels pixels = LoadPixels(strip.nBitmap);
        EXPECT_EQ(cx * nCount, pixels.cx) << strip.pszName;
        EXPECT_EQ(cy, pixels.cy) << strip.pszName;
        if (pixels.cx != cx * nCount || pixels.cy != cy)
            continue;
        for (int i = 0; i < nCount; i++)
            EXPECT_GT(InkOf(pixels, i, cx, strip.crClear), cx * cy / 8) << strip.pszName << ", image " << i;
    }
}

TEST(ResourceImagesTest, ListImagesShowAMarkExceptTheBlankOne)
{
    const UINT images[] = {IDB_LIST_SORT_UP,       IDB_LIST_SORT_DOWN,      IDB_LIST_CLIP_HEADER,
                           IDB_LIST_CLIP,          IDB_LIST_UNREAD,         IDB_LIST_READ,
                           IDB_LIST_FLAGGED,       IDB_LIST_HIGH_PRIORITY,  IDB_LIST_LOW_PRIORITY,
                           IDB_LIST_PRIORITY_HEADER, IDB_LIST_UNREAD_NO_BODY, IDB_LIST_COUNTS_AS_READ};
    // The list masks white.
    for (UINT nID : images)
    {
        CImagePixels image = LoadPixels(nID);
        ASSERT_EQ(20, image.cx) << nID;
        ASSERT_EQ(16, image.cy) << nID;
        EXPECT_GT(InkOf(image, 0, 20, RGB(255, 255, 255)), 12) << nID;
    }
    CImagePixels blank = LoadPixels(IDB_LIST_BLANK);
    ASSERT_EQ(20, blank.cx);
    EXPECT_EQ(0, InkOf(blank, 0, 20, RGB(255, 255, 255)));
}

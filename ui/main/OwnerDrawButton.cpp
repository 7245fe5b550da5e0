// The flat owner-drawn button.
#include "ui/main/OwnerDrawButton.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "foundation/ErrorUtil.h"

namespace
{
const int kArrowRows = 8;
const int kMaxText = 256;

void FillSolid(HDC hDC, const RECT& rc, COLORREF cr)
{
    COLORREF crOld = ::SetBkColor(hDC, cr);
    ::ExtTextOutA(hDC, 0, 0, ETO_OPAQUE, &rc, NULL, 0, NULL);
    ::SetBkColor(hDC, crOld);
}

SIZE BitmapSize(HBITMAP hBitmap)
{
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof(bm), &bm);
    SIZE size = {bm.bmWidth, bm.bmHeight};
    return size;
}

// CreateMappedBitmap maps the colour table of a palette bitmap only; a true-colour bitmap gets its pixels of
// crFrom replaced here.
void MapTrueColour(HBITMAP hBitmap, COLORREF crFrom, COLORREF crTo)
{
    BITMAP bm = {};
    if (::GetObjectA(hBitmap, sizeof(bm), &bm) == 0 || bm.bmBitsPixel <= 8)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels((size_t)bm.bmWidth * bm.bmHeight);
    HDC hDC = ::GetDC(NULL);
    if (::GetDIBits(hDC, hBitmap, 0, bm.bmHeight, pixels.data(), &info, DIB_RGB_COLORS) != 0)
    {
        const DWORD from = RGB(GetBValue(crFrom), GetGValue(crFrom), GetRValue(crFrom));
        const DWORD to = RGB(GetBValue(crTo), GetGValue(crTo), GetRValue(crTo));
        for (DWORD& pixel : pixels)
            if ((pixel & 0xFFFFFF) == from)
                pixel = to;
        ::SetDIBits(hDC, hBitmap, 0, bm.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
    }
    ::ReleaseDC(NULL, hDC);
}

// The given coordinate, or the one that centres a length in the available one.
int PlaceOrCentre(int nGiven, int nAvailable, int nLength)
{
    return nGiven >= 0 ? nGiven : (nAvailable - nLength) / 2;
}
} // namespace

void Draw3dFrame(HDC hDC, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight)
{
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    RECT top = {rc.left, rc.top, rc.left + cx - 1, rc.top + 1};
    RECT left = {rc.left, rc.top, rc.left + 1, rc.top + cy - 1};
    RECT right = {rc.right - 1, rc.top, rc.right, rc.bottom};
    RECT bottom = {rc.left, rc.bottom - 1, rc.right, rc.bottom};
    FillSolid(hDC, top, crTopLeft);
    FillSolid(hDC, left, crTopLeft);
    FillSolid(hDC, right, crBottomRight);
    FillSolid(hDC, bottom, crBottomRight);
}

COwnerDrawButton::COwnerDrawButton(HWND hWndButton, bool bSideBySide) : m_bSideBySide(bSideBySide)
{
    if (hWndButton != NULL && SubclassWindow(hWndButton))
        ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
}

COwnerDrawButton::~COwnerDrawButton()
{
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        UnsubclassWindow(TRUE);
    DeleteBitmaps();
    if (m_hImage != NULL)
        ::DeleteObject(m_hImage);
}

void COwnerDrawButton::DeleteBitmaps()
{
    if (m_hBitmap != NULL)
        ::DeleteObject(m_hBitmap);
    if (m_hBitmapWhite != NULL)
        ::DeleteObject(m_hBitmapWhite);
    m_hBitmap = m_hBitmapWhite = NULL;
}

bool COwnerDrawButton::LoadBitmap(UINT nID, int cx, int cy, COLORREF crMap, bool bMap)
{
    COLORMAP toFace = {crMap, ::GetSysColor(COLOR_BTNFACE)};
    COLORMAP toWhite = {crMap, RGB(255, 255, 255)};
    HINSTANCE hModule = GetResourceModule();
    HBITMAP hFace = ::CreateMappedBitmap(hModule, nID, 0, &toFace, bMap ? 1 : 0);
    HBITMAP hWhite = ::CreateMappedBitmap(hModule, nID, 0, &toWhite, bMap ? 1 : 0);
    if (hFace == NULL || hWhite == NULL)
    {
        if (hFace != NULL)
            ::DeleteObject(hFace);
        if (hWhite != NULL)
            ::DeleteObject(hWhite);
        return false;
    }
    if (bMap)
    {
        MapTrueColour(hFace, toFace.from, toFace.to);
        MapTrueColour(hWhite, toWhite.from, toWhite.to);
    }
    DeleteBitmaps();
    m_hBitmap = (HBITMAP)::CopyImage(hFace, IMAGE_BITMAP, cx, cy, LR_COPYDELETEORG);
    m_hBitmapWhite = (HBITMAP)::CopyImage(hWhite, IMAGE_BITMAP, cx, cy, LR_COPYDELETEORG);
    m_cxBitmap = cx;
    m_cyBitmap = cy;
    if (m_hImage != NULL)
        ::DeleteObject(m_hImage);
    m_hImage = NULL;
    if (m_hWnd != NULL)
        Invalidate();
    return m_hBitmap != NULL && m_hBitmapWhite != NULL;
}

void COwnerDrawButton::SetImage(HBITMAP hImage)
{
    if (m_hImage != NULL && m_hImage != hImage)
        ::DeleteObject(m_hImage);
    m_hImage = hImage;
    if (m_hWnd != NULL)
        Invalidate();
}

LRESULT COwnerDrawButton::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    // The button's own tracking of clicks goes on underneath.
    bHandled = FALSE;
    RECT rc;
    GetClientRect(&rc);
    POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
    HDC hDC = GetDC();
    if (::PtInRect(&rc, pt))
    {
        if (::GetCapture() != m_hWnd)
            SetCapture();
        COLORREF crLight = ::GetSysColor(COLOR_WINDOW), crDark = ::GetSysColor(COLOR_3DDKSHADOW);
        if (SendMessage(BM_GETSTATE) & BST_PUSHED)
            Draw3dFrame(hDC, rc, crDark, crLight);
        else
            Draw3dFrame(hDC, rc, crLight, crDark);
    }
    else
    {
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
        Draw3dFrame(hDC, rc, crFace, crFace);
    }
    ReleaseDC(hDC);
    return 0;
}

LRESULT COwnerDrawButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

void COwnerDrawButton::DrawItem(const DRAWITEMSTRUCT* pItem)
{
    HDC hDC = pItem->hDC;
    RECT rc = pItem->rcItem;
    const bool bSelected = (pItem->itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (pItem->itemState & ODS_DISABLED) != 0;
    const bool bFocus = (pItem->itemState & ODS_FOCUS) != 0;

    if (pItem->itemAction != ODA_FOCUS)
    {
        FillSolid(hDC, rc, ::GetSysColor(COLOR_BTNFACE));
        if (m_bBorder)
        {
            ::FrameRect(hDC, &rc, (HBRUSH)::GetStockObject(BLACK_BRUSH));
            ::InflateRect(&rc, -1, -1);
        }
        const int nShift = bSelected ? 1 : 0;
        const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;

        if (m_bDropArrow)
        {
            // Each row one pixel shorter at both ends than the one above.
            int x = rc.right - 6 - kArrowRows * 2 + 1, y = rc.top + (cy - kArrowRows) / 2;
            HPEN hPen = ::CreatePen(PS_SOLID, 1, m_crArrow);
            HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
            for (int nRow = 0; nRow < kArrowRows; nRow++)
            {
                ::MoveToEx(hDC, x + nShift + nRow, y + nShift + nRow, NULL);
                ::LineTo(hDC, x + nShift + kArrowRows * 2 - 1 - nRow, y + nShift + nRow);
            }
            ::SelectObject(hDC, hOldPen);
            ::DeleteObject(hPen);
        }

        char szText[kMaxText + 1] = "";
        if (m_hWnd != NULL)
            ::GetWindowTextA(m_hWnd, szText, sizeof(szText));
        const int nTextLength = lstrlenA(szText);
        SIZE textSize = {0, 0};
        if (nTextLength > 0)
        {
            RECT rcText = {0, 0, 0, 0};
            HGDIOBJ hOldFont = ::SelectObject(hDC, (HGDIOBJ)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
            ::DrawTextA(hDC, szText, nTextLength, &rcText, DT_CALCRECT | DT_SINGLELINE);
            if (hOldFont != NULL)
                ::SelectObject(hDC, hOldFont);
            textSize.cx = rcText.right;
            textSize.cy = rcText.bottom;
        }

        HBITMAP hBitmap = m_hImage != NULL ? m_hImage : (bDisabled ? m_hBitmapWhite : m_hBitmap);
        SIZE bitmapSize = {0, 0};
        if (hBitmap != NULL)
            bitmapSize = m_hImage != NULL ? BitmapSize(m_hImage) : SIZE{m_cxBitmap, m_cyBitmap};

        POINT ptBitmap, ptText;
        if (m_bSideBySide)
        {
            ptBitmap.x = nTextLength > 0 ? m_nBitmapMargin : (cx - bitmapSize.cx) / 2;
            ptBitmap.y = (cy - bitmapSize.cy) / 2;
            // The text is centred right of the bitmap, never over it.
            int nLeft = hBitmap != NULL ? m_nBitmapMargin + bitmapSize.cx + m_nGap : 0;
            ptText.x = nLeft + (cx - nLeft - textSize.cx) / 2;
            if (ptText.x < nLeft)
                ptText.x = nLeft;
            ptText.y = (cy - textSize.cy) / 2;
        }
        else
        {
            ptBitmap.x = PlaceOrCentre(m_ptBitmap.x, cx, bitmapSize.cx);
            ptBitmap.y = PlaceOrCentre(m_ptBitmap.y, cy, bitmapSize.cy);
            ptText.x = PlaceOrCentre(m_ptText.x, cx, textSize.cx);
            ptText.y = PlaceOrCentre(m_ptText.y, cy, textSize.cy);
        }
        const UINT nDisabled = bDisabled ? DSS_DISABLED : 0;
        if (hBitmap != NULL)
            ::DrawStateA(hDC, NULL, NULL, (LPARAM)hBitmap, 0, rc.left + ptBitmap.x + nShift,
                         rc.top + ptBitmap.y + nShift, bitmapSize.cx, bitmapSize.cy, DST_BITMAP | nDisabled);
        if (nTextLength > 0)
        {
            HGDIOBJ hOldFont = ::SelectObject(hDC, (HGDIOBJ)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
            int nOldMode = ::SetBkMode(hDC, TRANSPARENT);
            ::DrawStateA(hDC, NULL, NULL, (LPARAM)szText, nTextLength, rc.left + ptText.x + nShift,
                         rc.top + ptText.y + nShift, textSize.cx, textSize.cy, DST_PREFIXTEXT | nDisabled);
            ::SetBkMode(hDC, nOldMode);
            if (hOldFont != NULL)
                ::SelectObject(hDC, hOldFont);
        }
    }

    if (((pItem->itemState ^ m_nLastState) & ODS_FOCUS) != 0 || (bFocus && pItem->itemAction == ODA_DRAWENTIRE))
    {
        RECT rcFocus = rc;
        int nSmaller = std::min(rc.right - rc.left, rc.bottom - rc.top);
        int nInset = nSmaller < 16 ? nSmaller / 4 : 3;
        ::InflateRect(&rcFocus, -nInset, -nInset);
        ::DrawFocusRect(hDC, &rcFocus);
    }
    if (bSelected)
        Draw3dFrame(hDC, rc, ::GetSysColor(COLOR_3DDKSHADOW), ::GetSysColor(COLOR_WINDOW));
    m_nLastState = pItem->itemState;
    m_nLastAction = pItem->itemAction;
}

// The owner-drawn colour popup.
#include "ui/compose/ColorMenu.h"

#include <stdio.h>

#include "foundation/ErrorUtil.h"

namespace
{
const int kPaletteEntries[16] = {0, 1, 2, 3, 4, 5, 6, 12, 7, 13, 14, 15, 16, 17, 18, 19};
const UINT kFirstName = 32949;
const char* const kNames[17] = {"Black", "Maroon", "Green",   "Olive", "Navy",  "Purple", "Teal",  "Gray",    "Silver",
                                "Red",   "Lime",   "Yellow", "Blue",  "Fuchsia", "Aqua", "White", "Automatic"};

CString ItemName(int nIndex)
{
    char szText[64] = "";
    if (::LoadStringA(GetResourceModule(), kFirstName + nIndex, szText, sizeof(szText)) > 0)
        return szText;
    return kNames[nIndex];
}
} // namespace

CColorMenu::CColorMenu(UINT nFirstCommand) : m_nFirst(nFirstCommand), m_nAutomatic(nFirstCommand + 16)
{
    m_hMenu = ::CreatePopupMenu();
    for (int i = 0; i <= 16; i++)
        ::AppendMenuA(m_hMenu, MF_OWNERDRAW, m_nFirst + i, (const char*)(UINT_PTR)(kFirstName + i));
}

CColorMenu::~CColorMenu()
{
    if (m_hMenu != NULL && ::IsMenu(m_hMenu))
        ::DestroyMenu(m_hMenu);
}

COLORREF CColorMenu::ColorOf(UINT nCommand) const
{
    int nIndex = (int)nCommand - (int)m_nFirst;
    if (nIndex < 0 || nIndex >= 16)
        return ::GetSysColor(COLOR_WINDOWTEXT);
    PALETTEENTRY entry = {};
    HPALETTE hPalette = (HPALETTE)::GetStockObject(DEFAULT_PALETTE);
    if (::GetPaletteEntries(hPalette, kPaletteEntries[nIndex], 1, &entry) != 1)
        return ::GetSysColor(COLOR_WINDOWTEXT);
    return RGB(entry.peRed, entry.peGreen, entry.peBlue);
}

void CColorMenu::SetCurrent(COLORREF color)
{
    for (UINT i = 0; i < 16; i++)
    {
        if (ColorOf(m_nFirst + i) == color)
        {
            SetCurrentCommand(m_nFirst + i);
            return;
        }
    }
}

void CColorMenu::SetCurrentCommand(UINT nCommand)
{
    m_nCurrent = nCommand;
    ::CheckMenuRadioItem(m_hMenu, m_nFirst, m_nAutomatic, nCommand, MF_BYCOMMAND);
}

void CColorMenu::FormatColor(COLORREF color, char* pszText, size_t nSize)
{
    snprintf(pszText, nSize, "#%06X", (unsigned)((GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color)));
}

void CColorMenu::MeasureItem(MEASUREITEMSTRUCT* pMeasure)
{
    CString strName = ItemName((int)pMeasure->itemID - (int)m_nFirst);
    HDC hDC = ::GetDC(NULL);
    HFONT hOld = (HFONT)::SelectObject(hDC, ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    ::GetTextExtentPoint32A(hDC, strName, strName.GetLength(), &size);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(NULL, hDC);
    pMeasure->itemWidth = size.cx + 20;
    pMeasure->itemHeight = size.cy;
}

void CColorMenu::DrawItem(const DRAWITEMSTRUCT* pDraw)
{
    HDC hDC = pDraw->hDC;
    RECT rc = pDraw->rcItem;
    bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    HBRUSH hBack = ::GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU);
    ::FillRect(hDC, &rc, hBack);
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ::GetSysColor((pDraw->itemState & ODS_GRAYED) ? COLOR_GRAYTEXT
                                      : bSelected                     ? COLOR_HIGHLIGHTTEXT
                                                                      : COLOR_MENUTEXT));
    CString strName = ItemName((int)pDraw->itemID - (int)m_nFirst);
    RECT rcText = rc;
    rcText.left += 30;
    ::DrawTextA(hDC, strName, strName.GetLength(), &rcText, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    RECT rcSwatch = {rc.left + 5, rc.top + 2, rc.left + 25, rc.bottom - 2};
    HBRUSH hSwatch = ::CreateSolidBrush(ColorOf(pDraw->itemID));
    ::FillRect(hDC, &rcSwatch, hSwatch);
    ::DeleteObject(hSwatch);
    ::FrameRect(hDC, &rcSwatch, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    if (pDraw->itemID == m_nCurrent)
        ::FrameRect(hDC, &rc, ::GetSysColorBrush(COLOR_HIGHLIGHTTEXT));
    if (pDraw->itemState & ODS_FOCUS)
        ::DrawFocusRect(hDC, &rc);
}

// The owner-drawn popup of sixteen colours and "Automatic" for the text and background colour commands.
#pragma once

#include <windows.h>

class CColorMenu
{
public:
    // The items are commands nFirstCommand to nFirstCommand + 16; their names are the string resources
    // 32949 onwards.
    explicit CColorMenu(UINT nFirstCommand);
    virtual ~CColorMenu();
    CColorMenu(const CColorMenu&) = delete;
    CColorMenu& operator=(const CColorMenu&) = delete;

    virtual void DrawItem(const DRAWITEMSTRUCT* pDraw);
    virtual void MeasureItem(MEASUREITEMSTRUCT* pMeasure);

    bool IsColorCommand(UINT nCommand) const { return nCommand >= m_nFirst && nCommand <= m_nAutomatic; }
    COLORREF ColorOf(UINT nCommand) const;
    // Checks the first of the sixteen colours that equals it; none equal leaves the check where it was.
    void SetCurrent(COLORREF color);
    void SetCurrentCommand(UINT nCommand);
    // "#RRGGBB" of the command's colour.
    static void FormatColor(COLORREF color, char* pszText, size_t nSize);

    HMENU m_hMenu;
    UINT m_nCurrent = 0;
    UINT m_nFirst;
    UINT m_nAutomatic;
};

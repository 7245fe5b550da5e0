// A flat push button that draws itself: a bitmap and its text side by side or where the caller puts them,
// an optional black border and drop arrow, and a thin 3-D frame while the pointer is over it.
#pragma once

#include <windows.h>

#include <olectl.h>

#include <atlwin.h>

class COwnerDrawButton : public CWindowImpl<COwnerDrawButton>
{
public:
    BEGIN_MSG_MAP(COwnerDrawButton)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
    END_MSG_MAP()

    // Takes over an existing button of the owner; bSideBySide lays bitmap and text out in a row.
    COwnerDrawButton(HWND hWndButton, bool bSideBySide);
    ~COwnerDrawButton();

    // Loads bitmap nID twice, scaled to cx by cy: with bMap, crMap becomes the button face in the first copy
    // and white in the second (the disabled look). Drops the owner's image. False when a load fails.
    bool LoadBitmap(UINT nID, int cx, int cy, COLORREF crMap, bool bMap);
    bool LoadBitmap(UINT nID, int cx, int cy) { return LoadBitmap(nID, cx, cy, 0, false); }
    // An image of the owner's, drawn in place of the loaded bitmap; the button deletes it.
    void SetImage(HBITMAP hImage);

    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&);
    void DrawItem(const DRAWITEMSTRUCT* pItem);

    bool m_bSideBySide;
    int m_nBitmapMargin = 4;
    int m_nGap = 8;
    // Where the caller wants bitmap and text without the side-by-side layout; -1 centres that coordinate.
    POINT m_ptBitmap = {-1, -1};
    POINT m_ptText = {-1, -1};
    bool m_bBorder = false;
    bool m_bDropArrow = false;
    COLORREF m_crArrow = RGB(0, 0, 0);
    HBITMAP m_hImage = NULL;
    HBITMAP m_hBitmap = NULL;
    HBITMAP m_hBitmapWhite = NULL;
    int m_cxBitmap = 0;
    int m_cyBitmap = 0;
    UINT m_nLastState = 0;
    UINT m_nLastAction = 0;

private:
    void DeleteBitmaps();
};

// Four one-pixel edges: top and left in crTopLeft, right and bottom in crBottomRight.
void Draw3dFrame(HDC hDC, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight);

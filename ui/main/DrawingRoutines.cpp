// Tracking lines of the splitter bars.
#include "ui/main/DrawingRoutines.h"

namespace
{
void DrawInvertedLine(HWND hWndParent, int x1, int y1, int x2, int y2)
{
    HDC hDC = ::GetDC(hWndParent);
    if (hDC == NULL)
        return;
    HPEN hPen = ::CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HGDIOBJ hOldPen = ::SelectObject(hDC, hPen);
    int nOldRop = ::SetROP2(hDC, R2_NOT);
    ::MoveToEx(hDC, x1, y1, NULL);
    ::LineTo(hDC, x2, y2);
    ::SetROP2(hDC, nOldRop);
    ::SelectObject(hDC, hOldPen);
    ::DeleteObject(hPen);
    ::ReleaseDC(hWndParent, hDC);
}
} // namespace

void DrawHorizontalTrackingLine(HWND hWndParent, int y)
{
    RECT rc;
    ::GetClientRect(hWndParent, &rc);
    DrawInvertedLine(hWndParent, rc.left, y, rc.right, y);
}

void DrawVerticalTrackingLine(HWND hWndParent, int x)
{
    RECT rc;
    ::GetClientRect(hWndParent, &rc);
    DrawInvertedLine(hWndParent, x, rc.top, x, rc.bottom);
}

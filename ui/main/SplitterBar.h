// A 5-pixel bar between two panes that the user drags; at the end it tells its parent how far.
#pragma once

#include <windows.h>

#include <atlwin.h>

class CSplitterBar : public CWindowImpl<CSplitterBar>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaSplitterBar", CS_HREDRAW | CS_VREDRAW, COLOR_BTNFACE)

    BEGIN_MSG_MAP(CSplitterBar)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    END_MSG_MAP()

    // A horizontal bar lies between panes stacked one above the other and moves up and down.
    explicit CSplitterBar(bool bHorizontal) : m_bHorizontal(bHorizontal) {}

    HWND CreateBar(HWND hWndParent);

    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);

    // The drag's distance goes with the split message, not the button-up point inside the bar: a click
    // without a move must leave the panes where they are.
    static LPARAM SplitParameter(bool bHorizontal, int nDistance);

private:
    int TrackingPosition(LPARAM lParam);
    void DrawLine(int nPosition);

    bool m_bHorizontal;
    int m_nPressed = 0;
    // The coordinate of the line being drawn, one per orientation as only one bar is dragged at a time.
    static int s_nTrackHorizontal;
    static int s_nTrackVertical;
};

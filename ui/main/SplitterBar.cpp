// Splitter bars and their tracking lines.
#include "ui/main/SplitterBar.h"

#include "foundation/WindowMessages.h"
#include "ui/main/DrawingRoutines.h"

int CSplitterBar::s_nTrackHorizontal = 0;
int CSplitterBar::s_nTrackVertical = 0;

HWND CSplitterBar::CreateBar(HWND hWndParent)
{
    RECT rc = {0, 0, 5, 5};
    return Create(hWndParent, rc, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
}

LPARAM CSplitterBar::SplitParameter(bool bHorizontal, int nDistance)
{
    return bHorizontal ? MAKELPARAM(0, (WORD)(SHORT)nDistance) : MAKELPARAM((WORD)(SHORT)nDistance, 0);
}

int CSplitterBar::TrackingPosition(LPARAM lParam)
{
    RECT rc;
    GetWindowRect(&rc);
    ::MapWindowPoints(HWND_DESKTOP, GetParent(), (POINT*)&rc, 2);
    return m_bHorizontal ? rc.top + (SHORT)HIWORD(lParam) : rc.left + (SHORT)LOWORD(lParam);
}

void CSplitterBar::DrawLine(int nPosition)
{
    if (m_bHorizontal)
        DrawHorizontalTrackingLine(GetParent(), nPosition);
    else
        DrawVerticalTrackingLine(GetParent(), nPosition);
}

LRESULT CSplitterBar::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    SetCapture();
    int& nTrack = m_bHorizontal ? s_nTrackHorizontal : s_nTrackVertical;
    nTrack = TrackingPosition(lParam);
    m_nPressed = nTrack;
    DrawLine(nTrack);
    return 0;
}

LRESULT CSplitterBar::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (::GetCapture() != m_hWnd)
        return 0;
    int& nTrack = m_bHorizontal ? s_nTrackHorizontal : s_nTrackVertical;
    DrawLine(nTrack);
    nTrack = TrackingPosition(lParam);
    DrawLine(nTrack);
    return 0;
}

LRESULT CSplitterBar::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (::GetCapture() != m_hWnd)
        return 0;
    ::ReleaseCapture();
    int& nTrack = m_bHorizontal ? s_nTrackHorizontal : s_nTrackVertical;
    DrawLine(nTrack);
    int nDistance = TrackingPosition(lParam) - m_nPressed;
    ::SendMessageA(GetParent(), m_bHorizontal ? LetrovaSplitHorizontal : LetrovaSplitVertical, 0,
                   SplitParameter(m_bHorizontal, nDistance));
    return 0;
}

LRESULT CSplitterBar::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetCursor(::LoadCursor(NULL, m_bHorizontal ? IDC_SIZENS : IDC_SIZEWE));
    return TRUE;
}

// The client window of a message window.
#include "ui/main/MessageClientWindow.h"

LRESULT CMessageClientWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndDialog = m_pfnCreateDialog(m_hWnd);
    return 0;
}

LRESULT CMessageClientWindow::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hWndDialog != NULL && ::IsWindow(m_hWndDialog))
    {
        RECT rc;
        GetClientRect(&rc);
        ::MoveWindow(m_hWndDialog, 0, 0, rc.right, rc.bottom, TRUE);
    }
    return 0;
}

LRESULT CMessageClientWindow::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_hWndDialog == NULL || !::IsWindow(m_hWndDialog))
    {
        bHandled = FALSE;
        return 0;
    }
    return ::SendMessageA(m_hWndDialog, WM_COMMAND, wParam, lParam);
}

LRESULT CMessageClientWindow::OnSetFocus(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    // The focus stays where it was: the dialog's panes keep their own.
    HWND hWndLost = reinterpret_cast<HWND>(wParam);
    if (hWndLost != NULL && hWndLost != m_hWnd && ::IsWindow(hWndLost) && ::IsChild(m_hWnd, hWndLost))
        ::SetFocus(hWndLost);
    return 0;
}

LRESULT CMessageClientWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hWndDialog != NULL && ::IsWindow(m_hWndDialog))
        ::DestroyWindow(m_hWndDialog);
    m_hWndDialog = NULL;
    return 0;
}

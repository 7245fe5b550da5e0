// The preview stand-in.
#include "ui/main/PaneStandIns.h"

#include <commctrl.h>

LRESULT CPreviewPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndText = ::CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, m_hWnd,
                                   (HMENU)(UINT_PTR)IDC_PREVIEW_TEXT, NULL, NULL);
    return TRUE;
}

LRESULT CPreviewPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ::MoveWindow(m_hWndText, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

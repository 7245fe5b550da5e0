// The message list and preview stand-ins.
#include "ui/main/PaneStandIns.h"

#include <commctrl.h>

int CMessageListPane::HeaderHeight() const
{
    HWND hHeader = m_hWndList != NULL ? ListView_GetHeader(m_hWndList) : NULL;
    if (hHeader == NULL)
        return 0;
    RECT rc;
    ::GetWindowRect(hHeader, &rc);
    return rc.bottom - rc.top;
}

LRESULT CMessageListPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndList = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 100,
                                   100, m_hWnd, (HMENU)(UINT_PTR)IDC_MESSAGE_LIST, NULL, NULL);
    const char* columns[] = {"From", "Subject", "Received"};
    for (int i = 0; i < 3; i++)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(columns[i]);
        column.cx = 150;
        ::SendMessageA(m_hWndList, LVM_INSERTCOLUMNA, i, (LPARAM)&column);
    }
    return TRUE;
}

LRESULT CMessageListPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ::MoveWindow(m_hWndList, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

LRESULT CMessageListPane::OnMoveMessageFolder(WORD, WORD, HWND hWndCtl, BOOL&)
{
    m_nMovedTo = (LONG)(LPARAM)hWndCtl;
    return 1;
}

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

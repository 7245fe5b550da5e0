// The find-message window.
#include "ui/main/MainFrameFindMessage.h"

#include "foundation/TraceFile.h"

namespace
{
const WORD kIdDeleteMessage = 33027;
const DWORD kCloseWaitMs = 100;
const char kTitle[] = "Find Message";
} // namespace

LRESULT CFindMessageClient::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_dlg.m_hWndFrame = GetParent();
    m_dlg.Create(m_hWnd);
    m_dlg.ShowWindow(SW_SHOW);
    return 0;
}

LRESULT CFindMessageClient::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (m_dlg.m_hWnd != NULL)
        m_dlg.SetWindowPos(NULL, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CFindMessageClient::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return m_dlg.m_hWnd != NULL ? m_dlg.SendMessage(WM_COMMAND, wParam, lParam) : 0;
}

LRESULT CFindMessageClient::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_dlg.m_hWnd != NULL)
        m_dlg.DestroyWindow();
    bHandled = FALSE;
    return 0;
}

CMainFrameFindMessage::CMainFrameFindMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId,
                                             int bHide, volatile LONG* pThreadCount, LONG nFolderID)
    : CMainFrameBase<CMainFrameFindMessage>(pDatabaseMy, pRegistry, dwThreadId, bHide, pThreadCount),
      m_client(nFolderID)
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrameFindMessage()");
}

CMainFrameFindMessage::~CMainFrameFindMessage()
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\n~CMainFrameFindMessage()");
}

BOOL CMainFrameFindMessage::PreTranslateMessage(MSG* pMsg)
{
    if (CMainFrameBase<CMainFrameFindMessage>::PreTranslateMessage(pMsg))
        return TRUE;
    HWND hDlg = m_client.m_dlg.m_hWnd;
    return pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && hDlg != NULL && ::IsDialogMessageA(hDlg, pMsg);
}

LRESULT CMainFrameFindMessage::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    SetWindowText(kTitle);
    CreateSimpleStatusBar();
    m_client.Create(m_hWnd, rcDefault, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_hWndClient = m_client.m_hWnd;
    RegisterWithLoop();
    UpdateLayout();
    return 0;
}

LRESULT CMainFrameFindMessage::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if ((wParam & 0xFFF0) != SC_CLOSE || m_client.m_dlg.m_hWnd == NULL)
        return 0;
    CListViewCtrlMessages& list = m_client.m_dlg.List();
    if (list.m_hWnd == NULL || !list.IsFilling())
        return 0;
    InterlockedExchange(&m_client.m_dlg.m_nStop, 1);
    // The fill sends its rows to this thread: serve them while it ends.
    HANDLE hIdle = list.IdleEvent();
    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        const DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= kCloseWaitMs)
            break;
        DWORD dwWait = MsgWaitForMultipleObjects(1, &hIdle, FALSE, kCloseWaitMs - dwElapsed, QS_SENDMESSAGE);
        if (dwWait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (!list.IsFilling())
        return 0;
    bHandled = TRUE;
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

LRESULT CMainFrameFindMessage::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    UnregisterFromLoop();
    bHandled = FALSE;
    return 0;
}

LRESULT CMainFrameFindMessage::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const WORD nID = LOWORD(wParam);
    if (nID == kIdDeleteMessage)
        return 1;
    if (nID == ID_APP_EXIT)
    {
        PostMessage(WM_CLOSE);
        return 0;
    }
    if (nID == ID_SET_FOLDER_UNREAD)
    {
        // Messages moved or deleted here have left the main window's list and changed its folder counts:
        // it builds its tree and list again.
        PostToManager(ID_UPDATE, 0);
        return 1;
    }
    LRESULT lResult = m_client.m_hWnd != NULL ? m_client.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    bHandled = lResult != 0;
    return lResult;
}

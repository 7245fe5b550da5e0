// The hidden single-instance window.
#include "app/WndAreYouMe.h"

#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"

CWndAreYouMe::CWndAreYouMe(DWORD dwManagerThreadId)
    : m_cmdLine(dwManagerThreadId), m_hEvent(::CreateEventA(NULL, TRUE, TRUE, NULL))
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCWndAreYouMe()");
}

CWndAreYouMe::~CWndAreYouMe()
{
    if (m_hEvent != NULL)
        ::CloseHandle(m_hEvent);
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CWndAreYouMe()");
}

LRESULT CWndAreYouMe::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT rc = {0, 0, 0, 0};
    m_wndClient.Create("STATIC", m_hWnd, rc, NULL, WS_CHILD | WS_VISIBLE | 0x400);
    return 0;
}

LRESULT CWndAreYouMe::OnAreYouMe(UINT, WPARAM, LPARAM, BOOL&)
{
    return m_cmdLine.OnAreYouMe();
}

LRESULT CWndAreYouMe::OnAppExit(WORD, WORD, HWND, BOOL&)
{
    PostMessage(WM_CLOSE);
    return 0;
}

LRESULT CWndAreYouMe::OnRunThread(WORD, WORD, HWND hWndBusy, BOOL&)
{
    UIEnable(ID_AYM_SEND, hWndBusy == NULL);
    UIEnable(ID_AYM_SEND_INDIVIDUAL, hWndBusy == NULL);
    return 0;
}

LRESULT CWndAreYouMe::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE && m_hEvent != NULL)
    {
        ::CloseHandle(m_hEvent);
        m_hEvent = NULL;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CWndAreYouMe::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    ::PostQuitMessage(0);
    return 0;
}

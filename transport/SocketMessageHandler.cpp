// The hidden window through which the thread-safe socket layer receives its socket messages, and the part
// of a message map that hands those messages to the layer, for any window that gets them.
#include "transport/SocketMessageHandler.h"

#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"

BOOL CSocketMessageMap::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                             DWORD dwMsgMapID)
{
    if (dwMsgMapID != 0 || (uMsg != WM_SOCKET_NOTIFY && uMsg != WM_SOCKET_DEAD))
        return FALSE;
    try
    {
        CSocketAsyncMT::QueueNotice(uMsg, wParam, lParam);
        CSocketAsyncMT::ProcessQueue();
        lResult = 0;
        return TRUE;
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
    }
    catch (...)
    {
        CString strText = "Unhandled exception!!!\r\n";
        strText += m_pszGuardName;
        ShowErrorReportPrompt(strText, NULL);
    }
    return FALSE;
}

CSocketMessageHandler& CSocketMessageHandler::Instance()
{
    static CSocketMessageHandler handler;
    return handler;
}

CSocketMessageHandler::CSocketMessageHandler() : CSocketMessageMap("CSocketMessageHandler")
{
}

HWND CSocketMessageHandler::Create()
{
    if (CSocketAsyncMT::GetNotifyWindow())
        return m_hWnd;
    if (!m_hWnd)
    {
        RECT rc = {10, 10, 200, 50};
        ATL::CWindowImpl<CSocketMessageHandler>::Create(::GetDesktopWindow(), rc, NULL, WS_CHILD);
    }
    CSocketAsyncMT::SetNotifyWindow(m_hWnd);
    return m_hWnd;
}

void CSocketMessageHandler::Destroy()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
    m_hWnd = NULL;
}

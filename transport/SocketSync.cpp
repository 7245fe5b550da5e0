// The blocking socket level: connect, accept, receive and send wait for their event by pumping the thread's
// messages, with a periodic timer that lets the call retry and a derived class stop it.
#include "transport/SocketSync.h"

#include "foundation/Exception.h"
#include "transport/SocketErrors.h"

namespace
{

const UINT_PTR kWaitTimer = 1;

void ThrowSocketError(const char* pszPrefix, int nError)
{
    CString text = pszPrefix;
    text += GetSocketErrorText(nError);
    throw new CException(text);
}

} // namespace

CSocketSync::CSocketSync() : m_nTimeOut(10000), m_pbBlocking(NULL), m_nConnectResult(-1)
{
}

CSocketSync::~CSocketSync()
{
    if (m_hSocket != INVALID_SOCKET)
        CSocketSync::Close();
}

bool CSocketSync::RefuseNestedCall()
{
    if (!m_pbBlocking)
        return false;
    WSASetLastError(WSAEINPROGRESS);
    return true;
}

BOOL CSocketSync::Accept(CSocketAsync& rConnected, SOCKADDR* pAddr, int* pAddrLen)
{
    if (RefuseNestedCall())
        return FALSE;
    for (;;)
    {
        if (CSocketAsync::Accept(rConnected, pAddr, pAddrLen))
            return TRUE;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_ACCEPT))
            return FALSE;
    }
}

void CSocketSync::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return;
    if (m_pbBlocking)
    {
        *m_pbBlocking = 0;
        m_pbBlocking = NULL;
    }
    AsyncSelect(0);
    CSocketAsync::Close();
}

int CSocketSync::Receive(void* pBuf, int nLength, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    for (;;)
    {
        const int nCount = CSocketAsync::Receive(pBuf, nLength, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        const int nError = WSAGetLastError();
        if (nError != WSAEWOULDBLOCK)
            ThrowSocketError("Receiving from server error: ", nError);
        if (!WaitForEvent(FD_READ))
            return -1;
    }
}

int CSocketSync::Send(const void* pBuf, int nLength, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    const char* p = static_cast<const char*>(pBuf);
    int nSent = 0;
    while (nSent < nLength)
    {
        const int nCount = CSocketAsync::Send(p + nSent, nLength - nSent, nFlags);
        if (nCount != SOCKET_ERROR)
        {
            nSent += nCount;
            continue;
        }
        const int nError = WSAGetLastError();
        if (nError != WSAEWOULDBLOCK)
            ThrowSocketError("Sending to server error: ", nError);
        if (!WaitForEvent(FD_WRITE))
            return -1;
    }
    return nLength;
}

BOOL CSocketSync::ConnectRaw(const SOCKADDR* pAddr, int nAddrLen)
{
    if (RefuseNestedCall())
        return FALSE;
    m_nConnectResult = -1;
    if (CSocketAsync::ConnectRaw(pAddr, nAddrLen))
        return TRUE;
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return FALSE;
    while (m_nConnectResult == -1)
    {
        if (!WaitForEvent(FD_CONNECT))
            return FALSE;
    }
    WSASetLastError(m_nConnectResult);
    return m_nConnectResult == 0;
}

int CSocketSync::ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    for (;;)
    {
        const int nCount = CSocketAsync::ReceiveFromRaw(pBuf, nLength, pFrom, pFromLen, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_READ))
            return -1;
    }
}

int CSocketSync::SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags)
{
    if (RefuseNestedCall())
        return -1;
    for (;;)
    {
        const int nCount = CSocketAsync::SendToRaw(pBuf, nLength, pTo, nToLen, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_WRITE))
            return -1;
    }
}

BOOL CSocketSync::OnWaitIdle()
{
    MSG msg;
    if (PeekMessageA(&msg, NULL, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
    return FALSE;
}

int CSocketSync::OnWaitTick()
{
    return 0;
}

BOOL CSocketSync::WaitForEvent(long lStopEvent)
{
    int bWaiting = 1;
    m_pbBlocking = &bWaiting;
    const HWND hWnd = m_hWndNotify;
    if (!SetTimer(hWnd, kWaitTimer, m_nTimeOut, NULL))
    {
        m_pbBlocking = NULL;
        throw "SetTimer failed.";
    }
    bool bPeek = true;
    while (bWaiting == 1)
    {
        try
        {
            MSG msg;
            if (PeekMessageA(&msg, hWnd, WM_SOCKET_NOTIFY, WM_SOCKET_DEAD, PM_REMOVE))
            {
                const SOCKET hSocket = static_cast<SOCKET>(msg.wParam);
                if (msg.message == WM_SOCKET_NOTIFY && hSocket == m_hSocket && hSocket != INVALID_SOCKET)
                {
                    const long lEvent = WSAGETSELECTEVENT(msg.lParam);
                    if (lEvent == FD_CLOSE)
                        break;
                    if (lEvent == lStopEvent)
                    {
                        if (lEvent == FD_CONNECT)
                            m_nConnectResult = WSAGETSELECTERROR(msg.lParam);
                        break;
                    }
                }
                if (msg.wParam != 0 || msg.lParam != 0)
                    QueueNotice(msg.message, msg.wParam, msg.lParam);
                bPeek = true;
                continue;
            }
            if (PeekMessageA(&msg, hWnd, WM_TIMER, WM_TIMER, PM_REMOVE))
            {
                if (OnWaitTick() == 0)
                    continue;
                KillTimer(hWnd, kWaitTimer);
                m_pbBlocking = NULL;
                return FALSE;
            }
            if (bPeek && PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
            {
                if (!OnWaitIdle())
                    bPeek = false;
                continue;
            }
            WaitMessage();
            bPeek = true;
        }
        catch (...)
        {
            // A handler's failure must not end a wait that the caller still needs.
            bPeek = true;
        }
    }
    KillTimer(hWnd, kWaitTimer);
    if (bWaiting != 1)
    {
        WSASetLastError(WSAEINTR);
        return FALSE;
    }
    m_pbBlocking = NULL;
    PostMessageA(hWnd, WM_SOCKET_NOTIFY, 0, 0);
    return TRUE;
}

// The blocking level of the thread-safe socket layer: a call that would block waits for its event on the
// shared notification window, so it can only wait on the thread that owns that window.
#include "transport/SocketSyncMT.h"

#include "foundation/Exception.h"

namespace
{
const UINT_PTR kWaitTimer = 1;
}

CSocketSyncMT::CSocketSyncMT() : m_nTimeOut(2000), m_pbBlocking(NULL), m_nConnectResult(-1)
{
}

CSocketSyncMT::~CSocketSyncMT()
{
    if (m_hSocket != INVALID_SOCKET)
        CSocketSyncMT::Close();
}

bool CSocketSyncMT::RefuseNestedCall()
{
    if (!m_pbBlocking)
        return false;
    WSASetLastError(WSAEINPROGRESS);
    return true;
}

BOOL CSocketSyncMT::Accept(CSocketAsyncMT& rConnected, SOCKADDR* pAddr, int* pAddrLen)
{
    if (RefuseNestedCall())
        return FALSE;
    for (;;)
    {
        if (CSocketAsyncMT::Accept(rConnected, pAddr, pAddrLen))
            return TRUE;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_ACCEPT))
            return FALSE;
    }
}

void CSocketSyncMT::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return;
    if (m_pbBlocking)
    {
        *m_pbBlocking = 0;
        m_pbBlocking = NULL;
    }
    try
    {
        AsyncSelect(0);
    }
    catch (CException* pException)
    {
        // A handle the system has dropped already still has to leave the maps.
        delete pException;
    }
    CSocketAsyncMT::Close();
}

int CSocketSyncMT::Receive(void* pBuf, int nLength, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    for (;;)
    {
        const int nCount = CSocketAsyncMT::Receive(pBuf, nLength, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_READ))
            return -1;
    }
}

int CSocketSyncMT::Send(const void* pBuf, int nLength, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    const char* p = static_cast<const char*>(pBuf);
    int nSent = 0;
    while (nSent < nLength)
    {
        const int nCount = CSocketAsyncMT::Send(p + nSent, nLength - nSent, nFlags);
        if (nCount != SOCKET_ERROR)
        {
            nSent += nCount;
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_WRITE))
            return -1;
    }
    return nLength;
}

BOOL CSocketSyncMT::ConnectRaw(const SOCKADDR* pAddr, int nAddrLen)
{
    if (RefuseNestedCall())
        return FALSE;
    m_nConnectResult = -1;
    if (CSocketAsyncMT::ConnectRaw(pAddr, nAddrLen))
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

int CSocketSyncMT::ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags)
{
    if (RefuseNestedCall())
        return 0;
    for (;;)
    {
        const int nCount = CSocketAsyncMT::ReceiveFromRaw(pBuf, nLength, pFrom, pFromLen, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_READ))
            return -1;
    }
}

int CSocketSyncMT::SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags)
{
    if (RefuseNestedCall())
        return -1;
    for (;;)
    {
        const int nCount = CSocketAsyncMT::SendToRaw(pBuf, nLength, pTo, nToLen, nFlags);
        if (nCount != SOCKET_ERROR)
            return nCount;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitForEvent(FD_WRITE))
            return -1;
    }
}

BOOL CSocketSyncMT::OnWaitIdle()
{
    MSG msg;
    if (PeekMessageA(&msg, NULL, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
    return FALSE;
}

BOOL CSocketSyncMT::WaitForEvent(long lStopEvent)
{
    int bWaiting = 1;
    m_pbBlocking = &bWaiting;
    const HWND hWnd = GetNotifyWindow();
    // Fails on any thread but the window's: the wait could never see its event there.
    if (!hWnd || !SetTimer(hWnd, kWaitTimer, m_nTimeOut, NULL))
    {
        m_pbBlocking = NULL;
        return FALSE;
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
                break;
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

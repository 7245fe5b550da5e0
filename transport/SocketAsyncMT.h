// The asynchronous level of the thread-safe socket layer: every socket of the process shares one
// notification window (the socket message handler's) and one set of maps, each behind its own lock.
#pragma once

#include <winsock.h>
#include <windows.h>

#include "transport/SocketAsync.h"

class CSocketAsyncMT
{
public:
    CSocketAsyncMT();
    virtual BOOL Accept(CSocketAsyncMT& rConnected, SOCKADDR* pAddr = NULL, int* pAddrLen = NULL);
    virtual void Close();
    virtual int Receive(void* pBuf, int nLength, int nFlags = 0);
    virtual int Send(const void* pBuf, int nLength, int nFlags = 0);
    virtual void OnReceive(int nError);
    virtual void OnSend(int nError);
    virtual void OnOutOfBand(int nError);
    virtual void OnAccept(int nError);
    virtual void OnConnect(int nError);
    virtual void OnClose(int nError);
    virtual ~CSocketAsyncMT();
    virtual BOOL ConnectRaw(const SOCKADDR* pAddr, int nAddrLen);
    virtual int ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags);
    virtual int SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags);

    // Takes the notification window from the socket message handler when the layer has none.
    BOOL Create(UINT nPort = 0, int nType = SOCK_STREAM, long lEvents = SOCKET_ALL_EVENTS,
                const char* pszAddress = NULL);
    BOOL Bind(UINT nPort, const char* pszAddress = NULL);
    BOOL Connect(const char* pszHost, UINT nPort);
    // Throws a CException when Windows Sockets refuses.
    BOOL AsyncSelect(long lEvents);

    // The layer's notification window; NULL while no socket is attached.
    static HWND GetNotifyWindow();
    static void SetNotifyWindow(HWND hWnd);
    // A notification for the layer's window: queued, and the queue run at once.
    static void QueueNotice(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Runs the queued notifications; the number taken.
    static int ProcessQueue();

    SOCKET m_hSocket;

protected:
    static void AttachHandle(SOCKET hSocket, CSocketAsyncMT* pSocket, bool bDead);
    static void DetachHandle(SOCKET hSocket, bool bDead);
    static CSocketAsyncMT* LookupHandle(SOCKET hSocket);
    static void KillSocket(SOCKET hSocket);
    static void DispatchNotification(SOCKET hSocket, LPARAM lParam);

private:
    CSocketAsyncMT(const CSocketAsyncMT&);
    CSocketAsyncMT& operator=(const CSocketAsyncMT&);
};

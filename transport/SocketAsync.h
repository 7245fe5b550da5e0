// The asynchronous socket level: Windows Sockets events arrive as messages at a hidden window that belongs to
// the socket object and are dispatched to virtual handlers.
#pragma once

#include <winsock.h>
#include <windows.h>

#include <deque>
#include <utility>
#include <vector>

// Window messages of the notification window.
const UINT WM_SOCKET_NOTIFY = 0x373; // wParam socket, lParam event (low word) and error (high word)
const UINT WM_SOCKET_DEAD = 0x374;   // wParam socket

// All six events; what the mail clients create their sockets with.
const long SOCKET_ALL_EVENTS = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

class CSocketAsync;

// The hidden window through which one socket object receives its notifications.
class CSocketNotifyWnd
{
public:
    explicit CSocketNotifyWnd(CSocketAsync* pSocket);
    ~CSocketNotifyWnd();
    // Throws a text when the window class or the window cannot be made.
    HWND Create();

    HWND m_hWnd;
    CSocketAsync* m_pSocket;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

class CSocketAsync
{
public:
    CSocketAsync();
    virtual BOOL Accept(CSocketAsync& rConnected, SOCKADDR* pAddr = NULL, int* pAddrLen = NULL);
    virtual void Close();
    virtual int Receive(void* pBuf, int nLength, int nFlags = 0);
    virtual int Send(const void* pBuf, int nLength, int nFlags = 0);
    virtual void OnReceive(int nError);
    virtual void OnSend(int nError);
    virtual void OnOutOfBand(int nError);
    virtual void OnAccept(int nError);
    virtual void OnConnect(int nError);
    virtual void OnClose(int nError);
    virtual ~CSocketAsync();
    virtual BOOL ConnectRaw(const SOCKADDR* pAddr, int nAddrLen);
    virtual int ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags);
    virtual int SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags);

    // Starts Windows Sockets 1.1 for this object once; FALSE when it cannot be had in exactly that version.
    BOOL Init(WSADATA* pData = NULL);
    void Term();
    BOOL Create(UINT nPort = 0, int nType = SOCK_STREAM, long lEvents = SOCKET_ALL_EVENTS,
                const char* pszAddress = NULL);
    BOOL Bind(UINT nPort, const char* pszAddress = NULL);
    // A host that does not resolve fails with the resolver's error (WSAHOST_NOT_FOUND when it gives none).
    BOOL Connect(const char* pszHost, UINT nPort);
    BOOL AsyncSelect(long lEvents);

    void QueueNotice(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Runs the queued notifications; the number handled.
    int ProcessQueue();

    HWND m_hWndNotify;
    SOCKET m_hSocket;

protected:
    struct CNotice
    {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };

    void AttachHandle(SOCKET hSocket, CSocketAsync* pSocket, bool bDead);
    void DetachHandle(SOCKET hSocket, bool bDead);
    void KillSocket(SOCKET hSocket);
    void DispatchNotification(SOCKET hSocket, LPARAM lParam);
    CSocketAsync* LookupHandle(SOCKET hSocket) const;

    std::vector<std::pair<SOCKET, CSocketAsync*>> m_SocketMap;
    std::vector<std::pair<SOCKET, int>> m_DeadMap;
    std::deque<CNotice> m_Queue;
    bool m_bInitialised;
    int m_nStartupResult;
    CSocketNotifyWnd* m_pNotifyWnd;

private:
    CSocketAsync(const CSocketAsync&);
    CSocketAsync& operator=(const CSocketAsync&);
};

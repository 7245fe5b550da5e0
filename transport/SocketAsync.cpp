// The asynchronous socket level: Windows Sockets events arrive as messages at a hidden window that belongs to
// the socket object and are dispatched to virtual handlers.
#include "transport/SocketAsync.h"

#include <algorithm>
#include <cstdio>

namespace
{

// Every notification window of the process, found by handle from the shared window procedure. Mail clients
// on several worker threads build and destroy their windows at the same time, so the list is locked.
struct CNotifyWndList
{
    CNotifyWndList() { InitializeCriticalSection(&lock); }
    ~CNotifyWndList() { DeleteCriticalSection(&lock); }
    CRITICAL_SECTION lock;
    std::vector<CSocketNotifyWnd*> windows;
};

CNotifyWndList& NotifyWindows()
{
    static CNotifyWndList list;
    return list;
}

// The module that holds this code: the library in the product, the executable in tests.
const char kModuleAnchor = 0;

HINSTANCE ThisModule()
{
    HMODULE hModule = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       &kModuleAnchor, &hModule);
    return hModule;
}

} // namespace

CSocketNotifyWnd::CSocketNotifyWnd(CSocketAsync* pSocket) : m_hWnd(NULL), m_pSocket(pSocket)
{
    CNotifyWndList& list = NotifyWindows();
    EnterCriticalSection(&list.lock);
    list.windows.push_back(this);
    LeaveCriticalSection(&list.lock);
}

CSocketNotifyWnd::~CSocketNotifyWnd()
{
    if (m_hWnd && IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    CNotifyWndList& list = NotifyWindows();
    EnterCriticalSection(&list.lock);
    list.windows.erase(std::remove(list.windows.begin(), list.windows.end(), this), list.windows.end());
    LeaveCriticalSection(&list.lock);
}

HWND CSocketNotifyWnd::Create()
{
    HINSTANCE hInstance = ThisModule();
    char szClass[64];
    sprintf(szClass, "Afx:%x:%x", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hInstance)), 0u);
    WNDCLASSA wc;
    if (!GetClassInfoA(hInstance, szClass, &wc))
    {
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = szClass;
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw "Register of the socket notification window class failed.";
    }
    m_hWnd =
        CreateWindowExA(0, szClass, "Socket Notification Sink", 0, 0, 0, 0, 0, NULL, NULL, hInstance, NULL);
    if (!m_hWnd)
        throw "Create of the socket notification window failed.";
    return m_hWnd;
}

LRESULT CALLBACK CSocketNotifyWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CSocketAsync* pSocket = NULL;
    CNotifyWndList& list = NotifyWindows();
    EnterCriticalSection(&list.lock);
    for (CSocketNotifyWnd* pWnd : list.windows)
    {
        if (pWnd->m_hWnd == hWnd)
        {
            pSocket = pWnd->m_pSocket;
            break;
        }
    }
    LeaveCriticalSection(&list.lock);
    if (!pSocket || (uMsg != WM_SOCKET_NOTIFY && uMsg != WM_SOCKET_DEAD))
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    try
    {
        pSocket->QueueNotice(uMsg, wParam, lParam);
        pSocket->ProcessQueue();
    }
    catch (...)
    {
    }
    return IsWindow(hWnd) ? DefWindowProcA(hWnd, uMsg, wParam, lParam) : 0;
}

CSocketAsync::CSocketAsync()
    : m_hWndNotify(NULL), m_hSocket(INVALID_SOCKET), m_bInitialised(false), m_nStartupResult(-1),
      m_pNotifyWnd(NULL)
{
}

CSocketAsync::~CSocketAsync()
{
    if (m_hSocket != INVALID_SOCKET)
        CSocketAsync::Close();
    delete m_pNotifyWnd;
    m_pNotifyWnd = NULL;
}

BOOL CSocketAsync::Init(WSADATA* pData)
{
    if (m_bInitialised)
        return TRUE;
    m_bInitialised = true;
    WSADATA data;
    if (!pData)
        pData = &data;
    m_nStartupResult = WSAStartup(MAKEWORD(1, 1), pData);
    if (m_nStartupResult != 0)
        return FALSE;
    if (LOBYTE(pData->wVersion) != 1 || HIBYTE(pData->wVersion) != 1)
    {
        WSACleanup();
        m_nStartupResult = -1;
        return FALSE;
    }
    return TRUE;
}

void CSocketAsync::Term()
{
    m_SocketMap.clear();
    m_DeadMap.clear();
    m_Queue.clear();
    if (m_bInitialised && m_nStartupResult == 0)
        WSACleanup();
    m_bInitialised = false;
    m_nStartupResult = -1;
}

BOOL CSocketAsync::Create(UINT nPort, int nType, long lEvents, const char* pszAddress)
{
    SOCKET hSocket = socket(AF_INET, nType, 0);
    if (hSocket == INVALID_SOCKET)
        return FALSE;
    m_hSocket = hSocket;
    AttachHandle(hSocket, this, false);
    if (!AsyncSelect(lEvents))
    {
        const int nError = WSAGetLastError();
        Close();
        WSASetLastError(nError);
        return FALSE;
    }
    if (!Bind(nPort, pszAddress))
    {
        const int nError = WSAGetLastError();
        Close();
        WSASetLastError(nError);
        return FALSE;
    }
    return TRUE;
}

BOOL CSocketAsync::Bind(UINT nPort, const char* pszAddress)
{
    SOCKADDR_IN addr;
    ZeroMemory(&addr, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    if (pszAddress)
    {
        addr.sin_addr.s_addr = inet_addr(pszAddress);
        if (addr.sin_addr.s_addr == INADDR_NONE)
        {
            WSASetLastError(WSAEINVAL);
            return FALSE;
        }
    }
    else
    {
        addr.sin_addr.s_addr = htonl(INADDR_ANY);
    }
    return bind(m_hSocket, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr)) != SOCKET_ERROR;
}

BOOL CSocketAsync::Connect(const char* pszHost, UINT nPort)
{
    SOCKADDR_IN addr;
    ZeroMemory(&addr, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(nPort));
    addr.sin_addr.s_addr = inet_addr(pszHost);
    if (addr.sin_addr.s_addr == INADDR_NONE)
    {
        HOSTENT* pHost = gethostbyname(pszHost);
        if (!pHost || !pHost->h_addr_list || !pHost->h_addr_list[0])
        {
            // The resolver's own code says what went wrong; WSAEINVAL would blame the caller's arguments.
            const int nError = WSAGetLastError();
            WSASetLastError(nError >= WSAHOST_NOT_FOUND && nError <= WSANO_DATA ? nError : WSAHOST_NOT_FOUND);
            return FALSE;
        }
        addr.sin_addr.s_addr = reinterpret_cast<const in_addr*>(pHost->h_addr_list[0])->s_addr;
    }
    return ConnectRaw(reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr));
}

BOOL CSocketAsync::AsyncSelect(long lEvents)
{
    return WSAAsyncSelect(m_hSocket, m_hWndNotify, lEvents ? WM_SOCKET_NOTIFY : 0, lEvents) != SOCKET_ERROR;
}

BOOL CSocketAsync::Accept(CSocketAsync& rConnected, SOCKADDR* pAddr, int* pAddrLen)
{
    AttachHandle(INVALID_SOCKET, &rConnected, false);
    SOCKET hAccepted = accept(m_hSocket, pAddr, pAddrLen);
    if (hAccepted == INVALID_SOCKET)
    {
        const int nError = WSAGetLastError();
        DetachHandle(INVALID_SOCKET, false);
        rConnected.m_hSocket = INVALID_SOCKET;
        WSASetLastError(nError);
        return FALSE;
    }
    if (LookupHandle(INVALID_SOCKET))
    {
        rConnected.m_hSocket = hAccepted;
        DetachHandle(INVALID_SOCKET, false);
        AttachHandle(hAccepted, &rConnected, false);
    }
    else
    {
        rConnected.m_hSocket = hAccepted;
    }
    return TRUE;
}

void CSocketAsync::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return;
    closesocket(m_hSocket);
    KillSocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}

int CSocketAsync::Receive(void* pBuf, int nLength, int nFlags)
{
    return recv(m_hSocket, static_cast<char*>(pBuf), nLength, nFlags);
}

int CSocketAsync::Send(const void* pBuf, int nLength, int nFlags)
{
    return send(m_hSocket, static_cast<const char*>(pBuf), nLength, nFlags);
}

BOOL CSocketAsync::ConnectRaw(const SOCKADDR* pAddr, int nAddrLen)
{
    return connect(m_hSocket, pAddr, nAddrLen) != SOCKET_ERROR;
}

int CSocketAsync::ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags)
{
    return recvfrom(m_hSocket, static_cast<char*>(pBuf), nLength, nFlags, pFrom, pFromLen);
}

int CSocketAsync::SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags)
{
    return sendto(m_hSocket, static_cast<const char*>(pBuf), nLength, nFlags, pTo, nToLen);
}

void CSocketAsync::OnReceive(int)
{
}

void CSocketAsync::OnSend(int)
{
}

void CSocketAsync::OnOutOfBand(int)
{
}

void CSocketAsync::OnAccept(int)
{
}

void CSocketAsync::OnConnect(int)
{
}

void CSocketAsync::OnClose(int)
{
}

CSocketAsync* CSocketAsync::LookupHandle(SOCKET hSocket) const
{
    for (const auto& pair : m_SocketMap)
    {
        if (pair.first == hSocket)
            return pair.second;
    }
    return NULL;
}

void CSocketAsync::AttachHandle(SOCKET hSocket, CSocketAsync* pSocket, bool bDead)
{
    if (bDead)
    {
        for (auto& pair : m_DeadMap)
        {
            if (pair.first == hSocket)
            {
                ++pair.second;
                return;
            }
        }
        m_DeadMap.push_back(std::make_pair(hSocket, 1));
        return;
    }
    if (m_SocketMap.empty())
    {
        delete m_pNotifyWnd;
        m_pNotifyWnd = NULL;
        CSocketNotifyWnd* pWnd = new CSocketNotifyWnd(this);
        try
        {
            m_hWndNotify = pWnd->Create();
        }
        catch (...)
        {
            delete pWnd;
            m_hWndNotify = NULL;
            throw;
        }
        m_pNotifyWnd = pWnd;
    }
    m_SocketMap.push_back(std::make_pair(hSocket, pSocket));
}

void CSocketAsync::DetachHandle(SOCKET hSocket, bool bDead)
{
    if (bDead)
    {
        for (auto it = m_DeadMap.begin(); it != m_DeadMap.end(); ++it)
        {
            if (it->first == hSocket)
            {
                if (--it->second <= 0)
                    m_DeadMap.erase(it);
                return;
            }
        }
        return;
    }
    for (auto it = m_SocketMap.begin(); it != m_SocketMap.end(); ++it)
    {
        if (it->first == hSocket)
        {
            m_SocketMap.erase(it);
            break;
        }
    }
    if (m_SocketMap.empty())
    {
        delete m_pNotifyWnd;
        m_pNotifyWnd = NULL;
        m_DeadMap.clear();
        m_hWndNotify = NULL;
        m_Queue.clear();
    }
}

void CSocketAsync::KillSocket(SOCKET hSocket)
{
    DetachHandle(hSocket, false);
    if (m_pNotifyWnd && m_hWndNotify)
    {
        PostMessageA(m_hWndNotify, WM_SOCKET_DEAD, static_cast<WPARAM>(hSocket), 0);
        AttachHandle(hSocket, this, true);
    }
}

void CSocketAsync::QueueNotice(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const CNotice notice = {uMsg, wParam, lParam};
    m_Queue.push_back(notice);
}

int CSocketAsync::ProcessQueue()
{
    int nCount = 0;
    // Each entry leaves the queue before it is handled: a handler that closes the last socket empties the
    // queue, and the loop must not touch an entry that is gone.
    while (!m_Queue.empty())
    {
        const CNotice notice = m_Queue.front();
        m_Queue.pop_front();
        ++nCount;
        if (notice.uMsg == WM_SOCKET_NOTIFY)
            DispatchNotification(static_cast<SOCKET>(notice.wParam), notice.lParam);
        else
            DetachHandle(static_cast<SOCKET>(notice.wParam), true);
    }
    return nCount;
}

void CSocketAsync::DispatchNotification(SOCKET hSocket, LPARAM lParam)
{
    if (hSocket == 0 && lParam == 0)
        return;
    for (const auto& pair : m_DeadMap)
    {
        if (pair.first == hSocket)
            return;
    }
    CSocketAsync* pSocket = LookupHandle(hSocket);
    if (!pSocket)
    {
        pSocket = LookupHandle(INVALID_SOCKET);
        if (!pSocket)
            return;
        DetachHandle(INVALID_SOCKET, false);
        pSocket->m_hSocket = hSocket;
        AttachHandle(hSocket, pSocket, false);
    }
    int nError = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam))
    {
    case FD_READ: {
        u_long nWaiting = 0;
        if (ioctlsocket(hSocket, FIONREAD, &nWaiting) == SOCKET_ERROR)
            nError = WSAGetLastError();
        if (nWaiting == 0 && nError == 0)
            break;
        pSocket->OnReceive(nError);
        break;
    }
    case FD_WRITE:
        pSocket->OnSend(nError);
        break;
    case FD_OOB:
        pSocket->OnOutOfBand(nError);
        break;
    case FD_ACCEPT:
        pSocket->OnAccept(nError);
        break;
    case FD_CONNECT:
        pSocket->OnConnect(nError);
        break;
    case FD_CLOSE:
        pSocket->OnClose(nError);
        break;
    }
}

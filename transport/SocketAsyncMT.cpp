// The asynchronous level of the thread-safe socket layer: every socket of the process shares one
// notification window (the socket message handler's) and one set of maps, each behind its own lock.
#include "transport/SocketAsyncMT.h"

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "foundation/Exception.h"
#include "transport/SocketMessageHandler.h"

namespace
{

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~CLock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION& m_section;
};

struct CNotice
{
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};

// The layer's process-wide state. The locks are only ever nested in this order: socket map, dead-socket
// map, queue.
struct CLayerState
{
    CLayerState()
    {
        InitializeCriticalSection(&socketLock);
        InitializeCriticalSection(&deadLock);
        InitializeCriticalSection(&queueLock);
    }
    ~CLayerState()
    {
        DeleteCriticalSection(&queueLock);
        DeleteCriticalSection(&deadLock);
        DeleteCriticalSection(&socketLock);
    }
    CRITICAL_SECTION socketLock;
    std::vector<std::pair<SOCKET, CSocketAsyncMT*>> sockets;
    CRITICAL_SECTION deadLock;
    std::vector<std::pair<SOCKET, CSocketAsyncMT*>> dead;
    CRITICAL_SECTION queueLock;
    std::deque<CNotice> queue;
    HWND volatile hWndNotify = NULL;
};

CLayerState& Layer()
{
    static CLayerState state;
    return state;
}

const char* AsyncSelectErrorText(int nError)
{
    switch (nError)
    {
    case WSAEINVAL:
        return "Indicates that one of the specified parameters was invalid such as the window handle not "
               "referring to an existing window, or the specified socket is in an invalid state.";
    case WSAEINPROGRESS:
        return "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still "
               "processing a callback function.";
    case WSAENOTSOCK:
        return "The descriptor is not a socket.";
    case WSAENETDOWN:
        return "The network subsystem has failed.";
    case WSANOTINITIALISED:
        return "A successful WSAStartup call must occur before using this function.";
    default:
        return "Unknown error.";
    }
}

} // namespace

CSocketAsyncMT::CSocketAsyncMT() : m_hSocket(INVALID_SOCKET)
{
}

CSocketAsyncMT::~CSocketAsyncMT()
{
    if (m_hSocket != INVALID_SOCKET)
        CSocketAsyncMT::Close();
}

HWND CSocketAsyncMT::GetNotifyWindow()
{
    return Layer().hWndNotify;
}

void CSocketAsyncMT::SetNotifyWindow(HWND hWnd)
{
    Layer().hWndNotify = hWnd;
}

BOOL CSocketAsyncMT::Create(UINT nPort, int nType, long lEvents, const char* pszAddress)
{
    if (!GetNotifyWindow())
        SetNotifyWindow(CSocketMessageHandler::Instance().m_hWnd);
    SOCKET hSocket = socket(AF_INET, nType, 0);
    if (hSocket == INVALID_SOCKET)
        return FALSE;
    m_hSocket = hSocket;
    AttachHandle(hSocket, this, false);
    try
    {
        AsyncSelect(lEvents);
    }
    catch (...)
    {
        const int nError = WSAGetLastError();
        Close();
        WSASetLastError(nError);
        throw;
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

BOOL CSocketAsyncMT::Bind(UINT nPort, const char* pszAddress)
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

BOOL CSocketAsyncMT::Connect(const char* pszHost, UINT nPort)
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
            WSASetLastError(WSAEINVAL);
            return FALSE;
        }
        addr.sin_addr.s_addr = reinterpret_cast<const in_addr*>(pHost->h_addr_list[0])->s_addr;
    }
    return ConnectRaw(reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr));
}

BOOL CSocketAsyncMT::AsyncSelect(long lEvents)
{
    if (WSAAsyncSelect(m_hSocket, GetNotifyWindow(), WM_SOCKET_NOTIFY, lEvents) != SOCKET_ERROR)
        return TRUE;
    const int nError = WSAGetLastError();
    CString strText = "FATAL ERROR: AsyncSelect socket failed!\r\n";
    strText += AsyncSelectErrorText(nError);
    WSASetLastError(nError);
    throw new CException(strText);
}

BOOL CSocketAsyncMT::Accept(CSocketAsyncMT& rConnected, SOCKADDR* pAddr, int* pAddrLen)
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
    rConnected.m_hSocket = hAccepted;
    if (LookupHandle(INVALID_SOCKET))
    {
        DetachHandle(INVALID_SOCKET, false);
        AttachHandle(hAccepted, &rConnected, false);
    }
    return TRUE;
}

void CSocketAsyncMT::Close()
{
    if (m_hSocket == INVALID_SOCKET)
        return;
    closesocket(m_hSocket);
    KillSocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
}

int CSocketAsyncMT::Receive(void* pBuf, int nLength, int nFlags)
{
    return recv(m_hSocket, static_cast<char*>(pBuf), nLength, nFlags);
}

int CSocketAsyncMT::Send(const void* pBuf, int nLength, int nFlags)
{
    return send(m_hSocket, static_cast<const char*>(pBuf), nLength, nFlags);
}

BOOL CSocketAsyncMT::ConnectRaw(const SOCKADDR* pAddr, int nAddrLen)
{
    return connect(m_hSocket, pAddr, nAddrLen) != SOCKET_ERROR;
}

int CSocketAsyncMT::ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags)
{
    return recvfrom(m_hSocket, static_cast<char*>(pBuf), nLength, nFlags, pFrom, pFromLen);
}

int CSocketAsyncMT::SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags)
{
    return sendto(m_hSocket, static_cast<const char*>(pBuf), nLength, nFlags, pTo, nToLen);
}

void CSocketAsyncMT::OnReceive(int)
{
}

void CSocketAsyncMT::OnSend(int)
{
}

void CSocketAsyncMT::OnOutOfBand(int)
{
}

void CSocketAsyncMT::OnAccept(int)
{
}

void CSocketAsyncMT::OnConnect(int)
{
}

void CSocketAsyncMT::OnClose(int)
{
}

CSocketAsyncMT* CSocketAsyncMT::LookupHandle(SOCKET hSocket)
{
    CLayerState& layer = Layer();
    CLock lock(layer.socketLock);
    for (const auto& pair : layer.sockets)
    {
        if (pair.first == hSocket)
            return pair.second;
    }
    return NULL;
}

void CSocketAsyncMT::AttachHandle(SOCKET hSocket, CSocketAsyncMT* pSocket, bool bDead)
{
    CLayerState& layer = Layer();
    CRITICAL_SECTION& section = bDead ? layer.deadLock : layer.socketLock;
    std::vector<std::pair<SOCKET, CSocketAsyncMT*>>& map = bDead ? layer.dead : layer.sockets;
    CLock lock(section);
    for (auto& pair : map)
    {
        if (pair.first == hSocket)
        {
            pair.second = pSocket;
            return;
        }
    }
    map.push_back(std::make_pair(hSocket, pSocket));
}

void CSocketAsyncMT::DetachHandle(SOCKET hSocket, bool bDead)
{
    CLayerState& layer = Layer();
    if (bDead)
    {
        CLock lock(layer.deadLock);
        auto it = std::find_if(
            layer.dead.begin(), layer.dead.end(),
            [hSocket](const std::pair<SOCKET, CSocketAsyncMT*>& p) { return p.first == hSocket; });
        if (it != layer.dead.end())
            layer.dead.erase(it);
        return;
    }
    CLock lock(layer.socketLock);
    auto it =
        std::find_if(layer.sockets.begin(), layer.sockets.end(),
                     [hSocket](const std::pair<SOCKET, CSocketAsyncMT*>& p) { return p.first == hSocket; });
    if (it != layer.sockets.end())
        layer.sockets.erase(it);
    if (!layer.sockets.empty())
        return;
    // Each map under its own lock, in the layer's one order: another thread may be walking either.
    {
        CLock deadLock(layer.deadLock);
        layer.dead.clear();
    }
    layer.hWndNotify = NULL;
    {
        CLock queueLock(layer.queueLock);
        layer.queue.clear();
    }
}

void CSocketAsyncMT::KillSocket(SOCKET hSocket)
{
    DetachHandle(hSocket, false);
    const HWND hWnd = GetNotifyWindow();
    if (!hWnd)
        return;
    // Entered before the notice is posted: the handler's thread may take the notice at once, and a dead
    // entry made after it had gone would silence a later socket with the same handle for good.
    AttachHandle(hSocket, NULL, true);
    if (!PostMessageA(hWnd, WM_SOCKET_DEAD, static_cast<WPARAM>(hSocket), 0))
        DetachHandle(hSocket, true);
}

void CSocketAsyncMT::QueueNotice(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CLayerState& layer = Layer();
    const CNotice notice = {uMsg, wParam, lParam};
    CLock lock(layer.queueLock);
    layer.queue.push_back(notice);
}

int CSocketAsyncMT::ProcessQueue()
{
    CLayerState& layer = Layer();
    int nCount = 0;
    for (;;)
    {
        CNotice notice;
        {
            // Taken off under the lock and handled outside it: a handler may close sockets, which empties
            // the queue, or wait for an event, which appends to it.
            CLock lock(layer.queueLock);
            if (layer.queue.empty())
                return nCount;
            notice = layer.queue.front();
            layer.queue.pop_front();
        }
        ++nCount;
        if (notice.uMsg == WM_SOCKET_NOTIFY)
            DispatchNotification(static_cast<SOCKET>(notice.wParam), notice.lParam);
        else
            DetachHandle(static_cast<SOCKET>(notice.wParam), true);
    }
}

void CSocketAsyncMT::DispatchNotification(SOCKET hSocket, LPARAM lParam)
{
    if (hSocket == 0 && lParam == 0)
        return;
    CLayerState& layer = Layer();
    {
        CLock lock(layer.deadLock);
        for (const auto& pair : layer.dead)
        {
            if (pair.first == hSocket)
                return;
        }
    }
    // The socket map stays locked while the handler runs, so that another thread's Close of this socket
    // waits until the handler is done with it. The lock is re-entrant: the handler may close sockets.
    CLock lock(layer.socketLock);
    CSocketAsyncMT* pSocket = LookupHandle(hSocket);
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
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(hSocket, &readable);
        timeval zero = {0, 0};
        const int nReady = select(0, &readable, NULL, NULL, &zero);
        if (nReady == SOCKET_ERROR)
            nError = WSAGetLastError();
        if (nReady <= 0 && nError == 0)
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

// The listening socket of the local HTTP server that answers the numbered links of the rule descriptions.
#include "transport/SocketListening.h"

#include <algorithm>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "platform/htmlview/HtmlLinkFetch.h"
#include "transport/HTMLServerConnection.h"
#include "transport/SocketMessageHandler.h"

namespace
{
const int kPortAttempts = 100;
// Any local program may talk to the server; no other host may.
const char kLoopback[] = "127.0.0.1";
} // namespace

CSocketListening::CSocketListening(UINT nPort) : m_hWndOwner(NULL), m_nPort(nPort)
{
    StartUp(nPort);
}

CSocketListening::~CSocketListening()
{
    std::vector<CHTMLServerConnection*> connections;
    connections.swap(m_Connections);
    for (CHTMLServerConnection* pConnection : connections)
        delete pConnection;
    Close();
    if (m_bServing)
        CHtmlLinkFetch::RemoveServerPort(static_cast<int>(m_nPort));
}

void CSocketListening::StartUp(UINT nPort)
{
    int nAttempt = 0;
    for (; nAttempt < kPortAttempts; ++nAttempt)
    {
        if (CreateSocket(nPort + nAttempt, SOCK_STREAM, kLoopback))
            break;
    }
    m_nPort = nPort + nAttempt;
    listen(m_hSocket, 5);
    // The views fetch links of this machine from our own servers' ports only.
    m_bServing = nAttempt < kPortAttempts;
    if (m_bServing)
        CHtmlLinkFetch::AddServerPort(static_cast<int>(m_nPort));
}

BOOL CSocketListening::CreateSocket(UINT nPort, int nType, const char* pszAddress)
{
    if (!GetNotifyWindow())
        SetNotifyWindow(CSocketMessageHandler::Instance().m_hWnd);
    if (Create(nPort, nType, SOCKET_ALL_EVENTS, pszAddress))
        return TRUE;
    DWORD dwError = 0;
    const CString strError = GetLastErrorText(&dwError);
    if (dwError == WSAEADDRINUSE)
        return FALSE;
    CString strText;
    strText.Format("FATAL ERROR: Create socket failed!\r\n%s\r\nSocketPort = %d\r\nSocketType = %d\r\n"
                   "lpszSocketAddress: %s",
                   static_cast<const char*>(strError), nPort, nType, pszAddress ? pszAddress : "");
    throw new CException(strText);
}

CString CSocketListening::GetReply(CHTMLServerConnection*, const char*)
{
    return CString();
}

void CSocketListening::OnAccept(int)
{
    CHTMLServerConnection* pConnection = new CHTMLServerConnection(this);
    if (!Accept(*pConnection))
    {
        delete pConnection;
        return;
    }
    m_Connections.push_back(pConnection);
}

void CSocketListening::OnClose(int)
{
    Close();
}

void CSocketListening::CloseConnection(CHTMLServerConnection* pConnection)
{
    auto it = std::find(m_Connections.begin(), m_Connections.end(), pConnection);
    if (it == m_Connections.end())
        return;
    m_Connections.erase(it);
    delete pConnection;
}

bool CSocketListening::HasConnection(const CHTMLServerConnection* pConnection) const
{
    return std::find(m_Connections.begin(), m_Connections.end(), pConnection) != m_Connections.end();
}

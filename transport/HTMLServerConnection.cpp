// One connection accepted by the local HTTP server.
#include "transport/HTMLServerConnection.h"

#include <string>

#include "foundation/ErrorUtil.h"
#include "transport/SocketListening.h"

namespace
{
const int kReceiveSize = 512;
}

CHTMLServerConnection::CHTMLServerConnection(CSocketListening* pListening) : m_pListening(pListening)
{
}

int CHTMLServerConnection::Send(const void* pBuf, int nLength, int nFlags)
{
    DebugTrace("\r\nHTML Server send>");
    DebugTraceReceived(std::string(static_cast<const char*>(pBuf), nLength).c_str());
    return CSocketSyncMT::Send(pBuf, nLength, nFlags);
}

CString CHTMLServerConnection::FrameReply(const CString& strBody)
{
    // A bare body is not HTTP: current browsers and clients reject it. The length and "Connection: close"
    // let the client finish without the server closing the connection.
    CString strReply;
    strReply.Format(
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\nConnection: close\r\n\r\n",
        strBody.GetLength());
    return strReply + strBody;
}

void CHTMLServerConnection::OnReceive(int)
{
    char buffer[kReceiveSize];
    const int nCount = Receive(buffer, sizeof(buffer));
    DebugTrace("\r\nHTML Server receive>");
    if (nCount > 0)
    {
        DebugTraceReceived(std::string(buffer, nCount).c_str());
        m_Reader.Append(buffer, nCount);
    }
    ServePending();
}

void CHTMLServerConnection::OnClose(int)
{
    // What the peer sent before it closed is still answered, then the connection goes.
    char buffer[kReceiveSize];
    for (;;)
    {
        const int nCount = CSocketAsyncMT::Receive(buffer, sizeof(buffer));
        if (nCount <= 0)
            break;
        m_Reader.Append(buffer, nCount);
        if (!ServePending())
            return;
    }
    m_pListening->CloseConnection(this);
}

bool CHTMLServerConnection::ServePending()
{
    CSocketListening* pListening = m_pListening;
    std::string strLine, strNumber;
    while (m_Reader.NextLine(strLine))
    {
        if (!CHttpRequestReader::MatchRequest(strLine, strNumber))
            continue;
        const CString strBody = pListening->GetReply(this, strNumber.c_str());
        if (!pListening->HasConnection(this))
            return false;
        if (!strBody.IsEmpty())
        {
            const CString strReply = FrameReply(strBody);
            Send(static_cast<const char*>(strReply), strReply.GetLength());
        }
    }
    if (m_Reader.Overflowed())
    {
        pListening->CloseConnection(this);
        return false;
    }
    return true;
}

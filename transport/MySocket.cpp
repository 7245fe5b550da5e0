// The client socket of the POP3 and SMTP clients: the blocking socket with the user's cancel flag, the
// 60-second question to the user, traffic tracing and connect errors raised as exceptions.
#include "transport/MySocket.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "transport/SocketErrors.h"
#include "transport/TransportTexts.h"

namespace
{

const DWORD kNoAnswerPeriod = 60000;

CString TraceText(const char* pszText, int nLength, int nTrace)
{
    if (nTrace == TRACE_SHORT)
        return CString(pszText, nLength < 10 ? nLength : 10) + "...";
    if (nTrace == TRACE_SECRET)
    {
        int nWord = 0;
        while (nWord < nLength && pszText[nWord] != ' ')
            ++nWord;
        return nWord < nLength ? CString(pszText, nWord) + " ***" : CString("***");
    }
    return CString(pszText, nLength);
}

} // namespace

DWORD(WINAPI* CMySocket::s_pfnGetTickCount)() = GetTickCount;

CMySocket::CMySocket(int* pnCancel)
    : m_pnCancel(pnCancel), m_dwStartTick(0), m_dwAnswerTick(0), m_bPastCancel(false), m_dwGraceStart(0)
{
}

CMySocket::~CMySocket()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CMySocket()");
}

bool CMySocket::IsCancelled()
{
    if (!m_pnCancel || !*m_pnCancel)
        return false;
    if (!m_bPastCancel)
        return true;
    const DWORD dwNow = s_pfnGetTickCount();
    if (m_dwGraceStart == 0)
        m_dwGraceStart = dwNow ? dwNow : 1;
    return dwNow - m_dwGraceStart > kGracePeriod;
}

void CMySocket::ThrowIfCancelled()
{
    if (IsCancelled())
        throw TransportText::kCancelled;
}

void CMySocket::StartAnswerClock()
{
    m_dwAnswerTick = s_pfnGetTickCount();
    if (m_dwAnswerTick == 0)
        m_dwAnswerTick = 1;
}

CMySocket::CPastCancel::CPastCancel(CMySocket& socket) : m_Socket(socket), m_nTimeOut(socket.m_nTimeOut)
{
    m_Socket.m_bPastCancel = true;
    m_Socket.m_dwGraceStart = 0;
    // The wait looks at the flag at every tick: short ticks keep the grace period short.
    if (m_Socket.m_nTimeOut > 500)
        m_Socket.m_nTimeOut = 500;
}

CMySocket::CPastCancel::~CPastCancel()
{
    m_Socket.m_bPastCancel = false;
    m_Socket.m_dwGraceStart = 0;
    m_Socket.m_nTimeOut = m_nTimeOut;
}

BOOL CMySocket::Connect(const char* pszHost, UINT nPort)
{
    if (!CSocketAsync::Connect(pszHost, nPort))
    {
        CString text = TransportText::kConnectError;
        text += GetSocketErrorText(WSAGetLastError());
        throw new CException(text);
    }
    return TRUE;
}

bool CMySocket::NoMoreWaiting()
{
    if (m_dwStartTick == 0 || s_pfnGetTickCount() - m_dwStartTick <= kNoAnswerPeriod)
        return false;
    if (AppMessageBox(TransportText::kServerNotResponding, MB_YESNO | MB_ICONEXCLAMATION) == IDNO)
    {
        if (m_pnCancel)
            *m_pnCancel = 1;
        return true;
    }
    m_dwStartTick = s_pfnGetTickCount();
    if (m_dwAnswerTick != 0)
        m_dwAnswerTick = m_dwStartTick;
    return false;
}

int CMySocket::OnWaitTick()
{
    if (NoMoreWaiting())
        return 1;
    return IsCancelled() ? 1 : 0;
}

int CMySocket::Receive(char* pBuf, int nLength, int nFlags, int nTrace)
{
    ThrowIfCancelled();
    m_dwStartTick = m_dwAnswerTick != 0 ? m_dwAnswerTick : s_pfnGetTickCount();
    int nCount;
    try
    {
        nCount = CSocketSync::Receive(pBuf, nLength, nFlags);
    }
    catch (...)
    {
        m_dwStartTick = 0;
        throw;
    }
    // A line that trickles in never lets the wait's timer tick: its time is looked at after each piece.
    const bool bGiveUp = nCount > 0 && m_dwAnswerTick != 0 && NoMoreWaiting();
    m_dwStartTick = 0;
    ThrowIfCancelled();
    // A stopped wait leaves the buffer as it was: there is no text to terminate or trace.
    if (nCount < 0)
        return nCount;
    if (bGiveUp)
        return -1;
    pBuf[nCount] = 0;
    if (IsTraceOn())
    {
        g_pTraceFile->WriteText("Receive>" + TraceText(pBuf, nCount, nTrace));
        DebugTraceReceived(pBuf);
    }
    return nCount;
}

int CMySocket::Send(const char* pText, int nLength, int nFlags, int nTrace)
{
    ThrowIfCancelled();
    if (IsTraceOn())
    {
        const CString text = TraceText(pText, nLength, nTrace);
        g_pTraceFile->WriteText("Send>" + text);
        DebugTrace("%s", static_cast<const char*>("\r\nSend>" +
                                                  (nTrace == TRACE_SECRET ? text : CString(pText, nLength))));
    }
    int nCount = -1;
    try
    {
        m_dwStartTick = s_pfnGetTickCount();
        nCount = CSocketSync::Send(pText, nLength, nFlags);
        m_dwStartTick = 0;
    }
    catch (CException* pException)
    {
        m_dwStartTick = 0;
        CException* pAgain = new CException(pException->m_strMessage);
        delete pException;
        throw pAgain;
    }
    catch (const char*)
    {
        m_dwStartTick = 0;
        throw;
    }
    catch (...)
    {
        m_dwStartTick = 0;
        AppMessageBox(TransportText::kSendUnhandled, MB_ICONERROR);
        return -1;
    }
    ThrowIfCancelled();
    return nCount;
}

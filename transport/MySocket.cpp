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

CMySocket::CMySocket(int* pnCancel) : m_pnCancel(pnCancel), m_dwStartTick(0)
{
}

CMySocket::~CMySocket()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CMySocket()");
}

void CMySocket::ThrowIfCancelled() const
{
    if (m_pnCancel && *m_pnCancel)
        throw TransportText::kCancelled;
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

int CMySocket::OnWaitTick()
{
    if (m_dwStartTick != 0 && s_pfnGetTickCount() - m_dwStartTick > kNoAnswerPeriod)
    {
        if (AppMessageBox(TransportText::kServerNotResponding, MB_YESNO | MB_ICONEXCLAMATION) == IDNO)
        {
            if (m_pnCancel)
                *m_pnCancel = 1;
            return 1;
        }
        m_dwStartTick = s_pfnGetTickCount();
    }
    return m_pnCancel ? *m_pnCancel : 0;
}

int CMySocket::Receive(char* pBuf, int nLength, int nFlags, int nTrace)
{
    ThrowIfCancelled();
    m_dwStartTick = s_pfnGetTickCount();
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
    m_dwStartTick = 0;
    ThrowIfCancelled();
    // A stopped wait leaves the buffer as it was: there is no text to terminate or trace.
    if (nCount < 0)
        return nCount;
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

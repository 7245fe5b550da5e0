// The POP3 client of one connection: USER and PASS, STAT, LIST, UIDL, CAPA, RETR, DELE and QUIT.
#include "transport/Pop3.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "foundation/Exception.h"
#include "foundation/Paths.h"
#include "foundation/TraceFile.h"
#include "transport/TransportTexts.h"

namespace
{

enum ReplyCode
{
    REPLY_GREETING = 0,
    REPLY_USER = 1,
    REPLY_PASS = 2,
    REPLY_QUIT = 3,
    REPLY_DELE = 4,
    REPLY_STAT = 6,
    REPLY_LIST = 8,
    REPLY_RETR = 9,
    REPLY_UIDL = 10,
    REPLY_CAPA = 11,
};

const int kReplyBlock = 512;
const int kMessageBlock = 10000;

CString ToCString(const std::string& text)
{
    return CString(text.data(), static_cast<int>(text.size()));
}

} // namespace

CPop3::LogonPrompt CPop3::s_pfnLogonPrompt = NULL;

CPop3::CPop3(int* pnCancel)
    : m_Socket(pnCancel), m_nStatus(0), m_hWndProgress(NULL), m_nPort(0), m_nTotalSize(0), m_nReceived(0),
      m_nCurrentMessage(0), m_nMessageCount(0), m_nShownPercent(-1), m_nUnreadDeles(0)
{
    m_Socket.Init();
}

CPop3::~CPop3()
{
    m_Socket.Close();
    m_Socket.Term();
}

void CPop3::Init(const char* pszServer, const char* pszUser, const char* pszPassword, UINT nPort,
                 HWND hWndProgress)
{
    m_strServer = pszServer ? pszServer : "";
    m_strUser = pszUser ? pszUser : "";
    m_strPassword = pszPassword ? pszPassword : "";
    m_nPort = nPort;
    m_hWndProgress = hWndProgress;
    m_nCurrentMessage = 0;
    m_nReceived = 0;
    m_nStatus = 0;
    m_nShownPercent = -1;
    m_nUnreadDeles = 0;
    m_strDeleRefusal.Empty();
    m_Reader.Clear();
    m_Socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS);
}

int CPop3::Connect()
{
    try
    {
        m_Socket.Connect(m_strServer, m_nPort);
    }
    catch (CException* pException)
    {
        delete pException;
        m_strError = TransportText::kConnectionFailed;
        return 0;
    }
    return ReadResponse(REPLY_GREETING, TRACE_FULL) ? 1 : 0;
}

int CPop3::Login(HWND hWndParent)
{
    while (m_strPassword.IsEmpty() || m_strUser.IsEmpty())
    {
        CString user = m_strUser, password = m_strPassword;
        if (!s_pfnLogonPrompt || s_pfnLogonPrompt(hWndParent, m_strServer, user, password) != IDOK)
            Fail(TransportText::kCanceledLogon);
        m_strUser = user;
        m_strPassword = password;
    }
    Command("USER " + m_strUser + "\r\n", REPLY_USER);
    return Command("PASS " + m_strPassword + "\r\n", REPLY_PASS, TRACE_SECRET);
}

int CPop3::Stat()
{
    return Command("STAT\r\n", REPLY_STAT);
}

int CPop3::List()
{
    return Command("LIST\r\n", REPLY_LIST);
}

int CPop3::Uidl(int nMessage)
{
    m_nCurrentMessage = nMessage;
    CString command = "UIDL\r\n";
    if (nMessage != 0)
        command.Format("UIDL %d\r\n", nMessage);
    return Command(command, REPLY_UIDL, TRACE_SHORT);
}

int CPop3::Retr(int nMessage)
{
    m_nCurrentMessage = nMessage;
    CString command;
    command.Format("RETR %d\r\n", nMessage);
    return Command(command, REPLY_RETR, TRACE_SHORT);
}

int CPop3::Dele(int& nMessage)
{
    CString command;
    command.Format("DELE %d\r\n", nMessage);
    return Command(command, REPLY_DELE);
}

bool CPop3::CanPipeline()
{
    return Command("CAPA\r\n", REPLY_CAPA) != 0;
}

void CPop3::DeleWithNext(int nMessage)
{
    CString command;
    command.Format("DELE %d\r\n", nMessage);
    m_Socket.Send(command, command.GetLength(), 0, TRACE_FULL);
    ++m_nUnreadDeles;
}

int CPop3::Quit()
{
    return Command("QUIT\r\n", REPLY_QUIT);
}

void CPop3::Close()
{
    m_Socket.Close();
    m_Reader.Clear();
    m_nUnreadDeles = 0;
    m_strDeleRefusal.Empty();
}

int CPop3::Reconnect(HWND hWndParent)
{
    // The connection is bad already: a QUIT that fails on it changes nothing.
    try
    {
        Quit();
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (const char*)
    {
    }
    Close();
    m_Socket.Term();
    m_Socket.Init();
    m_nStatus = 0;
    if (!m_Socket.Create(0, SOCK_STREAM, SOCKET_ALL_EVENTS))
    {
        m_strError = TransportText::kSocketCreateError;
        return 0;
    }
    if (!Connect())
        return 0;
    return Login(hWndParent);
}

CString CPop3::GetStringAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= static_cast<int>(m_Uidl.size()))
        return CString();
    return m_Uidl[nIndex].first;
}

int CPop3::GetNumberAt(int nIndex) const
{
    if (nIndex < 0 || nIndex >= static_cast<int>(m_Uidl.size()))
        return 0;
    return m_Uidl[nIndex].second;
}

int CPop3::FindUniqueId(const char* pszUniqueId) const
{
    for (size_t i = 0; i < m_Uidl.size(); ++i)
    {
        if (m_Uidl[i].first.CompareNoCase(pszUniqueId) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void CPop3::RemoveAt(int nIndex)
{
    if (nIndex >= 0 && nIndex < static_cast<int>(m_Uidl.size()))
        m_Uidl.erase(m_Uidl.begin() + nIndex);
}

void CPop3::Fail(const CString& text)
{
    m_strError = text;
    throw static_cast<const char*>(m_strError);
}

int CPop3::Command(const CString& command, int nCode, int nTrace)
{
    m_Socket.Send(command, command.GetLength(), 0, nTrace);
    ReadDeleReplies();
    const int nResult = ReadResponse(nCode, nTrace == TRACE_SHORT ? TRACE_SHORT : TRACE_FULL) ? 1 : 0;
    // Thrown only now, so that the connection is left after a whole reply.
    if (!m_strDeleRefusal.IsEmpty())
    {
        const CString strRefusal = m_strDeleRefusal;
        m_strDeleRefusal.Empty();
        Fail(strRefusal);
    }
    return nResult;
}

void CPop3::ReadDeleReplies()
{
    while (m_nUnreadDeles > 0)
    {
        --m_nUnreadDeles;
        std::string line;
        int nResult = 0;
        if (!ReadLine(line, TRACE_FULL, nResult))
            Fail(nResult < 0 ? TransportText::kSocketError : TransportText::kReceiveDataError);
        if (Pop3Reply::IsNegative(line) && m_strDeleRefusal.IsEmpty())
            m_strDeleRefusal = TransportText::kDeleError + ToCString(line);
    }
}

int CPop3::ReceiveMore(int nLength, int nTrace)
{
    char* pSpace = m_Reader.Space(nLength);
    const int nCount = m_Socket.Receive(pSpace, nLength, 0, nTrace);
    m_Reader.Received(nCount > 0 ? nCount : 0);
    return nCount;
}

bool CPop3::ReadLine(std::string& line, int nTrace, int& nResult)
{
    m_Socket.StartAnswerClock();
    for (;;)
    {
        const CLineReader::Result result = m_Reader.NextLine(line);
        if (result == CLineReader::LINE)
        {
            m_Socket.StopAnswerClock();
            return true;
        }
        if (result == CLineReader::TOO_LONG)
        {
            m_Socket.StopAnswerClock();
            Fail(TransportText::kLineTooLong);
        }
        try
        {
            nResult = ReceiveMore(kReplyBlock, nTrace);
        }
        catch (...)
        {
            m_Socket.StopAnswerClock();
            throw;
        }
        if (nResult <= 0)
        {
            m_Socket.StopAnswerClock();
            return false;
        }
    }
}

int CPop3::ReadResponse(int nCode, int nTrace)
{
    // Replies are taken line by line: a reply may come in several pieces, and a piece may hold the status
    // line together with the listing after it.
    std::string line;
    int nResult = 0;
    if (!ReadLine(line, nTrace, nResult))
    {
        const bool bNothing = m_Reader.PendingSize() == 0;
        if (nCode == REPLY_RETR && bNothing)
        {
            m_strError = TransportText::kRetrEmpty;
            m_nStatus = 2;
            throw new CException(m_strError, "");
        }
        if (nResult < 0)
            Fail(TransportText::kSocketError);
        if (nCode == REPLY_GREETING)
            Fail(CString(TransportText::kBadConnection) + ToCString(m_Reader.Pending()));
        Fail(TransportText::kReceiveDataError);
    }
    const CString reply = ToCString(line);
    if (Pop3Reply::IsNegative(line))
    {
        switch (nCode)
        {
        case REPLY_GREETING:
            Fail(TransportText::kBadConnection + reply);
        case REPLY_CAPA:
            return 0;
        case REPLY_PASS:
            m_nStatus = 1;
            m_strError = reply;
            return 0;
        case REPLY_QUIT:
            Fail(TransportText::kQuitError + reply);
        case REPLY_DELE:
            Fail(TransportText::kDeleError + reply);
        case REPLY_STAT:
            Fail(TransportText::kStatError + reply);
        case REPLY_LIST:
            Fail(TransportText::kListError);
        case REPLY_UIDL:
            Fail(TransportText::kUidlError);
        case REPLY_RETR: {
            // Other threads write through the trace object, so it stays: the report gets a copy of the
            // file, which the report's dialog deletes after use.
            CString path;
            if (g_pTraceFile)
            {
                char szCopy[MAX_PATH] = {};
                if (::GetTempFileNameA(GetTempFolder(), "trc", 0, szCopy) &&
                    ::CopyFileA(g_pTraceFile->GetFilePath(), szCopy, FALSE))
                    path = szCopy;
                else if (szCopy[0] != '\0')
                    ::DeleteFileA(szCopy);
            }
            m_strError = TransportText::kRetrRefused + reply + "\r\n";
            throw new CException(m_strError, path);
        }
        default:
            Fail(reply);
        }
    }
    switch (nCode)
    {
    case REPLY_STAT: {
        int nCount = 0, nSize = 0;
        const int nNumbers = Pop3Reply::ParseStat(line, nCount, nSize);
        if (nNumbers >= 1)
            m_nMessageCount = nCount;
        if (nNumbers == 2)
        {
            m_nTotalSize = nSize;
            m_nReceived = 0;
            m_nShownPercent = -1;
        }
        return 1;
    }
    case REPLY_LIST:
        ReadListing(nCode);
        return 1;
    case REPLY_CAPA:
        return ReadCapabilities() ? 1 : 0;
    case REPLY_UIDL:
        if (m_nCurrentMessage != 0)
        {
            // The one-message form answers on its status line: "+OK n identifier".
            size_t pos = 0;
            int nNumber = 0;
            if (Pop3Reply::NextNumber(line, pos, nNumber))
            {
                while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
                    ++pos;
                m_Uidl.push_back(std::make_pair(ToCString(line.substr(pos)), nNumber));
            }
            return 1;
        }
        ReadListing(nCode);
        return 1;
    case REPLY_RETR:
        if (line.compare(0, 3, "+OK") != 0)
        {
            m_strError.Format(TransportText::kRetrBadReply, static_cast<const char*>(reply));
            throw static_cast<const char*>(m_strError);
        }
        ReadMessage();
        return 1;
    default:
        return 1;
    }
}

bool CPop3::ReadReplyLine(std::string& line)
{
    int nResult = 0;
    if (!ReadLine(line, TRACE_FULL, nResult))
        Fail(nResult < 0 ? TransportText::kSocketError : TransportText::kReceiveDataError);
    if (line == ".")
        return false;
    if (!line.empty() && line[0] == '.')
        line.erase(0, 1);
    return true;
}

void CPop3::ReadListing(int nCode)
{
    // A listing states the whole mailbox: a second one replaces the first instead of repeating every entry.
    if (nCode == REPLY_LIST)
        m_Sizes.clear();
    else
        m_Uidl.clear();
    std::string line;
    while (ReadReplyLine(line))
    {
        int nNumber = 0;
        std::string value;
        const int nParsed = Pop3Reply::ParseListingLine(line, nNumber, value);
        if (nParsed == 0)
            continue;
        if (nParsed < 0)
            Fail(nCode == REPLY_LIST ? TransportText::kListError : TransportText::kUidlError);
        if (nCode == REPLY_LIST)
            m_Sizes.push_back(ParseReplyNumber(value.c_str()));
        else
            m_Uidl.push_back(std::make_pair(ToCString(value), nNumber));
    }
}

bool CPop3::ReadCapabilities()
{
    bool bPipelining = false;
    std::string line;
    while (ReadReplyLine(line))
    {
        // A capability is its first word, named without regard to case.
        const size_t nEnd = line.find(' ');
        bPipelining |= _stricmp(line.substr(0, nEnd).c_str(), "PIPELINING") == 0;
    }
    return bPipelining;
}

void CPop3::ReadMessage()
{
    // The listed size only sets the first reservation: a server may list any number there.
    std::string message;
    if (m_nCurrentMessage >= 1 && m_nCurrentMessage <= static_cast<int>(m_Sizes.size()))
        message.reserve(Pop3Reply::BodyReservation(m_Sizes[m_nCurrentMessage - 1]));
    m_strMessage.Empty();
    for (;;)
    {
        const char* pLine = NULL;
        size_t nLength = 0;
        // Body lines have no limit: only status and listing lines are capped.
        if (m_Reader.NextLine(pLine, nLength, 0) != CLineReader::LINE)
        {
            const int nCount = ReceiveMore(kMessageBlock, TRACE_SHORT);
            if (nCount <= 0)
            {
                m_strMessage = CString(std::move(message));
                Fail(nCount == 0 ? TransportText::kReceiveDataError : TransportText::kSocketError);
            }
            m_nReceived += nCount;
            // The bar is another thread's window: each message to it waits for that thread.
            if (m_hWndProgress && m_nTotalSize > 0)
            {
                const long long nPercent = m_nReceived * 100 / m_nTotalSize;
                const int nShown = static_cast<int>(nPercent > 100 ? 100 : nPercent);
                if (nShown != m_nShownPercent)
                {
                    m_nShownPercent = nShown;
                    ::SendMessageA(m_hWndProgress, PBM_SETPOS, static_cast<WPARAM>(nShown), 0);
                }
            }
            continue;
        }
        if (Pop3Reply::IsBodyEnd(pLine, nLength))
            break;
        // The server doubled a leading dot so that no line of the message could end it: the stored text
        // holds the message as it was written.
        const size_t nFrom = Pop3Reply::UnstuffedOffset(pLine, nLength);
        message.append(pLine + nFrom, nLength - nFrom);
    }
    m_strMessage = CString(std::move(message));
}

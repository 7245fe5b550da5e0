// The in-process scripted IMAP server.
#include "ScriptedImapStream.h"

#include <cstring>

#include "components/OrbIMAP/ImapError.h"

namespace
{

// A stream handed out by the connector, whose script the test keeps.
class CBorrowedStream : public CImapStream
{
public:
    explicit CBorrowedStream(CScriptedImapStream& stream) : m_Stream(stream) {}
    bool Send(const char* pData, size_t nLength) override { return m_Stream.Send(pData, nLength); }
    int Receive(char* pBuffer, size_t nLength, int nTimeoutMs) override
    {
        return m_Stream.Receive(pBuffer, nLength, nTimeoutMs);
    }

private:
    CScriptedImapStream& m_Stream;
};

} // namespace

CScriptedImapStream::CScriptedImapStream(const std::string& strGreeting, std::vector<CScriptStep> steps,
                                         bool bCloseAtEnd)
    : m_strPending(strGreeting), m_Steps(std::move(steps)), m_bCloseAtEnd(bCloseAtEnd)
{
}

bool CScriptedImapStream::Send(const char* pData, size_t nLength)
{
    if (m_bClosed && m_strPending.empty())
        return false;
    m_strLine.append(pData, nLength);
    size_t end;
    while ((end = m_strLine.find("\r\n")) != std::string::npos)
    {
        const std::string line = m_strLine.substr(0, end);
        m_strLine.erase(0, end + 2);
        const size_t blank = line.find(' ');
        const std::string tag = line.substr(0, blank);
        const std::string command = blank == std::string::npos ? "" : line.substr(blank + 1);
        m_Commands.push_back(command);
        if (m_nNext >= m_Steps.size() || command.compare(0, m_Steps[m_nNext].strExpect.size(),
                                                         m_Steps[m_nNext].strExpect) != 0)
        {
            if (m_strFailure.empty())
                m_strFailure = "unexpected command: " + command;
            m_strPending += tag + " BAD unexpected\r\n";
            continue;
        }
        const CScriptStep& step = m_Steps[m_nNext++];
        std::string reply = step.strReply;
        for (size_t pos; (pos = reply.find("$TAG")) != std::string::npos;)
            reply.replace(pos, 4, tag);
        m_strPending += reply;
        if (step.bCloseAfter || (m_bCloseAtEnd && m_nNext == m_Steps.size()))
            m_bClosed = true;
    }
    return true;
}

int CScriptedImapStream::Receive(char* pBuffer, size_t nLength, int)
{
    if (m_strPending.empty())
        return m_bClosed ? 0 : -1;
    const size_t n = m_strPending.size() < nLength ? m_strPending.size() : nLength;
    memcpy(pBuffer, m_strPending.data(), n);
    m_strPending.erase(0, n);
    return static_cast<int>(n);
}

void CScriptedImapStream::Push(const std::string& strText, bool bClose)
{
    m_strPending += strText;
    m_bClosed = m_bClosed || bClose;
}

CScriptedImapStream& CScriptedImapConnector::Add(const std::string& strGreeting, std::vector<CScriptStep> steps,
                                                 bool bCloseAtEnd)
{
    m_Streams.emplace_back(new CScriptedImapStream(strGreeting, std::move(steps), bCloseAtEnd));
    return *m_Streams.back();
}

std::unique_ptr<CImapStream> CScriptedImapConnector::Open(const std::string&, unsigned, int)
{
    if (static_cast<size_t>(m_nOpened) >= m_Streams.size())
        throw CImapError("Could not connect to the server.");
    return std::unique_ptr<CImapStream>(new CBorrowedStream(*m_Streams[m_nOpened++]));
}

std::vector<CScriptStep> LoginSteps(const std::string& strCapabilities)
{
    return {{"LOGIN ", "$TAG OK Logged in\r\n"},
            {"CAPABILITY", "* CAPABILITY " + strCapabilities + "\r\n$TAG OK done\r\n"}};
}

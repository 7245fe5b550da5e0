// An IMAP server played from a script inside the test process: each client command gets the reply its
// step names, so a hostile server's bytes reach the session without a socket or a clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "components/OrbIMAP/ImapStream.h"

struct CScriptStep
{
    std::string strExpect; // what the command (after its tag) must start with
    std::string strReply;  // "$TAG" stands for the command's tag
    bool bCloseAfter = false;
};

class CScriptedImapStream : public CImapStream
{
public:
    CScriptedImapStream(const std::string& strGreeting, std::vector<CScriptStep> steps, bool bCloseAtEnd = false);

    bool Send(const char* pData, size_t nLength) override;
    // Silence is reported at once as a time-out: no test waits on a clock.
    int Receive(char* pBuffer, size_t nLength, int nTimeoutMs) override;

    // Queues bytes as if the server sent them unasked (a BYE before closing).
    void Push(const std::string& strText, bool bClose);

    std::vector<std::string> m_Commands; // each command line as the client sent it, without tag and CRLF
    std::string m_strFailure;            // a command the script did not expect

private:
    std::string m_strPending;
    std::string m_strLine;
    std::vector<CScriptStep> m_Steps;
    size_t m_nNext = 0;
    bool m_bClosed = false;
    bool m_bCloseAtEnd;
};

// Hands out the scripted streams in order; when none is left, a connection cannot be made.
class CScriptedImapConnector : public CImapConnector
{
public:
    CScriptedImapStream& Add(const std::string& strGreeting, std::vector<CScriptStep> steps, bool bCloseAtEnd = false);
    std::unique_ptr<CImapStream> Open(const std::string& strHost, unsigned nPort, int nTimeoutMs) override;

    int m_nOpened = 0;

private:
    std::vector<std::unique_ptr<CScriptedImapStream>> m_Streams;
};

// The steps of a login with the given capabilities.
std::vector<CScriptStep> LoginSteps(const std::string& strCapabilities = "IMAP4rev1 CHILDREN UIDPLUS UNSELECT");

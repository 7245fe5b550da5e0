// The byte stream under an IMAP session, and what opens one: a socket in the component, a script in tests.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class CImapStream
{
public:
    virtual ~CImapStream() {}

    // Writes all bytes; false when the connection is gone.
    virtual bool Send(const char* pData, size_t nLength) = 0;
    // Up to nLength bytes: the count, 0 when the peer closed, -1 when nothing came within nTimeoutMs
    // (0: only what is already there), -2 when the connection failed.
    virtual int Receive(char* pBuffer, size_t nLength, int nTimeoutMs) = 0;
};

class CImapConnector
{
public:
    virtual ~CImapConnector() {}

    // A connected stream; throws CImapError with the reason when none can be made.
    virtual std::unique_ptr<CImapStream> Open(const std::string& strHost, unsigned nPort, int nTimeoutMs) = 0;
};

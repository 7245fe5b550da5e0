// The IMAP session's stream over a Windows socket, and the connector that opens one.
#pragma once

#include <winsock2.h>

#include "components/OrbIMAP/ImapStream.h"

class CSocketStream : public CImapStream
{
public:
    explicit CSocketStream(SOCKET hSocket) : m_hSocket(hSocket) {}
    ~CSocketStream() override;
    CSocketStream(const CSocketStream&) = delete;
    CSocketStream& operator=(const CSocketStream&) = delete;

    bool Send(const char* pData, size_t nLength) override;
    int Receive(char* pBuffer, size_t nLength, int nTimeoutMs) override;

private:
    SOCKET m_hSocket;
};

class CSocketConnector : public CImapConnector
{
public:
    CSocketConnector();
    ~CSocketConnector() override;

    std::unique_ptr<CImapStream> Open(const std::string& strHost, unsigned nPort, int nTimeoutMs) override;

private:
    bool m_bStarted;
};

// The Windows socket under the IMAP session.
#include "components/OrbIMAP/SocketStream.h"

#include <ws2tcpip.h>

#include <string>

#include "components/OrbIMAP/ImapError.h"

CSocketStream::~CSocketStream()
{
    closesocket(m_hSocket);
}

bool CSocketStream::Send(const char* pData, size_t nLength)
{
    while (nLength > 0)
    {
        const int nChunk = nLength > 0x10000 ? 0x10000 : static_cast<int>(nLength);
        const int nSent = send(m_hSocket, pData, nChunk, 0);
        if (nSent <= 0)
            return false;
        pData += nSent;
        nLength -= static_cast<size_t>(nSent);
    }
    return true;
}

int CSocketStream::Receive(char* pBuffer, size_t nLength, int nTimeoutMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_hSocket, &readable);
    timeval wait = {nTimeoutMs / 1000, (nTimeoutMs % 1000) * 1000};
    const int nReady = select(0, &readable, NULL, NULL, &wait);
    if (nReady == 0)
        return -1;
    if (nReady < 0)
        return -2;
    const int nChunk = nLength > 0x10000 ? 0x10000 : static_cast<int>(nLength);
    const int nReceived = recv(m_hSocket, pBuffer, nChunk, 0);
    return nReceived < 0 ? -2 : nReceived;
}

CSocketConnector::CSocketConnector()
{
    WSADATA data;
    m_bStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CSocketConnector::~CSocketConnector()
{
    if (m_bStarted)
        WSACleanup();
}

std::unique_ptr<CImapStream> CSocketConnector::Open(const std::string& strHost, unsigned nPort, int nTimeoutMs)
{
    if (strHost.empty() || nPort == 0 || nPort > 65535)
        throw CImapError("No IMAP server and port are given.");
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* pResult = NULL;
    if (getaddrinfo(strHost.c_str(), std::to_string(nPort).c_str(), &hints, &pResult) != 0 || pResult == NULL)
        throw CImapError("The IMAP server \"" + strHost + "\" cannot be found.");
    SOCKET hSocket = socket(pResult->ai_family, pResult->ai_socktype, pResult->ai_protocol);
    if (hSocket == INVALID_SOCKET)
    {
        freeaddrinfo(pResult);
        throw CImapError("No socket could be made for the IMAP connection.");
    }
    // Connects without blocking, so that a server that never answers costs the time-out and no more.
    u_long nNonBlocking = 1;
    ioctlsocket(hSocket, FIONBIO, &nNonBlocking);
    const int nConnect = connect(hSocket, pResult->ai_addr, static_cast<int>(pResult->ai_addrlen));
    freeaddrinfo(pResult);
    bool bConnected = nConnect == 0;
    if (!bConnected && WSAGetLastError() == WSAEWOULDBLOCK)
    {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(hSocket, &writable);
        FD_SET(hSocket, &failed);
        timeval wait = {nTimeoutMs / 1000, (nTimeoutMs % 1000) * 1000};
        bConnected = select(0, NULL, &writable, &failed, &wait) > 0 && FD_ISSET(hSocket, &writable);
    }
    nNonBlocking = 0;
    ioctlsocket(hSocket, FIONBIO, &nNonBlocking);
    if (!bConnected)
    {
        closesocket(hSocket);
        throw CImapError("The IMAP server \"" + strHost + ":" + std::to_string(nPort) + "\" does not accept a connection.");
    }
    return std::unique_ptr<CImapStream>(new CSocketStream(hSocket));
}

// A loopback server on a thread of its own that plays a script against one client connection, for replies
// that real servers do not give on demand (split, merged, refused, silent).
#include "ScriptedPeer.h"

namespace
{

enum StepKind
{
    STEP_SEND,
    STEP_SEND_SPLIT,
    STEP_EXPECT,
    STEP_WAIT,
    STEP_CLOSE,
};

bool SendAll(SOCKET hSocket, const std::string& text)
{
    size_t nSent = 0;
    while (nSent < text.size())
    {
        const int n = send(hSocket, text.data() + nSent, static_cast<int>(text.size() - nSent), 0);
        if (n <= 0)
            return false;
        nSent += n;
    }
    return true;
}

} // namespace

CScriptedPeer::CScriptedPeer() : m_hListen(INVALID_SOCKET), m_hClient(INVALID_SOCKET), m_hThread(NULL)
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
}

CScriptedPeer::~CScriptedPeer()
{
    Finish();
    if (m_hListen != INVALID_SOCKET)
        closesocket(m_hListen);
    WSACleanup();
}

CScriptedPeer& CScriptedPeer::Send(const std::string& text)
{
    m_Steps.push_back({STEP_SEND, text, std::string(), NULL});
    return *this;
}

CScriptedPeer& CScriptedPeer::SendSplit(const std::string& first, const std::string& second)
{
    m_Steps.push_back({STEP_SEND_SPLIT, first, second, NULL});
    return *this;
}

CScriptedPeer& CScriptedPeer::Expect(const std::string& prefix)
{
    m_Steps.push_back({STEP_EXPECT, prefix, std::string(), NULL});
    return *this;
}

CScriptedPeer& CScriptedPeer::WaitFor(HANDLE hEvent)
{
    m_Steps.push_back({STEP_WAIT, std::string(), std::string(), hEvent});
    return *this;
}

CScriptedPeer& CScriptedPeer::Close()
{
    m_Steps.push_back({STEP_CLOSE, std::string(), std::string(), NULL});
    return *this;
}

UINT CScriptedPeer::Start()
{
    m_hListen = socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    addr.sin_port = 0;
    bind(m_hListen, reinterpret_cast<SOCKADDR*>(&addr), sizeof(addr));
    listen(m_hListen, 1);
    int nLength = sizeof(addr);
    getsockname(m_hListen, reinterpret_cast<SOCKADDR*>(&addr), &nLength);
    m_hThread = CreateThread(NULL, 0, ThreadProc, this, 0, NULL);
    return ntohs(addr.sin_port);
}

std::string CScriptedPeer::Finish(DWORD dwTimeout)
{
    if (m_hThread)
    {
        if (WaitForSingleObject(m_hThread, dwTimeout) != WAIT_OBJECT_0)
        {
            // The client stopped early: unblock the peer's accept or receive.
            if (m_hClient != INVALID_SOCKET)
                closesocket(m_hClient);
            closesocket(m_hListen);
            m_hListen = INVALID_SOCKET;
            WaitForSingleObject(m_hThread, INFINITE);
            if (m_strFailure.empty())
                m_strFailure = "the script did not end";
        }
        CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    return m_strFailure;
}

DWORD WINAPI CScriptedPeer::ThreadProc(void* pParam)
{
    static_cast<CScriptedPeer*>(pParam)->Play();
    return 0;
}

bool CScriptedPeer::ReadLine(std::string& line)
{
    for (;;)
    {
        const size_t nEnd = m_strPending.find("\r\n");
        if (nEnd != std::string::npos)
        {
            line = m_strPending.substr(0, nEnd);
            m_strPending.erase(0, nEnd + 2);
            return true;
        }
        char buffer[4096];
        const int n = recv(m_hClient, buffer, sizeof(buffer), 0);
        if (n <= 0)
            return false;
        m_strPending.append(buffer, n);
    }
}

void CScriptedPeer::Play()
{
    m_hClient = accept(m_hListen, NULL, NULL);
    if (m_hClient == INVALID_SOCKET)
    {
        m_strFailure = "no client connected";
        return;
    }
    BOOL bNoDelay = TRUE;
    setsockopt(m_hClient, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay),
               sizeof(bNoDelay));
    for (const CStep& step : m_Steps)
    {
        switch (step.nKind)
        {
        case STEP_SEND:
            SendAll(m_hClient, step.text);
            break;
        case STEP_SEND_SPLIT:
            SendAll(m_hClient, step.text);
            Sleep(100);
            SendAll(m_hClient, step.second);
            break;
        case STEP_EXPECT: {
            std::string line;
            if (!ReadLine(line))
            {
                m_strFailure = "connection ended while expecting " + step.text;
                closesocket(m_hClient);
                m_hClient = INVALID_SOCKET;
                return;
            }
            m_Received.push_back(line);
            if (line.compare(0, step.text.size(), step.text) != 0 && m_strFailure.empty())
                m_strFailure = "expected " + step.text + ", got " + line;
            break;
        }
        case STEP_WAIT:
            WaitForSingleObject(step.hEvent, 30000);
            break;
        case STEP_CLOSE:
            closesocket(m_hClient);
            m_hClient = INVALID_SOCKET;
            return;
        }
    }
    // Whatever the client still sends (QUIT) is read until it closes.
    char buffer[256];
    while (recv(m_hClient, buffer, sizeof(buffer), 0) > 0)
    {
    }
    closesocket(m_hClient);
    m_hClient = INVALID_SOCKET;
}

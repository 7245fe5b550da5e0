// The loopback GET of a clicked link, on a worker thread of its own.
#include <winsock2.h>

#include "HtmlLinkFetch.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace
{
std::mutex s_portsLock;
std::multiset<int> s_ports;

struct FetchJob
{
    HWND hWnd;
    LONG generation;
    int port;
    std::string path;
};

// One GET on the loopback address. The local server may keep the connection open, so the reply ends at
// its Content-Length, at the close, or at the time or size cap, whichever comes first.
DWORD WINAPI FetchThread(void* pv)
{
    std::unique_ptr<FetchJob> job(static_cast<FetchJob*>(pv));
    auto reply = std::make_unique<std::string>();
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) == 0)
    {
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s != INVALID_SOCKET)
        {
            DWORD timeout = CHtmlLinkFetch::kTimeoutMs;
            ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
            ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
            sockaddr_in addr = {};
            addr.sin_family = AF_INET;
            addr.sin_port = htons(static_cast<u_short>(job->port));
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0)
            {
                const std::string request = "GET " + job->path + " HTTP/1.0\r\nHost: 127.0.0.1:" +
                                            std::to_string(job->port) + "\r\n\r\n";
                ::send(s, request.data(), static_cast<int>(request.size()), 0);
                const ULONGLONG deadline = ::GetTickCount64() + CHtmlLinkFetch::kTimeoutMs;
                char buf[16384];
                size_t expected = std::string::npos;
                while (reply->size() < CHtmlLinkFetch::kMaxReply && ::GetTickCount64() < deadline)
                {
                    const int got = ::recv(s, buf, sizeof(buf), 0);
                    if (got <= 0)
                        break;
                    // The local server writes its whole answer at once and then keeps the connection: once
                    // data has come, a pause ends the reply instead of the full time cap.
                    if (reply->empty())
                    {
                        DWORD pause = CHtmlLinkFetch::kPauseMs;
                        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&pause),
                                     sizeof(pause));
                    }
                    reply->append(buf, got);
                    const size_t headEnd = reply->find("\r\n\r\n");
                    if (expected == std::string::npos && reply->compare(0, 5, "HTTP/") == 0 &&
                        headEnd != std::string::npos)
                    {
                        std::string head = reply->substr(0, headEnd);
                        std::transform(head.begin(), head.end(), head.begin(), ::tolower);
                        const size_t at = head.find("\ncontent-length:");
                        if (at != std::string::npos)
                            expected = headEnd + 4 + strtoul(head.c_str() + at + 16, nullptr, 10);
                    }
                    if (reply->size() >= expected)
                        break;
                }
                if (reply->size() > CHtmlLinkFetch::kMaxReply)
                    reply->resize(CHtmlLinkFetch::kMaxReply);
            }
            ::closesocket(s);
        }
        ::WSACleanup();
    }
    if (::PostMessageW(job->hWnd, CHtmlLinkFetch::WM_FETCHED, static_cast<WPARAM>(job->generation),
                       reinterpret_cast<LPARAM>(reply.get())))
        reply.release();
    return 0;
}

}

bool CHtmlLinkFetch::Start(HWND hWnd, LONG generation, int port, const std::string& path)
{
    std::string line;
    if (!IsServerPort(port) || !RequestPath(path, line))
        return false;
    auto job = std::make_unique<FetchJob>(FetchJob{hWnd, generation, port, line});
    HANDLE hThread = ::CreateThread(nullptr, 0, FetchThread, job.get(), 0, nullptr);
    if (!hThread)
        return false;
    job.release();
    ::CloseHandle(hThread);
    return true;
}

void CHtmlLinkFetch::AddServerPort(int port)
{
    std::lock_guard<std::mutex> lock(s_portsLock);
    s_ports.insert(port);
}

void CHtmlLinkFetch::RemoveServerPort(int port)
{
    std::lock_guard<std::mutex> lock(s_portsLock);
    auto it = s_ports.find(port);
    if (it != s_ports.end())
        s_ports.erase(it);
}

bool CHtmlLinkFetch::IsServerPort(int port)
{
    std::lock_guard<std::mutex> lock(s_portsLock);
    return s_ports.count(port) != 0;
}

bool CHtmlLinkFetch::RequestPath(const std::string& path, std::string& out)
{
    if (path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return false;
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (size_t i = 0; i < path.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        const bool escape = c == '%' && i + 2 < path.size() &&
                            isxdigit(static_cast<unsigned char>(path[i + 1])) &&
                            isxdigit(static_cast<unsigned char>(path[i + 2]));
        if (escape || (c > 0x20 && c < 0x7F && !strchr("\"<>\\^`{|}%", c)))
            encoded += static_cast<char>(c);
        else
        {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    if (encoded.empty() || encoded[0] != '/')
        encoded.insert(0, "/");
    out = encoded;
    return true;
}

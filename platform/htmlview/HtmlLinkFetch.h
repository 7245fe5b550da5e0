// The one network fetch of the view: a clicked link on this machine, read by a worker thread while the
// local server answers on the UI thread.
#pragma once

#include <windows.h>

#include <string>

class CHtmlLinkFetch
{
public:
    static constexpr DWORD kTimeoutMs = 5000;
    static constexpr size_t kMaxReply = 1024 * 1024;
    // Silence after the first data that ends a reply with neither a length nor a close.
    static constexpr DWORD kPauseMs = 300;
    // Posted to the view with the generation in wParam and a new std::string* (the reply, headers
    // included) in lParam, which the receiver deletes.
    static const UINT WM_FETCHED = WM_APP + 0x3A1;

    // Starts a GET of path on 127.0.0.1:port; false when the port is not one of our own servers', the path
    // is refused (RequestPath) or no thread could be started.
    static bool Start(HWND hWnd, LONG generation, int port, const std::string& path);

    // The ports our own local servers listen on, process-wide: a page may only reach these, never another
    // service on this machine. Each Add is matched by one Remove.
    static void AddServerPort(int port);
    static void RemoveServerPort(int port);
    static bool IsServerPort(int port);

    // The path as it goes on the request line: bytes that may not stand there raw are %XX-escaped, escapes
    // already there are kept. False, with nothing written, for a path holding CR, LF or NUL, which would end
    // the request line early.
    static bool RequestPath(const std::string& path, std::string& out);
};

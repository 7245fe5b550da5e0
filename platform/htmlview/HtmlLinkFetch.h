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

    // Starts a GET of path on 127.0.0.1:port; false when no thread could be started.
    static bool Start(HWND hWnd, LONG generation, int port, const std::string& path);
};

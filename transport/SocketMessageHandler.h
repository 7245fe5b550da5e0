// The hidden window through which the thread-safe socket layer receives its socket messages, and the part
// of a message map that hands those messages to the layer, for any window that gets them.
#pragma once

#include <atlwin.h>

#include "transport/SocketAsyncMT.h"

// Chained into a window's message map: 0x373 and 0x374 are queued and the layer's queue run at once. A
// failure is shown with the error-report prompt under the given name, and the message then counts as not
// handled.
class CSocketMessageMap
{
public:
    explicit CSocketMessageMap(const char* pszGuardName) : m_pszGuardName(pszGuardName) {}

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0);

    const char* m_pszGuardName;
};

class CSocketMessageHandler : public ATL::CWindowImpl<CSocketMessageHandler>, public CSocketMessageMap
{
public:
    DECLARE_WND_CLASS("OrbSocketMessageHandler")
    BEGIN_MSG_MAP(CSocketMessageHandler)
        CHAIN_MSG_MAP(CSocketMessageMap)
    END_MSG_MAP()

    // The one handler of the process.
    static CSocketMessageHandler& Instance();

    CSocketMessageHandler();
    // Makes the window on the calling thread, which then receives every notification of the layer; does
    // nothing while the layer has a window. The window's handle, or NULL.
    HWND Create();
    // The layer keeps its handle until its last socket is gone.
    void Destroy();
};

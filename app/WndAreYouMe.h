// The hidden window that answers a second start of the client while the visible windows are busy; it runs
// on a user-interface thread of its own for as long as the thread manager does.
#pragma once

#include <windows.h>

#include <atlres.h>
#include <atlwin.h>

#include "app/CmdLineHolder.h"
#include "foundation/WindowMessages.h"

class CWndAreYouMe : public CWindowImpl<CWndAreYouMe, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("LetrovaWndAreYouMe")

    BEGIN_MSG_MAP(CWndAreYouMe)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(LetrovaAreYouMe, OnAreYouMe)
    COMMAND_ID_HANDLER(ID_APP_EXIT, OnAppExit)
    MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    explicit CWndAreYouMe(DWORD dwManagerThreadId);
    ~CWndAreYouMe();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAreYouMe(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAppExit(WORD, WORD, HWND, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CCmdLineHolder m_cmdLine;
    CWindow m_wndClient;
    HANDLE m_hEvent;
};

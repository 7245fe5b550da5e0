// The hidden window that answers a second start of the client while the visible windows are busy; it runs
// on a user-interface thread of its own for as long as the thread manager does.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlframe.h>
#include <atlres.h>
#include <atlwin.h>

#include "app/CmdLineHolder.h"
#include "app/ManagerCommands.h"
#include "foundation/WindowMessages.h"

// The compose window's two send commands, which a running fill disables.
const int ID_AYM_SEND = 32801;
const int ID_AYM_SEND_INDIVIDUAL = 32812;

class CWndAreYouMe : public CWindowImpl<CWndAreYouMe, CWindow, CFrameWinTraits>,
                     public CUpdateUI<CWndAreYouMe>
{
public:
    DECLARE_WND_CLASS("LetrovaWndAreYouMe")

    BEGIN_UPDATE_UI_MAP(CWndAreYouMe)
    UPDATE_ELEMENT(ID_AYM_SEND, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    UPDATE_ELEMENT(ID_AYM_SEND_INDIVIDUAL, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CWndAreYouMe)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(LetrovaAreYouMe, OnAreYouMe)
    COMMAND_ID_HANDLER(ID_APP_EXIT, OnAppExit)
    COMMAND_ID_HANDLER(ID_RUN_THREAD, OnRunThread)
    MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    CHAIN_MSG_MAP(CUpdateUI<CWndAreYouMe>)
    END_MSG_MAP()

    explicit CWndAreYouMe(DWORD dwManagerThreadId);
    ~CWndAreYouMe();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAreYouMe(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAppExit(WORD, WORD, HWND, BOOL&);
    // lParam (here the control handle) is non-zero while a fill runs.
    LRESULT OnRunThread(WORD, WORD, HWND hWndBusy, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CCmdLineHolder m_cmdLine;
    CWindow m_wndClient;
    HANDLE m_hEvent;
};

// CMainFrameHidden: the invisible owner of the windows the Simple MAPI calls show; it answers the "Get"
// messages with the calling session's databases and settings.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlapp.h>
#include <atlwin.h>

#include "ui/main/Main.h"

class CLetrova;

class CMainFrameHidden : public CWindowImpl<CMainFrameHidden, CWindow, CFrameWinTraits>, public CMain
{
public:
    DECLARE_WND_CLASS_EX("LetrovaMainFrameHidden", CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

    BEGIN_MSG_MAP(CMainFrameHidden)
        if (uMsg == WM_COMMAND && LOWORD(wParam) == kDeleteMessage)
            return TRUE;
        CHAIN_MSG_MAP(CMain)
    END_MSG_MAP()

    explicit CMainFrameHidden(CLetrova* pLetrova);
    CMainFrameHidden(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId);
    ~CMainFrameHidden();

    // A child of the caller's window; of the desktop when the caller gave none that exists, as a child
    // of nothing cannot be created and would answer no "Get" message.
    HWND CreateHidden(HWND hWndParent);

    enum
    {
        kDeleteMessage = 33027
    };
};

// Creates the hidden frame for one call and destroys it on every way out of that call.
class CHiddenFrameHolder
{
public:
    CHiddenFrameHolder(CLetrova* pLetrova, LONG_PTR ulUIParam);
    ~CHiddenFrameHolder();
    HWND Window() const { return m_frame.m_hWnd; }

private:
    CMainFrameHidden m_frame;
};

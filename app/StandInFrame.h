// A plain top-level window for each window that the thread manager opens, until those windows exist in full:
// it shows what it was opened for, answers the hand-over like every frame and ends its thread when closed.
#pragma once

#include <windows.h>

#include <atlstr.h>
#include <atlwin.h>

#include "app/CmdLineHolder.h"
#include "foundation/WindowMessages.h"

class CStandInFrame : public CWindowImpl<CStandInFrame, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("LetrovaStandInFrame")

    BEGIN_MSG_MAP(CStandInFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(LetrovaAreYouMe, OnAreYouMe)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // The main window is the one with the caption "Vorn Email"; the others show their kind and argument.
    CStandInFrame(const char* pszKind, const char* pszArgument, DWORD dwManagerThreadId, bool bMain);

    HWND CreateFrame(const RECT* pRect = NULL);

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAreYouMe(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CString m_strTitle;
    bool m_bMain;
    CCmdLineHolder m_cmdLine;
};

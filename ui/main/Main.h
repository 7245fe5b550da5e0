// The part of every top-level frame that answers the process-wide "Get" messages.
#pragma once

#include <windows.h>

class CDatabaseMy;
class CRegistry;

class CMain
{
public:
    // A thread identifier of 0 takes the thread manager's.
    CMain(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId);

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0);

    // Posts WM_USER with the command to the manager's thread; never waits.
    BOOL PostToManager(WPARAM nCommand, LPARAM lParam) const;

    DWORD m_dwThreadId;
    CRegistry* m_pRegistry;
    CDatabaseMy* m_pDatabaseMy;
};

// A frame for the page host and the body view in tests: it answers the "Get" messages from a test store,
// records "LetrovaEnable", the status texts and the download notices, and hands the body view back the
// messages a frame passes on to it.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include <string>
#include <utility>
#include <vector>

class CDatabaseSession;
class CRegistry;

class CBodyOwnerWindow : public CWindowImpl<CBodyOwnerWindow>
{
public:
    DECLARE_WND_CLASS("OrbTestBodyOwner")

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;

    // A top-level window with an edit control (focus outside the page) at the bottom.
    HWND CreateOwner();
    // The last "LetrovaEnable" flag of a command, -1 when none came.
    int EnabledState(WORD wID) const;

    CDatabaseSession* m_pDatabase = NULL;
    CRegistry* m_pRegistry = NULL;
    DWORD m_dwManagerThreadId = 0;
    // Where ID_VIEW_MESSAGE_BODY goes, as the frame passes it to its body view.
    HWND m_hWndBody = NULL;
    HWND m_hWndEdit = NULL;

    std::vector<std::pair<WORD, int>> m_enabled;
    std::vector<std::string> m_statusTexts;
    std::vector<LPARAM> m_downloads;
};

// The test frame of the page host and the body view.
#include "BodyOwnerWindow.h"

#include "foundation/WindowMessages.h"

namespace
{
const WORD kSetStatusBar2 = 32913;
const WORD kDownloadComplete = 33031;
const WORD kViewMessageBody = 32797;
} // namespace

BOOL CBodyOwnerWindow::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                            DWORD)
{
    lResult = 1;
    if (uMsg == LetrovaGetDatabase)
        *reinterpret_cast<CDatabaseSession**>(wParam) = m_pDatabase;
    else if (uMsg == LetrovaGetRegistry)
        *reinterpret_cast<CRegistry**>(wParam) = m_pRegistry;
    else if (uMsg == LetrovaGetIdThread)
        *reinterpret_cast<DWORD*>(wParam) = m_dwManagerThreadId;
    else if (uMsg == LetrovaEnable)
        m_enabled.push_back({(WORD)wParam, lParam != 0 ? 1 : 0});
    else if (uMsg == WM_COMMAND && LOWORD(wParam) == kSetStatusBar2)
        m_statusTexts.push_back(lParam != 0 ? (const char*)lParam : "");
    else if (uMsg == WM_COMMAND && LOWORD(wParam) == kDownloadComplete)
        m_downloads.push_back(lParam);
    else if (uMsg == WM_COMMAND && LOWORD(wParam) == kViewMessageBody && m_hWndBody != NULL)
        lResult = ::SendMessageA(m_hWndBody, WM_COMMAND, wParam, lParam);
    else
    {
        lResult = 0;
        return FALSE;
    }
    return TRUE;
}

HWND CBodyOwnerWindow::CreateOwner()
{
    RECT rc = {40, 40, 680, 520};
    HWND hWnd = Create(NULL, rc, "Body owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
    m_hWndEdit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 430, 200, 20, hWnd, NULL,
                                   NULL, NULL);
    return hWnd;
}

int CBodyOwnerWindow::EnabledState(WORD wID) const
{
    for (auto it = m_enabled.rbegin(); it != m_enabled.rend(); ++it)
        if (it->first == wID)
            return it->second;
    return -1;
}

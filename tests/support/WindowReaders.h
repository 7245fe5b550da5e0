// Readers that window tests use to see what a window shows, and the bounded wait for a condition.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls the condition until it holds or the time is up, pumping the calling thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& condition, DWORD dwTimeoutMs = 20000);

std::string WindowText(HWND hWnd);
std::string ClassNameOf(HWND hWnd);
RECT WindowRect(HWND hWnd);
// True when the dialog is owned by the window and opens over it: its top-left corner lies inside the window.
bool OpensOver(HWND hWndDialog, HWND hWndOwner);
// A visible window of the calling thread made the foreground one while it lives, so that the windows of
// other threads are not active: what they open then finds no active window to stand over.
class CForegroundElsewhere
{
public:
    CForegroundElsewhere();
    ~CForegroundElsewhere();
    CForegroundElsewhere(const CForegroundElsewhere&) = delete;
    CForegroundElsewhere& operator=(const CForegroundElsewhere&) = delete;
    HWND m_hWnd;
};
// A descendant of the given window class (first in Z order, depth first), or NULL.
HWND FindChildByClass(HWND hWndParent, const char* pszClass);
// The visible top-level windows of a thread, optionally of one class.
std::vector<HWND> ThreadWindows(DWORD dwThreadId, const char* pszClass = NULL);

// Rows of cells: every column's text for every item.
std::vector<std::vector<std::string>> ListViewItems(HWND hWndList);

struct TreeItem
{
    int nDepth;
    std::string strText;
};
// Every item in display order, expanded or not.
std::vector<TreeItem> TreeViewItems(HWND hWndTree);

// TBSTATE_* flags of a toolbar button, or -1 when the toolbar has no such button.
int ToolBarButtonState(HWND hWndToolBar, int nID);
// The texts of a toolbar's buttons in order; separators give "".
std::vector<std::string> ToolBarButtonTexts(HWND hWndToolBar);

// Sends the frame WM_INITMENUPOPUP for the popup at nPopup of its menu bar (or the given menu), as opening
// it would, then returns the MF_* state of the item nID in it; -1 when there is no such item.
int MenuItemStateAfterInit(HWND hWndFrame, HMENU hMenuBar, int nPopup, UINT nID);

// A status bar's text of one pane; in simple mode, the simple text.
std::string StatusBarText(HWND hWndStatus, int nPane = 0);

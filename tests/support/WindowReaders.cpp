// Readers that window tests use to see what a window shows, and the bounded wait for a condition.
#include "tests/support/WindowReaders.h"

#include <commctrl.h>

bool WaitFor(const std::function<bool()>& condition, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (::GetTickCount() - dwStart >= dwTimeoutMs)
            return condition();
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

std::string WindowText(HWND hWnd)
{
    int nLen = (int)::SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::string str(nLen + 1, '\0');
    int nRead = (int)::SendMessageA(hWnd, WM_GETTEXT, nLen + 1, (LPARAM)&str[0]);
    str.resize(nRead > 0 ? nRead : 0);
    return str;
}

std::string ClassNameOf(HWND hWnd)
{
    char sz[256] = "";
    ::GetClassNameA(hWnd, sz, sizeof(sz));
    return sz;
}

RECT WindowRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

bool OpensOver(HWND hWndDialog, HWND hWndOwner)
{
    if (::GetWindow(hWndDialog, GW_OWNER) != hWndOwner)
        return false;
    RECT rcDialog = WindowRect(hWndDialog);
    RECT rcOwner = WindowRect(hWndOwner);
    POINT pt = {rcDialog.left, rcDialog.top};
    return ::PtInRect(&rcOwner, pt) != FALSE;
}

CForegroundElsewhere::CForegroundElsewhere()
{
    m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 1100, 900, 60, 40,
                               NULL, NULL, ::GetModuleHandleA(nullptr), nullptr);
    ::SetForegroundWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
}

CForegroundElsewhere::~CForegroundElsewhere()
{
    ::DestroyWindow(m_hWnd);
}

HWND FindChildByClass(HWND hWndParent, const char* pszClass)
{
    for (HWND hChild = ::GetWindow(hWndParent, GW_CHILD); hChild != NULL;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (lstrcmpiA(ClassNameOf(hChild).c_str(), pszClass) == 0)
            return hChild;
        HWND hFound = FindChildByClass(hChild, pszClass);
        if (hFound != NULL)
            return hFound;
    }
    return NULL;
}

struct ThreadWindowsSearch
{
    const char* pszClass;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectThreadWindow(HWND hWnd, LPARAM lParam)
{
    ThreadWindowsSearch* pSearch = (ThreadWindowsSearch*)lParam;
    // A thread id is reused once its thread has ended, by any process: only windows of ours count, or a
    // responder outliving its thread would answer another test program's dialogs.
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != ::GetCurrentProcessId())
        return TRUE;
    if (::IsWindowVisible(hWnd) &&
        (pSearch->pszClass == NULL || lstrcmpiA(ClassNameOf(hWnd).c_str(), pSearch->pszClass) == 0))
        pSearch->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ThreadWindows(DWORD dwThreadId, const char* pszClass)
{
    ThreadWindowsSearch search = {pszClass, {}};
    ::EnumThreadWindows(dwThreadId, CollectThreadWindow, (LPARAM)&search);
    return search.found;
}

static std::string ListViewCell(HWND hWndList, int nItem, int nSubItem)
{
    std::string str(1024, '\0');
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = &str[0];
    item.cchTextMax = (int)str.size();
    int nLen = (int)::SendMessageA(hWndList, LVM_GETITEMTEXTA, nItem, (LPARAM)&item);
    str.resize(nLen > 0 ? nLen : 0);
    return str;
}

std::vector<std::vector<std::string>> ListViewItems(HWND hWndList)
{
    std::vector<std::vector<std::string>> rows;
    HWND hWndHeader = (HWND)::SendMessageA(hWndList, LVM_GETHEADER, 0, 0);
    int nColumns = hWndHeader ? (int)::SendMessageA(hWndHeader, HDM_GETITEMCOUNT, 0, 0) : 1;
    if (nColumns < 1)
        nColumns = 1;
    int nItems = (int)::SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < nItems; i++)
    {
        std::vector<std::string> row;
        for (int c = 0; c < nColumns; c++)
            row.push_back(ListViewCell(hWndList, i, c));
        rows.push_back(row);
    }
    return rows;
}

static void CollectTreeItems(HWND hWndTree, HTREEITEM hItem, int nDepth, std::vector<TreeItem>& items)
{
    for (; hItem != NULL;
         hItem = (HTREEITEM)::SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)hItem))
    {
        char sz[1024] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = sz;
        item.cchTextMax = sizeof(sz);
        ::SendMessageA(hWndTree, TVM_GETITEMA, 0, (LPARAM)&item);
        items.push_back({nDepth, sz});
        HTREEITEM hChild = (HTREEITEM)::SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)hItem);
        CollectTreeItems(hWndTree, hChild, nDepth + 1, items);
    }
}

std::vector<TreeItem> TreeViewItems(HWND hWndTree)
{
    std::vector<TreeItem> items;
    HTREEITEM hRoot = (HTREEITEM)::SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    CollectTreeItems(hWndTree, hRoot, 0, items);
    return items;
}

int ToolBarButtonState(HWND hWndToolBar, int nID)
{
    return (int)::SendMessageA(hWndToolBar, TB_GETSTATE, nID, 0);
}

std::vector<std::string> ToolBarButtonTexts(HWND hWndToolBar)
{
    std::vector<std::string> texts;
    int nCount = (int)::SendMessageA(hWndToolBar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < nCount; i++)
    {
        TBBUTTON button = {};
        ::SendMessageA(hWndToolBar, TB_GETBUTTON, i, (LPARAM)&button);
        char sz[512] = "";
        if (!(button.fsStyle & BTNS_SEP))
            ::SendMessageA(hWndToolBar, TB_GETBUTTONTEXTA, button.idCommand, (LPARAM)sz);
        texts.push_back(sz);
    }
    return texts;
}

int MenuItemStateAfterInit(HWND hWndFrame, HMENU hMenuBar, int nPopup, UINT nID)
{
    if (hMenuBar == NULL)
        hMenuBar = ::GetMenu(hWndFrame);
    HMENU hPopup = ::GetSubMenu(hMenuBar, nPopup);
    if (hPopup == NULL)
        return -1;
    ::SendMessageA(hWndFrame, WM_INITMENUPOPUP, (WPARAM)hPopup, MAKELPARAM(nPopup, FALSE));
    UINT nState = ::GetMenuState(hPopup, nID, MF_BYCOMMAND);
    return nState == (UINT)-1 ? -1 : (int)nState;
}

std::string StatusBarText(HWND hWndStatus, int nPane)
{
    int nLen = LOWORD(::SendMessageA(hWndStatus, SB_GETTEXTLENGTHA, nPane, 0));
    std::string str(nLen + 1, '\0');
    ::SendMessageA(hWndStatus, SB_GETTEXTA, nPane, (LPARAM)&str[0]);
    str.resize(strlen(str.c_str()));
    return str;
}

// Pane title toolbars.
#include "ui/main/PaneTitle.h"

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "resources/resource.h"
#include "ui/main/MainCommands.h"

HWND CPaneTitle::Create(HWND hWndParent, const char* pszTitle, WORD nTitleCommand, WORD nCloseCommand,
                        bool bDropDown)
{
    Destroy();
    m_strTitle = pszTitle;
    m_hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "Folders Title",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | CCS_TOP | CCS_NORESIZE | CCS_NOPARENTALIGN |
                                   TBSTYLE_FLAT | TBSTYLE_LIST,
                               0, 0, 100, 24, hWndParent, NULL, GetResourceModule(), NULL);
    if (m_hWnd == NULL)
        return NULL;
    ::SendMessageA(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    if (bDropDown)
        ::SendMessageA(m_hWnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    TBBUTTON buttons[3] = {};
    buttons[0].iBitmap = I_IMAGENONE;
    buttons[0].idCommand = nTitleCommand;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | (bDropDown ? BTNS_DROPDOWN : 0);
    buttons[0].iString = (INT_PTR)(const char*)m_strTitle;
    buttons[1].iBitmap = I_IMAGENONE;
    buttons[1].idCommand = ID_TITLE_BUTTON_2;
    buttons[1].fsState = TBSTATE_INDETERMINATE;
    buttons[1].fsStyle = BTNS_BUTTON;
    buttons[1].iString = (INT_PTR) "";
    buttons[2].iBitmap = I_IMAGENONE;
    buttons[2].idCommand = nCloseCommand;
    buttons[2].fsState = TBSTATE_ENABLED;
    buttons[2].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
    buttons[2].iString = (INT_PTR) "X";
    ::SendMessageA(m_hWnd, TB_ADDBUTTONSA, 3, (LPARAM)buttons);
    ::SendMessageA(m_hWnd, TB_AUTOSIZE, 0, 0);
    SIZE size = {};
    ::SendMessageA(m_hWnd, TB_GETMAXSIZE, 0, (LPARAM)&size);
    RECT rcButton = {};
    ::SendMessageA(m_hWnd, TB_GETITEMRECT, 0, (LPARAM)&rcButton);
    int cy = rcButton.bottom - rcButton.top + 2 * ::GetSystemMetrics(SM_CYBORDER) + 2;
    ::SetWindowPos(m_hWnd, NULL, 0, 0, 100, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return m_hWnd;
}

void CPaneTitle::Destroy()
{
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = NULL;
}

int CPaneTitle::Height() const
{
    if (m_hWnd == NULL)
        return 0;
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    return rc.bottom - rc.top;
}

void CPaneTitle::Resize(int w)
{
    if (m_hWnd == NULL)
        return;
    ::SetWindowPos(m_hWnd, NULL, 0, 0, w, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rcTitle = {}, rcClose = {};
    ::SendMessageA(m_hWnd, TB_GETITEMRECT, 0, (LPARAM)&rcTitle);
    ::SendMessageA(m_hWnd, TB_GETITEMRECT, 2, (LPARAM)&rcClose);
    int nSpacer = w - (rcTitle.right - rcTitle.left) - (rcClose.right - rcClose.left);
    if (nSpacer < 0)
        return;
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_SIZE;
    info.cx = (WORD)nSpacer;
    ::SendMessageA(m_hWnd, TB_SETBUTTONINFOA, ID_TITLE_BUTTON_2, (LPARAM)&info);
}

LRESULT CPaneTitle::OnNotify(NMHDR* pnmh, BOOL& bHandled)
{
    bHandled = FALSE;
    if (pnmh->hwndFrom != m_hWnd)
        return 0;
    if (pnmh->code == TBN_HOTITEMCHANGE)
    {
        HWND hActive = ::GetActiveWindow();
        DWORD dwProcess = 0;
        if (hActive != NULL)
            ::GetWindowThreadProcessId(hActive, &dwProcess);
        if (!::IsWindowEnabled(::GetParent(m_hWnd)) || dwProcess != ::GetCurrentProcessId())
        {
            bHandled = TRUE;
            return 1;
        }
        return 0;
    }
    if (pnmh->code == TBN_DROPDOWN)
    {
        NMTOOLBARA* pToolBar = reinterpret_cast<NMTOOLBARA*>(pnmh);
        RECT rc = {};
        ::SendMessageA(m_hWnd, TB_GETRECT, pToolBar->iItem, (LPARAM)&rc);
        ::MapWindowPoints(m_hWnd, HWND_DESKTOP, (POINT*)&rc, 2);
        HMENU hMenu = ::LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(IDR_CONTACTS_TITLE_MENU));
        if (hMenu != NULL)
        {
            TPMPARAMS params = {sizeof(params), rc};
            ::TrackPopupMenuEx(::GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, m_hWnd,
                               &params);
            ::DestroyMenu(hMenu);
        }
        bHandled = TRUE;
        return TBDDRET_DEFAULT;
    }
    return 0;
}

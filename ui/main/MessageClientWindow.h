// The client window of a message window: holds the message dialog, fills it with the dialog and hands it
// every command.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>

#include <functional>

class CMessageClientWindow : public CWindowImpl<CMessageClientWindow>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaMessageClient", 0, COLOR_BTNFACE)

    BEGIN_MSG_MAP(CMessageClientWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // pfnCreateDialog creates the dialog as a child of the given window and returns it.
    explicit CMessageClientWindow(std::function<HWND(HWND)> pfnCreateDialog)
        : m_pfnCreateDialog(std::move(pfnCreateDialog))
    {
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    HWND m_hWndDialog = NULL;

private:
    std::function<HWND(HWND)> m_pfnCreateDialog;
};

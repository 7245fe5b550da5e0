// The title bar of the Folders and Contacts panes: a text button, a spacer and an "X" at the right edge.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CPaneTitle
{
public:
    // The Contacts title's first button drops down menu 202.
    HWND Create(HWND hWndParent, const char* pszTitle, WORD nTitleCommand, WORD nCloseCommand, bool bDropDown);
    void Destroy();
    // Moves the title to the top of a pane of width w; the spacer keeps "X" at the right edge.
    void Resize(int w);
    int Height() const;
    // The drop-down of the Contacts title; the hot-item refusal.
    LRESULT OnNotify(NMHDR* pnmh, BOOL& bHandled);

    HWND m_hWnd = NULL;

private:
    CString m_strTitle;
};

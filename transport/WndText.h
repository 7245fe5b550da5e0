// A plain window that shows a text in an edit control filling its client area: the attached file of an
// error report.
#pragma once

#include <atlwin.h>

class CWndText : public ATL::CWindowImpl<CWndText, ATL::CWindow, ATL::CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("OrbWndText")
    BEGIN_MSG_MAP(CWndText)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
    END_MSG_MAP()

    // A text too long for the edit control is cut, after a notice. Shown over the given window.
    HWND Create(HWND hWndParent, const char* pszText);

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);

    HWND m_hWndEdit = NULL;

private:
    CString m_strText;
};

// The Find dialog of the compose window's edit controls; what was searched for last is kept for the
// whole process.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Where the text occurs: down, from the end of the selection; up, the last occurrence that begins before
// the selection start. -1 when it does not occur. Without bMatchCase both are compared upper-cased.
int FindTextIn(const CString& strText, const CString& strWhat, bool bMatchCase, bool bDown, int nSelStart,
               int nSelEnd);

class CDlgFind
{
public:
    // Runs dialog 112 over the edit control; a found text is selected in it (rich edit: EM_EXSETSEL).
    static INT_PTR Run(HWND hWndEdit, bool bRichEdit);

    static CString s_strLast;
    static bool s_bMatchCase;
    static bool s_bDown;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool FindNext(HWND hWndDlg);

    HWND m_hWndEdit;
    bool m_bRichEdit;
};

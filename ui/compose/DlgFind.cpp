// The Find dialog of the compose window's edit controls.
#include "ui/compose/DlgFind.h"

#include <richedit.h>

#include "foundation/ErrorUtil.h"
#include "resources/resource.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeTexts.h"

CString CDlgFind::s_strLast;
bool CDlgFind::s_bMatchCase = false;
bool CDlgFind::s_bDown = true;

int FindTextIn(const CString& strText, const CString& strWhat, bool bMatchCase, bool bDown, int nSelStart,
               int nSelEnd)
{
    if (strWhat.IsEmpty())
        return -1;
    CString strHay = strText, strNeedle = strWhat;
    if (!bMatchCase)
    {
        strHay.MakeUpper();
        strNeedle.MakeUpper();
    }
    if (bDown)
        return strHay.Find(strNeedle, nSelEnd < 0 ? 0 : nSelEnd);
    int nFound = -1;
    for (int nAt = strHay.Find(strNeedle); nAt >= 0 && nAt < nSelStart; nAt = strHay.Find(strNeedle, nAt + 1))
        nFound = nAt;
    return nFound;
}

INT_PTR CDlgFind::Run(HWND hWndEdit, bool bRichEdit)
{
    CDlgFind dialog;
    dialog.m_hWndEdit = hWndEdit;
    dialog.m_bRichEdit = bRichEdit;
    return ::DialogBoxParamA(GetResourceModule(), MAKEINTRESOURCEA(IDD_COMPOSE_FIND), ::GetParent(hWndEdit),
                             DialogProc, (LPARAM)&dialog);
}

bool CDlgFind::FindNext(HWND hWndDlg)
{
    char szWhat[1024] = "";
    ::GetDlgItemTextA(hWndDlg, IDC_FINDTEXT_WHAT, szWhat, sizeof(szWhat));
    s_strLast = szWhat;
    s_bMatchCase = ::IsDlgButtonChecked(hWndDlg, IDC_FINDTEXT_MATCH_CASE) == BST_CHECKED;
    s_bDown = ::IsDlgButtonChecked(hWndDlg, IDC_FINDTEXT_UP) != BST_CHECKED;

    int nLength = ::GetWindowTextLengthA(m_hWndEdit);
    CString strText;
    ::GetWindowTextA(m_hWndEdit, strText.GetBuffer(nLength + 1), nLength + 1);
    strText.ReleaseBuffer();
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageA(m_hWndEdit, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    int nFound = FindTextIn(strText, s_strLast, s_bMatchCase, s_bDown, (int)dwStart, (int)dwEnd);
    if (nFound < 0)
    {
        AppMessageBox(ComposeText::kStringNotFound, MB_ICONEXCLAMATION, hWndDlg);
        return false;
    }
    ::EndDialog(hWndDlg, IDOK);
    ::SetFocus(m_hWndEdit);
    if (m_bRichEdit)
    {
        CHARRANGE range = {nFound, nFound + s_strLast.GetLength()};
        ::SendMessageA(m_hWndEdit, EM_EXSETSEL, 0, (LPARAM)&range);
    }
    else
    {
        ::SendMessageA(m_hWndEdit, EM_SETSEL, nFound, nFound + s_strLast.GetLength());
        ::SendMessageA(m_hWndEdit, EM_SCROLLCARET, 0, 0);
    }
    return true;
}

INT_PTR CALLBACK CDlgFind::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    try
    {
        switch (uMsg)
        {
        case WM_INITDIALOG:
            ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
            ::SetDlgItemTextA(hWnd, IDC_FINDTEXT_WHAT, s_strLast);
            ::CheckDlgButton(hWnd, IDC_FINDTEXT_MATCH_CASE, s_bMatchCase ? BST_CHECKED : BST_UNCHECKED);
            ::CheckRadioButton(hWnd, IDC_FINDTEXT_UP, IDC_FINDTEXT_DOWN, s_bDown ? IDC_FINDTEXT_DOWN : IDC_FINDTEXT_UP);
            ::EnableWindow(::GetDlgItem(hWnd, IDOK), !s_strLast.IsEmpty());
            return TRUE;
        case WM_COMMAND:
        {
            CDlgFind* pThis = reinterpret_cast<CDlgFind*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
            if (LOWORD(wParam) == IDC_FINDTEXT_WHAT && HIWORD(wParam) == EN_CHANGE)
                ::EnableWindow(::GetDlgItem(hWnd, IDOK), ::GetWindowTextLengthA(::GetDlgItem(hWnd, IDC_FINDTEXT_WHAT)) > 0);
            else if (LOWORD(wParam) == IDOK && pThis != NULL)
                pThis->FindNext(hWnd);
            else if (LOWORD(wParam) == IDCANCEL)
                ::EndDialog(hWnd, IDCANCEL);
            return TRUE;
        }
        }
    }
    catch (...)
    {
        ShowCaughtInCompose("CDlgFind::DialogProc()", hWnd);
    }
    return FALSE;
}

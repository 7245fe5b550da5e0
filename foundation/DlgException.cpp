// The exception dialog (resource 110).
#include "foundation/DlgException.h"

#include <atlcore.h>

#include "resources/resource.h"

CDlgException::CDlgException(const char* pszMessage, int nNumber, const char* pszSecond)
    : m_strMessage(pszMessage ? pszMessage : ""), m_nNumber(nNumber), m_strSecond(pszSecond ? pszSecond : "")
{
}

INT_PTR CDlgException::DoModal(HWND hWndOwner)
{
    return ::DialogBoxParamA(ATL::_AtlBaseModule.GetResourceInstance(), MAKEINTRESOURCEA(IDD_EXCEPTION),
                             hWndOwner, DialogProc, (LPARAM)this);
}

INT_PTR CALLBACK CDlgException::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        CDlgException* pThis = (CDlgException*)lParam;
        ::SetDlgItemTextA(hWnd, IDC_EXCEPTION_TEXT, pThis->m_strMessage);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_EMAIL_ME)
        {
            ::EndDialog(hWnd, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

// The error-report dialog (resource 115).
#include "foundation/DlgEmailMe.h"

#include <atlcore.h>

#include "resources/resource.h"

namespace
{
const int kDefaultValue = 1;
}

CDlgEmailMe::CDlgEmailMe(const char* pszText, const char* pszFile, int nValue)
    : m_strText(pszText ? pszText : ""), m_strFile(pszFile ? pszFile : ""),
      m_nValue(nValue ? nValue : kDefaultValue)
{
}

INT_PTR CDlgEmailMe::DoModal(HWND hWndOwner)
{
    return ::DialogBoxParamA(ATL::_AtlBaseModule.GetResourceInstance(), MAKEINTRESOURCEA(IDD_EMAIL_ME),
                             hWndOwner, DialogProc, (LPARAM)this);
}

INT_PTR CALLBACK CDlgEmailMe::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        CDlgEmailMe* pThis = (CDlgEmailMe*)lParam;
        ::SetDlgItemTextA(hWnd, IDC_EMAIL_ME_TEXT, pThis->m_strText);
        ::SetDlgItemTextA(hWnd, IDC_EMAIL_ME_FILE, pThis->m_strFile);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)
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

// The logon dialog of a refused POP3 password: server shown, user name and password asked again.
#include "transport/DlgLogon.h"

#include <string.h>

#include "foundation/DlgFields.h"

namespace
{
const int kFieldSize = 101;
}

CDlgLogon::CDlgLogon(const char* pszServer, char* pszUser, int nUserSize, char* pszPassword, int nPasswordSize)
    : m_strServer(pszServer), m_pszUser(pszUser), m_nUserSize(nUserSize), m_pszPassword(pszPassword),
      m_nPasswordSize(nPasswordSize)
{
}

LRESULT CDlgLogon::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CenterWindow(GetParent());
    SetDlgItemText(IDC_LOGON_SERVER, m_strServer);
    SetDlgItemText(IDC_LOGON_USER, m_pszUser);
    SetDlgItemText(IDC_LOGON_PASSWORD, m_pszPassword);
    return TRUE;
}

LRESULT CDlgLogon::OnOK(WORD, WORD, HWND, BOOL&)
{
    CDlgFields fields(this);
    if (!fields.GetText(IDC_LOGON_USER, m_pszUser, m_nUserSize, IDC_LOGON_USER_LABEL, TRUE) ||
        !fields.GetText(IDC_LOGON_PASSWORD, m_pszPassword, m_nPasswordSize, IDC_LOGON_PASSWORD_LABEL, FALSE))
        return 0;
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgLogon::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

INT_PTR CDlgLogon::Prompt(HWND hWndParent, const char* pszServer, CString& strUser, CString& strPassword)
{
    char szUser[kFieldSize] = {};
    char szPassword[kFieldSize] = {};
    strncpy(szUser, strUser, kFieldSize - 1);
    strncpy(szPassword, strPassword, kFieldSize - 1);
    CDlgLogon dlg(pszServer, szUser, kFieldSize, szPassword, kFieldSize);
    const INT_PTR nResult = dlg.DoModal(hWndParent);
    if (nResult == IDOK)
    {
        strUser = szUser;
        strPassword = szPassword;
    }
    return nResult;
}

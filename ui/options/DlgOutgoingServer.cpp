// The outgoing mail server's log-on dialog.
#include "ui/options/DlgOutgoingServer.h"

#include "foundation/DlgFields.h"

namespace
{
const LONG kFlagOwnSmtpLogon = 0x200;
}

LRESULT CDlgOutgoingServer::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    bool bOwn = (m_record.m_Flags & kFlagOwnSmtpLogon) != 0;
    ::CheckRadioButton(m_hWnd, IDC_OUTGOING_SAME, IDC_OUTGOING_LOG_ON,
                       bOwn ? IDC_OUTGOING_LOG_ON : IDC_OUTGOING_SAME);
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_USER, m_record.m_szSMTPAccountName);
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_PASSWORD, m_record.m_szSMTPPass);
    BOOL bHandled = TRUE;
    OnChoice(0, 0, NULL, bHandled);
    return TRUE;
}

LRESULT CDlgOutgoingServer::OnChoice(WORD, WORD, HWND, BOOL&)
{
    BOOL bSame = ::IsDlgButtonChecked(m_hWnd, IDC_OUTGOING_SAME) == BST_CHECKED;
    ::SendMessageA(GetDlgItem(IDC_ACCOUNT_USER), EM_SETREADONLY, bSame, 0);
    ::SendMessageA(GetDlgItem(IDC_ACCOUNT_PASSWORD), EM_SETREADONLY, bSame, 0);
    return 0;
}

LRESULT CDlgOutgoingServer::OnOK(WORD, WORD, HWND, BOOL&)
{
    bool bOwn = ::IsDlgButtonChecked(m_hWnd, IDC_OUTGOING_LOG_ON) == BST_CHECKED;
    if (bOwn)
    {
        char szUser[101], szPassword[101];
        CDlgFields fields(this);
        if (!fields.GetText(IDC_ACCOUNT_USER, szUser, sizeof(szUser), IDC_ACCOUNT_USER_LABEL, TRUE) ||
            !fields.GetText(IDC_ACCOUNT_PASSWORD, szPassword, sizeof(szPassword), IDC_ACCOUNT_PASSWORD_LABEL,
                            FALSE))
            return 0;
        lstrcpynA(m_record.m_szSMTPAccountName, szUser, sizeof(m_record.m_szSMTPAccountName));
        lstrcpynA(m_record.m_szSMTPPass, szPassword, sizeof(m_record.m_szSMTPPass));
        m_record.m_Flags |= kFlagOwnSmtpLogon;
    }
    else
        m_record.m_Flags &= ~kFlagOwnSmtpLogon;
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgOutgoingServer::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

// The account pages: what each shows of the record and how it stores it.
#include "ui/options/AccountPages.h"

#include <commctrl.h>

#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "ui/options/AccountWizard.h"
#include "ui/options/DlgOutgoingServer.h"

namespace
{
const LONG kFlagAuthentication = 0x1;
const LONG kFlagRememberPassword = 0x2;
const LONG kFlagIncludeWhenReceiving = 0x4;
const LONG kFlagLeaveCopy = 0x8;
const LONG kFlagRemoveWhenDeleted = 0x10;
const LONG kFlagRemoveAfter = 0x40;

void SetBit(LONG& nFlags, LONG nBit, bool bOn)
{
    nFlags = bOn ? (nFlags | nBit) : (nFlags & ~nBit);
}

bool Checked(HWND hDlg, int nId)
{
    return ::IsDlgButtonChecked(hDlg, nId) == BST_CHECKED;
}

void Check(HWND hDlg, int nId, bool bOn)
{
    ::CheckDlgButton(hDlg, nId, bOn ? BST_CHECKED : BST_UNCHECKED);
}

void Enable(HWND hDlg, int nId, bool bOn)
{
    ::EnableWindow(::GetDlgItem(hDlg, nId), bOn);
}
} // namespace

LRESULT CPageAccountName::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_DISPLAY_NAME, m_pRecord->m_szDisplayName);
    Check(m_hWnd, IDC_ACCOUNT_INCLUDE, (m_pRecord->m_Flags & kFlagIncludeWhenReceiving) != 0);
    return TRUE;
}

bool CPageAccountName::Store()
{
    if (!IsWindow())
        return true;
    if (!StoreField(IDC_ACCOUNT_DISPLAY_NAME, IDC_ACCOUNT_DISPLAY_NAME_LABEL, true,
                   m_pRecord->m_szDisplayName))
        return false;
    SetBit(m_pRecord->m_Flags, kFlagIncludeWhenReceiving, Checked(m_hWnd, IDC_ACCOUNT_INCLUDE));
    return true;
}

LRESULT CPageAccountAddress::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_EMAIL, m_pRecord->m_szEmailAddress);
    return TRUE;
}

bool CPageAccountAddress::Store()
{
    if (!IsWindow())
        return true;
    return StoreField(IDC_ACCOUNT_EMAIL, IDC_ACCOUNT_EMAIL_LABEL, true, m_pRecord->m_szEmailAddress);
}

LRESULT CPageAccountServers::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND hCombo = GetDlgItem(IDC_ACCOUNT_SERVER_TYPE);
    for (const char* pszName : AccountText::kServerTypeNames)
        ::SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM)pszName);
    ::SendMessageA(hCombo, CB_SETCURSEL, m_pRecord->m_IncomingServerType == INCOMING_SERVER_IMAP ? 1 : 0, 0);
    // The type decides the folders and the bookkeeping an account already has: chosen once.
    ::EnableWindow(hCombo, m_bWizard);
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_INCOMING, m_pRecord->m_szPOP3);
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_OUTGOING, m_pRecord->m_szSMTP);
    return TRUE;
}

bool CPageAccountServers::Store()
{
    if (!IsWindow())
        return true;
    char szType[16] = "";
    ::GetDlgItemTextA(m_hWnd, IDC_ACCOUNT_SERVER_TYPE, szType, sizeof(szType));
    m_pRecord->m_IncomingServerType =
        strcmp(szType, AccountText::kServerTypeNames[1]) == 0 ? INCOMING_SERVER_IMAP : INCOMING_SERVER_POP3;
    return StoreField(IDC_ACCOUNT_INCOMING, IDC_ACCOUNT_INCOMING_LABEL, true, m_pRecord->m_szPOP3) &&
           StoreField(IDC_ACCOUNT_OUTGOING, IDC_ACCOUNT_OUTGOING_LABEL, true, m_pRecord->m_szSMTP);
}

LRESULT CPageAccountLogon::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_USER, m_pRecord->m_szAccountName);
    CString strPassword = m_pTable != NULL ? m_pTable->GetPassword(m_hWnd) : m_pRecord->GetPassword();
    ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_PASSWORD, strPassword);
    Check(m_hWnd, IDC_ACCOUNT_REMEMBER, (m_pRecord->m_Flags & kFlagRememberPassword) != 0);
    Check(m_hWnd, IDC_ACCOUNT_AUTHENTICATION, (m_pRecord->m_Flags & kFlagAuthentication) != 0);
    UpdateControls();
    return TRUE;
}

LRESULT CPageAccountLogon::OnStateChanged(WORD, WORD, HWND, BOOL&)
{
    UpdateControls();
    return 0;
}

void CPageAccountLogon::UpdateControls()
{
    ::SendMessageA(GetDlgItem(IDC_ACCOUNT_PASSWORD), EM_SETREADONLY, !Checked(m_hWnd, IDC_ACCOUNT_REMEMBER),
                   0);
    Enable(m_hWnd, IDC_ACCOUNT_SETTINGS, Checked(m_hWnd, IDC_ACCOUNT_AUTHENTICATION));
}

LRESULT CPageAccountLogon::OnSettings(WORD, WORD, HWND, BOOL&)
{
    CDlgOutgoingServer dlg(*m_pRecord);
    dlg.DoModal(m_hWnd);
    return 0;
}

bool CPageAccountLogon::Store()
{
    if (!IsWindow())
        return true;
    if (!StoreField(IDC_ACCOUNT_USER, IDC_ACCOUNT_USER_LABEL, true, m_pRecord->m_szAccountName))
        return false;
    bool bRemember = Checked(m_hWnd, IDC_ACCOUNT_REMEMBER);
    SetBit(m_pRecord->m_Flags, kFlagRememberPassword, bRemember);
    if (!bRemember)
        ::SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_PASSWORD, "");
    char szPassword[101];
    CDlgFields fields(this);
    if (!fields.GetText(IDC_ACCOUNT_PASSWORD, szPassword, sizeof(szPassword), IDC_ACCOUNT_PASSWORD_LABEL,
                        FALSE))
        return false;
    m_pRecord->SetPassword(szPassword);
    SecureZeroMemory(szPassword, sizeof(szPassword));
    SetBit(m_pRecord->m_Flags, kFlagAuthentication, Checked(m_hWnd, IDC_ACCOUNT_AUTHENTICATION));
    return true;
}

LONG CPageAccountAdvanced::DefaultIncomingPort() const
{
    return m_pRecord->m_IncomingServerType == INCOMING_SERVER_IMAP ? 143 : 110;
}

LRESULT CPageAccountAdvanced::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetDlgItemInt(m_hWnd, IDC_ACCOUNT_SMTP_PORT, m_pRecord->m_SMTPPort != 0 ? m_pRecord->m_SMTPPort : 25,
                    FALSE);
    ::SetDlgItemInt(m_hWnd, IDC_ACCOUNT_INCOMING_PORT,
                  m_pRecord->m_IncomingPort != 0 ? m_pRecord->m_IncomingPort : DefaultIncomingPort(), FALSE);
    ::SendMessageA(GetDlgItem(IDC_ACCOUNT_REMOVE_SPIN), UDM_SETRANGE32, 1, 100);
    ::SetDlgItemInt(m_hWnd, IDC_ACCOUNT_REMOVE_DAYS, m_pRecord->m_RemoveAfter, FALSE);
    Check(m_hWnd, IDC_ACCOUNT_LEAVE_COPY, (m_pRecord->m_Flags & kFlagLeaveCopy) != 0);
    Check(m_hWnd, IDC_ACCOUNT_REMOVE_DELETED, (m_pRecord->m_Flags & kFlagRemoveWhenDeleted) != 0);
    Check(m_hWnd, IDC_ACCOUNT_REMOVE_AFTER, (m_pRecord->m_Flags & kFlagRemoveAfter) != 0);
    BOOL bHandled = TRUE;
    OnLeaveCopy(0, 0, NULL, bHandled);
    return TRUE;
}

int CPageAccountAdvanced::OnSetActive()
{
    // IMAP keeps its messages on the server: the delivery choices are POP3's.
    const int delivery[] = {IDC_ACCOUNT_DELIVERY_GROUP, IDC_ACCOUNT_DELIVERY_TEXT, IDC_ACCOUNT_LEAVE_COPY,
                            IDC_ACCOUNT_REMOVE_AFTER,   IDC_ACCOUNT_REMOVE_DAYS,   IDC_ACCOUNT_REMOVE_SPIN,
                            IDC_ACCOUNT_REMOVE_DAYS_LABEL, IDC_ACCOUNT_REMOVE_DELETED};
    int nShow = m_pRecord->m_IncomingServerType == INCOMING_SERVER_IMAP ? SW_HIDE : SW_SHOW;
    for (int nId : delivery)
        ::ShowWindow(GetDlgItem(nId), nShow);
    return CPageAccountImpl<CPageAccountAdvanced>::OnSetActive();
}

LRESULT CPageAccountAdvanced::OnLeaveCopy(WORD, WORD, HWND, BOOL&)
{
    bool bLeave = Checked(m_hWnd, IDC_ACCOUNT_LEAVE_COPY);
    const int dependent[] = {IDC_ACCOUNT_REMOVE_AFTER, IDC_ACCOUNT_REMOVE_DAYS, IDC_ACCOUNT_REMOVE_SPIN,
                             IDC_ACCOUNT_REMOVE_DAYS_LABEL, IDC_ACCOUNT_REMOVE_DELETED};
    for (int nId : dependent)
        Enable(m_hWnd, nId, bLeave);
    return 0;
}

LRESULT CPageAccountAdvanced::OnUseDefaults(WORD, WORD, HWND, BOOL&)
{
    ::SetDlgItemInt(m_hWnd, IDC_ACCOUNT_SMTP_PORT, 25, FALSE);
    ::SetDlgItemInt(m_hWnd, IDC_ACCOUNT_INCOMING_PORT, DefaultIncomingPort(), FALSE);
    return 0;
}

bool CPageAccountAdvanced::ReadNumber(int nIdField, UINT nLow, UINT nHigh, const char* pszRange, UINT& nValue)
{
    BOOL bNumber = FALSE;
    nValue = ::GetDlgItemInt(m_hWnd, nIdField, &bNumber, FALSE);
    if (bNumber && nValue >= nLow && nValue <= nHigh)
        return true;
    if (!::IsWindowVisible(m_hWnd))
        ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(ID_SHOW_WINDOW, 0), (LPARAM)m_hWnd);
    AppMessageBox(pszRange, MB_ICONSTOP, m_hWnd);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(nIdField), TRUE);
    return false;
}

bool CPageAccountAdvanced::Store()
{
    if (!IsWindow())
        return true;
    UINT nSmtpPort = 0, nIncomingPort = 0, nDays = m_pRecord->m_RemoveAfter;
    if (!ReadNumber(IDC_ACCOUNT_SMTP_PORT, 0, 65535, AccountText::kPortOutOfRange, nSmtpPort) ||
        !ReadNumber(IDC_ACCOUNT_INCOMING_PORT, 0, 65535, AccountText::kPortOutOfRange, nIncomingPort))
        return false;
    bool bLeave = Checked(m_hWnd, IDC_ACCOUNT_LEAVE_COPY);
    bool bRemoveAfter = Checked(m_hWnd, IDC_ACCOUNT_REMOVE_AFTER);
    // The day count is a byte and only used with both boxes checked; otherwise the stored one stays.
    if (bLeave && bRemoveAfter &&
        !ReadNumber(IDC_ACCOUNT_REMOVE_DAYS, 1, 100, AccountText::kDaysOutOfRange, nDays))
        return false;
    m_pRecord->m_SMTPPort = (LONG)nSmtpPort;
    m_pRecord->m_IncomingPort = (LONG)nIncomingPort;
    m_pRecord->m_RemoveAfter = (BYTE)nDays;
    SetBit(m_pRecord->m_Flags, kFlagLeaveCopy, bLeave);
    SetBit(m_pRecord->m_Flags, kFlagRemoveWhenDeleted, Checked(m_hWnd, IDC_ACCOUNT_REMOVE_DELETED));
    SetBit(m_pRecord->m_Flags, kFlagRemoveAfter, bRemoveAfter);
    return true;
}

INT_PTR CPageAccountFinish::OnWizardFinish()
{
    return m_pSheet != NULL && m_pSheet->StoreAll() ? FALSE : TRUE;
}

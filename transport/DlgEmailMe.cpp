// The dialog that e-mails an error text, with a file attached, to the support mailbox.
#include "transport/DlgEmailMe.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Registry.h"
#include "foundation/TextServices.h"
#include "transport/DlgSending.h"
#include "transport/ErrorReportTexts.h"

CDlgEmailMe::CDlgEmailMe(const char* pszText, const char* pszFile, CRegistry* pSettings)
    : m_strText(pszText ? pszText : ""), m_strFile(pszFile ? pszFile : ""), m_pSettings(pSettings)
{
}

CRegistry* CDlgEmailMe::Settings() const
{
    return m_pSettings ? m_pSettings : g_pRegistry;
}

LRESULT CDlgEmailMe::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CenterWindow(GetParent());
    if (CRegistry* pSettings = Settings())
    {
        SetDlgItemText(IDC_EMAIL_ME_SERVER, pSettings->m_strEmailMeServer);
        SetDlgItemText(IDC_EMAIL_ME_FROM, pSettings->m_strEmailMeFrom);
        SetDlgItemText(IDC_EMAIL_ME_TO, pSettings->m_strEmailMeTo);
    }
    CString strText;
    strText.LoadString(IDS_ERROR_REPORT_SUBJECT);
    SetDlgItemText(IDC_EMAIL_ME_SUBJECT, strText);
    SetDlgItemText(IDC_EMAIL_ME_ATTACH, m_strFile);
    strText.LoadString(IDS_TYPE_YOUR_COMMENT);
    SetDlgItemText(IDC_EMAIL_ME_BODY, strText + m_strText);
    if (m_strFile.IsEmpty())
        ::EnableWindow(GetDlgItem(IDC_EMAIL_ME_VIEW), FALSE);
    return TRUE;
}

LRESULT CDlgEmailMe::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_WndText.m_hWnd && ::IsWindow(m_WndText.m_hWnd))
        m_WndText.DestroyWindow();
    bHandled = FALSE;
    return 0;
}

void CDlgEmailMe::AskForAddress(int nID)
{
    CString strFormat, strSupport, strText;
    strFormat.LoadString(IDS_TYPE_CORRECT_ADDRESS);
    strSupport.LoadString(IDS_SUPPORT_MAILBOX);
    strText.Format(strFormat, static_cast<const char*>(strSupport));
    AppMessageBox(strText, MB_ICONEXCLAMATION, m_hWnd);
    GotoDlgCtrl(GetDlgItem(nID));
}

LRESULT CDlgEmailMe::OnSend(WORD, WORD, HWND, BOOL&)
{
    try
    {
        CString strServer, strFrom, strTo, strSubject, strBody;
        GetDlgItemText(IDC_EMAIL_ME_SERVER, strServer);
        GetDlgItemText(IDC_EMAIL_ME_FROM, strFrom);
        GetDlgItemText(IDC_EMAIL_ME_TO, strTo);
        GetDlgItemText(IDC_EMAIL_ME_SUBJECT, strSubject);
        GetDlgItemText(IDC_EMAIL_ME_BODY, strBody);

        CDlgSending::CAddress from, to;
        SplitAddress(strFrom, from.strName, from.strAddress);
        SplitAddress(strTo, to.strName, to.strAddress);
        if (from.strAddress.IsEmpty())
        {
            AskForAddress(IDC_EMAIL_ME_FROM);
            return 0;
        }
        if (to.strAddress.IsEmpty())
        {
            AskForAddress(IDC_EMAIL_ME_TO);
            return 0;
        }

        CDlgSending dlg(strServer, from, to, strSubject, strBody, m_strFile);
        if (dlg.DoModal(::GetActiveWindow()) == 2)
            return 0;
        if (CRegistry* pSettings = Settings())
        {
            pSettings->m_strEmailMeServer = strServer;
            pSettings->m_strEmailMeFrom = strFrom;
            pSettings->m_strEmailMeTo = strTo;
        }
        EndDialog(IDOK);
    }
    catch (CException* pException)
    {
        AppMessageBox(CString(ErrorReportText::kSmtpErrorResponse) + pException->m_strMessage, MB_ICONERROR,
                      m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    return 0;
}

LRESULT CDlgEmailMe::OnCancel(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}

LRESULT CDlgEmailMe::OnView(WORD, WORD, HWND, BOOL&)
{
    if (m_WndText.m_hWnd && ::IsWindow(m_WndText.m_hWnd))
    {
        m_WndText.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        m_WndText.SetFocus();
        return 0;
    }
    CString strContent;
    try
    {
        CFile file(m_strFile, CFile::modeRead | CFile::shareDenyNone);
        const DWORD dwLength = file.GetLength();
        char* pBuffer = strContent.GetBuffer(static_cast<int>(dwLength) + 1);
        const UINT nRead = file.Read(pBuffer, dwLength);
        strContent.ReleaseBuffer(static_cast<int>(nRead));
        file.Close();
    }
    catch (CFileException* pException)
    {
        char szError[255];
        pException->GetErrorMessage(szError, sizeof(szError));
        AppMessageBox(CString(ErrorReportText::kFileErrorPrefix) + pException->m_strFileName + "'\r\n" +
                          szError,
                      MB_ICONERROR, m_hWnd);
        delete pException;
        return 0;
    }
    m_WndText.Create(m_hWnd, strContent);
    return 0;
}

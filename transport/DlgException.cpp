// The exception dialog: the whole text of a failure, with a button that e-mails it.
#include "transport/DlgException.h"

#include "transport/DlgEmailMe.h"

CDlgException::CDlgException(const char* pszMessage, int nFlag, const char* pszDetail)
    : m_strMessage(pszMessage ? pszMessage : ""), m_strDetail(pszDetail ? pszDetail : ""), m_nFlag(nFlag)
{
}

LRESULT CDlgException::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CenterWindow(GetParent());
    SetDlgItemText(IDC_EXCEPTION_TEXT, m_strMessage);
    return TRUE;
}

LRESULT CDlgException::OnEmailMe(WORD, WORD, HWND, BOOL&)
{
    CDlgEmailMe dlg(m_strMessage, m_strDetail, NULL);
    dlg.DoModal(::GetActiveWindow());
    if (!m_strDetail.IsEmpty())
        ::DeleteFileA(m_strDetail);
    return 0;
}

LRESULT CDlgException::OnClose(WORD, WORD, HWND, BOOL&)
{
    EndDialog(2);
    return 0;
}

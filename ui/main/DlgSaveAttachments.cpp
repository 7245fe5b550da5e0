// The Save Attachments dialog.
#include "ui/main/DlgSaveAttachments.h"

#include <shlobj.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "ui/main/DlgVirusWarning.h"

char CDlgSaveAttachments::s_szLastFolder[MAX_PATH] = "";
CDlgSaveAttachments::FolderBrowser CDlgSaveAttachments::s_pfnBrowseForFolder = CDlgSaveAttachments::SystemBrowseForFolder;

namespace
{
CString LoadText(UINT nID)
{
    CString strText;
    strText.LoadString(nID);
    return strText;
}

// Starts the browser at the given folder and shows the folder under the cursor in its status line.
int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED && lpData != 0 && *(const char*)lpData != '\0')
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, lpData);
    else if (uMsg == BFFM_SELCHANGED)
    {
        char szPath[MAX_PATH] = "";
        if (::SHGetPathFromIDListA((LPCITEMIDLIST)lParam, szPath))
            ::SendMessageA(hWnd, BFFM_SETSTATUSTEXTA, 0, (LPARAM)szPath);
    }
    return 0;
}
} // namespace

CDlgSaveAttachments::CDlgSaveAttachments(CEmailsImpl<>* pMessage, HWND hWndParent)
    : m_pMessage(pMessage), m_hWndParent(hWndParent)
{
}

INT_PTR CDlgSaveAttachments::Run(CEmailsImpl<>* pMessage, HWND hWndParent)
{
    CDlgSaveAttachments dialog(pMessage, hWndParent);
    return dialog.DoModal(hWndParent);
}

bool CDlgSaveAttachments::SystemBrowseForFolder(HWND hWndOwner, const char* pszStart, CString& strFolder)
{
    CString strTitle = LoadText(IDS_SELECT_SAVE_FOLDER);
    char szDisplay[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = hWndOwner;
    info.pszDisplayName = szDisplay;
    info.lpszTitle = strTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)pszStart;
    LPITEMIDLIST pidl = ::SHBrowseForFolderA(&info);
    if (pidl == NULL)
        return false;
    char szPath[MAX_PATH] = "";
    BOOL bPath = ::SHGetPathFromIDListA(pidl, szPath);
    ::CoTaskMemFree(pidl);
    if (!bPath)
        return false;
    strFolder = szPath;
    return true;
}

LRESULT CDlgSaveAttachments::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        m_list.Attach(GetDlgItem(IDC_SAVE_ATTACHMENTS_LIST));
        m_list.m_bOpenOnDoubleClick = false;
        m_list.Init();
        if (m_pMessage != NULL)
        {
            m_pMessage->GetMessage();
            m_strFolder = m_pMessage->SaveMessageToTempFile();
            m_list.AddAttachment(m_strFolder, NULL);
        }
        SetDlgItemText(IDC_SAVE_TO, s_szLastFolder);
        EnableSelectionCommands();
        CenterWindow(GetParent());
    }
    catch (CException* pException)
    {
        CString strText = CString(SaveAttachmentsText::kErrorPrefix) + pException->m_strMessage;
        delete pException;
        AppMessageBox(strText, MB_ICONSTOP, m_hWnd);
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(SaveAttachmentsText::kErrorPrefix) + pszText, MB_ICONSTOP, m_hWnd);
    }
    catch (...)
    {
        AppMessageBox(SaveAttachmentsText::kOpenFailed, MB_ICONSTOP, m_hWnd);
    }
    return TRUE;
}

LRESULT CDlgSaveAttachments::OnItemChanged(int, LPNMHDR, BOOL&)
{
    EnableSelectionCommands();
    return 0;
}

LRESULT CDlgSaveAttachments::OnDoubleClick(int, LPNMHDR, BOOL&)
{
    PostMessage(WM_COMMAND, IDOK, 0);
    return 0;
}

LRESULT CDlgSaveAttachments::OnSave(WORD, WORD, HWND, BOOL&)
{
    if (m_list.GetSelectedCount() == 0)
    {
        AppMessageBoxId(IDS_SELECT_ATTACHMENT, MB_ICONINFORMATION, m_hWnd);
        return 0;
    }
    char szFolder[MAX_PATH + 1] = "";
    int nLength = ::GetDlgItemTextA(m_hWnd, IDC_SAVE_TO, szFolder, sizeof(szFolder));
    UINT nRefusal = nLength >= MAX_PATH ? IDS_PATH_TOO_LONG : nLength == 0 ? IDS_SAVE_TO_EMPTY : 0;
    if (nRefusal != 0)
    {
        AppMessageBoxId(nRefusal, MB_ICONERROR, m_hWnd);
        HWND hEdit = GetDlgItem(IDC_SAVE_TO);
        ::SetFocus(hEdit);
        ::SendMessageA(hEdit, EM_SETSEL, 0, -1);
        return 0;
    }
    lstrcpynA(s_szLastFolder, szFolder, MAX_PATH);
    std::vector<CString> failed;
    try
    {
        HCURSOR hOld = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
        SaveSelected(szFolder, failed);
        ::SetCursor(hOld);
    }
    catch (CException* pException)
    {
        CString strText = pException->m_strMessage;
        CString strDetail = pException->m_strDetail;
        delete pException;
        OfferErrorReport(strText, strDetail);
        return 0;
    }
    catch (const char* pszText)
    {
        OfferErrorReport(pszText, "");
        return 0;
    }
    if (!failed.empty())
    {
        CString strText = SaveAttachmentsText::kCopyFailed;
        for (const CString& strName : failed)
            strText += "\r\n" + strName;
        AppMessageBox(strText, MB_ICONERROR, m_hWnd);
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

void CDlgSaveAttachments::SaveSelected(const CString& strTarget, std::vector<CString>& failed)
{
    for (int nItem = m_list.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = m_list.GetNextItem(nItem, LVNI_SELECTED))
    {
        CString strName = m_list.GetItemFileName(nItem);
        CString strPath = strTarget + "\\" + strName;
        if (ConfirmReplaceFile(strPath) != IDYES)
            continue;
        CString strSource = m_list.GetItemFolder(nItem) + "\\" + strName;
        if (!::CopyFileA(strSource, strPath, FALSE))
            failed.push_back(strName);
    }
}

void CDlgSaveAttachments::OfferErrorReport(const CString& strText, const CString& strDetail)
{
    CString strProblem = strText + "\r\n\r\n" + strDetail;
    CString strFormat, strQuestion;
    strFormat.LoadString(IDS_EMAIL_ME_REPORT);
    strQuestion.Format(strFormat, (const char*)strProblem);
    if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONSTOP, m_hWnd) != IDYES)
        return;
    CString strPath = GetTempFolder() + SaveAttachmentsText::kReportFileName + SaveAttachmentsText::kReportFileExtension;
    try
    {
        if (m_pMessage != NULL)
            MessageText::SaveToFile(m_pMessage->GetMessage(), strPath);
    }
    catch (...)
    {
    }
    ShowErrorReportPrompt(strDetail, strPath);
    ::DeleteFileA(strPath);
}

LRESULT CDlgSaveAttachments::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgSaveAttachments::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    char szStart[MAX_PATH] = "";
    ::GetDlgItemTextA(m_hWnd, IDC_SAVE_TO, szStart, sizeof(szStart));
    CString strFolder;
    if (BrowseForFolder(m_hWnd, szStart, strFolder))
        SetDlgItemText(IDC_SAVE_TO, strFolder);
    return 0;
}

LRESULT CDlgSaveAttachments::OnSelectAll(WORD, WORD, HWND, BOOL&)
{
    for (int nItem = 0; nItem < m_list.GetItemCount(); nItem++)
        m_list.SetItemState(nItem, LVIS_SELECTED, LVIS_SELECTED);
    return 0;
}

LRESULT CDlgSaveAttachments::OnOpen(WORD, WORD, HWND, BOOL&)
{
    if (m_list.GetSelectedCount() == 0)
    {
        AppMessageBoxId(IDS_SELECT_ATTACHMENT, MB_ICONINFORMATION, m_hWnd);
        return 0;
    }
    try
    {
        for (int nItem = m_list.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
             nItem = m_list.GetNextItem(nItem, LVNI_SELECTED))
            CDlgVirusWarning::OpenAttachment(m_hWndParent, m_list.GetItemFolder(nItem),
                                             m_list.GetItemFileName(nItem));
    }
    catch (CException* pException)
    {
        CString strText = CString(SaveAttachmentsText::kErrorPrefix) + pException->m_strMessage;
        delete pException;
        AppMessageBox(strText, MB_ICONSTOP, m_hWnd);
    }
    return 0;
}

void CDlgSaveAttachments::EnableSelectionCommands()
{
    const BOOL bSelected = m_list.GetSelectedCount() > 0;
    ::EnableWindow(GetDlgItem(IDOK), bSelected);
    ::EnableWindow(GetDlgItem(IDC_SAVE_OPEN), bSelected);
}

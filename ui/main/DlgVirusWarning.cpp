// The virus warning and the opening of attachment files.
#include "ui/main/DlgVirusWarning.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/Texts.h"
#include "foundation/WindowMessages.h"
#include "platform/wtl/SystemSeams.h"
#include "ui/main/DlgSaveAttachments.h"

namespace
{
// The settings object: the owner's when it answers, else the process's own. Without an owner the question
// is still asked: the setting is the user's, not the caller's.
CRegistry* SettingsFor(HWND hWndOwner)
{
    CRegistry* pRegistry = NULL;
    if (hWndOwner != NULL)
        ::SendMessageA(hWndOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    return pRegistry != NULL ? pRegistry : g_pRegistry;
}
} // namespace

CDlgVirusWarning::CDlgVirusWarning(HWND hWndOwner, const char* pszFileName)
    : m_hWndOwner(hWndOwner), m_strFileName(pszFileName)
{
}

INT_PTR CDlgVirusWarning::OpenAttachment(HWND hWndOwner, const char* pszFolder, const char* pszFileName)
{
    CString strExtension = GetPathExtension(pszFileName);
    CRegistry* pRegistry = SettingsFor(hWndOwner);
    int nAsk = pRegistry != NULL ? pRegistry->GetProfileInt(VirusWarningText::kSection, strExtension, 1) : 1;
    if (nAsk == 0)
        return ShellOpen(pszFolder, pszFileName);
    CDlgVirusWarning dialog(hWndOwner, pszFileName);
    if (dialog.DoModal(::GetActiveWindow()) != IDOK)
        return 1;
    if (!dialog.m_bAlwaysAsk && pRegistry != NULL)
        pRegistry->WriteProfileInt(VirusWarningText::kSection, strExtension, 0);
    if (dialog.m_nChoice == 0)
        return ShellOpen(pszFolder, pszFileName);
    return SaveToDisk(pszFolder, pszFileName);
}

INT_PTR CDlgVirusWarning::ShellOpen(const char* pszFolder, const char* pszFileName)
{
    CString strPath = CString(pszFolder) + "\\" + pszFileName;
    INT_PTR nResult =
        (INT_PTR)CSystemSeams::ShellExecuteFile(NULL, "open", strPath, NULL, pszFolder, SW_SHOWNORMAL);
    if (nResult > 32)
        return nResult;
    const char* pszReason = FoundationText::kShellUnknown;
    for (const FoundationText::ShellResultText& entry : FoundationText::kShellResults)
    {
        if (entry.nResult == nResult)
            pszReason = entry.pszText;
    }
    AppMessageBox(strPath + "\r\n\r\n" + pszReason, MB_ICONSTOP, ::GetActiveWindow());
    return nResult;
}

INT_PTR CDlgVirusWarning::SaveToDisk(const char* pszFolder, const char* pszFileName)
{
    CString strFolder;
    if (!CDlgSaveAttachments::BrowseForFolder(::GetActiveWindow(), CDlgSaveAttachments::s_szLastFolder,
                                              strFolder))
        return 1;
    CString strTarget = strFolder;
    if (strTarget.Right(1) != "\\")
        strTarget += "\\";
    strTarget += pszFileName;
    if (ConfirmReplaceFile(strTarget) != IDYES)
        return 1;
    CString strSource = CString(pszFolder) + "\\" + pszFileName;
    if (!::CopyFileA(strSource, strTarget, FALSE))
        AppMessageBox(CString(SaveAttachmentsText::kCopyFailed) + pszFileName + "\r\n\r\n" + GetLastErrorText(),
                      MB_ICONSTOP, ::GetActiveWindow());
    return 1;
}

LRESULT CDlgVirusWarning::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetDlgItemText(IDC_VIRUS_FILE_NAME, m_strFileName);
    CheckRadioButton(IDC_VIRUS_OPEN_IT, IDC_VIRUS_SAVE_IT, IDC_VIRUS_OPEN_IT);
    CheckDlgButton(IDC_VIRUS_ALWAYS_ASK, BST_CHECKED);
    HWND hIcon = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, 10, 10,
                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), m_hWnd, NULL, NULL,
                                   NULL);
    ::SendMessageA(hIcon, STM_SETICON, (WPARAM)::LoadIcon(NULL, IDI_HAND), 0);
    CenterWindow(GetParent());
    return TRUE;
}

LRESULT CDlgVirusWarning::OnOK(WORD, WORD, HWND, BOOL&)
{
    m_nChoice = IsDlgButtonChecked(IDC_VIRUS_SAVE_IT) == BST_CHECKED ? 1 : 0;
    m_bAlwaysAsk = IsDlgButtonChecked(IDC_VIRUS_ALWAYS_ASK) == BST_CHECKED;
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgVirusWarning::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

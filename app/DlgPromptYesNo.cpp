// The Yes/No question that can be turned off.
#include "app/DlgPromptYesNo.h"

CDlgPromptYesNo::CDlgPromptYesNo(const char* pszQuestion, int bPromptAgain)
    : m_strQuestion(pszQuestion), m_bPromptAgain(bPromptAgain)
{
}

LRESULT CDlgPromptYesNo::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetDlgItemText(IDC_PROMPT_QUESTION, m_strQuestion);
    CheckDlgButton(IDC_DO_NOT_PROMPT, m_bPromptAgain ? BST_UNCHECKED : BST_CHECKED);
    CenterWindow(::GetDesktopWindow());
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

LRESULT CDlgPromptYesNo::OnAnswer(WORD, WORD wID, HWND, BOOL&)
{
    m_bPromptAgain = IsDlgButtonChecked(IDC_DO_NOT_PROMPT) == BST_CHECKED ? 0 : 1;
    EndDialog(wID == IDOK ? IDOK : IDCANCEL);
    return 0;
}

// Reads and checks dialog fields.
#include "foundation/DlgFields.h"

#include "foundation/ErrorUtil.h"
#include "foundation/ServiceString.h"
#include "foundation/Texts.h"

namespace
{
const int kLabelSize = 50;
}

CDlgFields::CDlgFields(CWindow* pDlg) : m_pDlg(pDlg)
{
}

BOOL CDlgFields::GetText(int nIdField, char* pszBuffer, int nSize, int nIdLabel, BOOL bRequired)
{
    if (pszBuffer == NULL || nSize <= 0)
        return FALSE;
    pszBuffer[0] = '\0';
    int nLength = (int)::GetDlgItemTextA(m_pDlg->m_hWnd, nIdField, pszBuffer, nSize);
    if (nLength >= nSize - 1)
    {
        ShowError(nIdField, FoundationText::kIdsFieldTooLarge, nIdLabel, nSize);
        return FALSE;
    }
    if (bRequired && nLength == 0)
    {
        ShowError(nIdField, FoundationText::kIdsFieldEmpty, nIdLabel, 0);
        return FALSE;
    }
    return TRUE;
}

BOOL CDlgFields::GetComboData(DWORD_PTR& dwData, int nIdCombo, int nIdLabel, BOOL bRequired)
{
    dwData = 0;
    HWND hWndCombo = ::GetDlgItem(m_pDlg->m_hWnd, nIdCombo);
    LRESULT nSelected = ::SendMessageA(hWndCombo, CB_GETCURSEL, 0, 0);
    if (nSelected == CB_ERR)
    {
        if (!bRequired)
            return TRUE;
        ShowError(nIdCombo, FoundationText::kIdsChoiceRequired, nIdLabel, 0);
        return FALSE;
    }
    dwData = (DWORD_PTR)::SendMessageA(hWndCombo, CB_GETITEMDATA, (WPARAM)nSelected, 0);
    return TRUE;
}

BOOL CDlgFields::IsChecked(int nIdControl)
{
    return ::IsDlgButtonChecked(m_pDlg->m_hWnd, nIdControl) != 0;
}

BOOL CDlgFields::IsCheckBoxChecked(HWND hWndCheck)
{
    return ::SendMessageA(hWndCheck, BM_GETCHECK, 0, 0) != 0;
}

void CDlgFields::ShowError(int nIdField, UINT nIdString, int nIdLabel, int nLimit)
{
    HWND hDlg = m_pDlg->m_hWnd;
    if (!::IsWindowVisible(hDlg))
        ::SendMessageA(::GetParent(hDlg), WM_COMMAND, MAKEWPARAM(ID_SHOW_WINDOW, 0), (LPARAM)hDlg);
    CString strFormat = LoadServiceString(nIdString);
    CString strLabel = GetLabel(nIdLabel);
    if (nLimit != 0)
        AppMessageBoxF(MB_ICONINFORMATION, strFormat, (const char*)strLabel, nLimit - 2);
    else
        AppMessageBoxF(MB_ICONINFORMATION, strFormat, (const char*)strLabel);
    ::SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)::GetDlgItem(hDlg, nIdField), TRUE);
}

CString CDlgFields::GetLabel(int nIdLabel)
{
    char szLabel[kLabelSize + 1] = "";
    if (nIdLabel != 0 && nIdLabel != 0xFFFF)
        ::GetDlgItemTextA(m_pDlg->m_hWnd, nIdLabel, szLabel, sizeof(szLabel));
    return szLabel;
}

// Reads and checks dialog fields, and complains about a refused one on the field itself.
#pragma once

#include <atlwin.h>

// Sent to a hidden dialog's parent (a property sheet) so that it shows the page holding a refused field.
#ifndef ID_SHOW_WINDOW
#define ID_SHOW_WINDOW 32786
#endif

class CDlgFields
{
public:
    explicit CDlgFields(CWindow* pDlg);

    // Refuses a text of nSize - 1 characters or more (the control filled the buffer) and an empty required
    // one. A label id of 0 or 65535 names no label.
    BOOL GetText(int nIdField, char* pszBuffer, int nSize, int nIdLabel, BOOL bRequired);
    // The selected entry's item data, 0 with nothing selected (refused when a choice is required).
    BOOL GetComboData(DWORD_PTR& dwData, int nIdCombo, int nIdLabel, BOOL bRequired);
    BOOL IsChecked(int nIdControl);
    static BOOL IsCheckBoxChecked(HWND hWndCheck);
    // Formats string nIdString with the label (and nLimit - 2 when a limit is given), shows it and puts
    // the focus on the field.
    void ShowError(int nIdField, UINT nIdString, int nIdLabel, int nLimit);

    CWindow* m_pDlg;

private:
    CString GetLabel(int nIdLabel);
};

// "Print Address Book": the range (all rows or the selected ones) and the style, of which only Memo shows.
#pragma once

#include <atlapp.h>
#include <atlwin.h>

#include "resources/resource.h"

class CDlgPrintAddressBook : public CDialogImpl<CDlgPrintAddressBook>
{
public:
    enum
    {
        IDD = IDD_PRINT_ADDRESS_BOOK
    };
    enum
    {
        kRangeAll = 0,
        kRangeSelection = 1
    };

    BEGIN_MSG_MAP(CDlgPrintAddressBook)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        CheckDlgButton(IDC_AB_PRINT_ALL + m_nRange, BST_CHECKED);
        CheckDlgButton(IDC_AB_PRINT_MEMO + m_nStyle, BST_CHECKED);
        return TRUE;
    }
    LRESULT OnOK(WORD, WORD, HWND, BOOL&)
    {
        m_nRange = IsDlgButtonChecked(IDC_AB_PRINT_ALL) ? kRangeAll : kRangeSelection;
        m_nStyle = IsDlgButtonChecked(IDC_AB_PRINT_CARD) ? 1 : IsDlgButtonChecked(IDC_AB_PRINT_PHONES) ? 2 : 0;
        EndDialog(IDOK);
        return 0;
    }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDCANCEL);
        return 0;
    }

    int m_nRange = kRangeSelection;
    int m_nStyle = 0;
};

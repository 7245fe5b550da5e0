// "Find People": six criteria kept, as typed, from one use to the next by every list of the process.
#pragma once

#include <atlapp.h>
#include <atlwin.h>

#include "resources/resource.h"

class CDlgFindPeople : public CDialogImpl<CDlgFindPeople>
{
public:
    enum
    {
        IDD = IDD_FIND_PEOPLE
    };

    BEGIN_MSG_MAP(CDlgFindPeople)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnFind)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    // Stores the six texts first; all empty keeps the dialog open.
    LRESULT OnFind(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // The process-wide texts (Name, E-mail, Company, Position, DDI, Mobile); read and written by the lists
    // under their shared lock, never while the dialog runs.
    struct CTexts
    {
        CString text[6];
        const CString& operator[](int i) const { return text[i]; }
        CString& operator[](int i) { return text[i]; }
    };
    static CTexts& SharedTexts();

    CTexts m_texts;
};

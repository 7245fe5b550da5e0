// CDlgPromptYesNo: a Yes/No question with a "Do not prompt in the future." box.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

// Ends with 1 (Yes) or 2 (No, also for closing the box).
class CDlgPromptYesNo : public CDialogImpl<CDlgPromptYesNo>
{
public:
    enum
    {
        IDD = IDD_PROMPT_YES_NO
    };

    BEGIN_MSG_MAP(CDlgPromptYesNo)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnAnswer)
        COMMAND_ID_HANDLER(IDCANCEL, OnAnswer)
    END_MSG_MAP()

    CDlgPromptYesNo(const char* pszQuestion, int bPromptAgain);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAnswer(WORD, WORD wID, HWND, BOOL&);

    CString m_strQuestion;
    // 1 while the box is clear: the question is asked again next time.
    int m_bPromptAgain;
};

// The exception dialog: the whole text of a failure, with a button that e-mails it to the support mailbox.
#pragma once

#include <atlwin.h>

#include "resources/resource.h"

class CDlgException : public ATL::CDialogImpl<CDlgException>
{
public:
    enum
    {
        IDD = IDD_EXCEPTION
    };
    BEGIN_MSG_MAP(CDlgException)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnEmailMe)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
    END_MSG_MAP()

    // The detail names a report file to attach, which is deleted once it has been offered; it may be empty.
    CDlgException(const char* pszMessage, int nFlag = 0, const char* pszDetail = NULL);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEmailMe(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(WORD, WORD, HWND, BOOL&);

    CString m_strMessage;
    CString m_strDetail;
    int m_nFlag;
};

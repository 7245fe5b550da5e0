// The logon dialog of a refused POP3 password: server shown, user name and password asked again.
#pragma once

#include <atlapp.h>
#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

class CDlgLogon : public CDialogImpl<CDlgLogon>
{
public:
    enum
    {
        IDD = IDD_LOGON
    };

    BEGIN_MSG_MAP(CDlgLogon)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    // Each buffer holds nSize characters with the terminator.
    CDlgLogon(const char* pszServer, char* pszUser, int nUserSize, char* pszPassword, int nPasswordSize);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // The prompt the POP3 client calls when it has no user name or password.
    static INT_PTR Prompt(HWND hWndParent, const char* pszServer, CString& strUser, CString& strPassword);

    CString m_strServer;
    char* m_pszUser;
    int m_nUserSize;
    char* m_pszPassword;
    int m_nPasswordSize;
};

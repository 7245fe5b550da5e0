// The exception dialog (resource 110): the whole report of an unexpected failure, until its full version.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CDlgException
{
public:
    CDlgException(const char* pszMessage, int nNumber = 0, const char* pszSecond = NULL);

    // Modal over the owner; returns IDCANCEL for "Close" and IDC_EMAIL_ME for "Email Me".
    INT_PTR DoModal(HWND hWndOwner);

    CString m_strMessage;
    int m_nNumber;
    CString m_strSecond;
};

// The error-report dialog (resource 115): the report and the file that goes with it, until its full version.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CDlgEmailMe
{
public:
    // A value of 0 takes the process default.
    CDlgEmailMe(const char* pszText, const char* pszFile, int nValue = 0);

    INT_PTR DoModal(HWND hWndOwner);

    CString m_strText;
    CString m_strFile;
    int m_nValue;
};

// Stand-in of the print dialog (resource 118) until printing exists: it keeps the paths it was handed.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CDlgPrint
{
public:
    // The modeless dialog's window; created on the first path.
    HWND m_hWnd = NULL;

    BOOL IsWindow() const { return m_hWnd != NULL && ::IsWindow(m_hWnd); }
    HWND Create(HWND hWndParent);
    // Prints the HTML file; here it only records the path.
    void AddFile(const char* pszPath);

    CString m_strLastPath;
    int m_nFiles = 0;
};

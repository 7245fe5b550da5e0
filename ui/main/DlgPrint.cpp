// The print dialog's stand-in.
#include "ui/main/DlgPrint.h"

HWND CDlgPrint::Create(HWND hWndParent)
{
    m_hWnd = ::CreateWindowExA(0, "STATIC", "Print", WS_CHILD, 0, 0, 0, 0, hWndParent, NULL, NULL, NULL);
    return m_hWnd;
}

void CDlgPrint::AddFile(const char* pszPath)
{
    m_strLastPath = pszPath != NULL ? pszPath : "";
    m_nFiles++;
}

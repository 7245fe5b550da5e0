// Folder browser over the shell's folder dialog.
#include "atldlgs.h"

namespace WTL
{

CFolderDialog::CFolderDialog(HWND hWndParent, LPCSTR lpstrTitle, UINT uFlags)
{
    ::ZeroMemory(&m_bi, sizeof(m_bi));
    m_szFolderDisplayName[0] = 0;
    m_szFolderPath[0] = 0;
    m_bi.hwndOwner = hWndParent;
    m_bi.pszDisplayName = m_szFolderDisplayName;
    m_bi.lpszTitle = lpstrTitle;
    m_bi.ulFlags = uFlags;
    m_bi.lpfn = BrowseCallbackProc;
    m_bi.lParam = (LPARAM)this;
}

INT_PTR CFolderDialog::DoModal(HWND hWndParent)
{
    if (m_bi.hwndOwner == NULL)
        m_bi.hwndOwner = hWndParent;
    m_szFolderPath[0] = 0;
    LPITEMIDLIST pidl = ::SHBrowseForFolderA(&m_bi);
    m_hWnd = NULL;
    if (pidl == NULL)
        return IDCANCEL;
    BOOL bPath = ::SHGetPathFromIDListA(pidl, m_szFolderPath);
    ::CoTaskMemFree(pidl);
    if (!bPath)
    {
        m_szFolderPath[0] = 0;
        return IDCANCEL;
    }
    return IDOK;
}

int CALLBACK CFolderDialog::BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    CFolderDialog* pThis = (CFolderDialog*)lpData;
    if (uMsg == BFFM_INITIALIZED)
    {
        pThis->m_hWnd = hWnd;
        if (!pThis->m_strInitialFolder.IsEmpty())
            ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, (LPARAM)(LPCSTR)pThis->m_strInitialFolder);
    }
    return 0;
}

} // namespace WTL

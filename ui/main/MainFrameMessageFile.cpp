// The window of a message read from an ".eml" file.
#include "ui/main/MainFrameMessageFile.h"

CMainFrameMessageFile::CMainFrameMessageFile(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry,
                                             const char* pszPath, DWORD dwThreadId, int bHide,
                                             volatile LONG* pThreadCount)
    : _baseClass(pDatabaseMy, pRegistry, dwThreadId, bHide, pThreadCount)
{
    m_dialog.Setup(pDatabaseMy != NULL ? &pDatabaseMy->m_Local : NULL, &m_hWnd, m_dwThreadId);
    m_dialog.m_strPath = pszPath;
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCMainFrameMessageFile()");
}

CMainFrameMessageFile::~CMainFrameMessageFile()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CMainFrameMessageFile()");
    if (m_hRichEdit != NULL)
        ::FreeLibrary(m_hRichEdit);
}

LRESULT CMainFrameMessageFile::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_hRichEdit == NULL)
    {
        m_hRichEdit = ::LoadLibraryA("RICHED32.DLL");
        if (m_hRichEdit == NULL)
            AppMessageBox("Fatal error:\nFailed RICHED32.DLL load", MB_ICONSTOP, m_hWnd);
    }
    bHandled = FALSE;
    return 0;
}

HWND CMainFrameMessageFile::CreateMessageDialog(HWND hParent)
{
    return m_dialog.Create(hParent);
}

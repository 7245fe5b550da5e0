// Stand-in top-level windows of the user-interface threads.
#include "app/StandInFrame.h"

#include "app/LetrovaGlobals.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseMy.h"

CStandInFrame::CStandInFrame(const char* pszKind, const char* pszArgument, DWORD dwManagerThreadId,
                             bool bMain)
    : m_bMain(bMain), m_cmdLine(dwManagerThreadId)
{
    m_strTitle = bMain ? CString(kVornEmailCaption) : CString(pszKind);
    if (!bMain && pszArgument != NULL && *pszArgument != '\0')
        m_strTitle += CString(" - ") + pszArgument;
}

HWND CStandInFrame::CreateFrame(const RECT* pRect)
{
    RECT rcDefault = {100, 100, 740, 580};
    RECT rc = pRect != NULL ? *pRect : rcDefault;
    return Create(NULL, rc, m_strTitle);
}

LRESULT CStandInFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    // The main window's folder and message views create the local tables on a new database.
    if (m_bMain && g_pDatabaseMy != NULL && g_pDatabaseMy->m_Local.IsOpen())
    {
        g_pDatabaseMy->m_Local.m_Folders.EnsureTable(m_hWnd);
        g_pDatabaseMy->m_Local.m_Emails.EnsureTable(m_hWnd);
    }
    return 0;
}

LRESULT CStandInFrame::OnAreYouMe(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // Without a manager there is nobody to open what a second start asks for.
    if (m_cmdLine.m_dwManagerThreadId == 0)
    {
        bHandled = FALSE;
        return 0;
    }
    return m_cmdLine.OnAreYouMe();
}

LRESULT CStandInFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    ::PostQuitMessage(0);
    return 0;
}

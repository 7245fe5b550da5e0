// The "Get" answers shared by every frame.
#include "ui/main/Main.h"

#include "app/ThreadManager.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseMy.h"

CMain::CMain(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId)
    : m_dwThreadId(dwThreadId != 0 ? dwThreadId : g_dwManagerThreadId), m_pRegistry(pRegistry),
      m_pDatabaseMy(pDatabaseMy)
{
}

BOOL CMain::PostToManager(WPARAM nCommand, LPARAM lParam) const
{
    return ::PostThreadMessageA(m_dwThreadId, WM_USER, nCommand, lParam);
}

BOOL CMain::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD)
{
    try
    {
        if (uMsg == LetrovaGetIdThread)
        {
            *reinterpret_cast<DWORD*>(wParam) = m_dwThreadId;
            lResult = 1;
            return TRUE;
        }
        if (uMsg == LetrovaGetTable)
        {
            if (m_pDatabaseMy != NULL)
                m_pDatabaseMy->m_Local.OnGetTable(*reinterpret_cast<void**>(wParam),
                                                  reinterpret_cast<const char*>(lParam), hWnd);
            lResult = 1;
            return TRUE;
        }
        if (uMsg == LetrovaGetOrbDatabase || uMsg == LetrovaGetDatabase)
        {
            CDatabaseBase* pDatabase = NULL;
            if (m_pDatabaseMy != NULL)
                pDatabase = uMsg == LetrovaGetOrbDatabase ? static_cast<CDatabaseBase*>(&m_pDatabaseMy->m_Orb)
                                                          : static_cast<CDatabaseBase*>(&m_pDatabaseMy->m_Local);
            *reinterpret_cast<CDatabaseBase**>(wParam) = pDatabase;
            lResult = 1;
            return TRUE;
        }
        if (uMsg == LetrovaGetAccountsDatabase)
        {
            *reinterpret_cast<CDatabaseSession**>(wParam) =
                m_pDatabaseMy != NULL ? static_cast<CDatabaseSession*>(&m_pDatabaseMy->m_Accounts) : NULL;
            lResult = 1;
            return TRUE;
        }
        if (uMsg == LetrovaGetRegistry)
        {
            *reinterpret_cast<CRegistry**>(wParam) = m_pRegistry;
            lResult = 1;
            return TRUE;
        }
        if (uMsg == LetrovaEnable)
        {
            lResult = 1;
            return TRUE;
        }
        if (uMsg == WM_ENDSESSION)
        {
            if (IsTraceOn())
                g_pTraceFile->Write("\r\nCMainFrameBase::OnEndSession(...)");
            if (m_pRegistry != NULL)
                m_pRegistry->Save();
            lResult = 0;
            return TRUE;
        }
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
        return TRUE;
    }
    catch (...)
    {
        ShowErrorReportPrompt("Unhandled exception!!!\r\nCMain", NULL);
        return TRUE;
    }
    return FALSE;
}

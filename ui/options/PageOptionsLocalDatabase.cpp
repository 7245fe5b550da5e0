// The Local Database page.
#include "ui/options/PageOptionsLocalDatabase.h"

#include "app/ManagerCommands.h"
#include "app/ThreadManager.h"
#include "foundation/Exception.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_OPTIONS_LOCATION, 421}, {IDC_OPTIONS_BROWSE, 422}, {0, 0}};
} // namespace

CPageOptionsLocalDatabase::CPageOptionsLocalDatabase(CRegistry* pRegistry, HWND hWndOwner)
    : CPageOptionsImpl(pRegistry, hWndOwner, kHelp)
{
}

LRESULT CPageOptionsLocalDatabase::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetDlgItemText(IDC_OPTIONS_LOCATION, m_pRegistry->GetLocalDatabaseFileName(FALSE));
    return TRUE;
}

LRESULT CPageOptionsLocalDatabase::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    BrowseForDatabase(IDC_OPTIONS_LOCATION, OptionsText::kDatabaseFilter, IDS_OPEN_LOCAL_DATABASE);
    return 0;
}

bool CPageOptionsLocalDatabase::StoreValues()
{
    CString strPath = ItemText(IDC_OPTIONS_LOCATION);
    CString strOld = m_pRegistry->GetLocalDatabaseFileName(FALSE);
    if (strPath == strOld)
        return true;

    HANDLE hRunState = NULL;
    ::SendMessageA(m_hWndOwner, LetrovaGethEventDlgProgress, (WPARAM)&hRunState, 0);
    if (hRunState != NULL && ::WaitForSingleObject(hRunState, 0) != WAIT_OBJECT_0)
    {
        AppMessageBoxId(IDS_STOP_BEFORE_LOCAL_DATABASE, MB_ICONSTOP, m_hWnd);
        if (::WaitForSingleObject(hRunState, 0) != WAIT_OBJECT_0)
        {
            DWORD dwMainThread = 0;
            ::SendMessageA(m_hWndOwner, LetrovaGetIdThread, (WPARAM)&dwMainThread, 0);
            if (dwMainThread != 0)
                ::PostThreadMessageA(dwMainThread, WM_USER, ID_SEND_RECEIVE, 0);
        }
        return false;
    }
    // The hidden single-instance window has a thread of its own, which uses no database.
    if (g_ThreadManager.WindowThreadCount() >= 2)
        return Refuse(0, IDS_CLOSE_WINDOWS_BEFORE_LOCAL_DATABASE);

    ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_CLOSE_LOCAL_DATABASE, 0);
    CDatabaseBase* pDatabase = FromOwner<CDatabaseBase>(LetrovaGetDatabase);
    CString strFailure;
    if (pDatabase != NULL && OpenDatabaseFile(pDatabase, strPath, strFailure))
    {
        ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_OPEN_LOCAL_DATABASE, 0);
        return true;
    }
    // The client must not go on without a local database: the file it had comes back before the report.
    if (pDatabase != NULL)
    {
        CString strReopenFailure;
        if (!OpenDatabaseFile(pDatabase, strOld, strReopenFailure))
            strFailure += "\r\n\r\n" + strReopenFailure;
    }
    ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_OPEN_LOCAL_DATABASE, 0);
    CString strText;
    strText.Format(AtlLoadString(IDS_LOCAL_DATABASE_OPEN_FAILED), (const char*)strFailure);
    AppMessageBox(strText, MB_ICONSTOP, m_hWnd);
    m_nIdFailed = IDC_OPTIONS_LOCATION;
    return false;
}

bool CPageOptionsLocalDatabase::OpenDatabaseFile(CDatabaseBase* pDatabase, const CString& strPath,
                                                 CString& strFailure)
{
    try
    {
        pDatabase->Open(strPath);
        if (!pDatabase->IsOpen())
        {
            strFailure = strPath;
            return false;
        }
        // A fresh table object checks the new file's schema; the database's own ones checked the old file.
        CFoldersTable folders(&pDatabase->m_session);
        folders.Open(m_hWnd);
        folders.Close();
        return true;
    }
    catch (CException* pException)
    {
        strFailure = pException->m_strMessage;
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        strFailure = pException->m_strMessage;
        delete pException;
    }
    catch (const char* pszText)
    {
        strFailure = pszText;
    }
    return false;
}

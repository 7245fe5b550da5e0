// The Outlook Express import dialog. The worker never ends the dialog itself: it posts the end to the
// dialog, which closes on its own thread.
#include "content/DlgImportOE.h"

#include <atldlgs.h>

#include "content/OEImport.h"
#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/RegExp.h"
#include "foundation/TraceFile.h"
#include "store/ExceptionDialog.h"

namespace
{
const char kUnderConstruction[] = "Under constraction!!!";
}

bool ExpandStorePath(CString& strPath, CString& strName)
{
    // Greedy first group: only the last pair of percent signs is expanded.
    CRegExp re("(.*)%([^%]*)%(.*)");
    if (!re.Match(strPath) || re.SubStrings() != 3)
        return true;
    const CString strBefore = re.GetSubString(1);
    strName = re.GetSubString(2);
    const CString strAfter = re.GetSubString(3);
    const DWORD nSize = ::GetEnvironmentVariableA(strName, NULL, 0);
    if (nSize == 0)
        return false;
    CString strValue;
    const DWORD nLength = ::GetEnvironmentVariableA(strName, strValue.GetBuffer(nSize), nSize);
    strValue.ReleaseBuffer(nLength < nSize ? (int)nLength : 0);
    strPath = strBefore + strValue + strAfter;
    return true;
}

CDlgImportOE::CDlgImportOE(HWND hWndOwner) : m_hWndOwner(hWndOwner) {}

CDlgImportOE::~CDlgImportOE()
{
    if (m_hThread != NULL)
        ::CloseHandle(m_hThread);
}

INT_PTR CDlgImportOE::DoModal()
{
    return CDialogImpl<CDlgImportOE>::DoModal(m_hWndOwner != NULL ? m_hWndOwner : ::GetActiveWindow());
}

LRESULT CDlgImportOE::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hFolder = GetDlgItem(IDC_OE_FOLDER);
    m_hMessageNumber = GetDlgItem(IDC_OE_MESSAGE_NUMBER);
    m_hCopied = GetDlgItem(IDC_OE_COPIED);
    m_hSubject = GetDlgItem(IDC_OE_SUBJECT);
    m_hImport = GetDlgItem(IDOK);
    m_hBrowse = GetDlgItem(IDC_OE_BROWSE);

    if (::SendMessageA(m_hWndOwner, WM_COMMAND, ID_GET_OE_STORE_ROOT, (LPARAM)&m_strPath) == 0)
        return 0;
    CString strName;
    if (!ExpandStorePath(m_strPath, strName))
    {
        ShowExceptionDialog(m_hWnd, "ERROR: Environment variable name '" + strName + "' was not found.\r\n\r\n" +
                                        SystemInfoText());
        return 0;
    }
    SetDlgItemText(IDC_OE_STORE_FOLDER, m_strPath);
    return 1;
}

LRESULT CDlgImportOE::OnImportEnded(UINT, WPARAM, LPARAM, BOOL&)
{
    // The worker posts this as its last act; waiting for it is waiting for a return.
    ::WaitForSingleObject(m_hThread, INFINITE);
    m_bRunning = false;
    ::EnableWindow(m_hImport, TRUE);
    ::EnableWindow(m_hBrowse, TRUE);
    EndDialog(IDOK);
    m_bStop = 0;
    return 0;
}

LRESULT CDlgImportOE::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hThread != NULL)
    {
        ::CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    return 0;
}

LRESULT CDlgImportOE::OnImport(WORD, WORD, HWND, BOOL&)
{
    if (m_bRunning)
        return 0;
    char szPath[MAX_PATH * 2] = {};
    GetDlgItemText(IDC_OE_STORE_FOLDER, szPath, sizeof(szPath));
    m_strPath = szPath;
    if (!m_strPath.IsEmpty() && m_strPath.Right(1) != "\\")
        m_strPath += "\\";
    if (m_hThread != NULL)
    {
        ::CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    // Disabled here, before the worker starts, so that a second click cannot start a second worker.
    ::EnableWindow(m_hImport, FALSE);
    ::EnableWindow(m_hBrowse, FALSE);
    m_bRunning = true;
    DWORD dwThreadId = 0;
    m_hThread = ::CreateThread(NULL, 0, WorkerThread, this, 0, &dwThreadId);
    if (m_hThread == NULL)
    {
        m_bRunning = false;
        ::EnableWindow(m_hImport, TRUE);
        ::EnableWindow(m_hBrowse, TRUE);
    }
    return 0;
}

LRESULT CDlgImportOE::OnCancel(WORD, WORD, HWND, BOOL&)
{
    if (m_bRunning)
        m_bStop = 1;
    else
        EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgImportOE::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    CString strTitle;
    strTitle.LoadString(IDS_OE_SELECT_LOCATION);
    char szPath[MAX_PATH * 2] = {};
    GetDlgItemText(IDC_OE_STORE_FOLDER, szPath, sizeof(szPath));
    CFolderDialog dialog(m_hWnd, strTitle);
    dialog.SetInitialFolder(szPath);
    if (dialog.DoModal(m_hWnd) == IDOK)
        SetDlgItemText(IDC_OE_STORE_FOLDER, CString(dialog.GetFolderPath()) + "\\");
    return 0;
}

LRESULT CDlgImportOE::OnExport(WORD, WORD, HWND, BOOL&)
{
    AppMessageBox(kUnderConstruction, 0, m_hWnd);
    return 0;
}

DWORD WINAPI CDlgImportOE::WorkerThread(LPVOID pParam)
{
    CDlgImportOE* pThis = static_cast<CDlgImportOE*>(pParam);
    HRESULT hrCom = ::CoInitialize(NULL);
    try
    {
        OnImportMessagesOE_50(pThis);
    }
    catch (...)
    {
        if (IsTraceOn())
            g_pTraceFile->Write("\r\nCDlgImportOE::WorkerThread(...). Unhandled exception!!!");
    }
    if (SUCCEEDED(hrCom))
        ::CoUninitialize();
    ::PostMessageA(pThis->m_hWnd, WM_IMPORT_ENDED, 0, 0);
    return 0;
}

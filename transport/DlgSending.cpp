// The "Sending..." dialog: sends one error report over SMTP on a worker thread.
#include "transport/DlgSending.h"

#include <objbase.h>

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "transport/ErrorReportTexts.h"
#include "transport/Smtp.h"

UINT CDlgSending::s_nPort = 25;

CDlgSending::CDlgSending(const char* pszServer, const CAddress& from, const CAddress& to,
                         const char* pszSubject, const char* pszBody, const char* pszAttachment)
    : m_strServer(pszServer), m_From(from), m_To(to), m_strSubject(pszSubject), m_strBody(pszBody),
      m_strAttachment(pszAttachment), m_hThread(NULL), m_hWndProgress(NULL), m_nCancel(0), m_nResult(2),
      m_bWorkerDone(0)
{
}

LRESULT CDlgSending::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CenterWindow(GetParent());
    m_hWndProgress = GetDlgItem(IDC_SENDING_PROGRESS);
    DWORD dwThreadId = 0;
    m_hThread = ::CreateThread(NULL, 0, WorkerProc, this, 0, &dwThreadId);
    if (!m_hThread)
        EndDialog(m_nResult);
    return TRUE;
}

LRESULT CDlgSending::OnWorkerDone(WORD, WORD, HWND, BOOL&)
{
    // Only the worker's own IDOK, posted as its last act, ends the dialog; the worker uses the dialog until
    // then. The Enter key sends IDOK as well.
    if (!m_bWorkerDone)
        return 0;
    ::WaitForSingleObject(m_hThread, INFINITE);
    ::CloseHandle(m_hThread);
    m_hThread = NULL;
    EndDialog(m_nResult);
    return 0;
}

LRESULT CDlgSending::OnCancel(WORD, WORD, HWND, BOOL&)
{
    m_nCancel = 1;
    return 0;
}

DWORD WINAPI CDlgSending::WorkerProc(LPVOID pParam)
{
    CDlgSending* pThis = static_cast<CDlgSending*>(pParam);
    // The message builder converts charsets through MLang, a COM object.
    const HRESULT hrCom = ::CoInitialize(NULL);
    try
    {
        pThis->Send();
    }
    catch (...)
    {
        DebugTrace("CDlgSending::WorkerProc(...). Unhandled exception!!!\r\n");
    }
    if (SUCCEEDED(hrCom))
        ::CoUninitialize();
    pThis->m_bWorkerDone = 1;
    ::PostMessageA(pThis->m_hWnd, WM_COMMAND, IDOK, 0);
    return 0;
}

void CDlgSending::Send()
{
    const HWND hWndOwner = GetParent();
    try
    {
        ::SendMessageA(m_hWndProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        ::SendMessageA(m_hWndProgress, PBM_SETPOS, 0, 0);
        CSmtpProgress smtp(&m_hWndProgress, &m_nCancel, FALSE);
        if (!smtp.Connect(m_strServer, s_nPort))
            return;
        const char* pszFiles[] = {m_strAttachment};
        const int nFiles = m_strAttachment.IsEmpty() ? 0 : 1;
        if (smtp.SendMail(m_From.strName, m_From.strAddress, m_To.strAddress, m_strSubject, m_strBody,
                          pszFiles, nFiles) == 0)
            m_nResult = 1;
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(ErrorReportText::kErrorPrefix) + pszText, MB_ICONERROR, hWndOwner);
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONERROR, hWndOwner);
        delete pException;
    }
}

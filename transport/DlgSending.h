// The "Sending..." dialog: sends one error report over SMTP on a worker thread, with a progress bar and a
// Cancel that the SMTP client honours.
#pragma once

#include <atlwin.h>

#include "resources/resource.h"

class CDlgSending : public ATL::CDialogImpl<CDlgSending>
{
public:
    enum
    {
        IDD = IDD_SENDING
    };
    BEGIN_MSG_MAP(CDlgSending)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnWorkerDone)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    struct CAddress
    {
        CString strName;
        CString strAddress;
    };

    CDlgSending(const char* pszServer, const CAddress& from, const CAddress& to, const char* pszSubject,
                const char* pszBody, const char* pszAttachment);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWorkerDone(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // The SMTP port; tests point it at their peer.
    static UINT s_nPort;

    CString m_strServer;
    CAddress m_From;
    CAddress m_To;
    CString m_strSubject;
    CString m_strBody;
    CString m_strAttachment;
    HANDLE m_hThread;
    HWND m_hWndProgress;
    int m_nCancel;
    // 1 once sent; 2 otherwise.
    int m_nResult;
    volatile LONG m_bWorkerDone;

private:
    static DWORD WINAPI WorkerProc(LPVOID pParam);
    void Send();
};

// The Outlook Express import dialog: the store folder, and the copy running on a worker thread while four
// texts show its progress.
#pragma once

#include <windows.h>

#include <atomic>

#include <atlbase.h>
#include <atlapp.h>
#include <atlwin.h>
#include <atlstr.h>

#include "resources/resource.h"

class CDlgImportOE : public CDialogImpl<CDlgImportOE>
{
public:
    enum
    {
        IDD = IDD_IMPORT_OE
    };
    // Posted by the worker when the copy has ended: the dialog closes on its own thread.
    enum
    {
        WM_IMPORT_ENDED = WM_APP + 0x4E1
    };
    // The main window's command that fills a text with the store folder.
    static const WPARAM ID_GET_OE_STORE_ROOT = 33003;

    BEGIN_MSG_MAP(CDlgImportOE)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_IMPORT_ENDED, OnImportEnded)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(IDOK, OnImport)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_HANDLER(IDC_OE_BROWSE, BN_CLICKED, OnBrowse)
        COMMAND_ID_HANDLER(IDC_OE_EXPORT, OnExport)
    END_MSG_MAP()

    explicit CDlgImportOE(HWND hWndOwner);
    ~CDlgImportOE();

    // Modal over its owner, or over the active window when it has none.
    INT_PTR DoModal();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnImportEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnImport(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnExport(WORD, WORD, HWND, BOOL&);

    HWND m_hWndOwner;
    HANDLE m_hThread = NULL;
    // Written by the dialog's thread, read by the worker between messages and folders.
    std::atomic<LONG> m_bStop{0};
    CString m_strPath;
    HWND m_hImport = NULL;
    HWND m_hBrowse = NULL;
    HWND m_hMessageNumber = NULL;
    HWND m_hCopied = NULL;
    HWND m_hSubject = NULL;
    HWND m_hFolder = NULL;

private:
    static DWORD WINAPI WorkerThread(LPVOID pParam);
    bool m_bRunning = false;
};

// The path with the last "%NAME%" replaced by that environment variable's value; false when the variable
// is not set (strName then names it). A path without such a pair is left as it is.
bool ExpandStorePath(CString& strPath, CString& strName);

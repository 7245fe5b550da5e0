// The frame's print dialog (resource 118): it loads an HTML file into the HTML view control and prints it
// with the print dialog once the view reports the page complete.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <atlbase.h>
#include <atlcom.h>
#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

const WORD ID_DOCUMENT_COMPLETE = 32918;

class CDlgPrint : public CDialogImpl<CDlgPrint>,
                  public IDispEventImpl<IDC_PRINT_VIEW, CDlgPrint, &DIID_DWebBrowserEvents2>
{
public:
    enum
    {
        IDD = IDD_PRINT
    };

    BEGIN_MSG_MAP(CDlgPrint)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(ID_DOCUMENT_COMPLETE, OnDocumentComplete)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    BEGIN_SINK_MAP(CDlgPrint)
        SINK_ENTRY_EX(IDC_PRINT_VIEW, DIID_DWebBrowserEvents2, DISPID_DOWNLOADCOMPLETE, OnDownloadComplete)
    END_SINK_MAP()

    CDlgPrint();
    ~CDlgPrint();

    // The frame's print request: the first creates the dialog, which loads the file as it starts; later
    // ones load the new file into the same view.
    void Print(HWND hWndOwner, const char* pszPath);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDocumentComplete(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    HRESULT STDMETHODCALLTYPE OnDownloadComplete();

    // The window class of the HTML component; a test names one that does not exist.
    static const char* s_pszComponentClass;

    CString m_strPath;
    HWND m_hWndOwner = NULL;
    HWND m_hWndView = NULL;
    CComPtr<IWebBrowser2> m_pBrowser;
    // How the dialog ended: 2 when it was cancelled or could not host the component; -1 while it has not.
    int m_nResult = -1;

private:
    void LoadDocument();
};

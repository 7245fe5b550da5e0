// The print dialog.
#include "ui/main/DlgPrint.h"

#include <atlhost.h>

#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "platform/htmlview/HtmlView.h"
#include "platform/wtl/SystemSeams.h"

const char* CDlgPrint::s_pszComponentClass = HTMLVIEW_CLASSA;

CDlgPrint::CDlgPrint()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCDlgPrint(...)");
}

CDlgPrint::~CDlgPrint()
{
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        DestroyWindow();
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CDlgPrint(...)");
}

void CDlgPrint::Print(HWND hWndOwner, const char* pszPath)
{
    m_strPath = pszPath != NULL ? pszPath : "";
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
    {
        LoadDocument();
        return;
    }
    m_hWndOwner = hWndOwner;
    m_nResult = -1;
    Create(hWndOwner);
}

LRESULT CDlgPrint::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCDlgPrint::OnInitDialog(...) begin");
    if (lstrcmpiA(s_pszComponentClass, HTMLVIEW_CLASSA) == 0)
        CHtmlView::RegisterClass();
    m_hWndView = ::CreateWindowExA(0, s_pszComponentClass, "", WS_CHILD, 0, 0, 10, 10, m_hWnd,
                                   (HMENU)(UINT_PTR)IDC_PRINT_VIEW, ATL::AtlGetResourceInstance(), NULL);
    if (m_hWndView != NULL)
        AtlGetDlgControl(m_hWnd, IDC_PRINT_VIEW, IID_IWebBrowser2, (void**)&m_pBrowser);
    if (m_pBrowser == NULL)
    {
        AppMessageBoxId(IDS_DHTML_EDIT_MISSING, MB_ICONSTOP, m_hWndOwner);
        m_nResult = IDCANCEL;
        DestroyWindow();
        return FALSE;
    }
    DispEventAdvise(m_pBrowser);
    LoadDocument();
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCDlgPrint::OnInitDialog(...) end");
    // The dialog stays hidden: the focus stays with the window that asked for the print.
    return FALSE;
}

LRESULT CDlgPrint::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_pBrowser != NULL)
    {
        DispEventUnadvise(m_pBrowser);
        m_pBrowser.Release();
    }
    if (m_hWndView != NULL && ::IsWindow(m_hWndView))
        ::DestroyWindow(m_hWndView);
    m_hWndView = NULL;
    return 0;
}

void CDlgPrint::LoadDocument()
{
    if (m_pBrowser == NULL)
        return;
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nm_editHTML.LoadDocument(" + m_strPath + ")");
    CComBSTR bstrPath(m_strPath);
    m_pBrowser->Navigate(bstrPath, NULL, NULL, NULL, NULL);
}

HRESULT CDlgPrint::OnDownloadComplete()
{
    if (m_hWnd != NULL)
        SendMessage(WM_COMMAND, ID_DOCUMENT_COMPLETE, 0);
    return S_OK;
}

LRESULT CDlgPrint::OnDocumentComplete(WORD, WORD, HWND, BOOL&)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCDlgPrint::OnDocumentComplete(...)");
    // Posted, so that the print dialog opens after the view's event has returned.
    PostMessage(WM_COMMAND, IDOK);
    return 0;
}

LRESULT CDlgPrint::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCDlgPrint::OnOK(...)");
    CComQIPtr<IDispatch> pDispatch(m_pBrowser);
    if (pDispatch != NULL)
        CSystemSeams::PrintDocument(pDispatch, true);
    return 0;
}

LRESULT CDlgPrint::OnCancel(WORD, WORD, HWND, BOOL&)
{
    m_nResult = IDCANCEL;
    DestroyWindow();
    return 0;
}

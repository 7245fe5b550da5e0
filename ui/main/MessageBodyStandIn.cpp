// The body view's stand-in.
#include "ui/main/MessageBodyStandIn.h"

#include <atlhost.h>

#include "foundation/ErrorUtil.h"
#include "platform/htmlview/HtmlView.h"
#include "store/EmailsImpl.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MessagesList.h"

namespace
{
const WORD kDownloadComplete = 33031;
const WORD kSetStatusBar2 = 32913;
} // namespace

HWND CCtrlMessageBody::Create(HWND hWndParent)
{
    RECT rc = {0, 0, 100, 100};
    return CWindowImpl<CCtrlMessageBody>::Create(hWndParent, rc, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
}

LRESULT CCtrlMessageBody::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    CHtmlView::RegisterClass();
    m_hWndBrowser = ::CreateWindowExA(WS_EX_CLIENTEDGE, HTMLVIEW_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0,
                                   100, 100, m_hWnd, (HMENU)(UINT_PTR)IDC_PREVIEW_BODY_VIEW, NULL, NULL);
    if (m_hWndBrowser != NULL &&
        AtlGetDlgControl(m_hWnd, IDC_PREVIEW_BODY_VIEW, IID_IWebBrowser2, (void**)&m_spBrowser) == S_OK)
        DispEventAdvise(m_spBrowser);
    return 0;
}

LRESULT CCtrlMessageBody::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ::MoveWindow(m_hWndBrowser, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

LRESULT CCtrlMessageBody::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_spBrowser != NULL)
    {
        DispEventUnadvise(m_spBrowser);
        m_spBrowser.Release();
    }
    return 0;
}

LRESULT CCtrlMessageBody::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (LOWORD(wParam) != ID_VIEW_MESSAGE_BODY || lParam == 0 || m_spBrowser == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    CEmailsImpl<>* pStore = reinterpret_cast<CEmailsImpl<>*>(lParam);
    try
    {
        m_nEmailsID = pStore->m_EmailsID;
        CString strPath;
        int nNoMessage = 0;
        pStore->GetMessageFile(strPath, "\\Preview.htm", &nNoMessage, 1);
        CComBSTR bstrPath(strPath);
        m_spBrowser->Navigate(bstrPath, NULL, NULL, NULL, NULL);
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    return 0;
}

HRESULT CCtrlMessageBody::OnDownloadComplete()
{
    HWND hWndFrame = m_hWndOwner != NULL ? m_hWndOwner : GetTopLevelParent();
    ::PostMessageA(hWndFrame, WM_COMMAND, kDownloadComplete, 0);
    ::SendMessageA(hWndFrame, WM_COMMAND, kSetStatusBar2, (LPARAM) "");
    return S_OK;
}

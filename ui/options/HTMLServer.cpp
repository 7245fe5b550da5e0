// The description pane of the rules windows and the server of its links.
#include "ui/options/HTMLServer.h"

#include "ui/options/RuleWindowTexts.h"

CHTMLServer::CHTMLServer(HWND hWndDialog) : CSocketListening(kFirstPort), m_Pane(hWndDialog)
{
    m_hWndOwner = hWndDialog;
}

void CHTMLServer::CreatePane(int nIdPlaceholder)
{
    HWND hWndPlaceholder = ::GetDlgItem(m_hWndOwner, nIdPlaceholder);
    RECT rc = {};
    ::GetWindowRect(hWndPlaceholder, &rc);
    ::MapWindowPoints(NULL, m_hWndOwner, (POINT*)&rc, 2);
    if (m_Pane.Create(m_hWndOwner) == NULL)
        return;
    // The placeholder only marks the place: left visible it would cover the pane.
    ::ShowWindow(hWndPlaceholder, SW_HIDE);
    m_Pane.SetWindowPos(HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
}

void CHTMLServer::Show(const CString& strHtml, const char* pszFileName)
{
    if (m_Pane.m_hWnd != NULL)
        m_Pane.NavigateText(strHtml, pszFileName);
}

void CHTMLServer::DestroyPane()
{
    if (m_Pane.m_hWnd != NULL && ::IsWindow(m_Pane.m_hWnd))
        m_Pane.DestroyWindow();
}

void CHTMLServer::CloseRequest()
{
    if (m_pRequest != NULL && HasConnection(m_pRequest))
        CloseConnection(m_pRequest);
    m_pRequest = NULL;
}

CString CHTMLServer::GetReply(CHTMLServerConnection* pConnection, const char* pszNumber)
{
    m_pRequest = pConnection;
    m_nLink = pszNumber != NULL && *pszNumber != 0 ? atoi(pszNumber) : -1;
    ::PostMessageA(m_hWndOwner, WM_COMMAND, ID_HTML_LINK_REQUESTED, (LPARAM)m_nLink);
    CString strHtml;
    ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_GET_HTML_TEXT, (LPARAM)&strHtml);
    return strHtml;
}

// The description pane of the rules windows: a WebBrowser host showing a rule's description, and the local
// HTTP server that answers the description's links, telling the owning dialog which one was clicked.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "transport/HTMLServerConnection.h"
#include "transport/SocketListening.h"
#include "ui/compose/CtrlWebBrowserImpl.h"

class CRuleDescriptionPane : public CCtrlWebBrowserImpl<CRuleDescriptionPane>
{
public:
    BEGIN_MSG_MAP(CRuleDescriptionPane)
        CHAIN_MSG_MAP(CCtrlWebBrowserImpl<CRuleDescriptionPane>)
    END_MSG_MAP()

    explicit CRuleDescriptionPane(HWND hWndOwner) : CCtrlWebBrowserImpl<CRuleDescriptionPane>(hWndOwner) {}
    ~CRuleDescriptionPane()
    {
        if (m_hWnd != NULL && ::IsWindow(m_hWnd))
            DestroyWindow();
    }
};

class CHTMLServer : public CSocketListening
{
public:
    enum
    {
        kFirstPort = 6500
    };

    // Listens from the first port on; link requests go to hWndDialog as command 33053 with the link number.
    explicit CHTMLServer(HWND hWndDialog);

    // Creates the pane over the dialog's placeholder control.
    void CreatePane(int nIdPlaceholder);
    // Shows a page; failures of the pane are the caller's to report.
    void Show(const CString& strHtml, const char* pszFileName = NULL);
    void DestroyPane();
    // Closes the connection of the last link request when it is still open.
    void CloseRequest();

    CString GetReply(CHTMLServerConnection* pConnection, const char* pszNumber) override;

    CRuleDescriptionPane m_Pane;
    CHTMLServerConnection* m_pRequest = NULL;
    int m_nLink = -1;
};

// Stand-in of the message body view until it exists: an HTML view that shows a stored message's view file
// and tells the frame when the page has downloaded.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <atlbase.h>
#include <atlcom.h>
#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

class CCtrlMessageBody : public CWindowImpl<CCtrlMessageBody>,
                         public IDispEventImpl<IDC_PREVIEW_BODY_VIEW, CCtrlMessageBody, &DIID_DWebBrowserEvents2>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaMessageBodyStandIn", 0, COLOR_WINDOW)

    BEGIN_MSG_MAP(CCtrlMessageBody)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    BEGIN_SINK_MAP(CCtrlMessageBody)
        SINK_ENTRY_EX(IDC_PREVIEW_BODY_VIEW, DIID_DWebBrowserEvents2, DISPID_DOWNLOADCOMPLETE, OnDownloadComplete)
    END_SINK_MAP()

    explicit CCtrlMessageBody(HWND hWndOwner = NULL) : m_hWndOwner(hWndOwner) {}

    HWND Create(HWND hWndParent);

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    HRESULT STDMETHODCALLTYPE OnDownloadComplete();

    HWND m_hWndOwner;
    HWND m_hWndBrowser = NULL;
    CComPtr<IWebBrowser2> m_spBrowser;
    LONG m_nEmailsID = -1;
};

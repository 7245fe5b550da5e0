// A plain window that shows a text in an edit control filling its client area.
#include "transport/WndText.h"

#include "foundation/ErrorUtil.h"
#include "resources/resource.h"
#include "transport/ErrorReportTexts.h"

HWND CWndText::Create(HWND hWndParent, const char* pszText)
{
    m_strText = pszText ? pszText : "";
    if (m_strText.GetLength() > ErrorReportText::kMaxViewedLength)
    {
        CString strNotice;
        strNotice.LoadString(IDS_BODY_TOO_LONG);
        AppMessageBox(strNotice, MB_ICONINFORMATION, hWndParent);
        m_strText = m_strText.Left(ErrorReportText::kViewedCut) + "...";
    }
    CString strCaption;
    strCaption.LoadString(IDS_MESSAGE_SOURCE);
    return ATL::CWindowImpl<CWndText, ATL::CWindow, ATL::CFrameWinTraits>::Create(
        hWndParent, ATL::CWindow::rcDefault, strCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_CLIENTEDGE);
}

LRESULT CWndText::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    RECT rc;
    GetClientRect(&rc);
    m_hWndEdit = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", NULL,
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL, rc.left, rc.top,
        rc.right - rc.left, rc.bottom - rc.top, m_hWnd, NULL, ATL::_AtlBaseModule.GetModuleInstance(), NULL);
    if (m_hWndEdit)
        ::SetWindowTextA(m_hWndEdit, m_strText);
    return 0;
}

LRESULT CWndText::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (m_hWndEdit)
        ::MoveWindow(m_hWndEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

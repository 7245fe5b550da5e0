// The account sheet in its two modes and its title strip.
#include "ui/options/AccountWizard.h"

#include <atlapp.h>

#include "foundation/ErrorUtil.h"
#include "store/StoreTexts.h"

void CAccountTitleStrip::SetText(const char* pszText)
{
    m_strText = pszText;
    if (IsWindow())
    {
        ::SetWindowTextA(m_hWnd, pszText); // for readers of the window, as its painting shows it
        Invalidate();
    }
}

LRESULT CAccountTitleStrip::OnPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    HFONT hFont = (HFONT)::SendMessageA(GetParent(), WM_GETFONT, 0, 0);
    HGDIOBJ hOld = hFont != NULL ? ::SelectObject(hDC, hFont) : NULL;
    RECT rc;
    GetClientRect(&rc);
    ::FillRect(hDC, &rc, (HBRUSH)(COLOR_BTNFACE + 1));
    ::SetBkMode(hDC, TRANSPARENT);
    ::TextOutA(hDC, 10, 10, m_strText, m_strText.GetLength());
    if (hOld != NULL)
        ::SelectObject(hDC, hOld);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

CAccountWizard::CAccountWizard(CAccountsRecord& record, int nMode, CAccountsTable* pTable)
    : CPropertySheetImpl<CAccountWizard>((LPCSTR)NULL, 0, NULL), m_nMode(nMode)
{
    bool bWizard = nMode == MODE_WIZARD;
    m_pageName.m_pRecord = m_pageAddress.m_pRecord = m_pageServers.m_pRecord = m_pageLogon.m_pRecord =
        m_pageAdvanced.m_pRecord = m_pageFinish.m_pRecord = &record;
    m_pageName.m_pTable = m_pageAddress.m_pTable = m_pageServers.m_pTable = m_pageLogon.m_pTable =
        m_pageAdvanced.m_pTable = m_pageFinish.m_pTable = pTable;
    m_pageName.m_bWizard = m_pageAddress.m_bWizard = m_pageServers.m_bWizard = m_pageLogon.m_bWizard =
        m_pageAdvanced.m_bWizard = m_pageFinish.m_bWizard = bWizard;
    m_pageFinish.m_pSheet = this;

    m_psh.dwFlags |= PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
    if (bWizard)
    {
        m_strTitle = AtlLoadString(IDS_ACCOUNT_WIZARD_TITLE);
        m_pageName.SetTitle((LPCSTR)m_strTitle);
        m_pageAddress.SetTitle((LPCSTR)m_strTitle);
        m_pageServers.SetTitle((LPCSTR)m_strTitle);
        m_pageLogon.SetTitle((LPCSTR)m_strTitle);
        m_pageFinish.SetTitle((LPCSTR)m_strTitle);
        SetTitle(m_strTitle);
        SetWizardMode();
        SetWatermark("IDB_ACCOUNT_WIZARD");
    }
    else
    {
        m_strTitle = AtlLoadString(IDS_ACCOUNT_PROPERTIES);
        SetTitle(m_strTitle);
    }
    AddPage(m_pageName);
    AddPage(m_pageAddress);
    AddPage(m_pageServers);
    AddPage(m_pageLogon);
    if (bWizard)
        AddPage(m_pageFinish);
    else
        AddPage(m_pageAdvanced);
    m_psh.nStartPage = 0;
}

CAccountWizard::~CAccountWizard() {}

const char* CAccountWizard::PageCaption(int nIndex) const
{
    switch (nIndex)
    {
    case 0:
        return CPageAccountName::Caption();
    case 1:
        return CPageAccountAddress::Caption();
    case 2:
        return CPageAccountServers::Caption();
    case 3:
        return CPageAccountLogon::Caption();
    default:
        return m_nMode == MODE_WIZARD ? CPageAccountFinish::Caption() : CPageAccountAdvanced::Caption();
    }
}

void CAccountWizard::OnSheetInitialized()
{
    if (m_nMode != MODE_WIZARD)
        return;
    RECT rc = {10, 10, 200, 50};
    m_titleStrip.Create(m_hWnd, rc, NULL, WS_CHILD | WS_VISIBLE);
}

LRESULT CAccountWizard::OnSetTitle(WORD, WORD, HWND hWndCtl, BOOL&)
{
    // WM_COMMAND's lParam carries the caption here, not a control.
    const char* pszCaption = reinterpret_cast<const char*>(hWndCtl);
    if (m_nMode != MODE_WIZARD || pszCaption == NULL)
        return 0;
    int nIndex = 0;
    while (nIndex < PageCount() - 1 && strcmp(PageCaption(nIndex), pszCaption) != 0)
        nIndex++;
    DWORD dwButtons = nIndex == PageCount() - 1 ? PSWIZB_FINISH : PSWIZB_NEXT;
    if (nIndex != 0)
        dwButtons |= PSWIZB_BACK;
    SetWizardButtons(dwButtons);
    m_titleStrip.SetText(pszCaption);
    // The page just shown lies over the strip otherwise.
    m_titleStrip.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

LRESULT CAccountWizard::OnShowPage(WORD, WORD, HWND hWndCtl, BOOL&)
{
    int nIndex = (int)SendMessage(PSM_HWNDTOINDEX, (WPARAM)hWndCtl);
    if (nIndex >= 0)
        CPropertySheetWindow::SetActivePage(nIndex);
    return 0;
}

LRESULT CAccountWizard::OnOK(WORD, WORD, HWND, BOOL& bHandled)
{
    if (!StoreAll())
        return 0;
    m_bStored = true;
    bHandled = FALSE; // the sheet closes as after any OK
    return 0;
}

bool CAccountWizard::StoreAll()
{
    if (!(m_pageName.Store() && m_pageAddress.Store() && m_pageServers.Store() && m_pageLogon.Store()))
        return false;
    if (m_nMode != MODE_WIZARD && !m_pageAdvanced.Store())
        return false;
    m_bStored = true;
    return true;
}

INT_PTR CAccountWizard::Run(HWND hWndParent)
{
    m_bStored = false;
    const char* pszOldHint = FailureHintText;
    FailureHintText = StoreText::kRebootFatalText;
    // What a finished wizard returns differs between versions of the control: the stores tell.
    DoModal(hWndParent);
    FailureHintText = pszOldHint;
    return m_bStored ? 1 : 0;
}

int RunNewAccountWizard(CAccountsRecord& record, HWND hWndParent)
{
    CAccountWizard wizard(record, CAccountWizard::MODE_WIZARD);
    return (int)wizard.Run(hWndParent);
}

// The Options sheet.
#include "ui/options/SheetOptions.h"

#include "foundation/WindowMessages.h"
#include "store/TableBase.h"

namespace
{
// The order in which OK stores the pages. The first refusal ends it: the pages before keep what they stored.
const int kStoreOrder[] = {CSheetOptions::PAGE_GENERAL,    CSheetOptions::PAGE_LOCAL_DATABASE,
                           CSheetOptions::PAGE_CONTACTS,   CSheetOptions::PAGE_ACCOUNTS,
                           CSheetOptions::PAGE_READ,       CSheetOptions::PAGE_SEND,
                           CSheetOptions::PAGE_SPELLING,   CSheetOptions::PAGE_SIGNATURES,
                           CSheetOptions::PAGE_MAINTENANCE, CSheetOptions::PAGE_COMPOSE};
} // namespace

CSheetOptions::CSheetOptions(CRegistry* pRegistry, HWND hWndOwner, UINT nStartPage)
    : CPropertySheetImpl<CSheetOptions>((LPCSTR)NULL, nStartPage), m_strCaption(AtlLoadString(IDS_OPTIONS)),
      m_hWndOwner(hWndOwner), m_general(pRegistry), m_localDatabase(pRegistry, hWndOwner),
      m_contacts(pRegistry, hWndOwner), m_accounts(pRegistry, hWndOwner), m_read(pRegistry),
      m_signatures(hWndOwner), m_send(hWndOwner), m_spelling(pRegistry), m_maintenance(pRegistry),
      m_compose(hWndOwner, pRegistry)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    AddPage(m_general);
    AddPage(m_localDatabase);
    AddPage(m_contacts);
    AddPage(m_accounts);
    AddPage(m_read);
    AddPage(m_signatures);
    AddPage(m_send);
    AddPage(m_spelling);
    AddPage(m_maintenance);
    AddPage(m_compose);
    SetTitle(m_strCaption);
    SetActivePage(nStartPage);
}

CPageOptions* CSheetOptions::Page(int nIndex)
{
    CPageOptions* pages[PAGE_COUNT] = {&m_general,    &m_localDatabase, &m_contacts, &m_accounts,
                                       &m_read,       &m_signatures,    &m_send,     &m_spelling,
                                       &m_maintenance, &m_compose};
    return nIndex >= 0 && nIndex < PAGE_COUNT ? pages[nIndex] : NULL;
}

int CSheetOptions::StorePages()
{
    for (int nIndex : kStoreOrder)
    {
        if (!Page(nIndex)->Store())
            return nIndex;
    }
    return -1;
}

LRESULT CSheetOptions::OnOK(WORD, WORD, HWND, BOOL& bHandled)
{
    int nFailed = StorePages();
    if (nFailed >= 0)
    {
        SetActivePage(nFailed);
        CPageOptions* pPage = Page(nFailed);
        if (pPage->m_nIdFailed != 0)
            ::SetFocus(::GetDlgItem(pPage->PageWindow(), pPage->m_nIdFailed));
        return 0;
    }
    DWORD dwMainThread = 0;
    ::SendMessageA(m_hWndOwner, LetrovaGetIdThread, (WPARAM)&dwMainThread, 0);
    if (dwMainThread != 0)
        ::PostThreadMessageA(dwMainThread, WM_USER, ID_UPDATE, 0);
    // The sheet's own OK closes it.
    bHandled = FALSE;
    return 0;
}

LRESULT CSheetOptions::OnPressButton(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != PSBTN_OK)
    {
        bHandled = FALSE;
        return 0;
    }
    return OnOK(0, IDOK, NULL, bHandled);
}

LRESULT CSheetOptions::OnShowWindow(WORD, WORD, HWND hWndPage, BOOL&)
{
    if (hWndPage != NULL && hWndPage == m_signatures.m_hWnd)
        SetActivePage(PAGE_SIGNATURES);
    return 0;
}

INT_PTR RunOptionsSheet(HWND hWndOwner, UINT nStartPage)
{
    CRegistry* pRegistry = NULL;
    ::SendMessageA(hWndOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    if (pRegistry == NULL)
        return IDCANCEL;
    CSheetOptions sheet(pRegistry, hWndOwner, nStartPage);
    const char* pszOldHint = FailureHintText;
    FailureHintText = OptionsText::kRebootText;
    INT_PTR nResult = sheet.DoModal(::GetActiveWindow());
    FailureHintText = pszOldHint;
    return nResult;
}

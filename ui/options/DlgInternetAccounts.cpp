// The Internet Accounts dialog and its two tabs.
#include "ui/options/DlgInternetAccounts.h"

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "store/StoreTexts.h"
#include "foundation/Exception.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/OLEDBException.h"
#include "store/TableBase.h"
#include "ui/options/AccountTexts.h"
#include "ui/options/AccountWizard.h"
#include "ui/options/OptionsSheetCall.h"

namespace
{
const WPARAM ID_DELETE_ACCOUNT_COMMAND = 33042;
const LONG kFlagIncludeWhenReceiving = 0x4;

void AddColumn(HWND hList, int nColumn, UINT nIdHeader, int nWidth)
{
    CString strHeader = AtlLoadString(nIdHeader);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>((const char*)strHeader);
    column.cx = nWidth;
    column.iSubItem = nColumn;
    ::SendMessageA(hList, LVM_INSERTCOLUMNA, nColumn, (LPARAM)&column);
}

void SetCell(HWND hList, int nItem, int nColumn, const char* pszText)
{
    LVITEMA item = {};
    item.iSubItem = nColumn;
    item.pszText = const_cast<char*>(pszText);
    ::SendMessageA(hList, LVM_SETITEMTEXTA, nItem, (LPARAM)&item);
}
} // namespace

void CAccountsNewsTab::UnderConstruction()
{
    AppMessageBox(AccountText::kUnderConstruction, MB_ICONINFORMATION, ::GetParent(m_list));
}

CAccountsTable* CAccountsMailTab::AccountsTable()
{
    CAccountsTable* pAccounts = NULL;
    ::SendMessageA(m_hOwner, LetrovaGetTable, (WPARAM)&pAccounts, (LPARAM) "Accounts");
    if (pAccounts == NULL)
        throw AccountText::kNoAccountsTable;
    return pAccounts;
}

void CAccountsMailTab::PostUpdateToMainThread()
{
    DWORD dwThreadId = 0;
    ::SendMessageA(m_hOwner, LetrovaGetIdThread, (WPARAM)&dwThreadId, 0);
    if (dwThreadId != 0)
        ::PostThreadMessageA(dwThreadId, WM_USER, ID_UPDATE, 0);
}

void CAccountsMailTab::FillAccountList()
{
    m_list.DeleteAllItems();
    CAccountsTable* pAccounts = AccountsTable();
    pAccounts->CloseTable();
    pAccounts->m_ID = 0;
    pAccounts->Open(::GetParent(m_list));
    const CString strMail = AtlLoadString(IDS_ACCOUNTS_MAIL);
    const CString strDefault = "(" + AtlLoadString(IDS_ACCOUNTS_DEFAULT) + ")";
    const CString strYes = AtlLoadString(IDS_ACCOUNTS_YES);
    const CString strNo = AtlLoadString(IDS_ACCOUNTS_NO);
    for (int nItem = 0; pAccounts->MoveNext() == S_OK; nItem++)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = nItem;
        item.pszText = pAccounts->m_szDisplayName;
        item.lParam = pAccounts->m_ID;
        int nIndex = (int)::SendMessageA(m_list, LVM_INSERTITEMA, 0, (LPARAM)&item);
        // Asking is also what makes the first account the default when the user has none.
        CString strType = pAccounts->IsDefaultAccount(::GetParent(m_list)) ? strMail + strDefault : strMail;
        SetCell(m_list, nIndex, 1, strType);
        SetCell(m_list, nIndex, 2, pAccounts->m_szEmailAddress);
        SetCell(m_list, nIndex, 3, (pAccounts->m_Flags & kFlagIncludeWhenReceiving) ? strYes : strNo);
    }
    pAccounts->CloseTable();
}

CAccountsTable* CAccountsMailTab::GetSelectedAccount()
{
    HWND hDlg = ::GetParent(m_list);
    int nSelected = (int)::SendMessageA(m_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (nSelected < 0)
    {
        AppMessageBoxId(IDS_SELECT_AN_ITEM, MB_ICONINFORMATION, hDlg);
        return NULL;
    }
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nSelected;
    ::SendMessageA(m_list, LVM_GETITEMA, 0, (LPARAM)&item);
    CAccountsTable* pAccounts = AccountsTable();
    pAccounts->CloseTable();
    pAccounts->Clear();
    pAccounts->m_ID = (LONG)item.lParam;
    pAccounts->Open(hDlg, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
    if (pAccounts->MoveFirst() != S_OK)
    {
        // Gone behind the list's back: the list is what is wrong.
        pAccounts->CloseTable();
        FillAccountList();
        return NULL;
    }
    return pAccounts;
}

void CAccountsMailTab::Add()
{
    HWND hDlg = ::GetParent(m_list);
    CAccountsTable* pAccounts = AccountsTable();
    pAccounts->CloseTable();
    AddAccount(m_hOwner, pAccounts->GetSession(),
               [hDlg](CAccountsRecord& record) { return RunNewAccountWizard(record, hDlg); });
    FillAccountList();
}

void CAccountsMailTab::Remove()
{
    HWND hDlg = ::GetParent(m_list);
    CAccountsTable* pAccounts = GetSelectedAccount();
    if (pAccounts == NULL)
        return;
    // Asked before anything changes: No leaves the account and the default as they were. Deleting moves
    // the default off the account.
    if (AppMessageBoxId(IDS_DELETE_ACCOUNT_QUESTION, MB_YESNO | MB_ICONQUESTION, hDlg) != IDYES)
    {
        pAccounts->CloseTable();
        return;
    }
    pAccounts = GetSelectedAccount();
    if (pAccounts == NULL)
        return;
    // The row's buffer does not outlive the deletion: the owner hears of a copy.
    CAccountsRecord removed = *pAccounts;
    HRESULT hr = pAccounts->DeleteAccount(hDlg);
    if (FAILED(hr))
    {
        CString strText;
        strText.Format(AccountText::kDeleteAccountFailed, (long)removed.m_ID, removed.m_szAccountName);
        throw new COLEDBException(pAccounts->m_spRowset, IID_IRowsetChange, strText, pAccounts->GetSession(),
                                  hDlg, TRUE, NULL, FALSE, TRUE, hr);
    }
    pAccounts->CloseTable();
    if (removed.m_IncomingServerType == INCOMING_SERVER_IMAP)
        PostUpdateToMainThread();
    ::SendMessageA(m_hOwner, WM_COMMAND, ID_DELETE_ACCOUNT_COMMAND, (LPARAM)&removed);
    FillAccountList();
}

void CAccountsMailTab::Properties()
{
    HWND hDlg = ::GetParent(m_list);
    CAccountsTable* pAccounts = GetSelectedAccount();
    if (pAccounts == NULL)
        return;
    CAccountWizard sheet(*pAccounts, CAccountWizard::MODE_PROPERTIES, pAccounts);
    if (sheet.Run(hDlg) != 1)
    {
        pAccounts->CloseTable();
        return;
    }
    HRESULT hr = pAccounts->SetData();
    if (FAILED(hr))
        throw new COLEDBException(pAccounts->m_spRowset, IID_IRowsetChange,
                                  StoreText::kUpdateAccountsFailed, pAccounts->GetSession(), hDlg, TRUE,
                                  NULL, FALSE, TRUE, hr);
    bool bImap = pAccounts->m_IncomingServerType == INCOMING_SERVER_IMAP;
    pAccounts->CloseTable();
    if (bImap)
        PostUpdateToMainThread();
    FillAccountList();
}

void CAccountsMailTab::SetDefault()
{
    CAccountsTable* pAccounts = GetSelectedAccount();
    if (pAccounts == NULL)
        return;
    pAccounts->SetDefaultAccount(::GetParent(m_list));
    pAccounts->CloseTable();
    FillAccountList();
}

CString CInternetAccountsHelp::GetHelpText(int nIdControl)
{
    switch (nIdControl)
    {
    case IDC_ACCOUNTS_MAIL_LIST:
    case IDC_ACCOUNTS_NEWS_LIST:
        return AtlLoadString(IDS_HELP_ACCOUNTS_LIST);
    case IDC_ACCOUNTS_ADD:
        return AtlLoadString(IDS_HELP_ACCOUNTS_ADD);
    case IDC_ACCOUNTS_REMOVE:
        return AtlLoadString(IDS_HELP_ACCOUNTS_REMOVE);
    case IDC_ACCOUNTS_PROPERTIES:
        return AtlLoadString(IDS_HELP_ACCOUNTS_PROPERTIES);
    case IDC_ACCOUNTS_SET_DEFAULT:
        return AtlLoadString(IDS_HELP_ACCOUNTS_SET_DEFAULT);
    default:
        return CContextualHelp::GetHelpText(nIdControl);
    }
}

CDlgInternetAccounts::CDlgInternetAccounts(HWND hOwner) : m_hOwner(hOwner), m_mail(hOwner), m_news(hOwner) {}

LRESULT CDlgInternetAccounts::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_tabs.Attach(GetDlgItem(IDC_ACCOUNTS_TABS));
    CString strMail = AtlLoadString(IDS_ACCOUNTS_MAIL);
    CString strNews = AtlLoadString(IDS_ACCOUNTS_NEWS);
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT | TCIF_PARAM;
    tab.pszText = const_cast<char*>((const char*)strMail);
    tab.lParam = (LPARAM) static_cast<CAccountsTab*>(&m_mail);
    ::SendMessageA(m_tabs, TCM_INSERTITEMA, 0, (LPARAM)&tab);
    tab.pszText = const_cast<char*>((const char*)strNews);
    tab.lParam = (LPARAM) static_cast<CAccountsTab*>(&m_news);
    ::SendMessageA(m_tabs, TCM_INSERTITEMA, 1, (LPARAM)&tab);

    RECT rcTabs;
    m_tabs.GetWindowRect(&rcTabs);
    ::MapWindowPoints(NULL, m_hWnd, (POINT*)&rcTabs, 2);
    RECT rcItem;
    int nItemHeight =
        ::SendMessageA(m_tabs, TCM_GETITEMRECT, 0, (LPARAM)&rcItem) ? rcItem.bottom - rcItem.top : 19;
    RECT rcList = {rcTabs.left + 3, rcTabs.top + nItemHeight + 6, rcTabs.right - 3, rcTabs.bottom - 3};

    m_mail.m_list.Attach(GetDlgItem(IDC_ACCOUNTS_MAIL_LIST));
    m_news.m_list.Attach(GetDlgItem(IDC_ACCOUNTS_NEWS_LIST));
    for (CAccountsTab* pTab : {static_cast<CAccountsTab*>(&m_mail), static_cast<CAccountsTab*>(&m_news)})
    {
        ::SetWindowPos(pTab->m_list, HWND_TOP, rcList.left, rcList.top, rcList.right - rcList.left,
                       rcList.bottom - rcList.top, SWP_NOACTIVATE);
        ::SendMessageA(pTab->m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                       LVS_EX_FULLROWSELECT);
    }
    AddColumn(m_mail.m_list, 0, IDS_ACCOUNTS_ACCOUNT, 150);
    AddColumn(m_mail.m_list, 1, IDS_ACCOUNTS_TYPE, 100);
    AddColumn(m_mail.m_list, 2, IDS_ACCOUNTS_EMAIL_ADDRESS, 150);
    AddColumn(m_mail.m_list, 3, IDS_ACCOUNTS_RECEIVING, 70);
    AddColumn(m_news.m_list, 0, IDS_ACCOUNTS_ACCOUNT, 100);
    AddColumn(m_news.m_list, 1, IDS_ACCOUNTS_TYPE, 100);
    try
    {
        m_mail.FillAccountList();
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
    }

    SelectTab(1);
    SelectTab(0);
    return TRUE;
}

void CDlgInternetAccounts::SelectTab(int nTab)
{
    ::SendMessageA(m_tabs, TCM_SETCURSEL, nTab, 0);
    BOOL bHandled = TRUE;
    OnTabChange(IDC_ACCOUNTS_TABS, NULL, bHandled);
}

LRESULT CDlgInternetAccounts::OnEnd(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}

LRESULT CDlgInternetAccounts::OnTabChange(int, LPNMHDR, BOOL&)
{
    int nTab = (int)::SendMessageA(m_tabs, TCM_GETCURSEL, 0, 0);
    TCITEMA tab = {};
    tab.mask = TCIF_PARAM;
    if (nTab < 0 || !::SendMessageA(m_tabs, TCM_GETITEMA, nTab, (LPARAM)&tab))
        return 0;
    CAccountsTab* pTab = reinterpret_cast<CAccountsTab*>(tab.lParam);
    if (pTab == m_pCurrent)
        return 0;
    ::ShowWindow(pTab->m_list, SW_SHOW);
    if (m_pCurrent != NULL)
        ::ShowWindow(m_pCurrent->m_list, SW_HIDE);
    m_pCurrent = pTab;
    return 0;
}

void CDlgInternetAccounts::RunGuarded(void (CAccountsTab::*pfnCommand)())
{
    if (m_pCurrent == NULL)
        return;
    try
    {
        (m_pCurrent->*pfnCommand)();
    }
    catch (COLEDBException* pException)
    {
        delete pException; // shown when it was made
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
    }
}

LRESULT CDlgInternetAccounts::OnTabCommand(WORD, WORD wID, HWND, BOOL&)
{
    switch (wID)
    {
    case IDC_ACCOUNTS_ADD:
        RunGuarded(&CAccountsTab::Add);
        break;
    case IDC_ACCOUNTS_REMOVE:
        RunGuarded(&CAccountsTab::Remove);
        break;
    case IDC_ACCOUNTS_PROPERTIES:
        RunGuarded(&CAccountsTab::Properties);
        break;
    case IDC_ACCOUNTS_SET_DEFAULT:
        RunGuarded(&CAccountsTab::SetDefault);
        break;
    }
    return 0;
}

LRESULT CDlgInternetAccounts::OnDoubleClick(int, LPNMHDR, BOOL&)
{
    RunGuarded(&CAccountsTab::Properties);
    return 0;
}

LRESULT CDlgInternetAccounts::OnLocation(WORD, WORD, HWND, BOOL&)
{
    CRegistry* pRegistry = NULL;
    ::SendMessageA(m_hOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    if (COptionsSheetCall::Run(pRegistry, m_hOwner, m_hWnd, kOptionsPageAccounts) == 1)
    {
        try
        {
            m_mail.FillAccountList();
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        catch (const char* pszText)
        {
            AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
        }
    }
    return 0;
}

INT_PTR RunInternetAccountsDialog(HWND hOwner)
{
    CDlgInternetAccounts dlg(hOwner);
    HWND hWndParent = ::GetActiveWindow();
    return dlg.DoModal(hWndParent != NULL ? hWndParent : hOwner);
}

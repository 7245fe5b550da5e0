// The address-book window.
#include "ui/addressbook/MainFrameAddressBook.h"

#include "platform/wtl/SystemSeams.h"
#include "store/DatabaseBase.h"
#include "ui/addressbook/AddressBookTexts.h"

namespace
{
const char kHelpFileName[] = "OrbMail.chm";
const UINT kHtmlHelpDisplayTopic = 0;
} // namespace

LRESULT CDlgAddressBookPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_list.SubclassWindow(GetDlgItem(IDC_AB_LIST));
    m_list.InitContactListView();
    return TRUE;
}

LRESULT CDlgAddressBookPane::OnItemChanged(int, LPNMHDR, BOOL&)
{
    ::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kUpdate2, 0);
    return 0;
}

LRESULT CDlgAddressBookPane::OnColumnClick(int, LPNMHDR pnmh, BOOL&)
{
    m_list.SendMessage(LVM_SORTITEMS, ((LPNMLISTVIEW)pnmh)->iSubItem, 0);
    return 0;
}

LRESULT CDlgAddressBookPane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    LRESULT lResult = m_list.m_hWnd != NULL ? m_list.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    if (LOWORD(wParam) == IDC_AB_SEARCH && HIWORD(wParam) == EN_CHANGE)
    {
        char szText[256] = "";
        GetDlgItemText(IDC_AB_SEARCH, szText, sizeof(szText));
        m_list.SelectByText(szText);
    }
    else if (LOWORD(wParam) == IDC_AB_FIND && HIWORD(wParam) == BN_CLICKED)
        m_list.OnFindPeople();
    return lResult;
}

LRESULT CDlgAddressBookPane::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_list.m_hWnd == NULL)
        return 0;
    RECT rcList, rcClient;
    m_list.GetWindowRect(&rcList);
    ScreenToClient(&rcList);
    GetClientRect(&rcClient);
    m_list.MoveWindow(rcList.left, rcList.top, rcClient.right - rcList.left, rcClient.bottom - rcList.top, TRUE);
    RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return 0;
}

CMainFrameAddressBook::CMainFrameAddressBook(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId)
    : CMainFrameBase<CMainFrameAddressBook>(pDatabaseMy, pRegistry, dwThreadId, 0, NULL), m_pane(this)
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrameAddressBook()");
}

CMainFrameAddressBook::~CMainFrameAddressBook()
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\n~CMainFrameAddressBook()");
}

const char* CMainFrameAddressBook::GetHelpTopic()
{
    return AddressBookText::kHelpTopic;
}

BOOL CMainFrameAddressBook::PreTranslateMessage(MSG* pMsg)
{
    if (CMainFrameBase<CMainFrameAddressBook>::PreTranslateMessage(pMsg))
        return TRUE;
    // Tab moves between the search box, Find and the list; Enter and Escape do nothing to the pane.
    return pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && m_pane.m_hWnd != NULL &&
           ::IsDialogMessageA(m_pane.m_hWnd, pMsg);
}

LRESULT CMainFrameAddressBook::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND hWndCmdBar = m_cmdBar.Create(m_hWnd, rcDefault, NULL, ATL_SIMPLE_CMDBAR_PANE_STYLE);
    m_cmdBar.AttachMenu(GetMenu());
    m_cmdBar.LoadImages(IDR_ADDRESS_BOOK);
    SetMenu(NULL);

    m_hWndToolBarCtrl = CreateSimpleToolBarCtrl(m_hWnd, IDR_ADDRESS_BOOK, FALSE, ATL_SIMPLE_TOOLBAR_PANE_STYLE);
    if (m_hWndToolBarCtrl != NULL)
    {
        ::SendMessageA(m_hWndToolBarCtrl, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
        TBBUTTONINFOA info = {sizeof(info), TBIF_STYLE};
        ::SendMessageA(m_hWndToolBarCtrl, TB_GETBUTTONINFOA, AddressBookCmd::kNewContact, (LPARAM)&info);
        info.fsStyle |= BTNS_DROPDOWN;
        ::SendMessageA(m_hWndToolBarCtrl, TB_SETBUTTONINFOA, AddressBookCmd::kNewContact, (LPARAM)&info);
    }
    CreateSimpleReBar(ATL_SIMPLE_REBAR_NOBORDER_STYLE);
    AddSimpleReBarBand(hWndCmdBar);
    if (m_hWndToolBarCtrl != NULL)
        AddSimpleReBarBand(m_hWndToolBarCtrl, NULL, TRUE);
    CreateSimpleStatusBar("Ready");

    m_pane.Create(m_hWnd);
    m_hWndClient = m_pane.m_hWnd;

    if (m_hWndToolBarCtrl != NULL)
        UIAddToolBar(m_hWndToolBarCtrl);
    UISetCheck(ID_VIEW_TOOLBAR, 1);
    UISetCheck(ID_VIEW_STATUS_BAR, 1);
    RegisterWithLoop();
    UpdateLayout();
    return 0;
}

LRESULT CMainFrameAddressBook::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // The menu went to the command bar, so the window no longer destroys it with itself.
    HMENU hMenu = m_cmdBar.GetMenu();
    m_cmdBar.AttachMenu(NULL);
    if (hMenu != NULL)
        ::DestroyMenu(hMenu);
    // The frame base goes on with its own.
    bHandled = FALSE;
    return 0;
}

LRESULT CMainFrameAddressBook::OnExit(WORD, WORD, HWND, BOOL&)
{
    PostMessage(WM_CLOSE);
    return 0;
}

LRESULT CMainFrameAddressBook::OnNewMessageWithRecipient(WORD, WORD, HWND hWndCtl, BOOL&)
{
    ::PostThreadMessageA(m_dwThreadId, WM_USER, AddressBookCmd::kNewMessageToContact, (LPARAM)hWndCtl);
    return 1;
}

LRESULT CMainFrameAddressBook::OnHelp(WORD, WORD, HWND, BOOL&)
{
    CString strPath = CString(kHelpFileName) + GetHelpTopic();
    CSystemSeams::ShowHtmlHelp(NULL, strPath, kHtmlHelpDisplayTopic, 0);
    return 0;
}

LRESULT CMainFrameAddressBook::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    LRESULT lResult = 0;
    if (m_pane.m_hWnd != NULL)
        lResult = m_pane.SendMessage(WM_COMMAND, wParam, lParam);
    WORD nID = LOWORD(wParam);
    if (nID == AddressBookCmd::kUpdate || nID == AddressBookCmd::kUpdate2)
    {
        UpdateCommandUI();
        return 1;
    }
    bHandled = FALSE;
    return lResult;
}

void CMainFrameAddressBook::UpdateCommandUI()
{
    CAddressBookListView& list = m_pane.m_list;
    bool bSelected = list.m_hWnd != NULL && list.GetNextItem(-1, LVNI_SELECTED) != -1;
    UIEnable(AddressBookCmd::kProperties, bSelected);
    UIEnable(AddressBookCmd::kDelete, bSelected);
    UIEnable(AddressBookCmd::kExportVcard, bSelected);
    // Print acts on rows: All prints every one.
    UIEnable(AddressBookCmd::kFilePrint, list.m_hWnd != NULL && list.GetItemCount() > 0);
    UIUpdateToolBar();
    bool bCentral = m_pDatabaseMy != NULL && m_pDatabaseMy->m_Orb.IsOpen();
    SetWindowText(bCentral ? "Address Book" : "Private Address Book"); // strings 146, 247 + 146
}

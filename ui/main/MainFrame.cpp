// The main window.
#include "ui/main/MainFrame.h"

#include <exdisp.h>
#include <mmsystem.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/ThreadManager.h"
#include "content/DlgImportOE.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "foundation/Texts.h"
#include "platform/wtl/SystemSeams.h"
#include "store/AccountsTable.h"
#include "store/CompactDatabase.h"
#include "store/DatabaseBase.h"
#include "store/Folders.h"
#include "platform/wtl/atlhost.h"
#include "ui/addressbook/WabImportCommand.h"
#include "ui/main/FrameBaseSupport.h"
#include "ui/main/MainDialogStandIns.h"
#include "ui/main/MessageRows.h"
#include "ui/main/MessageFlagsNotice.h"

#include "transport/DlgProgress.h"

const char kPartnerWebAddress[] = "http://www.vorn.example/email";
const char* g_pszIdentitiesKey = "Identities";

namespace
{
const UINT_PTR kNewMailTimer = 1;
// A receive run notices every message it stores; counting the folder, setting the status bar and relabelling
// the tree for each costs the worker a wait on this thread far longer than storing the message.
const UINT_PTR kCountsTimer = 2;
const UINT kCountsDelay = 250;
const UINT kTrayIconId = 0;
const DWORD kCloseWaitMs = 100;
const char kOptions[] = "Options";
const char kCheckNewMessages[] = "Check New Messages";
const char kCheckNewMessagesTimeOut[] = "Check New Messages TimeOut";
const int kDefaultTimeOut = 900000;
const char kUpdateWhenStarting[] = "Internet Update When Starting";
const char kFolderNotDetected[] = "ERROR: Message's folder was not detected!\r\nFolderID = %ld";
const char kCompactFailed[] = "Compact database failed.";
// Played without waiting, and never the default sound when the resource is missing.
const DWORD kNewMailSoundFlags = SND_RESOURCE | SND_ASYNC | SND_NODEFAULT;
const WORD kIdDeleteMessageFromList = 33044;

bool ClassNameBegins(HWND hWnd, const char* pszPrefix)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return _strnicmp(szClass, pszPrefix, strlen(pszPrefix)) == 0;
}

bool IsSelfOrInside(HWND hWnd, HWND hContainer)
{
    return hContainer != NULL && (hWnd == hContainer || ::IsChild(hContainer, hWnd));
}

HWND DefaultProgressWindow()
{
    CDlgProgress* pProgress = g_pDlgProgress;
    return pProgress != NULL && ::IsWindow(pProgress->m_hWnd) ? pProgress->m_hWnd : NULL;
}

CMainFrame::ProgressWindowFinder s_pfnProgressWindow = DefaultProgressWindow;

HWND ProgressWindow()
{
    return s_pfnProgressWindow();
}

void ShowProgressWindow(HWND hWnd)
{
    ::ShowWindow(hWnd, SW_SHOW);
    ::SetForegroundWindow(hWnd);
}

class CRegKey
{
public:
    ~CRegKey()
    {
        if (m_hKey != NULL)
            ::RegCloseKey(m_hKey);
    }
    bool Open(HKEY hParent, const char* pszKey)
    {
        return ::RegOpenKeyExA(hParent, pszKey, 0, KEY_READ, &m_hKey) == ERROR_SUCCESS;
    }
    // The size first, then the text.
    bool QueryText(const char* pszName, CString& strValue)
    {
        DWORD dwType = 0, cbData = 0;
        if (::RegQueryValueExA(m_hKey, pszName, NULL, &dwType, NULL, &cbData) != ERROR_SUCCESS || cbData == 0)
            return false;
        std::string buffer(cbData + 1, '\0');
        if (::RegQueryValueExA(m_hKey, pszName, NULL, &dwType, (BYTE*)&buffer[0], &cbData) != ERROR_SUCCESS)
            return false;
        strValue = buffer.c_str();
        return true;
    }
    HKEY m_hKey = NULL;
};
} // namespace

CMainFrame::ProgressWindowFinder CMainFrame::SetProgressWindowFinder(ProgressWindowFinder pfnFinder)
{
    ProgressWindowFinder pfnOld = s_pfnProgressWindow;
    s_pfnProgressWindow = pfnFinder != NULL ? pfnFinder : DefaultProgressWindow;
    return pfnOld;
}

CMainFrame::CMainFrame(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId, int bHide,
                       volatile LONG* pThreadCount)
    : CMainFrameBase<CMainFrame>(pDatabaseMy, pRegistry, dwThreadId, bHide, pThreadCount)
{
    m_hEventProgress = ::CreateEventA(NULL, TRUE, TRUE, NULL);
    ::SetEvent(m_hEventProgress);
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrame()");
}

CMainFrame::~CMainFrame()
{
    if (IsTraceOn())
        g_pTraceFile->Write("\r\n~CMainFrame()");
    delete m_pFolders;
    if (m_hEventProgress != NULL)
        ::CloseHandle(m_hEventProgress);
    if (m_hRichEdit != NULL)
        ::FreeLibrary(m_hRichEdit);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg)
{
    HWND hContainer = m_client.m_container.m_hWnd;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB && hContainer != NULL &&
        ::IsDialogMessageA(hContainer, pMsg))
        return TRUE;
    return CMainFrameBase<CMainFrame>::PreTranslateMessage(pMsg);
}

bool CMainFrame::CheckNewMessages()
{
    return m_pRegistry != NULL && m_pRegistry->GetProfileInt(kOptions, kCheckNewMessages, 1) != 0;
}

LRESULT CMainFrame::OnGetEventProgress(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    *reinterpret_cast<HANDLE*>(wParam) = m_hEventProgress;
    return 1;
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hRichEdit == NULL)
    {
        m_hRichEdit = ::LoadLibraryA("RICHED32.DLL");
        if (m_hRichEdit == NULL)
            AppMessageBox("Fatal error:\nFailed RICHED32.DLL load", MB_ICONSTOP, m_hWnd);
    }

    HWND hWndCmdBar = m_cmdBar.Create(m_hWnd, rcDefault, NULL, ATL_SIMPLE_CMDBAR_PANE_STYLE);
    m_cmdBar.AttachMenu(GetMenu());
    m_cmdBar.LoadImages(IDR_MAINFRAME);
    SetMenu(NULL);

    m_hWndMainToolBar = CreateSimpleToolBarCtrl(m_hWnd, IDR_MAINFRAME, FALSE, ATL_SIMPLE_TOOLBAR_PANE_STYLE);
    ::SendMessageA(m_hWndMainToolBar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    const WORD dropDowns[] = {ID_SEND_RECEIVE_ALL, (WORD)ID_NEW_MESSAGE_MENU};
    for (WORD nID : dropDowns)
    {
        TBBUTTONINFOA info = {sizeof(info), TBIF_STYLE};
        ::SendMessageA(m_hWndMainToolBar, TB_GETBUTTONINFOA, nID, (LPARAM)&info);
        info.fsStyle |= BTNS_DROPDOWN;
        ::SendMessageA(m_hWndMainToolBar, TB_SETBUTTONINFOA, nID, (LPARAM)&info);
    }
    ::SendMessageA(m_hWndMainToolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(25, 24));
    CreateSimpleReBar(ATL_SIMPLE_REBAR_NOBORDER_STYLE);
    AddSimpleReBarBand(hWndCmdBar);
    AddSimpleReBarBand(m_hWndMainToolBar, NULL, TRUE);
    CreateSimpleStatusBar();

    // The folder tree and the message list create their tables on a new database.
    if (m_pDatabaseMy != NULL && m_pDatabaseMy->m_Local.IsOpen())
    {
        m_pDatabaseMy->m_Local.m_Folders.EnsureTable(m_hWnd);
        m_pDatabaseMy->m_Local.m_Emails.EnsureTable(m_hWnd);
    }
    m_client.Create(m_hWnd, rcDefault, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    WS_EX_CLIENTEDGE);
    m_hWndClient = m_client.m_hWnd;
    // The folder tree selects its start folder before the message list exists: ask for that folder's list
    // again now that the list is there.
    CFoldersPane& folders = m_client.m_container.m_left.m_folders;
    if (folders.m_hWnd != NULL && folders.m_tree.m_hWnd != NULL && folders.m_tree.GetSelectedItem() != NULL)
        folders.SendMessage(WM_COMMAND, ID_UPDATE_MESSAGES_LIST, 0);

    UIAddToolBar(m_hWndMainToolBar);
    UIAddMenuBar(hWndCmdBar);

    UISetCheck(ID_VIEW_FOLDERS, 1);
    UISetCheck(ID_VIEW_CONTACTS, 1);
    UISetCheck(ID_VIEW_TOOLBAR, 1);
    UISetCheck(ID_VIEW_STATUS_BAR, 1);
    const int disabled[] = {ID_FILE_OPEN_MESSAGE, ID_FILE_SAVE_AS_MESSAGE, ID_NEW_FOLDER, ID_MOVE_FOLDER,
                            ID_RENAME_FOLDER, ID_DELETE_FOLDER, ID_FILE_PRINT_MESSAGE, ID_EDIT_DELETE,
                            ID_ADD_SENDER, ID_REPLY, ID_MOVE_TO_FOLDER, ID_FORWARD, ID_MARK_AS_READ,
                            ID_MARK_AS_UNREAD, ID_MARK_ALL_READ};
    for (int nID : disabled)
        UIEnable(nID, FALSE);
    for (int nID = ID_ENCODING_FIRST; nID <= ID_ENCODING_DEFAULT; nID++)
        UIEnable(nID, FALSE);
    CString strReason;
    UIEnable(ID_IMPORT_OUTLOOK_EXPRESS, FindOutlookExpressStore(NULL, strReason));
    RefreshAssociationItems();

    RegisterWithLoop();

    if (CheckNewMessages())
        m_nTimer = SetTimer(kNewMailTimer, 0);

    if (m_pRegistry != NULL && m_pRegistry->GetProfileInt(kOptions, kUpdateWhenStarting, 1) != 0)
        CMainDialogs::StartUpdateCheck(false);

    HMENU hSendReceive = SendReceiveMenu();
    if (hSendReceive != NULL)
    {
        while (::GetMenuItemCount(hSendReceive) > 0)
            ::DeleteMenu(hSendReceive, 0, MF_BYPOSITION);
        AppendAccounts(hSendReceive);
    }

    CDatabaseBase* pDatabase = NULL;
    SendMessage(LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        m_pFolders = new CFolders(&pDatabase->m_session);
    UpdateLayout();
    return 0;
}

HMENU CMainFrame::SendReceiveMenu()
{
    HMENU hMenu = m_cmdBar.GetMenu() != NULL ? m_cmdBar.GetMenu() : GetMenu();
    HMENU hTools = hMenu != NULL ? ::GetSubMenu(hMenu, 3) : NULL;
    return hTools != NULL ? ::GetSubMenu(hTools, 0) : NULL;
}

void CMainFrame::AppendAccounts(HMENU hMenu)
{
    CAccountsTable* pAccounts = NULL;
    SendMessage(LetrovaGetTable, (WPARAM)&pAccounts, (LPARAM) "Accounts");
    if (pAccounts == NULL)
        return;
    pAccounts->m_ID = 0;
    pAccounts->Open(m_hWnd);
    while (pAccounts->MoveNext() == S_OK)
        ::AppendMenuA(hMenu, MF_STRING, ID_TOOLS_SEND_RECEIVE_ACCOUNT, pAccounts->m_szDisplayName);
    pAccounts->CloseTable();
}

LRESULT CMainFrame::OnNotifyIcon(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (lParam == WM_LBUTTONDBLCLK)
        PostMessage(WM_COMMAND, ID_MAIN_WINDOW_MENU, 0);
    return 1;
}

LRESULT CMainFrame::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if ((wParam & 0xFFF0) != SC_CLOSE)
        return 0;
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCMainFrame::OnSysCommand(...). wParam = SC_CLOSE");
    if (m_hEventProgress == NULL)
        return 0;
    if (::WaitForSingleObject(m_hEventProgress, kCloseWaitMs) == WAIT_TIMEOUT)
    {
        bHandled = TRUE;
        if (IsWindowVisible())
        {
            PostToManager(ID_SEND_RECEIVE, 0);
            if (m_bKeepVisible)
            {
                m_bKeepVisible = false;
                return 0;
            }
            ShowWindow(SW_HIDE);
        }
        if (!m_bHide && m_pThreadCount != NULL && *m_pThreadCount != 1)
            PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    ::CloseHandle(m_hEventProgress);
    m_hEventProgress = NULL;
    return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    WINDOWPLACEMENT placement = {sizeof(placement)};
    if (::GetWindowPlacement(m_hWnd, &placement) && m_pRegistry != NULL)
        m_pRegistry->SaveFrameRect(placement.rcNormalPosition, placement.showCmd == SW_SHOWMAXIMIZED);
    RemoveTrayIcon();
    KillTimer(kNewMailTimer);
    KillTimer(kCountsTimer);
    m_bCountsPending = false;
    UnregisterFromLoop();
    // The menu went to the command bar, so the window no longer destroys it with itself.
    HMENU hMenu = m_cmdBar.GetMenu();
    m_cmdBar.AttachMenu(NULL);
    if (hMenu != NULL)
        ::DestroyMenu(hMenu);
    bHandled = FALSE;
    return 0;
}

void CMainFrame::RemoveTrayIcon()
{
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    CSystemSeams::NotifyIcon(NIM_DELETE, &data);
    m_bTrayIcon = false;
}

LRESULT CMainFrame::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (LOWORD(wParam))
    {
    case ID_REMOVE_TRAY_ICON:
        RemoveTrayIcon();
        return 0;
    case ID_APP_EXIT:
        PostMessage(WM_CLOSE);
        return 0;
    case ID_FILE_NEW:
        return 0;
    case ID_IS_VISIBLE_CONTACTS:
    case ID_IS_VISIBLE_FOLDERS:
        UISetCheck(LOWORD(wParam) == ID_IS_VISIBLE_CONTACTS ? ID_VIEW_CONTACTS : ID_VIEW_FOLDERS, (int)lParam);
        UIUpdateMenuBar();
        return 0;
    case ID_VIEW_MESSAGE_BODY:
        // A message to show in the preview, from the message list or from the body view itself.
        return m_client.m_container.m_right.m_preview.SendMessage(WM_COMMAND, wParam, lParam);
    case ID_VIEW_CONTACTS:
        m_client.SendMessage(WM_COMMAND, ID_IS_VISIBLE_CONTACTS, 0);
        return 0;
    case ID_VIEW_FOLDERS:
        m_client.SendMessage(WM_COMMAND, ID_IS_VISIBLE_FOLDERS, 0);
        return 0;
    case ID_SYNCHRONIZE_AND_SEND_RECEIVE:
        if (ProgressWindow() != NULL)
            AppMessageBoxId(IDS_SYNCHRONIZATION_BUSY, MB_ICONSTOP, m_hWnd);
        else
            PostToManager(ID_SYNCHRONIZE_AND_SEND_RECEIVE, 0);
        return 0;
    case ID_SEND_RECEIVE_ALL:
    {
        HWND hProgress = ProgressWindow();
        if (hProgress != NULL)
            ShowProgressWindow(hProgress);
        else
        {
            ::ResetEvent(m_hEventProgress);
            PostToManager(ID_SEND_RECEIVE, 0);
        }
        SendMessage(WM_COMMAND, ID_ENABLE_SEND_RECEIVE_MENU_ITEMS, 0);
        return 0;
    }
    case ID_TOOLS_SEND_RECEIVE_ACCOUNT:
        SendReceiveForAccount();
        return 0;
    case ID_ADD_ACCOUNT:
    {
        HMENU hMenu = SendReceiveMenu();
        if (hMenu != NULL && lParam != 0)
            ::AppendMenuA(hMenu, MF_STRING, ID_TOOLS_SEND_RECEIVE_ACCOUNT,
                          reinterpret_cast<CAccountsRecord*>(lParam)->m_szDisplayName);
        return 0;
    }
    case ID_DELETE_ACCOUNT:
    {
        HMENU hMenu = SendReceiveMenu();
        if (hMenu == NULL || lParam == 0)
            return 0;
        const char* pszName = reinterpret_cast<CAccountsRecord*>(lParam)->m_szDisplayName;
        int nCount = ::GetMenuItemCount(hMenu);
        for (int i = 0; i < nCount; i++)
        {
            char szText[256] = "";
            ::GetMenuStringA(hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
            if (strcmp(szText, pszName) == 0)
            {
                ::DeleteMenu(hMenu, i, MF_BYPOSITION);
                break;
            }
        }
        return 0;
    }
    case ID_NEW_MESSAGE_WITH_RECIPIENT:
        PostToManager(ID_NEW_MESSAGE_MENU, lParam);
        return 0;
    case ID_TOOLS_ADDRESS_BOOK:
        PostToManager(0, 0);
        return 0;
    case ID_SEL_FOLDER_CHANGED:
    {
        CFolderItemData* pData = reinterpret_cast<CFolderItemData*>(lParam);
        CListViewCtrlMessages& list = m_client.m_container.m_right.m_list.m_list;
        // A system folder node without a folder of its own under an account item is that account's view.
        list.m_strAccountName.Empty();
        CMyTreeViewCtrl& tree = m_client.m_container.m_left.m_folders.m_tree;
        if (pData != NULL && pData->folder.m_ID == 0 && tree.m_hWnd != NULL)
        {
            CFolderItemData* pParent = tree.ItemData(tree.GetParentItem(tree.GetSelectedItem()));
            if (pParent != NULL && pParent->folder.m_Type == FOLDER_CALLER_LAST)
                list.m_strAccountName = pParent->folder.m_Name;
        }
        list.SelFolderChanged(pData != NULL ? &pData->folder : NULL, -1);
        return 1;
    }
    case ID_ENABLE_SEND_RECEIVE_MENU_ITEMS:
        EnableSendReceiveItems((BOOL)lParam);
        return 0;
    case ID_ADD_MESSAGE_TO_CONTROL:
        AddReceivedMessage((LONG)lParam);
        return 0;
    case ID_UPDATE:
        m_client.SendMessage(WM_COMMAND, wParam, lParam);
        return 1;
    case ID_UPDATE_MESSAGE_FLAGS:
        if (lParam == NOTICE_SHOW_LATER)
        {
            CountLater();
            return 0;
        }
        FolderSummary(MessageFlagsNotice.nFolderID);
        m_client.SendMessage(WM_COMMAND, wParam, lParam);
        return 0;
    case ID_SET_FOLDER_UNREAD:
        // Messages left the listed folder: its summary changes with them.
        m_client.SendMessage(WM_COMMAND, wParam, lParam);
        if (MessageFlagsNotice.nPreviousFolderID > 0)
            FolderSummary(MessageFlagsNotice.nPreviousFolderID);
        return 1;
    case ID_WEB_LINK:
        if ((INT_PTR)CSystemSeams::ShellExecuteFile(m_hWnd, "open", kPartnerWebAddress, NULL, NULL, SW_SHOWNORMAL) <=
            32)
            AppMessageBox(GetLastErrorText(), MB_ICONERROR, m_hWnd);
        return 0;
    case ID_CHECKING_NEW_MESSAGES_COMPLETED:
        if (CheckNewMessages())
            m_nTimer = SetTimer(kNewMailTimer, NewMailInterval());
        return 0;
    case ID_COMPACT_ALL_FOLDERS:
        CompactFirstStep();
        return 0;
    case ID_CONTINUE_COMPACT_ALL_FOLDERS:
        CompactSecondStep();
        return 0;
    case ID_NEW_MESSAGES_COUNT:
        NewMessagesCount((LONG)lParam);
        return 0;
    case ID_GET_OUTLOOK_EXPRESS_50_STORE_ROOT:
    {
        CString strReason;
        if (!FindOutlookExpressStore(reinterpret_cast<CString*>(lParam), strReason))
            ShowErrorReportPrompt("Import messages from Outloook Express 6.0 error:\r\n" + strReason, NULL);
        return 0;
    }
    case ID_IMPORT_OUTLOOK_EXPRESS:
    {
        CDlgImportOE dlg(m_hWnd);
        dlg.DoModal();
        return 0;
    }
    case ID_IMPORT_ADDRESS_BOOK:
        OnImportWAB();
        return 0;
    case ID_TOOLS_ACCOUNTS:
        CMainDialogs::RunAccountsDialog(m_hWnd);
        return 0;
    case ID_TOOLS_OPTIONS:
        RunOptions();
        return 0;
    case ID_MESSAGE_RULES:
        CMainDialogs::RunMessageRulesSheet(m_hWnd);
        return 0;
    case ID_RUN_INTERNET_UPDATE:
        CMainDialogs::StartUpdateCheck(true);
        return 0;
    case ID_ASSOCIATE:
        if (CMainDialogs::Associate())
            AppMessageBoxId(IDS_ASSOCIATED, MB_ICONINFORMATION, m_hWnd);
        RefreshAssociationItems();
        return 0;
    case ID_RESTORE_ASSOCIATE:
    {
        CString strHandler;
        if (CMainDialogs::RestoreAssociation(strHandler))
        {
            CString strText;
            strText.Format(AtlLoadString(IDS_ASSOCIATION_RESTORED), (const char*)strHandler);
            AppMessageBox(strText, MB_ICONINFORMATION, m_hWnd);
        }
        RefreshAssociationItems();
        return 0;
    }
    case ID_EDIT_DELETE:
    case ID_MOVE_TO_FOLDER:
    {
        HWND hFocus = ::GetFocus();
        if (hFocus != NULL && ::IsWindow(hFocus))
            ::SendMessageA(hFocus, WM_COMMAND, LOWORD(wParam), 0);
        return 0;
    }
    case ID_CLOSE_LOCAL_DATABASE:
        if (m_pFolders != NULL)
            m_pFolders->Close();
        m_client.SendMessage(WM_COMMAND, wParam, lParam);
        return 0;
    case ID_ACTIVATE:
        m_bKeepVisible = true;
        ::SetActiveWindow(m_hWnd);
        ShowWindow(SW_MINIMIZE);
        ShowWindow(SW_RESTORE);
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CMainFrame::OnToolBarDropDown(int, LPNMHDR pnmh, BOOL& bHandled)
{
    NMTOOLBARA* pToolBar = reinterpret_cast<NMTOOLBARA*>(pnmh);
    if (pnmh->hwndFrom != m_hWndMainToolBar)
    {
        bHandled = FALSE;
        return 0;
    }
    RECT rc = {};
    ::SendMessageA(m_hWndMainToolBar, TB_GETRECT, pToolBar->iItem, (LPARAM)&rc);
    ::MapWindowPoints(m_hWndMainToolBar, HWND_DESKTOP, (POINT*)&rc, 2);
    bool bSendReceive = pToolBar->iItem == ID_SEND_RECEIVE_ALL;
    HMENU hMenu = ::LoadMenuA(GetResourceModule(),
                              MAKEINTRESOURCEA(bSendReceive ? IDR_SEND_RECEIVE_MENU : IDR_NEW_MESSAGE_MENU));
    if (hMenu == NULL)
        return TBDDRET_DEFAULT;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    if (bSendReceive)
    {
        ::AppendMenuA(hPopup, MF_SEPARATOR, 0, NULL);
        AppendAccounts(hPopup);
    }
    TPMPARAMS params = {sizeof(params), rc};
    ::TrackPopupMenuEx(hPopup, TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, m_hWnd, &params);
    ::DestroyMenu(hMenu);
    return TBDDRET_DEFAULT;
}

LRESULT CMainFrame::OnPaneCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    LRESULT lResult = m_client.m_hWnd != NULL ? m_client.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    bHandled = lResult != 0;
    return lResult;
}

LRESULT CMainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam == kCountsTimer)
    {
        ShowPendingCounts();
        return 0;
    }
    if (wParam != kNewMailTimer)
    {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kNewMailTimer);
    HWND hProgress = ProgressWindow();
    if (hProgress != NULL)
    {
        ShowProgressWindow(hProgress);
        return 0;
    }
    m_bSound = true;
    ::ResetEvent(m_hEventProgress);
    PostToManager(ID_RECEIVE, 0);
    return 0;
}

int CMainFrame::NewMailInterval()
{
    return m_pRegistry != NULL ? m_pRegistry->GetProfileInt(kOptions, kCheckNewMessagesTimeOut, kDefaultTimeOut)
                               : kDefaultTimeOut;
}

void CMainFrame::OnImportWAB()
{
    ImportWindowsAddressBook(m_hWnd);
}

void CMainFrame::RunOptions()
{
    bool bWasOn = CheckNewMessages();
    int nOldInterval = NewMailInterval();
    CMainDialogs::RunOptionsSheet(m_hWnd);
    bool bOn = CheckNewMessages();
    int nInterval = NewMailInterval();
    if (!bOn)
    {
        if (bWasOn && m_nTimer != 0)
        {
            KillTimer(kNewMailTimer);
            m_nTimer = 0;
        }
        return;
    }
    if (bWasOn && nInterval == nOldInterval)
        return;
    if (bWasOn)
        KillTimer(kNewMailTimer);
    m_nTimer = SetTimer(kNewMailTimer, nInterval);
}

void CMainFrame::RefreshAssociationItems()
{
    bool bRegistered = CMainDialogs::IsDocumentTypeRegistered();
    UIEnable(ID_RESTORE_ASSOCIATE, bRegistered && CMainDialogs::HasOldFileTypeId(m_pRegistry));
    UIEnable(ID_ASSOCIATE, !bRegistered && !CMainDialogs::ExecutablePath().IsEmpty());
}

void CMainFrame::SendReceiveForAccount()
{
    if (ProgressWindow() == NULL)
    {
        CAccountsTable* pAccounts = NULL;
        SendMessage(LetrovaGetTable, (WPARAM)&pAccounts, (LPARAM) "Accounts");
        if (pAccounts != NULL)
        {
            pAccounts->m_ID = 0;
            pAccounts->Open(m_hWnd);
            while (pAccounts->MoveNext() == S_OK)
            {
                if (m_strHighlightedText == pAccounts->m_szDisplayName)
                {
                    ::ResetEvent(m_hEventProgress);
                    PostToManager(ID_SEND_RECEIVE_ACCOUNT, pAccounts->m_ID);
                    break;
                }
            }
            pAccounts->CloseTable();
        }
    }
    SendMessage(WM_COMMAND, ID_ENABLE_SEND_RECEIVE_MENU_ITEMS, 0);
}

void CMainFrame::EnableSendReceiveItems(BOOL bEnable)
{
    m_bSendReceiveEnabled = bEnable;
    UIEnable(ID_SEND_RECEIVE_ALL, bEnable);
    HMENU hMenu = SendReceiveMenu();
    if (hMenu == NULL)
        return;
    int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; i++)
        ::EnableMenuItem(hMenu, i, MF_BYPOSITION | (bEnable ? MF_ENABLED : MF_GRAYED));
}

void CMainFrame::NewMessagesCount(LONG nCount)
{
    if (nCount > 0)
    {
        m_strNewMail.Format(AtlLoadString(IDS_NEW_MESSAGES), (int)nCount);
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof(data);
        data.hWnd = m_hWnd;
        data.uID = kTrayIconId;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = LetrovaNotifyIcon;
        data.hIcon = ::LoadIconA(GetResourceModule(), MAKEINTRESOURCEA(IDI_NEW_MAIL));
        lstrcpynA(data.szTip, AtlLoadString(IDS_NEW_MAIL_TIP), 64);
        CSystemSeams::NotifyIcon(NIM_ADD, &data);
        m_bTrayIcon = true;
        if (m_bSound)
        {
            CSystemSeams::PlaySoundFile("WAVE_SOUND_RINGIN", GetResourceModule(), kNewMailSoundFlags);
            m_bSound = false;
        }
    }
    else
    {
        m_strNewMail = AtlLoadString(IDS_NO_NEW_MESSAGES);
    }
    PostMessage(WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM)(const char*)m_strNewMail);
}

void CMainFrame::FolderSummary(LONG nFolderID)
{
    if (m_pFolders == NULL || !m_pFolders->LoadFolder(nFolderID, m_hWnd))
    {
        CString strText;
        strText.Format(kFolderNotDetected, (long)nFolderID);
        throw new CException(strText);
    }
    // The store's counts, not the notice's: the notice is shared by every writer and may be stale by now.
    CString strName = m_pFolders->m_Name;
    LONG nMessages = 0, nUnread = 0;
    m_pFolders->CountMessages(nFolderID, nMessages, nUnread);
    CString strSummary;
    strSummary.Format(AtlLoadString(IDS_FOLDER_SUMMARY), (int)nMessages, (int)nUnread, (const char*)strName);
    if (nUnread < m_nLastUnread)
        RemoveTrayIcon();
    m_nLastUnread = nUnread;
    m_strStatusText = CutStatusText(strSummary);
    // Shown at once, run or no run: the fill's end has already shown the stored text, which was the
    // previous folder's, and a mark or move changes no other text.
    if (m_hWndStatusBar != NULL)
        ::SendMessageA(m_hWndStatusBar, SB_SETTEXTA, 255 | SBT_NOBORDERS, (LPARAM)(const char*)m_strStatusText);
    m_strTitle = strName + " - " + AtlLoadString(IDS_PROJNAME);
    // The caption belongs to the window manager: set again unchanged, for each message a run stores, it
    // costs a round trip there every time.
    char szShown[300] = {};
    ::GetWindowTextA(m_hWnd, szShown, sizeof(szShown));
    if (m_strTitle != szShown)
        SetWindowText(m_strTitle);
}

void CMainFrame::CountLater()
{
    // Read now: the notice is shared and the next writer overwrites it.
    const LONG nFolderID = MessageFlagsNotice.nFolderID;
    MessageFlagsNotice.nKind = NOTICE_NONE;
    if (nFolderID <= 0)
        return;
    m_pendingCounts.insert(nFolderID);
    m_nPendingSummary = nFolderID;
    // Armed once, not again per notice: setting it anew would restart the delay and a steady run of
    // notices would show no count until it ended.
    if (!m_bCountsPending)
    {
        m_bCountsPending = true;
        SetTimer(kCountsTimer, kCountsDelay);
    }
}

void CMainFrame::ShowPendingCounts()
{
    KillTimer(kCountsTimer);
    m_bCountsPending = false;
    std::set<LONG> folders;
    folders.swap(m_pendingCounts);
    if (folders.empty())
        return;
    CFoldersPane& pane = m_client.m_container.m_left.m_folders;
    for (LONG nFolderID : folders)
        pane.UpdateUnread(nFolderID);
    const LONG nSelected = pane.SelectedFolderID();
    if (folders.count(nSelected) == 0)
        pane.UpdateUnread(nSelected);
    try
    {
        // The summary and caption describe the listed folder; a message a rule filed elsewhere does not
        // make them name that folder.
        FolderSummary(nSelected > 0 ? nSelected : m_nPendingSummary);
    }
    catch (CException* pException)
    {
        // The folder went away after its message was stored: the next summary shows what is there.
        delete pException;
    }
}

void CMainFrame::CompactFirstStep()
{
    if (::WaitForSingleObject(m_hEventProgress, 0) != WAIT_OBJECT_0)
    {
        AppMessageBoxId(IDS_STOP_BEFORE_COMPACT, MB_ICONSTOP, m_hWnd);
        if (::WaitForSingleObject(m_hEventProgress, 0) != WAIT_OBJECT_0)
            PostToManager(ID_SEND_RECEIVE, 0);
        return;
    }
    CDatabaseBase* pDatabase = NULL;
    SendMessage(LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        pDatabase->Close();
    PostToManager(ID_CONTINUE_COMPACT_ALL_FOLDERS, 0);
}

void CMainFrame::CompactSecondStep()
{
    CDatabaseBase* pDatabase = NULL;
    SendMessage(LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL || m_pRegistry == NULL)
        return;
    CString strPath = m_pRegistry->GetLocalDatabaseFileName(FALSE);
    HCURSOR hOldCursor = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
    bool bCompacted = false;
    try
    {
        pDatabase->Close();
        // The compacted copy takes the database's place in one step; until then the database is untouched.
        if (CompactDatabaseFile(strPath) != S_OK)
            throw new CException(kCompactFailed);
        bCompacted = true;
    }
    catch (CFileException* pException)
    {
        AppMessageBox(CString("ERROR: ") + pException->GetErrorText(), MB_ICONERROR, m_hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(CString("ERROR: ") + pException->m_strMessage, MB_ICONERROR, m_hWnd);
        delete pException;
    }
    ::SetCursor(hOldCursor);
    // The database opens again either way: a failed compaction leaves the original in place.
    pDatabase->Open(strPath);
    if (bCompacted)
    {
        PostToManager(ID_OPEN_LOCAL_DATABASE, 0);
        SendMessage(WM_COMMAND, ID_OPEN_LOCAL_DATABASE, 0);
    }
}

bool CMainFrame::FindOutlookExpressStore(CString* pstrRoot, CString& strReason)
{
    CRegKey identities;
    if (!identities.Open(HKEY_CURRENT_USER, g_pszIdentitiesKey))
    {
        strReason = "Identities key was not found.";
        return false;
    }
    CString strUser;
    if (!identities.QueryText("Default User ID", strUser))
    {
        strReason = "Default User ID was not found.";
        return false;
    }
    CRegKey express;
    if (!express.Open(HKEY_CURRENT_USER,
                      CString(g_pszIdentitiesKey) + "\\" + strUser + "\\Software\\Microsoft\\Outlook Express\\5.0"))
    {
        strReason = "Outlook Express 5.0 key was not found.";
        return false;
    }
    if (pstrRoot == NULL)
        return true;
    if (express.QueryText("Store Root", *pstrRoot))
        return true;
    CString strTitle = AtlLoadString(IDS_OE_SELECT_LOCATION);
    BROWSEINFOA info = {};
    info.hwndOwner = ::GetActiveWindow();
    info.lpszTitle = strTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST pidl = ::SHBrowseForFolderA(&info);
    char szPath[MAX_PATH] = "";
    if (pidl != NULL && ::SHGetPathFromIDListA(pidl, szPath))
    {
        ::CoTaskMemFree(pidl);
        *pstrRoot = CString(szPath) + "\\";
        return true;
    }
    if (pidl != NULL)
        ::CoTaskMemFree(pidl);
    strReason = "Store Root was not found.";
    return false;
}

bool CMainFrame::PreviewBrowserCanCopy(HWND hWnd, bool& bCanCopy)
{
    HWND hPreview = m_client.m_container.m_right.m_preview.m_hWnd;
    if (!IsSelfOrInside(hWnd, hPreview))
        return false;
    // The browser's own windows lie below the control host that holds it.
    for (HWND hAt = hWnd; hAt != NULL && hAt != hPreview; hAt = ::GetParent(hAt))
    {
        if (!ClassNameBegins(hAt, "AtlAxWin"))
            continue;
        CComPtr<IUnknown> spControl;
        CComQIPtr<IWebBrowser2> spBrowser;
        if (SUCCEEDED(AtlAxGetControl(hAt, &spControl)) && spControl != NULL)
            spBrowser = static_cast<IUnknown*>(spControl);
        if (spBrowser == NULL)
            return false;
        OLECMDF state = (OLECMDF)0;
        bCanCopy = SUCCEEDED(spBrowser->QueryStatusWB(OLECMDID_COPY, &state)) && (state & OLECMDF_ENABLED) != 0;
        return true;
    }
    return false;
}

bool CMainFrame::CanCopy(HWND hWnd, bool)
{
    bool bCanCopy = false;
    if (PreviewBrowserCanCopy(hWnd, bCanCopy))
        return bCanCopy;
    return ClassNameBegins(hWnd, "RichEdit") && ::SendMessageA(hWnd, EM_SELECTIONTYPE, 0, 0) != 0;
}

bool CMainFrame::CanCut(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && CanCopy(hWnd, bReadOnly);
}

bool CMainFrame::CanRedo(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && ::SendMessageA(hWnd, EM_CANREDO, 0, 0) != 0;
}

bool CMainFrame::CanSelectAll(HWND hWnd, bool)
{
    if (IsSelfOrInside(hWnd, m_client.m_container.m_right.m_list.m_list.m_hWnd))
        return true;
    return FocusAnswers(hWnd, ID_CAN_SELECT_ALL);
}

bool CMainFrame::CanFindText(HWND hWnd, bool)
{
    return FocusAnswers(hWnd, ID_CAN_FIND_TEXT);
}

void CMainFrame::AddReceivedMessage(LONG nEmailID)
{
    CListViewCtrlMessages& list = m_client.m_container.m_right.m_list.m_list;
    CMessageRow row;
    // The list's own columns only: the whole stored message, read for each one a run stores, kept the run
    // waiting on this thread.
    if (!list.ReadRow(nEmailID, row))
    {
        CDatabaseBase* pDatabase = NULL;
        SendMessage(LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
        if (pDatabase == NULL)
            return;
        CEmailsImpl<> store(&pDatabase->m_session);
        store.SelectByID(nEmailID, m_hWnd);
        row = MakeMessageRow(store);
        store.Close();
    }

    CFolderItemData* pSelected = m_client.m_container.m_left.m_folders.m_tree.SelectedData();
    if (pSelected == NULL)
        return;
    if (row.nFolderID != pSelected->folder.m_ID)
    {
        ::SendMessageA(list.m_hWnd, WM_COMMAND, kIdDeleteMessageFromList, nEmailID);
        return;
    }
    // A fill of the folder that started after the message was stored has its row already.
    for (int i = 0; i < list.GetRowCount(); i++)
        if (list.Row(i).nEmailsID == nEmailID)
            return;
    bool bFirst = m_pRegistry != NULL && m_pRegistry->m_bOrderByDate != 0;
    int nIndex = bFirst ? 0 : list.GetRowCount();
    // The new row itself comes into view, also when it went last.
    list.AddItem(row, nIndex);
}

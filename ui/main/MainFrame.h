// The main window: menus, toolbar, status bar, the panes, the tray icon, the new-mail timer and sound, the
// per-account Send and Receive items and compaction.
#pragma once

#include <windows.h>

#include <atlctrlw.h>

#include <set>

#include "ui/main/MainFrameBase.h"
#include "ui/main/Panes.h"

class CFolders;

class CMainFrame : public CMainFrameBase<CMainFrame>
{
public:
    DECLARE_FRAME_WND_CLASS("LetrovaMainFrame", IDR_MAINFRAME)

    BEGIN_UPDATE_UI_MAP(CMainFrame)
        UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_STATUS_BAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_FOLDERS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_CONTACTS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FILE_OPEN_MESSAGE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FILE_SAVE_AS_MESSAGE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_NEW_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MOVE_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_RENAME_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_DELETE_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FILE_PRINT_MESSAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_DELETE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_ADD_SENDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_REPLY, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_MOVE_TO_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FORWARD, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_MARK_AS_READ, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MARK_AS_UNREAD, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MARK_ALL_READ, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_IMPORT_OUTLOOK_EXPRESS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_ASSOCIATE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_RESTORE_ASSOCIATE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_SEND_RECEIVE_ALL, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_CUT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_PASTE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_UNDO, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_REDO, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_SELECT_ALL_ITEMS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_FIND_TEXT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33004, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33005, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33006, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33007, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33008, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33009, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33010, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33011, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33012, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33013, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33014, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33015, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33016, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33017, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33018, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33019, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33020, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33021, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33022, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33023, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33024, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(33025, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrame)
        MESSAGE_HANDLER(LetrovaGethEventDlgProgress, OnGetEventProgress)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(LetrovaNotifyIcon, OnNotifyIcon)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        NOTIFY_CODE_HANDLER(TBN_DROPDOWN, OnToolBarDropDown)
        CHAIN_MSG_MAP(CMainFrameBase<CMainFrame>)
        MESSAGE_HANDLER(WM_COMMAND, OnPaneCommand)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
    END_MSG_MAP()

    CMainFrame(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId, int bHide,
               volatile LONG* pThreadCount);
    ~CMainFrame();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    LRESULT OnGetEventProgress(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotifyIcon(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnToolBarDropDown(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnPaneCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);

    // The main window's answers for the focused window; the frame base asks them while idle.
    bool CanCopy(HWND hWnd, bool bReadOnly);
    bool CanCut(HWND hWnd, bool bReadOnly);
    bool CanRedo(HWND hWnd, bool bReadOnly);
    bool CanSelectAll(HWND hWnd, bool bReadOnly);
    bool CanFindText(HWND hWnd, bool bReadOnly);
    // True when hWnd lies inside a web browser of the preview pane; bCanCopy is then the browser's own answer.
    bool PreviewBrowserCanCopy(HWND hWnd, bool& bCanCopy);

    // A message a worker has just stored: its row joins the list when the list shows its folder, and leaves
    // it when the list shows another.
    void AddReceivedMessage(LONG nEmailID);

    // Restore Old Associate while message files open with this program and the old handler is saved;
    // Associate while they do not and the program's path is known.
    void RefreshAssociationItems();

    void SendReceiveForAccount();
    // Import > Address Book: the Windows Address Book's persons into the contacts.
    void OnImportWAB();
    // The options sheet, then the new-mail timer as the options now say.
    void RunOptions();
    int NewMailInterval();
    void NewMessagesCount(LONG nCount);
    void FolderSummary(LONG nFolderID);
    // A run's notice of a stored message: its folder's counts are shown with the others of the run, at the
    // next tick of the counts timer.
    void CountLater();
    void ShowPendingCounts();
    void CompactFirstStep();
    void CompactSecondStep();
    void EnableSendReceiveItems(BOOL bEnable);
    void RemoveTrayIcon();
    bool CheckNewMessages();
    // The Send and Receive submenu (Tools, first item).
    HMENU SendReceiveMenu();
    // Appends one item per account to the menu, in table order.
    void AppendAccounts(HMENU hMenu);

    // The send-and-receive progress window, NULL while no run exists. A seam: tests give their own.
    typedef HWND (*ProgressWindowFinder)();
    static ProgressWindowFinder SetProgressWindowFinder(ProgressWindowFinder pfnFinder);

    // Where the Outlook Express 5 store lies; without pstrRoot only whether its key exists. strReason says
    // why not.
    static bool FindOutlookExpressStore(CString* pstrRoot, CString& strReason);

    CCommandBarCtrl m_cmdBar;
    CClientHost m_client;
    HWND m_hWndMainToolBar = NULL;
    HMODULE m_hRichEdit = NULL;
    HANDLE m_hEventProgress = NULL;
    UINT_PTR m_nTimer = 0;
    bool m_bSound = false;
    bool m_bKeepVisible = false;
    BOOL m_bSendReceiveEnabled = TRUE;
    bool m_bTrayIcon = false;
    CString m_strNewMail;
    LONG m_nLastUnread = 0;
    CFolders* m_pFolders = NULL;
    CString m_strTitle;
    // The folders whose counts stored messages changed since the counts timer last fired, and the last of
    // them, summarised when no folder is listed.
    std::set<LONG> m_pendingCounts;
    LONG m_nPendingSummary = 0;
    bool m_bCountsPending = false;
};

// The Outlook Express keys, relative to HKEY_CURRENT_USER; tests move them.
extern const char* g_pszIdentitiesKey;

// The send-and-receive progress window: its account loop, one worker thread per account, the task and
// error lists, the cancel flag that the protocol clients read.
#pragma once

#include <windows.h>

#include <memory>

#include <commctrl.h>

#include <atlapp.h>
#include <atlframe.h>
#include <atlstr.h>
#include <atlwin.h>

#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"
#include "store/DatabaseMy.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageRuleSet.h"
#include "store/OptionsTable.h"
#include "transport/History.h"

class CPop3;

// Commands of the progress window to itself.
const WORD ID_NEXT = 32799;
const WORD ID_END = 32904;
const WORD ID_HIDE_DIALOG = 32939;
const WORD ID_ABOUT = 57664;

// Raised by one for every message a receive stores; the constructor sets it to 0.
extern volatile LONG g_nNewMessages;

class CDlgProgress : public CDialogImpl<CDlgProgress>,
                     public CUpdateUI<CDlgProgress>,
                     public CMessageFilter,
                     public CIdleHandler
{
public:
    enum
    {
        IDD = IDD_PROGRESS
    };

    // clang-format off
    BEGIN_UPDATE_UI_MAP(CDlgProgress)
    END_UPDATE_UI_MAP()
    // clang-format on

    BEGIN_MSG_MAP(CDlgProgress)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_PROGRESS_STOP, OnStopButton)
    COMMAND_ID_HANDLER(IDC_PROGRESS_NEXT, OnSkip)
    COMMAND_ID_HANDLER(IDC_PROGRESS_HIDE, OnHide)
    COMMAND_ID_HANDLER(ID_NEXT, OnNext)
    COMMAND_ID_HANDLER(ID_END, OnEnd)
    COMMAND_ID_HANDLER(ID_HIDE_DIALOG, OnHideDialog)
    COMMAND_ID_HANDLER(ID_ABOUT, OnAbout)
    NOTIFY_HANDLER(IDC_PROGRESS_TABS, TCN_SELCHANGE, OnTabChange)
    MESSAGE_HANDLER(WM_MEASUREITEM, OnMeasureItem)
    MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(LetrovaGetTable, OnGetTable)
    END_MSG_MAP()

    // hOwner: the main window that asked for the run, or NULL. dwOwnerThread 0: s_dwManagerThreadId.
    // nMode: 0 normal run, 1 background check, 2 receive one account.
    CDlgProgress(CDatabaseMy* pDatabase, LONG nAccount, HWND hOwner, DWORD dwOwnerThread, int nMode);
    ~CDlgProgress();

    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM dwInitParam = 0);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnIdle() override
    {
        UIUpdateChildWindows();
        return FALSE;
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnStopButton(WORD, WORD, HWND, BOOL&);
    LRESULT OnSkip(WORD, WORD, HWND, BOOL&);
    LRESULT OnHide(WORD, WORD, HWND, BOOL&);
    LRESULT OnNext(WORD, WORD, HWND, BOOL&);
    LRESULT OnEnd(WORD, WORD, HWND, BOOL&);
    LRESULT OnHideDialog(WORD, WORD, HWND, BOOL&);
    LRESULT OnAbout(WORD, WORD, HWND, BOOL&);
    LRESULT OnTabChange(int, LPNMHDR, BOOL&);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetTable(UINT, WPARAM, LPARAM, BOOL&);

    void OnStop();
    // Sets the status line; the owner gets the text first, for its status bar.
    void SetStatusText(const char* pszText);
    // Column 1 of the current account's tasks of that kind (2: both kinds) becomes the string's text.
    void SetTaskStatus(UINT nIdString, int nKind);
    // 0 nothing; 1 and 2 play that animation; 205, 207, 208 show that picture.
    void ShowState(int nState);
    // bFlatten: every CR and LF of the text becomes a blank.
    void AddErrorLine(const char* pszServer, const char* pszProtocol, UINT nPort, CString strError, bool bFlatten);

    // The workers of one account, on the worker thread.
    void Send(CEmailsImpl<>& store, CFolders& folders);
    void Receive(CEmailsImpl<>& store, CFolders& folders);

    // The thread manager's thread (published by the manager) and the list hand-over event of the process.
    static DWORD s_dwManagerThreadId;
    static HANDLE s_hEventListHandOver;
    static CString FormatString(UINT nIdString, ...);
    // Shows the report of a message that could not be received, with the file to attach; the default is the
    // exception dialog.
    typedef void (*ReportDialog)(HWND hWndOwner, const CString& strReport, const CString& strDetail);
    static ReportDialog s_pfnReportDialog;
    // The frames' About box; set by the program, which owns it. Without it the command does nothing.
    typedef INT_PTR (*AboutBox)(HWND hWndParent);
    static AboutBox s_pfnAboutBox;

    CHistoryLog m_History;
    HANDLE m_hEventRunState;
    DWORD m_dwOwnerThread;
    CDatabaseMy* m_pDatabase;
    HWND m_hOwner;
    HWND m_hProgress;
    HWND m_hStatusLine;
    HWND m_hStatusText;
    HWND m_hTabs;
    HWND m_hTasks;
    HWND m_hErrors;
    HWND m_hAnimation;
    HWND m_hPictures[3];
    HWND m_hStop;
    HWND m_hNext;
    CAccountsTable* m_pAccounts;
    COptionsTable* m_pOptions;
    HANDLE m_hWorker;
    DWORD m_dwWorkerThreadId;
    LONG m_nAccount;
    volatile int m_bFinished;
    int m_bCancel;
    volatile int m_bSkip;
    int m_bModal;
    int m_nMode;
    // The worker's own rule set, loaded when the run first receives; the page edits another.
    std::unique_ptr<CMessageRuleSet> m_pRuleSet;
    // Set once the window is on its way out: no further worker starts.
    bool m_bClosing;
    // The command that waits for the worker to end (ID_NEXT, ID_END, or IDCANCEL to close); 0 when none.
    WORD m_nAfterWorker;

private:
    struct CTaskItem
    {
        int nKind;
        LONG nAccountID;
    };
    void AddTask(const CString& strText, int nKind, LONG nAccountID);
    void MarkCurrentCancelled();
    void OpenAccounts();
    void BuildTaskList();
    // True when no worker runs (its handle is then closed). This thread never waits for the worker: it keeps
    // serving its windows, and a command that must follow the worker is run by AfterWorker once it ended.
    bool WorkerEnded();
    void AfterWorker(WORD nCommand);
    void EndWindow(int nCode);
    void ShowPage(int nTab);
    static DWORD WINAPI WorkerProc(LPVOID pParam);
    // The account's waiting Outbox messages; bPerRecipient counts each pending To row of an individually
    // sent message.
    int CountOutbox(CEmailsImpl<>& store, LONG nOutbox, bool bPerRecipient);
    void HandOver(LONG nEmailID);
    // Tells the owner that a message was stored in a folder, so that the folder's unread count follows.
    void NoticeStored(LONG nFolderID, LONG nEmailID, bool bUnread);
    bool IsHistoryOn();
    void ReceivePop3(CEmailsImpl<>& store, CFolders& folders, CPop3& pop, CString& strPassword, CString& strError,
                     UINT nPort);
    // Makes the stored messages durable before a QUIT commits their DELEs; false (and the error text set) when
    // that failed.
    bool FlushStore(CString& strError);
    void ReceiveMessages(CEmailsImpl<>& store, CFolders& folders, CPop3& pop, const CString& strUser, UINT nPort,
                         CString& strError);
};

// The user-interface thread manager: every top-level window runs on a thread of its own, which the
// manager starts, keeps and forgets, and the manager serves the commands that windows post to its thread.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CMainFrame;
class CDlgProgress;

const int kMaxUiThreads = 63;

class CLetrovaThreadManager;

// What a user-interface thread starts with; the thread frees it.
struct CThreadStart
{
    CString strCmdLine;
    int nShowCmd;
    CLetrovaThreadManager* pManager;
    LPARAM lExtra;
};

// The hidden single-instance window's two signals, made and cleared here.
class CThreadManagerBase
{
public:
    CThreadManagerBase();
    ~CThreadManagerBase();

    HANDLE m_hEventAreYouMeOpened;
    HANDLE m_hEventAreYouMeClosed;
};

class CLetrovaThreadManager : public CThreadManagerBase
{
public:
    CLetrovaThreadManager();
    ~CLetrovaThreadManager();

    // The manager thread's loop; returns when no user-interface thread is left.
    DWORD Run(const char* pszCmdLine, int nShowCmd, DWORD dwManagerThreadId, LPARAM lExtra);
    // Manager thread only, like everything that changes the thread tables.
    DWORD AddThread(const char* pszCmdLine, int nShowCmd, LPARAM lExtra);
    void RemoveThread(int nIndex);
    // Any thread: closes the hidden single-instance window; throws CException* on a time-out.
    void CloseAreYouMe();
    void ActivateProgressWindow();

    // The COM object's side, on its own thread. BeginRun comes before the manager thread is created, so a
    // Close right after it cannot see the signals of an earlier run.
    void BeginRun();
    void EndRun();
    // Waits until the manager has a queue and takes commands, or its thread has ended.
    void WaitUntilReady(HANDLE hManagerThread);
    // Hands a command line to the running loop; FALSE when the loop no longer takes any.
    BOOL PostAddThread(const char* pszCmdLine);

    // A user-interface thread reports its window once it is shown.
    void SetThreadWindow(DWORD dwThreadId, HWND hWnd);
    // A user-interface thread has shown its window and made it the foreground one: the next may start.
    void ThreadShown();
    HWND GetAreYouMeWindow();
    // The user-interface threads that show windows: all but the hidden single-instance one.
    LONG WindowThreadCount();

    // The command line of a thread-starting command; false for the commands that start no thread.
    static bool CommandLineForCommand(WPARAM nCommand, LPARAM lParam, CString& strCmdLine);

    static DWORD WINAPI RunThread(LPVOID pParam);

    // Seam for tests: sees every command line a thread is started for, on the manager thread.
    typedef void (*ThreadStartHook)(const char* pszCmdLine);
    static ThreadStartHook SetThreadStartHook(ThreadStartHook pfnHook);

    // Set by the COM object when it creates the manager thread, cleared when that thread is done.
    volatile LONG m_bStarted;

private:
    CLetrovaThreadManager(const CLetrovaThreadManager&);
    CLetrovaThreadManager& operator=(const CLetrovaThreadManager&);

    // One message of the loop's queue.
    void ServeMessage(const MSG& msg);
    void ServeCommand(WPARAM nCommand, LPARAM lParam);
    void SendToWindows(WPARAM nCommand, LPARAM lParam, bool bBroadcast);
    bool StartThread(const char* pszCmdLine, int nShowCmd, LPARAM lExtra, DWORD& dwThreadId);
    // True when the loop may end: no thread is left and no command waits; from then on posts are refused.
    bool StopTakingCommands();

    CRITICAL_SECTION m_lock;
    HANDLE m_hThreads[kMaxUiThreads];
    DWORD m_dwThreadIds[kMaxUiThreads];
    HWND m_hWnds[kMaxUiThreads];
    int m_nAreYouMe;
    BOOL m_bAreYouMeStarted;
    BOOL m_bTakingCommands;
    HANDLE m_hEventReady;
    HANDLE m_hEventThreadShown;
};

// Posted to the manager thread by the COM object: lParam is a heap copy of a command line to start.
const UINT WM_LETROVA_ADD_THREAD = WM_APP + 1;

extern CLetrovaThreadManager g_ThreadManager;
// Process-wide values of the manager, read by the windows without a lock.
extern volatile LONG g_nThreadCount;
extern DWORD g_dwManagerThreadId;
extern CMainFrame* volatile g_pMainFrame;
extern CDlgProgress* volatile g_pDlgProgress;
extern HWND volatile g_hWndFirst;
extern int g_bBroadcast;
extern int g_bUpdatePosted;

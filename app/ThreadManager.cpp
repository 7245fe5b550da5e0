// The user-interface thread manager's tables, its loop and its command table.
#include "app/ThreadManager.h"

#include <stdio.h>

#include <memory>

#include "app/LetrovaGlobals.h"
#include "app/ManagerCommands.h"
#include "transport/DlgProgress.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/Texts.h"
#include "foundation/TraceFile.h"
#include "store/TableBase.h"
#include "ui/main/MainFrame.h"

CLetrovaThreadManager g_ThreadManager;
volatile LONG g_nThreadCount = 0;
DWORD g_dwManagerThreadId = 0;
CMainFrame* volatile g_pMainFrame = NULL;
CDlgProgress* volatile g_pDlgProgress = NULL;
HWND volatile g_hWndFirst = NULL;
int g_bBroadcast = 0;
int g_bUpdatePosted = 0;

namespace
{
const char kCmdLineFile[] = "CmdLine.txt";
const char kSynchronizationValue[] = "Last time of the synchronization with Vorn Vedura Database";
// A stored-message window that failed to load its message never signals; the next one must still open.
const DWORD kMessageWindowWaitMs = 5000;
const DWORD kAreYouMeOpenWaitMs = 20000;
const DWORD kAreYouMeCloseWaitMs = 5000;
// Windows are created and activated one thread at a time. Wine's built-in input method keeps one list of
// selected input contexts for the whole process and grows it on the process heap without a lock whenever a
// thread's first window selects its context: threads doing so at once free the same block twice, the
// fault inside the heap is swallowed by the window-procedure callback, and the heap's lock stays owned by
// a thread idle in its message loop while every other thread waits on it. A window that takes longer only
// lets the next thread start.
const DWORD kThreadShowWaitMs = 5000;

CLetrovaThreadManager::ThreadStartHook g_pfnThreadStartHook = NULL;

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CLock() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION& m_cs;
};

CString NumberSuffix(const char* pszPrefix, LPARAM lParam, bool bAlways)
{
    CString strCmdLine = pszPrefix;
    if (bAlways || lParam != 0)
    {
        CString strNumber;
        strNumber.Format(" %ld", static_cast<long>(lParam));
        strCmdLine += strNumber;
    }
    return strCmdLine;
}

// The whole hand-over file, which is then deleted.
CString TakeCmdLineFile()
{
    CString strPath = GetTempFolder() + kCmdLineFile;
    CString strCmdLine;
    {
        CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
        DWORD nLength = file.GetLength();
        if (nLength > 0)
        {
            file.Read(strCmdLine.GetBuffer(static_cast<int>(nLength)), nLength);
            strCmdLine.ReleaseBuffer(static_cast<int>(nLength));
        }
    }
    CFile::Remove(strPath);
    return strCmdLine;
}

bool IsTextCommand(WPARAM nCommand)
{
    return nCommand == ID_MESSAGE_WINDOW_FROM_FILE || nCommand == ID_MAIL_ATTACH || nCommand == ID_MAIL_TO ||
           nCommand == ID_VCARD;
}
} // namespace

BOOL PostTextCommand(DWORD dwManagerThreadId, WPARAM nCommand, const char* pszText)
{
    size_t nLength = strlen(pszText);
    char* pszCopy = new char[nLength + 1];
    memcpy(pszCopy, pszText, nLength + 1);
    if (::PostThreadMessageA(dwManagerThreadId, WM_USER, nCommand, reinterpret_cast<LPARAM>(pszCopy)))
        return TRUE;
    delete[] pszCopy;
    return FALSE;
}

void FreeTextCommandArgument(LPARAM lParam)
{
    delete[] reinterpret_cast<char*>(lParam);
}

CThreadManagerBase::CThreadManagerBase()
    : m_hEventAreYouMeOpened(::CreateEventA(NULL, TRUE, FALSE, NULL)),
      m_hEventAreYouMeClosed(::CreateEventA(NULL, TRUE, FALSE, NULL))
{
}

CThreadManagerBase::~CThreadManagerBase()
{
    if (m_hEventAreYouMeOpened != NULL)
        ::CloseHandle(m_hEventAreYouMeOpened);
    if (m_hEventAreYouMeClosed != NULL)
        ::CloseHandle(m_hEventAreYouMeClosed);
    m_hEventAreYouMeOpened = NULL;
    m_hEventAreYouMeClosed = NULL;
}

CLetrovaThreadManager::CLetrovaThreadManager()
    : m_bStarted(0), m_nAreYouMe(-1), m_bAreYouMeStarted(FALSE), m_bTakingCommands(FALSE),
      m_hEventReady(::CreateEventA(NULL, TRUE, FALSE, NULL)),
      m_hEventThreadShown(::CreateEventA(NULL, FALSE, FALSE, NULL))
{
    ::InitializeCriticalSection(&m_lock);
    ZeroMemory(m_hThreads, sizeof(m_hThreads));
    ZeroMemory(m_dwThreadIds, sizeof(m_dwThreadIds));
    ZeroMemory(m_hWnds, sizeof(m_hWnds));
}

CLetrovaThreadManager::~CLetrovaThreadManager()
{
    if (m_hEventReady != NULL)
        ::CloseHandle(m_hEventReady);
    if (m_hEventThreadShown != NULL)
        ::CloseHandle(m_hEventThreadShown);
    ::DeleteCriticalSection(&m_lock);
}

CLetrovaThreadManager::ThreadStartHook CLetrovaThreadManager::SetThreadStartHook(ThreadStartHook pfnHook)
{
    ThreadStartHook pfnOld = g_pfnThreadStartHook;
    g_pfnThreadStartHook = pfnHook;
    return pfnOld;
}

void CLetrovaThreadManager::BeginRun()
{
    CLock lock(m_lock);
    m_nAreYouMe = -1;
    m_bAreYouMeStarted = FALSE;
    ::ResetEvent(m_hEventAreYouMeOpened);
    ::ResetEvent(m_hEventAreYouMeClosed);
    ::ResetEvent(m_hEventReady);
    ::InterlockedExchange(&m_bStarted, 1);
}

void CLetrovaThreadManager::EndRun()
{
    ::InterlockedExchange(&m_bStarted, 0);
}

void CLetrovaThreadManager::WaitUntilReady(HANDLE hManagerThread)
{
    HANDLE handles[2] = {m_hEventReady, hManagerThread};
    ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
}

BOOL CLetrovaThreadManager::PostAddThread(const char* pszCmdLine)
{
    CLock lock(m_lock);
    if (!m_bTakingCommands)
        return FALSE;
    std::unique_ptr<CString> pCmdLine(new CString(pszCmdLine));
    if (!::PostThreadMessageA(g_dwManagerThreadId, WM_LETROVA_ADD_THREAD, 0,
                              reinterpret_cast<LPARAM>(pCmdLine.get())))
        return FALSE;
    pCmdLine.release();
    return TRUE;
}

void CLetrovaThreadManager::SetThreadWindow(DWORD dwThreadId, HWND hWnd)
{
    CLock lock(m_lock);
    for (int i = 0; i < g_nThreadCount; i++)
    {
        if (m_dwThreadIds[i] == dwThreadId)
            m_hWnds[i] = hWnd;
    }
}

void CLetrovaThreadManager::ThreadShown()
{
    ::SetEvent(m_hEventThreadShown);
}

HWND CLetrovaThreadManager::GetAreYouMeWindow()
{
    CLock lock(m_lock);
    return m_nAreYouMe >= 0 ? m_hWnds[m_nAreYouMe] : NULL;
}

LONG CLetrovaThreadManager::WindowThreadCount()
{
    CLock lock(m_lock);
    LONG nCount = g_nThreadCount;
    return m_nAreYouMe >= 0 && nCount > 0 ? nCount - 1 : nCount;
}

bool CLetrovaThreadManager::StopTakingCommands()
{
    CLock lock(m_lock);
    MSG msg;
    if (g_nThreadCount > 0 || ::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
        return false;
    m_bTakingCommands = FALSE;
    return true;
}

DWORD CLetrovaThreadManager::Run(const char* pszCmdLine, int nShowCmd, DWORD dwManagerThreadId, LPARAM lExtra)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCLetrovaThreadManager::Run() begin");
    g_dwManagerThreadId = dwManagerThreadId;
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    {
        CLock lock(m_lock);
        m_bTakingCommands = TRUE;
    }
    ::SetEvent(m_hEventReady);

    AddThread(pszCmdLine, nShowCmd, lExtra);
    while (!StopTakingCommands())
    {
        int nCount = g_nThreadCount;
        // Input already queued counts too: StopTakingCommands has looked at the queue.
        DWORD dwResult =
            ::MsgWaitForMultipleObjectsEx(nCount, m_hThreads, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (dwResult == WAIT_FAILED)
        {
            AppMessageBox("ERROR: Wait for multiple objects failed!!!", 0, NULL);
            continue;
        }
        DWORD nIndex = dwResult - WAIT_OBJECT_0;
        if (nIndex < static_cast<DWORD>(nCount))
            RemoveThread(static_cast<int>(nIndex));
        else if (nIndex == static_cast<DWORD>(nCount))
        {
            // Every queued command is served before the next wait: the wait reports only input that
            // arrived since the last look at the queue.
            while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                ServeMessage(msg);
        }
        else
            ::MessageBeep(static_cast<UINT>(-1));
    }
    ::Sleep(1000);
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCLetrovaThreadManager::Run() end");
    return 0;
}

void CLetrovaThreadManager::ServeMessage(const MSG& msg)
{
    if (msg.message == WM_LETROVA_ADD_THREAD)
    {
        std::unique_ptr<CString> pCmdLine(reinterpret_cast<CString*>(msg.lParam));
        AddThread(*pCmdLine, SW_SHOW, 0);
        return;
    }
    if (msg.message != WM_USER)
    {
        ::MessageBeep(static_cast<UINT>(-1));
        return;
    }
    try
    {
        ServeCommand(msg.wParam, msg.lParam);
    }
    catch (CFileException* pException)
    {
        ShowFileException(pException, false);
    }
    catch (CException* pException)
    {
        ShowCaughtException(pException);
    }
    catch (...)
    {
        AppMessageBox("CLetrovaThreadManager::Run(). Unhandled exception!!!", MB_ICONSTOP, NULL);
    }
    if (IsTextCommand(msg.wParam) && msg.lParam != 0)
        FreeTextCommandArgument(msg.lParam);
}

bool CLetrovaThreadManager::CommandLineForCommand(WPARAM nCommand, LPARAM lParam, CString& strCmdLine)
{
    const char* pszText = reinterpret_cast<const char*>(lParam);
    switch (nCommand)
    {
    case 0:
        strCmdLine = "/a";
        return true;
    case ID_NEW_MESSAGE_MENU:
        strCmdLine = NumberSuffix("/n", lParam, false);
        return true;
    case ID_SEND_RECEIVE:
        strCmdLine = "/p";
        return true;
    case ID_SEND_MESSAGE:
        strCmdLine = NumberSuffix("/p", lParam, true);
        return true;
    case ID_REMOVE_THREAD:
        strCmdLine = "/r";
        return true;
    case ID_MAIN_WINDOW_MENU:
        strCmdLine.Empty();
        return true;
    case ID_SYNCHRONIZE_AND_SEND_RECEIVE:
        strCmdLine = "/p -1";
        return true;
    case ID_MESSAGE:
        strCmdLine = NumberSuffix("/m", lParam, false);
        return true;
    case ID_MESSAGE_WINDOW_FROM_FILE:
        strCmdLine = pszText != NULL ? CString("/f ") + pszText : CString("/f");
        return true;
    case ID_MAIL_ATTACH:
        strCmdLine = pszText != NULL ? CString("/ma ") + pszText : CString("/ma");
        return true;
    case ID_MAIL_TO:
        strCmdLine = CString("/mailurl:") + (pszText != NULL ? pszText : "");
        return true;
    case ID_RECEIVE:
        strCmdLine = "/p /r";
        return true;
    case ID_FIND_MESSAGE_MENU:
        strCmdLine = NumberSuffix("/s", lParam, false);
        return true;
    case ID_SEND_RECEIVE_ACCOUNT:
        strCmdLine = NumberSuffix("/p /a", lParam, true);
        return true;
    case ID_INTERNET_UPDATE:
        strCmdLine = "/u";
        return true;
    case ID_VCARD:
        strCmdLine = CString("/vcard") + (pszText != NULL ? pszText : "");
        return true;
    }
    return false;
}

void CLetrovaThreadManager::ServeCommand(WPARAM nCommand, LPARAM lParam)
{
    switch (nCommand)
    {
    case ID_OPEN_LOCAL_DATABASE:
    case ID_UPDATE_ADDRESS_BOOK:
    case ID_UPDATE_MESSAGE_FLAGS:
    case ID_UPDATE:
    case ID_SEL_FOLDER_CHANGED:
    case ID_SET_STATUSBAR_2:
    case ID_CHECKING_NEW_MESSAGES_COMPLETED:
    case ID_NEW_MESSAGES_COUNT:
    case ID_DELETE_MESSAGE_FROM_LIST_CTRL:
        SendToWindows(nCommand, lParam, true);
        return;
    case ID_CONTINUE_COMPACT_ALL_FOLDERS:
        SendToWindows(ID_CLOSE_LOCAL_DATABASE, 0, false);
        if (g_pMainFrame != NULL && ::IsWindow(g_pMainFrame->m_hWnd))
            ::SendMessageA(g_pMainFrame->m_hWnd, WM_COMMAND, ID_CONTINUE_COMPACT_ALL_FOLDERS, 0);
        return;
    case ID_ADD_MESSAGE_TO_CONTROL:
    case ID_ADD_FOLDER_TO_TREE:
        if (g_pMainFrame != NULL && ::IsWindow(g_pMainFrame->m_hWnd))
            ::SendMessageA(g_pMainFrame->m_hWnd, WM_COMMAND, nCommand, lParam);
        ::SetEvent(g_hEventListHandOver);
        return;
    case ID_SYNCHRONIZE_AND_SEND_RECEIVE:
        if (g_pRegistry != NULL)
        {
            g_pRegistry->m_dateLastSynchronization = 0;
            g_pRegistry->WriteProfileString(FoundationText::kOptions, kSynchronizationValue,
                                            FormatDateSetting(0));
        }
        break;
    case ID_MESSAGE:
        ::WaitForSingleObject(g_hEventMessageWindow, kMessageWindowWaitMs);
        ::ResetEvent(g_hEventMessageWindow);
        break;
    case ID_NEW_MESSAGE_MERGE:
        AddThread(TakeCmdLineFile(), SW_SHOWNORMAL, 0);
        return;
    }
    CString strCmdLine;
    if (CommandLineForCommand(nCommand, lParam, strCmdLine))
        AddThread(strCmdLine, SW_SHOWNORMAL, 0);
}

void CLetrovaThreadManager::SendToWindows(WPARAM nCommand, LPARAM lParam, bool bBroadcast)
{
    // The count is read again after each window: a window may end its thread while it is served.
    for (int i = 0; i < g_nThreadCount; i++)
    {
        HWND hWnd = m_hWnds[i];
        if (hWnd == NULL || !::IsWindow(hWnd))
            continue;
        if (bBroadcast)
            g_bBroadcast = 1;
        ::SendMessageA(hWnd, WM_COMMAND, nCommand, lParam);
        g_bBroadcast = 0;
        g_bUpdatePosted = 0;
    }
}

bool CLetrovaThreadManager::StartThread(const char* pszCmdLine, int nShowCmd, LPARAM lExtra,
                                        DWORD& dwThreadId)
{
    CThreadStart* pStart = new CThreadStart;
    pStart->strCmdLine = pszCmdLine;
    pStart->nShowCmd = nShowCmd;
    pStart->pManager = this;
    pStart->lExtra = lExtra;
    dwThreadId = 0;
    // Created suspended, so the thread is in the tables before it can report its window.
    HANDLE hThread = ::CreateThread(NULL, 0, RunThread, pStart, CREATE_SUSPENDED, &dwThreadId);
    if (hThread == NULL)
    {
        delete pStart;
        AppMessageBox("ERROR: Cannot create thread!!!", 0, NULL);
        return false;
    }
    if (g_pfnThreadStartHook != NULL)
        g_pfnThreadStartHook(pszCmdLine);
    {
        CLock lock(m_lock);
        int nIndex = g_nThreadCount;
        m_hThreads[nIndex] = hThread;
        m_dwThreadIds[nIndex] = dwThreadId;
        m_hWnds[nIndex] = NULL;
        ::InterlockedIncrement(&g_nThreadCount);
    }
    if (IsTraceOn())
        g_pTraceFile->Write(
            "\r\nCLetrovaThreadManager::AddThread() Handle = %ld, ThreadID = %ld, index = %ld, "
            "CmdLine - \"%s\"",
            static_cast<long>(reinterpret_cast<INT_PTR>(hThread)), static_cast<long>(dwThreadId),
            static_cast<long>(g_nThreadCount), pszCmdLine);
    // A thread that ends without a window, or fails to make one, signals by its end.
    ::ResetEvent(m_hEventThreadShown);
    ::ResumeThread(hThread);
    HANDLE handles[2] = {m_hEventThreadShown, hThread};
    ::WaitForMultipleObjects(2, handles, FALSE, kThreadShowWaitMs);
    return true;
}

DWORD CLetrovaThreadManager::AddThread(const char* pszCmdLine, int nShowCmd, LPARAM lExtra)
{
    if (g_nThreadCount >= kMaxUiThreads)
    {
        AppMessageBoxCaption("ERROR: Cannot create ANY MORE threads!!!", "Letrova", 0, NULL);
        return 0;
    }
    DWORD dwThreadId = 0;
    if (!StartThread(pszCmdLine, nShowCmd, lExtra, dwThreadId))
        return 0;
    // Once per run: after Close has ended the hidden window, the loop must be able to run dry.
    if (!m_bAreYouMeStarted && g_nThreadCount < kMaxUiThreads)
    {
        m_bAreYouMeStarted = TRUE;
        {
            CLock lock(m_lock);
            ::ResetEvent(m_hEventAreYouMeOpened);
            ::ResetEvent(m_hEventAreYouMeClosed);
            m_nAreYouMe = g_nThreadCount;
        }
        DWORD dwAreYouMeId = 0;
        if (!StartThread("/aym", SW_HIDE, 0, dwAreYouMeId))
        {
            CLock lock(m_lock);
            m_nAreYouMe = -1;
            return 0;
        }
    }
    return dwThreadId;
}

void CLetrovaThreadManager::RemoveThread(int nIndex)
{
    if (IsTraceOn())
        g_pTraceFile->Write(
            "\r\nCLetrovaThreadManager::RemoveThread() Handle = %ld, ThreadID = %ld, index = %ld",
            static_cast<long>(reinterpret_cast<INT_PTR>(m_hThreads[nIndex])),
            static_cast<long>(m_dwThreadIds[nIndex]), static_cast<long>(nIndex));
    CLock lock(m_lock);
    ::CloseHandle(m_hThreads[nIndex]);
    int nLast = g_nThreadCount - 1;
    if (m_nAreYouMe == nIndex)
        m_nAreYouMe = -1;
    if (nIndex != nLast)
    {
        if (m_nAreYouMe == nLast)
            m_nAreYouMe = nIndex;
        m_hThreads[nIndex] = m_hThreads[nLast];
        m_hWnds[nIndex] = m_hWnds[nLast];
        m_dwThreadIds[nIndex] = m_dwThreadIds[nLast];
    }
    m_hThreads[nLast] = NULL;
    m_hWnds[nLast] = NULL;
    m_dwThreadIds[nLast] = 0;
    ::InterlockedDecrement(&g_nThreadCount);
    HWND hWndFirst = g_hWndFirst;
    if (g_nThreadCount == 1 && hWndFirst != NULL && !::IsWindowVisible(hWndFirst))
    {
        ::PostMessageA(hWndFirst, WM_SYSCOMMAND, SC_CLOSE, 0);
        g_hWndFirst = NULL;
    }
}

void CLetrovaThreadManager::CloseAreYouMe()
{
    if (m_bStarted)
    {
        // The closed signal first: a hidden window that is already gone needs no closing.
        HANDLE handles[2] = {m_hEventAreYouMeClosed, m_hEventAreYouMeOpened};
        DWORD dwResult = ::WaitForMultipleObjects(2, handles, FALSE, kAreYouMeOpenWaitMs);
        if (dwResult == WAIT_TIMEOUT)
            throw new CException("FATAL ERROR: Open of the Are You Me window failed.");
        if (dwResult == WAIT_OBJECT_0 + 1)
        {
            HWND hWnd = GetAreYouMeWindow();
            if (hWnd != NULL)
                ::PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (::WaitForSingleObject(m_hEventAreYouMeClosed, kAreYouMeCloseWaitMs) == WAIT_TIMEOUT)
                throw new CException("FATAL ERROR: Close of the Are You Me window failed.");
        }
    }
    ActivateProgressWindow();
}

void CLetrovaThreadManager::ActivateProgressWindow()
{
    CDlgProgress* pProgress = g_pDlgProgress;
    if (pProgress == NULL || !::IsWindow(pProgress->m_hWnd))
        return;
    HWND hWnd = pProgress->m_hWnd;
    DWORD dwThreadId = 0;
    {
        CLock lock(m_lock);
        for (int i = 0; i < g_nThreadCount; i++)
        {
            if (m_hWnds[i] == hWnd)
                dwThreadId = m_dwThreadIds[i];
        }
    }
    ::AttachThreadInput(::GetCurrentThreadId(), dwThreadId, TRUE);
    ::SetActiveWindow(hWnd);
    ::ShowWindow(hWnd, SW_SHOW);
    ::AttachThreadInput(::GetCurrentThreadId(), dwThreadId, FALSE);
}

// The thread procedure of every user-interface thread: one top-level window chosen by the command line.
#include <windows.h>

#include <ole2.h>

#include <memory>
#include <vector>

#include "app/LetrovaGlobals.h"
#include "app/MainFrameHidden.h"
#include "app/ManagerCommands.h"
#include "app/ThreadManager.h"
#include "app/WndAreYouMe.h"
#include "transport/DlgProgress.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/RegExp.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "ui/addressbook/MainFrameAddressBook.h"
#include "ui/addressbook/VcardHandler.h"
#include "ui/main/FrameBaseSupport.h"
#include "ui/main/MainFrame.h"
#include "ui/main/MainFrameFindMessage.h"
#include "ui/main/MainFrameMessage.h"
#include "ui/main/MainFrameMessageFile.h"
#include "ui/compose/MainFrameNewMessage.h"

namespace
{
bool StartsWith(const CString& strText, const char* pszPrefix)
{
    return strncmp(strText, pszPrefix, strlen(pszPrefix)) == 0;
}

// Group 1 of the pattern when it matches with exactly one group, else empty.
CString OnlyGroup(const char* pszPattern, const CString& strText)
{
    CRegExp regExp(pszPattern);
    if (regExp.Match(strText) && regExp.SubStrings() == 1)
        return regExp.GetSubString(1);
    return CString();
}

void Trace(const char* pszText)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(pszText);
}

class CThreadWindow
{
public:
    CThreadWindow(std::unique_ptr<CThreadStart>& pStart) : m_pStart(pStart) {}

    // Shows the window, records it with the manager and gives up the start block.
    void Show(HWND hWnd)
    {
        ::ShowWindow(hWnd, m_pStart->nShowCmd);
        m_pStart->pManager->SetThreadWindow(::GetCurrentThreadId(), hWnd);
        ::SetForegroundWindow(hWnd);
        m_pStart->pManager->ThreadShown();
        m_pStart.reset();
    }

    // The frame's loop until it has been destroyed.
    void Loop(const char* pszBegin, const char* pszEnd)
    {
        Trace(pszBegin);
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        if (pLoop != NULL)
            pLoop->Run();
        Trace(pszEnd);
    }

private:
    std::unique_ptr<CThreadStart>& m_pStart;
};

void RecordFirstWindow(HWND hWnd)
{
    if (g_hWndFirst == NULL)
        g_hWndFirst = hWnd;
}

// "/vcard": one card in the new-contact sheet, several in the vCard List; modal over a hidden frame, which
// gives the dialogs the databases, without a window loop of its own.
bool RunVcard(std::unique_ptr<CThreadStart>& pStart, const CString& strCmdLine)
{
    CString strFile = strCmdLine.Mid(7);
    strFile.Remove('"');
    pStart.reset();
    CMainFrameHidden hidden(g_pDatabaseMy, g_pRegistry, g_dwManagerThreadId);
    if (hidden.CreateHidden(NULL) == NULL)
    {
        DebugTrace("Hidden frame creation failed!\n");
        return false;
    }
    try
    {
        CVcardPropertiesHandler handler(hidden.m_hWnd);
        handler.Import(strFile, g_dwManagerThreadId, g_pDatabaseMy);
    }
    catch (CFileException* pException)
    {
        ReportVcardFileError(pException, NULL);
    }
    catch (...)
    {
        hidden.DestroyWindow();
        throw;
    }
    hidden.DestroyWindow();
    return true;
}

// One of the frames that only differ by their kind: creation, loop, destruction.
bool RunNewMessage(std::unique_ptr<CThreadStart>& pStart, CNewMessageArgs& args)
{
    args.hHandOverEvent = g_hEventListHandOver;
    CMainFrameNewMessage frame(g_pDatabaseMy, g_pRegistry, g_dwManagerThreadId, args, &g_nThreadCount);
    if (frame.CreateEx() == NULL)
    {
        DebugTrace("New Message creation failed!\n");
        return false;
    }
    CThreadWindow window(pStart);
    window.Show(frame.m_hWnd);
    window.Loop("\r\nBegin of the New Message window loop", "\r\nEnd of the New Message window loop");
    return true;
}

// Returns false after a creation failure, which skips the end trace.
bool RunProgress(std::unique_ptr<CThreadStart>& pStart, const CString& strCmdLine)
{
    if (g_pDlgProgress != NULL)
    {
        pStart->pManager->ActivateProgressWindow();
        return true;
    }
    int nMode = 0;
    long nAccount = 0;
    CString strAccount;
    if (strCmdLine == "/p")
        nMode = 0;
    else if (strCmdLine == "/p /r")
        nMode = 1;
    else if (!(strAccount = OnlyGroup("/p ([-0123456789]+)", strCmdLine)).IsEmpty())
        nAccount = atol(strAccount);
    else if (!(strAccount = OnlyGroup("/p /a ([0123456789]+)", strCmdLine)).IsEmpty())
    {
        nMode = 2;
        nAccount = atol(strAccount);
    }
    else
        return true;
    CDlgProgress::s_dwManagerThreadId = g_dwManagerThreadId;
    CDlgProgress::s_hEventListHandOver = g_hEventListHandOver;
    CDlgProgress::s_pfnAboutBox = ShowAboutBox;
    CMainFrame* pMain = g_pMainFrame;
    HWND hOwner = pMain != NULL && ::IsWindow(pMain->m_hWnd) ? pMain->m_hWnd : NULL;
    CDlgProgress progress(g_pDatabaseMy, nAccount, hOwner, g_dwManagerThreadId, nMode);
    g_pDlgProgress = &progress;
    if (progress.Create(NULL) == NULL)
    {
        g_pDlgProgress = NULL;
        DebugTrace("Progress dialog creation failed!\n");
        return false;
    }
    // A background check is never shown unless it ends with errors.
    if (nMode == 1)
        pStart->nShowCmd = SW_HIDE;
    CThreadWindow window(pStart);
    window.Show(progress.m_hWnd);
    window.Loop("\r\nBegin of the Progress window loop", "\r\nEnd of the Progress window loop");
    pMain = g_pMainFrame;
    if (pMain != NULL && ::IsWindow(pMain->m_hWnd))
        ::SendMessageA(pMain->m_hWnd, WM_COMMAND, ID_ENABLE_SEND_RECEIVE_MENU_ITEMS, 1);
    g_pDlgProgress = NULL;
    return true;
}

bool RunMainWindow(std::unique_ptr<CThreadStart>& pStart)
{
    if (g_pMainFrame != NULL)
        return true;
    CMainFrame frame(g_pDatabaseMy, g_pRegistry, g_dwManagerThreadId, 0, &g_nThreadCount);
    g_pMainFrame = &frame;
    RECT rc = {0, 0, 0, 0};
    bool bRect = g_pRegistry != NULL && g_pRegistry->LoadFrameRect(rc, pStart->nShowCmd);
    if (frame.CreateEx(NULL, bRect ? &rc : NULL) == NULL)
    {
        g_pMainFrame = NULL;
        DebugTrace("Frame window creation failed!\n");
        return false;
    }
    CThreadWindow window(pStart);
    window.Show(frame.m_hWnd);
    RecordFirstWindow(frame.m_hWnd);
    window.Loop("\r\nBegin of the Main OrbMail window loop", "\r\nEnd of the Main OrbMail window loop");
    CDlgProgress* pProgress = g_pDlgProgress;
    if (pProgress != NULL && ::IsWindow(pProgress->m_hWnd))
        ::SendMessageA(pProgress->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    g_pMainFrame = NULL;
    return true;
}

bool RunAddressBook(std::unique_ptr<CThreadStart>& pStart)
{
    CMainFrameAddressBook frame(g_pDatabaseMy, g_pRegistry, g_dwManagerThreadId);
    if (frame.CreateEx() == NULL)
    {
        DebugTrace("Address Book creation failed!\n");
        return false;
    }
    CThreadWindow window(pStart);
    window.Show(frame.m_hWnd);
    window.Loop("\r\nBegin of the Address Book window loop", "\r\nEnd of the Address Book window loop");
    return true;
}

bool RunFindMessage(std::unique_ptr<CThreadStart>& pStart, LONG nFolderID)
{
    CMainFrameFindMessage frame(g_pDatabaseMy, g_pRegistry, g_dwManagerThreadId, 0, &g_nThreadCount, nFolderID);
    if (frame.CreateEx() == NULL)
    {
        DebugTrace("Find Message creation failed!\n");
        return false;
    }
    CThreadWindow window(pStart);
    window.Show(frame.m_hWnd);
    window.Loop("\r\nBegin of the Find Message window loop", "\r\nEnd of the Find Message window loop");
    return true;
}

// A message window of either kind. The manager waits for the message-window event before it starts the
// next stored-message window: a window that never gets as far as its dialog sets it here.
template <class TFrame, class TArgument>
bool RunMessageFrame(std::unique_ptr<CThreadStart>& pStart, TArgument argument, const char* pszFailure)
{
    struct CReleaseOnFailure
    {
        ~CReleaseOnFailure()
        {
            if (!bCreated && g_hEventMessageWindow != NULL)
                ::SetEvent(g_hEventMessageWindow);
        }
        bool bCreated = false;
    } release;
    TFrame frame(g_pDatabaseMy, g_pRegistry, argument, g_dwManagerThreadId, 0, &g_nThreadCount);
    if (frame.CreateEx() == NULL)
    {
        DebugTrace("%s", pszFailure);
        return false;
    }
    release.bCreated = true;
    CThreadWindow window(pStart);
    window.Show(frame.m_hWnd);
    RecordFirstWindow(frame.m_hWnd);
    window.Loop("\r\nBegin of the Message window loop", "\r\nEnd of the Message window loop");
    return true;
}

bool RunAreYouMe(std::unique_ptr<CThreadStart>& pStart)
{
    CLetrovaThreadManager* pManager = pStart->pManager;
    CWndAreYouMe wnd(g_dwManagerThreadId);
    RECT rc = {0, 0, 0, 0};
    bool bCreated = wnd.Create(NULL, rc, NULL) != NULL;
    if (!bCreated)
        DebugTrace("WndAreYouMe creation failed!\n");
    else
    {
        CThreadWindow window(pStart);
        window.Show(wnd.m_hWnd);
        ::SetEvent(pManager->m_hEventAreYouMeOpened);
        window.Loop("\r\nBegin of the Are You Me window loop", "\r\nEnd of the Are You Me window loop");
    }
    // Also after a failed creation: Close must not wait for a window that will never come.
    ::SetEvent(pManager->m_hEventAreYouMeClosed);
    return bCreated;
}

// Returns false after a creation failure.
bool ChooseAndRun(std::unique_ptr<CThreadStart>& pStart)
{
    CString strCmdLine = pStart->strCmdLine;
    if (StartsWith(strCmdLine, "/mailurl") || StartsWith(strCmdLine, "/m mailto:"))
    {
        if (StartsWith(strCmdLine, "/m mailto:"))
            strCmdLine = "/mailurl:" + strCmdLine.Mid(3);
        CNewMessageArgs args;
        args.strArgument = OnlyGroup("/mailurl:mailto:(.*)", strCmdLine);
        return RunNewMessage(pStart, args);
    }
    if (strCmdLine == "/aym")
        return RunAreYouMe(pStart);
    if (StartsWith(strCmdLine, "/u"))
        return true;
    if (StartsWith(strCmdLine, "/f"))
    {
        CString strPath = strCmdLine.Mid(3);
        return RunMessageFrame<CMainFrameMessageFile>(pStart, (const char*)strPath,
                                                      "Message File creation failed!\n");
    }
    if (StartsWith(strCmdLine, "/n"))
    {
        CNewMessageArgs args;
        args.strArgument = OnlyGroup("/n (.*)", strCmdLine);
        return RunNewMessage(pStart, args);
    }
    if (StartsWith(strCmdLine, "/ma"))
    {
        CNewMessageArgs args;
        args.strAttachPath = OnlyGroup("/ma (.*)", strCmdLine);
        return RunNewMessage(pStart, args);
    }
    if (StartsWith(strCmdLine, "/m"))
    {
        LONG nEmailsID = atol(strCmdLine.Mid(3));
        return RunMessageFrame<CMainFrameMessage>(pStart, nEmailsID, "Message creation failed!\n");
    }
    if (StartsWith(strCmdLine, "/vcard"))
    {
        return RunVcard(pStart, strCmdLine);
    }
    if (StartsWith(strCmdLine, "/p"))
        return RunProgress(pStart, strCmdLine);
    if (strCmdLine == "/a")
        return RunAddressBook(pStart);
    if (strCmdLine == "/r")
        return true;
    if (StartsWith(strCmdLine, "/s"))
    {
        return RunFindMessage(pStart, strCmdLine.GetLength() > 2 ? atol(strCmdLine.Mid(3)) : 0L);
    }
    return RunMainWindow(pStart);
}
} // namespace

DWORD WINAPI CLetrovaThreadManager::RunThread(LPVOID pParam)
{
    std::unique_ptr<CThreadStart> pStart(static_cast<CThreadStart*>(pParam));
    HRESULT hr = ::OleInitialize(NULL);
    if (FAILED(hr))
    {
        AppMessageBoxF(MB_ICONSTOP, "FATAL ERROR: OleInitialize returned scode = %ld.",
                       static_cast<long>(hr));
        return 0;
    }
    CMessageLoop loop;
    _Module.AddMessageLoop(&loop);
    if (IsTraceOn())
        g_pTraceFile->Write("\r\nCLetrovaThreadManager::RunThread() CmdLine - \"%s\"",
                            pStart->strCmdLine.GetString());
    bool bTraceEnd = true;
    try
    {
        bTraceEnd = ChooseAndRun(pStart);
    }
    catch (...)
    {
        Trace("\r\nCLetrovaThreadManager::RunThread() Unhandled exception!!!");
        const char* pszHint = FailureHintText;
        CString strText = CString("CLetrovaThreadManager::RunThread() Unhandled exception!!!\r\n") +
                          (pszHint != NULL ? pszHint : "");
        AppMessageBox(strText, MB_ICONSTOP, NULL);
    }
    _Module.RemoveMessageLoop();
    if (bTraceEnd)
        Trace("\r\nCLetrovaThreadManager::RunThread() end");
    ::OleUninitialize();
    return 0;
}

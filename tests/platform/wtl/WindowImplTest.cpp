// Window implementation: thunks on several threads, subclassing, superclassing, final message, exceptions.
#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <gtest/gtest.h>

#include "tests/support/DialogResponder.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"

#include <atomic>
#include <string>

extern CAppModule _Module;

namespace
{

class CCountingWindow : public CWindowImpl<CCountingWindow, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("OrbTestCountingWindow")
    int m_nPings = 0;
    HWND m_hWndFinal = NULL;
    DWORD m_dwPingThread = 0;

    BEGIN_MSG_MAP(CCountingWindow)
        MESSAGE_HANDLER(WM_APP, OnPing)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    LRESULT OnPing(UINT, WPARAM, LPARAM, BOOL&)
    {
        m_dwPingThread = ::GetCurrentThreadId();
        return ++m_nPings;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        // Only a top-level window ends its thread's loop.
        if (!(GetStyle() & WS_CHILD))
            ::PostQuitMessage(7);
        bHandled = FALSE;
        return 0;
    }
    void OnFinalMessage(HWND hWnd) override { m_hWndFinal = hWnd; }
};

TEST(WindowImplTest, FinalMessageComesWithTheOldHandleAndTheObjectLetsGoOfIt)
{
    CCountingWindow wnd;
    HWND hWnd = wnd.Create(NULL, CWindow::rcDefault, "final", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(hWnd, (HWND)NULL);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(wnd.m_hWndFinal, hWnd);
    EXPECT_EQ(wnd.m_hWnd, (HWND)NULL);
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(WindowImplTest, TwoFramesOnTwoThreadsRunTheirOwnLoopsAtOnce)
{
    CCountingWindow first, second;
    CUiThread threadA(_Module), threadB(_Module);
    HWND hWndA = threadA.Start([&] { return first.Create(NULL, CWindow::rcDefault, "A", 0); });
    HWND hWndB = threadB.Start([&] { return second.Create(NULL, CWindow::rcDefault, "B", 0); });
    ASSERT_NE(hWndA, (HWND)NULL);
    ASSERT_NE(hWndB, (HWND)NULL);

    // Each thread registered its own loop with the module.
    CMessageLoop* pLoopA = _Module.GetMessageLoop(threadA.ThreadId());
    CMessageLoop* pLoopB = _Module.GetMessageLoop(threadB.ThreadId());
    EXPECT_NE(pLoopA, nullptr);
    EXPECT_NE(pLoopB, nullptr);
    EXPECT_NE(pLoopA, pLoopB);

    // Posted messages are dispatched by each thread's own loop, to the right object.
    ::PostMessageA(hWndA, WM_APP, 0, 0);
    ::PostMessageA(hWndB, WM_APP, 0, 0);
    ::PostMessageA(hWndB, WM_APP, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return first.m_nPings == 1 && second.m_nPings == 2; }));
    EXPECT_EQ(first.m_dwPingThread, threadA.ThreadId());
    EXPECT_EQ(second.m_dwPingThread, threadB.ThreadId());

    // Closing one frame ends its loop only.
    ::PostMessageA(hWndA, WM_CLOSE, 0, 0);
    EXPECT_TRUE(threadA.WaitForExit());
    EXPECT_EQ(threadA.ExitCode(), 7);
    EXPECT_EQ(_Module.GetMessageLoop(threadA.ThreadId()), nullptr);
    EXPECT_EQ(::SendMessageA(hWndB, WM_APP, 0, 0), 3);

    ::PostMessageA(hWndB, WM_CLOSE, 0, 0);
    EXPECT_TRUE(threadB.WaitForExit());
}

TEST(WindowImplTest, SubclassedControlSeesItsMessagesFirstAndGetsThemBackWhenUnsubclassed)
{
    struct CEditHook : public CWindowImpl<CEditHook, CEdit>
    {
        int m_nSetText = 0;
        BEGIN_MSG_MAP(CEditHook)
            MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
        END_MSG_MAP()
        LRESULT OnSetText(UINT, WPARAM, LPARAM, BOOL& bHandled)
        {
            m_nSetText++;
            bHandled = FALSE;
            return 0;
        }
    } hook;
    CCountingWindow parent;
    ASSERT_NE(parent.Create(NULL, CWindow::rcDefault, "parent", WS_OVERLAPPEDWINDOW), (HWND)NULL);
    CEdit edit;
    edit.Create(parent, CWindow::rcDefault, "", WS_CHILD | WS_VISIBLE);
    ASSERT_TRUE(hook.SubclassWindow(edit));
    edit.SetWindowText("one");
    EXPECT_EQ(hook.m_nSetText, 1);
    EXPECT_EQ(WindowText(edit), "one");
    EXPECT_EQ(hook.UnsubclassWindow(), (HWND)edit);
    edit.SetWindowText("two");
    EXPECT_EQ(hook.m_nSetText, 1);
    EXPECT_EQ(WindowText(edit), "two");
    parent.DestroyWindow();
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(WindowImplTest, SuperclassedListViewKeepsTheControlsBehaviour)
{
    struct CMessageList : public CWindowImpl<CMessageList, CListViewCtrl>
    {
        DECLARE_WND_SUPERCLASS("OrbTestMessageList", CListViewCtrl::GetWndClassName())
        int m_nCreates = 0;
        BEGIN_MSG_MAP(CMessageList)
            MESSAGE_HANDLER(WM_CREATE, OnCreate)
        END_MSG_MAP()
        LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
        {
            m_nCreates++;
            bHandled = FALSE;
            return 0;
        }
    } list;
    CCountingWindow parent;
    ASSERT_NE(parent.Create(NULL, CWindow::rcDefault, "parent", WS_OVERLAPPEDWINDOW), (HWND)NULL);
    ASSERT_NE(list.Create(parent, CWindow::rcDefault, NULL, WS_CHILD | WS_VISIBLE | LVS_REPORT), (HWND)NULL);
    EXPECT_EQ(list.m_nCreates, 1);
    EXPECT_EQ(ClassNameOf(list), "OrbTestMessageList");
    list.InsertColumn(0, "Subject", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "From", LVCFMT_LEFT, 100);
    list.InsertItem(0, "Hello");
    list.SetItemText(0, 1, "ann@example.org");
    list.InsertItem(1, "Re: Hello");
    EXPECT_EQ(ListViewItems(list),
              (std::vector<std::vector<std::string>>{{"Hello", "ann@example.org"}, {"Re: Hello", ""}}));
    CString strText;
    list.GetItemText(0, 1, strText);
    EXPECT_STREQ(strText, "ann@example.org");
    parent.DestroyWindow();
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(WindowImplTest, TreeViewReaderGivesEveryItemWithItsDepthInDisplayOrder)
{
    CCountingWindow parent;
    ASSERT_NE(parent.Create(NULL, CWindow::rcDefault, "parent", WS_OVERLAPPEDWINDOW), (HWND)NULL);
    CTreeViewCtrl tree;
    ASSERT_NE(tree.Create(parent, CWindow::rcDefault, NULL, WS_CHILD | WS_VISIBLE), (HWND)NULL);
    HTREEITEM hRoot = tree.InsertItem("Local Folders", TVI_ROOT, TVI_LAST);
    HTREEITEM hInbox = tree.InsertItem("Inbox", hRoot, TVI_LAST);
    tree.InsertItem("Project", hInbox, TVI_LAST);
    tree.InsertItem("Sent Items", hRoot, TVI_LAST);
    tree.InsertItem("Archive", TVI_ROOT, TVI_LAST);
    tree.SetItemData(hInbox, 7);

    std::vector<TreeItem> items = TreeViewItems(tree);
    std::vector<std::pair<int, std::string>> seen;
    for (const TreeItem& item : items)
        seen.push_back({item.nDepth, item.strText});
    EXPECT_EQ(seen,
              (std::vector<std::pair<int, std::string>>{
                  {0, "Local Folders"}, {1, "Inbox"}, {2, "Project"}, {1, "Sent Items"}, {0, "Archive"}}));
    EXPECT_EQ(tree.GetItemData(hInbox), 7u);
    EXPECT_EQ(tree.GetParentItem(hInbox), hRoot);
    parent.DestroyWindow();
    MSG msg;
    ::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// ---------------------------------------------------------------------------------------------------------

struct CTestException
{
    explicit CTestException(const char* pszText) : m_strText(pszText) {}
    virtual ~CTestException() { s_nDeleted++; }
    std::string m_strText;
    static int s_nDeleted;
};
int CTestException::s_nDeleted = 0;

class CThrowingWindow : public CWindowImpl<CThrowingWindow, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("OrbTestThrowingWindow")
    BEGIN_MSG_MAP(CThrowingWindow)
        MESSAGE_HANDLER(WM_APP, OnThrowObject)
        MESSAGE_HANDLER(WM_APP + 1, OnThrowText)
        MESSAGE_HANDLER(WM_APP + 2, OnAlive)
    END_MSG_MAP()
    LRESULT OnThrowObject(UINT, WPARAM, LPARAM, BOOL&) { throw new CTestException("FATAL ERROR: disk full"); }
    LRESULT OnThrowText(UINT, WPARAM, LPARAM, BOOL&) { throw "ERROR: plain text"; }
    LRESULT OnAlive(UINT, WPARAM, LPARAM, BOOL&) { return 5; }
};

std::string s_strHookClass;
std::string s_strHookText;

// What the application installs: it looks at the exception by rethrowing it.
void RecordingHook(const char* pszClassName)
{
    s_strHookClass = pszClassName;
    try
    {
        throw;
    }
    catch (CTestException* pException)
    {
        s_strHookText = pException->m_strText;
        delete pException;
    }
    catch (...)
    {
        s_strHookText = "other";
    }
}

TEST(MessageMapExceptionTest, HookSeesTheExceptionAndTheClassAndNothingEscapesTheWindowProcedure)
{
    CThrowingWindow wnd;
    ASSERT_NE(wnd.Create(NULL, CWindow::rcDefault, "throws", WS_OVERLAPPEDWINDOW), (HWND)NULL);
    ATL_MSGMAP_EXCEPTION_HOOK pfnOld = AtlSetMsgMapExceptionHook(RecordingHook);
    int nDeleted = CTestException::s_nDeleted;

    wnd.SendMessage(WM_APP);
    EXPECT_EQ(s_strHookClass, "CThrowingWindow");
    EXPECT_EQ(s_strHookText, "FATAL ERROR: disk full");
    EXPECT_EQ(CTestException::s_nDeleted, nDeleted + 1);

    wnd.SendMessage(WM_APP + 1);
    EXPECT_EQ(s_strHookText, "other");
    EXPECT_EQ(wnd.SendMessage(WM_APP + 2), 5);

    AtlSetMsgMapExceptionHook(pfnOld);
    wnd.DestroyWindow();
}

TEST(MessageMapExceptionTest, WithoutAHookTheWindowShowsUnhandledExceptionWithItsClassName)
{
    ATL_MSGMAP_EXCEPTION_HOOK pfnOld = AtlSetMsgMapExceptionHook(NULL);
    CThrowingWindow wnd;
    CUiThread ui(_Module);
    HWND hWnd = ui.Start([&] { return wnd.Create(NULL, CWindow::rcDefault, "throws", WS_OVERLAPPEDWINDOW); });
    ASSERT_NE(hWnd, (HWND)NULL);

    CDialogResponder responder(ui.ThreadId(),
                               [](HWND hWndBox) { return CDialogResponder::Press(hWndBox, IDOK); });
    ::PostMessageA(hWnd, WM_APP + 1, 0, 0);
    ASSERT_TRUE(responder.WaitForAnswered(1));
    EXPECT_EQ(responder.Answered()[0].strText, "Unhandled exception!!!\r\nCThrowingWindow");
    // The window and its thread go on.
    EXPECT_EQ(::SendMessageA(hWnd, WM_APP + 2, 0, 0), 5);

    ui.Invoke([&] { wnd.DestroyWindow(); });
    ui.PostQuit();
    EXPECT_TRUE(ui.WaitForExit());
    AtlSetMsgMapExceptionHook(pfnOld);
}

} // namespace

// The send-and-receive run as the user sees it: which tasks a command line plans, their statuses and error
// lines, Stop, Next, Hide and Cancel, and what the owner hears.
#include <gtest/gtest.h>

#include <set>

#include "ProgressTestSupport.h"
#include "app/ManagerCommands.h"
#include "store/Folders.h"
#include "store/MessageFlagsNotice.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
typedef std::vector<std::vector<std::string>> Rows;

class DlgProgressTest : public CProgressFixture
{
protected:
    void AddThreeAccounts()
    {
        m_nAlpha = AddAccount({"Alpha", "tester", "secret", 0x4 | 0x1, 0, 0});
        m_nBeta = AddAccount({"Beta", "second", "secret", 0x4, 0, 0});
        m_nGamma = AddAccount({"Gamma", "tester", "secret", 0, 0, 0});
    }
    LONG m_nAlpha = 0, m_nBeta = 0, m_nGamma = 0;
};

TEST_F(DlgProgressTest, EachCommandLinePlansItsTasksAndTheRunEndsByItself)
{
    struct Case
    {
        const char* pszCommandLine;
        int nAccount; // 1 Alpha, 2 Beta, 3 Gamma, 0 every account, -1 none
        int nMode;
        Rows tasks;
    };
    const Case cases[] = {
        {"/p",
         0,
         0,
         {{"Send 2 message(s) using 'Alpha'.", "Completed"},
          {"Check for new messages on 'Alpha'.", "Completed"},
          {"Check for new messages on 'Beta'.", "Completed"},
          {"Send 1 message(s) using 'Gamma'.", "Completed"}}},
        {"/p /r",
         0,
         1,
         {{"Send 2 message(s) using 'Alpha'.", ""},
          {"Check for new messages on 'Alpha'.", "Completed"},
          {"Check for new messages on 'Beta'.", "Completed"},
          {"Send 1 message(s) using 'Gamma'.", ""}}},
        {"/p 3", 3, 0, {{"Send 1 message(s) using 'Gamma'.", "Completed"}}},
        {"/p /a 3",
         3,
         2,
         {{"Send 1 message(s) using 'Gamma'.", "Completed"}, {"Check for new messages on 'Gamma'.", "Completed"}}},
        {"/p -1", -1, 0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszCommandLine);
        Restart();
        AddThreeAccounts();
        EmptyPeerMailbox("tester");
        EmptyPeerMailbox("second");
        AddOutgoing("Alpha", "one@example.com", "", "", "first");
        AddOutgoing("Alpha", "two@example.com", "", "", "second");
        AddOutgoing("Gamma", "three@example.com", "", "", "third");
        const LONG ids[] = {0, m_nAlpha, m_nBeta, m_nGamma};
        ASSERT_TRUE(RunToEnd(c.nAccount > 0 ? ids[c.nAccount] : c.nAccount, c.nMode));
        EXPECT_EQ(c.tasks, Tasks());
        EXPECT_TRUE(Errors().empty());
        // The owner hears the end; a background check also re-arms the owner's new-mail timer.
        EXPECT_TRUE(m_pOwner->Has(ID_NEW_MESSAGES_COUNT));
        EXPECT_EQ(c.nMode == 1, m_pOwner->m_Manager.WaitForCommand(ID_CHECKING_NEW_MESSAGES_COMPLETED,
                                                                    c.nMode == 1 ? 20000 : 0));
        if (c.nMode == 1)
        {
            EXPECT_FALSE(m_bVisibleAtEnd);
        }
        // The owner's run-state event tells that a run exists: reset while the window object lives.
        EXPECT_EQ((DWORD)WAIT_TIMEOUT, ::WaitForSingleObject(m_pOwner->m_hRunState, 0));
        m_pDlg.reset();
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_pOwner->m_hRunState, 0));
    }
}

TEST_F(DlgProgressTest, NewMessagesAreCountedAndHandedOverToTheOwnersThread)
{
    AddThreeAccounts();
    const std::string tester = EmptyPeerMailbox("tester");
    EmptyPeerMailbox("second");
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(DeliverToMailbox(tester, "m" + std::to_string(i), PeerMessage("new" + std::to_string(i))));
    ASSERT_TRUE(RunToEnd(m_nAlpha, 2));
    CRecordingOwner::Command count;
    ASSERT_TRUE(m_pOwner->Has(ID_NEW_MESSAGES_COUNT, &count));
    EXPECT_EQ(3, count.lParam);
    std::set<LONG> handedOver;
    for (const CRecordingThread::Command& command : m_pOwner->m_Manager.Commands())
    {
        if (command.wParam == ID_ADD_MESSAGE_TO_CONTROL)
            handedOver.insert((LONG)command.lParam);
    }
    EXPECT_EQ(3u, handedOver.size());
    // Before each hand-over the owner was told that its folder has one more unread message.
    CFolders folders(Local());
    const LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    std::set<LONG> noticed;
    for (const CRecordingOwner::Command& command : m_pOwner->Commands())
    {
        if (command.nID != ID_UPDATE_MESSAGE_FLAGS)
            continue;
        EXPECT_EQ(nInbox, command.nNoticeFolder);
        EXPECT_EQ(1, command.nNoticeDelta);
        EXPECT_EQ(NOTICE_MESSAGE_UNREAD, command.nNoticeKind);
        noticed.insert(command.nNoticeMessage);
    }
    EXPECT_EQ(handedOver, noticed);
    // The status line went to the owner's status bar as well.
    bool bReceiving = false;
    for (const CRecordingOwner::Command& command : m_pOwner->Commands())
        bReceiving |= command.nID == ID_SET_STATUSBAR_2 && command.strText == "Receiving message 3 of 3...";
    EXPECT_TRUE(bReceiving);
}

TEST_F(DlgProgressTest, AFailedAccountKeepsTheWindowOpenOnTheErrorsPage)
{
    const UINT nDeadPort = DeadPort();
    AddAccount({"Broken", "tester", "secret", 0x4, nDeadPort, 0});
    AddAccount({"Working", "second", "secret", 0x4, 0, 0});
    EmptyPeerMailbox("second");
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    const Rows tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ("Failed", tasks[0][1]);
    EXPECT_EQ("Completed", tasks[1][1]);
    const std::vector<std::string> errors = Errors();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find("Account: 'tester', Server: '127.0.0.1', Protocol: POP3, Port: " +
                                 std::to_string(nDeadPort) + ", Response: '"))
        << errors[0];
    EXPECT_EQ(std::string::npos, errors[0].find('\r'));
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    EXPECT_TRUE(::IsWindowVisible(m_pDlg->m_hErrors));
    EXPECT_FALSE(::IsWindowVisible(m_pDlg->m_hTasks));
    SaveWindowScreenshot(hWnd, "progress-errors-page");
    m_pUi->Invoke([&] {
        ::SendMessageA(m_pDlg->m_hTabs, TCM_SETCURSEL, 0, 0);
        NMHDR header = {m_pDlg->m_hTabs, IDC_PROGRESS_TABS, (UINT)TCN_SELCHANGE};
        ::SendMessageA(hWnd, WM_NOTIFY, IDC_PROGRESS_TABS, (LPARAM)&header);
    });
    EXPECT_TRUE(::IsWindowVisible(m_pDlg->m_hTasks));
    SaveWindowScreenshot(hWnd, "progress-tasks-page");
    // The About command opens the frames' About box over the window.
    static HWND s_hAboutParent;
    s_hAboutParent = NULL;
    CDlgProgress::AboutBox pfnPrevious = CDlgProgress::s_pfnAboutBox;
    CDlgProgress::s_pfnAboutBox = [](HWND hWndParent) -> INT_PTR {
        s_hAboutParent = hWndParent;
        return IDOK;
    };
    m_pUi->Invoke([&] { ::SendMessageA(hWnd, WM_COMMAND, 57664, 0); });
    CDlgProgress::s_pfnAboutBox = pfnPrevious;
    EXPECT_EQ(hWnd, s_hAboutParent);
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
}

TEST_F(DlgProgressTest, HideHidesARunningWindowAndClosesAnEndedOne)
{
    AddAccount({"Stopped", "tester", "secret", 0x4, 0, 0});
    const std::string tester = EmptyPeerMailbox("tester");
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(DeliverToMailbox(tester, "m" + std::to_string(i), PeerMessage("hide" + std::to_string(i))));
    UseGate();
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(m_pOwner->m_Manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL));
    ::PostMessageA(hWnd, WM_COMMAND, IDC_PROGRESS_STOP, 0);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    // Stopped: the window stays, with every task cancelled.
    for (const std::vector<std::string>& row : Tasks())
        EXPECT_EQ("Cancelled", row[1]);
    EXPECT_TRUE(::IsWindow(hWnd));
    ::PostMessageA(hWnd, WM_COMMAND, IDC_PROGRESS_HIDE, 0);
    EXPECT_TRUE(WaitForEnd());
}

TEST_F(DlgProgressTest, NextSkipsTheCurrentAccountAndTheRunGoesOn)
{
    const LONG nFirst = AddAccount({"First", "tester", "secret", 0x4, 0, 0});
    AddAccount({"Second", "second", "secret", 0x4, 0, 0});
    (void)nFirst;
    const std::string tester = EmptyPeerMailbox("tester");
    const std::string second = EmptyPeerMailbox("second");
    for (int i = 1; i <= 20; ++i)
        ASSERT_TRUE(DeliverToMailbox(tester, "m" + std::to_string(i), PeerMessage("skip" + std::to_string(i))));
    ASSERT_TRUE(DeliverToMailbox(second, "m1", PeerMessage("kept")));
    UseGate();
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(m_pOwner->m_Manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL));
    ::PostMessageA(hWnd, WM_COMMAND, IDC_PROGRESS_NEXT, 0);
    ASSERT_TRUE(WaitForEnd());
    const Rows tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ("Cancelled", tasks[0][1]);
    EXPECT_EQ("Completed", tasks[1][1]);
    EXPECT_TRUE(Errors().empty());
    // Whatever the first account stored has left its server; the rest waits there for the next run.
    EXPECT_EQ(20, CountIn(FOLDER_INBOX) - 1 + (long)MailboxMessageCount(tester));
    EXPECT_EQ(0u, MailboxMessageCount(second));
}

TEST_F(DlgProgressTest, CancelDuringAReceiveClosesOnlyAfterTheWorkerHasEnded)
{
    AddAccount({"Busy", "tester", "secret", 0x4, 0, 0});
    const std::string tester = EmptyPeerMailbox("tester");
    const int nTotal = 30;
    for (int i = 1; i <= nTotal; ++i)
        ASSERT_TRUE(DeliverToMailbox(tester, "m" + std::to_string(i), PeerMessage("busy" + std::to_string(i))));
    UseGate();
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(m_pOwner->m_Manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL));
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForEnd());
    // The worker ended by itself: its handle was waited for and closed, not cut off.
    EXPECT_TRUE(m_pDlg->m_hWorker == NULL);
    // The database is whole and nothing was lost: each message is stored or still on the server.
    const long nStored = CountIn(FOLDER_INBOX);
    EXPECT_GE(nStored, 1);
    EXPECT_EQ(nTotal, nStored + (long)MailboxMessageCount(tester));
}

TEST_F(DlgProgressTest, ARunWithoutALocalDatabaseSaysSoAndEnds)
{
    AddAccount({"Any", "tester", "secret", 0x4, 0, 0});
    m_pDatabase->m_Local.Close();
    CMessageBoxRecorder boxes({IDOK});
    ASSERT_TRUE(RunToEnd(0, 0));
    ASSERT_EQ(1u, CMessageBoxRecorder::s_Texts.size());
    EXPECT_EQ("FATAL ERROR. Send/receive messages failed. No session.", CMessageBoxRecorder::s_Texts[0]);
    EXPECT_TRUE(Tasks().empty());
}
} // namespace

// The receive worker against POP3 servers that lie about sizes, send lines with no end or trickle their
// replies: each run ends, says why when it failed, and no message is both gone from the server and absent
// from the store.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "ProgressTestSupport.h"
#include "app/ManagerCommands.h"
#include "store/Folders.h"
#include "tests/support/WindowReaders.h"
#include "transport/MySocket.h"
#include "transport/TransportTexts.h"

namespace
{
typedef std::vector<std::string> Subjects;
const Subjects kAll = {"m1", "m2", "m3"};

class BrokenServerReceiveTest : public CProgressFixture
{
protected:
    // Every message of the peer's mailbox is still on the server or stored (or both, with leave-on-server).
    void ExpectNothingLost(CTricklePeer& peer, const Subjects& all)
    {
        const Subjects stored = SubjectsIn(FOLDER_INBOX);
        const Subjects server = peer.Mailbox();
        for (const std::string& subject : all)
        {
            const bool bStored = std::count(stored.begin(), stored.end(), subject) > 0;
            const bool bOnServer = std::count(server.begin(), server.end(), subject) > 0;
            EXPECT_TRUE(bStored || bOnServer) << subject << " is gone from the server and not stored";
        }
        EXPECT_EQ(stored.size(), std::set<std::string>(stored.begin(), stored.end()).size()) << "stored twice";
    }
};

// The clock of the 60-second question, moved on by 5 s at every look.
std::atomic<DWORD> s_dwFakeTicks(1);
DWORD WINAPI FastClock()
{
    return s_dwFakeTicks.fetch_add(5000);
}

class CFastClock
{
public:
    CFastClock() : m_pfnPrevious(CMySocket::s_pfnGetTickCount) { CMySocket::s_pfnGetTickCount = FastClock; }
    ~CFastClock() { CMySocket::s_pfnGetTickCount = m_pfnPrevious; }

private:
    DWORD(WINAPI* m_pfnPrevious)();
};

TEST_F(BrokenServerReceiveTest, ListedSizesAreOnlyHintsAndBodyLinesHaveNoLimit)
{
    struct Case
    {
        const char* pszScenario;
        Subjects all;
    };
    // Sizes of -5 and 2147483647; a message with a body line of 8 MB.
    const Case cases[] = {{"pop3-lying-sizes", kAll}, {"pop3-long-body-line", {"m1", "m2"}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszScenario);
        Restart();
        CTricklePeer peer(c.pszScenario);
        ASSERT_NE(0u, peer.Port());
        AddAccount({"Alpha", "tester", "secret", 0x4, peer.Port(), 0});
        ASSERT_TRUE(RunToEnd(0, 0));
        ASSERT_TRUE(peer.WaitDone());
        EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors()[0]);
        EXPECT_EQ(c.all, SubjectsIn(FOLDER_INBOX));
        EXPECT_TRUE(peer.Mailbox().empty());
        if (std::string(c.pszScenario) == "pop3-long-body-line")
        {
            CEmailsImpl<> store(Local());
            store.SelectByID(Query("SELECT EmailsID FROM Emails WHERE Subject = 'm1'"), NULL);
            const CString strText = store.GetMessage();
            EXPECT_NE(-1, strText.Find(("\r\n\r\n" + std::string(8 * 1024 * 1024, 'A') + "\r\nend\r\n").c_str()));
        }
    }
}

TEST_F(BrokenServerReceiveTest, AStatusOrListingLineWithNoEndFailsTheAccountAndLosesNothing)
{
    for (const char* pszScenario : {"pop3-long-status", "pop3-long-listing"})
    {
        SCOPED_TRACE(pszScenario);
        Restart();
        CTricklePeer peer(pszScenario);
        ASSERT_NE(0u, peer.Port());
        AddAccount({"Alpha", "tester", "secret", 0x4, peer.Port(), 0});
        ASSERT_TRUE(RunToEnd(0, 0));
        ASSERT_TRUE(peer.WaitDone());
        const std::vector<std::string> errors = Errors();
        ASSERT_EQ(1u, errors.size());
        EXPECT_NE(std::string::npos, errors[0].find("longer than 65536 bytes")) << errors[0];
        EXPECT_TRUE(SubjectsIn(FOLDER_INBOX).empty());
        EXPECT_EQ(kAll, peer.Mailbox());
    }
}

TEST_F(BrokenServerReceiveTest, AReplyLineTrickledByteByByteStillBringsTheSixtySecondQuestion)
{
    CFastClock clock;
    CMessageBoxRecorder boxes({IDNO});
    CTricklePeer peer("pop3-trickle-status");
    ASSERT_NE(0u, peer.Port());
    AddAccount({"Alpha", "tester", "secret", 0x4, peer.Port(), 0});
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_NE(0, std::count(CMessageBoxRecorder::s_Texts.begin(), CMessageBoxRecorder::s_Texts.end(),
                            std::string(TransportText::kServerNotResponding)));
    EXPECT_TRUE(SubjectsIn(FOLDER_INBOX).empty());
    EXPECT_EQ(kAll, peer.Mailbox());
}

TEST_F(BrokenServerReceiveTest, AfterStopAQuitAnsweredByATrickleIsLeftWithinSeconds)
{
    CTricklePeer peer("pop3-trickle-quit");
    ASSERT_NE(0u, peer.Port());
    AddAccount({"Alpha", "tester", "secret", 0x4, peer.Port(), 0});
    UseGate();
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(m_pOwner->m_Manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL));
    ::PostMessageA(hWnd, WM_COMMAND, IDC_PROGRESS_STOP, 0);
    // The peer trickles its QUIT reply for 90 s: a run that waited for its line end would still be running.
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 45000));
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
    ASSERT_TRUE(peer.WaitDone());
    const std::vector<std::string> commands = peer.Commands();
    EXPECT_TRUE(!commands.empty() && commands.back() == "QUIT");
    EXPECT_FALSE(SubjectsIn(FOLDER_INBOX).empty());
    ExpectNothingLost(peer, kAll);
}

// Holds the worker inside the report of a refused RETR until the test lets it go.
HANDLE s_hRelease = NULL;
HANDLE s_hReporting = NULL;
void HeldReport(HWND, const CString&, const CString& strDetail)
{
    if (!strDetail.IsEmpty())
        ::DeleteFileA(strDetail);
    ::SetEvent(s_hReporting);
    ::WaitForSingleObject(s_hRelease, 60000);
}

TEST_F(BrokenServerReceiveTest, CancelNeverBlocksTheWindowThreadWhileTheWorkerIsBusy)
{
    CTricklePeer peer("pop3-refused-retr");
    ASSERT_NE(0u, peer.Port());
    AddAccount({"Alpha", "tester", "secret", 0x4, peer.Port(), 0});
    CMessageBoxRecorder boxes({IDNO});
    s_hRelease = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    s_hReporting = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    CDlgProgress::s_pfnReportDialog = HeldReport;
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(s_hReporting, 60000));

    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    // The worker is held: the window thread must still run its message loop (a posted message is taken,
    // not only sent ones), with the window out of sight until the worker has ended.
    const HWND hTabs = m_pDlg->m_hTabs;
    ::PostMessageA(hTabs, TCM_SETCURSEL, 1, 0);
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageA(hTabs, TCM_GETCURSEL, 0, 0) == 1; }));
    EXPECT_FALSE(::IsWindowVisible(hWnd));
    EXPECT_TRUE(::IsWindow(hWnd));

    ::SetEvent(s_hRelease);
    EXPECT_TRUE(WaitForEnd(60000));
    ASSERT_TRUE(peer.WaitDone());
    EXPECT_TRUE(SubjectsIn(FOLDER_INBOX).empty());
    EXPECT_EQ(kAll, peer.Mailbox());
    ::CloseHandle(s_hRelease);
    ::CloseHandle(s_hReporting);
}
} // namespace

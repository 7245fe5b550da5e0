// The single-instance hand-over between two processes: this test process runs the client, the host program
// is started a second time with each command line.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/LetrovaGlobals.h"
#include "app/ThreadManager.h"
#include "foundation/Paths.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
struct CHostProcess
{
    explicit CHostProcess(const std::string& strTail)
    {
        std::string strCommandLine =
            std::string("\"") + ORB_HOST_EXE + "\"" + (strTail.empty() ? "" : " ") + strTail;
        STARTUPINFOA si = {sizeof(si)};
        if (::CreateProcessA(nullptr, &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &m_pi))
            ::CloseHandle(m_pi.hThread);
    }
    ~CHostProcess()
    {
        if (m_pi.hProcess != NULL)
        {
            if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(m_pi.hProcess, 3);
            ::CloseHandle(m_pi.hProcess);
        }
    }
    // The exit code once the host has ended by itself, or -1 when it is still running at the bound.
    long WaitForExit()
    {
        if (m_pi.hProcess == NULL || ::WaitForSingleObject(m_pi.hProcess, 120000) != WAIT_OBJECT_0)
            return -1;
        DWORD dwExitCode = 0;
        ::GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
        return static_cast<long>(dwExitCode);
    }

    PROCESS_INFORMATION m_pi = {};
};

bool CmdLineFileExists()
{
    return ::GetFileAttributesA(GetTempFolder() + "CmdLine.txt") != INVALID_FILE_ATTRIBUTES;
}

class HandOverTest : public ::testing::Test
{
protected:
    void SetUp() override { ReleaseInstanceRole(); }
    void TearDown() override { ReleaseInstanceRole(); }

    CFreshSettings m_settings;
    CRecordingUser m_user;
    CThreadStarts m_starts;
};
} // namespace

TEST_F(HandOverTest, ASecondStartHandsEachRequestToTheRunningInstance)
{
    CComPtr<ILetrova> pLetrova = NewLetrova();
    ASSERT_EQ(S_OK, pLetrova->OpenDatabase());
    ASSERT_EQ(S_OK, pLetrova->Letrova());
    ASSERT_TRUE(m_starts.WaitForLine("/aym"));
    ASSERT_TRUE(WaitFor([] { return g_ThreadManager.GetAreYouMeWindow() != NULL; }));
    ASSERT_TRUE(WaitFor([] { return OwnWindows("Vorn Email").size() == 1; }));

    // A card file that is not there: its thread says so and opens no window.
    const std::string strCard = std::string(GetTempFolder()) + "handover-missing.vcf";
    const std::string strVcard = "/vcard " + strCard;
    struct Case
    {
        const char* pszTail;   // the second start's command line
        const char* pszThread; // what a thread of the first instance is started for
    };
    const Case cases[] = {
        {"/ma C:\\docs\\report.txt", "/ma C:\\docs\\report.txt"},
        {"/f C:\\mail\\one.eml", "/f C:\\mail\\one.eml"},
        {"/m mailto:x@y.example", "/mailurl:mailto:x@y.example"},
        {"/mailurl:mailto:z@y.example", "/mailurl:mailto:z@y.example"},
        {"/n a@b.example; c@d.example", "/n a@b.example; c@d.example"},
        {strVcard.c_str(), strVcard.c_str()},
        {"/a", "/a"},
        {"/p 3", "/p 3"},
        {"\"C:\\My Docs\\b.txt\"", "/ma C:\\My Docs\\b.txt"}, // a file sent from the SendTo menu
    };
    size_t nWindows = 1;
    for (const Case& c : cases)
    {
        CHostProcess host(c.pszTail);
        // A second start that opened a window of its own would wait for it to close: it ends at once.
        EXPECT_EQ(0, host.WaitForExit()) << c.pszTail;
        EXPECT_TRUE(m_starts.WaitForLine(c.pszThread)) << c.pszTail;
        EXPECT_FALSE(CmdLineFileExists()) << c.pszTail;
        // A run for an account that does not exist plans nothing and its window closes at once; a card
        // file that is not there is said so, and nothing is shown of it.
        if (strncmp(c.pszThread, "/p", 2) != 0 && strncmp(c.pszThread, "/vcard", 6) != 0)
            nWindows++;
        if (c.pszTail == strVcard.c_str())
            EXPECT_TRUE(WaitFor([&] { return !m_user.Boxes().empty(); })) << c.pszTail;
        EXPECT_TRUE(WaitFor([&] { return OwnWindows().size() == nWindows; })) << c.pszTail;
    }
    const std::vector<std::string> boxes = m_user.Boxes();
    EXPECT_EQ(1u, boxes.size());
    EXPECT_TRUE(!boxes.empty() && boxes[0].find("handover-missing.vcf") != std::string::npos);
    CloseAllAndWait(pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
}

TEST_F(HandOverTest, WithoutARunningInstanceTheSecondStartOpensItsOwnWindow)
{
    CHostProcess host("/a");
    std::vector<HWND> windows;
    ASSERT_TRUE(
        WaitFor([&] { return !(windows = ProcessWindows(host.m_pi.dwProcessId, "Address Book")).empty(); }));
    for (HWND hWnd : windows)
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, host.WaitForExit());
    EXPECT_TRUE(m_starts.Lines().empty());
}

TEST_F(HandOverTest, TheHostOpensTheMainWindowAndEndsWhenItCloses)
{
    CHostProcess host("");
    std::vector<HWND> windows;
    ASSERT_TRUE(
        WaitFor([&] { return !(windows = ProcessWindows(host.m_pi.dwProcessId, "Vorn Email")).empty(); }));
    EXPECT_EQ(1u, windows.size());
    EXPECT_FALSE(SaveWindowScreenshot(windows[0], "host-main-window").empty());
    ::PostMessageA(windows[0], WM_CLOSE, 0, 0);
    EXPECT_EQ(0, host.WaitForExit());
}

TEST(HostOpenFailure, TheHostEndsWithOneWhenTheDatabasesCannotBeOpened)
{
    CFreshSettings settings(true);
    ReleaseInstanceRole();
    CHostProcess host("");
    // The user closes whatever the failure shows: boxes and dialogs of the host.
    EXPECT_TRUE(WaitFor(
        [&] {
            for (HWND hWnd : ProcessWindows(host.m_pi.dwProcessId))
            {
                if (ClassNameOf(hWnd) == "#32770")
                    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            }
            return ::WaitForSingleObject(host.m_pi.hProcess, 0) == WAIT_OBJECT_0;
        },
        120000));
    EXPECT_EQ(1, host.WaitForExit());
}

// The thread manager: its command table, the hand-over's commands, and the manager's windows under Xvfb.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/CmdLineHolder.h"
#include "app/LetrovaGlobals.h"
#include "app/ManagerCommands.h"
#include "app/ThreadManager.h"
#include "app/WndAreYouMe.h"
#include "foundation/Paths.h"
#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/WindowReaders.h"

namespace
{
class ThreadManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReleaseInstanceRole();
        m_pLetrova = NewLetrova();
        ASSERT_TRUE(m_pLetrova);
        ASSERT_EQ(S_OK, m_pLetrova->OpenDatabase());
    }
    void TearDown() override
    {
        CLetrova::SetManagerWaitHook(nullptr);
        m_pLetrova.Release();
        ReleaseInstanceRole();
    }

    // The main window and the hidden window are up and the manager takes commands.
    void OpenMainWindow()
    {
        ASSERT_EQ(S_OK, m_pLetrova->Letrova());
        ASSERT_TRUE(m_starts.WaitForLine("/aym"));
        ASSERT_TRUE(WaitFor([] { return OwnWindows("Vorn Email").size() == 1; }));
        ASSERT_TRUE(WaitFor([] { return g_ThreadManager.GetAreYouMeWindow() != NULL; }));
    }

    CFreshSettings m_settings;
    CRecordingUser m_user;
    CThreadStarts m_starts;
    CComPtr<ILetrova> m_pLetrova;
};
} // namespace

TEST(ManagerCommandTable, EachThreadCommandFormsItsCommandLine)
{
    char szFile[] = "C:\\mail\\one.eml";
    char szMailTo[] = "mailto:x@y.example";
    char szVcard[] = " C:\\card.vcf";
    struct Case
    {
        WPARAM nCommand;
        LPARAM lParam;
        const char* pszCmdLine; // null: no thread
    };
    const Case cases[] = {
        {0, 0, "/a"},
        {ID_NEW_MESSAGE_MENU, 0, "/n"},
        {ID_NEW_MESSAGE_MENU, -1, "/n -1"},
        {ID_SEND_RECEIVE, 0, "/p"},
        {ID_SEND_MESSAGE, 0, "/p 0"},
        {ID_SEND_MESSAGE, 5, "/p 5"},
        {ID_REMOVE_THREAD, 0, "/r"},
        {ID_MAIN_WINDOW_MENU, 0, ""},
        {ID_SYNCHRONIZE_AND_SEND_RECEIVE, 0, "/p -1"},
        {ID_MESSAGE, 0, "/m"},
        {ID_MESSAGE, 42, "/m 42"},
        {ID_MESSAGE_WINDOW_FROM_FILE, 0, "/f"},
        {ID_MESSAGE_WINDOW_FROM_FILE, reinterpret_cast<LPARAM>(szFile), "/f C:\\mail\\one.eml"},
        {ID_MAIL_ATTACH, 0, "/ma"},
        {ID_MAIL_ATTACH, reinterpret_cast<LPARAM>(szFile), "/ma C:\\mail\\one.eml"},
        {ID_MAIL_TO, 0, "/mailurl:"},
        {ID_MAIL_TO, reinterpret_cast<LPARAM>(szMailTo), "/mailurl:mailto:x@y.example"},
        {ID_RECEIVE, 0, "/p /r"},
        {ID_FIND_MESSAGE_MENU, 0, "/s"},
        {ID_FIND_MESSAGE_MENU, 3, "/s 3"},
        {ID_SEND_RECEIVE_ACCOUNT, 2, "/p /a 2"},
        {ID_INTERNET_UPDATE, 0, "/u"},
        {ID_VCARD, 0, "/vcard"},
        {ID_VCARD, reinterpret_cast<LPARAM>(szVcard), "/vcard C:\\card.vcf"},
        {ID_UPDATE_ADDRESS_BOOK, 0, nullptr},
        {ID_ADD_MESSAGE_TO_CONTROL, 9, nullptr},
        {ID_NEW_MESSAGE_MERGE, 0, nullptr},
        {12345, 0, nullptr},
    };
    for (const Case& c : cases)
    {
        CString strCmdLine = "unchanged";
        bool bThread = CLetrovaThreadManager::CommandLineForCommand(c.nCommand, c.lParam, strCmdLine);
        EXPECT_EQ(c.pszCmdLine != nullptr, bThread) << c.nCommand;
        if (c.pszCmdLine != nullptr)
            EXPECT_STREQ(c.pszCmdLine, strCmdLine.GetString()) << c.nCommand;
    }
}

TEST(HandOverCommands, EachHandedOverCommandLineBecomesAManagerCommand)
{
    struct Case
    {
        const char* pszCmdLine;
        bool bKnown;
        WPARAM nCommand;
        const char* pszArgument;
        bool bKeepFile;
    };
    const Case cases[] = {
        {"", true, ID_MAIN_WINDOW_MENU, "", false},
        {"/f C:\\one.eml", true, ID_MESSAGE_WINDOW_FROM_FILE, "C:\\one.eml", false},
        {"/n a@b.example", true, ID_NEW_MESSAGE_MERGE, "", true},
        {"/ma C:\\a.txt", true, ID_MAIL_ATTACH, "C:\\a.txt", false},
        {"/mailurl:mailto:x@y.example", true, ID_MAIL_TO, "mailto:x@y.example", false},
        {"/m mailto:x@y.example", true, ID_MAIL_TO, "mailto:x@y.example", false},
        {"/vcard C:\\c.vcf", true, ID_VCARD, " C:\\c.vcf", false},
        {"/a", true, 0, "", false},
        {"/p -1", true, ID_SEND_MESSAGE, "-1", false},
        {"/m 42", true, ID_MESSAGE, "42", false},
        {"/x", false, 0, "", false},
        {"/a more", false, 0, "", false},
    };
    for (const Case& c : cases)
    {
        WPARAM nCommand = 99;
        CString strArgument;
        bool bKeepFile = false;
        EXPECT_EQ(c.bKnown, CCmdLineHolder::CommandForCmdLine(c.pszCmdLine, nCommand, strArgument, bKeepFile))
            << c.pszCmdLine;
        if (!c.bKnown)
            continue;
        EXPECT_EQ(c.nCommand, nCommand) << c.pszCmdLine;
        EXPECT_STREQ(c.pszArgument, strArgument.GetString()) << c.pszCmdLine;
        EXPECT_EQ(c.bKeepFile, bKeepFile) << c.pszCmdLine;
    }
}

TEST_F(ThreadManagerTest, LetrovaOpensOneMainWindowAndTheHiddenWindowEvenWhenCalledTwice)
{
    OpenMainWindow();
    HWND hAreYouMe = g_ThreadManager.GetAreYouMeWindow();
    EXPECT_FALSE(::IsWindowVisible(hAreYouMe));
    EXPECT_EQ(2, g_nThreadCount);
    // The hidden window is no window another part has to wait for.
    EXPECT_EQ(1, g_ThreadManager.WindowThreadCount());

    // The second request starts a thread that finds the main window and ends without one.
    ASSERT_EQ(S_OK, m_pLetrova->Letrova());
    ASSERT_TRUE(m_starts.WaitForCount(3));
    EXPECT_TRUE(WaitFor([] { return g_nThreadCount == 2; }));
    EXPECT_EQ(1u, OwnWindows("Vorn Email").size());
    const std::vector<std::string> expected = {"", "/aym", ""};
    EXPECT_EQ(expected, m_starts.Lines());

    // Closing the main window moves the hidden window's thread into the first slot; Close still finds it.
    CloseAllAndWait(m_pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
    EXPECT_FALSE(::IsWindow(hAreYouMe));
    EXPECT_TRUE(m_user.Boxes().empty());
}

TEST_F(ThreadManagerTest, ABurstOfPostedCommandsStartsAThreadForEach)
{
    OpenMainWindow();
    for (int i = 1; i <= 10; i++)
        ASSERT_TRUE(::PostThreadMessageA(g_dwManagerThreadId, WM_USER, ID_FIND_MESSAGE_MENU, i));
    for (int i = 1; i <= 10; i++)
        EXPECT_TRUE(m_starts.WaitForLine("/s " + std::to_string(i))) << i;
    EXPECT_TRUE(WaitFor([] { return OwnWindows().size() == 11; }));
    EXPECT_EQ(12, g_nThreadCount);
    CloseAllAndWait(m_pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
}

TEST_F(ThreadManagerTest, CloseWarnsWhenWindowsStayOpenAndReturnsOnceTheyClose)
{
    OpenMainWindow();
    // The twenty seconds have passed as soon as Close starts to wait.
    CLetrova::SetManagerWaitHook([](HANDLE hEvent, DWORD dwMilliseconds) -> DWORD {
        if (dwMilliseconds != INFINITE)
            return WAIT_TIMEOUT;
        return ::WaitForSingleObject(hEvent, INFINITE);
    });
    // The user reads the warning and closes the main window.
    m_user.m_pfnOnBox = [](const std::string&) {
        for (HWND hWnd : OwnWindows("Vorn Email"))
            ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(S_OK, m_pLetrova->Close());
    m_user.m_pfnOnBox = nullptr;
    const std::vector<std::string> expected = {"Close all Vorn Email windows before."};
    EXPECT_EQ(expected, m_user.Boxes());
    EXPECT_EQ(0, g_nThreadCount);
}

TEST_F(ThreadManagerTest, TheSixtyFourthThreadIsRefused)
{
    OpenMainWindow();
    // The main window and the hidden window are two of the 63. The windows open and close one at a time:
    // sixty threads creating and destroying X windows at once have aborted inside Wine's own heap here.
    for (int i = 1; i <= 61; i++)
    {
        ASSERT_TRUE(::PostThreadMessageA(g_dwManagerThreadId, WM_USER, ID_FIND_MESSAGE_MENU, i));
        ASSERT_TRUE(WaitFor([i] { return OwnWindows().size() == static_cast<size_t>(i) + 1; })) << i;
    }
    EXPECT_TRUE(m_starts.WaitForLine("/s 61"));
    ASSERT_TRUE(::PostThreadMessageA(g_dwManagerThreadId, WM_USER, ID_FIND_MESSAGE_MENU, 62));
    EXPECT_TRUE(m_user.WaitForBox("ERROR: Cannot create ANY MORE threads!!!"));
    EXPECT_EQ("Letrova", m_user.m_captions.empty() ? std::string() : m_user.m_captions.back());
    EXPECT_EQ(63, g_nThreadCount);
    EXPECT_EQ(63u, m_starts.Lines().size());
    EXPECT_EQ(62u, OwnWindows().size());
    for (HWND hWnd : OwnWindows())
    {
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([hWnd] { return !::IsWindow(hWnd); }));
    }
    m_pLetrova->CloseNoWarning();
    EXPECT_EQ(0, g_nThreadCount);
}

TEST(WndAreYouMe, ARunningFillDisablesTheSendCommandsUntilItEnds)
{
    CWndAreYouMe wnd(0);
    RECT rc = {0, 0, 0, 0};
    ASSERT_NE(nullptr, wnd.Create(NULL, rc, NULL));
    for (LPARAM lBusy : {1, 0, 1})
    {
        ::SendMessageA(wnd.m_hWnd, WM_COMMAND, ID_RUN_THREAD, lBusy);
        for (int nId : {ID_AYM_SEND, ID_AYM_SEND_INDIVIDUAL})
            EXPECT_EQ(lBusy != 0, (wnd.UIGetState(nId) & UPDUI_DISABLED) != 0) << nId << " " << lBusy;
    }
    wnd.DestroyWindow();
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
    }
}

TEST(InstanceRole, TheFirstInstanceEmptiesItsTemporaryFoldersAndASecondLeavesThemAlone)
{
    const CString strAttach = GetTempFolder() + "Attach";
    const CString strHtml = GetTempFolder() + "HTML";
    auto makeFiles = [&] {
        ::CreateDirectoryA(strAttach, nullptr);
        ::CreateDirectoryA(strAttach + "\\1", nullptr);
        ::CreateDirectoryA(strHtml, nullptr);
        for (const CString& strPath :
             {strAttach + "\\1\\a.txt", strHtml + "\\NoMessage.htm", strHtml + "\\b.htm"})
        {
            HANDLE hFile = ::CreateFileA(strPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ::CloseHandle(hFile);
        }
    };
    auto exists = [](const CString& strPath) {
        return ::GetFileAttributesA(strPath) != INVALID_FILE_ATTRIBUTES;
    };

    ReleaseInstanceRole();
    makeFiles();
    EXPECT_FALSE(DecideInstanceRole());
    EXPECT_FALSE(exists(strAttach + "\\1"));
    EXPECT_FALSE(exists(strHtml + "\\b.htm"));
    EXPECT_TRUE(exists(strHtml + "\\NoMessage.htm"));

    // Another holder of the name makes this process the second instance.
    ReleaseInstanceRole();
    HANDLE hOther = ::CreateMutexA(nullptr, FALSE, kLetrovaMutexName);
    makeFiles();
    EXPECT_TRUE(DecideInstanceRole());
    EXPECT_TRUE(exists(strAttach + "\\1\\a.txt"));
    EXPECT_TRUE(exists(strHtml + "\\b.htm"));
    ::CloseHandle(hOther);
    ReleaseInstanceRole();
}

TEST_F(ThreadManagerTest, AStoredMessageWindowStillOpensWhenThePreviousOneNeverLoadedItsMessage)
{
    OpenMainWindow();
    // The previous stored-message window took the signal and never gave it back.
    ::ResetEvent(g_hEventMessageWindow);
    ASSERT_TRUE(::PostThreadMessageA(g_dwManagerThreadId, WM_USER, ID_MESSAGE, 5));
    EXPECT_TRUE(m_starts.WaitForLine("/m 5"));
    EXPECT_TRUE(WaitFor([] {
        int nFrames = 0;
        for (HWND hWnd : OwnWindows())
        {
            char szClass[64] = "";
            ::GetClassNameA(hWnd, szClass, sizeof(szClass));
            nFrames += strcmp(szClass, "LetrovaMessageFrame") == 0 ? 1 : 0;
        }
        return nFrames == 1;
    }));
    CloseAllAndWait(m_pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
}

namespace
{
HWND ChildWithId(HWND hWndParent, int nID)
{
    struct Search
    {
        int nID;
        HWND hFound;
    } search = {nID, nullptr};
    ::EnumChildWindows(
        hWndParent,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            Search* pSearch = reinterpret_cast<Search*>(lParam);
            if (::GetDlgCtrlID(hWnd) != pSearch->nID)
                return TRUE;
            pSearch->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}
} // namespace

TEST_F(ThreadManagerTest, AVcardCommandLineShowsTheCardInReadOnlyProperties)
{
    OpenMainWindow();
    const std::string strFolder = m_settings.m_strFolder + "cards with blanks\\";
    ::CreateDirectoryA(strFolder.c_str(), nullptr);
    const std::string strPath = strFolder + "one card.vcf";
    FILE* pFile = fopen(strPath.c_str(), "wb");
    ASSERT_NE(nullptr, pFile);
    fputs("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Carder;Vera\r\nFN:Vera Carder\r\n"
          "EMAIL;INTERNET:vera@example.org\r\nEND:VCARD\r\n",
          pFile);
    fclose(pFile);
    // As the shell's command gives it: quoted.
    ASSERT_TRUE(PostTextCommand(g_dwManagerThreadId, ID_VCARD, (" \"" + strPath + "\"").c_str()));
    ASSERT_TRUE(m_starts.WaitForLine("/vcard \"" + strPath + "\""));
    HWND hProperties = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND hWnd : OwnWindows())
        {
            if (ClassNameOf(hWnd) == "#32770" && ChildWithId(hWnd, IDC_AB_TABS) != nullptr)
                hProperties = hWnd;
        }
        return hProperties != nullptr;
    }));
    HWND hFirst = ChildWithId(hProperties, IDC_AB_FIRSTNAME);
    HWND hSurname = ChildWithId(hProperties, IDC_AB_SURNAME);
    ASSERT_NE(nullptr, hFirst);
    EXPECT_EQ("Vera", WindowText(hFirst));
    EXPECT_EQ("Carder", WindowText(hSurname));
    for (HWND hEdit : {hFirst, hSurname})
        EXPECT_NE(0, ::GetWindowLongA(hEdit, GWL_STYLE) & ES_READONLY);
    // The card is shown, not stored.
    ::PostMessageA(hProperties, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hProperties); }));
    CloseAllAndWait(m_pLetrova);
    EXPECT_EQ(0, g_nThreadCount);
}

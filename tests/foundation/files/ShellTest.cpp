// Tests of the shell namespace walk, COM creation texts, the browser object and HTML Help loading.
#include "foundation/Shell.h"

#include <exdisp.h>
#include <tlhelp32.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "FoundationTestSupport.h"
#include "foundation/Exception.h"

namespace
{

std::string Str(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

struct ListedFile
{
    std::string path;
    std::string name;
    bool hasIcons;
};

void CollectFile(LPARAM lParam, const char* pszPath, const char* pszFileName, HICON hIconSmall,
                 HICON hIconLarge)
{
    reinterpret_cast<std::vector<ListedFile>*>(lParam)->push_back(
        ListedFile{pszPath, pszFileName, hIconSmall != NULL || hIconLarge != NULL});
}

TEST(ShellTest, MatchingAFolderPathCallsBackOncePerFile)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(NULL)));
    CScratchFolder folder;
    ::CreateDirectoryA(folder.Path("inner").c_str(), NULL);
    for (const char* name : {"a.txt", "b.eml", "c.doc", "inner\\hidden.txt"})
        WriteWholeFile(folder.Path(name), name);

    std::vector<ListedFile> files;
    MatchShellPath(folder.Path().c_str(), CollectFile, NULL, reinterpret_cast<LPARAM>(&files));
    std::multiset<std::string> names;
    for (const ListedFile& file : files)
    {
        names.insert(file.name);
        EXPECT_EQ(folder.Path(file.name), file.path);
    }
    EXPECT_EQ((std::multiset<std::string>{"a.txt", "b.eml", "c.doc"}), names);

    files.clear();
    MatchShellPath(folder.Path().c_str(), CollectFile, "b.eml", reinterpret_cast<LPARAM>(&files));
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ("b.eml", files[0].name);

    files.clear();
    MatchShellPath(folder.Path("missing").c_str(), CollectFile, NULL, reinterpret_cast<LPARAM>(&files));
    EXPECT_TRUE(files.empty());
    ::CoUninitialize();
}

TEST(ShellTest, CreationFailuresNameTheComponentAndTheReason)
{
    const struct
    {
        HRESULT hr;
        const char* reason;
    } cases[] = {
        {(HRESULT)0x80080005, "Server execution failed."},
        {(HRESULT)0x800401F3, "Invalid class string."},
        {(HRESULT)0x80004005, "Unknown error.HRESULT = 0x80004005"},
    };
    for (const auto& c : cases)
    {
        try
        {
            GetHResultText(c.hr, "{0002DF01-0000-0000-C000-000000000046}");
            ADD_FAILURE() << "no exception for " << std::hex << c.hr;
        }
        catch (CException* e)
        {
            EXPECT_EQ(
                std::string(
                    "FATAL ERROR: Create {0002DF01-0000-0000-C000-000000000046} component failed!\r\n") +
                    c.reason,
                Str(e->m_strMessage));
            delete e;
        }
    }
    GetHResultText(S_OK, "nothing");
}

int g_nLoads = 0;

HMODULE FailingLoader(const char*)
{
    ++g_nLoads;
    return NULL;
}

TEST(ShellTest, HtmlHelpThatFailsToLoadIsNotTriedAgain)
{
    g_nLoads = 0;
    SetHtmlHelpLoader(FailingLoader);
    EXPECT_EQ(NULL, HtmlHelp(NULL, "help.chm", 0, 0));
    const int nFirstLoads = g_nLoads;
    EXPECT_GE(nFirstLoads, 1);
    EXPECT_EQ(NULL, HtmlHelp(NULL, "help.chm", 0, 0));
    EXPECT_EQ(nFirstLoads, g_nLoads);
    SetHtmlHelpLoader(NULL);
}

// The browser runs as a server process of our own; it must not outlive the test, or it would keep the
// test's output open for whoever reads it.
void EndBrowserProcessesStartedByUs()
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore; bMore = ::Process32Next(hSnapshot, &entry))
    {
        if (entry.th32ParentProcessID != ::GetCurrentProcessId() ||
            lstrcmpiA(entry.szExeFile, "iexplore.exe") != 0)
            continue;
        HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (hProcess == NULL)
            continue;
        if (::WaitForSingleObject(hProcess, 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(hProcess, 0);
        ::CloseHandle(hProcess);
    }
    ::CloseHandle(hSnapshot);
}

TEST(ShellTest, QuietBrowserNavigationReturnsItsTextWithoutABox)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(NULL)));
    CMessageBoxRecorder boxes;
    {
        CBrowserWindow browser;
        CString strError;
        CString strResult = browser.Navigate(strError, "about:blank", true);
        EXPECT_EQ(Str(strError), Str(strResult));
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(strResult.IsEmpty(), browser.m_pBrowser != NULL);
        if (browser.m_pBrowser != NULL)
            browser.m_pBrowser->Quit();
    }
    ::CoUninitialize();
    EndBrowserProcessesStartedByUs();
}

} // namespace

// Tests of installation: through the versions list without FileList.INI (files beside the module, a program
// started), and by FileList.INI sections whose INF places a library that then registers itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "UpdaterTestSupport.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/WindowReaders.h"
#include "updater/Download.h"

namespace
{

std::string CabinetFile(const char* pszName)
{
    std::string path =
        std::string("Z:") + (getenv("ORB_CABINET_DIR") ? getenv("ORB_CABINET_DIR") : "") + "/made/" + pszName;
    std::replace(path.begin(), path.end(), '/', '\\');
    return ReadFileBytes(path);
}

std::vector<std::string> Upper(std::vector<std::string> names)
{
    for (std::string& name : names)
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(toupper(c)); });
    std::sort(names.begin(), names.end());
    return names;
}

std::string RegText(HKEY hRoot, const char* pszKey, const char* pszValue)
{
    char szText[1024] = "";
    DWORD cb = sizeof(szText);
    if (RegGetValueA(hRoot, pszKey, pszValue, RRF_RT_REG_SZ, nullptr, szText, &cb) != ERROR_SUCCESS)
        return "<missing>";
    return szText;
}

const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kMarkKey[] = "Software\\Vorn\\UpdaterTest";

std::vector<std::string> s_execs;
UINT WINAPI RecordExec(LPCSTR pszCommand, UINT)
{
    s_execs.push_back(pszCommand);
    return 33;
}

class InstallTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_module = NewScratchFolder("install-module");
        m_temp = NewScratchFolder("install-temp");
        m_install = NewScratchFolder("install-default");
        UpdateModuleFolderOverride = m_module.c_str();
        s_execs.clear();
        g_pfnUpdateWinExec = RecordExec;
        CleanRegistry();
    }
    void TearDown() override
    {
        g_pfnUpdateWinExec = WinExec;
        UpdateModuleFolderOverride.Empty();
        CleanRegistry();
        DeleteTree(m_module);
        DeleteTree(m_temp);
        DeleteTree(m_install);
    }
    void CleanRegistry()
    {
        if (m_hSetup)
        {
            RegCloseKey(m_hSetup);
            m_hSetup = nullptr;
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kRunOnce) + "\\Setup").c_str());
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, kMarkKey);
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnce, 0, KEY_ALL_ACCESS, &hKey) == ERROR_SUCCESS)
        {
            RegDeleteValueA(hKey, "GrpConv");
            RegDeleteValueA(hKey, "Wrapper");
            RegCloseKey(hKey);
        }
    }

    std::string m_module;
    std::string m_temp;
    std::string m_install;
    HKEY m_hSetup = nullptr;
};

// Answers the versions list as a user would: Download without a choice, two rows chosen, then the newest.
struct CListAnswers
{
    std::vector<std::vector<std::string>> rows;
    bool enabledWithTwo = true;
    bool enabledWithOne = false;
};

bool AnswerVersionsList(HWND hDlg, CListAnswers& answers)
{
    HWND hList = GetDlgItem(hDlg, IDC_UPDATE_VERSIONS);
    if (!hList || ListView_GetItemCount(hList) == 0)
        return false;
    answers.rows = ListViewItems(hList);
    SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
    ListView_SetItemState(hList, -1, LVIS_SELECTED, LVIS_SELECTED);
    answers.enabledWithTwo = IsWindowEnabled(GetDlgItem(hDlg, IDOK)) != FALSE;
    ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(hList, 0, LVIS_SELECTED, LVIS_SELECTED);
    answers.enabledWithOne = IsWindowEnabled(GetDlgItem(hDlg, IDOK)) != FALSE;
    CDialogResponder::Press(hDlg, IDOK);
    return true;
}

TEST_F(InstallTest, WithoutFileListFilesArePlacedAndProgramsStartedThroughTheVersionsList)
{
    std::string root = NewServerFolder("install-plain");
    const std::string tool = ReadFileBytes(ORB_CABARC_EXE);
    WriteServerFile(root + "\\CABARC.EXE", tool);
    MakeServerFolder(root + "\\1,5,0,0");
    MakeServerFolder(root + "\\2,0,0,0");
    WriteServerFile(root + "\\2,0,0,0\\pack.cab", CabinetFile("stored.cab"));
    WriteServerFile(root + "\\2,0,0,0\\note.txt", "note");
    WriteServerFile(root + "\\2,0,0,0\\RUNME.EXE", ReadFileBytes(ORB_RUN_MARKER_EXE));

    for (int run = 0; run < 2; ++run)
    {
        SCOPED_TRACE(run == 0 ? "first run" : "second run, the tool not fetched again");
        CListAnswers answers;
        CDialogResponder responder(GetCurrentThreadId(),
                                   [&](HWND hDlg) { return AnswerVersionsList(hDlg, answers); });
        CMessageBoxRecorder boxes(IDYES);
        CComPtr<ICoUpdate> pUpdate = NewUpdate();
        CComBSTR url(FtpUrl(root).c_str()), caption(L"Vorn Email"), temp(m_temp.c_str()),
            install(m_install.c_str());
        EXPECT_EQ(S_OK, pUpdate->Update(url, caption, 0, 1, 0, 0, 0, temp, install));
        CComBSTR error;
        pUpdate->get_Error(&error);
        EXPECT_EQ(0u, error.Length()) << CString(static_cast<const wchar_t*>(error)).GetString();
        pUpdate->Close();

        EXPECT_EQ((std::vector<std::vector<std::string>>{{"2,0,0,0", ""}, {"1,5,0,0", ""}}), answers.rows);
        EXPECT_FALSE(answers.enabledWithTwo);
        EXPECT_TRUE(answers.enabledWithOne);
        std::vector<std::string> texts = boxes.Texts();
        ASSERT_EQ(3u, texts.size());
        EXPECT_EQ("New version of Vorn Email is available.\r\nDo you want to update?", texts[0]);
        EXPECT_EQ("Choose the version first", texts[1]);
        EXPECT_EQ(0u, texts[2].find("Download size: ")) << texts[2];
        // A started program means no success message.
        EXPECT_TRUE(WaitFor([&] {
            return GetFileAttributesA((m_temp + "RUNME.MARKER").c_str()) != INVALID_FILE_ATTRIBUTES;
        }));
        EXPECT_EQ((std::vector<std::string>{"CABARC.EXE", "NOTE.TXT", "README.TXT"}),
                  Upper(FolderNames(m_module)));
        EXPECT_EQ(tool, ReadFileBytes(m_module + "CABARC.EXE"));
        // A copy of the tool with the listed size is kept: a same-size stand-in on the server is not fetched.
        WriteServerFile(root + "\\CABARC.EXE", std::string(tool.size(), '\0'));
    }
}

TEST_F(InstallTest, FileListSectionsInstallThroughTheirInfAndRegisterTheLibrary)
{
    char szSystem[MAX_PATH];
    GetSystemDirectoryA(szSystem, MAX_PATH);
    const std::string unique = "updtest-" + std::to_string(GetCurrentProcessId());
    struct Case
    {
        std::string directory;
        std::string expectedFolder;
    } cases[] = {
        {"Module", m_module},
        {"Default", m_install},
        {"", m_install},
        {"%system%\\" + unique, std::string(szSystem) + "\\" + unique + "\\"},
    };
    const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n"
                            "[ProductInstall]\r\nCopyFiles=Files.Copy\r\nAddReg=Reg.Add\r\n\r\n"
                            "[DestinationDirs]\r\nFiles.Copy=65600\r\n\r\n"
                            "[Files.Copy]\r\nUPDTEST.DLL\r\n\r\n"
                            "[Reg.Add]\r\nHKCU,\"Software\\Vorn\\UpdaterTest\",\"FromInf\",0,\"yes\"\r\n\r\n"
                            "[SourceDisksNames]\r\n1=\"Update\",,,\r\n\r\n"
                            "[SourceDisksFiles]\r\nUPDTEST.DLL=1\r\n";
    for (const Case& c : cases)
    {
        SCOPED_TRACE("Directory=" + c.directory);
        // "Wrapper" is written only when RunOnce has a "Setup" subkey: the first case has one.
        const bool bSetup = c.directory == "Module";
        if (bSetup)
            RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(kRunOnce) + "\\Setup").c_str(), &m_hSetup);
        std::string root = NewServerFolder("install-inf");
        MakeServerFolder(root + "\\3,0,0,0");
        WriteServerFile(root + "\\3,0,0,0\\UPDTEST.DLL", ReadFileBytes(ORB_TEST_DLL_OK));
        WriteServerFile(root + "\\3,0,0,0\\UPDTEST.INF", inf);
        WriteServerFile(root + "\\3,0,0,0\\FileList.INI",
                        "[UPDTEST.DLL]\r\nDirectory=" + c.directory +
                            "\r\nINFFile=UPDTEST.INF\r\nDllRegisterServer=Yes\r\n");
        CMessageBoxRecorder boxes(IDYES);
        CComPtr<ICoUpdate> pUpdate = NewUpdate();
        CComBSTR url((FtpUrl(root) + "/").c_str()), folder(L"3,0,0,0"), caption(L"Vorn Email"),
            temp(m_temp.c_str()), install(m_install.c_str());
        EXPECT_EQ(S_OK, pUpdate->DownloadAndInstall(url, folder, caption, temp, install));
        CComBSTR error;
        pUpdate->get_Error(&error);
        EXPECT_EQ(0u, error.Length()) << CString(static_cast<const wchar_t*>(error)).GetString();
        pUpdate->Close();
        pUpdate.Release();

        std::string placed = c.expectedFolder + "UPDTEST.DLL";
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(placed.c_str())) << placed;
        EXPECT_EQ("yes", RegText(HKEY_CURRENT_USER, kMarkKey, "FromInf"));
        EXPECT_EQ(0, lstrcmpiA(placed.c_str(), RegText(HKEY_CURRENT_USER, kMarkKey, "Registered").c_str()))
            << RegText(HKEY_CURRENT_USER, kMarkKey, "Registered");
        EXPECT_EQ("grpconv -o", RegText(HKEY_LOCAL_MACHINE, kRunOnce, "GrpConv"));
        EXPECT_EQ(bSetup ? "runonce" : "<missing>", RegText(HKEY_LOCAL_MACHINE, kRunOnce, "Wrapper"));
        EXPECT_EQ(std::vector<std::string>{"runonce -r"}, s_execs);
        EXPECT_EQ("The program is updated successfully", boxes.Texts().back());
        // Nothing but the INF's work: the library is not copied beside the module by the updater itself.
        if (c.directory != "Module")
            EXPECT_TRUE(FolderNames(m_module).empty());

        CleanRegistry();
        s_execs.clear();
        DeleteFileA(placed.c_str());
        if (c.directory.find("%system%") == 0)
            RemoveDirectoryA(c.expectedFolder.c_str());
    }
}

// A library whose registration fails fails the run with the HRESULT's text.
TEST_F(InstallTest, AFailingDllRegisterServerFailsTheRun)
{
    std::string root = NewServerFolder("install-selfreg-fails");
    MakeServerFolder(root + "\\3,0,0,0");
    WriteServerFile(root + "\\3,0,0,0\\UPDTEST.DLL", ReadFileBytes(ORB_TEST_DLL_FAIL));
    WriteServerFile(root + "\\3,0,0,0\\FileList.INI",
                    "[UPDTEST.DLL]\r\nDirectory=Default\r\nDllRegisterServer=Yes\r\n");
    // Without an INF the library must already lie where it is registered.
    CopyFileA(ORB_TEST_DLL_FAIL, (m_install + "UPDTEST.DLL").c_str(), FALSE);
    CMessageBoxRecorder boxes(IDYES);
    CComPtr<ICoUpdate> pUpdate = NewUpdate();
    CComBSTR url((FtpUrl(root) + "/").c_str()), folder(L"3,0,0,0"), caption(L"Vorn Email"),
        temp(m_temp.c_str()), install(m_install.c_str());
    EXPECT_EQ(S_FALSE, pUpdate->DownloadAndInstall(url, folder, caption, temp, install));
    CComBSTR error;
    pUpdate->get_Error(&error);
    std::string text = CString(static_cast<const wchar_t*>(error)).GetString();
    EXPECT_EQ(0u, text.find("FATAL ERROR: Update failed!\r\n" + m_install +
                            "UPDTEST.DLL\r\nDllRegisterServer failed.\r\n"))
        << text;
    EXPECT_GT(text.size(), text.find("DllRegisterServer failed.\r\n") + 27)
        << "the HRESULT's text is missing";
    pUpdate->Close();
    // The library was freed: it can be deleted.
    EXPECT_TRUE(DeleteFileA((m_install + "UPDTEST.DLL").c_str()));
}

} // namespace

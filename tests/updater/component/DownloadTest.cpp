// Tests of DownloadAndInstall against the FTP peer: files placed beside the module, cabinets extracted by
// CABARC.EXE, and runs that fail or are cancelled installing nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "UpdaterTestSupport.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

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

class DownloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_module = NewScratchFolder("updater-module");
        m_temp = NewScratchFolder("updater-temp");
        m_install = NewScratchFolder("updater-install");
        UpdateModuleFolderOverride = m_module.c_str();
        SetCut("BIG.BIN", -1);
        SetCut("Tool.dat", -1);
        SetThrottle(0);
    }
    void TearDown() override
    {
        UpdateModuleFolderOverride.Empty();
        SetCut("BIG.BIN", -1);
        SetCut("Tool.dat", -1);
        SetThrottle(0);
        DeleteTree(m_module);
        DeleteTree(m_temp);
        DeleteTree(m_install);
    }

    HRESULT Run(const std::string& root, const char* pszFolder, std::string* pError)
    {
        CComPtr<ICoUpdate> pUpdate = NewUpdate();
        CComBSTR url((FtpUrl(root) + "/").c_str()), folder(pszFolder), caption(L"Vorn Email"),
            temp(m_temp.c_str()), install(m_install.c_str());
        HRESULT hr = pUpdate->DownloadAndInstall(url, folder, caption, temp, install);
        CComBSTR error;
        pUpdate->get_Error(&error);
        *pError = CString(static_cast<const wchar_t*>(error ? error : L"")).GetString();
        pUpdate->Close();
        return hr;
    }

    std::string m_module;
    std::string m_temp;
    std::string m_install;
};

TEST_F(DownloadTest, WithoutFileListEveryFileIsPlacedBesideTheModule)
{
    std::string root = NewServerFolder("download-plain");
    MakeServerFolder(root + "\\1,0,0,0");
    WriteServerFile(root + "\\1,0,0,0\\Details.txt", "Details");
    WriteServerFile(root + "\\1,0,0,0\\Tool.dat", "tool bytes");
    CMessageBoxRecorder boxes(IDYES);
    std::string error;
    EXPECT_EQ(S_OK, Run(root, "1,0,0,0", &error));
    EXPECT_EQ("", error);
    EXPECT_EQ((std::vector<std::string>{"Download size: 17 bytes.\r\nContinue?",
                                        "The program is updated successfully"}),
              boxes.Texts());
    EXPECT_EQ((std::vector<std::string>{"DETAILS.TXT", "TOOL.DAT"}), Upper(FolderNames(m_module)));
    EXPECT_EQ("tool bytes", ReadFileBytes(m_module + "Tool.dat"));
}

// A transfer cut short is a failed run, not a short file: nothing is installed, and the next run, on a
// new object, installs cleanly.
TEST_F(DownloadTest, ATransferCutShortFailsTheRunAndANewRunInstalls)
{
    std::string root = NewServerFolder("download-cut");
    MakeServerFolder(root + "\\1,0,0,0");
    WriteServerFile(root + "\\1,0,0,0\\Tool.dat", std::string(5000, 't'));
    SetCut("Tool.dat", 1500);
    {
        CMessageBoxRecorder boxes(IDYES);
        std::string error;
        EXPECT_EQ(S_FALSE, Run(root, "1,0,0,0", &error));
        EXPECT_EQ("FATAL ERROR: Read " + FtpUrl(root) + "/1,0,0,0/Tool.dat failed!", error);
        EXPECT_TRUE(FolderNames(m_module).empty());
        EXPECT_TRUE(FolderNames(m_temp).empty());
    }
    SetCut("Tool.dat", -1);
    CMessageBoxRecorder boxes(IDYES);
    std::string error;
    EXPECT_EQ(S_OK, Run(root, "1,0,0,0", &error));
    EXPECT_EQ("", error);
    EXPECT_EQ(std::string(5000, 't'), ReadFileBytes(m_module + "Tool.dat"));
}

TEST_F(DownloadTest, CabinetsAreExtractedAndTheirFilesInstalled)
{
    std::string root = NewServerFolder("download-cab");
    MakeServerFolder(root + "\\2,0,0,0");
    WriteServerFile(root + "\\2,0,0,0\\pack.cab", CabinetFile("mszip.cab"));
    WriteServerFile(root + "\\2,0,0,0\\CABARC.EXE", ReadFileBytes(ORB_CABARC_EXE));
    CMessageBoxRecorder boxes(IDYES);
    std::string error;
    EXPECT_EQ(S_OK, Run(root, "2,0,0,0", &error));
    EXPECT_EQ("", error);
    // The archive's subfolder is left to an INF: only its top-level files are placed.
    EXPECT_EQ((std::vector<std::string>{"CABARC.EXE", "README.TXT"}), Upper(FolderNames(m_module)));
    EXPECT_EQ("The first member.\r\n", ReadFileBytes(m_module + "readme.txt"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_temp + "PACK.CAB").c_str()));
}

TEST_F(DownloadTest, ARefusedCabinetFailsTheRunAndInstallsNothing)
{
    struct Case
    {
        const char* cabinet;
    } cases[] = {{"dotdot.cab"}, {"drive.cab"}, {"truncated.cab"}, {"bitflip.cab"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.cabinet);
        std::string root = NewServerFolder("download-hostile");
        MakeServerFolder(root + "\\2,0,0,0");
        WriteServerFile(root + "\\2,0,0,0\\pack.cab", CabinetFile(c.cabinet));
        WriteServerFile(root + "\\2,0,0,0\\CABARC.EXE", ReadFileBytes(ORB_CABARC_EXE));
        CMessageBoxRecorder boxes(IDYES);
        std::string error;
        EXPECT_EQ(S_FALSE, Run(root, "2,0,0,0", &error));
        EXPECT_EQ(0u, error.find("Failed extracting of the compress file.\n\n\"")) << error;
        // The tool was fetched to run; nothing of the archive was placed, and the archive stays for a look.
        EXPECT_EQ(std::vector<std::string>{"CABARC.EXE"}, Upper(FolderNames(m_module)));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_temp + "PACK.CAB").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_temp + "README.TXT").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\x"));
        DeleteFileA((m_module + "CABARC.EXE").c_str());
    }
}

TEST_F(DownloadTest, AFileListFormatErrorInstallsNothing)
{
    std::string root = NewServerFolder("download-format");
    MakeServerFolder(root + "\\3,0,0,0");
    WriteServerFile(
        root + "\\3,0,0,0\\FileList.INI",
        "[A.DAT]\r\nDirectory=Module\r\n[B.DLL]\r\nDirectory=Module\r\nDllRegisterServer=yes\r\n");
    WriteServerFile(root + "\\3,0,0,0\\A.DAT", "a");
    WriteServerFile(root + "\\3,0,0,0\\B.DLL", "b");
    CMessageBoxRecorder boxes(IDYES);
    std::string error;
    EXPECT_EQ(S_FALSE, Run(root, "3,0,0,0", &error));
    EXPECT_EQ("FATAL ERROR: Format of the " + FtpUrl(root) +
                  "/3,0,0,0/FileList.INI file failed!\r\nSection: B.DLL\r\n"
                  "Key: DllRegisterServer=yes",
              error);
    EXPECT_TRUE(FolderNames(m_module).empty());
}

// During a download Cancel only asks the worker to stop, however often it is pressed; the worker ends
// the dialog, and nothing is installed.
TEST_F(DownloadTest, CancelDuringATransferStopsItAndInstallsNothing)
{
    std::string root = NewServerFolder("download-cancel");
    MakeServerFolder(root + "\\4,0,0,0");
    WriteServerFile(root + "\\4,0,0,0\\BIG.BIN", std::string(200000, 'b'));
    SetThrottle(4000);
    bool pressed = false;
    bool stillOpenAfterCancel = false;
    CDialogResponder responder(GetCurrentThreadId(), [&](HWND hDlg) {
        HWND hPane = FindWindowExA(hDlg, nullptr, "#32770", nullptr);
        if (!hPane || WindowText(GetDlgItem(hPane, IDC_UPDATE_STATUS)) != "BIG.BIN")
            return false;
        SaveWindowScreenshot(hDlg, "updater-download");
        SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        stillOpenAfterCancel = IsWindow(hDlg) != FALSE;
        pressed = true;
        return true;
    });
    CMessageBoxRecorder boxes(IDYES);
    std::string error;
    EXPECT_EQ(S_OK, Run(root, "4,0,0,0", &error));
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(stillOpenAfterCancel);
    EXPECT_EQ("", error);
    EXPECT_EQ(std::vector<std::string>{"Download size: 200000 bytes.\r\nContinue?"}, boxes.Texts());
    EXPECT_TRUE(FolderNames(m_module).empty());
    EXPECT_TRUE(FolderNames(m_temp).empty());
}

} // namespace

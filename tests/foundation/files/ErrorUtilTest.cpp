// Tests of the error reporting utilities: message boxes, debug output, COM creation, shell and versions.
#include "foundation/ErrorUtil.h"

#include <objbase.h>

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

std::string ModuleFolder()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.rfind('\\'));
}

TEST(ErrorUtilTest, CreatingAnUnregisteredClassThrowsOneExceptionWithTheSystemsReason)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(NULL)));
    const CLSID clsidNowhere = {0x1d2c3b4a, 0x5e6f, 0x4789, {0x9a, 0xab, 0xbc, 0xcd, 0xde, 0xef, 0xf0, 0x01}};
    IUnknown* pUnknown = NULL;
    int nThrown = 0;
    try
    {
        CreateComComponent(clsidNowhere, IID_IUnknown, (void**)&pUnknown, "OrbIMAP");
    }
    catch (CException* e)
    {
        ++nThrown;
        EXPECT_EQ(
            "FATAL ERROR: Create OrbIMAP component failed!\r\n"
            "A specified class is not registered in the registration database. Also can indicate that the "
            "type of server you requested in the CLSCTX enumeration is not registered or the values for the "
            "server types in the registry are corrupt.",
            Str(e->m_strMessage));
        EXPECT_TRUE(e->m_strDetail.IsEmpty());
        delete e;
    }
    EXPECT_EQ(1, nThrown);
    EXPECT_EQ(NULL, pUnknown);
    ::CoUninitialize();
}

TEST(ErrorUtilTest, OpeningAFileWithoutAssociationShowsThePathAndTheReason)
{
    CScratchFolder folder;
    WriteWholeFile(folder.Path("report.qqzz"), "x");
    CMessageBoxRecorder boxes;
    EXPECT_FALSE(OpenWithShell(folder.Path().c_str(), "report.qqzz"));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(folder.Path("report.qqzz") + "\r\n\r\n" +
                  "There is no application associated with the given file name extension. ",
              boxes.Boxes()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes.Boxes()[0].style);
}

TEST(ErrorUtilTest, MessageBoxesCarryTheCaptionAndAreBounded)
{
    strcpy(AppCaption, "Vorn Email");
    CMessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(IDNO, AppMessageBox("question", MB_YESNO, NULL));
    const std::string strLong(10000, 'y');
    AppMessageBoxF(0, "<%s>", strLong.c_str());
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ("Vorn Email", boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.Boxes()[0].style);
    EXPECT_TRUE(boxes.Boxes()[0].owner != NULL) << "no owner falls back to the active window or the desktop";
    EXPECT_EQ(4023u, boxes.Boxes()[1].text.size());
    EXPECT_EQ("<" + std::string(4022, 'y'), boxes.Boxes()[1].text);
}

TEST(ErrorUtilTest, AMissingPromptStringShowsAnEmptyBoxAfterADebugLine)
{
    CMessageBoxRecorder boxes;
    CDebugOutputRecorder debug;
    AppMessageBoxId(0x7ABC, MB_OK, NULL);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("", boxes.Boxes()[0].text);
    ASSERT_EQ(1u, debug.Lines().size());
    EXPECT_EQ("Error: failed to load message box prompt string 0x7abc.\n", debug.Lines()[0]);
}

TEST(ErrorUtilTest, CaughtExceptionsShowTheirMessageOrTheWindowClass)
{
    CMessageBoxRecorder boxes;
    ShowCaughtException(new CException("ERROR: Insert History table failed!", "detail"));
    ShowUnhandledException("CContextualHelp");
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ("ERROR: Insert History table failed!", boxes.Boxes()[0].text);
    EXPECT_EQ("Unhandled exception!!!\r\nCContextualHelp", boxes.Boxes()[1].text);
}

TEST(ErrorUtilTest, ReceivedTextGoesToDebugOutputIn260CharacterPieces)
{
    std::string strText;
    for (int i = 0; i < 600; ++i)
        strText += static_cast<char>('a' + i % 26);
    CDebugOutputRecorder debug;
    DebugTraceReceived(strText.c_str());
    const std::vector<std::string> lines = debug.Lines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("\r\nReceive>", lines[0]);
    EXPECT_EQ(strText.substr(0, 260), lines[1]);
    EXPECT_EQ(strText.substr(260, 260), lines[2]);
    EXPECT_EQ(strText.substr(520), lines[3]);

    DebugTrace("%s", std::string(2000, 'z').c_str());
    EXPECT_EQ(511u, debug.Lines().back().size());
}

TEST(ErrorUtilTest, FileVersionTextOfFilesWithAndWithoutAVersionResource)
{
    const std::string strDll = ModuleFolder() + "\\OrbMail.dll";
    EXPECT_EQ("1, 0, 0, 1", Str(GetFileVersionText(strDll.c_str())));
    int nMajor = 0, nMinor = 0, nBuild = 0, nRevision = 0;
    EXPECT_TRUE(GetFileVersionNumbers(strDll.c_str(), nMajor, nMinor, nBuild, nRevision));
    EXPECT_EQ(1, nRevision);

    CScratchFolder folder;
    WriteWholeFile(folder.Path("plain.txt"), "no resources here");
    EXPECT_EQ("ERROR: Get '" + folder.Path("plain.txt") + "' file version failed!",
              Str(GetFileVersionText(folder.Path("plain.txt").c_str())));

    CString strShort, strLong;
    GetModulePaths(strShort, strLong);
    EXPECT_NE(std::string::npos, Str(strLong).find("foundation_files_tests.exe"));
}

TEST(ErrorUtilTest, RegistrationKeysAreWrittenAndDeletedAsATree)
{
    const char* kRoot = "Software\\Vorn\\FoundationTest";
    ASSERT_TRUE(
        SetRegKey("Software\\Vorn\\FoundationTest\\Sub\\Leaf", "text", NULL, REG_SZ, 0, HKEY_CURRENT_USER));
    ASSERT_TRUE(SetRegKey("Software\\Vorn\\FoundationTest\\Sub", "7", "Named", REG_SZ, 0, HKEY_CURRENT_USER));
    ASSERT_TRUE(SetRegKey("Software\\Vorn\\FoundationTest\\Other", "x", NULL, REG_SZ, 0, HKEY_CURRENT_USER));
    char szValue[16] = "";
    DWORD cb = sizeof(szValue);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, "Software\\Vorn\\FoundationTest\\Sub", "Named",
                                            RRF_RT_REG_SZ, NULL, szValue, &cb));
    EXPECT_STREQ("7", szValue);

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyTree(HKEY_CURRENT_USER, kRoot));
    HKEY hKey = NULL;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &hKey));
    EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyTree(HKEY_CURRENT_USER, kRoot));
}

} // namespace

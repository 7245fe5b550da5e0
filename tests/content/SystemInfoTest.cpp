// Tests of the system information block and the component path lookup.
#include "content/SystemInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace
{

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

TEST(SystemInfoTest, HasItsLinesUnderWine)
{
    const std::string text = Str(SystemInfoText());
    EXPECT_NE(text.find("\r\n\r\nMicrosoft Windows NT family\r\nversion "), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nDefault charset: windows-1252"), std::string::npos) << text;
    EXPECT_TRUE(text.find("\r\n\r\nOrbUpdate file:\r\n") != std::string::npos ||
                text.find("\r\n\r\nOrbUpdate:\r\nComponent HKEY_CLASSES_ROOT\\CLSID\\"
                          "{9DE46FC9-BD2C-4CC1-AEE9-4578F970E8B6}\\InProcServer32\r\nis not defined.") !=
                    std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n\r\nOrbIMAP"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\nMLang file:\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nMLang file version: "), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\nDHTMLEdit"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\nWeb Browser"), std::string::npos) << text;
}

TEST(SystemInfoTest, NeverThrowsEvenWithoutCom)
{
    std::string text;
    bool threw = false;
    std::thread([&] {
        try
        {
            text = Str(SystemInfoText());
        }
        catch (...)
        {
            threw = true;
        }
    }).join();
    EXPECT_FALSE(threw);
    EXPECT_NE(text.find("\r\nDefault charset: unknown"), std::string::npos) << text;
    EXPECT_NE(text.find("MLang file:"), std::string::npos) << text;
}

TEST(SystemInfoTest, MissingComponentSaysWhichKeyIsNotDefined)
{
    const CLSID missing = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    CString path, information;
    EXPECT_FALSE(GetComponentPath(missing, path, information));
    EXPECT_EQ(information, "Component HKEY_CLASSES_ROOT\\CLSID\\{01234567-89AB-CDEF-0123-456789ABCDEF}"
                           "\\InProcServer32\r\nis not defined.");
}

TEST(SystemInfoTest, WindowsVersionLinesByPlatform)
{
    const struct
    {
        DWORD platform, major, minor, build;
        WORD spMajor, spMinor;
        BOOL extended;
        const char* text;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 1, 2600, 2, 0, TRUE,
         "\r\n\r\nMicrosoft Windows NT family\r\nversion 5.1 (Build 2600)\r\nService Pack 2.0"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A0000 | 2222, 0, 0, FALSE,
         "\r\n\r\nMicrosoft Windows 98 family\r\nversion 4.10 (Build 2222)"},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, 0, 0, FALSE,
         "\r\n\r\nMicrosoft Windows 95 family\r\nversion 4.0 (Build 950)"},
        {VER_PLATFORM_WIN32s, 3, 10, 0, 0, 0, FALSE, "\r\n\r\nMicrosoft Win32s\r\nversion 3.10 (Build 0)"},
    };
    for (const auto& c : cases)
    {
        OSVERSIONINFOEXA info = {};
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        info.dwBuildNumber = c.build;
        info.wServicePackMajor = c.spMajor;
        info.wServicePackMinor = c.spMinor;
        EXPECT_EQ(Str(WindowsVersionText(info, c.extended)), c.text);
    }
}

// ./test registers OrbIMAP.dll as ./run does: the block names the registered file and its version resource.
TEST(SystemInfoTest, TheRegisteredImapComponentShowsItsFileAndVersion)
{
    const std::string text = Str(SystemInfoText());
    const size_t nAt = text.find("\r\n\r\nOrbIMAP file:\r\n");
    ASSERT_NE(nAt, std::string::npos) << text;
    const size_t nPathStart = nAt + strlen("\r\n\r\nOrbIMAP file:\r\n");
    const size_t nPathEnd = text.find("\r\n", nPathStart);
    ASSERT_NE(nPathEnd, std::string::npos) << text;
    const std::string strPath = text.substr(nPathStart, nPathEnd - nPathStart);
    ASSERT_GE(strPath.size(), strlen("OrbIMAP.dll"));
    EXPECT_EQ("orbimap.dll", [&] {
        std::string strName = strPath.substr(strPath.size() - strlen("OrbIMAP.dll"));
        for (char& c : strName)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        return strName;
    }()) << strPath;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strPath.c_str())) << strPath;
    EXPECT_EQ(text.compare(nPathEnd, strlen("\r\nOrbIMAP file version: 1, 0, 0, 1"),
                           "\r\nOrbIMAP file version: 1, 0, 0, 1"),
              0)
        << text;
}

} // namespace

// Tests of the member names a cabinet may write below the folder it is extracted into.
#include "updater/CabinetNames.h"

#include <gtest/gtest.h>

namespace
{

TEST(CabinetNamesTest, NamesThatStayInsideTheFolderPass)
{
    const char* names[] = {"readme.txt", "sub\\data.bin", "sub/data.bin", "a\\b\\c.dll",
                           "..x",        "x..",           "CONSOLE.TXT",  "COM10",
                           "LPT",        "nul2.txt",      ".hidden",      "caf\xe9.txt"};
    for (const char* name : names)
        EXPECT_TRUE(IsSafeMemberName(name)) << name;
}

TEST(CabinetNamesTest, NamesThatLeaveTheFolderOrOpenADeviceAreRefused)
{
    const char* names[] = {
        "",
        "..",
        "..\\x",
        "a\\..\\..\\x",
        "a/../x",
        "...",
        ". .",
        "C:\\x",
        "C:x",
        "x:stream",
        "\\x",
        "/x",
        "\\\\s\\share\\x",
        "//s/share/x",
        "\\\\?\\C:\\x",
        "CON",
        "nul",
        "NUL.txt",
        "sub\\aux.dat",
        "COM1",
        "lpt9.log",
        "CONIN$",
        "con .txt",
        "a\\\\b",
        "a\\",
        "a\x01"
        "b",
    };
    for (const char* name : names)
        EXPECT_FALSE(IsSafeMemberName(name)) << name;
    EXPECT_FALSE(IsSafeMemberName(nullptr));
}

} // namespace

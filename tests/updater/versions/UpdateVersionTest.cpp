// Tests of version-folder names, reading and ordering versions, and joining folder URLs.
#include "updater/UpdateVersion.h"

#include <gtest/gtest.h>

#include "foundation/Exception.h"

namespace
{

TEST(UpdateVersionTest, VersionFolderNamesAreFourRunsOfDigitsAndNothingMore)
{
    struct Case
    {
        const char* name;
        bool isVersionFolder;
    } cases[] = {
        {"1,0,0,0", true},     {"12,345,6789,0", true}, {",1,2,3", true},    {",,,", true},
        {"1,2,3", false},      {"1,2,3,4,5", false},    {"1,2,3,4a", false}, {"1,2,3,4 ", false},
        {"1, 2, 3, 4", false}, {"v1,2,3,4", false},     {"", false},         {"DETAILS.TXT", false},
        {"CABARC.EXE", false}, {"1.2.3.4", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.isVersionFolder, CUpdateVersion::IsVersionFolderName(c.name)) << c.name;
}

TEST(UpdateVersionTest, ParseReadsFourNumbersOrRefuses)
{
    struct Case
    {
        const char* text;
        bool ok;
        unsigned short w[4];
    } cases[] = {
        {"1,2,3,4", true, {1, 2, 3, 4}},
        {"1, 2, 3, 4", true, {1, 2, 3, 4}},
        {"65535,0,65536,65537", true, {65535, 0, 0, 1}},
        {"99999999999999999999,1,1,1", true, {0xFFFF & 0, 1, 1, 1}},
        {",1,2,3", false, {}},
        {"1,,2,3", false, {}},
        {"1,2,3", false, {}},
        {"", false, {}},
    };
    // The long run: its low 16 bits, computed as the digits are read.
    unsigned int n = 0;
    for (const char* p = "99999999999999999999"; *p; ++p)
        n = (n * 10 + (*p - '0')) & 0xFFFF;
    cases[3].w[0] = static_cast<unsigned short>(n);
    for (const Case& c : cases)
    {
        CUpdateVersion version;
        EXPECT_EQ(c.ok, version.TryParse(c.text)) << c.text;
        if (c.ok)
        {
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(c.w[i], version.m_w[i]) << c.text << " number " << i;
        }
        else
        {
            CException* pCaught = nullptr;
            try
            {
                version.Parse(c.text);
            }
            catch (CException* e)
            {
                pCaught = e;
            }
            ASSERT_NE(nullptr, pCaught) << c.text;
            EXPECT_STREQ("", pCaught->m_strMessage);
            delete pCaught;
        }
    }
}

TEST(UpdateVersionTest, CompareWeighsFirstSecondFourthThenThird)
{
    struct Case
    {
        CUpdateVersion a, b;
        int expected;
    } cases[] = {
        {{1, 2, 3, 4}, {1, 2, 3, 4}, 0},
        {{1, 2, 4, 3}, {1, 2, 3, 4}, -1}, // the fourth number decides before the third
        {{1, 2, 3, 5}, {1, 2, 9, 4}, 1},
        {{2, 0, 0, 0}, {1, 9, 9, 9}, 1},
        {{1, 0, 9, 9}, {1, 1, 0, 0}, -1},
        {{0, 0, 0, 65535}, {0, 0, 0, 1}, 1}, // unsigned, not signed 16-bit
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.expected, c.a.Compare(c.b)) << c.a.Format() << " vs " << c.b.Format();
        EXPECT_EQ(-c.expected, c.b.Compare(c.a)) << c.b.Format() << " vs " << c.a.Format();
    }
}

TEST(UpdateVersionTest, FormatWritesTheVersionText)
{
    EXPECT_STREQ("1, 20, 300, 65535", CUpdateVersion(1, 20, 300, 65535).Format());
}

TEST(UpdateVersionTest, JoinFolderUrlAddsOneSlash)
{
    struct Case
    {
        const char* url;
        const char* joined;
    } cases[] = {
        {"ftp://h/root", "ftp://h/root/"},
        {"ftp://h/root/", "ftp://h/root/"},
        {"", ""},
        {"ftp://h/1,0,0,0", "ftp://h/1,0,0,0/"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.joined, JoinFolderUrl(c.url)) << c.url;
}

} // namespace

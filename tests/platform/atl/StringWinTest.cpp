// Tests of the Windows-only pieces of CString: string resources and BSTRs.
#include <atlstr.h>

#include <string>

#include <gtest/gtest.h>

#include "StringTestResource.h"

namespace
{

TEST(CStringWinTest, LoadStringReadsWholeTextsAndRefusesMissingOnes)
{
    CString str;
    ASSERT_TRUE(str.LoadString(IDS_TEST_SHORT));
    EXPECT_STREQ("Vorn Email", str);

    // Longer than any fixed buffer the loader might use.
    ASSERT_TRUE(str.LoadString(IDS_TEST_LONG));
    EXPECT_EQ(600, str.GetLength());
    EXPECT_EQ(CString('z', 600), str);

    str = "kept";
    EXPECT_FALSE(str.LoadString(IDS_TEST_MISSING));
    EXPECT_FALSE(str.LoadString(IDS_TEST_MISSING_BLOCK));
    EXPECT_STREQ("kept", str);
}

TEST(CStringWinTest, AllocSysStringKeepsTheWholeTextInUnicode)
{
    const CString str("caf\xE9\0\x80", 6);
    BSTR bstr = str.AllocSysString();
    ASSERT_NE(nullptr, bstr);
    EXPECT_EQ(6u, SysStringLen(bstr));
    EXPECT_EQ(std::wstring(L"caf\x00E9\0\x20AC", 6), std::wstring(bstr, SysStringLen(bstr)));
    SysFreeString(bstr);

    bstr = CString().AllocSysString();
    ASSERT_NE(nullptr, bstr);
    EXPECT_EQ(0u, SysStringLen(bstr));
    SysFreeString(bstr);
}

} // namespace

// Tests of locale date and time texts.
#include "foundation/LocaleDateFormat.h"

#include <gtest/gtest.h>

namespace
{
DATE MakeDate(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute)
{
    SYSTEMTIME st = {wYear, wMonth, 0, wDay, wHour, wMinute, 0, 0};
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}

const LCID kEnglishUS = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
const LCID kGerman = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
const LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
} // namespace

// Day and month without leading zeros in the locale are padded with a blank, not dropped.
TEST(LocaleDateFormat, FormatsDatesInTheLocalesOrder)
{
    struct Case
    {
        LCID lcid;
        const char* pszLocale;
        DATE date;
        const char* pszExpected;
    };
    const Case cases[] = {
        {kEnglishUS, "en-US", MakeDate(2004, 3, 5, 0, 0), " 3/ 5/2004"},
        {kEnglishUS, "en-US", MakeDate(2026, 12, 10, 0, 0), "12/10/2026"},
        {kGerman, "de-DE", MakeDate(2004, 3, 5, 0, 0), " 5. 3.2004"},
        {kGerman, "de-DE", MakeDate(2026, 12, 10, 0, 0), "10.12.2026"},
        {kJapanese, "ja-JP", MakeDate(2004, 3, 5, 0, 0), "2004/ 3/ 5"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszExpected, CLocaleDateFormat(c.lcid).FormatDate(c.date)) << c.pszLocale;
}

TEST(LocaleDateFormat, FormatsTimesOnTheLocalesClock)
{
    struct Case
    {
        LCID lcid;
        const char* pszLocale;
        DATE date;
        const char* pszExpected;
    };
    const Case cases[] = {
        {kEnglishUS, "en-US", MakeDate(2004, 3, 5, 0, 15), "12:15 AM"},
        {kEnglishUS, "en-US", MakeDate(2004, 3, 5, 12, 5), "12:05 PM"},
        {kEnglishUS, "en-US", MakeDate(2004, 3, 5, 9, 30), " 9:30 AM"},
        {kEnglishUS, "en-US", MakeDate(2004, 3, 5, 23, 59), "11:59 PM"},
        {kGerman, "de-DE", MakeDate(2004, 3, 5, 0, 15), "00:15"},
        {kGerman, "de-DE", MakeDate(2004, 3, 5, 23, 59), "23:59"},
        {kJapanese, "ja-JP", MakeDate(2004, 3, 5, 9, 5), " 9:05"},
        {kJapanese, "ja-JP", MakeDate(2004, 3, 5, 21, 40), "21:40"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszExpected, CLocaleDateFormat(c.lcid).FormatTime(c.date)) << c.pszLocale;
}

TEST(LocaleDateFormat, UnknownLocaleValuesGiveEmptyTexts)
{
    CLocaleDateFormat format(kEnglishUS);
    format.m_nDateOrder = CLocaleDateFormat::orderUnknown;
    format.m_nTimeStyle = CLocaleDateFormat::timeUnknown;
    EXPECT_STREQ("", format.FormatDate(MakeDate(2004, 3, 5, 1, 2)));
    EXPECT_STREQ("", format.FormatTime(MakeDate(2004, 3, 5, 1, 2)));
}

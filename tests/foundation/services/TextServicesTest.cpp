// Tests of SQL quoting and address splitting.
#include "foundation/TextServices.h"

#include <gtest/gtest.h>

TEST(SqlQuote, DoublesEverySingleQuote)
{
    struct Case
    {
        const char* pszText;
        const char* pszQuoted;
    };
    const Case cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"O'Brien", "O''Brien"},
        {"'", "''"},
        {"''", "''''"},
        {"a'b'c", "a''b''c"},
        {"x' OR '1'='1", "x'' OR ''1''=''1"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszQuoted, SqlQuote(c.pszText)) << c.pszText;
    EXPECT_STREQ("", SqlQuote(NULL));
}

TEST(SplitAddress, SplitsNameAndAddress)
{
    struct Case
    {
        const char* pszText;
        const char* pszName;
        const char* pszAddress;
    };
    const Case cases[] = {
        {"\"John Smith\" <john@example.com>", "John Smith", "john@example.com"},
        {"John Smith <john@example.com>", "John Smith", "john@example.com"},
        {"<john@example.com>", "", "john@example.com"},
        {"john@example.com", "", "john@example.com"},
        {"John Smith", "John Smith", ""},
        {"", "", ""},
        {"\"Smith, \"\"J\"\"\" <j@example.com>", "Smith, J", "j@example.com"},
        {"Support<help@example.com>", "", "help@example.com"},
    };
    for (const Case& c : cases)
    {
        CString strName = "stale";
        CString strAddress = "stale";
        SplitAddress(c.pszText, strName, strAddress);
        EXPECT_STREQ(c.pszName, strName) << c.pszText;
        EXPECT_STREQ(c.pszAddress, strAddress) << c.pszText;
    }
}

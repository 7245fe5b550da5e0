// Tests of the reconciliation of stored rows with a folder's UID listing, and of UIDs and folder names.
#include "transport/ImapUidReconcile.h"

#include <gtest/gtest.h>

TEST(ImapUidReconcileTest, UidsAreUnsignedAndNothingElseCountsAsOne)
{
    struct
    {
        const char* pszText;
        bool bUid;
        uint32_t nUid;
    } const cases[] = {
        {"1", true, 1},
        {"4294967295", true, 4294967295u},
        {"3000000000", true, 3000000000u},
        {"4294967296", false, 0},
        {"0", false, 0},
        {"", false, 0},
        {"-5", false, 0},
        {"12a", false, 0},
        {" 12", false, 0},
        {"0001", true, 1},
    };
    for (const auto& c : cases)
    {
        uint32_t nUid = 0;
        EXPECT_EQ(c.bUid, ParseImapUid(c.pszText, nUid)) << c.pszText;
        if (c.bUid)
        {
            EXPECT_EQ(c.nUid, nUid) << c.pszText;
        }
    }
    EXPECT_EQ("3000000000", FormatImapUid(3000000000u));
}

TEST(ImapUidReconcileTest, RowsStayGoOrAreLeftAloneAndNewUidsAreFetchedOnce)
{
    const std::vector<CImapStoredRow> rows = {
        {10, "5"},          // still on the server
        {11, "6"},          // gone from the server
        {12, ""},           // never listed: not the listing's to remove
        {13, "abc"},        // a POP3-style identity
        {14, "0"},          // not a UID
        {15, "3000000000"}, // above the signed range, still on the server
    };
    const std::map<uint32_t, uint32_t> server = {{5, 1}, {7, 0}, {3000000000u, 9}, {8, 1}};
    const CImapUidPlan plan = PlanUidReconciliation(rows, server);
    const std::vector<std::pair<long, uint32_t>> keep = {{10, 1}, {15, 9}};
    EXPECT_EQ(keep, plan.keep);
    EXPECT_EQ(std::vector<long>({11}), plan.remove);
    EXPECT_EQ(std::vector<uint32_t>({7, 8}), plan.fetch);
}

TEST(ImapUidReconcileTest, AnEmptyListingRemovesOnlyListedRows)
{
    const CImapUidPlan plan = PlanUidReconciliation({{1, "2"}, {2, "x"}}, {});
    EXPECT_TRUE(plan.keep.empty());
    EXPECT_EQ(std::vector<long>({1}), plan.remove);
    EXPECT_TRUE(plan.fetch.empty());
}

TEST(ImapUidReconcileTest, FolderNamesSplitAtTheDelimiterAndANilDelimiterKeepsThemWhole)
{
    struct
    {
        const char* pszName;
        const char* pszDelimiter;
        std::vector<std::string> parts;
    } const cases[] = {
        {"a.b.c", ".", {"a", "b", "c"}},
        {"\"a/b\"", "/", {"a", "b"}},
        {"a.b", "", {"a.b"}},
        {"INBOX", ".", {"INBOX"}},
        {"a::b", "::", {"a", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.parts, SplitImapFolderName(c.pszName, c.pszDelimiter)) << c.pszName;
}

TEST(ImapUidReconcileTest, FolderAttributesAreReadWhateverTheirCaseQuotesAndParentheses)
{
    struct
    {
        const char* pszAttributes;
        bool bHasChildren, bHasNoChildren, bNoSelect;
    } const cases[] = {
        {"(\\HasChildren)", true, false, false},
        {"(\\hasnochildren \\Marked)", false, true, false},
        {"(\"\\NoSelect\" \\HasChildren)", true, false, true},
        {"()", false, false, false},
        {"(\\HasChildrenX \\NoSelectable)", false, false, false},
        {"\\Noselect", false, false, true},
    };
    for (const auto& c : cases)
    {
        const CImapFolderAttributes attributes = ParseImapFolderAttributes(c.pszAttributes);
        EXPECT_EQ(c.bHasChildren, attributes.bHasChildren) << c.pszAttributes;
        EXPECT_EQ(c.bHasNoChildren, attributes.bHasNoChildren) << c.pszAttributes;
        EXPECT_EQ(c.bNoSelect, attributes.bNoSelect) << c.pszAttributes;
    }
}

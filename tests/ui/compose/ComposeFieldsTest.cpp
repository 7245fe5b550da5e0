// The compose window's search and choice rules without its window: Find, the recipient being typed and the
// From list.
#include <gtest/gtest.h>

#include "ComposeTestStore.h"
#include "ui/compose/CtrlEdit.h"
#include "ui/compose/DlgFind.h"
#include "ui/compose/FromAccounts.h"

TEST(FindTextInTest, SearchesFromTheSelectionInEitherDirection)
{
    const CString strText = "one Two one two";
    struct
    {
        const char* pszWhat;
        bool bMatchCase, bDown;
        int nSelStart, nSelEnd, nExpected;
    } cases[] = {
        {"one", false, true, 0, 0, 0},    // down from the start
        {"one", false, true, 0, 3, 8},    // down from the end of a selection
        {"two", false, true, 0, 0, 4},    // without Match case "Two" matches
        {"two", true, true, 0, 0, 12},    // with it only "two"
        {"one", false, false, 15, 15, 8}, // up: the last one before the caret
        {"one", false, false, 8, 11, 0},  // up from a selection: before its start
        {"one", false, false, 0, 0, -1},  // up from the start finds nothing
        {"three", false, true, 0, 0, -1}, // not there
        {"", false, true, 0, 0, -1},      // nothing to find
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.nExpected, FindTextIn(strText, c.pszWhat, c.bMatchCase, c.bDown, c.nSelStart, c.nSelEnd))
            << c.pszWhat << " " << c.bMatchCase << c.bDown << " " << c.nSelStart;
}

TEST(TypedRecipientTest, IsTheEntryAtTheCaretAndNothingInsideAWord)
{
    struct
    {
        const char* pszText;
        int nCaret;
        const char* pszExpected;
    } cases[] = {
        {"Joh", 3, "Joh"},
        {"a@b.org; Joh", 12, "Joh"},
        {"a@b.org;Joh", 11, "Joh"},
        {"Joh x", 3, "Joh"},  // a blank follows
        {"Johx", 3, ""},      // inside a word
        {"a@b.org; ", 9, ""}, // nothing typed yet
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.pszExpected, TypedRecipient(c.pszText, c.nCaret, c.nCaret)) << c.pszText;
}

class FromAccountsTest : public ComposeStoreTest
{
protected:
    FromAccountsTest() : ComposeStoreTest("composefrom") {}
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_nBob = AddAccount("Bob", "bob@x.org");
        m_nCal = AddAccount("Cal", "cal@x.org");
    }
    LONG m_nBob = 0, m_nCal = 0;
};

TEST_F(FromAccountsTest, SelectsTheAccountTheSourceMessageWasFor)
{
    struct
    {
        const char* pszName;
        LONG nMode;
        bool bMapi;
        const char* pszFrom;
        const char* pszTo;
        const char* pszCc;
        int nExpected; // 0 Ann (the default), 1 Bob, 2 Cal
    } cases[] = {
        {"To names it", COMPOSE_REPLY, false, "x@y.org", "Someone <BOB@x.org>", "", 1},
        {"Cc names it", COMPOSE_REPLY, false, "x@y.org", "z@y.org", "cal@x.org", 2},
        {"last of several", COMPOSE_FORWARD, false, "x@y.org", "bob@x.org, cal@x.org", "", 2},
        {"Simple MAPI: its originator", COMPOSE_NEW, true, "Bob <bob@x.org>", "cal@x.org", "", 1},
        {"draft: its own From", COMPOSE_EDIT_DRAFT, false, "Cal <cal@x.org>", "bob@x.org", "", 2},
        {"none: the default", COMPOSE_REPLY, false, "x@y.org", "nobody@y.org", "", 0},
    };
    const LONG nIDs[] = {m_nAccountID, m_nBob, m_nCal};
    for (const auto& c : cases)
    {
        CComposeFields fields;
        fields.m_nMode = c.nMode;
        fields.m_strFrom = c.pszFrom;
        fields.m_strSourceTo = c.pszTo;
        fields.m_strSourceCc = c.pszCc;
        std::vector<CFromAccount> accounts;
        int nSelected = -1;
        ListFromAccounts(LocalSession(), fields, c.bMapi, accounts, nSelected, NULL);
        ASSERT_EQ(3u, accounts.size());
        EXPECT_STREQ("bob@x.org (Bob)", accounts[1].strText);
        ASSERT_GE(nSelected, 0) << c.pszName;
        EXPECT_EQ(nIDs[c.nExpected], accounts[nSelected].nID) << c.pszName;
    }
}

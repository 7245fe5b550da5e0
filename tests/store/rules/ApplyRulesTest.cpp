// Rule sets applied to real-shaped received messages: where each message goes and what is reported.
#include <gtest/gtest.h>

#include "RuleTestSupport.h"

namespace
{
const char kUtf8From[] = "From: =?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <Juergen@Example.COM>\r\n"
                         "To: \"Doe, Jane\" <jane@example.org>, \"Smith, Bob\" <bob@example.org>\r\n"
                         "Cc: carol@example.org\r\n"
                         "Subject: =?UTF-8?Q?Gro=C3=9Fe?=\r\n =?UTF-8?Q?_Sale_today?=\r\n"
                         "MIME-Version: 1.0\r\n"
                         "Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                         // <html><body><p>Click to unsubscribe now</p></body></html>
                         "PGh0bWw+PGJvZHk+PHA+Q2xpY2sgdG8gdW5zdWJzY3JpYmUgbm93PC9wPjwvYm9keT48L2h0bWw+\r\n";
const char kKoi8From[] = "From: =?koi8-r?B?7MXOwQ==?= <lena@example.ru>\r\n"
                         "To: team@example.org\r\nSubject: report\r\n"
                         "Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
                         "Quarterly fig=\r\nures attached.\r\n";
const char kNoFrom[] = "To: team@example.org\r\nSubject: no sender\r\n\r\nplain words\r\n";
const char kMalformed[] = "From: x@example.com\r\nSubject: broken\r\nContent-Type: multipart/mixed; "
                          "boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nunfinished part\r\n";

struct Expect
{
    LONG nMove; // 1: the test folder, 2: Deleted Items, -1 gone, 0 none
    LONG nCopy;
    const char* pszForward;
};

class ApplyRulesTest : public CRuleDatabaseTest
{
protected:
    Expect Run(CMessageRuleSet& rules, const char* pszMessage)
    {
        LONG nMove = 99, nCopy = 99;
        CString strForward = "stale";
        rules.Apply(NULL, pszMessage, nMove, nCopy, strForward);
        auto code = [&](LONG n) {
            if (n == m_nFolder)
                return 1L;
            if (n != 0 && n == m_nDeleted)
                return 2L;
            return n;
        };
        return {code(nMove), code(nCopy), strForward.IsEmpty() ? "" : _strdup(strForward)};
    }
    void SetUp() override
    {
        CRuleDatabaseTest::SetUp();
        m_nFolder = AddFolder("Target");
        m_strFolder = std::to_string(m_nFolder);
        CFolders folders(m_db.Session());
        m_nDeleted = folders.GetSystemFolder(FOLDER_DELETED_ITEMS, NULL);
    }
    LONG m_nFolder = 0, m_nDeleted = 0;
    std::string m_strFolder;
};

TEST_F(ApplyRulesTest, TheFirstEnabledRuleThatHoldsDecidesWhereAMessageGoes)
{
    struct Case
    {
        const char* pszName;
        std::vector<RuleItem> conditions;
        LONG nRuleFlags;
        const char* pszMessage;
        bool bFires;
    };
    const LONG C = CONDITION_CONTAINS, A = CONDITION_ANY_VALUE;
    const Case cases[] = {
        // The eight cells of the decision: contains/does not, any/all, a value that matches or not.
        {"contains any, one matches", {{RULE_FROM, C | A, {"nobody@x.com", "juergen@example.com"}}}, 1, kUtf8From, true},
        {"contains any, none", {{RULE_FROM, C | A, {"nobody@x.com"}}}, 1, kUtf8From, false},
        {"contains all, one fails", {{RULE_TO, C, {"jane@example.org", "nobody@x.com"}}}, 1, kUtf8From, false},
        {"contains all, all match", {{RULE_TO, C, {"JANE@example.org", "bob@example.org"}}}, 1, kUtf8From, true},
        {"not any, one matches", {{RULE_FROM, A, {"lena@example.ru", "x@y.z"}}}, 1, kKoi8From, false},
        {"not any, none", {{RULE_FROM, A, {"a@y.z", "x@y.z"}}}, 1, kKoi8From, true},
        {"not all, one does not match", {{RULE_CC, 0, {"carol@example.org", "x@y.z"}}}, 1, kUtf8From, true},
        {"not all, all match", {{RULE_CC, 0, {"carol@example.org"}}}, 1, kUtf8From, false},
        // Empty lists: all-conditions hold, any-conditions fail, negated the other way round.
        {"empty contains all", {{RULE_FROM, C, {}}}, 1, kUtf8From, true},
        {"empty contains any", {{RULE_FROM, C | A, {}}}, 1, kUtf8From, false},
        {"empty not any", {{RULE_FROM, A, {}}}, 1, kUtf8From, true},
        {"empty not all", {{RULE_FROM, 0, {}}}, 1, kUtf8From, false},
        {"part of an address", {{RULE_FROM, C | A, {"juergen@example"}}}, 1, kUtf8From, false},
        {"a name with a comma is one entry", {{RULE_TO, C | A, {"Doe"}}}, 1, kUtf8From, false},
        {"subject folded and encoded", {{RULE_SUBJECT, C, {"Sale today"}}}, 1, kUtf8From, true},
        {"subject in another case", {{RULE_SUBJECT, C, {"sale"}}}, 1, kUtf8From, false},
        {"base64 HTML body", {{RULE_BODY, C, {"unsubscribe now"}}}, 1, kUtf8From, true},
        {"tags are not body words", {{RULE_BODY, C | A, {"<p>"}}}, 1, kUtf8From, false},
        {"quoted-printable body", {{RULE_BODY, C, {"figures attached"}}}, 1, kKoi8From, true},
        {"no From is no sender", {{RULE_FROM, A, {"x@y.z"}}}, 1, kNoFrom, true},
        {"malformed MIME still reads its words", {{RULE_BODY, C, {"unfinished"}}}, 1, kMalformed, true},
        {"any condition", {{RULE_SUBJECT, C, {"nothing"}}, {RULE_TO, C | A, {"team@example.org"}}},
         RULE_ENABLED | RULE_ANY_CONDITION, kKoi8From, true},
        {"all conditions", {{RULE_SUBJECT, C, {"nothing"}}, {RULE_TO, C | A, {"team@example.org"}}}, 1, kKoi8From,
         false},
        {"disabled", {{RULE_SUBJECT, C, {"report"}}}, 0, kKoi8From, false},
        {"no conditions", {}, 1, kKoi8From, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CMessageRuleSet rules(m_db.Session());
        std::vector<RuleItem> items = c.conditions;
        items.push_back({RULE_MOVE, 1, {m_strFolder}});
        BuildRule(rules, "rule", c.nRuleFlags, items);
        // A later rule that always holds shows whether the chain went on.
        BuildRule(rules, "later", RULE_ENABLED, {{RULE_FROM, CONDITION_CONTAINS, {}}, {RULE_FORWARD, 1, {"later@x.com"}}});
        const Expect result = Run(rules, c.pszMessage);
        EXPECT_EQ(c.bFires ? 1 : 0, result.nMove);
        EXPECT_STREQ(c.bFires ? "" : "later@x.com", result.pszForward);
    }
}

TEST_F(ApplyRulesTest, ActionsFillInTheMoveCopyAndForwardResults)
{
    struct Case
    {
        const char* pszName;
        std::vector<RuleItem> actions;
        Expect expect;
        size_t nBoxes;
    };
    const Case cases[] = {
        {"move and copy", {{RULE_MOVE, 1, {m_strFolder}}, {RULE_COPY, 1, {m_strFolder}}}, {1, 1, ""}, 0},
        {"delete after move", {{RULE_MOVE, 1, {m_strFolder}}, {RULE_DELETE, 1, {}}}, {2, 0, ""}, 0},
        {"forward", {{RULE_FORWARD, 1, {"a@x.com; b@x.com"}}}, {0, 0, "a@x.com; b@x.com"}, 0},
        {"missing folders", {{RULE_MOVE, 1, {"99999"}}, {RULE_COPY, 1, {"99998"}}}, {-1, -1, ""}, 1},
        {"no actions", {}, {0, 0, ""}, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CRuleBoxes::s_texts.clear();
        CMessageRuleSet rules(m_db.Session());
        std::vector<RuleItem> items = {{RULE_SUBJECT, CONDITION_CONTAINS, {"report"}}};
        items.insert(items.end(), c.actions.begin(), c.actions.end());
        BuildRule(rules, "rule", RULE_ENABLED, items);
        BuildRule(rules, "later", RULE_ENABLED, {{RULE_FROM, CONDITION_CONTAINS, {}}, {RULE_FORWARD, 1, {"later@x.com"}}});
        for (int nMessage = 0; nMessage < 2; nMessage++)
        {
            const Expect result = Run(rules, kKoi8From);
            EXPECT_EQ(c.expect.nMove, result.nMove);
            EXPECT_EQ(c.expect.nCopy, result.nCopy);
            EXPECT_STREQ(c.expect.pszForward, result.pszForward);
        }
        // A missing folder is told once for the loaded set, not for every message.
        ASSERT_EQ(c.nBoxes, CRuleBoxes::s_texts.size());
        if (c.nBoxes != 0)
            EXPECT_EQ("The message rules values is missing or incomplete.", CRuleBoxes::s_texts[0]);
    }
}

TEST_F(ApplyRulesTest, AFailureInsideGivesTheNoRuleResult)
{
    CMessageRuleSet rules(m_db.Session());
    BuildRule(rules, "rule", RULE_ENABLED, {{RULE_SUBJECT, CONDITION_CONTAINS, {"report"}}, {RULE_DELETE, 1, {}}});
    // The Deleted Items folder cannot be looked up once the database is gone.
    m_db.Close();
    const Expect result = Run(rules, kKoi8From);
    EXPECT_EQ(0, result.nMove);
    EXPECT_EQ(0, result.nCopy);
    EXPECT_STREQ("", result.pszForward);
}
} // namespace

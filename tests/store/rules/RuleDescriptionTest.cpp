// The description page of a rule: its exact HTML for each kind of line, its links and its escaping.
#include <gtest/gtest.h>

#include "RuleTestSupport.h"

namespace
{
const char kHead[] = "<HTML>\r\n <HEAD><META NAME=\"GENERATOR\" Content=\"Microsoft DHTML Editing Control\">\r\n"
                     "  <TITLE></TITLE>\r\n </HEAD>\r\n<body topmargin=\"0\" leftmargin=\"0\">\r\n"
                     "<FONT face=\"MS Sans Serif\"  size=1>\r\n  <P>\r\n";

class RuleDescriptionTest : public CRuleDatabaseTest
{
};

TEST_F(RuleDescriptionTest, EachRuleReadsAsItsHeadFirstLineAndOneLinkedLinePerElement)
{
    const LONG nFolder = AddFolder("R&D <team>");
    const LONG nRemoved = AddFolder("Removed");
    m_db.Exec(("DELETE FROM Folders WHERE ID = " + std::to_string(nRemoved)).c_str());
    const std::string folder = std::to_string(nFolder), removed = std::to_string(nRemoved);
    const LONG C = CONDITION_CONTAINS, A = CONDITION_ANY_VALUE;
    struct Case
    {
        const char* pszName;
        LONG nRuleFlags;
        std::vector<RuleItem> items;
        const char* pszBody; // after the head
    };
    const Case cases[] = {
        {"empty From and Delete", RULE_ENABLED, {{RULE_FROM, C, {}}, {RULE_DELETE, 1, {}}},
         "Apply this rule after the message arrives"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"></A>Where the From line "
         "<A href=\"http://localhost:6500/?0\">contains people</A>"
         "\r\n<DIV>Delete it"},
        {"disabled, any of two conditions", RULE_ANY_CONDITION,
         {{RULE_TO, C | A, {"a", "b"}}, {RULE_SUBJECT, 0, {"x"}}, {RULE_CC, C, {}}, {RULE_BODY, C, {}}},
         "This rule is currently turned off."
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"></A>Where the To line "
         "<A href=\"http://localhost:6500/?6\">contains  'a' or 'b'</A>"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"> or </A>Where the Subject line "
         "<A href=\"http://localhost:6500/?1\">does not contain  'x'</A>"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"> or </A>Where the Cc line "
         "<A href=\"http://localhost:6500/?10\">contains people</A>"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"> or </A>Where the message body "
         "<A href=\"http://localhost:6500/?7\">contains specific words</A>"},
        {"actions joined by and", RULE_ENABLED,
         {{RULE_BODY, C, {"one", "two"}},
          {RULE_MOVE, 1, {folder}},
          {RULE_COPY, 1, {removed}},
          {RULE_FORWARD, 1, {"x@y.z"}},
          {RULE_DELETE, 1, {}}},
         "Apply this rule after the message arrives"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"></A>Where the message body "
         "<A href=\"http://localhost:6500/?7\">contains  'one' and 'two'</A>"
         "\r\n<DIV>Move it to the <A href=\"http://localhost:6500/?3\">R&amp;D &lt;team&gt;</A> folder"
         "\r\n<DIV> and Copy it to the <A href=\"http://localhost:6500/?4\">ERROR: The folder was removed</A> folder"
         "\r\n<DIV> and Forward it to <A href=\"http://localhost:6500/?9\">   'x@y.z'</A>"
         "\r\n<DIV> and Delete it"},
        {"empty actions", RULE_ENABLED, {{RULE_MOVE, 1, {}}, {RULE_FORWARD, 1, {}}},
         "Apply this rule after the message arrives"
         "\r\n<DIV>Move it to the <A href=\"http://localhost:6500/?3\">specified</A> folder"
         "\r\n<DIV> and Forward it to <A href=\"http://localhost:6500/?9\">people</A>"},
        // A value is text on the page, never markup or a way out of the link.
        {"escaped values", RULE_ENABLED, {{RULE_SUBJECT, C, {"<script>'\"&"}}},
         "Apply this rule after the message arrives"
         "\r\n<DIV><A href=\"http://localhost:6500/?2\"></A>Where the Subject line "
         "<A href=\"http://localhost:6500/?1\">contains  '&lt;script&gt;&#39;&quot;&amp;'</A>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CMessageRuleSet rules(m_db.Session());
        CMessageRule* pRule = BuildRule(rules, "rule", c.nRuleFlags, c.items);
        EXPECT_EQ(std::string(kHead) + c.pszBody,
                  (const char*)pRule->GetDescriptionHtml(NULL, m_db.Session(), 6500));
    }
}
} // namespace

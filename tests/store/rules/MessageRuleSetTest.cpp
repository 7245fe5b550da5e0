// The rule set against its tables: what a save writes and a load reads back, what a save refuses, and how
// the chain of rules is edited and repaired.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "foundation/TraceFile.h"

#include "RuleTestSupport.h"

std::vector<std::string> CRuleBoxes::s_texts;

namespace
{
class MessageRuleSetTest : public CRuleDatabaseTest
{
};

TEST_F(MessageRuleSetTest, AFirstLoadCreatesTheThreeTablesWithTheirStatements)
{
    CTraceFile* pPrevious = g_pTraceFile;
    const int bPreviousOn = g_bTraceOn;
    CTraceFile trace;
    g_pTraceFile = &trace;
    g_bTraceOn = 1;
    CMessageRuleSet rules(m_db.Session());
    rules.Load(NULL);
    g_pTraceFile = pPrevious;
    g_bTraceOn = bPreviousOn;
    trace.Close();
    std::ifstream file((const char*)trace.GetFilePath(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const char* pszStatement :
         {"CREATE TABLE MessageRules(ID COUNTER CONSTRAINT PK_MessageRulesID PRIMARY KEY, Name TEXT(63) NOT NULL "
          "UNIQUE, PreviousRule INTEGER, Flags INTEGER)",
          "CREATE TABLE RuleConditions(ID COUNTER CONSTRAINT PK_RuleConditionsID PRIMARY KEY, MessageRulesID INTEGER "
          "NOT NULL CONSTRAINT FK_MessageRulesID REFERENCES MessageRules (ID), Type BYTE, Flags INTEGER, UNIQUE "
          "(MessageRulesID, Type))",
          "CREATE TABLE RuleConditionValues(ID COUNTER CONSTRAINT PK_RuleConditionsID PRIMARY KEY, ConditionID "
          "INTEGER NOT NULL CONSTRAINT FK_ConditionID REFERENCES RuleConditions (ID), Name TEXT(63) NOT NULL, Type "
          "BYTE, UNIQUE (ConditionID, Name, Type))"})
        EXPECT_NE(std::string::npos, text.find(pszStatement)) << pszStatement << "\n" << text;
    // A second set on the same file finds the tables and adds nothing.
    CMessageRuleSet again(m_db.Session());
    again.Load(NULL);
    EXPECT_FALSE(again.HasRules());
}

TEST_F(MessageRuleSetTest, ASavedSetReadsBackInChainOrderWithEveryTypeAndFlag)
{
    const LONG nFolder = AddFolder("Lists");
    CMessageRuleSet rules(m_db.Session());
    rules.Load(NULL);
    EXPECT_FALSE(rules.HasRules());
    BuildRule(rules, "From and To", RULE_ENABLED | RULE_ANY_CONDITION,
              {{RULE_FROM, CONDITION_CONTAINS, {"a@x.com", "b@x.com"}},
               {RULE_TO, CONDITION_CONTAINS | CONDITION_ANY_VALUE, {"c@x.com"}},
               {RULE_CC, 0, {"d@x.com"}},
               {RULE_MOVE, 1, {std::to_string(nFolder)}},
               {RULE_FORWARD, 1, {"e@x.com; f@x.com"}}});
    BuildRule(rules, "Words", 0,
              {{RULE_SUBJECT, CONDITION_ANY_VALUE, {"Sale", "offer"}},
               {RULE_BODY, CONDITION_CONTAINS, {"unsubscribe"}},
               {RULE_COPY, 1, {std::to_string(nFolder)}},
               {RULE_DELETE, 1, {}}});
    BuildRule(rules, "No actions", RULE_ENABLED, {{RULE_SUBJECT, CONDITION_CONTAINS, {"x"}}});
    // The chain, not the array, is the order: the third rule goes first.
    rules.MoveUp(rules.m_Rules[2].get());
    rules.MoveUp(rules.m_Rules[2].get());
    ASSERT_EQ(1, rules.Save(NULL));
    EXPECT_TRUE(CRuleBoxes::s_texts.empty());

    CMessageRuleSet reread(m_db.Session());
    reread.Load(NULL);
    EXPECT_EQ((std::vector<std::string>{"No actions", "From and To", "Words"}), Names(reread));
    CMessageRule* pFirst = reread.ChainOrder()[1];
    EXPECT_EQ(RULE_ENABLED | RULE_ANY_CONDITION, pFirst->m_Flags);
    ASSERT_EQ(3u, pFirst->m_Conditions.size());
    ASSERT_EQ(2u, pFirst->m_Actions.size());
    const CRuleCondition* pFrom = pFirst->Find(RULE_FROM);
    ASSERT_TRUE(pFrom != NULL);
    ASSERT_EQ(2u, pFrom->GetValues()->size());
    EXPECT_STREQ("a@x.com", (*pFrom->GetValues())[0].m_Name);
    EXPECT_STREQ("b@x.com", (*pFrom->GetValues())[1].m_Name);
    EXPECT_EQ(CONDITION_CONTAINS | CONDITION_ANY_VALUE, pFirst->Find(RULE_TO)->m_Flags);
    EXPECT_EQ(0, pFirst->Find(RULE_CC)->m_Flags);
    EXPECT_STREQ(std::to_string(nFolder).c_str(), (*pFirst->Find(RULE_MOVE)->GetValues())[0].m_Name);
    EXPECT_STREQ("e@x.com; f@x.com", (*pFirst->Find(RULE_FORWARD)->GetValues())[0].m_Name);
    CMessageRule* pWords = reread.ChainOrder()[2];
    EXPECT_EQ(0, pWords->m_Flags);
    EXPECT_TRUE(pWords->Find(RULE_DELETE) != NULL);
    EXPECT_EQ(2u, pWords->Find(RULE_SUBJECT)->GetValues()->size());
    // The stored numbers are the in-memory ones, and the chain links them.
    EXPECT_EQ(3, m_db.QueryLong("SELECT COUNT(*) FROM MessageRules"));
    EXPECT_EQ(10, m_db.QueryLong("SELECT COUNT(*) FROM RuleConditions"));
    EXPECT_EQ(0, reread.ChainOrder()[0]->m_PreviousRule);
    EXPECT_EQ(reread.ChainOrder()[0]->m_ID, reread.ChainOrder()[1]->m_PreviousRule);
    EXPECT_EQ(reread.ChainOrder()[1]->m_ID, reread.ChainOrder()[2]->m_PreviousRule);
    EXPECT_EQ(pFirst->m_ID, pFrom->m_MessageRulesID);

    // Saving the empty set removes every row.
    while (reread.HasRules())
        reread.Remove(reread.m_Rules[0].get());
    ASSERT_EQ(1, reread.Save(NULL));
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM MessageRules"));
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM RuleConditions"));
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM RuleConditionValues"));
}

TEST_F(MessageRuleSetTest, ASaveThatCannotCompleteKeepsTheStoredRules)
{
    const LONG nFolder = AddFolder("Gone");
    CMessageRuleSet rules(m_db.Session());
    rules.Load(NULL);
    BuildRule(rules, "Kept", RULE_ENABLED, {{RULE_SUBJECT, CONDITION_CONTAINS, {"x"}}, {RULE_DELETE, 1, {}}});
    ASSERT_EQ(1, rules.Save(NULL));

    struct Case
    {
        const char* pszName;
        std::vector<RuleItem> items;
        const char* pszBox;
    };
    const Case cases[] = {
        {"No values", {{RULE_FROM, CONDITION_CONTAINS, {}}}, "Some information is missing or incorrect."},
        {"Folder gone", {{RULE_SUBJECT, 1, {"y"}}, {RULE_MOVE, 1, {std::to_string(nFolder)}}},
         "Some information is missing or incorrect."},
        // The table compares names without case: the insert fails half-way and is rolled back.
        {"KEPT", {{RULE_SUBJECT, 1, {"y"}}}, "The message rules were not saved"},
    };
    m_db.Exec(("DELETE FROM Folders WHERE ID = " + std::to_string(nFolder)).c_str());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CRuleBoxes::s_texts.clear();
        CMessageRule* pRule = BuildRule(rules, c.pszName, RULE_ENABLED, c.items);
        EXPECT_EQ(0, rules.Save(NULL));
        ASSERT_EQ(1u, CRuleBoxes::s_texts.size());
        EXPECT_EQ(0u, CRuleBoxes::s_texts[0].find(c.pszBox)) << CRuleBoxes::s_texts[0];
        EXPECT_EQ(2u, rules.m_Rules.size());
        EXPECT_EQ(1, m_db.QueryLong("SELECT COUNT(*) FROM MessageRules WHERE Name = 'Kept'"));
        EXPECT_EQ(2, m_db.QueryLong("SELECT COUNT(*) FROM RuleConditions"));
        EXPECT_EQ(1, m_db.QueryLong("SELECT COUNT(*) FROM RuleConditionValues"));
        rules.Remove(pRule);
    }
    // The database is usable afterwards: no transaction was left open.
    BuildRule(rules, "Later", RULE_ENABLED, {{RULE_SUBJECT, 1, {"z"}}});
    EXPECT_EQ(1, rules.Save(NULL));
    EXPECT_EQ(2, m_db.QueryLong("SELECT COUNT(*) FROM MessageRules"));
}

TEST_F(MessageRuleSetTest, RulesOffTheChainAreLoadedAtItsEndAndKeptByTheNextSave)
{
    struct Case
    {
        const char* pszName;
        // ID, PreviousRule of rules "r<ID>", inserted in this order.
        std::vector<std::pair<int, int>> rows;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {"broken link", {{1, 0}, {2, 7}, {3, 1}}, {"r1", "r3", "r2"}},
        {"fork", {{1, 0}, {2, 1}, {3, 1}}, {"r1", "r2", "r3"}},
        {"cycle", {{1, 2}, {2, 1}}, {"r1", "r2"}},
        {"cycle behind the start", {{1, 0}, {2, 3}, {3, 2}}, {"r1", "r2", "r3"}},
        {"self link", {{1, 1}, {2, 0}}, {"r2", "r1"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CMessageRuleSet rules(m_db.Session());
        rules.Load(NULL);
        m_db.Exec("DELETE FROM MessageRules");
        for (const auto& row : c.rows)
        {
            const std::string id = std::to_string(row.first);
            m_db.Exec(("INSERT INTO MessageRules (ID, Name, PreviousRule, Flags) VALUES (" + id + ", 'r" + id +
                       "', " + std::to_string(row.second) + ", 1)")
                          .c_str());
        }
        rules.Load(NULL);
        EXPECT_EQ(c.order, Names(rules));
        ASSERT_EQ(1, rules.Save(NULL));
        EXPECT_EQ(c.order, Names(rules));
        EXPECT_EQ((long)c.rows.size(), m_db.QueryLong("SELECT COUNT(*) FROM MessageRules"));
    }
}

TEST_F(MessageRuleSetTest, EditingTheChainMovesNumbersAndNamesRules)
{
    CMessageRuleSet rules(m_db.Session());
    rules.Load(NULL);
    for (int i = 0; i < 3; i++)
        rules.AddRule();
    EXPECT_EQ((std::vector<std::string>{"New Mail Rule #1", "New Mail Rule #2", "New Mail Rule #3"}), Names(rules));
    EXPECT_EQ(3, rules.ChainOrder().back()->m_ID);

    struct Step
    {
        const char* pszName;
        std::function<bool(CMessageRuleSet&)> step;
        bool bResult;
        std::vector<std::string> order;
    };
    auto at = [](CMessageRuleSet& r, int i) { return r.ChainOrder()[i]; };
    const Step steps[] = {
        {"down the first", [&](CMessageRuleSet& r) { return r.MoveDown(at(r, 0)); }, true,
         {"New Mail Rule #2", "New Mail Rule #1", "New Mail Rule #3"}},
        {"down the last", [&](CMessageRuleSet& r) { return r.MoveDown(at(r, 2)); }, false,
         {"New Mail Rule #2", "New Mail Rule #1", "New Mail Rule #3"}},
        {"up the last", [&](CMessageRuleSet& r) { return r.MoveUp(at(r, 2)); }, true,
         {"New Mail Rule #2", "New Mail Rule #3", "New Mail Rule #1"}},
        {"up the first", [&](CMessageRuleSet& r) { return r.MoveUp(at(r, 0)); }, false,
         {"New Mail Rule #2", "New Mail Rule #3", "New Mail Rule #1"}},
        {"remove the middle", [&](CMessageRuleSet& r) { r.Remove(at(r, 1)); return true; }, true,
         {"New Mail Rule #2", "New Mail Rule #1"}},
        {"remove the first", [&](CMessageRuleSet& r) { r.Remove(at(r, 0)); return true; }, true,
         {"New Mail Rule #1"}},
        // A new rule takes the first free number and the number above the highest ID.
        {"new", [&](CMessageRuleSet& r) { return r.AddRule()->m_ID == 2; }, true,
         {"New Mail Rule #1", "New Mail Rule #2"}},
        {"copy", [&](CMessageRuleSet& r) { return r.AddRule(at(r, 0)) != NULL; }, true,
         {"New Mail Rule #1", "New Mail Rule #2", "Copy of New Mail Rule #1"}},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.pszName);
        EXPECT_EQ(s.bResult, s.step(rules));
        EXPECT_EQ(s.order, Names(rules));
    }

    // "Copy of " and a name of 55 characters fit the 63 of the column; of 56 they do not.
    for (int nLength : {55, 56})
    {
        CMessageRule* pSource = rules.AddRule();
        std::string name(nLength, 'n');
        name += std::to_string(nLength);
        name.resize(nLength);
        strcpy(pSource->m_Name, name.c_str());
        CMessageRule* pCopy = rules.AddRule(pSource);
        EXPECT_EQ(nLength == 55 ? "Copy of " + name : std::string("New Mail Rule #3"),
                  pCopy->m_Name);
    }
}
} // namespace

// Leave-on-server bookkeeping: which server messages the purge deletes, which rows it keeps, and Flags 0x80.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DeletedMessagesTable.h"
#include "store/ServerMessageList.h"
#include "PurgeTestFixture.h"

namespace
{
// The POP3 connection as the purge sees it, recording the commands it is sent.
class CFakeServerList : public CServerMessageList
{
public:
    bool IsListed() override { return m_bListed; }
    int GetCount() override { return (int)m_entries.size(); }
    const char* GetUniqueID(int i) override { return m_entries[i].first.c_str(); }
    LONG GetMessageNumber(int i) override { return m_entries[i].second; }
    void RemoveAt(int i) override { m_entries.erase(m_entries.begin() + i); }
    void Dele(LONG nMessage) override { m_commands.push_back("DELE " + std::to_string(nMessage)); }
    void Stat() override { m_commands.push_back("STAT"); }

    bool m_bListed = true;
    std::vector<std::pair<std::string, LONG>> m_entries;
    std::vector<std::string> m_commands;
};

// Each call of the fake clock moves it on by 4 seconds.
DWORD s_dwFakeTicks = 0;
DWORD FakeTicks()
{
    return s_dwFakeTicks += 4000;
}

class DeletedMessagesTest : public CPurgeTestFixture
{
protected:
    DeletedMessagesTest() : CPurgeTestFixture("deleted") {}
};

typedef std::vector<std::string> Texts;

struct CPurgeCase
{
    const char* pszName;
    LONG nFlags;
    int nRemoveAfter;
    // Locally deleted: identifier and days ago.
    std::vector<std::pair<const char*, double>> deleted;
    // Still in the store: identifier and days since it arrived.
    std::vector<std::pair<const char*, double>> stored;
    std::vector<std::pair<std::string, LONG>> server;
    Texts expectedCommands;
    Texts expectedRows;
    std::vector<std::string> expectedLeft;
    bool bOnServer;
};
} // namespace

TEST_F(DeletedMessagesTest, PurgeFollowsTheAccountRules)
{
    const CPurgeCase cases[] = {
        {"empty server list drops every row and clears 0x80", 0x08 | 0x80, 5, {{"a", 1}, {"b", 9}}, {}, {}, {}, {},
         {}, false},
        {"leave a copy, no removal rule: nothing goes", 0x08, 5, {{"a", 9}}, {{"s", 9}},
         {{"a", 1}, {"s", 2}, {"n", 3}}, {}, {"a"}, {"a", "s", "n"}, true},
        {"remove when deleted locally", 0x08 | 0x10, 5, {{"a", 0}, {"gone", 0}}, {{"s", 9}},
         {{"a", 1}, {"s", 2}}, {"DELE 1"}, {"gone"}, {"s"}, true},
        {"remove after 5 days: six days old goes, four days old stays", 0x08 | 0x40, 5, {{"d6", 6}, {"d4", 4}},
         {{"s6", 6}, {"s4", 4}}, {{"d6", 1}, {"d4", 2}, {"s6", 3}, {"s4", 4}}, {"DELE 1", "DELE 3"}, {"d4"},
         {"d4", "s4"}, true},
        {"leave a copy switched off: stored and deleted copies go", 0x80, 5, {{"a", 0}}, {{"s", 0}},
         {{"a", 1}, {"s", 2}, {"new", 3}}, {"DELE 1", "DELE 2"}, {}, {"new"}, true},
        {"letter case counts", 0x10 | 0x08, 5, {{"abc", 0}}, {{"XYZ", 9}}, {{"ABC", 1}, {"xyz", 2}}, {}, {"abc"},
         {"ABC", "xyz"}, true},
        {"everything removed clears 0x80", 0x80, 5, {}, {{"s", 0}}, {{"s", 7}}, {"DELE 7"}, {}, {}, false},
        {"letter case counts for stored messages too", 0x80, 5, {}, {{"abc", 0}}, {{"ABC", 1}, {"abc", 2}},
         {"DELE 2"}, {}, {"ABC"}, true},
    };
    for (const CPurgeCase& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        LONG nAccount = AddAccount("acct", test.nFlags, test.nRemoveAfter);
        for (const auto& row : test.deleted)
            AddDeleted(nAccount, row.first, row.second);
        for (const auto& message : test.stored)
            AddStored(nAccount, message.first, message.second);
        CFakeServerList server;
        server.m_entries = test.server;
        Purge(nAccount, server);

        EXPECT_EQ(server.m_commands, test.expectedCommands);
        EXPECT_EQ(RowsOf(nAccount), test.expectedRows);
        std::vector<std::string> left;
        for (const auto& entry : server.m_entries)
            left.push_back(entry.first);
        EXPECT_EQ(left, test.expectedLeft);
        EXPECT_EQ((FlagsOf(nAccount) & 0x80) != 0, test.bOnServer);
        EXPECT_EQ(FlagsOf(nAccount) & ~0x80, test.nFlags & ~0x80) << "the other bits stay";
    }
}

TEST_F(DeletedMessagesTest, AnotherAccountsMessageOrRowWithTheSameIdentifierDeletesNothingHere)
{
    LONG nMine = AddAccount("mine", 0x08 | 0x40, 5);
    LONG nOther = AddAccount("other", 0x08 | 0x40, 5);
    AddStored(nOther, "shared", 30);
    AddDeleted(nOther, "shared2", 30);
    CFakeServerList server;
    server.m_entries = {{"shared", 1}, {"shared2", 2}};
    Purge(nMine, server);
    EXPECT_TRUE(server.m_commands.empty());
    EXPECT_EQ(server.m_entries.size(), 2u);
    EXPECT_EQ(RowsOf(nOther), Texts{"shared2"});
}

TEST_F(DeletedMessagesTest, AFailedListingKeepsRowsAndFlags)
{
    LONG nAccount = AddAccount("acct", 0x08 | 0x80, 5);
    AddDeleted(nAccount, "a", 1);
    CFakeServerList server;
    server.m_bListed = false;
    Purge(nAccount, server);
    EXPECT_EQ(RowsOf(nAccount), Texts{"a"});
    EXPECT_EQ(FlagsOf(nAccount), 0x08 | 0x80);
}

TEST_F(DeletedMessagesTest, IdentifierTooLongForTheColumnIsSkippedNotCut)
{
    LONG nAccount = AddAccount("acct", 0, 5);
    std::string strLong(300, 'u');
    AddStored(nAccount, strLong.substr(0, 255).c_str(), 0);
    CFakeServerList server;
    server.m_entries = {{strLong, 1}};
    Purge(nAccount, server);
    EXPECT_TRUE(server.m_commands.empty());
    EXPECT_EQ(server.m_entries.size(), 1u);
}

TEST_F(DeletedMessagesTest, ALongPassKeepsTheConnectionAliveWithStat)
{
    LONG nAccount = AddAccount("acct", 0x08, 5);
    CFakeServerList server;
    for (LONG n = 1; n <= 6; n++)
        server.m_entries.push_back({"m" + std::to_string(n), n});
    s_dwFakeTicks = 0;
    PurgeTickSource pfnOld = SetPurgeTickSource(FakeTicks);
    Purge(nAccount, server);
    SetPurgeTickSource(pfnOld);
    // Start at 4 s, then one reading per entry, 4 s apart: more than 10 s passes twice.
    EXPECT_EQ(server.m_commands, (Texts{"STAT", "STAT"}));
}

TEST_F(DeletedMessagesTest, FindOfOneIdentifierAfterAnAccountWideFindGivesOnlyThatRow)
{
    LONG nAccount = AddAccount("acct", 0, 5);
    AddDeleted(nAccount, "a", 0);
    AddDeleted(nAccount, "b", 0);
    CDeletedMessagesTable table(m_db.Session());
    table.Find(NULL, nAccount, NULL);
    int nAll = 0;
    while (table.MoveNext() == S_OK)
        nAll++;
    EXPECT_EQ(nAll, 2);
    table.Find(NULL, nAccount, "b");
    ASSERT_EQ(table.MoveNext(), S_OK);
    EXPECT_STREQ(table.m_UniqueID, "b");
    EXPECT_NE(table.MoveNext(), S_OK);
    table.Find(NULL, nAccount, "B");
    EXPECT_NE(table.MoveNext(), S_OK) << "identifiers compare with letter case";

    try
    {
        table.Find(NULL, nAccount, std::string(256, 'x').c_str());
        ADD_FAILURE() << "nothing thrown";
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ(pszText, "Find DeletedMessages table failed! UniqueID length too large.");
    }
}

TEST_F(DeletedMessagesTest, DeleteByAccountIDRemovesOnlyThatAccountsRows)
{
    LONG nA = AddAccount("a", 0, 5);
    LONG nB = AddAccount("b", 0, 5);
    AddDeleted(nA, "1", 0);
    AddDeleted(nA, "2", 0);
    AddDeleted(nB, "3", 0);
    CDeletedMessagesTable table(m_db.Session());
    table.DeleteByAccountID(NULL, nA);
    EXPECT_TRUE(RowsOf(nA).empty());
    EXPECT_EQ(RowsOf(nB), Texts{"3"});
}

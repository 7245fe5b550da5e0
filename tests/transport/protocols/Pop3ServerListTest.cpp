// The leave-on-server bookkeeping run through a real POP3 connection to dovecot: what it deletes really
// leaves the Maildir on QUIT, what it keeps stays.
#include "transport/Pop3ServerList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PurgeTestFixture.h"
#include "TransportTestSupport.h"
#include "transport/Pop3.h"

namespace
{

typedef std::vector<std::string> Texts;

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

// Each reading moves on by 4 seconds, so that the pass also sends its keep-alive STAT between DELEs.
DWORD s_dwFakeTicks = 0;
DWORD FakeTicks()
{
    return s_dwFakeTicks += 4000;
}

class Pop3PurgeTest : public CPurgeTestFixture
{
protected:
    Pop3PurgeTest() : CPurgeTestFixture("purge") {}

    void SetUp() override
    {
        m_nPort = PeerPort("ORB_POP3_PORT");
        ASSERT_NE(m_nPort, 0u) << "ORB_POP3_PORT is not set: run the tests through ./test";
        CPurgeTestFixture::SetUp();
        s_dwFakeTicks = 0;
        m_pfnOldTicks = SetPurgeTickSource(FakeTicks);
    }

    void TearDown() override
    {
        SetPurgeTickSource(m_pfnOldTicks);
        EmptyPeerMailbox("tester");
        EmptyPeerMailbox("second");
    }

    // A mailbox holding one small message per identifier (dovecot lists the file name as its UIDL).
    std::string Fill(const char* pszUser, const Texts& ids)
    {
        const std::string mailbox = EmptyPeerMailbox(pszUser);
        for (const std::string& id : ids)
            EXPECT_TRUE(DeliverToMailbox(mailbox, id, "Subject: " + id + "\r\n\r\n" + id + "\r\n"));
        return mailbox;
    }

    std::unique_ptr<CPop3> LogOn(const char* pszUser)
    {
        std::unique_ptr<CPop3> pop(new CPop3(&m_nCancel));
        pop->Init("127.0.0.1", pszUser, "secret", m_nPort);
        EXPECT_EQ(pop->Connect(), 1) << Str(pop->GetErrorText());
        EXPECT_EQ(pop->Login(NULL), 1) << Str(pop->GetErrorText());
        return pop;
    }

    // As the receive worker does it: list, purge, QUIT (which is when the server really deletes).
    void Purge(LONG nAccountID, const char* pszUser)
    {
        std::unique_ptr<CPop3> pop = LogOn(pszUser);
        CPop3ServerList server(*pop, pop->Uidl() == 1);
        CPurgeTestFixture::Purge(nAccountID, server);
        EXPECT_EQ(pop->Quit(), 1) << Str(pop->GetErrorText());
    }

    // The identifiers a new connection lists, sorted.
    Texts OnServer(const char* pszUser)
    {
        std::unique_ptr<CPop3> pop = LogOn(pszUser);
        EXPECT_EQ(pop->Uidl(), 1);
        Texts ids;
        for (int i = 0; i < pop->GetUidlCount(); i++)
            ids.push_back(Str(pop->GetStringAt(i)));
        pop->Quit();
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    UINT m_nPort = 0;
    int m_nCancel = 0;
    PurgeTickSource m_pfnOldTicks = NULL;
};

struct CServerPurgeCase
{
    const char* pszName;
    LONG nFlags;
    int nRemoveAfter;
    // Locally deleted: identifier and days ago.
    std::vector<std::pair<const char*, double>> deleted;
    // Still in the store: identifier and days since it arrived.
    std::vector<std::pair<const char*, double>> stored;
    Texts server;
    // Sorted.
    Texts expectedRows;
    Texts expectedLeft;
    bool bOnServer;
};

} // namespace

TEST_F(Pop3PurgeTest, DeletesOnTheServerWhatTheAccountRulesLetGo)
{
    const CServerPurgeCase cases[] = {
        {"empty mailbox drops every row and clears 0x80", 0x08 | 0x80, 5, {{"a", 1}, {"b", 9}}, {}, {}, {},
         {}, false},
        {"leave a copy, no removal rule: nothing goes", 0x08, 5, {{"a", 9}}, {{"s", 9}}, {"a", "s", "n"},
         {"a"}, {"a", "n", "s"}, true},
        {"remove when deleted locally", 0x08 | 0x10, 5, {{"a", 0}, {"gone", 0}}, {{"s", 9}}, {"a", "s"},
         {"gone"}, {"s"}, true},
        {"remove after 5 days: six days old goes, four days old stays", 0x08 | 0x40, 5,
         {{"d6", 6}, {"d4", 4}}, {{"s6", 6}, {"s4", 4}}, {"d6", "d4", "s6", "s4"}, {"d4"}, {"d4", "s4"},
         true},
        {"leave a copy switched off: stored and deleted copies go", 0x80, 5, {{"a", 0}}, {{"s", 0}},
         {"a", "s", "new"}, {}, {"new"}, true},
        {"letter case counts", 0x08 | 0x10, 5, {{"abc", 0}}, {{"XYZ", 9}}, {"ABC", "xyz"}, {"abc"},
         {"ABC", "xyz"}, true},
        {"everything removed clears 0x80", 0x80, 5, {}, {{"s", 0}}, {"s"}, {}, {}, false},
    };
    for (const CServerPurgeCase& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        const LONG nAccount = AddAccount("tester", test.nFlags, test.nRemoveAfter);
        for (const auto& row : test.deleted)
            AddDeleted(nAccount, row.first, row.second);
        for (const auto& message : test.stored)
            AddStored(nAccount, message.first, message.second);
        const std::string mailbox = Fill("tester", test.server);

        Purge(nAccount, "tester");

        EXPECT_EQ(OnServer("tester"), test.expectedLeft);
        EXPECT_EQ(MailboxMessageCount(mailbox), test.expectedLeft.size()) << "the files themselves are gone";
        EXPECT_EQ(RowsOf(nAccount), test.expectedRows);
        EXPECT_EQ((FlagsOf(nAccount) & 0x80) != 0, test.bOnServer);
        EXPECT_EQ(FlagsOf(nAccount) & ~0x80, test.nFlags & ~0x80) << "the other bits stay";
    }
}

TEST_F(Pop3PurgeTest, TwoAccountsWithTheSameIdentifiersDeleteOnlyTheirOwnMail)
{
    const LONG nMine = AddAccount("tester", 0x08 | 0x40, 5);
    const LONG nOther = AddAccount("second", 0x08 | 0x40, 5);
    AddStored(nOther, "shared", 30);
    AddDeleted(nOther, "shared2", 30);
    Fill("tester", {"shared", "shared2"});
    Fill("second", {"shared", "shared2"});

    Purge(nMine, "tester");
    EXPECT_EQ(OnServer("tester"), (Texts{"shared", "shared2"}));
    EXPECT_EQ(RowsOf(nOther), Texts{"shared2"});
    EXPECT_NE(FlagsOf(nMine) & 0x80, 0);

    Purge(nOther, "second");
    EXPECT_TRUE(OnServer("second").empty());
    EXPECT_TRUE(RowsOf(nOther).empty());
    EXPECT_EQ(FlagsOf(nOther) & 0x80, 0);
    EXPECT_EQ(OnServer("tester"), (Texts{"shared", "shared2"})) << "the first account's mail is untouched";
}

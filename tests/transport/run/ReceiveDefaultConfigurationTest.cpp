// The receive run on the configuration that ./run starts with (the accounts in a database file of their own,
// every switch as the settings load leaves it) against the dovecot peer: each message stored once, the server
// keeping what the account says, a killed run losing and duplicating nothing, database failures told.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "ProgressTestSupport.h"
#include "foundation/ErrorUtil.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"

namespace
{
typedef std::vector<std::string> Subjects;

const Subjects kAll = {"m1", "m2", "m3", "m4", "m5"};

class ReceiveDefaultConfigurationTest : public CProgressFixture
{
protected:
    ReceiveDefaultConfigurationTest() { m_bDefaultConfiguration = true; }

    // Messages "m<first>" to "m<last>" delivered to the tester's mailbox, after what is there.
    void Deliver(const std::string& mailbox, int nFirst, int nLast)
    {
        for (int i = nFirst; i <= nLast; ++i)
        {
            const std::string name = "m" + std::to_string(i);
            EXPECT_TRUE(DeliverToMailbox(mailbox, std::to_string(1000 + i) + "." + name, PeerMessage(name)));
        }
    }
    void SetPort(LONG nAccount, UINT nPort)
    {
        CString strSQL;
        strSQL.Format("UPDATE Accounts SET IncomingPort = %u WHERE ID = %ld", nPort, (long)nAccount);
        ASSERT_TRUE(Execute(*AccountsSession(), strSQL));
    }
};

TEST_F(ReceiveDefaultConfigurationTest, EveryMessageIsStoredOnceAndTheServerKeepsWhatTheAccountSays)
{
    struct Case
    {
        const char* pszName;
        LONG nFlags;
        bool bUsed; // the account has received m1 to m3 before m4 and m5 arrive
    };
    const Case cases[] = {
        {"no copy on the server, fresh account", 0x4, false},
        {"no copy on the server, used account", 0x4, true},
        {"copy left on the server, fresh account", 0x4 | 0x8, false},
        {"copy left on the server, used account", 0x4 | 0x8, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        Restart();
        ASSERT_NE(Local(), AccountsSession());
        AddAccount({"Alpha", "tester", "secret", c.nFlags, 0, 0});
        const std::string mailbox = EmptyPeerMailbox("tester");
        if (c.bUsed)
        {
            Deliver(mailbox, 1, 3);
            ASSERT_TRUE(RunToEnd(0, 0));
            EXPECT_EQ(Subjects({"m1", "m2", "m3"}), InboxSubjects());
        }
        Deliver(mailbox, c.bUsed ? 4 : 1, 5);
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_TRUE(m_errorsAtEnd.empty()) << m_errorsAtEnd[0];
        ASSERT_EQ(1u, m_tasksAtEnd.size());
        EXPECT_EQ("Completed", m_tasksAtEnd[0][1]);
        EXPECT_EQ(kAll, InboxSubjects());
        EXPECT_EQ((c.nFlags & 0x8) ? kAll : Subjects(), MailboxSubjects(mailbox));
        // One more run finds nothing new.
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(kAll, InboxSubjects());
        EXPECT_EQ((c.nFlags & 0x8) ? kAll : Subjects(), MailboxSubjects(mailbox));
    }
}

// The client process is killed from outside after it has stored some messages; the next run on the same files
// brings the rest and stores none of them twice, whether or not the server had removed the stored ones.
TEST_F(ReceiveDefaultConfigurationTest, ARunKilledAfterSomeStoresLosesNothingAndTheNextStoresNothingTwice)
{
    std::mt19937 random(::GetTickCount());
    // Within what the server sends in a whole run of five small messages (about 1300 bytes).
    const size_t nRandomByte = 100 + random() % 800;
    struct Case
    {
        const char* pszName;
        LONG nFlags;
        const char* pszLine; // the command the process dies before
        size_t nServerBytes; // or the byte from the server it dies at
    };
    const Case cases[] = {
        {"no copy: after the third store, before its DELE", 0x4, "DELE 3\r\n", 0},
        {"no copy: after every DELE, before QUIT", 0x4, "QUIT\r\n", 0},
        {"copy left: before the fourth RETR", 0x4 | 0x8, "RETR 4\r\n", 0},
        {"copy left: before QUIT", 0x4 | 0x8, "QUIT\r\n", 0},
        {"no copy: at a random byte from the server", 0x4, "", nRandomByte},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.pszName) + " (byte " + std::to_string(c.nServerBytes) + ")");
        Restart();
        CPop3Proxy proxy(CPop3Proxy::FAULT_KILL, 0);
        const LONG nAccount = AddAccount({"Alpha", "tester", "secret", c.nFlags, proxy.Port(), 0});
        const std::string mailbox = EmptyPeerMailbox("tester");
        Deliver(mailbox, 1, 5);
        // The child has the files to itself until it has gone.
        m_pDatabase.reset();
        PROCESS_INFORMATION pi = StartKilledRun(m_folder.m_strPath, true);
        ASSERT_TRUE(pi.hProcess != NULL);
        proxy.KillAt(pi.hProcess, c.pszLine, c.nServerBytes);
        ::ResumeThread(pi.hThread);
        const bool bEnded = ::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
        if (!bEnded)
            ::TerminateProcess(pi.hProcess, 9);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        ASSERT_TRUE(bEnded);
        EXPECT_TRUE(proxy.Killed());

        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        ASSERT_TRUE(m_pDatabase->m_Local.IsOpen());
        const Subjects killed = InboxSubjects();
        if (c.nServerBytes == 0)
        {
            EXPECT_GE(killed.size(), 3u);
        }
        std::set<std::string> either(killed.begin(), killed.end());
        const Subjects left = MailboxSubjects(mailbox);
        either.insert(left.begin(), left.end());
        EXPECT_EQ(5u, either.size());
        EXPECT_EQ(killed.size(), std::set<std::string>(killed.begin(), killed.end()).size());

        SetPort(nAccount, PeerPort("ORB_POP3_PORT"));
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_TRUE(m_errorsAtEnd.empty()) << m_errorsAtEnd[0];
        EXPECT_EQ(kAll, InboxSubjects());
        EXPECT_EQ((c.nFlags & 0x8) ? kAll : Subjects(), MailboxSubjects(mailbox));
    }
}

// A bookkeeping table that the run cannot read: every message stays on the server, nothing is stored, and the
// account's error line says what failed instead of "no new messages".
TEST_F(ReceiveDefaultConfigurationTest, ADatabaseFailureInARunIsReportedAndLeavesTheMessagesOnTheServer)
{
    for (LONG nFlags : {0x4, 0x4 | 0x8})
    {
        SCOPED_TRACE(nFlags);
        Restart();
        ASSERT_TRUE(Execute(*AccountsSession(), "DROP TABLE DeletedMessages"));
        ASSERT_TRUE(Execute(*AccountsSession(), "CREATE TABLE DeletedMessages(UniqueID TEXT(255))"));
        AddAccount({"Alpha", "tester", "secret", nFlags, 0, 0});
        const std::string mailbox = EmptyPeerMailbox("tester");
        Deliver(mailbox, 1, 3);
        ASSERT_TRUE(RunToEnd(0, 0));
        ASSERT_EQ(1u, m_tasksAtEnd.size());
        EXPECT_EQ("Failed", m_tasksAtEnd[0][1]);
        ASSERT_EQ(1u, m_errorsAtEnd.size());
        EXPECT_NE(std::string::npos, m_errorsAtEnd[0].find("Open DeletedMessages table failed")) << m_errorsAtEnd[0];
        EXPECT_TRUE(InboxSubjects().empty());
        EXPECT_EQ(Subjects({"m1", "m2", "m3"}), MailboxSubjects(mailbox));
    }
}

TEST_F(ReceiveDefaultConfigurationTest, ARunThatCannotStartSaysWhy)
{
    // The bookkeeping table's name is taken by something that is not a table, so it cannot be created.
    ASSERT_TRUE(Execute(*AccountsSession(), "DROP TABLE DeletedMessages"));
    ASSERT_TRUE(Execute(*AccountsSession(), "CREATE VIEW DeletedMessages AS SELECT ID FROM Accounts"));
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = EmptyPeerMailbox("tester");
    Deliver(mailbox, 1, 2);
    CMessageBoxRecorder boxes({IDOK});
    ASSERT_TRUE(RunToEnd(0, 0));
    ASSERT_EQ(1u, CMessageBoxRecorder::s_Texts.size());
    EXPECT_NE(std::string::npos, CMessageBoxRecorder::s_Texts[0].find("Create DeletedMessages table failed"))
        << CMessageBoxRecorder::s_Texts[0];
    EXPECT_EQ(Subjects({"m1", "m2"}), MailboxSubjects(mailbox));
}
} // namespace

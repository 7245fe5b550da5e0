// The receive run against a scripted hostile POP3 server: a QUIT whose reply is lost after a failed retrieve,
// and unique identifiers that name no single message. Whatever the server does, no message is both gone from
// the server and absent from the store.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "HostilePop3.h"
#include "ProgressTestSupport.h"
#include "foundation/TraceFile.h"
#include "store/Folders.h"

namespace
{
typedef std::vector<std::string> Subjects;

class HostilePop3ReceiveTest : public CProgressFixture
{
protected:
    // Every message of the scenario is in the store, on the server, or both.
    static void ExpectNoneLost(const Subjects& all, const Subjects& stored, const Subjects& server)
    {
        for (const std::string& subject : all)
        {
            EXPECT_TRUE(std::count(stored.begin(), stored.end(), subject) > 0 ||
                        std::count(server.begin(), server.end(), subject) > 0)
                << subject << " is gone from the server and not in the store";
        }
    }
};

TEST_F(HostilePop3ReceiveTest, AQuitWhoseReplyIsLostNeverDeletesAnotherMessage)
{
    // The first connection refuses RETR 3; the user goes on; its QUIT closes without a reply, having removed
    // the marked messages 1 and 2 or not. The new connection numbers what is left from 1 again.
    struct Case
    {
        const char* pszScenario;
        Subjects stored;
        Subjects server;
    };
    const Case cases[] = {
        {"quit-lost-committed", {"m1", "m2", "m4"}, {"m3"}},
        {"quit-lost-uncommitted", {"m1", "m2", "m4"}, {"m3"}},
        // Without identifiers the old numbers are not trusted: nothing is deleted on the new connection but
        // what it stores, and what cannot be placed waits for the next run.
        {"quit-lost-committed-no-uidl", {"m1", "m2"}, {"m3", "m4"}},
        {"quit-lost-uncommitted-no-uidl", {"m1", "m2", "m4"}, {"m1", "m2", "m3"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszScenario);
        Restart();
        CHostilePop3 server(c.pszScenario);
        ASSERT_NE(0u, server.Port());
        AddAccount({"Alpha", "tester", "secret", 0x4, server.Port(), 0});
        CMessageBoxRecorder boxes({IDYES});
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(Subjects({"Do you want to continue?"}), CMessageBoxRecorder::s_Texts);
        EXPECT_TRUE(m_errorsAtEnd.empty()) << m_errorsAtEnd[0];
        const Subjects stored = InboxSubjects();
        const Subjects remaining = server.Remaining();
        EXPECT_EQ(c.stored, stored);
        EXPECT_EQ(c.server, remaining);
        ExpectNoneLost({"m1", "m2", "m3", "m4"}, stored, remaining);
    }
}

// m1 "a\0x" and m2 "a\0y" are one C string; m3 and m4 are both "dup"; m6 has 300 characters; m7 holds a tab.
// Only m5 "DUP" and m8 have sound identifiers. Each message is received; none of the unusable ones is ever
// deleted by the bookkeeping, and the sound ones are stored once however often the run comes.
TEST_F(HostilePop3ReceiveTest, IdentifiersThatNameNoSingleMessageLoseNothing)
{
    const Subjects all = {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8"};
    struct Case
    {
        const char* pszName;
        LONG nSecondFlags; // the account's flags for the second run
        Subjects server;   // what the server keeps after it
    };
    const Case cases[] = {
        {"a copy left on the server, twice", 0x4 | 0x8, all},
        {"a copy left, then the copies given up", 0x4 | 0x80, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        Restart();
        CHostilePop3 server("bad-ids");
        ASSERT_NE(0u, server.Port());
        const LONG nAccount = AddAccount({"Alpha", "tester", "secret", 0x4 | 0x8, server.Port(), 0});
        const CString strTrace = m_folder.Path("trace.log");
        WriteWholeFile((const char*)strTrace, "");
        g_pTraceFile = new CTraceFile(strTrace);
        g_bTraceOn = 1;
        ASSERT_TRUE(RunToEnd(0, 0));
        delete g_pTraceFile;
        g_pTraceFile = NULL;
        g_bTraceOn = 0;
        EXPECT_TRUE(m_errorsAtEnd.empty()) << m_errorsAtEnd[0];
        const Subjects first = InboxSubjects();
        EXPECT_EQ(all, first);
        EXPECT_EQ(all, server.Remaining());
        // The trace names each unusable identifier with its control bytes escaped.
        const std::string trace = ReadWholeFile((const char*)strTrace);
        EXPECT_NE(std::string::npos, trace.find("'a\\x00x'")) << trace;
        EXPECT_NE(std::string::npos, trace.find("(listed twice): 'dup'")) << trace;
        EXPECT_NE(std::string::npos, trace.find("(control character): 't\\x09ab'")) << trace;
        EXPECT_EQ(std::string::npos, trace.find(std::string("a\0x", 3)));

        CString strSQL;
        strSQL.Format("UPDATE Accounts SET Flags = %ld WHERE ID = %ld", c.nSecondFlags, (long)nAccount);
        ASSERT_TRUE(Execute(*AccountsSession(), strSQL));
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_TRUE(m_errorsAtEnd.empty()) << m_errorsAtEnd[0];
        const Subjects stored = InboxSubjects();
        const Subjects remaining = server.Remaining();
        EXPECT_EQ(std::set<std::string>(all.begin(), all.end()), std::set<std::string>(stored.begin(), stored.end()));
        EXPECT_EQ(1, std::count(stored.begin(), stored.end(), "m5"));
        EXPECT_EQ(1, std::count(stored.begin(), stored.end(), "m8"));
        EXPECT_EQ(c.server, remaining);
        ExpectNoneLost(all, stored, remaining);
    }
}
} // namespace

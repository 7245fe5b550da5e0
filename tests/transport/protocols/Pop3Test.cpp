// Tests of the POP3 client against dovecot on loopback and against a scripted peer.
#include "transport/Pop3.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ScriptedPeer.h"
#include "TransportTestSupport.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "transport/TransportTexts.h"

namespace
{

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

// What a call threw: a text, a CException's message, or nothing.
template <typename F> std::string Thrown(F call)
{
    try
    {
        call();
    }
    catch (const char* pszText)
    {
        return pszText;
    }
    catch (CException* pException)
    {
        const std::string text = Str(pException->m_strMessage);
        delete pException;
        return "CException: " + text;
    }
    return std::string();
}

class Pop3ServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nPort = PeerPort("ORB_POP3_PORT");
        ASSERT_NE(m_nPort, 0u) << "ORB_POP3_PORT is not set: run the tests through ./test";
        m_strMail = EmptyPeerMailbox("tester");
    }

    void Deliver(const std::string& name, const std::string& bytes)
    {
        ASSERT_TRUE(DeliverToMailbox(m_strMail, name, bytes));
    }

    size_t MessageFiles() { return MailboxMessageCount(m_strMail); }

    std::unique_ptr<CPop3> LogOn(const char* pszPassword = "secret")
    {
        std::unique_ptr<CPop3> pop(new CPop3(&m_nCancel));
        pop->Init("127.0.0.1", "tester", pszPassword, m_nPort);
        EXPECT_EQ(pop->Connect(), 1) << Str(pop->GetErrorText());
        return pop;
    }

    UINT m_nPort = 0;
    int m_nCancel = 0;
    std::string m_strMail;
};

TEST_F(Pop3ServerTest, LogsOnAndRefusesAWrongPassword)
{
    auto refused = LogOn("wrong");
    EXPECT_EQ(refused->Login(NULL), 0);
    EXPECT_EQ(refused->GetStatus(), 1);
    EXPECT_EQ(Str(refused->GetErrorText()).compare(0, 4, "-ERR"), 0) << Str(refused->GetErrorText());
    refused->Quit();

    auto pop = LogOn();
    EXPECT_EQ(pop->Login(NULL), 1);
    EXPECT_EQ(pop->GetStatus(), 0);
    EXPECT_EQ(pop->Quit(), 1);
}

TEST_F(Pop3ServerTest, AnEmptyMailboxListsNothing)
{
    auto pop = LogOn();
    ASSERT_EQ(pop->Login(NULL), 1);
    EXPECT_EQ(pop->Stat(), 1);
    EXPECT_EQ(pop->GetMessageCount(), 0);
    EXPECT_EQ(pop->GetTotalSize(), 0);
    EXPECT_EQ(pop->List(), 1);
    EXPECT_EQ(pop->GetListCount(), 0);
    EXPECT_EQ(pop->Uidl(), 1);
    EXPECT_EQ(pop->GetUidlCount(), 0);
    EXPECT_EQ(Str(pop->GetStringAt(0)), "");
    pop->Quit();
}

TEST_F(Pop3ServerTest, RetrievesEveryMessageByteForByte)
{
    std::string big = "Subject: big\r\n\r\n";
    for (int i = 0; i < 6000; ++i)
        big += (i % 7 == 0 ? ".line " : "line ") + std::to_string(i) + " of a long message body\r\n";
    const std::string messages[] = {
        "Subject: plain\r\nFrom: a@example.com\r\n\r\nHello.\r\n",
        "Subject: dots\r\n\r\n.\r\n..\r\n.leading dot\r\n...three\r\nend.\r\n.\r\n",
        big,
        "Subject: last\r\n\r\nx\r\n",
    };
    for (int i = 0; i < 4; ++i)
        Deliver("msg000" + std::to_string(i + 1) + ".vorn", messages[i]);

    auto pop = LogOn();
    ASSERT_EQ(pop->Login(NULL), 1);
    ASSERT_EQ(pop->Uidl(), 1);
    ASSERT_EQ(pop->Stat(), 1);
    ASSERT_EQ(pop->List(), 1);
    EXPECT_EQ(pop->GetMessageCount(), 4);
    int nTotal = 0;
    for (const std::string& m : messages)
        nTotal += static_cast<int>(m.size());
    EXPECT_EQ(pop->GetTotalSize(), nTotal);
    ASSERT_EQ(pop->GetListCount(), 4);
    ASSERT_EQ(pop->GetUidlCount(), 4);
    // Listing again, as a keep-alive or a second pass does, must not repeat the entries.
    ASSERT_EQ(pop->Uidl(), 1);
    ASSERT_EQ(pop->List(), 1);
    ASSERT_EQ(pop->GetListCount(), 4);
    ASSERT_EQ(pop->GetUidlCount(), 4);
    for (int i = 0; i < 4; ++i)
    {
        const std::string id = Str(pop->GetStringAt(i));
        ASSERT_EQ(id.compare(0, 6, "msg000"), 0) << id;
        const int nFile = id[6] - '1';
        ASSERT_EQ(pop->Retr(pop->GetNumberAt(i)), 1);
        EXPECT_EQ(Str(pop->GetMessageText()), messages[nFile]) << id;
    }
    EXPECT_GE(pop->FindUniqueId("MSG0002.VORN"), 0);
    EXPECT_EQ(pop->FindUniqueId("MSG0002.VORN"), pop->FindUniqueId("msg0002.vorn"));
    EXPECT_EQ(pop->FindUniqueId("msg0009.vorn"), -1);
    pop->Quit();
}

TEST_F(Pop3ServerTest, ReconnectLogsOnAgainOnANewConnection)
{
    Deliver("msg0001.vorn", "Subject: one\r\n\r\n1\r\n");
    auto pop = LogOn();
    ASSERT_EQ(pop->Login(NULL), 1);
    ASSERT_EQ(pop->Reconnect(NULL), 1);
    ASSERT_EQ(pop->Stat(), 1);
    EXPECT_EQ(pop->GetMessageCount(), 1);
    EXPECT_EQ(pop->Quit(), 1);
}

TEST_F(Pop3ServerTest, DeleteThenQuitRemovesTheFile)
{
    Deliver("msg0001.vorn", "Subject: one\r\n\r\n1\r\n");
    Deliver("msg0002.vorn", "Subject: two\r\n\r\n2\r\n");
    {
        auto pop = LogOn();
        ASSERT_EQ(pop->Login(NULL), 1);
        ASSERT_EQ(pop->Uidl(), 1);
        const int nIndex = pop->FindUniqueId("msg0001.vorn");
        ASSERT_GE(nIndex, 0);
        int nMessage = pop->GetNumberAt(nIndex);
        EXPECT_EQ(pop->Dele(nMessage), 1);
        EXPECT_EQ(pop->Quit(), 1);
    }
    EXPECT_EQ(MessageFiles(), 1u);
    auto pop = LogOn();
    ASSERT_EQ(pop->Login(NULL), 1);
    ASSERT_EQ(pop->Uidl(), 1);
    ASSERT_EQ(pop->GetUidlCount(), 1);
    EXPECT_EQ(Str(pop->GetStringAt(0)), "msg0002.vorn");
    int nMissing = 9;
    EXPECT_EQ(Thrown([&] { pop->Dele(nMissing); }).compare(0, 27, TransportText::kDeleError), 0);
    pop->Quit();
}

TEST_F(Pop3ServerTest, DelesSentAheadAreAnsweredAndCommittedByQuit)
{
    Deliver("msg0001.vorn", "Subject: one\r\n\r\n1\r\n");
    Deliver("msg0002.vorn", "Subject: two\r\n\r\n2\r\n");
    Deliver("msg0003.vorn", "Subject: three\r\n\r\n3\r\n");
    {
        auto pop = LogOn();
        ASSERT_EQ(pop->Login(NULL), 1);
        ASSERT_TRUE(pop->CanPipeline());
        ASSERT_EQ(pop->List(), 1);
        pop->DeleWithNext(1);
        ASSERT_EQ(pop->Retr(2), 1);
        EXPECT_EQ(Str(pop->GetMessageText()), "Subject: two\r\n\r\n2\r\n");
        pop->DeleWithNext(2);
        EXPECT_EQ(pop->Quit(), 1);
    }
    EXPECT_EQ(MessageFiles(), 1u);
}

// A scripted server: replies cut and joined in ways a real server may produce.
class Pop3ScriptTest : public ::testing::Test
{
protected:
    std::unique_ptr<CPop3> Connect(CScriptedPeer& peer, int* pnCancel = NULL)
    {
        const UINT nPort = peer.Start();
        std::unique_ptr<CPop3> pop(new CPop3(pnCancel));
        pop->Init("127.0.0.1", "user", "pass word", nPort);
        return pop;
    }
};

TEST_F(Pop3ScriptTest, ReadsSplitAndMergedReplies)
{
    CScriptedPeer peer;
    peer.SendSplit("+OK PO", "P3 ready\r\n")
        .Expect("USER user")
        .Send("+OK\r\n+OK logged on\r\n") // the PASS reply arrives with the USER reply
        .Expect("PASS ")
        .Expect("STAT")
        .Send("+OK 2 320\r\n")
        .Expect("LIST")
        .SendSplit("+OK 2 messages\r\n1 120\r\n2 2", "00\r\n.\r\n")
        .Expect("UIDL")
        .SendSplit("+OK\r\n1 an id with blanks\r\n2 ends.with.a.dot.\r\n.", "\r\n")
        .Expect("RETR 2")
        .Send("+OK 200 octets\r\nSubject: x\r\n\r\n..stuffed\r\n")
        .SendSplit("body\r\n.\r", "\n")
        .Expect("QUIT")
        .Send("+OK bye\r\n");
    auto pop = Connect(peer);
    ASSERT_EQ(pop->Connect(), 1);
    ASSERT_EQ(pop->Login(NULL), 1);
    ASSERT_EQ(pop->Stat(), 1);
    EXPECT_EQ(pop->GetMessageCount(), 2);
    EXPECT_EQ(pop->GetTotalSize(), 320);
    ASSERT_EQ(pop->List(), 1);
    ASSERT_EQ(pop->GetListCount(), 2);
    ASSERT_EQ(pop->Uidl(), 1);
    ASSERT_EQ(pop->GetUidlCount(), 2);
    EXPECT_EQ(Str(pop->GetStringAt(0)), "an id with blanks");
    EXPECT_EQ(Str(pop->GetStringAt(1)), "ends.with.a.dot.");
    EXPECT_EQ(pop->GetNumberAt(1), 2);
    ASSERT_EQ(pop->Retr(2), 1);
    EXPECT_EQ(Str(pop->GetMessageText()), "Subject: x\r\n\r\n.stuffed\r\nbody\r\n");
    EXPECT_EQ(pop->Quit(), 1);
    pop.reset();
    EXPECT_EQ(peer.Finish(), "");
}

TEST_F(Pop3ScriptTest, ThePasswordNeverReachesTheTrace)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string tracePath = std::string(szTemp) + "pop3-trace-test.log";
    WriteWholeFile(tracePath, "");
    g_pTraceFile = new CTraceFile(tracePath.c_str());
    g_bTraceOn = 1;

    CScriptedPeer peer;
    peer.Send("+OK ready\r\n")
        .Expect("USER")
        .Send("+OK\r\n")
        .Expect("PASS pass word")
        .Send("-ERR [AUTH] no\r\n");
    auto pop = Connect(peer);
    ASSERT_EQ(pop->Connect(), 1);
    EXPECT_EQ(pop->Login(NULL), 0);
    EXPECT_EQ(pop->GetStatus(), 1);
    EXPECT_EQ(Str(pop->GetErrorText()), "-ERR [AUTH] no");
    pop.reset();
    EXPECT_EQ(peer.Finish(), "");

    delete g_pTraceFile;
    g_pTraceFile = NULL;
    g_bTraceOn = 0;
    const std::string trace = ReadWholeFile(tracePath);
    EXPECT_NE(trace.find("Send>USER user"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Send>PASS ***"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("pass word"), std::string::npos) << trace;
    DeleteFileA(tracePath.c_str());
}

TEST_F(Pop3ScriptTest, FailuresGiveTheirTexts)
{
    const struct
    {
        const char* reply; // after the greeting and a STAT, the reply to RETR 1
        bool bClose;
        std::string thrown;
    } cases[] = {
        {"+OK\r\nSubject: cut\r\n\r\npartial", true, TransportText::kReceiveDataError},
        {"", true, std::string("CException: ") + TransportText::kRetrEmpty},
        {"-ERR no such message\r\n", false,
         "CException: Error occured during RETR\r\n-ERR no such message\r\n"},
        {"what?\r\n", false, "RETR command response error!\r\n\r\nwhat?"},
    };
    for (const auto& c : cases)
    {
        CScriptedPeer peer;
        peer.Send("+OK ready\r\n").Expect("RETR 1").Send(c.reply);
        if (c.bClose)
            peer.Close();
        auto pop = Connect(peer);
        ASSERT_EQ(pop->Connect(), 1);
        EXPECT_EQ(Thrown([&] { pop->Retr(1); }), c.thrown) << c.reply;
        pop.reset();
        peer.Finish();
    }

    CScriptedPeer busy;
    busy.Send("-ERR busy\r\n");
    auto pop = Connect(busy);
    EXPECT_EQ(Thrown([&] { pop->Connect(); }), "Bad Connection. -ERR busy");
}

TEST_F(Pop3ScriptTest, OnlyAServerThatListsPipeliningIsSentCommandsAhead)
{
    const struct
    {
        const char* reply;
        bool bPipelining;
    } cases[] = {
        {"+OK\r\nTOP\r\nPIPELINING\r\nUIDL\r\n.\r\n", true},
        {"+OK\r\npipelining\r\n.\r\n", true},
        {"+OK\r\nTOP\r\nUIDL\r\nPIPELININGX\r\n.\r\n", false},
        {"+OK\r\nIMPLEMENTATION PIPELINING-free\r\n.\r\n", false},
        {"-ERR unknown command\r\n", false},
    };
    for (const auto& c : cases)
    {
        CScriptedPeer peer;
        peer.Send("+OK ready\r\n").Expect("CAPA").Send(c.reply).Expect("QUIT").Send("+OK bye\r\n");
        auto pop = Connect(peer);
        ASSERT_EQ(pop->Connect(), 1);
        EXPECT_EQ(pop->CanPipeline(), c.bPipelining) << c.reply;
        EXPECT_EQ(pop->Quit(), 1) << c.reply;
        pop.reset();
        EXPECT_EQ(peer.Finish(), "") << c.reply;
    }
}

// The DELE's reply is read with the next command's; a refusal is thrown after the whole next reply, so the
// connection can still be ended in order.
TEST_F(Pop3ScriptTest, ADeleSentAheadIsAnsweredWithTheNextCommand)
{
    CScriptedPeer peer;
    // Both commands arrive before any reply goes: the client did not wait for the first.
    peer.Send("+OK ready\r\n")
        .Expect("DELE 1")
        .Expect("RETR 2")
        .Send("+OK deleted\r\n+OK\r\nSubject: two\r\n\r\n2\r\n.\r\n")
        .Expect("DELE 2")
        .Expect("RETR 3")
        .Send("-ERR no such message\r\n+OK\r\nSubject: three\r\n\r\n3\r\n.\r\n")
        .Expect("QUIT")
        .Send("+OK bye\r\n");
    auto pop = Connect(peer);
    ASSERT_EQ(pop->Connect(), 1);
    pop->DeleWithNext(1);
    ASSERT_EQ(pop->Retr(2), 1);
    EXPECT_EQ(Str(pop->GetMessageText()), "Subject: two\r\n\r\n2\r\n");
    pop->DeleWithNext(2);
    EXPECT_EQ(Thrown([&] { pop->Retr(3); }), std::string(TransportText::kDeleError) + "-ERR no such message");
    EXPECT_EQ(pop->Quit(), 1);
    pop.reset();
    EXPECT_EQ(peer.Finish(), "");
}

TEST_F(Pop3ScriptTest, ConnectionRefusedIsReportedWithoutThrowing)
{
    CScriptedPeer peer;
    const UINT nPort = peer.Start();
    peer.Finish(0); // nobody listens on the port any more
    CPop3 pop;
    pop.Init("127.0.0.1", "user", "pw", nPort);
    EXPECT_EQ(pop.Connect(), 0);
    EXPECT_EQ(Str(pop.GetErrorText()), TransportText::kConnectionFailed);
}

// The socket's clock: every reading is 31 seconds after the one before.
DWORD g_dwFakeTick = 0;
DWORD WINAPI FakeTickCount()
{
    g_dwFakeTick += 31000;
    return g_dwFakeTick;
}

// The short waiting period is set after the greeting: with this clock two ticks of it without the greeting
// (a loaded machine) would already ask the question during Connect.
class ServerSilenceTest : public Pop3ScriptTest
{
protected:
    void SetUp() override { CMySocket::s_pfnGetTickCount = FakeTickCount; }
    void TearDown() override { CMySocket::s_pfnGetTickCount = GetTickCount; }
};

TEST_F(ServerSilenceTest, AfterSixtySecondsYesWaitsOnAndTheReplyIsRead)
{
    HANDLE hAsked = CreateEventA(NULL, TRUE, FALSE, NULL);
    CMessageBoxRecorder boxes({IDYES}, hAsked);
    CScriptedPeer peer;
    peer.Send("+OK ready\r\n").Expect("STAT").WaitFor(hAsked).Send("+OK 1 100\r\n");
    int nCancel = 0;
    auto pop = Connect(peer, &nCancel);
    ASSERT_EQ(pop->Connect(), 1);
    pop->m_Socket.m_nTimeOut = 20;
    EXPECT_EQ(pop->Stat(), 1);
    EXPECT_EQ(pop->GetMessageCount(), 1);
    ASSERT_GE(CMessageBoxRecorder::s_Texts.size(), 1u);
    EXPECT_EQ(CMessageBoxRecorder::s_Texts[0], TransportText::kServerNotResponding);
    EXPECT_EQ(nCancel, 0);
    pop.reset();
    EXPECT_EQ(peer.Finish(), "");
    CloseHandle(hAsked);
}

TEST_F(ServerSilenceTest, NoCancelsTheWait)
{
    HANDLE hDone = CreateEventA(NULL, TRUE, FALSE, NULL);
    CMessageBoxRecorder boxes({IDNO});
    {
        CScriptedPeer peer;
        peer.Send("+OK ready\r\n").Expect("STAT").WaitFor(hDone);
        int nCancel = 0;
        auto pop = Connect(peer, &nCancel);
        ASSERT_EQ(pop->Connect(), 1);
        pop->m_Socket.m_nTimeOut = 20;
        EXPECT_EQ(Thrown([&] { pop->Stat(); }), TransportText::kCancelled);
        EXPECT_EQ(nCancel, 1);
        EXPECT_EQ(CMessageBoxRecorder::s_Texts.size(), 1u);
        SetEvent(hDone);
    }
    {
        // Without a cancel flag the stopped wait is a failed receive.
        ResetEvent(hDone);
        CScriptedPeer peer;
        peer.Send("+OK ready\r\n").Expect("STAT").WaitFor(hDone);
        auto pop = Connect(peer);
        ASSERT_EQ(pop->Connect(), 1);
        pop->m_Socket.m_nTimeOut = 20;
        EXPECT_EQ(Thrown([&] { pop->Stat(); }), TransportText::kSocketError);
        SetEvent(hDone);
    }
    CloseHandle(hDone);
}

TEST_F(Pop3ScriptTest, ACancelFlagSetBeforehandStopsBeforeAnyByteMoves)
{
    CScriptedPeer peer;
    peer.Send("+OK ready\r\n");
    int nCancel = 0;
    auto pop = Connect(peer, &nCancel);
    ASSERT_EQ(pop->Connect(), 1);
    nCancel = 1;
    EXPECT_EQ(Thrown([&] { pop->Stat(); }), TransportText::kCancelled);
    pop.reset();
    peer.Finish();
    EXPECT_TRUE(peer.m_Received.empty());
}

} // namespace

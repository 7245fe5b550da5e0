// Tests of the SMTP client against an SMTP server on loopback (which parses what it receives with Python's
// email package) and against a scripted peer.
#include "transport/Smtp.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <memory>
#include <sstream>
#include <string>

#include "ScriptedPeer.h"
#include "TransportTestSupport.h"
#include "content/TransferEncoding.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "transport/TransportTexts.h"

namespace
{

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

// A client that records what it is told instead of raising.
class CRecordingSmtp : public CSmtp
{
public:
    CRecordingSmtp(int* pnCancel = NULL) : CSmtp(pnCancel, TRUE) {}
    int OnError(int nCode, const char* pszMessage) override
    {
        m_Errors.push_back(nCode);
        m_strLastError = pszMessage;
        return 0;
    }
    int OnRefusal(int nCode, const char*) override
    {
        m_Refusals.push_back(nCode);
        return 0;
    }
    std::vector<int> m_Errors;
    std::vector<int> m_Refusals;
    std::string m_strLastError;
};

// One message as the server's Python email package read it.
struct CParsedMessage
{
    std::vector<std::pair<std::string, std::string>> headers;
    struct CPart
    {
        std::string type, filename, payload;
    };
    std::vector<CPart> parts;

    std::string Header(const std::string& name) const
    {
        for (const auto& h : headers)
        {
            if (h.first == name)
                return h.second;
        }
        return "(absent)";
    }
};

CParsedMessage ReadParsed(const std::string& path)
{
    CParsedMessage parsed;
    std::istringstream lines(ReadWholeFile(path));
    std::string line;
    while (std::getline(lines, line))
    {
        std::vector<std::string> fields;
        size_t start = 0, tab;
        while ((tab = line.find('\t', start)) != std::string::npos)
        {
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        fields.push_back(line.substr(start));
        if (fields[0] == "header" && fields.size() == 3)
            parsed.headers.push_back(std::make_pair(fields[1], fields[2]));
        else if (fields[0] == "part" && fields.size() == 4)
            parsed.parts.push_back(
                {fields[1], fields[2], DecodeBase64Bytes(fields[3].data(), fields[3].size())});
    }
    return parsed;
}

class SmtpServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nPort = PeerPort("ORB_SMTP_PORT");
        ASSERT_NE(m_nPort, 0u) << "ORB_SMTP_PORT is not set: run the tests through ./test";
        m_strSpool = PeerFolder() + "smtp\\spool\\";
        m_Before = Received();
    }

    std::set<std::string> Received() const
    {
        std::set<std::string> names;
        for (const std::string& name : ListFiles(m_strSpool))
        {
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0)
                names.insert(name.substr(0, name.size() - 4));
        }
        return names;
    }

    // The messages that arrived since the test began.
    std::vector<std::string> NewMessages() const
    {
        std::vector<std::string> names;
        for (const std::string& name : Received())
        {
            if (!m_Before.count(name))
                names.push_back(m_strSpool + name);
        }
        return names;
    }

    CSmtpMessage MakeMessage()
    {
        CSmtpMessage message;
        message.m_From = CSmtpContentType("ann@example.com", "Ann \"Q\" Lee");
        message.m_To.push_back(CSmtpContentType("bob@example.com", "Bob"));
        message.m_strSubject = "Report";
        message.m_BodyParts.push_back(CSmtpBodyPart("Hello Bob\r\n.\r\n.leading dot\r\nend\r\n"));
        return message;
    }

    UINT m_nPort = 0;
    std::string m_strSpool;
    std::set<std::string> m_Before;
};

TEST_F(SmtpServerTest, ABuiltMessageArrivesAsItWasBuilt)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string binaryPath = std::string(szTemp) + "smtp-test-binary.dat";
    const std::string textPath = std::string(szTemp) + "smtp-test-notes.txt";
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary.push_back(static_cast<char>(i * 7));
    const std::string notes = ".starts with a dot\r\n.\r\nplain line\r\n";
    WriteWholeFile(binaryPath, binary);
    WriteWholeFile(textPath, notes);

    CSmtpMessage message = MakeMessage();
    message.m_To.push_back(CSmtpContentType("carol@example.com"));
    message.m_Cc.push_back(CSmtpContentType("dave@example.com", "Dave D."));
    message.m_Bcc.push_back(CSmtpContentType("eve@example.com", "Eve"));
    message.m_BodyParts.push_back(CSmtpBodyPart("<p>Hello Bob</p>\r\n", "text/html"));
    message.m_Attachments.push_back(CSmtpAttachment(binaryPath.c_str()));
    message.m_Attachments.push_back(CSmtpAttachment(textPath.c_str(), "notes.txt", 0, "text/plain"));
    message.m_strMessageId = "1234.5678@example.com";

    CString stored;
    {
        CSmtpProgress smtp(NULL, NULL, TRUE);
        smtp.m_strUser = "tester";
        smtp.m_strPassword = "secret";
        ASSERT_TRUE(smtp.Connect("127.0.0.1", m_nPort));
        EXPECT_EQ(smtp.SendMessage(message), 0);
        message.BuildMime(stored);
    }
    EXPECT_NE(Str(stored).find("\r\nBcc: \"Eve\" <eve@example.com>\r\n"), std::string::npos)
        << "the stored text keeps its Bcc header";

    const std::vector<std::string> arrived = NewMessages();
    ASSERT_EQ(arrived.size(), 1u);
    const CParsedMessage parsed = ReadParsed(arrived[0] + ".parsed");
    EXPECT_EQ(parsed.Header("X-Envelope-To"),
              "bob@example.com,carol@example.com,dave@example.com,eve@example.com");
    EXPECT_EQ(parsed.Header("Bcc"), "(absent)");
    EXPECT_EQ(parsed.Header("Subject"), "Report");
    EXPECT_EQ(parsed.Header("From"), "\"Ann \\\"Q\\\" Lee\" <ann@example.com>");
    EXPECT_EQ(parsed.Header("To"), "Bob <bob@example.com>, carol@example.com");
    EXPECT_EQ(parsed.Header("Cc"), "\"Dave D.\" <dave@example.com>");
    EXPECT_EQ(parsed.Header("Message-ID"), "<1234.5678@example.com>");
    EXPECT_EQ(parsed.Header("MIME-Version"), "1.0");
    ASSERT_EQ(parsed.parts.size(), 4u);
    EXPECT_EQ(parsed.parts[0].type, "text/plain");
    EXPECT_EQ(parsed.parts[0].payload, "Hello Bob\r\n.\r\n.leading dot\r\nend\r\n");
    EXPECT_EQ(parsed.parts[1].type, "text/html");
    EXPECT_EQ(parsed.parts[1].payload, "<p>Hello Bob</p>\r\n");
    EXPECT_EQ(parsed.parts[2].type, "application/octet-stream");
    EXPECT_EQ(parsed.parts[2].filename, "smtp-test-binary.dat");
    EXPECT_EQ(parsed.parts[2].payload, binary);
    EXPECT_EQ(parsed.parts[3].filename, "notes.txt");
    EXPECT_EQ(parsed.parts[3].payload, notes);

    DeleteFileA(binaryPath.c_str());
    DeleteFileA(textPath.c_str());
}

TEST_F(SmtpServerTest, AuthLoginWithRightAndWrongCredentials)
{
    {
        CRecordingSmtp smtp;
        smtp.m_strUser = "tester";
        smtp.m_strPassword = "secret";
        ASSERT_TRUE(smtp.Connect("127.0.0.1", m_nPort));
        EXPECT_EQ(smtp.m_bExtended, 1);
        EXPECT_TRUE(smtp.m_Errors.empty());
    }
    {
        CRecordingSmtp smtp;
        smtp.m_strUser = "tester";
        smtp.m_strPassword = "wrong";
        smtp.Connect("127.0.0.1", m_nPort);
        ASSERT_EQ(smtp.m_Errors.size(), 1u);
        EXPECT_EQ(smtp.m_Errors[0], 535);
        EXPECT_EQ(smtp.m_Refusals, std::vector<int>{535});
    }
}

TEST_F(SmtpServerTest, ARefusedRecipientDoesNotStopTheOthers)
{
    CSmtpMessage message = MakeMessage();
    message.m_To.push_back(CSmtpContentType("refused@example.com"));
    message.m_Cc.push_back(CSmtpContentType("carol@example.com"));
    CRecordingSmtp smtp;
    ASSERT_TRUE(smtp.Connect("127.0.0.1", m_nPort));
    EXPECT_EQ(smtp.SendEnvelope(message), 2);
    EXPECT_EQ(smtp.m_Refusals, std::vector<int>{550});
    EXPECT_EQ(smtp.SendBody(message), 0);
    const std::vector<std::string> arrived = NewMessages();
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(ReadParsed(arrived[0] + ".parsed").Header("X-Envelope-To"),
              "bob@example.com,carol@example.com");
}

TEST_F(SmtpServerTest, CancelDuringDataSendsNoMessage)
{
    // Cancels as the first piece of the message has gone.
    class CCancellingSmtp : public CSmtpProgress
    {
    public:
        CCancellingSmtp(int* pnCancel) : CSmtpProgress(NULL, pnCancel, FALSE), m_pnFlag(pnCancel) {}
        int OnProgress(int nReserved, int nSent, int nTotal) override
        {
            ++m_nCalls;
            *m_pnFlag = 1;
            return CSmtpProgress::OnProgress(nReserved, nSent, nTotal);
        }
        int* m_pnFlag;
        int m_nCalls = 0;
    };
    CSmtpMessage message = MakeMessage();
    message.m_BodyParts[0].SetText(CString('x', 60) + "\r\n" + CString('y', 5000));
    int nCancel = 0;
    {
        CCancellingSmtp smtp(&nCancel);
        ASSERT_TRUE(smtp.Connect("127.0.0.1", m_nPort));
        EXPECT_EQ(smtp.SendMessage(message), -1);
        EXPECT_EQ(smtp.m_nCalls, 1);
    }
    EXPECT_TRUE(NewMessages().empty());
}

class SmtpScriptTest : public ::testing::Test
{
};

TEST_F(SmtpScriptTest, A500ToEhloGetsHeloAndNoAuth)
{
    CScriptedPeer peer;
    peer.Send("220 ready\r\n")
        .Expect("EHLO ")
        .Send("500 what\r\n")
        .Expect("HELO ")
        .Send("250 hello\r\n")
        .Expect("MAIL FROM: <a@example.com>")
        .Send("250 ok\r\n");
    const UINT nPort = peer.Start();
    {
        CRecordingSmtp smtp;
        smtp.m_strUser = "user";
        smtp.m_strPassword = "pw";
        ASSERT_TRUE(smtp.Connect("127.0.0.1", nPort));
        EXPECT_EQ(smtp.m_bExtended, 0);
        EXPECT_EQ(smtp.MailFrom("a@example.com"), 0);
        EXPECT_TRUE(smtp.m_Errors.empty());
    }
    EXPECT_EQ(peer.Finish(), "");
}

TEST_F(SmtpScriptTest, A530LogsOnAgainOnceOnly)
{
    const char* pszLogon[] = {"AUTH LOGIN", "dXNlcg==", "cHc="};
    CScriptedPeer peer;
    peer.Send("220 ready\r\n").Expect("EHLO ").Send("250-hi\r\n250 AUTH LOGIN\r\n");
    for (int round = 0; round < 3; ++round)
    {
        // Log-on at greeting, then after each of the first 530 replies.
        if (round > 0)
            peer.Expect("MAIL FROM: <a@example.com>").Send("530 Authentication required\r\n");
        if (round < 2)
        {
            peer.Expect(pszLogon[0]).Send("334 VXNlcm5hbWU6\r\n");
            peer.Expect(pszLogon[1]).Send("334 UGFzc3dvcmQ6\r\n");
            peer.Expect(pszLogon[2]).Send("235 ok\r\n");
        }
    }
    const UINT nPort = peer.Start();
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string tracePath = std::string(szTemp) + "smtp-trace-test.log";
    WriteWholeFile(tracePath, "");
    g_pTraceFile = new CTraceFile(tracePath.c_str());
    g_bTraceOn = 1;
    {
        CRecordingSmtp smtp;
        smtp.m_strUser = "user";
        smtp.m_strPassword = "pw";
        ASSERT_TRUE(smtp.Connect("127.0.0.1", nPort));
        EXPECT_EQ(smtp.MailFrom("a@example.com"), 530);
        EXPECT_EQ(smtp.m_Errors, std::vector<int>{530});
        EXPECT_EQ(smtp.m_strLastError, "530 Authentication required\r\n");
    }
    EXPECT_EQ(peer.Finish(), "");
    delete g_pTraceFile;
    g_pTraceFile = NULL;
    g_bTraceOn = 0;
    // The log-on answers are the credentials themselves, barely disguised: the trace leaves them out.
    const std::string trace = ReadWholeFile(tracePath);
    EXPECT_NE(trace.find("Send>AUTH LOGIN"), std::string::npos) << trace;
    EXPECT_NE(trace.find("Send>***"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("cHc="), std::string::npos) << trace;
    EXPECT_EQ(trace.find("dXNlcg=="), std::string::npos) << trace;
    DeleteFileA(tracePath.c_str());
}

TEST_F(SmtpScriptTest, AMultiLineReplySplitAcrossReadsIsReadToItsLastLine)
{
    CScriptedPeer peer;
    peer.SendSplit("220-welcome\r\n220", "\r\n") // a last line that is the bare code
        .Expect("EHLO ")
        .SendSplit("250-first\r\n250-AUTH LO", "GIN\r\n250 HELP\r\n")
        .Expect("MAIL FROM: <a@example.com>")
        .Send("550 not you\r\n");
    const UINT nPort = peer.Start();
    {
        CRecordingSmtp smtp;
        ASSERT_TRUE(smtp.Connect("127.0.0.1", nPort));
        EXPECT_EQ(smtp.m_bExtended, 1);
        CSmtpMessage message;
        message.m_From = CSmtpContentType("a@example.com");
        message.m_To.push_back(CSmtpContentType("b@example.com"));
        message.m_BodyParts.push_back(CSmtpBodyPart("x"));
        // The envelope failed: no RCPT, and nothing after it.
        EXPECT_EQ(smtp.SendMessage(message), 550);
        EXPECT_EQ(smtp.m_Errors, std::vector<int>{550});
    }
    EXPECT_EQ(peer.Finish(), "");
    EXPECT_EQ(peer.m_Received.size(), 2u);
}

TEST_F(SmtpScriptTest, LongCommandsGoInPiecesWithProgress)
{
    class CProgressSmtp : public CRecordingSmtp
    {
    public:
        int OnProgress(int, int nSent, int nTotal) override
        {
            m_Progress.push_back(std::make_pair(nSent, nTotal));
            return 1;
        }
        std::vector<std::pair<int, int>> m_Progress;
    };
    const struct
    {
        int nLength;
        std::vector<std::pair<int, int>> progress;
    } cases[] = {
        {490, {}},
        {1000, {{490, 1000}, {980, 1000}, {1000, 1000}}},
    };
    for (const auto& c : cases)
    {
        const std::string command = "NOOP " + std::string(c.nLength - 7, 'x') + "\r\n";
        CScriptedPeer peer;
        peer.Send("220 ready\r\n")
            .Expect("EHLO ")
            .Send("250 hi\r\n")
            .Expect(command.substr(0, 40))
            .Send("250 ok\r\n");
        const UINT nPort = peer.Start();
        {
            CProgressSmtp smtp;
            ASSERT_TRUE(smtp.Connect("127.0.0.1", nPort));
            EXPECT_EQ(smtp.SendCmd(command.c_str()), 250);
            EXPECT_EQ(smtp.m_Progress, c.progress) << c.nLength;
        }
        EXPECT_EQ(peer.Finish(), "");
        ASSERT_EQ(peer.m_Received.size(), 2u);
        EXPECT_EQ(peer.m_Received[1].size() + 2, static_cast<size_t>(c.nLength));
    }
}

TEST_F(SmtpScriptTest, AConnectionLostAtTheGreetingIsNotReady)
{
    CScriptedPeer peer;
    peer.Send("220 ready\r\n").Expect("EHLO ").Close();
    const UINT nPort = peer.Start();
    CMessageBoxRecorder boxes({IDOK});
    CRecordingSmtp smtp;
    EXPECT_FALSE(smtp.Connect("127.0.0.1", nPort));
    EXPECT_EQ(smtp.m_bGreeted, 0);
    EXPECT_FALSE(smtp.m_Errors.empty());
    EXPECT_EQ(smtp.m_Errors.back(), -1);
}

TEST(SmtpDataTest, DataIsDotStuffedWithoutBcc)
{
    const struct
    {
        const char* text;
        const char* wire;
    } cases[] = {
        {"To: <a@b>\r\nBcc: <c@d>,\r\n\t<e@f>\r\nSubject: s\r\n\r\n.first\r\nx\r\n.\r\n",
         "To: <a@b>\r\nSubject: s\r\n\r\n..first\r\nx\r\n..\r\n.\r\n"},
        {".no header", "..no header\r\n.\r\n"},
        {"Subject: s\r\n\r\nbody", "Subject: s\r\n\r\nbody\r\n.\r\n"},
        {"bcc: <c@d>\r\nBccx: kept\r\n\r\n", "Bccx: kept\r\n\r\n.\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(CSmtp::PrepareData(c.text)), c.wire) << c.text;
}

} // namespace

namespace
{
// The socket's clock for the trickle: every reading is 5 seconds after the one before.
DWORD s_dwTrickleTick = 0;
DWORD WINAPI TrickleTickCount()
{
    s_dwTrickleTick += 5000;
    return s_dwTrickleTick;
}
} // namespace

TEST(SmtpReplyLimitsTest, ALineOrAReplyWithNoEndIsRefusedWithItsReason)
{
    const struct
    {
        const char* pszScenario;
        const char* pszReason;
    } cases[] = {
        {"smtp-long-line", TransportText::kLineTooLong},
        {"smtp-endless-reply", TransportText::kSmtpReplyTooLong},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszScenario);
        CTricklePeer peer(c.pszScenario);
        ASSERT_NE(0u, peer.Port());
        CMessageBoxRecorder boxes({IDOK});
        {
            CRecordingSmtp smtp;
            EXPECT_FALSE(smtp.Connect("127.0.0.1", peer.Port()));
            ASSERT_FALSE(smtp.m_Errors.empty());
            EXPECT_EQ(-1, smtp.m_Errors.back());
            EXPECT_NE(std::string::npos, smtp.m_strLastError.find(c.pszReason)) << smtp.m_strLastError;
        }
        EXPECT_TRUE(peer.WaitDone());
    }
}

TEST(SmtpReplyLimitsTest, ATrickledGreetingStillBringsTheSixtySecondQuestion)
{
    CMySocket::s_pfnGetTickCount = TrickleTickCount;
    CMessageBoxRecorder boxes({IDNO});
    CTricklePeer peer("smtp-trickle");
    ASSERT_NE(0u, peer.Port());
    int nCancel = 0;
    std::string thrown;
    {
        CRecordingSmtp smtp(&nCancel);
        try
        {
            smtp.Connect("127.0.0.1", peer.Port());
        }
        catch (const char* pszText)
        {
            thrown = pszText;
        }
    }
    CMySocket::s_pfnGetTickCount = GetTickCount;
    EXPECT_EQ(TransportText::kCancelled, thrown);
    EXPECT_EQ(1, nCancel);
    ASSERT_FALSE(CMessageBoxRecorder::s_Texts.empty());
    EXPECT_EQ(TransportText::kServerNotResponding, CMessageBoxRecorder::s_Texts[0]);
    EXPECT_TRUE(peer.WaitDone());
}

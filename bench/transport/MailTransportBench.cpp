// POP3 download and SMTP sending speed of our clients beside Debian's mpop and msmtp, run against the same
// loopback servers (dovecot and the test SMTP server) in the same run. Prints ratios; asserts nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "PeerBench.h"
#include "foundation/Exception.h"
#include "transport/Pop3.h"
#include "transport/Smtp.h"

namespace
{

const int kSmtpMessages = 500;

void BenchPop3(const std::string& peerDir, UINT nPort)
{
    FillBenchMailbox(peerDir);
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string tempFile = std::string(szTemp) + "temp.mme";

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    double ours = -1;
    try
    {
        CPop3 pop;
        pop.Init("127.0.0.1", "bench", "benchpw", nPort);
        int nRetrieved = 0;
        if (pop.Connect() && pop.Login(NULL) && pop.Stat() && pop.List())
        {
            for (int i = 1; i <= pop.GetListCount(); ++i)
            {
                pop.Retr(i);
                const CString text = pop.GetMessageText();
                WriteFileText(tempFile, std::string(text, text.GetLength()));
                ++nRetrieved;
            }
            pop.Quit();
        }
        if (nRetrieved == kPop3Messages)
            ours = Seconds(start);
        else
            printf("POP3: retrieved %d of %d messages\n", nRetrieved, kPop3Messages);
    }
    catch (const char* pszText)
    {
        printf("POP3 failed: %s\n", pszText);
    }
    catch (CException* pException)
    {
        printf("POP3 failed: %s\n", static_cast<const char*>(pException->m_strMessage));
        delete pException;
    }
    DeleteFileA(tempFile.c_str());

    const double peer = RunMpop(peerDir, nPort);
    PrintRatio("POP3 download of 2000 messages from dovecot", "mpop", ours, peer);
}

void BenchSmtp(const std::string& peerDir, UINT nPort)
{
    CSmtpMessage sample;
    sample.m_From = CSmtpContentType("sender@example.com", "Sender");
    sample.m_To.push_back(CSmtpContentType("bench@example.com"));
    sample.m_strSubject = "benchmark";
    const std::string body = BenchMessage(0).substr(BenchMessage(0).find("\r\n\r\n") + 4);
    sample.m_BodyParts.push_back(CSmtpBodyPart(body.c_str()));
    CString built;
    sample.BuildMime(built);
    const std::string messageFile = peerDir + "/bench-message.eml";
    WriteFileText(WindowsPath(messageFile), std::string(built, built.GetLength()));

    // One connection per message on both sides: msmtp sends one message per run.
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    double ours = -1;
    try
    {
        int nSent = 0;
        for (int i = 0; i < kSmtpMessages; ++i)
        {
            CSmtpProgress smtp(NULL, NULL, TRUE);
            smtp.m_strUser = "tester";
            smtp.m_strPassword = "secret";
            if (!smtp.Connect("127.0.0.1", nPort))
                break;
            CSmtpMessage message;
            message.m_From = sample.m_From;
            message.m_To = sample.m_To;
            message.m_strSubject = sample.m_strSubject;
            message.m_BodyParts = sample.m_BodyParts;
            if (smtp.SendMessage(message) == 0)
                ++nSent;
        }
        if (nSent == kSmtpMessages)
            ours = Seconds(start);
        else
            printf("SMTP: sent %d of %d messages\n", nSent, kSmtpMessages);
    }
    catch (const char* pszText)
    {
        printf("SMTP failed: %s\n", pszText);
    }
    catch (CException* pException)
    {
        printf("SMTP failed: %s\n", static_cast<const char*>(pException->m_strMessage));
        delete pException;
    }

    const double peer = RunHostScript(
        peerDir, "i=0; while [ $i -lt " + std::to_string(kSmtpMessages) +
                     " ]; do msmtp -C /dev/null --host=127.0.0.1 --port=" + std::to_string(nPort) +
                     " --auth=login --user=tester --passwordeval='echo secret' --tls=off"
                     " --from=sender@example.com bench@example.com < " +
                     messageFile + " || exit 1; i=$((i + 1)); done");
    PrintRatio("SMTP sending of 500 messages", "msmtp", ours, peer);
}

} // namespace

int main()
{
    const char* pszPeerDir = getenv("ORB_PEER_DIR");
    const char* pszPop3 = getenv("ORB_POP3_PORT");
    const char* pszSmtp = getenv("ORB_SMTP_PORT");
    if (!pszPeerDir || !pszPop3 || !pszSmtp)
    {
        printf("the mail peers are not running (ORB_PEER_DIR, ORB_POP3_PORT, ORB_SMTP_PORT unset)\n");
        return 0;
    }
    BenchPop3(pszPeerDir, static_cast<UINT>(atoi(pszPop3)));
    BenchSmtp(pszPeerDir, static_cast<UINT>(atoi(pszSmtp)));
    return 0;
}

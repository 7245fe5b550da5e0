// POP3 download and SMTP sending speed of our clients beside Debian's mpop and msmtp, run against the same
// loopback servers (dovecot and the test SMTP server) in the same run. Prints ratios; asserts nothing.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/Exception.h"
#include "transport/Pop3.h"
#include "transport/Smtp.h"

namespace
{

const int kPop3Messages = 2000;
const int kSmtpMessages = 500;

double Seconds(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}

bool WriteFileText(const std::string& path, const std::string& bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, NULL);
    CloseHandle(hFile);
    return nWritten == bytes.size();
}

// Runs a shell script of the host and returns the seconds it reports, or -1. Wine starts host programs
// without a handle to wait on, so the script times itself and writes its result to a file that is polled.
double RunHostScript(const std::string& folder, const std::string& body)
{
    const std::string script = folder + "/peer.sh";
    const std::string result = folder + "/peer.result";
    DeleteFileA(WindowsPath(result).c_str());
    const std::string text = "#!/bin/sh\nstart=$(date +%s.%N)\n" + body +
                             "\nrc=$?\nend=$(date +%s.%N)\n"
                             "awk -v s=$start -v e=$end -v rc=$rc 'BEGIN { print rc, e - s }' > " +
                             result +
                             ".tmp\n"
                             "mv " +
                             result + ".tmp " + result + "\n";
    if (!WriteFileText(WindowsPath(script), text))
        return -1;
    std::string command = "/bin/sh " + script;
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return -1;
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    for (int i = 0; i < 4000; ++i)
    {
        FILE* f = fopen(WindowsPath(result).c_str(), "r");
        if (f)
        {
            int rc = -1;
            double seconds = -1;
            const int n = fscanf(f, "%d %lf", &rc, &seconds);
            fclose(f);
            return (n == 2 && rc == 0) ? seconds : -1;
        }
        Sleep(50);
    }
    return -1;
}

void PrintRatio(const char* pszWhat, const char* pszPeer, double ours, double peer)
{
    if (ours < 0 || peer <= 0)
    {
        printf("%s: ours %.2f s, %s did not run (%.2f)\n", pszWhat, ours, pszPeer, peer);
        return;
    }
    printf("%s: ours %.2f s, %s %.2f s, ratio ours/%s %.2f\n", pszWhat, ours, pszPeer, peer, pszPeer,
           ours / peer);
}

std::string BenchMessage(int n)
{
    std::string text = "From: <sender@example.com>\r\nTo: <bench@example.com>\r\nSubject: message " +
                       std::to_string(n) + "\r\n\r\n";
    for (int line = 0; line < 60; ++line)
        text += (line % 9 == 0 ? "." : "") + std::string("A line of a benchmark message body, number ") +
                std::to_string(line) + "\r\n";
    return text;
}

void BenchPop3(const std::string& peerDir, UINT nPort)
{
    const std::string mail = peerDir + "/dovecot/mail/bench";
    for (int i = 1; i <= kPop3Messages; ++i)
    {
        const std::string name = "bench" + std::to_string(i) + ".vorn";
        WriteFileText(WindowsPath(mail + "/tmp/" + name), BenchMessage(i));
        MoveFileA(WindowsPath(mail + "/tmp/" + name).c_str(), WindowsPath(mail + "/new/" + name).c_str());
    }
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

    const std::string target = peerDir + "/bench-mpop";
    const double peer = RunHostScript(
        peerDir,
        "rm -rf " + target + " && mkdir -p " + target + "/cur " + target + "/new " + target +
            "/tmp && mpop -C /dev/null --host=127.0.0.1 --port=" + std::to_string(nPort) +
            " --auth=user --user=bench --passwordeval='echo benchpw' --tls=off --keep=on --only-new=off"
            " --delivery=maildir," +
            target + " --uidls-file=" + target +
            "/uidls >/dev/null 2>&1 && "
            "[ $(ls " +
            target + "/new | wc -l) -eq " + std::to_string(kPop3Messages) + " ]");
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

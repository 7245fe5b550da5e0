// What the benchmarks against the loopback mail peers share.
#include "PeerBench.h"

#include <cstdio>

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

void FillBenchMailbox(const std::string& peerDir)
{
    std::vector<std::string> messages;
    for (int i = 1; i <= kPop3Messages; ++i)
        messages.push_back(BenchMessage(i));
    FillBenchMailbox(peerDir, messages);
}

void FillBenchMailbox(const std::string& peerDir, const std::vector<std::string>& messages)
{
    const std::string mail = peerDir + "/dovecot/mail/bench";
    for (const char* pszSub : {"/new/", "/cur/"})
    {
        const std::string folder = WindowsPath(mail + pszSub);
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        do
        {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + data.cFileName).c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    for (size_t i = 1; i <= messages.size(); ++i)
    {
        const std::string name = "bench" + std::to_string(i) + ".vorn";
        WriteFileText(WindowsPath(mail + "/tmp/" + name), messages[i - 1]);
        MoveFileA(WindowsPath(mail + "/tmp/" + name).c_str(), WindowsPath(mail + "/new/" + name).c_str());
    }
}

// mpop fetching the bench mailbox into a fresh Maildir, leaving the messages on the server; seconds or -1.
double RunMpop(const std::string& peerDir, UINT nPort, int nMessages)
{
    const std::string target = peerDir + "/bench-mpop";
    return RunHostScript(
        peerDir,
        "rm -rf " + target + " && mkdir -p " + target + "/cur " + target + "/new " + target +
            "/tmp && mpop -C /dev/null --host=127.0.0.1 --port=" + std::to_string(nPort) +
            " --auth=user --user=bench --passwordeval='echo benchpw' --tls=off --keep=on --only-new=off"
            " --delivery=maildir," +
            target + " --uidls-file=" + target +
            "/uidls >/dev/null 2>&1 && "
            "[ $(ls " +
            target + "/new | wc -l) -eq " + std::to_string(nMessages) + " ]");
}

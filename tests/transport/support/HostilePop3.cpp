// Starts and reads back the scripted hostile POP3 server of the receive tests.
#include "HostilePop3.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "PeerFiles.h"

namespace
{
bool WaitForFile(const std::string& path, DWORD dwTimeoutMs)
{
    const DWORD dwStart = ::GetTickCount();
    while (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(20);
    }
    return true;
}
} // namespace

CHostilePop3::CHostilePop3(const char* pszScenario)
{
    static int s_nServer = 0;
    char szName[64];
    wsprintfA(szName, "orb-hostile-pop3-%lu-%d", ::GetCurrentProcessId(), ++s_nServer);
    m_strUnixFolder = std::string("/tmp/") + szName + "/";
    m_strFolder = std::string("Z:\\tmp\\") + szName + "\\";
    ::CreateDirectoryA(m_strFolder.c_str(), NULL);
    std::string command = std::string("/usr/bin/python3 " ORB_TRANSPORT_SUPPORT_DIR "/hostile_pop3.py ") +
                          pszScenario + " " + m_strUnixFolder + "ready " + m_strUnixFolder + "state " +
                          m_strUnixFolder + "stop";
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    if (WaitForFile(m_strFolder + "ready", 30000))
        m_nPort = (UINT)atoi(ReadWholeFile(m_strFolder + "ready").c_str());
}

CHostilePop3::~CHostilePop3()
{
    HANDLE hStop = ::CreateFileA((m_strFolder + "stop").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hStop != INVALID_HANDLE_VALUE)
        ::CloseHandle(hStop);
    const DWORD dwStart = ::GetTickCount();
    while (::GetTickCount() - dwStart < 10000)
    {
        const std::vector<std::string> lines = StateLines();
        if (!lines.empty() && lines.back() == "final")
            break;
        ::Sleep(20);
    }
    for (const char* pszFile : {"ready", "state", "stop"})
        ::DeleteFileA((m_strFolder + pszFile).c_str());
    ::RemoveDirectoryA(m_strFolder.c_str());
}

std::vector<std::string> CHostilePop3::StateLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(m_strFolder + "state"));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> CHostilePop3::Remaining() const
{
    std::vector<std::string> subjects;
    for (const std::string& line : StateLines())
    {
        if (line.compare(0, 9, "remaining") != 0)
            continue;
        std::istringstream in(line.substr(9));
        std::string subject;
        while (in >> subject)
            subjects.push_back(subject);
    }
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

std::vector<std::vector<std::string>> CHostilePop3::Sessions() const
{
    std::vector<std::vector<std::string>> sessions;
    for (const std::string& line : StateLines())
    {
        if (line.compare(0, 8, "session ") != 0)
            continue;
        std::vector<std::string> commands;
        std::istringstream in(line.substr(8));
        std::string command;
        while (std::getline(in, command, '\t'))
            commands.push_back(command);
        sessions.push_back(commands);
    }
    return sessions;
}

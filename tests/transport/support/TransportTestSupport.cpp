// What the transport tests share: the loopback mail peers that ./test starts, and recorders for the
// message-box and clock seams.
#include "TransportTestSupport.h"

#include <cstdlib>

#include "foundation/ErrorUtil.h"

std::string EmptyPeerMailbox(const char* pszUser)
{
    const std::string mailbox = PeerFolder() + "dovecot\\mail\\" + pszUser + "\\";
    for (const char* sub : {"cur\\", "new\\", "tmp\\"})
    {
        for (const std::string& name : ListFiles(mailbox + sub))
            DeleteFileA((mailbox + sub + name).c_str());
    }
    // dovecot's own files (uidlist, keywords) would keep the old identifiers.
    for (const std::string& name : ListFiles(mailbox))
        DeleteFileA((mailbox + name).c_str());
    return mailbox;
}

bool DeliverToMailbox(const std::string& mailbox, const std::string& name, const std::string& bytes)
{
    const std::string temporary = mailbox + "tmp\\" + name;
    WriteWholeFile(temporary, bytes);
    return MoveFileA(temporary.c_str(), (mailbox + "new\\" + name).c_str()) != FALSE;
}

size_t MailboxMessageCount(const std::string& mailbox)
{
    return ListFiles(mailbox + "cur\\").size() + ListFiles(mailbox + "new\\").size();
}

std::vector<std::string> CMessageBoxRecorder::s_Texts;
std::vector<int> CMessageBoxRecorder::s_Answers;
HANDLE CMessageBoxRecorder::s_hSignal = NULL;

CMessageBoxRecorder::CMessageBoxRecorder(std::vector<int> answers, HANDLE hSignal)
{
    s_Texts.clear();
    s_Answers = answers;
    s_hSignal = hSignal;
    m_pfnPrevious = SetAppMessageBoxHook(Hook);
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetAppMessageBoxHook(m_pfnPrevious);
}

int CMessageBoxRecorder::Hook(const char* pszText, const char*, UINT, HWND)
{
    s_Texts.push_back(pszText);
    if (s_hSignal)
        SetEvent(s_hSignal);
    const size_t n = s_Texts.size() - 1;
    if (s_Answers.empty())
        return IDOK;
    return n < s_Answers.size() ? s_Answers[n] : s_Answers.back();
}

namespace
{
std::vector<std::string> FileLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ReadWholeFile(path);
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = text.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
        lines.push_back(text.substr(nStart, nEnd - nStart));
    return lines;
}

bool WaitForFile(const std::string& path, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    while (!FileExists(path))
    {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
} // namespace

CTricklePeer::CTricklePeer(const char* pszScenario) : m_nPort(0)
{
    static LONG s_nPeer = 0;
    char szUnix[MAX_PATH];
    wsprintfA(szUnix, "/tmp/orb-trickle-%lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&s_nPeer));
    m_strFolder = std::string("Z:") + szUnix;
    for (char& c : m_strFolder)
    {
        if (c == '/')
            c = '\\';
    }
    CreateDirectoryA(m_strFolder.c_str(), NULL);
    for (const char* pszName : {"port", "mailbox", "commands", "done"})
        DeleteFileA((m_strFolder + "\\" + pszName).c_str());
    std::string strCommand = std::string("/usr/bin/python3 " ORB_TRANSPORT_SUPPORT_DIR "/trickle_peer.py ") +
                             pszScenario + " " + szUnix;
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (WaitForFile(m_strFolder + "\\port", 30000))
        m_nPort = static_cast<UINT>(atoi(ReadWholeFile(m_strFolder + "\\port").c_str()));
}

CTricklePeer::~CTricklePeer()
{
    // A peer still running stops by itself when its time is up; its folder is left to it.
    if (!FileExists(m_strFolder + "\\done"))
        return;
    for (const char* pszName : {"port", "mailbox", "commands", "done"})
        DeleteFileA((m_strFolder + "\\" + pszName).c_str());
    RemoveDirectoryA(m_strFolder.c_str());
}

bool CTricklePeer::WaitDone(DWORD dwTimeoutMs)
{
    return m_nPort != 0 && WaitForFile(m_strFolder + "\\done", dwTimeoutMs);
}

std::vector<std::string> CTricklePeer::Mailbox() const
{
    return FileLines(m_strFolder + "\\mailbox");
}

std::vector<std::string> CTricklePeer::Commands() const
{
    return FileLines(m_strFolder + "\\commands");
}

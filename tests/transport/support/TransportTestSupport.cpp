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

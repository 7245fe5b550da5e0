// What the transport tests share: the loopback mail peers that ./test starts, and recorders for the
// message-box and clock seams.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The port of a peer from the environment ./test sets (ORB_POP3_PORT, ORB_SMTP_PORT); 0 when unset.
UINT PeerPort(const char* pszVariable);
// The peers' state folder as a Windows path ("Z:\..."), with a trailing backslash; empty when unset.
std::string PeerFolder();

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// Names of the plain files in a folder.
std::vector<std::string> ListFiles(const std::string& folder);

// Answers every message box with the next answer of a list (the last one repeating) and records the texts.
class CMessageBoxRecorder
{
public:
    explicit CMessageBoxRecorder(std::vector<int> answers, HANDLE hSignal = NULL);
    ~CMessageBoxRecorder();

    static std::vector<std::string> s_Texts;

private:
    static int Hook(const char* pszText, const char* pszCaption, UINT nStyle, HWND hWndOwner);
    static std::vector<int> s_Answers;
    static HANDLE s_hSignal;
    int (*m_pfnPrevious)(const char*, const char*, UINT, HWND);
};

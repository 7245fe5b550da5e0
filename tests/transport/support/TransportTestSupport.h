// What the transport tests share: the loopback mail peers that ./test starts, and recorders for the
// message-box and clock seams.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PeerFiles.h"

// A POP3 peer user's Maildir (dovecot\mail\<user>\ in the peer folder), emptied.
std::string EmptyPeerMailbox(const char* pszUser);
// Written in tmp and moved into new, so that the server never sees half a message; false when either failed.
bool DeliverToMailbox(const std::string& mailbox, const std::string& name, const std::string& bytes);
// The message files in cur and new.
size_t MailboxMessageCount(const std::string& mailbox);

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

// The scripted Python server of trickle_peer.py on 127.0.0.1, playing one scenario on one connection (lying
// sizes, lines with no end, replies that trickle). It stops by itself, bounded in time and bytes.
class CTricklePeer
{
public:
    explicit CTricklePeer(const char* pszScenario);
    ~CTricklePeer();
    // 0 when the server did not start.
    UINT Port() const { return m_nPort; }
    // Waits (at most the given time) until the server has stopped and written what it holds.
    bool WaitDone(DWORD dwTimeoutMs = 120000);
    // The subjects still on the server, and the command lines it received; valid after WaitDone.
    std::vector<std::string> Mailbox() const;
    std::vector<std::string> Commands() const;

private:
    std::string m_strFolder; // as Windows sees it
    UINT m_nPort;
};

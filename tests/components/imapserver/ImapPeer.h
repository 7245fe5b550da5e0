// The IMAP side of the dovecot peer that ./test starts: its port, its users, and doveadm to change their
// mail behind the component's back.
#pragma once

#include <windows.h>

#include <string>

struct CImapUser
{
    const char* pszName;
    const char* pszDelimiter;
};

// imapdot keeps Maildir++ folders ("."), imapfs a directory tree ("/").
extern const CImapUser kImapUsers[2];

UINT ImapPeerPort();
// Runs doveadm with the peer's configuration and the given arguments (a shell command line); its exit code,
// -1 when it could not run.
int Doveadm(const std::string& strArguments);
// Saves the bytes as a new message of the user's folder; its UID, 0 on failure.
unsigned SaveMessage(const char* pszUser, const std::string& strFolderUtf7, const std::string& strBytes);
// The user's Maildir as Windows sees it, with a trailing backslash.
std::string UserMaildir(const char* pszUser);

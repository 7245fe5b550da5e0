// Recording a deleted server message for the leave-on-server bookkeeping.
#pragma once

#include <windows.h>

#include <atldbcli.h>

class CDeletedMessagesImpl
{
public:
    explicit CDeletedMessagesImpl(CSession* pSession) : m_pSession(pSession) {}

    // Writes one DeletedMessages row dated emDate when the account exists; true when a row was written.
    // Failures are thrown.
    bool Record(HWND hOwner, const char* pszUniqueID, LONG nAccountID, DATE emDate);
    // Takes back a row Record wrote, when what it was written for did not happen.
    void Remove(HWND hOwner, const char* pszUniqueID, LONG nAccountID);

private:
    CSession* m_pSession;
};

// True when the folder is an IMAP folder (Type 14 or 15): its deletions are the server's business.
bool IsImapFolder(CSession* pSession, LONG nFolderID, HWND hOwner);

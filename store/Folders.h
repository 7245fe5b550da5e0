// Folder look-ups the rest of the program relies on: system folders found or created, types, counters.
#pragma once

#include "store/FoldersTable.h"

class CFolders : public CFoldersTable
{
public:
    explicit CFolders(CSession* pSession) : CFoldersTable(pSession) {}

    // The ID of the folder of nType, inserted when missing (Types 9-12 under pszName); -1 for a type that
    // cannot be created or when the table cannot be opened. nParentID 0: under Local Folders.
    LONG GetSystemFolder(LONG nType, HWND hWndOwner, const char* pszName = NULL, LONG nParentID = 0);
    // The Type of folder nID; 7 for an ID below 1.
    LONG SelectByID(LONG nID, HWND hWndOwner);
    void ChangeMessagesNumber(LONG nID, LONG nCount);
};

// Holds the process-crossing lock that makes a system folder's find-or-insert one step, so that two threads
// or two processes asking for a missing Inbox leave one Inbox. The owning thread may take it again.
class CSystemFolderLock
{
public:
    CSystemFolderLock();
    ~CSystemFolderLock();
    CSystemFolderLock(const CSystemFolderLock&) = delete;
    CSystemFolderLock& operator=(const CSystemFolderLock&) = delete;

private:
    HANDLE m_hMutex;
};

// Set when a folder was added; the thread manager clears it with the forwarding flag once it has
// forwarded its command, so that a burst of new folders posts one update.
extern volatile LONG g_bFolderAdded;
// Set by the thread manager while it forwards a command to the main window's children.
extern volatile LONG g_bForwardingCommand;

// What the folder tree asks of an IMAP account's client: the folder operations it hands to the server.
#pragma once

#include <windows.h>

#include <commctrl.h>

class CAccountsRecord;

class CImapFolderClient
{
public:
    virtual ~CImapFolderClient() {}

    virtual void CreateFolder(const char* pszPath) = 0;
    virtual void RenameFolder(const char* pszOldPath, const char* pszNewPath) = 0;
    virtual void DeleteFolder(LONG nFolderID, const char* pszPath) = 0;
    virtual void SelectFolder(LONG nFolderID, const char* pszPath, LONG nMessages) = 0;
    // Deletes the message of that unique identifier from the folder on the server; the folder's next
    // synchronisation removes its row. A client that cannot delete messages leaves them.
    virtual void DeleteMessage(LONG nFolderID, const char* pszPath, const char* pszUniqueID)
    {
        (void)nFolderID;
        (void)pszPath;
        (void)pszUniqueID;
    }
    // A call of the component's own that brackets a delete (slot 13) or ends a delete or rename (slot 15).
    virtual void CallComponent(int nSlot) = 0;
    // Lists the server's folders. The component reports each folder before the call returns, and the
    // event handling marks the tree's nodes of the folders it reports. False when the listing failed; a
    // client without a listing lists nothing.
    virtual bool ListFolders() { return false; }
    // The tree and the item a following command starts from: the account root for a listing, the folder
    // for a create, rename or delete. The client inserts, renames and marks items below it.
    virtual void UseTree(HWND hTree, HTREEITEM hItem)
    {
        (void)hTree;
        (void)hItem;
    }
};

// Makes the client of an IMAP account (server, login, password and port from the record) whose events
// report to hOwner; NULL when it cannot. Set by the IMAP client code, which owns that class.
typedef CImapFolderClient* (*ImapFolderClientFactory)(const CAccountsRecord& account, HWND hOwner);
ImapFolderClientFactory SetImapFolderClientFactory(ImapFolderClientFactory pfnFactory);
CImapFolderClient* MakeImapFolderClient(const CAccountsRecord& account, HWND hOwner);

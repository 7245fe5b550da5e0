// Folder look-ups the rest of the program relies on: system folders found or created, types, counters.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <vector>

#include "store/AccountsTable.h"
#include "store/EmailsImpl.h"
#include "store/FoldersTable.h"
#include "store/ImapFolderClient.h"

// The data of a folder tree item (its lParam): a copy of the folder's row and, for an IMAP account root,
// a copy of its account.
struct CFolderItemData
{
    CFoldersRecord folder;
    CAccountsRecord* pAccount = NULL;
    CImapFolderClient* pClient = NULL; // the account's IMAP client, made with the root item
    bool bListed = false;              // reported by the server's folder list that runs now

    ~CFolderItemData()
    {
        delete pClient;
        delete pAccount;
    }
};

// The folder tree and its commands over the Folders table; the current row is the current folder.
class CFolders : public CFoldersTable
{
public:
    explicit CFolders(CSession* pSession) : CFoldersTable(pSession) {}
    virtual ~CFolders() {}

    // Fills the tree with the folders, selecting nSelectID; with bSystemOnly only the local folders and,
    // below the top level, only Types 1-6.
    void CreateTree(HWND hTree, HWND hOwner, LONG nSelectID, BOOL bSystemOnly);
    void FillChildren(HWND hTree, LONG nParentID, HTREEITEM hParent, HWND hOwner, LONG nSelectID, BOOL bSystemOnly,
                      HTREEITEM& hSelect);
    // The tree's delete command: a folder outside Deleted Items moves there, one inside it goes for good,
    // each after a question. System folders are refused. Returns 1 when something was done; nNewParentID
    // is set when the folder moved.
    int DeleteCommand(HWND hOwner, HTREEITEM hItem, LONG& nNewParentID);
    // Deletes the current folder with its subfolders and messages; unless quiet, each message of this
    // folder is reported to the owner's message list.
    void DeleteFolder(HWND hOwner, BOOL bQuiet);
    void DeleteChildren(HWND hOwner);
    // Moves the item's folder into the folder the choice dialog gives. Returns 1 unless cancelled.
    int MoveFolder(HWND hOwner, HTREEITEM hItem, LONG& nNewParentID);
    // Writes a new parent for the current folder; refuses the folder itself and its descendants.
    void SetOwnerID(HWND hOwner, LONG nNewParentID);
    // Loads the parent row of the current folder; false at the top.
    bool SelectParent(HWND hOwner);
    HTREEITEM GetParentItem();
    // Loads folder nID as the current row; false when there is none.
    bool LoadFolder(LONG nID, HWND hOwner);
    // True when nCandidateID is nFolderID or lies below it.
    bool IsSelfOrDescendant(LONG nFolderID, LONG nCandidateID, HWND hOwner);
    // The folders that neither delete nor move may touch: Local Folders, the folders of Types 1-5, the
    // address-book folders and IMAP account roots.
    static bool IsSystemFolder(const CFoldersRecord& folder);
    // Frees the data of a tree item; the tree window calls it when the item goes.
    static void FreeItemData(LPARAM lParam);

    // The IMAP folder commands of the tree (Types 13-15); each returns 0 for any other folder.
    int CreateImapFolder(HWND hOwner, HTREEITEM hItem);
    int RenameImapFolder(HWND hOwner, HTREEITEM hItem);
    int DeleteImapFolder(HWND hOwner, HTREEITEM hItem, BOOL bConfirmed);
    // Selects the current folder (Types 14-15) on its server with the given message count.
    int RunImapFolderCommand(HWND hOwner, LONG nMessages);
    // Hands the unique identifiers of messages of the current folder (Types 14-15) to its account's IMAP
    // component for deletion on the server. Returns 0 for any other folder or without a component.
    int ImapDeleteMessages(HWND hOwner, const std::vector<CString>& uniqueIDs);
    // RunImapFolderCommand for every IMAP folder below the current one, depth first, in row order; a child
    // of another type ends the walk.
    void WalkImapFolders(HWND hOwner);

    // The ID of the folder of nType, inserted when missing (Types 9-12 under pszName); -1 for a type that
    // cannot be created or when the table cannot be opened. nParentID 0: under Local Folders.
    LONG GetSystemFolder(LONG nType, HWND hWndOwner, const char* pszName = NULL, LONG nParentID = 0);
    // The Type of folder nID; 7 for an ID below 1.
    LONG SelectByID(LONG nID, HWND hWndOwner);
    void ChangeMessagesNumber(LONG nID, LONG nCount);
    // The store's own counts of folder nID: its messages and, of them, the unread ones (the Emails rows
    // themselves, never the Folders counter, which is only a copy of them).
    void CountMessages(LONG nFolderID, LONG& nMessages, LONG& nUnread);
    // Sets nUnread of folder nID to the store's unread count and leaves that folder as the current row;
    // false when there is no such folder.
    bool SyncUnread(LONG nFolderID, HWND hOwner);
    // Sets nUnread of every folder to the store's unread count, in one statement.
    void SyncAllUnread();

    HWND m_hTree = NULL;
    HTREEITEM m_hItem = NULL;
    CAccountsRecord* m_pAccount = NULL;

private:
    // Runs act with the IMAP client of the current folder's account and the folder's path on the server;
    // false when the folder is not an IMAP folder or no client can be made.
    bool WithImapClient(HWND hOwner, const std::function<void(CImapFolderClient& client, const CString& strPath)>& act);
    // The item's data, or NULL.
    CFolderItemData* ItemData(HTREEITEM hItem);
    // Climbs from hItem to its account root item; strPath gets the names below the root down to hItem
    // joined with the account's delimiter. NULL when there is no root above.
    CFolderItemData* ImapRootOf(HTREEITEM hItem, CString& strPath, bool bWithItem = true);
    // True when the folder or any folder below it holds a message.
    bool HoldsMessages(LONG nFolderID, HWND hOwner);
    HTREEITEM InsertItem(HWND hTree, HTREEITEM hParent, const CFoldersRecord& folder, const char* pszText,
                         CAccountsRecord* pAccount, HWND hOwner = NULL);
};

// The item text of a folder; the tree window gives its own (with the unread count). Default: the name.
typedef void (*FolderItemFormatter)(const CFoldersRecord& folder, CString& strText);
FolderItemFormatter SetFolderItemFormatter(FolderItemFormatter pfnFormatter);
void FormatTreeItemText(const CFoldersRecord& folder, CString& strText);

// Deletes the store's current message for good (the message list's delete, which also records it for the
// leave-on-server bookkeeping). The default deletes its Address and Attachments rows and the row itself.
typedef HRESULT (*FolderMessageDeleter)(HWND hOwner, CEmailsImpl<>& store);
FolderMessageDeleter SetFolderMessageDeleter(FolderMessageDeleter pfnDeleter);

// The folder-choice dialog of Move: returns IDOK with the chosen folder, else IDCANCEL. canMoveInto vets
// a choice (showing why not) and keeps the dialog open when it says false. Without one, Move cancels.
typedef INT_PTR (*FolderChoiceDialog)(HWND hOwner, LONG nFolderID, LONG& nChosenID,
                                      const std::function<bool(LONG nChosenID)>& canMoveInto);
FolderChoiceDialog SetFolderChoiceDialog(FolderChoiceDialog pfnDialog);

// The Create and Rename Folder dialogs as the IMAP commands run them; the default shows the real ones.
typedef INT_PTR (*FolderNameDialog)(HWND hOwner, bool bRename, CString& strName);
FolderNameDialog SetFolderNameDialog(FolderNameDialog pfnDialog);

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

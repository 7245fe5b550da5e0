// The folder tree's, the message list's and the receive run's hold on an account's IMAP client: every
// holder of one account shares one client object, made with the first hold and gone with the last.
#pragma once

#include <windows.h>

#include <memory>

#include "store/ImapFolderClient.h"
#include "transport/IMAPwrapperAccount.h"

class CImapAccountClient : public CImapFolderClient
{
public:
    CImapAccountClient(std::shared_ptr<CIMAPwrapperAccount> account, HWND hOwner);

    void CreateFolder(const char* pszPath) override;
    void RenameFolder(const char* pszOldPath, const char* pszNewPath) override;
    void DeleteFolder(LONG nFolderID, const char* pszPath) override;
    void SelectFolder(LONG nFolderID, const char* pszPath, LONG nMessages) override;
    void DeleteMessage(LONG nFolderID, const char* pszPath, const char* pszUniqueID) override;
    void CallComponent(int nSlot) override;
    bool ListFolders() override;
    void UseTree(HWND hTree, HTREEITEM hItem) override;

    CIMAPwrapperAccount& Account() { return *m_pAccount; }

private:
    // Runs a command of the tree, whose window procedure no exception may leave: a failure is shown.
    bool Shown(const std::function<void()>& command);

    std::shared_ptr<CIMAPwrapperAccount> m_pAccount;
    HWND m_hOwner;
    int m_nRenames = 0;          // renames since the last end of a folder command
    bool m_bRenameFailed = false; // the folders below stay where they are
};

// The factory of account clients that the store uses; NULL when the component cannot be made.
CImapFolderClient* MakeImapAccountClient(const CAccountsRecord& account, HWND hOwner);
// Makes the folder tree, the message list and the receive run use the real account clients.
void InstallImapClient();

// The receive of an IMAP account: the walk over its folders through the account's IMAP client.
#include "transport/ImapAccountWalk.h"

#include <memory>

#include "store/Folders.h"
#include "store/MessageTableSupport.h"

namespace
{
// Every IMAP folder below the account's root, each compared with the server's copy.
void WalkAccountFolders(CAccountsTable& account, HWND hOwner)
{
    if (account.m_IncomingServerType != INCOMING_SERVER_IMAP)
        return;
    CSession* pSession = &GetOwnerDatabase(hOwner, NULL)->m_session;
    CFolders folders(pSession);
    folders.SelectByTypeAndName(FOLDER_IMAP_ACCOUNT, CString(account.m_szDisplayName).Left(100));
    if (folders.MoveNext() != S_OK)
        return;
    const LONG nRoot = folders.m_ID;
    folders.Close();
    // One hold for the whole walk: the folders share the account's connection instead of each making one.
    std::unique_ptr<CImapFolderClient> hold(MakeImapFolderClient(account, hOwner));
    if (hold == NULL || !folders.LoadFolder(nRoot, hOwner))
        return;
    folders.WalkImapFolders(hOwner);
}

ImapAccountWalker s_pfnWalker = WalkAccountFolders;
} // namespace

ImapAccountWalker SetImapAccountWalker(ImapAccountWalker pfnWalker)
{
    ImapAccountWalker pfnPrevious = s_pfnWalker;
    s_pfnWalker = pfnWalker != NULL ? pfnWalker : WalkAccountFolders;
    return pfnPrevious;
}

void WalkIMAPFolders(CAccountsTable& account, HWND hOwner)
{
    s_pfnWalker(account, hOwner);
}

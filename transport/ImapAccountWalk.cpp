// The receive of an IMAP account: the walk over its folders through the account's IMAP client.
#include "transport/ImapAccountWalk.h"

namespace
{
ImapAccountWalker s_pfnWalker = NULL;
}

ImapAccountWalker SetImapAccountWalker(ImapAccountWalker pfnWalker)
{
    ImapAccountWalker pfnPrevious = s_pfnWalker;
    s_pfnWalker = pfnWalker;
    return pfnPrevious;
}

void WalkIMAPFolders(CAccountsTable& account, HWND hOwner)
{
    if (s_pfnWalker != NULL)
        s_pfnWalker(account, hOwner);
}

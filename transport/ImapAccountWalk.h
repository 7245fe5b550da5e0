// The receive of an IMAP account: the walk over its folders through the account's IMAP client.
#pragma once

#include <windows.h>

#include "store/AccountsTable.h"

// The walk over the account's folders below its root, through its IMAP client; a test sets its own (NULL:
// the real one again).
typedef void (*ImapAccountWalker)(CAccountsTable& account, HWND hOwner);
ImapAccountWalker SetImapAccountWalker(ImapAccountWalker pfnWalker);
void WalkIMAPFolders(CAccountsTable& account, HWND hOwner);

// The receive of an IMAP account: the walk over its folders through the account's IMAP client.
#pragma once

#include <windows.h>

#include "store/AccountsTable.h"

// Set by the IMAP client code, which owns the walk; without one an IMAP account receives nothing.
typedef void (*ImapAccountWalker)(CAccountsTable& account, HWND hOwner);
ImapAccountWalker SetImapAccountWalker(ImapAccountWalker pfnWalker);
void WalkIMAPFolders(CAccountsTable& account, HWND hOwner);

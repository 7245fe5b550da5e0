// The From list of a new message: every account, with the one the message should go out from selected.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <vector>

#include "ui/compose/ComposeFields.h"

struct CFromAccount
{
    LONG nID;
    CString strText; // "address (display name)"
};

// Reads every account in table order and chooses the selected one: a draft goes out from its own From
// address; otherwise an account addressed by the source message's To or Cc (with a Simple MAPI message:
// its originator) wins, and the user's default account when none is. The last that qualifies wins.
// nSelected is -1 when none qualifies.
void ListFromAccounts(CSession* pSession, const CComposeFields& fields, bool bMapiMessage,
                      std::vector<CFromAccount>& accounts, int& nSelected, HWND hOwner);

// Fills the From combo box; when there is no account the new-account wizard is offered first. False when
// there is still none (the wizard was cancelled): the window then closes.
bool FillFromCombo(HWND hWndCombo, CSession* pSession, const CComposeFields& fields, bool bMapiMessage,
                   HWND hOwner);

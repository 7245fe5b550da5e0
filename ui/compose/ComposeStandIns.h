// Operations of the address book, the vCard writer and the account wizard that the compose code calls,
// in their simplest form until those windows exist.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

// One recipient field resolved: the entries (split at ";") joined with "; "; bOk 0 when the field cannot
// be read as a list (the result is then empty).
CString ResolveRecipients(const CString& strText, int& bOk, HWND hOwner = NULL);

// Writes the user's own business card to a temporary file; false when there is none to write.
bool WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath);

// True when an account exists (the wizard would be offered when none does).
BOOL AddAccountWithWizard(CSession* pSession, HWND hOwner = NULL);

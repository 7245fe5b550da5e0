// Operations of the address book, the vCard writer and the account wizard that the compose code calls,
// in their simplest form until those windows exist.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <vector>

// One recipient field resolved through the address book: the entries (split at ";") joined with "; "; bOk 0
// when the field cannot be read as a list or the user cancelled a name's choice (the result is then empty).
CString ResolveRecipients(const CString& strText, int& bOk, HWND hOwner = NULL);

// Writes the user's own business card to a temporary file; false when there is none to write (the vCard
// handler's, ui/addressbook/VcardHandler.cpp).
bool WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath);

// The address book's search of contacts by a typed name (already quoted for SQL): the condition appended
// to the contacts query, on the contacts whose first name or surname begins with it.
CString ContactNameSearchWhere(const CString& strQuotedEntry);

class CAccountsRecord;

// True when an account exists; when none does, the new-account wizard is offered and the account it makes
// is added. FALSE when there is still none (the user cancelled the wizard).
BOOL AddAccountWithWizard(CSession* pSession, HWND hOwner = NULL);
// The new-account wizard over a cleared record (1: finished); set by the accounts dialogs, NULL offers none.
extern int (*ComposeAccountWizard)(CAccountsRecord& record, HWND hWndParent);

// The Select Recipients dialog over the lists it is given (NULL: that well is not offered); the user edits
// them and IDOK is returned. The same form as the Simple MAPI picker, so one dialog serves both; NULL
// offers none.
typedef INT_PTR (*ComposeRecipientPicker)(HWND hWndOwner, const char* pszCaption, const char* pszToLabel,
                                         CString* pstrTo, CString* pstrCc, CString* pstrBcc);
extern ComposeRecipientPicker ComposeSelectRecipients;

// The contact picker of Business Card...: the chosen contacts' IDs; false when the user cancelled. NULL
// until the address book registers one, and the command then does nothing.
typedef bool (*ComposeContactPicker)(HWND hWndOwner, const char* pszTitle, const char* pszButton,
                                     const char* pszPrompt, std::vector<LONG>& contactIDs);
extern ComposeContactPicker ComposeSelectContacts;

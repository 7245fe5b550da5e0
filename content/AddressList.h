// Recipient lists: splitting a typed or received list into entries and formatting each entry.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <vector>

// Splits text at separator where it stands outside quoted strings, comments and angle brackets, as
// RFC 5322 reads a list: a group ("Team: a@x.com, b@y.com;") gives its members, a comment may give a
// name. With pszNameTag each entry's display name gets the tag; with bResolve (a list the user typed)
// each entry is looked up in the address book and left out when the look-up refuses it, and a misplaced
// quote or bracket shows "Invalid address:" and returns FALSE, keeping the entries added before. Without
// bResolve (a received header) no box is shown and no entry without an address is added.
BOOL ParseAddressList(const CString& text, std::vector<CString>& list, char separator = ',',
                      const char* pszNameTag = NULL, BOOL bResolve = FALSE, HWND hWndOwner = NULL);

// Appends the entry as "name" <address> (the name as RFC 2047 words when it needs them); returns its index.
int AddAddressToList(std::vector<CString>& list, CString& entry);

// The address book registers its look-up here (FindContactsByName): it may rewrite the entry and answers
// 0 to leave it out. Without one, every entry is accepted as it is.
typedef int (*FindContactsByNameProc)(CString& entry, HWND hWndOwner);
void SetFindContactsByNameProc(FindContactsByNameProc pfnProc);

// The contacts that match a typed text: the condition of a contact search and the query opened on it.
#pragma once

#include <windows.h>

#include "store/ContactsTable.h"

class CAddressSearch
{
public:
    // The condition after the contacts select: a text with a blank is a first name (equal) and the start of a
    // surname; one word is the start of a first name, or with bEither of a first name or an address. pszPrefix
    // goes before the text in each LIKE ("%" finds it anywhere). The text is matched literally: its quotes and
    // LIKE wildcards are escaped.
    static CString WhereText(const char* pszText, const char* pszPrefix, BOOL bEither);
    // Opens the holder's rowset on the contacts select (with the owner's filter) and that condition.
    static void BuildWhere(CContactsTableHolder& holder, HWND hOwner, const char* pszText, const char* pszPrefix,
                           BOOL bEither);
};

// Text services of the dialogs and tables: SQL quoting and splitting an address into name and address.
#pragma once

#include <atlstr.h>

// Every "'" doubled, for a SQL string literal.
CString SqlQuote(const char* pszText);

// "Name <address>" gives both (double quotes dropped from the name), "...<address>" only the address;
// otherwise the whole text is the address when it has an "@", else the name.
void SplitAddress(const char* pszText, CString& strName, CString& strAddress);

// The main window's Import > Address Book command, without the address book library's headers (they clash
// with Simple MAPI's).
#pragma once

#include <windows.h>

// Runs the import with the wait cursor and says why the book did not open.
void ImportWindowsAddressBook(HWND hWndMain);

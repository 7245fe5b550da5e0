// How the accounts dialog opens the options sheet on a given page: one replaceable call, so that the sheet
// and the dialogs that open it are built and tested apart.
#pragma once

#include <windows.h>

class CRegistry;

struct COptionsSheetCall
{
    // Runs the options sheet modally over hWndParent with the owner frame's objects, starting on the page
    // of that index; returns 1 after OK.
    static INT_PTR (*Run)(CRegistry* pRegistry, HWND hOwner, HWND hWndParent, int nStartPage);
};

// The index of the Accounts page in the options sheet (CSheetOptions::PAGE_ACCOUNTS).
const int kOptionsPageAccounts = 3;

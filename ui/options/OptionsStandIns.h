// The windows the option pages open from other parts, each a replaceable function with the call the page
// makes: the Internet Accounts dialog (installed with the accounts dialogs at start-up) and the contact
// Properties dialog (a stand-in until the address book is built).
#pragma once

#include <windows.h>

class CContactNameRecord;

struct COptionsStandIns
{
    // The Internet Accounts dialog of the owner frame, modal over hWndParent.
    static INT_PTR (*RunAccountsDialog)(HWND hWndOwner, HWND hWndParent);
    // The contact Properties dialog over a contact's row, modal over hWndParent; IDOK when it changed it.
    static INT_PTR (*RunContactProperties)(HWND hWndParent, CContactNameRecord& contact);
};

// Stand-ins of the windows the option pages open from parts that are not built here: the Internet Accounts
// dialog and the contact Properties dialog. Each is a replaceable function with the call the page makes.
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

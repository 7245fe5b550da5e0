// The message properties sheet: one "Details" page with the header and the full source on request.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "store/EmailsImpl.h"
#include "transport/WndText.h"

// The page's state, reachable from the sheet's caller for tests.
struct CPageMessageDetails
{
    CEmailsImpl<>* pStore = NULL;
    CWndText source;
};

// Runs the sheet modally over the top-level window of its owner; its title is the message's subject.
INT_PTR ShowMessageProperties(HWND hWndOwner, CEmailsImpl<>& store);

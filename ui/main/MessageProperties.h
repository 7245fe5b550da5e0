// The message properties sheet: one "Details" page with the header and the full source on request.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "store/EmailsImpl.h"

// A top-level read-only text window; a text longer than an edit control holds is cut after a warning.
class CWndText
{
public:
    enum
    {
        kMaxText = 32767
    };
    static HWND Create(HWND hWndOwner, const char* pszTitle, const CString& strText);
};

// The page's state, reachable from the sheet's caller for tests.
struct CPageMessageDetails
{
    CEmailsImpl<>* pStore = NULL;
    HWND hWndSource = NULL;
};

// Runs the sheet modally over the active window; its title is the message's subject.
INT_PTR ShowMessageProperties(CEmailsImpl<>& store);

// A modal dialog from the resources that only shows texts and closes on Cancel or on one button of its own.
#pragma once

#include <windows.h>

#include <cstddef>

struct DlgItemText
{
    int nID;
    const char* pszText;
};

// Returns the id of the button that closed it (IDCANCEL also for Esc and the close box), -1 on failure.
INT_PTR DoModalTextDialog(HWND hWndOwner, int nIDD, const DlgItemText* pItems, size_t nItems, int nIDClose);

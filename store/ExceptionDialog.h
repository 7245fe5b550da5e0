// The exception dialog as the store calls it, with a seam for tests.
#pragma once

#include <windows.h>

// Stand-in until the transport's exception dialog exists: shows the text in a message box with the stop
// icon, so the dialog auto-responder of the tests answers it like any other box.
void ShowExceptionDialog(HWND hOwner, const char* pszText);

typedef void (*ExceptionDialogHook)(HWND hOwner, const char* pszText);
ExceptionDialogHook SetExceptionDialogHook(ExceptionDialogHook pfnHook);

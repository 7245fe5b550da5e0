// The database file dialog and the central database dialog that a failed open offers.
#pragma once

#include <windows.h>

#include <atlstr.h>

enum
{
    IDD_DATABASE_FILE = 205,
    IDD_ORB_DATABASE = 293
};

// Prompt, path edit and Browse. IDOK copies the edited path into strPath; else IDCANCEL.
INT_PTR DoDatabaseFileDialog(HWND hOwner, const char* pszPrompt, CString& strPath);
// The same plus the connect-to-central and private-contacts switches, which OK stores.
INT_PTR DoOrbDatabaseDialog(HWND hOwner, const char* pszPrompt, CString& strPath);

// Seam for tests: receives the dialog id, the prompt and the path instead of the dialog.
typedef INT_PTR (*DatabaseDialogHook)(int nDialog, const char* pszPrompt, CString& strPath);
DatabaseDialogHook SetDatabaseDialogHook(DatabaseDialogHook pfnHook);

// The Create Folder and Rename Folder dialogs: one name of at most 99 characters.
#pragma once

#include <windows.h>

#include <atlstr.h>

enum
{
    IDD_CREATE_FOLDER = 125,
    IDD_RENAME_FOLDER = 126,
    IDC_FOLDER_NAME_LABEL = 295,
    IDC_FOLDER_NAME = 296
};

// Runs the dialog modally; the rename dialog starts with strName. OK ends it only with a name that fits
// (the field check complains otherwise) and leaves the name in strName; Cancel gives IDCANCEL.
INT_PTR DoFolderNameDialog(HWND hOwner, bool bRename, CString& strName);

// What the main window opens from other parts of the program, stand-ins until those parts exist: the
// options sheet (real), the accounts dialog, the message-rules sheet, the update check
// and the shell association. Each is a replaceable function with the call the main window makes; the
// association's questions read the registry and the settings as the shell registration leaves them.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CRegistry;

struct CMainDialogs
{
    // The options sheet for the owner frame, whose "Get" messages the pages use.
    static INT_PTR (*RunOptionsSheet)(HWND hWndOwner);
    static INT_PTR (*RunAccountsDialog)(HWND hWndParent);
    static INT_PTR (*RunMessageRulesSheet)(HWND hWndParent);
    // The update check of the updater client; bPrompt asks before downloading.
    static void (*StartUpdateCheck)(bool bPrompt);
    static bool (*Associate)();
    // strHandler receives the handler the old values name.
    static bool (*RestoreAssociation)(CString& strHandler);

    // What the association items are enabled by: whether message files open with this program, whether
    // the handler they opened with before is saved, and the host program's path (empty when unknown).
    static bool (*IsDocumentTypeRegistered)();
    static bool (*HasOldFileTypeId)(CRegistry* pRegistry);
    static CString (*ExecutablePath)();
};

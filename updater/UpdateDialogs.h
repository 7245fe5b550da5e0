// The update dialog (versions list), the download dialog, their progress pane and the About box.
#pragma once

#include <windows.h>

class CoUpdate;

// Modal, owned by hWndOwner; both end when the user cancels or the download worker posts ID_END_DIALOG.
INT_PTR ShowUpdateDialog(CoUpdate* pUpdate, HWND hWndOwner);
INT_PTR ShowDownloadDialog(CoUpdate* pUpdate, HWND hWndOwner);

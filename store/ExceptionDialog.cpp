// The exception dialog as the store calls it.
#include "store/ExceptionDialog.h"

#include "foundation/ErrorUtil.h"

static ExceptionDialogHook s_pfnHook = NULL;

ExceptionDialogHook SetExceptionDialogHook(ExceptionDialogHook pfnHook)
{
    ExceptionDialogHook pfnOld = s_pfnHook;
    s_pfnHook = pfnHook;
    return pfnOld;
}

void ShowExceptionDialog(HWND hOwner, const char* pszText)
{
    if (s_pfnHook != NULL)
    {
        s_pfnHook(hOwner, pszText);
        return;
    }
    AppMessageBox(pszText, MB_OK | MB_ICONSTOP, hOwner != NULL ? hOwner : GetActiveWindow());
}

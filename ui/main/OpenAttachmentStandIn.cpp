// Opening an attachment's stand-in.
#include "ui/main/OpenAttachmentStandIn.h"

#include "platform/wtl/SystemSeams.h"

void OpenAttachmentFile(HWND hWndOwner, const char* pszPath)
{
    CSystemSeams::ShellExecuteFile(hWndOwner, "open", pszPath, NULL, NULL, SW_SHOWNORMAL);
}

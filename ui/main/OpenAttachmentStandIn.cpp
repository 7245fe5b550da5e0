// Opening an attachment's stand-in.
#include "ui/main/OpenAttachmentStandIn.h"

#include "platform/wtl/SystemSeams.h"

void OpenAttachmentFile(HWND hWndOwner, const char* pszFolder, const char* pszFileName)
{
    CSystemSeams::ShellExecuteFile(hWndOwner, "open", pszFileName, NULL, pszFolder, SW_SHOWNORMAL);
}

// Stand-in of opening an attachment through the virus warning until that exists: the file is opened by
// the shell at once.
#pragma once

#include <windows.h>

void OpenAttachmentFile(HWND hWndOwner, const char* pszFolder, const char* pszFileName);

// The business-card commands of the contact lists, which do nothing until the vCard reader and writer exist.
#pragma once

#include <windows.h>

void ImportBusinessCard(HWND hOwner);
void ExportBusinessCard(HWND hOwner, LONG nContactID);

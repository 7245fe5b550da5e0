// The business-card commands' stand-ins.
#include "ui/addressbook/VcardStandIns.h"

void ImportBusinessCard(HWND)
{
}

void ExportBusinessCard(HWND, LONG)
{
}

// Until the options sheet is linked in, opening it changes nothing.
#include "ui/options/OptionsSheetCall.h"

namespace
{
INT_PTR NotShown(CRegistry*, HWND, HWND, int)
{
    return IDCANCEL;
}
} // namespace

INT_PTR (*COptionsSheetCall::Run)(CRegistry*, HWND, HWND, int) = NotShown;

// The stand-ins change nothing and report that nothing changed.
#include "ui/options/OptionsStandIns.h"

namespace
{
INT_PTR NoAccountsDialog(HWND, HWND)
{
    return IDCANCEL;
}
INT_PTR NoContactProperties(HWND, CContactNameRecord&)
{
    return IDCANCEL;
}
} // namespace

INT_PTR (*COptionsStandIns::RunAccountsDialog)(HWND, HWND) = NoAccountsDialog;
INT_PTR (*COptionsStandIns::RunContactProperties)(HWND, CContactNameRecord&) = NoContactProperties;

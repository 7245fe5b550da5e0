// The stand-ins do nothing and report that nothing changed.
#include "ui/main/MainDialogStandIns.h"

namespace
{
INT_PTR Cancelled(HWND)
{
    return IDCANCEL;
}
void Nothing(HWND) {}
void NoUpdate(bool) {}
bool NotAssociated()
{
    return false;
}
bool NotRestored(CString&)
{
    return false;
}
} // namespace

INT_PTR (*CMainDialogs::RunOptionsSheet)(HWND) = Cancelled;
INT_PTR (*CMainDialogs::RunAccountsDialog)(HWND) = Cancelled;
INT_PTR (*CMainDialogs::RunMessageRulesSheet)(HWND) = Cancelled;
void (*CMainDialogs::ImportAddressBook)(HWND) = Nothing;
void (*CMainDialogs::StartUpdateCheck)(bool) = NoUpdate;
bool (*CMainDialogs::Associate)() = NotAssociated;
bool (*CMainDialogs::RestoreAssociation)(CString&) = NotRestored;

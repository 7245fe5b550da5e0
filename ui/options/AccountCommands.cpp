// The accounts dialogs as the main and compose windows call them.
#include "ui/options/AccountCommands.h"

#include "ui/compose/ComposeStandIns.h"
#include "ui/main/MainDialogStandIns.h"
#include "ui/options/AccountWizard.h"
#include "ui/options/DlgInternetAccounts.h"
#include "ui/options/OptionsSheetCall.h"
#include "ui/options/OptionsStandIns.h"
#include "ui/options/SheetOptions.h"

namespace
{
// The sheet finds the owner frame's objects by asking the owner.
INT_PTR SheetFromAccountsDialog(CRegistry*, HWND hOwner, HWND, int nStartPage)
{
    return RunOptionsSheet(hOwner, (UINT)nStartPage);
}

INT_PTR AccountsDialogFromOptions(HWND hWndOwner, HWND)
{
    return RunInternetAccountsDialog(hWndOwner);
}
} // namespace

void InstallAccountDialogs()
{
    CMainDialogs::RunAccountsDialog = RunInternetAccountsDialog;
    ComposeAccountWizard = RunNewAccountWizard;
    COptionsSheetCall::Run = SheetFromAccountsDialog;
    COptionsStandIns::RunAccountsDialog = AccountsDialogFromOptions;
}

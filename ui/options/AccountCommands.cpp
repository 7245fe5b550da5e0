// The accounts dialogs as the main and compose windows call them.
#include "ui/options/AccountCommands.h"

#include "ui/compose/ComposeStandIns.h"
#include "ui/main/MainDialogStandIns.h"
#include "ui/options/AccountWizard.h"
#include "ui/options/DlgInternetAccounts.h"

void InstallAccountDialogs()
{
    CMainDialogs::RunAccountsDialog = RunInternetAccountsDialog;
    ComposeAccountWizard = RunNewAccountWizard;
}

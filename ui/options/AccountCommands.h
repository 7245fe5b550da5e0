// Hands the accounts dialog and the new-account wizard to the windows that open them.
#pragma once

// The main window's Accounts command and the compose window's first-account wizard.
void InstallAccountDialogs();

// What the main window opens: the options sheet, the shell association and the update check are real; the
// accounts dialog, the rules sheet and the address-book import stand-ins do nothing.
#include "ui/main/MainDialogStandIns.h"

#include "app/InternetUpdate.h"
#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
#include "app/ShellFileTypes.h"
#include "foundation/Registry.h"
#include "ui/options/SheetOptions.h"

namespace
{
INT_PTR Cancelled(HWND)
{
    return IDCANCEL;
}
INT_PTR OptionsSheet(HWND hWndOwner)
{
    return RunOptionsSheet(hWndOwner, CSheetOptions::PAGE_GENERAL);
}
bool AssociateWithoutPrompt()
{
    CShellFileTypes::Register(g_pLetrova, FALSE);
    return true;
}
bool RestoreOldAssociation(CString& strHandler)
{
    strHandler = CShellFileTypes::RestoreOld(g_pLetrova);
    return true;
}
bool EmlOpensWithUs()
{
    return CShellFileTypes::IsDocumentTypeRegistered();
}
bool OldFileTypeSaved(CRegistry* pRegistry)
{
    return CShellFileTypes::HasOldFileTypeId(pRegistry);
}

CString HostExecutablePath()
{
    return g_pLetrova != NULL ? g_pLetrova->m_strExePath : CString();
}
} // namespace

INT_PTR (*CMainDialogs::RunOptionsSheet)(HWND) = OptionsSheet;
INT_PTR (*CMainDialogs::RunAccountsDialog)(HWND) = Cancelled;
INT_PTR (*CMainDialogs::RunMessageRulesSheet)(HWND) = Cancelled;
void (*CMainDialogs::StartUpdateCheck)(bool) = StartInternetUpdate;
bool (*CMainDialogs::Associate)() = AssociateWithoutPrompt;
bool (*CMainDialogs::RestoreAssociation)(CString&) = RestoreOldAssociation;
bool (*CMainDialogs::IsDocumentTypeRegistered)() = EmlOpensWithUs;
bool (*CMainDialogs::HasOldFileTypeId)(CRegistry*) = OldFileTypeSaved;
CString (*CMainDialogs::ExecutablePath)() = HostExecutablePath;

// The stand-ins do nothing and report that nothing changed; the options sheet is the real one.
#include "ui/main/MainDialogStandIns.h"

#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
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
void NoUpdate(bool) {}
bool NotAssociated()
{
    return false;
}
bool NotRestored(CString&)
{
    return false;
}

// The class that the shell registration gives message files.
const char kDocumentClass[] = "VornVizozi.Document";

bool EmlOpensWithUs()
{
    char szClass[520] = "";
    LONG cbClass = sizeof(szClass);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, ".eml", szClass, &cbClass) != ERROR_SUCCESS)
        return false;
    return strcmp(szClass, kDocumentClass) == 0;
}

bool OldFileTypeSaved(CRegistry* pRegistry)
{
    return pRegistry != NULL && !pRegistry->GetProfileString("Options", "Old File TypeId", "").IsEmpty();
}

CString HostExecutablePath()
{
    return g_pLetrova != NULL ? g_pLetrova->m_strExePath : CString();
}
} // namespace

INT_PTR (*CMainDialogs::RunOptionsSheet)(HWND) = OptionsSheet;
INT_PTR (*CMainDialogs::RunAccountsDialog)(HWND) = Cancelled;
INT_PTR (*CMainDialogs::RunMessageRulesSheet)(HWND) = Cancelled;
void (*CMainDialogs::StartUpdateCheck)(bool) = NoUpdate;
bool (*CMainDialogs::Associate)() = NotAssociated;
bool (*CMainDialogs::RestoreAssociation)(CString&) = NotRestored;
bool (*CMainDialogs::IsDocumentTypeRegistered)() = EmlOpensWithUs;
bool (*CMainDialogs::HasOldFileTypeId)(CRegistry*) = OldFileTypeSaved;
CString (*CMainDialogs::ExecutablePath)() = HostExecutablePath;

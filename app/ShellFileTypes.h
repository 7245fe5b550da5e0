// CShellFileTypes: makes the host program the system's mail client (mailto, ".eml", ".vcf", the mail
// clients key and the SendTo shortcut), keeping the replaced values in the settings to restore them.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CLetrova;
class CRegistry;

namespace ShellText
{
const char kDocumentClass[] = "VornVizozi.Document";
const char kVcardClass[] = "VornVizozi.vcard";
const char kClientName[] = "OrbMail";
const char kMailClientsKey[] = "SOFTWARE\\Clients\\Mail";
const char kOptions[] = "Options";
const char kOldFileTypeId[] = "Old File TypeId";
const char kOldMailTo[] = "Old Mail To";
const char kOldMailToIcon[] = "Old Mail To Default Icon";
const char kOldDefaultClient[] = "Old Default Mail Client";
const char kOldVcardId[] = "Old Vcard Id";
const char kDisplayAssociatePrompt[] = "Display associate prompt";
const char kShortcutName[] = "\\Email To.lnk";
} // namespace ShellText

class CShellFileTypes
{
public:
    // With bPrompt the user is asked first (unless told not to be) when another client holds the types.
    static void Register(CLetrova* pLetrova, BOOL bPrompt);
    // Writes the saved values back; returns the saved class of ".eml".
    static CString RestoreOld(CLetrova* pLetrova);
    static bool IsDocumentTypeRegistered();
    static bool HasOldFileTypeId(CRegistry* pRegistry);

    // The shell command lines for the host program at strExe.
    static CString MailToCommand(const CString& strExe);
    static CString QuotedExe(const CString& strExe);
};

// Rewrites the link unless it already points at the target with these arguments; returns the save result.
HRESULT UpdateShortcut(const char* pszTarget, const char* pszLinkFile, const char* pszDescription,
                       const char* pszArguments);

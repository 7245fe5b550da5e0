// The shell registration of the host program and its undoing.
#include "app/ShellFileTypes.h"

#include <shlobj.h>

#include <atlbase.h>

#include "app/DlgPromptYesNo.h"
#include "app/Letrova.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "resources/resource.h"

// This library's own image, whichever process loaded it.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace
{
const DWORD kMaxValueChars = 520;
const BYTE kEditFlags[4] = {2, 0, 0, 0};
const char kMailToClass[] = "URL:MailTo Protocol";

CString LoadText(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

// The default value of an HKCR key, empty when the key or the value is missing.
CString ReadClassesValue(const char* pszKey)
{
    char szValue[kMaxValueChars] = "";
    LONG cbValue = sizeof(szValue);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, pszKey, szValue, &cbValue) != ERROR_SUCCESS)
        return CString();
    szValue[kMaxValueChars - 1] = '\0';
    return szValue;
}

CString ReadValue(HKEY hRoot, const char* pszKey, const char* pszName)
{
    char szValue[kMaxValueChars] = "";
    DWORD cbValue = sizeof(szValue);
    if (::RegGetValueA(hRoot, pszKey, pszName, RRF_RT_REG_SZ, NULL, szValue, &cbValue) != ERROR_SUCCESS)
        return CString();
    return szValue;
}

CString ModulePath()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), szPath, MAX_PATH);
    return szPath;
}

CRegistry* SettingsOf(CLetrova* pLetrova)
{
    return pLetrova != NULL ? &pLetrova->m_registry : g_pRegistry;
}

void WriteClientTree(const CString& strExe)
{
    CString strClient = CString(ShellText::kMailClientsKey) + "\\" + ShellText::kClientName;
    CString strProtocol = strClient + "\\Protocols\\mailto";
    CString strCaption = LoadText(IDS_PROJNAME);
    CString strQuoted = CShellFileTypes::QuotedExe(strExe);
    SetRegKey(strClient, strCaption, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey(strClient, ModulePath(), "DLLPath", REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey(strProtocol, kMailToClass, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);
    const char* pszFlags = reinterpret_cast<const char*>(kEditFlags);
    SetRegKey(strProtocol, pszFlags, "EditFlags", REG_BINARY, sizeof(kEditFlags), HKEY_LOCAL_MACHINE);
    SetRegKey(strProtocol, "", "URL Protocol", REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey(strProtocol + "\\DefaultIcon", strExe, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey(strProtocol + "\\shell\\open\\command", strQuoted + " /mailurl:%1", NULL, REG_SZ, 0,
              HKEY_LOCAL_MACHINE);
    SetRegKey(strClient + "\\shell\\open\\command", strQuoted, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);

    CString strDocument = ShellText::kDocumentClass;
    SetRegKey(strDocument, "Vorn Vedura Mail Message");
    SetRegKey(strDocument + "\\DefaultIcon", strExe + ",1");
    SetRegKey(strDocument + "\\shell\\open\\command", strQuoted + " /f %1");
}

void WriteMailTo(const CString& strExe)
{
    SetRegKey(ShellText::kMailClientsKey, ShellText::kClientName, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey("mailto", kMailToClass);
    SetRegKey("mailto", "", "URL Protocol");
    const char* pszFlags = reinterpret_cast<const char*>(kEditFlags);
    SetRegKey("mailto", pszFlags, "EditFlags", REG_BINARY, sizeof(kEditFlags));
    SetRegKey("mailto\\DefaultIcon", strExe + ",-2");
    SetRegKey("mailto\\shell\\open\\command", CShellFileTypes::MailToCommand(strExe));
}

void WriteVcard(const CString& strExe, CRegistry* pRegistry)
{
    CString strVcard = ShellText::kVcardClass;
    SetRegKey(strVcard, "vCard File");
    SetRegKey(strVcard + "\\DefaultIcon", strExe + ",2");
    SetRegKey(strVcard + "\\shell\\open\\command", CShellFileTypes::QuotedExe(strExe) + " /vcard %1");
    CString strOld = ReadClassesValue(".vcf");
    if (strOld == ShellText::kVcardClass)
        return;
    if (!strOld.IsEmpty() && pRegistry != NULL)
        pRegistry->WriteProfileString(ShellText::kOptions, ShellText::kOldVcardId, strOld);
    SetRegKey(".vcf", ShellText::kVcardClass);
}

CString SendToFolder()
{
    const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    return ReadValue(HKEY_CURRENT_USER, kShellFolders, "SendTo");
}
} // namespace

CString CShellFileTypes::QuotedExe(const CString& strExe)
{
    return "\"" + strExe + "\"";
}

CString CShellFileTypes::MailToCommand(const CString& strExe)
{
    return QuotedExe(strExe) + " /mailurl:%1";
}

void CShellFileTypes::Register(CLetrova* pLetrova, BOOL bPrompt)
{
    CString strExe = pLetrova != NULL ? pLetrova->m_strExePath : CString();
    CRegistry* pRegistry = SettingsOf(pLetrova);
    WriteClientTree(strExe);

    CString strEmlClass = ReadClassesValue(".eml");
    CString strMailTo = ReadClassesValue("mailto\\shell\\open\\command");
    CString strMailToIcon = ReadClassesValue("mailto\\DefaultIcon");
    CString strOurMailTo = MailToCommand(strExe);
    int bDisplayPrompt = pRegistry != NULL ? pRegistry->m_bDisplayAssociatePrompt : 1;

    bool bChange = true;
    if (!strEmlClass.IsEmpty() && !strMailTo.IsEmpty())
    {
        if (strMailTo == strOurMailTo && strEmlClass == ShellText::kDocumentClass)
            bChange = false;
        else if (bPrompt)
        {
            if (!bDisplayPrompt)
                bChange = false;
            else
            {
                CString strQuestion;
                strQuestion.Format(LoadText(IDS_NOT_DEFAULT_CLIENT), LoadText(IDS_PROJNAME).GetString());
                CDlgPromptYesNo dialog(strQuestion, bDisplayPrompt);
                bChange = dialog.DoModal(::GetDesktopWindow()) == IDOK;
                bDisplayPrompt = dialog.m_bPromptAgain;
            }
        }
    }

    if (bChange)
    {
        if (strEmlClass != ShellText::kDocumentClass)
        {
            if (!strEmlClass.IsEmpty() && pRegistry != NULL)
                pRegistry->WriteProfileString(ShellText::kOptions, ShellText::kOldFileTypeId, strEmlClass);
            SetRegKey(".eml", ShellText::kDocumentClass);
        }
        if (strMailTo != strOurMailTo)
        {
            CString strMailToUpper = strMailTo;
            CString strExeUpper = strExe;
            strMailToUpper.MakeUpper();
            strExeUpper.MakeUpper();
            bool bNamesUs = !strExeUpper.IsEmpty() && strMailToUpper.Find(strExeUpper) >= 0;
            if (!strMailTo.IsEmpty() && !bNamesUs && pRegistry != NULL)
            {
                pRegistry->WriteProfileString(ShellText::kOptions, ShellText::kOldMailTo, strMailTo);
                pRegistry->WriteProfileString(ShellText::kOptions, ShellText::kOldMailToIcon, strMailToIcon);
            }
            CString strOldClient = ReadValue(HKEY_LOCAL_MACHINE, ShellText::kMailClientsKey, NULL);
            if (pRegistry != NULL)
                pRegistry->WriteProfileString(ShellText::kOptions, ShellText::kOldDefaultClient,
                                              strOldClient);
            WriteMailTo(strExe);
        }
        WriteVcard(strExe, pRegistry);
    }

    if (pRegistry != NULL)
    {
        pRegistry->m_bDisplayAssociatePrompt = bDisplayPrompt;
        pRegistry->WriteProfileInt(ShellText::kOptions, ShellText::kDisplayAssociatePrompt, bDisplayPrompt);
    }

    CString strSendTo = SendToFolder();
    if (!strSendTo.IsEmpty())
    {
        CString strDescription = "Email by " + LoadText(IDS_PROJNAME);
        UpdateShortcut(strExe, strSendTo + ShellText::kShortcutName, strDescription, "");
    }
}

CString CShellFileTypes::RestoreOld(CLetrova* pLetrova)
{
    CRegistry* pRegistry = SettingsOf(pLetrova);
    if (pRegistry == NULL)
        return CString();
    CString strFileTypeId = pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldFileTypeId, "");
    CString strOldClient = pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldDefaultClient, "");
    SetRegKey(ShellText::kMailClientsKey, strOldClient, NULL, REG_SZ, 0, HKEY_LOCAL_MACHINE);
    SetRegKey("mailto\\shell\\open\\command",
              pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldMailTo, ""));
    CString strOldIcon = pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldMailToIcon, "");
    SetRegKey("mailto\\DefaultIcon", strOldIcon);
    SetRegKey(".eml", strFileTypeId);
    SetRegKey(".vcf", pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldVcardId, ""));
    return strFileTypeId;
}

bool CShellFileTypes::IsDocumentTypeRegistered()
{
    return ReadClassesValue(".eml") == ShellText::kDocumentClass;
}

bool CShellFileTypes::HasOldFileTypeId(CRegistry* pRegistry)
{
    return pRegistry != NULL &&
           !pRegistry->GetProfileString(ShellText::kOptions, ShellText::kOldFileTypeId, "").IsEmpty();
}

HRESULT UpdateShortcut(const char* pszTarget, const char* pszLinkFile, const char* pszDescription,
                       const char* pszArguments)
{
    CComBSTR strLinkFile(pszLinkFile);
    {
        CComPtr<IShellLinkA> pOld;
        CComPtr<IPersistFile> pOldFile;
        if (SUCCEEDED(pOld.CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER)) &&
            SUCCEEDED(pOld->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pOldFile))) &&
            SUCCEEDED(pOldFile->Load(strLinkFile, STGM_READ)))
        {
            char szTarget[MAX_PATH] = "";
            char szArguments[MAX_PATH] = "";
            pOld->GetPath(szTarget, MAX_PATH, NULL, SLGP_RAWPATH);
            pOld->GetArguments(szArguments, MAX_PATH);
            CString strOld = szTarget, strNew = pszTarget;
            strOld.MakeUpper();
            strNew.MakeUpper();
            if (strOld == strNew && strcmp(szArguments, pszArguments) == 0)
                return S_OK;
        }
    }
    ::DeleteFileA(pszLinkFile);
    CComPtr<IShellLinkA> pLink;
    HRESULT hr = pLink.CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER);
    if (FAILED(hr))
        return hr;
    CComPtr<IPersistFile> pFile;
    hr = pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile));
    if (FAILED(hr))
        return hr;
    pLink->SetPath(pszTarget);
    pLink->SetArguments(pszArguments);
    pLink->SetDescription(pszDescription);
    return pFile->Save(strLinkFile, TRUE);
}

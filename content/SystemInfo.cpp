// The block of machine and component information that error reports and error dialogs append.
#include "content/SystemInfo.h"

#include <ctime>

#include "content/CharsetDecoder.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"

namespace
{

const CLSID kClsidOrbUpdate = {0x9DE46FC9, 0xBD2C, 0x4CC1, {0xAE, 0xE9, 0x45, 0x78, 0xF9, 0x70, 0xE8, 0xB6}};
const CLSID kClsidOrbImap = {0xCD53D8EE, 0xDCBF, 0x417E, {0xBF, 0xCE, 0x7A, 0x83, 0x80, 0x1D, 0xF8, 0xF2}};
const CLSID kClsidDhtmlEdit = {0x2D360200, 0xFFF5, 0x11D1, {0x8D, 0x03, 0x00, 0xA0, 0xC9, 0x59, 0xBC, 0x0A}};
const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

SpellCheckerVersionTextProc s_pfnSpellCheckerVersionText = nullptr;

CString AboutText()
{
    CString shortPath, longPath;
    GetModulePaths(shortPath, longPath);
    CString text;
    text.Format("%s. Version %s.", AppCaption[0] ? AppCaption : "Vorn Email",
                static_cast<const char*>(GetFileVersionText(longPath)));
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    SYSTEMTIME st;
    if (GetFileAttributesExA(longPath, GetFileExInfoStandard, &data) &&
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st))
    {
        struct tm when = {};
        when.tm_year = st.wYear - 1900;
        when.tm_mon = st.wMonth - 1;
        when.tm_mday = st.wDay;
        when.tm_wday = st.wDayOfWeek;
        when.tm_hour = st.wHour;
        when.tm_min = st.wMinute;
        when.tm_sec = st.wSecond;
        char release[128];
        if (strftime(release, sizeof(release), "%A, %B %d, %Y %H:%M.%S", &when))
            text += CString("\r\nRelease ") + release;
    }
    return text;
}

// One component's lines: the file and its version when registered, else why not.
CString ComponentText(REFCLSID clsid, const char* pszName, const char* pszMissingSeparator)
{
    CString path, information;
    if (GetComponentPath(clsid, path, information))
        return CString("\r\n\r\n") + pszName + " file:\r\n" + path + "\r\n" + pszName +
               " file version: " + information;
    return CString("\r\n\r\n") + pszName + ":" + pszMissingSeparator + information;
}

CString DefaultCharsetText()
{
    try
    {
        return CCharsetDecoder(GetACP()).GetCharsetName();
    }
    catch (CException* e)
    {
        delete e;
    }
    catch (...)
    {
    }
    return "unknown";
}

} // namespace

bool GetComponentPath(REFCLSID clsid, CString& strPath, CString& strInformation)
{
    CString key;
    key.Format("CLSID\\{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\\InProcServer32",
               static_cast<unsigned long>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0],
               clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6],
               clsid.Data4[7]);
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
    {
        strInformation = "Component HKEY_CLASSES_ROOT\\" + key + "\r\nis not defined.";
        return false;
    }
    char buffer[1024] = {};
    DWORD dwType = 0;
    DWORD cbData = sizeof(buffer) - 1;
    const LONG status = RegQueryValueExA(hKey, NULL, NULL, &dwType, reinterpret_cast<BYTE*>(buffer), &cbData);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
    {
        strInformation = "The HKEY_CLASSES_ROOT\\" + key + "\r\nquery value failed.";
        return false;
    }
    buffer[cbData < sizeof(buffer) ? cbData : sizeof(buffer) - 1] = '\0';
    strPath = buffer;
    // Registered paths often name %SystemRoot% and the like; the version reader needs the real one.
    if (dwType == REG_EXPAND_SZ)
    {
        char expanded[1024];
        const DWORD n = ExpandEnvironmentStringsA(buffer, expanded, sizeof(expanded));
        if (n > 0 && n <= sizeof(expanded))
            strPath = expanded;
    }
    strInformation = GetFileVersionText(strPath);
    return true;
}

CString GetMLangVersionText()
{
    CString path, version;
    if (!GetComponentPath(CLSID_OrbMultiLanguage, path, version))
        return CString();
    return "MLang file:\r\n" + path + "\r\nMLang file version: " + version;
}

CString WindowsVersionText(const OSVERSIONINFOEXA& info, BOOL bExtended)
{
    CString text = "\r\n";
    switch (info.dwPlatformId)
    {
    case VER_PLATFORM_WIN32s:
        text += "\r\nMicrosoft Win32s";
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (info.dwMajorVersion < 5 && !(info.dwMajorVersion == 4 && info.dwMinorVersion != 0))
            text += "\r\nMicrosoft Windows 95 family";
        else
            text += "\r\nMicrosoft Windows 98 family";
        break;
    case VER_PLATFORM_WIN32_NT:
        text += "\r\nMicrosoft Windows NT family";
        break;
    }
    CString line;
    line.Format("version %d.%d (Build %d)", static_cast<int>(info.dwMajorVersion),
                static_cast<int>(info.dwMinorVersion), static_cast<int>(info.dwBuildNumber & 0xFFFF));
    text += "\r\n" + line;
    if (bExtended)
    {
        line.Format("Service Pack %d.%d", info.wServicePackMajor, info.wServicePackMinor);
        text += "\r\n" + line;
    }
    return text;
}

void SetSpellCheckerVersionTextProc(SpellCheckerVersionTextProc pfnProc)
{
    s_pfnSpellCheckerVersionText = pfnProc;
}

CString SystemInfoText()
{
    CString text;
    // Each piece guards itself, so one failing source costs only its own lines.
    try
    {
        text = AboutText();
    }
    catch (CException* e)
    {
        delete e;
    }
    catch (...)
    {
    }
    try
    {
        OSVERSIONINFOEXA info;
        BOOL bExtended = FALSE;
        if (GetOSVersionInfo(&info, &bExtended))
            text += WindowsVersionText(info, bExtended);
        text += "\r\nDefault charset: " + DefaultCharsetText();
        text += ComponentText(kClsidOrbUpdate, "OrbUpdate", "\r\n");
        text += ComponentText(kClsidOrbImap, "OrbIMAP", "\r\n");
        text += "\r\n\r\n" + GetMLangVersionText();
        text += ComponentText(kClsidDhtmlEdit, "DHTMLEdit", "");
        text += ComponentText(kClsidWebBrowser, "Web Browser", "");
    }
    catch (CException* e)
    {
        delete e;
    }
    catch (...)
    {
    }
    if (s_pfnSpellCheckerVersionText)
    {
        try
        {
            text += "\r\n\r\n" + s_pfnSpellCheckerVersionText();
        }
        catch (CException* e)
        {
            text += "\r\n\r\nSpell:\r\n" + e->m_strMessage;
            delete e;
        }
        catch (...)
        {
        }
    }
    return text;
}

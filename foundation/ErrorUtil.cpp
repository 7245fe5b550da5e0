// Message boxes, debug output, registration helpers, COM creation and system texts.
#include "foundation/ErrorUtil.h"

#include <atlcore.h>

#include <shellapi.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "foundation/Exception.h"
#include "foundation/Texts.h"

char AppCaption[256];
const char* volatile FailureHintText = "";

namespace
{
AppMessageBoxHook g_pfnMessageBoxHook = NULL;
DebugOutputHook g_pfnDebugOutputHook = NULL;

const DWORD kAnyServerContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

void SendDebugString(const char* pszText)
{
    if (g_pfnDebugOutputHook != NULL)
        g_pfnDebugOutputHook(pszText);
    else
        ::OutputDebugStringA(pszText);
}

// Formats into a fixed buffer; texts from servers and long paths are cut, never overrun.
void FormatBounded(char* pszBuffer, size_t nSize, const char* pszFormat, va_list args)
{
    int n = vsnprintf(pszBuffer, nSize, pszFormat ? pszFormat : "", args);
    if (n < 0)
        pszBuffer[0] = '\0';
    pszBuffer[nSize - 1] = '\0';
}

// Owns an open registry key so that every way out closes it.
class CRegKeyHolder
{
public:
    CRegKeyHolder() : m_hKey(NULL) {}
    ~CRegKeyHolder()
    {
        if (m_hKey != NULL)
            ::RegCloseKey(m_hKey);
    }
    HKEY m_hKey;
};
} // namespace

int AppMessageBox(const char* pszText, UINT nStyle, HWND hWndOwner)
{
    return AppMessageBoxCaption(pszText, AppCaption, nStyle, hWndOwner);
}

int AppMessageBoxCaption(const char* pszText, const char* pszCaption, UINT nStyle, HWND hWndOwner)
{
    HWND hWnd = hWndOwner;
    if (hWnd == NULL)
        hWnd = ::GetActiveWindow();
    if (hWnd == NULL)
        hWnd = ::GetDesktopWindow();
    if (g_pfnMessageBoxHook != NULL)
        return g_pfnMessageBoxHook(pszText ? pszText : "", pszCaption, nStyle, hWnd);
    return ::MessageBoxA(hWnd, pszText ? pszText : "", pszCaption, nStyle);
}

int AppMessageBoxF(UINT nStyle, const char* pszFormat, ...)
{
    char szText[4024];
    va_list args;
    va_start(args, pszFormat);
    FormatBounded(szText, sizeof(szText), pszFormat, args);
    va_end(args);
    return AppMessageBox(szText, nStyle, NULL);
}

int AppMessageBoxId(UINT nIdPrompt, UINT nStyle, HWND hWndOwner)
{
    CString strPrompt;
    if (!strPrompt.LoadString(nIdPrompt))
    {
        DebugTrace(FoundationText::kMissingPromptString, nIdPrompt);
        strPrompt.Empty();
    }
    return AppMessageBox(strPrompt, nStyle, hWndOwner);
}

AppMessageBoxHook SetAppMessageBoxHook(AppMessageBoxHook pfnHook)
{
    AppMessageBoxHook pfnOld = g_pfnMessageBoxHook;
    g_pfnMessageBoxHook = pfnHook;
    return pfnOld;
}

void ShowCaughtException(CException* pException)
{
    if (pException == NULL)
        return;
    AppMessageBox(pException->m_strMessage, 0, NULL);
    delete pException;
}

void ShowUnhandledException(const char* pszWindowClassName)
{
    CString strText = FoundationText::kUnhandledException;
    strText += pszWindowClassName ? pszWindowClassName : "";
    AppMessageBox(strText, 0, NULL);
}

void ReportMsgMapException(const char* pszWindowClassName)
{
    try
    {
        throw;
    }
    catch (CException* e)
    {
        ShowCaughtException(e);
    }
    catch (...)
    {
        ShowUnhandledException(pszWindowClassName);
    }
}

void DebugTrace(const char* pszFormat, ...)
{
    char szText[512];
    va_list args;
    va_start(args, pszFormat);
    FormatBounded(szText, sizeof(szText), pszFormat, args);
    va_end(args);
    SendDebugString(szText);
}

void DebugTraceReceived(const char* pszText)
{
    const size_t kPiece = 260;
    SendDebugString(FoundationText::kReceivePrefix);
    if (pszText == NULL)
        return;
    char szPiece[kPiece + 1];
    for (size_t nLeft = strlen(pszText); nLeft > 0;)
    {
        size_t n = nLeft < kPiece ? nLeft : kPiece;
        memcpy(szPiece, pszText, n);
        szPiece[n] = '\0';
        SendDebugString(szPiece);
        pszText += n;
        nLeft -= n;
    }
}

DebugOutputHook SetDebugOutputHook(DebugOutputHook pfnHook)
{
    DebugOutputHook pfnOld = g_pfnDebugOutputHook;
    g_pfnDebugOutputHook = pfnHook;
    return pfnOld;
}

bool SetRegKey(const char* pszKey, const char* pszValue, const char* pszValueName, DWORD dwType, DWORD cbData,
               HKEY hKeyRoot)
{
    CRegKeyHolder key;
    LONG lResult;
    if (pszValueName == NULL)
    {
        lResult = ::RegOpenKeyExA(hKeyRoot, pszKey, 0, KEY_ALL_ACCESS, &key.m_hKey);
        if (lResult != ERROR_SUCCESS)
            lResult = ::RegCreateKeyA(hKeyRoot, pszKey, &key.m_hKey);
    }
    else
    {
        lResult = ::RegCreateKeyA(hKeyRoot, pszKey, &key.m_hKey);
    }
    if (lResult == ERROR_SUCCESS)
    {
        if (pszValue == NULL)
            pszValue = "";
        if (cbData == 0)
            cbData = (DWORD)strlen(pszValue) + 1;
        lResult = ::RegSetValueExA(key.m_hKey, pszValueName, 0, dwType, (const BYTE*)pszValue, cbData);
    }
    if (lResult != ERROR_SUCCESS)
    {
        DebugTrace(FoundationText::kRegistrationFailed, pszKey);
        return false;
    }
    return true;
}

LONG RegDeleteKeyTree(HKEY hParentKey, const char* pszKeyName)
{
    CRegKeyHolder key;
    LONG lResult = ::RegOpenKeyExA(hParentKey, pszKeyName, 0, KEY_ALL_ACCESS, &key.m_hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    char szChild[257];
    // Always the first child: each deletion shifts the rest down.
    while (::RegEnumKeyA(key.m_hKey, 0, szChild, sizeof(szChild)) == ERROR_SUCCESS)
    {
        lResult = RegDeleteKeyTree(key.m_hKey, szChild);
        if (lResult != ERROR_SUCCESS)
            return lResult;
    }
    ::RegCloseKey(key.m_hKey);
    key.m_hKey = NULL;
    return ::RegDeleteKeyA(hParentKey, pszKeyName);
}

void CreateComComponent(REFCLSID clsid, REFIID iid, void** ppv, const char* pszComponentName)
{
    HRESULT hr = ::CoCreateInstance(clsid, NULL, kAnyServerContext, iid, ppv);
    if (SUCCEEDED(hr))
        return;
    CString strReason;
    switch ((unsigned long)hr)
    {
    case 0x80040110:
        strReason = FoundationText::kNoAggregation;
        break;
    case 0x80040154:
        strReason = FoundationText::kClassNotRegistered;
        break;
    case 0x800401F0:
        strReason = FoundationText::kNotInitialized;
        break;
    default:
        strReason.Format(FoundationText::kUnknownHResult, (unsigned)hr);
        break;
    }
    CString strMessage = FoundationText::kCreateComponentPrefix;
    strMessage += pszComponentName ? pszComponentName : "";
    strMessage += FoundationText::kCreateComponentSuffix;
    strMessage += strReason;
    throw new CException(strMessage);
}

CString GetLastErrorText(DWORD* pdwError)
{
    DWORD dwError = ::GetLastError();
    if (pdwError != NULL)
        *pdwError = dwError;
    char* pszSystem = NULL;
    CString strText;
    if (::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, dwError,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&pszSystem, 0, NULL) != 0 &&
        pszSystem != NULL)
    {
        strText = pszSystem;
    }
    if (pszSystem != NULL)
        ::LocalFree(pszSystem);
    return strText;
}

BOOL GetOSVersionInfo(OSVERSIONINFOEXA* pInfo, BOOL* pbExtended)
{
    memset(pInfo, 0, sizeof(*pInfo));
    pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    BOOL bExtended = ::GetVersionExA((OSVERSIONINFOA*)pInfo);
    if (pbExtended != NULL)
        *pbExtended = bExtended;
    if (bExtended)
        return TRUE;
    pInfo->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return ::GetVersionExA((OSVERSIONINFOA*)pInfo);
}

BOOL OpenWithShell(const char* pszFolder, const char* pszFileName)
{
    CString strPath = pszFolder ? pszFolder : "";
    strPath += "\\";
    strPath += pszFileName ? pszFileName : "";
    INT_PTR nResult = (INT_PTR)::ShellExecuteA(NULL, "open", strPath, NULL, pszFolder, SW_SHOW);
    if (nResult > 32)
        return TRUE;
    const char* pszReason = FoundationText::kShellUnknown;
    for (const FoundationText::ShellResultText& entry : FoundationText::kShellResults)
    {
        if (entry.nResult == nResult)
            pszReason = entry.pszText;
    }
    CString strText = strPath;
    strText += "\r\n\r\n";
    strText += pszReason;
    AppMessageBox(strText, MB_ICONSTOP, NULL);
    return FALSE;
}

HMODULE GetResourceModule()
{
    return ATL::_AtlBaseModule.GetResourceInstance();
}

void GetModulePaths(CString& strShortPath, CString& strLongPath)
{
    char szLong[1024 + 1] = "";
    DWORD n = ::GetModuleFileNameA(ATL::_AtlBaseModule.GetModuleInstance(), szLong, 1024);
    szLong[n < 1024 ? n : 1024] = '\0';
    strLongPath = szLong;
    char szShort[1024 + 1] = "";
    DWORD nShort = ::GetShortPathNameA(szLong, szShort, 1024);
    if (nShort == 0 || nShort >= 1024)
        strShortPath = strLongPath;
    else
        strShortPath = szShort;
}

BOOL GetFileVersionNumbers(const char* pszFile, int& nMajor, int& nMinor, int& nBuild, int& nRevision)
{
    DWORD dwHandle = 0;
    DWORD nSize = ::GetFileVersionInfoSizeA(pszFile, &dwHandle);
    if (nSize == 0)
        return FALSE;
    std::vector<char> block(nSize);
    char* pBlock = block.data();
    BOOL bOk = FALSE;
    VS_FIXEDFILEINFO* pFixed = NULL;
    UINT nFixed = 0;
    if (::GetFileVersionInfoA(pszFile, 0, nSize, pBlock) &&
        ::VerQueryValueA(pBlock, "\\", (void**)&pFixed, &nFixed) && pFixed != NULL &&
        nFixed >= sizeof(VS_FIXEDFILEINFO))
    {
        nMajor = HIWORD(pFixed->dwFileVersionMS);
        nMinor = LOWORD(pFixed->dwFileVersionMS);
        nBuild = HIWORD(pFixed->dwFileVersionLS);
        nRevision = LOWORD(pFixed->dwFileVersionLS);
        bOk = TRUE;
    }
    return bOk;
}

CString GetFileVersionText(const char* pszFile)
{
    int nMajor = 0, nMinor = 0, nBuild = 0, nRevision = 0;
    CString strText;
    if (GetFileVersionNumbers(pszFile, nMajor, nMinor, nBuild, nRevision))
    {
        strText.Format(FoundationText::kVersionFormat, nMajor, nMinor, nBuild, nRevision);
    }
    else
    {
        strText = FoundationText::kVersionFailedPrefix;
        strText += pszFile ? pszFile : "";
        strText += FoundationText::kVersionFailedSuffix;
    }
    return strText;
}

CString GetModuleVersionText()
{
    CString strShort, strLong;
    GetModulePaths(strShort, strLong);
    return GetFileVersionText(strLong);
}

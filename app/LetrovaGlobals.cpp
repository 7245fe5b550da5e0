// Process-wide state of the mail client and the single-instance role.
#include "app/LetrovaGlobals.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/Texts.h"
#include "foundation/TraceFile.h"

CAppModule _Module;
CLetrova* g_pLetrova = NULL;
CDatabaseMy* g_pDatabaseMy = NULL;
HMODULE g_hRichEdit = NULL;
HANDLE g_hEventMessageFile = NULL;
HANDLE g_hEventListHandOver = NULL;
HANDLE g_hEventMessageWindow = NULL;

const char kLetrovaMutexName[] = "MutexLetrova-088840-B10D-13-B6-0067709674";

namespace
{
HANDLE g_hMutex = NULL;
bool g_bRoleDecided = false;
CRITICAL_SECTION* RoleLock()
{
    static CRITICAL_SECTION cs;
    static bool bInit = (::InitializeCriticalSection(&cs), true);
    (void)bInit;
    return &cs;
}

void EmptyTempFolders()
{
    try
    {
        CString strTemp = GetTempFolder();
        CString strAttach = strTemp + FoundationText::kAttachFolder;
        if (::GetFileAttributesA(strAttach) != INVALID_FILE_ATTRIBUTES)
            DeleteFolderContents(strAttach, NULL);
        CString strHtml = strTemp + FoundationText::kHtmlFolder;
        if (::GetFileAttributesA(strHtml) != INVALID_FILE_ATTRIBUTES)
            DeleteFolderContents(strHtml, "NoMessage.htm");
    }
    catch (CException* pException)
    {
        // A leftover temporary file is no reason to refuse to start.
        if (IsTraceOn())
            g_pTraceFile->WriteText(pException->m_strMessage);
        delete pException;
    }
    catch (...)
    {
    }
}
} // namespace

BOOL DecideInstanceRole()
{
    ::EnterCriticalSection(RoleLock());
    if (!g_bRoleDecided)
    {
        g_bRoleDecided = true;
        g_hMutex = ::CreateMutexA(NULL, FALSE, kLetrovaMutexName);
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_ACCESS_DENIED)
            g_bSettingsReadOnly = 1;
        else
        {
            g_bSettingsReadOnly = 0;
            EmptyTempFolders();
        }
    }
    BOOL bSecond = g_bSettingsReadOnly;
    ::LeaveCriticalSection(RoleLock());
    return bSecond;
}

void ReleaseInstanceRole()
{
    ::EnterCriticalSection(RoleLock());
    // Never owned, only created: closing the handle is what lets the name go.
    if (g_hMutex != NULL)
        ::CloseHandle(g_hMutex);
    g_hMutex = NULL;
    g_bRoleDecided = false;
    g_bSettingsReadOnly = 0;
    ::LeaveCriticalSection(RoleLock());
}

void WriteThreadCount(LONG nCount)
{
    CString strKey;
    strKey.Format("%s\\%s\\%s\\%s", FoundationText::kSoftwareKey, FoundationText::kCompany,
                  FoundationText::kApplication, FoundationText::kOptions);
    HKEY hKey = NULL;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, strKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return;
    DWORD dwValue = static_cast<DWORD>(nCount);
    ::RegSetValueExA(hKey, "Current thread count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                     sizeof(dwValue));
    ::RegCloseKey(hKey);
}

void ShowFileException(CFileException* pException, bool bTrace)
{
    char szError[255] = {};
    pException->GetErrorMessage(szError, sizeof(szError));
    delete pException;
    if (bTrace && IsTraceOn())
        g_pTraceFile->WriteText(CString("\r\nERROR: ") + szError);
    AppMessageBox(CString("ERROR: ") + szError, MB_ICONSTOP, NULL);
}

// The download worker: fetches a version folder, extracts its cabinets with CABARC.EXE and installs it.
#include "updater/Download.h"

#include <windows.h>

#include <commctrl.h>
#include <setupapi.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "updater/CoUpdate.h"

UpdateRestartHook g_pfnUpdateRestart = nullptr;
UpdateWinExecHook g_pfnUpdateWinExec = WinExec;

namespace
{

const DWORD kBlockSize = 1024;
const DWORD kToolWaitSlice = 100;
const DWORD kToolTimeout = 10000;

CString UpperExtension(const char* pszName)
{
    CString str = GetPathExtension(pszName);
    str.MakeUpper();
    return str;
}

class CInternetFile
{
public:
    explicit CInternetFile(HINTERNET h) : m_h(h) {}
    ~CInternetFile()
    {
        if (m_h)
            InternetCloseHandle(m_h);
    }
    HINTERNET m_h;
};

class CHandle
{
public:
    explicit CHandle(HANDLE h = nullptr) : m_h(h) {}
    ~CHandle()
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    HANDLE m_h;
};

} // namespace

CString GetUpdateModuleFolder()
{
    if (!UpdateModuleFolderOverride.IsEmpty())
        return UpdateModuleFolderOverride;
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(g_hUpdateResources, szPath, MAX_PATH);
    return GetPathFolder(szPath);
}

void CDownloadWorker::SetPaneText(int nId, const char* pszText)
{
    HWND hPane = m_pUpdate->m_hProgress;
    if (hPane && IsWindow(hPane))
        SetDlgItemTextA(hPane, nId, pszText);
}

void CDownloadWorker::ShowAnimation(bool bShow)
{
    HWND hPane = m_pUpdate->m_hProgress;
    if (!hPane || !IsWindow(hPane))
        return;
    ShowWindow(GetDlgItem(hPane, IDC_UPDATE_PROGRESS), bShow ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(hPane, IDC_UPDATE_ANIMATION), bShow ? SW_SHOW : SW_HIDE);
    SendDlgItemMessageA(hPane, IDC_UPDATE_PROGRESS, PBM_SETPOS, 0, 0);
}

bool CDownloadWorker::Stopped() const
{
    return m_pUpdate->m_bStop != 0;
}

void CDownloadWorker::StartTransferTimer(DWORD dwTotal)
{
    m_dwTransferred = 0;
    m_dwTotal = dwTotal;
    m_tStart = time(nullptr);
}

void CDownloadWorker::ShowProgress()
{
    HWND hPane = m_pUpdate->m_hProgress;
    if (!hPane || !IsWindow(hPane))
        return;
    if (m_dwTotal)
        SendDlgItemMessageA(
            hPane, IDC_UPDATE_PROGRESS, PBM_SETPOS,
            static_cast<WPARAM>(static_cast<unsigned long long>(m_dwTransferred) * 100 / m_dwTotal), 0);
    long lElapsed = static_cast<long>(time(nullptr) - m_tStart);
    CString strText, strPart;
    strText.Format(LoadUpdateString(IDS_UPDATE_DOWNLOADED), static_cast<long>(m_dwTransferred));
    int nHours = lElapsed / 3600, nMinutes = lElapsed / 60 % 60, nSeconds = lElapsed % 60;
    if (nHours)
    {
        strPart.Format(LoadUpdateString(IDS_UPDATE_HOURS), nHours);
        strText += strPart;
    }
    if (nHours || nMinutes)
    {
        strPart.Format(LoadUpdateString(IDS_UPDATE_MINUTES), nMinutes);
        strText += strPart;
    }
    strPart.Format(LoadUpdateString(IDS_UPDATE_SECONDS), nSeconds);
    strText += strPart;
    SetDlgItemTextA(hPane, IDC_UPDATE_ELAPSED, strText);
    if (lElapsed)
    {
        strText.Format(LoadUpdateString(IDS_UPDATE_RATE), static_cast<long>(m_dwTransferred / lElapsed));
        SetDlgItemTextA(hPane, IDC_UPDATE_RATE, strText);
    }
}

// Returns false when stopped. A transfer that ends short of the listed size is a failure, not a file: the
// partial file is deleted, so that no later step takes it for the whole one.
bool CDownloadWorker::DownloadFile(const char* pszName, const CServerFileList& list, const char* pszLocalPath,
                                   bool bShowAnimation)
{
    DWORD dwSize = list.GetFileSize(pszName);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (GetFileAttributesExA(pszLocalPath, GetFileExInfoStandard, &attributes) &&
        !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && attributes.nFileSizeLow == dwSize)
        return true;
    CString strUrl = list.GetFileUrl(pszName);
    CInternetFile url(InternetOpenUrlA(m_pUpdate->m_hInternet, strUrl, nullptr, 0,
                                       INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD, 0));
    if (!url.m_h)
        throw new CException("FATAL ERROR: Open " + strUrl + " failed!");
    if (bShowAnimation)
        ShowAnimation(true);
    SetPaneText(IDC_UPDATE_STATUS, pszName);
    CHandle file(
        CreateFileA(pszLocalPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.m_h == INVALID_HANDLE_VALUE)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), pszLocalPath);
    DWORD dwReceived = 0;
    bool bComplete = false;
    bool bFailed = false;
    while (!Stopped())
    {
        char buffer[kBlockSize];
        DWORD dwRead = 0;
        if (!InternetReadFile(url.m_h, buffer, sizeof(buffer), &dwRead))
        {
            bFailed = true;
            break;
        }
        if (dwRead == 0)
        {
            bComplete = dwReceived == dwSize;
            bFailed = !bComplete;
            break;
        }
        DWORD dwWritten = 0;
        if (!WriteFile(file.m_h, buffer, dwRead, &dwWritten, nullptr) || dwWritten != dwRead)
        {
            DWORD dwError = GetLastError();
            CloseHandle(file.m_h);
            file.m_h = nullptr;
            DeleteFileA(pszLocalPath);
            CFileException::ThrowOsError(dwError ? static_cast<LONG>(dwError) : ERROR_DISK_FULL,
                                         pszLocalPath);
        }
        dwReceived += dwRead;
        m_dwTransferred += dwRead;
        ShowProgress();
    }
    CloseHandle(file.m_h);
    file.m_h = nullptr;
    if (bShowAnimation)
        ShowAnimation(false);
    SetPaneText(IDC_UPDATE_STATUS, "");
    if (!bComplete)
        DeleteFileA(pszLocalPath);
    if (bFailed)
        throw new CException("FATAL ERROR: Read " + strUrl + " failed!");
    return bComplete;
}

void CDownloadWorker::ExtractCabinet(const char* pszArchive)
{
    SetPaneText(IDC_UPDATE_STATUS, LoadUpdateString(IDS_UPDATE_EXTRACTING));
    const CString& strFolder = m_pUpdate->m_strTempFolder;
    CString strCommand = "\"" + m_strCabarc + "\" -o x \"" + strFolder + pszArchive + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    std::vector<char> commandLine(strCommand.GetString(),
                                  strCommand.GetString() + strCommand.GetLength() + 1);
    // The tool runs in the temp folder; this process's own current folder stays as it is.
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, strFolder, &startup,
                        &process))
    {
        CString strText;
        strText.Format("Failed extracting of the compress file.\n\n%s\n\n%s", strCommand.GetString(),
                       GetLastErrorText().GetString());
        throw new CException(strText);
    }
    CHandle hProcess(process.hProcess), hThread(process.hThread);
    DWORD dwWait = WAIT_TIMEOUT;
    for (DWORD dwWaited = 0; dwWaited < kToolTimeout && !Stopped(); dwWaited += kToolWaitSlice)
    {
        dwWait = WaitForSingleObject(process.hProcess, kToolWaitSlice);
        if (dwWait != WAIT_TIMEOUT)
            break;
    }
    if (dwWait != WAIT_OBJECT_0)
    {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kToolTimeout);
        if (Stopped())
            return;
        const char* pszWait =
            dwWait == WAIT_ABANDONED
                ? "The specified object is a mutex object that was not released by the thread that owned the mutex object before the owning thread terminated. Ownership of the mutex object is granted to the calling thread, and the mutex is set to nonsignaled."
            : dwWait == WAIT_TIMEOUT ? "The time-out interval elapsed, and the object's state is nonsignaled."
            : dwWait == WAIT_FAILED  ? "WAIT_FAILED"
                                     : "Unknown error";
        CString strText;
        strText.Format("Failed extracting of the compress file.\n\n%s\n\n%s", strCommand.GetString(),
                       pszWait);
        throw new CException(strText);
    }
    DWORD dwExit = 1;
    GetExitCodeProcess(process.hProcess, &dwExit);
    if (dwExit != 0)
    {
        // The archive stays for whoever looks into why.
        CString strText;
        strText.Format("Failed extracting of the compress file.\n\n%s\n\nExit code %lu.",
                       strCommand.GetString(), static_cast<unsigned long>(dwExit));
        throw new CException(strText);
    }
    CString strArchive = strFolder + pszArchive;
    if (!DeleteFileA(strArchive))
    {
        CString strText;
        strText.Format("FATAL ERROR: Delete\r\n%s\r\nfile failed!\r\n\r\n%s", strArchive.GetString(),
                       GetLastErrorText().GetString());
        throw new CException(strText);
    }
    SetPaneText(IDC_UPDATE_STATUS, "");
}

CString CDownloadWorker::ResolveDirectory(const char* pszValue)
{
    CString strValue(pszValue);
    if (strValue == "Module")
        return GetUpdateModuleFolder();
    if (strValue.IsEmpty() || strValue == "Default")
    {
        if (m_pUpdate->m_strDefaultInstallDirectory.IsEmpty())
            throw new CException("FATAL ERROR: Update failed!\r\nDefault Install Directory is not defined");
        return JoinFolder(m_pUpdate->m_strDefaultInstallDirectory);
    }
    char szSystem[MAX_PATH] = "";
    GetSystemDirectoryA(szSystem, MAX_PATH);
    char szWindows[MAX_PATH] = "";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    strValue.Replace("%system%", szSystem);
    strValue.Replace("%boot drive%", GetDriveOrShare(szWindows));
    return JoinFolder(strValue);
}

CString CDownloadWorker::JoinFolder(const char* pszFolder)
{
    CString str(pszFolder);
    if (str.IsEmpty() || str[str.GetLength() - 1] != '\\')
        str += '\\';
    return str;
}

CString CDownloadWorker::ReadListValue(const char* pszSection, const char* pszKey)
{
    char szValue[2048] = "";
    GetPrivateProfileStringA(pszSection, pszKey, "", szValue, sizeof(szValue),
                             m_pUpdate->m_strTempFolder + "FileList.INI");
    return szValue;
}

// Every section is read before the first file is placed: a format error then installs nothing.
void CDownloadWorker::CheckFileList(const std::vector<CString>& files)
{
    for (const CString& strName : files)
    {
        if (UpperExtension(strName) == ".MSI")
            continue;
        CString strRegister = ReadListValue(strName, "DllRegisterServer");
        if (!strRegister.IsEmpty() && strRegister != "Yes" && strRegister != "No")
            throw new CException("FATAL ERROR: Format of the " + m_strVersionUrl + "FileList.INI" +
                                 " file failed!\r\nSection: " + strName + "\r\nKey: " + "DllRegisterServer" +
                                 "=" + strRegister);
        ResolveDirectory(ReadListValue(strName, "Directory"));
    }
}

void CDownloadWorker::RegisterDll(const char* pszPath)
{
    if (!m_bComInitialised)
    {
        CoInitialize(nullptr);
        m_bComInitialised = true;
    }
    HMODULE hLibrary = LoadLibraryA(pszPath);
    if (!hLibrary)
        throw new CException(CString("FATAL ERROR: Update failed!\r\n") + pszPath + "\r\nUnable to load DLL");
    typedef HRESULT(STDAPICALLTYPE * RegisterProc)();
    RegisterProc pfnRegister = nullptr;
    FARPROC pfnProc = GetProcAddress(hLibrary, "DllRegisterServer");
    static_assert(sizeof(pfnRegister) == sizeof(pfnProc), "function pointers differ in size");
    memcpy(&pfnRegister, &pfnProc, sizeof(pfnRegister));
    if (!pfnRegister)
    {
        FreeLibrary(hLibrary);
        throw new CException(CString("FATAL ERROR: Update failed!\r\n") + pszPath +
                             "\r\nunable to locate DllRegisterServer entry point");
    }
    HRESULT hr = pfnRegister();
    FreeLibrary(hLibrary);
    if (FAILED(hr))
    {
        CString strHr;
        char* pszSystem = nullptr;
        if (FormatMessageA(
                FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&pszSystem), 0, nullptr) &&
            pszSystem)
        {
            strHr = pszSystem;
            LocalFree(pszSystem);
        }
        else
            strHr.Format("Error 0x%08lX", static_cast<unsigned long>(hr));
        throw new CException(CString("FATAL ERROR: Update failed!\r\n") + pszPath +
                             "\r\nDllRegisterServer failed.\r\n" + strHr);
    }
}

UINT CALLBACK CDownloadWorker::InfQueueCallback(PVOID pContext, UINT nNotification, UINT_PTR nParam1,
                                                UINT_PTR nParam2)
{
    if (nNotification == SPFILENOTIFY_DELETEERROR)
        return FILEOP_SKIP;
    return SetupDefaultQueueCallbackA(pContext, nNotification, nParam1, nParam2);
}

void CDownloadWorker::InstallInf(const char* pszInfPath, const char* pszDirectory,
                                 const char* pszSourceFolder)
{
    HINF hInf = SetupOpenInfFileA(pszInfPath, nullptr, INF_STYLE_WIN4, nullptr);
    if (hInf == INVALID_HANDLE_VALUE)
    {
        CString strText;
        strText.Format("FATAL ERROR: Update failed!\r\n\r\n%s\r\n\r\n%s", pszInfPath,
                       GetLastErrorText().GetString());
        throw new CException(strText);
    }
    if (!SetupSetDirectoryIdA(hInf, 65600, pszDirectory))
    {
        CString strText;
        strText.Format("FATAL ERROR: Update failed!\r\n\r\n%s\r\n\r\n%s", pszInfPath,
                       GetLastErrorText().GetString());
        SetupCloseInfFile(hInf);
        throw new CException(strText);
    }
    HSPFILEQ hQueue = SetupOpenFileQueue();
    HWND hOwner = m_pUpdate->m_hProgress;
    // No dialogs of SetupAPI's own: a failure is reported through the run's error.
    PVOID pContext = hQueue != INVALID_HANDLE_VALUE
                         ? SetupInitDefaultQueueCallbackEx(
                               hOwner, reinterpret_cast<HWND>(INVALID_HANDLE_VALUE), 0, 0, nullptr)
                         : nullptr;
    if (hQueue == INVALID_HANDLE_VALUE || !pContext)
    {
        if (hQueue != INVALID_HANDLE_VALUE)
            SetupCloseFileQueue(hQueue);
        SetupCloseInfFile(hInf);
        throw new CException("FATAL ERROR: Update failed!\r\nNot enough memory");
    }
    DWORD dwError = 0;
    if (!SetupInstallFilesFromInfSectionA(hInf, nullptr, hQueue, "ProductInstall", pszSourceFolder,
                                          SP_COPY_NEWER) ||
        !SetupCommitFileQueueA(hOwner, hQueue, InfQueueCallback, pContext))
        dwError = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    bool bSectionRan = false;
    if (!dwError)
    {
        bSectionRan =
            SetupInstallFromInfSectionA(nullptr, hInf, "ProductInstall", SPINST_INIFILES | SPINST_REGISTRY,
                                        nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr) != FALSE;
        if (!bSectionRan)
            dwError = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
    }
    if (!m_pUpdate->m_bReboot && SetupPromptReboot(hQueue, hOwner, TRUE) == SPFILEQ_FILE_IN_USE)
        m_pUpdate->m_bReboot = TRUE;
    SetupTermDefaultQueueCallback(pContext);
    SetupCloseFileQueue(hQueue);
    SetupCloseInfFile(hInf);
    if (dwError)
        throw new CException("ERROR:\r\n" + m_pUpdate->m_strURL +
                             "\r\nInstallation script did not complete successfully!");
    RegisterRunOnce(true);
}

// "Wrapper" and "GrpConv" are values of the RunOnce key itself.
void CDownloadWorker::RegisterRunOnce(bool bRunNow)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                      KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return;
    HKEY hSetup = nullptr;
    if (RegOpenKeyExA(hKey, "Setup", 0, KEY_READ, &hSetup) == ERROR_SUCCESS)
    {
        RegCloseKey(hSetup);
        RegSetValueExA(hKey, "Wrapper", 0, REG_SZ, reinterpret_cast<const BYTE*>("runonce"), 8);
    }
    RegSetValueExA(hKey, "GrpConv", 0, REG_SZ, reinterpret_cast<const BYTE*>("grpconv -o"), 11);
    RegCloseKey(hKey);
    if (bRunNow)
        g_pfnUpdateWinExec("runonce -r", SW_SHOWNORMAL);
}

void CDownloadWorker::Run()
{
    CoUpdate* p = m_pUpdate;
    InterlockedExchange(&p->m_bStop, FALSE);
    const CString& strTemp = p->m_strTempFolder;
    DeleteFolderContents(strTemp, nullptr);
    if (GetFileAttributesA(strTemp) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(strTemp, nullptr))
        throw new CException("FATAL ERROR: Create " + strTemp + " failed!");

    SetPaneText(IDC_UPDATE_STATUS, LoadUpdateString(IDS_UPDATE_CONNECTING));
    m_strVersionUrl = p->m_strFolder.IsEmpty() ? JoinFolderUrl(p->m_strURL)
                                               : JoinFolderUrl(JoinFolderUrl(p->m_strURL) + p->m_strFolder);
    CServerFileList list;
    list.Read(p->m_hInternet, m_strVersionUrl);
    bool bFileList = false;
    bool bCabinets = false;
    DWORD dwTotal = 0;
    std::vector<size_t> files;
    for (size_t i = 0; i < list.m_names.size(); ++i)
    {
        // An archive's subfolders are for an INF: only the files of the version folder are fetched.
        if (list.m_folders[i])
            continue;
        files.push_back(i);
        dwTotal += list.m_sizes[i];
        bFileList = bFileList || list.m_names[i] == "FILELIST.INI";
        bCabinets = bCabinets || UpperExtension(list.m_names[i]) == ".CAB";
    }
    m_strCabarc = GetUpdateModuleFolder() + "CABARC.EXE";
    if (!Stopped() && bCabinets)
    {
        StartTransferTimer(p->m_ServerList.GetFileSize("CABARC.EXE"));
        if (!DownloadFile("CABARC.EXE", p->m_ServerList, m_strCabarc, true))
            return;
        SetPaneText(IDC_UPDATE_STATUS, "");
    }
    if (dwTotal == 0)
        throw new CException("FATAL ERROR: \r\n" + m_strVersionUrl + "\r\nNo files for download.");
    if (Stopped())
        return;
    CString strPrompt;
    strPrompt.Format(LoadUpdateString(IDS_UPDATE_DOWNLOAD_SIZE), static_cast<long>(dwTotal));
    if (AppMessageBoxCaption(strPrompt, UpdateCaption, MB_YESNO | MB_ICONQUESTION, p->m_hProgress) != IDYES ||
        Stopped())
        return;
    ShowAnimation(true);
    StartTransferTimer(dwTotal);
    for (size_t i : files)
    {
        if (Stopped())
            return;
        const CString& strName = list.m_names[i];
        if (!DownloadFile(strName, list, strTemp + strName, false))
            return;
        if (UpperExtension(strName) == ".CAB")
        {
            ExtractCabinet(strName);
            if (Stopped())
                return;
        }
    }
    ShowAnimation(false);
    Install(bFileList);
}

void CDownloadWorker::Install(bool bFileList)
{
    CoUpdate* p = m_pUpdate;
    const CString& strTemp = p->m_strTempFolder;
    std::vector<CString> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(strTemp + "*.*", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(data.cFileName);
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    // In name order, so that which failure a run reports does not depend on the file system.
    std::sort(names.begin(), names.end(),
              [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    if (bFileList)
        CheckFileList(names);
    bool bInstalled = false;
    bool bStarted = false;
    for (const CString& strName : names)
    {
        if (Stopped())
            return;
        CString strExtension = UpperExtension(strName);
        if (strExtension == ".MSI" || (strExtension == ".EXE" && !bFileList))
        {
            OpenWithShell(strTemp, strName);
            bInstalled = bStarted = true;
        }
        else if (bFileList)
        {
            CString strDirectory = ResolveDirectory(ReadListValue(strName, "Directory"));
            CString strInf = ReadListValue(strName, "INFFile");
            if (!strInf.IsEmpty())
            {
                InstallInf(strTemp + strInf, strDirectory, strTemp);
                bInstalled = true;
            }
            if (ReadListValue(strName, "DllRegisterServer") == "Yes")
                RegisterDll(strDirectory + strName);
        }
        else
        {
            CString strTarget = GetUpdateModuleFolder() + strName;
            if (!CopyFileA(strTemp + strName, strTarget, FALSE))
                throw new CException("FATAL ERROR: Download to the " + strTarget + "\r\nfailed!\r\n" +
                                     GetLastErrorText());
            bInstalled = true;
        }
    }
    if (p->m_bReboot)
    {
        if (AppMessageBoxCaption(LoadUpdateString(IDS_UPDATE_RESTART), UpdateCaption,
                                 MB_YESNO | MB_ICONQUESTION, p->m_hProgress) == IDYES)
            Restart();
        return;
    }
    if (!bInstalled)
        throw new CException("FATAL ERROR: \r\n" + p->m_strURL + "\r\nDownload failed!");
    if (!bStarted)
        AppMessageBoxCaption(LoadUpdateString(IDS_UPDATE_SUCCESS), UpdateCaption, MB_ICONINFORMATION,
                             p->m_hProgress);
}

void CDownloadWorker::Restart()
{
    if (g_pfnUpdateRestart)
    {
        g_pfnUpdateRestart();
        return;
    }
    HANDLE hToken = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &hToken))
    {
        TOKEN_PRIVILEGES privileges = {};
        if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        {
            CloseHandle(hToken);
            throw new CException("ERROR: Lookup privilege value failed!\r\n" + GetLastErrorText());
        }
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(hToken, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(hToken);
    }
    if (!ExitWindowsEx(EWX_REBOOT, 0))
        throw new CException("ERROR: Exit Windows failed!\r\n" + GetLastErrorText());
}

DWORD WINAPI DownloadThreadProc(LPVOID pParam)
{
    CoUpdate* pUpdate = static_cast<CoUpdate*>(pParam);
    CDownloadWorker worker(pUpdate);
    try
    {
        worker.Run();
    }
    catch (CException* e)
    {
        pUpdate->m_strError = e->m_strMessage;
        delete e;
    }
    catch (CFileException* e)
    {
        char szError[255] = "";
        e->GetErrorMessage(szError, sizeof(szError));
        pUpdate->m_strError = szError;
        delete e;
    }
    catch (...)
    {
        pUpdate->m_strError = "CoUpdate::DownloadThreadProc. Unhandled exception!!!";
    }
    if (worker.m_bComInitialised)
        CoUninitialize();
    HWND hPane = pUpdate->m_hProgress;
    if (hPane && IsWindow(hPane))
        PostMessageA(GetParent(hPane), WM_COMMAND, ID_END_DIALOG, 1);
    return 0;
}

void StartDownloadThread(CoUpdate* pUpdate, const char* pszFolder)
{
    pUpdate->m_strFolder = pszFolder;
    if (pUpdate->m_hDownloadThread)
        CloseHandle(pUpdate->m_hDownloadThread);
    InterlockedExchange(&pUpdate->m_bStop, FALSE);
    pUpdate->m_hDownloadThread = CreateThread(nullptr, 0, DownloadThreadProc, pUpdate, 0, nullptr);
    if (!pUpdate->m_hDownloadThread)
        throw new CException("FATAL ERROR: Create thread failed!\r\n" + GetLastErrorText());
}

CString DownloadToString(CoUpdate* pUpdate, const CServerFileList& list, const char* pszName)
{
    CString strText;
    if (!list.Contains(pszName))
        return strText;
    CInternetFile url(InternetOpenUrlA(pUpdate->m_hInternet, list.GetFileUrl(pszName), nullptr, 0,
                                       INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD, 0));
    if (!url.m_h)
        return strText;
    std::string bytes;
    char buffer[kBlockSize];
    DWORD dwRead = 0;
    while (!pUpdate->m_bStop && InternetReadFile(url.m_h, buffer, sizeof(buffer), &dwRead) && dwRead)
        bytes.append(buffer, dwRead);
    // The text ends at the first zero byte.
    return CString(bytes.c_str());
}

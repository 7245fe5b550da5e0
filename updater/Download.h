// The download worker: fetches a version folder, extracts its cabinets with CABARC.EXE and installs it.
#pragma once

#include <windows.h>

#include <time.h>

#include <vector>

#include <atlstr.h>

#include "updater/ServerFileList.h"

class CoUpdate;

// Seam: a test's stand-in for restarting Windows (null: the real restart).
typedef void (*UpdateRestartHook)();
extern UpdateRestartHook g_pfnUpdateRestart;
// Seam: what starts "runonce -r" after an INF installation (WinExec unless a test records it).
typedef UINT(WINAPI* UpdateWinExecHook)(LPCSTR pszCommand, UINT nShow);
extern UpdateWinExecHook g_pfnUpdateWinExec;

// The folder of OrbUpdate's own module, with its closing backslash.
CString GetUpdateModuleFolder();

// Starts the worker on m_strURL's version folder pszFolder (empty: the URL itself).
void StartDownloadThread(CoUpdate* pUpdate, const char* pszFolder);

// A listed file's text up to its first zero byte; empty when it is missing or cannot be read.
CString DownloadToString(CoUpdate* pUpdate, const CServerFileList& list, const char* pszName);

class CDownloadWorker
{
public:
    explicit CDownloadWorker(CoUpdate* pUpdate) : m_pUpdate(pUpdate) {}
    void Run();

    bool m_bComInitialised = false;

private:
    bool Stopped() const;
    void SetPaneText(int nId, const char* pszText);
    void ShowAnimation(bool bShow);
    void StartTransferTimer(DWORD dwTotal);
    void ShowProgress();
    bool DownloadFile(const char* pszName, const CServerFileList& list, const char* pszLocalPath,
                      bool bShowAnimation);
    void ExtractCabinet(const char* pszArchive);
    void Install(bool bFileList);
    void CheckFileList(const std::vector<CString>& files);
    CString ReadListValue(const char* pszSection, const char* pszKey);
    CString ResolveDirectory(const char* pszValue);
    static CString JoinFolder(const char* pszFolder);
    void RegisterDll(const char* pszPath);
    void InstallInf(const char* pszInfPath, const char* pszDirectory, const char* pszSourceFolder);
    static UINT CALLBACK InfQueueCallback(PVOID pContext, UINT nNotification, UINT_PTR nParam1,
                                          UINT_PTR nParam2);
    void RegisterRunOnce(bool bRunNow);
    void Restart();

    CoUpdate* m_pUpdate;
    CString m_strVersionUrl;
    CString m_strCabarc;
    DWORD m_dwTransferred = 0;
    DWORD m_dwTotal = 0;
    time_t m_tStart = 0;
};

// CInternetUpdate: the client of OrbUpdate's CoUpdate object, for the version check of the mail client
// and for fetching one missing component.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CUpdateRequest
{
public:
    // A "/" is added to a server URL that does not end in one.
    CUpdateRequest(const char* pszServerUrl, const char* pszDefaultInstallDirectory);

    long m_bPrompt;
    CString m_strServerUrl;
    CString m_strDefaultInstallDirectory;
    CString m_strCaption;
    CString m_strTempFolder;
};

class CInternetUpdate : public CUpdateRequest
{
public:
    CInternetUpdate(const char* pszServerUrl, const char* pszDefaultInstallDirectory);
    virtual ~CInternetUpdate();

    // Both throw CException* with the component's own text.
    virtual void Update(WORD wVersion1, WORD wVersion2, WORD wVersion3, WORD wVersion4);
    void DownloadAndInstall(const char* pszComponent);
    // The same with the failure shown; TryDownloadAndInstall returns 1 when the component was installed.
    virtual void RunUpdate(WORD wVersion1, WORD wVersion2, WORD wVersion3, WORD wVersion4);
    int TryDownloadAndInstall(const char* pszComponent);

    HANDLE m_hThread;

private:
    CInternetUpdate(const CInternetUpdate&);
    CInternetUpdate& operator=(const CInternetUpdate&);
};

// The component installer the database opening and the compose window call for a missing component.
int InstallMissingComponent(const char* pszComponent, const char* pszFolderUrl, const char* pszInstallDir);
// The main window's version check of this library's own file version, on a worker thread.
void StartInternetUpdate(bool bPrompt);

// OrbUpdate's COM object: serves CoUpdate and CoUpdate2, checks the update server for a newer version.
#include "updater/CoUpdate.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "updater/UpdateDialogs.h"

char UpdateCaption[520];
CString UpdateModuleFolderOverride;

namespace
{

// Exceptions are the library's own failures; anything else is traced as the catch-alls of the program do.
HRESULT StoreUnhandled(CoUpdate* pThis, const char* pszMethod)
{
    CString strText;
    strText.Format("CoUpdate::%s. Unhandled exception!!!", pszMethod);
    DebugTrace("%s", strText.GetString());
    if (pThis->m_strError.IsEmpty())
        pThis->m_strError = strText;
    return S_FALSE;
}

} // namespace

CString TextFromBstr(BSTR bstr)
{
    return bstr ? CString(static_cast<const wchar_t*>(bstr)) : CString();
}

bool IsDriveOrShareRoot(const char* pszFolder)
{
    CString str(pszFolder ? pszFolder : "");
    str.Replace('/', '\\');
    str.TrimRight('\\');
    if (str.IsEmpty())
        return true;
    if (str.GetLength() == 2 && str[1] == ':')
        return true;
    if (str.Left(2) == "\\\\")
    {
        // "\\server" or "\\server\share" (and "\\?\C:" or "\\.\X:" forms) name no folder of their own.
        int nSeparators = 0;
        for (int i = 2; i < str.GetLength(); ++i)
            nSeparators += str[i] == '\\';
        if (nSeparators <= 1)
            return true;
        CString strRest = str.Mid(4);
        if ((str.Left(4) == "\\\\?\\" || str.Left(4) == "\\\\.\\") && strRest.GetLength() == 2 &&
            strRest[1] == ':')
            return true;
    }
    return false;
}

CoUpdate::CoUpdate() {}

CoUpdate::~CoUpdate()
{
    StopThreads();
    CloseHandles();
}

void CoUpdate::SetCaption(BSTR bstrCaption)
{
    CString strCaption = TextFromBstr(bstrCaption);
    lstrcpynA(UpdateCaption, strCaption, sizeof(UpdateCaption));
}

void CoUpdate::SetTempFolder(BSTR bstrTempFolder)
{
    m_strTempFolder = TextFromBstr(bstrTempFolder);
    if (!m_strTempFolder.IsEmpty() && m_strTempFolder[m_strTempFolder.GetLength() - 1] != '\\')
        m_strTempFolder += '\\';
    // Each run empties this folder: a drive or share root would lose everything on it.
    if (IsDriveOrShareRoot(m_strTempFolder))
        throw new CException("FATAL ERROR: The temporary folder \"" + m_strTempFolder +
                             "\" is not a folder of its own.");
}

void CoUpdate::OpenInternet()
{
    if (m_hInternet)
        InternetCloseHandle(m_hInternet);
    m_hInternet = InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!m_hInternet)
        throw new CException("FATAL ERROR: Open Internet failed!\r\n" + GetLastErrorText());
}

void CoUpdate::StoreError(CException* pException)
{
    m_strError = pException->m_strMessage;
    delete pException;
}

void CoUpdate::StoreError(CFileException* pException)
{
    char szError[255] = "";
    pException->GetErrorMessage(szError, sizeof(szError));
    m_strError = szError;
    delete pException;
}

STDMETHODIMP CoUpdate::Update(BSTR bstrURL, BSTR bstrCaption, long boPromptNewestVersion,
                              unsigned short wVersion1, unsigned short wVersion2, unsigned short wVersion3,
                              unsigned short wVersion4, BSTR bstrTempFolder, BSTR bstrDefaultInstallDirectory)
{
    try
    {
        m_strURL = TextFromBstr(bstrURL);
        SetCaption(bstrCaption);
        m_strDefaultInstallDirectory = TextFromBstr(bstrDefaultInstallDirectory);
        m_Version = CUpdateVersion(wVersion1, wVersion2, wVersion3, wVersion4);
        m_bPromptNewestVersion = boPromptNewestVersion;
        SetTempFolder(bstrTempFolder);
        return CheckForNewVersion();
    }
    catch (CException* e)
    {
        StoreError(e);
        return S_FALSE;
    }
    catch (...)
    {
        return StoreUnhandled(this, "Update");
    }
}

STDMETHODIMP CoUpdate::get_Error(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_strError.AllocSysString();
    return S_OK;
}

void CoUpdate::CloseHandles()
{
    if (m_hDownloadThread)
        CloseHandle(m_hDownloadThread);
    m_hDownloadThread = nullptr;
    if (m_hUpdateThread)
        CloseHandle(m_hUpdateThread);
    m_hUpdateThread = nullptr;
    if (m_hInternet)
        InternetCloseHandle(m_hInternet);
    m_hInternet = nullptr;
}

// A worker still running uses this object: stop it and wait, answering the COM calls (an event fired to
// this apartment) that it may be waiting on meanwhile.
void CoUpdate::StopThreads()
{
    InterlockedExchange(&m_bStop, TRUE);
    HANDLE handles[2];
    DWORD nHandles = 0;
    if (m_hDownloadThread)
        handles[nHandles++] = m_hDownloadThread;
    if (m_hUpdateThread)
        handles[nHandles++] = m_hUpdateThread;
    for (DWORD i = 0; i < nHandles; ++i)
    {
        // The worker's own last release ends here: it cannot wait for itself.
        if (GetThreadId(handles[i]) == GetCurrentThreadId())
            continue;
        DWORD dwIndex = 0;
        HRESULT hr = CoWaitForMultipleHandles(COWAIT_DEFAULT, INFINITE, 1, &handles[i], &dwIndex);
        // Outside COM (no apartment on this thread) a plain wait does the same.
        if (hr == CO_E_NOTINITIALIZED)
            WaitForSingleObject(handles[i], INFINITE);
    }
}

STDMETHODIMP CoUpdate::Close()
{
    try
    {
        StopThreads();
        CloseHandles();
        return S_OK;
    }
    catch (...)
    {
        StoreUnhandled(this, "Close");
        return S_OK;
    }
}

STDMETHODIMP CoUpdate::DownloadAndInstall(BSTR bstrURL, BSTR bstrFolder, BSTR bstrCaption,
                                          BSTR bstrTempFolder, BSTR bstrDefaultInstallDirectory)
{
    try
    {
        m_strURL = TextFromBstr(bstrURL) + TextFromBstr(bstrFolder);
        SetCaption(bstrCaption);
        m_strDefaultInstallDirectory = TextFromBstr(bstrDefaultInstallDirectory);
        SetTempFolder(bstrTempFolder);
        OpenInternet();
        m_ServerList.Read(m_hInternet, m_strURL);
        ShowDownloadDialog(this, GetActiveWindow());
    }
    catch (CException* e)
    {
        StoreError(e);
    }
    catch (CFileException* e)
    {
        StoreError(e);
    }
    catch (...)
    {
        StoreUnhandled(this, "DownloadAndInstall");
    }
    return m_strError.IsEmpty() ? S_OK : S_FALSE;
}

STDMETHODIMP CoUpdate::UpdateThread(BSTR bstrURL, BSTR bstrCaption, long boPromptNewestVersion,
                                    unsigned short wVersion1, unsigned short wVersion2,
                                    unsigned short wVersion3, unsigned short wVersion4, BSTR bstrTempFolder,
                                    BSTR bstrDefaultInstallDirectory)
{
    try
    {
        // One check at a time on this object: an earlier one is finished before the members change.
        if (m_hUpdateThread)
        {
            StopThreads();
            CloseHandle(m_hUpdateThread);
            m_hUpdateThread = nullptr;
        }
        m_strURL = TextFromBstr(bstrURL);
        SetCaption(bstrCaption);
        m_strDefaultInstallDirectory = TextFromBstr(bstrDefaultInstallDirectory);
        m_Version = CUpdateVersion(wVersion1, wVersion2, wVersion3, wVersion4);
        m_bPromptNewestVersion = boPromptNewestVersion;
        SetTempFolder(bstrTempFolder);
        InterlockedExchange(&m_bStop, FALSE);
        // The thread holds a reference: a release during the check cannot free the object under it.
        GetUnknown()->AddRef();
        m_hUpdateThread = CreateThread(nullptr, 0, UpdateThreadProc, this, 0, nullptr);
        if (!m_hUpdateThread)
        {
            GetUnknown()->Release();
            throw new CException("FATAL ERROR: Create thread failed!\r\n" + GetLastErrorText());
        }
    }
    catch (CException* e)
    {
        StoreError(e);
    }
    catch (...)
    {
        StoreUnhandled(this, "UpdateThread");
    }
    return S_OK;
}

DWORD WINAPI CoUpdate::UpdateThreadProc(LPVOID pParam)
{
    CoUpdate* pThis = static_cast<CoUpdate*>(pParam);
    HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try
    {
        pThis->CheckForNewVersion();
        pThis->FireUpdateThreadCompleted();
    }
    catch (...)
    {
        StoreUnhandled(pThis, "UpdateThreadProc");
    }
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    pThis->GetUnknown()->Release();
    return 0;
}

// The connection list keeps each sink in the global interface table: the call reaches the sink in the
// apartment that advised it.
void CoUpdate::FireUpdateThreadCompleted()
{
    FireEvent(1);
}

long CoUpdate::CheckForNewVersion()
{
    try
    {
        OpenInternet();
        m_ServerList.Read(m_hInternet, m_strURL);
        bool bVersionFolderSeen = false;
        for (size_t i = 0; i < m_ServerList.m_names.size(); ++i)
        {
            const CString& strName = m_ServerList.m_names[i];
            if (!CUpdateVersion::IsVersionFolderName(strName))
                continue;
            bVersionFolderSeen = true;
            CUpdateVersion version;
            if (!version.TryParse(strName))
                throw new CException("FATAL ERROR: Format of the " + m_strURL +
                                     m_ServerList.m_serverNames[i] + " folder failed!");
            if (m_Version.Compare(version) >= 0)
                continue;
            CString strPrompt;
            strPrompt.Format(LoadUpdateString(IDS_UPDATE_NEW_VERSION), UpdateCaption);
            if (AppMessageBoxCaption(strPrompt, UpdateCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
                ShowUpdateDialog(this, GetActiveWindow());
            return m_strError.IsEmpty() ? 0 : 1;
        }
        if (!bVersionFolderSeen)
        {
            m_strError = "ERROR: " + m_strURL + "\r\nThe version folder was not detected.";
            return 1;
        }
        if (m_bPromptNewestVersion)
        {
            AppMessageBoxCaption(LoadUpdateString(IDS_UPDATE_NEWEST), UpdateCaption, MB_ICONINFORMATION);
            ShowUpdateDialog(this, GetActiveWindow());
        }
    }
    catch (CException* e)
    {
        StoreError(e);
        if (m_hInternet)
            InternetCloseHandle(m_hInternet);
        m_hInternet = nullptr;
    }
    catch (CFileException* e)
    {
        StoreError(e);
    }
    return m_strError.IsEmpty() ? 0 : 1;
}

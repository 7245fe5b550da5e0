// The update component client: one CoUpdate object per request, closed and released on every path.
#include "app/InternetUpdate.h"

#include <atlbase.h>

#include "OrbUpdate.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "resources/resource.h"

namespace
{
const char kComponentName[] = "update (OrbUpdate.dll)";
const char kCreateFailed[] = "FATAL ERROR: Create update component failed!";
const char kUpdateFolder[] = "Update\\";

CString LoadText(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

CString SystemText(HRESULT hr)
{
    char* pszText = NULL;
    const DWORD dwFlags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    ::FormatMessageA(dwFlags, NULL, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&pszText), 0, NULL);
    CString strText;
    if (pszText != NULL)
    {
        strText = pszText;
        ::LocalFree(pszText);
        strText.TrimRight();
    }
    CString strCode;
    strCode.Format("HRESULT 0x%08X", static_cast<unsigned>(hr));
    return strText.IsEmpty() ? strCode : strText + " (" + strCode + ")";
}

// Ends the object's work whatever the call gave, then raises a failed call's text: the component's own,
// or the system's text of its HRESULT when it left none.
void FinishCall(CComPtr<ICoUpdate>& pUpdate, HRESULT hr)
{
    CString strError;
    if (hr != S_OK)
    {
        CComBSTR bstrError;
        if (SUCCEEDED(pUpdate->get_Error(&bstrError)) && bstrError != NULL)
            strError = bstrError;
        if (strError.IsEmpty())
            strError = SystemText(hr);
    }
    pUpdate->Close();
    pUpdate.Release();
    if (hr != S_OK)
        throw new CException(strError);
}

void ShowFailure(CException* pException, const CString& strAdvice)
{
    CString strText = pException->m_strMessage + strAdvice;
    delete pException;
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n" + strText);
    ShowErrorReportPrompt(strText, NULL);
}

struct CUpdateStart
{
    bool bPrompt;
    CString strUrl;
    CString strInstallDir;
};

DWORD WINAPI UpdateThreadProc(LPVOID pParam)
{
    CUpdateStart* pStart = static_cast<CUpdateStart*>(pParam);
    HRESULT hrInit = ::CoInitialize(NULL);
    try
    {
        CInternetUpdate update(pStart->strUrl, pStart->strInstallDir);
        update.m_bPrompt = pStart->bPrompt ? 1 : 0;
        int nMajor = 0, nMinor = 0, nBuild = 0, nRevision = 0;
        CString strShort, strLong;
        GetModulePaths(strShort, strLong);
        GetFileVersionNumbers(strLong, nMajor, nMinor, nBuild, nRevision);
        if (pStart->bPrompt)
        {
            update.RunUpdate(static_cast<WORD>(nMajor), static_cast<WORD>(nMinor), static_cast<WORD>(nBuild),
                             static_cast<WORD>(nRevision));
        }
        else
        {
            // The check at start runs unasked: a server out of reach (offline, or no server set up) is traced,
            // not put before the user as a fatal error on every start; Tools, update shows it.
            try
            {
                update.Update(static_cast<WORD>(nMajor), static_cast<WORD>(nMinor), static_cast<WORD>(nBuild),
                              static_cast<WORD>(nRevision));
            }
            catch (CException* pException)
            {
                if (IsTraceOn())
                    g_pTraceFile->WriteText("\r\n" + pException->m_strMessage);
                delete pException;
            }
        }
    }
    catch (CException* pException)
    {
        ShowFailure(pException, CString());
    }
    catch (const char* pszText)
    {
        ShowErrorReportPrompt(pszText, NULL);
    }
    catch (...)
    {
        if (IsTraceOn())
            g_pTraceFile->WriteText("\r\nUpdateThreadProc()\r\nUnhandled exception!!!");
    }
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    delete pStart;
    return 0;
}
} // namespace

CUpdateRequest::CUpdateRequest(const char* pszServerUrl, const char* pszDefaultInstallDirectory)
    : m_bPrompt(0), m_strServerUrl(pszServerUrl), m_strDefaultInstallDirectory(pszDefaultInstallDirectory),
      m_strCaption(AppCaption), m_strTempFolder(GetTempFolder() + kUpdateFolder)
{
    if (m_strServerUrl.Right(1) != "/")
        m_strServerUrl += "/";
}

CInternetUpdate::CInternetUpdate(const char* pszServerUrl, const char* pszDefaultInstallDirectory)
    : CUpdateRequest(pszServerUrl, pszDefaultInstallDirectory), m_hThread(NULL)
{
}

CInternetUpdate::~CInternetUpdate()
{
    if (m_hThread != NULL)
        ::CloseHandle(m_hThread);
}

void CInternetUpdate::Update(WORD wVersion1, WORD wVersion2, WORD wVersion3, WORD wVersion4)
{
    CComPtr<ICoUpdate> pUpdate;
    CreateComComponent(CLSID_CoUpdate, IID_ICoUpdate, reinterpret_cast<void**>(&pUpdate), kComponentName);
    CComBSTR bstrUrl(m_strServerUrl), bstrCaption(m_strCaption), bstrTemp(m_strTempFolder),
        bstrInstall(m_strDefaultInstallDirectory);
    HRESULT hr = pUpdate->Update(bstrUrl, bstrCaption, m_bPrompt, wVersion1, wVersion2, wVersion3, wVersion4,
                                 bstrTemp, bstrInstall);
    FinishCall(pUpdate, hr);
}

void CInternetUpdate::DownloadAndInstall(const char* pszComponent)
{
    CComPtr<ICoUpdate> pUpdate;
    if (FAILED(pUpdate.CoCreateInstance(CLSID_CoUpdate, NULL,
                                        CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                            CLSCTX_REMOTE_SERVER)))
        throw new CException(kCreateFailed);
    CComBSTR bstrUrl(m_strServerUrl), bstrFolder(pszComponent), bstrCaption(m_strCaption),
        bstrTemp(m_strTempFolder), bstrInstall(m_strDefaultInstallDirectory);
    HRESULT hr = pUpdate->DownloadAndInstall(bstrUrl, bstrFolder, bstrCaption, bstrTemp, bstrInstall);
    FinishCall(pUpdate, hr);
}

void CInternetUpdate::RunUpdate(WORD wVersion1, WORD wVersion2, WORD wVersion3, WORD wVersion4)
{
    try
    {
        Update(wVersion1, wVersion2, wVersion3, wVersion4);
    }
    catch (CException* pException)
    {
        ShowFailure(pException, LoadText(IDS_UPDATE_OPTIONS_ADVICE));
    }
}

int CInternetUpdate::TryDownloadAndInstall(const char* pszComponent)
{
    try
    {
        DownloadAndInstall(pszComponent);
        return 1;
    }
    catch (CException* pException)
    {
        ShowFailure(pException, CString());
    }
    return 0;
}

int InstallMissingComponent(const char* pszComponent, const char* pszFolderUrl, const char* pszInstallDir)
{
    CInternetUpdate update(pszFolderUrl, pszInstallDir);
    return update.TryDownloadAndInstall(pszComponent);
}

void StartInternetUpdate(bool bPrompt)
{
    CRegistry* pRegistry = g_pRegistry;
    CUpdateStart* pStart = new CUpdateStart;
    pStart->bPrompt = bPrompt;
    if (pRegistry != NULL)
    {
        pStart->strUrl = pRegistry->m_strUpdateUrl;
        pStart->strInstallDir = pRegistry->GetDefaultInstallDirectory();
    }
    DWORD dwThreadId = 0;
    HANDLE hThread = ::CreateThread(NULL, 0, UpdateThreadProc, pStart, 0, &dwThreadId);
    if (hThread == NULL)
    {
        delete pStart;
        return;
    }
    ::CloseHandle(hThread);
}

// OrbUpdate's COM object: serves CoUpdate and CoUpdate2, checks the update server for a newer version.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <atlbase.h>
#include <atlcom.h>

#include "OrbUpdate.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "updater/ServerFileList.h"
#include "updater/UpdateResources.h"
#include "updater/UpdateVersion.h"

// The caption of every message box and dialog of the updater; each entry method fills it.
extern char UpdateCaption[520];

// What a test puts in place of the module's own folder (empty: the folder of OrbUpdate.dll).
extern CString UpdateModuleFolderOverride;

class CoUpdate : public CComObjectRootEx<CComSingleThreadModel>,
                 public CComCoClass<CoUpdate, &CLSID_CoUpdate>,
                 public IDispatchImpl<ICoUpdate, &IID_ICoUpdate, &LIBID_UPDATELib>,
                 public IDispatchImpl<ICoUpdate2, &IID_ICoUpdate2, &LIBID_UPDATELib>,
                 public IConnectionPointContainerImpl<CoUpdate>,
                 public IConnectionPointImpl<CoUpdate, &DIID__ICoUpdateEvents>
{
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_COUPDATE)

    BEGIN_COM_MAP(CoUpdate)
    COM_INTERFACE_ENTRY(ICoUpdate)
    COM_INTERFACE_ENTRY(ICoUpdate2)
    COM_INTERFACE_ENTRY2(IDispatch, ICoUpdate)
    COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CoUpdate)
    CONNECTION_POINT_ENTRY(DIID__ICoUpdateEvents)
    END_CONNECTION_POINT_MAP()

    CoUpdate();
    ~CoUpdate();

    // ICoUpdate
    STDMETHOD(Update)
    (BSTR bstrURL, BSTR bstrCaption, long boPromptNewestVersion, unsigned short wVersion1,
     unsigned short wVersion2, unsigned short wVersion3, unsigned short wVersion4, BSTR bstrTempFolder,
     BSTR bstrDefaultInstallDirectory);
    STDMETHOD(get_Error)(BSTR* pVal);
    STDMETHOD(Close)();
    STDMETHOD(DownloadAndInstall)
    (BSTR bstrURL, BSTR bstrFolder, BSTR bstrCaption, BSTR bstrTempFolder, BSTR bstrDefaultInstallDirectory);
    // ICoUpdate2
    STDMETHOD(UpdateThread)
    (BSTR bstrURL, BSTR bstrCaption, long boPromptNewestVersion, unsigned short wVersion1,
     unsigned short wVersion2, unsigned short wVersion3, unsigned short wVersion4, BSTR bstrTempFolder,
     BSTR bstrDefaultInstallDirectory);

    long CheckForNewVersion();
    CString GetVersionText() const { return m_Version.Format(); }

    CString m_strFolder;
    CString m_strError;
    CString m_strURL;
    CString m_strTempFolder;
    CString m_strDefaultInstallDirectory;
    HINTERNET m_hInternet = nullptr;
    CServerFileList m_ServerList;
    HANDLE m_hDownloadThread = nullptr;
    HWND m_hProgress = nullptr;
    BOOL m_bReboot = FALSE;
    BOOL m_bPromptNewestVersion = FALSE;
    CUpdateVersion m_Version;
    HANDLE m_hUpdateThread = nullptr;
    // Set to stop the download worker or the update thread; read by them between steps.
    volatile LONG m_bStop = TRUE;

private:
    void SetCaption(BSTR bstrCaption);
    // Stores the temp folder with its closing backslash; refuses one that would empty a drive or share.
    void SetTempFolder(BSTR bstrTempFolder);
    void OpenInternet();
    void StopThreads();
    void CloseHandles();
    void StoreError(CException* pException);
    void StoreError(CFileException* pException);
    static DWORD WINAPI UpdateThreadProc(LPVOID pParam);
    void FireUpdateThreadCompleted();
};

// Converts a BSTR to text in the user's code page (a null BSTR is empty).
CString TextFromBstr(BSTR bstr);
// True for a path that names a whole drive or share (or nothing): a temp folder that must not be emptied.
bool IsDriveOrShareRoot(const char* pszFolder);

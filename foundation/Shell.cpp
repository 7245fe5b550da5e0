// The shell namespace walk, COM objects with readable creation failures, Internet Explorer and HTML Help.
#include "foundation/Shell.h"

#include <exdisp.h>
#include <mutex>
#include <shlobj.h>
#include <shlwapi.h>
#include <string.h>

#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/Paths.h"
#include "foundation/Texts.h"

namespace
{
const CLSID kClsidInternetExplorer = {
    0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

template <class T> class CReleaser
{
public:
    CReleaser() : p(NULL) {}
    ~CReleaser()
    {
        if (p != NULL)
            p->Release();
    }
    T* p;

private:
    CReleaser(const CReleaser&);
    CReleaser& operator=(const CReleaser&);
};

class CPidl
{
public:
    explicit CPidl(LPITEMIDLIST pidl = NULL) : p(pidl) {}
    ~CPidl() { ::CoTaskMemFree(p); }
    void Reset(LPITEMIDLIST pidl)
    {
        ::CoTaskMemFree(p);
        p = pidl;
    }
    LPITEMIDLIST p;

private:
    CPidl(const CPidl&);
    CPidl& operator=(const CPidl&);
};

CString DisplayName(IShellFolder* pFolder, LPCITEMIDLIST pidlChild)
{
    STRRET name;
    char szName[MAX_PATH] = "";
    if (SUCCEEDED(pFolder->GetDisplayNameOf(pidlChild, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
        ::StrRetToBufA(&name, pidlChild, szName, sizeof(szName));
    return szName;
}

CString ShortPath(const CString& strPath)
{
    char szShort[MAX_PATH] = "";
    DWORD n = ::GetShortPathNameA(strPath, szShort, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return strPath;
    return szShort;
}

bool MatchesComponent(const CString& strSoFar, const CString& strName, const CString& strComponent)
{
    if (strComponent.GetLength() >= 2 && strComponent[1] == ':')
    {
        int nColon = strName.Find(':');
        return nColon > 0 && ::CharUpperA((LPSTR)(ULONG_PTR)(BYTE)strName[nColon - 1]) ==
                                 ::CharUpperA((LPSTR)(ULONG_PTR)(BYTE)strComponent[0]);
    }
    return ShortPath(strSoFar + "\\" + strName) == ShortPath(strSoFar + "\\" + strComponent);
}

void GetIcons(IShellFolder* pFolder, LPCITEMIDLIST pidlChild, HICON& hSmall, HICON& hLarge)
{
    hSmall = hLarge = NULL;
    CReleaser<IExtractIconA> extract;
    if (FAILED(pFolder->GetUIObjectOf(NULL, 1, &pidlChild, IID_IExtractIconA, NULL, (void**)&extract.p)))
        return;
    char szIconFile[MAX_PATH] = "";
    int nIndex = 0;
    UINT uFlags = 0;
    if (extract.p->GetIconLocation(0, szIconFile, MAX_PATH, &nIndex, &uFlags) != S_OK)
        return;
    if (extract.p->Extract(szIconFile, nIndex, &hLarge, &hSmall, MAKELONG(32, 16)) != S_OK)
    {
        hSmall = hLarge = NULL;
        ::ExtractIconExA(szIconFile, nIndex, &hLarge, &hSmall, 1);
    }
}

std::mutex g_htmlHelpLock;
HMODULE g_hHtmlHelp = NULL;
FARPROC g_pfnHtmlHelp = NULL;
bool g_bHtmlHelpFailed = false;

HMODULE LoadHtmlHelpLibrary(const char* pszPath)
{
    return ::LoadLibraryA(pszPath);
}

HtmlHelpLoader g_pfnHtmlHelpLoader = LoadHtmlHelpLibrary;

typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);
} // namespace

void MatchShellPath(const char* pszFolderPath, ShellFileCallback pfnCallback, const char* pszFilter,
                    LPARAM lParam)
{
    if (pszFolderPath == NULL || pfnCallback == NULL)
        return;
    CReleaser<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(&desktop.p)))
        return;
    CPidl pidlAbsolute;
    if (FAILED(::SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &pidlAbsolute.p)))
        return;
    CReleaser<IShellFolder> folder;
    if (FAILED(desktop.p->BindToObject(pidlAbsolute.p, NULL, IID_IShellFolder, (void**)&folder.p)))
        return;

    std::vector<CString> components;
    CString strPath = pszFolderPath;
    for (int nStart = 0; nStart < strPath.GetLength();)
    {
        int nSep = strPath.Find('\\', nStart);
        if (nSep < 0)
            nSep = strPath.GetLength();
        if (nSep > nStart)
            components.push_back(strPath.Mid(nStart, nSep - nStart));
        nStart = nSep + 1;
    }

    CString strSoFar;
    for (const CString& strComponent : components)
    {
        CReleaser<IEnumIDList> items;
        if (folder.p->EnumObjects(NULL, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items.p) != S_OK)
            return;
        bool bFound = false;
        LPITEMIDLIST pidlChild = NULL;
        while (!bFound && items.p->Next(1, &pidlChild, NULL) == S_OK)
        {
            CPidl child(pidlChild);
            if (!MatchesComponent(strSoFar, DisplayName(folder.p, child.p), strComponent))
                continue;
            CReleaser<IShellFolder> inner;
            if (FAILED(folder.p->BindToObject(child.p, NULL, IID_IShellFolder, (void**)&inner.p)))
                return;
            std::swap(folder.p, inner.p);
            pidlAbsolute.Reset(::ILCombine(pidlAbsolute.p, child.p));
            strSoFar = strSoFar.IsEmpty() ? strComponent : strSoFar + "\\" + strComponent;
            bFound = true;
        }
        if (!bFound || pidlAbsolute.p == NULL)
            return;
    }

    CReleaser<IEnumIDList> files;
    if (folder.p->EnumObjects(NULL, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &files.p) != S_OK)
        return;
    LPITEMIDLIST pidlChild = NULL;
    while (files.p->Next(1, &pidlChild, NULL) == S_OK)
    {
        CPidl child(pidlChild);
        if (pszFilter != NULL && DisplayName(folder.p, child.p) != pszFilter)
            continue;
        CPidl full(::ILCombine(pidlAbsolute.p, child.p));
        char szFile[MAX_PATH] = "";
        if (full.p == NULL || !::SHGetPathFromIDListA(full.p, szFile))
            continue;
        HICON hSmall, hLarge;
        GetIcons(folder.p, child.p, hSmall, hLarge);
        pfnCallback(lParam, szFile, GetPathFileNameExt(szFile), hSmall, hLarge);
        if (hSmall != NULL)
            ::DestroyIcon(hSmall);
        if (hLarge != NULL)
            ::DestroyIcon(hLarge);
    }
}

BOOL CreateAndRunObject(IDispatch** ppDispatch, REFCLSID clsid)
{
    *ppDispatch = NULL;
    CReleaser<IUnknown> unknown;
    HRESULT hr = ::CoCreateInstance(clsid, NULL,
                                    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                        CLSCTX_REMOTE_SERVER,
                                    IID_IUnknown, (void**)&unknown.p);
    if (hr == E_INVALIDARG)
        hr = ::CoCreateInstance(clsid, NULL,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                IID_IUnknown, (void**)&unknown.p);
    if (SUCCEEDED(hr))
        hr = ::OleRun(unknown.p);
    if (SUCCEEDED(hr))
        hr = unknown.p->QueryInterface(IID_IDispatch, (void**)ppDispatch);
    if (FAILED(hr))
    {
        *ppDispatch = NULL;
        LPOLESTR pszClsid = NULL;
        CString strName;
        if (SUCCEEDED(::StringFromCLSID(clsid, &pszClsid)))
        {
            strName = CString(pszClsid);
            ::CoTaskMemFree(pszClsid);
        }
        GetHResultText(hr, strName);
    }
    return TRUE;
}

void GetHResultText(HRESULT hr, const char* pszComponentName)
{
    if (hr == 0)
        return;
    CString strReason;
    for (const FoundationText::HResultText& entry : FoundationText::kCreateObjectTexts)
    {
        if (entry.hr == (unsigned long)hr)
            strReason = entry.pszText;
    }
    if (strReason.IsEmpty())
    {
        strReason = FoundationText::kUnknownError;
        CString strCode;
        strCode.Format(FoundationText::kHResultFormat, (unsigned)hr);
        strReason += strCode;
    }
    CString strMessage = FoundationText::kCreateComponentPrefix;
    strMessage += pszComponentName ? pszComponentName : "";
    strMessage += FoundationText::kCreateComponentSuffix;
    strMessage += strReason;
    throw new CException(strMessage);
}

CBrowserWindow::CBrowserWindow(const char* pszUrl) : m_pBrowser(NULL)
{
    if (pszUrl != NULL)
    {
        CString strError;
        Navigate(strError, pszUrl, true);
    }
}

CBrowserWindow::~CBrowserWindow()
{
    if (m_pBrowser != NULL)
        m_pBrowser->Release();
}

CString CBrowserWindow::Navigate(CString& strError, const char* pszUrl, bool bQuiet)
{
    strError.Empty();
    try
    {
        if (m_pBrowser == NULL)
        {
            IDispatch* pDispatch = NULL;
            CreateAndRunObject(&pDispatch, kClsidInternetExplorer);
            HRESULT hr = pDispatch->QueryInterface(IID_IWebBrowser2, (void**)&m_pBrowser);
            pDispatch->Release();
            if (FAILED(hr) || m_pBrowser == NULL)
            {
                m_pBrowser = NULL;
                strError = FoundationText::kQueryWebBrowserFailed;
            }
            else
            {
                m_pBrowser->put_Visible(VARIANT_TRUE);
            }
        }
        if (m_pBrowser != NULL)
        {
            VARIANT vEmpty;
            ::VariantInit(&vEmpty);
            CString strUrl = pszUrl ? pszUrl : "";
            BSTR bstrUrl = strUrl.AllocSysString();
            HRESULT hr = m_pBrowser->Navigate(bstrUrl, &vEmpty, &vEmpty, &vEmpty, &vEmpty);
            ::SysFreeString(bstrUrl);
            if (FAILED(hr))
            {
                if (hr == E_OUTOFMEMORY)
                    strError = FoundationText::kOutOfMemory;
                else if (hr == E_INVALIDARG)
                    strError = FoundationText::kInvalidArgs;
                else
                    strError = FoundationText::kUnknownError;
                m_pBrowser->Release();
                m_pBrowser = NULL;
            }
        }
    }
    catch (CException* e)
    {
        strError = e->m_strMessage;
        delete e;
    }
    if (!strError.IsEmpty() && !bQuiet)
        AppMessageBox(strError, 0, NULL);
    return strError;
}

HWND HtmlHelp(HWND hWnd, const char* pszFile, UINT uCommand, DWORD_PTR dwData)
{
    HtmlHelpProc pfnHtmlHelp = NULL;
    {
        std::lock_guard<std::mutex> lock(g_htmlHelpLock);
        if (g_bHtmlHelpFailed)
            return NULL;
        if (g_pfnHtmlHelp == NULL)
        {
            CString strPath;
            if (GetHtmlHelpPath(strPath))
                g_hHtmlHelp = g_pfnHtmlHelpLoader(strPath);
            if (g_hHtmlHelp == NULL)
                g_hHtmlHelp = g_pfnHtmlHelpLoader(FoundationText::kHtmlHelpLibrary);
            if (g_hHtmlHelp != NULL)
                g_pfnHtmlHelp = ::GetProcAddress(g_hHtmlHelp, MAKEINTRESOURCEA(14));
            if (g_pfnHtmlHelp == NULL)
            {
                g_bHtmlHelpFailed = true;
                return NULL;
            }
        }
        pfnHtmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<INT_PTR>(g_pfnHtmlHelp));
    }
    return pfnHtmlHelp(hWnd, pszFile, uCommand, dwData);
}

BOOL GetHtmlHelpPath(CString& strPath)
{
    strPath.Empty();
    HKEY hKey = NULL;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, FoundationText::kHtmlHelpKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    char szPath[MAX_PATH + 1] = "";
    DWORD cb = MAX_PATH;
    DWORD dwType = 0;
    LONG lResult = ::RegQueryValueExA(hKey, NULL, NULL, &dwType, (BYTE*)szPath, &cb);
    ::RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return FALSE;
    szPath[cb < MAX_PATH ? cb : MAX_PATH] = '\0';
    strPath = szPath;
    return !strPath.IsEmpty();
}

void SetHtmlHelpLoader(HtmlHelpLoader pfnLoader)
{
    std::lock_guard<std::mutex> lock(g_htmlHelpLock);
    g_pfnHtmlHelpLoader = pfnLoader ? pfnLoader : LoadHtmlHelpLibrary;
    g_hHtmlHelp = NULL;
    g_pfnHtmlHelp = NULL;
    g_bHtmlHelpFailed = false;
}

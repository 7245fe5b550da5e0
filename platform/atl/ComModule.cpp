// The COM server module: lock count, class objects, registration scripts and the type library.
#include "atlbase.h"

namespace ATL
{

CComModule* _pAtlModule = nullptr;

const CLSID CLSID_Registrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID IID_IRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

namespace
{

// Registration may run in a thread that has not entered COM yet (regsvr32 does not promise it).
class CComInit
{
public:
    CComInit() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComInit()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

} // namespace

CComModule::CComModule()
{
    _pAtlModule = this;
}

// Term is the owner's call (DllMain or the program's end): releasing COM objects from a static destructor
// could reach libraries already unloaded.
CComModule::~CComModule()
{
    if (_pAtlModule == this)
        _pAtlModule = nullptr;
}

HRESULT CComModule::Init(_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInstance, const GUID* plibid)
{
    m_pObjMap = pObjMap;
    m_hInst = hInstance;
    if (plibid)
        m_libid = *plibid;
    return S_OK;
}

void CComModule::Term()
{
    for (_ATL_OBJMAP_ENTRY* pEntry = m_pObjMap; pEntry && pEntry->pclsid; ++pEntry)
    {
        if (pEntry->pCF)
            pEntry->pCF->Release();
        pEntry->pCF = nullptr;
    }
    CComCritSecLock<CComAutoCriticalSection> lock(m_csTypeInfo);
    for (auto& entry : m_typeInfos)
        entry.second->Release();
    m_typeInfos.clear();
    if (m_pTypeLib)
        m_pTypeLib->Release();
    m_pTypeLib = nullptr;
}

HINSTANCE CComModule::GetModuleInstance() const
{
    return m_hInst ? m_hInst : _AtlBaseModule.GetModuleInstance();
}

std::wstring CComModule::GetModulePath() const
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nLength =
            GetModuleFileNameW(GetModuleInstance(), &strPath[0], static_cast<DWORD>(strPath.size()));
        if (nLength == 0)
            return std::wstring();
        if (nLength < strPath.size())
        {
            strPath.resize(nLength);
            return strPath;
        }
        strPath.resize(strPath.size() * 2);
    }
}

HRESULT CComModule::GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (_ATL_OBJMAP_ENTRY* pEntry = m_pObjMap; pEntry && pEntry->pclsid; ++pEntry)
    {
        if (!InlineIsEqualGUID(rclsid, *pEntry->pclsid) || !pEntry->pfnGetClassObject)
            continue;
        // Class objects are made once and kept until Term; a race between two first callers is settled
        // by keeping the first one stored.
        if (!pEntry->pCF)
        {
            IUnknown* pCF = nullptr;
            HRESULT hr = pEntry->pfnGetClassObject(pEntry, IID_IUnknown, reinterpret_cast<void**>(&pCF));
            if (FAILED(hr))
                return hr;
            if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&pEntry->pCF), pCF, nullptr))
                pCF->Release();
        }
        return pEntry->pCF->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CComModule::RegisterServer(BOOL bRegTypeLib, const CLSID* pCLSID)
{
    for (_ATL_OBJMAP_ENTRY* pEntry = m_pObjMap; pEntry && pEntry->pclsid; ++pEntry)
    {
        if (pCLSID && !InlineIsEqualGUID(*pCLSID, *pEntry->pclsid))
            continue;
        HRESULT hr = pEntry->pfnUpdateRegistry(TRUE);
        if (FAILED(hr))
            return hr;
    }
    if (!bRegTypeLib)
        return S_OK;
    CComInit comInit;
    CComPtr<ITypeLib> pTypeLib;
    const std::wstring strPath = GetModulePath();
    HRESULT hr = LoadTypeLib(strPath.c_str(), &pTypeLib);
    if (FAILED(hr))
        return hr;
    return ::RegisterTypeLib(pTypeLib, const_cast<LPOLESTR>(strPath.c_str()), nullptr);
}

HRESULT CComModule::UnregisterServer(BOOL bUnRegTypeLib, const CLSID* pCLSID)
{
    HRESULT hrResult = S_OK;
    if (bUnRegTypeLib)
    {
        CComInit comInit;
        CComPtr<ITypeLib> pTypeLib;
        HRESULT hr = LoadTypeLib(GetModulePath().c_str(), &pTypeLib);
        TLIBATTR* pAttr = nullptr;
        if (SUCCEEDED(hr))
            hr = pTypeLib->GetLibAttr(&pAttr);
        if (SUCCEEDED(hr))
        {
            hr = ::UnRegisterTypeLib(pAttr->guid, pAttr->wMajorVerNum, pAttr->wMinorVerNum, pAttr->lcid,
                                     pAttr->syskind);
            pTypeLib->ReleaseTLibAttr(pAttr);
        }
        hrResult = hr;
    }
    // Every class is unregistered even after a failure, so nothing is left half removed.
    for (_ATL_OBJMAP_ENTRY* pEntry = m_pObjMap; pEntry && pEntry->pclsid; ++pEntry)
    {
        if (pCLSID && !InlineIsEqualGUID(*pCLSID, *pEntry->pclsid))
            continue;
        HRESULT hr = pEntry->pfnUpdateRegistry(FALSE);
        if (FAILED(hr) && SUCCEEDED(hrResult))
            hrResult = hr;
    }
    return hrResult;
}

HRESULT CComModule::UpdateRegistryFromResource(UINT nResID, BOOL bRegister)
{
    HINSTANCE hInst = GetResourceInstance();
    HRSRC hResource = FindResourceA(hInst, MAKEINTRESOURCEA(nResID), "REGISTRY");
    HGLOBAL hGlobal = hResource ? LoadResource(hInst, hResource) : nullptr;
    const char* pchScript = hGlobal ? static_cast<const char*>(LockResource(hGlobal)) : nullptr;
    if (!pchScript)
        return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    // The script is 8-bit text, not NUL-terminated inside the resource.
    const CString strScript(pchScript, static_cast<int>(SizeofResource(hInst, hResource)));
    CComBSTR bstrScript(strScript);

    CComInit comInit;
    CComPtr<IRegistrar> pRegistrar;
    HRESULT hr = CoCreateInstance(CLSID_Registrar, nullptr, CLSCTX_INPROC_SERVER, IID_IRegistrar,
                                  reinterpret_cast<void**>(&pRegistrar));
    if (FAILED(hr))
        return hr;
    hr = pRegistrar->AddReplacement(L"MODULE", GetModulePath().c_str());
    if (FAILED(hr))
        return hr;
    return bRegister ? pRegistrar->StringRegister(bstrScript) : pRegistrar->StringUnregister(bstrScript);
}

HRESULT CComModule::GetTypeLib(ITypeLib** ppTypeLib)
{
    if (!ppTypeLib)
        return E_POINTER;
    *ppTypeLib = nullptr;
    CComCritSecLock<CComAutoCriticalSection> lock(m_csTypeInfo);
    if (!m_pTypeLib)
    {
        HRESULT hr = LoadTypeLib(GetModulePath().c_str(), &m_pTypeLib);
        if (FAILED(hr))
            return hr;
    }
    *ppTypeLib = m_pTypeLib;
    m_pTypeLib->AddRef();
    return S_OK;
}

HRESULT CComModule::GetTypeInfo(REFGUID guid, ITypeInfo** ppTypeInfo)
{
    if (!ppTypeInfo)
        return E_POINTER;
    *ppTypeInfo = nullptr;
    CComPtr<ITypeLib> pTypeLib;
    HRESULT hr = GetTypeLib(&pTypeLib);
    if (FAILED(hr))
        return hr;
    CComCritSecLock<CComAutoCriticalSection> lock(m_csTypeInfo);
    for (auto& entry : m_typeInfos)
    {
        if (InlineIsEqualGUID(entry.first, guid))
        {
            *ppTypeInfo = entry.second;
            entry.second->AddRef();
            return S_OK;
        }
    }
    ITypeInfo* pTypeInfo = nullptr;
    hr = pTypeLib->GetTypeInfoOfGuid(guid, &pTypeInfo);
    if (FAILED(hr))
        return hr;
    m_typeInfos.emplace_back(guid, pTypeInfo);
    pTypeInfo->AddRef();
    *ppTypeInfo = pTypeInfo;
    return S_OK;
}

} // namespace ATL

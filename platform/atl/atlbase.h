// COM smart types, threading models and the module object of the ATL stand-in.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "atlcore.h"
#include "atlstr.h"

// Wizard-style class declarations carry it; GCC has no vtable-less classes, so it means nothing here.
#define ATL_NO_VTABLE

namespace ATL
{

class CComCriticalSection
{
public:
    HRESULT Init()
    {
        InitializeCriticalSection(&m_sec);
        return S_OK;
    }
    HRESULT Term()
    {
        DeleteCriticalSection(&m_sec);
        return S_OK;
    }
    HRESULT Lock()
    {
        EnterCriticalSection(&m_sec);
        return S_OK;
    }
    HRESULT Unlock()
    {
        LeaveCriticalSection(&m_sec);
        return S_OK;
    }

private:
    CRITICAL_SECTION m_sec;
};

class CComAutoCriticalSection : public CComCriticalSection
{
public:
    CComAutoCriticalSection() { Init(); }
    ~CComAutoCriticalSection() { Term(); }
    CComAutoCriticalSection(const CComAutoCriticalSection&) = delete;
    CComAutoCriticalSection& operator=(const CComAutoCriticalSection&) = delete;
};

class CComFakeCriticalSection
{
public:
    HRESULT Init() { return S_OK; }
    HRESULT Term() { return S_OK; }
    HRESULT Lock() { return S_OK; }
    HRESULT Unlock() { return S_OK; }
};

template <class TLock>
class CComCritSecLock
{
public:
    explicit CComCritSecLock(TLock& cs) : m_cs(cs) { m_cs.Lock(); }
    ~CComCritSecLock() { m_cs.Unlock(); }
    CComCritSecLock(const CComCritSecLock&) = delete;
    CComCritSecLock& operator=(const CComCritSecLock&) = delete;

private:
    TLock& m_cs;
};

// For objects touched by one apartment thread only.
class CComSingleThreadModel
{
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(++*p); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(--*p); }
    typedef CComFakeCriticalSection AutoCriticalSection;
    typedef CComFakeCriticalSection CriticalSection;
};

// For objects whose reference count or state is reached from several threads.
class CComMultiThreadModel
{
public:
    static ULONG Increment(LONG* p) { return static_cast<ULONG>(InterlockedIncrement(p)); }
    static ULONG Decrement(LONG* p) { return static_cast<ULONG>(InterlockedDecrement(p)); }
    typedef CComAutoCriticalSection AutoCriticalSection;
    typedef CComCriticalSection CriticalSection;
};

// Our servers are apartment threaded: objects default to the single-threaded model, while module-wide
// state (lock count, class factories) can be reached from any thread.
typedef CComSingleThreadModel CComObjectThreadModel;
typedef CComMultiThreadModel CComGlobalsThreadModel;

template <class T>
class CComPtr
{
public:
    CComPtr() = default;
    CComPtr(T* lp) : p(lp)
    {
        if (p)
            p->AddRef();
    }
    CComPtr(const CComPtr& lp) : CComPtr(lp.p) {}
    CComPtr(CComPtr&& lp) noexcept : p(lp.p) { lp.p = nullptr; }
    ~CComPtr()
    {
        if (p)
            p->Release();
    }

    T* operator=(T* lp)
    {
        if (lp)
            lp->AddRef();
        T* pOld = p;
        p = lp;
        if (pOld)
            pOld->Release();
        return p;
    }
    T* operator=(const CComPtr& lp) { return *this = lp.p; }
    T* operator=(CComPtr&& lp) noexcept
    {
        if (this != std::addressof(lp))
        {
            Release();
            p = lp.p;
            lp.p = nullptr;
        }
        return p;
    }

    operator T*() const { return p; }
    T& operator*() const { return *p; }
    T* operator->() const { return p; }
    // Releases what is held first, so passing the address to an [out] parameter cannot leak.
    T** operator&()
    {
        Release();
        return &p;
    }
    bool operator!() const { return p == nullptr; }
    bool operator==(T* pT) const { return p == pT; }
    bool operator!=(T* pT) const { return p != pT; }

    void Release()
    {
        T* pOld = p;
        p = nullptr;
        if (pOld)
            pOld->Release();
    }
    void Attach(T* p2)
    {
        Release();
        p = p2;
    }
    T* Detach()
    {
        T* pOld = p;
        p = nullptr;
        return pOld;
    }
    HRESULT CopyTo(T** ppT) const
    {
        if (!ppT)
            return E_POINTER;
        *ppT = p;
        if (p)
            p->AddRef();
        return S_OK;
    }
    template <class Q>
    HRESULT QueryInterface(Q** pp) const
    {
        if (!p)
            return E_POINTER;
        return p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
    }
    HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL)
    {
        Release();
        return ::CoCreateInstance(rclsid, pUnkOuter, dwClsContext, __uuidof(T), reinterpret_cast<void**>(&p));
    }
    HRESULT CoCreateInstance(LPCOLESTR szProgID, LPUNKNOWN pUnkOuter = nullptr,
                             DWORD dwClsContext = CLSCTX_ALL)
    {
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(szProgID, &clsid);
        if (FAILED(hr))
            return hr;
        return CoCreateInstance(clsid, pUnkOuter, dwClsContext);
    }

    T* p = nullptr;
};

// piid defaults to the interface's own identifier (__uuidof cannot be a template argument here).
template <class T, const IID* piid = nullptr>
class CComQIPtr : public CComPtr<T>
{
public:
    CComQIPtr() = default;
    CComQIPtr(IUnknown* lp) { QueryFrom(lp); }
    CComQIPtr(const CComQIPtr& lp) : CComPtr<T>(lp.p) {}
    CComQIPtr& operator=(IUnknown* lp)
    {
        CComPtr<T>::Release();
        QueryFrom(lp);
        return *this;
    }
    CComQIPtr& operator=(const CComQIPtr& lp)
    {
        CComPtr<T>::operator=(lp.p);
        return *this;
    }

private:
    void QueryFrom(IUnknown* lp)
    {
        if (lp)
            lp->QueryInterface(piid ? *piid : __uuidof(T), reinterpret_cast<void**>(&this->p));
    }
};

class CComBSTR
{
public:
    CComBSTR() = default;
    explicit CComBSTR(int nSize) : m_str(SysAllocStringLen(nullptr, static_cast<UINT>(nSize))) {}
    CComBSTR(int nSize, LPCOLESTR sz) : m_str(SysAllocStringLen(sz, static_cast<UINT>(nSize))) {}
    CComBSTR(LPCOLESTR pSrc) : m_str(pSrc ? SysAllocString(pSrc) : nullptr) {}
    // Converted through the ANSI code page, embedded NULs included.
    CComBSTR(LPCSTR pSrc);
    CComBSTR(const CString& str) : m_str(str.AllocSysString()) {}
    CComBSTR(const CComBSTR& src) : m_str(src.Copy()) {}
    CComBSTR(CComBSTR&& src) noexcept : m_str(src.m_str) { src.m_str = nullptr; }
    ~CComBSTR() { SysFreeString(m_str); }

    CComBSTR& operator=(const CComBSTR& src);
    CComBSTR& operator=(CComBSTR&& src) noexcept;
    CComBSTR& operator=(LPCOLESTR pSrc);
    CComBSTR& operator=(LPCSTR pSrc);

    operator BSTR() const { return m_str; }
    // Frees what is held first, so passing the address to an [out] parameter cannot leak.
    BSTR* operator&()
    {
        Empty();
        return &m_str;
    }
    bool operator!() const { return m_str == nullptr; }
    bool operator==(LPCOLESTR psz) const;
    bool operator!=(LPCOLESTR psz) const { return !(*this == psz); }

    unsigned int Length() const { return SysStringLen(m_str); }
    BSTR Copy() const { return m_str ? SysAllocStringLen(m_str, SysStringLen(m_str)) : nullptr; }
    HRESULT CopyTo(BSTR* pbstr) const;
    void Attach(BSTR src)
    {
        if (src != m_str)
        {
            SysFreeString(m_str);
            m_str = src;
        }
    }
    BSTR Detach()
    {
        BSTR s = m_str;
        m_str = nullptr;
        return s;
    }
    void Empty()
    {
        SysFreeString(m_str);
        m_str = nullptr;
    }
    HRESULT Append(LPCOLESTR lpsz, int nLen);
    HRESULT Append(LPCOLESTR lpsz) { return Append(lpsz, lpsz ? static_cast<int>(lstrlenW(lpsz)) : 0); }
    HRESULT Append(const CComBSTR& bstrSrc)
    {
        return Append(bstrSrc.m_str, static_cast<int>(bstrSrc.Length()));
    }
    CComBSTR& operator+=(const CComBSTR& bstrSrc)
    {
        Append(bstrSrc);
        return *this;
    }
    CComBSTR& operator+=(LPCOLESTR pszSrc)
    {
        Append(pszSrc);
        return *this;
    }

    BSTR m_str = nullptr;
};

class CComVariant : public tagVARIANT
{
public:
    CComVariant() { ::VariantInit(this); }
    ~CComVariant() { Clear(); }
    CComVariant(const VARIANT& varSrc);
    CComVariant(const CComVariant& varSrc);
    CComVariant(LPCOLESTR lpszSrc);
    CComVariant(LPCSTR lpszSrc);
    CComVariant(bool bSrc);
    CComVariant(int nSrc);
    CComVariant(long nSrc);
    CComVariant(unsigned long nSrc);
    CComVariant(double dblSrc);
    CComVariant(IDispatch* pSrc);
    CComVariant(IUnknown* pSrc);

    CComVariant& operator=(const CComVariant& varSrc);
    CComVariant& operator=(const VARIANT& varSrc);

    HRESULT Clear() { return ::VariantClear(this); }
    HRESULT Copy(const VARIANT* pSrc) { return ::VariantCopy(this, const_cast<VARIANT*>(pSrc)); }
    HRESULT Attach(VARIANT* pSrc);
    HRESULT Detach(VARIANT* pDest);
    HRESULT ChangeType(VARTYPE vtNew, const VARIANT* pSrc = nullptr);
};

// Connects a sink to a source's connection point for iid; the cookie is needed to disconnect it.
HRESULT AtlAdvise(IUnknown* pUnkCP, IUnknown* pUnk, const IID& iid, LPDWORD pdw);
HRESULT AtlUnadvise(IUnknown* pUnkCP, const IID& iid, DWORD dw);

// The system registrar (atl.dll), which runs .rgs registration scripts. Declared at namespace scope, not in
// an anonymous namespace: there the compiler would conclude that nothing implements it and drop the calls.
extern const CLSID CLSID_Registrar;
extern const IID IID_IRegistrar;

struct IRegistrar : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR resFileName, LPCOLESTR szID,
                                                         LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR resFileName, LPCOLESTR szID,
                                                           LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR fileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR resFileName, UINT nID, LPCOLESTR szType) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR resFileName, UINT nID,
                                                         LPCOLESTR szType) = 0;
};

typedef HRESULT(WINAPI _ATL_CREATORFUNC)(void* pv, REFIID riid, LPVOID* ppv);

// One creatable class of the module (see OBJECT_ENTRY in atlcom.h).
struct _ATL_OBJMAP_ENTRY
{
    const CLSID* pclsid;
    HRESULT(WINAPI* pfnUpdateRegistry)(BOOL bRegister);
    _ATL_CREATORFUNC* pfnGetClassObject;
    _ATL_CREATORFUNC* pfnCreateInstance;
    IUnknown* pCF;
};

// The COM server module: lock count, class objects, registration and the module's own type library.
class CComModule
{
public:
    CComModule();
    ~CComModule();
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    HRESULT Init(_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInstance, const GUID* plibid = nullptr);
    void Term();

    LONG Lock() { return InterlockedIncrement(&m_nLockCnt); }
    LONG Unlock() { return InterlockedDecrement(&m_nLockCnt); }
    LONG GetLockCount() const { return m_nLockCnt; }

    HINSTANCE GetModuleInstance() const;
    HINSTANCE GetResourceInstance() const { return _AtlBaseModule.GetResourceInstance(); }

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
    // Runs every class's registry script (or only pCLSID's) and registers the type library when asked.
    HRESULT RegisterServer(BOOL bRegTypeLib = FALSE, const CLSID* pCLSID = nullptr);
    HRESULT UnregisterServer(BOOL bUnRegTypeLib, const CLSID* pCLSID = nullptr);
    // Runs the "REGISTRY" script resource nResID through the system registrar, with %MODULE% standing
    // for this module's path.
    HRESULT UpdateRegistryFromResource(UINT nResID, BOOL bRegister);

    // The module's own type library (its TYPELIB resource) and type information from it, loaded once.
    HRESULT GetTypeLib(ITypeLib** ppTypeLib);
    HRESULT GetTypeInfo(REFGUID guid, ITypeInfo** ppTypeInfo);

    GUID m_libid = GUID_NULL;

private:
    std::wstring GetModulePath() const;

    LONG m_nLockCnt = 0;
    HINSTANCE m_hInst = nullptr;
    _ATL_OBJMAP_ENTRY* m_pObjMap = nullptr;
    CComAutoCriticalSection m_csTypeInfo;
    ITypeLib* m_pTypeLib = nullptr;
    std::vector<std::pair<GUID, ITypeInfo*>> m_typeInfos;
};

// The one module of this DLL or program, set by its constructor.
extern CComModule* _pAtlModule;

} // namespace ATL

using namespace ATL;

// The COM object templates of the ATL stand-in: objects, class factories, maps, automation and events.
#pragma once

#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "atlbase.h"

namespace ATL
{

// The connection point and sink faces are COM layouts, not C++ bases of the interfaces they are handed out
// as. Their QueryInterface is kept opaque to the optimiser: seeing the object's C++ type behind the
// returned pointer, it would resolve the interface calls against that type and find nothing to call.
#if defined(__GNUC__)
#define ATL_OPAQUE_QI __attribute__((noipa))
#else
#define ATL_OPAQUE_QI
#endif

// Offset of base class subobject b inside class d (8, not 0, so the cast cannot take a null path).
#define offsetofclass(b, d) (reinterpret_cast<DWORD_PTR>(static_cast<b*>(reinterpret_cast<d*>(8))) - 8)

struct _ATL_INTMAP_ENTRY
{
    const IID* piid;
    DWORD_PTR dw;
};

template <class ThreadModel>
class CComObjectRootEx
{
public:
    typedef ThreadModel _ThreadModel;

    ULONG InternalAddRef() { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() { return ThreadModel::Decrement(&m_dwRef); }
    void Lock() { m_critsec.Lock(); }
    void Unlock() { m_critsec.Unlock(); }

    HRESULT FinalConstruct() { return S_OK; }
    void FinalRelease() {}
    void InternalFinalConstructAddRef() {}
    void InternalFinalConstructRelease() {}
    void SetVoid(void*) {}

    // The first entry of a map stands for IUnknown, which keeps the object's identity stable.
    static HRESULT WINAPI InternalQueryInterface(void* pThis, const _ATL_INTMAP_ENTRY* pEntries, REFIID iid,
                                                 void** ppvObject)
    {
        if (!ppvObject)
            return E_POINTER;
        *ppvObject = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown))
        {
            IUnknown* pUnk = reinterpret_cast<IUnknown*>(reinterpret_cast<DWORD_PTR>(pThis) + pEntries->dw);
            pUnk->AddRef();
            *ppvObject = pUnk;
            return S_OK;
        }
        for (; pEntries->piid; ++pEntries)
        {
            if (InlineIsEqualGUID(iid, *pEntries->piid))
            {
                IUnknown* pUnk =
                    reinterpret_cast<IUnknown*>(reinterpret_cast<DWORD_PTR>(pThis) + pEntries->dw);
                pUnk->AddRef();
                *ppvObject = pUnk;
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

    LONG m_dwRef = 0;
    typename ThreadModel::AutoCriticalSection m_critsec;
};

typedef CComObjectRootEx<CComObjectThreadModel> CComObjectRoot;

#define BEGIN_COM_MAP(x)                                                                                     \
public:                                                                                                      \
    typedef x _ComMapClass;                                                                                  \
    IUnknown* GetUnknown()                                                                                   \
    {                                                                                                        \
        return reinterpret_cast<IUnknown*>(reinterpret_cast<DWORD_PTR>(this) + _GetEntries()->dw);           \
    }                                                                                                        \
    HRESULT _InternalQueryInterface(REFIID iid, void** ppvObject)                                            \
    {                                                                                                        \
        return this->InternalQueryInterface(this, _GetEntries(), iid, ppvObject);                            \
    }                                                                                                        \
    static const ::ATL::_ATL_INTMAP_ENTRY* _GetEntries()                                                     \
    {                                                                                                        \
        static const ::ATL::_ATL_INTMAP_ENTRY _entries[] = {
#define COM_INTERFACE_ENTRY(x) {&__uuidof(x), offsetofclass(x, _ComMapClass)},
#define COM_INTERFACE_ENTRY_IID(iid, x) {&iid, offsetofclass(x, _ComMapClass)},
// Interface x reached through base x2, for interfaces (IDispatch) that several bases derive from.
#define COM_INTERFACE_ENTRY2(x, x2)                                                                          \
    {&__uuidof(x),                                                                                           \
     reinterpret_cast<DWORD_PTR>(static_cast<x*>(static_cast<x2*>(reinterpret_cast<_ComMapClass*>(8)))) - 8},
#define END_COM_MAP()                                                                                        \
    {nullptr, 0}};                                                                                           \
    return _entries;                                                                                         \
    }                                                                                                        \
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;                                                            \
    virtual ULONG STDMETHODCALLTYPE Release() = 0;                                                           \
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) = 0;

// Holds an extra reference while FinalConstruct runs, so handing out and releasing "this" there is safe.
#define DECLARE_PROTECT_FINAL_CONSTRUCT()                                                                    \
    void InternalFinalConstructAddRef() { this->InternalAddRef(); }                                          \
    void InternalFinalConstructRelease() { this->InternalRelease(); }

#define DECLARE_REGISTRY_RESOURCEID(x)                                                                       \
    static HRESULT WINAPI UpdateRegistry(BOOL bRegister)                                                     \
    {                                                                                                        \
        return ::ATL::_pAtlModule ? ::ATL::_pAtlModule->UpdateRegistryFromResource(x, bRegister)             \
                                  : E_UNEXPECTED;                                                            \
    }
#define DECLARE_NO_REGISTRY()                                                                                \
    static HRESULT WINAPI UpdateRegistry(BOOL) { return S_OK; }

// A live object: holds a module lock for its lifetime, so DllCanUnloadNow answers S_FALSE while any exists.
template <class Base>
class CComObject : public Base
{
public:
    typedef Base _BaseClass;

    explicit CComObject(void* = nullptr)
    {
        if (_pAtlModule)
            _pAtlModule->Lock();
    }
    virtual ~CComObject()
    {
        this->FinalRelease();
        if (_pAtlModule)
            _pAtlModule->Unlock();
    }

    STDMETHOD_(ULONG, AddRef)() { return this->InternalAddRef(); }
    STDMETHOD_(ULONG, Release)()
    {
        const ULONG nRef = this->InternalRelease();
        if (nRef == 0)
            delete this;
        return nRef;
    }
    STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject)
    {
        return this->_InternalQueryInterface(iid, ppvObject);
    }

    // Creates an object with a reference count of 0; FinalConstruct has run and succeeded.
    static HRESULT WINAPI CreateInstance(CComObject<Base>** pp);
};

template <class Base>
HRESULT WINAPI CComObject<Base>::CreateInstance(CComObject<Base>** pp)
{
    if (!pp)
        return E_POINTER;
    *pp = nullptr;
    CComObject<Base>* p = nullptr;
    HRESULT hr = E_OUTOFMEMORY;
    try
    {
        p = new (std::nothrow) CComObject<Base>();
        if (p)
        {
            p->InternalFinalConstructAddRef();
            hr = p->FinalConstruct();
            p->InternalFinalConstructRelease();
        }
    }
    catch (...)
    {
        hr = E_UNEXPECTED;
    }
    if (FAILED(hr))
    {
        delete p;
        return hr;
    }
    *pp = p;
    return S_OK;
}

// A class object kept by the module: only references beyond the module's own lock the module.
template <class Base>
class CComObjectCached : public Base
{
public:
    explicit CComObjectCached(void* = nullptr) {}
    virtual ~CComObjectCached() { this->FinalRelease(); }

    STDMETHOD_(ULONG, AddRef)()
    {
        const ULONG nRef = this->InternalAddRef();
        if (nRef == 2 && _pAtlModule)
            _pAtlModule->Lock();
        return nRef;
    }
    STDMETHOD_(ULONG, Release)()
    {
        const ULONG nRef = this->InternalRelease();
        if (nRef == 0)
            delete this;
        else if (nRef == 1 && _pAtlModule)
            _pAtlModule->Unlock();
        return nRef;
    }
    STDMETHOD(QueryInterface)(REFIID iid, void** ppvObject)
    {
        return this->_InternalQueryInterface(iid, ppvObject);
    }
};

// Creates T (a CComObject-like class) and hands out interface riid; no exception leaves it.
template <class T>
class CComCreator
{
public:
    static HRESULT WINAPI CreateInstance(void* pv, REFIID riid, LPVOID* ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        T* p = nullptr;
        HRESULT hr = E_OUTOFMEMORY;
        try
        {
            p = new (std::nothrow) T(pv);
            if (p)
            {
                p->SetVoid(pv);
                p->InternalFinalConstructAddRef();
                hr = p->FinalConstruct();
                p->InternalFinalConstructRelease();
                if (SUCCEEDED(hr))
                    hr = p->QueryInterface(riid, ppv);
            }
        }
        catch (...)
        {
            hr = E_UNEXPECTED;
        }
        if (FAILED(hr))
            delete p;
        return hr;
    }
};

class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComGlobalsThreadModel>
{
public:
    BEGIN_COM_MAP(CComClassFactory)
    COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    STDMETHOD(CreateInstance)(LPUNKNOWN pUnkOuter, REFIID riid, void** ppvObj)
    {
        if (!ppvObj)
            return E_POINTER;
        *ppvObj = nullptr;
        if (pUnkOuter)
            return CLASS_E_NOAGGREGATION;
        return m_pfnCreateInstance ? m_pfnCreateInstance(nullptr, riid, ppvObj) : E_UNEXPECTED;
    }
    STDMETHOD(LockServer)(BOOL fLock)
    {
        if (_pAtlModule)
        {
            if (fLock)
                _pAtlModule->Lock();
            else
                _pAtlModule->Unlock();
        }
        return S_OK;
    }
    // pv is the object map entry of the class this factory makes.
    void SetVoid(void* pv) { m_pfnCreateInstance = static_cast<_ATL_OBJMAP_ENTRY*>(pv)->pfnCreateInstance; }

private:
    _ATL_CREATORFUNC* m_pfnCreateInstance = nullptr;
};

#define DECLARE_CLASSFACTORY()                                                                               \
    typedef ::ATL::CComCreator<::ATL::CComObjectCached<::ATL::CComClassFactory>> _ClassFactoryCreatorClass;
#define DECLARE_NOT_AGGREGATABLE(x) typedef ::ATL::CComCreator<::ATL::CComObject<x>> _CreatorClass;

// A creatable class: its class factory, its creator and its class identifier. Aggregation is refused.
template <class T, const CLSID* pclsid = &CLSID_NULL>
class CComCoClass
{
public:
    DECLARE_CLASSFACTORY()
    DECLARE_NOT_AGGREGATABLE(T)

    static const CLSID& WINAPI GetObjectCLSID() { return *pclsid; }

    template <class Q>
    static HRESULT CreateInstance(Q** pp)
    {
        return T::_CreatorClass::CreateInstance(nullptr, __uuidof(Q), reinterpret_cast<void**>(pp));
    }
};

#define BEGIN_OBJECT_MAP(x) static ::ATL::_ATL_OBJMAP_ENTRY x[] = {
#define OBJECT_ENTRY(clsid, class)                                                                           \
    {&clsid, &class ::UpdateRegistry, &class ::_ClassFactoryCreatorClass::CreateInstance,                    \
     &class ::_CreatorClass::CreateInstance, nullptr},
#define END_OBJECT_MAP()                                                                                     \
    {nullptr, nullptr, nullptr, nullptr, nullptr}};

// A dual interface T whose IDispatch half runs through the type information of T in the module's own type
// library (its TYPELIB resource), so the library need not be registered.
template <class T, const IID* piid, const GUID* plibid = &GUID_NULL, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public T
{
public:
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo)
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT itinfo, LCID, ITypeInfo** pptinfo)
    {
        if (!pptinfo)
            return E_POINTER;
        *pptinfo = nullptr;
        if (itinfo != 0)
            return DISP_E_BADINDEX;
        return _pAtlModule ? _pAtlModule->GetTypeInfo(*piid, pptinfo) : E_UNEXPECTED;
    }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgdispid)
    {
        CComPtr<ITypeInfo> pTypeInfo;
        HRESULT hr = _pAtlModule ? _pAtlModule->GetTypeInfo(*piid, &pTypeInfo) : E_UNEXPECTED;
        if (FAILED(hr))
            return hr;
        return pTypeInfo->GetIDsOfNames(rgszNames, cNames, rgdispid);
    }
    STDMETHOD(Invoke)
    (DISPID dispidMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pdispparams, VARIANT* pvarResult,
     EXCEPINFO* pexcepinfo, UINT* puArgErr)
    {
        if (!InlineIsEqualGUID(riid, IID_NULL))
            return DISP_E_UNKNOWNINTERFACE;
        CComPtr<ITypeInfo> pTypeInfo;
        HRESULT hr = _pAtlModule ? _pAtlModule->GetTypeInfo(*piid, &pTypeInfo) : E_UNEXPECTED;
        if (FAILED(hr))
            return hr;
        return pTypeInfo->Invoke(static_cast<T*>(this), dispidMember, wFlags, pdispparams, pvarResult,
                                 pexcepinfo, puArgErr);
    }
};

// Class information for scripting hosts: the coclass's type information and its default event interface.
template <const CLSID* pcoclsid, const IID* psrcid, const GUID* plibid = &GUID_NULL, WORD wMajor = 1,
          WORD wMinor = 0>
class IProvideClassInfo2Impl : public IProvideClassInfo2
{
public:
    STDMETHOD(GetClassInfo)(ITypeInfo** pptinfo)
    {
        if (!pptinfo)
            return E_POINTER;
        *pptinfo = nullptr;
        return _pAtlModule ? _pAtlModule->GetTypeInfo(*pcoclsid, pptinfo) : E_UNEXPECTED;
    }
    STDMETHOD(GetGUID)(DWORD dwGuidKind, GUID* pGUID)
    {
        if (!pGUID)
            return E_POINTER;
        *pGUID = GUID_NULL;
        if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID || InlineIsEqualGUID(*psrcid, GUID_NULL))
            return E_INVALIDARG;
        *pGUID = *psrcid;
        return S_OK;
    }
};

// The advised sinks of one connection point. Each sink is kept in the global interface table, so an event
// fired on any thread reaches the sink in its own apartment, marshalled there when that is another one.
class CComConnectionList
{
public:
    CComConnectionList() = default;
    ~CComConnectionList();
    CComConnectionList(const CComConnectionList&) = delete;
    CComConnectionList& operator=(const CComConnectionList&) = delete;

    HRESULT Add(IUnknown* pUnkSink, REFIID iidEvents, DWORD* pdwCookie);
    HRESULT Remove(DWORD dwCookie);
    // Calls method dispid on every sink in the order they were advised; pArgs holds the arguments in
    // declaration order. The sinks' results are ignored.
    HRESULT Fire(DISPID dispid, VARIANT* pArgs, UINT nArgs);
    // For an object that fires only on the thread its sinks advised from (a window control): the sinks
    // are called directly, not through the global interface table. Marshaling a sink there makes Wine keep
    // a pipe and an event of the sink's thread for good, which adds up over the windows of a long run.
    void CallSinksDirectly() { m_bDirect = true; }

private:
    CComAutoCriticalSection m_cs;
    std::vector<DWORD> m_cookies;
    bool m_bDirect = false;
    // Direct mode: the sinks by cookie, each holding a reference.
    std::vector<std::pair<DWORD, IDispatch*>> m_direct;
    DWORD m_nNextCookie = 1;
};

// Marks the connection point for one event interface inside its container class; its first three slots
// stand in for IUnknown's without being overridden by the object's own.
template <const IID* piid>
class _ICPLocator
{
public:
    virtual HRESULT STDMETHODCALLTYPE _LocCPQueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

// The connection point for dispinterface *piid of object T; laid out as IConnectionPoint.
template <class T, const IID* piid>
class IConnectionPointImpl : public _ICPLocator<piid>
{
public:
    ATL_OPAQUE_QI STDMETHOD(_LocCPQueryInterface)(REFIID riid, void** ppvObject)
    {
        if (!ppvObject)
            return E_POINTER;
        if (InlineIsEqualGUID(riid, IID_IConnectionPoint) || InlineIsEqualGUID(riid, IID_IUnknown))
        {
            *ppvObject = this;
            this->AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* piid2)
    {
        if (!piid2)
            return E_POINTER;
        *piid2 = *piid;
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC)
    {
        if (!ppCPC)
            return E_POINTER;
        return static_cast<T*>(this)->GetUnknown()->QueryInterface(IID_IConnectionPointContainer,
                                                                   reinterpret_cast<void**>(ppCPC));
    }
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
    {
        return m_connections.Add(pUnkSink, *piid, pdwCookie);
    }
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) { return m_connections.Remove(dwCookie); }
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum)
    {
        if (ppEnum)
            *ppEnum = nullptr;
        return E_NOTIMPL;
    }

protected:
    // For the Fire_ methods of the event proxy: arguments in declaration order.
    HRESULT FireEvent(DISPID dispid, VARIANT* pArgs = nullptr, UINT nArgs = 0)
    {
        return m_connections.Fire(dispid, pArgs, nArgs);
    }
    // For an object that fires only on its sinks' own thread; see CComConnectionList.
    void CallSinksDirectly() { m_connections.CallSinksDirectly(); }

private:
    CComConnectionList m_connections;
};

struct _ATL_CONNMAP_ENTRY
{
    DWORD_PTR dwOffset;
};

#define BEGIN_CONNECTION_POINT_MAP(x)                                                                        \
    typedef x _atl_conn_classtype;                                                                           \
    static const ::ATL::_ATL_CONNMAP_ENTRY* GetConnMap()                                                     \
    {                                                                                                        \
        static const ::ATL::_ATL_CONNMAP_ENTRY _entries[] = {
#define CONNECTION_POINT_ENTRY(iid) {offsetofclass(::ATL::_ICPLocator<&iid>, _atl_conn_classtype)},
#define END_CONNECTION_POINT_MAP()                                                                           \
    {static_cast<DWORD_PTR>(-1)}};                                                                           \
    return _entries;                                                                                         \
    }

template <class T>
class IConnectionPointContainerImpl : public IConnectionPointContainer
{
public:
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** ppEnum)
    {
        if (ppEnum)
            *ppEnum = nullptr;
        return E_NOTIMPL;
    }
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint** ppCP)
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        for (const _ATL_CONNMAP_ENTRY* pEntry = T::GetConnMap();
             pEntry->dwOffset != static_cast<DWORD_PTR>(-1); ++pEntry)
        {
            IConnectionPoint* pCP = reinterpret_cast<IConnectionPoint*>(
                reinterpret_cast<DWORD_PTR>(static_cast<T*>(this)) + pEntry->dwOffset);
            IID iid;
            if (SUCCEEDED(pCP->GetConnectionInterface(&iid)) && InlineIsEqualGUID(iid, riid))
            {
                pCP->AddRef();
                *ppCP = pCP;
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
};

// Event sinks (IDispEventImpl): a sink map routes each incoming DISPID to a member function, whose
// parameter types say how the arguments are converted.
struct _ATL_EVENT_ENTRY
{
    UINT nControlID;
    const IID* piid;
    DISPID dispid;
    HRESULT (*pfnInvoke)(void* pThis, DISPPARAMS* pdispparams);
};

template <class A>
struct CComSinkArg
{
    static_assert(sizeof(A) == 0, "event handler parameter type not supported");
};
#define ATL_SINK_ARG(type, vartype, member)                                                                  \
    template <>                                                                                              \
    struct CComSinkArg<type>                                                                                 \
    {                                                                                                        \
        static constexpr VARTYPE vt = vartype;                                                               \
        static type From(VARIANT* pvar) { return static_cast<type>(pvar->member); }                          \
    };
ATL_SINK_ARG(long, VT_I4, lVal)
ATL_SINK_ARG(int, VT_I4, lVal)
ATL_SINK_ARG(short, VT_I2, iVal)
ATL_SINK_ARG(unsigned long, VT_UI4, ulVal)
ATL_SINK_ARG(unsigned int, VT_UI4, ulVal)
ATL_SINK_ARG(unsigned short, VT_UI2, uiVal)
ATL_SINK_ARG(double, VT_R8, dblVal)
ATL_SINK_ARG(BSTR, VT_BSTR, bstrVal)
ATL_SINK_ARG(IDispatch*, VT_DISPATCH, pdispVal)
ATL_SINK_ARG(IUnknown*, VT_UNKNOWN, punkVal)
#undef ATL_SINK_ARG
template <>
struct CComSinkArg<VARIANT*>
{
    static constexpr VARTYPE vt = VT_VARIANT;
    static VARIANT* From(VARIANT* pvar) { return pvar; }
};

// Brings argument pSrc into the handler's type: a VARIANT* parameter sees the caller's own VARIANT,
// anything else a converted copy that lives for the call.
HRESULT AtlSinkPrepareArg(VARIANT* pSrc, VARTYPE vt, VARIANT* pConverted, VARIANT** ppUse);

template <class F>
struct CComSinkTraits;
template <class C, class R, class... A>
struct CComSinkTraits<R (C::*)(A...)>
{
    static constexpr size_t arity = sizeof...(A);
};

template <class T, class C, class R, class... A, size_t... I>
HRESULT AtlSinkCall(T* pT, R (C::*pfn)(A...), DISPPARAMS* pdp, std::index_sequence<I...>)
{
    constexpr UINT nArgs = sizeof...(A);
    constexpr UINT nSlots = nArgs > 0 ? nArgs : 1;
    static constexpr VARTYPE vts[nSlots] = {CComSinkArg<A>::vt...};
    if (!pdp || pdp->cArgs < nArgs)
        return DISP_E_BADPARAMCOUNT;
    CComVariant converted[nSlots];
    VARIANT* pUse[nSlots] = {};
    for (UINT i = 0; i < nArgs; ++i)
    {
        HRESULT hr = AtlSinkPrepareArg(&pdp->rgvarg[pdp->cArgs - 1 - i], vts[i], &converted[i], &pUse[i]);
        if (FAILED(hr))
            return hr;
    }
    if constexpr (std::is_void_v<R>)
    {
        (pT->*pfn)(CComSinkArg<A>::From(pUse[I])...);
        return S_OK;
    }
    else
    {
        return static_cast<HRESULT>((pT->*pfn)(CComSinkArg<A>::From(pUse[I])...));
    }
}

template <class T, auto pfn>
HRESULT AtlSinkInvoke(void* pThis, DISPPARAMS* pdp)
{
    return AtlSinkCall(static_cast<T*>(pThis), pfn, pdp,
                       std::make_index_sequence<CComSinkTraits<decltype(pfn)>::arity>());
}

#define BEGIN_SINK_MAP(x)                                                                                    \
    typedef x _atl_event_classtype;                                                                          \
    static const ::ATL::_ATL_EVENT_ENTRY* _GetSinkMap()                                                      \
    {                                                                                                        \
        static const ::ATL::_ATL_EVENT_ENTRY map[] = {
#define SINK_ENTRY_EX(id, iid, dispid, fn)                                                                   \
    {id, &iid, dispid, &::ATL::AtlSinkInvoke<_atl_event_classtype, &_atl_event_classtype::fn>},
#define END_SINK_MAP()                                                                                       \
    {0, nullptr, 0, nullptr}};                                                                               \
    return map;                                                                                              \
    }

// Its first three slots stand in for IUnknown's, so a sink inside a COM object keeps its own identity.
template <UINT nID, const IID* pdiid>
class _IDispEventLocator
{
public:
    virtual HRESULT STDMETHODCALLTYPE _LocDEQueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

// A sink for dispinterface *pdiid, laid out as IDispatch. It is not reference counted: its owner keeps it
// alive while it is advised. Calls arrive on the thread that advised it (its apartment).
template <UINT nID, class T, const IID* pdiid, const GUID* plibid = &GUID_NULL, WORD wMajor = 1,
          WORD wMinor = 0>
class IDispEventImpl : public _IDispEventLocator<nID, pdiid>
{
public:
    ATL_OPAQUE_QI STDMETHOD(_LocDEQueryInterface)(REFIID riid, void** ppvObject)
    {
        if (!ppvObject)
            return E_POINTER;
        if (InlineIsEqualGUID(riid, *pdiid) || InlineIsEqualGUID(riid, IID_IDispatch) ||
            InlineIsEqualGUID(riid, IID_IUnknown))
        {
            *ppvObject = this;
            this->AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    virtual ULONG STDMETHODCALLTYPE AddRef() { return 1; }
    virtual ULONG STDMETHODCALLTYPE Release() { return 1; }
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo)
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** pptinfo)
    {
        if (pptinfo)
            *pptinfo = nullptr;
        return E_NOTIMPL;
    }
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    {
        return E_NOTIMPL;
    }
    // An event the sink map does not name is accepted and ignored.
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispidMember, REFIID, LCID, WORD, DISPPARAMS* pdispparams,
                                             VARIANT*, EXCEPINFO*, UINT*)
    {
        for (const _ATL_EVENT_ENTRY* pEntry = T::_GetSinkMap(); pEntry->piid; ++pEntry)
        {
            if (pEntry->nControlID != nID || pEntry->dispid != dispidMember ||
                !InlineIsEqualGUID(*pEntry->piid, *pdiid))
                continue;
            try
            {
                return pEntry->pfnInvoke(static_cast<T*>(this), pdispparams);
            }
            catch (...)
            {
                return DISP_E_EXCEPTION;
            }
        }
        return S_OK;
    }

    HRESULT DispEventAdvise(IUnknown* pUnk, const IID* piid = pdiid)
    {
        return AtlAdvise(pUnk,
                         reinterpret_cast<IUnknown*>(static_cast<_IDispEventLocator<nID, pdiid>*>(this)),
                         *piid, &m_dwEventCookie);
    }
    HRESULT DispEventUnadvise(IUnknown* pUnk, const IID* piid = pdiid)
    {
        HRESULT hr = AtlUnadvise(pUnk, *piid, m_dwEventCookie);
        m_dwEventCookie = 0xFEFEFEFE;
        return hr;
    }

    // 0xFEFEFEFE while not connected.
    DWORD m_dwEventCookie = 0xFEFEFEFE;
};

} // namespace ATL

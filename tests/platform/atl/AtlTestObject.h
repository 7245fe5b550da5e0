// The test server's one class: a dual interface with events fired from its own and from a worker thread.
#pragma once

#include <atlbase.h>
#include <atlcom.h>

#include "AtlTestServer.h"
#include "AtlTestServerResource.h"

template <class T>
class CProxy_IAtlTestObjectEvents : public IConnectionPointImpl<T, &DIID__IAtlTestObjectEvents>
{
public:
    HRESULT Fire_Ping(long n, BSTR bstrFrom)
    {
        CComVariant args[2] = {n, bstrFrom};
        return this->FireEvent(1, args, 2);
    }
};

// Multi-threaded model: the worker thread holds and releases a reference of its own.
class ATL_NO_VTABLE CAtlTestObject
    : public CComObjectRootEx<CComMultiThreadModel>,
      public CComCoClass<CAtlTestObject, &CLSID_AtlTestObject>,
      public IDispatchImpl<IAtlTestObject, &IID_IAtlTestObject, &LIBID_AtlTestServerLib>,
      public IProvideClassInfo2Impl<&CLSID_AtlTestObject, &DIID__IAtlTestObjectEvents,
                                    &LIBID_AtlTestServerLib>,
      public IConnectionPointContainerImpl<CAtlTestObject>,
      public CProxy_IAtlTestObjectEvents<CAtlTestObject>
{
public:
    DECLARE_REGISTRY_RESOURCEID(IDR_ATLTESTOBJECT)
    DECLARE_PROTECT_FINAL_CONSTRUCT()

    BEGIN_COM_MAP(CAtlTestObject)
    COM_INTERFACE_ENTRY(IAtlTestObject)
    COM_INTERFACE_ENTRY(IDispatch)
    COM_INTERFACE_ENTRY(IProvideClassInfo)
    COM_INTERFACE_ENTRY(IProvideClassInfo2)
    COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CAtlTestObject)
    CONNECTION_POINT_ENTRY(DIID__IAtlTestObjectEvents)
    END_CONNECTION_POINT_MAP()

    void FinalRelease();

    STDMETHOD(Add)(long a, long b, long* pSum);
    STDMETHOD(get_Name)(BSTR* pbstrName);
    STDMETHOD(put_Name)(BSTR bstrName);
    STDMETHOD(FireOnCallerThread)(long n);
    STDMETHOD(FireOnWorkerThread)(long n);

private:
    static DWORD WINAPI WorkerThreadProc(LPVOID pParam);

    CComBSTR m_bstrName;
    HANDLE m_hWorker = nullptr;
    long m_nWorkerValue = 0;
};

// The non-template parts of the COM object layer: event connections and sink argument conversion.
#include "atlcom.h"

#include <algorithm>

namespace ATL
{

namespace
{

HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable** ppGIT)
{
    return CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(ppGIT));
}

// A worker that never entered COM still fires events: it joins the multithreaded apartment for the call.
class CComFireInit
{
public:
    CComFireInit() : m_hr(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~CComFireInit()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

} // namespace

CComConnectionList::~CComConnectionList()
{
    for (auto& sink : m_direct)
        sink.second->Release();
    if (m_cookies.empty())
        return;
    CComFireInit comInit;
    CComPtr<IGlobalInterfaceTable> pGIT;
    if (FAILED(GetGlobalInterfaceTable(&pGIT)))
        return;
    for (DWORD dwCookie : m_cookies)
        pGIT->RevokeInterfaceFromGlobal(dwCookie);
}

HRESULT CComConnectionList::Add(IUnknown* pUnkSink, REFIID iidEvents, DWORD* pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink)
        return E_POINTER;
    // The sink must speak the event interface; it is kept as the IDispatch the events are fired through.
    CComPtr<IDispatch> pSink;
    if (FAILED(pUnkSink->QueryInterface(iidEvents, reinterpret_cast<void**>(&pSink))) || !pSink)
        return CONNECT_E_CANNOTCONNECT;
    if (m_bDirect)
    {
        CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
        *pdwCookie = m_nNextCookie++;
        m_direct.emplace_back(*pdwCookie, pSink.Detach());
        return S_OK;
    }
    CComPtr<IGlobalInterfaceTable> pGIT;
    HRESULT hr = GetGlobalInterfaceTable(&pGIT);
    if (FAILED(hr))
        return hr;
    DWORD dwCookie = 0;
    hr = pGIT->RegisterInterfaceInGlobal(pSink, IID_IDispatch, &dwCookie);
    if (FAILED(hr))
        return hr;
    CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
    m_cookies.push_back(dwCookie);
    *pdwCookie = dwCookie;
    return S_OK;
}

HRESULT CComConnectionList::Remove(DWORD dwCookie)
{
    if (m_bDirect)
    {
        IDispatch* pSink = nullptr;
        {
            CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
            auto it = std::find_if(m_direct.begin(), m_direct.end(),
                                   [dwCookie](const std::pair<DWORD, IDispatch*>& sink) {
                                       return sink.first == dwCookie;
                                   });
            if (it == m_direct.end())
                return CONNECT_E_NOCONNECTION;
            pSink = it->second;
            m_direct.erase(it);
        }
        pSink->Release();
        return S_OK;
    }
    {
        CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
        auto it = std::find(m_cookies.begin(), m_cookies.end(), dwCookie);
        if (it == m_cookies.end())
            return CONNECT_E_NOCONNECTION;
        m_cookies.erase(it);
    }
    CComPtr<IGlobalInterfaceTable> pGIT;
    HRESULT hr = GetGlobalInterfaceTable(&pGIT);
    if (FAILED(hr))
        return hr;
    return pGIT->RevokeInterfaceFromGlobal(dwCookie);
}

HRESULT CComConnectionList::Fire(DISPID dispid, VARIANT* pArgs, UINT nArgs)
{
    if (m_bDirect)
    {
        std::vector<CComPtr<IDispatch>> sinks;
        {
            CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
            for (const auto& sink : m_direct)
                sinks.push_back(sink.second);
        }
        std::vector<VARIANT> reversed(pArgs ? pArgs : nullptr, pArgs ? pArgs + nArgs : nullptr);
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        for (const CComPtr<IDispatch>& pSink : sinks)
        {
            CComVariant varResult;
            pSink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &varResult,
                          nullptr, nullptr);
        }
        return S_OK;
    }
    std::vector<DWORD> cookies;
    {
        CComCritSecLock<CComAutoCriticalSection> lock(m_cs);
        cookies = m_cookies;
    }
    if (cookies.empty())
        return S_OK;

    CComFireInit comInit;
    CComPtr<IGlobalInterfaceTable> pGIT;
    HRESULT hr = GetGlobalInterfaceTable(&pGIT);
    if (FAILED(hr))
        return hr;
    // DISPPARAMS carries the arguments last first.
    std::vector<VARIANT> reversed(pArgs ? pArgs : nullptr, pArgs ? pArgs + nArgs : nullptr);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                         static_cast<UINT>(reversed.size()), 0};
    for (DWORD dwCookie : cookies)
    {
        CComPtr<IDispatch> pSink;
        // A sink unadvised since the list was copied is no longer in the table.
        if (FAILED(pGIT->GetInterfaceFromGlobal(dwCookie, IID_IDispatch, reinterpret_cast<void**>(&pSink))))
            continue;
        CComVariant varResult;
        pSink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &varResult, nullptr,
                      nullptr);
    }
    return S_OK;
}

HRESULT AtlSinkPrepareArg(VARIANT* pSrc, VARTYPE vt, VARIANT* pConverted, VARIANT** ppUse)
{
    if (vt == VT_VARIANT)
    {
        *ppUse = pSrc->vt == (VT_BYREF | VT_VARIANT) ? pSrc->pvarVal : pSrc;
        return S_OK;
    }
    HRESULT hr = VariantChangeType(pConverted, pSrc, 0, vt);
    if (FAILED(hr))
        return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    *ppUse = pConverted;
    return S_OK;
}

} // namespace ATL

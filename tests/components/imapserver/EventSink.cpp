// The recording sink of the OrbIMAP events.
#include "EventSink.h"

#include <ocidl.h>

#include "OrbIMAP.h"

CEventSink::CEventSink()
{
    InitializeCriticalSection(&m_cs);
}

CEventSink::~CEventSink()
{
    Unadvise();
    DeleteCriticalSection(&m_cs);
}

bool CEventSink::Advise(IUnknown* pComponent)
{
    IConnectionPointContainer* pContainer = nullptr;
    if (FAILED(pComponent->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pContainer))))
        return false;
    const HRESULT hr = pContainer->FindConnectionPoint(DIID__IOrbIMAPEvents, &m_pPoint);
    pContainer->Release();
    return SUCCEEDED(hr) && SUCCEEDED(m_pPoint->Advise(this, &m_dwCookie));
}

void CEventSink::Unadvise()
{
    if (m_pPoint)
    {
        m_pPoint->Unadvise(m_dwCookie);
        m_pPoint->Release();
        m_pPoint = nullptr;
    }
}

std::vector<CImapEvent> CEventSink::Take()
{
    EnterCriticalSection(&m_cs);
    std::vector<CImapEvent> events;
    events.swap(m_Events);
    LeaveCriticalSection(&m_cs);
    return events;
}

STDMETHODIMP CEventSink::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IOrbIMAPEvents)
    {
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT* pResult, EXCEPINFO*, UINT*)
{
    CImapEvent event;
    event.nId = id;
    // Arguments come last first.
    for (UINT i = pParams->cArgs; i-- > 0;)
    {
        VARIANT& arg = pParams->rgvarg[i];
        if (arg.vt == VT_BSTR)
            event.args.push_back(std::wstring(arg.bstrVal, SysStringLen(arg.bstrVal)));
        else if (arg.vt == VT_UI4)
            event.args.push_back(std::to_wstring(arg.ulVal));
        else if (arg.vt == VT_I4)
            event.args.push_back(std::to_wstring(arg.lVal));
        else
            event.args.push_back(L"?");
    }
    EnterCriticalSection(&m_cs);
    m_Events.push_back(event);
    LeaveCriticalSection(&m_cs);
    if (m_OnEvent)
        m_OnEvent(event);
    if (pResult)
    {
        VariantInit(pResult);
        pResult->vt = VT_I4;
        pResult->lVal = 0;
    }
    return S_OK;
}

std::string Narrow(const std::wstring& text)
{
    std::string bytes(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        bytes[i] = static_cast<char>(text[i] & 0xFF);
    return bytes;
}

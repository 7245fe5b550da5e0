// The non-template members of the COM smart types and the connection helpers.
#include "atlbase.h"

namespace ATL
{

namespace
{

BSTR AnsiToBstr(LPCSTR psz)
{
    if (!psz)
        return nullptr;
    return CString(psz).AllocSysString();
}

} // namespace

CComBSTR::CComBSTR(LPCSTR pSrc) : m_str(AnsiToBstr(pSrc)) {}

CComBSTR& CComBSTR::operator=(const CComBSTR& src)
{
    if (this != std::addressof(src))
        Attach(src.Copy());
    return *this;
}

CComBSTR& CComBSTR::operator=(CComBSTR&& src) noexcept
{
    if (this != std::addressof(src))
    {
        SysFreeString(m_str);
        m_str = src.m_str;
        src.m_str = nullptr;
    }
    return *this;
}

CComBSTR& CComBSTR::operator=(LPCOLESTR pSrc)
{
    if (pSrc != m_str)
        Attach(pSrc ? SysAllocString(pSrc) : nullptr);
    return *this;
}

CComBSTR& CComBSTR::operator=(LPCSTR pSrc)
{
    Attach(AnsiToBstr(pSrc));
    return *this;
}

bool CComBSTR::operator==(LPCOLESTR psz) const
{
    if (!m_str || !psz)
        return (!m_str || !*m_str) && (!psz || !*psz);
    const unsigned int nLength = Length();
    return lstrlenW(psz) == static_cast<int>(nLength) && memcmp(m_str, psz, nLength * sizeof(OLECHAR)) == 0;
}

HRESULT CComBSTR::CopyTo(BSTR* pbstr) const
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = Copy();
    return (*pbstr || !m_str) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CComBSTR::Append(LPCOLESTR lpsz, int nLen)
{
    if (!lpsz || nLen <= 0)
        return S_OK;
    const UINT nOld = Length();
    BSTR bstrNew = SysAllocStringLen(nullptr, nOld + static_cast<UINT>(nLen));
    if (!bstrNew)
        return E_OUTOFMEMORY;
    if (nOld)
        memcpy(bstrNew, m_str, nOld * sizeof(OLECHAR));
    memcpy(bstrNew + nOld, lpsz, static_cast<size_t>(nLen) * sizeof(OLECHAR));
    Attach(bstrNew);
    return S_OK;
}

CComVariant::CComVariant(const VARIANT& varSrc)
{
    ::VariantInit(this);
    Copy(&varSrc);
}

CComVariant::CComVariant(const CComVariant& varSrc) : tagVARIANT()
{
    ::VariantInit(this);
    Copy(&varSrc);
}

CComVariant::CComVariant(LPCOLESTR lpszSrc)
{
    ::VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocString(lpszSrc);
}

CComVariant::CComVariant(LPCSTR lpszSrc)
{
    ::VariantInit(this);
    vt = VT_BSTR;
    bstrVal = AnsiToBstr(lpszSrc);
}

CComVariant::CComVariant(bool bSrc)
{
    ::VariantInit(this);
    vt = VT_BOOL;
    boolVal = bSrc ? VARIANT_TRUE : VARIANT_FALSE;
}

CComVariant::CComVariant(int nSrc) : CComVariant(static_cast<long>(nSrc))
{
}

CComVariant::CComVariant(long nSrc)
{
    ::VariantInit(this);
    vt = VT_I4;
    lVal = nSrc;
}

CComVariant::CComVariant(unsigned long nSrc)
{
    ::VariantInit(this);
    vt = VT_UI4;
    ulVal = nSrc;
}

CComVariant::CComVariant(double dblSrc)
{
    ::VariantInit(this);
    vt = VT_R8;
    dblVal = dblSrc;
}

CComVariant::CComVariant(IDispatch* pSrc)
{
    ::VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = pSrc;
    if (pSrc)
        pSrc->AddRef();
}

CComVariant::CComVariant(IUnknown* pSrc)
{
    ::VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = pSrc;
    if (pSrc)
        pSrc->AddRef();
}

CComVariant& CComVariant::operator=(const CComVariant& varSrc)
{
    if (this != std::addressof(varSrc))
        Copy(&varSrc);
    return *this;
}

CComVariant& CComVariant::operator=(const VARIANT& varSrc)
{
    if (static_cast<const VARIANT*>(this) != &varSrc)
        Copy(&varSrc);
    return *this;
}

HRESULT CComVariant::Attach(VARIANT* pSrc)
{
    if (!pSrc)
        return E_INVALIDARG;
    HRESULT hr = Clear();
    if (FAILED(hr))
        return hr;
    memcpy(static_cast<VARIANT*>(this), pSrc, sizeof(VARIANT));
    pSrc->vt = VT_EMPTY;
    return S_OK;
}

HRESULT CComVariant::Detach(VARIANT* pDest)
{
    if (!pDest)
        return E_POINTER;
    HRESULT hr = ::VariantClear(pDest);
    if (FAILED(hr))
        return hr;
    memcpy(pDest, static_cast<VARIANT*>(this), sizeof(VARIANT));
    vt = VT_EMPTY;
    return S_OK;
}

HRESULT CComVariant::ChangeType(VARTYPE vtNew, const VARIANT* pSrc)
{
    VARIANT* pVar = const_cast<VARIANT*>(pSrc ? pSrc : this);
    return ::VariantChangeType(this, pVar, 0, vtNew);
}

static HRESULT FindConnectionPoint(IUnknown* pUnkCP, const IID& iid, CComPtr<IConnectionPoint>& pCP)
{
    CComPtr<IConnectionPointContainer> pCPC;
    HRESULT hr = pUnkCP->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&pCPC));
    if (FAILED(hr))
        return hr;
    return pCPC->FindConnectionPoint(iid, &pCP);
}

HRESULT AtlAdvise(IUnknown* pUnkCP, IUnknown* pUnk, const IID& iid, LPDWORD pdw)
{
    if (!pUnkCP || !pUnk || !pdw)
        return E_INVALIDARG;
    CComPtr<IConnectionPoint> pCP;
    HRESULT hr = FindConnectionPoint(pUnkCP, iid, pCP);
    if (FAILED(hr))
        return hr;
    return pCP->Advise(pUnk, pdw);
}

HRESULT AtlUnadvise(IUnknown* pUnkCP, const IID& iid, DWORD dw)
{
    if (!pUnkCP)
        return E_INVALIDARG;
    CComPtr<IConnectionPoint> pCP;
    HRESULT hr = FindConnectionPoint(pUnkCP, iid, pCP);
    if (FAILED(hr))
        return hr;
    return pCP->Unadvise(dw);
}

} // namespace ATL

// The parameter objects of the table and block-format commands.
#include "platform/htmledit/HtmlEditParams.h"

#include <atlbase.h>

namespace
{
HRESULT GetText(const CComBSTR& value, BSTR* p)
{
    if (!p)
        return E_POINTER;
    *p = value.Copy();
    return value.m_str && !*p ? E_OUTOFMEMORY : S_OK;
}
}

STDMETHODIMP CHtmlEditTableParam::get_NumRows(long* p)
{
    if (!p)
        return E_POINTER;
    *p = m_nRows;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::put_NumRows(long n)
{
    m_nRows = n;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::get_NumCols(long* p)
{
    if (!p)
        return E_POINTER;
    *p = m_nCols;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::put_NumCols(long n)
{
    m_nCols = n;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::get_TableAttrs(BSTR* p)
{
    return GetText(m_tableAttrs, p);
}

STDMETHODIMP CHtmlEditTableParam::put_TableAttrs(BSTR s)
{
    m_tableAttrs = s;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::get_CellAttrs(BSTR* p)
{
    return GetText(m_cellAttrs, p);
}

STDMETHODIMP CHtmlEditTableParam::put_CellAttrs(BSTR s)
{
    m_cellAttrs = s;
    return S_OK;
}

STDMETHODIMP CHtmlEditTableParam::get_Caption(BSTR* p)
{
    return GetText(m_caption, p);
}

STDMETHODIMP CHtmlEditTableParam::put_Caption(BSTR s)
{
    m_caption = s;
    return S_OK;
}

STDMETHODIMP CHtmlEditBlockFormatNames::get_Names(VARIANT* pNames)
{
    if (!pNames)
        return E_POINTER;
    ::VariantInit(pNames);
    return ::VariantCopy(pNames, &m_names);
}

STDMETHODIMP CHtmlEditBlockFormatNames::put_Names(VARIANT* pNames)
{
    if (!pNames)
        return E_POINTER;
    return ::VariantCopy(&m_names, pNames);
}

HRESULT CreateHtmlEditTableParam(IHtmlEditTableParam** ppParam)
{
    if (!ppParam)
        return E_POINTER;
    *ppParam = nullptr;
    CComObject<CHtmlEditTableParam>* p = nullptr;
    HRESULT hr = CComObject<CHtmlEditTableParam>::CreateInstance(&p);
    if (FAILED(hr))
        return hr;
    return p->QueryInterface(__uuidof(IHtmlEditTableParam), reinterpret_cast<void**>(ppParam));
}

HRESULT CreateHtmlEditBlockFormatNames(IHtmlEditBlockFormatNames** ppNames)
{
    if (!ppNames)
        return E_POINTER;
    *ppNames = nullptr;
    CComObject<CHtmlEditBlockFormatNames>* p = nullptr;
    HRESULT hr = CComObject<CHtmlEditBlockFormatNames>::CreateInstance(&p);
    if (FAILED(hr))
        return hr;
    return p->QueryInterface(__uuidof(IHtmlEditBlockFormatNames), reinterpret_cast<void**>(ppNames));
}

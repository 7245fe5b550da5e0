// The parameter objects of the table and block-format commands, made by the editor layer's factory.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include "platform/htmledit/HtmlEditInterfaces.h"

// IDispatch without type information: the objects are used through their interfaces.
template <class I> class CHtmlEditDispatch : public I
{
public:
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo** ppTInfo) override
    {
        if (ppTInfo)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

class CHtmlEditTableParam : public CComObjectRootEx<CComSingleThreadModel>,
                            public CHtmlEditDispatch<IHtmlEditTableParam>
{
public:
    BEGIN_COM_MAP(CHtmlEditTableParam)
        COM_INTERFACE_ENTRY(IHtmlEditTableParam)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    STDMETHOD(get_NumRows)(long* p) override;
    STDMETHOD(put_NumRows)(long n) override;
    STDMETHOD(get_NumCols)(long* p) override;
    STDMETHOD(put_NumCols)(long n) override;
    STDMETHOD(get_TableAttrs)(BSTR* p) override;
    STDMETHOD(put_TableAttrs)(BSTR s) override;
    STDMETHOD(get_CellAttrs)(BSTR* p) override;
    STDMETHOD(put_CellAttrs)(BSTR s) override;
    STDMETHOD(get_Caption)(BSTR* p) override;
    STDMETHOD(put_Caption)(BSTR s) override;

private:
    long m_nRows = 0;
    long m_nCols = 0;
    CComBSTR m_tableAttrs, m_cellAttrs, m_caption;
};

class CHtmlEditBlockFormatNames : public CComObjectRootEx<CComSingleThreadModel>,
                                  public CHtmlEditDispatch<IHtmlEditBlockFormatNames>
{
public:
    BEGIN_COM_MAP(CHtmlEditBlockFormatNames)
        COM_INTERFACE_ENTRY(IHtmlEditBlockFormatNames)
        COM_INTERFACE_ENTRY(IDispatch)
    END_COM_MAP()

    STDMETHOD(get_Names)(VARIANT* pNames) override;
    STDMETHOD(put_Names)(VARIANT* pNames) override;

private:
    CComVariant m_names;
};

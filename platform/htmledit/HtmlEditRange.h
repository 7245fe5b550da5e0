// A text range of the editor's document, for the spelling walk and the compose code's replacements.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include "platform/htmledit/HtmlEditInterfaces.h"

class CHtmlEdit;

class CHtmlEditRange : public CComObjectRootEx<CComSingleThreadModel>, public IHtmlEditRange
{
public:
    BEGIN_COM_MAP(CHtmlEditRange)
        COM_INTERFACE_ENTRY(IHtmlEditRange)
    END_COM_MAP()

    static HRESULT Create(CHtmlEdit* pEdit, LONG start, LONG end, IHtmlEditRange** ppRange);

    STDMETHOD(collapse)(VARIANT_BOOL bStart) override;
    STDMETHOD(moveEnd)(BSTR bstrUnit, long nCount, long* pActual) override;
    STDMETHOD(get_text)(BSTR* pText) override;
    STDMETHOD(put_text)(BSTR bstrText) override;
    STDMETHOD(select)() override;
    STDMETHOD(GetPositions)(long* pStart, long* pEnd) override;

    ~CHtmlEditRange();

private:
    HWND RichWindow() const;

    CHtmlEdit* m_pEdit = nullptr;  // add-ref'd
    LONG m_start = 0, m_end = 0;
};

// Text ranges of the editor: word steps that take their trailing separators, text read and replaced.
#include "platform/htmledit/HtmlEditRange.h"

#include <richedit.h>

#include <cwctype>

#include "platform/htmledit/HtmlEdit.h"
#include "platform/htmledit/HtmlEditRich.h"

namespace
{
bool IsWordChar(char16_t c)
{
    return c == u'\'' || c == u'_' || std::iswalnum(static_cast<wint_t>(c)) ||
           (c >= 0x00C0 && c != 0x00D7 && c != 0x00F7 && c != 0x00A0 && c != 0xFFFC && !(c >= 0x2000 && c <= 0x206F) &&
            !(c >= 0x3000 && c <= 0x303F));
}
}

HRESULT CHtmlEditRange::Create(CHtmlEdit* pEdit, LONG start, LONG end, IHtmlEditRange** ppRange)
{
    if (!ppRange)
        return E_POINTER;
    *ppRange = nullptr;
    CComObject<CHtmlEditRange>* p = nullptr;
    HRESULT hr = CComObject<CHtmlEditRange>::CreateInstance(&p);
    if (FAILED(hr))
        return hr;
    p->m_pEdit = pEdit;
    pEdit->GetUnknown()->AddRef();
    p->m_start = start;
    p->m_end = end;
    return p->QueryInterface(__uuidof(IHtmlEditRange), reinterpret_cast<void**>(ppRange));
}

CHtmlEditRange::~CHtmlEditRange()
{
    if (m_pEdit)
        m_pEdit->GetUnknown()->Release();
}

HWND CHtmlEditRange::RichWindow() const
{
    return m_pEdit ? m_pEdit->RichEditWindow() : nullptr;
}

STDMETHODIMP CHtmlEditRange::collapse(VARIANT_BOOL bStart)
{
    if (bStart)
        m_end = m_start;
    else
        m_start = m_end;
    return S_OK;
}

STDMETHODIMP CHtmlEditRange::moveEnd(BSTR bstrUnit, long nCount, long* pActual)
{
    if (pActual)
        *pActual = 0;
    HWND hRich = RichWindow();
    if (!hRich)
        return E_UNEXPECTED;
    const bool word = bstrUnit && lstrcmpiW(bstrUnit, L"word") == 0;
    if (!word && !(bstrUnit && lstrcmpiW(bstrUnit, L"character") == 0))
        return E_INVALIDARG;
    try
    {
        const std::u16string text = htmledit::RichText(hRich);
        const LONG size = static_cast<LONG>(text.size());
        long moved = 0;
        for (; moved < nCount && m_end < size; ++moved)
        {
            if (!word)
            {
                ++m_end;
                continue;
            }
            // A word, then the separators after it up to the next word.
            if (IsWordChar(text[m_end]))
                while (m_end < size && IsWordChar(text[m_end]))
                    ++m_end;
            else
                ++m_end;
            while (m_end < size && !IsWordChar(text[m_end]) && text[m_end] != u'%' && text[m_end - 1] != u'\r')
                ++m_end;
        }
        if (m_end < m_start)
            m_start = m_end;
        if (pActual)
            *pActual = moved;
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEditRange::get_text(BSTR* pText)
{
    if (!pText)
        return E_POINTER;
    *pText = nullptr;
    HWND hRich = RichWindow();
    if (!hRich)
        return E_UNEXPECTED;
    try
    {
        const std::u16string text = htmledit::RichText(hRich);
        const LONG size = static_cast<LONG>(text.size());
        const LONG start = std::min(m_start, size), end = std::min(m_end, size);
        std::wstring out;
        for (LONG i = start; i < end; ++i)
        {
            if (text[i] == u'\r' || text[i] == htmledit::kLineBreak)
                out += L"\r\n";
            else if (text[i] != htmledit::kPicture)
                out.push_back(static_cast<wchar_t>(text[i]));
        }
        *pText = ::SysAllocStringLen(out.c_str(), static_cast<UINT>(out.size()));
        return *pText ? S_OK : E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEditRange::put_text(BSTR bstrText)
{
    if (!m_pEdit || !RichWindow())
        return E_UNEXPECTED;
    try
    {
        const LONG inserted = m_pEdit->ReplaceRange(m_start, m_end, bstrText ? bstrText : L"");
        if (inserted < 0)
            return E_FAIL;
        m_end = m_start + inserted;
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEditRange::select()
{
    HWND hRich = RichWindow();
    if (!hRich)
        return E_UNEXPECTED;
    ::SendMessageW(hRich, EM_SETSEL, m_start, m_end);
    return S_OK;
}

STDMETHODIMP CHtmlEditRange::GetPositions(long* pStart, long* pEnd)
{
    if (!pStart || !pEnd)
        return E_POINTER;
    *pStart = m_start;
    *pEnd = m_end;
    return S_OK;
}

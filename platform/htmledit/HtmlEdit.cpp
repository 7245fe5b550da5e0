// The HTML editor control: its window, the rich-edit child that holds the text, and its COM faces.
#include "platform/htmledit/HtmlEdit.h"

#include <richedit.h>

extern "C" const IID DIID_DHTMLEditEvents = {0x588D5040, 0xCF28, 0x11D1, {0x8C, 0xD3, 0x00, 0xA0, 0xC9, 0x59, 0xBC, 0x0A}};

namespace
{
const UINT WM_ATLGETCONTROL_ = WM_USER + 603;
bool s_bAvailable = true;
}

class CHtmlEditModel
{
};

CHtmlEdit::CHtmlEdit() = default;
CHtmlEdit::~CHtmlEdit() = default;

bool CHtmlEdit::Available()
{
    return s_bAvailable && ::LoadLibraryW(L"riched20.dll") != nullptr;
}

void CHtmlEdit::SetAvailable(bool bAvailable)
{
    s_bAvailable = bAvailable;
}

bool CHtmlEdit::RegisterClass()
{
    static const bool registered = [] {
        ::LoadLibraryW(L"riched20.dll");
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_IBEAM);
        wc.lpszClassName = HTMLEDIT_CLASS;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

CHtmlEdit* CHtmlEdit::FromWindow(HWND hWnd)
{
    wchar_t name[32] = L"";
    if (!::IsWindow(hWnd) || !::GetClassNameW(hWnd, name, 32) || lstrcmpiW(name, HTMLEDIT_CLASS) != 0)
        return nullptr;
    return reinterpret_cast<CHtmlEdit*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

LRESULT CALLBACK CHtmlEdit::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (uMsg == WM_NCCREATE)
        {
            CComObject<CHtmlEdit>* pEdit = nullptr;
            if (FAILED(CComObject<CHtmlEdit>::CreateInstance(&pEdit)))
                return FALSE;
            pEdit->AddRef();
            pEdit->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<CHtmlEdit*>(pEdit)));
        }
        CHtmlEdit* pEdit = reinterpret_cast<CHtmlEdit*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (!pEdit)
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            pEdit->m_hWnd = nullptr;
            pEdit->m_hRich = nullptr;
            pEdit->GetUnknown()->Release();
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        }
        return pEdit->OnMessage(uMsg, wParam, lParam);
    }
    catch (...)
    {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

LRESULT CALLBACK CHtmlEdit::RichProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CHtmlEdit* pEdit = FromWindow(::GetParent(hWnd));
    if (!pEdit || !pEdit->m_pfnRichProc)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    try
    {
        LRESULT result = 0;
        if (pEdit->OnRichMessage(uMsg, wParam, lParam, result))
            return result;
    }
    catch (...)
    {
        return 0;
    }
    return ::CallWindowProcW(pEdit->m_pfnRichProc, hWnd, uMsg, wParam, lParam);
}

LRESULT CHtmlEdit::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
        m_hRich = ::CreateWindowExW(0, L"RichEdit20W", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                        ES_NOHIDESEL,
                                    0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        if (!m_hRich)
            return -1;
        m_pfnRichProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(m_hRich, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RichProc)));
        return 0;
    case WM_ATLGETCONTROL_:
        return reinterpret_cast<LRESULT>(GetUnknown());
    case WM_SIZE:
        if (m_hRich)
            ::MoveWindow(m_hRich, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (m_hRich)
            ::SetFocus(m_hRich);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS;
    }
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

bool CHtmlEdit::OnRichMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

std::string CHtmlEdit::BodyFragmentUtf8() const
{
    return std::string();
}

std::wstring CHtmlEdit::PlainText() const
{
    return std::wstring();
}

bool CHtmlEdit::InsertHtml(const std::wstring&)
{
    return false;
}

bool CHtmlEdit::InsertText(const std::wstring&)
{
    return false;
}

bool CHtmlEdit::SetPlainTextDocument(const std::wstring&)
{
    return false;
}

CComPtr<IHtmlEditRange> CHtmlEdit::BodyRange()
{
    return CComPtr<IHtmlEditRange>();
}

CComPtr<IHtmlEditRange> CHtmlEdit::SelectionRange()
{
    return CComPtr<IHtmlEditRange>();
}

STDMETHODIMP CHtmlEdit::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CHtmlEdit::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CHtmlEdit::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CHtmlEdit::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CHtmlEdit::ExecCommand(long, long, VARIANT*)
{
    return m_hWnd ? E_NOTIMPL : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::QueryStatus(long, long* pStatus)
{
    if (!pStatus)
        return E_POINTER;
    *pStatus = DECMDF_NOTSUPPORTED;
    return m_hWnd ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::NewDocument()
{
    return m_hWnd ? E_NOTIMPL : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::LoadDocument(VARIANT*, VARIANT*)
{
    return m_hWnd ? E_NOTIMPL : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::get_DocumentHTML(BSTR* pHtml)
{
    if (!pHtml)
        return E_POINTER;
    *pHtml = nullptr;
    return m_hWnd ? E_NOTIMPL : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::put_DocumentHTML(BSTR)
{
    return m_hWnd ? E_NOTIMPL : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::get_IsDirty(VARIANT_BOOL* pDirty)
{
    if (!pDirty)
        return E_POINTER;
    *pDirty = m_bDirty ? VARIANT_TRUE : VARIANT_FALSE;
    return m_hWnd ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CHtmlEdit::get_DOM(IHtmlEditDocument** ppDocument)
{
    if (!ppDocument)
        return E_POINTER;
    *ppDocument = nullptr;
    if (!m_hWnd)
        return E_UNEXPECTED;
    return QueryInterface(__uuidof(IHtmlEditDocument), reinterpret_cast<void**>(ppDocument));
}

STDMETHODIMP CHtmlEdit::CreateBodyRange(IHtmlEditRange** ppRange)
{
    if (!ppRange)
        return E_POINTER;
    *ppRange = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CHtmlEdit::CreateSelectionRange(IHtmlEditRange** ppRange)
{
    if (!ppRange)
        return E_POINTER;
    *ppRange = nullptr;
    return E_NOTIMPL;
}

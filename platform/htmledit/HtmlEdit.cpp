// The HTML editor control: its window, the rich-edit child that holds the text, and its COM faces.
#include "platform/htmledit/HtmlEdit.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "platform/htmledit/HtmlClipboardFormat.h"
#include "platform/htmledit/HtmlEditParams.h"
#include "platform/htmledit/HtmlEditRange.h"
#include "platform/htmledit/HtmlEditReader.h"
#include "platform/htmledit/HtmlEditRich.h"
#include "platform/htmledit/HtmlEditState.h"
#include "platform/htmledit/HtmlEditWriter.h"
#include "platform/htmlview/HtmlPageReader.h"

extern "C" const IID DIID_DHTMLEditEvents = {0x588D5040, 0xCF28, 0x11D1, {0x8C, 0xD3, 0x00, 0xA0, 0xC9, 0x59, 0xBC, 0x0A}};

using namespace htmledit;

namespace
{
const UINT WM_ATLGETCONTROL_ = WM_USER + 603;
const UINT WM_HTMLEDIT_COMPLETE = WM_APP + 0x3B0;
const UINT WM_HTMLEDIT_DISPLAYCHANGED = WM_APP + 0x3B1;
const int kRichId = 1;
bool s_bAvailable = true;

std::u16string U16(const std::wstring& w)
{
    return std::u16string(w.begin(), w.end());
}

std::wstring W(const std::u16string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::wstring Wide(const std::string& utf8)
{
    return W(Utf8To16(utf8));
}

std::string Utf8(const std::wstring& w)
{
    return Utf16To8(U16(w));
}

}

CHtmlEdit::CHtmlEdit() : m_model(new CHtmlEditModel)
{
    // Events come from the control's window procedure, on the thread of the sinks that host it.
    CallSinksDirectly();
}

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
    {
        m_hRich = ::CreateWindowExW(0, L"RichEdit20W", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL |
                                        ES_WANTRETURN,
                                    0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRichId)),
                                    nullptr, nullptr);
        if (!m_hRich)
            return -1;
        ::SendMessageW(m_hRich, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
        ::SendMessageW(m_hRich, EM_SETEVENTMASK, 0, ENM_SELCHANGE | ENM_CHANGE);
        ::SendMessageW(m_hRich, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
        m_pfnRichProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(m_hRich, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RichProc)));
        Load(std::string(), false);
        return 0;
    }
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
    case WM_NOTIFY:
    {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        if (pHdr && pHdr->hwndFrom == m_hRich && pHdr->code == EN_SELCHANGE)
            PostDisplayChanged();
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == m_hRich && HIWORD(wParam) == EN_CHANGE && !m_nBusy)
        {
            m_bDirty = true;
            PostDisplayChanged();
        }
        return 0;
    case WM_HTMLEDIT_COMPLETE:
        Fire(DISPID_DOCUMENTCOMPLETE_);
        return 0;
    case WM_HTMLEDIT_DISPLAYCHANGED:
        m_bDisplayChangedPosted = false;
        Fire(DISPID_DISPLAYCHANGED_);
        return 0;
    }
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

bool CHtmlEdit::OnRichMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (uMsg)
    {
    case WM_GETDLGCODE:
        // Tab belongs to the dialog; Enter and the arrows to the editor.
        result = ::CallWindowProcW(m_pfnRichProc, m_hRich, uMsg, wParam, lParam) & ~(DLGC_WANTTAB);
        result |= DLGC_WANTCHARS | DLGC_WANTARROWS;
        if (lParam)
        {
            const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
            if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
                result |= DLGC_WANTMESSAGE;
        }
        return true;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam))
        {
            result = 0;
            return true;
        }
        return false;
    case WM_CHAR:
        // Keys handled on WM_KEYDOWN leave their characters behind.
        if (wParam == L'\r' || wParam == L'\n' || wParam == L'\t' || wParam == 0x16 || wParam == 0x03 ||
            wParam == 0x18 || wParam == 0x02 || wParam == 0x09 || wParam == 0x15)
        {
            result = 0;
            return true;
        }
        return false;
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        result = 0;
        return true;
    case WM_COPY:
        Copy(false);
        return true;
    case WM_CUT:
        Copy(true);
        return true;
    case WM_PASTE:
        Paste();
        return true;
    case EM_PASTESPECIAL:
    case WM_DROPFILES:
        // Files, bitmaps and OLE objects never come in.
        result = 0;
        return true;
    }
    return false;
}

bool CHtmlEdit::OnKeyDown(WPARAM vk)
{
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (vk)
    {
    case VK_RETURN:
    {
        if (shift)
        {
            ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\x000B"));
            return true;
        }
        ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r"));
        // A new paragraph after a heading is an ordinary one, as browsers' editors make it.
        Paragraph p = CaretParagraph();
        if (p.block >= Block::H1 && p.block <= Block::H6)
        {
            CHARRANGE sel = {};
            ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
            std::u16string text = RichText(m_hRich);
            if (sel.cpMin >= static_cast<LONG>(text.size()) || text[sel.cpMin] == u'\r')
            {
                p.block = Block::Div;
                SetParagraphFormat(m_hRich, sel.cpMin, sel.cpMin, p);
                CHARFORMAT2W cf = {};
                cf.cbSize = sizeof(cf);
                cf.dwMask = CFM_SIZE | CFM_BOLD | CFM_WEIGHT;
                cf.yHeight = DefaultSize(Block::Div) * 10;
                cf.wWeight = FW_NORMAL;
                ::SendMessageW(m_hRich, EM_SETSEL, sel.cpMin, sel.cpMin);
                ::SendMessageW(m_hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
            }
        }
        return true;
    }
    case VK_TAB:
    {
        if (ctrl)
            return false;
        HWND hDialog = ::GetParent(m_hWnd);
        if (hDialog)
            ::PostMessageW(hDialog, WM_NEXTDLGCTL, shift ? 1 : 0, FALSE);
        return true;
    }
    case VK_F10:
        if (shift)
        {
            OnContextMenu(-1);
            return true;
        }
        return false;
    case VK_APPS:
        OnContextMenu(-1);
        return true;
    case VK_INSERT:
        if (ctrl)
            return Copy(false), true;
        if (shift)
            return Paste(), true;
        return false;
    case VK_DELETE:
        if (shift)
            return Copy(true), true;
        return false;
    }
    if (!ctrl)
        return false;
    switch (vk)
    {
    case 'C': Copy(false); return true;
    case 'X': Copy(true); return true;
    case 'V': Paste(); return true;
    case 'B': Exec(DECMD_BOLD, DECMD_OPT_DONTPROMPTUSER, nullptr); return true;
    case 'I': Exec(DECMD_ITALIC, DECMD_OPT_DONTPROMPTUSER, nullptr); return true;
    case 'U': Exec(DECMD_UNDERLINE, DECMD_OPT_DONTPROMPTUSER, nullptr); return true;
    }
    return false;
}

void CHtmlEdit::OnContextMenu(LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1)
    {
        // From the keyboard: where the caret is.
        CHARRANGE sel = {};
        ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        POINTL at = {};
        ::SendMessageW(m_hRich, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), sel.cpMax);
        pt.x = at.x;
        pt.y = at.y;
    }
    else
        ::ScreenToClient(m_hRich, &pt);
    CComVariant args[2] = {CComVariant(static_cast<long>(pt.x)), CComVariant(static_cast<long>(pt.y))};
    Fire(DISPID_SHOWCONTEXTMENU_, args, 2);
}

void CHtmlEdit::Fire(DISPID dispid, VARIANT* pArgs, UINT nArgs)
{
    // Sinks may release the control while it fires.
    CComPtr<IUnknown> self(GetUnknown());
    FireEvent(dispid, pArgs, nArgs);
}

void CHtmlEdit::PostDocumentComplete()
{
    if (m_hWnd)
        ::PostMessageW(m_hWnd, WM_HTMLEDIT_COMPLETE, 0, 0);
}

bool CHtmlEdit::IsQueryCommand(long nCmdId)
{
    switch (nCmdId)
    {
    case DECMD_COPY:
    case DECMD_GETBACKCOLOR:
    case DECMD_GETBLOCKFMT:
    case DECMD_GETBLOCKFMTNAMES:
    case DECMD_GETFONTNAME:
    case DECMD_GETFONTSIZE:
    case DECMD_GETFORECOLOR:
        return true;
    }
    return false;
}

void CHtmlEdit::PostDisplayChanged()
{
    if (m_nBusy || !m_hWnd || m_bDisplayChangedPosted)
        return;
    m_bDisplayChangedPosted = ::PostMessageW(m_hWnd, WM_HTMLEDIT_DISPLAYCHANGED, 0, 0) != FALSE;
}

void CHtmlEdit::Load(const Document& doc)
{
    CBusy busy(*this);
    busy.Keep();
    m_model->doc = doc;
    m_model->doc.paragraphs.clear();
    ::SendMessageW(m_hRich, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Paragraph first;
    SetParagraphFormat(m_hRich, 0, 0, first);
    SetCharFormat(m_hRich, 0, 0, CharFormat(), Block::Div);
    if (!doc.paragraphs.empty())
        LoadParagraphs(m_hRich, doc.paragraphs);
    ::SendMessageW(m_hRich, EM_SETSEL, 0, 0);
    ::SendMessageW(m_hRich, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(m_hRich, EM_SETMODIFY, FALSE, 0);
    m_bDirty = false;
}

void CHtmlEdit::Load(const std::string& utf8, bool bPlainText)
{
    Document doc;
    if (bPlainText)
    {
        const std::u16string text = Utf8To16(utf8);
        Paragraph p;
        Run run;
        for (size_t i = 0; i <= text.size(); ++i)
        {
            if (i == text.size() || text[i] == u'\n' || text[i] == u'\r')
            {
                p.runs.clear();
                if (!run.text.empty())
                    p.runs.push_back(run);
                doc.paragraphs.push_back(p);
                run.text.clear();
                if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
                    ++i;
            }
            else
                run.text.push_back(text[i] == u'\t' ? u' ' : text[i]);
        }
    }
    else
        ReadHtml(utf8, doc);
    Load(doc);
}

Document CHtmlEdit::Read(LONG first, LONG last)
{
    CBusy busy(*this);
    Document doc = m_model->doc;
    doc.paragraphs = ReadParagraphs(m_hRich, first, last);
    return doc;
}

void CHtmlEdit::InsertDocument(const Document& fragment)
{
    const int linkBase = static_cast<int>(m_model->doc.links.size());
    const int pictureBase = static_cast<int>(m_model->doc.pictures.size());
    const int tableBase = static_cast<int>(m_model->doc.tables.size());
    m_model->doc.links.insert(m_model->doc.links.end(), fragment.links.begin(), fragment.links.end());
    m_model->doc.pictures.insert(m_model->doc.pictures.end(), fragment.pictures.begin(), fragment.pictures.end());
    m_model->doc.tables.insert(m_model->doc.tables.end(), fragment.tables.begin(), fragment.tables.end());
    CBusy busy(*this);
    busy.Keep();
    const bool firstIsBlock = !fragment.paragraphs.empty() && fragment.paragraphs[0].block != Block::Div &&
                              fragment.paragraphs[0].block != Block::P;
    InsertParagraphs(m_hRich, fragment.paragraphs, linkBase, pictureBase, tableBase, firstIsBlock);
    m_bDirty = true;
}

LONG CHtmlEdit::ReplaceRange(LONG start, LONG end, const std::wstring& text)
{
    if (!m_hRich)
        return -1;
    std::wstring clean;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            continue;
        clean.push_back(text[i] == L'\n' ? L'\r' : text[i]);
    }
    CBusy busy(*this);
    const LONG size = static_cast<LONG>(RichText(m_hRich).size());
    start = std::min(std::max<LONG>(start, 0), size);
    end = std::min(std::max(end, start), size);
    // The new text takes the formats of the first character it replaces.
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageW(m_hRich, EM_SETSEL, start, start < end ? start + 1 : start);
    ::SendMessageW(m_hRich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    ::SendMessageW(m_hRich, EM_SETSEL, start, end);
    ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(clean.c_str()));
    const LONG inserted = static_cast<LONG>(clean.size());
    if (inserted)
    {
        cf.dwMask &= ~CFM_LINK;
        ::SendMessageW(m_hRich, EM_SETSEL, start, start + inserted);
        ::SendMessageW(m_hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
    busy.Keep();
    busy.SetSelection(start + inserted, start + inserted);
    m_bDirty = true;
    return inserted;
}

std::string CHtmlEdit::BodyFragmentUtf8() const
{
    if (!m_hRich)
        return std::string();
    return WriteBody(const_cast<CHtmlEdit*>(this)->Read());
}

std::wstring CHtmlEdit::PlainText() const
{
    if (!m_hRich)
        return std::wstring();
    std::wstring out;
    for (char16_t c : RichText(m_hRich))
    {
        if (c == u'\r' || c == kLineBreak)
            out += L"\r\n";
        else if (c != kPicture)
            out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

bool CHtmlEdit::InsertHtml(const std::wstring& html)
{
    if (!m_hRich)
        return false;
    Document fragment;
    ReadHtml(Utf8(html), fragment);
    InsertDocument(fragment);
    PostDisplayChanged();
    return true;
}

bool CHtmlEdit::InsertText(const std::wstring& text)
{
    if (!m_hRich)
        return false;
    CHARRANGE sel = {};
    ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    ReplaceRange(sel.cpMin, sel.cpMax, text);
    PostDisplayChanged();
    return true;
}

bool CHtmlEdit::SetPlainTextDocument(const std::wstring& text)
{
    if (!m_hRich)
        return false;
    Load(Utf8(text), true);
    PostDisplayChanged();
    return true;
}

CComPtr<IHtmlEditRange> CHtmlEdit::BodyRange()
{
    CComPtr<IHtmlEditRange> range;
    CreateBodyRange(&range);
    return range;
}

CComPtr<IHtmlEditRange> CHtmlEdit::SelectionRange()
{
    CComPtr<IHtmlEditRange> range;
    CreateSelectionRange(&range);
    return range;
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

STDMETHODIMP CHtmlEdit::ExecCommand(long nCmdId, long nOption, VARIANT* pArg)
{
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        long status = 0;
        HRESULT hr = Status(nCmdId, status);
        if (FAILED(hr))
            return hr;
        hr = Exec(nCmdId, nOption, pArg);
        // Queries change nothing: reporting them as a change would have a listener that asks for the
        // formats on every DisplayChanged post to itself for ever (and starve a modal dialog of its idle).
        if (SUCCEEDED(hr) && !IsQueryCommand(nCmdId))
            PostDisplayChanged();
        return hr;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CHtmlEdit::QueryStatus(long nCmdId, long* pStatus)
{
    if (!pStatus)
        return E_POINTER;
    *pStatus = DECMDF_NOTSUPPORTED;
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        long status = DECMDF_NOTSUPPORTED;
        HRESULT hr = Status(nCmdId, status);
        *pStatus = status;
        return hr == DE_E_INVALIDCOMMAND ? S_OK : hr;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CHtmlEdit::NewDocument()
{
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        Load(std::string(), false);
        PostDocumentComplete();
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEdit::LoadDocument(VARIANT* pPath, VARIANT*)
{
    if (!m_hRich)
        return E_UNEXPECTED;
    if (!pPath || pPath->vt != VT_BSTR || !pPath->bstrVal)
        return E_INVALIDARG;
    try
    {
        std::wstring path = pPath->bstrVal;
        if (_wcsnicmp(path.c_str(), L"file:///", 8) == 0)
            path.erase(0, 8);
        else if (_wcsnicmp(path.c_str(), L"file://", 7) == 0)
            path.erase(0, 7);
        std::string bytes;
        if (!CHtmlPageReader::ReadFile(path.c_str(), bytes))
            return E_INVALIDARG;
        Load(CHtmlPageReader::ToUtf8(bytes, 0), false);
        PostDocumentComplete();
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEdit::get_DocumentHTML(BSTR* pHtml)
{
    if (!pHtml)
        return E_POINTER;
    *pHtml = nullptr;
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        const std::wstring html = Wide(WriteHtml(Read()));
        *pHtml = ::SysAllocStringLen(html.c_str(), static_cast<UINT>(html.size()));
        return *pHtml ? S_OK : E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEdit::put_DocumentHTML(BSTR bstrHtml)
{
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        Load(Utf8(bstrHtml ? bstrHtml : L""), false);
        PostDocumentComplete();
        return S_OK;
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEdit::get_IsDirty(VARIANT_BOOL* pDirty)
{
    if (!pDirty)
        return E_POINTER;
    *pDirty = VARIANT_FALSE;
    if (!m_hRich)
        return E_UNEXPECTED;
    *pDirty = m_bDirty || ::SendMessageW(m_hRich, EM_GETMODIFY, 0, 0) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CHtmlEdit::get_DOM(IHtmlEditDocument** ppDocument)
{
    if (!ppDocument)
        return E_POINTER;
    *ppDocument = nullptr;
    if (!m_hRich)
        return E_UNEXPECTED;
    return QueryInterface(__uuidof(IHtmlEditDocument), reinterpret_cast<void**>(ppDocument));
}

STDMETHODIMP CHtmlEdit::CreateBodyRange(IHtmlEditRange** ppRange)
{
    if (!ppRange)
        return E_POINTER;
    *ppRange = nullptr;
    if (!m_hRich)
        return E_UNEXPECTED;
    try
    {
        return CHtmlEditRange::Create(this, 0, static_cast<LONG>(RichText(m_hRich).size()), ppRange);
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlEdit::CreateSelectionRange(IHtmlEditRange** ppRange)
{
    if (!ppRange)
        return E_POINTER;
    *ppRange = nullptr;
    if (!m_hRich)
        return E_UNEXPECTED;
    CHARRANGE sel = {};
    ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    return CHtmlEditRange::Create(this, sel.cpMin, sel.cpMax, ppRange);
}

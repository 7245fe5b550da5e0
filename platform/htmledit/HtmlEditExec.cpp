// The editor's commands: their statuses and what they do to the selection and its paragraphs.
#include "platform/htmledit/HtmlEdit.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "platform/htmledit/HtmlClipboardFormat.h"
#include "platform/htmledit/HtmlEditReader.h"
#include "platform/htmledit/HtmlEditRich.h"
#include "platform/htmledit/HtmlEditState.h"
#include "platform/htmledit/HtmlEditWriter.h"

using namespace htmledit;

namespace
{
std::wstring ColorText(COLORREF c)
{
    wchar_t text[16];
    swprintf(text, 16, L"#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

bool ParseColor(const VARIANT* pArg, COLORREF& color)
{
    if (!pArg)
        return false;
    if (pArg->vt == VT_I4 || pArg->vt == VT_INT)
    {
        color = static_cast<COLORREF>(pArg->lVal) & 0xFFFFFF;
        return true;
    }
    if (pArg->vt != VT_BSTR || !pArg->bstrVal)
        return false;
    const wchar_t* p = pArg->bstrVal;
    if (*p == L'#')
        ++p;
    if (wcslen(p) != 6)
        return false;
    unsigned value = 0;
    for (int i = 0; i < 6; ++i)
    {
        const wchar_t c = p[i];
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10
                          : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    color = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return true;
}

bool IsTableCommand(long nCmdId)
{
    switch (nCmdId)
    {
    case DECMD_INSERTROW:
    case DECMD_INSERTCOL:
    case DECMD_INSERTCELL:
    case DECMD_DELETEROWS:
    case DECMD_DELETECOLS:
    case DECMD_DELETECELLS:
    case DECMD_MERGECELLS:
    case DECMD_SPLITCELL:
        return true;
    default:
        return false;
    }
}

std::string Utf8(const std::wstring& w)
{
    return Utf16To8(std::u16string(w.begin(), w.end()));
}

// "BORDER=1 BGCOLOR=black" as attributes written out: names lower case, values quoted, no handlers.
std::string AttributesOf(const std::wstring& text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && iswspace(text[i]))
            ++i;
        std::wstring name;
        while (i < text.size() && (iswalnum(text[i]) || text[i] == L'-'))
            name.push_back(static_cast<wchar_t>(towlower(text[i++])));
        if (name.empty())
        {
            if (i < text.size())
                ++i;
            continue;
        }
        std::wstring value;
        while (i < text.size() && iswspace(text[i]))
            ++i;
        if (i < text.size() && text[i] == L'=')
        {
            ++i;
            while (i < text.size() && iswspace(text[i]))
                ++i;
            if (i < text.size() && (text[i] == L'"' || text[i] == L'\''))
            {
                const wchar_t quote = text[i++];
                while (i < text.size() && text[i] != quote)
                    value.push_back(text[i++]);
                if (i < text.size())
                    ++i;
            }
            else
                while (i < text.size() && !iswspace(text[i]))
                    value.push_back(text[i++]);
        }
        if (name.compare(0, 2, L"on") == 0)
            continue;
        std::string escaped;
        for (char c : Utf8(value))
            escaped += c == '"' ? std::string("&quot;") : c == '&' ? std::string("&amp;") : std::string(1, c);
        out += " " + Utf8(name) + "=\"" + escaped + "\"";
    }
    return out;
}

CHARRANGE Selection(HWND hRich)
{
    CHARRANGE sel = {};
    ::SendMessageW(hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    return sel;
}

HRESULT SetText(VARIANT* pArg, const std::wstring& text)
{
    if (!pArg)
        return E_INVALIDARG;
    ::VariantClear(pArg);
    pArg->vt = VT_BSTR;
    pArg->bstrVal = ::SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return pArg->bstrVal ? S_OK : E_OUTOFMEMORY;
}
}

CHARFORMAT2W CHtmlEdit::SelectionCharFormat() const
{
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageW(m_hRich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

Paragraph CHtmlEdit::CaretParagraph() const
{
    CBusy busy(*const_cast<CHtmlEdit*>(this));
    const CHARRANGE sel = Selection(m_hRich);
    return GetParagraphFormat(m_hRich, sel.cpMin);
}

HRESULT CHtmlEdit::Status(long nCmdId, long& status)
{
    const CHARRANGE sel = Selection(m_hRich);
    const bool hasSelection = sel.cpMax > sel.cpMin;
    const bool readOnly = (::GetWindowLongW(m_hRich, GWL_STYLE) & ES_READONLY) != 0;
    auto effect = [&](DWORD mask, DWORD bit) {
        const CHARFORMAT2W cf = SelectionCharFormat();
        return (cf.dwMask & mask) && (cf.dwEffects & bit) ? DECMDF_LATCHED : DECMDF_ENABLED;
    };
    switch (nCmdId)
    {
    case DECMD_BOLD: status = effect(CFM_BOLD, CFE_BOLD); return S_OK;
    case DECMD_ITALIC: status = effect(CFM_ITALIC, CFE_ITALIC); return S_OK;
    case DECMD_UNDERLINE: status = effect(CFM_UNDERLINE, CFE_UNDERLINE); return S_OK;
    case DECMD_ORDERLIST:
    case DECMD_UNORDERLIST:
    {
        const Paragraph p = CaretParagraph();
        const ListKind kind = nCmdId == DECMD_ORDERLIST ? ListKind::Number : ListKind::Bullet;
        status = p.block == Block::ListItem && p.list == kind ? DECMDF_LATCHED : DECMDF_ENABLED;
        return S_OK;
    }
    case DECMD_INDENT:
        status = readOnly ? DECMDF_DISABLED : DECMDF_ENABLED;
        return S_OK;
    case DECMD_OUTDENT:
    {
        const Paragraph p = CaretParagraph();
        status = p.quote > 0 || p.block == Block::ListItem ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    }
    case DECMD_JUSTIFYLEFT:
    case DECMD_JUSTIFYCENTER:
    case DECMD_JUSTIFYRIGHT:
    {
        const Paragraph p = CaretParagraph();
        const Align align = p.align == Align::None ? Align::Left : p.align;
        const Align wanted = nCmdId == DECMD_JUSTIFYLEFT ? Align::Left
                             : nCmdId == DECMD_JUSTIFYCENTER ? Align::Center : Align::Right;
        status = align == wanted ? DECMDF_LATCHED : DECMDF_ENABLED;
        return S_OK;
    }
    case DECMD_SETFONTNAME:
    case DECMD_GETFONTNAME:
    case DECMD_SETFONTSIZE:
    case DECMD_GETFONTSIZE:
    case DECMD_SETFORECOLOR:
    case DECMD_GETFORECOLOR:
    case DECMD_SETBACKCOLOR:
    case DECMD_GETBACKCOLOR:
    case DECMD_SETBLOCKFMT:
    case DECMD_GETBLOCKFMT:
    case DECMD_GETBLOCKFMTNAMES:
    case DECMD_SELECTALL:
    case DECMD_FONT:
    case DECMD_HYPERLINK:
    case DECMD_IMAGE:
    case DECMD_FINDTEXT:
        status = DECMDF_ENABLED;
        return S_OK;
    case DECMD_INSERTTABLE:
        status = CaretParagraph().table ? DECMDF_DISABLED : DECMDF_ENABLED;
        return S_OK;
    case DECMD_COPY:
        status = hasSelection ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    case DECMD_CUT:
    case DECMD_DELETE:
        status = hasSelection && !readOnly ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    case DECMD_PASTE:
    {
        static const UINT htmlFormat = ::RegisterClipboardFormatW(L"HTML Format");
        const bool available = ::IsClipboardFormatAvailable(htmlFormat) ||
                               ::IsClipboardFormatAvailable(CF_UNICODETEXT) || ::IsClipboardFormatAvailable(CF_TEXT);
        status = available && !readOnly ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    }
    case DECMD_UNDO:
        status = ::SendMessageW(m_hRich, EM_CANUNDO, 0, 0) ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    case DECMD_REDO:
        status = ::SendMessageW(m_hRich, EM_CANREDO, 0, 0) ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    case DECMD_UNLINK:
    {
        const CHARFORMAT2W cf = SelectionCharFormat();
        status = !(cf.dwMask & CFM_LINK) || (cf.dwEffects & CFE_LINK) ? DECMDF_ENABLED : DECMDF_DISABLED;
        return S_OK;
    }
    case DECMD_PROPERTIES:
        status = DECMDF_DISABLED;
        return S_OK;
    }
    if (IsTableCommand(nCmdId))
    {
        const bool inTable = CaretParagraph().table != 0;
        // Spans are not in the run model: cells neither merge nor split.
        status = inTable && nCmdId != DECMD_MERGECELLS && nCmdId != DECMD_SPLITCELL ? DECMDF_ENABLED
                                                                                     : DECMDF_DISABLED;
        return S_OK;
    }
    status = DECMDF_NOTSUPPORTED;
    return DE_E_INVALIDCOMMAND;
}

HRESULT CHtmlEdit::ToggleEffect(DWORD mask, DWORD effect)
{
    const CHARFORMAT2W current = SelectionCharFormat();
    const bool on = (current.dwMask & mask) && (current.dwEffects & effect);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = mask;
    cf.dwEffects = on ? 0 : effect;
    if (mask == CFM_BOLD)
    {
        cf.dwMask |= CFM_WEIGHT;
        cf.wWeight = on ? FW_NORMAL : FW_BOLD;
    }
    return SetCharFields(cf);
}

HRESULT CHtmlEdit::SetCharFields(const CHARFORMAT2W& cf)
{
    CHARFORMAT2W copy = cf;
    ::SendMessageW(m_hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&copy));
    m_bDirty = true;
    return S_OK;
}

HRESULT CHtmlEdit::SetParagraphs(const std::function<void(Paragraph&)>& change)
{
    CBusy busy(*this);
    const CHARRANGE sel = Selection(m_hRich);
    const std::u16string text = RichText(m_hRich);
    const LONG size = static_cast<LONG>(text.size());
    LONG start = std::min(sel.cpMin, size);
    while (start > 0 && text[start - 1] != u'\r')
        --start;
    while (true)
    {
        LONG end = start;
        while (end < size && text[end] != u'\r')
            ++end;
        Paragraph p = GetParagraphFormat(m_hRich, start);
        const Block old = p.block;
        change(p);
        if (p.block != Block::ListItem)
        {
            p.list = ListKind::None;
            p.listLevel = 0;
        }
        SetParagraphFormat(m_hRich, start, start, p);
        if (old != p.block && end > start)
        {
            // The element's own size, boldness and face replace the old element's.
            CHARFORMAT2W cf = {};
            cf.cbSize = sizeof(cf);
            cf.dwMask = CFM_SIZE | CFM_BOLD | CFM_WEIGHT | CFM_FACE;
            cf.yHeight = DefaultSize(p.block) * 10;
            cf.dwEffects = DefaultBold(p.block) ? CFE_BOLD : 0;
            cf.wWeight = DefaultBold(p.block) ? FW_BOLD : FW_NORMAL;
            lstrcpynW(cf.szFaceName, DefaultFace(p.block), LF_FACESIZE);
            ::SendMessageW(m_hRich, EM_SETSEL, start, end);
            ::SendMessageW(m_hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        }
        if (end >= sel.cpMax || end >= size)
            break;
        start = end + 1;
    }
    m_bDirty = true;
    return S_OK;
}

HRESULT CHtmlEdit::SetBlockFormat(const std::wstring& name)
{
    const std::vector<std::u16string>& names = BlockFormatNames();
    size_t index = names.size();
    for (size_t i = 0; i < names.size(); ++i)
        if (lstrcmpiW(name.c_str(), std::wstring(names[i].begin(), names[i].end()).c_str()) == 0)
            index = i;
    if (index == names.size())
        return E_INVALIDARG;
    return SetParagraphs([index](Paragraph& p) {
        p.table = 0;
        if (index == 0)
            p.block = p.block == Block::P ? Block::P : Block::Div;
        else if (index == 1)
            p.block = Block::Pre;
        else if (index <= 7)
            p.block = static_cast<Block>(static_cast<int>(Block::H1) + static_cast<int>(index) - 2);
        else
        {
            p.block = Block::ListItem;
            p.list = index == 8 ? ListKind::Number : ListKind::Bullet;
            p.listLevel = std::max(p.listLevel, 1);
        }
    });
}

HRESULT CHtmlEdit::Exec(long nCmdId, long nOption, VARIANT* pArg)
{
    switch (nCmdId)
    {
    case DECMD_BOLD: return ToggleEffect(CFM_BOLD, CFE_BOLD);
    case DECMD_ITALIC: return ToggleEffect(CFM_ITALIC, CFE_ITALIC);
    case DECMD_UNDERLINE: return ToggleEffect(CFM_UNDERLINE, CFE_UNDERLINE);
    case DECMD_ORDERLIST:
    case DECMD_UNORDERLIST:
    {
        const ListKind kind = nCmdId == DECMD_ORDERLIST ? ListKind::Number : ListKind::Bullet;
        const Paragraph caret = CaretParagraph();
        const bool remove = caret.block == Block::ListItem && caret.list == kind;
        return SetParagraphs([kind, remove](Paragraph& p) {
            if (remove)
                p.block = Block::Div;
            else
            {
                p.block = Block::ListItem;
                p.list = kind;
                p.listLevel = std::max(p.listLevel, 1);
                p.table = 0;
            }
        });
    }
    case DECMD_INDENT:
        return SetParagraphs([](Paragraph& p) {
            if (p.block == Block::ListItem)
                p.listLevel = std::min(p.listLevel + 1, 7);
            else
                p.quote = std::min(p.quote + 1, 7);
        });
    case DECMD_OUTDENT:
        return SetParagraphs([](Paragraph& p) {
            if (p.block == Block::ListItem)
            {
                if (--p.listLevel < 1)
                    p.block = Block::Div;
            }
            else if (p.quote > 0)
                --p.quote;
        });
    case DECMD_JUSTIFYLEFT:
    case DECMD_JUSTIFYCENTER:
    case DECMD_JUSTIFYRIGHT:
    {
        const Align align = nCmdId == DECMD_JUSTIFYLEFT ? Align::Left
                            : nCmdId == DECMD_JUSTIFYCENTER ? Align::Center : Align::Right;
        return SetParagraphs([align](Paragraph& p) { p.align = align; });
    }
    case DECMD_SETFONTNAME:
    {
        if (!pArg || pArg->vt != VT_BSTR || !pArg->bstrVal || !*pArg->bstrVal)
            return E_INVALIDARG;
        CHARFORMAT2W cf = {};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_FACE;
        lstrcpynW(cf.szFaceName, pArg->bstrVal, LF_FACESIZE);
        return SetCharFields(cf);
    }
    case DECMD_GETFONTNAME:
    {
        const CHARFORMAT2W cf = SelectionCharFormat();
        return SetText(pArg, (cf.dwMask & CFM_FACE) ? cf.szFaceName : L"");
    }
    case DECMD_SETFONTSIZE:
    {
        CComVariant size;
        if (!pArg || FAILED(size.ChangeType(VT_I4, pArg)) || size.lVal < 1 || size.lVal > 7)
            return E_INVALIDARG;
        CHARFORMAT2W cf = {};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_SIZE;
        cf.yHeight = PointsOfFontSize(size.lVal) * 20;
        return SetCharFields(cf);
    }
    case DECMD_GETFONTSIZE:
    {
        if (!pArg)
            return E_INVALIDARG;
        const CHARFORMAT2W cf = SelectionCharFormat();
        ::VariantClear(pArg);
        pArg->vt = VT_I4;
        pArg->lVal = (cf.dwMask & CFM_SIZE) ? FontSizeOfPoints(cf.yHeight / 20) : 0;
        return S_OK;
    }
    case DECMD_SETFORECOLOR:
    case DECMD_SETBACKCOLOR:
    {
        COLORREF color = 0;
        if (!ParseColor(pArg, color))
            return E_INVALIDARG;
        CHARFORMAT2W cf = {};
        cf.cbSize = sizeof(cf);
        if (nCmdId == DECMD_SETFORECOLOR)
        {
            cf.dwMask = CFM_COLOR;
            cf.crTextColor = color;
        }
        else
        {
            cf.dwMask = CFM_BACKCOLOR | CFM_UNDERLINETYPE | CFM_UNDERLINE;
            cf.crBackColor = color;
            cf.bUnderlineType = UnderlineTypeOf(color);
            // Setting the type sets the underline too unless it is given: each character keeps its own.
            const CHARFORMAT2W current = SelectionCharFormat();
            if (!(current.dwMask & CFM_UNDERLINE))
            {
                CBusy busy(*this);
                const CHARRANGE sel = Selection(m_hRich);
                for (LONG i = sel.cpMin; i < sel.cpMax; ++i)
                {
                    CHARFORMAT2W one = {};
                    one.cbSize = sizeof(one);
                    ::SendMessageW(m_hRich, EM_SETSEL, i, i + 1);
                    ::SendMessageW(m_hRich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&one));
                    cf.dwEffects = one.dwEffects & CFE_UNDERLINE;
                    ::SendMessageW(m_hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
                }
                m_bDirty = true;
                return S_OK;
            }
            cf.dwEffects = current.dwEffects & CFE_UNDERLINE;
        }
        return SetCharFields(cf);
    }
    case DECMD_GETFORECOLOR:
    {
        const CHARFORMAT2W cf = SelectionCharFormat();
        if (!(cf.dwMask & CFM_COLOR))
            return SetText(pArg, L"");
        return SetText(pArg, ColorText((cf.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : cf.crTextColor));
    }
    case DECMD_GETBACKCOLOR:
    {
        const CHARFORMAT2W cf = SelectionCharFormat();
        if (!(cf.dwMask & CFM_BACKCOLOR))
            return SetText(pArg, L"");
        return SetText(pArg, ColorText((cf.dwEffects & CFE_AUTOBACKCOLOR) ? RGB(255, 255, 255) : cf.crBackColor));
    }
    case DECMD_SETBLOCKFMT:
        if (!pArg || pArg->vt != VT_BSTR || !pArg->bstrVal)
            return E_INVALIDARG;
        return SetBlockFormat(pArg->bstrVal);
    case DECMD_GETBLOCKFMT:
    {
        const Paragraph p = CaretParagraph();
        const std::vector<std::u16string>& names = BlockFormatNames();
        size_t index = 0;
        if (p.block == Block::Pre)
            index = 1;
        else if (p.block >= Block::H1 && p.block <= Block::H6)
            index = 2 + static_cast<size_t>(p.block) - static_cast<size_t>(Block::H1);
        else if (p.block == Block::ListItem)
            index = p.list == ListKind::Number ? 8 : 9;
        return SetText(pArg, std::wstring(names[index].begin(), names[index].end()));
    }
    case DECMD_GETBLOCKFMTNAMES:
    {
        if (!pArg || (pArg->vt != VT_UNKNOWN && pArg->vt != VT_DISPATCH) || !pArg->punkVal)
            return E_INVALIDARG;
        CComPtr<IHtmlEditBlockFormatNames> names;
        if (FAILED(pArg->punkVal->QueryInterface(__uuidof(IHtmlEditBlockFormatNames),
                                                 reinterpret_cast<void**>(&names))))
            return E_INVALIDARG;
        const std::vector<std::u16string>& list = BlockFormatNames();
        SAFEARRAY* psa = ::SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(list.size()));
        if (!psa)
            return E_OUTOFMEMORY;
        for (LONG i = 0; i < static_cast<LONG>(list.size()); ++i)
        {
            CComBSTR name(std::wstring(list[i].begin(), list[i].end()).c_str());
            ::SafeArrayPutElement(psa, &i, name.m_str);
        }
        VARIANT value;
        value.vt = VT_ARRAY | VT_BSTR;
        value.parray = psa;
        const HRESULT hr = names->put_Names(&value);
        ::SafeArrayDestroy(psa);
        return hr;
    }
    case DECMD_COPY:
        return Copy(false) ? S_OK : E_FAIL;
    case DECMD_CUT:
        return Copy(true) ? S_OK : E_FAIL;
    case DECMD_PASTE:
        Paste();
        return S_OK;
    case DECMD_DELETE:
    {
        const CHARRANGE sel = Selection(m_hRich);
        if (sel.cpMax > sel.cpMin)
            ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        return S_OK;
    }
    case DECMD_UNDO:
        ::SendMessageW(m_hRich, EM_UNDO, 0, 0);
        return S_OK;
    case DECMD_REDO:
        ::SendMessageW(m_hRich, EM_REDO, 0, 0);
        return S_OK;
    case DECMD_SELECTALL:
        ::SendMessageW(m_hRich, EM_SETSEL, 0, -1);
        return S_OK;
    case DECMD_UNLINK:
        return Unlink();
    case DECMD_HYPERLINK:
    {
        std::wstring href;
        if (pArg && pArg->vt == VT_BSTR && pArg->bstrVal)
            href = pArg->bstrVal;
        else if (nOption == DECMD_OPT_DONTPROMPTUSER || !Prompt(L"Hyperlink", href = L"http://"))
            return nOption == DECMD_OPT_DONTPROMPTUSER ? E_INVALIDARG : S_OK;
        return SetLink(href);
    }
    case DECMD_IMAGE:
    {
        std::wstring src;
        if (pArg && pArg->vt == VT_BSTR && pArg->bstrVal)
            src = pArg->bstrVal;
        else if (nOption == DECMD_OPT_DONTPROMPTUSER || !Prompt(L"Picture", src))
            return nOption == DECMD_OPT_DONTPROMPTUSER ? E_INVALIDARG : S_OK;
        return InsertPicture(src);
    }
    case DECMD_FINDTEXT:
    {
        std::wstring text = m_findText;
        if (pArg && pArg->vt == VT_BSTR && pArg->bstrVal)
            text = pArg->bstrVal;
        else if (nOption == DECMD_OPT_DONTPROMPTUSER || !Prompt(L"Find", text))
            return nOption == DECMD_OPT_DONTPROMPTUSER ? E_INVALIDARG : S_OK;
        m_findText = text;
        return FindNext(text);
    }
    case DECMD_FONT:
        return ChooseFontDialog();
    case DECMD_INSERTTABLE:
        return InsertTable(pArg);
    case DECMD_INSERTROW:
        return InsertRow();
    case DECMD_DELETEROWS:
        return DeleteRows();
    case DECMD_INSERTCOL:
    case DECMD_DELETECOLS:
    case DECMD_INSERTCELL:
    case DECMD_DELETECELLS:
        return ChangeCells(nCmdId);
    }
    return S_OK;  // disabled commands do nothing
}

HRESULT CHtmlEdit::SetLink(const std::wstring& href)
{
    const std::string value = Utf8(href);
    std::string scheme;
    for (char c : value)
    {
        if (c == ':')
            break;
        scheme.push_back(static_cast<char>(tolower(static_cast<unsigned char>(c))));
    }
    if (value.empty() || scheme == "javascript" || scheme == "vbscript")
        return E_INVALIDARG;
    CHARRANGE sel = Selection(m_hRich);
    if (sel.cpMax == sel.cpMin)
    {
        // No selection: the address itself becomes the link's text.
        ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(href.c_str()));
        sel.cpMax = sel.cpMin + static_cast<LONG>(href.size());
        ::SendMessageW(m_hRich, EM_SETSEL, sel.cpMin, sel.cpMax);
    }
    m_model->doc.links.push_back(value);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_LINK | CFM_STYLE | CFM_LCID;
    cf.dwEffects = CFE_LINK;
    cf.sStyle = static_cast<SHORT>(m_model->doc.links.size());
    cf.lcid = LinkLcid(cf.sStyle);
    return SetCharFields(cf);
}

HRESULT CHtmlEdit::Unlink()
{
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_LINK | CFM_STYLE | CFM_LCID;
    cf.lcid = LinkLcid(0);
    return SetCharFields(cf);
}

HRESULT CHtmlEdit::InsertPicture(const std::wstring& src)
{
    if (src.empty())
        return E_INVALIDARG;
    Picture picture;
    picture.src = Utf8(src);
    m_model->doc.pictures.push_back(picture);
    const CHARRANGE sel = Selection(m_hRich);
    const wchar_t text[2] = {static_cast<wchar_t>(kPicture), 0};
    ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    ::SendMessageW(m_hRich, EM_SETSEL, sel.cpMin, sel.cpMin + 1);
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_KERNING;
    cf.wKerning = static_cast<WORD>(m_model->doc.pictures.size());
    SetCharFields(cf);
    ::SendMessageW(m_hRich, EM_SETSEL, sel.cpMin + 1, sel.cpMin + 1);
    return S_OK;
}

HRESULT CHtmlEdit::FindNext(const std::wstring& text)
{
    if (text.empty())
        return E_INVALIDARG;
    const CHARRANGE sel = Selection(m_hRich);
    FINDTEXTEXW find = {};
    find.chrg.cpMin = sel.cpMax;
    find.chrg.cpMax = -1;
    find.lpstrText = text.c_str();
    const LRESULT at = ::SendMessageW(m_hRich, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (at >= 0)
        ::SendMessageW(m_hRich, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
    return S_OK;
}

HRESULT CHtmlEdit::ChooseFontDialog()
{
    const CHARFORMAT2W current = SelectionCharFormat();
    LOGFONTW lf = {};
    lstrcpynW(lf.lfFaceName, current.szFaceName, LF_FACESIZE);
    lf.lfWeight = (current.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (current.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    lf.lfUnderline = (current.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    lf.lfHeight = -MulDiv(current.yHeight / 20, 96, 72);
    CHOOSEFONTW choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = m_hWnd;
    choose.lpLogFont = &lf;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    choose.rgbColors = (current.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : current.crTextColor;
    if (!::ChooseFontW(&choose))
        return S_OK;
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_SIZE | CFM_WEIGHT;
    lstrcpynW(cf.szFaceName, lf.lfFaceName, LF_FACESIZE);
    cf.dwEffects = (lf.lfWeight >= FW_SEMIBOLD ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0) |
                   (lf.lfUnderline ? CFE_UNDERLINE : 0);
    cf.wWeight = lf.lfWeight >= FW_SEMIBOLD ? FW_BOLD : FW_NORMAL;
    cf.crTextColor = choose.rgbColors;
    cf.yHeight = PointsOfFontSize(FontSizeOfPoints(choose.iPointSize / 10)) * 20;
    return SetCharFields(cf);
}

HRESULT CHtmlEdit::InsertTable(VARIANT* pArg)
{
    if (!pArg || (pArg->vt != VT_UNKNOWN && pArg->vt != VT_DISPATCH) || !pArg->punkVal)
        return E_INVALIDARG;
    CComPtr<IHtmlEditTableParam> param;
    if (FAILED(pArg->punkVal->QueryInterface(__uuidof(IHtmlEditTableParam), reinterpret_cast<void**>(&param))))
        return E_INVALIDARG;
    long rows = 0, cols = 0;
    CComBSTR tableAttrs, cellAttrs;
    param->get_NumRows(&rows);
    param->get_NumCols(&cols);
    param->get_TableAttrs(&tableAttrs);
    param->get_CellAttrs(&cellAttrs);
    if (rows < 1 || cols < 1 || rows > 1000 || cols > 100)
        return E_INVALIDARG;
    Document fragment;
    Table table;
    table.attributes = AttributesOf(tableAttrs.m_str ? tableAttrs.m_str : L"");
    table.cellAttributes = AttributesOf(cellAttrs.m_str ? cellAttrs.m_str : L"");
    fragment.tables.push_back(table);
    // The table stands in paragraphs of its own, before and after the text at the caret.
    Paragraph before;
    fragment.paragraphs.push_back(before);
    for (long r = 0; r < rows; ++r)
    {
        Paragraph row;
        row.block = Block::TableRow;
        row.table = 1;
        row.runs.push_back(Run{std::u16string(static_cast<size_t>(cols - 1), kCellSeparator), CharFormat()});
        fragment.paragraphs.push_back(row);
    }
    fragment.paragraphs.push_back(Paragraph());
    InsertDocument(fragment);
    return S_OK;
}

HRESULT CHtmlEdit::InsertRow()
{
    CBusy busy(*this);
    busy.Keep();
    const CHARRANGE sel = Selection(m_hRich);
    const std::u16string text = RichText(m_hRich);
    const LONG size = static_cast<LONG>(text.size());
    LONG end = std::min(sel.cpMax, size);
    while (end < size && text[end] != u'\r')
        end++;
    LONG start = std::min(sel.cpMin, size);
    while (start > 0 && text[start - 1] != u'\r')
        --start;
    const Paragraph p = GetParagraphFormat(m_hRich, start);
    if (!p.table)
        return S_OK;
    const size_t cells = std::count(text.begin() + start, text.begin() + end, kCellSeparator);
    std::wstring row = L"\r" + std::wstring(cells, static_cast<wchar_t>(kCellSeparator));
    ::SendMessageW(m_hRich, EM_SETSEL, end, end);
    ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(row.c_str()));
    SetParagraphFormat(m_hRich, end + 1, end + 1, p);
    SetCharFormat(m_hRich, end + 1, end + 1 + static_cast<LONG>(cells), CharFormat(), Block::TableRow);
    ::SendMessageW(m_hRich, EM_SETSEL, end + 1, end + 1);
    m_bDirty = true;
    return S_OK;
}

HRESULT CHtmlEdit::DeleteRows()
{
    CBusy busy(*this);
    busy.Keep();
    const CHARRANGE sel = Selection(m_hRich);
    const std::u16string text = RichText(m_hRich);
    const LONG size = static_cast<LONG>(text.size());
    LONG start = std::min(sel.cpMin, size);
    while (start > 0 && text[start - 1] != u'\r')
        --start;
    LONG end = std::min(sel.cpMax, size);
    while (end < size && text[end] != u'\r')
        end++;
    if (!GetParagraphFormat(m_hRich, start).table)
        return S_OK;
    // The rows and one paragraph end with them.
    if (end < size)
        ++end;
    else if (start > 0)
        --start;
    ::SendMessageW(m_hRich, EM_SETSEL, start, end);
    ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    m_bDirty = true;
    return S_OK;
}

HRESULT CHtmlEdit::ChangeCells(long nCmdId)
{
    CBusy busy(*this);
    busy.Keep();
    const CHARRANGE sel = Selection(m_hRich);
    const std::u16string text = RichText(m_hRich);
    const LONG size = static_cast<LONG>(text.size());
    const LONG caret = std::min(sel.cpMin, size);
    auto paragraphStart = [&](LONG pos) {
        while (pos > 0 && text[pos - 1] != u'\r')
            --pos;
        return pos;
    };
    auto paragraphEnd = [&](LONG pos) {
        while (pos < size && text[pos] != u'\r')
            ++pos;
        return pos;
    };
    const LONG caretRowStart = paragraphStart(caret);
    const int table = GetParagraphFormat(m_hRich, caretRowStart).table;
    if (!table)
        return S_OK;
    // The table's rows: the paragraphs around the caret's with its table number.
    struct CRow
    {
        LONG start, end;
    };
    std::vector<CRow> rows;
    for (LONG start = caretRowStart; start > 0;)
    {
        const LONG previous = paragraphStart(start - 1);
        if (GetParagraphFormat(m_hRich, previous).table != table)
            break;
        rows.insert(rows.begin(), CRow{previous, start - 1});
        start = previous;
    }
    const size_t caretRow = rows.size();
    rows.push_back(CRow{caretRowStart, paragraphEnd(caretRowStart)});
    for (LONG end = rows.back().end; end < size;)
    {
        const LONG next = end + 1;
        if (GetParagraphFormat(m_hRich, next).table != table)
            break;
        end = paragraphEnd(next);
        rows.push_back(CRow{next, end});
    }
    const size_t column = static_cast<size_t>(
        std::count(text.begin() + caretRowStart, text.begin() + caret, static_cast<char16_t>(kCellSeparator)));
    auto cellsOf = [&](const CRow& row) {
        std::vector<CRow> cells(1, CRow{row.start, row.start});
        for (LONG i = row.start; i < row.end; ++i)
        {
            if (text[i] == kCellSeparator)
            {
                cells.back().end = i;
                cells.push_back(CRow{i + 1, i + 1});
            }
        }
        cells.back().end = row.end;
        return cells;
    };

    const bool wholeColumn = nCmdId == DECMD_INSERTCOL || nCmdId == DECMD_DELETECOLS;
    const bool insert = nCmdId == DECMD_INSERTCOL || nCmdId == DECMD_INSERTCELL;
    if (!insert && cellsOf(rows[caretRow]).size() == 1)
    {
        // The only cell goes with its row; the only column with the table.
        ::SendMessageW(m_hRich, EM_SETSEL, wholeColumn ? rows.front().start : caretRowStart,
                       wholeColumn ? rows.back().end : caret);
        return DeleteRows();
    }
    // Changed from the last row up, so that the rows above keep their positions; the caret goes to the
    // cell after the new one or to the one that takes the removed one's place.
    LONG target = caret, shift = 0;
    for (size_t r = rows.size(); r-- > 0;)
    {
        if (!wholeColumn && r != caretRow)
            continue;
        const std::vector<CRow> cells = cellsOf(rows[r]);
        if (insert)
        {
            const CRow& cell = cells[std::min(column, cells.size() - 1)];
            const wchar_t separator[2] = {static_cast<wchar_t>(kCellSeparator), 0};
            ::SendMessageW(m_hRich, EM_SETSEL, cell.end, cell.end);
            ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(separator));
            if (r == caretRow)
                target = cell.end + 1;
            else if (r < caretRow)
                ++shift;
            continue;
        }
        if (column >= cells.size() || cells.size() == 1)
            continue;
        const CRow& cell = cells[column];
        const bool last = column + 1 == cells.size();
        const LONG from = last ? cell.start - 1 : cell.start, to = last ? cell.end : cell.end + 1;
        ::SendMessageW(m_hRich, EM_SETSEL, from, to);
        ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        if (r == caretRow)
            target = last ? cells[column - 1].start : cell.start;
        else if (r < caretRow)
            shift -= to - from;
    }
    ::SendMessageW(m_hRich, EM_SETSEL, target + shift, target + shift);
    m_bDirty = true;
    return S_OK;
}

// A small dialog of one text field, made in memory: the editor has no resources of its own.
bool CHtmlEdit::Prompt(const wchar_t* pszTitle, std::wstring& text)
{
    struct CState
    {
        std::wstring* pText;
    } state = {&text};
    std::vector<WORD> t(512, 0);
    size_t i = 0;
    auto word = [&](WORD w) { t[i++] = w; };
    auto dword = [&](DWORD d) {
        word(LOWORD(d));
        word(HIWORD(d));
    };
    auto string = [&](const wchar_t* s) {
        while (*s)
            word(*s++);
        word(0);
    };
    auto align = [&] {
        if (i % 2)
            word(0);
    };
    dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dword(0);
    word(3);
    word(0); word(0); word(220); word(50);
    word(0); word(0);
    string(pszTitle);
    word(8);
    string(L"MS Shell Dlg");
    auto item = [&](DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const wchar_t* title) {
        align();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x)); word(static_cast<WORD>(y)); word(static_cast<WORD>(cx)); word(static_cast<WORD>(cy));
        word(id);
        word(0xFFFF);
        word(cls);
        string(title);
        word(0);
    };
    item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 206, 14, 100, 0x0081, L"");
    item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 29, 50, 14, IDOK, 0x0080, L"OK");
    item(BS_PUSHBUTTON | WS_TABSTOP, 163, 29, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    auto proc = [](HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        CState* pState = reinterpret_cast<CState*>(::GetWindowLongPtrW(hDlg, DWLP_USER));
        if (uMsg == WM_INITDIALOG)
        {
            ::SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
            pState = reinterpret_cast<CState*>(lParam);
            ::SetDlgItemTextW(hDlg, 100, pState->pText->c_str());
            return TRUE;
        }
        if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        {
            if (LOWORD(wParam) == IDOK && pState)
            {
                wchar_t buffer[2048] = L"";
                ::GetDlgItemTextW(hDlg, 100, buffer, 2048);
                *pState->pText = buffer;
            }
            ::EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    };
    const INT_PTR result = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                                     reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), m_hWnd,
                                                     static_cast<DLGPROC>(proc), reinterpret_cast<LPARAM>(&state));
    return result == IDOK && !text.empty();
}

bool CHtmlEdit::Copy(bool bCut)
{
    const CHARRANGE sel = Selection(m_hRich);
    if (sel.cpMax <= sel.cpMin)
        return false;
    const Document doc = Read(sel.cpMin, sel.cpMax);
    const std::string fragment = WriteBody(doc);
    const std::string htmlFormat = BuildHtmlFormat(fragment);
    std::wstring text;
    {
        CBusy busy(*this);
        const std::u16string all = RichText(m_hRich);
        for (LONG i = sel.cpMin; i < sel.cpMax && i < static_cast<LONG>(all.size()); ++i)
        {
            if (all[i] == u'\r' || all[i] == kLineBreak)
                text += L"\r\n";
            else if (all[i] == kCellSeparator)
                text += L"\t";
            else if (all[i] != kPicture)
                text.push_back(static_cast<wchar_t>(all[i]));
        }
    }
    if (!::OpenClipboard(m_hWnd))
        return false;
    ::EmptyClipboard();
    auto put = [](UINT format, const void* data, size_t size) {
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        if (!h)
            return;
        void* p = ::GlobalLock(h);
        memcpy(p, data, size);
        ::GlobalUnlock(h);
        if (!::SetClipboardData(format, h))
            ::GlobalFree(h);
    };
    put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    const int ansiSize = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(ansiSize > 0 ? ansiSize : 1), '\0');
    if (ansiSize > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], ansiSize, nullptr, nullptr);
    put(CF_TEXT, ansi.c_str(), ansi.size());
    put(::RegisterClipboardFormatW(L"HTML Format"), htmlFormat.c_str(), htmlFormat.size() + 1);
    ::CloseClipboard();
    if (bCut)
    {
        ::SendMessageW(m_hRich, EM_SETSEL, sel.cpMin, sel.cpMax);
        ::SendMessageW(m_hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        m_bDirty = true;
    }
    return true;
}

bool CHtmlEdit::Paste()
{
    const UINT htmlFormat = ::RegisterClipboardFormatW(L"HTML Format");
    if (!::OpenClipboard(m_hWnd))
        return false;
    std::string html;
    std::wstring text;
    bool haveHtml = false, haveText = false;
    if (HANDLE h = ::GetClipboardData(htmlFormat))
    {
        const size_t size = ::GlobalSize(h);
        if (const char* p = static_cast<const char*>(::GlobalLock(h)))
        {
            haveHtml = ExtractHtmlFragment(std::string(p, size), html);
            ::GlobalUnlock(h);
        }
    }
    if (!haveHtml)
    {
        if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT))
        {
            const size_t size = ::GlobalSize(h) / sizeof(wchar_t);
            if (const wchar_t* p = static_cast<const wchar_t*>(::GlobalLock(h)))
            {
                text.assign(p, size);
                text.resize(wcsnlen(text.c_str(), size));
                haveText = true;
                ::GlobalUnlock(h);
            }
        }
    }
    ::CloseClipboard();
    if (haveHtml)
    {
        Document fragment;
        ReadHtml(html, fragment);
        InsertDocument(fragment);
    }
    else if (haveText)
        InsertText(text);
    else
        return false;
    m_bDirty = true;
    PostDisplayChanged();
    return true;
}

// The run model in a rich-edit control: writing paragraphs and runs in, reading them back out.
#include "platform/htmledit/HtmlEditRich.h"

#include <richedit.h>

#include <algorithm>
#include <string>

#include "platform/htmledit/HtmlEditRtf.h"

namespace htmledit
{
namespace
{
const LONG kIndentStep = 360;  // twips per level of quote or list
const LONG kStyleTab = 0x800000;  // plus element, quote and list level; ~5800 inches out
const LONG kTableTab = 0xC00000;  // plus the table number
const LONG kDefaultTab = 720;      // riched20's default stops, which explicit ones replace
const int kDefaultTabs = MAX_TAB_STOPS - 2;

const DWORD kRunMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BACKCOLOR |
                       CFM_LINK | CFM_UNDERLINETYPE;
const LONG kLinkLanguage = 0x8000;

CHARFORMAT2W GetCharFormat(HWND hRich, LONG start, LONG end)
{
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    ::SendMessageW(hRich, EM_SETSEL, start, end);
    ::SendMessageW(hRich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

bool Uniform(HWND hRich, LONG start, LONG end)
{
    return (GetCharFormat(hRich, start, end).dwMask & kRunMask) == kRunMask;
}

CharFormat ToRun(const CHARFORMAT2W& cf, Block block)
{
    CharFormat f;
    f.bold = (cf.dwEffects & CFE_BOLD) != 0;
    f.italic = (cf.dwEffects & CFE_ITALIC) != 0;
    f.underline = (cf.dwEffects & CFE_UNDERLINE) != 0;
    if (lstrcmpiW(cf.szFaceName, DefaultFace(block)) != 0)
        f.face.assign(reinterpret_cast<const char16_t*>(cf.szFaceName));
    f.size = cf.yHeight / 10;
    f.color = (cf.dwEffects & CFE_AUTOCOLOR) ? kNoColor
                                             : (GetRValue(cf.crTextColor) << 16) | (GetGValue(cf.crTextColor) << 8) |
                                                   GetBValue(cf.crTextColor);
    f.back = (cf.dwEffects & CFE_AUTOBACKCOLOR) ? kNoColor
                                                : (GetRValue(cf.crBackColor) << 16) |
                                                      (GetGValue(cf.crBackColor) << 8) | GetBValue(cf.crBackColor);
    f.link = (cf.dwEffects & CFE_LINK) ? cf.sStyle : 0;
    f.picture = cf.wKerning;
    if (f.link)
        f.underline = false;  // shown by the link itself
    return f;
}
}

BYTE UnderlineTypeOf(COLORREF back)
{
    if (back == CLR_INVALID)
        return CFU_UNDERLINE;
    return static_cast<BYTE>(2 + (GetRValue(back) * 7 + GetGValue(back) * 5 + GetBValue(back) * 3) % 15);
}

const wchar_t* DefaultFace(Block block)
{
    return block == Block::Pre ? L"Courier New" : L"Times New Roman";
}

int ParagraphTabs(const Paragraph& p, LONG* tabs)
{
    int n = 0;
    bool mayHoldTabs = p.table != 0 || p.block == Block::Pre || p.block == Block::TableRow;
    for (const Run& run : p.runs)
        mayHoldTabs = mayHoldTabs || run.text.find(u'\t') != std::u16string::npos;
    if (mayHoldTabs)
        for (; n < kDefaultTabs; ++n)
            tabs[n] = (n + 1) * kDefaultTab;
    tabs[n++] = kStyleTab | (static_cast<int>(p.block) & 0x1F) | (std::min(p.quote, 7) << 5) |
                (std::min(p.listLevel, 7) << 8);
    if (p.table)
        tabs[n++] = kTableTab | std::min(p.table, 0x3FFFFF);
    return n;
}

Paragraph ParagraphOf(const LONG* tabs, int count, WORD wNumbering, WORD wAlignment)
{
    Paragraph p;
    int style = 0;
    for (int i = 0; i < count; ++i)
    {
        const LONG position = tabs[i] & 0xFFFFFF;
        if (position >= kTableTab)
            p.table = position - kTableTab;
        else if (position >= kStyleTab)
            style = position - kStyleTab;
    }
    const int block = style & 0x1F;
    p.block = block <= static_cast<int>(Block::TableRow) ? static_cast<Block>(block) : Block::Div;
    p.quote = (style >> 5) & 7;
    p.listLevel = (style >> 8) & 7;
    p.align = wAlignment == PFA_CENTER ? Align::Center : wAlignment == PFA_RIGHT ? Align::Right
              : wAlignment == PFA_JUSTIFY ? Align::Justify : Align::None;
    if (p.block != Block::TableRow)
        p.table = 0;
    if (p.block == Block::TableRow && !p.table)
        p.block = Block::Div;
    if (wNumbering == PFN_ARABIC)
        p.list = ListKind::Number;
    else if (wNumbering == PFN_BULLET)
        p.list = ListKind::Bullet;
    if (p.list != ListKind::None)
    {
        p.block = Block::ListItem;
        if (p.listLevel < 1)
            p.listLevel = 1;
    }
    else if (p.block == Block::ListItem)
        p.block = Block::Div;
    if (p.block != Block::ListItem)
        p.listLevel = 0;
    return p;
}

LCID LinkLcid(int link)
{
    if (link > 0)
        return kLinkLanguage | std::min(link, 0x7FFF);
    return ::GetUserDefaultLangID() & ~kLinkLanguage;
}

int LinkOfLanguage(LONG language)
{
    return (language & kLinkLanguage) ? (language & 0x7FFF) : 0;
}

std::u16string RichText(HWND hRich)
{
    GETTEXTLENGTHEX tl = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG n = static_cast<LONG>(::SendMessageW(hRich, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&tl), 0));
    std::u16string text(static_cast<size_t>(n > 0 ? n : 0) + 1, u'\0');
    GETTEXTEX gt = {};
    gt.cb = static_cast<DWORD>(text.size() * sizeof(char16_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    const LONG got = static_cast<LONG>(::SendMessageW(hRich, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                                      reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

void SetCharFormatAtCaret(HWND hRich, const CharFormat& f, Block block)
{
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = kRunMask | CFM_STYLE | CFM_KERNING | CFM_WEIGHT | CFM_LCID;
    cf.bUnderlineType = UnderlineTypeOf(f.back == kNoColor ? CLR_INVALID
                                                           : RGB((f.back >> 16) & 0xFF, (f.back >> 8) & 0xFF, f.back & 0xFF));
    cf.dwEffects = (f.bold ? CFE_BOLD : 0) | (f.italic ? CFE_ITALIC : 0) | (f.underline ? CFE_UNDERLINE : 0) |
                   (f.color == kNoColor ? CFE_AUTOCOLOR : 0) | (f.back == kNoColor ? CFE_AUTOBACKCOLOR : 0) |
                   (f.link ? CFE_LINK : 0);
    cf.wWeight = f.bold ? FW_BOLD : FW_NORMAL;
    const std::wstring face = f.face.empty() ? std::wstring(DefaultFace(block))
                                             : std::wstring(f.face.begin(), f.face.end());
    lstrcpynW(cf.szFaceName, face.c_str(), LF_FACESIZE);
    cf.yHeight = (f.size > 0 ? f.size : DefaultSize(block)) * 10;
    if (f.color != kNoColor)
        cf.crTextColor = RGB((f.color >> 16) & 0xFF, (f.color >> 8) & 0xFF, f.color & 0xFF);
    if (f.back != kNoColor)
        cf.crBackColor = RGB((f.back >> 16) & 0xFF, (f.back >> 8) & 0xFF, f.back & 0xFF);
    cf.sStyle = static_cast<SHORT>(f.link);
    cf.lcid = LinkLcid(f.link);
    cf.wKerning = static_cast<WORD>(f.picture);
    ::SendMessageW(hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void SetCharFormat(HWND hRich, LONG start, LONG end, const CharFormat& f, Block block)
{
    ::SendMessageW(hRich, EM_SETSEL, start, end);
    SetCharFormatAtCaret(hRich, f, block);
}

void SetParagraphFormatAtCaret(HWND hRich, const Paragraph& p)
{
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT | PFM_NUMBERING | PFM_NUMBERINGSTYLE | PFM_NUMBERINGSTART | PFM_STARTINDENT |
                PFM_OFFSET | PFM_TABSTOPS;
    pf.wAlignment = p.align == Align::Center ? PFA_CENTER : p.align == Align::Right ? PFA_RIGHT
                    : p.align == Align::Justify ? PFA_JUSTIFY : PFA_LEFT;
    const bool list = p.block == Block::ListItem && p.list != ListKind::None;
    pf.wNumbering = list ? (p.list == ListKind::Number ? PFN_ARABIC : PFN_BULLET) : 0;
    pf.wNumberingStyle = PFNS_PERIOD;
    pf.wNumberingStart = 1;
    pf.dxStartIndent = (p.quote + (list ? p.listLevel : 0)) * kIndentStep;
    pf.dxOffset = 0;
    pf.cTabCount = static_cast<SHORT>(ParagraphTabs(p, pf.rgxTabs));
    ::SendMessageW(hRich, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

void SetParagraphFormat(HWND hRich, LONG start, LONG end, const Paragraph& p)
{
    ::SendMessageW(hRich, EM_SETSEL, start, end);
    SetParagraphFormatAtCaret(hRich, p);
}

Paragraph GetParagraphFormat(HWND hRich, LONG pos)
{
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    ::SendMessageW(hRich, EM_SETSEL, pos, pos);
    ::SendMessageW(hRich, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return ParagraphOf(pf.rgxTabs, pf.cTabCount, pf.wNumbering, pf.wAlignment);
}

void InsertParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs, int linkBase, int pictureBase,
                      int tableBase, bool bFirstParagraphFormat)
{
    if (paragraphs.empty())
        return;
    CHARRANGE sel = {};
    ::SendMessageW(hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const Paragraph current = GetParagraphFormat(hRich, sel.cpMin);
    ::SendMessageW(hRich, EM_SETSEL, sel.cpMin, sel.cpMax);
    ::SendMessageW(hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    // Everything goes in at the caret, which moves on with each insertion: riched20 then never has to find
    // a character position again, which it does by walking its paragraphs.
    for (size_t i = 0; i < paragraphs.size(); ++i)
    {
        Paragraph p = paragraphs[i];
        if (p.table)
            p.table += tableBase;
        if (i > 0)
            ::SendMessageW(hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\r"));
        if (i > 0 || bFirstParagraphFormat)
            SetParagraphFormatAtCaret(hRich, p);
        const Block block = i == 0 && !bFirstParagraphFormat ? current.block : p.block;
        for (const Run& run : p.runs)
        {
            if (run.text.empty())
                continue;
            CharFormat f = run.format;
            if (f.link)
                f.link += linkBase;
            if (f.picture)
                f.picture += pictureBase;
            SetCharFormatAtCaret(hRich, f, block);
            const std::wstring text(run.text.begin(), run.text.end());
            ::SendMessageW(hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

namespace
{
struct CStreamText
{
    const std::string* text;
    size_t pos;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    CStreamText* state = reinterpret_cast<CStreamText*>(cookie);
    const size_t n = std::min(static_cast<size_t>(size), state->text->size() - state->pos);
    std::copy(state->text->begin() + static_cast<std::ptrdiff_t>(state->pos),
              state->text->begin() + static_cast<std::ptrdiff_t>(state->pos + n), buffer);
    state->pos += n;
    *done = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(size));
    *done = size;
    return 0;
}

// Whether paragraphs read from RTF hold exactly the text [first, last) that starts at paragraph start; the
// paragraph that an end just past a paragraph mark opens is added, as the RTF has no text of it.
bool MatchText(HWND hRich, std::vector<Paragraph>& paragraphs, const std::u16string& text, LONG start, LONG first,
               LONG last)
{
    std::vector<std::u16string> pieces(1);
    for (LONG i = first; i < last; ++i)
    {
        if (text[i] == u'\r')
            pieces.emplace_back();
        else
            pieces.back().push_back(text[i]);
    }
    if (paragraphs.size() == pieces.size() + 1 && paragraphs.back().runs.empty())
        paragraphs.pop_back();
    if (paragraphs.size() + 1 == pieces.size() && pieces.back().empty() && last > start)
        paragraphs.push_back(GetParagraphFormat(hRich, last));
    if (paragraphs.size() != pieces.size())
        return false;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (paragraphs[i].Text() != pieces[i])
            return false;
    return true;
}

std::vector<Paragraph> ReadParagraphsByPosition(HWND hRich, const std::u16string& text, LONG first, LONG last);
}

void LoadParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs)
{
    std::vector<RtfFixup> fixups;
    const std::string rtf = RtfOfParagraphs(paragraphs, fixups);
    CStreamText state = {&rtf, 0};
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&state), 0, StreamIn};
    ::SendMessageW(hRich, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    for (const RtfFixup& fixup : fixups)
    {
        CHARFORMAT2W cf = {};
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_LINK | CFM_STYLE | CFM_LCID | CFM_KERNING;
        cf.dwEffects = fixup.link ? CFE_LINK : 0;
        cf.sStyle = static_cast<SHORT>(fixup.link);
        cf.lcid = LinkLcid(fixup.link);
        cf.wKerning = static_cast<WORD>(fixup.picture);
        ::SendMessageW(hRich, EM_SETSEL, fixup.start, fixup.end);
        ::SendMessageW(hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
}

std::vector<Paragraph> ReadParagraphs(HWND hRich, LONG first, LONG last)
{
    const std::u16string text = RichText(hRich);
    const LONG size = static_cast<LONG>(text.size());
    if (last < 0 || last > size)
        last = size;
    if (first < 0)
        first = 0;
    if (first > last)
        first = last;
    LONG start = first;
    while (start > 0 && text[start - 1] != u'\r')
        --start;
    std::string rtf;
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamOut};
    DWORD format = SF_RTF;
    if (first > 0 || last < size)
    {
        ::SendMessageW(hRich, EM_SETSEL, first, last);
        format |= SFF_SELECTION;
    }
    ::SendMessageW(hRich, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    std::vector<Paragraph> paragraphs;
    if (ParagraphsOfRtf(rtf, paragraphs) && MatchText(hRich, paragraphs, text, start, first, last))
        return paragraphs;
    return ReadParagraphsByPosition(hRich, text, first, last);
}

namespace
{
// What riched20's RTF does not give is read a run at a time, finding each run's end by position.
std::vector<Paragraph> ReadParagraphsByPosition(HWND hRich, const std::u16string& text, LONG first, LONG last)
{
    const LONG size = static_cast<LONG>(text.size());
    std::vector<Paragraph> paragraphs;
    LONG start = first;
    while (start > 0 && text[start - 1] != u'\r')
        --start;
    while (true)
    {
        LONG end = start;
        while (end < size && text[end] != u'\r')
            ++end;
        Paragraph p = GetParagraphFormat(hRich, start);
        const LONG from = std::max(start, first), to = std::min(end, last);
        LONG pos = from;
        while (pos < to)
        {
            // The run's end: doubling steps while the format stays the same, then halving back.
            LONG good = pos + 1, step = 1;
            while (good + step <= to && Uniform(hRich, pos, good + step))
            {
                good += step;
                step *= 2;
            }
            LONG bad = std::min(good + step, to + 1);
            while (bad - good > 1)
            {
                const LONG mid = good + (bad - good) / 2;
                if (Uniform(hRich, pos, mid))
                    good = mid;
                else
                    bad = mid;
            }
            const CharFormat f = ToRun(GetCharFormat(hRich, pos, good), p.block);
            const bool hasPicture = std::find(text.begin() + pos, text.begin() + good, kPicture) != text.begin() + good;
            if (f.link || hasPicture)
            {
                // Link and picture numbers are not compared by riched20's format query: one character at a time.
                for (LONG i = pos; i < good; ++i)
                {
                    const CharFormat c = ToRun(GetCharFormat(hRich, i, i + 1), p.block);
                    if (!p.runs.empty() && p.runs.back().format == c && c.picture == 0 && i > pos)
                        p.runs.back().text.push_back(text[i]);
                    else
                        p.runs.push_back(Run{std::u16string(1, text[i]), c});
                }
            }
            else
                p.runs.push_back(Run{text.substr(pos, good - pos), f});
            pos = good;
        }
        paragraphs.push_back(p);
        if (end >= last || end >= size)
            break;
        start = end + 1;
    }
    return paragraphs;
}
}
}

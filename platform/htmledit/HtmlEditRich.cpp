// The run model in a rich-edit control: writing paragraphs and runs in, reading them back out.
#include "platform/htmledit/HtmlEditRich.h"

#include <richedit.h>

#include <algorithm>

namespace htmledit
{
namespace
{
const LONG kIndentStep = 360;  // twips per level of quote or list
// A paragraph's element, quote level and list level packed into the style number riched20 keeps.
SHORT PackStyle(const Paragraph& p)
{
    return static_cast<SHORT>((static_cast<int>(p.block) & 0x1F) | (std::min(p.quote, 7) << 5) |
                              (std::min(p.listLevel, 7) << 8));
}

const DWORD kRunMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BACKCOLOR |
                       CFM_LINK | CFM_UNDERLINETYPE;

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

void SetCharFormat(HWND hRich, LONG start, LONG end, const CharFormat& f, Block block)
{
    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = kRunMask | CFM_STYLE | CFM_KERNING | CFM_WEIGHT;
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
    cf.wKerning = static_cast<WORD>(f.picture);
    ::SendMessageW(hRich, EM_SETSEL, start, end);
    ::SendMessageW(hRich, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void SetParagraphFormat(HWND hRich, LONG start, LONG end, const Paragraph& p)
{
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_ALIGNMENT | PFM_NUMBERING | PFM_NUMBERINGSTYLE | PFM_NUMBERINGSTART | PFM_STARTINDENT |
                PFM_OFFSET | PFM_STYLE | PFM_BORDER;
    pf.wAlignment = p.align == Align::Center ? PFA_CENTER : p.align == Align::Right ? PFA_RIGHT
                    : p.align == Align::Justify ? PFA_JUSTIFY : PFA_LEFT;
    const bool list = p.block == Block::ListItem && p.list != ListKind::None;
    pf.wNumbering = list ? (p.list == ListKind::Number ? PFN_ARABIC : PFN_BULLET) : 0;
    pf.wNumberingStyle = PFNS_PERIOD;
    pf.wNumberingStart = 1;
    pf.dxStartIndent = (p.quote + (list ? p.listLevel : 0)) * kIndentStep;
    pf.dxOffset = 0;
    pf.sStyle = PackStyle(p);
    pf.wBorderSpace = static_cast<WORD>(p.table);
    pf.wBorders = 0;
    pf.wBorderWidth = 0;
    ::SendMessageW(hRich, EM_SETSEL, start, end);
    ::SendMessageW(hRich, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

Paragraph GetParagraphFormat(HWND hRich, LONG pos)
{
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof(pf);
    ::SendMessageW(hRich, EM_SETSEL, pos, pos);
    ::SendMessageW(hRich, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    Paragraph p;
    const int block = pf.sStyle & 0x1F;
    p.block = block <= static_cast<int>(Block::TableRow) ? static_cast<Block>(block) : Block::Div;
    p.quote = (pf.sStyle >> 5) & 7;
    p.listLevel = (pf.sStyle >> 8) & 7;
    p.align = pf.wAlignment == PFA_CENTER ? Align::Center : pf.wAlignment == PFA_RIGHT ? Align::Right
              : pf.wAlignment == PFA_JUSTIFY ? Align::Justify : Align::None;
    p.table = p.block == Block::TableRow ? pf.wBorderSpace : 0;
    if (p.block == Block::TableRow && !p.table)
        p.block = Block::Div;
    if (pf.wNumbering == PFN_ARABIC)
        p.list = ListKind::Number;
    else if (pf.wNumbering == PFN_BULLET)
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

void InsertParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs, int linkBase, int pictureBase,
                      int tableBase, bool bFirstParagraphFormat)
{
    if (paragraphs.empty())
        return;
    CHARRANGE sel = {};
    ::SendMessageW(hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const Paragraph current = GetParagraphFormat(hRich, sel.cpMin);
    std::u16string text;
    for (size_t i = 0; i < paragraphs.size(); ++i)
    {
        if (i)
            text.push_back(u'\r');
        text += paragraphs[i].Text();
    }
    ::SendMessageW(hRich, EM_SETSEL, sel.cpMin, sel.cpMax);
    ::SendMessageW(hRich, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    LONG pos = sel.cpMin;
    for (size_t i = 0; i < paragraphs.size(); ++i)
    {
        Paragraph p = paragraphs[i];
        if (p.table)
            p.table += tableBase;
        const LONG start = pos;
        const Block block = i == 0 && !bFirstParagraphFormat ? current.block : p.block;
        for (const Run& run : p.runs)
        {
            CharFormat f = run.format;
            if (f.link)
                f.link += linkBase;
            if (f.picture)
                f.picture += pictureBase;
            const LONG len = static_cast<LONG>(run.text.size());
            if (len)
                SetCharFormat(hRich, pos, pos + len, f, block);
            pos += len;
        }
        if (i > 0 || bFirstParagraphFormat)
            SetParagraphFormat(hRich, start, pos, p);
        ++pos;  // the paragraph end
    }
    ::SendMessageW(hRich, EM_SETSEL, pos - 1, pos - 1);
}

std::vector<Paragraph> ReadParagraphs(HWND hRich, LONG first, LONG last)
{
    const std::u16string text = RichText(hRich);
    const LONG size = static_cast<LONG>(text.size());
    if (last < 0 || last > size)
        last = size;
    if (first < 0)
        first = 0;
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

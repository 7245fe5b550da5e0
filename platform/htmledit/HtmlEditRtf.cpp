// The run model written as RTF for riched20 to read, and riched20's RTF read back into the run model.
#include "platform/htmledit/HtmlEditRtf.h"

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/htmledit/HtmlEditRich.h"

namespace htmledit
{
namespace
{
const int kIndentStep = 360;  // twips per level of quote or list, as formats set one by one give it

void AppendNumber(std::string& out, const char* word, long value)
{
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "\\%s%ld", word, value);
    out += buffer;
}

void AppendText(std::string& out, const std::u16string& text)
{
    for (char16_t c : text)
    {
        if (c == u'\\' || c == u'{' || c == u'}')
        {
            out += '\\';
            out += static_cast<char>(c);
        }
        else if (c == kCellSeparator)
            out += "\\tab ";
        else if (c >= 0x20 && c < 0x80)
            out += static_cast<char>(c);
        else
        {
            // A line break too: riched20 reads \line as a space.
            AppendNumber(out, "u", static_cast<short>(c));
            out += '?';
        }
    }
}

struct CTables
{
    std::map<std::u16string, int> faces;
    std::map<uint32_t, int> colors;

    int Face(const std::u16string& face) { return faces.emplace(face, static_cast<int>(faces.size())).first->second; }
    int Color(uint32_t color)
    {
        return color == kNoColor ? 0 : colors.emplace(color, static_cast<int>(colors.size()) + 1).first->second;
    }
};

std::u16string FaceOf(const CharFormat& f, Block block)
{
    if (!f.face.empty())
        return f.face;
    const wchar_t* face = DefaultFace(block);
    return std::u16string(face, face + wcslen(face));
}
}

std::string RtfOfParagraphs(const std::vector<Paragraph>& paragraphs, std::vector<RtfFixup>& fixups)
{
    CTables tables;
    std::string body;
    body.reserve(paragraphs.size() * 128);
    LONG pos = 0;
    int last[7] = {-1, -1, -1, -1, -1, -1, -1};
    for (const Paragraph& p : paragraphs)
    {
        body += "\\pard";
        if (p.align == Align::Center)
            body += "\\qc";
        else if (p.align == Align::Right)
            body += "\\qr";
        else if (p.align == Align::Justify)
            body += "\\qj";
        const bool list = p.block == Block::ListItem && p.list != ListKind::None;
        AppendNumber(body, "li", (p.quote + (list ? p.listLevel : 0)) * kIndentStep);
        if (list)
            body += p.list == ListKind::Number ? "{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart1\\pndec{\\pntxta.}}"
                                               : "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}";
        LONG tabs[MAX_TAB_STOPS];
        const int nTabs = ParagraphTabs(p, tabs);
        for (int i = 0; i < nTabs; ++i)
            AppendNumber(body, "tx", tabs[i]);
        for (const Run& run : p.runs)
        {
            if (run.text.empty())
                continue;
            const CharFormat& f = run.format;
            // Only what changes: riched20 reads a run's every format word slowly, ten times its own RTF.
            const int state[] = {tables.Face(FaceOf(f, p.block)), f.size > 0 ? f.size : DefaultSize(p.block),
                                 f.bold, f.italic, f.underline, tables.Color(f.color), tables.Color(f.back)};
            static const char* const words[] = {"f", "fs", "b", "i", "ul", "cf", "highlight"};
            bool changed = false;
            for (size_t i = 0; i < 7; ++i)
            {
                if (last[i] == state[i])
                    continue;
                if (i == 4 && !state[i])
                    body += "\\ulnone";
                else if (i >= 2 && i <= 4)
                    body += state[i] ? std::string("\\") + words[i] : std::string("\\") + words[i] + "0";
                else
                    AppendNumber(body, words[i], state[i]);
                last[i] = state[i];
                changed = true;
            }
            if (changed)
                body += ' ';
            AppendText(body, run.text);
            const LONG end = pos + static_cast<LONG>(run.text.size());
            if (f.link || f.picture)
            {
                if (!fixups.empty() && fixups.back().end == pos && fixups.back().link == f.link && !f.picture &&
                    !fixups.back().picture)
                    fixups.back().end = end;
                else
                    fixups.push_back(RtfFixup{pos, end, f.link, f.picture});
            }
            pos = end;
        }
        body += "\\par\n";
        ++pos;
    }

    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl";
    std::vector<const std::u16string*> faces(tables.faces.size());
    for (const auto& face : tables.faces)
        faces[face.second] = &face.first;
    for (size_t i = 0; i < faces.size(); ++i)
    {
        rtf += '{';
        AppendNumber(rtf, "f", static_cast<long>(i));
        rtf += ' ';
        std::u16string name;
        for (char16_t c : *faces[i])
            if (c != u';')
                name.push_back(c);
        AppendText(rtf, name);
        rtf += ";}";
    }
    rtf += "}{\\colortbl;";
    std::vector<uint32_t> colors(tables.colors.size());
    for (const auto& color : tables.colors)
        colors[color.second - 1] = color.first;
    for (uint32_t c : colors)
    {
        AppendNumber(rtf, "red", (c >> 16) & 0xFF);
        AppendNumber(rtf, "green", (c >> 8) & 0xFF);
        AppendNumber(rtf, "blue", c & 0xFF);
        rtf += ';';
    }
    rtf += "}\n";
    rtf += body;
    rtf += "}";
    return rtf;
}

namespace
{
struct CCharState
{
    bool bold = false, italic = false, underline = false;
    int font = -1;
    int size = 0, color = 0, back = 0, kerning = 0, language = 0;
};

struct CFont
{
    std::u16string face;
    UINT codePage = 1252;
};

UINT CodePageOfCharset(int charset, UINT fallback)
{
    switch (charset)
    {
    case 0: return 1252;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return fallback;
    }
}

// Reads the subset riched20 writes: groups, control words with their numbers, escaped and hex characters.
class CRtfReader
{
public:
    // riched20 writes only what differs from the previous run, the first from nothing set at all.
    CRtfReader(const std::string& rtf, std::vector<Paragraph>& out) : m_rtf(rtf), m_out(out) {}

    bool Read()
    {
        if (m_rtf.compare(0, 5, "{\\rtf") != 0)
            return false;
        while (m_pos < m_rtf.size())
        {
            const char c = m_rtf[m_pos];
            if (c == '{')
            {
                ++m_pos;
                FlushBytes();
                m_stack.push_back(m_state);
                m_destStack.push_back(m_dest);
            }
            else if (c == '}')
            {
                ++m_pos;
                FlushBytes();
                if (m_dest == Dest::FontTable && !m_fontName.empty())
                    EndFontName();
                if (m_stack.empty())
                    return false;
                m_state = m_stack.back();
                m_stack.pop_back();
                m_dest = m_destStack.back();
                m_destStack.pop_back();
                if (m_stack.empty())
                    break;
            }
            else if (c == '\\')
            {
                if (!ControlWord())
                    return false;
            }
            else if (c == '\r' || c == '\n')
                ++m_pos;
            else
            {
                ++m_pos;
                FlushBytes();
                Text(static_cast<unsigned char>(c));
            }
        }
        FlushBytes();
        if (!m_para.runs.empty())
            EndParagraph();
        return true;
    }

private:
    enum class Dest { Text, FontTable, ColorTable, Numbering, Skip };

    bool ControlWord()
    {
        ++m_pos;
        if (m_pos >= m_rtf.size())
            return false;
        const char c = m_rtf[m_pos];
        if (!isalpha(static_cast<unsigned char>(c)))
        {
            ++m_pos;
            if (c == '\'')
            {
                if (m_pos + 2 > m_rtf.size())
                    return false;
                const unsigned byte = static_cast<unsigned>(std::strtoul(m_rtf.substr(m_pos, 2).c_str(), nullptr, 16));
                m_pos += 2;
                if (m_skip > 0)
                    --m_skip;
                else
                    m_bytes.push_back(static_cast<char>(byte));
                return true;
            }
            FlushBytes();
            if (c == '*')
                m_dest = m_dest == Dest::Text ? Dest::Skip : m_dest;
            else if (c == '~')
                Text(0x00A0);
            else if (c == '_')
                Text(0x2011);
            else if (c == '\\' || c == '{' || c == '}')
                Text(static_cast<unsigned char>(c));
            return true;
        }
        const size_t start = m_pos;
        while (m_pos < m_rtf.size() && isalpha(static_cast<unsigned char>(m_rtf[m_pos])))
            ++m_pos;
        const std::string word = m_rtf.substr(start, m_pos - start);
        bool hasNumber = false;
        long number = 0;
        if (m_pos < m_rtf.size() && (m_rtf[m_pos] == '-' || isdigit(static_cast<unsigned char>(m_rtf[m_pos]))))
        {
            char* end = nullptr;
            number = std::strtol(m_rtf.c_str() + m_pos, &end, 10);
            m_pos = static_cast<size_t>(end - m_rtf.c_str());
            hasNumber = true;
        }
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ')
            ++m_pos;
        FlushBytes();
        Word(word, hasNumber, number);
        return true;
    }

    void Word(const std::string& word, bool hasNumber, long n)
    {
        const bool on = !hasNumber || n != 0;
        if (word == "fonttbl")
            m_dest = Dest::FontTable;
        else if (word == "colortbl")
        {
            m_dest = Dest::ColorTable;
            m_colors.clear();
            m_colorSet = false;
        }
        else if (word == "pn")
            m_dest = Dest::Numbering;
        else if (word == "pntext" || word == "stylesheet" || word == "info" || word == "pict" || word == "object")
            m_dest = Dest::Skip;
        else if (m_dest == Dest::Skip)
            return;
        else if (m_dest == Dest::FontTable)
        {
            if (word == "f")
            {
                m_font = static_cast<int>(n);
                m_fontName.clear();
                m_fonts[m_font] = CFont();
            }
            else if (word == "fcharset")
                m_fonts[m_font].codePage = CodePageOfCharset(static_cast<int>(n), m_codePage);
        }
        else if (m_dest == Dest::ColorTable)
        {
            m_colorSet = true;
            if (word == "red")
                m_color = (m_color & 0x00FFFF) | ((n & 0xFF) << 16);
            else if (word == "green")
                m_color = (m_color & 0xFF00FF) | ((n & 0xFF) << 8);
            else if (word == "blue")
                m_color = (m_color & 0xFFFF00) | (n & 0xFF);
        }
        else if (m_dest == Dest::Numbering)
        {
            if (word == "pnlvlblt")
                m_numbering = PFN_BULLET;
            else if (word != "pnlvlbody" && word.compare(0, 2, "pn") == 0 &&
                     (word == "pndec" || word == "pnucltr" || word == "pnlcltr" || word == "pnucrm" ||
                      word == "pnlcrm"))
                m_numbering = PFN_ARABIC;
        }
        else if (word == "ansicpg")
            m_codePage = static_cast<UINT>(n);
        else if (word == "uc")
            m_uc = static_cast<int>(n);
        else if (word == "u")
        {
            Text(static_cast<char16_t>(n < 0 ? n + 65536 : n));
            m_skip = m_uc;
        }
        else if (word == "par")
            EndParagraph();
        else if (word == "pard")
        {
            m_tabs.clear();
            m_numbering = 0;
            m_alignment = PFA_LEFT;
        }
        else if (word == "tx")
            m_tabs.push_back(n);
        else if (word == "ql")
            m_alignment = PFA_LEFT;
        else if (word == "qc")
            m_alignment = PFA_CENTER;
        else if (word == "qr")
            m_alignment = PFA_RIGHT;
        else if (word == "qj")
            m_alignment = PFA_JUSTIFY;
        else if (word == "plain")
            m_state = CCharState();
        else if (word == "b")
            m_state.bold = on;
        else if (word == "i")
            m_state.italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulwave" ||
                 word == "uldash" || word == "ulth")
            m_state.underline = on;
        else if (word == "ulnone")
            m_state.underline = false;
        else if (word == "f")
            m_state.font = static_cast<int>(n);
        else if (word == "fs")
            m_state.size = static_cast<int>(n);
        else if (word == "cf")
            m_state.color = static_cast<int>(n);
        else if (word == "highlight" || word == "cb")
            m_state.back = static_cast<int>(n);
        else if (word == "kerning")
            m_state.kerning = static_cast<int>(n);
        else if (word == "lang")
            m_state.language = static_cast<int>(n);
        else if (word == "tab")
            Text(kCellSeparator);
        else if (word == "line")
            Text(kLineBreak);
        else if (word == "emdash")
            Text(0x2014);
        else if (word == "endash")
            Text(0x2013);
        else if (word == "bullet")
            Text(0x2022);
        else if (word == "lquote")
            Text(0x2018);
        else if (word == "rquote")
            Text(0x2019);
        else if (word == "ldblquote")
            Text(0x201C);
        else if (word == "rdblquote")
            Text(0x201D);
        else if (word == "trowd" || word == "cell" || word == "row" || word == "intbl" || word == "objattph")
            m_foreign = true;
    }

    void FlushBytes()
    {
        if (m_bytes.empty())
            return;
        const std::string bytes = m_bytes;
        m_bytes.clear();
        if (m_dest == Dest::FontTable)
        {
            for (char b : bytes)
                m_fontName.push_back(static_cast<unsigned char>(b));
            return;
        }
        auto font = m_fonts.find(m_state.font);
        const UINT codePage = font != m_fonts.end() ? font->second.codePage : m_codePage;
        const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0)
            ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
        for (wchar_t w : wide)
            Text(static_cast<char16_t>(w));
    }

    void Text(char16_t c)
    {
        if (m_skip > 0)
        {
            --m_skip;
            return;
        }
        switch (m_dest)
        {
        case Dest::FontTable:
            if (c == u';')
                EndFontName();
            else
                m_fontName.push_back(c);
            return;
        case Dest::ColorTable:
            if (c == u';')
            {
                m_colors.push_back(m_colorSet ? m_color : kNoColor);
                m_color = 0;
            }
            m_colorSet = c == u';' ? false : m_colorSet;
            return;
        case Dest::Text:
            break;
        default:
            return;
        }
        CharFormat f;
        f.bold = m_state.bold;
        f.italic = m_state.italic;
        f.underline = m_state.underline;
        auto font = m_fonts.find(m_state.font);
        if (font != m_fonts.end())
            f.face = font->second.face;
        f.size = m_state.size;
        f.color = ColorAt(m_state.color);
        f.back = ColorAt(m_state.back);
        f.link = LinkOfLanguage(m_state.language);
        f.picture = c == kPicture ? m_state.kerning : 0;
        if (f.link)
            f.underline = false;
        if (!m_para.runs.empty() && m_para.runs.back().format == f && !f.picture)
            m_para.runs.back().text.push_back(c);
        else
            m_para.runs.push_back(Run{std::u16string(1, c), f});
    }

    void EndFontName()
    {
        std::u16string& face = m_fonts[m_font].face;
        face = m_fontName;
        while (!face.empty() && face.back() == u' ')
            face.pop_back();
        m_fontName.clear();
    }

    uint32_t ColorAt(int index) const
    {
        return index > 0 && static_cast<size_t>(index) < m_colors.size() ? m_colors[static_cast<size_t>(index)]
                                                                         : kNoColor;
    }

    void EndParagraph()
    {
        Paragraph p = ParagraphOf(m_tabs.data(), static_cast<int>(m_tabs.size()), m_numbering, m_alignment);
        p.runs.swap(m_para.runs);
        // The face a paragraph shows by default is no face of its own; known only once its element is.
        for (Run& run : p.runs)
            if (lstrcmpiW(reinterpret_cast<const wchar_t*>(run.format.face.c_str()), DefaultFace(p.block)) == 0)
                run.format.face.clear();
        for (size_t i = 1; i < p.runs.size();)
        {
            if (p.runs[i - 1].format == p.runs[i].format && !p.runs[i].format.picture)
            {
                p.runs[i - 1].text += p.runs[i].text;
                p.runs.erase(p.runs.begin() + static_cast<std::ptrdiff_t>(i));
            }
            else
                ++i;
        }
        m_out.push_back(std::move(p));
        m_para = Paragraph();
    }

public:
    bool m_foreign = false;

private:
    const std::string& m_rtf;
    std::vector<Paragraph>& m_out;
    size_t m_pos = 0;
    CCharState m_state;
    std::vector<CCharState> m_stack;
    Dest m_dest = Dest::Text;
    std::vector<Dest> m_destStack;
    std::map<int, CFont> m_fonts;
    int m_font = 0;
    std::u16string m_fontName;
    std::vector<uint32_t> m_colors;
    uint32_t m_color = 0;
    bool m_colorSet = false;
    UINT m_codePage = 1252;
    int m_uc = 1, m_skip = 0;
    std::string m_bytes;
    std::vector<LONG> m_tabs;
    WORD m_numbering = 0, m_alignment = PFA_LEFT;
    Paragraph m_para;
};
}

bool ParagraphsOfRtf(const std::string& rtf, std::vector<Paragraph>& paragraphs)
{
    paragraphs.clear();
    CRtfReader reader(rtf, paragraphs);
    return reader.Read() && !reader.m_foreign;
}
}

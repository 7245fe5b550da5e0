// Writes the editor's run model as HTML: upper-case tags, lower-case attributes, quoted values.
#include "platform/htmledit/HtmlEditWriter.h"

#include <cstdio>

namespace htmledit
{
namespace
{
const char* TagOf(Block block)
{
    switch (block)
    {
    case Block::P: return "P";
    case Block::H1: return "H1";
    case Block::H2: return "H2";
    case Block::H3: return "H3";
    case Block::H4: return "H4";
    case Block::H5: return "H5";
    case Block::H6: return "H6";
    case Block::Pre: return "PRE";
    case Block::Address: return "ADDRESS";
    default: return "DIV";
    }
}

const char* AlignOf(Align align)
{
    switch (align)
    {
    case Align::Left: return "left";
    case Align::Center: return "center";
    case Align::Right: return "right";
    case Align::Justify: return "justify";
    default: return nullptr;
    }
}

std::string Escape(const std::string& utf8, bool attribute)
{
    std::string out;
    for (char c : utf8)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        default: out.push_back(c);
        }
    }
    // U+00A0 is never written raw (its UTF-8 lead byte would stand before the next entity).
    std::string result;
    for (size_t i = 0; i < out.size(); ++i)
    {
        if (static_cast<unsigned char>(out[i]) == 0xC2 && i + 1 < out.size() &&
            static_cast<unsigned char>(out[i + 1]) == 0xA0)
        {
            result += "&nbsp;";
            ++i;
        }
        else
            result.push_back(out[i]);
    }
    return result;
}

// Browsers take the align attribute of P, DIV and the headings only; other blocks are aligned by style.
std::string AlignAttribute(Block block, Align align)
{
    const char* name = AlignOf(align);
    if (!name)
        return std::string();
    if (block == Block::Pre || block == Block::Address || block == Block::ListItem)
        return std::string(" style=\"text-align: ") + name + "\"";
    return std::string(" align=\"") + name + "\"";
}

std::string Color(uint32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

class CWriter
{
public:
    explicit CWriter(const Document& doc) : m_doc(doc) {}

    std::string Body(size_t first, size_t last)
    {
        for (size_t i = first; i < last && i < m_doc.paragraphs.size(); ++i)
            Paragraph(m_doc.paragraphs[i]);
        CloseTable();
        CloseLists(0);
        CloseQuotes(0);
        return m_out;
    }

private:
    void CloseTable()
    {
        if (m_table)
            m_out += "</TBODY></TABLE>";
        m_table = 0;
    }

    void CloseLists(size_t depth)
    {
        while (m_lists.size() > depth)
        {
            m_out += m_lists.back() == ListKind::Number ? "</OL>" : "</UL>";
            m_lists.pop_back();
        }
    }

    void CloseQuotes(int depth)
    {
        while (m_quote > depth)
        {
            m_out += "</BLOCKQUOTE>";
            --m_quote;
        }
    }

    void Paragraph(const htmledit::Paragraph& p)
    {
        if (p.table != m_table)
            CloseTable();
        const size_t listDepth = p.block == Block::ListItem ? static_cast<size_t>(p.listLevel > 0 ? p.listLevel : 1) : 0;
        if (p.quote != m_quote || listDepth < m_lists.size())
            CloseLists(p.quote != m_quote ? 0 : listDepth);
        if (listDepth == m_lists.size() && listDepth > 0 && m_lists.back() != p.list)
            CloseLists(listDepth - 1);
        if (p.quote != m_quote)
        {
            CloseTable();
            CloseQuotes(p.quote < m_quote ? p.quote : m_quote);
            while (m_quote < p.quote)
            {
                m_out += "<BLOCKQUOTE>";
                ++m_quote;
            }
        }
        while (m_lists.size() < listDepth)
        {
            const ListKind kind = p.list == ListKind::Number ? ListKind::Number : ListKind::Bullet;
            m_out += kind == ListKind::Number ? "<OL>" : "<UL>";
            m_lists.push_back(kind);
        }
        const std::string alignAttribute = AlignAttribute(p.block, p.align);
        if (p.block == Block::TableRow && p.table > 0 && static_cast<size_t>(p.table) <= m_doc.tables.size())
        {
            const Table& table = m_doc.tables[p.table - 1];
            if (!m_table)
            {
                m_out += "<TABLE" + table.attributes + "><TBODY>";
                m_table = p.table;
            }
            m_out += "<TR>";
            std::vector<Run> cell;
            auto flush = [&] {
                m_out += "<TD" + table.cellAttributes + ">";
                Runs(cell, p.block, true);
                m_out += "</TD>";
                cell.clear();
            };
            for (const Run& run : p.runs)
            {
                size_t start = 0;
                for (size_t i = 0; i <= run.text.size(); ++i)
                {
                    if (i == run.text.size() || run.text[i] == kCellSeparator)
                    {
                        if (i > start)
                            cell.push_back(Run{run.text.substr(start, i - start), run.format});
                        if (i < run.text.size())
                            flush();
                        start = i + 1;
                    }
                }
            }
            flush();
            m_out += "</TR>";
            return;
        }
        CloseTable();
        if (p.block == Block::ListItem)
        {
            m_out += "<LI" + alignAttribute + ">";
            Runs(p.runs, p.block, false);
            m_out += "</LI>";
            return;
        }
        const char* tag = TagOf(p.block);
        m_out += std::string("<") + tag + alignAttribute + ">";
        Runs(p.runs, p.block, false);
        m_out += std::string("</") + tag + ">";
    }

    // Whether a character is written at all: control characters are not, nor pictures the page lacks.
    bool Written(char16_t c, const CharFormat& f) const
    {
        if (c == kPicture)
            return f.picture > 0 && static_cast<size_t>(f.picture) <= m_doc.pictures.size();
        return c >= 0x20 || c == '\t' || c == kLineBreak;
    }

    void Runs(const std::vector<Run>& given, Block block, bool bCell)
    {
        // What is not written must neither make a paragraph look full nor count as a neighbour of a blank:
        // read back, the page would differ from the one written.
        std::vector<Run> runs;
        for (const Run& run : given)
        {
            Run kept{std::u16string(), run.format};
            for (char16_t c : run.text)
                if (Written(c, run.format))
                    kept.text.push_back(c);
            if (!kept.text.empty())
                runs.push_back(std::move(kept));
        }
        const bool empty = runs.empty();
        const bool pre = block == Block::Pre;
        if (empty)
        {
            m_out += "&nbsp;";
            return;
        }
        int openLink = 0;
        std::string openRun, closeRun;
        char16_t previous = 0;
        std::u16string flat;
        for (const Run& run : runs)
            flat += run.text;
        const size_t total = flat.size();
        size_t position = 0;
        for (const Run& run : runs)
        {
            const CharFormat& f = run.format;
            const int link = f.link > 0 && static_cast<size_t>(f.link) <= m_doc.links.size() ? f.link : 0;
            std::string open, close;
            std::string font;
            if (!f.face.empty())
                font += " face=\"" + Escape(Utf16To8(f.face), true) + "\"";
            std::string span;
            if (f.size > 0 && f.size != DefaultSize(block))
            {
                // A step reads back as the engine sizes it (size 1 is 7.5 pt, not the toolbar's 8), and in PRE
                // smaller still (monospace text scales its steps): points where the step would not read back.
                static const int engineHalfPoints[] = {15, 20, 24, 27, 36, 48, 72};
                int step = 0;
                for (int n = 1; n <= 7 && !pre && !step; ++n)
                    if (f.size == PointsOfFontSize(n) * 2 || f.size == engineHalfPoints[n - 1])
                        step = n;
                if (step)
                    font += " size=\"" + std::to_string(step) + "\"";
                else
                    span += "font-size: " + std::to_string(f.size / 2) + (f.size % 2 ? ".5pt" : "pt");
            }
            if (f.color != kNoColor)
                font += " color=\"" + Color(f.color) + "\"";
            if (f.back != kNoColor)
                span += std::string(span.empty() ? "" : "; ") + "background-color: " + Color(f.back);
            if (!font.empty())
            {
                open += "<FONT" + font + ">";
                close = "</FONT>" + close;
            }
            if (!span.empty())
            {
                open += "<SPAN style=\"" + span + "\">";
                close = "</SPAN>" + close;
            }
            if (f.bold != DefaultBold(block))
            {
                open += f.bold ? "<B>" : "<SPAN style=\"font-weight: normal\">";
                close = (f.bold ? "</B>" : "</SPAN>") + close;
            }
            if (f.italic)
            {
                open += "<I>";
                close = "</I>" + close;
            }
            if (f.underline)
            {
                open += "<U>";
                close = "</U>" + close;
            }
            // Runs that differ only in what is not written are one run: read back, they are one.
            if (link != openLink || open != openRun)
            {
                m_out += closeRun;
                if (link != openLink)
                {
                    if (openLink)
                        m_out += "</A>";
                    if (link)
                        m_out += "<A href=\"" + Escape(m_doc.links[link - 1], true) + "\">";
                    openLink = link;
                }
                m_out += open;
                openRun = open;
                closeRun = close;
            }
            std::u16string chunk;
            auto flushChunk = [&] {
                m_out += Escape(Utf16To8(chunk), false);
                chunk.clear();
            };
            for (char16_t raw : run.text)
            {
                // Outside PRE a tab is a blank the reader collapses: written as one, it reads back as itself.
                const char16_t c = raw == '\t' && !pre ? u' ' : raw;
                const bool last = position + 1 == total;
                if (c == kLineBreak)
                {
                    flushChunk();
                    // A block's last line break shows nothing and is not read back: one more keeps it.
                    m_out += last && !bCell ? "<BR><BR>" : "<BR>";
                }
                else if (c == kPicture && f.picture > 0 && static_cast<size_t>(f.picture) <= m_doc.pictures.size())
                {
                    flushChunk();
                    const Picture& pic = m_doc.pictures[f.picture - 1];
                    m_out += "<IMG src=\"" + Escape(pic.src, true) + "\"";
                    if (!pic.alt.empty())
                        m_out += " alt=\"" + Escape(pic.alt, true) + "\"";
                    if (pic.width > 0)
                        m_out += " width=\"" + std::to_string(pic.width) + "\"";
                    if (pic.height > 0)
                        m_out += " height=\"" + std::to_string(pic.height) + "\"";
                    m_out += ">";
                }
                else if (c == ' ' && !pre &&
                         (previous == 0 || previous == ' ' || previous == kLineBreak || previous == kCellSeparator ||
                          last || flat[position + 1] == kLineBreak))
                {
                    flushChunk();
                    m_out += "&nbsp;";
                }
                else
                    chunk.push_back(c);
                previous = c;
                ++position;
            }
            flushChunk();
        }
        m_out += closeRun;
        if (openLink)
            m_out += "</A>";
    }

    const Document& m_doc;
    std::string m_out;
    int m_table = 0;
    int m_quote = 0;
    std::vector<ListKind> m_lists;
};
}

std::string WriteBody(const Document& doc, size_t first, size_t last)
{
    return CWriter(doc).Body(first, last);
}

std::string WriteBody(const Document& doc)
{
    return WriteBody(doc, 0, doc.paragraphs.size());
}

std::string WriteHtml(const Document& doc)
{
    return "<HTML><HEAD>" + doc.head + "</HEAD>\r\n<BODY>" + WriteBody(doc) + "</BODY></HTML>";
}
}

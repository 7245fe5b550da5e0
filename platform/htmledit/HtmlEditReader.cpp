// Reads HTML into the editor's run model: blocks become paragraphs, styled text becomes runs.
#include "platform/htmledit/HtmlEditReader.h"

#include <cmath>
#include <cstring>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlStyle.h"

using html::CHtmlNode;
using html::CHtmlStyle;
using html::Display;

namespace htmledit
{
namespace
{
bool IsGeneric(const std::string& family)
{
    static const char* const generic[] = {"serif", "sans-serif", "monospace", "cursive", "fantasy"};
    for (const char* g : generic)
        if (family == g)
            return true;
    return false;
}

std::string FirstFamily(const std::string& families)
{
    std::string first = families.substr(0, families.find(','));
    while (!first.empty() && (first.front() == ' ' || first.front() == '"' || first.front() == '\''))
        first.erase(0, 1);
    while (!first.empty() && (first.back() == ' ' || first.back() == '"' || first.back() == '\''))
        first.pop_back();
    return IsGeneric(first) ? std::string() : first;
}

bool IsJavascript(const std::string& href)
{
    std::string scheme;
    for (char c : href)
    {
        if (static_cast<unsigned char>(c) <= ' ')
            continue;  // browsers ignore controls and blanks inside the scheme
        if (c == ':')
            break;
        scheme.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
        if (scheme.size() > 16)
            break;
    }
    return scheme == "javascript" || scheme == "vbscript";
}

std::string EscapeAttribute(const std::string& value)
{
    std::string out;
    for (char c : value)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

// Attributes as written out again: names lower case, values quoted; no event handlers or styles.
std::string SerialiseAttributes(const CHtmlNode* node)
{
    std::string out;
    for (const auto& attr : node->attributes)
    {
        std::string name = attr.first;
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        if (name.compare(0, 2, "on") == 0 || name == "style" || name.empty())
            continue;
        bool valid = true;
        for (char c : name)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
                valid = false;
        if (valid)
            out += " " + name + "=\"" + EscapeAttribute(attr.second) + "\"";
    }
    return out;
}

bool HasTableInside(const CHtmlNode* table)
{
    const CHtmlNode* n = table->firstChild;
    while (n && n != table)
    {
        if (n->IsElement("table"))
            return true;
        if (n->firstChild)
            n = n->firstChild;
        else
        {
            while (n != table && !n->next)
                n = n->parent;
            if (n != table)
                n = n->next;
        }
    }
    return false;
}

int ParseInt(const std::string* value)
{
    if (!value)
        return 0;
    int n = 0;
    for (char c : *value)
    {
        if (c < '0' || c > '9')
            break;
        if (n < 100000)
            n = n * 10 + (c - '0');
    }
    return n;
}

class CReader
{
public:
    explicit CReader(Document& doc) : m_doc(doc) {}

    void Read(const html::CHtmlDocument& source)
    {
        const CHtmlNode* root = source.Root();
        for (const CHtmlNode* n = root ? root->firstChild : nullptr; n; n = n->next)
            if (n->IsElement("html"))
                for (const CHtmlNode* c = n->firstChild; c; c = c->next)
                    if (c->IsElement("head"))
                        ReadHead(c);
        const CHtmlNode* body = source.Body();
        if (body)
        {
            Context ctx;
            ctx.blockStyle = body->style;
            Children(body, ctx);
        }
        EndParagraph();
    }

private:
    struct Context
    {
        Block block = Block::Div;
        Align align = Align::None;
        ListKind list = ListKind::None;
        int listLevel = 0;
        int quote = 0;
        int link = 0;
        bool anchor = false;  // inside an A with an href, kept or not: its default look is no format
        bool underline = false;
        uint32_t back = kNoColor;
        bool inCell = false;
        const CHtmlStyle* blockStyle = nullptr;
    };

    void ReadHead(const CHtmlNode* head)
    {
        for (const CHtmlNode* n = head->firstChild; n; n = n->next)
        {
            if (n->IsElement("meta"))
                m_doc.head += "<META" + SerialiseAttributes(n) + ">";
            else if (n->IsElement("title"))
            {
                std::string title;
                for (const CHtmlNode* t = n->firstChild; t; t = t->next)
                    if (t->type == html::NodeType::Text)
                        title += t->text;
                std::string escaped;
                for (char c : title)
                    escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
                m_doc.head += "<TITLE>" + escaped + "</TITLE>";
            }
        }
    }

    static Align AlignOf(const CHtmlStyle* style)
    {
        if (!style)
            return Align::None;
        switch (style->textAlign)
        {
        case html::TextAlign::Center: return Align::Center;
        case html::TextAlign::Right: return Align::Right;
        case html::TextAlign::Justify: return Align::Justify;
        default: return Align::None;
        }
    }

    void Children(const CHtmlNode* node, const Context& ctx)
    {
        for (const CHtmlNode* c = node->firstChild; c; c = c->next)
            Node(c, ctx);
    }

    void Node(const CHtmlNode* node, const Context& outer)
    {
        if (node->type == html::NodeType::Text)
        {
            Text(node, outer);
            return;
        }
        if (node->type != html::NodeType::Element || !node->style || node->style->display == Display::None)
            return;
        Context ctx = outer;
        const std::string& tag = node->name;
        if (node->style->underline)
            ctx.underline = true;
        if (tag == "br")
        {
            Append(std::u16string(1, kLineBreak), node->style, ctx);
            return;
        }
        if (tag == "img")
        {
            Picture picture;
            if (const std::string* src = node->Attribute("src"))
                picture.src = *src;
            if (const std::string* alt = node->Attribute("alt"))
                picture.alt = *alt;
            picture.width = ParseInt(node->Attribute("width"));
            picture.height = ParseInt(node->Attribute("height"));
            m_doc.pictures.push_back(picture);
            m_pictureNext = static_cast<int>(m_doc.pictures.size());
            Append(std::u16string(1, kPicture), node->style, ctx);
            m_pictureNext = 0;
            return;
        }
        if (tag == "a")
        {
            const std::string* href = node->Attribute("href");
            if (href)
                ctx.anchor = true;
            if (href && !IsJavascript(*href))
            {
                m_doc.links.push_back(*href);
                ctx.link = static_cast<int>(m_doc.links.size());
            }
        }
        const Display display = node->style->display;
        if (display == Display::Inline || display == Display::InlineBlock)
        {
            if ((node->style->background >> 24) != 0)
                ctx.back = node->style->background & 0xFFFFFF;
            Children(node, ctx);
            return;
        }
        if (ctx.inCell)
        {
            // Blocks inside a cell of a table row: lines of that cell.
            if (m_para && !m_para->runs.empty() && LastChar() != kCellSeparator && LastChar() != kLineBreak)
                Append(std::u16string(1, kLineBreak), node->style, ctx);
            Children(node, ctx);
            return;
        }
        if (tag == "table" && !HasTableInside(node))
        {
            Table(node, ctx);
            return;
        }
        EndParagraph();
        ctx.blockStyle = node->style;
        ctx.back = kNoColor;
        const Align align = AlignOf(node->style);
        if (align != Align::None || tag == "div" || tag == "p" || tag[0] == 'h' || tag == "center")
            ctx.align = align;
        if (tag == "p")
            ctx.block = Block::P;
        else if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6')
            ctx.block = static_cast<Block>(static_cast<int>(Block::H1) + (tag[1] - '1'));
        else if (tag == "pre" || tag == "xmp" || tag == "listing" || tag == "plaintext")
            ctx.block = Block::Pre;
        else if (tag == "address")
            ctx.block = Block::Address;
        else if (tag == "blockquote")
        {
            ++ctx.quote;
            ctx.block = Block::Div;
        }
        else if (tag == "ul" || tag == "ol" || tag == "dir" || tag == "menu")
        {
            ++ctx.listLevel;
            ctx.list = tag == "ol" ? ListKind::Number : ListKind::Bullet;
            ctx.block = Block::Div;
        }
        else if (display == Display::ListItem && ctx.list != ListKind::None)
            ctx.block = Block::ListItem;
        else if (ctx.block != Block::ListItem)
            ctx.block = Block::Div;
        Children(node, ctx);
        EndParagraph();
    }

    void Table(const CHtmlNode* table, const Context& outer)
    {
        EndParagraph();
        htmledit::Table t;
        t.attributes = SerialiseAttributes(table);
        m_doc.tables.push_back(t);
        const int index = static_cast<int>(m_doc.tables.size());
        bool cellAttributesTaken = false;
        std::vector<const CHtmlNode*> rows;
        for (const CHtmlNode* c = table->firstChild; c; c = c->next)
        {
            if (c->IsElement("tr"))
                rows.push_back(c);
            else if (c->IsElement("tbody") || c->IsElement("thead") || c->IsElement("tfoot"))
                for (const CHtmlNode* r = c->firstChild; r; r = r->next)
                    if (r->IsElement("tr"))
                        rows.push_back(r);
        }
        for (const CHtmlNode* row : rows)
        {
            Context ctx = outer;
            ctx.block = Block::TableRow;
            ctx.inCell = true;
            ctx.blockStyle = row->style;
            ctx.align = Align::None;
            NewParagraph(ctx);
            m_para->table = index;
            bool first = true;
            for (const CHtmlNode* cell = row->firstChild; cell; cell = cell->next)
            {
                if (!cell->IsElement("td") && !cell->IsElement("th"))
                    continue;
                if (!cellAttributesTaken)
                {
                    m_doc.tables.back().cellAttributes = SerialiseAttributes(cell);
                    cellAttributesTaken = true;
                }
                if (!first)
                    AppendRaw(std::u16string(1, kCellSeparator), CharFormat());
                first = false;
                ctx.blockStyle = cell->style;
                m_spacePending = false;
                m_atLineStart = true;
                Children(cell, ctx);
            }
            m_para = nullptr;
        }
    }

    char16_t LastChar() const
    {
        return m_para && !m_para->runs.empty() && !m_para->runs.back().text.empty() ? m_para->runs.back().text.back()
                                                                                     : 0;
    }

    void NewParagraph(const Context& ctx)
    {
        Paragraph p;
        p.block = ctx.block;
        p.align = ctx.align;
        p.quote = ctx.quote;
        if (ctx.block == Block::ListItem)
        {
            p.list = ctx.list;
            p.listLevel = ctx.listLevel;
        }
        m_doc.paragraphs.push_back(p);
        m_para = &m_doc.paragraphs.back();
        m_spacePending = false;
        m_atLineStart = true;
    }

    void EndParagraph()
    {
        m_spacePending = false;
        m_atLineStart = true;
        if (m_para)
        {
            // A line break that ends a block shows nothing in a browser.
            if (LastChar() == kLineBreak && m_para->Text().size() > 1)
            {
                m_para->runs.back().text.pop_back();
                if (m_para->runs.back().text.empty())
                    m_para->runs.pop_back();
            }
            else if (LastChar() == kLineBreak)
                m_para->runs.clear();
        }
        m_para = nullptr;
    }

    CharFormat FormatOf(const CHtmlStyle* style, const Context& ctx) const
    {
        CharFormat f;
        if (!style)
            return f;
        f.bold = style->fontWeight >= 600;
        f.italic = style->italic;
        f.underline = ctx.underline || style->underline;
        const std::string face = FirstFamily(style->fontFamily);
        f.face = Utf8To16(face);
        f.size = static_cast<int>(std::lround(style->fontSize * 1.5f));  // px to half points
        const uint32_t color = style->color & 0xFFFFFF;
        f.color = color == 0 || (ctx.anchor && color == 0x0000EE) ? kNoColor : color;
        f.back = ctx.back;
        f.link = ctx.link;
        if (ctx.anchor)
            f.underline = false;  // a link's own underline is the link's, not a format
        f.picture = m_pictureNext;
        return f;
    }

    void Text(const CHtmlNode* node, const Context& ctx)
    {
        const CHtmlStyle* style = node->parent ? node->parent->style : nullptr;
        const bool pre = style && (style->whiteSpace == html::WhiteSpace::Pre ||
                                   style->whiteSpace == html::WhiteSpace::PreWrap);
        const std::u16string text = Utf8To16(node->text);
        std::u16string out;
        bool leading = false;
        for (size_t i = 0; i < text.size(); ++i)
        {
            char16_t c = text[i];
            // The run model's own marks never come from text: a line break, a picture, a cell's end. Other
            // control characters show nothing and are not written either.
            if (c == kPicture || (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f'))
                continue;
            if (c == '\t' && ctx.inCell)
                c = ' ';
            if (pre)
            {
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    continue;
                out.push_back(c == '\n' || c == '\r' ? kLineBreak : c == '\f' ? u' ' : c);
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
            {
                if (out.empty())
                    leading = true;
                else if (out.back() != ' ')
                    out.push_back(' ');
                continue;
            }
            if (out.empty())
            {
                const bool afterText = !m_atLineStart && LastChar() != ' ' && m_para && !m_para->runs.empty();
                if (m_spacePending && afterText)
                {
                    // A blank that ended the text before belongs to it, before this element.
                    Run& last = m_para->runs.back();
                    if (last.format.picture)
                    {
                        CharFormat f = last.format;
                        f.picture = 0;
                        m_para->runs.push_back(Run{u" ", f});
                    }
                    else
                        last.text.push_back(u' ');
                }
                else if (leading && afterText)
                    out.push_back(' ');
            }
            m_spacePending = false;
            out.push_back(c);
        }
        if (!pre && out.empty() && leading)
            m_spacePending = true;
        if (!pre && !out.empty() && out.back() == ' ')
        {
            out.pop_back();
            m_spacePending = true;
        }
        if (out.empty())
            return;
        Append(out, style, ctx);
    }

    void Append(const std::u16string& text, const CHtmlStyle* style, const Context& ctx)
    {
        if (!m_para)
        {
            const bool pending = m_spacePending;
            NewParagraph(ctx);
            m_spacePending = pending;
        }
        if (text.size() == 1 && (text[0] == kLineBreak))
            m_spacePending = false;
        AppendRaw(text, FormatOf(style, ctx));
        m_atLineStart = text.back() == kLineBreak;
    }

    void AppendRaw(const std::u16string& text, const CharFormat& format)
    {
        if (!m_para->runs.empty() && m_para->runs.back().format == format && format.picture == 0)
            m_para->runs.back().text += text;
        else
            m_para->runs.push_back(Run{text, format});
        m_atLineStart = false;
    }

    Document& m_doc;
    Paragraph* m_para = nullptr;
    bool m_spacePending = false;
    bool m_atLineStart = true;
    int m_pictureNext = 0;
};
}

void ReadHtml(const std::string& utf8, Document& doc)
{
    doc.Clear();
    html::CHtmlDocument source;
    if (!source.Parse(utf8))
        return;
    html::CHtmlStyler styler;
    styler.Apply(source);
    CReader(doc).Read(source);
}
}

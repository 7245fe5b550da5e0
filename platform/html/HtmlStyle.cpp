// Computed styles for the document tree: the CSS library's cascade over our DOM, with the user-agent sheet,
// <style> elements, style attributes and the presentational attributes mail still uses.
#include "platform/html/HtmlStyle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

// The library's headers use C99's restrict, which C++ spells differently.
#define restrict __restrict
extern "C" {
#include <libcss/libcss.h>
}
#undef restrict

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLock.h"

namespace html
{
const char* CHtmlStyler::UserAgentSheet()
{
    // HTML 4 defaults as mail clients render them.
    return "html,address,blockquote,body,dd,div,dl,dt,fieldset,form,frame,frameset,h1,h2,h3,h4,h5,h6,noframes,"
           "ol,p,ul,center,dir,hr,menu,pre,article,aside,footer,header,nav,section,main,figure,figcaption"
           "{display:block}\n"
           "li{display:list-item}\n"
           "head,script,style,title,meta,link,base,noscript,template,area,map,param,object,iframe,select,"
           "textarea,input,button{display:none}\n"
           "table{display:table;border-spacing:2px;text-align:left}\n"
           "tr{display:table-row;vertical-align:inherit}\n"
           "thead,tbody,tfoot{display:table-row-group;vertical-align:middle}\n"
           "col{display:table-column}\n"
           "td,th{display:table-cell;vertical-align:middle;padding:1px}\n"
           "caption{display:table-caption;text-align:center}\n"
           "body{margin:8px}\n"
           "h1{font-size:2em;margin:.67em 0}h2{font-size:1.5em;margin:.75em 0}h3{font-size:1.17em;margin:.83em 0}"
           "h4,p,blockquote,ul,ol,dl,dir,menu{margin:1em 0}h5{font-size:.83em;margin:1.5em 0}"
           "h6{font-size:.75em;margin:1.67em 0}\n"
           "h1,h2,h3,h4,h5,h6,b,strong,th{font-weight:bold}\n"
           "blockquote{margin-left:40px;margin-right:40px}\n"
           "i,cite,em,var,address{font-style:italic}\n"
           "pre,tt,code,kbd,samp{font-family:monospace}\n"
           "pre{white-space:pre;margin:1em 0}\n"
           "big{font-size:1.17em}small,sub,sup{font-size:.83em}sub{vertical-align:sub}sup{vertical-align:super}\n"
           "s,strike,del{text-decoration:line-through}\n"
           "u,ins,a:link{text-decoration:underline}a:link{color:#0000ee}\n"
           "ol,ul,dir,menu{padding-left:40px}dd{margin-left:40px}\n"
           "ol{list-style-type:decimal}ul ul{list-style-type:circle}ul ul ul{list-style-type:square}\n"
           "ul ol,ol ul,ol ol,ul ul{margin-top:0;margin-bottom:0}\n"
           "center{text-align:-libcss-center}\n"
           "hr{border:1px inset #808080;margin:.5em auto}\n"
           "nobr{white-space:nowrap}\n";
}

std::string CHtmlStyler::QuirksSheet()
{
    // Tables start afresh from the defaults rather than inheriting from the text around them; monospace
    // text is 13 px where other text is 16, and once only where monospace elements nest.
    std::string sheet = "table{white-space:normal;line-height:normal;font-weight:normal;font-size:medium;"
                        "font-style:normal;text-align:left}\n"
                        "pre,tt,code,kbd,samp,xmp,listing,plaintext{font-size:0.8125em}\n";
    static const char* const mono[] = {"pre", "tt", "code", "kbd", "samp"};
    for (const char* outer : mono)
        for (const char* inner : mono)
            sheet += std::string(outer) + " " + inner + ",";
    sheet.back() = '{';
    sheet += "font-size:1em}\n";
    return sheet;
}

namespace
{
// What selection needs to know of one node, interned once.
struct NodeCss
{
    lwc_string* name = nullptr;
    lwc_string* id = nullptr;
    std::vector<lwc_string*> classes;
    std::vector<css_hint> hints;
    css_computed_style* composed = nullptr;
    bool ready = false;
};

struct Context
{
    std::vector<std::unique_ptr<NodeCss>> data;
    bool quirks = false;
    const CHtmlNode* body = nullptr;
};

Context* g_ctx = nullptr;  // valid only under the library lock, during Apply

CHtmlNode* N(void* n) { return static_cast<CHtmlNode*>(n); }

lwc_string* Intern(const std::string& s)
{
    lwc_string* r = nullptr;
    lwc_intern_string(s.data(), s.size(), &r);
    return r;
}

bool EqualNoCase(const char* a, size_t alen, const std::string& b)
{
    if (alen != b.size())
        return false;
    for (size_t i = 0; i < alen; i++)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = char(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

bool NameIs(const CHtmlNode* n, lwc_string* name)
{
    return n && n->type == NodeType::Element && EqualNoCase(lwc_string_data(name), lwc_string_length(name), n->name);
}

const std::string* Attr(const CHtmlNode* n, const css_qname* q)
{
    for (const auto& a : n->attributes)
        if (EqualNoCase(lwc_string_data(q->name), lwc_string_length(q->name), a.first))
            return &a.second;
    return nullptr;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// An HTML length attribute: pixels, or a percentage.
bool HtmlLength(const std::string* v, css_hint_length& out)
{
    if (!v)
        return false;
    std::string s = Trim(*v);
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || d < 0)
        return false;
    d = std::min(d, 100000.0);
    bool pct = *end == '%';
    out.value = FLTTOFIX(float(d));
    out.unit = pct ? CSS_UNIT_PCT : CSS_UNIT_PX;
    return true;
}

bool HtmlColor(const std::string* v, css_color& out)
{
    static const struct { const char* name; uint32_t rgb; } names[] = {
        {"black", 0x000000}, {"silver", 0xC0C0C0}, {"gray", 0x808080}, {"grey", 0x808080}, {"white", 0xFFFFFF},
        {"maroon", 0x800000}, {"red", 0xFF0000}, {"purple", 0x800080}, {"fuchsia", 0xFF00FF},
        {"green", 0x008000}, {"lime", 0x00FF00}, {"olive", 0x808000}, {"yellow", 0xFFFF00}, {"navy", 0x000080},
        {"blue", 0x0000FF}, {"teal", 0x008080}, {"aqua", 0x00FFFF}, {"orange", 0xFFA500}};
    if (!v)
        return false;
    std::string s = Lower(Trim(*v));
    for (const auto& n : names)
        if (s == n.name)
        {
            out = 0xFF000000 | n.rgb;
            return true;
        }
    if (!s.empty() && s[0] == '#')
        s.erase(0, 1);
    if (s.size() == 3)
        s = {s[0], s[0], s[1], s[1], s[2], s[2]};
    if (s.size() != 6 || s.find_first_not_of("0123456789abcdef") != std::string::npos)
        return false;
    out = 0xFF000000 | uint32_t(std::strtoul(s.c_str(), nullptr, 16));
    return true;
}

const CHtmlNode* EnclosingTable(const CHtmlNode* n)
{
    for (const CHtmlNode* p = n->parent; p; p = p->parent)
        if (p->IsElement("table"))
            return p;
    return nullptr;
}

void Hint(std::vector<css_hint>& hints, uint32_t prop, uint8_t status)
{
    css_hint h;
    std::memset(&h, 0, sizeof h);
    h.prop = prop;
    h.status = status;
    hints.push_back(h);
}

void LengthHint(std::vector<css_hint>& hints, uint32_t prop, uint8_t status, css_hint_length len)
{
    Hint(hints, prop, status);
    hints.back().data.length = len;
}

void ColorHint(std::vector<css_hint>& hints, uint32_t prop, css_color c)
{
    Hint(hints, prop, CSS_COLOR_COLOR);  // every colour property shares the value 1 for "a colour"
    hints.back().data.color = c;
}

void BoxHints(std::vector<css_hint>& hints, const uint32_t props[4], uint8_t status, css_hint_length len)
{
    for (int i = 0; i < 4; i++)
        LengthHint(hints, props[i], status, len);
}

const uint32_t kPadding[4] = {CSS_PROP_PADDING_TOP, CSS_PROP_PADDING_RIGHT, CSS_PROP_PADDING_BOTTOM,
                              CSS_PROP_PADDING_LEFT};
const uint32_t kBorderWidth[4] = {CSS_PROP_BORDER_TOP_WIDTH, CSS_PROP_BORDER_RIGHT_WIDTH,
                                  CSS_PROP_BORDER_BOTTOM_WIDTH, CSS_PROP_BORDER_LEFT_WIDTH};
const uint32_t kBorderStyle[4] = {CSS_PROP_BORDER_TOP_STYLE, CSS_PROP_BORDER_RIGHT_STYLE,
                                  CSS_PROP_BORDER_BOTTOM_STYLE, CSS_PROP_BORDER_LEFT_STYLE};
const uint32_t kBorderColor[4] = {CSS_PROP_BORDER_TOP_COLOR, CSS_PROP_BORDER_RIGHT_COLOR,
                                  CSS_PROP_BORDER_BOTTOM_COLOR, CSS_PROP_BORDER_LEFT_COLOR};

void BorderHints(std::vector<css_hint>& hints, float px, uint8_t style, css_color color)
{
    BoxHints(hints, kBorderWidth, CSS_BORDER_WIDTH_WIDTH, {FLTTOFIX(px), CSS_UNIT_PX});
    for (int i = 0; i < 4; i++)
    {
        Hint(hints, kBorderStyle[i], style);
        ColorHint(hints, kBorderColor[i], color);
    }
}

void AlignHint(std::vector<css_hint>& hints, const std::string* align)
{
    if (!align)
        return;
    std::string a = Lower(Trim(*align));
    if (a == "center" || a == "middle")
        Hint(hints, CSS_PROP_TEXT_ALIGN, CSS_TEXT_ALIGN_LIBCSS_CENTER);
    else if (a == "right")
        Hint(hints, CSS_PROP_TEXT_ALIGN, CSS_TEXT_ALIGN_LIBCSS_RIGHT);
    else if (a == "left")
        Hint(hints, CSS_PROP_TEXT_ALIGN, CSS_TEXT_ALIGN_LEFT);
    else if (a == "justify")
        Hint(hints, CSS_PROP_TEXT_ALIGN, CSS_TEXT_ALIGN_JUSTIFY);
}

void FloatHint(std::vector<css_hint>& hints, const std::string* align)
{
    if (!align)
        return;
    std::string a = Lower(Trim(*align));
    if (a == "left")
        Hint(hints, CSS_PROP_FLOAT, CSS_FLOAT_LEFT);
    else if (a == "right")
        Hint(hints, CSS_PROP_FLOAT, CSS_FLOAT_RIGHT);
}

// The presentational attributes of one element as hints below every author rule.
void BuildHints(const CHtmlNode* n, std::vector<css_hint>& hints)
{
    const std::string& tag = n->name;
    css_color c;
    css_hint_length len;
    if (tag == "body" || tag == "table" || tag == "td" || tag == "th" || tag == "tr")
    {
        if (HtmlColor(n->Attribute("bgcolor"), c))
            ColorHint(hints, CSS_PROP_BACKGROUND_COLOR, c);
    }
    if (tag == "body" && HtmlColor(n->Attribute("text"), c))
        ColorHint(hints, CSS_PROP_COLOR, c);
    // Visited and active links are never shown as such here: the body's link colour is every link's.
    if (tag == "a" && n->Attribute("href") && g_ctx->body && HtmlColor(g_ctx->body->Attribute("link"), c))
        ColorHint(hints, CSS_PROP_COLOR, c);
    // Without a DOCTYPE a table takes the page's text colour, not that of a FONT around it.
    if (tag == "table" && g_ctx->quirks)
    {
        if (!(g_ctx->body && HtmlColor(g_ctx->body->Attribute("text"), c)))
            c = 0xFF000000;
        ColorHint(hints, CSS_PROP_COLOR, c);
    }
    // IE's and Netscape's margin attributes of the body: pages made to fill a pane one line high rely on them.
    if (tag == "body")
    {
        static const struct { const char* attr; int count; uint32_t props[2]; } margins[] = {
            {"marginheight", 2, {CSS_PROP_MARGIN_TOP, CSS_PROP_MARGIN_BOTTOM}},
            {"marginwidth", 2, {CSS_PROP_MARGIN_LEFT, CSS_PROP_MARGIN_RIGHT}},
            {"topmargin", 1, {CSS_PROP_MARGIN_TOP}}, {"bottommargin", 1, {CSS_PROP_MARGIN_BOTTOM}},
            {"leftmargin", 1, {CSS_PROP_MARGIN_LEFT}}, {"rightmargin", 1, {CSS_PROP_MARGIN_RIGHT}}};
        for (const auto& m : margins)
            if (HtmlLength(n->Attribute(m.attr), len))
                for (int i = 0; i < m.count; i++)
                    LengthHint(hints, m.props[i], CSS_MARGIN_SET, len);
    }
    if (tag == "font")
    {
        if (HtmlColor(n->Attribute("color"), c))
            ColorHint(hints, CSS_PROP_COLOR, c);
        if (const std::string* face = n->Attribute("face"))
        {
            std::string first = Trim(face->substr(0, face->find(',')));
            if (!first.empty())
            {
                auto** names = static_cast<lwc_string**>(std::malloc(2 * sizeof(lwc_string*)));
                if (names)
                {
                    names[0] = Intern(first);
                    names[1] = nullptr;
                    Hint(hints, CSS_PROP_FONT_FAMILY, CSS_FONT_FAMILY_SANS_SERIF);
                    hints.back().data.strings = names;
                }
            }
        }
        if (const std::string* size = n->Attribute("size"))
        {
            std::string s = Trim(*size);
            int v = std::atoi(s.c_str());
            if (!s.empty() && (s[0] == '+' || s[0] == '-'))
                v += 3;
            if (!s.empty() && s.find_first_of("0123456789") != std::string::npos)
            {
                static const float px[8] = {10, 10, 13, 16, 18, 24, 32, 48};
                v = std::max(1, std::min(7, v));
                LengthHint(hints, CSS_PROP_FONT_SIZE, CSS_FONT_SIZE_DIMENSION, {FLTTOFIX(px[v]), CSS_UNIT_PX});
            }
        }
    }
    // A zero size is kept only for images: tracking pixels sized 0 take no room.
    if (tag == "table" || tag == "td" || tag == "th" || tag == "img" || tag == "hr" || tag == "col")
    {
        if (HtmlLength(n->Attribute("width"), len) && (len.value > 0 || tag == "img"))
            LengthHint(hints, CSS_PROP_WIDTH, CSS_WIDTH_SET, len);
    }
    if (tag == "table" || tag == "td" || tag == "th" || tag == "tr" || tag == "img")
    {
        if (HtmlLength(n->Attribute("height"), len) && (len.value > 0 || tag == "img"))
            LengthHint(hints, CSS_PROP_HEIGHT, CSS_HEIGHT_SET, len);
    }
    if (tag == "hr" && HtmlLength(n->Attribute("size"), len) && len.unit == CSS_UNIT_PX)
    {
        // HR size is its whole height, borders included.
        float h = std::max(0.f, FIXTOFLT(len.value) - 2);
        LengthHint(hints, CSS_PROP_HEIGHT, CSS_HEIGHT_SET, {FLTTOFIX(h), CSS_UNIT_PX});
    }
    if (tag == "table")
    {
        if (HtmlLength(n->Attribute("border"), len) && len.unit == CSS_UNIT_PX)
            BorderHints(hints, FIXTOFLT(len.value), CSS_BORDER_STYLE_OUTSET, 0xFF808080);
        else if (const std::string* b = n->Attribute("border"); b && Trim(*b).empty())
            BorderHints(hints, 1, CSS_BORDER_STYLE_OUTSET, 0xFF808080);
        if (HtmlLength(n->Attribute("cellspacing"), len) && len.unit == CSS_UNIT_PX)
        {
            Hint(hints, CSS_PROP_BORDER_SPACING, CSS_BORDER_SPACING_SET);
            hints.back().data.position.h = len;
            hints.back().data.position.v = len;
        }
        if (const std::string* a = n->Attribute("align"))
        {
            std::string v = Lower(Trim(*a));
            if (v == "center")
            {
                LengthHint(hints, CSS_PROP_MARGIN_LEFT, CSS_MARGIN_AUTO, {0, CSS_UNIT_PX});
                LengthHint(hints, CSS_PROP_MARGIN_RIGHT, CSS_MARGIN_AUTO, {0, CSS_UNIT_PX});
            }
            else
                FloatHint(hints, a);
        }
    }
    if (tag == "td" || tag == "th")
    {
        if (const CHtmlNode* table = EnclosingTable(n))
        {
            if (HtmlLength(table->Attribute("cellpadding"), len) && len.unit == CSS_UNIT_PX)
                BoxHints(hints, kPadding, CSS_PADDING_SET, len);
            const std::string* b = table->Attribute("border");
            if (b && (Trim(*b).empty() || std::atoi(b->c_str()) > 0))
                BorderHints(hints, 1, CSS_BORDER_STYLE_INSET, 0xFF808080);
        }
        if (n->Attribute("nowrap"))
            Hint(hints, CSS_PROP_WHITE_SPACE, CSS_WHITE_SPACE_NOWRAP);
    }
    if (tag == "td" || tag == "th" || tag == "tr" || tag == "tbody" || tag == "thead" || tag == "tfoot")
    {
        AlignHint(hints, n->Attribute("align"));
        if (const std::string* v = n->Attribute("valign"))
        {
            std::string a = Lower(Trim(*v));
            if (a == "top")
                Hint(hints, CSS_PROP_VERTICAL_ALIGN, CSS_VERTICAL_ALIGN_TOP);
            else if (a == "middle" || a == "center")
                Hint(hints, CSS_PROP_VERTICAL_ALIGN, CSS_VERTICAL_ALIGN_MIDDLE);
            else if (a == "bottom")
                Hint(hints, CSS_PROP_VERTICAL_ALIGN, CSS_VERTICAL_ALIGN_BOTTOM);
            else if (a == "baseline")
                Hint(hints, CSS_PROP_VERTICAL_ALIGN, CSS_VERTICAL_ALIGN_BASELINE);
        }
    }
    if (tag == "p" || tag == "div" || tag == "h1" || tag == "h2" || tag == "h3" || tag == "h4" || tag == "h5" ||
        tag == "h6" || tag == "caption")
        AlignHint(hints, n->Attribute("align"));
    if (tag == "img")
    {
        FloatHint(hints, n->Attribute("align"));
        if (HtmlLength(n->Attribute("border"), len) && len.unit == CSS_UNIT_PX)
            BorderHints(hints, FIXTOFLT(len.value), CSS_BORDER_STYLE_SOLID, 0xFF000000);
    }
    if (tag == "ul" || tag == "ol" || tag == "li")
    {
        if (const std::string* t = n->Attribute("type"))
        {
            std::string v = Trim(*t);
            uint8_t s = 0;
            if (v == "1")
                s = CSS_LIST_STYLE_TYPE_DECIMAL;
            else if (v == "a")
                s = CSS_LIST_STYLE_TYPE_LOWER_ALPHA;
            else if (v == "A")
                s = CSS_LIST_STYLE_TYPE_UPPER_ALPHA;
            else if (v == "i")
                s = CSS_LIST_STYLE_TYPE_LOWER_ROMAN;
            else if (v == "I")
                s = CSS_LIST_STYLE_TYPE_UPPER_ROMAN;
            else if (Lower(v) == "disc")
                s = CSS_LIST_STYLE_TYPE_DISC;
            else if (Lower(v) == "circle")
                s = CSS_LIST_STYLE_TYPE_CIRCLE;
            else if (Lower(v) == "square")
                s = CSS_LIST_STYLE_TYPE_SQUARE;
            if (s)
                Hint(hints, CSS_PROP_LIST_STYLE_TYPE, s);
        }
    }
}

NodeCss& Data(CHtmlNode* n)
{
    if (!n->selectData)
    {
        g_ctx->data.push_back(std::make_unique<NodeCss>());
        n->selectData = g_ctx->data.back().get();
    }
    NodeCss& d = *static_cast<NodeCss*>(n->selectData);
    if (!d.ready && n->type == NodeType::Element)
    {
        d.ready = true;
        d.name = Intern(n->name);
        if (const std::string* id = n->Attribute("id"))
            d.id = Intern(*id);
        if (const std::string* cls = n->Attribute("class"))
        {
            size_t i = 0;
            while (i < cls->size() && d.classes.size() < 32)
            {
                size_t b = cls->find_first_not_of(" \t\r\n\f", i);
                if (b == std::string::npos)
                    break;
                size_t e = cls->find_first_of(" \t\r\n\f", b);
                if (e == std::string::npos)
                    e = cls->size();
                d.classes.push_back(Intern(cls->substr(b, e - b)));
                i = e;
            }
        }
    }
    return d;
}

CHtmlNode* ElementParent(CHtmlNode* n)
{
    CHtmlNode* p = n->parent;
    return p && p->type == NodeType::Element ? p : nullptr;
}

CHtmlNode* PrevElement(CHtmlNode* n)
{
    for (CHtmlNode* s = n->prev; s; s = s->prev)
        if (s->type == NodeType::Element)
            return s;
    return nullptr;
}

css_error NodeName(void*, void* node, css_qname* q)
{
    q->ns = nullptr;
    q->name = lwc_string_ref(Data(N(node)).name);
    return CSS_OK;
}

css_error NodeClasses(void*, void* node, lwc_string*** classes, uint32_t* count)
{
    NodeCss& d = Data(N(node));
    for (lwc_string* c : d.classes)
        lwc_string_ref(c);
    *classes = d.classes.empty() ? nullptr : d.classes.data();
    *count = uint32_t(d.classes.size());
    return CSS_OK;
}

css_error NodeId(void*, void* node, lwc_string** id)
{
    NodeCss& d = Data(N(node));
    *id = d.id ? lwc_string_ref(d.id) : nullptr;
    return CSS_OK;
}

css_error NamedAncestor(void*, void* node, const css_qname* q, void** result)
{
    *result = nullptr;
    for (CHtmlNode* p = ElementParent(N(node)); p; p = ElementParent(p))
        if (NameIs(p, q->name))
        {
            *result = p;
            break;
        }
    return CSS_OK;
}

css_error NamedParent(void*, void* node, const css_qname* q, void** result)
{
    CHtmlNode* p = ElementParent(N(node));
    *result = NameIs(p, q->name) ? p : nullptr;
    return CSS_OK;
}

css_error NamedSibling(void*, void* node, const css_qname* q, void** result)
{
    CHtmlNode* s = PrevElement(N(node));
    *result = NameIs(s, q->name) ? s : nullptr;
    return CSS_OK;
}

css_error NamedGenericSibling(void*, void* node, const css_qname* q, void** result)
{
    *result = nullptr;
    for (CHtmlNode* s = PrevElement(N(node)); s; s = PrevElement(s))
        if (NameIs(s, q->name))
        {
            *result = s;
            break;
        }
    return CSS_OK;
}

css_error ParentNode(void*, void* node, void** result)
{
    *result = ElementParent(N(node));
    return CSS_OK;
}

css_error SiblingNode(void*, void* node, void** result)
{
    *result = PrevElement(N(node));
    return CSS_OK;
}

css_error HasName(void*, void* node, const css_qname* q, bool* match)
{
    *match = NameIs(N(node), q->name) || (lwc_string_length(q->name) == 1 && lwc_string_data(q->name)[0] == '*');
    return CSS_OK;
}

css_error HasClass(void*, void* node, lwc_string* name, bool* match)
{
    *match = false;
    for (lwc_string* c : Data(N(node)).classes)
    {
        bool eq = false;
        lwc_string_caseless_isequal(c, name, &eq);
        if (eq)
            *match = true;
    }
    return CSS_OK;
}

css_error HasId(void*, void* node, lwc_string* name, bool* match)
{
    NodeCss& d = Data(N(node));
    *match = false;
    if (d.id)
        lwc_string_caseless_isequal(d.id, name, match);
    return CSS_OK;
}

std::string Str(lwc_string* s) { return std::string(lwc_string_data(s), lwc_string_length(s)); }

css_error HasAttribute(void*, void* node, const css_qname* q, bool* match)
{
    *match = Attr(N(node), q) != nullptr;
    return CSS_OK;
}

css_error AttrEqual(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    *match = a && EqualNoCase(lwc_string_data(v), lwc_string_length(v), *a);
    return CSS_OK;
}

css_error AttrDash(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    std::string s = Str(v);
    *match = a && (*a == s || (a->size() > s.size() && a->compare(0, s.size(), s) == 0 && (*a)[s.size()] == '-'));
    return CSS_OK;
}

css_error AttrIncludes(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    std::string s = Str(v);
    *match = false;
    if (a && !s.empty())
        for (size_t i = 0; i < a->size();)
        {
            size_t e = a->find(' ', i);
            if (e == std::string::npos)
                e = a->size();
            if (a->compare(i, e - i, s) == 0)
                *match = true;
            i = e + 1;
        }
    return CSS_OK;
}

css_error AttrPrefix(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    std::string s = Str(v);
    *match = a && !s.empty() && a->compare(0, s.size(), s) == 0;
    return CSS_OK;
}

css_error AttrSuffix(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    std::string s = Str(v);
    *match = a && !s.empty() && a->size() >= s.size() && a->compare(a->size() - s.size(), s.size(), s) == 0;
    return CSS_OK;
}

css_error AttrSubstring(void*, void* node, const css_qname* q, lwc_string* v, bool* match)
{
    const std::string* a = Attr(N(node), q);
    std::string s = Str(v);
    *match = a && !s.empty() && a->find(s) != std::string::npos;
    return CSS_OK;
}

css_error IsRoot(void*, void* node, bool* match)
{
    *match = ElementParent(N(node)) == nullptr;
    return CSS_OK;
}

css_error CountSiblings(void*, void* node, bool sameName, bool after, int32_t* count)
{
    CHtmlNode* n = N(node);
    int32_t c = 0;
    for (CHtmlNode* s = after ? n->next : n->prev; s; s = after ? s->next : s->prev)
        if (s->type == NodeType::Element && (!sameName || s->name == n->name))
            c++;
    *count = c;
    return CSS_OK;
}

css_error IsEmpty(void*, void* node, bool* match)
{
    *match = N(node)->firstChild == nullptr;
    return CSS_OK;
}

css_error IsLink(void*, void* node, bool* match)
{
    *match = N(node)->IsElement("a") && N(node)->Attribute("href");
    return CSS_OK;
}

css_error False(void*, void*, bool* match)
{
    *match = false;
    return CSS_OK;
}

css_error IsLang(void*, void*, lwc_string*, bool* match)
{
    *match = false;
    return CSS_OK;
}

css_error PresentationalHint(void*, void* node, uint32_t* count, css_hint** hints)
{
    NodeCss& d = Data(N(node));
    d.hints.clear();
    BuildHints(N(node), d.hints);
    *count = uint32_t(d.hints.size());
    *hints = d.hints.empty() ? nullptr : d.hints.data();
    return CSS_OK;
}

css_error UaDefault(void*, uint32_t property, css_hint* hint)
{
    if (property == CSS_PROP_COLOR)
    {
        hint->data.color = 0xFF000000;
        hint->status = CSS_COLOR_COLOR;
    }
    else if (property == CSS_PROP_FONT_FAMILY)
    {
        hint->data.strings = nullptr;
        hint->status = CSS_FONT_FAMILY_SERIF;
    }
    else if (property == CSS_PROP_QUOTES || property == CSS_PROP_VOICE_FAMILY)
    {
        hint->data.strings = nullptr;
        hint->status = property == CSS_PROP_QUOTES ? CSS_QUOTES_NONE : 0;
    }
    else
        return CSS_INVALID;
    return CSS_OK;
}

float ToPx(css_fixed v, css_unit unit, float fontSize)
{
    float f = FIXTOFLT(v);
    switch (unit)
    {
    case CSS_UNIT_EM: case CSS_UNIT_REM: return f * fontSize;
    case CSS_UNIT_EX: case CSS_UNIT_CH: return f * fontSize / 2;
    case CSS_UNIT_PT: return f * 4 / 3;
    case CSS_UNIT_PC: return f * 16;
    case CSS_UNIT_IN: return f * 96;
    case CSS_UNIT_CM: return f * 96 / 2.54f;
    case CSS_UNIT_MM: return f * 96 / 25.4f;
    case CSS_UNIT_Q: return f * 96 / 101.6f;
    default: return f;
    }
}

css_error ComputeFontSize(void*, const css_hint* parent, css_hint* size)
{
    static const float px[] = {9, 10, 13, 16, 18, 24, 32};
    float parentPx = 16;
    if (parent)
        parentPx = ToPx(parent->data.length.value, parent->data.length.unit, 16);
    float out;
    if (size->status < CSS_FONT_SIZE_LARGER)
        out = px[std::min<int>(6, std::max<int>(0, size->status - 1))];
    else if (size->status == CSS_FONT_SIZE_LARGER)
        out = parentPx * 1.2f;
    else if (size->status == CSS_FONT_SIZE_SMALLER)
        out = parentPx / 1.2f;
    else if (size->data.length.unit == CSS_UNIT_PCT)
        out = FIXTOFLT(size->data.length.value) * parentPx / 100;
    else
        out = ToPx(size->data.length.value, size->data.length.unit, parentPx);
    // Hostile sizes stay within what layout can handle.
    out = std::max(1.f, std::min(out, 1000.f));
    size->data.length.value = FLTTOFIX(out);
    size->data.length.unit = CSS_UNIT_PX;
    size->status = CSS_FONT_SIZE_DIMENSION;
    return CSS_OK;
}

css_error SetNodeData(void*, void* node, void* data)
{
    N(node)->cssData = data;
    return CSS_OK;
}

css_error GetNodeData(void*, void* node, void** data)
{
    *data = N(node)->cssData;
    return CSS_OK;
}

css_select_handler g_handler = {
    CSS_SELECT_HANDLER_VERSION_1, NodeName, NodeClasses, NodeId, NamedAncestor, NamedParent, NamedSibling,
    NamedGenericSibling, ParentNode, SiblingNode, HasName, HasClass, HasId, HasAttribute, AttrEqual, AttrDash,
    AttrIncludes, AttrPrefix, AttrSuffix, AttrSubstring, IsRoot, CountSiblings, IsEmpty, IsLink, False, False,
    False, False, False, False, False, False, IsLang, PresentationalHint, UaDefault, ComputeFontSize,
    SetNodeData, GetNodeData};

css_error ResolveUrl(void*, const char*, lwc_string* rel, lwc_string** abs)
{
    // Nothing remote is ever fetched; the URL is kept as written.
    *abs = lwc_string_ref(rel);
    return CSS_OK;
}

css_stylesheet* MakeSheet(const std::string& text, bool inlineStyle)
{
    css_stylesheet_params params;
    std::memset(&params, 0, sizeof params);
    params.params_version = CSS_STYLESHEET_PARAMS_VERSION_1;
    params.level = CSS_LEVEL_DEFAULT;
    params.charset = "UTF-8";
    params.url = "about:blank";
    params.title = nullptr;
    params.allow_quirks = true;
    params.inline_style = inlineStyle;
    params.resolve = ResolveUrl;
    css_stylesheet* sheet = nullptr;
    if (css_stylesheet_create(&params, &sheet) != CSS_OK)
        return nullptr;
    // The library's lexer loops for ever on a backslash at the very end of a quoted string; a space after it
    // ends the escape as CSS reads it anyway.
    std::string data = text;
    if (!data.empty() && data.back() == '\\')
        data += ' ';
    css_error e = css_stylesheet_append_data(sheet, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    if (e == CSS_OK || e == CSS_NEEDDATA)
        e = css_stylesheet_data_done(sheet);
    // @import leaves the sheet waiting for imports we never fetch; it is usable as it is.
    if (e != CSS_OK && e != CSS_IMPORTS_PENDING)
    {
        css_stylesheet_destroy(sheet);
        return nullptr;
    }
    return sheet;
}

Length ToLength(uint8_t isSet, css_fixed v, css_unit unit, float fontSize)
{
    Length l;
    if (!isSet)
        return l;
    if (unit == CSS_UNIT_PCT)
    {
        l.unit = Length::Percent;
        l.value = std::max(-1000.f, std::min(FIXTOFLT(v), 1000.f));
    }
    else
    {
        l.unit = Length::Px;
        l.value = std::max(-100000.f, std::min(ToPx(v, unit, fontSize), 100000.f));
    }
    return l;
}

// Reads a length property; the accessor runs before its outputs are read.
Length Get(uint8_t (*get)(const css_computed_style*, css_fixed*, css_unit*), uint8_t setValue,
           const css_computed_style* cs, float fontSize)
{
    css_fixed v = 0;
    css_unit u = CSS_UNIT_PX;
    uint8_t status = get(cs, &v, &u);
    return ToLength(status == setValue, v, u, fontSize);
}

void Convert(const css_computed_style* cs, CHtmlStyle& s)
{
    css_fixed v;
    css_unit u;
    css_computed_font_size(cs, &v, &u);
    s.fontSize = std::max(1.f, std::min(ToPx(v, u, 16), 1000.f));
    float fs = s.fontSize;
    switch (css_computed_display(cs, false))
    {
    case CSS_DISPLAY_NONE: s.display = Display::None; break;
    case CSS_DISPLAY_BLOCK: case CSS_DISPLAY_FLEX: case CSS_DISPLAY_RUN_IN: s.display = Display::Block; break;
    case CSS_DISPLAY_INLINE_BLOCK: case CSS_DISPLAY_INLINE_FLEX: case CSS_DISPLAY_INLINE_TABLE:
        s.display = Display::InlineBlock; break;
    case CSS_DISPLAY_LIST_ITEM: s.display = Display::ListItem; break;
    case CSS_DISPLAY_TABLE: s.display = Display::Table; break;
    case CSS_DISPLAY_TABLE_ROW: s.display = Display::TableRow; break;
    case CSS_DISPLAY_TABLE_ROW_GROUP: case CSS_DISPLAY_TABLE_HEADER_GROUP: case CSS_DISPLAY_TABLE_FOOTER_GROUP:
        s.display = Display::TableRowGroup; break;
    case CSS_DISPLAY_TABLE_CELL: s.display = Display::TableCell; break;
    case CSS_DISPLAY_TABLE_CAPTION: s.display = Display::TableCaption; break;
    case CSS_DISPLAY_TABLE_COLUMN: case CSS_DISPLAY_TABLE_COLUMN_GROUP: s.display = Display::TableColumn; break;
    default: s.display = Display::Inline; break;
    }
    uint8_t f = css_computed_float(cs);
    s.floating = f == CSS_FLOAT_LEFT ? Float::Left : f == CSS_FLOAT_RIGHT ? Float::Right : Float::None;
    uint8_t cl = css_computed_clear(cs);
    s.clear = cl == CSS_CLEAR_LEFT ? 1 : cl == CSS_CLEAR_RIGHT ? 2 : cl == CSS_CLEAR_BOTH ? 3 : 0;
    s.width = Get(css_computed_width, CSS_WIDTH_SET, cs, fs);
    s.height = Get(css_computed_height, CSS_HEIGHT_SET, cs, fs);
    s.minWidth = Get(css_computed_min_width, CSS_MIN_WIDTH_SET, cs, fs);
    s.minHeight = Get(css_computed_min_height, CSS_MIN_HEIGHT_SET, cs, fs);
    s.maxWidth = Get(css_computed_max_width, CSS_MAX_WIDTH_SET, cs, fs);
    s.maxHeight = Get(css_computed_max_height, CSS_MAX_HEIGHT_SET, cs, fs);
    s.margin[0] = Get(css_computed_margin_top, CSS_MARGIN_SET, cs, fs);
    s.margin[1] = Get(css_computed_margin_right, CSS_MARGIN_SET, cs, fs);
    s.margin[2] = Get(css_computed_margin_bottom, CSS_MARGIN_SET, cs, fs);
    s.margin[3] = Get(css_computed_margin_left, CSS_MARGIN_SET, cs, fs);
    s.padding[0] = Get(css_computed_padding_top, CSS_PADDING_SET, cs, fs);
    s.padding[1] = Get(css_computed_padding_right, CSS_PADDING_SET, cs, fs);
    s.padding[2] = Get(css_computed_padding_bottom, CSS_PADDING_SET, cs, fs);
    s.padding[3] = Get(css_computed_padding_left, CSS_PADDING_SET, cs, fs);
    for (Length& p : s.padding)
        if (p.value < 0)
            p.value = 0;
    uint8_t (*widths[4])(const css_computed_style*, css_fixed*, css_unit*) = {
        css_computed_border_top_width, css_computed_border_right_width, css_computed_border_bottom_width,
        css_computed_border_left_width};
    uint8_t (*styles[4])(const css_computed_style*) = {css_computed_border_top_style, css_computed_border_right_style,
                                                       css_computed_border_bottom_style,
                                                       css_computed_border_left_style};
    uint8_t (*colors[4])(const css_computed_style*, css_color*) = {
        css_computed_border_top_color, css_computed_border_right_color, css_computed_border_bottom_color,
        css_computed_border_left_color};
    css_color col = 0;
    css_computed_color(cs, &col);
    s.color = col;
    for (int i = 0; i < 4; i++)
    {
        uint8_t st = styles[i](cs);
        uint8_t w = widths[i](cs, &v, &u);
        float px = w == CSS_BORDER_WIDTH_THIN ? 1 : w == CSS_BORDER_WIDTH_MEDIUM ? 3 : w == CSS_BORDER_WIDTH_THICK ? 5
                                                                                 : ToPx(v, u, fs);
        s.border[i] = (st == CSS_BORDER_STYLE_NONE || st == CSS_BORDER_STYLE_HIDDEN) ? 0
                                                                                      : std::max(0.f, std::min(px, 1000.f));
        css_color bc = 0;
        s.borderColor[i] = colors[i](cs, &bc) == CSS_BORDER_COLOR_CURRENT_COLOR ? s.color : bc;
    }
    css_color bg = 0;
    s.background = css_computed_background_color(cs, &bg) == CSS_BACKGROUND_COLOR_CURRENT_COLOR ? s.color : bg;
    lwc_string** names = nullptr;
    switch (css_computed_font_family(cs, &names))
    {
    case CSS_FONT_FAMILY_SANS_SERIF: s.fontFamily = "sans-serif"; break;
    case CSS_FONT_FAMILY_MONOSPACE: s.fontFamily = "monospace"; break;
    case CSS_FONT_FAMILY_CURSIVE: s.fontFamily = "cursive"; break;
    case CSS_FONT_FAMILY_FANTASY: s.fontFamily = "fantasy"; break;
    default: s.fontFamily = "serif"; break;
    }
    if (names && names[0])
    {
        // The whole list, the generic family last, so the drawing side takes the first face it has.
        std::string list;
        for (size_t i = 0; names[i] && i < 16; i++)
            list += Str(names[i]) + ", ";
        s.fontFamily = list + s.fontFamily;
    }
    uint8_t w = css_computed_font_weight(cs);
    s.fontWeight = (w == CSS_FONT_WEIGHT_BOLD || w == CSS_FONT_WEIGHT_BOLDER || w >= CSS_FONT_WEIGHT_600) &&
                           w != CSS_FONT_WEIGHT_LIGHTER
                       ? 700
                       : 400;
    s.italic = css_computed_font_style(cs) != CSS_FONT_STYLE_NORMAL;
    uint8_t deco = css_computed_text_decoration(cs);
    s.underline = (deco & CSS_TEXT_DECORATION_UNDERLINE) != 0;
    s.lineThrough = (deco & CSS_TEXT_DECORATION_LINE_THROUGH) != 0;
    switch (css_computed_line_height(cs, &v, &u))
    {
    case CSS_LINE_HEIGHT_NUMBER: s.lineHeight = FIXTOFLT(v) * fs; break;
    case CSS_LINE_HEIGHT_DIMENSION: s.lineHeight = u == CSS_UNIT_PCT ? FIXTOFLT(v) * fs / 100 : ToPx(v, u, fs); break;
    default: s.lineHeight = 0; break;
    }
    s.lineHeight = std::max(0.f, std::min(s.lineHeight, 2000.f));
    switch (css_computed_text_align(cs))
    {
    case CSS_TEXT_ALIGN_RIGHT: case CSS_TEXT_ALIGN_LIBCSS_RIGHT: s.textAlign = TextAlign::Right; break;
    case CSS_TEXT_ALIGN_CENTER: case CSS_TEXT_ALIGN_LIBCSS_CENTER: s.textAlign = TextAlign::Center; break;
    case CSS_TEXT_ALIGN_JUSTIFY: s.textAlign = TextAlign::Justify; break;
    default: s.textAlign = TextAlign::Left; break;
    }
    uint8_t ta = css_computed_text_align(cs);
    s.blockAlign = ta == CSS_TEXT_ALIGN_LIBCSS_CENTER ? 1 : ta == CSS_TEXT_ALIGN_LIBCSS_RIGHT ? 2 : 0;
    switch (css_computed_vertical_align(cs, &v, &u))
    {
    case CSS_VERTICAL_ALIGN_TOP: case CSS_VERTICAL_ALIGN_TEXT_TOP: s.verticalAlign = VAlign::Top; break;
    case CSS_VERTICAL_ALIGN_MIDDLE: s.verticalAlign = VAlign::Middle; break;
    case CSS_VERTICAL_ALIGN_BOTTOM: case CSS_VERTICAL_ALIGN_TEXT_BOTTOM: s.verticalAlign = VAlign::Bottom; break;
    case CSS_VERTICAL_ALIGN_SUB: s.verticalAlign = VAlign::Sub; break;
    case CSS_VERTICAL_ALIGN_SUPER: s.verticalAlign = VAlign::Super; break;
    default: s.verticalAlign = VAlign::Baseline; break;
    }
    switch (css_computed_white_space(cs))
    {
    case CSS_WHITE_SPACE_PRE: s.whiteSpace = WhiteSpace::Pre; break;
    case CSS_WHITE_SPACE_NOWRAP: s.whiteSpace = WhiteSpace::Nowrap; break;
    case CSS_WHITE_SPACE_PRE_WRAP: s.whiteSpace = WhiteSpace::PreWrap; break;
    case CSS_WHITE_SPACE_PRE_LINE: s.whiteSpace = WhiteSpace::PreLine; break;
    default: s.whiteSpace = WhiteSpace::Normal; break;
    }
    switch (css_computed_list_style_type(cs))
    {
    case CSS_LIST_STYLE_TYPE_NONE: s.listStyle = ListStyle::None; break;
    case CSS_LIST_STYLE_TYPE_CIRCLE: s.listStyle = ListStyle::Circle; break;
    case CSS_LIST_STYLE_TYPE_SQUARE: s.listStyle = ListStyle::Square; break;
    case CSS_LIST_STYLE_TYPE_DECIMAL: case CSS_LIST_STYLE_TYPE_DECIMAL_LEADING_ZERO:
        s.listStyle = ListStyle::Decimal; break;
    case CSS_LIST_STYLE_TYPE_LOWER_ALPHA: case CSS_LIST_STYLE_TYPE_LOWER_LATIN:
        s.listStyle = ListStyle::LowerAlpha; break;
    case CSS_LIST_STYLE_TYPE_UPPER_ALPHA: case CSS_LIST_STYLE_TYPE_UPPER_LATIN:
        s.listStyle = ListStyle::UpperAlpha; break;
    case CSS_LIST_STYLE_TYPE_LOWER_ROMAN: s.listStyle = ListStyle::LowerRoman; break;
    case CSS_LIST_STYLE_TYPE_UPPER_ROMAN: s.listStyle = ListStyle::UpperRoman; break;
    default: s.listStyle = ListStyle::Disc; break;
    }
    uint8_t ox = css_computed_overflow_x(cs);
    s.clip = ox == CSS_OVERFLOW_HIDDEN || ox == CSS_OVERFLOW_SCROLL || ox == CSS_OVERFLOW_AUTO;
    s.hidden = css_computed_visibility(cs) != CSS_VISIBILITY_VISIBLE;
    s.borderBox = css_computed_box_sizing(cs) == CSS_BOX_SIZING_BORDER_BOX;
    css_fixed hv, vv;
    css_unit hu, vu;
    if (css_computed_border_spacing(cs, &hv, &hu, &vv, &vu) == CSS_BORDER_SPACING_SET)
        s.borderSpacing = std::max(0.f, std::min(ToPx(hv, hu, fs), 1000.f));
    if (css_computed_text_indent(cs, &v, &u) == CSS_TEXT_INDENT_SET && u != CSS_UNIT_PCT)
        s.textIndent = std::max(-1000.f, std::min(ToPx(v, u, fs), 1000.f));
}

// The user-agent sheet's vertical margin factors (in em) of the elements whose margins are quirky.
float UaMarginEm(const std::string& tag)
{
    static const struct { const char* tag; float em; } margins[] = {
        {"p", 1}, {"ul", 1}, {"ol", 1}, {"dl", 1}, {"dir", 1}, {"menu", 1}, {"blockquote", 1}, {"pre", 1},
        {"h1", .67f}, {"h2", .75f}, {"h3", .83f}, {"h4", 1}, {"h5", 1.5f}, {"h6", 1.67f}};
    for (const auto& m : margins)
        if (tag == m.tag)
            return m.em;
    return 0;
}

// What CSS computes but the library leaves to us: decorations drawn through descendants, and which margins
// are still the user-agent sheet's own (an author's equal value is taken as the same).
void Inherit(const CHtmlNode& n, const CHtmlStyle& parent, CHtmlStyle& s, bool quirks)
{
    bool atomic = s.display == Display::Table || s.display == Display::InlineBlock || s.floating != Float::None;
    if (!atomic && n.parent && n.parent->type == NodeType::Element)
    {
        s.underline = s.underline || parent.underline;
        s.lineThrough = s.lineThrough || parent.lineThrough;
    }
    float em = quirks ? UaMarginEm(n.name) : 0;
    if (em > 0)
    {
        auto isUa = [&](const Length& m) {
            return m.unit == Length::Px && std::fabs(m.value - em * s.fontSize) < 0.01f;
        };
        s.quirkyTop = isUa(s.margin[0]);
        s.quirkyBottom = isUa(s.margin[2]);
    }
}
}

CHtmlStyler::CHtmlStyler() = default;
CHtmlStyler::~CHtmlStyler() = default;

void CHtmlStyler::Apply(CHtmlDocument& doc, float viewportWidth)
{
    // Author sheets: every <style> element's text, in document order.
    std::vector<std::string> authorTexts;
    doc.Walk([&](const CHtmlNode* n) {
        if (n->IsElement("style"))
        {
            std::string text;
            for (const CHtmlNode* c = n->firstChild; c; c = c->next)
                if (c->type == NodeType::Text)
                    text += c->text;
            authorTexts.push_back(std::move(text));
        }
    });

    std::lock_guard<std::mutex> lock(LibraryLock());
    Context ctx;
    g_ctx = &ctx;
    css_select_ctx* select = nullptr;
    css_select_ctx_create(&select);
    std::vector<css_stylesheet*> sheets;
    // The user-agent sheets are parsed once for the process and kept: parsing them was most of the cost of a
    // short mail. Only used under the library lock.
    static css_stylesheet* const ua = MakeSheet(UserAgentSheet(), false);
    static css_stylesheet* const quirks = MakeSheet(QuirksSheet(), false);
    if (ua)
        css_select_ctx_append_sheet(select, ua, CSS_ORIGIN_UA, nullptr);
    if (doc.Quirks() && quirks)
        css_select_ctx_append_sheet(select, quirks, CSS_ORIGIN_UA, nullptr);
    ctx.quirks = doc.Quirks();
    ctx.body = doc.Body();
    for (const std::string& t : authorTexts)
        if (css_stylesheet* s = MakeSheet(t, false))
        {
            sheets.push_back(s);
            css_select_ctx_append_sheet(select, s, CSS_ORIGIN_AUTHOR, nullptr);
        }
    css_media media;
    std::memset(&media, 0, sizeof media);
    media.type = CSS_MEDIA_SCREEN;
    // Responsive mail keeps its desktop layout in a desktop pane: its queries compare against the pane's width.
    const float w = std::max(1.f, std::min(viewportWidth, 100000.f));
    media.width = FLTTOFIX(w);
    media.height = FLTTOFIX(768.f);
    media.aspect_ratio = FLTTOFIX(w / 768.f);
    media.orientation = w >= 768 ? CSS_MEDIA_ORIENTATION_LANDSCAPE : CSS_MEDIA_ORIENTATION_PORTRAIT;

    auto defaultStyle = std::make_unique<CHtmlStyle>();
    const CHtmlStyle* rootStyle = defaultStyle.get();
    m_styles.push_back(std::move(defaultStyle));
    std::vector<css_computed_style*> owned;
    CHtmlNode* root = doc.Root();
    root->style = rootStyle;
    doc.Walk([&](const CHtmlNode* cn) {
        CHtmlNode* n = const_cast<CHtmlNode*>(cn);
        if (n == root)
            return;
        if (n->type != NodeType::Element)
        {
            n->style = n->parent ? n->parent->style : rootStyle;
            return;
        }
        css_stylesheet* inlineSheet = nullptr;
        if (const std::string* st = n->Attribute("style"))
            inlineSheet = MakeSheet(*st, true);
        css_select_results* results = nullptr;
        css_error e = css_select_style(select, n, &media, inlineSheet, &g_handler, nullptr, &results);
        if (inlineSheet)
            css_stylesheet_destroy(inlineSheet);
        const CHtmlStyle* parentStyle = n->parent && n->parent->style ? n->parent->style : rootStyle;
        if (e != CSS_OK || !results || !results->styles[CSS_PSEUDO_ELEMENT_NONE])
        {
            if (results)
                css_select_results_destroy(results);
            n->style = parentStyle;
            return;
        }
        css_computed_style* computed = results->styles[CSS_PSEUDO_ELEMENT_NONE];
        css_computed_style* composed = nullptr;
        CHtmlNode* parent = ElementParent(n);
        NodeCss* parentData = parent ? static_cast<NodeCss*>(parent->selectData) : nullptr;
        if (parentData && parentData->composed &&
            css_computed_style_compose(parentData->composed, computed, ComputeFontSize, nullptr, &composed) ==
                CSS_OK)
            owned.push_back(composed);
        else
        {
            // The root element: its style is complete as selected; it outlives the results.
            composed = computed;
            results->styles[CSS_PSEUDO_ELEMENT_NONE] = nullptr;
            owned.push_back(composed);
        }
        css_select_results_destroy(results);
        Data(n).composed = composed;
        auto style = std::make_unique<CHtmlStyle>();
        Convert(composed, *style);
        Inherit(*n, *parentStyle, *style, ctx.quirks);
        n->style = style.get();
        m_styles.push_back(std::move(style));
    });

    // Release everything the library holds for this document.
    doc.Walk([&](const CHtmlNode* cn) {
        CHtmlNode* n = const_cast<CHtmlNode*>(cn);
        if (n->cssData)
        {
            css_libcss_node_data_handler(&g_handler, CSS_NODE_DELETED, nullptr, n, nullptr, n->cssData);
            n->cssData = nullptr;
        }
        n->selectData = nullptr;
    });
    for (auto& d : ctx.data)
    {
        if (d->name)
            lwc_string_unref(d->name);
        if (d->id)
            lwc_string_unref(d->id);
        for (lwc_string* c : d->classes)
            lwc_string_unref(c);
    }
    for (css_computed_style* s : owned)
        css_computed_style_destroy(s);
    for (css_stylesheet* s : sheets)
        css_stylesheet_destroy(s);
    css_select_ctx_destroy(select);
    g_ctx = nullptr;
}
}

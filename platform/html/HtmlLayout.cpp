// Layout of a styled document into boxes with positions, for a given width and font metrics.
#include "platform/html/HtmlLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/html/HtmlText.h"

namespace html
{
namespace
{
// Recursion over the box tree is bounded: the document is at most kMaxDepth deep, and anonymous levels add
// a few per element at most.
constexpr int kMaxGuard = CHtmlDocument::kMaxDepth * 3;

bool IsBlockLevel(const CHtmlStyle* s)
{
    return s && (s->display == Display::Block || s->display == Display::ListItem || s->display == Display::Table ||
                 s->display == Display::TableRow || s->display == Display::TableRowGroup ||
                 s->display == Display::TableCell || s->display == Display::TableCaption);
}

float Horizontal(const CHtmlStyle* s, float base)
{
    return s->padding[1].Resolve(base) + s->padding[3].Resolve(base) + s->border[1] + s->border[3];
}

// Where a block narrower than its container starts, when the container's align attribute or <center>
// places its blocks.
float AlignedLeft(const CHtmlNode* node, float width, float boxW, float ml, float mr)
{
    const CHtmlNode* p = node->parent;
    const CHtmlStyle* ps = p && p->type == NodeType::Element ? p->style : nullptr;
    float free = width - ml - mr - boxW;
    if (!ps || ps->blockAlign == 0 || free <= 0)
        return ml;
    return ps->blockAlign == 1 ? ml + free / 2 : ml + free;
}

std::string ListMarker(ListStyle type, int index)
{
    switch (type)
    {
    case ListStyle::None: return std::string();
    case ListStyle::Disc: return "\xE2\x80\xA2";
    case ListStyle::Circle: return "\xE2\x97\xA6";
    case ListStyle::Square: return "\xE2\x96\xAA";
    case ListStyle::LowerAlpha: case ListStyle::UpperAlpha:
    {
        std::string s;
        int n = std::max(1, index);
        while (n > 0 && s.size() < 8)
        {
            n--;
            s.insert(s.begin(), char((type == ListStyle::LowerAlpha ? 'a' : 'A') + n % 26));
            n /= 26;
        }
        return s + ".";
    }
    case ListStyle::LowerRoman: case ListStyle::UpperRoman:
    {
        static const struct { int v; const char* s; } r[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                              {100, "c"}, {90, "xc"}, {50, "l"}, {40, "xl"},
                                                              {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
        std::string s;
        int n = std::max(1, std::min(index, 3999));
        for (const auto& e : r)
            while (n >= e.v)
                s += e.s, n -= e.v;
        if (type == ListStyle::UpperRoman)
            for (char& c : s)
                c = char(c - 32);
        return s + ".";
    }
    default: return std::to_string(index) + ".";
    }
}
}

float CHtmlFixedMetrics::TextWidth(const CHtmlStyle& font, const char* utf8, size_t len)
{
    std::string s(utf8, len);
    float w = 0;
    size_t pos = 0;
    while (pos < s.size())
        w += IsIdeographic(NextCodePoint(s, pos)) ? font.fontSize : font.fontSize * 0.5f;
    return w;
}

namespace
{
// Floats looked at by the searches of the layout under way on this thread.
thread_local size_t t_floatSteps = 0;
}

// Floats of one block formatting context, in document coordinates.
struct CHtmlLayout::FloatArea
{
    // The floats of one side, in the order placed, which is also the order of their tops (no float goes
    // higher than the one before it). A line or float looks only at those whose top lies within the tallest
    // float's height above it: a page of thousands of floats is not searched whole for every line.
    struct Side
    {
        std::vector<Rect> all;
        float tallest = 0;
        float bottom = -1e30f;

        bool empty() const { return all.empty(); }
        void Add(const Rect& r)
        {
            all.push_back(r);
            tallest = std::max(tallest, r.h);
            bottom = std::max(bottom, r.Bottom());
        }
        // Calls f for every float that overlaps [y, end) vertically (and maybe for some that do not).
        template <class F>
        void Overlapping(float y, float end, F&& f) const
        {
            const float from = y - tallest;
            auto it = std::upper_bound(all.begin(), all.end(), from,
                                       [](float v, const Rect& r) { return v < r.y; });
            for (; it != all.end() && it->y < end; ++it)
            {
                ++t_floatSteps;
                if (it->Bottom() > y)
                    f(*it);
            }
        }
    };
    Side left, right;
    float lastTop = -1e30f;  // of the float placed last: the next one goes no higher

    // The free span [x0, x1) for a line from y to y + h inside [x, x + width).
    void Span(float x, float width, float y, float h, float& x0, float& x1) const
    {
        x0 = x;
        x1 = x + width;
        const float end = y + std::max(h, 1.f);
        left.Overlapping(y, end, [&](const Rect& r) { x0 = std::max(x0, r.Right()); });
        right.Overlapping(y, end, [&](const Rect& r) { x1 = std::min(x1, r.x); });
    }
    float ClearY(float y, int which) const
    {
        if (which & 1)
            y = std::max(y, left.bottom);
        if (which & 2)
            y = std::max(y, right.bottom);
        return y;
    }
    float Bottom() const { return ClearY(-1e9f, 3); }
};

// One unit of an inline formatting context.
struct CHtmlLayout::InlineItem
{
    enum Kind { Text, Break, Atomic, Float };
    Kind kind = Text;
    std::string text;
    const CHtmlStyle* style = nullptr;
    const CHtmlNode* node = nullptr;
    const CHtmlNode* link = nullptr;
};

// A table's cells placed on its grid, with the content widths of its columns.
struct CHtmlLayout::Grid
{
    struct Cell
    {
        const CHtmlNode* node;
        int row, col, colspan, rowspan;
        float minW = 0, maxW = 0;
        CHtmlBox* box = nullptr;
    };
    std::vector<const CHtmlNode*> rows;
    std::vector<Cell> cells;
    int columns = 0;
    float frame = 0;  // borders, padding and spacing across
    std::vector<float> colMin, colMax, colFixed, colPct;
    float sumMin = 0, sumMax = 0;
};

CHtmlLayout::CHtmlLayout(const CHtmlDocument& doc, IHtmlFontMetrics& metrics, const ImageSizes* images)
    : m_doc(doc), m_metrics(metrics), m_images(images)
{
}

const CHtmlBox* CHtmlLayout::BoxFor(const CHtmlNode* node) const
{
    auto it = m_boxes.find(node);
    return it == m_boxes.end() ? nullptr : it->second;
}

bool CHtmlLayout::AnchorY(const std::string& name, float& y) const
{
    std::string n = !name.empty() && name[0] == '#' ? name.substr(1) : name;
    auto it = m_anchors.find(n);
    if (it == m_anchors.end())
        return false;
    y = it->second;
    return true;
}

void CHtmlLayout::Anchor(const CHtmlNode* node, float y)
{
    if (node->type != NodeType::Element)
        return;
    const std::string* id = node->Attribute("id");
    if (!id && node->name == "a")
        id = node->Attribute("name");
    if (id && !id->empty() && !m_anchors.count(*id))
        m_anchors[*id] = y;
}

float CHtmlLayout::LineHeight(const CHtmlStyle& s)
{
    return s.lineHeight > 0 ? s.lineHeight : m_metrics.Ascent(s) + m_metrics.Descent(s) + m_metrics.LineGap(s);
}

void CHtmlLayout::Separator(const char* sep)
{
    // The strongest pending separator wins: a line break over a tab over a space.
    auto rank = [](const std::string& s) { return s.empty() ? 0 : s == " " ? 1 : s == "\t" ? 2 : 3; };
    if (rank(sep) > rank(m_pendingSeparator))
        m_pendingSeparator = sep;
}

void CHtmlLayout::Layout(float width)
{
    m_runs.clear();
    m_boxes.clear();
    m_anchors.clear();
    m_minMax.clear();
    m_pendingSeparator.clear();
    m_root = CHtmlBox();
    m_width = std::max(1.f, width);
    m_hasClip = false;
    t_floatSteps = 0;
    FloatArea floats;
    const CHtmlNode* html = nullptr;
    for (const CHtmlNode* n = m_doc.Root()->firstChild; n; n = n->next)
        if (n->type == NodeType::Element)
            html = n;
    m_root.kind = CHtmlBox::Block;
    m_root.node = m_doc.Root();
    m_root.style = m_doc.Root()->style;
    float h = 0;
    if (html && html->style)
        h = LayoutBlock(m_root, html, 0, 0, m_width, floats);
    h = std::max(h, floats.Bottom());
    m_root.rect = {0, 0, m_width, h};
    m_height = h;
    if (!m_runs.empty())
        m_runs.front().separator.clear();
    m_floatSteps = t_floatSteps;
}

float CHtmlLayout::ImageWidth(const CHtmlNode* node, float avail, float& height)
{
    const CHtmlStyle* s = node->style;
    float w = -1, h = -1;
    if (s->width.unit != Length::Auto)
        w = s->width.Resolve(avail);
    if (s->height.unit == Length::Px)
        h = s->height.value;
    float iw = 20, ih = 20;  // an image of unknown size shows as a small placeholder
    if (m_images)
        if (const std::string* src = node->Attribute("src"))
        {
            auto it = m_images->find(*src);
            if (it != m_images->end())
                iw = it->second.first, ih = it->second.second;
        }
    bool autoHeight = h < 0;
    if (w < 0 && h < 0)
        w = iw, h = ih;
    else if (w < 0)
        w = ih > 0 ? iw * h / ih : iw;
    else if (h < 0)
        h = iw > 0 ? ih * w / iw : ih;
    // max-width:100% keeps a wide image in its column; a percentage is nothing yet while content widths are
    // being measured (avail 0).
    if (s->maxWidth.unit == Length::Px || (s->maxWidth.unit == Length::Percent && avail > 0))
    {
        float mw = std::max(0.f, s->maxWidth.Resolve(avail));
        if (w > mw)
        {
            if (autoHeight && w > 0)
                h = h * mw / w;
            w = mw;
        }
    }
    height = std::max(0.f, std::min(h, 100000.f));
    return std::max(0.f, std::min(w, 100000.f));
}

void CHtmlLayout::CollectInline(const CHtmlNode* node, std::vector<InlineItem>& items, const CHtmlNode* link,
                                int guard, const std::function<void(const CHtmlNode*)>& onBlock)
{
    if (guard > kMaxGuard)
        return;
    for (const CHtmlNode* c = node->firstChild; c; c = c->next)
    {
        const CHtmlStyle* s = c->style;
        if (!s)
            continue;
        if (c->type == NodeType::Text)
        {
            InlineItem it;
            it.kind = InlineItem::Text;
            it.text = c->text;
            it.style = s;
            it.node = c;
            it.link = link;
            items.push_back(std::move(it));
            continue;
        }
        if (s->display == Display::None)
            continue;
        InlineItem it;
        it.style = s;
        it.node = c;
        it.link = link;
        if (s->floating != Float::None)
        {
            it.kind = InlineItem::Float;
            items.push_back(std::move(it));
        }
        else if (c->name == "br")
        {
            it.kind = InlineItem::Break;
            items.push_back(std::move(it));
        }
        else if (IsBlockLevel(s) && onBlock)
            onBlock(c);
        else if (c->name == "img" || s->display == Display::InlineBlock || IsBlockLevel(s))
        {
            it.kind = InlineItem::Atomic;
            items.push_back(std::move(it));
        }
        else
        {
            // An anchor target inside inline content: a zero-width text item marks where it is.
            if (c->Attribute("id") || (c->name == "a" && c->Attribute("name")))
            {
                InlineItem mark;
                mark.kind = InlineItem::Text;
                mark.style = s;
                mark.node = c;
                items.push_back(std::move(mark));
            }
            const CHtmlNode* l = c->name == "a" && c->Attribute("href") ? c : link;
            CollectInline(c, items, l, guard + 1, onBlock);
        }
    }
}

float CHtmlLayout::LayoutInline(CHtmlBox& box, std::vector<InlineItem>& items, float x, float y, float width,
                                FloatArea& floats, const CHtmlStyle* blockStyle)
{
    // Pieces: words, spaces and atomic boxes, each with its width; breaks are allowed after spaces and around
    // ideographs.
    struct Piece
    {
        std::string text;
        const InlineItem* item = nullptr;
        float width = 0;
        bool space = false;
        bool breakAfter = false;
        bool forced = false;
        std::unique_ptr<CHtmlBox> atomic;
        size_t runsFrom = 0, runsTo = 0;
        float ascent = 0;  // of an atomic box: how far above the baseline it stands
    };
    std::vector<Piece> pieces;
    bool lastSpace = true;  // leading white space of a block is dropped
    for (InlineItem& item : items)
    {
        if (item.kind == InlineItem::Break)
        {
            Piece p;
            p.item = &item;
            p.forced = true;
            pieces.push_back(std::move(p));
            lastSpace = true;
            continue;
        }
        if (item.kind == InlineItem::Float)
        {
            Piece p;
            p.item = &item;
            pieces.push_back(std::move(p));
            continue;
        }
        if (item.kind == InlineItem::Atomic)
        {
            Piece p;
            p.item = &item;
            p.atomic = std::make_unique<CHtmlBox>();
            FloatArea own;
            p.runsFrom = m_runs.size();
            if (item.node->name == "img")
            {
                float h = 0;
                float w = ImageWidth(item.node, width, h);
                p.atomic->kind = CHtmlBox::Image;
                p.atomic->node = item.node;
                p.atomic->style = item.style;
                const CHtmlStyle* s = item.style;
                p.atomic->rect = {0, 0, w + s->border[1] + s->border[3], h + s->border[0] + s->border[2]};
            }
            else
            {
                float minW, maxW;
                MinMax(item.node, minW, maxW, 0);
                const bool sized = item.style->width.unit != Length::Auto;
                float w = sized ? item.style->width.Resolve(width) +
                                      (item.style->borderBox ? 0 : Horizontal(item.style, width))
                                : std::min(std::max(minW, width), maxW);
                // A set width resolves against the line's width, once; shrink-to-fit content gets its width.
                if (item.style->display == Display::Table || item.node->name == "table")
                    LayoutTable(*p.atomic, item.node, 0, 0, sized ? width : w);
                else
                    LayoutBlock(*p.atomic, item.node, 0, 0, sized ? width : w, own);
            }
            p.runsTo = m_runs.size();
            p.width = p.atomic->rect.w;
            // An inline-block sits on the baseline of its last line of text, an image on its bottom edge.
            p.ascent = p.atomic->rect.h;
            if (item.style->display == Display::InlineBlock && item.node->name != "img" && !item.style->clip &&
                item.node->name != "table" && p.runsTo > p.runsFrom)
                p.ascent = std::min(p.atomic->rect.h, std::max(0.f, m_runs[p.runsTo - 1].baseline -
                                                                        p.atomic->rect.y));
            p.breakAfter = true;
            pieces.push_back(std::move(p));
            lastSpace = false;
            continue;
        }
        const CHtmlStyle* s = item.style;
        bool pre = s->whiteSpace == WhiteSpace::Pre || s->whiteSpace == WhiteSpace::PreWrap;
        bool keepNewlines = pre || s->whiteSpace == WhiteSpace::PreLine;
        bool wrap = s->whiteSpace != WhiteSpace::Pre && s->whiteSpace != WhiteSpace::Nowrap;
        if (item.text.empty())
        {
            Piece p;
            p.item = &item;
            pieces.push_back(std::move(p));
            continue;
        }
        std::string word;
        auto flushWord = [&](bool breakAfter) {
            if (word.empty())
                return;
            Piece p;
            p.item = &item;
            p.text = std::move(word);
            p.width = m_metrics.TextWidth(*s, p.text.data(), p.text.size());
            p.breakAfter = breakAfter && wrap;
            pieces.push_back(std::move(p));
            word.clear();
        };
        float spaceWidth = -1;
        size_t pos = 0;
        const std::string& t = item.text;
        while (pos < t.size())
        {
            size_t start = pos;
            uint32_t cp = NextCodePoint(t, pos);
            if (cp == '\n' && keepNewlines)
            {
                flushWord(false);
                Piece p;
                p.item = &item;
                p.forced = true;
                pieces.push_back(std::move(p));
                lastSpace = !pre;
                continue;
            }
            if (cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f')
            {
                if (cp == '\r' && keepNewlines)
                    continue;
                flushWord(false);
                if (pre)
                {
                    // A stretch of white space is one piece: a piece for each of a megabyte of spaces
                    // would cost a hundred times the page's size.
                    const size_t n = cp == '\t' ? 8 : 1;
                    if (spaceWidth < 0)
                        spaceWidth = m_metrics.TextWidth(*s, " ", 1);
                    if (!pieces.empty() && pieces.back().item == &item && pieces.back().space)
                    {
                        pieces.back().text.append(n, ' ');
                        pieces.back().width += spaceWidth * n;
                    }
                    else
                    {
                        Piece p;
                        p.item = &item;
                        p.text.assign(n, ' ');
                        p.width = spaceWidth * n;
                        p.space = true;
                        p.breakAfter = wrap;
                        pieces.push_back(std::move(p));
                    }
                }
                else if (!lastSpace)
                {
                    Piece p;
                    p.item = &item;
                    p.text = " ";
                    p.width = m_metrics.TextWidth(*s, " ", 1);
                    p.space = true;
                    p.breakAfter = wrap;
                    pieces.push_back(std::move(p));
                }
                lastSpace = true;
                continue;
            }
            lastSpace = false;
            if (IsIdeographic(cp))
            {
                // An ideograph stands alone; a closing mark after it stays with it.
                flushWord(true);
                word.assign(t, start, pos - start);
                size_t peek = pos;
                if (peek < t.size() && NoBreakBefore(NextCodePoint(t, peek)))
                {
                    word.append(t, pos, peek - pos);
                    pos = peek;
                }
                flushWord(true);
                continue;
            }
            word.append(t, start, pos - start);
        }
        flushWord(false);
    }

    // Greedy line filling.
    float cursorY = y;
    float indent = blockStyle ? blockStyle->textIndent : 0;
    size_t i = 0;
    bool firstLine = true;
    while (i < pieces.size())
    {
        // Trailing and leading spaces at a line start are dropped in wrapping text.
        while (i < pieces.size() && pieces[i].space && pieces[i].item->style->whiteSpace != WhiteSpace::Pre &&
               pieces[i].item->style->whiteSpace != WhiteSpace::PreWrap)
            i++;
        if (i >= pieces.size())
            break;
        float lineGuess = blockStyle ? std::max(blockStyle->lineHeight, blockStyle->fontSize * 1.2f) : 16;
        float x0, x1;
        floats.Span(x, width, cursorY, lineGuess, x0, x1);
        if (firstLine)
            x0 += indent;
        float avail = std::max(0.f, x1 - x0);
        // Find the end of this line.
        size_t end = i;
        float used = 0;
        size_t lastBreak = SIZE_MAX;
        float usedAtBreak = 0;
        while (end < pieces.size())
        {
            Piece& p = pieces[end];
            if (p.forced)
                break;
            if (p.item->kind == InlineItem::Float)
            {
                end++;
                continue;
            }
            if (used + p.width > avail && end > i && !p.space)
            {
                if (lastBreak != SIZE_MAX)
                {
                    end = lastBreak + 1;
                    used = usedAtBreak;
                }
                break;
            }
            used += p.width;
            if (p.breakAfter)
                lastBreak = end, usedAtBreak = used;
            end++;
        }
        bool forcedBreak = end < pieces.size() && pieces[end].forced;
        if (end == i && !forcedBreak)
            end = i + 1;
        // A line too wide beside floats moves below them when it would fit there.
        if (used > avail && (x1 - x0) < width && !(floats.left.empty() && floats.right.empty()))
        {
            float below = floats.ClearY(cursorY, 3);
            if (below > cursorY)
            {
                cursorY = below;
                continue;
            }
        }
        // Line metrics: the half-leading model over every piece's style.
        float above = 0, belowBase = 0;
        // Without a DOCTYPE the block's own line height counts only where text or a break sits directly in
        // it, and an inline element's only where it holds text: sliced images meet with no gap for descenders
        // and lines of small FONT text stay small.
        const bool quirks = m_doc.Quirks();
        auto hasText = [](const Piece& p) {
            return p.item->kind == InlineItem::Text && !p.space && !p.text.empty();
        };
        auto direct = [&](const Piece& p) { return p.item->node && p.item->node->parent == box.node; };
        bool strut = !quirks || (forcedBreak && direct(pieces[end]));
        for (size_t k = i; k < end && !strut; k++)
            strut = hasText(pieces[k]) && direct(pieces[k]);
        if (blockStyle && strut)
        {
            float lh = LineHeight(*blockStyle);
            float half = (lh - m_metrics.Ascent(*blockStyle) - m_metrics.Descent(*blockStyle)) / 2;
            above = m_metrics.Ascent(*blockStyle) + half;
            belowBase = lh - above;
        }
        for (size_t k = i; k < end; k++)
        {
            Piece& p = pieces[k];
            const CHtmlStyle* s = p.item->style;
            if (p.atomic)
            {
                if (s->verticalAlign == VAlign::Baseline || s->verticalAlign == VAlign::Sub ||
                    s->verticalAlign == VAlign::Super)
                {
                    above = std::max(above, p.ascent);
                    belowBase = std::max(belowBase, p.atomic->rect.h - p.ascent);
                }
                continue;
            }
            if (p.item->kind != InlineItem::Text || (quirks && !hasText(p)))
                continue;
            float asc = m_metrics.Ascent(*s), desc = m_metrics.Descent(*s);
            float lh = LineHeight(*s);
            float half = (lh - asc - desc) / 2;
            above = std::max(above, asc + half);
            belowBase = std::max(belowBase, lh - asc - half);
        }
        // A break has the line height of its own font.
        if (forcedBreak)
        {
            const CHtmlStyle* s = pieces[end].item->style;
            float asc = m_metrics.Ascent(*s), desc = m_metrics.Descent(*s);
            float lh = LineHeight(*s);
            above = std::max(above, asc + (lh - asc - desc) / 2);
            belowBase = std::max(belowBase, lh - asc - (lh - asc - desc) / 2);
        }
        float lineH = above + belowBase;
        for (size_t k = i; k < end; k++)
            if (pieces[k].atomic && pieces[k].item->style->verticalAlign != VAlign::Baseline)
                lineH = std::max(lineH, pieces[k].atomic->rect.h);
        // Trailing spaces do not count for alignment.
        size_t last = end;
        while (last > i && pieces[last - 1].space && pieces[last - 1].item->style->whiteSpace == WhiteSpace::Normal)
            last--;
        float content = 0;
        for (size_t k = i; k < last; k++)
            content += pieces[k].width;
        float shift = 0;
        float spaceExtra = 0;
        TextAlign align = blockStyle ? blockStyle->textAlign : TextAlign::Left;
        // Justified lines stretch their spaces, all but the last line and those ended by a break.
        if (align == TextAlign::Justify && end < pieces.size() && !forcedBreak && content < avail)
        {
            int spaces = 0;
            for (size_t k = i; k < last; k++)
                if (pieces[k].space && pieces[k].item->style->whiteSpace == WhiteSpace::Normal)
                    spaces++;
            if (spaces > 0)
                spaceExtra = (avail - content) / spaces;
        }
        if (align == TextAlign::Right)
            shift = std::max(0.f, avail - content);
        else if (align == TextAlign::Center)
            shift = std::max(0.f, (avail - content) / 2);
        auto line = std::make_unique<CHtmlBox>();
        line->kind = CHtmlBox::Line;
        line->style = blockStyle;
        line->rect = {x0, cursorY, avail, lineH};
        float baseline = cursorY + above;
        float cx = x0 + shift;
        for (size_t k = i; k < last; k++)
        {
            Piece& p = pieces[k];
            if (p.item->kind == InlineItem::Float)
            {
                PlaceFloat(box, p.item->node, x, cursorY + lineH, width, floats);
                continue;
            }
            if (p.atomic)
            {
                float ay = baseline - p.ascent;
                VAlign va = p.item->style->verticalAlign;
                if (va == VAlign::Top)
                    ay = cursorY;
                else if (va == VAlign::Bottom)
                    ay = cursorY + lineH - p.atomic->rect.h;
                else if (va == VAlign::Middle)
                    ay = cursorY + (lineH - p.atomic->rect.h) / 2;
                float dx = cx - p.atomic->rect.x, dy = ay - p.atomic->rect.y;
                // Move the laid-out atomic box and everything in it.
                std::vector<CHtmlBox*> stack{p.atomic.get()};
                while (!stack.empty())
                {
                    CHtmlBox* b = stack.back();
                    stack.pop_back();
                    b->rect.x += dx;
                    b->rect.y += dy;
                    b->clip.x += dx;
                    b->clip.y += dy;
                    for (auto& ch : b->children)
                        stack.push_back(ch.get());
                }
                for (size_t r = p.runsFrom; r < p.runsTo && r < m_runs.size(); r++)
                {
                    m_runs[r].x += dx;
                    m_runs[r].baseline += dy;
                    m_runs[r].line.x += dx;
                    m_runs[r].line.y += dy;
                }
                if (p.item->link)
                    m_boxes.emplace(p.item->link, p.atomic.get());
                m_boxes.emplace(p.item->node, p.atomic.get());
                line->children.push_back(std::move(p.atomic));
                cx += p.width;
                continue;
            }
            if (p.item->kind == InlineItem::Text && p.text.empty())
            {
                Anchor(p.item->node, cursorY);
                continue;
            }
            if (p.item->kind != InlineItem::Text)
                continue;
            if (spaceExtra > 0 && p.space && p.item->style->whiteSpace == WhiteSpace::Normal)
            {
                // Each word of a justified line is a run of its own at its place.
                Separator(" ");
                cx += p.width + spaceExtra;
                continue;
            }
            // Consecutive pieces of one item on one line join into one run.
            if (!m_runs.empty() && k > i && pieces[k - 1].item == p.item && !pieces[k - 1].atomic &&
                m_runs.back().line.y == cursorY && m_pendingSeparator.empty())
            {
                m_runs.back().text += p.text;
                m_runs.back().width += p.width;
            }
            else
            {
                CHtmlTextRun r;
                r.text = p.text;
                r.separator = m_pendingSeparator;
                m_pendingSeparator.clear();
                r.style = p.item->style;
                r.link = p.item->link;
                r.node = p.item->node;
                r.x = cx;
                r.baseline = baseline;
                r.width = p.width;
                r.line = line->rect;
                r.clip = m_clip;
                r.hasClip = m_hasClip;
                m_runs.push_back(std::move(r));
            }
            cx += p.width;
        }
        for (size_t k = last; k < end; k++)
            if (pieces[k].item->kind == InlineItem::Float)
                PlaceFloat(box, pieces[k].item->node, x, cursorY + lineH, width, floats);
        box.children.push_back(std::move(line));
        cursorY += lineH;
        firstLine = false;
        if (forcedBreak)
        {
            Separator("\r\n");
            end++;
        }
        else
            Separator(" ");
        i = end;
        // Consecutive forced breaks make empty lines.
        while (i < pieces.size() && pieces[i].forced)
        {
            const CHtmlStyle* ls = quirks && !direct(pieces[i]) ? pieces[i].item->style : blockStyle;
            float lh = ls ? LineHeight(*ls) : 16;
            cursorY += lh;
            // Each further break is one more empty line of text.
            m_pendingSeparator += "\r\n";
            i++;
        }
    }
    return cursorY;
}

void CHtmlLayout::PlaceFloat(CHtmlBox& parent, const CHtmlNode* node, float x, float y, float width,
                             FloatArea& floats)
{
    const CHtmlStyle* s = node->style;
    auto box = std::make_unique<CHtmlBox>();
    float w, h = 0;
    if (node->name == "img")
    {
        w = ImageWidth(node, width, h);
        box->kind = CHtmlBox::Image;
        box->node = node;
        box->style = s;
        box->rect = {0, 0, w + s->border[1] + s->border[3], h + s->border[0] + s->border[2]};
    }
    else
    {
        float minW, maxW;
        MinMax(node, minW, maxW, 0);
        w = s->width.unit != Length::Auto ? s->width.Resolve(width) + (s->borderBox ? 0 : Horizontal(s, width))
                                           : std::min(std::max(minW, width), maxW);
        FloatArea own;
        if (s->display == Display::Table)
            LayoutTable(*box, node, 0, 0, w);
        else
            LayoutBlock(*box, node, 0, 0, w, own);
    }
    float bw = box->rect.w, bh = box->rect.h;
    float ml = s->margin[3].Resolve(width), mr = s->margin[1].Resolve(width);
    float fy = std::max(y, floats.lastTop);
    float x0, x1;
    for (int tries = 0; tries < 1000; tries++)
    {
        floats.Span(x, width, fy, bh, x0, x1);
        if (x1 - x0 >= bw + ml + mr || (floats.left.empty() && floats.right.empty()))
            break;
        float next = floats.ClearY(fy, 3);
        if (next <= fy)
            break;
        fy = next;
    }
    float fx = s->floating == Float::Right ? x1 - bw - mr : x0 + ml;
    float dx = fx - box->rect.x, dy = fy - box->rect.y;
    std::vector<CHtmlBox*> stack{box.get()};
    while (!stack.empty())
    {
        CHtmlBox* b = stack.back();
        stack.pop_back();
        b->rect.x += dx;
        b->rect.y += dy;
        for (auto& ch : b->children)
            stack.push_back(ch.get());
    }
    Rect r = {fx - ml, fy, bw + ml + mr, bh + s->margin[0].Resolve(width) + s->margin[2].Resolve(width)};
    (s->floating == Float::Right ? floats.right : floats.left).Add(r);
    floats.lastTop = fy;
    m_boxes.emplace(node, box.get());
    parent.children.push_back(std::move(box));
}

namespace
{
bool CollapsesThroughTop(const CHtmlNode* node)
{
    const CHtmlStyle* s = node->style;
    return s->border[0] == 0 && s->padding[0].value == 0 && !s->clip && s->floating == Float::None &&
           (s->display == Display::Block || s->display == Display::ListItem) && node->name != "html";
}

// The first in-flow child when it is a block that starts the content, else null.
const CHtmlNode* FirstBlockChild(const CHtmlNode* node)
{
    for (const CHtmlNode* c = node->firstChild; c; c = c->next)
    {
        if (!c->style)
            continue;
        if (c->type == NodeType::Text)
        {
            if (c->text.find_first_not_of(" \t\r\n\f") != std::string::npos)
                return nullptr;
            continue;
        }
        if (c->style->display == Display::None)
            continue;
        return IsBlockLevel(c->style) && c->style->floating == Float::None ? c : nullptr;
    }
    return nullptr;
}

// A block's top margin with those of its first children it collapses with; at the top of a quirks
// container the user-agent sheet's margins count for nothing.
float CollapsedTop(const CHtmlNode* node, float width, bool dropQuirky)
{
    auto top = [&](const CHtmlNode* n) {
        return dropQuirky && n->style->quirkyTop ? 0.f : n->style->margin[0].Resolve(width);
    };
    float m = top(node);
    for (int guard = 0; guard < kMaxGuard && CollapsesThroughTop(node); guard++)
    {
        node = FirstBlockChild(node);
        if (!node)
            break;
        m = std::max(m, top(node));
    }
    return m;
}

// Where mail without a DOCTYPE drops the margins of the first and last paragraph.
bool IsQuirksContainer(const CHtmlNode* node, bool quirks)
{
    return quirks && (node->style->display == Display::TableCell || node->name == "body");
}
}

float CHtmlLayout::LayoutChildren(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width,
                                  FloatArea& floats)
{
    float cursor = y;
    float prevMargin = 0;
    // The first child's top margin has already gone into this block's own when they collapse.
    const CHtmlNode* collapsedChild = CollapsesThroughTop(node) ? FirstBlockChild(node) : nullptr;
    const bool quirksContainer = IsQuirksContainer(node, m_doc.Quirks());
    bool atTop = quirksContainer;  // nothing laid out yet, so a block here starts the container
    bool endsInQuirkyMargin = false;
    std::vector<InlineItem> items;
    auto flush = [&]() {
        bool any = false;
        for (const InlineItem& it : items)
            if (it.kind != InlineItem::Text || it.text.find_first_not_of(" \t\r\n\f") != std::string::npos ||
                (it.style && it.style->whiteSpace != WhiteSpace::Normal && it.style->whiteSpace != WhiteSpace::Nowrap &&
                 !it.text.empty()))
                any = true;
        if (!any)
            for (const InlineItem& it : items)
                if (it.kind == InlineItem::Text && it.text.empty())
                    Anchor(it.node, cursor + prevMargin);
        if (any)
        {
            cursor += prevMargin;
            prevMargin = 0;
            endsInQuirkyMargin = false;
            atTop = false;
            cursor = LayoutInline(box, items, x, cursor, width, floats, node->style);
        }
        items.clear();
    };
    std::function<void(const CHtmlNode*)> onBlock = [&](const CHtmlNode* c) {
        flush();
        const CHtmlStyle* s = c->style;
        if (s->floating != Float::None)
        {
            PlaceFloat(box, c, x, cursor + prevMargin, width, floats);
            return;
        }
        if (s->clear)
        {
            float cleared = floats.ClearY(cursor + prevMargin, s->clear);
            if (cleared > cursor + prevMargin)
                cursor = cleared, prevMargin = 0;
        }
        float mt = CollapsedTop(c, width, atTop || IsQuirksContainer(c, m_doc.Quirks()));
        float mb = s->margin[2].Resolve(width);
        atTop = false;
        if (c == collapsedChild)
            mt = 0;
        // Adjacent vertical margins collapse into the larger one.
        float gap = std::max(prevMargin, mt) + std::min(0.f, std::min(prevMargin, mt));
        Separator("\r\n");
        auto child = std::make_unique<CHtmlBox>();
        float top = cursor + gap;
        m_escapedMargin = 0;
        if (s->display == Display::Table)
            LayoutTable(*child, c, x, top, width);
        else if (c->name == "img")
        {
            // A block-level image: its own size, placed like a block of that width.
            float h = 0;
            float w = ImageWidth(c, width, h) + s->border[1] + s->border[3];
            float ml = s->margin[3].Resolve(width), mr = s->margin[1].Resolve(width);
            if (s->margin[1].unit == Length::Auto && s->margin[3].unit == Length::Auto)
                ml = std::max(0.f, (width - w) / 2);
            else if (s->margin[3].unit == Length::Auto)
                ml = std::max(0.f, width - w - mr);
            else
                ml = AlignedLeft(c, width, w, ml, mr);
            child->kind = CHtmlBox::Image;
            child->node = c;
            child->style = s;
            child->rect = {x + ml, top, w, h + s->border[0] + s->border[2]};
            m_boxes.emplace(c, child.get());
        }
        else
            LayoutBlock(*child, c, x, top, width, floats);
        mb = std::max(mb, s->display == Display::Table ? 0.f : m_escapedMargin);
        Separator("\r\n");
        bool empty = child->rect.h == 0 && child->children.empty();
        if (empty)
            prevMargin = std::max(gap, mb);
        else
        {
            cursor = child->rect.Bottom();
            prevMargin = mb;
        }
        // Only a block that is itself the container's last child loses its margin, not one inside FONT or the
        // like, whose end still follows it.
        endsInQuirkyMargin = s->quirkyBottom && !empty && c->parent == node;
        box.children.push_back(std::move(child));
    };
    // Direct children: blocks go through onBlock, inline content gathers into paragraphs.
    CollectInline(node, items, nullptr, node->depth, onBlock);
    flush();
    if (quirksContainer && endsInQuirkyMargin)
        prevMargin = 0;
    m_trailingMargin = prevMargin;
    return cursor + prevMargin;
}

float CHtmlLayout::LayoutBlock(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width, FloatArea& floats)
{
    const CHtmlStyle* s = node->style;
    box.kind = CHtmlBox::Block;
    box.node = node;
    box.style = s;
    m_boxes.emplace(node, &box);
    Anchor(node, y);
    if (s->display == Display::Table)
        return LayoutTable(box, node, x, y, width);
    float ml = s->margin[3].Resolve(width), mr = s->margin[1].Resolve(width);
    float pl = s->padding[3].Resolve(width), pr = s->padding[1].Resolve(width);
    float pt = s->padding[0].Resolve(width), pb = s->padding[2].Resolve(width);
    float extra = pl + pr + s->border[1] + s->border[3];
    const bool inlineBlock = s->display == Display::InlineBlock;  // its auto margins are 0
    float contentW;
    // A cell is as wide as the table made its columns; its own width was one of the table's inputs.
    if (s->width.unit != Length::Auto && !(node->name == "html" || node->name == "body") &&
        s->display != Display::TableCell)
    {
        contentW = std::max(0.f, s->width.Resolve(width) - (s->borderBox ? extra : 0));
        if (!inlineBlock && s->margin[1].unit == Length::Auto && s->margin[3].unit == Length::Auto)
            ml = mr = std::max(0.f, (width - contentW - extra) / 2);
        else if (!inlineBlock && s->margin[3].unit == Length::Auto)
            ml = std::max(0.f, width - contentW - extra - mr);
        else
            ml = AlignedLeft(node, width, contentW + extra, ml, mr);
    }
    else
        contentW = std::max(0.f, width - ml - mr - extra);
    if (s->maxWidth.unit != Length::Auto && s->maxWidth.Resolve(width, contentW) < contentW)
    {
        contentW = s->maxWidth.Resolve(width, contentW);
        if (!inlineBlock && s->margin[1].unit == Length::Auto && s->margin[3].unit == Length::Auto)
            ml = mr = std::max(0.f, (width - contentW - extra) / 2);
        else if (!inlineBlock && s->margin[3].unit == Length::Auto)
            ml = std::max(0.f, width - contentW - extra - mr);
    }
    if (s->minWidth.unit != Length::Auto)
        contentW = std::max(contentW, s->minWidth.Resolve(width));
    float bx = x + ml;
    float cx = bx + s->border[3] + pl;
    float cy = y + s->border[0] + pt;
    bool ownContext = s->display == Display::TableCell || s->display == Display::InlineBlock || s->clip ||
                      node->name == "body" || node->name == "html";
    FloatArea own;
    FloatArea& area = ownContext ? own : floats;
    bool savedHasClip = m_hasClip;
    Rect savedClip = m_clip;
    if (s->clip)
    {
        m_clip = {cx - pl, cy - pt, contentW + pl + pr, 0};
        m_hasClip = true;
    }
    size_t markerRun = SIZE_MAX;
    // List items get their marker as a run before the content.
    if (s->display == Display::ListItem && s->listStyle != ListStyle::None)
    {
        int index = 1;
        for (const CHtmlNode* p = node->prev; p; p = p->prev)
            if (p->type == NodeType::Element && p->style && p->style->display == Display::ListItem)
                index++;
        std::string marker = ListMarker(s->listStyle, index);
        CHtmlTextRun r;
        r.text = marker;
        r.node = node;
        r.separator = m_pendingSeparator;
        m_pendingSeparator.clear();
        r.style = s;
        r.width = m_metrics.TextWidth(*s, marker.data(), marker.size());
        r.x = cx - r.width - s->fontSize * 0.5f;
        float lh = LineHeight(*s);
        r.baseline = cy + (lh - m_metrics.Ascent(*s) - m_metrics.Descent(*s)) / 2 + m_metrics.Ascent(*s);
        r.line = {cx, cy, contentW, lh};
        m_runs.push_back(std::move(r));
        Separator(" ");
        markerRun = m_runs.size() - 1;
    }
    size_t runsStart = m_runs.size();
    float end = cy;
    float escaped = 0;
    if (node->depth < CHtmlDocument::kMaxDepth + 8)
    {
        if (node->name == "hr")
            end = cy;
        else
        {
            m_trailingMargin = 0;
            end = LayoutChildren(box, node, cx, cy, contentW, area);
            // The last child's bottom margin collapses through a bottom with nothing to hold it.
            if (!ownContext && s->border[2] == 0 && s->padding[2].value == 0 && s->height.unit == Length::Auto &&
                s->minHeight.value <= 0 &&
                (s->display == Display::Block || s->display == Display::ListItem) && end - m_trailingMargin > cy)
            {
                escaped = m_trailingMargin;
                end -= escaped;
            }
        }
    }
    if (ownContext)
        end = std::max(end, own.Bottom());
    // The marker stands before the item's first line of text, wherever alignment put it.
    if (markerRun != SIZE_MAX && markerRun + 1 < m_runs.size())
    {
        CHtmlTextRun& marker = m_runs[markerRun];
        const CHtmlTextRun& first = m_runs[markerRun + 1];
        if (first.line.y < cy + marker.line.h)
        {
            marker.x = first.x - marker.width - s->fontSize * 0.5f;
            marker.baseline = first.baseline;
            marker.line = first.line;
        }
    }
    float contentH = end - cy;
    // A cell's height is only a minimum, which its table applies to the whole row.
    if (s->height.unit == Length::Px && s->display != Display::TableCell)
        contentH = s->height.value - (s->borderBox ? pt + pb + s->border[0] + s->border[2] : 0);
    if (s->minHeight.unit == Length::Px)
        contentH = std::max(contentH, s->minHeight.value);
    if (s->maxHeight.unit == Length::Px)
        contentH = std::min(contentH, s->maxHeight.value);
    contentH = std::max(0.f, contentH);
    box.rect = {bx, y, contentW + extra, contentH + pt + pb + s->border[0] + s->border[2]};
    m_clip = savedClip;
    m_hasClip = savedHasClip;
    m_escapedMargin = escaped;
    if (s->clip)
    {
        box.hasClip = true;
        box.clip = {cx - pl, cy - pt, contentW + pl + pr, contentH + pt + pb};
        // The runs inside got the clip before its height was known.
        for (size_t r = runsStart; r < m_runs.size(); r++)
            if (m_runs[r].hasClip && m_runs[r].clip.h == 0 && m_runs[r].clip.x == box.clip.x &&
                m_runs[r].clip.y == box.clip.y)
                m_runs[r].clip = box.clip;
    }
    return box.rect.Bottom();
}

void CHtmlLayout::MinMax(const CHtmlNode* node, float& minW, float& maxW, int guard)
{
    auto cached = m_minMax.find(node);
    if (cached != m_minMax.end())
    {
        minW = cached->second.first;
        maxW = cached->second.second;
        return;
    }
    minW = maxW = 0;
    const CHtmlStyle* s = node->style;
    if (!s || guard > kMaxGuard)
        return;
    if (node->type == NodeType::Element && node->name == "img")
    {
        float h;
        minW = maxW = ImageWidth(node, 0, h) + s->border[1] + s->border[3];
        // An image limited to a share of its container can shrink to nothing, so it never widens a column.
        if (s->maxWidth.unit == Length::Percent)
            minW = s->border[1] + s->border[3];
    }
    else if (s->display == Display::Table)
    {
        // A table's content widths are its columns' sums.
        Grid grid;
        BuildGrid(node, grid, guard + 1);
        minW = grid.sumMin + grid.frame;
        maxW = grid.sumMax + grid.frame;
        if (s->width.unit == Length::Px)
            minW = maxW = std::max(minW, s->width.value);
    }
    else
    {
        // Words set the minimum; a line of everything up to a break or block sets the maximum. White space
        // collapses as in layout: one space between words, none at either end of a line.
        float line = 0;
        float pending = 0;
        bool nowrap = s->whiteSpace == WhiteSpace::Nowrap || s->whiteSpace == WhiteSpace::Pre;
        std::function<void(const CHtmlNode*, int)> walk = [&](const CHtmlNode* n, int g) {
            if (g > kMaxGuard)
                return;
            for (const CHtmlNode* c = n->firstChild; c; c = c->next)
            {
                const CHtmlStyle* cs = c->style;
                if (!cs)
                    continue;
                if (c->type == NodeType::Text)
                {
                    bool cnw = nowrap || cs->whiteSpace == WhiteSpace::Nowrap || cs->whiteSpace == WhiteSpace::Pre;
                    size_t pos = 0;
                    std::string word;
                    auto flushWord = [&]() {
                        if (word.empty())
                            return;
                        float w = m_metrics.TextWidth(*cs, word.data(), word.size());
                        line += pending + w;
                        pending = 0;
                        if (!cnw)
                            minW = std::max(minW, w);
                        word.clear();
                    };
                    const std::string& t = c->text;
                    while (pos < t.size())
                    {
                        size_t start = pos;
                        uint32_t cp = NextCodePoint(t, pos);
                        if (cp == ' ' || cp == '\n' || cp == '\t' || cp == '\r')
                        {
                            flushWord();
                            if (cs->whiteSpace == WhiteSpace::Pre && cp == '\n')
                            {
                                maxW = std::max(maxW, line);
                                line = pending = 0;
                            }
                            else if (cs->whiteSpace == WhiteSpace::Pre || cs->whiteSpace == WhiteSpace::PreWrap)
                                line += pending + m_metrics.TextWidth(*cs, " ", 1), pending = 0;
                            else if (line > 0)
                                pending = std::max(pending, m_metrics.TextWidth(*cs, " ", 1));
                        }
                        else if (IsIdeographic(cp) && !cnw)
                        {
                            flushWord();
                            word.assign(t, start, pos - start);
                            flushWord();
                        }
                        else
                            word.append(t, start, pos - start);
                    }
                    flushWord();
                    if (cnw)
                        minW = std::max(minW, line);
                    continue;
                }
                if (cs->display == Display::None)
                    continue;
                if (c->name == "br")
                {
                    maxW = std::max(maxW, line);
                    line = pending = 0;
                    continue;
                }
                if (IsBlockLevel(cs) || c->name == "img" || cs->display == Display::InlineBlock)
                {
                    float a, b;
                    MinMax(c, a, b, g + 1);
                    float m = cs->margin[1].Resolve(0) + cs->margin[3].Resolve(0);
                    if (IsBlockLevel(cs))
                    {
                        maxW = std::max(maxW, line);
                        line = pending = 0;
                        minW = std::max(minW, a + m);
                        maxW = std::max(maxW, b + m);
                    }
                    else
                    {
                        line += pending + b + m;
                        pending = 0;
                        minW = std::max(minW, a + m);
                    }
                    continue;
                }
                walk(c, g + 1);
            }
        };
        walk(node, guard);
        maxW = std::max(maxW, line);
        float h = Horizontal(s, 0);
        // A cell's width is what its column would like, not a minimum: browsers narrow it in a narrower table.
        if (s->width.unit == Length::Px && node->name != "body")
        {
            float set = s->borderBox ? std::max(0.f, s->width.value - h) : s->width.value;
            maxW = std::max(set, minW), minW = s->display == Display::TableCell ? minW : maxW;
        }
        minW += h;
        maxW += h;
        if (s->display == Display::TableCell && s->width.unit == Length::Px)
            maxW = std::max(maxW, minW);
    }
    maxW = std::max(maxW, minW);
    m_minMax[node] = {minW, maxW};
}

float CHtmlLayout::LayoutTable(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width)
{
    const CHtmlStyle* s = node->style;
    box.kind = CHtmlBox::Table;
    box.node = node;
    box.style = s;
    m_boxes.emplace(node, &box);
    Anchor(node, y);
    Grid grid;
    BuildGrid(node, grid, node->depth);
    const std::vector<const CHtmlNode*>& rows = grid.rows;
    std::vector<Grid::Cell>& cells = grid.cells;
    const int columns = grid.columns;
    float spacing = s->borderSpacing;
    float bl = s->border[3], bt = s->border[0], bb = s->border[2];
    float pl = s->padding[3].Resolve(width);
    float ml = s->margin[3].Resolve(width), mr = s->margin[1].Resolve(width);
    float frame = grid.frame;
    float avail = std::max(0.f, width - ml - mr);
    float tableW;
    if (s->width.unit != Length::Auto)
        tableW = std::max(s->width.Resolve(avail), grid.sumMin + frame);
    else
        tableW = std::max(grid.sumMin + frame, std::min(avail, grid.sumMax + frame));
    for (const CHtmlNode* c = node->firstChild; c; c = c->next)
        if (c->type == NodeType::Element && c->style && c->style->display == Display::TableCaption)
        {
            float a, b;
            MinMax(c, a, b, c->depth);
            tableW = std::max(tableW, a);
        }
    float inner = std::max(0.f, tableW - frame);
    std::vector<float> colW;
    ColumnWidths(grid, inner, colW);
    if (s->margin[1].unit == Length::Auto && s->margin[3].unit == Length::Auto)
        ml = std::max(0.f, (width - tableW) / 2);
    else
        ml = AlignedLeft(node, width, tableW, ml, mr);
    float tx = x + ml;
    std::vector<float> colX(columns + 1, 0);
    float cxPos = tx + bl + pl + spacing;
    for (int k = 0; k < columns; k++)
    {
        colX[k] = cxPos;
        cxPos += colW[k] + spacing;
    }
    colX[columns] = cxPos;
    // Captions sit above the grid, as wide as the table.
    float captionH = 0;
    for (const CHtmlNode* c = node->firstChild; c; c = c->next)
        if (c->type == NodeType::Element && c->style && c->style->display == Display::TableCaption)
        {
            auto cb = std::make_unique<CHtmlBox>();
            FloatArea own;
            Separator("\r\n");
            LayoutBlock(*cb, c, tx, y + captionH, tableW, own);
            captionH += cb->rect.h;
            box.children.push_back(std::move(cb));
        }
    float top = y + captionH + bt + s->padding[0].Resolve(width);
    // Cells laid out at their widths, rows sized to their tallest cell, then cells aligned in their rows.
    std::vector<float> rowH(rows.size(), 0);
    std::vector<std::unique_ptr<CHtmlBox>> rowBoxes;
    for (size_t r = 0; r < rows.size(); r++)
    {
        auto rb = std::make_unique<CHtmlBox>();
        rb->kind = CHtmlBox::Row;
        rb->node = rows[r];
        rb->style = rows[r]->style;
        if (rows[r]->style->height.unit == Length::Px)
            rowH[r] = rows[r]->style->height.value;
        m_boxes.emplace(rows[r], rb.get());
        rowBoxes.push_back(std::move(rb));
    }
    std::vector<size_t> runStart(cells.size()), runEnd(cells.size());
    size_t ci = 0;
    int lastRow = -1;
    for (Grid::Cell& c : cells)
    {
        Separator(c.row != lastRow ? "\r\n" : "\t");
        lastRow = c.row;
        float w = colX[c.col + c.colspan - 1] + colW[c.col + c.colspan - 1] - colX[c.col];
        auto cb = std::make_unique<CHtmlBox>();
        FloatArea own;
        runStart[ci] = m_runs.size();
        LayoutBlock(*cb, c.node, colX[c.col], 0, w, own);
        runEnd[ci] = m_runs.size();
        cb->kind = CHtmlBox::Cell;
        float h = cb->rect.h;
        if (c.node->style->height.unit == Length::Px)
            h = std::max(h, c.node->style->height.value);
        if (c.rowspan == 1)
            rowH[c.row] = std::max(rowH[c.row], h);
        c.box = cb.get();
        rowBoxes[c.row]->children.push_back(std::move(cb));
        ci++;
    }
    for (const Grid::Cell& c : cells)
        if (c.rowspan > 1)
        {
            float have = spacing * (c.rowspan - 1);
            for (int k = c.row; k < c.row + c.rowspan; k++)
                have += rowH[k];
            if (c.box->rect.h > have)
                rowH[c.row + c.rowspan - 1] += c.box->rect.h - have;
        }
    std::vector<float> rowY(rows.size() + 1, 0);
    float ry = top + spacing;
    for (size_t r = 0; r < rows.size(); r++)
    {
        rowY[r] = ry;
        rowBoxes[r]->rect = {colX.empty() ? tx : colX[0], ry, columns ? colX[columns] - spacing - colX[0] : 0, rowH[r]};
        ry += rowH[r] + spacing;
    }
    float contentBottom = rows.empty() ? top : ry;
    if (s->height.unit == Length::Px)
        contentBottom = std::max(contentBottom, y + s->height.value);
    ci = 0;
    for (const Grid::Cell& c : cells)
    {
        float cellH = spacing * (c.rowspan - 1);
        for (int k = c.row; k < c.row + c.rowspan; k++)
            cellH += rowH[k];
        CHtmlBox* b = c.box;
        float contentH = b->rect.h;
        float dy = rowY[c.row];
        VAlign va = c.node->style->verticalAlign;
        float slack = std::max(0.f, cellH - contentH);
        float shiftContent = va == VAlign::Middle ? slack / 2 : va == VAlign::Bottom ? slack : 0;
        // Move the cell's contents (laid out at y 0) into place; the cell box spans its whole row height.
        std::vector<CHtmlBox*> stack;
        for (auto& ch : b->children)
            stack.push_back(ch.get());
        while (!stack.empty())
        {
            CHtmlBox* bb2 = stack.back();
            stack.pop_back();
            bb2->rect.y += dy + shiftContent;
            bb2->clip.y += dy + shiftContent;
            for (auto& ch : bb2->children)
                stack.push_back(ch.get());
        }
        for (size_t r = runStart[ci]; r < runEnd[ci]; r++)
        {
            m_runs[r].baseline += dy + shiftContent;
            m_runs[r].line.y += dy + shiftContent;
            m_runs[r].clip.y += dy + shiftContent;
        }
        b->rect.y = dy;
        b->rect.h = cellH;
        b->clip.y += dy;
        ci++;
    }
    Separator("\r\n");
    for (auto& rb : rowBoxes)
        box.children.push_back(std::move(rb));
    float bottom = contentBottom + s->padding[2].Resolve(width) + bb;
    box.rect = {tx, y, tableW, bottom - y};
    return box.rect.Bottom();
}

void CHtmlLayout::BuildGrid(const CHtmlNode* node, Grid& grid, int guard)
{
    const CHtmlStyle* s = node->style;
    // Rows in order, each with the end of its section (rowspan=0 reaches it).
    std::vector<size_t> sectionEnd;
    for (const CHtmlNode* c = node->firstChild; c; c = c->next)
    {
        if (!c->style || c->type != NodeType::Element)
            continue;
        if (c->style->display == Display::TableRow)
        {
            grid.rows.push_back(c);
            sectionEnd.push_back(0);
        }
        else if (c->style->display == Display::TableRowGroup)
        {
            size_t from = grid.rows.size();
            for (const CHtmlNode* r = c->firstChild; r; r = r->next)
                if (r->style && r->type == NodeType::Element && r->style->display == Display::TableRow)
                    grid.rows.push_back(r);
            sectionEnd.resize(grid.rows.size(), grid.rows.size());
            for (size_t k = from; k < grid.rows.size(); k++)
                sectionEnd[k] = grid.rows.size();
        }
    }
    // Rows outside any group form sections of their own runs.
    for (size_t r = grid.rows.size(); r-- > 0;)
        if (sectionEnd[r] == 0)
            sectionEnd[r] = r + 1 < grid.rows.size() && grid.rows[r + 1]->parent == grid.rows[r]->parent
                                ? sectionEnd[r + 1]
                                : r + 1;
    std::vector<std::vector<bool>> taken;
    int columns = 0;
    for (size_t r = 0; r < grid.rows.size(); r++)
    {
        if (taken.size() <= r)
            taken.resize(r + 1);
        int col = 0;
        for (const CHtmlNode* c = grid.rows[r]->firstChild; c; c = c->next)
        {
            if (c->type != NodeType::Element || !c->style || c->style->display != Display::TableCell)
                continue;
            while (col < int(taken[r].size()) && taken[r][col])
                col++;
            if (col >= kMaxColumns)
                break;
            auto attr = [&](const char* a, int zero) {
                const std::string* v = c->Attribute(a);
                int n = v ? std::atoi(v->c_str()) : 1;
                if (n == 0 && v && v->find_first_of("0123456789") != std::string::npos)
                    n = zero;
                return std::max(1, std::min(n, kMaxSpan));
            };
            int cs = std::min(attr("colspan", 1), kMaxColumns - col);
            int rs = std::min<int>(attr("rowspan", int(sectionEnd[r] - r)), int(sectionEnd[r] - r));
            for (int rr = 0; rr < rs; rr++)
            {
                if (taken.size() <= r + rr)
                    taken.resize(r + rr + 1);
                auto& t = taken[r + rr];
                if (int(t.size()) < col + cs)
                    t.resize(col + cs, false);
                for (int k = col; k < col + cs; k++)
                    t[k] = true;
            }
            Grid::Cell cell{c, int(r), col, cs, rs};
            MinMax(c, cell.minW, cell.maxW, std::max(guard, c->depth));
            grid.cells.push_back(cell);
            col += cs;
            columns = std::max(columns, col);
        }
    }
    grid.columns = columns;
    float spacing = s->borderSpacing;
    grid.frame = s->border[1] + s->border[3] + s->padding[1].Resolve(0) + s->padding[3].Resolve(0) +
                 spacing * (columns + 1);
    std::vector<float>& colMin = grid.colMin;
    std::vector<float>& colMax = grid.colMax;
    std::vector<float>& colFixed = grid.colFixed;
    std::vector<float>& colPct = grid.colPct;
    colMin.assign(columns, 0);
    colMax.assign(columns, 0);
    colFixed.assign(columns, 0);
    colPct.assign(columns, 0);
    // Single-column cells first, then spanning cells from the narrowest span up: what a span needs beyond
    // its columns goes to the columns without a set width, in proportion to what they hold, so thin spacer
    // columns stay thin beside a text column.
    std::vector<const Grid::Cell*> order;
    for (const Grid::Cell& c : grid.cells)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Grid::Cell* a, const Grid::Cell* b) { return a->colspan < b->colspan; });
    for (const Grid::Cell* cp : order)
    {
        const Grid::Cell& c = *cp;
        const CHtmlStyle* cs = c.node->style;
        if (c.colspan == 1)
        {
            colMin[c.col] = std::max(colMin[c.col], c.minW);
            colMax[c.col] = std::max(colMax[c.col], c.maxW);
            if (cs->width.unit == Length::Px)
                colFixed[c.col] =
                    std::max(colFixed[c.col], cs->width.value + (cs->borderBox ? 0 : Horizontal(cs, 0)));
            else if (cs->width.unit == Length::Percent)
                colPct[c.col] = std::max(colPct[c.col], cs->width.value);
            continue;
        }
        int from = c.col, to = c.col + c.colspan;
        auto spread = [&](std::vector<float>& cols, float need) {
            float have = spacing * (c.colspan - 1);
            for (int k = from; k < to; k++)
                have += cols[k];
            if (need <= have)
                return;
            float excess = need - have;
            float weight = 0, fixedTotal = 0;
            int flexible = 0;
            for (int k = from; k < to; k++)
                if (colFixed[k] == 0 && colPct[k] == 0)
                    weight += colMax[k], flexible++;
                else if (colPct[k] == 0)
                    fixedTotal += colFixed[k];
            // Over columns that all have a set width, each takes its share of the span by that width, so a
            // banner across spacer and text columns leaves the spacers as set.
            if (flexible == 0 && fixedTotal > 0)
            {
                float inner = need - spacing * (c.colspan - 1);
                for (int k = from; k < to; k++)
                    cols[k] = std::max(cols[k], inner * colFixed[k] / fixedTotal);
                have = spacing * (c.colspan - 1);
                for (int k = from; k < to; k++)
                    have += cols[k];
                if (need <= have)
                    return;
                excess = need - have;
            }
            for (int k = from; k < to; k++)
            {
                float share;
                if (flexible > 0)
                    share = colFixed[k] > 0 || colPct[k] > 0 ? 0
                            : weight > 0                     ? colMax[k] / weight
                                                             : 1.f / flexible;
                else
                {
                    float total = 0;
                    for (int j = from; j < to; j++)
                        total += colMax[j];
                    share = total > 0 ? colMax[k] / total : 1.f / c.colspan;
                }
                cols[k] += excess * share;
            }
        };
        spread(colMin, c.minW);
        for (int k = from; k < to; k++)
            colMax[k] = std::max(colMax[k], colMin[k]);
        spread(colMax, c.maxW);
    }
    grid.sumMin = grid.sumMax = 0;
    for (int k = 0; k < columns; k++)
    {
        if (colFixed[k] > 0)
            colMax[k] = std::max(colMin[k], colFixed[k]);
        colMax[k] = std::max(colMax[k], colMin[k]);
        grid.sumMin += colMin[k];
        grid.sumMax += colMax[k];
    }
}

void CHtmlLayout::ColumnWidths(const Grid& grid, float inner, std::vector<float>& colW)
{
    // Every column has its minimum; the room beyond goes to percentage columns first, then to columns of a
    // set width up to it, then to the others toward their maximum, and what is left over to the others.
    const int columns = grid.columns;
    const std::vector<float>& colMin = grid.colMin;
    const std::vector<float>& colMax = grid.colMax;
    const std::vector<float>& colFixed = grid.colFixed;
    const std::vector<float>& colPct = grid.colPct;
    colW = colMin;
    float room = inner - grid.sumMin;
    if (room <= 0 || columns == 0)
        return;
    for (int k = 0; k < columns && room > 0; k++)
        if (colPct[k] > 0)
        {
            float add = std::min(room, std::max(0.f, inner * colPct[k] / 100 - colW[k]));
            colW[k] += add;
            room -= add;
        }
    auto grow = [&](auto&& eligible) {
        float need = 0;
        for (int k = 0; k < columns; k++)
            if (eligible(k))
                need += std::max(0.f, colMax[k] - colW[k]);
        if (need <= 0 || room <= 0)
            return;
        float f = std::min(1.f, room / need);
        for (int k = 0; k < columns; k++)
            if (eligible(k))
            {
                float add = std::max(0.f, colMax[k] - colW[k]) * f;
                colW[k] += add;
                room -= add;
            }
    };
    auto isFixed = [&](int k) { return colPct[k] == 0 && colFixed[k] > 0; };
    auto isAuto = [&](int k) { return colPct[k] == 0 && colFixed[k] == 0; };
    grow(isFixed);
    grow(isAuto);
    if (room <= 0.01f)
        return;
    // Left over: auto columns by their maximum, else the fixed ones by their width, else all alike.
    for (auto eligible : {std::function<bool(int)>(isAuto), std::function<bool(int)>(isFixed),
                          std::function<bool(int)>([&](int k) { return colPct[k] > 0; })})
    {
        float total = 0;
        int count = 0;
        for (int k = 0; k < columns; k++)
            if (eligible(k))
                total += colW[k], count++;
        if (count == 0)
            continue;
        for (int k = 0; k < columns; k++)
            if (eligible(k))
                colW[k] += room * (total > 0 ? colW[k] / total : 1.f / count);
        return;
    }
}
}

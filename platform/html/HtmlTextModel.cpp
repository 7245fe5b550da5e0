// The text of a laid-out document: hit testing, selection, find, plain text, the paint list and pages.
#include "platform/html/HtmlTextModel.h"

#include <algorithm>
#include <cmath>

#include "platform/html/HtmlText.h"

namespace html
{
CHtmlTextModel::CHtmlTextModel(const CHtmlLayout& layout, IHtmlFontMetrics& metrics)
    : m_layout(layout), m_metrics(metrics)
{
}

float CHtmlTextModel::XOf(TextPosition pos) const
{
    const auto& runs = m_layout.Runs();
    if (pos.run >= runs.size())
        return 0;
    const CHtmlTextRun& r = runs[pos.run];
    return r.x + m_metrics.TextWidth(*r.style, r.text.data(), std::min(pos.offset, r.text.size()));
}

bool CHtmlTextModel::HitTest(float x, float y, TextPosition& pos) const
{
    const auto& runs = m_layout.Runs();
    if (runs.empty())
        return false;
    // The run on the line under the point nearest in x; else the nearest line.
    size_t best = 0;
    float bestScore = 1e30f;
    for (size_t i = 0; i < runs.size(); i++)
    {
        const CHtmlTextRun& r = runs[i];
        float dy = y < r.line.y ? r.line.y - y : y >= r.line.Bottom() ? y - r.line.Bottom() + 0.001f : 0;
        float dx = x < r.x ? r.x - x : x > r.x + r.width ? x - r.x - r.width : 0;
        float score = dy * 100000 + dx;
        if (score < bestScore)
            bestScore = score, best = i;
    }
    const CHtmlTextRun& r = runs[best];
    pos.run = best;
    pos.offset = 0;
    // The character boundary nearest to x.
    size_t p = 0;
    float left = r.x;
    while (p < r.text.size())
    {
        size_t q = p;
        NextCodePoint(r.text, q);
        float w = m_metrics.TextWidth(*r.style, r.text.data() + p, q - p);
        if (x < left + w / 2)
            break;
        left += w;
        p = q;
    }
    pos.offset = p;
    return true;
}

const CHtmlNode* CHtmlTextModel::LinkAt(float x, float y) const
{
    for (const CHtmlTextRun& r : m_layout.Runs())
        if (r.link && x >= r.x && x < r.x + r.width && y >= r.line.y && y < r.line.Bottom())
            return r.link;
    // Linked images.
    std::vector<const CHtmlBox*> stack{&m_layout.Root()};
    while (!stack.empty())
    {
        const CHtmlBox* b = stack.back();
        stack.pop_back();
        if (b->kind == CHtmlBox::Image && b->rect.Contains(x, y))
            for (const CHtmlNode* p = b->node; p; p = p->parent)
                if (p->IsElement("a") && p->Attribute("href"))
                    return p;
        for (const auto& c : b->children)
            stack.push_back(c.get());
    }
    return nullptr;
}

std::string CHtmlTextModel::Text() const
{
    std::string out;
    for (const CHtmlTextRun& r : m_layout.Runs())
        out += r.separator + r.text;
    return out;
}

std::string CHtmlTextModel::Text(TextPosition a, TextPosition b) const
{
    if (b < a)
        std::swap(a, b);
    const auto& runs = m_layout.Runs();
    std::string out;
    for (size_t i = a.run; i <= b.run && i < runs.size(); i++)
    {
        size_t from = i == a.run ? std::min(a.offset, runs[i].text.size()) : 0;
        size_t to = i == b.run ? std::min(b.offset, runs[i].text.size()) : runs[i].text.size();
        if (i != a.run)
            out += runs[i].separator;
        if (to > from)
            out.append(runs[i].text, from, to - from);
    }
    return out;
}

bool CHtmlTextModel::Find(const std::string& what, bool matchCase, bool forward, TextPosition from,
                          TextRange& found) const
{
    // The document as code points, each with its position; separators count as one space each.
    struct Ch
    {
        uint32_t cp;
        TextPosition pos;
    };
    const auto& runs = m_layout.Runs();
    std::vector<Ch> chars;
    for (size_t i = 0; i < runs.size(); i++)
    {
        if (!runs[i].separator.empty() && i > 0)
            chars.push_back({' ', {i, 0}});
        size_t p = 0;
        while (p < runs[i].text.size())
        {
            size_t at = p;
            uint32_t cp = NextCodePoint(runs[i].text, p);
            chars.push_back({matchCase ? cp : FoldCase(cp), {i, at}});
        }
    }
    std::vector<uint32_t> needle;
    std::string w = ValidUtf8(what);
    for (size_t p = 0; p < w.size();)
    {
        uint32_t cp = NextCodePoint(w, p);
        needle.push_back(matchCase ? cp : FoldCase(cp));
    }
    if (needle.empty() || chars.size() < needle.size())
        return false;
    auto endOf = [&](size_t k) {
        size_t last = k + needle.size() - 1;
        TextPosition e = chars[last].pos;
        size_t p = e.offset;
        NextCodePoint(runs[e.run].text, p);
        e.offset = p;
        return e;
    };
    auto matchAt = [&](size_t k) {
        for (size_t j = 0; j < needle.size(); j++)
            if (chars[k + j].cp != needle[j])
                return false;
        return true;
    };
    size_t count = chars.size() - needle.size() + 1;
    if (forward)
    {
        for (size_t k = 0; k < count; k++)
            if (!(chars[k].pos < from) && matchAt(k))
            {
                found = {chars[k].pos, endOf(k)};
                return true;
            }
    }
    else
    {
        for (size_t k = count; k-- > 0;)
            if (chars[k].pos < from && matchAt(k))
            {
                found = {chars[k].pos, endOf(k)};
                return true;
            }
    }
    return false;
}

std::vector<PaintItem> CHtmlTextModel::PaintList() const
{
    std::vector<PaintItem> items;
    // Backgrounds and borders in tree order, parents before children; then images; then text on top.
    struct Entry
    {
        const CHtmlBox* box;
        Rect clip;
        bool hasClip;
    };
    std::vector<Entry> stack{{&m_layout.Root(), Rect(), false}};
    std::vector<Entry> order;
    while (!stack.empty())
    {
        Entry e = stack.back();
        stack.pop_back();
        order.push_back(e);
        // A clipping box clips what is inside it, within any outer clip.
        Rect clip = e.clip;
        bool hasClip = e.hasClip;
        if (e.box->hasClip)
        {
            if (!hasClip)
                clip = e.box->clip;
            else
            {
                float x0 = std::max(clip.x, e.box->clip.x), y0 = std::max(clip.y, e.box->clip.y);
                float x1 = std::min(clip.Right(), e.box->clip.Right()), y1 = std::min(clip.Bottom(), e.box->clip.Bottom());
                clip = {x0, y0, std::max(0.f, x1 - x0), std::max(0.f, y1 - y0)};
            }
            hasClip = true;
        }
        for (size_t i = e.box->children.size(); i-- > 0;)
            stack.push_back({e.box->children[i].get(), clip, hasClip});
    }
    for (const Entry& e : order)
    {
        const CHtmlBox* b = e.box;
        const CHtmlStyle* s = b->style;
        if (!s || b->kind == CHtmlBox::Line || s->hidden)
            continue;
        if ((s->background >> 24) != 0)
        {
            PaintItem p;
            p.kind = PaintItem::Fill;
            p.rect = b->rect;
            p.colors[0] = s->background;
            p.node = b->node;
            p.clip = e.clip;
            p.hasClip = e.hasClip;
            items.push_back(p);
        }
        if (s->border[0] > 0 || s->border[1] > 0 || s->border[2] > 0 || s->border[3] > 0)
        {
            PaintItem p;
            p.kind = PaintItem::Border;
            p.rect = b->rect;
            for (int i = 0; i < 4; i++)
                p.borders[i] = s->border[i], p.colors[i] = s->borderColor[i];
            p.node = b->node;
            p.clip = e.clip;
            p.hasClip = e.hasClip;
            items.push_back(p);
        }
        // An image sized 0 (a tracking pixel) draws nothing, not even its alt box.
        if (b->kind == CHtmlBox::Image && b->rect.w > 0 && b->rect.h > 0)
        {
            PaintItem p;
            p.kind = PaintItem::Image;
            p.rect = {b->rect.x + s->border[3], b->rect.y + s->border[0], b->rect.w - s->border[1] - s->border[3],
                      b->rect.h - s->border[0] - s->border[2]};
            p.node = b->node;
            p.clip = e.clip;
            p.hasClip = e.hasClip;
            items.push_back(p);
        }
    }
    for (const CHtmlTextRun& r : m_layout.Runs())
    {
        if (r.style->hidden)
            continue;
        PaintItem p;
        p.kind = PaintItem::Text;
        p.rect = {r.x, r.line.y, r.width, r.line.h};
        p.text = r.text;
        p.font = r.style;
        p.colors[0] = r.style->color;
        p.baseline = r.baseline;
        p.clip = r.clip;
        p.hasClip = r.hasClip;
        items.push_back(p);
    }
    return items;
}

std::vector<Page> CHtmlTextModel::Paginate(float pageHeight) const
{
    std::vector<Page> pages;
    float total = m_layout.Height();
    if (pageHeight <= 0)
        return pages;
    // Spans that must not be cut: lines of text, and table rows that fit on a page.
    std::vector<Rect> keep;
    std::vector<const CHtmlBox*> stack{&m_layout.Root()};
    while (!stack.empty())
    {
        const CHtmlBox* b = stack.back();
        stack.pop_back();
        if (b->kind == CHtmlBox::Line || b->kind == CHtmlBox::Image ||
            (b->kind == CHtmlBox::Row && b->rect.h <= pageHeight))
            keep.push_back(b->rect);
        for (const auto& c : b->children)
            stack.push_back(c.get());
    }
    for (const CHtmlTextRun& r : m_layout.Runs())
        keep.push_back(r.line);
    // By top, so that each page looks only at what starts on it: a long mail has as many pages as lines
    // in proportion, and every page going through every line froze the printing of a hostile one.
    std::sort(keep.begin(), keep.end(), [](const Rect& a, const Rect& b) { return a.y < b.y; });
    float top = 0;
    while (top < total)
    {
        float bottom = top + pageHeight;
        if (bottom < total)
        {
            // Move the cut up above anything it would go through that starts on this page; something taller
            // than a page is cut where it must be.
            const auto first = std::upper_bound(keep.begin(), keep.end(), top,
                                                 [](float v, const Rect& k) { return v < k.y; });
            bool moved = true;
            while (moved)
            {
                moved = false;
                for (auto k = first; k != keep.end() && k->y < bottom; ++k)
                    if (k->Bottom() > bottom && k->h <= pageHeight)
                    {
                        bottom = k->y;
                        moved = true;
                    }
            }
        }
        else
            bottom = total;
        if (bottom <= top)
            bottom = std::min(total, top + pageHeight);
        pages.push_back({top, bottom});
        top = bottom;
    }
    if (pages.empty())
        pages.push_back({0, 0});
    return pages;
}
}

// The layout of the pages in tests/data/html-layout with the window's own fonts, box by box against what
// headless Chromium made of them (tests/platform/htmlview/oracle/chromium-boxes.py writes the .boxes files).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/htmlview/GdiFontMetrics.h"
#include "platform/htmlview/HtmlImageCache.h"

using namespace html;

namespace
{
const float kPageWidth = 800;

// Tolerances. Vertical positions: 4 px, plus 2% of the distance from the top of the page, since GDI's and
// Chromium's line heights differ by a fraction of a pixel and the difference adds up down a page. Horizontal
// positions: 4 px, plus 3% of the box's width (5% for text), since centring and right alignment move a box by
// what its width or its text's differs (GDI's hinted advances are up to a few per cent wider at small sizes).
// Widths and heights: 4 px or 4%, whichever is larger.
bool NearY(float ours, float theirs)
{
    return std::fabs(ours - theirs) <= 4 + 0.02f * std::max(0.f, theirs);
}

bool NearX(float ours, float theirs, float width, float share)
{
    return std::fabs(ours - theirs) <= 4 + share * width;
}

bool NearSize(float ours, float theirs)
{
    return std::fabs(ours - theirs) <= std::max(4.f, 0.04f * theirs);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Differences from Chromium not mended yet, "PAGE ITEM" a line ("table 6", "text 11"), with # comments: the
// test skips them, and fails once one of them matches, so that the list only shrinks.
std::map<std::string, std::vector<std::string>> KnownDifferences()
{
    std::map<std::string, std::vector<std::string>> known;
    std::istringstream in(ReadFile(ORB_TEST_DATA_DIR "/html-layout/known-differences.txt"));
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t space = line.find(' ');
        if (line.empty() || line[0] == '#' || space == std::string::npos)
            continue;
        known[line.substr(0, space)].push_back(line.substr(space + 1));
    }
    return known;
}

std::vector<std::string> Pages()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(ORB_TEST_DATA_DIR "/html-layout/*.html", &found);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
            names.push_back(found.cFileName);
        while (::FindNextFileA(hFind, &found));
        ::FindClose(hFind);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool OnlySpace(const std::string& s)
{
    return s.find_first_not_of(" \t\n\r\f") == std::string::npos;
}

struct Page
{
    CHtmlDocument doc;
    CHtmlStyler styler;
    CHtmlImageCache images;
    HDC hDC = ::CreateCompatibleDC(nullptr);
    CGdiFontMetrics metrics{hDC, 96};
    CHtmlLayout layout{doc, metrics, &images.Sizes()};
    std::map<std::string, std::vector<const CHtmlNode*>> elements;  // by tag, in document order
    std::vector<const CHtmlNode*> texts;                               // not only white space
    std::map<const CHtmlNode*, std::vector<Rect>> lines;               // each text node's line pieces

    explicit Page(const std::string& html)
    {
        doc.Parse(html);
        styler.Apply(doc, kPageWidth);
        images.Load(doc, std::wstring()); // the pages carry their images as data: URLs
        layout.Layout(kPageWidth);
        doc.Walk([&](const CHtmlNode* n) {
            if (n->type == NodeType::Element)
                elements[n->name].push_back(n);
            else if (n->type == NodeType::Text && !OnlySpace(n->text) && n->parent &&
                     !(n->parent->IsElement("script") || n->parent->IsElement("style") ||
                       n->parent->IsElement("title") || n->parent->IsElement("head")))
                texts.push_back(n);
        });
        // The runs of one text node on one line make one piece, as a browser's client rects of its range.
        for (const CHtmlTextRun& r : layout.Runs())
        {
            if (!r.node || r.node->type != NodeType::Text || r.text.empty())
                continue;
            const float top = r.baseline - metrics.Ascent(*r.style);
            const float bottom = r.baseline + metrics.Descent(*r.style);
            std::vector<Rect>& pieces = lines[r.node];
            if (!pieces.empty() && std::fabs(pieces.back().y - top) < 0.5f)
            {
                Rect& p = pieces.back();
                const float right = std::max(p.Right(), r.x + r.width);
                p.x = std::min(p.x, r.x);
                p.w = right - p.x;
            }
            else
                pieces.push_back({r.x, top, r.width, bottom - top});
        }
    }
    ~Page() { ::DeleteDC(hDC); }
};

std::string Describe(const Rect& r)
{
    std::ostringstream s;
    s << r.x << "," << r.y << " " << r.w << "x" << r.h;
    return s.str();
}
}

TEST(HtmlLayoutOracle, BoxesAndTextLinesMatchChromiumWithinTolerance)
{
    const std::vector<std::string> pages = Pages();
    ASSERT_FALSE(pages.empty());
    std::map<std::string, std::vector<std::string>> known = KnownDifferences();
    for (const std::string& name : pages)
    {
        const std::string base = std::string(ORB_TEST_DATA_DIR) + "/html-layout/" + name;
        Page page(ReadFile(base));
        std::istringstream expected(ReadFile(base.substr(0, base.size() - 5) + ".boxes"));
        std::vector<std::string> misses;
        std::vector<std::string> knownHere = known[name];
        std::vector<std::string> matched;
        // A miss of a known difference is expected; a match of one means the list is out of date.
        auto miss = [&](const std::string& what, const std::string& detail) {
            if (std::find(knownHere.begin(), knownHere.end(), what) == knownHere.end())
                misses.push_back(what + detail);
        };
        auto match = [&](const std::string& what) {
            if (std::find(knownHere.begin(), knownHere.end(), what) != knownHere.end())
                matched.push_back(what);
        };
        std::map<int, std::vector<Rect>> theirLines;
        std::string line;
        while (std::getline(expected, line))
        {
            std::istringstream in(line);
            std::string kind, tag;
            int ordinal = 0;
            Rect r;
            in >> kind;
            if (kind == "box")
                in >> tag;
            in >> ordinal >> r.x >> r.y >> r.w >> r.h;
            if (kind == "text")
            {
                theirLines[ordinal].push_back(r);
                continue;
            }
            if (r.w == 0 && r.h == 0)
                continue;
            const auto& nodes = page.elements[tag];
            const CHtmlBox* box = ordinal < int(nodes.size()) ? page.layout.BoxFor(nodes[ordinal]) : nullptr;
            const std::string what = tag + " " + std::to_string(ordinal);
            if (!box)
                miss(what, ": no box, Chromium " + Describe(r));
            else if (!NearX(box->rect.x, r.x, r.w, 0.03f) || !NearY(box->rect.y, r.y) ||
                     !NearSize(box->rect.w, r.w) || !NearSize(box->rect.h, r.h))
                miss(what, ": ours " + Describe(box->rect) + ", Chromium " + Describe(r));
            else
                match(what);
        }
        // Text: where each text node starts, and on how many lines it lies.
        for (const auto& entry : theirLines)
        {
            const std::string what = "text " + std::to_string(entry.first);
            const CHtmlNode* node = entry.first < int(page.texts.size()) ? page.texts[entry.first] : nullptr;
            auto it = node ? page.lines.find(node) : page.lines.end();
            if (it == page.lines.end())
            {
                miss(what, ": not laid out");
                continue;
            }
            const Rect& ours = it->second.front();
            const Rect& theirs = entry.second.front();
            if (!NearX(ours.x, theirs.x, theirs.w, 0.05f) || !NearY(ours.y, theirs.y) ||
                it->second.size() != entry.second.size())
                miss(what, ": ours " + Describe(ours) + " on " + std::to_string(it->second.size()) +
                               " lines, Chromium " + Describe(theirs) + " on " + std::to_string(entry.second.size()));
            else
                match(what);
        }
        std::string report;
        for (const std::string& m : misses)
            report += "\n  " + m;
        EXPECT_TRUE(misses.empty()) << name << ":" << report;
        for (const std::string& m : matched)
            ADD_FAILURE() << name << ": " << m << " now matches Chromium; take it off known-differences.txt";

        // No two text lines of the page overlap: each piece against those of other lines it shares columns with.
        std::vector<Rect> all;
        for (const auto& entry : page.lines)
            all.insert(all.end(), entry.second.begin(), entry.second.end());
        int overlaps = 0;
        for (size_t a = 0; a < all.size(); a++)
            for (size_t b = a + 1; b < all.size(); b++)
            {
                const Rect& p = all[a];
                const Rect& q = all[b];
                const float across = std::min(p.Right(), q.Right()) - std::max(p.x, q.x);
                const float down = std::min(p.Bottom(), q.Bottom()) - std::max(p.y, q.y);
                if (across > 1 && down > 0.25f * std::min(p.h, q.h) && std::fabs(p.y - q.y) > 0.5f)
                {
                    if (overlaps++ < 5)
                        ADD_FAILURE() << name << ": text at " << Describe(p) << " overlaps text at " << Describe(q);
                }
            }
        EXPECT_EQ(overlaps, 0) << name;
    }
}

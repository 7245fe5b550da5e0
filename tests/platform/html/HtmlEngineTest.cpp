// The HTML engine on the client's own page shapes, real-world-like mails and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <map>
#include <string>
#include <vector>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/html/HtmlTextModel.h"

using namespace html;

namespace
{
struct Rendered
{
    CHtmlDocument doc;
    CHtmlStyler styler;
    CHtmlFixedMetrics metrics;
    std::unique_ptr<CHtmlLayout> layout;
    std::unique_ptr<CHtmlTextModel> text;

    Rendered(const std::string& html, float width, float viewport = CHtmlStyler::kDefaultViewportWidth)
    {
        doc.Parse(html);
        styler.Apply(doc, viewport);
        layout = std::make_unique<CHtmlLayout>(doc, metrics);
        layout->Layout(width);
        text = std::make_unique<CHtmlTextModel>(*layout, metrics);
    }

    const CHtmlNode* ById(const std::string& id) const
    {
        const CHtmlNode* found = nullptr;
        doc.Walk([&](const CHtmlNode* n) {
            const std::string* v = n->type == NodeType::Element ? n->Attribute("id") : nullptr;
            if (v && *v == id && !found)
                found = n;
        });
        return found;
    }

    Rect Box(const std::string& id) const
    {
        const CHtmlBox* b = layout->BoxFor(ById(id));
        return b ? b->rect : Rect{-1, -1, -1, -1};
    }
};

void ExpectRect(const Rect& r, float x, float y, float w, float h, const std::string& what)
{
    EXPECT_NEAR(r.x, x, 0.01) << what;
    EXPECT_NEAR(r.y, y, 0.01) << what;
    EXPECT_NEAR(r.w, w, 0.01) << what;
    EXPECT_NEAR(r.h, h, 0.01) << what;
}
}

// With the fixed metric a 16 px character is 8 px wide and a line 16 px high.
TEST(HtmlEngine, FixturePagesHaveTheExpectedGeometryAndText)
{
    struct Case
    {
        const char* name;
        const char* html;
        float width;
        struct { const char* id; float x, y, w, h; } boxes[4];
        const char* text;
    } cases[] = {
        {"paragraphs collapse margins", "<!DOCTYPE html><body><p id=a>one</p><p id=b>two</p></body>", 400,
         {{"a", 8, 16, 384, 16}, {"b", 8, 48, 384, 16}},
         "one\r\ntwo"},
        {"to line in FONT size=1 with mailto links",
         "<body style='margin:0'><div id=to><font size=1>To: <a href='mailto:a@b.c'>Ann</a>; "
         "<a href='mailto:d@e.f'>Bob</a></font></div></body>",
         // Without a DOCTYPE the line is as high as the small FONT's text, not the DIV's own 16 px.
         400, {{"to", 0, 0, 400, 10}}, "To: Ann; Bob"},
        {"blockquote quote with a left border",
         "<body style='margin:0'><blockquote id=q style='border-left:2px solid #00f;padding-left:5px;"
         "margin:0 0 0 5px'>quoted</blockquote></body>",
         300, {{"q", 5, 0, 295, 16}}, "quoted"},
        {"printable page with the FONT shorthand",
         "<body style='margin:0'><div id=p style='font:10pt arial'>Subject</div></body>", 300,
         {{"p", 0, 0, 300, 13.3333f}}, "Subject"},
        {"newsletter of nested tables with cellpadding",
         "<body style='margin:0'><table id=t width=400 cellpadding=4 cellspacing=0 bgcolor=#eeeeee>"
         "<tr><td id=c1 width=100>Left</td><td id=c2><table id=inner cellspacing=0 cellpadding=0><tr>"
         "<td>Inner</td></tr></table></td></tr></table></body>",
         600, {{"t", 0, 0, 400, 24}, {"c1", 0, 0, 108, 24}, {"c2", 108, 0, 292, 24}},
         "Left\r\nInner"},
        {"plain text as DIV and BR", "<body style='margin:0'><div id=d>line one<br>line two<br><br>end</div></body>",
         300, {{"d", 0, 0, 300, 64}}, "line one\r\nline two\r\n\r\nend"},
        {"list with markers", "<body style='margin:0'><ul style='margin:0' id=u><li>a<li>b</ul></body>", 300,
         {{"u", 0, 0, 300, 32}}, "\xE2\x80\xA2 a\r\n\xE2\x80\xA2 b"},
        {"PRE keeps spaces and lines",
         "<!DOCTYPE html><body style='margin:0'><pre id=p style='margin:0'>a  b\nc</pre></body>", 300,
         {{"p", 0, 0, 300, 32}}, "a  b\r\nc"},
        {"images sized from attributes", "<body style='margin:0'><div id=d><img id=i src=x width=50 height=30>"
         "</div></body>",
         300, {{"i", 0, 0, 50, 30}}, ""},
        {"table caption above the grid",
         "<body style='margin:0'><table id=t cellspacing=0 cellpadding=0><caption>Cap</caption><tr><td id=c>x</td>"
         "</tr></table></body>",
         300, {{"t", 0, 0, 24, 32}, {"c", 0, 16, 24, 16}}, "Cap\r\nx"},
        {"entities", "<body>caf&eacute; &amp; &lt;tea&gt;</body>", 300, {}, "caf\xC3\xA9 & <tea>"},
        {"IE's body margin attributes", "<body topmargin=0 leftmargin=\"0\"><div id=d>x</div></body>", 300,
         {{"d", 0, 0, 292, 16}}, "x"},
    };
    for (const Case& c : cases)
    {
        Rendered r(c.html, c.width);
        for (const auto& b : c.boxes)
            if (b.id)
                ExpectRect(r.Box(b.id), b.x, b.y, b.w, b.h, std::string(c.name) + ": " + b.id);
        EXPECT_EQ(r.text->Text(), c.text) << c.name;
    }
}

TEST(HtmlEngine, LinesBreakAtSpacesAndBetweenIdeographs)
{
    Rendered latin("<body style='margin:0'><div id=d>aaaa bbbb cccc</div></body>", 80);
    ExpectRect(latin.Box("d"), 0, 0, 80, 32, "two lines");
    Rendered cjk("<body style='margin:0'><div id=d>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE6\x97\xA5\xE6\x9C\xAC"
                 "</div></body>",
                 48);
    ExpectRect(cjk.Box("d"), 0, 0, 48, 32, "five ideographs of 16 px in 48 px");
}

TEST(HtmlEngine, HitTestSelectionFindAndLinks)
{
    Rendered r("<body style='margin:0'><div>Hello <a href='http://x/'>world</a></div><p id=a>Second "
               "paragraph</p></body>",
               400);
    TextPosition a, b;
    ASSERT_TRUE(r.text->HitTest(1, 5, a));
    ASSERT_TRUE(r.text->HitTest(8 * 8 + 1, 5, b));
    EXPECT_EQ(r.text->Text(a, b), "Hello wo");
    const CHtmlNode* link = r.text->LinkAt(8 * 7, 5);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(*link->Attribute("href"), "http://x/");
    EXPECT_EQ(r.text->LinkAt(8 * 2, 5), nullptr);

    TextRange found;
    ASSERT_TRUE(r.text->Find("PARAGRAPH", false, true, TextPosition(), found));
    EXPECT_EQ(r.text->Text(found.start, found.end), "paragraph");
    EXPECT_FALSE(r.text->Find("PARAGRAPH", true, true, TextPosition(), found));
    ASSERT_TRUE(r.text->Find("o", false, false, found.start, found));
    EXPECT_EQ(found.start.run, 2u);  // the "o" of "Second", searching backward
    EXPECT_EQ(found.start.offset, 3u);
}

TEST(HtmlEngine, AnchorsGiveTheirPosition)
{
    Rendered r("<body style='margin:0'><div>top</div><a name=here></a><div id=sec>section</div></body>", 300);
    float y = -1;
    ASSERT_TRUE(r.layout->AnchorY("#here", y));
    EXPECT_NEAR(y, 16, 0.01);
    ASSERT_TRUE(r.layout->AnchorY("sec", y));
    EXPECT_NEAR(y, 16, 0.01);
    EXPECT_FALSE(r.layout->AnchorY("#none", y));
}

TEST(HtmlEngine, PagesCutBetweenLinesAndEveryLineIsOnExactlyOnePage)
{
    std::string html = "<body style='margin:0'>";
    for (int i = 0; i < 40; i++)
        html += "<p style='margin:3px'>line " + std::to_string(i) + "</p>";
    html += "<table cellspacing=0><tr><td>a<br>b<br>c</td></tr></table></body>";
    Rendered r(html, 300);
    auto pages = r.text->Paginate(100);
    ASSERT_GT(pages.size(), 1u);
    for (const CHtmlTextRun& run : r.layout->Runs())
    {
        int on = 0;
        for (const Page& p : pages)
            if (run.line.y >= p.top - 0.01f && run.line.Bottom() <= p.bottom + 0.01f)
                on++;
        EXPECT_EQ(on, 1) << run.text;
    }
    for (const Page& p : pages)
        EXPECT_LE(p.bottom - p.top, 100.01f);
}

TEST(HtmlEngine, PaintListHasBackgroundsBordersTextAndImages)
{
    Rendered r("<body style='margin:0'><table bgcolor=red border=1><tr><td><font color=#00ff00>x</font>"
               "<img src=i width=5 height=5></td></tr></table></body>",
               300);
    bool fill = false, border = false, text = false, image = false;
    for (const PaintItem& p : r.text->PaintList())
    {
        fill |= p.kind == PaintItem::Fill && p.colors[0] == 0xFFFF0000;
        border |= p.kind == PaintItem::Border;
        text |= p.kind == PaintItem::Text && p.text == "x" && p.colors[0] == 0xFF00FF00;
        image |= p.kind == PaintItem::Image && p.rect.w == 5;
    }
    EXPECT_TRUE(fill && border && text && image);
}

TEST(HtmlEngine, OverflowHiddenClipsTextAndImagesToThePaddingBox)
{
    Rendered r("<body style='margin:0'><div style='overflow:hidden;height:20px;width:50px;padding:2px'>a<br>b<br>"
               "<img src=i width=5 height=5></div></body>",
               300);
    int clipped = 0;
    for (const PaintItem& p : r.text->PaintList())
        if (p.kind == PaintItem::Text || p.kind == PaintItem::Image)
        {
            EXPECT_TRUE(p.hasClip);
            ExpectRect(p.clip, 0, 0, 54, 24, p.text);
            clipped++;
        }
    EXPECT_EQ(clipped, 3);
}

TEST(HtmlEngine, HostileInputStaysBounded)
{
    std::string deep;
    for (int i = 0; i < 100000; i++)
        deep += "<div>";
    deep += "deep text";
    std::string attr = "<p title='" + std::string(1 << 20, 'a') + "'>after</p>";
    std::string tables;
    for (int i = 0; i < 2000; i++)
        tables += "<table><tr><td>cell";
    std::string css = "<style>p{margin:99999999999999px;font-size:1e30px;width:-1e99px}</style><p>x</p>";
    std::string broken = "a\xC3\x28 b\xF0\x90\x28\xBC c\xFF\xFE \x80";
    // A backslash ending a quoted string at the end of a stylesheet.
    std::string escape = "<style>a{b:\"\\</style><p style='a:\"\\'>x</p>";
    std::string spans = "<table><tr><td colspan=999999 rowspan=999999>x</td></tr></table>";
    for (const std::string* input : {&deep, &attr, &tables, &css, &broken, &escape, &spans})
    {
        Rendered r(*input, 500);
        EXPECT_GE(r.layout->Height(), 0);
        r.text->Text();
        r.text->PaintList();
        r.text->Paginate(200);
    }
    Rendered a(attr, 500);
    EXPECT_EQ(a.text->Text(), "after");
    Rendered d(deep, 500);
    EXPECT_TRUE(d.doc.Truncated());
    EXPECT_NE(d.text->Text().find("deep text"), std::string::npos);
}

namespace
{
// Live bytes of this process's operator new, and their highest mark since the last Reset.
struct Heap
{
    static std::atomic<size_t> live, peak;
    static void Reset() { peak = live.load(); }
};
std::atomic<size_t> Heap::live{0}, Heap::peak{0};
constexpr size_t kHeader = 16;

void* Allocate(size_t n)
{
    char* p = static_cast<char*>(std::malloc(n + kHeader));
    if (!p)
        return nullptr;
    *reinterpret_cast<size_t*>(p) = n;
    const size_t now = Heap::live += n;
    size_t seen = Heap::peak.load();
    while (now > seen && !Heap::peak.compare_exchange_weak(seen, now))
    {
    }
    return p + kHeader;
}

void Release(void* q)
{
    if (!q)
        return;
    char* p = static_cast<char*>(q) - kHeader;
    Heap::live -= *reinterpret_cast<size_t*>(p);
    std::free(p);
}
}

void* operator new(size_t n)
{
    if (void* p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n)
{
    return operator new(n);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
    return Allocate(n);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept
{
    return Allocate(n);
}
void operator delete(void* p) noexcept
{
    Release(p);
}
void operator delete[](void* p) noexcept
{
    Release(p);
}
void operator delete(void* p, size_t) noexcept
{
    Release(p);
}
void operator delete[](void* p, size_t) noexcept
{
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    Release(p);
}

// A hostile mail must not freeze the preview: thousands of floats cost each line and float a look at the
// few floats beside it, not at all of them.
TEST(HtmlEngine, FloatPlacementGrowsWithThePageNotItsSquare)
{
    const struct
    {
        const char* what;
        std::string (*page)(int n);
    } shapes[] = {
        {"rows of equal floats",
         [](int n) {
             std::string h;
             for (int i = 0; i < n; i++)
                 h += "<div style='float:left;width:50px;height:20px'>x</div>";
             return h;
         }},
        {"floats beside paragraphs",
         [](int n) {
             std::string h;
             for (int i = 0; i < n; i++)
                 h += "<div style='float:left;width:60px;height:50px'>f</div><p>text beside the float, long "
                      "enough to wrap into lines there</p>";
             return h;
         }},
        {"both sides, sizes varying",
         [](int n) {
             std::string h;
             for (int i = 0; i < n; i++)
                 h += std::string("<div style='float:") + (i % 2 ? "left" : "right") +
                      ";width:" + std::to_string(10 + i % 300) + "px;height:" + std::to_string(5 + i % 97) +
                      "px'>y</div>text here " + (i % 7 ? "" : "<p>para</p>");
             return h;
         }},
    };
    for (const auto& shape : shapes)
    {
        Rendered small(shape.page(2500), 800);
        Rendered big(shape.page(10000), 800);
        // Four times the floats: about four times the work (searching them all for each would be sixteen).
        EXPECT_LT(big.layout->FloatSteps(), small.layout->FloatSteps() * 6 + 1000) << shape.what;
    }
    // No float sits higher than one before it, and every row of equal floats (15 in the body's 784 px) is
    // full before the next begins.
    Rendered rows(shapes[0].page(100), 800);
    float lastTop = -1;
    int inRow = 0, rowsSeen = 0;
    std::vector<const CHtmlBox*> stack{&rows.layout->Root()};
    std::vector<Rect> floats;
    while (!stack.empty())
    {
        const CHtmlBox* b = stack.back();
        stack.pop_back();
        if (b->node && b->node->IsElement("div"))
            floats.push_back(b->rect);
        for (const auto& c : b->children)
            stack.push_back(c.get());
    }
    std::sort(floats.begin(), floats.end(),
              [](const Rect& a, const Rect& b) { return a.y < b.y || (a.y == b.y && a.x < b.x); });
    ASSERT_EQ(floats.size(), 100u);
    for (const Rect& r : floats)
    {
        if (r.y != lastTop)
        {
            EXPECT_TRUE(rowsSeen == 0 || inRow == 15) << "row of " << inRow << " at " << lastTop;
            lastTop = r.y, inRow = 0, rowsSeen++;
        }
        EXPECT_EQ(r.x, floats[0].x + inRow * 50.f);
        inRow++;
    }
    EXPECT_EQ(rowsSeen, 7);
}

// A multi-megabyte PRE costs memory in proportion to its size, whatever its white space.
TEST(HtmlEngine, ALongPreStaysWithinAFewTimesItsSize)
{
    const size_t size = 4 << 20;
    const struct
    {
        const char* what;
        std::string text;
    } shapes[] = {
        {"lines of words", [&] {
             std::string t;
             while (t.size() < size)
                 t += "some text in a pre  block with\tspaces\n";
             return t;
         }()},
        {"one long line of words", [&] {
             std::string t;
             while (t.size() < size)
                 t += "word ";
             return t;
         }()},
        {"white space only", std::string(size, ' ') + "x"},
        {"tabs and spaces", [&] {
             std::string t;
             while (t.size() < size)
                 t += " \t  \t";
             return t + "x";
         }()},
    };
    for (const auto& shape : shapes)
    {
        const std::string html = "<pre>" + shape.text + "</pre>";
        CHtmlDocument doc;
        doc.Parse(html);
        CHtmlStyler styler;
        styler.Apply(doc);
        CHtmlFixedMetrics metrics;
        Heap::Reset();
        const size_t before = Heap::live;
        {
            CHtmlLayout layout(doc, metrics);
            layout.Layout(800);
            CHtmlTextModel text(layout, metrics);
            EXPECT_FALSE(text.PaintList().empty()) << shape.what;
            EXPECT_GT(text.Text().size(), 0u) << shape.what;
        }
        // A piece for every space of a white-space run cost over a hundred times the size.
        EXPECT_LT(Heap::peak - before, 64 * size) << shape.what;
    }
}
// Table shapes of newsletters; with the fixed metric a character is 8 px and a line 16 px.
TEST(HtmlEngine, TablesGrowRowsToContentAndGiveColumnsTheirContentWidths)
{
    const char* tight = "<body style='margin:0'><table cellspacing=0 cellpadding=0 ";
    struct Case
    {
        const char* name;
        std::string html;
        struct { const char* id; float x, y, w, h; } boxes[3];
    };
    std::string words;
    for (int i = 0; i < 100; i++)
        words += "ab ";
    const Case cases[] = {
        {"a cell height is a minimum",
         std::string(tight) + "width=400><tr><td id=a height=1>x<br>y<br>z</td></tr><tr><td id=b>after</td></tr>"
                              "</table>",
         {{"a", 0, 0, 400, 48}, {"b", 0, 48, 400, 16}}},
        {"a row height is a minimum",
         std::string(tight) + "width=400><tr id=r height=19><td>x<br>y</td></tr><tr><td id=b>after</td></tr></table>",
         {{"r", 0, 0, 400, 32}, {"b", 0, 32, 400, 16}}},
        {"spacer columns stay thin beside a text column",
         std::string(tight) + "width=600><tr><td colspan=3 id=h>" + std::string(60, 'x') + " " +
             std::string(20, 'y') + "</td></tr><tr><td width=10><img src=s width=10 height=1></td><td id=t>" + words +
             "</td><td width=10 id=s><img src=s width=10 height=1></td></tr></table>",
         {{"h", 0, 0, 600, 32}, {"t", 10, 32, 580, 80}, {"s", 590, 32, 10, 80}}},
        {"rowspan=0 spans to the end of its section",
         std::string(tight) + "><tr><td id=s rowspan=0>s</td><td>a</td></tr><tr><td id=b>b</td></tr><tr><td>c</td>"
                              "</tr></table>",
         {{"s", 0, 0, 8, 48}, {"b", 8, 16, 8, 16}}},
        {"a cell wider than its table widens it",
         std::string(tight) + "width=100 id=t><tr><td><img src=i width=300 height=10></td></tr></table>",
         {{"t", 0, 0, 300, 10}}},
        {"a nested table without a width shrinks to its content",
         std::string(tight) + "width=500><tr><td><table id=n cellspacing=0 cellpadding=0><tr><td>abc</td></tr>"
                              "</table></td></tr></table>",
         {{"n", 0, 0, 24, 16}}},
        {"set cell widths give way in a narrower table",
         std::string(tight) + "width=300><tr><td id=a width=200>a</td><td id=b width=200>b</td></tr></table>",
         {{"a", 0, 0, 150, 16}, {"b", 150, 0, 150, 16}}},
        {"cell widths of box-sizing:border-box include their padding",
         std::string(tight) + "width=330><tr><td id=a style='box-sizing:border-box;width:100px;padding:0 10px'>a</td>"
                              "<td id=b style='box-sizing:border-box;width:100px;padding:0 10px'>b</td><td id=c "
                              "style='box-sizing:border-box;width:100px;padding:0 10px'>c</td></tr></table>",
         {{"a", 0, 0, 110, 16}, {"b", 110, 0, 110, 16}, {"c", 220, 0, 110, 16}}},
        {"white space around and between a cell's words counts once",
         std::string(tight) + "id=w><tr><td>\n      abc    def   \n    </td></tr></table>", {{"w", 0, 0, 56, 16}}},
        {"a block image with max-width:100% keeps to its cell",
         std::string(tight) + "width=100><tr><td><img id=i style='display:block;max-width:100%' src=i width=300>"
                              "</td></tr></table>",
         {{"i", 0, 0, 100, 100}}},
        {"a nested table of percentage width leaves its auto table at its content's width",
         std::string(tight) + "id=o><tr><td><table width=100% cellspacing=0 cellpadding=0><tr><td>abc</td></tr>"
                              "</table></td></tr></table>",
         {{"o", 0, 0, 24, 16}}},
    };
    for (const Case& c : cases)
    {
        Rendered r(c.html, 600);
        for (const auto& b : c.boxes)
            if (b.id)
                ExpectRect(r.Box(b.id), b.x, b.y, b.w, b.h, std::string(c.name) + ": " + b.id);
    }
}

TEST(HtmlEngine, BlockTablesAreCentredWhereTheAlignAttributeOrCenterSaysSo)
{
    const std::string table = "<table id=t width=200 cellspacing=0><tr><td>x</td></tr></table>";
    struct Case
    {
        const char* name;
        std::string before, after;
        float x;
    } cases[] = {
        {"center", "<center>", "</center>", 200},
        {"div align=center", "<div align=center>", "</div>", 200},
        {"p align=center, which a table does not close without a DOCTYPE", "<p align=center>", "</p>", 200},
        {"td align=center", "<table width=600 cellspacing=0 cellpadding=0><tr><td align=center>", "</td></tr></table>",
         200},
        {"div align=right", "<div align=right>", "</div>", 400},
        {"CSS text-align leaves blocks where they are", "<div style='text-align:center'>", "</div>", 0},
    };
    for (const Case& c : cases)
    {
        Rendered r("<body style='margin:0'>" + c.before + table + c.after + "</body>", 600);
        EXPECT_NEAR(r.Box("t").x, c.x, 0.01) << c.name;
    }
}

TEST(HtmlEngine, PresentationalAttributesReachTheTextTheyStyle)
{
    Rendered r("<body link=#cc0000 text=#333333 style='margin:0'><p id=p><a href='http://x/' id=a><b>bold</b></a> "
               "<u><font color=green>under</font></u> <s><i>struck</i></s> plain</p></body>",
               600);
    std::map<std::string, const CHtmlTextRun*> runs;
    for (const CHtmlTextRun& run : r.layout->Runs())
        runs[run.text] = &run;
    ASSERT_TRUE(runs.count("bold") && runs.count("under") && runs.count("struck") && runs.count(" plain"));
    EXPECT_EQ(runs["bold"]->style->color, 0xFFCC0000u);
    EXPECT_TRUE(runs["bold"]->style->underline);
    EXPECT_EQ(runs["bold"]->style->fontWeight, 700);
    EXPECT_TRUE(runs["under"]->style->underline);
    EXPECT_EQ(runs["under"]->style->color, 0xFF008000u);
    EXPECT_TRUE(runs["struck"]->style->lineThrough);
    EXPECT_FALSE(runs[" plain"]->style->underline);
    EXPECT_EQ(runs[" plain"]->style->color, 0xFF333333u);

    // A zero-size image takes no room between the words around it.
    Rendered zero("<body style='margin:0'><div>ab<img id=i src=t width=0 height=0>cd</div></body>", 600);
    EXPECT_NEAR(zero.Box("i").x, 16, 0.01);
    EXPECT_EQ(zero.Box("i").w, 0);
    EXPECT_EQ(zero.Box("i").h, 0);
    ASSERT_EQ(zero.layout->Runs().size(), 2u);
    EXPECT_NEAR(zero.layout->Runs()[1].x, 16, 0.01);
    for (const PaintItem& p : zero.text->PaintList())
        EXPECT_NE(p.kind, PaintItem::Image);

    // Justified lines reach both edges but the last; words keep their order and text.
    Rendered just("<body style='margin:0'><div style='text-align:justify;width:100px'>aa bb cc dd ee ff</div></body>",
                  600);
    std::vector<float> xs;
    std::string words;
    for (const CHtmlTextRun& run : just.layout->Runs())
        xs.push_back(run.x), words += run.separator + run.text;
    EXPECT_EQ(words, "aa bb cc dd ee ff");
    EXPECT_EQ(xs, (std::vector<float>{0, 28, 56, 84, 0}));
    EXPECT_EQ(just.text->Text(), "aa bb cc dd ee ff");

    // An inline-block (a button link) sits on the baseline of its text, adding no gap below itself.
    Rendered button("<!DOCTYPE html><body style='margin:0'><div id=d><a href='x' style='display:inline-block;"
                    "padding:8px'>Go</a></div></body>",
                    600);
    ExpectRect(button.Box("d"), 0, 0, 600, 32, "the line of the button");

    // The marker of a centred item stands before the item's text.
    Rendered list("<body style='margin:0'><ul style='margin:0;padding:0;text-align:center'><li>ab</li></ul></body>",
                  300);
    ASSERT_EQ(list.layout->Runs().size(), 2u);
    const CHtmlTextRun& marker = list.layout->Runs()[0];
    const CHtmlTextRun& item = list.layout->Runs()[1];
    EXPECT_NEAR(item.x, 142, 0.01);
    EXPECT_NEAR(marker.x + marker.width + 8, item.x, 0.01);
    EXPECT_NEAR(marker.baseline, item.baseline, 0.01);
}

// The same markup without and with a DOCTYPE: only the first gets the quirks old mail relies on.
TEST(HtmlEngine, MailWithoutADoctypeGetsTheQuirksAndStandardsModeDoesNot)
{
    const char* tight = "<body style='margin:0'><table cellspacing=0 cellpadding=0><tr><td id=c>";
    struct Case
    {
        const char* name;
        std::string html;
        float quirksHeight, standardsHeight;
    } cases[] = {
        {"the first and last paragraph of a cell lose their margins",
         std::string(tight) + "<p>a</p><p>b</p></td></tr></table>", 48, 80},
        {"an image alone in a cell has no gap below it", std::string(tight) + "<img src=i width=30 height=40> </td>"
                                                                              "</tr></table>",
         40, 43.2f},
        {"text keeps its line", std::string(tight) + "<img src=i width=30 height=40>x</td></tr></table>", 43.2f,
         43.2f},
        {"lines of small FONT text are as high as that text",
         std::string(tight) + "<font size=1>a<br>b<br><br>c</font></td></tr></table>", 40, 64},
    };
    for (const Case& c : cases)
    {
        Rendered quirks(c.html, 600);
        Rendered standards("<!DOCTYPE html>" + c.html, 600);
        EXPECT_NEAR(quirks.Box("c").h, c.quirksHeight, 0.01) << c.name;
        EXPECT_NEAR(standards.Box("c").h, c.standardsHeight, 0.01) << c.name;
    }

    const std::string font = "<body><font color=white size=5><b><i><table><tr><td>x</td></tr></table>"
                             "</i></b></font><pre>p</pre><p>q <tt>t<code>c</code></tt></p></body>";
    auto style = [](const Rendered& r, const char* text) {
        for (const CHtmlTextRun& run : r.layout->Runs())
            if (run.text == text)
                return run.style;
        return static_cast<const CHtmlStyle*>(nullptr);
    };
    Rendered quirks(font, 600), standards("<!DOCTYPE html>" + font, 600);
    const CHtmlStyle* q = style(quirks, "x");
    const CHtmlStyle* s = style(standards, "x");
    ASSERT_TRUE(q && s);
    EXPECT_EQ(q->color, 0xFF000000u);
    EXPECT_EQ(q->fontSize, 16);
    EXPECT_EQ(q->fontWeight, 400);
    EXPECT_FALSE(q->italic);
    EXPECT_EQ(s->color, 0xFFFFFFFFu);
    EXPECT_EQ(s->fontSize, 24);
    EXPECT_EQ(s->fontWeight, 700);
    for (const char* mono : {"p", "t", "c"})
    {
        ASSERT_TRUE(style(quirks, mono) && style(standards, mono)) << mono;
        EXPECT_NEAR(style(quirks, mono)->fontSize, 13, 0.01) << mono;
        EXPECT_NEAR(style(standards, mono)->fontSize, 16, 0.01) << mono;
    }
    // A bold FONT run in a bordered table keeps its weight.
    Rendered bold("<table border=1><tr><td><p><b><font face=Arial size=5>B</font></b></p></td></tr></table>", 600);
    ASSERT_TRUE(style(bold, "B"));
    EXPECT_EQ(style(bold, "B")->fontWeight, 700);
    EXPECT_EQ(style(bold, "B")->fontSize, 24);
}

TEST(HtmlEngine, ResponsiveMailKeepsItsDesktopLayoutInAWidePane)
{
    const std::string html =
        "<style>@media only screen and (max-width:596px){.col{display:block!important;width:100%!important}}"
        "</style><body style='margin:0'><div id=d style='max-width:300px;margin:0 auto'>x</div>"
        "<table cellspacing=0 cellpadding=0 width=600><tr><th class=col id=a width=200>a</th><th class=col id=b>b"
        "</th></tr></table></body>";
    Rendered wide(html, 600, 800);
    ExpectRect(wide.Box("d"), 150, 0, 300, 16, "a max-width block with auto margins is centred");
    ExpectRect(wide.Box("a"), 0, 16, 200, 16, "the first column");
    ExpectRect(wide.Box("b"), 200, 16, 400, 16, "the second column");
    Rendered narrow(html, 600, 400);
    EXPECT_EQ(narrow.ById("a")->style->display, Display::Block);
}

// Layout of a styled document into boxes with positions, for a given width and font metrics.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlStyle.h"

namespace html
{
// Text measurement, from the window's fonts or, in tests, a fixed metric.
class IHtmlFontMetrics
{
public:
    virtual ~IHtmlFontMetrics() = default;
    virtual float TextWidth(const CHtmlStyle& font, const char* utf8, size_t len) = 0;
    virtual float Ascent(const CHtmlStyle& font) = 0;
    virtual float Descent(const CHtmlStyle& font) = 0;
    // The font's own leading, part of a "normal" line height as browsers take it.
    virtual float LineGap(const CHtmlStyle&) { return 0; }
};

// Every character half the font size wide (ideographs a full em); ascent 0.8 and descent 0.2 of the size.
class CHtmlFixedMetrics : public IHtmlFontMetrics
{
public:
    float TextWidth(const CHtmlStyle& font, const char* utf8, size_t len) override;
    float Ascent(const CHtmlStyle& font) override { return font.fontSize * 0.8f; }
    float Descent(const CHtmlStyle& font) override { return font.fontSize * 0.2f; }
};

struct Rect
{
    float x = 0, y = 0, w = 0, h = 0;
    float Right() const { return x + w; }
    float Bottom() const { return y + h; }
    bool Contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Decoded image sizes the caller knows, by the IMG's src.
using ImageSizes = std::map<std::string, std::pair<float, float>>;

// A box with its border rectangle in document coordinates.
struct CHtmlBox
{
    enum Kind { Block, Table, Row, Cell, Image, Line };
    Kind kind = Block;
    const CHtmlNode* node = nullptr;
    const CHtmlStyle* style = nullptr;
    Rect rect;
    Rect clip;  // the nearest clipping ancestor's padding box; empty w means none
    bool hasClip = false;
    std::vector<std::unique_ptr<CHtmlBox>> children;
};

// A piece of text on one line: the unit of painting, hit testing and selection.
struct CHtmlTextRun
{
    std::string text;      // collapsed UTF-8 as shown
    std::string separator; // what plain text puts before it: "", " ", "\t" or "\r\n"
    const CHtmlStyle* style = nullptr;
    const CHtmlNode* link = nullptr;  // enclosing A with href
    const CHtmlNode* node = nullptr;  // the text node it shows, or the list item of a marker
    float x = 0, baseline = 0, width = 0;
    Rect line;  // the line box it sits on
    Rect clip;
    bool hasClip = false;
};

class CHtmlLayout
{
public:
    // Caps for hostile tables.
    static constexpr int kMaxColumns = 1000;
    static constexpr int kMaxSpan = 1000;

    CHtmlLayout(const CHtmlDocument& doc, IHtmlFontMetrics& metrics, const ImageSizes* images = nullptr);

    void Layout(float width);

    const CHtmlBox& Root() const { return m_root; }
    const std::vector<CHtmlTextRun>& Runs() const { return m_runs; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    // The first box made for the element, or null.
    const CHtmlBox* BoxFor(const CHtmlNode* node) const;
    bool AnchorY(const std::string& name, float& y) const;
    // How many floats the last Layout looked at while placing lines and floats beside them: work that must
    // grow with the page, not with its square.
    size_t FloatSteps() const { return m_floatSteps; }

private:
    struct FloatArea;
    struct InlineItem;
    struct Flow;
    struct Grid;

    float LayoutBlock(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width, FloatArea& floats);
    float LayoutChildren(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width, FloatArea& floats);
    float LayoutInline(CHtmlBox& box, std::vector<InlineItem>& items, float x, float y, float width,
                       FloatArea& floats, const CHtmlStyle* blockStyle);
    float LayoutTable(CHtmlBox& box, const CHtmlNode* node, float x, float y, float width);
    void BuildGrid(const CHtmlNode* table, Grid& grid, int guard);
    void ColumnWidths(const Grid& grid, float inner, std::vector<float>& colW);
    void CollectInline(const CHtmlNode* node, std::vector<InlineItem>& items, const CHtmlNode* link, int guard,
                       const std::function<void(const CHtmlNode*)>& onBlock);
    void MinMax(const CHtmlNode* node, float& minW, float& maxW, int guard);
    float ImageWidth(const CHtmlNode* node, float avail, float& height);
    void PlaceFloat(CHtmlBox& parent, const CHtmlNode* node, float x, float y, float width, FloatArea& floats);
    void Separator(const char* sep);
    float LineHeight(const CHtmlStyle& s);
    void Anchor(const CHtmlNode* node, float y);

    const CHtmlDocument& m_doc;
    IHtmlFontMetrics& m_metrics;
    const ImageSizes* m_images;
    CHtmlBox m_root;
    std::vector<CHtmlTextRun> m_runs;
    std::map<const CHtmlNode*, const CHtmlBox*> m_boxes;
    std::map<const CHtmlNode*, std::pair<float, float>> m_minMax;
    std::map<std::string, float> m_anchors;
    std::string m_pendingSeparator;
    Rect m_clip;
    bool m_hasClip = false;
    // The bottom margin of its last child that the block laid out last lets through its own bottom.
    float m_escapedMargin = 0;
    float m_trailingMargin = 0;  // what LayoutChildren left after its last block
    float m_width = 0;
    float m_height = 0;
    size_t m_floatSteps = 0;
};
}

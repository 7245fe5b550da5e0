// Computed styles for the document tree: the CSS library's cascade over our DOM, with the user-agent sheet,
// <style> elements, style attributes and the presentational attributes mail still uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace html
{
class CHtmlDocument;

struct Length
{
    enum Unit : uint8_t { Auto, Px, Percent };
    Unit unit = Auto;
    float value = 0;
    float Resolve(float base, float autoValue = 0) const
    {
        return unit == Px ? value : unit == Percent ? base * value / 100 : autoValue;
    }
};

enum class Display : uint8_t { None, Block, Inline, InlineBlock, ListItem, Table, TableRow, TableRowGroup,
                               TableCell, TableCaption, TableColumn };
enum class Float : uint8_t { None, Left, Right };
enum class TextAlign : uint8_t { Left, Right, Center, Justify };
enum class VAlign : uint8_t { Baseline, Top, Middle, Bottom, Sub, Super };
enum class WhiteSpace : uint8_t { Normal, Pre, Nowrap, PreWrap, PreLine };
enum class ListStyle : uint8_t { None, Disc, Circle, Square, Decimal, LowerAlpha, UpperAlpha, LowerRoman,
                                 UpperRoman };

// Colours are 0xAARRGGBB; alpha 0 is transparent.
struct CHtmlStyle
{
    Display display = Display::Inline;
    Float floating = Float::None;
    uint8_t clear = 0;  // 1 left, 2 right, 3 both
    Length width, height, minWidth, minHeight, maxWidth, maxHeight;
    Length margin[4], padding[4];  // top, right, bottom, left
    float border[4] = {0, 0, 0, 0};
    uint32_t borderColor[4] = {0, 0, 0, 0};
    uint32_t color = 0xFF000000;
    uint32_t background = 0;
    std::string fontFamily;  // comma-separated faces in preference order, ending in a generic family
    float fontSize = 16;
    int fontWeight = 400;
    bool italic = false;
    bool underline = false;
    bool lineThrough = false;
    float lineHeight = 0;  // px; 0 is "normal" (the font's own)
    TextAlign textAlign = TextAlign::Left;
    // HTML's align attribute and <center> also place block children: 1 centre, 2 right.
    uint8_t blockAlign = 0;
    // Margins from the user-agent sheet, which mail without a DOCTYPE drops at the top and bottom of cells.
    bool quirkyTop = false, quirkyBottom = false;
    VAlign verticalAlign = VAlign::Baseline;
    WhiteSpace whiteSpace = WhiteSpace::Normal;
    ListStyle listStyle = ListStyle::Disc;
    bool clip = false;
    bool hidden = false;
    bool borderBox = false;  // box-sizing: width and height include padding and border
    float borderSpacing = 0;
    float textIndent = 0;
};

class CHtmlStyler
{
public:
    CHtmlStyler();
    ~CHtmlStyler();
    CHtmlStyler(const CHtmlStyler&) = delete;
    CHtmlStyler& operator=(const CHtmlStyler&) = delete;

    // Gives every node of the document its computed style (text nodes share their parent's); media queries
    // see a screen of the given width, where the page is to be shown.
    void Apply(CHtmlDocument& doc, float viewportWidth = kDefaultViewportWidth);

    static constexpr float kDefaultViewportWidth = 1024;

    static const char* UserAgentSheet();
    // What mail without a DOCTYPE gets on top of it.
    static std::string QuirksSheet();

private:
    std::vector<std::unique_ptr<CHtmlStyle>> m_styles;
};
}

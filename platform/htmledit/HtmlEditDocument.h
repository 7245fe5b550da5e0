// The editor's run model: paragraphs of formatted text runs, with the links, pictures and tables that the
// rich-edit text refers to by number. HTML is read into it through the HTML engine and written out of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace htmledit
{
// A paragraph's element; what the Style menu names.
enum class Block : uint8_t { Div, P, H1, H2, H3, H4, H5, H6, Pre, Address, ListItem, TableRow };
enum class Align : uint8_t { None, Left, Center, Right, Justify };
enum class ListKind : uint8_t { None, Bullet, Number };

// Characters that stand for more than themselves: a line break (BR) and a picture.
const char16_t kLineBreak = 0x000B;
const char16_t kPicture = 0xFFFC;
const char16_t kCellSeparator = 0x0009;

// Colours are 0xRRGGBB; kNoColor is the default (automatic text colour, no background).
const uint32_t kNoColor = 0xFFFFFFFF;

struct CharFormat
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::u16string face;  // empty: the default face
    int size = 0;         // half points; 0: the paragraph's default
    uint32_t color = kNoColor;
    uint32_t back = kNoColor;
    int link = 0;     // 1-based into Document::links; 0 none
    int picture = 0;  // 1-based into Document::pictures, on a kPicture character

    bool operator==(const CharFormat& o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline && face == o.face &&
               size == o.size && color == o.color && back == o.back && link == o.link && picture == o.picture;
    }
    bool operator!=(const CharFormat& o) const { return !(*this == o); }
};

struct Run
{
    std::u16string text;
    CharFormat format;
};

struct Paragraph
{
    Block block = Block::Div;
    Align align = Align::None;
    ListKind list = ListKind::None;
    int listLevel = 0;  // 1 for a top-level list item
    int quote = 0;      // BLOCKQUOTE nesting (and indentation)
    int table = 0;      // 1-based into Document::tables for a table row; its cells split by kCellSeparator
    std::vector<Run> runs;

    std::u16string Text() const;
};

struct Picture
{
    std::string src;  // as written, UTF-8
    std::string alt;
    int width = 0, height = 0;  // from the attributes; 0 when not given
};

struct Table
{
    std::string attributes;      // of the TABLE element, serialised (` border="1"`)
    std::string cellAttributes;  // given to every cell
};

struct Document
{
    std::string head;  // META and TITLE elements of the loaded page, serialised
    std::vector<Paragraph> paragraphs;
    std::vector<std::string> links;  // href values, UTF-8
    std::vector<Picture> pictures;
    std::vector<Table> tables;

    void Clear() { *this = Document(); }
};

// Default character sizes (half points) and boldness of a paragraph's element, as the HTML engine styles it.
int DefaultSize(Block block);
bool DefaultBold(Block block);

// The font size steps of the toolbar (sizes 1-7) in points.
int PointsOfFontSize(int nSize);
// The step nearest to a size in points (1-7).
int FontSizeOfPoints(int nPoints);

// English names of the block formats, in the order GETBLOCKFMTNAMES gives them.
const std::vector<std::u16string>& BlockFormatNames();
}

namespace htmledit
{
// Conversions that replace what is ill-formed by U+FFFD.
std::u16string Utf8To16(const std::string& utf8);
std::string Utf16To8(const std::u16string& text);
}

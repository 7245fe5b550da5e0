// The text of a laid-out document: hit testing, selection, find, plain text, the paint list and pages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/html/HtmlLayout.h"

namespace html
{
// A place between two characters: a run and a byte offset in its text.
struct TextPosition
{
    size_t run = 0;
    size_t offset = 0;
    bool operator<(const TextPosition& o) const { return run != o.run ? run < o.run : offset < o.offset; }
    bool operator==(const TextPosition& o) const { return run == o.run && offset == o.offset; }
};

struct TextRange
{
    TextPosition start, end;
};

struct PaintItem
{
    enum Kind { Fill, Border, Text, Image };
    Kind kind = Fill;
    Rect rect;
    float borders[4] = {0, 0, 0, 0};
    uint32_t colors[4] = {0, 0, 0, 0};  // the fill or text colour is colors[0]
    std::string text;
    const CHtmlStyle* font = nullptr;
    float baseline = 0;
    const CHtmlNode* node = nullptr;  // the IMG of an image
    Rect clip;
    bool hasClip = false;
};

struct Page
{
    float top = 0, bottom = 0;
};

class CHtmlTextModel
{
public:
    CHtmlTextModel(const CHtmlLayout& layout, IHtmlFontMetrics& metrics);

    // The nearest text position to a point (false when the document has no text).
    bool HitTest(float x, float y, TextPosition& pos) const;
    // The link (A element) under a point, or null.
    const CHtmlNode* LinkAt(float x, float y) const;
    // Plain text: blocks and line breaks as CRLF, table cells tab-separated.
    std::string Text() const;
    std::string Text(TextPosition a, TextPosition b) const;
    // Finds text from a position forward or backward; the range is of the match.
    bool Find(const std::string& what, bool matchCase, bool forward, TextPosition from, TextRange& found) const;
    // The x of a position (for carets and selection highlights).
    float XOf(TextPosition pos) const;
    std::vector<PaintItem> PaintList() const;
    // Pages of at most the given height, cut between lines and rows, never through a line of text.
    std::vector<Page> Paginate(float pageHeight) const;

private:
    const CHtmlLayout& m_layout;
    IHtmlFontMetrics& m_metrics;
};
}

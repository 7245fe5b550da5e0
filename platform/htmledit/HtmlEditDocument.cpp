// The run model's defaults: element sizes as the HTML engine styles them, font size steps, format names.
#include "platform/htmledit/HtmlEditDocument.h"

#include <cstdlib>

#include "platform/html/HtmlText.h"

namespace htmledit
{
std::u16string Paragraph::Text() const
{
    std::u16string text;
    for (const Run& run : runs)
        text += run.text;
    return text;
}

int DefaultSize(Block block)
{
    // Half points of the engine's sizes (16 px text; headings in em of it; monospace PRE text at 13 px).
    switch (block)
    {
    case Block::Pre: return 20;
    case Block::H1: return 48;
    case Block::H2: return 36;
    case Block::H3: return 28;
    case Block::H5: return 20;
    case Block::H6: return 18;
    default: return 24;
    }
}

bool DefaultBold(Block block)
{
    return block >= Block::H1 && block <= Block::H6;
}

int PointsOfFontSize(int nSize)
{
    static const int points[] = {8, 10, 12, 14, 18, 24, 36};
    if (nSize < 1)
        nSize = 1;
    if (nSize > 7)
        nSize = 7;
    return points[nSize - 1];
}

int FontSizeOfPoints(int nPoints)
{
    int best = 1;
    for (int n = 2; n <= 7; ++n)
        if (std::abs(PointsOfFontSize(n) - nPoints) < std::abs(PointsOfFontSize(best) - nPoints))
            best = n;
    return best;
}

const std::vector<std::u16string>& BlockFormatNames()
{
    static const std::vector<std::u16string> names = {
        u"Normal",    u"Formatted", u"Heading 1",     u"Heading 2",    u"Heading 3", u"Heading 4",
        u"Heading 5", u"Heading 6", u"Numbered List", u"Bulleted List"};
    return names;
}

std::u16string Utf8To16(const std::string& utf8)
{
    const std::string valid = html::ValidUtf8(utf8);
    std::u16string out;
    out.reserve(valid.size());
    size_t pos = 0;
    while (pos < valid.size())
    {
        uint32_t cp = html::NextCodePoint(valid, pos);
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        else
            out.push_back(static_cast<char16_t>(cp));
    }
    return out;
}

std::string Utf16To8(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp < 0xE000)
            cp = 0xFFFD;
        html::AppendUtf8(out, cp);
    }
    return out;
}
}

// UTF-8 helpers of the HTML engine: validation, decoding, line-break classes and case folding.
#include "platform/html/HtmlText.h"

namespace html
{
std::string ValidUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size(), i = 0;
    while (i < n)
    {
        unsigned char c = p[i];
        size_t len = 0;
        uint32_t cp = 0, min = 0;
        if (c >= 1 && c < 0x80)
        {
            out += char(c);
            i++;
            continue;
        }
        if ((c & 0xE0) == 0xC0)
            len = 2, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0)
            len = 3, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0)
            len = 4, cp = c & 0x07, min = 0x10000;
        bool ok = len != 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; k++)
        {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (ok)
        {
            out.append(s, i, len);
            i += len;
        }
        else
        {
            out += "\xEF\xBF\xBD";
            i++;
        }
    }
    return out;
}

uint32_t NextCodePoint(const std::string& s, size_t& pos)
{
    auto c = static_cast<unsigned char>(s[pos++]);
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra && pos < s.size(); k++)
        cp = (cp << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
    return cp;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80)
        out += char(cp);
    else if (cp < 0x800)
    {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    else
    {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool IsIdeographic(uint32_t cp)
{
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFF00 && cp <= 0xFFEF) || (cp >= 0x20000 && cp <= 0x3FFFF);
}

bool NoBreakBefore(uint32_t cp)
{
    switch (cp)
    {
    case 0x3001: case 0x3002: case 0xFF0C: case 0xFF0E: case 0xFF09: case 0x300D: case 0x300F: case 0x3011:
    case 0x30FC: case 0x3041: case 0x3043: case 0x3045: case 0x3047: case 0x3049: case 0x3063: case 0x30A1:
    case 0x30A3: case 0x30A5: case 0x30A7: case 0x30A9: case 0x30C3: case 0xFF01: case 0xFF1F: case 0xFF1A:
    case 0xFF1B: case ')': case ']': case '}': case ',': case '.': case ':': case ';': case '!': case '?':
        return true;
    default:
        return false;
    }
}

uint32_t FoldCase(uint32_t cp)
{
    if (cp >= 'A' && cp <= 'Z')
        return cp + 32;
    if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7))
        return cp + 32;
    if (cp >= 0x100 && cp <= 0x17F && cp != 0x130 && cp != 0x131 && cp != 0x138 && cp != 0x149 && cp != 0x17F)
    {
        bool evenUpper = (cp < 0x138) || (cp > 0x149 && cp < 0x179);
        if (evenUpper)
            return (cp % 2 == 0) ? cp + 1 : cp;
        return (cp % 2 == 1) ? cp + 1 : cp;
    }
    if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2)
        return cp + 32;
    if (cp >= 0x410 && cp <= 0x42F)
        return cp + 32;
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 80;
    return cp;
}
}

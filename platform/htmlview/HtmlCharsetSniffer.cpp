// Byte-order marks and META charsets of page bytes.
#include "HtmlCharsetSniffer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "platform/html/HtmlText.h"

namespace HtmlCharsetSniffer
{
std::string Utf16ToUtf8(const char16_t* p, size_t n)
{
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i)
    {
        uint32_t cp = p[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp < 0xE000)
            cp = 0xFFFD;
        html::AppendUtf8(out, cp);
    }
    return html::ValidUtf8(out);
}

bool DecodeByByteOrderMark(const std::string& bytes, std::string& utf8)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        utf8 = html::ValidUtf8(bytes.substr(3));
        return true;
    }
    const bool little = bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0;
    const bool big = bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big)
        return false;
    std::vector<char16_t> units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        units.push_back(static_cast<char16_t>(big ? (a << 8 | b) : (b << 8 | a)));
    }
    // An odd last byte is half a character.
    if (bytes.size() % 2)
        units.push_back(0xFFFD);
    utf8 = Utf16ToUtf8(units.data(), units.size());
    return true;
}

std::string MetaCharset(const std::string& bytes)
{
    std::string head = bytes.substr(0, kMetaScan);
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    size_t pos = 0;
    while ((pos = head.find("<meta", pos)) != std::string::npos)
    {
        const size_t end = head.find('>', pos);
        const std::string tag = head.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos += 5;
        const size_t at = tag.find("charset");
        if (at == std::string::npos)
            continue;
        size_t i = at + 7;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t'))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '"' || tag[i] == '\''))
            ++i;
        size_t j = i;
        while (j < tag.size() && (isalnum(static_cast<unsigned char>(tag[j])) || strchr("-_.:", tag[j])))
            ++j;
        if (j > i)
            return tag.substr(i, j - i);
    }
    return std::string();
}
}

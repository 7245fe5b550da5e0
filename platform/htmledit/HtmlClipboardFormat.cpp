// The "HTML Format" clipboard text. Writers in the wild get its offsets wrong, so reading trusts none.
#include "platform/htmledit/HtmlClipboardFormat.h"

#include <algorithm>
#include <cstdio>

namespace htmledit
{
namespace
{
bool Offset(const std::string& header, const char* name, size_t& value)
{
    const size_t at = header.find(name);
    if (at == std::string::npos)
        return false;
    size_t pos = at + std::char_traits<char>::length(name);
    if (pos >= header.size() || header[pos] != ':')
        return false;
    ++pos;
    size_t n = 0;
    bool digits = false;
    while (pos < header.size() && header[pos] >= '0' && header[pos] <= '9')
    {
        if (n > 100000000)
            return false;
        n = n * 10 + (header[pos++] - '0');
        digits = true;
    }
    value = n;
    return digits;
}

const char* const kStartComment = "<!--StartFragment-->";
const char* const kEndComment = "<!--EndFragment-->";
}

std::string BuildHtmlFormat(const std::string& fragmentUtf8)
{
    const std::string prefix = "<HTML><HEAD><TITLE></TITLE></HEAD>\r\n<BODY>";
    const std::string suffix = "</BODY>\r\n</HTML>";
    const char* const pattern = "Version:1.0\r\nStartHTML:%010u\r\nEndHTML:%010u\r\nStartFragment:%010u\r\n"
                                "EndFragment:%010u\r\nSourceURL:about:blank\r\n";
    char header[256];
    const int headerLength = std::snprintf(header, sizeof(header), pattern, 0u, 0u, 0u, 0u);
    const size_t startHtml = static_cast<size_t>(headerLength);
    const size_t startFragment = startHtml + prefix.size() + std::char_traits<char>::length(kStartComment);
    const size_t endFragment = startFragment + fragmentUtf8.size();
    const size_t endHtml = endFragment + std::char_traits<char>::length(kEndComment) + suffix.size();
    std::snprintf(header, sizeof(header), pattern, static_cast<unsigned>(startHtml), static_cast<unsigned>(endHtml),
                  static_cast<unsigned>(startFragment), static_cast<unsigned>(endFragment));
    return std::string(header) + prefix + kStartComment + fragmentUtf8 + kEndComment + suffix;
}

bool ExtractHtmlFragment(const std::string& data, std::string& fragmentUtf8)
{
    // The data ends at its first NUL: the global block is often larger than the text.
    const std::string text = data.substr(0, data.find('\0'));
    const std::string header = text.substr(0, std::min<size_t>(text.size(), 1024));
    size_t start = 0, end = 0;
    if (!(Offset(header, "StartFragment", start) && Offset(header, "EndFragment", end)) &&
        !(Offset(header, "StartHTML", start) && Offset(header, "EndHTML", end)))
        return false;
    if (end > text.size())
        end = text.size();
    if (start > end)
        return false;
    std::string fragment = text.substr(start, end - start);
    // Offsets that fall short of or past the markers leave parts of them behind.
    const size_t marker = fragment.find(kStartComment);
    if (marker != std::string::npos)
        fragment.erase(0, marker + std::char_traits<char>::length(kStartComment));
    const size_t endMarker = fragment.find(kEndComment);
    if (endMarker != std::string::npos)
        fragment.erase(endMarker);
    fragmentUtf8 = fragment;
    return true;
}
}

// Small text services over message text: LIKE escaping, file names from attachment names, links.
#include "content/TextUtilities.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "content/ContentTexts.h"

namespace
{

// Longest name we hand out: leaves room for the temporary and attachment folders within MAX_PATH.
const int kMaxFileNameLength = 150;

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiAlnum(char c)
{
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

bool IsReservedDeviceName(const CString& name)
{
    // Windows maps these to devices whatever the extension, and ignores trailing blanks before it.
    CString stem = name;
    const int dot = stem.Find('.');
    if (dot >= 0)
        stem = stem.Left(dot);
    stem.TrimRight(" ");
    stem.MakeUpper();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
    {
        if (stem == device)
            return true;
    }
    if (stem.GetLength() != 4 || (stem.Left(3) != "COM" && stem.Left(3) != "LPT"))
        return false;
    // The superscript digits one to three (windows-1252) name the same ports.
    const unsigned char digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Cut position at or before limit that does not split a double-byte character of the ANSI code page.
int SafeCut(const CString& text, int limit)
{
#ifdef _WIN32
    int i = 0;
    while (i < limit)
    {
        const int step = IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
#else
    return limit;
#endif
}

void AppendAttributeSafe(std::string& out, const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        switch (p[i])
        {
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out.push_back(p[i]);
        }
    }
}

void AppendLink(std::string& out, const char* href, size_t hrefLength, const char* prefix, const char* text,
                size_t textLength, const char* attributes)
{
    out += "<A href=\"";
    out += prefix;
    AppendAttributeSafe(out, href, hrefLength);
    out += "\"";
    out += attributes;
    out += ">";
    AppendAttributeSafe(out, text, textLength);
    out += "</A>";
}

// Pieces of text after the address pass: the links it made are never looked into again.
struct Segment
{
    std::string text;
    bool isLink;
};

void LinkAddresses(const std::string& s, std::vector<Segment>& segments)
{
    std::string plain;
    size_t pos = 0;
    for (size_t at = s.find('@', pos); at != std::string::npos; at = s.find('@', pos))
    {
        if (at == pos)
        {
            plain.push_back('@');
            pos = at + 1;
            continue;
        }
        size_t domainEnd = at + 1;
        while (domainEnd < s.size() &&
               (IsAsciiAlnum(s[domainEnd]) || s[domainEnd] == '.' || s[domainEnd] == '-'))
            ++domainEnd;
        size_t local = at;
        // Line breaks and tabs end the local part too: a link never spans lines.
        while (local > pos && !strchr(" >&;<[(\r\n\t", s[local - 1]))
            --local;
        bool link = local < at && domainEnd > at + 1;
        const std::string localPart = s.substr(local, at - local);
        const size_t colon = localPart.find(':');
        if (link && colon != std::string::npos)
        {
            std::string scheme = localPart.substr(0, colon + 1);
            for (char& c : scheme)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            link = scheme == "mailto:";
        }
        if (!link)
        {
            plain.append(s, pos, at + 1 - pos);
            pos = at + 1;
            continue;
        }
        plain.append(s, pos, local - pos);
        segments.push_back({plain, false});
        plain.clear();
        const std::string address = s.substr(local, domainEnd - local);
        std::string lower = address;
        for (char& c : lower)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        std::string anchor;
        AppendLink(anchor, address.data(), address.size(),
                   lower.find("mailto:") == std::string::npos ? "mailto:" : "", address.data(),
                   address.size(), "");
        segments.push_back({anchor, true});
        pos = domainEnd;
    }
    plain.append(s, pos, std::string::npos);
    segments.push_back({plain, false});
}

void LinkUrls(const std::string& s, std::string& out)
{
    static const char* const kSchemes[] = {
        "http:", "ftp:", "file:", "https:", "gopher:", "nntp:", "prospero:", "telnet:", "news:", "wais:"};
    size_t pos = 0;
    for (size_t colon = s.find(':', pos); colon != std::string::npos; colon = s.find(':', pos))
    {
        size_t start = colon;
        while (start > pos && IsAsciiLetter(s[start - 1]))
            --start;
        const std::string scheme = s.substr(start, colon + 1 - start);
        bool known = false;
        for (const char* candidate : kSchemes)
            known = known || scheme == candidate;
        size_t end = colon + 1;
        if (known)
        {
            while (end < s.size() && !strchr(" <]\",)}\r\n", s[end]) && s.compare(end, 4, "&gt;") != 0 &&
                   s.compare(end, 4, "&lt;") != 0)
                ++end;
        }
        if (!known || end == colon + 1)
        {
            out.append(s, pos, colon + 1 - pos);
            pos = colon + 1;
            continue;
        }
        out.append(s, pos, start - pos);
        AppendLink(out, s.data() + start, end - start, "", s.data() + start, end - start,
                   " target=\"_blank\"");
        pos = end;
    }
    out.append(s, pos, std::string::npos);
}

} // namespace

bool IsUtf8WithHighBytes(const char* psz, int n)
{
    const unsigned char* p = (const unsigned char*)psz;
    bool bHigh = false;
    for (int i = 0; i < n;)
    {
        const unsigned char c = p[i];
        if (c < 0x80)
        {
            i++;
            continue;
        }
        bHigh = true;
        int nMore;
        unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF)
            nMore = 1;
        else if (c >= 0xE0 && c <= 0xEF)
        {
            nMore = 2;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F;
        }
        else if (c >= 0xF0 && c <= 0xF4)
        {
            nMore = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        }
        else
            return false;
        if (i + nMore >= n)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= nMore; k++)
        {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        }
        i += nMore + 1;
    }
    return bHigh;
}

CString EscapeLikeChars(const CString& text, char exception)
{
    CString result;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        // "_" matches any one character in a LIKE pattern too: a subject holding one must not match others.
        if ((c == '[' || c == ']' || c == '%' || c == '_') && c != exception)
        {
            result += '[';
            result += c;
            result += ']';
        }
        else
            result += c;
    }
    return result;
}

CString RemoveFileNameChars(const CString& text)
{
    CString result = text;
    result.Remove('/');
    result.Remove('*');
    result.Replace('?', '_');
    result.Remove('"');
    result.Remove('<');
    result.Remove('>');
    result.Remove('|');
    return result;
}

CString MakeFileName(const CString& text)
{
    CString name = text;
    name.Replace('\\', '_');
    name.Replace(':', '_');
    name = RemoveFileNameChars(name);
    for (int i = 0; i < name.GetLength(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F)
            name.SetAt(i, '_');
    }
    // Cut before trimming: a cut can end in blanks or dots, and what is trimmed can be a device name.
    if (name.GetLength() > kMaxFileNameLength)
    {
        const int dot = name.ReverseFind('.');
        const CString extension = (dot > 0 && name.GetLength() - dot <= 16) ? name.Mid(dot) : CString();
        name = name.Left(SafeCut(name, kMaxFileNameLength - extension.GetLength())) + extension;
    }
    // Windows drops trailing dots and blanks when it creates a file, which would turn "x.." into "x"
    // and hide a device name such as "NUL .".
    name.TrimLeft(" ");
    name.TrimRight(" .");
    if (name.IsEmpty())
        return "_";
    if (IsReservedDeviceName(name))
    {
        name = "_" + name.Left(SafeCut(name, kMaxFileNameLength - 1));
        name.TrimRight(" .");
    }
    return name;
}

CString HtmlBaseTargetBlank()
{
    return kHtmlBaseTargetBlank;
}

CString PreformattedTextBlock(const CString& strText)
{
    CString strLines = strText;
    strLines.Replace("\r\n", "\n");
    strLines.Replace("\n", "<BR>");
    return "<DIV style=\"white-space: pre; white-space: pre-wrap; word-wrap: break-word\">" + strLines +
           "</DIV>";
}

CString UrlsToLinks(const CString& text)
{
    std::vector<Segment> segments;
    LinkAddresses(std::string(static_cast<const char*>(text), text.GetLength()), segments);
    std::string out;
    out.reserve(text.GetLength() + 64);
    for (const Segment& segment : segments)
    {
        if (segment.isLink)
            out += segment.text;
        else
            LinkUrls(segment.text, out);
    }
    return CString(out.data(), static_cast<int>(out.size()));
}

// Charset conversion of card values: the Unicode forms here, the rest through the platform.
#include "ui/addressbook/VcardCharsets.h"

#include <cstring>

namespace
{
const unsigned kReplacement = 0xFFFD;

// Bytes 0x80-0x9F of windows-1252; ISO-8859-1 is read as its superset, as mail readers do.
const unsigned short kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendWide(std::wstring& out, unsigned cp)
{
    if (sizeof(wchar_t) == 2 && cp > 0xFFFF)
    {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    }
    else
        out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80)
        out.push_back(static_cast<char>(cp));
    else if (cp < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else if (cp < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Malformed sequences become one U+FFFD each, so no byte is read twice or past the end.
std::wstring Utf8ToWide(const std::string& bytes)
{
    std::wstring out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n)
    {
        const unsigned c = p[i];
        int follow = 0;
        unsigned cp = 0, min = 0;
        if (c < 0x80)
        {
            out.push_back(static_cast<wchar_t>(c));
            ++i;
            continue;
        }
        else if ((c & 0xE0) == 0xC0)
            follow = 1, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0)
            follow = 2, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0)
            follow = 3, cp = c & 0x07, min = 0x10000;
        else
        {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        size_t j = i + 1;
        for (; j < n && j <= i + follow && (p[j] & 0xC0) == 0x80; ++j)
            cp = (cp << 6) | (p[j] & 0x3F);
        if (j != i + 1 + follow || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            AppendWide(out, kReplacement);
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        AppendWide(out, cp);
        i = j;
    }
    return out;
}
} // namespace

std::string Utf16ToUtf8(const std::string& bytes, bool bBigEndian)
{
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t k) -> unsigned {
        return bBigEndian ? (p[2 * k] << 8 | p[2 * k + 1]) : (p[2 * k + 1] << 8 | p[2 * k]);
    };
    for (size_t k = 0; k < units; ++k)
    {
        unsigned cp = unit(k);
        if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF)
        {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
            ++k;
        }
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

CString CVcardCharsets::ToAnsi(const char* pszCharset, const std::string& bytes) const
{
    if (strcmp(pszCharset, "UTF-8") == 0 || strcmp(pszCharset, "UTF8") == 0)
    {
        const std::wstring wide = Utf8ToWide(bytes);
        return CString(wide.c_str(), static_cast<int>(wide.size()));
    }
    if (strcmp(pszCharset, "UTF-16") == 0 || strcmp(pszCharset, "UTF-16LE") == 0 ||
        strcmp(pszCharset, "UTF-16BE") == 0)
    {
        std::string body = bytes;
        bool bBig = strcmp(pszCharset, "UTF-16BE") == 0;
        if (body.size() >= 2 && static_cast<unsigned char>(body[0]) == 0xFE &&
            static_cast<unsigned char>(body[1]) == 0xFF)
            bBig = true, body.erase(0, 2);
        else if (body.size() >= 2 && static_cast<unsigned char>(body[0]) == 0xFF &&
                 static_cast<unsigned char>(body[1]) == 0xFE)
            bBig = false, body.erase(0, 2);
        const std::wstring wide = Utf8ToWide(Utf16ToUtf8(body, bBig));
        return CString(wide.c_str(), static_cast<int>(wide.size()));
    }
    if (strcmp(pszCharset, "ISO-8859-1") == 0 || strcmp(pszCharset, "LATIN1") == 0 ||
        strcmp(pszCharset, "WINDOWS-1252") == 0 || strcmp(pszCharset, "CP1252") == 0 ||
        strcmp(pszCharset, "US-ASCII") == 0 || strcmp(pszCharset, "ASCII") == 0)
    {
        std::wstring wide;
        for (unsigned char c : bytes)
            wide.push_back(static_cast<wchar_t>(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c));
        return CString(wide.c_str(), static_cast<int>(wide.size()));
    }
    return ConvertOther(pszCharset, bytes);
}

CString CVcardCharsets::GetAnsiCharsetName() const
{
    return "windows-1252";
}

CString CVcardCharsets::ConvertOther(const char*, const std::string& bytes) const
{
    return CString(bytes.data(), static_cast<int>(bytes.size()));
}

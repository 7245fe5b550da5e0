// Reading and charset conversion of the pages the view shows.
#include "HtmlPageReader.h"

#include <algorithm>
#include <vector>

#include "content/CharsetDecoder.h"
#include "platform/html/HtmlText.h"

namespace
{
constexpr UINT kCodePageUtf8 = 65001;
constexpr size_t kMetaScan = 4096;

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return s;
}

std::string WideToUtf8(const wchar_t* p, size_t n)
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
    return out;
}

std::string Utf16ToUtf8(const std::string& bytes, size_t start, bool bigEndian)
{
    std::wstring wide;
    wide.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
    {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        wide.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    if ((bytes.size() - start) % 2)
        wide.push_back(0xFFFD);
    return WideToUtf8(wide.data(), wide.size());
}

// MultiByteToWideChar turns undecodable bytes of the double-byte code pages into the code page's default
// character; that is good enough, since the page shows them as replacements either way.
std::string CodePageToUtf8(const std::string& bytes, UINT nCodePage)
{
    if (bytes.empty())
        return std::string();
    if (nCodePage == kCodePageUtf8)
        return html::ValidUtf8(bytes);
    const int n = ::MultiByteToWideChar(nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return CodePageToUtf8(bytes, 1252);
    std::vector<wchar_t> wide(n);
    ::MultiByteToWideChar(nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return html::ValidUtf8(WideToUtf8(wide.data(), wide.size()));
}
}

bool CHtmlPageReader::ReadFile(const wchar_t* pszPath, std::string& bytes)
{
    bytes.clear();
    HANDLE hFile = ::CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    bool ok = ::GetFileSizeEx(hFile, &size) != FALSE;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, kMaxFile)));
        size_t done = 0;
        while (ok && done < bytes.size())
        {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            ok = ::ReadFile(hFile, &bytes[done], want, &got, nullptr) != FALSE;
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
    }
    ::CloseHandle(hFile);
    return ok;
}

std::string CHtmlPageReader::MetaCharset(const std::string& bytes)
{
    const std::string head = Lower(bytes.substr(0, kMetaScan));
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

UINT CHtmlPageReader::CodePageOfCharset(const std::string& charset)
{
    if (charset.empty())
        return 0;
    try
    {
        CCharsetDecoder decoder(charset.c_str());
        return decoder.GetInternetEncoding();
    }
    catch (...)
    {
        return 0;
    }
}

std::string CHtmlPageReader::ToUtf8(const std::string& bytes, UINT nCodePage)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return html::ValidUtf8(bytes.substr(3));
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0)
        return Utf16ToUtf8(bytes, 2, false);
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0)
        return Utf16ToUtf8(bytes, 2, true);
    UINT cp = CodePageOfCharset(MetaCharset(bytes));
    // A META that claims UTF-16 in a file read as bytes cannot be right: the META itself was ASCII.
    if (cp == 1200 || cp == 1201)
        cp = kCodePageUtf8;
    if (cp == 0)
        cp = nCodePage ? nCodePage : ::GetACP();
    if (!::IsValidCodePage(cp) && cp != kCodePageUtf8)
        cp = ::GetACP();
    return CodePageToUtf8(bytes, cp);
}

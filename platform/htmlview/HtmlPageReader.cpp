// Reading and charset conversion of the pages the view shows.
#include "HtmlPageReader.h"

#include <algorithm>
#include <vector>

#include "content/CharsetDecoder.h"
#include "platform/htmlview/HtmlCharsetSniffer.h"
#include "platform/html/HtmlText.h"

namespace
{
constexpr UINT kCodePageUtf8 = 65001;

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
        return nCodePage == 1252 ? html::ValidUtf8(bytes) : CodePageToUtf8(bytes, 1252);
    std::vector<wchar_t> wide(n);
    ::MultiByteToWideChar(nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return HtmlCharsetSniffer::Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
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
    std::string utf8;
    if (HtmlCharsetSniffer::DecodeByByteOrderMark(bytes, utf8))
        return utf8;
    UINT cp = CodePageOfCharset(HtmlCharsetSniffer::MetaCharset(bytes));
    // A META that claims UTF-16 in a file read as bytes cannot be right: the META itself was ASCII.
    if (cp == 1200 || cp == 1201)
        cp = kCodePageUtf8;
    if (cp == 0)
        cp = nCodePage ? nCodePage : ::GetACP();
    if (!::IsValidCodePage(cp) && cp != kCodePageUtf8)
        cp = ::GetACP();
    return CodePageToUtf8(bytes, cp);
}

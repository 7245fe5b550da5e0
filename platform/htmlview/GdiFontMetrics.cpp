// GDI fonts for the engine's styles, cached by what tells them apart.
#include "GdiFontMetrics.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace
{
int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    *reinterpret_cast<bool*>(lParam) = true;
    return 0;
}

bool HasFace(const std::wstring& face)
{
    static std::map<std::wstring, bool> known;
    auto it = known.find(face);
    if (it != known.end())
        return it->second;
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    bool found = false;
    HDC hDC = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(hDC, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, hDC);
    known[face] = found;
    return found;
}
}

std::wstring Utf8ToWide(const char* utf8, size_t len)
{
    if (len == 0)
        return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(len), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(len), &wide[0], n);
    return wide;
}

std::string WideToUtf8String(const wchar_t* wide, size_t len)
{
    if (len == 0)
        return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(len), &out[0], n, nullptr, nullptr);
    return out;
}

CGdiFontMetrics::CGdiFontMetrics(HDC hDC, int nDpi) : m_hDC(hDC), m_nDpi(nDpi > 0 ? nDpi : 96) {}

CGdiFontMetrics::~CGdiFontMetrics()
{
    for (auto& entry : m_fonts)
        ::DeleteObject(entry.second.hFont);
}

std::wstring CGdiFontMetrics::FaceOf(const std::string& family)
{
    // Generic families become the usual Windows faces, or their metric-compatible stand-ins where those
    // are missing (as under Wine).
    static const wchar_t* const serif[] = {L"Times New Roman", L"Liberation Serif", L"DejaVu Serif", nullptr};
    static const wchar_t* const sans[] = {L"Arial", L"Liberation Sans", L"DejaVu Sans", L"Tahoma", nullptr};
    static const wchar_t* const mono[] = {L"Courier New", L"Liberation Mono", L"DejaVu Sans Mono", L"Courier",
                                          nullptr};
    static const wchar_t* const cursive[] = {L"Comic Sans MS", nullptr};
    auto firstOf = [](const wchar_t* const* faces) {
        for (; *faces; ++faces)
            if (HasFace(*faces))
                return std::wstring(*faces);
        return std::wstring();
    };
    size_t pos = 0;
    while (pos <= family.size())
    {
        size_t comma = family.find(',', pos);
        if (comma == std::string::npos)
            comma = family.size();
        std::string name = family.substr(pos, comma - pos);
        pos = comma + 1;
        name.erase(0, name.find_first_not_of(" \t\"'"));
        name.erase(name.find_last_not_of(" \t\"'") + 1);
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (lower.empty())
            continue;
        const wchar_t* const* generic = lower == "serif"                               ? serif
                                        : lower == "sans-serif" || lower == "system-ui" ? sans
                                        : lower == "monospace"                          ? mono
                                        : lower == "cursive" || lower == "fantasy"      ? cursive
                                                                                        : nullptr;
        std::wstring face;
        if (generic)
            face = firstOf(generic);
        else
        {
            face = Utf8ToWide(name.data(), name.size());
            if (face.size() >= LF_FACESIZE || !HasFace(face))
                face.clear();
        }
        if (!face.empty())
            return face;
    }
    const std::wstring fallback = firstOf(serif);
    return fallback.empty() ? L"Times New Roman" : fallback;
}

CGdiFontMetrics::Font& CGdiFontMetrics::Get(const html::CHtmlStyle& style)
{
    const int size = std::clamp(static_cast<int>(std::lround(style.fontSize)), kMinSize, kMaxSize);
    const Key key(style.fontFamily, size, style.fontWeight, style.italic, style.underline, style.lineThrough);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end())
        return it->second;
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(size, m_nDpi, 96);
    lf.lfWeight = std::clamp(style.fontWeight, 100, 900);
    lf.lfItalic = style.italic;
    lf.lfUnderline = style.underline;
    lf.lfStrikeOut = style.lineThrough;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(lf.lfFaceName, FaceOf(style.fontFamily).c_str(), LF_FACESIZE);
    Font font;
    font.hFont = ::CreateFontIndirectW(&lf);
    HGDIOBJ hOld = ::SelectObject(m_hDC, font.hFont);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(m_hDC, &tm);
    ::SelectObject(m_hDC, hOld);
    const float scale = 96.0f / m_nDpi;
    font.ascent = tm.tmAscent * scale;
    font.descent = tm.tmDescent * scale;
    return m_fonts.emplace(key, font).first->second;
}

float CGdiFontMetrics::TextWidth(const html::CHtmlStyle& style, const char* utf8, size_t len)
{
    const std::wstring wide = Utf8ToWide(utf8, len);
    if (wide.empty())
        return 0;
    HGDIOBJ hOld = ::SelectObject(m_hDC, Get(style).hFont);
    SIZE size = {};
    // Long runs are measured in pieces: GDI's extent of one call is limited on some systems.
    long total = 0;
    for (size_t at = 0; at < wide.size(); at += 8192)
    {
        const int n = static_cast<int>(std::min<size_t>(8192, wide.size() - at));
        ::GetTextExtentPoint32W(m_hDC, wide.data() + at, n, &size);
        total += size.cx;
    }
    ::SelectObject(m_hDC, hOld);
    return total * 96.0f / m_nDpi;
}

float CGdiFontMetrics::Ascent(const html::CHtmlStyle& style)
{
    return Get(style).ascent;
}

float CGdiFontMetrics::Descent(const html::CHtmlStyle& style)
{
    return Get(style).descent;
}

HFONT CGdiFontMetrics::Select(const html::CHtmlStyle& style)
{
    return static_cast<HFONT>(::SelectObject(m_hDC, Get(style).hFont));
}

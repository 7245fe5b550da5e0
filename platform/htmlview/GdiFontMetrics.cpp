// GDI fonts for the engine's styles, cached by what tells them apart.
#include "GdiFontMetrics.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "content/CharsetDecoder.h"

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
    if (m_pFontLink)
    {
        for (auto& entry : m_linked)
            if (entry.second)
                m_pFontLink->ReleaseFont(entry.second);
        m_pFontLink->Release();
    }
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
            // The common Windows faces, where missing, by their kind, before the next name of the list.
            static const char* const sansFaces[] = {"arial", "helvetica", "verdana", "tahoma", "ms sans serif",
                                                    "segoe ui", "calibri", "trebuchet ms", nullptr};
            static const char* const monoFaces[] = {"courier new", "courier", "consolas", "lucida console", nullptr};
            static const char* const serifFaces[] = {"times new roman", "times", "georgia", nullptr};
            auto among = [&](const char* const* names) {
                for (; *names; ++names)
                    if (lower == *names)
                        return true;
                return false;
            };
            if (face.empty())
                face = among(sansFaces) ? firstOf(sans) : among(monoFaces) ? firstOf(mono)
                                                        : among(serifFaces) ? firstOf(serif) : std::wstring();
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
    font.gap = tm.tmExternalLeading * scale;
    return m_fonts.emplace(key, font).first->second;
}

float CGdiFontMetrics::TextWidth(const html::CHtmlStyle& style, const char* utf8, size_t len)
{
    const std::wstring wide = Utf8ToWide(utf8, len);
    long total = 0;
    ForEachPiece(style, wide.data(), wide.size(), [&](HFONT hFont, const wchar_t* text, int n) {
        HGDIOBJ hOld = ::SelectObject(m_hDC, hFont);
        // Long runs are measured in pieces: GDI's extent of one call is limited on some systems.
        for (int at = 0; at < n; at += 8192)
        {
            SIZE size = {};
            ::GetTextExtentPoint32W(m_hDC, text + at, std::min(8192, n - at), &size);
            total += size.cx;
        }
        ::SelectObject(m_hDC, hOld);
    });
    return total * 96.0f / m_nDpi;
}

void CGdiFontMetrics::Extents(const html::CHtmlStyle& style, const wchar_t* text, size_t length,
                              std::vector<float>& ends)
{
    ends.assign(length, 0.0f);
    long total = 0;
    std::vector<INT> partial;
    ForEachPiece(style, text, length, [&](HFONT hFont, const wchar_t* piece, int n) {
        HGDIOBJ hOld = ::SelectObject(m_hDC, hFont);
        const size_t from = static_cast<size_t>(piece - text);
        for (int at = 0; at < n; at += 8192)
        {
            const int count = std::min(8192, n - at);
            partial.assign(count, 0);
            SIZE size = {};
            ::GetTextExtentExPointW(m_hDC, piece + at, count, 0, nullptr, partial.data(), &size);
            for (int k = 0; k < count; ++k)
                ends[from + at + k] = (total + partial[k]) * 96.0f / m_nDpi;
            total += size.cx;
        }
        ::SelectObject(m_hDC, hOld);
    });
}

void CGdiFontMetrics::ForEachPiece(const html::CHtmlStyle& style, const wchar_t* text, size_t length,
                                   const std::function<void(HFONT, const wchar_t*, int)>& piece)
{
    if (length == 0)
        return;
    const HFONT hBase = Get(style).hFont;
    std::vector<WORD> glyphs(length);
    HGDIOBJ hOld = ::SelectObject(m_hDC, hBase);
    const DWORD got = ::GetGlyphIndicesW(m_hDC, text, static_cast<int>(length), glyphs.data(),
                                         GGI_MARK_NONEXISTING_GLYPHS);
    ::SelectObject(m_hDC, hOld);
    if (got == GDI_ERROR || m_bNoFontLink)
    {
        piece(hBase, text, static_cast<int>(length));
        return;
    }
    size_t i = 0;
    while (i < length)
    {
        const bool missing = glyphs[i] == 0xFFFF;
        size_t j = i + 1;
        while (j < length && (glyphs[j] == 0xFFFF) == missing)
            ++j;
        const HFONT hLinked = missing ? Linked(hBase, text + i, j - i) : nullptr;
        piece(hLinked ? hLinked : hBase, text + i, static_cast<int>(j - i));
        i = j;
    }
}

HFONT CGdiFontMetrics::Linked(HFONT hBase, const wchar_t* text, size_t length)
{
    if (!m_pFontLink && !m_bNoFontLink)
    {
        try
        {
            IMultiLanguage* pLang = GetThreadMultiLanguage();
            pLang->QueryInterface(IID_OrbMLangFontLink2, reinterpret_cast<void**>(&m_pFontLink));
            pLang->Release();
        }
        catch (...)
        {
            m_pFontLink = nullptr;
        }
        m_bNoFontLink = m_pFontLink == nullptr;
    }
    if (!m_pFontLink)
        return nullptr;
    DWORD codePages = 0;
    long done = 0;
    if (FAILED(m_pFontLink->GetStrCodePages(text, static_cast<long>(length), 0, &codePages, &done)) ||
        codePages == 0)
        return nullptr;
    const auto key = std::make_pair(hBase, codePages);
    auto it = m_linked.find(key);
    if (it != m_linked.end())
        return it->second;
    HFONT hLinked = nullptr;
    HGDIOBJ hOld = ::SelectObject(m_hDC, hBase);
    if (FAILED(m_pFontLink->MapFont(m_hDC, codePages, 0, &hLinked)))
        hLinked = nullptr;
    ::SelectObject(m_hDC, hOld);
    m_linked[key] = hLinked;
    return hLinked;
}

float CGdiFontMetrics::Ascent(const html::CHtmlStyle& style)
{
    return Get(style).ascent;
}

float CGdiFontMetrics::Descent(const html::CHtmlStyle& style)
{
    return Get(style).descent;
}

float CGdiFontMetrics::LineGap(const html::CHtmlStyle& style)
{
    return Get(style).gap;
}

// Fonts of the engine's styles as GDI fonts: the metrics its layout measures with and the fonts the view
// draws with, on one device context.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/html/HtmlLayout.h"

struct IMLangFontLink2;

class CGdiFontMetrics : public html::IHtmlFontMetrics
{
public:
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 400;

    // hDC is borrowed; its mapping mode must be MM_TEXT. nDpi scales CSS pixels (96 per inch) to the DC.
    explicit CGdiFontMetrics(HDC hDC, int nDpi = 96);
    ~CGdiFontMetrics() override;
    CGdiFontMetrics(const CGdiFontMetrics&) = delete;
    CGdiFontMetrics& operator=(const CGdiFontMetrics&) = delete;

    float TextWidth(const html::CHtmlStyle& font, const char* utf8, size_t len) override;
    float Ascent(const html::CHtmlStyle& font) override;
    float Descent(const html::CHtmlStyle& font) override;
    float LineGap(const html::CHtmlStyle& font) override;

    // Calls piece(font, text, length) for each stretch of the text in one font, in order: the style's font, or
    // for characters it has no glyph for, the font MLang links for their code pages.
    void ForEachPiece(const html::CHtmlStyle& font, const wchar_t* text, size_t length,
                      const std::function<void(HFONT, const wchar_t*, int)>& piece);
    // The end of each UTF-16 unit of the text from its start, in CSS pixels, as TextWidth measures it.
    void Extents(const html::CHtmlStyle& font, const wchar_t* text, size_t length, std::vector<float>& ends);
    // The first face of a CSS family list that the system has, generic families mapped.
    static std::wstring FaceOf(const std::string& family);

private:
    struct Font
    {
        HFONT hFont = nullptr;
        float ascent = 0, descent = 0, gap = 0;
    };
    using Key = std::tuple<std::string, int, int, bool, bool, bool>;
    Font& Get(const html::CHtmlStyle& font);
    HFONT Linked(HFONT hBase, const wchar_t* text, size_t length);

    HDC m_hDC;
    int m_nDpi;
    std::map<Key, Font> m_fonts;
    IMLangFontLink2* m_pFontLink = nullptr;
    bool m_bNoFontLink = false;
    std::map<std::pair<HFONT, DWORD>, HFONT> m_linked;  // by base font and code pages; MLang's to release
};

// UTF-8 to UTF-16, for GDI's wide calls.
std::wstring Utf8ToWide(const char* utf8, size_t len);
std::string WideToUtf8String(const wchar_t* wide, size_t len);

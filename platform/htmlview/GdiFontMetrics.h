// Fonts of the engine's styles as GDI fonts: the metrics its layout measures with and the fonts the view
// draws with, on one device context.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/html/HtmlLayout.h"

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

    // Selects the style's font into the DC; the caller restores the old one.
    HFONT Select(const html::CHtmlStyle& font);
    HDC DC() const { return m_hDC; }
    // The first face of a CSS family list that the system has, generic families mapped.
    static std::wstring FaceOf(const std::string& family);

private:
    struct Font
    {
        HFONT hFont = nullptr;
        float ascent = 0, descent = 0;
    };
    using Key = std::tuple<std::string, int, int, bool, bool, bool>;
    Font& Get(const html::CHtmlStyle& font);

    HDC m_hDC;
    int m_nDpi;
    std::map<Key, Font> m_fonts;
};

// UTF-8 to UTF-16, for GDI's wide calls.
std::wstring Utf8ToWide(const char* utf8, size_t len);
std::string WideToUtf8String(const wchar_t* wide, size_t len);

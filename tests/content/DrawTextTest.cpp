// Tests that header texts of several scripts paint on a memory device context.
#include "content/EncodedWord.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// A white 32-bit bitmap selected into a memory DC with an ordinary UI font.
class CMemoryCanvas
{
public:
    CMemoryCanvas()
    {
        m_hDC = CreateCompatibleDC(NULL);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_hBitmap =
            CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), NULL, 0);
        m_hOldBitmap = SelectObject(m_hDC, m_hBitmap);
        m_hFont = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        m_hOldFont = SelectObject(m_hDC, m_hFont);
        Clear();
    }
    ~CMemoryCanvas()
    {
        SelectObject(m_hDC, m_hOldFont);
        SelectObject(m_hDC, m_hOldBitmap);
        DeleteObject(m_hFont);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    void Clear()
    {
        GdiFlush();
        for (int i = 0; i < kWidth * kHeight; ++i)
            m_pBits[i] = 0x00FFFFFF;
    }
    int InkPixels()
    {
        GdiFlush();
        int n = 0;
        for (int i = 0; i < kWidth * kHeight; ++i)
            n += (m_pBits[i] & 0x00FFFFFF) != 0x00FFFFFF;
        return n;
    }
    HDC m_hDC;
    static const int kWidth = 600;
    static const int kHeight = 40;

private:
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOldBitmap;
    HFONT m_hFont;
    HGDIOBJ m_hOldFont;
    DWORD* m_pBits = nullptr;
};

TEST(DrawTextTest, FontLinkedDrawingPaintsEveryScript)
{
    const struct
    {
        const char* charset;
        std::string text;
    } cases[] = {
        {"us-ascii", "Hello, world"},           {"utf-8", "Caf\xc3\xa9 cr\xc3\xa8me"},
        {"koi8-r", "\xf0\xd2\xc9\xd7\xc5\xd4"}, {"windows-1251", "\xcf\xf0\xe8\xe2\xe5\xf2"},
        {"iso-2022-jp", "\x1b$BF|K\\8l\x1b(B"}, {"utf-8", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
    };
    CMemoryCanvas canvas;
    for (const auto& c : cases)
    {
        canvas.Clear();
        RECT rect = {0, 0, CMemoryCanvas::kWidth, CMemoryCanvas::kHeight};
        const HRESULT hr =
            DrawTextFontLinked(canvas.m_hDC, &rect, CString(c.text.data(), (int)c.text.size()), c.charset);
        EXPECT_TRUE(SUCCEEDED(hr)) << c.charset << " " << std::hex << hr;
        EXPECT_GT(canvas.InkPixels(), 0) << c.charset;
        EXPECT_GT(rect.left, 0) << c.charset; // the next run starts after this one
    }
}

TEST(DrawTextTest, DecodingWithADeviceContextDrawsTheWholeHeader)
{
    CMemoryCanvas canvas;
    RECT rect = {0, 0, CMemoryCanvas::kWidth, CMemoryCanvas::kHeight};
    const CString decoded =
        DecodeEncodedWord("Re: =?koi8-r?B?8NLJ18XU?= and =?utf-8?Q?caf=C3=A9?=", canvas.m_hDC, &rect);
    EXPECT_GT(canvas.InkPixels(), 0);
    EXPECT_GT(rect.left, 60);
    EXPECT_EQ(decoded.Left(4), "Re: ");
    EXPECT_EQ(decoded.Right(4), "caf\xe9");
}

TEST(DrawTextTest, MultiLangDrawingFallsBackAndNeverThrows)
{
    CMemoryCanvas canvas;
    RECT rect = {0, 0, CMemoryCanvas::kWidth, CMemoryCanvas::kHeight};
    DrawTextMultiLang(canvas.m_hDC, &rect, "fallback text", "no-such-charset");
    EXPECT_GT(canvas.InkPixels(), 0);
}

} // namespace

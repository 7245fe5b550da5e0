// RFC 2047 encoded words in header texts: decoding, and drawing header texts with font linking.
#include "content/EncodedWord.h"

#include <mlang.h>

#include <cstring>
#include <string>
#include <vector>

#include "content/CharsetDecoder.h"
#include "content/ContentTexts.h"
#include "content/SystemInfo.h"
#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"

namespace
{

const UINT kTextRunFormat = DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS | DT_LEFT | DT_TOP;

struct EncodedWord
{
    size_t start; // of "=?"
    size_t end;   // after "?="
    std::string charset;
    std::string bytes; // decoded payload, still in the word's charset
};

enum class ScanResult
{
    Found,
    None,
    Unterminated,
};

// Finds the next well-formed "=?charset?Q|B?payload?=" at or after from.
ScanResult FindEncodedWord(const std::string& s, size_t from, EncodedWord& word)
{
    for (size_t i = s.find("=?", from); i != std::string::npos; i = s.find("=?", i + 1))
    {
        const size_t charsetEnd = s.find('?', i + 2);
        if (charsetEnd == std::string::npos || charsetEnd == i + 2 || charsetEnd + 2 >= s.size())
            continue;
        const char encoding = s[charsetEnd + 1];
        if (!strchr("QqBb", encoding) || s[charsetEnd + 2] != '?')
            continue;
        const size_t payload = charsetEnd + 3;
        const size_t close = s.find("?=", payload);
        if (close == std::string::npos)
            return ScanResult::Unterminated;
        word.start = i;
        word.end = close + 2;
        word.charset = s.substr(i + 2, charsetEnd - i - 2);
        std::string data = s.substr(payload, close - payload);
        if (encoding == 'Q' || encoding == 'q')
        {
            for (char& c : data)
            {
                if (c == '_')
                    c = ' ';
            }
            word.bytes = DecodeQuotedPrintableBytes(data.data(), data.size());
        }
        else
            word.bytes = DecodeBase64Bytes(data.data(), data.size());
        return ScanResult::Found;
    }
    return ScanResult::None;
}

bool IsLinearWhiteSpace(const std::string& s)
{
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

bool HasHighByte(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return true;
    }
    return false;
}

CString ToCString(const std::string& s)
{
    return CString(s.data(), static_cast<int>(s.size()));
}

// A piece of the decoded header: literal text, or the joined bytes of adjacent words of one charset.
struct Piece
{
    std::string text;
    std::string charset; // empty for literal text
};

bool s_bMLangProblemReported = false;

} // namespace

void CTextRun::DrawAndAdvance(HDC hDC, const char* pszText, int nCount, RECT* pRect)
{
    if (nCount < 0)
        nCount = static_cast<int>(strlen(pszText));
    if (nCount == 0 || pRect->left >= pRect->right)
        return;
    RECT rc = *pRect;
    DrawTextA(hDC, pszText, nCount, &rc, kTextRunFormat);
    SIZE size = {};
    GetTextExtentPoint32A(hDC, pszText, nCount, &size);
    pRect->left = pRect->left + size.cx < pRect->right ? pRect->left + size.cx : pRect->right;
}

void CTextRun::DrawAndAdvance(HDC hDC, const WCHAR* pszText, int nCount, RECT* pRect)
{
    if (nCount < 0)
        nCount = static_cast<int>(wcslen(pszText));
    if (nCount == 0 || pRect->left >= pRect->right)
        return;
    RECT rc = *pRect;
    DrawTextW(hDC, pszText, nCount, &rc, kTextRunFormat);
    SIZE size = {};
    GetTextExtentPoint32W(hDC, pszText, nCount, &size);
    pRect->left = pRect->left + size.cx < pRect->right ? pRect->left + size.cx : pRect->right;
}

CString DecodeEncodedWord(const CString& text, HDC hDC, RECT* pRect, const char* pszDefaultCharset,
                          BOOL bUseDefault)
{
    const bool drawing = hDC != NULL && pRect != NULL;
    const bool hasDefault = pszDefaultCharset && *pszDefaultCharset;
    const std::string s(static_cast<const char*>(text), text.GetLength());

    // Collect literal text and encoded words. White space between two words is dropped and the words'
    // bytes are joined (RFC 2047 6.2), so a character split over two words comes out whole.
    std::vector<Piece> pieces;
    size_t pos = 0;
    bool anyWord = false;
    EncodedWord word;
    while (FindEncodedWord(s, pos, word) == ScanResult::Found)
    {
        std::string literal = s.substr(pos, word.start - pos);
        const bool follows = !pieces.empty() && !pieces.back().charset.empty();
        if (!(follows && IsLinearWhiteSpace(literal)) && !literal.empty())
            pieces.push_back({literal, ""});
        if (!pieces.empty() && !pieces.back().charset.empty() &&
            CString(pieces.back().charset.c_str()).CompareNoCase(word.charset.c_str()) == 0)
            pieces.back().text += word.bytes;
        else
            pieces.push_back({word.bytes, word.charset});
        anyWord = true;
        pos = word.end;
    }
    // An unterminated word, and everything after it, stays as it came.
    const CString rest = ToCString(s.substr(pos));

    // Decoded text goes to the ANSI code page, or with bUseDefault to the default charset's.
    auto targetCodePage = [&]() -> UINT {
        return bUseDefault && hasDefault ? CCharsetDecoder(pszDefaultCharset).GetInternetEncoding() : 0;
    };

    if (!anyWord)
    {
        // Older programs write raw UTF-8 without words; legacy charsets almost never form valid UTF-8.
        if (IsUtf8WithHighBytes(rest, rest.GetLength()))
        {
            if (drawing)
                DrawTextMultiLang(hDC, pRect, rest, "utf-8");
            return CCharsetDecoder("utf-8").Decode(rest, TRUE, targetCodePage());
        }
        const bool fromDefault = !rest.IsEmpty() && HasHighByte(rest) && hasDefault;
        if (drawing)
        {
            // Raw bytes of another charset are drawn in fonts that hold them, not read as ANSI.
            if (fromDefault)
                DrawTextMultiLang(hDC, pRect, rest, pszDefaultCharset);
            else
                CTextRun::DrawAndAdvance(hDC, text, text.GetLength(), pRect);
        }
        return fromDefault ? CCharsetDecoder(pszDefaultCharset).Decode(rest, FALSE, 0) : text;
    }

    const UINT target = targetCodePage();
    CString decoded;
    for (const Piece& piece : pieces)
    {
        const CString bytes = ToCString(piece.text);
        if (piece.charset.empty())
        {
            if (drawing)
                CTextRun::DrawAndAdvance(hDC, bytes, bytes.GetLength(), pRect);
            decoded += bytes;
            continue;
        }
        if (drawing)
            DrawTextMultiLang(hDC, pRect, bytes, piece.charset.c_str());
        decoded += CCharsetDecoder(piece.charset.c_str()).Decode(bytes, TRUE, target);
    }
    if (drawing)
        CTextRun::DrawAndAdvance(hDC, rest, rest.GetLength(), pRect);
    return decoded + rest;
}

HRESULT DrawTextFontLinked(HDC hDC, RECT* pRect, const CString& text, const char* pszCharset)
{
    if (text.IsEmpty())
        return S_OK;
    // Runs are drawn as Unicode: the 8-bit form of a run in a linked font's code page would be read
    // back through the ANSI code page by DrawTextA and come out wrong.
    CCharsetDecoder decoder(pszCharset);
    std::vector<WCHAR> wide(2 * text.GetLength() + 1);
    UINT nWide = static_cast<UINT>(wide.size());
    HRESULT hr = decoder.ToUnicode(text, wide.data(), &nWide);
    if (FAILED(hr))
        return hr;
    if (nWide > wide.size())
        return E_FAIL;

    IMLangFontLink2* pFontLink = nullptr;
    hr = CoCreateInstance(CLSID_OrbMultiLanguage, nullptr, CLSCTX_ALL, IID_OrbMLangFontLink2,
                          reinterpret_cast<void**>(&pFontLink));
    if (FAILED(hr))
    {
        // Reported once: this runs while painting, where a dialog would only repeat itself.
        if (!s_bMLangProblemReported)
        {
            s_bMLangProblemReported = true;
            DebugTrace("%s%s", kMLangProblem, static_cast<const char*>(GetMLangVersionText()));
        }
        return hr;
    }

    HFONT hFont = static_cast<HFONT>(GetCurrentObject(hDC, OBJ_FONT));
    DWORD dwFontCodePages = 0;
    pFontLink->GetFontCodePages(hDC, hFont, &dwFontCodePages);

    HRESULT result = S_OK;
    const WCHAR* p = wide.data();
    long remaining = static_cast<long>(nWide);
    while (remaining > 0)
    {
        DWORD dwRunCodePages = 0;
        long nRun = 0;
        if (FAILED(pFontLink->GetStrCodePages(p, remaining, dwFontCodePages, &dwRunCodePages, &nRun)) ||
            nRun <= 0)
        {
            CTextRun::DrawAndAdvance(hDC, p, remaining, pRect);
            result = 1;
            break;
        }
        if (dwRunCodePages & dwFontCodePages)
            CTextRun::DrawAndAdvance(hDC, p, nRun, pRect);
        else
        {
            HFONT hMapped = nullptr;
            if (FAILED(pFontLink->MapFont(hDC, dwRunCodePages, *p, &hMapped)) || !hMapped)
            {
                CTextRun::DrawAndAdvance(hDC, p, remaining, pRect);
                result = 1;
                break;
            }
            HGDIOBJ hOld = SelectObject(hDC, hMapped);
            CTextRun::DrawAndAdvance(hDC, p, nRun, pRect);
            SelectObject(hDC, hOld);
            pFontLink->ReleaseFont(hMapped);
        }
        p += nRun;
        remaining -= nRun;
    }
    pFontLink->Release();
    return result;
}

void DrawTextMultiLang(HDC hDC, RECT* pRect, const CString& text, const char* pszCharset)
{
    HRESULT hr;
    try
    {
        hr = DrawTextFontLinked(hDC, pRect, text, pszCharset);
    }
    catch (CException* e)
    {
        delete e;
        hr = E_FAIL;
    }
    catch (const char*)
    {
        hr = E_FAIL;
    }
    if (FAILED(hr))
    {
        RECT rc = *pRect;
        DrawTextA(hDC, text, -1, &rc, DT_WORD_ELLIPSIS);
    }
}

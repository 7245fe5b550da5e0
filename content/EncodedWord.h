// RFC 2047 encoded words in header texts: decoding, and drawing header texts with font linking.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Draws text runs one after another on a line: each run is drawn from the rectangle's left edge with
// word ellipsis, and the left edge then moves right by the run's width.
class CTextRun
{
public:
    static void DrawAndAdvance(HDC hDC, const char* pszText, int nCount, RECT* pRect);
    static void DrawAndAdvance(HDC hDC, const WCHAR* pszText, int nCount, RECT* pRect);
};

// Decodes the encoded words of a header text into the ANSI code page (or, with bUseDefault and a
// default charset, into that charset's code page). Given a device context it also draws the text
// into pRect, advancing its left edge. Text that holds no encoded word may carry raw 8-bit bytes of
// the default charset, which are decoded from it when one is given.
CString DecodeEncodedWord(const CString& text, HDC hDC = NULL, RECT* pRect = NULL,
                          const char* pszDefaultCharset = NULL, BOOL bUseDefault = FALSE);

// Draws text of the given charset with fonts that hold its characters; a failure code when MLang's
// font linking is unavailable.
HRESULT DrawTextFontLinked(HDC hDC, RECT* pRect, const CString& text, const char* pszCharset);
// DrawTextFontLinked, or plain DrawTextA with word ellipsis when that fails.
void DrawTextMultiLang(HDC hDC, RECT* pRect, const CString& text, const char* pszCharset);

// Reads a page file whole and turns its bytes into UTF-8 by its byte-order mark, its META charset or the
// caller's code page.
#pragma once

#include <windows.h>

#include <string>

class CHtmlPageReader
{
public:
    // Files bigger than this are shown up to here: the engine's own input cap.
    static constexpr size_t kMaxFile = 8 * 1024 * 1024;

    // The whole file, closed again before return; false when it cannot be opened or read.
    static bool ReadFile(const wchar_t* pszPath, std::string& bytes);

    // Bytes in UTF-8, every undecodable byte a U+FFFD. nCodePage 0 is the ANSI code page.
    static std::string ToUtf8(const std::string& bytes, UINT nCodePage);

    // The code page of a charset name through the message charset resolver; 0 when unknown.
    static UINT CodePageOfCharset(const std::string& charset);
};

// Words of ANSI text as the engine sees them, and conversions between ANSI and a dictionary's encoding.
#pragma once

#include <string>

// Finds the next word in the n bytes at p: letters with apostrophes between them, inside a token (a run
// without spaces) that holds no digit, "@", "://" or "www.". False when there is none.
bool FindNextWord(const char* p, int n, int& nStart, int& nLength);

// The Windows code page of a dictionary's SET name; ISO 8859-1 for names it does not know.
unsigned CodePageForEncoding(const std::string& strEncoding);
// False when the text cannot be converted whole.
bool ConvertCodePage(const std::string& strFrom, unsigned nFrom, unsigned nTo, std::string& strTo);
// Lowercase in the ANSI code page.
std::string AnsiLower(const std::string& str);

// UTF-8 helpers of the HTML engine: validation, decoding, line-break classes and case folding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace html
{
// The input with every ill-formed sequence (and NUL) replaced by U+FFFD.
std::string ValidUtf8(const std::string& s);

// Decodes the code point at s[pos] (s must be valid UTF-8) and advances pos past it.
uint32_t NextCodePoint(const std::string& s, size_t& pos);

void AppendUtf8(std::string& out, uint32_t cp);

// Characters laid out one by one with a break opportunity on either side (ideographs, kana, hangul).
bool IsIdeographic(uint32_t cp);

// A break is not allowed before these (closing punctuation, small kana and the like).
bool NoBreakBefore(uint32_t cp);

// Simple case folding for find: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
uint32_t FoldCase(uint32_t cp);
}

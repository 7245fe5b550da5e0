// The charset clues of a page's bytes, portable: its byte-order mark and the charset its META names.
#pragma once

#include <cstddef>
#include <string>

namespace HtmlCharsetSniffer
{
// How far into the page a META charset is looked for.
constexpr size_t kMetaScan = 4096;

// When the bytes start with a UTF-8 or UTF-16 byte-order mark, the rest as valid UTF-8 (ill-formed sequences
// and unpaired surrogates as U+FFFD) and true; else false.
bool DecodeByByteOrderMark(const std::string& bytes, std::string& utf8);

// The charset a META element names in the first kMetaScan bytes, lower case ("" when none).
std::string MetaCharset(const std::string& bytes);

// UTF-16 code units to valid UTF-8.
std::string Utf16ToUtf8(const char16_t* units, size_t count);
}

// Turns the bytes of a card's value, in the charset it names, into the program's 8-bit ANSI text.
#pragma once

#include <atlstr.h>

#include <string>

class CVcardCharsets
{
public:
    virtual ~CVcardCharsets() = default;

    // pszCharset upper case ("UTF-8", "ISO-8859-1", ...). The Unicode forms, ISO-8859-1 and US-ASCII are
    // converted here; any other charset goes to ConvertOther. Characters the ANSI code page lacks become '?'.
    CString ToAnsi(const char* pszCharset, const std::string& bytes) const;
    // The name written as CHARSET beside a value holding 8-bit ANSI text.
    virtual CString GetAnsiCharsetName() const;

protected:
    // Charsets known to the platform's own conversion; without one the bytes are kept as they are.
    virtual CString ConvertOther(const char* pszCharset, const std::string& bytes) const;
};

// UTF-16 (by its byte-order mark, else little-endian) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::string& bytes, bool bBigEndian);

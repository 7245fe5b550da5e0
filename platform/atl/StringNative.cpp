// The code-page pieces of CString for builds without Windows: the ANSI code page is taken to be 1252.
#include "atlstr.h"

namespace ATL
{

namespace
{

// Code points of bytes 0x80-0x9F in code page 1252; the five bytes it leaves undefined map to the C1
// controls of the same value, as Windows maps them.
const wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToAnsi(wchar_t wch)
{
    if (wch < 0x80 || (wch >= 0xA0 && wch <= 0xFF))
        return static_cast<char>(wch);
    for (int i = 0; i < 32; ++i)
    {
        if (kCp1252High[i] == wch)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

unsigned char ToUpper(unsigned char ch)
{
    if ((ch >= 'a' && ch <= 'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7))
        return static_cast<unsigned char>(ch - 0x20);
    switch (ch)
    {
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9E:
        return 0x8E;
    case 0xFF:
        return 0x9F;
    default:
        return ch;
    }
}

unsigned char ToLower(unsigned char ch)
{
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7))
        return static_cast<unsigned char>(ch + 0x20);
    switch (ch)
    {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return ch;
    }
}

} // namespace

std::string StringPlatform::WideToAnsi(const wchar_t* pch, size_t nLength)
{
    std::string str(nLength, '\0');
    for (size_t i = 0; i < nLength; ++i)
        str[i] = ToAnsi(pch[i]);
    return str;
}

void StringPlatform::MakeUpper(char* pch, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i)
        pch[i] = static_cast<char>(ToUpper(static_cast<unsigned char>(pch[i])));
}

void StringPlatform::MakeLower(char* pch, size_t nLength)
{
    for (size_t i = 0; i < nLength; ++i)
        pch[i] = static_cast<char>(ToLower(static_cast<unsigned char>(pch[i])));
}

unsigned char StringPlatform::FoldCase(unsigned char ch)
{
    return ToLower(ch);
}

} // namespace ATL

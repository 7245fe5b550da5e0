// Word finding and text conversion of the spelling engine.
#include "platform/spelling/SpellText.h"

#include <windows.h>

#include <string.h>

#include <vector>

namespace
{
bool IsSpace(unsigned char c)
{
    return c <= ' ' || c == 0xA0;
}

bool IsLetter(unsigned char c)
{
    return c >= 0x80 ? ::IsCharAlphaA((CHAR)c) != FALSE : ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

// The typewriter apostrophe and the typographic one of code page 1252.
bool IsApostrophe(unsigned char c)
{
    return c == '\'' || c == 0x92;
}

bool TokenIsSkipped(const char* p, int n)
{
    for (int i = 0; i < n; i++)
    {
        const unsigned char c = (unsigned char)p[i];
        if ((c >= '0' && c <= '9') || c == '@')
            return true;
        if (c == ':' && i + 2 < n && p[i + 1] == '/' && p[i + 2] == '/')
            return true;
        if (i + 4 <= n && _strnicmp(p + i, "www.", 4) == 0)
            return true;
    }
    return false;
}
} // namespace

bool FindNextWord(const char* p, int n, int& nStart, int& nLength)
{
    int i = 0;
    while (i < n)
    {
        while (i < n && IsSpace((unsigned char)p[i]))
            i++;
        int nTokenEnd = i;
        while (nTokenEnd < n && !IsSpace((unsigned char)p[nTokenEnd]))
            nTokenEnd++;
        if (!TokenIsSkipped(p + i, nTokenEnd - i))
        {
            for (int j = i; j < nTokenEnd; j++)
            {
                if (!IsLetter((unsigned char)p[j]))
                    continue;
                int k = j + 1;
                while (k < nTokenEnd && (IsLetter((unsigned char)p[k]) ||
                                         (IsApostrophe((unsigned char)p[k]) && k + 1 < nTokenEnd &&
                                          IsLetter((unsigned char)p[k + 1]))))
                    k++;
                nStart = j;
                nLength = k - j;
                return true;
            }
        }
        i = nTokenEnd;
    }
    return false;
}

unsigned CodePageForEncoding(const std::string& strEncoding)
{
    static const struct
    {
        const char* pszName;
        unsigned nCodePage;
    } kEncodings[] = {
        {"UTF-8", CP_UTF8},         {"ISO8859-1", 28591},  {"ISO8859-2", 28592},  {"ISO8859-3", 28593},
        {"ISO8859-4", 28594},       {"ISO8859-5", 28595},  {"ISO8859-6", 28596},  {"ISO8859-7", 28597},
        {"ISO8859-8", 28598},       {"ISO8859-9", 28599},  {"ISO8859-10", 28600}, {"ISO8859-13", 28603},
        {"ISO8859-14", 28604},      {"ISO8859-15", 28605}, {"KOI8-R", 20866},     {"KOI8-U", 21866},
        {"microsoft-cp1251", 1251}, {"TIS620-2533", 874},
    };
    for (const auto& e : kEncodings)
    {
        if (_stricmp(strEncoding.c_str(), e.pszName) == 0)
            return e.nCodePage;
    }
    return 28591;
}

bool ConvertCodePage(const std::string& strFrom, unsigned nFrom, unsigned nTo, std::string& strTo)
{
    strTo.clear();
    if (strFrom.empty())
        return true;
    const int nWide =
        ::MultiByteToWideChar(nFrom, MB_ERR_INVALID_CHARS, strFrom.data(), (int)strFrom.size(), NULL, 0);
    if (nWide <= 0)
        return false;
    std::vector<WCHAR> wide(nWide);
    ::MultiByteToWideChar(nFrom, MB_ERR_INVALID_CHARS, strFrom.data(), (int)strFrom.size(), wide.data(),
                          nWide);
    // UTF-8 holds everything; for the other pages a character replaced by the default one is lost.
    BOOL bLost = FALSE;
    const bool bUtf8 = nTo == CP_UTF8;
    const DWORD dwFlags = bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int nBytes =
        ::WideCharToMultiByte(nTo, dwFlags, wide.data(), nWide, NULL, 0, NULL, bUtf8 ? NULL : &bLost);
    if (nBytes <= 0 || bLost)
        return false;
    strTo.resize(nBytes);
    ::WideCharToMultiByte(nTo, dwFlags, wide.data(), nWide, &strTo[0], nBytes, NULL, bUtf8 ? NULL : &bLost);
    return !bLost;
}

std::string AnsiLower(const std::string& str)
{
    std::string strLower = str;
    if (!strLower.empty())
        ::CharLowerBuffA(&strLower[0], (DWORD)strLower.size());
    return strLower;
}

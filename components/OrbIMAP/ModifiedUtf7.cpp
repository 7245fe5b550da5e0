// Modified UTF-7: printable ASCII stands for itself, "&" is "&-", anything else is base64 of UTF-16 between
// "&" and "-", with "," in place of "/".
#include "components/OrbIMAP/ModifiedUtf7.h"

namespace
{

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";

int Sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == ',')
        return 63;
    return -1;
}

} // namespace

std::string EncodeModifiedUtf7(const std::u16string& strName)
{
    std::string out;
    size_t i = 0;
    while (i < strName.size())
    {
        const char16_t c = strName[i];
        if (c >= 0x20 && c <= 0x7E)
        {
            out += static_cast<char>(c);
            if (c == u'&')
                out += '-';
            ++i;
            continue;
        }
        out += '&';
        unsigned nBits = 0;
        unsigned nBuffer = 0;
        while (i < strName.size() && (strName[i] < 0x20 || strName[i] > 0x7E))
        {
            nBuffer = (nBuffer << 16) | strName[i++];
            nBits += 16;
            while (nBits >= 6)
            {
                nBits -= 6;
                out += kAlphabet[(nBuffer >> nBits) & 0x3F];
            }
            nBuffer &= (1u << nBits) - 1;
        }
        if (nBits > 0)
            out += kAlphabet[(nBuffer << (6 - nBits)) & 0x3F];
        out += '-';
    }
    return out;
}

std::u16string DecodeModifiedUtf7(const std::string& strName)
{
    std::u16string out;
    size_t i = 0;
    while (i < strName.size())
    {
        const unsigned char c = static_cast<unsigned char>(strName[i]);
        if (c != '&')
        {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        const size_t nEnd = strName.find('-', i + 1);
        if (nEnd == std::string::npos)
        {
            out += u'&';
            ++i;
            continue;
        }
        if (nEnd == i + 1)
        {
            out += u'&';
            i = nEnd + 1;
            continue;
        }
        std::u16string decoded;
        unsigned nBuffer = 0;
        unsigned nBits = 0;
        bool bValid = true;
        for (size_t j = i + 1; j < nEnd && bValid; ++j)
        {
            const int s = Sextet(strName[j]);
            if (s < 0)
            {
                bValid = false;
                break;
            }
            nBuffer = (nBuffer << 6) | static_cast<unsigned>(s);
            nBits += 6;
            if (nBits >= 16)
            {
                nBits -= 16;
                decoded += static_cast<char16_t>((nBuffer >> nBits) & 0xFFFF);
                nBuffer &= (1u << nBits) - 1;
            }
        }
        // Left-over bits must be zero padding of less than one sextet's worth.
        if (!bValid || nBits >= 6 || nBuffer != 0 || decoded.empty())
        {
            out += u'&';
            ++i;
            continue;
        }
        out += decoded;
        i = nEnd + 1;
    }
    return out;
}

// RFC 2047 encoded words for outgoing header texts.
#include "content/TransferEncoding.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "content/CharsetDecoder.h"
#include "transport/SmtpMessage.h"

namespace
{

// RFC 2047 5(3): the characters a "Q" word may carry as they are, in any header position.
bool IsQSafe(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || strchr("!*+-/", c);
}

std::string EncodeQ(const CString& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (int i = 0; i < bytes.GetLength(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == ' ')
            out.push_back('_');
        else if (IsQSafe(c))
            out.push_back(static_cast<char>(c));
        else
        {
            out.push_back('=');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

// Length in bytes of the ANSI character that starts at p.
int CharLength(const char* p, const char* end)
{
    const UINT acp = GetACP();
    if (acp == CP_UTF8)
    {
        int n = 1;
        while (p + n < end && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80)
            ++n;
        return n;
    }
    return (IsDBCSLeadByteEx(acp, static_cast<BYTE>(*p)) && p + 1 < end) ? 2 : 1;
}

} // namespace

CString EncodeHeaderWord(const CString& text)
{
    bool ascii = true;
    for (int i = 0; i < text.GetLength() && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii)
        return text;

    CCharsetDecoder decoder(GetACP());
    const CString charset = decoder.GetCharsetName();

    // B or Q as the body encoder would choose for the whole converted text.
    CString body = decoder.Encode(text);
    CString encodingName;
    CSmtpMessage message;
    message.EncodeBody(SMTP_ENCODING_AUTO, body, encodingName);
    const bool base64 = encodingName.CompareNoCase("base64") == 0;
    const CString prefix = "=?" + charset + (base64 ? "?B?" : "?Q?");
    const int budget = 75 - prefix.GetLength() - 2;

    auto encode = [&](const CString& source) {
        const CString bytes = decoder.Encode(source);
        return base64 ? EncodeBase64Bytes(bytes, bytes.GetLength()) : EncodeQ(bytes);
    };

    // Words of at most 75 characters, each holding whole characters and converted on its own, so a
    // stateful charset (iso-2022-jp) returns to ASCII inside every word.
    CString result;
    const char* p = text;
    const char* end = p + text.GetLength();
    CString chunk;
    std::string chunkEncoded;
    while (p < end)
    {
        const int n = CharLength(p, end);
        const CString candidate = chunk + CString(p, n);
        const std::string candidateEncoded = encode(candidate);
        if (static_cast<int>(candidateEncoded.size()) > budget && !chunk.IsEmpty())
        {
            if (!result.IsEmpty())
                result += "\r\n\t";
            result += prefix + CString(chunkEncoded.c_str()) + "?=";
            chunk = CString(p, n);
            chunkEncoded = encode(chunk);
        }
        else
        {
            chunk = candidate;
            chunkEncoded = candidateEncoded;
        }
        p += n;
    }
    if (!chunk.IsEmpty())
    {
        if (!result.IsEmpty())
            result += "\r\n\t";
        result += prefix + CString(chunkEncoded.c_str()) + "?=";
    }
    return result;
}

// The outgoing message model of the SMTP client and its body encoder.
#include "transport/SmtpMessage.h"

#include <cstring>
#include <string>

#include "content/TransferEncoding.h"
#include "foundation/Base64.h"
#include "foundation/ErrorUtil.h"

namespace
{

const int kWrapColumn = 76;
const char kBreakChars[] = " -;.,?!";

const char* EncodingName(int nEncoding)
{
    switch (nEncoding)
    {
    case SMTP_ENCODING_8BIT:
        return "8bit";
    case SMTP_ENCODING_QUOTED_PRINTABLE:
        return "quoted-printable";
    case SMTP_ENCODING_BASE64:
        return "base64";
    default:
        return "7bit";
    }
}

} // namespace

CSmtpMessage::CSmtpMessage() : m_nZone(0), m_nPriority(1), m_nMultipartKind(0), m_nReadReceipt(0)
{
    GetLocalTime(&m_Time);
    TIME_ZONE_INFORMATION tz;
    const DWORD answer = GetTimeZoneInformation(&tz);
    long bias = tz.Bias;
    if (answer == TIME_ZONE_ID_STANDARD)
        bias += tz.StandardBias;
    else if (answer == TIME_ZONE_ID_DAYLIGHT)
        bias += tz.DaylightBias;
    m_nZone = static_cast<int>(-(bias / 60) * 100 - (bias % 60));
}

int CSmtpMessage::ChooseEncoding(const BYTE* pData, int nLength)
{
    int nPrintable = 0;
    bool bLongLine = false;
    bool bNotPrintable = false;
    int nLineStart = 0;
    for (int i = 0; i < nLength; ++i)
    {
        const BYTE c = pData[i];
        if (c == 0)
            return SMTP_ENCODING_BASE64;
        if ((c >= 32 && c < 127) || c == '\t' || c == '\r' || c == '\n')
            ++nPrintable;
        else
            bNotPrintable = true;
        if (c == '\r' || c == '\n')
        {
            // A line that 7bit or 8bit could carry only by breaking it goes quoted-printable instead:
            // wrapping would change the text.
            if (i - nLineStart > kWrapColumn)
                bLongLine = true;
            nLineStart = i + 1;
        }
    }
    if (nLength - nLineStart > kWrapColumn)
        bLongLine = true;
    if (nLength > 0 && static_cast<long long>(nPrintable) * 100 / nLength < 90)
        return SMTP_ENCODING_BASE64;
    if (bLongLine)
        return SMTP_ENCODING_QUOTED_PRINTABLE;
    return bNotPrintable ? SMTP_ENCODING_8BIT : SMTP_ENCODING_7BIT;
}

CString CSmtpMessage::WrapLines(const char* pText, int nLength)
{
    std::string out;
    out.reserve(nLength + 2 * (nLength / 60) + 2);
    int pos = 0;
    while (pos < nLength)
    {
        // CR LF, a lone CR and a lone LF each end a line, as the encoding choice counts them; each is
        // written as CR LF.
        int lineEnd = pos;
        while (lineEnd < nLength && pText[lineEnd] != '\r' && pText[lineEnd] != '\n')
            ++lineEnd;
        const bool endsLine = lineEnd < nLength;
        const char* line = pText + pos;
        int rest = lineEnd - pos;
        bool hasBreak = false;
        for (int i = 0; i < rest && !hasBreak; ++i)
            hasBreak = strchr(kBreakChars, line[i]) != nullptr;
        while (rest > kWrapColumn)
        {
            int cut = kWrapColumn;
            if (hasBreak)
            {
                int i = kWrapColumn - 1;
                while (i >= 0 && !strchr(kBreakChars, line[i]))
                    --i;
                if (i < 0)
                    break; // no place to break: the rest stays whole
                cut = i + 1;
            }
            out.append(line, cut);
            out.append("\r\n");
            line += cut;
            rest -= cut;
        }
        out.append(line, rest);
        pos = lineEnd;
        if (endsLine)
        {
            out.append("\r\n");
            if (pText[pos++] == '\r' && pos < nLength && pText[pos] == '\n')
                ++pos;
        }
    }
    return CString(out.data(), static_cast<int>(out.size()));
}

void CSmtpMessage::EncodeBody(int nEncoding, CString& text, CString& name, const BYTE* pData, int nLength,
                              BOOL bWrapSevenBit)
{
    const DWORD dwStart = GetTickCount();
    const CString input = text;
    if (!pData)
    {
        pData = reinterpret_cast<const BYTE*>(static_cast<const char*>(input));
        nLength = input.GetLength();
    }
    int nUsed = nEncoding;
    if (nLength == 0)
        nUsed = SMTP_ENCODING_7BIT;
    else if (nEncoding == SMTP_ENCODING_AUTO)
        nUsed = ChooseEncoding(pData, nLength);

    const char* pChars = reinterpret_cast<const char*>(pData);
    CString encoded;
    switch (nUsed)
    {
    case SMTP_ENCODING_8BIT:
        encoded = WrapLines(pChars, nLength);
        break;
    case SMTP_ENCODING_QUOTED_PRINTABLE: {
        std::string qp;
        EncodeQuotedPrintableBytes(qp, pChars, nLength, "\r\n");
        encoded = CString(qp.data(), static_cast<int>(qp.size()));
        break;
    }
    case SMTP_ENCODING_BASE64: {
        CBase64 coder;
        coder.Encode(pData, static_cast<unsigned>(nLength));
        encoded = WrapLines(coder.GetEncoded(), static_cast<int>(coder.m_nEncodedLength));
        break;
    }
    default: {
        nUsed = SMTP_ENCODING_7BIT;
        std::string seven(pChars, nLength);
        for (char& c : seven)
        {
            if (static_cast<unsigned char>(c) >= 127)
                c = '?';
        }
        encoded = bWrapSevenBit ? WrapLines(seven.data(), static_cast<int>(seven.size()))
                                : CString(seven.data(), static_cast<int>(seven.size()));
        break;
    }
    }
    // SMTP ends the data at a line holding a single dot: double every dot that starts a line.
    encoded.Replace("\r\n.", "\r\n..");
    text = encoded;
    name = EncodingName(nUsed);
    DebugTrace("Encoding took %dms\n", static_cast<int>(GetTickCount() - dwStart));
}

// The outgoing message model of the SMTP client and its body encoder.
#include "transport/SmtpMessage.h"

#include <cstring>
#include <string>

#include "content/TransferEncoding.h"
#include "foundation/Base64.h"
#include "foundation/ErrorUtil.h"
#include "foundation/File.h"
#include "foundation/FileException.h"

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

CSmtpMessage::CSmtpMessage()
    : m_nZone(0), m_nPriority(1), m_nMultipartKind(0), m_nReadReceipt(0), m_pfnGetTickCount(GetTickCount)
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
    text = encoded;
    name = EncodingName(nUsed);
    DebugTrace("Encoding took %dms\n", static_cast<int>(GetTickCount() - dwStart));
}

CSmtpMessage::~CSmtpMessage()
{
}

CSmtpContentType::CSmtpContentType(const char* pszAddress, const char* pszName)
    : m_strName(pszName ? pszName : ""), m_strAddress(pszAddress ? pszAddress : "")
{
}

CSmtpPartBase::CSmtpPartBase(const char* pszContentType, const char* pszCharset, int nEncoding)
    : m_strContentType(pszContentType ? pszContentType : ""), m_strCharset(pszCharset ? pszCharset : ""),
      m_nEncoding(nEncoding)
{
}

CSmtpBodyPart::CSmtpBodyPart(const char* pszText, const char* pszContentType, const char* pszCharset,
                             int nEncoding)
    : CSmtpPartBase(pszContentType, pszCharset, nEncoding), m_strText(pszText ? pszText : "")
{
}

CSmtpAttachment::CSmtpAttachment(const char* pszPath, const char* pszName, int nInline,
                                 const char* pszContentType, const char* pszCharset, int nEncoding)
    : CSmtpPartBase(pszContentType, pszCharset, nEncoding), m_strPath(pszPath ? pszPath : ""),
      m_strName(pszName ? pszName : ""), m_nInline(nInline), m_nDisposition(1)
{
}

void CSmtpHeaderMap::Add(const char* pszName, const char* pszValue)
{
    m_Fields.push_back(std::make_pair(CString(pszName), CString(pszValue)));
}

void CSmtpHeaderMap::Remove(const char* pszName)
{
    const int i = Find(pszName);
    if (i >= 0)
        m_Fields.erase(m_Fields.begin() + i);
}

int CSmtpHeaderMap::Find(const char* pszName) const
{
    for (size_t i = 0; i < m_Fields.size(); ++i)
    {
        if (m_Fields[i].first == pszName)
            return static_cast<int>(i);
    }
    return -1;
}

void CSmtpHeaderMap::AddIfAbsent(const char* pszName, const char* pszValue)
{
    if (Find(pszName) < 0)
        Add(pszName, pszValue);
}

void CSmtpHeaderMap::Replace(const char* pszName, const char* pszValue)
{
    Remove(pszName);
    Add(pszName, pszValue);
}

namespace
{

// A text as an RFC 822 quoted string: quotes and backslashes inside are escaped.
CString QuoteString(const CString& text)
{
    CString quoted = "\"";
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool BeginsWithText(const CString& contentType)
{
    return contentType.GetLength() >= 5 && contentType.Left(5).CompareNoCase("text/") == 0;
}

} // namespace

CString CSmtpMessage::FormatDate() const
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int nDay = m_Time.wDayOfWeek % 7;
    const int nMonth = (m_Time.wMonth >= 1 && m_Time.wMonth <= 12) ? m_Time.wMonth - 1 : 0;
    // RFC 2822 wants a two-digit hour, and UTC itself is "+0000": "-0000" says the zone is unknown.
    CString date;
    date.Format("%s, %d %s %04d %02d:%02d:%02d %c%4.4d", kDays[nDay], m_Time.wDay, kMonths[nMonth],
                m_Time.wYear, m_Time.wHour, m_Time.wMinute, m_Time.wSecond, m_nZone < 0 ? '-' : '+',
                m_nZone < 0 ? -m_nZone : m_nZone);
    return date;
}

CString CSmtpMessage::FormatAddress(const CSmtpContentType& address)
{
    CString text;
    if (!address.m_strName.IsEmpty())
    {
        // An encoded word inside quotes would not be decoded by the reader, so it goes bare.
        const CString encoded = EncodeHeaderWord(address.m_strName);
        text = (encoded == address.m_strName ? QuoteString(address.m_strName) : encoded) + " ";
    }
    text += "<" + address.m_strAddress + ">";
    return text;
}

CString CSmtpMessage::FormatAddressList(const std::vector<CSmtpContentType>& list)
{
    CString text;
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (i > 0)
            text += ",\r\n\t";
        text += FormatAddress(list[i]);
    }
    return text;
}

CString CSmtpMessage::LookupContentType(const CString& name)
{
    CString type = "application/octet-stream";
    const int nDot = name.ReverseFind('.');
    if (nDot < 0)
        return type;
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.Mid(nDot), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return type;
    char szValue[261] = {0};
    DWORD cbValue = 260;
    DWORD dwType = 0;
    if (RegQueryValueExA(hKey, "Content Type", NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue) ==
            ERROR_SUCCESS &&
        dwType == REG_SZ && szValue[0])
        type = szValue;
    RegCloseKey(hKey);
    return type;
}

int CSmtpMessage::BuildMime(CString& output)
{
    static const char* const kPriority[] = {"1 (High)", "3 (Normal)", "5 (Low)"};
    static const char* const kImportance[] = {"High", "Normal", "Low"};
    static const char* const kKinds[] = {"mixed", "mixed", "alternative", "related"};

    const int nParts = static_cast<int>(m_BodyParts.size() + m_Attachments.size());
    const bool bMultipart = nParts >= 2;
    CString outer, inner;
    m_Headers.Remove("Content-Type");
    if (bMultipart)
    {
        outer.Format("CSmtpMsgPart123X456_000_%8.8X", static_cast<unsigned>(m_pfnGetTickCount()));
        if (m_nMultipartKind == 0)
            m_nMultipartKind = m_Attachments.empty() ? 2 : 1;
        const int nKind = (m_nMultipartKind >= 1 && m_nMultipartKind <= 3) ? m_nMultipartKind : 1;
        m_Headers.Add("Content-Type",
                      CString("multipart/") + kKinds[nKind] + ";\r\n\tboundary=\"" + outer + "\"");
    }
    m_Headers.Replace("MIME-Version", "1.0");
    m_Headers.Remove("Message-ID");
    if (!m_strMessageId.IsEmpty())
        m_Headers.Add("Message-ID", "<" + m_strMessageId + ">");

    const int nPriority = (m_nPriority >= 0 && m_nPriority <= 2) ? m_nPriority : 1;
    m_Headers.AddIfAbsent("X-Priority", kPriority[nPriority]);
    m_Headers.AddIfAbsent("X-MSMail-Priority", kImportance[nPriority]);
    if (m_Headers.Find("X-Mailer") < 0)
        m_Headers.Add("X-Mailer", "Vorn Mailer v" + GetModuleVersionText());
    m_Headers.AddIfAbsent("Importance", kImportance[nPriority]);
    m_Headers.Replace("Date", FormatDate());
    m_Headers.Replace("Subject", m_strSubject);
    m_Headers.Replace("To", FormatAddressList(m_To));
    m_Headers.Remove("Cc");
    if (!m_Cc.empty())
        m_Headers.Add("Cc", FormatAddressList(m_Cc));
    m_Headers.Remove("Bcc");
    if (!m_Bcc.empty())
        m_Headers.Add("Bcc", FormatAddressList(m_Bcc));
    m_Headers.Replace("From", FormatAddress(m_From));
    if (m_nReadReceipt)
        m_Headers.Replace("Disposition-Notification-To", "<" + m_From.m_strAddress + ">");

    CString text;
    for (int i = m_Headers.GetSize() - 1; i >= 0; --i)
        text += m_Headers.GetNameAt(i) + ": " + m_Headers.GetValueAt(i) + "\r\n";

    if (bMultipart)
        text += "\r\nThis is a multipart message in MIME format\r\n";
    if (!m_Attachments.empty() && m_BodyParts.size() > 1 && bMultipart)
    {
        inner.Format("CSmtpMsgPart123X456_001_%8.8X", static_cast<unsigned>(m_pfnGetTickCount()));
        text +=
            "\r\n--" + outer + "\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"" + inner + "\"\r\n";
    }

    if (m_BodyParts.empty())
    {
        text += "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: "
                "7bit\r\n\r\n";
    }
    for (const CSmtpBodyPart& part : m_BodyParts)
    {
        if (bMultipart)
            text += "\r\n--" + (inner.IsEmpty() ? outer : inner) + "\r\n";
        text += "Content-Type: " + part.m_strContentType;
        if (BeginsWithText(part.m_strContentType))
            text += ";\r\n\tcharset=\"" + part.m_strCharset + "\"";
        text += "\r\n";
        CString body = part.m_strText, name;
        EncodeBody(part.m_nEncoding, body, name);
        text += "Content-Transfer-Encoding: " + name;
        if (!part.m_strContentId.IsEmpty())
            text += "\r\nContent-ID: <" + part.m_strContentId + ">";
        text += "\r\n\r\n" + body;
    }
    if (!inner.IsEmpty())
        text += "\r\n--" + inner + "--\r\n";

    for (const CSmtpAttachment& attachment : m_Attachments)
    {
        std::string bytes;
        try
        {
            CFile file(attachment.m_strPath, CFile::modeRead | CFile::shareDenyWrite);
            const DWORD dwLength = file.GetLength();
            bytes.resize(dwLength);
            if (dwLength && file.Read(&bytes[0], dwLength) != dwLength)
                bytes.resize(0);
            file.Close();
        }
        catch (CFileException* pException)
        {
            char szError[256] = {0};
            pException->GetErrorMessage(szError, 255);
            delete pException;
            CString message = "ERROR: '" + attachment.m_strPath + "'\r\n" + szError;
            static thread_local char s_szError[2047];
            lstrcpynA(s_szError, message, sizeof(s_szError));
            throw static_cast<const char*>(s_szError);
        }
        if (bMultipart)
            text += "\r\n--" + outer + "\r\n";
        CString name = attachment.m_strName;
        if (name.IsEmpty())
        {
            const int nSlash = attachment.m_strPath.ReverseFind('\\');
            name = nSlash >= 0 ? attachment.m_strPath.Mid(nSlash + 1) : attachment.m_strPath;
        }
        const CString type =
            attachment.m_strContentType.IsEmpty() ? LookupContentType(name) : attachment.m_strContentType;
        const CString encodedName = EncodeHeaderWord(name);
        text += "Content-Type: " + type;
        if (BeginsWithText(type))
            text += ";\r\n\tcharset=\"" + attachment.m_strCharset + "\"";
        text += ";\r\n\tname=" + QuoteString(encodedName) + "\r\n";
        CString body, encodingName;
        EncodeBody(attachment.m_nEncoding, body, encodingName, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<int>(bytes.size()), FALSE);
        text += "Content-Transfer-Encoding: " + encodingName;
        if (attachment.m_nDisposition)
        {
            text += CString("\r\nContent-Disposition: ") + (attachment.m_nInline ? "inline" : "attachment") +
                    ";\r\n\tfilename=" + QuoteString(encodedName);
        }
        if (!attachment.m_strContentId.IsEmpty())
            text += "\r\nContent-ID: <" + attachment.m_strContentId + ">";
        text += "\r\n\r\n" + body;
    }
    if (bMultipart)
        text += "\r\n--" + outer + "--\r\n";
    output = text;
    return 1;
}

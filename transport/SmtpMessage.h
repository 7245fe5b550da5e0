// The outgoing message model of the SMTP client and its body encoder.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <utility>
#include <vector>

// Transfer encoding numbers of outgoing parts.
enum SmtpEncoding
{
    SMTP_ENCODING_AUTO = 0,
    SMTP_ENCODING_7BIT = 1,
    SMTP_ENCODING_8BIT = 2,
    SMTP_ENCODING_QUOTED_PRINTABLE = 3,
    SMTP_ENCODING_BASE64 = 4,
};

// An address of the outgoing message: display name and e-mail address.
class CSmtpContentType
{
public:
    explicit CSmtpContentType(const char* pszAddress = NULL, const char* pszName = NULL);

    CString m_strName;
    CString m_strAddress;
};

class CSmtpPartBase
{
public:
    CSmtpPartBase(const char* pszContentType, const char* pszCharset, int nEncoding);

    CString m_strContentType;
    CString m_strCharset;
    CString m_strContentId; // empty: no Content-ID
    int m_nEncoding;
};

class CSmtpBodyPart : public CSmtpPartBase
{
public:
    CSmtpBodyPart(const char* pszText, const char* pszContentType = "text/plain",
                  const char* pszCharset = "iso-8859-1", int nEncoding = SMTP_ENCODING_AUTO);
    void SetText(const char* pszText) { m_strText = pszText; }

    CString m_strText;
};

class CSmtpAttachment : public CSmtpPartBase
{
public:
    // An empty content type is looked up by the name's extension when building.
    CSmtpAttachment(const char* pszPath, const char* pszName = "", int nInline = 0,
                    const char* pszContentType = "", const char* pszCharset = "iso-8859-1",
                    int nEncoding = SMTP_ENCODING_AUTO);

    CString m_strPath;
    CString m_strName; // empty: taken from the path
    int m_nInline;
    int m_nDisposition;
};

// Header fields in insertion order; names compared exactly.
class CSmtpHeaderMap
{
public:
    void Add(const char* pszName, const char* pszValue);
    void Remove(const char* pszName);
    int Find(const char* pszName) const;
    void AddIfAbsent(const char* pszName, const char* pszValue);
    void Replace(const char* pszName, const char* pszValue);
    int GetSize() const { return static_cast<int>(m_Fields.size()); }
    const CString& GetNameAt(int i) const { return m_Fields[i].first; }
    const CString& GetValueAt(int i) const { return m_Fields[i].second; }

private:
    std::vector<std::pair<CString, CString>> m_Fields;
};

class CSmtpMessage
{
public:
    CSmtpMessage();
    ~CSmtpMessage();

    // The whole RFC 822 text of the message: headers, parts and attachments. The text keeps the Bcc header
    // (the stored copy needs it); the SMTP client leaves it out on the wire. Attachment files that cannot be
    // read throw a text.
    int BuildMime(CString& output);

    // Encodes data (or, without data, the text itself) into text and names the encoding used in name.
    // SMTP_ENCODING_AUTO chooses by content.
    void EncodeBody(int nEncoding, CString& text, CString& name, const BYTE* pData = NULL, int nLength = 0,
                    BOOL bWrapSevenBit = TRUE);

    // The encoding SMTP_ENCODING_AUTO picks for these bytes.
    static int ChooseEncoding(const BYTE* pData, int nLength);
    // Breaks lines longer than 76 characters, after a blank or punctuation where there is one.
    static CString WrapLines(const char* pText, int nLength);

    // The Date header value: "Thu, 9 Jan 2003 07:05:09 +0100".
    CString FormatDate() const;
    // One address as written in a header: a display name that needs it is encoded or quoted.
    static CString FormatAddress(const CSmtpContentType& address);
    static CString FormatAddressList(const std::vector<CSmtpContentType>& list);
    // The attachment's content type by its name's extension, from the registry's file types.
    static CString LookupContentType(const CString& name);

    CSmtpContentType m_From;
    std::vector<CSmtpContentType> m_To;
    CString m_strSubject;
    std::vector<CSmtpBodyPart> m_BodyParts;
    std::vector<CSmtpContentType> m_Cc;
    std::vector<CSmtpContentType> m_Bcc;
    std::vector<CSmtpAttachment> m_Attachments;
    CSmtpHeaderMap m_Headers;
    SYSTEMTIME m_Time;
    int m_nZone;          // local offset from UTC as hhmm, e.g. -500
    int m_nPriority;      // 0 high, 1 normal, 2 low
    int m_nMultipartKind; // 0 decided when building, 1 mixed, 2 alternative, 3 related
    int m_nReadReceipt;
    CString m_strMessageId; // without angle brackets; empty: no Message-ID
    // The boundaries' tick; tests put a fixed one here.
    DWORD(WINAPI* m_pfnGetTickCount)();
};

// The outgoing message model of the SMTP client and its body encoder.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Transfer encoding numbers of outgoing parts.
enum SmtpEncoding
{
    SMTP_ENCODING_AUTO = 0,
    SMTP_ENCODING_7BIT = 1,
    SMTP_ENCODING_8BIT = 2,
    SMTP_ENCODING_QUOTED_PRINTABLE = 3,
    SMTP_ENCODING_BASE64 = 4,
};

class CSmtpMessage
{
public:
    CSmtpMessage();

    // Encodes data (or, without data, the text itself) into text and names the encoding used in name.
    // SMTP_ENCODING_AUTO chooses by content.
    void EncodeBody(int nEncoding, CString& text, CString& name, const BYTE* pData = NULL, int nLength = 0,
                    BOOL bWrapSevenBit = TRUE);

    // The encoding SMTP_ENCODING_AUTO picks for these bytes.
    static int ChooseEncoding(const BYTE* pData, int nLength);
    // Breaks lines longer than 76 characters, after a blank or punctuation where there is one.
    static CString WrapLines(const char* pText, int nLength);

    SYSTEMTIME m_Time;
    int m_nZone;          // local offset from UTC as hhmm, e.g. -500
    int m_nPriority;      // 0 high, 1 normal, 2 low
    int m_nMultipartKind; // 0 decided when building, 1 mixed, 2 alternative, 3 related
    int m_nReadReceipt;
};

// What the received-message parser stores besides the message row: the attachments of a received message.
#pragma once

#include <atlstr.h>

#include <vector>

class CMimePart;

struct CReceivedAttachment
{
    CString m_strName;         // unique within the message
    CString m_strData;         // the decoded bytes, kept only for a part that is written to a file
    long long m_nSize = 0;     // decoded size
    bool m_bWriteFile = false; // message/rfc822, message/delivery-status, text/rfc822-headers and text/dat parts
};

struct CReceivedMessageScan
{
    std::vector<CReceivedAttachment> m_attachments;
    // Problems met on the way, one per line; the message is stored all the same.
    CString m_strError;
};

// The attachments of the message as Save Attachments writes them (names read with pszCharset where a part
// declares none); a message of type application/* is one attachment and is checked for its disposition.
void ScanReceivedMessage(const CMimePart& message, CReceivedMessageScan& scan, const char* pszCharset = NULL);

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
    bool m_bWriteFile = false; // message/rfc822, message/delivery-status and text/dat parts
};

struct CReceivedMessageScan
{
    std::vector<CReceivedAttachment> m_attachments;
    // Problems met on the way, one per line; the message is stored all the same.
    CString m_strError;
};

// A message of type application/* is one attachment; multipart/mixed and multipart/report messages list
// their attachment parts (nested multiparts included); other messages have none.
void ScanReceivedMessage(const CMimePart& message, CReceivedMessageScan& scan);

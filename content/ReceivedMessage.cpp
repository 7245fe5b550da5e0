// The attachments of a received message, found on its part tree in memory.
#include "content/ReceivedMessage.h"

#include "content/AttachmentName.h"
#include "content/MimePart.h"

namespace
{
void AddError(CReceivedMessageScan& scan, const CString& strError)
{
    if (!scan.m_strError.IsEmpty())
        scan.m_strError += "\r\n";
    scan.m_strError += strError;
}

// A message that is one application part should say so in its Content-Disposition; it is stored all the same.
void CheckApplicationMessage(const CMimePart& message, CReceivedMessageScan& scan)
{
    CString strContentType = message.GetHeader("content-type", "");
    CString strDisposition = message.GetHeader("content-disposition", "");
    strDisposition.Trim(" \t");
    if (strDisposition.IsEmpty())
        AddError(scan, "ERROR: No Content-Disposition for Content-Type: " + strContentType);
    else if (strDisposition.CompareNoCase("attachment") != 0)
        AddError(scan, "ERROR: Content-Disposition: " + strDisposition + "\r\nContent-Type: " + strContentType);
    if (GetRawAttachmentName(message).IsEmpty())
        AddError(scan, "ERROR: Content-Disposition failed. No file name of the attachment.");
}
} // namespace

void ScanReceivedMessage(const CMimePart& message, CReceivedMessageScan& scan, const char* pszCharset)
{
    CString strType, strSubtype;
    message.GetContentType(strType, strSubtype);
    if (strType == "application")
        CheckApplicationMessage(message, scan);
    std::vector<CAttachmentPart> parts;
    CollectAttachmentParts(message, pszCharset, parts);
    for (const CAttachmentPart& part : parts)
    {
        CReceivedAttachment attachment;
        attachment.m_strName = part.m_strName;
        attachment.m_bWriteFile = part.m_bWriteFile;
        CString strData = part.m_pPart->GetDecodedBody();
        attachment.m_nSize = strData.GetLength();
        if (attachment.m_bWriteFile)
            attachment.m_strData = std::move(strData);
        scan.m_attachments.push_back(std::move(attachment));
    }
}

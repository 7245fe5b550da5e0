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

CString DecodedBody(const CMimePart& part)
{
    // A part without the field is 7bit: taken as it stands.
    return DecodePartBodyText(part.GetHeader("content-transfer-encoding", ""), part.m_strBody);
}

int DecodedBodyLength(const CMimePart& part)
{
    return DecodedPartBodyLength(part.GetHeader("content-transfer-encoding", ""), part.m_strBody);
}

void ScanParts(const CMimePart& parent, CReceivedMessageScan& scan, std::vector<CString>& used)
{
    for (const CMimePart* pPart = parent.m_pFirstChild; pPart != NULL; pPart = pPart->m_pNextSibling)
    {
        CString strType, strSubtype;
        pPart->GetContentType(strType, strSubtype);
        if (strType == "multipart")
        {
            ScanParts(*pPart, scan, used);
            continue;
        }
        CReceivedAttachment attachment;
        CString strName;
        if (strType == "message" && strSubtype == "delivery-status")
            strName = "ATT.dat";
        else if (strType == "message" && strSubtype == "rfc822")
            strName = "ATT.eml";
        else if (strType == "text" && strSubtype == "dat")
            strName = MakeAttachmentFileName(GetRawAttachmentName(*pPart));
        if (!strName.IsEmpty())
            attachment.m_bWriteFile = true;
        else
        {
            CString strDisposition = pPart->GetHeader("content-disposition", "");
            strDisposition.Trim(" \t");
            if (strDisposition.CompareNoCase("attachment") != 0)
                continue;
            CString strRawName = GetRawAttachmentName(*pPart);
            if (!strRawName.IsEmpty())
                strName = MakeAttachmentFileName(strRawName);
        }
        if (strName.IsEmpty() || strName == "_")
            strName = MakeGeneratedAttachmentName(strType, strSubtype, (int)scan.m_attachments.size() + 1);
        attachment.m_strName = MakeUniqueAttachmentName(strName, used);
        // Only a part written to a file is decoded and kept; of the others the size is enough.
        if (attachment.m_bWriteFile)
        {
            attachment.m_strData = DecodedBody(*pPart);
            attachment.m_nSize = attachment.m_strData.GetLength();
        }
        else
            attachment.m_nSize = DecodedBodyLength(*pPart);
        scan.m_attachments.push_back(attachment);
    }
}
} // namespace

void ScanReceivedMessage(const CMimePart& message, CReceivedMessageScan& scan)
{
    CString strType, strSubtype;
    message.GetContentType(strType, strSubtype);
    std::vector<CString> used;
    if (strType == "application")
    {
        CString strContentType = message.GetHeader("content-type", "");
        CString strDisposition = message.GetHeader("content-disposition", "");
        strDisposition.Trim(" \t");
        if (strDisposition.IsEmpty())
            AddError(scan, "ERROR: No Content-Disposition for Content-Type: " + strContentType);
        else if (strDisposition.CompareNoCase("attachment") != 0)
            AddError(scan,
                     "ERROR: Content-Disposition: " + strDisposition + "\r\nContent-Type: " + strContentType);
        CReceivedAttachment attachment;
        CString strRawName = GetRawAttachmentName(message);
        if (strRawName.IsEmpty())
        {
            AddError(scan, "ERROR: Content-Disposition failed. No file name of the attachment.");
            attachment.m_strName = MakeGeneratedAttachmentName(strType, strSubtype, 1);
        }
        else
            attachment.m_strName = MakeAttachmentFileName(strRawName);
        attachment.m_nSize = DecodedBodyLength(message);
        scan.m_attachments.push_back(attachment);
    }
    else if (strType == "multipart" && (strSubtype == "mixed" || strSubtype == "report"))
        ScanParts(message, scan, used);
}

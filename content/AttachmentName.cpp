// Attachment names and decoded bodies shared by the three readers of message text.
#include "content/AttachmentName.h"

#include "content/MimeEntity.h"
#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"
#ifndef ORB_CONTENT_PORTABLE_ONLY
#include "content/EncodedWord.h"
#endif

CString GetRawAttachmentName(const CMimeEntity& part)
{
    CString strName = part.GetParameter("content-disposition", "filename");
    if (strName.IsEmpty())
        strName = part.GetParameter("content-type", "name");
    strName.Trim(" \t");
    return strName;
}

CString MakeAttachmentFileName(const CString& strRawName, const char* pszCharset)
{
    CString strName = strRawName;
    strName.Remove('"');
#ifndef ORB_CONTENT_PORTABLE_ONLY
    strName = DecodeEncodedWord(strName, NULL, NULL, pszCharset, pszCharset != NULL && *pszCharset != '\0');
#else
    (void)pszCharset;
#endif
    return MakeFileName(strName);
}

CString MakeGeneratedAttachmentName(const CString& strType, const CString& strSubtype, int nNumber)
{
    CString strExtension = ".dat";
    if (strType == "message" && strSubtype == "rfc822")
        strExtension = ".eml";
    else if (strType == "text")
        strExtension = strSubtype == "html" ? ".htm" : ".txt";
    else if (strType == "image" && !strSubtype.IsEmpty() && strSubtype.GetLength() <= 8 &&
             strSubtype.FindOneOf("./\\:;\"") < 0)
        strExtension = "." + strSubtype;
    CString strName;
    strName.Format("Attachment%d", nNumber);
    return MakeFileName(strName + strExtension);
}

CString MakeUniqueAttachmentName(const CString& strName, std::vector<CString>& used)
{
    CString strCandidate = strName;
    for (int n = 2;; n++)
    {
        bool bTaken = false;
        for (const CString& strUsed : used)
        {
            if (strUsed.CompareNoCase(strCandidate) == 0)
            {
                bTaken = true;
                break;
            }
        }
        if (!bTaken)
            break;
        int nDot = strName.ReverseFind('.');
        CString strSuffix;
        strSuffix.Format(" (%d)", n);
        strCandidate = nDot > 0 ? strName.Left(nDot) + strSuffix + strName.Mid(nDot) : strName + strSuffix;
    }
    used.push_back(strCandidate);
    return strCandidate;
}

CString DecodePartBodyText(const CString& strEncoding, const CString& strBody)
{
    CString strName = strEncoding;
    strName.Trim(" \t\"");
    if (strName.CompareNoCase("base64") == 0)
        return CString(DecodeBase64Bytes(strBody, strBody.GetLength()));
    if (strName.CompareNoCase("quoted-printable") == 0)
        return CString(DecodeQuotedPrintableBytes(strBody, strBody.GetLength()));
    return strBody;
}

int DecodedPartBodyLength(const CString& strEncoding, const CString& strBody)
{
    CString strName = strEncoding;
    strName.Trim(" \t\"");
    if (strName.CompareNoCase("base64") == 0)
        return (int)DecodedBase64Length(strBody, strBody.GetLength());
    if (strName.CompareNoCase("quoted-printable") == 0)
        return (int)DecodeQuotedPrintableBytes(strBody, strBody.GetLength()).size();
    return strBody.GetLength();
}

// Attachment names and decoded bodies shared by the three readers of message text.
#include "content/AttachmentName.h"

#include "content/MimeEntity.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"
#ifndef ORB_CONTENT_PORTABLE_ONLY
#include "content/CharsetDecoder.h"
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

namespace
{
bool HasHighByte(const CString& strText)
{
    for (int i = 0; i < strText.GetLength(); i++)
        if ((unsigned char)strText[i] >= 0x80)
            return true;
    return false;
}

bool IsValidUtf8(const CString& strText)
{
    const int nLength = strText.GetLength();
    for (int i = 0; i < nLength;)
    {
        const unsigned char c = (unsigned char)strText[i];
        const int nMore = c < 0x80                            ? 0
                          : (c & 0xE0) == 0xC0 && c >= 0xC2     ? 1
                          : (c & 0xF0) == 0xE0                  ? 2
                          : (c & 0xF8) == 0xF0 && c <= 0xF4     ? 3
                                                                : -1;
        if (nMore < 0 || i + nMore >= nLength)
            return false;
        for (int k = 1; k <= nMore; k++)
            if (((unsigned char)strText[i + k] & 0xC0) != 0x80)
                return false;
        i += nMore + 1;
    }
    return true;
}
} // namespace

CString MakeAttachmentFileName(const CString& strRawName, const char* pszCharset)
{
    CString strName = strRawName;
    strName.Remove('"');
#ifndef ORB_CONTENT_PORTABLE_ONLY
    // A file name is in the ANSI code page: raw bytes are read in their charset, encoded words in theirs.
    if (pszCharset != NULL && *pszCharset != '\0' && HasHighByte(strName) && strName.Find("=?") < 0)
        strName = CCharsetDecoder(pszCharset).Decode(strName, TRUE, 0);
    else
        strName = DecodeEncodedWord(strName);
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

CString MakePartFileName(const CMimeEntity& part, const char* pszCharset)
{
    const CString strRawName = GetRawAttachmentName(part);
    if (strRawName.IsEmpty())
        return CString();
    // The charset an RFC 2231 name declares for itself comes first; else raw bytes that are UTF-8 are read
    // as UTF-8; else the part's own charset, else its parents'.
    const char* const kFields[][2] = {{"content-disposition", "filename"}, {"content-type", "name"}};
    for (const auto& field : kFields)
    {
        // The name GetRawAttachmentName took is the first of these forms that the part has.
        if (!part.GetHeader(field[0], field[1]).IsEmpty() ||
            !part.GetHeader(field[0], CString(field[1]) + "*0").IsEmpty())
            break;
        CString strValue = part.GetHeader(field[0], CString(field[1]) + "*");
        if (strValue.IsEmpty())
            strValue = part.GetHeader(field[0], CString(field[1]) + "*0*");
        if (strValue.IsEmpty())
            continue;
        strValue = UnquoteParameter(strValue);
        const int nQuote = strValue.Find('\'');
        if (nQuote > 0)
            return MakeAttachmentFileName(strRawName, strValue.Left(nQuote));
        break;
    }
    if (HasHighByte(strRawName) && IsValidUtf8(strRawName))
        return MakeAttachmentFileName(strRawName, "utf-8");
    CString strCharset = part.GetParameter("content-type", "charset");
    strCharset.Trim(" \t");
    return MakeAttachmentFileName(strRawName, strCharset.IsEmpty() ? pszCharset : (const char*)strCharset);
}

namespace
{
struct CAttachmentKind
{
    bool m_bListed = false;
    bool m_bCounts = false;
    bool m_bWriteFile = false;
    CString m_strFixedName; // the name of a part that names nothing
};

CAttachmentKind ClassifyLeaf(const CMimePart& part, const CString& strRawName)
{
    CString strType, strSubtype;
    part.GetContentType(strType, strSubtype);
    CString strDisposition = part.GetHeader("content-disposition", "");
    strDisposition.Trim(" \t");
    const bool bAttachment = strDisposition.CompareNoCase("attachment") == 0;
    CAttachmentKind kind;
    if (strType == "message" && (strSubtype == "rfc822" || strSubtype == "delivery-status"))
    {
        kind.m_strFixedName = strSubtype == "rfc822" ? "ATT.eml" : "ATT.dat";
        kind.m_bListed = kind.m_bWriteFile = true;
        kind.m_bCounts = bAttachment && !strRawName.IsEmpty();
    }
    else if (strType == "text" && (strSubtype == "rfc822-headers" || strSubtype == "dat"))
    {
        kind.m_strFixedName = strSubtype == "dat" ? "ATT.dat" : "ATT.txt";
        kind.m_bListed = kind.m_bWriteFile = true;
        kind.m_bCounts = strSubtype == "dat" && !strRawName.IsEmpty();
    }
    else if (bAttachment)
        kind.m_bListed = kind.m_bCounts = true;
    else if (strType == "text" || strType == "multipart" || strType == "message")
        ; // shown as the body, a container, or a pointer to data elsewhere
    else if (strType == "image")
        // An unnamed image with a Content-ID is shown where the HTML refers to it.
        kind.m_bListed = kind.m_bCounts = !strRawName.IsEmpty() || part.GetHeader("content-id", "").IsEmpty();
    else
        kind.m_bListed = kind.m_bCounts = true; // application, audio, video, model and unknown types
    return kind;
}

void CollectFrom(const CMimePart& part, const CString& strCharset, std::vector<CAttachmentPart>& parts,
                 std::vector<CString>& used)
{
    if (part.m_pFirstChild != NULL)
    {
        CString strOwn = part.GetParameter("content-type", "charset");
        strOwn.Trim(" \t");
        for (const CMimePart* pChild = part.m_pFirstChild; pChild != NULL; pChild = pChild->m_pNextSibling)
            CollectFrom(*pChild, strOwn.IsEmpty() ? strCharset : strOwn, parts, used);
        return;
    }
    CString strRawName = GetRawAttachmentName(part);
    CAttachmentKind kind = ClassifyLeaf(part, strRawName);
    if (!kind.m_bListed)
        return;
    CString strName = MakePartFileName(part, strCharset);
    if (strName.IsEmpty() || strName == "_")
    {
        strName = kind.m_strFixedName;
        if (strName.IsEmpty())
        {
            CString strType, strSubtype;
            part.GetContentType(strType, strSubtype);
            strName = MakeGeneratedAttachmentName(strType, strSubtype, (int)parts.size() + 1);
        }
    }
    CAttachmentPart attachment;
    attachment.m_pPart = &part;
    attachment.m_strName = MakeUniqueAttachmentName(strName, used);
    attachment.m_bCounts = kind.m_bCounts;
    attachment.m_bWriteFile = kind.m_bWriteFile;
    parts.push_back(attachment);
}
} // namespace

void CollectAttachmentParts(const CMimePart& message, const char* pszCharset, std::vector<CAttachmentPart>& parts)
{
    std::vector<CString> used;
    CollectFrom(message, pszCharset != NULL ? CString(pszCharset) : CString(), parts, used);
}

// The part tree as the message windows show it (text or HTML with inline images) and its attachment files.
#include "content/MimePart.h"

#include <windows.h>

#include "content/AttachmentName.h"
#include "content/TextUtilities.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/Paths.h"

namespace
{
const char kSeparator[] = "<BR>\r\n<hr>\r\n<BR>";

// The folder of one showing's inline images: each showing gets its own, so windows open at the same time
// never overwrite each other's image001.png.
CString NewImageFolder()
{
    static LONG s_nShowing = 0;
    CString strFolder = GetTempHtmlPath();
    CreateDirectoryA(strFolder, NULL);
    CString strSub;
    strSub.Format("\\%lu-%ld\\", GetCurrentProcessId(), InterlockedIncrement(&s_nShowing));
    strFolder += strSub;
    CreateDirectoryA(strFolder, NULL);
    return strFolder;
}

// A path as a file:// URL: characters that end or change a URL are percent-encoded.
CString FileUrlPath(const CString& strPath)
{
    CString strOut;
    for (int i = 0; i < strPath.GetLength(); i++)
    {
        unsigned char c = (unsigned char)strPath[i];
        if (c < 0x20 || c == 0x7F || strchr(" %#\"<>?'&", c) != NULL)
        {
            CString strHex;
            strHex.Format("%%%02X", c);
            strOut += strHex;
        }
        else
            strOut += (char)c;
    }
    return strOut;
}

// The content of the BODY element (from the last "<body" to the last "</body>"), or the whole text.
CString HtmlBodyContent(const CString& strHtml)
{
    CString strLower = strHtml;
    strLower.MakeLower();
    int nOpen = -1;
    for (int nAt = strLower.Find("<body"); nAt >= 0; nAt = strLower.Find("<body", nAt + 1))
        nOpen = nAt;
    if (nOpen < 0)
        return strHtml;
    int nStart = strLower.Find('>', nOpen);
    if (nStart < 0)
        return strHtml;
    nStart++;
    int nClose = -1;
    for (int nAt = strLower.Find("</body>", nStart); nAt >= 0; nAt = strLower.Find("</body>", nAt + 1))
        nClose = nAt;
    if (nClose < 0)
        return strHtml;
    return strHtml.Mid(nStart, nClose - nStart);
}

void WriteFileBytes(const CString& strPath, const CString& strData)
{
    CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strData, (UINT)strData.GetLength());
    file.Close();
}
} // namespace

struct CHtmlImages
{
    CString m_strFolder; // made on the first image
    std::vector<CString> m_used;
};

int CMimePart::GetBodyKind() const
{
    int nKind = 0;
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    if (strType == "text")
        nKind = strSubtype == "html" ? 2 : 1;
    else if (strType == "image")
        nKind = 2;
    for (const CMimePart* pChild = m_pFirstChild; pChild != NULL && nKind < 2;
         pChild = pChild->m_pNextSibling)
    {
        int nChild = pChild->GetBodyKind();
        if (nChild > nKind)
            nKind = nChild;
    }
    return nKind;
}

CString CMimePart::ToHtml(CString& strOut, int nBodyKind, BOOL bMultipart, BOOL bAlternative,
                          const char* pszCharset, BOOL bConvert, BOOL bNoSeparator) const
{
    CHtmlImages images;
    return ToHtmlNode(strOut, nBodyKind, bMultipart, bAlternative, pszCharset, bConvert, bNoSeparator,
                      images);
}

CString CMimePart::ToHtmlNode(CString& strOut, int nBodyKind, BOOL bMultipart, BOOL bAlternative,
                              const char* pszCharset, BOOL bConvert, BOOL bNoSeparator,
                              CHtmlImages& images) const
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    CString strDisposition = GetHeaderDeep("content-disposition", "");
    strDisposition.Trim(" \t");

    if (strType == "text" && strDisposition.CompareNoCase("attachment") != 0 &&
        strSubtype != "rfc822-headers" && strSubtype != "dat")
    {
        // Text subtypes other than html (calendar, csv, patches) are shown as plain text.
        bool bHtml = strSubtype == "html";
        CString strText = GetDecodedBody();
        if (bHtml)
            strText = HtmlBodyContent(strText);
        else
        {
            if (bConvert)
            {
                strText.Replace("&", "&amp;");
                strText.Replace("<", "&lt;");
                strText.Replace(">", "&gt;");
                strText = UrlsToLinks(strText);
            }
            // In an HTML view the text keeps its indentation and line ends; <BR>s would fold its blanks.
            if (!strText.IsEmpty() && nBodyKind == 2)
                strText = PreformattedTextBlock(strText);
        }
        bool bShown = !bMultipart || !bAlternative || (bHtml && nBodyKind == 2) || (!bHtml && nBodyKind == 1);
        // The separator goes only between texts that are shown: an alternative left out leaves no rule.
        if (bShown && !strOut.IsEmpty() && !strText.IsEmpty() && !bNoSeparator)
            strOut += kSeparator;
        if (bShown)
            strOut += strText;
    }
    else if (strType == "image")
    {
        CString strRawName = GetRawAttachmentName(*this);
        if (!strRawName.IsEmpty())
        {
            CString strData = GetDecodedBody();
            if (!strOut.IsEmpty() && !strData.IsEmpty())
                strOut += kSeparator;
            if (images.m_strFolder.IsEmpty())
                images.m_strFolder = NewImageFolder();
            // One name for the file and its link, unique within the message.
            CString strName =
                MakeUniqueAttachmentName(MakeAttachmentFileName(strRawName, pszCharset), images.m_used);
            CString strPath = images.m_strFolder + strName;
            WriteFileBytes(strPath, strData);
            strOut +=
                "<IMG alt=\"\" hspace=0 src=\"file://" + FileUrlPath(strPath) + "\" align=baseline border=0>";
        }
    }

    CString strErrors;
    for (const CMimePart* pChild = m_pFirstChild; pChild != NULL; pChild = pChild->m_pNextSibling)
    {
        try
        {
            CString strChild = pChild->ToHtmlNode(strOut, nBodyKind, bMultipart, bAlternative, pszCharset,
                                                  bConvert, bNoSeparator, images);
            if (!strChild.IsEmpty())
                strErrors += strErrors.IsEmpty() ? strChild : "\r\n" + strChild;
        }
        catch (CException* pException)
        {
            strErrors = pException->m_strMessage;
            delete pException;
        }
        catch (const char* pszError)
        {
            strErrors = pszError;
        }
    }
    return strErrors;
}

bool CMimePart::IsInline() const
{
    CString strDisposition = GetHeader("content-disposition", "");
    strDisposition.Trim(" \t");
    return strDisposition.CompareNoCase("inline") == 0;
}

BOOL CMimePart::SaveAttachments(const char* pszFolder, BOOL bFound, const char* pszCharset) const
{
    // The same list, names and order as the Attachments rows of the received message.
    std::vector<CAttachmentPart> parts;
    CollectAttachmentParts(*this, pszCharset, parts);
    for (const CAttachmentPart& part : parts)
    {
        if (part.m_bCounts)
            bFound = TRUE;
        if (pszFolder == NULL)
            continue;
        WriteFileBytes(CString(pszFolder) + "\\" + part.m_strName, part.m_pPart->GetDecodedBody());
        bFound = TRUE;
    }
    return bFound;
}

BOOL CMimePart::HasAttachments() const
{
    return SaveAttachments(NULL, 0, NULL);
}

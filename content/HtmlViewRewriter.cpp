// The rewriting of a message's HTML for the view file.
#include "content/HtmlViewRewriter.h"

#include <string.h>

#include <vector>


namespace
{
const char kBaseTarget[] = "\r\n<base target=\"_blank\">";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsComment(const CString& strTag)
{
    return strTag.GetLength() >= 7 && strTag.Left(4) == "<!--" && strTag.Right(3) == "-->";
}
} // namespace

bool FindLastHtmlTag(const char* pszText, int nLength, int& nStart, int& nEnd)
{
    int nClose = nLength - 1;
    while (nClose >= 0 && pszText[nClose] != '>')
        nClose--;
    if (nClose < 0)
        return false;
    int nOpen = nClose - 1;
    while (nOpen >= 0 && pszText[nOpen] != '<')
        nOpen--;
    if (nOpen < 0)
        return false;
    nStart = nOpen;
    nEnd = nClose + 1;
    return true;
}

CString BuildCharsetMeta(const char* pszCharset)
{
    return CString("\r\n<META http-equiv=Content-Type content=\"text/html; charset=") + pszCharset + "\">";
}

CString BuildViewHead(const char* pszCharset)
{
    return "\r\n<HEAD>" + BuildCharsetMeta(pszCharset) + kBaseTarget + "\r\n</HEAD>";
}

CString DecodeLinkTarget(const CString& strTarget)
{
    CString strOut;
    const int nLength = strTarget.GetLength();
    for (int i = 0; i < nLength; i++)
    {
        char c = strTarget[i];
        if (c != '%')
        {
            strOut += c;
            continue;
        }
        int nHigh = i + 1 < nLength ? HexValue(strTarget[i + 1]) : -1;
        int nLow = i + 2 < nLength ? HexValue(strTarget[i + 2]) : -1;
        if (nHigh < 0 || nLow < 0)
        {
            // Not an escape: the sign goes with the character after it.
            strOut += c;
            if (i + 1 < nLength)
                strOut += strTarget[++i];
            continue;
        }
        int nValue = nHigh * 16 + nLow;
        if (nValue >= 0x20 && nValue < 0x7F && strchr("\"<>", nValue) == NULL)
            strOut += (char)nValue;
        else
            strOut += strTarget.Mid(i, 3);
        i += 2;
    }
    return strOut;
}

CHtmlViewRewriter::CHtmlViewRewriter(const char* pszCharset, bool bReplaceCharset)
    : m_strCharset(pszCharset), m_bReplaceCharset(bReplaceCharset),
      m_cid("^(<.*)cid:([^\" >]*)(.*>)", true), m_link("^(<A.*href=\")([^\"]*)(\"[^>]*>)", true),
      m_meta("^(<META.*http-equiv=Content-Type.*content=\")(.*)(\".*>)", true),
      m_charset("^(.*)(charset=)(.*)", true), m_base("^(<base[ ]*target[ ]*=[ ]*\")(.*)(\".*>)", true)
{
}

CString CHtmlViewRewriter::Rewrite(const CString& strHtml, FindHtmlTagProc pfnFindTag)
{
    m_bInHead = m_bMetaMet = m_bBaseMet = m_bHeadMet = false;
    const char* pszText = strHtml;
    int nRemaining = strHtml.GetLength();
    // Chunks from the last to the first; joined once at the end, so the walk stays linear.
    std::vector<CString> chunks;
    bool bAnyTag = false;
    int nStart = 0, nEnd = 0;
    while (nRemaining > 0 && pfnFindTag(pszText, nRemaining, nStart, nEnd))
    {
        bAnyTag = true;
        if (nEnd < nRemaining)
            chunks.push_back(CString(pszText + nEnd, nRemaining - nEnd));
        chunks.push_back(RewriteTag(CString(pszText + nStart, nEnd - nStart)));
        nRemaining = nStart;
    }
    if (!bAnyTag)
        return strHtml;
    if (nRemaining > 0)
        chunks.push_back(CString(pszText, nRemaining));
    if (!m_bHeadMet)
        chunks.push_back(BuildViewHead(m_strCharset) + "\r\n");

    size_t nTotal = 0;
    for (const CString& strChunk : chunks)
        nTotal += (size_t)strChunk.GetLength();
    CString strOut;
    char* pOut = strOut.GetBufferSetLength((int)nTotal);
    for (size_t i = chunks.size(); i-- > 0;)
    {
        memcpy(pOut, (const char*)chunks[i], (size_t)chunks[i].GetLength());
        pOut += chunks[i].GetLength();
    }
    strOut.ReleaseBuffer((int)nTotal);
    return strOut;
}

CString CHtmlViewRewriter::RewriteTag(const CString& strTag)
{
    // The patterns below see a tag only up to a NUL byte: such a tag is kept as it is.
    if (IsComment(strTag) || (int)strlen(strTag) != strTag.GetLength())
        return strTag;

    if (m_cid.Match(strTag))
    {
        CString strFirst = m_cid.GetSubString(1);
        CString strId = m_cid.GetSubString(2);
        CString strLast = m_cid.GetSubString(3);
        CString strPath;
        if (!WriteContentIdPart(strId, strPath))
            return strTag;
        if (strFirst.Right(1) == "\"")
            strFirst = strFirst.Left(strFirst.GetLength() - 1);
        if (strLast.Left(1) == "\"")
            strLast = strLast.Mid(1);
        return strFirst + "\"file://" + strPath + "\"" + strLast;
    }

    if (m_link.Match(strTag))
        return m_link.GetSubString(1) + DecodeLinkTarget(m_link.GetSubString(2)) + m_link.GetSubString(3);

    CString strUpper = strTag;
    strUpper.MakeUpper();
    if (strUpper == "</HEAD>")
    {
        m_bInHead = true;
        return strTag;
    }
    if (strUpper == "<HEAD>")
    {
        CString strOut = strTag;
        if (!m_bBaseMet)
            strOut += CString(kBaseTarget) + "\r\n";
        if (!m_bMetaMet)
            strOut += BuildCharsetMeta(m_strCharset) + "\r\n";
        m_bInHead = false;
        m_bHeadMet = true;
        return strOut;
    }
    if (!m_bInHead)
        return strTag;

    if (m_meta.Match(strTag))
    {
        m_bMetaMet = true;
        CString strContent = m_meta.GetSubString(2);
        CString strFirst = m_meta.GetSubString(1);
        CString strLast = m_meta.GetSubString(3);
            if (!m_charset.Match(strContent))
            strContent += "; charset=" + m_strCharset;
        else if (m_bReplaceCharset)
            strContent = m_charset.GetSubString(1) + m_charset.GetSubString(2) + m_strCharset;
        return strFirst + strContent + strLast;
    }
    if (m_base.Match(strTag))
    {
        m_bBaseMet = true;
        return kBaseTarget;
    }
    return strTag;
}

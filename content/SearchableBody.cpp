// The text a body search looks in.
#include "content/SearchableBody.h"

namespace
{
CString StripTags(const CString& strHtml)
{
    CString strText;
    int nDepth = 0;
    for (int i = 0; i < strHtml.GetLength(); i++)
    {
        char c = strHtml[i];
        if (c == '<')
            nDepth++;
        else if (c == '>' && nDepth > 0)
            nDepth--;
        else if (nDepth == 0)
            strText += c;
    }
    return strText;
}
} // namespace

CString SearchableBody(const CMimePart& message)
{
    CString strPart;
    if (message.FindPart("content-type", "text/html", strPart))
    {
        CString strHtml = CMimePart(strPart).GetDecodedBody();
        CString strUpper = strHtml;
        strUpper.MakeUpper();
        int nOpen = strUpper.Find("<BODY");
        if (nOpen >= 0 && strHtml.Find('>', nOpen) >= 0)
        {
            int nStart = strHtml.Find('>', nOpen) + 1;
            int nEnd = strUpper.Find("</BODY>", nStart);
            strHtml = strHtml.Mid(nStart, nEnd >= 0 ? nEnd - nStart : -1);
        }
        return StripTags(strHtml);
    }
    if (message.FindPart("content-type", "text/plain", strPart))
        return CMimePart(strPart).GetDecodedBody();
    return message.GetDecodedBody();
}

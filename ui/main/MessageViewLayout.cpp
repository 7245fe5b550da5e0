// The arithmetic and texts of the message view dialog.
#include "ui/main/MessageViewLayout.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "content/EncodedWord.h"
#include "content/TextUtilities.h"

namespace MessageViewLayout
{
int HeaderHeight(bool bCc, bool bWideTo)
{
    int nHeight = bCc ? kHeaderWithCc : kHeaderWithoutCc;
    return bWideTo ? nHeight + (kWideToHeight - kToHeight) : nHeight;
}

RECT ToPaneRect(int nWidth, bool bWideTo)
{
    RECT rc = {kToLeft, kToTop, kToLeft + nWidth - kToRightMargin,
               kToTop + (bWideTo ? kWideToHeight : kToHeight)};
    return rc;
}

bool IsToWide(int nTextWidth, int nToPaneWidth, int nScrollBarWidth)
{
    return nTextWidth > nToPaneWidth - nScrollBarWidth;
}

RECT BodyPaneRect(int nWidth, int nHeight, int nHeader, int nListBottom)
{
    int nTop = (nListBottom >= 0 ? nListBottom : nHeader) + kBodyGap;
    RECT rc = {0, nTop, nWidth, std::max(nTop, nHeight)};
    return rc;
}
} // namespace MessageViewLayout

namespace MessageViewPage
{
CString ColourHex(COLORREF colour)
{
    CString strHex;
    strHex.Format("%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return strHex;
}

CString ToLineHtml(const CString& strTo)
{
    CString strText = DecodeEncodedWord(strTo, NULL, NULL, "utf-8", TRUE);
    strText.Replace("&", "&amp;");
    strText.Replace("<", "&lt;");
    strText.Replace(">", "&gt;");
    return UrlsToLinks(strText);
}

CString BuildToPage(const CString& strColourHex, const CString& strToHtml, const CString& strFontFace,
                    int nFontPixels)
{
    // The To value stands on the line of its label beside the painted values: the same face and size, not
    // the small fixed font a page would otherwise get.
    CString strFace = strFontFace;
    strFace.Remove('"');
    strFace.Remove('<');
    strFace.Remove('>');
    strFace.Remove('&');
    CString strFont;
    strFont.Format("<FONT face=\"%s\" style=\"font-size: %dpx\">", (const char*)strFace, nFontPixels);
    return CString("\r\n<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; charset=") +
           "utf-8" + "\">\r\n</HEAD>\r\n<body topmargin=\"0\" leftmargin=\"0\" bgcolor=\"#" + strColourHex +
           "\">\r\n" + strFont + strToHtml + "<BR></FONT>\r\n</body>\r\n</HTML>";
}

CString UniqueFileName(const char* pszStem)
{
    static volatile LONG s_nNext = 0;
    LONG nNumber = ::InterlockedIncrement(&s_nNext);
    CString strName;
    strName.Format("\\%s-%lu-%ld.htm", pszStem, (unsigned long)::GetCurrentProcessId(), (long)nNumber);
    return strName;
}
} // namespace MessageViewPage

namespace MessageFileSteps
{
void SortNames(std::vector<CString>& names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const CString& a, const CString& b) { return _stricmp(a, b) < 0; });
}

int Neighbour(int nCount, int nCurrent, bool bNext)
{
    if (nCurrent < 0 || nCurrent >= nCount)
        return -1;
    if (!bNext)
        return nCurrent > 0 ? nCurrent - 1 : -1;
    return nCurrent + 1 < nCount ? nCurrent + 1 : nCurrent;
}
} // namespace MessageFileSteps

// The signature as HTML, the HTML clipboard text and the editor commands.
#include "ui/compose/SignatureHtml.h"

#include "content/TextUtilities.h"
#include "ui/compose/ComposeTexts.h"

CString SignatureToHtml(const CString& strSignature, const CString& strFontName, int nFontSize)
{
    // Escaped first: the signature is text, and the link maker expects escaped text.
    CString strText = strSignature;
    strText.Replace("&", "&amp;");
    strText.Replace("<", "&lt;");
    strText.Replace(">", "&gt;");
    strText.Replace("\r\n", "<BR>");
    strText = UrlsToLinks(strText);

    CString strSize;
    strSize.Format("%d", nFontSize);
    CString strHtml = "<DIV><BR></DIV><DIV>";
    if (!strFontName.IsEmpty())
        strHtml += "<FONT face=\"" + strFontName + "\" size=" + strSize + ">";
    strHtml += strText + "</FONT></DIV>";
    strHtml.Replace("\r\n", "</DIV>\r\n<DIV>");
    strHtml.Replace("<DIV></DIV>", "<DIV>&nbsp;</DIV>");
    return strHtml;
}

CString BuildHtmlClipboardText(const CString& strUtf8Fragment)
{
    int nLength = strUtf8Fragment.GetLength();
    CString strText;
    strText.Format(ComposeText::kHtmlClipboardText, nLength + 338, nLength + 302, nLength + 302,
                   (const char*)strUtf8Fragment);
    return strText;
}

namespace
{
void CheckDhtmlResult(HRESULT hr)
{
    if (hr == S_OK)
        return;
    switch ((unsigned long)hr)
    {
    case 0x8000FFFFUL: throw ComposeText::kDhtmlUnexpected;
    case 0x80040100UL: throw ComposeText::kDhtmlBadCommand;
    case 0x80070057UL: throw ComposeText::kDhtmlInvalidArg;
    default: throw ComposeText::kDhtmlUnknown;
    }
}
} // namespace

void ExecDHTMLCommand(CDHTMLEditCommands& editor, long nCommand, long nOption)
{
    long nStatus = 0;
    CheckDhtmlResult(editor.QueryStatus(nCommand, &nStatus));
    if (nStatus != 3 && nStatus != 7)
        return;
    CheckDhtmlResult(editor.ExecCommand(nCommand, nOption));
}

// Texts the message store makes from one message.
#include "store/MessageOperations.h"

#include <vector>

#include "content/AddressList.h"
#include "content/TextUtilities.h"
#include "foundation/TextServices.h"

namespace
{
const char kBlockQuote[] = "<BLOCKQUOTE dir=ltr style=\"PADDING-RIGHT: 0px; PADDING-LEFT: 5px; MARGIN-LEFT: 5px; "
                           "BORDER-LEFT: #000000 2px solid; MARGIN-RIGHT: 0px\">";

const char* const kCommonDialogErrors[] = {
    "The lStructSize member of the initialization structure for the corresponding common dialog box is invalid.",
    "The common dialog box function failed during initialization. This error often occurs when sufficient "
    "memory is not available.",
    "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the corresponding "
    "common dialog box, but you failed to provide a corresponding template.",
    "The ENABLETEMPLATE flag was set in the Flags member of the initialization structure for the corresponding "
    "common dialog box, but you failed to provide a corresponding instance handle.",
    "The common dialog box function failed to load a specified string.",
    "The common dialog box function failed to find a specified resource.",
    "The common dialog box function failed to load a specified resource.",
    "The common dialog box function failed to lock a specified resource.",
    "The common dialog box function was unable to allocate memory for internal structures.",
    "The common dialog box function was unable to lock the memory associated with a handle.",
    "The ENABLEHOOK flag was set in the Flags member of the initialization structure for the corresponding "
    "common dialog box, but you failed to provide a pointer to a corresponding hook procedure.",
    "The RegisterWindowMessage function returned an error code when it was called by the common dialog box "
    "function."};

// Position of the first case-insensitive occurrence of pszWhat at or after nStart; -1 when none.
int FindNoCase(const CString& strText, const char* pszWhat, int nStart = 0)
{
    CString strUpper = strText;
    strUpper.MakeUpper();
    CString strWhat = pszWhat;
    strWhat.MakeUpper();
    return strUpper.Find(strWhat, nStart);
}

int ReverseFindNoCase(const CString& strText, const char* pszWhat)
{
    CString strUpper = strText;
    strUpper.MakeUpper();
    CString strWhat = pszWhat;
    strWhat.MakeUpper();
    int nFound = -1;
    for (int n = strUpper.Find(strWhat); n >= 0; n = strUpper.Find(strWhat, n + 1))
        nFound = n;
    return nFound;
}

CString MailtoLink(const CString& strEntry)
{
    CString strName, strAddress;
    SplitAddress(strEntry, strName, strAddress);
    strName.Trim();
    strAddress.Trim();
    if (strAddress.IsEmpty())
        strAddress = strName;
    const CString strShown = strName.IsEmpty() ? strAddress : strName;
    const CString strEscaped = MessageOperations::HtmlEscape(strAddress);
    return "<A title=\"" + strEscaped + "\" href=\"mailto:" + strEscaped + "\">" +
           MessageOperations::HtmlEscape(strShown) + "</A> ";
}
} // namespace

namespace MessageOperations
{
CString HtmlEscape(const CString& strText)
{
    CString strOut;
    for (int i = 0; i < strText.GetLength(); i++)
    {
        switch (strText[i])
        {
        case '&': strOut += "&amp;"; break;
        case '<': strOut += "&lt;"; break;
        case '>': strOut += "&gt;"; break;
        case '"': strOut += "&quot;"; break;
        default: strOut += strText[i];
        }
    }
    return strOut;
}

CString MailtoLinks(const CString& strList)
{
    std::vector<CString> entries;
    ParseAddressList(strList, entries);
    CString strLinks;
    for (size_t i = 0; i < entries.size(); i++)
    {
        if (i > 0)
            strLinks += " ; ";
        strLinks += MailtoLink(entries[i]);
    }
    return strLinks;
}

CString TextViewToHtml(const CString& strText, const CString& strHead)
{
    // Printed as shown: indentation and blank lines stay.
    return "\r\n<HTML>" + strHead + "\r\n<BODY>\r\n" + PreformattedTextBlock(strText) +
           "\r\n</BODY>\r\n</HTML>";
}

CString GetQuotedHTML(int nMode, const CQuotedHeader& header, const CString& strView)
{
    const CString strSubject = HtmlEscape(header.strSubject);
    CString strBlock;
    if (nMode != 2)
    {
        strBlock += "\r\n<DIV><BR></DIV>\r\n<DIV><BR></DIV>";
        strBlock += "\r\n<DIV style=\"FONT: 10pt arial\">----- Original Message -----</DIV>";
    }
    else
        strBlock += "\r\n<DIV style=\"FONT: 12pt arial\"><U><B>" + strSubject +
                    " </B></U></DIV>\r\n<hr>\r\n<DIV><BR></DIV>";
    if (nMode == 1)
        strBlock += kBlockQuote;
    // One link for the sender: the link text carries its own "<A title=" and "</A> ".
    strBlock += "\r\n<DIV style=\"BACKGROUND: #e4e4e4; FONT: 10pt arial; font-color: black\"><B>From:</B> " +
                MailtoLinks(header.strFrom) + "</DIV>";
    strBlock += "\r\n<DIV style=\"FONT: 10pt arial\"><B>To:</B> " + MailtoLinks(header.strTo) + " </DIV>";
    if (!header.strCc.IsEmpty())
        strBlock += "\r\n<DIV style=\"FONT: 10pt arial\"><B>Cc:</B> " + MailtoLinks(header.strCc) + " </DIV>";
    strBlock += "\r\n<DIV style=\"FONT: 10pt arial\"><B>Sent:</B> " + HtmlEscape(header.strDate);
    strBlock += "</DIV>\r\n<DIV style=\"FONT: 10pt arial\"><B>Subject:</B> " + strSubject;
    strBlock += "</DIV>\r\n<DIV><BR></DIV>";

    // The header block goes right after the opening BODY tag; a view without one gets a BODY of its own.
    CString strHead, strBody;
    int nBody = FindNoCase(strView, "<BODY");
    int nBodyEnd = nBody >= 0 ? strView.Find('>', nBody) : -1;
    if (nBodyEnd >= 0)
    {
        strHead = strView.Left(nBodyEnd + 1);
        strBody = strView.Mid(nBodyEnd + 1);
    }
    else
    {
        strHead = "\r\n<HTML>\r\n<BODY>";
        strBody = strView;
    }
    int nClose = ReverseFindNoCase(strBody, "</BODY>");
    if (nClose >= 0)
        strBody = strBody.Left(nClose);
    else
    {
        int nHtml = ReverseFindNoCase(strBody, "</HTML>");
        if (nHtml >= 0)
            strBody = strBody.Left(nHtml);
    }
    CString strResult = strHead + strBlock + strBody;
    if (nMode == 1)
        strResult += "</BLOCKQUOTE>";
    return strResult + "</BODY></HTML>";
}

CString ProposedSaveName(const CString& strSubject)
{
    return MakeFileName(strSubject);
}

CString CommonDialogErrorText(DWORD nCode, const CString& strFileName)
{
    if (nCode >= 1 && nCode <= 12)
        return kCommonDialogErrors[nCode - 1];
    switch (nCode)
    {
    case 0xFFFF:
        return "The dialog box could not be created. The common dialog box function's call to the DialogBox "
               "function failed. For example, this error occurs if the common dialog box call specifies an "
               "invalid window handle.";
    case 0x3001:
        return "An attempt to subclass a list box failed because sufficient memory was not available.";
    case 0x3002:
        return "'" + strFileName + "'\r\n\r\nA filename is invalid.";
    case 0x3003:
        return "The buffer pointed to by the lpstrFile member of the OPENFILENAME structure is too small for the "
               "filename specified by the user. The first two bytes of the lpstrFile buffer contain an integer "
               "value specifying the size, in TCHARs, required to receive the full name.";
    default:
        return CString();
    }
}

UINT EncodingMenuCommand(int nIndex)
{
    return nIndex == 0 ? 33025 : (UINT)(33003 + nIndex);
}

CString BuildContactWhere(const CString& strText, const CString& strPrefix, BOOL bEither)
{
    const CString strQuoted = SqlQuote(strText);
    const CString strPrefixQuoted = SqlQuote(strPrefix);
    CString strWhere;
    int nBlank = strQuoted.Find(' ');
    if (nBlank >= 0)
    {
        CString strRest = strQuoted.Mid(nBlank + 1);
        strRest.TrimLeft(' ');
        strWhere += " AND ContactName.cFirstname = '" + strQuoted.Left(nBlank) + "'";
        strWhere += " AND ContactName.cSurname LIKE '" + strPrefixQuoted + strRest + "%'";
    }
    else if (bEither)
        strWhere += " AND (ContactName.cFirstname LIKE '" + strPrefixQuoted + strQuoted +
                    "%' OR ContactName.cEmail LIKE '" + strPrefixQuoted + strQuoted + "%')";
    else
        strWhere += " AND ContactName.cFirstname LIKE '" + strPrefixQuoted + strQuoted + "%'";
    return strWhere;
}
} // namespace MessageOperations

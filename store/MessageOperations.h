// Texts the message store makes from one message: the quoted and printable HTML, the proposed file name,
// the charset menu item and the contact search condition.
#pragma once

#include <windows.h>

#include <atlstr.h>

// The header fields of a quoted message, each decoded in the message's charset.
struct CQuotedHeader
{
    CString strFrom;
    CString strDate;
    CString strTo;
    CString strCc;
    CString strSubject;
};

namespace MessageOperations
{
// Mode 1 quotes in a block quote, mode 2 is the printable form, other modes quote without a block quote.
// Every field text is HTML-escaped: a subject such as "<b>x" must stay text in a reply.
CString GetQuotedHTML(int nMode, const CQuotedHeader& header, const CString& strView);
// A plain-text view as the HTML that GetQuotedHTML takes.
CString TextViewToHtml(const CString& strText, const CString& strHead);
// "&", "<", ">" and the double quote as entities.
CString HtmlEscape(const CString& strText);
// The mailto links of an address list, separated by " ; ".
CString MailtoLinks(const CString& strList);

// The name the save dialog proposes for a message of that subject: safe to create as it stands.
CString ProposedSaveName(const CString& strSubject);
// The error box text of a common-dialog error code; empty for 0 (cancelled) and unknown codes.
CString CommonDialogErrorText(DWORD nCode, const CString& strFileName);

// The Encoding menu command of a charset index: 0 is 33025, n from 1 to 21 is 33003 + n.
UINT EncodingMenuCommand(int nIndex);

// The condition appended to the contacts query for a typed text (quotes doubled).
CString BuildContactWhere(const CString& strText, const CString& strPrefix, BOOL bEither);
} // namespace MessageOperations

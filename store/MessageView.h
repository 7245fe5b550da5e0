// The view file of a stored message: the HTML file every message pane shows and the compose window quotes,
// with its inline images beside it, and the charset names of the Emails rows.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <map>
#include <vector>

#include "content/HtmlViewRewriter.h"

class CMimePart;

namespace MessageViewText
{
const char kNoMessageFile[] = "NoMessage.htm";
const char kNoMessagePage[] = "<body lang=EN link=blue vlink=purple style='tab-interval:35.4pt'>\r\n<p "
                              "align=center>There is no message selected.</p>\r\n</body>";
const char kMessagePartial[] = "Unsupported Content-Type: message//partial";
const char kViewFailed[] = "ERROR: View message failed!\r\n";
const char kGetMessageFileError[] = "CEmailsImpl::GetMessageFile error";
const char kEncodingError[] = "Encoding error.";
const char kUnknownEncode[] = "ERROR. Unknown encode - %d\r\nEmailsID = %ld";
} // namespace MessageViewText

// The charset name of an Emails row's Encode index 1-21; NULL for 0 and for any other index.
const char* GetEncodeCharsetName(int nEncode);

// The process-wide file event of the view files: waited for (at most 5000 ms), reset, and set again when
// the holder goes. Without an event the holder does nothing.
class CMessageFileLock
{
public:
    CMessageFileLock();
    ~CMessageFileLock();
};

// Writes the decoded body of a part (by its Content-Transfer-Encoding) to the file. A file failure leaves
// "ERROR: '<path>'\r\n<reason>" in strLastError and throws that text; a decoding failure throws
// "Encoding error.".
void WritePartBodyFile(const CString& strHeader, const CString& strBody, const CString& strPath,
                       CString& strLastError);

// The rewriting of one view file: inline parts found by Content-ID are written beside the view file, each
// under a name of its own within this view; a part met twice is written once.
class CViewFileRewriter : public CHtmlViewRewriter
{
public:
    CViewFileRewriter(const CMimePart* pMessage, const char* pszCharset, bool bReplaceCharset,
                      const char* pszViewPath, CString& strLastError);
    bool WriteContentIdPart(const CString& strId, CString& strPath) override;

private:
    const CMimePart* m_pMessage;
    CString m_strPartCharset;
    CString m_strFolder; // empty: inline images stay "cid:" references
    CString& m_strLastError;
    std::vector<CString> m_used;
    std::map<CString, CString> m_written;
};

// The steps of the view file that need no table: returns the body kind. strLastError is the store's.
int WriteMessageViewFile(const CString& strMessage, const CMimePart* pMessage, const char* pszCharset,
                         bool bReplaceCharset, CString& strPath, const char* pszName, int* pnNoMessage, int nFlags,
                         CString& strLastError);

// For kind 2 the charset of the META in the body; otherwise strDefault.
CString GetMessageCharset(int nKind, const CString& strBody, const CString& strDefault);

// A new numbered folder under the temporary "Attach" folder, emptied, with the message's attachments.
CString SaveAttachmentsToTempFolder(const CMimePart* pMessage, const char* pszCharset);

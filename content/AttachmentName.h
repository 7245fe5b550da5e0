// The one derivation of attachment names and decoded sizes that the received-message parser, the part tree
// and the body walker share, so that a name shown in a list is the name a save looks for.
#pragma once

#include <atlstr.h>

#include <vector>

class CMimeEntity;
class CMimePart;

// One attachment of a message, as the Attachments rows list it and Save Attachments writes it.
struct CAttachmentPart
{
    const CMimePart* m_pPart = NULL;
    CString m_strName;         // the file name, unique within the message
    bool m_bCounts = false;    // sets the message's attachment flag
    bool m_bWriteFile = false; // saved at once when received: message/*, text/rfc822-headers, text/dat
};

// Every leaf of the tree that is not shown as the message's body, in document order, each with the one name
// that both the row and the saved file carry. Names are read in their own declared charset, else the part's,
// else its parents', else pszCharset.
void CollectAttachmentParts(const CMimePart& message, const char* pszCharset, std::vector<CAttachmentPart>& parts);

// The file name of a part that names itself, empty for one that does not. The name is read in the charset an
// RFC 2231 name declares, else as UTF-8 where its raw bytes are UTF-8, else in the part's charset, else in
// pszCharset (the charset of the parts around it).
CString MakePartFileName(const CMimeEntity& part, const char* pszCharset);

// The raw name of a part: the "filename" parameter of Content-Disposition, else the "name" parameter of
// Content-Type (RFC 2231 forms included), unquoted. Empty when the part names nothing.
CString GetRawAttachmentName(const CMimeEntity& part);

// A raw name as a file name in the ANSI code page, safe to create inside a folder: raw 8-bit bytes read in
// pszCharset (when given), encoded words in their own charsets.
CString MakeAttachmentFileName(const CString& strRawName, const char* pszCharset = NULL);

// The name for a part that names nothing: "Attachment" + number + an extension from its media type.
CString MakeGeneratedAttachmentName(const CString& strType, const CString& strSubtype, int nNumber);

// strName, or, when an earlier part of the same message used it already, "name (2).ext" and so on; the
// name given back is added to used.
CString MakeUniqueAttachmentName(const CString& strName, std::vector<CString>& used);

// The body decoded by its Content-Transfer-Encoding value; encodings other than base64 and
// quoted-printable are taken as binary and come back unchanged.
CString DecodePartBodyText(const CString& strEncoding, const CString& strBody);

// The one derivation of attachment names and decoded sizes that the received-message parser, the part tree
// and the body walker share, so that a name shown in a list is the name a save looks for.
#pragma once

#include <atlstr.h>

#include <vector>

class CMimeEntity;

// The raw name of a part: the "filename" parameter of Content-Disposition, else the "name" parameter of
// Content-Type (RFC 2231 forms included), unquoted. Empty when the part names nothing.
CString GetRawAttachmentName(const CMimeEntity& part);

// A raw name as a file name: encoded words decoded (with the charset, when given) and made safe to create
// inside a folder.
CString MakeAttachmentFileName(const CString& strRawName, const char* pszCharset = NULL);

// The name for a part that names nothing: "Attachment" + number + an extension from its media type.
CString MakeGeneratedAttachmentName(const CString& strType, const CString& strSubtype, int nNumber);

// strName, or, when an earlier part of the same message used it already, "name (2).ext" and so on; the
// name given back is added to used.
CString MakeUniqueAttachmentName(const CString& strName, std::vector<CString>& used);

// The body decoded by its Content-Transfer-Encoding value; encodings other than base64 and
// quoted-printable are taken as binary and come back unchanged.
CString DecodePartBodyText(const CString& strEncoding, const CString& strBody);
// The length of that decoded body, found without holding a decoded copy where the encoding allows.
int DecodedPartBodyLength(const CString& strEncoding, const CString& strBody);

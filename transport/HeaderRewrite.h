// Rewrites of a stored message's header on its way out: the To field of a forwarded copy and the removal
// of a field (Bcc) before the text goes on the wire.
#pragma once

#include <atlstr.h>

// The text addressed to the forwarding addresses ("a; b" is two): the To field's value is replaced
// (matched at a line start in the header, with its continuation lines) or, when the header has none, a To
// field is added at its start. The rest of the text is unchanged; leading white space is removed.
CString BuildForwardedText(const CString& strMessage, const CString& strForward);

// The header without every field of that name (compared without regard to case) and its continuation
// lines; the body is unchanged.
CString RemoveHeaderField(const CString& strMessage, const char* pszName);

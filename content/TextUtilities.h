// Small text services over message text: LIKE escaping, file names from attachment names, links.
#pragma once

#include <atlstr.h>

// Encloses each "[", "]", "%" and "_" (other than the exception character; 0 for none) in brackets.
CString EscapeLikeChars(const CString& text, char exception = 0);

// A name that can be created inside a folder as it is: no separators, no reserved characters or
// control characters, no device name, not empty, not "." or "..", and of bounded length.
CString MakeFileName(const CString& text);
CString RemoveFileNameChars(const CString& text);

CString HtmlBaseTargetBlank();

// Turns addresses and URLs of an HTML-escaped text into links.
CString UrlsToLinks(const CString& text);

// Small text services over message text: LIKE escaping, file names from attachment names, links.
#pragma once

#include <atlstr.h>

// True when the bytes hold at least one above 0x7F and all of them form well-formed UTF-8 (no overlong
// forms, no surrogates, nothing above U+10FFFF): text that legacy charsets almost never produce.
bool IsUtf8WithHighBytes(const char* p, int n);

// Encloses each "[", "]", "%" and "_" (other than the exception character; 0 for none) in brackets.
CString EscapeLikeChars(const CString& text, char exception = 0);

// A name that can be created inside a folder as it is: no separators, no reserved characters or
// control characters, no device name, not empty, not "." or "..", and of bounded length.
CString MakeFileName(const CString& text);
CString RemoveFileNameChars(const CString& text);

CString HtmlBaseTargetBlank();

// An HTML block of plain text (already escaped) whose blanks, tabs and line ends show as they stand, in the
// page's own font; engines that lack "pre-wrap" keep "pre". Line ends become <BR>s, so that a reader of the
// HTML that knows no preformatted white space (the plain-text quote) still sees the lines.
CString PreformattedTextBlock(const CString& strText);

// Turns addresses and URLs of an HTML-escaped text into links.
CString UrlsToLinks(const CString& text);

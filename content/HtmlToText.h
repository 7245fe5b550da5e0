// The plain text of an HTML document, for quoting an HTML message in a plain-text reply.
#pragma once

#include <atlstr.h>

// Tags are dropped (the contents of HEAD, STYLE and SCRIPT with them); BR, P, DIV and TR end a line;
// entities are decoded (characters beyond one byte become '?'); runs of blanks and source line breaks
// become one blank. Lines end in "\r\n".
CString HtmlToPlainText(const CString& strHtml);

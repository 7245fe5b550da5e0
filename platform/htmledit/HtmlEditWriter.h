// Writes the editor's run model as HTML in the one fixed form the compose code reads.
#pragma once

#include <string>

#include "platform/htmledit/HtmlEditDocument.h"

namespace htmledit
{
// The whole page: <HTML><HEAD>, the head kept from the loaded page, </HEAD>\r\n<BODY>, the body and
// </BODY></HTML>. UTF-8; U+00A0 is always written as &nbsp;.
std::string WriteHtml(const Document& doc);
// The body alone, or paragraphs [first, last) of it.
std::string WriteBody(const Document& doc);
std::string WriteBody(const Document& doc, size_t first, size_t last);
}

// Reads HTML into the editor's run model, as the HTML engine parses and styles it.
#pragma once

#include <string>

#include "platform/htmledit/HtmlEditDocument.h"

namespace htmledit
{
// Scripts, styles, event attributes and javascript: links do not come in; pictures keep their src.
void ReadHtml(const std::string& utf8, Document& doc);
}

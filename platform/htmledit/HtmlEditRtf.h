// The run model as riched20's RTF: one stream in puts a whole document, one stream out reads it back, where
// setting or reading each run and paragraph by position would make riched20 walk its paragraphs every time.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>
#include <vector>

#include "platform/htmledit/HtmlEditDocument.h"

namespace htmledit
{
// Characters the RTF reader cannot mark: link and picture numbers go on after the stream, by position.
struct RtfFixup
{
    LONG start, end;
    int link, picture;
};

// The paragraphs as RTF that riched20 reads back to the same text, character and paragraph formats; the
// runs with a link or a picture are listed (character positions as the caret counts them).
std::string RtfOfParagraphs(const std::vector<Paragraph>& paragraphs, std::vector<RtfFixup>& fixups);

// Reads riched20's own RTF into paragraphs. Every paragraph the RTF ends with \par is one; text after the
// last \par is one more. False when the RTF holds what the run model cannot say.
bool ParagraphsOfRtf(const std::string& rtf, std::vector<Paragraph>& paragraphs);
}

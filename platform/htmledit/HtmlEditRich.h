// Moves the run model into a rich-edit control and reads it back: formats riched20 keeps are its own;
// the element of a paragraph, links, pictures and tables travel as numbers in fields it keeps but ignores.
#pragma once

#include <windows.h>

#include "platform/htmledit/HtmlEditDocument.h"

namespace htmledit
{
// riched20 does not tell runs of different background colours apart, but it does their underline types,
// which show nothing without an underline: each background gets its own type (CLR_INVALID: none).
BYTE UnderlineTypeOf(COLORREF back);

// The face a paragraph shows when its runs name none.
const wchar_t* DefaultFace(Block block);

// Puts paragraphs into the control at the caret, replacing the selection. Their link, picture and table
// numbers are shifted by the given bases (the caller appends the tables they refer to). The first paragraph
// joins the one at the caret and takes its element only when bFirstParagraphFormat is set.
void InsertParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs, int linkBase, int pictureBase,
                      int tableBase, bool bFirstParagraphFormat);

// Reads the paragraphs of characters [first, last) (last -1: to the end) with their formats.
std::vector<Paragraph> ReadParagraphs(HWND hRich, LONG first = 0, LONG last = -1);

// The control's text as the caret counts it: a paragraph end is one '\r', a line break kLineBreak.
std::u16string RichText(HWND hRich);

// Paragraph formats of one paragraph, and the character format of a run, as the control holds them.
void SetParagraphFormat(HWND hRich, LONG start, LONG end, const Paragraph& p);
Paragraph GetParagraphFormat(HWND hRich, LONG pos);
void SetCharFormat(HWND hRich, LONG start, LONG end, const CharFormat& f, Block block);
}

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

// A paragraph's element, quote and list levels and table number travel as tab stops far beyond any line:
// riched20's RTF keeps tab stops both ways, its style numbers and border spacing not. Paragraphs that may
// hold tabs get the default stops first, so their tabs still land where they did.
int ParagraphTabs(const Paragraph& p, LONG* tabs);
// A paragraph from what riched20 keeps of it: those tab stops, its numbering and alignment.
Paragraph ParagraphOf(const LONG* tabs, int count, WORD wNumbering, WORD wAlignment);

// A link's number travels as its characters' language, which riched20's RTF writes; no real language id
// has the top bit.
LCID LinkLcid(int link);
int LinkOfLanguage(LONG language);

// The face a paragraph shows when its runs name none.
const wchar_t* DefaultFace(Block block);

// Puts paragraphs into the control at the caret, replacing the selection. Their link, picture and table
// numbers are shifted by the given bases (the caller appends the tables they refer to). The first paragraph
// joins the one at the caret and takes its element only when bFirstParagraphFormat is set.
void InsertParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs, int linkBase, int pictureBase,
                      int tableBase, bool bFirstParagraphFormat);

// Replaces the whole content by the paragraphs.
void LoadParagraphs(HWND hRich, const std::vector<Paragraph>& paragraphs);

// Reads the paragraphs of characters [first, last) (last -1: to the end) with their formats.
std::vector<Paragraph> ReadParagraphs(HWND hRich, LONG first = 0, LONG last = -1);

// The control's text as the caret counts it: a paragraph end is one '\r', a line break kLineBreak.
std::u16string RichText(HWND hRich);

// Paragraph formats of one paragraph, and the character format of a run, as the control holds them.
void SetParagraphFormat(HWND hRich, LONG start, LONG end, const Paragraph& p);
Paragraph GetParagraphFormat(HWND hRich, LONG pos);
void SetCharFormat(HWND hRich, LONG start, LONG end, const CharFormat& f, Block block);
// The same for the selection as it stands (at an empty one: what typing there gives).
void SetParagraphFormatAtCaret(HWND hRich, const Paragraph& p);
void SetCharFormatAtCaret(HWND hRich, const CharFormat& f, Block block);
}

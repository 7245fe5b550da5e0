// The spelling check of the HTML editor's document: its words walked one at a time through the spelling
// checker, each replacement written over its word in place.
#pragma once

#include <windows.h>

#include "platform/htmledit/HtmlEditInterfaces.h"

// Walks the document's words through a new spelling checker, passing over merge placeholders. True when it
// came to the end (then, with bReport, "Spell Check Complete." is shown); false when the user cancelled or
// the checker failed ("Spell error" shown). A checker that cannot be made throws as its constructor does.
// The clipboard is neither read nor written.
bool SpellCheckHtmlDocument(IHtmlEditDocument* pDocument, BOOL bReport, HWND hWndOwner);

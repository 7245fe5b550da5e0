// E-mail merge placeholders and the services of the plain-text editor that must respect them: inserting a
// text at the caret and a spell check that never offers a placeholder for correction.
#pragma once

#include <windows.h>

#include <atlstr.h>

// In the order the spell check tries them; each begins with "%".
extern const char* const g_pszMergePlaceholders[6];

// The plain-text editor as these services see it: its edit control and the flag that the spell check
// raises at its start and after each replacement, which the compose window reads.
struct CPlainTextEdit
{
    HWND m_hWnd = NULL;
    int m_nFlag = 0;
};

// Replaces the selection with the text, as one step the user can undo. The clipboard is not used: the
// user's clipboard, in every format, stays as it was.
void PasteTextViaClipboard(CPlainTextEdit& edit, const char* pszText);
void SetEditSelection(CPlainTextEdit& edit, int nStart, int nEnd, BOOL bNoScroll);
// When the text holds the placeholder at nPosition, moves nPosition past it and returns true.
bool SkipMergePlaceholder(CPlainTextEdit& edit, const char* pszPlaceholder, const CString& strText,
                          int& nPosition);
// Walks the control's text word by word through the spelling checker, passing over placeholders; false
// when the user cancelled. With bReport the end is announced.
bool SpellCheckEditControl(CPlainTextEdit& edit, BOOL bFromStart, BOOL bReport);

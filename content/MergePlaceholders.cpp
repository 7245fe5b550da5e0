// Merge placeholders and the plain-text spell check. The text is read from the control and replaced in it
// directly, never through the clipboard, which belongs to the user.
#include "content/MergePlaceholders.h"

#include <string.h>

#include "content/SpellChecker.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "resources/resource.h"

const char* const g_pszMergePlaceholders[6] = {"%recipient_firstname%", "%recipient_surname%",
                                               "%recipient_name%",      "%recipient_title%",
                                               "%recipient_initials%",  "%recipient_familiar%"};

namespace
{
CString GetEditText(HWND hWnd)
{
    CString strText;
    const int nLength = ::GetWindowTextLengthA(hWnd);
    if (nLength > 0)
    {
        ::GetWindowTextA(hWnd, strText.GetBuffer(nLength + 1), nLength + 1);
        strText.ReleaseBuffer();
    }
    return strText;
}
} // namespace

void PasteTextViaClipboard(CPlainTextEdit& edit, const char* pszText)
{
    ::SendMessageA(edit.m_hWnd, EM_REPLACESEL, TRUE, (LPARAM)pszText);
}

void SetEditSelection(CPlainTextEdit& edit, int nStart, int nEnd, BOOL bNoScroll)
{
    ::SendMessageA(edit.m_hWnd, EM_SETSEL, nStart, nEnd);
    if (!bNoScroll)
        ::SendMessageA(edit.m_hWnd, EM_SCROLLCARET, 0, 0);
}

bool SkipMergePlaceholder(CPlainTextEdit& edit, const char* pszPlaceholder, const CString& strText,
                          int& nPosition)
{
    const int nLength = (int)strlen(pszPlaceholder);
    if (nPosition < 0 || nLength > strText.GetLength() - nPosition)
        return false;
    SetEditSelection(edit, nPosition, nPosition + nLength, FALSE);
    if (strncmp((const char*)strText + nPosition, pszPlaceholder, nLength) != 0)
        return false;
    nPosition += nLength;
    return true;
}

bool SpellCheckEditControl(CPlainTextEdit& edit, BOOL bFromStart, BOOL bReport)
{
    CSpellChecker checker;
    int nPosition = 0;
    if (!bFromStart)
    {
        DWORD dwStart = 0, dwEnd = 0;
        ::SendMessageA(edit.m_hWnd, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
        nPosition = (int)dwStart;
    }
    edit.m_nFlag = 1;
    CString strText = GetEditText(edit.m_hWnd);

    while (nPosition < strText.GetLength())
    {
        const unsigned char c = (unsigned char)strText[nPosition];
        if (c == '%')
        {
            bool bSkipped = false;
            for (const char* pszPlaceholder : g_pszMergePlaceholders)
            {
                if (SkipMergePlaceholder(edit, pszPlaceholder, strText, nPosition))
                {
                    bSkipped = true;
                    break;
                }
            }
            if (!bSkipped)
                nPosition++;
            continue;
        }
        if (!IsWordLetter(c))
        {
            nPosition++;
            continue;
        }

        int nEnd = nPosition;
        while (nEnd < strText.GetLength() && IsWordLetter((unsigned char)strText[nEnd]))
            nEnd++;
        SetEditSelection(edit, nPosition, nEnd, FALSE);
        CString strReplacement;
        const int nResult = checker.CheckText(strText.Mid(nPosition, nEnd - nPosition), strReplacement);
        if (nResult == -2)
        {
            SetEditSelection(edit, nPosition, nPosition, FALSE);
            return false;
        }
        if (nResult >= 1)
        {
            PasteTextViaClipboard(edit, strReplacement);
            edit.m_nFlag = 1;
            strText = GetEditText(edit.m_hWnd);
            // The walk goes on after the new word, whatever its length.
            nEnd = nPosition + strReplacement.GetLength();
        }
        else if (nResult == 0)
            AppMessageBoxId(IDS_SPELL_ERROR, MB_ICONERROR, edit.m_hWnd);
        // The character after the word is looked at too: it may begin a placeholder.
        nPosition = nEnd;
    }

    SetEditSelection(edit, nPosition, nPosition, FALSE);
    if (bReport)
        AppMessageBoxId(IDS_SPELL_CHECK_COMPLETE, MB_ICONINFORMATION, edit.m_hWnd);
    return true;
}

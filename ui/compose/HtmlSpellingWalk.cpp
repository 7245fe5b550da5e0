// The HTML spelling walk. The editor's word unit takes the separators after a word with it; those are cut
// off before the check and never rewritten, so a paragraph end or a format change after a word survives its
// replacement.
#include "ui/compose/HtmlSpellingWalk.h"

#include <atlbase.h>

#include <algorithm>
#include <string>

#include "content/MergePlaceholders.h"
#include "content/SpellChecker.h"
#include "foundation/ErrorUtil.h"
#include "resources/resource.h"

namespace
{
// A placeholder is "%", one word and "%": a few more words are enough to find its end.
const int kMaxPlaceholderWords = 4;

std::wstring Wide(const char* pszText)
{
    const int n = ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, NULL, 0);
    std::wstring text(n > 0 ? n : 1, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_ACP, 0, pszText, -1, &text[0], n);
    text.resize(wcslen(text.c_str()));
    return text;
}

CString Narrow(const std::wstring& text)
{
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    CString strText;
    if (n > 1)
    {
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, strText.GetBuffer(n), n, NULL, NULL);
        strText.ReleaseBuffer();
    }
    return strText;
}

bool GetText(IHtmlEditRange* pRange, std::wstring& text)
{
    CComBSTR bstrText;
    if (FAILED(pRange->get_text(&bstrText)))
        return false;
    text.assign(bstrText.m_str ? bstrText.m_str : L"", bstrText.Length());
    return true;
}

// The text up to its closing "%" is one of the merge placeholders.
bool IsPlaceholder(const std::wstring& text)
{
    const size_t nClose = text.find(L'%', 1);
    if (text.empty() || text[0] != L'%' || nClose == std::wstring::npos)
        return false;
    const std::wstring candidate = text.substr(0, nClose + 1);
    for (const char* pszPlaceholder : g_pszMergePlaceholders)
    {
        if (candidate == Wide(pszPlaceholder))
            return true;
    }
    return false;
}

// A range over the document's positions nStart to nEnd; null when the editor refuses.
CComPtr<IHtmlEditRange> RangeAt(IHtmlEditDocument* pDocument, long nStart, long nEnd)
{
    CComPtr<IHtmlEditRange> range;
    CComBSTR character(L"character");
    long nMoved = 0;
    if (FAILED(pDocument->CreateBodyRange(&range)) || FAILED(range->collapse(VARIANT_TRUE)) ||
        FAILED(range->moveEnd(character, nStart, &nMoved)) || FAILED(range->collapse(VARIANT_FALSE)) ||
        FAILED(range->moveEnd(character, nEnd - nStart, &nMoved)))
        return NULL;
    return range;
}

// The range from nStart whose text is the given one. A paragraph end reads as two characters and a picture
// as none, so the length in positions is found by reading, not by counting.
CComPtr<IHtmlEditRange> TextRange(IHtmlEditDocument* pDocument, long nStart, long nLimit,
                                  const std::wstring& word)
{
    long nLength = (long)word.size();
    for (size_t n = word.find(L"\r\n"); n != std::wstring::npos; n = word.find(L"\r\n", n + 2))
        nLength--;
    CComPtr<IHtmlEditRange> range = RangeAt(pDocument, nStart, nStart + nLength);
    CComBSTR character(L"character");
    std::wstring text;
    while (range != NULL && GetText(range, text))
    {
        if (text == word)
            return range;
        long nFrom = 0, nTo = 0, nMoved = 0;
        if (text.size() > word.size() || FAILED(range->GetPositions(&nFrom, &nTo)) || nTo >= nLimit ||
            FAILED(range->moveEnd(character, 1, &nMoved)) || nMoved == 0)
            break;
    }
    return NULL;
}

// Writes the replacement over the word that starts at nStart, rewriting only the letters that differ, so
// that a word whose letters carry different formats keeps them where it is unchanged. The end of the
// replaced part moves nEnd with it; false when the editor refuses.
bool ReplaceWord(IHtmlEditDocument* pDocument, long nStart, long& nEnd, const std::wstring& word,
                 const std::wstring& replacement)
{
    size_t nPrefix = 0, nSuffix = 0;
    while (nPrefix < word.size() && nPrefix < replacement.size() && word[nPrefix] == replacement[nPrefix])
        nPrefix++;
    while (nSuffix < word.size() - nPrefix && nSuffix < replacement.size() - nPrefix &&
           word[word.size() - 1 - nSuffix] == replacement[replacement.size() - 1 - nSuffix])
        nSuffix++;
    // A paragraph end is one position: its two characters are never split.
    if (nPrefix > 0 && word[nPrefix - 1] == L'\r')
        nPrefix--;
    if (nSuffix > 0 && word[word.size() - nSuffix] == L'\n')
        nSuffix--;
    long nFrom = 0, nMiddle = nStart, nOldEnd = 0, nNewEnd = 0;
    if (nPrefix > 0)
    {
        CComPtr<IHtmlEditRange> prefix = TextRange(pDocument, nStart, nEnd, word.substr(0, nPrefix));
        if (prefix == NULL || FAILED(prefix->GetPositions(&nFrom, &nMiddle)))
            return false;
    }
    CComPtr<IHtmlEditRange> middle =
        TextRange(pDocument, nMiddle, nEnd, word.substr(nPrefix, word.size() - nPrefix - nSuffix));
    if (middle == NULL || FAILED(middle->GetPositions(&nFrom, &nOldEnd)) ||
        FAILED(middle->put_text(
            CComBSTR(replacement.substr(nPrefix, replacement.size() - nPrefix - nSuffix).c_str()))) ||
        FAILED(middle->GetPositions(&nFrom, &nNewEnd)))
        return false;
    nEnd += nNewEnd - nOldEnd;
    return true;
}

bool Failed(HWND hWndOwner)
{
    AppMessageBoxId(IDS_SPELL_ERROR, MB_ICONERROR, hWndOwner);
    return false;
}
} // namespace

bool SpellCheckHtmlDocument(IHtmlEditDocument* pDocument, BOOL bReport, HWND hWndOwner)
{
    CSpellChecker checker;
    CComPtr<IHtmlEditRange> range;
    if (pDocument == NULL || FAILED(pDocument->CreateBodyRange(&range)) ||
        FAILED(range->collapse(VARIANT_TRUE)))
        return Failed(hWndOwner);
    // Only a word the dialog asks about is selected: selecting every word would slow the walk several times.
    long nStart = 0, nEnd = 0;
    std::wstring strWord;
    checker.m_beforeAsking = [&]() {
        CComPtr<IHtmlEditRange> shown = TextRange(pDocument, nStart, nEnd, strWord);
        if (shown != NULL)
            shown->select();
    };
    CComBSTR word(L"word");
    for (;;)
    {
        long nMoved = 0;
        std::wstring text;
        if (FAILED(range->moveEnd(word, 1, &nMoved)))
            return Failed(hWndOwner);
        if (nMoved == 0)
            break;
        if (!GetText(range, text))
            return Failed(hWndOwner);
        if (!text.empty() && text.back() == L'%')
        {
            for (int i = 0; i < kMaxPlaceholderWords && text.find(L'%', 1) == std::wstring::npos; i++)
            {
                if (FAILED(range->moveEnd(word, 1, &nMoved)) || !GetText(range, text))
                    return Failed(hWndOwner);
                if (nMoved == 0)
                    break;
            }
            if (IsPlaceholder(text))
            {
                range->collapse(VARIANT_FALSE);
                continue;
            }
        }

        // Digits stay with the word: the engine passes over a token that holds one.
        size_t nWord = text.size();
        while (nWord > 0 && !::IsCharAlphaNumericW(text[nWord - 1]))
            nWord--;
        if (std::none_of(text.begin(), text.begin() + nWord,
                         [](wchar_t c) { return ::IsCharAlphaW(c) != FALSE; }))
        {
            range->collapse(VARIANT_FALSE);
            continue;
        }
        strWord = text.substr(0, nWord);
        // The checker reads the code page: a word it cannot hold whole is left alone, or its replacement
        // would write the lost letters back as "?".
        const CString strAnsiWord = Narrow(strWord);
        if (Wide(strAnsiWord) != strWord)
        {
            range->collapse(VARIANT_FALSE);
            continue;
        }
        if (FAILED(range->GetPositions(&nStart, &nEnd)))
            return Failed(hWndOwner);

        CString strReplacement;
        const int nResult = checker.CheckText(strAnsiWord, strReplacement);
        if (nResult == -2)
            return false;
        if (nResult == 0)
            return Failed(hWndOwner);
        if (nResult >= 1)
        {
            if (!ReplaceWord(pDocument, nStart, nEnd, strWord, Wide(strReplacement)))
                return Failed(hWndOwner);
            range = RangeAt(pDocument, nEnd, nEnd);
            if (range == NULL)
                return Failed(hWndOwner);
        }
        else
            range->collapse(VARIANT_FALSE);
    }
    range->select();
    if (bReport)
        AppMessageBoxId(IDS_SPELL_CHECK_COMPLETE, MB_ICONINFORMATION, hWndOwner);
    return true;
}

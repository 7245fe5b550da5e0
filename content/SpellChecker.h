// The spelling checker as the plain-text spell check calls it. This is a stand-in until the spelling
// engine is built: it knows no word unless a checker is installed.
#pragma once

#include <windows.h>

#include <functional>

#include <atlstr.h>

// One check of a word: -2 the user cancelled, -1 nothing to change, 0 the checker failed, 1 or more a
// replacement was chosen (then in strReplacement).
typedef std::function<int(const CString& strWord, CString& strReplacement)> SpellCheckProc;

class CSpellChecker
{
public:
    CSpellChecker();
    ~CSpellChecker();

    int CheckText(const CString& strWord, CString& strReplacement);
    CString GetVersionText();
};

// Installs the checker that the stand-in asks; an empty one leaves every word alone.
void SetSpellCheckProc(const SpellCheckProc& proc);

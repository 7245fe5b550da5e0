// The stand-in spelling checker: it hands each word to the installed checker, if any.
#include "content/SpellChecker.h"

namespace
{
SpellCheckProc& InstalledProc()
{
    static SpellCheckProc s_proc;
    return s_proc;
}
} // namespace

CSpellChecker::CSpellChecker() {}

CSpellChecker::~CSpellChecker() {}

int CSpellChecker::CheckText(const CString& strWord, CString& strReplacement)
{
    strReplacement.Empty();
    return InstalledProc() ? InstalledProc()(strWord, strReplacement) : -1;
}

CString CSpellChecker::GetVersionText()
{
    return CString();
}

void SetSpellCheckProc(const SpellCheckProc& proc)
{
    InstalledProc() = proc;
}

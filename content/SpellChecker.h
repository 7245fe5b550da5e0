// The spelling checker: finds and loads the spelling engine library through the proofing tools' registry
// entries (registering the copy beside the mail client when none is), and checks text word by word, asking
// the user about each unknown word in the spelling dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <list>
#include <utility>
#include <vector>

#include <atlstr.h>

#include "platform/spelling/SpellEngine.h"

// One check of a word: -2 the user cancelled, -1 nothing to change, 0 the checker failed, 1 or more a
// replacement was chosen (then in strReplacement).
typedef std::function<int(const CString& strWord, CString& strReplacement)> SpellCheckProc;

// The engine's entry points, fetched by every load.
struct CSpellEngineEntries
{
    SpellVerProc pfnVer = nullptr;
    SpellStartProc pfnStart = nullptr;
    SpellOptionsProc pfnOptions = nullptr;
    SpellCommandProc pfnCommand = nullptr;
    SpellEndProc pfnEnd = nullptr;
    SpellVerifyLexiconProc pfnVerifyLexicon = nullptr;
    SpellOpenLexiconProc pfnOpenLexicon = nullptr;
    SpellOpenUserDictionaryProc pfnOpenUserDictionary = nullptr;
    SpellAddWordProc pfnAddWord = nullptr;
};

class CSpellChecker
{
public:
    // Throws a CFileException* for a missing file or registration, a CException* when the engine cannot be
    // loaded or lacks an entry point.
    CSpellChecker();
    ~CSpellChecker();
    CSpellChecker(const CSpellChecker&) = delete;
    CSpellChecker& operator=(const CSpellChecker&) = delete;

    // Checks the text: the number of changes made (then strReplacement is the corrected text), -1 when
    // nothing was changed, -2 when the user cancelled, 0 when the engine failed. Never throws for engine
    // statuses, and the engine is ended on every return.
    int CheckText(const CString& strText, CString& strReplacement);
    CString GetVersionText();

    CString m_strEngine;
    CString m_strDictionary;
    HMODULE m_hEngine = NULL;
    std::vector<CString> m_IgnoreAll;
    std::list<std::pair<CString, CString>> m_ChangeAll;
    // Called before the dialog asks about a word, so that a walk can show the word it checks.
    std::function<void()> m_beforeAsking;

private:
    void Load();
    int RunCheck(SPELL_ENGINE hEngine, const CString& strText, CString& strReplacement);

    CSpellEngineEntries m_entries;
};

// The version lines of the engine that a checker would load, for the system information; a checker that
// cannot be made throws a CException* saying why.
CString SpellCheckerVersionText();

// The proofing tools' spelling key under HKEY_LOCAL_MACHINE.
extern const char* const g_pszSpellingKey;
// Deletes the language key whose "Normal" names this engine, so that the next construction registers the
// copy beside the mail client.
void RemoveSpellEngineRegistration(const char* pszEngine);

// Seams for tests. The walk tests put a checker of their own in place of the engine; a loader answers for
// LoadLibrary (a null module with its system error), a beep for MessageBeep.
void SetSpellCheckProc(const SpellCheckProc& proc);
typedef HMODULE (*SpellEngineLoader)(const char* pszPath, DWORD* pdwError);
void SetSpellEngineLoader(SpellEngineLoader pfnLoader);
typedef void (*SpellBeepProc)();
void SetSpellBeepProc(SpellBeepProc pfnBeep);

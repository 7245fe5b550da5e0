// A scripted spelling engine for the checker's tests.
#include "tests/content/FakeSpellEngine.h"

#include <string.h>

#include "platform/spelling/SpellEngine.h"

namespace
{
FakeSpellScript g_script = {};
FakeSpellLog g_log = {};
int g_nEngine = 0;
int g_nLexicon = 0;
int g_nDictionary = 0;

bool IsLetter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

bool IsUnknown(const char* p, int n)
{
    for (const auto& word : g_script.unknown)
        if (word[0] && (int)strlen(word) == n && strncmp(word, p, n) == 0)
            return true;
    return false;
}
} // namespace

extern "C" {

void WINAPI FakeSpellSetScript(const FakeSpellScript* pScript)
{
    g_script = *pScript;
    g_log = {};
}

void WINAPI FakeSpellGetLog(FakeSpellLog* pLog)
{
    *pLog = g_log;
}

SPELLSTATUS WINAPI SpellVer(uint16_t* pwVersion, uint16_t* pwEngineId, uint16_t* pwSpellType)
{
    *pwVersion = 3;
    *pwEngineId = 4;
    *pwSpellType = 5;
    return kSpellOk;
}

SPELLSTATUS WINAPI FakeStart(SPELL_ENGINE* phEngine, const BYTE*)
{
    if (g_script.nFailOrdinal == kSpellOrdinalStart)
        return kSpellErrorMemory;
    g_log.nStarts++;
    *phEngine = &g_nEngine;
    return kSpellOk;
}

SPELLSTATUS WINAPI FakeOptions(SPELL_ENGINE, uint32_t)
{
    return g_script.nFailOrdinal == kSpellOrdinalOptions ? kSpellErrorUnsupported : kSpellOk;
}

SPELLSTATUS WINAPI FakeCommand(SPELL_ENGINE, uint16_t wCommand, SpellInputBlock* pInput,
                               SpellResultBlock* pResult)
{
    if (wCommand == kSpellCommandCheck)
    {
        if (g_script.nFailOrdinal == kSpellOrdinalCheck)
            return kSpellErrorFile;
        pResult->wStatus = kSpellResultNoError;
        const char* p = pInput->pszText;
        const int n = pInput->cchText;
        for (int i = 0; i < n;)
        {
            if (!IsLetter(p[i]))
            {
                i++;
                continue;
            }
            int j = i;
            while (j < n && IsLetter(p[j]))
                j++;
            if (IsUnknown(p + i, j - i))
            {
                pResult->wStatus =
                    g_script.wUnknownStatus ? g_script.wUnknownStatus : kSpellResultUnknownWord;
                pResult->ichError = (uint16_t)i;
                pResult->cchError = (uint16_t)(j - i);
                return kSpellOk;
            }
            i = j;
        }
        return kSpellOk;
    }
    if (g_script.nFailOrdinal == 40)
        return kSpellErrorFile;
    g_log.nSuggestRounds++;
    memset(pResult->szSuggestions, 0, sizeof(pResult->szSuggestions));
    pResult->cSuggestions = 0;
    if (wCommand == kSpellCommandSuggestMore && !g_script.bNeverEnds)
    {
        pResult->wStatus = kSpellResultNoMoreSuggestions;
        return kSpellOk;
    }
    size_t nUsed = 0;
    for (const auto& s : g_script.suggestions)
    {
        if (!s[0])
            break;
        memcpy(pResult->szSuggestions + nUsed, s, strlen(s) + 1);
        nUsed += strlen(s) + 1;
        pResult->cSuggestions++;
    }
    pResult->wStatus =
        pResult->cSuggestions || g_script.bNeverEnds ? kSpellResultNoError : kSpellResultNoMoreSuggestions;
    return kSpellOk;
}

SPELLSTATUS WINAPI FakeEnd(SPELL_ENGINE, uint16_t)
{
    g_log.nEnds++;
    return kSpellOk;
}

SPELLSTATUS WINAPI FakeVerify(const char*, uint16_t, uint16_t* pwLanguage)
{
    *pwLanguage = 1033;
    return g_script.nFailOrdinal == kSpellOrdinalVerifyLexicon ? kSpellErrorLexicon : kSpellOk;
}

SPELLSTATUS WINAPI FakeOpenLexicon(SPELL_ENGINE, const char*, const char*, uint16_t, uint16_t, uint16_t,
                                   SpellLexiconBlock* pLexicon)
{
    pLexicon->hLexicon = &g_nLexicon;
    pLexicon->wLanguage = 1033;
    return g_script.nFailOrdinal == kSpellOrdinalOpenLexicon ? kSpellErrorLexicon : kSpellOk;
}

SPELLSTATUS WINAPI FakeOpenUser(SPELL_ENGINE, const char*, uint16_t, uint16_t,
                                SPELL_USER_DICTIONARY* phDictionary, BOOL* pbReadOnly)
{
    *phDictionary = &g_nDictionary;
    *pbReadOnly = FALSE;
    return g_script.nFailOrdinal == kSpellOrdinalOpenUserDictionary ? kSpellErrorFile : kSpellOk;
}

SPELLSTATUS WINAPI FakeAdd(SPELL_ENGINE, SPELL_USER_DICTIONARY, const char* pszWord)
{
    if (g_script.nFailOrdinal == kSpellOrdinalAddWord)
        return kSpellErrorFile;
    if (g_log.nAdded < kFakeMaxWords)
        strncpy(g_log.added[g_log.nAdded++], pszWord, kFakeWordSize - 1);
    return kSpellOk;
}

SPELLSTATUS WINAPI FakeUnsupported()
{
    return kSpellErrorUnsupported;
}
}

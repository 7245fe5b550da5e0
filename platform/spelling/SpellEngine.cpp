// The spelling engine library: engines over hunspell lexicons and user dictionaries, reached through its
// exports. Nothing may escape an export: every one catches everything and answers with a status.
#include "platform/spelling/SpellEngine.h"

#include <string.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/spelling/SpellLexicon.h"
#include "platform/spelling/SpellText.h"

namespace
{
struct CEngine
{
    std::vector<std::unique_ptr<CSpellLexicon>> lexicons;
    std::vector<std::unique_ptr<CSpellUserDictionary>> dictionaries;
    std::string strLastWord;
    std::vector<std::string> suggestions;
    size_t nNextSuggestion = 0;
    bool bSuggested = false;

    bool OwnsLexicon(const void* p) const
    {
        return std::any_of(lexicons.begin(), lexicons.end(), [p](const auto& l) { return l.get() == p; });
    }
    bool OwnsDictionary(const void* p) const
    {
        return std::any_of(dictionaries.begin(), dictionaries.end(),
                           [p](const auto& d) { return d.get() == p; });
    }
};

// Handles are checked against the live engines, so a stale or foreign one fails instead of crashing.
std::mutex g_lock;
std::set<CEngine*> g_engines;

CEngine* FindEngine(SPELL_ENGINE hEngine)
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_engines.count((CEngine*)hEngine) ? (CEngine*)hEngine : nullptr;
}

SPELLSTATUS Check(CEngine& engine, const SpellInputBlock& input, SpellResultBlock& result)
{
    if (input.cLexicons == 0 || !input.pLexicons || (input.cchText && !input.pszText))
        return kSpellErrorArgument;
    std::vector<const CSpellLexicon*> lexicons;
    for (int i = 0; i < input.cLexicons; i++)
    {
        if (!engine.OwnsLexicon(input.pLexicons[i].hLexicon))
            return kSpellErrorHandle;
        lexicons.push_back((const CSpellLexicon*)input.pLexicons[i].hLexicon);
    }
    std::vector<const CSpellUserDictionary*> dictionaries;
    for (int i = 0; i < input.cUserDictionaries && input.pUserDictionaries; i++)
    {
        if (!engine.OwnsDictionary(input.pUserDictionaries[i]))
            return kSpellErrorHandle;
        dictionaries.push_back((const CSpellUserDictionary*)input.pUserDictionaries[i]);
    }

    result.wStatus = kSpellResultNoError;
    result.ichError = result.cchError = 0;
    int nPosition = 0;
    int nStart = 0, nLength = 0;
    while (FindNextWord(input.pszText + nPosition, input.cchText - nPosition, nStart, nLength))
    {
        const std::string strWord(input.pszText + nPosition + nStart, nLength);
        const bool bKnown =
            std::any_of(dictionaries.begin(), dictionaries.end(),
                        [&](auto d) { return d->Holds(strWord); }) ||
            std::all_of(lexicons.begin(), lexicons.end(), [&](auto l) { return l->Accepts(strWord); });
        if (!bKnown)
        {
            result.wStatus = kSpellResultUnknownWord;
            result.ichError = (uint16_t)(nPosition + nStart);
            result.cchError = (uint16_t)nLength;
            engine.strLastWord = strWord;
            engine.suggestions.clear();
            engine.bSuggested = false;
            return kSpellOk;
        }
        nPosition += nStart + nLength;
    }
    return kSpellOk;
}

// Fills the result's buffer with the next suggestions that fit; status 8 with an empty buffer when none are
// left.
SPELLSTATUS Suggest(CEngine& engine, bool bFirst, const SpellInputBlock& input, SpellResultBlock& result)
{
    if (bFirst || !engine.bSuggested)
    {
        engine.suggestions.clear();
        engine.nNextSuggestion = 0;
        engine.bSuggested = true;
        if (!engine.strLastWord.empty())
        {
            for (int i = 0; i < input.cLexicons && input.pLexicons; i++)
            {
                const void* p = input.pLexicons[i].hLexicon;
                if (!engine.OwnsLexicon(p))
                    return kSpellErrorHandle;
                for (const std::string& s : ((const CSpellLexicon*)p)->Suggest(engine.strLastWord))
                {
                    if (engine.suggestions.size() < kSpellMaxSuggestions &&
                        s.size() < kSpellSuggestionBufferSize - 1 &&
                        std::find(engine.suggestions.begin(), engine.suggestions.end(), s) ==
                            engine.suggestions.end())
                        engine.suggestions.push_back(s);
                }
            }
        }
    }
    memset(result.szSuggestions, 0, sizeof(result.szSuggestions));
    memset(result.rgRanks, 0, sizeof(result.rgRanks));
    result.cSuggestions = 0;
    size_t nUsed = 0;
    while (engine.nNextSuggestion < engine.suggestions.size())
    {
        const std::string& s = engine.suggestions[engine.nNextSuggestion];
        // Each word keeps its terminator and the list its closing empty word.
        if (nUsed + s.size() + 2 > kSpellSuggestionBufferSize)
            break;
        memcpy(result.szSuggestions + nUsed, s.c_str(), s.size() + 1);
        result.rgRanks[result.cSuggestions] = (uint8_t)(engine.nNextSuggestion + 1);
        nUsed += s.size() + 1;
        result.cSuggestions++;
        engine.nNextSuggestion++;
    }
    result.wStatus = result.cSuggestions ? kSpellResultNoError : kSpellResultNoMoreSuggestions;
    return kSpellOk;
}
} // namespace

extern "C" {

SPELLSTATUS WINAPI SpellVer(uint16_t* pwVersion, uint16_t* pwEngineId, uint16_t* pwSpellType)
{
    if (!pwVersion || !pwEngineId || !pwSpellType)
        return kSpellErrorArgument;
    *pwVersion = kSpellEngineVersion;
    *pwEngineId = kSpellEngineId;
    *pwSpellType = kSpellEngineType;
    return kSpellOk;
}

SPELLSTATUS WINAPI SpellEngineStart(SPELL_ENGINE* phEngine, const BYTE* /*pbInit*/)
{
    if (!phEngine)
        return kSpellErrorArgument;
    *phEngine = NULL;
    try
    {
        std::unique_ptr<CEngine> pEngine(new CEngine);
        std::lock_guard<std::mutex> guard(g_lock);
        g_engines.insert(pEngine.get());
        *phEngine = pEngine.release();
        return kSpellOk;
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellEngineOptions(SPELL_ENGINE hEngine, uint32_t dwOptions)
{
    if (!FindEngine(hEngine))
        return kSpellErrorHandle;
    return dwOptions == kSpellOptionsDefault ? kSpellOk : kSpellErrorUnsupported;
}

SPELLSTATUS WINAPI SpellEngineCommand(SPELL_ENGINE hEngine, uint16_t wCommand, SpellInputBlock* pInput,
                                      SpellResultBlock* pResult)
{
    CEngine* pEngine = FindEngine(hEngine);
    if (!pEngine)
        return kSpellErrorHandle;
    if (!pInput || !pResult)
        return kSpellErrorArgument;
    try
    {
        switch (wCommand)
        {
        case kSpellCommandCheck:
            return Check(*pEngine, *pInput, *pResult);
        case kSpellCommandSuggest:
        case kSpellCommandSuggestMore:
            return Suggest(*pEngine, wCommand == kSpellCommandSuggest, *pInput, *pResult);
        default:
            return kSpellErrorUnsupported;
        }
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellEngineEnd(SPELL_ENGINE hEngine, uint16_t /*wFlags*/)
{
    CEngine* pEngine = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (!g_engines.erase((CEngine*)hEngine))
            return kSpellErrorHandle;
        pEngine = (CEngine*)hEngine;
    }
    delete pEngine;
    return kSpellOk;
}

SPELLSTATUS WINAPI SpellVerifyLexicon(const char* pszLexicon, uint16_t /*wLanguage*/, uint16_t* pwLanguage)
{
    if (!pszLexicon)
        return kSpellErrorArgument;
    try
    {
        CSpellLexiconFile file;
        if (!file.Read(pszLexicon))
            return kSpellErrorLexicon;
        if (pwLanguage)
            *pwLanguage = file.wLanguage;
        return kSpellOk;
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellOpenLexicon(SPELL_ENGINE hEngine, const char* pszLexicon, const char* pszExclusions,
                                    uint16_t /*wExclusionCount*/, uint16_t /*wFlags*/, uint16_t /*wLanguage*/,
                                    SpellLexiconBlock* pLexicon)
{
    CEngine* pEngine = FindEngine(hEngine);
    if (!pEngine)
        return kSpellErrorHandle;
    if (!pszLexicon || !pLexicon)
        return kSpellErrorArgument;
    try
    {
        CSpellLexiconFile file;
        if (!file.Read(pszLexicon))
            return kSpellErrorLexicon;
        std::unique_ptr<CSpellLexicon> pOpened(new CSpellLexicon);
        const std::string strExclusions =
            pszExclusions && *pszExclusions ? ResolveDataFile(pszExclusions) : std::string();
        if (!pOpened->Open(file, strExclusions))
            return kSpellErrorFile;
        pLexicon->hLexicon = pOpened.get();
        pLexicon->wLanguage = pOpened->m_wLanguage;
        pEngine->lexicons.push_back(std::move(pOpened));
        return kSpellOk;
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellOpenUserDictionary(SPELL_ENGINE hEngine, const char* pszFile, uint16_t wCreate,
                                           uint16_t /*wProperty*/, SPELL_USER_DICTIONARY* phDictionary,
                                           BOOL* pbReadOnly)
{
    CEngine* pEngine = FindEngine(hEngine);
    if (!pEngine)
        return kSpellErrorHandle;
    if (!pszFile || !*pszFile || !phDictionary)
        return kSpellErrorArgument;
    try
    {
        std::unique_ptr<CSpellUserDictionary> pOpened(new CSpellUserDictionary);
        if (!pOpened->Open(ResolveDataFile(pszFile), wCreate != 0))
            return kSpellErrorFile;
        if (pbReadOnly)
            *pbReadOnly = pOpened->m_bReadOnly;
        *phDictionary = pOpened.get();
        pEngine->dictionaries.push_back(std::move(pOpened));
        return kSpellOk;
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellAddWord(SPELL_ENGINE hEngine, SPELL_USER_DICTIONARY hDictionary, const char* pszWord)
{
    CEngine* pEngine = FindEngine(hEngine);
    if (!pEngine)
        return kSpellErrorHandle;
    if (!pEngine->OwnsDictionary(hDictionary))
        return kSpellErrorHandle;
    if (!pszWord)
        return kSpellErrorArgument;
    try
    {
        return ((CSpellUserDictionary*)hDictionary)->Add(pszWord) ? kSpellOk : kSpellErrorFile;
    }
    catch (...)
    {
        return kSpellErrorMemory;
    }
}

SPELLSTATUS WINAPI SpellUnsupported()
{
    return kSpellErrorUnsupported;
}
}

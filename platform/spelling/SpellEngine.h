// The spelling engine library's interface: its entry points, their argument blocks and statuses. The
// engine is loaded at run time; callers fetch "SpellVer" by name and the rest by ordinal.
#pragma once

#include <windows.h>

#include <stdint.h>

#define SPELL_ENGINE_FILE_NAME "MSSP232.DLL"
#define SPELL_LEXICON_FILE_NAME "MSSP2_EN.LEX"
#define SPELL_EXCLUSION_FILE_NAME "csexc.dic"
#define SPELL_USER_DICTIONARY_FILE_NAME "csdemo.dic"

typedef uint16_t SPELLSTATUS;
typedef void* SPELL_ENGINE;
typedef void* SPELL_LEXICON;
typedef void* SPELL_USER_DICTIONARY;

// Entry point statuses: 0 succeeds, anything else is a failure.
enum : SPELLSTATUS
{
    kSpellOk = 0,
    kSpellErrorHandle = 1,
    kSpellErrorArgument = 2,
    kSpellErrorFile = 3,
    kSpellErrorLexicon = 4,
    kSpellErrorMemory = 5,
    kSpellErrorUnsupported = 6,
};

// Result block statuses of the check command.
enum : uint16_t
{
    kSpellResultNoError = 0,
    kSpellResultUnknownWord = 1,
    kSpellResultOtherWord = 5, // never reported by this engine; callers ask about it as about 1
    kSpellResultNoMoreSuggestions = 8,
};

// Commands of the check entry point.
enum : uint16_t
{
    kSpellCommandCheck = 2,
    kSpellCommandSuggest = 3,
    kSpellCommandSuggestMore = 4,
};

// Input block states.
enum : uint16_t
{
    kSpellStateContinue = 1,
    kSpellStateStart = 2,
};

enum
{
    kSpellInitBlockSize = 11,
    kSpellSuggestionBufferSize = 256,
    kSpellMaxSuggestions = 32,
    kSpellOptionsDefault = 1,
    kSpellUserDictionaryProperty = 0xFFFE,
};

// What "SpellVer" reports.
enum : uint16_t
{
    kSpellEngineVersion = 0x0107,
    kSpellEngineId = 1,
    kSpellEngineType = 1,
};

#pragma pack(push, 8)
// Filled by the open-lexicon entry point; the check's input block points at it.
struct SpellLexiconBlock
{
    SPELL_LEXICON hLexicon;
    uint16_t wLanguage;
};

struct SpellInputBlock
{
    uint16_t cchText;
    uint16_t cLexicons;
    uint16_t cUserDictionaries;
    uint16_t wState;
    const char* pszText; // the text at the current position; cchText bytes, not terminated
    SpellLexiconBlock* pLexicons;
    SPELL_USER_DICTIONARY* pUserDictionaries;
};

struct SpellResultBlock
{
    uint16_t ichError; // from pszText
    uint16_t cchError;
    uint16_t wStatus;
    uint16_t cSuggestions;
    uint16_t cbSuggestions;                         // the caller sets kSpellSuggestionBufferSize
    char szSuggestions[kSpellSuggestionBufferSize]; // zero-terminated words, an empty one after the last
    uint8_t rgRanks[kSpellMaxSuggestions];
};
#pragma pack(pop)

static_assert(sizeof(SpellLexiconBlock) == 16, "lexicon block layout");
static_assert(sizeof(SpellInputBlock) == 32, "input block layout");
static_assert(sizeof(SpellResultBlock) == 298, "result block layout");

typedef SPELLSTATUS(WINAPI* SpellVerProc)(uint16_t* pwVersion, uint16_t* pwEngineId, uint16_t* pwSpellType);
// Ordinal 2.
typedef SPELLSTATUS(WINAPI* SpellStartProc)(SPELL_ENGINE* phEngine, const BYTE* pbInit);
// Ordinal 3.
typedef SPELLSTATUS(WINAPI* SpellOptionsProc)(SPELL_ENGINE hEngine, uint32_t dwOptions);
// Ordinal 4.
typedef SPELLSTATUS(WINAPI* SpellCommandProc)(SPELL_ENGINE hEngine, uint16_t wCommand,
                                              SpellInputBlock* pInput, SpellResultBlock* pResult);
// Ordinal 5: ends the engine and closes its lexicons and user dictionaries.
typedef SPELLSTATUS(WINAPI* SpellEndProc)(SPELL_ENGINE hEngine, uint16_t wFlags);
// Ordinal 6.
typedef SPELLSTATUS(WINAPI* SpellVerifyLexiconProc)(const char* pszLexicon, uint16_t wLanguage,
                                                    uint16_t* pwLanguage);
// Ordinal 7: the lexicon's own language wins over the one passed.
typedef SPELLSTATUS(WINAPI* SpellOpenLexiconProc)(SPELL_ENGINE hEngine, const char* pszLexicon,
                                                  const char* pszExclusions, uint16_t wExclusionCount,
                                                  uint16_t wFlags, uint16_t wLanguage,
                                                  SpellLexiconBlock* pLexicon);
// Ordinal 8: opens or creates the user dictionary.
typedef SPELLSTATUS(WINAPI* SpellOpenUserDictionaryProc)(SPELL_ENGINE hEngine, const char* pszFile,
                                                         uint16_t wCreate, uint16_t wProperty,
                                                         SPELL_USER_DICTIONARY* phDictionary,
                                                         BOOL* pbReadOnly);
// Ordinal 9: the word is saved at once.
typedef SPELLSTATUS(WINAPI* SpellAddWordProc)(SPELL_ENGINE hEngine, SPELL_USER_DICTIONARY hDictionary,
                                              const char* pszWord);
// Ordinals 10 to 16.
typedef SPELLSTATUS(WINAPI* SpellUnsupportedProc)();

enum
{
    kSpellOrdinalStart = 2,
    kSpellOrdinalOptions = 3,
    kSpellOrdinalCheck = 4,
    kSpellOrdinalEnd = 5,
    kSpellOrdinalVerifyLexicon = 6,
    kSpellOrdinalOpenLexicon = 7,
    kSpellOrdinalOpenUserDictionary = 8,
    kSpellOrdinalAddWord = 9,
    kSpellOrdinalLast = 16,
};

// A spelling engine whose answers a test scripts, and what it was asked. The test reaches the same module
// the checker loads, through the named exports below.
#pragma once

#include <windows.h>

enum
{
    kFakeMaxWords = 8,
    kFakeWordSize = 32,
};

struct FakeSpellScript
{
    // Words reported as unknown wherever they stand in the text (exact match, whole words).
    char unknown[kFakeMaxWords][kFakeWordSize];
    char suggestions[kFakeMaxWords][kFakeWordSize]; // every batch repeats these
    // The ordinal whose call fails (4 means the check command; 40 the suggestion commands).
    int nFailOrdinal;
    // Answer every suggestion command with the same batch, never status 8.
    bool bNeverEnds;
    // Report this result status for unknown words instead of 1.
    WORD wUnknownStatus;
};

struct FakeSpellLog
{
    int nStarts;
    int nEnds;
    int nSuggestRounds;
    char added[kFakeMaxWords][kFakeWordSize];
    int nAdded;
};

typedef void(WINAPI* FakeSpellSetScriptProc)(const FakeSpellScript* pScript);
typedef void(WINAPI* FakeSpellGetLogProc)(FakeSpellLog* pLog);

// The spelling engine library driven through its exports as a caller loads it: by name and by ordinal.
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/spelling/SpellEngine.h"

namespace
{
std::string ExeFolder()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1);
}

std::string SpellingFolder()
{
    return ExeFolder() + "Spelling\\";
}

std::string TempPath(const char* pszName)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    std::string strPath =
        std::string(szTemp) + "spell-engine-test-" + std::to_string(::GetCurrentProcessId()) + "-" + pszName;
    ::DeleteFileA(strPath.c_str());
    return strPath;
}

void WriteFile(const std::string& strPath, const std::string& strText)
{
    std::ofstream(strPath, std::ios::binary) << strText;
}

std::string ReadFile(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SpellEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hModule = ::LoadLibraryA((SpellingFolder() + SPELL_ENGINE_FILE_NAME).c_str());
        ASSERT_NE(m_hModule, nullptr);
        m_pfnVer = (SpellVerProc)::GetProcAddress(m_hModule, "SpellVer");
        m_pfnStart = (SpellStartProc)Ordinal(kSpellOrdinalStart);
        m_pfnOptions = (SpellOptionsProc)Ordinal(kSpellOrdinalOptions);
        m_pfnCommand = (SpellCommandProc)Ordinal(kSpellOrdinalCheck);
        m_pfnEnd = (SpellEndProc)Ordinal(kSpellOrdinalEnd);
        m_pfnVerify = (SpellVerifyLexiconProc)Ordinal(kSpellOrdinalVerifyLexicon);
        m_pfnOpenLexicon = (SpellOpenLexiconProc)Ordinal(kSpellOrdinalOpenLexicon);
        m_pfnOpenUser = (SpellOpenUserDictionaryProc)Ordinal(kSpellOrdinalOpenUserDictionary);
        m_pfnAdd = (SpellAddWordProc)Ordinal(kSpellOrdinalAddWord);
        ASSERT_TRUE(m_pfnVer && m_pfnStart && m_pfnOptions && m_pfnCommand && m_pfnEnd && m_pfnVerify &&
                    m_pfnOpenLexicon && m_pfnOpenUser && m_pfnAdd);
        m_strUserDictionary = TempPath("user.dic");
        m_strExclusions = TempPath("exclusions.dic");
    }

    void TearDown() override
    {
        if (m_hEngine)
            m_pfnEnd(m_hEngine, 1);
        if (m_hModule)
            ::FreeLibrary(m_hModule);
        ::DeleteFileA(m_strUserDictionary.c_str());
        ::DeleteFileA(m_strExclusions.c_str());
    }

    FARPROC Ordinal(int n) { return ::GetProcAddress(m_hModule, MAKEINTRESOURCEA(n)); }

    // The calls a check makes before its first word, as the checker makes them.
    void StartEngine(const std::string& strLexicon = SpellingFolder() + SPELL_LEXICON_FILE_NAME,
                     uint16_t wExpectedLanguage = 1033)
    {
        const BYTE init[kSpellInitBlockSize] = {};
        ASSERT_EQ(m_pfnStart(&m_hEngine, init), kSpellOk);
        uint16_t wLanguage = 0;
        ASSERT_EQ(m_pfnVerify(strLexicon.c_str(), 1033, &wLanguage), kSpellOk);
        EXPECT_EQ(wLanguage, wExpectedLanguage);
        ASSERT_EQ(
            m_pfnOpenLexicon(m_hEngine, strLexicon.c_str(), m_strExclusions.c_str(), 1, 1, 1033, &m_lexicon),
            kSpellOk);
        EXPECT_EQ(m_lexicon.wLanguage, wExpectedLanguage);
        BOOL bReadOnly = TRUE;
        ASSERT_EQ(m_pfnOpenUser(m_hEngine, m_strUserDictionary.c_str(), 1, kSpellUserDictionaryProperty,
                                &m_hUserDictionary, &bReadOnly),
                  kSpellOk);
        EXPECT_FALSE(bReadOnly);
        ASSERT_EQ(m_pfnOptions(m_hEngine, kSpellOptionsDefault), kSpellOk);
    }

    void EndEngine()
    {
        ASSERT_EQ(m_pfnEnd(m_hEngine, 1), kSpellOk);
        m_hEngine = nullptr;
    }

    SpellInputBlock Input(const std::string& strText, uint16_t wState)
    {
        SpellInputBlock input = {};
        input.cchText = (uint16_t)strText.size();
        input.cLexicons = 1;
        input.cUserDictionaries = 1;
        input.wState = wState;
        input.pszText = strText.data();
        input.pLexicons = &m_lexicon;
        input.pUserDictionaries = &m_hUserDictionary;
        return input;
    }

    // Every word of the text that the engine reports, walking it as the checker does.
    std::vector<std::string> Reported(const std::string& strText)
    {
        std::vector<std::string> words;
        size_t nPosition = 0;
        uint16_t wState = kSpellStateStart;
        for (;;)
        {
            const std::string strRest = strText.substr(nPosition);
            SpellInputBlock input = Input(strRest, wState);
            SpellResultBlock result = {};
            result.cbSuggestions = kSpellSuggestionBufferSize;
            EXPECT_EQ(m_pfnCommand(m_hEngine, kSpellCommandCheck, &input, &result), kSpellOk);
            if (result.wStatus != kSpellResultUnknownWord)
                break;
            EXPECT_LE(result.ichError + result.cchError, strRest.size());
            words.push_back(strRest.substr(result.ichError, result.cchError));
            nPosition += result.ichError + result.cchError;
            wState = kSpellStateContinue;
        }
        return words;
    }

    // All suggestions for the word, batch by batch, as the dialog asks for them.
    std::vector<std::string> Suggestions(const std::string& strWord, int* pnBatches = nullptr)
    {
        EXPECT_EQ(Reported(strWord), std::vector<std::string>{strWord});
        std::vector<std::string> suggestions;
        SpellInputBlock input = Input(strWord, kSpellStateContinue);
        uint16_t wCommand = kSpellCommandSuggest;
        int nBatches = 0;
        for (int nRound = 0; nRound < 100; nRound++)
        {
            SpellResultBlock result = {};
            result.cbSuggestions = kSpellSuggestionBufferSize;
            EXPECT_EQ(m_pfnCommand(m_hEngine, wCommand, &input, &result), kSpellOk);
            wCommand = kSpellCommandSuggestMore;
            if (result.wStatus == kSpellResultNoMoreSuggestions)
            {
                EXPECT_EQ(result.cSuggestions, 0);
                EXPECT_EQ(result.szSuggestions[0], '\0');
                break;
            }
            nBatches++;
            size_t nOffset = 0;
            for (int i = 0; i < result.cSuggestions; i++)
            {
                const std::string s(result.szSuggestions + nOffset);
                EXPECT_FALSE(s.empty());
                suggestions.push_back(s);
                nOffset += s.size() + 1;
                EXPECT_LE(nOffset, (size_t)kSpellSuggestionBufferSize);
            }
        }
        if (pnBatches)
            *pnBatches = nBatches;
        return suggestions;
    }

    HMODULE m_hModule = nullptr;
    SpellVerProc m_pfnVer = nullptr;
    SpellStartProc m_pfnStart = nullptr;
    SpellOptionsProc m_pfnOptions = nullptr;
    SpellCommandProc m_pfnCommand = nullptr;
    SpellEndProc m_pfnEnd = nullptr;
    SpellVerifyLexiconProc m_pfnVerify = nullptr;
    SpellOpenLexiconProc m_pfnOpenLexicon = nullptr;
    SpellOpenUserDictionaryProc m_pfnOpenUser = nullptr;
    SpellAddWordProc m_pfnAdd = nullptr;
    SPELL_ENGINE m_hEngine = nullptr;
    SpellLexiconBlock m_lexicon = {};
    SPELL_USER_DICTIONARY m_hUserDictionary = nullptr;
    std::string m_strUserDictionary;
    std::string m_strExclusions;
};
} // namespace

TEST_F(SpellEngineTest, WordsAreFoundAsTokensAllow)
{
    StartEngine();
    const struct
    {
        const char* pszText;
        std::vector<std::string> reported;
    } kCases[] = {
        {"Hello World. HELLO", {}},
        {"paris Paris", {"paris"}},
        {"don't can't 'quoted' it's", {}},
        {"recieve's xqzt'", {"recieve's", "xqzt"}},
        {"well-known recieve-known -xqzt-", {"recieve", "xqzt"}},
        {"abc123 12th 3xqzt recieve", {"recieve"}},
        {"http://xqzt.example/recieve ftp://a.b xqzt@xqzt.org WWW.xqzt.com recieve", {"recieve"}},
        // Letters of code page 1252 belong to the word; this en_US knows only the plain spellings.
        {"caf\xe9 na\xefve recieve, (seperate).", {"caf\xe9", "na\xefve", "recieve", "seperate"}},
        {"it\x92s don\x92t", {}},
        {"\tindented\r\nlines\r\n", {}},
        {"", {}},
        {"  ,.;!  ", {}},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(Reported(c.pszText), c.reported) << c.pszText;
}

TEST_F(SpellEngineTest, RejectsWhatHunspellRejectsOfTheFixture)
{
    StartEngine();
    std::set<std::string> expected;
    std::ifstream rejects(ORB_HUNSPELL_REJECTS);
    ASSERT_TRUE(rejects.good());
    for (std::string strLine; std::getline(rejects, strLine);)
        if (!strLine.empty())
            expected.insert(strLine);
    ASSERT_FALSE(expected.empty());

    std::set<std::string> reported;
    std::ifstream words(ORB_TEST_DATA_DIR "/spelling/common-and-misspelt-words.txt");
    ASSERT_TRUE(words.good());
    for (std::string strLine; std::getline(words, strLine);)
        for (const std::string& s : Reported(strLine))
            reported.insert(s);
    EXPECT_EQ(reported, expected);
}

TEST_F(SpellEngineTest, SuggestionsComeInBatchesEndingWithStatus8)
{
    StartEngine();
    int nBatches = 0;
    const std::vector<std::string> suggestions = Suggestions("recieve", &nBatches);
    ASSERT_FALSE(suggestions.empty());
    EXPECT_EQ(suggestions[0], "receive");
    EXPECT_GE(nBatches, 1);

    // Long words give long suggestions: more than one buffer, still never more than 32.
    for (const char* pszWord : {"Antidisestablishmentarianismm", "internationalisationn", "seperate"})
    {
        const std::vector<std::string> more = Suggestions(pszWord);
        EXPECT_LE(more.size(), (size_t)kSpellMaxSuggestions) << pszWord;
        EXPECT_EQ(std::set<std::string>(more.begin(), more.end()).size(), more.size()) << pszWord;
    }

    // Suggestions come back in the ANSI code page.
    const std::vector<std::string> cafe = Suggestions("caf\xe9");
    EXPECT_NE(std::find(cafe.begin(), cafe.end(), "cafe"), cafe.end());

    // A word nobody could mean still ends the batches.
    EXPECT_LE(Suggestions("qqqqqqqqqqqqxz").size(), (size_t)kSpellMaxSuggestions);
}

TEST_F(SpellEngineTest, TextIsConvertedToTheDictionarysEncodingAndBack)
{
    // The lexicon's own language wins over the 1033 passed.
    StartEngine(ORB_TEST_DATA_DIR "/spelling/accents.lex", 1036);
    EXPECT_TRUE(Reported("caf\xe9 caf\xe8").empty());
    // The third word has a letter that code page 1252 lacks: never typed, never suggested.
    const std::vector<std::string> suggestions = Suggestions("cafx");
    EXPECT_EQ(std::set<std::string>(suggestions.begin(), suggestions.end()),
              (std::set<std::string>{"caf\xe9", "caf\xe8"}));
}

TEST_F(SpellEngineTest, AWordAddedIsKnownToTheNextEngine)
{
    StartEngine();
    EXPECT_EQ(Reported("Zorblax"), std::vector<std::string>{"Zorblax"});
    ASSERT_EQ(m_pfnAdd(m_hEngine, m_hUserDictionary, "Zorblax"), kSpellOk);
    EXPECT_TRUE(Reported("Zorblax").empty());
    EndEngine();
    EXPECT_EQ(ReadFile(m_strUserDictionary), "Zorblax\r\n");

    StartEngine();
    EXPECT_TRUE(Reported("Zorblax").empty());
    // A lowercase entry covers the capitalised word; a capitalised one does not cover lowercase.
    ASSERT_EQ(m_pfnAdd(m_hEngine, m_hUserDictionary, "qwibble"), kSpellOk);
    EXPECT_TRUE(Reported("Qwibble qwibble").empty());
    EXPECT_EQ(Reported("zorblax"), std::vector<std::string>{"zorblax"});
}

TEST_F(SpellEngineTest, AnExclusionListWordIsReportedUnlessTheUserAddedIt)
{
    WriteFile(m_strExclusions, "receive\r\nfriend\r\n");
    StartEngine();
    EXPECT_EQ(Reported("We receive a friend."), (std::vector<std::string>{"receive", "friend"}));
    ASSERT_EQ(m_pfnAdd(m_hEngine, m_hUserDictionary, "friend"), kSpellOk);
    EXPECT_EQ(Reported("We receive a friend."), std::vector<std::string>{"receive"});
}

TEST_F(SpellEngineTest, FailuresAreStatusesNotCrashes)
{
    uint16_t wLanguage = 0;
    EXPECT_NE(m_pfnVerify(TempPath("missing.lex").c_str(), 1033, &wLanguage), kSpellOk);
    // A lexicon naming files that are not there.
    const std::string strBadLexicon = TempPath("bad.lex");
    WriteFile(strBadLexicon, "Affix=none.aff\r\nDictionary=none.dic\r\nLanguage=1033\r\n");
    EXPECT_NE(m_pfnVerify(strBadLexicon.c_str(), 1033, &wLanguage), kSpellOk);
    ::DeleteFileA(strBadLexicon.c_str());

    SpellLexiconBlock lexicon = {};
    int nForeign = 0;
    EXPECT_EQ(m_pfnOpenLexicon(&nForeign, (SpellingFolder() + SPELL_LEXICON_FILE_NAME).c_str(), "", 1, 1,
                               1033, &lexicon),
              kSpellErrorHandle);
    EXPECT_EQ(m_pfnEnd(&nForeign, 1), kSpellErrorHandle);

    StartEngine();
    EXPECT_NE(m_pfnOptions(m_hEngine, 7), kSpellOk);
    SpellInputBlock input = Input("word", kSpellStateStart);
    SpellResultBlock result = {};
    EXPECT_NE(m_pfnCommand(m_hEngine, 99, &input, &result), kSpellOk);
    input.cLexicons = 0;
    EXPECT_NE(m_pfnCommand(m_hEngine, kSpellCommandCheck, &input, &result), kSpellOk);
    SPELL_USER_DICTIONARY hForeign = &nForeign;
    EXPECT_EQ(m_pfnAdd(m_hEngine, hForeign, "word"), kSpellErrorHandle);

    for (int n = 10; n <= kSpellOrdinalLast; n++)
    {
        const SpellUnsupportedProc pfn = (SpellUnsupportedProc)Ordinal(n);
        ASSERT_NE(pfn, nullptr) << n;
        EXPECT_NE(pfn(), kSpellOk) << n;
    }
    EXPECT_EQ(Ordinal(kSpellOrdinalLast + 1), nullptr);
}

TEST_F(SpellEngineTest, SpellVerAndTheVersionResourceAgree)
{
    uint16_t wVersion = 0, wId = 0, wType = 0;
    ASSERT_EQ(m_pfnVer(&wVersion, &wId, &wType), kSpellOk);
    EXPECT_EQ(wVersion, kSpellEngineVersion);
    EXPECT_EQ(wId, kSpellEngineId);
    EXPECT_EQ(wType, kSpellEngineType);

    const std::string strPath = SpellingFolder() + SPELL_ENGINE_FILE_NAME;
    DWORD dwHandle = 0;
    const DWORD dwSize = ::GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle);
    ASSERT_GT(dwSize, 0u);
    std::vector<char> data(dwSize);
    ASSERT_TRUE(::GetFileVersionInfoA(strPath.c_str(), 0, dwSize, data.data()));
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT cb = 0;
    ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", (void**)&pInfo, &cb));
    EXPECT_EQ(HIWORD(pInfo->dwFileVersionMS), wVersion >> 8);
    EXPECT_EQ(LOWORD(pInfo->dwFileVersionMS), wVersion & 0xFF);
    char* pszName = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\OriginalFilename", (void**)&pszName, &cb));
    EXPECT_STREQ(pszName, SPELL_ENGINE_FILE_NAME);
}

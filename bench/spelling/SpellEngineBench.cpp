// Words a second through the spelling engine library under Wine, beside `hunspell -l` on the same 1 MB
// text with the same en_US dictionary.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <string>
#include <vector>

#include "PeerBench.h"
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

// Z:\a\b\ as the host sees it: /a/b
std::string HostPath(std::string strPath)
{
    if (strPath.size() > 2 && strPath[1] == ':')
        strPath = strPath.substr(2);
    for (char& c : strPath)
        if (c == '\\')
            c = '/';
    if (!strPath.empty() && strPath.back() == '/')
        strPath.pop_back();
    return strPath;
}

// Plain ASCII words of the dictionary, one in every few, with every twentieth word of the text misspelt.
std::string MakeText(const std::string& strDictionary, size_t nBytes, size_t& nWords)
{
    std::vector<std::string> words;
    std::ifstream in(strDictionary);
    std::string strLine;
    std::getline(in, strLine);
    while (std::getline(in, strLine))
    {
        const std::string strWord = strLine.substr(0, strLine.find('/'));
        bool bPlain = strWord.size() > 1;
        for (unsigned char c : strWord)
            bPlain = bPlain && c < 0x80 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
        if (bPlain)
            words.push_back(strWord);
    }
    std::string strText;
    unsigned nSeed = 12345;
    nWords = 0;
    while (strText.size() < nBytes && !words.empty())
    {
        nSeed = nSeed * 1103515245 + 12345;
        std::string strWord = words[(nSeed >> 8) % words.size()];
        if (nWords % 20 == 19 && strWord.size() > 3)
            std::swap(strWord[1], strWord[2]);
        strText += strWord;
        strText += nWords % 12 == 11 ? ".\r\n" : " ";
        nWords++;
    }
    return strText;
}

template <typename T> T Entry(HMODULE hModule, int nOrdinal)
{
    return (T)::GetProcAddress(hModule, MAKEINTRESOURCEA(nOrdinal));
}

// Seconds for one engine to check the whole text, from its start to its end; -1 on failure.
double RunEngine(const std::string& strSpelling, const std::string& strText,
                 const std::string& strUserDictionary, size_t& nReported)
{
    HMODULE hModule = ::LoadLibraryA((strSpelling + SPELL_ENGINE_FILE_NAME).c_str());
    if (!hModule)
        return -1;
    auto pfnStart = Entry<SpellStartProc>(hModule, kSpellOrdinalStart);
    auto pfnOptions = Entry<SpellOptionsProc>(hModule, kSpellOrdinalOptions);
    auto pfnCommand = Entry<SpellCommandProc>(hModule, kSpellOrdinalCheck);
    auto pfnEnd = Entry<SpellEndProc>(hModule, kSpellOrdinalEnd);
    auto pfnOpenLexicon = Entry<SpellOpenLexiconProc>(hModule, kSpellOrdinalOpenLexicon);
    auto pfnOpenUser = Entry<SpellOpenUserDictionaryProc>(hModule, kSpellOrdinalOpenUserDictionary);

    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    const BYTE init[kSpellInitBlockSize] = {};
    SPELL_ENGINE hEngine = nullptr;
    SpellLexiconBlock lexicon = {};
    SPELL_USER_DICTIONARY hUser = nullptr;
    BOOL bReadOnly = FALSE;
    const std::string strLexicon = strSpelling + SPELL_LEXICON_FILE_NAME;
    if (pfnStart(&hEngine, init) != kSpellOk ||
        pfnOpenLexicon(hEngine, strLexicon.c_str(), "", 1, 1, 1033, &lexicon) != kSpellOk ||
        pfnOpenUser(hEngine, strUserDictionary.c_str(), 1, kSpellUserDictionaryProperty, &hUser,
                    &bReadOnly) != kSpellOk ||
        pfnOptions(hEngine, kSpellOptionsDefault) != kSpellOk)
    {
        ::FreeLibrary(hModule);
        return -1;
    }
    nReported = 0;
    size_t nPosition = 0;
    bool bFailed = false;
    while (nPosition < strText.size() && !bFailed)
    {
        // Lengths are 16-bit: the text goes in pieces that end at a space.
        size_t nEnd = std::min(strText.size(), nPosition + 60000);
        while (nEnd < strText.size() && strText[nEnd - 1] != ' ')
            nEnd--;
        size_t nAt = nPosition;
        while (nAt < nEnd)
        {
            SpellInputBlock input = {(uint16_t)(nEnd - nAt), 1,        1,     kSpellStateContinue,
                                     strText.data() + nAt,   &lexicon, &hUser};
            SpellResultBlock result = {};
            result.cbSuggestions = kSpellSuggestionBufferSize;
            if (pfnCommand(hEngine, kSpellCommandCheck, &input, &result) != kSpellOk)
            {
                bFailed = true;
                break;
            }
            if (result.wStatus != kSpellResultUnknownWord)
                break;
            nReported++;
            nAt += result.ichError + result.cchError;
        }
        nPosition = nEnd;
    }
    pfnEnd(hEngine, 1);
    const double dSeconds = Seconds(start);
    ::FreeLibrary(hModule);
    return bFailed ? -1 : dSeconds;
}
} // namespace

int main()
{
    const std::string strSpelling = ExeFolder() + "Spelling\\";
    const std::string strFolder = ExeFolder() + "bench-spelling";
    ::CreateDirectoryA(strFolder.c_str(), NULL);
    size_t nWords = 0;
    const std::string strText = MakeText(strSpelling + "en_US.dic", 1 << 20, nWords);
    if (!WriteFileText(strFolder + "\\text.txt", strText))
    {
        printf("spelling: the text could not be written\n");
        return 0;
    }
    const std::string strUser = strFolder + "\\user.dic";
    ::DeleteFileA(strUser.c_str());

    size_t nReported = 0;
    const double dOurs = RunEngine(strSpelling, strText, strUser, nReported);
    const std::string strHost = HostPath(strFolder);
    const double dPeer = RunHostScript(strHost, "hunspell -l -d en_US " + strHost + "/text.txt > " + strHost +
                                                    "/hunspell.out");
    size_t nPeerReported = 0;
    std::ifstream peer(strFolder + "\\hunspell.out");
    for (std::string strLine; std::getline(peer, strLine);)
        nPeerReported += !strLine.empty();

    printf("spelling: %zu words (%zu bytes); ours reported %zu, hunspell -l %zu\n", nWords, strText.size(),
           nReported, nPeerReported);
    if (dOurs > 0)
        printf("spelling: ours %.0f words/s", nWords / dOurs);
    if (dPeer > 0)
        printf(", hunspell -l %.0f words/s", nWords / dPeer);
    printf("\n");
    PrintRatio("spelling 1 MB", "hunspell -l", dOurs, dPeer);
    return 0;
}

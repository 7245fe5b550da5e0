// The spelling checker on the prefix's registry, over a scripted engine and over the real one, with its
// dialog answered as a user would.
#include "content/SpellChecker.h"

#include <windows.h>

#include <string.h>

#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/DlgSpelling.h"
#include "content/MergePlaceholders.h"
#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "tests/content/FakeSpellEngine.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
std::string ExeFolder()
{
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1);
}

const std::string kRealEngine = ExeFolder() + "Spelling\\" SPELL_ENGINE_FILE_NAME;
const std::string kRealLexicon = ExeFolder() + "Spelling\\" SPELL_LEXICON_FILE_NAME;
const std::string kFakeEngine = ExeFolder() + "FakeSpellEngine.dll";
const std::string kFakeEngineNo12 = ExeFolder() + "FakeSpellEngineNo12.dll";

void DeleteSpellingKey()
{
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
}

std::string LanguageKey(const char* pszLanguage)
{
    return std::string(g_pszSpellingKey) + "\\" + pszLanguage + "\\Normal";
}

void Register(const char* pszLanguage, const std::string& strEngine, const std::string& strDictionary)
{
    HKEY hKey = NULL;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, LanguageKey(pszLanguage).c_str(), 0, NULL, 0, KEY_WRITE,
                                NULL, &hKey, NULL),
              ERROR_SUCCESS);
    ::RegSetValueExA(hKey, "Engine", 0, REG_SZ, (const BYTE*)strEngine.c_str(), (DWORD)strEngine.size() + 1);
    ::RegSetValueExA(hKey, "Dictionary", 0, REG_SZ, (const BYTE*)strDictionary.c_str(),
                     (DWORD)strDictionary.size() + 1);
    ::RegCloseKey(hKey);
}

bool KeyExists(const char* pszLanguage)
{
    HKEY hKey = NULL;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, LanguageKey(pszLanguage).c_str(), 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

// The value as stored, terminators and all.
std::string ReadValue(const char* pszLanguage, const char* pszName)
{
    HKEY hKey = NULL;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, LanguageKey(pszLanguage).c_str(), 0, KEY_READ, &hKey) !=
        ERROR_SUCCESS)
        return std::string();
    char szValue[MAX_PATH] = "";
    DWORD cb = sizeof(szValue);
    ::RegQueryValueExA(hKey, pszName, NULL, NULL, (BYTE*)szValue, &cb);
    ::RegCloseKey(hKey);
    return std::string(szValue, std::min<DWORD>(cb, sizeof(szValue)));
}

// The user's clipboard: a text and a bitmap.
void PutTextAndBitmapOnClipboard(const char* pszText)
{
    ASSERT_TRUE(::OpenClipboard(NULL));
    ::EmptyClipboard();
    HGLOBAL hData = ::GlobalAlloc(GMEM_MOVEABLE, strlen(pszText) + 1);
    strcpy((char*)::GlobalLock(hData), pszText);
    ::GlobalUnlock(hData);
    ::SetClipboardData(CF_TEXT, hData);
    HDC hScreen = ::GetDC(NULL);
    ::SetClipboardData(CF_BITMAP, ::CreateCompatibleBitmap(hScreen, 7, 5));
    ::ReleaseDC(NULL, hScreen);
    ::CloseClipboard();
}

// The clipboard's text and the size of its bitmap.
std::string ReadClipboard()
{
    if (!::OpenClipboard(NULL))
        return "(not opened)";
    std::string strContent = "(no text)";
    if (HANDLE hText = ::GetClipboardData(CF_TEXT))
    {
        strContent = (const char*)::GlobalLock(hText);
        ::GlobalUnlock(hText);
    }
    BITMAP bm = {};
    HBITMAP hBitmap = (HBITMAP)::GetClipboardData(CF_BITMAP);
    if (hBitmap && ::GetObjectA(hBitmap, sizeof(bm), &bm))
        strContent += " " + std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight);
    ::CloseClipboard();
    return strContent;
}

std::vector<std::string> ListBoxItems(HWND hList)
{
    std::vector<std::string> items;
    const int n = (int)::SendMessageA(hList, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++)
    {
        char sz[300] = "";
        ::SendMessageA(hList, LB_GETTEXT, i, (LPARAM)sz);
        items.push_back(sz);
    }
    return items;
}

HMODULE g_hDeniedLoads = NULL;
int g_nDeniedLoads = 0;
HMODULE DenyLoad(const char*, DWORD* pdwError)
{
    g_nDeniedLoads++;
    *pdwError = ERROR_ACCESS_DENIED;
    return g_hDeniedLoads;
}

std::atomic<int> g_nBeeps{0};
void CountBeep()
{
    g_nBeeps++;
}

class SpellCheckerRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { DeleteSpellingKey(); }
    void TearDown() override
    {
        SetSpellEngineLoader(nullptr);
        DeleteSpellingKey();
    }
};

// What the user does in one spelling dialog, and what the dialog showed.
struct Answer
{
    int nButton;
    const char* pszChangeTo = nullptr; // typed into "Change to:" first
};

struct Shown
{
    std::string strWord;
    std::string strChangeTo;
    std::vector<std::string> suggestions;
};

class SpellCheckerFakeEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteSpellingKey();
        Register("1033", kFakeEngine, kRealLexicon);
        m_hFake = ::LoadLibraryA(kFakeEngine.c_str());
        ASSERT_NE(m_hFake, nullptr);
        m_pfnSetScript = (FakeSpellSetScriptProc)::GetProcAddress(m_hFake, "FakeSpellSetScript");
        m_pfnGetLog = (FakeSpellGetLogProc)::GetProcAddress(m_hFake, "FakeSpellGetLog");
        ASSERT_TRUE(m_pfnSetScript && m_pfnGetLog);
        g_nBeeps = 0;
        SetSpellBeepProc(CountBeep);
    }

    void TearDown() override
    {
        SetSpellBeepProc(nullptr);
        if (m_hFake)
            ::FreeLibrary(m_hFake);
        DeleteSpellingKey();
    }

    void Script(std::vector<const char*> unknown, std::vector<const char*> suggestions, int nFailOrdinal = 0,
                bool bNeverEnds = false, WORD wUnknownStatus = 0)
    {
        FakeSpellScript script = {};
        for (size_t i = 0; i < unknown.size(); i++)
            strcpy(script.unknown[i], unknown[i]);
        for (size_t i = 0; i < suggestions.size(); i++)
            strcpy(script.suggestions[i], suggestions[i]);
        script.nFailOrdinal = nFailOrdinal;
        script.bNeverEnds = bNeverEnds;
        script.wUnknownStatus = wUnknownStatus;
        m_pfnSetScript(&script);
    }

    FakeSpellLog Log()
    {
        FakeSpellLog log = {};
        m_pfnGetLog(&log);
        return log;
    }

    // Checks the text, answering each dialog in turn; what the dialogs showed goes to m_shown.
    int Check(CSpellChecker& checker, const char* pszText, std::vector<Answer> answers,
              CString& strReplacement)
    {
        m_shown.clear();
        size_t nNext = 0;
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            Shown shown;
            shown.strWord = CDialogResponder::ItemText(hDlg, IDC_SPELL_WORD);
            shown.strChangeTo = CDialogResponder::ItemText(hDlg, IDC_SPELL_CHANGE_TO);
            shown.suggestions = ListBoxItems(::GetDlgItem(hDlg, IDC_SPELL_SUGGESTIONS));
            m_shown.push_back(shown);
            const Answer answer = nNext < answers.size() ? answers[nNext++] : Answer{IDCANCEL};
            if (answer.pszChangeTo)
                CDialogResponder::SetField(hDlg, IDC_SPELL_CHANGE_TO, answer.pszChangeTo);
            if (answer.nButton == IDOK)
                ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            else
                CDialogResponder::Press(hDlg, answer.nButton);
            return true;
        });
        return checker.CheckText(pszText, strReplacement);
    }

    HMODULE m_hFake = nullptr;
    FakeSpellSetScriptProc m_pfnSetScript = nullptr;
    FakeSpellGetLogProc m_pfnGetLog = nullptr;
    std::vector<Shown> m_shown;
};
} // namespace

TEST_F(SpellCheckerRegistryTest, WithoutARegistrationTheCopyBesideTheClientIsRegisteredAndLoaded)
{
    CSpellChecker checker;
    EXPECT_NE(checker.m_hEngine, nullptr);
    EXPECT_STREQ(checker.m_strEngine, kRealEngine.c_str());
    // Wine's registry adds the terminator the checker leaves out, one and only one.
    EXPECT_EQ(ReadValue("1033", "Engine"), kRealEngine + '\0');
    EXPECT_EQ(ReadValue("1033", "Dictionary"), kRealLexicon + '\0');

    const CString strVersion = checker.GetVersionText();
    EXPECT_EQ(std::string(strVersion), "Spell file:\r\n" + kRealEngine + "\r\nSpell file version: " +
                                           std::string(GetFileVersionText(kRealEngine.c_str())) +
                                           "\r\nVer = 263, IdEngine = 1, SpellType = 1");
}

TEST_F(SpellCheckerRegistryTest, AnEngineThatFailsToLoadLosesItsKeyAndTheNextCheckerRegistersTheCopy)
{
    const std::string strMissing = "C:\\no-such-folder\\" SPELL_ENGINE_FILE_NAME;
    Register("2057", strMissing, "C:\\no-such-folder\\" SPELL_LEXICON_FILE_NAME);
    std::string strMessage;
    try
    {
        CSpellChecker checker;
    }
    catch (CException* e)
    {
        strMessage = e->m_strMessage;
        delete e;
    }
    const std::string strPrefix = "ERROR:\nFailed " + strMissing + " load.\r\n";
    EXPECT_EQ(strMessage.substr(0, strPrefix.size()), strPrefix);
    EXPECT_GT(strMessage.size(), strPrefix.size()) << "the system's text for the error";
    EXPECT_FALSE(KeyExists("2057"));

    CSpellChecker checker;
    EXPECT_NE(checker.m_hEngine, nullptr);
    EXPECT_STREQ(checker.m_strEngine, kRealEngine.c_str());
    EXPECT_TRUE(KeyExists("1033"));
}

TEST_F(SpellCheckerRegistryTest, AccessDeniedKeepsTheRegistrationAndGivesTheProceduresText)
{
    Register("2057", kRealEngine, kRealLexicon);
    g_nDeniedLoads = 0;
    SetSpellEngineLoader(DenyLoad);
    std::string strMessage;
    try
    {
        CSpellChecker checker;
    }
    catch (CException* e)
    {
        strMessage = e->m_strMessage;
        delete e;
    }
    EXPECT_EQ(strMessage, "ERROR:\nFailed " + kRealEngine + " procedures.");
    EXPECT_EQ(g_nDeniedLoads, 1);
    EXPECT_TRUE(KeyExists("2057"));
}

TEST_F(SpellCheckerRegistryTest, AnEngineWithoutAnEntryPointIsFreedWithTheProceduresText)
{
    Register("1033", kFakeEngineNo12, kRealLexicon);
    std::string strMessage;
    try
    {
        CSpellChecker checker;
    }
    catch (CException* e)
    {
        strMessage = e->m_strMessage;
        delete e;
    }
    EXPECT_EQ(strMessage, "ERROR:\nFailed " + kFakeEngineNo12 + " procedures.");
    EXPECT_EQ(::GetModuleHandleA(kFakeEngineNo12.c_str()), nullptr);
    EXPECT_TRUE(KeyExists("1033"));
}

TEST_F(SpellCheckerFakeEngineTest, EachDialogResultGivesItsReturnAndTheEngineIsAlwaysEnded)
{
    const struct
    {
        const char* pszName;
        Answer answer;
        int nFailOrdinal;
        int nExpected;
        const char* pszReplacement;
        int nBeeps;
        const char* pszAdded;
    } kCases[] = {
        {"Ignore", {IDC_SPELL_IGNORE}, 0, -1, "", 0, ""},
        {"Change", {IDC_SPELL_CHANGE}, 0, 1, "I receive it", 0, ""},
        {"Change typed", {IDC_SPELL_CHANGE, "got"}, 0, 1, "I got it", 0, ""},
        {"Change All", {IDC_SPELL_CHANGE_ALL}, 0, 1, "I receive it", 0, ""},
        {"Cancel", {IDCANCEL}, 0, -2, "", 0, ""},
        {"Add", {IDC_SPELL_ADD}, 0, -1, "", 0, "recieve"},
        {"Add fails", {IDC_SPELL_ADD}, kSpellOrdinalAddWord, 0, "", 0, ""},
        {"Enter", {IDOK}, 0, -1, "", 2, ""},
        {"Ignore All", {IDC_SPELL_IGNORE_ALL}, 0, -1, "", 0, ""},
    };
    for (const auto& c : kCases)
    {
        SCOPED_TRACE(c.pszName);
        Script({"recieve"}, {"receive", "relieve"}, c.nFailOrdinal);
        g_nBeeps = 0;
        CSpellChecker checker;
        CString strReplacement;
        EXPECT_EQ(Check(checker, "I recieve it", {c.answer}, strReplacement), c.nExpected);
        EXPECT_STREQ(strReplacement, c.pszReplacement);
        EXPECT_EQ(g_nBeeps, c.nBeeps);
        ASSERT_EQ(m_shown.size(), 1u);
        EXPECT_EQ(m_shown[0].strWord, "recieve");
        EXPECT_EQ(m_shown[0].suggestions, (std::vector<std::string>{"receive", "relieve"}));
        EXPECT_EQ(m_shown[0].strChangeTo, "receive");
        const FakeSpellLog log = Log();
        EXPECT_EQ(log.nStarts, 1);
        EXPECT_EQ(log.nEnds, 1);
        EXPECT_STREQ(log.added[0], c.pszAdded);
    }
}

TEST_F(SpellCheckerFakeEngineTest, AFailingEngineGivesZeroAndIsEndedOnEveryPath)
{
    for (int nFail : std::initializer_list<int>{kSpellOrdinalStart, kSpellOrdinalOptions, kSpellOrdinalCheck,
                                                kSpellOrdinalVerifyLexicon, kSpellOrdinalOpenLexicon,
                                                kSpellOrdinalOpenUserDictionary, 40})
    {
        SCOPED_TRACE(nFail);
        Script({"recieve"}, {"receive"}, nFail);
        CSpellChecker checker;
        CString strReplacement;
        // A failure while suggesting closes the dialog by itself, before anyone sees it.
        EXPECT_EQ(Check(checker, "I recieve it", {}, strReplacement), 0);
        EXPECT_TRUE(m_shown.empty());
        const FakeSpellLog log = Log();
        EXPECT_EQ(log.nStarts, nFail == kSpellOrdinalStart ? 0 : 1);
        EXPECT_EQ(log.nEnds, log.nStarts);
    }
}

TEST_F(SpellCheckerFakeEngineTest, IgnoreAllAndChangeAllMatchExactlyForTheRestOfTheChecker)
{
    Script({"teh", "Teh"}, {"the"});
    {
        CSpellChecker checker;
        CString strReplacement;
        EXPECT_EQ(Check(checker, "teh Teh teh", {{IDC_SPELL_IGNORE_ALL}, {IDC_SPELL_IGNORE}}, strReplacement),
                  -1);
        ASSERT_EQ(m_shown.size(), 2u);
        EXPECT_EQ(m_shown[1].strWord, "Teh");
        EXPECT_EQ(Check(checker, "so teh", {}, strReplacement), -1);
        EXPECT_TRUE(m_shown.empty());
    }
    {
        CSpellChecker checker;
        CString strReplacement;
        EXPECT_EQ(Check(checker, "teh", {{IDC_SPELL_IGNORE}}, strReplacement), -1);
        EXPECT_EQ(m_shown.size(), 1u) << "another checker starts with empty lists";

        EXPECT_EQ(Check(checker, "teh Teh teh.", {{IDC_SPELL_CHANGE_ALL, "the"}, {IDC_SPELL_IGNORE}},
                        strReplacement),
                  2);
        EXPECT_STREQ(strReplacement, "the Teh the.");
        EXPECT_EQ(m_shown.size(), 2u);
        EXPECT_EQ(Check(checker, "teh", {}, strReplacement), 1);
        EXPECT_STREQ(strReplacement, "the");
        EXPECT_TRUE(m_shown.empty());
    }
    const FakeSpellLog log = Log();
    EXPECT_EQ(log.nEnds, log.nStarts);
}

TEST_F(SpellCheckerFakeEngineTest, SuggestionsStopAt32OrAtARoundThatAddsNone)
{
    Script({"recieve"}, {"a1", "a2", "a3", "a4", "a5"}, 0, true);
    CSpellChecker checker;
    CString strReplacement;
    EXPECT_EQ(Check(checker, "recieve", {{IDC_SPELL_IGNORE}}, strReplacement), -1);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].suggestions.size(), (size_t)kSpellMaxSuggestions);
    EXPECT_EQ(Log().nSuggestRounds, 7);

    Script({"recieve"}, {}, 0, true);
    EXPECT_EQ(Check(checker, "recieve", {{IDC_SPELL_CHANGE}}, strReplacement), 1);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown[0].suggestions.empty());
    EXPECT_EQ(m_shown[0].strChangeTo, "recieve") << "with no suggestion the word itself";
    EXPECT_STREQ(strReplacement, "recieve");
    EXPECT_EQ(Log().nSuggestRounds, 1);
}

TEST_F(SpellCheckerFakeEngineTest, OnlyUnknownWordStatusesAskTheUser)
{
    for (WORD wStatus : {(WORD)5, (WORD)3})
    {
        SCOPED_TRACE(wStatus);
        Script({"recieve"}, {"receive"}, 0, false, wStatus);
        CSpellChecker checker;
        CString strReplacement;
        EXPECT_EQ(Check(checker, "I recieve it", {{IDC_SPELL_CHANGE}}, strReplacement),
                  wStatus == 5 ? 1 : -1);
        EXPECT_EQ(m_shown.size(), wStatus == 5 ? 1u : 0u);
    }
}

TEST(SpellingDialogTest, TheRealEngineSuggestsAndTheDialogKeepsItsPlace)
{
    DeleteSpellingKey();
    CSpellChecker checker;
    ASSERT_NE(checker.m_hEngine, nullptr);

    std::vector<std::string> suggestions;
    std::string strFirstChangeTo, strSelectedChangeTo;
    RECT rcMoved = {};
    CString strReplacement;
    {
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            HWND hList = ::GetDlgItem(hDlg, IDC_SPELL_SUGGESTIONS);
            suggestions = ListBoxItems(hList);
            strFirstChangeTo = CDialogResponder::ItemText(hDlg, IDC_SPELL_CHANGE_TO);
            SaveWindowScreenshot(hDlg, "spelling-dialog");
            // A click on the second suggestion.
            ::SendMessageA(hList, LB_SETCURSEL, 1, 0);
            ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SPELL_SUGGESTIONS, LBN_SELCHANGE), (LPARAM)hList);
            strSelectedChangeTo = CDialogResponder::ItemText(hDlg, IDC_SPELL_CHANGE_TO);
            ::SetWindowPos(hDlg, NULL, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            rcMoved = WindowRect(hDlg);
            CDialogResponder::Press(hDlg, IDC_SPELL_CHANGE);
            return true;
        });
        EXPECT_EQ(checker.CheckText("recieve", strReplacement), 1);
    }
    ASSERT_GE(suggestions.size(), 2u);
    EXPECT_EQ(suggestions[0], "receive");
    EXPECT_EQ(strFirstChangeTo, "receive");
    EXPECT_EQ(strSelectedChangeTo, suggestions[1]);
    EXPECT_EQ(std::string(strReplacement), suggestions[1]);

    RECT rcShown = {};
    {
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            rcShown = WindowRect(hDlg);
            CDialogResponder::Press(hDlg, IDCANCEL);
            return true;
        });
        CSpellChecker next;
        EXPECT_EQ(next.CheckText("Anothr", strReplacement), -2);
    }
    EXPECT_EQ(rcShown.left, rcMoved.left);
    EXPECT_EQ(rcShown.top, rcMoved.top);
    DeleteSpellingKey();
}

TEST(SpellingDialogTest, ThePlainWalkCorrectsWithTheRealCheckerAndLeavesTheClipboard)
{
    DeleteSpellingKey();
    PutTextAndBitmapOnClipboard("the user's own text");
    CPlainTextEdit edit;
    edit.m_hWnd = ::CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200, NULL, NULL,
                                    ::GetModuleHandleA(NULL), NULL);
    ASSERT_NE(edit.m_hWnd, nullptr);
    ::SetWindowTextA(edit.m_hWnd, "Dear %recipient_firstname%, I recieve teh letter; teh end. Absolutly fine, "
                                  "Absolutly.");
    std::vector<std::string> seen;
    bool bResult = false;
    {
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            const std::string strWord = CDialogResponder::ItemText(hDlg, IDC_SPELL_WORD);
            if (strWord.empty())
            {
                seen.push_back(CDialogResponder::MessageBoxText(hDlg));
                CDialogResponder::Press(hDlg, IDOK);
                return true;
            }
            seen.push_back(strWord);
            if (strWord == "teh")
            {
                CDialogResponder::SetField(hDlg, IDC_SPELL_CHANGE_TO, "the");
                CDialogResponder::Press(hDlg, IDC_SPELL_CHANGE_ALL);
            }
            else if (strWord == "Absolutly")
                CDialogResponder::Press(hDlg, IDC_SPELL_IGNORE_ALL);
            else
                CDialogResponder::Press(hDlg, IDC_SPELL_CHANGE);
            return true;
        });
        bResult = SpellCheckEditControl(edit, TRUE, TRUE);
    }
    EXPECT_TRUE(bResult);
    EXPECT_EQ(seen, (std::vector<std::string>{"recieve", "teh", "Absolutly", "Spell Check Complete."}));
    char szText[200] = "";
    ::GetWindowTextA(edit.m_hWnd, szText, sizeof(szText));
    EXPECT_STREQ(szText, "Dear %recipient_firstname%, I receive the letter; the end. Absolutly fine, Absolutly.");
    EXPECT_EQ(ReadClipboard(), "the user's own text 7x5");
    ::DestroyWindow(edit.m_hWnd);
    DeleteSpellingKey();
}

TEST(SpellingSystemInfoTest, TheSystemInformationCarriesTheSpellingLines)
{
    DeleteSpellingKey();
    SetSpellCheckerVersionTextProc(SpellCheckerVersionText);
    const std::string strText = (const char*)SystemInfoText();
    EXPECT_NE(strText.find("\r\n\r\nSpell file:\r\n" + kRealEngine +
                           "\r\nSpell file version: 1, 7, 1, 0\r\n"
                           "Ver = 263, IdEngine = 1, SpellType = 1"),
              std::string::npos)
        << strText;

    DeleteSpellingKey();
    const std::string strMissing = "C:\\no-such-folder\\" SPELL_ENGINE_FILE_NAME;
    Register("2057", strMissing, "C:\\no-such-folder\\" SPELL_LEXICON_FILE_NAME);
    const std::string strFailed = (const char*)SystemInfoText();
    EXPECT_NE(strFailed.find("\r\n\r\nSpell:\r\nERROR:\nFailed " + strMissing + " load.\r\n"),
              std::string::npos)
        << strFailed;
    SetSpellCheckerVersionTextProc(nullptr);
    DeleteSpellingKey();
}

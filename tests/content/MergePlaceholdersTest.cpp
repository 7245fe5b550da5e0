// The plain-text spell check over a hidden edit control with a scripted checker: placeholders are passed
// over, replacements of any length continue at the right word, cancel and the clipboard.
#include "content/MergePlaceholders.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "content/SpellChecker.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"

namespace
{
std::vector<std::string> g_boxes;

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    g_boxes.push_back(pszText);
    return IDOK;
}

// A checker that records each word it is offered and answers from its script: a replacement, or -2, 0.
struct CScriptedChecker
{
    std::map<std::string, std::string> replacements;
    std::map<std::string, int> answers;
    std::vector<std::string> offered;

    int Check(const CString& strWord, CString& strReplacement)
    {
        offered.push_back((const char*)strWord);
        auto answer = answers.find((const char*)strWord);
        if (answer != answers.end())
            return answer->second;
        auto replacement = replacements.find((const char*)strWord);
        if (replacement == replacements.end())
            return -1;
        strReplacement = replacement->second.c_str();
        return 1;
    }
};

class SpellCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_edit.m_hWnd = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 300, 200,
                                        NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE((HWND)NULL, m_edit.m_hWnd);
        m_previous = SetAppMessageBoxHook(RecordBox);
        g_boxes.clear();
        SetSpellCheckProc([this](const CString& w, CString& r) { return m_checker.Check(w, r); });
    }
    void TearDown() override
    {
        SetSpellCheckProc(SpellCheckProc());
        SetAppMessageBoxHook(m_previous);
        DestroyWindow(m_edit.m_hWnd);
    }

    void SetText(const char* pszText) { SetWindowTextA(m_edit.m_hWnd, pszText); }
    std::string Text()
    {
        char szText[4096] = {};
        GetWindowTextA(m_edit.m_hWnd, szText, sizeof(szText));
        return szText;
    }

    CPlainTextEdit m_edit;
    CScriptedChecker m_checker;
    AppMessageBoxHook m_previous = NULL;
};

// The user's clipboard as a test leaves it: a text and a format of another program.
struct CClipboardContent
{
    std::string strText;
    std::string strPrivate;
};

UINT PrivateFormat()
{
    static const UINT s_uFormat = RegisterClipboardFormatA("Vorn test private format");
    return s_uFormat;
}

void PutOnClipboard(const char* pszText, const char* pszPrivate)
{
    ASSERT_TRUE(OpenClipboard(NULL));
    EmptyClipboard();
    for (auto item : {std::make_pair((UINT)CF_TEXT, pszText), std::make_pair(PrivateFormat(), pszPrivate)})
    {
        HGLOBAL hData = GlobalAlloc(GMEM_MOVEABLE, strlen(item.second) + 1);
        strcpy((char*)GlobalLock(hData), item.second);
        GlobalUnlock(hData);
        SetClipboardData(item.first, hData);
    }
    CloseClipboard();
}

CClipboardContent ReadClipboard()
{
    CClipboardContent content;
    if (!OpenClipboard(NULL))
        return content;
    for (auto item : {std::make_pair((UINT)CF_TEXT, &content.strText),
                      std::make_pair(PrivateFormat(), &content.strPrivate)})
    {
        HANDLE hData = GetClipboardData(item.first);
        if (hData != NULL)
        {
            *item.second = (const char*)GlobalLock(hData);
            GlobalUnlock(hData);
        }
    }
    CloseClipboard();
    return content;
}
} // namespace

TEST_F(SpellCheckTest, PlaceholdersAreNeverOfferedAndAStrayPercentIsPassedOver)
{
    SetText("Dear %recipient_firstname% %recipient_surname%,\r\nyour plan%recipient_name% costs 5% of "
            "%recipient_familiar%%recipient_titles% %nobody%");
    EXPECT_TRUE(SpellCheckEditControl(m_edit, TRUE, FALSE));
    const std::vector<std::string> expected = {"Dear", "your", "plan", "costs", "of", "recipient", "titles", "nobody"};
    EXPECT_EQ(expected, m_checker.offered);
    EXPECT_EQ(1, m_edit.m_nFlag);
    EXPECT_TRUE(g_boxes.empty());
}

// Each replacement is followed by the word after it, whether it is longer or shorter than the old word,
// and the word that ends the text is checked too.
TEST_F(SpellCheckTest, ReplacementsOfAnyLengthContinueAtTheNextWord)
{
    SetText("I teh cannnot recieve wrld");
    m_checker.replacements = {{"teh", "the very"}, {"cannnot", "no"}, {"recieve", "receive"}, {"wrld", "world"}};
    EXPECT_TRUE(SpellCheckEditControl(m_edit, TRUE, TRUE));
    const std::vector<std::string> expected = {"I", "teh", "cannnot", "recieve", "wrld"};
    EXPECT_EQ(expected, m_checker.offered);
    EXPECT_EQ("I the very no receive world", Text());
    EXPECT_EQ(std::vector<std::string>{"Spell Check Complete."}, g_boxes);
    DWORD dwStart = 0, dwEnd = 0;
    SendMessageA(m_edit.m_hWnd, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    EXPECT_EQ(Text().size(), dwStart);
    EXPECT_EQ(dwStart, dwEnd);
}

TEST_F(SpellCheckTest, CancelLeavesTextAndClipboardAsTheyWere)
{
    SetText("Frist wrod here");
    PutOnClipboard("the user's text", "another program's data");
    m_checker.replacements = {{"Frist", "First"}};
    m_checker.answers = {{"wrod", -2}};
    EXPECT_FALSE(SpellCheckEditControl(m_edit, TRUE, TRUE));
    EXPECT_EQ("First wrod here", Text());
    EXPECT_EQ((std::vector<std::string>{"Frist", "wrod"}), m_checker.offered);
    EXPECT_TRUE(g_boxes.empty());
    const CClipboardContent after = ReadClipboard();
    EXPECT_EQ("the user's text", after.strText);
    EXPECT_EQ("another program's data", after.strPrivate);

    m_checker.offered.clear();
    m_checker.answers = {{"Frist", -2}};
    SetText("Frist");
    EXPECT_FALSE(SpellCheckEditControl(m_edit, TRUE, FALSE));
    EXPECT_EQ("Frist", Text());
    EXPECT_EQ("the user's text", ReadClipboard().strText);
}

TEST_F(SpellCheckTest, AFailedCheckSaysSoAndTheWalkGoesOn)
{
    SetText("one two three");
    m_checker.answers = {{"two", 0}};
    EXPECT_TRUE(SpellCheckEditControl(m_edit, TRUE, FALSE));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), m_checker.offered);
    EXPECT_EQ(std::vector<std::string>{"Spell error"}, g_boxes);
}

TEST_F(SpellCheckTest, WithoutFromStartTheWalkBeginsAtTheSelection)
{
    SetText("alpha beta gamma");
    SendMessageA(m_edit.m_hWnd, EM_SETSEL, 6, 8);
    EXPECT_TRUE(SpellCheckEditControl(m_edit, FALSE, FALSE));
    EXPECT_EQ((std::vector<std::string>{"beta", "gamma"}), m_checker.offered);
}

TEST_F(SpellCheckTest, PastedTextReplacesTheSelectionAndLeavesTheClipboard)
{
    SetText("Dear Sir,");
    PutOnClipboard("kept", "kept too");
    SendMessageA(m_edit.m_hWnd, EM_SETSEL, 5, 8);
    PasteTextViaClipboard(m_edit, g_pszMergePlaceholders[1]);
    EXPECT_EQ("Dear %recipient_surname%,", Text());
    const CClipboardContent after = ReadClipboard();
    EXPECT_EQ("kept", after.strText);
    EXPECT_EQ("kept too", after.strPrivate);
}

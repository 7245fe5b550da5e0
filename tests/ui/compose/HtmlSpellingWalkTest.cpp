// The HTML spelling walk over the editor control in a window: which words reach the checker, replacements
// written over their words with the formats and separators around them kept, cancel and failure, and the
// real engine answered through its dialog with the user's clipboard left alone.
#include "ui/compose/HtmlSpellingWalk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "content/SpellChecker.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "resources/resource.h"
#include "tests/platform/htmledit/HtmlEditHost.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"

namespace
{
std::vector<std::string> g_boxes;

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    g_boxes.push_back(pszText);
    return IDOK;
}

// A checker that records each word it is offered and answers from its script: a replacement, or a result.
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
} // namespace

class HtmlSpellingWalkTest : public HtmlEditHostTest
{
protected:
    void SetUp() override
    {
        HtmlEditHostTest::SetUp();
        m_previous = SetAppMessageBoxHook(RecordBox);
        g_boxes.clear();
    }
    void TearDown() override
    {
        SetSpellCheckProc(SpellCheckProc());
        SetAppMessageBoxHook(m_previous);
        HtmlEditHostTest::TearDown();
    }
    void UseScriptedChecker()
    {
        SetSpellCheckProc([this](const CString& w, CString& r) { return m_checker.Check(w, r); });
    }
    bool Walk(BOOL bReport)
    {
        CComPtr<IHtmlEditDocument> dom;
        EXPECT_EQ(S_OK, m_pEdit->get_DOM(&dom));
        return SpellCheckHtmlDocument(dom, bReport, m_hHost);
    }

    CScriptedChecker m_checker;
    AppMessageBoxHook m_previous = NULL;
};

// Placeholders are passed over wherever they stand; a "%" that begins none leaves its words to the check, as
// does a word the code page cannot hold. Replacements longer and shorter than their words keep the formats
// and the punctuation around them.
TEST_F(HtmlSpellingWalkTest, PlaceholdersArePassedOverAndReplacementsKeepTheirSurroundings)
{
    UseScriptedChecker();
    Put("<div>Dear %recipient_firstname% %recipient_surname%,</div>"
        "<div>%recipient_name%/%recipient_title% %recipient_initials%.%recipient_familiar%</div>"
        "<div>I <b>recieve</b> teh <i>lettr</i>; costs 5% of %nobody% (mp3)!</div>"
        "<div>\xd0\x9f\xd1\x80\xd0\xb8wet caf\xc3\xa9 Last <u>wrd</u></div>"
        "<div>re<b>cie</b>ve</div>");
    m_checker.replacements = {
        {"recieve", "receive"}, {"teh", "the very"}, {"lettr", "note"}, {"wrd", "word"}};
    EXPECT_TRUE(Walk(FALSE));
    const std::vector<std::string> expected = {"Dear", "I",       "recieve", "teh",  "lettr", "costs",
                                               "of",   "%nobody", "mp3",     "caf\xe9", "Last", "wrd",
                                               "recieve"};
    EXPECT_EQ(expected, m_checker.offered);
    const std::string body = Body();
    EXPECT_NE(std::string::npos, body.find("Dear %recipient_firstname% %recipient_surname%,")) << body;
    EXPECT_NE(std::string::npos, body.find("%recipient_name%/%recipient_title% %recipient_initials%."
                                           "%recipient_familiar%"))
        << body;
    EXPECT_NE(std::string::npos,
              body.find("I <B>receive</B> the very <I>note</I>; costs 5% of %nobody% (mp3)!"))
        << body;
    EXPECT_NE(std::string::npos, body.find("Last <U>word</U></DIV>")) << body;
    // Only the letters that differ are rewritten: the others keep their own formats.
    EXPECT_NE(std::string::npos, body.find("<DIV>re<B>cei</B>ve</DIV>")) << body;
    // Paragraphs stay paragraphs.
    size_t nParagraphs = 0;
    for (size_t n = body.find("<DIV>"); n != std::string::npos; n = body.find("<DIV>", n + 1))
        nParagraphs++;
    EXPECT_EQ(5u, nParagraphs) << body;
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(HtmlSpellingWalkTest, CancelAndFailureStopTheWalkWhereTheyHappen)
{
    struct
    {
        const char* pszHtml;
        const char* pszStop; // the word answered with the result
        int nResult;
        BOOL bReport;
        bool bCompleted;
        std::vector<std::string> offered;
        std::vector<std::string> boxes;
        const char* pszBody;
    } cases[] = {
        {"<div>Frist wrod here</div>", "wrod", -2, TRUE, false, {"Frist", "wrod"}, {},
         "<DIV>First wrod here</DIV>"},
        {"<div>Frist two three</div>", "two", 0, TRUE, false, {"Frist", "two"}, {"Spell error"},
         "<DIV>First two three</DIV>"},
        {"<div>Frist two three</div>", "", 0, TRUE, true, {"Frist", "two", "three"},
         {"Spell Check Complete."}, "<DIV>First two three</DIV>"},
        {"<div>Frist two three</div>", "", 0, FALSE, true, {"Frist", "two", "three"}, {},
         "<DIV>First two three</DIV>"},
    };
    UseScriptedChecker();
    for (const auto& c : cases)
    {
        Put(c.pszHtml);
        g_boxes.clear();
        m_checker.offered.clear();
        m_checker.replacements = {{"Frist", "First"}};
        m_checker.answers.clear();
        if (*c.pszStop)
            m_checker.answers[c.pszStop] = c.nResult;
        EXPECT_EQ(c.bCompleted, Walk(c.bReport)) << c.pszHtml << " " << c.pszStop;
        EXPECT_EQ(c.offered, m_checker.offered) << c.pszStop;
        EXPECT_EQ(c.boxes, g_boxes) << c.pszStop;
        EXPECT_EQ(c.pszBody, Body()) << c.pszStop;
    }
}

TEST_F(HtmlSpellingWalkTest, TheRealEngineCorrectsThroughItsDialogAndLeavesTheClipboard)
{
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
    PutTextAndBitmapOnClipboard("the user's own text");
    Put("<div>Dear %recipient_firstname%, I <b>recieve</b> teh letter; teh end.</div>"
        "<div><i>Absolutly</i> fine, Absolutly.</div>");
    std::vector<std::string> seen;
    CHARRANGE shown = {-1, -1};
    bool bCompleted = false;
    {
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            const std::string strWord = CDialogResponder::ItemText(hDlg, IDC_SPELL_WORD);
            seen.push_back(strWord);
            if (strWord == "recieve")
            {
                ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&shown));
                SaveWindowScreenshot(m_hHost, "html-spelling-walk");
                CDialogResponder::Press(hDlg, IDC_SPELL_CHANGE);
            }
            else if (strWord == "teh")
            {
                CDialogResponder::SetField(hDlg, IDC_SPELL_CHANGE_TO, "the");
                CDialogResponder::Press(hDlg, IDC_SPELL_CHANGE_ALL);
            }
            else if (strWord == "Absolutly")
                CDialogResponder::Press(hDlg, IDC_SPELL_IGNORE_ALL);
            else
                CDialogResponder::Press(hDlg, IDCANCEL);
            return true;
        });
        bCompleted = Walk(TRUE);
    }
    EXPECT_TRUE(bCompleted);
    EXPECT_EQ((std::vector<std::string>{"recieve", "teh", "Absolutly"}), seen);
    // The word asked about is the one selected, without the space after it.
    EXPECT_EQ(30, shown.cpMin);
    EXPECT_EQ(37, shown.cpMax);
    EXPECT_EQ(std::vector<std::string>{"Spell Check Complete."}, g_boxes);
    EXPECT_EQ("<DIV>Dear %recipient_firstname%, I <B>receive</B> the letter; the end.</DIV>"
              "<DIV><I>Absolutly</I> fine, Absolutly.</DIV>",
              Body());
    EXPECT_EQ("the user's own text 7x5", ReadClipboard());
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
}

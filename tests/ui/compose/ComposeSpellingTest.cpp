// Sending with the spelling check before sending switched on, in the new-message window on its own thread
// with the real engine: the check runs quietly, a halted check asks whether to send anyway, a checker that
// cannot be made offers the spelling component, and the menu's Spelling announces its end again.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComposeTestStore.h"
#include "DialogResponder.h"
#include "RecordingThread.h"
#include "UiThread.h"
#include "WindowReaders.h"
#include "content/SpellChecker.h"
#include "foundation/Paths.h"
#include "platform/htmledit/HtmlEdit.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/MainFrameNewMessage.h"

extern CAppModule _Module;

using namespace ComposeCommand;

namespace
{
const char kUpdateUrl[] = "http://updates.example.org/orb";

std::vector<std::vector<std::string>> g_installs;

int RecordInstall(const char* pszComponent, const char* pszFolderUrl, const char* pszInstallDir)
{
    g_installs.push_back({pszComponent, pszFolderUrl, pszInstallDir});
    return 0;
}

void RegisterEngine(const std::string& strEngine, const std::string& strDictionary)
{
    HKEY hKey = NULL;
    const std::string strKey = std::string(g_pszSpellingKey) + "\\1033\\Normal";
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, NULL, 0, KEY_WRITE,
                                               NULL, &hKey, NULL));
    ::RegSetValueExA(hKey, "Engine", 0, REG_SZ, (const BYTE*)strEngine.c_str(), (DWORD)strEngine.size() + 1);
    ::RegSetValueExA(hKey, "Dictionary", 0, REG_SZ, (const BYTE*)strDictionary.c_str(),
                     (DWORD)strDictionary.size() + 1);
    ::RegCloseKey(hKey);
}

bool EndsWith(const std::string& strText, const std::string& strEnd)
{
    return strText.size() >= strEnd.size() &&
           strText.compare(strText.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}
} // namespace

class ComposeSpellingTest : public ComposeStoreTest
{
protected:
    ComposeSpellingTest() : ComposeStoreTest("composespell") {}

    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        CHtmlEdit::SetAvailable(false);
        // The settings are saved when the test's store closes: what is changed here is put back.
        m_bCheckSpelling = m_pRegistry->m_bCheckSpelling;
        m_strUpdateUrl = m_pRegistry->m_strUpdateUrl;
        m_pRegistry->m_bCheckSpelling = 1;
        m_pRegistry->m_strUpdateUrl = kUpdateUrl;
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
        g_installs.clear();
        m_pfnInstaller = SetComponentInstaller(RecordInstall);
    }
    void TearDown() override
    {
        CloseNow();
        SetComponentInstaller(m_pfnInstaller);
        CHtmlEdit::SetAvailable(true);
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
        m_pRegistry->m_bCheckSpelling = m_bCheckSpelling;
        m_pRegistry->m_strUpdateUrl = m_strUpdateUrl;
        ComposeStoreTest::TearDown();
    }

    HWND Open()
    {
        CNewMessageArgs args;
        m_pUi.reset(new CUiThread(_Module));
        m_hFrame = m_pUi->Start([this, args] {
            m_pFrame.reset(
                new CMainFrameNewMessage(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId(), args));
            HWND hWnd = m_pFrame->CreateEx();
            if (hWnd != NULL)
                ::ShowWindow(hWnd, SW_SHOW);
            return hWnd;
        });
        m_pUi->WaitUntilIdle();
        return m_hFrame;
    }
    void CloseNow()
    {
        if (m_pUi && m_hFrame != NULL && ::IsWindow(m_hFrame))
            ::PostMessageA(m_hFrame, WM_CLOSE, 0, 0);
        if (m_pUi)
            m_pUi->WaitForExit();
        m_pUi.reset();
        m_pFrame.reset();
        m_hFrame = NULL;
    }
    bool IsOpen() { return m_hFrame != NULL && ::IsWindow(m_hFrame); }
    HWND Item(int nID) { return ::GetDlgItem(m_pFrame->m_dialog.m_hWnd, nID); }
    void SetText(int nID, const char* pszText) { ::SendMessageA(Item(nID), WM_SETTEXT, 0, (LPARAM)pszText); }
    void Address(const char* pszBody)
    {
        SetText(IDC_COMPOSE_TO, "tom@x.org");
        SetText(IDC_COMPOSE_SUBJECT, "Figures");
        if (pszBody != NULL)
            SetText(IDC_COMPOSE_BODY, pszBody);
    }
    // Sends and waits until the window has gone, or until the boxes of a window that stays were asked.
    void Send(bool bLeaves, size_t nBoxes)
    {
        ::PostMessageA(m_hFrame, WM_COMMAND, ID_SEND, 0);
        if (bLeaves)
            EXPECT_TRUE(m_pUi->WaitForExit());
        else
            EXPECT_TRUE(WaitFor([&] { return m_user.m_boxes.size() >= nBoxes; }));
        m_pUi->WaitUntilIdle();
    }
    long RowsInOutbox()
    {
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", (long)FolderOfType(2));
        return Query(strSQL);
    }
    std::string LastStored()
    {
        CString strSQL;
        strSQL.Format("SELECT MAX(EmailsID) FROM Emails WHERE FolderID = %ld", (long)FolderOfType(2));
        LONG nID = Query(strSQL);
        if (nID <= 0)
            return "";
        CEmailsImpl<> store(LocalSession());
        store.SelectByID(nID, NULL);
        std::string strText = (const char*)store.GetMessage();
        store.Close();
        return strText;
    }
    // Answers the spelling dialog with the button and counts the words it asked about.
    std::unique_ptr<CDialogResponder> AnswerSpelling(int nButton, std::vector<std::string>& asked)
    {
        return std::unique_ptr<CDialogResponder>(
            new CDialogResponder(m_pUi->ThreadId(), [&asked, nButton](HWND hDlg) {
                if (WindowText(hDlg) != "Spelling")
                    return false;
                asked.push_back(CDialogResponder::ItemText(hDlg, IDC_SPELL_WORD));
                return CDialogResponder::Press(hDlg, nButton);
            }));
    }

    CRecordingThread m_manager;
    std::unique_ptr<CUiThread> m_pUi;
    std::unique_ptr<CMainFrameNewMessage> m_pFrame;
    HWND m_hFrame = NULL;
    ComponentInstaller m_pfnInstaller = NULL;
    int m_bCheckSpelling = 0;
    CString m_strUpdateUrl;
};

TEST_F(ComposeSpellingTest, SendingChecksQuietlyAndAHaltedCheckAsksWhetherToSendAnyway)
{
    struct
    {
        const char* pszBody;
        int nButton;     // the spelling dialog's answer
        int nSendAnyway; // the answer to string 103, 0 when it must not be asked
        std::vector<std::string> asked;
        const char* pszStored; // null when nothing is sent
    } cases[] = {
        {"Dear Tom, the figures are here.", IDCANCEL, 0, {}, "Dear Tom, the figures are here."},
        {"I recieve the figures.", IDC_SPELL_CHANGE, 0, {"recieve"}, "I receive the figures."},
        {"I recieve the figures.", IDCANCEL, IDYES, {"recieve"}, "I recieve the figures."},
        {"I recieve the figures.", IDCANCEL, IDNO, {"recieve"}, NULL},
    };
    for (const auto& c : cases)
    {
        const long nBefore = RowsInOutbox();
        ASSERT_TRUE(Open() != NULL);
        Address(c.pszBody);
        std::vector<std::string> asked;
        auto responder = AnswerSpelling(c.nButton, asked);
        m_user.m_boxes.clear();
        m_user.m_boxAnswers.clear();
        if (c.nSendAnyway != 0)
            m_user.m_boxAnswers.push_back(c.nSendAnyway);
        Send(c.pszStored != NULL, c.nSendAnyway != 0 ? 1 : 0);
        EXPECT_EQ(c.asked, asked) << c.pszBody;
        // Never "Spell Check Complete." while sending.
        EXPECT_EQ(c.nSendAnyway != 0 ? std::vector<std::string>{ComposeText::kSpellHalted}
                                     : std::vector<std::string>{},
                  m_user.m_boxes)
            << c.pszBody;
        EXPECT_EQ(c.pszStored != NULL ? 1 : 0, RowsInOutbox() - nBefore) << c.pszBody;
        if (c.pszStored != NULL)
        {
            EXPECT_NE(std::string::npos, LastStored().find(c.pszStored)) << c.pszBody;
            continue;
        }
        // The window stays, and its Spelling command announces the end again.
        ASSERT_TRUE(IsOpen());
        responder.reset();
        asked.clear();
        responder = AnswerSpelling(IDC_SPELL_IGNORE, asked);
        m_user.m_boxes.clear();
        EXPECT_EQ(0, ::SendMessageA(m_hFrame, WM_COMMAND, ID_SPELLING, 0));
        EXPECT_EQ(std::vector<std::string>{"recieve"}, asked);
        EXPECT_EQ(std::vector<std::string>{"Spell Check Complete."}, m_user.m_boxes);
        responder.reset();
        CloseNow();
    }
}

TEST_F(ComposeSpellingTest, AMissingEngineOffersTheSpellingComponentAndThenAsksWhetherToSendAnyway)
{
    const std::string strMissing = "C:\\no-such-folder\\" SPELL_ENGINE_FILE_NAME;
    RegisterEngine(strMissing, "C:\\no-such-folder\\" SPELL_LEXICON_FILE_NAME);
    ASSERT_TRUE(Open() != NULL);
    Address("Dear Tom, the figures are here.");
    m_user.m_boxes.clear();
    m_user.m_boxAnswers = {IDYES, IDNO};
    Send(false, 2);
    ASSERT_EQ(2u, m_user.m_boxes.size());
    const std::string strOffer = m_user.m_boxes[0];
    EXPECT_EQ(0u, strOffer.find("ERROR: ERROR:\nFailed " + strMissing + " load.\r\n")) << strOffer;
    EXPECT_TRUE(EndsWith(strOffer, " Do you want to download and instal it from internet?")) << strOffer;
    EXPECT_EQ(ComposeText::kSpellHalted, m_user.m_boxes[1]);
    ASSERT_EQ(1u, g_installs.size());
    EXPECT_EQ((std::vector<std::string>{"SPELLING/1033", std::string(kUpdateUrl) + "/",
                                        (const char*)m_pRegistry->GetDefaultInstallDirectory()}),
              g_installs[0]);
    EXPECT_EQ(0, RowsInOutbox());
    EXPECT_TRUE(IsOpen());

    // The broken registration is gone: the next check registers the engine beside the client and runs.
    m_user.m_boxes.clear();
    EXPECT_EQ(0, ::SendMessageA(m_hFrame, WM_COMMAND, ID_SPELLING, 0));
    EXPECT_EQ(std::vector<std::string>{"Spell Check Complete."}, m_user.m_boxes);

    // No is the end of it: nothing is fetched.
    RegDeleteKeyTree(HKEY_LOCAL_MACHINE, g_pszSpellingKey);
    RegisterEngine(strMissing, "C:\\no-such-folder\\" SPELL_LEXICON_FILE_NAME);
    m_user.m_boxes.clear();
    m_user.m_boxAnswers = {IDNO};
    ::SendMessageA(m_hFrame, WM_COMMAND, ID_SPELLING, 0);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    EXPECT_EQ(strOffer, m_user.m_boxes[0]);
    EXPECT_EQ(1u, g_installs.size());
}

TEST_F(ComposeSpellingTest, AnHtmlMessageIsCorrectedInTheEditorBeforeItIsSent)
{
    CHtmlEdit::SetAvailable(true);
    ASSERT_TRUE(Open() != NULL);
    CDHTMLEditHost& editor = m_pFrame->m_dialog.m_editor;
    bool bPut = false;
    m_pUi->Invoke([&] {
        bPut = editor.m_spEdit != NULL &&
               SUCCEEDED(editor.m_spEdit->put_DocumentHTML(
                   CComBSTR(L"<HTML><BODY><DIV>I <B>recieve</B> the figures.</DIV></BODY></HTML>")));
    });
    ASSERT_TRUE(bPut);
    m_pUi->WaitUntilIdle();
    Address(NULL);
    std::vector<std::string> asked;
    auto responder = AnswerSpelling(IDC_SPELL_CHANGE, asked);
    m_user.m_boxes.clear();
    Send(true, 0);
    EXPECT_EQ(std::vector<std::string>{"recieve"}, asked);
    EXPECT_EQ(std::vector<std::string>{}, m_user.m_boxes);
    const std::string strStored = LastStored();
    EXPECT_NE(std::string::npos, strStored.find("<B>receive</B> the figures.")) << strStored;
    EXPECT_EQ(std::string::npos, strStored.find("recieve"));
}

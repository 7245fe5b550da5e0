// The message body view on its page host: stored messages shown through their view files, the Encoding
// commands, the hand-over event, the Print state with the focus, the download notice, the status text of a
// link, the Edit commands and the find in page.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BodyOwnerWindow.h"
#include "ComposeTestStore.h"
#include "app/LetrovaGlobals.h"
#include "foundation/Paths.h"
#include "store/MessageView.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "ui/compose/CtrlMessageBody.h"

namespace
{
const char kHeader[] = "From: a@x.org\r\nTo: b@x.org\r\nSubject: s\r\nMIME-Version: 1.0\r\n";
const WORD kPrint = 57607;

std::string Utf8(const std::wstring& text)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], n, NULL, NULL);
    return out;
}

std::string ReadTestData(const char* pszName)
{
    return ReadFileBytes(CString(ORB_TEST_DATA_DIR) + "/" + pszName);
}

class CtrlMessageBodyTest : public ComposeStoreTest
{
protected:
    CtrlMessageBodyTest() : ComposeStoreTest("message-body") {}
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_hEvent = ::CreateEventA(NULL, FALSE, TRUE, NULL);
        CCtrlMessageBody::s_hHandOverEvent = m_hEvent;
        HWND hOwner = m_ui.Start([this]() -> HWND {
            m_owner.m_pDatabase = &m_pDatabase->m_Local;
            m_owner.m_pRegistry = m_pRegistry.get();
            m_owner.m_dwManagerThreadId = m_manager.ThreadId();
            HWND hWnd = m_owner.CreateOwner();
            m_pBody = new CCtrlMessageBody(hWnd);
            m_pBody->Create(hWnd);
            m_owner.m_hWndBody = m_pBody->m_hWnd;
            m_pBody->MoveWindow(0, 0, 640, 420);
            return hWnd;
        });
        ASSERT_NE(hOwner, (HWND)NULL);
        ASSERT_NE(m_pBody->m_hWnd, (HWND)NULL);
        ASSERT_NE(m_pBody->m_spBrowser, nullptr);
        m_pView = CHtmlView::FromWindow(m_pBody->m_hWndBrowser);
        ASSERT_NE(m_pView, nullptr);
    }

    void TearDown() override
    {
        m_ui.Invoke([this]() {
            delete m_pBody;
            m_pBody = NULL;
            m_owner.DestroyWindow();
        });
        m_ui.PostQuit();
        m_ui.WaitForExit();
        CCtrlMessageBody::s_hHandOverEvent = NULL;
        ::CloseHandle(m_hEvent);
        ComposeStoreTest::TearDown();
    }

    size_t Downloads()
    {
        size_t n = 0;
        m_ui.Invoke([&]() { n = m_owner.m_downloads.size(); });
        return n;
    }

    // Runs the command on the UI thread and waits for the page it navigates to.
    void Command(WORD wID, LPARAM lParam, bool bWaitForPage = true)
    {
        size_t nBefore = Downloads();
        m_ui.Invoke([&]() { m_pBody->SendMessage(WM_COMMAND, wID, lParam); });
        if (bWaitForPage)
            ASSERT_TRUE(WaitFor([&]() { return Downloads() > nBefore; }));
    }

    void Show(LONG nEmailsID)
    {
        CEmailsImpl<> store(LocalSession());
        ASSERT_TRUE(store.OpenByKey(nEmailsID, TRUE));
        Command(ID_VIEW_MESSAGE_BODY_ID, (LPARAM)&store);
    }

    void NavigateTo(const std::string& strHtml)
    {
        CString strPath = m_folder.Path("page.htm");
        WriteFileBytes(strPath, strHtml);
        size_t nBefore = Downloads();
        m_ui.Invoke([&]() { m_pBody->Navigate(strPath); });
        ASSERT_TRUE(WaitFor([&]() { return Downloads() > nBefore; }));
    }

    std::string PageText()
    {
        std::string text;
        m_ui.Invoke([&]() { text = Utf8(m_pView->Text()); });
        return text;
    }

    std::string ClipboardText()
    {
        std::string text;
        m_ui.Invoke([&]() {
            if (!::OpenClipboard(m_owner.m_hWnd))
                return;
            HANDLE h = ::GetClipboardData(CF_TEXT);
            if (h != NULL)
            {
                text = (const char*)::GlobalLock(h);
                ::GlobalUnlock(h);
            }
            ::CloseClipboard();
        });
        return text;
    }

    void SetClipboard(const char* pszText)
    {
        m_ui.Invoke([&]() {
            if (!::OpenClipboard(m_owner.m_hWnd))
                return;
            ::EmptyClipboard();
            HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, strlen(pszText) + 1);
            strcpy((char*)::GlobalLock(h), pszText);
            ::GlobalUnlock(h);
            ::SetClipboardData(CF_TEXT, h);
            ::CloseClipboard();
        });
    }

    static const WORD ID_VIEW_MESSAGE_BODY_ID = 32797;

    HANDLE m_hEvent = NULL;
    CRecordingThread m_manager;
    CUiThread m_ui{_Module};
    CBodyOwnerWindow m_owner;
    CCtrlMessageBody* m_pBody = NULL;
    CHtmlView* m_pView = NULL;
};

TEST_F(CtrlMessageBodyTest, ShowsAStoredTextMessageEscapedWithItsBlanksAndLineEnds)
{
    LONG nID = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nfirst line\r\n"
                                                "    second <b>line</b>\r\n\r\nthird   x",
                         FOLDER_INBOX);
    Show(nID);
    EXPECT_EQ("first line\r\n    second <b>line</b>\r\n\r\nthird   x", PageText());
    std::string strFile = ReadFileBytes(m_pBody->m_strHtmlFile);
    EXPECT_NE(std::string::npos,
              strFile.find("first line<BR>    second &lt;b&gt;line&lt;/b&gt;<BR><BR>third   x"))
        << strFile;
    EXPECT_EQ(nID, m_pBody->m_nEmailsID);
    // The message commands are on while a message is shown.
    for (WORD wID : {57601, 57604, 33050, 32906, 32911, 33004, 33025})
        EXPECT_EQ(1, m_owner.EnabledState(wID)) << wID;
}

TEST_F(CtrlMessageBodyTest, ShowsUnlabelledPlainTextThatIsUtf8AsUtf8)
{
    // Neither message names a charset; the first one's bytes are UTF-8, the second one's windows-1252.
    LONG nUtf8 = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nna\xC3\xAFve \xC2\xA3" "5",
                           FOLDER_INBOX);
    Show(nUtf8);
    EXPECT_EQ("na\xC3\xAFve \xC2\xA3" "5", PageText());
    LONG nLatin = StoreText(std::string(kHeader) + "\r\nna\xEFve \xA3" "5", FOLDER_INBOX);
    Show(nLatin);
    EXPECT_EQ("na\xC3\xAFve \xC2\xA3" "5", PageText());
}

TEST_F(CtrlMessageBodyTest, ShowsAStoredHtmlMessageAndOneWithAnInlineImage)
{
    LONG nHtml = StoreText(std::string(kHeader) +
                               "Content-Type: text/html\r\n\r\n<html><body><p>Hello <b>there</b></p></body></html>",
                           FOLDER_INBOX);
    Show(nHtml);
    EXPECT_EQ("Hello there", PageText());

    LONG nPicture = StoreText(ReadTestData("mime/related-inline-image.eml"), FOLDER_INBOX);
    Show(nPicture);
    EXPECT_EQ("Look:", PageText().substr(0, 5));
    // The image was written beside the view file and the page names it there.
    std::string strFile = ReadFileBytes(m_pBody->m_strHtmlFile);
    size_t nAt = strFile.find("my image.png");
    ASSERT_NE(std::string::npos, nAt) << strFile;
    CString strFolder = GetPathFolder(m_pBody->m_strHtmlFile);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strFolder + "my image.png"));
    EXPECT_EQ(std::string::npos, strFile.find("cid:"));
}

TEST_F(CtrlMessageBodyTest, TwoViewsWriteFilesOfTheirOwn)
{
    CCtrlMessageBody* pSecond = NULL;
    m_ui.Invoke([&]() {
        pSecond = new CCtrlMessageBody(m_owner.m_hWnd);
        pSecond->Create(m_owner.m_hWnd);
    });
    EXPECT_NE(m_pBody->m_strHtmlFile, pSecond->m_strHtmlFile);
    m_ui.Invoke([&]() { delete pSecond; });
}

TEST_F(CtrlMessageBodyTest, EachEncodingItemRendersInItsCharsetStoresItAndChecksItsItem)
{
    // Bytes E1 E2: two Cyrillic capitals in KOI8-R, two small letters in windows-1251, a-acute and
    // a-circumflex in the message's own charset.
    LONG nID = StoreText(std::string(kHeader) + "Content-Type: text/plain; charset=iso-8859-1\r\n\r\nx\xE1\xE2",
                         FOLDER_INBOX);
    Show(nID);
    HMENU hMenu = ::CreatePopupMenu();
    for (WORD wID = 33004; wID <= 33025; wID++)
        ::AppendMenuA(hMenu, MF_STRING, wID, "item");
    for (WORD wID = 33004; wID <= 33025; wID++)
    {
        const BYTE nIndex = wID == 33025 ? 0 : (BYTE)(wID - 33003);
        Command(wID, 0);
        CString strSQL;
        strSQL.Format("SELECT Encode FROM Emails WHERE EmailsID = %ld", (long)nID);
        EXPECT_EQ(nIndex, Query(strSQL)) << wID;
        EXPECT_EQ(nIndex, m_pBody->m_nEncode) << wID;
        // The view file declares the chosen charset.
        const char* pszCharset = nIndex == 0 ? "iso-8859-1" : GetEncodeCharsetName(nIndex);
        std::string strFile = ReadFileBytes(m_pBody->m_strHtmlFile);
        EXPECT_NE(std::string::npos, strFile.find(std::string("charset=") + pszCharset)) << wID << strFile;
        CEmailsImpl<> store(LocalSession());
        ASSERT_TRUE(store.OpenByKey(nID, FALSE));
        store.CheckEncodingMenuItem(hMenu);
        for (WORD wItem = 33004; wItem <= 33025; wItem++)
            EXPECT_EQ(wItem == wID, (::GetMenuState(hMenu, wItem, MF_BYCOMMAND) & MF_CHECKED) != 0)
                << wID << " " << wItem;
        if (wID == 33010)
            EXPECT_EQ("x\xD0\x90\xD0\x91", PageText()) << "KOI8-R";
        if (wID == 33012)
            EXPECT_EQ("x\xD0\xB1\xD0\xB2", PageText()) << "windows-1251";
        if (wID == 33025)
            EXPECT_EQ("x\xC3\xA1\xC3\xA2", PageText()) << "default";
    }
    ::DestroyMenu(hMenu);
}

TEST_F(CtrlMessageBodyTest, AMessageFileKeepsTheChosenCharsetInTheViewOnly)
{
    CString strPath = m_folder.Path("koi.eml");
    WriteFileBytes(strPath, std::string(kHeader) + "Content-Type: text/plain\r\n\r\n\xE1\xE2");
    CEmailsImpl<> store(LocalSession());
    store.OpenMessageFile(strPath, 0);
    Command(ID_VIEW_MESSAGE_BODY_ID, (LPARAM)&store);
    Command(33010, 0);
    EXPECT_EQ("\xD0\x90\xD0\x91", PageText());
    EXPECT_EQ(7, m_pBody->m_nEncode);
    EXPECT_EQ(-1, Query("SELECT EmailsID FROM Emails"));
}

TEST_F(CtrlMessageBodyTest, TheHandOverEventIsSetOnEveryPathTimeOutIncluded)
{
    LONG nID = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nbody", FOLDER_INBOX);

    struct Case
    {
        const char* pszName;
        bool bTaken;  // someone else holds the event: the view waits it out
        int nEncode;  // an index the store cannot name makes the view fail
    } cases[] = {{"free", false, 0}, {"held until the wait runs out", true, 0}, {"failing view", false, 99}};
    for (const Case& c : cases)
    {
        if (c.bTaken)
            ::ResetEvent(m_hEvent);
        else
            ::SetEvent(m_hEvent);
        CEmailsImpl<> store(LocalSession());
        ASSERT_TRUE(store.OpenByKey(nID, TRUE));
        store.m_Encode = (BYTE)c.nEncode;
        size_t nBoxes = m_user.m_boxes.size();
        m_ui.Invoke([&]() { m_pBody->SendMessage(WM_COMMAND, ID_VIEW_MESSAGE_BODY_ID, (LPARAM)&store); }, 60000);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_hEvent, 0)) << c.pszName;
        EXPECT_EQ(c.nEncode == 99, m_user.m_boxes.size() > nBoxes) << c.pszName;
    }
}

TEST_F(CtrlMessageBodyTest, DeletingTheShownMessageEmptiesTheViewAndAnotherLeavesIt)
{
    LONG nShown = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nshown", FOLDER_INBOX);
    Show(nShown);
    m_ui.Invoke([&]() { m_pBody->SendMessage(WM_COMMAND, 33027, (LPARAM)(nShown + 1)); });
    EXPECT_EQ("shown", PageText());
    Command(33027, (LPARAM)nShown);
    EXPECT_EQ("", PageText());
    EXPECT_EQ(0, m_pBody->m_nEmailsID);
    EXPECT_EQ(0, m_owner.EnabledState(32906));
}

TEST_F(CtrlMessageBodyTest, RereadingAMessageThatIsGoneSaysSoAndKeepsThePage)
{
    LONG nID = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nstill here", FOLDER_INBOX);
    Show(nID);
    CString strSQL;
    strSQL.Format("DELETE FROM Address WHERE EmailID = %ld", (long)nID);
    Exec(strSQL);
    strSQL.Format("DELETE FROM Emails WHERE EmailsID = %ld", (long)nID);
    Exec(strSQL);
    Command(32779, 0, false);
    ASSERT_FALSE(m_user.m_boxes.empty());
    EXPECT_EQ("ERROR: Message is not found", m_user.m_boxes.back());
    EXPECT_EQ("still here", PageText());
}

TEST_F(CtrlMessageBodyTest, TheMarkReadTimerClearsTheUnreadBitAndTellsTheManager)
{
    LONG nID = StoreText(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nunread", FOLDER_INBOX);
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Flags = 2 WHERE EmailsID = %ld", (long)nID);
    Exec(strSQL);
    m_pRegistry->m_bMarkRead = 1;
    m_pRegistry->m_nMarkReadTimeOut = 1;
    m_pBody->m_bMarkReadByTimer = TRUE;
    Show(nID);
    strSQL.Format("SELECT Flags FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_TRUE(WaitFor([&]() { return (Query(strSQL) & 2) == 0; }));
    EXPECT_TRUE(m_manager.WaitForCommand(32783));
}

TEST_F(CtrlMessageBodyTest, FocusInThePageEnablesPrintAndLeavingItDisablesIt)
{
    NavigateTo("<p>focus</p>");
    m_ui.Invoke([&]() { ::SetFocus(m_pBody->m_hWndBrowser); });
    EXPECT_EQ(1, m_owner.EnabledState(kPrint));
    m_ui.Invoke([&]() { ::SetFocus(m_owner.m_hWndEdit); });
    EXPECT_EQ(0, m_owner.EnabledState(kPrint));
    m_ui.Invoke([&]() { ::SetFocus(m_pBody->m_hWnd); });
    EXPECT_EQ(1, m_owner.EnabledState(kPrint));
}

TEST_F(CtrlMessageBodyTest, ADownloadPostsItsNoticeWithTheValueAndClearsTheStatusBar)
{
    m_ui.Invoke([&]() {
        m_owner.m_statusTexts.push_back("old text");
        m_pBody->SetDownloadCompleteValue(1234);
    });
    NavigateTo("<p>done</p>");
    m_ui.Invoke([&]() {
        ASSERT_FALSE(m_owner.m_downloads.empty());
        EXPECT_EQ(1234, m_owner.m_downloads.back());
        EXPECT_EQ("", m_owner.m_statusTexts.back());
        EXPECT_EQ(0, m_pBody->m_lDownloadComplete);
    });
}

TEST_F(CtrlMessageBodyTest, ALinkUnderThePointerSetsTheStatusText)
{
    NavigateTo("<p><a href='http://example.com/info'>link</a></p><p>plain</p>");
    m_ui.Invoke([&]() {
        POINT link = {}, plain = {};
        for (const auto& run : m_pView->Layout()->Runs())
        {
            POINT pt = m_pView->ToClient(run.x + 1, run.line.y + run.line.h / 2);
            if (run.text == "link")
                link = pt;
            else if (run.text == "plain")
                plain = pt;
        }
        ::SendMessageA(m_pBody->m_hWndBrowser, WM_MOUSEMOVE, 0, MAKELPARAM(link.x, link.y));
        ASSERT_FALSE(m_owner.m_statusTexts.empty());
        EXPECT_EQ("http://example.com/info", m_owner.m_statusTexts.back());
        ::SendMessageA(m_pBody->m_hWndBrowser, WM_MOUSEMOVE, 0, MAKELPARAM(plain.x, plain.y));
        EXPECT_EQ("", m_owner.m_statusTexts.back());
    });
}

TEST_F(CtrlMessageBodyTest, SelectAllAndCopyWorkWhileTheFocusIsInThePageOnly)
{
    NavigateTo("<p>First para</p><p>second</p>");
    SetClipboard("before");
    BOOL bHandled = TRUE;
    m_ui.Invoke([&]() {
        ::SetFocus(m_owner.m_hWndEdit);
        LRESULT lResult = 0;
        bHandled = m_pBody->ProcessWindowMessage(m_pBody->m_hWnd, WM_COMMAND, 32877, 0, lResult);
        bHandled |= m_pBody->ProcessWindowMessage(m_pBody->m_hWnd, WM_COMMAND, 57634, 0, lResult);
    });
    EXPECT_FALSE(bHandled);
    EXPECT_EQ("before", ClipboardText());
    EXPECT_FALSE(m_pBody->IsCopyEnabled(m_pBody->m_hWndBrowser));

    m_ui.Invoke([&]() {
        ::SetFocus(m_pBody->m_hWndBrowser);
        m_pBody->SendMessage(WM_COMMAND, 32877, 0);
        m_pBody->SendMessage(WM_COMMAND, 57634, 0);
    });
    EXPECT_EQ("First para\r\nsecond", ClipboardText());
    // Only a window inside the page can copy from it, whatever the page has selected.
    EXPECT_TRUE(m_pBody->IsCopyEnabled(m_pBody->m_hWndBrowser));
    EXPECT_FALSE(m_pBody->IsCopyEnabled(m_owner.m_hWndEdit));
    EXPECT_FALSE(m_pBody->IsCopyEnabled(m_owner.m_hWnd));
}

TEST_F(CtrlMessageBodyTest, FindTextFindsInThePageAndThePageStays)
{
    NavigateTo("<p>one two three two</p>");
    CComBSTR before;
    m_pBody->m_spBrowser->get_LocationURL(&before);
    m_ui.Invoke([&]() {
        ::SetFocus(m_pBody->m_hWndBrowser);
        m_pBody->PostMessage(WM_COMMAND, 32878, 0);
    });
    HWND hFind = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND h : ThreadWindows(m_ui.ThreadId(), "#32770"))
            hFind = h;
        return hFind != NULL;
    }));
    ::SetDlgItemTextA(hFind, 1152, "three");
    ::PostMessageA(hFind, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(hFind, IDOK));
    std::string strSelected;
    EXPECT_TRUE(WaitFor([&]() {
        m_ui.Invoke([&]() { strSelected = Utf8(m_pView->SelectedText()); });
        return strSelected == "three";
    }));
    ::PostMessageA(hFind, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)::GetDlgItem(hFind, IDCANCEL));
    CComBSTR after;
    m_pBody->m_spBrowser->get_LocationURL(&after);
    EXPECT_EQ(std::wstring(before.m_str), std::wstring(after.m_str));
    EXPECT_EQ("one two three two", PageText());
}

TEST_F(CtrlMessageBodyTest, ARefusedAddressIsReportedAsANavigateError)
{
    std::string strError;
    m_ui.Invoke([&]() {
        try
        {
            m_pBody->Navigate("about:config");
        }
        catch (CException* pException)
        {
            strError = (const char*)pException->m_strMessage;
            delete pException;
        }
    });
    EXPECT_EQ("Web Browser Navigate error: One or more parameters are invalid.", strError);
}
TEST_F(CtrlMessageBodyTest, ATextIsShownThroughItsFileAndAFileThatStaysLockedIsGivenUp)
{
    const CString strPath = GetTempHtmlPath() + "\\RuleDescription.htm";
    size_t nBefore = Downloads();
    m_ui.Invoke([&]() { m_pBody->NavigateText("<p>first &amp; only</p>", "RuleDescription.htm"); });
    ASSERT_TRUE(WaitFor([&]() { return Downloads() > nBefore; }));
    EXPECT_NE(std::string::npos, PageText().find("first & only"));

    // A file the control never lets go of ends the attempts with the failure, not an endless loop.
    HANDLE hHeld = ::CreateFileA(strPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    std::string strError;
    m_ui.Invoke([&]() {
        try
        {
            m_pBody->NavigateText("<p>second</p>", "RuleDescription.htm");
        }
        catch (CException* pException)
        {
            strError = (const char*)pException->m_strMessage;
            delete pException;
        }
    });
    ::CloseHandle(hHeld);
    EXPECT_EQ(0u, strError.find("CCtrlWebBrowserImpl::NavigateText(...) failed!\r\n")) << strError;

    // Without a name the text goes to Text0.htm.
    nBefore = Downloads();
    m_ui.Invoke([&]() { m_pBody->NavigateText("<p>third</p>"); });
    ASSERT_TRUE(WaitFor([&]() { return Downloads() > nBefore; }));
    EXPECT_NE(std::string::npos, PageText().find("third"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(GetTempHtmlPath() + "\\Text0.htm"));
}
} // namespace

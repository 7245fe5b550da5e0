// Both message windows on a store of their own, driven through their commands and read back: the header
// layout, the title, reply and forward, the database commands, a missing message, stepping through a
// folder's messages and through a folder of ".eml" files, saving an attachment.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/MainFrameMessage.h"
#include "ui/main/MainFrameMessageFile.h"

namespace
{
const char kSettingsApplication[] = "LetrovaMessageWindowTests";

bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 2000; i++)
    {
        if (done())
            return true;
        Sleep(10);
    }
    return done();
}

std::string Quoted(const std::string& strText)
{
    std::string strOut;
    for (char c : strText)
    {
        strOut += c;
        if (c == '\'')
            strOut += '\'';
    }
    return strOut;
}

std::string Title(HWND hWnd)
{
    char szTitle[512] = "";
    GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    return szTitle;
}

// A child's rectangle in its parent's client co-ordinates.
RECT ChildRect(HWND hWnd)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    MapWindowPoints(NULL, GetParent(hWnd), (POINT*)&rc, 2);
    return rc;
}

std::string Attachment(const char* pszName, const char* pszBase64)
{
    return std::string("--mix\r\nContent-Type: application/octet-stream; name=\"") + pszName +
           "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"" +
           pszName + "\"\r\n\r\n" + pszBase64 + "\r\n";
}

// An HTML message with a Cc and two attachments.
std::string HtmlWithAttachments()
{
    return "From: =?iso-8859-1?Q?Andr=E9?= <andre@example.org>\r\n"
           "To: Bea <bea@example.org>\r\n"
           "Cc: Cy <cy@example.org>\r\n"
           "Date: Tue, 1 Dec 2026 10:00:00 +0000\r\n"
           "Subject: =?iso-8859-1?Q?Quarterly_r=E9port?=\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=mix\r\n\r\n"
           "--mix\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n"
           "<html><body><p>The figures are <b>attached</b>.</p></body></html>\r\n" +
           Attachment("figures.csv", "YSxiLGMKMSwyLDMK") + Attachment("notes.txt", "bm90ZXMK") +
           "--mix--\r\n";
}

std::string PlainMessage(const std::string& strSubject, const std::string& strTo = "Bea <bea@example.org>")
{
    return "From: Ann <ann@example.org>\r\nTo: " + strTo +
           "\r\nDate: Tue, 1 Dec 2026 10:00:00 +0000\r\nSubject: " + strSubject +
           "\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nHello.\r\n";
}

class CMessageWindowStore
{
public:
    CMessageWindowStore() : m_ui(_Module)
    {
        CString strSettings = CString("software\\Vorn\\") + kSettingsApplication;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, strSettings);
        m_pRegistry.reset(new CRegistry(kSettingsApplication));
        const char* files[] = {"Accounts.mdb", "email.mdb", "Orb.mdb"};
        for (const char* pszFile : files)
            CreateDatabaseFile(m_folder.Path(pszFile));
        m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
        m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
        m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        m_pDatabase->m_Local.m_Folders.EnsureTable(NULL);
        m_pDatabase->m_Local.m_Emails.EnsureTable(NULL);
        m_nInbox = QueryLong(Local(), "SELECT ID FROM Folders WHERE Type = 1");
        m_nSent = QueryLong(Local(), "SELECT ID FROM Folders WHERE Type = 3");
        m_nDrafts = QueryLong(Local(), "SELECT ID FROM Folders WHERE Type = 5");
        m_hSavedEvent = g_hEventMessageWindow;
        g_hEventMessageWindow = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    }

    ~CMessageWindowStore()
    {
        Stop();
        ::CloseHandle(g_hEventMessageWindow);
        g_hEventMessageWindow = m_hSavedEvent;
        m_pDatabase.reset();
        m_pRegistry.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
    }

    CSession& Local() { return m_pDatabase->m_Local.m_session; }

    LONG Insert(LONG nFolderID, const std::string& strText, const char* pszSubject)
    {
        CString strSQL;
        strSQL.Format(
            "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
            "Encode) VALUES (45000, '%s', '%s', 'x', %ld, 0, '', 0, 0)",
            Quoted(pszSubject).c_str(), Quoted(strText).c_str(), (long)nFolderID);
        EXPECT_TRUE(Execute(Local(), strSQL));
        return QueryLong(Local(), "SELECT MAX(EmailsID) FROM Emails");
    }

    HWND StartStored(LONG nEmailsID)
    {
        return m_ui.Start([this, nEmailsID]() -> HWND {
            m_pStored = new CMainFrameMessage(m_pDatabase.get(), m_pRegistry.get(), nEmailsID,
                                              m_manager.ThreadId(), 0, &m_nThreadCount);
            RECT rc = {30, 30, 730, 560};
            HWND hWnd = m_pStored->CreateEx(NULL, &rc);
            if (hWnd != NULL)
                m_pStored->ShowWindow(SW_SHOW);
            return hWnd;
        });
    }

    HWND StartFile(const CString& strPath)
    {
        return m_ui.Start([this, strPath]() -> HWND {
            m_pFile = new CMainFrameMessageFile(m_pDatabase.get(), m_pRegistry.get(), strPath,
                                                m_manager.ThreadId(), 0, &m_nThreadCount);
            RECT rc = {40, 40, 740, 570};
            HWND hWnd = m_pFile->CreateEx(NULL, &rc);
            if (hWnd != NULL)
                m_pFile->ShowWindow(SW_SHOW);
            return hWnd;
        });
    }

    void Stop()
    {
        if (m_pStored == nullptr && m_pFile == nullptr)
            return;
        m_ui.Invoke([this]() {
            if (m_pStored != nullptr && m_pStored->IsWindow())
                m_pStored->DestroyWindow();
            if (m_pFile != nullptr && m_pFile->IsWindow())
                m_pFile->DestroyWindow();
        });
        m_ui.WaitForExit();
        delete m_pStored;
        delete m_pFile;
        m_pStored = nullptr;
        m_pFile = nullptr;
    }

    // Runs the command on the window's thread, as the menu would.
    LRESULT Command(HWND hWnd, WORD nID)
    {
        LRESULT lResult = 0;
        m_ui.Invoke([&]() { lResult = ::SendMessageA(hWnd, WM_COMMAND, nID, 0); });
        return lResult;
    }

    CScratchFolder m_folder{"msgwnd"};
    CScriptedUser m_user;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_manager;
    CUiThread m_ui;
    CMainFrameMessage* m_pStored = nullptr;
    CMainFrameMessageFile* m_pFile = nullptr;
    volatile LONG m_nThreadCount = 1;
    LONG m_nInbox = 0, m_nSent = 0, m_nDrafts = 0;
    HANDLE m_hSavedEvent = NULL;
};

class MessageWindowTest : public ::testing::Test
{
protected:
    CDlgMessage& Dialog() { return m_store.m_pStored->m_dialog; }

    // The layout settles after the first paint; a wide To makes it run once more.
    void WaitForLayout(CDlgMessageImpl<CDlgMessage>& dialog)
    {
        m_store.m_ui.Invoke([&]() { dialog.UpdateWindow(); });
        WaitUntil([&]() {
            MSG msg;
            bool bIdle = true;
            m_store.m_ui.Invoke([&]() { bIdle = !::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE); });
            return bIdle;
        });
    }

    CMessageWindowStore m_store;
};

TEST_F(MessageWindowTest, AnHtmlMessageWithCcAndAttachmentsLaysOutItsHeader)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, HtmlWithAttachments(), "Quarterly report");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_hEventMessageWindow, 0));
    WaitForLayout(Dialog());

    EXPECT_EQ("Quarterly r\xE9port", Title(hFrame));
    HWND hList = Dialog().m_attachments.m_hWnd;
    EXPECT_TRUE(IsWindowVisible(hList));
    EXPECT_EQ(2, (int)SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    RECT rcTo = ChildRect(Dialog().m_toPane.m_hWnd);
    RECT rcList = ChildRect(hList);
    RECT rcBody = ChildRect(Dialog().m_body.m_hWnd);
    RECT rcDialog;
    GetClientRect(Dialog().m_hWnd, &rcDialog);
    EXPECT_EQ(90, rcTo.left);
    EXPECT_EQ(35, rcTo.top);
    EXPECT_EQ(16, rcTo.bottom - rcTo.top);
    EXPECT_EQ(rcDialog.right - 100, rcTo.right - rcTo.left);
    EXPECT_EQ(82, rcList.top);
    EXPECT_EQ(rcDialog.right - 10, rcList.right);
    EXPECT_EQ(rcList.bottom + 5, rcBody.top);
    EXPECT_EQ(0, rcBody.left);
    EXPECT_EQ(rcDialog.right, rcBody.right);
    EXPECT_EQ(rcDialog.bottom, rcBody.bottom);
    EXPECT_EQ(0, Dialog().m_nToReloads);
    SaveWindowScreenshot(hFrame, "message-window-stored-html");
}

TEST_F(MessageWindowTest, WithoutCcOrAttachmentsTheBodyStartsBelowTheShortHeader)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Plain"), "Plain");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    WaitForLayout(Dialog());
    EXPECT_EQ("Plain", Title(hFrame));
    EXPECT_FALSE(IsWindowVisible(Dialog().m_attachments.m_hWnd));
    EXPECT_EQ(66 + 5, ChildRect(Dialog().m_body.m_hWnd).top);
    EXPECT_EQ(16, ChildRect(Dialog().m_toPane.m_hWnd).bottom - ChildRect(Dialog().m_toPane.m_hWnd).top);
}

TEST_F(MessageWindowTest, TheToLabelAndValueShareALineAndTheValuesFont)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Plain"), "Plain");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    WaitForLayout(Dialog());
    HWND hDialog = Dialog().m_hWnd;
    RECT rcTo = ChildRect(Dialog().m_toPane.m_hWnd);

    // The page's text is in the face and size of the painted values.
    LOGFONTA logFont = {};
    ::GetObjectA(Dialog().m_hNormalFont != NULL ? (HGDIOBJ)Dialog().m_hNormalFont : ::GetStockObject(DEFAULT_GUI_FONT),
                 sizeof(logFont), &logFont);
    HDC hScreen = ::GetDC(NULL);
    HGDIOBJ hOld = ::SelectObject(hScreen, Dialog().m_hNormalFont);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hScreen, &tm);
    ::SelectObject(hScreen, hOld);
    ::ReleaseDC(NULL, hScreen);
    HANDLE hFile = CreateFileA(Dialog().ToPagePath(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    char szText[4096] = "";
    DWORD nRead = 0;
    ReadFile(hFile, szText, sizeof(szText) - 1, &nRead, NULL);
    CloseHandle(hFile);
    std::string strPage(szText, nRead);
    EXPECT_NE(std::string::npos, strPage.find(std::string("face=\"") + logFont.lfFaceName + "\"")) << strPage;
    EXPECT_NE(std::string::npos,
              strPage.find("font-size: " + std::to_string(tm.tmHeight - tm.tmInternalLeading) + "px"))
        << strPage;

    // The "To:" label is painted on the pane's line: its ink in the label column starts at the pane's top,
    // none of it in the rows between the Date line and the pane.
    ::RedrawWindow(hDialog, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rcClient;
    ::GetClientRect(hDialog, &rcClient);
    HDC hWindow = ::GetDC(hDialog);
    bool bInkAbove = false, bInkOnLine = false;
    for (int y = rcTo.top - 6; y < rcTo.bottom; y++)
        for (int x = 5; x < rcTo.left - 1; x++)
        {
            COLORREF colour = ::GetPixel(hWindow, x, y);
            bool bInk = GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 3 * 100;
            (y < rcTo.top ? bInkAbove : bInkOnLine) |= bInk;
        }
    ::ReleaseDC(hDialog, hWindow);
    EXPECT_FALSE(bInkAbove);
    EXPECT_TRUE(bInkOnLine);
    SaveWindowScreenshot(hFrame, "message-window-to-line");
}

TEST_F(MessageWindowTest, AWideToGrowsItsPaneAndTheHeaderAndReloadsThePageOnce)
{
    std::string strTo;
    for (int i = 0; i < 30; i++)
        strTo += (i ? ", " : "") + std::string("Recipient") + std::to_string(i) + " <r" + std::to_string(i) +
                 "@example.org>";
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Many", strTo), "Many");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    ASSERT_TRUE(WaitUntil([&]() { return Dialog().m_nToReloads >= 1; }));
    WaitForLayout(Dialog());
    RECT rcTo = ChildRect(Dialog().m_toPane.m_hWnd);
    EXPECT_EQ(48, rcTo.bottom - rcTo.top);
    EXPECT_EQ(66 + 32 + 5, ChildRect(Dialog().m_body.m_hWnd).top);
    EXPECT_EQ(1, Dialog().m_nToReloads);
}

TEST_F(MessageWindowTest, TheToPageIsAFileOfThisWindowAndShowsMarkupAsText)
{
    LONG nID =
        m_store.Insert(m_store.m_nInbox, PlainMessage("Script", "\"<script>\" <s@example.org>"), "Script");
    ASSERT_NE(nullptr, m_store.StartStored(nID));
    CString strPath = Dialog().ToPagePath();
    EXPECT_EQ(std::string::npos, std::string(strPath).find("\\To.htm"));
    HANDLE hFile = CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    char szText[4096] = "";
    DWORD nRead = 0;
    ReadFile(hFile, szText, sizeof(szText) - 1, &nRead, NULL);
    CloseHandle(hFile);
    std::string strPage(szText, nRead);
    EXPECT_EQ(std::string::npos, strPage.find("<script>"));
    EXPECT_NE(std::string::npos, strPage.find("&lt;script&gt;"));
    m_store.Stop();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strPath));
}

TEST_F(MessageWindowTest, ReplyAndForwardAskTheManagerForANewMessageOnThisOne)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Answer me"), "Answer me");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    m_store.Command(hFrame, ID_REPLY);
    m_store.Command(hFrame, ID_FORWARD);
    ASSERT_TRUE(WaitUntil([&]() { return m_store.m_manager.Commands().size() >= 2; }));
    std::vector<CRecordingThread::Command> commands = m_store.m_manager.Commands();
    EXPECT_EQ(32782u, commands[0].wParam);
    EXPECT_EQ(-1, (long)commands[0].lParam);
    EXPECT_EQ(32782u, commands[1].wParam);
    EXPECT_EQ(-4, (long)commands[1].lParam);
    EXPECT_EQ(nID, m_store.m_pDatabase->m_Local.m_Emails.m_EmailsID);
}

TEST_F(MessageWindowTest, ClosingTheDatabaseGreysTheSixMessageCommandsAndOpeningEnablesThem)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Six"), "Six");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    const WORD commands[] = {32807, 32808, ID_REPLY, ID_FORWARD, ID_FILE_PRINT_MESSAGE, ID_EDIT_DELETE};
    for (WPARAM nStep : {ID_CLOSE_LOCAL_DATABASE, ID_OPEN_LOCAL_DATABASE})
    {
        bool bGrey = nStep == ID_CLOSE_LOCAL_DATABASE;
        // Read in the same turn of the window's thread as the command: its idle update may set Delete again
        // from whatever window has the focus then.
        m_store.m_ui.Invoke([&]() {
            ::SendMessageA(hFrame, WM_COMMAND, (WORD)nStep, 0);
            CMainFrameMessage* pFrame = m_store.m_pStored;
            HMENU hMenu = pFrame->m_cmdBar.GetMenu();
            for (WORD nID : commands)
            {
                EXPECT_EQ(bGrey, (pFrame->UIGetState(nID) & UPDUI_DISABLED) != 0) << nID;
                for (int i = 0; i < GetMenuItemCount(hMenu); i++)
                {
                    HMENU hPopup = GetSubMenu(hMenu, i);
                    if (GetMenuState(hPopup, nID, MF_BYCOMMAND) == (UINT)-1)
                        continue;
                    ::SendMessageA(hFrame, WM_INITMENUPOPUP, (WPARAM)hPopup, i);
                    EXPECT_EQ(bGrey, (GetMenuState(hPopup, nID, MF_BYCOMMAND) & MF_GRAYED) != 0) << nID;
                }
            }
        });
    }
}

TEST_F(MessageWindowTest, AMissingMessageKeepsTheWindowShowsThePromptAndReleasesTheManager)
{
    m_store.m_user.m_boxAnswers.push_back(IDNO);
    HWND hFrame = m_store.StartStored(4242);
    ASSERT_NE(nullptr, hFrame);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_hEventMessageWindow, 0));
    EXPECT_TRUE(IsWindow(hFrame));
    ASSERT_EQ(1u, m_store.m_user.m_boxes.size());
    EXPECT_NE(std::string::npos,
              m_store.m_user.m_boxes[0].find("ERROR: Message is not found.\r\nEmailID = 4242."))
        << m_store.m_user.m_boxes[0];
}

TEST_F(MessageWindowTest, SteppingInAThreeMessageFolderFollowsTheRowsAndStopsAtTheEnds)
{
    LONG ids[3];
    const char* subjects[] = {"First", "Second", "Third"};
    for (int i = 0; i < 3; i++)
        ids[i] = m_store.Insert(m_store.m_nSent, PlainMessage(subjects[i]), subjects[i]);
    m_store.Insert(m_store.m_nInbox, PlainMessage("Elsewhere"), "Elsewhere");
    HWND hFrame = m_store.StartStored(ids[1]);
    ASSERT_NE(nullptr, hFrame);
    EXPECT_EQ("Second", Title(hFrame));
    // "Previous message" is the next row, "Next message" the one before.
    const struct
    {
        WORD nCommand;
        int nExpected;
    } steps[] = {{32807, 2}, {32807, 2}, {32808, 1}, {32808, 0}, {32808, 0}, {32807, 1}};
    for (const auto& step : steps)
    {
        EXPECT_EQ(1, m_store.Command(hFrame, step.nCommand));
        EXPECT_EQ(subjects[step.nExpected], Title(hFrame)) << step.nCommand;
        EXPECT_EQ(ids[step.nExpected], Dialog().m_nEmailsID);
    }
}

TEST_F(MessageWindowTest, SteppingInAOneMessageFolderLeavesTheWindowAlone)
{
    LONG nID = m_store.Insert(m_store.m_nDrafts, PlainMessage("Alone"), "Alone");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    for (WORD nCommand : {32807, 32808, 32808, 32807})
    {
        m_store.Command(hFrame, nCommand);
        EXPECT_EQ("Alone", Title(hFrame));
        EXPECT_EQ(nID, Dialog().m_nEmailsID);
    }
}

TEST_F(MessageWindowTest, ADoubleClickedAttachmentIsSavedIntoTheChosenFolder)
{
    static CString s_strFolder;
    static HWND s_hOwner;
    CScratchFolder target("msgwnd-save");
    s_strFolder = target.m_strPath;
    s_hOwner = NULL;
    AttachmentFolderChooser pfnOld =
        SetAttachmentFolderChooser([](HWND hOwner, const char*, CString& strFolder) {
            s_hOwner = hOwner;
            strFolder = s_strFolder;
            return true;
        });
    LONG nID = m_store.Insert(m_store.m_nInbox, HtmlWithAttachments(), "Quarterly report");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    HWND hList = Dialog().m_attachments.m_hWnd;
    CForegroundElsewhere elsewhere;
    m_store.m_ui.Invoke([&]() {
        int nItem = -1;
        char szName[MAX_PATH] = "";
        for (int i = 0; i < (int)SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0); i++)
        {
            LVITEMA item = {};
            item.pszText = szName;
            item.cchTextMax = MAX_PATH;
            SendMessageA(hList, LVM_GETITEMTEXTA, i, (LPARAM)&item);
            if (strcmp(szName, "figures.csv") == 0)
                nItem = i;
        }
        ASSERT_GE(nItem, 0);
        LVITEMA state = {};
        state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        state.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageA(hList, LVM_SETITEMSTATE, nItem, (LPARAM)&state);
        NMHDR header = {hList, (UINT_PTR)IDC_MESSAGE_ATTACHMENTS, (UINT)NM_DBLCLK};
        SendMessageA(Dialog().m_hWnd, WM_NOTIFY, IDC_MESSAGE_ATTACHMENTS, (LPARAM)&header);
    });
    SetAttachmentFolderChooser(pfnOld);
    // The folder choice opens over the message window, whichever window is active.
    EXPECT_EQ(hFrame, s_hOwner);
    HANDLE hFile =
        CreateFileA(target.Path("figures.csv"), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    char szText[64] = "";
    DWORD nRead = 0;
    ReadFile(hFile, szText, sizeof(szText) - 1, &nRead, NULL);
    CloseHandle(hFile);
    EXPECT_EQ("a,b,c\n1,2,3\n", std::string(szText, nRead));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(target.Path("notes.txt")));
}

TEST_F(MessageWindowTest, AnEncodingItemReachesTheBodyAndTheHeaderAndIsStored)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, PlainMessage("Koi"), "Koi");
    HWND hFrame = m_store.StartStored(nID);
    ASSERT_NE(nullptr, hFrame);
    EXPECT_EQ("us-ascii", std::string(Dialog().m_strCharset));
    m_store.Command(hFrame, 33010); // "Curillic (KOI8-R)"
    EXPECT_EQ(7, Dialog().m_body.m_nEncode);
    EXPECT_EQ("koi8-r", std::string(Dialog().m_strCharset));
    CString strSQL;
    strSQL.Format("SELECT Encode FROM Emails WHERE EmailsID = %ld", (long)nID);
    EXPECT_EQ(7, QueryLong(m_store.Local(), strSQL));
    m_store.Command(hFrame, 33025); // "Default"
    EXPECT_EQ(0, Dialog().m_body.m_nEncode);
    EXPECT_EQ("us-ascii", std::string(Dialog().m_strCharset));
}

// Stands in for the frame as the receiver of the print command: keeps the path and the file's text.
std::string g_strPrintPath, g_strPrintPage;

LRESULT CALLBACK PrintReceiverProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == ID_PRINT && lParam != 0)
    {
        g_strPrintPath = reinterpret_cast<const char*>(lParam);
        HANDLE hFile =
            CreateFileA(g_strPrintPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        char szText[8192] = "";
        DWORD nRead = 0;
        if (hFile != INVALID_HANDLE_VALUE)
        {
            ReadFile(hFile, szText, sizeof(szText) - 1, &nRead, NULL);
            CloseHandle(hFile);
        }
        g_strPrintPage.assign(szText, nRead);
        return 1;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

TEST_F(MessageWindowTest, PrintHandsTheFrameAPrintablePageOfThisWindow)
{
    LONG nID = m_store.Insert(m_store.m_nInbox, HtmlWithAttachments(), "Quarterly report");
    ASSERT_NE(nullptr, m_store.StartStored(nID));
    g_strPrintPath.clear();
    g_strPrintPage.clear();
    m_store.m_ui.Invoke([&]() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PrintReceiverProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "MessageWindowTestPrintReceiver";
        RegisterClassA(&wc);
        HWND hReceiver =
            CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        HWND* phOwner = Dialog().m_phWndOwner;
        Dialog().m_phWndOwner = &hReceiver;
        SendMessageA(Dialog().m_hWnd, WM_COMMAND, ID_FILE_PRINT_MESSAGE, 0);
        Dialog().m_phWndOwner = phOwner;
        DestroyWindow(hReceiver);
    });
    ASSERT_FALSE(g_strPrintPath.empty());
    EXPECT_EQ(std::string::npos, g_strPrintPath.find("\\Print.htm"));
    EXPECT_NE(std::string::npos, g_strPrintPage.find("<U><B>Quarterly r\xE9port </B></U>")) << g_strPrintPage;
    EXPECT_NE(std::string::npos, g_strPrintPage.find("attached")) << g_strPrintPage;
    m_store.Stop();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(g_strPrintPath.c_str()));
}

class MessageFileWindowTest : public ::testing::Test
{
protected:
    void Write(const char* pszName, const std::string& strText)
    {
        HANDLE hFile = CreateFileA(m_files.Path(pszName), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD nWritten = 0;
        WriteFile(hFile, strText.data(), (DWORD)strText.size(), &nWritten, NULL);
        CloseHandle(hFile);
    }

    CScratchFolder m_files{"msgwnd-eml"};
    CMessageWindowStore m_store;
};

TEST_F(MessageFileWindowTest, FilesAreSteppedInNameOrderWhateverOrderTheyWereMade)
{
    const char kLong[] = "Zebra crossing at the long end of the folder.eml";
    // Made out of name order, so a listing in creation or directory order would differ.
    Write("b.eml", PlainMessage("Bravo"));
    Write(kLong, PlainMessage("Zebra"));
    Write("C.eml", PlainMessage("Charlie"));
    Write("a.eml", PlainMessage("Alpha"));
    Write("notes.txt", "not a message");
    HWND hFrame = m_store.StartFile(m_files.Path(kLong));
    ASSERT_NE(nullptr, hFrame);
    EXPECT_EQ("Zebra", Title(hFrame));
    SaveWindowScreenshot(hFrame, "message-window-eml-file");
    const struct
    {
        WORD nCommand;
        const char* pszTitle;
    } steps[] = {{32808, "Zebra"}, {32807, "Charlie"}, {32807, "Bravo"},   {32807, "Alpha"},
                 {32807, "Alpha"}, {32808, "Bravo"},   {32808, "Charlie"}, {32808, "Zebra"}};
    for (const auto& step : steps)
    {
        EXPECT_EQ(1, m_store.Command(hFrame, step.nCommand));
        EXPECT_EQ(step.pszTitle, Title(hFrame)) << step.nCommand;
    }
}
TEST_F(MessageFileWindowTest, CorpusMessagesShowTheirSubjectAndAttachments)
{
    const struct
    {
        const char* pszFile;
        const char* pszTitle;
        const char* pszAttachment; // one name the list must hold; null for a message without attachments
    } cases[] = {
        {"mixed-outlook-attachments.eml", "Report with attachments", "report.pdf"},
        {"alternative-plain-html.eml", "Alternative", nullptr},
        // The inline image is listed too: it can be saved like any attachment.
        {"related-inline-image.eml", "Picture", "my image.png"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszFile);
        CString strPath = CString(ORB_TEST_DATA_DIR) + "/mime/" + c.pszFile;
        strPath.Replace('/', '\\');
        HWND hFrame = m_store.StartFile(strPath);
        ASSERT_NE(nullptr, hFrame);
        EXPECT_EQ(c.pszTitle, Title(hFrame));
        HWND hList = m_store.m_pFile->m_dialog.m_attachments.m_hWnd;
        std::vector<std::string> names;
        for (int i = 0; i < (int)SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0); i++)
        {
            char szName[MAX_PATH] = "";
            LVITEMA item = {};
            item.pszText = szName;
            item.cchTextMax = MAX_PATH;
            SendMessageA(hList, LVM_GETITEMTEXTA, i, (LPARAM)&item);
            names.push_back(szName);
        }
        EXPECT_EQ(c.pszAttachment != nullptr, IsWindowVisible(hList) != FALSE);
        if (c.pszAttachment != nullptr)
            EXPECT_NE(names.end(), std::find(names.begin(), names.end(), c.pszAttachment));
        m_store.Stop();
    }
}
} // namespace

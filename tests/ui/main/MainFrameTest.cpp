// The main window on a small store: creation, the Send and Receive items, the new-mail timer and
// announcement, the folder summary, compaction, closing during a run, placement, accelerators and the
// Outlook Express lookup.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <gtest/gtest.h>

#include "MainFrameFixture.h"
#include "app/LetrovaGlobals.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/MainDialogStandIns.h"
#include "ui/main/MessageFlagsNotice.h"

namespace
{
HWND s_hWndProgress = NULL;
HWND FakeProgressWindow()
{
    return s_hWndProgress;
}

size_t CountCalls(const CSeamRecorder& recorder, const std::string& strSeam, const std::string& strPrefix)
{
    size_t n = 0;
    for (const CSeamRecorder::Call& call : recorder.Calls())
        if (call.strSeam == strSeam && call.strDetail.compare(0, strPrefix.size(), strPrefix) == 0)
            n++;
    return n;
}

// Commands the manager got after the first nFrom.
std::vector<CRecordingThread::Command> CommandsFrom(const CRecordingThread& manager, size_t nFrom)
{
    std::vector<CRecordingThread::Command> commands = manager.Commands();
    return std::vector<CRecordingThread::Command>(commands.begin() + std::min(nFrom, commands.size()),
                                                  commands.end());
}

bool Has(const std::vector<CRecordingThread::Command>& commands, WPARAM wParam)
{
    return std::any_of(commands.begin(), commands.end(),
                       [wParam](const CRecordingThread::Command& c) { return c.wParam == wParam; });
}

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { CMainFrame::SetProgressWindowFinder(FakeProgressWindow); }
    void TearDown() override
    {
        CMainFrame::SetProgressWindowFinder(nullptr);
        s_hWndProgress = NULL;
    }

    // Waits for a command the frame posts now, so that everything posted before it has arrived.
    void Settle()
    {
        size_t nBefore = m_store.m_manager.Commands().size();
        m_store.Send(WM_COMMAND, ID_NEW_MESSAGE_MENU);
        ASSERT_TRUE(WaitFor([&]() { return m_store.m_manager.Commands().size() > nBefore; }));
    }

    HANDLE RunStateEvent()
    {
        HANDLE hEvent = NULL;
        m_store.Send(LetrovaGethEventDlgProgress, (WPARAM)&hEvent);
        return hEvent;
    }

    CMainFrameFixture m_store;
};
} // namespace

TEST_F(MainFrameTest, CreationDisablesTheSelectionCommandsAndFillsSendAndReceiveFromAccounts)
{
    ASSERT_NE(nullptr, m_store.Start());
    const int disabled[] = {57601, 57604, 32940, 32941, 32942, 32994, 57607, 32792, 33050,
                            32906, 32995, 32911, 33032, 33033, 33034, 33004, 33015, 33025};
    m_store.OnFrame([&]() {
        for (int nID : disabled)
            EXPECT_TRUE(m_store.m_pFrame->UIGetState(nID) & UPDUI_DISABLED) << nID;
        EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_VIEW_FOLDERS) & UPDUI_CHECKED);
        EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_VIEW_CONTACTS) & UPDUI_CHECKED);
        // The test machine has no Outlook Express identity.
        EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_IMPORT_OUTLOOK_EXPRESS) & UPDUI_DISABLED);
    });
    EXPECT_EQ((std::vector<std::string>{"Work", "Home", "Work"}), m_store.SendReceiveItems());
    // No timer without "Check New Messages".
    Settle();
    EXPECT_FALSE(Has(m_store.m_manager.Commands(), ID_RECEIVE));
    SaveWindowScreenshot(m_store.m_pFrame->m_hWnd, "main-window");
}

TEST_F(MainFrameTest, ToolbarPicturesStandOnTheBarsFaceAndGreyedOnesAreFadedNotFlat)
{
    ASSERT_NE(nullptr, m_store.Start());
    HWND hToolBar = m_store.m_pFrame->m_hWndMainToolBar;
    // Print waits for a selection; About is always there.
    ASSERT_TRUE(WaitFor([&] { return !(ToolBarButtonState(hToolBar, ID_FILE_PRINT) & TBSTATE_ENABLED); }));
    ASSERT_TRUE(ToolBarButtonState(hToolBar, ID_APP_ABOUT) & TBSTATE_ENABLED);
    RECT rcWindow = {};
    ::GetWindowRect(hToolBar, &rcWindow);
    int cx = rcWindow.right - rcWindow.left, cy = rcWindow.bottom - rcWindow.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HDC hdc = ::CreateCompatibleDC(NULL);
    HBITMAP hBitmap = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    // Drawn into memory: other tests' windows may cover it on the screen.
    ::PrintWindow(hToolBar, hdc, 0);
    auto buttonColours = [&](UINT nID) {
        RECT rc = {};
        ::SendMessageA(hToolBar, TB_GETRECT, nID, (LPARAM)&rc);
        std::set<DWORD> colours;
        for (int y = std::max(0L, rc.top); y < std::min((LONG)cy, rc.bottom); y++)
            for (int x = std::max(0L, rc.left); x < std::min((LONG)cx, rc.right); x++)
                colours.insert(((const DWORD*)pBits)[y * cx + x] & 0xFFFFFF);
        return colours;
    };
    std::set<DWORD> print = buttonColours(ID_FILE_PRINT), about = buttonColours(ID_APP_ABOUT);
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hdc);
    // A silhouette has the face, the shadow and the highlight; the faded picture has its shades.
    EXPECT_GT(print.size(), 6u);
    // The bitmaps' light grey becomes the bar's face: no square of it is left around a picture.
    if (::GetSysColor(COLOR_BTNFACE) != RGB(192, 192, 192))
        EXPECT_EQ(0u, about.count(0xC0C0C0));
}

TEST_F(MainFrameTest, AccountItemsAreAddedAndTheFirstSameNamedOneRemoved)
{
    ASSERT_NE(nullptr, m_store.Start());
    CAccountsRecord record;
    memset(&record, 0, sizeof(record));
    strcpy(record.m_szDisplayName, "Home");
    m_store.Send(WM_COMMAND, ID_ADD_ACCOUNT, (LPARAM)&record);
    EXPECT_EQ((std::vector<std::string>{"Work", "Home", "Work", "Home"}), m_store.SendReceiveItems());
    strcpy(record.m_szDisplayName, "Work");
    m_store.Send(WM_COMMAND, ID_DELETE_ACCOUNT, (LPARAM)&record);
    EXPECT_EQ((std::vector<std::string>{"Home", "Work", "Home"}), m_store.SendReceiveItems());
}

TEST_F(MainFrameTest, ChosenAccountPostsTheFirstSameNamedAccountAndDisablesTheItems)
{
    ASSERT_NE(nullptr, m_store.Start());
    m_store.OnFrame([&]() { m_store.m_pFrame->m_strHighlightedText = "Work"; });
    m_store.Send(WM_COMMAND, ID_TOOLS_SEND_RECEIVE_ACCOUNT);
    CRecordingThread::Command found = {};
    ASSERT_TRUE(m_store.m_manager.WaitForCommand(ID_SEND_RECEIVE_ACCOUNT, 20000, &found));
    EXPECT_EQ(m_store.m_nWork, (LONG)found.lParam);
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, ::WaitForSingleObject(RunStateEvent(), 0));
    m_store.OnFrame([&]() {
        EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_SEND_RECEIVE_ALL) & UPDUI_DISABLED);
        HMENU hMenu = m_store.m_pFrame->SendReceiveMenu();
        EXPECT_TRUE(::GetMenuState(hMenu, 0, MF_BYPOSITION) & MF_GRAYED);
    });
}

TEST_F(MainFrameTest, TimerPostsReceiveAndResetsTheRunStateUnlessARunIsShown)
{
    ASSERT_NE(nullptr, m_store.Start());
    HANDLE hEvent = RunStateEvent();
    ASSERT_EQ((DWORD)WAIT_OBJECT_0, ::WaitForSingleObject(hEvent, 0));

    s_hWndProgress = m_store.m_pFrame->m_hWnd;
    size_t nBefore = m_store.m_manager.Commands().size();
    m_store.Send(WM_TIMER, 1);
    Settle();
    EXPECT_FALSE(Has(CommandsFrom(m_store.m_manager, nBefore), ID_RECEIVE));
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, ::WaitForSingleObject(hEvent, 0));

    s_hWndProgress = NULL;
    m_store.Send(WM_TIMER, 1);
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_RECEIVE));
    EXPECT_EQ((DWORD)WAIT_TIMEOUT, ::WaitForSingleObject(hEvent, 0));
}

TEST_F(MainFrameTest, NewMessagesCountShowsTheTextTheTrayIconAndTheSoundOncePerTimerRun)
{
    CSeamRecorder recorder;
    ASSERT_NE(nullptr, m_store.Start());
    HWND hStatus = m_store.m_pFrame->m_hWndStatusBar;

    m_store.Send(WM_COMMAND, ID_NEW_MESSAGES_COUNT, 0);
    EXPECT_TRUE(WaitFor([&]() { return StatusBarText(hStatus) == "No new messages"; }));
    EXPECT_EQ(0u, CountCalls(recorder, "NotifyIcon", "NIM_ADD"));

    m_store.Send(WM_TIMER, 1);
    m_store.Send(WM_COMMAND, ID_NEW_MESSAGES_COUNT, 3);
    EXPECT_TRUE(WaitFor([&]() { return StatusBarText(hStatus) == "3 new message(s)"; }));
    m_store.Send(WM_COMMAND, ID_NEW_MESSAGES_COUNT, 3);
    EXPECT_EQ(2u, CountCalls(recorder, "NotifyIcon", "NIM_ADD id=0 tip=You have new e-mail"));
    std::vector<CSeamRecorder::Call> calls = recorder.Calls();
    size_t nSounds = std::count_if(calls.begin(), calls.end(),
                                   [](const CSeamRecorder::Call& c) { return c.strSeam == "PlaySoundFile"; });
    EXPECT_EQ(1u, nSounds);
    char szFlags[16];
    wsprintfA(szFlags, "%lx", (DWORD)(SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
    EXPECT_EQ(1u, CountCalls(recorder, "PlaySoundFile", std::string("WAVE_SOUND_RINGIN flags=") + szFlags));
}

TEST_F(MainFrameTest, FolderSummaryCountsTheStoreAndFallingUnreadRemovesTheTrayIcon)
{
    CSeamRecorder recorder;
    ASSERT_NE(nullptr, m_store.Start());
    // Three unread of five; the 0x80 message counts as read.
    const LONG flags[] = {0x02, 0x02, 0x03, 0x82, 0x00};
    for (LONG nFlags : flags)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (45000.5, 's', 'Subject: s\r\n\r\nbody', 'a@x', %ld, %ld, '', 0, 0)",
                      (long)m_store.m_nInbox, (long)nFlags);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    }
    // A notice whose counts another writer has moved meanwhile: the summary takes the store's.
    MessageFlagsNotice = {};
    MessageFlagsNotice.nFolderID = m_store.m_nInbox;
    MessageFlagsNotice.nMessages = 0;
    MessageFlagsNotice.nUnread = -13;
    m_store.Send(WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS);
    EXPECT_EQ("Inbox - Vorn Email", WindowText(m_store.m_pFrame->m_hWnd));
    m_store.OnFrame(
        [&]() { EXPECT_STREQ("5 message(s), 3 unread in the Inbox folder", m_store.m_pFrame->m_strStatusText); });
    size_t nDeletes = CountCalls(recorder, "NotifyIcon", "NIM_DELETE");
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Flags = 0 WHERE FolderID = %ld AND Flags = 3", (long)m_store.m_nInbox);
    ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    m_store.Send(WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS);
    m_store.OnFrame(
        [&]() { EXPECT_STREQ("5 message(s), 2 unread in the Inbox folder", m_store.m_pFrame->m_strStatusText); });
    EXPECT_EQ(nDeletes + 1, CountCalls(recorder, "NotifyIcon", "NIM_DELETE"));
}

// Every folder's label in the tree and the summary of the listed folder (the Inbox), against the store's
// own counts.
void ExpectCountsOfTheStore(CMainFrameFixture& store, LONG nListed, const char* pszStep)
{
    SCOPED_TRACE(pszStep);
    std::vector<std::string> expected, shown;
    CCommand<CAccessor<CFoldersRecord>> folders;
    ASSERT_TRUE(SUCCEEDED(folders.Open(store.Local(), "SELECT ID, OwnerID, Name, Type, nUnread, nMessagesNumber, "
                                                      "Flags FROM Folders WHERE Type >= 1 AND Type <= 6")));
    while (folders.MoveNext() == S_OK)
    {
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld AND (Flags & 130) = 2", (long)folders.m_ID);
        long nUnread = QueryLong(store.Local(), strSQL);
        std::string strLabel = folders.m_Name;
        if (nUnread != 0)
            strLabel += " (" + std::to_string(nUnread) + ")";
        expected.push_back(strLabel);
        EXPECT_EQ(nUnread, folders.m_nUnread) << folders.m_Name;
    }
    std::vector<std::string> labels;
    for (const TreeItem& item : TreeViewItems(store.Tree()))
        labels.push_back(item.strText);
    for (const std::string& strLabel : expected)
        EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), strLabel)) << strLabel;

    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", (long)nListed);
    long nMessages = QueryLong(store.Local(), strSQL);
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld AND (Flags & 130) = 2", (long)nListed);
    long nUnread = QueryLong(store.Local(), strSQL);
    char szSummary[256];
    wsprintfA(szSummary, "%ld message(s), %ld unread in the Inbox folder", nMessages, nUnread);
    store.OnFrame([&]() { EXPECT_STREQ(szSummary, store.m_pFrame->m_strStatusText); });
}

TEST_F(MainFrameTest, EveryCountShownIsTheStoresAfterFillMarkMoveAndDelete)
{
    ASSERT_NE(nullptr, m_store.Start());
    LONG nDrafts = m_store.FolderID("Drafts");
    ASSERT_GT(nDrafts, 0);
    const LONG flags[] = {0x02, 0x02, 0x02, 0x00, 0x00, 0x82};
    for (size_t i = 0; i < sizeof(flags) / sizeof(flags[0]); i++)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (%f, 'm%d', 'Subject: m\r\n\r\nbody', 'a@x', %ld, %ld, '', 0, 0)",
                      45000.5 + i, (int)i, (long)m_store.m_nInbox, (long)flags[i]);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    }
    // What earlier writers of the shared notice left behind must not leak into any count.
    MessageFlagsNotice.nUnreadDelta = -13;
    MessageFlagsNotice.nUnread = -13;
    CListViewCtrlMessages& list = m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
    auto select = [&](LONG nFlags) {
        m_store.OnFrame([&]() {
            ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
            for (int i = 0; i < list.GetRowCount(); i++)
                if (list.Row(i).nFlags == nFlags)
                {
                    ListView_SetItemState(list.m_hWnd, i, LVIS_SELECTED, LVIS_SELECTED);
                    break;
                }
        });
    };
    // What the manager does with the commands posted to it.
    auto deliver = [&]() { m_store.Send(WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS); };

    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    ASSERT_TRUE(m_store.WaitForList());
    ASSERT_TRUE(m_store.Select(m_store.m_nInbox));
    ASSERT_TRUE(m_store.WaitForList());
    deliver();
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "listed");

    select(0x02);
    m_store.OnFrame([&]() { list.SendMessage(WM_COMMAND, ID_MARK_AS_READ); });
    deliver();
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "marked read");

    select(0x00);
    m_store.OnFrame([&]() { list.SendMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, nDrafts); });
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "read message moved");

    select(0x02);
    m_store.OnFrame([&]() { list.SendMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, m_store.m_nProjects); });
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "unread message moved");

    select(0x02);
    m_store.OnFrame([&]() { list.SendMessage(WM_COMMAND, ID_EDIT_DELETE); });
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "unread message deleted");

    select(0x00);
    m_store.OnFrame([&]() { list.SendMessage(WM_COMMAND, ID_EDIT_DELETE); });
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "read message deleted");

    // Listing another folder counts it again, with nothing of the notice added.
    MessageFlagsNotice.nUnreadDelta = -13;
    ASSERT_TRUE(m_store.Select(nDrafts));
    ASSERT_TRUE(m_store.WaitForList());
    deliver();
    std::vector<std::string> labels;
    for (const TreeItem& item : TreeViewItems(m_store.Tree()))
        labels.push_back(item.strText);
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "Drafts"));
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "Projects (1)"));
}

// A receive run notices each stored message and hands it over right after; the counts follow once for the
// run. Afterwards the list holds exactly the listed folder's messages, each once, and every count shown is
// the store's, also that of a folder a rule filed some of them into.
TEST_F(MainFrameTest, ARunOfStoredMessagesLeavesExactlyItsRowsAndTheStoresCounts)
{
    ASSERT_NE(nullptr, m_store.Start());
    ASSERT_TRUE(m_store.Select(m_store.m_nInbox));
    ASSERT_TRUE(m_store.WaitForList());
    CListViewCtrlMessages& list = m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
    // Left behind by an earlier writer of the shared notice.
    MessageFlagsNotice.nUnreadDelta = -13;
    MessageFlagsNotice.nUnread = -13;
    for (int i = 0; i < 40; i++)
    {
        const LONG nFolderID = i % 5 == 4 ? m_store.m_nProjects : m_store.m_nInbox;
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (%f, 'run %d', 'Subject: run\r\n\r\nbody', 'a@x', %ld, %d, 'r%d', 0, 0)",
                      46000.5 + i, i, (long)nFolderID, i % 3 == 0 ? 0 : 2, i);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
        strSQL.Format("SELECT EmailsID FROM Emails WHERE UniqueID = 'r%d'", i);
        const LONG nEmailID = QueryLong(m_store.Local(), strSQL);
        MessageFlagsNotice.nFolderID = nFolderID;
        MessageFlagsNotice.nMessageID = nEmailID;
        MessageFlagsNotice.nUnreadDelta = 1;
        MessageFlagsNotice.nKind = NOTICE_MESSAGE_UNREAD;
        m_store.Send(WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS, NOTICE_SHOW_LATER);
        m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nEmailID);
    }
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", (long)m_store.m_nInbox);
    const long nInbox = QueryLong(m_store.Local(), strSQL);
    ASSERT_TRUE(WaitFor([&]() {
        bool bDone = false;
        m_store.OnFrame([&]() { bDone = !m_store.m_pFrame->m_bCountsPending && list.GetRowCount() == nInbox; });
        return bDone;
    }));
    // As many distinct rows as the Inbox has messages, each one of them, with the columns it was stored with.
    std::vector<CMessageRow> shown;
    m_store.OnFrame([&]() {
        for (int i = 0; i < list.GetRowCount(); i++)
            shown.push_back(list.Row(i));
    });
    std::set<LONG> distinct;
    int nRunRows = 0;
    for (const CMessageRow& row : shown)
    {
        distinct.insert(row.nEmailsID);
        strSQL.Format("SELECT FolderID FROM Emails WHERE EmailsID = %ld", (long)row.nEmailsID);
        EXPECT_EQ(m_store.m_nInbox, QueryLong(m_store.Local(), strSQL)) << row.nEmailsID;
        if (row.strUniqueID.Left(1) != "r")
            continue;
        const int i = atoi((const char*)row.strUniqueID + 1);
        nRunRows++;
        EXPECT_EQ("run " + std::to_string(i), std::string((const char*)row.strSubject));
        EXPECT_STREQ("a@x", row.strRef);
        EXPECT_EQ(m_store.m_nInbox, row.nFolderID);
        EXPECT_EQ(i % 3 == 0 ? 0 : 2, row.nFlags) << i;
        EXPECT_DOUBLE_EQ(46000.5 + i, row.emDate) << i;
    }
    EXPECT_EQ(shown.size(), distinct.size());
    EXPECT_EQ(32, nRunRows);
    ExpectCountsOfTheStore(m_store, m_store.m_nInbox, "after the run");
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld AND (Flags & 130) = 2", (long)m_store.m_nProjects);
    const std::string strProjects = "Projects (" + std::to_string(QueryLong(m_store.Local(), strSQL)) + ")";
    std::vector<std::string> labels;
    for (const TreeItem& item : TreeViewItems(m_store.Tree()))
        labels.push_back(item.strText);
    EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), strProjects)) << strProjects;
}

TEST_F(MainFrameTest, CompactionIsRefusedDuringARun)
{
    ASSERT_NE(nullptr, m_store.Start());
    ::ResetEvent(RunStateEvent());
    m_store.Send(WM_COMMAND, ID_COMPACT_ALL_FOLDERS);
    ASSERT_FALSE(m_store.m_user.m_boxes.empty());
    EXPECT_EQ("Stop sending/receiving of messages before compacting please.", m_store.m_user.m_boxes.back());
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_SEND_RECEIVE));
    EXPECT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
}

TEST_F(MainFrameTest, CompactionKeepsEveryRowAndReopensTheDatabase)
{
    ASSERT_NE(nullptr, m_store.Start());
    long nFolders = QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders");
    m_store.Send(WM_COMMAND, ID_COMPACT_ALL_FOLDERS);
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_CONTINUE_COMPACT_ALL_FOLDERS));
    // The manager hands the second step to every window; here the test does.
    m_store.Send(WM_COMMAND, ID_CONTINUE_COMPACT_ALL_FOLDERS);
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_OPEN_LOCAL_DATABASE));
    ASSERT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
    EXPECT_EQ(nFolders, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders"));
    EXPECT_EQ(m_store.m_nAlpha, m_store.FolderID("Alpha"));
}

TEST_F(MainFrameTest, FailedCompactionLeavesTheOriginalOpen)
{
    ASSERT_NE(nullptr, m_store.Start());
    long nFolders = QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders");
    CString strPath = m_store.m_folder.Path("email.mdb");
    m_store.Send(WM_COMMAND, ID_COMPACT_ALL_FOLDERS);
    // Another holder of the file: the compacted copy cannot take its place.
    HANDLE hHolder =
        ::CreateFileA(strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHolder);
    size_t nBoxes = m_store.m_user.m_boxes.size();
    m_store.Send(WM_COMMAND, ID_CONTINUE_COMPACT_ALL_FOLDERS);
    ::CloseHandle(hHolder);
    EXPECT_GT(m_store.m_user.m_boxes.size(), nBoxes);
    EXPECT_EQ(0u, m_store.m_user.m_boxes.back().find("ERROR: "));
    ASSERT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
    EXPECT_EQ(nFolders, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders"));
}

TEST_F(MainFrameTest, CloseDuringARunHidesAndRepeatsUntilTheRunEnds)
{
    ASSERT_NE(nullptr, m_store.Start());
    m_store.m_nThreadCount = 2;
    HANDLE hEvent = RunStateEvent();
    ::ResetEvent(hEvent);
    ::PostMessageA(m_store.m_pFrame->m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_SEND_RECEIVE));
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindowVisible(m_store.m_pFrame->m_hWnd); }));
    EXPECT_TRUE(::IsWindow(m_store.m_pFrame->m_hWnd));
    ::SetEvent(hEvent);
    EXPECT_TRUE(m_store.m_ui.WaitForExit());
    RECT rc = {};
    int nShow = SW_SHOWNORMAL;
    EXPECT_TRUE(m_store.m_pRegistry->LoadFrameRect(rc, nShow));
    EXPECT_EQ(20, rc.left);
    EXPECT_EQ(900, rc.right - rc.left);
    EXPECT_EQ(0, m_store.m_pRegistry->GetProfileInt("Options", "Maximized", -1));
}

TEST_F(MainFrameTest, AcceleratorTableIsTheListed)
{
    struct Entry
    {
        BYTE fVirt;
        WORD key, cmd;
    };
    const BYTE V = FVIRTKEY, C = FCONTROL, S = FSHIFT, A = FALT;
    const Entry expected[] = {
        {V | C, 'A', 32877},       {V | S | C | A, 'A', 266}, {V | S | C, 'B', 32781},  {V | C, VK_INSERT, 57634},
        {V | C, 'C', 57634},       {V | C, 'D', 32792},       {V | S | C, 'E', 32940},  {V | C, 'F', 32911},
        {V | S | C, 'F', 33001},   {V | C, 'M', 32776},       {V | C, 'N', 32782},      {V | C, 'O', 57601},
        {V, VK_RETURN, 57601},     {V | C, 'P', 57607},       {V | C, 'Q', 33032},      {V | C, VK_RETURN, 33032},
        {V | C, 'R', 32906},       {V | C, 'S', 57604},       {V | C, 'V', 57637},      {V | S, VK_INSERT, 57637},
        {V | S | C, 'V', 32995},   {V | A, VK_BACK, 57643},   {V | C, 'Z', 57643},      {V | S, VK_DELETE, 57635},
        {V | C, 'X', 57635},       {V, VK_F1, 33080},         {V, VK_F6, 57680},        {V | S, VK_F6, 57681},
        {V | A, VK_RETURN, 32790},
    };
    HACCEL hAccel = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, hAccel);
    ACCEL table[64];
    int nCount = ::CopyAcceleratorTableA(hAccel, table, 64);
    ASSERT_EQ((int)(sizeof(expected) / sizeof(expected[0])), nCount);
    for (int i = 0; i < nCount; i++)
    {
        EXPECT_EQ(expected[i].fVirt, table[i].fVirt & ~0x80) << i;
        EXPECT_EQ(expected[i].key, table[i].key) << i;
        EXPECT_EQ(expected[i].cmd, table[i].cmd) << i;
    }
}

TEST(OutlookExpressStoreTest, EachMissingStepGivesItsReason)
{
    const char* pszRoot = "Software\\LetrovaUiMainTests\\Identities";
    const char* pszOld = g_pszIdentitiesKey;
    g_pszIdentitiesKey = pszRoot;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LetrovaUiMainTests");
    CString strReason, strRoot;

    EXPECT_FALSE(CMainFrame::FindOutlookExpressStore(nullptr, strReason));
    EXPECT_STREQ("Identities key was not found.", strReason);

    HKEY hKey = NULL;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, pszRoot, 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL);
    EXPECT_FALSE(CMainFrame::FindOutlookExpressStore(nullptr, strReason));
    EXPECT_STREQ("Default User ID was not found.", strReason);

    const char szUser[] = "{USER-1}";
    ::RegSetValueExA(hKey, "Default User ID", 0, REG_SZ, (const BYTE*)szUser, sizeof(szUser));
    ::RegCloseKey(hKey);
    EXPECT_FALSE(CMainFrame::FindOutlookExpressStore(nullptr, strReason));
    EXPECT_STREQ("Outlook Express 5.0 key was not found.", strReason);

    CString strExpress = CString(pszRoot) + "\\{USER-1}\\Software\\Microsoft\\Outlook Express\\5.0";
    ::RegCreateKeyExA(HKEY_CURRENT_USER, strExpress, 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL);
    EXPECT_TRUE(CMainFrame::FindOutlookExpressStore(nullptr, strReason));
    const char szStore[] = "C:\\Store\\";
    ::RegSetValueExA(hKey, "Store Root", 0, REG_SZ, (const BYTE*)szStore, sizeof(szStore));
    ::RegCloseKey(hKey);
    EXPECT_TRUE(CMainFrame::FindOutlookExpressStore(&strRoot, strReason));
    EXPECT_STREQ("C:\\Store\\", strRoot);

    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\LetrovaUiMainTests");
    g_pszIdentitiesKey = pszOld;
}

namespace
{
CRegistry* s_pOptionsRegistry = nullptr;
INT_PTR SwitchCheckOn(HWND)
{
    s_pOptionsRegistry->WriteProfileInt("Options", "Check New Messages", 1);
    s_pOptionsRegistry->WriteProfileInt("Options", "Check New Messages TimeOut", 10);
    return IDOK;
}
} // namespace

TEST_F(MainFrameTest, SwitchingTheCheckOnInOptionsArmsTheTimer)
{
    ASSERT_NE(nullptr, m_store.Start());
    s_pOptionsRegistry = m_store.m_pRegistry.get();
    auto pfnOld = CMainDialogs::RunOptionsSheet;
    CMainDialogs::RunOptionsSheet = SwitchCheckOn;
    m_store.Send(WM_COMMAND, ID_TOOLS_OPTIONS);
    CMainDialogs::RunOptionsSheet = pfnOld;
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_RECEIVE));
    m_store.m_pRegistry->WriteProfileInt("Options", "Check New Messages", 0);
}

TEST_F(MainFrameTest, ToolsOptionsOpensTheOptionsSheetForTheFrameWithTheRebootAdvice)
{
    ASSERT_NE(nullptr, m_store.Start());
    m_store.OnFrame([&]() { m_store.m_pRegistry->m_nCheckNewTimeOut = 7 * 60000; });
    ::PostMessageA(m_store.m_pFrame->m_hWnd, WM_COMMAND, ID_TOOLS_OPTIONS, 0);
    HWND hWndSheet = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), "Options");
    ASSERT_NE((HWND)NULL, hWndSheet);
    ASSERT_TRUE(m_store.m_ui.WaitUntilIdle());
    EXPECT_STREQ("FATAL ERROR. Reboot your OS please.", FailureHintText);
    // The General page, filled from the frame's settings.
    HWND hWndPage = (HWND)::SendMessageA(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    EXPECT_EQ(0, (int)::SendMessageA(hWndSheet, PSM_HWNDTOINDEX, (WPARAM)hWndPage, 0));
    EXPECT_EQ("7", CDialogResponder::ItemText(hWndPage, 300));
    ::PostMessageA(hWndSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitFor([&]() { return !::IsWindow(hWndSheet); }));
    m_store.OnFrame([]() {});
    EXPECT_STREQ("", FailureHintText);
}

TEST_F(MainFrameTest, MinutesChosenInTheOptionsSheetArmTheNewMailTimer)
{
    ASSERT_NE(nullptr, m_store.Start());
    m_store.OnFrame([&]() { EXPECT_EQ(0u, m_store.m_pFrame->m_nTimer); });
    ::PostMessageA(m_store.m_pFrame->m_hWnd, WM_COMMAND, ID_TOOLS_OPTIONS, 0);
    HWND hWndSheet = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), "Options");
    ASSERT_NE((HWND)NULL, hWndSheet);
    ASSERT_TRUE(m_store.m_ui.WaitUntilIdle());
    HWND hWndPage = (HWND)::SendMessageA(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    CDialogResponder::SetCheck(hWndPage, 299, true);
    CDialogResponder::SetField(hWndPage, 300, "3");
    CDialogResponder::Press(hWndSheet, IDOK);
    ASSERT_TRUE(WaitFor([&]() { return !::IsWindow(hWndSheet); }));
    m_store.OnFrame([&]() {
        EXPECT_NE(0u, m_store.m_pFrame->m_nTimer);
        EXPECT_EQ(180000, m_store.m_pFrame->NewMailInterval());
    });
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_UPDATE));
    m_store.m_pRegistry->WriteProfileInt("Options", "Check New Messages", 0);
}

TEST_F(MainFrameTest, AddedMessageJoinsTheListOfItsFolderOnceAndLeavesAnotherFoldersList)
{
    CSession& local = m_store.Local();
    // More rows than the list shows at once, so that a row added last must be scrolled to.
    for (int n = 0; n < 60; n++)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (%d, 'old %d', 'Subject: x\r\n\r\nbody', 'A <a@x>', %ld, 0, 'o%d', 0, 0)",
                      44000 + n, n, (long)m_store.m_nInbox, n);
        ASSERT_TRUE(Execute(local, strSQL));
    }
    // The Inbox, selected at the start, shows its messages from the start.
    ASSERT_NE(nullptr, m_store.Start());
    CListViewCtrlMessages* pList = &m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
    int nRows = 0;
    ASSERT_TRUE(WaitFor([&]() {
        bool bDone = false;
        m_store.OnFrame([&]() {
            nRows = pList->GetRowCount();
            bDone = !pList->IsFilling() && nRows == 60;
        });
        return bDone;
    })) << nRows;
    auto store = [&](const char* pszSubject, LONG nFolderID) {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (46000, '%s', 'Subject: x\r\n\r\nbody', 'B <b@x>', %ld, 2, '%s', 0, 0)",
                      pszSubject, (long)nFolderID, pszSubject);
        Execute(local, strSQL);
        strSQL.Format("SELECT EmailsID FROM Emails WHERE Subject = '%s'", pszSubject);
        return QueryLong(local, strSQL);
    };
    struct Row
    {
        int nCount;
        LONG nFirst, nLast;
        bool bLastVisible;
    };
    auto rows = [&]() {
        Row row = {};
        m_store.OnFrame([&]() {
            row.nCount = pList->GetRowCount();
            row.nFirst = pList->Row(0).nEmailsID;
            row.nLast = pList->Row(row.nCount - 1).nEmailsID;
            int nTop = (int)::SendMessageA(pList->m_hWnd, LVM_GETTOPINDEX, 0, 0);
            int nPage = (int)::SendMessageA(pList->m_hWnd, LVM_GETCOUNTPERPAGE, 0, 0);
            row.bLastVisible = row.nCount - 1 >= nTop && row.nCount - 1 < nTop + nPage;
        });
        return row;
    };

    // Ordered by date the new row goes first; handed over twice it is still one row.
    LONG nFirst = store("new first", m_store.m_nInbox);
    m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nFirst);
    m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nFirst);
    Row after = rows();
    EXPECT_EQ(61, after.nCount);
    EXPECT_EQ(nFirst, after.nFirst);
    EXPECT_FALSE(after.bLastVisible);

    // Otherwise it goes last, and the list shows it.
    m_store.m_pRegistry->m_bOrderByDate = 0;
    LONG nLast = store("new last", m_store.m_nInbox);
    m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nLast);
    // Rows going last are shown together with those handed over right after them, moments later.
    EXPECT_TRUE(WaitFor([&]() { return rows().bLastVisible; }));
    after = rows();
    EXPECT_EQ(62, after.nCount);
    EXPECT_EQ(nLast, after.nLast);
    EXPECT_TRUE(after.bLastVisible);

    // A message that a rule filed elsewhere leaves the list; one of another folder never joins it.
    Execute(local, CString("UPDATE Emails SET FolderID = ") + CString(std::to_string(m_store.m_nProjects).c_str()) +
                       " WHERE Subject = 'new first'");
    m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nFirst);
    LONG nElsewhere = store("elsewhere", m_store.m_nProjects);
    m_store.Send(WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nElsewhere);
    after = rows();
    EXPECT_EQ(61, after.nCount);
    EXPECT_NE(nFirst, after.nFirst);
    EXPECT_EQ(nLast, after.nLast);
}

TEST_F(MainFrameTest, EditQuestionsAnswerForRichEditsAndTheMessageList)
{
    ASSERT_NE(nullptr, m_store.Start());
    m_store.OnFrame([&]() {
        ::LoadLibraryA("riched20.dll");
        CMainFrame* pFrame = m_store.m_pFrame;
        HWND hEdit = ::CreateWindowExA(0, "RichEdit20A", "some text", WS_CHILD | ES_MULTILINE, 0, 0, 100, 40,
                                       pFrame->m_hWnd, NULL, NULL, NULL);
        HWND hPlain = ::CreateWindowExA(0, "EDIT", "plain text", WS_CHILD, 0, 0, 100, 20, pFrame->m_hWnd, NULL, NULL,
                                        NULL);
        ASSERT_NE(nullptr, hEdit);
        ::SendMessageA(hEdit, EM_SETSEL, 0, 4);
        ::SendMessageA(hPlain, EM_SETSEL, 0, 4);
        struct Case
        {
            HWND hWnd;
            bool bReadOnly, bCopy, bCut;
        } cases[] = {{hEdit, false, true, true}, {hEdit, true, true, false}, {hPlain, false, false, false}};
        for (const Case& c : cases)
        {
            EXPECT_EQ(c.bCopy, pFrame->CanCopy(c.hWnd, c.bReadOnly)) << c.bReadOnly;
            EXPECT_EQ(c.bCut, pFrame->CanCut(c.hWnd, c.bReadOnly)) << c.bReadOnly;
        }
        ::SendMessageA(hEdit, EM_SETSEL, 0, 0);
        EXPECT_FALSE(pFrame->CanCopy(hEdit, false));
        ::SendMessageA(hEdit, EM_REPLACESEL, TRUE, (LPARAM) "x");
        ::SendMessageA(hEdit, EM_UNDO, 0, 0);
        EXPECT_EQ(::SendMessageA(hEdit, EM_CANREDO, 0, 0) != 0, pFrame->CanRedo(hEdit, false));
        EXPECT_FALSE(pFrame->CanRedo(hEdit, true));

        // The list selects all whatever it would answer; other windows are asked.
        EXPECT_TRUE(pFrame->CanSelectAll(pFrame->m_client.m_container.m_right.m_list.m_list.m_hWnd, false));
        EXPECT_FALSE(pFrame->CanSelectAll(m_store.Tree(), false));
        EXPECT_FALSE(pFrame->CanFindText(m_store.Tree(), false));
        ::DestroyWindow(hEdit);
        ::DestroyWindow(hPlain);
    });
}

namespace
{
bool s_bRegistered = false, s_bOldSaved = false, s_bAssociates = false;
CString s_strExe;
bool Registered()
{
    return s_bRegistered;
}
bool OldSaved(CRegistry*)
{
    return s_bOldSaved;
}
CString Exe()
{
    return s_strExe;
}
bool AssociateNow()
{
    s_bRegistered = s_bOldSaved = true;
    return true;
}
} // namespace

TEST_F(MainFrameTest, AssociationItemsFollowTheRegistrationTheSavedHandlerAndTheProgramPath)
{
    struct CRestore
    {
        decltype(CMainDialogs::IsDocumentTypeRegistered) pfnRegistered = CMainDialogs::IsDocumentTypeRegistered;
        decltype(CMainDialogs::HasOldFileTypeId) pfnSaved = CMainDialogs::HasOldFileTypeId;
        decltype(CMainDialogs::ExecutablePath) pfnExe = CMainDialogs::ExecutablePath;
        decltype(CMainDialogs::Associate) pfnAssociate = CMainDialogs::Associate;
        ~CRestore()
        {
            CMainDialogs::IsDocumentTypeRegistered = pfnRegistered;
            CMainDialogs::HasOldFileTypeId = pfnSaved;
            CMainDialogs::ExecutablePath = pfnExe;
            CMainDialogs::Associate = pfnAssociate;
        }
    } restore;
    CMainDialogs::IsDocumentTypeRegistered = Registered;
    CMainDialogs::HasOldFileTypeId = OldSaved;
    CMainDialogs::ExecutablePath = Exe;
    CMainDialogs::Associate = AssociateNow;
    s_bRegistered = s_bOldSaved = false;
    s_strExe = "C:\\Vorn\\Vedura.exe";
    ASSERT_NE(nullptr, m_store.Start());
    struct Case
    {
        bool bRegistered, bOldSaved;
        const char* pszExe;
        bool bAssociate, bRestore;
    } cases[] = {{false, false, "C:\\Vorn\\Vedura.exe", true, false},
                 {false, false, "", false, false},
                 {false, true, "C:\\Vorn\\Vedura.exe", true, false},
                 {true, false, "C:\\Vorn\\Vedura.exe", false, false},
                 {true, true, "", false, true}};
    for (const Case& c : cases)
    {
        s_bRegistered = c.bRegistered;
        s_bOldSaved = c.bOldSaved;
        s_strExe = c.pszExe;
        m_store.OnFrame([&]() {
            m_store.m_pFrame->RefreshAssociationItems();
            EXPECT_EQ(c.bAssociate, !(m_store.m_pFrame->UIGetState(ID_ASSOCIATE) & UPDUI_DISABLED))
                << c.bRegistered << c.bOldSaved << c.pszExe;
            EXPECT_EQ(c.bRestore, !(m_store.m_pFrame->UIGetState(ID_RESTORE_ASSOCIATE) & UPDUI_DISABLED))
                << c.bRegistered << c.bOldSaved << c.pszExe;
        });
    }

    // Associating says so and turns the items round.
    s_bRegistered = s_bOldSaved = false;
    s_strExe = "C:\\Vorn\\Vedura.exe";
    m_store.OnFrame([&]() { m_store.m_pFrame->RefreshAssociationItems(); });
    size_t nBoxes = m_store.m_user.m_boxes.size();
    m_store.Send(WM_COMMAND, ID_ASSOCIATE);
    ASSERT_EQ(nBoxes + 1, m_store.m_user.m_boxes.size());
    EXPECT_EQ("Successful associating.", m_store.m_user.m_boxes.back());
    m_store.OnFrame([&]() {
        EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_ASSOCIATE) & UPDUI_DISABLED);
        EXPECT_FALSE(m_store.m_pFrame->UIGetState(ID_RESTORE_ASSOCIATE) & UPDUI_DISABLED);
    });
}

TEST(NewMailSoundTest, ResourceIsAShortPcmWave)
{
    HMODULE hModule = GetResourceModule();
    HRSRC hResource = ::FindResourceA(hModule, "WAVE_SOUND_RINGIN", "WAVE");
    ASSERT_NE(nullptr, hResource);
    DWORD cbSize = ::SizeofResource(hModule, hResource);
    const BYTE* pData = (const BYTE*)::LockResource(::LoadResource(hModule, hResource));
    ASSERT_NE(nullptr, pData);
    ASSERT_GT(cbSize, 44u);
    auto dword = [&](size_t nAt) { return *(const DWORD*)(pData + nAt); };
    auto word = [&](size_t nAt) { return *(const WORD*)(pData + nAt); };
    EXPECT_EQ(0, memcmp(pData, "RIFF", 4));
    EXPECT_EQ(cbSize - 8, dword(4));
    EXPECT_EQ(0, memcmp(pData + 8, "WAVEfmt ", 8));
    EXPECT_EQ(WAVE_FORMAT_PCM, word(20));
    WORD nChannels = word(22), nBits = word(34);
    DWORD nRate = dword(24);
    EXPECT_EQ(nRate * nChannels * nBits / 8, dword(28));
    size_t nAt = 20 + dword(16);
    ASSERT_EQ(0, memcmp(pData + nAt, "data", 4));
    DWORD cbData = dword(nAt + 4);
    EXPECT_EQ(cbSize, nAt + 8 + cbData);
    // Long enough to be heard, short enough not to be in the way.
    double dSeconds = (double)cbData / (nRate * nChannels * nBits / 8);
    EXPECT_GT(dSeconds, 0.1);
    EXPECT_LT(dSeconds, 2.0);
    // Not silence.
    const short* pSamples = (const short*)(pData + nAt + 8);
    short nPeak = 0;
    for (DWORD i = 0; i < cbData / 2; i++)
        nPeak = std::max<short>(nPeak, (short)std::abs(pSamples[i]));
    EXPECT_GT(nPeak, 8000);
}

// Import > Address Book (33043) reads the user's Windows Address Book through the library the registry
// names, and says so when there is no book.
TEST_F(MainFrameTest, ImportAddressBookBringsInTheWindowsAddressBook)
{
    ASSERT_NE(nullptr, m_store.Start());
    char szExe[MAX_PATH] = "";
    GetModuleFileNameA(NULL, szExe, MAX_PATH);
    std::string strLibrary = szExe;
    strLibrary = strLibrary.substr(0, strLibrary.find_last_of('\\') + 1) + "wab32.dll";
    std::string strBook = std::string(ORB_TEST_DATA_DIR) + "/wab/people.wab";
    std::replace(strBook.begin(), strBook.end(), '/', '\\');
    const char kDllPath[] = "Software\\Microsoft\\WAB\\DLLPath";
    const char kFileName[] = "Software\\Microsoft\\WAB\\WAB4\\Wab File Name";
    char szOldLibrary[MAX_PATH] = "";
    LONG cbOld = sizeof(szOldLibrary);
    const bool bHadLibrary = RegQueryValueA(HKEY_LOCAL_MACHINE, kDllPath, szOldLibrary, &cbOld) == ERROR_SUCCESS;
    RegSetValueA(HKEY_LOCAL_MACHINE, kDllPath, REG_SZ, strLibrary.c_str(), (DWORD)strLibrary.size());

    const std::string strMissing = strBook + ".missing";
    RegSetValueA(HKEY_CURRENT_USER, kFileName, REG_SZ, strMissing.c_str(), (DWORD)strMissing.size());
    m_store.m_user.m_boxes.clear();
    m_store.Send(WM_COMMAND, 33043);
    ASSERT_EQ(1u, m_store.m_user.m_boxes.size());
    EXPECT_NE(std::string::npos, m_store.m_user.m_boxes[0].find("there is no address book file"));

    RegSetValueA(HKEY_CURRENT_USER, kFileName, REG_SZ, strBook.c_str(), (DWORD)strBook.size());
    m_store.m_user.m_boxes.clear();
    m_store.Send(WM_COMMAND, 33043);
    EXPECT_TRUE(m_store.m_user.m_boxes.empty());
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(32785));
    CSession& contacts =
        m_store.m_pDatabase->m_Orb.IsOpen() ? m_store.m_pDatabase->m_Orb.m_session : m_store.Local();
    EXPECT_EQ(1, QueryLong(contacts, "SELECT COUNT(*) FROM ContactName WHERE cEmail = 'anna@acme.example'"));
    EXPECT_EQ(1, QueryLong(contacts, "SELECT COUNT(*) FROM Site WHERE COMPANY = 'Acme'"));

    RegDeleteKeyA(HKEY_CURRENT_USER, kFileName);
    if (bHadLibrary)
        RegSetValueA(HKEY_LOCAL_MACHINE, kDllPath, REG_SZ, szOldLibrary, (DWORD)strlen(szOldLibrary));
    else
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kDllPath);
}

TEST_F(MainFrameTest, ContactsPaneListsTheCentralContactsAndPrintFollowsItsRowCount)
{
    CSession& central = m_store.m_pDatabase->m_Orb.m_session;
    {
        CContactNameTable table(&central);
        table.EnsureSchema(NULL);
    }
    ASSERT_TRUE(Execute(central, "INSERT INTO Site (COMPANY, Ind) VALUES ('Acme', 0)"));
    for (const char* pszName : {"'John', 'Smith', 'js@x'", "'Mary', 'Jones', 'mj@x'"})
    {
        CString strSQL = CString("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) "
                                 "SELECT MAX(SiteID), ") +
                         pszName + " FROM Site";
        ASSERT_TRUE(Execute(central, strSQL));
    }
    ASSERT_NE(nullptr, m_store.Start());
    CContactsPane& pane = m_store.m_pFrame->m_client.m_container.m_left.m_contacts;
    ASSERT_TRUE(WaitFor([&]() { return ListView_GetItemCount(pane.m_hWndList) == 2; }));
    EXPECT_EQ("John Smith", ListViewItems(pane.m_hWndList)[0][0]);
    SaveWindowScreenshot(pane.m_hWnd, "contacts-pane");

    // Run on the frame's thread from end to end, so that no focus change in between moves Print.
    auto printEnabled = [&]() {
        return !(m_store.m_pFrame->UIGetState(ID_FILE_PRINT_MESSAGE) & UPDUI_DISABLED);
    };
    bool bEmptied = true, bRefilled = false, bOneLeft = false, bNoneLeft = true;
    m_store.OnFrame([&]() {
        pane.m_list.DeleteAllItems();
        bEmptied = printEnabled();
        pane.m_list.OnUpdate();
        bRefilled = printEnabled();
        pane.m_list.DeleteItem(0);
        bOneLeft = printEnabled();
        pane.m_list.DeleteItem(0);
        bNoneLeft = printEnabled();
    });
    EXPECT_FALSE(bEmptied);
    EXPECT_TRUE(bRefilled);
    EXPECT_TRUE(bOneLeft);
    EXPECT_FALSE(bNoneLeft);
}

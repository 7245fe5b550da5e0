// The message list in the main window on a small store: the fill with its cells, images and counts,
// sorting, and the delete, move and mark commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "app/ManagerCommands.h"
#include "store/MessageFlagsNotice.h"
#include "ui/main/MessagesList.h"

namespace
{
bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 2000; i++)
    {
        if (done())
            return true;
        Sleep(10);
    }
    return false;
}

class MessagesListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CSession& local = m_store.Local();
        m_nDeleted = QueryLong(local, "SELECT ID FROM Folders WHERE Type = 4");
        const struct
        {
            const char* pszRef;
            const char* pszSubject;
            LONG nFlags;
        } rows[] = {{"=?ISO-8859-1?Q?Andr=E9?= <a@x>", "b unread", 0x02},
                    {"Bob <b@x>", "a struck", 0x82},
                    {"Cy <c@x>", "c flagged", 0x04 | 0x01},
                    {"Di <d@x>", "=?ISO-8859-1?Q?d_read?=", 0x00},
                    {"Ed <e@x>", "e no body", 0x42}};
        int n = 0;
        for (const auto& row : rows)
        {
            CString strSQL;
            strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                          "Encode) VALUES (%d, '%s', 'Subject: x\r\n\r\nbody', '%s', %ld, %ld, 'u%d', 0, 0)",
                          45000 + n, row.pszSubject, row.pszRef, (long)m_store.m_nInbox, (long)row.nFlags, n);
            Execute(local, strSQL);
            n++;
        }
    }

    CListViewCtrlMessages& List() { return m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list; }

    // Selects the folder and waits until its fill has announced its count.
    void Fill(LONG nFolderID)
    {
        // A folder selected already would not be selected again (the Inbox is selected at the start).
        if (m_nLast == 0)
            m_nLast = m_store.m_nInbox;
        if (m_nLast == nFolderID)
            Fill(nFolderID == m_store.m_nAlpha ? m_store.m_nProjects : m_store.m_nAlpha);
        m_nLast = nFolderID;
        MessageFlagsNotice.nKind = NOTICE_NONE;
        ASSERT_TRUE(m_store.Select(nFolderID));
        // The fill of this folder has counted it.
        ASSERT_TRUE(WaitUntil([&]() {
            return MessageFlagsNotice.nKind == NOTICE_FOLDER_COUNTED && MessageFlagsNotice.nFolderID == nFolderID;
        }));
        ASSERT_TRUE(WaitUntil([&]() {
            bool bIdle = false;
            m_store.OnFrame([&]() { bIdle = !List().IsFilling(); });
            return bIdle;
        }));
        m_store.OnFrame([]() {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        });
    }

    std::vector<std::string> Subjects()
    {
        std::vector<std::string> subjects;
        m_store.OnFrame([&]() {
            for (int i = 0; i < List().GetRowCount(); i++)
                subjects.push_back((const char*)List().CellText(i, 3));
        });
        return subjects;
    }

    CMainFrameFixture m_store;
    LONG m_nDeleted = 0;
    LONG m_nLast = 0;
};

TEST_F(MessagesListTest, FillDecodesCellsChoosesImagesAndWritesTheUnreadCount)
{
    ASSERT_NE(nullptr, m_store.Start());
    MessageFlagsNotice = {};
    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        CListViewCtrlMessages& list = List();
        ASSERT_EQ(5, list.GetRowCount());
        EXPECT_STREQ("Andr\xE9 <a@x>", list.CellText(0, 2));
        EXPECT_STREQ("d read", list.CellText(3, 3));
        const int kImages[] = {IMAGE_UNREAD, IMAGE_FLAG_80, IMAGE_FLAG_04, IMAGE_READ, IMAGE_UNREAD_NOBODY};
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(kImages[i], list.CellImage(i, 2)) << i;
        EXPECT_EQ(IMAGE_CLIP, list.CellImage(2, 1));
        EXPECT_EQ(list.m_hFontBold, list.FontOfRow(0));
        EXPECT_EQ(list.m_hFontStrike, list.FontOfRow(1));
        EXPECT_EQ(nullptr, list.FontOfRow(3));
        // No reselect asked: the last row is selected.
        EXPECT_EQ(std::vector<int>(1, 4), list.SelectedRows());
    });
    // Unread: rows 0 and 4; the 0x80 row counts as read.
    CString strSQL;
    strSQL.Format("SELECT nUnread FROM Folders WHERE ID = %ld", (long)m_store.m_nInbox);
    EXPECT_EQ(2, QueryLong(m_store.Local(), strSQL));
    EXPECT_EQ(NOTICE_FOLDER_COUNTED, MessageFlagsNotice.nKind);
    EXPECT_EQ(5, MessageFlagsNotice.nMessages);
}

TEST_F(MessagesListTest, AnEmptyFolderStillCountsAndHeaderClicksSortUpThenDown)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nAlpha);
    EXPECT_EQ(0, MessageFlagsNotice.nMessages);
    m_store.OnFrame([&]() { EXPECT_EQ(0, List().GetRowCount()); });

    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        List().SendMessage(LVM_SORTITEMS, 3, 0);
        HDITEMA hdi = {};
        hdi.mask = HDI_IMAGE;
        Header_GetItem(ListView_GetHeader(List().m_hWnd), 3, &hdi);
        EXPECT_EQ(IMAGE_SORT_UP, hdi.iImage);
    });
    // The stored subject is compared, so the encoded one sorts by its "=?" form.
    EXPECT_EQ((std::vector<std::string>{"d read", "a struck", "b unread", "c flagged", "e no body"}), Subjects());
    m_store.OnFrame([&]() {
        List().SendMessage(LVM_SORTITEMS, 3, 0);
        HDITEMA hdi = {};
        hdi.mask = HDI_IMAGE;
        Header_GetItem(ListView_GetHeader(List().m_hWnd), 3, &hdi);
        EXPECT_EQ(IMAGE_SORT_DOWN, hdi.iImage);
    });
    EXPECT_EQ((std::vector<std::string>{"e no body", "c flagged", "b unread", "a struck", "d read"}), Subjects());
}

TEST_F(MessagesListTest, MarkReadCountsOnlyRowsThatChangeAndDeleteMovesToDeletedItems)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        CListViewCtrlMessages& list = List();
        ListView_SetItemState(list.m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(1, list.SendMessage(WM_COMMAND, ID_CAN_MARK_AS_READ));
        MessageFlagsNotice.nUnread = 0;
        list.SendMessage(WM_COMMAND, ID_MARK_AS_READ);
        // Rows 0 and 4 were unread; the 0x80 row already counts as read.
        EXPECT_EQ(2u, ChangedMessageIDs.size());
        EXPECT_EQ(-2, MessageFlagsNotice.nUnreadDelta);
        list.SendMessage(WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS);
        EXPECT_FALSE(list.Row(0).IsUnread());
        EXPECT_EQ(IMAGE_READ, list.CellImage(0, 2));

        ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list.m_hWnd, 1, LVIS_SELECTED, LVIS_SELECTED);
        ListView_SetItemState(list.m_hWnd, 2, LVIS_SELECTED, LVIS_SELECTED);
        list.SendMessage(WM_COMMAND, ID_EDIT_DELETE);
        EXPECT_EQ((std::vector<std::string>{"b unread", "d read", "e no body"}),
                  [&]() {
                      std::vector<std::string> s;
                      for (int i = 0; i < list.GetRowCount(); i++)
                          s.push_back((const char*)list.CellText(i, 3));
                      return s;
                  }());
        EXPECT_EQ(std::vector<int>(1, 1), list.SelectedRows());
    });
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", (long)m_nDeleted);
    EXPECT_EQ(2, QueryLong(m_store.Local(), strSQL));
}

TEST_F(MessagesListTest, DeleteInDeletedItemsAsksOnceAndNoChangesNothing)
{
    CString strSQL;
    strSQL.Format("UPDATE Emails SET FolderID = %ld", (long)m_nDeleted);
    Execute(m_store.Local(), strSQL);
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_nDeleted);
    for (int nAnswer : {IDNO, IDYES})
    {
        m_store.m_user.m_boxes.clear();
        m_store.m_user.m_boxAnswers.push_back(nAnswer);
        m_store.OnFrame([&]() {
            ListView_SetItemState(List().m_hWnd, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(List().m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
            ListView_SetItemState(List().m_hWnd, 1, LVIS_SELECTED, LVIS_SELECTED);
            List().SendMessage(WM_COMMAND, ID_EDIT_DELETE);
        });
        ASSERT_EQ(1u, m_store.m_user.m_boxes.size());
        EXPECT_EQ("Are you sure you want to permanently delete the 2 selected message(s)?",
                  m_store.m_user.m_boxes[0]);
        EXPECT_EQ(nAnswer == IDNO ? 5 : 3, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Emails"));
    }
}

TEST_F(MessagesListTest, DestroyingTheWindowMidFillReturns)
{
    CSession& local = m_store.Local();
    for (int i = 0; i < 12; i++)
        Execute(local, "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                       "Encode) SELECT EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, Encode "
                       "FROM Emails");
    ASSERT_NE(nullptr, m_store.Start());
    ASSERT_TRUE(m_store.Select(m_store.m_nInbox));
    m_store.Stop();
}
} // namespace

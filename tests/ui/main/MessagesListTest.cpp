// The message list in the main window on a small store: the fill with its cells, images and counts,
// sorting, and the delete, move and mark commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "app/ManagerCommands.h"
#include "store/MessageFlagsNotice.h"
#include "store/ImapFolderClient.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "platform/wtl/SystemSeams.h"
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

const char kInFolder[] = "SELECT COUNT(*) FROM Emails WHERE FolderID = %ld";

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

    LONG Count(const char* pszFormat, LONG nArgument)
    {
        CString strSQL;
        strSQL.Format(pszFormat, (long)nArgument);
        return QueryLong(m_store.Local(), strSQL);
    }

    void SelectOnly(int nRow)
    {
        ListView_SetItemState(List().m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(List().m_hWnd, nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    // Requests a fill and starts it at once: until this thread is left, the fill waits for it with its first
    // rows, so what follows happens mid-fill.
    void StartFillOnThisThread(LONG nFolderID)
    {
        CFoldersRecord folder;
        folder.m_ID = nFolderID;
        List().SelFolderChanged(&folder, -1);
        List().SendMessage(WM_COMMAND, ID_RUN_THREAD);
        EXPECT_TRUE(List().IsFilling());
    }

    // Runs what the frame's thread has been posted (a requested fill starts), waits for the fill's end and
    // runs what its end posted.
    void WaitForIdle()
    {
        auto pump = [this]() {
            m_store.OnFrame([]() {
                MSG msg;
                while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                    DispatchMessageA(&msg);
            });
        };
        pump();
        ASSERT_TRUE(WaitUntil([&]() { return !List().IsFilling(); }));
        pump();
    }

    // The tree item of a folder in a dialog's tree, found by its data.
    static HTREEITEM FindItem(HWND hTree, HTREEITEM hFrom, LONG nFolderID)
    {
        for (HTREEITEM h = hFrom; h != NULL; h = TreeView_GetNextSibling(hTree, h))
        {
            TVITEMA item = {TVIF_PARAM, h};
            TreeView_GetItem(hTree, &item);
            if (item.lParam != 0 && reinterpret_cast<CFolderItemData*>(item.lParam)->folder.m_ID == nFolderID)
                return h;
            HTREEITEM hFound = FindItem(hTree, TreeView_GetChild(hTree, h), nFolderID);
            if (hFound != NULL)
                return hFound;
        }
        return NULL;
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
    m_store.OnFrame([&]() {
        ::RedrawWindow(m_store.m_pFrame->m_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    SaveWindowScreenshot(m_store.m_pFrame->m_hWnd, "message-list-rows");
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

TEST_F(MessagesListTest, MoveToFolderAsksForTheFolderAndMovesTheSelection)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    HWND hList = NULL;
    m_store.OnFrame([&]() {
        SelectOnly(2);
        hList = List().m_hWnd;
    });
    ::PostMessageA(hList, WM_COMMAND, ID_MOVE_TO_FOLDER, 0);
    HWND hDlg = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), "Move");
    ASSERT_NE(nullptr, hDlg);
    m_store.OnFrame([&]() {
        HWND hTree = ::GetDlgItem(hDlg, IDC_FOLDER_TREE);
        // The list's folder is the one preselected; OK waits for a choice and takes the chosen one.
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDOK)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hDlg, IDC_CHOICE_NEW_FOLDER)));
        HTREEITEM hAlpha = FindItem(hTree, TreeView_GetRoot(hTree), m_store.m_nAlpha);
        ASSERT_NE(nullptr, hAlpha);
        TreeView_SelectItem(hTree, hAlpha);
        ::RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    SaveWindowScreenshot(hDlg, "move-dialog");
    CDialogResponder::Press(hDlg, IDOK);
    ASSERT_TRUE(WaitUntil([&]() { return Count(kInFolder, m_store.m_nAlpha) == 1; }));
    m_store.OnFrame([&]() { EXPECT_EQ(4, List().GetRowCount()); });
}

TEST_F(MessagesListTest, PrintWritesAFileOfItsOwnForEachPrintAndHandsItToTheFrame)
{
    // The frame's print dialog prints through the seam: nothing reaches a printer here.
    const auto pfnPrint = CSystemSeams::PrintDocument;
    CSystemSeams::PrintDocument = [](IDispatch*, bool) { return S_OK; };
    struct CRestore
    {
        decltype(pfnPrint) pfn;
        ~CRestore() { CSystemSeams::PrintDocument = pfn; }
    } restore{pfnPrint};
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        CDlgMessagesList& pane = m_store.m_pFrame->m_client.m_container.m_right.m_list;
        SelectOnly(3);
        // Without the focus the list leaves Print to the window that has it.
        ::SetFocus(m_store.Tree());
        EXPECT_EQ(0, pane.SendMessage(WM_COMMAND, ID_FILE_PRINT_MESSAGE));
        EXPECT_TRUE(m_store.m_pFrame->m_dlgPrint.m_strPath.IsEmpty());
        List().SetFocus();
        pane.SendMessage(WM_COMMAND, ID_FILE_PRINT_MESSAGE);
        CString strFirst = m_store.m_pFrame->m_dlgPrint.m_strPath;
        // The print dialog, created by the first print, leaves the focus (and so Print) with the list.
        EXPECT_EQ(List().m_hWnd, ::GetFocus());
        pane.SendMessage(WM_COMMAND, ID_FILE_PRINT_MESSAGE);
        CString strSecond = m_store.m_pFrame->m_dlgPrint.m_strPath;
        EXPECT_STRNE(strFirst, strSecond);
        for (const CString& strPath : {strFirst, strSecond})
        {
            FILE* pFile = fopen(strPath, "rb");
            ASSERT_NE(nullptr, pFile) << (const char*)strPath;
            std::string strHtml;
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
                strHtml.append(buffer, n);
            fclose(pFile);
            EXPECT_NE(std::string::npos, strHtml.find("<U><B>x </B></U>")) << strHtml;
            EXPECT_NE(std::string::npos, strHtml.find("<B>Subject:</B> x")) << strHtml;
            EXPECT_NE(std::string::npos, strHtml.find("body")) << strHtml;
        }
    });
    // The dialog prints once the page has loaded: the frame ends before the seam is put back.
    m_store.Stop();
}

TEST_F(MessagesListTest, AddSenderOpensTheSheetWithTheSenderAndStoresTheContact)
{
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Ref = 'Cy Young <c@x>' WHERE Subject = 'c flagged'");
    Execute(m_store.Local(), strSQL);
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    HWND hList = NULL;
    m_store.OnFrame([&]() {
        SelectOnly(2);
        hList = m_store.m_pFrame->m_client.m_container.m_right.m_list.m_hWnd;
    });
    ::PostMessageA(hList, WM_COMMAND, ID_ADD_SENDER, 0);
    HWND hSheet = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), "Contact Properties");
    ASSERT_NE(nullptr, hSheet) << (m_store.m_user.m_boxes.empty() ? "" : m_store.m_user.m_boxes.back());
    HWND hPage = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    EXPECT_EQ("Cy", CDialogResponder::ItemText(hPage, 1018));
    EXPECT_EQ("Young", CDialogResponder::ItemText(hPage, 1020));
    EXPECT_EQ("c@x", CDialogResponder::ItemText(hPage, 1025));
    CDialogResponder::Press(hSheet, IDOK);
    EXPECT_TRUE(m_store.m_manager.WaitForCommand(ID_UPDATE_ADDRESS_BOOK));
    EXPECT_EQ(1, QueryLong(m_store.m_pDatabase->m_Orb.m_session,
                           "SELECT COUNT(*) FROM ContactName WHERE cFirstname = 'Cy' AND cSurname = 'Young' AND "
                           "cEmail = 'c@x'"));
    EXPECT_TRUE(m_store.m_user.m_boxes.empty());
}

TEST_F(MessagesListTest, SaveAsWritesTheSelectedMessageToTheChosenFile)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    HWND hList = NULL;
    m_store.OnFrame([&]() {
        SelectOnly(3);
        hList = List().m_hWnd;
    });
    const std::string strPath = std::string(m_store.m_folder.Path("saved.eml"));
    ::PostMessageA(hList, WM_COMMAND, ID_FILE_SAVE_AS_MESSAGE, 0);
    HWND hDlg = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), "Save Message As");
    ASSERT_NE(nullptr, hDlg);
    // The proposed name is the message's own subject.
    std::string strProposed = CDialogResponder::ItemText(hDlg, 1148);
    if (strProposed.empty())
        strProposed = CDialogResponder::ItemText(hDlg, 1152);
    EXPECT_EQ("x", strProposed.substr(0, 1));
    CDialogResponder::SetField(hDlg, 1148, strPath.c_str());
    CDialogResponder::SetField(hDlg, 1152, strPath.c_str());
    CDialogResponder::Press(hDlg, IDOK);
    ASSERT_TRUE(WaitUntil([&]() { return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    ASSERT_TRUE(WaitUntil([&]() { return !::IsWindow(hDlg); }));
    // The list's thread writes the file after the dialog has gone, and holds it while it writes.
    std::string strSaved;
    EXPECT_TRUE(WaitUntil([&]() {
        FILE* pFile = fopen(strPath.c_str(), "rb");
        if (pFile == nullptr)
            return false;
        char buffer[64] = {};
        size_t n = fread(buffer, 1, sizeof(buffer) - 1, pFile);
        fclose(pFile);
        strSaved.assign(buffer, n);
        return strSaved == "Subject: x\r\n\r\nbody";
    }));
    EXPECT_EQ("Subject: x\r\n\r\nbody", strSaved);
}

TEST_F(MessagesListTest, ItsDialogsOpenOverTheMainWindowWhenAnotherWindowIsActive)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    HWND hList = NULL;
    m_store.OnFrame([&]() {
        SelectOnly(3);
        hList = List().m_hWnd;
    });
    const struct
    {
        UINT nCommand;
        const char* pszCaption;
    } cases[] = {{ID_MOVE_TO_FOLDER, "Move"}, {ID_FILE_SAVE_AS_MESSAGE, "Save Message As"}};
    CForegroundElsewhere elsewhere;
    for (const auto& c : cases)
    {
        ::PostMessageA(hList, WM_COMMAND, c.nCommand, 0);
        HWND hDlg = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), c.pszCaption);
        ASSERT_NE(nullptr, hDlg) << c.pszCaption;
        EXPECT_TRUE(OpensOver(hDlg, m_store.m_pFrame->m_hWnd)) << c.pszCaption;
        CDialogResponder::Press(hDlg, IDCANCEL);
        ASSERT_TRUE(WaitUntil([&]() { return !::IsWindow(hDlg); })) << c.pszCaption;
    }
    EXPECT_EQ(5, Count(kInFolder, m_store.m_nInbox));
}

TEST_F(MessagesListTest, TheContextMenuGreysWhatOneRowOnlyAllowsAndWhatTheMarksExclude)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    const struct
    {
        std::vector<int> rows;
        std::vector<UINT> grey;
    } cases[] = {
        // One unread row: Mark as Unread does not apply.
        {{0}, {ID_MARK_AS_UNREAD}},
        // Two rows: the one-message commands are greyed, both marks apply.
        {{0, 3},
         {ID_FILE_OPEN_MESSAGE, ID_FILE_PRINT_MESSAGE, ID_REPLY, ID_FORWARD, ID_ADD_SENDER, 32790}},
    };
    const UINT kItems[] = {ID_FILE_OPEN_MESSAGE, ID_FILE_PRINT_MESSAGE, ID_REPLY, ID_FORWARD, ID_MARK_AS_READ,
                           ID_MARK_AS_UNREAD, ID_MOVE_TO_FOLDER, ID_EDIT_DELETE, ID_ADD_SENDER, 32790};
    for (const auto& c : cases)
    {
        m_store.OnFrame([&]() {
            ListView_SetItemState(List().m_hWnd, -1, 0, LVIS_SELECTED);
            for (int nRow : c.rows)
                ListView_SetItemState(List().m_hWnd, nRow, LVIS_SELECTED, LVIS_SELECTED);
            HMENU hMenu = List().LoadContextMenu();
            ASSERT_NE(nullptr, hMenu);
            HMENU hPopup = GetSubMenu(hMenu, 0);
            for (UINT nID : kItems)
            {
                const bool bGrey = (GetMenuState(hPopup, nID, MF_BYCOMMAND) & MF_GRAYED) != 0;
                const bool bExpected = std::find(c.grey.begin(), c.grey.end(), nID) != c.grey.end();
                EXPECT_EQ(bExpected, bGrey) << nID << " with " << c.rows.size() << " rows";
            }
            DestroyMenu(hMenu);
        });
    }
}

HRESULT RecordDrag(IDataObject* pDataObject, IDropSource*, DWORD dwEffects, DWORD* pdwEffect);
struct CRecordedDrag
{
    int nDrags = 0;
    DWORD dwEffects = 0;
    HRESULT hrFormat = E_FAIL;
} g_drag;

HRESULT RecordDrag(IDataObject* pDataObject, IDropSource*, DWORD dwEffects, DWORD* pdwEffect)
{
    g_drag.nDrags++;
    g_drag.dwEffects = dwEffects;
    FORMATETC format = {(CLIPFORMAT)RegisterClipboardFormatA("MessagesListClipboardFormat"), NULL, DVASPECT_CONTENT, -1,
                        TYMED_HGLOBAL};
    g_drag.hrFormat = pDataObject->QueryGetData(&format);
    *pdwEffect = DROPEFFECT_MOVE;
    return DRAGDROP_S_DROP;
}

TEST_F(MessagesListTest, MovingTheMouseWithTheButtonOverARowDragsTheSelection)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    g_drag = CRecordedDrag();
    CListViewCtrlMessages::DragStarter pfnOld = CListViewCtrlMessages::SetDragStarter(RecordDrag);
    m_store.OnFrame([&]() {
        SelectOnly(1);
        RECT rc = {};
        rc.left = LVIR_ICON;
        ListView_GetItemRect(List().m_hWnd, 1, &rc, LVIR_ICON);
        LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        List().SendMessage(WM_MOUSEMOVE, 0, lPoint);
        EXPECT_EQ(0, g_drag.nDrags);
        List().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, lPoint);
        // Below the last row there is nothing to drag.
        List().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 2000));
    });
    CListViewCtrlMessages::SetDragStarter(pfnOld);
    EXPECT_EQ(1, g_drag.nDrags);
    EXPECT_EQ((DWORD)(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK), g_drag.dwEffects);
    EXPECT_EQ(S_OK, g_drag.hrFormat);
}

TEST_F(MessagesListTest, WithoutTheSettingTheListIsNewestFirstAndSelectsNothing)
{
    // A new user has no value: the settings' default orders by date, as a received message is placed.
    m_store.m_pRegistry->WriteProfileString("Options", "Mark Order By Date", NULL);
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        EXPECT_EQ(" ORDER BY EmDate DESC",
                  std::string(List().m_strLastQuery.Right((int)strlen(" ORDER BY EmDate DESC"))));
        EXPECT_TRUE(List().SelectedRows().empty());
    });
    EXPECT_EQ((std::vector<std::string>{"e no body", "d read", "c flagged", "a struck", "b unread"}), Subjects());
}

TEST_F(MessagesListTest, AnAccountViewListsTheSystemFolderMessagesOfItsAddressOnce)
{
    CSession& local = m_store.Local();
    Execute(local, "UPDATE Emails SET Ref = 'Di <a0@example.org>' WHERE Subject LIKE '%d_read%'");
    LONG nNoBody = QueryLong(local, "SELECT EmailsID FROM Emails WHERE Subject = 'e no body'");
    for (int i = 0; i < 2; i++)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Address (EmailID, Address, Name, Type, Flags) VALUES (%ld, 'a0@example.org', "
                      "'W', 1, 0)",
                      (long)nNoBody);
        Execute(local, strSQL);
    }
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    m_store.OnFrame([&]() {
        List().m_strAccountName = "Work <a0@example.org>";
        CFoldersRecord node;
        node.m_ID = 0;
        node.m_Type = 1;
        List().SelFolderChanged(&node, -1);
    });
    WaitForIdle();
    EXPECT_EQ((std::vector<std::string>{"d read", "e no body"}), Subjects());
}

struct CImapCall
{
    std::string strCall;
    LONG nFolderID;
    std::string strPath;
    std::string strArgument;
};
std::vector<CImapCall> g_imapCalls;

class CRecordingImapClient : public CImapFolderClient
{
public:
    void CreateFolder(const char*) override {}
    void RenameFolder(const char*, const char*) override {}
    void DeleteFolder(LONG, const char*) override {}
    void SelectFolder(LONG nFolderID, const char* pszPath, LONG nMessages) override
    {
        g_imapCalls.push_back({"select", nFolderID, pszPath, std::to_string(nMessages)});
    }
    void DeleteMessage(LONG nFolderID, const char* pszPath, const char* pszUniqueID) override
    {
        g_imapCalls.push_back({"delete", nFolderID, pszPath, pszUniqueID});
    }
    void CallComponent(int) override {}
};

CImapFolderClient* MakeRecordingImapClient(const CAccountsRecord&, HWND)
{
    return new CRecordingImapClient;
}

TEST_F(MessagesListTest, AnImapFolderIsSynchronisedAfterItsFillAndItsDeleteGoesToTheServer)
{
    CSession& local = m_store.Local();
    Execute(local, "INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                   "VALUES (0, 'Home', 13, 0, 0, 0)");
    LONG nRoot = QueryLong(local, "SELECT ID FROM Folders WHERE Type = 13");
    CString strSQL;
    strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                  "VALUES (%ld, 'INBOX', 14, 0, 0, 0)",
                  (long)nRoot);
    Execute(local, strSQL);
    LONG nImap = QueryLong(local, "SELECT ID FROM Folders WHERE Type = 14");
    strSQL.Format("UPDATE Emails SET FolderID = %ld WHERE Subject IN ('a struck', 'c flagged')", (long)nImap);
    Execute(local, strSQL);
    g_imapCalls.clear();
    ImapFolderClientFactory pfnOld = SetImapFolderClientFactory(MakeRecordingImapClient);
    ASSERT_NE(nullptr, m_store.Start());
    Fill(nImap);
    ASSERT_TRUE(WaitUntil([&]() {
        bool bFound = false;
        m_store.OnFrame([&]() {
            for (const CImapCall& call : g_imapCalls)
                bFound = bFound || (call.strCall == "select" && call.nFolderID == nImap);
        });
        return bFound;
    }));
    m_store.OnFrame([&]() {
        std::vector<CImapCall> selects;
        for (const CImapCall& call : g_imapCalls)
            if (call.strCall == "select" && call.nFolderID == nImap)
                selects.push_back(call);
        ASSERT_EQ(1u, selects.size());
        EXPECT_EQ("INBOX", selects[0].strPath);
        EXPECT_EQ("2", selects[0].strArgument);
        g_imapCalls.clear();
        ListView_SetItemState(List().m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED);
        List().SendMessage(WM_COMMAND, ID_EDIT_DELETE);
        // The rows stay until the server's copy is read again, which follows the deletes at once.
        EXPECT_EQ(2, List().GetRowCount());
        std::vector<std::string> calls;
        for (const CImapCall& call : g_imapCalls)
        {
            EXPECT_EQ(nImap, call.nFolderID);
            EXPECT_EQ("INBOX", call.strPath);
            calls.push_back(call.strCall + " " + (call.strCall == "delete" ? call.strArgument : ""));
        }
        EXPECT_EQ((std::vector<std::string>{"delete u1", "delete u2", "select "}), calls);
    });
    EXPECT_EQ(2, Count("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", nImap));
    m_store.Stop();
    SetImapFolderClientFactory(pfnOld);
}

// The previews the list's pane hands on: the message each showed.
std::vector<LONG> g_previewed;
WNDPROC g_pfnPaneParent = NULL;

LRESULT CALLBACK CountPreviews(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == ID_VIEW_MESSAGE_BODY && lParam != 0)
        g_previewed.push_back(reinterpret_cast<CEmailsImpl<>*>(lParam)->m_EmailsID);
    return CallWindowProcA(g_pfnPaneParent, hWnd, uMsg, wParam, lParam);
}

// A key held down over the rows previews its first step and the row it stops on, never the rows between;
// the stop is the key's release, or the end of its repeats.
TEST_F(MessagesListTest, AHeldArrowKeyPreviewsOnlyTheRowItStopsOn)
{
    ASSERT_NE(nullptr, m_store.Start());
    Fill(m_store.m_nInbox);
    for (bool bRelease : {true, false})
    {
        SCOPED_TRACE(bRelease ? "released" : "repeats stop");
        LONG nFirstStep = 0, nLast = 0;
        m_store.OnFrame([&]() {
            HWND hParent = ::GetParent(List().GetParent());
            g_pfnPaneParent = (WNDPROC)SetWindowLongPtrA(hParent, GWLP_WNDPROC, (LONG_PTR)CountPreviews);
            SelectOnly(0);
            g_previewed.clear();
            nFirstStep = List().Row(1).nEmailsID;
            nLast = List().Row(List().GetRowCount() - 1).nEmailsID;
            List().SendMessage(WM_KEYDOWN, VK_DOWN, 1);
            for (int i = 1; i < List().GetRowCount() - 1; i++)
                List().SendMessage(WM_KEYDOWN, VK_DOWN, 1 | (1 << 30));
            EXPECT_EQ(List().GetRowCount() - 1, ListView_GetNextItem(List().m_hWnd, -1, LVNI_SELECTED));
            if (bRelease)
                List().SendMessage(WM_KEYUP, VK_DOWN, 1 | (1 << 30) | (1u << 31));
        });
        ASSERT_TRUE(WaitUntil([&]() {
            bool bShown = false;
            m_store.OnFrame([&]() { bShown = g_previewed.size() >= 2; });
            return bShown;
        }));
        m_store.OnFrame([&]() {
            EXPECT_EQ((std::vector<LONG>{nFirstStep, nLast}), g_previewed);
            SetWindowLongPtrA(::GetParent(List().GetParent()), GWLP_WNDPROC, (LONG_PTR)g_pfnPaneParent);
        });
    }
    m_store.Stop();
}

// A store of 20 480 messages in the Inbox, made by doubling the five in one statement each.
class LargeStoreListTest : public MessagesListTest
{
protected:
    void SetUp() override
    {
        MessagesListTest::SetUp();
        CSession& local = m_store.Local();
        for (int i = 0; i < 12; i++)
            Execute(local, "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                           "Encode) SELECT EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                           "Encode FROM Emails");
        m_nTotal = Count("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", m_store.m_nInbox);
        ASSERT_NE(nullptr, m_store.Start());
        Fill(m_store.m_nInbox);
        m_store.OnFrame([&]() { ASSERT_EQ(m_nTotal, List().GetRowCount()); });
    }

    LONG m_nTotal = 0;
};

TEST_F(LargeStoreListTest, AnotherFolderChosenMidFillStopsItAndFillsThatFolder)
{
    CString strSQL;
    strSQL.Format("UPDATE Folders SET nUnread = 7 WHERE ID = %ld", (long)m_store.m_nInbox);
    Execute(m_store.Local(), strSQL);
    MessageFlagsNotice.nKind = NOTICE_NONE;
    m_store.OnFrame([&]() {
        StartFillOnThisThread(m_store.m_nInbox);
        CFoldersRecord projects;
        projects.m_ID = m_store.m_nProjects;
        List().SelFolderChanged(&projects, -1);
    });
    ASSERT_TRUE(WaitUntil([&]() {
        return MessageFlagsNotice.nKind == NOTICE_FOLDER_COUNTED && MessageFlagsNotice.nFolderID == m_store.m_nProjects;
    }));
    WaitForIdle();
    m_store.OnFrame([&]() { EXPECT_EQ(0, List().GetRowCount()); });
    // The stopped fill counted only a part of the Inbox and wrote nothing.
    EXPECT_EQ(7, Count("SELECT nUnread FROM Folders WHERE ID = %ld", m_store.m_nInbox));
}

TEST_F(LargeStoreListTest, DeleteAndMoveAskedMidFillRunWhenTheFillHasEnded)
{
    m_store.OnFrame([&]() {
        StartFillOnThisThread(m_store.m_nInbox);
        List().SendMessage(WM_COMMAND, ID_EDIT_DELETE);
        List().SendMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, m_store.m_nAlpha);
        EXPECT_EQ(m_store.m_nAlpha, List().m_nPendingMove);
    });
    // The fill selects its last row; the move and the delete each take the row selected when they run.
    ASSERT_TRUE(WaitUntil([&]() { return Count(kInFolder, m_nDeleted) == 1; }));
    ASSERT_TRUE(WaitUntil([&]() { return Count(kInFolder, m_store.m_nAlpha) == 1; }));
    WaitForIdle();
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", m_store.m_nAlpha));
    m_store.OnFrame([&]() { EXPECT_EQ(m_nTotal - 2, List().GetRowCount()); });
    EXPECT_TRUE(m_store.m_user.m_boxes.empty()) << (m_store.m_user.m_boxes.empty() ? "" : m_store.m_user.m_boxes[0]);
}

class CIdRecord
{
public:
    LONG m_nValue = 0;
    // clang-format off
    BEGIN_COLUMN_MAP(CIdRecord)
        COLUMN_ENTRY(1, m_nValue)
    END_COLUMN_MAP()
    // clang-format on
};

std::vector<LONG> QueryIDs(CSession& session, const char* pszSQL)
{
    std::vector<LONG> ids;
    CCommand<CAccessor<CIdRecord>> command;
    if (FAILED(command.Open(session, pszSQL)))
        return ids;
    while (command.MoveNext() == S_OK)
        ids.push_back(command.m_nValue);
    return ids;
}

// The fill reads a large folder in pages while a received message is handed over: afterwards the list holds
// the folder's rows in its order (equal and missing dates included), the new message once.
TEST_F(LargeStoreListTest, AFolderReadInPagesListsEachOfItsRowsOnceInOrder)
{
    const struct
    {
        BOOL bOrderByDate;
        const char* pszOrder;
    } cases[] = {{FALSE, "ORDER BY EmailsID"}, {TRUE, "ORDER BY EmDate DESC, EmailsID DESC"}};
    CSession& local = m_store.Local();
    CString strSQL;
    strSQL.Format(
        "UPDATE Emails SET EmDate = NULL WHERE EmailsID IN (SELECT EmailsID FROM Emails WHERE FolderID = "
        "%ld ORDER BY EmailsID LIMIT 3 OFFSET 300)",
        (long)m_store.m_nInbox);
    Execute(local, strSQL);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszOrder);
        m_store.m_pRegistry->WriteProfileInt("Options", "Mark Order By Date", c.bOrderByDate);
        m_store.m_pRegistry->m_bOrderByDate = c.bOrderByDate;
        LONG nNew = 0;
        m_store.OnFrame([&]() {
            StartFillOnThisThread(m_store.m_nInbox);
            // Stored and handed over while the fill runs: newest by date and by number.
            strSQL.Format(
                "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                "Encode) VALUES (46000, 'arrived mid-fill', 'Subject: x\r\n\r\nbody', 'New <n@x>', %ld, "
                "2, 'new', 0, 0)",
                (long)m_store.m_nInbox);
            Execute(local, strSQL);
            nNew = QueryLong(local, "SELECT MAX(EmailsID) FROM Emails");
            ::SendMessageA(m_store.m_pFrame->m_hWnd, WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, nNew);
        });
        WaitForIdle();
        strSQL.Format("SELECT EmailsID FROM Emails WHERE FolderID = %ld %s", (long)m_store.m_nInbox,
                      c.pszOrder);
        const std::vector<LONG> expected = QueryIDs(local, strSQL);
        std::vector<LONG> listed;
        m_store.OnFrame([&]() {
            for (int i = 0; i < List().GetRowCount(); i++)
                listed.push_back(List().Row(i).nEmailsID);
        });
        ASSERT_EQ(m_nTotal + 1, (LONG)expected.size());
        EXPECT_EQ(1, std::count(listed.begin(), listed.end(), nNew));
        EXPECT_TRUE(expected == listed) << "listed " << listed.size() << " rows of " << expected.size();
        strSQL.Format("DELETE FROM Emails WHERE EmailsID = %ld", (long)nNew);
        Execute(local, strSQL);
    }
}

TEST_F(LargeStoreListTest, TheWindowAnswersWhileItFills)
{
    HWND hList = NULL;
    m_store.OnFrame([&]() {
        hList = List().m_hWnd;
        CFoldersRecord inbox;
        inbox.m_ID = m_store.m_nInbox;
        List().SelFolderChanged(&inbox, -1);
        List().SendMessage(WM_COMMAND, ID_RUN_THREAD);
    });
    HANDLE hIdle = NULL;
    m_store.OnFrame([&]() { hIdle = List().IdleEvent(); });
    int nAnswered = 0;
    while (WaitForSingleObject(hIdle, 0) != WAIT_OBJECT_0)
    {
        DWORD_PTR dwResult = 0;
        ASSERT_NE(0, SendMessageTimeoutA(hList, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &dwResult));
        nAnswered++;
    }
    WaitForIdle();
    m_store.OnFrame([&]() { EXPECT_EQ(m_nTotal, List().GetRowCount()); });
}
} // namespace

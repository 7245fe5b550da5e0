// The find-message window on a small store: each combination of criteria lists its rows, the buttons follow
// the search, a cancelled first folder choice closes the window, and closing during a search ends it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "ui/main/MainFrameFindMessage.h"

namespace
{
bool WaitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 3000; i++)
    {
        if (done())
            return true;
        Sleep(10);
    }
    return false;
}

const char kAttachedMessage[] = "Subject: hello ann\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                                "--b\r\nContent-Type: text/html\r\n\r\n<HTML><BODY><P>the <B>secret</B> word</P>"
                                "</BODY></HTML>\r\n--b\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                                "Content-Disposition: attachment; filename=\"report.pdf\"\r\n\r\nPDF\r\n--b--\r\n";

class FindMessageTest : public ::testing::Test
{
protected:
    FindMessageTest() : m_ui(_Module) {}

    void SetUp() override
    {
        CSession& local = m_store.Local();
        AddMessage(m_store.m_nInbox, "hello ann", "Ann <a@x>", 45001.5, 0x01, kAttachedMessage);
        AddMessage(m_store.m_nInbox, "other", "Bob <b@x>", 45000.5, 0, "Subject: other\r\n\r\nplain secret");
        AddMessage(m_store.m_nAlpha, "deep x", "Cy <c@x>", 45002.2, 0, "Subject: deep x\r\n\r\nbody");
        AddMessage(m_store.m_nProjects, "proj", "Di <d@x>", 45003.5, 0, "Subject: proj\r\n\r\nbody");
        LONG nHello = QueryLong(local, "SELECT EmailsID FROM Emails WHERE Subject = 'hello ann'");
        CString strSQL;
        for (const char* pszAddress : {"o''brien@example.com", "o''brien@example.org"})
        {
            strSQL.Format("INSERT INTO Address (EmailID, Address, Name, Type, Flags) VALUES (%ld, '%s', 'OB', 1, 0)",
                          (long)nHello, pszAddress);
            Execute(local, strSQL);
        }
    }

    void TearDown() override { Stop(); }

    void AddMessage(LONG nFolderID, const char* pszSubject, const char* pszRef, double date, LONG nFlags,
                    const char* pszMessage)
    {
        CString strMessage = pszMessage;
        strMessage.Replace("'", "''");
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (%f, '%s', '%s', '%s', %ld, %ld, '', 0, 0)",
                      date, pszSubject, (const char*)strMessage, pszRef, (long)nFolderID, (long)nFlags);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    }

    HWND Start(LONG nFolderID)
    {
        return m_ui.Start([this, nFolderID]() -> HWND {
            m_pFrame = new CMainFrameFindMessage(m_store.m_pDatabase.get(), m_store.m_pRegistry.get(),
                                                 m_store.m_manager.ThreadId(), 0, &m_store.m_nThreadCount,
                                                 nFolderID);
            RECT rc = {40, 40, 900, 600};
            HWND hWnd = m_pFrame->CreateEx(NULL, &rc);
            if (hWnd != NULL)
                m_pFrame->ShowWindow(SW_SHOW);
            return hWnd;
        });
    }

    void Stop()
    {
        if (m_pFrame == nullptr)
            return;
        m_ui.Invoke([this]() {
            if (m_pFrame->IsWindow())
                m_pFrame->DestroyWindow();
        });
        m_ui.WaitForExit();
        delete m_pFrame;
        m_pFrame = nullptr;
    }

    CDlgFindMessage& Dialog() { return m_pFrame->Dialog(); }

    bool Enabled(int nID)
    {
        bool bEnabled = false;
        m_ui.Invoke([&]() { bEnabled = ::IsWindowEnabled(Dialog().GetDlgItem(nID)) != FALSE; });
        return bEnabled;
    }

    struct Criteria
    {
        bool bSubfolders;
        const char* pszFrom;
        const char* pszTo;
        const char* pszSubject;
        const char* pszMessage;
        double before, after;
        bool bAttachment;
        const char* pszAttachment;
    };

    // Fills the fields, presses Find Now and waits for the search's end; the subjects found, sorted.
    std::vector<std::string> Search(const Criteria& c)
    {
        m_ui.Invoke([&]() {
            CDlgFindMessage& dlg = Dialog();
            dlg.CheckDlgButton(IDC_FIND_SUBFOLDERS, c.bSubfolders ? BST_CHECKED : BST_UNCHECKED);
            dlg.SetDlgItemText(IDC_FIND_FROM, c.pszFrom);
            dlg.SetDlgItemText(IDC_FIND_TO, c.pszTo);
            dlg.SetDlgItemText(IDC_FIND_SUBJECT, c.pszSubject);
            dlg.SetDlgItemText(IDC_FIND_MESSAGE_TEXT, c.pszMessage);
            dlg.CheckDlgButton(IDC_FIND_HAS_ATTACHMENT, c.bAttachment ? BST_CHECKED : BST_UNCHECKED);
            dlg.SendMessage(WM_COMMAND, IDC_FIND_HAS_ATTACHMENT);
            dlg.SetDlgItemText(IDC_FIND_ATTACHMENT_NAME, c.pszAttachment);
            const std::pair<int, double> dates[] = {{IDC_FIND_SENT_BEFORE, c.before}, {IDC_FIND_SENT_AFTER, c.after}};
            for (const auto& date : dates)
            {
                SYSTEMTIME st = {};
                VariantTimeToSystemTime(date.second, &st);
                DateTime_SetSystemtime(dlg.GetDlgItem(date.first), date.second != 0 ? GDT_VALID : GDT_NONE, &st);
            }
            dlg.SendMessage(WM_COMMAND, IDC_FIND_NOW);
            // Searching: only Stop is possible.
            EXPECT_TRUE(::IsWindowEnabled(dlg.GetDlgItem(IDC_FIND_STOP)));
            EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_FIND_NOW)));
            EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_FIND_NEW_SEARCH)));
            EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_FIND_BROWSE)));
        });
        EXPECT_TRUE(WaitUntil([&]() { return Enabled(IDC_FIND_NOW); }));
        EXPECT_FALSE(Enabled(IDC_FIND_STOP));
        std::vector<std::string> subjects;
        m_ui.Invoke([&]() {
            CListViewCtrlMessages& list = Dialog().List();
            for (int i = 0; i < list.GetRowCount(); i++)
                subjects.push_back((const char*)list.CellText(i, 3));
        });
        std::sort(subjects.begin(), subjects.end());
        return subjects;
    }

    CMainFrameFixture m_store;
    CUiThread m_ui;
    CMainFrameFindMessage* m_pFrame = nullptr;
};

typedef std::vector<std::string> Subjects;

TEST_F(FindMessageTest, EachCombinationOfCriteriaListsItsRowsOnce)
{
    ASSERT_NE(nullptr, Start(m_store.m_nInbox));
    m_ui.Invoke([&]() {
        EXPECT_STREQ("Inbox", CDialogResponder::ItemText(Dialog().m_hWnd, IDC_FIND_LOOK_IN).c_str());
        EXPECT_EQ(BST_CHECKED, Dialog().IsDlgButtonChecked(IDC_FIND_SUBFOLDERS));
        // The results show the folder too.
        EXPECT_EQ(6, Header_GetItemCount(ListView_GetHeader(Dialog().List().m_hWnd)));
    });
    const struct
    {
        const char* pszName;
        Criteria criteria;
        Subjects expected;
    } cases[] = {
        {"the folder alone", {false, "", "", "", "", 0, 0, false, ""}, {"hello ann", "other"}},
        {"two recipients match, listed once", {false, "", "o'brien", "", "", 0, 0, false, ""}, {"hello ann"}},
        {"a date limits every text part", {false, "ann", "", "other", "", 45001, 0, false, ""}, {"other"}},
        {"sent after: the same day after midnight", {false, "", "", "", "", 0, 45001, false, ""}, {"hello ann"}},
        {"the attachment bit", {false, "", "", "", "", 0, 0, true, ""}, {"hello ann"}},
        {"an attachment name, any case", {false, "", "", "", "", 0, 0, true, "REPORT"}, {"hello ann"}},
        {"an attachment name no part has", {false, "", "", "", "", 0, 0, true, "zzz"}, {}},
        {"body text without tags, plain text as it is", {false, "", "", "", "secret", 0, 0, false, ""},
         {"hello ann", "other"}},
        {"body text across a tag", {false, "", "", "", "the secret word", 0, 0, false, ""}, {"hello ann"}},
        {"body text is case-sensitive", {false, "", "", "", "Secret", 0, 0, false, ""}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Search(c.criteria)) << c.pszName;

    // The message commands follow the results: none after the last search, then some.
    m_ui.Invoke([&]() { EXPECT_NE(0u, m_pFrame->UIGetState(ID_FILE_OPEN_MESSAGE) & UPDUI_DISABLED); });
    Search({false, "", "", "", "", 0, 0, false, ""});
    m_ui.Invoke([&]() {
        const UINT kCommands[] = {ID_FILE_OPEN_MESSAGE, ID_FILE_SAVE_AS_MESSAGE, 32790, ID_REPLY, ID_FORWARD};
        for (UINT nID : kCommands)
            EXPECT_EQ(0u, m_pFrame->UIGetState(nID) & UPDUI_DISABLED) << nID;
    });
    SaveWindowScreenshot(m_pFrame->m_hWnd, "find-window-results");

    // New search empties the criteria and the results.
    m_ui.Invoke([&]() {
        Dialog().SendMessage(WM_COMMAND, IDC_FIND_NEW_SEARCH);
        EXPECT_EQ(0, Dialog().List().GetRowCount());
        EXPECT_EQ("", CDialogResponder::ItemText(Dialog().m_hWnd, IDC_FIND_FROM));
        EXPECT_FALSE(::IsWindowEnabled(Dialog().GetDlgItem(IDC_FIND_ATTACHMENT_NAME)));
    });
}

TEST_F(FindMessageTest, SinglePartMessagesAreFoundByTheirBodyText)
{
    AddMessage(m_store.m_nInbox, "plain with charset", "Ed <e@x>", 45004.5, 0,
               "Subject: plain with charset\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nthe needle");
    AddMessage(m_store.m_nInbox, "html alone", "Fay <f@x>", 45005.5, 0,
               "Subject: html alone\r\nContent-Type: text/html; charset=utf-8\r\n"
               "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
               "<html><body><p>a =\r\nneedle</p></body></html>");
    ASSERT_NE(nullptr, Start(m_store.m_nInbox));
    EXPECT_EQ(Subjects({"html alone", "plain with charset"}),
              Search({false, "", "", "", "needle", 0, 0, false, ""}));
}

TEST_F(FindMessageTest, SubfoldersAreSearchedBelowTheFolder)
{
    ASSERT_NE(nullptr, Start(m_store.m_nProjects));
    EXPECT_EQ((Subjects{"deep x", "proj"}), Search({true, "", "", "", "", 0, 0, false, ""}));
    EXPECT_EQ((Subjects{"proj"}), Search({false, "", "", "", "", 0, 0, false, ""}));
    // The folder column shows the path from the top.
    Search({true, "", "", "deep", "", 0, 0, false, ""});
    m_ui.Invoke([&]() { EXPECT_STREQ("Local Folders\\Projects\\Alpha", Dialog().List().CellText(0, 5)); });
}

TEST_F(FindMessageTest, MovingOrDeletingFoundMessagesHasTheMainWindowBuiltAgain)
{
    ASSERT_NE(nullptr, Start(m_store.m_nInbox));
    auto updates = [&]() {
        std::vector<CRecordingThread::Command> commands = m_store.m_manager.Commands();
        return std::count_if(commands.begin(), commands.end(),
                             [](const CRecordingThread::Command& c) { return c.wParam == ID_UPDATE; });
    };
    const struct
    {
        WORD nCommand;
        LPARAM lParam;
    } steps[] = {{ID_MOVE_MESSAGE_FOLDER, m_store.m_nAlpha}, {ID_EDIT_DELETE, 0}};
    for (const auto& step : steps)
    {
        ASSERT_EQ((Subjects{"hello ann", "other"}), Search({false, "", "", "", "", 0, 0, false, ""}));
        const auto nBefore = updates();
        m_ui.Invoke([&]() {
            CListViewCtrlMessages& list = Dialog().List();
            ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
            for (int i = 0; i < list.GetRowCount(); i++)
                if (std::string(list.CellText(i, 3)) == "other")
                    ListView_SetItemState(list.m_hWnd, i, LVIS_SELECTED, LVIS_SELECTED);
            list.SendMessage(WM_COMMAND, step.nCommand, step.lParam);
        });
        // Only the manager can tell the main window, whose list and counts still hold the message.
        EXPECT_TRUE(WaitUntil([&]() { return updates() > nBefore; })) << step.nCommand;
        CString strSQL;
        strSQL.Format("UPDATE Emails SET FolderID = %ld WHERE Subject = 'other'", (long)m_store.m_nInbox);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    }
}

TEST_F(FindMessageTest, CancellingTheFirstFolderChoiceClosesTheWindow)
{
    ASSERT_NE(nullptr, Start(0));
    HWND hDlg = CDialogResponder::FindDialog(m_ui.ThreadId(), "Choice a folder for finding");
    ASSERT_NE(nullptr, hDlg);
    m_ui.Invoke([&]() { ::RedrawWindow(hDlg, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); });
    SaveWindowScreenshot(hDlg, "find-folder-choice");
    CDialogResponder::Press(hDlg, IDCANCEL);
    EXPECT_TRUE(m_ui.WaitForExit());
}

TEST_F(FindMessageTest, TheFirstFolderChoiceGivesTheFolderSearched)
{
    ASSERT_NE(nullptr, Start(0));
    HWND hDlg = CDialogResponder::FindDialog(m_ui.ThreadId(), "Choice a folder for finding");
    ASSERT_NE(nullptr, hDlg);
    m_ui.Invoke([&]() {
        HWND hTree = ::GetDlgItem(hDlg, IDC_FOLDER_TREE);
        // The item of the Projects folder, found by its data.
        std::function<HTREEITEM(HTREEITEM)> find = [&](HTREEITEM hFrom) -> HTREEITEM {
            for (HTREEITEM h = hFrom; h != NULL; h = TreeView_GetNextSibling(hTree, h))
            {
                TVITEMA item = {TVIF_PARAM, h};
                TreeView_GetItem(hTree, &item);
                const CFolderItemData* pData = reinterpret_cast<CFolderItemData*>(item.lParam);
                if (pData != NULL && pData->folder.m_ID == m_store.m_nProjects)
                    return h;
                HTREEITEM hFound = find(TreeView_GetChild(hTree, h));
                if (hFound != NULL)
                    return hFound;
            }
            return NULL;
        };
        HTREEITEM hProjects = find(TreeView_GetRoot(hTree));
        ASSERT_NE(nullptr, hProjects);
        TreeView_SelectItem(hTree, hProjects);
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDOK)));
    });
    CDialogResponder::Press(hDlg, IDOK);
    ASSERT_TRUE(WaitUntil([&]() { return !::IsWindow(hDlg); }));
    m_ui.Invoke([&]() {
        EXPECT_EQ(m_store.m_nProjects, Dialog().m_nFolderID);
        EXPECT_STREQ("Projects", CDialogResponder::ItemText(Dialog().m_hWnd, IDC_FIND_LOOK_IN).c_str());
    });
}

TEST_F(FindMessageTest, ClosingDuringASearchStopsItAndCloses)
{
    CSession& local = m_store.Local();
    for (int i = 0; i < 10; i++)
        Execute(local, "INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                       "Encode) SELECT EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, Encode "
                       "FROM Emails");
    ASSERT_NE(nullptr, Start(m_store.m_nInbox));
    m_ui.Invoke([&]() {
        Dialog().SendMessage(WM_COMMAND, IDC_FIND_NOW);
        // The fill starts now and waits for this thread with its first rows.
        Dialog().List().SendMessage(WM_COMMAND, ID_RUN_THREAD);
        EXPECT_TRUE(Dialog().List().IsFilling());
        m_pFrame->PostMessage(WM_SYSCOMMAND, SC_CLOSE);
    });
    EXPECT_TRUE(m_ui.WaitForExit());
    delete m_pFrame;
    m_pFrame = nullptr;
}
} // namespace

// The folder tree on a real tree-view control: what it holds, and the delete and move commands keeping the
// Folders table and the tree in step; the folder-name dialogs' limits.
#include <atlapp.h>
#include <atlwin.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "store/FolderDialogs.h"
#include "store/Folders.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "StoreTestDatabase.h"

CAppModule _Module;

namespace
{
const DWORD kPatienceMs = 30000;

std::mutex s_lock;
std::vector<std::string> s_boxes;
int s_nAnswer = IDYES;
int AnswerBox(const char* pszText, const char*, UINT, HWND)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(pszText);
    return s_nAnswer;
}
std::vector<std::string> TakeBoxes()
{
    std::lock_guard<std::mutex> guard(s_lock);
    std::vector<std::string> boxes;
    boxes.swap(s_boxes);
    return boxes;
}

// The messages the owner's message list was told to drop.
std::vector<LONG> s_removedFromList;
LRESULT CALLBACK OwnerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == 33044)
        s_removedFromList.push_back((LONG)lParam);
    if (uMsg == WM_SIZE)
        MoveWindow(GetWindow(hWnd, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

struct CItem
{
    int nDepth;
    std::string strText;
    int nImage;
    LONG nFolderID;
    bool operator==(const CItem& o) const
    {
        return nDepth == o.nDepth && strText == o.strText && nImage == o.nImage;
    }
};

void Collect(HWND hTree, HTREEITEM hItem, int nDepth, std::vector<CItem>& items)
{
    for (; hItem != NULL; hItem = TreeView_GetNextSibling(hTree, hItem))
    {
        char szText[256] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM;
        item.hItem = hItem;
        item.pszText = szText;
        item.cchTextMax = sizeof(szText);
        SendMessageA(hTree, TVM_GETITEMA, 0, (LPARAM)&item);
        LONG nID = item.lParam != 0 ? reinterpret_cast<CFolderItemData*>(item.lParam)->folder.m_ID : 0;
        items.push_back({nDepth, szText, item.iImage, nID});
        Collect(hTree, TreeView_GetChild(hTree, hItem), nDepth + 1, items);
    }
}

HTREEITEM FindItem(HWND hTree, HTREEITEM hItem, const char* pszText)
{
    for (; hItem != NULL; hItem = TreeView_GetNextSibling(hTree, hItem))
    {
        char szText[256] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = szText;
        item.cchTextMax = sizeof(szText);
        SendMessageA(hTree, TVM_GETITEMA, 0, (LPARAM)&item);
        if (strcmp(szText, pszText) == 0)
            return hItem;
        HTREEITEM hFound = FindItem(hTree, TreeView_GetChild(hTree, hItem), pszText);
        if (hFound != NULL)
            return hFound;
    }
    return NULL;
}

void FreeItems(HWND hTree, HTREEITEM hItem)
{
    for (; hItem != NULL; hItem = TreeView_GetNextSibling(hTree, hItem))
    {
        FreeItems(hTree, TreeView_GetChild(hTree, hItem));
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = hItem;
        TreeView_GetItem(hTree, &item);
        CFolders::FreeItemData(item.lParam);
    }
}

// A choice dialog that offers the folders of a list in turn until one is accepted.
std::vector<LONG> s_choices;
std::vector<bool> s_vetted;
INT_PTR ChooseInTurn(HWND, LONG, LONG& nChosenID, const std::function<bool(LONG)>& canMoveInto)
{
    for (LONG nID : s_choices)
    {
        bool bAccepted = canMoveInto(nID);
        s_vetted.push_back(bAccepted);
        if (bAccepted)
        {
            nChosenID = nID;
            return IDOK;
        }
    }
    return IDCANCEL;
}

class FolderTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        m_pfnOldHook = SetAppMessageBoxHook(AnswerBox);
        TakeBoxes();
        s_nAnswer = IDYES;
        s_removedFromList.clear();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FolderTreeOwner";
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        RegisterClassA(&wc);
        m_ui.reset(new CUiThread(_Module));
        m_hOwner = m_ui->Start(
            [this]
            {
                HWND hOwner = CreateWindowA("FolderTreeOwner", "Folders", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                            320, 420, NULL, NULL, GetModuleHandleA(NULL), NULL);
                m_hTree = CreateWindowA(WC_TREEVIEWA, "",
                                        WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 0,
                                        0, 300, 380, hOwner, NULL, GetModuleHandleA(NULL), NULL);
                return hOwner;
            });
        ASSERT_TRUE(m_hOwner != NULL);
    }

    void TearDown() override
    {
        m_ui->Invoke([this] {
            FreeItems(m_hTree, TreeView_GetRoot(m_hTree));
            DestroyWindow(m_hOwner);
        });
        m_ui->PostQuit();
        m_ui->WaitForExit(kPatienceMs);
        SetFolderChoiceDialog(NULL);
        SetAppMessageBoxHook(m_pfnOldHook);
    }

    LONG AddFolder(const char* pszName, LONG nOwnerID, LONG nType = FOLDER_COMPANY, LONG nFlags = 0)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) VALUES (%ld, "
                      "'%s', %ld, 0, 0, %ld)",
                      (long)nOwnerID, pszName, (long)nType, (long)nFlags);
        m_db.Exec(strSQL);
        return m_db.QueryLong("SELECT MAX(ID) FROM Folders");
    }

    LONG AddMessage(LONG nFolderID)
    {
        CEmailsImpl<> store(m_db.Session());
        CTestMessage message;
        message.nFolderID = nFolderID;
        message.text = "Subject: s\r\n\r\nbody";
        return InsertTestMessage(store, message);
    }

    LONG Count(const char* pszSQL) { return m_db.QueryLong(pszSQL); }

    std::vector<CItem> BuildTree(BOOL bSystemOnly = FALSE)
    {
        std::vector<CItem> items;
        m_ui->Invoke(
            [&]
            {
                FreeItems(m_hTree, TreeView_GetRoot(m_hTree));
                TreeView_DeleteAllItems(m_hTree);
                m_folders.CreateTree(m_hTree, m_hOwner, 0, bSystemOnly);
                Collect(m_hTree, TreeView_GetRoot(m_hTree), 0, items);
            },
            kPatienceMs);
        return items;
    }

    // Every shown item is a Folders row under the parent the tree shows, and every local row is shown.
    void ExpectTreeMatchesTable(const std::vector<CItem>& items)
    {
        CFoldersTable table(m_db.Session());
        table.Open(NULL);
        std::vector<CFoldersRecord> rows;
        while (table.MoveNext() == S_OK)
            rows.push_back(table);
        std::vector<LONG> parents(16, 0);
        for (const CItem& item : items)
        {
            auto row = std::find_if(rows.begin(), rows.end(),
                                    [&](const CFoldersRecord& r) { return r.m_ID == item.nFolderID; });
            ASSERT_TRUE(row != rows.end()) << item.strText;
            EXPECT_EQ(row->m_Name, item.strText);
            EXPECT_EQ(row->m_OwnerID, item.nDepth == 0 ? row->m_OwnerID : parents[item.nDepth - 1])
                << item.strText;
            parents[item.nDepth] = item.nFolderID;
        }
        for (const CFoldersRecord& row : rows)
        {
            bool bShown = std::any_of(items.begin(), items.end(), [&](const CItem& i) { return i.nFolderID == row.m_ID; });
            bool bHidden = (row.m_Type == 14 || row.m_Type == 15) && (row.m_Flags & 1);
            EXPECT_EQ(bShown, !bHidden) << row.m_Name;
        }
    }

    HTREEITEM Item(const char* pszText)
    {
        HTREEITEM hItem = NULL;
        m_ui->Invoke([&] { hItem = FindItem(m_hTree, TreeView_GetRoot(m_hTree), pszText); });
        return hItem;
    }

    int Delete(const char* pszText, LONG& nNewParent)
    {
        int nResult = -1;
        HTREEITEM hItem = Item(pszText);
        m_ui->Invoke([&] { nResult = m_folders.DeleteCommand(m_hOwner, hItem, nNewParent); }, kPatienceMs);
        return nResult;
    }

    int Move(const char* pszText, LONG& nNewParent)
    {
        int nResult = -1;
        HTREEITEM hItem = Item(pszText);
        m_ui->Invoke([&] { nResult = m_folders.MoveFolder(m_hOwner, hItem, nNewParent); }, kPatienceMs);
        return nResult;
    }

    CTempDatabasePath m_path{"tree"};
    CTestDatabase m_db;
    CFolders m_folders{m_db.Session()};
    std::unique_ptr<CUiThread> m_ui;
    HWND m_hOwner = NULL;
    HWND m_hTree = NULL;
    AppMessageBoxHook m_pfnOldHook = NULL;
};
} // namespace

TEST_F(FolderTreeTest, TheTreeShowsTheFoldersWithTheirImages)
{
    CFolders folders(m_db.Session());
    LONG nLocal = folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    LONG nProjects = AddFolder("Projects", nLocal);
    AddFolder("Old", nProjects);
    CAccountsTable::CreateTableIfMissing(m_db.Session(), NULL);
    m_db.Exec("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, RemoveAfter, "
              "IncomingServerType) VALUES ('Work IMAP', 'w@x', 'imap', 'smtp', 'w', 0, 5, 1)");
    LONG nGone = AddFolder("Renamed away", 0, FOLDER_IMAP_ACCOUNT);
    AddFolder("Gone INBOX", nGone, FOLDER_IMAP_FIRST);
    LONG nKept = AddFolder("Old account", 0, FOLDER_IMAP_ACCOUNT);
    LONG nKeptInbox = AddFolder("INBOX", nKept, FOLDER_IMAP_FIRST);
    AddMessage(nKeptInbox);

    std::vector<CItem> items = BuildTree();
    // The IMAP root of the account is made on the way; its folders come with the server's list.
    LONG nWork = m_db.QueryLong("SELECT ID FROM Folders WHERE Type = 13 AND Name = 'Work IMAP'");
    AddFolder("Listed", nWork, FOLDER_IMAP_FIRST);
    AddFolder("Unlisted", nWork, FOLDER_IMAP_FIRST, 1);
    items = BuildTree();
    const std::vector<CItem> expected = {
        {0, "Local Folders", 0, 0}, {1, "Inbox", 1, 0},        {1, "Outbox", 2, 0},
        {1, "Sent Items", 3, 0},    {1, "Deleted Items", 4, 0}, {1, "Drafts", 5, 0},
        {1, "Company", 6, 0},       {1, "Projects", 6, 0},      {2, "Old", 6, 0},
        {1, "All Emails", 8, 0},    {2, "Address Book", 8, 0},  {3, "Companies", 8, 0},
        {0, "Old account", 13, 0},  {1, "INBOX", 14, 0},        {0, "Work IMAP", 13, 0},
        {1, "Listed", 14, 0}};
    EXPECT_EQ(items, expected);
    // A root whose account is gone goes when it is empty; one that still holds mail stays.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Folders WHERE Name = 'Renamed away' OR Name = 'Gone INBOX'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Emails"), 1);
    ExpectTreeMatchesTable(items);
    SaveWindowScreenshot(m_hOwner, "folder-tree");

    std::vector<CItem> systemOnly = BuildTree(TRUE);
    std::vector<std::string> texts;
    for (const CItem& item : systemOnly)
        texts.push_back(item.strText);
    // Below the top only Types 1-6; further down everything.
    EXPECT_EQ(texts, (std::vector<std::string>{"Local Folders", "Inbox", "Outbox", "Sent Items", "Deleted Items",
                                               "Drafts", "Company", "Projects", "Old"}));
}

TEST_F(FolderTreeTest, DeleteMovesToDeletedItemsThenDeletesForGood)
{
    CFolders folders(m_db.Session());
    LONG nLocal = folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    LONG nDeleted = folders.GetSystemFolder(FOLDER_DELETED_ITEMS, NULL);
    LONG nProjects = AddFolder("Projects", nLocal);
    LONG nOld = AddFolder("Old", nProjects);
    LONG nSub1 = AddFolder("Sub1", nOld);
    AddFolder("Sub2", nOld);
    LONG nMine = AddMessage(nOld);
    AddMessage(nSub1);
    BuildTree();

    LONG nNewParent = 0;
    EXPECT_EQ(Delete("Old", nNewParent), 1);
    EXPECT_EQ(nNewParent, nDeleted);
    EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Are you sure you want delete the 'Old' folder and move it "
                                                     "to the 'Deleted Items' folder?"}));
    std::vector<CItem> items = BuildTree();
    ExpectTreeMatchesTable(items);

    s_nAnswer = IDNO;
    EXPECT_EQ(Delete("Old", nNewParent), 0);
    s_nAnswer = IDYES;
    EXPECT_EQ(Delete("Old", nNewParent), 1);
    std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "Are you sure you want to permanently delete the 'Old' folder?\r\n\r\nThis action "
                        "cannot be undone.");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Folders WHERE Name IN ('Old', 'Sub1', 'Sub2')"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Emails"), 0);
    // Only the messages of the folder the user chose are reported one by one.
    EXPECT_EQ(s_removedFromList, std::vector<LONG>{nMine});
    ExpectTreeMatchesTable(BuildTree());
}

TEST_F(FolderTreeTest, SystemFoldersCannotBeDeletedOrMoved)
{
    CFolders folders(m_db.Session());
    folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    std::vector<CItem> before = BuildTree();
    s_choices = {m_db.QueryLong("SELECT ID FROM Folders WHERE Type = 1")};
    SetFolderChoiceDialog(ChooseInTurn);
    for (const char* pszFolder : {"Local Folders", "Deleted Items", "Inbox", "All Emails", "Address Book"})
    {
        LONG nNewParent = 0;
        EXPECT_EQ(Delete(pszFolder, nNewParent), 0) << pszFolder;
        EXPECT_EQ(Move(pszFolder, nNewParent), 0) << pszFolder;
        std::string strRefused = std::string("The '") + pszFolder + "' folder cannot be deleted or moved.";
        EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{strRefused, strRefused}));
    }
    EXPECT_EQ(BuildTree(), before);
}

TEST_F(FolderTreeTest, MoveRefusesTheFolderItselfAndItsSubfolders)
{
    CFolders folders(m_db.Session());
    LONG nLocal = folders.GetSystemFolder(FOLDER_LOCAL_FOLDERS, NULL);
    LONG nA = AddFolder("A", nLocal);
    LONG nB = AddFolder("B", nA);
    LONG nC = AddFolder("C", nB);
    LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    BuildTree();
    s_choices = {nA, nC, nInbox};
    s_vetted.clear();
    SetFolderChoiceDialog(ChooseInTurn);
    LONG nNewParent = 0;
    EXPECT_EQ(Move("A", nNewParent), 1);
    EXPECT_EQ(s_vetted, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(nNewParent, nInbox);
    EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"A folder cannot be moved into one of its subfolders.",
                                                     "A folder cannot be moved into one of its subfolders."}));
    ExpectTreeMatchesTable(BuildTree());

    // Even a caller without the dialog cannot make a folder its own ancestor.
    ASSERT_TRUE(folders.LoadFolder(nA, NULL));
    try
    {
        folders.SetOwnerID(NULL, nC);
        ADD_FAILURE() << "moved below itself";
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ(pszText, "A folder cannot be moved into one of its subfolders.");
    }
    CString strSQL;
    strSQL.Format("SELECT OwnerID FROM Folders WHERE ID = %ld", (long)nA);
    EXPECT_EQ(m_db.QueryLong(strSQL), nInbox);
}

TEST_F(FolderTreeTest, TheNameDialogsTakeUpTo99Characters)
{
    for (bool bRename : {false, true})
    {
        SCOPED_TRACE(bRename ? "rename" : "create");
        CString strName = bRename ? "Current" : "";
        INT_PTR nResult = 0;
        CUiThread dialogThread(_Module);
        dialogThread.Run([&] { nResult = DoFolderNameDialog(m_hOwner, bRename, strName); });
        HWND hDlg = CDialogResponder::FindDialog(dialogThread.ThreadId(), bRename ? "Rename Folder" : "Create Folder");
        ASSERT_TRUE(hDlg != NULL);
        EXPECT_EQ(CDialogResponder::ItemText(hDlg, IDC_FOLDER_NAME), bRename ? "Current" : "");
        EXPECT_EQ(CDialogResponder::ItemText(hDlg, IDC_FOLDER_NAME_LABEL), "&Folder Name:");
        SaveWindowScreenshot(hDlg, bRename ? "rename-folder-dialog" : "create-folder-dialog");

        std::string strTooLong(100, 'n');
        size_t nBoxes = 0;
        for (const std::string& strRefused : {std::string(), strTooLong})
        {
            CDialogResponder::SetField(hDlg, IDC_FOLDER_NAME, strRefused.c_str());
            CDialogResponder::Press(hDlg, IDOK);
            nBoxes++;
            ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> guard(s_lock); return s_boxes.size() == nBoxes; }));
            EXPECT_TRUE(IsWindow(hDlg)) << "the dialog stays open";
        }
        std::vector<std::string> boxes = TakeBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_NE(boxes[1].find("99"), std::string::npos) << boxes[1];

        std::string strLongest(99, 'n');
        CDialogResponder::SetField(hDlg, IDC_FOLDER_NAME, strLongest.c_str());
        CDialogResponder::Press(hDlg, IDOK);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(hDlg); }));
        dialogThread.WaitForExit(kPatienceMs);
        EXPECT_EQ(nResult, IDOK);
        EXPECT_STREQ(strName, strLongest.c_str());
    }
}

namespace
{
// The IMAP client of an account as the folder tree sees it, writing down every call in order.
std::vector<std::string> s_imapCalls;
class CRecordingImapClient : public CImapFolderClient
{
public:
    explicit CRecordingImapClient(const std::string& strAccount) : m_strAccount(strAccount) {}
    void CreateFolder(const char* pszPath) override { Add("create " + std::string(pszPath)); }
    void RenameFolder(const char* pszOld, const char* pszNew) override
    {
        Add("rename " + std::string(pszOld) + " -> " + pszNew);
    }
    void DeleteFolder(LONG nID, const char* pszPath) override
    {
        Add("delete " + std::to_string(nID) + " " + pszPath);
    }
    void SelectFolder(LONG nID, const char* pszPath, LONG nMessages) override
    {
        Add("select " + std::to_string(nID) + " " + pszPath + " " + std::to_string(nMessages));
    }
    void CallComponent(int nSlot) override { Add("slot " + std::to_string(nSlot)); }

private:
    void Add(const std::string& strCall)
    {
        std::lock_guard<std::mutex> guard(s_lock);
        s_imapCalls.push_back(m_strAccount + ": " + strCall);
    }
    std::string m_strAccount;
};

CImapFolderClient* MakeRecordingClient(const CAccountsRecord& account, HWND)
{
    return new CRecordingImapClient(account.m_szDisplayName);
}

std::vector<std::string> TakeImapCalls()
{
    std::lock_guard<std::mutex> guard(s_lock);
    std::vector<std::string> calls;
    calls.swap(s_imapCalls);
    return calls;
}

std::string s_strNextName;
INT_PTR NameFromTest(HWND, bool, CString& strName)
{
    if (s_strNextName.empty())
        return IDCANCEL;
    strName = s_strNextName.c_str();
    return IDOK;
}

class ImapFolderTreeTest : public FolderTreeTest
{
protected:
    void SetUp() override
    {
        FolderTreeTest::SetUp();
        SetImapFolderClientFactory(MakeRecordingClient);
        SetFolderNameDialog(NameFromTest);
        CAccountsTable::CreateTableIfMissing(m_db.Session(), NULL);
        m_db.Exec("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, RemoveAfter, "
                  "IncomingServerType, Delimiter) VALUES ('Work', 'w@x', 'imap', 'smtp', 'w', 0, 5, 1, '/')");
        BuildTree();
        m_nRoot = m_db.QueryLong("SELECT ID FROM Folders WHERE Type = 13");
        m_nInbox = AddFolder("INBOX", m_nRoot, FOLDER_IMAP_FIRST);
        m_nSub = AddFolder("Sub", m_nInbox, FOLDER_IMAP_LAST);
        m_nDeep = AddFolder("Deep", m_nSub, FOLDER_IMAP_LAST);
        m_db.Exec("UPDATE Folders SET nMessagesNumber = 7 WHERE Name = 'Deep'");
        BuildTree();
        TakeImapCalls();
    }
    void TearDown() override
    {
        FolderTreeTest::TearDown();
        SetImapFolderClientFactory(NULL);
        SetFolderNameDialog(NULL);
    }

    int OnItem(const char* pszText, const std::function<int(CFolders&, HTREEITEM)>& command)
    {
        int nResult = -1;
        HTREEITEM hItem = Item(pszText);
        m_ui->Invoke([&] { nResult = command(m_folders, hItem); }, kPatienceMs);
        return nResult;
    }

    LONG m_nRoot = 0, m_nInbox = 0, m_nSub = 0, m_nDeep = 0;
};
} // namespace

TEST_F(ImapFolderTreeTest, CreateRenameAndDeleteGoToTheAccountsClientInOrder)
{
    s_strNextName = "New";
    EXPECT_EQ(OnItem("Sub", [&](CFolders& f, HTREEITEM h) { return f.CreateImapFolder(m_hOwner, h); }), 1);
    EXPECT_EQ(TakeImapCalls(), std::vector<std::string>{"Work: create INBOX/Sub/New"});

    s_strNextName = "Renamed";
    EXPECT_EQ(OnItem("Sub", [&](CFolders& f, HTREEITEM h) { return f.RenameImapFolder(m_hOwner, h); }), 1);
    EXPECT_EQ(TakeImapCalls(), (std::vector<std::string>{"Work: rename INBOX/Sub -> INBOX/Renamed",
                                                         "Work: rename INBOX/Sub/Deep -> INBOX/Renamed/Deep",
                                                         "Work: slot 15"}));

    s_strNextName = "";
    EXPECT_EQ(OnItem("Sub", [&](CFolders& f, HTREEITEM h) { return f.RenameImapFolder(m_hOwner, h); }), 0);
    EXPECT_TRUE(TakeImapCalls().empty()) << "cancelled";

    s_nAnswer = IDNO;
    EXPECT_EQ(OnItem("Sub", [&](CFolders& f, HTREEITEM h) { return f.DeleteImapFolder(m_hOwner, h, FALSE); }), 0);
    EXPECT_TRUE(TakeImapCalls().empty());
    s_nAnswer = IDYES;
    EXPECT_EQ(OnItem("Sub", [&](CFolders& f, HTREEITEM h) { return f.DeleteImapFolder(m_hOwner, h, FALSE); }), 1);
    EXPECT_EQ(TakeImapCalls(), (std::vector<std::string>{"Work: slot 13", "Work: delete " + std::to_string(m_nSub) +
                                                                              " INBOX/Sub",
                                                         "Work: slot 15"}));
    EXPECT_TRUE(Item("Deep") == NULL) << "the items below left the tree";
    EXPECT_EQ(TakeBoxes().size(), 2u);
}

TEST_F(ImapFolderTreeTest, AnAccountRootIsRenamedThroughTheAccountNotTheTree)
{
    s_strNextName = "Other";
    EXPECT_EQ(OnItem("Work", [&](CFolders& f, HTREEITEM h) { return f.RenameImapFolder(m_hOwner, h); }), 0);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"Please use appropriate account for renaming of the folder."});
    EXPECT_TRUE(TakeImapCalls().empty());
    // Local folders are none of the IMAP commands' business.
    EXPECT_EQ(OnItem("Inbox", [&](CFolders& f, HTREEITEM h) { return f.CreateImapFolder(m_hOwner, h); }), 0);
    EXPECT_EQ(OnItem("Inbox", [&](CFolders& f, HTREEITEM h) { return f.DeleteImapFolder(m_hOwner, h, TRUE); }), 0);
    EXPECT_TRUE(TakeImapCalls().empty());
}

TEST_F(ImapFolderTreeTest, TheWalkSelectsEveryFolderWithItsStoredCount)
{
    CFolders root(m_db.Session());
    ASSERT_TRUE(root.LoadFolder(m_nRoot, NULL));
    root.WalkImapFolders(NULL);
    EXPECT_EQ(TakeImapCalls(), (std::vector<std::string>{"Work: select " + std::to_string(m_nInbox) + " INBOX 0",
                                                         "Work: select " + std::to_string(m_nSub) + " INBOX/Sub 0",
                                                         "Work: select " + std::to_string(m_nDeep) +
                                                             " INBOX/Sub/Deep 7"}));
    ASSERT_TRUE(root.LoadFolder(m_nRoot, NULL));
    EXPECT_EQ(root.RunImapFolderCommand(NULL, 3), 0) << "not for the account root";
}

TEST_F(ImapFolderTreeTest, AnEmptyAccountRootOffersTheServersFolderListUntilItHasCome)
{
    CAccountsRecord account;
    strcpy(account.m_szDisplayName, "Work");
    s_nAnswer = IDNO;
    account.OfferImapList(m_hOwner);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{"There are not any folders to show for this account. Would you "
                                                    "like to view a list of available folders now?"});
    account.SetFlagsBit8();
    account.OfferImapList(m_hOwner);
    EXPECT_TRUE(TakeBoxes().empty());
}

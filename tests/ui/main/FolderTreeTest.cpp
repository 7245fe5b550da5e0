// The folder tree on the main window's store: labels, selection, the folder commands keeping the tree equal
// to the Folders table, the Delete key, splitter drags and the tree as a drop target.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "MainFrameFixture.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/DragDrop.h"

namespace
{
std::vector<CString> s_names;
INT_PTR ScriptedName(HWND, bool, CString& strName)
{
    if (s_names.empty())
        return IDCANCEL;
    strName = s_names.front();
    s_names.erase(s_names.begin());
    return IDOK;
}

LONG s_nChoice = 0;
INT_PTR ChooseFolder(HWND, LONG, LONG& nChosenID, const std::function<bool(LONG)>& canMoveInto)
{
    nChosenID = s_nChoice;
    return canMoveInto(nChosenID) ? IDOK : IDCANCEL;
}

bool HasItem(const std::vector<TreeItem>& items, const std::string& strText)
{
    for (const TreeItem& item : items)
        if (item.strText == strText)
            return true;
    return false;
}

// A text from another program: offers CF_TEXT, not the list's marker.
class CTextDataObject : public CListDataObject
{
public:
    STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
};

class FolderTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pfnOldAsker = SetFolderNameAsker(ScriptedName);
        m_pfnOldChoice = SetFolderChoiceDialog(ChooseFolder);
        ASSERT_NE(nullptr, m_store.Start());
    }
    void TearDown() override
    {
        m_store.Stop();
        SetFolderNameAsker(m_pfnOldAsker);
        SetFolderChoiceDialog(m_pfnOldChoice);
        s_names.clear();
    }

    void Command(WORD nID) { m_store.Send(WM_COMMAND, nID); }

    POINTL ItemPoint(LONG nFolderID)
    {
        POINTL pt = {};
        m_store.OnFrame([&]() {
            CMyTreeViewCtrl& tree = m_store.m_pFrame->m_client.m_container.m_left.m_folders.m_tree;
            HTREEITEM hItem = tree.FindFolder(nFolderID);
            RECT rc = {};
            *(HTREEITEM*)&rc = hItem;
            ::SendMessageA(tree.m_hWnd, TVM_GETITEMRECT, TRUE, (LPARAM)&rc);
            POINT point = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
            ::ClientToScreen(tree.m_hWnd, &point);
            pt.x = point.x;
            pt.y = point.y;
        });
        return pt;
    }

    CMainFrameFixture m_store;
    FolderNameAsker m_pfnOldAsker = nullptr;
    FolderChoiceDialog m_pfnOldChoice = nullptr;
};
} // namespace

TEST_F(FolderTreeTest, LabelsShowTheStoresUnreadCountWhateverTheCountersSay)
{
    // Unread is 0x02 without 0x80. The fixture's counters (Inbox 3, Projects 2) and Alpha's below 0 were
    // never true: the store holds the messages below.
    struct
    {
        LONG nFolder;
        LONG nFlags;
    } messages[] = {{m_store.m_nInbox, 0x02}, {m_store.m_nInbox, 0x02}, {m_store.m_nInbox, 0x82},
                    {m_store.m_nInbox, 0x00}, {m_store.m_nProjects, 0x03}};
    for (const auto& message : messages)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (45000.5, 's', 'Subject: s\r\n\r\nbody', 'a@x', %ld, %ld, '', 0, 0)",
                      (long)message.nFolder, (long)message.nFlags);
        ASSERT_TRUE(Execute(m_store.Local(), strSQL));
    }
    CString strSQL;
    strSQL.Format("UPDATE Folders SET nUnread = -13 WHERE ID = %ld", (long)m_store.m_nAlpha);
    ASSERT_TRUE(Execute(m_store.Local(), strSQL));

    Command(ID_UPDATE_TREE);
    std::vector<TreeItem> items;
    EXPECT_TRUE(WaitFor([&]() {
        items = TreeViewItems(m_store.Tree());
        return HasItem(items, "Inbox (2)");
    }));
    EXPECT_TRUE(HasItem(items, "Projects (1)"));
    EXPECT_TRUE(HasItem(items, "Alpha"));
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());
    strSQL.Format("SELECT nUnread FROM Folders WHERE ID = %ld", (long)m_store.m_nAlpha);
    EXPECT_EQ(0, QueryLong(m_store.Local(), strSQL));
}

TEST_F(FolderTreeTest, SelectionSetsTheFolderCommandsAndFillsTheList)
{
    struct Case
    {
        LONG nFolder;
        bool bMove, bDelete;
    } cases[] = {{m_store.m_nProjects, true, true}, {m_store.m_nInbox, false, false}};
    for (const Case& c : cases)
    {
        ASSERT_TRUE(m_store.Select(c.nFolder));
        m_store.OnFrame([&]() {
            CMainFrame* pFrame = m_store.m_pFrame;
            EXPECT_FALSE(pFrame->UIGetState(ID_NEW_FOLDER) & UPDUI_DISABLED);
            EXPECT_FALSE(pFrame->UIGetState(ID_RENAME_FOLDER) & UPDUI_DISABLED);
            EXPECT_EQ(c.bMove, !(pFrame->UIGetState(ID_MOVE_FOLDER) & UPDUI_DISABLED));
            EXPECT_EQ(c.bDelete, !(pFrame->UIGetState(ID_DELETE_FOLDER) & UPDUI_DISABLED));
            EXPECT_EQ(c.nFolder, pFrame->m_client.m_container.m_right.m_list.m_list.m_nRequestFolderID);
            HWND hTree = pFrame->m_client.m_container.m_left.m_folders.m_tree.m_hWnd;
            EXPECT_EQ(c.bMove ? 1 : 0, ::SendMessageA(hTree, WM_COMMAND, ID_CAN_MOVE_TO_FOLDER, 0));
            EXPECT_EQ(c.bDelete ? 1 : 0, ::SendMessageA(hTree, WM_COMMAND, ID_CAN_DELETE, 0));
        });
    }
}

TEST_F(FolderTreeTest, NewRenameMoveAndDeleteKeepTheTreeEqualToTheTable)
{
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    s_names = {"Beta"};
    Command(ID_NEW_FOLDER);
    LONG nBeta = m_store.FolderID("Beta");
    ASSERT_GT(nBeta, 0);
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());

    ASSERT_TRUE(m_store.Select(nBeta));
    s_names = {"Gamma"};
    Command(ID_RENAME_FOLDER);
    EXPECT_EQ(nBeta, m_store.FolderID("Gamma"));
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());

    // Projects moves into the Inbox with Alpha and Gamma below it.
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    s_nChoice = m_store.m_nInbox;
    Command(ID_MOVE_FOLDER);
    EXPECT_EQ(m_store.m_nInbox,
              QueryLong(m_store.Local(), "SELECT OwnerID FROM Folders WHERE Name = 'Projects'"));
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());

    // Deleting goes to Deleted Items first, then for good with the subtree.
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    Command(ID_DELETE_FOLDER);
    EXPECT_EQ(QueryLong(m_store.Local(), "SELECT ID FROM Folders WHERE Type = 4"),
              QueryLong(m_store.Local(), "SELECT OwnerID FROM Folders WHERE Name = 'Projects'"));
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    Command(ID_DELETE_FOLDER);
    EXPECT_EQ(-1, m_store.FolderID("Projects"));
    EXPECT_EQ(-1, m_store.FolderID("Alpha"));
    EXPECT_EQ(-1, m_store.FolderID("Gamma"));
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());
}

TEST_F(FolderTreeTest, AHundredCharacterNameAsksToCutIt)
{
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    CString strLong(std::string(100, 'n').c_str());
    m_store.m_user.m_boxAnswers = {IDNO};
    s_names = {strLong};
    Command(ID_NEW_FOLDER);
    ASSERT_FALSE(m_store.m_user.m_boxes.empty());
    EXPECT_EQ("The folder name '" + std::string(100, 'n') + "' too long. Maximal folder name length is 100 letters. "
                                                            "Do you want to cut folder name to '" +
                  std::string(100, 'n') + "'?",
              m_store.m_user.m_boxes.back());
    EXPECT_EQ(-1, m_store.FolderID(strLong));

    m_store.m_user.m_boxAnswers = {IDYES};
    s_names = {strLong};
    Command(ID_NEW_FOLDER);
    EXPECT_GT(m_store.FolderID(strLong), 0);

    size_t nBoxes = m_store.m_user.m_boxes.size();
    s_names = {CString(std::string(99, 'm').c_str())};
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    Command(ID_NEW_FOLDER);
    EXPECT_EQ(nBoxes, m_store.m_user.m_boxes.size());
    EXPECT_GT(m_store.FolderID(std::string(99, 'm').c_str()), 0);
}

TEST_F(FolderTreeTest, SystemFoldersNeitherMoveNorDelete)
{
    std::vector<std::string> before = m_store.TableFolders();
    ASSERT_TRUE(m_store.Select(m_store.m_nInbox));
    s_nChoice = m_store.m_nProjects;
    Command(ID_MOVE_FOLDER);
    Command(ID_DELETE_FOLDER);
    EXPECT_EQ(before, m_store.TableFolders());
    EXPECT_EQ(before, m_store.TreeFolders());
}

TEST_F(FolderTreeTest, DeleteKeyInTheTreeDeletesTheFolderNotMessages)
{
    ASSERT_TRUE(m_store.Select(m_store.m_nAlpha));
    size_t nBoxes = m_store.m_user.m_boxes.size();
    m_store.OnFrame([&]() {
        ::SetFocus(m_store.Tree());
        ::SendMessageA(m_store.Tree(), WM_KEYDOWN, VK_DELETE, 0);
    });
    // The pane posts the folder command; the question comes once it has run.
    EXPECT_TRUE(WaitFor([&]() { return m_store.m_user.m_boxes.size() > nBoxes; }));
    EXPECT_TRUE(WaitFor([&]() {
        return QueryLong(m_store.Local(), "SELECT OwnerID FROM Folders WHERE Name = 'Alpha'") ==
               QueryLong(m_store.Local(), "SELECT ID FROM Folders WHERE Type = 4");
    }));
}

TEST_F(FolderTreeTest, TreeAcceptsMessagesOnlyOverFolderRows)
{
    CMyTreeViewCtrl* pTree = &m_store.m_pFrame->m_client.m_container.m_left.m_folders.m_tree;
    LONG nAddressBook = QueryLong(m_store.Local(), "SELECT ID FROM Folders WHERE Type = 9");
    POINTL ptProjects = ItemPoint(m_store.m_nProjects);
    POINTL ptAddressBook = ItemPoint(nAddressBook);
    POINTL ptEmpty = {};
    m_store.OnFrame([&]() {
        RECT rc;
        ::GetClientRect(pTree->m_hWnd, &rc);
        POINT pt = {rc.right - 2, rc.bottom - 2};
        ::ClientToScreen(pTree->m_hWnd, &pt);
        ptEmpty.x = pt.x;
        ptEmpty.y = pt.y;
    });
    m_store.OnFrame([&]() {
        CListDataObject messages;
        DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(S_OK, pTree->DragEnter(&messages, MK_LBUTTON, ptProjects, &dwEffect));
        EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect);
        struct Case
        {
            POINTL pt;
            DWORD dwEffect;
        } cases[] = {{ptProjects, DROPEFFECT_MOVE}, {ptEmpty, DROPEFFECT_NONE}, {ptAddressBook, DROPEFFECT_NONE}};
        for (const Case& c : cases)
        {
            dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
            pTree->DragOver(MK_LBUTTON, c.pt, &dwEffect);
            EXPECT_EQ(c.dwEffect, dwEffect) << c.pt.x << "," << c.pt.y;
        }
        dwEffect = DROPEFFECT_MOVE;
        EXPECT_EQ(S_OK, pTree->Drop(&messages, 0, ptProjects, &dwEffect));
        EXPECT_EQ(m_store.m_nProjects, m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list.m_nLastMoveTarget);

        CTextDataObject text;
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        pTree->DragEnter(&text, MK_LBUTTON, ptProjects, &dwEffect);
        EXPECT_EQ((DWORD)DROPEFFECT_COPY, dwEffect);
        dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        pTree->DragOver(MK_LBUTTON, ptProjects, &dwEffect);
        EXPECT_EQ((DWORD)DROPEFFECT_NONE, dwEffect);
        pTree->DragLeave();
    });
}

TEST_F(FolderTreeTest, DraggingTheLeftBarUpFortyMakesTheContactsFortyTaller)
{
    CLeftPane* pLeft = &m_store.m_pFrame->m_client.m_container.m_left;
    RECT rcFolders = WindowRect(pLeft->m_folders.m_hWnd), rcContacts = WindowRect(pLeft->m_contacts.m_hWnd);
    m_store.OnFrame([&]() {
        HWND hBar = pLeft->m_bar.m_hWnd;
        ::SendMessageA(hBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 3));
        ::SendMessageA(hBar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, (WORD)(SHORT)(3 - 40)));
        ::SendMessageA(hBar, WM_LBUTTONUP, 0, MAKELPARAM(10, (WORD)(SHORT)(3 - 40)));
    });
    int nContacts = 0, nFolders = 0;
    EXPECT_TRUE(WaitFor([&]() {
        RECT rcNewContacts = WindowRect(pLeft->m_contacts.m_hWnd), rcNewFolders = WindowRect(pLeft->m_folders.m_hWnd);
        nContacts = rcNewContacts.bottom - rcNewContacts.top;
        nFolders = rcNewFolders.bottom - rcNewFolders.top;
        return nContacts == rcContacts.bottom - rcContacts.top + 40 &&
               nFolders == rcFolders.bottom - rcFolders.top - 40;
    })) << nContacts << " " << nFolders;
}

TEST_F(FolderTreeTest, ViewTogglesHideAndShowThePanesAndMoveTheCheckMarks)
{
    CLeftPane* pLeft = &m_store.m_pFrame->m_client.m_container.m_left;
    Command(ID_VIEW_FOLDERS);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindowVisible(pLeft->m_folders.m_hWnd); }));
    m_store.OnFrame([&]() { EXPECT_FALSE(m_store.m_pFrame->UIGetState(ID_VIEW_FOLDERS) & UPDUI_CHECKED); });
    Command(ID_VIEW_CONTACTS);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindowVisible(pLeft->m_hWnd); }));
    Command(ID_VIEW_FOLDERS);
    EXPECT_TRUE(WaitFor([&]() { return ::IsWindowVisible(pLeft->m_folders.m_hWnd); }));
    m_store.OnFrame([&]() { EXPECT_TRUE(m_store.m_pFrame->UIGetState(ID_VIEW_FOLDERS) & UPDUI_CHECKED); });
}

TEST_F(FolderTreeTest, PaneSizesSurviveARestart)
{
    CLeftPane* pLeft = &m_store.m_pFrame->m_client.m_container.m_left;
    m_store.OnFrame([&]() {
        ::SendMessageA(m_store.m_pFrame->m_client.m_container.m_hWnd, LetrovaSplitVertical, 0, MAKELPARAM(30, 0));
        ::SendMessageA(pLeft->m_hWnd, LetrovaSplitHorizontal, 0, MAKELPARAM(0, (WORD)(SHORT)-20));
    });
    int nWidth = 0, nHeight = 0;
    EXPECT_TRUE(WaitFor([&]() {
        RECT rcLeft = WindowRect(pLeft->m_hWnd), rcContacts = WindowRect(pLeft->m_contacts.m_hWnd);
        nWidth = rcLeft.right - rcLeft.left;
        nHeight = rcContacts.bottom - rcContacts.top;
        return nWidth == 400 && nHeight == 205;
    })) << nWidth << "x" << nHeight;
    m_store.Stop();
    EXPECT_EQ(400, m_store.m_pRegistry->GetFoldersContactsWidth());
    EXPECT_EQ(205, m_store.m_pRegistry->GetContactsHeight());
}

TEST_F(FolderTreeTest, CreateAndRenameFolderDialogs)
{
    SetFolderNameAsker(nullptr);
    ASSERT_TRUE(m_store.Select(m_store.m_nProjects));
    struct Case
    {
        WORD nCommand;
        const char* pszCaption;
        const char* pszShot;
    } cases[] = {{ID_NEW_FOLDER, "Create Folder", "create-folder"}, {ID_RENAME_FOLDER, "Rename Folder", "rename-folder"}};
    for (const Case& c : cases)
    {
        ::PostMessageA(m_store.m_pFrame->m_hWnd, WM_COMMAND, c.nCommand, 0);
        HWND hDlg = CDialogResponder::FindDialog(m_store.m_ui.ThreadId(), c.pszCaption);
        ASSERT_NE(nullptr, hDlg) << c.pszCaption;
        SaveWindowScreenshot(hDlg, c.pszShot);
        CDialogResponder::Press(hDlg, IDCANCEL);
        EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hDlg); }));
    }
    EXPECT_EQ(m_store.TableFolders(), m_store.TreeFolders());
}

namespace
{
// The children of an item as their texts.
std::vector<std::string> ChildTexts(CMyTreeViewCtrl& tree, HTREEITEM hItem)
{
    std::vector<std::string> texts;
    for (HTREEITEM hChild = tree.GetChildItem(hItem); hChild != NULL; hChild = tree.GetNextSiblingItem(hChild))
    {
        CString strText;
        tree.GetItemText(hChild, strText);
        texts.push_back((const char*)strText);
    }
    return texts;
}

HTREEITEM ChildNamed(CMyTreeViewCtrl& tree, HTREEITEM hItem, const char* pszText)
{
    for (HTREEITEM hChild = tree.GetChildItem(hItem); hChild != NULL; hChild = tree.GetNextSiblingItem(hChild))
    {
        CString strText;
        tree.GetItemText(hChild, strText);
        if (strText == pszText)
            return hChild;
    }
    return NULL;
}
} // namespace

TEST_F(FolderTreeTest, ContactsBranchShowsCompaniesTheirContactsAndEachContactsFoldersOnce)
{
    CSession& orb = m_store.m_pDatabase->m_Orb.m_session;
    CContactNameTable schema(&orb);
    schema.EnsureSchema(NULL);
    const char* sites[] = {"Acme", "O''Brien Ltd"};
    for (const char* pszSite : sites)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('%s', '1')", pszSite);
        ASSERT_TRUE(Execute(orb, strSQL));
    }
    LONG nAcme = QueryLong(orb, "SELECT SiteID FROM Site WHERE COMPANY = 'Acme'");
    LONG nObrien = QueryLong(orb, "SELECT SiteID FROM Site WHERE COMPANY = 'O''Brien Ltd'");
    struct Contact
    {
        LONG nSite;
        const char *pszFirst, *pszSurname, *pszEmail;
    } contacts[] = {{nAcme, "Ann", "Archer", "ann@acme.example"},
                    {nObrien, "Cy", "O''Brien", "cy@obrien.example"},
                    {nAcme, "Bob", "Baker", "bob@acme.example"}};
    for (const Contact& c : contacts)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) VALUES (%ld, '%s', '%s', '%s')",
                      (long)c.nSite, c.pszFirst, c.pszSurname, c.pszEmail);
        ASSERT_TRUE(Execute(orb, strSQL));
    }
    LONG nCompanies = QueryLong(m_store.Local(), "SELECT ID FROM Folders WHERE Type = 10");

    m_store.OnFrame([&]() {
        CFoldersPane& pane = m_store.m_pFrame->m_client.m_container.m_left.m_folders;
        CMyTreeViewCtrl& tree = pane.m_tree;
        // Expanding by hand notifies every time; the control notifies a program's expansion only once.
        auto expand = [&](HTREEITEM hItem) {
            NMTREEVIEWA notify = {};
            notify.hdr.hwndFrom = tree.m_hWnd;
            notify.hdr.idFrom = IDC_FOLDER_TREE;
            notify.hdr.code = TVN_ITEMEXPANDINGA;
            notify.action = TVE_EXPAND;
            notify.itemNew.hItem = hItem;
            ::SendMessageA(pane.m_hWnd, WM_NOTIFY, IDC_FOLDER_TREE, (LPARAM)&notify);
        };
        HTREEITEM hCompanies = tree.FindFolder(nCompanies);
        ASSERT_NE(nullptr, hCompanies);
        tree.Expand(hCompanies, TVE_EXPAND);
        expand(hCompanies);
        EXPECT_EQ((std::vector<std::string>{"Acme", "O'Brien Ltd"}), ChildTexts(tree, hCompanies));

        HTREEITEM hObrien = ChildNamed(tree, hCompanies, "O'Brien Ltd");
        ASSERT_NE(nullptr, hObrien);
        expand(hObrien);
        expand(hObrien);
        EXPECT_EQ((std::vector<std::string>{"\"Cy O'Brien\" <cy@obrien.example>"}), ChildTexts(tree, hObrien));
        HTREEITEM hAcme = ChildNamed(tree, hCompanies, "Acme");
        expand(hAcme);
        EXPECT_EQ(2u, ChildTexts(tree, hAcme).size());

        HTREEITEM hContact = tree.GetChildItem(hObrien);
        expand(hContact);
        expand(hContact);
        EXPECT_EQ((std::vector<std::string>{"Inbox", "Outbox", "Sent Items", "Deleted Items", "Drafts"}),
                  ChildTexts(tree, hContact));
        // The branch's nodes are no folders: nothing is moved or deleted there, and no message may land there.
        CFolderItemData* pData = tree.ItemData(tree.GetChildItem(hContact));
        ASSERT_NE(nullptr, pData);
        EXPECT_EQ(0, pData->folder.m_ID);
        EXPECT_EQ(FOLDER_INBOX, pData->folder.m_Type);
        EXPECT_EQ(12, tree.ItemData(hContact)->folder.m_Type);
        EXPECT_EQ(11, tree.ItemData(hObrien)->folder.m_Type);
    });
    // The tree still holds every Folders row once.
    std::vector<std::string> tree = m_store.TreeFolders();
    std::vector<std::string> table = m_store.TableFolders();
    for (const std::string& strFolder : table)
        EXPECT_EQ(1, std::count(tree.begin(), tree.end(), strFolder)) << strFolder;
}

namespace
{
// The IMAP client of the test: its listing reports the folders named in s_listed the way the component's
// events do, by marking their nodes in the tree; an empty s_listed is a failed listing.
std::vector<std::string> s_listed;
HWND s_hWndTree = NULL;
int s_nListings = 0;

void MarkListed(HWND hTree, HTREEITEM hParent)
{
    for (HTREEITEM hItem = TreeView_GetChild(hTree, hParent); hItem != NULL; hItem = TreeView_GetNextSibling(hTree, hItem))
    {
        char szText[128] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_PARAM;
        item.hItem = hItem;
        item.pszText = szText;
        item.cchTextMax = sizeof(szText);
        TreeView_GetItem(hTree, &item);
        if (std::find(s_listed.begin(), s_listed.end(), szText) != s_listed.end())
            reinterpret_cast<CFolderItemData*>(item.lParam)->bListed = true;
        MarkListed(hTree, hItem);
    }
}

std::vector<std::string> s_deletedOnServer;

class CListingClient : public CImapFolderClient
{
public:
    void CreateFolder(const char*) override {}
    void RenameFolder(const char*, const char*) override {}
    void DeleteFolder(LONG, const char* pszPath) override { s_deletedOnServer.push_back(pszPath); }
    void SelectFolder(LONG, const char*, LONG) override {}
    void CallComponent(int) override {}
    bool ListFolders() override
    {
        s_nListings++;
        if (s_listed.empty())
            return false;
        MarkListed(s_hWndTree, TVI_ROOT);
        return true;
    }
};

CImapFolderClient* MakeListingClient(const CAccountsRecord&, HWND)
{
    return new CListingClient;
}

bool IsMarked(CMyTreeViewCtrl& tree, LONG nFolderID)
{
    CFolderItemData* pData = tree.ItemData(tree.FindFolder(nFolderID));
    return pData != NULL && pData->bListed;
}
} // namespace

TEST(ImapFolderListTest, FoldersTheServerNoLongerListsGoWithTheirMessagesAndAFailedListingKeepsAll)
{
    ImapFolderClientFactory pfnOldFactory = SetImapFolderClientFactory(MakeListingClient);
    CMainFrameFixture store;
    void* pTable = nullptr;
    store.m_pDatabase->m_Local.OnGetTable(pTable, "Accounts", NULL);
    CSession& accounts = *static_cast<CAccountsTable*>(pTable)->GetSession();
    ASSERT_TRUE(Execute(accounts, "INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Flags, "
                                  "RemoveAfter, IncomingServerType, Delimiter) VALUES ('Mail', 'm@x', 'imap', 'smtp', "
                                  "'m', 0, 5, 1, '/')"));
    CSession& local = store.Local();
    auto add = [&](const char* pszName, LONG nOwner, LONG nType) {
        CString strSQL;
        strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                      "VALUES (%ld, '%s', %ld, 0, 0, 0)",
                      (long)nOwner, pszName, (long)nType);
        Execute(local, strSQL);
        return store.FolderID(pszName);
    };
    LONG nRoot = add("Mail", 0, FOLDER_IMAP_ACCOUNT);
    LONG nInbox = add("INBOX", nRoot, FOLDER_IMAP_FIRST);
    LONG nOld = add("Old", nRoot, FOLDER_IMAP_FIRST);
    LONG nWork = add("Work", nRoot, FOLDER_IMAP_LAST);
    LONG nGone = add("Gone", nWork, FOLDER_IMAP_FIRST);
    CString strSQL;
    strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, Encode) "
                  "VALUES (45000, 'in old', 'Subject: x\r\n\r\nbody', 'A <a@x>', %ld, 0, '7', 0, 0)",
                  (long)nOld);
    ASSERT_TRUE(Execute(local, strSQL));
    ASSERT_NE(nullptr, store.Start());
    s_hWndTree = store.Tree();
    CMyTreeViewCtrl& tree = store.m_pFrame->m_client.m_container.m_left.m_folders.m_tree;
    ASSERT_TRUE(store.Select(nRoot));

    s_listed.clear();
    store.Send(WM_COMMAND, ID_IMAP_LIST);
    EXPECT_EQ(1, s_nListings);
    EXPECT_EQ(nGone, store.FolderID("Gone"));
    EXPECT_EQ(nOld, store.FolderID("Old"));

    s_listed = {"INBOX", "Work"};
    store.Send(WM_COMMAND, ID_IMAP_LIST);
    EXPECT_EQ(2, s_nListings);
    EXPECT_EQ(nInbox, store.FolderID("INBOX"));
    EXPECT_EQ(nWork, store.FolderID("Work"));
    EXPECT_EQ(-1, store.FolderID("Old"));
    EXPECT_EQ(-1, store.FolderID("Gone"));
    EXPECT_EQ(0, QueryLong(local, "SELECT COUNT(*) FROM Emails WHERE Subject = 'in old'"));
    EXPECT_EQ(store.TableFolders(), store.TreeFolders());
    store.OnFrame([&]() {
        EXPECT_FALSE(IsMarked(tree, nInbox));
        EXPECT_FALSE(IsMarked(tree, nWork));
    });

    // Deleting an IMAP folder asks the server; its row stays until the server reports the deletion, and it
    // never moves into the local Deleted Items.
    s_deletedOnServer.clear();
    ASSERT_TRUE(store.Select(nWork));
    store.m_user.m_boxAnswers = {IDYES};
    store.Send(WM_COMMAND, ID_DELETE_FOLDER);
    EXPECT_EQ(std::vector<std::string>({"Work"}), s_deletedOnServer);
    EXPECT_EQ(nRoot, QueryLong(local, ("SELECT OwnerID FROM Folders WHERE ID = " + std::to_string(nWork)).c_str()));
    store.Stop();
    SetImapFolderClientFactory(pfnOldFactory);
    s_listed.clear();
    s_nListings = 0;
}

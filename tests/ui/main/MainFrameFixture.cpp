// The main window's test store and thread.
#include "MainFrameFixture.h"

#include <commctrl.h>

#include <map>
#include <set>

#include "foundation/WindowMessages.h"
#include "tests/support/WindowReaders.h"

namespace
{
const char kSettingsApplication[] = "LetrovaUiMainTests";

void WriteOption(CRegistry& registry, const char* pszName, int nValue)
{
    registry.WriteProfileInt("Options", pszName, nValue);
}

std::string StripCount(const std::string& strText)
{
    size_t nAt = strText.rfind(" (");
    if (nAt != std::string::npos && !strText.empty() && strText.back() == ')')
        return strText.substr(0, nAt);
    return strText;
}
} // namespace

CMainFrameFixture::CMainFrameFixture() : m_ui(_Module)
{
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bPrivateContacts;
    m_nSaved[2] = g_bConnectToOrb;
    g_bUseMyDatabase = 1;
    g_bPrivateContacts = 0;
    g_bConnectToOrb = 1;
    CString strSettings = CString("software\\Vorn\\") + kSettingsApplication;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, strSettings);
    m_pRegistry.reset(new CRegistry(kSettingsApplication));
    // Nothing leaves the machine: no new-mail check, no update check.
    WriteOption(*m_pRegistry, "Check New Messages", 0);
    WriteOption(*m_pRegistry, "Internet Update When Starting", 0);
    // The tests read the rows in the order they were stored.
    WriteOption(*m_pRegistry, "Mark Order By Date", 0);
    const char* files[] = {"Accounts.mdb", "email.mdb", "Orb.mdb"};
    for (const char* pszFile : files)
        CreateDatabaseFile(m_folder.Path(pszFile));
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pRegistry->WriteProfileString("Options", "Local Database File Name", m_folder.Path("email.mdb"));
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    m_pDatabase->m_Local.m_Folders.EnsureTable(NULL);
    m_pDatabase->m_Local.m_Emails.EnsureTable(NULL);

    CSession& local = Local();
    LONG nLocalFolders = QueryLong(local, "SELECT ID FROM Folders WHERE Type = 0");
    m_nInbox = QueryLong(local, "SELECT ID FROM Folders WHERE Type = 1");
    Execute(local, "UPDATE Folders SET nUnread = 3 WHERE Type = 1");
    CString strSQL;
    strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                  "VALUES (%ld, 'Projects', 6, 2, 0, 0)",
                  (long)nLocalFolders);
    Execute(local, strSQL);
    m_nProjects = QueryLong(local, "SELECT ID FROM Folders WHERE Name = 'Projects'");
    strSQL.Format("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) "
                  "VALUES (%ld, 'Alpha', 6, 0, 0, 0)",
                  (long)m_nProjects);
    Execute(local, strSQL);
    m_nAlpha = QueryLong(local, "SELECT ID FROM Folders WHERE Name = 'Alpha'");

    void* pTable = nullptr;
    m_pDatabase->m_Local.OnGetTable(pTable, "Accounts", NULL);
    CAccountsTable* pAccounts = static_cast<CAccountsTable*>(pTable);
    CSession& accounts = *pAccounts->GetSession();
    const char* names[] = {"Work", "Home", "Work"};
    int nIndex = 0;
    for (const char* pszName : names)
    {
        strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, RemoveAfter) "
                      "VALUES ('%s', 'a%d@example.org', 'pop', 'smtp', 'account%d', 0)",
                      pszName, nIndex, nIndex);
        Execute(accounts, strSQL);
        nIndex++;
    }
    m_nWork = QueryLong(accounts, "SELECT MIN(ID) FROM Accounts WHERE DisplayName = 'Work'");
}

CMainFrameFixture::~CMainFrameFixture()
{
    Stop();
    m_pDatabase.reset();
    m_pRegistry.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
    g_bUseMyDatabase = m_nSaved[0];
    g_bPrivateContacts = m_nSaved[1];
    g_bConnectToOrb = m_nSaved[2];
}

HWND CMainFrameFixture::Start()
{
    HWND hWnd = m_ui.Start([this]() -> HWND {
        m_pFrame = new CMainFrame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId(), 0, &m_nThreadCount);
        RECT rc = {20, 20, 920, 660};
        HWND hWnd = m_pFrame->CreateEx(NULL, &rc);
        if (hWnd != NULL)
            m_pFrame->ShowWindow(SW_SHOW);
        return hWnd;
    });
    if (hWnd != NULL)
        WaitForList();
    return hWnd;
}

bool CMainFrameFixture::WaitForList()
{
    // The list fills on a thread of its own; it is done once its request has started and the thread has
    // ended. The second call runs after whatever the fill posted at its end.
    CListViewCtrlMessages& list = m_pFrame->m_client.m_container.m_right.m_list.m_list;
    bool bIdle = WaitFor([&]() {
        bool bDone = false;
        m_ui.Invoke([&]() {
            bDone = !list.IsFilling() && (list.m_nRequestFolderID == -1 || list.m_nFolderID == list.m_nRequestFolderID);
        });
        return bDone;
    });
    m_ui.Invoke([]() {});
    return bIdle;
}

void CMainFrameFixture::Stop()
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

LRESULT CMainFrameFixture::Send(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_pFrame->m_hWnd, uMsg, wParam, lParam);
}

HWND CMainFrameFixture::Tree()
{
    return m_pFrame->m_client.m_container.m_left.m_folders.m_tree.m_hWnd;
}

std::vector<std::string> CMainFrameFixture::TreeFolders()
{
    std::vector<std::string> folders;
    for (const TreeItem& item : TreeViewItems(Tree()))
        folders.push_back(std::to_string(item.nDepth) + ":" + StripCount(item.strText));
    return folders;
}

std::vector<std::string> CMainFrameFixture::TableFolders()
{
    // Roots are the rows whose owner is no row; children follow their owner in table order.
    struct Row
    {
        LONG nID, nOwner;
        std::string strName;
    };
    std::vector<Row> rows;
    CFoldersTable table(&Local());
    table.Open(NULL);
    while (table.MoveNext() == S_OK)
        rows.push_back({table.m_ID, table.m_OwnerID, table.m_Name});
    table.Close();
    std::set<LONG> ids;
    for (const Row& row : rows)
        ids.insert(row.nID);
    std::vector<std::string> folders;
    std::function<void(LONG, int)> addChildren = [&](LONG nOwner, int nDepth) {
        for (const Row& row : rows)
        {
            if (row.nOwner == nOwner && row.nID != nOwner)
            {
                folders.push_back(std::to_string(nDepth) + ":" + row.strName);
                addChildren(row.nID, nDepth + 1);
            }
        }
    };
    for (const Row& row : rows)
    {
        if (ids.count(row.nOwner) == 0)
        {
            folders.push_back("0:" + row.strName);
            addChildren(row.nID, 1);
        }
    }
    return folders;
}

bool CMainFrameFixture::Select(LONG nFolderID)
{
    bool bSelected = false;
    m_ui.Invoke([&]() {
        CMyTreeViewCtrl& tree = m_pFrame->m_client.m_container.m_left.m_folders.m_tree;
        HTREEITEM hItem = tree.FindFolder(nFolderID);
        bSelected = hItem != NULL && tree.SelectItem(hItem);
    });
    return bSelected;
}

LONG CMainFrameFixture::FolderID(const char* pszName)
{
    CString strSQL;
    strSQL.Format("SELECT ID FROM Folders WHERE Name = '%s'", pszName);
    return QueryLong(Local(), strSQL);
}

std::vector<std::string> CMainFrameFixture::SendReceiveItems()
{
    std::vector<std::string> items;
    m_ui.Invoke([&]() {
        HMENU hMenu = m_pFrame->SendReceiveMenu();
        int nCount = ::GetMenuItemCount(hMenu);
        for (int i = 0; i < nCount; i++)
        {
            char szText[256] = "";
            ::GetMenuStringA(hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
            items.push_back(szText);
        }
    });
    return items;
}

// Folder look-ups: system folders found or created, the type of a folder, its message counter.
#include "store/Folders.h"

#include <memory>
#include <set>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "store/DatabaseSession.h"
#include "store/FolderDialogs.h"
#include "store/FolderTreeTexts.h"
#include "store/MessageStoreTexts.h"
#include "store/OLEDBException.h"

volatile LONG g_bFolderAdded = 0;
volatile LONG g_bForwardingCommand = 0;

namespace
{
const char kSystemFolderMutex[] = "VornEmail.SystemFolders";

const char* SystemFolderName(LONG nType)
{
    switch (nType)
    {
    case FOLDER_LOCAL_FOLDERS:
        return MessageStoreText::kLocalFolders;
    case FOLDER_INBOX:
        return MessageStoreText::kInbox;
    case FOLDER_OUTBOX:
        return MessageStoreText::kOutbox;
    case FOLDER_SENT_ITEMS:
        return MessageStoreText::kSentItems;
    case FOLDER_DELETED_ITEMS:
        return MessageStoreText::kDeletedItems;
    case FOLDER_DRAFTS:
        return MessageStoreText::kDrafts;
    case FOLDER_COMPANY:
        return MessageStoreText::kCompany;
    case FOLDER_ALL_EMAILS:
        return MessageStoreText::kAllEmails;
    default:
        return NULL;
    }
}

// One update of the other windows for a burst of new folders.
void NotifyFolderAdded(HWND hWndOwner)
{
    DWORD dwThread = 0;
    ::SendMessage(hWndOwner, RegisterWindowMessageA("LetrovaGetIdThread"), (WPARAM)&dwThread, 0);
    if (InterlockedExchange(&g_bFolderAdded, 1) == 0 && g_bForwardingCommand == 0 && dwThread != 0)
        PostThreadMessage(dwThread, WM_USER, ID_UPDATE, 0);
}
} // namespace

CSystemFolderLock::CSystemFolderLock() : m_hMutex(CreateMutexA(NULL, FALSE, kSystemFolderMutex))
{
    if (m_hMutex != NULL)
        WaitForSingleObject(m_hMutex, INFINITE); // an abandoned lock is ours as well
}

CSystemFolderLock::~CSystemFolderLock()
{
    if (m_hMutex != NULL)
    {
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }
}

LONG CFolders::GetSystemFolder(LONG nType, HWND hWndOwner, const char* pszName, LONG nParentID)
{
    CSystemFolderLock lock;
    ClearRow();
    m_ID = nType;
    try
    {
        Open(hWndOwner, "Folders", CString(g_szFoldersSelect) + " WHERE Type = ?");
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        return -1;
    }
    if (MoveNext() == S_OK)
    {
        LONG nID = m_ID;
        if (nType <= FOLDER_DRAFTS && MoveNext() == S_OK)
            throw MessageStoreText::kTooMachFolders;
        if (nID != 0)
            return nID;
    }

    const char* pszFolderName = SystemFolderName(nType);
    if (nType >= FOLDER_ADDRESS_BOOK && nType <= FOLDER_CALLER_LAST)
        pszFolderName = pszName != NULL ? pszName : "";
    if (pszFolderName == NULL)
        return -1;
    LONG nOwnerID = 0;
    if (nType != FOLDER_LOCAL_FOLDERS)
        nOwnerID = nParentID != 0 ? nParentID : GetSystemFolder(FOLDER_LOCAL_FOLDERS, hWndOwner);

    CFoldersTable insert(m_pSession);
    insert.Open(hWndOwner);
    insert.ClearRow();
    strncpy(insert.m_Name, pszFolderName, sizeof(insert.m_Name) - 1);
    insert.m_Type = nType;
    insert.m_OwnerID = nOwnerID;
    HRESULT hr = insert.Insert(0);
    if (SUCCEEDED(hr))
        hr = insert.MoveLast();
    if (hr != S_OK)
    {
        CString strText;
        strText.Format(MessageStoreText::kInsertFolderFailed, pszFolderName);
        throw new COLEDBException(insert.m_spRowsetChange, IID_IRowsetChange, strText, m_pSession, hWndOwner,
                                  FALSE, NULL, FALSE, FALSE, hr);
    }
    if (hWndOwner != NULL)
        NotifyFolderAdded(hWndOwner);
    return insert.m_ID;
}

LONG CFolders::SelectByID(LONG nID, HWND hWndOwner)
{
    if (nID < 1)
        return FOLDER_NONE;
    ClearRow();
    m_ID = nID;
    Open(hWndOwner, "Folders", CString(g_szFoldersSelect) + " WHERE ID = ?");
    if (MoveNext() != S_OK)
        throw MessageStoreText::kUnknownFolderType;
    LONG nType = m_Type;
    if (MoveNext() == S_OK)
        throw MessageStoreText::kTooMachFolders;
    if (nType == FOLDER_NONE)
        throw MessageStoreText::kUnknownFolderType;
    return nType;
}

void CFolders::ChangeMessagesNumber(LONG nID, LONG nCount)
{
    ClearRow();
    m_ID = nID;
    Open(NULL, "Folders", CString(g_szFoldersSelect) + " WHERE ID = ?");
    if (MoveNext() != S_OK || m_nMessagesNumber == nCount)
        return;
    m_nMessagesNumber = nCount;
    HRESULT hr = SetData(2);
    if (FAILED(hr))
    {
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange,
                                  MessageStoreText::kChangeMessagesNumberFailed, m_pSession, NULL, FALSE,
                                  NULL, FALSE, FALSE, hr);
    }
}

namespace
{
// The unread test of the message record (CEmailsImpl::IsUnread) in SQL: 0x02 set and 0x80 clear.
const char kUnreadCondition[] = "(Flags & 130) = 2";

class CFolderCounts
{
public:
    LONG m_nMessages = 0;
    LONG m_nUnread = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CFolderCounts)
        COLUMN_ENTRY(1, m_nMessages)
        COLUMN_ENTRY(2, m_nUnread)
    END_COLUMN_MAP()
    // clang-format on
};
} // namespace

void CFolders::CountMessages(LONG nFolderID, LONG& nMessages, LONG& nUnread)
{
    CString strSQL;
    strSQL.Format("SELECT COUNT(*), COUNT(CASE WHEN %s THEN 1 END) FROM Emails WHERE FolderID = %ld",
                  kUnreadCondition, (long)nFolderID);
    CCommand<CAccessor<CFolderCounts>> counts;
    HRESULT hr = counts.Open(*m_pSession, strSQL);
    if (FAILED(hr))
        throw new COLEDBException(NULL, IID_ICommand, MessageStoreText::kCountFailed, m_pSession, NULL, FALSE,
                                  NULL, FALSE, FALSE, hr);
    nMessages = nUnread = 0;
    if (counts.MoveNext() == S_OK)
    {
        nMessages = counts.m_nMessages;
        nUnread = counts.m_nUnread;
    }
}

bool CFolders::SyncUnread(LONG nFolderID, HWND hOwner)
{
    LONG nMessages = 0, nUnread = 0;
    CountMessages(nFolderID, nMessages, nUnread);
    if (!LoadFolder(nFolderID, hOwner))
        return false;
    if (m_nUnread == nUnread)
        return true;
    m_nUnread = nUnread;
    HRESULT hr = SetData(0);
    if (FAILED(hr))
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange, MessageStoreText::kUnreadUpdateFailed,
                                  m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr);
    return true;
}

void CFolders::SyncAllUnread()
{
    CString strCount;
    strCount.Format("(SELECT COUNT(*) FROM Emails WHERE Emails.FolderID = Folders.ID AND %s)",
                    kUnreadCondition);
    CString strSQL =
        "UPDATE Folders SET nUnread = " + strCount + " WHERE nUnread IS NULL OR nUnread <> " + strCount;
    CCommand<CNoAccessor, CNoRowset> command;
    HRESULT hr = command.Open(*m_pSession, strSQL, NULL, NULL, DBGUID_DEFAULT, false);
    if (FAILED(hr))
        throw new COLEDBException(command.m_spCommand, IID_ICommand, MessageStoreText::kUnreadUpdateFailed,
                                  m_pSession, NULL, FALSE, NULL, FALSE, FALSE, hr);
}

namespace
{
const WPARAM ID_DELETE_MESSAGE_FROM_LIST_CTRL = 33044;

void NameOnly(const CFoldersRecord& folder, CString& strText)
{
    strText = folder.m_Name;
}
FolderItemFormatter s_pfnFormatter = NameOnly;

HRESULT DeleteStoredMessage(HWND hOwner, CEmailsImpl<>& store)
{
    // A server message deleted here must not come back with the next download.
    CDeletedMessagesTable deleted(AccountsSessionFor(store.GetSession()));
    if (store.m_UniqueID[0] != '\0' && store.m_AccountID > 0 && TableExists(deleted.GetSession(), "DeletedMessages"))
    {
        deleted.Find(hOwner, store.m_AccountID, NULL);
        deleted.Clear();
        deleted.m_AccountID = store.m_AccountID;
        strcpy(deleted.m_UniqueID, store.m_UniqueID);
        HRESULT hr = deleted.Insert(0);
        if (FAILED(hr))
            throw new COLEDBException(deleted.m_spRowsetChange, IID_IRowsetChange, FolderTreeText::kDeleteEmailsFailed,
                                      deleted.GetSession(), hOwner, FALSE, NULL, FALSE, FALSE, hr);
    }
    store.m_addresses.DeleteByEmailID(store.m_EmailsID, hOwner);
    store.m_attachments.DeleteByEmailID(store.m_EmailsID, hOwner);
    return store.Delete();
}
FolderMessageDeleter s_pfnDeleteMessage = DeleteStoredMessage;
FolderChoiceDialog s_pfnChoiceDialog = NULL;
FolderNameDialog s_pfnNameDialog = DoFolderNameDialog;
ImapFolderClientFactory s_pfnMakeImapClient = NULL;
const WPARAM ID_ACCOUNTS = 32778;

// Component 1, then the delimiter and each further component.
CString JoinPath(const CString& strPath, const char* pszDelimiter, const char* pszName)
{
    return strPath.IsEmpty() ? CString(pszName) : strPath + pszDelimiter + pszName;
}

bool IsImapFolder(LONG nType)
{
    return nType == FOLDER_IMAP_FIRST || nType == FOLDER_IMAP_LAST;
}

// A name from the dialog, asked again while it is empty; false when cancelled.
bool AskFolderName(HWND hOwner, bool bRename, CString& strName)
{
    do
    {
        if (s_pfnNameDialog(hOwner, bRename, strName) != IDOK)
            return false;
    } while (strName.IsEmpty());
    return true;
}

int ImageOf(LONG nType)
{
    if (nType == FOLDER_LOCAL_FOLDERS)
        return 0;
    if (nType >= FOLDER_ADDRESS_BOOK && nType <= 11)
        return FOLDER_ALL_EMAILS;
    return nType;
}

bool IsHiddenImapFolder(const CFoldersRecord& folder)
{
    return (folder.m_Type == FOLDER_IMAP_FIRST || folder.m_Type == FOLDER_IMAP_LAST) && (folder.m_Flags & 1) != 0;
}

std::vector<CFoldersRecord> ReadRows(CFoldersTable& table)
{
    std::vector<CFoldersRecord> rows;
    while (table.MoveNext() == S_OK)
        rows.push_back(table);
    table.Close();
    return rows;
}
} // namespace

FolderItemFormatter SetFolderItemFormatter(FolderItemFormatter pfnFormatter)
{
    FolderItemFormatter pfnOld = s_pfnFormatter;
    s_pfnFormatter = pfnFormatter != NULL ? pfnFormatter : NameOnly;
    return pfnOld;
}

FolderMessageDeleter SetFolderMessageDeleter(FolderMessageDeleter pfnDeleter)
{
    FolderMessageDeleter pfnOld = s_pfnDeleteMessage;
    s_pfnDeleteMessage = pfnDeleter != NULL ? pfnDeleter : DeleteStoredMessage;
    return pfnOld;
}

FolderNameDialog SetFolderNameDialog(FolderNameDialog pfnDialog)
{
    FolderNameDialog pfnOld = s_pfnNameDialog;
    s_pfnNameDialog = pfnDialog != NULL ? pfnDialog : DoFolderNameDialog;
    return pfnOld;
}

ImapFolderClientFactory SetImapFolderClientFactory(ImapFolderClientFactory pfnFactory)
{
    ImapFolderClientFactory pfnOld = s_pfnMakeImapClient;
    s_pfnMakeImapClient = pfnFactory;
    return pfnOld;
}

CImapFolderClient* MakeImapFolderClient(const CAccountsRecord& account, HWND hOwner)
{
    return s_pfnMakeImapClient != NULL ? s_pfnMakeImapClient(account, hOwner) : NULL;
}

void FormatTreeItemText(const CFoldersRecord& folder, CString& strText)
{
    s_pfnFormatter(folder, strText);
}

FolderChoiceDialog SetFolderChoiceDialog(FolderChoiceDialog pfnDialog)
{
    FolderChoiceDialog pfnOld = s_pfnChoiceDialog;
    s_pfnChoiceDialog = pfnDialog;
    return pfnOld;
}

bool CFolders::IsSystemFolder(const CFoldersRecord& folder)
{
    return folder.m_Type <= FOLDER_DRAFTS ||
           (folder.m_Type >= FOLDER_ALL_EMAILS && folder.m_Type <= FOLDER_IMAP_ACCOUNT);
}

void CFolders::FreeItemData(LPARAM lParam)
{
    delete reinterpret_cast<CFolderItemData*>(lParam);
}

bool CFolders::LoadFolder(LONG nID, HWND hOwner)
{
    ClearRow();
    m_ID = nID;
    Open(hOwner, "Folders", CString(g_szFoldersSelect) + " WHERE ID = ?");
    return MoveNext() == S_OK;
}

bool CFolders::SelectParent(HWND hOwner)
{
    LONG nOwnerID = m_OwnerID;
    if (nOwnerID == 0)
        return false;
    return LoadFolder(nOwnerID, hOwner);
}

HTREEITEM CFolders::GetParentItem()
{
    if (m_hTree == NULL || m_hItem == NULL)
        return NULL;
    return TreeView_GetParent(m_hTree, m_hItem);
}

bool CFolders::IsSelfOrDescendant(LONG nFolderID, LONG nCandidateID, HWND hOwner)
{
    CFolders walk(m_pSession);
    std::set<LONG> seen;
    for (LONG nID = nCandidateID; nID != 0 && seen.insert(nID).second;)
    {
        if (nID == nFolderID)
            return true;
        if (!walk.LoadFolder(nID, hOwner))
            break;
        nID = walk.m_OwnerID;
    }
    return false;
}

bool CFolders::HoldsMessages(LONG nFolderID, HWND hOwner)
{
    std::vector<LONG> pending = {nFolderID};
    std::set<LONG> seen;
    CEmailsImpl<> store(m_pSession);
    CFoldersTable children(m_pSession);
    while (!pending.empty())
    {
        LONG nID = pending.back();
        pending.pop_back();
        if (!seen.insert(nID).second)
            continue;
        store.OpenByFolder(nID, hOwner);
        if (store.MoveNext(1, 0) == S_OK)
            return true;
        children.ClearRow();
        children.m_ID = nID;
        children.Open(hOwner, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ?");
        for (const CFoldersRecord& child : ReadRows(children))
            pending.push_back(child.m_ID);
    }
    return false;
}

HTREEITEM CFolders::InsertItem(HWND hTree, HTREEITEM hParent, const CFoldersRecord& folder, const char* pszText,
                               CAccountsRecord* pAccount, HWND hOwner)
{
    CFolderItemData* pData = new CFolderItemData;
    pData->folder = folder;
    pData->pAccount = pAccount;
    if (pAccount != NULL)
        pData->pClient = MakeImapFolderClient(*pAccount, hOwner);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(pszText);
    insert.item.iImage = insert.item.iSelectedImage = ImageOf(folder.m_Type);
    insert.item.lParam = (LPARAM)pData;
    if (folder.m_Type >= FOLDER_ADDRESS_BOOK && folder.m_Type <= 11)
    {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = 1;
    }
    if (hParent == TVI_ROOT || folder.m_Type == FOLDER_LOCAL_FOLDERS)
    {
        insert.item.mask |= TVIF_STATE;
        insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
    }
    HTREEITEM hItem = (HTREEITEM)SendMessageA(hTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    if (hItem == NULL)
        delete pData;
    return hItem;
}

void CFolders::CreateTree(HWND hTree, HWND hOwner, LONG nSelectID, BOOL bSystemOnly)
{
    m_hTree = hTree;
    try
    {
        Open(hOwner);
        LONG nAllEmails = GetSystemFolder(FOLDER_ALL_EMAILS, hOwner);
        LONG nAddressBook = GetSystemFolder(FOLDER_ADDRESS_BOOK, hOwner, FolderTreeText::kAddressBook, nAllEmails);
        GetSystemFolder(FOLDER_COMPANIES, hOwner, FolderTreeText::kCompanies, nAddressBook);
        {
            CAccountsTable accounts(m_pSession, NULL);
            accounts.EnsureIMAPRootFolders(hOwner);
        }
        // The labels show the counters; mail stored while no tree was open has not moved them.
        try
        {
            SyncAllUnread();
        }
        catch (COLEDBException* pException)
        {
            delete pException; // the stored counters are shown as they are
        }

        Open(hOwner);
        std::vector<CFoldersRecord> rows = ReadRows(*this);
        std::set<LONG> ids;
        for (const CFoldersRecord& row : rows)
            ids.insert(row.m_ID);
        for (const CFoldersRecord& row : rows)
        {
            if (ids.count(row.m_OwnerID) != 0)
                continue; // reached through its parent
            try
            {
                CAccountsRecord* pAccount = NULL;
                if (row.m_Type == FOLDER_IMAP_ACCOUNT)
                {
                    if (bSystemOnly)
                        continue;
                    CAccountsTable accounts(m_pSession, NULL);
                    accounts.m_ID = 0;
                    accounts.Open(hOwner);
                    while (accounts.MoveNext() == S_OK)
                    {
                        // The root carries the display name cut to the column.
                        if (CString(accounts.m_szDisplayName).Left(100) == row.m_Name)
                        {
                            pAccount = new CAccountsRecord(accounts);
                            break;
                        }
                    }
                    accounts.CloseTable();
                    if (pAccount == NULL)
                    {
                        // Roots are found by the account's name: a renamed account leaves its old root
                        // behind. Only an empty one goes; one that still holds mail stays in the tree.
                        if (!HoldsMessages(row.m_ID, hOwner))
                        {
                            LoadFolder(row.m_ID, hOwner);
                            DeleteFolder(hOwner, FALSE);
                            if (hOwner != NULL)
                                PostMessageA(hOwner, WM_COMMAND, ID_UPDATE, 0);
                            continue;
                        }
                    }
                }
                HTREEITEM hItem = InsertItem(hTree, TVI_ROOT, row, row.m_Name, pAccount, hOwner);
                if (hItem == NULL)
                    continue;
                HTREEITEM hSelect = NULL;
                if (row.m_ID == nSelectID)
                    hSelect = hItem;
                FillChildren(hTree, row.m_ID, hItem, hOwner, nSelectID, bSystemOnly, hSelect);
                if (hSelect != NULL)
                {
                    TreeView_SelectItem(hTree, hSelect);
                    TreeView_EnsureVisible(hTree, hSelect);
                }
            }
            catch (COLEDBException* pException)
            {
                delete pException; // one item is skipped; the failing step has shown it
            }
        }
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, hOwner);
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONERROR, hOwner);
        delete pException;
    }
    catch (...)
    {
        AppMessageBox(FolderTreeText::kCreateTreeUnhandled, MB_ICONERROR, hOwner);
    }
}

void CFolders::FillChildren(HWND hTree, LONG nParentID, HTREEITEM hParent, HWND hOwner, LONG nSelectID,
                            BOOL bSystemOnly, HTREEITEM& hSelect)
{
    CFoldersTable children(m_pSession);
    children.ClearRow();
    children.m_ID = nParentID;
    children.Open(hOwner, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ?");
    std::vector<CFoldersRecord> rows = ReadRows(children);
    for (const CFoldersRecord& row : rows)
    {
        if (IsHiddenImapFolder(row))
            continue;
        if (bSystemOnly && (row.m_Type < FOLDER_INBOX || row.m_Type > FOLDER_COMPANY))
            continue;
        if (row.m_ID == nParentID)
            continue; // a row that is its own parent would never end
        CString strText;
        s_pfnFormatter(row, strText);
        HTREEITEM hItem = InsertItem(hTree, hParent, row, strText, NULL);
        if (hItem == NULL)
            continue;
        if (row.m_ID == nSelectID)
            hSelect = hItem;
        FillChildren(hTree, row.m_ID, hItem, hOwner, nSelectID, FALSE, hSelect);
    }
}

int CFolders::DeleteCommand(HWND hOwner, HTREEITEM hItem, LONG& nNewParentID)
{
    try
    {
        m_hItem = hItem;
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = hItem;
        if (m_hTree == NULL || !TreeView_GetItem(m_hTree, &item) || item.lParam == 0)
            return 0;
        LONG nFolderID = reinterpret_cast<CFolderItemData*>(item.lParam)->folder.m_ID;

        LONG nDeletedItems = GetSystemFolder(FOLDER_DELETED_ITEMS, hOwner);
        CString strDeletedName = MessageStoreText::kDeletedItems;
        if (!LoadFolder(nFolderID, hOwner))
            return 0;
        CFoldersRecord folder = *this;
        if (folder.m_Type == FOLDER_IMAP_FIRST || folder.m_Type == FOLDER_IMAP_LAST)
        {
            DeleteFolder(hOwner, FALSE);
            return 1;
        }
        if (IsSystemFolder(folder))
        {
            CString strText;
            strText.Format(FolderTreeText::kSystemFolderRefused, folder.m_Name);
            AppMessageBox(strText, MB_ICONERROR, hOwner);
            return 0;
        }

        CFolders walk(m_pSession);
        walk.LoadFolder(nFolderID, hOwner);
        std::set<LONG> seen = {nFolderID};
        while (walk.SelectParent(hOwner) && seen.insert(walk.m_ID).second)
        {
            if (walk.m_Type != FOLDER_DELETED_ITEMS)
                continue;
            strDeletedName = walk.m_Name;
            CString strQuestion;
            strQuestion.Format(FolderTreeText::kDeleteForGoodQuestion, folder.m_Name);
            if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
                return 0;
            LoadFolder(nFolderID, hOwner);
            DeleteFolder(hOwner, FALSE);
            return 1;
        }

        CString strQuestion;
        strQuestion.Format(FolderTreeText::kMoveToDeletedQuestion, folder.m_Name, (const char*)strDeletedName);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
            return 0;
        LoadFolder(nFolderID, hOwner);
        SetOwnerID(hOwner, nDeletedItems);
        nNewParentID = nDeletedItems;
        return 1;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, hOwner);
    }
    return 0;
}

void CFolders::DeleteChildren(HWND hOwner)
{
    // The ids first: deleting while walking the same rows would skip or repeat some of them.
    CFoldersTable children(m_pSession);
    children.ClearRow();
    children.m_ID = m_ID;
    children.Open(hOwner, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ?");
    std::vector<CFoldersRecord> rows = ReadRows(children);
    for (const CFoldersRecord& child : rows)
    {
        if (child.m_ID == m_ID)
            continue;
        CFolders folder(m_pSession);
        if (folder.LoadFolder(child.m_ID, hOwner))
            folder.DeleteFolder(hOwner, TRUE);
    }
}

void CFolders::DeleteFolder(HWND hOwner, BOOL bQuiet)
{
    LONG nFolderID = m_ID;
    DeleteChildren(hOwner);
    LoadFolder(nFolderID, hOwner);

    HCURSOR hOldCursor = SetCursor(LoadCursor(NULL, IDC_WAIT));
    try
    {
        static const UINT s_uGetTable = RegisterWindowMessageA("LetrovaGetTable");
        CEmailsImpl<>* pStore = NULL;
        if (hOwner != NULL)
            ::SendMessage(hOwner, s_uGetTable, (WPARAM)&pStore, (LPARAM) "Emails");
        CEmailsImpl<> ownStore(m_pSession);
        CEmailsImpl<>& store = pStore != NULL ? *pStore : ownStore;
        store.Close();
        store.OpenByFolder(nFolderID, hOwner);
        while (store.MoveNext(1, 0) == S_OK)
        {
            LONG nEmailID = store.m_EmailsID;
            HRESULT hr = s_pfnDeleteMessage(hOwner, store);
            if (FAILED(hr))
                throw new COLEDBException(store.m_spRowsetChange, IID_IRowsetChange,
                                          FolderTreeText::kDeleteEmailsFailed, m_pSession, hOwner, FALSE, NULL,
                                          FALSE, FALSE, hr);
            if (!bQuiet && hOwner != NULL)
                ::SendMessage(hOwner, WM_COMMAND, ID_DELETE_MESSAGE_FROM_LIST_CTRL, (LPARAM)nEmailID);
        }
        store.Close();

        HRESULT hr = Delete();
        if (FAILED(hr))
            throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange, FolderTreeText::kDeleteFoldersFailed,
                                      m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr);
    }
    catch (...)
    {
        SetCursor(hOldCursor);
        throw;
    }
    SetCursor(hOldCursor);
}

int CFolders::MoveFolder(HWND hOwner, HTREEITEM hItem, LONG& nNewParentID)
{
    try
    {
        m_hItem = hItem;
        TVITEMA item = {};
        item.mask = TVIF_PARAM;
        item.hItem = hItem;
        if (m_hTree == NULL || !TreeView_GetItem(m_hTree, &item) || item.lParam == 0)
            return 0;
        LONG nFolderID = reinterpret_cast<CFolderItemData*>(item.lParam)->folder.m_ID;
        if (!LoadFolder(nFolderID, hOwner))
            return 0;
        if (IsSystemFolder(*this))
        {
            CString strText;
            strText.Format(FolderTreeText::kSystemFolderRefused, m_Name);
            AppMessageBox(strText, MB_ICONERROR, hOwner);
            return 0;
        }
        LONG nChosenID = 0;
        auto canMoveInto = [this, nFolderID, hOwner](LONG nCandidateID) {
            if (!IsSelfOrDescendant(nFolderID, nCandidateID, hOwner))
                return true;
            AppMessageBox(FolderTreeText::kMoveIntoSubfolder, MB_ICONERROR, hOwner);
            return false;
        };
        if (s_pfnChoiceDialog == NULL || s_pfnChoiceDialog(hOwner, nFolderID, nChosenID, canMoveInto) != IDOK)
            return 0;
        LoadFolder(nFolderID, hOwner);
        SetOwnerID(hOwner, nChosenID);
        nNewParentID = nChosenID;
        return 1;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, hOwner);
    }
    return 0;
}

void CFolders::SetOwnerID(HWND hOwner, LONG nNewParentID)
{
    // A folder below itself would hang from nothing: it and its messages would leave the tree.
    if (IsSelfOrDescendant(m_ID, nNewParentID, hOwner))
        throw FolderTreeText::kMoveIntoSubfolder;
    m_OwnerID = nNewParentID;
    HRESULT hr = SetData(0);
    if (FAILED(hr))
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange, FolderTreeText::kUpdateFoldersFailed,
                                  m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, hr);
}

CFolderItemData* CFolders::ItemData(HTREEITEM hItem)
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    if (m_hTree == NULL || hItem == NULL || !TreeView_GetItem(m_hTree, &item))
        return NULL;
    return reinterpret_cast<CFolderItemData*>(item.lParam);
}

CFolderItemData* CFolders::ImapRootOf(HTREEITEM hItem, CString& strPath, bool bWithItem)
{
    std::vector<CString> names;
    HTREEITEM hAt = hItem;
    for (; hAt != NULL; hAt = TreeView_GetParent(m_hTree, hAt))
    {
        CFolderItemData* pData = ItemData(hAt);
        if (pData == NULL)
            return NULL;
        if (pData->folder.m_Type == FOLDER_IMAP_ACCOUNT)
            break;
        if (hAt != hItem || bWithItem)
            names.push_back(pData->folder.m_Name);
    }
    CFolderItemData* pRoot = hAt != NULL ? ItemData(hAt) : NULL;
    if (pRoot == NULL || pRoot->pAccount == NULL)
        return NULL;
    strPath.Empty();
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        strPath = JoinPath(strPath, pRoot->pAccount->m_szDelimiter, *it);
    return pRoot;
}

int CFolders::CreateImapFolder(HWND hOwner, HTREEITEM hItem)
{
    CFolderItemData* pData = ItemData(hItem);
    if (pData == NULL || (pData->folder.m_Type != FOLDER_IMAP_ACCOUNT && !IsImapFolder(pData->folder.m_Type)))
        return 0;
    CString strPath;
    CFolderItemData* pRoot = ImapRootOf(hItem, strPath);
    if (pRoot == NULL || pRoot->pClient == NULL)
        return 0;
    CString strName;
    if (!AskFolderName(hOwner, false, strName))
        return 0;
    // The row appears when the server reports the new folder.
    pRoot->pClient->UseTree(m_hTree, hItem);
    pRoot->pClient->CreateFolder(JoinPath(strPath, pRoot->pAccount->m_szDelimiter, strName));
    return 1;
}

int CFolders::RenameImapFolder(HWND hOwner, HTREEITEM hItem)
{
    CFolderItemData* pData = ItemData(hItem);
    if (pData == NULL)
        return 0;
    if (pData->folder.m_Type == FOLDER_IMAP_ACCOUNT)
    {
        AppMessageBox(FolderTreeText::kUseAccountForRename, MB_ICONINFORMATION, hOwner);
        if (hOwner != NULL)
            PostMessageA(hOwner, WM_COMMAND, ID_ACCOUNTS, 0);
        return 0;
    }
    if (!IsImapFolder(pData->folder.m_Type))
        return 0;
    CString strPrefix;
    CFolderItemData* pRoot = ImapRootOf(hItem, strPrefix, false);
    if (pRoot == NULL || pRoot->pClient == NULL)
        return 0;
    CString strName = pData->folder.m_Name;
    if (!AskFolderName(hOwner, true, strName))
        return 0;
    const char* pszDelimiter = pRoot->pAccount->m_szDelimiter;
    CString strOld = JoinPath(strPrefix, pszDelimiter, pData->folder.m_Name);
    CString strNew = JoinPath(strPrefix, pszDelimiter, strName);
    pRoot->pClient->UseTree(m_hTree, hItem);
    pRoot->pClient->RenameFolder(strOld, strNew);
    // Every folder below moves with it: the same rename for each, depth first.
    std::function<void(HTREEITEM, const CString&, const CString&)> renameBelow =
        [&](HTREEITEM hParent, const CString& strOldParent, const CString& strNewParent)
    {
        for (HTREEITEM hChild = TreeView_GetChild(m_hTree, hParent); hChild != NULL;
             hChild = TreeView_GetNextSibling(m_hTree, hChild))
        {
            CFolderItemData* pChild = ItemData(hChild);
            if (pChild == NULL)
                continue;
            CString strOldChild = JoinPath(strOldParent, pszDelimiter, pChild->folder.m_Name);
            CString strNewChild = JoinPath(strNewParent, pszDelimiter, pChild->folder.m_Name);
            pRoot->pClient->RenameFolder(strOldChild, strNewChild);
            renameBelow(hChild, strOldChild, strNewChild);
        }
    };
    renameBelow(hItem, strOld, strNew);
    pRoot->pClient->CallComponent(15);
    return 1;
}

int CFolders::DeleteImapFolder(HWND hOwner, HTREEITEM hItem, BOOL bConfirmed)
{
    CFolderItemData* pData = ItemData(hItem);
    if (pData == NULL || !IsImapFolder(pData->folder.m_Type))
        return 0;
    if (!bConfirmed)
    {
        CString strQuestion;
        strQuestion.Format(FolderTreeText::kDeleteForGoodQuestion, pData->folder.m_Name);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, hOwner) != IDYES)
            return 0;
    }
    CString strPath;
    CFolderItemData* pRoot = ImapRootOf(hItem, strPath);
    if (pRoot == NULL || pRoot->pClient == NULL)
        return 0;
    pRoot->pClient->UseTree(m_hTree, hItem);
    pRoot->pClient->CallComponent(13);
    // The items below go from the tree now (their data with them, freed by the tree's owner as each item
    // goes); the rows go when the server reports the deletion.
    HTREEITEM hChild;
    while ((hChild = TreeView_GetChild(m_hTree, hItem)) != NULL)
        TreeView_DeleteItem(m_hTree, hChild);
    pRoot->pClient->DeleteFolder(pData->folder.m_ID, strPath);
    pRoot->pClient->CallComponent(15);
    return 1;
}

bool CFolders::WithImapClient(HWND hOwner,
                              const std::function<void(CImapFolderClient& client, const CString& strPath)>& act)
{
    if (!IsImapFolder(m_Type))
        return false;
    LONG nFolderID = m_ID;
    std::vector<CString> names = {m_Name};
    CFolders walk(m_pSession);
    walk.LoadFolder(nFolderID, hOwner);
    std::set<LONG> seen = {nFolderID};
    while (walk.SelectParent(hOwner) && seen.insert(walk.m_ID).second)
    {
        if (walk.m_Type != FOLDER_IMAP_ACCOUNT)
        {
            names.push_back(walk.m_Name);
            continue;
        }
        CAccountsTable accounts(m_pSession, NULL);
        accounts.Open(hOwner);
        while (accounts.MoveNext() == S_OK)
        {
            if (CString(accounts.m_szDisplayName).Left(100) != walk.m_Name)
                continue;
            std::unique_ptr<CImapFolderClient> client(MakeImapFolderClient(accounts, hOwner));
            if (client == NULL)
                return false;
            CString strPath;
            for (auto it = names.rbegin(); it != names.rend(); ++it)
                strPath = JoinPath(strPath, accounts.m_szDelimiter, *it);
            act(*client, strPath);
            return true;
        }
        return false;
    }
    return false;
}

int CFolders::RunImapFolderCommand(HWND hOwner, LONG nMessages)
{
    const LONG nFolderID = m_ID;
    return WithImapClient(hOwner, [&](CImapFolderClient& client, const CString& strPath) {
        client.SelectFolder(nFolderID, strPath, nMessages);
    }) ? 1 : 0;
}

int CFolders::ImapDeleteMessages(HWND hOwner, const std::vector<CString>& uniqueIDs)
{
    const LONG nFolderID = m_ID;
    const LONG nMessages = m_nMessagesNumber;
    return WithImapClient(hOwner, [&](CImapFolderClient& client, const CString& strPath) {
        for (const CString& strUniqueID : uniqueIDs)
            client.DeleteMessage(nFolderID, strPath, strUniqueID);
        // The server's copy is read again at once, so that the deleted rows leave the list now; a failure
        // leaves them for the next reading.
        try
        {
            client.SelectFolder(nFolderID, strPath, nMessages);
        }
        catch (CException* pException)
        {
            AppMessageBox(pException->m_strMessage, MB_OK | MB_ICONERROR, hOwner);
            delete pException;
        }
    }) ? 1 : 0;
}

void CFolders::WalkImapFolders(HWND hOwner)
{
    CFoldersTable children(m_pSession);
    children.ClearRow();
    children.m_ID = m_ID;
    children.Open(hOwner, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ?");
    std::vector<CFoldersRecord> rows = ReadRows(children);
    for (const CFoldersRecord& child : rows)
    {
        if (!IsImapFolder(child.m_Type))
            break;
        CFolders folder(m_pSession);
        if (!folder.LoadFolder(child.m_ID, hOwner))
            continue;
        folder.RunImapFolderCommand(hOwner, child.m_nMessagesNumber);
        folder.WalkImapFolders(hOwner);
    }
}

// The folder tree control.
#include "ui/main/MyTreeViewCtrl.h"

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/TextServices.h"
#include "store/ContactsTable.h"
#include "store/FolderDialogs.h"
#include "store/OLEDBException.h"
#include "resources/resource.h"

namespace
{
const char kRegisterDropFailed[] = "FATAL ERROR: Register of the Drag and drop failed!";
const char kInsertFailed[] = "ERROR: Insert Floders table failed!";
const char kRenameFailed[] = "ERROR: Update of the Name field of the Foldres table failed!";
// The contacts branch below Companies: companies, their contacts, and each contact's system folders.
const LONG kCompanyNode = 11;
const LONG kContactNode = 12;
const int kCompanyImage = 8;
const int kContactImage = 12;

FolderNameAsker s_pfnAsker = DoFolderNameDialog;

void FormatFolderItem(const CFoldersRecord& folder, CString& strText)
{
    strText = FolderItemText(folder.m_Name, folder.m_nUnread);
}

bool IsImapFolder(const CFoldersRecord& folder)
{
    return folder.m_Type >= FOLDER_IMAP_ACCOUNT && folder.m_Type <= FOLDER_IMAP_LAST;
}

// The branch of contacts and companies: its nodes stand for address-book entries, not for folders of mail.
bool IsContactsBranch(const CFoldersRecord& folder)
{
    return folder.m_Type >= FOLDER_ADDRESS_BOOK && folder.m_Type <= FOLDER_CALLER_LAST;
}
} // namespace

FolderNameAsker SetFolderNameAsker(FolderNameAsker pfnAsker)
{
    FolderNameAsker pfnOld = s_pfnAsker;
    s_pfnAsker = pfnAsker != NULL ? pfnAsker : DoFolderNameDialog;
    return pfnOld;
}

CString FolderItemText(const char* pszName, LONG nUnread)
{
    CString strText;
    if (nUnread == 0)
        strText = pszName;
    else
        strText.Format("%s (%ld)", pszName, (long)nUnread);
    return strText;
}

HWND CMyTreeViewCtrl::CreateTree(HWND hWndParent, CFolders* pFolders, HWND hWndOwner)
{
    m_pFolders = pFolders;
    m_hWndOwner = hWndOwner;
    SetFolderItemFormatter(FormatFolderItem);
    RECT rc = {0, 0, 100, 100};
    return Create(hWndParent, rc, NULL,
                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                      TVS_SHOWSELALWAYS,
                  WS_EX_CLIENTEDGE, IDC_FOLDER_TREE);
}

void CMyTreeViewCtrl::Fill(LONG nSelectID)
{
    DeleteAllItems();
    if (m_pFolders != NULL)
        m_pFolders->CreateTree(m_hWnd, m_hWndOwner, nSelectID, FALSE);
}

CFolderItemData* CMyTreeViewCtrl::ItemData(HTREEITEM hItem)
{
    if (hItem == NULL)
        return NULL;
    return reinterpret_cast<CFolderItemData*>(GetItemData(hItem));
}

CFolderItemData* CMyTreeViewCtrl::SelectedData()
{
    return ItemData(GetSelectedItem());
}

HTREEITEM CMyTreeViewCtrl::FindFolder(LONG nID, HTREEITEM hFrom)
{
    HTREEITEM hItem = hFrom == TVI_ROOT ? GetRootItem() : GetChildItem(hFrom);
    for (; hItem != NULL; hItem = GetNextSiblingItem(hItem))
    {
        CFolderItemData* pData = ItemData(hItem);
        if (pData != NULL && pData->folder.m_ID == nID)
            return hItem;
        HTREEITEM hFound = FindFolder(nID, hItem);
        if (hFound != NULL)
            return hFound;
    }
    return NULL;
}

void CMyTreeViewCtrl::RefreshItem(const CFoldersRecord& folder)
{
    HTREEITEM hItem = FindFolder(folder.m_ID);
    CFolderItemData* pData = ItemData(hItem);
    if (pData == NULL)
        return;
    pData->folder = folder;
    SetItemText(hItem, FolderItemText(folder.m_Name, folder.m_nUnread));
}

bool CMyTreeViewCtrl::CanMove(const CFoldersRecord& folder)
{
    return folder.m_Type == FOLDER_COMPANY;
}

bool CMyTreeViewCtrl::CanDelete(const CFoldersRecord& folder)
{
    return folder.m_Type == FOLDER_COMPANY || folder.m_Type == FOLDER_IMAP_FIRST ||
           folder.m_Type == FOLDER_IMAP_LAST;
}

void CMyTreeViewCtrl::ShowError(const CString& strText)
{
    ShowErrorReportPrompt(strText, NULL);
}

LRESULT CMyTreeViewCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!Register(m_hWnd))
        throw kRegisterDropFailed;
    return 0;
}

LRESULT CMyTreeViewCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    DeleteAllItems();
    Revoke();
    bHandled = FALSE;
    return 0;
}

LRESULT CMyTreeViewCtrl::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    CFolderItemData* pData = SelectedData();
    if (pData == NULL)
        return 0;
    HMENU hMenu = ::LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(IDR_FOLDERS_CONTEXT_MENU));
    if (hMenu == NULL)
        return 0;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    const CFoldersRecord& folder = pData->folder;
    if (pData->pAccount != NULL || IsImapFolder(folder))
    {
        ::AppendMenuA(hPopup, MF_SEPARATOR, 0, NULL);
        ::AppendMenuA(hPopup, MF_STRING, ID_IMAP_LIST, AtlLoadString(IDS_RESET_LIST));
    }
    ::EnableMenuItem(hPopup, ID_NEW_FOLDER, folder.m_ID != 0 ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, ID_MOVE_FOLDER, CanMove(folder) ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, ID_RENAME_FOLDER, MF_ENABLED);
    ::EnableMenuItem(hPopup, ID_DELETE_FOLDER, CanDelete(folder) ? MF_ENABLED : MF_GRAYED);
    POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
    if (lParam == -1)
        ::GetCursorPos(&pt);
    ::TrackPopupMenu(hPopup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetParent(), NULL);
    ::DestroyMenu(hMenu);
    return 0;
}

LRESULT CMyTreeViewCtrl::OnNewFolder(WORD, WORD, HWND, BOOL&)
{
    HTREEITEM hSelected = GetSelectedItem();
    CFolderItemData* pData = ItemData(hSelected);
    if (pData == NULL || m_pFolders == NULL)
        return 0;
    if (IsImapFolder(pData->folder))
    {
        m_pFolders->CreateImapFolder(m_hWndOwner, hSelected);
        return 0;
    }
    CString strName;
    if (s_pfnAsker(GetTopLevelParent(), false, strName) != IDOK)
        return 0;
    if (strName.GetLength() >= kMaxFolderName)
    {
        CString strCut = strName.Left(kMaxFolderName);
        CString strQuestion;
        strQuestion.Format(AtlLoadString(IDS_FOLDER_NAME_TOO_LONG), (const char*)strName, kMaxFolderName,
                           (const char*)strCut);
        if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION, m_hWndOwner) != IDYES)
            return 0;
        strName = strCut;
    }
    LONG nNewID = 0;
    try
    {
        CFoldersTable insert(m_pFolders->GetSession());
        insert.Open(m_hWndOwner);
        insert.ClearRow();
        strncpy(insert.m_Name, strName, sizeof(insert.m_Name) - 1);
        insert.m_OwnerID = pData->folder.m_ID;
        insert.m_Type = FOLDER_COMPANY;
        HRESULT hr = insert.Insert(0);
        if (SUCCEEDED(hr))
            hr = insert.MoveLast();
        if (hr != S_OK)
            throw new COLEDBException(insert.m_spRowsetChange, IID_IRowsetChange, kInsertFailed,
                                      insert.GetSession(), m_hWndOwner, FALSE, NULL, FALSE, FALSE, hr);
        nNewID = insert.m_ID;
    }
    catch (COLEDBException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        ShowError(strText.IsEmpty() ? CString(kInsertFailed) : strText);
        return 0;
    }
    LONG nParentID = pData->folder.m_ID;
    Fill(nNewID);
    HTREEITEM hParent = FindFolder(nParentID);
    if (hParent != NULL)
        Expand(hParent, TVE_EXPAND);
    return 0;
}

LRESULT CMyTreeViewCtrl::OnRenameFolder(WORD, WORD, HWND, BOOL&)
{
    HTREEITEM hSelected = GetSelectedItem();
    CFolderItemData* pData = ItemData(hSelected);
    if (pData == NULL || m_pFolders == NULL)
        return 0;
    if (IsImapFolder(pData->folder))
    {
        if (m_pFolders->RenameImapFolder(m_hWndOwner, hSelected))
            Fill(pData->folder.m_ID);
        return 0;
    }
    try
    {
        if (!m_pFolders->LoadFolder(pData->folder.m_ID, m_hWndOwner))
            return 0;
        CString strName = m_pFolders->m_Name;
        if (s_pfnAsker(GetTopLevelParent(), true, strName) != IDOK)
            return 0;
        memset(m_pFolders->m_Name, 0, sizeof(m_pFolders->m_Name));
        strncpy(m_pFolders->m_Name, strName.Left(kMaxFolderName), sizeof(m_pFolders->m_Name) - 1);
        HRESULT hr = m_pFolders->SetData(0);
        if (FAILED(hr))
            throw new COLEDBException(m_pFolders->m_spRowsetChange, IID_IRowsetChange, kRenameFailed,
                                      m_pFolders->GetSession(), m_hWndOwner, FALSE, NULL, FALSE, FALSE, hr);
        RefreshItem(*m_pFolders);
    }
    catch (COLEDBException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        ShowError(strText.IsEmpty() ? CString(kRenameFailed) : strText);
    }
    return 0;
}

LRESULT CMyTreeViewCtrl::OnCanMove(WORD, WORD, HWND, BOOL&)
{
    CFolderItemData* pData = SelectedData();
    return pData != NULL && CanMove(pData->folder) ? 1 : 0;
}

LRESULT CMyTreeViewCtrl::OnMoveFolder(WORD, WORD, HWND, BOOL& bHandled)
{
    bHandled = FALSE;
    HTREEITEM hSelected = GetSelectedItem();
    CFolderItemData* pData = ItemData(hSelected);
    if (pData == NULL || m_pFolders == NULL)
        return 0;
    LONG nFolderID = pData->folder.m_ID;
    LONG nNewParentID = 0;
    if (m_pFolders->MoveFolder(m_hWndOwner, hSelected, nNewParentID) != 1)
        return 0;
    Fill(nFolderID);
    return 0;
}

LRESULT CMyTreeViewCtrl::OnCanDelete(WORD, WORD, HWND, BOOL&)
{
    CFolderItemData* pData = SelectedData();
    return pData != NULL && CanDelete(pData->folder) ? 1 : 0;
}

LRESULT CMyTreeViewCtrl::OnDeleteFolder(WORD, WORD, HWND, BOOL&)
{
    HTREEITEM hSelected = GetSelectedItem();
    CFolderItemData* pData = ItemData(hSelected);
    if (pData == NULL || m_pFolders == NULL)
        return 0;
    if (IsImapFolder(pData->folder))
    {
        if (m_pFolders->DeleteImapFolder(m_hWndOwner, hSelected, FALSE))
            Fill(0);
        return 0;
    }
    if (!CanDelete(pData->folder))
        return 0;
    LONG nFolderID = pData->folder.m_ID;
    LONG nParentID = pData->folder.m_OwnerID;
    LONG nNewParentID = 0;
    if (m_pFolders->DeleteCommand(m_hWndOwner, hSelected, nNewParentID) != 1)
        return 0;
    Fill(nNewParentID != 0 ? nFolderID : nParentID);
    return 0;
}

LRESULT CMyTreeViewCtrl::OnImapList(WORD, WORD, HWND, BOOL&)
{
    HTREEITEM hSelected = GetSelectedItem();
    if (hSelected == NULL || m_pFolders == NULL)
        return 0;
    CFolderItemData* pRoot = NULL;
    HTREEITEM hRoot = NULL;
    for (HTREEITEM hItem = hSelected; hItem != NULL && pRoot == NULL; hItem = GetParentItem(hItem))
    {
        CFolderItemData* pData = ItemData(hItem);
        if (pData != NULL && pData->folder.m_Type == FOLDER_IMAP_ACCOUNT)
        {
            pRoot = pData;
            hRoot = hItem;
        }
    }
    if (pRoot == NULL || pRoot->pClient == NULL)
        return 0;
    pRoot->pClient->UseTree(m_hWnd, hRoot);
    // Without a complete listing no mark says anything: every folder would count as gone from the server.
    if (!pRoot->pClient->ListFolders())
        return 0;
    try
    {
        RemoveUnlistedFolders(hRoot);
    }
    catch (COLEDBException* pException)
    {
        delete pException; // the failing step has shown it
    }
    catch (const char* pszText)
    {
        ShowError(pszText);
    }
    return 0;
}

void CMyTreeViewCtrl::RemoveUnlistedFolders(HTREEITEM hParent)
{
    HTREEITEM hChild = GetChildItem(hParent);
    while (hChild != NULL)
    {
        HTREEITEM hNext = GetNextSiblingItem(hChild);
        RemoveUnlistedFolders(hChild);
        CFolderItemData* pData = ItemData(hChild);
        if (pData != NULL && (pData->folder.m_Type == FOLDER_IMAP_FIRST || pData->folder.m_Type == FOLDER_IMAP_LAST))
        {
            if (pData->bListed)
            {
                pData->bListed = false;
            }
            else
            {
                CFolders folder(m_pFolders->GetSession());
                if (folder.LoadFolder(pData->folder.m_ID, m_hWndOwner))
                    folder.DeleteFolder(m_hWndOwner, FALSE);
                DeleteItem(hChild);
            }
        }
        hChild = hNext;
    }
}

CFolderItemData* CMyTreeViewCtrl::DropFolderAt(POINT pt)
{
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    HTREEITEM hItem = HitTest(&hit);
    if (hItem == NULL || !(hit.flags & TVHT_ONITEM))
        return NULL;
    CFolderItemData* pData = ItemData(hItem);
    // Messages dropped on a node without a Folders row would go to folder 0 and leave every list.
    if (pData == NULL || pData->folder.m_ID <= 0 || IsContactsBranch(pData->folder))
        return NULL;
    return pData;
}

DWORD CMyTreeViewCtrl::OnDragOver(IDataObject* pDataObject, DWORD, POINT pt)
{
    if (DropFolderAt(pt) == NULL)
        return DROPEFFECT_NONE;
    return OffersMessages(pDataObject, m_cfFormat) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
}

HRESULT CMyTreeViewCtrl::OnDrop(IDataObject* pDataObject, DWORD, POINT pt)
{
    CFolderItemData* pData = DropFolderAt(pt);
    if (pData == NULL || !OffersMessages(pDataObject, m_cfFormat))
        return S_FALSE;
    ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, pData->folder.m_ID);
    return S_OK;
}

void CMyTreeViewCtrl::InsertBranchChild(HTREEITEM hParent, const CString& strText, LONG nType, int nImage,
                                        bool bChildren)
{
    for (HTREEITEM hChild = GetChildItem(hParent); hChild != NULL; hChild = GetNextSiblingItem(hChild))
    {
        CString strChild;
        GetItemText(hChild, strChild);
        if (strChild == strText)
            return;
    }
    CFolderItemData* pParent = ItemData(hParent);
    CFolderItemData* pData = new CFolderItemData;
    pData->folder.ClearRow();
    strncpy(pData->folder.m_Name, strText, sizeof(pData->folder.m_Name) - 1);
    pData->folder.m_OwnerID = pParent != NULL ? pParent->folder.m_ID : 0;
    pData->folder.m_Type = nType;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>((const char*)strText);
    insert.item.iImage = insert.item.iSelectedImage = nImage;
    insert.item.cChildren = bChildren ? 1 : 0;
    insert.item.lParam = (LPARAM)pData;
    if (InsertItem(&insert) == NULL)
        delete pData;
}

void CMyTreeViewCtrl::ExpandContactsBranch(HTREEITEM hItem, CSession* pSession)
{
    CFolderItemData* pData = ItemData(hItem);
    if (pData == NULL)
        return;
    const LONG nType = pData->folder.m_Type;
    if (nType == kContactNode)
    {
        const UINT names[] = {IDS_INBOX, IDS_OUTBOX, IDS_SENT_ITEMS, IDS_DELETED_ITEMS, IDS_DRAFTS};
        for (LONG nFolder = FOLDER_INBOX; nFolder <= FOLDER_DRAFTS; nFolder++)
            InsertBranchChild(hItem, AtlLoadString(names[nFolder - FOLDER_INBOX]), nFolder, nFolder, false);
        return;
    }
    if (nType != FOLDER_COMPANIES && nType != kCompanyNode)
        return;
    const CString strCompany = pData->folder.m_Name;
    try
    {
        CContactsTableHolder contacts(pSession);
        if (nType == FOLDER_COMPANIES)
        {
            contacts.Open(m_hWndOwner);
            while (contacts.MoveNext() == S_OK)
                InsertBranchChild(hItem, contacts.m_Company, kCompanyNode, kCompanyImage, true);
        }
        else
        {
            contacts.Open(m_hWndOwner, CString(g_szContactsSelect) + " AND Company = '" + SqlQuote(strCompany) + "'");
            while (contacts.MoveNext() == S_OK)
                InsertBranchChild(hItem, contacts.GetRecipientText(), kContactNode, kContactImage, true);
        }
    }
    catch (COLEDBException* pException)
    {
        delete pException; // the failing open has shown it
    }
    catch (CException* pException)
    {
        ShowError(pException->m_strMessage);
        delete pException;
    }
    catch (const char* pszText)
    {
        ShowError(pszText);
    }
}

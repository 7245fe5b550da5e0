// The folder tree: the store's folders with their unread counts, the folder commands, and a drop target
// for message rows.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlctrls.h>
#include <atlstr.h>
#include <atlwin.h>

#include "store/Folders.h"
#include "ui/main/DragDrop.h"
#include "ui/main/MainCommands.h"

// The name dialog of new and renamed local folders; tests put their own in its place.
typedef INT_PTR (*FolderNameAsker)(HWND hOwner, bool bRename, CString& strName);
FolderNameAsker SetFolderNameAsker(FolderNameAsker pfnAsker);

// Longest folder name the Folders table keeps.
const int kMaxFolderName = 100;

// The item text of a folder: its name, with the unread count when there is one.
CString FolderItemText(const char* pszName, LONG nUnread);

class CMyTreeViewCtrl : public CWindowImpl<CMyTreeViewCtrl, CTreeViewCtrl>, public CDropTarget
{
public:
    DECLARE_WND_SUPERCLASS("LetrovaFolderTree", WC_TREEVIEWA)

    BEGIN_MSG_MAP(CMyTreeViewCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(CDropTarget::RegisterMessage(), OnRegisterDropTarget)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        COMMAND_ID_HANDLER(ID_NEW_FOLDER, OnNewFolder)
        COMMAND_ID_HANDLER(ID_RENAME_FOLDER, OnRenameFolder)
        COMMAND_ID_HANDLER(ID_CAN_MOVE_TO_FOLDER, OnCanMove)
        COMMAND_ID_HANDLER(ID_MOVE_FOLDER, OnMoveFolder)
        COMMAND_ID_HANDLER(ID_MOVE_TO_FOLDER, OnMoveFolder)
        COMMAND_ID_HANDLER(ID_CAN_DELETE, OnCanDelete)
        COMMAND_ID_HANDLER(ID_EDIT_DELETE, OnDeleteFolder)
        COMMAND_ID_HANDLER(ID_DELETE_FOLDER, OnDeleteFolder)
        COMMAND_ID_HANDLER(ID_IMAP_LIST, OnImapList)
    END_MSG_MAP()

    // The tree reads and writes through pFolders; the store reports to hWndOwner (the main window).
    HWND CreateTree(HWND hWndParent, CFolders* pFolders, HWND hWndOwner);

    // Fills the tree from the Folders table, selecting nSelectID.
    void Fill(LONG nSelectID);
    // The selected item's folder, or NULL.
    CFolderItemData* SelectedData();
    CFolderItemData* ItemData(HTREEITEM hItem);
    // The item whose folder has this ID, depth first from the root; NULL when none has.
    HTREEITEM FindFolder(LONG nID, HTREEITEM hFrom = TVI_ROOT);
    // Replaces the item's copy of the row and its text.
    void RefreshItem(const CFoldersRecord& folder);

    // Fills the item of the contacts branch that is being expanded: the companies below Companies, the
    // contacts of a company, the system folders of a contact. Each child comes once, however often the item
    // expands. pSession holds the contacts.
    void ExpandContactsBranch(HTREEITEM hItem, CSession* pSession);

    static bool CanMove(const CFoldersRecord& folder);
    static bool CanDelete(const CFoldersRecord& folder);

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnRegisterDropTarget(UINT, WPARAM, LPARAM, BOOL&)
    {
        RegisterWithSystem();
        return 1;
    }
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnNewFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnRenameFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnCanMove(WORD, WORD, HWND, BOOL&);
    LRESULT OnMoveFolder(WORD, WORD, HWND, BOOL& bHandled);
    LRESULT OnCanDelete(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnImapList(WORD, WORD, HWND, BOOL&);

    DWORD OnDragOver(IDataObject* pDataObject, DWORD grfKeyState, POINT pt) override;
    HRESULT OnDrop(IDataObject* pDataObject, DWORD dwEffect, POINT pt) override;

    CFolders* m_pFolders = NULL;
    HWND m_hWndOwner = NULL;

private:
    // The folder under the point that a drop may go to: a row of the Folders table outside the contacts.
    CFolderItemData* DropFolderAt(POINT pt);
    // Below hParent, children first: IMAP folders that the listing did not report go with their rows and
    // messages; the reported ones lose their mark.
    void RemoveUnlistedFolders(HTREEITEM hParent);
    // A child of hParent with this text, inserted last unless one exists; its node has no Folders row.
    void InsertBranchChild(HTREEITEM hParent, const CString& strText, LONG nType, int nImage, bool bChildren);
    void ShowError(const CString& strText);
};

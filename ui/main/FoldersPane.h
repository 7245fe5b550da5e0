// The Folders pane: a title bar over the folder tree, the selection's commands and the unread counts.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include "resources/resource.h"
#include "store/Folders.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MyTreeViewCtrl.h"
#include "ui/main/PaneTitle.h"

class CFoldersPane : public CDialogImpl<CFoldersPane>
{
public:
    enum
    {
        IDD = IDD_FOLDERS_PANE
    };

    BEGIN_MSG_MAP(CFoldersPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_SELCHANGEDA, OnSelChanged)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_DELETEITEMA, OnDeleteItem)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_KEYDOWN, OnKeyDown)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_ITEMEXPANDINGA, OnItemExpanding)
        MESSAGE_HANDLER(WM_NOTIFY, OnTitleNotify)
        COMMAND_ID_HANDLER(IDOK, OnCloseDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseDialog)
        COMMAND_ID_HANDLER(ID_VIEW_FOLDERS, OnViewFolders)
        COMMAND_ID_HANDLER(ID_IS_VISIBLE_FOLDERS, OnToggle)
        COMMAND_ID_HANDLER(ID_UPDATE_MESSAGES_LIST, OnUpdateMessagesList)
        COMMAND_ID_HANDLER(ID_UPDATE, OnRebuild)
        COMMAND_ID_HANDLER(ID_UPDATE_TREE, OnRebuild)
        MESSAGE_HANDLER(WM_COMMAND, OnFolderCommand)
    END_MSG_MAP()

    CFoldersPane();
    ~CFoldersPane();

    int TitleHeight() const { return m_title.Height(); }
    // The folder the selection stands on, 0 when none.
    LONG SelectedFolderID();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelChanged(int, LPNMHDR, BOOL&);
    LRESULT OnDeleteItem(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnKeyDown(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnItemExpanding(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnTitleNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseDialog(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnViewFolders(WORD, WORD, HWND, BOOL&);
    LRESULT OnToggle(WORD, WORD, HWND, BOOL&);
    LRESULT OnUpdateMessagesList(WORD, WORD, HWND, BOOL&);
    LRESULT OnRebuild(WORD, WORD, HWND, BOOL& bHandled);
    LRESULT OnFolderCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    // The unread bookkeeping of ID_UPDATE_MESSAGE_FLAGS and ID_SET_FOLDER_UNREAD: the folder's counter and
    // label take the store's count.
    void UpdateUnread(LONG nFolderID);
    void SetFolderUnread(LONG nCount);

    CMyTreeViewCtrl m_tree;
    CPaneTitle m_title;
    CFolders* m_pFolders = NULL;
    CFolders* m_pCounter = NULL;
    HFONT m_hBoldFont = NULL;
    HIMAGELIST m_hImages = NULL;
    HWND m_hWndMain = NULL;
    LONG m_nUnreadDelta = 0;
    WORD m_nPendingCommand = 0;
};

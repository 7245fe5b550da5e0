// The folder picker of Move to Folder and of the search's Browse: the folder tree in a dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "ui/main/MyTreeViewCtrl.h"

class CDlgChoiceFolder : public CDialogImpl<CDlgChoiceFolder>
{
public:
    enum
    {
        IDD = IDD_CHOICE_FOLDER
    };

    BEGIN_MSG_MAP(CDlgChoiceFolder)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_SELCHANGEDA, OnSelChanged)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, TVN_DELETEITEMA, OnDeleteItem)
        NOTIFY_HANDLER(IDC_FOLDER_TREE, NM_DBLCLK, OnDoubleClick)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_CHOICE_NEW_FOLDER, OnNewFolder)
    END_MSG_MAP()

    // hWndFrame gives the database and gets ID_UPDATE_TREE after a new folder; a null caption keeps the
    // template's; bSystemOnly is passed to the tree.
    CDlgChoiceFolder(HWND hWndFrame, LONG nSelectID, const char* pszCaption = NULL, BOOL bSystemOnly = FALSE,
                     BOOL bNewFolderButton = FALSE);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelChanged(int, LPNMHDR, BOOL&);
    LRESULT OnDeleteItem(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnNewFolder(WORD, WORD, HWND, BOOL&);

    // The chosen folder after IDOK.
    LONG m_nChosenID = 0;
    // Vets a choice before the dialog ends with it; a refused choice keeps the dialog open.
    std::function<bool(LONG nChosenID)> m_canChoose;
    CMyTreeViewCtrl m_tree;

private:
    void Choose();

    HWND m_hWndFrame;
    LONG m_nSelectID;
    CString m_strCaption;
    BOOL m_bSystemOnly;
    BOOL m_bNewFolderButton;
    std::unique_ptr<CFolders> m_pFolders;
};

// The folder-choice dialog of the folder tree's Move, through the store's seam.
INT_PTR ChooseFolderInDialog(HWND hOwner, LONG nFolderID, LONG& nChosenID,
                             const std::function<bool(LONG nChosenID)>& canMoveInto);

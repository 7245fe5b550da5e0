// The Folders pane.
#include "ui/main/FoldersPane.h"

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "ui/main/MessageFlagsNotice.h"

namespace
{
const int kFolderImageWidth = 16;
const COLORREF kImageMask = RGB(255, 0, 255);
} // namespace

CFoldersPane::CFoldersPane() {}

CFoldersPane::~CFoldersPane()
{
    delete m_pCounter;
    delete m_pFolders;
    if (m_hBoldFont != NULL)
        ::DeleteObject(m_hBoldFont);
}

LONG CFoldersPane::SelectedFolderID()
{
    CFolderItemData* pData = m_tree.m_hWnd != NULL ? m_tree.SelectedData() : NULL;
    return pData != NULL ? pData->folder.m_ID : 0;
}

LRESULT CFoldersPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndMain = ::GetAncestor(m_hWnd, GA_ROOT);
    m_title.Create(m_hWnd, AtlLoadString(IDS_FOLDERS), ID_TITLE_BUTTON_1, ID_VIEW_FOLDERS, false);

    CDatabaseBase* pDatabase = NULL;
    ::SendMessageA(m_hWndMain, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        m_pFolders = new CFolders(&pDatabase->m_session);
    m_tree.CreateTree(m_hWnd, m_pFolders, m_hWndMain);

    m_hImages = ImageList_LoadImageA(GetResourceModule(), MAKEINTRESOURCEA(IDB_FOLDER_IMAGES), kFolderImageWidth,
                                     0, kImageMask, IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (m_hImages != NULL)
    {
        ImageList_SetBkColor(m_hImages, ::GetSysColor(COLOR_WINDOW));
        TreeView_SetImageList(m_tree.m_hWnd, m_hImages, TVSIL_NORMAL);
    }

    LONG nSelectID = 0;
    CRegistry* pRegistry = NULL;
    ::SendMessageA(m_hWndMain, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    if (m_pFolders != NULL && pRegistry != NULL && pRegistry->GetStartInInbox())
        nSelectID = m_pFolders->GetSystemFolder(FOLDER_INBOX, m_hWndMain);
    m_tree.Fill(nSelectID);

    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    LOGFONTA lf = {};
    if (hFont != NULL && ::GetObjectA(hFont, sizeof(lf), &lf) != 0)
    {
        lf.lfWeight = FW_BOLD;
        m_hBoldFont = ::CreateFontIndirectA(&lf);
        ::SendMessageA(m_title.m_hWnd, WM_SETFONT, (WPARAM)m_hBoldFont, TRUE);
    }
    return TRUE;
}

LRESULT CFoldersPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    m_title.Resize(w);
    int nTop = m_title.Height();
    int nHeight = h - nTop < 0 ? 0 : h - nTop;
    if (m_tree.m_hWnd != NULL)
        m_tree.SetWindowPos(NULL, 0, nTop, w, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CFoldersPane::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_tree.m_hWnd != NULL)
        m_tree.DestroyWindow();
    m_title.Destroy();
    if (m_hImages != NULL)
        ImageList_Destroy(m_hImages);
    m_hImages = NULL;
    return 0;
}

LRESULT CFoldersPane::OnSelChanged(int, LPNMHDR, BOOL&)
{
    m_nUnreadDelta = 0;
    CFolderItemData* pData = m_tree.SelectedData();
    LONG nID = pData != NULL ? pData->folder.m_ID : 0;
    if (nID != 0)
    {
        const CFoldersRecord& folder = pData->folder;
        ::SendMessageA(m_hWndMain, LetrovaEnable, ID_NEW_FOLDER, 1);
        ::SendMessageA(m_hWndMain, LetrovaEnable, ID_MOVE_FOLDER, CMyTreeViewCtrl::CanMove(folder));
        ::SendMessageA(m_hWndMain, LetrovaEnable, ID_RENAME_FOLDER, 1);
        ::SendMessageA(m_hWndMain, LetrovaEnable, ID_DELETE_FOLDER, CMyTreeViewCtrl::CanDelete(folder));
    }
    SendMessage(WM_COMMAND, ID_UPDATE_MESSAGES_LIST, 0);
    return 0;
}

LRESULT CFoldersPane::OnDeleteItem(int, LPNMHDR pnmh, BOOL&)
{
    NMTREEVIEWA* pTree = reinterpret_cast<NMTREEVIEWA*>(pnmh);
    CFolders::FreeItemData(pTree->itemOld.lParam);
    return 0;
}

LRESULT CFoldersPane::OnKeyDown(int, LPNMHDR pnmh, BOOL&)
{
    if (reinterpret_cast<NMTVKEYDOWN*>(pnmh)->wVKey == VK_DELETE)
        PostMessage(WM_COMMAND, ID_DELETE_FOLDER, 0);
    return 0;
}

LRESULT CFoldersPane::OnItemExpanding(int, LPNMHDR pnmh, BOOL&)
{
    NMTREEVIEWA* pTree = reinterpret_cast<NMTREEVIEWA*>(pnmh);
    if ((pTree->action & TVE_EXPAND) == 0)
        return 0;
    // The contacts live in the central database; without it, in the local one.
    CDatabaseBase* pDatabase = NULL;
    ::SendMessageA(m_hWndMain, LetrovaGetOrbDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL || !pDatabase->IsOpen())
        ::SendMessageA(m_hWndMain, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        m_tree.ExpandContactsBranch(pTree->itemNew.hItem, &pDatabase->m_session);
    return 0;
}

LRESULT CFoldersPane::OnTitleNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    return m_title.OnNotify(reinterpret_cast<NMHDR*>(lParam), bHandled);
}

LRESULT CFoldersPane::OnCloseDialog(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}

LRESULT CFoldersPane::OnViewFolders(WORD, WORD, HWND, BOOL&)
{
    ::PostMessageA(m_hWndMain, WM_COMMAND, ID_VIEW_FOLDERS, 0);
    return 1;
}

LRESULT CFoldersPane::OnToggle(WORD, WORD, HWND, BOOL&)
{
    bool bShow = !IsWindowVisible();
    ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    ::SendMessageA(m_hWndMain, WM_COMMAND, ID_IS_VISIBLE_FOLDERS, bShow ? 1 : 0);
    return 0;
}

LRESULT CFoldersPane::OnUpdateMessagesList(WORD, WORD, HWND, BOOL&)
{
    ::SendMessageA(m_hWndMain, WM_COMMAND, ID_SEL_FOLDER_CHANGED, (LPARAM)m_tree.SelectedData());
    return 1;
}

LRESULT CFoldersPane::OnRebuild(WORD, WORD, HWND, BOOL& bHandled)
{
    m_tree.Fill(SelectedFolderID());
    SendMessage(WM_COMMAND, ID_UPDATE_MESSAGES_LIST, 0);
    bHandled = FALSE;
    return 0;
}

LRESULT CFoldersPane::OnFolderCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    switch (LOWORD(wParam))
    {
    case ID_UPDATE_MESSAGE_FLAGS:
    {
        // The notice only names the folders to count again: its arithmetic is shared by every writer and
        // one that wrote between another's post and its handling would be lost or counted twice.
        CMessageFlagsNotice& notice = MessageFlagsNotice;
        if (notice.nKind > NOTICE_NONE)
        {
            UpdateUnread(notice.nFolderID);
            if (notice.nKind == NOTICE_MESSAGE_MOVED && notice.nPreviousFolderID != notice.nFolderID)
                UpdateUnread(notice.nPreviousFolderID);
        }
        if (SelectedFolderID() != notice.nFolderID)
            UpdateUnread(SelectedFolderID());
        notice.nKind = NOTICE_NONE;
        return 0;
    }
    case ID_SET_FOLDER_UNREAD:
        SetFolderUnread((LONG)lParam);
        return 0;
    case ID_FIND_MESSAGE_MENU:
    {
        DWORD dwThreadId = 0;
        ::SendMessageA(m_hWndMain, LetrovaGetIdThread, (WPARAM)&dwThreadId, 0);
        ::PostThreadMessageA(dwThreadId, WM_USER, ID_FIND_MESSAGE_MENU, SelectedFolderID());
        return 1;
    }
    case ID_CREATE_TREE:
        m_tree.Fill(0);
        return 1;
    case ID_ADD_FOLDER_TO_TREE:
        m_tree.Fill(SelectedFolderID());
        return 1;
    case ID_CLOSE_LOCAL_DATABASE:
        if (m_pCounter != NULL)
            m_pCounter->Close();
        if (m_pFolders != NULL)
            m_pFolders->Close();
        return 0;
    case ID_MOVE_FOLDER:
    case ID_DELETE_FOLDER:
    {
        m_nPendingCommand = LOWORD(wParam);
        LRESULT lResult = m_tree.SendMessage(WM_COMMAND, wParam, lParam);
        m_nPendingCommand = 0;
        return lResult;
    }
    case ID_NEW_FOLDER:
    case ID_RENAME_FOLDER:
    case ID_IMAP_LIST:
        return m_tree.SendMessage(WM_COMMAND, wParam, lParam);
    }
    bHandled = FALSE;
    return 0;
}

void CFoldersPane::UpdateUnread(LONG nFolderID)
{
    if (m_pFolders == NULL || nFolderID <= 0)
        return;
    if (m_pCounter == NULL)
        m_pCounter = new CFolders(m_pFolders->GetSession());
    try
    {
        if (m_pCounter->SyncUnread(nFolderID, m_hWndMain))
            m_tree.RefreshItem(*m_pCounter);
    }
    catch (COLEDBException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        ShowErrorReportPrompt(strText, NULL);
    }
}

void CFoldersPane::SetFolderUnread(LONG)
{
    UpdateUnread(MessageFlagsNotice.nFolderID);
    UpdateUnread(MessageFlagsNotice.nPreviousFolderID);
}

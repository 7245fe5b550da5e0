// The folder picker.
#include "ui/main/DlgChoiceFolder.h"

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"

namespace
{
const char kInitCrashed[] = "CDlgChoiceFolder::OnInitDialog()\r\nUnhandled exception!!!\r\n";

// The folder tree's Move runs this dialog wherever the list's commands are linked in.
const struct CRegisterChoice
{
    CRegisterChoice() { SetFolderChoiceDialog(ChooseFolderInDialog); }
} s_registerChoice;
} // namespace

INT_PTR ChooseFolderInDialog(HWND hOwner, LONG nFolderID, LONG& nChosenID,
                             const std::function<bool(LONG nChosenID)>& canMoveInto)
{
    CDlgChoiceFolder dlg(hOwner, nFolderID);
    dlg.m_canChoose = canMoveInto;
    if (dlg.DoModal(hOwner != NULL ? ::GetAncestor(hOwner, GA_ROOT) : NULL) != IDOK)
        return IDCANCEL;
    nChosenID = dlg.m_nChosenID;
    return IDOK;
}

CDlgChoiceFolder::CDlgChoiceFolder(HWND hWndFrame, LONG nSelectID, const char* pszCaption, BOOL bSystemOnly,
                                   BOOL bNewFolderButton)
    : m_hWndFrame(hWndFrame), m_nSelectID(nSelectID), m_strCaption(pszCaption != NULL ? pszCaption : ""),
      m_bSystemOnly(bSystemOnly), m_bNewFolderButton(bNewFolderButton)
{
}

LRESULT CDlgChoiceFolder::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        if (!m_strCaption.IsEmpty())
            SetWindowText(m_strCaption);
        CDatabaseBase* pDatabase = NULL;
        if (m_hWndFrame != NULL)
            ::SendMessageA(m_hWndFrame, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
        if (pDatabase != NULL)
            m_pFolders.reset(new CFolders(&pDatabase->m_session));
        // The tree takes the room between the text and the buttons.
        RECT rc = {7, 20, 213, 173};
        ::MapDialogRect(m_hWnd, &rc);
        m_tree.CreateTree(m_hWnd, m_pFolders.get(), m_hWndFrame != NULL ? m_hWndFrame : m_hWnd);
        m_tree.SetWindowPos(GetDlgItem(IDC_CHOICE_FOLDER_TEXT), rc.left, rc.top, rc.right - rc.left,
                            rc.bottom - rc.top, SWP_NOACTIVATE);
        if (m_pFolders != NULL)
            m_pFolders->CreateTree(m_tree.m_hWnd, m_hWndFrame, m_nSelectID, m_bSystemOnly);
        ::ShowWindow(GetDlgItem(IDC_CHOICE_NEW_FOLDER), m_bNewFolderButton ? SW_SHOW : SW_HIDE);
        BOOL bHandled = TRUE;
        OnSelChanged(0, NULL, bHandled);
        m_tree.SetFocus();
        return FALSE;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (...)
    {
        if (IsTraceOn())
            g_pTraceFile->Write("\r\nUnhandled exception!!!");
        AppMessageBox(kInitCrashed, MB_ICONSTOP, m_hWnd);
    }
    return TRUE;
}

LRESULT CDlgChoiceFolder::OnSelChanged(int, LPNMHDR, BOOL&)
{
    const BOOL bSelected = m_tree.m_hWnd != NULL && m_tree.SelectedData() != NULL;
    ::EnableWindow(GetDlgItem(IDOK), bSelected);
    ::EnableWindow(GetDlgItem(IDC_CHOICE_NEW_FOLDER), bSelected);
    return 0;
}

LRESULT CDlgChoiceFolder::OnDeleteItem(int, LPNMHDR pnmh, BOOL&)
{
    CFolders::FreeItemData(reinterpret_cast<NMTREEVIEWA*>(pnmh)->itemOld.lParam);
    return 0;
}

LRESULT CDlgChoiceFolder::OnDoubleClick(int, LPNMHDR, BOOL&)
{
    Choose();
    return 0;
}

LRESULT CDlgChoiceFolder::OnOK(WORD, WORD, HWND, BOOL&)
{
    Choose();
    return 0;
}

LRESULT CDlgChoiceFolder::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

void CDlgChoiceFolder::Choose()
{
    CFolderItemData* pData = m_tree.SelectedData();
    if (pData == NULL)
        return;
    const LONG nID = pData->folder.m_ID;
    if (m_canChoose && !m_canChoose(nID))
        return;
    m_nChosenID = nID;
    EndDialog(IDOK);
}

LRESULT CDlgChoiceFolder::OnNewFolder(WORD, WORD, HWND, BOOL&)
{
    CFolderItemData* pBefore = m_tree.SelectedData();
    const LONG nBefore = pBefore != NULL ? pBefore->folder.m_ID : 0;
    m_tree.SendMessage(WM_COMMAND, ID_NEW_FOLDER, 0);
    CFolderItemData* pAfter = m_tree.SelectedData();
    // The tree selects a folder it has made.
    if (pAfter != NULL && pAfter->folder.m_ID != nBefore && m_hWndFrame != NULL)
        ::PostMessageA(m_hWndFrame, WM_COMMAND, ID_UPDATE_TREE, 0);
    m_tree.SetFocus();
    return 0;
}

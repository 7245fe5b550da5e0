// The search dialog.
#include "ui/main/DlgFindMessage.h"

#include <math.h>

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "ui/main/DlgChoiceFolder.h"

namespace
{
const char kChoiceCaption[] = "Choice a folder for finding";
const WORD kIdProperties = 32790;
const WORD kMessageCommands[] = {ID_FILE_OPEN_MESSAGE, ID_FILE_SAVE_AS_MESSAGE, kIdProperties, ID_REPLY, ID_FORWARD};
const int kTextFields[] = {IDC_FIND_FROM, IDC_FIND_TO, IDC_FIND_SUBJECT, IDC_FIND_MESSAGE_TEXT,
                           IDC_FIND_ATTACHMENT_NAME};
const int kMargin = 10;

CString ItemText(HWND hDlg, int nID)
{
    char szText[1024] = "";
    ::GetDlgItemTextA(hDlg, nID, szText, sizeof(szText));
    return szText;
}

// The picked day as a whole OLE date; 0 when the picker is unset.
DATE PickedDay(HWND hPicker)
{
    SYSTEMTIME st = {};
    if (DateTime_GetSystemtime(hPicker, &st) != GDT_VALID)
        return 0;
    st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
    DATE date = 0;
    if (!SystemTimeToVariantTime(&st, &date))
        return 0;
    return floor(date);
}

RECT ChildRect(HWND hDlg, int nID)
{
    RECT rc = {};
    HWND hChild = ::GetDlgItem(hDlg, nID);
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(NULL, hDlg, (POINT*)&rc, 2);
    return rc;
}

void MoveChild(HWND hDlg, int nID, int x, int y, int cx, int cy)
{
    ::SetWindowPos(::GetDlgItem(hDlg, nID), NULL, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}
} // namespace

CDlgFindMessage::CDlgFindMessage(HWND hWndFrame, LONG nFolderID) : m_hWndFrame(hWndFrame), m_nFolderID(nFolderID)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    m_results.m_extraColumns.push_back(COLUMN_FOLDER);
}

LRESULT CDlgFindMessage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hWndFrame == NULL)
        m_hWndFrame = GetTopLevelParent();
    CDatabaseBase* pDatabase = NULL;
    ::SendMessageA(m_hWndFrame, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        m_pFolders.reset(new CFolders(&pDatabase->m_session));
    m_results.Create(m_hWnd);
    m_results.ShowWindow(SW_SHOW);
    CheckDlgButton(IDC_FIND_SUBFOLDERS, BST_CHECKED);
    DateTime_SetSystemtime(GetDlgItem(IDC_FIND_SENT_BEFORE), GDT_NONE, NULL);
    DateTime_SetSystemtime(GetDlgItem(IDC_FIND_SENT_AFTER), GDT_NONE, NULL);
    if (m_nFolderID == 0)
        PostMessage(WM_FIRST_FOLDER_CHOICE);
    else
        LoadFolder();
    EnableMessageCommands(FALSE);
    return TRUE;
}

LRESULT CDlgFindMessage::OnFirstFolderChoice(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!Browse(kChoiceCaption))
        ::PostMessageA(m_hWndFrame, WM_COMMAND, ID_APP_EXIT, 0);
    return 0;
}

void CDlgFindMessage::LoadFolder()
{
    m_folder = CFoldersRecord();
    m_folder.m_ID = m_nFolderID;
    try
    {
        if (m_pFolders != NULL && m_pFolders->LoadFolder(m_nFolderID, m_hWndFrame))
            m_folder = *m_pFolders;
    }
    catch (COLEDBException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
    }
    catch (...)
    {
        AppMessageBox("CDlgFindMessage::LoadFolder()\r\nUnhandled exception!!!\r\n", MB_ICONSTOP, m_hWnd);
    }
    SetDlgItemText(IDC_FIND_LOOK_IN, m_folder.m_Name);
}

bool CDlgFindMessage::Browse(const char* pszCaption)
{
    CDlgChoiceFolder dlg(m_hWndFrame, m_nFolderID, pszCaption != NULL ? pszCaption : kVornEmailCaption);
    if (dlg.DoModal(m_hWndFrame) != IDOK)
        return false;
    m_nFolderID = dlg.m_nChosenID;
    LoadFolder();
    return true;
}

void CDlgFindMessage::EnableMessageCommands(BOOL bEnable)
{
    for (WORD nID : kMessageCommands)
        ::SendMessageA(m_hWndFrame, LetrovaEnable, nID, bEnable);
}

void CDlgFindMessage::SetSearching(bool bSearching)
{
    ::EnableWindow(GetDlgItem(IDC_FIND_STOP), bSearching);
    ::EnableWindow(GetDlgItem(IDC_FIND_NEW_SEARCH), !bSearching);
    ::EnableWindow(GetDlgItem(IDC_FIND_BROWSE), !bSearching);
    ::EnableWindow(GetDlgItem(IDC_FIND_NOW), !bSearching);
}

CFindCriteria CDlgFindMessage::Criteria()
{
    CFindCriteria criteria;
    criteria.nFolderID = m_nFolderID;
    criteria.bSubfolders = IsDlgButtonChecked(IDC_FIND_SUBFOLDERS) == BST_CHECKED;
    criteria.strFrom = ItemText(m_hWnd, IDC_FIND_FROM);
    criteria.strTo = ItemText(m_hWnd, IDC_FIND_TO);
    criteria.strSubject = ItemText(m_hWnd, IDC_FIND_SUBJECT);
    criteria.sentBefore = PickedDay(GetDlgItem(IDC_FIND_SENT_BEFORE));
    criteria.sentAfter = PickedDay(GetDlgItem(IDC_FIND_SENT_AFTER));
    criteria.bAttachment = IsDlgButtonChecked(IDC_FIND_HAS_ATTACHMENT) == BST_CHECKED;
    return criteria;
}

void CDlgFindMessage::FindNow()
{
    SetSearching(true);
    SetDlgItemText(IDC_FIND_LOOK_IN, m_folder.m_Name);
    CSession* pSession = m_pFolders != NULL ? m_pFolders->GetSession() : NULL;
    HWND hWndFrame = m_hWndFrame;
    auto children = [pSession, hWndFrame](LONG nFolderID) {
        std::vector<LONG> ids;
        if (pSession == NULL)
            return ids;
        CFoldersTable table(pSession);
        table.ClearRow();
        table.m_ID = nFolderID;
        table.Open(hWndFrame, "Folders", CString(g_szFoldersSelect) + " WHERE OwnerID = ?");
        while (table.MoveNext() == S_OK)
            ids.push_back(table.m_ID);
        return ids;
    };
    try
    {
        const CFindCriteria criteria = Criteria();
        m_strWhere = BuildFindWhere(criteria, children);
        m_strBody = ItemText(m_hWnd, IDC_FIND_MESSAGE_TEXT);
        m_strAttachment = criteria.bAttachment ? ItemText(m_hWnd, IDC_FIND_ATTACHMENT_NAME) : CString();
    }
    catch (COLEDBException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
        SetSearching(false);
        return;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
        SetSearching(false);
        return;
    }
    catch (...)
    {
        AppMessageBox("CDlgFindMessage::OnFindNow()\r\nUnhandled exception!!!\r\n", MB_ICONSTOP, m_hWnd);
        SetSearching(false);
        return;
    }
    List().SelFolderChanged(&m_folder, -1, m_strWhere, m_strBody, &m_nStop, m_strAttachment, m_hWnd);
}

void CDlgFindMessage::NewSearch()
{
    for (int nID : kTextFields)
        SetDlgItemText(nID, "");
    CheckDlgButton(IDC_FIND_HAS_ATTACHMENT, BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(IDC_FIND_ATTACHMENT_NAME), FALSE);
    List().ClearList();
    EnableMessageCommands(FALSE);
    DateTime_SetSystemtime(GetDlgItem(IDC_FIND_SENT_BEFORE), GDT_NONE, NULL);
    DateTime_SetSystemtime(GetDlgItem(IDC_FIND_SENT_AFTER), GDT_NONE, NULL);
}

LRESULT CDlgFindMessage::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const WORD nID = LOWORD(wParam);
    switch (nID)
    {
    case IDC_FIND_NOW:
        FindNow();
        return 1;
    case IDC_FIND_STOP:
        InterlockedExchange(&m_nStop, 1);
        return 1;
    case IDC_FIND_NEW_SEARCH:
        NewSearch();
        return 1;
    case IDC_FIND_BROWSE:
        if (Browse(NULL))
            List().ClearList();
        return 1;
    case IDC_FIND_HAS_ATTACHMENT:
        ::EnableWindow(GetDlgItem(IDC_FIND_ATTACHMENT_NAME),
                       IsDlgButtonChecked(IDC_FIND_HAS_ATTACHMENT) == BST_CHECKED);
        return 1;
    case ID_UPDATE:
        EnableMessageCommands(List().GetRowCount() > 0);
        SetSearching(false);
        return 1;
    case ID_SEL_FOLDER_CHANGED:
        List().SelFolderChanged(&m_folder, -1, m_strWhere, m_strBody, &m_nStop, m_strAttachment, m_hWnd);
        return 1;
    case ID_VIEW_MESSAGE_BODY:
        return 1; // no preview here
    case ID_CLOSE_LOCAL_DATABASE:
        if (m_pFolders != NULL)
            m_pFolders->Close();
        return m_results.m_hWnd != NULL ? m_results.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    case IDOK:
    case IDCANCEL:
        // Keys never reach the dialog manager here; a stray OK must not take the search away.
        return 1;
    default:
        return m_results.m_hWnd != NULL ? m_results.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    }
}

LRESULT CDlgFindMessage::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    const int cx = LOWORD(lParam), cy = HIWORD(lParam);
    const RECT rcButton = ChildRect(m_hWnd, IDC_FIND_NOW);
    const int nButtonWidth = rcButton.right - rcButton.left;
    const int nButtonLeft = cx - kMargin - nButtonWidth;
    for (int nButton : {IDC_FIND_BROWSE, IDC_FIND_NOW, IDC_FIND_STOP, IDC_FIND_NEW_SEARCH})
    {
        const RECT rc = ChildRect(m_hWnd, nButton);
        MoveChild(m_hWnd, nButton, nButtonLeft, rc.top, nButtonWidth, rc.bottom - rc.top);
    }
    const int nFieldRight = nButtonLeft - kMargin;
    for (int nField : {IDC_FIND_FROM, IDC_FIND_TO, IDC_FIND_SUBJECT, IDC_FIND_MESSAGE_TEXT, IDC_FIND_ATTACHMENT_NAME})
    {
        const RECT rc = ChildRect(m_hWnd, nField);
        MoveChild(m_hWnd, nField, rc.left, rc.top, std::max(20, (int)(nFieldRight - rc.left)), rc.bottom - rc.top);
    }
    const RECT rcCheck = ChildRect(m_hWnd, IDC_FIND_SUBFOLDERS);
    const int nCheckWidth = rcCheck.right - rcCheck.left;
    MoveChild(m_hWnd, IDC_FIND_SUBFOLDERS, nFieldRight - nCheckWidth, rcCheck.top, nCheckWidth,
              rcCheck.bottom - rcCheck.top);
    const RECT rcLook = ChildRect(m_hWnd, IDC_FIND_LOOK_IN);
    MoveChild(m_hWnd, IDC_FIND_LOOK_IN, rcLook.left, rcLook.top,
              std::max(20, (int)(nFieldRight - nCheckWidth - kMargin - rcLook.left)), rcLook.bottom - rcLook.top);
    const RECT rcLine = ChildRect(m_hWnd, IDC_FIND_FRAME);
    MoveChild(m_hWnd, IDC_FIND_FRAME, kMargin, rcLine.top, std::max(0, cx - 2 * kMargin), 1);
    if (m_results.m_hWnd != NULL)
    {
        const int nTop = rcLine.top + 4;
        m_results.SetWindowPos(NULL, 0, nTop, cx, std::max(0, cy - nTop), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

LRESULT CDlgFindMessage::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_results.m_hWnd != NULL)
        m_results.DestroyWindow();
    m_pFolders.reset();
    bHandled = FALSE;
    return 0;
}

// The panes of the main window and how they share its client area.
#include "ui/main/Panes.h"

#include <commctrl.h>

#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "ui/main/PaneLayout.h"

namespace
{
const int kDefaultFoldersContactsWidth = 370;
const int kDefaultContactsHeight = 185;

int WindowHeight(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    return rc.bottom - rc.top;
}

int WindowWidth(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    return rc.right - rc.left;
}

void PlaceBox(HWND hWnd, const CPaneBox& box)
{
    if (box.bVisible)
        ::SetWindowPos(hWnd, NULL, box.x, box.y, box.cx, box.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    else
        ::ShowWindow(hWnd, SW_HIDE);
}

// Keeps top and height (or left and width) and sets the other size of a child.
void SetChildHeight(HWND hWnd, int cy)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), (POINT*)&rc, 2);
    ::SetWindowPos(hWnd, NULL, rc.left, rc.top, rc.right - rc.left, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetChildWidth(HWND hWnd, int cx)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), (POINT*)&rc, 2);
    ::SetWindowPos(hWnd, NULL, rc.left, rc.top, cx, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PostClientSize(HWND hWnd)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    ::PostMessageA(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
}

int PlacementHeight(HWND hWnd)
{
    WINDOWPLACEMENT placement = {sizeof(placement)};
    ::GetWindowPlacement(hWnd, &placement);
    return placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
}

int PlacementWidth(HWND hWnd)
{
    WINDOWPLACEMENT placement = {sizeof(placement)};
    ::GetWindowPlacement(hWnd, &placement);
    return placement.rcNormalPosition.right - placement.rcNormalPosition.left;
}

bool IsVisible(HWND hWnd)
{
    return (::GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}
} // namespace

CRegistry* FrameRegistry(HWND hWnd)
{
    CRegistry* pRegistry = NULL;
    ::SendMessageA(::GetAncestor(hWnd, GA_ROOT), LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    return pRegistry;
}

// ---- contacts pane

void CContactsPane::CreateTitle()
{
    CDatabaseBase* pOrb = NULL;
    ::SendMessageA(m_hWndMain, LetrovaGetOrbDatabase, (WPARAM)&pOrb, 0);
    CString strTitle = AtlLoadString(IDS_CONTACTS);
    // Without the central database the pane shows the private contacts of the local one.
    if (pOrb == NULL || !pOrb->IsOpen())
        strTitle += " " + AtlLoadString(IDS_PRIVATE);
    m_title.Create(m_hWnd, strTitle, ID_CONTACTS_TITLE_BUTTON, ID_VIEW_CONTACTS, true);
}

LRESULT CContactsPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_hWndMain = ::GetAncestor(m_hWnd, GA_ROOT);
    m_main.m_hWnd = m_hWndMain;
    CreateTitle();
    m_hWndList = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 100,
                                   100, m_hWnd, (HMENU)(UINT_PTR)IDC_CONTACTS_LIST, NULL, NULL);
    m_list.SubclassWindow(m_hWndList);
    // The main window's refresh reloads every pane: the list fills itself.
    m_list.InitContactListView(false);
    m_list.OnUpdate();
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    SetChildHeight(m_hWnd, pRegistry != NULL ? pRegistry->GetContactsHeight() : kDefaultContactsHeight);
    return TRUE;
}

LRESULT CContactsPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    m_title.Resize(w);
    int nTop = m_title.Height();
    ::MoveWindow(m_hWndList, 0, nTop, w, h - nTop < 0 ? 0 : h - nTop, TRUE);
    return 0;
}

LRESULT CContactsPane::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    if (pRegistry != NULL)
        pRegistry->SetContactsHeight(PlacementHeight(m_hWnd));
    ::DestroyWindow(m_hWndList);
    m_title.Destroy();
    return 0;
}

LRESULT CContactsPane::OnColumnClick(int, LPNMHDR pnmh, BOOL&)
{
    ::SendMessageA(m_hWndList, LVM_SORTITEMS, reinterpret_cast<NMLISTVIEW*>(pnmh)->iSubItem, 0);
    return 0;
}

LRESULT CContactsPane::OnRowsChanged(int, LPNMHDR pnmh, BOOL&)
{
    // A row being deleted is still counted while its notice is sent. Rows coming and going tell the main
    // window only when the list turns empty or stops being empty: a fill of many rows tells it once.
    int nRows = m_list.GetItemCount();
    switch (pnmh->code)
    {
    case LVN_INSERTITEM:
        if (nRows != 1)
            return 0;
        break;
    case LVN_DELETEITEM:
        if (--nRows != 0)
            return 0;
        break;
    case LVN_DELETEALLITEMS:
        nRows = 0;
        break;
    }
    ::SendMessageA(m_hWndMain, LetrovaEnable, ID_FILE_PRINT_MESSAGE, nRows > 0 ? 1 : 0);
    return 0;
}

LRESULT CContactsPane::OnTitleNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    return m_title.OnNotify(reinterpret_cast<NMHDR*>(lParam), bHandled);
}

LRESULT CContactsPane::OnCloseDialog(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}

LRESULT CContactsPane::OnViewContacts(WORD, WORD, HWND, BOOL&)
{
    ::PostMessageA(m_hWndMain, WM_COMMAND, ID_VIEW_CONTACTS, 0);
    return 1;
}

LRESULT CContactsPane::OnToggle(WORD, WORD, HWND, BOOL&)
{
    bool bShow = !IsWindowVisible();
    ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    ::SendMessageA(m_hWndMain, WM_COMMAND, ID_IS_VISIBLE_CONTACTS, bShow ? 1 : 0);
    return 0;
}

LRESULT CContactsPane::OnUpdate(WORD, WORD, HWND, BOOL& bHandled)
{
    CreateTitle();
    RECT rc;
    GetClientRect(&rc);
    m_title.Resize(rc.right);
    bHandled = FALSE;
    return 0;
}

LRESULT CContactsPane::OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    ::SendMessageA(m_hWndList, WM_COMMAND, wParam, lParam);
    return 0;
}

// ---- left pane

LRESULT CLeftPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_folders.Create(m_hWnd);
    m_contacts.Create(m_hWnd);
    m_bar.CreateBar(m_hWnd);
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    SetChildWidth(m_hWnd, pRegistry != NULL ? pRegistry->GetFoldersContactsWidth() : kDefaultFoldersContactsWidth);
    return TRUE;
}

LRESULT CLeftPane::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    CRegistry* pRegistry = FrameRegistry(m_hWnd);
    if (pRegistry != NULL)
        pRegistry->SetFoldersContactsWidth(PlacementWidth(m_hWnd));
    if (m_folders.m_hWnd != NULL)
        m_folders.DestroyWindow();
    if (m_contacts.m_hWnd != NULL)
        m_contacts.DestroyWindow();
    if (m_bar.m_hWnd != NULL)
        m_bar.DestroyWindow();
    return 0;
}

LRESULT CLeftPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    if (w == 0 && h == 0)
        return 0;
    CLeftLayout layout = LayOutLeftPane(w, h, IsVisible(m_folders), IsVisible(m_contacts),
                                        WindowHeight(m_folders), WindowHeight(m_contacts), m_bContactsAlone,
                                        m_folders.TitleHeight(), m_contacts.TitleHeight());
    m_bContactsAlone = layout.bContactsAlone;
    if (layout.bHideLeftPane)
    {
        m_bar.ShowWindow(SW_HIDE);
        ShowWindow(SW_HIDE);
        return 0;
    }
    if (layout.folders.bVisible && layout.contacts.bVisible)
    {
        // Once a pixel wider, then at its width: the move alone would not repaint it.
        CPaneBox wider = layout.contacts;
        wider.cx++;
        PlaceBox(m_contacts, wider);
    }
    if (layout.contacts.bVisible)
        PlaceBox(m_contacts, layout.contacts);
    if (layout.folders.bVisible)
        PlaceBox(m_folders, layout.folders);
    layout.bar.bVisible = layout.folders.bVisible && layout.contacts.bVisible;
    PlaceBox(m_bar, layout.bar);
    return 0;
}

LRESULT CLeftPane::OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    RECT rc;
    GetClientRect(&rc);
    int nHeight = WindowHeight(m_contacts) - (SHORT)HIWORD(lParam);
    ::SetWindowPos(m_contacts, NULL, 0, 0, rc.right, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostClientSize(m_hWnd);
    return 0;
}

LRESULT CLeftPane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    WORD nID = LOWORD(wParam);
    if (nID == IDOK || nID == IDCANCEL)
    {
        EndDialog(nID);
        return 0;
    }
    if ((nID == ID_IS_VISIBLE_CONTACTS || nID == ID_IS_VISIBLE_FOLDERS) && !IsWindowVisible())
        ShowWindow(SW_SHOWNOACTIVATE);
    LRESULT lContacts = m_contacts.SendMessage(WM_COMMAND, wParam, lParam);
    LRESULT lFolders = m_folders.SendMessage(WM_COMMAND, wParam, lParam);
    return lContacts != 0 || lFolders != 0 ? 1 : 0;
}

// ---- right pane

LRESULT CRightPane::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_list.Create(m_hWnd);
    m_preview.Create(m_hWnd);
    m_bar.CreateBar(m_hWnd);
    return TRUE;
}

LRESULT CRightPane::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_list.m_hWnd != NULL)
        m_list.DestroyWindow();
    if (m_preview.m_hWnd != NULL)
        m_preview.DestroyWindow();
    if (m_bar.m_hWnd != NULL)
        m_bar.DestroyWindow();
    return 0;
}

LRESULT CRightPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    if (w == 0 && h == 0)
        return 0;
    CRightLayout layout = LayOutRightPane(w, h, IsVisible(m_preview), WindowHeight(m_preview),
                                          m_preview.MinimumHeight(), m_list.HeaderHeight());
    if (layout.preview.bVisible)
        PlaceBox(m_preview, layout.preview);
    PlaceBox(m_bar, layout.bar);
    PlaceBox(m_list, layout.list);
    return 0;
}

LRESULT CRightPane::OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    RECT rc;
    GetClientRect(&rc);
    int nHeight = WindowHeight(m_preview) - (SHORT)HIWORD(lParam);
    ::SetWindowPos(m_preview, NULL, 0, 0, rc.right, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostClientSize(m_hWnd);
    return 0;
}

LRESULT CRightPane::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    LRESULT lPreview = m_preview.SendMessage(WM_COMMAND, wParam, lParam);
    LRESULT lList = m_list.SendMessage(WM_COMMAND, wParam, lParam);
    return lPreview != 0 || lList != 0 ? 1 : 0;
}

// ---- pane container

LRESULT CPaneContainer::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_left.Create(m_hWnd);
    m_right.Create(m_hWnd);
    m_bar.CreateBar(m_hWnd);
    return TRUE;
}

LRESULT CPaneContainer::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_left.m_hWnd != NULL)
        m_left.DestroyWindow();
    if (m_right.m_hWnd != NULL)
        m_right.DestroyWindow();
    if (m_bar.m_hWnd != NULL)
        m_bar.DestroyWindow();
    return 0;
}

LRESULT CPaneContainer::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    if (w == 0 && h == 0)
        return 0;
    CContainerLayout layout = LayOutPaneContainer(w, h, IsVisible(m_left), WindowWidth(m_left));
    if (layout.left.bVisible)
        PlaceBox(m_left, layout.left);
    PlaceBox(m_bar, layout.bar);
    PlaceBox(m_right, layout.right);
    return 0;
}

LRESULT CPaneContainer::OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    RECT rc;
    GetClientRect(&rc);
    int nWidth = WindowWidth(m_left) + (SHORT)LOWORD(lParam);
    ::SetWindowPos(m_left, NULL, 0, 0, nWidth, rc.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostClientSize(m_hWnd);
    return 0;
}

LRESULT CPaneContainer::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    WORD nID = LOWORD(wParam);
    if (nID == IDOK || nID == IDCANCEL)
    {
        EndDialog(nID);
        return 0;
    }
    if (nID == ID_IS_VISIBLE_CONTACTS || nID == ID_IS_VISIBLE_FOLDERS)
    {
        PostMessage(LetrovaSplitVertical, 0, 0x10001);
        PostMessage(LetrovaSplitVertical, 0, (LPARAM)-1);
    }
    LRESULT lLeft = m_left.SendMessage(WM_COMMAND, wParam, lParam);
    LRESULT lRight = m_right.SendMessage(WM_COMMAND, wParam, lParam);
    return lLeft != 0 || lRight != 0 ? 1 : 0;
}

// ---- client host

LRESULT CClientHost::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    m_container.Create(m_hWnd);
    m_container.ShowWindow(SW_SHOW);
    return 0;
}

LRESULT CClientHost::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    int w = LOWORD(lParam), h = HIWORD(lParam);
    if ((w != 0 || h != 0) && m_container.m_hWnd != NULL)
        m_container.SetWindowPos(NULL, 0, 0, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT CClientHost::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    return m_container.m_hWnd != NULL ? m_container.SendMessage(WM_COMMAND, wParam, lParam) : 0;
}

LRESULT CClientHost::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_container.m_hWnd != NULL && m_container.IsWindow())
        m_container.DestroyWindow();
    return 0;
}

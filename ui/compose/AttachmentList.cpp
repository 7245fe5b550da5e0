// The attachment list.
#include "ui/compose/AttachmentList.h"

#include <shellapi.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "resources/resource.h"


CAttachmentList::AttachmentOpener CAttachmentList::s_pfnOpenAttachment = NULL;

namespace
{
CString* ItemFolder(LPARAM lParam)
{
    return reinterpret_cast<CString*>(lParam);
}
} // namespace

CAttachmentList::CAttachmentList(HWND hWndList)
{
    if (hWndList != NULL)
        Attach(hWndList);
}

CAttachmentList::~CAttachmentList()
{
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
    {
        DeleteAll();
        UnsubclassWindow(TRUE);
    }
    m_images.Destroy();
}

void CAttachmentList::Attach(HWND hWndList)
{
    RECT rc = {};
    ::GetWindowRect(hWndList, &rc);
    m_nRowHeight = rc.bottom - rc.top;
    SubclassWindow(hWndList);
}

void CAttachmentList::Init()
{
    if (m_images.IsNull())
        m_images.Create(20, 16, ILC_COLOR24 | ILC_MASK, 3, 3);
    // The list is ours to destroy: a control that took it would destroy it again with the window.
    ModifyStyle(0, LVS_SHAREIMAGELISTS);
    SetImageList(m_images, LVSIL_SMALL);
    SetImageList(m_images, LVSIL_NORMAL);
    HWND hHeader = (HWND)SendMessage(LVM_GETHEADER);
    if (hHeader != NULL && (GetStyle() & LVS_TYPEMASK) == LVS_REPORT)
    {
        CString strName, strSize;
        strName.LoadString(IDS_ATTACHMENT_FILE_NAME);
        strSize.LoadString(IDS_ATTACHMENT_SIZE);
        InsertColumn(0, strName, LVCFMT_LEFT, 400, -1);
        InsertColumn(1, strSize, LVCFMT_RIGHT, 50, -1);
    }
}

void CAttachmentList::AddAttachment(const char* pszFolder, const char* pszFileName)
{
    CString strFolder = pszFolder;
    if (pszFileName != NULL)
    {
        CString strPath = strFolder + "\\" + pszFileName;
        SHFILEINFOA info = {};
        ::SHGetFileInfoA(strPath, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
        HICON hSmall = info.hIcon;
        SHFILEINFOA large = {};
        ::SHGetFileInfoA(strPath, 0, &large, sizeof(large), SHGFI_ICON | SHGFI_LARGEICON);
        AddItem(pszFileName, strPath, large.hIcon, hSmall, (LPARAM) new CString(strFolder));
        if (hSmall != NULL)
            ::DestroyIcon(hSmall);
        if (large.hIcon != NULL)
            ::DestroyIcon(large.hIcon);
        return;
    }
    if (!m_images.IsNull())
        m_images.RemoveAll();
    WIN32_FIND_DATAA find = {};
    HANDLE hFind = ::FindFirstFileA(strFolder + "\\*", &find);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if ((find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            AddAttachment(strFolder, find.cFileName);
    } while (::FindNextFileA(hFind, &find));
    ::FindClose(hFind);
}

int CAttachmentList::AddItem(const char* pszDisplayName, const char* pszPath, HICON hIcon, HICON hSmallIcon,
                             LPARAM lParam)
{
    int nImage = -1;
    if (!m_images.IsNull())
    {
        HICON hUse = hSmallIcon != NULL ? hSmallIcon : hIcon;
        if (hUse != NULL)
            nImage = m_images.AddIcon(hUse);
    }
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (nImage >= 0 ? LVIF_IMAGE : 0);
    item.iItem = GetItemCount();
    item.pszText = const_cast<char*>(pszDisplayName);
    item.iImage = nImage;
    item.lParam = lParam;
    int nItem = InsertItem(&item);
    if (nItem >= 0 && (GetStyle() & LVS_TYPEMASK) == LVS_REPORT)
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (pszPath != NULL && ::GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        {
            CString strSize;
            strSize.Format("%luKB", (unsigned long)((data.nFileSizeLow + 1023) / 1024));
            SetItemText(nItem, 1, strSize);
        }
    }
    return nItem;
}

int CAttachmentList::AdjustHeight(int nRight, int nTop)
{
    RECT rcWindow = {};
    GetWindowRect(&rcWindow);
    ::MapWindowPoints(NULL, GetParent(), (POINT*)&rcWindow, 2);
    // Two passes: a list made one row high may show that its items need the second row.
    for (int nPass = 0; nPass < 2; nPass++)
    {
        RECT rcView = {}, rcClient = {};
        SendMessage(LVM_GETVIEWRECT, 0, (LPARAM)&rcView);
        GetClientRect(&rcClient);
        bool bTwoRows = (rcView.bottom - rcView.top) > (rcClient.bottom - rcClient.top) ||
                        (rcView.right - rcView.left) > (rcClient.right - rcClient.left);
        int nHeight = bTwoRows ? 2 * m_nRowHeight : m_nRowHeight;
        SetWindowPos(NULL, rcWindow.left, nTop, nRight - rcWindow.left, nHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessage(LVM_ARRANGE, LVA_DEFAULT);
    }
    RECT rc = {};
    GetWindowRect(&rc);
    return nTop + (rc.bottom - rc.top);
}

void CAttachmentList::DeleteSelected()
{
    bool bAny = false;
    for (int nItem = GetItemCount() - 1; nItem >= 0; nItem--)
    {
        if (GetItemState(nItem, LVIS_SELECTED) == 0)
            continue;
        delete ItemFolder(GetItemData(nItem));
        DeleteItem(nItem);
        bAny = true;
    }
    if (bAny)
    {
        // The owner lays its controls out again around the list's new size.
        HWND hParent = GetParent();
        RECT rc = {};
        ::GetClientRect(hParent, &rc);
        ::SendMessageA(hParent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
    }
}

void CAttachmentList::OpenSelected()
{
    HCURSOR hOld = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
    try
    {
        for (int nItem = GetNextItem(-1, LVNI_SELECTED); nItem >= 0; nItem = GetNextItem(nItem, LVNI_SELECTED))
        {
            CString strFolder = GetItemFolder(nItem);
            CString strName = GetItemFileName(nItem);
            if (s_pfnOpenAttachment != NULL)
                s_pfnOpenAttachment(GetParent(), strFolder, strName);
        }
    }
    catch (CException* pException)
    {
        CString strText = CString(AttachmentListText::kOpenFailed) + pException->m_strMessage;
        delete pException;
        AppMessageBox(strText, MB_ICONSTOP, NULL);
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(AttachmentListText::kOpenFailed) + pszText, MB_ICONSTOP, NULL);
    }
    ::SetCursor(hOld);
}

void CAttachmentList::DeleteAll()
{
    for (int nItem = 0; nItem < GetItemCount(); nItem++)
        delete ItemFolder(GetItemData(nItem));
    DeleteAllItems();
}

CString CAttachmentList::GetItemFolder(int nItem) const
{
    CString* pFolder = ItemFolder(GetItemData(nItem));
    return pFolder != NULL ? *pFolder : CString();
}

CString CAttachmentList::GetItemFileName(int nItem) const
{
    char szName[MAX_PATH] = "";
    GetItemText(nItem, 0, szName, MAX_PATH);
    return szName;
}

LRESULT CAttachmentList::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (m_bOpenOnDoubleClick)
        OpenSelected();
    return 0;
}

LRESULT CAttachmentList::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != VK_DELETE)
    {
        bHandled = FALSE;
        return 0;
    }
    DeleteSelected();
    return 0;
}

LRESULT CAttachmentList::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    DeleteAll();
    return 0;
}

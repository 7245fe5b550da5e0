// The contact list shared by the address-book window, the main window's contacts pane, Select Recipients
// and Check Names.
#include "ui/addressbook/AddressBookViewImpl.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "store/ContactsTable.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "store/SiteTable.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactEntry.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/addressbook/DlgContactProperties.h"
#include "ui/addressbook/DlgFindPeople.h"
#include "ui/addressbook/VcardHandler.h"

namespace
{
const int kColumns = 6;
const UINT_PTR kRefreshTimer = 1;
const UINT kRefreshDelayMs = 1000;

const struct
{
    const char* pszHeader; // strings 147, 148, 137, 151, 154, 152
    int (CRegistry::*pfnGetWidth)();
    BOOL (CRegistry::*pfnSetWidth)(int);
} kColumnTable[kColumns] = {
    {"Name", &CRegistry::GetColumnWidthName, &CRegistry::SetColumnWidthName},
    {"E-Mail Address", &CRegistry::GetColumnWidthAddress, &CRegistry::SetColumnWidthAddress},
    {"Company", &CRegistry::GetColumnWidthCompany, &CRegistry::SetColumnWidthCompany},
    {"Position", &CRegistry::GetColumnWidthPosition, &CRegistry::SetColumnWidthPosition},
    {"DDI", &CRegistry::GetColumnWidthDDI, &CRegistry::SetColumnWidthDDI},
    {"Mobile", &CRegistry::GetColumnWidthMobile, &CRegistry::SetColumnWidthMobile},
};

CRITICAL_SECTION* SharedSection()
{
    static CRITICAL_SECTION* s_pSection = []() {
        CRITICAL_SECTION* p = new CRITICAL_SECTION;
        ::InitializeCriticalSection(p);
        return p;
    }();
    return s_pSection;
}

// The sort parameter carries the column and its direction, so the comparison reads nothing shared.
LPARAM SortParam(int nColumn, bool bAscending)
{
    return (LPARAM)((nColumn & 0xFF) | (bAscending ? 0x100 : 0));
}
} // namespace

CAddressBookSharedLock::CAddressBookSharedLock()
{
    ::EnterCriticalSection(SharedSection());
}

CAddressBookSharedLock::~CAddressBookSharedLock()
{
    ::LeaveCriticalSection(SharedSection());
}

CAddressBookViewBase::CAddressBookViewBase(CWindow* pOwner, int* pSortAscending)
    : m_pOwner(pOwner), m_pSortAscending(pSortAscending)
{
    CAddressBookSharedLock lock;
    for (int i = 1; i < kColumns; i++)
        m_pSortAscending[i] = 0;
}

void CAddressBookViewBase::InitContactListView(bool bAskOwnerToFill)
{
    m_images.Attach(*this);

    CRegistry* pRegistry = OwnerRegistry(Owner());
    for (int i = 0; i < kColumns; i++)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(kColumnTable[i].pszHeader);
        int nWidth = pRegistry != NULL ? (pRegistry->*kColumnTable[i].pfnGetWidth)() : 100;
        if (nWidth != -1)
        {
            column.mask |= LVCF_WIDTH;
            column.cx = nWidth;
        }
        if (i > 0)
        {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = i;
        }
        InsertColumn(i, &column);
    }
    int order[kColumns] = {0, 1, 2, 3, 4, 5};
    if (pRegistry != NULL)
        pRegistry->GetAddressBookColumnOrder(kColumns, order);
    SendMessage(LVM_SETCOLUMNORDERARRAY, kColumns, (LPARAM)order);
    SetExtendedListViewStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP,
                             LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    if (bAskOwnerToFill)
        ::PostMessageA(Owner(), WM_COMMAND, AddressBookCmd::kUpdate, 0);
}

bool CAddressBookViewBase::HasSelection() const
{
    if (IsMultiSelect())
        return GetSelectedCount() != 0;
    return GetNextItem(-1, LVNI_SELECTED) != -1;
}

const CContactRecord* CAddressBookViewBase::ItemRecord(int nItem) const
{
    return reinterpret_cast<const CContactRecord*>(GetItemData(nItem));
}

void CAddressBookViewBase::SelectByText(const char* pszText)
{
    CString strFind = pszText != NULL ? pszText : "";
    if (strFind.IsEmpty())
        return;
    strFind.MakeUpper();
    int nFound = -1;
    int nCount = GetItemCount();
    char szText[512];
    for (int i = 0; i < nCount && nFound < 0; i++)
    {
        GetItemText(i, 0, szText, sizeof(szText));
        CString strRow = szText;
        strRow.MakeUpper();
        if (strncmp(strRow, strFind, strFind.GetLength()) == 0)
            nFound = i;
    }
    if (nFound < 0)
        return;
    for (int i = 0; i < nCount; i++)
        SetItemState(i, i == nFound ? LVIS_SELECTED : 0, LVIS_SELECTED);
    EnsureVisible(nFound, FALSE);
}

void CAddressBookViewBase::OnFindPeople()
{
    CDlgFindPeople dialog;
    {
        CAddressBookSharedLock lock;
        dialog.m_texts = CDlgFindPeople::SharedTexts();
    }
    if (dialog.DoModal(::GetActiveWindow()) != IDOK)
        return;
    CString texts[kColumns];
    for (int i = 0; i < kColumns; i++)
    {
        texts[i] = dialog.m_texts[i];
        texts[i].MakeUpper();
    }
    int nCount = GetItemCount();
    int nFound = -1;
    char szText[512];
    for (int i = 0; i < nCount && nFound < 0; i++)
    {
        bool bMatch = true;
        for (int c = 0; c < kColumns && bMatch; c++)
        {
            if (texts[c].IsEmpty())
                continue;
            GetItemText(i, c, szText, sizeof(szText));
            CString strCell = szText;
            strCell.MakeUpper();
            bMatch = strncmp(strCell, texts[c], texts[c].GetLength()) == 0;
        }
        if (bMatch)
            nFound = i;
    }
    for (int i = 0; i < nCount; i++)
        SetItemState(i, i == nFound ? LVIS_SELECTED : 0, LVIS_SELECTED);
    if (nFound >= 0)
        EnsureVisible(nFound, FALSE);
}

CContactNameTable* CAddressBookViewBase::SelectContact()
{
    int nItem = -1;
    if (!IsMultiSelect() || GetSelectedCount() != 0)
        nItem = GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return NULL;
    const CContactRecord* pRecord = ItemRecord(nItem);
    CContactStore store(Owner());
    if (pRecord == NULL || store.m_pContactName == NULL)
        return NULL;
    store.m_pContactName->OpenByID(store.m_pSession, pRecord->m_ID, Owner());
    return store.m_pContactName;
}

void CAddressBookViewBase::OpenContacts(CContactsTableHolder& query)
{
    query.OpenFiltered(Owner());
}

LRESULT CAddressBookViewBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT CAddressBookViewBase::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != VK_DELETE)
    {
        bHandled = FALSE;
        return 0;
    }
    SendMessage(WM_COMMAND, AddressBookCmd::kDelete, 0);
    return 0;
}

LRESULT CAddressBookViewBase::OnSortItems(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    int nColumn = (int)wParam;
    if (nColumn < 0 || nColumn >= kColumns)
        return FALSE;
    if (m_nSortColumn >= 0)
        SetHeaderArrow(m_nSortColumn, false, false);
    bool bAscending;
    {
        CAddressBookSharedLock lock;
        m_pSortAscending[nColumn] = !m_pSortAscending[nColumn];
        bAscending = m_pSortAscending[nColumn] != 0;
    }
    m_nSortColumn = nColumn;
    SetHeaderArrow(nColumn, true, bAscending);
    return DefWindowProc(LVM_SORTITEMS, SortParam(nColumn, bAscending), (LPARAM)CompareContactItems);
}

void CAddressBookViewBase::SortAgain()
{
    if (m_nSortColumn < 0)
        return;
    bool bAscending;
    {
        CAddressBookSharedLock lock;
        bAscending = m_pSortAscending[m_nSortColumn] != 0;
    }
    DefWindowProc(LVM_SORTITEMS, SortParam(m_nSortColumn, bAscending), (LPARAM)CompareContactItems);
}

void CAddressBookViewBase::SetHeaderArrow(int nColumn, bool bArrow, bool bAscending)
{
    m_images.SetArrow(GetHeader(), nColumn, bArrow, bAscending);
}

int CALLBACK CAddressBookViewBase::CompareContactItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const CContactRecord* p1 = reinterpret_cast<const CContactRecord*>(lParam1);
    const CContactRecord* p2 = reinterpret_cast<const CContactRecord*>(lParam2);
    if (p1 == NULL || p2 == NULL)
        return 0;
    return p1->Compare(*p2, (int)(lParamSort & 0xFF), (lParamSort & 0x100) != 0);
}

LRESULT CAddressBookViewBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (m_bRefreshPending)
    {
        KillTimer(kRefreshTimer);
        m_bRefreshPending = false;
        PostRefresh();
    }
    if (CRegistry* pRegistry = OwnerRegistry(Owner()))
    {
        int order[kColumns] = {0, 1, 2, 3, 4, 5};
        if (SendMessage(LVM_GETCOLUMNORDERARRAY, kColumns, (LPARAM)order))
            pRegistry->SetAddressBookColumnOrder(kColumns, order);
        for (int i = 0; i < kColumns; i++)
            (pRegistry->*kColumnTable[i].pfnSetWidth)(GetColumnWidth(i));
    }
    ClearList();
    return 0;
}

LRESULT CAddressBookViewBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    ::SendMessageA(Owner(), LetrovaEnable, AddressBookCmd::kFilePrint, 0);
    bHandled = FALSE;
    return 0;
}

LRESULT CAddressBookViewBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    ::SendMessageA(Owner(), LetrovaEnable, AddressBookCmd::kFilePrint, GetItemCount() > 0 ? 1 : 0);
    bHandled = FALSE;
    return 0;
}

LRESULT CAddressBookViewBase::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        if (CContactNameTable* pContact = SelectContact())
            ::SendMessageA(Owner(), WM_COMMAND, AddressBookCmd::kNewMessageWithRecipient, pContact->m_ID);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    catch (...)
    {
        ShowErrorReportPrompt(AddressBookText::kUnhandled, NULL);
    }
    return 0;
}

LRESULT CAddressBookViewBase::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kRefreshTimer)
    {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kRefreshTimer);
    m_bRefreshPending = false;
    PostRefresh();
    return 0;
}

LRESULT CAddressBookViewBase::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    try
    {
        switch (LOWORD(wParam))
        {
        case AddressBookCmd::kFilePrint:
            return OnPrint(bHandled);
        case AddressBookCmd::kNewContact:
            return OnNewContact();
        case AddressBookCmd::kImportVcard:
            CVcardHandler(Owner()).OnImportVcard();
            return 1;
        case AddressBookCmd::kExportVcard:
            return OnExportBusinessCard();
        case AddressBookCmd::kAddressBook:
            ::SendMessageA(Owner(), WM_COMMAND, AddressBookCmd::kAddressBook, 0);
            return 0;
        case AddressBookCmd::kUpdate:
        case AddressBookCmd::kUpdateAddressBook:
            return OnUpdate();
        case AddressBookCmd::kProperties:
            return OnProperties();
        case AddressBookCmd::kDelete:
            return OnDeleteContact();
        case AddressBookCmd::kCanDelete:
            return OnCanDelete();
        default:
            bHandled = FALSE;
            return 0;
        }
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
        bHandled = FALSE;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    catch (...)
    {
        ShowErrorReportPrompt(AddressBookText::kUnhandled, NULL);
    }
    return 0;
}

LRESULT CAddressBookViewBase::OnUpdate()
{
    // A refresh (another window's change, the delayed one after an edit) must not take away the
    // user's selection: the same contacts are selected again once the rows are back.
    std::vector<LONG> selected;
    if (m_hWnd != NULL)
        for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
            if (const CContactRecord* pItem = reinterpret_cast<const CContactRecord*>(GetItemData(i)))
                selected.push_back(pItem->m_ID);
    ClearList();
    try
    {
        CContactStore store(Owner());
        if (!store.HasSession())
            return 1;
        CSiteTable site(store.m_pSession);
        CContactEntry contactName(store.m_pSession);
        CContactsTableHolder query(store.m_pSession);
        // Both tables exist (a first start makes them) before the join is read.
        site.EnsureTable(Owner());
        contactName.EnsureSchema(Owner());
        OpenContacts(query);
        if (query.MoveFirst() == S_OK)
        {
            m_bListEmpty = false;
            SendMessage(WM_SETREDRAW, FALSE);
            int nRow = 0;
            do
            {
                CContactRecord* pItem = new CContactRecord(query);
                pItem->m_strListText = query.GetFullName();
                LVITEMA item = {};
                item.mask = LVIF_TEXT | LVIF_PARAM;
                item.iItem = nRow;
                item.pszText = const_cast<char*>((const char*)pItem->m_strListText);
                item.lParam = (LPARAM)pItem;
                int nIndex = InsertItem(&item);
                if (nIndex < 0)
                {
                    delete pItem;
                    break;
                }
                SetItemText(nIndex, 1, pItem->m_cEmail);
                SetItemText(nIndex, 2, pItem->m_Company);
                SetItemText(nIndex, 3, pItem->m_cPosition);
                SetItemText(nIndex, 4, pItem->m_cDDI);
                SetItemText(nIndex, 5, pItem->m_cMobile);
                nRow++;
            } while (query.MoveNext() == S_OK);
            SendMessage(WM_SETREDRAW, TRUE);
        }
        SortAgain();
        if (!selected.empty())
        {
            int nCount = GetItemCount();
            for (int i = 0; i < nCount; i++)
            {
                const CContactRecord* pItem = reinterpret_cast<const CContactRecord*>(GetItemData(i));
                if (pItem != NULL && std::find(selected.begin(), selected.end(), pItem->m_ID) != selected.end())
                    SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
    }
    catch (const char* pszText)
    {
        SendMessage(WM_SETREDRAW, TRUE);
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    catch (COLEDBException* pException)
    {
        SendMessage(WM_SETREDRAW, TRUE);
        delete pException;
    }
    catch (...)
    {
        SendMessage(WM_SETREDRAW, TRUE);
        AppMessageBox(AddressBookText::kUnhandledUpdate, MB_ICONERROR, m_hWnd);
    }
    return 1;
}

void CAddressBookViewBase::RequestRefresh(bool bDelayed)
{
    if (bDelayed && m_hWnd != NULL)
    {
        // A timer rather than a wait: the window goes on answering while the second passes.
        m_bRefreshPending = true;
        SetTimer(kRefreshTimer, kRefreshDelayMs);
        return;
    }
    PostRefresh();
}

void CAddressBookViewBase::PostRefresh()
{
    DWORD dwThreadId = OwnerThreadId(Owner());
    if (dwThreadId != 0)
        ::PostThreadMessageA(dwThreadId, WM_USER, AddressBookCmd::kUpdate, 0);
    else if (m_hWnd != NULL)
        PostMessage(WM_COMMAND, AddressBookCmd::kUpdate, 0);
}

LRESULT CAddressBookViewBase::OnNewContact()
{
    try
    {
        AddNewContact(Owner(), NULL);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        return 1;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
        return 1;
    }
    RequestRefresh(true);
    return 1;
}

LRESULT CAddressBookViewBase::OnProperties()
{
    if (::GetFocus() != m_hWnd)
        return 1;
    CContactNameTable* pContact = NULL;
    if (IsMultiSelect() && GetSelectedCount() == 0)
    {
        AppMessageBox(AddressBookText::kSelectContactFirst, MB_ICONERROR, m_hWnd);
        return 1;
    }
    pContact = SelectContact();
    if (pContact == NULL)
        return 1;
    if (RunContactProperties(Owner(), *pContact) != IDOK)
        return 1;
    HRESULT hr = pContact->SetData(0);
    if (FAILED(hr))
        throw new COLEDBException(pContact->m_spRowset, IID_IRowsetChange, AddressBookText::kUpdateNamesFailed,
                                  pContact->GetSession(), Owner(), TRUE, NULL, FALSE, TRUE, hr);
    RequestRefresh(false);
    return 1;
}

LRESULT CAddressBookViewBase::OnDeleteContact()
{
    CContactStore store(Owner());
    if (IsMultiSelect())
    {
        UINT nCount = GetSelectedCount();
        if (nCount == 0)
            return 1;
        if (AppMessageBox(AddressBookText::kDeleteContact, MB_YESNO | MB_ICONQUESTION, m_hWnd) == IDNO)
            return 1;
        HCURSOR hOld = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
        bool bDeleted = false, bFailed = false;
        int nItem = -1;
        for (UINT n = 0; n < nCount && !bFailed; n++)
        {
            nItem = GetNextItem(nItem, LVNI_SELECTED);
            if (nItem < 0)
                break;
            const CContactRecord* pRecord = ItemRecord(nItem);
            if (pRecord == NULL || store.m_pContactName == NULL)
                continue;
            try
            {
                if (store.m_pContactName->OpenByID(store.m_pSession, pRecord->m_ID, Owner()) &&
                    store.m_pContactName->Delete() == S_OK)
                    bDeleted = true;
                else
                    bFailed = true;
            }
            catch (COLEDBException* pException)
            {
                delete pException;
                bFailed = true;
            }
        }
        ::SetCursor(hOld);
        if (bFailed)
            AppMessageBox(AddressBookText::kDeleteContactFailed, MB_ICONERROR, m_hWnd);
        // Rows that went must leave the lists even when a later one failed.
        if (bDeleted)
            RequestRefresh(true);
        return 1;
    }
    CContactNameTable* pContact = SelectContact();
    if (pContact == NULL)
        return 1;
    if (AppMessageBox(AddressBookText::kDeleteContact, MB_YESNO | MB_ICONQUESTION, m_hWnd) == IDNO)
        return 1;
    if (pContact->Delete() != S_OK)
    {
        AppMessageBox(AddressBookText::kDeleteContactFailed, MB_ICONERROR, m_hWnd);
        return 1;
    }
    RequestRefresh(true);
    return 1;
}

LRESULT CAddressBookViewBase::OnExportBusinessCard()
{
    if (IsMultiSelect())
        return 1;
    if (CContactNameTable* pContact = SelectContact())
        CVcardHandler(Owner()).OnExportVcard(pContact->m_ID);
    return 1;
}

LRESULT CAddressBookViewBase::OnCanDelete()
{
    return HasSelection() ? 1 : 0;
}

void CAddressBookViewBase::ClearList()
{
    if (m_hWnd == NULL)
        return;
    int nCount = GetItemCount();
    for (int i = 0; i < nCount; i++)
    {
        delete reinterpret_cast<CContactRecord*>(GetItemData(i));
        SetItemData(i, 0);
    }
    m_bListEmpty = true;
    DeleteAllItems();
}

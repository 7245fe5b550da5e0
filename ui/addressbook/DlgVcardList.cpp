// The vCard List dialog, its list and the import's progress dialog with its worker.
#include "ui/addressbook/DlgVcardList.h"

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/Exception.h"
#include "store/OLEDBException.h"
#include "store/TableBase.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/addressbook/DlgContactProperties.h"

namespace
{
// The sort parameter: the column in the low byte, 0x100 when ascending.
LPARAM SortParam(int nColumn, bool bAscending)
{
    return static_cast<LPARAM>(nColumn) | (bAscending ? 0x100 : 0);
}

const char* ColumnText(const CContactEntry& entry, int nColumn, CString& strName)
{
    switch (nColumn)
    {
    case 0:
        strName = entry.GetDisplayName();
        return strName;
    case 1:
        return entry.m_cEmail;
    case 2:
        return entry.m_Site.m_Company;
    case 3:
        return entry.m_cPosition;
    case 4:
        return entry.m_cDDI;
    case 5:
        return entry.m_cMobile;
    default:
        return NULL;
    }
}

// What a handler of these windows does with what reached it.
template <class Fn>
void Guarded(const char* pszUnhandled, HWND hWnd, Fn fn)
{
    try
    {
        fn();
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        // The store showed its message when it was raised.
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, hWnd);
    }
    catch (...)
    {
        ShowErrorReportPrompt(pszUnhandled, NULL);
    }
}
} // namespace

int CompareContactEntries(const CContactEntry& a, const CContactEntry& b, int nColumn, bool bAscending)
{
    const CContactEntry& first = bAscending ? a : b;
    const CContactEntry& second = bAscending ? b : a;
    CString strFirst, strSecond;
    const char* pszFirst = ColumnText(first, nColumn, strFirst);
    const char* pszSecond = ColumnText(second, nColumn, strSecond);
    if (pszFirst == NULL || pszSecond == NULL)
        return 0;
    return lstrcmpiA(pszFirst, pszSecond);
}

bool CVcardListView::s_bAscending[CVcardListView::kColumns] = {};

CVcardListView::CVcardListView(HWND hOwner, CVcardCardList& list, DWORD dwThreadId, CDatabaseMy* pDatabase)
    : m_hOwner(hOwner), m_dwThreadId(dwThreadId), m_pDatabase(pDatabase), m_list(list),
      m_pContact(new CContactNameTable(VcardSession(pDatabase))),
      m_pEmailLookup(new CContactNameTable(VcardSession(pDatabase))),
      m_pNameLookup(new CContactNameTable(VcardSession(pDatabase)))
{
    for (bool& bAscending : s_bAscending)
        bAscending = false;
}

LRESULT CVcardListView::OnSortItems(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (lParam != 0)
    {
        bHandled = FALSE;
        return 0;
    }
    const int nColumn = static_cast<int>(wParam);
    if (nColumn < 0 || nColumn >= kColumns)
        return 0;
    Guarded(AddressBookText::kUnhandledVcardListView, m_hWnd, [&]() {
        if (m_nSortColumn >= 0)
            m_images.SetArrow(GetHeader(), m_nSortColumn, false, false);
        m_nSortColumn = nColumn;
        s_bAscending[nColumn] = !s_bAscending[nColumn];
        const bool bAscending = s_bAscending[nColumn];
        m_images.SetArrow(GetHeader(), nColumn, true, bAscending);
        DefWindowProc(LVM_SORTITEMS, SortParam(nColumn, bAscending), (LPARAM)CompareItems);
    });
    return 1;
}

int CALLBACK CVcardListView::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const CContactEntry* p1 = reinterpret_cast<const CContactEntry*>(lParam1);
    const CContactEntry* p2 = reinterpret_cast<const CContactEntry*>(lParam2);
    if (p1 == NULL || p2 == NULL)
        return 0;
    return CompareContactEntries(*p1, *p2, static_cast<int>(lParamSort & 0xFF), (lParamSort & 0x100) != 0);
}

LRESULT CVcardListView::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    Guarded(AddressBookText::kUnhandledVcardListView, m_hWnd, [&]() { OpenSelected(); });
    return 0;
}

LRESULT CVcardListView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // The entries belong to the card list: only the items go.
    DeleteAllItems();
    bHandled = FALSE;
    return 0;
}

void CVcardListView::Fill()
{
    m_images.Attach(*this);

    static const char* const kTitles[kColumns] = {
        AddressBookText::kColumnName,     AddressBookText::kColumnEmail, AddressBookText::kColumnCompany,
        AddressBookText::kColumnPosition, AddressBookText::kColumnDDI,   AddressBookText::kColumnMobile};
    int nOrder[kColumns];
    for (int i = 0; i < kColumns; i++)
    {
        InsertColumn(i, kTitles[i], LVCFMT_LEFT, 100, i);
        nOrder[i] = i;
    }
    SendMessage(LVM_SETCOLUMNORDERARRAY, kColumns, reinterpret_cast<LPARAM>(nOrder));
    SetExtendedListViewStyle(GetExtendedListViewStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);

    for (int i = 0; i < m_list.GetSize(); i++)
    {
        CContactEntry& entry = m_list[i];
        const int nItem = InsertItem(LVIF_TEXT | LVIF_PARAM, i, entry.GetDisplayName(), 0, 0, 0,
                                     reinterpret_cast<LPARAM>(&entry));
        CString strUnused;
        for (int nColumn = 1; nColumn < kColumns; nColumn++)
            SetItemText(nItem, nColumn, ColumnText(entry, nColumn, strUnused));
    }
}

void CVcardListView::OpenSelected()
{
    for (int nItem = GetNextItem(-1, LVNI_SELECTED); nItem >= 0; nItem = GetNextItem(nItem, LVNI_SELECTED))
    {
        CContactEntry* pEntry = reinterpret_cast<CContactEntry*>(GetItemData(nItem));
        if (pEntry == NULL || !ShowProperties(*pEntry))
            break;
    }
}

void CVcardListView::ImportSelected(CDlgVcardImport& progress)
{
    int nImported = 0;
    for (int nItem = GetNextItem(-1, LVNI_SELECTED); nItem >= 0; nItem = GetNextItem(nItem, LVNI_SELECTED))
    {
        CContactEntry* pEntry = reinterpret_cast<CContactEntry*>(GetItemData(nItem));
        if (pEntry == NULL)
            continue;
        if (ImportCard(*pEntry))
            ++nImported;
        CString strText;
        strText.Format(AddressBookText::kVcardImported, nItem + 1, pEntry->GetDisplayName().GetString(),
                       nImported);
        progress.SetDlgItemText(IDC_VCARD_PROGRESS, strText);
        if (progress.IsCancelled())
            break;
    }
}

bool CVcardListView::ImportCard(CContactEntry& entry)
{
    static_cast<CContactNameRecord&>(*m_pContact) = entry;
    return InsertContact(m_hOwner, *m_pContact, entry.m_Site, FALSE, m_pEmailLookup.get(),
                         m_pNameLookup.get()) == 1;
}

bool CVcardListView::ShowProperties(CContactEntry& entry)
{
    CAreYouMe dialog(m_hOwner, entry, m_dwThreadId, &entry.m_Site, m_pDatabase);
    return dialog.DoModal(::GetActiveWindow()) == 1;
}

LRESULT CDlgVcardList::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Guarded(AddressBookText::kUnhandledVcardList, m_hWnd, [&]() {
        m_view.SubclassWindow(GetDlgItem(IDC_AB_LIST));
        m_view.Fill();
        // One pixel wider lays the list out through WM_SIZE.
        RECT rc = {};
        GetWindowRect(&rc);
        SetWindowPos(NULL, 0, 0, rc.right - rc.left + 1, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
        CenterWindow();
        ShowWindow(SW_MINIMIZE);
        ShowWindow(SW_SHOWNORMAL);
    });
    return TRUE;
}

LRESULT CDlgVcardList::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (!m_view.IsWindow())
        return 0;
    RECT rc = {};
    m_view.GetWindowRect(&rc);
    ScreenToClient(&rc);
    m_view.SetWindowPos(NULL, 0, 0, LOWORD(lParam) - rc.left, HIWORD(lParam) - rc.top,
                        SWP_NOMOVE | SWP_NOZORDER);
    Invalidate();
    UpdateWindow();
    return 0;
}

LRESULT CDlgVcardList::OnItemChanged(int, LPNMHDR pnmh, BOOL&)
{
    // Filling the list may notify too: only a selection enables the buttons.
    const NMLISTVIEW* pInfo = reinterpret_cast<const NMLISTVIEW*>(pnmh);
    if ((pInfo->uChanged & LVIF_STATE) == 0 || (pInfo->uNewState & LVIS_SELECTED) == 0)
        return 0;
    ::EnableWindow(GetDlgItem(IDC_VCARD_OPEN), TRUE);
    ::EnableWindow(GetDlgItem(IDOK), TRUE);
    return 0;
}

LRESULT CDlgVcardList::OnColumnClick(int, LPNMHDR pnmh, BOOL&)
{
    const NMLISTVIEW* pInfo = reinterpret_cast<const NMLISTVIEW*>(pnmh);
    m_view.SendMessage(LVM_SORTITEMS, pInfo->iSubItem, 0);
    return 0;
}

LRESULT CDlgVcardList::OnSelectAll(WORD, WORD, HWND, BOOL&)
{
    m_view.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    m_view.SetFocus();
    return 0;
}

LRESULT CDlgVcardList::OnOpen(WORD, WORD, HWND, BOOL&)
{
    Guarded(AddressBookText::kUnhandledVcardList, m_hWnd, [&]() { m_view.OpenSelected(); });
    return 0;
}

LRESULT CDlgVcardList::OnImport(WORD, WORD, HWND, BOOL&)
{
    Guarded(AddressBookText::kUnhandledVcardList, m_hWnd, [&]() {
        if (m_view.GetSelectedCount() == 0)
            return;
        CDlgVcardImport progress(m_view);
        progress.DoModal(::GetActiveWindow());
        if (m_view.m_dwThreadId != 0)
            ::PostThreadMessageA(m_view.m_dwThreadId, WM_USER, ID_UPDATE, 0);
    });
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgVcardList::OnClose(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgVcardImport::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    PostMessage(WM_COMMAND, IDOK);
    return TRUE;
}

LRESULT CDlgVcardImport::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    m_bCancel = true;
    WaitForWorker();
    return 0;
}

LRESULT CDlgVcardImport::OnStart(WORD, WORD, HWND, BOOL&)
{
    WaitForWorker();
    m_bCancel = false;
    DWORD dwThreadId = 0;
    m_hThread = ::CreateThread(NULL, 0, Worker, this, 0, &dwThreadId);
    if (m_hThread == NULL)
        SetDlgItemText(IDCANCEL, AddressBookText::kClose);
    return 0;
}

LRESULT CDlgVcardImport::OnCancel(WORD, WORD, HWND, BOOL&)
{
    if (m_hThread != NULL)
    {
        m_bCancel = true;
        return 0;
    }
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgVcardImport::OnExitThread(WORD, WORD, HWND, BOOL&)
{
    WaitForWorker();
    SetDlgItemText(IDCANCEL, AddressBookText::kClose);
    return 0;
}

DWORD WINAPI CDlgVcardImport::Worker(LPVOID pParam)
{
    CDlgVcardImport* pDialog = static_cast<CDlgVcardImport*>(pParam);
    // A failed insert ends the import as a Cancel would; the store has shown its message.
    try
    {
        pDialog->m_view.ImportSelected(*pDialog);
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (...)
    {
    }
    pDialog->PostMessage(WM_COMMAND, kExitThread);
    return 0;
}

void CDlgVcardImport::WaitForWorker()
{
    if (m_hThread == NULL)
        return;
    // The worker sends to windows of this thread until it ends: they are served while waiting.
    while (::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
    {
        MSG msg;
        ::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    ::CloseHandle(m_hThread);
    m_hThread = NULL;
}

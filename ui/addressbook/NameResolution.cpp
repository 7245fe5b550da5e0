// Resolving typed recipients through the address book.
#include "ui/addressbook/NameResolution.h"

#include "content/AddressList.h"
#include "foundation/TextServices.h"
#include "store/ContactsTable.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/main/AddressSearch.h"

namespace
{
// The contacts of exactly that first name and surname: how many, with the record on the first.
int CountByName(CContactsTableHolder& query, HWND hOwner, const CString& strFirst, const CString& strSurname)
{
    query.CloseTable();
    query.Open(hOwner, BuildContactsSelect(hOwner) + " AND ContactName.cFirstname = '" + SqlQuote(strFirst) +
                           "' AND ContactName.cSurname = '" + SqlQuote(strSurname) + "'");
    int nCount = 0;
    CContactRecord first;
    for (HRESULT hr = query.MoveFirst(); hr == S_OK && nCount < 2; hr = query.MoveNext())
    {
        if (nCount == 0)
            first = query;
        nCount++;
    }
    static_cast<CContactRecord&>(query) = first;
    return nCount;
}

void SplitAt(const CString& strName, int nBlank, CString& strFirst, CString& strSurname)
{
    if (nBlank < 0)
    {
        strFirst = strName;
        strSurname.Empty();
        return;
    }
    strFirst = strName.Left(nBlank);
    strFirst.TrimRight();
    strSurname = strName.Mid(nBlank + 1);
    strSurname.TrimLeft();
}

int FindThroughOwner(CString& entry, HWND hOwner)
{
    CContactStore store(hOwner);
    CContactsTableHolder query(store.HasSession() ? store.m_pSession : NULL);
    return FindContactsByName(entry, query, hOwner);
}

// 1: text is an address or was replaced by the one contact of that name; 0: not resolved (bAsk false only).
int ResolveName(CString& text, CContactsTableHolder& query, HWND hOwner, bool bAsk)
{
    CString strName, strAddress;
    SplitAddress(text, strName, strAddress);
    if (!strAddress.IsEmpty())
        return 1;
    CSession* pSession = query.GetSession();
    if (pSession == NULL || pSession->m_spOpenRowset == NULL)
        return bAsk ? 1 : 0;
    strName.Trim();
    if (strName.IsEmpty())
        return 0;
    CString strFirst, strSurname;
    SplitAt(strName, strName.Find(' '), strFirst, strSurname);
    int nCount = CountByName(query, hOwner, strFirst, strSurname);
    // A contact made from a sender was split at the last blank ("John Paul" / "Smith"): try that split too.
    int nLast = strName.ReverseFind(' ');
    if (nCount == 0 && nLast != strName.Find(' '))
    {
        SplitAt(strName, nLast, strFirst, strSurname);
        nCount = CountByName(query, hOwner, strFirst, strSurname);
    }
    query.CloseTable();
    if (nCount == 1)
    {
        text = query.GetRecipientText();
        return 1;
    }
    if (!bAsk)
        return 0;
    CDlgCheckNames dialog(hOwner, strName);
    if (dialog.DoModal(::GetActiveWindow(), 0) == 1)
    {
        text = dialog.m_strChosen;
        return 1;
    }
    text.Empty();
    throw "";
}
} // namespace

int FindContactsByName(CString& text, CContactsTableHolder& query, HWND hOwner)
{
    return ResolveName(text, query, hOwner, true);
}

int FindKnownContactByName(CString& text, HWND hOwner)
{
    CContactStore store(hOwner);
    CContactsTableHolder query(store.HasSession() ? store.m_pSession : NULL);
    return ResolveName(text, query, hOwner, false);
}

void InstallAddressBook()
{
    SetFindContactsByNameProc(FindThroughOwner);
}

void CCheckNamesListView::OpenContacts(CContactsTableHolder& query)
{
    if (m_bShowMore)
        query.OpenFiltered(m_pOwner->m_hWnd);
    else
        CAddressSearch::BuildWhere(query, m_pOwner->m_hWnd, m_strName, "%", FALSE);
}

CDlgCheckNames::CDlgCheckNames(HWND hOwner, const CString& strName)
    : m_owner(hOwner), m_list(this, strName), m_strName(strName)
{
}

INT_PTR CDlgCheckNames::DoModal(HWND hWndParent, LPARAM lInit)
{
    return CDialogImpl<CDlgCheckNames>::DoModal(hWndParent, lInit);
}

LRESULT CDlgCheckNames::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_list.SubclassWindow(GetDlgItem(IDC_AB_ADDRESS_LIST));
    m_list.InitContactListView();
    m_list.m_bShowMore = false;
    Fill();
    UpdateButtons();
    return TRUE;
}

LRESULT CDlgCheckNames::OnRegisteredMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_owner.m_hWnd == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    return ::SendMessageA(m_owner.m_hWnd, uMsg, wParam, lParam);
}

void CDlgCheckNames::Fill()
{
    m_list.OnUpdate();
    CString strText;
    if (m_list.GetItemCount() == 0)
    {
        SetDlgItemText(IDC_AB_CHECK_LABEL1, "");
        strText.Format(AddressBookText::kNoMatches, (const char*)m_strName);
    }
    else
    {
        SetDlgItemText(IDC_AB_CHECK_LABEL1, AddressBookText::kSeveralMatches);
        strText.Format(AddressBookText::kSelectWhom, (const char*)m_strName);
    }
    SetDlgItemText(IDC_AB_CHECK_LABEL2, strText);
}

void CDlgCheckNames::UpdateButtons()
{
    bool bSelected = m_list.m_hWnd != NULL && m_list.GetNextItem(-1, LVNI_SELECTED) != -1;
    ::EnableWindow(GetDlgItem(IDC_AB_PROPERTIES), bSelected);
    ::EnableWindow(GetDlgItem(IDOK), bSelected);
}

LRESULT CDlgCheckNames::OnItemChanged(int, LPNMHDR, BOOL&)
{
    UpdateButtons();
    return 0;
}

LRESULT CDlgCheckNames::OnColumnClick(int, LPNMHDR pnmh, BOOL&)
{
    m_list.SendMessage(LVM_SORTITEMS, ((LPNMLISTVIEW)pnmh)->iSubItem, 0);
    return 0;
}

LRESULT CDlgCheckNames::OnDoubleClick(int, LPNMHDR, BOOL&)
{
    BOOL bHandled = TRUE;
    return OnChoose(0, IDOK, NULL, bHandled);
}

LRESULT CDlgCheckNames::OnContextMenu(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if ((HWND)wParam != m_list.m_hWnd)
    {
        bHandled = FALSE;
        return 0;
    }
    HMENU hMenu = ::LoadMenuA(ATL::_AtlBaseModule.GetResourceInstance(),
                              MAKEINTRESOURCEA(IDR_ADDRESS_BOOK_CONTEXT_MENU));
    if (hMenu == NULL)
        return 0;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    ::InsertMenuA(hPopup, 0, MF_BYPOSITION | MF_SEPARATOR, 0, NULL);
    ::InsertMenuA(hPopup, 0, MF_BYPOSITION | MF_STRING, AddressBookCmd::kSendMail, AddressBookText::kSendMail);
    UINT nSelected = m_list.GetSelectedCount();
    ::EnableMenuItem(hPopup, AddressBookCmd::kProperties, nSelected == 1 ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, AddressBookCmd::kDelete, nSelected >= 1 ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, AddressBookCmd::kSendMail, nSelected >= 1 ? MF_ENABLED : MF_GRAYED);
    POINT pt;
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(hPopup, 0, pt.x, pt.y, 0, m_hWnd, NULL);
    ::DestroyMenu(hMenu);
    return 0;
}

LRESULT CDlgCheckNames::OnChoose(WORD, WORD, HWND, BOOL&)
{
    int nItem = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return 0;
    const CContactRecord* pRecord = m_list.ItemRecord(nItem);
    if (pRecord == NULL)
        return 0;
    m_strChosen = pRecord->GetRecipientText();
    EndDialog(1);
    return 0;
}

LRESULT CDlgCheckNames::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(2);
    return 0;
}

LRESULT CDlgCheckNames::OnShowMore(WORD, WORD, HWND, BOOL&)
{
    m_list.m_bShowMore = !m_list.m_bShowMore;
    Fill();
    UpdateButtons();
    return 0;
}

LRESULT CDlgCheckNames::OnSearchChange(WORD, WORD, HWND, BOOL&)
{
    char szText[256] = "";
    GetDlgItemText(IDC_AB_SEARCH, szText, sizeof(szText));
    m_list.SelectByText(szText);
    return 0;
}

LRESULT CDlgCheckNames::OnFind(WORD, WORD, HWND, BOOL&)
{
    m_list.OnFindPeople();
    return 0;
}

LRESULT CDlgCheckNames::OnNewContact(WORD, WORD, HWND, BOOL&)
{
    m_list.SendMessage(WM_COMMAND, AddressBookCmd::kNewContact, 0);
    return 0;
}

LRESULT CDlgCheckNames::OnProperties(WORD, WORD, HWND, BOOL&)
{
    HWND hFocus = ::GetFocus();
    m_list.SetFocus();
    m_list.SendMessage(WM_COMMAND, AddressBookCmd::kProperties, 0);
    ::SetFocus(hFocus);
    return 0;
}

LRESULT CDlgCheckNames::OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    WORD nID = LOWORD(wParam);
    if (nID == AddressBookCmd::kUpdate || nID == AddressBookCmd::kUpdateAddressBook)
    {
        Fill();
        UpdateButtons();
        return 1;
    }
    if (m_list.m_hWnd == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    return m_list.SendMessage(WM_COMMAND, wParam, lParam);
}

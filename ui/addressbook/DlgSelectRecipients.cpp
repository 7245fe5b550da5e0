// The Select Recipients dialog.
#include "ui/addressbook/DlgSelectRecipients.h"

#include <commctrl.h>
#include <windowsx.h>

#include "foundation/ErrorUtil.h"
#include "store/ContactsTable.h"

namespace
{
const int kWells[3] = {IDC_AB_WELL_TO, IDC_AB_WELL_CC, IDC_AB_WELL_BCC};

bool HasBadCharacter(const CString& strText)
{
    return strText.FindOneOf("\"<>") >= 0;
}

void ShowError(const char* pszFormat, const CString& strValue, HWND hOwner)
{
    CString strText;
    strText.Format(pszFormat, strValue.GetString());
    AppMessageBox(strText, MB_ICONSTOP, hOwner);
}

CString ItemText(CListViewCtrl& list, int nItem, int nSubItem)
{
    char szText[512] = "";
    list.GetItemText(nItem, nSubItem, szText, sizeof(szText));
    return szText;
}

void AppendItem(CListViewCtrl& well, const CString& strText, LONG nContactID)
{
    int nItem = well.InsertItem(LVIF_TEXT | LVIF_PARAM, well.GetItemCount(), strText, 0, 0, 0, nContactID);
    well.EnsureVisible(nItem, FALSE);
}
} // namespace

CDlgSelectRecipients::CDlgSelectRecipients(HWND hOwner, CString* pTo, const char* pszToLabel,
                                           const char* pszCaption, CString* pCc, CString* pBcc,
                                           std::vector<LONG>* pContactIDs)
    : m_owner(hOwner), m_list(this), m_texts{pTo, pCc, pBcc},
      m_strToLabel(pszToLabel != NULL ? pszToLabel : ""), m_strCaption(pszCaption != NULL ? pszCaption : ""),
      m_pContactIDs(pContactIDs)
{
}

INT_PTR CDlgSelectRecipients::DoModal(HWND hWndParent)
{
    INT_PTR nResult = CDialogImpl<CDlgSelectRecipients>::DoModal(hWndParent);
    return nResult == IDOK ? IDOK : IDCANCEL;
}

LRESULT CDlgSelectRecipients::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CSelectRecipientsTexts texts;
    if (!m_strCaption.IsEmpty())
        texts.pszCaption = m_strCaption;
    texts.pTo = m_texts[0];
    texts.pCc = m_texts[1];
    texts.pBcc = m_texts[2];
    if (!m_strToLabel.IsEmpty())
        texts.pszToButton = m_strToLabel;
    SetUpSelectRecipients(*this, m_list, texts);
    for (int nWell : kWells)
    {
        CListViewCtrl well(GetDlgItem(nWell));
        well.ModifyStyle(0, LVS_EDITLABELS | LVS_SHOWSELALWAYS);
        well.SetExtendedListViewStyle(LVS_EX_FULLROWSELECT);
    }
    ::EnableWindow(GetDlgItem(IDC_AB_ADD), FALSE);
    return TRUE;
}

LRESULT CDlgSelectRecipients::OnRegisteredMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_owner.m_hWnd == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    return ::SendMessageA(m_owner.m_hWnd, uMsg, wParam, lParam);
}

LRESULT CDlgSelectRecipients::OnItemChanged(int, LPNMHDR, BOOL&)
{
    UpdateSelectRecipientsButtons(*this, m_list);
    return 0;
}

LRESULT CDlgSelectRecipients::OnColumnClick(int, LPNMHDR pnmh, BOOL&)
{
    m_list.SendMessage(LVM_SORTITEMS, ((LPNMLISTVIEW)pnmh)->iSubItem, 0);
    return 0;
}

LRESULT CDlgSelectRecipients::OnWellKeyDown(int, LPNMHDR pnmh, BOOL& bHandled)
{
    if (!IsWell(pnmh->hwndFrom) || ((LPNMLVKEYDOWN)pnmh)->wVKey != VK_DELETE)
    {
        bHandled = FALSE;
        return 0;
    }
    DeleteSelected(pnmh->hwndFrom);
    return 0;
}

LRESULT CDlgSelectRecipients::OnWellEndLabelEdit(int, LPNMHDR pnmh, BOOL& bHandled)
{
    if (!IsWell(pnmh->hwndFrom))
    {
        bHandled = FALSE;
        return 0;
    }
    // An edited label is the recipient from now on and no longer names a contact; an emptied one changes
    // nothing, as a recipient cannot be blank.
    // The control asks its parent which form to use: either may come.
    const NMLVDISPINFOA* pInfo = (const NMLVDISPINFOA*)pnmh;
    if (pInfo->item.pszText == NULL)
        return FALSE;
    CString strText = pnmh->code == LVN_ENDLABELEDITW ? CString((const wchar_t*)pInfo->item.pszText)
                                                      : CString(pInfo->item.pszText);
    strText.Trim();
    if (strText.IsEmpty())
        return FALSE;
    CListViewCtrl well(pnmh->hwndFrom);
    well.SetItemText(pInfo->item.iItem, 0, strText);
    well.SetItemData(pInfo->item.iItem, 0);
    return FALSE;
}

LRESULT CDlgSelectRecipients::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    HWND hWnd = (HWND)wParam;
    HMENU hMenu = NULL;
    if (hWnd == m_list.m_hWnd)
        hMenu = BuildContactsMenu();
    else if (IsWell(hWnd))
        hMenu = BuildRecipientsMenu(hWnd);
    else
    {
        bHandled = FALSE;
        return 0;
    }
    if (hMenu == NULL)
        return 0;
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (pt.x == -1 && pt.y == -1)
        ::GetCursorPos(&pt);
    // The two menus share Delete: the choice is run here, for the list it was asked over.
    UINT nCommand = ::TrackPopupMenu(::GetSubMenu(hMenu, 0), TPM_RETURNCMD, pt.x, pt.y, 0, m_hWnd, NULL);
    ::DestroyMenu(hMenu);
    if (nCommand == 0)
        return 0;
    if (hWnd == m_list.m_hWnd)
        SendMessage(WM_COMMAND, nCommand, 0);
    else if (nCommand == AddressBookCmd::kDelete)
        DeleteSelected(hWnd);
    else if (nCommand == SelectRecipientsCmd::kEditRecipient)
    {
        CListViewCtrl well(hWnd);
        int nItem = well.GetNextItem(-1, LVNI_SELECTED);
        if (nItem >= 0)
        {
            well.SetFocus();
            well.EditLabel(nItem);
        }
    }
    return 0;
}

HMENU CDlgSelectRecipients::BuildContactsMenu()
{
    HMENU hMenu = ::LoadMenuA(ATL::_AtlBaseModule.GetResourceInstance(),
                              MAKEINTRESOURCEA(IDR_ADDRESS_BOOK_CONTEXT_MENU));
    if (hMenu == NULL)
        return NULL;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    const char* pszLabel =
        m_strToLabel.IsEmpty() ? SelectRecipientsText::kToButton : m_strToLabel.GetString();
    ::InsertMenuA(hPopup, 0, MF_BYPOSITION | MF_SEPARATOR, 0, NULL);
    ::InsertMenuA(hPopup, 0, MF_BYPOSITION | MF_STRING, IDC_AB_BUTTON_TO, pszLabel);
    UINT nSelected = m_list.GetSelectedCount();
    ::EnableMenuItem(hPopup, IDC_AB_BUTTON_TO, nSelected >= 1 && m_texts[0] != NULL ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, AddressBookCmd::kDelete, nSelected >= 1 ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, AddressBookCmd::kProperties, nSelected == 1 ? MF_ENABLED : MF_GRAYED);
    return hMenu;
}

HMENU CDlgSelectRecipients::BuildRecipientsMenu(HWND hWell)
{
    HMENU hMenu = ::LoadMenuA(ATL::_AtlBaseModule.GetResourceInstance(),
                              MAKEINTRESOURCEA(IDR_RECIPIENTS_CONTEXT_MENU));
    if (hMenu == NULL)
        return NULL;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    UINT nSelected = CListViewCtrl(hWell).GetSelectedCount();
    ::EnableMenuItem(hPopup, SelectRecipientsCmd::kEditRecipient, nSelected == 1 ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, AddressBookCmd::kDelete, nSelected >= 1 ? MF_ENABLED : MF_GRAYED);
    return hMenu;
}

LRESULT CDlgSelectRecipients::OnTypedChange(WORD, WORD, HWND, BOOL&)
{
    ::EnableWindow(GetDlgItem(IDC_AB_ADD), ::GetWindowTextLengthA(GetDlgItem(IDC_AB_ADD_EDIT)) > 0);
    return 0;
}

LRESULT CDlgSelectRecipients::OnSearchChange(WORD, WORD, HWND, BOOL&)
{
    char szText[256] = "";
    GetDlgItemText(IDC_AB_SEARCH, szText, sizeof(szText));
    m_list.SelectByText(szText);
    return 0;
}

LRESULT CDlgSelectRecipients::OnAddTo(WORD, WORD wID, HWND, BOOL&)
{
    int nIndex = wID - IDC_AB_BUTTON_TO;
    if (nIndex >= 0 && nIndex < 3 && m_texts[nIndex] != NULL)
        AddSelected(kWells[nIndex]);
    return 0;
}

LRESULT CDlgSelectRecipients::OnCopyRecipients(WORD, WORD, HWND, BOOL&)
{
    int nWell = FirstShownWell();
    if (nWell != 0)
        AddSelected(nWell);
    return 1;
}

LRESULT CDlgSelectRecipients::OnAddTyped(WORD, WORD, HWND, BOOL&)
{
    int nWell = FirstShownWell();
    CString strText;
    GetDlgItemText(IDC_AB_ADD_EDIT, strText);
    if (nWell == 0 || strText.IsEmpty())
        return 0;
    CListViewCtrl well(GetDlgItem(nWell));
    AppendItem(well, strText, 0);
    SetDlgItemText(IDC_AB_ADD_EDIT, "");
    return 0;
}

LRESULT CDlgSelectRecipients::OnFind(WORD, WORD, HWND, BOOL&)
{
    m_list.OnFindPeople();
    return 0;
}

LRESULT CDlgSelectRecipients::OnProperties(WORD, WORD, HWND, BOOL&)
{
    HWND hFocus = ::GetFocus();
    m_list.SetFocus();
    m_list.SendMessage(WM_COMMAND, AddressBookCmd::kProperties, 0);
    ::SetFocus(hFocus);
    return 0;
}

LRESULT CDlgSelectRecipients::OnOK(WORD, WORD, HWND, BOOL&)
{
    for (int i = 0; i < 3; i++)
    {
        if (m_texts[i] != NULL)
            SaveList(kWells[i], *m_texts[i]);
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgSelectRecipients::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgSelectRecipients::OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (m_list.m_hWnd == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    return m_list.SendMessage(WM_COMMAND, wParam, lParam);
}

bool CDlgSelectRecipients::AddSelected(int nWell)
{
    if (m_list.GetSelectedCount() == 0)
    {
        AppMessageBox(SelectRecipientsText::kNothingSelected, MB_ICONSTOP, m_hWnd);
        return false;
    }
    CListViewCtrl well(GetDlgItem(nWell));
    for (int nItem = m_list.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = m_list.GetNextItem(nItem, LVNI_SELECTED))
    {
        CString strName = ItemText(m_list, nItem, 0);
        if (HasBadCharacter(strName))
        {
            ShowError(SelectRecipientsText::kInvalidName, strName, m_hWnd);
            return false;
        }
        CString strAddress = ItemText(m_list, nItem, 1);
        if (strAddress.IsEmpty())
        {
            AppMessageBox(SelectRecipientsText::kNoAddress, MB_ICONSTOP, m_hWnd);
            return false;
        }
        if (HasBadCharacter(strAddress))
        {
            ShowError(SelectRecipientsText::kInvalidAddress, strAddress, m_hWnd);
            return false;
        }
        CString strText = "<" + strAddress + ">";
        if (!strName.IsEmpty())
            strText = "\"" + strName + "\" " + strText;
        const CContactRecord* pRecord = m_list.ItemRecord(nItem);
        AppendItem(well, strText, pRecord != NULL ? pRecord->m_ID : 0);
    }
    return true;
}

void CDlgSelectRecipients::DeleteSelected(HWND hWell)
{
    CListViewCtrl well(hWell);
    std::vector<int> items;
    for (int nItem = well.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = well.GetNextItem(nItem, LVNI_SELECTED))
        items.push_back(nItem);
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        well.DeleteItem(*it);
}

int CDlgSelectRecipients::FirstShownWell() const
{
    for (int i = 0; i < 3; i++)
    {
        if (m_texts[i] != NULL)
            return kWells[i];
    }
    return 0;
}

bool CDlgSelectRecipients::IsWell(HWND hWnd) const
{
    for (int nWell : kWells)
    {
        if (hWnd != NULL && hWnd == ::GetDlgItem(m_hWnd, nWell))
            return true;
    }
    return false;
}

void CDlgSelectRecipients::SaveList(int nWell, CString& strText)
{
    CListViewCtrl well(GetDlgItem(nWell));
    strText.Empty();
    for (int i = 0; i < well.GetItemCount(); i++)
    {
        if (i > 0)
            strText += "; ";
        strText += ItemText(well, i, 0);
        LONG nContactID = static_cast<LONG>(well.GetItemData(i));
        if (m_pContactIDs != NULL && nContactID != 0)
            m_pContactIDs->push_back(nContactID);
    }
}

INT_PTR SelectRecipients(HWND hOwner, const char* pszCaption, const char* pszToLabel, CString* pTo,
                         CString* pCc, CString* pBcc)
{
    CDlgSelectRecipients dialog(hOwner, pTo, pszToLabel, pszCaption, pCc, pBcc);
    return dialog.DoModal(::GetActiveWindow());
}

bool SelectContacts(HWND hOwner, const char* pszCaption, const char* pszButton, const char*,
                    std::vector<LONG>& contactIDs)
{
    CString strChosen;
    contactIDs.clear();
    CDlgSelectRecipients dialog(hOwner, &strChosen, pszButton, pszCaption, NULL, NULL, &contactIDs);
    return dialog.DoModal(::GetActiveWindow()) == IDOK;
}

// Setting up Select Recipients.
#include "ui/addressbook/SelectRecipientsSetup.h"

#include <commctrl.h>

#include <vector>

#include "content/AddressList.h"
#include "resources/resource.h"

namespace
{
RECT ChildRect(CWindow& dialog, int nID)
{
    RECT rc = {};
    ::GetWindowRect(dialog.GetDlgItem(nID), &rc);
    ::MapWindowPoints(NULL, dialog.m_hWnd, (POINT*)&rc, 2);
    return rc;
}
} // namespace

void SetUpSelectRecipients(CWindow& dialog, CAddressBookViewBase& list, const CSelectRecipientsTexts& texts)
{
    if (texts.pszCaption != NULL)
        dialog.SetWindowText(texts.pszCaption);
    list.SubclassWindow(dialog.GetDlgItem(IDC_AB_ADDRESS_LIST));
    list.InitContactListView();

    const int wells[3] = {IDC_AB_WELL_TO, IDC_AB_WELL_CC, IDC_AB_WELL_BCC};
    const int buttons[3] = {IDC_AB_BUTTON_TO, IDC_AB_BUTTON_CC, IDC_AB_BUTTON_BCC};
    const CString* sources[3] = {texts.pTo, texts.pCc, texts.pBcc};
    const RECT rcTo = ChildRect(dialog, IDC_AB_WELL_TO);
    const RECT rcBcc = ChildRect(dialog, IDC_AB_WELL_BCC);
    int nShown = 0, nOnly = -1;
    for (int i = 0; i < 3; i++)
    {
        CListViewCtrl well(dialog.GetDlgItem(wells[i]));
        well.InsertColumn(0, "Recipients", LVCFMT_LEFT, 400); // string 264
        if (sources[i] == NULL)
        {
            well.ShowWindow(SW_HIDE);
            ::ShowWindow(dialog.GetDlgItem(buttons[i]), SW_HIDE);
            continue;
        }
        nShown++;
        nOnly = i;
        std::vector<CString> entries;
        ParseAddressList(*sources[i], entries, ';', NULL, FALSE, NULL);
        for (const CString& strEntry : entries)
            well.InsertItem(well.GetItemCount(), strEntry);
    }
    if (nShown == 1)
    {
        RECT rc = ChildRect(dialog, wells[nOnly]);
        ::MoveWindow(dialog.GetDlgItem(wells[nOnly]), rc.left, rcTo.top, rc.right - rc.left, rcBcc.bottom - rcTo.top,
                     TRUE);
    }
    else if (nShown == 0)
    {
        RECT rc = ChildRect(dialog, IDC_AB_ADDRESS_LIST);
        ::MoveWindow(list.m_hWnd, rc.left, rc.top, rcTo.right - rc.left, rc.bottom - rc.top, TRUE);
    }
    if (texts.pszToButton != NULL)
        ::SetWindowTextA(dialog.GetDlgItem(IDC_AB_BUTTON_TO), texts.pszToButton);
    if (texts.bAddDisabled || nShown == 0)
    {
        ::ShowWindow(dialog.GetDlgItem(IDC_AB_ADD), SW_HIDE);
        ::ShowWindow(dialog.GetDlgItem(IDC_AB_ADD_EDIT), SW_HIDE);
    }
    dialog.SendMessage(WM_COMMAND, AddressBookCmd::kUpdate, 0);
    UpdateSelectRecipientsButtons(dialog, list);
}

void UpdateSelectRecipientsButtons(CWindow& dialog, CAddressBookViewBase& list)
{
    ::EnableWindow(dialog.GetDlgItem(IDC_AB_PROPERTIES), list.GetSelectedCount() != 0);
}

// How the Select Recipients dialog sets itself up: its contact list, up to three recipient wells filled from
// the given texts, and the layout of what is shown.
#pragma once

#include <atlapp.h>
#include <atlwin.h>

#include "ui/addressbook/AddressBookViewImpl.h"

// The contact list of Select Recipients.
typedef CAddressBookViewImpl<kRecipientsList> CRecipientsListView;

struct CSelectRecipientsTexts
{
    const char* pszCaption = NULL;
    // NULL: that well is not offered. Recipients are separated by ";".
    const CString* pTo = NULL;
    const CString* pCc = NULL;
    const CString* pBcc = NULL;
    const char* pszToButton = NULL;
    bool bAddDisabled = false;
};

// Called from the dialog's WM_INITDIALOG: the list attaches to control 32791, the wells get their column and
// items, and the controls move into the space of the wells not shown. Fills the list (ID_UPDATE to the
// dialog, which routes it to the list).
void SetUpSelectRecipients(CWindow& dialog, CAddressBookViewBase& list, const CSelectRecipientsTexts& texts);
// "P&roperties" is enabled exactly while a contact is selected.
void UpdateSelectRecipientsButtons(CWindow& dialog, CAddressBookViewBase& list);

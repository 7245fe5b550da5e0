// The contact list of the address-book window and of the main window's contacts pane.
#pragma once

#include "ui/addressbook/AddressBookViewImpl.h"

// With its context menu.
class CAddressBookListView : public CAddressBookViewImpl<kAddressBookList>
{
public:
    BEGIN_MSG_MAP(CAddressBookListView)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        CHAIN_MSG_MAP(CAddressBookViewBase)
    END_MSG_MAP()

    explicit CAddressBookListView(CWindow* pOwner) : CAddressBookViewImpl<kAddressBookList>(pOwner) {}

    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
};

// The contact list of the address-book window and of the main window's contacts pane.
#include "ui/addressbook/AddressBookListView.h"

#include "resources/resource.h"

LRESULT CAddressBookListView::OnContextMenu(UINT, WPARAM, LPARAM, BOOL&)
{
    if (!HasSelection())
        return 0;
    HMENU hMenu = ::LoadMenuA(ATL::_AtlBaseModule.GetResourceInstance(),
                              MAKEINTRESOURCEA(IDR_ADDRESS_BOOK_CONTEXT_MENU));
    if (hMenu == NULL)
        return 0;
    POINT pt;
    ::GetCursorPos(&pt);
    ::TrackPopupMenu(::GetSubMenu(hMenu, 0), TPM_VERTICAL, pt.x, pt.y, 0, m_hWnd, NULL);
    ::DestroyMenu(hMenu);
    return 0;
}

// The contact list: a report list view that its owner created, filled with the contacts of the database,
// sorted by a clicked column, searched, and carrying the contact commands.
#pragma once

#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include "foundation/LocaleDateFormat.h"
#include "ui/addressbook/AddressBookCommands.h"
#include "ui/addressbook/ContactListImages.h"

class CContactsTableHolder;
class CContactNameTable;
class CContactRecord;

// Everything but the sort directions, which each kind of list shares process-wide with its own kind.
class CAddressBookViewBase : public CWindowImpl<CAddressBookViewBase, CListViewCtrl>
{
public:
    BEGIN_MSG_MAP(CAddressBookViewBase)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(LVM_SORTITEMS, OnSortItems)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    // pOwner: the window that holds the list; its handle may come later than this object.
    CAddressBookViewBase(CWindow* pOwner, int* pSortAscending);
    virtual ~CAddressBookViewBase() = default;

    // Header images, columns from the settings, styles; then asks the owner for the first fill (an owner
    // whose refresh does more than fill the list fills it itself instead).
    void InitContactListView(bool bAskOwnerToFill = true);
    // Selects the first row whose name begins with the text, ignoring case; no such row changes nothing.
    void SelectByText(const char* pszText);
    void OnFindPeople();
    // The ContactName table object on the selected (first selected) row's contact; NULL without one.
    CContactNameTable* SelectContact();
    // Opens the joined contacts query for this list; the default leaves out what the settings say.
    virtual void OpenContacts(CContactsTableHolder& query);

    bool IsMultiSelect() const { return (GetStyle() & LVS_SINGLESEL) == 0; }
    bool HasSelection() const;
    bool IsListEmpty() const { return m_bListEmpty; }
    int GetSortColumn() const { return m_nSortColumn; }
    const CContactRecord* ItemRecord(int nItem) const;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnSortItems(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    // The command table, every handler inside one guard.
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);

    LRESULT OnUpdate();
    LRESULT OnNewContact();
    LRESULT OnProperties();
    LRESULT OnDeleteContact();
    LRESULT OnExportBusinessCard();
    LRESULT OnPrint(BOOL& bHandled);
    LRESULT OnCanDelete();
    // One printed row; empty when the value is. Values are escaped for the markup.
    static CString AddHTMLRow(const char* pszLabel, const char* pszValue, bool bSpacer);
    void ClearList();

    CWindow* m_pOwner;
    CLocaleDateFormat m_dateFormat;
    CContactListImages m_images;
    int m_nSortColumn = -1;
    bool m_bListEmpty = true;

private:
    HWND Owner() const { return m_pOwner != NULL ? m_pOwner->m_hWnd : NULL; }
    // Every list refreshes: through the manager to every window, else this list alone. bDelayed waits a
    // second first (without blocking the thread), so that the change is seen by other connections.
    void RequestRefresh(bool bDelayed);
    void PostRefresh();
    void SortAgain();
    void SetHeaderArrow(int nColumn, bool bArrow, bool bAscending);
    static int CALLBACK CompareContactItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    int* m_pSortAscending;
    bool m_bRefreshPending = false;
};

// The three kinds of list, each with its own process-wide sort directions: the Select Recipients dialog's,
// the address-book window's and main window's, and the Check Names dialog's.
enum
{
    kRecipientsList,
    kAddressBookList,
    kCheckNamesList
};

template <int nKind> class CAddressBookViewImpl : public CAddressBookViewBase
{
public:
    explicit CAddressBookViewImpl(CWindow* pOwner) : CAddressBookViewBase(pOwner, s_sortAscending) {}

private:
    static int s_sortAscending[6];
};

template <int nKind> int CAddressBookViewImpl<nKind>::s_sortAscending[6] = {};

// The lock of the process-wide sort directions and Find People texts: lists of several windows run on
// several threads. Never held across a dialog.
class CAddressBookSharedLock
{
public:
    CAddressBookSharedLock();
    ~CAddressBookSharedLock();
    CAddressBookSharedLock(const CAddressBookSharedLock&) = delete;
    CAddressBookSharedLock& operator=(const CAddressBookSharedLock&) = delete;
};

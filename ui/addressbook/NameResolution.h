// Resolving one typed recipient through the address book, with "Check Names" when the name is not unique.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "ui/addressbook/AddressBookViewImpl.h"

class CContactsTableHolder;

// text is an address (kept, 1), empty (0), or a name: one contact of that first name and surname replaces it
// with the contact's recipient text (1); none or several ask the user, whose choice replaces it (1) and whose
// Cancel empties it and throws the empty text. Without a session in query, 1 and the text as it was.
int FindContactsByName(CString& text, CContactsTableHolder& query, HWND hOwner);

// The look-up that never asks, over the contacts of hOwner's databases: 1 when text is an address or the name
// of exactly one contact (then replaced by its recipient text), else 0 and text unchanged.
int FindKnownContactByName(CString& text, HWND hOwner);

// Registers the address book's look-up with the recipient-list parser.
void InstallAddressBook();

// The list of "Check Names": only the contacts that match the name, unless all are asked for.
class CCheckNamesListView : public CAddressBookViewImpl<kCheckNamesList>
{
public:
    CCheckNamesListView(CWindow* pOwner, const CString& strName)
        : CAddressBookViewImpl<kCheckNamesList>(pOwner), m_strName(strName)
    {
    }
    void OpenContacts(CContactsTableHolder& query) override;

    CString m_strName;
    bool m_bShowMore = false;
};

class CDlgCheckNames : public CDialogImpl<CDlgCheckNames>
{
public:
    enum
    {
        IDD = IDD_CHECK_NAMES
    };

    BEGIN_MSG_MAP(CDlgCheckNames)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        // The list asks its owner for the database and settings: the dialog passes those on.
        MESSAGE_RANGE_HANDLER(0xC000, 0xFFFF, OnRegisteredMessage)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, LVN_COLUMNCLICK, OnColumnClick)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, NM_DBLCLK, OnDoubleClick)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        COMMAND_ID_HANDLER(IDOK, OnChoose)
        COMMAND_ID_HANDLER(AddressBookCmd::kSendMail, OnChoose)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_HANDLER(IDC_AB_SHOW_MORE, BN_CLICKED, OnShowMore)
        COMMAND_HANDLER(IDC_AB_SEARCH, EN_CHANGE, OnSearchChange)
        COMMAND_HANDLER(IDC_AB_FIND, BN_CLICKED, OnFind)
        COMMAND_ID_HANDLER(IDC_AB_NEW_CONTACT, OnNewContact)
        COMMAND_ID_HANDLER(IDC_AB_PROPERTIES, OnProperties)
        MESSAGE_HANDLER(WM_COMMAND, OnOtherCommand)
    END_MSG_MAP()

    CDlgCheckNames(HWND hOwner, const CString& strName);

    // 1 after a choice, 2 after Cancel, -1 when the dialog cannot be made.
    INT_PTR DoModal(HWND hWndParent, LPARAM lInit = 0);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRegisteredMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    LRESULT OnColumnClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnChoose(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnShowMore(WORD, WORD, HWND, BOOL&);
    LRESULT OnSearchChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnFind(WORD, WORD, HWND, BOOL&);
    LRESULT OnNewContact(WORD, WORD, HWND, BOOL&);
    LRESULT OnProperties(WORD, WORD, HWND, BOOL&);
    LRESULT OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CWindow m_owner;
    CCheckNamesListView m_list;
    CString m_strName;
    CString m_strChosen;

private:
    // Refills the list and says how many were found.
    void Fill();
    void UpdateButtons();
};

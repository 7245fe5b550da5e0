// CDlgSelectRecipients: picking recipients from the contacts into the To, Cc and Bcc lists.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <vector>

#include "resources/resource.h"
#include "ui/addressbook/SelectRecipientsSetup.h"

namespace SelectRecipientsText
{
const char kNothingSelected[] = "No item(s) selected for adding to the Recipients list."; // string 258
const char kNoAddress[] = "The email address of the Contact is not present.";            // string 234
const char kInvalidName[] = "Invalid name:\r\n%s";                                        // string 309
const char kInvalidAddress[] = "Invalid address:\r\n%s";                                  // string 308
const char kToButton[] = "To: ->";                                                        // string 286
} // namespace SelectRecipientsText

namespace SelectRecipientsCmd
{
const WORD kCopyRecipients = 33079;
const WORD kEditRecipient = 32873;
} // namespace SelectRecipientsCmd

class CDlgSelectRecipients : public CDialogImpl<CDlgSelectRecipients>
{
public:
    enum
    {
        IDD = IDD_SELECT_RECIPIENTS
    };

    BEGIN_MSG_MAP(CDlgSelectRecipients)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        // The contacts list asks its owner for the database and settings: the dialog passes those on.
        MESSAGE_RANGE_HANDLER(0xC000, 0xFFFF, OnRegisteredMessage)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, LVN_COLUMNCLICK, OnColumnClick)
        NOTIFY_CODE_HANDLER(LVN_KEYDOWN, OnWellKeyDown)
        NOTIFY_CODE_HANDLER(LVN_ENDLABELEDITA, OnWellEndLabelEdit)
        NOTIFY_CODE_HANDLER(LVN_ENDLABELEDITW, OnWellEndLabelEdit)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        COMMAND_HANDLER(IDC_AB_ADD_EDIT, EN_CHANGE, OnTypedChange)
        COMMAND_HANDLER(IDC_AB_SEARCH, EN_CHANGE, OnSearchChange)
        COMMAND_ID_HANDLER(IDC_AB_BUTTON_TO, OnAddTo)
        COMMAND_ID_HANDLER(IDC_AB_BUTTON_CC, OnAddTo)
        COMMAND_ID_HANDLER(IDC_AB_BUTTON_BCC, OnAddTo)
        COMMAND_ID_HANDLER(SelectRecipientsCmd::kCopyRecipients, OnCopyRecipients)
        // A double click in the contacts list asks for a message to the contact: here it copies.
        COMMAND_ID_HANDLER(AddressBookCmd::kNewMessageWithRecipient, OnCopyRecipients)
        COMMAND_ID_HANDLER(IDC_AB_ADD, OnAddTyped)
        COMMAND_ID_HANDLER(IDC_AB_FIND, OnFind)
        COMMAND_ID_HANDLER(IDC_AB_PROPERTIES, OnProperties)
        COMMAND_ID_HANDLER(IDC_AB_RECIPIENTS_OK, OnOK)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        MESSAGE_HANDLER(WM_COMMAND, OnOtherCommand)
    END_MSG_MAP()

    // hOwner answers the Get messages. A null text pointer: that list is not shown and not written back.
    // pContactIDs, when given, receives the contact of every chosen recipient that came from one.
    CDlgSelectRecipients(HWND hOwner, CString* pTo, const char* pszToLabel, const char* pszCaption,
                         CString* pCc, CString* pBcc, std::vector<LONG>* pContactIDs = NULL);

    // IDOK (1) or IDCANCEL (2).
    INT_PTR DoModal(HWND hWndParent);

    // The context menus as they would be shown now; the caller destroys them. Exposed for the tests.
    HMENU BuildContactsMenu();
    HMENU BuildRecipientsMenu(HWND hWell);

    // Adds the selected contacts to the list of that well (1126, 1127 or 1128); false when it stopped.
    bool AddSelected(int nWell);
    void DeleteSelected(HWND hWell);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRegisteredMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    LRESULT OnColumnClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnWellKeyDown(int, LPNMHDR pnmh, BOOL& bHandled);
    LRESULT OnWellEndLabelEdit(int, LPNMHDR pnmh, BOOL& bHandled);
    LRESULT OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnTypedChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnSearchChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddTo(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnCopyRecipients(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddTyped(WORD, WORD, HWND, BOOL&);
    LRESULT OnFind(WORD, WORD, HWND, BOOL&);
    LRESULT OnProperties(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    CWindow m_owner;
    CRecipientsListView m_list;

private:
    // The first shown well of To, Cc, Bcc; 0 when none is shown.
    int FirstShownWell() const;
    bool IsWell(HWND hWnd) const;
    void SaveList(int nWell, CString& strText);

    CString* m_texts[3];
    CString m_strToLabel;
    CString m_strCaption;
    std::vector<LONG>* m_pContactIDs;
};

// Runs the dialog modally over the active window; the signature the Simple MAPI methods and the compose
// window call. IDOK when the shown texts were written back.
INT_PTR SelectRecipients(HWND hOwner, const char* pszCaption, const char* pszToLabel, CString* pTo,
                         CString* pCc, CString* pBcc);

// The contact picker of the new message's Business Card...: the same dialog with one list labelled with the
// button's text; the contacts of the chosen entries. false when the user cancelled.
bool SelectContacts(HWND hOwner, const char* pszCaption, const char* pszButton, const char* pszPrompt,
                    std::vector<LONG>& contactIDs);

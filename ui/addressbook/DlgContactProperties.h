// The contact Properties dialog with its summary, details and company pages, and the company dialogs.
#pragma once

#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <memory>

#include "app/CmdLineHolder.h"
#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "ui/addressbook/AddressBookCommands.h"

class CDatabaseMy;
class CMain;

// The company page: shown read-only on the Properties dialog's "Site" tab with its three buttons, and
// editable inside the Site dialog.
class CPageSite : public CDialogImpl<CPageSite>
{
public:
    enum
    {
        IDD = IDD_SITE_PAGE
    };

    BEGIN_MSG_MAP(CPageSite)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        COMMAND_ID_HANDLER(IDC_AB_GO, OnGo)
        COMMAND_ID_HANDLER(IDC_AB_SITE_NEW, OnNew)
        COMMAND_ID_HANDLER(IDC_AB_SITE_UPDATE, OnUpdate)
        COMMAND_ID_HANDLER(IDC_AB_SITE_DELETE, OnDelete)
        COMMAND_ID_HANDLER(IDOK, OnEnd)
        COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
    END_MSG_MAP()

    // pSite: show that record and offer no buttons; pContact: the contact whose company this is (may be NULL).
    CPageSite(HWND hOwner, bool bReadOnly, CContactNameTable* pContact, const CSiteRecord* pSite)
        : m_hOwner(hOwner), m_bReadOnly(bReadOnly), m_pContact(pContact), m_pSite(pSite)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnGo(WORD, WORD, HWND, BOOL&);
    LRESULT OnNew(WORD, WORD, HWND, BOOL&);
    LRESULT OnUpdate(WORD, WORD, HWND, BOOL&);
    LRESULT OnDelete(WORD, WORD, HWND, BOOL&);
    LRESULT OnEnd(WORD, WORD wID, HWND, BOOL&);

    void ShowRecord(const CSiteRecord& record);
    bool Save(CSiteRecord& record);

    HWND m_hOwner;
    bool m_bReadOnly;
    CContactNameTable* m_pContact;
    const CSiteRecord* m_pSite;

private:
    // The Site table object positioned on the company chosen in the parent; NULL when none is.
    CSiteTable* FindChosenCompany(LONG& nSiteID);
    void Guarded(void (CPageSite::*pfn)());
    void NewCompany();
    void UpdateCompany();
    void DeleteCompany();
};

class CDlgSite : public CDialogImpl<CDlgSite>
{
public:
    enum
    {
        IDD = IDD_SITE
    };

    BEGIN_MSG_MAP(CDlgSite)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    CDlgSite(HWND hOwner, CSiteRecord& record, const char* pszOkText)
        : m_hOwner(hOwner), m_page(hOwner, false, NULL, NULL), m_record(record), m_pszOkText(pszOkText)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    HWND m_hOwner;
    CPageSite m_page;
    CSiteRecord& m_record;
    const char* m_pszOkText;
};

class CDlgSiteWarning : public CDialogImpl<CDlgSiteWarning>
{
public:
    enum
    {
        IDD = IDD_SITE_WARNING
    };

    BEGIN_MSG_MAP(CDlgSiteWarning)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnEnd)
        COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
    END_MSG_MAP()

    CDlgSiteWarning(CContactNameTable& contacts, LONG nCurrentID) : m_contacts(contacts), m_nCurrentID(nCurrentID) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEnd(WORD, WORD wID, HWND, BOOL&);

    CContactNameTable& m_contacts;
    LONG m_nCurrentID;
    bool m_bCurrentAmong = false;
};

class CDlgVcardSummary : public CDialogImpl<CDlgVcardSummary>
{
public:
    enum
    {
        IDD = IDD_CONTACT_SUMMARY
    };

    BEGIN_MSG_MAP(CDlgVcardSummary)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_AB_GO, OnGo)
        COMMAND_ID_HANDLER(IDC_AB_ADD_TO_BOOK, OnAddToBook)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    CDlgVcardSummary(HWND hOwner, CContactNameTable& contact, const CSiteRecord* pSite, DWORD dwThreadId)
        : m_hOwner(hOwner), m_contact(contact), m_pSite(pSite), m_dwThreadId(dwThreadId)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGo(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddToBook(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // Title, first name, initials and surname with one blank between the parts that are there.
    static CString JoinName(const CContactNameRecord& record);
    // Address1, Address2, TownCity, Country, Postcode, County joined by ", " between the parts that are there.
    static CString JoinAddress(const CSiteRecord& record);

    HWND m_hOwner;
    CContactNameTable& m_contact;
    const CSiteRecord* m_pSite;
    DWORD m_dwThreadId;
};

class CDlgContactDetails : public CDialogImpl<CDlgContactDetails>
{
public:
    enum
    {
        IDD = IDD_CONTACT_DETAILS
    };

    BEGIN_MSG_MAP(CDlgContactDetails)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        COMMAND_RANGE_CODE_HANDLER(IDC_AB_FIRSTNAME, IDC_AB_SURNAME, EN_CHANGE, OnNameChange)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    CDlgContactDetails(CContactNameTable& contact, bool bReadOnly) : m_contact(contact), m_bReadOnly(bReadOnly) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnNameChange(WORD, WORD, HWND, BOOL&);
    // Reads every field, then the company choice; non-zero only when all succeeded.
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    CContactNameTable& m_contact;
    bool m_bReadOnly;
    CString m_strCaption;
    // Set while the fields are first filled: only the user's typing renames the dialog.
    bool m_bShowing = false;
};

// "Properties" of one contact.
class CAreYouMe : public CDialogImpl<CAreYouMe>
{
public:
    enum
    {
        IDD = IDD_CONTACT_PROPERTIES
    };

    BEGIN_MSG_MAP(CAreYouMe)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(LetrovaAreYouMe, OnAreYouMe)
        NOTIFY_HANDLER(IDC_AB_TABS, TCN_SELCHANGE, OnTabChange)
        COMMAND_HANDLER(IDC_AB_COMPANY_COMBO, CBN_SELCHANGE, OnCompanyChange)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(AddressBookCmd::kShowWindow, OnShowWindow)
        COMMAND_ID_HANDLER(AddressBookCmd::kGetSiteId, OnGetSiteId)
        COMMAND_ID_HANDLER(AddressBookCmd::kUpdateCompanyList, OnUpdateCompanyList)
        if (m_pMain != nullptr && ProcessMain(hWnd, uMsg, wParam, lParam, lResult))
            return TRUE;
    END_MSG_MAP()

    CAreYouMe(HWND hOwner, CContactNameTable& contact, DWORD dwThreadId = 0, const CSiteRecord* pSite = NULL,
              CDatabaseMy* pDatabase = NULL);
    ~CAreYouMe();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    // A second start's hand-over, answered as a frame answers it while the dialog holds its thread.
    LRESULT OnAreYouMe(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnTabChange(int, LPNMHDR, BOOL&);
    LRESULT OnCompanyChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnShowWindow(WORD, WORD, HWND hWndPage, BOOL& bHandled);
    LRESULT OnGetSiteId(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnUpdateCompanyList(WORD, WORD, HWND hWndCtl, BOOL&);

    // The window the pages ask for the database: the owner, else the dialog itself.
    HWND DataOwner() const { return m_hOwner != NULL ? m_hOwner : m_hWnd; }

    CCmdLineHolder m_cmdLine;
    HWND m_hOwner;
    DWORD m_dwThreadId;
    std::unique_ptr<CMain> m_pMain;
    CDlgVcardSummary m_summary;
    CDlgContactDetails m_details;
    CPageSite m_site;
    CComboBox m_companies;
    CContactNameTable& m_contact;
    const CSiteRecord* m_pSite;

private:
    BOOL ProcessMain(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    void ShowPage(int nPage);
    void ShowCompany(LONG nSiteID);
};

// Runs Properties for the contact over the active window; IDOK when the dialog left the edited fields in the
// contact's record (the caller writes the row).
INT_PTR RunContactProperties(HWND hOwner, CContactNameTable& contact);

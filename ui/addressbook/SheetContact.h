// The new-contact sheet: the person on the "Contact" page, the company on the "Address" page.
#pragma once

#include <atlapp.h>
#include <atldlgs.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "ui/addressbook/AddressBookCommands.h"

// The person's fields as the sheet's name page and the Properties dialog's details page show and read them.
class CContactNameFields
{
public:
    static void FillTitles(HWND hDlg);
    static void Show(HWND hDlg, const CContactNameRecord& record);
    // Stops at the first field that is too long; false then (reported on the field).
    static bool Read(CWindow* pDlg, CContactNameRecord& record);
    // First name, initials and surname, then the caption the dialog had when first shown.
    static CString Caption(HWND hDlg, const CString& strRemembered);
};

// The company's fields as the sheet's address page and the company page show and read them.
class CSiteFields
{
public:
    static void Show(HWND hDlg, const CSiteRecord& record);
    // Add date and the texts after Company, in their order; false at the first refused field.
    static bool Read(CWindow* pDlg, CSiteRecord& record);
    static void SetReadOnly(HWND hDlg, bool bReadOnly);
    // "&Go": opens the Web field's text in the browser, or says it cannot.
    static void OpenWeb(CWindow* pDlg);
};

class CPageContactName : public CPropertyPageImpl<CPageContactName>
{
public:
    enum
    {
        IDD = IDD_CONTACT_NAME
    };

    BEGIN_MSG_MAP(CPageContactName)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_RANGE_CODE_HANDLER(IDC_AB_FIRSTNAME, IDC_AB_SURNAME, EN_CHANGE, OnNameChange)
        CHAIN_MSG_MAP(CPropertyPageImpl<CPageContactName>)
    END_MSG_MAP()

    CPageContactName(HWND hOwner, CContactNameTable& contact) : m_hOwner(hOwner), m_contact(contact) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNameChange(WORD, WORD, HWND, BOOL&);
    int OnApply();

    bool Save();

    HWND m_hOwner;
    CContactNameTable& m_contact;
    CString m_strCaption;
    // Set while the fields are first filled: only the user's typing renames the sheet.
    bool m_bShowing = false;
    class CPageContactAddress* m_pAddress = NULL;
};

class CPageContactAddress : public CPropertyPageImpl<CPageContactAddress>
{
public:
    enum
    {
        IDD = IDD_CONTACT_ADDRESS
    };

    BEGIN_MSG_MAP(CPageContactAddress)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDC_AB_INDIVIDUAL, BN_CLICKED, OnIndividual)
        COMMAND_HANDLER(IDC_AB_GO, BN_CLICKED, OnGo)
        CHAIN_MSG_MAP(CPropertyPageImpl<CPageContactAddress>)
    END_MSG_MAP()

    CPageContactAddress(HWND hOwner, const CSiteRecord* pSite) : m_hOwner(hOwner), m_pSite(pSite) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnIndividual(WORD, WORD, HWND, BOOL&);
    LRESULT OnGo(WORD, WORD, HWND, BOOL&);

    // Into the Site table object that InsertContact reads in its interactive mode.
    bool Save();

    HWND m_hOwner;
    const CSiteRecord* m_pSite;

private:
    void ApplyIndividual();
};

class CSheetContact : public CPropertySheetImpl<CSheetContact>
{
public:
    BEGIN_MSG_MAP(CSheetContact)
        COMMAND_ID_HANDLER(AddressBookCmd::kShowWindow, OnShowWindow)
        CHAIN_MSG_MAP(CPropertySheetImpl<CSheetContact>)
    END_MSG_MAP()

    CSheetContact(HWND hOwner, CContactNameTable& contact, const CSiteRecord* pSite);

    LRESULT OnShowWindow(WORD, WORD, HWND, BOOL&);

    HWND m_hOwner;
    CString m_strText;
    CPageContactName m_pageName;
    CPageContactAddress m_pageAddress;
};

// Shows the sheet over the active window; OK stores the contact (InsertContact, interactive) and returns
// its result, Cancel returns 0.
int RunContactSheet(HWND hOwner, CContactNameTable& contact, const CSiteRecord* pSite);

// The Options sheet: the ten option pages, the order in which OK stores them, and the notice to the main
// window's thread that settings changed.
#pragma once

#include "foundation/DlgFields.h"
#include "ui/options/PageOptionsAccounts.h"
#include "ui/options/PageOptionsCompose.h"
#include "ui/options/PageOptionsContacts.h"
#include "ui/options/PageOptionsGeneral.h"
#include "ui/options/PageOptionsLocalDatabase.h"
#include "ui/options/PageOptionsMaintenance.h"
#include "ui/options/PageOptionsRead.h"
#include "ui/options/PageOptionsSend.h"
#include "ui/options/PageOptionsSignatures.h"
#include "ui/options/PageOptionsSpelling.h"

class CSheetOptions : public CPropertySheetImpl<CSheetOptions>
{
public:
    enum
    {
        PAGE_GENERAL,
        PAGE_LOCAL_DATABASE,
        PAGE_CONTACTS,
        PAGE_ACCOUNTS,
        PAGE_READ,
        PAGE_SIGNATURES,
        PAGE_SEND,
        PAGE_SPELLING,
        PAGE_MAINTENANCE,
        PAGE_COMPOSE,
        PAGE_COUNT
    };

    BEGIN_MSG_MAP(CSheetOptions)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        MESSAGE_HANDLER(PSM_PRESSBUTTON, OnPressButton)
        COMMAND_ID_HANDLER(ID_SHOW_WINDOW, OnShowWindow)
        CHAIN_MSG_MAP(CPropertySheetImpl<CSheetOptions>)
    END_MSG_MAP()

    // nStartPage: PAGE_GENERAL from the main window, PAGE_ACCOUNTS from the accounts dialog.
    CSheetOptions(CRegistry* pRegistry, HWND hWndOwner, UINT nStartPage);

    LRESULT OnOK(WORD, WORD, HWND, BOOL& bHandled);
    // OK pressed by a program takes the same course as a click, which the sheet's own press would bypass.
    LRESULT OnPressButton(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnShowWindow(WORD, WORD, HWND hWndPage, BOOL&);

    // Stores the pages in the sheet's order; the index of the first page that refused, -1 when none did.
    int StorePages();
    CPageOptions* Page(int nIndex);

    CString m_strCaption;
    HWND m_hWndOwner;
    CPageOptionsGeneral m_general;
    CPageOptionsLocalDatabase m_localDatabase;
    CPageOptionsContacts m_contacts;
    CPageOptionsAccounts m_accounts;
    CPageOptionsRead m_read;
    CPageOptionsSignatures m_signatures;
    CPageOptionsSend m_send;
    CPageOptionsSpelling m_spelling;
    CPageOptionsMaintenance m_maintenance;
    CPageOptionsCompose m_compose;
};

// Runs the sheet modally over the active window for the owner frame, whose settings object the pages edit,
// with the process-wide failure hint set while it is shown. Returns the sheet's result: 1 after OK.
INT_PTR RunOptionsSheet(HWND hWndOwner, UINT nStartPage);

// The Contacts page: private contacts or the central database with its file, the connection message, the
// logging switch and the address-book filter.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CDatabaseBase;

class CPageOptionsContacts : public CPageOptionsImpl<CPageOptionsContacts>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_CONTACTS
    };

    BEGIN_MSG_MAP(CPageOptionsContacts)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_CONTACTS_PRIVATE, OnPrivate)
        COMMAND_ID_HANDLER(IDC_OPTIONS_BROWSE, OnBrowse)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsContacts>)
    END_MSG_MAP()

    CPageOptionsContacts(CRegistry* pRegistry, HWND hWndOwner);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPrivate(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    // Opens the file; whether it is open tells the outcome (the failure was shown when it was built).
    void OpenDatabase(CDatabaseBase* pDatabase, const CString& strPath);
    void EnableCentral();
};

// The Accounts page: whether the accounts live in a database file of their own, and which.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CDatabaseSession;

class CPageOptionsAccounts : public CPageOptionsImpl<CPageOptionsAccounts>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_ACCOUNTS
    };

    BEGIN_MSG_MAP(CPageOptionsAccounts)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_SEPARATE, OnSeparate)
        COMMAND_ID_HANDLER(IDC_OPTIONS_BROWSE, OnBrowse)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsAccounts>)
    END_MSG_MAP()

    CPageOptionsAccounts(CRegistry* pRegistry, HWND hWndOwner);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSeparate(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    // Opens the file; whether it is open tells the outcome (the failure was shown when it was built).
    void OpenDatabase(CDatabaseSession* pDatabase, const CString& strPath);
    void EnableLocation();
};

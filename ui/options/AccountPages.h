// The pages of the account sheet: each shows its part of one Accounts record and stores it back on Finish
// or OK.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>
#include <atldlgs.h>

#include "foundation/ContextualHelp.h"
#include "foundation/DlgFields.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"
#include "ui/options/AccountTexts.h"

class CAccountWizard;

// What every account page shares: the record, the sheet, and the title it announces when shown.
template <class T>
class CPageAccountImpl : public CPropertyPageImpl<T>
{
public:
    BEGIN_MSG_MAP(CPageAccountImpl)
        CHAIN_MSG_MAP(CPropertyPageImpl<T>)
        CHAIN_MSG_MAP_MEMBER(m_help)
    END_MSG_MAP()

    // The sheet sets the wizard buttons and the title strip from the caption.
    int OnSetActive()
    {
        ::SendMessageA(this->GetParent(), WM_COMMAND, MAKEWPARAM(ID_SET_TITLE, 0), (LPARAM)T::Caption());
        return 0;
    }

    CAccountsRecord* m_pRecord = NULL;
    CAccountsTable* m_pTable = NULL; // the row's table in properties mode, for the stored password
    bool m_bWizard = false;
    CContextualHelp m_help;

protected:
    // Reads a text field of the record's width (99 characters) into the record only when it is accepted.
    bool StoreField(int nIdField, int nIdLabel, bool bRequired, char* pszColumn);
};

class CPageAccountName : public CPageAccountImpl<CPageAccountName>
{
public:
    enum { IDD = IDD_ACCOUNT_NAME };
    static const char* Caption() { return "Your Name"; }

    BEGIN_MSG_MAP(CPageAccountName)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountName>)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    bool Store();
};

class CPageAccountAddress : public CPageAccountImpl<CPageAccountAddress>
{
public:
    enum { IDD = IDD_ACCOUNT_ADDRESS };
    static const char* Caption() { return "Internet E-mail Address"; }

    BEGIN_MSG_MAP(CPageAccountAddress)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountAddress>)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    bool Store();
};

class CPageAccountServers : public CPageAccountImpl<CPageAccountServers>
{
public:
    enum { IDD = IDD_ACCOUNT_SERVERS };
    static const char* Caption() { return "E-mail Server Name"; }

    BEGIN_MSG_MAP(CPageAccountServers)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountServers>)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    bool Store();
};

class CPageAccountLogon : public CPageAccountImpl<CPageAccountLogon>
{
public:
    enum { IDD = IDD_ACCOUNT_LOGON };
    static const char* Caption() { return "Internet Mail Logon"; }

    BEGIN_MSG_MAP(CPageAccountLogon)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_ACCOUNT_REMEMBER, OnStateChanged)
        COMMAND_ID_HANDLER(IDC_ACCOUNT_AUTHENTICATION, OnStateChanged)
        COMMAND_ID_HANDLER(IDC_ACCOUNT_SETTINGS, OnSettings)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountLogon>)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStateChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnSettings(WORD, WORD, HWND, BOOL&);
    bool Store();

private:
    void UpdateControls();
};

class CPageAccountAdvanced : public CPageAccountImpl<CPageAccountAdvanced>
{
public:
    enum { IDD = IDD_ACCOUNT_ADVANCED };
    static const char* Caption() { return "Advanced"; }

    BEGIN_MSG_MAP(CPageAccountAdvanced)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_ACCOUNT_LEAVE_COPY, OnLeaveCopy)
        COMMAND_ID_HANDLER(IDC_ACCOUNT_USE_DEFAULTS, OnUseDefaults)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountAdvanced>)
    END_MSG_MAP()

    int OnSetActive();
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLeaveCopy(WORD, WORD, HWND, BOOL&);
    LRESULT OnUseDefaults(WORD, WORD, HWND, BOOL&);
    bool Store();

private:
    LONG DefaultIncomingPort() const;
    // An unsigned number of the field within [nLow, nHigh]; otherwise the range is shown on the field.
    bool ReadNumber(int nIdField, UINT nLow, UINT nHigh, const char* pszRange, UINT& nValue);
};

class CPageAccountFinish : public CPageAccountImpl<CPageAccountFinish>
{
public:
    enum { IDD = IDD_ACCOUNT_FINISH };
    static const char* Caption() { return "Congratulations"; }

    BEGIN_MSG_MAP(CPageAccountFinish)
        CHAIN_MSG_MAP(CPageAccountImpl<CPageAccountFinish>)
    END_MSG_MAP()

    // TRUE keeps the wizard open: a page refused a field.
    INT_PTR OnWizardFinish();
    bool Store() { return true; }

    CAccountWizard* m_pSheet = NULL;
};

template <class T>
bool CPageAccountImpl<T>::StoreField(int nIdField, int nIdLabel, bool bRequired, char* pszColumn)
{
    char szText[101];
    CDlgFields fields(this);
    if (!fields.GetText(nIdField, szText, sizeof(szText), nIdLabel, bRequired))
        return false;
    lstrcpynA(pszColumn, szText, sizeof(szText));
    return true;
}

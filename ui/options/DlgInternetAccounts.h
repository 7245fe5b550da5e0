// The Internet Accounts dialog: the mail accounts listed, added, removed, edited and made the default.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>
#include <atlctrls.h>

#include "foundation/ContextualHelp.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"

// One tab of the dialog with its list; the commands act on the list's selection.
class CAccountsTab
{
public:
    CAccountsTab(HWND hOwner) : m_hOwner(hOwner) {}
    virtual ~CAccountsTab() {}
    virtual void Add() = 0;
    virtual void Remove() = 0;
    virtual void Properties() = 0;
    virtual void SetDefault() = 0;

    HWND m_hOwner; // the frame that opened the dialog
    CListViewCtrl m_list;
};

class CAccountsNewsTab : public CAccountsTab
{
public:
    using CAccountsTab::CAccountsTab;
    void Add() override { UnderConstruction(); }
    void Remove() override { UnderConstruction(); }
    void Properties() override { UnderConstruction(); }
    void SetDefault() override { UnderConstruction(); }

private:
    void UnderConstruction();
};

class CAccountsMailTab : public CAccountsTab
{
public:
    using CAccountsTab::CAccountsTab;
    void Add() override;
    void Remove() override;
    void Properties() override;
    void SetDefault() override;
    void FillAccountList();

private:
    CAccountsTable* AccountsTable();
    // The selected account as the table's current row; NULL (after saying so) when nothing is selected.
    CAccountsTable* GetSelectedAccount();
    void PostUpdateToMainThread();
};

class CInternetAccountsHelp : public CContextualHelp
{
public:
    CString GetHelpText(int nIdControl) override;
};

class CDlgInternetAccounts : public CDialogImpl<CDlgInternetAccounts>
{
public:
    enum { IDD = IDD_INTERNET_ACCOUNTS };

    explicit CDlgInternetAccounts(HWND hOwner);

    BEGIN_MSG_MAP(CDlgInternetAccounts)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnEnd)
        COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_ADD, OnTabCommand)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_REMOVE, OnTabCommand)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_PROPERTIES, OnTabCommand)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_SET_DEFAULT, OnTabCommand)
        NOTIFY_HANDLER(IDC_ACCOUNTS_TABS, TCN_SELCHANGE, OnTabChange)
        NOTIFY_HANDLER(IDC_ACCOUNTS_MAIL_LIST, NM_DBLCLK, OnDoubleClick)
        NOTIFY_HANDLER(IDC_ACCOUNTS_NEWS_LIST, NM_DBLCLK, OnDoubleClick)
        CHAIN_MSG_MAP_MEMBER(m_help)
        COMMAND_ID_HANDLER(IDC_ACCOUNTS_LOCATION, OnLocation)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEnd(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnTabCommand(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnTabChange(int, LPNMHDR, BOOL&);
    LRESULT OnDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnLocation(WORD, WORD, HWND, BOOL&);

    HWND m_hOwner;
    CTabCtrl m_tabs;
    CAccountsMailTab m_mail;
    CAccountsNewsTab m_news;
    CAccountsTab* m_pCurrent = NULL;
    CInternetAccountsHelp m_help;

private:
    void SelectTab(int nTab);
    // Runs a command of the current tab; what it throws is shown here and the dialog stays open.
    void RunGuarded(void (CAccountsTab::*pfnCommand)());
};

// The dialog modal over the active window, for the main window, the compose window and the options.
INT_PTR RunInternetAccountsDialog(HWND hOwner);

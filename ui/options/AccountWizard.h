// The one editor of an Accounts row: the new-account wizard and the account properties sheet.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>
#include <atldlgs.h>

#include "ui/options/AccountPages.h"

// The wizard's title strip: the current page's caption over the watermark.
class CAccountTitleStrip : public CWindowImpl<CAccountTitleStrip>
{
public:
    DECLARE_WND_CLASS("OrbAccountTitleStrip")

    BEGIN_MSG_MAP(CAccountTitleStrip)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

    void SetText(const char* pszText);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);

    CString m_strText;
};

class CAccountWizard : public CPropertySheetImpl<CAccountWizard>
{
public:
    enum
    {
        MODE_PROPERTIES = 0,
        MODE_WIZARD = 1
    };

    // pTable, when given, holds the record as its current row: the password is read through it.
    CAccountWizard(CAccountsRecord& record, int nMode, CAccountsTable* pTable = NULL);
    ~CAccountWizard();

    BEGIN_MSG_MAP(CAccountWizard)
        COMMAND_ID_HANDLER(ID_SET_TITLE, OnSetTitle)
        COMMAND_ID_HANDLER(ID_SHOW_WINDOW, OnShowPage)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        CHAIN_MSG_MAP(CPropertySheetImpl<CAccountWizard>)
    END_MSG_MAP()

    void OnSheetInitialized();
    LRESULT OnSetTitle(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnShowPage(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL& bHandled);

    // Modal over the parent; 1 when Finish or OK stored every page, else 0.
    INT_PTR Run(HWND hWndParent);
    // Every page that was shown stores its fields in page order; false at the first refusal.
    bool StoreAll();

    CPageAccountName m_pageName;
    CPageAccountAddress m_pageAddress;
    CPageAccountServers m_pageServers;
    CPageAccountLogon m_pageLogon;
    CPageAccountAdvanced m_pageAdvanced;
    CPageAccountFinish m_pageFinish;
    CString m_strTitle;
    CAccountTitleStrip m_titleStrip;
    int m_nMode;
    bool m_bStored = false;

private:
    // The captions of the pages in sheet order.
    const char* PageCaption(int nIndex) const;
    int PageCount() const { return 5; }
};

// The runWizard of the store's AddAccount: the wizard over a new account's record; 1 on Finish.
int RunNewAccountWizard(CAccountsRecord& record, HWND hWndParent);

// The Mail Rules page of the Message Rules sheet: the rules in chain order with their enabled boxes, the
// commands that create, change, remove and reorder them, and the description of the selected ones.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atldlgs.h>
#include <atlstr.h>

#include <memory>

#include "resources/resource.h"
#include "store/MessageRuleSet.h"
#include "ui/options/HTMLServer.h"
#include "ui/options/RuleWindowTexts.h"
#include "ui/options/RulesHelp.h"

class CPageMessageRulesMail : public CPropertyPageImpl<CPageMessageRulesMail>
{
public:
    enum
    {
        IDD = IDD_RULES_MAIL
    };

    BEGIN_MSG_MAP(CPageMessageRulesMail)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_HANDLER(IDC_RULES_LIST, NM_CLICK, OnListClick)
        NOTIFY_HANDLER(IDC_RULES_LIST, LVN_KEYDOWN, OnListKey)
        NOTIFY_HANDLER(IDC_RULES_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_RULES_LIST, NM_DBLCLK, OnDoubleClick)
        COMMAND_ID_HANDLER(IDC_RULES_MODIFY, OnModify)
        COMMAND_ID_HANDLER(IDC_RULES_NEW, OnNew)
        COMMAND_ID_HANDLER(IDC_RULES_COPY, OnCopy)
        COMMAND_ID_HANDLER(IDC_RULES_REMOVE, OnRemove)
        COMMAND_ID_HANDLER(IDC_RULES_UP, OnMoveUp)
        COMMAND_ID_HANDLER(IDC_RULES_DOWN, OnMoveDown)
        COMMAND_ID_HANDLER(ID_STATE_CHANGED, OnStateChanged)
        COMMAND_ID_HANDLER(ID_HTML_LINK_REQUESTED, OnLinkRequested)
        COMMAND_ID_HANDLER(ID_GET_HTML_TEXT, OnGetHtmlText)
        COMMAND_ID_HANDLER(ID_SET_STATUSBAR_2, OnIgnore)
        CHAIN_MSG_MAP_MEMBER(m_help)
        CHAIN_MSG_MAP(CPropertyPageImpl<CPageMessageRulesMail>)
    END_MSG_MAP()

    // hWndOwner: the main window, which gives the database; rules: the set the page edits.
    CPageMessageRulesMail(HWND hWndOwner, CMessageRuleSet& rules);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnListKey(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    LRESULT OnDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnModify(WORD, WORD, HWND, BOOL&);
    LRESULT OnNew(WORD, WORD, HWND, BOOL&);
    LRESULT OnCopy(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
    LRESULT OnMoveUp(WORD, WORD, HWND, BOOL&);
    LRESULT OnMoveDown(WORD, WORD, HWND, BOOL&);
    LRESULT OnStateChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnLinkRequested(WORD, WORD, HWND, BOOL&);
    LRESULT OnGetHtmlText(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnIgnore(WORD, WORD, HWND, BOOL&) { return 0; }

    // OK saves (0 keeps the sheet open); Cancel reads the stored rules again.
    int OnApply();
    void OnReset();

    // The description of the selected rules, each with its head, then the foot.
    CString DescriptionHtml() const;
    CMessageRule* SelectedRule() const;

    HWND m_hWndOwner;
    CMessageRuleSet& m_rules;
    CListViewCtrl m_list;
    LONG m_nLastRuleID = 0;
    std::unique_ptr<CHTMLServer> m_pServer;
    CRulesHelp m_help{false};

private:
    void FillList();
    void UpdateButtons();
    void ShowDescription();
    void NewRule(const CMessageRule* pSource);
    void ModifyRule();
    void SelectItem(int nItem);
};

// Runs the Message Rules sheet over hWndParent (the main window): Windows Sockets and the socket handler
// window live as long as the sheet.
INT_PTR RunMessageRulesSheet(HWND hWndParent);
// Makes the main window's Message Rules command open the sheet.
void InstallMessageRulesSheet();

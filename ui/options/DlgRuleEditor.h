// The rule editor: which conditions and actions a rule has, their values through the description's links,
// and the rule's name.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atlstr.h>
#include <atlwin.h>

#include <memory>

#include "resources/resource.h"
#include "store/MessageRuleSet.h"
#include "ui/options/HTMLServer.h"
#include "ui/options/RuleWindowTexts.h"
#include "ui/options/RulesHelp.h"

// Results of following a list's check boxes.
enum
{
    RULE_SYNC_FINE = 0,
    RULE_SYNC_NO_CONDITION = 1,
    RULE_SYNC_NO_ACTION = 2,
    RULE_SYNC_INCOMPLETE = 3
};

// Makes the rule's conditions (or actions) follow the list's check boxes: an unticked item removes its
// element, a ticked one adds a new element with empty values (To and Cc match any one value).
int SyncRuleElements(HWND hWndOwner, CSession* pSession, CMessageRule& rule, HWND hWndList, bool bActions);
// Fills the editor's list of conditions (or actions) and ticks what the rule holds.
void FillRuleElementList(HWND hWndList, const CMessageRule& rule, bool bActions);

class CDlgRuleEditor : public CDialogImpl<CDlgRuleEditor>
{
public:
    enum
    {
        IDD = IDD_RULE_EDITOR
    };

    BEGIN_MSG_MAP(CDlgRuleEditor)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_CODE_HANDLER(NM_CLICK, OnListClick)
        NOTIFY_CODE_HANDLER(LVN_KEYDOWN, OnListKey)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(ID_STATE_CHANGED, OnConditionsChanged)
        COMMAND_ID_HANDLER(ID_ACTIONS_STATE_CHANGED, OnActionsChanged)
        COMMAND_ID_HANDLER(ID_HTML_LINK_REQUESTED, OnLinkRequested)
        COMMAND_ID_HANDLER(ID_GET_HTML_TEXT, OnGetHtmlText)
        COMMAND_ID_HANDLER(ID_SET_STATUSBAR_2, OnIgnore)
        CHAIN_MSG_MAP_MEMBER(m_help)
    END_MSG_MAP()

    // hWndOwner: the main window (database, folders); the set is what the name is compared with.
    CDlgRuleEditor(HWND hWndOwner, CMessageRuleSet& rules, CMessageRule& rule, bool bModify)
        : m_hWndOwner(hWndOwner), m_rules(rules), m_rule(rule), m_bModify(bModify)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnListKey(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnConditionsChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnActionsChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnLinkRequested(WORD, WORD, HWND, BOOL&);
    LRESULT OnGetHtmlText(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnIgnore(WORD, WORD, HWND, BOOL&) { return 0; }

    void ShowDescription(const char* pszFileName = NULL);
    CString DescriptionHtml() const;

    HWND m_hWndOwner;
    CMessageRuleSet& m_rules;
    CMessageRule& m_rule;
    bool m_bModify;
    std::unique_ptr<CHTMLServer> m_pServer;
    CRulesHelp m_help{true};
};

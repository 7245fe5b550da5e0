// The rule editor.
#include "ui/options/DlgRuleEditor.h"

#include <algorithm>

#include "app/ManagerCommands.h"
#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "store/RuleTexts.h"
#include "ui/options/RuleValueDialogs.h"

namespace
{
struct CElementItem
{
    const char* pszText;
    BYTE nType;
};
const CElementItem kConditionItems[] = {{RuleWindowText::kFromItem, RULE_FROM},
                                        {RuleWindowText::kToItem, RULE_TO},
                                        {RuleWindowText::kCcItem, RULE_CC},
                                        {RuleWindowText::kSubjectItem, RULE_SUBJECT},
                                        {RuleWindowText::kBodyItem, RULE_BODY}};
const CElementItem kActionItems[] = {{RuleWindowText::kMoveItem, RULE_MOVE},
                                     {RuleWindowText::kCopyItem, RULE_COPY},
                                     {RuleWindowText::kDeleteItem, RULE_DELETE},
                                     {RuleWindowText::kForwardItem, RULE_FORWARD}};

// A click on the check box: within the first 20 pixels of the list.
bool IsCheckBoxClick(HWND hWndList)
{
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(hWndList, &pt);
    return pt.x <= 20;
}

CSession* RulesSession(CMessageRuleSet& rules)
{
    return rules.m_pSession;
}
} // namespace

void FillRuleElementList(HWND hWndList, const CMessageRule& rule, bool bActions)
{
    CListViewCtrl list(hWndList);
    list.SetExtendedListViewStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                  LVS_EX_SUBITEMIMAGES);
    RECT rc = {};
    list.GetClientRect(&rc);
    list.InsertColumn(0, "", LVCFMT_LEFT, rc.right - rc.left);
    const CElementItem* pItems = bActions ? kActionItems : kConditionItems;
    const int nItems = bActions ? (int)(sizeof(kActionItems) / sizeof(kActionItems[0]))
                                : (int)(sizeof(kConditionItems) / sizeof(kConditionItems[0]));
    for (int i = 0; i < nItems; i++)
    {
        list.InsertItem(i, pItems[i].pszText);
        list.SetItemData(i, pItems[i].nType);
        ListView_SetCheckState(list.m_hWnd, i, rule.Find(pItems[i].nType) != NULL);
    }
}

int SyncRuleElements(HWND hWndOwner, CSession* pSession, CMessageRule& rule, HWND hWndList, bool bActions)
{
    CListViewCtrl list(hWndList);
    auto& elements = bActions ? rule.m_Actions : rule.m_Conditions;
    bool bIncomplete = false;
    for (int i = 0; i < list.GetItemCount(); i++)
    {
        const BYTE nType = (BYTE)list.GetItemData(i);
        const bool bTicked = ListView_GetCheckState(list.m_hWnd, i) != FALSE;
        auto it = std::find_if(elements.begin(), elements.end(),
                               [nType](const std::unique_ptr<CRuleCondition>& p) { return p->m_Type == nType; });
        if (it != elements.end())
        {
            if (!bTicked)
                elements.erase(it);
            else if ((*it)->IsIncomplete(hWndOwner, pSession))
                bIncomplete = true;
        }
        else if (bTicked)
        {
            const LONG nFlags = nType == RULE_TO || nType == RULE_CC ? CONDITION_CONTAINS | CONDITION_ANY_VALUE
                                                                     : CONDITION_CONTAINS;
            elements.emplace_back(new CRuleCondition(nType, nFlags));
            if (elements.back()->IsIncomplete(hWndOwner, pSession))
                bIncomplete = true;
        }
    }
    if (bIncomplete)
        return RULE_SYNC_INCOMPLETE;
    if (elements.empty())
        return bActions ? RULE_SYNC_NO_ACTION : RULE_SYNC_NO_CONDITION;
    return RULE_SYNC_FINE;
}

LRESULT CDlgRuleEditor::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SetWindowTextA(RuleString(m_bModify ? IDS_RULE_EDIT_TITLE : IDS_RULE_NEW_TITLE));
    FillRuleElementList(GetDlgItem(IDC_RULE_CONDITIONS), m_rule, false);
    FillRuleElementList(GetDlgItem(IDC_RULE_ACTIONS), m_rule, true);
    SetDlgItemTextA(IDC_RULE_NAME, m_rule.m_Name);
    try
    {
        m_pServer.reset(new CHTMLServer(m_hWnd));
        m_pServer->CreatePane(IDC_RULES_PLACEHOLDER);
        ShowDescription("RuleDescription.htm");
    }
    catch (CException* pException)
    {
        DebugTrace("%s\n", (const char*)pException->m_strMessage);
        delete pException;
    }
    return TRUE;
}

LRESULT CDlgRuleEditor::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_pServer)
        m_pServer->DestroyPane();
    m_pServer.reset();
    bHandled = FALSE;
    return 0;
}

LRESULT CDlgRuleEditor::OnListClick(int nID, LPNMHDR pnmh, BOOL& bHandled)
{
    if (nID != IDC_RULE_CONDITIONS && nID != IDC_RULE_ACTIONS)
    {
        bHandled = FALSE;
        return 0;
    }
    if (IsCheckBoxClick(pnmh->hwndFrom))
        PostMessageA(WM_COMMAND, nID == IDC_RULE_CONDITIONS ? ID_STATE_CHANGED : ID_ACTIONS_STATE_CHANGED);
    return 0;
}

LRESULT CDlgRuleEditor::OnListKey(int nID, LPNMHDR pnmh, BOOL& bHandled)
{
    if (nID != IDC_RULE_CONDITIONS && nID != IDC_RULE_ACTIONS)
    {
        bHandled = FALSE;
        return 0;
    }
    if (((NMLVKEYDOWN*)pnmh)->wVKey == VK_SPACE)
        PostMessageA(WM_COMMAND, nID == IDC_RULE_CONDITIONS ? ID_STATE_CHANGED : ID_ACTIONS_STATE_CHANGED);
    return 0;
}

LRESULT CDlgRuleEditor::OnOK(WORD, WORD, HWND, BOOL&)
{
    char szName[64] = {};
    CDlgFields fields(this);
    if (!fields.GetText(IDC_RULE_NAME, szName, sizeof(szName), IDC_RULE_NAME_LABEL, TRUE))
        return 0;
    // The table compares names without case: a name that differs from another rule's only in case would
    // fail the save.
    if (m_rules.IsNameTaken(szName, &m_rule))
    {
        AppMessageBox(RuleString(IDS_RULE_DUPLICATE_NAME), MB_ICONSTOP, m_hWnd);
        ::SetFocus(GetDlgItem(IDC_RULE_NAME));
        return 0;
    }
    memset(m_rule.m_Name, 0, sizeof(m_rule.m_Name));
    strncpy(m_rule.m_Name, szName, sizeof(m_rule.m_Name) - 1);
    int nResult = SyncRuleElements(m_hWndOwner, RulesSession(m_rules), m_rule, GetDlgItem(IDC_RULE_CONDITIONS), false);
    if (nResult != RULE_SYNC_FINE)
    {
        AppMessageBox(RuleString(nResult == RULE_SYNC_NO_CONDITION ? IDS_RULE_NO_CRITERIA : IDS_RULE_INCOMPLETE),
                      MB_ICONSTOP, m_hWnd);
        ::SetFocus(GetDlgItem(IDC_RULE_CONDITIONS));
        return 0;
    }
    nResult = SyncRuleElements(m_hWndOwner, RulesSession(m_rules), m_rule, GetDlgItem(IDC_RULE_ACTIONS), true);
    if (nResult != RULE_SYNC_FINE)
    {
        AppMessageBox(RuleString(nResult == RULE_SYNC_NO_ACTION ? IDS_RULE_NO_ACTION : IDS_RULE_INCOMPLETE),
                      MB_ICONSTOP, m_hWnd);
        ::SetFocus(GetDlgItem(IDC_RULE_ACTIONS));
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgRuleEditor::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgRuleEditor::OnConditionsChanged(WORD, WORD, HWND, BOOL&)
{
    SyncRuleElements(m_hWndOwner, RulesSession(m_rules), m_rule, GetDlgItem(IDC_RULE_CONDITIONS), false);
    ShowDescription();
    return 0;
}

LRESULT CDlgRuleEditor::OnActionsChanged(WORD, WORD, HWND, BOOL&)
{
    SyncRuleElements(m_hWndOwner, RulesSession(m_rules), m_rule, GetDlgItem(IDC_RULE_ACTIONS), true);
    ShowDescription();
    return 0;
}

LRESULT CDlgRuleEditor::OnLinkRequested(WORD, WORD, HWND hWndCtl, BOOL&)
{
    if (m_pServer)
        m_pServer->CloseRequest();
    EditRuleValue(m_hWndOwner, m_hWnd, m_rule, (int)(INT_PTR)hWndCtl);
    ShowDescription("RuleDescription.htm");
    return 0;
}

LRESULT CDlgRuleEditor::OnGetHtmlText(WORD, WORD, HWND hWndCtl, BOOL&)
{
    if (hWndCtl != NULL)
        *(CString*)hWndCtl = DescriptionHtml();
    return 0;
}

CString CDlgRuleEditor::DescriptionHtml() const
{
    const int nPort = m_pServer ? (int)m_pServer->m_nPort : CHTMLServer::kFirstPort;
    return m_rule.GetDescriptionHtml(m_hWndOwner, m_rules.m_pSession, nPort) + RuleString(IDS_RULE_PAGE_FOOT);
}

void CDlgRuleEditor::ShowDescription(const char* pszFileName)
{
    if (m_pServer)
        m_pServer->Show(DescriptionHtml(), pszFileName);
}

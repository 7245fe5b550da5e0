// The Mail Rules page and the Message Rules sheet.
#include "ui/options/PageMessageRulesMail.h"

#include <winsock2.h>

#include "app/ManagerCommands.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "store/RuleTexts.h"
#include "transport/SocketMessageHandler.h"
#include "ui/main/MainDialogStandIns.h"
#include "ui/options/DlgRuleEditor.h"
#include "ui/options/RuleValueDialogs.h"

namespace
{
// The handlers' own catch: the map's catch-all would name the window class only.
template <class F> void Guarded(const char* pszUnhandled, F f)
{
    try
    {
        f();
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP);
        delete pException;
    }
    catch (...)
    {
        AppMessageBox(pszUnhandled, MB_ICONSTOP);
    }
}

class CSheetMessageRules : public CPropertySheetImpl<CSheetMessageRules>
{
public:
    BEGIN_MSG_MAP(CSheetMessageRules)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        MESSAGE_HANDLER(PSM_PRESSBUTTON, OnPressButton)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        CHAIN_MSG_MAP(CPropertySheetImpl<CSheetMessageRules>)
    END_MSG_MAP()

    CSheetMessageRules(HWND hWndOwner, CMessageRuleSet& rules)
        : CPropertySheetImpl<CSheetMessageRules>((LPCSTR)NULL), m_page(hWndOwner, rules),
          m_strCaption(RuleString(IDS_MESSAGE_RULES))
    {
        m_psh.dwFlags |= PSH_NOAPPLYNOW;
        AddPage(m_page);
        SetTitle(m_strCaption);
    }

    LRESULT OnOK(WORD, WORD, HWND, BOOL& bHandled)
    {
        // A refused save keeps the sheet open with the rules as they are.
        bHandled = m_page.m_hWnd != NULL && m_page.OnApply() != PSNRET_NOERROR;
        return 0;
    }
    LRESULT OnPressButton(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        if (wParam == PSBTN_OK)
            return OnOK(0, IDOK, NULL, bHandled);
        if (wParam == PSBTN_CANCEL)
            return OnCancel(0, IDCANCEL, NULL, bHandled);
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL& bHandled)
    {
        if (m_page.m_hWnd != NULL)
            m_page.OnReset();
        bHandled = FALSE;
        return 0;
    }

    CPageMessageRulesMail m_page;
    CString m_strCaption;
};

CMessageRuleSet* OwnerRuleSet(HWND hWndOwner)
{
    CDatabaseSession* pDatabase = NULL;
    if (hWndOwner != NULL)
        ::SendMessageA(hWndOwner, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL)
        pDatabase = g_pDatabaseLocal;
    CDatabaseLocal* pLocal = dynamic_cast<CDatabaseLocal*>(pDatabase);
    return pLocal != NULL ? &pLocal->m_Rules : NULL;
}
} // namespace

CPageMessageRulesMail::CPageMessageRulesMail(HWND hWndOwner, CMessageRuleSet& rules)
    : m_hWndOwner(hWndOwner), m_rules(rules)
{
}

LRESULT CPageMessageRulesMail::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_list = GetDlgItem(IDC_RULES_LIST);
    RECT rc = {};
    m_list.GetClientRect(&rc);
    m_list.InsertColumn(0, "", LVCFMT_LEFT, rc.right - rc.left);
    m_list.SetExtendedListViewStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                    LVS_EX_SUBITEMIMAGES);
    try
    {
        m_pServer.reset(new CHTMLServer(m_hWnd));
        m_pServer->CreatePane(IDC_RULES_PLACEHOLDER);
    }
    catch (CException* pException)
    {
        DebugTrace("%s\n", (const char*)pException->m_strMessage);
        delete pException;
        m_pServer.reset();
    }
    FillList();
    UpdateButtons();
    if (!m_rules.HasRules())
        PostMessageA(WM_COMMAND, IDC_RULES_NEW);
    return TRUE;
}

LRESULT CPageMessageRulesMail::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_list.m_hWnd != NULL)
        m_list.DeleteAllItems();
    if (m_pServer)
        m_pServer->DestroyPane();
    m_pServer.reset();
    bHandled = FALSE;
    return 0;
}

void CPageMessageRulesMail::FillList()
{
    m_list.DeleteAllItems();
    m_nLastRuleID = 0;
    int nItem = 0;
    for (CMessageRule* pRule : m_rules.ChainOrder())
    {
        m_list.InsertItem(nItem, pRule->m_Name);
        m_list.SetItemData(nItem, (DWORD_PTR)pRule);
        ListView_SetCheckState(m_list.m_hWnd, nItem, (pRule->m_Flags & RULE_ENABLED) != 0);
        m_nLastRuleID = pRule->m_ID;
        nItem++;
    }
}

void CPageMessageRulesMail::UpdateButtons()
{
    const int nSelected = m_list.GetNextItem(-1, LVNI_SELECTED);
    const bool bAny = m_list.GetSelectedCount() > 0;
    ::EnableWindow(GetDlgItem(IDC_RULES_MODIFY), bAny);
    ::EnableWindow(GetDlgItem(IDC_RULES_COPY), bAny);
    ::EnableWindow(GetDlgItem(IDC_RULES_REMOVE), bAny);
    ::EnableWindow(GetDlgItem(IDC_RULES_UP), nSelected > 0);
    ::EnableWindow(GetDlgItem(IDC_RULES_DOWN), nSelected >= 0 && nSelected < m_list.GetItemCount() - 1);
}

CMessageRule* CPageMessageRulesMail::SelectedRule() const
{
    if (m_list.GetSelectedCount() != 1)
        return NULL;
    const int nItem = m_list.GetNextItem(-1, LVNI_SELECTED);
    return nItem >= 0 ? (CMessageRule*)m_list.GetItemData(nItem) : NULL;
}

CString CPageMessageRulesMail::DescriptionHtml() const
{
    const int nPort = m_pServer ? (int)m_pServer->m_nPort : CHTMLServer::kFirstPort;
    CString strHtml;
    for (int nItem = m_list.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = m_list.GetNextItem(nItem, LVNI_SELECTED))
        strHtml += ((CMessageRule*)m_list.GetItemData(nItem))->GetDescriptionHtml(m_hWndOwner, m_rules.m_pSession,
                                                                                    nPort);
    if (strHtml.IsEmpty())
        strHtml = RuleString(IDS_RULE_PAGE_HEAD);
    return strHtml + RuleString(IDS_RULE_PAGE_FOOT);
}

void CPageMessageRulesMail::ShowDescription()
{
    if (m_pServer)
        m_pServer->Show(DescriptionHtml());
}

void CPageMessageRulesMail::SelectItem(int nItem)
{
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(nItem, FALSE);
}

LRESULT CPageMessageRulesMail::OnListClick(int, LPNMHDR, BOOL&)
{
    POINT pt = {};
    ::GetCursorPos(&pt);
    m_list.ScreenToClient(&pt);
    if (pt.x <= 20)
        PostMessageA(WM_COMMAND, ID_STATE_CHANGED);
    return 0;
}

LRESULT CPageMessageRulesMail::OnListKey(int, LPNMHDR pnmh, BOOL&)
{
    if (((NMLVKEYDOWN*)pnmh)->wVKey == VK_SPACE)
        PostMessageA(WM_COMMAND, ID_STATE_CHANGED);
    return 0;
}

LRESULT CPageMessageRulesMail::OnItemChanged(int, LPNMHDR, BOOL&)
{
    Guarded(RuleWindowText::kPageUnhandled, [&] { ShowDescription(); });
    UpdateButtons();
    return 0;
}

LRESULT CPageMessageRulesMail::OnDoubleClick(int, LPNMHDR, BOOL&)
{
    ModifyRule();
    return 0;
}

LRESULT CPageMessageRulesMail::OnModify(WORD, WORD, HWND, BOOL&)
{
    ModifyRule();
    return 0;
}

void CPageMessageRulesMail::ModifyRule()
{
    Guarded(RuleWindowText::kModifyUnhandled, [&] {
        CMessageRule* pRule = SelectedRule();
        if (pRule == NULL)
            return;
        CDlgRuleEditor editor(m_hWndOwner, m_rules, *pRule, true);
        editor.DoModal(m_hWnd);
        const int nItem = m_list.GetNextItem(-1, LVNI_SELECTED);
        m_list.SetItemText(nItem, 0, pRule->m_Name);
        ShowDescription();
    });
}

LRESULT CPageMessageRulesMail::OnNew(WORD, WORD, HWND, BOOL&)
{
    NewRule(NULL);
    return 0;
}

LRESULT CPageMessageRulesMail::OnCopy(WORD, WORD, HWND, BOOL&)
{
    if (CMessageRule* pSource = SelectedRule())
        NewRule(pSource);
    return 0;
}

void CPageMessageRulesMail::NewRule(const CMessageRule* pSource)
{
    Guarded(RuleWindowText::kNewUnhandled, [&] {
        CMessageRule* pRule = m_rules.AddRule(pSource);
        for (;;)
        {
            CDlgRuleEditor editor(m_hWndOwner, m_rules, *pRule, false);
            if (editor.DoModal(m_hWnd) != IDOK)
            {
                m_rules.Remove(pRule);
                return;
            }
            if (!m_rules.IsNameTaken(pRule->m_Name, pRule))
                break;
            AppMessageBox(RuleString(IDS_RULE_DUPLICATE_STRING), MB_ICONSTOP, m_hWnd);
        }
        FillList();
        for (int nItem = 0; nItem < m_list.GetItemCount(); nItem++)
            if ((CMessageRule*)m_list.GetItemData(nItem) == pRule)
                SelectItem(nItem);
        UpdateButtons();
    });
}

LRESULT CPageMessageRulesMail::OnRemove(WORD, WORD, HWND, BOOL&)
{
    CMessageRule* pRule = SelectedRule();
    if (pRule == NULL)
        return 0;
    const int nItem = m_list.GetNextItem(-1, LVNI_SELECTED);
    m_rules.Remove(pRule);
    m_list.DeleteItem(nItem);
    if (m_pServer)
        m_pServer->Show(RuleString(IDS_RULE_PAGE_HEAD) + RuleString(IDS_RULE_PAGE_FOOT));
    UpdateButtons();
    return 0;
}

LRESULT CPageMessageRulesMail::OnMoveUp(WORD, WORD, HWND, BOOL&)
{
    CMessageRule* pRule = SelectedRule();
    if (pRule == NULL)
        return 0;
    if (!m_rules.MoveUp(pRule))
    {
        AppMessageBox(RuleString(IDS_RULE_FIRST), MB_ICONINFORMATION, m_hWnd);
        return 0;
    }
    FillList();
    for (int nItem = 0; nItem < m_list.GetItemCount(); nItem++)
        if ((CMessageRule*)m_list.GetItemData(nItem) == pRule)
            SelectItem(nItem);
    UpdateButtons();
    return 0;
}

LRESULT CPageMessageRulesMail::OnMoveDown(WORD, WORD, HWND, BOOL&)
{
    CMessageRule* pRule = SelectedRule();
    if (pRule == NULL)
        return 0;
    if (!m_rules.MoveDown(pRule))
    {
        AppMessageBox(RuleString(IDS_RULE_LAST), MB_ICONINFORMATION, m_hWnd);
        return 0;
    }
    FillList();
    for (int nItem = 0; nItem < m_list.GetItemCount(); nItem++)
        if ((CMessageRule*)m_list.GetItemData(nItem) == pRule)
            SelectItem(nItem);
    UpdateButtons();
    return 0;
}

LRESULT CPageMessageRulesMail::OnStateChanged(WORD, WORD, HWND, BOOL&)
{
    for (int nItem = 0; nItem < m_list.GetItemCount(); nItem++)
    {
        CMessageRule* pRule = (CMessageRule*)m_list.GetItemData(nItem);
        const bool bChecked = ListView_GetCheckState(m_list.m_hWnd, nItem) != FALSE;
        if (bChecked == ((pRule->m_Flags & RULE_ENABLED) != 0))
            continue;
        SelectItem(nItem);
        pRule->m_Flags ^= RULE_ENABLED;
        Guarded(RuleWindowText::kPageUnhandled, [&] { ShowDescription(); });
    }
    return 0;
}

LRESULT CPageMessageRulesMail::OnLinkRequested(WORD, WORD, HWND hWndCtl, BOOL&)
{
    if (m_pServer)
        m_pServer->CloseRequest();
    // Without exactly one selected rule a link has nothing to edit.
    CMessageRule* pRule = SelectedRule();
    if (pRule == NULL)
        return 0;
    Guarded(RuleWindowText::kPageUnhandled, [&] {
        EditRuleValue(m_hWndOwner, m_hWnd, *pRule, (int)(INT_PTR)hWndCtl);
        ShowDescription();
    });
    return 0;
}

LRESULT CPageMessageRulesMail::OnGetHtmlText(WORD, WORD, HWND hWndCtl, BOOL&)
{
    if (hWndCtl != NULL)
        *(CString*)hWndCtl = DescriptionHtml();
    return 0;
}

int CPageMessageRulesMail::OnApply()
{
    return m_rules.Save(m_hWndOwner) != 0 ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
}

void CPageMessageRulesMail::OnReset()
{
    Guarded(RuleWindowText::kPageUnhandled, [&] { m_rules.Load(m_hWndOwner); });
}

INT_PTR RunMessageRulesSheet(HWND hWndParent)
{
    CMessageRuleSet* pRules = OwnerRuleSet(hWndParent);
    if (pRules == NULL)
        return IDCANCEL;
    WSADATA wsaData;
    if (::WSAStartup(MAKEWORD(1, 1), &wsaData) != 0)
        return IDCANCEL;
    CSocketMessageHandler::Instance().Create();
    INT_PTR nResult = IDCANCEL;
    {
        CSheetMessageRules sheet(hWndParent, *pRules);
        nResult = sheet.DoModal(hWndParent);
    }
    CSocketMessageHandler::Instance().Destroy();
    ::WSACleanup();
    return nResult;
}

void InstallMessageRulesSheet()
{
    CMainDialogs::RunMessageRulesSheet = RunMessageRulesSheet;
}

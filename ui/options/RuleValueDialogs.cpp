// The value dialogs of a rule.
#include "ui/options/RuleValueDialogs.h"

#include "content/AddressList.h"
#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TextServices.h"
#include "store/RuleTexts.h"
#include "ui/main/DlgChoiceFolder.h"
#include "ui/options/RuleWindowTexts.h"

namespace
{
BOOL NoRecipients(HWND, const char*, const char*, CString&)
{
    return FALSE;
}

SelectRuleRecipientsProc s_pfnSelectRecipients = NoRecipients;

// A value of at most 63 characters fits the Name column.
const int kValueBuffer = 64;

CString ItemText(HWND hWnd, int nID)
{
    CString strText;
    HWND hWndItem = ::GetDlgItem(hWnd, nID);
    const int nLength = ::GetWindowTextLengthA(hWndItem);
    if (nLength > 0)
    {
        ::GetWindowTextA(hWndItem, strText.GetBuffer(nLength + 1), nLength + 1);
        strText.ReleaseBuffer();
    }
    return strText;
}

std::vector<CString> Names(const CRuleCondition& condition)
{
    std::vector<CString> names;
    if (const std::vector<CRuleValue>* pValues = condition.GetValues())
        for (const CRuleValue& value : *pValues)
            names.push_back(value.m_Name);
    return names;
}

void StoreNames(CRuleCondition& condition, const std::vector<CString>& names)
{
    std::vector<CRuleValue>* pValues = condition.GetValues();
    if (pValues == NULL)
        return;
    pValues->clear();
    for (const CString& strName : names)
    {
        CRuleValue value;
        value.m_ConditionID = condition.m_ID;
        value.m_Type = condition.m_Type;
        strncpy(value.m_Name, strName, sizeof(value.m_Name) - 1);
        pValues->push_back(value);
    }
}

const char* BookLabel(int nType)
{
    switch (nType)
    {
    case RULE_FROM: return "From->";
    case RULE_TO: return "To:->";
    case RULE_CC: return "Cc:->";
    default: return "";
    }
}

void FillListBox(HWND hWndList, const std::vector<CString>& lines)
{
    ::SendMessageA(hWndList, LB_RESETCONTENT, 0, 0);
    for (const CString& strLine : lines)
        ::SendMessageA(hWndList, LB_ADDSTRING, 0, (LPARAM)(const char*)strLine);
}
} // namespace

SelectRuleRecipientsProc SetSelectRuleRecipients(SelectRuleRecipientsProc pfnSelect)
{
    SelectRuleRecipientsProc pfnPrevious = s_pfnSelectRecipients;
    s_pfnSelectRecipients = pfnSelect != NULL ? pfnSelect : NoRecipients;
    return pfnPrevious;
}

CString ValueListHeading(int nType, LONG nFlags)
{
    const bool bContains = (nFlags & CONDITION_CONTAINS) != 0;
    switch (nType)
    {
    case RULE_FROM: return RuleString(bContains ? IDS_RULE_FROM_CONTAINS : IDS_RULE_FROM_NOT_CONTAINS);
    case RULE_SUBJECT: return RuleString(bContains ? IDS_RULE_SUBJECT_CONTAINS : IDS_RULE_SUBJECT_NOT_CONTAINS);
    case RULE_TO: return RuleString(bContains ? IDS_RULE_TO_CONTAINS : IDS_RULE_TO_NOT_CONTAINS);
    case RULE_BODY: return RuleString(bContains ? IDS_RULE_BODY_CONTAINS : IDS_RULE_BODY_NOT_CONTAINS);
    case RULE_CC: return RuleString(bContains ? IDS_RULE_CC_CONTAINS : IDS_RULE_CC_NOT_CONTAINS);
    default: return CString();
    }
}

std::vector<CString> ValueListLines(int nType, LONG nFlags, const std::vector<CString>& values)
{
    std::vector<CString> lines;
    lines.push_back(ValueListHeading(nType, nFlags));
    for (size_t i = 0; i < values.size(); i++)
    {
        const CString strWord =
            i == 0 ? CString() : RuleString((nFlags & CONDITION_ANY_VALUE) != 0 ? IDS_RULE_OR : IDS_RULE_AND);
        lines.push_back(strWord + " '" + values[i] + "'");
    }
    return lines;
}

void EditConditionValues(HWND hWndOwner, HWND hWndParent, CRuleCondition& condition)
{
    switch (condition.m_Type)
    {
    case RULE_FROM:
    case RULE_TO:
    case RULE_CC:
    case RULE_SUBJECT:
    case RULE_BODY:
    {
        CDlgRuleValues dlg(condition);
        dlg.DoModal(hWndParent);
        return;
    }
    case RULE_FORWARD:
    {
        CDlgRuleForward dlg(condition);
        dlg.DoModal(hWndParent);
        return;
    }
    case RULE_MOVE:
    case RULE_COPY:
    {
        std::vector<CString> names = Names(condition);
        if (names.empty())
            names.push_back("0");
        names.erase(names.begin(), names.end() - 1);
        StoreNames(condition, names);
        const CString strCaption = condition.m_Type == RULE_COPY ? RuleString(IDS_RULE_COPY_CAPTION) : CString();
        CDlgChoiceFolder dlg(hWndOwner, atol(names[0]),
                             strCaption.IsEmpty() ? NULL : (const char*)strCaption);
        if (dlg.DoModal(hWndParent) != IDOK)
            return;
        CString strID;
        strID.Format("%ld", (long)dlg.m_nChosenID);
        StoreNames(condition, {strID});
        return;
    }
    }
}

void EditRuleValue(HWND hWndOwner, HWND hWndParent, CMessageRule& rule, int nType)
{
    if (nType == RULE_AND_OR)
    {
        CDlgRuleAndOr dlg(rule);
        dlg.DoModal(hWndParent);
        return;
    }
    if (CRuleCondition* pCondition = rule.Find(nType))
        EditConditionValues(hWndOwner, hWndParent, *pCondition);
}

LRESULT CDlgRuleAndOr::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CheckRadioButton(IDC_RULE_MATCH_ALL, IDC_RULE_MATCH_ANY,
                     (m_rule.m_Flags & RULE_ANY_CONDITION) != 0 ? IDC_RULE_MATCH_ANY : IDC_RULE_MATCH_ALL);
    return TRUE;
}

LRESULT CDlgRuleAndOr::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (IsDlgButtonChecked(IDC_RULE_MATCH_ANY) == BST_CHECKED)
        m_rule.m_Flags |= RULE_ANY_CONDITION;
    else
        m_rule.m_Flags &= ~RULE_ANY_CONDITION;
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgRuleAndOr::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgRuleOptions::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CheckRadioButton(IDC_RULE_CONTAINS, IDC_RULE_NOT_CONTAINS,
                     (m_nFlags & CONDITION_CONTAINS) != 0 ? IDC_RULE_CONTAINS : IDC_RULE_NOT_CONTAINS);
    CheckRadioButton(IDC_RULE_MATCH_ALL, IDC_RULE_MATCH_ANY,
                     (m_nFlags & CONDITION_ANY_VALUE) != 0 ? IDC_RULE_MATCH_ANY : IDC_RULE_MATCH_ALL);
    // All or any means something only with two values or more.
    ::EnableWindow(GetDlgItem(IDC_RULE_MATCH_ALL), m_values.size() >= 2);
    ::EnableWindow(GetDlgItem(IDC_RULE_MATCH_ANY), m_values.size() >= 2);
    Redraw();
    return TRUE;
}

LONG CDlgRuleOptions::ChosenFlags() const
{
    LONG nFlags = 0;
    if (IsDlgButtonChecked(IDC_RULE_CONTAINS) == BST_CHECKED)
        nFlags |= CONDITION_CONTAINS;
    if (IsDlgButtonChecked(IDC_RULE_MATCH_ANY) == BST_CHECKED)
        nFlags |= CONDITION_ANY_VALUE;
    return nFlags;
}

void CDlgRuleOptions::Redraw()
{
    FillListBox(GetDlgItem(IDC_RULE_VALUES), ValueListLines(m_nType, ChosenFlags(), m_values));
}

LRESULT CDlgRuleOptions::OnChoice(WORD, WORD, HWND, BOOL&)
{
    Redraw();
    return 0;
}

LRESULT CDlgRuleOptions::OnOK(WORD, WORD, HWND, BOOL&)
{
    m_nFlags = ChosenFlags();
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgRuleOptions::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

CDlgRuleValues::CDlgRuleValues(CRuleCondition& condition)
    : IDD(condition.m_Type == RULE_SUBJECT || condition.m_Type == RULE_BODY ? IDD_RULE_WORDS : IDD_RULE_PEOPLE),
      m_condition(condition), m_nFlags(condition.m_Flags), m_values(Names(condition))
{
}

bool CDlgRuleValues::IsPeople() const
{
    return IDD == IDD_RULE_PEOPLE;
}

LRESULT CDlgRuleValues::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    SendDlgItemMessageA(IDC_RULE_VALUE, EM_LIMITTEXT, 255, 0);
    Rebuild();
    return TRUE;
}

void CDlgRuleValues::Rebuild()
{
    FillListBox(GetDlgItem(IDC_RULE_VALUES), ValueListLines(m_condition.m_Type, m_nFlags, m_values));
    UpdateButtons();
}

void CDlgRuleValues::UpdateButtons()
{
    const LRESULT nSelected = SendDlgItemMessageA(IDC_RULE_VALUES, LB_GETCURSEL, 0, 0);
    ::EnableWindow(GetDlgItem(IDC_RULE_VALUE_ADD), ::GetWindowTextLengthA(GetDlgItem(IDC_RULE_VALUE)) > 0);
    ::EnableWindow(GetDlgItem(IDC_RULE_VALUE_REMOVE), nSelected >= 1);
    ::EnableWindow(GetDlgItem(IDOK), !m_values.empty());
    ::EnableWindow(GetDlgItem(IDC_RULE_VALUE_OPTIONS), !m_values.empty());
}

LRESULT CDlgRuleValues::OnValueChange(WORD, WORD, HWND, BOOL&)
{
    UpdateButtons();
    return 0;
}

LRESULT CDlgRuleValues::OnSelChange(WORD, WORD, HWND, BOOL&)
{
    UpdateButtons();
    return 0;
}

bool CDlgRuleValues::AddValue(const CString& strValue)
{
    if (strValue.GetLength() >= kValueBuffer)
    {
        CString strText;
        strText.Format(RuleString(IDS_RULE_VALUE_TOO_LONG), kValueBuffer);
        AppMessageBox(strText, MB_ICONSTOP, m_hWnd);
        ::SetFocus(GetDlgItem(IDC_RULE_VALUE));
        return false;
    }
    // The table keeps a value once per list whatever its letter case.
    for (const CString& strListed : m_values)
        if (strListed.CompareNoCase(strValue) == 0)
        {
            AppMessageBox(RuleString(IDS_RULE_DUPLICATE_STRING), MB_ICONSTOP, m_hWnd);
            ::SetFocus(GetDlgItem(IDC_RULE_VALUE));
            return false;
        }
    m_values.push_back(strValue);
    return true;
}

LRESULT CDlgRuleValues::OnAdd(WORD, WORD, HWND, BOOL&)
{
    const CString strValue = ItemText(m_hWnd, IDC_RULE_VALUE);
    if (strValue.IsEmpty() || !AddValue(strValue))
        return 0;
    SetDlgItemTextA(IDC_RULE_VALUE, "");
    Rebuild();
    return 0;
}

LRESULT CDlgRuleValues::OnRemove(WORD, WORD, HWND, BOOL&)
{
    const LRESULT nSelected = SendDlgItemMessageA(IDC_RULE_VALUES, LB_GETCURSEL, 0, 0);
    if (nSelected < 1 || (size_t)nSelected > m_values.size())
        return 0;
    m_values.erase(m_values.begin() + (nSelected - 1));
    Rebuild();
    return 0;
}

LRESULT CDlgRuleValues::OnBook(WORD, WORD, HWND, BOOL&)
{
    CString strAddresses;
    if (!IsPeople() || !s_pfnSelectRecipients(m_hWnd, BookLabel(m_condition.m_Type), RuleString(IDS_RULE_ADDRESSES),
                                              strAddresses))
        return 0;
    std::vector<CString> entries;
    ParseAddressList(strAddresses, entries, ';');
    for (const CString& strEntry : entries)
    {
        CString strName, strAddress;
        SplitAddress(strEntry, strName, strAddress);
        if (!strAddress.IsEmpty() && !AddValue(strAddress))
            break;
    }
    Rebuild();
    return 0;
}

LRESULT CDlgRuleValues::OnOptions(WORD, WORD, HWND, BOOL&)
{
    CDlgRuleOptions dlg(m_condition.m_Type, m_nFlags, m_values);
    if (dlg.DoModal(m_hWnd) == IDOK)
    {
        m_nFlags = dlg.m_nFlags;
        Rebuild();
    }
    return 0;
}

LRESULT CDlgRuleValues::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (m_values.empty())
        return 0;
    m_condition.m_Flags = m_nFlags;
    StoreNames(m_condition, m_values);
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgRuleValues::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CDlgRuleForward::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CString strText;
    for (const CString& strName : Names(m_condition))
        strText += (strText.IsEmpty() ? "" : "; ") + strName;
    SetDlgItemTextA(IDC_RULE_VALUE, strText);
    return TRUE;
}

LRESULT CDlgRuleForward::OnBook(WORD, WORD, HWND, BOOL&)
{
    CString strAddresses;
    if (!s_pfnSelectRecipients(m_hWnd, "", RuleString(IDS_RULE_ADDRESSES), strAddresses))
        return 0;
    std::vector<CString> entries;
    ParseAddressList(strAddresses, entries, ';');
    CString strText;
    for (const CString& strEntry : entries)
    {
        CString strName, strAddress;
        SplitAddress(strEntry, strName, strAddress);
        if (!strAddress.IsEmpty())
            strText += (strText.IsEmpty() ? "" : "; ") + strAddress;
    }
    SetDlgItemTextA(IDC_RULE_VALUE, strText);
    return 0;
}

LRESULT CDlgRuleForward::OnOK(WORD, WORD, HWND, BOOL&)
{
    char szText[kValueBuffer] = {};
    CDlgFields fields(this);
    if (!fields.GetText(IDC_RULE_VALUE, szText, sizeof(szText), 0, TRUE))
        return 0;
    StoreNames(m_condition, {CString(szText)});
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgRuleForward::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}

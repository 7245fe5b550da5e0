// The value dialogs of a rule: And/Or, the people and words lists with their options, the forward address,
// and the folder choice, opened from the description links of the rules page and the rule editor.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atlstr.h>
#include <atlwin.h>

#include <vector>

#include "resources/resource.h"
#include "store/MessageRuleSet.h"

// The Select Recipients step of the people and forward dialogs: fills strAddresses with a text of addresses
// separated by ";" and returns TRUE on OK. The address book installs its own; until then it offers nothing.
typedef BOOL (*SelectRuleRecipientsProc)(HWND hWndParent, const char* pszLabel, const char* pszCaption,
                                         CString& strAddresses);
SelectRuleRecipientsProc SetSelectRuleRecipients(SelectRuleRecipientsProc pfnSelect);

// Opens the value dialog of the rule's element of that Type (2: the And/Or choice). hWndOwner is the main
// window, which gives the database and the folder tree; the dialogs are modal over hWndParent.
void EditRuleValue(HWND hWndOwner, HWND hWndParent, CMessageRule& rule, int nType);
void EditConditionValues(HWND hWndOwner, HWND hWndParent, CRuleCondition& condition);

// The heading of a value list: "Where the From line contains", by Type and the contains bit.
CString ValueListHeading(int nType, LONG nFlags);
// The list box lines of a value list: the heading, then each value joined by "and" or "or".
std::vector<CString> ValueListLines(int nType, LONG nFlags, const std::vector<CString>& values);

class CDlgRuleAndOr : public CDialogImpl<CDlgRuleAndOr>
{
public:
    enum
    {
        IDD = IDD_RULE_AND_OR
    };
    BEGIN_MSG_MAP(CDlgRuleAndOr)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    explicit CDlgRuleAndOr(CMessageRule& rule) : m_rule(rule) {}
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    CMessageRule& m_rule;
};

class CDlgRuleOptions : public CDialogImpl<CDlgRuleOptions>
{
public:
    enum
    {
        IDD = IDD_RULE_OPTIONS
    };
    BEGIN_MSG_MAP(CDlgRuleOptions)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_RANGE_HANDLER(IDC_RULE_MATCH_ALL, IDC_RULE_MATCH_ANY, OnChoice)
        COMMAND_RANGE_HANDLER(IDC_RULE_CONTAINS, IDC_RULE_NOT_CONTAINS, OnChoice)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    CDlgRuleOptions(int nType, LONG nFlags, const std::vector<CString>& values)
        : m_nType(nType), m_nFlags(nFlags), m_values(values)
    {
    }
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnChoice(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    int m_nType;
    LONG m_nFlags;

private:
    LONG ChosenFlags() const;
    void Redraw();
    std::vector<CString> m_values;
};

// The people (359) and words (301) dialogs share one design; the words dialog has no address book.
class CDlgRuleValues : public CDialogImpl<CDlgRuleValues>
{
public:
    // The template: people or words, chosen by the condition's Type.
    UINT IDD;

    BEGIN_MSG_MAP(CDlgRuleValues)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_HANDLER(IDC_RULE_VALUE, EN_CHANGE, OnValueChange)
        COMMAND_HANDLER(IDC_RULE_VALUES, LBN_SELCHANGE, OnSelChange)
        COMMAND_ID_HANDLER(IDC_RULE_VALUE_ADD, OnAdd)
        COMMAND_ID_HANDLER(IDC_RULE_VALUE_REMOVE, OnRemove)
        COMMAND_ID_HANDLER(IDC_RULE_VALUE_BOOK, OnBook)
        COMMAND_ID_HANDLER(IDC_RULE_VALUE_OPTIONS, OnOptions)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    explicit CDlgRuleValues(CRuleCondition& condition);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnValueChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnSelChange(WORD, WORD, HWND, BOOL&);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemove(WORD, WORD, HWND, BOOL&);
    LRESULT OnBook(WORD, WORD, HWND, BOOL&);
    LRESULT OnOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // Adds a value unless it is too long or listed already in any letter case; false after a refusal.
    bool AddValue(const CString& strValue);

    CRuleCondition& m_condition;
    LONG m_nFlags;
    std::vector<CString> m_values;

private:
    void Rebuild();
    void UpdateButtons();
    bool IsPeople() const;
};

class CDlgRuleForward : public CDialogImpl<CDlgRuleForward>
{
public:
    enum
    {
        IDD = IDD_RULE_FORWARD
    };
    BEGIN_MSG_MAP(CDlgRuleForward)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_RULE_VALUE_BOOK, OnBook)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    explicit CDlgRuleForward(CRuleCondition& condition) : m_condition(condition) {}
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnBook(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    CRuleCondition& m_condition;
};

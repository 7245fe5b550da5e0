// The pop-up help of the rules windows.
#include "ui/options/RulesHelp.h"

#include "resources/resource.h"
#include "ui/options/RuleWindowTexts.h"

namespace
{
struct CHelpEntry
{
    int nID;
    const char* pszText;
};
const CHelpEntry kPageHelp[] = {{IDC_RULES_NEW, RuleWindowText::kHelpNew},
                                {IDC_RULES_MODIFY, RuleWindowText::kHelpModify},
                                {IDC_RULES_COPY, RuleWindowText::kHelpCopy},
                                {IDC_RULES_REMOVE, RuleWindowText::kHelpRemove},
                                {IDC_RULES_UP, RuleWindowText::kHelpUp},
                                {IDC_RULES_DOWN, RuleWindowText::kHelpDown},
                                {IDC_RULES_DESCRIPTION_LABEL, RuleWindowText::kHelpDescription}};
const CHelpEntry kEditorHelp[] = {{IDC_RULE_CONDITIONS, RuleWindowText::kHelpConditions},
                                  {IDC_RULE_ACTIONS, RuleWindowText::kHelpActions},
                                  {IDC_RULE_DESCRIPTION_LABEL, RuleWindowText::kHelpEditorDescription},
                                  {IDC_RULE_NAME, RuleWindowText::kHelpName}};
} // namespace

CString CRulesHelp::GetHelpText(int nIdControl)
{
    if (m_bEditor)
    {
        for (const CHelpEntry& entry : kEditorHelp)
            if (entry.nID == nIdControl)
                return entry.pszText;
    }
    else
    {
        for (const CHelpEntry& entry : kPageHelp)
            if (entry.nID == nIdControl)
                return entry.pszText;
    }
    return CContextualHelp::GetHelpText(nIdControl);
}

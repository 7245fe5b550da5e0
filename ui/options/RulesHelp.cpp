// The pop-up help of the rules windows.
#include "ui/options/RulesHelp.h"

#include "resources/resource.h"
#include "store/RuleTexts.h"

namespace
{
struct CHelpEntry
{
    int nID;
    UINT nIdString;
};
const CHelpEntry kPageHelp[] = {{IDC_RULES_NEW, IDS_HELP_RULE_NEW},
                                {IDC_RULES_MODIFY, IDS_HELP_RULE_MODIFY},
                                {IDC_RULES_COPY, IDS_HELP_RULE_COPY},
                                {IDC_RULES_REMOVE, IDS_HELP_RULE_REMOVE},
                                {IDC_RULES_UP, IDS_HELP_RULE_UP},
                                {IDC_RULES_DOWN, IDS_HELP_RULE_DOWN},
                                {IDC_RULES_DESCRIPTION_LABEL, IDS_HELP_RULE_DESCRIPTION}};
const CHelpEntry kEditorHelp[] = {{IDC_RULE_CONDITIONS, IDS_HELP_RULE_CONDITIONS},
                                  {IDC_RULE_ACTIONS, IDS_HELP_RULE_ACTIONS},
                                  {IDC_RULE_DESCRIPTION_LABEL, IDS_HELP_RULE_EDITOR_DESCRIPTION},
                                  {IDC_RULE_NAME, IDS_HELP_RULE_NAME}};
} // namespace

CString CRulesHelp::GetHelpText(int nIdControl)
{
    if (m_bEditor)
    {
        for (const CHelpEntry& entry : kEditorHelp)
            if (entry.nID == nIdControl)
                return RuleString(entry.nIdString);
    }
    else
    {
        for (const CHelpEntry& entry : kPageHelp)
            if (entry.nID == nIdControl)
                return RuleString(entry.nIdString);
    }
    return CContextualHelp::GetHelpText(nIdControl);
}

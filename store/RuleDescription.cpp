// The description page of a rule: the HTML that the rules page and the rule editor show, with its links.
#include "store/MessageRuleSet.h"

#include "store/RuleTexts.h"

namespace
{
// Values and folder names are the user's or a server's text: never markup of the page.
CString Escape(const char* pszText)
{
    CString strText;
    for (const char* p = pszText; *p != 0; p++)
    {
        switch (*p)
        {
        case '&': strText += "&amp;"; break;
        case '<': strText += "&lt;"; break;
        case '>': strText += "&gt;"; break;
        case '"': strText += "&quot;"; break;
        case '\'': strText += "&#39;"; break;
        default: strText += *p;
        }
    }
    return strText;
}
} // namespace

CString CRuleCondition::GetValuesText() const
{
    const std::vector<CRuleValue>* pValues = GetValues();
    CString strText;
    if (pValues == NULL || pValues->empty())
    {
        switch (m_Type)
        {
        case RULE_FROM:
        case RULE_TO:
        case RULE_CC: return RuleText::kContainsPeople;
        case RULE_SUBJECT:
        case RULE_BODY: return RuleText::kContainsWords;
        case RULE_MOVE:
        case RULE_COPY: return RuleText::kSpecified;
        case RULE_DELETE: return RuleText::kBlank;
        case RULE_FORWARD: return RuleText::kPeople;
        default: return CString();
        }
    }
    if (m_Type == RULE_FORWARD)
        strText = RuleText::kBlank;
    else
        strText = (m_Flags & CONDITION_CONTAINS) != 0 ? RuleText::kContains : RuleText::kNotContains;
    for (size_t i = 0; i < pValues->size(); i++)
    {
        const char* pszWord = i == 0 ? "" : (m_Flags & CONDITION_ANY_VALUE) != 0 ? RuleText::kOr : RuleText::kAnd;
        strText += CString(" ") + pszWord + " '" + Escape((*pValues)[i].m_Name) + "'";
    }
    return strText;
}

CString CRuleCondition::GetFolderText(HWND hOwner, CSession* pSession) const
{
    const std::vector<CRuleValue>* pValues = GetValues();
    const LONG nFolder = pValues != NULL && !pValues->empty() ? atol(pValues->back().m_Name) : 0;
    if (nFolder == 0)
        return RuleText::kSpecified;
    const CString strName = GetRuleFolderName(hOwner, pSession, nFolder);
    return strName.IsEmpty() ? CString(RuleText::kFolderRemoved) : Escape(strName);
}

CString CRuleCondition::GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort,
                                           const char* pszSeparator) const
{
    const char* pszLine = NULL;
    switch (m_Type)
    {
    case RULE_FROM: pszLine = RuleText::kFromLine; break;
    case RULE_TO: pszLine = RuleText::kToLine; break;
    case RULE_CC: pszLine = RuleText::kCcLine; break;
    case RULE_SUBJECT: pszLine = RuleText::kSubjectLine; break;
    case RULE_BODY: pszLine = RuleText::kBodyLine; break;
    }
    CString strLine;
    if (pszLine != NULL)
        strLine.Format(pszLine, nPort, RULE_AND_OR, pszSeparator, nPort, (int)m_Type, (const char*)GetValuesText());
    else if (m_Type == RULE_MOVE || m_Type == RULE_COPY)
        strLine.Format(m_Type == RULE_MOVE ? RuleText::kMoveLine : RuleText::kCopyLine, pszSeparator, nPort,
                       (int)m_Type, (const char*)GetFolderText(hOwner, pSession));
    else if (m_Type == RULE_DELETE)
        strLine.Format(RuleText::kDeleteLine, pszSeparator);
    else if (m_Type == RULE_FORWARD)
        strLine.Format(RuleText::kForwardLine, pszSeparator, nPort, (int)m_Type, (const char*)GetValuesText());
    return strLine;
}

CString CMessageRule::GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort) const
{
    CString strHtml = RuleText::kPageHead;
    strHtml += (m_Flags & RULE_ENABLED) != 0 ? RuleText::kRuleOn : RuleText::kRuleOff;
    const CString strLink =
        CString(" ") + ((m_Flags & RULE_ANY_CONDITION) != 0 ? RuleText::kOr : RuleText::kAnd) + " ";
    for (size_t i = 0; i < m_Conditions.size(); i++)
        strHtml += m_Conditions[i]->GetDescriptionHtml(hOwner, pSession, nPort, i == 0 ? "" : (const char*)strLink);
    const CString strAnd = CString(" ") + RuleText::kAnd + " ";
    for (size_t i = 0; i < m_Actions.size(); i++)
        strHtml += m_Actions[i]->GetDescriptionHtml(hOwner, pSession, nPort, i == 0 ? "" : (const char*)strAnd);
    return strHtml;
}

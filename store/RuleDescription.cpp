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
        case RULE_CC: return RuleString(IDS_RULE_CONTAINS_PEOPLE);
        case RULE_SUBJECT:
        case RULE_BODY: return RuleString(IDS_RULE_CONTAINS_WORDS);
        case RULE_MOVE:
        case RULE_COPY: return RuleString(IDS_RULE_SPECIFIED);
        case RULE_DELETE: return RuleString(IDS_RULE_BLANK);
        case RULE_FORWARD: return RuleString(IDS_RULE_PEOPLE);
        default: return CString();
        }
    }
    if (m_Type == RULE_FORWARD)
        strText = RuleString(IDS_RULE_BLANK);
    else
        strText = RuleString((m_Flags & CONDITION_CONTAINS) != 0 ? IDS_RULE_CONTAINS : IDS_RULE_NOT_CONTAINS);
    const CString strWord = RuleString((m_Flags & CONDITION_ANY_VALUE) != 0 ? IDS_RULE_OR : IDS_RULE_AND);
    for (size_t i = 0; i < pValues->size(); i++)
        strText += CString(" ") + (i == 0 ? CString() : strWord) + " '" + Escape((*pValues)[i].m_Name) + "'";
    return strText;
}

CString CRuleCondition::GetFolderText(HWND hOwner, CSession* pSession) const
{
    const std::vector<CRuleValue>* pValues = GetValues();
    const LONG nFolder = pValues != NULL && !pValues->empty() ? atol(pValues->back().m_Name) : 0;
    if (nFolder == 0)
        return RuleString(IDS_RULE_SPECIFIED);
    const CString strName = GetRuleFolderName(hOwner, pSession, nFolder);
    return strName.IsEmpty() ? RuleString(IDS_RULE_FOLDER_REMOVED) : Escape(strName);
}

CString CRuleCondition::GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort,
                                           const char* pszSeparator) const
{
    UINT nLine = 0;
    switch (m_Type)
    {
    case RULE_FROM: nLine = IDS_RULE_FROM_LINE; break;
    case RULE_TO: nLine = IDS_RULE_TO_LINE; break;
    case RULE_CC: nLine = IDS_RULE_CC_LINE; break;
    case RULE_SUBJECT: nLine = IDS_RULE_SUBJECT_LINE; break;
    case RULE_BODY: nLine = IDS_RULE_BODY_LINE; break;
    }
    CString strLine;
    if (nLine != 0)
        strLine.Format(RuleString(nLine), nPort, RULE_AND_OR, pszSeparator, nPort, (int)m_Type,
                       (const char*)GetValuesText());
    else if (m_Type == RULE_MOVE || m_Type == RULE_COPY)
        strLine.Format(RuleString(m_Type == RULE_MOVE ? IDS_RULE_MOVE_LINE : IDS_RULE_COPY_LINE), pszSeparator,
                       nPort, (int)m_Type, (const char*)GetFolderText(hOwner, pSession));
    else if (m_Type == RULE_DELETE)
        strLine.Format(RuleString(IDS_RULE_DELETE_LINE), pszSeparator);
    else if (m_Type == RULE_FORWARD)
        strLine.Format(RuleString(IDS_RULE_FORWARD_LINE), pszSeparator, nPort, (int)m_Type,
                       (const char*)GetValuesText());
    return strLine;
}

CString CMessageRule::GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort) const
{
    CString strHtml = RuleString(IDS_RULE_PAGE_HEAD);
    strHtml += RuleString((m_Flags & RULE_ENABLED) != 0 ? IDS_RULE_ON : IDS_RULE_OFF);
    const CString strLink =
        CString(" ") + RuleString((m_Flags & RULE_ANY_CONDITION) != 0 ? IDS_RULE_OR : IDS_RULE_AND) + " ";
    for (size_t i = 0; i < m_Conditions.size(); i++)
        strHtml += m_Conditions[i]->GetDescriptionHtml(hOwner, pSession, nPort, i == 0 ? "" : (const char*)strLink);
    const CString strAnd = CString(" ") + RuleString(IDS_RULE_AND) + " ";
    for (size_t i = 0; i < m_Actions.size(); i++)
        strHtml += m_Actions[i]->GetDescriptionHtml(hOwner, pSession, nPort, i == 0 ? "" : (const char*)strAnd);
    return strHtml;
}

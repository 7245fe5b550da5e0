// The message rules in memory: loading, saving in one transaction, chain editing and application.
#include "store/MessageRuleSet.h"

#include <mbstring.h>

#include <algorithm>
#include <set>

#include "content/AddressList.h"
#include "content/EncodedWord.h"
#include "content/MimePart.h"
#include "content/SearchableBody.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TextServices.h"
#include "foundation/TraceFile.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageTableSupport.h"
#include "store/OLEDBException.h"
#include "store/RuleTexts.h"
#include "store/TableSchema.h"

namespace
{
void TraceRules(const CString& strText)
{
    DebugTrace("%s\n", (const char*)strText);
    if (IsTraceOn())
        g_pTraceFile->WriteText(strText);
}

CString Upper(const CString& strText)
{
    CString strUpper = strText;
    if (!strUpper.IsEmpty())
        ::CharUpperBuffA(strUpper.GetBuffer(), strUpper.GetLength());
    strUpper.ReleaseBuffer();
    return strUpper;
}

bool Contains(const CString& strText, const char* pszValue)
{
    return _mbsstr((const unsigned char*)(const char*)strText, (const unsigned char*)pszValue) != NULL;
}

CString Address(const CString& strEntry)
{
    CString strName, strAddress;
    SplitAddress(strEntry, strName, strAddress);
    return Upper(strAddress);
}

CString DecodedHeader(const CMimePart& message, const char* pszField)
{
    return DecodeEncodedWord(message.GetHeaderDeep(pszField, NULL));
}

CSession* OwnerSession(HWND hOwner, CSession* pSession)
{
    return &GetOwnerDatabase(hOwner, pSession)->m_session;
}

// The text of an exception the store or the parser throws, for the trace; frees what it owns.
CString ExceptionText()
{
    try
    {
        throw;
    }
    catch (COLEDBException* pException)
    {
        CString strText = pException->Summary();
        delete pException;
        return strText;
    }
    catch (CException* pException)
    {
        CString strText = pException->m_strMessage;
        delete pException;
        return strText;
    }
    catch (const char* pszText)
    {
        return pszText;
    }
    catch (...)
    {
        return "unknown exception";
    }
}
} // namespace

bool IsConditionType(int nType)
{
    return nType == RULE_FROM || nType == RULE_SUBJECT || nType == RULE_TO || nType == RULE_BODY ||
           nType == RULE_CC;
}

bool IsActionType(int nType)
{
    return nType == RULE_MOVE || nType == RULE_COPY || nType == RULE_DELETE || nType == RULE_FORWARD;
}

CString GetRuleFolderName(HWND hOwner, CSession* pSession, LONG nFolderID)
{
    CFoldersTable folders(OwnerSession(hOwner, pSession));
    folders.OpenByID(nFolderID);
    if (folders.MoveFirst() != S_OK)
        return CString();
    return folders.m_Name;
}

int CRuleCondition::ListIndex(int nType)
{
    switch (nType)
    {
    case RULE_FROM: return 0;
    case RULE_TO: return 1;
    case RULE_CC: return 2;
    case RULE_BODY: return 3;
    case RULE_SUBJECT: return 4;
    case RULE_MOVE: return 5;
    case RULE_COPY: return 6;
    case RULE_FORWARD: return 7;
    default: return -1;
    }
}

std::vector<CRuleValue>* CRuleCondition::GetValues()
{
    const int nIndex = ListIndex(m_Type);
    return nIndex >= 0 ? &m_Lists[nIndex] : NULL;
}

const std::vector<CRuleValue>* CRuleCondition::GetValues() const
{
    const int nIndex = ListIndex(m_Type);
    return nIndex >= 0 ? &m_Lists[nIndex] : NULL;
}

void CRuleCondition::AddValue(const char* pszName)
{
    std::vector<CRuleValue>* pValues = GetValues();
    if (pValues == NULL)
        return;
    CRuleValue value;
    value.m_Type = m_Type;
    strncpy(value.m_Name, pszName, sizeof(value.m_Name) - 1);
    pValues->push_back(value);
}

bool CRuleCondition::IsIncomplete(HWND hOwner, CSession* pSession) const
{
    const std::vector<CRuleValue>* pValues = GetValues();
    switch (m_Type)
    {
    case RULE_FROM:
    case RULE_SUBJECT:
    case RULE_TO:
    case RULE_BODY:
    case RULE_FORWARD:
    case RULE_CC:
        return pValues->empty();
    case RULE_MOVE:
    case RULE_COPY:
        return pValues->empty() || GetRuleFolderName(hOwner, pSession, atol((*pValues)[0].m_Name)).IsEmpty();
    default:
        return false;
    }
}

int CRuleCondition::Decide(bool bMatched) const
{
    const bool bContains = (m_Flags & CONDITION_CONTAINS) != 0;
    const bool bAny = (m_Flags & CONDITION_ANY_VALUE) != 0;
    if (bAny)
        return bMatched ? (bContains ? 1 : 2) : 0;
    return bMatched ? 0 : (bContains ? 2 : 1);
}

bool CRuleCondition::Test(const CMimePart& message) const
{
    const std::vector<CRuleValue>* pValues = GetValues();
    if (!IsConditionType(m_Type) || pValues == NULL)
        return false;
    std::vector<CString> addresses;
    CString strText;
    if (m_Type == RULE_FROM)
        addresses.push_back(Address(DecodedHeader(message, "from")));
    else if (m_Type == RULE_TO || m_Type == RULE_CC)
    {
        std::vector<CString> entries;
        ParseAddressList(DecodedHeader(message, m_Type == RULE_TO ? "to" : "cc"), entries, ',');
        for (const CString& strEntry : entries)
            addresses.push_back(Address(strEntry));
    }
    else if (m_Type == RULE_SUBJECT)
        strText = DecodeEncodedWord(GetMessageSubject(&message));
    else
        strText = SearchableBody(message);

    for (const CRuleValue& value : *pValues)
    {
        bool bMatched = false;
        if (m_Type == RULE_SUBJECT || m_Type == RULE_BODY)
            bMatched = Contains(strText, value.m_Name);
        else
        {
            const CString strValue = Upper(value.m_Name);
            for (const CString& strAddress : addresses)
                bMatched = bMatched || _mbscmp((const unsigned char*)(const char*)strAddress,
                                               (const unsigned char*)(const char*)strValue) == 0;
        }
        const int nDecision = Decide(bMatched);
        if (nDecision != 0)
            return nDecision == 1;
    }
    const bool bContains = (m_Flags & CONDITION_CONTAINS) != 0;
    return (m_Flags & CONDITION_ANY_VALUE) != 0 ? !bContains : bContains;
}

void CMessageRule::Init(LONG nID, LONG nPreviousRule, const char* pszName)
{
    m_Conditions.clear();
    m_Actions.clear();
    m_ID = nID;
    m_PreviousRule = nPreviousRule;
    memset(m_Name, 0, sizeof(m_Name));
    strncpy(m_Name, pszName, sizeof(m_Name) - 1);
    m_Flags = RULE_ENABLED;
}

void CMessageRule::CopyFrom(const CMessageRule* pSource, LONG nID, LONG nPreviousRule, const char* pszName)
{
    Init(nID, nPreviousRule, pszName);
    if (pSource == NULL)
        return;
    m_Flags = pSource->m_Flags;
    const CString strCopy = CString(RuleText::kCopyOf) + pSource->m_Name;
    if (strCopy.GetLength() < (int)sizeof(m_Name))
    {
        memset(m_Name, 0, sizeof(m_Name));
        strncpy(m_Name, strCopy, sizeof(m_Name) - 1);
    }
    for (const auto& pCondition : pSource->m_Conditions)
        m_Conditions.emplace_back(new CRuleCondition(*pCondition));
    for (const auto& pAction : pSource->m_Actions)
        m_Actions.emplace_back(new CRuleCondition(*pAction));
}

bool CMessageRule::Validate(HWND hOwner, CSession* pSession) const
{
    for (const auto* pList : {&m_Conditions, &m_Actions})
        for (const auto& pCondition : *pList)
            if (pCondition->IsIncomplete(hOwner, pSession))
            {
                AppMessageBox(RuleString(IDS_RULE_INCOMPLETE), MB_ICONSTOP, hOwner);
                return false;
            }
    return true;
}

CRuleCondition* CMessageRule::Find(int nType) const
{
    for (const auto* pList : {&m_Conditions, &m_Actions})
        for (const auto& pCondition : *pList)
            if (pCondition->m_Type == nType)
                return pCondition.get();
    return NULL;
}

void CMessageRuleSet::RemoveAll()
{
    m_Rules.clear();
}

void CMessageRuleSet::Load(HWND hOwner)
{
    RemoveAll();
    m_bMissingFolderReported = false;
    m_Table.Close();
    m_Table.Open(hOwner);
    std::vector<std::unique_ptr<CMessageRule>> rules;
    for (HRESULT hr = m_Table.MoveFirst(); hr == S_OK; hr = m_Table.MoveNext())
    {
        std::unique_ptr<CMessageRule> pRule(new CMessageRule);
        pRule->Init(m_Table.m_ID, m_Table.m_PreviousRule, m_Table.m_Name);
        pRule->m_Flags = m_Table.m_Flags;
        rules.push_back(std::move(pRule));
    }
    m_Table.Close();
    CRuleConditionTables& tables = m_Table.m_Tables;
    for (auto& pRule : rules)
    {
        std::vector<std::unique_ptr<CRuleCondition>> read;
        tables.m_Conditions.SelectByRule(hOwner, pRule->m_ID);
        for (HRESULT hr = tables.m_Conditions.MoveFirst(); hr == S_OK; hr = tables.m_Conditions.MoveNext())
        {
            std::unique_ptr<CRuleCondition> pCondition(
                new CRuleCondition(tables.m_Conditions.m_Type, tables.m_Conditions.m_Flags));
            pCondition->m_ID = tables.m_Conditions.m_ID;
            pCondition->m_MessageRulesID = tables.m_Conditions.m_MessageRulesID;
            read.push_back(std::move(pCondition));
        }
        tables.m_Conditions.Close();
        for (auto& pCondition : read)
        {
            // Rows of a Type no rule can hold are left out.
            if (!IsConditionType(pCondition->m_Type) && !IsActionType(pCondition->m_Type))
                continue;
            std::vector<CRuleValue>* pValues = pCondition->GetValues();
            if (pValues != NULL)
            {
                tables.m_Values.SelectByCondition(hOwner, pCondition->m_ID, pCondition->m_Type);
                for (HRESULT hr = tables.m_Values.MoveFirst(); hr == S_OK; hr = tables.m_Values.MoveNext())
                    pValues->push_back(static_cast<CRuleValue&>(tables.m_Values));
                tables.m_Values.Close();
            }
            (IsActionType(pCondition->m_Type) ? pRule->m_Actions : pRule->m_Conditions)
                .push_back(std::move(pCondition));
        }
        if (IsNameTaken(pRule->m_Name, NULL))
        {
            AppMessageBox(RuleString(IDS_RULE_DUPLICATE_STRING), MB_ICONSTOP, hOwner);
            continue;
        }
        m_Rules.push_back(std::move(pRule));
    }

    // Rules off the chain join its end by number, so that the next save keeps them.
    std::vector<CMessageRule*> chain = ChainOrder();
    std::set<CMessageRule*> reached(chain.begin(), chain.end());
    std::vector<CMessageRule*> stray;
    for (auto& pRule : m_Rules)
        if (reached.count(pRule.get()) == 0)
            stray.push_back(pRule.get());
    std::sort(stray.begin(), stray.end(), [](CMessageRule* a, CMessageRule* b) { return a->m_ID < b->m_ID; });
    LONG nLast = chain.empty() ? 0 : chain.back()->m_ID;
    for (CMessageRule* pRule : stray)
    {
        pRule->m_PreviousRule = nLast;
        nLast = pRule->m_ID;
    }
}

std::vector<CMessageRule*> CMessageRuleSet::ChainOrder() const
{
    std::vector<CMessageRule*> chain;
    std::set<const CMessageRule*> seen;
    LONG nPrevious = 0;
    for (;;)
    {
        CMessageRule* pNext = NULL;
        for (const auto& pRule : m_Rules)
            if (pRule->m_PreviousRule == nPrevious)
            {
                pNext = pRule.get();
                break;
            }
        if (pNext == NULL || !seen.insert(pNext).second)
            break;
        chain.push_back(pNext);
        nPrevious = pNext->m_ID;
    }
    return chain;
}

CMessageRule* CMessageRuleSet::FindByID(LONG nID) const
{
    for (const auto& pRule : m_Rules)
        if (pRule->m_ID == nID)
            return pRule.get();
    return NULL;
}

CMessageRule* CMessageRuleSet::AddRule(const CMessageRule* pSource)
{
    LONG nHighest = 0;
    for (const auto& pRule : m_Rules)
        nHighest = std::max(nHighest, pRule->m_ID);
    const std::vector<CMessageRule*> chain = ChainOrder();
    CString strName;
    for (int n = 1;; n++)
    {
        strName.Format(RuleText::kNewRuleName, n);
        if (!IsNameTaken(strName, NULL))
            break;
    }
    std::unique_ptr<CMessageRule> pRule(new CMessageRule);
    pRule->CopyFrom(pSource, nHighest + 1, chain.empty() ? 0 : chain.back()->m_ID, strName);
    m_Rules.push_back(std::move(pRule));
    return m_Rules.back().get();
}

bool CMessageRuleSet::MoveDown(CMessageRule* pRule)
{
    const std::vector<CMessageRule*> chain = ChainOrder();
    auto it = std::find(chain.begin(), chain.end(), pRule);
    if (it == chain.end() || it + 1 == chain.end())
        return false;
    CMessageRule* pA = *it;
    CMessageRule* pB = *(it + 1);
    CMessageRule* pN = it + 2 != chain.end() ? *(it + 2) : NULL;
    pB->m_PreviousRule = pA->m_PreviousRule;
    pA->m_PreviousRule = pB->m_ID;
    if (pN != NULL)
        pN->m_PreviousRule = pA->m_ID;
    return true;
}

bool CMessageRuleSet::MoveUp(CMessageRule* pRule)
{
    const std::vector<CMessageRule*> chain = ChainOrder();
    auto it = std::find(chain.begin(), chain.end(), pRule);
    if (it == chain.end() || it == chain.begin())
        return false;
    return MoveDown(*(it - 1));
}

void CMessageRuleSet::Remove(CMessageRule* pRule)
{
    for (auto& pOther : m_Rules)
        if (pOther.get() != pRule && pOther->m_PreviousRule == pRule->m_ID)
            pOther->m_PreviousRule = FindByID(pRule->m_PreviousRule) != NULL ? pRule->m_PreviousRule : 0;
    m_Rules.erase(std::remove_if(m_Rules.begin(), m_Rules.end(),
                                 [pRule](const std::unique_ptr<CMessageRule>& p) { return p.get() == pRule; }),
                  m_Rules.end());
}

bool CMessageRuleSet::IsNameTaken(const char* pszName, const CMessageRule* pExcept) const
{
    for (const auto& pRule : m_Rules)
        if (pRule.get() != pExcept && lstrcmpiA(pRule->m_Name, pszName) == 0)
            return true;
    return false;
}

int CMessageRuleSet::Save(HWND hOwner)
{
    for (const auto& pRule : m_Rules)
        if (!pRule->Validate(hOwner, m_pSession))
            return 0;
    CDatabaseSession* pDatabase = GetOwnerDatabase(hOwner, m_pSession);
    // A session of its own: no other thread's writes join the transaction or are rolled back with it.
    CSession session;
    if (FAILED(pDatabase->OpenOwnSession(session)))
    {
        TraceRules(CString(RuleText::kSaveFailed));
        AppMessageBox(RuleText::kSaveFailed, MB_ICONSTOP, hOwner);
        return 0;
    }
    CString strFailure;
    // Without a transaction a failed insert would leave the rules half deleted: nothing is written then.
    if (FAILED(ExecuteOnSession(&session, "BEGIN TRANSACTION")))
    {
        TraceRules(CString(RuleText::kSaveFailed));
        AppMessageBox(RuleText::kSaveFailed, MB_ICONSTOP, hOwner);
        return 0;
    }
    try
    {
        WriteRules(hOwner, &session);
        if (FAILED(ExecuteOnSession(&session, "COMMIT TRANSACTION")))
            throw RuleText::kSaveFailed;
    }
    catch (...)
    {
        strFailure = ExceptionText();
    }
    if (!strFailure.IsEmpty())
    {
        ExecuteOnSession(&session, "ROLLBACK TRANSACTION");
        session.Close();
        TraceRules(CString(RuleText::kSaveFailed) + "\r\n" + strFailure);
        AppMessageBox(CString(RuleText::kSaveFailed) + "\r\n\r\n" + strFailure, MB_ICONSTOP, hOwner);
        return 0;
    }
    session.Close();
    Load(hOwner);
    return 1;
}

void CMessageRuleSet::WriteRules(HWND hOwner, CSession* pSession)
{
    CMessageRulesTable rules(pSession);
    rules.EnsureTable(hOwner);
    CRuleConditionTables& tables = rules.m_Tables;
    tables.m_Conditions.EnsureTable(hOwner);
    tables.m_Values.EnsureTable(hOwner);
    for (const char* pszSQL :
         {"DELETE FROM RuleConditionValues", "DELETE FROM RuleConditions", "DELETE FROM MessageRules"})
        ExecuteOnSession(pSession, pszSQL, hOwner, pszSQL);
    LONG nPrevious = 0;
    for (CMessageRule* pRule : ChainOrder())
    {
        memset(rules.m_Name, 0, sizeof(rules.m_Name));
        strncpy(rules.m_Name, pRule->m_Name, sizeof(rules.m_Name) - 1);
        rules.m_Flags = pRule->m_Flags;
        rules.m_PreviousRule = nPrevious;
        rules.InsertRow(hOwner);
        const LONG nRule = rules.m_ID;
        nPrevious = nRule;
        for (const auto* pList : {&pRule->m_Conditions, &pRule->m_Actions})
            for (const auto& pCondition : *pList)
            {
                tables.m_Conditions.m_MessageRulesID = nRule;
                tables.m_Conditions.m_Type = pCondition->m_Type;
                tables.m_Conditions.m_Flags = pCondition->m_Flags;
                tables.m_Conditions.InsertRow(hOwner);
                const LONG nCondition = tables.m_Conditions.m_ID;
                for (const std::vector<CRuleValue>& list : pCondition->m_Lists)
                    for (const CRuleValue& value : list)
                    {
                        static_cast<CRuleValue&>(tables.m_Values) = value;
                        tables.m_Values.m_ConditionID = nCondition;
                        tables.m_Values.InsertRow(hOwner);
                    }
            }
        rules.CloseTable();
        tables.m_Conditions.CloseTable();
        tables.m_Values.CloseTable();
    }
}

void CMessageRuleSet::Apply(HWND hOwner, const CString& strMessage, LONG& nFolderID, LONG& nCopyFolderID,
                            CString& strForward)
{
    nFolderID = 0;
    nCopyFolderID = 0;
    strForward.Empty();
    CRuleResult result;
    try
    {
        const CMimePart message(strMessage);
        for (CMessageRule* pRule : ChainOrder())
            if ((pRule->m_Flags & RULE_ENABLED) != 0 && ApplyRule(*pRule, hOwner, message, result))
                break;
    }
    catch (...)
    {
        TraceRules(CString("Message rules not applied: ") + ExceptionText());
        return;
    }
    nFolderID = result.nFolderID;
    nCopyFolderID = result.nCopyFolderID;
    strForward = result.strForward;
}

bool CMessageRuleSet::ApplyRule(const CMessageRule& rule, HWND hOwner, const CMimePart& message,
                                CRuleResult& result)
{
    if (rule.m_Conditions.empty())
        return false;
    const bool bAny = (rule.m_Flags & RULE_ANY_CONDITION) != 0;
    bool bHolds = !bAny;
    for (const auto& pCondition : rule.m_Conditions)
    {
        const bool bTest = pCondition->Test(message);
        if (bAny && bTest)
        {
            bHolds = true;
            break;
        }
        if (!bAny && !bTest)
        {
            bHolds = false;
            break;
        }
    }
    if (!bHolds)
        return false;
    for (const auto& pAction : rule.m_Actions)
    {
        if (!IsActionType(pAction->m_Type))
            return false;
        RunAction(*pAction, hOwner, result);
    }
    return true;
}

void CMessageRuleSet::RunAction(const CRuleCondition& action, HWND hOwner, CRuleResult& result)
{
    const std::vector<CRuleValue>* pValues = action.GetValues();
    switch (action.m_Type)
    {
    case RULE_MOVE:
    case RULE_COPY:
    {
        if (pValues->empty())
            return;
        LONG& nFolder = action.m_Type == RULE_MOVE ? result.nFolderID : result.nCopyFolderID;
        nFolder = atol((*pValues)[0].m_Name);
        if (!GetRuleFolderName(hOwner, m_pSession, nFolder).IsEmpty())
            return;
        nFolder = -1;
        if (!m_bMissingFolderReported)
        {
            m_bMissingFolderReported = true;
            AppMessageBox(RuleString(IDS_RULE_VALUES_MISSING), MB_ICONSTOP, hOwner);
            if (hOwner != NULL)
                ::PostMessageA(hOwner, WM_COMMAND, ID_TOOLS_MESSAGE_RULES, 0);
        }
        return;
    }
    case RULE_DELETE:
    {
        CFolders folders(OwnerSession(hOwner, m_pSession));
        result.nFolderID = folders.GetSystemFolder(FOLDER_DELETED_ITEMS, hOwner);
        return;
    }
    case RULE_FORWARD:
        if (!pValues->empty())
            result.strForward = (*pValues)[0].m_Name;
        return;
    }
}

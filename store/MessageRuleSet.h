// The message rules in memory: a set of rules in chain order, each with its conditions and actions, read
// from and written to the rule tables, and applied to a received message.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <memory>
#include <vector>

#include "store/MessageRulesTable.h"

class CMimePart;

enum RuleType
{
    RULE_FROM = 0,
    RULE_SUBJECT = 1,
    RULE_AND_OR = 2,
    RULE_MOVE = 3,
    RULE_COPY = 4,
    RULE_TO = 6,
    RULE_BODY = 7,
    RULE_DELETE = 8,
    RULE_FORWARD = 9,
    RULE_CC = 10
};

// Rule Flags.
const LONG RULE_ENABLED = 1;
const LONG RULE_ANY_CONDITION = 2;
// Condition Flags.
const LONG CONDITION_CONTAINS = 1;
const LONG CONDITION_ANY_VALUE = 2;

bool IsConditionType(int nType);
bool IsActionType(int nType);

class CRuleCondition
{
public:
    CRuleCondition(BYTE nType, LONG nFlags) : m_Type(nType), m_Flags(nFlags) {}

    // The value list of this condition's Type; NULL for a Type without values.
    std::vector<CRuleValue>* GetValues();
    const std::vector<CRuleValue>* GetValues() const;
    static int ListIndex(int nType);
    void AddValue(const char* pszName);

    // A condition or action the save refuses: no values, or a folder that no longer exists.
    bool IsIncomplete(HWND hOwner, CSession* pSession) const;
    // 1 decided: holds, 2 decided: fails, 0 go on with the next value.
    int Decide(bool bMatched) const;
    // Whether the condition holds for the parsed message; errors of the parser or the store are thrown.
    bool Test(const CMimePart& message) const;

    // One line of the rule's description page, its values linked to the pane server on nPort.
    CString GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort, const char* pszSeparator) const;
    CString GetValuesText() const;
    CString GetFolderText(HWND hOwner, CSession* pSession) const;

    LONG m_ID = 0;
    LONG m_MessageRulesID = 0;
    BYTE m_Type;
    LONG m_Flags;
    std::vector<CRuleValue> m_Lists[8];
};

class CMessageRule
{
public:
    void Init(LONG nID, LONG nPreviousRule, const char* pszName);
    // A copy of pSource under the given numbers; named "Copy of " + the source's name when that fits.
    void CopyFrom(const CMessageRule* pSource, LONG nID, LONG nPreviousRule, const char* pszName);
    // The first incomplete condition, then action, refuses the rule with string 383: false.
    bool Validate(HWND hOwner, CSession* pSession) const;
    CRuleCondition* Find(int nType) const;
    // The page head and the rule's lines, without the page foot.
    CString GetDescriptionHtml(HWND hOwner, CSession* pSession, int nPort) const;

    LONG m_ID = 0;
    char m_Name[64] = {};
    LONG m_PreviousRule = 0;
    LONG m_Flags = RULE_ENABLED;
    std::vector<std::unique_ptr<CRuleCondition>> m_Conditions;
    std::vector<std::unique_ptr<CRuleCondition>> m_Actions;
};

// The results of applying the set to one message.
struct CRuleResult
{
    LONG nFolderID = 0;     // 0 the Inbox; -1 the rule's folder is gone
    LONG nCopyFolderID = 0; // 0 none; -1 the rule's folder is gone
    CString strForward;     // empty for none; several addresses separated by ";"
};

class CMessageRuleSet
{
public:
    explicit CMessageRuleSet(CSession* pSession) : m_pSession(pSession), m_Table(pSession) {}
    virtual ~CMessageRuleSet() { RemoveAll(); }

    bool HasRules() const { return !m_Rules.empty(); }
    void RemoveAll();
    // Reads every rule. A rule off the chain from 0 (a broken link, a fork, a cycle) is appended to its end
    // in the order of the rule numbers, so no stored rule is lost to the next save.
    void Load(HWND hOwner);
    // Writes the whole set in one transaction on a session of its own and reloads it: 1. 0 when a rule is
    // incomplete (string 383, nothing written) or the write failed (rolled back, the set kept in memory).
    int Save(HWND hOwner);
    // The enabled rules in chain order up to the first that fires. Never throws: a failure inside is
    // traced and gives the no-rule result.
    void Apply(HWND hOwner, const CString& strMessage, LONG& nFolderID, LONG& nCopyFolderID,
               CString& strForward);

    // The rules in chain order; a walk stops at a rule met twice.
    std::vector<CMessageRule*> ChainOrder() const;
    CMessageRule* FindByID(LONG nID) const;
    // Appends a new rule at the chain's end, numbered one above the highest: "New Mail Rule #n", or a
    // copy of pSource.
    CMessageRule* AddRule(const CMessageRule* pSource = NULL);
    // Exchanges the rule with its successor (down) or predecessor (up); false at the end of the chain.
    bool MoveDown(CMessageRule* pRule);
    bool MoveUp(CMessageRule* pRule);
    void Remove(CMessageRule* pRule);
    // Whether another rule of the set bears the name, ignoring case, as the table compares.
    bool IsNameTaken(const char* pszName, const CMessageRule* pExcept) const;

    CSession* m_pSession;
    CMessageRulesTable m_Table;
    std::vector<std::unique_ptr<CMessageRule>> m_Rules;
    // A missing folder is reported once per loaded set, not once per message.
    bool m_bMissingFolderReported = false;

private:
    bool ApplyRule(const CMessageRule& rule, HWND hOwner, const CMimePart& message, CRuleResult& result);
    void RunAction(const CRuleCondition& action, HWND hOwner, CRuleResult& result);
    void WriteRules(HWND hOwner, CSession* pSession);
};

// The name of the folder with that ID; empty when it no longer exists.
CString GetRuleFolderName(HWND hOwner, CSession* pSession, LONG nFolderID);

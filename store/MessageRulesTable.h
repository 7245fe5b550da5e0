// The three tables of the message rules: MessageRules (one row a rule), RuleConditions (its conditions and
// actions) and RuleConditionValues (their addresses, words and folder numbers).
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_MessageRulesColumns[];
extern const CColumnDesc g_RuleConditionsColumns[];
extern const CColumnDesc g_RuleConditionValuesColumns[];
extern const char g_szRuleConditionsUnique[];
extern const char g_szRuleConditionValuesUnique[];

class CMessageRulesRecord
{
public:
    LONG m_ID = 0;
    char m_Name[64] = {};
    LONG m_PreviousRule = 0;
    LONG m_Flags = 0;

    // clang-format off
    BEGIN_ACCESSOR_MAP(CMessageRulesRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_Name)
            COLUMN_ENTRY(3, m_PreviousRule)
            COLUMN_ENTRY(4, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()
    // clang-format on
};

class CRuleConditionsRecord
{
public:
    LONG m_ID = 0;
    LONG m_MessageRulesID = 0;
    BYTE m_Type = 0;
    LONG m_Flags = 0;

    // clang-format off
    BEGIN_ACCESSOR_MAP(CRuleConditionsRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_MessageRulesID)
            COLUMN_ENTRY(3, m_Type)
            COLUMN_ENTRY(4, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CRuleConditionsRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_MessageRulesID)
    END_PARAM_MAP()
    // clang-format on
};

// One value of a condition or action, in the table and in every value list in memory.
class CRuleValue
{
public:
    LONG m_ID = 0;
    LONG m_ConditionID = 0;
    char m_Name[64] = {};
    BYTE m_Type = 0;

    // clang-format off
    BEGIN_ACCESSOR_MAP(CRuleValue, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_ConditionID)
            COLUMN_ENTRY(3, m_Name)
            COLUMN_ENTRY(4, m_Type)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CRuleValue)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_ConditionID)
        COLUMN_ENTRY(2, m_Type)
    END_PARAM_MAP()
    // clang-format on
};

class CRuleConditionValuesTable : public CTableBase<CRuleValue>
{
public:
    explicit CRuleConditionValuesTable(CSession* pSession) : CTableBase<CRuleValue>(pSession) {}

    // Creates the table when missing and checks it, once per object.
    void EnsureTable(HWND hOwner);
    // Opens the values of one condition of that Type; the caller moves through them.
    void SelectByCondition(HWND hOwner, LONG nConditionID, BYTE nType);
    // Inserts the record (accessor 0); the new row's number is in m_ID. A failure throws.
    void InsertRow(HWND hOwner);

    bool m_bSelectPrepared = false;
};

class CRuleConditionsTable : public CTableBase<CRuleConditionsRecord>
{
public:
    explicit CRuleConditionsTable(CSession* pSession) : CTableBase<CRuleConditionsRecord>(pSession) {}

    void EnsureTable(HWND hOwner);
    void SelectByRule(HWND hOwner, LONG nRuleID);
    void InsertRow(HWND hOwner);

    bool m_bSelectPrepared = false;
};

// The two tables below MessageRules, on one session.
class CRuleConditionTables
{
public:
    explicit CRuleConditionTables(CSession* pSession) : m_Conditions(pSession), m_Values(pSession) {}

    CRuleConditionsTable m_Conditions;
    CRuleConditionValuesTable m_Values;
};

class CMessageRulesTable : public CTableBase<CMessageRulesRecord>
{
public:
    explicit CMessageRulesTable(CSession* pSession) : CTableBase<CMessageRulesRecord>(pSession), m_Tables(pSession)
    {
    }

    // Creates the missing tables, checks MessageRules and opens every rule row as a changeable rowset.
    void Open(HWND hOwner);
    void EnsureTable(HWND hOwner);
    void InsertRow(HWND hOwner);

    CRuleConditionTables m_Tables;
};

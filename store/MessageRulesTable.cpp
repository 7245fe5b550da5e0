// The message rule tables: schemas, creation, selections and inserts.
#include "store/MessageRulesTable.h"

#include "store/OLEDBException.h"
#include "store/RuleTexts.h"
#include "store/StoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_MessageRulesColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_MessageRulesID PRIMARY KEY", NULL, 1},
    {"Name", 2, DBTYPE_STR, 63, " NOT NULL UNIQUE", NULL, 1},
    {"PreviousRule", 3, DBTYPE_I4, 0, "", NULL, 1},
    {"Flags", 4, DBTYPE_I4, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const CColumnDesc g_RuleConditionsColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_RuleConditionsID PRIMARY KEY", NULL, 1},
    {"MessageRulesID", 2, DBTYPE_I4, 0, " NOT NULL CONSTRAINT FK_MessageRulesID REFERENCES MessageRules (ID)", NULL,
     1},
    {"Type", 3, DBTYPE_UI1, 0, "", NULL, 1},
    {"Flags", 4, DBTYPE_I4, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

// The same constraint name as the conditions' key: the stored files carry it so.
const CColumnDesc g_RuleConditionValuesColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_RuleConditionsID PRIMARY KEY", NULL, 1},
    {"ConditionID", 2, DBTYPE_I4, 0, " NOT NULL CONSTRAINT FK_ConditionID REFERENCES RuleConditions (ID)", NULL, 1},
    {"Name", 3, DBTYPE_STR, 63, " NOT NULL", NULL, 1},
    {"Type", 4, DBTYPE_UI1, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szRuleConditionsUnique[] = ", UNIQUE (MessageRulesID, Type)";
const char g_szRuleConditionValuesUnique[] = ", UNIQUE (ConditionID, Name, Type)";

namespace
{
const char kRulesSelect[] = "SELECT  ID, Name, PreviousRule, Flags FROM MessageRules";
const char kConditionsSelect[] = "SELECT  ID, MessageRulesID, Type, Flags FROM RuleConditions";
const char kValuesSelect[] = "SELECT  ID, ConditionID, Name, Type FROM RuleConditionValues";

// Creates the table when missing; true when it had to.
bool CreateIfMissing(CSession* pSession, HWND hOwner, const char* pszTable, const CColumnDesc* pColumns,
                     const char* pszExtra)
{
    if (TableExists(pSession, pszTable))
        return false;
    CreateTableIfMissing(pSession, hOwner, pszTable, pColumns, pszExtra);
    return true;
}

void EnsureFrom(int nTable, CSession* pSession, HWND hOwner)
{
    // A table is created only after the one it refers to: the chain stops at the first that existed.
    if (nTable <= 0 && !CreateIfMissing(pSession, hOwner, "MessageRules", g_MessageRulesColumns, ""))
        return;
    if (nTable <= 1 &&
        !CreateIfMissing(pSession, hOwner, "RuleConditions", g_RuleConditionsColumns, g_szRuleConditionsUnique))
        return;
    CreateIfMissing(pSession, hOwner, "RuleConditionValues", g_RuleConditionValuesColumns,
                    g_szRuleConditionValuesUnique);
}

template <class TTable> void PrepareSelect(TTable& table, const CString& strSQL)
{
    table.CloseTable();
    HRESULT hr = table.Create(*table.m_pSession, strSQL, DBGUID_DBSQL);
    if (SUCCEEDED(hr))
        hr = table.Prepare();
    if (FAILED(hr))
        throw new COLEDBException(table.m_spCommand, IID_ICommand,
                                  CString(StoreText::kOpenTableFailed) + strSQL + "\r\n\r\n", table.m_pSession,
                                  NULL, FALSE, NULL, FALSE, FALSE, hr);
    table.m_bPrepared = true;
}

template <class TTable> void ExecutePrepared(TTable& table, const char* pszSQL)
{
    table.Close();
    CDBPropSet propSet(DBPROPSET_ROWSET);
    SetChangeableRowsetProps(propSet);
    HRESULT hr = table.Open(&propSet);
    if (FAILED(hr))
        throw new COLEDBException(table.m_spCommand, IID_ICommand,
                                  CString(StoreText::kOpenTableFailed) + pszSQL + "\r\n\r\n", table.m_pSession,
                                  NULL, FALSE, NULL, FALSE, FALSE, hr);
}

// Inserts accessor 0 through a rowset over the whole table, whose last row is then the new one.
template <class TTable> void InsertThroughRowset(TTable& table, HWND hOwner, const char* pszSelect,
                                                 const char* pszTable)
{
    table.OpenRowset(hOwner, pszSelect);
    HRESULT hr = table.Insert(0);
    if (SUCCEEDED(hr))
        hr = table.MoveLast();
    if (hr != S_OK)
        throw new COLEDBException(table.m_spRowsetChange, IID_IRowsetChange,
                                  CString(RuleText::kInsertFailed1) + pszTable + RuleText::kInsertFailed2,
                                  table.m_pSession, hOwner, FALSE, NULL, FALSE, FALSE, FAILED(hr) ? hr : E_FAIL);
}
} // namespace

void CMessageRulesTable::Open(HWND hOwner)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    OpenRowset(hOwner, kRulesSelect);
}

void CMessageRulesTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    EnsureFrom(0, m_pSession, hOwner);
    EnsureTableSchema(hOwner, m_pSession, "MessageRules", g_MessageRulesColumns, m_strError,
                      [](int) { return false; });
    m_bReady = 1;
}

void CMessageRulesTable::InsertRow(HWND hOwner)
{
    EnsureTable(hOwner);
    InsertThroughRowset(*this, hOwner, kRulesSelect, "MessageRules");
}

void CRuleConditionsTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    EnsureFrom(1, m_pSession, hOwner);
    EnsureTableSchema(hOwner, m_pSession, "RuleConditions", g_RuleConditionsColumns, m_strError,
                      [](int) { return false; });
    m_bReady = 1;
}

void CRuleConditionsTable::SelectByRule(HWND hOwner, LONG nRuleID)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    const CString strSQL = CString(kConditionsSelect) + " WHERE MessageRulesID = ?";
    if (!m_bSelectPrepared || !m_bPrepared)
    {
        PrepareSelect(*this, strSQL);
        m_bSelectPrepared = true;
    }
    m_MessageRulesID = nRuleID;
    ExecutePrepared(*this, strSQL);
}

void CRuleConditionsTable::InsertRow(HWND hOwner)
{
    EnsureTable(hOwner);
    m_bSelectPrepared = false;
    InsertThroughRowset(*this, hOwner, kConditionsSelect, "RuleConditions");
}

void CRuleConditionValuesTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    EnsureFrom(2, m_pSession, hOwner);
    EnsureTableSchema(hOwner, m_pSession, "RuleConditionValues", g_RuleConditionValuesColumns, m_strError,
                      [](int) { return false; });
    m_bReady = 1;
}

void CRuleConditionValuesTable::SelectByCondition(HWND hOwner, LONG nConditionID, BYTE nType)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    const CString strSQL = CString(kValuesSelect) + " WHERE ConditionID = ? AND Type = ?";
    if (!m_bSelectPrepared || !m_bPrepared)
    {
        PrepareSelect(*this, strSQL);
        m_bSelectPrepared = true;
    }
    m_ConditionID = nConditionID;
    m_Type = nType;
    ExecutePrepared(*this, strSQL);
}

void CRuleConditionValuesTable::InsertRow(HWND hOwner)
{
    EnsureTable(hOwner);
    m_bSelectPrepared = false;
    InsertThroughRowset(*this, hOwner, kValuesSelect, "RuleConditionValues");
}

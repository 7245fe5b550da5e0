// The schema step shared by every table.
#include "store/TableSchema.h"

#include <atldbsch.h>

#include "foundation/TraceFile.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TextException.h"

namespace
{
// Besides one round per added column, the check may come back empty-handed this often before the open
// gives up.
const int kMaxEmptyChecks = 3;
// The create-failed text in the string table (resources/foundation.rc): the table's name, then the statement.
const UINT kCreateTableFailedText = 246;

struct CRequiredColumn
{
    const char* pszName;
    DBTYPE wType;
    ULONG nSize;
    int bStrictType;
};

typedef std::function<bool(int i, CRequiredColumn& column)> ColumnSource;

[[noreturn]] void ThrowMismatch(CString& strError, CSession* pSession, HWND hOwner)
{
    throw new COLEDBException(NULL, IID_NULL, strError, pSession, hOwner);
}

int CheckColumns(HWND hOwner, CSession* pSession, const char* pszTable, const ColumnSource& source,
                 bool bNamesOnly, CString& strError, int* pnColumn)
{
    CColumns columns;
    if (pSession == NULL || FAILED(columns.Open(*pSession, NULL, NULL, pszTable, NULL)))
    {
        strError = StoreText::kOpenColumnsFailed;
        return 0;
    }
    strError = CString(StoreText::kTableInvalid1) + pszTable + StoreText::kTableInvalid2;
    CRequiredColumn required;
    for (int i = 0; source(i, required); i++)
    {
        if (columns.MoveFirst() != S_OK)
        {
            strError += StoreText::kColumnCountInvalid;
            return 0;
        }
        bool bFound = false;
        do
        {
            if ((int)columns.m_nOrdinalPosition == i + 1)
            {
                bFound = true;
                break;
            }
        } while (columns.MoveNext() == S_OK);
        if (!bFound)
        {
            strError += CString(StoreText::kColumnNotFound1) + required.pszName + StoreText::kColumnNotFound2;
            CDatabaseSession* databases[] = {g_pDatabaseOrb, g_pDatabaseLocal};
            for (CDatabaseSession* pDatabase : databases)
            {
                if (pDatabase != NULL)
                    pDatabase->GetInfoText(pSession, strError);
            }
            if (pnColumn != NULL)
                *pnColumn = i;
            ThrowMismatch(strError, pSession, hOwner);
        }

        CString strActual(columns.m_szColumnName);
        CString strRequired(required.pszName);
        CString strLine;
        if (strActual.MakeUpper() != strRequired.MakeUpper())
        {
            strLine.Format(StoreText::kNameMismatch, i + 1, (const char*)CString(columns.m_szColumnName),
                           required.pszName);
            strError += strLine;
            ThrowMismatch(strError, pSession, hOwner);
        }
        if (bNamesOnly)
            continue;
        int nRequiredType = required.wType == DBTYPE_COUNTER ? DBTYPE_I4 : required.wType;
        int nActualType = columns.m_nDataType;
        if (nActualType != nRequiredType && required.bStrictType != 0 &&
            !(nRequiredType == DBTYPE_STR && nActualType == DBTYPE_WSTR))
        {
            strLine.Format(StoreText::kTypeMismatch, i + 1, required.pszName, nActualType, nRequiredType);
            strError += strLine;
            ThrowMismatch(strError, pSession, hOwner);
        }
        if (nActualType == DBTYPE_STR && (ULONG)columns.m_nMaxLength != required.nSize)
        {
            strLine.Format(StoreText::kLengthMismatch, i + 1, required.pszName, (long)columns.m_nMaxLength,
                           (long)required.nSize);
            strError += strLine;
            ThrowMismatch(strError, pSession, hOwner);
        }
    }
    return 1;
}
} // namespace

void SetChangeableRowsetProps(CDBPropSet& propSet)
{
    propSet.SetGUID(DBPROPSET_ROWSET);
    propSet.AddProperty(DBPROP_IRowsetChange, true);
    propSet.AddProperty(DBPROP_UPDATABILITY,
                        (long)(DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT));
}

HRESULT ExecuteOnSession(CSession* pSession, const char* pszSQL, HWND hOwner, const char* pszFailText)
{
    CCommand<CNoAccessor, CNoRowset> command;
    HRESULT hr = command.Open(*pSession, pszSQL, NULL, NULL, DBGUID_DEFAULT, false);
    if (FAILED(hr) && pszFailText != NULL)
        throw new COLEDBException(command.m_spCommand, IID_ICommand, pszFailText, pSession, hOwner, FALSE,
                                  NULL, FALSE, FALSE, hr);
    return hr;
}

bool TableExists(CSession* pSession, const char* pszTable)
{
    CTables tables;
    if (FAILED(tables.Open(*pSession, NULL, NULL, pszTable, "TABLE")))
        return false;
    return tables.MoveNext() == S_OK;
}

void CreateTableWithStatement(CSession* pSession, HWND hOwner, const char* pszTable,
                              const CString& strStatement)
{
    if (TableExists(pSession, pszTable))
        return;
    CString strFailed;
    CString strFormat;
    strFormat.LoadString(kCreateTableFailedText);
    strFailed.Format(strFormat, pszTable, (const char*)strStatement);
    ExecuteOnSession(pSession, strStatement, hOwner, strFailed);
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n" + strStatement);
}

void CreateTableIfMissing(CSession* pSession, HWND hOwner, const char* pszTable, const CColumnDesc* pColumns,
                          const char* pszExtra)
{
    CString strStatement = CString("CREATE TABLE ") + pszTable + "(";
    for (const CColumnDesc* p = pColumns; p->m_pszName[0] != '\0'; p++)
    {
        CString strDefinition;
        p->GetDefinition(strDefinition);
        if (p != pColumns)
            strStatement += ", ";
        strStatement += strDefinition;
    }
    strStatement += CString(pszExtra != NULL ? pszExtra : "") + ")";
    CreateTableWithStatement(pSession, hOwner, pszTable, strStatement);
}

int CheckTableSchema(HWND hOwner, CSession* pSession, const char* pszTable, const CColumnDesc* pColumns,
                     CString& strError, int* pnColumn, int)
{
    return CheckColumns(
        hOwner, pSession, pszTable,
        [pColumns](int i, CRequiredColumn& column)
        {
            const CColumnDesc& desc = pColumns[i];
            if (desc.m_pszName[0] == '\0')
                return false;
            column = {desc.m_pszName, desc.m_wType, desc.m_nSize, desc.m_bStrictType};
            return true;
        },
        false, strError, pnColumn);
}

int CheckTableColumnNames(HWND hOwner, CSession* pSession, const char* pszTable, const char* const* ppszNames,
                          CString& strError, int* pnColumn, int)
{
    return CheckColumns(
        hOwner, pSession, pszTable,
        [ppszNames](int i, CRequiredColumn& column)
        {
            if (ppszNames[i][0] == '\0')
                return false;
            column = {ppszNames[i], DBTYPE_EMPTY, 0, 0};
            return true;
        },
        true, strError, pnColumn);
}

void EnsureTableSchema(HWND hOwner, CSession* pSession, const char* pszTable, const CColumnDesc* pColumns,
                       CString& strError, const std::function<bool(int nColumn)>& alter)
{
    int nColumns = 0;
    while (pColumns[nColumns].m_pszName[0] != '\0')
        nColumns++;
    int nEmptyChecks = 0;
    for (int nRound = 0; nRound <= nColumns + kMaxEmptyChecks; nRound++)
    {
        int nColumn = -1;
        try
        {
            if (CheckTableSchema(hOwner, pSession, pszTable, pColumns, strError, &nColumn) == 1)
                return;
            if (++nEmptyChecks >= kMaxEmptyChecks)
                ThrowText(strError);
            continue;
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        if (nColumn < 0 || !alter(nColumn))
            ThrowText(strError);
    }
    CString strRounds;
    strRounds.Format(StoreText::kSchemaNotSettled, nColumns + kMaxEmptyChecks + 1);
    ThrowText(strError + strRounds);
}

bool AddTableColumn(CSession* pSession, const char* pszTable, const CColumnDesc& column)
{
    CString strDefinition;
    column.GetDefinition(strDefinition);
    return SUCCEEDED(
        ExecuteOnSession(pSession, CString("ALTER TABLE ") + pszTable + " ADD " + strDefinition));
}

// The schema step shared by every table: create a missing table, compare it with its column descriptors,
// add the newer columns to files made by older versions, and run single statements on a session.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <functional>

#include "store/ColumnDesc.h"

// True when the TABLES schema rowset lists the table as a "TABLE".
bool TableExists(CSession* pSession, const char* pszTable);
// CREATE TABLE name(definitions joined by ", " + extra) when the table is missing; traced when tracing is
// on. A failure throws a COLEDBException with the create-failed text.
void CreateTableIfMissing(CSession* pSession, HWND hOwner, const char* pszTable, const CColumnDesc* pColumns,
                          const char* pszExtra = "");
// Runs a complete CREATE statement for a missing table (tables with their own statement, such as Options).
void CreateTableWithStatement(CSession* pSession, HWND hOwner, const char* pszTable,
                              const CString& strStatement);

// 1 when the table matches; 0 with strError set when the columns cannot be read or there are none. A
// mismatch throws a COLEDBException carrying strError; *pnColumn is set only for a missing column.
int CheckTableSchema(HWND hOwner, CSession* pSession, const char* pszTable, const CColumnDesc* pColumns,
                     CString& strError, int* pnColumn, int nUnused = 0);
// The same for names only; the list ends with an empty name.
int CheckTableColumnNames(HWND hOwner, CSession* pSession, const char* pszTable, const char* const* ppszNames,
                          CString& strError, int* pnColumn, int nUnused = 0);

// The ensure step: checks, and gives each missing column to alter (its 0-based descriptor index). alter
// adds the column and returns true, returns false when the column is not one it may add, or throws its own
// text when the ALTER fails. A mismatch that alter cannot mend is thrown as the check's text. The rounds
// are bounded: each ALTER adds one column, so a check that keeps failing is given up with its text.
void EnsureTableSchema(HWND hOwner, CSession* pSession, const char* pszTable, const CColumnDesc* pColumns,
                       CString& strError, const std::function<bool(int nColumn)>& alter);

// "ALTER TABLE name ADD definition" of one descriptor; false when the statement fails.
bool AddTableColumn(CSession* pSession, const char* pszTable, const CColumnDesc& column);

// Runs one statement without a rowset. With a fail text, a failure throws a COLEDBException carrying that
// text and the command's error records; without, the failure is returned.
HRESULT ExecuteOnSession(CSession* pSession, const char* pszSQL, HWND hOwner = NULL,
                         const char* pszFailText = NULL);

// DBPROPSET_ROWSET asking for a changeable rowset (change, delete, insert).
void SetChangeableRowsetProps(CDBPropSet& propSet);

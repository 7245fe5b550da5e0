// The Folders table: schema, creation with the default folders, upgrade, open and prepared selections.
#include "store/FoldersTable.h"

#include <string.h>

#include "foundation/ErrorUtil.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageStoreTexts.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_FoldersColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_FolderID PRIMARY KEY", NULL, 1},
    {"OwnerID", 2, DBTYPE_I4, 0, " NOT NULL", NULL, 1},
    {"Name", 3, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"Type", 4, DBTYPE_I4, 0, " NOT NULL", NULL, 1},
    {"nUnread", 5, DBTYPE_I4, 0, "", NULL, 1},
    {"nMessagesNumber", 6, DBTYPE_I4, 0, "", NULL, 1},
    {"Flags", 7, DBTYPE_I4, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szFoldersSelect[] =
    " \tSELECT \t\tID, \t\tOwnerID, \t\tName, \t\tType,  \t\tnUnread, nMessagesNumber, Flags FROM Folders";

namespace
{
// The columns that databases of older versions lack.
const int COLUMN_NMESSAGESNUMBER = 5;
const int COLUMN_FLAGS = 6;
} // namespace

void CFoldersRecord::ClearRow()
{
    m_ID = 0;
    memset(m_Name, 0, sizeof(m_Name));
    m_OwnerID = 0;
    m_Type = 0;
    m_nUnread = 0;
    m_nMessagesNumber = 0;
    memset(m_szParam2, 0, sizeof(m_szParam2));
    m_Flags = 0;
}

void CFoldersCommand::CreateSelect(const char* pszWhere)
{
    CloseTable();
    CString strSQL = CString(g_szFoldersSelect) + pszWhere;
    HRESULT hr = Create(*m_pSession, strSQL, DBGUID_DBSQL);
    if (SUCCEEDED(hr))
        hr = Prepare();
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand, MessageStoreText::kFoldersOpenFailed, m_pSession,
                                  NULL, FALSE, NULL, FALSE, FALSE, hr);
    m_bPrepared = true;
}

void CFoldersCommand::Execute()
{
    CCommand<CAccessor<CFoldersRecord>>::Close();
    CDBPropSet propset(DBPROPSET_ROWSET);
    SetChangeableRowsetProps(propset);
    HRESULT hr = CCommand<CAccessor<CFoldersRecord>>::Open(&propset);
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand, MessageStoreText::kFoldersOpenFailed, m_pSession,
                                  NULL, FALSE, NULL, FALSE, FALSE, hr);
}

void CFoldersTable::Open(HWND hWndOwner, const char* pszTable, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    (void)pszTable;
    EnsureTable(hWndOwner);
    m_bTypeAndNamePrepared = false;
    m_bByIDPrepared = false;
    OpenRowset(hWndOwner, pszSQL != NULL ? pszSQL : g_szFoldersSelect);
}

void CFoldersTable::EnsureTable(HWND hWndOwner)
{
    if (m_bReady)
        return;
    CreateTable(m_pSession, hWndOwner);
    CSession* pSession = m_pSession;
    EnsureTableSchema(hWndOwner, m_pSession, "Folders", g_FoldersColumns, m_strText,
                      [pSession](int nColumn) { return AlterColumn(nColumn, pSession); });
    m_bReady = 1;
}

bool CFoldersTable::AlterColumn(int nColumn, CSession* pSession)
{
    if (nColumn != COLUMN_NMESSAGESNUMBER && nColumn != COLUMN_FLAGS)
        return false;
    CString strDefinition;
    g_FoldersColumns[nColumn].GetDefinition(strDefinition);
    CString strSQL = CString("ALTER TABLE ") + "Folders" + " ADD " + strDefinition;
    ExecuteOnSession(pSession, strSQL, NULL,
                     CString("FATAL ERROR. Alter ") + "Folders" + " table failed.\r\n\r\n" + strSQL +
                         "\r\n\r\n");
    return true;
}

void CFoldersTable::CreateTable(CSession* pSession, HWND hWndOwner)
{
    // Two threads creating a new database must not both insert the default folders.
    CSystemFolderLock lock;
    if (TableExists(pSession, "Folders"))
        return;
    CreateTableIfMissing(pSession, hWndOwner, "Folders", g_FoldersColumns);

    CEmailsTableBase::CreateTable(pSession, hWndOwner);
    try
    {
        CEmailsImpl<> store(pSession);
        store.Open(hWndOwner);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, hWndOwner);
    }

    CFolders folders(pSession);
    for (LONG nType = FOLDER_LOCAL_FOLDERS; nType <= FOLDER_COMPANY; nType++)
        folders.GetSystemFolder(nType, hWndOwner);
}

void CFoldersTable::SelectByTypeAndName(LONG nType, const char* pszName)
{
    if (!m_bTypeAndNamePrepared)
    {
        EnsureTable(NULL);
        CreateSelect(CString(" WHERE ") + "Type" + " = ? AND " + "Name" + " = ?");
        m_bTypeAndNamePrepared = true;
        m_bByIDPrepared = false;
    }
    CCommand<CAccessor<CFoldersRecord>>::Close();
    ClearRow();
    m_ID = nType;
    strncpy(m_szParam2, pszName, sizeof(m_szParam2) - 1);
    Execute();
}

void CFoldersTable::OpenByID(LONG nID)
{
    // A database that closed its tables took the prepared command with it.
    if (!m_bByIDPrepared || !m_bPrepared)
    {
        EnsureTable(NULL);
        CreateSelect(CString(" WHERE ") + g_FoldersColumns[0].m_pszName + " = ?");
        m_bByIDPrepared = true;
        m_bTypeAndNamePrepared = false;
    }
    CCommand<CAccessor<CFoldersRecord>>::Close();
    ClearRow();
    m_ID = nID;
    Execute();
}

int CFoldersTable::FindByOwnerAndName(HWND hWndOwner, LONG nOwnerID, const char* pszName)
{
    ClearRow();
    m_ID = nOwnerID;
    CString strSQL = CString(g_szFoldersSelect) + " WHERE OwnerID = ?";
    if (pszName != NULL)
    {
        strncpy(m_szParam2, pszName, sizeof(m_Name) - 1);
        strSQL += " AND Name = ?";
    }
    try
    {
        Open(hWndOwner, "Folders", strSQL);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        return -1;
    }
    return MoveNext() == S_OK ? 1 : 0;
}

void CFoldersTable::InsertFolder(HWND hWndOwner, LONG nOwnerID, const char* pszName, LONG nType)
{
    Open(hWndOwner);
    ClearRow();
    strncpy(m_Name, pszName, sizeof(m_Name) - 1);
    m_OwnerID = nOwnerID;
    m_Type = nType;
    HRESULT hr = Insert(0);
    if (SUCCEEDED(hr))
        hr = MoveLast();
    if (hr != S_OK)
    {
        CString strText;
        strText.Format(MessageStoreText::kInsertFolderFailed, pszName);
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange, strText, m_pSession, hWndOwner, FALSE,
                                  NULL, FALSE, FALSE, hr);
    }
}

// A session: one SQLite connection, shared by the threads that use it, with commands and schema rowsets.
#include "JetSession.h"

#include <oleauto.h>

#include "JetCommand.h"
#include "JetErrorInfo.h"
#include "JetFunctions.h"
#include "JetRowset.h"

namespace
{
std::string Upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

// The restriction at index i as UTF-8, or false when it is not given.
bool Restriction(ULONG cRestrictions, const VARIANT rg[], ULONG i, std::string& str)
{
    if (i >= cRestrictions || rg == NULL || rg[i].vt != VT_BSTR || rg[i].bstrVal == NULL)
        return false;
    str = JetWideToUtf8(rg[i].bstrVal, SysStringLen(rg[i].bstrVal));
    return true;
}

bool SameName(const std::string& a, const std::string& b)
{
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, JetUtf8ToWide(a).c_str(), -1,
                          JetUtf8ToWide(b).c_str(), -1) == CSTR_EQUAL;
}

CJetValue Text(const std::string& s)
{
    CJetValue v;
    v.kind = CJetValue::Text;
    v.s = s;
    return v;
}

CJetValue Int(sqlite3_int64 i)
{
    CJetValue v;
    v.kind = CJetValue::Integer;
    v.i = i;
    return v;
}

// OLE DB type and size that Jet reports for a column declared with a Jet type name.
void JetColumnType(const std::string& strDecl, USHORT& wType, ULONG& cchMax, bool& bLong)
{
    std::string up = Upper(strDecl);
    std::string base = up.substr(0, up.find('('));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    ULONG n = 0;
    size_t open = up.find('(');
    if (open != std::string::npos)
        n = strtoul(up.c_str() + open + 1, NULL, 10);
    bLong = false;
    cchMax = 0;
    if (base == "INTEGER" || base == "INT" || base == "LONG" || base == "COUNTER" || base == "AUTOINCREMENT" ||
        base == "INTEGER4")
        wType = DBTYPE_I4;
    else if (base == "SMALLINT" || base == "SHORT" || base == "INTEGER2")
        wType = DBTYPE_I2;
    else if (base == "BYTE" || base == "TINYINT" || base == "INTEGER1")
        wType = DBTYPE_UI1;
    else if (base == "DATETIME" || base == "DATE" || base == "TIME" || base == "TIMESTAMP")
        wType = DBTYPE_DATE;
    else if (base == "LOGICAL" || base == "BIT" || base == "YESNO" || base == "BOOLEAN" || base == "LOGICAL1")
        wType = DBTYPE_BOOL;
    else if (base == "LONGBINARY" || base == "IMAGE" || base == "OLEOBJECT" || base == "GENERAL")
    {
        wType = DBTYPE_BYTES;
        cchMax = 1073741823;
        bLong = true;
    }
    else if (base == "BINARY" || base == "VARBINARY")
    {
        wType = DBTYPE_BYTES;
        cchMax = n != 0 ? n : 510;
    }
    else if (base == "REAL" || base == "SINGLE" || base == "FLOAT4")
        wType = DBTYPE_R4;
    else if (base == "DOUBLE" || base == "FLOAT" || base == "FLOAT8" || base == "NUMBER")
        wType = DBTYPE_R8;
    else if (base == "CURRENCY" || base == "MONEY")
        wType = DBTYPE_CY;
    else if (base == "GUID" || base == "UNIQUEIDENTIFIER")
        wType = DBTYPE_GUID;
    else if (base == "LONGTEXT" || base == "MEMO" || base == "NOTE" || base == "LONGCHAR")
    {
        wType = DBTYPE_WSTR;
        cchMax = 536870910;
        bLong = true;
    }
    else
    {
        // TEXT(n) and its kin; Jet keeps text as Unicode and says so.
        wType = DBTYPE_WSTR;
        cchMax = n != 0 ? n : 255;
    }
}

const char* const kTablesColumns[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME",   "TABLE_TYPE",   "TABLE_GUID",
                                      "DESCRIPTION",   "TABLE_PROPID", "DATE_CREATED", "DATE_MODIFIED"};

const char* const kColumnsColumns[] = {
    "TABLE_CATALOG",         "TABLE_SCHEMA",      "TABLE_NAME",          "COLUMN_NAME",
    "COLUMN_GUID",           "COLUMN_PROPID",     "ORDINAL_POSITION",    "COLUMN_HASDEFAULT",
    "COLUMN_DEFAULT",        "COLUMN_FLAGS",      "IS_NULLABLE",         "DATA_TYPE",
    "TYPE_GUID",             "CHARACTER_MAXIMUM_LENGTH", "CHARACTER_OCTET_LENGTH", "NUMERIC_PRECISION",
    "NUMERIC_SCALE",         "DATETIME_PRECISION", "CHARACTER_SET_CATALOG", "CHARACTER_SET_SCHEMA",
    "CHARACTER_SET_NAME",    "COLLATION_CATALOG", "COLLATION_SCHEMA",    "COLLATION_NAME",
    "DOMAIN_CATALOG",        "DOMAIN_SCHEMA",     "DOMAIN_NAME",         "DESCRIPTION"};

// Tables of the file in name order, with their kinds ("TABLE" or "VIEW").
int ListTables(sqlite3* db, std::vector<std::pair<std::string, std::string>>& tables)
{
    CJetStmt stmt;
    int rc = sqlite3_prepare_v2(db, "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name",
                                -1, &stmt, NULL);
    if (rc != SQLITE_OK)
        return rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
    {
        std::string name = (const char*)sqlite3_column_text(stmt, 0);
        if (name.compare(0, 7, "sqlite_") == 0)
            continue;
        tables.emplace_back(name, Upper((const char*)sqlite3_column_text(stmt, 1)));
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}
} // namespace

CJetSession::CJetSession(sqlite3* db, const std::string& strPath) : m_db(db), m_strPath(strPath) {}

CJetSession::~CJetSession()
{
    sqlite3_close_v2(m_db);
}

HRESULT CJetSession::Open(const std::string& strPathUtf8, REFIID iidError, CJetSession** ppSession)
{
    *ppSession = NULL;
    if (JetTakeIoFault())
        return JetReportDiskError(iidError);
    sqlite3* db = NULL;
    int rc = JetOpenDatabase(strPathUtf8, false, &db);
    if (rc != SQLITE_OK)
    {
        HRESULT hr = JetReportSqlite(db, rc, iidError, strPathUtf8);
        sqlite3_close_v2(db);
        return hr;
    }
    *ppSession = new CJetSession(db, strPathUtf8);
    return S_OK;
}

void* CJetSession::InterfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IOpenRowset)
        return static_cast<IOpenRowset*>(this);
    if (riid == IID_IDBCreateCommand)
        return static_cast<IDBCreateCommand*>(this);
    if (riid == IID_IDBSchemaRowset)
        return static_cast<IDBSchemaRowset*>(this);
    if (riid == IID_ISupportErrorInfo)
        return static_cast<ISupportErrorInfo*>(this);
    if (riid == IID_IJetFlush)
        return static_cast<IJetFlush*>(this);
    if (riid == IID_ITransactionLocal || riid == IID_ITransaction)
        return static_cast<ITransactionLocal*>(this);
    if (riid == IID_IJetInternal)
        return this;
    return NULL;
}

STDMETHODIMP CJetSession::Flush()
{
    // Commits to a write-ahead log are not synced one by one (see JetOpenDatabase); syncing the log makes every
    // one of them durable, whether or not a checkpoint has copied it into the file yet. A checkpoint syncs the
    // log before it copies and the file before the log is reused, so nothing committed is ever only in the
    // file's cache. A rollback journal syncs at every commit already.
    sqlite3_mutex* pMutex = sqlite3_db_mutex(m_db);
    sqlite3_mutex_enter(pMutex);
    sqlite3_file* pLog = NULL;
    int rc = sqlite3_file_control(m_db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &pLog);
    if (rc == SQLITE_OK && pLog != NULL && pLog->pMethods != NULL)
        rc = pLog->pMethods->xSync(pLog, SQLITE_SYNC_FULL);
    sqlite3_mutex_leave(pMutex);
    if (rc != SQLITE_OK)
        return JetReportSqlite(m_db, rc, IID_IJetFlush, m_strPath);
    return S_OK;
}

namespace
{
bool KnownIsolationLevel(ISOLEVEL isoLevel)
{
    switch ((ULONG)isoLevel)
    {
    case ISOLATIONLEVEL_UNSPECIFIED:
    case ISOLATIONLEVEL_CHAOS:
    case ISOLATIONLEVEL_READUNCOMMITTED:
    case ISOLATIONLEVEL_READCOMMITTED:
    case ISOLATIONLEVEL_REPEATABLEREAD:
    case ISOLATIONLEVEL_SERIALIZABLE:
        return true;
    default:
        return false;
    }
}
} // namespace

STDMETHODIMP CJetSession::StartTransaction(ISOLEVEL isoLevel, ULONG isoFlags, ITransactionOptions*,
                                           ULONG* pulTransactionLevel)
{
    JetClearError();
    if (pulTransactionLevel != NULL)
        *pulTransactionLevel = 0;
    if (isoFlags != 0)
        return XACT_E_NOISORETAIN;
    if (!KnownIsolationLevel(isoLevel))
        return XACT_E_ISOLATIONLEVEL;
    CJetLock lock(m_db);
    if (!sqlite3_get_autocommit(m_db))
        return XACT_E_XTIONEXISTS;
    // The writer lock is taken now, not at the first write: a transaction that reads, then writes, would
    // otherwise fail halfway when another connection wrote in between.
    int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", NULL, NULL, NULL);
    if (rc != SQLITE_OK)
        return JetReportSqlite(m_db, rc, IID_ITransactionLocal, m_strPath);
    if (pulTransactionLevel != NULL)
        *pulTransactionLevel = 1;
    return S_OK;
}

STDMETHODIMP CJetSession::GetOptionsObject(ITransactionOptions** ppOptions)
{
    JetClearError();
    if (ppOptions != NULL)
        *ppOptions = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CJetSession::Commit(BOOL fRetaining, DWORD grfTC, DWORD grfRM)
{
    JetClearError();
    if (grfRM != 0)
        return XACT_E_NOTSUPPORTED;
    if (grfTC != 0 && grfTC != XACTTC_SYNC && grfTC != XACTTC_SYNC_PHASETWO)
        return XACT_E_NOTSUPPORTED;
    CJetLock lock(m_db);
    if (sqlite3_get_autocommit(m_db))
        return XACT_E_NOTRANSACTION;
    int rc = sqlite3_exec(m_db, "COMMIT", NULL, NULL, NULL);
    if (rc != SQLITE_OK)
    {
        // A commit that cannot finish (a reader holding the file) leaves the transaction open, as Jet's
        // does: the caller may try again or abort.
        return JetReportSqlite(m_db, rc, IID_ITransactionLocal, m_strPath);
    }
    if (fRetaining)
    {
        rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", NULL, NULL, NULL);
        if (rc != SQLITE_OK)
            return JetReportSqlite(m_db, rc, IID_ITransactionLocal, m_strPath);
    }
    return S_OK;
}

STDMETHODIMP CJetSession::Abort(BOID*, BOOL fRetaining, BOOL)
{
    JetClearError();
    CJetLock lock(m_db);
    if (sqlite3_get_autocommit(m_db))
        return XACT_E_NOTRANSACTION;
    int rc = sqlite3_exec(m_db, "ROLLBACK", NULL, NULL, NULL);
    if (rc != SQLITE_OK)
        return JetReportSqlite(m_db, rc, IID_ITransactionLocal, m_strPath);
    if (fRetaining)
    {
        rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", NULL, NULL, NULL);
        if (rc != SQLITE_OK)
            return JetReportSqlite(m_db, rc, IID_ITransactionLocal, m_strPath);
    }
    return S_OK;
}

STDMETHODIMP CJetSession::GetTransactionInfo(XACTTRANSINFO* pinfo)
{
    JetClearError();
    if (pinfo == NULL)
        return E_INVALIDARG;
    CJetLock lock(m_db);
    if (sqlite3_get_autocommit(m_db))
        return XACT_E_NOTRANSACTION;
    ZeroMemory(pinfo, sizeof(*pinfo));
    pinfo->isoLevel = ISOLATIONLEVEL_READCOMMITTED;
    pinfo->grfTCSupported = XACTTC_SYNC;
    return S_OK;
}

STDMETHODIMP CJetSession::OpenRowset(IUnknown* pUnkOuter, DBID* pTableID, DBID*, REFIID riid, ULONG cPropertySets,
                                     DBPROPSET rgPropertySets[], IUnknown** ppRowset)
{
    JetClearError();
    if (ppRowset != NULL)
        *ppRowset = NULL;
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    if (pTableID == NULL || pTableID->eKind != DBKIND_NAME || pTableID->uName.pwszName == NULL)
        return DB_E_NOTABLE;
    std::string strName = JetWideToUtf8(pTableID->uName.pwszName);
    std::string sql = "SELECT * FROM \"" + strName + "\"";
    CJetCommand* pCommand = new CJetCommand(this);
    HRESULT hr = pCommand->SetText(sql, false);
    if (SUCCEEDED(hr))
        hr = pCommand->SetProperties(cPropertySets, rgPropertySets);
    if (SUCCEEDED(hr))
        hr = pCommand->Run(NULL, riid, IID_IOpenRowset, NULL, ppRowset);
    pCommand->Release();
    return hr;
}

STDMETHODIMP CJetSession::CreateCommand(IUnknown* pUnkOuter, REFIID riid, IUnknown** ppCommand)
{
    JetClearError();
    if (ppCommand == NULL)
        return E_INVALIDARG;
    *ppCommand = NULL;
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    CJetCommand* pCommand = new CJetCommand(this);
    HRESULT hr = pCommand->QueryInterface(riid, (void**)ppCommand);
    pCommand->Release();
    return hr;
}

STDMETHODIMP CJetSession::GetRowset(IUnknown* pUnkOuter, REFGUID rguidSchema, ULONG cRestrictions,
                                    const VARIANT rgRestrictions[], REFIID riid, ULONG, DBPROPSET[],
                                    IUnknown** ppRowset)
{
    JetClearError();
    if (ppRowset == NULL)
        return E_INVALIDARG;
    *ppRowset = NULL;
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    bool bTables = rguidSchema == DBSCHEMA_TABLES;
    if (!bTables && rguidSchema != DBSCHEMA_COLUMNS)
        return E_INVALIDARG;
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IDBSchemaRowset);

    std::string strTable, strType, strColumn;
    bool bTable = Restriction(cRestrictions, rgRestrictions, 2, strTable);
    bool bType = bTables && Restriction(cRestrictions, rgRestrictions, 3, strType);
    bool bColumn = !bTables && Restriction(cRestrictions, rgRestrictions, 3, strColumn);

    CJetRowset* pRowset = new CJetRowset(this);
    std::vector<std::string> names;
    if (bTables)
        names.assign(std::begin(kTablesColumns), std::end(kTablesColumns));
    else
        names.assign(std::begin(kColumnsColumns), std::end(kColumnsColumns));
    pRowset->SetColumns(names);

    CJetLock lock(m_db);
    std::vector<std::pair<std::string, std::string>> tables;
    int rc = ListTables(m_db, tables);
    for (size_t t = 0; rc == SQLITE_OK && t < tables.size(); ++t)
    {
        const std::string& name = tables[t].first;
        if (bTable && !SameName(name, strTable))
            continue;
        if (bTables)
        {
            if (bType && Upper(strType) != tables[t].second)
                continue;
            std::vector<CJetValue> row(names.size());
            row[2] = Text(name);
            row[3] = Text(tables[t].second);
            pRowset->AddRow(row);
            continue;
        }
        CJetStmt stmt;
        std::string sql = "PRAGMA table_info(\"" + name + "\")";
        rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, NULL);
        if (rc != SQLITE_OK)
            break;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        {
            std::string strName = (const char*)sqlite3_column_text(stmt, 1);
            if (bColumn && !SameName(strName, strColumn))
                continue;
            const char* pszDecl = (const char*)sqlite3_column_text(stmt, 2);
            USHORT wType = 0;
            ULONG cchMax = 0;
            bool bLong = false;
            JetColumnType(pszDecl != NULL ? pszDecl : "", wType, cchMax, bLong);
            bool bNotNull = sqlite3_column_int(stmt, 3) != 0;
            bool bDefault = sqlite3_column_type(stmt, 4) != SQLITE_NULL;
            std::vector<CJetValue> row(names.size());
            row[2] = Text(name);
            row[3] = Text(strName);
            row[6] = Int(sqlite3_column_int(stmt, 0) + 1);
            row[7] = Int(bDefault ? -1 : 0);
            if (bDefault)
                row[8] = Text((const char*)sqlite3_column_text(stmt, 4));
            ULONG flags = DBCOLUMNFLAGS_WRITEUNKNOWN;
            if (!bNotNull)
                flags |= DBCOLUMNFLAGS_ISNULLABLE | DBCOLUMNFLAGS_MAYBENULL;
            if (bLong)
                flags |= DBCOLUMNFLAGS_ISLONG;
            else if (wType != DBTYPE_WSTR)
                flags |= DBCOLUMNFLAGS_ISFIXEDLENGTH;
            row[9] = Int(flags);
            row[10] = Int(bNotNull ? 0 : -1);
            row[11] = Int(wType);
            if (wType == DBTYPE_WSTR || wType == DBTYPE_BYTES)
            {
                row[13] = Int(cchMax);
                row[14] = Int(wType == DBTYPE_WSTR ? (sqlite3_int64)cchMax * 2 : cchMax);
            }
            if (wType == DBTYPE_I4)
                row[15] = Int(10);
            else if (wType == DBTYPE_I2)
                row[15] = Int(5);
            else if (wType == DBTYPE_UI1)
                row[15] = Int(3);
            pRowset->AddRow(row);
        }
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    if (rc != SQLITE_OK)
    {
        pRowset->Release();
        return JetReportSqlite(m_db, rc, IID_IDBSchemaRowset, m_strPath);
    }
    HRESULT hr = pRowset->QueryInterface(riid, (void**)ppRowset);
    pRowset->Release();
    return hr;
}

STDMETHODIMP CJetSession::GetSchemas(ULONG* pcSchemas, GUID** prgSchemas, ULONG** prgRestrictionSupport)
{
    if (pcSchemas == NULL || prgSchemas == NULL)
        return E_INVALIDARG;
    *pcSchemas = 2;
    *prgSchemas = (GUID*)CoTaskMemAlloc(2 * sizeof(GUID));
    (*prgSchemas)[0] = DBSCHEMA_TABLES;
    (*prgSchemas)[1] = DBSCHEMA_COLUMNS;
    if (prgRestrictionSupport != NULL)
    {
        *prgRestrictionSupport = (ULONG*)CoTaskMemAlloc(2 * sizeof(ULONG));
        (*prgRestrictionSupport)[0] = 0x0C; // table name and type
        (*prgRestrictionSupport)[1] = 0x0C; // table name and column name
    }
    return S_OK;
}

STDMETHODIMP CJetSession::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IOpenRowset || riid == IID_IDBCreateCommand || riid == IID_IDBSchemaRowset ||
                   riid == IID_ITransactionLocal
               ? S_OK
               : S_FALSE;
}

// A command: Jet SQL text translated once, prepared on demand, executed into a materialised rowset.
#include "JetCommand.h"

#include <set>

#include "JetErrorInfo.h"
#include "JetRowset.h"
#include "JetSession.h"
#include "JetSql.h"

CJetCommand::CJetCommand(CJetSession* pSession) : m_pSession(pSession)
{
    m_pSession->AddRef();
}

CJetCommand::~CJetCommand()
{
    FinalizeStatement();
    m_pSession->Release();
}

void CJetCommand::FinalizeStatement()
{
    if (m_pStmt == NULL)
        return;
    CJetLock lock(m_pSession->Db());
    sqlite3_finalize(m_pStmt);
    m_pStmt = NULL;
    m_columns.clear();
    m_lazy.clear();
    m_strTable.clear();
    m_strSelectList.clear();
    m_joinedBlobs.clear();
}

HRESULT CJetCommand::SetText(const std::string& strSqlUtf8, bool bTranslate)
{
    FinalizeStatement();
    m_strText = JetUtf8ToWide(strSqlUtf8);
    m_strSql = bTranslate ? JetTranslateSql(strSqlUtf8) : strSqlUtf8;
    return S_OK;
}

int CJetCommand::PrepareStatement()
{
    if (m_pStmt != NULL)
        return SQLITE_OK;
    sqlite3* db = m_pSession->Db();
    sqlite3_stmt* pStmt = NULL;
    int rc = sqlite3_prepare_v2(db, m_strSql.c_str(), -1, &pStmt, NULL);
    if (rc != SQLITE_OK)
        return rc;
    int nCols = sqlite3_column_count(pStmt);
    m_columns.clear();
    for (int i = 0; i < nCols; ++i)
        m_columns.push_back(sqlite3_column_name(pStmt, i));
    m_lazy.assign(nCols, false);

    std::string strTable, strTail;
    bool bOrdered = false;
    if (nCols > 0 && JetSplitSingleTableSelect(m_strSql, strTable, strTail, bOrdered))
    {
        std::string list = strTable + ".rowid";
        std::set<std::string> seen;
        std::vector<bool> lazy(nCols, false);
        bool bPlain = true;
        for (int i = 0; bPlain && i < nCols; ++i)
        {
            const char* pszDecl = sqlite3_column_decltype(pStmt, i);
            std::string upName = m_columns[i];
            for (char& c : upName)
                c = (char)toupper((unsigned char)c);
            if (pszDecl == NULL || !seen.insert(upName).second)
            {
                bPlain = false;
                break;
            }
            std::string col = strTable + ".\"" + m_columns[i] + "\"";
            if (_stricmp(pszDecl, "LONGBINARY") == 0)
            {
                lazy[i] = true;
                col = "length(" + col + ")";
            }
            list += ", " + col;
        }
        if (bPlain)
        {
            // Table order is insertion order, as Jet gives it.
            std::string sql = "SELECT " + list + " FROM " + strTable + strTail +
                              (bOrdered ? "" : " ORDER BY " + strTable + ".rowid");
            sqlite3_stmt* pRewritten = NULL;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &pRewritten, NULL) == SQLITE_OK &&
                sqlite3_bind_parameter_count(pRewritten) == sqlite3_bind_parameter_count(pStmt))
            {
                sqlite3_finalize(pStmt);
                pStmt = pRewritten;
                m_lazy = lazy;
                m_strTable = strTable.size() >= 2 && (strTable[0] == '[' || strTable[0] == '"')
                                 ? strTable.substr(1, strTable.size() - 2)
                                 : strTable;
                m_strSelectList = list;
            }
            else if (pRewritten != NULL)
                sqlite3_finalize(pRewritten);
        }
    }
    if (m_strTable.empty() && nCols > 0)
        DeferJoinedBlobs(db, pStmt);
    m_pStmt = pStmt;
    return SQLITE_OK;
}

void CJetCommand::DeferJoinedBlobs(sqlite3* db, sqlite3_stmt*& pStmt)
{
    int nCols = (int)m_columns.size();
    std::vector<bool> defer(nCols, false);
    bool bAny = false;
    for (int i = 0; i < nCols; ++i)
    {
        const char* pszDecl = sqlite3_column_decltype(pStmt, i);
        defer[i] = pszDecl != NULL && _stricmp(pszDecl, "LONGBINARY") == 0;
        bAny = bAny || defer[i];
    }
    if (!bAny)
        return;
    std::vector<std::string> tables, columns;
    std::string sql = JetDeferColumns(m_strSql, defer, tables, columns);
    if (sql.empty())
        return;
    std::vector<CJetJoinedBlob> blobs(nCols);
    int nHidden = 0;
    for (int i = 0; i < nCols; ++i)
    {
        if (tables[i].empty())
            continue;
        // The bytes are read later from the table by name: an alias would leave them nowhere to be found.
        CJetStmt check;
        const char* pszCheck = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE";
        if (sqlite3_prepare_v2(db, pszCheck, -1, &check, NULL) != SQLITE_OK)
            return;
        sqlite3_bind_text(check, 1, tables[i].c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(check) != SQLITE_ROW)
            return;
        blobs[i].strTable = tables[i];
        blobs[i].strColumn = columns[i];
        blobs[i].iRowid = nCols + nHidden++;
    }
    sqlite3_stmt* pRewritten = NULL;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &pRewritten, NULL) == SQLITE_OK &&
        sqlite3_column_count(pRewritten) == nCols + nHidden &&
        sqlite3_bind_parameter_count(pRewritten) == sqlite3_bind_parameter_count(pStmt))
    {
        sqlite3_finalize(pStmt);
        pStmt = pRewritten;
        m_joinedBlobs = blobs;
    }
    else if (pRewritten != NULL)
        sqlite3_finalize(pRewritten);
}

HRESULT CJetCommand::Run(DBPARAMS* pParams, REFIID riid, REFIID iidError, DBROWCOUNT* pcRowsAffected,
                         IUnknown** ppRowset)
{
    if (ppRowset != NULL)
        *ppRowset = NULL;
    if (pcRowsAffected != NULL)
        *pcRowsAffected = -1;
    if (m_strSql.empty())
        return JetReportError(DB_E_NOCOMMAND, iidError, 0, L"Command text was not set for the command object.");
    if (JetTakeIoFault())
        return JetReportDiskError(iidError);
    CJetAccessor* pParamAccessor = NULL;
    if (pParams != NULL && pParams->hAccessor != DB_NULL_HACCESSOR)
    {
        pParamAccessor = m_accessors.Find(pParams->hAccessor);
        if (pParamAccessor == NULL)
            return DB_E_BADACCESSORHANDLE;
    }
    sqlite3* db = m_pSession->Db();
    CJetLock lock(db);
    int rc = PrepareStatement();
    if (rc != SQLITE_OK)
        return JetReportSqlite(db, rc, iidError, m_pSession->Path());
    sqlite3_reset(m_pStmt);
    sqlite3_clear_bindings(m_pStmt);
    int nMarkers = sqlite3_bind_parameter_count(m_pStmt);
    if (pParamAccessor != NULL)
    {
        // Only as many parameters as the text has markers: a table object binds all it may ever need.
        for (const DBBINDING& b : pParamAccessor->bindings)
        {
            if ((int)b.iOrdinal > nMarkers)
                continue;
            CJetValue v;
            HRESULT hr = JetValueFromBinding(b, (BYTE*)pParams->pData, v);
            if (FAILED(hr))
                return JetReportError(hr, iidError, 0, L"A parameter value could not be converted.");
            v.Bind(m_pStmt, (int)b.iOrdinal);
        }
    }
    bool bRowset = sqlite3_column_count(m_pStmt) > 0 && ppRowset != NULL && riid != IID_NULL;
    CJetRowset* pRowset = NULL;
    if (bRowset)
    {
        pRowset = new CJetRowset(m_pSession);
        pRowset->SetColumns(m_columns);
        if (!m_strTable.empty())
            pRowset->SetBaseTable(m_strTable, m_strSelectList, m_lazy);
        else if (!m_joinedBlobs.empty())
            pRowset->SetJoinedBlobs(m_joinedBlobs);
        rc = pRowset->Fill(m_pStmt);
    }
    else
    {
        while ((rc = sqlite3_step(m_pStmt)) == SQLITE_ROW)
        {
        }
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    HRESULT hr = S_OK;
    if (rc != SQLITE_OK)
        hr = JetReportSqlite(db, rc, iidError, m_pSession->Path(), m_strSql.c_str());
    else if (pcRowsAffected != NULL && sqlite3_column_count(m_pStmt) == 0)
        *pcRowsAffected = sqlite3_changes(db);
    // Reset at once: no statement stays active to block DDL or other threads.
    sqlite3_reset(m_pStmt);
    sqlite3_clear_bindings(m_pStmt);
    if (pRowset != NULL)
    {
        if (SUCCEEDED(hr))
            hr = pRowset->QueryInterface(riid, (void**)ppRowset);
        pRowset->Release();
    }
    return hr;
}

void* CJetCommand::InterfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_ICommand || riid == IID_ICommandText)
        return static_cast<ICommandText*>(this);
    if (riid == IID_ICommandPrepare)
        return static_cast<ICommandPrepare*>(this);
    if (riid == IID_ICommandProperties)
        return static_cast<ICommandProperties*>(this);
    if (riid == IID_IAccessor)
        return static_cast<IAccessor*>(this);
    if (riid == IID_ISupportErrorInfo)
        return static_cast<ISupportErrorInfo*>(this);
    if (riid == IID_IJetInternal)
        return this;
    return NULL;
}

STDMETHODIMP CJetCommand::Cancel()
{
    return S_OK;
}

STDMETHODIMP CJetCommand::Execute(IUnknown* pUnkOuter, REFIID riid, DBPARAMS* pParams, DBROWCOUNT* pcRowsAffected,
                                  IUnknown** ppRowset)
{
    JetClearError();
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    return Run(pParams, riid, IID_ICommand, pcRowsAffected, ppRowset);
}

STDMETHODIMP CJetCommand::GetDBSession(REFIID riid, IUnknown** ppSession)
{
    if (ppSession == NULL)
        return E_INVALIDARG;
    return m_pSession->QueryInterface(riid, (void**)ppSession);
}

// Leaves the thread's error object alone: error reports ask for the text after a failure.
STDMETHODIMP CJetCommand::GetCommandText(GUID* pguidDialect, LPOLESTR* ppwszCommand)
{
    if (ppwszCommand == NULL)
        return E_INVALIDARG;
    *ppwszCommand = NULL;
    if (m_strSql.empty())
        return DB_E_NOCOMMAND;
    size_t cb = (m_strText.size() + 1) * sizeof(wchar_t);
    *ppwszCommand = (LPOLESTR)CoTaskMemAlloc(cb);
    if (*ppwszCommand == NULL)
        return E_OUTOFMEMORY;
    memcpy(*ppwszCommand, m_strText.c_str(), cb);
    if (pguidDialect != NULL)
        *pguidDialect = DBGUID_DEFAULT;
    return S_OK;
}

STDMETHODIMP CJetCommand::SetCommandText(REFGUID, LPCOLESTR pwszCommand)
{
    JetClearError();
    if (pwszCommand == NULL)
    {
        FinalizeStatement();
        m_strText.clear();
        m_strSql.clear();
        return S_OK;
    }
    return SetText(JetWideToUtf8(pwszCommand), true);
}

STDMETHODIMP CJetCommand::Prepare(ULONG)
{
    JetClearError();
    if (m_strSql.empty())
        return JetReportError(DB_E_NOCOMMAND, IID_ICommandPrepare, 0,
                              L"Command text was not set for the command object.");
    sqlite3* db = m_pSession->Db();
    CJetLock lock(db);
    int rc = PrepareStatement();
    if (rc != SQLITE_OK)
        return JetReportSqlite(db, rc, IID_ICommandPrepare, m_pSession->Path());
    return S_OK;
}

STDMETHODIMP CJetCommand::Unprepare()
{
    FinalizeStatement();
    return S_OK;
}

STDMETHODIMP CJetCommand::GetProperties(const ULONG, const DBPROPIDSET[], ULONG* pcPropertySets,
                                        DBPROPSET** prgPropertySets)
{
    if (pcPropertySets == NULL || prgPropertySets == NULL)
        return E_INVALIDARG;
    *pcPropertySets = 0;
    *prgPropertySets = NULL;
    return S_OK;
}

STDMETHODIMP CJetCommand::SetProperties(ULONG cPropertySets, DBPROPSET rgPropertySets[])
{
    // Rowsets over one table can change, insert and delete rows. Others (joins, computed columns) are
    // read-only: a request to change them is reported as not set, so the caller can tell, and the rowset
    // still opens, without IRowsetChange.
    bool bReadOnly = false;
    if (!m_strSql.empty())
    {
        CJetLock lock(m_pSession->Db());
        bReadOnly = PrepareStatement() == SQLITE_OK && !m_columns.empty() && m_strTable.empty();
    }
    bool bNotSet = false;
    for (ULONG i = 0; i < cPropertySets && rgPropertySets != NULL; ++i)
    {
        for (ULONG k = 0; k < rgPropertySets[i].cProperties; ++k)
        {
            DBPROP& prop = rgPropertySets[i].rgProperties[k];
            bool bChange = IsEqualGUID(rgPropertySets[i].guidPropertySet, DBPROPSET_ROWSET) &&
                           ((prop.dwPropertyID == DBPROP_IRowsetChange && prop.vValue.vt == VT_BOOL &&
                             prop.vValue.boolVal != VARIANT_FALSE) ||
                            (prop.dwPropertyID == DBPROP_UPDATABILITY && prop.vValue.vt == VT_I4 &&
                             prop.vValue.lVal != 0));
            prop.dwStatus = bReadOnly && bChange ? DBPROPSTATUS_NOTSET : DBPROPSTATUS_OK;
            bNotSet = bNotSet || prop.dwStatus != DBPROPSTATUS_OK;
        }
    }
    return bNotSet ? DB_S_ERRORSOCCURRED : S_OK;
}

STDMETHODIMP CJetCommand::CreateAccessor(DBACCESSORFLAGS dwAccessorFlags, DBCOUNTITEM cBindings,
                                         const DBBINDING rgBindings[], DBLENGTH, HACCESSOR* phAccessor,
                                         DBBINDSTATUS rgStatus[])
{
    JetClearError();
    return m_accessors.Create(dwAccessorFlags | DBACCESSOR_PARAMETERDATA, cBindings, rgBindings, 0, phAccessor,
                              rgStatus);
}

STDMETHODIMP CJetCommand::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_ICommand || riid == IID_ICommandText || riid == IID_ICommandPrepare || riid == IID_IAccessor
               ? S_OK
               : S_FALSE;
}

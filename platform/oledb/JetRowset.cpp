// A rowset materialised at execution: rows in memory, changes written through to one base table by rowid.
#include "JetRowset.h"

#include <algorithm>
#include <new>

#include "JetBlockPool.h"
#include "JetErrorInfo.h"
#include "JetSession.h"

namespace
{
std::string Quote(const std::string& name)
{
    std::string s = "\"";
    for (char c : name)
    {
        if (c == '"')
            s += '"';
        s += c;
    }
    return s + "\"";
}

// Runs one change statement with its values bound in order; SQLITE_OK when it ran to the end.
int RunChange(sqlite3* db, const std::string& sql, const std::vector<CJetValue>& values,
              const std::vector<CJetLentBytes>& lent)
{
    CJetStmt stmt;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL);
    if (rc != SQLITE_OK)
        return rc;
    // The values, and the bytes lent for the consumer's call, outlive the statement, which is finalised when
    // this returns.
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i < lent.size() && lent[i].p != NULL)
            rc = sqlite3_bind_blob64(stmt, (int)i + 1, lent[i].p, lent[i].n, SQLITE_STATIC);
        else
            values[i].Bind(stmt, (int)i + 1, true);
        if (rc != SQLITE_OK)
            return rc;
    }
    rc = sqlite3_step(stmt);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}
} // namespace

CJetRowset::CJetRowset(CJetSession* pSession) : m_pSession(pSession)
{
    if (m_pSession != NULL)
        m_pSession->AddRef();
}

CJetRowset::~CJetRowset()
{
    for (const Block& block : m_rowBlocks)
    {
        for (size_t cb = 0; cb < block.cbUsed; cb += sizeof(Row))
            reinterpret_cast<Row*>(block.p + cb)->~Row();
        CJetBlockPool::Give(block.p, block.cb);
    }
    for (const Block& block : m_byteBlocks)
        CJetBlockPool::Give(block.p, block.cb);
    if (m_pInsert != NULL)
    {
        CJetLock lock(m_pSession->Db());
        sqlite3_finalize(m_pInsert);
    }
    if (m_pSession != NULL)
        m_pSession->Release();
}

void CJetRowset::SetColumns(const std::vector<std::string>& names)
{
    m_columns = names;
    m_lazy.assign(names.size(), false);
    m_bAnyLazy = false;
}

void CJetRowset::SetBaseTable(const std::string& strTable, const std::string& strSelectList,
                              const std::vector<bool>& lazy)
{
    m_strTable = strTable;
    m_strSelectList = strSelectList;
    m_lazy = lazy;
    m_bAnyLazy = std::find(m_lazy.begin(), m_lazy.end(), true) != m_lazy.end();
}

void CJetRowset::SetJoinedBlobs(const std::vector<CJetJoinedBlob>& blobs)
{
    m_joinedBlobs = blobs;
    for (size_t i = 0; i < blobs.size() && i < m_lazy.size(); ++i)
        m_lazy[i] = blobs[i].iRowid >= 0;
    m_bAnyLazy = std::find(m_lazy.begin(), m_lazy.end(), true) != m_lazy.end();
}

void CJetRowset::AddRow(const std::vector<CJetValue>& values)
{
    m_all.emplace_back(new Row);
    m_all.back()->values = values;
    m_live.push_back(m_all.back().get());
}

// Blocks grow from small to large: a small result then lives in memory the heap has already touched, which
// costs far less than fresh pages, and a large one still needs few allocations.
CJetRowset::Row* CJetRowset::NewFilledRow()
{
    if (m_rowBlocks.empty() || m_rowBlocks.back().cb - m_rowBlocks.back().cbUsed < sizeof(Row))
    {
        size_t cb = m_rowBlocks.empty() ? 16 * sizeof(Row) : m_rowBlocks.back().cb;
        if (!m_rowBlocks.empty() && cb < 4096 * sizeof(Row))
            cb *= 2;
        char* p = CJetBlockPool::Take(cb);
        m_rowBlocks.push_back(Block{p, cb, 0});
    }
    Block& block = m_rowBlocks.back();
    Row* row = new (block.p + block.cbUsed) Row;
    block.cbUsed += sizeof(Row);
    return row;
}

char* CJetRowset::Reserve(size_t cb)
{
    if (m_byteBlocks.empty() || m_byteBlocks.back().cb - m_byteBlocks.back().cbUsed < cb)
    {
        size_t cbBlock = m_byteBlocks.empty() ? 1024 : m_byteBlocks.back().cb;
        if (!m_byteBlocks.empty() && cbBlock < (1 << 20))
            cbBlock *= 2;
        if (cbBlock < cb)
            cbBlock = cb;
        char* p = CJetBlockPool::Take(cbBlock);
        m_byteBlocks.push_back(Block{p, cbBlock, 0});
    }
    Block& block = m_byteBlocks.back();
    char* p = block.p + block.cbUsed;
    block.cbUsed += cb;
    return p;
}

int CJetRowset::Fill(sqlite3_stmt* pStmt)
{
    int iFirst = m_strTable.empty() ? 0 : 1;
    int nCols = sqlite3_column_count(pStmt) - iFirst;
    int rc;
    // A large folder is read whole here: a value per column would cost an allocation and most of the
    // memory each, so a row keeps its values packed, written straight into the rowset's storage, and GetData
    // reads them from there.
    std::vector<CJetValueRef> values;
    while ((rc = sqlite3_step(pStmt)) == SQLITE_ROW)
    {
        Row* row = NewFilledRow();
        if (iFirst == 1)
            row->rowid = sqlite3_column_int64(pStmt, 0);
        size_t cb = CJetPackedRow::Measure(pStmt, iFirst, nCols, m_lazy, values);
        char* p = Reserve(cb);
        CJetPackedRow::Write(values, p);
        row->packed.Set(p, cb);
        m_live.push_back(row);
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

void* CJetRowset::InterfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IRowset)
        return static_cast<IRowset*>(this);
    if (riid == IID_IRowsetChange && !m_strTable.empty())
        return static_cast<IRowsetChange*>(this);
    if (riid == IID_IAccessor)
        return static_cast<IAccessor*>(this);
    if (riid == IID_ISupportErrorInfo)
        return static_cast<ISupportErrorInfo*>(this);
    if (riid == IID_IJetInternal)
        return this;
    return NULL;
}

CJetRowset::Row* CJetRowset::RowOf(HROW hRow) const
{
    return reinterpret_cast<Row*>(hRow);
}

STDMETHODIMP CJetRowset::AddRefRows(DBCOUNTITEM cRows, const HROW[], DBREFCOUNT rgRefCounts[],
                                    DBROWSTATUS rgRowStatus[])
{
    for (DBCOUNTITEM i = 0; i < cRows; ++i)
    {
        if (rgRefCounts != NULL)
            rgRefCounts[i] = 1;
        if (rgRowStatus != NULL)
            rgRowStatus[i] = DBROWSTATUS_S_OK;
    }
    return S_OK;
}

STDMETHODIMP CJetRowset::GetData(HROW hRow, HACCESSOR hAccessor, void* pData)
{
    JetClearError();
    Row* pRow = RowOf(hRow);
    if (pRow == NULL)
        return DB_E_BADROWHANDLE;
    if (pRow->bDeleted)
        return DB_E_DELETEDROW;
    CJetAccessor* pAccessor = m_accessors.Find(hAccessor);
    if (pAccessor == NULL)
        return DB_E_BADACCESSORHANDLE;
    if (pData == NULL && !pAccessor->bindings.empty())
        return E_INVALIDARG;
    size_t nErrors = 0;
    // Most rowsets have no long binary column: their bindings skip the look-up.
    bool bLazy = m_bAnyLazy && m_pSession != NULL;
    bool bPacked = !pRow->packed.IsEmpty();
    if (bPacked && m_pUnpacked != pRow)
    {
        pRow->packed.Unpack(m_unpacked);
        m_pUnpacked = pRow;
    }
    for (const DBBINDING& b : pAccessor->bindings)
    {
        size_t iCol = (size_t)b.iOrdinal - 1;
        const CJetBlobRef* pRef = NULL;
        if (bLazy && iCol < m_lazy.size() && m_lazy[iCol])
        {
            CJetBlobRef& ref = m_blobRef; // every field is set again for each lazy column
            ref.pSession = m_pSession;
            ref.strTable = m_strTable;
            ref.strColumn = m_columns[iCol];
            ref.rowid = pRow->rowid;
            if (iCol < m_joinedBlobs.size() && m_joinedBlobs[iCol].iRowid >= 0)
            {
                const CJetJoinedBlob& blob = m_joinedBlobs[iCol];
                ref.strTable = blob.strTable;
                ref.strColumn = blob.strColumn;
                ref.rowid = bPacked ? m_unpacked[blob.iRowid].i : pRow->values[blob.iRowid].i;
            }
            pRef = &ref;
        }
        // The unpacked view is passed where it lies: a copy would stall on the stores that just wrote it.
        CJetValueRef fromValues;
        if (!bPacked)
            fromValues = CJetValueRef(pRow->values[iCol]);
        const CJetValueRef& value = bPacked ? m_unpacked[iCol] : fromValues;
        if (FAILED(JetValueToBinding(value, b, (BYTE*)pData, pRef)))
            ++nErrors;
    }
    if (nErrors == 0)
        return S_OK;
    return nErrors == pAccessor->bindings.size() ? DB_E_ERRORSOCCURRED : DB_S_ERRORSOCCURRED;
}

STDMETHODIMP CJetRowset::GetNextRows(HCHAPTER, DBROWOFFSET lRowsOffset, DBROWCOUNT cRows,
                                     DBCOUNTITEM* pcRowsObtained, HROW** prghRows)
{
    JetClearError();
    if (pcRowsObtained == NULL || prghRows == NULL)
        return E_INVALIDARG;
    *pcRowsObtained = 0;
    if (cRows == 0)
        return S_OK;
    // A negative offset from the start position counts from the end, as scrollable Jet rowsets do.
    LONGLONG start = (m_bAtStart && lRowsOffset < 0) ? (LONGLONG)m_live.size() + lRowsOffset
                                                     : (LONGLONG)m_iNext + lRowsOffset;
    m_bAtStart = false;
    if (start < 0 || start >= (LONGLONG)m_live.size())
    {
        m_iNext = start < 0 ? 0 : m_live.size();
        return DB_S_ENDOFROWSET;
    }
    LONGLONG nWanted = cRows > 0 ? cRows : -cRows;
    // Handles go straight into the caller's array: a move of one row must not allocate.
    LONGLONG nAvailable = cRows > 0 ? (LONGLONG)m_live.size() - start : start + 1;
    size_t nRows = (size_t)(nAvailable < nWanted ? nAvailable : nWanted);
    if (*prghRows == NULL)
        *prghRows = (HROW*)CoTaskMemAlloc(sizeof(HROW) * (nRows > 0 ? nRows : 1));
    if (*prghRows == NULL)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i < nRows; ++i)
    {
        size_t iRow = cRows > 0 ? (size_t)start + i : (size_t)start - i;
        (*prghRows)[i] = reinterpret_cast<HROW>(m_live[iRow]);
    }
    m_iNext = cRows > 0 ? (size_t)start + nRows : (size_t)(start + 1 - (LONGLONG)nRows);
    *pcRowsObtained = nRows;
    return (LONGLONG)nRows < nWanted ? DB_S_ENDOFROWSET : S_OK;
}

STDMETHODIMP CJetRowset::ReleaseRows(DBCOUNTITEM cRows, const HROW[], DBROWOPTIONS[], DBREFCOUNT rgRefCounts[],
                                     DBROWSTATUS rgRowStatus[])
{
    for (DBCOUNTITEM i = 0; i < cRows; ++i)
    {
        if (rgRefCounts != NULL)
            rgRefCounts[i] = 0;
        if (rgRowStatus != NULL)
            rgRowStatus[i] = DBROWSTATUS_S_OK;
    }
    return S_OK;
}

STDMETHODIMP CJetRowset::RestartPosition(HCHAPTER)
{
    m_iNext = 0;
    m_bAtStart = true;
    return S_OK;
}

HRESULT CJetRowset::CollectValues(HACCESSOR hAccessor, BYTE* pData, std::vector<std::string>& columns,
                                  std::vector<CJetValue>& values, std::vector<CJetLentBytes>& lent)
{
    CJetAccessor* pAccessor = m_accessors.Find(hAccessor);
    if (pAccessor == NULL)
        return DB_E_BADACCESSORHANDLE;
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IRowsetChange);
    for (const DBBINDING& b : pAccessor->bindings)
    {
        size_t iCol = (size_t)b.iOrdinal - 1;
        CJetValue v;
        CJetLentBytes bytes;
        HRESULT hr = JetValueFromBinding(b, pData, v, &bytes);
        if (FAILED(hr))
            return JetReportError(hr, IID_IRowsetChange, 0,
                                  L"A value could not be taken from the consumer's buffer.");
        if (hr == S_FALSE)
            continue;
        columns.push_back(m_columns[iCol]);
        values.push_back(std::move(v));
        lent.push_back(bytes);
    }
    return S_OK;
}

HRESULT CJetRowset::ReadRow(sqlite3_int64 rowid, Row& row)
{
    sqlite3* db = m_pSession->Db();
    CJetStmt stmt;
    std::string sql = "SELECT " + m_strSelectList + " FROM " + Quote(m_strTable) + " WHERE rowid = ?";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL);
    if (rc != SQLITE_OK)
        return JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path());
    sqlite3_bind_int64(stmt, 1, rowid);
    rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? DB_E_DELETEDROW : JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path());
    SetRowFrom(stmt, row);
    return S_OK;
}

void CJetRowset::SetRowFrom(sqlite3_stmt* pStmt, Row& row)
{
    row.rowid = sqlite3_column_int64(pStmt, 0);
    row.packed.Clear();
    if (m_pUnpacked == &row)
        m_pUnpacked = NULL;
    row.values.resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i)
    {
        CJetValue v = CJetValue::FromColumn(pStmt, (int)i + 1);
        if (m_lazy[i] && v.kind == CJetValue::Integer)
            v.kind = CJetValue::LazyBlob;
        row.values[i] = std::move(v);
    }
}

STDMETHODIMP CJetRowset::DeleteRows(HCHAPTER, DBCOUNTITEM cRows, const HROW rghRows[], DBROWSTATUS rgRowStatus[])
{
    JetClearError();
    if (m_strTable.empty())
        return DB_E_NOTSUPPORTED;
    if (cRows > 0 && rghRows == NULL)
        return E_INVALIDARG;
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IRowsetChange);
    sqlite3* db = m_pSession->Db();
    CJetLock lock(db);
    CJetStmt stmt;
    std::string sql = "DELETE FROM " + Quote(m_strTable) + " WHERE rowid = ?";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL);
    if (rc != SQLITE_OK)
        return JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path());
    HRESULT hrResult = S_OK;
    for (DBCOUNTITEM i = 0; i < cRows; ++i)
    {
        Row* pRow = RowOf(rghRows[i]);
        DBROWSTATUS status = DBROWSTATUS_S_OK;
        if (pRow == NULL || pRow->bDeleted)
            status = DBROWSTATUS_E_DELETED;
        else
        {
            sqlite3_reset(stmt);
            sqlite3_bind_int64(stmt, 1, pRow->rowid);
            rc = sqlite3_step(stmt);
            if (rc != SQLITE_DONE)
            {
                hrResult = JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path(), sql.c_str());
                status = DBROWSTATUS_E_FAIL;
            }
            else
            {
                pRow->bDeleted = true;
                for (size_t k = 0; k < m_live.size(); ++k)
                {
                    if (m_live[k] != pRow)
                        continue;
                    m_live.erase(m_live.begin() + k);
                    if (k < m_iNext)
                        --m_iNext;
                    break;
                }
            }
        }
        if (rgRowStatus != NULL)
            rgRowStatus[i] = status;
        if (status != DBROWSTATUS_S_OK && hrResult == S_OK)
            hrResult = DB_E_ERRORSOCCURRED;
    }
    sqlite3_reset(stmt);
    return hrResult;
}

STDMETHODIMP CJetRowset::SetData(HROW hRow, HACCESSOR hAccessor, void* pData)
{
    JetClearError();
    if (m_strTable.empty())
        return DB_E_NOTSUPPORTED;
    Row* pRow = RowOf(hRow);
    if (pRow == NULL)
        return DB_E_BADROWHANDLE;
    if (pRow->bDeleted)
        return DB_E_DELETEDROW;
    std::vector<std::string> columns;
    std::vector<CJetValue> values;
    std::vector<CJetLentBytes> lent;
    HRESULT hr = CollectValues(hAccessor, (BYTE*)pData, columns, values, lent);
    if (FAILED(hr))
        return hr;
    if (columns.empty())
        return S_OK;
    std::string sql = "UPDATE " + Quote(m_strTable) + " SET ";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i > 0 ? ", " : "") + Quote(columns[i]) + " = ?";
    sql += " WHERE rowid = ?";
    CJetValue rowid;
    rowid.kind = CJetValue::Integer;
    rowid.i = pRow->rowid;
    values.push_back(rowid);
    sqlite3* db = m_pSession->Db();
    CJetLock lock(db);
    int rc = RunChange(db, sql, values, lent);
    if (rc != SQLITE_OK)
        return JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path(), sql.c_str());
    return ReadRow(pRow->rowid, *pRow);
}

STDMETHODIMP CJetRowset::InsertRow(HCHAPTER, HACCESSOR hAccessor, void* pData, HROW* phRow)
{
    JetClearError();
    if (phRow != NULL)
        *phRow = DB_NULL_HROW;
    if (m_strTable.empty())
        return DB_E_NOTSUPPORTED;
    std::vector<std::string> columns;
    std::vector<CJetValue> values;
    std::vector<CJetLentBytes> lent;
    HRESULT hr = CollectValues(hAccessor, (BYTE*)pData, columns, values, lent);
    if (FAILED(hr))
        return hr;
    sqlite3* db = m_pSession->Db();
    CJetLock lock(db);
    // A rowset that stores many rows inserts the same columns each time: their statement is kept prepared.
    if (m_pInsert == NULL || columns != m_insertColumns)
    {
        std::string sql = "INSERT INTO " + Quote(m_strTable);
        if (columns.empty())
            sql += " DEFAULT VALUES";
        else
        {
            std::string names, marks;
            for (size_t i = 0; i < columns.size(); ++i)
            {
                names += (i > 0 ? ", " : "") + Quote(columns[i]);
                marks += i > 0 ? ", ?" : "?";
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        // The new row comes back from the insert itself: reading it again would cost a statement and a
        // transaction of its own, which is most of an insert's price when every insert commits.
        sql += " RETURNING " + m_strSelectList;
        if (m_pInsert != NULL)
            sqlite3_finalize(m_pInsert);
        m_pInsert = NULL;
        m_insertColumns.clear();
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_pInsert, NULL);
        if (rc != SQLITE_OK)
        {
            m_pInsert = NULL;
            return JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path(), sql.c_str());
        }
        m_insertColumns = columns;
    }
    // The values and the bytes a storage object lends outlive the step: the statement is reset before this
    // returns, so nothing is copied.
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i < lent.size() && lent[i].p != NULL)
            sqlite3_bind_blob64(m_pInsert, (int)i + 1, lent[i].p, lent[i].n, SQLITE_STATIC);
        else
            values[i].Bind(m_pInsert, (int)i + 1, true);
    }
    // Jet shows the new row at the end of the rowset, so MoveLast finds it with its COUNTER value.
    std::unique_ptr<Row> row(new Row);
    int rc = sqlite3_step(m_pInsert);
    bool bRow = rc == SQLITE_ROW;
    if (bRow)
    {
        SetRowFrom(m_pInsert, *row);
        // The statement commits when it runs to its end; a failure there undoes the row.
        rc = sqlite3_step(m_pInsert);
    }
    if (rc != SQLITE_DONE || !bRow)
    {
        // Reset first: the report may run statements of its own, and the message survives the reset.
        sqlite3_reset(m_pInsert);
        sqlite3_clear_bindings(m_pInsert);
        if (rc == SQLITE_DONE)
            return DB_E_DELETEDROW;
        return JetReportSqlite(db, rc, IID_IRowsetChange, m_pSession->Path(), sqlite3_sql(m_pInsert));
    }
    // Reset at once: a statement left active would hold a read transaction and block schema changes.
    sqlite3_reset(m_pInsert);
    sqlite3_clear_bindings(m_pInsert);
    m_live.push_back(row.get());
    if (phRow != NULL)
        *phRow = reinterpret_cast<HROW>(row.get());
    m_all.push_back(std::move(row));
    return S_OK;
}

STDMETHODIMP CJetRowset::CreateAccessor(DBACCESSORFLAGS dwAccessorFlags, DBCOUNTITEM cBindings,
                                        const DBBINDING rgBindings[], DBLENGTH, HACCESSOR* phAccessor,
                                        DBBINDSTATUS rgStatus[])
{
    JetClearError();
    return m_accessors.Create(dwAccessorFlags, cBindings, rgBindings, m_columns.size(), phAccessor, rgStatus);
}

STDMETHODIMP CJetRowset::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IRowset || riid == IID_IRowsetChange || riid == IID_IAccessor ? S_OK : S_FALSE;
}

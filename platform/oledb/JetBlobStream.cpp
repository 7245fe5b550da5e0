// The storage object of a long binary column: a read-only sequential stream, lazy on file-backed values.
#include "JetBlobStream.h"

#include "JetErrorInfo.h"
#include "JetSession.h"

CJetBlobStream::CJetBlobStream(const CJetBlobRef& ref, ULONGLONG cbSize) : m_bLazy(true), m_ref(ref), m_cbSize(cbSize)
{
    m_ref.pSession->AddRef();
}

CJetBlobStream::CJetBlobStream(const std::string& bytes) : m_bytes(bytes), m_cbSize(bytes.size()) {}

CJetBlobStream::~CJetBlobStream()
{
    CloseBlob();
    if (m_bLazy)
        m_ref.pSession->Release();
}

void CJetBlobStream::CloseBlob()
{
    if (m_pBlob == NULL)
        return;
    CJetLock lock(m_ref.pSession->Db());
    sqlite3_blob_close(m_pBlob);
    m_pBlob = NULL;
}

HRESULT CJetBlobStream::ReadAll(const CJetBlobRef& ref, std::string& bytes)
{
    bytes.clear();
    sqlite3* db = ref.pSession->Db();
    CJetLock lock(db);
    CJetStmt stmt;
    std::string sql = "SELECT \"" + ref.strColumn + "\" FROM \"" + ref.strTable + "\" WHERE rowid = ?";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL);
    if (rc == SQLITE_OK)
    {
        sqlite3_bind_int64(stmt, 1, ref.rowid);
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
        {
            const void* p = sqlite3_column_blob(stmt, 0);
            int n = sqlite3_column_bytes(stmt, 0);
            if (p != NULL)
                bytes.assign((const char*)p, n);
            return S_OK;
        }
        if (rc == SQLITE_DONE)
            return DB_E_DELETEDROW;
    }
    return JetReportSqlite(db, rc, IID_IRowset, ref.pSession->Path());
}

void* CJetBlobStream::InterfaceFor(REFIID riid)
{
    if (riid == IID_IJetInternal)
        return this;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream)
        return static_cast<ISequentialStream*>(this);
    return NULL;
}

STDMETHODIMP CJetBlobStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (pcbRead != NULL)
        *pcbRead = 0;
    if (pv == NULL)
        return STG_E_INVALIDPOINTER;
    if (m_bLazy && m_cbPos == 0 && m_pBlob == NULL)
    {
        // The value is read as it is now, whole: the row may have changed since the rowset was fetched,
        // and the fetched length would cut a longer value short.
        sqlite3* db = m_ref.pSession->Db();
        CJetLock lock(db);
        int rc = sqlite3_blob_open(db, "main", m_ref.strTable.c_str(), m_ref.strColumn.c_str(), m_ref.rowid,
                                   0, &m_pBlob);
        if (rc != SQLITE_OK)
        {
            m_pBlob = NULL;
            JetReportSqlite(db, rc, IID_ISequentialStream, m_ref.pSession->Path());
            return STG_E_READFAULT;
        }
        m_cbSize = (ULONGLONG)sqlite3_blob_bytes(m_pBlob);
    }
    ULONGLONG cbLeft = m_cbSize > m_cbPos ? m_cbSize - m_cbPos : 0;
    ULONG n = cbLeft < cb ? (ULONG)cbLeft : cb;
    if (n == 0)
    {
        CloseBlob();
        return S_FALSE;
    }
    if (!m_bLazy)
        memcpy(pv, m_bytes.data() + m_cbPos, n);
    else
    {
        sqlite3* db = m_ref.pSession->Db();
        CJetLock lock(db);
        int rc = SQLITE_OK;
        if (m_pBlob == NULL)
            rc = sqlite3_blob_open(db, "main", m_ref.strTable.c_str(), m_ref.strColumn.c_str(), m_ref.rowid, 0,
                                   &m_pBlob);
        if (rc == SQLITE_OK)
            rc = sqlite3_blob_read(m_pBlob, pv, (int)n, (int)m_cbPos);
        if (rc != SQLITE_OK)
        {
            if (m_pBlob != NULL)
                sqlite3_blob_close(m_pBlob);
            m_pBlob = NULL;
            JetReportSqlite(db, rc, IID_ISequentialStream, m_ref.pSession->Path());
            return STG_E_READFAULT;
        }
    }
    m_cbPos += n;
    if (pcbRead != NULL)
        *pcbRead = n;
    if (m_cbPos >= m_cbSize)
        CloseBlob();
    return n < cb ? S_FALSE : S_OK;
}

STDMETHODIMP CJetBlobStream::Write(const void*, ULONG, ULONG* pcbWritten)
{
    if (pcbWritten != NULL)
        *pcbWritten = 0;
    return STG_E_ACCESSDENIED;
}

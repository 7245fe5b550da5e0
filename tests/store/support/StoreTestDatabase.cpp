// Test databases in fresh files, and the stream that hands message texts to inserts.
#include "StoreTestDatabase.h"

namespace
{
class CTextStream : public ISequentialStream
{
public:
    explicit CTextStream(const std::string& bytes) : m_bytes(bytes) {}
    virtual ~CTextStream() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISequentialStream)
        {
            *ppv = static_cast<ISequentialStream*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_cRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG cRef = InterlockedDecrement(&m_cRef);
        if (cRef == 0)
            delete this;
        return cRef;
    }
    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        size_t n = m_bytes.size() - m_nPos < cb ? m_bytes.size() - m_nPos : cb;
        memcpy(pv, m_bytes.data() + m_nPos, n);
        m_nPos += n;
        if (pcbRead != NULL)
            *pcbRead = (ULONG)n;
        return n < cb ? S_FALSE : S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

private:
    LONG m_cRef = 1;
    std::string m_bytes;
    size_t m_nPos = 0;
};
} // namespace

ISequentialStream* NewTextStream(const std::string& bytes)
{
    return new CTextStream(bytes);
}

CTestDatabase::CTestDatabase() : CDatabaseSession(NULL)
{
    if (g_pDatabaseLocal == NULL)
        g_pDatabaseLocal = this;
    else if (g_pDatabaseOrb == NULL)
        g_pDatabaseOrb = this; // a second open file: found by its session all the same
}

CTestDatabase::~CTestDatabase()
{
    m_session.Close();
    if (g_pDatabaseLocal == this)
        g_pDatabaseLocal = NULL;
    if (g_pDatabaseOrb == this)
        g_pDatabaseOrb = NULL;
}

void CTestDatabase::OpenFile(const CString& strPath)
{
    if (GetFileAttributesA(strPath) == INVALID_FILE_ATTRIBUTES && FAILED(CreateDatabase(strPath)))
        throw "test database could not be created";
    CDBPropSet propset(DBPROPSET_DBINIT);
    propset.AddProperty(DBPROP_INIT_DATASOURCE, (const char*)strPath);
    propset.AddProperty(DBPROP_INIT_MODE, (long)DB_MODE_SHARE_DENY_NONE);
    CDataSource dataSource;
    if (FAILED(dataSource.Open("Microsoft.Jet.OLEDB.4.0", &propset)) || FAILED(m_session.Open(dataSource)))
        throw "test database could not be opened";
    m_strDataSource = strPath;
}

void CTestDatabase::Exec(const char* pszSQL)
{
    ExecuteSQL(pszSQL, NULL);
}

namespace
{
class CLongRecord
{
public:
    LONG m_nValue = 0;
    BEGIN_COLUMN_MAP(CLongRecord)
    COLUMN_ENTRY(1, m_nValue)
    END_COLUMN_MAP()
};
} // namespace

LONG CTestDatabase::QueryLong(const char* pszSQL)
{
    CCommand<CAccessor<CLongRecord>> command;
    if (FAILED(command.Open(m_session, pszSQL)))
        throw "test query failed";
    return command.MoveNext() == S_OK ? command.m_nValue : -1;
}

CTempDatabasePath::CTempDatabasePath(const char* pszTag)
{
    static LONG s_nCount = 0;
    char szFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, szFolder);
    m_strPath.Format("%sstore-%s-%lu-%ld.mdb", szFolder, pszTag, GetCurrentProcessId(),
                     (long)InterlockedIncrement(&s_nCount));
    DeleteFileA(m_strPath);
}

CTempDatabasePath::~CTempDatabasePath()
{
    DeleteFileA(m_strPath);
    DeleteFileA(m_strPath + "-wal");
    DeleteFileA(m_strPath + "-shm");
}

DATE MakeDate(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute, WORD wSecond)
{
    SYSTEMTIME st = {};
    st.wYear = wYear;
    st.wMonth = wMonth;
    st.wDay = wDay;
    st.wHour = wHour;
    st.wMinute = wMinute;
    st.wSecond = wSecond;
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}

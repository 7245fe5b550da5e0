// Shared fixture of the OLE DB layer tests: a fresh database file in a private folder, and small helpers.
#include "OleDbTestSupport.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace
{
std::string Narrow(BSTR bstr)
{
    if (bstr == NULL)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, bstr, -1, NULL, 0, NULL, NULL);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, bstr, -1, &s[0], n, NULL, NULL);
    return s;
}

class CMemoryStream : public ISequentialStream
{
public:
    explicit CMemoryStream(const std::string& bytes) : m_bytes(bytes) {}
    virtual ~CMemoryStream() = default;
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
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
    STDMETHOD_(ULONG, AddRef)() override { return ++m_cRef; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG n = --m_cRef;
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHOD(Read)(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        size_t n = m_bytes.size() - m_pos < cb ? m_bytes.size() - m_pos : cb;
        memcpy(pv, m_bytes.data() + m_pos, n);
        m_pos += n;
        if (pcbRead != NULL)
            *pcbRead = (ULONG)n;
        return n < cb ? S_FALSE : S_OK;
    }
    STDMETHOD(Write)(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> m_cRef{1};
    std::string m_bytes;
    size_t m_pos = 0;
};
} // namespace

CTempFolder::CTempFolder()
{
    static std::atomic<int> s_nCounter{0};
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    char szName[64];
    snprintf(szName, sizeof(szName), "oledb-%lu-%d", GetCurrentProcessId(), ++s_nCounter);
    m_strPath = std::string(szTemp) + szName;
    CreateDirectoryA(m_strPath.c_str(), NULL);
}

CTempFolder::~CTempFolder()
{
    std::string from = m_strPath + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

CErrorRecord ReadErrorRecord(IUnknown* pUnk, REFIID iid)
{
    CErrorRecord record;
    CDBErrorInfo info;
    if (FAILED(info.GetErrorRecords(pUnk, iid, &record.nRecords)) || record.nRecords == 0)
        return record;
    BSTR bstrDescription = NULL, bstrSource = NULL;
    info.GetAllErrorInfo(0, GetUserDefaultLCID(), &bstrDescription, &bstrSource, &record.guid,
                         &record.dwHelpContext);
    record.strDescription = Narrow(bstrDescription);
    record.strSource = Narrow(bstrSource);
    SysFreeString(bstrDescription);
    SysFreeString(bstrSource);
    ERRORINFO basic = {};
    if (SUCCEEDED(info.GetBasicErrorInfo(0, &basic)))
        record.dwNative = basic.dwMinor;
    return record;
}

HRESULT CreateDatabaseFile(const std::string& strPath)
{
    COleDbPtr<IDBInitialize> spInit;
    HRESULT hr = OleDbCoCreateInstance(CLSID_JETOLEDB_4_00, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                                       (void**)&spInit);
    if (FAILED(hr))
        return hr;
    COleDbPtr<IDBDataSourceAdmin> spAdmin;
    hr = spInit->QueryInterface(IID_IDBDataSourceAdmin, (void**)&spAdmin);
    if (FAILED(hr))
        return hr;
    CDBPropSet propset(DBPROPSET_DBINIT);
    propset.AddProperty(DBPROP_INIT_DATASOURCE, strPath.c_str());
    return spAdmin->CreateDataSource(1, &propset, NULL, IID_NULL, NULL);
}

HRESULT OpenDataSource(CDataSource& ds, const std::string& strPath)
{
    CDBPropSet sets[2] = {CDBPropSet(DBPROPSET_DBINIT), CDBPropSet(DBPROPSET_JETOLEDB_DBINIT)};
    sets[0].AddProperty(DBPROP_INIT_DATASOURCE, strPath.c_str());
    sets[0].AddProperty(DBPROP_INIT_MODE, (long)DB_MODE_SHARE_DENY_NONE);
    sets[1].AddProperty(DBPROP_JETOLEDB_DATABASEPASSWORD, "");
    return ds.Open(JET_PROGID_4_00, sets, 2);
}

HRESULT Execute(CSession& session, const char* pszSql)
{
    CCommand<CNoAccessor, CNoRowset> command;
    return command.Open(session, pszSql);
}

ISequentialStream* CreateMemoryStream(const std::string& bytes)
{
    return new CMemoryStream(bytes);
}

std::string ReadStream(ISequentialStream* pStream)
{
    std::string s;
    if (pStream == NULL)
        return s;
    std::vector<char> buf(512000);
    for (;;)
    {
        ULONG cb = 0;
        if (FAILED(pStream->Read(&buf[0], (ULONG)buf.size(), &cb)) || cb == 0)
            break;
        s.append(&buf[0], cb);
    }
    pStream->Release();
    return s;
}

void COleDbTest::SetUp()
{
    CoInitialize(NULL);
    m_strPath = m_folder.Path("email.mdb");
    ASSERT_EQ(S_OK, CreateDatabaseFile(m_strPath));
    ASSERT_EQ(S_OK, OpenDataSource(m_ds, m_strPath));
    ASSERT_EQ(S_OK, m_session.Open(m_ds));
}

void COleDbTest::TearDown()
{
    OleDbInjectIoFaults(0);
    m_session.Close();
    m_ds.Close();
    CoUninitialize();
}

// The data source object of the provider: initialisation properties, file checks, creation and compaction.
#include "JetDataSource.h"

#include <oleauto.h>

#include "JetErrorInfo.h"
#include "JetFunctions.h"
#include "JetSession.h"

namespace
{
std::wstring FolderOf(const std::wstring& strPath)
{
    size_t n = strPath.find_last_of(L"\\/");
    return n == std::wstring::npos ? std::wstring(L".") : strPath.substr(0, n);
}

bool IsFolder(const std::wstring& strPath)
{
    DWORD dw = GetFileAttributesW(strPath.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::wstring& strPath)
{
    DWORD dw = GetFileAttributesW(strPath.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && (dw & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A property value as text, or false when it is not a string.
bool TextOf(const VARIANT& v, std::wstring& str)
{
    if (v.vt != VT_BSTR)
        return false;
    str = v.bstrVal != NULL ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring();
    return true;
}

DBPROP* FindProperty(ULONG cSets, DBPROPSET rgSets[], const GUID& guid, DBPROPID id)
{
    for (ULONG i = 0; i < cSets; ++i)
    {
        if (rgSets[i].guidPropertySet != guid)
            continue;
        for (ULONG k = 0; k < rgSets[i].cProperties; ++k)
            if (rgSets[i].rgProperties[k].dwPropertyID == id)
                return &rgSets[i].rgProperties[k];
    }
    return NULL;
}
} // namespace

void* CJetDataSource::InterfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IDBInitialize)
        return static_cast<IDBInitialize*>(this);
    if (riid == IID_IDBProperties)
        return static_cast<IDBProperties*>(this);
    if (riid == IID_IDBCreateSession)
        return static_cast<IDBCreateSession*>(this);
    if (riid == IID_IDBDataSourceAdmin)
        return static_cast<IDBDataSourceAdmin*>(this);
    if (riid == IID_IJetCompact)
        return static_cast<IJetCompact*>(this);
    if (riid == IID_ISupportErrorInfo)
        return static_cast<ISupportErrorInfo*>(this);
    return NULL;
}

HRESULT CJetDataSource::CheckPath(REFIID iid, bool bMustExist)
{
    const std::wstring& p = m_strPath;
    bool bValid = !p.empty() && p.find_first_of(L"<>\"|?*") == std::wstring::npos && p.back() != L'\\' &&
                  p.back() != L'/';
    for (size_t i = 0; bValid && i < p.size(); ++i)
        if (p[i] < 32 || (p[i] == L':' && i != 1))
            bValid = false;
    if (!bValid)
        return JetReportError(E_FAIL, iid, JETERR_INVALID_NAME, JetMessage(JETERR_INVALID_NAME));
    if (IsFile(p))
        return S_OK;
    std::wstring strFolder = FolderOf(p);
    if (!IsFolder(strFolder))
        return JetReportError(E_FAIL, iid, JETERR_INVALID_PATH, JetMessage(JETERR_INVALID_PATH, strFolder));
    if (IsFolder(p))
        return JetReportError(E_FAIL, iid, JETERR_INVALID_NAME, JetMessage(JETERR_INVALID_NAME));
    if (bMustExist)
        return JetReportError(E_FAIL, iid, JETERR_FILE_NOT_FOUND, JetMessage(JETERR_FILE_NOT_FOUND, p));
    return S_OK;
}

STDMETHODIMP CJetDataSource::Initialize()
{
    JetClearError();
    if (m_bInitialized)
        return DB_E_ALREADYINITIALIZED;
    HRESULT hr = CheckPath(IID_IDBInitialize, true);
    if (FAILED(hr))
        return hr;
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IDBInitialize);
    // The data source keeps no connection: sessions open their own, and compaction needs the file free.
    std::string strPath = JetWideToUtf8(m_strPath.c_str());
    sqlite3* db = NULL;
    int rc = JetOpenDatabase(strPath, false, &db);
    if (rc != SQLITE_OK)
        hr = JetReportSqlite(db, rc, IID_IDBInitialize, strPath);
    sqlite3_close_v2(db);
    if (FAILED(hr))
        return hr;
    m_bInitialized = true;
    return S_OK;
}

STDMETHODIMP CJetDataSource::Uninitialize()
{
    m_bInitialized = false;
    return S_OK;
}

STDMETHODIMP CJetDataSource::GetProperties(ULONG cPropertyIDSets, const DBPROPIDSET rgPropertyIDSets[],
                                           ULONG* pcPropertySets, DBPROPSET** prgPropertySets)
{
    JetClearError();
    if (pcPropertySets == NULL || prgPropertySets == NULL || (cPropertyIDSets > 0 && rgPropertyIDSets == NULL))
        return E_INVALIDARG;
    *pcPropertySets = 0;
    *prgPropertySets = NULL;
    if (cPropertyIDSets == 0)
        return S_OK;
    DBPROPSET* pSets = (DBPROPSET*)CoTaskMemAlloc(sizeof(DBPROPSET) * cPropertyIDSets);
    if (pSets == NULL)
        return E_OUTOFMEMORY;
    bool bAnyOk = false, bAnyBad = false;
    for (ULONG i = 0; i < cPropertyIDSets; ++i)
    {
        const DBPROPIDSET& ids = rgPropertyIDSets[i];
        DBPROPSET& set = pSets[i];
        set.guidPropertySet = ids.guidPropertySet;
        set.cProperties = ids.cPropertyIDs;
        set.rgProperties = (DBPROP*)CoTaskMemAlloc(sizeof(DBPROP) * (ids.cPropertyIDs > 0 ? ids.cPropertyIDs : 1));
        for (ULONG k = 0; k < ids.cPropertyIDs; ++k)
        {
            DBPROP& prop = set.rgProperties[k];
            ZeroMemory(&prop, sizeof(prop));
            prop.dwPropertyID = ids.rgPropertyIDs[k];
            VariantInit(&prop.vValue);
            prop.dwStatus = DBPROPSTATUS_OK;
            if (ids.guidPropertySet == DBPROPSET_JETOLEDB_DBINIT && prop.dwPropertyID == DBPROP_JETOLEDB_ENGINE)
            {
                prop.vValue.vt = VT_I4;
                prop.vValue.lVal = JETDBENGINETYPE_JET4X;
            }
            else if (ids.guidPropertySet == DBPROPSET_JETOLEDB_DBINIT &&
                     prop.dwPropertyID == DBPROP_JETOLEDB_DATABASEPASSWORD)
            {
                prop.vValue.vt = VT_BSTR;
                prop.vValue.bstrVal = SysAllocString(m_strPassword.c_str());
            }
            else if (ids.guidPropertySet == DBPROPSET_DBINIT && prop.dwPropertyID == DBPROP_INIT_DATASOURCE)
            {
                prop.vValue.vt = VT_BSTR;
                prop.vValue.bstrVal = SysAllocString(m_strPath.c_str());
            }
            else if (ids.guidPropertySet == DBPROPSET_DBINIT && prop.dwPropertyID == DBPROP_INIT_MODE)
            {
                prop.vValue.vt = VT_I4;
                prop.vValue.lVal = m_lMode;
            }
            else
                prop.dwStatus = DBPROPSTATUS_NOTSUPPORTED;
            if (prop.dwStatus == DBPROPSTATUS_OK)
                bAnyOk = true;
            else
                bAnyBad = true;
        }
    }
    *pcPropertySets = cPropertyIDSets;
    *prgPropertySets = pSets;
    if (!bAnyBad)
        return S_OK;
    return bAnyOk ? DB_S_ERRORSOCCURRED : DB_E_ERRORSOCCURRED;
}

STDMETHODIMP CJetDataSource::GetPropertyInfo(ULONG, const DBPROPIDSET[], ULONG* pcPropertyInfoSets,
                                             DBPROPINFOSET** prgPropertyInfoSets, OLECHAR** ppDescBuffer)
{
    if (pcPropertyInfoSets != NULL)
        *pcPropertyInfoSets = 0;
    if (prgPropertyInfoSets != NULL)
        *prgPropertyInfoSets = NULL;
    if (ppDescBuffer != NULL)
        *ppDescBuffer = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CJetDataSource::SetProperties(ULONG cPropertySets, DBPROPSET rgPropertySets[])
{
    JetClearError();
    if (cPropertySets > 0 && rgPropertySets == NULL)
        return E_INVALIDARG;
    for (ULONG i = 0; i < cPropertySets; ++i)
    {
        DBPROPSET& set = rgPropertySets[i];
        for (ULONG k = 0; k < set.cProperties; ++k)
        {
            DBPROP& prop = set.rgProperties[k];
            prop.dwStatus = DBPROPSTATUS_OK;
            if (set.guidPropertySet == DBPROPSET_DBINIT)
            {
                if (prop.dwPropertyID == DBPROP_INIT_DATASOURCE)
                    TextOf(prop.vValue, m_strPath);
                else if (prop.dwPropertyID == DBPROP_INIT_MODE && prop.vValue.vt == VT_I4)
                    m_lMode = prop.vValue.lVal;
            }
            else if (set.guidPropertySet == DBPROPSET_JETOLEDB_DBINIT &&
                     prop.dwPropertyID == DBPROP_JETOLEDB_DATABASEPASSWORD)
                TextOf(prop.vValue, m_strPassword);
        }
    }
    return S_OK;
}

STDMETHODIMP CJetDataSource::CreateSession(IUnknown* pUnkOuter, REFIID riid, IUnknown** ppDBSession)
{
    JetClearError();
    if (ppDBSession == NULL)
        return E_INVALIDARG;
    *ppDBSession = NULL;
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    if (!m_bInitialized)
        return E_UNEXPECTED;
    CJetSession* pSession = NULL;
    HRESULT hr = CJetSession::Open(JetWideToUtf8(m_strPath.c_str()), IID_IDBCreateSession, &pSession);
    if (FAILED(hr))
        return hr;
    hr = pSession->QueryInterface(riid, (void**)ppDBSession);
    pSession->Release();
    return hr;
}

STDMETHODIMP CJetDataSource::CreateDataSource(ULONG cPropertySets, DBPROPSET rgPropertySets[], IUnknown* pUnkOuter,
                                              REFIID riid, IUnknown** ppDBSession)
{
    JetClearError();
    if (ppDBSession != NULL)
        *ppDBSession = NULL;
    if (pUnkOuter != NULL)
        return DB_E_NOAGGREGATION;
    if (m_bInitialized)
        return DB_E_ALREADYINITIALIZED;
    HRESULT hr = SetProperties(cPropertySets, rgPropertySets);
    if (FAILED(hr))
        return hr;
    hr = CheckPath(IID_IDBDataSourceAdmin, false);
    if (FAILED(hr))
        return hr;
    if (IsFile(m_strPath))
        return JetReportError(DB_E_DUPLICATEDATASOURCE, IID_IDBDataSourceAdmin, 3204, L"Database already exists.");
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IDBDataSourceAdmin);
    std::string strPath = JetWideToUtf8(m_strPath.c_str());
    sqlite3* db = NULL;
    int rc = JetOpenDatabase(strPath, true, &db);
    // Writing the header makes the new file a database that any reader recognises at once.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA user_version = 0", NULL, NULL, NULL);
    if (rc != SQLITE_OK)
    {
        hr = JetReportSqlite(db, rc, IID_IDBDataSourceAdmin, strPath);
        sqlite3_close_v2(db);
        DeleteFileW(m_strPath.c_str());
        return hr;
    }
    sqlite3_close_v2(db);
    m_bInitialized = true;
    if (ppDBSession != NULL && riid != IID_NULL)
        return CreateSession(NULL, riid, ppDBSession);
    return S_OK;
}

STDMETHODIMP CJetDataSource::DestroyDataSource()
{
    return E_NOTIMPL;
}

STDMETHODIMP CJetDataSource::GetCreationProperties(ULONG, const DBPROPIDSET[], ULONG* pcPropertyInfoSets,
                                                   DBPROPINFOSET** prgPropertyInfoSets, OLECHAR** ppDescBuffer)
{
    return GetPropertyInfo(0, NULL, pcPropertyInfoSets, prgPropertyInfoSets, ppDescBuffer);
}

STDMETHODIMP CJetDataSource::ModifyDataSource(ULONG, DBPROPSET[])
{
    return E_NOTIMPL;
}

STDMETHODIMP CJetDataSource::Compact(ULONG cPropertySets, DBPROPSET rgPropertySets[])
{
    JetClearError();
    if (cPropertySets != 0 && rgPropertySets == NULL)
        return E_INVALIDARG;
    DBPROP* pDest = FindProperty(cPropertySets, rgPropertySets, DBPROPSET_DBINIT, DBPROP_INIT_DATASOURCE);
    std::wstring strDest;
    if (pDest == NULL || !TextOf(pDest->vValue, strDest) || strDest.empty())
        return E_INVALIDARG;
    if (!m_bInitialized)
        return E_UNEXPECTED;
    if (GetFileAttributesW(strDest.c_str()) != INVALID_FILE_ATTRIBUTES)
        return JetReportError(DB_E_DUPLICATEDATASOURCE, IID_IJetCompact, 3204, L"Database already exists.");
    // Jet compacts only a file that nobody else has open; every connection holds the file open.
    HANDLE h = CreateFileW(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
    {
        if (GetLastError() == ERROR_SHARING_VIOLATION)
            return JetReportError(DB_E_OBJECTOPEN, IID_IJetCompact, JETERR_FILE_LOCKED,
                                  JetMessage(JETERR_FILE_LOCKED, m_strPath));
        return JetReportError(E_FAIL, IID_IJetCompact, JETERR_FILE_NOT_FOUND,
                              JetMessage(JETERR_FILE_NOT_FOUND, m_strPath));
    }
    CloseHandle(h);
    if (JetTakeIoFault())
        return JetReportDiskError(IID_IJetCompact);
    std::string strSource = JetWideToUtf8(m_strPath.c_str());
    sqlite3* db = NULL;
    int rc = JetOpenDatabase(strSource, false, &db);
    if (rc == SQLITE_OK)
    {
        CJetStmt stmt;
        rc = sqlite3_prepare_v2(db, "VACUUM INTO ?", -1, &stmt, NULL);
        if (rc == SQLITE_OK)
        {
            std::string strDestUtf8 = JetWideToUtf8(strDest.c_str());
            sqlite3_bind_text(stmt, 1, strDestUtf8.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
    }
    HRESULT hr = S_OK;
    if (rc != SQLITE_OK)
    {
        JetReportSqlite(db, rc, IID_IJetCompact, strSource);
        hr = E_FAIL;
    }
    sqlite3_close_v2(db);
    return hr;
}

STDMETHODIMP CJetDataSource::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IDBInitialize || riid == IID_IDBProperties || riid == IID_IDBCreateSession ||
                   riid == IID_IDBDataSourceAdmin || riid == IID_IJetCompact
               ? S_OK
               : S_FALSE;
}

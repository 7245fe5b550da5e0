// Compaction of a closed database file.
#include "store/CompactDatabase.h"

#include <atldbcli.h>
#include <atlstr.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "store/StoreTexts.h"

namespace
{
// Balances a CoInitialize that this call made, on every way out.
class CComInit
{
public:
    CComInit() : m_bUninitialize(CoInitialize(NULL) == S_OK) {}
    ~CComInit()
    {
        if (m_bUninitialize)
            CoUninitialize();
    }

private:
    bool m_bUninitialize;
};

const char* CompactFailureText(HRESULT hr)
{
    switch (hr)
    {
    case E_FAIL: return StoreText::kCompactFail;
    case DB_E_OBJECTOPEN: return StoreText::kCompactObjectOpen;
    case DB_SEC_E_PERMISSIONDENIED: return StoreText::kCompactPermission;
    case DB_E_DUPLICATEDATASOURCE: return StoreText::kCompactDuplicate;
    case E_INVALIDARG: return StoreText::kCompactInvalidArg;
    case DB_S_ERRORSOCCURRED: return StoreText::kCompactErrorsOccurred;
    default: return "";
    }
}
} // namespace

LONG GetJetEngineType(const char* pszPath)
{
    if (pszPath == NULL || pszPath[0] == '\0')
        return 0;
    CComInit comInit;
    COleDbPtr<IDataInitialize> spDataInit;
    if (FAILED(OleDbCoCreateInstance(CLSID_MSDAINITIALIZE, NULL, CLSCTX_INPROC_SERVER, IID_IDataInitialize,
                                     (void**)&spDataInit)))
        return 0;
    CString strInit = CString("Provider=") + StoreText::kJetProgID + ";Data Source=" + pszPath + ";";
    BSTR bstrInit = strInit.AllocSysString();
    COleDbPtr<IDBInitialize> spInit;
    HRESULT hr = spDataInit->GetDataSource(NULL, CLSCTX_INPROC_SERVER, bstrInit, IID_IDBInitialize,
                                           (IUnknown**)&spInit);
    SysFreeString(bstrInit);
    if (FAILED(hr) || FAILED(spInit->Initialize()))
        return 0;
    COleDbPtr<IDBProperties> spProperties;
    if (FAILED(spInit.QueryInterface(IID_IDBProperties, (void**)&spProperties)))
        return 0;
    CDBPropIDSet idSet(DBPROPSET_JETOLEDB_DBINIT);
    idSet.AddPropertyID(DBPROP_JETOLEDB_ENGINE);
    ULONG cSets = 0;
    DBPROPSET* pSets = NULL;
    LONG nType = 0;
    if (SUCCEEDED(spProperties->GetProperties(1, &idSet, &cSets, &pSets)) && pSets != NULL)
    {
        if (cSets > 0 && pSets[0].cProperties > 0)
        {
            VARIANT var;
            VariantInit(&var);
            if (SUCCEEDED(VariantChangeType(&var, &pSets[0].rgProperties[0].vValue, 0, VT_I4)))
                nType = var.lVal;
        }
        for (ULONG i = 0; i < cSets; i++)
        {
            for (ULONG j = 0; j < pSets[i].cProperties; j++)
                VariantClear(&pSets[i].rgProperties[j].vValue);
            CoTaskMemFree(pSets[i].rgProperties);
        }
        CoTaskMemFree(pSets);
    }
    spInit->Uninitialize();
    return nType;
}

HRESULT CompactDatabase(const char* pszSource, const char* pszDestination)
{
    CComInit comInit;
    COleDbPtr<IDBInitialize> spInit;
    HRESULT hr = OleDbCoCreateInstance(CLSID_JETOLEDB_4_00, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                                       (void**)&spInit);
    if (FAILED(hr))
        return hr;
    {
        COleDbPtr<IDBProperties> spProperties;
        hr = spInit.QueryInterface(IID_IDBProperties, (void**)&spProperties);
        if (FAILED(hr))
            return hr;
        CDBPropSet source(DBPROPSET_DBINIT);
        source.AddProperty(DBPROP_INIT_DATASOURCE, pszSource);
        hr = spProperties->SetProperties(1, &source);
        if (FAILED(hr))
            return hr;
        hr = spInit->Initialize();
        if (FAILED(hr))
            return hr;
    }

    CDBPropSet destination(DBPROPSET_DBINIT);
    destination.AddProperty(DBPROP_INIT_DATASOURCE, pszDestination);

    COleDbPtr<IDBCreateSession> spCreateSession;
    hr = spInit.QueryInterface(IID_IDBCreateSession, (void**)&spCreateSession);
    if (FAILED(hr))
        return hr;
    COleDbPtr<IJetCompact> spCompact;
    hr = spInit.QueryInterface(IID_IJetCompact, (void**)&spCompact);
    if (FAILED(hr))
        return hr;

    DeleteFileA(pszDestination);
    hr = spCompact->Compact(1, &destination);
    spCompact.Release();
    spCreateSession.Release();
    spInit->Uninitialize();
    if (hr == S_OK)
        return S_OK;
    throw new CException(CString(StoreText::kCompactFailed) + CompactFailureText(hr));
}

HRESULT CompactDatabaseFile(const char* pszPath)
{
    CString strCopy = CString(pszPath) + ".compact";
    HRESULT hr;
    try
    {
        hr = CompactDatabase(pszPath, strCopy);
    }
    catch (...)
    {
        DeleteFileA(strCopy);
        throw;
    }
    if (hr != S_OK)
    {
        DeleteFileA(strCopy);
        return hr;
    }
    if (!MoveFileExA(strCopy, pszPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        CString strError = GetLastErrorText();
        DeleteFileA(strCopy);
        throw new CException(CString(StoreText::kReplaceFailed) + strError);
    }
    return S_OK;
}

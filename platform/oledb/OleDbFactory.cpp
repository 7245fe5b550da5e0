// Creation of the provider's objects in process: the Jet data source, the service components, the enumerator.
#include "atldbcli.h"

#include "JetDataSource.h"
#include "JetErrorInfo.h"
#include "JetRowset.h"

namespace
{
const char kJetDescription[] = "Microsoft Jet 4.0 OLE DB Provider";
const char kJetParseName[] = "{dee35070-506b-11cf-b1aa-00aa00b8de95}";

// The root enumerator: the list of installed data sources.
class CJetEnumerator : public CJetUnknown<ISourcesRowset>
{
public:
    virtual ~CJetEnumerator() = default;
    STDMETHOD(GetSourcesRowset)(IUnknown* pUnkOuter, REFIID riid, ULONG, DBPROPSET[],
                                IUnknown** ppSourcesRowset) override
    {
        if (ppSourcesRowset == NULL)
            return E_INVALIDARG;
        *ppSourcesRowset = NULL;
        if (pUnkOuter != NULL)
            return DB_E_NOAGGREGATION;
        CJetRowset* pRowset = new CJetRowset(NULL);
        pRowset->SetColumns({"SOURCES_NAME", "SOURCES_PARSENAME", "SOURCES_DESCRIPTION", "SOURCES_TYPE",
                             "SOURCES_ISPARENT"});
        if (!JetProviderHidden())
        {
            std::vector<CJetValue> row(5);
            row[0].kind = row[1].kind = row[2].kind = CJetValue::Text;
            row[0].s = JET_PROGID_4_00;
            row[1].s = kJetParseName;
            row[2].s = kJetDescription;
            row[3].kind = row[4].kind = CJetValue::Integer;
            row[3].i = DBSOURCETYPE_DATASOURCE;
            row[4].i = 0;
            pRowset->AddRow(row);
        }
        HRESULT hr = pRowset->QueryInterface(riid, (void**)ppSourcesRowset);
        pRowset->Release();
        return hr;
    }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IUnknown || riid == IID_ISourcesRowset ? static_cast<ISourcesRowset*>(this) : NULL;
    }
};

// The service components' data initialisation: data sources made from an initialisation string.
class CJetDataInitialize : public CJetUnknown<IDataInitialize>
{
public:
    virtual ~CJetDataInitialize() = default;

    // "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=path;"; the data source comes back uninitialised.
    STDMETHOD(GetDataSource)(IUnknown* pUnkOuter, DWORD, LPCOLESTR pwszInitializationString, REFIID riid,
                             IUnknown** ppDataSource) override
    {
        if (ppDataSource == NULL || pwszInitializationString == NULL)
            return E_INVALIDARG;
        *ppDataSource = NULL;
        if (pUnkOuter != NULL)
            return DB_E_NOAGGREGATION;
        std::wstring strProvider, strSource;
        std::wstring s = pwszInitializationString;
        size_t i = 0;
        while (i < s.size())
        {
            size_t end = s.find(L';', i);
            if (end == std::wstring::npos)
                end = s.size();
            std::wstring item = s.substr(i, end - i);
            i = end + 1;
            size_t eq = item.find(L'=');
            if (eq == std::wstring::npos)
                continue;
            std::wstring key = Trim(item.substr(0, eq)), value = Trim(item.substr(eq + 1));
            if (_wcsicmp(key.c_str(), L"Provider") == 0)
                strProvider = value;
            else if (_wcsicmp(key.c_str(), L"Data Source") == 0)
                strSource = value;
        }
        if (_wcsicmp(strProvider.c_str(), L"Microsoft.Jet.OLEDB.4.0") != 0)
            return REGDB_E_CLASSNOTREG;
        CJetDataSource* pSource = new CJetDataSource;
        pSource->SetDataSourcePath(strSource);
        HRESULT hr = pSource->QueryInterface(riid, (void**)ppDataSource);
        pSource->Release();
        return hr;
    }
    STDMETHOD(GetInitializationString)(IUnknown*, boolean, LPOLESTR* ppwszInitString) override
    {
        if (ppwszInitString != NULL)
            *ppwszInitString = NULL;
        return E_NOTIMPL;
    }
    STDMETHOD(CreateDBInstance)(REFCLSID clsidProvider, IUnknown* pUnkOuter, DWORD dwClsCtx, LPOLESTR, REFIID riid,
                                IUnknown** ppDataSource) override
    {
        return OleDbCoCreateInstance(clsidProvider, pUnkOuter, dwClsCtx, riid, (void**)ppDataSource);
    }
    STDMETHOD(CreateDBInstanceEx)(REFCLSID, IUnknown*, DWORD, LPOLESTR, COSERVERINFO*, ULONG, MULTI_QI*) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(LoadStringFromStorage)(LPCOLESTR, LPOLESTR* ppwszInitializationString) override
    {
        if (ppwszInitializationString != NULL)
            *ppwszInitializationString = NULL;
        return E_NOTIMPL;
    }
    STDMETHOD(WriteStringToStorage)(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }

private:
    static std::wstring Trim(const std::wstring& s)
    {
        size_t a = s.find_first_not_of(L" \t");
        size_t b = s.find_last_not_of(L" \t");
        return a == std::wstring::npos ? std::wstring() : s.substr(a, b - a + 1);
    }

    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IUnknown || riid == IID_IDataInitialize ? static_cast<IDataInitialize*>(this) : NULL;
    }
};
} // namespace

HRESULT OleDbCoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    *ppv = NULL;
    IUnknown* pObject = NULL;
    if (rclsid == CLSID_JETOLEDB_4_00)
        pObject = static_cast<IDBInitialize*>(new CJetDataSource);
    else if (rclsid == CLSID_MSDAINITIALIZE)
        pObject = new CJetDataInitialize;
    else if (rclsid == CLSID_OLEDB_ENUMERATOR)
        pObject = new CJetEnumerator;
    else
        return CoCreateInstance(rclsid, pUnkOuter, dwClsContext, riid, ppv);
    if (pUnkOuter != NULL)
    {
        pObject->Release();
        return CLASS_E_NOAGGREGATION;
    }
    HRESULT hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

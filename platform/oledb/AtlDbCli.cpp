// The compiled part of the OLE DB consumer templates.
#include "atldbcli.h"

#include <string>

UINT JetGetCodePage();

namespace ATL
{
namespace
{
// Texts of the program (command texts, names, property values) are in its 8-bit code page.
std::wstring Wide(LPCSTR psz)
{
    if (psz == NULL)
        return std::wstring();
    UINT cp = JetGetCodePage();
    int n = MultiByteToWideChar(cp, 0, psz, -1, NULL, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(cp, 0, psz, -1, &w[0], n);
    return w;
}

void CopyPropSet(DBPROPSET& dst, const DBPROPSET& src)
{
    dst.guidPropertySet = src.guidPropertySet;
    dst.cProperties = src.cProperties;
    dst.rgProperties = NULL;
    if (src.cProperties == 0)
        return;
    dst.rgProperties = (DBPROP*)CoTaskMemAlloc(sizeof(DBPROP) * src.cProperties);
    for (ULONG i = 0; i < src.cProperties; ++i)
    {
        dst.rgProperties[i] = src.rgProperties[i];
        VariantInit(&dst.rgProperties[i].vValue);
        VariantCopy(&dst.rgProperties[i].vValue, &src.rgProperties[i].vValue);
    }
}
} // namespace

CDBPropSet::CDBPropSet()
{
    guidPropertySet = GUID_NULL;
    cProperties = 0;
    rgProperties = NULL;
}

CDBPropSet::CDBPropSet(const GUID& guid) : CDBPropSet()
{
    guidPropertySet = guid;
}

CDBPropSet::CDBPropSet(const CDBPropSet& other) : CDBPropSet()
{
    CopyPropSet(*this, other);
}

CDBPropSet& CDBPropSet::operator=(const CDBPropSet& other)
{
    if (this != &other)
    {
        Clear();
        CopyPropSet(*this, other);
    }
    return *this;
}

CDBPropSet::~CDBPropSet()
{
    Clear();
}

void CDBPropSet::Clear()
{
    for (ULONG i = 0; i < cProperties; ++i)
        VariantClear(&rgProperties[i].vValue);
    CoTaskMemFree(rgProperties);
    rgProperties = NULL;
    cProperties = 0;
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, const VARIANT& var, DBPROPOPTIONS propoptions)
{
    DBPROP* p = (DBPROP*)CoTaskMemRealloc(rgProperties, sizeof(DBPROP) * (cProperties + 1));
    if (p == NULL)
        return false;
    rgProperties = p;
    DBPROP& prop = rgProperties[cProperties];
    ZeroMemory(&prop, sizeof(prop));
    prop.dwPropertyID = dwPropertyID;
    prop.dwOptions = propoptions;
    prop.dwStatus = DBPROPSTATUS_OK;
    prop.colid = DB_NULLID;
    VariantInit(&prop.vValue);
    if (FAILED(VariantCopy(&prop.vValue, const_cast<VARIANT*>(&var))))
        return false;
    ++cProperties;
    return true;
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, LPCSTR szValue, DBPROPOPTIONS propoptions)
{
    return AddProperty(dwPropertyID, Wide(szValue).c_str(), propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, LPCWSTR szValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(szValue != NULL ? szValue : L"");
    bool b = AddProperty(dwPropertyID, v, propoptions);
    VariantClear(&v);
    return b;
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, bool bValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = bValue ? VARIANT_TRUE : VARIANT_FALSE;
    return AddProperty(dwPropertyID, v, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, BYTE bValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_UI1;
    v.bVal = bValue;
    return AddProperty(dwPropertyID, v, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, short nValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_I2;
    v.iVal = nValue;
    return AddProperty(dwPropertyID, v, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, int nValue, DBPROPOPTIONS propoptions)
{
    return AddProperty(dwPropertyID, (long)nValue, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, long nValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = nValue;
    return AddProperty(dwPropertyID, v, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, unsigned long nValue, DBPROPOPTIONS propoptions)
{
    return AddProperty(dwPropertyID, (long)nValue, propoptions);
}

bool CDBPropSet::AddProperty(DWORD dwPropertyID, double dblValue, DBPROPOPTIONS propoptions)
{
    VARIANT v;
    v.vt = VT_R8;
    v.dblVal = dblValue;
    return AddProperty(dwPropertyID, v, propoptions);
}

CDBPropIDSet::CDBPropIDSet()
{
    guidPropertySet = GUID_NULL;
    cPropertyIDs = 0;
    rgPropertyIDs = NULL;
}

CDBPropIDSet::CDBPropIDSet(const GUID& guid) : CDBPropIDSet()
{
    guidPropertySet = guid;
}

CDBPropIDSet::CDBPropIDSet(const CDBPropIDSet& other) : CDBPropIDSet()
{
    *this = other;
}

CDBPropIDSet& CDBPropIDSet::operator=(const CDBPropIDSet& other)
{
    if (this == &other)
        return *this;
    CoTaskMemFree(rgPropertyIDs);
    rgPropertyIDs = NULL;
    cPropertyIDs = 0;
    guidPropertySet = other.guidPropertySet;
    for (ULONG i = 0; i < other.cPropertyIDs; ++i)
        AddPropertyID(other.rgPropertyIDs[i]);
    return *this;
}

CDBPropIDSet::~CDBPropIDSet()
{
    CoTaskMemFree(rgPropertyIDs);
}

bool CDBPropIDSet::AddPropertyID(DBPROPID propid)
{
    DBPROPID* p = (DBPROPID*)CoTaskMemRealloc(rgPropertyIDs, sizeof(DBPROPID) * (cPropertyIDs + 1));
    if (p == NULL)
        return false;
    rgPropertyIDs = p;
    rgPropertyIDs[cPropertyIDs++] = propid;
    return true;
}

HRESULT CDBErrorInfo::GetErrorRecords(IUnknown* pUnk, const IID& iid, ULONG* pcRecords)
{
    if (pcRecords == NULL)
        return E_POINTER;
    *pcRecords = 0;
    if (pUnk == NULL)
        return E_INVALIDARG;
    ISupportErrorInfo* pSupport = NULL;
    HRESULT hr = pUnk->QueryInterface(IID_ISupportErrorInfo, (void**)&pSupport);
    if (FAILED(hr))
        return hr;
    hr = pSupport->InterfaceSupportsErrorInfo(iid);
    pSupport->Release();
    if (hr != S_OK)
        return E_NOINTERFACE;
    return GetErrorRecords(pcRecords);
}

HRESULT CDBErrorInfo::GetErrorRecords(ULONG* pcRecords)
{
    if (pcRecords == NULL)
        return E_POINTER;
    *pcRecords = 0;
    m_spErrorRecords.Release();
    m_spErrorInfo.Release();
    HRESULT hr = ::GetErrorInfo(0, &m_spErrorInfo);
    if (hr != S_OK || m_spErrorInfo == NULL)
        return E_FAIL;
    if (SUCCEEDED(m_spErrorInfo->QueryInterface(IID_IErrorRecords, (void**)&m_spErrorRecords)))
        return m_spErrorRecords->GetRecordCount(pcRecords);
    // A plain OLE error object counts as one record.
    *pcRecords = 1;
    return S_OK;
}

HRESULT CDBErrorInfo::GetAllErrorInfo(ULONG ulRecordNum, LCID lcid, BSTR* pbstrDescription, BSTR* pbstrSource,
                                      GUID* pguid, DWORD* pdwHelpContext, BSTR* pbstrHelpFile) const
{
    COleDbPtr<IErrorInfo> spInfo;
    HRESULT hr = GetErrorInfo(ulRecordNum, lcid, &spInfo);
    if (FAILED(hr))
        return hr;
    if (pbstrDescription != NULL)
        spInfo->GetDescription(pbstrDescription);
    if (pbstrSource != NULL)
        spInfo->GetSource(pbstrSource);
    if (pguid != NULL)
        spInfo->GetGUID(pguid);
    if (pdwHelpContext != NULL)
        spInfo->GetHelpContext(pdwHelpContext);
    if (pbstrHelpFile != NULL)
        spInfo->GetHelpFile(pbstrHelpFile);
    return S_OK;
}

HRESULT CDBErrorInfo::GetBasicErrorInfo(ULONG ulRecordNum, ERRORINFO* pErrorInfo) const
{
    if (m_spErrorRecords == NULL)
        return E_FAIL;
    return m_spErrorRecords->GetBasicErrorInfo(ulRecordNum, pErrorInfo);
}

HRESULT CDBErrorInfo::GetCustomErrorObject(ULONG ulRecordNum, REFIID riid, IUnknown** ppObject) const
{
    if (m_spErrorRecords == NULL)
        return E_FAIL;
    return m_spErrorRecords->GetCustomErrorObject(ulRecordNum, riid, ppObject);
}

HRESULT CDBErrorInfo::GetErrorInfo(ULONG ulRecordNum, LCID lcid, IErrorInfo** ppErrorInfo) const
{
    if (ppErrorInfo == NULL)
        return E_POINTER;
    *ppErrorInfo = NULL;
    if (m_spErrorRecords != NULL)
        return m_spErrorRecords->GetErrorInfo(ulRecordNum, lcid, ppErrorInfo);
    if (m_spErrorInfo == NULL || ulRecordNum != 0)
        return E_FAIL;
    *ppErrorInfo = m_spErrorInfo;
    (*ppErrorInfo)->AddRef();
    return S_OK;
}

HRESULT CDBErrorInfo::GetErrorParameters(ULONG ulRecordNum, DISPPARAMS* pdispparams) const
{
    if (m_spErrorRecords == NULL)
        return E_FAIL;
    return m_spErrorRecords->GetErrorParameters(ulRecordNum, pdispparams);
}

HRESULT CDataSource::Open(const CLSID& clsid, DBPROPSET* pPropSet, ULONG nPropertySets)
{
    Close();
    HRESULT hr = OleDbCoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize, (void**)&m_spInit);
    if (FAILED(hr))
        return hr;
    if (pPropSet != NULL && nPropertySets > 0)
    {
        COleDbPtr<IDBProperties> spProperties;
        hr = m_spInit->QueryInterface(IID_IDBProperties, (void**)&spProperties);
        if (FAILED(hr))
            return hr;
        hr = spProperties->SetProperties(nPropertySets, pPropSet);
        if (FAILED(hr))
            return hr;
    }
    return m_spInit->Initialize();
}

HRESULT CDataSource::Open(LPCSTR szProgID, DBPROPSET* pPropSet, ULONG nPropertySets)
{
    if (szProgID == NULL)
        return E_INVALIDARG;
    CLSID clsid;
    if (strcmp(szProgID, JET_PROGID_4_00) == 0)
        clsid = CLSID_JETOLEDB_4_00;
    else
    {
        HRESULT hr = CLSIDFromProgID(Wide(szProgID).c_str(), &clsid);
        if (FAILED(hr))
            return hr;
    }
    return Open(clsid, pPropSet, nPropertySets);
}

HRESULT CDataSource::Open(LPCSTR szProgID, LPCSTR pName, LPCSTR pUserName, LPCSTR pPassword, long nInitMode)
{
    CDBPropSet propset(DBPROPSET_DBINIT);
    propset.AddProperty(DBPROP_INIT_DATASOURCE, pName);
    if (pUserName != NULL)
        propset.AddProperty(DBPROP_AUTH_USERID, pUserName);
    if (pPassword != NULL)
        propset.AddProperty(DBPROP_AUTH_PASSWORD, pPassword);
    if (nInitMode != 0)
        propset.AddProperty(DBPROP_INIT_MODE, nInitMode);
    return Open(szProgID, &propset, 1);
}

HRESULT CDataSource::OpenFromInitializationString(LPCOLESTR szInitializationString, bool)
{
    Close();
    COleDbPtr<IDataInitialize> spInit;
    HRESULT hr = OleDbCoCreateInstance(CLSID_MSDAINITIALIZE, NULL, CLSCTX_INPROC_SERVER, IID_IDataInitialize,
                                       (void**)&spInit);
    if (FAILED(hr))
        return hr;
    hr = spInit->GetDataSource(NULL, CLSCTX_INPROC_SERVER, szInitializationString, IID_IDBInitialize,
                               (IUnknown**)&m_spInit);
    if (FAILED(hr))
        return hr;
    return m_spInit->Initialize();
}

HRESULT CDataSource::GetProperty(const GUID& guid, DBPROPID propid, VARIANT* pVariant) const
{
    if (m_spInit == NULL || pVariant == NULL)
        return E_UNEXPECTED;
    COleDbPtr<IDBProperties> spProperties;
    HRESULT hr = m_spInit->QueryInterface(IID_IDBProperties, (void**)&spProperties);
    if (FAILED(hr))
        return hr;
    CDBPropIDSet ids(guid);
    ids.AddPropertyID(propid);
    ULONG cSets = 0;
    DBPROPSET* pSets = NULL;
    hr = spProperties->GetProperties(1, &ids, &cSets, &pSets);
    if (SUCCEEDED(hr) && cSets == 1 && pSets[0].cProperties == 1)
    {
        VariantInit(pVariant);
        VariantCopy(pVariant, &pSets[0].rgProperties[0].vValue);
        if (pSets[0].rgProperties[0].dwStatus != DBPROPSTATUS_OK)
            hr = DB_E_ERRORSOCCURRED;
    }
    for (ULONG i = 0; i < cSets; ++i)
    {
        for (ULONG k = 0; k < pSets[i].cProperties; ++k)
            VariantClear(&pSets[i].rgProperties[k].vValue);
        CoTaskMemFree(pSets[i].rgProperties);
    }
    CoTaskMemFree(pSets);
    return hr;
}

HRESULT CSession::Open(const CDataSource& ds, DBPROPSET*, ULONG)
{
    Close();
    if (ds.m_spInit == NULL)
        return E_UNEXPECTED;
    COleDbPtr<IDBCreateSession> spCreate;
    HRESULT hr = ds.m_spInit->QueryInterface(IID_IDBCreateSession, (void**)&spCreate);
    if (FAILED(hr))
        return hr;
    return spCreate->CreateSession(NULL, IID_IOpenRowset, (IUnknown**)&m_spOpenRowset);
}

namespace
{
HRESULT QueryTransaction(const COleDbPtr<IOpenRowset>& spOpenRowset, COleDbPtr<ITransactionLocal>& spTransaction)
{
    if (spOpenRowset == NULL)
        return E_UNEXPECTED;
    return spOpenRowset->QueryInterface(IID_ITransactionLocal, (void**)&spTransaction);
}
} // namespace

HRESULT CSession::StartTransaction(ISOLEVEL isoLevel, ULONG isoFlags, ITransactionOptions* pOtherOptions,
                                   ULONG* pulTransactionLevel) const
{
    COleDbPtr<ITransactionLocal> spTransaction;
    HRESULT hr = QueryTransaction(m_spOpenRowset, spTransaction);
    if (FAILED(hr))
        return hr;
    return spTransaction->StartTransaction(isoLevel, isoFlags, pOtherOptions, pulTransactionLevel);
}

HRESULT CSession::Abort(BOID* pboidReason, BOOL bRetaining, BOOL bAsync) const
{
    COleDbPtr<ITransactionLocal> spTransaction;
    HRESULT hr = QueryTransaction(m_spOpenRowset, spTransaction);
    if (FAILED(hr))
        return hr;
    return spTransaction->Abort(pboidReason, bRetaining, bAsync);
}

HRESULT CSession::Commit(BOOL bRetaining, DWORD grfTC, DWORD grfRM) const
{
    COleDbPtr<ITransactionLocal> spTransaction;
    HRESULT hr = QueryTransaction(m_spOpenRowset, spTransaction);
    if (FAILED(hr))
        return hr;
    return spTransaction->Commit(bRetaining, grfTC, grfRM);
}

HRESULT CSession::GetTransactionInfo(XACTTRANSINFO* pInfo) const
{
    COleDbPtr<ITransactionLocal> spTransaction;
    HRESULT hr = QueryTransaction(m_spOpenRowset, spTransaction);
    if (FAILED(hr))
        return hr;
    return spTransaction->GetTransactionInfo(pInfo);
}

void COleDbBinder::Add(DBORDINAL nOrdinal, DBTYPE wType, DBLENGTH cbMaxLen, BYTE bPrecision, BYTE bScale,
                       DBBYTEOFFSET obValue, DBBYTEOFFSET obLength, DBBYTEOFFSET obStatus, DWORD dwPart,
                       const IID* piid, DWORD dwFlags)
{
    if (m_accessors.empty())
        BeginAccessor(0, true);
    DBBINDING b;
    ZeroMemory(&b, sizeof(b));
    b.iOrdinal = nOrdinal;
    b.obValue = obValue;
    b.obLength = obLength;
    b.obStatus = obStatus;
    b.dwPart = dwPart;
    b.dwMemOwner = DBMEMOWNER_CLIENTOWNED;
    b.eParamIO = m_bParams ? m_paramIO : DBPARAMIO_NOTPARAM;
    b.cbMaxLen = cbMaxLen;
    b.wType = wType;
    b.bPrecision = bPrecision;
    b.bScale = bScale;
    if (piid != NULL)
    {
        DBOBJECT* pObject = new DBOBJECT;
        pObject->iid = *piid;
        pObject->dwFlags = dwFlags;
        m_objects.push_back(pObject);
        b.pObject = pObject;
    }
    m_accessors[m_nCurrent].bindings.push_back(b);
}

HRESULT CAccessorBase::CreateAccessors(IUnknown* pUnk, COleDbBinder& binder)
{
    ReleaseAccessors(NULL);
    HRESULT hr = pUnk->QueryInterface(IID_IAccessor, (void**)&m_spAccessorOwner);
    if (FAILED(hr))
        return hr;
    for (ULONG n = 0; n < binder.GetAccessorCount(); ++n)
    {
        COleDbBinder::Accessor& a = binder.GetAccessor(n);
        _AccessorInfo info = {DB_NULL_HACCESSOR, a.bAuto};
        std::vector<DBBINDSTATUS> status(a.bindings.size() + 1);
        hr = m_spAccessorOwner->CreateAccessor(DBACCESSOR_ROWDATA, a.bindings.size(),
                                               a.bindings.empty() ? NULL : &a.bindings[0], 0, &info.hAccessor,
                                               &status[0]);
        if (FAILED(hr))
        {
            ReleaseAccessors(NULL);
            return hr;
        }
        m_accessors.push_back(info);
    }
    return S_OK;
}

HRESULT CAccessorBase::ReleaseAccessors(IUnknown*)
{
    if (m_spAccessorOwner != NULL)
        for (const _AccessorInfo& info : m_accessors)
            m_spAccessorOwner->ReleaseAccessor(info.hAccessor, NULL);
    m_accessors.clear();
    m_spAccessorOwner.Release();
    return S_OK;
}

HRESULT CCommandBase::CreateCommand(const CSession& session)
{
    ReleaseCommand();
    if (session.m_spOpenRowset == NULL)
        return E_UNEXPECTED;
    COleDbPtr<IDBCreateCommand> spCreate;
    HRESULT hr = session.m_spOpenRowset->QueryInterface(IID_IDBCreateCommand, (void**)&spCreate);
    if (FAILED(hr))
        return hr;
    return spCreate->CreateCommand(NULL, IID_ICommand, (IUnknown**)&m_spCommand);
}

HRESULT CCommandBase::Create(const CSession& session, LPCSTR szCommand, REFGUID guidCommand)
{
    HRESULT hr = CreateCommand(session);
    if (FAILED(hr))
        return hr;
    COleDbPtr<ICommandText> spText;
    hr = m_spCommand->QueryInterface(IID_ICommandText, (void**)&spText);
    if (FAILED(hr))
        return hr;
    return spText->SetCommandText(guidCommand, Wide(szCommand).c_str());
}

HRESULT CCommandBase::Prepare(ULONG cExpectedRuns)
{
    if (m_spCommand == NULL)
        return E_UNEXPECTED;
    COleDbPtr<ICommandPrepare> spPrepare;
    HRESULT hr = m_spCommand->QueryInterface(IID_ICommandPrepare, (void**)&spPrepare);
    return FAILED(hr) ? hr : spPrepare->Prepare(cExpectedRuns);
}

HRESULT CCommandBase::Unprepare()
{
    if (m_spCommand == NULL)
        return E_UNEXPECTED;
    COleDbPtr<ICommandPrepare> spPrepare;
    HRESULT hr = m_spCommand->QueryInterface(IID_ICommandPrepare, (void**)&spPrepare);
    return FAILED(hr) ? hr : spPrepare->Unprepare();
}

void CCommandBase::ReleaseCommand()
{
    if (m_hParameterAccessor != DB_NULL_HACCESSOR && m_spCommand != NULL)
    {
        COleDbPtr<IAccessor> spAccessor;
        if (SUCCEEDED(m_spCommand->QueryInterface(IID_IAccessor, (void**)&spAccessor)))
            spAccessor->ReleaseAccessor(m_hParameterAccessor, NULL);
    }
    m_hParameterAccessor = DB_NULL_HACCESSOR;
    m_spCommand.Release();
}

HRESULT CCommandBase::GetCommandText(BSTR* pbstrText) const
{
    if (pbstrText == NULL)
        return E_POINTER;
    *pbstrText = NULL;
    if (m_spCommand == NULL)
        return E_UNEXPECTED;
    COleDbPtr<ICommandText> spText;
    HRESULT hr = m_spCommand->QueryInterface(IID_ICommandText, (void**)&spText);
    if (FAILED(hr))
        return hr;
    LPOLESTR psz = NULL;
    GUID guid = DBGUID_DEFAULT;
    hr = spText->GetCommandText(&guid, &psz);
    if (SUCCEEDED(hr))
        *pbstrText = SysAllocString(psz);
    CoTaskMemFree(psz);
    return hr;
}

HRESULT CCommandBase::SetRowsetProperties(DBPROPSET* pPropSet, ULONG ulPropSets)
{
    if (pPropSet == NULL)
        return S_OK;
    COleDbPtr<ICommandProperties> spProperties;
    HRESULT hr = m_spCommand->QueryInterface(IID_ICommandProperties, (void**)&spProperties);
    if (FAILED(hr))
        return hr;
    return spProperties->SetProperties(ulPropSets != 0 ? ulPropSets : 1, pPropSet);
}

HRESULT CEnumerator::Open(const CLSID* pClsid, bool bBind)
{
    Close();
    COleDbPtr<ISourcesRowset> spSources;
    HRESULT hr = OleDbCoCreateInstance(pClsid != NULL ? *pClsid : CLSID_OLEDB_ENUMERATOR, NULL, CLSCTX_INPROC_SERVER,
                                       IID_ISourcesRowset, (void**)&spSources);
    if (FAILED(hr))
        return hr;
    hr = spSources->GetSourcesRowset(NULL, IID_IRowset, 0, NULL, (IUnknown**)&m_spRowset);
    if (FAILED(hr))
        return hr;
    return bBind ? Bind() : S_OK;
}

} // namespace ATL

// The data source object of the provider: initialisation properties, file checks, creation and compaction.
#pragma once

#include "JetCommon.h"

class CJetDataSource
    : public CJetUnknown<IDBInitialize, IDBProperties, IDBCreateSession, IDBDataSourceAdmin, IJetCompact,
                         ISupportErrorInfo>
{
public:
    CJetDataSource() = default;
    virtual ~CJetDataSource() = default;

    STDMETHOD(Initialize)() override;
    STDMETHOD(Uninitialize)() override;

    STDMETHOD(GetProperties)(ULONG cPropertyIDSets, const DBPROPIDSET rgPropertyIDSets[], ULONG* pcPropertySets,
                             DBPROPSET** prgPropertySets) override;
    STDMETHOD(GetPropertyInfo)(ULONG cPropertyIDSets, const DBPROPIDSET rgPropertyIDSets[],
                               ULONG* pcPropertyInfoSets, DBPROPINFOSET** prgPropertyInfoSets,
                               OLECHAR** ppDescBuffer) override;
    STDMETHOD(SetProperties)(ULONG cPropertySets, DBPROPSET rgPropertySets[]) override;

    STDMETHOD(CreateSession)(IUnknown* pUnkOuter, REFIID riid, IUnknown** ppDBSession) override;

    STDMETHOD(CreateDataSource)(ULONG cPropertySets, DBPROPSET rgPropertySets[], IUnknown* pUnkOuter, REFIID riid,
                                IUnknown** ppDBSession) override;
    STDMETHOD(DestroyDataSource)() override;
    STDMETHOD(GetCreationProperties)(ULONG cPropertyIDSets, const DBPROPIDSET rgPropertyIDSets[],
                                     ULONG* pcPropertyInfoSets, DBPROPINFOSET** prgPropertyInfoSets,
                                     OLECHAR** ppDescBuffer) override;
    STDMETHOD(ModifyDataSource)(ULONG cPropertySets, DBPROPSET rgPropertySets[]) override;

    STDMETHOD(Compact)(ULONG cPropertySets, DBPROPSET rgPropertySets[]) override;

    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

    void SetDataSourcePath(const std::wstring& strPath) { m_strPath = strPath; }

private:
    void* InterfaceFor(REFIID riid) override;

    // Checks the path as Jet does before it touches the file; reports and returns the failure.
    HRESULT CheckPath(REFIID iid, bool bMustExist);

    bool m_bInitialized = false;
    std::wstring m_strPath;
    LONG m_lMode = 0;
    std::wstring m_strPassword;
};

// A session: one SQLite connection, shared by the threads that use it, with commands and schema rowsets.
#pragma once

#include "JetCommon.h"

class CJetSession
    : public CJetUnknown<IOpenRowset, IDBCreateCommand, IDBSchemaRowset, ISupportErrorInfo, IJetFlush>
{
public:
    // Opens the connection; failures are reported as error records for iidError.
    static HRESULT Open(const std::string& strPathUtf8, REFIID iidError, CJetSession** ppSession);
    virtual ~CJetSession();

    sqlite3* Db() const { return m_db; }
    const std::string& Path() const { return m_strPath; }

    STDMETHOD(OpenRowset)(IUnknown* pUnkOuter, DBID* pTableID, DBID* pIndexID, REFIID riid, ULONG cPropertySets,
                          DBPROPSET rgPropertySets[], IUnknown** ppRowset) override;
    STDMETHOD(CreateCommand)(IUnknown* pUnkOuter, REFIID riid, IUnknown** ppCommand) override;
    STDMETHOD(GetRowset)(IUnknown* pUnkOuter, REFGUID rguidSchema, ULONG cRestrictions,
                         const VARIANT rgRestrictions[], REFIID riid, ULONG cPropertySets,
                         DBPROPSET rgPropertySets[], IUnknown** ppRowset) override;
    STDMETHOD(GetSchemas)(ULONG* pcSchemas, GUID** prgSchemas, ULONG** prgRestrictionSupport) override;
    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;
    STDMETHOD(Flush)() override;

private:
    void* InterfaceFor(REFIID riid) override;

    CJetSession(sqlite3* db, const std::string& strPath);

    sqlite3* m_db;
    std::string m_strPath;
};

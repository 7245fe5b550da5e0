// A session: one SQLite connection, shared by the threads that use it, with commands and schema rowsets.
#pragma once

#include "JetCommon.h"

class CJetSession : public CJetUnknown<IOpenRowset, IDBCreateCommand, IDBSchemaRowset, ISupportErrorInfo, IJetFlush,
                                       ITransactionLocal>
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

    // One transaction at a time on the connection; every thread that writes through the session while it is
    // open writes inside it. Any isolation level asked for is met: the file is serialised by its writer lock.
    STDMETHOD(StartTransaction)(ISOLEVEL isoLevel, ULONG isoFlags, ITransactionOptions* pOtherOptions,
                                ULONG* pulTransactionLevel) override;
    STDMETHOD(GetOptionsObject)(ITransactionOptions** ppOptions) override;
    STDMETHOD(Commit)(BOOL fRetaining, DWORD grfTC, DWORD grfRM) override;
    STDMETHOD(Abort)(BOID* pboidReason, BOOL fRetaining, BOOL fAsync) override;
    STDMETHOD(GetTransactionInfo)(XACTTRANSINFO* pinfo) override;

private:
    void* InterfaceFor(REFIID riid) override;

    CJetSession(sqlite3* db, const std::string& strPath);

    sqlite3* m_db;
    std::string m_strPath;
};

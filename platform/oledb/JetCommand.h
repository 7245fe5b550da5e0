// A command: Jet SQL text translated once, prepared on demand, executed into a materialised rowset.
#pragma once

#include "JetAccessor.h"

class CJetCommand
    : public CJetUnknown<ICommandText, ICommandPrepare, ICommandProperties, CJetAccessorOwner, ISupportErrorInfo>
{
public:
    explicit CJetCommand(CJetSession* pSession);
    virtual ~CJetCommand();

    // Sets the text; bTranslate false takes it as the file's own SQL.
    HRESULT SetText(const std::string& strSqlUtf8, bool bTranslate);
    // Executes; a rowset comes back only when the statement yields columns and riid asks for one.
    HRESULT Run(DBPARAMS* pParams, REFIID riid, REFIID iidError, DBROWCOUNT* pcRowsAffected, IUnknown** ppRowset);

    STDMETHOD(Cancel)() override;
    STDMETHOD(Execute)(IUnknown* pUnkOuter, REFIID riid, DBPARAMS* pParams, DBROWCOUNT* pcRowsAffected,
                       IUnknown** ppRowset) override;
    STDMETHOD(GetDBSession)(REFIID riid, IUnknown** ppSession) override;
    STDMETHOD(GetCommandText)(GUID* pguidDialect, LPOLESTR* ppwszCommand) override;
    STDMETHOD(SetCommandText)(REFGUID rguidDialect, LPCOLESTR pwszCommand) override;

    STDMETHOD(Prepare)(ULONG cExpectedRuns) override;
    STDMETHOD(Unprepare)() override;

    STDMETHOD(GetProperties)(const ULONG cPropertyIDSets, const DBPROPIDSET rgPropertyIDSets[], ULONG* pcPropertySets,
                             DBPROPSET** prgPropertySets) override;
    STDMETHOD(SetProperties)(ULONG cPropertySets, DBPROPSET rgPropertySets[]) override;

    STDMETHOD(CreateAccessor)(DBACCESSORFLAGS dwAccessorFlags, DBCOUNTITEM cBindings, const DBBINDING rgBindings[],
                              DBLENGTH cbRowSize, HACCESSOR* phAccessor, DBBINDSTATUS rgStatus[]) override;

    STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) override;

private:
    void* InterfaceFor(REFIID riid) override;

    // Prepares the statement; a single-table SELECT is rewritten to carry rowids for changes and to leave
    // long binary columns in the file until they are read. Call with the connection mutex held.
    int PrepareStatement();
    // A SELECT over several tables leaves its long binary columns in the file as well, when each is
    // written "table.column": a list of messages must not hold every message body in memory.
    void DeferJoinedBlobs(sqlite3* db, sqlite3_stmt*& pStmt);
    void FinalizeStatement();

    CJetSession* m_pSession;
    std::wstring m_strText;
    std::string m_strSql;
    sqlite3_stmt* m_pStmt = NULL;
    std::vector<std::string> m_columns;
    std::vector<bool> m_lazy;
    std::string m_strTable; // empty: the rowset is read-only
    std::string m_strSelectList;
    std::vector<CJetJoinedBlob> m_joinedBlobs; // empty unless DeferJoinedBlobs rewrote the statement
};

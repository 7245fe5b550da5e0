// Error records of the provider: the thread's OLE error object with IErrorRecords, Jet numbers and texts.
#pragma once

#include "JetCommon.h"

// Jet error numbers that the store reacts to; records carry them as 5000000 + number.
enum
{
    JETERR_FILE_NOT_FOUND = 3024,
    JETERR_DISK_FULL = 3026,
    JETERR_DUPLICATE_KEY = 3022,
    JETERR_DISK_IO = 3043,
    JETERR_INVALID_PATH = 3044,
    JETERR_FILE_LOCKED = 3051,
    JETERR_INVALID_NAME = 3055,
    JETERR_NO_TABLE = 3078,
    JETERR_RELATED_RECORDS = 3200,
    JETERR_RELATED_REQUIRED = 3201,
    JETERR_NULL_FIELD = 3314,
    JETERR_BAD_FORMAT = 3343,
    JETERR_NATIVE_BASE = 5000000
};

struct CJetErrorRecord
{
    HRESULT hr = E_FAIL;
    DWORD dwNative = 0;
    IID iid = IID_NULL;
    std::wstring strSource;
    std::wstring strDescription;
};

// IErrorInfo answered from one record; without a record the answers are empty.
class CJetRecordErrorInfo : public IErrorInfo
{
public:
    STDMETHOD(GetGUID)(GUID* pGUID) override;
    STDMETHOD(GetSource)(BSTR* pBstrSource) override;
    STDMETHOD(GetDescription)(BSTR* pBstrDescription) override;
    STDMETHOD(GetHelpFile)(BSTR* pBstrHelpFile) override;
    STDMETHOD(GetHelpContext)(DWORD* pdwHelpContext) override;

protected:
    // The record to answer from; NULL when there is none.
    virtual const CJetErrorRecord* Record() const = 0;
};

// The error object the provider hands to SetErrorInfo: IErrorInfo of the first record and IErrorRecords of all.
class CJetErrorInfo : public CJetUnknown<CJetRecordErrorInfo, IErrorRecords>
{
public:
    explicit CJetErrorInfo(const std::vector<CJetErrorRecord>& records);
    virtual ~CJetErrorInfo() = default;

    STDMETHOD(AddErrorRecord)(ERRORINFO* pErrorInfo, DWORD dwLookupID, DISPPARAMS* pdispparams,
                              IUnknown* punkCustomError, DWORD dwDynamicErrorID) override;
    STDMETHOD(GetBasicErrorInfo)(ULONG ulRecordNum, ERRORINFO* pErrorInfo) override;
    STDMETHOD(GetCustomErrorObject)(ULONG ulRecordNum, REFIID riid, IUnknown** ppObject) override;
    STDMETHOD(GetErrorInfo)(ULONG ulRecordNum, LCID lcid, IErrorInfo** ppErrorInfo) override;
    STDMETHOD(GetErrorParameters)(ULONG ulRecordNum, DISPPARAMS* pdispparams) override;
    STDMETHOD(GetRecordCount)(ULONG* pcRecords) override;

private:
    void* InterfaceFor(REFIID riid) override;
    const CJetErrorRecord* Record() const override { return m_records.empty() ? NULL : &m_records[0]; }

    std::vector<CJetErrorRecord> m_records;
};

// Every provider method starts by clearing the thread's error object, as OLE DB asks.
void JetClearError();
// Sets the thread's error object to one record and returns hr.
HRESULT JetReportError(HRESULT hr, REFIID iid, DWORD dwJetError, const std::wstring& strDescription);
// Maps a failed SQLite call on db to a Jet record; strPath names the database file in the texts. pszSql, the
// failing statement, lets a foreign-key refusal name its table as Jet does.
HRESULT JetReportSqlite(sqlite3* db, int rc, REFIID iid, const std::string& strPathUtf8,
                        const char* pszSql = NULL);
// The record of an injected or real disk fault.
HRESULT JetReportDiskError(REFIID iid);
// Formats a Jet message that has one '%s' for a name.
std::wstring JetMessage(DWORD dwJetError, const std::wstring& strName = std::wstring());

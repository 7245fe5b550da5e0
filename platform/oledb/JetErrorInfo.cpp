// Error records of the provider: the thread's OLE error object with IErrorRecords, Jet numbers and texts.
#include "JetErrorInfo.h"

#include <oleauto.h>

namespace
{
const wchar_t kSource[] = L"Microsoft JET Database Engine";

struct JetText
{
    DWORD dwError;
    const wchar_t* pszText;
};

// The engine's own message texts; callers compare some of them verbatim.
const JetText kTexts[] = {
    {JETERR_FILE_NOT_FOUND, L"Could not find file '%s'."},
    {JETERR_DISK_FULL, L"Database has reached maximum size."},
    {JETERR_DUPLICATE_KEY,
     L"The changes you requested to the table were not successful because they would create duplicate values "
     L"in the index, primary key, or relationship.  Change the data in the field or fields that contain "
     L"duplicate data, remove the index, or redefine the index to permit duplicate entries and try again."},
    {JETERR_DISK_IO, L"Disk or network error."},
    {JETERR_INVALID_PATH, L"'%s' is not a valid path.  Make sure that the path name is spelled correctly and "
                          L"that you are connected to the server on which the file resides."},
    {JETERR_FILE_LOCKED, L"The Microsoft Jet database engine cannot open the file '%s'.  It is already opened "
                         L"exclusively by another user, or you need permission to view its data."},
    {JETERR_INVALID_NAME, L"Not a valid file name."},
    {JETERR_NO_TABLE, L"The Microsoft Jet database engine cannot find the input table or query '%s'.  Make sure "
                      L"it exists and that its name is spelled correctly."},
    {JETERR_RELATED_RECORDS, L"The record cannot be deleted or changed because table '%s' includes related "
                             L"records."},
    {JETERR_RELATED_REQUIRED, L"You cannot add or change a record because a related record is required in table "
                              L"'%s'."},
    {JETERR_NULL_FIELD, L"The field '%s' cannot contain a Null value because the Required property for this field "
                        L"is set to True.  Enter a value in this field."},
    {JETERR_BAD_FORMAT, L"Unrecognized database format '%s'."},
};

BSTR AllocBstr(const std::wstring& str)
{
    return SysAllocStringLen(str.c_str(), (UINT)str.size());
}

// IErrorInfo of one record, handed out by IErrorRecords::GetErrorInfo.
class CJetRecordInfo : public CJetUnknown<CJetRecordErrorInfo>
{
public:
    explicit CJetRecordInfo(const CJetErrorRecord& record) : m_record(record) {}
    virtual ~CJetRecordInfo() = default;

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IUnknown || riid == IID_IErrorInfo ? static_cast<IErrorInfo*>(this) : NULL;
    }
    const CJetErrorRecord* Record() const override { return &m_record; }

    CJetErrorRecord m_record;
};

std::string TableNameAfter(const char* pszMsg, const char* pszPrefix)
{
    const char* p = strstr(pszMsg, pszPrefix);
    if (p == NULL)
        return std::string();
    p += strlen(pszPrefix);
    std::string str(p);
    size_t nEnd = str.find_first_of(" \r\n");
    return nEnd == std::string::npos ? str : str.substr(0, nEnd);
}
} // namespace

CJetErrorInfo::CJetErrorInfo(const std::vector<CJetErrorRecord>& records) : m_records(records) {}

void* CJetErrorInfo::InterfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IErrorInfo)
        return static_cast<IErrorInfo*>(this);
    if (riid == IID_IErrorRecords)
        return static_cast<IErrorRecords*>(this);
    return NULL;
}

STDMETHODIMP CJetRecordErrorInfo::GetGUID(GUID* pGUID)
{
    if (pGUID == NULL)
        return E_INVALIDARG;
    const CJetErrorRecord* pRecord = Record();
    *pGUID = pRecord == NULL ? IID_NULL : pRecord->iid;
    return S_OK;
}

STDMETHODIMP CJetRecordErrorInfo::GetSource(BSTR* p)
{
    if (p == NULL)
        return E_INVALIDARG;
    const CJetErrorRecord* pRecord = Record();
    *p = pRecord == NULL ? NULL : AllocBstr(pRecord->strSource);
    return S_OK;
}

STDMETHODIMP CJetRecordErrorInfo::GetDescription(BSTR* p)
{
    if (p == NULL)
        return E_INVALIDARG;
    const CJetErrorRecord* pRecord = Record();
    *p = pRecord == NULL ? NULL : AllocBstr(pRecord->strDescription);
    return S_OK;
}

STDMETHODIMP CJetRecordErrorInfo::GetHelpFile(BSTR* p)
{
    if (p == NULL)
        return E_INVALIDARG;
    *p = NULL;
    return S_OK;
}

STDMETHODIMP CJetRecordErrorInfo::GetHelpContext(DWORD* p)
{
    if (p == NULL)
        return E_INVALIDARG;
    const CJetErrorRecord* pRecord = Record();
    *p = pRecord == NULL ? 0 : pRecord->dwNative;
    return S_OK;
}

STDMETHODIMP CJetErrorInfo::AddErrorRecord(ERRORINFO* pErrorInfo, DWORD, DISPPARAMS*, IUnknown*, DWORD)
{
    if (pErrorInfo == NULL)
        return E_INVALIDARG;
    CJetErrorRecord record;
    record.hr = pErrorInfo->hrError;
    record.dwNative = pErrorInfo->dwMinor;
    record.iid = pErrorInfo->iid;
    record.strSource = kSource;
    m_records.push_back(record);
    return S_OK;
}

STDMETHODIMP CJetErrorInfo::GetBasicErrorInfo(ULONG ulRecordNum, ERRORINFO* pErrorInfo)
{
    if (pErrorInfo == NULL)
        return E_INVALIDARG;
    if (ulRecordNum >= m_records.size())
        return DB_E_BADRECORDNUM;
    const CJetErrorRecord& r = m_records[ulRecordNum];
    pErrorInfo->hrError = r.hr;
    pErrorInfo->dwMinor = r.dwNative;
    pErrorInfo->clsid = CLSID_JETOLEDB_4_00;
    pErrorInfo->iid = r.iid;
    pErrorInfo->dispid = 0;
    return S_OK;
}

STDMETHODIMP CJetErrorInfo::GetCustomErrorObject(ULONG ulRecordNum, REFIID, IUnknown** ppObject)
{
    if (ppObject == NULL)
        return E_INVALIDARG;
    *ppObject = NULL;
    return ulRecordNum >= m_records.size() ? DB_E_BADRECORDNUM : S_OK;
}

STDMETHODIMP CJetErrorInfo::GetErrorInfo(ULONG ulRecordNum, LCID, IErrorInfo** ppErrorInfo)
{
    if (ppErrorInfo == NULL)
        return E_INVALIDARG;
    *ppErrorInfo = NULL;
    if (ulRecordNum >= m_records.size())
        return DB_E_BADRECORDNUM;
    *ppErrorInfo = new CJetRecordInfo(m_records[ulRecordNum]);
    return S_OK;
}

STDMETHODIMP CJetErrorInfo::GetErrorParameters(ULONG ulRecordNum, DISPPARAMS* pdispparams)
{
    if (pdispparams == NULL)
        return E_INVALIDARG;
    ZeroMemory(pdispparams, sizeof(*pdispparams));
    return ulRecordNum >= m_records.size() ? DB_E_BADRECORDNUM : S_OK;
}

STDMETHODIMP CJetErrorInfo::GetRecordCount(ULONG* pcRecords)
{
    if (pcRecords == NULL)
        return E_INVALIDARG;
    *pcRecords = (ULONG)m_records.size();
    return S_OK;
}

namespace
{
// Set while this thread's error object is one the provider put there. Every method clears it on entry, and
// clearing an object that is not there costs a call into OLE on each row read.
thread_local bool t_bErrorSet = false;
} // namespace

void JetClearError()
{
    if (!t_bErrorSet)
        return;
    SetErrorInfo(0, NULL);
    t_bErrorSet = false;
}

std::wstring JetMessage(DWORD dwJetError, const std::wstring& strName)
{
    for (const JetText& t : kTexts)
    {
        if (t.dwError != dwJetError)
            continue;
        std::wstring str = t.pszText;
        size_t n = str.find(L"%s");
        if (n != std::wstring::npos)
            str.replace(n, 2, strName);
        return str;
    }
    return std::wstring();
}

HRESULT JetReportError(HRESULT hr, REFIID iid, DWORD dwJetError, const std::wstring& strDescription)
{
    CJetErrorRecord record;
    record.hr = hr;
    record.dwNative = dwJetError != 0 ? JETERR_NATIVE_BASE + dwJetError : 0;
    record.iid = iid;
    record.strSource = kSource;
    record.strDescription = strDescription;
    CJetErrorInfo* pInfo = new CJetErrorInfo(std::vector<CJetErrorRecord>(1, record));
    SetErrorInfo(0, static_cast<IErrorInfo*>(pInfo));
    t_bErrorSet = true;
    pInfo->Release();
    return hr;
}

HRESULT JetReportDiskError(REFIID iid)
{
    return JetReportError(E_FAIL, iid, JETERR_DISK_IO, JetMessage(JETERR_DISK_IO));
}

HRESULT JetReportSqlite(sqlite3* db, int rc, REFIID iid, const std::string& strPathUtf8)
{
    const char* pszMsg = db != NULL ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    std::wstring strPath = JetUtf8ToWide(strPathUtf8);
    switch (rc & 0xFF)
    {
    case SQLITE_IOERR:
        return JetReportDiskError(iid);
    case SQLITE_FULL:
        return JetReportError(E_FAIL, iid, JETERR_DISK_FULL, JetMessage(JETERR_DISK_FULL));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
        return JetReportError(E_FAIL, iid, JETERR_FILE_LOCKED, JetMessage(JETERR_FILE_LOCKED, strPath));
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return JetReportError(E_FAIL, iid, JETERR_BAD_FORMAT, JetMessage(JETERR_BAD_FORMAT, strPath));
    case SQLITE_CONSTRAINT:
        switch (rc)
        {
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
            return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_DUPLICATE_KEY,
                                  JetMessage(JETERR_DUPLICATE_KEY));
        case SQLITE_CONSTRAINT_NOTNULL:
        {
            std::string strField = TableNameAfter(pszMsg, "failed: ");
            size_t nDot = strField.find('.');
            if (nDot != std::string::npos)
                strField = strField.substr(nDot + 1);
            return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_NULL_FIELD,
                                  JetMessage(JETERR_NULL_FIELD, JetUtf8ToWide(strField)));
        }
        case SQLITE_CONSTRAINT_FOREIGNKEY:
            return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_RELATED_REQUIRED,
                                  JetUtf8ToWide(pszMsg));
        default:
            return JetReportError(DB_E_INTEGRITYVIOLATION, iid, 0, JetUtf8ToWide(pszMsg));
        }
    default:
        break;
    }
    if (strncmp(pszMsg, "no such table: ", 15) == 0)
    {
        std::string strTable = TableNameAfter(pszMsg, "no such table: ");
        size_t nDot = strTable.find('.');
        if (nDot != std::string::npos)
            strTable = strTable.substr(nDot + 1);
        return JetReportError(DB_E_NOTABLE, iid, JETERR_NO_TABLE,
                              JetMessage(JETERR_NO_TABLE, JetUtf8ToWide(strTable)));
    }
    return JetReportError(E_FAIL, iid, 0, JetUtf8ToWide(pszMsg));
}

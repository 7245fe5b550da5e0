// Error records of the provider: the thread's OLE error object with IErrorRecords, Jet numbers and texts.
#include "JetErrorInfo.h"

#include <oleauto.h>

#include <atomic>
#include <cctype>

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
bool IsNameChar(char c)
{
    return isalnum((unsigned char)c) || c == '_';
}

// The word at i (a name in double quotes or brackets, or letters, digits and "_"); i moves past it.
std::string SqlWord(const std::string& strSql, size_t& i)
{
    while (i < strSql.size() && isspace((unsigned char)strSql[i]))
        ++i;
    if (i >= strSql.size())
        return std::string();
    char chClose = strSql[i] == '"' ? '"' : strSql[i] == '[' ? ']' : '\0';
    size_t nStart = chClose != '\0' ? ++i : i;
    if (chClose != '\0')
    {
        while (i < strSql.size() && strSql[i] != chClose)
            ++i;
        std::string str = strSql.substr(nStart, i - nStart);
        if (i < strSql.size())
            ++i;
        return str;
    }
    while (i < strSql.size() && IsNameChar(strSql[i]))
        ++i;
    return strSql.substr(nStart, i - nStart);
}

std::string UpperAscii(std::string str)
{
    for (char& c : str)
        c = (char)toupper((unsigned char)c);
    return str;
}

struct ForeignKey
{
    std::string strChild, strFrom, strParent, strTo, strOnDelete;
};

// The foreign keys of one table, as the file declares them.
std::vector<ForeignKey> ForeignKeysOf(sqlite3* db, const std::string& strTable)
{
    std::vector<ForeignKey> keys;
    CJetStmt stmt;
    std::string sql = "PRAGMA foreign_key_list(\"" + strTable + "\")";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL) != SQLITE_OK)
        return keys;
    while (sqlite3_step(stmt) == SQLITE_ROW)
    {
        ForeignKey key;
        key.strChild = strTable;
        const char* psz;
        if ((psz = (const char*)sqlite3_column_text(stmt, 2)) != NULL)
            key.strParent = psz;
        if ((psz = (const char*)sqlite3_column_text(stmt, 3)) != NULL)
            key.strFrom = psz;
        if ((psz = (const char*)sqlite3_column_text(stmt, 4)) != NULL)
            key.strTo = psz;
        if ((psz = (const char*)sqlite3_column_text(stmt, 6)) != NULL)
            key.strOnDelete = UpperAscii(psz);
        keys.push_back(key);
    }
    return keys;
}

// Keys of other tables that refuse the deletion of rows of strParent, those with related rows first.
std::vector<ForeignKey> RefusingChildKeys(sqlite3* db, const std::string& strParent)
{
    std::vector<std::string> tables;
    {
        CJetStmt stmt;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &stmt, NULL) ==
            SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                tables.push_back((const char*)sqlite3_column_text(stmt, 0));
    }
    std::vector<ForeignKey> related, unrelated;
    for (const std::string& strTable : tables)
    {
        for (const ForeignKey& key : ForeignKeysOf(db, strTable))
        {
            if (UpperAscii(key.strParent) != UpperAscii(strParent) || key.strOnDelete == "CASCADE" ||
                key.strOnDelete == "SET NULL" || key.strOnDelete == "SET DEFAULT")
                continue;
            bool bRelated = false;
            if (!key.strTo.empty())
            {
                CJetStmt stmt;
                std::string sql = "SELECT 1 FROM \"" + key.strChild + "\" WHERE \"" + key.strFrom +
                                  "\" IN (SELECT \"" + key.strTo + "\" FROM \"" + strParent + "\") LIMIT 1";
                bRelated = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, NULL) == SQLITE_OK &&
                           sqlite3_step(stmt) == SQLITE_ROW;
            }
            (bRelated ? related : unrelated).push_back(key);
        }
    }
    related.insert(related.end(), unrelated.begin(), unrelated.end());
    return related;
}

// SQLite names no table when it refuses a change for a foreign key; Jet does, and says which side is at
// fault. The failing statement tells: a deletion (or a change of a referenced key) leaves rows of another
// table without their parent (3200, naming that table); an insertion or a change of a referring column
// names a parent that is not there (3201, naming the parent's table).
HRESULT ReportForeignKey(sqlite3* db, REFIID iid, const char* pszSql)
{
    std::string strSql = pszSql != NULL ? pszSql : "";
    size_t i = 0;
    std::string strVerb = UpperAscii(SqlWord(strSql, i));
    if (strVerb == "DELETE" || strVerb == "INSERT")
        SqlWord(strSql, i); // FROM, INTO
    std::string strTable = SqlWord(strSql, i);
    if (!strTable.empty() && (strVerb == "DELETE" || strVerb == "INSERT" || strVerb == "UPDATE"))
    {
        std::vector<ForeignKey> parents;
        if (strVerb != "DELETE")
            parents = ForeignKeysOf(db, strTable);
        if (strVerb == "UPDATE")
        {
            // Only the keys whose referring column the statement sets can be at fault on this side.
            const std::string strUpper = UpperAscii(strSql.substr(i));
            std::vector<ForeignKey> named;
            for (const ForeignKey& key : parents)
            {
                const std::string strFrom = UpperAscii(key.strFrom);
                for (size_t n = strUpper.find(strFrom); n != std::string::npos;
                     n = strUpper.find(strFrom, n + 1))
                {
                    size_t nEnd = n + strFrom.size();
                    bool bWordStart = n == 0 || !IsNameChar(strUpper[n - 1]);
                    bool bWordEnd = nEnd >= strUpper.size() || !IsNameChar(strUpper[nEnd]);
                    if (bWordStart && bWordEnd)
                    {
                        named.push_back(key);
                        break;
                    }
                }
            }
            parents = named;
        }
        if (!parents.empty())
            return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_RELATED_REQUIRED,
                                  JetMessage(JETERR_RELATED_REQUIRED, JetUtf8ToWide(parents[0].strParent)));
        if (strVerb != "INSERT")
        {
            std::vector<ForeignKey> children = RefusingChildKeys(db, strTable);
            if (!children.empty())
            {
                std::wstring strChild = JetUtf8ToWide(children[0].strChild);
                return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_RELATED_RECORDS,
                                      JetMessage(JETERR_RELATED_RECORDS, strChild));
            }
        }
    }
    return JetReportError(DB_E_INTEGRITYVIOLATION, iid, JETERR_RELATED_REQUIRED,
                          JetMessage(JETERR_RELATED_REQUIRED, std::wstring()));
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
// clearing an object that is not there costs a call into OLE on each row read. The flag lives in a Win32 slot:
// thread_local is emulated by this compiler, with a locked lookup on every access.
DWORD ErrorSetSlot()
{
    static const DWORD s_dwSlot = TlsAlloc();
    return s_dwSlot;
}

// Threads whose flag is set. While it is zero, which is nearly always, a method's entry asks nothing of the
// system: reading a thread's slot costs three calls into it. A thread that ends with its flag set only keeps
// the others on the slower path.
std::atomic<LONG> g_nFlagged(0);

// The slot's value without disturbing the caller's last error, which TlsGetValue clears.
bool ErrorSetFlag(DWORD dwSlot)
{
    DWORD dwLastError = GetLastError();
    bool bSet = TlsGetValue(dwSlot) != NULL;
    SetLastError(dwLastError);
    return bSet;
}

void SetErrorSetFlag(bool bSet)
{
    DWORD dwSlot = ErrorSetSlot();
    if (dwSlot == TLS_OUT_OF_INDEXES || ErrorSetFlag(dwSlot) == bSet)
        return;
    TlsSetValue(dwSlot, bSet ? (LPVOID)1 : NULL);
    g_nFlagged += bSet ? 1 : -1;
}
} // namespace

void JetClearError()
{
    DWORD dwSlot = ErrorSetSlot();
    if (dwSlot != TLS_OUT_OF_INDEXES && (g_nFlagged.load() == 0 || !ErrorSetFlag(dwSlot)))
        return;
    SetErrorInfo(0, NULL);
    SetErrorSetFlag(false);
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
    SetErrorSetFlag(true);
    pInfo->Release();
    return hr;
}

HRESULT JetReportDiskError(REFIID iid)
{
    return JetReportError(E_FAIL, iid, JETERR_DISK_IO, JetMessage(JETERR_DISK_IO));
}

HRESULT JetReportSqlite(sqlite3* db, int rc, REFIID iid, const std::string& strPathUtf8, const char* pszSql)
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
            return ReportForeignKey(db, iid, pszSql);
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

// Shared pieces of the Jet-compatible provider over SQLite: values, locks, text conversion, hooks.
#pragma once

#include <windows.h>
#include <oledb.h>
#include <oledberr.h>
#include <msdaguid.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "msjetoledb.h"

class CJetSession;

// Private interface id through which provider objects hand out their implementation.
extern "C" const IID IID_IJetInternal;

template <class T> T* JetImplOf(IUnknown* pUnk)
{
    if (pUnk == NULL)
        return NULL;
    void* pv = NULL;
    if (FAILED(pUnk->QueryInterface(IID_IJetInternal, &pv)) || pv == NULL)
        return NULL;
    T* p = static_cast<T*>(pv);
    p->Release(); // the caller's reference keeps the object alive
    return p;
}

// IUnknown of a provider object over the interfaces it implements: one reference count, and QueryInterface
// answering with what InterfaceFor names (NULL: not supported).
template <class... Interfaces> class CJetUnknown : public Interfaces...
{
public:
    virtual ~CJetUnknown() = default;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (ppv == NULL)
            return E_POINTER;
        *ppv = InterfaceFor(riid);
        if (*ppv == NULL)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&m_cRef); }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG n = InterlockedDecrement(&m_cRef);
        if (n == 0)
            delete this;
        return n;
    }

protected:
    virtual void* InterfaceFor(REFIID riid) = 0;

private:
    LONG m_cRef = 1;
};

// One column value of a materialised row.
struct CJetValue
{
    enum Kind
    {
        Null,
        Integer,
        Real,
        Text, // UTF-8
        Blob,
        LazyBlob // only the length is known (in i); the bytes stay in the file until asked for
    };
    Kind kind = Null;
    sqlite3_int64 i = 0;
    double r = 0;
    std::string s;

    static CJetValue FromColumn(sqlite3_stmt* pStmt, int iCol);
    // The same in place, so that a row being filled needs no temporary value.
    void SetFromColumn(sqlite3_stmt* pStmt, int iCol);
    // bKeep: the value outlives the statement's run, so SQLite reads it where it is instead of copying it
    // (a message text may be very large).
    void Bind(sqlite3_stmt* pStmt, int iParam, bool bKeep = false) const;
};

// A value without its own storage: what a row hands to the binding conversion. Text is NUL-terminated.
struct CJetValueRef
{
    CJetValue::Kind kind = CJetValue::Null;
    sqlite3_int64 i = 0;
    double r = 0;
    const char* p = "";
    size_t n = 0;

    CJetValueRef() = default;
    CJetValueRef(const CJetValue& v) : kind(v.kind), i(v.i), r(v.r), p(v.s.c_str()), n(v.s.size()) {}
    std::string Text() const { return std::string(p, n); }
};

// A row of values kept as bytes in its rowset's storage: no allocation per value or per row.
class CJetPackedRow
{
public:
    // The size the columns iFirst.. of the statement's current row take packed, with their values in
    // values for Write; the caller holds the connection mutex, and the views stay valid until the statement
    // steps. lazy[i] marks the length of a long binary column (read as an integer) whose bytes stay in the
    // file.
    static size_t Measure(sqlite3_stmt* pStmt, int iFirst, int nCols, const std::vector<bool>& lazy,
                          std::vector<CJetValueRef>& values);
    // Packs the measured values at p, which has room for the measured size.
    static void Write(const std::vector<CJetValueRef>& values, char* p);
    void Set(const char* p, size_t n)
    {
        m_p = p;
        m_n = n;
    }
    bool IsEmpty() const { return m_n == 0; }
    void Clear() { Set(NULL, 0); }
    // Fills views of every column; they stay valid as long as the storage.
    void Unpack(std::vector<CJetValueRef>& values) const;

private:
    const char* m_p = NULL;
    size_t m_n = 0;
};

// Where the bytes of a lazily read column live.
struct CJetBlobRef
{
    CJetSession* pSession = NULL;
    std::string strTable;
    std::string strColumn;
    sqlite3_int64 rowid = 0;
};

// A long binary column of a rowset over several tables, read from its own table only when asked for: the
// table and column it comes from, and the hidden result column holding that table's rowid.
struct CJetJoinedBlob
{
    std::string strTable;
    std::string strColumn;
    int iRowid = -1; // -1: not such a column
};

// Holds the connection mutex: a session is shared by threads, and error texts, new row ids and
// statement steps of one connection must not interleave.
class CJetLock
{
public:
    explicit CJetLock(sqlite3* db) : m_pMutex(db != NULL ? sqlite3_db_mutex(db) : NULL)
    {
        if (m_pMutex != NULL)
            sqlite3_mutex_enter(m_pMutex);
    }
    ~CJetLock()
    {
        if (m_pMutex != NULL)
            sqlite3_mutex_leave(m_pMutex);
    }
    CJetLock(const CJetLock&) = delete;
    CJetLock& operator=(const CJetLock&) = delete;

private:
    sqlite3_mutex* m_pMutex;
};

// Finalises a statement on every way out.
class CJetStmt
{
public:
    CJetStmt() = default;
    ~CJetStmt() { Finalize(); }
    CJetStmt(const CJetStmt&) = delete;
    CJetStmt& operator=(const CJetStmt&) = delete;
    void Finalize()
    {
        if (m_p != NULL)
            sqlite3_finalize(m_p);
        m_p = NULL;
    }
    sqlite3_stmt** operator&() { return &m_p; }
    operator sqlite3_stmt*() const { return m_p; }
    sqlite3_stmt* m_p = NULL;
};

// Text conversion between the program's 8-bit code page and the UTF-8 of the file.
UINT JetGetCodePage();
std::string JetAnsiToUtf8(const char* psz, size_t cch);
std::string JetUtf8ToAnsi(const std::string& str);
std::wstring JetUtf8ToWide(const std::string& str);
std::string JetWideToUtf8(const wchar_t* psz, size_t cch = (size_t)-1);

// Consumes one injected I/O fault when any is pending.
bool JetTakeIoFault();
// True while the enumerator is to leave the Jet provider out.
bool JetProviderHidden();

// Reads a value out of a consumer buffer by one binding. S_FALSE: the binding asks to leave the column
// alone (status IGNORE or DEFAULT, or a storage object that is not there).
HRESULT JetValueFromBinding(const DBBINDING& b, BYTE* pData, CJetValue& v);

// Bytes a storage object lent for one row change (IJetLentBytes); p is NULL when the value holds its bytes.
struct CJetLentBytes
{
    const char* p = NULL;
    size_t n = 0;
};
// As above; with pLent, a storage object that lends its bytes is not read: v is an empty Blob and pLent says
// where the bytes are, valid until the consumer's call returns.
HRESULT JetValueFromBinding(const DBBINDING& b, BYTE* pData, CJetValue& v, CJetLentBytes* pLent);
// Writes a value into a consumer buffer by one binding; sets the binding's status part.
HRESULT JetValueToBinding(const CJetValueRef& v, const DBBINDING& b, BYTE* pData, const CJetBlobRef* pRef);

// Jet's date serial (OLE date) of the local time now.
double JetNowOleDate();

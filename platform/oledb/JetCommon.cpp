// Shared pieces of the Jet-compatible provider over SQLite: values, locks, text conversion, hooks.
#define DBINITCONSTANTS
#include "JetCommon.h"

#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "JetBlobStream.h"

extern "C" const CLSID CLSID_JETOLEDB_4_00 = {0xDEE35070, 0x506B, 0x11CF, {0xB1, 0xAA, 0x00, 0xAA, 0x00, 0xB8, 0xDE, 0x95}};
extern "C" const GUID DBPROPSET_JETOLEDB_DBINIT = {
    0x82CF8156, 0x9B40, 0x11D0, {0x9E, 0xBD, 0x00, 0xC0, 0x4F, 0xC2, 0xC2, 0xE0}};
extern "C" const IID IID_IJetCompact = {0x2A4B6284, 0xEEB4, 0x11D1, {0xA4, 0xD9, 0x00, 0xC0, 0x4F, 0x99, 0x1C, 0x78}};
extern "C" const IID IID_IJetFlush = {0x5C1E2A47, 0x8B3D, 0x4E16, {0xA0, 0xF2, 0x7D, 0x94, 0xC3, 0xB6, 0xE8, 0x15}};
extern "C" const IID IID_IJetInternal = {0x6B0E54C1, 0x3D2A, 0x4F7E, {0x9A, 0x51, 0x27, 0xC4, 0x8E, 0x13, 0xB9, 0x60}};

namespace
{
std::atomic<UINT> g_uCodePage(CP_ACP);
std::atomic<LONG> g_nIoFaults(0);
std::atomic<bool> g_bHideJet(false);

size_t BoundedLength(const char* p, size_t cbMax)
{
    size_t n = 0;
    while (n < cbMax && p[n] != 0)
        ++n;
    return n;
}

size_t BoundedWideLength(const wchar_t* p, size_t cchMax)
{
    size_t n = 0;
    while (n < cchMax && p[n] != 0)
        ++n;
    return n;
}

double ValueAsDouble(const CJetValueRef& v)
{
    switch (v.kind)
    {
    case CJetValue::Integer:
        return (double)v.i;
    case CJetValue::Real:
        return v.r;
    case CJetValue::Text:
        return strtod(v.p, NULL);
    default:
        return 0;
    }
}

LONGLONG ValueAsInteger(const CJetValueRef& v)
{
    switch (v.kind)
    {
    case CJetValue::Integer:
        return v.i;
    case CJetValue::Real:
        return (LONGLONG)v.r;
    case CJetValue::Text:
        return _strtoi64(v.p, NULL, 10);
    default:
        return 0;
    }
}

std::string ValueAsText(const CJetValueRef& v)
{
    char sz[64];
    switch (v.kind)
    {
    case CJetValue::Integer:
        snprintf(sz, sizeof(sz), "%lld", (long long)v.i);
        return sz;
    case CJetValue::Real:
        snprintf(sz, sizeof(sz), "%.15g", v.r);
        return sz;
    case CJetValue::Text:
    case CJetValue::Blob:
        return v.Text();
    default:
        return std::string();
    }
}

bool IsAscii(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
    {
        if ((unsigned char)p[i] >= 0x80)
            return false;
    }
    return true;
}

void SetStatus(const DBBINDING& b, BYTE* pData, DBSTATUS status)
{
    if (b.dwPart & DBPART_STATUS)
        *(DBSTATUS*)(pData + b.obStatus) = status;
}

void SetLength(const DBBINDING& b, BYTE* pData, DBLENGTH n)
{
    if (b.dwPart & DBPART_LENGTH)
        *(DBLENGTH*)(pData + b.obLength) = n;
}

size_t FixedSize(DBTYPE wType)
{
    switch (wType)
    {
    case DBTYPE_I1:
    case DBTYPE_UI1:
        return 1;
    case DBTYPE_I2:
    case DBTYPE_UI2:
    case DBTYPE_BOOL:
        return 2;
    case DBTYPE_I4:
    case DBTYPE_UI4:
    case DBTYPE_R4:
        return 4;
    case DBTYPE_I8:
    case DBTYPE_UI8:
    case DBTYPE_R8:
    case DBTYPE_DATE:
    case DBTYPE_CY:
        return 8;
    case DBTYPE_GUID:
        return sizeof(GUID);
    case DBTYPE_IUNKNOWN:
        return sizeof(IUnknown*);
    default:
        return 0;
    }
}

// Reads a consumer's storage object to its end; OLE DB hands the object to the provider, which releases it.
HRESULT ReadStorageObject(IUnknown* pUnk, std::string& str)
{
    ISequentialStream* pStream = NULL;
    HRESULT hr = pUnk->QueryInterface(IID_ISequentialStream, (void**)&pStream);
    if (FAILED(hr))
        return hr;
    char buf[65536];
    for (;;)
    {
        ULONG cbRead = 0;
        hr = pStream->Read(buf, sizeof(buf), &cbRead);
        if (FAILED(hr))
            break;
        str.append(buf, cbRead);
        if (cbRead == 0 || hr == S_FALSE)
        {
            hr = S_OK;
            break;
        }
    }
    pStream->Release();
    return hr;
}
} // namespace

UINT OleDbSetCodePage(UINT uCodePage)
{
    return g_uCodePage.exchange(uCodePage);
}

void OleDbInjectIoFaults(LONG nOperations)
{
    g_nIoFaults = nOperations;
}

void OleDbHideJetProvider(bool bHide)
{
    g_bHideJet = bHide;
}

UINT JetGetCodePage()
{
    return g_uCodePage;
}

bool JetTakeIoFault()
{
    LONG n = g_nIoFaults.load();
    while (n > 0)
    {
        if (g_nIoFaults.compare_exchange_weak(n, n - 1))
            return true;
    }
    return false;
}

bool JetProviderHidden()
{
    return g_bHideJet;
}

std::wstring JetUtf8ToWide(const std::string& str)
{
    if (str.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, str.data(), (int)str.size(), NULL, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.data(), (int)str.size(), &w[0], n);
    return w;
}

std::string JetWideToUtf8(const wchar_t* psz, size_t cch)
{
    if (psz == NULL)
        return std::string();
    if (cch == (size_t)-1)
        cch = wcslen(psz);
    if (cch == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, psz, (int)cch, NULL, 0, NULL, NULL);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, psz, (int)cch, &s[0], n, NULL, NULL);
    return s;
}

std::string JetAnsiToUtf8(const char* psz, size_t cch)
{
    if (cch == 0)
        return std::string();
    // Plain ASCII reads the same in UTF-8 and in every ANSI code page: most stored text needs no conversion.
    if (IsAscii(psz, cch))
        return std::string(psz, cch);
    UINT cp = JetGetCodePage();
    int n = MultiByteToWideChar(cp, 0, psz, (int)cch, NULL, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(cp, 0, psz, (int)cch, &w[0], n);
    return JetWideToUtf8(w.c_str(), w.size());
}

namespace
{
// The ANSI form of UTF-8 text into buf when it is short enough, without the heap; the length, or -1 when the
// text needs JetUtf8ToAnsi.
int Utf8ToAnsiShort(const char* p, size_t n, char* buf, int cbBuf)
{
    wchar_t wsz[256];
    if (n == 0 || n > 256)
        return -1;
    int cch = MultiByteToWideChar(CP_UTF8, 0, p, (int)n, wsz, 256);
    if (cch <= 0)
        return -1;
    int cb = WideCharToMultiByte(JetGetCodePage(), 0, wsz, cch, buf, cbBuf, NULL, NULL);
    return cb > 0 ? cb : -1;
}
} // namespace

std::string JetUtf8ToAnsi(const std::string& str)
{
    std::wstring w = JetUtf8ToWide(str);
    if (w.empty())
        return std::string();
    UINT cp = JetGetCodePage();
    int n = WideCharToMultiByte(cp, 0, w.c_str(), (int)w.size(), NULL, 0, NULL, NULL);
    std::string s(n, '\0');
    WideCharToMultiByte(cp, 0, w.c_str(), (int)w.size(), &s[0], n, NULL, NULL);
    return s;
}

double JetNowOleDate()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    double d = 0;
    SystemTimeToVariantTime(&st, &d);
    return d;
}

CJetValue CJetValue::FromColumn(sqlite3_stmt* pStmt, int iCol)
{
    CJetValue v;
    v.SetFromColumn(pStmt, iCol);
    return v;
}

void CJetValue::SetFromColumn(sqlite3_stmt* pStmt, int iCol)
{
    switch (sqlite3_column_type(pStmt, iCol))
    {
    case SQLITE_INTEGER:
        kind = Integer;
        i = sqlite3_column_int64(pStmt, iCol);
        break;
    case SQLITE_FLOAT:
        kind = Real;
        r = sqlite3_column_double(pStmt, iCol);
        break;
    case SQLITE_TEXT:
        kind = Text;
        s.assign((const char*)sqlite3_column_text(pStmt, iCol), sqlite3_column_bytes(pStmt, iCol));
        break;
    case SQLITE_BLOB:
    {
        kind = Blob;
        const void* p = sqlite3_column_blob(pStmt, iCol);
        int n = sqlite3_column_bytes(pStmt, iCol);
        if (p != NULL && n > 0)
            s.assign((const char*)p, n);
        break;
    }
    default:
        kind = Null;
        break;
    }
}

namespace
{
CJetValue::Kind PackedKind(sqlite3_value* pValue, bool bLazy)
{
    switch (sqlite3_value_type(pValue))
    {
    case SQLITE_INTEGER:
        return bLazy ? CJetValue::LazyBlob : CJetValue::Integer;
    case SQLITE_FLOAT:
        return CJetValue::Real;
    case SQLITE_TEXT:
        return CJetValue::Text;
    case SQLITE_BLOB:
        return CJetValue::Blob;
    default:
        return CJetValue::Null;
    }
}
} // namespace

size_t CJetPackedRow::Measure(sqlite3_stmt* pStmt, int iFirst, int nCols, const std::vector<bool>& lazy,
                              std::vector<CJetValueRef>& values)
{
    values.resize((size_t)nCols);
    size_t cb = 0;
    for (int i = 0; i < nCols; ++i)
    {
        // Each sqlite3_column_* call takes the connection mutex; the caller holds it already, so the column's
        // value is fetched once and read without it, and only once: Write packs what is read here.
        sqlite3_value* pValue = sqlite3_column_value(pStmt, i + iFirst);
        CJetValueRef& v = values[(size_t)i];
        v.kind = PackedKind(pValue, (size_t)i < lazy.size() && lazy[(size_t)i]);
        cb += 1;
        switch (v.kind)
        {
        case CJetValue::Integer:
        case CJetValue::LazyBlob:
            v.i = sqlite3_value_int64(pValue);
            cb += 8;
            break;
        case CJetValue::Real:
            v.r = sqlite3_value_double(pValue);
            cb += 8;
            break;
        case CJetValue::Text:
        case CJetValue::Blob:
            // The bytes first, then their length, as SQLite documents: the length is that of the bytes handed
            // out.
            v.p = v.kind == CJetValue::Text ? (const char*)sqlite3_value_text(pValue)
                                            : (const char*)sqlite3_value_blob(pValue);
            v.n = (size_t)sqlite3_value_bytes(pValue);
            cb += sizeof(UINT32) + v.n + 1;
            break;
        default:
            break;
        }
    }
    return cb;
}

void CJetPackedRow::Write(const std::vector<CJetValueRef>& values, char* p)
{
    for (const CJetValueRef& v : values)
    {
        *p++ = (char)v.kind;
        switch (v.kind)
        {
        case CJetValue::Integer:
        case CJetValue::LazyBlob:
            memcpy(p, &v.i, sizeof(v.i));
            p += sizeof(v.i);
            break;
        case CJetValue::Real:
            memcpy(p, &v.r, sizeof(v.r));
            p += sizeof(v.r);
            break;
        case CJetValue::Text:
        case CJetValue::Blob:
        {
            UINT32 n = (UINT32)v.n;
            memcpy(p, &n, sizeof(n));
            p += sizeof(n);
            if (v.p != NULL)
                memcpy(p, v.p, n);
            else
                memset(p, 0, n);
            p += n;
            *p++ = '\0';
            break;
        }
        default:
            break;
        }
    }
}

void CJetPackedRow::Unpack(std::vector<CJetValueRef>& values) const
{
    // Written in place: a value built aside and copied in stalls on the copy of what was just stored.
    size_t nValues = 0;
    const char* p = m_p;
    const char* pEnd = p + m_n;
    while (p < pEnd)
    {
        if (nValues == values.size())
            values.emplace_back();
        CJetValueRef& v = values[nValues++];
        v = CJetValueRef();
        v.kind = (CJetValue::Kind)*p++;
        switch (v.kind)
        {
        case CJetValue::Integer:
        case CJetValue::LazyBlob:
            memcpy(&v.i, p, sizeof(v.i));
            p += sizeof(v.i);
            break;
        case CJetValue::Real:
            memcpy(&v.r, p, sizeof(v.r));
            p += sizeof(v.r);
            break;
        case CJetValue::Text:
        case CJetValue::Blob:
        {
            UINT32 n = 0;
            memcpy(&n, p, sizeof(n));
            p += sizeof(n);
            v.p = p;
            v.n = n;
            p += n + 1;
            break;
        }
        default:
            break;
        }
    }
    values.resize(nValues);
}

void CJetValue::Bind(sqlite3_stmt* pStmt, int iParam, bool bKeep) const
{
    const sqlite3_destructor_type pfnCopy = bKeep ? SQLITE_STATIC : SQLITE_TRANSIENT;
    switch (kind)
    {
    case Integer:
        sqlite3_bind_int64(pStmt, iParam, i);
        break;
    case Real:
        sqlite3_bind_double(pStmt, iParam, r);
        break;
    case Text:
        sqlite3_bind_text(pStmt, iParam, s.data(), (int)s.size(), pfnCopy);
        break;
    case Blob:
        sqlite3_bind_blob(pStmt, iParam, s.data(), (int)s.size(), pfnCopy);
        break;
    default:
        sqlite3_bind_null(pStmt, iParam);
        break;
    }
}

HRESULT JetValueFromBinding(const DBBINDING& b, BYTE* pData, CJetValue& v)
{
    return JetValueFromBinding(b, pData, v, NULL);
}

HRESULT JetValueFromBinding(const DBBINDING& b, BYTE* pData, CJetValue& v, CJetLentBytes* pLent)
{
    v = CJetValue();
    if (pLent != NULL)
        *pLent = CJetLentBytes();
    if (b.dwPart & DBPART_STATUS)
    {
        DBSTATUS status = *(DBSTATUS*)(pData + b.obStatus);
        if (status == DBSTATUS_S_ISNULL)
            return S_OK;
        if (status == DBSTATUS_S_IGNORE || status == DBSTATUS_S_DEFAULT)
            return S_FALSE;
    }
    if (!(b.dwPart & DBPART_VALUE))
        return S_FALSE;
    BYTE* p = pData + b.obValue;
    DBTYPE wType = b.wType & ~DBTYPE_BYREF;
    switch (wType)
    {
    case DBTYPE_I1:
        v.kind = CJetValue::Integer, v.i = *(signed char*)p;
        break;
    case DBTYPE_UI1:
        v.kind = CJetValue::Integer, v.i = *(BYTE*)p;
        break;
    case DBTYPE_I2:
        v.kind = CJetValue::Integer, v.i = *(SHORT*)p;
        break;
    case DBTYPE_UI2:
        v.kind = CJetValue::Integer, v.i = *(USHORT*)p;
        break;
    case DBTYPE_I4:
        v.kind = CJetValue::Integer, v.i = *(LONG*)p;
        break;
    case DBTYPE_UI4:
        v.kind = CJetValue::Integer, v.i = *(ULONG*)p;
        break;
    case DBTYPE_I8:
        v.kind = CJetValue::Integer, v.i = *(LONGLONG*)p;
        break;
    case DBTYPE_UI8:
        v.kind = CJetValue::Integer, v.i = (LONGLONG) * (ULONGLONG*)p;
        break;
    case DBTYPE_BOOL:
        v.kind = CJetValue::Integer, v.i = *(VARIANT_BOOL*)p != 0 ? -1 : 0;
        break;
    case DBTYPE_R4:
        v.kind = CJetValue::Real, v.r = *(float*)p;
        break;
    case DBTYPE_R8:
    case DBTYPE_DATE:
        v.kind = CJetValue::Real, v.r = *(double*)p;
        break;
    case DBTYPE_STR:
    {
        size_t n = (b.dwPart & DBPART_LENGTH) ? (size_t) * (DBLENGTH*)(pData + b.obLength)
                                               : BoundedLength((const char*)p, b.cbMaxLen);
        if (n > b.cbMaxLen)
            n = b.cbMaxLen;
        v.kind = CJetValue::Text;
        v.s = JetAnsiToUtf8((const char*)p, n);
        break;
    }
    case DBTYPE_WSTR:
    {
        size_t cchMax = b.cbMaxLen / sizeof(wchar_t);
        size_t n = (b.dwPart & DBPART_LENGTH) ? (size_t) * (DBLENGTH*)(pData + b.obLength) / sizeof(wchar_t)
                                               : BoundedWideLength((const wchar_t*)p, cchMax);
        if (n > cchMax)
            n = cchMax;
        v.kind = CJetValue::Text;
        v.s = JetWideToUtf8((const wchar_t*)p, n);
        break;
    }
    case DBTYPE_BYTES:
    {
        size_t n = (b.dwPart & DBPART_LENGTH) ? (size_t) * (DBLENGTH*)(pData + b.obLength) : b.cbMaxLen;
        if (n > b.cbMaxLen)
            n = b.cbMaxLen;
        v.kind = CJetValue::Blob;
        v.s.assign((const char*)p, n);
        break;
    }
    case DBTYPE_IUNKNOWN:
    {
        IUnknown* pUnk = *(IUnknown**)p;
        if (pUnk == NULL)
            return S_FALSE;
        // Our own stream handed back unread or half read: the column keeps what the file holds.
        if (JetImplOf<CJetBlobStream>(pUnk) != NULL)
            return S_FALSE;
        // The provider owns the object from here on, whatever the outcome.
        *(IUnknown**)p = NULL;
        v.kind = CJetValue::Blob;
        IJetLentBytes* pLender = NULL;
        if (pLent != NULL && SUCCEEDED(pUnk->QueryInterface(IID_IJetLentBytes, (void**)&pLender)))
        {
            const void* pv = NULL;
            ULONG cb = 0;
            HRESULT hr = pLender->GetLentBytes(&pv, &cb);
            pLender->Release();
            pUnk->Release();
            if (FAILED(hr))
                return hr;
            if (pv == NULL && cb != 0)
                return E_POINTER;
            // An empty text still needs a pointer: a NULL one would be bound as a NULL column.
            pLent->p = cb != 0 ? (const char*)pv : "";
            pLent->n = cb;
            return S_OK;
        }
        HRESULT hr = ReadStorageObject(pUnk, v.s);
        pUnk->Release();
        return hr;
    }
    default:
        return DB_E_UNSUPPORTEDCONVERSION;
    }
    return S_OK;
}

namespace
{
// Every conversion; JetValueToBinding below takes the common cases itself.
__attribute__((noinline)) HRESULT ValueToBindingSlow(const CJetValueRef& v, const DBBINDING& b, BYTE* pData,
                                                     const CJetBlobRef* pRef)
{
    DBTYPE wType = b.wType & ~DBTYPE_BYREF;
    if (v.kind == CJetValue::LazyBlob && wType != DBTYPE_IUNKNOWN && wType != DBTYPE_BYTES)
    {
        // Bound as something other than bytes or a stream: the value is needed here and now.
        if (pRef == NULL)
            return E_UNEXPECTED;
        CJetValue blob;
        blob.kind = CJetValue::Blob;
        HRESULT hr = CJetBlobStream::ReadAll(*pRef, blob.s);
        if (FAILED(hr))
            return hr;
        return JetValueToBinding(blob, b, pData, NULL);
    }
    BYTE* p = pData + b.obValue;
    bool bValue = (b.dwPart & DBPART_VALUE) != 0;
    if (v.kind == CJetValue::Null)
    {
        // Zero or empty rather than whatever the previous row left in the buffer. A number bound with a
        // status part keeps the value the consumer preset: the status tells it the column is NULL, and
        // callers preset a value that means "none" (as Jet leaves the buffer alone).
        bool bKeepNumber =
            (b.dwPart & DBPART_STATUS) != 0 && wType != DBTYPE_IUNKNOWN && FixedSize(wType) != 0;
        if (bValue && !bKeepNumber)
        {
            size_t n = FixedSize(wType);
            if (n == 0)
                n = (size_t)b.cbMaxLen;
            ZeroMemory(p, n);
        }
        SetLength(b, pData, 0);
        SetStatus(b, pData, DBSTATUS_S_ISNULL);
        return S_OK;
    }
    DBSTATUS status = DBSTATUS_S_OK;
    DBLENGTH cbLength = FixedSize(wType);
    switch (wType)
    {
    case DBTYPE_I1:
        if (bValue)
            *(signed char*)p = (signed char)ValueAsInteger(v);
        break;
    case DBTYPE_UI1:
        if (bValue)
            *(BYTE*)p = (BYTE)ValueAsInteger(v);
        break;
    case DBTYPE_I2:
        if (bValue)
            *(SHORT*)p = (SHORT)ValueAsInteger(v);
        break;
    case DBTYPE_UI2:
        if (bValue)
            *(USHORT*)p = (USHORT)ValueAsInteger(v);
        break;
    case DBTYPE_I4:
        if (bValue)
            *(LONG*)p = (LONG)ValueAsInteger(v);
        break;
    case DBTYPE_UI4:
        if (bValue)
            *(ULONG*)p = (ULONG)ValueAsInteger(v);
        break;
    case DBTYPE_I8:
    case DBTYPE_UI8:
        if (bValue)
            *(LONGLONG*)p = ValueAsInteger(v);
        break;
    case DBTYPE_BOOL:
        if (bValue)
            *(VARIANT_BOOL*)p = ValueAsDouble(v) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case DBTYPE_R4:
        if (bValue)
            *(float*)p = (float)ValueAsDouble(v);
        break;
    case DBTYPE_R8:
    case DBTYPE_DATE:
        if (bValue)
            *(double*)p = ValueAsDouble(v);
        break;
    case DBTYPE_GUID:
        if (bValue)
            ZeroMemory(p, sizeof(GUID));
        break;
    case DBTYPE_STR:
    {
        // A subject or a name converts on the stack; longer text through the heap.
        char szShort[512];
        int cbShort = v.kind == CJetValue::Text ? Utf8ToAnsiShort(v.p, v.n, szShort, sizeof(szShort)) : -1;
        std::string s;
        if (cbShort < 0)
            s = v.kind == CJetValue::Text ? JetUtf8ToAnsi(v.Text()) : ValueAsText(v);
        const char* pText = cbShort >= 0 ? szShort : s.data();
        size_t cbText = cbShort >= 0 ? (size_t)cbShort : s.size();
        cbLength = cbText;
        if (bValue)
        {
            size_t cbMax = b.cbMaxLen > 0 ? (size_t)b.cbMaxLen - 1 : 0;
            size_t n = cbText < cbMax ? cbText : cbMax;
            if (n < cbText)
                status = DBSTATUS_S_TRUNCATED;
            if (b.cbMaxLen > 0)
            {
                memcpy(p, pText, n);
                ZeroMemory(p + n, (size_t)b.cbMaxLen - n);
            }
        }
        break;
    }
    case DBTYPE_WSTR:
    {
        std::wstring w = JetUtf8ToWide(ValueAsText(v));
        cbLength = w.size() * sizeof(wchar_t);
        if (bValue)
        {
            size_t cchMax = b.cbMaxLen / sizeof(wchar_t);
            size_t cchCopy = cchMax > 0 ? cchMax - 1 : 0;
            size_t n = w.size() < cchCopy ? w.size() : cchCopy;
            if (n < w.size())
                status = DBSTATUS_S_TRUNCATED;
            if (cchMax > 0)
            {
                memcpy(p, w.data(), n * sizeof(wchar_t));
                ZeroMemory(p + n * sizeof(wchar_t), (size_t)b.cbMaxLen - n * sizeof(wchar_t));
            }
        }
        break;
    }
    case DBTYPE_BYTES:
    {
        std::string bytes;
        if (v.kind == CJetValue::LazyBlob)
        {
            if (pRef == NULL)
                return E_UNEXPECTED;
            HRESULT hr = CJetBlobStream::ReadAll(*pRef, bytes);
            if (FAILED(hr))
                return hr;
        }
        else
            bytes = ValueAsText(v);
        cbLength = bytes.size();
        if (bValue)
        {
            size_t n = bytes.size() < b.cbMaxLen ? bytes.size() : (size_t)b.cbMaxLen;
            if (n < bytes.size())
                status = DBSTATUS_S_TRUNCATED;
            memcpy(p, bytes.data(), n);
            ZeroMemory(p + n, (size_t)b.cbMaxLen - n);
        }
        break;
    }
    case DBTYPE_IUNKNOWN:
    {
        CJetBlobStream* pStream = NULL;
        if (v.kind == CJetValue::LazyBlob && pRef != NULL)
        {
            pStream = new CJetBlobStream(*pRef, (ULONGLONG)v.i);
            cbLength = (DBLENGTH)v.i;
        }
        else
        {
            std::string bytes = ValueAsText(v);
            cbLength = bytes.size();
            pStream = new CJetBlobStream(bytes);
        }
        if (bValue)
            *(IUnknown**)p = static_cast<ISequentialStream*>(pStream);
        else
            pStream->Release();
        break;
    }
    default:
        SetStatus(b, pData, DBSTATUS_E_CANTCONVERTVALUE);
        return DB_E_ERRORSOCCURRED;
    }
    SetLength(b, pData, cbLength);
    SetStatus(b, pData, status);
    return S_OK;
}
} // namespace

HRESULT JetValueToBinding(const CJetValueRef& v, const DBBINDING& b, BYTE* pData, const CJetBlobRef* pRef)
{
    // Numbers and plain ASCII text are nearly every column of a row: they are written here, apart from
    // the conversions through strings, whose frame would otherwise be paid for by every column read.
    DBTYPE wType = b.wType & ~DBTYPE_BYREF;
    BYTE* p = pData + b.obValue;
    bool bValue = (b.dwPart & DBPART_VALUE) != 0;
    if (v.kind == CJetValue::Integer || v.kind == CJetValue::Real)
    {
        switch (wType)
        {
        case DBTYPE_I4:
        case DBTYPE_UI4:
            if (bValue)
                *(LONG*)p = (LONG)ValueAsInteger(v);
            break;
        case DBTYPE_I2:
        case DBTYPE_UI2:
            if (bValue)
                *(SHORT*)p = (SHORT)ValueAsInteger(v);
            break;
        case DBTYPE_I1:
        case DBTYPE_UI1:
            if (bValue)
                *(signed char*)p = (signed char)ValueAsInteger(v);
            break;
        case DBTYPE_I8:
        case DBTYPE_UI8:
            if (bValue)
                *(LONGLONG*)p = ValueAsInteger(v);
            break;
        case DBTYPE_R8:
        case DBTYPE_DATE:
            if (bValue)
                *(double*)p = ValueAsDouble(v);
            break;
        case DBTYPE_R4:
            if (bValue)
                *(float*)p = (float)ValueAsDouble(v);
            break;
        case DBTYPE_BOOL:
            if (bValue)
                *(VARIANT_BOOL*)p = ValueAsDouble(v) != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        default:
            return ValueToBindingSlow(v, b, pData, pRef);
        }
        SetLength(b, pData, FixedSize(wType));
        SetStatus(b, pData, DBSTATUS_S_OK);
        return S_OK;
    }
    if (v.kind == CJetValue::Text && wType == DBTYPE_STR && IsAscii(v.p, v.n))
    {
        // ASCII reads the same in UTF-8 and in every ANSI code page: no conversion through UTF-16.
        DBSTATUS status = DBSTATUS_S_OK;
        if (bValue && b.cbMaxLen > 0)
        {
            size_t cbMax = (size_t)b.cbMaxLen - 1;
            size_t n = v.n < cbMax ? v.n : cbMax;
            if (n < v.n)
                status = DBSTATUS_S_TRUNCATED;
            memcpy(p, v.p, n);
            ZeroMemory(p + n, (size_t)b.cbMaxLen - n);
        }
        else if (bValue && v.n > 0)
            status = DBSTATUS_S_TRUNCATED;
        SetLength(b, pData, v.n);
        SetStatus(b, pData, status);
        return S_OK;
    }
    return ValueToBindingSlow(v, b, pData, pRef);
}

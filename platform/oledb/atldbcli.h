// OLE DB consumer templates: data source, session, commands, accessor maps, rowsets, tables and error records.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <oledb.h>
#include <oledberr.h>
#include <msdaguid.h>
#include <msdasc.h>

#include <cstring>
#include <type_traits>
#include <vector>

#include "msjetoledb.h"

// CoCreateInstance that also knows the in-process Jet provider (CLSID_JETOLEDB_4_00), the service
// components (CLSID_MSDAINITIALIZE) and the root enumerator (CLSID_OLEDB_ENUMERATOR); they are not
// registered classes, so the store creates them through here.
HRESULT OleDbCoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

// Code page of the 8-bit text in consumer buffers (CP_ACP unless a test chooses another); returns the old one.
UINT OleDbSetCodePage(UINT uCodePage);

// Test switches: the next nOperations opens, executions and row changes fail as a disk or network error
// (Jet error 3043); the root enumerator leaves out "Microsoft.Jet.OLEDB.4.0" while bHide is true.
void OleDbInjectIoFaults(LONG nOperations);
void OleDbHideJetProvider(bool bHide);

namespace ATL
{

// Owning interface pointer of this layer.
template <class T> class COleDbPtr
{
public:
    COleDbPtr() = default;
    COleDbPtr(T* pT) : p(pT)
    {
        if (p != NULL)
            p->AddRef();
    }
    COleDbPtr(const COleDbPtr& other) : COleDbPtr(other.p) {}
    ~COleDbPtr() { Release(); }
    COleDbPtr& operator=(T* pT)
    {
        if (pT != NULL)
            pT->AddRef();
        Release();
        p = pT;
        return *this;
    }
    COleDbPtr& operator=(const COleDbPtr& other) { return *this = other.p; }
    void Release()
    {
        T* pOld = p;
        p = NULL;
        if (pOld != NULL)
            pOld->Release();
    }
    operator T*() const { return p; }
    T* operator->() const { return p; }
    T** operator&() { return &p; }
    bool operator!() const { return p == NULL; }
    void Attach(T* pT)
    {
        Release();
        p = pT;
    }
    T* Detach()
    {
        T* pT = p;
        p = NULL;
        return pT;
    }
    template <class Q> HRESULT QueryInterface(Q** pp) const
    {
        return p != NULL ? p->QueryInterface(__uuidof(Q), (void**)pp) : E_POINTER;
    }
    HRESULT QueryInterface(REFIID riid, void** pp) const
    {
        return p != NULL ? p->QueryInterface(riid, pp) : E_POINTER;
    }

    T* p = NULL;
};

// A property set that owns its properties and their values.
class CDBPropSet : public tagDBPROPSET
{
public:
    CDBPropSet();
    explicit CDBPropSet(const GUID& guid);
    CDBPropSet(const CDBPropSet& other);
    CDBPropSet& operator=(const CDBPropSet& other);
    ~CDBPropSet();

    void SetGUID(const GUID& guid) { guidPropertySet = guid; }
    void Clear();
    bool AddProperty(DWORD dwPropertyID, const VARIANT& var, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, LPCSTR szValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, LPCWSTR szValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, bool bValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, BYTE bValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, short nValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, int nValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, long nValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, unsigned long nValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
    bool AddProperty(DWORD dwPropertyID, double dblValue, DBPROPOPTIONS propoptions = DBPROPOPTIONS_REQUIRED);
};

// A set of property ids to ask for.
class CDBPropIDSet : public tagDBPROPIDSET
{
public:
    CDBPropIDSet();
    explicit CDBPropIDSet(const GUID& guid);
    CDBPropIDSet(const CDBPropIDSet& other);
    CDBPropIDSet& operator=(const CDBPropIDSet& other);
    ~CDBPropIDSet();
    void SetGUID(const GUID& guid) { guidPropertySet = guid; }
    bool AddPropertyID(DBPROPID propid);
};

// The error records of the calling thread's last OLE DB failure.
class CDBErrorInfo
{
public:
    // Records of the object pUnk, when it says it supports error info for iid. E_FAIL when there are none.
    HRESULT GetErrorRecords(IUnknown* pUnk, const IID& iid, ULONG* pcRecords);
    HRESULT GetErrorRecords(ULONG* pcRecords);
    HRESULT GetAllErrorInfo(ULONG ulRecordNum, LCID lcid, BSTR* pbstrDescription, BSTR* pbstrSource = NULL,
                            GUID* pguid = NULL, DWORD* pdwHelpContext = NULL, BSTR* pbstrHelpFile = NULL) const;
    HRESULT GetBasicErrorInfo(ULONG ulRecordNum, ERRORINFO* pErrorInfo) const;
    HRESULT GetCustomErrorObject(ULONG ulRecordNum, REFIID riid, IUnknown** ppObject) const;
    HRESULT GetErrorInfo(ULONG ulRecordNum, LCID lcid, IErrorInfo** ppErrorInfo) const;
    HRESULT GetErrorParameters(ULONG ulRecordNum, DISPPARAMS* pdispparams) const;

    COleDbPtr<IErrorInfo> m_spErrorInfo;
    COleDbPtr<IErrorRecords> m_spErrorRecords;
};

class CDataSource
{
public:
    HRESULT Open(const CLSID& clsid, DBPROPSET* pPropSet = NULL, ULONG nPropertySets = 1);
    HRESULT Open(LPCSTR szProgID, DBPROPSET* pPropSet = NULL, ULONG nPropertySets = 1);
    HRESULT Open(LPCSTR szProgID, LPCSTR pName, LPCSTR pUserName = NULL, LPCSTR pPassword = NULL,
                 long nInitMode = 0);
    HRESULT OpenFromInitializationString(LPCOLESTR szInitializationString, bool fPromptForInfo = false);
    HRESULT GetProperty(const GUID& guid, DBPROPID propid, VARIANT* pVariant) const;
    void Close() { m_spInit.Release(); }

    // Kept after a failed Open, so that the caller can read the error records.
    COleDbPtr<IDBInitialize> m_spInit;
};

class CSession
{
public:
    HRESULT Open(const CDataSource& ds, DBPROPSET* pPropSet = NULL, ULONG ulPropSets = 0);
    void Close() { m_spOpenRowset.Release(); }

    // The session's local transaction (ITransactionLocal); E_NOINTERFACE when the provider has none.
    HRESULT StartTransaction(ISOLEVEL isoLevel = ISOLATIONLEVEL_READCOMMITTED, ULONG isoFlags = 0,
                             ITransactionOptions* pOtherOptions = NULL, ULONG* pulTransactionLevel = NULL) const;
    HRESULT Abort(BOID* pboidReason = NULL, BOOL bRetaining = FALSE, BOOL bAsync = FALSE) const;
    HRESULT Commit(BOOL bRetaining = FALSE, DWORD grfTC = XACTTC_SYNC, DWORD grfRM = 0) const;
    HRESULT GetTransactionInfo(XACTTRANSINFO* pInfo) const;

    COleDbPtr<IOpenRowset> m_spOpenRowset;
};

// ---------------------------------------------------------------------------------------------------------
// Accessor maps. The macros below expand to member functions of the record class that describe its
// bindings to a COleDbBinder; offsets are taken from the record object itself.

class COleDbBinder
{
public:
    struct Accessor
    {
        bool bAuto = true;
        std::vector<DBBINDING> bindings;
    };

    explicit COleDbBinder(bool bParams) : m_bParams(bParams) {}
    COleDbBinder(const COleDbBinder&) = delete;
    COleDbBinder& operator=(const COleDbBinder&) = delete;

    void SetAccessorCount(ULONG n)
    {
        if (m_accessors.size() < n)
            m_accessors.resize(n);
    }
    void BeginAccessor(ULONG n, bool bAuto)
    {
        SetAccessorCount(n + 1);
        m_accessors[n].bAuto = bAuto;
        m_nCurrent = n;
    }
    void SetParamType(DBPARAMIO io) { m_paramIO = io; }
    void Add(DBORDINAL nOrdinal, DBTYPE wType, DBLENGTH cbMaxLen, BYTE bPrecision, BYTE bScale, DBBYTEOFFSET obValue,
             DBBYTEOFFSET obLength, DBBYTEOFFSET obStatus, DWORD dwPart, const IID* piid = NULL, DWORD dwFlags = 0);

    ULONG GetAccessorCount() const { return (ULONG)m_accessors.size(); }
    Accessor& GetAccessor(ULONG n) { return m_accessors[n]; }

private:
    bool m_bParams;
    ULONG m_nCurrent = 0;
    DBPARAMIO m_paramIO = DBPARAMIO_INPUT;
    std::vector<Accessor> m_accessors;
    std::vector<DBOBJECT*> m_objects;

public:
    ~COleDbBinder()
    {
        for (DBOBJECT* p : m_objects)
            delete p;
    }
};

// OLE DB type of a record field, for COLUMN_ENTRY.
inline DBTYPE _OleDbTypeOf(const signed char&) { return DBTYPE_I1; }
inline DBTYPE _OleDbTypeOf(const BYTE&) { return DBTYPE_UI1; }
inline DBTYPE _OleDbTypeOf(const short&) { return DBTYPE_I2; }
inline DBTYPE _OleDbTypeOf(const unsigned short&) { return DBTYPE_UI2; }
inline DBTYPE _OleDbTypeOf(const int&) { return DBTYPE_I4; }
inline DBTYPE _OleDbTypeOf(const long&) { return DBTYPE_I4; }
inline DBTYPE _OleDbTypeOf(const unsigned int&) { return DBTYPE_UI4; }
inline DBTYPE _OleDbTypeOf(const unsigned long&) { return DBTYPE_UI4; }
inline DBTYPE _OleDbTypeOf(const LONGLONG&) { return DBTYPE_I8; }
inline DBTYPE _OleDbTypeOf(const ULONGLONG&) { return DBTYPE_UI8; }
inline DBTYPE _OleDbTypeOf(const float&) { return DBTYPE_R4; }
inline DBTYPE _OleDbTypeOf(const double&) { return DBTYPE_R8; }
inline DBTYPE _OleDbTypeOf(const GUID&) { return DBTYPE_GUID; }
inline DBTYPE _OleDbTypeOf(IUnknown* const&) { return DBTYPE_IUNKNOWN; }
inline DBTYPE _OleDbTypeOf(ISequentialStream* const&) { return DBTYPE_IUNKNOWN; }
template <size_t N> DBTYPE _OleDbTypeOf(const char (&)[N]) { return DBTYPE_STR; }
template <size_t N> DBTYPE _OleDbTypeOf(const wchar_t (&)[N]) { return DBTYPE_WSTR; }
template <size_t N> DBTYPE _OleDbTypeOf(const BYTE (&)[N]) { return DBTYPE_BYTES; }

template <class T, class = void> struct _OleDbHasColumns : std::false_type
{
};
template <class T> struct _OleDbHasColumns<T, std::void_t<decltype(&T::_OleDbBindColumns)>> : std::true_type
{
};
template <class T, class = void> struct _OleDbHasParams : std::false_type
{
};
template <class T> struct _OleDbHasParams<T, std::void_t<decltype(&T::_OleDbBindParams)>> : std::true_type
{
};
template <class T, class = void> struct _OleDbHasDefaultCommand : std::false_type
{
};
template <class T>
struct _OleDbHasDefaultCommand<T, std::void_t<decltype(T::GetDefaultCommand((LPCSTR*)NULL))>> : std::true_type
{
};

} // namespace ATL

#define _OLEDB_OFFSET(member) ((DBBYTEOFFSET)((BYTE*)&(member) - (BYTE*)this))
#define _OLEDB_CHECK_LENGTH(length)                                                                             \
    static_assert(sizeof(length) == sizeof(DBLENGTH), "a length part is a DBLENGTH")
#define _OLEDB_CHECK_STATUS(status)                                                                             \
    static_assert(sizeof(status) == sizeof(DBSTATUS), "a status part is a DBSTATUS")

#define BEGIN_COLUMN_MAP(x)                                                                                     \
public:                                                                                                         \
    void _OleDbBindColumns(::ATL::COleDbBinder& _b)                                                             \
    {                                                                                                           \
        _b.BeginAccessor(0, true);
#define END_COLUMN_MAP() }

#define BEGIN_ACCESSOR_MAP(x, num)                                                                              \
public:                                                                                                         \
    void _OleDbBindColumns(::ATL::COleDbBinder& _b)                                                             \
    {                                                                                                           \
        _b.SetAccessorCount(num);
#define BEGIN_ACCESSOR(num, bAuto) _b.BeginAccessor(num, bAuto);
#define END_ACCESSOR()
#define END_ACCESSOR_MAP() }

// Parameters are input parameters unless SET_PARAM_TYPE says otherwise.
#define BEGIN_PARAM_MAP(x)                                                                                      \
public:                                                                                                         \
    void _OleDbBindParams(::ATL::COleDbBinder& _b)                                                              \
    {                                                                                                           \
        _b.SetParamType(DBPARAMIO_INPUT);
#define SET_PARAM_TYPE(type) _b.SetParamType(type);
#define END_PARAM_MAP() }

#define COLUMN_ENTRY(nOrdinal, data)                                                                            \
    _b.Add(nOrdinal, ::ATL::_OleDbTypeOf(data), sizeof(data), 0, 0, _OLEDB_OFFSET(data), 0, 0, DBPART_VALUE);
#define COLUMN_ENTRY_TYPE(nOrdinal, wType, data)                                                                \
    _b.Add(nOrdinal, wType, sizeof(data), 0, 0, _OLEDB_OFFSET(data), 0, 0, DBPART_VALUE);
#define COLUMN_ENTRY_TYPE_SIZE(nOrdinal, wType, nLength, data)                                                  \
    _b.Add(nOrdinal, wType, nLength, 0, 0, _OLEDB_OFFSET(data), 0, 0, DBPART_VALUE);
#define COLUMN_ENTRY_PS(nOrdinal, nPrecision, nScale, data)                                                     \
    _b.Add(nOrdinal, ::ATL::_OleDbTypeOf(data), sizeof(data), nPrecision, nScale, _OLEDB_OFFSET(data), 0, 0,    \
           DBPART_VALUE);
#define COLUMN_ENTRY_LENGTH(nOrdinal, data, length)                                                             \
    _OLEDB_CHECK_LENGTH(length);                                                                                \
    _b.Add(nOrdinal, ::ATL::_OleDbTypeOf(data), sizeof(data), 0, 0, _OLEDB_OFFSET(data), _OLEDB_OFFSET(length), \
           0, DBPART_VALUE | DBPART_LENGTH);
#define COLUMN_ENTRY_STATUS(nOrdinal, data, status)                                                             \
    _OLEDB_CHECK_STATUS(status);                                                                                \
    _b.Add(nOrdinal, ::ATL::_OleDbTypeOf(data), sizeof(data), 0, 0, _OLEDB_OFFSET(data), 0,                     \
           _OLEDB_OFFSET(status), DBPART_VALUE | DBPART_STATUS);
#define COLUMN_ENTRY_LENGTH_STATUS(nOrdinal, data, length, status)                                              \
    _OLEDB_CHECK_LENGTH(length);                                                                                \
    _OLEDB_CHECK_STATUS(status);                                                                                \
    _b.Add(nOrdinal, ::ATL::_OleDbTypeOf(data), sizeof(data), 0, 0, _OLEDB_OFFSET(data), _OLEDB_OFFSET(length), \
           _OLEDB_OFFSET(status), DBPART_VALUE | DBPART_LENGTH | DBPART_STATUS);
#define COLUMN_ENTRY_EX(nOrdinal, wType, nLength, nPrecision, nScale, data, length, status)                     \
    _OLEDB_CHECK_LENGTH(length);                                                                                \
    _OLEDB_CHECK_STATUS(status);                                                                                \
    _b.Add(nOrdinal, wType, nLength, nPrecision, nScale, _OLEDB_OFFSET(data), _OLEDB_OFFSET(length),            \
           _OLEDB_OFFSET(status), DBPART_VALUE | DBPART_LENGTH | DBPART_STATUS);
// A long column read and written through a storage object (ISequentialStream). A read hands the record a
// stream that the record then owns (release it, or FreeRecordMemory). Insert and SetData take over a stream the
// record holds: they read it, release it and clear the field; a stream that a read handed out leaves the stored
// value as it is.
#define BLOB_ENTRY(nOrdinal, IID, flags, data)                                                                  \
    _b.Add(nOrdinal, DBTYPE_IUNKNOWN, sizeof(data), 0, 0, _OLEDB_OFFSET(data), 0, 0, DBPART_VALUE, &IID, flags);
#define BLOB_ENTRY_LENGTH(nOrdinal, IID, flags, data, length)                                                   \
    _OLEDB_CHECK_LENGTH(length);                                                                                \
    _b.Add(nOrdinal, DBTYPE_IUNKNOWN, sizeof(data), 0, 0, _OLEDB_OFFSET(data), _OLEDB_OFFSET(length), 0,        \
           DBPART_VALUE | DBPART_LENGTH, &IID, flags);
#define BLOB_ENTRY_STATUS(nOrdinal, IID, flags, data, status)                                                   \
    _OLEDB_CHECK_STATUS(status);                                                                                \
    _b.Add(nOrdinal, DBTYPE_IUNKNOWN, sizeof(data), 0, 0, _OLEDB_OFFSET(data), 0, _OLEDB_OFFSET(status),        \
           DBPART_VALUE | DBPART_STATUS, &IID, flags);
#define BLOB_ENTRY_LENGTH_STATUS(nOrdinal, IID, flags, data, length, status)                                    \
    _OLEDB_CHECK_LENGTH(length);                                                                                \
    _OLEDB_CHECK_STATUS(status);                                                                                \
    _b.Add(nOrdinal, DBTYPE_IUNKNOWN, sizeof(data), 0, 0, _OLEDB_OFFSET(data), _OLEDB_OFFSET(length),           \
           _OLEDB_OFFSET(status), DBPART_VALUE | DBPART_LENGTH | DBPART_STATUS, &IID, flags);

// The text a command runs when Open is given none.
#define DEFINE_COMMAND(x, szCommand)                                                                            \
    static HRESULT GetDefaultCommand(LPCSTR* ppszCommand)                                                       \
    {                                                                                                           \
        *ppszCommand = szCommand;                                                                               \
        return S_OK;                                                                                            \
    }

namespace ATL
{

// The accessor handles of one record and the buffer they read into.
class CAccessorBase
{
public:
    struct _AccessorInfo
    {
        HACCESSOR hAccessor;
        bool bAutoAccessor;
    };

    CAccessorBase() = default;
    // Copying a record copies its fields, never the handles of another object's accessors.
    CAccessorBase(const CAccessorBase&) {}
    CAccessorBase& operator=(const CAccessorBase&) { return *this; }
    ~CAccessorBase() { ReleaseAccessors(NULL); }

    ULONG GetNumAccessors() const { return (ULONG)m_accessors.size(); }
    bool IsAutoAccessor(ULONG nAccessor) const { return m_accessors[nAccessor].bAutoAccessor; }
    HACCESSOR GetHAccessor(ULONG nAccessor) const { return m_accessors[nAccessor].hAccessor; }
    BYTE* GetBuffer() const { return m_pBuffer; }
    HRESULT ReleaseAccessors(IUnknown* pUnk);

protected:
    HRESULT CreateAccessors(IUnknown* pUnk, COleDbBinder& binder);

    std::vector<_AccessorInfo> m_accessors;
    COleDbPtr<IAccessor> m_spAccessorOwner;
    BYTE* m_pBuffer = NULL;
};

// A record class T with its column (and parameter) map bound to a rowset (and command).
template <class T> class CAccessor : public T, public CAccessorBase
{
public:
    CAccessor() { m_pBuffer = (BYTE*)static_cast<T*>(this); }
    CAccessor(const CAccessor& other) : T(other), CAccessorBase() { m_pBuffer = (BYTE*)static_cast<T*>(this); }
    CAccessor& operator=(const CAccessor& other)
    {
        T::operator=(other);
        return *this;
    }

    static bool HasOutputColumns() { return _OleDbHasColumns<T>::value; }
    static bool HasParameters() { return _OleDbHasParams<T>::value; }
    static HRESULT GetDefaultCommand(LPCSTR* ppszCommand)
    {
        if constexpr (_OleDbHasDefaultCommand<T>::value)
            return T::GetDefaultCommand(ppszCommand);
        *ppszCommand = NULL;
        return E_NOTIMPL;
    }

    HRESULT BindColumns(IUnknown* pUnk)
    {
        if constexpr (_OleDbHasColumns<T>::value)
        {
            COleDbBinder binder(false);
            static_cast<T*>(this)->_OleDbBindColumns(binder);
            return CreateAccessors(pUnk, binder);
        }
        return S_OK;
    }

    // Creates the parameter accessor on the command once; values are read from the record at each execution.
    HRESULT BindParameters(HACCESSOR* pHAccessor, ICommand* pCommand, void** ppParameterBuffer)
    {
        *ppParameterBuffer = static_cast<T*>(this);
        if constexpr (_OleDbHasParams<T>::value)
        {
            if (*pHAccessor != DB_NULL_HACCESSOR)
                return S_OK;
            COleDbBinder binder(true);
            static_cast<T*>(this)->_OleDbBindParams(binder);
            IAccessor* pAccessor = NULL;
            HRESULT hr = pCommand->QueryInterface(IID_IAccessor, (void**)&pAccessor);
            if (FAILED(hr))
                return hr;
            std::vector<DBBINDING>& b = binder.GetAccessor(0).bindings;
            hr = pAccessor->CreateAccessor(DBACCESSOR_PARAMETERDATA, b.size(), b.empty() ? NULL : &b[0], 0,
                                           pHAccessor, NULL);
            pAccessor->Release();
            return hr;
        }
        return S_OK;
    }

    // Zeroes the record's fields.
    void ClearRecord()
    {
        static_assert(std::is_trivially_copyable<T>::value, "ClearRecord zeroes plain records only");
        memset((void*)static_cast<T*>(this), 0, sizeof(T));
    }

    // Releases the storage objects that reads left in the record.
    void FreeRecordMemory()
    {
        if constexpr (_OleDbHasColumns<T>::value)
        {
            COleDbBinder binder(false);
            static_cast<T*>(this)->_OleDbBindColumns(binder);
            for (ULONG n = 0; n < binder.GetAccessorCount(); ++n)
                for (DBBINDING& b : binder.GetAccessor(n).bindings)
                    if (b.wType == DBTYPE_IUNKNOWN)
                    {
                        IUnknown** pp = (IUnknown**)(m_pBuffer + b.obValue);
                        if (*pp != NULL)
                            (*pp)->Release();
                        *pp = NULL;
                    }
        }
    }
};

// For commands that bind nothing: DDL, UPDATE, DELETE.
class CNoAccessor
{
public:
    static bool HasOutputColumns() { return false; }
    static bool HasParameters() { return false; }
    static HRESULT GetDefaultCommand(LPCSTR* ppszCommand)
    {
        *ppszCommand = NULL;
        return E_NOTIMPL;
    }
    HRESULT BindColumns(IUnknown*) { return S_OK; }
    HRESULT BindParameters(HACCESSOR*, ICommand*, void** ppParameterBuffer)
    {
        *ppParameterBuffer = NULL;
        return S_OK;
    }
    HRESULT ReleaseAccessors(IUnknown*) { return S_OK; }
    ULONG GetNumAccessors() const { return 0; }
    bool IsAutoAccessor(ULONG) const { return false; }
    HACCESSOR GetHAccessor(ULONG) const { return DB_NULL_HACCESSOR; }
    BYTE* GetBuffer() const { return NULL; }
};

// A rowset that is never asked for.
template <class TAccessor = CAccessorBase> class CNoRowset
{
public:
    void SetAccessor(TAccessor*) {}
    void Close() {}
    static const IID& GetIID() { return IID_NULL; }
    IUnknown** GetInterfacePtr() { return NULL; }
    IUnknown* GetInterface() const { return NULL; }
    HRESULT SetupOptionalRowsetInterfaces() { return S_OK; }
};

// The current row of a rowset and the moves over it; auto accessors are read on every move.
template <class TAccessor = CAccessorBase> class CRowset
{
public:
    CRowset() = default;
    CRowset(const CRowset&) : CRowset() {}
    CRowset& operator=(const CRowset&) { return *this; }
    ~CRowset() { Close(); }

    void SetAccessor(TAccessor* pAccessor) { m_pAccessor = pAccessor; }
    static const IID& GetIID() { return IID_IRowset; }
    IUnknown** GetInterfacePtr() { return (IUnknown**)&m_spRowset; }
    IRowset* GetInterface() const { return m_spRowset; }
    HRESULT SetupOptionalRowsetInterfaces()
    {
        m_spRowsetChange.Release();
        if (m_spRowset != NULL)
            m_spRowset->QueryInterface(IID_IRowsetChange, (void**)&m_spRowsetChange);
        return S_OK;
    }

    void Close()
    {
        if (m_spRowset != NULL)
            ReleaseRows();
        m_spRowsetChange.Release();
        m_spRowset.Release();
    }

    HRESULT ReleaseRows()
    {
        if (m_hRow != DB_NULL_HROW && m_spRowset != NULL)
            m_spRowset->ReleaseRows(1, &m_hRow, NULL, NULL, NULL);
        m_hRow = DB_NULL_HROW;
        return S_OK;
    }

    HRESULT MoveFirst()
    {
        if (m_spRowset == NULL)
            return E_UNEXPECTED;
        ReleaseRows();
        HRESULT hr = m_spRowset->RestartPosition(DB_NULL_HCHAPTER);
        return FAILED(hr) ? hr : Fetch(0);
    }
    HRESULT MoveNext() { return MoveNext(0, true); }
    HRESULT MoveNext(LONG lSkip, bool bForward = true)
    {
        if (m_spRowset == NULL)
            return E_UNEXPECTED;
        ReleaseRows();
        return Fetch(bForward ? lSkip : -lSkip - 2);
    }
    HRESULT MovePrev()
    {
        if (m_spRowset == NULL)
            return E_UNEXPECTED;
        ReleaseRows();
        return Fetch(-2);
    }
    HRESULT MoveLast()
    {
        if (m_spRowset == NULL)
            return E_UNEXPECTED;
        ReleaseRows();
        HRESULT hr = m_spRowset->RestartPosition(DB_NULL_HCHAPTER);
        return FAILED(hr) ? hr : Fetch(-1);
    }

    HRESULT GetData()
    {
        HRESULT hrResult = S_OK;
        for (ULONG i = 0; i < m_pAccessor->GetNumAccessors(); ++i)
        {
            if (!m_pAccessor->IsAutoAccessor(i))
                continue;
            HRESULT hr = GetData((int)i);
            if (FAILED(hr))
                return hr;
            if (hr != S_OK)
                hrResult = hr;
        }
        return hrResult;
    }
    HRESULT GetData(int nAccessor)
    {
        if (m_spRowset == NULL || m_hRow == DB_NULL_HROW)
            return E_UNEXPECTED;
        return m_spRowset->GetData(m_hRow, m_pAccessor->GetHAccessor(nAccessor), m_pAccessor->GetBuffer());
    }

    // Writes every accessor's columns of the record back to the current row.
    HRESULT SetData()
    {
        for (ULONG i = 0; i < m_pAccessor->GetNumAccessors(); ++i)
        {
            HRESULT hr = SetData((int)i);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }
    // Writes only the columns of one accessor.
    HRESULT SetData(int nAccessor)
    {
        if (m_spRowsetChange == NULL)
            return E_NOINTERFACE;
        return m_spRowsetChange->SetData(m_hRow, m_pAccessor->GetHAccessor(nAccessor), m_pAccessor->GetBuffer());
    }

    // Appends a row from one accessor's columns; the new row is the rowset's last, so MoveLast finds it.
    HRESULT Insert(int nAccessor = 0, bool bGetHRow = false)
    {
        if (m_spRowsetChange == NULL)
            return E_NOINTERFACE;
        if (bGetHRow)
            ReleaseRows();
        return m_spRowsetChange->InsertRow(DB_NULL_HCHAPTER, m_pAccessor->GetHAccessor(nAccessor),
                                           m_pAccessor->GetBuffer(), bGetHRow ? &m_hRow : NULL);
    }

    HRESULT Delete()
    {
        if (m_spRowsetChange == NULL)
            return E_NOINTERFACE;
        DBROWSTATUS status = DBROWSTATUS_S_OK;
        return m_spRowsetChange->DeleteRows(DB_NULL_HCHAPTER, 1, &m_hRow, &status);
    }

    // Changes are written at once; there is nothing pending to send.
    HRESULT Update() { return m_spRowset != NULL ? S_OK : E_UNEXPECTED; }

    COleDbPtr<IRowset> m_spRowset;
    COleDbPtr<IRowsetChange> m_spRowsetChange;
    HROW m_hRow = DB_NULL_HROW;
    TAccessor* m_pAccessor = NULL;

private:
    HRESULT Fetch(DBROWOFFSET lOffset)
    {
        DBCOUNTITEM cRows = 0;
        HROW* phRow = &m_hRow;
        HRESULT hr = m_spRowset->GetNextRows(DB_NULL_HCHAPTER, lOffset, 1, &cRows, &phRow);
        if (FAILED(hr))
            return hr;
        if (cRows == 0)
        {
            m_hRow = DB_NULL_HROW;
            return DB_S_ENDOFROWSET;
        }
        return GetData();
    }
};

// An accessor and the rowset it reads, closed together.
template <class TAccessor = CNoAccessor, template <typename T> class TRowset = CRowset>
class CAccessorRowset : public TAccessor, public TRowset<TAccessor>
{
public:
    CAccessorRowset() { TRowset<TAccessor>::SetAccessor(this); }
    CAccessorRowset(const CAccessorRowset& other) : TAccessor(other), TRowset<TAccessor>()
    {
        TRowset<TAccessor>::SetAccessor(this);
    }
    CAccessorRowset& operator=(const CAccessorRowset& other)
    {
        TAccessor::operator=(other);
        return *this;
    }
    ~CAccessorRowset() { Close(); }

    HRESULT Bind()
    {
        IUnknown* pRowset = TRowset<TAccessor>::GetInterface();
        if (pRowset == NULL)
            return S_OK;
        TRowset<TAccessor>::SetupOptionalRowsetInterfaces();
        return TAccessor::BindColumns(pRowset);
    }

    void Close()
    {
        TAccessor::ReleaseAccessors(NULL);
        TRowset<TAccessor>::Close();
    }
};

class CNoMultipleResults
{
};

// The command object, its text and its parameter accessor.
class CCommandBase
{
public:
    CCommandBase() = default;
    CCommandBase(const CCommandBase&) {}
    CCommandBase& operator=(const CCommandBase&) { return *this; }
    ~CCommandBase() { ReleaseCommand(); }

    HRESULT CreateCommand(const CSession& session);
    HRESULT Create(const CSession& session, LPCSTR szCommand, REFGUID guidCommand = DBGUID_DEFAULT);
    HRESULT Prepare(ULONG cExpectedRuns = 0);
    HRESULT Unprepare();
    void ReleaseCommand();
    // The text the command was created with, for error reports.
    HRESULT GetCommandText(BSTR* pbstrText) const;

    COleDbPtr<ICommand> m_spCommand;
    HACCESSOR m_hParameterAccessor = DB_NULL_HACCESSOR;

protected:
    HRESULT SetRowsetProperties(DBPROPSET* pPropSet, ULONG ulPropSets);
};

template <class TAccessor = CNoAccessor, template <typename T> class TRowset = CRowset,
          class TMultiple = CNoMultipleResults>
class CCommand : public CAccessorRowset<TAccessor, TRowset>, public CCommandBase, public TMultiple
{
public:
    // Creates the command from the text (the record's default command when it is NULL) and executes it.
    HRESULT Open(const CSession& session, LPCSTR szCommand = NULL, DBPROPSET* pPropSet = NULL,
                 DBROWCOUNT* pRowsAffected = NULL, REFGUID guidCommand = DBGUID_DEFAULT, bool bBind = true,
                 ULONG ulPropSets = 0)
    {
        if (szCommand == NULL)
        {
            HRESULT hr = TAccessor::GetDefaultCommand(&szCommand);
            if (FAILED(hr))
                return hr;
        }
        HRESULT hr = Create(session, szCommand, guidCommand);
        if (FAILED(hr))
            return hr;
        return Open(pPropSet, pRowsAffected, bBind, ulPropSets);
    }

    // Executes the command already created (and perhaps prepared), with parameters from the record.
    HRESULT Open(DBPROPSET* pPropSet = NULL, DBROWCOUNT* pRowsAffected = NULL, bool bBind = true,
                 ULONG ulPropSets = 0)
    {
        CAccessorRowset<TAccessor, TRowset>::Close();
        if (m_spCommand == NULL)
            return E_UNEXPECTED;
        HRESULT hr = SetRowsetProperties(pPropSet, ulPropSets);
        if (FAILED(hr))
            return hr;
        void* pParameterBuffer = NULL;
        hr = TAccessor::BindParameters(&m_hParameterAccessor, m_spCommand, &pParameterBuffer);
        if (FAILED(hr))
            return hr;
        DBPARAMS params = {pParameterBuffer, 1, m_hParameterAccessor};
        hr = m_spCommand->Execute(NULL, TRowset<TAccessor>::GetIID(),
                                  m_hParameterAccessor != DB_NULL_HACCESSOR ? &params : NULL, pRowsAffected,
                                  TRowset<TAccessor>::GetInterfacePtr());
        if (FAILED(hr))
            return hr;
        if (bBind)
            hr = CAccessorRowset<TAccessor, TRowset>::Bind();
        return hr;
    }

    void Close() { CAccessorRowset<TAccessor, TRowset>::Close(); }
};

// A whole table opened by name.
template <class TAccessor = CNoAccessor, template <typename T> class TRowset = CRowset>
class CTable : public CAccessorRowset<TAccessor, TRowset>
{
public:
    HRESULT Open(const CSession& session, LPCSTR szTableName, DBPROPSET* pPropSet = NULL, ULONG ulPropSets = 0)
    {
        int n = MultiByteToWideChar(CP_ACP, 0, szTableName, -1, NULL, 0);
        std::vector<WCHAR> name(n > 0 ? n : 1);
        MultiByteToWideChar(CP_ACP, 0, szTableName, -1, &name[0], n);
        DBID dbid;
        dbid.eKind = DBKIND_NAME;
        dbid.uName.pwszName = &name[0];
        return Open(session, dbid, pPropSet, ulPropSets);
    }
    HRESULT Open(const CSession& session, DBID& dbid, DBPROPSET* pPropSet = NULL, ULONG ulPropSets = 0)
    {
        CAccessorRowset<TAccessor, TRowset>::Close();
        if (session.m_spOpenRowset == NULL)
            return E_UNEXPECTED;
        HRESULT hr = session.m_spOpenRowset->OpenRowset(NULL, &dbid, NULL, TRowset<TAccessor>::GetIID(),
                                                        pPropSet != NULL ? (ulPropSets ? ulPropSets : 1) : 0,
                                                        pPropSet, TRowset<TAccessor>::GetInterfacePtr());
        if (FAILED(hr))
            return hr;
        return CAccessorRowset<TAccessor, TRowset>::Bind();
    }
};

// One row of the root enumerator's list of sources.
class CEnumeratorAccessor
{
public:
    WCHAR m_szName[129];
    WCHAR m_szParseName[129];
    WCHAR m_szDescription[129];
    USHORT m_nType;
    VARIANT_BOOL m_bIsParent;

    BEGIN_COLUMN_MAP(CEnumeratorAccessor)
        COLUMN_ENTRY(1, m_szName)
        COLUMN_ENTRY(2, m_szParseName)
        COLUMN_ENTRY(3, m_szDescription)
        COLUMN_ENTRY(4, m_nType)
        COLUMN_ENTRY_TYPE(5, DBTYPE_BOOL, m_bIsParent)
    END_COLUMN_MAP()
};

class CEnumerator : public CAccessorRowset<CAccessor<CEnumeratorAccessor>>
{
public:
    HRESULT Open(const CLSID* pClsid = &CLSID_OLEDB_ENUMERATOR, bool bBind = true);
};

} // namespace ATL

using namespace ATL;

// IAddrBook, IWABObject, IABContainer, IMAPITable and IMailUser over a loaded .wab file.
#include "platform/wab/WabObjects.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace
{
// A header before each buffer, 16 bytes so the caller's data stays aligned.
struct alignas(16) CBlock
{
    CBlock* pFirstChild;
    CBlock* pNextSibling;
};

CBlock* BlockOf(LPVOID p)
{
    return static_cast<CBlock*>(p) - 1;
}

#define ORB_WAB_NO_SUPPORT { return MAPI_E_NO_SUPPORT; }

// An entry identifier: four flag bytes and the record id; the container's id is 0.
const ULONG kEntryIdSize = 8;

HRESULT MakeEntryId(uint32_t nId, void* pParent, SBinary& bin)
{
    LPVOID p = nullptr;
    const HRESULT hr = pParent ? WabAllocateMore(kEntryIdSize, pParent, &p) : WabAllocateBuffer(kEntryIdSize, &p);
    if (FAILED(hr))
        return hr;
    memset(p, 0, kEntryIdSize);
    memcpy(static_cast<BYTE*>(p) + 4, &nId, 4);
    bin.cb = kEntryIdSize;
    bin.lpb = static_cast<LPBYTE>(p);
    return S_OK;
}

bool ParseEntryId(ULONG cb, LPENTRYID lpEntryID, uint32_t& nId)
{
    if (cb == 0 || lpEntryID == nullptr)
    {
        nId = 0;
        return true;
    }
    if (cb != kEntryIdSize)
        return false;
    memcpy(&nId, reinterpret_cast<const BYTE*>(lpEntryID) + 4, 4);
    return true;
}

HRESULT CopyBytes(const std::string& bytes, size_t extra, void* pParent, void** pp)
{
    HRESULT hr = WabAllocateMore(static_cast<ULONG>(bytes.size() + extra), pParent, pp);
    if (FAILED(hr))
        return hr;
    memcpy(*pp, bytes.data(), bytes.size());
    memset(static_cast<BYTE*>(*pp) + bytes.size(), 0, extra);
    return S_OK;
}

std::string Utf16ToAnsi(const std::string& utf16)
{
    const int units = static_cast<int>(utf16.size() / 2);
    if (units == 0)
        return std::string();
    std::vector<WCHAR> wide(units);
    memcpy(wide.data(), utf16.data(), units * 2);
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, &out[0], n, nullptr, nullptr);
    // A NUL inside the text would end it early for every reader of the pointer.
    out.resize(strlen(out.c_str()));
    return out;
}

std::string AnsiToUtf16(const std::string& ansi)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::string out(static_cast<size_t>(n > 0 ? n : 0) * 2, '\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), reinterpret_cast<WCHAR*>(&out[0]), n);
    return out;
}

// One stored property into value, as the type asked (0: as stored, strings as PT_STRING8).
HRESULT FillValue(const CWabProperty& prop, ULONG ulAskedType, void* pParent, SPropValue& value)
{
    const ULONG stored = PROP_TYPE(prop.ulTag);
    const ULONG storedBase = stored & ~MV_FLAG;
    ULONG type = stored;
    if (storedBase == PT_UNICODE || storedBase == PT_STRING8)
        type = (stored & MV_FLAG) | ((ulAskedType & ~MV_FLAG) == PT_UNICODE ? PT_UNICODE : PT_STRING8);
    if (ulAskedType != 0 && ulAskedType != type)
        return MAPI_E_NOT_FOUND;
    value.ulPropTag = CHANGE_PROP_TYPE(prop.ulTag, type);
    auto text = [&](const std::string& raw, void** pp) -> HRESULT {
        if ((type & ~MV_FLAG) == PT_UNICODE)
            return CopyBytes(storedBase == PT_UNICODE ? raw : AnsiToUtf16(raw), 2, pParent, pp);
        return CopyBytes(storedBase == PT_UNICODE ? Utf16ToAnsi(raw) : raw, 1, pParent, pp);
    };
    HRESULT hr = S_OK;
    void* p = nullptr;
    switch (type)
    {
    case PT_I2:
        value.Value.i = static_cast<short>(prop.nNumber);
        break;
    case PT_LONG:
        value.Value.l = static_cast<LONG>(prop.nNumber);
        break;
    case PT_BOOLEAN:
        value.Value.b = static_cast<unsigned short>(prop.nNumber != 0);
        break;
    case PT_I8:
        value.Value.li.QuadPart = prop.nNumber;
        break;
    case PT_SYSTIME:
        value.Value.ft.dwLowDateTime = static_cast<DWORD>(prop.nNumber);
        value.Value.ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(prop.nNumber) >> 32);
        break;
    case PT_CLSID:
        hr = CopyBytes(prop.values[0], 0, pParent, &p);
        value.Value.lpguid = static_cast<LPGUID>(p);
        break;
    case PT_STRING8:
        hr = text(prop.values[0], &p);
        value.Value.lpszA = static_cast<LPSTR>(p);
        break;
    case PT_UNICODE:
        hr = text(prop.values[0], &p);
        value.Value.lpszW = static_cast<LPWSTR>(p);
        break;
    case PT_BINARY:
        hr = CopyBytes(prop.values[0], 0, pParent, &p);
        value.Value.bin.cb = static_cast<ULONG>(prop.values[0].size());
        value.Value.bin.lpb = static_cast<LPBYTE>(p);
        break;
    case PT_MV_STRING8:
    case PT_MV_UNICODE:
    case PT_MV_BINARY:
    {
        const ULONG count = static_cast<ULONG>(prop.values.size());
        hr = WabAllocateMore(count * sizeof(void*) + (type == PT_MV_BINARY ? count * sizeof(SBinary) : 0) + 1,
                             pParent, &p);
        if (FAILED(hr))
            return hr;
        for (ULONG i = 0; i < count && SUCCEEDED(hr); ++i)
        {
            void* item = nullptr;
            if (type == PT_MV_BINARY)
            {
                hr = CopyBytes(prop.values[i], 0, pParent, &item);
                static_cast<SBinary*>(p)[i].cb = static_cast<ULONG>(prop.values[i].size());
                static_cast<SBinary*>(p)[i].lpb = static_cast<LPBYTE>(item);
            }
            else
            {
                hr = text(prop.values[i], &item);
                static_cast<void**>(p)[i] = item;
            }
        }
        value.Value.MVszA.cValues = count;
        if (type == PT_MV_BINARY)
            value.Value.MVbin.lpbin = static_cast<SBinary*>(p);
        else
            value.Value.MVszA.lppszA = static_cast<LPSTR*>(p);
        break;
    }
    default:
        return MAPI_E_NOT_FOUND;
    }
    return hr;
}

template <class TInterface>
class CUnknownImpl : public TInterface
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, LPVOID* ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid != IID_IUnknown)
        {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_nRefs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG n = InterlockedDecrement(&m_nRefs);
        if (n == 0)
            delete this;
        return n;
    }
    virtual ~CUnknownImpl() = default;

private:
    LONG m_nRefs = 1;
};

class CWabMailUser : public CUnknownImpl<IMailUser>
{
public:
    CWabMailUser(std::shared_ptr<const CWabFile> pFile, const CWabRecord* pRecord) : m_pFile(pFile), m_pRecord(pRecord) {}

    STDMETHODIMP GetProps(LPSPropTagArray lpPropTagArray, ULONG, ULONG* lpcValues, LPSPropValue* lppPropArray) override
    {
        return WabRecordProps(*m_pRecord, lpPropTagArray, lpcValues, lppPropArray);
    }
    MAPIMETHOD(GetLastError)(HRESULT, ULONG, LPMAPIERROR*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SaveChanges)(ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetPropList)(ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(OpenProperty)(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetProps)(ULONG, LPSPropValue, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(DeleteProps)(LPSPropTagArray, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyTo)(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                       LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyProps)(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                          LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetNamesFromIDs)(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetIDsFromNames)(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT

private:
    std::shared_ptr<const CWabFile> m_pFile;
    const CWabRecord* m_pRecord;
};

// The contents table: one row per record, in the index's order.
class CWabTable : public CUnknownImpl<IMAPITable>
{
public:
    explicit CWabTable(std::shared_ptr<const CWabFile> pFile) : m_pFile(pFile) {}

    STDMETHODIMP SetColumns(LPSPropTagArray lpPropTagArray, ULONG) override
    {
        if (lpPropTagArray == nullptr || lpPropTagArray->cValues > 64)
            return MAPI_E_INVALID_PARAMETER;
        m_Columns.assign(lpPropTagArray->aulPropTag, lpPropTagArray->aulPropTag + lpPropTagArray->cValues);
        return S_OK;
    }
    STDMETHODIMP SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) override
    {
        if (bkOrigin != BOOKMARK_BEGINNING || lRowCount < 0)
            return MAPI_E_NO_SUPPORT;
        const size_t rows = m_pFile->GetRecords().size();
        m_nRow = static_cast<size_t>(lRowCount) < rows ? lRowCount : rows;
        if (lplRowsSought)
            *lplRowsSought = static_cast<LONG>(m_nRow);
        return S_OK;
    }
    STDMETHODIMP QueryRows(LONG lRowCount, ULONG, LPSRowSet* lppRows) override
    {
        if (lppRows == nullptr || lRowCount < 0)
            return MAPI_E_INVALID_PARAMETER;
        const std::vector<CWabRecord>& records = m_pFile->GetRecords();
        const ULONG count = static_cast<ULONG>(std::min<size_t>(lRowCount, records.size() - m_nRow));
        LPVOID p = nullptr;
        HRESULT hr = WabAllocateBuffer(sizeof(SRowSet) + count * sizeof(SRow), &p);
        if (FAILED(hr))
            return hr;
        SRowSet* pSet = static_cast<SRowSet*>(p);
        memset(pSet, 0, sizeof(SRowSet) + count * sizeof(SRow));
        // Each row's values are a buffer of their own, freed by the caller row by row.
        for (ULONG i = 0; i < count; ++i)
        {
            const CWabRecord& record = records[m_nRow + i];
            SRow& row = pSet->aRow[i];
            hr = WabAllocateBuffer(static_cast<ULONG>(m_Columns.size() * sizeof(SPropValue)) + 1, &p);
            if (FAILED(hr))
                break;
            row.lpProps = static_cast<LPSPropValue>(p);
            row.cValues = static_cast<ULONG>(m_Columns.size());
            pSet->cRows = i + 1;
            for (size_t c = 0; c < m_Columns.size() && SUCCEEDED(hr); ++c)
            {
                SPropValue& value = row.lpProps[c];
                memset(&value, 0, sizeof(value));
                const ULONG tag = m_Columns[c];
                if (tag == PR_ENTRYID)
                {
                    value.ulPropTag = tag;
                    hr = MakeEntryId(record.nId, row.lpProps, value.Value.bin);
                    continue;
                }
                const CWabProperty* prop = record.Find(PROP_ID(tag));
                if (prop == nullptr || FAILED(FillValue(*prop, PROP_TYPE(tag), row.lpProps, value)))
                {
                    value.ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
                    value.Value.err = MAPI_E_NOT_FOUND;
                }
            }
        }
        if (FAILED(hr))
        {
            for (ULONG i = 0; i < pSet->cRows; ++i)
                WabFreeBuffer(pSet->aRow[i].lpProps);
            WabFreeBuffer(pSet);
            return hr;
        }
        m_nRow += count;
        *lppRows = pSet;
        return S_OK;
    }
    MAPIMETHOD(GetLastError)(HRESULT, ULONG, LPMAPIERROR*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Advise)(ULONG, LPMAPIADVISESINK, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Unadvise)(ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetStatus)(ULONG*, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(QueryColumns)(ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetRowCount)(ULONG, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SeekRowApprox)(ULONG, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(QueryPosition)(ULONG*, ULONG*, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(FindRow)(LPSRestriction, BOOKMARK, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Restrict)(LPSRestriction, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CreateBookmark)(BOOKMARK*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(FreeBookmark)(BOOKMARK) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SortTable)(LPSSortOrderSet, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(QuerySortOrder)(LPSSortOrderSet*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Abort)() ORB_WAB_NO_SUPPORT
    MAPIMETHOD(ExpandRow)(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CollapseRow)(ULONG, LPBYTE, ULONG, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(WaitForCompletion)(ULONG, ULONG, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetCollapseState)(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetCollapseState)(ULONG, ULONG, LPBYTE, BOOKMARK*) ORB_WAB_NO_SUPPORT

private:
    std::shared_ptr<const CWabFile> m_pFile;
    std::vector<ULONG> m_Columns{PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE};
    size_t m_nRow = 0;
};

class CWabContainer : public CUnknownImpl<IABContainer>
{
public:
    explicit CWabContainer(std::shared_ptr<const CWabFile> pFile) : m_pFile(pFile) {}

    STDMETHODIMP GetContentsTable(ULONG, LPMAPITABLE* lppTable) override
    {
        if (lppTable == nullptr)
            return MAPI_E_INVALID_PARAMETER;
        *lppTable = new (std::nothrow) CWabTable(m_pFile);
        return *lppTable ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }
    MAPIMETHOD(GetLastError)(HRESULT, ULONG, LPMAPIERROR*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SaveChanges)(ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetProps)(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetPropList)(ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(OpenProperty)(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetProps)(ULONG, LPSPropValue, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(DeleteProps)(LPSPropTagArray, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyTo)(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                       LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyProps)(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                          LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetNamesFromIDs)(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetIDsFromNames)(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetHierarchyTable)(ULONG, LPMAPITABLE*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(OpenEntry)(ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetSearchCriteria)(LPSRestriction, LPENTRYLIST, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetSearchCriteria)(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CreateEntry)(ULONG, LPENTRYID, ULONG, LPMAPIPROP*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyEntries)(LPENTRYLIST, ULONG, LPMAPIPROGRESS, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(DeleteEntries)(LPENTRYLIST, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(ResolveNames)(LPSPropTagArray, ULONG, LPADRLIST, LPFlagList) ORB_WAB_NO_SUPPORT

private:
    std::shared_ptr<const CWabFile> m_pFile;
};

class CWabAddrBook : public CUnknownImpl<IAddrBook>
{
public:
    explicit CWabAddrBook(std::shared_ptr<const CWabFile> pFile) : m_pFile(pFile) {}

    STDMETHODIMP GetPAB(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) override
    {
        if (lpcbEntryID == nullptr || lppEntryID == nullptr)
            return MAPI_E_INVALID_PARAMETER;
        SBinary bin = {};
        const HRESULT hr = MakeEntryId(0, nullptr, bin);
        if (FAILED(hr))
            return hr;
        *lpcbEntryID = bin.cb;
        *lppEntryID = reinterpret_cast<LPENTRYID>(bin.lpb);
        return S_OK;
    }
    STDMETHODIMP OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID, ULONG, ULONG* lpulObjType,
                           LPUNKNOWN* lppUnk) override
    {
        if (lpulObjType == nullptr || lppUnk == nullptr)
            return MAPI_E_INVALID_PARAMETER;
        uint32_t nId = 0;
        if (!ParseEntryId(cbEntryID, lpEntryID, nId))
            return MAPI_E_INVALID_ENTRYID;
        if (nId == 0)
        {
            *lppUnk = new (std::nothrow) CWabContainer(m_pFile);
            *lpulObjType = MAPI_ABCONT;
            return *lppUnk ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
        }
        const CWabRecord* pRecord = m_pFile->FindRecord(nId);
        if (pRecord == nullptr)
            return MAPI_E_NOT_FOUND;
        const CWabProperty* type = pRecord->Find(PROP_ID(PR_OBJECT_TYPE));
        *lpulObjType = type && PROP_TYPE(type->ulTag) == PT_LONG ? static_cast<ULONG>(type->nNumber) : 0;
        *lppUnk = new (std::nothrow) CWabMailUser(m_pFile, pRecord);
        return *lppUnk ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
    }
    MAPIMETHOD(GetLastError)(HRESULT, ULONG, LPMAPIERROR*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SaveChanges)(ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetProps)(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetPropList)(ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(OpenProperty)(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetProps)(ULONG, LPSPropValue, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(DeleteProps)(LPSPropTagArray, LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyTo)(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                       LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CopyProps)(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                          LPSPropProblemArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetNamesFromIDs)(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetIDsFromNames)(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CompareEntryIDs)(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Advise)(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Unadvise)(ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(CreateOneOff)(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(NewEntry)(ULONG, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*, LPENTRYID*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(ResolveName)(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Address)(ULONG*, LPADRPARM, LPADRLIST*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Details)(ULONG*, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID, LPTSTR, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(RecipOptions)(ULONG, ULONG, LPADRENTRY) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(QueryDefaultRecipOpt)(LPTSTR, ULONG, ULONG*, LPSPropValue*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetPAB)(ULONG, LPENTRYID) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetDefaultDir)(ULONG*, LPENTRYID*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetDefaultDir)(ULONG, LPENTRYID) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetSearchPath)(ULONG, LPSRowSet*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetSearchPath)(ULONG, LPSRowSet) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(PrepareRecips)(ULONG, LPSPropTagArray, LPADRLIST) ORB_WAB_NO_SUPPORT

private:
    std::shared_ptr<const CWabFile> m_pFile;
};

class CWabObject : public CUnknownImpl<IWABObject>
{
public:
    STDMETHODIMP AllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) override { return WabAllocateBuffer(cbSize, lppBuffer); }
    STDMETHODIMP AllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) override
    {
        return WabAllocateMore(cbSize, lpObject, lppBuffer);
    }
    STDMETHODIMP FreeBuffer(LPVOID lpBuffer) override
    {
        WabFreeBuffer(lpBuffer);
        return S_OK;
    }
    MAPIMETHOD(GetLastError)(HRESULT, ULONG, LPMAPIERROR*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Backup)(LPSTR) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Import)(LPSTR) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(Find)(LPADRBOOK, HWND) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(VCardDisplay)(LPADRBOOK, HWND, LPSTR) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(LDAPUrl)(LPADRBOOK, HWND, ULONG, LPSTR, LPMAILUSER*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(VCardCreate)(LPADRBOOK, ULONG, LPSTR, LPMAILUSER) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(VCardRetrieve)(LPADRBOOK, ULONG, LPSTR, LPMAILUSER*) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(GetMe)(LPADRBOOK, ULONG, DWORD*, SBinary*, ULONG) ORB_WAB_NO_SUPPORT
    MAPIMETHOD(SetMe)(LPADRBOOK, ULONG, SBinary, ULONG) ORB_WAB_NO_SUPPORT
};
} // namespace

HRESULT WabAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer)
{
    if (lppBuffer == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    CBlock* block = static_cast<CBlock*>(calloc(1, sizeof(CBlock) + cbSize));
    *lppBuffer = block ? block + 1 : nullptr;
    return block ? S_OK : MAPI_E_NOT_ENOUGH_MEMORY;
}

HRESULT WabAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer)
{
    if (lpObject == nullptr || lppBuffer == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    HRESULT hr = WabAllocateBuffer(cbSize, lppBuffer);
    if (FAILED(hr))
        return hr;
    // Children hang off the buffer that AllocateBuffer made, even when linked through another child.
    CBlock* parent = BlockOf(lpObject);
    CBlock* child = BlockOf(*lppBuffer);
    child->pNextSibling = parent->pFirstChild;
    parent->pFirstChild = child;
    return S_OK;
}

ULONG WabFreeBuffer(LPVOID lpBuffer)
{
    if (lpBuffer == nullptr)
        return 0;
    // A work list through the sibling links: a child may have children of its own.
    CBlock* pending = BlockOf(lpBuffer);
    pending->pNextSibling = nullptr;
    while (pending != nullptr)
    {
        CBlock* current = pending;
        pending = current->pNextSibling;
        for (CBlock* child = current->pFirstChild; child != nullptr;)
        {
            CBlock* next = child->pNextSibling;
            child->pNextSibling = pending;
            pending = child;
            child = next;
        }
        free(current);
    }
    return 0;
}

HRESULT WabRecordProps(const CWabRecord& record, const SPropTagArray* pTags, ULONG* pcValues, SPropValue** ppProps)
{
    if (pcValues == nullptr || ppProps == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    const ULONG count = pTags ? pTags->cValues : static_cast<ULONG>(record.properties.size());
    LPVOID p = nullptr;
    HRESULT hr = WabAllocateBuffer(count * sizeof(SPropValue) + 1, &p);
    if (FAILED(hr))
        return hr;
    SPropValue* props = static_cast<SPropValue*>(p);
    bool bErrors = false;
    for (ULONG i = 0; i < count && SUCCEEDED(hr); ++i)
    {
        SPropValue& value = props[i];
        memset(&value, 0, sizeof(value));
        const ULONG asked = pTags ? pTags->aulPropTag[i] : 0;
        const CWabProperty* prop = pTags ? record.Find(PROP_ID(asked)) : &record.properties[i];
        HRESULT hrValue = prop ? FillValue(*prop, PROP_TYPE(asked), props, value) : MAPI_E_NOT_FOUND;
        if (hrValue == MAPI_E_NOT_FOUND)
        {
            const ULONG tag = prop ? prop->ulTag : asked;
            value.ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
            value.Value.err = MAPI_E_NOT_FOUND;
            bErrors = true;
        }
        else
            hr = hrValue;
    }
    if (FAILED(hr))
    {
        WabFreeBuffer(props);
        return hr;
    }
    *pcValues = count;
    *ppProps = props;
    return bErrors ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT CreateWabObjects(std::shared_ptr<const CWabFile> pFile, LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject)
{
    CWabAddrBook* book = new (std::nothrow) CWabAddrBook(pFile);
    CWabObject* object = new (std::nothrow) CWabObject();
    if (book == nullptr || object == nullptr)
    {
        delete book;
        delete object;
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *lppAdrBook = book;
    *lppWABObject = object;
    return S_OK;
}

// A Windows Address Book library for the import's tests: ours underneath, but the contents table's
// QueryRows fails once it has handed out as many rows as the variable ORB_TEST_WAB_ROWS names.
#include <windows.h>

// mingw-w64's wab.h pulls in mapidefs.h beside wabdefs.h, which clash: the pieces are taken one by one.
#include <wabdefs.h>
#include <wabcode.h>
#include <wabtags.h>
#include <wabiab.h>
#include <wabapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// The slot of a virtual method: g++ keeps one plus its byte offset in the vtable in a member pointer.
template <class Member>
size_t SlotOf(Member member)
{
    struct
    {
        ptrdiff_t ptr;
        ptrdiff_t adj;
    } raw;
    static_assert(sizeof(raw) == sizeof(member), "a virtual member pointer of g++");
    memcpy(&raw, &member, sizeof(raw));
    return static_cast<size_t>(raw.ptr - 1) / sizeof(void*);
}

// Gives one object a vtable of its own with one slot replaced, and returns what the slot held. Other
// objects of the class, and the library's vtable, stay as they were. The copy lives as long as the process.
void* Redirect(void* pObject, size_t nSlot, size_t nSlots, void* pfnNew)
{
    void** pOld = *static_cast<void***>(pObject);
    void** pNew = new void*[nSlots];
    memcpy(pNew, pOld, nSlots * sizeof(void*));
    void* pfnOld = pNew[nSlot];
    pNew[nSlot] = pfnNew;
    *static_cast<void***>(pObject) = pNew;
    return pfnOld;
}

typedef HRESULT(STDMETHODCALLTYPE* OpenEntryFn)(void*, ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN*);
typedef HRESULT(STDMETHODCALLTYPE* GetContentsTableFn)(void*, ULONG, LPMAPITABLE*);
typedef HRESULT(STDMETHODCALLTYPE* QueryRowsFn)(void*, LONG, ULONG, LPSRowSet*);

OpenEntryFn g_pfnOpenEntry = nullptr;
GetContentsTableFn g_pfnGetContentsTable = nullptr;
QueryRowsFn g_pfnQueryRows = nullptr;
LONG g_nRowsLeft = 0;

HRESULT STDMETHODCALLTYPE FailingQueryRows(void* pThis, LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows)
{
    if (g_nRowsLeft <= 0)
        return MAPI_E_CALL_FAILED;
    const HRESULT hr = g_pfnQueryRows(pThis, lRowCount, ulFlags, lppRows);
    if (SUCCEEDED(hr) && *lppRows != nullptr)
        g_nRowsLeft -= static_cast<LONG>((*lppRows)->cRows);
    return hr;
}

HRESULT STDMETHODCALLTYPE FaultyGetContentsTable(void* pThis, ULONG ulFlags, LPMAPITABLE* lppTable)
{
    const HRESULT hr = g_pfnGetContentsTable(pThis, ulFlags, lppTable);
    if (SUCCEEDED(hr) && *lppTable != nullptr)
    {
        // The process's variables, not the C library's copy made at start: the test sets them late.
        char szRows[16] = "";
        GetEnvironmentVariableA("ORB_TEST_WAB_ROWS", szRows, sizeof(szRows));
        g_nRowsLeft = atol(szRows);
        // Four slots past the interface's last keep the class's destructors.
        g_pfnQueryRows = reinterpret_cast<QueryRowsFn>(
            Redirect(*lppTable, SlotOf(&IMAPITable::QueryRows), SlotOf(&IMAPITable::SetCollapseState) + 5,
                     reinterpret_cast<void*>(FailingQueryRows)));
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE FaultyOpenEntry(void* pThis, ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface,
                                          ULONG ulFlags, ULONG* lpulObjType, LPUNKNOWN* lppUnk)
{
    const HRESULT hr = g_pfnOpenEntry(pThis, cbEntryID, lpEntryID, lpInterface, ulFlags, lpulObjType, lppUnk);
    if (SUCCEEDED(hr) && *lppUnk != nullptr && *lpulObjType == MAPI_ABCONT)
        g_pfnGetContentsTable = reinterpret_cast<GetContentsTableFn>(
            Redirect(*lppUnk, SlotOf(&IABContainer::GetContentsTable), SlotOf(&IABContainer::ResolveNames) + 5,
                     reinterpret_cast<void*>(FaultyGetContentsTable)));
    return hr;
}

std::string OurLibrary()
{
    HMODULE hSelf = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OurLibrary), &hSelf);
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(hSelf, szPath, MAX_PATH);
    std::string path = szPath;
    return path.substr(0, path.find_last_of('\\') + 1) + "wab32.dll";
}
} // namespace

extern "C" HRESULT WINAPI WABOpen(LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject, LPWAB_PARAM lpWP,
                                  DWORD dwReserved)
{
    // Kept loaded: the objects it made may outlive this library's own unloading.
    HMODULE hLibrary = LoadLibraryA(OurLibrary().c_str());
    LPWABOPEN pfnOpen =
        hLibrary != NULL ? reinterpret_cast<LPWABOPEN>(GetProcAddress(hLibrary, "WABOpen")) : nullptr;
    if (pfnOpen == nullptr)
        return MAPI_E_NOT_FOUND;
    const HRESULT hr = pfnOpen(lppAdrBook, lppWABObject, lpWP, dwReserved);
    if (SUCCEEDED(hr) && *lppAdrBook != nullptr)
        g_pfnOpenEntry = reinterpret_cast<OpenEntryFn>(
            Redirect(*lppAdrBook, SlotOf(&IAddrBook::OpenEntry), SlotOf(&IAddrBook::PrepareRecips) + 5,
                     reinterpret_cast<void*>(FaultyOpenEntry)));
    return hr;
}

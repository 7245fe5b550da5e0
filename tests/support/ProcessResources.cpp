// Counting a process's GDI and USER objects, kernel handles and threads.
#include "tests/support/ProcessResources.h"

#include <tlhelp32.h>

#include <cstdio>

namespace
{
// Wine answers GetGuiResources with nothing; its GDI and USER tables take a handle's low word alone as that
// slot's current handle, so the slots can be walked instead.
const UINT kGdiSlots = 0x10000;
const UINT kFirstUserHandle = 0x20;
const UINT kUserSlots = 0x8000;
// Nor does it count a process's kernel handles, which are small multiples of four.
const UINT_PTR kHandleSlots = 0x10000;

int CountGdiObjects()
{
    DWORD dwCount = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (dwCount != 0)
        return (int)dwCount;
    int nCount = 0;
    for (UINT i = 1; i < kGdiSlots; i++)
        if (::GetObjectType((HGDIOBJ)(UINT_PTR)i) != 0)
            nCount++;
    return nCount;
}

int CountMenus()
{
    int nCount = 0;
    for (UINT i = 0; i < kUserSlots; i++)
        if (::IsMenu((HMENU)(UINT_PTR)(kFirstUserHandle + 2 * i)))
            nCount++;
    return nCount;
}

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    (*(int*)lParam)++;
    return TRUE;
}

void CountTree(HWND hWnd, int& nCount)
{
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != ::GetCurrentProcessId())
        return;
    nCount++;
    // Every descendant, not only the direct children.
    ::EnumChildWindows(hWnd, CountChild, (LPARAM)&nCount);
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam)
{
    CountTree(hWnd, *(int*)lParam);
    return TRUE;
}

int CountWindows()
{
    int nCount = 0;
    ::EnumWindows(CountTopLevel, (LPARAM)&nCount);
    for (HWND hWnd = ::FindWindowExA(HWND_MESSAGE, NULL, NULL, NULL); hWnd != NULL;
         hWnd = ::FindWindowExA(HWND_MESSAGE, hWnd, NULL, NULL))
        CountTree(hWnd, nCount);
    return nCount;
}

int CountHandles()
{
    DWORD dwCount = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &dwCount) && dwCount != 0)
        return (int)dwCount;
    int nCount = 0;
    DWORD dwFlags = 0;
    for (UINT_PTR h = 4; h < kHandleSlots; h += 4)
        if (::GetHandleInformation((HANDLE)h, &dwFlags))
            nCount++;
    return nCount;
}

int CountThreads()
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return -1;
    int nCount = 0;
    THREADENTRY32 entry = {sizeof(entry)};
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            nCount++;
    ::CloseHandle(hSnapshot);
    return nCount;
}
} // namespace

CProcessResources CProcessResources::Read()
{
    CProcessResources resources;
    resources.nGdiObjects = CountGdiObjects();
    resources.nWindows = CountWindows();
    resources.nMenus = CountMenus();
    resources.nHandles = CountHandles();
    resources.nThreads = CountThreads();
    return resources;
}

std::string CProcessResources::Describe() const
{
    char szText[160];
    snprintf(szText, sizeof(szText), "gdi %d, windows %d, menus %d, handles %d, threads %d", nGdiObjects,
             nWindows, nMenus, nHandles, nThreads);
    return szText;
}

bool CProcessResources::operator==(const CProcessResources& other) const
{
    return nGdiObjects == other.nGdiObjects && nWindows == other.nWindows && nMenus == other.nMenus &&
           nHandles == other.nHandles && nThreads == other.nThreads;
}

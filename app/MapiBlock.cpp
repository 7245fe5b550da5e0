// mapi32's allocator, loaded once when first needed and kept for the life of the process.
#include "app/MapiBlock.h"

#include "foundation/Exception.h"

namespace
{
typedef SCODE(WINAPI* AllocateBufferProc)(ULONG cbSize, LPVOID* lppBuffer);
typedef SCODE(WINAPI* AllocateMoreProc)(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer);
typedef ULONG(WINAPI* FreeBufferProc)(LPVOID lpBuffer);

const char kNoAllocator[] = "ERROR: The MAPI32.DLL memory functions are not available!\r\n";
const char kNoMemory[] = "ERROR: Not enough memory for the MAPI record!\r\n";

struct CAllocator
{
    AllocateBufferProc pfnAllocate;
    AllocateMoreProc pfnMore;
    FreeBufferProc pfnFree;
};

const CAllocator& Allocator()
{
    static CAllocator allocator = [] {
        CAllocator result = {NULL, NULL, NULL};
        HMODULE hMapi = ::LoadLibraryA("MAPI32.DLL");
        if (hMapi != NULL)
        {
            result.pfnAllocate =
                reinterpret_cast<AllocateBufferProc>(::GetProcAddress(hMapi, "MAPIAllocateBuffer"));
            result.pfnMore = reinterpret_cast<AllocateMoreProc>(::GetProcAddress(hMapi, "MAPIAllocateMore"));
            result.pfnFree = reinterpret_cast<FreeBufferProc>(::GetProcAddress(hMapi, "MAPIFreeBuffer"));
        }
        if (result.pfnAllocate == NULL || result.pfnMore == NULL || result.pfnFree == NULL)
            result.pfnAllocate = NULL;
        return result;
    }();
    return allocator;
}
} // namespace

CMapiBlock::CMapiBlock(ULONG cb) : m_pRoot(NULL)
{
    const CAllocator& allocator = Allocator();
    if (allocator.pfnAllocate == NULL)
        throw new CException(kNoAllocator);
    if (allocator.pfnAllocate(cb, &m_pRoot) != S_OK || m_pRoot == NULL)
        throw new CException(kNoMemory);
    ZeroMemory(m_pRoot, cb);
}

CMapiBlock::~CMapiBlock()
{
    if (m_pRoot != NULL)
        Allocator().pfnFree(m_pRoot);
}

void* CMapiBlock::More(ULONG cb)
{
    void* pMore = NULL;
    if (Allocator().pfnMore(cb, m_pRoot, &pMore) != S_OK || pMore == NULL)
        throw new CException(kNoMemory);
    ZeroMemory(pMore, cb);
    return pMore;
}

char* CMapiBlock::Copy(const char* pszText)
{
    if (pszText == NULL)
        pszText = "";
    size_t cb = strlen(pszText) + 1;
    char* pszCopy = static_cast<char*>(More(static_cast<ULONG>(cb)));
    memcpy(pszCopy, pszText, cb);
    return pszCopy;
}

void* CMapiBlock::Detach()
{
    void* pRoot = m_pRoot;
    m_pRoot = NULL;
    return pRoot;
}

void CMapiBlock::Free(void* pBlock)
{
    const CAllocator& allocator = Allocator();
    if (pBlock != NULL && allocator.pfnFree != NULL)
        allocator.pfnFree(pBlock);
}

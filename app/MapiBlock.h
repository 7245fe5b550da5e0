// CMapiBlock: memory handed to a Simple MAPI caller, taken from mapi32's allocator so that the caller's
// MAPIFreeBuffer frees it with everything chained to it.
#pragma once

#include <windows.h>

class CMapiBlock
{
public:
    // A zeroed root of cb bytes; throws CException* when mapi32 or memory is missing.
    explicit CMapiBlock(ULONG cb);
    // Frees the block unless it was handed over.
    ~CMapiBlock();

    // Zeroed memory freed with the root.
    void* More(ULONG cb);
    char* Copy(const char* pszText);
    void* Root() const { return m_pRoot; }
    // The caller owns the block from now on.
    void* Detach();

    // Frees a block given out earlier (by the caller's side, or a test).
    static void Free(void* pBlock);

private:
    CMapiBlock(const CMapiBlock&);
    CMapiBlock& operator=(const CMapiBlock&);

    void* m_pRoot;
};

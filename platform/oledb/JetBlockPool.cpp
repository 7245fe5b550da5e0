// Memory blocks kept between rowsets: a folder read again reuses the pages the last read already touched.
#include "JetBlockPool.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace
{
// The heap hands freed pages back to the system, and every fresh page costs a fault when first written: for a
// rowset read whole at execution that was most of the time. A few megabytes kept cover the usual folder.
const size_t kcbKeptMax = 8 << 20;
const size_t kcbSmallest = 1024;

SRWLOCK g_lock = SRWLOCK_INIT;
std::vector<std::pair<char*, size_t>>* g_pKept = NULL; // never freed: rowsets may outlive static destruction
size_t g_cbKept = 0;
} // namespace

char* CJetBlockPool::Take(size_t& cb)
{
    size_t cbBlock = kcbSmallest;
    while (cbBlock < cb)
        cbBlock *= 2;
    cb = cbBlock;
    AcquireSRWLockExclusive(&g_lock);
    if (g_pKept != NULL)
    {
        for (size_t i = g_pKept->size(); i-- > 0;)
        {
            if ((*g_pKept)[i].second != cbBlock)
                continue;
            char* p = (*g_pKept)[i].first;
            g_pKept->erase(g_pKept->begin() + i);
            g_cbKept -= cbBlock;
            ReleaseSRWLockExclusive(&g_lock);
            return p;
        }
    }
    ReleaseSRWLockExclusive(&g_lock);
    return new char[cbBlock];
}

void CJetBlockPool::Give(char* p, size_t cb)
{
    if (p == NULL)
        return;
    AcquireSRWLockExclusive(&g_lock);
    bool bKeep = g_cbKept + cb <= kcbKeptMax;
    if (bKeep)
    {
        if (g_pKept == NULL)
            g_pKept = new std::vector<std::pair<char*, size_t>>;
        g_pKept->emplace_back(p, cb);
        g_cbKept += cb;
    }
    ReleaseSRWLockExclusive(&g_lock);
    if (!bKeep)
        delete[] p;
}

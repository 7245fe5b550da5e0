// Memory blocks kept between rowsets: a folder read again reuses the pages the last read already touched.
#pragma once

#include <cstddef>

class CJetBlockPool
{
public:
    // A block of at least cb bytes, aligned for any value; cb comes back as the block's real size.
    static char* Take(size_t& cb);
    // Hands a block from Take back; it is kept for the next rowset while the pool is below its limit.
    static void Give(char* p, size_t cb);
};

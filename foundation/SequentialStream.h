// In-memory ISequentialStream through which long text columns are read and written.
#pragma once

#include <objidl.h>

// Lives on its owner's stack or inside it: Release never deletes.
class CSequentialStream : public ISequentialStream
{
public:
    CSequentialStream();
    virtual ~CSequentialStream();

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();
    STDMETHOD(Read)(void* pv, ULONG cb, ULONG* pcbRead);
    STDMETHOD(Write)(const void* pv, ULONG cb, ULONG* pcbWritten);
    virtual void Clear();

    BYTE* m_pBuffer;
    ULONG m_nSize;
    ULONG m_nRefCount;
    ULONG m_nReadPosition;
    ULONG m_nWritePosition;
    // Allocated bytes; grows geometrically so that many small writes stay linear.
    ULONG m_nCapacity;

private:
    CSequentialStream(const CSequentialStream&);
    CSequentialStream& operator=(const CSequentialStream&);
};

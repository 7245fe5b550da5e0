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

// Reads the caller's bytes where they lie: a large text handed to the database once is not copied first.
// The bytes must outlive the stream, which cannot be written.
class CBorrowedStream : public CSequentialStream
{
public:
    CBorrowedStream(const void* pData, ULONG nSize);
    ~CBorrowedStream();

    STDMETHOD(Write)(const void* pv, ULONG cb, ULONG* pcbWritten);
    void Clear() override;
};

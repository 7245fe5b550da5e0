// In-memory ISequentialStream through which long text columns are read and written.
#pragma once

#include <objidl.h>

#include "platform/oledb/msjetoledb.h"

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

// Reads the caller's bytes where they lie: a large text handed to the database once is not copied first, and
// the database writes them from there without reading them into a copy of its own.
// The bytes must outlive the stream, which cannot be written.
class CBorrowedStream : public CSequentialStream, public IJetLentBytes
{
public:
    CBorrowedStream(const void* pData, ULONG nSize);
    ~CBorrowedStream();

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override { return CSequentialStream::AddRef(); }
    STDMETHOD_(ULONG, Release)() override { return CSequentialStream::Release(); }
    STDMETHOD(Write)(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    // The bytes not read yet.
    STDMETHOD(GetLentBytes)(const void** ppv, ULONG* pcb) override;
    void Clear() override;
};

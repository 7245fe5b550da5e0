// In-memory ISequentialStream.
#include "foundation/SequentialStream.h"

#include <string.h>

CSequentialStream::CSequentialStream()
    : m_pBuffer(NULL), m_nSize(0), m_nRefCount(0), m_nReadPosition(0), m_nWritePosition(0), m_nCapacity(0)
{
}

CSequentialStream::~CSequentialStream()
{
    Clear();
}

STDMETHODIMP CSequentialStream::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream))
    {
        *ppv = static_cast<ISequentialStream*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CSequentialStream::AddRef()
{
    return ++m_nRefCount;
}

STDMETHODIMP_(ULONG) CSequentialStream::Release()
{
    if (m_nRefCount > 0)
        m_nRefCount--;
    return m_nRefCount;
}

STDMETHODIMP CSequentialStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (pcbRead != NULL)
        *pcbRead = 0;
    if (pv == NULL)
        return STG_E_INVALIDPOINTER;
    if (cb == 0)
        return S_OK;
    if (m_nReadPosition >= m_nSize)
        return S_FALSE;
    ULONG nCopy = m_nSize - m_nReadPosition;
    if (nCopy > cb)
        nCopy = cb;
    memcpy(pv, m_pBuffer + m_nReadPosition, nCopy);
    m_nReadPosition += nCopy;
    if (pcbRead != NULL)
        *pcbRead = nCopy;
    return nCopy < cb ? S_FALSE : S_OK;
}

STDMETHODIMP CSequentialStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    if (pv == NULL)
        return STG_E_INVALIDPOINTER;
    if (pcbWritten != NULL)
        *pcbWritten = 0;
    if (cb == 0)
        return S_OK;
    unsigned long long nNeeded = (unsigned long long)m_nWritePosition + cb;
    if (nNeeded > 0xFFFFFFFFull)
    {
        Clear();
        return E_OUTOFMEMORY;
    }
    if (nNeeded > m_nCapacity)
    {
        unsigned long long nCapacity = (unsigned long long)m_nCapacity * 2;
        if (nCapacity < nNeeded)
            nCapacity = nNeeded;
        if (nCapacity > 0xFFFFFFFFull)
            nCapacity = 0xFFFFFFFFull;
        BYTE* pNew = (BYTE*)::CoTaskMemRealloc(m_pBuffer, (SIZE_T)nCapacity);
        if (pNew == NULL)
        {
            Clear();
            return E_OUTOFMEMORY;
        }
        m_pBuffer = pNew;
        m_nCapacity = (ULONG)nCapacity;
    }
    memcpy(m_pBuffer + m_nWritePosition, pv, cb);
    m_nWritePosition += cb;
    if (m_nWritePosition > m_nSize)
        m_nSize = m_nWritePosition;
    if (pcbWritten != NULL)
        *pcbWritten = cb;
    return S_OK;
}

void CSequentialStream::Clear()
{
    ::CoTaskMemFree(m_pBuffer);
    m_pBuffer = NULL;
    m_nSize = 0;
    m_nRefCount = 0;
    m_nReadPosition = 0;
    m_nWritePosition = 0;
    m_nCapacity = 0;
}

CBorrowedStream::CBorrowedStream(const void* pData, ULONG nSize)
{
    m_pBuffer = static_cast<BYTE*>(const_cast<void*>(pData));
    m_nSize = nSize;
    m_nWritePosition = nSize;
    m_nCapacity = nSize;
}

CBorrowedStream::~CBorrowedStream()
{
    // The bytes are the caller's: the base class must find nothing to free.
    Clear();
}

STDMETHODIMP CBorrowedStream::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv != NULL && IsEqualIID(riid, IID_IJetLentBytes))
    {
        *ppv = static_cast<IJetLentBytes*>(this);
        AddRef();
        return S_OK;
    }
    return CSequentialStream::QueryInterface(riid, ppv);
}

STDMETHODIMP CBorrowedStream::GetLentBytes(const void** ppv, ULONG* pcb)
{
    if (ppv == NULL || pcb == NULL)
        return E_POINTER;
    const ULONG nAt = m_nReadPosition < m_nSize ? m_nReadPosition : m_nSize;
    *ppv = m_pBuffer != NULL ? m_pBuffer + nAt : NULL;
    *pcb = m_nSize - nAt;
    return S_OK;
}

STDMETHODIMP CBorrowedStream::Write(const void*, ULONG, ULONG* pcbWritten)
{
    if (pcbWritten != NULL)
        *pcbWritten = 0;
    return STG_E_ACCESSDENIED;
}

void CBorrowedStream::Clear()
{
    m_pBuffer = NULL;
    m_nSize = 0;
    m_nRefCount = 0;
    m_nReadPosition = 0;
    m_nWritePosition = 0;
    m_nCapacity = 0;
}

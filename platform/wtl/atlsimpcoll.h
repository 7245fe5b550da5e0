// Small growable array and key/value map for the window layers' own bookkeeping and for app code.
#pragma once

#include <windows.h>

#include <new>
#include <stdlib.h>

namespace ATL
{

// Elements are copied with their copy constructor; the storage grows by doubling.
template <class T>
class CSimpleArray
{
public:
    CSimpleArray() : m_aT(NULL), m_nSize(0), m_nAllocSize(0) {}
    ~CSimpleArray() { RemoveAll(); }
    CSimpleArray(const CSimpleArray& src) : m_aT(NULL), m_nSize(0), m_nAllocSize(0)
    {
        for (int i = 0; i < src.GetSize(); i++)
            Add(src[i]);
    }
    CSimpleArray& operator=(const CSimpleArray& src)
    {
        if (this != &src)
        {
            RemoveAll();
            for (int i = 0; i < src.GetSize(); i++)
                Add(src[i]);
        }
        return *this;
    }

    int GetSize() const { return m_nSize; }
    BOOL Add(const T& t)
    {
        if (m_nSize == m_nAllocSize)
        {
            int nNewAllocSize = m_nAllocSize == 0 ? 4 : m_nAllocSize * 2;
            T* aT = (T*)malloc(sizeof(T) * nNewAllocSize);
            if (aT == NULL)
                return FALSE;
            for (int i = 0; i < m_nSize; i++)
            {
                new (aT + i) T(m_aT[i]);
                m_aT[i].~T();
            }
            free(m_aT);
            m_aT = aT;
            m_nAllocSize = nNewAllocSize;
        }
        new (m_aT + m_nSize) T(t);
        m_nSize++;
        return TRUE;
    }
    BOOL Remove(const T& t)
    {
        int nIndex = Find(t);
        return nIndex == -1 ? FALSE : RemoveAt(nIndex);
    }
    BOOL RemoveAt(int nIndex)
    {
        if (nIndex < 0 || nIndex >= m_nSize)
            return FALSE;
        for (int i = nIndex; i < m_nSize - 1; i++)
            m_aT[i] = m_aT[i + 1];
        m_aT[m_nSize - 1].~T();
        m_nSize--;
        return TRUE;
    }
    void RemoveAll()
    {
        for (int i = 0; i < m_nSize; i++)
            m_aT[i].~T();
        free(m_aT);
        m_aT = NULL;
        m_nSize = 0;
        m_nAllocSize = 0;
    }
    BOOL SetAtIndex(int nIndex, const T& t)
    {
        if (nIndex < 0 || nIndex >= m_nSize)
            return FALSE;
        m_aT[nIndex] = t;
        return TRUE;
    }
    const T& operator[](int nIndex) const { return m_aT[nIndex]; }
    T& operator[](int nIndex) { return m_aT[nIndex]; }
    T* GetData() const { return m_aT; }
    int Find(const T& t) const
    {
        for (int i = 0; i < m_nSize; i++)
            if (m_aT[i] == t)
                return i;
        return -1;
    }

private:
    T* m_aT;
    int m_nSize;
    int m_nAllocSize;
};

template <class TKey, class TVal>
class CSimpleMap
{
public:
    int GetSize() const { return m_aKey.GetSize(); }
    BOOL Add(const TKey& key, const TVal& val)
    {
        if (!m_aKey.Add(key))
            return FALSE;
        if (!m_aVal.Add(val))
        {
            m_aKey.RemoveAt(m_aKey.GetSize() - 1);
            return FALSE;
        }
        return TRUE;
    }
    BOOL Remove(const TKey& key)
    {
        int nIndex = FindKey(key);
        return nIndex == -1 ? FALSE : RemoveAt(nIndex);
    }
    BOOL RemoveAt(int nIndex) { return m_aKey.RemoveAt(nIndex) && m_aVal.RemoveAt(nIndex); }
    void RemoveAll()
    {
        m_aKey.RemoveAll();
        m_aVal.RemoveAll();
    }
    BOOL SetAt(const TKey& key, const TVal& val)
    {
        int nIndex = FindKey(key);
        return nIndex == -1 ? FALSE : m_aVal.SetAtIndex(nIndex, val);
    }
    TVal Lookup(const TKey& key) const
    {
        int nIndex = FindKey(key);
        return nIndex == -1 ? TVal() : m_aVal[nIndex];
    }
    TKey ReverseLookup(const TVal& val) const
    {
        int nIndex = FindVal(val);
        return nIndex == -1 ? TKey() : m_aKey[nIndex];
    }
    TKey& GetKeyAt(int nIndex) { return m_aKey[nIndex]; }
    TVal& GetValueAt(int nIndex) { return m_aVal[nIndex]; }
    const TKey& GetKeyAt(int nIndex) const { return m_aKey[nIndex]; }
    const TVal& GetValueAt(int nIndex) const { return m_aVal[nIndex]; }
    int FindKey(const TKey& key) const { return m_aKey.Find(key); }
    int FindVal(const TVal& val) const { return m_aVal.Find(val); }

private:
    CSimpleArray<TKey> m_aKey;
    CSimpleArray<TVal> m_aVal;
};

} // namespace ATL

#ifndef _ATL_NO_AUTOMATIC_NAMESPACE
using namespace ATL;
#endif

// A memory buffer with the interface of CFile.
#pragma once

#include "foundation/File.h"

class CMemFile : public CFile
{
public:
    enum BufferCommand
    {
        bufferRead = 0,
        bufferWrite = 1,
        bufferCommit = 2,
        bufferCheck = 3
    };

    // Starts empty; grows on demand by nGrowBytes.
    explicit CMemFile(UINT nGrowBytes = 1024);
    // Over the caller's buffer, which stays the caller's. With a grow step of 0 the buffer is full from the
    // start and cannot grow.
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    virtual ~CMemFile();

    virtual LONG Seek(LONG lOff, UINT nFrom);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Close();
    virtual void Flush();

    virtual BYTE* Alloc(SIZE_T nBytes);
    virtual BYTE* Realloc(BYTE* lpMem, SIZE_T nBytes);
    virtual BYTE* Memcpy(BYTE* lpMemTarget, const BYTE* lpMemSource, SIZE_T nBytes);
    virtual void Free(BYTE* lpMem);
    virtual void GrowFile(SIZE_T dwNewLen);
    virtual DWORD GetPosition() const;
    virtual void SetLength(DWORD dwNewLen);
    virtual void Abort();
    virtual UINT GetBufferPtr(UINT nCommand, UINT nCount = 0, void** ppBufStart = NULL,
                              void** ppBufMax = NULL);
    virtual CFile* Duplicate() const;
    virtual void LockRange(DWORD dwPos, DWORD dwCount);
    virtual void UnlockRange(DWORD dwPos, DWORD dwCount);

    UINT m_nGrowBytes;
    DWORD m_nPosition;
    DWORD m_nBufferSize;
    DWORD m_nFileSize;
    BYTE* m_lpBuffer;
    // TRUE when the buffer was allocated here, so that Close frees it.
    BOOL m_bAutoDelete;
};

// A memory buffer with the interface of CFile.
#include "foundation/MemFile.h"

#include <stdlib.h>
#include <string.h>

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(NULL),
      m_bAutoDelete(FALSE)
{
}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(nBufferSize),
      m_nFileSize(nGrowBytes == 0 ? nBufferSize : 0), m_lpBuffer(lpBuffer), m_bAutoDelete(FALSE)
{
}

CMemFile::~CMemFile()
{
    if (m_lpBuffer != NULL)
        Close();
}

LONG CMemFile::Seek(LONG lOff, UINT nFrom)
{
    LONGLONG llNew;
    switch (nFrom)
    {
    case begin:
        llNew = lOff;
        break;
    case current:
        llNew = (LONGLONG)m_nPosition + lOff;
        break;
    case end:
        llNew = (LONGLONG)m_nFileSize + lOff;
        break;
    default:
        return -1;
    }
    if (llNew < 0 || llNew > 0x7FFFFFFF)
        ThrowFileException(CFileException::badSeek, -1, NULL);
    m_nPosition = (DWORD)llNew;
    return (LONG)llNew;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0 || m_nPosition >= m_nFileSize)
        return 0;
    UINT nRead = m_nFileSize - m_nPosition;
    if (nRead > nCount)
        nRead = nCount;
    Memcpy((BYTE*)lpBuf, m_lpBuffer + m_nPosition, nRead);
    m_nPosition += nRead;
    return nRead;
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    ULONGLONG ullEnd = (ULONGLONG)m_nPosition + nCount;
    if (ullEnd > 0xFFFFFFFF)
        ThrowFileException(CFileException::diskFull, -1, NULL);
    if (ullEnd > m_nBufferSize)
        GrowFile((SIZE_T)ullEnd);
    // A write after a seek past the end must not expose what the heap held there.
    if (m_nPosition > m_nFileSize)
        memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
    Memcpy(m_lpBuffer + m_nPosition, (const BYTE*)lpBuf, nCount);
    m_nPosition += nCount;
    if (m_nPosition > m_nFileSize)
        m_nFileSize = m_nPosition;
}

void CMemFile::Close()
{
    m_nGrowBytes = 0;
    m_nPosition = 0;
    m_nBufferSize = 0;
    m_nFileSize = 0;
    if (m_lpBuffer != NULL && m_bAutoDelete)
        Free(m_lpBuffer);
    m_lpBuffer = NULL;
    m_bAutoDelete = FALSE;
}

void CMemFile::Flush() {}

BYTE* CMemFile::Alloc(SIZE_T nBytes)
{
    return (BYTE*)malloc(nBytes);
}

BYTE* CMemFile::Realloc(BYTE* lpMem, SIZE_T nBytes)
{
    return (BYTE*)realloc(lpMem, nBytes);
}

BYTE* CMemFile::Memcpy(BYTE* lpMemTarget, const BYTE* lpMemSource, SIZE_T nBytes)
{
    memcpy(lpMemTarget, lpMemSource, nBytes);
    return lpMemTarget;
}

void CMemFile::Free(BYTE* lpMem)
{
    free(lpMem);
}

void CMemFile::GrowFile(SIZE_T dwNewLen)
{
    if (dwNewLen <= m_nBufferSize)
        return;
    // A fixed buffer cannot take more: stop before anything is written past its end.
    if (m_nGrowBytes == 0)
        ThrowFileException(CFileException::diskFull, -1, NULL);
    ULONGLONG ullNewBufferSize = m_nBufferSize;
    while (ullNewBufferSize < dwNewLen)
        ullNewBufferSize += m_nGrowBytes;
    if (ullNewBufferSize > 0xFFFFFFFF)
        ThrowFileException(CFileException::diskFull, -1, NULL);

    BYTE* lpNew;
    if (m_lpBuffer == NULL)
    {
        lpNew = Alloc((SIZE_T)ullNewBufferSize);
    }
    else if (m_bAutoDelete)
    {
        lpNew = Realloc(m_lpBuffer, (SIZE_T)ullNewBufferSize);
    }
    else
    {
        // The caller's buffer may not come from this heap: move into one of our own.
        lpNew = Alloc((SIZE_T)ullNewBufferSize);
        if (lpNew != NULL)
            Memcpy(lpNew, m_lpBuffer, m_nFileSize > m_nBufferSize ? m_nBufferSize : m_nFileSize);
    }
    if (lpNew == NULL)
        ThrowFileException(CFileException::generic, ERROR_NOT_ENOUGH_MEMORY, NULL);
    m_lpBuffer = lpNew;
    m_bAutoDelete = TRUE;
    m_nBufferSize = (DWORD)ullNewBufferSize;
}

DWORD CMemFile::GetPosition() const
{
    return m_nPosition;
}

void CMemFile::SetLength(DWORD dwNewLen)
{
    if (dwNewLen > m_nBufferSize)
        GrowFile(dwNewLen);
    if (dwNewLen < m_nPosition)
        m_nPosition = dwNewLen;
    m_nFileSize = dwNewLen;
}

void CMemFile::Abort()
{
    Close();
}

UINT CMemFile::GetBufferPtr(UINT nCommand, UINT nCount, void** ppBufStart, void** ppBufMax)
{
    if (nCommand == bufferCheck)
        return 1;
    if (nCommand == bufferCommit)
    {
        m_nPosition += nCount;
        if (m_nPosition > m_nFileSize)
            m_nFileSize = m_nPosition;
        return 0;
    }
    if (nCommand == bufferWrite)
        GrowFile((SIZE_T)m_nPosition + nCount);

    BYTE* pStart = m_lpBuffer + m_nPosition;
    DWORD dwLimit = (nCommand == bufferWrite) ? m_nBufferSize : m_nFileSize;
    ULONGLONG ullWanted = (nCount == 0xFFFFFFFF) ? m_nBufferSize : (ULONGLONG)m_nPosition + nCount;
    DWORD dwEnd = (DWORD)(ullWanted < dwLimit ? ullWanted : dwLimit);
    if (dwEnd < m_nPosition)
        dwEnd = m_nPosition;
    BYTE* pEnd = m_lpBuffer + dwEnd;
    if (ppBufStart != NULL)
        *ppBufStart = pStart;
    if (ppBufMax != NULL)
        *ppBufMax = pEnd;
    if (nCommand == bufferRead)
        m_nPosition = dwEnd;
    return (UINT)(pEnd - pStart);
}

CFile* CMemFile::Duplicate() const
{
    return NULL;
}

void CMemFile::LockRange(DWORD, DWORD) {}

void CMemFile::UnlockRange(DWORD, DWORD) {}

// A file over a Win32 handle that throws CFileException, and the path services it uses.
#include "foundation/File.h"

#include <commdlg.h>
#include <string.h>

namespace
{
// A failing call that left no error code still has to be reported as a failure.
void ThrowLastError(const char* pszFileName)
{
    DWORD dwError = ::GetLastError();
    if (dwError == 0)
        ThrowFileException(CFileException::generic, -1, pszFileName);
    CFileException::ThrowOsError((LONG)dwError, pszFileName);
}

void CopyBounded(LPSTR pszOut, const char* pszIn, size_t nMax)
{
    size_t n = strlen(pszIn);
    if (n > nMax - 1)
        n = nMax - 1;
    memcpy(pszOut, pszIn, n);
    pszOut[n] = '\0';
}

const char* FindFileNamePart(const char* pszPath)
{
    const char* pszName = pszPath;
    for (const char* p = pszPath; *p != '\0'; ++p)
    {
        if (IsDirSep(*p) || *p == ':')
            pszName = p + 1;
    }
    return pszName;
}
} // namespace

CFile::CFile() : m_hFile(NULL) {}

CFile::CFile(const char* pszFileName, UINT nOpenFlags) : m_hFile(NULL)
{
    CFileException error;
    if (!Open(pszFileName, nOpenFlags, &error))
        ThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != NULL)
        ::CloseHandle(m_hFile);
}

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    DWORD dwAccess = 0;
    switch (nOpenFlags & 3)
    {
    case modeRead:
        dwAccess = GENERIC_READ;
        break;
    case modeWrite:
        dwAccess = GENERIC_WRITE;
        break;
    case modeReadWrite:
        dwAccess = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        break;
    }

    DWORD dwShareMode = 0;
    switch (nOpenFlags & 0x70)
    {
    case shareDenyWrite:
        dwShareMode = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        dwShareMode = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        dwShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        break;
    }

    SECURITY_ATTRIBUTES sa;
    sa.nLength = sizeof(sa);
    sa.lpSecurityDescriptor = NULL;
    sa.bInheritHandle = (nOpenFlags & modeNoInherit) == 0;

    DWORD dwCreateFlag = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwCreateFlag = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE hFile =
        ::CreateFileA(pszFileName, dwAccess, dwShareMode, &sa, dwCreateFlag, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE || hFile == NULL)
    {
        LONG lOsError = (LONG)::GetLastError();
        if (pError == NULL)
        {
            if (lOsError == 0)
                ThrowFileException(CFileException::generic, -1, pszFileName);
            CFileException::ThrowOsError(lOsError, pszFileName);
        }
        pError->m_cause = CFileException::OsErrorToException(lOsError);
        pError->m_lOsError = lOsError;
        pError->m_strFileName = pszFileName ? pszFileName : "";
        return FALSE;
    }
    m_hFile = hFile;
    m_strFileName = pszFileName;
    return TRUE;
}

LONG CFile::Seek(LONG lOff, UINT nFrom)
{
    LARGE_INTEGER liMove, liNew;
    liMove.QuadPart = lOff;
    if (!::SetFilePointerEx(m_hFile, liMove, &liNew, nFrom))
        ThrowLastError(NULL);
    return (LONG)liNew.QuadPart;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    DWORD dwRead = 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &dwRead, NULL))
        ThrowLastError(NULL);
    return (UINT)dwRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    DWORD dwWritten = 0;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &dwWritten, NULL))
        ThrowLastError(m_strFileName);
    if (dwWritten < nCount)
        ThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

void CFile::Close()
{
    if (m_hFile == NULL)
        return;
    BOOL bClosed = ::CloseHandle(m_hFile);
    m_hFile = NULL;
    m_strFileName.Empty();
    if (!bClosed)
        ThrowLastError(NULL);
}

DWORD CFile::GetLength()
{
    LONG lCurrent = Seek(0, current);
    LONG lEnd = Seek(0, end);
    Seek(lCurrent, begin);
    return (DWORD)lEnd;
}

void CFile::Flush()
{
    if (m_hFile == NULL)
        return;
    if (!::FlushFileBuffers(m_hFile))
        ThrowLastError(NULL);
}

CString CFile::GetFileName()
{
    char szName[256];
    CopyBounded(szName, FindFileNamePart(m_strFileName), sizeof(szName));
    return szName;
}

CString CFile::GetFileTitle()
{
    char szTitle[256];
    if (::GetFileTitleA(m_strFileName, szTitle, sizeof(szTitle)) != 0)
        return GetFileName();
    return szTitle;
}

CString CFile::GetFilePath()
{
    CFileStatus status;
    GetStatus(status);
    return status.m_szFullName;
}

BOOL CFile::GetStatus(CFileStatus& rStatus)
{
    memset(&rStatus, 0, sizeof(rStatus));
    CopyBounded(rStatus.m_szFullName, m_strFileName, sizeof(rStatus.m_szFullName));
    if (m_hFile == NULL)
        return FALSE;
    FILETIME ftCreate, ftAccess, ftWrite;
    if (!::GetFileTime(m_hFile, &ftCreate, &ftAccess, &ftWrite))
        return FALSE;
    DWORD dwSize = ::GetFileSize(m_hFile, NULL);
    if (dwSize == 0xFFFFFFFF)
        return FALSE;
    rStatus.m_size = dwSize;
    if (!m_strFileName.IsEmpty())
    {
        DWORD dwAttributes = ::GetFileAttributesA(m_strFileName);
        rStatus.m_attribute = (dwAttributes == INVALID_FILE_ATTRIBUTES) ? 0 : (BYTE)dwAttributes;
    }
    return TRUE;
}

BOOL CFile::GetFileStatus(const char* pszFileName, CFileStatus& rStatus)
{
    memset(&rStatus, 0, sizeof(rStatus));
    if (!GetFullPath(rStatus.m_szFullName, pszFileName))
    {
        rStatus.m_szFullName[0] = '\0';
        return FALSE;
    }
    WIN32_FIND_DATAA findData;
    HANDLE hFind = ::FindFirstFileA(pszFileName, &findData);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(hFind);
    rStatus.m_attribute = (BYTE)(findData.dwFileAttributes & 0x7F);
    rStatus.m_size = findData.nFileSizeLow;
    return TRUE;
}

void CFile::Rename(const char* pszOldName, const char* pszNewName)
{
    if (!::MoveFileA(pszOldName, pszNewName))
        ThrowLastError(NULL);
}

void CFile::Remove(const char* pszFileName)
{
    if (!::DeleteFileA(pszFileName))
        ThrowLastError(NULL);
}

bool IsDirSep(char c)
{
    return c == '\\' || c == '/';
}

CString GetRootOfPath(const char* pszPath)
{
    CString strPath = pszPath ? pszPath : "";
    const char* p = strPath;
    int nLength = strPath.GetLength();
    int nRootEnd = -1;
    int nDouble = -1;
    for (int i = 0; i + 1 < nLength; ++i)
    {
        if (IsDirSep(p[i]) && IsDirSep(p[i + 1]))
        {
            nDouble = i;
            break;
        }
    }
    if (nDouble >= 0)
    {
        // Server and share names follow the double separator; the root ends after the share's separator.
        int nComponents = 0;
        for (int i = nDouble + 2; i < nLength; ++i)
        {
            if (IsDirSep(p[i]) && ++nComponents == 2)
            {
                nRootEnd = i;
                break;
            }
        }
    }
    else
    {
        for (int i = 0; i < nLength; ++i)
        {
            if (IsDirSep(p[i]))
            {
                nRootEnd = i;
                break;
            }
        }
    }
    if (nRootEnd < 0 || nRootEnd + 1 > MAX_PATH)
        return strPath.Left(MAX_PATH);
    return strPath.Left(nRootEnd + 1);
}

BOOL GetFullPath(LPSTR pszOut, const char* pszFileName)
{
    LPSTR pszFilePart = NULL;
    DWORD n = ::GetFullPathNameA(pszFileName, MAX_PATH, pszOut, &pszFilePart);
    if (n == 0 || n >= MAX_PATH)
    {
        CopyBounded(pszOut, pszFileName ? pszFileName : "", MAX_PATH);
        return FALSE;
    }
    CString strRoot = GetRootOfPath(pszOut);
    DWORD dwMaxLength = 0, dwFlags = 0;
    if (!::GetVolumeInformationA(strRoot, NULL, 0, NULL, &dwMaxLength, &dwFlags, NULL, 0))
        return TRUE;
    if (!(dwFlags & FS_CASE_IS_PRESERVED))
        ::CharUpperA(pszOut);
    if (!(dwFlags & FS_UNICODE_STORED_ON_DISK))
    {
        WIN32_FIND_DATAA findData;
        HANDLE hFind = ::FindFirstFileA(pszOut, &findData);
        if (hFind != INVALID_HANDLE_VALUE)
        {
            ::FindClose(hFind);
            char* pszLast = (char*)FindFileNamePart(pszOut);
            CopyBounded(pszLast, findData.cFileName, MAX_PATH - (pszLast - pszOut));
        }
    }
    return TRUE;
}

UINT GetFileNameFromPath(const char* pszPath, LPSTR pszName, UINT nMax)
{
    const char* pszPart = FindFileNamePart(pszPath ? pszPath : "");
    if (pszName == NULL)
        return (UINT)strlen(pszPart) + 1;
    if (nMax > 0)
        CopyBounded(pszName, pszPart, nMax);
    return 0;
}

UINT GetFileTitleFromPath(const char* pszPath, LPSTR pszTitle, UINT nMax)
{
    if (pszTitle == NULL)
        return (UINT)::GetFileTitleA(pszPath, NULL, 0);
    return (UINT)::GetFileTitleA(pszPath, pszTitle, (WORD)(nMax > 0xFFFF ? 0xFFFF : nMax));
}

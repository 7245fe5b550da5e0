// A file over a Win32 handle that throws CFileException, and the path services it uses.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "foundation/FileException.h"

struct CFileStatus
{
    DWORD m_size;
    BYTE m_attribute;
    char m_szFullName[MAX_PATH];
};

class CFile
{
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000
    };

    enum SeekPosition
    {
        begin = 0,
        current = 1,
        end = 2
    };

    CFile();
    // Opens at once; throws the CFileException of the failed open.
    CFile(const char* pszFileName, UINT nOpenFlags);
    // Closes a still-open handle quietly, so that an exception path does not leave the file locked.
    virtual ~CFile();

    // Fills pError and returns FALSE on failure; without pError throws instead.
    virtual BOOL Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError = NULL);
    virtual LONG Seek(LONG lOff, UINT nFrom);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Close();
    virtual DWORD GetLength();
    virtual void Flush();
    virtual CString GetFileName();
    virtual CString GetFileTitle();
    virtual CString GetFilePath();

    BOOL GetStatus(CFileStatus& rStatus);
    static BOOL GetFileStatus(const char* pszFileName, CFileStatus& rStatus);
    static void Rename(const char* pszOldName, const char* pszNewName);
    static void Remove(const char* pszFileName);

    HANDLE m_hFile; // NULL when closed
    CString m_strFileName;

private:
    CFile(const CFile&);
    CFile& operator=(const CFile&);
};

bool IsDirSep(char c);
// A UNC root keeps "\\server\share\"; a drive root keeps its backslash.
CString GetRootOfPath(const char* pszPath);
// pszOut holds MAX_PATH characters; on failure it receives the name unchanged and the result is FALSE.
BOOL GetFullPath(LPSTR pszOut, const char* pszFileName);
// With a null buffer these return the size needed, terminating zero included.
UINT GetFileNameFromPath(const char* pszPath, LPSTR pszName, UINT nMax);
UINT GetFileTitleFromPath(const char* pszPath, LPSTR pszTitle, UINT nMax);

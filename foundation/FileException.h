// The exception of the file classes, and the resource-text formatting its messages use.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CFileException
{
public:
    enum
    {
        none = 0,
        generic = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14
    };

    // String id of cause 0; the message of cause n is string 61856 + n.
    static const UINT kFirstMessageId = 61856;

    explicit CFileException(int cause = none, LONG lOsError = -1, const char* pszFileName = NULL);
    virtual ~CFileException();

    // Always TRUE; the text is cut to nMaxError - 1 characters.
    virtual BOOL GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext = NULL);
    // The same text as a CString.
    CString GetErrorText();

    static int OsErrorToException(LONG lOsError);
    // Does nothing for error 0.
    static void ThrowOsError(LONG lOsError, const char* pszFileName = NULL);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

void ThrowFileException(int cause, LONG lOsError = -1, const char* pszFileName = NULL);

// Resource texts with the placeholders %1..%9 and %A..%Z (strings 0 to 8, 9 onward).
int LoadResourceString(UINT nId, LPSTR pszBuffer, UINT nMaxBuf);
void FormatStrings(CString& strOut, const char* pszFormat, const char* const* rgpsz, int nString);
void FormatStringId(CString& strOut, UINT nIdFormat, const char* const* rgpsz, int nString);
void FormatString1(CString& strOut, UINT nIdFormat, const char* psz1);

// The exception of the file classes and the resource-text formatting of its messages.
#include "foundation/FileException.h"

#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Texts.h"

namespace
{
const UINT kUnnamedFileId = 61446;
const int kCauseCount = sizeof(FoundationText::kFileCauseTexts) / sizeof(FoundationText::kFileCauseTexts[0]);

struct OsErrorCause
{
    LONG lOsError;
    int cause;
};

const OsErrorCause kOsErrorCauses[] = {
    {0, CFileException::none},
    {2, CFileException::fileNotFound},
    {6, CFileException::fileNotFound},
    {18, CFileException::fileNotFound},
    {107, CFileException::fileNotFound},
    {3, CFileException::badPath},
    {15, CFileException::badPath},
    {17, CFileException::badPath},
    {34, CFileException::badPath},
    {52, CFileException::badPath},
    {53, CFileException::badPath},
    {55, CFileException::badPath},
    {67, CFileException::badPath},
    {70, CFileException::badPath},
    {85, CFileException::badPath},
    {111, CFileException::badPath},
    {123, CFileException::badPath},
    {124, CFileException::badPath},
    {125, CFileException::badPath},
    {144, CFileException::badPath},
    {154, CFileException::badPath},
    {161, CFileException::badPath},
    {206, CFileException::badPath},
    {208, CFileException::badPath},
    {267, CFileException::badPath},
    {4, CFileException::tooManyOpenFiles},
    {36, CFileException::tooManyOpenFiles},
    {68, CFileException::tooManyOpenFiles},
    {113, CFileException::tooManyOpenFiles},
    {5, CFileException::accessDenied},
    {12, CFileException::accessDenied},
    {19, CFileException::accessDenied},
    {29, CFileException::accessDenied},
    {54, CFileException::accessDenied},
    {58, CFileException::accessDenied},
    {64, CFileException::accessDenied},
    {65, CFileException::accessDenied},
    {71, CFileException::accessDenied},
    {80, CFileException::accessDenied},
    {82, CFileException::accessDenied},
    {86, CFileException::accessDenied},
    {170, CFileException::accessDenied},
    {183, CFileException::accessDenied},
    {999, CFileException::accessDenied},
    {11, CFileException::invalidFile},
    {26, CFileException::invalidFile},
    {60, CFileException::invalidFile},
    {66, CFileException::invalidFile},
    {114, CFileException::invalidFile},
    {182, CFileException::invalidFile},
    {191, CFileException::invalidFile},
    {193, CFileException::invalidFile},
    {16, CFileException::removeCurrentDir},
    {145, CFileException::removeCurrentDir},
    {62, CFileException::directoryFull},
    {24, CFileException::badSeek},
    {25, CFileException::badSeek},
    {27, CFileException::badSeek},
    {30, CFileException::badSeek},
    {131, CFileException::badSeek},
    {132, CFileException::badSeek},
    {20, CFileException::hardIO},
    {21, CFileException::hardIO},
    {22, CFileException::hardIO},
    {23, CFileException::hardIO},
    {57, CFileException::hardIO},
    {59, CFileException::hardIO},
    {88, CFileException::hardIO},
    {117, CFileException::hardIO},
    {995, CFileException::hardIO},
    {996, CFileException::hardIO},
    {997, CFileException::hardIO},
    {32, CFileException::sharingViolation},
    {33, CFileException::lockViolation},
    {108, CFileException::lockViolation},
    {167, CFileException::lockViolation},
    {39, CFileException::diskFull},
    {112, CFileException::diskFull},
    {38, CFileException::endOfFile},
};

// The file-exception texts are built in so that every module linking the file classes has them,
// whether or not its resources carry a string table.
const char* BuiltInString(UINT nId)
{
    if (nId == kUnnamedFileId)
        return FoundationText::kUnnamedFile;
    if (nId >= CFileException::kFirstMessageId && nId < CFileException::kFirstMessageId + kCauseCount)
        return FoundationText::kFileCauseTexts[nId - CFileException::kFirstMessageId];
    return NULL;
}
} // namespace

CFileException::CFileException(int cause, LONG lOsError, const char* pszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName ? pszFileName : "")
{
}

CFileException::~CFileException() {}

BOOL CFileException::GetErrorMessage(LPSTR pszError, UINT nMaxError, PUINT pnHelpContext)
{
    if (pnHelpContext != NULL)
        *pnHelpContext = kFirstMessageId + m_cause;
    CString strText = GetErrorText();
    if (pszError != NULL && nMaxError > 0)
    {
        UINT nCopy = (UINT)strText.GetLength();
        if (nCopy > nMaxError - 1)
            nCopy = nMaxError - 1;
        memcpy(pszError, (const char*)strText, nCopy);
        pszError[nCopy] = '\0';
    }
    return TRUE;
}

CString CFileException::GetErrorText()
{
    char szUnnamed[256];
    const char* pszName = m_strFileName;
    if (m_strFileName.IsEmpty())
    {
        LoadResourceString(kUnnamedFileId, szUnnamed, sizeof(szUnnamed));
        pszName = szUnnamed;
    }
    CString strText;
    FormatString1(strText, kFirstMessageId + m_cause, pszName);
    return strText;
}

int CFileException::OsErrorToException(LONG lOsError)
{
    for (const OsErrorCause& entry : kOsErrorCauses)
    {
        if (entry.lOsError == lOsError)
            return entry.cause;
    }
    return generic;
}

void CFileException::ThrowOsError(LONG lOsError, const char* pszFileName)
{
    if (lOsError != 0)
        ThrowFileException(OsErrorToException(lOsError), lOsError, pszFileName);
}

void ThrowFileException(int cause, LONG lOsError, const char* pszFileName)
{
    throw new CFileException(cause, lOsError, pszFileName);
}

int LoadResourceString(UINT nId, LPSTR pszBuffer, UINT nMaxBuf)
{
    if (pszBuffer == NULL || nMaxBuf == 0)
        return 0;
    int nLen = ::LoadStringA(GetResourceModule(), nId, pszBuffer, (int)nMaxBuf);
    if (nLen > 0)
        return nLen;
    pszBuffer[0] = '\0';
    const char* pszBuiltIn = BuiltInString(nId);
    if (pszBuiltIn == NULL)
        return 0;
    size_t nCopy = strlen(pszBuiltIn);
    if (nCopy > nMaxBuf - 1)
        nCopy = nMaxBuf - 1;
    memcpy(pszBuffer, pszBuiltIn, nCopy);
    pszBuffer[nCopy] = '\0';
    return (int)nCopy;
}

void FormatStrings(CString& strOut, const char* pszFormat, const char* const* rgpsz, int nString)
{
    strOut.Empty();
    if (pszFormat == NULL)
        return;
    for (const char* p = pszFormat; *p != '\0';)
    {
        if (p[0] == '%' && ((p[1] >= '1' && p[1] <= '9') || (p[1] >= 'A' && p[1] <= 'Z')))
        {
            int i = (p[1] <= '9') ? p[1] - '1' : p[1] - 'A' + 9;
            if (i >= nString)
                strOut += '?';
            else if (rgpsz[i] != NULL)
                strOut += rgpsz[i];
            p += 2;
        }
        else if (::IsDBCSLeadByte((BYTE)*p) && p[1] != '\0')
        {
            strOut += p[0];
            strOut += p[1];
            p += 2;
        }
        else
        {
            strOut += *p++;
        }
    }
}

void FormatStringId(CString& strOut, UINT nIdFormat, const char* const* rgpsz, int nString)
{
    char szFormat[257];
    LoadResourceString(nIdFormat, szFormat, sizeof(szFormat));
    FormatStrings(strOut, szFormat, rgpsz, nString);
}

void FormatString1(CString& strOut, UINT nIdFormat, const char* psz1)
{
    FormatStringId(strOut, nIdFormat, &psz1, 1);
}

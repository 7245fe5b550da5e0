// The process-wide trace log.
#include "foundation/TraceFile.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Paths.h"
#include "foundation/Texts.h"

CTraceFile* g_pTraceFile = NULL;
int g_bTraceOn = 0;

namespace
{
const size_t kTextSize = 4024;
// Enough numbered names for every process that could hold one; the loop must end when none opens.
const int kMaxNumberedName = 100;

TraceSystemInfoProvider g_pfnSystemInfo = NULL;

class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CLock() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION& m_cs;
};
} // namespace

void SetTraceSystemInfoProvider(TraceSystemInfoProvider pfnProvider)
{
    g_pfnSystemInfo = pfnProvider;
}

CTraceFile::CTraceFile(const char* pszPath)
{
    ::InitializeCriticalSection(&m_lock);
    bool bDefault = (pszPath == NULL || *pszPath == '\0');
    CString strPath;
    if (bDefault)
    {
        strPath = GetTempFolder();
        strPath += FoundationText::kTraceName;
        strPath += ".";
        strPath += FoundationText::kTraceExtension;
    }
    else
    {
        strPath = pszPath;
    }
    UINT nFlags = bDefault ? (modeCreate | modeWrite | typeText) : (modeWrite | typeText);
    if (!OpenWithNumberedNames(strPath, nFlags))
        return;
    m_strPath = m_strFileName;
    try
    {
        // A reopened log keeps what it holds: new records go after the old ones.
        if (!bDefault)
            Seek(0, end);
    }
    catch (CFileException* e)
    {
        ShowFileError(m_strPath, e);
        return;
    }

    SYSTEMTIME st;
    ::GetLocalTime(&st);
    CString strInfo = g_pfnSystemInfo ? g_pfnSystemInfo() : CString();
    Write(FoundationText::kTraceHeader, st.wDay, st.wMonth, st.wYear, (const char*)strInfo);
    CString strName = FoundationText::kTraceFileName;
    strName += m_strPath;
    WriteText(strName);
}

CTraceFile::~CTraceFile()
{
    try
    {
        Close();
    }
    catch (CFileException* e)
    {
        delete e;
    }
    ::DeleteCriticalSection(&m_lock);
}

BOOL CTraceFile::OpenWithNumberedNames(const CString& strPath, UINT nFlags)
{
    CFileException error;
    if (Open(strPath, nFlags, &error))
        return TRUE;
    if (error.m_cause == CFileException::sharingViolation)
    {
        CString strBase = strPath;
        CString strExtension;
        int nDot = strPath.ReverseFind('.');
        int nSlash = strPath.ReverseFind('\\');
        if (nDot > nSlash)
        {
            strBase = strPath.Left(nDot);
            strExtension = strPath.Mid(nDot + 1);
        }
        for (int n = 2; n <= kMaxNumberedName && error.m_cause == CFileException::sharingViolation; ++n)
        {
            CString strNumbered;
            strNumbered.Format(FoundationText::kTraceNumberedName, (const char*)strBase, n,
                               (const char*)strExtension);
            if (Open(strNumbered, nFlags, &error))
                return TRUE;
        }
    }
    CFileException* pError = new CFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    ShowFileError(error.m_strFileName.IsEmpty() ? strPath : error.m_strFileName, pError);
    return FALSE;
}

void CTraceFile::ShowFileError(const CString& strPath, CFileException* pException)
{
    char szMessage[256];
    pException->GetErrorMessage(szMessage, sizeof(szMessage));
    delete pException;
    CString strText = FoundationText::kTraceErrorPrefix;
    strText += strPath;
    strText += FoundationText::kTraceErrorSuffix;
    strText += szMessage;
    AppMessageBox(strText, 0, NULL);
}

void CTraceFile::Write(const char* pszFormat, ...)
{
    if (m_hFile == NULL || pszFormat == NULL)
        return;
    char szText[kTextSize];
    va_list args;
    va_start(args, pszFormat);
    int n = vsnprintf(szText, sizeof(szText), pszFormat, args);
    va_end(args);
    if (n < 0)
        szText[0] = '\0';
    szText[sizeof(szText) - 1] = '\0';
    WriteRecord(szText);
}

void CTraceFile::WriteText(const char* pszText)
{
    if (m_hFile == NULL || pszText == NULL)
        return;
    char szText[kTextSize];
    size_t n = strlen(pszText);
    if (n > sizeof(szText) - 1)
        n = sizeof(szText) - 1;
    memcpy(szText, pszText, n);
    szText[n] = '\0';
    WriteRecord(szText);
}

BOOL CTraceFile::CopyTo(const char* pszPath)
{
    CLock lock(m_lock);
    if (m_hFile == NULL)
        return FALSE;
    // The log is held without sharing: it is closed for the copy and reopened at its end, all under the
    // writers' lock, so that the other threads only wait.
    BOOL bCopied = FALSE;
    try
    {
        Close();
        bCopied = ::CopyFileA(m_strPath, pszPath, FALSE);
        if (Open(m_strPath, modeWrite | typeText))
            Seek(0, end);
    }
    catch (CFileException* e)
    {
        delete e;
    }
    return bCopied;
}

void CTraceFile::WriteRecord(const char* pszText)
{
    if (pszText[0] == '\r' && pszText[1] == '\n')
        pszText += 2;
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    // The whole record goes out in one write under the lock, so records of different threads never mix.
    char szRecord[kTextSize + 32];
    int nPrefix = snprintf(szRecord, sizeof(szRecord), FoundationText::kTraceRecordPrefix, st.wHour,
                           st.wMinute, st.wSecond, st.wMilliseconds);
    size_t nText = strlen(pszText);
    memcpy(szRecord + nPrefix, pszText, nText);
    UINT nRecord = (UINT)(nPrefix + nText);

    CFileException* pError = NULL;
    CString strPath;
    {
        CLock lock(m_lock);
        if (m_hFile == NULL)
            return;
        try
        {
            CFile::Write(szRecord, nRecord);
            Flush();
        }
        catch (CFileException* e)
        {
            pError = e;
            strPath = m_strPath;
            try
            {
                Close();
            }
            catch (CFileException* eClose)
            {
                delete eClose;
            }
        }
    }
    if (pError != NULL)
        ShowFileError(strPath, pError);
}

CString CTraceFile::GetFileName()
{
    return CFile::GetFileName();
}

CString CTraceFile::GetFilePath()
{
    return m_strPath;
}

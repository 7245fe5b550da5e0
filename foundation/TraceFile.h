// The process-wide trace log: timestamped records of what the program does with servers and databases.
#pragma once

#include "foundation/File.h"

class CTraceFile : public CFile
{
public:
    // With no path, opens (and empties) Trace.log in the temporary folder, or a numbered name when another
    // process holds it. With a path, reopens that existing file and appends to it.
    explicit CTraceFile(const char* pszPath = NULL);
    virtual ~CTraceFile();

    // One record per call, formatted printf-style; never pass text from outside as the format.
    void Write(const char* pszFormat, ...);
    // One record holding the text as it is (server traffic, paths).
    void WriteText(const char* pszText);

    // Copies what has been written so far to pszPath under the writers' lock; FALSE when the copy failed.
    BOOL CopyTo(const char* pszPath);
    virtual CString GetFileName();
    virtual CString GetFilePath();

private:
    BOOL OpenWithNumberedNames(const CString& strPath, UINT nFlags);
    void WriteRecord(const char* pszText);
    void ShowFileError(const CString& strPath, CFileException* pException);

    CRITICAL_SECTION m_lock;
    CString m_strPath;
};

// The trace object (null when there is none) and the trace switch (the server-command log setting).
// Writers trace only when both are set: see IsTraceOn().
extern CTraceFile* g_pTraceFile;
extern int g_bTraceOn;

inline bool IsTraceOn()
{
    return g_pTraceFile != NULL && g_bTraceOn != 0;
}

// The header's system information; OrbMail installs its own, the default gives an empty text.
typedef CString (*TraceSystemInfoProvider)();
void SetTraceSystemInfoProvider(TraceSystemInfoProvider pfnProvider);

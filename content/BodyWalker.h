// The body walker: reads the MIME structure of a stored message text directly, to write its text body into
// a file (mode 0) or to save, measure or list its attachments by name (mode 1).
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <vector>

// The compose code's preparation of a message's HTML for display (content-id links, charset, base target);
// without one the HTML is written as it is.
typedef void (*RewriteHtmlForViewProc)(CString& strHtml, const char* pszPagePath);
void SetRewriteHtmlForViewProc(RewriteHtmlForViewProc pfnProc);

// The process-wide event that serialises writes of temporary message files; none until the COM object
// makes it.
void SetTempFileEvent(HANDLE hEvent);
HANDLE GetTempFileEvent();

// The body of a part decoded by the Content-Transfer-Encoding of its header; unknown encodings are kept
// as they are.
CString DecodeByTransferEncoding(const CString& strHeader, const CString& strBody);
// Writes the decoded body to the path, its file name part made safe first.
void DecodePartBody(const CString& strHeader, const CString& strBody, const CString& strPath);

class CBodyWalker
{
public:
    // Errors put their text into strParseError and are raised as a pointer to it.
    CBodyWalker(CString& strParseError, int bSearch) : m_strParseError(strParseError), m_bSearch(bSearch) {}

    // 0 nothing found or cancelled, 1 done, 2 passed over.
    int ExtractPart(const CString& strMessage, CString* pTarget, int* pKind, int nMode, const char* pszName,
                    HWND* phList, int* pCancelled, int* pSize);

private:
    int WalkParts(CString& strBody, const CString& strHeader, CString& strType, CString strSubtype,
                  const CString& strPartName, int nDepth);
    int WalkPart(const CString& strHeader, const CString& strBody, const CString& strParentSubtype,
                 CString& strCollected, bool bPreambleOrLater, int nDepth);
    int SaveStep(const CString& strName, const CString& strHeader, const CString& strBody);
    int WriteResult(const CString& strText);
    void AddToList(const CString& strName);
    [[noreturn]] void Fail(const CString& strText);

    CString& m_strParseError;
    int m_bSearch;
    CString* m_pTarget = NULL;
    int* m_pKind = NULL;
    int m_nMode = 0;
    CString m_strName;
    HWND* m_phList = NULL;
    int* m_pCancelled = NULL;
    int* m_pSize = NULL;
    std::vector<CString> m_used; // names listed so far, so that repeated names are told apart
};

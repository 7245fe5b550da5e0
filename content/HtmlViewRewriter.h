// The rewriting of a message's HTML for the view file: charset META, base target, inline images as files
// and readable link targets. Portable, so that the native fuzz build can run it.
#pragma once

#include <atlstr.h>

#include "foundation/RegExp.h"

// The last tag of text[0, nLength): the last '>' and the last '<' before it, as the greedy pattern
// "^(.*)(<.*>)(.*)" takes them. nEnd is one past the '>'. False when there is no such pair.
bool FindLastHtmlTag(const char* pszText, int nLength, int& nStart, int& nEnd);
typedef bool (*FindHtmlTagProc)(const char* pszText, int nLength, int& nStart, int& nEnd);

CString BuildCharsetMeta(const char* pszCharset);
CString BuildViewHead(const char* pszCharset);

// A link target with its %XX escapes decoded where they stand for printable ASCII. Escapes of '"', '<'
// and '>' stay: decoded, they would end the attribute and let the target write markup of its own.
CString DecodeLinkTarget(const CString& strTarget);

class CHtmlViewRewriter
{
public:
    CHtmlViewRewriter(const char* pszCharset, bool bReplaceCharset);
    virtual ~CHtmlViewRewriter() {}

    // Walks the tags from the last to the first and rewrites them; text without tags comes back as it is.
    CString Rewrite(const CString& strHtml, FindHtmlTagProc pfnFindTag = FindLastHtmlTag);

    // The file an inline part of that Content-ID was written to; false leaves the "cid:" reference.
    virtual bool WriteContentIdPart(const CString& strId, CString& strPath)
    {
        (void)strId;
        (void)strPath;
        return false;
    }

private:
    CString RewriteTag(const CString& strTag);

    CString m_strCharset;
    bool m_bReplaceCharset;
    bool m_bInHead = false;
    bool m_bMetaMet = false;
    bool m_bBaseMet = false;
    bool m_bHeadMet = false;
    // Compiled once per rewriter: a newsletter has tens of thousands of tags.
    CRegExp m_cid;
    CRegExp m_link;
    CRegExp m_meta;
    CRegExp m_charset;
    CRegExp m_base;
};

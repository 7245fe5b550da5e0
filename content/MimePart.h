// The part tree of a parsed message: a MIME entity with its sub-parts as a chain of children.
#pragma once

#include <atlstr.h>

#include <vector>

#include "content/MimeEntity.h"

struct CHtmlImages;

class CMimePart : public CMimeEntity
{
public:
    explicit CMimePart(const CString& strText);
    virtual ~CMimePart();

    CString GetHeaderDeep(const char* pszField, const char* pszParameter) const;
    // Depth first, this node first. A matching descendant's text (header, CRLF, body) goes to strPartText.
    bool FindPart(const char* pszField, const char* pszValue, CString& strPartText) const;
    bool IsMultipart() const;
    bool IsMessagePartial() const;
    bool IsMultipartAlternative() const;
    CString GetDecodedBody() const;
    CString GetBodyCharset() const;
    // The file name the part of that Content-ID is shown under; empty when there is no such part.
    CString FindByContentId(const char* pszId, CString& strHeader, CString& strBody,
                            const char* pszCharset) const;
    CString GetTextDatName() const;

#ifdef _WIN32
    // Display and attachment files.
    int GetBodyKind() const;
    CString ToHtml(CString& strOut, int nBodyKind, BOOL bMultipart, BOOL bAlternative, const char* pszCharset,
                   BOOL bConvert, BOOL bNoSeparator) const;
    bool IsInline() const;
    BOOL SaveAttachments(const char* pszFolder, BOOL bFound, const char* pszCharset) const;
    BOOL HasAttachments() const;
#endif

    // Each child keeps its own header and body (FindPart joins them again): the raw text of a sub-part is
    // not kept a second time, which for a large attachment would be as large as the message.
    CMimePart* m_pFirstChild = NULL;
    CMimePart* m_pNextSibling = NULL;

    // Deeper nesting than this is kept as the body of the innermost part.
    enum
    {
        kMaxDepth = 64
    };

private:
    CMimePart(const CString& strText, int nDepth, bool bPreamble);
    // A sub-part cut out of its parent's body: its body is taken from the piece instead of copied.
    CMimePart(CString&& strText, int nDepth, bool bPreamble);
    void Split(int nDepth);
    CString GetHeaderDeep(const char* pszField, const char* pszParameter, int nDepth) const;
#ifdef _WIN32
    CString ToHtmlNode(CString& strOut, int nBodyKind, BOOL bMultipart, BOOL bAlternative,
                       const char* pszCharset, BOOL bConvert, BOOL bNoSeparator, CHtmlImages& images) const;
    void SaveAttachmentsNode(const char* pszFolder, BOOL& bFound, const CString& strCharset,
                             std::vector<CString>& written) const;
#endif

    CMimePart(const CMimePart&) = delete;
    CMimePart& operator=(const CMimePart&) = delete;
};

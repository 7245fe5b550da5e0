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
    // bLeavesOnly: a tree read for its leaves (the attachments of a message being stored), whose parts with
    // sub-parts keep no body, so a large attachment is not held again by every level above it. strText must
    // outlive the construction only.
    CMimePart(const CString& strText, bool bLeavesOnly);
    virtual ~CMimePart();

    CString GetHeaderDeep(const char* pszField, const char* pszParameter) const;
    // Depth first, this node first. The matching node's text (header, CRLF, body) goes to strPartText.
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

    // A child's own text is its header, CR LF and body: the parent keeps no second copy of it.
    CMimePart* m_pFirstChild = NULL;
    CMimePart* m_pNextSibling = NULL;

    // Deeper nesting than this is kept as the body of the innermost part.
    enum
    {
        kMaxDepth = 64
    };

private:
    // A part read in place from its parent's body.
    CMimePart(const char* p, int n, int nDepth, bool bPreamble, bool bLeavesOnly);
    // Parses the sub-parts in place in body, which is this part's body; with bLeavesOnly, a part that has
    // none copies body to m_strBody, which is empty until then.
    void Split(int nDepth, std::string_view body, bool bLeavesOnly);
    void Divide(int nDepth, std::string_view body, bool bLeavesOnly);
    void ParseTree(const char* p, int n, int nDepth, bool bFieldsOnly, bool bCrLfOnly, bool bLeavesOnly);
    CString GetHeaderDeep(const char* pszField, const char* pszParameter, int nDepth) const;
#ifdef _WIN32
    CString ToHtmlNode(CString& strOut, int nBodyKind, BOOL bMultipart, BOOL bAlternative,
                       const char* pszCharset, BOOL bConvert, BOOL bNoSeparator, CHtmlImages& images) const;
#endif

    CMimePart(const CMimePart&) = delete;
    CMimePart& operator=(const CMimePart&) = delete;
};

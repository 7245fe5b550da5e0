// The part tree: the split of multipart bodies into children and the look-ups over the tree.
#include "content/MimePart.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

#include "content/AttachmentName.h"
#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"

CMimePart::CMimePart(const CString& strText) : CMimePart(strText, false)
{
}

CMimePart::CMimePart(const CString& strText, bool bLeavesOnly)
{
    ParseTree(strText, strText.GetLength(), 0, true, false, bLeavesOnly);
}

CMimePart::CMimePart(const char* p, int n, int nDepth, bool bPreamble, bool bLeavesOnly)
{
    // A preamble is no part: it is kept as header text, so that it is never shown as a body. The parent's
    // body has CR LF line ends only, and so has every piece of it.
    ParseTree(p, n, nDepth, !bPreamble, true, bLeavesOnly);
}

void CMimePart::ParseTree(const char* p, int n, int nDepth, bool bFieldsOnly, bool bCrLfOnly,
                          bool bLeavesOnly)
{
    std::string_view body;
    Parse(p, n, bFieldsOnly, bCrLfOnly, bLeavesOnly ? &body : NULL);
    // A body left in place is read from there; one Parse had to copy (other line ends) is in m_strBody.
    if (body.data() != NULL)
        Split(nDepth, body, true);
    else
        Split(nDepth, std::string_view(m_strBody, m_strBody.GetLength()), false);
}

CMimePart::~CMimePart()
{
    // The chain is freed in a loop: a message with thousands of parts must not recurse that deep.
    CMimePart* pChild = m_pFirstChild;
    while (pChild != NULL)
    {
        CMimePart* pNext = pChild->m_pNextSibling;
        pChild->m_pNextSibling = NULL;
        delete pChild;
        pChild = pNext;
    }
}

void CMimePart::Split(int nDepth, std::string_view body, bool bLeavesOnly)
{
    Divide(nDepth, body, bLeavesOnly);
    if (bLeavesOnly && m_pFirstChild == NULL)
        m_strBody = CString(body.data(), (int)body.size());
}

void CMimePart::Divide(int nDepth, std::string_view body, bool bLeavesOnly)
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    CString strBoundary = GetBoundary();
    if (strType != "multipart" || strBoundary.IsEmpty() || nDepth >= kMaxDepth)
        return;

    // The body is searched as though a line break stood before it, so that a delimiter on its first line
    // is found like the others; positions count that line break.
    const std::string strDelimiter = "\r\n--" + std::string(strBoundary, strBoundary.GetLength());
    const int nLength = (int)body.size() + 2;
    // Large parts are mostly base64 lines: a skipping search passes them without looking at each line.
    const std::boyer_moore_horspool_searcher searcher(strDelimiter.begin(), strDelimiter.end());
    auto at = [&](int i) { return i < 2 ? "\r\n"[i] : i - 2 < (int)body.size() ? body[i - 2] : '\0'; };
    auto findDelimiter = [&](int nFrom) -> int {
        if (nFrom == 0 && body.substr(0, strDelimiter.size() - 2) == std::string_view(strDelimiter).substr(2))
            return 0;
        const char* pFrom = body.data() + (nFrom < 2 ? 0 : nFrom - 2);
        const char* pAt = std::search(pFrom, body.data() + body.size(), searcher);
        return pAt == body.data() + body.size() ? -1 : (int)(pAt - body.data()) + 2;
    };
    CMimePart* pLast = NULL;
    int nPos = 0;
    for (;;)
    {
        int nNext = findDelimiter(nPos);
        int nEnd = nNext < 0 ? nLength : nNext;
        if (nEnd > nPos)
        {
            int nStart = nPos;
            if (at(nStart) == '\r' && at(nStart + 1) == '\n' && nEnd - nStart >= 2)
                nStart += 2;
            const char* pPiece = body.data() + nStart - 2;
            const int nPiece = nEnd - nStart;
            CMimePart* pChild = new CMimePart(pPiece, nPiece, nDepth + 1, nPos == 0, bLeavesOnly);
            if (pLast == NULL)
                m_pFirstChild = pChild;
            else
                pLast->m_pNextSibling = pChild;
            pLast = pChild;
        }
        if (nNext < 0)
            break;
        nPos = nNext + (int)strDelimiter.size();
        // Blanks after a delimiter are transport padding.
        if (!(at(nPos) == '-' && at(nPos + 1) == '-'))
            while (nPos < nLength && (at(nPos) == ' ' || at(nPos) == '\t'))
                nPos++;
        // The closing delimiter: what follows it is the epilogue, which is not a part.
        if (at(nPos) == '-' && at(nPos + 1) == '-')
            break;
    }
}

CString CMimePart::GetHeaderDeep(const char* pszField, const char* pszParameter) const
{
    return GetHeaderDeep(pszField, pszParameter, 0);
}

CString CMimePart::GetHeaderDeep(const char* pszField, const char* pszParameter, int nDepth) const
{
    CString strValue = GetHeader(pszField, pszParameter);
    if (!strValue.IsEmpty() || nDepth > kMaxDepth)
        return strValue;
    // The children were parsed from the sub-part texts, so they answer as a fresh parse of those would.
    for (const CMimePart* pChild = m_pFirstChild; pChild != NULL; pChild = pChild->m_pNextSibling)
    {
        strValue = pChild->GetHeaderDeep(pszField, pszParameter, nDepth + 1);
        if (!strValue.IsEmpty())
            return strValue;
    }
    return CString();
}

namespace
{
const CMimePart* FindNode(const CMimePart* pNode, const char* pszField, const char* pszValue)
{
    if (pNode->HasHeaderValue(pszField, pszValue))
        return pNode;
    for (const CMimePart* pChild = pNode->m_pFirstChild; pChild != NULL; pChild = pChild->m_pNextSibling)
    {
        const CMimePart* pFound = FindNode(pChild, pszField, pszValue);
        if (pFound != NULL)
            return pFound;
    }
    return NULL;
}
} // namespace

bool CMimePart::FindPart(const char* pszField, const char* pszValue, CString& strPartText) const
{
    const CMimePart* pFound = FindNode(this, pszField, pszValue);
    if (pFound == NULL)
        return false;
    // Also when this node matches: a single-part message is its own text part, and callers read its body
    // from this text.
    strPartText = pFound->m_strHeader + "\r\n" + pFound->m_strBody;
    return true;
}

bool CMimePart::IsMultipart() const
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    return strType == "multipart";
}

bool CMimePart::IsMessagePartial() const
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    return strType == "message" && strSubtype == "partial";
}

bool CMimePart::IsMultipartAlternative() const
{
    return FindNode(this, "content-type", "multipart/alternative") != NULL;
}

CString CMimePart::GetDecodedBody() const
{
    // Unknown encodings are shown and saved as they came, without asking.
    return DecodePartBodyText(GetHeader("content-transfer-encoding", ""), m_strBody);
}

CString CMimePart::GetBodyCharset() const
{
    const CMimePart* pFound = FindNode(this, "content-type", "text/html");
    if (pFound == NULL)
        pFound = FindNode(this, "content-type", "text/plain");
    CString strType, strSubtype;
    if (pFound == NULL)
    {
        // A message without a Content-Type is plain text too.
        GetContentType(strType, strSubtype);
        if (strType != "text" || strSubtype != "plain" || m_pFirstChild != NULL)
            return CString();
        pFound = this;
    }
    CString strCharset = pFound->GetHeaderDeep("content-type", "charset");
    strCharset.Remove('"');
    if (strCharset.IsEmpty())
    {
        // Plain text that names no charset but is valid UTF-8 was written in it: no legacy charset makes
        // such bytes.
        pFound->GetContentType(strType, strSubtype);
        if (strType == "text" && strSubtype == "plain")
        {
            CString strBody = pFound->GetDecodedBody();
            if (IsUtf8WithHighBytes(strBody, strBody.GetLength()))
                strCharset = "utf-8";
        }
    }
    return strCharset;
}

CString CMimePart::FindByContentId(const char* pszId, CString& strHeader, CString& strBody,
                                   const char* pszCharset) const
{
    const CMimePart* pFound = FindNode(this, "content-id", CString("<") + pszId + ">");
    if (pFound == NULL)
        pFound = FindNode(this, "content-id", pszId);
    if (pFound == NULL)
        return CString();
    CString strName = GetRawAttachmentName(*pFound);
    if (strName.IsEmpty())
        strName = pszId;
    strHeader = pFound->m_strHeader;
    strBody = pFound->m_strBody;
    return MakeAttachmentFileName(strName, pszCharset);
}

CString CMimePart::GetTextDatName() const
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    if (strType != "text" || strSubtype != "dat")
        return CString();
    CString strName = GetHeaderDeep("content-type", "name");
    strName.Remove('"');
    return strName;
}

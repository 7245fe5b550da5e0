// The part tree: the split of multipart bodies into children and the look-ups over the tree.
#include "content/MimePart.h"

#include "content/AttachmentName.h"
#include "content/TransferEncoding.h"

CMimePart::CMimePart(const CString& strText) : CMimePart(strText, 0, false) {}

CMimePart::CMimePart(const CString& strText, int nDepth, bool bPreamble)
{
    // A preamble is no part: it is kept as header text, so that it is never shown as a body.
    Parse(strText, !bPreamble);
    Split(nDepth);
}

CMimePart::CMimePart(CString&& strText, int nDepth, bool bPreamble)
{
    Parse(strText, !bPreamble, &strText);
    Split(nDepth);
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

void CMimePart::Split(int nDepth)
{
    CString strType, strSubtype;
    GetContentType(strType, strSubtype);
    CString strBoundary = GetBoundary();
    if (strType != "multipart" || strBoundary.IsEmpty() || nDepth >= kMaxDepth)
        return;

    const CString strDelimiter = "\r\n--" + strBoundary;
    // Positions count in the body as if a line end stood before it, so that a delimiter on its first line
    // is found like any other; the body itself is searched in place, never copied whole.
    const CString& strBody = m_strBody;
    const int nLength = strBody.GetLength() + 2;
    auto findDelimiter = [&](int nFrom) -> int {
        if (nFrom == 0 && strBody.Find(strDelimiter.Mid(2)) == 0)
            return 0;
        const int nFound = strBody.Find(strDelimiter, nFrom > 2 ? nFrom - 2 : 0);
        return nFound < 0 ? -1 : nFound + 2;
    };
    CMimePart* pLast = NULL;
    int nPos = 0;
    for (;;)
    {
        int nNext = findDelimiter(nPos);
        int nEnd = nNext < 0 ? nLength : nNext;
        if (nEnd > nPos)
        {
            // The piece without the line end that opens it.
            int nStart = nPos < 2 ? 0 : nPos - 2;
            if (nPos >= 2 && nEnd - nPos >= 2 && strBody.Mid(nStart, 2) == "\r\n")
                nStart += 2;
            CMimePart* pChild = new CMimePart(strBody.Mid(nStart, nEnd - 2 - nStart), nDepth + 1, nPos == 0);
            if (pLast == NULL)
                m_pFirstChild = pChild;
            else
                pLast->m_pNextSibling = pChild;
            pLast = pChild;
        }
        if (nNext < 0)
            break;
        nPos = nNext + strDelimiter.GetLength();
        // Blanks after a delimiter are transport padding.
        if (strBody.Mid(nPos - 2, 2) != "--")
            while (nPos < nLength && (strBody[nPos - 2] == ' ' || strBody[nPos - 2] == '\t'))
                nPos++;
        // The closing delimiter: what follows it is the epilogue, which is not a part.
        if (strBody.Mid(nPos - 2, 2) == "--")
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
    // The children were built from the part texts, so they answer as a fresh parse of them would.
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
    if (pFound != this)
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
    CString strText;
    return FindPart("content-type", "multipart/alternative", strText);
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
    if (pFound == NULL)
        return CString();
    CString strCharset = pFound->GetHeaderDeep("content-type", "charset");
    strCharset.Remove('"');
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

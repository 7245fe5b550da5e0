// One MIME entity: header section, unfolding, the field map and its parameter reader.
#include "content/MimeEntity.h"

#include <ctype.h>
#include <string.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <string>
#include <string_view>

namespace
{
bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// Fields whose value is free text: a ";" in them is text, and a folded line is joined with one blank.
bool IsTextField(const CString& strName)
{
    return strName == "subject" || strName == "from" || strName == "to" || strName == "cc";
}

bool EqualNoCase(const char* a, const char* b, int n)
{
    for (int i = 0; i < n; i++)
    {
        if (toupper((unsigned char)a[i]) != toupper((unsigned char)b[i]))
            return false;
    }
    return true;
}

// The CR of the next CR LF at or after p, or NULL.
const char* FindLineBreak(const char* p, const char* pEnd)
{
    while (p < pEnd)
    {
        const char* pCR = (const char*)memchr(p, '\r', pEnd - p);
        if (pCR == NULL || pCR + 1 >= pEnd)
            return NULL;
        if (pCR[1] == '\n')
            return pCR;
        p = pCR + 1;
    }
    return NULL;
}

// The length of the field name that starts the line, or -1 when the line is no field. Blanks may stand
// between the name and its colon (RFC 5322 4.5.3); *pnColon receives the colon's position.
int FieldNameLength(const char* p, int n, int* pnColon)
{
    int i = 0;
    while (i < n && p[i] != ':' && !IsBlankOrTab(p[i]) && p[i] != '\0')
        i++;
    const int nName = i;
    while (i < n && IsBlankOrTab(p[i]))
        i++;
    if (nName == 0 || i >= n || p[i] != ':')
        return -1;
    if (pnColon != NULL)
        *pnColon = i;
    return nName;
}

// A field, or a line that continues one: a line that starts with a blank or tab, also one that holds
// nothing else (obsolete folding, RFC 5322 4.2).
bool IsFieldLine(const char* p, int n)
{
    if (n > 0 && IsBlankOrTab(p[0]))
        return true;
    return FieldNameLength(p, n, NULL) > 0;
}

// The end of the header section of a CRLF text: the position of the CR LF before the empty line that ends
// it (or, with bFieldsOnly, before the first line after the first that is no field), -1 when the whole
// text is header. *pnBodyStart receives where the body starts.
int FindHeaderEnd(const char* p, int n, bool bFieldsOnly, int* pnBodyStart)
{
    // The first line is never tested: it always belongs to the header.
    const char* pEnd = p + n;
    for (const char* q = p;;)
    {
        const char* pBreak = FindLineBreak(q, pEnd);
        if (pBreak == NULL)
            return -1;
        const char* pLine = pBreak + 2;
        const char* pNext = FindLineBreak(pLine, pEnd);
        const int nLine = (int)((pNext == NULL ? pEnd : pNext) - pLine);
        if (nLine == 0)
        {
            *pnBodyStart = pNext == NULL ? n : (int)(pNext + 2 - p);
            return (int)(pBreak - p);
        }
        // A line that is no field and no continuation is body text that a sender wrote without the blank
        // line: the header ends before it, so no text is lost.
        if (bFieldsOnly && !IsFieldLine(pLine, nLine))
        {
            *pnBodyStart = (int)(pLine - p);
            return (int)(pBreak - p);
        }
        if (pNext == NULL)
            return -1;
        q = pNext;
    }
}

bool HasParameters(const CString& strName)
{
    return strName == "content-type" || strName == "content-disposition";
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

CString PercentDecode(const CString& strText)
{
    std::string out;
    const char* p = strText;
    int n = strText.GetLength();
    for (int i = 0; i < n; i++)
    {
        int hi, lo;
        if (p[i] == '%' && i + 2 < n && (hi = HexDigit(p[i + 1])) >= 0 && (lo = HexDigit(p[i + 2])) >= 0)
        {
            out.push_back((char)(hi * 16 + lo));
            i += 2;
        }
        else
            out.push_back(p[i]);
    }
    return CString(out.data(), (int)out.size());
}

// The value of an extended parameter without its leading "charset'language'".
CString StripCharsetPrefix(const CString& strValue)
{
    int nFirst = strValue.Find('\'');
    if (nFirst < 0)
        return strValue;
    int nSecond = strValue.Find('\'', nFirst + 1);
    return nSecond < 0 ? strValue : strValue.Mid(nSecond + 1);
}

// The header section of a CRLF text as the part tree and the field reader both read it: *pnHeader
// characters from the start (the last line's CR LF included), the body from *pnBody on. False when no line
// ends the header: all the text is header and its last line has no CR LF.
bool SplitHeaderSection(const char* p, int n, bool bFieldsOnly, int* pnHeader, int* pnBody)
{
    int nBodyStart = n;
    const int nEnd = FindHeaderEnd(p, n, bFieldsOnly, &nBodyStart);
    if (nEnd < 0)
    {
        *pnHeader = *pnBody = n;
        return false;
    }
    *pnHeader = nEnd + 2;
    *pnBody = nBodyStart;
    // A multipart text without its blank line: the header runs up to the delimiter line inside it.
    const std::string_view header(p, nEnd + 2);
    const size_t nDash = header.find("\r\n--");
    if (nDash == std::string_view::npos)
        return true;
    const CString strBoundary = CMimeEntity(CString(p, (int)nDash + 2)).GetBoundary();
    if (strBoundary.IsEmpty())
        return true;
    const std::string strLine = "\r\n--" + std::string(strBoundary, strBoundary.GetLength());
    size_t k = 0;
    if (header.substr(0, strLine.size() - 2) != std::string_view(strLine).substr(2))
    {
        k = header.find(strLine);
        if (k == std::string_view::npos)
            return true;
        k += 2;
    }
    *pnHeader = *pnBody = (int)k;
    return true;
}
} // namespace

void ParseParameterList(const CString& strValue, std::vector<CMimeParameter>& parameters)
{
    const char* p = strValue;
    const int n = strValue.GetLength();
    int i = 0;
    bool bMain = true;
    while (i <= n)
    {
        while (i < n && IsBlankOrTab(p[i]))
            i++;
        int nItem = i;
        int nEquals = -1;
        // The name part of an item (or the main value) ends at "=" or ";"; quotes only matter in values.
        bool bInQuotes = false;
        while (i < n && (bInQuotes || p[i] != ';'))
        {
            if (p[i] == '"')
                bInQuotes = !bInQuotes;
            else if (p[i] == '\\' && bInQuotes && i + 1 < n)
                i++;
            else if (p[i] == '=' && nEquals < 0 && !bMain && !bInQuotes)
            {
                nEquals = i;
                break;
            }
            i++;
        }
        CMimeParameter parameter;
        if (nEquals < 0)
        {
            parameter.m_strValue = strValue.Mid(nItem, i - nItem);
            parameter.m_strValue.Trim(" \t");
        }
        else
        {
            parameter.m_strName = strValue.Mid(nItem, nEquals - nItem);
            parameter.m_strName.Remove(' ');
            parameter.m_strName.Remove('\t');
            parameter.m_strName.MakeLower();
            i = nEquals + 1;
            while (i < n && IsBlankOrTab(p[i]))
                i++;
            int nStart = i;
            if (i < n && p[i] == '"')
            {
                i++;
                while (i < n && p[i] != '"')
                    i += (p[i] == '\\' && i + 1 < n) ? 2 : 1;
                if (i < n)
                    i++;
                parameter.m_strValue = strValue.Mid(nStart, i - nStart);
                // Whatever follows the closing quote up to the next ";" is not part of the value.
                while (i < n && p[i] != ';')
                    i++;
            }
            else
            {
                while (i < n && p[i] != ';')
                    i++;
                parameter.m_strValue = strValue.Mid(nStart, i - nStart);
                parameter.m_strValue.TrimRight(" \t");
            }
            if (parameter.m_strName.IsEmpty())
                parameter.m_strValue = strValue.Mid(nItem, i - nItem);
        }
        if (bMain || !parameter.m_strValue.IsEmpty() || !parameter.m_strName.IsEmpty())
            parameters.push_back(parameter);
        bMain = false;
        i++; // past the ";"
    }
}

CString UnquoteParameter(const CString& strValue)
{
    if (strValue.Find('"') < 0)
        return strValue;
    std::string out;
    const char* p = strValue;
    int n = strValue.GetLength();
    bool bInQuotes = false;
    for (int i = 0; i < n; i++)
    {
        if (p[i] == '"')
            bInQuotes = !bInQuotes;
        else if (p[i] == '\\' && bInQuotes && i + 1 < n && (p[i + 1] == '"' || p[i + 1] == '\\'))
            out.push_back(p[++i]); // only a quote or a backslash is escaped: Windows paths keep theirs
        else
            out.push_back(p[i]);
    }
    return CString(out.data(), (int)out.size());
}

// True when every CR is followed by LF and every LF follows a CR. Sixteen bytes are tested at a time: a
// large part costs about one pass at memory speed.
bool HasCrLfLineEndsOnly(const char* p, int n)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i vCR = _mm_set1_epi8('\r'), vLF = _mm_set1_epi8('\n');
    // Bit k of a mask marks byte k of the block: each LF must stand one bit after a CR, and a CR in the
    // block's last byte needs an LF first in the next.
    unsigned nCarry = 0;
    for (; i + 16 <= n; i += 16)
    {
        const __m128i v = _mm_loadu_si128((const __m128i*)(p + i));
        const unsigned nCR = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(v, vCR));
        const unsigned nLF = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(v, vLF));
        if (nLF != (((nCR << 1) & 0xFFFF) | nCarry))
            return false;
        nCarry = nCR >> 15;
    }
    if (nCarry && (i >= n || p[i] != '\n'))
        return false;
#endif
    for (; i < n; i++)
    {
        if (p[i] == '\r' && (i + 1 >= n || p[i + 1] != '\n'))
            return false;
        if (p[i] == '\n' && (i == 0 || p[i - 1] != '\r'))
            return false;
    }
    return true;
}

CString NormalizeLineEnds(const CString& strText)
{
    const char* p = strText;
    const int n = strText.GetLength();
    if (HasCrLfLineEndsOnly(p, n))
        return strText;
    std::string out;
    out.reserve(n + n / 16);
    for (int i = 0; i < n; i++)
    {
        if (p[i] == '\r')
        {
            out += "\r\n";
            if (i + 1 < n && p[i + 1] == '\n')
                i++;
        }
        else if (p[i] == '\n')
            out += "\r\n";
        else
            out.push_back(p[i]);
    }
    return CString(out.data(), (int)out.size());
}

CString ReadHeaderField(const CString& strText, const char* pszName, int nIndex)
{
    CString strName(pszName);
    strName.TrimRight(" :");
    const int nName = strName.GetLength();
    if (nName == 0 || nIndex < 0)
        return CString();

    // Only the header is brought to CRLF line ends: it ends at the first empty line in any convention.
    const char* p = strText;
    const int n = strText.GetLength();
    int nPrefix = n;
    for (int i = 0; i + 1 < n; i++)
    {
        if (p[i] == '\n' && (p[i + 1] == '\n' || (p[i + 1] == '\r' && (i + 2 >= n || p[i + 2] == '\n'))))
        {
            nPrefix = i + 1;
            break;
        }
        if (p[i] == '\r' && p[i + 1] == '\r')
        {
            nPrefix = i + 1;
            break;
        }
    }
    const CString strHeader = NormalizeLineEnds(nPrefix < n ? strText.Left(nPrefix) : strText);
    if (strHeader.Left(2) == "\r\n")
        return CString();
    const char* h = strHeader;
    int nEnd = 0, nBody = 0;
    SplitHeaderSection(h, strHeader.GetLength(), true, &nEnd, &nBody);

    // Fields are read as the part tree reads them: each line with its continuation lines, so that also a
    // colon that stands on a continuation line ends the name.
    CString strValue;
    std::string field;
    bool bField = false, bFound = false;
    int nSeen = 0;
    auto isAsked = [&]() {
        int nColon = 0;
        if (!bField || FieldNameLength(field.data(), (int)field.size(), &nColon) != nName ||
            !EqualNoCase(field.data(), strName, nName) || nSeen++ != nIndex)
            return false;
        strValue = CString(field.data() + nColon + 1, (int)field.size() - nColon - 1);
        return true;
    };
    for (int nPos = 0; nPos < nEnd && !bFound;)
    {
        const char* pBreak = FindLineBreak(h + nPos, h + nEnd);
        const int nLineEnd = pBreak == NULL ? nEnd : (int)(pBreak - h);
        const char* pLine = h + nPos;
        const int nLine = nLineEnd - nPos;
        nPos = nLineEnd + 2;
        if (nLine > 0 && IsBlankOrTab(pLine[0]))
        {
            // A line of blanks only (obsolete folding) adds nothing, as in the part tree's unfolding.
            int nBlanks = 0;
            while (nBlanks < nLine && IsBlankOrTab(pLine[nBlanks]))
                nBlanks++;
            if (bField && nBlanks < nLine)
                field.append(pLine, nLine);
            continue;
        }
        bFound = isAsked();
        field.assign(pLine, nLine);
        bField = true;
    }
    if (!bFound)
        isAsked();
    strValue.Replace('\t', ' ');
    strValue.Trim();
    return strValue;
}

CMimeEntity::CMimeEntity(const CString& strText)
{
    Parse(strText, strText.GetLength(), true, false);
}

void CMimeEntity::Parse(const char* pInput, int nInput, bool bFieldsOnly, bool bCrLfOnly,
                        std::string_view* pBody)
{
    if (pBody != NULL)
        *pBody = std::string_view();
    // Parts are read in place from their parent's body; only text with other line ends is copied.
    if (!bCrLfOnly && !HasCrLfLineEndsOnly(pInput, nInput))
    {
        const CString strText = NormalizeLineEnds(CString(pInput, nInput));
        Parse(strText, strText.GetLength(), bFieldsOnly, true);
        return;
    }
    const char* p = pInput;
    const int n = nInput;

    // A part that starts with its blank line has no header at all: everything after it is body.
    if (n >= 2 && p[0] == '\r' && p[1] == '\n')
    {
        if (pBody != NULL)
            *pBody = std::string_view(p + 2, n - 2);
        else
            m_strBody = CString(p + 2, n - 2);
        return;
    }

    int nHeaderLength = n, nBody = n;
    CString strHeader;
    if (!SplitHeaderSection(p, n, bFieldsOnly, &nHeaderLength, &nBody))
        strHeader = CString(p, n) + "\r\n";
    else
    {
        strHeader = CString(p, nHeaderLength);
        if (pBody != NULL)
            *pBody = std::string_view(p + nBody, n - nBody);
        else
            m_strBody = CString(p + nBody, n - nBody);
    }

    // Unfolding: continuation lines join their field, directly after a ";" (more parameters follow),
    // else after one blank.
    std::string unfolded;
    CString strFieldName;
    int nPos = 0;
    const int nHeader = strHeader.GetLength();
    while (nPos < nHeader)
    {
        int nLineEnd = strHeader.Find("\r\n", nPos);
        if (nLineEnd < 0)
            break;
        CString strLine = strHeader.Mid(nPos, nLineEnd - nPos);
        nPos = nLineEnd + 2;
        strLine.TrimRight(" \t");
        if (strLine.IsEmpty())
            continue;
        if (IsBlankOrTab(strLine[0]))
        {
            if (unfolded.empty())
                continue;
            strLine.TrimLeft(" \t");
            unfolded.resize(unfolded.size() - 2); // the previous line's CRLF
            if (unfolded.back() != ';' || IsTextField(strFieldName))
                unfolded.push_back(' ');
            unfolded.append((const char*)strLine, strLine.GetLength());
            unfolded += "\r\n";
            continue;
        }
        int nColon = strLine.Find(':');
        strFieldName = nColon < 0 ? CString() : strLine.Left(nColon);
        strFieldName.TrimRight(" \t");
        strFieldName.MakeLower();
        unfolded.append((const char*)strLine, strLine.GetLength());
        unfolded += "\r\n";
    }
    m_strHeader = CString(unfolded.data(), (int)unfolded.size());
    ParseFields();
}

void CMimeEntity::ParseFields()
{
    int nPos = 0;
    const int n = m_strHeader.GetLength();
    while (nPos < n)
    {
        int nLineEnd = m_strHeader.Find("\r\n", nPos);
        if (nLineEnd < 0)
            nLineEnd = n;
        CString strLine = m_strHeader.Mid(nPos, nLineEnd - nPos);
        nPos = nLineEnd + 2;
        int nColon = strLine.Find(':');
        if (nColon <= 0)
            continue;
        CString strName = strLine.Left(nColon);
        strName.TrimRight(" \t");
        if (strName.IsEmpty() || strName.FindOneOf(" \t") >= 0)
            continue;
        strName.MakeLower();
        CString strValue = strLine.Mid(nColon + 1);
        strValue.Trim(" \t");

        CMimeField field;
        field.m_strName = strName;
        m_fields.push_back(field);
        // Every occurrence of a field adds its values to the first entry of that name.
        CMimeField* pTarget = NULL;
        for (CMimeField& existing : m_fields)
        {
            if (existing.m_strName == strName)
            {
                pTarget = &existing;
                break;
            }
        }
        if (HasParameters(strName))
            ParseParameterList(strValue, pTarget->m_parameters);
        else
            pTarget->m_parameters.push_back(CMimeParameter{CString(), strValue});
    }
}

const CMimeField* CMimeEntity::FindField(const char* pszField) const
{
    for (const CMimeField& field : m_fields)
    {
        if (field.m_strName == pszField)
            return &field;
    }
    return NULL;
}

CString CMimeEntity::GetHeader(const char* pszField, const char* pszParameter) const
{
    const CMimeField* pField = FindField(pszField);
    if (pField == NULL)
        return CString();
    for (const CMimeParameter& parameter : pField->m_parameters)
    {
        if (parameter.m_strName == pszParameter)
            return parameter.m_strValue;
    }
    return CString();
}

bool CMimeEntity::HasHeaderValue(const char* pszField, const char* pszValue) const
{
    const CMimeField* pField = FindField(pszField);
    if (pField == NULL)
        return false;
    // Media types are case-insensitive; other values (Content-ID) compare exactly.
    bool bNoCase = strcmp(pszField, "content-type") == 0;
    for (const CMimeParameter& parameter : pField->m_parameters)
    {
        if (bNoCase ? parameter.m_strValue.CompareNoCase(pszValue) == 0 : parameter.m_strValue == pszValue)
            return true;
    }
    return false;
}

void CMimeEntity::GetContentType(CString& strType, CString& strSubtype) const
{
    CString strValue = GetHeader("content-type", "");
    if (strValue.IsEmpty())
        strValue = "text";
    int nSlash = strValue.Find('/');
    if (nSlash < 0)
    {
        strType = strValue;
        strSubtype.Empty();
    }
    else
    {
        strType = strValue.Left(nSlash);
        strSubtype = strValue.Mid(nSlash + 1);
    }
    strType.Trim(" \t");
    strSubtype.Trim(" \t");
    strType.MakeLower();
    strSubtype.MakeLower();
    if (strType == "text" && strSubtype.IsEmpty())
        strSubtype = "plain";
}

CString CMimeEntity::GetBoundary() const
{
    CString strBoundary = GetParameter("content-type", "boundary");
    strBoundary.Remove('"');
    return strBoundary;
}

CString CMimeEntity::GetParameter(const char* pszField, const char* pszParameter) const
{
    CString strPlain = GetHeader(pszField, pszParameter);
    if (!strPlain.IsEmpty())
        return UnquoteParameter(strPlain);
    CString strName(pszParameter);
    CString strExtended = GetHeader(pszField, strName + "*");
    if (!strExtended.IsEmpty())
        return PercentDecode(StripCharsetPrefix(UnquoteParameter(strExtended)));
    // Continuations: name*0, name*1, ... each optionally extended (name*0*).
    CString strJoined;
    for (int i = 0; i < 100; i++)
    {
        CString strIndex;
        strIndex.Format("*%d", i);
        CString strPiece = GetHeader(pszField, strName + strIndex);
        if (!strPiece.IsEmpty())
        {
            strJoined += UnquoteParameter(strPiece);
            continue;
        }
        strPiece = GetHeader(pszField, strName + strIndex + "*");
        if (strPiece.IsEmpty())
            break;
        strPiece = UnquoteParameter(strPiece);
        strJoined += PercentDecode(i == 0 ? StripCharsetPrefix(strPiece) : strPiece);
    }
    return strJoined;
}

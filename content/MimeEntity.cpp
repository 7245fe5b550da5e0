// One MIME entity: header section, unfolding, the field map and its parameter reader.
#include "content/MimeEntity.h"

#include <utility>

#include <string.h>

#include <string>

namespace
{
bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

bool IsWhiteSpaceOnly(const char* p, int n)
{
    for (int i = 0; i < n; i++)
    {
        if (!strchr(" \t\r\n\v\f", p[i]) || p[i] == '\0')
            return false;
    }
    return true;
}

// Fields whose value is free text: a ";" in them is text, and a folded line is joined with one blank.
bool IsTextField(const CString& strName)
{
    return strName == "subject" || strName == "from" || strName == "to" || strName == "cc";
}

bool IsFieldLine(const char* p, int n)
{
    if (n > 0 && IsBlankOrTab(p[0]))
        return true;
    for (int i = 0; i < n; i++)
    {
        if (p[i] == ':')
            return i > 0;
        if (IsBlankOrTab(p[i]) || p[i] == '\0')
            return false;
    }
    return false;
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

namespace
{
bool HasBareLineEnds(const CString& strText)
{
    const char* p = strText;
    const int n = strText.GetLength();
    for (int i = 0; i < n; i++)
    {
        if (p[i] == '\n' && (i == 0 || p[i - 1] != '\r'))
            return true;
        if (p[i] == '\r' && (i + 1 >= n || p[i + 1] != '\n'))
            return true;
    }
    return false;
}
} // namespace

CString NormalizeLineEnds(const CString& strText)
{
    const char* p = strText;
    const int n = strText.GetLength();
    if (!HasBareLineEnds(strText))
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

CMimeEntity::CMimeEntity(const CString& strText)
{
    Parse(strText, true);
}

void CMimeEntity::Parse(const CString& strInput, bool bFieldsOnly, CString* pTake)
{
    // Text with CRLF line ends throughout (nearly all) is read where it is: a large message is not copied.
    const CString strNormalized = HasBareLineEnds(strInput) ? NormalizeLineEnds(strInput) : CString();
    const CString& strText = strNormalized.IsEmpty() ? strInput : strNormalized;
    const char* p = strText;
    const int n = strText.GetLength();
    // The body is the text from nFrom on: taken over from the caller's copy when it may be, as the text
    // is no longer read after this.
    auto setBody = [&](int nFrom) {
        if (pTake != NULL && strNormalized.IsEmpty())
        {
            CString strTaken(std::move(*pTake));
            pTake->Empty();
            strTaken.Delete(0, nFrom);
            m_strBody = std::move(strTaken);
        }
        else
            m_strBody = strText.Mid(nFrom);
    };

    // A part that starts with its blank line has no header at all: everything after it is body.
    if (n >= 2 && p[0] == '\r' && p[1] == '\n')
    {
        setBody(2);
        return;
    }

    // The header ends at the first empty (or white-space-only) line after the first line.
    int nEnd = -1, nBodyStart = n;
    for (int nPos = 0;;)
    {
        int i = strText.Find("\r\n", nPos);
        if (i < 0)
            break;
        int j = strText.Find("\r\n", i + 2);
        int nLineEnd = j < 0 ? n : j;
        if (IsWhiteSpaceOnly(p + i + 2, nLineEnd - i - 2))
        {
            nEnd = i;
            nBodyStart = j < 0 ? n : j + 2;
            break;
        }
        // A line that is no field and no continuation is body text that a sender wrote without the blank
        // line: the header ends before it, so no text is lost.
        if (bFieldsOnly && !IsFieldLine(p + i + 2, nLineEnd - i - 2))
        {
            nEnd = i;
            nBodyStart = i + 2;
            break;
        }
        if (j < 0)
            break;
        nPos = j;
    }

    CString strHeader;
    if (nEnd < 0)
        strHeader = strText + "\r\n";
    else
    {
        strHeader = strText.Left(nEnd + 2);
        int nBody = nBodyStart;
        // A multipart text without its blank line: the header runs up to the first delimiter line.
        int nDash = strText.Find("\r\n--");
        if (nDash >= 0 && nDash < nEnd)
        {
            CMimeEntity head(strText.Left(nDash + 2));
            CString strBoundary = head.GetBoundary();
            int k = strBoundary.IsEmpty() ? -1 : strText.Find("--" + strBoundary);
            if (k >= 0)
            {
                strHeader = strText.Left(k);
                nBody = k;
            }
        }
        setBody(nBody);
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
        if (strName.FindOneOf(" \t") >= 0)
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

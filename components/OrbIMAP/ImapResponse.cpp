// The IMAP response reader.
#include "components/OrbIMAP/ImapResponse.h"

#include <algorithm>
#include <cstring>

#include "components/OrbIMAP/ImapError.h"

namespace
{

bool EqualsUpper(const std::string& text, const char* pszUpper)
{
    size_t i = 0;
    for (; pszUpper[i] != '\0'; ++i)
    {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != pszUpper[i])
            return false;
    }
    return i == text.size();
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

[[noreturn]] void Malformed(const char* pszWhat)
{
    throw CImapError(std::string("The server sent a malformed response: ") + pszWhat + ".");
}

} // namespace

bool CImapValue::IsAtom(const char* pszUpper) const
{
    return nKind == ATOM && EqualsUpper(strText, pszUpper);
}

bool CImapValue::AsNumber(uint32_t& nValue) const
{
    if (nKind != ATOM || strText.empty() || strText.size() > 10)
        return false;
    uint64_t n = 0;
    for (char c : strText)
    {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > 0xFFFFFFFFull)
        return false;
    nValue = static_cast<uint32_t>(n);
    return true;
}

void CImapResponseReader::Fill()
{
    if (m_bClosed)
        throw CImapError("The server closed the connection.", CImapError::CLOSED);
    char chunk[16384];
    const int n = m_pStream->Receive(chunk, sizeof(chunk), m_nTimeoutMs);
    if (n == -1)
        throw CImapError("The server has not responded in time.");
    if (n < 0)
        throw CImapError("The connection to the server failed.");
    if (n == 0)
    {
        m_bClosed = true;
        throw CImapError("The server closed the connection.", CImapError::CLOSED);
    }
    m_strBuffer.append(chunk, static_cast<size_t>(n));
}

bool CImapResponseReader::InputPending()
{
    if (m_bClosed || m_nPos < m_strBuffer.size())
        return true;
    char chunk[4096];
    const int n = m_pStream->Receive(chunk, sizeof(chunk), 0);
    if (n == -1)
        return false;
    if (n <= 0)
        m_bClosed = true;
    else
        m_strBuffer.append(chunk, static_cast<size_t>(n));
    return true;
}

char CImapResponseReader::Peek()
{
    while (m_nPos >= m_strBuffer.size())
        Fill();
    return m_strBuffer[m_nPos];
}

char CImapResponseReader::Next()
{
    const char c = Peek();
    ++m_nPos;
    CountLine();
    if (c != '\r' && c != '\n')
        m_strTrace += c;
    return c;
}

void CImapResponseReader::CountLine()
{
    if (++m_nLine > kMaxLine)
        throw CImapError("The server sent a line longer than the client accepts.");
}

void CImapResponseReader::FlushTrace()
{
    if (m_Trace)
        m_Trace(m_strTrace);
    m_strTrace.clear();
}

void CImapResponseReader::ExpectLineEnd()
{
    char c = Next();
    if (c == '\r')
        c = Next();
    if (c != '\n')
        Malformed("a line does not end where it should");
    FlushTrace();
}

std::string CImapResponseReader::Atom()
{
    std::string atom;
    for (;;)
    {
        const char c = Peek();
        if (c == ' ' || c == '(' || c == ')' || c == '\r' || c == '\n' || c == '"' || c == '{')
            break;
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            Malformed("a control character in an atom");
        atom += Next();
    }
    return atom;
}

std::string CImapResponseReader::RestOfLine()
{
    std::string text;
    while (Peek() != '\r' && Peek() != '\n')
        text += Next();
    ExpectLineEnd();
    return text;
}

void CImapResponseReader::Quoted(CImapValue& value)
{
    Next();
    for (;;)
    {
        char c = Next();
        if (c == '"')
            break;
        if (c == '\r' || c == '\n')
            Malformed("a quoted string runs past its line");
        if (c == '\\')
            c = Next();
        value.strText += c;
    }
}

void CImapResponseReader::Literal(CImapValue& value)
{
    Next();
    uint64_t nSize = 0;
    int nDigits = 0;
    while (Peek() >= '0' && Peek() <= '9')
    {
        nSize = nSize * 10 + static_cast<uint64_t>(Next() - '0');
        if (nSize > kMaxLiteral)
            throw CImapError("The server announced a literal larger than the client accepts.");
        ++nDigits;
    }
    if (nDigits == 0 || Next() != '}')
        Malformed("a literal's size is not a number");
    ExpectLineEnd();
    m_strTrace = "<literal of " + std::to_string(nSize) + " bytes>";
    value.bLiteral = true;
    // The bytes are taken as they come: a size alone reserves nothing.
    while (value.strText.size() < nSize)
    {
        if (m_nPos >= m_strBuffer.size())
            Fill();
        const size_t nTake = std::min<size_t>(m_strBuffer.size() - m_nPos, nSize - value.strText.size());
        value.strText.append(m_strBuffer, m_nPos, nTake);
        m_nPos += nTake;
    }
    m_nLine = 0;
}

CImapValue CImapResponseReader::Value(int nDepth)
{
    if (++m_nValues > kMaxValues)
        throw CImapError("The server sent a response with more values than the client accepts.");
    CImapValue value;
    const char c = Peek();
    if (c == '(')
    {
        if (nDepth >= kMaxDepth)
            throw CImapError("The server sent lists nested deeper than the client accepts.");
        Next();
        value.nKind = CImapValue::LIST;
        for (;;)
        {
            while (Peek() == ' ')
                Next();
            if (Peek() == ')')
            {
                Next();
                break;
            }
            if (Peek() == '\r' || Peek() == '\n')
                Malformed("a list is not closed");
            value.items.push_back(Value(nDepth + 1));
        }
    }
    else if (c == '"')
    {
        value.nKind = CImapValue::STRING;
        Quoted(value);
    }
    else if (c == '{')
    {
        value.nKind = CImapValue::STRING;
        Literal(value);
    }
    else
    {
        value.strText = Atom();
        if (value.strText.empty())
            Malformed("a value is missing");
        if (value.IsAtom("NIL"))
        {
            value.nKind = CImapValue::NIL;
            value.strText.clear();
        }
    }
    return value;
}

CImapResponse CImapResponseReader::Read()
{
    m_strBuffer.erase(0, m_nPos);
    m_nPos = 0;
    m_nLine = 0;
    m_nValues = 0;
    m_strTrace.clear();

    CImapResponse response;
    response.strTag = Atom();
    if (response.strTag.empty())
        Malformed("a response has no tag");
    if (response.strTag == "+")
    {
        if (Peek() == ' ')
            Next();
        response.strText = RestOfLine();
        return response;
    }
    if (Next() != ' ')
        Malformed("a tag is not followed by a blank");

    const bool bTagged = response.strTag != "*";
    std::string first = Atom();
    const std::string upper = Upper(first);
    if (upper == "OK" || upper == "NO" || upper == "BAD" || (!bTagged && (upper == "BYE" || upper == "PREAUTH")))
    {
        response.strStatus = upper;
        if (Peek() == ' ')
            Next();
        response.strText = RestOfLine();
        return response;
    }
    if (bTagged)
        Malformed("a tagged response has no status");

    if (!first.empty())
    {
        CImapValue value;
        value.strText = first;
        response.values.push_back(value);
    }
    for (;;)
    {
        const char c = Peek();
        if (c == '\r' || c == '\n')
        {
            ExpectLineEnd();
            break;
        }
        if (c == ' ')
        {
            Next();
            continue;
        }
        response.values.push_back(Value(0));
    }
    if (response.values.empty())
        Malformed("an untagged response is empty");
    return response;
}

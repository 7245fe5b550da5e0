// What the POP3 and SMTP clients make of the bytes a mail server sends: CRLF lines, replies and listings.
#include "transport/ReplyReader.h"

#include <climits>
#include <cstring>

namespace
{
// Above this a listed size is no longer believed enough to reserve for: the text grows as it comes.
const size_t kMaxReservation = 256u * 1024 * 1024;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

char* CLineReader::Space(size_t nLength)
{
    Received(0);
    // Taken lines are dropped only once they fill half the buffer: dropping them on every receive would
    // move a long open line again and again.
    if (m_nStart > 0 && m_nStart >= m_strBuffer.size() - m_nStart)
    {
        m_strBuffer.erase(0, m_nStart);
        m_nStart = 0;
    }
    const size_t nOld = m_strBuffer.size();
    m_nRoom = nLength + 1;
    m_strBuffer.resize(nOld + m_nRoom);
    return &m_strBuffer[nOld];
}

void CLineReader::Received(size_t nCount)
{
    if (m_nRoom == 0)
        return;
    m_strBuffer.resize(m_strBuffer.size() - m_nRoom + (nCount < m_nRoom ? nCount : m_nRoom - 1));
    m_nRoom = 0;
}

void CLineReader::Append(const char* pData, size_t nLength)
{
    memcpy(Space(nLength), pData, nLength);
    Received(nLength);
}

CLineReader::Result CLineReader::NextLine(const char*& pLine, size_t& nLength, size_t nLimit)
{
    Received(0);
    // A CR at the end of the bytes searched before may be followed by the LF that just came.
    const size_t nFrom = m_nStart + (m_nScanned > 0 ? m_nScanned - 1 : 0);
    const size_t nEnd = m_strBuffer.find("\r\n", nFrom);
    if (nEnd == std::string::npos)
    {
        m_nScanned = m_strBuffer.size() - m_nStart;
        // A CR at the end may be the start of the line end: it does not count against the limit.
        const size_t nOpen = m_nScanned - (m_nScanned > 0 && m_strBuffer.back() == '\r' ? 1 : 0);
        return nLimit != 0 && nOpen > nLimit ? TOO_LONG : MORE;
    }
    if (nLimit != 0 && nEnd - m_nStart > nLimit)
    {
        m_nScanned = nEnd - m_nStart;
        return TOO_LONG;
    }
    pLine = m_strBuffer.data() + m_nStart;
    nLength = nEnd + 2 - m_nStart;
    m_nStart = nEnd + 2;
    m_nScanned = 0;
    return LINE;
}

CLineReader::Result CLineReader::NextLine(std::string& strLine, size_t nLimit)
{
    const char* pLine = NULL;
    size_t nLength = 0;
    const Result result = NextLine(pLine, nLength, nLimit);
    if (result == LINE)
        strLine.assign(pLine, nLength - 2);
    return result;
}

void CLineReader::Clear()
{
    m_strBuffer.clear();
    m_nStart = 0;
    m_nScanned = 0;
    m_nRoom = 0;
}

int ParseReplyNumber(const char* pszText)
{
    while (IsBlank(*pszText))
        ++pszText;
    bool bNegative = false;
    if (*pszText == '-' || *pszText == '+')
        bNegative = *pszText++ == '-';
    long long nValue = 0;
    for (; *pszText >= '0' && *pszText <= '9'; ++pszText)
    {
        if (nValue <= INT_MAX)
            nValue = nValue * 10 + (*pszText - '0');
    }
    if (bNegative)
        return nValue > INT_MAX ? INT_MIN : static_cast<int>(-nValue);
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}

namespace Pop3Reply
{
bool IsNegative(const std::string& strLine)
{
    return strLine.size() >= 4 && (strLine[0] == '-') && (strLine[1] == 'E' || strLine[1] == 'e') &&
           (strLine[2] == 'R' || strLine[2] == 'r') && (strLine[3] == 'R' || strLine[3] == 'r');
}

bool NextNumber(const std::string& strLine, size_t& pos, int& nValue)
{
    pos = strLine.find_first_of(" \t", pos);
    if (pos == std::string::npos)
        return false;
    while (pos < strLine.size() && IsBlank(strLine[pos]))
        ++pos;
    nValue = ParseReplyNumber(strLine.c_str() + pos);
    while (pos < strLine.size() && !IsBlank(strLine[pos]))
        ++pos;
    return true;
}

int ParseStat(const std::string& strLine, int& nCount, int& nSize)
{
    size_t pos = 0;
    if (!NextNumber(strLine, pos, nCount))
        return 0;
    return NextNumber(strLine, pos, nSize) ? 2 : 1;
}

int ParseListingLine(const std::string& strLine, int& nNumber, std::string& strValue)
{
    const size_t nStart = strLine.find_first_not_of(" \t");
    if (nStart == std::string::npos)
        return 0;
    const size_t nSep = strLine.find_first_of(" \t", nStart);
    if (nSep == std::string::npos)
        return -1;
    nNumber = ParseReplyNumber(strLine.c_str() + nStart);
    const size_t nValue = strLine.find_first_not_of(" \t", nSep);
    strValue = nValue == std::string::npos ? std::string() : strLine.substr(nValue);
    return 1;
}

size_t BodyReservation(int nListed)
{
    if (nListed <= 0)
        return 0;
    const size_t nWanted = static_cast<size_t>(nListed) + 2;
    return nWanted < kMaxReservation ? nWanted : kMaxReservation;
}

bool IsBodyEnd(const char* pLine, size_t nLength)
{
    return nLength == 3 && pLine[0] == '.';
}

size_t UnstuffedOffset(const char* pLine, size_t nLength)
{
    return nLength > 0 && pLine[0] == '.' ? 1 : 0;
}
} // namespace Pop3Reply

bool CSmtpReplyReader::AddLine(const std::string& strLine)
{
    m_strReply.append(strLine);
    m_strReply.append("\r\n");
    if (strLine.size() > 3 && strLine[3] == '-')
        return false;
    m_nCode = ParseReplyNumber(strLine.c_str());
    return true;
}

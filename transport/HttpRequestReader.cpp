// What the local HTTP server makes of the bytes a connection sends.
#include "transport/HttpRequestReader.h"

#include "foundation/RegExp.h"

void CHttpRequestReader::Append(const char* pData, size_t nLength)
{
    m_strPending.append(pData, nLength);
}

bool CHttpRequestReader::NextLine(std::string& strLine)
{
    const size_t nEnd = m_strPending.find("\r\n");
    if (nEnd == std::string::npos)
        return false;
    strLine.assign(m_strPending, 0, nEnd);
    m_strPending.erase(0, nEnd + 2);
    return true;
}

bool CHttpRequestReader::MatchRequest(const std::string& strLine, std::string& strNumber)
{
    strNumber.clear();
    // The matcher reads a C string: a line with a zero byte in it would be judged by its first part.
    if (strLine.find('\0') != std::string::npos)
        return false;
    // Anchored, so that a header line that merely contains such a text asks for nothing.
    CRegExp request("^GET /\\?([1234567890]*) .*", true);
    if (!request.Match(strLine.c_str()) || request.SubStrings() != 1)
        return false;
    const CString strDigits = request.GetSubString(1);
    if (static_cast<size_t>(strDigits.GetLength()) > kMaxDigits)
        return false;
    strNumber = static_cast<const char*>(strDigits);
    return true;
}

// What the local HTTP server makes of the bytes a connection sends: they are buffered, split at "\r\n",
// and each line is matched as a "GET /?<number> " request. Any local program can connect, so nothing here
// trusts the input.
#pragma once

#include <cstddef>
#include <string>

class CHttpRequestReader
{
public:
    // Pending text beyond this, with no line end in it, closes the connection.
    static const size_t kMaxPending = 8192;
    // The owner reads the number with "%d": more digits would overflow it.
    static const size_t kMaxDigits = 9;

    void Append(const char* pData, size_t nLength);
    // Takes the text before the first "\r\n" off the pending text; false when no whole line is there.
    bool NextLine(std::string& strLine);
    bool Overflowed() const { return m_strPending.size() > kMaxPending; }
    const std::string& Pending() const { return m_strPending; }

    // The digits of a request line "GET /?<digits> ..." (any case; the digits may be none); false for any
    // other line, and for more than kMaxDigits digits.
    static bool MatchRequest(const std::string& strLine, std::string& strNumber);

private:
    std::string m_strPending;
};

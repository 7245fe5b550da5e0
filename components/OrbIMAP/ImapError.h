// The failure of an IMAP call, with the text the caller shows (the server's own words where it gave any).
#pragma once

#include <stdexcept>
#include <string>

class CImapError : public std::runtime_error
{
public:
    enum Kind
    {
        FAILED,  // a malformed or oversized reply, silence, a refused input: the connection is closed
        CLOSED,  // the server closed the connection
        REFUSED, // the server answered NO or BAD; the connection is fine
    };

    explicit CImapError(const std::string& strText, Kind nKind = FAILED, const std::string& strStatus = "")
        : std::runtime_error(strText), m_nKind(nKind), m_strStatus(strStatus)
    {
    }

    Kind GetKind() const { return m_nKind; }
    bool Refused() const { return m_nKind == REFUSED; }
    // "NO" or "BAD" for a refusal.
    const std::string& Status() const { return m_strStatus; }

private:
    Kind m_nKind;
    std::string m_strStatus;
};

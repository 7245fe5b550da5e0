// What the POP3 and SMTP clients make of the bytes a mail server sends: CRLF lines, replies and listings.
// Kept apart from the sockets, so that every byte a hostile server could send can be tried on it.
#pragma once

#include <cstddef>
#include <string>

class CLineReader
{
public:
    // A status, listing or reply line longer than this has no end coming: a server that sends one is broken
    // or hostile. Message body lines have no limit (an 8 MB line is valid mail).
    static const size_t kMaxLine = 65536;

    enum Result
    {
        LINE,     // a whole line was taken
        MORE,     // no whole line yet: receive more
        TOO_LONG, // the open line passed its limit
    };

    CLineReader() : m_nStart(0), m_nScanned(0), m_nRoom(0) {}

    // Room for nLength bytes after the pending text (and one more, for a terminating zero); Received says
    // how many arrived there. Only the bytes after those already searched are searched again.
    char* Space(size_t nLength);
    void Received(size_t nCount);
    void Append(const char* pData, size_t nLength);

    // The next line without its CRLF. nLimit 0: no limit.
    Result NextLine(std::string& strLine, size_t nLimit = kMaxLine);
    // The same, as a view into the pending text, CRLF included; valid until the next Space or Append.
    Result NextLine(const char*& pLine, size_t& nLength, size_t nLimit);

    size_t PendingSize() const { return m_strBuffer.size() - m_nStart; }
    std::string Pending() const { return m_strBuffer.substr(m_nStart); }
    void Clear();

private:
    std::string m_strBuffer;
    size_t m_nStart;   // the first byte not yet taken as a line
    size_t m_nScanned; // bytes from m_nStart on that hold no line end
    size_t m_nRoom;    // bytes given out by Space and not yet accounted for
};

// A decimal number at the start of the text (leading blanks and a sign allowed), held to the range of an
// int: a number a server sends never overflows the client.
int ParseReplyNumber(const char* pszText);

// The parts of POP3 replies that the client reads.
namespace Pop3Reply
{
bool IsNegative(const std::string& strLine);
// The number after the first separator at or after pos (blanks skipped); pos moves past it. False when no
// separator follows pos.
bool NextNumber(const std::string& strLine, size_t& pos, int& nValue);
// "+OK count size": how many of the two numbers the line gives.
int ParseStat(const std::string& strLine, int& nCount, int& nSize);
// One line of a LIST or UIDL listing after its dot-unstuffing: 1 with the number and the rest of the line,
// 0 for a blank line, -1 for a line without a separator.
int ParseListingLine(const std::string& strLine, int& nNumber, std::string& strValue);
// What to reserve for a message whose listed size is nListed: a size is the server's hint, never trusted.
size_t BodyReservation(int nListed);
// A body line with its CRLF: the line "." ends the message; any other line that starts with a dot had it
// doubled by the server, and the message holds it from the offset on.
bool IsBodyEnd(const char* pLine, size_t nLength);
size_t UnstuffedOffset(const char* pLine, size_t nLength);
} // namespace Pop3Reply

// An SMTP reply taken line by line: "250-..." lines go on, the first line whose code is not followed by '-'
// ends it. A server that never ends its reply is cut off at kMaxReply.
class CSmtpReplyReader
{
public:
    static const size_t kMaxReply = 1024 * 1024;

    // True when the line ended the reply: its code is then in Code().
    bool AddLine(const std::string& strLine);
    bool TooLong() const { return m_strReply.size() > kMaxReply; }
    int Code() const { return m_nCode; }
    // The reply's lines, each with its CRLF.
    const std::string& Text() const { return m_strReply; }
    void Clear()
    {
        m_strReply.clear();
        m_nCode = 0;
    }

private:
    std::string m_strReply;
    int m_nCode = 0;
};

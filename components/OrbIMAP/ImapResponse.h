// Reads IMAP server responses off a byte stream: tags, status texts, atoms, strings, literals and lists.
// Everything a server sends is untrusted: lines, literals and nesting are capped, and buffers grow with
// the bytes that arrive, never with a size the server announces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/OrbIMAP/ImapStream.h"

struct CImapValue
{
    enum Kind
    {
        ATOM,
        STRING, // quoted or literal
        NIL,
        LIST,
    };
    Kind nKind = ATOM;
    bool bLiteral = false;
    std::string strText;
    std::vector<CImapValue> items;

    bool IsAtom(const char* pszUpper) const;
    // A number of at most 32 bits (no sign): false for anything else.
    bool AsNumber(uint32_t& nValue) const;
};

struct CImapResponse
{
    std::string strTag;    // "*" untagged, "+" continuation, else the command's tag
    std::string strStatus; // OK, NO, BAD, BYE or PREAUTH in capitals; empty for data responses
    std::string strText;   // the status or continuation text, as sent
    std::vector<CImapValue> values; // a data response's values after the tag

    bool IsStatus() const { return !strStatus.empty(); }
};

class CImapResponseReader
{
public:
    static const size_t kMaxLine = 64 * 1024;
    static const uint64_t kMaxLiteral = 128ull * 1024 * 1024;
    static const int kMaxDepth = 40;
    static const size_t kMaxValues = 4 * 1024 * 1024;

    explicit CImapResponseReader(CImapStream* pStream) : m_pStream(pStream) {}

    void SetTimeout(int nMilliseconds) { m_nTimeoutMs = nMilliseconds; }
    // Each response line as it came, literals by size, for the "Receive>" trace.
    void SetTrace(std::function<void(const std::string&)> trace) { m_Trace = std::move(trace); }

    // One whole response. Throws CImapError when the stream closes or falls silent, or the response is
    // malformed or past a cap; the reader is then of no further use.
    CImapResponse Read();
    // True when bytes are waiting or the peer has closed, without waiting; Read then does not block on
    // an idle connection.
    bool InputPending();

private:
    char Peek();
    char Next();
    void Fill();
    void CountLine();
    void ExpectLineEnd();
    std::string Atom();
    std::string RestOfLine();
    CImapValue Value(int nDepth);
    void Literal(CImapValue& value);
    void Quoted(CImapValue& value);
    void FlushTrace();

    CImapStream* m_pStream;
    int m_nTimeoutMs = 60000;
    std::string m_strBuffer;
    size_t m_nPos = 0;
    size_t m_nLine = 0;   // bytes of the current line so far, literals not counted
    size_t m_nValues = 0; // values of the current response
    bool m_bClosed = false;
    std::string m_strTrace;
    std::function<void(const std::string&)> m_Trace;
};

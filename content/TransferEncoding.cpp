// MIME transfer encodings (base64, quoted-printable) and the header codecs the parser and builders share.
#include "content/TransferEncoding.h"

#include <cctype>
#include <cstring>
#include <istream>
#include <ostream>

#include "content/ContentTexts.h"

namespace
{

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct Base64Table
{
    unsigned char value[256];
    Base64Table()
    {
        memset(value, 255, sizeof(value));
        for (int i = 0; i < 64; ++i)
            value[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<unsigned char>(i);
    }
};
const Base64Table kBase64Table;

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Base64 state that survives line ends, so a group split over two lines still decodes. Bytes leave as
// soon as their bits are in. A "=" ends a group only where padding belongs (after two or three
// characters, completing four); anywhere else it is skipped as python's decoder does, so a stray one
// does not shift the groups after it. Data after a completed pad starts a new group: some mailers join
// encodings.
class CBase64Decoder
{
public:
    template <typename Sink> void Put(const char* p, size_t n, Sink&& sink)
    {
        for (size_t i = 0; i < n; ++i)
        {
            const char c = p[i];
            if (c == '=')
            {
                if (m_count >= 2 && m_count + ++m_padding >= 4)
                    Reset();
                continue;
            }
            const unsigned char v = kBase64Table.value[static_cast<unsigned char>(c)];
            if (v == 255)
                continue; // line breaks, blanks and stray characters carry nothing (RFC 2045 6.8)
            m_padding = 0;
            switch (m_count++)
            {
            case 0:
                m_bits = v;
                break;
            case 1:
                sink(static_cast<char>((m_bits << 2) | (v >> 4)));
                m_bits = v & 0x0F;
                break;
            case 2:
                sink(static_cast<char>((m_bits << 4) | (v >> 2)));
                m_bits = v & 0x03;
                break;
            default:
                sink(static_cast<char>((m_bits << 6) | v));
                Reset();
                break;
            }
        }
    }
    // Between groups: four valid characters in a row may be decoded as one, bypassing Put.
    bool AtGroupStart() const { return m_count == 0; }
    // A last group that lost its padding has already given its whole bytes; six lone bits carry none.
    template <typename Sink> void Finish(Sink&&)
    {
        Reset();
    }

private:
    void Reset()
    {
        m_bits = 0;
        m_count = m_padding = 0;
    }

    unsigned m_bits = 0;
    int m_count = 0;
    int m_padding = 0;
};

// Length of a soft line break at p ("=" already consumed): optional transport padding, then CR LF,
// a bare LF or a lone CR. 0 when what follows is not a line end.
size_t SoftBreakLength(const char* p, const char* end)
{
    const char* q = p;
    while (q < end && IsBlank(*q))
        ++q;
    if (q < end && *q == '\r')
        return (q + 1 < end && q[1] == '\n') ? q - p + 2 : q - p + 1;
    if (q < end && *q == '\n')
        return q - p + 1;
    return 0;
}

// "--" + boundary, the closing "--", transport padding and the line end, nothing else: a line that only
// begins with the marker may be the delimiter of a nested part whose boundary extends this one.
bool IsBoundaryLine(const std::string& line, const CString& marker)
{
    const size_t n = static_cast<size_t>(marker.GetLength());
    if (line.compare(0, n, marker) != 0)
        return false;
    size_t i = n;
    if (line.compare(i, 2, "--") == 0)
        i += 2;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '\r')
        ++i;
    return i == line.size() || (line[i] == '\n' && i + 1 == line.size());
}

CString ToCString(const std::string& s)
{
    return CString(s.data(), static_cast<int>(s.size()));
}

CString Trimmed(const CString& s)
{
    CString t(s);
    t.Trim();
    return t;
}

// The text with its parenthesised comments (nested, with quoted pairs) left out; quoted strings are kept.
CString WithoutComments(const CString& text)
{
    CString result;
    int depth = 0;
    bool inQuotes = false;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        if (c == '\\' && (depth > 0 || inQuotes) && i + 1 < text.GetLength())
        {
            if (depth == 0)
                result += text.Mid(i, 2);
            ++i;
            continue;
        }
        if (depth == 0 && c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && c == '(')
        {
            ++depth;
            continue;
        }
        else if (depth > 0 && c == ')')
        {
            --depth;
            continue;
        }
        if (depth == 0)
            result += c;
    }
    return result;
}

// The value of an RFC 2231 parameter: what follows charset'language', with its %XX escapes decoded.
CString DecodeExtendedValue(const CString& value)
{
    const int first = value.Find('\'');
    const int second = first < 0 ? -1 : value.Find('\'', first + 1);
    const CString text = second < 0 ? value : value.Mid(second + 1);
    CString decoded;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        int hi, lo;
        if (text[i] == '%' && i + 2 < text.GetLength() && (hi = HexValue(text[i + 1])) >= 0 &&
            (lo = HexValue(text[i + 2])) >= 0)
        {
            decoded += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        else
            decoded += text[i];
    }
    return decoded;
}

} // namespace

bool IsBase64Char(char c)
{
    return c == '=' || kBase64Table.value[static_cast<unsigned char>(c)] != 255;
}

unsigned char Base64CharValue(char c)
{
    return kBase64Table.value[static_cast<unsigned char>(c)];
}

std::string DecodeBase64Bytes(const char* data, size_t length)
{
    // Every four input characters give at most three bytes.
    std::string out(length / 4 * 3 + 3, '\0');
    char* o = &out[0];
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    CBase64Decoder decoder;
    auto sink = [&o](char c) { *o++ = c; };
    size_t i = 0;
    while (i < length)
    {
        if (decoder.AtGroupStart())
        {
            // Whole groups of alphabet characters, the bulk of every line; "=", line ends and strays
            // (all 255 in the table, above any value) go one at a time through the decoder.
            for (; i + 4 <= length; i += 4)
            {
                const unsigned v0 = kBase64Table.value[p[i]], v1 = kBase64Table.value[p[i + 1]],
                               v2 = kBase64Table.value[p[i + 2]], v3 = kBase64Table.value[p[i + 3]];
                if ((v0 | v1 | v2 | v3) & 0xC0)
                    break;
                const unsigned group = (v0 << 18) | (v1 << 12) | (v2 << 6) | v3;
                o[0] = static_cast<char>(group >> 16);
                o[1] = static_cast<char>(group >> 8);
                o[2] = static_cast<char>(group);
                o += 3;
            }
            if (i >= length)
                break;
        }
        decoder.Put(data + i, 1, sink);
        ++i;
    }
    decoder.Finish(sink);
    out.resize(o - out.data());
    return out;
}

size_t DecodedBase64Length(const char* data, size_t length)
{
    size_t count = 0;
    CBase64Decoder decoder;
    auto sink = [&count](char) { ++count; };
    decoder.Put(data, length, sink);
    decoder.Finish(sink);
    return count;
}

std::string DecodeQuotedPrintableBytes(const char* data, size_t length)
{
    // Decoding never lengthens the text.
    std::string out(length, '\0');
    char* o = &out[0];
    const char* p = data;
    const char* end = data + length;
    while (p < end)
    {
        // Escapes are dense in 8-bit text: a plain byte loop beats searching for the next "=".
        const char c = *p++;
        if (c != '=')
        {
            *o++ = c;
            continue;
        }
        int hi, lo;
        if (end - p >= 2 && (hi = HexValue(p[0])) >= 0 && (lo = HexValue(p[1])) >= 0)
        {
            *o++ = static_cast<char>(hi * 16 + lo);
            p += 2;
        }
        else if (size_t soft = SoftBreakLength(p, end))
            p += soft;
        else
            *o++ = '=';
    }
    out.resize(o - out.data());
    return out;
}

std::string EncodeBase64Bytes(const char* data, size_t length)
{
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    for (; i + 3 <= length; i += 3)
    {
        const unsigned long group = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        out.push_back(kBase64Alphabet[(group >> 18) & 63]);
        out.push_back(kBase64Alphabet[(group >> 12) & 63]);
        out.push_back(kBase64Alphabet[(group >> 6) & 63]);
        out.push_back(kBase64Alphabet[group & 63]);
    }
    if (i < length)
    {
        const unsigned long group = (p[i] << 16) | (i + 1 < length ? p[i + 1] << 8 : 0);
        out.push_back(kBase64Alphabet[(group >> 18) & 63]);
        out.push_back(kBase64Alphabet[(group >> 12) & 63]);
        out.push_back(i + 1 < length ? kBase64Alphabet[(group >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

int CompareNoCaseN(const char* a, const char* b, int n)
{
    for (int i = 0; i < n; ++i)
    {
        const int ca = toupper(static_cast<unsigned char>(a[i]));
        const int cb = toupper(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return 0;
}

int PutStreamChar(int c, std::ostream& stream)
{
    if (!stream)
        return -1;
    stream.put(static_cast<char>(c));
    return stream ? c : -1;
}

namespace
{
// The position after the colon when the field pszName (any case) starts text at at; blanks may stand
// between the name and its colon (RFC 5322 4.5.3). -1 for any other text.
int FieldValueStart(const CString& text, int at, const char* pszName)
{
    const int nameLength = static_cast<int>(strlen(pszName));
    if (text.GetLength() - at < nameLength + 1 ||
        CompareNoCaseN(static_cast<const char*>(text) + at, pszName, nameLength) != 0)
        return -1;
    int i = at + nameLength;
    while (i < text.GetLength() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    return i < text.GetLength() && text[i] == ':' ? i + 1 : -1;
}
} // namespace

int GetTransferEncoding(const CString& line, int& code, CString& value)
{
    static const char kField[] = "Content-Transfer-Encoding";
    const int valueStart = FieldValueStart(line, 0, kField);
    if (valueStart < 0)
        return 0;
    // Lines reach us with or without their CR LF, with blanks on either side of the token and at times
    // with an RFC 822 comment ("base64 (from the scanner)").
    value = Trimmed(WithoutComments(line.Mid(valueStart)));
    value.MakeUpper();
    static const struct
    {
        const char* name;
        int code;
    } kCodes[] = {
        {"BASE64", TE_BASE64}, {"QUOTED-PRINTABLE", TE_QUOTED_PRINTABLE},
        {"8BIT", TE_8BIT},     {"7BIT", TE_7BIT},
        {"BINARY", TE_BINARY}, {"X_TOKEN", TE_X_TOKEN},
    };
    for (const auto& entry : kCodes)
    {
        if (value.CompareNoCase(entry.name) == 0)
        {
            code = entry.code;
            return 1;
        }
    }
    // RFC 2045 6.4: an unrecognised encoding means the body is treated as opaque data.
    code = (value.GetLength() > 2 && CompareNoCaseN(value, "X-", 2) == 0) ? TE_X_TOKEN : TE_BINARY;
    return 1;
}

CString GetContentTypeValue(const CString& text, CString* type, CString* subtype)
{
    if (type)
        type->Empty();
    if (subtype)
        subtype->Empty();
    static const char kField[] = "Content-Type";
    // The last field that starts a line wins, as a later part header overrides an earlier one.
    int found = -1;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (i == 0 || text[i - 1] == '\n' || text[i - 1] == '\r')
        {
            const int valueStart = FieldValueStart(text, i, kField);
            if (valueStart >= 0)
                found = valueStart;
        }
    }
    if (found < 0)
        return CString();

    const char* p = static_cast<const char*>(text) + found;
    const char* end = static_cast<const char*>(text) + text.GetLength();
    CString value;
    if (p == end || *p != ' ')
        value += ' ';
    // Join the first line with its continuation lines, dropping the line breaks.
    for (;;)
    {
        const char* eol = p;
        while (eol < end && *eol != '\r' && *eol != '\n')
            ++eol;
        value += CString(p, static_cast<int>(eol - p));
        const char* next = eol;
        if (next < end && *next == '\r')
            ++next;
        if (next < end && *next == '\n')
            ++next;
        if (next == eol || next >= end || !IsBlank(*next))
            break;
        p = next;
    }

    if (type)
    {
        const char* v = value;
        const char* vend = v + value.GetLength();
        while (v < vend && *v == ' ')
            ++v;
        const char* stop = subtype ? "/" : " ;\r\n";
        const char* t = v;
        while (t < vend && !strchr(stop, *t))
            ++t;
        if (subtype)
        {
            if (t == vend)
                throw kContentTypeNotDetected;
            const char* s = t + 1;
            const char* send = s;
            while (send < vend && !strchr(" ;\r\n", *send))
                ++send;
            *subtype = CString(s, static_cast<int>(send - s));
        }
        *type = CString(v, static_cast<int>(t - v));
    }
    return value;
}

CString GetBoundary(const CString& headerText)
{
    const CString value = GetContentTypeValue(headerText);
    CString lower(value);
    lower.MakeLower();
    const char* base = value;
    const int n = value.GetLength();

    // Later occurrences are tried first, the quoted form before the bare one.
    for (int pass = 0; pass < 2; ++pass)
    {
        for (int at = n - 8; at >= 0; --at)
        {
            if (strncmp(static_cast<const char*>(lower) + at, "boundary", 8) != 0)
                continue;
            // The parameter name whole: "x-boundary" is another parameter.
            int before = at - 1;
            while (before >= 0 && IsBlank(base[before]))
                --before;
            if (before >= 0 && base[before] != ';')
                continue;
            int i = at + 8;
            // RFC 2231 form: boundary*=charset'language'value, with %XX escapes.
            const bool extended = i < n && base[i] == '*';
            if (extended)
                ++i;
            while (i < n && base[i] == ' ')
                ++i;
            if (i >= n || base[i] != '=')
                continue;
            ++i;
            while (i < n && base[i] == ' ')
                ++i;
            int runEnd = i;
            while (runEnd < n && !strchr(";\t\r\n", base[runEnd]))
                ++runEnd;
            if (pass == 0)
            {
                if (i >= n || base[i] != '"')
                    continue;
                // A quoted boundary may hold ";" and quoted pairs.
                CString quoted;
                int close = i + 1;
                for (; close < n && base[close] != '"'; ++close)
                {
                    if (base[close] == '\\' && close + 1 < n)
                        ++close;
                    quoted += base[close];
                }
                if (close < n)
                    return extended ? DecodeExtendedValue(quoted) : quoted;
            }
            else
            {
                const CString bare = Trimmed(CString(base + i, runEnd - i));
                return extended ? DecodeExtendedValue(bare) : bare;
            }
        }
    }
    return CString();
}

long long DecodeBody(std::istream& in, std::ostream& out, const CString& boundary, int& code, CString& value,
                     CString& parseError)
{
    if (code <= TE_NONE || code > TE_X_TOKEN)
    {
        parseError = kTransferEncodingNotDefined;
        throw static_cast<const char*>(parseError);
    }
    // Without a boundary the part runs to the end: a body line "--" must not end it.
    const CString marker = boundary.IsEmpty() ? CString() : "--" + boundary;
    long long written = 0;
    auto sink = [&](char c) {
        if (PutStreamChar(static_cast<unsigned char>(c), out) != -1)
            ++written;
    };
    CBase64Decoder base64;
    // A line end is written only once another line of the part follows: the one before the boundary
    // line belongs to the delimiter (RFC 2046 5.1.1), not to the part.
    std::string pendingLineEnd;
    std::string line;
    while (std::getline(in, line))
    {
        if (!in.eof())
            line.push_back('\n');
        if (!marker.IsEmpty() && IsBoundaryLine(line, marker))
        {
            pendingLineEnd.clear();
            break;
        }
        if (code == TE_BASE64)
        {
            base64.Put(line.data(), line.size(), sink);
            continue;
        }
        size_t lineEndLength = 0;
        if (!line.empty() && line.back() == '\n')
            lineEndLength = line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1;
        for (char c : pendingLineEnd)
            sink(c);
        pendingLineEnd.clear();
        const char* p = line.data();
        const char* end = p + line.size() - lineEndLength;
        bool softBreak = false;
        while (p < end)
        {
            int hi, lo;
            if (code == TE_QUOTED_PRINTABLE && *p == '=')
            {
                const char* q = p + 1;
                while (q < end && IsBlank(*q))
                    ++q;
                if (q == end && lineEndLength > 0)
                {
                    softBreak = true;
                    break;
                }
                if (end - p >= 3 && (hi = HexValue(p[1])) >= 0 && (lo = HexValue(p[2])) >= 0)
                {
                    sink(static_cast<char>(hi * 16 + lo));
                    p += 3;
                    continue;
                }
            }
            sink(*p++);
        }
        if (!softBreak)
            pendingLineEnd.assign(end, lineEndLength);
    }
    // A body read to the end keeps its last line end; a part whose closing delimiter is missing does not,
    // as though the delimiter were there.
    if (marker.IsEmpty())
    {
        for (char c : pendingLineEnd)
            sink(c);
    }
    if (code == TE_BASE64)
        base64.Finish(sink);
    (void)value;
    return written;
}

CString DecodeTransferEncoding(const CString& encodingName, const CString& text)
{
    CString name = Trimmed(encodingName);
    name.MakeUpper();
    static const char* const kUnchanged[] = {"7BIT",   "8BIT",       "8BIT<HTML>", "8BITS",
                                             "BINARY", "TEXT/PLAIN", "PLAIN",      "TEXT/HTML"};
    for (const char* unchanged : kUnchanged)
    {
        if (name == unchanged)
            return text;
    }
    if (name == "QUOTED-PRINTABLE")
        return ToCString(DecodeQuotedPrintableBytes(text, text.GetLength()));
    if (name == "BASE64")
        return ToCString(DecodeBase64Bytes(text, text.GetLength()));
    return ConfirmUnknownTransferEncoding(name, text);
}

void EncodeQuotedPrintableBytes(std::string& out, const char* data, size_t length, const char* lineEnd)
{
    static const char kHex[] = "0123456789ABCDEF";
    // Escape first: "=", 8-bit bytes, controls other than CR, LF and tab, and a blank or tab that ends a
    // line (transports strip trailing white space, RFC 2045 6.7 rule 3).
    std::string escaped;
    escaped.reserve(length + length / 4);
    for (size_t i = 0; i < length; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        const bool crlfAt = c == '\r' && i + 1 < length && data[i + 1] == '\n';
        const bool crlfBefore = c == '\n' && i > 0 && data[i - 1] == '\r';
        const bool lineEndsHere =
            i + 1 == length || (data[i + 1] == '\r' && i + 2 < length && data[i + 2] == '\n');
        // Only a CR LF pair is a line end; a lone CR or LF is data and travels escaped, so any bytes
        // come back as they were (RFC 2045 6.7 rule 4).
        if (c == '=' || c > 0x7E || (c < 0x20 && c != '\r' && c != '\n' && c != '\t') ||
            (c == '\r' && !crlfAt) || (c == '\n' && !crlfBefore) || ((c == ' ' || c == '\t') && lineEndsHere))
        {
            escaped.push_back('=');
            escaped.push_back(kHex[c >> 4]);
            escaped.push_back(kHex[c & 15]);
        }
        else
            escaped.push_back(static_cast<char>(c));
    }

    const bool crlfEnd = strcmp(lineEnd, "\r\n") == 0;
    const size_t lineEndLength = strlen(lineEnd);
    size_t column = 0;
    size_t pos = 0;
    const size_t n = escaped.size();
    while (pos < n)
    {
        size_t cut = escaped.find('\r', pos);
        const bool endsAtCr = cut != std::string::npos;
        if (!endsAtCr)
            cut = n;
        const char* piece = escaped.data() + pos;
        size_t pieceLength = cut - pos;
        while (pieceLength > 76 - column)
        {
            size_t take = 75 - column;
            if (take >= 1 && piece[take - 1] == '=')
                take -= 1;
            else if (take >= 2 && piece[take - 2] == '=')
                take -= 2;
            out.append(piece, take);
            out.append("=\r\n");
            piece += take;
            pieceLength -= take;
            column = 0;
        }
        out.append(piece, pieceLength);
        pos = cut;
        // Only a line that ended in the text gets a line end: the last one stays open, so decoding gives
        // back exactly the text that was encoded.
        if (endsAtCr)
        {
            out.append(lineEnd);
            column = crlfEnd ? 0 : (lineEndLength + pieceLength > 75 ? 75 : lineEndLength + pieceLength);
            pos += 2;
        }
    }
}

void EncodeQuotedPrintable(CString& out, const CString& text, const char* lineEnd)
{
    std::string encoded;
    EncodeQuotedPrintableBytes(encoded, text, text.GetLength(), lineEnd);
    out += ToCString(encoded);
}

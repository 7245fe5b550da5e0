// MIME transfer encodings (base64, quoted-printable) and the header codecs the parser and builders share.
#pragma once

#include <atlstr.h>

#include <cstddef>
#include <iosfwd>
#include <string>

// Transfer encoding codes as the parser records them for a part.
enum TransferEncodingCode
{
    TE_NONE = 0,
    TE_BASE64 = 1,
    TE_QUOTED_PRINTABLE = 2,
    TE_8BIT = 3,
    TE_7BIT = 4,
    TE_BINARY = 5,
    TE_X_TOKEN = 6,
};

bool IsBase64Char(char c);
// Position of c in the base64 alphabet, 255 when it is not in it.
unsigned char Base64CharValue(char c);

// Decoders over raw bytes: the shared engines of the text and file decoders.
std::string DecodeBase64Bytes(const char* data, size_t length);
// The length DecodeBase64Bytes would give, without holding the bytes.
size_t DecodedBase64Length(const char* data, size_t length);
std::string DecodeQuotedPrintableBytes(const char* data, size_t length);
// Base64 without line breaks.
std::string EncodeBase64Bytes(const char* data, size_t length);

// Recognises a "Content-Transfer-Encoding:" header line. Returns 0 (code untouched) for any other line.
// Values outside the known set are not an error: "x-" tokens give TE_X_TOKEN, anything else TE_BINARY,
// so an unfamiliar part is stored as it came instead of ending the parse.
int GetTransferEncoding(const CString& line, int& code, CString& value);

// The unfolded value of the last "Content-Type:" field of a header text, with a leading blank.
// With type/subtype given they receive the split value; throws "Content Type was not detected." when
// the value does not split.
CString GetContentTypeValue(const CString& text, CString* type = nullptr, CString* subtype = nullptr);
CString GetBoundary(const CString& headerText);

// Decodes one part from the current position of in up to (and including) its closing boundary line or
// the end of in. The line end before the boundary line (or before the end, when it is missing) is not part
// of the part; a boundary line holds nothing after the boundary but "--" and blanks; an empty boundary
// reads to the end, keeping every byte. Unrecoverable
// states put their text into parseError and throw it as const char*. Returns the number of bytes written.
long long DecodeBody(std::istream& in, std::ostream& out, const CString& boundary, int& code, CString& value,
                     CString& parseError);

// Decodes a body held in memory by the name of its transfer encoding.
CString DecodeTransferEncoding(const CString& encodingName, const CString& text);

// Appends the quoted-printable form of text to out; lineEnd replaces each CR LF of text, and a lone CR or
// LF is escaped, so any bytes decode back as they were.
void EncodeQuotedPrintable(CString& out, const CString& text, const char* lineEnd);
void EncodeQuotedPrintableBytes(std::string& out, const char* data, size_t length, const char* lineEnd);

// RFC 2047 encoded words for a header text in the machine's ANSI code page; ASCII text comes back as is.
CString EncodeHeaderWord(const CString& text);

int CompareNoCaseN(const char* a, const char* b, int n);
int PutStreamChar(int c, std::ostream& stream);
inline int MinInt(int a, int b)
{
    return a < b ? a : b;
}

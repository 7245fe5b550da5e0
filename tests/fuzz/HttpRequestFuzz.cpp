// Fuzzes the local HTTP server's request reader: bytes arrive in pieces of any size, every whole line is
// taken and matched, and the pending text is capped. The reader must keep every byte in order, never hand
// out a line with a line end in it, and match exactly the lines a plain reading of the rule accepts.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "transport/HttpRequestReader.h"

namespace
{

// "GET /?" in any case, up to nine digits, then a blank; the line has no zero byte.
bool PlainMatch(const std::string& line, std::string& number)
{
    static const char kPrefix[] = "get /?";
    if (line.find('\0') != std::string::npos || line.size() < 6)
        return false;
    for (size_t i = 0; i < 6; ++i)
    {
        if (std::tolower(static_cast<unsigned char>(line[i])) != kPrefix[i])
            return false;
    }
    size_t end = 6;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9')
        ++end;
    if (end >= line.size() || line[end] != ' ' || end - 6 > CHttpRequestReader::kMaxDigits)
        return false;
    number = line.substr(6, end - 6);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the piece size, as one receive after another would deliver them.
    const size_t piece = 1 + data[0] % 64;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    CHttpRequestReader reader;
    std::string taken;
    for (size_t offset = 0; offset < length; offset += piece)
    {
        const size_t count = length - offset < piece ? length - offset : piece;
        reader.Append(text + offset, count);
        std::string line;
        while (reader.NextLine(line))
        {
            FUZZ_CHECK(line.find("\r\n") == std::string::npos);
            taken += line + "\r\n";
            std::string number, expected;
            const bool matched = CHttpRequestReader::MatchRequest(line, number);
            FUZZ_CHECK(matched == PlainMatch(line, expected));
            FUZZ_CHECK(number == expected);
            FUZZ_CHECK(number.size() <= CHttpRequestReader::kMaxDigits);
        }
        FUZZ_CHECK(reader.Pending().find("\r\n") == std::string::npos);
        FUZZ_CHECK(reader.Overflowed() == (reader.Pending().size() > CHttpRequestReader::kMaxPending));
        // The server closes the connection here; nothing more would be read.
        if (reader.Overflowed())
        {
            FUZZ_CHECK(taken + reader.Pending() == std::string(text, offset + count));
            return 0;
        }
    }
    FUZZ_CHECK(taken + reader.Pending() == std::string(text, length));
    return 0;
}

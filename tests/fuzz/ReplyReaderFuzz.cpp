// Fuzzes the POP3 and SMTP reply readers: bytes arrive in pieces of any size, as receives deliver them, and
// are read as status and listing lines, as a message body or as SMTP replies. Every line must come out as a
// plain split of the bytes at CRLF would give it, a capped line must be refused exactly when it passes its
// cap, and the body and replies must be what a plain reading of the rules makes of the same lines.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

#include "tests/fuzz/FuzzCheck.h"
#include "transport/ReplyReader.h"

namespace
{

// The CRLF lines of the text and what follows the last of them.
std::vector<std::string> PlainLines(const std::string& text, std::string& rest)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    rest = text.substr(start);
    return lines;
}

void CheckParsers(const std::string& line)
{
    int number = 0, count = 0, size = 0;
    std::string value;
    const int parsed = Pop3Reply::ParseListingLine(line, number, value);
    FUZZ_CHECK(parsed >= -1 && parsed <= 1);
    if (parsed == 1)
        FUZZ_CHECK(value.empty() || (value[0] != ' ' && value[0] != '\t'));
    const int numbers = Pop3Reply::ParseStat(line, count, size);
    FUZZ_CHECK(numbers >= 0 && numbers <= 2);
    const size_t reservation = Pop3Reply::BodyReservation(ParseReplyNumber(line.c_str()));
    FUZZ_CHECK(reservation <= 256u * 1024 * 1024);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // The first byte sets the piece size, the second the reading and the third the line cap (small, so
    // that the cap is reached by short inputs).
    const size_t piece = 1 + data[0] % 64;
    const int mode = data[1] % 3;
    const size_t limit = 1 + data[2] % 128;
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);

    std::string rest;
    const std::vector<std::string> expected = PlainLines(text, rest);

    CLineReader reader;
    std::vector<std::string> lines;
    bool tooLong = false;
    for (size_t offset = 0; offset < text.size() && !tooLong; offset += piece)
    {
        const size_t count = text.size() - offset < piece ? text.size() - offset : piece;
        char* space = reader.Space(piece);
        memcpy(space, text.data() + offset, count);
        space[count] = '\0';
        reader.Received(count);
        for (;;)
        {
            std::string line;
            const CLineReader::Result result = reader.NextLine(line, mode == 1 ? 0 : limit);
            if (result == CLineReader::MORE)
                break;
            if (result == CLineReader::TOO_LONG)
            {
                tooLong = true;
                break;
            }
            FUZZ_CHECK(line.find("\r\n") == std::string::npos);
            if (mode != 1)
                FUZZ_CHECK(line.size() <= limit);
            lines.push_back(line);
        }
    }

    // The lines taken are the plain split's, in order; the reader stops only at a line past its cap.
    FUZZ_CHECK(lines.size() <= expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i] == expected[i]);
    if (tooLong)
    {
        FUZZ_CHECK(mode != 1);
        const std::string& open = lines.size() < expected.size() ? expected[lines.size()] : rest;
        // Refused once more than the cap has come: whole (a line) or still open (the rest).
        FUZZ_CHECK(open.size() > limit || (lines.size() == expected.size() && reader.PendingSize() > limit));
    }
    else
    {
        FUZZ_CHECK(lines.size() == expected.size());
        FUZZ_CHECK(reader.Pending() == rest);
        // A CR at the end may yet be followed by its LF: it does not count.
        if (mode != 1)
            FUZZ_CHECK(rest.size() - (!rest.empty() && rest.back() == '\r' ? 1 : 0) <= limit);
    }

    if (mode == 0)
    {
        for (const std::string& line : lines)
        {
            FUZZ_CHECK(Pop3Reply::IsNegative(line) ==
                       (line.size() >= 4 && line[0] == '-' && strncasecmp(line.c_str() + 1, "ERR", 3) == 0));
            CheckParsers(line);
        }
    }
    else if (mode == 1)
    {
        // The body: the lines up to "." with the doubled dot taken off, as the client stores them.
        std::string body, plain;
        for (const std::string& line : lines)
        {
            const std::string withEnd = line + "\r\n";
            if (Pop3Reply::IsBodyEnd(withEnd.data(), withEnd.size()))
                break;
            const size_t from = Pop3Reply::UnstuffedOffset(withEnd.data(), withEnd.size());
            body.append(withEnd, from, std::string::npos);
        }
        for (const std::string& line : lines)
        {
            if (line == ".")
                break;
            plain += (!line.empty() && line[0] == '.' ? line.substr(1) : line) + "\r\n";
        }
        FUZZ_CHECK(body == plain);
    }
    else
    {
        // SMTP: every reply ends at its first line without '-' after the code.
        CSmtpReplyReader reply;
        std::string plain;
        for (const std::string& line : lines)
        {
            plain += line + "\r\n";
            const bool last = reply.AddLine(line);
            FUZZ_CHECK(last == !(line.size() > 3 && line[3] == '-'));
            FUZZ_CHECK(reply.Text() == plain);
            if (last)
            {
                FUZZ_CHECK(reply.Code() == ParseReplyNumber(line.c_str()));
                reply.Clear();
                plain.clear();
            }
        }
    }
    return 0;
}

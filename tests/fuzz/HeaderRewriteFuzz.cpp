// Fuzzes the header rewrites of outgoing text. The input's first line is the forwarding list, the rest the
// message. A forward has one To field with those addresses and the body unchanged; a text without Bcc
// keeps no Bcc field, its body and its other lines, and a second removal changes nothing.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "transport/HeaderRewrite.h"

namespace
{
std::string ToString(const CString& text)
{
    return std::string(static_cast<const char*>(text), text.GetLength());
}

// The part after the first blank line, from its first byte; empty when there is none. A text that starts
// with the blank line has an empty header.
std::string BodyOf(const std::string& text)
{
    if (text.compare(0, 2, "\r\n") == 0)
        return text.substr(2);
    const size_t nEnd = text.find("\r\n\r\n");
    return nEnd == std::string::npos ? std::string() : text.substr(nEnd + 4);
}

bool HeaderHasField(const std::string& text, const char* pszName)
{
    if (text.compare(0, 2, "\r\n") == 0)
        return false;
    const size_t nEnd = text.find("\r\n\r\n");
    const std::string header = nEnd == std::string::npos ? text : text.substr(0, nEnd + 2);
    const std::string name = pszName;
    size_t nLine = 0;
    while (nLine < header.size())
    {
        bool bMatch = header.size() > nLine + name.size() && header[nLine + name.size()] == ':';
        for (size_t i = 0; bMatch && i < name.size(); ++i)
            bMatch = tolower(static_cast<unsigned char>(header[nLine + i])) == tolower(static_cast<unsigned char>(name[i]));
        if (bMatch)
            return true;
        const size_t nLF = header.find('\n', nLine);
        if (nLF == std::string::npos)
            break;
        nLine = nLF + 1;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nLF = input.find('\n');
    const std::string forward = nLF == std::string::npos ? input : input.substr(0, nLF);
    const std::string message = nLF == std::string::npos ? std::string() : input.substr(nLF + 1);
    if (forward.find('\0') != std::string::npos || message.find('\0') != std::string::npos)
        return 0;

    const std::string forwarded =
        ToString(BuildForwardedText(CString(message.c_str()), CString(forward.c_str())));
    // Only the blanks of mail lines are trimmed; a form feed is text.
    FUZZ_CHECK(forwarded.empty() || std::string(" \t\r\n").find(forwarded[0]) == std::string::npos);
    FUZZ_CHECK(HeaderHasField(forwarded, "To"));
    const size_t nStart = message.find_first_not_of(" \t\r\n");
    const std::string trimmed = nStart == std::string::npos ? std::string() : message.substr(nStart);
    if (trimmed.find("\r\n\r\n") != std::string::npos)
        FUZZ_CHECK(BodyOf(forwarded) == BodyOf(trimmed));

    const std::string removed = ToString(RemoveHeaderField(CString(message.c_str()), "Bcc"));
    FUZZ_CHECK(!HeaderHasField(removed, "Bcc"));
    FUZZ_CHECK(removed.size() <= message.size() + 2);
    // The original body is the end of the result, byte for byte.
    const std::string body = BodyOf(message);
    FUZZ_CHECK(removed.size() >= body.size() && removed.compare(removed.size() - body.size(), body.size(), body) == 0);
    FUZZ_CHECK(ToString(RemoveHeaderField(CString(removed.c_str()), "Bcc")) == removed);
    return 0;
}

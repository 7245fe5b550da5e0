// Fuzzes the quoted-printable coder: any text decodes without fault, and an encoded text decodes to the
// input, lone CRs and LFs included, in lines of at most 76 characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/TransferEncoding.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    DecodeQuotedPrintableBytes(text, size);

    std::string encoded;
    EncodeQuotedPrintableBytes(encoded, text, size, "\r\n");

    FUZZ_CHECK(DecodeQuotedPrintableBytes(encoded.data(), encoded.size()) == std::string(text, size));

    size_t lineStart = 0;
    for (;;)
    {
        const size_t end = encoded.find("\r\n", lineStart);
        FUZZ_CHECK((end == std::string::npos ? encoded.size() : end) - lineStart <= 76);
        if (end == std::string::npos)
            break;
        lineStart = end + 2;
    }
    return 0;
}

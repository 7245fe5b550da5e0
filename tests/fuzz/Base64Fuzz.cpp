// Fuzzes both base64 coders: any text decodes without fault, and encoding then decoding gives the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "content/TransferEncoding.h"
#include "foundation/Base64.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    // The length alone (an attachment's size) is what the decoded bytes would have.
    FUZZ_CHECK(DecodedBase64Length(text, size) == DecodeBase64Bytes(text, size).size());
    {
        CBase64 coder;
        coder.Decode(text, static_cast<unsigned>(size));
    }

    const std::string encoded = EncodeBase64Bytes(text, size);
    FUZZ_CHECK(DecodeBase64Bytes(encoded.data(), encoded.size()) == std::string(text, size));

    CBase64 coder;
    coder.Encode(data, static_cast<unsigned>(size));
    // Both encoders write the same alphabet and padding without line breaks.
    FUZZ_CHECK(coder.m_nEncodedLength == encoded.size());
    FUZZ_CHECK(memcmp(coder.GetEncoded(), encoded.data(), encoded.size()) == 0);
    CBase64 decoder;
    decoder.Decode(coder.GetEncoded(), coder.m_nEncodedLength);
    FUZZ_CHECK(decoder.m_nDecodedLength == size && memcmp(decoder.GetDecoded(), data, size) == 0);
    return 0;
}

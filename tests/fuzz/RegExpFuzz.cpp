// Fuzzes the regular-expression engine: compiles a pattern and matches it against a text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/RegExp.h"
#include "tests/fuzz/FuzzCheck.h"

// Input: one flag byte (bit 0: ignore case), then the pattern, a NUL, and the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool ignoreCase = data[0] & 1;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t nul = rest.find('\0');
    const std::string pattern = rest.substr(0, nul);
    const std::string text = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
    // A backtracking matcher takes time of the order of the text length to the power of the repetitions,
    // and exponential in it under a repeated alternation such as "(b|b)*": bound both, so the fuzzer
    // looks for faults and not for slow patterns.
    size_t repetitions = 0;
    for (char c : pattern)
        repetitions += c == '*' || c == '+' || c == '?';
    if (repetitions > 3 || text.size() > 16)
        return 0;

    CRegExp regexp(pattern.c_str(), ignoreCase);
    if (!regexp.Match(text.c_str()))
        return 0;
    // Every group the match reports lies inside the text.
    const int textLength = static_cast<int>(strlen(text.c_str()));
    const int groups = regexp.SubStrings();
    for (int i = 0; i <= groups && i < CRegExpProgram::kMaxGroups; ++i)
    {
        FUZZ_CHECK(regexp.SubLength(i) >= 0 && regexp.SubLength(i) <= textLength);
        FUZZ_CHECK(regexp.GetSubString(i).GetLength() == regexp.SubLength(i));
    }
    CRegExp copy(regexp);
    FUZZ_CHECK(copy.Match(text.c_str()));
    return 0;
}

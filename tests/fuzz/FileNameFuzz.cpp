// Fuzzes the file name made from an attachment name: whatever the name, the result can be created inside
// a folder as it is.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "content/TextUtilities.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{

// Windows opens a device for these whatever follows the first dot, and ignores blanks before the dot.
bool IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
    {
        if (stem == device)
            return true;
    }
    // The superscript digits one to three of windows-1252 name the same ports as 1 to 3.
    const unsigned char digit = stem.size() == 4 ? static_cast<unsigned char>(stem[3]) : 0;
    return (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString made = MakeFileName(CString(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    const std::string name(static_cast<const char*>(made), made.GetLength());
    FUZZ_CHECK(!name.empty() && name.size() <= 150);
    FUZZ_CHECK(name != "." && name != "..");
    for (unsigned char c : name)
        FUZZ_CHECK(c >= 0x20 && c != 0x7F && !strchr("\\/:*?\"<>|", c));
    // Windows drops trailing dots and blanks, so the file created would have another name.
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
    FUZZ_CHECK(!IsDeviceName(name));
    return 0;
}

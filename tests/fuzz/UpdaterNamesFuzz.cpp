// Fuzzes the updater's readers of server and archive names: a cabinet member name that passes the check
// stays inside the folder it is extracted into, and a version read back from its text is the same version.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "updater/CabinetNames.h"
#include "updater/UpdateVersion.h"

namespace
{

// What Windows makes of one path part: trailing blanks and dots go.
std::string Normalised(std::string part)
{
    while (!part.empty() && (part.back() == ' ' || part.back() == '.'))
        part.pop_back();
    return part;
}

bool IsDevice(const std::string& part)
{
    std::string stem = Normalised(part.substr(0, part.find('.')));
    for (char& c : stem)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
    {
        if (stem == device)
            return true;
    }
    const unsigned char digit = stem.size() == 4 ? static_cast<unsigned char>(stem[3]) : 0;
    return (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

void CheckMemberName(const std::string& name)
{
    if (!IsSafeMemberName(name.c_str()))
        return;
    FUZZ_CHECK(!name.empty() && name[0] != '\\' && name[0] != '/');
    size_t start = 0;
    while (true)
    {
        size_t end = name.find_first_of("\\/", start);
        std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        FUZZ_CHECK(!Normalised(part).empty());
        FUZZ_CHECK(Normalised(part) != "..");
        FUZZ_CHECK(!IsDevice(part));
        for (unsigned char c : part)
            FUZZ_CHECK(c >= 0x20 && c != ':');
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

void CheckVersions(const std::string& first, const std::string& second)
{
    CUpdateVersion a, b;
    const bool bFirst = a.TryParse(first.c_str());
    if (CUpdateVersion::IsVersionFolderName(first.c_str()) && bFirst)
        FUZZ_CHECK(first.find_first_not_of("0123456789,") == std::string::npos);
    if (!bFirst || !b.TryParse(second.c_str()))
        return;
    CUpdateVersion again;
    FUZZ_CHECK(again.TryParse(a.Format()));
    FUZZ_CHECK(again.Compare(a) == 0);
    FUZZ_CHECK(a.Compare(b) == -b.Compare(a));
    FUZZ_CHECK((a.Compare(b) == 0) == (memcmp(a.m_w, b.m_w, sizeof(a.m_w)) == 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string text = input.substr(0, input.find('\0'));
    CheckMemberName(text);
    const size_t split = text.find('\n');
    CheckVersions(text.substr(0, split), split == std::string::npos ? text : text.substr(split + 1));
    return 0;
}

// Which member names of a cabinet archive may be written below the folder it is extracted into.
#include "updater/CabinetNames.h"

#include <ctype.h>
#include <string.h>

#include <string>

namespace
{

// Windows opens the device for these names whatever extension follows and whatever trailing blanks or dots.
bool IsDeviceName(const std::string& part)
{
    std::string base = part.substr(0, part.find('.'));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.'))
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* pszDevice : kDevices)
    {
        if (base == pszDevice)
            return true;
    }
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0))
        return isdigit(static_cast<unsigned char>(base[3])) != 0 ||
               static_cast<unsigned char>(base[3]) >= 0x80;
    return false;
}

} // namespace

bool IsSafeMemberName(const char* pszName)
{
    if (pszName == nullptr || *pszName == '\0')
        return false;
    if (pszName[0] == '\\' || pszName[0] == '/')
        return false;
    for (const char* p = pszName; *p; ++p)
    {
        if (*p == ':' || static_cast<unsigned char>(*p) < 0x20)
            return false;
    }
    const char* p = pszName;
    while (true)
    {
        size_t n = strcspn(p, "\\/");
        std::string part(p, n);
        if (part.empty() || IsDeviceName(part))
            return false;
        // "..", and "... " which Windows trims to "..": any part of dots and blanks alone leaves the folder.
        if (part.find_first_not_of(". ") == std::string::npos)
            return false;
        if (p[n] == '\0')
            return true;
        p += n + 1;
    }
}

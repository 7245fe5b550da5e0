// Fuzzes the .wab reader: any bytes load or are refused, and what loads lies inside the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/wab/WabFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CWabFile file;
    const WabLoadResult result = file.Load(std::string(reinterpret_cast<const char*>(data), size));
    if (result != kWabLoaded)
    {
        FUZZ_CHECK(file.GetRecords().empty());
        return 0;
    }
    size_t total = 0;
    for (const CWabRecord& record : file.GetRecords())
    {
        FUZZ_CHECK(record.nId != 0);
        for (const CWabProperty& prop : record.properties)
        {
            for (const std::string& value : prop.values)
                total += value.size();
        }
    }
    FUZZ_CHECK(total <= size);
    return 0;
}

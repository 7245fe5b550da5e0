// Fuzzes the splitting of a recipient list into entries.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/AddressList.h"
#include "content/TransferEncoding.h"
#include "tests/fuzz/FuzzCheck.h"

// Stand-ins for the Windows parts: the message box shows nothing and names stay as they are.
int AppMessageBox(const char*, UINT, HWND)
{
    return 0;
}

CString EncodeHeaderWord(const CString& text)
{
    return text;
}

// Input: one flag byte (bit 0: ";" as separator, bit 1: a name tag), then the list.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const char separator = (data[0] & 1) ? ';' : ',';
    const char* tag = (data[0] & 2) ? "(Bcc)" : nullptr;
    const CString text(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    std::vector<CString> list;
    ParseAddressList(text, list, separator, tag);
    // Each separator outside quotes and brackets ends at most one entry, and none is empty.
    FUZZ_CHECK(list.size() <= static_cast<size_t>(text.GetLength()) + 1);
    for (const CString& entry : list)
        FUZZ_CHECK(!entry.IsEmpty());
    return 0;
}

// Reads a Windows Address Book (.wab) file, read-only, into its records of MAPI property values.
// The layout is known only from public reverse engineering: a header with table descriptors, an index of
// (record id, offset) pairs, and records of tagged property values. Only the index is followed; anything
// that does not add up is refused, as is the older format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One property value as stored: numbers in nNumber, strings and binaries (their bytes, a string's
// terminator left out) in values; multi-valued properties have one entry per value.
struct CWabProperty
{
    uint32_t ulTag = 0;
    int64_t nNumber = 0;
    std::vector<std::string> values;
};

struct CWabRecord
{
    uint32_t nId = 0;
    std::vector<CWabProperty> properties;

    const CWabProperty* Find(uint32_t ulPropId) const;
};

enum WabLoadResult
{
    kWabLoaded,
    kWabNotAddressBook, // no magic of any known version
    kWabOlderFormat,    // the format before the one read here
    kWabCorrupt,        // the magic is right, the rest does not add up
};

namespace WabLayout
{
const unsigned char kMagic[16] = {0x9C, 0xCB, 0xCB, 0x8D, 0x13, 0x75, 0xD2, 0x11,
                                  0x91, 0x58, 0x00, 0xC0, 0x4F, 0x79, 0x56, 0xA4};
const unsigned char kOlderMagic[4] = {0x81, 0x32, 0x84, 0xC1};
const size_t kHeaderSize = 0x78; // magic, two counts, six table descriptors of 16 bytes
const size_t kDescriptorOffset = 0x18;
const size_t kDescriptorCount = 6;
const uint32_t kIndexTableType = 0xFA0;
const size_t kIndexEntrySize = 8;    // record id, record offset
const size_t kRecordHeaderSize = 24; // word, id, word, property count, data length, word
const size_t kMaxFileSize = 256u << 20;
} // namespace WabLayout

class CWabFile
{
public:
    // Whole file's bytes; on anything but kWabLoaded the records are empty.
    WabLoadResult Load(const std::string& bytes);

    const std::vector<CWabRecord>& GetRecords() const { return m_Records; }
    const CWabRecord* FindRecord(uint32_t nId) const;

private:
    std::vector<CWabRecord> m_Records;
};

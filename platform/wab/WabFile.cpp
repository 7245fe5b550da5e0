// The .wab reader: every count, offset and length is checked against the file before it is used.
#include "platform/wab/WabFile.h"

#include <cstring>
#include <set>

namespace
{
const uint32_t kMvFlag = 0x1000;
const uint32_t kI2 = 2, kLong = 3, kBoolean = 11, kI8 = 20, kString8 = 30, kUnicode = 31, kSysTime = 64,
               kClsid = 72, kBinary = 258;

class CCursor
{
public:
    CCursor(const std::string& bytes, size_t pos, size_t end) : m_Bytes(bytes), m_Pos(pos), m_End(end) {}

    bool Word(uint32_t& value)
    {
        if (m_End - m_Pos < 4)
            return false;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(m_Bytes.data()) + m_Pos;
        value = p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
        m_Pos += 4;
        return true;
    }
    bool Bytes(size_t n, std::string& out)
    {
        if (m_End - m_Pos < n)
            return false;
        out.assign(m_Bytes, m_Pos, n);
        m_Pos += n;
        return true;
    }
    size_t Left() const { return m_End - m_Pos; }

private:
    const std::string& m_Bytes;
    size_t m_Pos;
    size_t m_End;
};

// One value of a variable-length type: a byte count, then the bytes. A string ends in its terminator,
// which is dropped; a UTF-16 one has an even length.
bool ReadVariable(CCursor& cursor, uint32_t type, std::string& value)
{
    uint32_t size = 0;
    if (!cursor.Word(size) || size > cursor.Left() || !cursor.Bytes(size, value))
        return false;
    if (type == kString8)
    {
        if (size < 1 || value.back() != '\0')
            return false;
        value.pop_back();
    }
    else if (type == kUnicode)
    {
        if (size < 2 || size % 2 != 0 || value[size - 1] != '\0' || value[size - 2] != '\0')
            return false;
        value.resize(size - 2);
    }
    return true;
}

bool ReadProperty(CCursor& cursor, CWabProperty& prop)
{
    if (!cursor.Word(prop.ulTag))
        return false;
    const uint32_t type = prop.ulTag & 0xFFFF;
    uint32_t low = 0, high = 0;
    std::string value;
    switch (type)
    {
    case kI2:
    case kLong:
    case kBoolean:
        if (!cursor.Word(low))
            return false;
        prop.nNumber = type == kI2 ? static_cast<int16_t>(low) : static_cast<int32_t>(low);
        return true;
    case kI8:
    case kSysTime:
        if (!cursor.Word(low) || !cursor.Word(high))
            return false;
        prop.nNumber = static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
        return true;
    case kClsid:
        if (!cursor.Bytes(16, value))
            return false;
        prop.values.push_back(value);
        return true;
    case kString8:
    case kUnicode:
    case kBinary:
        if (!ReadVariable(cursor, type, value))
            return false;
        prop.values.push_back(value);
        return true;
    case kMvFlag | kString8:
    case kMvFlag | kUnicode:
    case kMvFlag | kBinary: {
        uint32_t count = 0;
        // Each value takes at least its byte count.
        if (!cursor.Word(count) || count > cursor.Left() / 4)
            return false;
        for (uint32_t i = 0; i < count; ++i)
        {
            if (!ReadVariable(cursor, type & ~kMvFlag, value))
                return false;
            prop.values.push_back(value);
        }
        return true;
    }
    default:
        // A type whose stored form no description gives.
        return false;
    }
}
} // namespace

const CWabProperty* CWabRecord::Find(uint32_t ulPropId) const
{
    for (const CWabProperty& prop : properties)
    {
        if (prop.ulTag >> 16 == ulPropId)
            return &prop;
    }
    return nullptr;
}

const CWabRecord* CWabFile::FindRecord(uint32_t nId) const
{
    for (const CWabRecord& record : m_Records)
    {
        if (record.nId == nId)
            return &record;
    }
    return nullptr;
}

WabLoadResult CWabFile::Load(const std::string& bytes)
{
    using namespace WabLayout;
    m_Records.clear();
    if (bytes.size() >= sizeof(kOlderMagic) && memcmp(bytes.data(), kOlderMagic, sizeof(kOlderMagic)) == 0)
        return kWabOlderFormat;
    if (bytes.size() < sizeof(kMagic) || memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0)
        return kWabNotAddressBook;
    if (bytes.size() < kHeaderSize || bytes.size() > kMaxFileSize)
        return kWabCorrupt;
    const size_t fileSize = bytes.size();

    // Every table lies inside the file, after the header; the first is the index.
    uint32_t indexOffset = 0, indexCount = 0;
    for (size_t i = 0; i < kDescriptorCount; ++i)
    {
        CCursor cursor(bytes, kDescriptorOffset + i * 16, kHeaderSize);
        uint32_t type = 0, size = 0, offset = 0, count = 0;
        cursor.Word(type);
        cursor.Word(size);
        cursor.Word(offset);
        cursor.Word(count);
        if (count != 0 &&
            (offset < kHeaderSize || offset > fileSize || size == 0 || count > (fileSize - offset) / size))
            return kWabCorrupt;
        if (i == 0)
        {
            if (type != kIndexTableType || size != kIndexEntrySize)
                return kWabCorrupt;
            indexOffset = offset;
            indexCount = count;
        }
    }

    std::vector<CWabRecord> records;
    std::set<uint32_t> ids;
    CCursor index(bytes, indexOffset, indexOffset + static_cast<size_t>(indexCount) * kIndexEntrySize);
    for (uint32_t i = 0; i < indexCount; ++i)
    {
        uint32_t id = 0, offset = 0;
        index.Word(id);
        index.Word(offset);
        if (id == 0 || !ids.insert(id).second || offset < kHeaderSize || offset > fileSize ||
            fileSize - offset < kRecordHeaderSize)
            return kWabCorrupt;

        CCursor header(bytes, offset, offset + kRecordHeaderSize);
        uint32_t word = 0, storedId = 0, propCount = 0, dataLength = 0;
        header.Word(word);
        header.Word(storedId);
        header.Word(word);
        header.Word(propCount);
        header.Word(dataLength);
        const size_t dataStart = offset + kRecordHeaderSize;
        // The smallest property is a tag and one word.
        if (storedId != id || dataLength > fileSize - dataStart || propCount > dataLength / 8)
            return kWabCorrupt;

        CWabRecord record;
        record.nId = id;
        CCursor data(bytes, dataStart, dataStart + dataLength);
        for (uint32_t p = 0; p < propCount; ++p)
        {
            CWabProperty prop;
            if (!ReadProperty(data, prop))
                return kWabCorrupt;
            record.properties.push_back(std::move(prop));
        }
        if (data.Left() != 0)
            return kWabCorrupt;
        records.push_back(std::move(record));
    }
    m_Records.swap(records);
    return kWabLoaded;
}

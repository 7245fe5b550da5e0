// The .wab reader over generated files: records and values as written, and every file that does not add
// up refused as a whole.
#include "platform/wab/WabFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace
{
std::string ReadWab(const std::string& name)
{
    std::ifstream in(std::string(ORB_TEST_DATA_DIR) + "/wab/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(const CWabRecord& record, uint32_t id)
{
    const CWabProperty* prop = record.Find(id);
    return prop && !prop->values.empty() ? prop->values[0] : std::string("<none>");
}
} // namespace

TEST(WabFileTest, ReadsRecordsInIndexOrderWithTheirValues)
{
    CWabFile file;
    ASSERT_EQ(kWabLoaded, file.Load(ReadWab("people.wab")));
    const std::vector<CWabRecord>& records = file.GetRecords();
    ASSERT_EQ(14u, records.size());
    for (size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(i + 1, records[i].nId);

    const CWabRecord& anna = records[0];
    EXPECT_EQ(6, anna.Find(0x0FFE)->nNumber);
    EXPECT_EQ(0x0FFE0003u, anna.Find(0x0FFE)->ulTag);
    EXPECT_EQ("Anna", Text(anna, 0x3A06));
    EXPECT_EQ("anna@acme.example", Text(anna, 0x3003));
    EXPECT_EQ("LS1 1AA", Text(anna, 0x3A2A));
    EXPECT_EQ(nullptr, anna.Find(0x3A5D));

    EXPECT_EQ(8, records[2].Find(0x0FFE)->nNumber);
    EXPECT_EQ(nullptr, records[4].Find(0x0FFE));
    // UTF-16 values keep their bytes; their terminator is not part of them.
    EXPECT_EQ(std::string("Z\0o\0\xEB\0", 6), Text(records[6], 0x3A06));
    EXPECT_EQ(0x3A06001Fu, records[6].Find(0x3A06)->ulTag);
    EXPECT_EQ(1500u, Text(records[11], 0x3004).size());
    const CWabProperty* emails = records[12].Find(0x3A56);
    ASSERT_NE(nullptr, emails);
    EXPECT_EQ((std::vector<std::string>{"gus@example.com", "g@example.com"}), emails->values);
    EXPECT_EQ(42, records[12].Find(0x3A16)->nNumber);
    EXPECT_EQ(records[0].properties.size(), file.FindRecord(1)->properties.size());
    EXPECT_EQ(nullptr, file.FindRecord(99));
}

TEST(WabFileTest, RefusesWhatIsNotTheFormatReadHere)
{
    const struct
    {
        const char* pszFile;
        WabLoadResult expected;
    } cases[] = {
        {"empty.wab", kWabLoaded},
        {"older-format.wab", kWabOlderFormat},
        {"not-an-address-book.wab", kWabNotAddressBook},
        {"header-cut.wab", kWabCorrupt},
        {"index-beyond-file.wab", kWabCorrupt},
        {"index-count-beyond-file.wab", kWabCorrupt},
        {"index-wrong-type.wab", kWabCorrupt},
        {"index-entry-size.wab", kWabCorrupt},
        {"record-offset-in-header.wab", kWabCorrupt},
        {"record-id-mismatch.wab", kWabCorrupt},
        {"duplicate-ids.wab", kWabCorrupt},
        {"record-cut.wab", kWabCorrupt},
        {"property-count-too-high.wab", kWabCorrupt},
        {"string-without-terminator.wab", kWabCorrupt},
        {"string-length-beyond-record.wab", kWabCorrupt},
        {"odd-unicode.wab", kWabCorrupt},
        {"unknown-type.wab", kWabCorrupt},
        {"multi-value-count-too-high.wab", kWabCorrupt},
        {"bytes-after-properties.wab", kWabCorrupt},
    };
    for (const auto& c : cases)
    {
        const std::string bytes = ReadWab(c.pszFile);
        ASSERT_FALSE(bytes.empty()) << c.pszFile;
        CWabFile file;
        EXPECT_EQ(c.expected, file.Load(bytes)) << c.pszFile;
        if (c.expected != kWabLoaded)
            EXPECT_TRUE(file.GetRecords().empty()) << c.pszFile;
    }
}

// A file cut anywhere is refused; only the whole one reads.
TEST(WabFileTest, EveryCutOfAFileIsRefused)
{
    const std::string whole = ReadWab("people.wab");
    for (size_t n = 0; n < whole.size(); ++n)
    {
        CWabFile file;
        EXPECT_NE(kWabLoaded, file.Load(whole.substr(0, n))) << n;
    }
}

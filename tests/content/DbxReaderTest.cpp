// The Outlook Express store reader over generated store files: folders, records, texts, each fault's text
// and files made to hang, exhaust or overrun a reader.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "content/DbxReader.h"
#include "DbxStoreManifest.h"

namespace
{
std::string FixturePath(const std::string& name)
{
    return std::string(ORB_TEST_DATA_DIR) + "/dbx/" + name;
}

std::string FieldText(const CDbxRecord& record, int nIndex)
{
    const char* pszText = record.GetText(nIndex);
    return pszText != nullptr ? pszText : "";
}

// Reads a message file the way the import does: header, tree, every record and every text.
void ReadMessageFile(std::istream& stream)
{
    CDbxFileHeader header(stream);
    const uint32_t nCount = header.GetWord(CDbxFileHeader::kMessageCount);
    const uint32_t nRoot = header.GetWord(CDbxFileHeader::kMessageRoot);
    if (nCount == 0 || nRoot == 0)
        return;
    CDbxIndexTree tree(stream, nRoot, nCount);
    for (uint32_t i = 0; i < tree.GetCount(); i++)
    {
        CDbxMessageRecord record(stream, tree.GetValue(i));
        if (record.GetMask() & (1u << 4))
            CDbxBodyText text(stream, record.GetNumber(4));
    }
}

// The text of the DbxException reading the file ends in; "" when it reads through.
std::string FaultOf(const std::string& name)
{
    std::ifstream stream(FixturePath(name), std::ios::binary);
    EXPECT_TRUE(stream.is_open()) << name;
    try
    {
        ReadMessageFile(stream);
    }
    catch (const DbxException& e)
    {
        return e.GetText();
    }
    return "";
}

// A record image at position nPosition inside a stream of that many leading bytes.
std::string RecordImage(uint32_t nPosition, const std::string& body, uint8_t nEntries)
{
    std::string bytes(nPosition, '\0');
    auto word = [&bytes](uint32_t n) {
        for (int i = 0; i < 4; i++)
            bytes += (char)(n >> (8 * i));
    };
    word(nPosition);
    word((uint32_t)body.size());
    bytes += std::string("\0\0", 2);
    bytes += (char)nEntries;
    bytes += '\0';
    return bytes + body;
}

std::string Entry(int nIndex, bool bDirect, uint32_t nValue)
{
    const uint32_t n = (uint32_t)nIndex | (bDirect ? 0x80u : 0u) | (nValue << 8);
    return std::string{(char)n, (char)(n >> 8), (char)(n >> 16), (char)(n >> 24)};
}
} // namespace

TEST(DbxReaderTest, FolderListGivesTheGeneratedFoldersInTreeOrder)
{
    std::ifstream stream(DbxStoreFolder() + "folders.dbx", std::ios::binary);
    CDbxFileHeader header(stream);
    ASSERT_EQ(8u, header.GetWord(CDbxFileHeader::kFolderCount));
    CDbxIndexTree tree(stream, header.GetWord(CDbxFileHeader::kFolderRoot),
                       header.GetWord(CDbxFileHeader::kFolderCount));

    struct Expected
    {
        uint32_t nIndex, nParent;
        const char* pszName;
        const char* pszFile;
        uint32_t nFlags;
    };
    const Expected expected[] = {{0, 0, nullptr, nullptr, 0x1},
                                 {1, 0, "Local Folders", nullptr, 0x100019},
                                 {2, 1, "Inbox", "Inbox.dbx", 0x19},
                                 {3, 1, "Sent Items", "Sent Items.dbx", 0x19},
                                 {4, 1, "Projects", "Projects.dbx", 0x19},
                                 {5, 4, "Alpha", "Alpha.dbx", 0x19},
                                 {6, 4, "Beta", "Beta.dbx", 0x19},
                                 {7, 0, "news.example.com", "news.example.com.dbx", 0x8}};
    for (uint32_t i = 0; i < tree.GetCount(); i++)
    {
        CDbxFolderRecord record(stream, tree.GetValue(i));
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].nIndex, record.GetNumber(0x00));
        EXPECT_EQ(expected[i].nParent, record.GetNumber(0x01));
        EXPECT_EQ(expected[i].nFlags, record.GetNumber(0x06));
        EXPECT_EQ(expected[i].pszName != nullptr, (record.GetMask() & (1u << 2)) != 0);
        EXPECT_EQ(expected[i].pszName ? expected[i].pszName : "", FieldText(record, 0x02));
        EXPECT_EQ(expected[i].pszFile ? expected[i].pszFile : "", FieldText(record, 0x03));
        EXPECT_STREQ("folder name (newsgroup name)", record.GetFieldName(0x02));
        EXPECT_EQ(CDbxRecord::TYPE_TEXT, record.GetFieldType(0x03));
        EXPECT_EQ(1, record.GetFieldType(0x1A));
    }
}

// The message files hold trees of one, two and three levels; each gives back its messages in order.
TEST(DbxReaderTest, MessageFilesGiveBackEveryGeneratedMessage)
{
    const std::vector<CDbxManifestMessage> manifest = ReadDbxManifest();
    ASSERT_EQ(60u, manifest.size());
    std::map<std::string, std::vector<const CDbxManifestMessage*>> byFile;
    for (const CDbxManifestMessage& message : manifest)
        byFile[message.strFile].push_back(&message);

    for (const auto& file : byFile)
    {
        SCOPED_TRACE(file.first);
        std::ifstream stream(DbxStoreFolder() + file.first, std::ios::binary);
        CDbxFileHeader header(stream);
        ASSERT_EQ(file.second.size(), header.GetWord(CDbxFileHeader::kMessageCount));
        CDbxIndexTree tree(stream, header.GetWord(CDbxFileHeader::kMessageRoot),
                           header.GetWord(CDbxFileHeader::kMessageCount));
        for (uint32_t i = 0; i < tree.GetCount(); i++)
        {
            const CDbxManifestMessage& expected = *file.second[i];
            CDbxMessageRecord record(stream, tree.GetValue(i));
            EXPECT_EQ(expected.strSubject, FieldText(record, 0x08));
            EXPECT_EQ(expected.strSenderName, FieldText(record, 0x0D));
            EXPECT_EQ(expected.strSenderAddress, FieldText(record, 0x0E));
            EXPECT_EQ(expected.bUnread, (record.GetNumber(0x01) & 0x80) == 0);
            uint32_t nLength = 0;
            const unsigned char* pTime = record.GetValue(0x02, &nLength);
            ASSERT_EQ(8u, nLength);
            uint64_t nFileTime = 0;
            memcpy(&nFileTime, pTime, 8);
            EXPECT_EQ(expected.nFileTime, nFileTime);

            CDbxBodyText text(stream, record.GetNumber(0x04));
            EXPECT_EQ(expected.strText, std::string(text.GetText(), text.GetLength()));
            EXPECT_EQ('\0', text.GetText()[text.GetLength()]);
        }
    }
}

TEST(DbxReaderTest, EachFaultEndsInItsOwnText)
{
    const struct
    {
        const char* pszFile;
        const char* pszText;
    } cases[] = {
        {"faults/header-cut-short.dbx", DbxText::kReadObject},
        {"faults/not-a-store-file.dbx", DbxText::kWrongSignature},
        {"faults/record-past-the-end.dbx", DbxText::kRead},
        {"faults/record-wrong-marker.dbx", DbxText::kWrongMarker},
        {"faults/record-field-index-32.dbx", DbxText::kIndexTooBig},
        {"faults/text-blocks-all-empty.dbx", DbxText::kNoText},
        {"faults/count-beyond-the-file.dbx", DbxText::kAllocation},
        {"faults/subtree-promises-too-many.dbx", DbxText::kTooManyToRead},
        {"faults/node-past-the-end.dbx", DbxText::kReadNode},
        {"faults/node-wrong-parent.dbx", DbxText::kWrongParent},
        {"faults/node-52-entries.dbx", DbxText::kWrongEntries},
        {"faults/node-more-values-than-total.dbx", DbxText::kTooManyValues},
        {"faults/node-fewer-values-than-promised.dbx", DbxText::kWrongCount},
        {"faults/one-message.dbx", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszText, FaultOf(c.pszFile)) << c.pszFile;
}

// The texts a caller reaches by asking past the end: indexes of 32 and more, values beyond the total.
TEST(DbxReaderTest, AskingPastTheEndOfARecordOrTreeThrows)
{
    std::ifstream stream(FixturePath("faults/one-message.dbx"), std::ios::binary);
    CDbxFileHeader header(stream);
    CDbxIndexTree tree(stream, header.GetWord(CDbxFileHeader::kMessageRoot), 1);
    CDbxMessageRecord record(stream, tree.GetValue(0));
    auto textOf = [](const std::function<void()>& ask) -> std::string {
        try
        {
            ask();
        }
        catch (const DbxException& e)
        {
            return e.GetText();
        }
        return "";
    };
    EXPECT_EQ(DbxText::kWrongIndex, textOf([&] { tree.GetValue(1); }));
    EXPECT_EQ(DbxText::kWrongIndex, textOf([&] { record.GetFieldName(32); }));
    EXPECT_EQ(DbxText::kWrongIndex, textOf([&] { record.GetFieldType(32); }));
    EXPECT_EQ(DbxText::kIndexTooBig, textOf([&] { record.GetNumber(32); }));
    EXPECT_EQ(DbxText::kIndexTooBig, textOf([&] { record.GetText(32); }));
    EXPECT_EQ("", textOf([&] { record.GetNumber(31); }));
}

// Files made to loop, exhaust memory, read out of bounds or overflow the stack end in DbxException.
TEST(DbxReaderTest, HostileFilesEndInDbxException)
{
    const struct
    {
        const char* pszFile;
        const char* pszText;
    } cases[] = {
        {"hostile/text-chain-cycle.dbx", DbxText::kRead},
        {"hostile/record-length-huge.dbx", DbxText::kRead},
        {"hostile/field-offset-past-the-end.dbx", DbxText::kRead},
        {"hostile/node-chain-100-deep.dbx", DbxText::kReadNode},
        {"hostile/node-children-shared.dbx", DbxText::kReadNode},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszText, FaultOf(c.pszFile)) << c.pszFile;
}

// A block's length word is capped by its size word and by the file: the text is what the file holds.
TEST(DbxReaderTest, AnOverlongTextBlockReadsOnlyWhatTheFileHolds)
{
    std::ifstream stream(FixturePath("hostile/text-block-length-huge.dbx"), std::ios::binary);
    stream.seekg(0, std::ios::end);
    const uint64_t nFileSize = (uint64_t)stream.tellg();
    CDbxFileHeader header(stream);
    CDbxIndexTree tree(stream, header.GetWord(CDbxFileHeader::kMessageRoot), 1);
    CDbxMessageRecord record(stream, tree.GetValue(0));
    CDbxBodyText text(stream, record.GetNumber(4));
    EXPECT_EQ(nFileSize - record.GetNumber(4) - 16, text.GetLength());
    EXPECT_EQ(std::string(40, 'y'), std::string(text.GetText(), 40));
}

TEST(DbxReaderTest, DirectAndIndirectFieldsReadByTheirEntries)
{
    // Direct fields only: no data area, each field its own three bytes.
    {
        std::istringstream stream(RecordImage(16, Entry(0, true, 0x123456) + Entry(7, true, 0xFF), 2));
        CDbxMessageRecord record(stream, 16);
        uint32_t nLength = 0;
        EXPECT_NE(nullptr, record.GetValue(0, &nLength));
        EXPECT_EQ(3u, nLength);
        EXPECT_EQ(0x123456u, record.GetNumber(0));
        EXPECT_EQ(0xFFu, record.GetNumber(7));
        EXPECT_EQ((1u << 0) | (1u << 7), record.GetMask());
    }
    // Two indirect fields at one offset: the first is empty, with its pointer set; the last runs to the end.
    {
        std::istringstream stream(RecordImage(8, Entry(8, false, 0) + Entry(5, false, 0) + "abc", 2));
        CDbxMessageRecord record(stream, 8);
        uint32_t nLength = 9;
        EXPECT_NE(nullptr, record.GetValue(8, &nLength));
        EXPECT_EQ(0u, nLength);
        EXPECT_EQ(0u, record.GetNumber(8));
        record.GetValue(5, &nLength);
        EXPECT_EQ(3u, nLength);
        EXPECT_EQ("abc", FieldText(record, 5));
    }
    // Offsets that go backwards give an empty field, not a length that wraps round; a text without its
    // NUL ends at the reader's own.
    {
        std::istringstream stream(RecordImage(4, Entry(8, false, 2) + Entry(5, false, 0) + "xyz", 2));
        CDbxMessageRecord record(stream, 4);
        uint32_t nLength = 9;
        record.GetValue(8, &nLength);
        EXPECT_EQ(0u, nLength);
        EXPECT_EQ("z", FieldText(record, 8));
        record.GetValue(5, &nLength);
        EXPECT_EQ(3u, nLength);
    }
    // Fewer body bytes than the entries need.
    {
        std::istringstream stream(RecordImage(4, Entry(8, false, 2), 2));
        EXPECT_THROW(CDbxMessageRecord(stream, 4), DbxException);
    }
}

// Fuzzes the Outlook Express store reader: any bytes read as a folder list and as a message file end in a
// result or a DbxException, with every field and text inside what the file holds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "content/DbxReader.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
void CheckRecord(const CDbxRecord& record, size_t nFileSize)
{
    FUZZ_CHECK(record.GetBodyLength() <= nFileSize);
    for (int i = 0; i < CDbxRecord::kFields; i++)
    {
        uint32_t nLength = 0;
        const unsigned char* pValue = record.GetValue(i, &nLength);
        FUZZ_CHECK((pValue != nullptr) == ((record.GetMask() >> i & 1) != 0));
        FUZZ_CHECK(nLength <= record.GetBodyLength());
        if (pValue != nullptr)
        {
            // A text runs at most to the NUL the reader puts after the body.
            FUZZ_CHECK(strlen(record.GetText(i)) <= record.GetBodyLength());
            record.GetNumber(i);
            record.GetFieldName(i);
            record.GetFieldType(i);
        }
    }
}

void ReadFile(std::istream& stream, size_t nFileSize, bool bFolders)
{
    try
    {
        CDbxFileHeader header(stream);
        const uint32_t nCount = header.GetWord(bFolders ? CDbxFileHeader::kFolderCount : CDbxFileHeader::kMessageCount);
        const uint32_t nRoot = header.GetWord(bFolders ? CDbxFileHeader::kFolderRoot : CDbxFileHeader::kMessageRoot);
        if (nCount == 0 || nRoot == 0)
            return;
        CDbxIndexTree tree(stream, nRoot, nCount);
        FUZZ_CHECK(tree.GetCount() == nCount);
        for (uint32_t i = 0; i < tree.GetCount(); i++)
        {
            try
            {
                if (bFolders)
                {
                    CDbxFolderRecord record(stream, tree.GetValue(i));
                    CheckRecord(record, nFileSize);
                    continue;
                }
                CDbxMessageRecord record(stream, tree.GetValue(i));
                CheckRecord(record, nFileSize);
                if (record.GetMask() & (1u << 4))
                {
                    CDbxBodyText text(stream, record.GetNumber(4));
                    FUZZ_CHECK(text.GetLength() > 0 && text.GetLength() <= nFileSize);
                    FUZZ_CHECK(text.GetText()[text.GetLength()] == '\0');
                }
            }
            catch (const DbxException&)
            {
                // one bad record leaves the others readable
            }
        }
    }
    catch (const DbxException& e)
    {
        FUZZ_CHECK(e.GetText()[0] != '\0');
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream folders(bytes, std::ios::binary);
    ReadFile(folders, size, true);
    std::istringstream messages(bytes, std::ios::binary);
    ReadFile(messages, size, false);
    return 0;
}

// The reader of Outlook Express 5 store files. The files are chosen by the user and may be anything, so
// every length, offset, count and chain read from them is checked against the file before it is used.
#include "content/DbxReader.h"

#include <algorithm>
#include <istream>
#include <unordered_set>

namespace
{
const uint32_t kSignature = 0xFE12ADCF;
const unsigned kRecordHeader = 12;
const unsigned kBlockHeader = 16;
const unsigned kNodeSize = 0x27C;
const unsigned kNodeEntries = 51;
// A balanced tree of 51-way nodes over a file of at most 4 GB is a few levels deep.
const int kMaxTreeDepth = 64;

uint32_t Word(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

uint64_t StreamSize(std::istream& stream)
{
    stream.clear();
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    return size > 0 ? (uint64_t)size : 0;
}

// Reads exactly nCount bytes at nPosition; false when the file holds fewer.
bool ReadAt(std::istream& stream, uint64_t nPosition, void* pBuffer, size_t nCount)
{
    stream.clear();
    stream.seekg((std::streamoff)nPosition, std::ios::beg);
    if (!stream)
        return false;
    stream.read(static_cast<char*>(pBuffer), (std::streamsize)nCount);
    return stream && (size_t)stream.gcount() == nCount;
}

const char* const kFolderFieldNames[CDbxRecord::kFields] = {
    "folder index", "index of the parent folder", "folder name (newsgroup name)", "dbx file name", "id 04",
    "registry key of the account", "flags", "messages in the folder", "unread messages in the folder",
    "index for subfolders of 'local folders'", "local folder value", "id 0b", "id 0c",
    "max message index on server", "min message index on server", "id 0f", "max message index local",
    "min message index local", "messages to download", "id 13", "id 14", "id 15", "id 16", "id 17", "id 18",
    "id 19", "id 1a", "id 1b", "watched messages", "id 1d", "id 1e", "id 1f"};
const int kFolderFieldTypes[CDbxRecord::kFields] = {1, 1, 4, 4, 1, 4, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1,
                                                     1, 1, 1, 8, 0, 8, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0};

const char* const kMessageFieldNames[CDbxRecord::kFields] = {
    "message index", "flags", "time message created/send", "body lines", "message address", "original subject",
    "time message saved", "message id", "subject", "sender eMail address and name", "answered to message id",
    "server/newsgroup/message number", "server", "sender name", "sender eMail address", "id 0f",
    "message priority", "message text length", "time message created/received", "receiver name",
    "receiver eMail address", "id 15", "id 16", "id 17", "id 18", "id 19", "OE account name",
    "OE account registry key", "message text structure", "id 1d", "id 1e", "id 1f"};
const int kMessageFieldTypes[CDbxRecord::kFields] = {1, 1, 2, 1, 1, 4, 2, 4, 4, 4, 4, 4, 4, 4, 4, 0,
                                                      1, 1, 2, 4, 4, 0, 1, 0, 1, 1, 4, 4, 8, 0, 0, 0};

void CheckFieldIndex(int nIndex)
{
    if (nIndex < 0 || nIndex >= CDbxRecord::kFields)
        throw DbxException(DbxText::kWrongIndex);
}
} // namespace

CDbxFileHeader::CDbxFileHeader(std::istream& stream) : m_header(kSize)
{
    // The signature comes first, so that any other file is named as such rather than as a short read.
    stream.clear();
    stream.seekg(0, std::ios::beg);
    stream.read(reinterpret_cast<char*>(m_header.data()), kSize);
    const std::streamsize nRead = stream.gcount();
    if (nRead >= 4 && Word(m_header.data()) != kSignature)
        throw DbxException(DbxText::kWrongSignature);
    if (nRead != kSize)
        throw DbxException(DbxText::kReadObject);
}

uint32_t CDbxFileHeader::GetWord(unsigned nOffset) const
{
    return nOffset <= kSize - 4 ? Word(m_header.data() + nOffset) : 0;
}

CDbxRecord::CDbxRecord(std::istream& stream, uint32_t nPosition) : m_nPosition(nPosition)
{
    const uint64_t nFileSize = StreamSize(stream);
    unsigned char header[kRecordHeader];
    if (!ReadAt(stream, nPosition, header, sizeof(header)))
        throw DbxException(DbxText::kRead);
    if (Word(header) != nPosition)
        throw DbxException(DbxText::kWrongMarker);
    m_nLength = Word(header + 4);
    m_nWord8 = (uint16_t)(header[8] | (header[9] << 8));
    m_nEntries = header[10];
    m_nByte11 = header[11];

    // The length is the file's word: it must hold the entries and lie inside what is left of the file.
    const uint64_t nLeft = nFileSize - std::min<uint64_t>(nFileSize, (uint64_t)nPosition + kRecordHeader);
    if (m_nLength < 4u * m_nEntries || m_nLength > nLeft)
        throw DbxException(DbxText::kRead);
    m_body.resize((size_t)m_nLength + 1);
    if (m_nLength != 0 && !stream.read(reinterpret_cast<char*>(m_body.data()), m_nLength))
        throw DbxException(DbxText::kRead);
    m_body[m_nLength] = 0;

    const unsigned char* pData = m_body.data() + 4u * m_nEntries;
    const uint32_t nDataLength = m_nLength - 4u * m_nEntries;
    int nPending = -1;
    for (unsigned i = 0; i < m_nEntries; i++)
    {
        const unsigned char* pEntry = m_body.data() + 4 * i;
        const int nIndex = pEntry[0] & 0x7F;
        const bool bDirect = (pEntry[0] & 0x80) != 0;
        const uint32_t nValue = Word(pEntry) >> 8;
        if (nIndex >= kFields)
            throw DbxException(DbxText::kIndexTooBig);
        if (bDirect)
        {
            m_pValues[nIndex] = pEntry + 1;
            m_nLengths[nIndex] = 3;
        }
        else
        {
            if (nValue > nDataLength)
                throw DbxException(DbxText::kRead);
            m_pValues[nIndex] = pData + nValue;
            m_nLengths[nIndex] = 0;
            // Offsets that go backwards give an empty field, never a length that wraps round.
            if (nPending >= 0 && m_pValues[nIndex] > m_pValues[nPending])
                m_nLengths[nPending] = (uint32_t)(m_pValues[nIndex] - m_pValues[nPending]);
            nPending = nIndex;
        }
        m_nMask |= 1u << nIndex;
    }
    if (nPending >= 0)
        m_nLengths[nPending] = (uint32_t)(pData + nDataLength - m_pValues[nPending]);
}

const char* CDbxRecord::GetFieldName(int) const
{
    return "none";
}

int CDbxRecord::GetFieldType(int) const
{
    return TYPE_NONE;
}

const unsigned char* CDbxRecord::GetValue(int nIndex, uint32_t* pnLength) const
{
    if (nIndex < 0 || nIndex >= kFields)
        throw DbxException(DbxText::kIndexTooBig);
    if (pnLength != nullptr)
        *pnLength = m_nLengths[nIndex];
    return m_pValues[nIndex];
}

const char* CDbxRecord::GetText(int nIndex) const
{
    return reinterpret_cast<const char*>(GetValue(nIndex, nullptr));
}

uint32_t CDbxRecord::GetNumber(int nIndex) const
{
    uint32_t nLength = 0;
    const unsigned char* pValue = GetValue(nIndex, &nLength);
    if (pValue == nullptr)
        return 0;
    uint32_t nNumber = 0;
    for (uint32_t i = 0; i < std::min<uint32_t>(nLength, 4); i++)
        nNumber |= (uint32_t)pValue[i] << (8 * i);
    return nNumber;
}

const char* CDbxFolderRecord::GetFieldName(int nIndex) const
{
    CheckFieldIndex(nIndex);
    return kFolderFieldNames[nIndex];
}

int CDbxFolderRecord::GetFieldType(int nIndex) const
{
    CheckFieldIndex(nIndex);
    return kFolderFieldTypes[nIndex];
}

const char* CDbxMessageRecord::GetFieldName(int nIndex) const
{
    CheckFieldIndex(nIndex);
    return kMessageFieldNames[nIndex];
}

int CDbxMessageRecord::GetFieldType(int nIndex) const
{
    CheckFieldIndex(nIndex);
    return kMessageFieldTypes[nIndex];
}

CDbxBodyText::CDbxBodyText(std::istream& stream, uint32_t nPosition) : m_nPosition(nPosition)
{
    const uint64_t nFileSize = StreamSize(stream);
    // Each block lies wholly in the file at a position of its own, so a chain longer than this, or one that
    // comes back to a block, is corrupt; so are blocks whose data together outgrow the file.
    const uint64_t nMaxBlocks = nFileSize / kBlockHeader;
    struct Block
    {
        uint32_t nPosition;
        uint32_t nLength;
    };
    std::vector<Block> blocks;
    std::unordered_set<uint32_t> visited;
    uint64_t nSum = 0;
    for (uint32_t nBlock = nPosition; nBlock != 0;)
    {
        if (blocks.size() >= nMaxBlocks || !visited.insert(nBlock).second)
            throw DbxException(DbxText::kRead);
        unsigned char header[kBlockHeader];
        if (!ReadAt(stream, nBlock, header, sizeof(header)))
            throw DbxException(DbxText::kRead);
        if (Word(header) != nBlock)
            throw DbxException(DbxText::kWrongMarker);
        // A block holds no more than its own size says, and no more than the file has after its header.
        const uint64_t nLeft = nFileSize - std::min<uint64_t>(nFileSize, (uint64_t)nBlock + kBlockHeader);
        const uint32_t nLength = (uint32_t)std::min<uint64_t>({Word(header + 8), Word(header + 4), nLeft});
        nSum += nLength;
        if (nSum > nFileSize)
            throw DbxException(DbxText::kRead);
        blocks.push_back({nBlock, nLength});
        nBlock = Word(header + 12);
    }
    if (nSum == 0)
        throw DbxException(DbxText::kNoText);

    m_nLength = (uint32_t)nSum;
    m_text.resize((size_t)nSum + 1);
    size_t nFilled = 0;
    for (const Block& block : blocks)
    {
        if (block.nLength != 0 &&
            !ReadAt(stream, (uint64_t)block.nPosition + kBlockHeader, m_text.data() + nFilled, block.nLength))
            throw DbxException(DbxText::kRead);
        nFilled += block.nLength;
    }
    m_text[nFilled] = 0;
}

CDbxIndexTree::CDbxIndexTree(std::istream& stream, uint32_t nRoot, uint32_t nCount)
    : m_nRoot(nRoot), m_nCount(nCount)
{
    if (nCount == 0)
        return;
    // Every value takes a 12-byte entry of some node, so the header's count cannot exceed what the file holds.
    if (nCount > StreamSize(stream) / 12)
        throw DbxException(DbxText::kAllocation);
    try
    {
        m_values.assign(nCount, 0);
    }
    catch (const std::bad_alloc&)
    {
        throw DbxException(DbxText::kAllocation);
    }
    std::unordered_set<uint32_t> visited;
    ReadNode(stream, 0, nRoot, 0, nCount, 0, visited);
}

uint32_t CDbxIndexTree::GetValue(uint32_t nIndex) const
{
    if (nIndex >= m_nCount)
        throw DbxException(DbxText::kWrongIndex);
    return m_values[nIndex];
}

void CDbxIndexTree::ReadNode(std::istream& stream, uint32_t nParent, uint32_t nPosition, uint64_t nBase,
                             uint64_t nExpected, int nDepth, std::unordered_set<uint32_t>& visited)
{
    if (nBase + nExpected > m_nCount)
        throw DbxException(DbxText::kTooManyToRead);
    // Two references to one node would read its subtree twice (and, nested, without end).
    if (nDepth >= kMaxTreeDepth || visited.count(nPosition) != 0)
        throw DbxException(DbxText::kReadNode);
    unsigned char node[kNodeSize];
    if (!ReadAt(stream, nPosition, node, sizeof(node)))
        throw DbxException(DbxText::kReadNode);
    if (Word(node) != nPosition)
        throw DbxException(DbxText::kWrongMarker);
    if (Word(node + 0x0C) != nParent)
        throw DbxException(DbxText::kWrongParent);
    const unsigned nEntries = node[0x11];
    if (nEntries > kNodeEntries)
        throw DbxException(DbxText::kWrongEntries);
    visited.insert(nPosition);

    uint64_t nFound = 0;
    const uint32_t nFirstChild = Word(node + 0x08);
    if (nFirstChild != 0)
    {
        const uint32_t nChildCount = Word(node + 0x14);
        ReadNode(stream, nPosition, nFirstChild, nBase, nChildCount, nDepth + 1, visited);
        nFound = nChildCount;
    }
    for (unsigned i = 0; i < nEntries; i++)
    {
        const unsigned char* pEntry = node + 0x18 + 12 * i;
        const uint32_t nValue = Word(pEntry);
        if (nValue != 0)
        {
            nFound++;
            if (nBase + nFound > m_nCount)
                throw DbxException(DbxText::kTooManyValues);
            m_values[(size_t)(nBase + nFound - 1)] = nValue;
        }
        const uint32_t nChild = Word(pEntry + 4);
        if (nChild != 0)
        {
            const uint32_t nChildCount = Word(pEntry + 8);
            ReadNode(stream, nPosition, nChild, nBase + nFound, nChildCount, nDepth + 1, visited);
            nFound += nChildCount;
        }
    }
    if (nFound != nExpected)
        throw DbxException(DbxText::kWrongCount);
}

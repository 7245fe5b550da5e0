// The reader of Outlook Express 5 store files: the header, indexed records, message texts and index trees.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <unordered_set>
#include <vector>

// The texts of the reader's faults, exactly as the import shows them.
namespace DbxText
{
const char kReadObject[] = "Error reading object from input stream !";
const char kRead[] = "Error reading from input stream !";
const char kWrongMarker[] = "Wrong object marker !";
const char kIndexTooBig[] = "Index to big !";
const char kNoText[] = "No text found !";
const char kAllocation[] = "Error allocating memory !";
const char kTooManyToRead[] = "To many values to read !";
const char kReadNode[] = "Error reading node from input stream !";
const char kWrongParent[] = "Wrong parent !";
const char kWrongEntries[] = "Wrong value for entries !";
const char kTooManyValues[] = "To many values !";
const char kWrongCount[] = "Wrong number of values found!";
const char kWrongIndex[] = "Wrong index !";
const char kWrongSignature[] = "Not an Outlook Express 5 store file !";
} // namespace DbxText

// Thrown by value for every fault of a store file; there is never a partial result.
class DbxException
{
public:
    explicit DbxException(const char* pszText) : m_strText(pszText) {}
    const char* GetText() const { return m_strText.c_str(); }

private:
    std::string m_strText;
};

// The fixed-size head of every store file, read whole from position 0.
class CDbxFileHeader
{
public:
    enum
    {
        kSize = 0x24BC,
        kMessageCount = 0xC4,
        kFolderCount = 0xCC,
        kMessageRoot = 0xE4,
        kFolderRoot = 0xEC
    };

    explicit CDbxFileHeader(std::istream& stream);

    // The little-endian word at nOffset (below kSize - 3).
    uint32_t GetWord(unsigned nOffset) const;

private:
    std::vector<unsigned char> m_header;
};

// One indexed record: up to 32 fields, each a 24-bit value of its own or a slice of the record's data.
class CDbxRecord
{
public:
    enum
    {
        kFields = 32
    };
    enum FieldType
    {
        TYPE_NONE = 0,
        TYPE_NUMBER = 1,
        TYPE_FILETIME = 2,
        TYPE_TEXT = 4,
        TYPE_REFERENCE = 8
    };

    CDbxRecord(std::istream& stream, uint32_t nPosition);
    virtual ~CDbxRecord() {}
    CDbxRecord(const CDbxRecord&) = delete;
    CDbxRecord& operator=(const CDbxRecord&) = delete;

    virtual const char* GetFieldName(int nIndex) const;
    virtual int GetFieldType(int nIndex) const;

    // The field's bytes (null when absent) and their count.
    const unsigned char* GetValue(int nIndex, uint32_t* pnLength) const;
    // The field as a text: the body always ends in a NUL of our own, so a text runs at most to it.
    const char* GetText(int nIndex) const;
    // The little-endian number of the field's first bytes (at most 4); 0 when absent.
    uint32_t GetNumber(int nIndex) const;
    uint32_t GetMask() const { return m_nMask; }
    uint32_t GetBodyLength() const { return m_nLength; }

    uint32_t m_nPosition;
    uint32_t m_nLength = 0;
    uint16_t m_nWord8 = 0;
    uint8_t m_nEntries = 0;
    uint8_t m_nByte11 = 0;

private:
    std::vector<unsigned char> m_body;
    uint32_t m_nMask = 0;
    const unsigned char* m_pValues[kFields] = {};
    uint32_t m_nLengths[kFields] = {};
};

// A record of folders.dbx.
class CDbxFolderRecord : public CDbxRecord
{
public:
    CDbxFolderRecord(std::istream& stream, uint32_t nPosition) : CDbxRecord(stream, nPosition) {}
    const char* GetFieldName(int nIndex) const override;
    int GetFieldType(int nIndex) const override;
};

// A record of a folder's message file.
class CDbxMessageRecord : public CDbxRecord
{
public:
    CDbxMessageRecord(std::istream& stream, uint32_t nPosition) : CDbxRecord(stream, nPosition) {}
    const char* GetFieldName(int nIndex) const override;
    int GetFieldType(int nIndex) const override;
};

// A message's text, gathered from its chain of blocks.
class CDbxBodyText
{
public:
    CDbxBodyText(std::istream& stream, uint32_t nPosition);

    // NUL-terminated; the text itself may hold NUL bytes.
    const char* GetText() const { return m_text.data(); }
    uint32_t GetLength() const { return m_nLength; }

    uint32_t m_nPosition;

private:
    uint32_t m_nLength = 0;
    std::vector<char> m_text;
};

// The record positions of a balanced index tree, in tree order.
class CDbxIndexTree
{
public:
    CDbxIndexTree(std::istream& stream, uint32_t nRoot, uint32_t nCount);

    uint32_t GetCount() const { return m_nCount; }
    uint32_t GetValue(uint32_t nIndex) const;

private:
    void ReadNode(std::istream& stream, uint32_t nParent, uint32_t nPosition, uint64_t nBase, uint64_t nExpected,
                  int nDepth, std::unordered_set<uint32_t>& visited);

    uint32_t m_nRoot;
    uint32_t m_nCount;
    std::vector<uint32_t> m_values;
};

// Tests of CFile, CMemFile and CFileException through real files and buffers.
#include "foundation/File.h"

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FoundationTestSupport.h"
#include "foundation/MemFile.h"

namespace
{

std::string Str(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

TEST(FileTest, OpenFlagsCreateTruncateOrKeepRealFiles)
{
    CScratchFolder folder;
    const std::string strPath = folder.Path("data.txt");

    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(strPath.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
    EXPECT_EQ(strPath, Str(error.m_strFileName));
    EXPECT_EQ(NULL, file.m_hFile) << "a failed open leaves the object closed, not INVALID_HANDLE_VALUE";

    // Create without "no truncate" makes an empty file, and empties an existing one.
    ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    file.Write("hello", 5);
    file.Close();
    EXPECT_EQ("hello", ReadWholeFile(strPath));
    ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    file.Close();
    EXPECT_EQ("", ReadWholeFile(strPath));

    // Create with "no truncate" opens what is there and keeps it.
    WriteWholeFile(strPath, "kept");
    ASSERT_TRUE(
        file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite, &error));
    EXPECT_EQ(4u, file.GetLength());
    char szBuffer[16] = "";
    EXPECT_EQ(4u, file.Read(szBuffer, sizeof(szBuffer)));
    EXPECT_EQ(0, memcmp(szBuffer, "kept", 4));
    file.Close();

    const std::string strNew = folder.Path("new.txt");
    ASSERT_TRUE(
        file.Open(strNew.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite, &error));
    file.Close();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES == ::GetFileAttributesA(strNew.c_str()), false);

    // Without a record the failure is thrown, carrying the name.
    try
    {
        CFile missing(folder.Path("missing.txt").c_str(), CFile::modeRead);
        FAIL() << "no exception";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        EXPECT_EQ(folder.Path("missing.txt"), Str(e->m_strFileName));
        delete e;
    }
}

struct ShareCase
{
    UINT first;
    UINT second;
    bool secondOpens;
};

TEST(FileTest, ShareBitsDecideWhetherASecondOpenIsRefused)
{
    CScratchFolder folder;
    const std::string strPath = folder.Path("shared.txt");
    WriteWholeFile(strPath, "x");
    const ShareCase cases[] = {
        {CFile::modeRead | CFile::shareCompat, CFile::modeRead | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareExclusive, CFile::modeRead | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareDenyNone, CFile::modeRead | CFile::shareDenyNone, true},
        {CFile::modeRead | CFile::shareDenyWrite, CFile::modeRead | CFile::shareDenyNone, true},
        {CFile::modeRead | CFile::shareDenyWrite, CFile::modeWrite | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareDenyRead, CFile::modeRead | CFile::shareDenyNone, false},
        {CFile::modeRead | CFile::shareDenyRead, CFile::modeWrite | CFile::shareDenyNone, true},
    };
    for (const ShareCase& c : cases)
    {
        CFile first;
        ASSERT_TRUE(first.Open(strPath.c_str(), c.first));
        CFile second;
        CFileException error;
        EXPECT_EQ(c.secondOpens, second.Open(strPath.c_str(), c.second, &error) != FALSE)
            << std::hex << c.first << " then " << c.second;
        if (!c.secondOpens)
        {
            EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
            EXPECT_EQ(ERROR_SHARING_VIOLATION, error.m_lOsError);
        }
    }
}

TEST(FileTest, DestructorReleasesAnExclusiveFileOnAnExceptionPath)
{
    CScratchFolder folder;
    const std::string strPath = folder.Path("locked.txt");
    try
    {
        CFile file(strPath.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        file.Write("abc", 3);
        throw "stop";
    }
    catch (const char*)
    {
    }
    CFile again;
    EXPECT_TRUE(again.Open(strPath.c_str(), CFile::modeRead | CFile::shareExclusive));
}

TEST(FileTest, SeekLengthRenameAndRemove)
{
    CScratchFolder folder;
    const std::string strPath = folder.Path("a.bin");
    {
        CFile file(strPath.c_str(), CFile::modeCreate | CFile::modeReadWrite);
        file.Write("0123456789", 10);
        EXPECT_EQ(4, file.Seek(4, CFile::begin));
        EXPECT_EQ(10u, file.GetLength());
        EXPECT_EQ(6, file.Seek(2, CFile::current)) << "GetLength keeps the position";
        char c = 0;
        file.Read(&c, 1);
        EXPECT_EQ('6', c);
        EXPECT_EQ(8, file.Seek(-2, CFile::end));
        EXPECT_EQ(0u, file.Read(&c, 0));
        file.Flush();
        EXPECT_EQ("a.bin", Str(file.GetFileName()));
        EXPECT_EQ(strPath, Str(file.GetFilePath()));
        file.Close();
        EXPECT_TRUE(file.m_strFileName.IsEmpty());
    }

    CFileStatus status;
    ASSERT_TRUE(CFile::GetFileStatus(strPath.c_str(), status));
    EXPECT_EQ(10u, status.m_size);
    EXPECT_FALSE(CFile::GetFileStatus(folder.Path("none.bin").c_str(), status));

    const std::string strRenamed = folder.Path("b.bin");
    CFile::Rename(strPath.c_str(), strRenamed.c_str());
    EXPECT_EQ("0123456789", ReadWholeFile(strRenamed));
    CFile::Remove(strRenamed.c_str());
    try
    {
        CFile::Remove(strRenamed.c_str());
        FAIL() << "removing a missing file must throw";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::fileNotFound, e->m_cause);
        EXPECT_TRUE(e->m_strFileName.IsEmpty());
        delete e;
    }
}

TEST(FileExceptionTest, SystemErrorsMapToCauses)
{
    const struct
    {
        LONG error;
        int cause;
    } cases[] = {
        {0, CFileException::none},
        {2, CFileException::fileNotFound},
        {107, CFileException::fileNotFound},
        {3, CFileException::badPath},
        {123, CFileException::badPath},
        {267, CFileException::badPath},
        {4, CFileException::tooManyOpenFiles},
        {5, CFileException::accessDenied},
        {183, CFileException::accessDenied},
        {999, CFileException::accessDenied},
        {6, CFileException::fileNotFound},
        {193, CFileException::invalidFile},
        {16, CFileException::removeCurrentDir},
        {62, CFileException::directoryFull},
        {131, CFileException::badSeek},
        {21, CFileException::hardIO},
        {997, CFileException::hardIO},
        {32, CFileException::sharingViolation},
        {33, CFileException::lockViolation},
        {167, CFileException::lockViolation},
        {112, CFileException::diskFull},
        {38, CFileException::endOfFile},
        {1, CFileException::generic},
        {10054, CFileException::generic},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cause, CFileException::OsErrorToException(c.error)) << "system error " << c.error;

    CFileException::ThrowOsError(0, "nothing happens");
}

TEST(FileExceptionTest, MessagesNameTheFileOrAnUnnamedFile)
{
    const struct
    {
        int cause;
        const char* name;
        const char* text;
    } cases[] = {
        {CFileException::sharingViolation, "",
         "A sharing violation occurred while accessing an unnamed file."},
        {CFileException::fileNotFound, "C:\\mail\\a.eml", "C:\\mail\\a.eml was not found."},
        {CFileException::badSeek, "", "Seek failed on an unnamed file"},
        {CFileException::none, "x", "No error occurred."},
        {CFileException::endOfFile, "f", "An attempt was made to access f past its end."},
    };
    for (const auto& c : cases)
    {
        CFileException e(c.cause, -1, c.name);
        char szText[256];
        UINT nId = 0;
        EXPECT_TRUE(e.GetErrorMessage(szText, sizeof(szText), &nId));
        EXPECT_STREQ(c.text, szText);
        EXPECT_EQ(61856u + c.cause, nId);
    }

    CFileException e(CFileException::fileNotFound, 2, "C:\\long-name.txt");
    char szShort[8];
    e.GetErrorMessage(szShort, sizeof(szShort));
    EXPECT_STREQ("C:\\long", szShort);
}

TEST(FileExceptionTest, FormatStringsFillsNumberedAndLetteredPlaceholders)
{
    const char* strings[] = {"one", NULL, "three", "4", "5", "6", "7", "8", "9", "ten"};
    const struct
    {
        const char* format;
        int count;
        const char* expected;
    } cases[] = {
        {"%1 and %3", 3, "one and three"},
        {"[%2]", 3, "[]"},
        {"%4%5", 3, "??"},
        {"%A!", 10, "ten!"},
        {"%B", 10, "?"},
        {"100% %x %", 1, "100% %x %"},
        {"%%1", 1, "%one"},
    };
    for (const auto& c : cases)
    {
        CString strOut;
        FormatStrings(strOut, c.format, strings, c.count);
        EXPECT_EQ(c.expected, Str(strOut)) << c.format;
    }
}

TEST(MemFileTest, GrowsInStepsAndSeeksWithinItsSize)
{
    CMemFile file(4096);
    std::vector<char> data(5000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    file.Write(data.data(), static_cast<UINT>(data.size()));
    EXPECT_EQ(8192u, file.m_nBufferSize);
    EXPECT_EQ(5000u, file.m_nFileSize);
    EXPECT_EQ(5000u, file.GetLength());

    EXPECT_EQ(0, file.Seek(0, CFile::begin));
    std::vector<char> back(6000);
    EXPECT_EQ(5000u, file.Read(back.data(), static_cast<UINT>(back.size())));
    EXPECT_EQ(0, memcmp(data.data(), back.data(), data.size()));
    EXPECT_EQ(0u, file.Read(back.data(), 1));

    EXPECT_EQ(-1, file.Seek(0, 7));
    EXPECT_EQ(5000u, file.GetPosition());
    try
    {
        file.Seek(-1, CFile::begin);
        FAIL() << "no exception";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::badSeek, e->m_cause);
        EXPECT_EQ(-1, e->m_lOsError);
        delete e;
    }

    file.SetLength(10);
    EXPECT_EQ(10u, file.GetPosition());
    EXPECT_EQ(10u, file.GetLength());

    void* pStart = NULL;
    void* pEnd = NULL;
    file.Seek(4, CFile::begin);
    EXPECT_EQ(6u, file.GetBufferPtr(CMemFile::bufferRead, 0xFFFFFFFF, &pStart, &pEnd));
    EXPECT_EQ(0, memcmp(pStart, data.data() + 4, 6));
    EXPECT_EQ(10u, file.GetPosition());
}

TEST(MemFileTest, AFixedBufferRefusesToGrowInsteadOfOverrunning)
{
    BYTE buffer[16 + 4];
    memset(buffer, 0xEE, sizeof(buffer));
    CMemFile file(buffer, 16, 0);
    EXPECT_EQ(16u, file.GetLength()) << "with no grow step the whole buffer is the file";
    file.Seek(0, CFile::begin);
    file.Write("0123456789", 10);
    try
    {
        file.Write("ABCDEFGHIJ", 10);
        FAIL() << "no exception";
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(CFileException::diskFull, e->m_cause);
        delete e;
    }
    for (int i = 16; i < 20; ++i)
        EXPECT_EQ(0xEE, buffer[i]) << "byte " << i << " past the buffer was written";
    EXPECT_EQ(0, memcmp(buffer, "0123456789", 10));
}

TEST(MemFileTest, GrowingACallersBufferMovesTheDataWithoutTouchingIt)
{
    BYTE buffer[8];
    memcpy(buffer, "abcdefgh", 8);
    {
        CMemFile file(buffer, 8, 64);
        file.Write("ABCD", 4);
        file.Write("0123456789", 10);
        EXPECT_NE(buffer, file.m_lpBuffer);
        EXPECT_EQ(14u, file.GetLength());
        char szBack[15] = "";
        file.Seek(0, CFile::begin);
        file.Read(szBack, 14);
        EXPECT_STREQ("ABCD0123456789", szBack);
    }
    EXPECT_EQ(0, memcmp(buffer, "ABCDefgh", 8)) << "the caller's buffer holds what fitted before the move";
}

TEST(PathTest, RootOfDriveAndUncPaths)
{
    const struct
    {
        const char* path;
        const char* root;
    } cases[] = {
        {"C:\\mail\\a.eml", "C:\\"},     {"\\\\srv\\docs\\a\\b.txt", "\\\\srv\\docs\\"},
        {"//srv/docs/a", "//srv/docs/"}, {"\\\\srv\\docs", "\\\\srv\\docs"},
        {"name.txt", "name.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.root, Str(GetRootOfPath(c.path))) << c.path;

    char szName[4];
    EXPECT_EQ(6u, GetFileNameFromPath("C:\\dir\\a.eml", NULL, 0));
    GetFileNameFromPath("C:\\dir\\a.eml", szName, sizeof(szName));
    EXPECT_STREQ("a.e", szName);
}

} // namespace

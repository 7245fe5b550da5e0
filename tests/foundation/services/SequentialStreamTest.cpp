// Tests of the in-memory sequential stream.
#include "foundation/SequentialStream.h"

#include <string>

#include <gtest/gtest.h>

TEST(SequentialStream, ReadReportsShortAndEmptyReads)
{
    CSequentialStream stream;
    char buffer[16];
    ULONG nRead = 99;
    EXPECT_EQ(S_FALSE, stream.Read(buffer, sizeof(buffer), &nRead));
    EXPECT_EQ(0u, nRead);

    ULONG nWritten = 0;
    ASSERT_EQ(S_OK, stream.Write("hello world", 11, &nWritten));
    EXPECT_EQ(11u, nWritten);

    EXPECT_EQ(S_OK, stream.Read(buffer, 5, &nRead));
    EXPECT_EQ(5u, nRead);
    EXPECT_EQ("hello", std::string(buffer, nRead));
    EXPECT_EQ(S_FALSE, stream.Read(buffer, sizeof(buffer), &nRead));
    EXPECT_EQ(6u, nRead);
    EXPECT_EQ(" world", std::string(buffer, nRead));
    EXPECT_EQ(S_FALSE, stream.Read(buffer, sizeof(buffer), &nRead));
    EXPECT_EQ(0u, nRead);
    EXPECT_EQ(S_OK, stream.Read(buffer, 0, &nRead));
    EXPECT_EQ(S_OK, stream.Read(buffer, 0, NULL));
}

TEST(SequentialStream, NullBuffersAreRefused)
{
    CSequentialStream stream;
    ULONG nCount = 99;
    EXPECT_EQ(STG_E_INVALIDPOINTER, stream.Read(NULL, 4, &nCount));
    EXPECT_EQ(0u, nCount);
    EXPECT_EQ(STG_E_INVALIDPOINTER, stream.Write(NULL, 4, &nCount));
    EXPECT_EQ(0u, stream.m_nSize);
}

TEST(SequentialStream, WriteOfNothingChangesNothing)
{
    CSequentialStream stream;
    ULONG nWritten = 99;
    EXPECT_EQ(S_OK, stream.Write("x", 0, &nWritten));
    EXPECT_EQ(0u, nWritten);
    EXPECT_EQ(0u, stream.m_nSize);
    EXPECT_EQ(NULL, stream.m_pBuffer);
}

TEST(SequentialStream, ManySmallWritesKeepEveryByteInOrder)
{
    CSequentialStream stream;
    std::string strExpected;
    for (int i = 0; i < 20000; i++)
    {
        char ch = (char)('a' + i % 26);
        strExpected += ch;
        ASSERT_EQ(S_OK, stream.Write(&ch, 1, NULL));
    }
    ASSERT_EQ(strExpected.size(), stream.m_nSize);
    std::string strRead(strExpected.size(), '\0');
    ULONG nRead = 0;
    EXPECT_EQ(S_OK, stream.Read(&strRead[0], (ULONG)strRead.size(), &nRead));
    EXPECT_EQ(strExpected, strRead);
}

TEST(SequentialStream, AnswersOnlyItsOwnInterfacesAndNeverDeletesItself)
{
    CSequentialStream stream;
    void* pv = NULL;
    EXPECT_EQ(S_OK, stream.QueryInterface(IID_ISequentialStream, &pv));
    EXPECT_EQ(static_cast<ISequentialStream*>(&stream), pv);
    EXPECT_EQ(S_OK, stream.QueryInterface(IID_IUnknown, &pv));
    EXPECT_EQ(2u, stream.m_nRefCount);
    EXPECT_EQ(E_NOINTERFACE, stream.QueryInterface(IID_IStream, &pv));
    EXPECT_EQ(NULL, pv);
    EXPECT_EQ(1u, stream.Release());
    EXPECT_EQ(0u, stream.Release());
    EXPECT_EQ(S_OK, stream.Write("still here", 10, NULL));
}

TEST(SequentialStream, ClearEmptiesTheStream)
{
    CSequentialStream stream;
    stream.Write("abc", 3, NULL);
    stream.Clear();
    EXPECT_EQ(0u, stream.m_nSize);
    char buffer[4];
    ULONG nRead = 9;
    EXPECT_EQ(S_FALSE, stream.Read(buffer, sizeof(buffer), &nRead));
    EXPECT_EQ(0u, nRead);
    stream.Write("de", 2, NULL);
    EXPECT_EQ(S_OK, stream.Read(buffer, 2, &nRead));
    EXPECT_EQ("de", std::string(buffer, 2));
}

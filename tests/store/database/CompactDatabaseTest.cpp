// Compaction: a packed copy that reads back, refusal while the file is in use, and the safe in-place order.
#include <gtest/gtest.h>

#include <string>

#include "StoreTestSupport.h"
#include "foundation/Exception.h"
#include "store/CompactDatabase.h"

namespace
{
bool FileExists(const char* pszPath)
{
    return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
}

void MakeDatabaseWithRows(const char* pszPath, int nRows)
{
    ASSERT_TRUE(CreateDatabaseFile(pszPath));
    CSession session;
    ASSERT_HRESULT_SUCCEEDED(OpenSession(pszPath, session));
    ASSERT_TRUE(Execute(session, "CREATE TABLE T(ID COUNTER CONSTRAINT PK_T PRIMARY KEY, Name TEXT(100))"));
    for (int i = 0; i < nRows; i++)
        ASSERT_TRUE(Execute(session, "INSERT INTO T (Name) VALUES ('row')"));
    ASSERT_TRUE(Execute(session, "DELETE FROM T WHERE ID > 2"));
}

long CountRows(const char* pszPath)
{
    CSession session;
    if (FAILED(OpenSession(pszPath, session)))
        return -1;
    return QueryLong(session, "SELECT COUNT(*) FROM T");
}

std::string CompactFailure(const char* pszSource, const char* pszDestination)
{
    try
    {
        CompactDatabase(pszSource, pszDestination);
    }
    catch (CException* pException)
    {
        std::string text = (const char*)pException->m_strMessage;
        delete pException;
        return text;
    }
    return "no exception";
}
} // namespace

TEST(CompactDatabase, PackedCopyReadsBackAndReplacesAnOldDestination)
{
    CScratchFolder folder("compact");
    MakeDatabaseWithRows(folder.Path("email.mdb"), 50);
    HANDLE hFile = CreateFileA(folder.Path("packed.mdb"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(hFile);

    EXPECT_EQ(S_OK, CompactDatabase(folder.Path("email.mdb"), folder.Path("packed.mdb")));
    EXPECT_EQ(2, CountRows(folder.Path("packed.mdb")));
    EXPECT_EQ(2, CountRows(folder.Path("email.mdb")));
    EXPECT_NE(0, GetJetEngineType(folder.Path("email.mdb")));
    EXPECT_EQ(0, GetJetEngineType(NULL));
}

TEST(CompactDatabase, RefusesWhileTheDatabaseIsInUse)
{
    CScratchFolder folder("compact-busy");
    MakeDatabaseWithRows(folder.Path("email.mdb"), 3);
    CSession session;
    ASSERT_HRESULT_SUCCEEDED(OpenSession(folder.Path("email.mdb"), session));

    EXPECT_EQ("Compact database failed.\r\nThe database cannot be opened exclusively.",
              CompactFailure(folder.Path("email.mdb"), folder.Path("packed.mdb")));

    // In place, the database survives the failure and no partial copy is left behind.
    try
    {
        CompactDatabaseFile(folder.Path("email.mdb"));
        ADD_FAILURE();
    }
    catch (CException* pException)
    {
        delete pException;
    }
    EXPECT_FALSE(FileExists(folder.Path("email.mdb.compact")));
    session.Close();
    EXPECT_EQ(2, CountRows(folder.Path("email.mdb")));
}

TEST(CompactDatabase, InPlaceCompactionKeepsTheData)
{
    CScratchFolder folder("compact-in-place");
    MakeDatabaseWithRows(folder.Path("email.mdb"), 200);
    EXPECT_EQ(S_OK, CompactDatabaseFile(folder.Path("email.mdb")));
    EXPECT_EQ(2, CountRows(folder.Path("email.mdb")));
    EXPECT_FALSE(FileExists(folder.Path("email.mdb.compact")));
}

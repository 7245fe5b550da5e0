// One session shared by threads: each gets its own new row ids and its own error records.
#include "OleDbTestSupport.h"

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace
{
class CNameRow
{
public:
    LONG m_ID;
    char m_szName[101];
    BEGIN_ACCESSOR_MAP(CNameRow, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_szName)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()
};

class CNames : public CCommand<CAccessor<CNameRow>>
{
public:
    HRESULT OpenAll(CSession& session)
    {
        CDBPropSet propset(DBPROPSET_ROWSET);
        propset.AddProperty(DBPROP_IRowsetChange, true);
        propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
        return Open(session, "SELECT ID, Name FROM Folders", &propset);
    }
};

const int kRowsPerThread = 200;

class ConcurrencyTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec("CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, Name TEXT(100) NOT NULL)");
    }
};
} // namespace

TEST_F(ConcurrencyTest, ThreadsInsertingIntoOneSessionReadTheirOwnNewIds)
{
    std::atomic<int> nReady{0};
    std::vector<std::vector<LONG>> ids(2);
    std::vector<int> mismatches(2, 0);
    auto worker = [&](int nThread) {
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        {
            CNames names;
            ++nReady;
            while (nReady < 2)
                std::this_thread::yield();
            if (SUCCEEDED(names.OpenAll(m_session)))
                for (int i = 0; i < kRowsPerThread; ++i)
                {
                    std::string name = "T" + std::to_string(nThread) + "-" + std::to_string(i);
                    lstrcpyA(names.m_szName, name.c_str());
                    if (names.Insert(0) != S_OK || names.MoveLast() != S_OK)
                        break;
                    if (name != names.m_szName)
                        ++mismatches[nThread];
                    ids[nThread].push_back(names.m_ID);
                }
        }
        CoUninitialize();
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();

    std::set<LONG> all;
    for (int t = 0; t < 2; ++t)
    {
        EXPECT_EQ((size_t)kRowsPerThread, ids[t].size());
        EXPECT_EQ(0, mismatches[t]);
        all.insert(ids[t].begin(), ids[t].end());
    }
    EXPECT_EQ((size_t)(2 * kRowsPerThread), all.size());

    // Every id names the row its thread wrote.
    CNames check;
    ASSERT_EQ(S_OK, check.OpenAll(m_session));
    int nRows = 0;
    while (check.MoveNext() == S_OK)
        ++nRows;
    EXPECT_EQ(2 * kRowsPerThread, nRows);
}

TEST_F(ConcurrencyTest, EachThreadReadsTheErrorRecordsOfItsOwnFailure)
{
    std::atomic<int> nStep{0};
    CErrorRecord failed;
    ULONG nRecordsOfGoodThread = 99;
    std::thread bad([&] {
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        {
            CCommand<CNoAccessor, CNoRowset> command;
            command.Open(m_session, "INSERT INTO Folders (Name) VALUES (NULL)");
            nStep = 1;
            while (nStep < 2)
                std::this_thread::yield();
            failed = ReadErrorRecord(command.m_spCommand, IID_ICommand);
        }
        CoUninitialize();
    });
    std::thread good([&] {
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        {
            while (nStep < 1)
                std::this_thread::yield();
            CCommand<CNoAccessor, CNoRowset> command;
            EXPECT_EQ(S_OK, command.Open(m_session, "INSERT INTO Folders (Name) VALUES ('fine')"));
            CDBErrorInfo info;
            info.GetErrorRecords(command.m_spCommand, IID_ICommand, &nRecordsOfGoodThread);
            nStep = 2;
        }
        CoUninitialize();
    });
    bad.join();
    good.join();
    EXPECT_EQ(0u, nRecordsOfGoodThread);
    EXPECT_EQ(1u, failed.nRecords);
    EXPECT_EQ(5003314u, failed.dwHelpContext);
    EXPECT_NE(std::string::npos, failed.strDescription.find("'Name'")) << failed.strDescription;
}

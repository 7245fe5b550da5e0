// A session's local transaction: what it holds back, what an abort undoes, and another connection meanwhile.
#include "OleDbTestSupport.h"

#include <atomic>
#include <thread>

namespace
{
class CSiteRow
{
public:
    LONG m_ID;
    char m_szName[101];
    BEGIN_ACCESSOR_MAP(CSiteRow, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_szName)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()
};

class CSites : public CCommand<CAccessor<CSiteRow>>
{
public:
    HRESULT OpenAll(CSession& session)
    {
        CDBPropSet propset(DBPROPSET_ROWSET);
        propset.AddProperty(DBPROP_IRowsetChange, true);
        propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
        return Open(session, "SELECT SiteID, Company FROM Site", &propset);
    }
    HRESULT Add(const char* pszName)
    {
        lstrcpyA(m_szName, pszName);
        return Insert(0);
    }
};

int CountRows(CSession& session)
{
    CSites sites;
    if (FAILED(sites.OpenAll(session)))
        return -1;
    int n = 0;
    while (sites.MoveNext() == S_OK)
        ++n;
    return n;
}

class TransactionTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec("CREATE TABLE Site(SiteID COUNTER CONSTRAINT PK_SiteID PRIMARY KEY, Company TEXT(100))");
    }
};
} // namespace

TEST_F(TransactionTest, CommitKeepsAndAbortUndoesEveryChangeOfTheTransaction)
{
    CSites sites;
    ASSERT_EQ(S_OK, sites.OpenAll(m_session));

    ASSERT_EQ(S_OK, m_session.StartTransaction(ISOLATIONLEVEL_READCOMMITTED));
    ASSERT_EQ(S_OK, sites.Add("kept"));
    Exec("INSERT INTO Site (Company) VALUES ('kept too')");
    ASSERT_EQ(S_OK, m_session.Commit(FALSE, XACTTC_SYNC, 0));
    EXPECT_EQ(2, CountRows(m_session));

    ASSERT_EQ(S_OK, m_session.StartTransaction(ISOLATIONLEVEL_READCOMMITTED));
    ASSERT_EQ(S_OK, sites.Add("undone"));
    Exec("DELETE FROM Site WHERE Company = 'kept'");
    ASSERT_EQ(S_OK, m_session.Abort());
    EXPECT_EQ(2, CountRows(m_session));
}

TEST_F(TransactionTest, StateErrorsAreRefusedWithoutTouchingTheOpenTransaction)
{
    XACTTRANSINFO info;
    EXPECT_EQ(XACT_E_NOTRANSACTION, m_session.Commit());
    EXPECT_EQ(XACT_E_NOTRANSACTION, m_session.Abort());
    EXPECT_EQ(XACT_E_NOTRANSACTION, m_session.GetTransactionInfo(&info));
    EXPECT_EQ(XACT_E_ISOLATIONLEVEL, m_session.StartTransaction((ISOLEVEL)0x12345));

    ULONG nLevel = 0;
    ASSERT_EQ(S_OK, m_session.StartTransaction(ISOLATIONLEVEL_READCOMMITTED, 0, NULL, &nLevel));
    EXPECT_EQ(1u, nLevel);
    ASSERT_EQ(S_OK, m_session.GetTransactionInfo(&info));
    EXPECT_EQ(ISOLATIONLEVEL_READCOMMITTED, info.isoLevel);
    Exec("INSERT INTO Site (Company) VALUES ('inside')");
    // A second start does not commit the first behind the caller's back.
    EXPECT_EQ(XACT_E_XTIONEXISTS, m_session.StartTransaction(ISOLATIONLEVEL_READCOMMITTED));
    ASSERT_EQ(S_OK, m_session.Abort());
    EXPECT_EQ(0, CountRows(m_session));
}

TEST_F(TransactionTest, RetainingCommitStartsTheNextTransaction)
{
    ASSERT_EQ(S_OK, m_session.StartTransaction());
    Exec("INSERT INTO Site (Company) VALUES ('first')");
    ASSERT_EQ(S_OK, m_session.Commit(TRUE));
    Exec("INSERT INTO Site (Company) VALUES ('second')");
    ASSERT_EQ(S_OK, m_session.Abort());
    EXPECT_EQ(1, CountRows(m_session));
}

TEST_F(TransactionTest, TheInsertedRowIsLastWhileAnotherConnectionInserts)
{
    CDataSource otherSource;
    CSession other;
    ASSERT_EQ(S_OK, OpenDataSource(otherSource, m_strPath));
    ASSERT_EQ(S_OK, other.Open(otherSource));

    CSites sites;
    ASSERT_EQ(S_OK, sites.OpenAll(m_session));
    // Rows the other connection stores after this rowset was read must not pass for this one's new row.
    ASSERT_EQ(S_OK, Execute(other, "INSERT INTO Site (Company) VALUES ('other 1')"));

    std::atomic<int> nStep{0};
    std::thread writer([&] {
        CoInitializeEx(NULL, COINIT_MULTITHREADED);
        while (nStep < 1)
            std::this_thread::yield();
        // Waits for the writer lock of the transaction, then stores its row after it.
        EXPECT_EQ(S_OK, Execute(other, "INSERT INTO Site (Company) VALUES ('other 2')"));
        CoUninitialize();
    });
    ASSERT_EQ(S_OK, m_session.StartTransaction(ISOLATIONLEVEL_READCOMMITTED));
    nStep = 1;
    ASSERT_EQ(S_OK, sites.Add("mine"));
    ASSERT_EQ(S_OK, sites.MoveLast());
    EXPECT_STREQ("mine", sites.m_szName);
    LONG nMine = sites.m_ID;
    ASSERT_EQ(S_OK, m_session.Commit());
    writer.join();

    CSites check;
    ASSERT_EQ(S_OK, check.OpenAll(m_session));
    bool bFound = false;
    while (check.MoveNext() == S_OK)
        if (check.m_ID == nMine)
        {
            bFound = true;
            EXPECT_STREQ("mine", check.m_szName);
        }
    EXPECT_TRUE(bFound);
    EXPECT_EQ(3, CountRows(m_session));
    other.Close();
}

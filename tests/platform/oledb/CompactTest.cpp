// Compaction through the provider's own interface: a readable copy, refused while the source is in use.
#include "OleDbTestSupport.h"

namespace
{
class CompactTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec("CREATE TABLE Site(SiteID COUNTER CONSTRAINT PK_SID PRIMARY KEY, COMPANY TEXT(100))");
        Exec("CREATE INDEX idxCompany ON Site (Company)");
        for (int i = 0; i < 50; ++i)
            Exec(("INSERT INTO Site (COMPANY) VALUES ('Company " + std::to_string(i) + "')").c_str());
        Exec("DELETE FROM Site WHERE SiteID > 10");
    }

    // The compaction as the store calls it: open the source, hand the destination to IJetCompact.
    HRESULT Compact(const std::string& strSource, const std::string& strDest)
    {
        COleDbPtr<IDBInitialize> spInit;
        HRESULT hr = OleDbCoCreateInstance(CLSID_JETOLEDB_4_00, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                                           (void**)&spInit);
        if (FAILED(hr))
            return hr;
        COleDbPtr<IDBProperties> spProperties;
        spInit->QueryInterface(IID_IDBProperties, (void**)&spProperties);
        CDBPropSet source(DBPROPSET_DBINIT);
        source.AddProperty(DBPROP_INIT_DATASOURCE, strSource.c_str());
        hr = spProperties->SetProperties(1, &source);
        if (SUCCEEDED(hr))
            hr = spInit->Initialize();
        if (FAILED(hr))
            return hr;
        COleDbPtr<IJetCompact> spCompact;
        hr = spInit->QueryInterface(IID_IJetCompact, (void**)&spCompact);
        if (FAILED(hr))
            return hr;
        CDBPropSet dest(DBPROPSET_DBINIT);
        dest.AddProperty(DBPROP_INIT_DATASOURCE, strDest.c_str());
        return spCompact->Compact(1, &dest);
    }
};
} // namespace

TEST_F(CompactTest, CompactionWritesAReadableCopyOfAClosedDatabase)
{
    m_session.Close();
    m_ds.Close();
    std::string strDest = m_folder.Path("compact.mdb");
    ASSERT_EQ(S_OK, Compact(m_strPath, strDest));

    CDataSource ds;
    ASSERT_EQ(S_OK, OpenDataSource(ds, strDest));
    CSession session;
    ASSERT_EQ(S_OK, session.Open(ds));
    struct CRow
    {
        LONG m_nCount;
        BEGIN_COLUMN_MAP(CRow)
            COLUMN_ENTRY(1, m_nCount)
        END_COLUMN_MAP()
    };
    CCommand<CAccessor<CRow>> q;
    ASSERT_EQ(S_OK, q.Open(session, "SELECT COUNT(*) FROM Site WHERE COMPANY LIKE 'company %'"));
    ASSERT_EQ(S_OK, q.MoveNext());
    EXPECT_EQ(10, q.m_nCount);
}

TEST_F(CompactTest, CompactionRefusesASourceInUseAndAnExistingDestination)
{
    std::string strDest = m_folder.Path("compact.mdb");
    EXPECT_EQ(DB_E_OBJECTOPEN, Compact(m_strPath, strDest));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strDest.c_str()));

    m_session.Close();
    m_ds.Close();
    ASSERT_EQ(S_OK, CreateDatabaseFile(strDest));
    EXPECT_EQ(DB_E_DUPLICATEDATASOURCE, Compact(m_strPath, strDest));
}

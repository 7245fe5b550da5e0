// Opening, creating and listing data sources, and the error records of failed opens.
#include "OleDbTestSupport.h"

namespace
{
class DataSourceTest : public ::testing::Test
{
protected:
    void SetUp() override { CoInitialize(NULL); }
    void TearDown() override
    {
        OleDbInjectIoFaults(0);
        OleDbHideJetProvider(false);
        CoUninitialize();
    }
    CTempFolder m_folder;
};

struct OpenFailureCase
{
    const char* pszName;
    std::string (*makePath)(const CTempFolder&);
    LONG nIoFaults;
    DWORD dwHelpContext;
    const char* pszDescriptionStart;
};

const OpenFailureCase kOpenFailures[] = {
    {"missing file", [](const CTempFolder& f) { return f.Path("missing.mdb"); }, 0, 5003024,
     "Could not find file '"},
    {"missing folder", [](const CTempFolder& f) { return f.Path("no-such-folder\\email.mdb"); }, 0, 5003044,
     "'"},
    {"injected disk fault", [](const CTempFolder& f) { return f.Path("present.mdb"); }, 1, 5003043,
     "Disk or network error."},
    {"empty path", [](const CTempFolder&) { return std::string(); }, 0, 5003055, "Not a valid file name."},
    {"wildcard in the name", [](const CTempFolder& f) { return f.Path("e*.mdb"); }, 0, 5003055,
     "Not a valid file name."},
};
} // namespace

TEST_F(DataSourceTest, FailedOpensCarryJetNumbersAndTextsInTheirErrorRecords)
{
    ASSERT_EQ(S_OK, CreateDatabaseFile(m_folder.Path("present.mdb")));
    for (const OpenFailureCase& c : kOpenFailures)
    {
        SCOPED_TRACE(c.pszName);
        std::string strPath = c.makePath(m_folder);
        OleDbInjectIoFaults(c.nIoFaults);
        CDataSource ds;
        EXPECT_TRUE(FAILED(OpenDataSource(ds, strPath)));
        CErrorRecord record = ReadErrorRecord(ds.m_spInit, IID_IDBInitialize);
        ASSERT_EQ(1u, record.nRecords);
        EXPECT_EQ(c.dwHelpContext, record.dwHelpContext);
        EXPECT_EQ(c.dwHelpContext, record.dwNative);
        EXPECT_EQ("Microsoft JET Database Engine", record.strSource);
        EXPECT_EQ(0, record.strDescription.compare(0, strlen(c.pszDescriptionStart), c.pszDescriptionStart))
            << record.strDescription;
        EXPECT_TRUE(record.guid == IID_IDBInitialize);
    }
}

TEST_F(DataSourceTest, MissingFileTextNamesThePathAndTheFileIsNotCreated)
{
    std::string strPath = m_folder.Path("missing.mdb");
    CDataSource ds;
    EXPECT_TRUE(FAILED(OpenDataSource(ds, strPath)));
    EXPECT_EQ("Could not find file '" + strPath + "'.",
              ReadErrorRecord(ds.m_spInit, IID_IDBInitialize).strDescription);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strPath.c_str()));
}

TEST_F(DataSourceTest, AFileThatIsNotADatabaseDoesNotOpen)
{
    std::string strPath = m_folder.Path("text.mdb");
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cb = 0;
    const char text[] = "This is a plain text file, long enough to hold a database header and more of it.";
    WriteFile(h, text, sizeof(text), &cb, NULL);
    CloseHandle(h);
    CDataSource ds;
    EXPECT_TRUE(FAILED(OpenDataSource(ds, strPath)));
    EXPECT_EQ(5003343u, ReadErrorRecord(ds.m_spInit, IID_IDBInitialize).dwHelpContext);
}

TEST_F(DataSourceTest, CreateDataSourceMakesAnOpenableFileAndRefusesAnExistingOne)
{
    std::string strPath = m_folder.Path("new.mdb");
    ASSERT_EQ(S_OK, CreateDatabaseFile(strPath));
    CDataSource ds;
    ASSERT_EQ(S_OK, OpenDataSource(ds, strPath));
    CSession session;
    ASSERT_EQ(S_OK, session.Open(ds));
    CTables tables;
    ASSERT_EQ(S_OK, tables.Open(session));
    EXPECT_EQ(DB_S_ENDOFROWSET, tables.MoveNext());
    EXPECT_EQ(DB_E_DUPLICATEDATASOURCE, CreateDatabaseFile(strPath));
}

TEST_F(DataSourceTest, EnumeratorListsTheJetProviderUnlessHidden)
{
    for (bool bHide : {false, true})
    {
        SCOPED_TRACE(bHide ? "hidden" : "listed");
        OleDbHideJetProvider(bHide);
        CEnumerator sources;
        ASSERT_EQ(S_OK, sources.Open());
        bool bFound = false;
        while (sources.MoveNext() == S_OK)
            bFound = bFound || wcscmp(sources.m_szName, L"Microsoft.Jet.OLEDB.4.0") == 0;
        EXPECT_EQ(!bHide, bFound);
    }
}

TEST_F(DataSourceTest, ServiceComponentsReportTheEngineTypeOfAFile)
{
    std::string strPath = m_folder.Path("engine.mdb");
    ASSERT_EQ(S_OK, CreateDatabaseFile(strPath));
    COleDbPtr<IDataInitialize> spInit;
    ASSERT_EQ(S_OK, OleDbCoCreateInstance(CLSID_MSDAINITIALIZE, NULL, CLSCTX_INPROC_SERVER, IID_IDataInitialize,
                                          (void**)&spInit));
    std::wstring init = L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                        std::wstring(strPath.begin(), strPath.end()) + L";";
    COleDbPtr<IDBInitialize> spSource;
    ASSERT_EQ(S_OK, spInit->GetDataSource(NULL, CLSCTX_INPROC_SERVER, init.c_str(), IID_IDBInitialize,
                                          (IUnknown**)&spSource));
    ASSERT_EQ(S_OK, spSource->Initialize());
    CDataSource ds;
    ds.m_spInit = spSource;
    VARIANT v;
    VariantInit(&v);
    ASSERT_EQ(S_OK, ds.GetProperty(DBPROPSET_JETOLEDB_DBINIT, DBPROP_JETOLEDB_ENGINE, &v));
    EXPECT_EQ(VT_I4, v.vt);
    EXPECT_EQ(JETDBENGINETYPE_JET4X, v.lVal);
}

TEST_F(DataSourceTest, AFileHeldExclusivelyElsewhereFailsWithJetError3051)
{
    std::string strPath = m_folder.Path("locked.mdb");
    ASSERT_EQ(S_OK, CreateDatabaseFile(strPath));
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CDataSource ds;
    EXPECT_TRUE(FAILED(OpenDataSource(ds, strPath)));
    CErrorRecord record = ReadErrorRecord(ds.m_spInit, IID_IDBInitialize);
    CloseHandle(h);
    EXPECT_EQ(5003051u, record.dwHelpContext);
    EXPECT_EQ("The Microsoft Jet database engine cannot open the file '" + strPath +
                  "'.  It is already opened exclusively by another user, or you need permission to view its data.",
              record.strDescription);
}

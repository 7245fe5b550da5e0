// Shared fixture of the OLE DB layer tests: a fresh database file in a private folder, and small helpers.
#pragma once

#include <atldbcli.h>
#include <atldbsch.h>

#include <gtest/gtest.h>

#include <string>

// Every test gets a folder of its own under the temporary folder, removed afterwards.
class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    std::string Path(const char* pszName) const { return m_strPath + "\\" + pszName; }
    const std::string& Folder() const { return m_strPath; }

private:
    std::string m_strPath;
};

// The first error record of the calling thread's last failure.
struct CErrorRecord
{
    ULONG nRecords = 0;
    DWORD dwHelpContext = 0;
    DWORD dwNative = 0;
    std::string strDescription;
    std::string strSource;
    GUID guid = GUID_NULL;
};
CErrorRecord ReadErrorRecord(IUnknown* pUnk, REFIID iid);

// Creates an empty database file through the provider's data source administration.
HRESULT CreateDatabaseFile(const std::string& strPath);

// Opens the Jet provider on a file with the properties the store uses.
HRESULT OpenDataSource(CDataSource& ds, const std::string& strPath);

// Runs one statement without a rowset.
HRESULT Execute(CSession& session, const char* pszSql);

// A consumer stream over bytes in memory, for writing long binary columns.
ISequentialStream* CreateMemoryStream(const std::string& bytes);

// Reads a storage object to its end and releases it.
std::string ReadStream(ISequentialStream* pStream);

// A database file with one open session.
class COleDbTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    void Exec(const char* pszSql) { ASSERT_EQ(S_OK, Execute(m_session, pszSql)) << pszSql; }

    CTempFolder m_folder;
    std::string m_strPath;
    CDataSource m_ds;
    CSession m_session;
};

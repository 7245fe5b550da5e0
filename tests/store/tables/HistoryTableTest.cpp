// History: creation beside Site, the schema check, and rows that go with their company.
#include <gtest/gtest.h>

#include "store/HistoryTable.h"
#include "store/SiteTable.h"
#include "StoreTestDatabase.h"

namespace
{
class HistoryTableTest : public ::testing::Test
{
protected:
    void SetUp() override { m_db.OpenFile(m_path.m_strPath); }

    CTempDatabasePath m_path{"history"};
    CTestDatabase m_db;
};
} // namespace

TEST_F(HistoryTableTest, RowsGoWithTheirCompany)
{
    CSiteTable::Create(m_db.Session(), NULL);
    CHistoryTable history(m_db.Session());
    history.Open(NULL);
    EXPECT_NE(history.MoveFirst(), S_OK);

    m_db.Exec("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('Acme', 'A1')");
    m_db.Exec("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('Other', 'O1')");
    LONG nAcme = m_db.QueryLong("SELECT SiteID FROM Site WHERE COMPANY = 'Acme'");
    LONG nOther = m_db.QueryLong("SELECT SiteID FROM Site WHERE COMPANY = 'Other'");
    for (LONG nSite : {nAcme, nAcme, nOther})
    {
        history.m_SiteID = nSite;
        history.m_HDate = 40000;
        strcpy(history.m_HType, "Email");
        strcpy(history.m_HDirection, "In");
        strcpy(history.m_HLocation, "Local");
        ASSERT_EQ(history.Insert(0), S_OK);
    }
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM History"), 3);

    CString strSQL;
    strSQL.Format("DELETE FROM Site WHERE SiteID = %ld", (long)nAcme);
    m_db.Exec(strSQL);
    EXPECT_EQ(m_db.QueryLong("SELECT COUNT(*) FROM History"), 1);
    EXPECT_EQ(m_db.QueryLong("SELECT SiteID FROM History"), nOther);
}

TEST_F(HistoryTableTest, AnOlderTableWithFewerColumnsFailsEveryOpenWithTheCheckText)
{
    CSiteTable::Create(m_db.Session(), NULL);
    m_db.Exec("CREATE TABLE History(HistID COUNTER CONSTRAINT PK_HistID PRIMARY KEY, SiteID INTEGER NOT NULL, "
              "HDate DATETIME)");
    for (int nAttempt = 0; nAttempt < 2; nAttempt++)
    {
        CHistoryTable history(m_db.Session());
        try
        {
            history.Open(NULL);
            ADD_FAILURE() << "opened";
        }
        catch (const char* pszText)
        {
            EXPECT_NE(strstr(pszText, "FATAL ERROR. The History table is invalid."), nullptr) << pszText;
        }
    }
}

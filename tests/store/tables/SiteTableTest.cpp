// Site: creation with its indexes, the two-key lookup, and the cuts of over-long keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "store/SiteTable.h"
#include "StoreTestDatabase.h"

namespace
{
const char* const kSiteIndexes[] = {"idxCompany", "idxPostcode", "idxTel",   "idxType1",
                                    "idxType2",   "idxType3",    "idxType4", "idxType5"};

std::vector<std::string> s_questions;
int s_nAnswer = IDYES;
int AnswerBox(const char* pszText, const char*, UINT, HWND)
{
    s_questions.push_back(pszText);
    return s_nAnswer;
}

class SiteTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        s_questions.clear();
        s_nAnswer = IDYES;
        m_pfnOldHook = SetAppMessageBoxHook(AnswerBox);
    }
    void TearDown() override { SetAppMessageBoxHook(m_pfnOldHook); }

    void AddSite(const char* pszCompany, const char* pszPostcode)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('%s', '%s')", pszCompany, pszPostcode);
        m_db.Exec(strSQL);
    }

    // An index that exists cannot be created a second time.
    bool IndexExists(const char* pszIndex, const char* pszTable, const char* pszColumn)
    {
        CString strSQL = CString("CREATE INDEX ") + pszIndex + " ON " + pszTable + " (" + pszColumn + ")";
        CCommand<CNoAccessor, CNoRowset> command;
        bool bCreated = SUCCEEDED(command.Open(*m_db.Session(), strSQL, NULL, NULL, DBGUID_DEFAULT, false));
        return !bCreated;
    }

    CTempDatabasePath m_path{"site"};
    CTestDatabase m_db;
    AppMessageBoxHook m_pfnOldHook = NULL;
};
} // namespace

TEST_F(SiteTableTest, FirstOpenCreatesTheTableWithItsEightIndexes)
{
    CSiteTable site(m_db.Session());
    site.Open(NULL);
    EXPECT_TRUE(TableExists(m_db.Session(), "Site"));
    EXPECT_NE(site.MoveFirst(), S_OK);
    const char* const columns[] = {"Company", "Postcode", "Tel", "Type1", "Type2", "Type3", "Type4", "Type5"};
    for (int i = 0; i < 8; i++)
        EXPECT_TRUE(IndexExists(kSiteIndexes[i], "Site", columns[i])) << kSiteIndexes[i];

    // Inserting through the table fills the counter and the defaults of a new company.
    site.Clear();
    strcpy(site.m_Company, "Acme");
    strcpy(site.m_Postcode, "AB1");
    ASSERT_EQ(site.Insert(0), S_OK);
    CSiteTable second(m_db.Session());
    second.Open(NULL);
    ASSERT_EQ(second.MoveFirst(), S_OK);
    EXPECT_STREQ(second.m_Company, "Acme");
    EXPECT_GT(second.m_SiteID, 0);
    EXPECT_EQ(second.m_Ind, VARIANT_TRUE);
}

TEST_F(SiteTableTest, ATableMadeElsewhereGetsNoIndexes)
{
    CSiteTable creator(m_db.Session());
    creator.Open(NULL);
    m_db.Exec("DROP TABLE Site");
    m_db.Exec("CREATE TABLE Site(SiteID COUNTER CONSTRAINT PK_SID PRIMARY KEY, COMPANY TEXT(100), ADDRESS1 "
              "TEXT(100), ADDRESS2 TEXT(100), TOWNCITY TEXT(100), COUNTY TEXT(100), POSTCODE TEXT(40), TEL "
              "TEXT(50), FAX TEXT(50), Web TEXT(100), Country TEXT(50), NOTES LONGTEXT, Ind LOGICAL, Type1 "
              "TEXT(75), Type2 TEXT(75), Type3 TEXT(75), Type4 TEXT(75), Type5 TEXT(75), AddDate DATETIME "
              "DEFAULT NOW(), Locked TEXT(75))");
    CSiteTable site(m_db.Session());
    site.Open(NULL);
    EXPECT_FALSE(IndexExists("idxTel", "Site", "Tel"));
}

TEST_F(SiteTableTest, SelectByKeysFindsTheCompanyAndReusesItsStatement)
{
    CSiteTable site(m_db.Session());
    site.Open(NULL);
    AddSite("Acme", "AB1");
    AddSite("Acme", "ZZ9");
    AddSite("O''Brien", "AB1");

    site.SelectByKeys(NULL, "Acme", "ZZ9");
    ASSERT_EQ(site.MoveNext(), S_OK);
    EXPECT_STREQ(site.m_Postcode, "ZZ9");
    EXPECT_NE(site.MoveNext(), S_OK);
    ICommand* pPrepared = site.m_spCommand;

    site.SelectByKeys(NULL, "O'Brien", "AB1");
    EXPECT_EQ((ICommand*)site.m_spCommand, pPrepared) << "prepared once";
    ASSERT_EQ(site.MoveNext(), S_OK);
    EXPECT_STREQ(site.m_Company, "O'Brien");

    site.SelectByKeys(NULL, "acme", "nowhere");
    EXPECT_NE(site.MoveNext(), S_OK);
    EXPECT_TRUE(s_questions.empty());
}

TEST_F(SiteTableTest, OverlongKeys)
{
    CSiteTable site(m_db.Session());
    site.Open(NULL);
    std::string strCompany100(100, 'c');
    std::string strPostcode40(40, 'p');
    AddSite(strCompany100.c_str(), strPostcode40.c_str());

    // Exactly 100 characters: used as it is, no question.
    site.SelectByKeys(NULL, strCompany100.c_str(), strPostcode40.c_str());
    EXPECT_EQ(site.MoveNext(), S_OK);
    EXPECT_TRUE(s_questions.empty());

    // 101 characters and a long postcode: Yes cuts the company to 100, the postcode is cut to 40.
    std::string strCompany101 = strCompany100 + "X";
    site.SelectByKeys(NULL, strCompany101.c_str(), (strPostcode40 + "tail").c_str());
    ASSERT_EQ(s_questions.size(), 1u);
    EXPECT_EQ(s_questions[0], "The company name \r\n\r\n'" + strCompany101 +
                                  "'\r\n\r\ntoo long. Maximal company name length is 100 letters. Do you want to "
                                  "cut company name to\r\n\r\n'" +
                                  strCompany100 + "'?");
    EXPECT_EQ(site.MoveNext(), S_OK);

    // No: "Stop by user", the rowset closed and the buffer cleared.
    s_nAnswer = IDNO;
    try
    {
        site.SelectByKeys(NULL, strCompany101.c_str(), "p");
        ADD_FAILURE() << "nothing thrown";
    }
    catch (CException* pException)
    {
        EXPECT_STREQ(pException->m_strMessage, "Stop by user");
        delete pException;
    }
    EXPECT_TRUE(site.m_spRowset == NULL);
    EXPECT_STREQ(site.m_Company, "");
}

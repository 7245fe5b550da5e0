// The schema step on real files: creation, the check's verdicts and texts, and the upgrade of old files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "store/AccountsTable.h"
#include "store/OLEDBException.h"
#include "store/OptionsTable.h"
#include "store/TableSchema.h"

namespace
{
// CREATE TABLE over the first nColumns descriptors, with one column's definition replaced when asked.
std::string CreateStatement(const char* pszTable, const CColumnDesc* pColumns, int nColumns,
                            int nReplaced = -1, const char* pszReplacement = NULL)
{
    std::string statement = std::string("CREATE TABLE ") + pszTable + "(";
    for (int i = 0; i < nColumns; i++)
    {
        CString strDefinition;
        pColumns[i].GetDefinition(strDefinition);
        if (i > 0)
            statement += ", ";
        statement += i == nReplaced ? pszReplacement : (const char*)strDefinition;
    }
    return statement + ")";
}

std::vector<std::string> DescriptorNames(const CColumnDesc* pColumns)
{
    std::vector<std::string> names;
    for (const CColumnDesc* p = pColumns; p->m_pszName[0] != '\0'; p++)
        names.push_back(p->m_pszName);
    return names;
}

class TableSchemaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateDatabaseFile(m_folder.Path("schema.mdb")));
        ASSERT_HRESULT_SUCCEEDED(OpenSession(m_folder.Path("schema.mdb"), m_session));
    }

    CScratchFolder m_folder{"schema"};
    CScriptedUser m_user;
    CSession m_session;
};
} // namespace

TEST_F(TableSchemaTest, OldAccountsFileGainsItsSevenNewerColumnsInOrder)
{
    ASSERT_TRUE(Execute(m_session, CreateStatement("Accounts", g_AccountsColumns, 9).c_str()));
    ASSERT_TRUE(Execute(m_session,
                        "INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, "
                        "Flags, RemoveAfter) VALUES ('Old', 'old@example.org', 'pop', 'smtp', 'old', "
                        "'secret', 6, 5)"));
    CAccountsTable accounts(&m_session, NULL);
    accounts.Open(NULL);

    EXPECT_EQ(DescriptorNames(g_AccountsColumns), ColumnNames(m_session, "Accounts"));
    ASSERT_EQ(S_OK, accounts.MoveFirst());
    EXPECT_STREQ("Old", accounts.m_szDisplayName);
    EXPECT_STREQ("secret", accounts.GetPassword());
}

TEST_F(TableSchemaTest, ColumnsBehindTheDescriptorsAndLooserSpellingsPass)
{
    std::string statement = CreateStatement("Accounts", g_AccountsColumns, 16, 0, "id INTEGER");
    statement.insert(statement.size() - 1, ", Extra INTEGER");
    ASSERT_TRUE(Execute(m_session, statement.c_str()));
    CString strError;
    int nColumn = -1;
    EXPECT_EQ(1, CheckTableSchema(NULL, &m_session, "Accounts", g_AccountsColumns, strError, &nColumn));
    EXPECT_EQ(-1, nColumn);
}

TEST_F(TableSchemaTest, MismatchesStopTheOpenWithTheCheckText)
{
    struct Case
    {
        int nReplaced;
        const char* pszReplacement;
        int nColumns;
        const char* pszText;
    } cases[] = {
        {7, "Flags TEXT(10)", 16,
         "FATAL ERROR. The Accounts table is invalid.\r\nColumn position: 8\r\nColumn name: Flags\r\nActual "
         "column "
         "data type: 130\r\nRequired column data type: 3"},
        {1, "Display TEXT(100)", 16,
         "FATAL ERROR. The Accounts table is invalid.\r\nColumn position: 2\r\nActual column name: "
         "Display\r\nRequired field name: DisplayName"},
        // An old column that is missing cannot be added back.
        {-1, NULL, 6, "FATAL ERROR. The Accounts table is invalid. The Pass column is not found."},
    };
    for (const Case& c : cases)
    {
        Execute(m_session, "DROP TABLE Accounts");
        ASSERT_TRUE(Execute(m_session, CreateStatement("Accounts", g_AccountsColumns, c.nColumns, c.nReplaced,
                                                       c.pszReplacement)
                                           .c_str()));
        CAccountsTable accounts(&m_session, NULL);
        try
        {
            accounts.Open(NULL);
            ADD_FAILURE() << c.pszText;
        }
        catch (const char* pszText)
        {
            EXPECT_STREQ(c.pszText, pszText);
        }
        EXPECT_EQ((size_t)c.nColumns, ColumnNames(m_session, "Accounts").size());
    }
}

TEST_F(TableSchemaTest, OptionsWithoutFlagsIsUpgradedAndOpensEmpty)
{
    CAccountsTable::CreateTableIfMissing(&m_session, NULL);
    ASSERT_TRUE(Execute(m_session,
                        "CREATE TABLE Options(UserID INTEGER CONSTRAINT UniqueUser UNIQUE, "
                        "DefaultAccountID INTEGER CONSTRAINT FKAcountID REFERENCES Accounts(ID))"));
    COptionsTable options(&m_session);
    options.Open(NULL, NULL);
    EXPECT_EQ(DescriptorNames(g_OptionsColumns), ColumnNames(m_session, "Options"));
    EXPECT_EQ(DB_S_ENDOFROWSET, options.MoveFirst());
}

TEST_F(TableSchemaTest, MissingOptionsIsCreatedAfterAccounts)
{
    COptionsTable options(&m_session);
    options.Open(NULL, NULL);
    EXPECT_EQ(DescriptorNames(g_AccountsColumns), ColumnNames(m_session, "Accounts"));
    EXPECT_EQ(DescriptorNames(g_OptionsColumns), ColumnNames(m_session, "Options"));
}

TEST_F(TableSchemaTest, FailedCreateReportsTheStatement)
{
    const CColumnDesc columns[] = {{"A", 1, DBTYPE_I4, 0, "", NULL, 1}, {"", 0, 0, 0, "", NULL, 0}};
    try
    {
        CreateTableIfMissing(&m_session, NULL, "Broken", columns, ", CONSTRAINT");
        ADD_FAILURE();
    }
    catch (COLEDBException* pException)
    {
        std::string message = (const char*)pException->m_strMessage;
        delete pException;
        EXPECT_EQ(
            0u, message.find("FATAL ERROR. Create Broken table failed!\r\n1. Is possible the email database "
                             "currently in use by another user or another machine.\r\n2. Try create table "
                             "manually:\r\n\r\nCREATE TABLE Broken(A INTEGER, CONSTRAINT)\r\n\r\n"));
    }
    EXPECT_FALSE(TableExists(&m_session, "Broken"));
}

TEST_F(TableSchemaTest, SessionlessTablesRefuseToOpen)
{
    CSession closed;
    COptionsTable options(&closed);
    CAccountsTable accounts(&closed, &options);
    EXPECT_THROW(
        try { options.Open(NULL, NULL); } catch (const char* psz) {
            EXPECT_STREQ("FATAL ERROR. Open Options table failed. No session.", psz);
            throw;
        },
        const char*);
    EXPECT_THROW(
        try { accounts.Open(NULL); } catch (const char* psz) {
            EXPECT_STREQ("FATAL ERROR. Open table failed. No session.", psz);
            throw;
        },
        const char*);
}

TEST_F(TableSchemaTest, AnUpgradeThatDoesNotTakeIsGivenUpWithTheCheckText)
{
    ASSERT_TRUE(Execute(m_session, CreateStatement("Accounts", g_AccountsColumns, 9).c_str()));
    CString strError;
    int nRounds = 0;
    try
    {
        // An ALTER that reports success but adds nothing: the check keeps finding the same column missing.
        EnsureTableSchema(NULL, &m_session, "Accounts", g_AccountsColumns, strError,
                          [&](int nColumn)
                          {
                              EXPECT_EQ(9, nColumn);
                              nRounds++;
                              return true;
                          });
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_EQ(0u, std::string(pszText).find(
                          "FATAL ERROR. The Accounts table is invalid. The IncomingServerType "
                          "column is not found."));
        EXPECT_NE(std::string::npos, std::string(pszText).find(" The schema check did not settle after "));
    }
    EXPECT_GT(nRounds, 0);
    EXPECT_LE(nRounds, 20);
}

// Jet SQL semantics over the file: LIKE patterns, date literals, text comparison without case, Int().
#include "OleDbTestSupport.h"

namespace
{
class CCountRow
{
public:
    LONG m_nCount;
    char m_szText[256];
    BEGIN_COLUMN_MAP(CCountRow)
        COLUMN_ENTRY(1, m_nCount)
    END_COLUMN_MAP()
    BEGIN_PARAM_MAP(CCountRow)
        COLUMN_ENTRY(1, m_szText)
    END_PARAM_MAP()
};

class JetSqlTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec("CREATE TABLE Emails(EmailsID COUNTER CONSTRAINT PK_EmailsID PRIMARY KEY, EmDate DATETIME, Subject "
             "TEXT(255), Ref TEXT(255), Flags INTEGER, UniqueID TEXT(255))");
    }
    void TearDown() override
    {
        OleDbSetCodePage(CP_ACP);
        COleDbTest::TearDown();
    }

    // The count that a query of one number yields; pszParam fills its one text parameter when given.
    LONG Count(const std::string& sql, const char* pszParam = NULL)
    {
        CCommand<CAccessor<CCountRow>> q;
        q.ClearRecord();
        if (pszParam != NULL)
            lstrcpyA(q.m_szText, pszParam);
        HRESULT hr = q.Open(m_session, sql.c_str());
        EXPECT_EQ(S_OK, hr) << sql;
        if (FAILED(hr) || q.MoveNext() != S_OK)
            return -1;
        return q.m_nCount;
    }
};
} // namespace

TEST_F(JetSqlTest, LikeFollowsJetPatternsWithBracketEscapesAndWithoutCase)
{
    for (const char* pszRef : {"50% off", "50 percent", "a_b", "axb", "[tag] news", "Ivan <ivan@orb.example>"})
        Exec((std::string("INSERT INTO Emails (Ref) VALUES ('") + pszRef + "')").c_str());
    const struct
    {
        const char* pszPattern;
        LONG nMatches;
    } cases[] = {
        {"%[%]%", 1},      // an escaped percent sign
        {"a[_]b", 1},      // an escaped underscore
        {"a_b", 2},        // _ is any one character
        {"[[]tag]%", 1},   // an escaped opening bracket
        {"[!0-9a]%", 2},   // a negated set with a range
        {"[0-9]0%", 2},    // a range
        {"IVAN%", 1},      // letters without case
        {"%ORB.EXAMPLE>", 1},
        {"50", 0},         // no implicit wildcards
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszPattern);
        EXPECT_EQ(c.nMatches, Count(std::string("SELECT COUNT(*) FROM Emails WHERE Ref LIKE '") + c.pszPattern + "'"));
        EXPECT_EQ(c.nMatches, Count("SELECT COUNT(*) FROM Emails WHERE Ref LIKE ?", c.pszPattern));
    }
}

TEST_F(JetSqlTest, DateLiteralsAreExactDayNumbers)
{
    SYSTEMTIME st = {2002, 3, 2, 5, 10, 20, 30, 0};
    DATE d = 0;
    SystemTimeToVariantTime(&st, &d);
    char sz[128];
    snprintf(sz, sizeof(sz), "INSERT INTO Emails (Subject, EmDate) VALUES ('timed', %.17g)", d);
    Exec(sz);
    Exec("INSERT INTO Emails (Subject, EmDate) VALUES ('midnight', 37320)");
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM Emails WHERE EmDate = #3/5/2002 10:20:30#"));
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM Emails WHERE EmDate = #3/5/2002#"));
    EXPECT_EQ(2, Count("SELECT COUNT(*) FROM Emails WHERE EmDate >= #3/5/2002# AND EmDate < #3/6/2002#"));
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM Emails WHERE Subject = '#3/5/2002#' OR EmDate = #3/5/2002 10:20:30 AM#"));
}

TEST_F(JetSqlTest, TextEqualityIgnoresCaseInTheCodePageExceptForUniqueIDs)
{
    OleDbSetCodePage(1251);
    // "Привет" and "пРИВЕТ" in code page 1251.
    const char szUpper[] = "\xCF\xF0\xE8\xE2\xE5\xF2";
    const char szMixed[] = "\xEF\xD0\xC8\xC2\xC5\xD2";
    Exec((std::string("INSERT INTO Emails (Subject, UniqueID) VALUES ('") + szUpper + " Mail', 'AbC-1')").c_str());
    const struct
    {
        const char* pszSql;
        const char* pszParam;
        LONG nMatches;
    } cases[] = {
        {"SELECT COUNT(*) FROM Emails WHERE Subject = ?", "\xEF\xD0\xC8\xC2\xC5\xD2 MAIL", 1},
        {"SELECT COUNT(*) FROM Emails WHERE Subject = ?", "\xCF\xF0\xE8\xE2\xE5\xF2 mail", 1},
        {"SELECT COUNT(*) FROM Emails WHERE Subject LIKE ?", "\xEF\xD0\xC8%", 1},
        {"SELECT COUNT(*) FROM Emails WHERE UniqueID = ?", "AbC-1", 1},
        {"SELECT COUNT(*) FROM Emails WHERE UniqueID = ?", "abc-1", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszParam);
        EXPECT_EQ(c.nMatches, Count(c.pszSql, c.pszParam));
    }
    EXPECT_EQ(1, Count(std::string("SELECT COUNT(*) FROM Emails WHERE Subject = '") + szMixed + " mail'"));

    struct CSubjectRow
    {
        char m_szSubject[256];
        BEGIN_COLUMN_MAP(CSubjectRow)
            COLUMN_ENTRY(1, m_szSubject)
        END_COLUMN_MAP()
    };
    CCommand<CAccessor<CSubjectRow>> q;
    ASSERT_EQ(S_OK, q.Open(m_session, "SELECT Subject FROM Emails"));
    ASSERT_EQ(S_OK, q.MoveNext());
    EXPECT_EQ(std::string(szUpper) + " Mail", q.m_szSubject);
}

TEST_F(JetSqlTest, IntRoundsDownAsJetDoes)
{
    for (int flags : {0, 1, 2, 3, 6, 7})
        Exec(("INSERT INTO Emails (Flags) VALUES (" + std::to_string(flags) + ")").c_str());
    EXPECT_EQ(3, Count("SELECT COUNT(*) FROM Emails WHERE ((int(Emails.Flags / 2)) * 2) <> Emails.Flags"));
    EXPECT_EQ(1, Count("SELECT COUNT(*) FROM Emails WHERE int(-0.5) = -1 AND int(2.7) = 2 AND Flags = 0"));
}

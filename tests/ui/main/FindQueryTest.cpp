// The search's WHERE text for combinations of fields, and each run against a small store for its rows.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "ui/main/FindQuery.h"

namespace
{
std::vector<LONG> Tree(LONG nFolderID)
{
    // 1 holds 2 and 3; 3 holds 1 again (a cycle must not loop).
    static const std::map<LONG, std::vector<LONG>> tree = {{1, {2, 3}}, {3, {1}}};
    auto it = tree.find(nFolderID);
    return it != tree.end() ? it->second : std::vector<LONG>();
}

TEST(FindQuery, FieldCombinationsGiveTheseConditions)
{
    const char kTo[] = "(Emails.EmailsID IN (SELECT Address.EmailID FROM Address WHERE Address.Address LIKE "
                       "'%o''brien%' OR Address.Name LIKE '%o''brien%'))";
    struct Case
    {
        const char* pszName;
        CFindCriteria criteria;
        std::string strExpected;
    };
    auto criteria = [](BOOL bSub, const char* pszFrom, const char* pszTo, const char* pszSubject, DATE before,
                       DATE after, BOOL bAttachment) {
        CFindCriteria c;
        c.nFolderID = 1;
        c.bSubfolders = bSub;
        c.strFrom = pszFrom;
        c.strTo = pszTo;
        c.strSubject = pszSubject;
        c.sentBefore = before;
        c.sentAfter = after;
        c.bAttachment = bAttachment;
        return c;
    };
    const Case cases[] = {
        {"nothing", criteria(FALSE, "", "", "", 0, 0, FALSE), " WHERE  FolderID = 1"},
        {"subfolders once each", criteria(TRUE, "", "", "", 0, 0, FALSE),
         " WHERE ( FolderID = 1 OR FolderID = 2 OR FolderID = 3)"},
        {"two texts and a date", criteria(FALSE, "ann", "", "x", 45000.7, 0, FALSE),
         " WHERE  FolderID = 1 AND ((Emails.Ref LIKE '%ann%' OR Emails.Subject LIKE '%x%') AND Emails.EmDate < "
         "45000)"},
        {"recipient with a quote", criteria(FALSE, "", "o'brien", "", 0, 0, FALSE),
         std::string(" WHERE  FolderID = 1 AND ((") + kTo + "))"},
        {"after and attachment", criteria(FALSE, "", "", "", 0, 45001.2, TRUE),
         " WHERE  FolderID = 1 AND (Emails.EmDate > 45001 AND ((int(Emails.Flags / 2)) * 2) <> Emails.Flags)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.strExpected, std::string(BuildFindWhere(c.criteria, Tree))) << c.pszName;
}

TEST(FindQuery, EachQueryFindsItsRowsOnceInAStore)
{
    CScratchFolder folder("findquery");
    CString strPath = folder.Path("find.mdb");
    CreateDatabaseFile(strPath);
    CSession session;
    ASSERT_EQ(S_OK, OpenSession(strPath, session));
    Execute(session, "CREATE TABLE Emails (EmailsID INTEGER PRIMARY KEY, EmDate DATETIME, Subject TEXT, Ref TEXT, "
                     "FolderID INTEGER, Flags INTEGER)");
    Execute(session, "CREATE TABLE Address (EmailID INTEGER, Address TEXT, Name TEXT)");
    Execute(session, "INSERT INTO Emails VALUES (1, 45001.5, 'hello', 'Ann <a@x>', 1, 1)");
    Execute(session, "INSERT INTO Emails VALUES (2, 45000.5, 'other', 'Bob <b@x>', 2, 0)");
    Execute(session, "INSERT INTO Emails VALUES (3, 45002.5, 'x', 'Cy <c@x>', 5, 3)");
    Execute(session, "INSERT INTO Address VALUES (2, 'o''brien@example.com', 'OB')");
    Execute(session, "INSERT INTO Address VALUES (2, 'o''brien@example.org', 'OB 2')");

    struct Case
    {
        const char* pszName;
        CFindCriteria criteria;
        LONG nExpectedCount;
    };
    CFindCriteria sub;
    sub.nFolderID = 1;
    sub.bSubfolders = TRUE;
    CFindCriteria to = sub;
    to.strTo = "o'brien";
    CFindCriteria after = sub;
    after.sentAfter = 45001;
    CFindCriteria attachment = sub;
    attachment.bAttachment = TRUE;
    const Case cases[] = {{"subfolders", sub, 2}, {"two matching recipients once", to, 1},
                          {"after midnight of the day", after, 1}, {"attachment bit", attachment, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(c.nExpectedCount,
                  QueryLong(session, CString("SELECT COUNT(*) FROM Emails") + BuildFindWhere(c.criteria, Tree)))
            << c.pszName;
}
} // namespace

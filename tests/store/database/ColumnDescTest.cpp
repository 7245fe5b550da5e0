// Column definitions as CREATE and ALTER write them.
#include <gtest/gtest.h>

#include "store/ColumnDesc.h"

TEST(ColumnDesc, DefinitionIsNameJetTypeAndConstraint)
{
    struct Case
    {
        CColumnDesc column;
        const char* pszDefinition;
    } cases[] = {
        {{"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_ID PRIMARY KEY", NULL, 1},
         "ID COUNTER CONSTRAINT PK_ID PRIMARY KEY"},
        {{"DisplayName", 2, DBTYPE_STR, 100, " NOT NULL", NULL, 1}, "DisplayName TEXT(100) NOT NULL"},
        {{"Flags", 8, DBTYPE_I4, 0, "", NULL, 1}, "Flags INTEGER"},
        {{"HDate", 3, DBTYPE_DATE, 0, "", NULL, 1}, "HDate DATETIME"},
        {{"Ind", 4, DBTYPE_BOOL, 0, "", NULL, 1}, "Ind LOGICAL"},
        {{"RemoveAfter", 9, DBTYPE_UI1, 0, " NOT NULL", NULL, 1}, "RemoveAfter BYTE NOT NULL"},
        {{"PassCrypto", 16, DBTYPE_BYTES, 0, "", NULL, 1}, "PassCrypto LONGBINARY"},
        {{"Body", 5, DBTYPE_STR, 0, " NULL", "LONGTEXT", 0}, "Body LONGTEXT NULL"},
        {{"Unknown", 6, DBTYPE_R8, 0, " NOT NULL", NULL, 1}, ""},
    };
    for (const Case& c : cases)
    {
        CString strDefinition = "left over";
        c.column.GetDefinition(strDefinition);
        EXPECT_STREQ(c.pszDefinition, strDefinition) << c.column.m_pszName;
    }
}

// The store's CREATE statements in Jet SQL, read back through the TABLES and COLUMNS schema rowsets.
#include "OleDbTestSupport.h"

#include <vector>

namespace
{
struct ColumnCase
{
    const char* pszName;
    USHORT wType;
    ULONG nLength; // CHARACTER_MAXIMUM_LENGTH of text columns, else 0
};

struct TableCase
{
    const char* pszTable;
    const char* pszCreate;
    std::vector<ColumnCase> columns;
};

const ULONG kLongText = 536870910;

// In dependency order, as the store creates them; the statements are the store's own texts.
const TableCase kTables[] = {
    {"Accounts",
     "CREATE TABLE Accounts(ID COUNTER CONSTRAINT PK_ID PRIMARY KEY, DisplayName TEXT(100) NOT NULL, EmailAddress "
     "TEXT(100) NOT NULL, POP3 TEXT(100) NOT NULL, SMTP TEXT(100) NOT NULL, AccountName TEXT(100) NOT NULL, Pass "
     "TEXT(100), Flags INTEGER, RemoveAfter BYTE NOT NULL, IncomingServerType BYTE, Delimiter TEXT(2), "
     "SMTPAccountName TEXT(100), SMTPPass TEXT(100), SMTPPort INTEGER, IncomingPort INTEGER, PassCrypto "
     "LONGBINARY)",
     {{"ID", 3, 0},
      {"DisplayName", 130, 100},
      {"EmailAddress", 130, 100},
      {"POP3", 130, 100},
      {"SMTP", 130, 100},
      {"AccountName", 130, 100},
      {"Pass", 130, 100},
      {"Flags", 3, 0},
      {"RemoveAfter", 17, 0},
      {"IncomingServerType", 17, 0},
      {"Delimiter", 130, 2},
      {"SMTPAccountName", 130, 100},
      {"SMTPPass", 130, 100},
      {"SMTPPort", 3, 0},
      {"IncomingPort", 3, 0},
      {"PassCrypto", 128, 1073741823}}},
    {"Options",
     "CREATE TABLE Options(UserID INTEGER CONSTRAINT UniqueUser UNIQUE, DefaultAccountID INTEGER CONSTRAINT "
     "FKAcountID REFERENCES Accounts(ID), Flags INTEGER)",
     {{"UserID", 3, 0}, {"DefaultAccountID", 3, 0}, {"Flags", 3, 0}}},
    {"Folders",
     "CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, OwnerID INTEGER NOT NULL, Name TEXT(100) "
     "NOT NULL, Type INTEGER NOT NULL, nUnread INTEGER, nMessagesNumber INTEGER, Flags INTEGER)",
     {{"ID", 3, 0},
      {"OwnerID", 3, 0},
      {"Name", 130, 100},
      {"Type", 3, 0},
      {"nUnread", 3, 0},
      {"nMessagesNumber", 3, 0},
      {"Flags", 3, 0}}},
    {"Emails",
     "CREATE TABLE Emails(EmailsID COUNTER CONSTRAINT PK_EmailsID PRIMARY KEY, EmDate DATETIME, Criteria "
     "TEXT(255), Quantity INTEGER, Subject TEXT(255), Message LONGBINARY, Ref TEXT(255), Status TEXT(50), "
     "FolderID INTEGER NOT NULL CONSTRAINT FK_FolderID REFERENCES Folders (ID), Flags INTEGER, MessageID "
     "TEXT(127), UniqueID TEXT(255), AccountID INTEGER, Encode BYTE)",
     {{"EmailsID", 3, 0},
      {"EmDate", 7, 0},
      {"Criteria", 130, 255},
      {"Quantity", 3, 0},
      {"Subject", 130, 255},
      {"Message", 128, 1073741823},
      {"Ref", 130, 255},
      {"Status", 130, 50},
      {"FolderID", 3, 0},
      {"Flags", 3, 0},
      {"MessageID", 130, 127},
      {"UniqueID", 130, 255},
      {"AccountID", 3, 0},
      {"Encode", 17, 0}}},
    {"Attachments",
     "CREATE TABLE Attachments (ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, Name TEXT(255), EmailID "
     "INTEGER NOT NULL CONSTRAINT FK_EmailID REFERENCES Emails (EmailsID), FileSize INTEGER NOT NULL)",
     {{"ID", 3, 0}, {"Name", 130, 255}, {"EmailID", 3, 0}, {"FileSize", 3, 0}}},
    {"Address",
     "CREATE TABLE Address(EmailID INTEGER NOT NULL CONSTRAINT FK_AddressEmailID REFERENCES Emails (EmailsID), "
     "Name TEXT(128), Address TEXT(128) NOT NULL, Type BYTE, Flags BYTE)",
     {{"EmailID", 3, 0}, {"Name", 130, 128}, {"Address", 130, 128}, {"Type", 17, 0}, {"Flags", 17, 0}}},
    {"DeletedMessages",
     "CREATE TABLE DeletedMessages(UniqueID TEXT(255) NOT NULL, AccountID INTEGER NOT NULL CONSTRAINT "
     "FK_DeletedMessagesAccountID REFERENCES Accounts (ID), DateOfDeleting DATETIME)",
     {{"UniqueID", 130, 255}, {"AccountID", 3, 0}, {"DateOfDeleting", 7, 0}}},
    {"Site",
     "CREATE TABLE Site(SiteID COUNTER CONSTRAINT PK_SID PRIMARY KEY, COMPANY TEXT(100), ADDRESS1 TEXT(100), "
     "ADDRESS2 TEXT(100), TOWNCITY TEXT(100), COUNTY TEXT(100), POSTCODE TEXT(40), TEL TEXT(50), FAX TEXT(50), Web "
     "TEXT(100), Country TEXT(50), NOTES LONGTEXT, Ind LOGICAL, Type1 TEXT(75), Type2 TEXT(75), Type3 TEXT(75), "
     "Type4 TEXT(75), Type5 TEXT(75), AddDate DATETIME DEFAULT NOW(), Locked TEXT(75))",
     {{"SiteID", 3, 0},     {"COMPANY", 130, 100},  {"ADDRESS1", 130, 100}, {"ADDRESS2", 130, 100},
      {"TOWNCITY", 130, 100}, {"COUNTY", 130, 100}, {"POSTCODE", 130, 40},  {"TEL", 130, 50},
      {"FAX", 130, 50},     {"Web", 130, 100},      {"Country", 130, 50},   {"NOTES", 130, kLongText},
      {"Ind", 11, 0},       {"Type1", 130, 75},     {"Type2", 130, 75},     {"Type3", 130, 75},
      {"Type4", 130, 75},   {"Type5", 130, 75},     {"AddDate", 7, 0},      {"Locked", 130, 75}}},
    {"History",
     "CREATE TABLE History(HistID COUNTER CONSTRAINT PK_HistID PRIMARY KEY, SiteID INTEGER NOT NULL CONSTRAINT "
     "FK_SiteMergeID REFERENCES Site (SiteID) ON UPDATE CASCADE ON DELETE CASCADE, HDate DATETIME, HType TEXT(100), "
     "HDirection TEXT(20), HItem TEXT(255), HLocation TEXT(255), HWorkstation TEXT(50))",
     {{"HistID", 3, 0},
      {"SiteID", 3, 0},
      {"HDate", 7, 0},
      {"HType", 130, 100},
      {"HDirection", 130, 20},
      {"HItem", 130, 255},
      {"HLocation", 130, 255},
      {"HWorkstation", 130, 50}}},
    {"ContactName",
     "CREATE TABLE ContactName(ID COUNTER CONSTRAINT PK_ID PRIMARY KEY, CustomerID INTEGER NOT NULL CONSTRAINT "
     "FK_CustomerID REFERENCES Site (SiteID) ON UPDATE CASCADE ON DELETE CASCADE, cTitle TEXT(100), cFirstname "
     "TEXT(100), cInitials TEXT(40), cSurname TEXT(100), cPosition TEXT(100), cEmail TEXT(100), cDDI TEXT(50), "
     "cFamiliar TEXT(100), cMobile TEXT(50), cIndType1 TEXT(100), cIndType2 TEXT(100), cIndType3 TEXT(100), "
     "cIndType4 TEXT(100), cIndType5 TEXT(100), cIndType6 TEXT(100), cIndType7 TEXT(100), cNotes LONGTEXT)",
     {{"ID", 3, 0},           {"CustomerID", 3, 0},   {"cTitle", 130, 100},    {"cFirstname", 130, 100},
      {"cInitials", 130, 40}, {"cSurname", 130, 100}, {"cPosition", 130, 100}, {"cEmail", 130, 100},
      {"cDDI", 130, 50},      {"cFamiliar", 130, 100}, {"cMobile", 130, 50},   {"cIndType1", 130, 100},
      {"cIndType2", 130, 100}, {"cIndType3", 130, 100}, {"cIndType4", 130, 100}, {"cIndType5", 130, 100},
      {"cIndType6", 130, 100}, {"cIndType7", 130, 100}, {"cNotes", 130, kLongText}}},
};

const char* const kIndexes[] = {
    "CREATE INDEX idxCompany ON Site (Company)",          "CREATE INDEX idxPostcode ON Site (Postcode)",
    "CREATE INDEX idxCustomerID ON ContactName (CustomerID)", "CREATE INDEX idxSurname ON ContactName (cSurname)",
};

class SchemaTest : public COleDbTest
{
protected:
    void CreateAll()
    {
        for (const TableCase& t : kTables)
            Exec(t.pszCreate);
        for (const char* pszIndex : kIndexes)
            Exec(pszIndex);
    }
};
} // namespace

TEST_F(SchemaTest, EveryStoreTableIsCreatedAndItsColumnsReportJetTypes)
{
    CreateAll();
    for (const TableCase& t : kTables)
    {
        SCOPED_TRACE(t.pszTable);
        CColumns columns;
        ASSERT_EQ(S_OK, columns.Open(m_session, NULL, NULL, t.pszTable));
        size_t n = 0;
        while (columns.MoveNext() == S_OK)
        {
            ASSERT_LT(n, t.columns.size());
            const ColumnCase& c = t.columns[n];
            SCOPED_TRACE(c.pszName);
            EXPECT_STREQ(t.pszTable, columns.m_szTableName);
            EXPECT_STREQ(c.pszName, columns.m_szColumnName);
            EXPECT_EQ(n + 1, columns.m_nOrdinalPosition);
            EXPECT_EQ(c.wType, columns.m_nDataType);
            if (c.wType == DBTYPE_WSTR || c.wType == DBTYPE_BYTES)
            {
                EXPECT_EQ(c.nLength, columns.m_nMaxLength);
            }
            ++n;
        }
        EXPECT_EQ(t.columns.size(), n);
    }
}

TEST_F(SchemaTest, TablesRestrictedByNameAndTypeFindATableInAnyLetterCase)
{
    CreateAll();
    struct
    {
        const char* pszName;
        const char* pszType;
        bool bFound;
    } cases[] = {{"Emails", "TABLE", true},
                 {"emails", "TABLE", true},
                 {"Emails", "VIEW", false},
                 {"Signatures", "TABLE", false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CTables tables;
        ASSERT_EQ(S_OK, tables.Open(m_session, NULL, NULL, c.pszName, c.pszType));
        HRESULT hr = tables.MoveNext();
        EXPECT_EQ(c.bFound ? S_OK : DB_S_ENDOFROWSET, hr);
        if (hr == S_OK)
        {
            EXPECT_STREQ("Emails", tables.m_szName);
            EXPECT_STREQ("TABLE", tables.m_szType);
        }
    }
}

TEST_F(SchemaTest, AddedColumnsAppearAtTheEndWithTheirTypes)
{
    Exec("CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, OwnerID INTEGER NOT NULL, Name "
         "TEXT(100) NOT NULL, Type INTEGER NOT NULL, nUnread INTEGER)");
    Exec("ALTER TABLE Folders ADD nMessagesNumber INTEGER");
    Exec("ALTER TABLE Folders ADD Delimiter TEXT(2)");
    CColumns columns;
    ASSERT_EQ(S_OK, columns.Open(m_session, NULL, NULL, "Folders", "Delimiter"));
    ASSERT_EQ(S_OK, columns.MoveNext());
    EXPECT_EQ(7u, columns.m_nOrdinalPosition);
    EXPECT_EQ(DBTYPE_WSTR, columns.m_nDataType);
    EXPECT_EQ(2u, columns.m_nMaxLength);
}

TEST_F(SchemaTest, CounterColumnsNumberNewRowsAndDefaultNowFillsTheDate)
{
    CreateAll();
    Exec("INSERT INTO Site (COMPANY) VALUES ('Vorn')");
    Exec("INSERT INTO Site (COMPANY) VALUES ('Orb')");
    struct CSiteRow
    {
        LONG m_SiteID;
        DATE m_AddDate;
        BEGIN_COLUMN_MAP(CSiteRow)
            COLUMN_ENTRY(1, m_SiteID)
            COLUMN_ENTRY_TYPE(2, DBTYPE_DATE, m_AddDate)
        END_COLUMN_MAP()
    };
    CCommand<CAccessor<CSiteRow>> rows;
    ASSERT_EQ(S_OK, rows.Open(m_session, "SELECT SiteID, AddDate FROM Site"));
    DATE now = 0;
    SYSTEMTIME st;
    GetLocalTime(&st);
    SystemTimeToVariantTime(&st, &now);
    for (LONG id = 1; id <= 2; ++id)
    {
        ASSERT_EQ(S_OK, rows.MoveNext());
        EXPECT_EQ(id, rows.m_SiteID);
        EXPECT_NEAR(now, rows.m_AddDate, 1.0 / 24);
    }
}

TEST_F(SchemaTest, AMissingTableFailsWithTheJetTextAndNoTableResult)
{
    CCommand<CNoAccessor, CNoRowset> command;
    EXPECT_EQ(DB_E_NOTABLE, command.Open(m_session, "DELETE FROM Signatures WHERE ID = 1"));
    CErrorRecord record = ReadErrorRecord(command.m_spCommand, IID_ICommand);
    EXPECT_EQ(5003078u, record.dwHelpContext);
    EXPECT_EQ(0u, record.strDescription.find("The Microsoft Jet database engine cannot find the input table or "
                                             "query 'Signatures'."))
        << record.strDescription;
}

namespace
{
struct ForeignKeyCase
{
    const char* pszSql;
    DWORD dwHelpContext;
    const char* pszTable;
};

class CEmailFolderRow
{
public:
    LONG m_FolderID;

    BEGIN_COLUMN_MAP(CEmailFolderRow)
        COLUMN_ENTRY(1, m_FolderID)
    END_COLUMN_MAP()
};
} // namespace

// SQLite's own refusal names no table; the records carry Jet's numbers and texts with the table at fault.
TEST_F(SchemaTest, ForeignKeyRefusalsCarryJetsTextsNamingTheTable)
{
    Exec("CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, Name TEXT(100))");
    Exec("CREATE TABLE Emails(EmailsID COUNTER CONSTRAINT PK_EmailsID PRIMARY KEY, FolderID INTEGER NOT NULL "
         "CONSTRAINT FK_FolderID REFERENCES Folders (ID))");
    Exec("CREATE TABLE Attachments(ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, EmailID INTEGER NOT NULL "
         "CONSTRAINT FK_EmailID REFERENCES Emails (EmailsID))");
    Exec("CREATE TABLE Address(EmailID INTEGER NOT NULL CONSTRAINT FK_AddressEmailID REFERENCES Emails (EmailsID), "
         "Address TEXT(100))");
    Exec("INSERT INTO Folders (Name) VALUES ('Inbox')");
    Exec("INSERT INTO Emails (FolderID) VALUES (1)");
    Exec("INSERT INTO Address (EmailID, Address) VALUES (1, 'a@example.org')");

    const ForeignKeyCase cases[] = {
        {"INSERT INTO Emails (FolderID) VALUES (99)", 5003201, "Folders"},
        {"UPDATE Emails SET FolderID = 42", 5003201, "Folders"},
        {"DELETE FROM Folders WHERE ID = 1", 5003200, "Emails"},
        {"UPDATE Folders SET ID = 7 WHERE ID = 1", 5003200, "Emails"},
        // Attachments refers to Emails too, but has no rows: the table holding related rows is named.
        {"DELETE FROM Emails", 5003200, "Address"},
    };
    for (const ForeignKeyCase& c : cases)
    {
        CCommand<CNoAccessor, CNoRowset> command;
        EXPECT_EQ(DB_E_INTEGRITYVIOLATION, command.Open(m_session, c.pszSql)) << c.pszSql;
        CErrorRecord record = ReadErrorRecord(command.m_spCommand, IID_ICommand);
        const std::string strTable = c.pszTable;
        const std::string strText =
            c.dwHelpContext == 5003200
                ? "The record cannot be deleted or changed because table '" + strTable + "' includes related records."
                : "You cannot add or change a record because a related record is required in table '" + strTable +
                      "'.";
        EXPECT_EQ(c.dwHelpContext, record.dwHelpContext) << c.pszSql;
        EXPECT_EQ(strText, record.strDescription) << c.pszSql;
    }

    // Changes through a rowset are refused with the same record.
    CCommand<CAccessor<CEmailFolderRow>> emails;
    CDBPropSet propset(DBPROPSET_ROWSET);
    propset.AddProperty(DBPROP_IRowsetChange, true);
    propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
    ASSERT_EQ(S_OK, emails.Open(m_session, "SELECT FolderID FROM Emails", &propset));
    emails.m_FolderID = 99;
    EXPECT_EQ(DB_E_INTEGRITYVIOLATION, emails.Insert());
    CErrorRecord record = ReadErrorRecord(emails.m_spRowsetChange, IID_IRowsetChange);
    EXPECT_EQ(5003201u, record.dwHelpContext);
    EXPECT_EQ("You cannot add or change a record because a related record is required in table 'Folders'.",
              record.strDescription);
}

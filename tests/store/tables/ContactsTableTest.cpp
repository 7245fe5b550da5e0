// Contacts: creation of Site and ContactName on the first open, the e-mail filter, the lookup by address
// and the small row operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "StoreTestDatabase.h"

namespace
{
std::vector<std::string> s_boxes;
int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    s_boxes.push_back(pszText);
    return IDOK;
}

// A window that answers "LetrovaGetRegistry" with the settings object of the test.
CRegistry* s_pRegistry = NULL;
LRESULT CALLBACK OwnerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    static const UINT s_uGetRegistry = RegisterWindowMessageA("LetrovaGetRegistry");
    if (uMsg == s_uGetRegistry)
    {
        *(CRegistry**)wParam = s_pRegistry;
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class ContactsTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.OpenFile(m_path.m_strPath);
        s_boxes.clear();
        m_pfnOldHook = SetAppMessageBoxHook(RecordBox);
    }
    void TearDown() override
    {
        SetAppMessageBoxHook(m_pfnOldHook);
        if (m_hOwner != NULL)
            DestroyWindow(m_hOwner);
    }

    HWND Owner(CRegistry* pRegistry)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ContactsTestOwner";
        RegisterClassA(&wc);
        s_pRegistry = pRegistry;
        m_hOwner = CreateWindowA("ContactsTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        return m_hOwner;
    }

    void AddContacts()
    {
        CContactsTableHolder contacts(m_db.Session());
        contacts.Open(NULL); // creates the tables
        m_db.Exec("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('Acme', 'A1')");
        LONG nAcme = m_db.QueryLong("SELECT SiteID FROM Site");
        CString strSQL;
        strSQL.Format("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) VALUES "
                      "(%ld, 'Ann', 'Lee', 'ann@acme.test'), (%ld, 'Pat', 'O''Neil', 'pat.o''neil@acme.test'), "
                      "(%ld, 'No', 'Mail', '')",
                      (long)nAcme, (long)nAcme, (long)nAcme);
        m_db.Exec(strSQL);
    }

    std::vector<std::string> Names(CContactsTableHolder& contacts)
    {
        std::vector<std::string> names;
        while (contacts.MoveNext() == S_OK)
            names.push_back((const char*)contacts.GetFullName());
        return names;
    }

    CTempDatabasePath m_path{"contacts"};
    CTestDatabase m_db;
    AppMessageBoxHook m_pfnOldHook = NULL;
    HWND m_hOwner = NULL;
};

CContactRecord Contact(const char* pszFirst, const char* pszSurname, const char* pszEmail)
{
    CContactRecord record;
    strcpy(record.m_cFirstname, pszFirst);
    strcpy(record.m_cSurname, pszSurname);
    strcpy(record.m_cEmail, pszEmail);
    return record;
}
} // namespace

TEST_F(ContactsTableTest, FirstOpenCreatesSiteThenContactNameWithItsIndexes)
{
    CContactsTableHolder contacts(m_db.Session());
    contacts.Open(NULL);
    EXPECT_NE(contacts.MoveFirst(), S_OK);
    EXPECT_TRUE(TableExists(m_db.Session(), "Site"));
    EXPECT_TRUE(TableExists(m_db.Session(), "ContactName"));
    const char* const indexes[][2] = {{"idxCustomerID", "CustomerID"}, {"idxSurname", "cSurname"},
                                      {"idxDDI", "cDDI"},             {"idxMobile", "cMobile"},
                                      {"idxIndType1", "cIndType1"},   {"idxIndType7", "cIndType7"},
                                      {"idxCompany", "Company"}};
    for (const auto& index : indexes)
    {
        CString strSQL = CString("CREATE INDEX ") + index[0] + " ON " +
                         (strcmp(index[0], "idxCompany") == 0 ? "Site" : "ContactName") + " (" + index[1] + ")";
        CCommand<CNoAccessor, CNoRowset> command;
        EXPECT_TRUE(FAILED(command.Open(*m_db.Session(), strSQL, NULL, NULL, DBGUID_DEFAULT, false)))
            << index[0] << " should exist already";
    }
    // A person whose company is missing is refused by the reference.
    EXPECT_TRUE(FAILED(ExecuteOnSession(m_db.Session(), "INSERT INTO ContactName (CustomerID) VALUES (999)")));
}

TEST_F(ContactsTableTest, TheFilterFollowsTheSetting)
{
    AddContacts();
    CRegistry registry("LetrovaStoreTests");
    HWND hOwner = Owner(&registry);
    CContactsTableHolder contacts(m_db.Session());

    registry.m_bOnlyWithEmail = 1;
    contacts.OpenFiltered(hOwner);
    EXPECT_EQ(Names(contacts), (std::vector<std::string>{"Ann Lee", "Pat O'Neil"}));

    registry.m_bOnlyWithEmail = 0;
    contacts.OpenFiltered(hOwner);
    EXPECT_EQ(Names(contacts), (std::vector<std::string>{"Ann Lee", "Pat O'Neil", "No Mail"}));
    EXPECT_STREQ(BuildContactsSelect(NULL), CString(g_szContactsSelect) + " AND ContactName.cEmail <> ''");
}

TEST_F(ContactsTableTest, FindByEmail)
{
    AddContacts();
    CContactsTableHolder contacts(m_db.Session());
    EXPECT_TRUE(contacts.FindByEmail("pat.o'neil@acme.test", NULL));
    EXPECT_STREQ(contacts.m_cSurname, "O'Neil");
    EXPECT_STREQ(contacts.m_Company, "Acme");

    EXPECT_FALSE(contacts.FindByEmail("", NULL));
    EXPECT_STREQ(contacts.m_cSurname, "O'Neil") << "an empty address leaves the table alone";
    EXPECT_FALSE(contacts.FindByEmail("nobody@acme.test", NULL));
}

TEST_F(ContactsTableTest, FullNameAndRecipientText)
{
    const struct
    {
        const char* pszFirst;
        const char* pszSurname;
        const char* pszEmail;
        const char* pszFullName;
        const char* pszRecipient;
        bool bComplains;
    } cases[] = {
        {"Ann", "Lee", "ann@x", "Ann Lee", "\"Ann Lee\" <ann@x>", false},
        {"", "Lee", "lee@x", "Lee", "\"Lee\" <lee@x>", false},
        {"Ann", "", "ann@x", "Ann", "\"Ann\" <ann@x>", false},
        {"", "", "who@x", "", "<who@x>", false},
        {"Ann", "Lee", "", "Ann Lee", "\"Ann Lee\" <>", true},
    };
    for (const auto& test : cases)
    {
        s_boxes.clear();
        CContactRecord record = Contact(test.pszFirst, test.pszSurname, test.pszEmail);
        EXPECT_STREQ(record.GetFullName(), test.pszFullName);
        EXPECT_STREQ(record.GetRecipientText(), test.pszRecipient);
        EXPECT_EQ(s_boxes, test.bComplains ? std::vector<std::string>{"The email address of the Contact is not "
                                                                      "present."}
                                           : std::vector<std::string>{});
    }
}

TEST_F(ContactsTableTest, CompareSortsByTheChosenColumn)
{
    CContactRecord a = Contact("A", "A", "alpha@x");
    CContactRecord b = Contact("B", "B", "Beta@x");
    a.m_strListText = "zed";
    b.m_strListText = "Adam";
    strcpy(a.m_Company, "acme");
    strcpy(b.m_Company, "ACME");
    strcpy(a.m_cMobile, "2");
    strcpy(b.m_cMobile, "1");
    const struct
    {
        int nColumn;
        int nSign; // of Compare(a, b) ascending
    } cases[] = {{0, 1}, {1, -1}, {2, 0}, {3, 0}, {5, 1}, {6, 0}, {-1, 0}};
    for (const auto& test : cases)
    {
        int nUp = a.Compare(b, test.nColumn, TRUE);
        int nDown = a.Compare(b, test.nColumn, FALSE);
        EXPECT_EQ((nUp > 0) - (nUp < 0), test.nSign) << test.nColumn;
        EXPECT_EQ((nDown > 0) - (nDown < 0), -test.nSign) << test.nColumn;
    }
}

TEST_F(ContactsTableTest, ClearKeepsIndAndAddDate)
{
    CContactRecord record = Contact("Ann", "Lee", "a@x");
    record.m_Ind = VARIANT_TRUE;
    record.m_AddDate = 1234;
    record.m_ID = 5;
    record.m_strListText = "list";
    record.Clear();
    EXPECT_STREQ(record.m_cFirstname, "");
    EXPECT_EQ(record.m_ID, 0);
    EXPECT_TRUE(record.m_strListText.IsEmpty());
    EXPECT_EQ(record.m_Ind, VARIANT_TRUE);
    EXPECT_EQ(record.m_AddDate, 1234);
}

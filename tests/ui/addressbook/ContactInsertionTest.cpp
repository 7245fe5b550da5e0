// Adding contacts: company reuse and the duplicate checks in both modes, the person's own site, and what a
// failure leaves behind; splitting a sender's name for a new contact.
#include <windows.h>

#include <sqlite3.h>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "ui/addressbook/ContactInsertion.h"

namespace
{
struct CPerson
{
    const char* pszFirst;
    const char* pszSurname;
    const char* pszEmail;
};

class ContactInsertionTest : public AddressBookTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        AddressBookTest::SetUp();
        if (GetParam())
            UseLocal();
    }

    // Inserts a person silently with a company of that name (none: no company); returns InsertContact's result.
    int InsertSilently(const CPerson& person, const char* pszCompany = "", const char* pszPostcode = "")
    {
        int nResult = -1;
        OnOwner([&]() {
            CContactNameTable contact(&Contacts());
            contact.ClearRecord();
            Fill(contact, person);
            CSiteRecord site;
            if (pszCompany[0] != '\0')
            {
                site.m_Ind = VARIANT_FALSE;
                lstrcpyA(site.m_Company, pszCompany);
                lstrcpyA(site.m_Postcode, pszPostcode);
            }
            nResult = InsertContact(m_hOwner, contact, site, FALSE);
        });
        return nResult;
    }

    // The sheet's way: the Site table object's record holds the company, duplicates are asked about.
    int InsertInteractively(const CPerson& person, const char* pszCompany, const char* pszPostcode = "")
    {
        int nResult = -1;
        OnOwner([&]() {
            CSiteTable& site = m_bLocal ? m_pDatabase->m_Local.m_Site : m_pDatabase->m_Orb.m_Site;
            site.Open(m_hOwner);
            site.Clear();
            site.m_Ind = pszCompany[0] == '\0' ? VARIANT_TRUE : VARIANT_FALSE;
            lstrcpyA(site.m_Company, pszCompany);
            lstrcpyA(site.m_Postcode, pszPostcode);
            CContactNameTable contact(&Contacts());
            contact.ClearRecord();
            Fill(contact, person);
            CSiteRecord unused;
            nResult = InsertContact(m_hOwner, contact, unused, TRUE);
        });
        return nResult;
    }

    static void Fill(CContactNameTable& contact, const CPerson& person)
    {
        lstrcpyA(contact.m_cFirstname, person.pszFirst);
        lstrcpyA(contact.m_cSurname, person.pszSurname);
        lstrcpyA(contact.m_cEmail, person.pszEmail);
    }

    long Count(const char* pszTable)
    {
        return Query(CString("SELECT COUNT(*) FROM ") + pszTable);
    }
    // The company name of the Site row of the person with that e-mail.
    std::string CompanyOf(const char* pszEmail)
    {
        CString strSQL;
        strSQL.Format("SELECT Site.SiteID FROM ContactName, Site WHERE ContactName.CustomerID = Site.SiteID AND "
                      "ContactName.cEmail = '%s'",
                      pszEmail);
        long nSiteID = Query(strSQL);
        strSQL.Format("SELECT COUNT(*) FROM Site WHERE SiteID = %ld AND Ind <> 0", nSiteID);
        std::string strCompany = Query(strSQL) == 1 ? "individual:" : "company:";
        for (const char* pszName : {"Smith", "John", "only@x", "Acme", "Beta"})
        {
            strSQL.Format("SELECT COUNT(*) FROM Site WHERE SiteID = %ld AND COMPANY = '%s'", nSiteID, pszName);
            if (Query(strSQL) == 1)
                return strCompany + pszName;
        }
        return strCompany + "?";
    }
};
} // namespace

TEST_P(ContactInsertionTest, SilentModeReusesACompanyAndRefusesDuplicatesWithoutAsking)
{
    CDialogResponder responder(m_ui.ThreadId(), [](HWND) { return false; });
    LONG nAcme = AddSite("Acme", "N1");
    EXPECT_EQ(1, InsertSilently({"John", "Smith", "js@x"}, "Acme", "N1"));
    EXPECT_EQ(nAcme, Query("SELECT CustomerID FROM ContactName WHERE cEmail = 'js@x'"));
    // Another postcode is another company.
    EXPECT_EQ(1, InsertSilently({"Ann", "Lee", "al@x"}, "Acme", "N2"));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Acme'"));

    // The same names, whatever the address; without names, the same address.
    EXPECT_EQ(0, InsertSilently({"John", "Smith", "other@x"}));
    EXPECT_EQ(1, InsertSilently({"", "", "only@x"}));
    EXPECT_EQ(0, InsertSilently({"", "", "only@x"}));
    // Nothing to know the person by.
    EXPECT_EQ(0, InsertSilently({"", "", ""}, "Beta"));
    EXPECT_EQ(3, Count("ContactName"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Beta'"));
    EXPECT_TRUE(responder.Answered().empty());
    EXPECT_TRUE(NoOpenTransaction());
}

TEST_P(ContactInsertionTest, APersonWithoutACompanyGetsASiteNamedAfterThePerson)
{
    EXPECT_EQ(1, InsertSilently({"John", "Smith", "a@x"}));
    EXPECT_EQ(1, InsertSilently({"John", "", "b@x"}));
    EXPECT_EQ(1, InsertSilently({"", "", "only@x"}));
    EXPECT_EQ("individual:Smith", CompanyOf("a@x"));
    EXPECT_EQ("individual:John", CompanyOf("b@x"));
    EXPECT_EQ("individual:only@x", CompanyOf("only@x"));
}

TEST_P(ContactInsertionTest, TheSheetAsksAboutAKnownCompanyAndAKnownPerson)
{
    LONG nAcme = AddSite("Acme", "N1");
    int nAnswer = IDYES;
    CDialogResponder responder(m_ui.ThreadId(), [&](HWND hDlg) {
        if (CDialogResponder::MessageBoxText(hDlg).empty())
            return false;
        return CDialogResponder::Press(hDlg, nAnswer);
    });
    // Yes takes the stored company, No stores a second one, Cancel stores nothing.
    EXPECT_EQ(1, InsertInteractively({"John", "Smith", "js@x"}, "Acme", "N1"));
    EXPECT_EQ(nAcme, Query("SELECT CustomerID FROM ContactName WHERE cEmail = 'js@x'"));
    nAnswer = IDNO;
    EXPECT_EQ(1, InsertInteractively({"Ann", "Lee", "al@x"}, "Acme", "N1"));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Acme'"));
    nAnswer = IDCANCEL;
    EXPECT_EQ(0, InsertInteractively({"Bob", "Ray", "br@x"}, "Acme", "N1"));
    EXPECT_EQ(2, Count("ContactName"));
    ASSERT_TRUE(responder.WaitForAnswered(3));
    EXPECT_EQ("This site is already in your address book.\r\nCompany: Acme\r\nPostcode: N1\r\n\r\n"
              "Do you want to add new contact to existing site?",
              responder.Answered()[0].strText);

    // A known person: OK stores the second one, Cancel does not.
    nAnswer = IDCANCEL;
    EXPECT_EQ(0, InsertInteractively({"John", "Smith", "again@x"}, ""));
    nAnswer = IDOK;
    EXPECT_EQ(1, InsertInteractively({"John", "Smith", "again@x"}, ""));
    ASSERT_TRUE(responder.WaitForAnswered(5));
    EXPECT_EQ("This contact is already in your address book.\r\nE-mail: js@x\r\nFirstname: John\r\nSurname: "
              "Smith\r\n\r\nContinue?",
              responder.Answered()[3].strText);
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM ContactName WHERE cSurname = 'Smith'"));
    EXPECT_TRUE(NoOpenTransaction());
}

TEST_P(ContactInsertionTest, AFailedPersonInsertLeavesNoRowsAndNoOpenTransaction)
{
    // The person's row is refused by the file itself, after the company row went in.
    std::string strFile = m_bLocal ? std::string(m_folder.Path("email.mdb")) : std::string(m_folder.Path("Orb.mdb"));
    sqlite3* db = NULL;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(strFile.c_str(), &db));
    sqlite3_busy_timeout(db, 10000);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
                                      "CREATE TRIGGER refuse BEFORE INSERT ON ContactName WHEN NEW.cSurname = "
                                      "'Fault' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                                      NULL, NULL, NULL));
    sqlite3_close(db);

    CDialogResponder responder(m_ui.ThreadId(), [](HWND hDlg) { return CDialogResponder::Press(hDlg, IDCANCEL); });
    bool bThrown = false;
    OnOwner([&]() {
        CContactNameTable contact(&Contacts());
        contact.ClearRecord();
        Fill(contact, {"Ed", "Fault", "ed@x"});
        CSiteRecord site;
        site.m_Ind = VARIANT_FALSE;
        lstrcpyA(site.m_Company, "Acme");
        try
        {
            InsertContact(m_hOwner, contact, site, FALSE);
        }
        catch (COLEDBException* pException)
        {
            bThrown = pException->m_strMessage.Find("ERROR: Insert Names table failed!") >= 0;
            delete pException;
        }
    });
    EXPECT_TRUE(bThrown);
    EXPECT_EQ(0, Count("Site"));
    EXPECT_EQ(0, Count("ContactName"));
    EXPECT_TRUE(NoOpenTransaction());
    // The connection goes on as before: the next contact is stored and stays.
    EXPECT_EQ(1, InsertSilently({"Ed", "Fine", "ef@x"}, "Acme"));
    EXPECT_EQ(1, Count("ContactName"));
}

TEST_P(ContactInsertionTest, TheNewSiteIsTheInsertedRowWhileAnotherConnectionInserts)
{
    CSession other;
    ASSERT_EQ(S_OK, (m_bLocal ? m_pDatabase->m_Local : static_cast<CDatabaseBase&>(m_pDatabase->m_Orb))
                        .OpenOwnSession(other));
    OnOwner([&]() {
        CSiteTable& site = m_bLocal ? m_pDatabase->m_Local.m_Site : m_pDatabase->m_Orb.m_Site;
        site.Open(m_hOwner);
    });
    // Rows the table object never read, stored after it opened.
    ASSERT_TRUE(Execute(other, "INSERT INTO Site (COMPANY, Ind) VALUES ('Other 1', 0)"));
    EXPECT_EQ(1, InsertSilently({"John", "Smith", "a@x"}));
    ASSERT_TRUE(Execute(other, "INSERT INTO Site (COMPANY, Ind) VALUES ('Other 2', 0)"));
    EXPECT_EQ(1, InsertSilently({"Mary", "Jones", "m@x"}, "Acme"));
    EXPECT_EQ("individual:Smith", CompanyOf("a@x"));
    EXPECT_EQ("company:Acme", CompanyOf("m@x"));
    other.Close();
}

INSTANTIATE_TEST_SUITE_P(CentralAndLocal, ContactInsertionTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Local" : "Central"; });

TEST(SenderNameTest, SplitsAtTheLastRunOfBlanks)
{
    const struct
    {
        const char* pszName;
        const char* pszFirst;
        const char* pszSurname;
    } cases[] = {{"John Smith", "John", "Smith"},
                 {"John Paul Smith", "John Paul", "Smith"},
                 {"John Smith ", "John", "Smith"},
                 {"  John   Smith", "John", "Smith"},
                 {"Madonna", "Madonna", ""},
                 {"", "", ""}};
    for (const auto& c : cases)
    {
        CString strFirst, strSurname;
        SplitSenderName(c.pszName, strFirst, strSurname);
        EXPECT_STREQ(c.pszFirst, strFirst) << c.pszName;
        EXPECT_STREQ(c.pszSurname, strSurname) << c.pszName;
    }
}

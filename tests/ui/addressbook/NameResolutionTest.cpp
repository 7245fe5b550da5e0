// Resolving typed recipients: what is kept, what one contact replaces, the names split either way, and
// "Check Names" for none or several; the contact search's condition.
#include <windows.h>

#include <atomic>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "content/AddressList.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/addressbook/NameResolution.h"
#include "ui/main/AddressSearch.h"

namespace
{
class NameResolutionTest : public AddressBookTest
{
protected:
    NameResolutionTest() : m_dialogUi(_Module) {}

    void SetUp() override
    {
        AddressBookTest::SetUp();
        LONG nAcme = AddSite("Acme");
        AddPerson(nAcme, "John", "Smith", "js@x");
        AddPerson(nAcme, "Sean", "O''Brien", "so@x");
        AddPerson(nAcme, "Cher", "", "cher@x");
        AddPerson(nAcme, "Ann", "Lee", "al1@x");
        AddPerson(nAcme, "Ann", "Lee", "al2@x");
    }

    // The result, the text afterwards, and whether the empty text was thrown.
    struct CResolved
    {
        int nResult = -1;
        std::string strText;
        bool bThrown = false;
    };
    CResolved Resolve(const char* pszText, CSession* pSession)
    {
        CResolved resolved;
        CString strText = pszText;
        CContactsTableHolder query(pSession);
        try
        {
            resolved.nResult = FindContactsByName(strText, query, m_hOwner);
        }
        catch (const char* pszThrown)
        {
            resolved.bThrown = pszThrown != NULL && pszThrown[0] == '\0';
        }
        resolved.strText = (const char*)strText;
        return resolved;
    }
    // The same on the dialog thread, for the cases that open Check Names.
    void ResolveInBackground(const char* pszText)
    {
        m_bDone = false;
        std::string strText = pszText;
        m_dialogUi.Run([this, strText]() {
            m_resolved = Resolve(strText.c_str(), &Contacts());
            m_bDone = true;
        });
    }

    CUiThread m_dialogUi;
    std::atomic<bool> m_bDone{false};
    CResolved m_resolved;
};
} // namespace

TEST_F(NameResolutionTest, KnownTextsResolveWithoutAsking)
{
    const struct
    {
        const char* pszText;
        int nResult;
        const char* pszAfter;
    } cases[] = {
        {"\"Ann Other\" <ao@x>", 1, "\"Ann Other\" <ao@x>"},
        {"plain@x", 1, "plain@x"},
        {"", 0, ""},
        {"John Smith", 1, "\"John Smith\" <js@x>"},
        {"Sean O'Brien", 1, "\"Sean O'Brien\" <so@x>"},
        {"Cher", 1, "\"Cher\" <cher@x>"},
    };
    for (const auto& c : cases)
    {
        CResolved resolved = Resolve(c.pszText, &Contacts());
        EXPECT_EQ(c.nResult, resolved.nResult) << c.pszText;
        EXPECT_EQ(c.pszAfter, resolved.strText) << c.pszText;
        EXPECT_FALSE(resolved.bThrown) << c.pszText;
    }
    // Without a session nothing is looked up.
    CResolved resolved = Resolve("John Smith", NULL);
    EXPECT_EQ(1, resolved.nResult);
    EXPECT_EQ("John Smith", resolved.strText);
}

TEST_F(NameResolutionTest, AContactMadeFromAThreeWordSenderResolvesByThatName)
{
    CString strFirst, strSurname;
    SplitSenderName("John Paul Jones", strFirst, strSurname);
    OnOwner([&]() {
        CContactNameTable contact(&Contacts());
        contact.ClearRecord();
        lstrcpyA(contact.m_cFirstname, strFirst);
        lstrcpyA(contact.m_cSurname, strSurname);
        lstrcpyA(contact.m_cEmail, "jpj@x");
        CSiteRecord site;
        ASSERT_EQ(1, InsertContact(m_hOwner, contact, site, FALSE));
    });
    CResolved resolved = Resolve("John Paul Jones", &Contacts());
    EXPECT_EQ(1, resolved.nResult);
    EXPECT_EQ("\"John Paul Jones\" <jpj@x>", resolved.strText);
}

TEST_F(NameResolutionTest, NoneOrSeveralOpenCheckNames)
{
    // Several: the choice gives its recipient text.
    ResolveInBackground("Ann Lee");
    CDialogResponder chooser(m_dialogUi.ThreadId(), [](HWND hDlg) {
        if (WindowText(hDlg) != "Check Names")
            return false;
        HWND hList = ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST);
        if (!WaitFor([&]() { return ListView_GetItemCount(hList) > 0; }, 5000))
            return false;
        ListView_SetItemState(hList, 0, LVIS_SELECTED, LVIS_SELECTED);
        return CDialogResponder::Press(hDlg, IDOK);
    });
    ASSERT_TRUE(WaitFor([&]() { return m_bDone.load(); }));
    EXPECT_EQ(1, m_resolved.nResult);
    EXPECT_EQ(0u, m_resolved.strText.find("\"Ann Lee\" <al")) << m_resolved.strText;
}

TEST_F(NameResolutionTest, CheckNamesSaysWhenNothingMatchesAndCancelThrowsTheEmptyText)
{
    ResolveInBackground("Nobody");
    HWND hDlg = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Check Names");
    ASSERT_NE(nullptr, hDlg);
    HWND hList = ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    EXPECT_EQ("No matches found for ' Nobody '", CDialogResponder::ItemText(hDlg, IDC_AB_CHECK_LABEL2));
    EXPECT_EQ(0, ListView_GetItemCount(hList));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDOK)));
    CDialogResponder::Press(hDlg, IDC_AB_SHOW_MORE);
    EXPECT_TRUE(WaitFor([&]() { return ListView_GetItemCount(hList) == 5; }));
    EXPECT_EQ("Several matches were found in your Address Book.",
              CDialogResponder::ItemText(hDlg, IDC_AB_CHECK_LABEL1));
    SaveWindowScreenshot(hDlg, "check-names");
    CDialogResponder::Press(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitFor([&]() { return m_bDone.load(); }));
    EXPECT_TRUE(m_resolved.bThrown);
    EXPECT_EQ("", m_resolved.strText);
}

TEST_F(NameResolutionTest, ATypedFieldIsResolvedThroughTheAddressBook)
{
    InstallAddressBook();
    std::vector<CString> entries;
    EXPECT_TRUE(ParseAddressList("John Smith; x@y", entries, ';', NULL, TRUE, m_hOwner));
    SetFindContactsByNameProc(NULL);
    ASSERT_EQ(2u, entries.size());
    EXPECT_NE(-1, entries[0].Find("<js@x>")) << (const char*)entries[0];
}

TEST_F(NameResolutionTest, TheSearchMatchesItsTextLiterally)
{
    LONG nSite = AddSite("Like");
    AddPerson(nSite, "a_b", "", "ab1@x");
    AddPerson(nSite, "axb", "", "ab2@x");
    AddPerson(nSite, "50%", "", "p@x");
    const struct
    {
        const char* pszText;
        const char* pszPrefix;
        int nRows;
    } cases[] = {{"a_b", "", 1}, {"a_", "", 1}, {"50%", "", 1}, {"_b", "%", 1}, {"John Sm", "", 1},
                 {"O'", "", 0}};
    for (const auto& c : cases)
    {
        CContactsTableHolder query(&Contacts());
        CAddressSearch::BuildWhere(query, m_hOwner, c.pszText, c.pszPrefix, FALSE);
        int nRows = 0;
        for (HRESULT hr = query.MoveFirst(); hr == S_OK; hr = query.MoveNext())
            nRows++;
        EXPECT_EQ(c.nRows, nRows) << c.pszText;
    }
}

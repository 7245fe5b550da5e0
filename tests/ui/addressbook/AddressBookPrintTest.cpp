// Printing contacts: the document against golden files, the two ranges, and a file of its own per print.
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "ui/addressbook/MainFrameAddressBook.h"

namespace
{
std::string Golden(const char* pszName)
{
    std::ifstream file(std::string(ORB_TEST_DATA_DIR) + "/addressbook/" + pszName, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class AddressBookPrintTest : public AddressBookTest
{
protected:
    void SetUp() override
    {
        AddressBookTest::SetUp();
        LONG nAcme = AddSite("Acme & <Sons>");
        Exec("UPDATE Site SET TownCity = 'Leeds', Tel = '0113', AddDate = NULL");
        AddPerson(nAcme, "Tom", "O\"Neil <tom>", "t@x");
        LONG nOwn = AddSite("Smith", "", true);
        Exec("UPDATE Site SET AddDate = NULL");
        AddPerson(nOwn, "", "Smith", "s@x");
        OnOwner([&]() {
            m_pPane.reset(new CDlgAddressBookPane(m_pOwner));
            m_pPane->Create(m_hOwner);
            m_pOwner->m_hWndRoute = m_pPane->m_hWnd;
        });
        ASSERT_TRUE(WaitFor([&]() { return ListView_GetItemCount(List()) == 2; }));
        // By address: s@x, then t@x.
        OnOwner([&]() { m_pPane->m_list.SendMessage(LVM_SORTITEMS, 1); });
    }
    void TearDown() override
    {
        OnOwner([&]() {
            m_pOwner->m_hWndRoute = NULL;
            m_pPane->DestroyWindow();
        });
        m_pPane.reset();
        AddressBookTest::TearDown();
    }
    HWND List() { return m_pPane->m_list.m_hWnd; }
    // Selects the rows (by name order) and prints with the range chosen in the dialog.
    void Print(std::vector<int> rows, int nRange, std::function<void(HWND)> onBox = nullptr)
    {
        OnOwner([&]() {
            for (int i = 0; i < 2; i++)
                ListView_SetItemState(List(), i, 0, LVIS_SELECTED);
            for (int i : rows)
                ListView_SetItemState(List(), i, LVIS_SELECTED, LVIS_SELECTED);
            ::SetFocus(List());
        });
        CDialogResponder responder(m_ui.ThreadId(), [&](HWND hDlg) {
            if (WindowText(hDlg) == "Print Address Book")
            {
                SaveWindowScreenshot(hDlg, "print-address-book");
                CDialogResponder::SetCheck(hDlg, IDC_AB_PRINT_ALL, nRange == IDC_AB_PRINT_ALL);
                CDialogResponder::SetCheck(hDlg, IDC_AB_PRINT_SELECTION, nRange == IDC_AB_PRINT_SELECTION);
                return CDialogResponder::Press(hDlg, IDOK);
            }
            if (onBox)
                onBox(hDlg);
            return CDialogResponder::Press(hDlg, IDOK);
        });
        ::PostMessageA(List(), WM_COMMAND, AddressBookCmd::kFilePrint, 0);
        ASSERT_TRUE(responder.WaitForAnswered(onBox ? 2 : 1));
        ASSERT_TRUE(m_ui.WaitUntilIdle());
    }

    std::unique_ptr<CDlgAddressBookPane> m_pPane;
};
} // namespace

TEST_F(AddressBookPrintTest, TheDocumentEscapesValuesAndLeavesOutEmptyRows)
{
    Print({}, IDC_AB_PRINT_ALL);
    auto prints = m_pOwner->Prints();
    ASSERT_EQ(1u, prints.size());
    EXPECT_EQ(Golden("print-two-contacts.htm"), prints[0].second);
}

TEST_F(AddressBookPrintTest, AllPrintsEveryRowAndSelectionOnlyTheSelected)
{
    Print({}, IDC_AB_PRINT_ALL);
    Print({1}, IDC_AB_PRINT_SELECTION);
    auto prints = m_pOwner->Prints();
    ASSERT_EQ(2u, prints.size());
    EXPECT_NE(std::string::npos, prints[0].second.find("t@x"));
    EXPECT_NE(std::string::npos, prints[0].second.find("s@x"));
    EXPECT_EQ(std::string::npos, prints[1].second.find("s@x"));
    EXPECT_NE(std::string::npos, prints[1].second.find("t@x"));
    // Each print has a file of its own: the first is still there as it was written.
    EXPECT_NE(prints[0].first, prints[1].first);
    std::ifstream first(prints[0].first, std::ios::binary);
    std::stringstream text;
    text << first.rdbuf();
    EXPECT_EQ(prints[0].second, text.str());

    // Selection with nothing selected refuses.
    std::string strBox;
    Print({}, IDC_AB_PRINT_SELECTION, [&](HWND hDlg) { strBox = CDialogResponder::MessageBoxText(hDlg); });
    EXPECT_EQ("No selected contacts", strBox);
    EXPECT_EQ(2u, m_pOwner->Prints().size());
}

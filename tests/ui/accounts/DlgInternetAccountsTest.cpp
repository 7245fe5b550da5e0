// The Internet Accounts dialog driven as a user would: the list, Add, Remove, Properties, Set as Default,
// the News tab, Location, with the Accounts and Options rows read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "AccountsFixture.h"
#include "resources/resource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "ui/options/OptionsSheetCall.h"

namespace
{
const WPARAM kUpdate = 32785;

class DlgInternetAccountsTest : public ::testing::Test, public CAccountsFixture
{
protected:
    HWND MailList(HWND hDlg) { return ::GetDlgItem(hDlg, IDC_ACCOUNTS_MAIL_LIST); }
    std::vector<std::vector<std::string>> Rows(HWND hDlg) { return ListViewItems(MailList(hDlg)); }
    // Selects the row as a click would.
    void SelectRow(HWND hDlg, int nRow)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(MailList(hDlg), LVM_SETITEMSTATE, nRow, (LPARAM)&item);
    }
    long DefaultAccount() { return Query("SELECT DefaultAccountID FROM Options WHERE UserID = 1"); }
    bool WaitForRows(HWND hDlg, size_t nCount)
    {
        return WaitFor([&] { return Rows(hDlg).size() == nCount; });
    }
    void Close(HWND hDlg)
    {
        CDialogResponder::Press(hDlg, IDCANCEL);
        ASSERT_TRUE(WaitForClosed());
    }
};

INT_PTR s_nSheetAnswer = IDCANCEL;
int s_nSheetPage = -1;
HWND s_hSheetOwner = NULL;
INT_PTR RecordSheetCall(CRegistry*, HWND hOwner, HWND, int nStartPage)
{
    s_hSheetOwner = hOwner;
    s_nSheetPage = nStartPage;
    return s_nSheetAnswer;
}
} // namespace

// Filling the list is also what gives a user without a default account one.
TEST_F(DlgInternetAccountsTest, ListShowsTheAccountsWithTheirDefaultAndReceivingAndSetsAMissingDefault)
{
    AddAccount("Alice", INCOMING_SERVER_POP3, 0x4);
    AddAccount("Bob", INCOMING_SERVER_IMAP, 0x2);
    ASSERT_EQ(-1, DefaultAccount());
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    ASSERT_TRUE(WaitForRows(hDlg, 2));

    HWND hHeader = (HWND)::SendMessageA(MailList(hDlg), LVM_GETHEADER, 0, 0);
    std::vector<std::string> headers;
    std::vector<int> widths;
    for (int i = 0; i < (int)::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0); i++)
    {
        char szText[64] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT | HDI_WIDTH;
        item.pszText = szText;
        item.cchTextMax = sizeof(szText);
        ::SendMessageA(hHeader, HDM_GETITEMA, i, (LPARAM)&item);
        headers.push_back(szText);
        widths.push_back(item.cxy);
    }
    EXPECT_EQ((std::vector<std::string>{"Account", "Type", "E-Mail Address", "Receiving"}), headers);
    EXPECT_EQ((std::vector<int>{150, 100, 150, 70}), widths);
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"Alice", "Mail(default)", "Alice@example.org", "yes"},
                                                     {"Bob", "Mail", "Bob@example.org", "no"}}),
              Rows(hDlg));
    EXPECT_EQ(QueryLong(Accounts(), "SELECT ID FROM Accounts WHERE DisplayName = 'Alice'"), DefaultAccount());
    EXPECT_TRUE(::IsWindowVisible(MailList(hDlg)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(hDlg, IDC_ACCOUNTS_NEWS_LIST)));
    Screenshot(hDlg, "internet-accounts-mail");
    Close(hDlg);
}

TEST_F(DlgInternetAccountsTest, WithoutASelectionTheCommandsOnlyAskForOne)
{
    AddAccount("Alice");
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    ASSERT_TRUE(WaitForRows(hDlg, 1));
    for (int nButton : {IDC_ACCOUNTS_REMOVE, IDC_ACCOUNTS_PROPERTIES, IDC_ACCOUNTS_SET_DEFAULT})
    {
        CDialogResponder::Press(hDlg, nButton);
        EXPECT_EQ("Select an item please.", AnswerBox(IDOK)) << nButton;
    }
    Close(hDlg);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Accounts"));
}

TEST_F(DlgInternetAccountsTest, NewsTabAnswersEveryButtonWithUnderConstruction)
{
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    HWND hTabs = ::GetDlgItem(hDlg, IDC_ACCOUNTS_TABS);
    // A click on the tab: the selection moves and the dialog hears TCN_SELCHANGE.
    m_ui.Invoke(
        [&]
        {
            ::SendMessageA(hTabs, TCM_SETCURSEL, 1, 0);
            NMHDR nm = {hTabs, IDC_ACCOUNTS_TABS, (UINT)TCN_SELCHANGE};
            ::SendMessageA(hDlg, WM_NOTIFY, IDC_ACCOUNTS_TABS, (LPARAM)&nm);
        });
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(hDlg, IDC_ACCOUNTS_NEWS_LIST)));
    EXPECT_FALSE(::IsWindowVisible(MailList(hDlg)));
    Screenshot(hDlg, "internet-accounts-news");
    for (int nButton :
         {IDC_ACCOUNTS_ADD, IDC_ACCOUNTS_REMOVE, IDC_ACCOUNTS_PROPERTIES, IDC_ACCOUNTS_SET_DEFAULT})
    {
        CDialogResponder::Press(hDlg, nButton);
        EXPECT_EQ("Under construction:(", AnswerBox(IDOK)) << nButton;
    }
    Close(hDlg);
}

// The question comes before anything changes: No leaves the account and the default as they were.
TEST_F(DlgInternetAccountsTest, RemoveAsksFirstAndYesDeletesTheAccountWithItsBookkeeping)
{
    LONG nAlice = AddAccount("Alice");
    LONG nBob = AddAccount("Bob", INCOMING_SERVER_IMAP);
    CSession& local = m_pDatabase->m_Local.m_session;
    ASSERT_TRUE(Execute(local,
                        "CREATE TABLE DeletedMessages(UniqueID TEXT(255) NOT NULL, AccountID INTEGER NOT "
                        "NULL, DateOfDeleting DATETIME)"));
    CString strSQL;
    strSQL.Format(
        "INSERT INTO DeletedMessages (UniqueID, AccountID) VALUES ('a1', %ld), ('b1', %ld), ('b2', %ld)",
        (long)nAlice, (long)nBob, (long)nBob);
    ASSERT_TRUE(Execute(local, strSQL));
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    ASSERT_TRUE(WaitForRows(hDlg, 2));
    ASSERT_EQ(nAlice, DefaultAccount());
    // Bob becomes the default through the dialog, then is the one removed.
    m_ui.Invoke([&] { SelectRow(hDlg, 1); });
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_SET_DEFAULT);
    ASSERT_TRUE(WaitFor([&] { return Rows(hDlg).size() == 2 && Rows(hDlg)[1][1] == "Mail(default)"; }));
    EXPECT_EQ(nBob, DefaultAccount());
    EXPECT_EQ("Mail", Rows(hDlg)[0][1]);

    m_ui.Invoke([&] { SelectRow(hDlg, 1); });
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_REMOVE);
    EXPECT_EQ("Are you sure you want to permanently delete the selected account?", AnswerBox(IDNO));
    EXPECT_EQ(nBob, DefaultAccount());
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM Accounts"));
    EXPECT_EQ(3, QueryLong(local, "SELECT COUNT(*) FROM DeletedMessages"));

    m_ui.Invoke([&] { SelectRow(hDlg, 1); });
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_REMOVE);
    EXPECT_EQ("Are you sure you want to permanently delete the selected account?", AnswerBox(IDYES));
    ASSERT_TRUE(WaitForRows(hDlg, 1));
    EXPECT_EQ((std::vector<std::string>{"Alice", "Mail(default)", "Alice@example.org", "yes"}),
              Rows(hDlg)[0]);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Accounts"));
    EXPECT_EQ(nAlice, DefaultAccount());
    EXPECT_EQ(1, QueryLong(local, "SELECT COUNT(*) FROM DeletedMessages"));
    EXPECT_EQ((std::vector<std::string>{"33042 Bob"}), m_pOwner->Commands());
    // Bob was an IMAP account: the main window rebuilds its folders.
    EXPECT_TRUE(m_mainThread.WaitForCommand(kUpdate));
    Close(hDlg);
}

TEST_F(DlgInternetAccountsTest, DoubleClickOpensPropertiesAndOkWritesTheRow)
{
    LONG nAlice = AddAccount("Alice", INCOMING_SERVER_IMAP);
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    ASSERT_TRUE(WaitForRows(hDlg, 1));
    HWND hList = MailList(hDlg);
    RECT rcItem = {LVIR_LABEL};
    ::SendMessageA(hList, LVM_GETITEMRECT, 0, (LPARAM)&rcItem);
    LPARAM lPoint = MAKELPARAM(rcItem.left + 5, (rcItem.top + rcItem.bottom) / 2);
    ::PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    ::PostMessageA(hList, WM_LBUTTONUP, 0, lPoint);
    ::PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, lPoint);
    ::PostMessageA(hList, WM_LBUTTONUP, 0, lPoint);
    HWND hSheet = FindDialog("Account Properties");
    ASSERT_NE((HWND)NULL, hSheet);
    HWND hPage = ActivePage(hSheet);
    EXPECT_EQ("Alice", WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_DISPLAY_NAME)));
    Screenshot(hSheet, "account-properties-name");
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_DISPLAY_NAME, "Alice Renamed");
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hSheet); }));
    ASSERT_TRUE(WaitFor([&] { return !Rows(hDlg).empty() && Rows(hDlg)[0][0] == "Alice Renamed"; }));
    EXPECT_STREQ("Alice Renamed", ReadAccount(nAlice).m_szDisplayName);
    EXPECT_TRUE(m_mainThread.WaitForCommand(kUpdate));
    Close(hDlg);
}

TEST_F(DlgInternetAccountsTest, PropertiesCancelledWritesNothing)
{
    LONG nAlice = AddAccount("Alice");
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    ASSERT_TRUE(WaitForRows(hDlg, 1));
    m_ui.Invoke([&] { SelectRow(hDlg, 0); });
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_PROPERTIES);
    HWND hSheet = FindDialog("Account Properties");
    ASSERT_NE((HWND)NULL, hSheet);
    CDialogResponder::SetField(ActivePage(hSheet), IDC_ACCOUNT_DISPLAY_NAME, "Changed");
    CDialogResponder::Press(hSheet, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hSheet); }));
    Close(hDlg);
    EXPECT_STREQ("Alice", ReadAccount(nAlice).m_szDisplayName);
    EXPECT_TRUE(m_mainThread.Commands().empty());
}

TEST_F(DlgInternetAccountsTest, AddRunsTheWizardAndTheNewAccountBecomesTheFirstDefault)
{
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    EXPECT_TRUE(Rows(hDlg).empty());

    // Cancelled: nothing is added.
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_ADD);
    HWND hSheet = FindDialog("Internet Connection Wizard");
    ASSERT_NE((HWND)NULL, hSheet);
    ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hSheet); }));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Accounts"));

    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_ADD);
    hSheet = FindDialog("Internet Connection Wizard");
    ASSERT_NE((HWND)NULL, hSheet);
    const struct
    {
        int nID;
        const char* pszText;
    } fields[] = {{IDC_ACCOUNT_DISPLAY_NAME, "Frank"},
                  {IDC_ACCOUNT_EMAIL, "frank@example.org"},
                  {IDC_ACCOUNT_INCOMING, "pop.example.org"},
                  {IDC_ACCOUNT_USER, "frank"}};
    for (int nPage = 0; nPage < 4; nPage++)
    {
        ASSERT_TRUE(WaitFor([&] { return ActiveIndex(hSheet) == nPage; }));
        HWND hPage = ActivePage(hSheet);
        CDialogResponder::SetField(hPage, fields[nPage].nID, fields[nPage].pszText);
        if (nPage == 2)
            CDialogResponder::SetField(hPage, IDC_ACCOUNT_OUTGOING, "smtp.example.org");
        ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    }
    ASSERT_TRUE(WaitFor([&] { return ActiveIndex(hSheet) == 4; }));
    ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hSheet); }));
    ASSERT_TRUE(WaitForRows(hDlg, 1));
    EXPECT_EQ((std::vector<std::string>{"Frank", "Mail(default)", "frank@example.org", "yes"}),
              Rows(hDlg)[0]);
    EXPECT_EQ((std::vector<std::string>{"33041 Frank"}), m_pOwner->Commands());
    Close(hDlg);
    EXPECT_EQ(6, Query("SELECT Flags FROM Accounts WHERE DisplayName = 'Frank'"));
    EXPECT_EQ(5, Query("SELECT RemoveAfter FROM Accounts WHERE DisplayName = 'Frank'"));
    EXPECT_EQ(Query("SELECT ID FROM Accounts WHERE DisplayName = 'Frank'"), DefaultAccount());
}

TEST_F(DlgInternetAccountsTest, LocationOpensTheOptionsSheetOnItsAccountsPage)
{
    auto pfnOld = COptionsSheetCall::Run;
    COptionsSheetCall::Run = RecordSheetCall;
    s_nSheetPage = -1;
    s_nSheetAnswer = 1;
    HWND hDlg = OpenAccountsDialog();
    ASSERT_NE((HWND)NULL, hDlg);
    // The sheet may have moved the accounts to another file: the list is read again after OK.
    AddAccount("Grace");
    CDialogResponder::Press(hDlg, IDC_ACCOUNTS_LOCATION);
    EXPECT_TRUE(WaitForRows(hDlg, 1));
    EXPECT_EQ(3, s_nSheetPage);
    EXPECT_EQ(m_pOwner->m_hWnd, s_hSheetOwner);
    Close(hDlg);
    COptionsSheetCall::Run = pfnOld;
}

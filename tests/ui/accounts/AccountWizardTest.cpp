// The account sheet as a user drives it: the wizard's pages and buttons, the field limits, the log-on and
// outgoing-server choices, the Advanced page and every flag bit, read back from the record.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "AccountsFixture.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "resources/resource.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/options/AccountCommands.h"
#include "ui/options/AccountWizard.h"

namespace
{
class AccountWizardTest : public ::testing::Test, public CAccountsFixture
{
protected:
    // Waits until the sheet shows the page of that index and returns the page.
    HWND WaitForPage(HWND hSheet, int nIndex)
    {
        WaitFor([&] { return ActiveIndex(hSheet) == nIndex && ::IsWindowVisible(ActivePage(hSheet)); });
        return ActivePage(hSheet);
    }
    static void PressSheet(HWND hSheet, int nButton) { ::PostMessageA(hSheet, PSM_PRESSBUTTON, nButton, 0); }
    static bool Checked(HWND hPage, int nID) { return ::IsDlgButtonChecked(hPage, nID) == BST_CHECKED; }
    static bool ReadOnly(HWND hPage, int nID)
    {
        return (::GetWindowLongA(::GetDlgItem(hPage, nID), GWL_STYLE) & ES_READONLY) != 0;
    }
    static bool Enabled(HWND hPage, int nID) { return ::IsWindowEnabled(::GetDlgItem(hPage, nID)) != FALSE; }
    static bool Shown(HWND hPage, int nID) { return ::IsWindowVisible(::GetDlgItem(hPage, nID)) != FALSE; }
    // Clicks a check box or radio button as the mouse would: its state flips and its page hears of it.
    static void Click(HWND hPage, int nID)
    {
        ::SendMessageA(::GetDlgItem(hPage, nID), BM_CLICK, 0, 0);
    }

    // Fills the four pages of the wizard with a working POP3 account and stops on the last page.
    void FillWizard(HWND hSheet)
    {
        HWND hPage = WaitForPage(hSheet, 0);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_DISPLAY_NAME, "Ann Reader");
        PressSheet(hSheet, PSBTN_NEXT);
        hPage = WaitForPage(hSheet, 1);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_EMAIL, "ann@example.org");
        PressSheet(hSheet, PSBTN_NEXT);
        hPage = WaitForPage(hSheet, 2);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_INCOMING, "pop.example.org");
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_OUTGOING, "smtp.example.org");
        PressSheet(hSheet, PSBTN_NEXT);
        hPage = WaitForPage(hSheet, 3);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_USER, "ann");
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_PASSWORD, "ann-secret");
        PressSheet(hSheet, PSBTN_NEXT);
        WaitForPage(hSheet, 4);
    }
};
} // namespace

TEST_F(AccountWizardTest, WizardPagesShowTheirTitleAndButtonsAndFinishStoresTheAccount)
{
    CAccountsRecord record = NewRecord();
    HWND hSheet = OpenSheet(record, CAccountWizard::MODE_WIZARD);
    ASSERT_NE((HWND)NULL, hSheet);

    struct Page
    {
        const char* pszTitle;
        bool bBack;
        bool bNext;
        bool bFinish;
        const char* pszScreenshot;
    };
    const Page pages[] = {
        {"Your Name", false, true, false, "account-wizard-name"},
        {"Internet E-mail Address", true, true, false, "account-wizard-address"},
        {"E-mail Server Name", true, true, false, "account-wizard-servers"},
        {"Internet Mail Logon", true, true, false, "account-wizard-logon"},
        {"Congratulations", true, false, true, "account-wizard-finish"},
    };
    for (int i = 0; i < 5; i++)
    {
        const Page& page = pages[i];
        HWND hPage = WaitForPage(hSheet, i);
        EXPECT_TRUE(WaitFor([&] { return TitleStripText(hSheet) == page.pszTitle; }))
            << TitleStripText(hSheet);
        EXPECT_TRUE(WaitFor([&] {
            return ButtonShown(hSheet, SheetButton::kBack) == page.bBack &&
                   ButtonShown(hSheet, SheetButton::kNext) == page.bNext &&
                   ButtonShown(hSheet, SheetButton::kFinish) == page.bFinish;
        })) << page.pszTitle;
        if (i == 2)
        {
            // A new account chooses its server type.
            EXPECT_TRUE(Enabled(hPage, IDC_ACCOUNT_SERVER_TYPE));
            EXPECT_EQ("POP3", WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_SERVER_TYPE)));
        }
        Screenshot(hSheet, page.pszScreenshot);
        if (i < 4)
            PressSheet(hSheet, PSBTN_NEXT);
    }
    // Back and forth keeps what was typed.
    PressSheet(hSheet, PSBTN_BACK);
    WaitForPage(hSheet, 3);
    PressSheet(hSheet, PSBTN_BACK);
    WaitForPage(hSheet, 2);
    PressSheet(hSheet, PSBTN_BACK);
    WaitForPage(hSheet, 1);
    PressSheet(hSheet, PSBTN_BACK);
    WaitForPage(hSheet, 0);
    FillWizard(hSheet);
    HWND hLogon = (HWND)::SendMessageA(hSheet, PSM_INDEXTOHWND, 3, 0);
    Click(hLogon, IDC_ACCOUNT_AUTHENTICATION);
    PressSheet(hSheet, PSBTN_FINISH);
    ASSERT_TRUE(WaitForClosed());

    EXPECT_EQ(1, m_nResult);
    EXPECT_STREQ("Ann Reader", record.m_szDisplayName);
    EXPECT_STREQ("ann@example.org", record.m_szEmailAddress);
    EXPECT_STREQ("pop.example.org", record.m_szPOP3);
    EXPECT_STREQ("smtp.example.org", record.m_szSMTP);
    EXPECT_STREQ("ann", record.m_szAccountName);
    EXPECT_EQ(INCOMING_SERVER_POP3, record.m_IncomingServerType);
    EXPECT_EQ(0x1 | 0x2 | 0x4, record.m_Flags);
    EXPECT_EQ(5, record.m_RemoveAfter);
    EXPECT_EQ('\0', record.m_szPass[0]);
    EXPECT_STREQ("ann-secret", record.GetPassword());
}

TEST_F(AccountWizardTest, CancelledWizardReportsNothingFinished)
{
    CAccountsRecord record = NewRecord();
    HWND hSheet = OpenSheet(record, CAccountWizard::MODE_WIZARD);
    ASSERT_NE((HWND)NULL, hSheet);
    WaitForPage(hSheet, 0);
    PressSheet(hSheet, PSBTN_CANCEL);
    ASSERT_TRUE(WaitForClosed());
    EXPECT_EQ(0, m_nResult);
}

// The columns hold 99 characters; the field reader refuses what would be cut, and an empty required field,
// and Finish then shows the page that holds it.
TEST_F(AccountWizardTest, FinishRefusesTooLongAndEmptyFieldsOnTheirPage)
{
    const std::string str99(99, 'n');
    const std::string str100(100, 'n');
    struct Case
    {
        int nPage;
        int nField;
        std::string strValue;
        const char* pszMessage; // NULL: accepted
    };
    const Case cases[] = {
        {0, IDC_ACCOUNT_DISPLAY_NAME, str100, "Field\n&Display name:\ntoo large. Maximum char count: 99"},
        {0, IDC_ACCOUNT_DISPLAY_NAME, "", "Field\n&Display name:\nis empty."},
        {1, IDC_ACCOUNT_EMAIL, str100, "Field\n&E-mail address:\ntoo large. Maximum char count: 99"},
        {1, IDC_ACCOUNT_EMAIL, "", "Field\n&E-mail address:\nis empty."},
        {2, IDC_ACCOUNT_INCOMING, "", "Field\n&Incoming mail (POP3 or IMAP) server:\nis empty."},
        {2, IDC_ACCOUNT_OUTGOING, str100,
         "Field\n&Outgoing mail (SMTP) server:\ntoo large. Maximum char count: 99"},
        {3, IDC_ACCOUNT_USER, "", "Field\nAccount &name:\nis empty."},
        {3, IDC_ACCOUNT_PASSWORD, str100, "Field\n&Password:\ntoo large. Maximum char count: 99"},
        {0, IDC_ACCOUNT_DISPLAY_NAME, str99, NULL},
    };
    for (const Case& c : cases)
    {
        CAccountsRecord record = NewRecord();
        HWND hSheet = OpenSheet(record, CAccountWizard::MODE_WIZARD);
        ASSERT_NE((HWND)NULL, hSheet);
        FillWizard(hSheet);
        HWND hPage = (HWND)::SendMessageA(hSheet, PSM_INDEXTOHWND, c.nPage, 0);
        CDialogResponder::SetField(hPage, c.nField, c.strValue.c_str());
        PressSheet(hSheet, PSBTN_FINISH);
        if (c.pszMessage == NULL)
        {
            ASSERT_TRUE(WaitForClosed());
            EXPECT_EQ(1, m_nResult);
            EXPECT_EQ(str99, record.m_szDisplayName);
            continue;
        }
        EXPECT_EQ(c.pszMessage, AnswerBox(IDOK));
        EXPECT_EQ(c.nPage, WaitForPage(hSheet, c.nPage) != NULL ? ActiveIndex(hSheet) : -1) << c.pszMessage;
        PressSheet(hSheet, PSBTN_CANCEL);
        ASSERT_TRUE(WaitForClosed());
        EXPECT_EQ(0, m_nResult) << c.pszMessage;
    }
}

// Clearing "Remember password" makes the edit read-only and takes the stored password away; the Settings
// button follows the authentication box.
TEST_F(AccountWizardTest, LogonPageFollowsItsBoxesAndForgetsAPasswordNotRemembered)
{
    LONG nID = AddAccount("Bob", INCOMING_SERVER_POP3, 6, "bob-secret");
    CAccountsRecord record = ReadAccount(nID);
    ASSERT_STREQ("bob-secret", record.GetPassword());
    HWND hSheet = OpenSheet(record, CAccountWizard::MODE_PROPERTIES);
    ASSERT_NE((HWND)NULL, hSheet);
    WaitForPage(hSheet, 0);
    const char* const shots[] = {"account-properties-address", "account-properties-servers"};
    for (int i = 1; i <= 2; i++)
    {
        ::PostMessageA(hSheet, PSM_SETCURSEL, i, 0);
        WaitForPage(hSheet, i);
        Screenshot(hSheet, shots[i - 1]);
    }
    ::PostMessageA(hSheet, PSM_SETCURSEL, 3, 0);
    HWND hPage = WaitForPage(hSheet, 3);
    EXPECT_EQ("bob-secret", WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_PASSWORD)));
    EXPECT_FALSE(ReadOnly(hPage, IDC_ACCOUNT_PASSWORD));
    EXPECT_FALSE(Enabled(hPage, IDC_ACCOUNT_SETTINGS));
    Screenshot(hSheet, "account-properties-logon");

    Click(hPage, IDC_ACCOUNT_AUTHENTICATION);
    EXPECT_TRUE(Enabled(hPage, IDC_ACCOUNT_SETTINGS));
    Click(hPage, IDC_ACCOUNT_AUTHENTICATION);
    EXPECT_FALSE(Enabled(hPage, IDC_ACCOUNT_SETTINGS));
    Click(hPage, IDC_ACCOUNT_REMEMBER);
    EXPECT_TRUE(ReadOnly(hPage, IDC_ACCOUNT_PASSWORD));

    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitForClosed());
    EXPECT_EQ(1, m_nResult);
    EXPECT_EQ(0, record.m_Flags & 0x2);
    EXPECT_STREQ("", record.GetPassword());
    EXPECT_EQ(std::vector<BYTE>(512, 0), std::vector<BYTE>(record.m_PassCrypto, record.m_PassCrypto + 512));
}

TEST_F(AccountWizardTest, OutgoingServerDialogSetsItsOwnLogonAndRequiresItsUser)
{
    CAccountsRecord record = NewRecord();
    record.m_Flags |= 0x1;
    HWND hSheet = OpenSheet(record, CAccountWizard::MODE_PROPERTIES);
    ASSERT_NE((HWND)NULL, hSheet);
    ::PostMessageA(hSheet, PSM_SETCURSEL, 3, 0);
    HWND hPage = WaitForPage(hSheet, 3);
    ASSERT_TRUE(Enabled(hPage, IDC_ACCOUNT_SETTINGS));

    struct Step
    {
        bool bOwnLogon;
        const char* pszUser;
        const char* pszPassword;
        int nButton;
        const char* pszRefusal; // NULL: the dialog closes
        LONG nFlag200;
        const char* pszStoredUser;
    };
    const Step steps[] = {
        {true, "smtp-user", "smtp-pass", IDCANCEL, NULL, 0, ""},
        {true, "", "smtp-pass", IDOK, "Field\nAccount &name:\nis empty.", 0, ""},
        {true, "smtp-user", "", IDOK, NULL, 0x200, "smtp-user"},
        {false, "ignored", "ignored", IDOK, NULL, 0, "smtp-user"},
    };
    for (const Step& step : steps)
    {
        CDialogResponder::Press(hPage, IDC_ACCOUNT_SETTINGS);
        HWND hDlg = FindDialog("Outgouing Mail Server");
        ASSERT_NE((HWND)NULL, hDlg);
        // Both edits follow the choice.
        EXPECT_EQ(!(record.m_Flags & 0x200), ReadOnly(hDlg, IDC_ACCOUNT_USER));
        if (&step == &steps[2])
            Screenshot(hDlg, "account-outgoing-server");
        Click(hDlg, step.bOwnLogon ? IDC_OUTGOING_LOG_ON : IDC_OUTGOING_SAME);
        EXPECT_EQ(!step.bOwnLogon, ReadOnly(hDlg, IDC_ACCOUNT_PASSWORD));
        CDialogResponder::SetField(hDlg, IDC_ACCOUNT_USER, step.pszUser);
        CDialogResponder::SetField(hDlg, IDC_ACCOUNT_PASSWORD, step.pszPassword);
        CDialogResponder::Press(hDlg, step.nButton);
        if (step.pszRefusal != NULL)
        {
            EXPECT_EQ(step.pszRefusal, AnswerBox(IDOK));
            EXPECT_TRUE(::IsWindow(hDlg));
            CDialogResponder::Press(hDlg, IDCANCEL);
        }
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hDlg); }));
        EXPECT_EQ(step.nFlag200, record.m_Flags & 0x200) << step.pszUser;
        EXPECT_STREQ(step.pszStoredUser, record.m_szSMTPAccountName) << step.pszUser;
    }
    EXPECT_STREQ("", record.m_szSMTPPass);
    CDialogResponder::Press(hSheet, IDCANCEL);
    ASSERT_TRUE(WaitForClosed());
}

TEST_F(AccountWizardTest, AdvancedPageShowsDefaultPortsAndDeliveryForPop3Only)
{
    struct Case
    {
        BYTE nType;
        LONG nSmtpPort;
        LONG nIncomingPort;
        const char* pszSmtpShown;
        const char* pszIncomingShown;
        bool bDelivery;
        const char* pszScreenshot;
    };
    const Case cases[] = {
        {INCOMING_SERVER_POP3, 0, 0, "25", "110", true, "account-properties-advanced-pop3"},
        {INCOMING_SERVER_IMAP, 0, 0, "25", "143", false, "account-properties-advanced-imap"},
        {INCOMING_SERVER_POP3, 2525, 1110, "2525", "1110", true, NULL},
    };
    for (const Case& c : cases)
    {
        CAccountsRecord record = NewRecord();
        lstrcpyA(record.m_szDisplayName, "Carol");
        record.m_IncomingServerType = c.nType;
        record.m_SMTPPort = c.nSmtpPort;
        record.m_IncomingPort = c.nIncomingPort;
        HWND hSheet = OpenSheet(record, CAccountWizard::MODE_PROPERTIES);
        ASSERT_NE((HWND)NULL, hSheet);
        ::PostMessageA(hSheet, PSM_SETCURSEL, 4, 0);
        HWND hPage = WaitForPage(hSheet, 4);
        EXPECT_EQ(c.pszSmtpShown, WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_SMTP_PORT)));
        EXPECT_EQ(c.pszIncomingShown, WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_INCOMING_PORT)));
        for (int nID : {IDC_ACCOUNT_DELIVERY_GROUP, IDC_ACCOUNT_LEAVE_COPY, IDC_ACCOUNT_REMOVE_AFTER,
                        IDC_ACCOUNT_REMOVE_DAYS, IDC_ACCOUNT_REMOVE_DELETED})
            EXPECT_EQ(c.bDelivery, Shown(hPage, nID)) << nID;
        // Server type is fixed once an account exists.
        HWND hServers = (HWND)::SendMessageA(hSheet, PSM_INDEXTOHWND, 2, 0);
        if (hServers != NULL)
            EXPECT_FALSE(Enabled(hServers, IDC_ACCOUNT_SERVER_TYPE));
        if (c.pszScreenshot != NULL)
            Screenshot(hSheet, c.pszScreenshot);

        CDialogResponder::SetField(hPage, IDC_ACCOUNT_SMTP_PORT, "1");
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_INCOMING_PORT, "2");
        CDialogResponder::Press(hPage, IDC_ACCOUNT_USE_DEFAULTS);
        EXPECT_TRUE(WaitFor([&] { return WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_SMTP_PORT)) == "25"; }));
        EXPECT_EQ(c.nType == INCOMING_SERVER_IMAP ? "143" : "110",
                  WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_INCOMING_PORT)));
        CDialogResponder::Press(hSheet, IDCANCEL);
        ASSERT_TRUE(WaitForClosed());
        EXPECT_EQ(c.nSmtpPort, record.m_SMTPPort);
    }
}

// What the columns would wrap or cut is refused with its range instead of being stored changed.
TEST_F(AccountWizardTest, AdvancedPageRefusesNumbersTheColumnsCannotHold)
{
    struct Case
    {
        const char* pszSmtpPort;
        const char* pszIncomingPort;
        const char* pszDays;
        const char* pszRefusal; // NULL: stored
    };
    const Case cases[] = {
        {"65536", "110", "5", "Please enter a port number between 0 and 65535."},
        {"25", "4294967296", "5", "Please enter a port number between 0 and 65535."},
        {"25", "", "5", "Please enter a port number between 0 and 65535."},
        {"25", "110", "300", "Please enter a number of days between 1 and 100."},
        {"25", "110", "0", "Please enter a number of days between 1 and 100."},
        {"65535", "995", "100", NULL},
    };
    for (const Case& c : cases)
    {
        CAccountsRecord record = NewRecord();
        lstrcpyA(record.m_szDisplayName, "Dan");
        lstrcpyA(record.m_szEmailAddress, "dan@example.org");
        lstrcpyA(record.m_szPOP3, "pop");
        lstrcpyA(record.m_szSMTP, "smtp");
        lstrcpyA(record.m_szAccountName, "dan");
        record.m_Flags |= 0x8 | 0x40;
        HWND hSheet = OpenSheet(record, CAccountWizard::MODE_PROPERTIES);
        ASSERT_NE((HWND)NULL, hSheet);
        ::PostMessageA(hSheet, PSM_SETCURSEL, 4, 0);
        HWND hPage = WaitForPage(hSheet, 4);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_SMTP_PORT, c.pszSmtpPort);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_INCOMING_PORT, c.pszIncomingPort);
        CDialogResponder::SetField(hPage, IDC_ACCOUNT_REMOVE_DAYS, c.pszDays);
        // The refused page is shown again from any other.
        ::PostMessageA(hSheet, PSM_SETCURSEL, 0, 0);
        WaitForPage(hSheet, 0);
        CDialogResponder::Press(hSheet, IDOK);
        if (c.pszRefusal == NULL)
        {
            ASSERT_TRUE(WaitForClosed());
            EXPECT_EQ(1, m_nResult);
            EXPECT_EQ(65535, record.m_SMTPPort);
            EXPECT_EQ(995, record.m_IncomingPort);
            EXPECT_EQ(100, record.m_RemoveAfter);
            continue;
        }
        EXPECT_EQ(c.pszRefusal, AnswerBox(IDOK));
        EXPECT_EQ(4, WaitForPage(hSheet, 4) != NULL ? ActiveIndex(hSheet) : -1);
        CDialogResponder::Press(hSheet, IDCANCEL);
        ASSERT_TRUE(WaitForClosed());
        EXPECT_EQ(0, m_nResult);
        EXPECT_EQ(0, record.m_SMTPPort) << c.pszRefusal;
        EXPECT_EQ(5, record.m_RemoveAfter) << c.pszRefusal;
    }
}

// Each check box stores its own bit and leaves the bits it does not show alone.
TEST_F(AccountWizardTest, EveryFlagBitIsStoredByItsBox)
{
    struct Box
    {
        int nPage;
        int nID;
        LONG nBit;
    };
    const Box boxes[] = {
        {0, IDC_ACCOUNT_INCLUDE, 0x4},        {3, IDC_ACCOUNT_REMEMBER, 0x2},
        {3, IDC_ACCOUNT_AUTHENTICATION, 0x1}, {4, IDC_ACCOUNT_LEAVE_COPY, 0x8},
        {4, IDC_ACCOUNT_REMOVE_DELETED, 0x10}, {4, IDC_ACCOUNT_REMOVE_AFTER, 0x40},
    };
    for (LONG nStart : {0x100L | 0x200L, 0x100L | 0x200L | 0x5FL})
    {
        for (const Box& box : boxes)
        {
            CAccountsRecord record = NewRecord();
            lstrcpyA(record.m_szDisplayName, "Eve");
            lstrcpyA(record.m_szEmailAddress, "eve@example.org");
            lstrcpyA(record.m_szPOP3, "pop");
            lstrcpyA(record.m_szSMTP, "smtp");
            lstrcpyA(record.m_szAccountName, "eve");
            record.m_Flags = nStart;
            HWND hSheet = OpenSheet(record, CAccountWizard::MODE_PROPERTIES);
            ASSERT_NE((HWND)NULL, hSheet);
            ::PostMessageA(hSheet, PSM_SETCURSEL, box.nPage, 0);
            HWND hPage = WaitForPage(hSheet, box.nPage);
            // The dependent boxes are enabled with "Leave a copy"; a click works on an enabled box only.
            if (box.nPage == 4 && box.nID != IDC_ACCOUNT_LEAVE_COPY &&
                !Checked(hPage, IDC_ACCOUNT_LEAVE_COPY))
            {
                EXPECT_FALSE(Enabled(hPage, box.nID));
                Click(hPage, IDC_ACCOUNT_LEAVE_COPY);
                EXPECT_TRUE(Enabled(hPage, box.nID));
            }
            Click(hPage, box.nID);
            CDialogResponder::Press(hSheet, IDOK);
            ASSERT_TRUE(WaitForClosed());
            ASSERT_EQ(1, m_nResult);
            EXPECT_EQ((nStart & box.nBit) ^ box.nBit, record.m_Flags & box.nBit) << box.nID;
            EXPECT_EQ(0x300, record.m_Flags & 0x300) << box.nID;
        }
    }
}

// A new message with no account to send from offers the wizard; cancelling it leaves no account, finishing it
// adds one; with an account there is nothing to offer.
TEST_F(AccountWizardTest, ComposeOffersTheWizardOnlyWhileThereIsNoAccount)
{
    InstallAccountDialogs();
    CSession* pSession = &m_pDatabase->m_Local.m_session;
    auto runCompose = [&] {
        m_ui.Run([this, pSession] { m_nResult = AddAccountWithWizard(pSession, NULL); });
    };

    runCompose();
    HWND hSheet = FindDialog("Internet Connection Wizard");
    ASSERT_NE((HWND)NULL, hSheet);
    PressSheet(hSheet, PSBTN_CANCEL);
    ASSERT_TRUE(WaitForClosed());
    EXPECT_EQ(FALSE, m_nResult);
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Accounts"));

    runCompose();
    hSheet = FindDialog("Internet Connection Wizard");
    ASSERT_NE((HWND)NULL, hSheet);
    FillWizard(hSheet);
    PressSheet(hSheet, PSBTN_FINISH);
    ASSERT_TRUE(WaitForClosed());
    EXPECT_NE(FALSE, m_nResult);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Accounts WHERE DisplayName = 'Ann Reader' AND Flags = 6 AND "
                       "RemoveAfter = 5 AND Pass = ''"));

    runCompose();
    ASSERT_TRUE(WaitForClosed());
    EXPECT_NE(FALSE, m_nResult);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Accounts"));
}

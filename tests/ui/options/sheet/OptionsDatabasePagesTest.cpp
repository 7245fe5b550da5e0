// The pages that switch databases and write tables: Local Database, Contacts, Accounts and Signatures.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <gtest/gtest.h>

#include "OptionsSheetFixture.h"
#include "app/ManagerCommands.h"
#include "app/ThreadManager.h"
#include "resources/resource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/WindowReaders.h"
#include "foundation/DlgFields.h"
#include "ui/compose/SignaturesTable.h"
#include "ui/options/OptionsStandIns.h"

namespace
{
const char kNoAccounts[] = "No accounts. Do you want to add the new account?";

class OptionsDatabasePagesTest : public ::testing::Test
{
protected:
    bool OkCloses()
    {
        m_store.PressOk();
        return m_store.m_pSheetThread->WaitForExit() && m_store.Result() == 1;
    }
    // A file that no database layer can open.
    CString BrokenFile()
    {
        CString strPath = m_store.m_folder.Path("broken.mdb");
        HANDLE hFile = ::CreateFileA(strPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        const char szText[] = "This is a text file, not a database; it only ends in .mdb.\r\n";
        DWORD dwWritten = 0;
        ::WriteFile(hFile, szText, sizeof(szText) - 1, &dwWritten, NULL);
        ::CloseHandle(hFile);
        return strPath;
    }
    bool Enabled(HWND hWndPage, int nID) { return ::IsWindowEnabled(::GetDlgItem(hWndPage, nID)) != FALSE; }

    COptionsSheetFixture m_store;
};

CSession* s_pOptionsSession = NULL;
INT_PTR AccountsDialogAddingAnOptionsRow(HWND, HWND)
{
    Execute(*s_pOptionsSession, "INSERT INTO Options (UserID, DefaultAccountID, Flags) VALUES (1, NULL, 1)");
    return IDOK;
}
} // namespace

TEST_F(OptionsDatabasePagesTest, AnUnchangedLocalDatabaseIsLeftOpen)
{
    ASSERT_NE((HWND)NULL, m_store.Open());
    m_store.ShowPage(1);
    ASSERT_TRUE(OkCloses());
    EXPECT_TRUE(m_store.m_pOwner->Commands().empty());
    EXPECT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
}

TEST_F(OptionsDatabasePagesTest, TheLocalDatabaseIsNotSwitchedDuringARunOrWhileOtherWindowsAreOpen)
{
    CString strOther = m_store.m_folder.Path("email2.mdb");
    ASSERT_TRUE(CreateDatabaseFile(strOther));
    ASSERT_NE((HWND)NULL, m_store.Open());
    HWND hWndPage = m_store.ShowPage(1);
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, strOther);

    ::ResetEvent(m_store.m_pOwner->m_hRunState);
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(1));
    EXPECT_EQ("Stop sending/receiving of messages before changing of the Local Database please.",
              m_store.Boxes().back());
    EXPECT_TRUE(m_store.m_mainThread.WaitForCommand(ID_SEND_RECEIVE));
    ::SetEvent(m_store.m_pOwner->m_hRunState);

    g_nThreadCount = 2;
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(1));
    EXPECT_EQ("Close all New Message windows, Message windows, Address Book window, Find Message window before "
              "changing of the Local Database please.",
              m_store.Boxes().back());
    g_nThreadCount = 1;
    ASSERT_TRUE(m_store.Cancel());
    EXPECT_TRUE(m_store.m_pOwner->Commands().empty());
    EXPECT_EQ(std::string(m_store.m_folder.Path("email.mdb")),
              std::string(m_store.m_pDatabase->m_Local.m_strDataSource));
}

TEST_F(OptionsDatabasePagesTest, ANewLocalDatabaseIsOpenedBetweenTheCloseAndOpenCommands)
{
    CString strOther = m_store.m_folder.Path("email2.mdb");
    ASSERT_TRUE(CreateDatabaseFile(strOther));
    ASSERT_NE((HWND)NULL, m_store.Open());
    m_store.Type(m_store.ShowPage(1), IDC_OPTIONS_LOCATION, strOther);
    ASSERT_TRUE(OkCloses());
    EXPECT_EQ((std::vector<WORD>{(WORD)ID_CLOSE_LOCAL_DATABASE, (WORD)ID_OPEN_LOCAL_DATABASE}),
              m_store.m_pOwner->Commands());
    EXPECT_EQ(std::string(strOther), m_store.StoredText("Local Database File Name"));
    EXPECT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
    // The new file got the folders.
    EXPECT_GT(QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders"), 0);
}

TEST_F(OptionsDatabasePagesTest, ALocalDatabaseThatDoesNotOpenBringsBackThePreviousOne)
{
    CString strOld = m_store.m_folder.Path("email.mdb");
    LONG nFolders = QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders");
    CString strBroken = BrokenFile();
    ASSERT_NE((HWND)NULL, m_store.Open());
    m_store.Type(m_store.ShowPage(1), IDC_OPTIONS_LOCATION, strBroken);
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(1));
    EXPECT_EQ(0u, m_store.Boxes().back().find("Open of the Local Database failed"));
    EXPECT_EQ((std::vector<WORD>{(WORD)ID_CLOSE_LOCAL_DATABASE, (WORD)ID_OPEN_LOCAL_DATABASE}),
              m_store.m_pOwner->Commands());
    ASSERT_TRUE(m_store.Cancel());
    ASSERT_TRUE(m_store.m_pDatabase->m_Local.IsOpen());
    EXPECT_EQ(std::string(strOld), std::string(m_store.m_pDatabase->m_Local.m_strDataSource));
    EXPECT_EQ(std::string(strOld), m_store.StoredText("Local Database File Name"));
    EXPECT_EQ(nFolders, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Folders"));
}

TEST_F(OptionsDatabasePagesTest, PrivateContactsCloseTheCentralDatabaseAndABadCentralFileIsRefused)
{
    ASSERT_NE((HWND)NULL, m_store.Open());
    HWND hWndPage = m_store.ShowPage(2);
    m_store.Click(hWndPage, IDC_CONTACTS_PRIVATE, true);
    EXPECT_FALSE(Enabled(hWndPage, IDC_OPTIONS_LOCATION));
    EXPECT_FALSE(Enabled(hWndPage, IDC_CONTACTS_LOG));
    m_store.Click(hWndPage, IDC_CONTACTS_ONLY_WITH_EMAIL, false);
    ASSERT_TRUE(OkCloses());
    EXPECT_FALSE(m_store.m_pDatabase->m_Orb.IsOpen());
    EXPECT_EQ(1, m_store.StoredInt("Private Contacts"));
    // The filter's box stays usable with private contacts, so what it shows is kept.
    EXPECT_EQ(0, m_store.StoredInt("Only display users with an email address"));

    CString strBroken = BrokenFile();
    ASSERT_NE((HWND)NULL, m_store.Open());
    hWndPage = m_store.ShowPage(2);
    m_store.Click(hWndPage, IDC_CONTACTS_PRIVATE, false);
    m_store.Click(hWndPage, IDC_CONTACTS_ONLY_WITH_EMAIL, true);
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, strBroken);
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(2));
    EXPECT_EQ("Open of the Contacts database failed.", m_store.Boxes().back());
    EXPECT_EQ(0, m_store.StoredInt("Only display users with an email address"));

    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, m_store.m_folder.Path("Orb.mdb"));
    ASSERT_TRUE(OkCloses());
    EXPECT_TRUE(m_store.m_pDatabase->m_Orb.IsOpen());
    EXPECT_EQ(0, m_store.StoredInt("Private Contacts"));
    EXPECT_EQ(1, m_store.StoredInt("Only display users with an email address"));
}

TEST_F(OptionsDatabasePagesTest, ABadCentralFileLeavesTheCentralDatabaseInUse)
{
    CString strOrb = m_store.m_folder.Path("Orb.mdb");
    ASSERT_NE((HWND)NULL, m_store.Open());
    HWND hWndPage = m_store.ShowPage(2);
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, BrokenFile());
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(2));
    EXPECT_EQ("Open of the Contacts database failed.", m_store.Boxes().back());
    ASSERT_TRUE(m_store.Cancel());
    EXPECT_TRUE(m_store.m_pDatabase->m_Orb.IsOpen());
    EXPECT_EQ(std::string(strOrb), std::string(m_store.m_pDatabase->m_Orb.m_strDataSource));
}

TEST_F(OptionsDatabasePagesTest, TheSeparateAccountsDatabaseIsClosedWhenOffAndOpenedFromItsFileWhenOn)
{
    CString strAccounts = m_store.m_folder.Path("Accounts.mdb");
    // A file that does not open leaves the database in use as it was.
    ASSERT_NE((HWND)NULL, m_store.Open(3));
    ASSERT_EQ(3, m_store.ActiveIndex());
    HWND hWndPage = m_store.ShowPage(3);
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, BrokenFile());
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(3));
    EXPECT_EQ("Open of the Accounts database failed.", m_store.Boxes().back());
    EXPECT_TRUE(m_store.m_pDatabase->m_Accounts.IsOpen());
    EXPECT_EQ(std::string(strAccounts), std::string(m_store.m_pDatabase->m_Accounts.m_strDataSource));

    m_store.Click(hWndPage, IDC_ACCOUNTS_SEPARATE, false);
    EXPECT_FALSE(Enabled(hWndPage, IDC_OPTIONS_BROWSE));
    ASSERT_TRUE(OkCloses());
    EXPECT_FALSE(m_store.m_pDatabase->m_Accounts.IsOpen());
    EXPECT_EQ(0, m_store.StoredInt("Accounts"));

    // Switched on with a file that does not open, it stays off: no account would be found in a closed one.
    ASSERT_NE((HWND)NULL, m_store.Open(3));
    hWndPage = m_store.ShowPage(3);
    m_store.Click(hWndPage, IDC_ACCOUNTS_SEPARATE, true);
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, BrokenFile());
    m_store.PressOk();
    ASSERT_TRUE(m_store.StaysOn(3));
    EXPECT_EQ(0, m_store.StoredInt("Accounts"));
    EXPECT_EQ(0, g_bUseMyDatabase);

    CString strOther = m_store.m_folder.Path("Accounts2.mdb");
    ASSERT_TRUE(CreateDatabaseFile(strOther));
    m_store.Type(hWndPage, IDC_OPTIONS_LOCATION, strOther);
    ASSERT_TRUE(OkCloses());
    EXPECT_TRUE(m_store.m_pDatabase->m_Accounts.IsOpen());
    EXPECT_EQ(1, m_store.StoredInt("Accounts"));
    EXPECT_EQ(std::string(strOther), m_store.StoredText("Accounts Database FileName"));
}

TEST_F(OptionsDatabasePagesTest, WithoutAnOptionsRowOnlyTheSignatureTextIsStored)
{
    ASSERT_NE((HWND)NULL, m_store.Open());
    HWND hWndPage = m_store.ShowPage(5);
    ASSERT_EQ(1u, m_store.Boxes().size());
    EXPECT_EQ(kNoAccounts, m_store.Boxes().back());
    EXPECT_FALSE(Enabled(hWndPage, IDC_SIGNATURES_ADD));
    EXPECT_FALSE(Enabled(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES));
    m_store.Type(hWndPage, IDC_SIGNATURES_TEXT, "Best regards,\r\nAnn");
    // A field of the page that complains while another page shows brings the page forward.
    HWND hWndOther = m_store.ShowPage(0);
    ::SendMessageA(m_store.m_hWndSheet, WM_COMMAND, ID_SHOW_WINDOW, (LPARAM)hWndOther);
    EXPECT_EQ(0, m_store.ActiveIndex());
    ::SendMessageA(m_store.m_hWndSheet, WM_COMMAND, ID_SHOW_WINDOW, (LPARAM)hWndPage);
    EXPECT_EQ(5, m_store.ActiveIndex());
    ASSERT_TRUE(OkCloses());
    CSignaturesTable signatures(&m_store.Local());
    EXPECT_EQ("Best regards,\r\nAnn", std::string(signatures.ReadSignature(NULL)));
}

TEST_F(OptionsDatabasePagesTest, TheSignatureBitsAndTextAreWrittenBackToTheirRows)
{
    // The accounts dialog the question opens is where the user's Options row comes from.
    CSession& options = m_store.m_pDatabase->m_Accounts.m_session;
    COptionsTable::CreateTableIfMissing(&options, NULL);
    s_pOptionsSession = &options;
    auto pfnOld = COptionsStandIns::RunAccountsDialog;
    COptionsStandIns::RunAccountsDialog = AccountsDialogAddingAnOptionsRow;
    m_store.AnswerNext(IDYES);
    ASSERT_NE((HWND)NULL, m_store.Open());
    HWND hWndPage = m_store.ShowPage(5);
    COptionsStandIns::RunAccountsDialog = pfnOld;
    EXPECT_EQ((std::vector<std::string>{kNoAccounts}), m_store.Boxes());
    EXPECT_TRUE(::IsDlgButtonChecked(hWndPage, IDC_SIGNATURES_ADD));
    EXPECT_FALSE(::IsDlgButtonChecked(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES));
    EXPECT_TRUE(Enabled(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES));
    m_store.Click(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES, true);
    m_store.Type(hWndPage, IDC_SIGNATURES_TEXT, "Best regards");
    ASSERT_TRUE(OkCloses());
    EXPECT_EQ(3, QueryLong(options, "SELECT Flags FROM Options WHERE UserID = 1"));

    // A bit outside the page's two survives; the default account stays unset.
    Execute(options, "UPDATE Options SET Flags = 7 WHERE UserID = 1");
    ASSERT_NE((HWND)NULL, m_store.Open());
    hWndPage = m_store.ShowPage(5);
    EXPECT_EQ("Best regards", CDialogResponder::ItemText(hWndPage, IDC_SIGNATURES_TEXT));
    m_store.Click(hWndPage, IDC_SIGNATURES_ADD, false);
    EXPECT_FALSE(Enabled(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES));
    m_store.Click(hWndPage, IDC_SIGNATURES_NOT_ON_REPLIES, false);
    m_store.Type(hWndPage, IDC_SIGNATURES_TEXT, "Cheers");
    ASSERT_TRUE(OkCloses());
    EXPECT_EQ(4, QueryLong(options, "SELECT Flags FROM Options WHERE UserID = 1"));
    EXPECT_EQ(1, QueryLong(options, "SELECT COUNT(*) FROM Options WHERE DefaultAccountID IS NULL"));
    EXPECT_EQ(1, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM Signatures"));
    CSignaturesTable signatures(&m_store.Local());
    EXPECT_EQ("Cheers", std::string(signatures.ReadSignature(NULL)));
}

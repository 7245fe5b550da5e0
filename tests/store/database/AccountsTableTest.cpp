// Accounts: adding, listing and deleting with encrypted passwords, the default account, the bookkeeping of
// deleted messages, the reconnect question and the IMAP root folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <memory>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "foundation/Exception.h"
#include "foundation/Registry.h"
#include "store/AccountsTable.h"
#include "store/DatabaseMy.h"
#include "store/OLEDBException.h"

namespace
{
class AccountsTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pRegistry.reset(new CRegistry("LetrovaStoreTests"));
        m_nSaved[0] = g_bUseMyDatabase;
        m_nSaved[1] = g_bConnectToOrb;
        m_nSaved[2] = g_bPrivateContacts;
        g_bUseMyDatabase = 1;
        g_bConnectToOrb = 0;
        g_bPrivateContacts = 0;
        m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
        m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
        m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        ASSERT_TRUE(m_pDatabase->m_Accounts.IsOpen());
        ASSERT_TRUE(m_pDatabase->m_Local.IsOpen());
    }
    void TearDown() override
    {
        OleDbInjectIoFaults(0);
        m_pDatabase.reset();
        g_bUseMyDatabase = m_nSaved[0];
        g_bConnectToOrb = m_nSaved[1];
        g_bPrivateContacts = m_nSaved[2];
    }

    CSession* LocalSession() { return &m_pDatabase->m_Local.m_session; }
    CSession* AccountsSession() { return &m_pDatabase->m_Accounts.m_session; }

    LONG Add(const char* pszName, const char* pszPassword, BYTE nType = INCOMING_SERVER_POP3)
    {
        bool bAdded =
            AddAccount(NULL, LocalSession(),
                       [&](CAccountsRecord& record)
                       {
                           lstrcpyA(record.m_szDisplayName, pszName);
                           lstrcpynA(record.m_szEmailAddress, (std::string(pszName) + "@example.org").c_str(),
                                     sizeof(record.m_szEmailAddress));
                           lstrcpyA(record.m_szPOP3, "pop.example.org");
                           lstrcpyA(record.m_szSMTP, "smtp.example.org");
                           lstrcpyA(record.m_szAccountName, pszName);
                           record.m_IncomingServerType = nType;
                           record.SetPassword(pszPassword);
                           return 1;
                       });
        EXPECT_TRUE(bAdded) << pszName;
        CString strSQL;
        strSQL.Format("SELECT ID FROM Accounts WHERE DisplayName = '%s'", pszName);
        return QueryLong(*AccountsSession(), strSQL);
    }

    // Display names with their passwords, in table order.
    std::vector<std::string> List()
    {
        std::vector<std::string> accounts;
        CAccountsTable table(LocalSession(), NULL);
        table.Open(NULL);
        while (table.MoveNext() == S_OK)
            accounts.push_back(std::string(table.m_szDisplayName) + ":" + (const char*)table.GetPassword());
        return accounts;
    }

    HRESULT Delete(LONG nID)
    {
        CAccountsTable table(LocalSession(), &m_pDatabase->m_Local.m_Options);
        table.m_ID = nID;
        table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        EXPECT_EQ(S_OK, table.MoveFirst());
        return table.DeleteAccount(NULL);
    }

    CScratchFolder m_folder{"accounts"};
    CScriptedUser m_user;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    int m_nSaved[3];
};
} // namespace

TEST_F(AccountsTableTest, AccountsAreAddedListedAndDeletedWithTheirEncryptedPasswords)
{
    LONG nAlice = Add("Alice", "alice-secret");
    Add("Bob", "bob-secret");
    EXPECT_FALSE(
        AddAccount(NULL, LocalSession(), [](CAccountsRecord&) { return 2; })); // the wizard was cancelled

    EXPECT_EQ((std::vector<std::string>{"Alice:alice-secret", "Bob:bob-secret"}), List());
    EXPECT_EQ(0, QueryLong(*AccountsSession(), "SELECT COUNT(*) FROM Accounts WHERE Pass <> ''"));
    EXPECT_EQ(6, QueryLong(*AccountsSession(), "SELECT Flags FROM Accounts WHERE DisplayName = 'Alice'"));
    EXPECT_EQ(5,
              QueryLong(*AccountsSession(), "SELECT RemoveAfter FROM Accounts WHERE DisplayName = 'Alice'"));
    // The accounts have their own file: the local one holds none.
    EXPECT_FALSE(TableExists(LocalSession(), "Accounts"));

    EXPECT_EQ(S_OK, Delete(nAlice));
    EXPECT_EQ((std::vector<std::string>{"Bob:bob-secret"}), List());
}

TEST_F(AccountsTableTest, GetPasswordTakesThePlainColumnOnlyWithoutAnEncryptedBlock)
{
    CAccountsRecord record;
    lstrcpyA(record.m_szPass, "plain");
    EXPECT_STREQ("plain", record.GetPassword());
    record.SetPassword("encrypted");
    EXPECT_STREQ("encrypted", record.GetPassword());
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(AccountsTableTest, DeletingTheDefaultAccountMovesTheUsersOffIt)
{
    LONG nAlice = Add("Alice", "a");
    LONG nBob = Add("Bob", "b");
    COptionsTable& options = m_pDatabase->m_Local.m_Options;
    options.SetDefaultAccountID(NULL, nAlice);
    EXPECT_EQ(nAlice, QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));

    EXPECT_EQ(S_OK, Delete(nAlice));
    EXPECT_EQ(nBob, QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));

    EXPECT_EQ(S_OK, Delete(nBob));
    EXPECT_EQ(1,
              QueryLong(*AccountsSession(), "SELECT COUNT(*) FROM Options WHERE DefaultAccountID IS NULL"));
}

// Readers of the default account preset -1 and take "still -1" as no default, then make the account they
// look at the default: the record must neither zero the preset nor write NULL back afterwards.
TEST_F(AccountsTableTest, ANullDefaultKeepsThePresetAndTheNextAccountBecomesTheDefault)
{
    COptionsTable& options = m_pDatabase->m_Local.m_Options;
    auto readDefault = [&]()
    {
        options.m_DefaultAccountID = -1;
        options.Open(NULL);
        EXPECT_EQ(S_OK, options.MoveFirst());
        return options.m_DefaultAccountID;
    };
    // What a reader does when the user has no default: the account at hand becomes it.
    auto takeDefault = [&](LONG nAccountID)
    {
        if (readDefault() != -1)
            return;
        options.m_DefaultAccountID = nAccountID;
        ASSERT_EQ(S_OK, options.SetData());
    };

    LONG nAlice = Add("Alice", "a");
    options.SetDefaultAccountID(NULL, nAlice);
    EXPECT_EQ(nAlice, readDefault());
    EXPECT_EQ(DBSTATUS_S_OK, options.m_DefaultAccountIDStatus);
    ASSERT_TRUE(Execute(*AccountsSession(), "UPDATE Options SET DefaultAccountID = NULL WHERE UserID = 1"));
    EXPECT_EQ(-1, readDefault());
    EXPECT_EQ(DBSTATUS_S_ISNULL, options.m_DefaultAccountIDStatus);
    takeDefault(nAlice);
    EXPECT_EQ(nAlice, QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));

    // Deleting the only account leaves no default; the next account added becomes it.
    EXPECT_EQ(S_OK, Delete(nAlice));
    EXPECT_EQ(-1, readDefault());
    LONG nBob = Add("Bob", "b");
    takeDefault(nBob);
    EXPECT_EQ(nBob, QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));
    EXPECT_EQ(nBob, readDefault());
}

TEST_F(AccountsTableTest, NoOptionsRowNamesAnAccountThatDoesNotExist)
{
    LONG nAlice = Add("Alice", "a");
    COptionsTable& options = m_pDatabase->m_Local.m_Options;
    options.SetDefaultAccountID(NULL, nAlice);
    try
    {
        options.SetDefaultAccountID(NULL, nAlice + 100);
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ("ERROR: The default account does not exist.", pszText);
    }
    EXPECT_EQ(nAlice, QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));
}

TEST_F(AccountsTableTest, DeleteAccountCleansTheBookkeepingInTheLocalDatabase)
{
    LONG nAlice = Add("Alice", "a");
    LONG nBob = Add("Bob", "b");
    ASSERT_TRUE(Execute(*LocalSession(),
                        "CREATE TABLE DeletedMessages(UniqueID TEXT(255) NOT NULL, AccountID "
                        "INTEGER NOT NULL, DateOfDeleting DATETIME)"));
    CString strSQL;
    strSQL.Format(
        "INSERT INTO DeletedMessages (UniqueID, AccountID) VALUES ('u1', %ld), ('u2', %ld), ('u3', %ld)",
        (long)nAlice, (long)nAlice, (long)nBob);
    ASSERT_TRUE(Execute(*LocalSession(), strSQL));

    EXPECT_EQ(S_OK, Delete(nAlice));
    EXPECT_EQ(1, QueryLong(*LocalSession(), "SELECT COUNT(*) FROM DeletedMessages"));
    EXPECT_EQ(nBob, QueryLong(*LocalSession(), "SELECT AccountID FROM DeletedMessages"));
}

TEST_F(AccountsTableTest, DiskErrorOffersToReconnectAndYesRetries)
{
    Add("Alice", "a");
    CAccountsTable table(LocalSession(), NULL);
    table.EnsureTable(NULL); // a table object checks its schema once; later opens only run the command
    OleDbInjectIoFaults(1);
    m_user.m_boxAnswers = {IDYES};
    table.Open(NULL);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    const std::string& question = m_user.m_boxes[0];
    EXPECT_EQ(0u, question.find("FATAL ERROR. Open table failed!\r\n\r\n"));
    EXPECT_EQ(question.size() - 28, question.rfind("\r\n\r\nDo you want to continue?"));
    EXPECT_TRUE(m_pDatabase->m_Accounts.IsOpen());
    ASSERT_EQ(S_OK, table.MoveFirst());
    EXPECT_STREQ("Alice", table.m_szDisplayName);
    EXPECT_TRUE(m_user.m_exceptionDialogs.empty());
}

TEST_F(AccountsTableTest, DiskErrorWithNoEndsTheOpenWithTheReport)
{
    CAccountsTable table(LocalSession(), NULL);
    table.EnsureTable(NULL);
    OleDbInjectIoFaults(1);
    m_user.m_boxAnswers = {IDNO};
    try
    {
        table.Open(NULL);
        ADD_FAILURE();
    }
    catch (COLEDBException* pException)
    {
        EXPECT_EQ(0u, std::string(pException->m_strMessage).find("FATAL ERROR. Open table failed!\r\n\r\n"));
        ASSERT_FALSE(pException->m_records.empty());
        EXPECT_EQ(5003043u, pException->m_records[0].dwHelpContext);
        delete pException;
    }
    EXPECT_EQ(1u, m_user.m_exceptionDialogs.size());
}

TEST_F(AccountsTableTest, ADiskErrorThatStaysGivesUpAfterAFewReconnects)
{
    OleDbInjectIoFaults(1000);
    CAccountsTable table(LocalSession(), NULL);
    bool bThrown = false;
    try
    {
        table.Open(NULL);
    }
    catch (COLEDBException* pException)
    {
        bThrown = true;
        delete pException;
    }
    catch (CException* pException)
    {
        bThrown = true;
        delete pException;
    }
    EXPECT_TRUE(bThrown);
    EXPECT_LT(m_user.m_boxes.size(), 10u);
}

TEST_F(AccountsTableTest, IMAPRootFoldersAreCreatedOncePerAccount)
{
    ASSERT_TRUE(Execute(*LocalSession(),
                        "CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, "
                        "OwnerID INTEGER NOT NULL, Name TEXT(100) NOT NULL, Type INTEGER NOT NULL, "
                        "nUnread INTEGER, nMessagesNumber INTEGER, Flags INTEGER)"));
    std::string strLong(100, 'L');
    Add("Imap One", "1", INCOMING_SERVER_IMAP);
    Add(strLong.c_str(), "2", INCOMING_SERVER_IMAP);
    Add("Pop", "3", INCOMING_SERVER_POP3);

    for (int nRun = 0; nRun < 2; nRun++)
    {
        CAccountsTable table(LocalSession(), NULL);
        table.EnsureIMAPRootFolders(NULL);
        EXPECT_EQ(2, QueryLong(*LocalSession(), "SELECT COUNT(*) FROM Folders WHERE Type = 13")) << nRun;
        EXPECT_EQ(1, QueryLong(*LocalSession(),
                               "SELECT COUNT(*) FROM Folders WHERE Type = 13 AND Name = 'Imap One' "
                               "AND OwnerID = 0"))
            << nRun;
        EXPECT_EQ(1, QueryLong(*LocalSession(),
                               ("SELECT COUNT(*) FROM Folders WHERE Name = '" + strLong + "'").c_str()))
            << nRun;
    }
}

namespace
{
// A password block whose session key is wrapped by another container's exchange key: this user cannot
// unwrap it, as with a database copied from another user or machine.
void EncryptForAnotherUser(const char* pszPlain, BYTE* pBlock, DWORD nSize)
{
    const char* pszContainer = "OrbAccountsForeignUser";
    HCRYPTPROV hProv = 0;
    if (!CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, 0))
        ASSERT_TRUE(CryptAcquireContextA(&hProv, pszContainer, NULL, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    HCRYPTKEY hExchange = 0;
    if (!CryptGetUserKey(hProv, AT_KEYEXCHANGE, &hExchange))
        ASSERT_TRUE(CryptGenKey(hProv, AT_KEYEXCHANGE, 0, &hExchange));
    HCRYPTKEY hKey = 0;
    ASSERT_TRUE(CryptGenKey(hProv, CALG_RC4, CRYPT_EXPORTABLE, &hKey));
    memset(pBlock, 0, nSize);
    DWORD dwBlob = nSize - 8;
    ASSERT_TRUE(CryptExportKey(hKey, hExchange, SIMPLEBLOB, 0, pBlock + 4, &dwBlob));
    memcpy(pBlock, &dwBlob, 4);
    DWORD dwLength = (DWORD)strlen(pszPlain);
    memcpy(pBlock + 4 + dwBlob, &dwLength, 4);
    memcpy(pBlock + 8 + dwBlob, pszPlain, dwLength);
    ASSERT_TRUE(CryptEncrypt(hKey, 0, TRUE, 0, pBlock + 8 + dwBlob, &dwLength, dwLength));
    CryptDestroyKey(hKey);
    CryptDestroyKey(hExchange);
    CryptReleaseContext(hProv, 0);
}
} // namespace

// The default account as the accounts list and the receive run ask for it, from each state the Options row
// can be in: missing, NULL, naming an account.
TEST_F(AccountsTableTest, IsDefaultAccountMakesTheFirstAccountAskedTheDefaultOnlyWhenThereIsNone)
{
    LONG nAlice = Add("Alice", "a");
    LONG nBob = Add("Bob", "b");
    struct Case
    {
        const char* pszState; // SQL bringing the Options row into the state, or NULL for no row
        LONG nAsked;
        bool bExpected;
        LONG nDefaultAfter;
    };
    CString strBobDefault;
    strBobDefault.Format("UPDATE Options SET DefaultAccountID = %ld WHERE UserID = 1", (long)nBob);
    const Case cases[] = {
        {NULL, nBob, true, nBob},
        {"UPDATE Options SET DefaultAccountID = NULL WHERE UserID = 1", nAlice, true, nAlice},
        {strBobDefault, nAlice, false, nBob},
        {strBobDefault, nBob, true, nBob},
    };
    for (const Case& c : cases)
    {
        COptionsTable& options = m_pDatabase->m_Local.m_Options;
        options.CloseTable();
        ASSERT_TRUE(Execute(*AccountsSession(), "DELETE FROM Options"));
        if (c.pszState != NULL)
        {
            options.SetDefaultAccountID(NULL, nAlice);
            options.CloseTable();
            ASSERT_TRUE(Execute(*AccountsSession(), c.pszState));
        }
        CAccountsTable table(LocalSession(), &options);
        table.m_ID = c.nAsked;
        table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        ASSERT_EQ(S_OK, table.MoveFirst());
        EXPECT_EQ(c.bExpected, table.IsDefaultAccount(NULL)) << (c.pszState ? c.pszState : "no row");
        table.CloseTable();
        options.CloseTable();
        EXPECT_EQ(1, QueryLong(*AccountsSession(), "SELECT COUNT(*) FROM Options"));
        EXPECT_EQ(c.nDefaultAfter,
                  QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));
    }
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(AccountsTableTest, SetDefaultAccountAddsOrRewritesTheUsersRow)
{
    LONG nAlice = Add("Alice", "a");
    LONG nBob = Add("Bob", "b");
    for (LONG nID : {nBob, nAlice})
    {
        CAccountsTable table(LocalSession(), NULL);
        table.m_ID = nID;
        table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        ASSERT_EQ(S_OK, table.MoveFirst());
        table.SetDefaultAccount(NULL);
        table.CloseTable();
        EXPECT_EQ(1, QueryLong(*AccountsSession(), "SELECT COUNT(*) FROM Options"));
        EXPECT_EQ(nID,
                  QueryLong(*AccountsSession(), "SELECT DefaultAccountID FROM Options WHERE UserID = 1"));
    }
}

// The receive run reads the password through the table: a plain one is moved into the encrypted column for
// good, an encrypted one is only read, one of another user is reported and not used.
TEST_F(AccountsTableTest, GetPasswordMovesAPlainPasswordIntoTheEncryptedColumnOnce)
{
    LONG nAlice = Add("Alice", "alice-secret");
    LONG nBob = Add("Bob", "");
    LONG nCarol = Add("Carol", "");
    CString strSQL;
    strSQL.Format("UPDATE Accounts SET Pass = 'bob-plain' WHERE ID = %ld", (long)nBob);
    ASSERT_TRUE(Execute(*AccountsSession(), strSQL));
    {
        CAccountsTable table(LocalSession(), NULL);
        table.m_ID = nCarol;
        table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
        ASSERT_EQ(S_OK, table.MoveFirst());
        EncryptForAnotherUser("carol-secret", table.m_PassCrypto, sizeof(table.m_PassCrypto));
        ASSERT_EQ(S_OK, table.SetData());
    }

    struct Case
    {
        LONG nID;
        const char* pszExpected;
        size_t nBoxes;
    };
    const Case cases[] = {{nAlice, "alice-secret", 0}, {nBob, "bob-plain", 0}, {nCarol, "", 1}};
    for (int nRead = 0; nRead < 2; nRead++)
    {
        for (const Case& c : cases)
        {
            m_user.m_boxes.clear();
            CAccountsTable table(LocalSession(), NULL);
            table.m_ID = c.nID;
            table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
            ASSERT_EQ(S_OK, table.MoveFirst());
            EXPECT_STREQ(c.pszExpected, table.GetPassword(NULL)) << c.nID << " read " << nRead;
            ASSERT_EQ(c.nBoxes, m_user.m_boxes.size()) << c.nID;
            if (c.nBoxes != 0)
                EXPECT_EQ(
                    "Account: Carol <Carol@example.org>\r\n\r\nYou do not have a permission for access to "
                    "account's password.",
                    m_user.m_boxes[0]);
        }
        EXPECT_EQ(0, QueryLong(*AccountsSession(), "SELECT COUNT(*) FROM Accounts WHERE Pass <> ''"));
    }
    // Bob's row now holds the block, which decrypts alone.
    CAccountsTable table(LocalSession(), NULL);
    table.m_ID = nBob;
    table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
    ASSERT_EQ(S_OK, table.MoveFirst());
    EXPECT_EQ('\0', table.m_szPass[0]);
    EXPECT_STREQ("bob-plain", table.CAccountsRecord::GetPassword());
}

TEST_F(AccountsTableTest, SetPasswordEmptiesThePlainColumnAndAnEmptyTextClearsBoth)
{
    CAccountsRecord record;
    lstrcpyA(record.m_szPass, "old-plain");
    record.SetPassword("new");
    EXPECT_EQ('\0', record.m_szPass[0]);
    EXPECT_STREQ("new", record.GetPassword());

    lstrcpyA(record.m_szPass, "old-plain");
    record.SetPassword("");
    EXPECT_EQ('\0', record.m_szPass[0]);
    EXPECT_EQ(std::vector<BYTE>(512, 0), std::vector<BYTE>(record.m_PassCrypto, record.m_PassCrypto + 512));
    EXPECT_STREQ("", record.GetPassword());
}

namespace
{
std::vector<std::string> s_addedAccounts;
LRESULT CALLBACK RecordAddedAccount(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && LOWORD(wParam) == 33041 && lParam != 0)
    {
        const CAccountsRecord* pRecord = reinterpret_cast<const CAccountsRecord*>(lParam);
        s_addedAccounts.push_back(std::string(pRecord->m_szDisplayName) + ":" +
                                  std::to_string(pRecord->m_ID));
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
} // namespace

// The owner adds the account to its menus by the record it is sent: the one just inserted, not whatever
// row the rowset opened before the insert happens to show.
TEST_F(AccountsTableTest, AddAccountTellsTheOwnerTheAccountItInserted)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordAddedAccount;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "OrbAddedAccountOwner";
    RegisterClassA(&wc);
    HWND hOwner = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE((HWND)NULL, hOwner);
    s_addedAccounts.clear();
    for (const char* pszName : {"First", "Second"})
        ASSERT_TRUE(AddAccount(hOwner, LocalSession(),
                               [&](CAccountsRecord& record)
                               {
                                   lstrcpyA(record.m_szDisplayName, pszName);
                                   lstrcpyA(record.m_szEmailAddress, "a@example.org");
                                   lstrcpyA(record.m_szPOP3, "pop");
                                   lstrcpyA(record.m_szSMTP, "smtp");
                                   lstrcpyA(record.m_szAccountName, "a");
                                   return 1;
                               }));
    DestroyWindow(hOwner);
    EXPECT_EQ(
        (std::vector<std::string>{
            "First:" + std::to_string(QueryLong(*AccountsSession(),
                                                "SELECT ID FROM Accounts WHERE DisplayName = 'First'")),
            "Second:" + std::to_string(QueryLong(*AccountsSession(),
                                                 "SELECT ID FROM Accounts WHERE DisplayName = 'Second'"))}),
        s_addedAccounts);
}

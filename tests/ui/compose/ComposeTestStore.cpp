// The store the compose tests work on.
#include "ComposeTestStore.h"

#include <fstream>
#include <sstream>

#include "store/AccountsTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"

void ComposeStoreTest::SetUp()
{
    m_pRegistry.reset(new CRegistry("LetrovaComposeTests"));
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bConnectToOrb;
    m_nSaved[2] = g_bPrivateContacts;
    g_bUseMyDatabase = 0;
    g_bConnectToOrb = 0;
    g_bPrivateContacts = 0;
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pRegistry->SetIncludeBusinessCard(0);
    // Sending checks the spelling by default; only the spelling tests answer its dialog.
    m_pRegistry->m_bCheckSpelling = 0;
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    ASSERT_TRUE(m_pDatabase->m_Local.IsOpen());
    m_nAccountID = AddAccount("Ann Sender", "ann@example.com");
}

void ComposeStoreTest::TearDown()
{
    OleDbInjectIoFaults(0);
    m_pDatabase.reset();
    g_bUseMyDatabase = m_nSaved[0];
    g_bConnectToOrb = m_nSaved[1];
    g_bPrivateContacts = m_nSaved[2];
}

LONG ComposeStoreTest::AddAccount(const char* pszDisplayName, const char* pszAddress)
{
    ::AddAccount(NULL, LocalSession(),
                 [&](CAccountsRecord& record)
                 {
                     lstrcpynA(record.m_szDisplayName, pszDisplayName, sizeof(record.m_szDisplayName));
                     lstrcpynA(record.m_szEmailAddress, pszAddress, sizeof(record.m_szEmailAddress));
                     lstrcpyA(record.m_szSMTP, "127.0.0.1");
                     lstrcpyA(record.m_szAccountName, "tester");
                     return 1;
                 });
    CString strSQL;
    strSQL.Format("SELECT ID FROM Accounts WHERE EmailAddress = '%s'", pszAddress);
    return QueryLong(*LocalSession(), strSQL);
}

LONG ComposeStoreTest::AddContact(const char* pszFirst, const char* pszSurname, const char* pszEmail)
{
    CContactNameTable table(LocalSession());
    table.EnsureSchema(NULL);
    CString strCompany;
    strCompany.Format("Company of %s", pszSurname);
    CString strSQL;
    strSQL.Format("INSERT INTO Site (COMPANY, POSTCODE) VALUES ('%s', '1')", (const char*)strCompany);
    EXPECT_TRUE(Execute(*LocalSession(), strSQL));
    strSQL.Format("SELECT SiteID FROM Site WHERE COMPANY = '%s'", (const char*)strCompany);
    long nSiteID = QueryLong(*LocalSession(), strSQL);
    strSQL.Format("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) VALUES (%ld, '%s', '%s', '%s')",
                  nSiteID, pszFirst, pszSurname, pszEmail);
    EXPECT_TRUE(Execute(*LocalSession(), strSQL));
    strSQL.Format("SELECT ID FROM ContactName WHERE cFirstname = '%s' AND cSurname = '%s'", pszFirst, pszSurname);
    return QueryLong(*LocalSession(), strSQL);
}

LONG ComposeStoreTest::FolderOfType(LONG nType)
{
    CFolders folders(LocalSession());
    return folders.GetSystemFolder(nType, NULL);
}

LONG ComposeStoreTest::StoreText(const std::string& strText, LONG nFolderType, BYTE nEncode)
{
    CEmailsImpl<> store(LocalSession());
    store.Clear();
    store.m_Encode = nEncode;
    std::vector<CStoredAttachment> none;
    return store.StoreOutgoingMessage(CString(strText.data(), (int)strText.size()), FolderOfType(nFolderType), none,
                                      NULL, FALSE, FALSE, FALSE);
}

std::string ReadFileBytes(const CString& strPath)
{
    std::ifstream in((const char*)strPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const CString& strPath, const std::string& strBytes)
{
    std::ofstream out((const char*)strPath, std::ios::binary);
    out.write(strBytes.data(), (std::streamsize)strBytes.size());
}

// The address book's test store and owner window.
#include <windows.h>

#include "AddressBookFixture.h"

#include <atlwin.h>

#include <mutex>
#include <vector>

#include "foundation/WindowMessages.h"
#include "ui/main/Main.h"

namespace
{
const char kSettingsApplication[] = "LetrovaAddressBookTests";
}

void AddressBookTest::SetUp()
{
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bPrivateContacts;
    m_nSaved[2] = g_bConnectToOrb;
    g_bUseMyDatabase = 0;
    g_bPrivateContacts = 0;
    g_bConnectToOrb = 0;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
    m_pRegistry.reset(new CRegistry(kSettingsApplication));
    for (const char* pszFile : {"Accounts.mdb", "email.mdb", "Orb.mdb"})
        CreateDatabaseFile(m_folder.Path(pszFile));
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pRegistry->m_bOnlyWithEmail = 0;
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    ASSERT_TRUE(m_pDatabase->m_Orb.IsOpen());
    for (CSession* pSession : {&m_pDatabase->m_Orb.m_session, &m_pDatabase->m_Local.m_session})
    {
        CContactNameTable table(pSession);
        table.EnsureSchema(NULL);
    }
    m_hOwner = m_ui.Start([this]() {
        m_pOwner = new COwnerWindow(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
        HWND hWnd = m_pOwner->Create(NULL, CWindow::rcDefault, "Owner", WS_OVERLAPPEDWINDOW);
        if (hWnd == NULL)
        {
            delete m_pOwner;
            m_pOwner = nullptr;
        }
        return hWnd;
    });
    ASSERT_NE(nullptr, m_hOwner);
}

void AddressBookTest::TearDown()
{
    OleDbInjectIoFaults(0);
    if (m_hOwner != NULL)
    {
        m_ui.Invoke([this]() { ::DestroyWindow(m_hOwner); });
        m_ui.WaitForExit();
        delete m_pOwner;
        m_pOwner = nullptr;
    }
    m_pDatabase.reset();
    g_bUseMyDatabase = m_nSaved[0];
    g_bPrivateContacts = m_nSaved[1];
    g_bConnectToOrb = m_nSaved[2];
}

void AddressBookTest::UseLocal()
{
    m_pDatabase->m_Orb.Close();
    m_bLocal = true;
}

LONG AddressBookTest::AddSite(const char* pszCompany, const char* pszPostcode, bool bIndividual)
{
    CString strSQL;
    strSQL.Format("INSERT INTO Site (COMPANY, POSTCODE, Ind) VALUES ('%s', '%s', %d)", pszCompany, pszPostcode,
                  bIndividual ? 1 : 0);
    EXPECT_TRUE(Execute(Contacts(), strSQL)) << (const char*)strSQL;
    return Query("SELECT MAX(SiteID) FROM Site");
}

LONG AddressBookTest::AddPerson(LONG nSiteID, const char* pszFirst, const char* pszSurname, const char* pszEmail)
{
    CString strSQL;
    strSQL.Format("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) VALUES (%ld, '%s', '%s', "
                  "'%s')",
                  (long)nSiteID, pszFirst, pszSurname, pszEmail);
    EXPECT_TRUE(Execute(Contacts(), strSQL)) << (const char*)strSQL;
    return Query("SELECT MAX(ID) FROM ContactName");
}

bool AddressBookTest::NoOpenTransaction()
{
    // A transaction still open would make this start fail.
    HRESULT hr = Contacts().StartTransaction(ISOLATIONLEVEL_READCOMMITTED);
    if (FAILED(hr))
        return false;
    Contacts().Abort();
    return true;
}

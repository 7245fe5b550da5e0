// Fills the contact list with 10 000 contacts and times it beside the database layer reading the same
// contacts query bare (the peer); prints both and the ratio.
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>

#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseMy.h"
#include "ui/addressbook/AddressBookListView.h"
#include "ui/main/Main.h"



namespace
{
const int kContacts = 10000;

double Seconds()
{
    static LARGE_INTEGER s_frequency = {};
    if (s_frequency.QuadPart == 0)
        QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)s_frequency.QuadPart;
}

class COwner : public CWindowImpl<COwner, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("AddressBookBenchOwner")
    BEGIN_MSG_MAP(COwner)
        CHAIN_MSG_MAP_MEMBER(m_main)
    END_MSG_MAP()
    COwner(CDatabaseMy* pDatabase, CRegistry* pRegistry) : m_main(pDatabase, pRegistry, 0) {}
    CMain m_main;
};

// The contacts go in through the session in one transaction: the fill is what is measured.
void FillContacts(CSession& session)
{
    session.StartTransaction();
    for (int i = 0; i < kContacts; i++)
    {
        char szSQL[512];
        sprintf(szSQL, "INSERT INTO Site (COMPANY, TOWNCITY, Ind) VALUES ('Company %d', 'Town', 0)", i % 500);
        Execute(session, szSQL);
        sprintf(szSQL,
                "INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail, cPosition, cDDI, cMobile) "
                "SELECT MAX(SiteID), 'First%d', 'Surname%d', 'person%d@example.com', 'Manager', '0113 %d', '07%d' "
                "FROM Site",
                i, i * 7 % 9973, i, i, i);
        if (!Execute(session, szSQL))
        {
            printf("cannot store the contacts\n");
            exit(1);
        }
    }
    session.Commit();
}
} // namespace

int main()
{
    ::OleInitialize(NULL);
    InitFoundationUi();
    RegisterLetrovaMessages();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    _Module.Init(NULL, ::GetModuleHandleA(NULL));
    {
        CScratchFolder folder("addressbook-bench");
        g_bPrivateContacts = 0;
        g_bConnectToOrb = 0;
        CRegistry registry("LetrovaAddressBookBench");
        for (const char* pszFile : {"Accounts.mdb", "email.mdb", "Orb.mdb"})
            CreateDatabaseFile(folder.Path(pszFile));
        registry.m_strAccountsDatabase = folder.Path("Accounts.mdb");
        registry.m_strLocalDatabase = folder.Path("email.mdb");
        registry.m_strOrbDatabase = folder.Path("Orb.mdb");
        registry.m_bOnlyWithEmail = 0;
        CDatabaseMy database(&registry);
        database.OpenAll();
        {
            CContactNameTable table(&database.m_Orb.m_session);
            table.EnsureSchema(NULL);
        }
        FillContacts(database.m_Orb.m_session);

        // The peer: the layer reading the same query, every column the list shows.
        double dStart = Seconds();
        int nRows = 0;
        {
            CContactsTableHolder query(&database.m_Orb.m_session);
            query.Open(NULL, g_szContactsSelect);
            size_t nBytes = 0;
            for (HRESULT hr = query.MoveFirst(); hr == S_OK; hr = query.MoveNext())
            {
                nBytes += strlen(query.m_cEmail) + strlen(query.m_Company) + query.GetFullName().GetLength();
                nRows++;
            }
            if (nBytes == 0)
                printf("no data read\n");
        }
        double dQuery = Seconds() - dStart;

        COwner owner(&database, &registry);
        owner.Create(NULL, CWindow::rcDefault, "Owner", WS_OVERLAPPEDWINDOW);
        HWND hList = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                       0, 0, 600, 400, owner.m_hWnd, NULL, NULL, NULL);
        CWindow ownerWindow(owner.m_hWnd);
        CAddressBookListView list(&ownerWindow);
        list.SubclassWindow(hList);
        list.InitContactListView();
        dStart = Seconds();
        list.OnUpdate();
        double dList = Seconds() - dStart;
        int nListed = list.GetItemCount();
        list.DestroyWindow();
        owner.DestroyWindow();

        printf("contacts: %d read by the layer, %d listed\n", nRows, nListed);
        printf("layer's bare query: %.3f s\n", dQuery);
        printf("contact list fill:  %.3f s\n", dList);
        printf("ratio list / bare query: %.2f\n", dQuery > 0 ? dList / dQuery : 0.0);
    }
    _Module.Term();
    ::OleUninitialize();
    return 0;
}

// A whole receive run of the progress window (log-on, download, storing each message in the local
// database, DELE) against dovecot, beside mpop delivering the same refilled mailbox to a Maildir, in one run.
// Prints the ratio; asserts nothing.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "PeerBench.h"
#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"
#include "transport/DlgProgress.h"

CAppModule _Module;

namespace
{
// The whole receive run: the progress window's worker logs on, fetches, stores each message in the local
// database and deletes it on the server, as a run for every account does.
void BenchReceiveRun(const std::string& peerDir, UINT nPort)
{
    FillBenchMailbox(peerDir);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterLetrovaMessages();
    double ours = -1;
    {
        CScratchFolder folder("receive-bench");
        CScriptedUser user;
        CRegistry registry("LetrovaReceiveBench");
        g_bUseMyDatabase = 0;
        g_bConnectToOrb = 0;
        g_bPrivateContacts = 0;
        registry.WriteProfileInt("Options", "Start Receive Message Number", 0);
        registry.m_strLocalDatabase = folder.Path("email.mdb");
        registry.m_strOrbDatabase = folder.Path("Orb.mdb");
        CreateDatabaseFile(folder.Path("Orb.mdb"));
        CDatabaseMy database(&registry);
        database.OpenAll();
        if (!database.m_Local.IsOpen())
        {
            printf("receive run: the local database did not open\n");
            return;
        }
        CSession& session = database.m_Local.m_session;
        CFolders folders(&session);
        for (LONG nType : {FOLDER_INBOX, FOLDER_OUTBOX, FOLDER_SENT_ITEMS})
            folders.GetSystemFolder(nType, NULL);
        CAccountsTable::CreateTableIfMissing(&session, NULL);
        CDeletedMessagesTable::Create(&session, NULL);
        CString strSQL;
        strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, Flags, "
                      "RemoveAfter, IncomingServerType, IncomingPort, SMTPPort, SMTPAccountName, SMTPPass) VALUES "
                      "('Bench', 'bench@example.com', '127.0.0.1', '127.0.0.1', 'bench', 'benchpw', 4, 5, 0, %u, "
                      "1, '', '')",
                      nPort);
        Execute(session, strSQL);

        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        CMessageLoop loop;
        _Module.AddMessageLoop(&loop);
        {
            CDlgProgress progress(&database, 0, NULL, GetCurrentThreadId(), 0);
            if (progress.Create(NULL) != NULL)
                loop.Run();
        }
        _Module.RemoveMessageLoop();
        const double seconds = Seconds(start);
        const long nStored = QueryLong(session, "SELECT COUNT(*) FROM Emails WHERE AccountID > 0");
        if (nStored == kPop3Messages)
            ours = seconds;
        else
            printf("receive run: stored %ld of %d messages\n", nStored, kPop3Messages);
    }
    FillBenchMailbox(peerDir);
    const double peer = RunMpop(peerDir, nPort);
    PrintRatio("Receive run storing 2000 messages from dovecot", "mpop to a Maildir", ours, peer);
}
} // namespace

int main()
{
    const char* pszPeerDir = getenv("ORB_PEER_DIR");
    const char* pszPop3 = getenv("ORB_POP3_PORT");
    if (!pszPeerDir || !pszPop3)
    {
        printf("the mail peers are not running (ORB_PEER_DIR, ORB_POP3_PORT unset)\n");
        return 0;
    }
    CoInitialize(NULL);
    _Module.Init(NULL, GetModuleHandleA(NULL));
    BenchReceiveRun(pszPeerDir, static_cast<UINT>(atoi(pszPop3)));
    _Module.Term();
    CoUninitialize();
    return 0;
}

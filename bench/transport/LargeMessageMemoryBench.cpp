// The peak memory of a receive run that stores one 100 MB message (a base64 attachment) from dovecot, as a
// multiple of the message's size, beside mpop delivering the same message to a Maildir in the same run.
// Prints the figures; asserts nothing.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

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
const size_t kMessageSize = 100u * 1024 * 1024;

// Headers, a short text part and an attachment whose base64 lines fill the message to kMessageSize.
std::string LargeMessage()
{
    std::string text = "From: <sender@example.com>\r\nTo: <bench@example.com>\r\nSubject: large\r\n"
                       "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                       "--b\r\nContent-Type: text/plain\r\n\r\nThe attachment follows.\r\n"
                       "--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
                       "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n"
                       "\r\n";
    const std::string tail = "--b--\r\n";
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string line(76, 'A');
    unsigned nSeed = 1;
    text.reserve(kMessageSize + 80);
    while (text.size() + 78 + tail.size() <= kMessageSize)
    {
        for (char& c : line)
        {
            nSeed = nSeed * 1103515245u + 12345u;
            c = kAlphabet[(nSeed >> 16) % 64];
        }
        text += line;
        text += "\r\n";
    }
    text += tail;
    return text;
}

void FillMailbox(const std::string& peerDir, const std::string& message)
{
    const std::string mail = peerDir + "/dovecot/mail/bench";
    for (const char* pszSub : {"/new/", "/cur/"})
    {
        const std::string folder = WindowsPath(mail + pszSub);
        WIN32_FIND_DATAA data;
        HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        do
        {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + data.cFileName).c_str());
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    WriteFileText(WindowsPath(mail + "/tmp/large.vorn"), message);
    MoveFileA(WindowsPath(mail + "/tmp/large.vorn").c_str(), WindowsPath(mail + "/new/large.vorn").c_str());
}

double Megabytes(SIZE_T nBytes)
{
    return static_cast<double>(nBytes) / (1024.0 * 1024.0);
}

void BenchLargeMessage(const std::string& peerDir, UINT nPort)
{
    size_t nSize = 0;
    {
        const std::string message = LargeMessage();
        nSize = message.size();
        FillMailbox(peerDir, message);
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterLetrovaMessages();
    CScratchFolder folder("large-message-bench");
    CScriptedUser user;
    CRegistry registry("LetrovaLargeMessageBench");
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
        printf("large message: the local database did not open\n");
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

    PROCESS_MEMORY_COUNTERS before = {sizeof(before)};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
    CMessageLoop loop;
    _Module.AddMessageLoop(&loop);
    {
        CDlgProgress progress(&database, 0, NULL, GetCurrentThreadId(), 0);
        if (progress.Create(NULL) != NULL)
            loop.Run();
    }
    _Module.RemoveMessageLoop();
    PROCESS_MEMORY_COUNTERS after = {sizeof(after)};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
    const long nStored = QueryLong(session, "SELECT COUNT(*) FROM Emails WHERE AccountID > 0");
    if (nStored != 1)
    {
        printf("large message: stored %ld messages, not 1\n", nStored);
        return;
    }
    const double ours = Megabytes(after.PeakWorkingSetSize - before.WorkingSetSize) / Megabytes(nSize);
    printf("Storing a %.0f MB message: peak working set %.0f MB above the %.0f MB before, %.2f x the message\n",
           Megabytes(nSize), Megabytes(after.PeakWorkingSetSize - before.WorkingSetSize),
           Megabytes(before.WorkingSetSize), ours);

    // mpop's peak resident size as /usr/bin/time reports it (kilobytes).
    FillMailbox(peerDir, LargeMessage());
    const std::string target = peerDir + "/bench-mpop-large";
    const std::string rss = peerDir + "/bench-mpop-large.rss";
    const double seconds = RunHostScript(
        peerDir, "rm -rf " + target + " && mkdir -p " + target + "/cur " + target + "/new " + target +
                     "/tmp && /usr/bin/time -f %M -o " + rss + " mpop -C /dev/null --host=127.0.0.1 --port=" +
                     std::to_string(nPort) +
                     " --auth=user --user=bench --passwordeval='echo benchpw' --tls=off --keep=on"
                     " --only-new=off --delivery=maildir," +
                     target + " --uidls-file=" + target + "/uidls >/dev/null 2>&1");
    FILE* f = fopen(WindowsPath(rss).c_str(), "r");
    long nKilobytes = -1;
    if (f)
    {
        if (fscanf(f, "%ld", &nKilobytes) != 1)
            nKilobytes = -1;
        fclose(f);
    }
    if (seconds < 0 || nKilobytes < 0)
    {
        printf("Storing a large message: mpop did not run\n");
        return;
    }
    const double peer = nKilobytes / 1024.0 / Megabytes(nSize);
    printf("Storing a large message, peak memory as a multiple of its size: ours %.2f, mpop to a Maildir %.2f, "
           "ratio ours/mpop %.1f\n",
           ours, peer, ours / peer);
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
    BenchLargeMessage(pszPeerDir, static_cast<UINT>(atoi(pszPop3)));
    _Module.Term();
    CoUninitialize();
    return 0;
}

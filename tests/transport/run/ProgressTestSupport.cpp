// What the tests of the send-and-receive run share: a database holder on fresh files, accounts and Outbox
// messages, a recording owner window, the progress window on a thread of its own, and a POP3 proxy that
// breaks one chosen RETR.
#include "ProgressTestSupport.h"

#include <algorithm>

#include "app/ManagerCommands.h"
#include "foundation/WindowMessages.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"
#include "store/MessageFlagsNotice.h"
#include "tests/support/WindowReaders.h"

CAppModule _Module;
CProgressFixture* CProgressFixture::s_pCurrent = NULL;

namespace
{
const char kOwnerClass[] = "ProgressTestOwner";
CRecordingOwner* s_pOwner = NULL;
HHOOK s_hHook = NULL;

// The lists as they were when the window went: a run without errors closes by itself.
LRESULT CALLBACK SnapshotHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* pMessage = (const CWPSTRUCT*)lParam;
    CProgressFixture* pFixture = CProgressFixture::s_pCurrent;
    if (nCode == HC_ACTION && pMessage->message == WM_DESTROY && pFixture != NULL && pFixture->m_pDlg &&
        pMessage->hwnd == pFixture->m_pDlg->m_hWnd)
    {
        pFixture->m_tasksAtEnd = pFixture->Tasks();
        pFixture->m_errorsAtEnd = pFixture->Errors();
        pFixture->m_bVisibleAtEnd = ::IsWindowVisible(pMessage->hwnd) != FALSE;
        pFixture->m_bEnded = true;
    }
    return ::CallNextHookEx(s_hHook, nCode, wParam, lParam);
}
} // namespace

CRecordingOwner::CRecordingOwner() : m_hRunState(::CreateEventA(NULL, TRUE, TRUE, NULL)), m_thread(_Module), m_hWnd(NULL)
{
    RegisterLetrovaMessages();
    s_pOwner = this;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = kOwnerClass;
    ::RegisterClassA(&wc);
    m_hWnd = m_thread.Start([] {
        return ::CreateWindowA(kOwnerClass, "Owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL,
                               ::GetModuleHandleA(NULL), NULL);
    });
}

CRecordingOwner::~CRecordingOwner()
{
    m_thread.Invoke([this] { ::DestroyWindow(m_hWnd); });
    m_thread.PostQuit();
    m_thread.WaitForExit();
    s_pOwner = NULL;
    ::CloseHandle(m_hRunState);
}

LRESULT CALLBACK CRecordingOwner::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CRecordingOwner* pThis = s_pOwner;
    if (pThis != NULL && uMsg == LetrovaGethEventDlgProgress && wParam != 0)
    {
        *(HANDLE*)wParam = pThis->m_hRunState;
        return 1;
    }
    if (pThis != NULL && uMsg == LetrovaGetIdThread && wParam != 0)
    {
        *(DWORD*)wParam = pThis->m_Manager.ThreadId();
        return 1;
    }
    if (pThis != NULL && uMsg == WM_COMMAND)
    {
        Command command = {LOWORD(wParam), lParam, std::string()};
        if (command.nID == ID_SET_STATUSBAR_2 && lParam != 0)
            command.strText = (const char*)lParam;
        if (command.nID == ID_UPDATE_MESSAGE_FLAGS)
        {
            command.nNoticeFolder = MessageFlagsNotice.nFolderID;
            command.nNoticeMessage = MessageFlagsNotice.nMessageID;
            command.nNoticeDelta = MessageFlagsNotice.nUnreadDelta;
            command.nNoticeKind = MessageFlagsNotice.nKind;
        }
        std::lock_guard<std::mutex> guard(pThis->m_lock);
        pThis->m_commands.push_back(command);
        return 0;
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

std::vector<CRecordingOwner::Command> CRecordingOwner::Commands() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_commands;
}

bool CRecordingOwner::Has(WORD nID, Command* pFound) const
{
    for (const Command& command : Commands())
    {
        if (command.nID == nID)
        {
            if (pFound != NULL)
                *pFound = command;
            return true;
        }
    }
    return false;
}

void CProgressFixture::SetUp()
{
    s_pCurrent = this;
    m_bEnded = false;
    m_tasksAtEnd.clear();
    m_errorsAtEnd.clear();
    m_reports.clear();
    CDlgProgress::s_hEventListHandOver = NULL;
    m_pUser.reset(new CScriptedUser);
    // The settings load sets the database switches: they are set for the test after it.
    m_pRegistry.reset(new CRegistry("LetrovaProgressTests"));
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bConnectToOrb;
    m_nSaved[2] = g_bPrivateContacts;
    g_bUseMyDatabase = m_bDefaultConfiguration ? 1 : 0;
    g_bConnectToOrb = m_bDefaultConfiguration ? 1 : 0;
    g_bPrivateContacts = 0;
    m_pRegistry->WriteProfileInt("Options", "Start Receive Message Number", 0);
    m_pRegistry->WriteProfileInt("Options", "Not log to Vorn Vedura", 1);
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    CreateDatabaseFile(m_folder.Path("Orb.mdb"));
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    ASSERT_TRUE(m_pDatabase->m_Local.IsOpen());
    CFolders folders(Local());
    for (LONG nType : {FOLDER_INBOX, FOLDER_OUTBOX, FOLDER_SENT_ITEMS})
        folders.GetSystemFolder(nType, NULL);
    CAccountsTable::CreateTableIfMissing(AccountsSession(), NULL);
    CDeletedMessagesTable::Create(Local(), NULL);
    CDlgProgress::s_pfnReportDialog = [](HWND, const CString& strReport, const CString& strDetail) {
        s_pCurrent->m_reports.push_back((const char*)strReport);
        if (!strDetail.IsEmpty())
            ::DeleteFileA(strDetail);
    };
    m_spoolBefore = ListFiles(PeerFolder() + "smtp\\spool\\");
}

void CProgressFixture::TearDown()
{
    if (m_pUi)
    {
        if (m_pDlg && m_pDlg->m_hWnd != NULL && ::IsWindow(m_pDlg->m_hWnd))
            ::PostMessageA(m_pDlg->m_hWnd, WM_COMMAND, IDCANCEL, 0);
        m_pUi->WaitForExit();
    }
    m_pUi.reset();
    if (s_hHook != NULL)
        ::UnhookWindowsHookEx(s_hHook);
    s_hHook = NULL;
    m_pDlg.reset();
    m_pOwner.reset();
    m_pDatabase.reset();
    if (m_pUser)
    {
        for (const std::string& box : m_pUser->m_boxes)
            fprintf(stderr, "message box: %s\n", box.c_str());
    }
    m_pUser.reset();
    g_bUseMyDatabase = m_nSaved[0];
    g_bConnectToOrb = m_nSaved[1];
    g_bPrivateContacts = m_nSaved[2];
    CDlgProgress::s_hEventListHandOver = NULL;
    if (m_hGate != NULL)
        ::CloseHandle(m_hGate);
    m_hGate = NULL;
    s_pCurrent = NULL;
}

void CProgressFixture::Restart()
{
    TearDown();
    ::DeleteFileA(m_folder.Path("email.mdb"));
    ::DeleteFileA(m_folder.Path("Orb.mdb"));
    ::DeleteFileA(m_folder.Path("Accounts.mdb"));
    SetUp();
}

void CProgressFixture::UseGate()
{
    m_hGate = ::CreateEventA(NULL, FALSE, TRUE, NULL);
    CDlgProgress::s_hEventListHandOver = m_hGate;
}

const char kKilledRunFolder[] = "ORB_KILLED_RUN_FOLDER";
const char kKilledRunDefault[] = "ORB_KILLED_RUN_DEFAULT";

PROCESS_INFORMATION StartKilledRun(const CString& strFolder, bool bDefaultConfiguration)
{
    char szExe[MAX_PATH] = {};
    ::GetModuleFileNameA(NULL, szExe, MAX_PATH);
    std::string command = std::string("\"") + szExe +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=DlgProgressKilledRun.*";
    // The child writes no test report of its own over the parent's.
    char szOutput[MAX_PATH] = {};
    const bool bOutput = ::GetEnvironmentVariableA("GTEST_OUTPUT", szOutput, MAX_PATH) != 0;
    ::SetEnvironmentVariableA("GTEST_OUTPUT", NULL);
    ::SetEnvironmentVariableA(kKilledRunFolder, strFolder);
    ::SetEnvironmentVariableA(kKilledRunDefault, bDefaultConfiguration ? "1" : NULL);
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &si, &pi))
        pi = PROCESS_INFORMATION();
    ::SetEnvironmentVariableA(kKilledRunFolder, NULL);
    ::SetEnvironmentVariableA(kKilledRunDefault, NULL);
    if (bOutput)
        ::SetEnvironmentVariableA("GTEST_OUTPUT", szOutput);
    return pi;
}

UINT DeadPort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    SOCKET hSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(hSocket, (sockaddr*)&address, sizeof(address));
    int nLength = sizeof(address);
    getsockname(hSocket, (sockaddr*)&address, &nLength);
    closesocket(hSocket);
    WSACleanup();
    return ntohs(address.sin_port);
}

LONG CProgressFixture::AddAccount(const CTestAccount& account)
{
    CString strSQL;
    strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, Flags, "
                  "RemoveAfter, IncomingServerType, IncomingPort, SMTPPort, SMTPAccountName, SMTPPass) VALUES "
                  "('%s', '%s@example.org', '127.0.0.1', '127.0.0.1', '%s', '%s', %ld, 5, 0, %u, %u, '', '')",
                  account.pszName, account.pszName, account.pszUser, account.pszPassword, (long)account.nFlags,
                  account.nPop3Port != 0 ? account.nPop3Port : PeerPort("ORB_POP3_PORT"),
                  account.nSmtpPort != 0 ? account.nSmtpPort : PeerPort("ORB_SMTP_PORT"));
    EXPECT_TRUE(Execute(*AccountsSession(), strSQL)) << strSQL;
    strSQL.Format("SELECT ID FROM Accounts WHERE DisplayName = '%s'", account.pszName);
    return QueryLong(*AccountsSession(), strSQL);
}

LONG CProgressFixture::AddOutgoing(const char* pszAccount, const std::string& strHeaderTo, const std::string& strCc,
                                   const std::string& strBcc, const char* pszSubject, const std::string& strBody,
                                   LONG nFlags)
{
    std::string text = std::string("From: \"") + pszAccount + "\" <" + pszAccount + "@example.org>\r\n";
    text += "To: " + strHeaderTo + "\r\n";
    if (!strCc.empty())
        text += "Cc: " + strCc + "\r\n";
    if (!strBcc.empty())
        text += "Bcc: " + strBcc + "\r\n";
    text += std::string("Subject: ") + pszSubject + "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\n" +
            strBody;
    CFolders folders(Local());
    const LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, NULL);
    CEmailsImpl<> store(Local());
    store.InsertMessage(CString(text.c_str()), nOutbox, 0, "", 0, NULL, NULL, 0.0, NULL, NULL, FALSE, FALSE, FALSE);
    const LONG nID = store.m_EmailsID;
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Flags = Flags | %ld WHERE EmailsID = %ld", (long)nFlags, (long)nID);
    EXPECT_TRUE(Execute(*Local(), strSQL));
    return nID;
}

LONG CProgressFixture::FolderOf(LONG nEmailID)
{
    CString strSQL;
    strSQL.Format("SELECT Folders.Type FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND EmailsID = %ld",
                  (long)nEmailID);
    return Query(strSQL);
}

LONG CProgressFixture::CountIn(LONG nFolderType)
{
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND Folders.Type = %ld",
                  (long)nFolderType);
    return Query(strSQL);
}

std::vector<std::string> CProgressFixture::SubjectsIn(LONG nFolderType)
{
    CFolders folders(Local());
    const LONG nFolder = folders.GetSystemFolder(nFolderType, NULL);
    CEmailsImpl<> store(Local());
    store.OpenByFolder(nFolder, NULL);
    std::vector<std::string> subjects;
    while (store.MoveNext(1, 0) == S_OK)
        subjects.push_back(store.m_Subject);
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

HWND CProgressFixture::Start(LONG nAccount, int nMode, bool bOwner)
{
    if (bOwner && !m_pOwner)
        m_pOwner.reset(new CRecordingOwner);
    CRecordingOwner* pOwner = bOwner ? m_pOwner.get() : NULL;
    if (s_hHook != NULL)
        ::UnhookWindowsHookEx(s_hHook);
    s_hHook = NULL;
    m_bEnded = false;
    m_pUi.reset(new CUiThread(_Module));
    HWND hWnd = m_pUi->Start([&] {
        m_pDlg.reset(new CDlgProgress(m_pDatabase.get(), nAccount, pOwner ? pOwner->Window() : NULL,
                                      pOwner ? pOwner->m_Manager.ThreadId() : 0, nMode));
        s_hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, SnapshotHook, NULL, ::GetCurrentThreadId());
        return m_pDlg->Create(NULL);
    });
    if (hWnd != NULL && nMode != 1)
        ::ShowWindow(hWnd, SW_SHOW);
    return hWnd;
}

bool CProgressFixture::WaitForEnd(DWORD dwTimeoutMs)
{
    return m_pUi->WaitForExit(dwTimeoutMs);
}

bool CProgressFixture::RunToEnd(LONG nAccount, int nMode, bool bOwner)
{
    HWND hWnd = Start(nAccount, nMode, bOwner);
    if (hWnd == NULL || !WaitFor([&] { return m_pDlg->m_bFinished != 0 || m_bEnded; }, 120000))
        return false;
    // A run with errors stays open for the user to read them; the user closes it.
    if (!Errors().empty())
        ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    return WaitForEnd();
}

std::vector<std::vector<std::string>> CProgressFixture::Tasks()
{
    if (m_bEnded)
        return m_tasksAtEnd;
    return ListViewItems(m_pDlg->m_hTasks);
}

std::vector<std::string> CProgressFixture::Errors()
{
    if (m_bEnded)
        return m_errorsAtEnd;
    std::vector<std::string> lines;
    HWND hList = m_pDlg->m_hErrors;
    const int nCount = (int)::SendMessageA(hList, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < nCount; ++i)
    {
        std::string line((size_t)::SendMessageA(hList, LB_GETTEXTLEN, i, 0) + 1, '\0');
        ::SendMessageA(hList, LB_GETTEXT, i, (LPARAM)&line[0]);
        line.resize(strlen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

std::vector<CProgressFixture::Received> CProgressFixture::SmtpReceived()
{
    const std::string spool = PeerFolder() + "smtp\\spool\\";
    std::vector<std::string> names = ListFiles(spool);
    std::sort(names.begin(), names.end());
    std::vector<Received> received;
    for (const std::string& name : names)
    {
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".eml") != 0 ||
            std::find(m_spoolBefore.begin(), m_spoolBefore.end(), name) != m_spoolBefore.end())
            continue;
        const std::string stem = name.substr(0, name.size() - 4);
        received.push_back({ReadWholeFile(spool + name), ReadWholeFile(spool + stem + ".parsed")});
    }
    return received;
}

std::vector<std::string> MailboxSubjects(const std::string& mailbox)
{
    std::vector<std::string> subjects;
    for (const char* sub : {"cur\\", "new\\"})
    {
        for (const std::string& name : ListFiles(mailbox + sub))
        {
            const std::string text = ReadWholeFile(mailbox + sub + name);
            const size_t nPos = text.find("Subject: ") + 9;
            subjects.push_back(text.substr(nPos, text.find("\r\n", nPos) - nPos));
        }
    }
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

std::string PeerMessage(const std::string& strSubject, const char* pszFrom)
{
    return std::string("From: ") + pszFrom + "\r\nTo: tester@example.org\r\nSubject: " + strSubject +
           "\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\nMessage-ID: <" + strSubject +
           "@example.net>\r\n\r\nBody of " + strSubject + ".\r\n";
}

CPop3Proxy::CPop3Proxy(Fault fault, int nMessage)
    : m_fault(fault), m_nMessage(nMessage), m_hListen(INVALID_SOCKET), m_nPort(0), m_hThread(NULL),
      m_nConnections(0), m_bStop(0)
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    m_hListen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(m_hListen, (sockaddr*)&address, sizeof(address));
    int nLength = sizeof(address);
    getsockname(m_hListen, (sockaddr*)&address, &nLength);
    m_nPort = ntohs(address.sin_port);
    listen(m_hListen, 5);
    m_hThread = ::CreateThread(NULL, 0, AcceptProc, this, 0, NULL);
}

CPop3Proxy::~CPop3Proxy()
{
    m_bStop = 1;
    closesocket(m_hListen);
    ::WaitForSingleObject(m_hThread, 10000);
    ::CloseHandle(m_hThread);
    std::lock_guard<std::mutex> guard(m_lock);
    for (HANDLE hRelay : m_relays)
    {
        ::WaitForSingleObject(hRelay, 10000);
        ::CloseHandle(hRelay);
    }
    WSACleanup();
}

void CPop3Proxy::KillAt(HANDLE hProcess, const std::string& strLine, size_t nServerBytes, DWORD dwAfterMs)
{
    m_dwKillAfterMs = dwAfterMs;
    m_hVictim = hProcess;
    m_killLine = strLine;
    m_nKillAfterBytes = nServerBytes;
}

void CPop3Proxy::Kill()
{
    if (m_hVictim != NULL && ::InterlockedExchange(&m_bKilled, 1) == 0)
    {
        ::TerminateProcess(m_hVictim, 9);
        ::WaitForSingleObject(m_hVictim, 30000);
    }
}

namespace
{
struct CRelay
{
    CPop3Proxy* pProxy;
    CPop3Proxy::Fault fault;
    int nMessage; // 0: no fault on this connection
    SOCKET hClient;
};
} // namespace

DWORD WINAPI CPop3Proxy::AcceptProc(void* pParam)
{
    CPop3Proxy* pThis = static_cast<CPop3Proxy*>(pParam);
    while (!pThis->m_bStop)
    {
        SOCKET hClient = accept(pThis->m_hListen, NULL, NULL);
        if (hClient == INVALID_SOCKET)
            break;
        const bool bFirst = ::InterlockedIncrement(&pThis->m_nConnections) == 1;
        CRelay* pRelay = new CRelay{pThis, pThis->m_fault, bFirst ? pThis->m_nMessage : 0, hClient};
        if (bFirst && pThis->m_fault == FAULT_KILL)
            pRelay->nMessage = -1;
        std::lock_guard<std::mutex> guard(pThis->m_lock);
        pThis->m_relays.push_back(::CreateThread(NULL, 0, RelayProc, pRelay, 0, NULL));
    }
    return 0;
}

DWORD WINAPI CPop3Proxy::RelayProc(void* pParam)
{
    std::unique_ptr<CRelay> pRelay(static_cast<CRelay*>(pParam));
    CPop3Proxy* pProxy = pRelay->pProxy;
    SOCKET hServer = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    address.sin_port = htons((u_short)PeerPort("ORB_POP3_PORT"));
    if (connect(hServer, (sockaddr*)&address, sizeof(address)) != 0)
    {
        closesocket(hServer);
        closesocket(pRelay->hClient);
        return 0;
    }
    const bool bKill = pRelay->fault == FAULT_KILL && pRelay->nMessage != 0;
    const std::string faultLine = "RETR " + std::to_string(pRelay->nMessage) + "\r\n";
    std::string fromClient;
    char buffer[16384];
    size_t nFromServer = 0;
    // FAULT_CUT_MIDWAY: the RETR went on; its reply is cut short.
    bool bCutReply = false;
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(pRelay->hClient, &readable);
        FD_SET(hServer, &readable);
        timeval wait = {};
        const bool bTimed = bKill && pProxy->m_dwKillAfterMs != 0;
        if (bTimed)
        {
            const DWORD dwGone = ::GetTickCount() - dwStart;
            const DWORD dwLeft = dwGone < pProxy->m_dwKillAfterMs ? pProxy->m_dwKillAfterMs - dwGone : 0;
            wait.tv_sec = dwLeft / 1000;
            wait.tv_usec = (dwLeft % 1000) * 1000;
        }
        const int nReady = select(0, &readable, NULL, NULL, bTimed ? &wait : NULL);
        if (nReady == 0 && bTimed)
        {
            pProxy->Kill();
            break;
        }
        if (nReady <= 0)
            break;
        if (FD_ISSET(hServer, &readable))
        {
            int nCount = recv(hServer, buffer, sizeof(buffer), 0);
            if (nCount <= 0)
                break;
            if (bKill && pProxy->m_nKillAfterBytes != 0 && nFromServer + nCount >= pProxy->m_nKillAfterBytes)
            {
                // Up to the chosen byte, then the process goes.
                send(pRelay->hClient, buffer, (int)(pProxy->m_nKillAfterBytes - nFromServer), 0);
                pProxy->Kill();
                break;
            }
            nFromServer += nCount;
            if (bCutReply)
                nCount = (std::min)(nCount, 40);
            if (send(pRelay->hClient, buffer, nCount, 0) != nCount || bCutReply)
                break;
        }
        if (FD_ISSET(pRelay->hClient, &readable))
        {
            const int nCount = recv(pRelay->hClient, buffer, sizeof(buffer), 0);
            if (nCount <= 0)
                break;
            fromClient.append(buffer, nCount);
            // Whole command lines only, so that the one to break is seen before it goes on.
            size_t nEnd;
            bool bCut = false;
            while ((nEnd = fromClient.find("\r\n")) != std::string::npos)
            {
                const std::string line = fromClient.substr(0, nEnd + 2);
                fromClient.erase(0, nEnd + 2);
                if (bKill && line == pProxy->m_killLine)
                {
                    pProxy->Kill();
                    bCut = true;
                    break;
                }
                if (!bKill && pRelay->nMessage != 0 && line == faultLine)
                {
                    if (pRelay->fault == FAULT_CUT)
                    {
                        bCut = true;
                        break;
                    }
                    if (pRelay->fault == FAULT_REFUSE)
                    {
                        const char kRefusal[] = "-ERR message is unavailable\r\n";
                        send(pRelay->hClient, kRefusal, sizeof(kRefusal) - 1, 0);
                        continue;
                    }
                    bCutReply = true;
                }
                send(hServer, line.data(), (int)line.size(), 0);
            }
            if (bCut)
                break;
        }
    }
    closesocket(hServer);
    closesocket(pRelay->hClient);
    return 0;
}

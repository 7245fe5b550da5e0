// What the tests of the send-and-receive run share: a database holder on fresh files, accounts and Outbox
// messages, a recording owner window, the progress window on a thread of its own, and a POP3 proxy that
// breaks one chosen RETR.
#pragma once

#include <winsock.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "TransportTestSupport.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "transport/DlgProgress.h"

extern CAppModule _Module;

// A main window stand-in: answers the run-state event and thread questions, records every command.
class CRecordingOwner
{
public:
    struct Command
    {
        WORD nID;
        LPARAM lParam;
        std::string strText; // ID_SET_STATUSBAR_2
        // ID_UPDATE_MESSAGE_FLAGS: the message-change values as the command found them.
        LONG nNoticeFolder = 0, nNoticeMessage = 0, nNoticeDelta = 0, nNoticeKind = 0;
    };
    CRecordingOwner();
    ~CRecordingOwner();
    HWND Window() const { return m_hWnd; }
    std::vector<Command> Commands() const;
    bool Has(WORD nID, Command* pFound = NULL) const;
    HANDLE m_hRunState;
    CRecordingThread m_Manager;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    CUiThread m_thread;
    HWND m_hWnd;
    mutable std::mutex m_lock;
    std::vector<Command> m_commands;
};

struct CTestAccount
{
    const char* pszName;    // DisplayName; also the address "<name>@example.org"
    const char* pszUser;    // POP3 and SMTP log-on name
    const char* pszPassword;
    LONG nFlags;
    UINT nPop3Port;         // 0: the dovecot peer
    UINT nSmtpPort;         // 0: the aiosmtpd peer
};

class CProgressFixture : public ::testing::Test
{
public:
    void SetUp() override;
    void TearDown() override;

    CSession* Local() { return &m_pDatabase->m_Local.m_session; }
    // Where the Accounts, Options and DeletedMessages tables are: the accounts file on the default
    // configuration, else the local one.
    CSession* AccountsSession() { return AccountsSessionFor(Local()); }
    // A fresh fixture on new files, for a table of cases.
    void Restart();
    // Each hand-over of a stored message waits for the gate, which lets the first one through at once: the
    // worker is then held at the second message, so a test acts at a known point of the run.
    void UseGate();
    LONG AddAccount(const CTestAccount& account);
    // Stores an outgoing message of the account in the Outbox with its recipient rows; returns its ID.
    LONG AddOutgoing(const char* pszAccount, const std::string& strHeaderTo, const std::string& strCc,
                     const std::string& strBcc, const char* pszSubject, const std::string& strBody = "Hello.\r\n",
                     LONG nFlags = 0);
    LONG FolderOf(LONG nEmailID);
    LONG CountIn(LONG nFolderType);
    std::vector<std::string> SubjectsIn(LONG nFolderType);
    long Query(const char* pszSQL) { return QueryLong(*Local(), pszSQL); }
    // The messages in the account's Inbox, by subject, sorted; a message stored twice is there twice.
    std::vector<std::string> InboxSubjects() { return SubjectsIn(FOLDER_INBOX); }

    // Runs the window until it has ended: by itself, or closed by the user after a run with errors.
    bool RunToEnd(LONG nAccount, int nMode, bool bOwner = true);
    // Starts the window; the test drives it and ends it.
    HWND Start(LONG nAccount, int nMode, bool bOwner = true);
    bool WaitForEnd(DWORD dwTimeoutMs = 120000);
    std::vector<std::vector<std::string>> Tasks();
    std::vector<std::string> Errors();

    // Messages the SMTP peer received since the test began: the file name's text and the parsed lines.
    struct Received
    {
        std::string text;
        std::string parsed;
    };
    std::vector<Received> SmtpReceived();

    CScratchFolder m_folder{"progress"};
    // Set before SetUp: the configuration that ./run starts with, the accounts in a database file of their
    // own and every switch as the settings load leaves it; otherwise all tables share the local file.
    bool m_bDefaultConfiguration = false;
    // Answers the database dialogs and any message box a test does not expect (and records it).
    std::unique_ptr<CScriptedUser> m_pUser;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    std::unique_ptr<CRecordingOwner> m_pOwner;
    std::unique_ptr<CDlgProgress> m_pDlg;
    std::unique_ptr<CUiThread> m_pUi;
    std::vector<std::string> m_spoolBefore;
    std::vector<std::string> m_reports;
    int m_nSaved[3] = {};
    HANDLE m_hGate = NULL;
    bool m_bEnded = false;
    bool m_bVisibleAtEnd = false;
    std::vector<std::vector<std::string>> m_tasksAtEnd;
    std::vector<std::string> m_errorsAtEnd;

public:
    static CProgressFixture* s_pCurrent;
};

// A POP3 proxy in front of the dovecot peer. On its first connection it breaks the RETR of one message:
// it drops the connection before the reply or inside the message, or it answers "-ERR"; or it kills a
// process at a chosen point and drops the connection. Later connections pass unchanged.
class CPop3Proxy
{
public:
    enum Fault
    {
        FAULT_CUT,
        FAULT_CUT_MIDWAY,
        FAULT_REFUSE,
        FAULT_KILL
    };
    CPop3Proxy(Fault fault, int nMessage);
    ~CPop3Proxy();
    UINT Port() const { return m_nPort; }
    // FAULT_KILL: the process is terminated when the client sends that command line (before it reaches the
    // server), once that many bytes have come from the server, or that many milliseconds after it connected,
    // whichever is first; 0 and "" never.
    void KillAt(HANDLE hProcess, const std::string& strLine, size_t nServerBytes, DWORD dwAfterMs = 0);
    bool Killed() const { return m_bKilled != 0; }

private:
    static DWORD WINAPI AcceptProc(void* pParam);
    static DWORD WINAPI RelayProc(void* pParam);
    void Kill();
    Fault m_fault;
    int m_nMessage;
    SOCKET m_hListen;
    UINT m_nPort;
    HANDLE m_hThread;
    volatile LONG m_nConnections;
    volatile LONG m_bStop;
    std::vector<HANDLE> m_relays;
    std::mutex m_lock;
    HANDLE m_hVictim = NULL;
    std::string m_killLine;
    size_t m_nKillAfterBytes = 0;
    DWORD m_dwKillAfterMs = 0;
    volatile LONG m_bKilled = 0;
};

// The environment of the killed run (DlgProgressKilledRun): its database folder, and whether it runs on the
// default configuration.
extern const char kKilledRunFolder[];
extern const char kKilledRunDefault[];
// This test program again, running only the killed run on the fixture's files; started suspended.
PROCESS_INFORMATION StartKilledRun(const CString& strFolder, bool bDefaultConfiguration);

// A loopback port on which nothing listens.
UINT DeadPort();

// The subjects of the messages in a peer mailbox (cur and new), sorted.
std::vector<std::string> MailboxSubjects(const std::string& mailbox);

// A message of the POP3 peer's mailbox with a subject of its own.
std::string PeerMessage(const std::string& strSubject, const char* pszFrom = "sender@example.net");

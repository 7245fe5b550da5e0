// The receive worker against the dovecot peer: what is stored, what leaves the server and when, the
// leave-on-server bookkeeping, the logon dialog, forwarding, and that no path loses a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "ProgressTestSupport.h"
#include "app/ManagerCommands.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"
#include "store/MessageRuleSet.h"
#include "store/TableSchema.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
class DlgProgressReceiveTest : public CProgressFixture
{
protected:
    // Five messages "m1" to "m5" in the tester's mailbox, delivered in order.
    std::string FillTester(int nCount = 5)
    {
        const std::string mailbox = EmptyPeerMailbox("tester");
        for (int i = 1; i <= nCount; ++i)
        {
            const std::string name = "m" + std::to_string(i);
            EXPECT_TRUE(DeliverToMailbox(mailbox, std::to_string(1000 + i) + "." + name, PeerMessage(name)));
        }
        return mailbox;
    }
    // The subjects of the messages still in the mailbox, sorted.
    static std::vector<std::string> OnServer(const std::string& mailbox) { return MailboxSubjects(mailbox); }
    void AddDeleted(LONG nAccountID, const char* pszUniqueID)
    {
        CDeletedMessagesTable table(Local());
        table.Find(NULL, nAccountID, NULL);
        table.Clear();
        strcpy(table.m_UniqueID, pszUniqueID);
        table.m_AccountID = nAccountID;
        ASSERT_EQ(S_OK, table.Insert(0));
    }
};

typedef std::vector<std::string> Subjects;

TEST_F(DlgProgressReceiveTest, NewMessagesAreStoredInTheInboxAndLeaveTheServer)
{
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = FillTester();
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(Subjects({"m1", "m2", "m3", "m4", "m5"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_TRUE(OnServer(mailbox).empty());
    EXPECT_EQ(5, Query("SELECT COUNT(*) FROM Emails WHERE AccountID > 0"));
}

TEST_F(DlgProgressReceiveTest, ACopyLeftOnTheServerIsNotFetchedAgain)
{
    AddAccount({"Alpha", "tester", "secret", 0x4 | 0x8, 0, 0});
    const std::string mailbox = FillTester(3);
    ASSERT_TRUE(RunToEnd(0, 0));
    m_bEnded = false;
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(Subjects({"m1", "m2", "m3"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_EQ(Subjects({"m1", "m2", "m3"}), OnServer(mailbox));
}

TEST_F(DlgProgressReceiveTest, AMessageDeletedLocallyIsNotFetchedAgainAndGoesWhenTheAccountSaysSo)
{
    struct Case
    {
        LONG nFlags;
        Subjects server;
    };
    const Case cases[] = {
        {0x4 | 0x8, {"m1", "m2", "m3"}},
        {0x4 | 0x8 | 0x10, {"m1", "m3"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nFlags);
        Restart();
        const LONG nAccount = AddAccount({"Alpha", "tester", "secret", c.nFlags, 0, 0});
        const std::string mailbox = FillTester(3);
        ASSERT_TRUE(RunToEnd(0, 0));
        // The user deletes m2 for good: its row goes, a bookkeeping row keeps its identifier.
        CString strUniqueID;
        {
            CEmailsImpl<> store(Local());
            const long nID = Query("SELECT EmailsID FROM Emails WHERE Subject = 'm2'");
            store.SelectByID(nID, NULL);
            strUniqueID = store.m_UniqueID;
        }
        ASSERT_FALSE(strUniqueID.IsEmpty());
        const long nDeleted = Query("SELECT EmailsID FROM Emails WHERE Subject = 'm2'");
        CString strSQL;
        strSQL.Format("DELETE FROM Address WHERE EmailID = %ld", nDeleted);
        ASSERT_TRUE(Execute(*Local(), strSQL));
        strSQL.Format("DELETE FROM Emails WHERE EmailsID = %ld", nDeleted);
        ASSERT_TRUE(Execute(*Local(), strSQL));
        AddDeleted(nAccount, strUniqueID);
        m_bEnded = false;
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(Subjects({"m1", "m3"}), SubjectsIn(FOLDER_INBOX));
        EXPECT_EQ(c.server, OnServer(mailbox));
    }
}

TEST_F(DlgProgressReceiveTest, ALeftoverBookkeepingRowBlocksNothingWithoutIdentifiers)
{
    const LONG nAccount = AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    AddDeleted(nAccount, "");
    AddDeleted(nAccount, "some-old-identifier");
    const std::string mailbox = FillTester(3);
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(Subjects({"m1", "m2", "m3"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_TRUE(OnServer(mailbox).empty());
}

TEST_F(DlgProgressReceiveTest, TheStartMessageNumberSkipsTheFirstMessages)
{
    m_pRegistry->WriteProfileInt("Options", "Start Receive Message Number", 3);
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = FillTester(5);
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(Subjects({"m4", "m5"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_EQ(Subjects({"m1", "m2", "m3"}), OnServer(mailbox));
}

TEST_F(DlgProgressReceiveTest, ARefusedPasswordOpensTheLogonDialog)
{
    struct Case
    {
        bool bAnswer; // true: the right password is typed and OK pressed; false: Cancel
        const char* pszStatus;
    };
    const Case cases[] = {{false, "Failed"}, {true, "Completed"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.bAnswer);
        Restart();
        AddAccount({"Alpha", "tester", "wrong", 0x4, 0, 0});
        const std::string mailbox = FillTester(2);
        HWND hWnd = Start(0, 0);
        ASSERT_TRUE(hWnd != NULL);
        ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_dwWorkerThreadId != 0; }));
        HWND hLogon = CDialogResponder::FindDialog(m_pDlg->m_dwWorkerThreadId, "Logon", 60000);
        ASSERT_TRUE(hLogon != NULL);
        EXPECT_EQ("127.0.0.1", CDialogResponder::ItemText(hLogon, IDC_LOGON_SERVER));
        EXPECT_EQ("tester", CDialogResponder::ItemText(hLogon, IDC_LOGON_USER));
        if (c.bAnswer)
        {
            SaveWindowScreenshot(hLogon, "logon-dialog");
            CDialogResponder::SetField(hLogon, IDC_LOGON_PASSWORD, "secret");
            CDialogResponder::Press(hLogon, IDOK);
        }
        else
            CDialogResponder::Press(hLogon, IDCANCEL);
        ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
        // A failed run stays open for the user, who closes it; a good one closes by itself.
        if (!c.bAnswer)
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitForEnd());
        ASSERT_EQ(1u, Tasks().size());
        EXPECT_EQ(c.pszStatus, Tasks()[0][1]);
        EXPECT_EQ(c.bAnswer ? 2 : 0, CountIn(FOLDER_INBOX));
        // A password typed for the run is not kept.
        EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Accounts WHERE Pass = 'wrong'"));
    }
}

// Stores one rule: conditions and actions as (Type, Flags, values).
struct StoredCondition
{
    BYTE nType;
    LONG nFlags;
    std::vector<std::string> values;
};

void StoreRule(CSession* pSession, const char* pszName, LONG nFlags, const std::vector<StoredCondition>& items)
{
    CMessageRuleSet rules(pSession);
    rules.Load(NULL);
    CMessageRule* pRule = rules.AddRule();
    strcpy(pRule->m_Name, pszName);
    pRule->m_Flags = nFlags;
    for (const StoredCondition& item : items)
    {
        std::unique_ptr<CRuleCondition> pItem(new CRuleCondition(item.nType, item.nFlags));
        for (const std::string& value : item.values)
            pItem->AddValue(value.c_str());
        (IsActionType(item.nType) ? pRule->m_Actions : pRule->m_Conditions).push_back(std::move(pItem));
    }
    ASSERT_EQ(1, rules.Save(NULL));
}

TEST_F(DlgProgressReceiveTest, AForwardGoesFromTheReceivingAccountToTheForwardAddressesOnly)
{
    // The rule's folder is deleted after the rule was saved: the message is still filed, into the Inbox.
    CFolders folders(Local());
    folders.InsertFolder(NULL, 0, "Gone", FOLDER_COMPANY);
    const LONG nGone = folders.m_ID;
    StoreRule(Local(), "Forward", RULE_ENABLED,
              {{RULE_SUBJECT, CONDITION_CONTAINS, {"forward me"}},
               {RULE_MOVE, 1, {std::to_string(nGone)}},
               {RULE_FORWARD, 1, {"fwd1@example.com; fwd2@example.com"}}});
    folders.Close();
    ASSERT_EQ(S_OK, ExecuteOnSession(Local(), ("DELETE FROM Folders WHERE ID = " + std::to_string(nGone)).c_str()));
    AddAccount({"Alpha", "tester", "secret", 0x4 | 0x1, 0, 0});
    const std::string mailbox = EmptyPeerMailbox("tester");
    ASSERT_TRUE(DeliverToMailbox(mailbox, "1.fw",
                                 "From: sender@example.net\r\nTo: tester@example.org,\r\n\tsomeone@example.org\r\n"
                                 "Cc: copy@example.net\r\nReply-To: reply@example.net\r\nSubject: forward me\r\n\r\n"
                                 "Text.\r\n"));
    ASSERT_TRUE(DeliverToMailbox(mailbox, "2.fw",
                                 "From: sender@example.net\r\nTo: tester@example.org\r\nSubject: forward me too\r\n"
                                 "\r\nText.\r\n"));
    {
        CMessageBoxRecorder boxes({IDOK, IDOK});
        ASSERT_TRUE(RunToEnd(0, 0));
        // The missing folder is reported once for the run, not once per message.
        EXPECT_EQ(Subjects({"The message rules values is missing or incomplete."}),
                  Subjects(CMessageBoxRecorder::s_Texts));
    }
    std::vector<CRecordingOwner::Command> commands = m_pOwner->Commands();
    EXPECT_EQ(1, std::count_if(commands.begin(), commands.end(),
                               [](const CRecordingOwner::Command& c) { return c.nID == 32055; }));
    EXPECT_EQ(Subjects({"forward me", "forward me too"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_EQ(Subjects({"forward me", "forward me too"}), SubjectsIn(FOLDER_OUTBOX));
    EXPECT_TRUE(SmtpReceived().empty());
    // The next run sends them.
    m_bEnded = false;
    ASSERT_TRUE(RunToEnd(0, 0));
    const std::vector<Received> received = SmtpReceived();
    ASSERT_EQ(2u, received.size());
    for (const Received& r : received)
    {
        EXPECT_NE(std::string::npos, r.text.find("X-Envelope-From: Alpha@example.org\r\n"));
        EXPECT_NE(std::string::npos, r.text.find("X-Envelope-To: fwd1@example.com,fwd2@example.com\r\n"));
        EXPECT_NE(std::string::npos, r.text.find("\r\nTo: fwd1@example.com, fwd2@example.com\r\n"));
    }
    EXPECT_NE(std::string::npos, received[0].text.find("\r\nReply-To: reply@example.net\r\n") +
                                     received[1].text.find("\r\nReply-To: reply@example.net\r\n") + 1);
    EXPECT_EQ(0, CountIn(FOLDER_OUTBOX));
}

TEST_F(DlgProgressReceiveTest, StoredRulesFileEachMessageWhereItsRuleSays)
{
    CFolders folders(Local());
    folders.InsertFolder(NULL, 0, "Lists", FOLDER_COMPANY);
    const LONG nLists = folders.m_ID;
    folders.InsertFolder(NULL, 0, "Archive", FOLDER_COMPANY);
    const LONG nArchive = folders.m_ID;
    folders.Close();
    // Chain order: the first rule fires for m1 and hides m1 from the later ones.
    StoreRule(Local(), "Lists", RULE_ENABLED,
              {{RULE_FROM, CONDITION_CONTAINS | CONDITION_ANY_VALUE, {"LIST@EXAMPLE.NET", "other@example.net"}},
               {RULE_MOVE, 1, {std::to_string(nLists)}}});
    StoreRule(Local(), "Keep a copy", RULE_ENABLED | RULE_ANY_CONDITION,
              {{RULE_SUBJECT, CONDITION_CONTAINS, {"m2"}},
               {RULE_BODY, CONDITION_CONTAINS, {"Body of m1"}},
               {RULE_COPY, 1, {std::to_string(nArchive)}}});
    StoreRule(Local(), "Bin", RULE_ENABLED,
              {{RULE_SUBJECT, CONDITION_CONTAINS, {"m3"}},
               {RULE_MOVE, 1, {std::to_string(nLists)}},
               {RULE_DELETE, 1, {}}});
    StoreRule(Local(), "Disabled", 0, {{RULE_SUBJECT, CONDITION_CONTAINS, {"m"}}, {RULE_DELETE, 1, {}}});
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = EmptyPeerMailbox("tester");
    ASSERT_TRUE(DeliverToMailbox(mailbox, "1.m1", PeerMessage("m1", "List <list@example.net>")));
    for (const char* pszName : {"m2", "m3", "m4"})
        ASSERT_TRUE(DeliverToMailbox(mailbox, std::string("1.") + pszName, PeerMessage(pszName)));
    CMessageBoxRecorder boxes({});
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_TRUE(CMessageBoxRecorder::s_Texts.empty());
    auto subjectsOf = [&](LONG nFolderID) {
        std::vector<std::string> subjects;
        for (const char* pszName : {"m1", "m2", "m3", "m4"})
            if (Query(("SELECT COUNT(*) FROM Emails WHERE FolderID = " + std::to_string(nFolderID) +
                       " AND Subject = '" + pszName + "'")
                          .c_str()) == 1)
                subjects.push_back(pszName);
        return subjects;
    };
    EXPECT_EQ(Subjects({"m1"}), subjectsOf(nLists));
    EXPECT_EQ(Subjects({"m2"}), subjectsOf(nArchive));
    EXPECT_EQ(Subjects({"m2", "m4"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_EQ(Subjects({"m3"}), SubjectsIn(FOLDER_DELETED_ITEMS));
    EXPECT_TRUE(OnServer(mailbox).empty());
}

TEST_F(DlgProgressReceiveTest, NoPathLosesAMessageWhenOneRetrieveBreaks)
{
    struct Case
    {
        CPop3Proxy::Fault fault;
        const char* pszName;
    };
    const Case cases[] = {{CPop3Proxy::FAULT_REFUSE, "-ERR"},
                          {CPop3Proxy::FAULT_CUT, "cut before the reply"},
                          {CPop3Proxy::FAULT_CUT_MIDWAY, "cut inside the message"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        Restart();
        CPop3Proxy proxy(c.fault, 3);
        AddAccount({"Alpha", "tester", "secret", 0x4, proxy.Port(), 0});
        const std::string mailbox = FillTester(5);
        CMessageBoxRecorder boxes({IDYES});
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(Subjects({"m1", "m2", "m4", "m5"}), SubjectsIn(FOLDER_INBOX));
        EXPECT_EQ(Subjects({"m3"}), OnServer(mailbox));
        EXPECT_TRUE(Errors().empty());
        // A cut before any reply is an empty reply, which asks without a report.
        if (c.fault != CPop3Proxy::FAULT_CUT)
        {
            ASSERT_EQ(1u, m_reports.size());
            EXPECT_NE(std::string::npos, m_reports[0].find("Message number: 3.")) << m_reports[0];
        }
        else
        {
            EXPECT_TRUE(m_reports.empty());
        }
        EXPECT_EQ(Subjects({"Do you want to continue?"}), Subjects(CMessageBoxRecorder::s_Texts));
    }
}

TEST_F(DlgProgressReceiveTest, NoToContinueFailsTheAccountWithTheError)
{
    CPop3Proxy proxy(CPop3Proxy::FAULT_REFUSE, 2);
    AddAccount({"Alpha", "tester", "secret", 0x4, proxy.Port(), 0});
    const std::string mailbox = FillTester(3);
    CMessageBoxRecorder boxes({IDNO});
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    ASSERT_EQ(1u, Tasks().size());
    EXPECT_EQ("Failed", Tasks()[0][1]);
    ASSERT_EQ(1u, Errors().size());
    EXPECT_NE(std::string::npos, Errors()[0].find("-ERR message is unavailable")) << Errors()[0];
    // What was stored before has left the server; the rest is still there.
    EXPECT_EQ(Subjects({"m1"}), SubjectsIn(FOLDER_INBOX));
    EXPECT_EQ(Subjects({"m2", "m3"}), OnServer(mailbox));
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
}

// Not a test of its own: the process that the kill-point tests start and kill. It runs the send-and-receive
// run on the parent's database files until it ends or is killed.
TEST(DlgProgressKilledRun, DISABLED_RunOnTheParentsFiles)
{
    char szFolder[MAX_PATH] = {};
    if (::GetEnvironmentVariableA(kKilledRunFolder, szFolder, MAX_PATH) == 0)
        GTEST_SKIP();
    const bool bDefault = ::GetEnvironmentVariableA(kKilledRunDefault, NULL, 0) != 0;
    CScriptedUser user;
    CRegistry registry("LetrovaProgressTests");
    g_bUseMyDatabase = bDefault ? 1 : 0;
    g_bConnectToOrb = bDefault ? 1 : 0;
    g_bPrivateContacts = 0;
    registry.m_strLocalDatabase = CString(szFolder) + "email.mdb";
    registry.m_strOrbDatabase = CString(szFolder) + "Orb.mdb";
    registry.m_strAccountsDatabase = CString(szFolder) + "Accounts.mdb";
    CDatabaseMy database(&registry);
    database.OpenAll();
    ASSERT_TRUE(database.m_Local.IsOpen());
    std::unique_ptr<CDlgProgress> pDlg;
    CUiThread ui(_Module);
    HWND hWnd = ui.Start([&] {
        pDlg.reset(new CDlgProgress(&database, 0, NULL, 0, 0));
        return pDlg->Create(NULL);
    });
    ASSERT_TRUE(hWnd != NULL);
    ui.WaitForExit(120000);
}

// A run killed at any point leaves each message stored, on the server, or both; the next whole run then
// brings the rest, and with a copy left on the server it stores nothing twice.
TEST_F(DlgProgressReceiveTest, ARunKilledAtAnyPointLosesNoMessage)
{
    std::mt19937 random(::GetTickCount());
    const size_t nRandomByte = 1 + random() % 1000;
    const DWORD dwRandomMs = 1 + random() % 300;
    struct Case
    {
        const char* pszName;
        LONG nFlags;
        const char* pszLine; // the command the process dies before
        size_t nServerBytes; // or the byte from the server it dies at
        DWORD dwAfterMs;     // or a moment after it connected
    };
    const Case cases[] = {
        {"after the second store, before its DELE", 0x4, "DELE 2\r\n", 0, 0},
        {"after two DELEs, before the next RETR", 0x4, "RETR 3\r\n", 0, 0},
        {"after every DELE, before QUIT", 0x4, "QUIT\r\n", 0, 0},
        {"a copy left on the server, before QUIT", 0x4 | 0x8, "QUIT\r\n", 0, 0},
        {"a copy left on the server, before the third RETR", 0x4 | 0x8, "RETR 3\r\n", 0, 0},
        {"at a random byte from the server", 0x4, "", nRandomByte, 0},
        {"at a random moment", 0x4, "", 0, dwRandomMs},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.pszName) + " (byte " + std::to_string(c.nServerBytes) + ", " +
                     std::to_string(c.dwAfterMs) + " ms)");
        Restart();
        CPop3Proxy proxy(CPop3Proxy::FAULT_KILL, 0);
        const LONG nAccount = AddAccount({"Alpha", "tester", "secret", c.nFlags, proxy.Port(), 0});
        const std::string mailbox = FillTester(5);
        // The child has the files to itself until it has gone.
        m_pDatabase.reset();
        PROCESS_INFORMATION pi = StartKilledRun(m_folder.m_strPath, false);
        ASSERT_TRUE(pi.hProcess != NULL);
        proxy.KillAt(pi.hProcess, c.pszLine, c.nServerBytes, c.dwAfterMs);
        ::ResumeThread(pi.hThread);
        const bool bEnded = ::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
        if (!bEnded)
            ::TerminateProcess(pi.hProcess, 9);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
        ASSERT_TRUE(bEnded);
        // A moment after the whole run may find the process gone already.
        if (c.dwAfterMs == 0)
        {
            EXPECT_TRUE(proxy.Killed());
        }

        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        ASSERT_TRUE(m_pDatabase->m_Local.IsOpen());
        const Subjects killed = SubjectsIn(FOLDER_INBOX);
        const Subjects left = OnServer(mailbox);
        std::set<std::string> either(killed.begin(), killed.end());
        either.insert(left.begin(), left.end());
        EXPECT_EQ(5u, either.size());

        CString strSQL;
        strSQL.Format("UPDATE Accounts SET IncomingPort = %u WHERE ID = %ld", PeerPort("ORB_POP3_PORT"),
                      (long)nAccount);
        ASSERT_TRUE(Execute(*Local(), strSQL));
        ASSERT_TRUE(RunToEnd(0, 0));
        const Subjects stored = SubjectsIn(FOLDER_INBOX);
        EXPECT_EQ(5u, std::set<std::string>(stored.begin(), stored.end()).size());
        if (c.nFlags & 0x8)
        {
            EXPECT_EQ(Subjects({"m1", "m2", "m3", "m4", "m5"}), stored);
            EXPECT_EQ(Subjects({"m1", "m2", "m3", "m4", "m5"}), OnServer(mailbox));
        }
        else
        {
            EXPECT_TRUE(OnServer(mailbox).empty());
        }
    }
}

TEST_F(DlgProgressReceiveTest, StopAfterSomeStoresLeavesEveryStoredMessageOffTheServer)
{
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = FillTester(12);
    UseGate();
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(m_pOwner->m_Manager.WaitForCommand(ID_ADD_MESSAGE_TO_CONTROL));
    ::PostMessageA(hWnd, WM_COMMAND, IDC_PROGRESS_STOP, 0);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    const Subjects stored = SubjectsIn(FOLDER_INBOX);
    const Subjects server = OnServer(mailbox);
    EXPECT_GE(stored.size(), 1u);
    EXPECT_LT(stored.size(), 12u);
    std::set<std::string> all(stored.begin(), stored.end());
    all.insert(server.begin(), server.end());
    EXPECT_EQ(12u, all.size());
    EXPECT_EQ(12u, stored.size() + server.size());
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
}

std::string s_debugOutput;
void RecordDebugOutput(const char* pszText)
{
    s_debugOutput += pszText;
}

TEST_F(DlgProgressReceiveTest, ThePasswordIsInNoTraceDebuggerOutputOrReport)
{
    CPop3Proxy proxy(CPop3Proxy::FAULT_REFUSE, 1);
    AddAccount({"Alpha", "tester", "secret", 0x4, proxy.Port(), 0});
    FillTester(1);
    const CString strTrace = m_folder.Path("trace.log");
    WriteWholeFile((const char*)strTrace, "");
    g_pTraceFile = new CTraceFile(strTrace);
    g_bTraceOn = 1;
    s_debugOutput.clear();
    DebugOutputHook pfnPrevious = SetDebugOutputHook(RecordDebugOutput);
    CMessageBoxRecorder boxes({IDNO});
    HWND hWnd = Start(0, 0);
    ASSERT_TRUE(hWnd != NULL);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->m_bFinished != 0; }, 60000));
    ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitForEnd());
    SetDebugOutputHook(pfnPrevious);
    // The trace object stays for the other threads that write through it.
    ASSERT_TRUE(g_pTraceFile != NULL);
    delete g_pTraceFile;
    g_pTraceFile = NULL;
    g_bTraceOn = 0;
    const std::string trace = ReadWholeFile((const char*)strTrace);
    EXPECT_NE(std::string::npos, trace.find("RETR 1"));
    EXPECT_EQ(std::string::npos, trace.find("secret"));
    EXPECT_NE(std::string::npos, s_debugOutput.find("Password: ********"));
    EXPECT_EQ(std::string::npos, s_debugOutput.find("secret"));
    ASSERT_EQ(1u, m_reports.size());
    EXPECT_NE(std::string::npos, m_reports[0].find("\r\nPassword: '********'\r\n"));
    EXPECT_EQ(std::string::npos, m_reports[0].find("secret"));
}
} // namespace

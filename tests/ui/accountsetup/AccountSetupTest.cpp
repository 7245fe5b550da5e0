// A new account as a user sets it up: the main window's Tools, Accounts, Add, the wizard's pages typed, the
// ports set in its properties, then Send and Receive against the loopback POP3 and SMTP peers.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "TransportTestSupport.h"
#include "app/ManagerCommands.h"
#include "foundation/Registry.h"
#include "resources/resource.h"
#include "store/DatabaseMy.h"
#include "store/DeletedMessagesTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "transport/DlgProgress.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainFrame.h"
#include "ui/options/AccountCommands.h"

extern CAppModule _Module;

namespace
{
const char kSettingsApplication[] = "LetrovaAccountSetupTests";

std::string PeerMessage(int nIndex)
{
    return "From: Friend <friend@example.net>\r\nTo: second@example.org\r\nSubject: hello " +
           std::to_string(nIndex) + "\r\nDate: Mon, 7 Dec 2026 10:0" + std::to_string(nIndex) +
           ":00 +0000\r\nMessage-ID: <hello" + std::to_string(nIndex) +
           "@example.net>\r\n\r\nBody of message " + std::to_string(nIndex) + ".\r\n";
}

class AccountSetupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_nSaved[0] = g_bUseMyDatabase;
        m_nSaved[1] = g_bPrivateContacts;
        m_nSaved[2] = g_bConnectToOrb;
        g_bUseMyDatabase = 1;
        g_bPrivateContacts = 0;
        g_bConnectToOrb = 1;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
        m_pRegistry.reset(new CRegistry(kSettingsApplication));
        // Nothing leaves the machine but the run the test starts.
        m_pRegistry->WriteProfileInt("Options", "Check New Messages", 0);
        m_pRegistry->WriteProfileInt("Options", "Internet Update When Starting", 0);
        m_pRegistry->WriteProfileInt("Options", "Start Receive Message Number", 0);
        m_pRegistry->WriteProfileInt("Options", "Not log to Vorn Vedura", 1);
        for (const char* pszFile : {"Accounts.mdb", "email.mdb", "Orb.mdb"})
            CreateDatabaseFile(m_folder.Path(pszFile));
        m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
        m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
        m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
        m_pRegistry->WriteProfileString("Options", "Local Database File Name", m_folder.Path("email.mdb"));
        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        m_pDatabase->m_Local.m_Folders.EnsureTable(NULL);
        m_pDatabase->m_Local.m_Emails.EnsureTable(NULL);
        CFolders folders(Local());
        for (LONG nType : {FOLDER_INBOX, FOLDER_OUTBOX, FOLDER_SENT_ITEMS})
            folders.GetSystemFolder(nType, NULL);
        CDeletedMessagesTable::Create(Accounts(), NULL);
        m_spoolBefore = ListFiles(PeerFolder() + "smtp\\spool\\");
        CDlgProgress::s_hEventListHandOver = NULL;
        InstallAccountDialogs();

        m_hFrame = m_ui.Start(
            [this]() -> HWND
            {
                m_pFrame = new CMainFrame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId(), 0,
                                          &m_nThreadCount);
                RECT rc = {20, 20, 920, 660};
                HWND hWnd = m_pFrame->CreateEx(NULL, &rc);
                if (hWnd != NULL)
                    m_pFrame->ShowWindow(SW_SHOW);
                return hWnd;
            });
        ASSERT_NE((HWND)NULL, m_hFrame);
    }

    void TearDown() override
    {
        if (m_pFrame != NULL)
        {
            m_ui.Invoke(
                [this]
                {
                    if (m_pFrame->IsWindow())
                        m_pFrame->DestroyWindow();
                });
            m_ui.WaitForExit();
            delete m_pFrame;
        }
        m_pDatabase.reset();
        m_pRegistry.reset();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
        g_bUseMyDatabase = m_nSaved[0];
        g_bPrivateContacts = m_nSaved[1];
        g_bConnectToOrb = m_nSaved[2];
    }

    CSession* Local() { return &m_pDatabase->m_Local.m_session; }
    CSession* Accounts() { return &m_pDatabase->m_Accounts.m_session; }
    HWND FindDialog(const char* pszCaption)
    {
        return CDialogResponder::FindDialog(m_ui.ThreadId(), pszCaption);
    }
    static HWND WaitForPage(HWND hSheet, int nIndex)
    {
        auto active = [&] { return (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0); };
        WaitFor([&] { return ::SendMessageA(hSheet, PSM_HWNDTOINDEX, (WPARAM)active(), 0) == nIndex; });
        return active();
    }
    static void Next(HWND hSheet) { ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0); }
    static bool Gone(HWND hWnd)
    {
        return WaitFor([&] { return !::IsWindow(hWnd); });
    }

    // The subjects and texts of a folder's messages, in table order.
    std::vector<std::pair<std::string, std::string>> Messages(LONG nFolderType)
    {
        CFolders folders(Local());
        CEmailsImpl<> store(Local());
        store.OpenByFolder(folders.GetSystemFolder(nFolderType, NULL), NULL);
        std::vector<std::pair<std::string, std::string>> messages;
        while (store.MoveNext(0, 1) == S_OK)
            messages.push_back({store.m_Subject, (const char*)store.GetMessage()});
        return messages;
    }

    CScratchFolder m_folder{"account-setup"};
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_manager;
    CUiThread m_ui{_Module};
    CMainFrame* m_pFrame = NULL;
    HWND m_hFrame = NULL;
    volatile LONG m_nThreadCount = 1;
    std::vector<std::string> m_spoolBefore;
    int m_nSaved[3] = {};
};
} // namespace

TEST_F(AccountSetupTest, AnAccountMadeWithTheWizardSendsAndReceivesMail)
{
    const std::string strPop3Port = std::to_string(PeerPort("ORB_POP3_PORT"));
    const std::string strSmtpPort = std::to_string(PeerPort("ORB_SMTP_PORT"));
    ASSERT_NE("0", strPop3Port);
    ASSERT_NE("0", strSmtpPort);

    // Tools, Accounts, Add.
    ::PostMessageA(m_hFrame, WM_COMMAND, ID_TOOLS_ACCOUNTS, 0);
    HWND hAccounts = FindDialog("Internet Accounts");
    ASSERT_NE((HWND)NULL, hAccounts);
    CDialogResponder::Press(hAccounts, IDC_ACCOUNTS_ADD);
    HWND hWizard = FindDialog("Internet Connection Wizard");
    ASSERT_NE((HWND)NULL, hWizard);

    HWND hPage = WaitForPage(hWizard, 0);
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_DISPLAY_NAME, "Ann Second");
    Next(hWizard);
    hPage = WaitForPage(hWizard, 1);
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_EMAIL, "second@example.org");
    Next(hWizard);
    hPage = WaitForPage(hWizard, 2);
    EXPECT_EQ("POP3", WindowText(::GetDlgItem(hPage, IDC_ACCOUNT_SERVER_TYPE)));
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_INCOMING, "127.0.0.1");
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_OUTGOING, "127.0.0.1");
    Next(hWizard);
    hPage = WaitForPage(hWizard, 3);
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_USER, "second");
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_PASSWORD, "secret");
    ::SendMessageA(::GetDlgItem(hPage, IDC_ACCOUNT_AUTHENTICATION), BM_CLICK, 0, 0);
    // The SMTP peer takes only its own user: the account logs on there with an account of its own.
    CDialogResponder::Press(hPage, IDC_ACCOUNT_SETTINGS);
    HWND hOutgoing = FindDialog("Outgouing Mail Server");
    ASSERT_NE((HWND)NULL, hOutgoing);
    ::SendMessageA(::GetDlgItem(hOutgoing, IDC_OUTGOING_LOG_ON), BM_CLICK, 0, 0);
    CDialogResponder::SetField(hOutgoing, IDC_ACCOUNT_USER, "tester");
    CDialogResponder::SetField(hOutgoing, IDC_ACCOUNT_PASSWORD, "secret");
    CDialogResponder::Press(hOutgoing, IDOK);
    ASSERT_TRUE(Gone(hOutgoing));
    Next(hWizard);
    WaitForPage(hWizard, 4);
    ::PostMessageA(hWizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    ASSERT_TRUE(Gone(hWizard));

    // Properties: the peers' ports.
    HWND hList = ::GetDlgItem(hAccounts, IDC_ACCOUNTS_MAIL_LIST);
    ASSERT_TRUE(WaitFor([&] { return ListViewItems(hList).size() == 1; }));
    EXPECT_EQ((std::vector<std::string>{"Ann Second", "Mail(default)", "second@example.org", "yes"}),
              ListViewItems(hList)[0]);
    m_ui.Invoke(
        [&]
        {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(hList, LVM_SETITEMSTATE, 0, (LPARAM)&item);
        });
    CDialogResponder::Press(hAccounts, IDC_ACCOUNTS_PROPERTIES);
    HWND hProperties = FindDialog("Account Properties");
    ASSERT_NE((HWND)NULL, hProperties);
    ::PostMessageA(hProperties, PSM_SETCURSEL, 4, 0);
    hPage = WaitForPage(hProperties, 4);
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_SMTP_PORT, strSmtpPort.c_str());
    CDialogResponder::SetField(hPage, IDC_ACCOUNT_INCOMING_PORT, strPop3Port.c_str());
    CDialogResponder::Press(hProperties, IDOK);
    ASSERT_TRUE(Gone(hProperties));
    CDialogResponder::Press(hAccounts, IDCANCEL);
    ASSERT_TRUE(Gone(hAccounts));

    // Three messages wait on the POP3 peer, one in the Outbox.
    const std::string mailbox = EmptyPeerMailbox("second");
    std::vector<std::string> delivered;
    for (int i = 1; i <= 3; i++)
    {
        delivered.push_back(PeerMessage(i));
        ASSERT_TRUE(DeliverToMailbox(mailbox, std::to_string(2000 + i) + ".hello", delivered.back()));
    }
    CFolders folders(Local());
    CEmailsImpl<> outbox(Local());
    outbox.InsertMessage(
        CString("From: \"Ann Second\" <second@example.org>\r\nTo: friend@example.net\r\n"
                "Subject: from the new account\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n"
                "\r\nSent by the new account.\r\n"),
        folders.GetSystemFolder(FOLDER_OUTBOX, NULL), 0, "", 0, NULL, NULL, 0.0, NULL, NULL, FALSE, FALSE,
        FALSE);
    outbox.Close();

    // Send and Receive: the manager starts the run's window, as the program's own does.
    ::PostMessageA(m_hFrame, WM_COMMAND, ID_SEND_RECEIVE_ALL, 0);
    ASSERT_TRUE(m_manager.WaitForCommand(ID_SEND_RECEIVE));
    std::unique_ptr<CDlgProgress> pProgress;
    CUiThread progressUi(_Module);
    HWND hProgress = progressUi.Start(
        [&]
        {
            pProgress.reset(new CDlgProgress(m_pDatabase.get(), 0, m_hFrame, m_manager.ThreadId(), 0));
            return pProgress->Create(NULL);
        });
    ASSERT_NE((HWND)NULL, hProgress);
    ::ShowWindow(hProgress, SW_SHOW);
    ASSERT_TRUE(WaitFor([&] { return pProgress->m_bFinished != 0 || !::IsWindow(hProgress); }, 120000));
    // A run that went well closes its window; one with errors keeps it open to show them.
    std::vector<std::string> errors;
    if (::IsWindow(hProgress))
    {
        HWND hErrors = pProgress->m_hErrors;
        for (int i = 0; i < (int)::SendMessageA(hErrors, LB_GETCOUNT, 0, 0); i++)
        {
            char szLine[1024] = "";
            ::SendMessageA(hErrors, LB_GETTEXT, i, (LPARAM)szLine);
            errors.push_back(szLine);
        }
        ::PostMessageA(hProgress, WM_COMMAND, IDCANCEL, 0);
    }
    ASSERT_TRUE(progressUi.WaitForExit(60000));
    EXPECT_EQ(std::vector<std::string>(), errors);

    // The three are in the Inbox as they were on the server; the main window lists them.
    std::vector<std::pair<std::string, std::string>> inbox = Messages(FOLDER_INBOX);
    ASSERT_EQ(3u, inbox.size());
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ("hello " + std::to_string(i + 1), inbox[i].first);
        EXPECT_EQ(delivered[i], inbox[i].second);
    }
    EXPECT_EQ(0u, MailboxMessageCount(mailbox));
    // What the manager does with the run's hand-overs: each goes to the main window as a command.
    for (const CRecordingThread::Command& command : m_manager.Commands())
        if (command.wParam == ID_ADD_MESSAGE_TO_CONTROL)
            ::SendMessageA(m_hFrame, WM_COMMAND, command.wParam, command.lParam);
    const LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    bool bSelected = false;
    m_ui.Invoke(
        [&]
        {
            CMyTreeViewCtrl& tree = m_pFrame->m_client.m_container.m_left.m_folders.m_tree;
            HTREEITEM hItem = tree.FindFolder(nInbox);
            bSelected = hItem != NULL && tree.SelectItem(hItem);
        });
    ASSERT_TRUE(bSelected);
    HWND hMessages = m_pFrame->m_client.m_container.m_right.m_list.m_list.m_hWnd;
    ASSERT_TRUE(WaitFor([&] { return ListViewItems(hMessages).size() == 3; }));
    std::vector<std::string> listed;
    for (const std::vector<std::string>& row : ListViewItems(hMessages))
        for (const std::string& cell : row)
            if (cell.compare(0, 6, "hello ") == 0)
                listed.push_back(cell);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ((std::vector<std::string>{"hello 1", "hello 2", "hello 3"}), listed);

    // The fourth went out through the SMTP peer, which takes only its own user, and is in Sent Items.
    std::vector<std::string> sent;
    for (const std::string& name : ListFiles(PeerFolder() + "smtp\\spool\\"))
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0 &&
            std::find(m_spoolBefore.begin(), m_spoolBefore.end(), name) == m_spoolBefore.end())
            sent.push_back(ReadWholeFile(PeerFolder() + "smtp\\spool\\" + name));
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(0u,
              sent[0].find("X-Envelope-From: second@example.org\r\nX-Envelope-To: friend@example.net\r\n"));
    EXPECT_NE(std::string::npos, sent[0].find("Subject: from the new account"));
    std::vector<std::pair<std::string, std::string>> sentItems = Messages(FOLDER_SENT_ITEMS);
    ASSERT_EQ(1u, sentItems.size());
    EXPECT_EQ("from the new account", sentItems[0].first);
    EXPECT_TRUE(Messages(FOLDER_OUTBOX).empty());

    // The row: the incoming password encrypted only, the SMTP log-on of its own in plain text.
    CAccountsTable accounts(Local(), NULL);
    accounts.Open(NULL);
    ASSERT_EQ(S_OK, accounts.MoveFirst());
    DWORD nBlock = 0;
    memcpy(&nBlock, accounts.m_PassCrypto, sizeof(nBlock));
    EXPECT_NE(0u, nBlock);
    EXPECT_STREQ("", accounts.m_szPass);
    EXPECT_STREQ("secret", accounts.CAccountsRecord::GetPassword());
    EXPECT_STREQ("tester", accounts.m_szSMTPAccountName);
    EXPECT_STREQ("secret", accounts.m_szSMTPPass);
    EXPECT_EQ(0x200 | 0x4 | 0x2 | 0x1, accounts.m_Flags);
    EXPECT_EQ(atol(strSmtpPort.c_str()), accounts.m_SMTPPort);
    EXPECT_EQ(atol(strPop3Port.c_str()), accounts.m_IncomingPort);
    EXPECT_STREQ("127.0.0.1", accounts.m_szPOP3);
    accounts.CloseTable();
}

// Rules made through the Message Rules sheet, then a receive run from the dovecot peer: each message filed
// where its rule says, a rule whose folder went filing into the Inbox, the forward sent through aiosmtpd.
#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "OptionsSheetFixture.h"
#include "PeerFiles.h"
#include "TransportTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"
#include "store/DatabaseSession.h"
#include "store/DeletedMessagesTable.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "store/MessageRuleSet.h"
#include "store/RuleTexts.h"
#include "store/TableSchema.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/WindowReaders.h"
#include "transport/DlgProgress.h"
#include "ui/options/PageMessageRulesMail.h"
#include "ui/options/RuleWindowTexts.h"

namespace
{
typedef std::vector<std::string> Texts;

// One rule as a user builds it: a condition with its values, an action with its value (a folder's name,
// an address, or none).
struct UserRule
{
    const char* pszName;
    int nConditionItem; // in the editor's list: From 0, To 1, Cc 2, Subject 3, body 4
    BYTE nConditionType;
    const char* pszValue;
    int nActionItem; // Move 0, Copy 1, Delete 2, Forward 3
    BYTE nActionType;
    const char* pszActionValue;
};

class RulesReceiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CFolders folders(&m_store.Local());
        for (LONG nType : {FOLDER_INBOX, FOLDER_OUTBOX, FOLDER_SENT_ITEMS, FOLDER_DELETED_ITEMS})
            folders.GetSystemFolder(nType, NULL);
        for (const char* pszName : {"Alice", "Invoices", "Gone"})
        {
            folders.InsertFolder(NULL, 0, pszName, FOLDER_COMPANY);
            m_folders[pszName] = folders.m_ID;
        }
        folders.Close();
        CSession* pAccounts = AccountsSessionFor(&m_store.Local());
        CAccountsTable::CreateTableIfMissing(pAccounts, NULL);
        CDeletedMessagesTable::Create(&m_store.Local(), NULL);
        CString strSQL;
        // Receives (4) and sends (1) with the test peers' tester account.
        strSQL.Format(
            "INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, Flags, "
            "RemoveAfter, IncomingServerType, IncomingPort, SMTPPort, SMTPAccountName, SMTPPass) VALUES "
            "('Alpha', 'Alpha@example.org', '127.0.0.1', '127.0.0.1', 'tester', 'secret', 5, 5, 0, %u, "
            "%u, '', '')",
            PeerPort("ORB_POP3_PORT"), PeerPort("ORB_SMTP_PORT"));
        ASSERT_TRUE(Execute(*pAccounts, strSQL)) << strSQL;
        m_spoolBefore = ListFiles(PeerFolder() + "smtp\\spool\\");
    }

    HWND Dialog(const char* pszCaption)
    {
        return CDialogResponder::FindDialog(m_store.m_pSheetThread->ThreadId(), pszCaption);
    }
    static void Tick(HWND hWndDlg, int nList, int nItem)
    {
        ListView_SetCheckState(::GetDlgItem(hWndDlg, nList), nItem, TRUE);
        ::PostMessageA(hWndDlg, WM_COMMAND,
                       nList == IDC_RULE_CONDITIONS ? ID_STATE_CHANGED : ID_ACTIONS_STATE_CHANGED, 0);
    }
    static bool Closes(HWND hWnd)
    {
        return WaitFor([&] { return !::IsWindow(hWnd); });
    }

    // Selects the folder of that name in the folder dialog's tree, as a click would.
    static bool ChooseFolder(HWND hWndDlg, const char* pszName)
    {
        HWND hWndTree = ::GetDlgItem(hWndDlg, IDC_FOLDER_TREE);
        std::vector<HTREEITEM> pending;
        for (HTREEITEM h = TreeView_GetRoot(hWndTree); h != NULL; h = TreeView_GetNextSibling(hWndTree, h))
            pending.push_back(h);
        while (!pending.empty())
        {
            HTREEITEM hItem = pending.back();
            pending.pop_back();
            char szText[128] = {};
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = hItem;
            item.pszText = szText;
            item.cchTextMax = sizeof(szText);
            TreeView_GetItem(hWndTree, &item);
            if (strncmp(szText, pszName, strlen(pszName)) == 0)
            {
                TreeView_SelectItem(hWndTree, hItem);
                return WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(hWndDlg, IDOK)) != FALSE; });
            }
            TreeView_Expand(hWndTree, hItem, TVE_EXPAND);
            for (HTREEITEM h = TreeView_GetChild(hWndTree, hItem); h != NULL;
                 h = TreeView_GetNextSibling(hWndTree, h))
                pending.push_back(h);
        }
        return false;
    }

    // Builds one rule in the editor that the page's New button opens, through its boxes, links and dialogs.
    void BuildRule(HWND hWndPage, const UserRule& rule)
    {
        SCOPED_TRACE(rule.pszName);
        CDialogResponder::Press(hWndPage, IDC_RULES_NEW);
        HWND hWndEditor = Dialog("New Mail Rule");
        ASSERT_TRUE(hWndEditor != NULL);

        Tick(hWndEditor, IDC_RULE_CONDITIONS, rule.nConditionItem);
        ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, rule.nConditionType);
        HWND hWndValues = Dialog(rule.nConditionType == RULE_SUBJECT || rule.nConditionType == RULE_BODY
                                     ? "Type Specific Words"
                                     : "Select People");
        ASSERT_TRUE(hWndValues != NULL);
        CDialogResponder::SetField(hWndValues, IDC_RULE_VALUE, rule.pszValue);
        CDialogResponder::Press(hWndValues, IDC_RULE_VALUE_ADD);
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(hWndValues, IDOK)) != FALSE; }));
        CDialogResponder::Press(hWndValues, IDOK);
        ASSERT_TRUE(Closes(hWndValues));

        Tick(hWndEditor, IDC_RULE_ACTIONS, rule.nActionItem);
        if (rule.nActionType == RULE_MOVE || rule.nActionType == RULE_COPY)
        {
            ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, rule.nActionType);
            HWND hWndFolder = Dialog(rule.nActionType == RULE_COPY ? "Copy" : "Move");
            ASSERT_TRUE(hWndFolder != NULL);
            ASSERT_TRUE(ChooseFolder(hWndFolder, rule.pszActionValue));
            CDialogResponder::Press(hWndFolder, IDOK);
            ASSERT_TRUE(Closes(hWndFolder));
        }
        else if (rule.nActionType == RULE_FORWARD)
        {
            ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, rule.nActionType);
            HWND hWndForward = Dialog("Select People");
            ASSERT_TRUE(hWndForward != NULL);
            CDialogResponder::SetField(hWndForward, IDC_RULE_VALUE, rule.pszActionValue);
            CDialogResponder::Press(hWndForward, IDOK);
            ASSERT_TRUE(Closes(hWndForward));
        }
        CDialogResponder::SetField(hWndEditor, IDC_RULE_NAME, rule.pszName);
        CDialogResponder::Press(hWndEditor, IDOK);
        ASSERT_TRUE(Closes(hWndEditor)) << (m_store.Boxes().empty() ? "" : m_store.Boxes().back());
    }

    // One send-and-receive run of every account, to its end.
    void Run()
    {
        CUiThread ui(_Module);
        std::unique_ptr<CDlgProgress> pDlg;
        HWND hWnd = ui.Start(
            [&]
            {
                pDlg.reset(new CDlgProgress(m_store.m_pDatabase.get(), 0, m_store.m_pOwner->m_hWnd,
                                            m_store.m_mainThread.ThreadId(), 0));
                return pDlg->Create(NULL);
            });
        ASSERT_TRUE(hWnd != NULL);
        ::ShowWindow(hWnd, SW_SHOW);
        ASSERT_TRUE(WaitFor([&] { return pDlg->m_bFinished != 0; }, 120000));
        // A run with errors waits for the user to close it.
        if (::IsWindow(hWnd))
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(ui.WaitForExit(120000));
    }

    Texts SubjectsIn(LONG nFolder)
    {
        CEmailsImpl<> store(&m_store.Local());
        store.OpenByFolder(nFolder, NULL);
        Texts subjects;
        while (store.MoveNext(1, 0) == S_OK)
            subjects.push_back(store.m_Subject);
        std::sort(subjects.begin(), subjects.end());
        return subjects;
    }
    LONG SystemFolder(LONG nType)
    {
        CFolders folders(&m_store.Local());
        return folders.GetSystemFolder(nType, NULL);
    }
    std::vector<std::string> SmtpReceived()
    {
        const std::string spool = PeerFolder() + "smtp\\spool\\";
        std::vector<std::string> received;
        for (const std::string& name : ListFiles(spool))
        {
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0 &&
                std::find(m_spoolBefore.begin(), m_spoolBefore.end(), name) == m_spoolBefore.end())
                received.push_back(ReadWholeFile(spool + name));
        }
        return received;
    }

    COptionsSheetFixture m_store;
    std::map<std::string, LONG> m_folders;
    std::vector<std::string> m_spoolBefore;
};

std::string Message(const char* pszFrom, const char* pszTo, const char* pszSubject, const char* pszBody)
{
    return std::string("From: ") + pszFrom + "\r\nTo: " + pszTo + "\r\nSubject: " + pszSubject +
           "\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\nMIME-Version: 1.0\r\nContent-Type: "
           "text/plain\r\n\r\n" +
           pszBody + "\r\n";
}

TEST_F(RulesReceiveTest, RulesMadeOnThePageFileReceivedMessagesAndLoseNone)
{
    const std::string mailbox = EmptyPeerMailbox("tester");
    const struct
    {
        const char* pszName;
        std::string text;
    } messages[] = {
        {"1.plain", Message("Nobody <nobody@example.net>", "tester@example.org", "hello", "Nothing to see.")},
        {"2.alice", Message("\"Alice A.\" <ALICE@example.com>", "tester@example.org", "lunch", "See you.")},
        {"3.invoice", Message("billing@example.net", "tester@example.org", "Invoice 42", "Pay now.")},
        {"4.spam", Message("offers@example.net", "tester@example.org", "offer", "Buy cheap watches today.")},
        {"5.boss", Message("boss@example.net", "\"Team, all\" <team@example.org>, tester@example.org",
                           "plans", "The plans.")},
        {"6.carol", Message("carol@example.com", "tester@example.org", "from carol", "Hi.")},
    };
    for (const auto& m : messages)
        ASSERT_TRUE(DeliverToMailbox(mailbox, m.pszName, m.text));

    m_store.m_pSheetThread.reset(new CUiThread(_Module));
    HWND hWndOwner = m_store.m_pOwner->m_hWnd;
    m_store.m_pSheetThread->Run([this, hWndOwner]() { m_store.m_nResult = RunMessageRulesSheet(hWndOwner); });
    m_store.m_hWndSheet = Dialog("Message Rules");
    ASSERT_TRUE(m_store.m_hWndSheet != NULL);
    // No rules yet: the editor opens by itself; it is left for the page's own New button.
    HWND hWndFirst = Dialog("New Mail Rule");
    ASSERT_TRUE(hWndFirst != NULL);
    CDialogResponder::Press(hWndFirst, IDCANCEL);
    ASSERT_TRUE(Closes(hWndFirst));
    HWND hWndPage = (HWND)::SendMessageA(m_store.m_hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    ASSERT_TRUE(hWndPage != NULL);

    const UserRule rules[] = {
        {"Alice", 0, RULE_FROM, "alice@example.com", 0, RULE_MOVE, "Alice"},
        {"Invoices", 3, RULE_SUBJECT, "Invoice", 1, RULE_COPY, "Invoices"},
        {"Watches", 4, RULE_BODY, "watches", 2, RULE_DELETE, NULL},
        {"Team", 1, RULE_TO, "team@example.org", 3, RULE_FORWARD, "assistant@example.net"},
        {"Carol", 0, RULE_FROM, "carol@example.com", 0, RULE_MOVE, "Gone"},
    };
    for (const UserRule& rule : rules)
    {
        BuildRule(hWndPage, rule);
        if (HasFatalFailure())
            return;
    }
    ASSERT_EQ(5, ListView_GetItemCount(::GetDlgItem(hWndPage, IDC_RULES_LIST)));
    m_store.PressOk();
    ASSERT_TRUE(m_store.m_pSheetThread->WaitForExit());
    ASSERT_EQ(5, QueryLong(m_store.Local(), "SELECT COUNT(*) FROM MessageRules"));

    // The folder of the last rule goes after the rules were saved.
    ASSERT_EQ(S_OK, ExecuteOnSession(
                        &m_store.Local(),
                        ("DELETE FROM Folders WHERE ID = " + std::to_string(m_folders["Gone"])).c_str()));
    const size_t nBoxes = m_store.Boxes().size();
    Run();
    if (HasFatalFailure())
        return;

    EXPECT_EQ(Texts({"Invoice 42", "from carol", "hello", "plans"}), SubjectsIn(SystemFolder(FOLDER_INBOX)));
    EXPECT_EQ(Texts({"lunch"}), SubjectsIn(m_folders["Alice"]));
    EXPECT_EQ(Texts({"Invoice 42"}), SubjectsIn(m_folders["Invoices"]));
    EXPECT_EQ(Texts({"offer"}), SubjectsIn(SystemFolder(FOLDER_DELETED_ITEMS)));
    // Every message was stored, so the server keeps none.
    EXPECT_EQ(0u, MailboxMessageCount(mailbox));
    // The missing folder is told once, with the command that opens the rules.
    const Texts boxes = m_store.Boxes();
    EXPECT_EQ(Texts({"The message rules values is missing or incomplete."}),
              Texts(boxes.begin() + nBoxes, boxes.end()));
    const std::vector<WORD> commands = m_store.m_pOwner->Commands();
    EXPECT_EQ(1, std::count(commands.begin(), commands.end(), (WORD)ID_TOOLS_MESSAGE_RULES));

    // The forward waits in the Outbox for the next run, which sends it from the receiving account to the
    // forward address alone.
    EXPECT_EQ(Texts({"plans"}), SubjectsIn(SystemFolder(FOLDER_OUTBOX)));
    Run();
    if (HasFatalFailure())
        return;
    const std::vector<std::string> received = SmtpReceived();
    ASSERT_EQ(1u, received.size());
    EXPECT_NE(std::string::npos, received[0].find("X-Envelope-From: Alpha@example.org\r\n")) << received[0];
    EXPECT_NE(std::string::npos, received[0].find("X-Envelope-To: assistant@example.net\r\n")) << received[0];
    EXPECT_EQ(0u, SubjectsIn(SystemFolder(FOLDER_OUTBOX)).size());
}
} // namespace

// The Message Rules sheet under Xvfb: the page, the rule editor and its value dialogs driven as a user would,
// what OK saves and Cancel drops, and a description link requested over a raw socket.
#include <winsock2.h>
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "OptionsSheetFixture.h"
#include "platform/htmlview/HtmlView.h"
#include "app/LetrovaGlobals.h"
#include "resources/resource.h"
#include "store/MessageRuleSet.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "ui/options/PageMessageRulesMail.h"
#include "store/RuleTexts.h"
#include "ui/options/RuleWindowTexts.h"

namespace
{
class MessageRulesSheetTest : public ::testing::Test
{
protected:
    HWND OpenRules()
    {
        m_store.m_pSheetThread.reset(new CUiThread(_Module));
        HWND hWndOwner = m_store.m_pOwner->m_hWnd;
        m_store.m_pSheetThread->Run([this, hWndOwner]() { m_store.m_nResult = RunMessageRulesSheet(hWndOwner); });
        m_store.m_hWndSheet = CDialogResponder::FindDialog(m_store.m_pSheetThread->ThreadId(), "Message Rules");
        return m_store.m_hWndSheet;
    }
    HWND Page() { return (HWND)::SendMessageA(m_store.m_hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0); }
    HWND Dialog(const char* pszCaption)
    {
        return CDialogResponder::FindDialog(m_store.m_pSheetThread->ThreadId(), pszCaption);
    }
    bool BoxSaid(size_t nIndex, const char* pszText)
    {
        return WaitFor([&] { return m_store.Boxes().size() > nIndex; }) &&
               m_store.Boxes()[nIndex] == pszText;
    }
    static void Tick(HWND hWndDlg, int nList, int nItem, bool bChecked, WORD wCommand)
    {
        ListView_SetCheckState(::GetDlgItem(hWndDlg, nList), nItem, bChecked);
        ::PostMessageA(hWndDlg, WM_COMMAND, wCommand, 0);
    }
    static std::string Html(HWND hWndDlg)
    {
        CString strHtml;
        ::SendMessageA(hWndDlg, WM_COMMAND, ID_GET_HTML_TEXT, (LPARAM)&strHtml);
        return (const char*)strHtml;
    }
    static std::string ListItem(HWND hWndList, int nItem)
    {
        char szText[128] = {};
        ListView_GetItemText(hWndList, nItem, 0, szText, sizeof(szText));
        return szText;
    }
    // What the description pane of a rules window shows, read on the window's thread; "" when it shows
    // nothing a user could see.
    std::string PaneText(HWND hWndDlg)
    {
        struct Search
        {
            HWND hWnd = NULL;
            static BOOL CALLBACK Child(HWND hWnd, LPARAM lParam)
            {
                char szClass[64] = {};
                ::GetClassNameA(hWnd, szClass, sizeof(szClass));
                if (strcmp(szClass, "OrbHtmlView") != 0)
                    return TRUE;
                reinterpret_cast<Search*>(lParam)->hWnd = hWnd;
                return FALSE;
            }
        } search;
        ::EnumChildWindows(hWndDlg, Search::Child, (LPARAM)&search);
        std::string text;
        if (search.hWnd == NULL)
            return text;
        m_store.m_pSheetThread->Invoke([&] {
            CHtmlView* pView = CHtmlView::FromWindow(search.hWnd);
            if (pView == NULL || !::IsWindowVisible(search.hWnd))
                return;
            const std::wstring wide = pView->Text();
            text = (const char*)CString(wide.c_str());
        });
        return text;
    }
    bool PaneShows(HWND hWndDlg, const char* pszText)
    {
        return WaitFor([&] { return PaneText(hWndDlg).find(pszText) != std::string::npos; });
    }
    void StoreRule(const char* pszName)
    {
        CMessageRuleSet& rules = m_store.m_pDatabase->m_Local.m_Rules;
        CMessageRule* pRule = rules.AddRule();
        strcpy(pRule->m_Name, pszName);
        std::unique_ptr<CRuleCondition> pSubject(new CRuleCondition(RULE_SUBJECT, CONDITION_CONTAINS));
        pSubject->AddValue("report");
        pRule->m_Conditions.push_back(std::move(pSubject));
        pRule->m_Actions.emplace_back(new CRuleCondition(RULE_DELETE, 1));
        ASSERT_EQ(1, rules.Save(NULL));
    }
    long Query(const char* pszSQL) { return QueryLong(m_store.Local(), pszSQL); }

    COptionsSheetFixture m_store;
};

TEST_F(MessageRulesSheetTest, AFirstRuleIsBuiltInTheEditorAndSavedByOk)
{
    ASSERT_TRUE(OpenRules() != NULL);
    // No rules: the editor opens at once on the first free name.
    HWND hWndEditor = Dialog("New Mail Rule");
    ASSERT_TRUE(hWndEditor != NULL);
    EXPECT_EQ("New Mail Rule #1", CDialogResponder::ItemText(hWndEditor, IDC_RULE_NAME));
    EXPECT_TRUE(PaneShows(hWndEditor, "Apply this rule after the message arrives")) << PaneText(hWndEditor);
    SaveWindowScreenshot(hWndEditor, "rule-editor");

    // The editor's refusals, each keeping it open.
    CDialogResponder::Press(hWndEditor, IDOK);
    EXPECT_TRUE(BoxSaid(0, "You must select at least one criteria from the list to create a rule."));
    Tick(hWndEditor, IDC_RULE_CONDITIONS, 0, true, ID_STATE_CHANGED);
    CDialogResponder::Press(hWndEditor, IDOK);
    EXPECT_TRUE(BoxSaid(1, "Some information is missing or incorrect."));

    // The From condition's link opens the people dialog.
    ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, RULE_FROM);
    HWND hWndPeople = Dialog("Select People");
    ASSERT_TRUE(hWndPeople != NULL);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWndPeople, IDOK)));
    struct Typed
    {
        std::string text;
        const char* pszBox; // NULL: added
    };
    const Typed typed[] = {{"Alice@Example.com", NULL},
                           {std::string(63, 'a'), NULL},
                           {std::string(64, 'b'), "Name of the people too long. Maximum 64 character is allowed."},
                           {"alice@example.COM", "Duplicate string."}};
    size_t nBoxes = m_store.Boxes().size();
    for (const Typed& t : typed)
    {
        SCOPED_TRACE(t.text);
        CDialogResponder::SetField(hWndPeople, IDC_RULE_VALUE, t.text.c_str());
        CDialogResponder::Press(hWndPeople, IDC_RULE_VALUE_ADD);
        if (t.pszBox != NULL)
            EXPECT_TRUE(BoxSaid(nBoxes++, t.pszBox));
        else
            EXPECT_TRUE(WaitFor([&] { return CDialogResponder::ItemText(hWndPeople, IDC_RULE_VALUE).empty(); }));
    }
    EXPECT_EQ(3, (int)::SendDlgItemMessageA(hWndPeople, IDC_RULE_VALUES, LB_GETCOUNT, 0, 0));
    SaveWindowScreenshot(hWndPeople, "rule-people");
    CDialogResponder::Press(hWndPeople, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndPeople); }));
    EXPECT_NE(std::string::npos, Html(hWndEditor).find("contains  'Alice@Example.com' and '"));

    // A name of 63 characters does not fit the column.
    Tick(hWndEditor, IDC_RULE_ACTIONS, 2, true, ID_ACTIONS_STATE_CHANGED);
    CDialogResponder::SetField(hWndEditor, IDC_RULE_NAME, std::string(63, 'n').c_str());
    CDialogResponder::Press(hWndEditor, IDOK);
    EXPECT_TRUE(BoxSaid(nBoxes++, "Field\n4. &Name of the rule:\ntoo large. Maximum char count: 62"))
        << (m_store.Boxes().empty() ? "" : m_store.Boxes().back());
    CDialogResponder::SetField(hWndEditor, IDC_RULE_NAME, "Junk");
    CDialogResponder::Press(hWndEditor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndEditor); }));

    HWND hWndPage = Page();
    HWND hWndList = ::GetDlgItem(hWndPage, IDC_RULES_LIST);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(hWndList) == 1; }));
    EXPECT_EQ("Junk", ListItem(hWndList, 0));
    ListView_SetItemState(hWndList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(PaneShows(hWndPage, "Where the From line contains 'Alice@Example.com'"))
        << PaneText(hWndPage);
    SaveWindowScreenshot(m_store.m_hWndSheet, "rules-page");
    m_store.PressOk();
    ASSERT_TRUE(m_store.m_pSheetThread->WaitForExit());
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM MessageRules WHERE Name = 'Junk'"));
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM RuleConditionValues WHERE Name = 'Alice@Example.com'"));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM RuleConditions"));
}

TEST_F(MessageRulesSheetTest, ALinkRequestedOverASocketGetsTheDescriptionAndCancelDropsTheChanges)
{
    StoreRule("Reports");
    ASSERT_TRUE(OpenRules() != NULL);
    HWND hWndPage = Page();
    HWND hWndList = ::GetDlgItem(hWndPage, IDC_RULES_LIST);
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(hWndList) == 1; }));
    ListView_SetItemState(hWndList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const std::string html = Html(hWndPage);
    EXPECT_NE(std::string::npos, html.find("Apply this rule after the message arrives"));
    const size_t nPort = html.find("http://localhost:");
    ASSERT_NE(std::string::npos, nPort);
    const int nServerPort = atoi(html.c_str() + nPort + strlen("http://localhost:"));

    WSADATA wsaData;
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(1, 1), &wsaData));
    SOCKET hSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    SOCKADDR_IN addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons((u_short)nServerPort);
    addr.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(0, ::connect(hSocket, (SOCKADDR*)&addr, sizeof(addr)));
    const char kRequest[] = "GET /?3 HTTP/1.1\r\nHost: localhost\r\n\r\n";
    ASSERT_EQ((int)strlen(kRequest), ::send(hSocket, kRequest, (int)strlen(kRequest), 0));
    std::string reply;
    DWORD dwTimeout = 20000;
    ::setsockopt(hSocket, SOL_SOCKET, SO_RCVTIMEO, (const char*)&dwTimeout, sizeof(dwTimeout));
    char buffer[4096];
    for (int n; (n = ::recv(hSocket, buffer, sizeof(buffer), 0)) > 0;)
        reply.append(buffer, n);
    ::closesocket(hSocket);
    ::WSACleanup();
    EXPECT_EQ(0u, reply.find("HTTP/1.0 200 OK\r\n")) << reply;
    EXPECT_NE(std::string::npos, reply.find("Where the Subject line "));

    // The box toggles the rule and its first line; Cancel reads the stored rule again.
    Tick(hWndPage, IDC_RULES_LIST, 0, false, ID_STATE_CHANGED);
    EXPECT_TRUE(WaitFor([&] { return Html(hWndPage).find("This rule is currently turned off.") != std::string::npos; }));
    EXPECT_EQ(0, m_store.m_pDatabase->m_Local.m_Rules.ChainOrder()[0]->m_Flags & RULE_ENABLED);
    ASSERT_TRUE(m_store.Cancel());
    ASSERT_EQ(1u, m_store.m_pDatabase->m_Local.m_Rules.m_Rules.size());
    EXPECT_EQ(RULE_ENABLED, m_store.m_pDatabase->m_Local.m_Rules.ChainOrder()[0]->m_Flags & RULE_ENABLED);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM MessageRules WHERE Flags = 1"));
}

TEST_F(MessageRulesSheetTest, TheValueDialogsOpenOnTheRuleAndACaseOnlyDuplicateNameIsRefused)
{
    StoreRule("Reports");
    ASSERT_TRUE(OpenRules() != NULL);
    HWND hWndPage = Page();
    ASSERT_TRUE(WaitFor([&] { return ListView_GetItemCount(::GetDlgItem(hWndPage, IDC_RULES_LIST)) == 1; }));
    CDialogResponder::Press(hWndPage, IDC_RULES_NEW);
    HWND hWndEditor = Dialog("New Mail Rule");
    ASSERT_TRUE(hWndEditor != NULL);

    // A To condition is met by any one of its people until told otherwise.
    Tick(hWndEditor, IDC_RULE_CONDITIONS, 1, true, ID_STATE_CHANGED);
    ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, RULE_TO);
    HWND hWndPeople = Dialog("Select People");
    ASSERT_TRUE(hWndPeople != NULL);
    CDialogResponder::SetField(hWndPeople, IDC_RULE_VALUE, "bob@example.com");
    CDialogResponder::Press(hWndPeople, IDC_RULE_VALUE_ADD);
    ASSERT_TRUE(WaitFor([&] { return CDialogResponder::ItemText(hWndPeople, IDC_RULE_VALUE).empty(); }));
    CDialogResponder::Press(hWndPeople, IDC_RULE_VALUE_OPTIONS);
    HWND hWndOptions = Dialog("Rule Condition Options");
    ASSERT_TRUE(hWndOptions != NULL);
    SaveWindowScreenshot(hWndOptions, "rule-options");
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hWndOptions, IDC_RULE_MATCH_ANY));
    EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(hWndOptions, IDC_RULE_MATCH_ALL));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hWndOptions, IDC_RULE_CONTAINS));
    CDialogResponder::Press(hWndOptions, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndOptions); }));
    CDialogResponder::Press(hWndPeople, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndPeople); }));

    // The "and" between two conditions opens the And/Or choice on the rule's all-conditions bit.
    Tick(hWndEditor, IDC_RULE_CONDITIONS, 3, true, ID_STATE_CHANGED);
    ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, RULE_AND_OR);
    HWND hWndAndOr = Dialog("And/Or");
    ASSERT_TRUE(hWndAndOr != NULL);
    SaveWindowScreenshot(hWndAndOr, "rule-and-or");
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hWndAndOr, IDC_RULE_MATCH_ALL));
    CDialogResponder::Press(hWndAndOr, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndAndOr); }));
    Tick(hWndEditor, IDC_RULE_CONDITIONS, 3, false, ID_STATE_CHANGED);

    // The folder of a Move and the address of a Forward.
    Tick(hWndEditor, IDC_RULE_ACTIONS, 0, true, ID_ACTIONS_STATE_CHANGED);
    ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, RULE_MOVE);
    HWND hWndFolder = Dialog("Move");
    ASSERT_TRUE(hWndFolder != NULL);
    SaveWindowScreenshot(hWndFolder, "rule-folder");
    CDialogResponder::Press(hWndFolder, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndFolder); }));
    Tick(hWndEditor, IDC_RULE_ACTIONS, 0, false, ID_ACTIONS_STATE_CHANGED);
    Tick(hWndEditor, IDC_RULE_ACTIONS, 3, true, ID_ACTIONS_STATE_CHANGED);
    ::PostMessageA(hWndEditor, WM_COMMAND, ID_HTML_LINK_REQUESTED, RULE_FORWARD);
    HWND hWndForward = Dialog("Select People");
    ASSERT_TRUE(hWndForward != NULL);
    CDialogResponder::SetField(hWndForward, IDC_RULE_VALUE, "boss@example.com");
    SaveWindowScreenshot(hWndForward, "rule-forward");
    CDialogResponder::Press(hWndForward, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndForward); }));
    EXPECT_TRUE(WaitFor([&] { return Html(hWndEditor).find("Forward it to ") != std::string::npos; }));
    SaveWindowScreenshot(hWndEditor, "rule-editor-filled");

    // The stored rule's name in other letters would fail the save: the editor refuses it first.
    const size_t nBoxes = m_store.Boxes().size();
    CDialogResponder::SetField(hWndEditor, IDC_RULE_NAME, "REPORTS");
    CDialogResponder::Press(hWndEditor, IDOK);
    EXPECT_TRUE(BoxSaid(nBoxes, "Duplicate of the rule name."));
    ASSERT_TRUE(::IsWindow(hWndEditor));
    CDialogResponder::SetField(hWndEditor, IDC_RULE_NAME, "To Bob");
    CDialogResponder::Press(hWndEditor, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndEditor); }));

    m_store.PressOk();
    ASSERT_TRUE(m_store.m_pSheetThread->WaitForExit());
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM RuleConditions c INNER JOIN MessageRules r "
                       "ON c.MessageRulesID = r.ID WHERE r.Name = 'To Bob' AND c.Type = 6 AND c.Flags = 3"));
    EXPECT_EQ(1,
              Query("SELECT COUNT(*) FROM RuleConditionValues WHERE Name = 'boss@example.com' AND Type = 9"));
}
} // namespace

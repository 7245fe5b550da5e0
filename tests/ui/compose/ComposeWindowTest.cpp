// The new-message window driven as a user drives it: opened for each kind of message, typed into, sent,
// closed with and without saving, with recipients completed from the address book and text found.
#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>
#include <set>
#include <string>

#include "ComposeTestStore.h"
#include "DialogResponder.h"
#include "RecordingThread.h"
#include "UiThread.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "foundation/Paths.h"
#include "store/AddressTable.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/DlgFind.h"
#include "platform/htmledit/HtmlEdit.h"
#include "ui/compose/MainFrameNewMessage.h"
#include "ui/compose/SignaturesTable.h"
#include "ui/main/EditorToolBar.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainDialogStandIns.h"

extern CAppModule _Module;

using namespace ComposeCommand;

namespace
{
std::string TextOf(HWND hWnd)
{
    int nLength = (int)::SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(nLength + 1, '\0');
    ::SendMessageA(hWnd, WM_GETTEXT, nLength + 1, (LPARAM)&text[0]);
    text.resize(strlen(text.c_str()));
    return text;
}
// The update client's installer as the window calls it.
struct CInstallCall
{
    std::string strComponent, strUrl;
};
std::vector<CInstallCall> g_installs;
int g_nInstallResult = 0;
int RecordInstall(const char* pszComponent, const char* pszFolderUrl, const char*)
{
    g_installs.push_back({pszComponent, pszFolderUrl});
    return g_nInstallResult;
}

// Select Recipients as the window calls it: which well was offered with what, and the user's choice.
struct CPickerCall
{
    int nWell; // 0 To, 1 Cc, 2 Bcc
    std::string strPreset;
};
std::vector<CPickerCall> g_pickerCalls;
INT_PTR g_nPickerAnswer = IDOK;
const char kPicked[] = "\"Pia Picked\" <pia@x.org>";
INT_PTR RecordPicker(HWND, const char*, const char*, CString* pstrTo, CString* pstrCc, CString* pstrBcc)
{
    CString* wells[3] = {pstrTo, pstrCc, pstrBcc};
    for (int i = 0; i < 3; i++)
    {
        if (wells[i] == NULL)
            continue;
        g_pickerCalls.push_back({i, (const char*)*wells[i]});
        *wells[i] = kPicked;
    }
    return g_nPickerAnswer;
}
} // namespace

class ComposeWindowTest : public ComposeStoreTest
{
protected:
    ComposeWindowTest() : ComposeStoreTest("composewnd") {}

    // Without the editor the window writes plain text: what these tests drive.
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        CHtmlEdit::SetAvailable(false);
    }
    void TearDown() override
    {
        CloseNow();
        ComposeAccountWizard = NULL;
        CHtmlEdit::SetAvailable(true);
        ComposeStoreTest::TearDown();
    }

    HWND Open(const char* pszArgument, const char* pszAttachPath = "")
    {
        CNewMessageArgs args;
        args.strArgument = pszArgument;
        args.strAttachPath = pszAttachPath;
        m_pUi.reset(new CUiThread(_Module));
        m_hFrame = m_pUi->Start(
            [this, args]
            {
                m_pFrame.reset(new CMainFrameNewMessage(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId(),
                                                        args));
                HWND hWnd = m_pFrame->CreateEx();
                if (hWnd != NULL)
                    ::ShowWindow(hWnd, SW_SHOW);
                return hWnd;
            });
        m_pUi->WaitUntilIdle();
        return m_hFrame;
    }
    // Ends the window without its save query.
    void CloseNow()
    {
        if (m_pUi && m_hFrame != NULL && ::IsWindow(m_hFrame))
            ::PostMessageA(m_hFrame, WM_CLOSE, 0, 0);
        if (m_pUi)
            m_pUi->WaitForExit();
        m_pUi.reset();
        m_pFrame.reset();
        m_hFrame = NULL;
    }
    bool IsOpen() { return m_hFrame != NULL && ::IsWindow(m_hFrame); }
    HWND Item(int nID) { return ::GetDlgItem(m_pFrame->m_dialog.m_hWnd, nID); }
    std::string Text(int nID) { return TextOf(Item(nID)); }
    void SetText(int nID, const char* pszText) { ::SendMessageA(Item(nID), WM_SETTEXT, 0, (LPARAM)pszText); }
    LRESULT Command(WORD nID, LPARAM lParam = 0) { return ::SendMessageA(m_hFrame, WM_COMMAND, nID, lParam); }
    // The save query as the close box asks it; the window then is gone or stays.
    void CloseByUser(int nAnswer)
    {
        m_user.m_boxes.clear();
        m_user.m_boxAnswers.assign(1, nAnswer);
        ::PostMessageA(m_hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (!m_pUi->WaitForExit(3000))
            m_pUi->WaitUntilIdle();
    }
    void Type(HWND hWnd, const char* pszText)
    {
        for (const char* p = pszText; *p != 0; p++)
            ::SendMessageA(hWnd, WM_CHAR, (BYTE)*p, 1);
    }
    long RowsInFolder(LONG nType)
    {
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", (long)FolderOfType(nType));
        return Query(strSQL);
    }

    CRecordingThread m_manager;
    std::unique_ptr<CUiThread> m_pUi;
    std::unique_ptr<CMainFrameNewMessage> m_pFrame;
    HWND m_hFrame = NULL;
};

TEST_F(ComposeWindowTest, OpensEachKindOfMessageWithItsFieldsInPlainText)
{
    LONG nContact = AddContact("Dora", "Lind", "dora@x.org");
    m_folder.Path("report.txt");
    WriteFileBytes(m_folder.Path("report.txt"), "data");
    CString strContact;
    strContact.Format("%ld", (long)nContact);
    struct
    {
        const char* pszArgument;
        CString strAttachPath;
        const char* pszTo;
        const char* pszSubject;
        const char* pszBody;
        int nAttachments;
    } cases[] = {
        {"", "", "", "", "", 0},
        {"a@x.org, b@y.org", "", "a@x.org, b@y.org", "", "", 0},
        {strContact, "", "\"Dora Lind\" <dora@x.org>", "", "", 0},
        {"-3", "", "", ComposeText::kErrorReportSubject, ComposeText::kErrorReportBody, 0},
        {"", m_folder.Path("report.txt"), "", "report.txt", "", 1},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(Open(c.pszArgument, c.strAttachPath) != NULL) << c.pszArgument;
        if (c.pszArgument != std::string("-3"))
            EXPECT_EQ(c.pszTo, Text(IDC_COMPOSE_TO)) << c.pszArgument;
        else
            EXPECT_FALSE(Text(IDC_COMPOSE_TO).empty());
        EXPECT_EQ(c.pszSubject, Text(IDC_COMPOSE_SUBJECT));
        EXPECT_EQ(c.pszBody, Text(IDC_COMPOSE_BODY));
        EXPECT_EQ(c.nAttachments, (int)::SendMessageA(Item(IDC_COMPOSE_ATTACHMENTS), LVM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(c.nAttachments != 0, ::IsWindowVisible(Item(IDC_COMPOSE_ATTACHMENTS)) != FALSE);
        EXPECT_EQ(*c.pszSubject ? c.pszSubject : ComposeText::kDefaultTitle, WindowText(m_hFrame));
        // Without the editor the body is the plain-text edit: no tabs, the account chosen.
        EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_TABS)));
        EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_BODY)));
        EXPECT_EQ(0, m_pFrame->m_dialog.m_fields.m_bHtml);
        EXPECT_STREQ("ann@example.com (Ann Sender)", TextOf(Item(IDC_COMPOSE_FROM)).c_str());
        CloseByUser(IDNO);
        EXPECT_FALSE(IsOpen()) << c.pszArgument;
        CloseNow();
    }
}

TEST_F(ComposeWindowTest, SendStoresTheTypedMessageInTheOutboxAndHandsItToTheSendRun)
{
    WriteFileBytes(m_folder.Path("notes.bin"), std::string("\0\1\2", 3));
    ASSERT_TRUE(Open("") != NULL);
    SetText(IDC_COMPOSE_TO, "Tom <tom@x.org>");
    SetText(IDC_COMPOSE_CC, "cc@x.org");
    SetText(IDC_COMPOSE_BCC, "Hidden <hidden@x.org>");
    SetText(IDC_COMPOSE_SUBJECT, "Quarterly figures");
    SetText(IDC_COMPOSE_BODY, "Dear Tom,\r\nhere they are.");
    CString strFolder = m_folder.m_strPath.Left(m_folder.m_strPath.GetLength() - 1);
    m_pUi->Invoke([&] { m_pFrame->m_dialog.m_attachments.AddAttachment(strFolder, "notes.bin"); });
    EXPECT_EQ("Quarterly figures", WindowText(m_hFrame));

    ::PostMessageA(m_hFrame, WM_COMMAND, ID_SEND, 0);
    ASSERT_TRUE(m_pUi->WaitForExit());
    EXPECT_EQ(std::vector<std::string>{}, m_user.m_boxes);
    CRecordingThread::Command sent = {};
    ASSERT_TRUE(m_manager.WaitForCommand(ComposeCommand::ID_SEND_MESSAGE, 20000, &sent));
    ASSERT_EQ(1, RowsInFolder(2));
    CString strSQL;
    strSQL.Format("SELECT EmailsID FROM Emails WHERE FolderID = %ld", (long)FolderOfType(2));
    LONG nID = Query(strSQL);
    EXPECT_NE(0, nID);
    EXPECT_EQ(m_nAccountID, (LONG)sent.lParam) << "the send run takes the account whose Outbox it sends";

    CEmailsImpl<> store(LocalSession());
    store.SelectByID(nID, NULL);
    std::string strMime = (const char*)store.GetMessage();
    store.Close();
    EXPECT_NE(std::string::npos, strMime.find("Subject: Quarterly figures"));
    EXPECT_NE(std::string::npos, strMime.find("tom@x.org"));
    EXPECT_NE(std::string::npos, strMime.find("here they are."));
    EXPECT_NE(std::string::npos, strMime.find("notes.bin"));
    CAddressTable bcc(LocalSession());
    bcc.OpenForEmail(nID, NULL, 2);
    ASSERT_EQ(S_OK, bcc.MoveNext());
    EXPECT_STREQ("hidden@x.org", bcc.m_Address);
}

TEST_F(ComposeWindowTest, ClosingAsksToSaveOnlyWhenSomethingChanged)
{
    WriteFileBytes(m_folder.Path("a.txt"), "a");
    CString strFolder = m_folder.m_strPath.Left(m_folder.m_strPath.GetLength() - 1);
    enum Edit
    {
        NOTHING,
        SUBJECT,
        SUBJECT_AND_TO,
        PRIORITY,
        ATTACHMENT,
        RECEIPT
    };
    struct
    {
        const char* pszName;
        Edit edit;
        int nAnswer;
        bool bStays;
        std::vector<std::string> boxes;
        long nDrafts;
    } cases[] = {
        {"unchanged", NOTHING, IDYES, false, {}, 0},
        {"subject, No", SUBJECT, IDNO, false, {ComposeText::kSaveChanges}, 0},
        {"subject, Cancel", SUBJECT, IDCANCEL, true, {ComposeText::kSaveChanges}, 0},
        {"subject, Yes", SUBJECT_AND_TO, IDYES, false, {ComposeText::kSaveChanges, ComposeText::kSavedInDrafts}, 1},
        // Storing fails for want of recipients: its reason is shown, never "saved", and the text stays.
        {"Yes, store fails", SUBJECT, IDYES, true, {ComposeText::kSaveChanges, ComposeText::kNoRecipients}, 0},
        {"priority", PRIORITY, IDNO, false, {ComposeText::kSaveChanges}, 0},
        {"attachment", ATTACHMENT, IDNO, false, {ComposeText::kSaveChanges}, 0},
        {"read receipt", RECEIPT, IDNO, false, {ComposeText::kSaveChanges}, 0},
    };
    for (const auto& c : cases)
    {
        long nDraftsBefore = RowsInFolder(5);
        ASSERT_TRUE(Open("") != NULL);
        switch (c.edit)
        {
        case SUBJECT_AND_TO:
            SetText(IDC_COMPOSE_TO, "tom@x.org");
            // fall through
        case SUBJECT:
            SetText(IDC_COMPOSE_SUBJECT, "Draft");
            break;
        case PRIORITY:
            Command(ID_PRIORITY_LOW);
            break;
        case ATTACHMENT:
            m_pUi->Invoke([&] { m_pFrame->m_dialog.m_attachments.AddAttachment(strFolder, "a.txt"); });
            break;
        case RECEIPT:
            Command(ID_READ_RECEIPT);
            break;
        case NOTHING:
            break;
        }
        CloseByUser(c.nAnswer);
        EXPECT_EQ(c.bStays, IsOpen()) << c.pszName;
        EXPECT_EQ(c.boxes, m_user.m_boxes) << c.pszName;
        EXPECT_EQ(c.nDrafts, RowsInFolder(5) - nDraftsBefore) << c.pszName;
        CloseNow();
    }
}

TEST_F(ComposeWindowTest, CancelRefusesTheEndOfTheSessionAndADraftAlwaysAsks)
{
    ASSERT_TRUE(Open("") != NULL);
    SetText(IDC_COMPOSE_SUBJECT, "Unsaved");
    m_user.m_boxAnswers.assign(1, IDCANCEL);
    EXPECT_EQ(FALSE, ::SendMessageA(m_hFrame, WM_QUERYENDSESSION, 0, 0));
    m_user.m_boxAnswers.assign(1, IDNO);
    EXPECT_EQ(TRUE, ::SendMessageA(m_hFrame, WM_QUERYENDSESSION, 0, 0));
    CloseNow();

    LONG nDraft = StoreText("From: ann@example.com\r\nTo: tom@x.org\r\nSubject: Kept\r\n\r\nBody\r\n", 5);
    m_pDatabase->m_Local.m_Emails.SelectByID(nDraft, NULL);
    ASSERT_TRUE(Open("-5") != NULL);
    EXPECT_EQ("Kept", Text(IDC_COMPOSE_SUBJECT));
    CloseByUser(IDNO);
    EXPECT_EQ(std::vector<std::string>{ComposeText::kSaveChanges}, m_user.m_boxes);
    EXPECT_FALSE(IsOpen());
}

TEST_F(ComposeWindowTest, CompletesTheRecipientBeingTypedFromTheAddressBook)
{
    AddContact("John", "Smith", "john.smith@x.org");
    AddContact("Dee", "Jones", "darcy@x.org");
    Exec("UPDATE ContactName SET cFirstname = 'D''Arcy' WHERE cFirstname = 'Dee'");
    struct
    {
        const char* pszName;
        const char* pszBefore; // the field's text, the caret at its end unless nCaret says
        int nCaret;
        const char* pszTyped;
        const char* pszAfter;
        const char* pszSelected; // what completion selected
    } cases[] = {
        {"first name", "", -1, "Joh", "John Smith", "n Smith"},
        {"surname only", "", -1, "Smi", "Smi", ""},
        {"address", "", -1, "john.s", "john.smith@x.org", "mith@x.org"},
        {"mid-word", "Jx", 1, "o", "Jox", ""},
        {"second recipient", "a@b.org; ", -1, "Joh", "a@b.org; John Smith", "n Smith"},
        {"quote", "", -1, "D'A", "D'Arcy Jones", "rcy Jones"},
        {"percent matches itself", "", -1, "J%", "J%", ""},
        {"underscore matches itself", "", -1, "J_h", "J_h", ""},
    };
    ASSERT_TRUE(Open("") != NULL);
    HWND hWndTo = Item(IDC_COMPOSE_TO);
    for (const auto& c : cases)
    {
        ::SendMessageA(hWndTo, WM_SETTEXT, 0, (LPARAM)c.pszBefore);
        int nCaret = c.nCaret < 0 ? (int)strlen(c.pszBefore) : c.nCaret;
        CHARRANGE caret = {nCaret, nCaret};
        ::SendMessageA(hWndTo, EM_EXSETSEL, 0, (LPARAM)&caret);
        Type(hWndTo, c.pszTyped);
        EXPECT_EQ(c.pszAfter, TextOf(hWndTo)) << c.pszName;
        CHARRANGE selection = {};
        ::SendMessageA(hWndTo, EM_EXGETSEL, 0, (LPARAM)&selection);
        std::string strAfter = TextOf(hWndTo);
        EXPECT_EQ(c.pszSelected, strAfter.substr(selection.cpMin, selection.cpMax - selection.cpMin)) << c.pszName;
    }
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(ComposeWindowTest, FindSelectsTheTextOrSaysItIsNotThere)
{
    ASSERT_TRUE(Open("") != NULL);
    SetText(IDC_COMPOSE_BODY, "alpha beta Alpha");
    CDlgFind::s_strLast.Empty();
    CDlgFind::s_bMatchCase = false;
    CDlgFind::s_bDown = true;

    // The frame sends Find to the focused control, and another test process activating a window of its own
    // takes this thread's focus away: the body is focused again for a second try.
    HWND hWndFind = NULL;
    for (int nTry = 0; nTry < 2 && hWndFind == NULL; nTry++)
    {
        m_pUi->Invoke([&] {
            ::SetForegroundWindow(m_hFrame);
            ::SetFocus(Item(IDC_COMPOSE_BODY));
        });
        ::PostMessageA(m_hFrame, WM_COMMAND, ID_EDIT_FIND_TEXT, 0);
        hWndFind = CDialogResponder::FindDialog(m_pUi->ThreadId(), "Find", 10000);
    }
    ASSERT_TRUE(hWndFind != NULL);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hWndFind, IDOK))) << "nothing to find yet";
    SaveWindowScreenshot(hWndFind, "compose-find");
    CDialogResponder::SetField(hWndFind, IDC_FINDTEXT_WHAT, "gamma");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hWndFind, IDOK)));
    CDialogResponder::Press(hWndFind, IDOK);
    m_pUi->WaitUntilIdle();
    EXPECT_EQ(std::vector<std::string>{ComposeText::kStringNotFound}, m_user.m_boxes);
    ASSERT_TRUE(::IsWindow(hWndFind)) << "the dialog stays";

    CDialogResponder::SetField(hWndFind, IDC_FINDTEXT_WHAT, "ALPHA");
    CDialogResponder::SetCheck(hWndFind, IDC_FINDTEXT_MATCH_CASE, false);
    CDialogResponder::Press(hWndFind, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndFind); }));
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageA(Item(IDC_COMPOSE_BODY), EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    EXPECT_EQ(0u, dwStart);
    EXPECT_EQ(5u, dwEnd);
    EXPECT_EQ("ALPHA", std::string(CDlgFind::s_strLast));
}

TEST_F(ComposeWindowTest, FrameCommandsSetPriorityHeadersAndMacros)
{
    ASSERT_TRUE(Open("") != NULL);
    // "Send Individual" is on unless set off: the first button sends individually.
    EXPECT_NE(-1, ToolBarButtonState(m_pFrame->m_hWndMainToolBar, ID_SEND_INDIVIDUAL));
    EXPECT_EQ(-1, ToolBarButtonState(m_pFrame->m_hWndMainToolBar, ID_SEND));

    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_PRIORITY)));
    Command(ID_PRIORITY_BUTTON);
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_PRIORITY)));
    EXPECT_EQ(ComposeText::kHighPriority, Text(IDC_COMPOSE_PRIORITY));
    SaveWindowScreenshot(m_hFrame, "compose-plain-high-priority");
    Command(ID_PRIORITY_BUTTON);
    EXPECT_EQ(ComposeText::kLowPriority, Text(IDC_COMPOSE_PRIORITY));
    Command(ID_PRIORITY_BUTTON);
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_PRIORITY)));

    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_BCC)));
    RECT rcSubjectBefore = WindowRect(Item(IDC_COMPOSE_SUBJECT));
    Command(ID_ALL_HEADERS);
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_BCC)));
    EXPECT_GT(WindowRect(Item(IDC_COMPOSE_SUBJECT)).top, rcSubjectBefore.top) << "the subject moves below Bcc";
    Command(ID_ALL_HEADERS);
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_BCC)));

    LONG nUse = -1, nContacts = -1;
    m_pUi->Invoke([&] { ::SetFocus(Item(IDC_COMPOSE_BODY)); });
    ASSERT_TRUE(::OpenClipboard(NULL));
    ::EmptyClipboard();
    HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, 5);
    memcpy(::GlobalLock(hText), "kept", 5);
    ::GlobalUnlock(hText);
    ::SetClipboardData(CF_TEXT, hText);
    ::CloseClipboard();
    Command(ID_MACRO_FIRSTNAME);
    EXPECT_EQ(ComposeText::kMacroFirstname, Text(IDC_COMPOSE_BODY));
    ASSERT_TRUE(::OpenClipboard(NULL));
    HANDLE hData = ::GetClipboardData(CF_TEXT);
    EXPECT_STREQ("kept", hData != NULL ? (const char*)::GlobalLock(hData) : "") << "the clipboard is the user's";
    if (hData != NULL)
        ::GlobalUnlock(hData);
    ::CloseClipboard();
    Command(ID_GET_MACRO, (LPARAM)&nUse);
    Command(ID_GET_MACRO_CONTACTS, (LPARAM)&nContacts);
    EXPECT_EQ(1, nUse);
    EXPECT_EQ(0, nContacts);
    Command(ID_MACRO_TITLE);
    Command(ID_GET_MACRO_CONTACTS, (LPARAM)&nContacts);
    EXPECT_EQ(1, nContacts);
    Command(ID_USE_MACRO);
    Command(ID_GET_MACRO, (LPARAM)&nUse);
    Command(ID_GET_MACRO_CONTACTS, (LPARAM)&nContacts);
    EXPECT_EQ(0, nUse);
    EXPECT_EQ(0, nContacts) << "Use Macro off also clears Contact Macros";
}

TEST_F(ComposeWindowTest, WithNoAccountACancelledWizardClosesTheWindow)
{
    Exec("DELETE FROM Accounts");
    int nWizardRuns = 0;
    static int* s_pRuns = NULL;
    s_pRuns = &nWizardRuns;
    ComposeAccountWizard = [](CAccountsRecord&, HWND)
    {
        (*s_pRuns)++;
        return 0;
    };
    m_pUi.reset(new CUiThread(_Module));
    CNewMessageArgs args;
    m_pUi->Start(
        [&]
        {
            m_pFrame.reset(new CMainFrameNewMessage(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId(), args));
            return m_pFrame->CreateEx();
        });
    EXPECT_TRUE(m_pUi->WaitForExit());
    EXPECT_GE(nWizardRuns, 1);
}

TEST_F(ComposeWindowTest, TheAttachFileDialogAttachesManyFilesAtOnceAndCancelNothing)
{
    CScratchFolder files("composeattach");
    std::string strNames;
    for (int i = 1; i <= 40; i++)
    {
        char szName[32];
        snprintf(szName, sizeof(szName), "attached-file-%02d.dat", i);
        WriteFileBytes(files.Path(szName), std::string(i, 'x'));
        strNames += std::string("\"") + szName + "\" ";
    }
    ASSERT_TRUE(Open("") != NULL);
    HWND hWndList = Item(IDC_COMPOSE_ATTACHMENTS);

    ::PostMessageA(m_hFrame, WM_COMMAND, ID_FILE_ATTACHMENT, 0);
    HWND hWndDialog = CDialogResponder::FindDialog(m_pUi->ThreadId(), ComposeText::kAttachTitle);
    ASSERT_TRUE(hWndDialog != NULL);
    SaveWindowScreenshot(hWndDialog, "compose-attach-file");
    CDialogResponder::Press(hWndDialog, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndDialog); }));
    m_pUi->WaitUntilIdle();
    EXPECT_EQ(0, (int)::SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_TRUE(m_user.m_boxes.empty());

    ::PostMessageA(m_hFrame, WM_COMMAND, ID_FILE_ATTACHMENT, 0);
    hWndDialog = CDialogResponder::FindDialog(m_pUi->ThreadId(), ComposeText::kAttachTitle);
    ASSERT_TRUE(hWndDialog != NULL);
    // The file name field: an edit of its own, or the edit inside the file name combo box.
    HWND hWndName = ::GetDlgItem(hWndDialog, 0x480);
    if (hWndName == NULL)
        hWndName = FindChildByClass(::GetDlgItem(hWndDialog, 0x47c), "Edit");
    ASSERT_TRUE(hWndName != NULL);
    // The folder first, then all its files at once, as a user would type them.
    CString strFolder = files.m_strPath;
    ::SendMessageA(hWndName, WM_SETTEXT, 0, (LPARAM)strFolder.GetString());
    CDialogResponder::Press(hWndDialog, IDOK);
    m_pUi->WaitUntilIdle();
    ASSERT_TRUE(::IsWindow(hWndDialog));
    ::SendMessageA(hWndName, WM_SETTEXT, 0, (LPARAM)strNames.c_str());
    CDialogResponder::Press(hWndDialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndDialog); }));
    m_pUi->WaitUntilIdle();
    EXPECT_TRUE(m_user.m_boxes.empty()) << (m_user.m_boxes.empty() ? "" : m_user.m_boxes[0]);
    ASSERT_EQ(40, (int)::SendMessageA(hWndList, LVM_GETITEMCOUNT, 0, 0));
    std::set<std::string> names;
    m_pUi->Invoke(
        [&]
        {
            for (int i = 0; i < 40; i++)
            {
                names.insert((const char*)m_pFrame->m_dialog.m_attachments.GetItemFileName(i));
                EXPECT_STREQ(strFolder.Left(strFolder.GetLength() - 1),
                             m_pFrame->m_dialog.m_attachments.GetItemFolder(i));
            }
        });
    EXPECT_EQ(40u, names.size());
    EXPECT_EQ(1u, names.count("attached-file-40.dat"));
}

TEST_F(ComposeWindowTest, WithoutTheEditorHtmlOffersTheInstallAndClosesThroughTheSaveQuery)
{
    m_pRegistry->m_strUpdateUrl = "http://updates.example/orb";
    ComponentInstaller pfnPrevious = SetComponentInstaller(RecordInstall);
    struct
    {
        const char* pszName;
        int nAnswer;
        int nInstalled;
        bool bInstallAsked;
        std::vector<std::string> boxes;
        bool bStays;
    } cases[] = {
        {"No", IDNO, 1, false, {ComposeText::kDhtmlMissing}, true},
        // The installer has said why it failed: the window stays, with what was typed.
        {"Yes, not installed", IDYES, 0, true, {ComposeText::kDhtmlMissing}, true},
        {"Yes, installed",
         IDYES,
         1,
         true,
         {ComposeText::kDhtmlMissing, ComposeText::kCloseAndRetry, ComposeText::kSaveChanges},
         false},
    };
    for (const auto& c : cases)
    {
        g_installs.clear();
        g_nInstallResult = c.nInstalled;
        ASSERT_TRUE(Open("") != NULL);
        SetText(IDC_COMPOSE_SUBJECT, "Typed");
        m_user.m_boxes.clear();
        m_user.m_boxAnswers = {c.nAnswer, IDOK, IDNO};
        Command(ID_RICH_TEXT);
        if (c.bStays)
            m_pUi->WaitUntilIdle();
        else
            EXPECT_TRUE(m_pUi->WaitForExit()) << c.pszName;
        EXPECT_EQ(c.boxes, m_user.m_boxes) << c.pszName;
        EXPECT_EQ(c.bStays, IsOpen()) << c.pszName;
        ASSERT_EQ(c.bInstallAsked ? 1u : 0u, g_installs.size()) << c.pszName;
        if (c.bInstallAsked)
        {
            EXPECT_EQ("DHTML", g_installs[0].strComponent);
            EXPECT_EQ("http://updates.example/orb/", g_installs[0].strUrl);
        }
        if (c.bStays)
        {
            EXPECT_EQ(0, m_pFrame->m_dialog.m_fields.m_bHtml) << c.pszName;
            EXPECT_EQ("Typed", Text(IDC_COMPOSE_SUBJECT));
        }
        CloseNow();
    }
    SetComponentInstaller(pfnPrevious);
}

TEST_F(ComposeWindowTest, RecipientButtonsEditTheirOwnFieldThroughSelectRecipients)
{
    ComposeSelectRecipients = RecordPicker;
    struct
    {
        const char* pszName;
        int nButton, nField, nWell;
        const char* pszBefore;
        INT_PTR nAnswer;
        const char* pszAfter;
    } cases[] = {
        {"To, OK", IDC_COMPOSE_TO_BUTTON, IDC_COMPOSE_TO, 0, "tom@x.org", IDOK, kPicked},
        {"Cc, OK on an empty field", IDC_COMPOSE_CC_BUTTON, IDC_COMPOSE_CC, 1, "", IDOK, kPicked},
        {"Bcc, Cancel", IDC_COMPOSE_BCC_BUTTON, IDC_COMPOSE_BCC, 2, "b@x.org", IDCANCEL, "b@x.org"},
    };
    for (const auto& c : cases)
    {
        ASSERT_TRUE(Open("") != NULL);
        SetText(c.nField, c.pszBefore);
        m_pUi->Invoke(
            [&]
            {
                m_pFrame->m_dialog.Relayout();
                m_pFrame->m_dialog.m_bChanged = 0;
            });
        g_pickerCalls.clear();
        g_nPickerAnswer = c.nAnswer;
        m_pUi->Invoke([&] { ::SendMessageA(Item(c.nButton), BM_CLICK, 0, 0); });
        ASSERT_EQ(1u, g_pickerCalls.size()) << c.pszName << ": only the button's own field is offered";
        EXPECT_EQ(c.nWell, g_pickerCalls[0].nWell) << c.pszName;
        EXPECT_EQ(c.pszBefore, g_pickerCalls[0].strPreset) << c.pszName;
        EXPECT_EQ(c.pszAfter, Text(c.nField)) << c.pszName;
        bool bChanged = false;
        m_pUi->Invoke([&] { bChanged = m_pFrame->m_dialog.HasChanges(); });
        EXPECT_EQ(c.nAnswer == IDOK, bChanged) << c.pszName << ": a choice is a change to save";
        CloseNow();
    }

    // A mail-merge list too long to edit: the dialog starts empty, and the choice makes the field editable.
    std::string strLong;
    while (strLong.size() < 40000)
        strLong += "someone@example.org, ";
    ASSERT_TRUE(Open(strLong.c_str()) != NULL);
    EXPECT_TRUE(::SendMessageA(Item(IDC_COMPOSE_TO), EM_GETOPTIONS, 0, 0) & ECO_READONLY);
    g_pickerCalls.clear();
    g_nPickerAnswer = IDOK;
    m_pUi->Invoke([&] { ::SendMessageA(Item(IDC_COMPOSE_TO_BUTTON), BM_CLICK, 0, 0); });
    ASSERT_EQ(1u, g_pickerCalls.size());
    EXPECT_EQ("", g_pickerCalls[0].strPreset);
    EXPECT_EQ(kPicked, Text(IDC_COMPOSE_TO));
    EXPECT_FALSE(::SendMessageA(Item(IDC_COMPOSE_TO), EM_GETOPTIONS, 0, 0) & ECO_READONLY);
    CloseNow();
    ComposeSelectRecipients = NULL;
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(ComposeWindowTest, TheFromButtonReadsTheAccountsAgainAndKeepsTheChosenOne)
{
    static int s_nDialogs;
    s_nDialogs = 0;
    auto pfnPrevious = CMainDialogs::RunAccountsDialog;
    CMainDialogs::RunAccountsDialog = [](HWND) -> INT_PTR
    {
        s_nDialogs++;
        return IDOK;
    };
    AddAccount("Bob", "bob@example.com");
    ASSERT_TRUE(Open("") != NULL);
    HWND hWndFrom = Item(IDC_COMPOSE_FROM);
    ASSERT_EQ(2, (int)::SendMessageA(hWndFrom, CB_GETCOUNT, 0, 0));
    EXPECT_EQ("ann@example.com (Ann Sender)", TextOf(hWndFrom)) << "the default account first";
    ::SendMessageA(hWndFrom, CB_SETCURSEL, 1, 0);
    EXPECT_EQ("bob@example.com (Bob)", TextOf(hWndFrom));

    // What the user did in the dialog: another account.
    AddAccount("Cy", "cy@example.com");
    m_pUi->Invoke([&] { ::SendMessageA(Item(IDC_COMPOSE_FROM_BUTTON), BM_CLICK, 0, 0); });
    EXPECT_EQ(1, s_nDialogs);
    EXPECT_EQ(3, (int)::SendMessageA(hWndFrom, CB_GETCOUNT, 0, 0));
    EXPECT_EQ("bob@example.com (Bob)", TextOf(hWndFrom));
    CMainDialogs::RunAccountsDialog = pfnPrevious;
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(ComposeWindowTest, TheButtonsShowTheirPicturesAndTheCardButtonItsMenu)
{
    ASSERT_TRUE(Open("") != NULL);
    CDlgNewMessage& dialog = m_pFrame->m_dialog;
    ASSERT_TRUE(dialog.m_hRecipientsBitmap != NULL && dialog.m_hAccountsBitmap != NULL && dialog.m_hCardBitmap != NULL);
    EXPECT_EQ((LRESULT)dialog.m_hAccountsBitmap,
              ::SendMessageA(Item(IDC_COMPOSE_FROM_BUTTON), BM_GETIMAGE, IMAGE_BITMAP, 0));

    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_CARD)));
    Command(ID_MY_BUSINESS_CARD);
    ASSERT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_CARD)));
    EXPECT_LT(WindowRect(Item(IDC_COMPOSE_TO)).right, WindowRect(Item(IDC_COMPOSE_CARD)).left)
        << "the fields end left of the card";
    SaveWindowScreenshot(m_hFrame, "compose-business-card");

    // The card's menu: Open, Delete; Delete takes the card off the message.
    DWORD dwThread = m_pUi->ThreadId();
    auto openMenu = [&]() -> HWND
    {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        return menus.empty() ? NULL : menus[0];
    };
    ::PostMessageA(Item(IDC_COMPOSE_CARD), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return openMenu() != NULL; }));
    SaveWindowScreenshot(openMenu(), "compose-business-card-menu");
    for (int i = 0; i < 2; i++)
        ::PostMessageA(openMenu(), WM_KEYDOWN, VK_DOWN, 0x00000001);
    ::PostMessageA(openMenu(), WM_KEYDOWN, VK_RETURN, 0x00000001);
    EXPECT_TRUE(WaitFor([&] { return openMenu() == NULL; }));
    m_pUi->WaitUntilIdle();
    EXPECT_EQ(0, dialog.m_fields.m_bBusinessCard);
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_CARD)));
    EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
}

TEST_F(ComposeWindowTest, BusinessCardAttachesTheChosenContactsCards)
{
    static std::vector<LONG> s_chosen;
    static std::vector<std::string> s_texts;
    s_chosen = {AddContact("Dora", "Lind", "dora@x.org"), AddContact("Ed", "Moss", "ed@x.org")};
    s_texts.clear();
    ComposeSelectContacts = [](HWND, const char* pszTitle, const char* pszButton, const char* pszPrompt,
                               std::vector<LONG>& contacts)
    {
        s_texts = {pszTitle, pszButton, pszPrompt};
        contacts = s_chosen;
        return true;
    };
    ASSERT_TRUE(Open("") != NULL);
    Command(ID_BUSINESS_CARD);
    ComposeSelectContacts = NULL;
    EXPECT_EQ((std::vector<std::string>{"Business cards", "&Add", "Select a contact(s) for attaching to new message."}),
              s_texts);
    std::vector<std::string> attached;
    m_pUi->Invoke(
        [&]
        {
            CAttachmentList& list = m_pFrame->m_dialog.m_attachments;
            for (int i = 0; i < list.GetItemCount(); i++)
            {
                CString strPath = list.GetItemFolder(i) + "\\" + list.GetItemFileName(i);
                attached.push_back(ReadFileBytes(strPath));
            }
        });
    ASSERT_EQ(2u, attached.size());
    EXPECT_NE(std::string::npos, attached[0].find("BEGIN:VCARD"));
    EXPECT_NE(std::string::npos, attached[0].find("dora@x.org")) << attached[0];
    EXPECT_NE(std::string::npos, attached[1].find("ed@x.org")) << attached[1];
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_ATTACHMENTS)));
    EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
}

// The card's Open: the user's own card in contact Properties, where OK stores the edits and Cancel nothing;
// with no card chosen, or one that is gone, it says so and shows nothing else.
TEST_F(ComposeWindowTest, OpenShowsTheOwnCardInPropertiesAndOkStoresItsEdits)
{
    LONG nOwn = AddContact("Olga", "Own", "olga@x.org");
    ASSERT_GT(nOwn, 0);
    ASSERT_TRUE(Open("") != NULL);
    const struct
    {
        const char* pszCase;
        LONG nCardID;
    } missing[] = {{"no card chosen", -1}, {"a card whose contact is gone", nOwn + 1000}};
    for (const auto& c : missing)
    {
        SCOPED_TRACE(c.pszCase);
        m_pRegistry->SetBusinessCardContactId(c.nCardID);
        m_user.m_boxes.clear();
        Command(ID_OPEN_MY_CARD);
        EXPECT_EQ(std::vector<std::string>{"Unable to open  business card"}, m_user.m_boxes);
    }

    m_pRegistry->SetBusinessCardContactId(nOwn);
    const struct
    {
        int nButton;
        const char* pszStored;
    } answers[] = {{IDCANCEL, "Olga"}, {IDOK, "Olgina"}};
    for (const auto& answer : answers)
    {
        SCOPED_TRACE(answer.nButton);
        m_user.m_boxes.clear();
        ::PostMessageA(m_hFrame, WM_COMMAND, ID_OPEN_MY_CARD, 0);
        HWND hDlg = CDialogResponder::FindDialog(m_pUi->ThreadId(), "Properties");
        ASSERT_NE(nullptr, hDlg);
        ASSERT_TRUE(WaitFor([&] { return CDialogResponder::ItemText(hDlg, IDC_AB_COMPANY_COMBO) == "Company of Own"; }));
        HWND hDetails = NULL;
        for (HWND h = ::GetWindow(hDlg, GW_CHILD); h != NULL; h = ::GetWindow(h, GW_HWNDNEXT))
            if (::GetDlgItem(h, IDC_AB_FIRSTNAME) != NULL)
                hDetails = h;
        ASSERT_NE(nullptr, hDetails);
        // Editable: the stored contact, not a card read from a file.
        EXPECT_EQ("Olga", CDialogResponder::ItemText(hDetails, IDC_AB_FIRSTNAME));
        EXPECT_EQ(0, ::GetWindowLongA(::GetDlgItem(hDetails, IDC_AB_FIRSTNAME), GWL_STYLE) & ES_READONLY);
        if (answer.nButton == IDOK)
            SaveWindowScreenshot(hDlg, "compose-own-card");
        CDialogResponder::SetField(hDetails, IDC_AB_FIRSTNAME, "Olgina");
        CDialogResponder::Press(hDlg, answer.nButton);
        ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hDlg); }));
        m_pUi->WaitUntilIdle();
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM ContactName WHERE ID = %ld AND cFirstname = '%s'", (long)nOwn,
                      answer.pszStored);
        EXPECT_EQ(1, Query(strSQL));
        EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
    }
    EXPECT_TRUE(IsOpen());
}

class ComposeHtmlWindowTest : public ComposeWindowTest
{
protected:
    void SetUp() override
    {
        ComposeWindowTest::SetUp();
        CHtmlEdit::SetAvailable(true);
    }
    CDHTMLEditHost& Editor() { return m_pFrame->m_dialog.m_editor; }
    // Puts a document into the editor as the user's text would be; false while the control holds none.
    bool PutDocument(const wchar_t* pszHtml)
    {
        bool bDone = false;
        m_pUi->Invoke(
            [&]
            {
                if (Editor().m_spEdit == NULL || FAILED(Editor().m_spEdit->put_DocumentHTML(CComBSTR(pszHtml))))
                    return;
                CComBSTR html;
                bDone = SUCCEEDED(Editor().m_spEdit->get_DocumentHTML(&html)) && html != NULL && html.Length() > 0;
            });
        m_pUi->WaitUntilIdle();
        return bDone;
    }
    std::string StoredText(LONG nFolderType)
    {
        CString strSQL;
        strSQL.Format("SELECT MAX(EmailsID) FROM Emails WHERE FolderID = %ld", (long)FolderOfType(nFolderType));
        LONG nID = Query(strSQL);
        if (nID <= 0)
            return "";
        CEmailsImpl<> store(LocalSession());
        store.SelectByID(nID, NULL);
        std::string strText = (const char*)store.GetMessage();
        store.Close();
        return strText;
    }
};

#define SKIP_WITHOUT_EDITOR_DOCUMENTS(put)                                                                           \
    if (!(put))                                                                                                      \
    GTEST_SKIP() << "the HTML editor control holds no document yet"

TEST_F(ComposeHtmlWindowTest, WritesHtmlInTheEditorWithItsTabsAndRefusesToSendFromTheSource)
{
    ASSERT_TRUE(Open("") != NULL);
    ASSERT_TRUE(Editor().Exists());
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_TABS)));
    EXPECT_TRUE(Editor().IsWindowVisible());
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_COMPOSE_BODY)));
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><P>Hello <B>there</B></P></BODY></HTML>"));
    SaveWindowScreenshot(m_hFrame, "compose-html");

    // Source Edit cannot change while another tab is shown; sending from the Source tab is refused.
    SetText(IDC_COMPOSE_TO, "tom@x.org");
    SetText(IDC_COMPOSE_SUBJECT, "From the source");
    m_pUi->Invoke(
        [&]
        {
            ::SendMessageA(Item(IDC_COMPOSE_TABS), TCM_SETCURSEL, 1, 0);
            NMHDR header = {Item(IDC_COMPOSE_TABS), IDC_COMPOSE_TABS, (UINT)TCN_SELCHANGE};
            ::SendMessageA(m_pFrame->m_dialog.m_hWnd, WM_NOTIFY, IDC_COMPOSE_TABS, (LPARAM)&header);
        });
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_COMPOSE_SOURCE)));
    EXPECT_NE(std::string::npos, Text(IDC_COMPOSE_SOURCE).find("there"));
    SaveWindowScreenshot(m_hFrame, "compose-html-source");
    m_user.m_boxes.clear();
    Command(ID_SOURCE_EDIT);
    Command(ID_SEND);
    EXPECT_EQ((std::vector<std::string>{ComposeText::kGoToEditTab, ComposeText::kStillEditingSource}),
              m_user.m_boxes);
    EXPECT_EQ(0, RowsInFolder(2));
    EXPECT_TRUE(IsOpen());
}

TEST_F(ComposeHtmlWindowTest, SwitchingToPlainTextAsksOnlyWhenEditedAndKeepsTheText)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>first line</DIV><DIV>second</DIV></BODY></HTML>"));
    m_user.m_boxes.clear();
    Command(ID_PLAIN_TEXT);
    EXPECT_TRUE(m_user.m_boxes.empty()) << "an unedited document switches without a question";
    EXPECT_EQ(0, m_pFrame->m_dialog.m_fields.m_bHtml);
    EXPECT_EQ("first line\r\nsecond", Text(IDC_COMPOSE_BODY).substr(0, 19));
    SaveWindowScreenshot(m_hFrame, "compose-plain");

    Command(ID_RICH_TEXT);
    EXPECT_EQ(1, m_pFrame->m_dialog.m_fields.m_bHtml);
    std::string strText;
    m_pUi->Invoke([&] { strText = (const char*)Editor().GetPlainText(); });
    EXPECT_EQ(0u, strText.find("first line\r\nsecond"));

    // Typed into: the question comes, and Cancel keeps HTML.
    HWND hWndRich = Editor().m_pEdit->RichEditWindow();
    ::SendMessageA(hWndRich, WM_CHAR, 'x', 1);
    m_user.m_boxes.clear();
    m_user.m_boxAnswers.assign(1, IDCANCEL);
    Command(ID_PLAIN_TEXT);
    EXPECT_EQ(std::vector<std::string>{ComposeText::kToHtmlWarning}, m_user.m_boxes);
    EXPECT_EQ(1, m_pFrame->m_dialog.m_fields.m_bHtml);
}

// The editor once posted itself a change after each of the host's format queries, so the thread never went
// idle and the modal question never showed: the send stopped with an error.
TEST_F(ComposeHtmlWindowTest, TextOutsideTheCodePageOffersUnicodeAndCancelStoresNothing)
{
    struct
    {
        const wchar_t* pszBody;
        int nAnswer; // the button of dialog 305, 0 when it must not come
        bool bStored;
        const char* pszCharset;
    } cases[] = {
        {L"Price \x20ac 5", 0, true, "charset=\"windows-1252\""},
        {L"\x041f\x0440\x0438\x0432\x0435\x0442", IDC_CHARSET_UNICODE, true, "charset=\"utf-8\""},
        {L"\x041f\x0440\x0438\x0432\x0435\x0442", IDCANCEL, false, ""},
    };
    for (const auto& c : cases)
    {
        long nBefore = RowsInFolder(2);
        ASSERT_TRUE(Open("") != NULL);
        std::wstring strDocument = std::wstring(L"<HTML><BODY><DIV>") + c.pszBody + L"</DIV></BODY></HTML>";
        SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(strDocument.c_str()));
        SetText(IDC_COMPOSE_TO, "tom@x.org");
        SetText(IDC_COMPOSE_SUBJECT, "Charset");
        int nDialogs = 0;
        CDialogResponder responder(m_pUi->ThreadId(),
                                   [&](HWND hWndDialog)
                                   {
                                       if (WindowText(hWndDialog) != "Message Character Set Conflict")
                                           return false;
                                       nDialogs++;
                                       SaveWindowScreenshot(hWndDialog, "compose-charset-conflict");
                                       return CDialogResponder::Press(hWndDialog, c.nAnswer);
                                   });
        ::PostMessageA(m_hFrame, WM_COMMAND, ID_SEND, 0);
        if (c.bStored)
        {
            EXPECT_TRUE(m_pUi->WaitForExit());
        }
        else
        {
            EXPECT_TRUE(WaitFor([&] { return nDialogs == 1; }));
        }
        m_pUi->WaitUntilIdle();
        EXPECT_EQ(c.nAnswer != 0 ? 1 : 0, nDialogs) << (m_user.m_boxes.empty() ? "" : m_user.m_boxes[0]);
        EXPECT_EQ(c.bStored ? 1 : 0, RowsInFolder(2) - nBefore);
        std::string strStored = c.bStored ? StoredText(2) : "";
        if (c.bStored)
        {
            EXPECT_NE(std::string::npos, strStored.find(c.pszCharset)) << strStored.substr(0, 600);
        }
        CloseNow();
    }
}

TEST_F(ComposeHtmlWindowTest, TheClipboardSurvivesSendingSwitchingAndTheSignature)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>body text</DIV></BODY></HTML>"));
    {
        CSignaturesTable signatures(LocalSession());
        signatures.ReadSignature(NULL);
    }
    Exec("INSERT INTO Signatures (SignatureText) VALUES ('Ann')");
    ASSERT_TRUE(::OpenClipboard(NULL));
    ::EmptyClipboard();
    HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(::GlobalLock(hText), "saved", 6);
    ::GlobalUnlock(hText);
    ::SetClipboardData(CF_TEXT, hText);
    HDC hDC = ::GetDC(NULL);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, 4, 4);
    ::ReleaseDC(NULL, hDC);
    ::SetClipboardData(CF_BITMAP, hBitmap);
    ::CloseClipboard();

    Command(ID_SIGNATURE);
    Command(ID_PLAIN_TEXT);
    Command(ID_RICH_TEXT);
    SetText(IDC_COMPOSE_TO, "tom@x.org");
    SetText(IDC_COMPOSE_SUBJECT, "Clipboard");
    ::PostMessageA(m_hFrame, WM_COMMAND, ID_SEND, 0);
    ASSERT_TRUE(m_pUi->WaitForExit());

    ASSERT_TRUE(::OpenClipboard(NULL));
    HANDLE hData = ::GetClipboardData(CF_TEXT);
    ASSERT_TRUE(hData != NULL);
    EXPECT_STREQ("saved", (const char*)::GlobalLock(hData));
    ::GlobalUnlock(hData);
    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_BITMAP));
    ::CloseClipboard();
    EXPECT_NE(std::string::npos, StoredText(2).find("body text"));
}

TEST_F(ComposeHtmlWindowTest, InsertTableWithItsDefaultsMakesATwoByTwoTable)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>x</DIV></BODY></HTML>"));
    m_pUi->Invoke([&] { Editor().SetFocus(); });
    ::PostMessageA(m_hFrame, WM_COMMAND, 32881, 0);
    HWND hWndTable = CDialogResponder::FindDialog(m_pUi->ThreadId(), "Insert Table");
    ASSERT_TRUE(hWndTable != NULL);
    EXPECT_EQ("2", CDialogResponder::ItemText(hWndTable, IDC_TABLE_ROWS));
    EXPECT_EQ("2", CDialogResponder::ItemText(hWndTable, IDC_TABLE_COLUMNS));
    EXPECT_EQ("BORDER=1 BGCOLOR=black", CDialogResponder::ItemText(hWndTable, IDC_TABLE_ATTRIBUTES));
    EXPECT_EQ("BGCOLOR=white", CDialogResponder::ItemText(hWndTable, IDC_TABLE_CELL_ATTRIBUTES));
    SaveWindowScreenshot(hWndTable, "compose-insert-table");
    CDialogResponder::Press(hWndTable, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hWndTable); }));
    m_pUi->WaitUntilIdle();
    std::string strHtml;
    m_pUi->Invoke([&] { strHtml = (const char*)Editor().GetDocumentHTML(); });
    size_t nRows = 0, nCells = 0;
    for (size_t n = strHtml.find("<TR"); n != std::string::npos; n = strHtml.find("<TR", n + 1))
        nRows++;
    for (size_t n = strHtml.find("<TD"); n != std::string::npos; n = strHtml.find("<TD", n + 1))
        nCells++;
    EXPECT_EQ(2u, nRows) << strHtml;
    EXPECT_EQ(4u, nCells) << strHtml;
}

TEST_F(ComposeHtmlWindowTest, BoldOnASelectionChecksItsMenuItemAndButton)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>plain words</DIV></BODY></HTML>"));
    HWND hWndBar = m_pFrame->m_formatBar.m_hWnd;
    ASSERT_TRUE(hWndBar != NULL);
    auto boldShown = [&]
    {
        bool bItem = (::GetMenuState(m_pFrame->m_hMenuHtml, 32821, MF_BYCOMMAND) & MF_CHECKED) != 0;
        bool bButton = ::SendMessageA(hWndBar, TB_ISBUTTONCHECKED, 32821, 0) != 0;
        return bItem && bButton;
    };
    // Selected by the editor itself: the Edit command acts only while the window has the focus.
    m_pUi->Invoke(
        [&]
        {
            Editor().SetFocus();
            Editor().Exec(DECMD_SELECTALL, DECMD_OPT_DONTPROMPTUSER);
        });
    m_pUi->WaitUntilIdle();
    EXPECT_FALSE(boldShown());
    Command(32821);
    EXPECT_TRUE(WaitFor(boldShown));
    std::string strHtml;
    m_pUi->Invoke([&] { strHtml = (const char*)Editor().GetDocumentHTML(); });
    EXPECT_TRUE(strHtml.find("<B>") != std::string::npos || strHtml.find("<STRONG>") != std::string::npos)
        << strHtml;
    Command(32821);
    EXPECT_TRUE(WaitFor([&] { return !boldShown(); }));
}

TEST_F(ComposeHtmlWindowTest, TheFontBoxesSetTheFontOfTheSelection)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>sized words</DIV></BODY></HTML>"));
    HWND hWndName = m_pFrame->m_formatBar.m_hWndFontName, hWndSize = m_pFrame->m_formatBar.m_hWndFontSize;
    ASSERT_TRUE(hWndName != NULL && hWndSize != NULL);
    ASSERT_GT((int)::SendMessageA(hWndName, CB_GETCOUNT, 0, 0), 0) << "no font to choose";
    // The choice as the toolbar hands its boxes' notifications to the frame.
    auto choose = [&](HWND hWndBox, int nID, int nIndex)
    {
        m_pUi->Invoke(
            [&]
            {
                Editor().SetFocus();
                Editor().Exec(DECMD_SELECTALL, DECMD_OPT_DONTPROMPTUSER);
                ::SendMessageA(hWndBox, CB_SETCURSEL, nIndex, 0);
                ::SendMessageA(m_hFrame, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE), (LPARAM)hWndBox);
            });
        m_pUi->WaitUntilIdle();
    };
    choose(hWndSize, ID_FONT_SIZE_BOX, 5);
    std::string strHtml;
    m_pUi->Invoke([&] { strHtml = (const char*)Editor().GetDocumentHTML(); });
    std::string strUpper = strHtml;
    for (char& ch : strUpper)
        ch = (char)toupper((unsigned char)ch);
    EXPECT_TRUE(strUpper.find("SIZE=6") != std::string::npos || strUpper.find("SIZE=\"6\"") != std::string::npos)
        << strHtml;

    // A font other than the document's own, which a page need not name.
    int nPick = -1;
    char szName[LF_FACESIZE + 1] = "";
    for (int i = 0; i < (int)::SendMessageA(hWndName, CB_GETCOUNT, 0, 0) && nPick < 0; i++)
    {
        ::SendMessageA(hWndName, CB_GETLBTEXT, i, (LPARAM)szName);
        if (szName[0] != '@' && strcmp(szName, "Times New Roman") != 0 && strchr(szName, ' ') == NULL)
            nPick = i;
    }
    ASSERT_GE(nPick, 0);
    choose(hWndName, ID_FONT_NAME_BOX, nPick);
    m_pUi->Invoke([&] { strHtml = (const char*)Editor().GetDocumentHTML(); });
    EXPECT_NE(std::string::npos, strHtml.find(szName)) << szName << "\n" << strHtml;
    // The editor reports the selection's font back to the box.
    EXPECT_TRUE(WaitFor([&] { return TextOf(hWndName) == szName; })) << TextOf(hWndName);
    EXPECT_TRUE(m_user.m_boxes.empty());
}

TEST_F(ComposeHtmlWindowTest, TheColourAndStyleButtonsDropTheirMenusAndApplyTheChoice)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><P>coloured words</P></BODY></HTML>"));
    DWORD dwThread = m_pUi->ThreadId();
    auto openMenu = [&]() -> HWND
    {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        return menus.empty() ? NULL : menus[0];
    };
    auto chooseItem = [&](int nIndex)
    {
        HWND hWndMenu = openMenu();
        for (int i = 0; i <= nIndex; i++)
            ::PostMessageA(hWndMenu, WM_KEYDOWN, VK_DOWN, 0x00000001);
        ::PostMessageA(hWndMenu, WM_KEYDOWN, VK_RETURN, 0x00000001);
        EXPECT_TRUE(WaitFor([&] { return openMenu() == NULL; }));
        m_pUi->WaitUntilIdle();
    };
    m_pUi->Invoke(
        [&]
        {
            Editor().SetFocus();
            Editor().Exec(DECMD_SELECTALL, DECMD_OPT_DONTPROMPTUSER);
        });

    // Text colour: the seventeen colours, "Red" the tenth.
    ::PostMessageA(m_hFrame, WM_COMMAND, 32945, 0);
    ASSERT_TRUE(WaitFor([&] { return openMenu() != NULL; }));
    EXPECT_EQ(17, ::GetMenuItemCount(Editor().m_colorText.m_hMenu));
    SaveWindowScreenshot(openMenu(), "compose-text-colour-menu");
    chooseItem(9);
    std::string strHtml;
    m_pUi->Invoke([&] { strHtml = (const char*)Editor().GetDocumentHTML(); });
    std::string strUpper = strHtml;
    for (char& ch : strUpper)
        ch = (char)toupper((unsigned char)ch);
    EXPECT_NE(std::string::npos, strUpper.find("FF0000")) << strHtml;

    // Style: the editor's block formats; the choice becomes the paragraph's format.
    std::vector<CString> names;
    m_pUi->Invoke([&] { names = Editor().BlockFormatNames(); });
    ASSERT_FALSE(names.empty());
    int nHeading = -1;
    for (size_t i = 0; i < names.size(); i++)
        if (names[i] == "Heading 1")
            nHeading = (int)i;
    ASSERT_GE(nHeading, 0);
    ::PostMessageA(m_hFrame, WM_COMMAND, 32946, 0);
    ASSERT_TRUE(WaitFor([&] { return openMenu() != NULL; }));
    SaveWindowScreenshot(openMenu(), "compose-style-menu");
    chooseItem(nHeading);
    std::string strFormat;
    m_pUi->Invoke([&] { strFormat = (const char*)Editor().CurrentBlockFormat(); });
    EXPECT_EQ("Heading 1", strFormat);
    EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
}

TEST_F(ComposeHtmlWindowTest, ThePreviewTabShowsTheMessageAsItWillBeSent)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><P>Hello <B>preview</B></P></BODY></HTML>"));
    SetText(IDC_COMPOSE_TO, "tom@x.org");
    SetText(IDC_COMPOSE_SUBJECT, "Preview");
    m_pUi->Invoke(
        [&]
        {
            ::SendMessageA(Item(IDC_COMPOSE_TABS), TCM_SETCURSEL, 2, 0);
            NMHDR header = {Item(IDC_COMPOSE_TABS), IDC_COMPOSE_TABS, (UINT)TCN_SELCHANGE};
            ::SendMessageA(m_pFrame->m_dialog.m_hWnd, WM_NOTIFY, IDC_COMPOSE_TABS, (LPARAM)&header);
        });
    m_pUi->WaitUntilIdle();
    HWND hWndPreview = m_pFrame->m_dialog.m_pPreview ? m_pFrame->m_dialog.m_pPreview->m_hWnd : NULL;
    ASSERT_TRUE(hWndPreview != NULL);
    EXPECT_TRUE(::IsWindowVisible(hWndPreview));
    EXPECT_FALSE(Editor().IsWindowVisible());
    std::string strWritten = ReadFileBytes(GetTempHtmlPath() + "\\MessageBody.htm");
    EXPECT_NE(std::string::npos, strWritten.find("preview")) << strWritten;
    SaveWindowScreenshot(m_hFrame, "compose-html-preview");
    EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
}

TEST_F(ComposeHtmlWindowTest, TheEditorsContextMenuOffersWhatTheSelectionAllows)
{
    ASSERT_TRUE(Open("") != NULL);
    SKIP_WITHOUT_EDITOR_DOCUMENTS(PutDocument(L"<HTML><BODY><DIV>some words</DIV></BODY></HTML>"));
    DWORD dwThread = m_pUi->ThreadId();
    auto openMenu = [&]() -> HWND
    {
        std::vector<HWND> menus = ThreadWindows(dwThread, "#32768");
        return menus.empty() ? NULL : menus[0];
    };
    HWND hWndRich = Editor().m_pEdit->RichEditWindow();
    struct
    {
        bool bSelectAll;
        bool bCopy, bCut, bSelectAllItem;
    } cases[] = {
        {false, false, false, true},
        {true, true, true, true},
    };
    for (const auto& c : cases)
    {
        m_pUi->Invoke(
            [&]
            {
                Editor().SetFocus();
                if (c.bSelectAll)
                    Editor().Exec(DECMD_SELECTALL, DECMD_OPT_DONTPROMPTUSER);
            });
        // The menu key: the menu opens at the caret.
        ::PostMessageA(hWndRich, WM_CONTEXTMENU, (WPARAM)hWndRich, (LPARAM)-1);
        ASSERT_TRUE(WaitFor([&] { return openMenu() != NULL; })) << c.bSelectAll;
        HMENU hMenu = (HMENU)::SendMessageA(openMenu(), MN_GETHMENU, 0, 0);
        ASSERT_TRUE(hMenu != NULL);
        auto enabled = [&](UINT nID) { return !(::GetMenuState(hMenu, nID, MF_BYCOMMAND) & MF_GRAYED); };
        EXPECT_EQ(c.bCopy, enabled(ID_EDIT_COPY)) << c.bSelectAll;
        EXPECT_EQ(c.bCut, enabled(ID_EDIT_CUT)) << c.bSelectAll;
        EXPECT_EQ(c.bSelectAllItem, enabled(ID_SELECT_ALL_ITEMS)) << c.bSelectAll;
        if (c.bSelectAll)
            SaveWindowScreenshot(openMenu(), "compose-editor-context-menu");
        m_pUi->Invoke([] { ::EndMenu(); });
        EXPECT_TRUE(WaitFor([&] { return openMenu() == NULL; }));
    }
    EXPECT_TRUE(m_user.m_boxes.empty()) << m_user.m_boxes[0];
}

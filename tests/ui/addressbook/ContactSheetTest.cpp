// The new-contact sheet and the Properties dialog with its company page, driven as a user would.
#include <windows.h>

#include <commctrl.h>

#include <atomic>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "SeamRecorder.h"
#include "WindowReaders.h"
#include "app/ManagerCommands.h"
#include "foundation/Paths.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "store/SiteTable.h"
#include "ui/addressbook/DlgContactProperties.h"
#include "ui/addressbook/SheetContact.h"

namespace
{
// Message boxes, not the dialogs of the address book, whose labels have the same identifier as a box's text.
bool IsMessageBox(HWND hDlg)
{
    return !CDialogResponder::MessageBoxText(hDlg).empty() && ::GetDlgItem(hDlg, IDC_AB_TABS) == NULL &&
           ::GetDlgItem(hDlg, IDC_AB_LIST) == NULL && ::FindWindowExA(hDlg, NULL, "#32770", NULL) == NULL &&
           ::GetDlgItem(hDlg, IDC_AB_NAME) == NULL;
}

class ContactSheetTest : public AddressBookTest
{
protected:
    ContactSheetTest() : m_dialogUi(_Module) {}

    // Runs body on a thread of its own (the dialogs' thread), the owner answering from its own.
    void RunOnDialogThread(std::function<void()> body)
    {
        m_bDone = false;
        m_dialogUi.Run([this, body]() {
            body();
            m_bDone = true;
        });
    }
    bool WaitDone() { return WaitFor([&]() { return m_bDone.load(); }); }

    // Records every message box of the dialog thread and answers it with OK (Yes for questions).
    std::unique_ptr<CDialogResponder> AnswerBoxes(int nQuestionAnswer = IDYES)
    {
        return std::unique_ptr<CDialogResponder>(new CDialogResponder(m_dialogUi.ThreadId(), [=](HWND hDlg) {
            if (!IsMessageBox(hDlg))
                return false;
            HWND hYes = ::GetDlgItem(hDlg, IDYES);
            return CDialogResponder::Press(hDlg, hYes != NULL ? nQuestionAnswer : IDOK);
        }));
    }

    CUiThread m_dialogUi;
    std::atomic<bool> m_bDone{false};
};
} // namespace

TEST_F(ContactSheetTest, TheSheetRefusesTooLongAndEmptyFieldsThenStoresTheContact)
{
    int nResult = -1;
    RunOnDialogThread([&]() {
        CContactNameTable contact(&Contacts());
        contact.ClearRecord();
        nResult = RunContactSheet(m_hOwner, contact, NULL);
    });
    auto boxes = AnswerBoxes();
    HWND hSheet = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Contact Properties");
    ASSERT_NE(nullptr, hSheet);
    HWND hName = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    SaveWindowScreenshot(hSheet, "contact-sheet-name");

    // Nothing to know the person by.
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(boxes->WaitForAnswered(1));
    EXPECT_EQ("Type a firstname or surmame or email please", boxes->Answered()[0].strText);

    // A 101-byte field takes 99 characters, and says so.
    CDialogResponder::SetField(hName, IDC_AB_FIRSTNAME, std::string(100, 'a').c_str());
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(boxes->WaitForAnswered(2));
    EXPECT_NE(std::string::npos, boxes->Answered()[1].strText.find("too large. Maximum char count: 99"))
        << boxes->Answered()[1].strText;
    CDialogResponder::SetField(hName, IDC_AB_FIRSTNAME, std::string(99, 'a').c_str());
    CDialogResponder::SetField(hName, IDC_AB_SURNAME, "Smith");
    EXPECT_NE(std::string::npos, WindowText(hSheet).find("Smith"));

    // A company is asked for once Individual is cleared.
    ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitFor([&]() { return ::GetDlgItem((HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0),
                                                    IDC_AB_COMPANY) != NULL; }));
    HWND hAddress = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    EXPECT_EQ(BST_CHECKED, ::SendDlgItemMessageA(hAddress, IDC_AB_INDIVIDUAL, BM_GETCHECK, 0, 0));
    SaveWindowScreenshot(hSheet, "contact-sheet-address");
    CDialogResponder::SetCheck(hAddress, IDC_AB_INDIVIDUAL, false);
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(boxes->WaitForAnswered(3));
    EXPECT_EQ("Type a company please.", boxes->Answered()[2].strText);
    CDialogResponder::SetField(hAddress, IDC_AB_COMPANY, "Acme");
    CDialogResponder::SetField(hAddress, IDC_AB_TOWNCITY, "Leeds");
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(1, nResult);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName, Site WHERE ContactName.CustomerID = Site.SiteID AND "
                       "Site.COMPANY = 'Acme' AND Site.TownCity = 'Leeds' AND ContactName.cSurname = 'Smith'"));
    EXPECT_TRUE(NoOpenTransaction());
}

TEST_F(ContactSheetTest, PropertiesShowTheContactsCompanyAndRequireAChoice)
{
    LONG nAcme = AddSite("Acme");
    Exec("UPDATE Site SET TownCity = 'Leeds', Web = 'www.acme.test' WHERE COMPANY = 'Acme'");
    AddSite("Beta");
    LONG nID = AddPerson(nAcme, "John", "Smith", "js@x");
    CSeamRecorder seams;
    INT_PTR nResult = -1;
    CContactNameTable contact(&Contacts());
    RunOnDialogThread([&]() {
        contact.OpenByID(&Contacts(), nID, m_hOwner);
        nResult = RunContactProperties(m_hOwner, contact);
    });
    auto boxes = AnswerBoxes();
    HWND hDlg = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Properties");
    ASSERT_NE(nullptr, hDlg);
    ASSERT_TRUE(WaitFor([&]() { return CDialogResponder::ItemText(hDlg, IDC_AB_COMPANY_COMBO) == "Acme"; }));
    HWND hSummary = NULL;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h != NULL; h = ::GetWindow(h, GW_HWNDNEXT))
        if (::GetDlgItem(h, IDC_AB_ADDRESS) != NULL)
            hSummary = h;
    ASSERT_NE(nullptr, hSummary);
    EXPECT_EQ("John Smith", CDialogResponder::ItemText(hSummary, IDC_AB_NAME));
    // Only the parts that are there, no stray separators.
    EXPECT_EQ("Leeds", CDialogResponder::ItemText(hSummary, IDC_AB_ADDRESS));
    // Individual? tells about the company shown.
    EXPECT_EQ(BST_UNCHECKED, ::SendDlgItemMessageA(hDlg, IDC_AB_INDIVIDUAL, BM_GETCHECK, 0, 0));
    SaveWindowScreenshot(hDlg, "contact-properties-summary");
    CDialogResponder::Press(hSummary, IDC_AB_GO);
    CSeamRecorder::Call call;
    ASSERT_TRUE(seams.WaitForCall("ShellExecuteFile", 20000, &call));
    EXPECT_NE(std::string::npos, call.strDetail.find("www.acme.test")) << call.strDetail;

    HWND hTabs = ::GetDlgItem(hDlg, IDC_AB_TABS);
    for (int nTab : {1, 2})
    {
        ::SendMessageA(hTabs, TCM_SETCURSEL, nTab, 0);
        NMHDR nm = {hTabs, IDC_AB_TABS, TCN_SELCHANGE};
        ::SendMessageA(hDlg, WM_NOTIFY, IDC_AB_TABS, (LPARAM)&nm);
        SaveWindowScreenshot(hDlg, nTab == 1 ? "contact-properties-name" : "contact-properties-site");
    }
    // No company chosen and not an individual: the choice is asked for.
    ::SendDlgItemMessageA(hDlg, IDC_AB_COMPANY_COMBO, CB_SETCURSEL, (WPARAM)-1, 0);
    CDialogResponder::Press(hDlg, IDOK);
    ASSERT_TRUE(boxes->WaitForAnswered(1));
    EXPECT_NE(std::string::npos, boxes->Answered()[0].strText.find("Choice a\n")) << boxes->Answered()[0].strText;
    EXPECT_TRUE(::IsWindow(hDlg));
    ::SendDlgItemMessageA(hDlg, IDC_AB_COMPANY_COMBO, CB_SETCURSEL, 1, 0);
    CDialogResponder::Press(hDlg, IDOK);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(Query("SELECT SiteID FROM Site WHERE COMPANY = 'Beta'"), contact.m_CustomerID);
}

TEST_F(ContactSheetTest, DeletingACompanyAsksFirstAndNoDeletesNothing)
{
    LONG nAcme = AddSite("Acme");
    LONG nID = AddPerson(nAcme, "John", "Smith", "js@x");
    AddPerson(nAcme, "Mary", "Jones", "mj@x");
    INT_PTR nResult = -1;
    CContactNameTable contact(&Contacts());
    RunOnDialogThread([&]() {
        contact.OpenByID(&Contacts(), nID, m_hOwner);
        nResult = RunContactProperties(m_hOwner, contact);
    });
    HWND hDlg = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Properties");
    ASSERT_NE(nullptr, hDlg);
    ASSERT_TRUE(WaitFor([&]() { return CDialogResponder::ItemText(hDlg, IDC_AB_COMPANY_COMBO) == "Acme"; }));
    HWND hProperties = hDlg;
    std::atomic<int> nWarningAnswer{IDCANCEL}, nQuestionAnswer{IDNO};
    CDialogResponder responder(m_dialogUi.ThreadId(), [&](HWND hDlg) {
        std::string strText = CDialogResponder::MessageBoxText(hDlg);
        if (hDlg == hProperties)
            return false;
        if (WindowText(hDlg) == "Warning")
        {
            SaveWindowScreenshot(hDlg, "site-warning");
            return CDialogResponder::Press(hDlg, nWarningAnswer);
        }
        if (strText.find("delete the selected site") != std::string::npos)
            return CDialogResponder::Press(hDlg, nQuestionAnswer);
        return false;
    });
    auto seen = [&]() {
        std::vector<std::string> kinds;
        for (const auto& answered : responder.Answered())
            kinds.push_back(answered.strCaption == "Warning" ? "warning" : "question");
        return kinds;
    };
    HWND hSite = NULL;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h != NULL; h = ::GetWindow(h, GW_HWNDNEXT))
        if (::GetDlgItem(h, IDC_AB_SITE_DELETE) != NULL)
            hSite = h;
    ASSERT_NE(nullptr, hSite);
    auto press = [&]() {
        size_t nBefore = seen().size();
        CDialogResponder::Press(hSite, IDC_AB_SITE_DELETE);
        return WaitFor([&]() { return seen().size() > nBefore; });
    };
    // No to the warning: nothing more is asked, nothing goes.
    ASSERT_TRUE(press());
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    EXPECT_EQ(std::vector<std::string>{"warning"}, seen());
    // Yes to the warning, No to the question: still nothing goes.
    nWarningAnswer = IDOK;
    ASSERT_TRUE(press());
    ASSERT_TRUE(WaitFor([&]() { return seen().size() == 3; }));
    EXPECT_EQ((std::vector<std::string>{"warning", "warning", "question"}), seen());
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM ContactName"));
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Site"));
    // Both Yes: the company and its people go, and the contact's own Properties close.
    nQuestionAnswer = IDYES;
    ASSERT_TRUE(press());
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM ContactName"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Site"));
    EXPECT_TRUE(NoOpenTransaction());
}

TEST_F(ContactSheetTest, NewCompanyFromTheSitePageIsStoredAndOfferedInTheCombo)
{
    LONG nAcme = AddSite("Acme");
    LONG nID = AddPerson(nAcme, "John", "Smith", "js@x");
    INT_PTR nResult = -1;
    CContactNameTable contact(&Contacts());
    RunOnDialogThread([&]() {
        contact.OpenByID(&Contacts(), nID, m_hOwner);
        nResult = RunContactProperties(m_hOwner, contact);
    });
    HWND hDlg = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Properties");
    ASSERT_NE(nullptr, hDlg);
    ASSERT_TRUE(WaitFor([&]() { return CDialogResponder::ItemText(hDlg, IDC_AB_COMPANY_COMBO) == "Acme"; }));
    HWND hPage = NULL;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h != NULL; h = ::GetWindow(h, GW_HWNDNEXT))
        if (::GetDlgItem(h, IDC_AB_SITE_NEW) != NULL)
            hPage = h;
    ASSERT_NE(nullptr, hPage);
    ::PostMessageA(hPage, WM_COMMAND, MAKEWPARAM(IDC_AB_SITE_NEW, BN_CLICKED), 0);
    HWND hSite = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Site");
    ASSERT_NE(nullptr, hSite);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    // A new company starts empty and is added, not updated.
    EXPECT_EQ("", CDialogResponder::ItemText(hSite, IDC_AB_COMPANY));
    EXPECT_EQ("&Add", CDialogResponder::ItemText(hSite, IDOK));
    CDialogResponder::SetField(hSite, IDC_AB_COMPANY, "Gamma & Sons");
    SaveWindowScreenshot(hSite, "site");
    CDialogResponder::Press(hSite, IDOK);
    ASSERT_TRUE(WaitFor([&]() { return !::IsWindow(hSite); }));
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Gamma & Sons'"));
    EXPECT_NE(CB_ERR, ::SendDlgItemMessageA(hDlg, IDC_AB_COMPANY_COMBO, CB_FINDSTRINGEXACT, (WPARAM)-1,
                                            (LPARAM) "Gamma & Sons"));
    // The contact keeps its own company until the user chooses another.
    EXPECT_EQ("Acme", CDialogResponder::ItemText(hDlg, IDC_AB_COMPANY_COMBO));
    EXPECT_TRUE(NoOpenTransaction());
    CDialogResponder::Press(hDlg, IDCANCEL);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(IDCANCEL, nResult);
}

TEST_F(ContactSheetTest, PropertiesTakeASecondStartsRequestOnlyWithAManagerToHandItTo)
{
    LONG nID = AddPerson(AddSite("Acme"), "John", "Smith", "js@x");
    const CString strCmdLine = GetTempFolder() + "CmdLine.txt";
    for (DWORD dwManager : {(DWORD)0, m_manager.ThreadId()})
    {
        SCOPED_TRACE(dwManager);
        // A second start asking for a send-and-receive run.
        HANDLE hFile = ::CreateFileA(strCmdLine, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
        DWORD dwWritten = 0;
        ::WriteFile(hFile, "/p", 2, &dwWritten, NULL);
        ::CloseHandle(hFile);
        CContactNameTable contact(&Contacts());
        RunOnDialogThread([&]() {
            contact.OpenByID(&Contacts(), nID, m_hOwner);
            CAreYouMe dialog(m_hOwner, contact, dwManager);
            dialog.DoModal(m_hOwner);
        });
        HWND hDlg = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Properties");
        ASSERT_NE(nullptr, hDlg);
        LRESULT lAnswer = ::SendMessageA(hDlg, LetrovaAreYouMe, 0, 0);
        if (dwManager != 0)
        {
            EXPECT_EQ((LRESULT)LetrovaAreYouMe, lAnswer);
            EXPECT_TRUE(m_manager.WaitForCommand(ID_SEND_RECEIVE));
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strCmdLine));
        }
        else
        {
            // Nobody to open it: the request stays for a window that can.
            EXPECT_EQ(0, lAnswer);
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strCmdLine));
        }
        CDialogResponder::Press(hDlg, IDCANCEL);
        ASSERT_TRUE(WaitDone());
        ASSERT_TRUE(m_dialogUi.WaitForExit());
    }
    ::DeleteFileA(strCmdLine);
}

// The address-book window and its contact list: caption, enabling, sorting, searching, deleting, refreshes
// across threads, the saved columns, the new message to a contact and help.
#include <windows.h>

#include <sqlite3.h>

#include <commctrl.h>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "ProcessResources.h"
#include "Screenshot.h"
#include "SeamRecorder.h"
#include "WindowReaders.h"
#include "foundation/WindowMessages.h"

namespace
{
class AddressBookWindowTest : public AddressBookTest
{
protected:
    void AddPeople()
    {
        LONG nAcme = AddSite("Acme");
        AddPerson(nAcme, "John", "Smith", "js@x");
        AddPerson(nAcme, "Mary", "Jones", "mj@x");
        AddPerson(AddSite("Beta"), "Adam", "Brown", "ab@x");
    }
};
} // namespace

TEST_F(AddressBookWindowTest, ShowsTheCentralContactsAndEnablesCommandsBySelection)
{
    AddPeople();
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_NE(nullptr, frame.m_hWnd);
    ASSERT_TRUE(frame.WaitForRows(3));
    EXPECT_EQ("Address Book", WindowText(frame.m_hWnd));
    // The window's own icon, in the caption and on the task bar.
    EXPECT_NE(0u, ::GetClassLongPtrA(frame.m_hWnd, GCLP_HICON));
    EXPECT_NE(0u, ::GetClassLongPtrA(frame.m_hWnd, GCLP_HICONSM));
    auto rows = ListViewItems(frame.ListWindow());
    EXPECT_EQ((std::vector<std::string>{"John Smith", "js@x", "Acme", "", "", ""}), rows[0]);
    EXPECT_FALSE(frame.ButtonEnabled(AddressBookCmd::kProperties));
    EXPECT_FALSE(frame.ButtonEnabled(AddressBookCmd::kDelete));
    EXPECT_TRUE(frame.ButtonEnabled(AddressBookCmd::kFilePrint));
    frame.SelectRow(1);
    EXPECT_TRUE(WaitFor([&]() { return frame.ButtonEnabled(AddressBookCmd::kProperties); }));
    EXPECT_TRUE(frame.ButtonEnabled(AddressBookCmd::kDelete));
    SaveWindowScreenshot(frame.m_hWnd, "address-book-window");

    // A double click asks the manager for a message to that contact.
    LONG nID = Query("SELECT ID FROM ContactName WHERE cSurname = 'Jones'");
    RECT rc;
    ListView_GetItemRect(frame.ListWindow(), 1, &rc, LVIR_LABEL);
    ::PostMessageA(frame.ListWindow(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 2, rc.top + 2));
    CRecordingThread::Command command = {};
    ASSERT_TRUE(m_manager.WaitForCommand(AddressBookCmd::kNewMessageToContact, 20000, &command));
    EXPECT_EQ(nID, (LONG)command.lParam);
    EXPECT_TRUE(::IsWindow(frame.m_hWnd));
}

TEST_F(AddressBookWindowTest, WithoutTheCentralDatabaseShowsThePrivateContacts)
{
    UseLocal();
    AddPerson(AddSite("Home"), "Lou", "Local", "l@x");
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_TRUE(frame.WaitForRows(1));
    EXPECT_EQ("Private Address Book", WindowText(frame.m_hWnd));
    EXPECT_EQ(std::vector<std::string>{"Lou Local"}, frame.Names());
}

TEST_F(AddressBookWindowTest, HeaderClicksSortUpThenDownAndARefreshKeepsTheOrder)
{
    AddPeople();
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_TRUE(frame.WaitForRows(3));
    auto click = [&](int nColumn) { frame.m_ui.Invoke([&]() { frame.List().SendMessage(LVM_SORTITEMS, nColumn); }); };
    click(0);
    EXPECT_EQ((std::vector<std::string>{"Adam Brown", "John Smith", "Mary Jones"}), frame.Names());
    click(0);
    EXPECT_EQ((std::vector<std::string>{"Mary Jones", "John Smith", "Adam Brown"}), frame.Names());
    frame.Command(AddressBookCmd::kUpdate);
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    EXPECT_EQ((std::vector<std::string>{"Mary Jones", "John Smith", "Adam Brown"}), frame.Names());
    // Another column keeps its own direction.
    click(2);
    EXPECT_EQ("Beta", ListViewItems(frame.ListWindow())[2][2]);
}

TEST_F(AddressBookWindowTest, TypingAndFindPeopleSelectByTheStartOfTheTexts)
{
    AddPeople();
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_TRUE(frame.WaitForRows(3));
    auto selected = [&]() {
        std::vector<std::string> names;
        for (int i = -1; (i = ListView_GetNextItem(frame.ListWindow(), i, LVNI_SELECTED)) != -1;)
            names.push_back(ListViewItems(frame.ListWindow())[i][0]);
        return names;
    };
    HWND hSearch = ::GetDlgItem(frame.m_pFrame->m_pane.m_hWnd, IDC_AB_SEARCH);
    ::SendMessageA(hSearch, WM_SETTEXT, 0, (LPARAM) "ma");
    EXPECT_TRUE(WaitFor([&]() { return selected() == std::vector<std::string>{"Mary Jones"}; }));
    ::SendMessageA(hSearch, WM_SETTEXT, 0, (LPARAM) "zz");
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    EXPECT_EQ(std::vector<std::string>{"Mary Jones"}, selected());

    // "jo" is the start of John Smith's name, not of Mary Jones's.
    CDialogResponder responder(frame.m_ui.ThreadId(), [](HWND hDlg) {
        if (WindowText(hDlg) != "Find People")
            return false;
        CDialogResponder::SetField(hDlg, IDC_AB_NAME, "jo");
        SaveWindowScreenshot(hDlg, "find-people");
        return CDialogResponder::Press(hDlg, IDOK);
    });
    ::PostMessageA(frame.m_pFrame->m_pane.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_AB_FIND, BN_CLICKED), 0);
    EXPECT_TRUE(WaitFor([&]() { return selected() == std::vector<std::string>{"John Smith"}; }));
}

TEST_F(AddressBookWindowTest, ColumnsComeFromTheSettingsAndAreSavedOnClose)
{
    AddPeople();
    m_pRegistry->SetColumnWidthAddress(-1);
    m_pRegistry->SetColumnWidthCompany(77);
    // An order of another length is not taken.
    int wrong[3] = {2, 1, 0};
    m_pRegistry->SetAddressBookColumnOrder(3, wrong);
    {
        CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
        ASSERT_TRUE(frame.WaitForRows(3));
        int order[6] = {};
        ListView_GetColumnOrderArray(frame.ListWindow(), 6, order);
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), std::vector<int>(order, order + 6));
        EXPECT_EQ(77, ListView_GetColumnWidth(frame.ListWindow(), 2));
        frame.m_ui.Invoke([&]() {
            int moved[6] = {1, 0, 2, 3, 4, 5};
            ListView_SetColumnOrderArray(frame.ListWindow(), 6, moved);
            ListView_SetColumnWidth(frame.ListWindow(), 0, 140);
        });
    }
    int saved[6] = {};
    m_pRegistry->GetAddressBookColumnOrder(6, saved);
    EXPECT_EQ((std::vector<int>{1, 0, 2, 3, 4, 5}), std::vector<int>(saved, saved + 6));
    EXPECT_EQ(140, m_pRegistry->GetColumnWidthName());
}

TEST_F(AddressBookWindowTest, ADeletionRefreshesTheListOfAnotherWindow)
{
    AddPeople();
    CFrameThread first(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    CFrameThread second(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_TRUE(first.WaitForRows(3));
    ASSERT_TRUE(second.WaitForRows(3));
    CDialogResponder responder(first.m_ui.ThreadId(), [](HWND hDlg) { return CDialogResponder::Press(hDlg, IDYES); });
    first.SelectRow(0);
    first.Command(AddressBookCmd::kDelete);
    // The refresh request reaches the manager, which hands it to every window.
    ASSERT_TRUE(m_manager.WaitForCommand(AddressBookCmd::kUpdate));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM ContactName"));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM Site"));
    second.Command(AddressBookCmd::kUpdate);
    EXPECT_TRUE(second.WaitForRows(2));
}

TEST_F(AddressBookWindowTest, HelpOpensTheAddressBookTopic)
{
    CSeamRecorder seams;
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    frame.Command(AddressBookCmd::kHelpContents);
    CSeamRecorder::Call call;
    ASSERT_TRUE(seams.WaitForCall("ShowHtmlHelp", 20000, &call));
    EXPECT_NE(std::string::npos, call.strDetail.find("OrbMail.chm::/Introducting the Address Book.htm"))
        << call.strDetail;
}

TEST_F(AddressBookWindowTest, WindowsMadeAndDestroyedInARowGiveBackWhatTheyTook)
{
    AddPeople();
    auto makeAndDestroy = [&]() {
        CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
        ASSERT_NE(nullptr, frame.m_hWnd);
        ASSERT_TRUE(frame.WaitForRows(3));
        frame.Stop();
    };
    // The first windows load what the process then keeps for good (libraries, classes, the system's
    // caches): made until one more adds nothing, or ten, after which a leak shows in the count below.
    CProcessResources start = CProcessResources::Read();
    for (int i = 0; i < 10; i++)
    {
        makeAndDestroy();
        CProcessResources now = CProcessResources::Read();
        if (now == start)
            break;
        start = now;
    }
    for (int i = 0; i < 30; i++)
    {
        makeAndDestroy();
        ASSERT_FALSE(HasFatalFailure()) << "window " << i + 1;
    }
    EXPECT_EQ(start.Describe(), CProcessResources::Read().Describe());
}

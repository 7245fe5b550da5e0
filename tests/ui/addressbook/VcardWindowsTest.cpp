// The vCard windows driven as a user would: one card in the new-contact sheet, several in the vCard List
// with its import, and the address book's Export and Import vCard commands through the file dialog.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "foundation/ErrorUtil.h"
#include "store/TableBase.h"
#include "ui/addressbook/AddressBookCommands.h"
#include "ui/addressbook/VcardHandler.h"

namespace
{
const int kFileNameBox = 0x47C; // the explorer file dialog's file name box

std::string Card(const char* pszFirst, const char* pszSurname, const char* pszEmail, const char* pszCompany)
{
    std::string card = "BEGIN:VCARD\r\nVERSION:2.1\r\n";
    if (pszFirst[0] != '\0' || pszSurname[0] != '\0')
        card += std::string("N:") + pszSurname + ";" + pszFirst + "\r\n";
    if (pszEmail[0] != '\0')
        card += std::string("EMAIL;INTERNET:") + pszEmail + "\r\n";
    card += std::string("ORG:") + pszCompany + "\r\nEND:VCARD\r\n";
    return card;
}

// Boxes shown on any thread (the import's worker shows the store's errors) are recorded and answered OK,
// questions Yes.
std::mutex g_boxLock;
std::vector<std::string> g_boxes;
int RecordBox(const char* pszText, const char*, UINT nStyle, HWND)
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.push_back(pszText != NULL ? pszText : "");
    const UINT nButtons = nStyle & MB_TYPEMASK;
    return nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? IDYES : IDOK;
}

class VcardWindowsTest : public AddressBookTest
{
protected:
    VcardWindowsTest() : AddressBookTest("vcardwindows"), m_dialogUi(_Module) {}

    void SetUp() override
    {
        AddressBookTest::SetUp();
        {
            std::lock_guard<std::mutex> lock(g_boxLock);
            g_boxes.clear();
        }
        m_pfnOldHook = SetAppMessageBoxHook(RecordBox);
    }
    void TearDown() override
    {
        SetAppMessageBoxHook(m_pfnOldHook);
        AddressBookTest::TearDown();
    }

    std::string WriteCards(const char* pszName, const std::string& text)
    {
        const std::string path = std::string(m_folder.Path(pszName));
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // The five cards of the list cases: one already in the book, one with nothing to know it by.
    std::string FiveCards()
    {
        AddPerson(AddSite("Ivy Co"), "Hal", "Ivy", "known@example.com");
        return WriteCards("five.vcf", Card("Zed", "Adams", "zed@example.com", "Beta") +
                                          Card("Amy", "Young", "amy@example.com", "Acme") +
                                          Card("Hal", "Ivy", "known@example.com", "Ivy Co") +
                                          Card("", "", "", "Ghost Co") +
                                          Card("Bob", "Marsh", "bob@example.com", "Acme"));
    }
    // Imports the file on the dialog thread as the address book's handler does.
    void StartImport(const std::string& path)
    {
        m_bDone = false;
        m_dialogUi.Run([this, path]() {
            CVcardHandler(m_hOwner).Import(path.c_str(), m_manager.ThreadId(), m_pDatabase.get());
            m_bDone = true;
        });
    }
    bool WaitDone() { return WaitFor([&]() { return m_bDone.load(); }); }
    HWND ListOf(HWND hDlg) { return ::GetDlgItem(hDlg, IDC_AB_LIST); }
    std::vector<std::string> Column(HWND hDlg, size_t nColumn)
    {
        std::vector<std::string> texts;
        for (const auto& row : ListViewItems(ListOf(hDlg)))
            texts.push_back(row.size() > nColumn ? row[nColumn] : "");
        return texts;
    }
    // A click on a column header, as the list tells its dialog.
    void ClickColumn(HWND hDlg, int nColumn)
    {
        NMLISTVIEW info = {};
        info.hdr.hwndFrom = ListOf(hDlg);
        info.hdr.idFrom = IDC_AB_LIST;
        info.hdr.code = LVN_COLUMNCLICK;
        info.iItem = -1;
        info.iSubItem = nColumn;
        ::SendMessageA(hDlg, WM_NOTIFY, IDC_AB_LIST, reinterpret_cast<LPARAM>(&info));
    }
    int HeaderFormat(HWND hDlg, int nColumn)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(ListView_GetHeader(ListOf(hDlg)), HDM_GETITEMA, nColumn, reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }
    void Select(HWND hDlg, std::initializer_list<int> rows)
    {
        for (int nRow : rows)
        {
            LVITEMA item = {};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            ::SendMessageA(ListOf(hDlg), LVM_SETITEMSTATE, nRow, reinterpret_cast<LPARAM>(&item));
        }
    }
    // Presses Import and waits for the progress dialog's worker to have ended (its button then says Close).
    HWND ImportAndWaitForTheEnd(HWND hList)
    {
        CDialogResponder::Press(hList, IDOK);
        HWND hProgress = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Import vCard");
        if (hProgress != NULL)
            WaitFor([&]() { return CDialogResponder::ItemText(hProgress, IDCANCEL) == "Close"; });
        return hProgress;
    }
    size_t Updates()
    {
        size_t nCount = 0;
        for (const auto& command : m_manager.Commands())
            nCount += command.wParam == ID_UPDATE ? 1 : 0;
        return nCount;
    }
    std::vector<std::string> Boxes()
    {
        std::lock_guard<std::mutex> lock(g_boxLock);
        return g_boxes;
    }

    CUiThread m_dialogUi;
    std::atomic<bool> m_bDone{false};
    AppMessageBoxHook m_pfnOldHook = NULL;
};
} // namespace

TEST_F(VcardWindowsTest, OneCardOpensTheNewContactSheetAndTheListHearsOfTheContact)
{
    StartImport(WriteCards("one.vcf", Card("Nora", "Quinn", "nora@example.com", "Quill Ltd")));
    HWND hSheet = CDialogResponder::FindDialog(m_dialogUi.ThreadId());
    ASSERT_NE(nullptr, hSheet);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    HWND hName = (HWND)::SendMessageA(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    ASSERT_NE(nullptr, hName);
    EXPECT_EQ("Nora", CDialogResponder::ItemText(hName, IDC_AB_FIRSTNAME));
    EXPECT_EQ("nora@example.com", CDialogResponder::ItemText(hName, IDC_AB_EMAIL));
    SaveWindowScreenshot(hSheet, "vcard-one-card-sheet");
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName, Site WHERE ContactName.CustomerID = Site.SiteID AND "
                       "Site.COMPANY = 'Quill Ltd' AND ContactName.cSurname = 'Quinn'"));
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(VcardWindowsTest, OpenedFromTheShellACardShowsInPropertiesWhereTheUserMayAddIt)
{
    const std::string path = WriteCards("shell.vcf", Card("Nora", "Quinn", "nora@example.com", "Quill Ltd"));
    bool bAdded = false;
    m_bDone = false;
    m_dialogUi.Run([&]() {
        // What the shell's "/vcard" thread does, over the owner in place of its hidden frame.
        CVcardPropertiesHandler handler(m_hOwner);
        CVcardCardList list(VcardSession(m_pDatabase.get()));
        CVcardFiles::ReadVcardFile(path.c_str(), list);
        bAdded = list.GetSize() == 1 && handler.OnVcard(list[0], m_manager.ThreadId(), m_pDatabase.get());
        m_bDone = true;
    });
    HWND hProperties = CDialogResponder::FindDialog(m_dialogUi.ThreadId());
    ASSERT_NE(nullptr, hProperties);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    HWND hAdd = NULL;
    for (HWND hPage = ::FindWindowExA(hProperties, NULL, "#32770", NULL); hPage != NULL && hAdd == NULL;
         hPage = ::FindWindowExA(hProperties, hPage, "#32770", NULL))
        hAdd = ::GetDlgItem(hPage, IDC_AB_ADD_TO_BOOK);
    ASSERT_NE(nullptr, hAdd);
    EXPECT_TRUE(::IsWindowVisible(hAdd));
    EXPECT_EQ("Nora Quinn", CDialogResponder::ItemText(::GetParent(hAdd), IDC_AB_NAME));
    SaveWindowScreenshot(hProperties, "vcard-shell-properties");
    CDialogResponder::Press(::GetParent(hAdd), IDC_AB_ADD_TO_BOOK);

    HWND hSheet = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ThreadWindows(m_dialogUi.ThreadId(), "#32770"))
        {
            if (::IsWindowVisible(hWnd) && ::SendMessageA(hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) != 0)
                hSheet = hWnd;
        }
        return hSheet != NULL;
    }));
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(bAdded);
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'nora@example.com'"));
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));
}

TEST_F(VcardWindowsTest, TheListSortsByColumnAndImportsTheSelectedCardsItCan)
{
    StartImport(FiveCards());
    HWND hList = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "vCard List");
    ASSERT_NE(nullptr, hList);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    EXPECT_EQ((std::vector<std::string>{"Name", "E-Mail Address", "Company", "Position", "DDI", "Mobile"}),
              [&]() {
                  std::vector<std::string> titles;
                  HWND hHeader = ListView_GetHeader(ListOf(hList));
                  for (int i = 0; i < Header_GetItemCount(hHeader); i++)
                  {
                      char szText[64] = "";
                      HDITEMA item = {};
                      item.mask = HDI_TEXT;
                      item.pszText = szText;
                      item.cchTextMax = sizeof(szText);
                      ::SendMessageA(hHeader, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
                      titles.push_back(szText);
                  }
                  return titles;
              }());
    EXPECT_EQ((std::vector<std::string>{"Zed Adams", "Amy Young", "Hal Ivy", "", "Bob Marsh"}), Column(hList, 0));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hList, IDC_VCARD_OPEN)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hList, IDOK)));
    // The list fills the dialog below its buttons.
    RECT rcList = WindowRect(ListOf(hList)), rcClient = {};
    ::GetClientRect(hList, &rcClient);
    ::MapWindowPoints(NULL, hList, reinterpret_cast<POINT*>(&rcList), 2);
    EXPECT_EQ(rcClient.right, rcList.right);
    EXPECT_EQ(rcClient.bottom, rcList.bottom);
    SaveWindowScreenshot(hList, "vcard-list");

    // The first click sorts up, the second down; the arrow goes with the last clicked column.
    ClickColumn(hList, 0);
    EXPECT_EQ((std::vector<std::string>{"", "Amy Young", "Bob Marsh", "Hal Ivy", "Zed Adams"}), Column(hList, 0));
    EXPECT_NE(0, HeaderFormat(hList, 0) & HDF_IMAGE);
    ClickColumn(hList, 0);
    EXPECT_EQ((std::vector<std::string>{"Zed Adams", "Hal Ivy", "Bob Marsh", "Amy Young", ""}), Column(hList, 0));
    ClickColumn(hList, 2);
    EXPECT_EQ((std::vector<std::string>{"Acme", "Acme", "Beta", "Ghost Co", "Ivy Co"}), Column(hList, 2));
    EXPECT_EQ(0, HeaderFormat(hList, 0) & HDF_IMAGE);
    EXPECT_NE(0, HeaderFormat(hList, 2) & HDF_IMAGE);
    SaveWindowScreenshot(hList, "vcard-list-sorted");

    CDialogResponder::Press(hList, IDC_VCARD_SELECT_ALL);
    ASSERT_TRUE(WaitFor([&]() { return ::IsWindowEnabled(::GetDlgItem(hList, IDOK)) != FALSE; }));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hList, IDC_VCARD_OPEN)));
    HWND hProgress = ImportAndWaitForTheEnd(hList);
    ASSERT_NE(nullptr, hProgress);
    // The last card is the one already in the book: refused, and the count stays at three.
    EXPECT_EQ("5 Hal Ivy\r\n3 records are imported.", CDialogResponder::ItemText(hProgress, IDC_VCARD_PROGRESS));
    SaveWindowScreenshot(hProgress, "vcard-import");
    CDialogResponder::Press(hProgress, IDCANCEL);
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));

    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM ContactName WHERE CustomerID = "
                       "(SELECT SiteID FROM Site WHERE COMPANY = 'Acme')"));
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'zed@example.com'"));
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'known@example.com'"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Ghost Co'"));
    EXPECT_TRUE(NoOpenTransaction());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(VcardWindowsTest, ImportWithNothingSelectedClosesTheListWithoutImportingOrTelling)
{
    StartImport(FiveCards());
    HWND hList = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "vCard List");
    ASSERT_NE(nullptr, hList);
    const long nContacts = Query("SELECT COUNT(*) FROM ContactName");
    CDialogResponder::Press(hList, IDOK);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(nContacts, Query("SELECT COUNT(*) FROM ContactName"));
    EXPECT_EQ(0u, Updates());
}

TEST_F(VcardWindowsTest, OpenShowsTheSelectedCardsInTurnUntilOneIsCancelled)
{
    StartImport(FiveCards());
    HWND hList = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "vCard List");
    ASSERT_NE(nullptr, hList);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    Select(hList, {0, 1, 4});
    CDialogResponder::Press(hList, IDC_VCARD_OPEN);

    std::vector<HWND> shown;
    for (int nAnswer : {IDOK, IDCANCEL})
    {
        HWND hProperties = NULL;
        ASSERT_TRUE(WaitFor([&]() {
            for (HWND hWnd : ThreadWindows(m_dialogUi.ThreadId(), "#32770"))
            {
                if (hWnd != hList && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, IDC_AB_TABS) != NULL &&
                    std::find(shown.begin(), shown.end(), hWnd) == shown.end())
                    hProperties = hWnd;
            }
            return hProperties != NULL;
        }));
        shown.push_back(hProperties);
        ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
        if (shown.size() == 1)
            SaveWindowScreenshot(hProperties, "vcard-list-properties");
        ::SendMessageA(hProperties, WM_COMMAND, nAnswer, 0);
    }
    // Once the thread is idle again, a third card would be showing.
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    for (HWND hWnd : ThreadWindows(m_dialogUi.ThreadId(), "#32770"))
        EXPECT_FALSE(hWnd != hList && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, IDC_AB_TABS) != NULL);
    CDialogResponder::Press(hList, IDCANCEL);
    ASSERT_TRUE(WaitDone());
}

TEST_F(VcardWindowsTest, CancelStopsTheImportAfterTheCardInHand)
{
    StartImport(FiveCards());
    HWND hList = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "vCard List");
    ASSERT_NE(nullptr, hList);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    CDialogResponder::Press(hList, IDC_VCARD_SELECT_ALL);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());

    // The owner answers the insertion's questions: held, the worker cannot finish its first card.
    HANDLE hGate = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE hHeld = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread holder([&]() {
        m_ui.Invoke(
            [&]() {
                ::SetEvent(hHeld);
                ::WaitForSingleObject(hGate, 60000);
            },
            70000);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hHeld, 20000));
    CDialogResponder::Press(hList, IDOK);
    HWND hProgress = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "Import vCard");
    ASSERT_NE(nullptr, hProgress);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    ::SendMessageA(hProgress, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(hProgress));
    ::SetEvent(hGate);
    holder.join();
    ::CloseHandle(hGate);
    ::CloseHandle(hHeld);
    ASSERT_TRUE(WaitFor([&]() { return CDialogResponder::ItemText(hProgress, IDCANCEL) == "Close"; }));
    EXPECT_EQ("1 Zed Adams\r\n1 records are imported.", CDialogResponder::ItemText(hProgress, IDC_VCARD_PROGRESS));
    CDialogResponder::Press(hProgress, IDCANCEL);
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));
    EXPECT_EQ(1, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'zed@example.com'"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'amy@example.com'"));
}

TEST_F(VcardWindowsTest, AFailedInsertEndsTheImportAsACancelWould)
{
    const std::string path = FiveCards();
    Exec("CREATE TRIGGER RefuseYoung BEFORE INSERT ON ContactName WHEN NEW.cSurname = 'Young' "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    StartImport(path);
    HWND hList = CDialogResponder::FindDialog(m_dialogUi.ThreadId(), "vCard List");
    ASSERT_NE(nullptr, hList);
    ASSERT_TRUE(m_dialogUi.WaitUntilIdle());
    CDialogResponder::Press(hList, IDC_VCARD_SELECT_ALL);
    HWND hProgress = ImportAndWaitForTheEnd(hList);
    ASSERT_NE(nullptr, hProgress);
    EXPECT_EQ("Close", CDialogResponder::ItemText(hProgress, IDCANCEL));
    EXPECT_EQ("1 Zed Adams\r\n1 records are imported.", CDialogResponder::ItemText(hProgress, IDC_VCARD_PROGRESS));
    CDialogResponder::Press(hProgress, IDCANCEL);
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));
    // The store said why; the failed card left no company behind and no transaction open.
    EXPECT_FALSE(Boxes().empty());
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM ContactName WHERE cEmail IN ('amy@example.com', 'bob@example.com')"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM Site WHERE COMPANY = 'Acme'"));
    EXPECT_TRUE(NoOpenTransaction());
}

TEST_F(VcardWindowsTest, TheAddressBookExportsTheSelectedContactAndImportsTheFileBack)
{
    LONG nSite = AddSite("Acme");
    AddPerson(nSite, "John", "Smith", "js@x");
    CFrameThread frame(m_pDatabase.get(), m_pRegistry.get(), m_manager.ThreadId());
    ASSERT_NE(nullptr, frame.m_hWnd);
    ASSERT_TRUE(frame.WaitForRows(1));
    frame.SelectRow(0);

    const std::string path = std::string(m_folder.Path("john.vcf"));
    frame.Command(AddressBookCmd::kExportVcard);
    HWND hSave = CDialogResponder::FindDialog(frame.m_ui.ThreadId(), "Import Business Card (vCard)");
    ASSERT_NE(nullptr, hSave);
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    SaveWindowScreenshot(hSave, "vcard-export-file-dialog");
    ASSERT_TRUE(CDialogResponder::SetField(hSave, kFileNameBox, path.c_str()));
    CDialogResponder::Press(hSave, IDOK);
    ASSERT_TRUE(WaitFor([&]() { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    std::vector<CVcardContact> cards;
    CVcardFiles::ReadVcardFile(path.c_str(), cards);
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ("Smith", std::string(cards[0].m_cSurname));
    EXPECT_EQ("js@x", std::string(cards[0].m_cEmail));
    EXPECT_EQ("Acme", std::string(cards[0].m_Company));

    // Imported again once the stored contact has moved on, the card opens the new-contact sheet.
    Exec("UPDATE ContactName SET cEmail = 'old@x', cFirstname = 'Jack' WHERE cSurname = 'Smith'");
    Exec("UPDATE Site SET COMPANY = 'Acme Old' WHERE COMPANY = 'Acme'");
    frame.Command(AddressBookCmd::kImportVcard);
    HWND hOpen = CDialogResponder::FindDialog(frame.m_ui.ThreadId(), "Import Business Card (vCard)");
    ASSERT_NE(nullptr, hOpen);
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    ASSERT_TRUE(CDialogResponder::SetField(hOpen, kFileNameBox, path.c_str()));
    CDialogResponder::Press(hOpen, IDOK);
    HWND hSheet = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ThreadWindows(frame.m_ui.ThreadId(), "#32770"))
        {
            if (::IsWindowVisible(hWnd) && ::SendMessageA(hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) != 0)
                hSheet = hWnd;
        }
        return hSheet != NULL;
    }));
    ASSERT_TRUE(frame.m_ui.WaitUntilIdle());
    CDialogResponder::Press(hSheet, IDOK);
    ASSERT_TRUE(WaitFor([&]() {
        return Query("SELECT COUNT(*) FROM ContactName WHERE cEmail = 'js@x' AND cFirstname = 'John'") == 1;
    }));
    EXPECT_TRUE(m_manager.WaitForCommand(ID_UPDATE));
}

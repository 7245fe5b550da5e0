// Select Recipients as its dialog sets itself up, over a stand-in of that dialog; and the several-row
// contact list it holds, whose deletes go row by row.
#include <windows.h>

#include <sqlite3.h>

#include <commctrl.h>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "resources/resource.h"
#include "ui/addressbook/SelectRecipientsSetup.h"
#include "ui/main/Main.h"

namespace
{
// What the Simple MAPI dialog does with the set-up: it calls it on opening and routes commands to the list.
class CStandInSelectRecipients : public CDialogImpl<CStandInSelectRecipients>
{
public:
    enum
    {
        IDD = IDD_SELECT_RECIPIENTS
    };

    BEGIN_MSG_MAP(CStandInSelectRecipients)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        NOTIFY_HANDLER(IDC_AB_ADDRESS_LIST, LVN_ITEMCHANGED, OnItemChanged)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        CHAIN_MSG_MAP_MEMBER(m_main)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CStandInSelectRecipients(CDatabaseMy* pDatabase, CRegistry* pRegistry, DWORD dwThreadId,
                             const CSelectRecipientsTexts& texts)
        : m_main(pDatabase, pRegistry, dwThreadId), m_list(this), m_texts(texts)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        SetUpSelectRecipients(*this, m_list, m_texts);
        return TRUE;
    }
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&)
    {
        UpdateSelectRecipientsButtons(*this, m_list);
        return 0;
    }
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDCANCEL);
        return 0;
    }
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        return m_list.m_hWnd != NULL ? m_list.SendMessage(WM_COMMAND, wParam, lParam) : 0;
    }

    CMain m_main;
    CRecipientsListView m_list;
    CSelectRecipientsTexts m_texts;
};

class SelectRecipientsTest : public AddressBookTest
{
protected:
    // Opens the stand-in modeless on the owner's thread.
    HWND Open(const CSelectRecipientsTexts& texts)
    {
        HWND hDlg = NULL;
        OnOwner([&]() {
            m_pDialog.reset(new CStandInSelectRecipients(m_pDatabase.get(), m_pRegistry.get(),
                                                         m_manager.ThreadId(), texts));
            hDlg = m_pDialog->Create(m_hOwner);
            m_pDialog->ShowWindow(SW_SHOW);
        });
        return hDlg;
    }
    void TearDown() override
    {
        if (m_pDialog)
            OnOwner([&]() {
                if (m_pDialog->m_hWnd != NULL)
                    m_pDialog->DestroyWindow();
            });
        m_pDialog.reset();
        AddressBookTest::TearDown();
    }
    RECT Rect(HWND hDlg, int nID)
    {
        RECT rc = WindowRect(::GetDlgItem(hDlg, nID));
        ::MapWindowPoints(NULL, hDlg, (POINT*)&rc, 2);
        return rc;
    }
    bool Visible(HWND hDlg, int nID) { return (::GetWindowLongA(::GetDlgItem(hDlg, nID), GWL_STYLE) & WS_VISIBLE) != 0; }

    std::unique_ptr<CStandInSelectRecipients> m_pDialog;
};
} // namespace

TEST_F(SelectRecipientsTest, TheShownWellsTakeTheSpaceOfTheOthers)
{
    const CString strTo = "a@x", strCc = "", strBcc = "b@x";
    struct
    {
        const CString* pTo;
        const CString* pCc;
        const CString* pBcc;
    } cases[] = {{&strTo, &strCc, &strBcc}, {&strTo, NULL, &strBcc}, {&strTo, NULL, NULL}, {NULL, NULL, &strBcc},
                 {NULL, NULL, NULL}};
    RECT rcTo = {}, rcBcc = {}, rcList = {};
    for (const auto& c : cases)
    {
        CSelectRecipientsTexts texts;
        texts.pTo = c.pTo;
        texts.pCc = c.pCc;
        texts.pBcc = c.pBcc;
        HWND hDlg = Open(texts);
        ASSERT_NE(nullptr, hDlg);
        if (c.pCc != NULL)
        {
            // All three: nothing moves.
            rcTo = Rect(hDlg, IDC_AB_WELL_TO);
            rcBcc = Rect(hDlg, IDC_AB_WELL_BCC);
            rcList = Rect(hDlg, IDC_AB_ADDRESS_LIST);
            SaveWindowScreenshot(hDlg, "select-recipients");
        }
        int nShown = (c.pTo != NULL) + (c.pCc != NULL) + (c.pBcc != NULL);
        EXPECT_EQ(c.pTo != NULL, Visible(hDlg, IDC_AB_WELL_TO));
        EXPECT_EQ(c.pTo != NULL, Visible(hDlg, IDC_AB_BUTTON_TO));
        EXPECT_EQ(c.pCc != NULL, Visible(hDlg, IDC_AB_WELL_CC));
        EXPECT_EQ(c.pBcc != NULL, Visible(hDlg, IDC_AB_WELL_BCC));
        EXPECT_EQ(nShown != 0, Visible(hDlg, IDC_AB_ADD));
        EXPECT_EQ(nShown != 0, Visible(hDlg, IDC_AB_ADD_EDIT));
        if (nShown == 1)
        {
            int nWell = c.pTo != NULL ? IDC_AB_WELL_TO : IDC_AB_WELL_BCC;
            RECT rc = Rect(hDlg, nWell);
            EXPECT_EQ(rcTo.top, rc.top);
            EXPECT_EQ(rcBcc.bottom, rc.bottom);
            EXPECT_EQ(rcTo.left, rc.left);
        }
        RECT rc = Rect(hDlg, IDC_AB_ADDRESS_LIST);
        EXPECT_EQ(nShown == 0 ? rcTo.right : rcList.right, rc.right);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_AB_PROPERTIES)));
        OnOwner([&]() { m_pDialog->DestroyWindow(); });
    }
}

TEST_F(SelectRecipientsTest, AWellGetsOneItemPerRecipientAndSemicolonsInsideQuotesOrBracketsStay)
{
    const CString strTo = "\"Smith; John\" <js@x>; <odd;one@x>; plain@x";
    CSelectRecipientsTexts texts;
    texts.pTo = &strTo;
    texts.pszCaption = "Pick";
    texts.pszToButton = "&Send ->";
    texts.bAddDisabled = true;
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ("Pick", WindowText(hDlg));
    EXPECT_EQ("&Send ->", CDialogResponder::ItemText(hDlg, IDC_AB_BUTTON_TO));
    EXPECT_FALSE(Visible(hDlg, IDC_AB_ADD));
    auto items = ListViewItems(::GetDlgItem(hDlg, IDC_AB_WELL_TO));
    ASSERT_EQ(3u, items.size());
    EXPECT_NE(std::string::npos, items[0][0].find("Smith; John")) << items[0][0];
    EXPECT_NE(std::string::npos, items[1][0].find("odd;one@x")) << items[1][0];
    EXPECT_NE(std::string::npos, items[2][0].find("plain@x")) << items[2][0];
}

TEST_F(SelectRecipientsTest, ADeleteThatFailsOnTheSecondOfThreeRowsStillRefreshes)
{
    LONG nSite = AddSite("Acme");
    AddPerson(nSite, "Ann", "One", "1@x");
    AddPerson(nSite, "Bob", "Fault", "2@x");
    AddPerson(nSite, "Cy", "Three", "3@x");
    // The second row is refused by the file itself.
    sqlite3* db = NULL;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(std::string(m_folder.Path("Orb.mdb")).c_str(), &db));
    sqlite3_busy_timeout(db, 10000);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
                                      "CREATE TRIGGER refuse BEFORE DELETE ON ContactName WHEN OLD.cSurname = "
                                      "'Fault' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                                      NULL, NULL, NULL));
    sqlite3_close(db);

    CSelectRecipientsTexts texts;
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    HWND hList = ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST);
    ASSERT_TRUE(WaitFor([&]() { return ListView_GetItemCount(hList) == 3; }));
    OnOwner([&]() {
        for (int i = 0; i < 3; i++)
            ListView_SetItemState(hList, i, LVIS_SELECTED, LVIS_SELECTED);
    });
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_AB_PROPERTIES)));
    CDialogResponder responder(m_ui.ThreadId(), [hDlg](HWND hBox) {
        if (hBox == hDlg)
            return false;
        return CDialogResponder::Press(hBox, CDialogResponder::MessageBoxText(hBox).find("sure") != std::string::npos
                                                 ? IDYES
                                                 : IDOK);
    });
    ::PostMessageA(hList, WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_TRUE(responder.WaitForAnswered(2));
    EXPECT_EQ("ERROR: Delete contact failed!", responder.Answered()[1].strText);
    // The first row went: every list must learn of it.
    EXPECT_TRUE(m_manager.WaitForCommand(AddressBookCmd::kUpdate));
    EXPECT_EQ(2, Query("SELECT COUNT(*) FROM ContactName"));
    EXPECT_EQ(0, Query("SELECT COUNT(*) FROM ContactName WHERE cSurname = 'One'"));
}

// The Select Recipients dialog: its layout for the lists it is given, contacts and typed addresses into the
// lists and back to the caller's texts, the refusals, deletes, label edits and context menus; and the
// several-row contact list it holds, whose deletes go row by row.
#include <windows.h>

#include <sqlite3.h>

#include <commctrl.h>

#include "AddressBookFixture.h"
#include "DialogResponder.h"
#include "Screenshot.h"
#include "WindowReaders.h"
#include "resources/resource.h"
#include "ui/addressbook/DlgSelectRecipients.h"

namespace
{
struct CTexts
{
    const CString* pTo = NULL;
    const CString* pCc = NULL;
    const CString* pBcc = NULL;
    const char* pszToLabel = NULL;
    const char* pszCaption = NULL;
};

class SelectRecipientsTest : public AddressBookTest
{
protected:
    // Opens the dialog modeless on the owner's thread over copies of the texts, which OK writes.
    HWND Open(const CTexts& texts)
    {
        for (int i = 0; i < 3; i++)
        {
            const CString* pSource = i == 0 ? texts.pTo : i == 1 ? texts.pCc : texts.pBcc;
            m_texts[i] = pSource != NULL ? *pSource : CString();
            m_pTexts[i] = pSource != NULL ? &m_texts[i] : NULL;
        }
        m_contactIDs.clear();
        HWND hDlg = NULL;
        OnOwner([&]() {
            m_pDialog.reset(new CDlgSelectRecipients(m_hOwner, m_pTexts[0], texts.pszToLabel, texts.pszCaption,
                                                     m_pTexts[1], m_pTexts[2], &m_contactIDs));
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
    HWND ContactList(HWND hDlg) { return ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST); }
    bool WaitForContacts(HWND hDlg, int nCount)
    {
        return WaitFor([&]() { return ListView_GetItemCount(ContactList(hDlg)) == nCount; });
    }
    // The row of the contacts list whose e-mail column holds the address.
    int ContactRow(HWND hDlg, const std::string& strAddress)
    {
        auto rows = ListViewItems(ContactList(hDlg));
        for (size_t i = 0; i < rows.size(); i++)
        {
            if (rows[i].size() > 1 && rows[i][1] == strAddress)
                return static_cast<int>(i);
        }
        return -1;
    }
    std::string ContactName(HWND hDlg, const std::string& strAddress)
    {
        int nRow = ContactRow(hDlg, strAddress);
        return nRow >= 0 ? ListViewItems(ContactList(hDlg))[nRow][0] : std::string();
    }
    void SelectRows(HWND hList, const std::vector<int>& rows)
    {
        OnOwner([&]() {
            ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
            for (int nRow : rows)
                ListView_SetItemState(hList, nRow, LVIS_SELECTED, LVIS_SELECTED);
        });
    }
    void SelectContacts(HWND hDlg, std::initializer_list<const char*> addresses)
    {
        OnOwner([&]() { ListView_SetItemState(ContactList(hDlg), -1, 0, LVIS_SELECTED); });
        for (const char* pszAddress : addresses)
        {
            int nRow = ContactRow(hDlg, pszAddress);
            ASSERT_GE(nRow, 0) << pszAddress;
            OnOwner([&]() { ListView_SetItemState(ContactList(hDlg), nRow, LVIS_SELECTED, LVIS_SELECTED); });
        }
    }
    LRESULT Command(HWND hDlg, int nID)
    {
        return ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0);
    }
    std::vector<std::string> WellItems(HWND hDlg, int nWell)
    {
        std::vector<std::string> items;
        for (const auto& row : ListViewItems(::GetDlgItem(hDlg, nWell)))
            items.push_back(row[0]);
        return items;
    }
    // The MF_* state of a menu item, looked up by command.
    static UINT State(HMENU hMenu, UINT nID)
    {
        return ::GetMenuState(::GetSubMenu(hMenu, 0), nID, MF_BYCOMMAND);
    }

    std::unique_ptr<CDlgSelectRecipients> m_pDialog;
    CString m_texts[3];
    CString* m_pTexts[3] = {};
    std::vector<LONG> m_contactIDs;
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
        CTexts texts;
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
    CTexts texts;
    texts.pTo = &strTo;
    texts.pszCaption = "Pick";
    texts.pszToLabel = "&Send ->";
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    EXPECT_EQ("Pick", WindowText(hDlg));
    EXPECT_EQ("&Send ->", CDialogResponder::ItemText(hDlg, IDC_AB_BUTTON_TO));
    auto items = WellItems(hDlg, IDC_AB_WELL_TO);
    ASSERT_EQ(3u, items.size());
    EXPECT_NE(std::string::npos, items[0].find("Smith; John")) << items[0];
    EXPECT_NE(std::string::npos, items[1].find("odd;one@x")) << items[1];
    EXPECT_NE(std::string::npos, items[2].find("plain@x")) << items[2];
}

TEST_F(SelectRecipientsTest, ContactsAndTypedAddressesGoToTheirListsAndOKWritesTheShownListsBack)
{
    LONG nSite = AddSite("Acme");
    LONG nAnn = AddPerson(nSite, "Ann", "One", "1@x");
    LONG nBob = AddPerson(nSite, "Bob", "Two", "2@x");
    LONG nCy = AddPerson(nSite, "Cy", "Three", "3@x");
    const CString strTo = "old@x", strCc = "";
    CTexts texts;
    texts.pTo = &strTo;
    texts.pCc = &strCc;
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    ASSERT_TRUE(WaitForContacts(hDlg, 3));
    EXPECT_FALSE(Visible(hDlg, IDC_AB_WELL_BCC));
    const std::string strAnn = "\"" + ContactName(hDlg, "1@x") + "\" <1@x>";
    const std::string strBob = "\"" + ContactName(hDlg, "2@x") + "\" <2@x>";
    const std::string strCy = "\"" + ContactName(hDlg, "3@x") + "\" <3@x>";
    EXPECT_EQ("\"Ann One\" <1@x>", strAnn);

    SelectContacts(hDlg, {"1@x"});
    Command(hDlg, IDC_AB_BUTTON_TO);
    SelectContacts(hDlg, {"2@x", "3@x"});
    Command(hDlg, IDC_AB_BUTTON_CC);
    // The typed text goes in as it is, and Add waits for text.
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_AB_ADD)));
    ASSERT_TRUE(CDialogResponder::SetField(hDlg, IDC_AB_ADD_EDIT, "typed, not checked"));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_AB_ADD)));
    Command(hDlg, IDC_AB_ADD);
    // A double click in the contacts list, and the copy command, go to the first shown list.
    SelectContacts(hDlg, {"3@x"});
    ::SendMessageA(ContactList(hDlg), WM_LBUTTONDBLCLK, 0, 0);
    Command(hDlg, SelectRecipientsCmd::kCopyRecipients);

    std::vector<std::string> to = {"old@x", strAnn, "typed, not checked", strCy, strCy};
    std::vector<std::string> cc = {strBob, strCy};
    auto shownTo = WellItems(hDlg, IDC_AB_WELL_TO);
    ASSERT_EQ(5u, shownTo.size());
    shownTo[0] = to[0]; // as the list parser writes it
    EXPECT_EQ(to, shownTo);
    EXPECT_EQ(cc, WellItems(hDlg, IDC_AB_WELL_CC));
    SaveWindowScreenshot(hDlg, "select-recipients-filled");

    Command(hDlg, IDC_AB_RECIPIENTS_OK);
    EXPECT_NE(std::string::npos, std::string(m_texts[0]).find("old@x"));
    EXPECT_NE(std::string::npos,
              std::string(m_texts[0]).find("; " + strAnn + "; typed, not checked; " + strCy + "; " + strCy));
    EXPECT_EQ(strBob + "; " + strCy, std::string(m_texts[1]));
    EXPECT_EQ(nullptr, m_pTexts[2]);
    EXPECT_EQ((std::vector<LONG>{nAnn, nCy, nCy, nBob, nCy}), m_contactIDs);
}

TEST_F(SelectRecipientsTest, CancelAndOKOverEmptyListsWriteWhatTheUserLeft)
{
    const CString strTo = "a@x", strCc = "c@x", strBcc = "b@x";
    CTexts texts;
    texts.pTo = &strTo;
    texts.pCc = &strCc;
    texts.pBcc = &strBcc;
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    SelectRows(::GetDlgItem(hDlg, IDC_AB_WELL_TO), {0});
    ::SendMessageA(::GetDlgItem(hDlg, IDC_AB_WELL_TO), WM_KEYDOWN, VK_DELETE, 0);
    Command(hDlg, IDCANCEL);
    EXPECT_EQ("a@x", std::string(m_texts[0]));

    hDlg = Open(texts);
    for (int nWell : {IDC_AB_WELL_TO, IDC_AB_WELL_CC, IDC_AB_WELL_BCC})
    {
        SelectRows(::GetDlgItem(hDlg, nWell), {0});
        ::SendMessageA(::GetDlgItem(hDlg, nWell), WM_KEYDOWN, VK_DELETE, 0);
    }
    Command(hDlg, IDC_AB_RECIPIENTS_OK);
    for (const CString& strText : m_texts)
        EXPECT_EQ("", std::string(strText));
}

TEST_F(SelectRecipientsTest, AddingStopsAtTheFirstContactThatCannotBeARecipient)
{
    struct
    {
        const char* pszFirst;
        const char* pszEmail;
        const char* pszFormat;
        bool bShowsName;
    } cases[] = {
        {"Q\"uote", "q@x", SelectRecipientsText::kInvalidName, true},
        {"Angle<d", "q@x", SelectRecipientsText::kInvalidName, true},
        {"Nomail", "", SelectRecipientsText::kNoAddress, false},
        {"Badmail", "q<@x", SelectRecipientsText::kInvalidAddress, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszFirst);
        Exec("DELETE FROM ContactName");
        LONG nSite = AddSite("Acme");
        AddPerson(nSite, "Ann", "First", "1@x");
        AddPerson(nSite, c.pszFirst, "Bad", c.pszEmail);
        AddPerson(nSite, "Zed", "Last", "9@x");
        const CString strTo = "";
        CTexts texts;
        texts.pTo = &strTo;
        HWND hDlg = Open(texts);
        ASSERT_NE(nullptr, hDlg);
        ASSERT_TRUE(WaitForContacts(hDlg, 3));
        HWND hList = ContactList(hDlg);
        auto rows = ListViewItems(hList);
        int nBad = -1;
        for (size_t i = 0; i < rows.size(); i++)
        {
            if (rows[i][0].find("Bad") != std::string::npos)
                nBad = static_cast<int>(i);
        }
        ASSERT_GE(nBad, 0);
        SelectRows(hList, {0, 1, 2});
        CDialogResponder responder(m_ui.ThreadId(), [hDlg](HWND hBox) {
            return hBox != hDlg && CDialogResponder::Press(hBox, IDOK);
        });
        ::PostMessageA(hDlg, WM_COMMAND, IDC_AB_BUTTON_TO, 0);
        ASSERT_TRUE(responder.WaitForAnswered(1));
        CString strExpected;
        strExpected.Format(c.pszFormat, c.bShowsName ? rows[nBad][0].c_str() : c.pszEmail);
        EXPECT_EQ(std::string(strExpected), responder.Answered()[0].strText);
        // The contacts before it are in, none after it.
        std::vector<std::string> items;
        OnOwner([&]() { items = WellItems(hDlg, IDC_AB_WELL_TO); });
        EXPECT_EQ(static_cast<size_t>(nBad), items.size());
        OnOwner([&]() { m_pDialog->DestroyWindow(); });
    }

    // Nothing selected: said, nothing added.
    const CString strTo = "";
    CTexts texts;
    texts.pTo = &strTo;
    HWND hDlg = Open(texts);
    CDialogResponder responder(m_ui.ThreadId(), [hDlg](HWND hBox) {
        return hBox != hDlg && CDialogResponder::Press(hBox, IDOK);
    });
    ::PostMessageA(hDlg, WM_COMMAND, SelectRecipientsCmd::kCopyRecipients, 0);
    ASSERT_TRUE(responder.WaitForAnswered(1));
    EXPECT_EQ(SelectRecipientsText::kNothingSelected, responder.Answered()[0].strText);
    EXPECT_TRUE(WellItems(hDlg, IDC_AB_WELL_TO).empty());
}

TEST_F(SelectRecipientsTest, DeleteRemovesExactlyTheSelectedRecipients)
{
    const CString strTo = "a@x; b@x; c@x; d@x; e@x";
    CTexts texts;
    texts.pTo = &strTo;
    HWND hDlg = Open(texts);
    ASSERT_NE(nullptr, hDlg);
    HWND hWell = ::GetDlgItem(hDlg, IDC_AB_WELL_TO);
    SelectRows(hWell, {1, 3});
    ::SendMessageA(hWell, WM_KEYDOWN, VK_DELETE, 0);
    auto items = WellItems(hDlg, IDC_AB_WELL_TO);
    ASSERT_EQ(3u, items.size());
    EXPECT_NE(std::string::npos, items[0].find("a@x"));
    EXPECT_NE(std::string::npos, items[1].find("c@x"));
    EXPECT_NE(std::string::npos, items[2].find("e@x"));
    SelectRows(hWell, {0, 2});
    ::SendMessageA(hWell, WM_KEYDOWN, VK_DELETE, 0);
    items = WellItems(hDlg, IDC_AB_WELL_TO);
    ASSERT_EQ(1u, items.size());
    EXPECT_NE(std::string::npos, items[0].find("c@x"));
}

TEST_F(SelectRecipientsTest, AnEditedLabelReplacesTheRecipientAndAnEmptiedOneChangesNothing)
{
    LONG nSite = AddSite("Acme");
    AddPerson(nSite, "Ann", "One", "1@x");
    const CString strTo = "";
    CTexts texts;
    texts.pTo = &strTo;
    HWND hDlg = Open(texts);
    ASSERT_TRUE(WaitForContacts(hDlg, 1));
    SelectContacts(hDlg, {"1@x"});
    Command(hDlg, IDC_AB_BUTTON_TO);
    Command(hDlg, IDC_AB_BUTTON_TO);
    HWND hWell = ::GetDlgItem(hDlg, IDC_AB_WELL_TO);
    struct
    {
        int nItem;
        const char* pszTyped;
    } edits[] = {{0, "  "}, {1, "Someone <s@x>"}};
    for (const auto& e : edits)
    {
        OnOwner([&]() {
            ::SetFocus(hWell);
            HWND hEdit = ListView_EditLabel(hWell, e.nItem);
            ASSERT_NE(nullptr, hEdit);
            ::SetWindowTextA(hEdit, e.pszTyped);
            ::SendMessageA(hEdit, WM_KEYDOWN, VK_RETURN, 0);
        });
    }
    EXPECT_EQ((std::vector<std::string>{"\"Ann One\" <1@x>", "Someone <s@x>"}),
              WellItems(hDlg, IDC_AB_WELL_TO));
    Command(hDlg, IDC_AB_RECIPIENTS_OK);
    EXPECT_EQ("\"Ann One\" <1@x>; Someone <s@x>", std::string(m_texts[0]));
    // The edited one no longer names the contact.
    EXPECT_EQ(1u, m_contactIDs.size());
}

TEST_F(SelectRecipientsTest, ContextMenusOfferWhatTheSelectionAllows)
{
    LONG nSite = AddSite("Acme");
    AddPerson(nSite, "Ann", "One", "1@x");
    AddPerson(nSite, "Bob", "Two", "2@x");
    const CString strTo = "a@x; b@x";
    for (const char* pszLabel : {(const char*)NULL, "Fwd ->"})
    {
        CTexts texts;
        texts.pTo = &strTo;
        texts.pszToLabel = pszLabel;
        HWND hDlg = Open(texts);
        ASSERT_TRUE(WaitForContacts(hDlg, 2));
        struct
        {
            std::vector<int> rows;
            UINT nTo, nDelete, nProperties, nEdit;
        } cases[] = {{{}, MF_GRAYED, MF_GRAYED, MF_GRAYED, MF_GRAYED},
                     {{0}, MF_ENABLED, MF_ENABLED, MF_ENABLED, MF_ENABLED},
                     {{0, 1}, MF_ENABLED, MF_ENABLED, MF_GRAYED, MF_GRAYED}};
        for (const auto& c : cases)
        {
            SelectRows(ContactList(hDlg), c.rows);
            SelectRows(::GetDlgItem(hDlg, IDC_AB_WELL_TO), c.rows);
            OnOwner([&]() {
                HMENU hContacts = m_pDialog->BuildContactsMenu();
                ASSERT_NE(nullptr, hContacts);
                char szLabel[64] = "";
                ::GetMenuStringA(::GetSubMenu(hContacts, 0), 0, szLabel, sizeof(szLabel), MF_BYPOSITION);
                EXPECT_STREQ(pszLabel != NULL ? pszLabel : "To: ->", szLabel);
                EXPECT_NE(0u, ::GetMenuState(::GetSubMenu(hContacts, 0), 1, MF_BYPOSITION) & MF_SEPARATOR);
                EXPECT_EQ(c.nTo, State(hContacts, IDC_AB_BUTTON_TO) & MF_GRAYED);
                EXPECT_EQ(c.nDelete, State(hContacts, AddressBookCmd::kDelete) & MF_GRAYED);
                EXPECT_EQ(c.nProperties, State(hContacts, AddressBookCmd::kProperties) & MF_GRAYED);
                EXPECT_EQ(MF_ENABLED, State(hContacts, AddressBookCmd::kNewContact) & MF_GRAYED);
                ::DestroyMenu(hContacts);

                HMENU hWell = m_pDialog->BuildRecipientsMenu(::GetDlgItem(hDlg, IDC_AB_WELL_TO));
                ASSERT_NE(nullptr, hWell);
                EXPECT_EQ(c.nEdit, State(hWell, SelectRecipientsCmd::kEditRecipient) & MF_GRAYED);
                EXPECT_EQ(c.nDelete, State(hWell, AddressBookCmd::kDelete) & MF_GRAYED);
                ::DestroyMenu(hWell);
            });
        }
        OnOwner([&]() { m_pDialog->DestroyWindow(); });
    }
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

    CTexts texts;
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

TEST_F(SelectRecipientsTest, TypingTheStartOfANameSelectsThatContactForTheButtons)
{
    LONG nSite = AddSite("Acme");
    AddPerson(nSite, "Ann", "One", "1@x");
    AddPerson(nSite, "Bob", "Two", "2@x");
    const CString strTo = "";
    CTexts texts;
    texts.pTo = &strTo;
    HWND hDlg = Open(texts);
    ASSERT_TRUE(WaitForContacts(hDlg, 2));
    ASSERT_TRUE(CDialogResponder::SetField(hDlg, IDC_AB_SEARCH, "bo"));
    HWND hList = ContactList(hDlg);
    // Asserted: with nothing selected the To button would answer with a message box and wait for it.
    ASSERT_TRUE(WaitFor([&]() {
        return ListView_GetSelectedCount(hList) == 1 &&
               ListView_GetNextItem(hList, -1, LVNI_SELECTED) == ContactRow(hDlg, "2@x");
    }));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(hDlg, IDC_AB_PROPERTIES)));
    Command(hDlg, IDC_AB_BUTTON_TO);
    EXPECT_EQ(std::vector<std::string>{"\"" + ContactName(hDlg, "2@x") + "\" <2@x>"},
              WellItems(hDlg, IDC_AB_WELL_TO));
}

// The ContactName table object: its one schema check, the open by identifier, the prepared look-ups, the
// failure texts and the reconnect offered for a lost connection.
#include <gtest/gtest.h>

#include <string>

#include "ComposeTestStore.h"
#include "RecordingThread.h"
#include "store/ContactsTable.h"
#include "store/OLEDBException.h"
#include "store/TableBase.h"

namespace
{
// A window that answers "LetrovaGetIdThread" with a recording thread's identifier, as the main window does.
class CFakeMainWindow
{
public:
    explicit CFakeMainWindow(DWORD dwThreadId)
    {
        s_dwThreadId = dwThreadId;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "OrbComposeFakeMain";
        RegisterClassA(&wc);
        m_hWnd = CreateWindowA("OrbComposeFakeMain", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
        SetStoreMainFrame(m_hWnd);
    }
    ~CFakeMainWindow()
    {
        SetStoreMainFrame(NULL);
        DestroyWindow(m_hWnd);
    }
    HWND m_hWnd;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == RegisterWindowMessageA("LetrovaGetIdThread"))
        {
            *(DWORD*)wParam = s_dwThreadId;
            return 1;
        }
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
    static DWORD s_dwThreadId;
};
DWORD CFakeMainWindow::s_dwThreadId = 0;

const char kOpenFailed[] = "FATAL ERROR. Open ContactName table failed!\r\n\r\n";

class ContactNameTableTest : public ComposeStoreTest
{
protected:
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_nAnn = AddContact("Ann", "Lee", "ann@x.org");
        m_nBob = AddContact("Bob", "Lee", "bob@x.org");
        AddContact("Ann", "Smith", "smith@x.org");
    }
    LONG m_nAnn = 0, m_nBob = 0;
};

TEST_F(ContactNameTableTest, SchemaIsCheckedOnceAlsoAcrossClose)
{
    CContactNameTable table(LocalSession());
    table.Open(NULL);
    // cTitle of another type: every check from now on fails.
    Exec("DROP TABLE ContactName");
    Exec("CREATE TABLE ContactName (ID COUNTER, CustomerID INTEGER, cTitle INTEGER, cFirstname TEXT(100), "
         "cInitials TEXT(40), cSurname TEXT(100), cPosition TEXT(100), cEmail TEXT(100), cDDI TEXT(50), "
         "cFamiliar TEXT(100), cMobile TEXT(50), cIndType1 TEXT(100), cIndType2 TEXT(100), cIndType3 TEXT(100), "
         "cIndType4 TEXT(100), cIndType5 TEXT(100), cIndType6 TEXT(100), cIndType7 TEXT(100), cNotes LONGTEXT)");
    Exec("INSERT INTO ContactName (CustomerID, cFirstname) VALUES (1, 'Kim')");
    table.Open(NULL);
    table.Close();
    table.Open(NULL);
    EXPECT_EQ(S_OK, table.MoveFirst());

    CContactNameTable fresh(LocalSession());
    bool bThrown = false;
    try
    {
        fresh.Open(NULL);
    }
    catch (const char* pszText)
    {
        bThrown = true;
        EXPECT_NE(std::string::npos, std::string(pszText).find("ContactName")) << pszText;
    }
    EXPECT_TRUE(bThrown);
    EXPECT_EQ(0, fresh.m_bReady);
}

TEST_F(ContactNameTableTest, OpenByIDReadsTheContactOrAnswersFalse)
{
    CContactNameTable table(LocalSession());
    ASSERT_TRUE(table.OpenByID(LocalSession(), m_nBob));
    EXPECT_EQ(m_nBob, table.m_ID);
    EXPECT_STREQ("bob@x.org", table.m_cEmail);
    EXPECT_FALSE(table.OpenByID(LocalSession(), 99999));
    EXPECT_STREQ("", table.m_cEmail);
}

TEST_F(ContactNameTableTest, LookupsArePreparedOnceAndFindByTheirSlots)
{
    CContactNameTable byName(LocalSession());
    byName.EnsureSchema(NULL);
    byName.PrepareLookup(" WHERE cFirstname = ? AND cSurname = ?");
    ICommand* pCommand = byName.m_spCommand;
    const struct
    {
        const char* pszFirst;
        const char* pszSurname;
        const char* pszFound; // e-mail of the match, NULL for none
    } searches[] = {{"Ann", "Lee", "ann@x.org"}, {"Bob", "Lee", "bob@x.org"}, {"Bob", "Smith", NULL},
                    {"Ann", "Smith", "smith@x.org"}};
    for (const auto& search : searches)
    {
        byName.CTableBase<CContactNameRecord>::Close();
        lstrcpyA(byName.m_cEmail, search.pszFirst);
        lstrcpyA(byName.m_cFirstname, search.pszSurname);
        byName.ExecuteLookup();
        HRESULT hr = byName.MoveFirst();
        if (search.pszFound == NULL)
            EXPECT_NE(S_OK, hr) << search.pszFirst << " " << search.pszSurname;
        else
        {
            ASSERT_EQ(S_OK, hr) << search.pszFirst << " " << search.pszSurname;
            EXPECT_STREQ(search.pszFound, byName.m_cEmail);
            EXPECT_STREQ(search.pszSurname, byName.m_cSurname);
        }
        EXPECT_EQ(pCommand, (ICommand*)byName.m_spCommand) << "prepared again";
        EXPECT_TRUE(byName.IsLookupPrepared());
    }

    CContactNameTable byEmail(LocalSession());
    byEmail.EnsureSchema(NULL);
    byEmail.PrepareLookup(" WHERE cEmail = ?");
    lstrcpyA(byEmail.m_cEmail, "bob@x.org");
    byEmail.ExecuteLookup();
    ASSERT_EQ(S_OK, byEmail.MoveFirst());
    EXPECT_EQ(m_nBob, byEmail.m_ID);

    byEmail.Close();
    EXPECT_FALSE(byEmail.IsLookupPrepared());
    EXPECT_TRUE(byEmail.m_spCommand == NULL);
    EXPECT_TRUE(m_user.m_exceptionDialogs.empty());
}

TEST_F(ContactNameTableTest, ALookupThatWasNeverMadeIsNotRun)
{
    CContactNameTable table(LocalSession());
    table.EnsureSchema(NULL);
    const char* const wheres[] = {NULL, " WHERE NoSuchColumn = ?"};
    for (const char* pszWhere : wheres)
    {
        if (pszWhere != NULL)
        {
            try
            {
                table.PrepareLookup(pszWhere);
                ADD_FAILURE() << "a command over a missing column was prepared";
            }
            catch (COLEDBException* pException)
            {
                EXPECT_EQ(kOpenFailed, std::string(pException->m_strMessage).substr(0, strlen(kOpenFailed)));
                delete pException;
            }
            EXPECT_FALSE(table.IsLookupPrepared());
        }
        try
        {
            table.ExecuteLookup();
            ADD_FAILURE() << "an unprepared look-up ran";
        }
        catch (COLEDBException* pException)
        {
            // The look-up's text names the table, ends with its two line breaks and holds no command.
            EXPECT_EQ(0u, std::string(pException->m_strMessage).find(kOpenFailed));
            EXPECT_EQ(std::string::npos, std::string(pException->m_strMessage).find("SELECT"));
            delete pException;
        }
    }
    EXPECT_FALSE(m_user.m_exceptionDialogs.empty());
}

TEST_F(ContactNameTableTest, FailedOpensReportThemselves)
{
    CContactNameTable table(LocalSession());
    const char kBadSQL[] = "SELECT NoSuchColumn FROM ContactName";
    try
    {
        table.Open(NULL, "ContactName", kBadSQL);
        ADD_FAILURE();
    }
    catch (COLEDBException* pException)
    {
        EXPECT_EQ(std::string(kOpenFailed) + kBadSQL + "\r\n\r\n", std::string(pException->m_strMessage));
        delete pException;
    }
    // Not a lost connection: no question, the exception dialog at once.
    EXPECT_TRUE(m_user.m_boxes.empty());
    EXPECT_EQ(1u, m_user.m_exceptionDialogs.size());

    CContactNameTable noSession(NULL);
    try
    {
        noSession.Open(NULL);
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ("FATAL ERROR. Open table failed. No session.", pszText);
    }
}

TEST_F(ContactNameTableTest, ALostConnectionIsReconnectedOnYes)
{
    CRecordingThread mainThread;
    CFakeMainWindow mainWindow(mainThread.ThreadId());
    CContactNameTable table(LocalSession());
    table.EnsureSchema(NULL);
    OleDbInjectIoFaults(1);
    m_user.m_boxAnswers = {IDYES};
    table.Open(NULL);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    const std::string& question = m_user.m_boxes[0];
    EXPECT_EQ(0u, question.find("FATAL ERROR. Open table failed!\r\n\r\n"));
    EXPECT_EQ(question.size() - 28, question.rfind("\r\n\r\nDo you want to continue?"));
    EXPECT_TRUE(m_user.m_exceptionDialogs.empty());
    ASSERT_EQ(S_OK, table.MoveFirst());
    EXPECT_TRUE(mainThread.WaitForCommand(ID_UPDATE));
}

TEST_F(ContactNameTableTest, ALostConnectionAnsweredNoEndsInTheReport)
{
    CContactNameTable table(LocalSession());
    table.EnsureSchema(NULL);
    OleDbInjectIoFaults(1);
    m_user.m_boxAnswers = {IDNO};
    try
    {
        table.Open(NULL);
        ADD_FAILURE();
    }
    catch (COLEDBException* pException)
    {
        EXPECT_EQ(0u, std::string(pException->m_strMessage).find(kOpenFailed));
        ASSERT_FALSE(pException->m_records.empty());
        EXPECT_EQ(5003043u, pException->m_records[0].dwHelpContext);
        delete pException;
    }
    EXPECT_EQ(1u, m_user.m_boxes.size());
    EXPECT_EQ(1u, m_user.m_exceptionDialogs.size());
}
} // namespace

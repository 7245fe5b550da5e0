// The Windows Address Book import over our wab32.dll and generated .wab files, into a scratch store.
#include "ui/addressbook/WabImport.h"

#include <gtest/gtest.h>

#include <atlbase.h>
#include <atlwin.h>

#include "ComposeTestStore.h"
#include "RecordingThread.h"
#include "foundation/WindowMessages.h"
#include "store/TableBase.h"
#include "ui/addressbook/WabImportTexts.h"

namespace
{
std::string WabPath(const char* pszName)
{
    std::string path = std::string(ORB_TEST_DATA_DIR) + "/wab/" + pszName;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// Answers what the import asks of its owner: the database holder and the thread to notify.
class CImportOwner : public CWindowImpl<CImportOwner>
{
public:
    DECLARE_WND_CLASS("OrbTestWabImportOwner")
    CImportOwner(CDatabaseMy* pDatabase, DWORD dwThread) : m_pDatabase(pDatabase), m_dwThread(dwThread) {}

    BOOL ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult, DWORD = 0) override
    {
        if (uMsg == LetrovaGetMyDatabase)
            *reinterpret_cast<CDatabaseMy**>(wParam) = m_pDatabase;
        else if (uMsg == LetrovaGetIdThread)
            *reinterpret_cast<DWORD*>(wParam) = m_dwThread;
        else
            return FALSE;
        lResult = 1;
        return TRUE;
    }

    CDatabaseMy* m_pDatabase;
    DWORD m_dwThread;
};

// A registry value set for one test and put back as it was.
class CRegistryValue
{
public:
    CRegistryValue(HKEY hRoot, const char* pszKey, const char* pszValue) : m_hRoot(hRoot), m_strKey(pszKey)
    {
        char szOld[MAX_PATH] = "";
        LONG cb = sizeof(szOld);
        m_bHad = RegQueryValueA(hRoot, pszKey, szOld, &cb) == ERROR_SUCCESS;
        m_strOld = szOld;
        RegSetValueA(hRoot, pszKey, REG_SZ, pszValue, static_cast<DWORD>(strlen(pszValue)));
    }
    ~CRegistryValue()
    {
        if (m_bHad)
            RegSetValueA(m_hRoot, m_strKey.c_str(), REG_SZ, m_strOld.c_str(),
                         static_cast<DWORD>(m_strOld.size()));
        else
            RegDeleteKeyA(m_hRoot, m_strKey.c_str());
    }

private:
    HKEY m_hRoot;
    std::string m_strKey;
    std::string m_strOld;
    bool m_bHad = false;
};

std::string OurLibrary(const char* pszName = "wab32.dll")
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string path = szPath;
    return path.substr(0, path.find_last_of('\\') + 1) + pszName;
}

const char kDllPath[] = "Software\\Microsoft\\WAB\\DLLPath";
const char kFileName[] = "Software\\Microsoft\\WAB\\WAB4\\Wab File Name";

class WabImportTest : public ComposeStoreTest
{
protected:
    WabImportTest() : ComposeStoreTest("wabimport") {}
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        RegisterLetrovaMessages();
        m_pOwner.reset(new CImportOwner(m_pDatabase.get(), m_recorder.ThreadId()));
        m_pOwner->Create(HWND_MESSAGE);
        ASSERT_TRUE(m_pOwner->IsWindow());
    }
    void TearDown() override
    {
        m_pOwner->DestroyWindow();
        m_pOwner.reset();
        ComposeStoreTest::TearDown();
    }
    int Import(const char* pszFile)
    {
        CWabImport wab;
        EXPECT_EQ(kWabOpened, wab.Open(WabPath(pszFile).c_str()));
        wab.ImportContacts(m_pOwner->m_hWnd);
        wab.Close();
        return wab.m_nImported;
    }
    long Count(const char* pszWhere, const char* pszTable = "ContactName")
    {
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM %s WHERE %s", pszTable, pszWhere);
        return Query(strSQL);
    }

    CRegistryValue m_library{HKEY_LOCAL_MACHINE, kDllPath, OurLibrary().c_str()};
    CRecordingThread m_recorder;
    std::unique_ptr<CImportOwner> m_pOwner;
};
} // namespace

TEST_F(WabImportTest, PersonsComeInWithTheirCompanies)
{
    AddContact("Hal", "Ivy", "known@example.com");
    const long nSitesBefore = Query("SELECT COUNT(*) FROM Site");
    EXPECT_EQ(8, Import("people.wab"));
    EXPECT_TRUE(m_recorder.WaitForCommand(ID_UPDATE));

    // Two persons of one company and postcode share its row, which is a company's.
    EXPECT_EQ(1, Count("COMPANY = 'Acme' AND POSTCODE = 'LS1 1AA'", "Site"));
    EXPECT_EQ(
        1, Count("COMPANY = 'Acme' AND Ind = 0 AND TEL = '0113 1' AND FAX = '0113 2' AND TOWNCITY = 'Leeds' "
                 "AND ADDRESS1 = '1 High St' AND Country = 'UK' AND NOTES = 'Met at the fair'",
                 "Site"));
    EXPECT_EQ(2, Count("CustomerID = (SELECT SiteID FROM Site WHERE COMPANY = 'Acme')"));
    EXPECT_EQ(
        1, Count("cFirstname = 'Anna' AND cSurname = 'Berg' AND cPosition = 'Chemist' AND cMobile = '0170 1' "
                 "AND cTitle = 'Dr.' AND cEmail = 'anna@acme.example'"));
    // Without a company the surname names a row of the person's own.
    EXPECT_EQ(1, Count("COMPANY = 'Dunn' AND POSTCODE = 'X1' AND Ind <> 0", "Site"));
    // A list, a folder and a record of no stated kind are not persons.
    EXPECT_EQ(0, Count("cEmail = 'unknown@example.com'"));
    EXPECT_EQ(0, Count("COMPANY IN ('Team', 'Folder', 'unknown@example.com')", "Site"));
    // UTF-16 names in the ANSI code page; what it lacks becomes '?'.
    EXPECT_EQ(1, Count("cFirstname = 'Zo\xEB' AND cSurname = '????' AND cEmail = 'zoe@example.gr'"));
    // Without e-mail addresses the names tell persons apart.
    EXPECT_EQ(1, Count("cFirstname = 'Dan' AND cSurname = 'Ernst'"));
    EXPECT_EQ(1, Count("cFirstname = 'Eve' AND cSurname = 'Fox'"));
    EXPECT_EQ(0, Count("cPosition = 'Nobody'"));
    EXPECT_EQ(1, Count(("COMPANY = 'Gray' AND NOTES = '" + std::string(1023, 'c') + "'").c_str(), "Site"));
    // A company stored as a number is no company: the surname names the row, and binary data no town.
    EXPECT_EQ(1, Count("COMPANY = 'Hale' AND TOWNCITY = ''", "Site"));
    EXPECT_EQ(0, Count("COMPANY = '42'", "Site"));
    // A person already in the address book is skipped before a company row is made for them.
    EXPECT_EQ(1, Count("cEmail = 'known@example.com'"));
    EXPECT_EQ(0, Count("COMPANY = 'Ivy'", "Site"));
    EXPECT_EQ(nSitesBefore + 7, Query("SELECT COUNT(*) FROM Site"));

    // A second import finds everyone there already.
    EXPECT_EQ(0, Import("people.wab"));
    EXPECT_EQ(nSitesBefore + 7, Query("SELECT COUNT(*) FROM Site"));
}

TEST_F(WabImportTest, AFolderIsNoPersonWhateverFieldsItCarries)
{
    EXPECT_EQ(1, Import("folder-record.wab"));
    EXPECT_EQ(1, Count("cFirstname = 'Ida' AND cEmail = 'ida@example.com'"));
    EXPECT_EQ(0, Count("cEmail = 'folder@example.com' OR cFirstname = 'Folder' OR cSurname = 'Owner'"));
    EXPECT_EQ(0, Count("COMPANY IN ('Folder Ltd', 'Suppliers')", "Site"));
    EXPECT_EQ(1, Count("COMPANY = 'Jones Ltd'", "Site"));
}

TEST_F(WabImportTest, ATableFailingPartWayKeepsWhatCameAndStillTellsTheList)
{
    CRegistryValue library(HKEY_LOCAL_MACHINE, kDllPath, OurLibrary("wab32_faulty.dll").c_str());
    const struct
    {
        const char* pszRows; // handed out before QueryRows fails
        int nImported;
    } cases[] = {
        {"0", 0},
        {"2", 2}, // Anna and Ben of Acme
    };
    size_t nUpdates = 0;
    for (const auto& c : cases)
    {
        SetEnvironmentVariableA("ORB_TEST_WAB_ROWS", c.pszRows);
        EXPECT_EQ(c.nImported, Import("people.wab")) << c.pszRows;
        ++nUpdates;
        bool bNotified = false;
        for (int nTry = 0; nTry < 400 && !bNotified; ++nTry)
        {
            size_t nSeen = 0;
            for (const auto& command : m_recorder.Commands())
                nSeen += command.wParam == ID_UPDATE ? 1 : 0;
            bNotified = nSeen >= nUpdates;
            if (!bNotified)
                Sleep(50);
        }
        EXPECT_TRUE(bNotified) << c.pszRows;
    }
    SetEnvironmentVariableA("ORB_TEST_WAB_ROWS", NULL);
    EXPECT_EQ(2, Count("cEmail LIKE '%@acme.example'"));
    EXPECT_EQ(0, Count("cEmail = 'cleo@example.com'"));

    // Nothing half-written stands in the way: the whole book then brings the rest.
    CRegistryValue ours(HKEY_LOCAL_MACHINE, kDllPath, OurLibrary().c_str());
    EXPECT_EQ(7, Import("people.wab"));
}

TEST_F(WabImportTest, EachWayOfNotOpeningSaysWhy)
{
    const struct
    {
        const char* pszLibrary; // NULL: ours
        const char* pszFile;
        const char* pszMessage;
    } cases[] = {
        {"Z:\\nowhere\\wab32.dll", "people.wab", WabImportText::kNoLibrary},
        {NULL, "missing.wab", WabImportText::kNoFile},
        {NULL, "older-format.wab", WabImportText::kUnreadable},
        {NULL, "not-an-address-book.wab", WabImportText::kUnreadable},
        {NULL, "record-cut.wab", WabImportText::kUnreadable},
        {NULL, "index-count-beyond-file.wab", WabImportText::kUnreadable},
        {NULL, "string-length-beyond-record.wab", WabImportText::kUnreadable},
        {NULL, "multi-value-count-too-high.wab", WabImportText::kUnreadable},
        {NULL, "duplicate-ids.wab", WabImportText::kUnreadable},
    };
    AddContact("Hal", "Ivy", "known@example.com");
    const long nContacts = Query("SELECT COUNT(*) FROM ContactName");
    for (const auto& c : cases)
    {
        std::unique_ptr<CRegistryValue> library;
        if (c.pszLibrary != NULL)
            library.reset(new CRegistryValue(HKEY_LOCAL_MACHINE, kDllPath, c.pszLibrary));
        CRegistryValue file(HKEY_CURRENT_USER, kFileName, WabPath(c.pszFile).c_str());
        m_user.m_boxes.clear();
        ImportWindowsAddressBook(m_pOwner->m_hWnd);
        ASSERT_EQ(1u, m_user.m_boxes.size()) << c.pszFile;
        EXPECT_NE(std::string::npos, m_user.m_boxes[0].find(c.pszMessage))
            << c.pszFile << ": " << m_user.m_boxes[0];
    }
    EXPECT_EQ(nContacts, Query("SELECT COUNT(*) FROM ContactName"));

    // The user's own book, named in the registry, opens without a message.
    CRegistryValue file(HKEY_CURRENT_USER, kFileName, WabPath("people.wab").c_str());
    m_user.m_boxes.clear();
    ImportWindowsAddressBook(m_pOwner->m_hWnd);
    EXPECT_TRUE(m_user.m_boxes.empty());
    EXPECT_EQ(nContacts + 8, Query("SELECT COUNT(*) FROM ContactName"));
}

TEST(WabPersonTest, OnlyStringsAreReadAsText)
{
    static char szLong[300];
    memset(szLong, 'x', sizeof(szLong) - 1);
    SPropValue props[8] = {};
    props[0].ulPropTag = PROP_TAG(PT_LONG, 0x3A16); // company as a number
    props[0].Value.l = 0x41414141;
    props[1].ulPropTag = PROP_TAG(PT_BINARY, 0x3A27); // locality as bytes
    props[1].Value.bin.cb = 3;
    props[1].Value.bin.lpb = reinterpret_cast<LPBYTE>(const_cast<char*>("abc"));
    props[2].ulPropTag = PROP_TAG(PT_ERROR, 0x3003);
    props[2].Value.err = MAPI_E_NOT_FOUND;
    props[3].ulPropTag = PROP_TAG(PT_UNICODE, 0x3A06);
    props[3].Value.lpszW = const_cast<LPWSTR>(L"Zo\u00eb \u039a");
    props[4].ulPropTag = PROP_TAG(PT_STRING8, 0x3A11);
    props[4].Value.lpszA = szLong;
    props[5].ulPropTag = PROP_TAG(PT_STRING8, 0x3A2A);
    props[5].Value.lpszA = NULL;
    props[6].ulPropTag = PROP_TAG(PT_STRING8, 0x3A08);
    props[6].Value.lpszA = const_cast<LPSTR>("0113");
    props[7].ulPropTag = PROP_TAG(PT_STRING8, 0x3001); // display name: not read
    props[7].Value.lpszA = const_cast<LPSTR>("Display");
    CWabPerson person;
    CollectWabPerson(props, 8, person);
    EXPECT_EQ("", std::string(person.strCompany));
    EXPECT_EQ("", std::string(person.strLocality));
    EXPECT_EQ("", std::string(person.strEmail));
    EXPECT_EQ("Zo\xEB ?", std::string(person.strGivenName));
    EXPECT_EQ(std::string(100, 'x'), std::string(person.strSurname));
    EXPECT_EQ("", std::string(person.strPostalCode));
    EXPECT_EQ("0113", std::string(person.strBusinessTel));
}

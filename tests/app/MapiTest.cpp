// Simple MAPI end to end: this program is the caller, OrbMail.dll the registered default mail client that
// mapi32 forwards to. A fresh profile per test with a fixture Inbox; sending goes to the SMTP peer.
#include <windows.h>

#include <commctrl.h>
#include <mapi.h>
#include <psapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "StoreTestDatabase.h"
#include "foundation/Exception.h"
#include "store/ContactsTable.h"
#include "store/Folders.h"
#include "store/OLEDBException.h"
#include "PeerFiles.h"
#include "resources/resource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
const char kSettingsKey[] = "software\\Vorn\\Letrova";
const char kMailClients[] = "SOFTWARE\\Clients\\Mail";

struct CMapiEntries
{
    LPMAPILOGON pfnLogon = nullptr;
    LPMAPILOGOFF pfnLogoff = nullptr;
    LPMAPISENDMAIL pfnSendMail = nullptr;
    LPMAPIFINDNEXT pfnFindNext = nullptr;
    LPMAPIREADMAIL pfnReadMail = nullptr;
    LPMAPIRESOLVENAME pfnResolveName = nullptr;
    LPMAPIDELETEMAIL pfnDeleteMail = nullptr;
    LPMAPIFREEBUFFER pfnFreeBuffer = nullptr;
    LPMAPIADDRESS pfnAddress = nullptr;

    void Load(HMODULE hModule)
    {
        pfnLogon = reinterpret_cast<LPMAPILOGON>(::GetProcAddress(hModule, "MAPILogon"));
        pfnLogoff = reinterpret_cast<LPMAPILOGOFF>(::GetProcAddress(hModule, "MAPILogoff"));
        pfnSendMail = reinterpret_cast<LPMAPISENDMAIL>(::GetProcAddress(hModule, "MAPISendMail"));
        pfnFindNext = reinterpret_cast<LPMAPIFINDNEXT>(::GetProcAddress(hModule, "MAPIFindNext"));
        pfnReadMail = reinterpret_cast<LPMAPIREADMAIL>(::GetProcAddress(hModule, "MAPIReadMail"));
        pfnResolveName = reinterpret_cast<LPMAPIRESOLVENAME>(::GetProcAddress(hModule, "MAPIResolveName"));
        pfnDeleteMail = reinterpret_cast<LPMAPIDELETEMAIL>(::GetProcAddress(hModule, "MAPIDeleteMail"));
        pfnAddress = reinterpret_cast<LPMAPIADDRESS>(::GetProcAddress(hModule, "MAPIAddress"));
    }
};

// Through mapi32, as other programs call it; and the library's own exports, called directly.
CMapiEntries g_mapi32;
CMapiEntries g_direct;
std::string g_strDll;

void WriteText(HKEY hRoot, const std::string& strKey, const char* pszName, const std::string& strValue)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                                               nullptr));
    ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                     static_cast<DWORD>(strValue.size() + 1));
    ::RegCloseKey(hKey);
}

void WriteNumber(HKEY hRoot, const std::string& strKey, const char* pszName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                                               nullptr));
    ::RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    ::RegCloseKey(hKey);
}

std::string ScratchFolder(const char* pszName)
{
    char szTemp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, szTemp);
    std::string strFolder = std::string(szTemp) + pszName + "\\";
    ::SHCreateDirectoryExA(nullptr, strFolder.c_str(), nullptr);
    return strFolder;
}

// Registers the built library as the default mail client before mapi32 is loaded (it reads the client
// once, when it is loaded), and puts the keys back at the end.
class CMapiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::CoInitialize(nullptr);
        g_strDll = ORB_MAIL_DLL;
        m_hDll = ::LoadLibraryA(g_strDll.c_str());
        ASSERT_NE(nullptr, m_hDll);
        typedef HRESULT(STDAPICALLTYPE * RegisterProc)();
        RegisterProc pfnRegister = reinterpret_cast<RegisterProc>(::GetProcAddress(m_hDll, "DllRegisterServer"));
        ASSERT_NE(nullptr, pfnRegister);
        ASSERT_HRESULT_SUCCEEDED(pfnRegister());
        char szOld[256] = {};
        DWORD cbOld = sizeof(szOld);
        m_bHadDefault = ::RegGetValueA(HKEY_LOCAL_MACHINE, kMailClients, nullptr, RRF_RT_REG_SZ, nullptr, szOld,
                                       &cbOld) == ERROR_SUCCESS;
        m_strOldDefault = szOld;
        WriteText(HKEY_LOCAL_MACHINE, kMailClients, nullptr, "OrbMail");
        WriteText(HKEY_LOCAL_MACHINE, std::string(kMailClients) + "\\OrbMail", "DLLPath", g_strDll);
        g_direct.Load(m_hDll);
        HMODULE hMapi = ::LoadLibraryA("mapi32.dll");
        ASSERT_NE(nullptr, hMapi);
        g_mapi32.Load(hMapi);
        g_mapi32.pfnFreeBuffer = reinterpret_cast<LPMAPIFREEBUFFER>(::GetProcAddress(hMapi, "MAPIFreeBuffer"));
        g_direct.pfnFreeBuffer = g_mapi32.pfnFreeBuffer;
    }
    void TearDown() override
    {
        if (m_bHadDefault)
            WriteText(HKEY_LOCAL_MACHINE, kMailClients, nullptr, m_strOldDefault);
        else
            ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kMailClients, nullptr);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kMailClients) + "\\OrbMail").c_str());
        ::CoUninitialize();
    }

private:
    HMODULE m_hDll = nullptr;
    bool m_bHadDefault = false;
    std::string m_strOldDefault;
};
::testing::Environment* const g_pEnvironment = ::testing::AddGlobalTestEnvironment(new CMapiEnvironment);

DATE Date(WORD wYear, WORD wMonth, WORD wDay, WORD wHour, WORD wMinute)
{
    SYSTEMTIME st = {wYear, wMonth, 0, wDay, wHour, wMinute, 0, 0};
    DATE date = 0;
    ::SystemTimeToVariantTime(&st, &date);
    return date;
}

const char kMessageA[] =
    "From: =?iso-8859-1?Q?J=F6rg?= <jorg@example.org>\r\n"
    "To: Ann <ann@example.org>, bob@example.org\r\n"
    "Cc: \"Cee\" <cee@example.org>\r\n"
    "Bcc: dee@example.org\r\n"
    "Subject: =?iso-8859-1?Q?Gr=FC=DFe?=\r\n"
    "Disposition-Notification-To: jorg@example.org\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
    "\r\n"
    "--b1\r\n"
    "Content-Type: text/plain; charset=iso-8859-1\r\n"
    "\r\n"
    "Hello there\r\n"
    "--b1\r\n"
    "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "AAEC\r\n"
    "--b1--\r\n";

// Answers what the library shows on this thread: a question with the given button, other boxes with OK.
class CBoxAnswers
{
public:
    explicit CBoxAnswers(int nQuestionAnswer = IDNO)
        : m_responder(::GetCurrentThreadId(), [nQuestionAnswer](HWND hWnd) {
              // The send-and-receive progress window is a dialog too; it closes by itself.
              if (CDialogResponder::MessageBoxText(hWnd).empty())
                  return false;
              if (::GetDlgItem(hWnd, IDYES) != nullptr)
                  return CDialogResponder::Press(hWnd, nQuestionAnswer);
              return CDialogResponder::Press(hWnd, IDOK);
          })
    {
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& seen : m_responder.Answered())
            texts.push_back(seen.strText);
        return texts;
    }

private:
    CDialogResponder m_responder;
};

class MapiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_strFolder = ScratchFolder("mapi tests");
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        for (const char* pszName : {"Accounts.mdb", "email.mdb", "Orb.mdb"})
            ::DeleteFileA((m_strFolder + pszName).c_str());
        const std::string strOptions = std::string(kSettingsKey) + "\\Options";
        WriteText(HKEY_CURRENT_USER, strOptions, "Accounts Database FileName", m_strFolder + "Accounts.mdb");
        WriteText(HKEY_CURRENT_USER, strOptions, "Local Database File Name", m_strFolder + "email.mdb");
        WriteText(HKEY_CURRENT_USER, strOptions, "Vorn Vedura Database File Name", m_strFolder + "Orb.mdb");
        WriteNumber(HKEY_CURRENT_USER, strOptions, "Check New Messages", 0);
        WriteNumber(HKEY_CURRENT_USER, strOptions, "Internet Update When Starting", 0);

        // The library makes the databases as it makes them for a new user; the fixture goes in after.
        LHANDLE hSession = 0;
        ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
        // The first session of the process is 1, whatever the profile, password and flags.
        static bool s_bFirst = true;
        if (s_bFirst)
            EXPECT_EQ(1u, hSession);
        s_bFirst = false;
        ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
        try
        {
            Seed();
        }
        catch (CException* pException)
        {
            FAIL() << "seeding: " << pException->m_strMessage.GetString();
        }
        catch (COLEDBException* pException)
        {
            FAIL() << "seeding: " << pException->m_strMessage.GetString();
        }
        catch (const char* pszText)
        {
            FAIL() << "seeding: " << pszText;
        }
    }

    // Three Inbox messages, inserted out of date order: one unread with recipients, a receipt request and
    // a file; one read; one whose read flag wins over its unread bit.
    void Seed()
    {
        CTestDatabase local;
        local.OpenFile((m_strFolder + "email.mdb").c_str());
        CFolders folders(local.Session());
        m_nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
        ASSERT_GT(m_nInbox, 0);
        CEmailsImpl<> store(local.Session());
        m_nA = InsertTestMessage(store, {m_nInbox, kMessageA, "=?iso-8859-1?Q?Gr=FC=DFe?=",
                                         "=?iso-8859-1?Q?J=F6rg?= <jorg@example.org>", "a@x", "", 0x03,
                                         Date(2024, 3, 5, 14, 7)});
        m_nB = InsertTestMessage(store, {m_nInbox, "From: b@example.org\r\nSubject: Second\r\n\r\nB body\r\n",
                                         "Second", "b@example.org", "b@x", "", 0x00, Date(2024, 1, 1, 9, 0)});
        m_nC = InsertTestMessage(store, {m_nInbox, "From: c@example.org\r\nSubject: Third\r\n\r\nC body\r\n",
                                         "Third", "c@example.org", "c@x", "", 0x82, Date(2024, 2, 1, 9, 0)});
        store.Close();
        ASSERT_GT(m_nA, 0);
        ASSERT_GT(m_nB, 0);
        ASSERT_GT(m_nC, 0);
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    LONG QueryLocal(const std::string& strSQL)
    {
        CTestDatabase local;
        local.OpenFile((m_strFolder + "email.mdb").c_str());
        return local.QueryLong(strSQL.c_str());
    }
    LONG FolderOf(LONG nID)
    {
        return QueryLocal("SELECT Folders.Type FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                          "Emails.EmailsID = " + std::to_string(nID));
    }

    // The identifiers an enumeration gives, in order, and the result that ended it.
    std::vector<LONG> Enumerate(const CMapiEntries& mapi, LHANDLE hSession, FLAGS flFlags, ULONG* pnEnd)
    {
        std::vector<LONG> ids;
        char szSeed[512] = "";
        for (int i = 0; i < 10; i++)
        {
            char szID[512] = "";
            ULONG nResult = mapi.pfnFindNext(hSession, 0, nullptr, szSeed, flFlags, 0, szID);
            if (nResult != SUCCESS_SUCCESS)
            {
                *pnEnd = nResult;
                return ids;
            }
            ids.push_back(atol(szID));
            strcpy(szSeed, szID);
        }
        *pnEnd = 0;
        return ids;
    }

    std::string m_strFolder;
    LONG m_nInbox = 0;
    LONG m_nA = 0, m_nB = 0, m_nC = 0;
};

TEST_F(MapiTest, FindNextVisitsTheInboxOnceInEachOrderAndFilter)
{
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, const_cast<char*>("any profile"), const_cast<char*>("any"),
                                                 MAPI_LOGON_UI, 0, &hSession));
    // Seeded before any enumeration of the session: there is nothing to go on from.
    char szID[64] = "";
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_NO_MESSAGES),
              g_mapi32.pfnFindNext(hSession, 0, nullptr, const_cast<char*>("5"), 0, 0, szID));

    const struct
    {
        const char* pszName;
        FLAGS flFlags;
        std::vector<LONG> expected;
    } cases[] = {
        {"every message", 0, {m_nA, m_nB, m_nC}},
        {"oldest first", MAPI_GUARANTEE_FIFO, {m_nB, m_nC, m_nA}},
        {"unread only, a read flag over the unread bit", MAPI_UNREAD_ONLY | MAPI_GUARANTEE_FIFO, {m_nA}},
        {"long identifiers", MAPI_LONG_MSGID, {m_nA, m_nB, m_nC}},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        ULONG nEnd = 0;
        std::vector<LONG> ids = Enumerate(g_mapi32, hSession, test.flFlags, &nEnd);
        if (test.flFlags == 0)
            std::sort(ids.begin(), ids.end());
        EXPECT_EQ(test.expected, ids);
        EXPECT_EQ(static_cast<ULONG>(MAPI_E_NO_MESSAGES), nEnd);
    }
    // A message read ends the enumeration: the rows are that one message now.
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnFindNext(hSession, 0, nullptr, const_cast<char*>(""), 0, 0, szID));
    lpMapiMessage pMessage = nullptr;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnReadMail(hSession, 0, szID, MAPI_PEEK, 0, &pMessage));
    g_mapi32.pfnFreeBuffer(pMessage);
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_NO_MESSAGES), g_mapi32.pfnFindNext(hSession, 0, nullptr, szID, 0, 0, szID));
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

TEST_F(MapiTest, ReadMailGivesTheDecodedMessageInOneBlockTheCallerFrees)
{
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    std::string strID = std::to_string(m_nA);
    lpMapiMessage pMessage = nullptr;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnReadMail(hSession, 0, &strID[0], MAPI_PEEK, 0, &pMessage));
    ASSERT_NE(nullptr, pMessage);
    EXPECT_STREQ("Gr\xfc\xdf" "e", pMessage->lpszSubject);
    EXPECT_STREQ("2024/03/05 14:07", pMessage->lpszDateReceived);
    EXPECT_EQ(static_cast<FLAGS>(MAPI_UNREAD | MAPI_RECEIPT_REQUESTED), pMessage->flFlags);
    ASSERT_NE(nullptr, pMessage->lpOriginator);
    EXPECT_EQ(static_cast<ULONG>(MAPI_ORIG), pMessage->lpOriginator->ulRecipClass);
    EXPECT_STREQ("J\xf6rg", pMessage->lpOriginator->lpszName);
    EXPECT_STREQ("jorg@example.org", pMessage->lpOriginator->lpszAddress);
    const struct
    {
        ULONG nClass;
        const char* pszName;
        const char* pszAddress;
    } recipients[] = {{MAPI_TO, "Ann", "ann@example.org"},
                      {MAPI_TO, "", "bob@example.org"},
                      {MAPI_CC, "Cee", "cee@example.org"},
                      {MAPI_BCC, "", "dee@example.org"}};
    ASSERT_EQ(4u, pMessage->nRecipCount);
    for (ULONG i = 0; i < 4; i++)
    {
        SCOPED_TRACE(recipients[i].pszAddress);
        EXPECT_EQ(recipients[i].nClass, pMessage->lpRecips[i].ulRecipClass);
        EXPECT_STREQ(recipients[i].pszName, pMessage->lpRecips[i].lpszName);
        EXPECT_STREQ(recipients[i].pszAddress, pMessage->lpRecips[i].lpszAddress);
    }
    ASSERT_EQ(1u, pMessage->nFileCount);
    EXPECT_STREQ("data.bin", pMessage->lpFiles[0].lpszFileName);
    std::ifstream file(pMessage->lpFiles[0].lpszPathName, std::ios::binary);
    EXPECT_EQ(std::string("\0\1\2", 3),
              std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    ASSERT_NE(nullptr, pMessage->lpszNoteText);
    EXPECT_NE(std::string::npos, std::string(pMessage->lpszNoteText).find("Hello there"));
    g_mapi32.pfnFreeBuffer(pMessage);
    // A look leaves it unread; a read does not.
    EXPECT_EQ(0x03, QueryLocal("SELECT Flags FROM Emails WHERE EmailsID = " + strID));
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnReadMail(hSession, 0, &strID[0], 0, 0, &pMessage));
    g_mapi32.pfnFreeBuffer(pMessage);
    EXPECT_EQ(0x01, QueryLocal("SELECT Flags FROM Emails WHERE EmailsID = " + strID));

    // The envelope says there are files without writing any or naming them.
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnReadMail(hSession, 0, &strID[0], MAPI_ENVELOPE_ONLY, 0, &pMessage));
    EXPECT_EQ(1u, pMessage->nFileCount);
    ASSERT_NE(nullptr, pMessage->lpFiles);
    EXPECT_STREQ("", pMessage->lpFiles[0].lpszPathName);
    EXPECT_STREQ("", pMessage->lpFiles[0].lpszFileName);
    EXPECT_EQ(nullptr, pMessage->lpszNoteText);
    g_mapi32.pfnFreeBuffer(pMessage);
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    return counters.PrivateUsage;
}

TEST_F(MapiTest, ReadingAndFreeingManyTimesDoesNotGrow)
{
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    std::string strID = std::to_string(m_nB);
    auto cycles = [&](int nCount) {
        for (int i = 0; i < nCount; i++)
        {
            lpMapiMessage pMessage = nullptr;
            ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnReadMail(hSession, 0, &strID[0], MAPI_PEEK, 0, &pMessage));
            g_mapi32.pfnFreeBuffer(pMessage);
        }
    };
    cycles(100);
    SIZE_T nBefore = PrivateBytes();
    cycles(1000);
    SIZE_T nAfter = PrivateBytes();
    // A record left behind per cycle would add well over this.
    EXPECT_LT(nAfter, nBefore + 512 * 1024) << nBefore << " -> " << nAfter;
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

TEST_F(MapiTest, DeleteMailMovesToDeletedItemsAndStaleSessionsFail)
{
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    std::string strID = std::to_string(m_nB);
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnDeleteMail(hSession, 0, &strID[0], 0, 0));
    EXPECT_EQ(4, FolderOf(m_nB));
    // Again from Deleted Items: it stays there.
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnDeleteMail(hSession, 0, &strID[0], 0, 0));
    EXPECT_EQ(4, FolderOf(m_nB));
    EXPECT_EQ(1, QueryLocal("SELECT COUNT(*) FROM Emails WHERE EmailsID = " + strID));

    lpMapiRecipDesc pRecip = nullptr;
    {
        CBoxAnswers answers;
        EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE),
                  g_mapi32.pfnResolveName(hSession, 0, const_cast<char*>("Nobody Known"), 0, 0, &pRecip));
        EXPECT_EQ(nullptr, pRecip);
    }
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));

    // Every export of a session that is gone: the prompt, then 2.
    CBoxAnswers answers(IDNO);
    char szID[64] = "";
    lpMapiMessage pMessage = nullptr;
    MapiMessage message = {};
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_mapi32.pfnLogoff(hSession, 0, 0, 0));
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE),
              g_mapi32.pfnFindNext(hSession, 0, nullptr, const_cast<char*>(""), 0, 0, szID));
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_mapi32.pfnReadMail(hSession, 0, &strID[0], 0, 0, &pMessage));
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_mapi32.pfnDeleteMail(hSession, 0, &strID[0], 0, 0));
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_mapi32.pfnSendMail(hSession, 0, &message, 0, 0));
    std::vector<std::string> texts = answers.Texts();
    ASSERT_EQ(5u, texts.size());
    const char* expected[] = {"MAPIlogoff error: Invalid session!", "MAPIFindNext error: Invalid session!",
                              "MAPIReadMail error: Invalid session!", "MAPIDeleteMail error: Invalid session!",
                              "MAPISendMail error: Invalid session!"};
    for (size_t i = 0; i < texts.size(); i++)
        EXPECT_EQ(0u, texts[i].find(expected[i])) << texts[i];
}

// An account that sends through the SMTP peer; receiving from the POP3 peer leaves its mail there.
LONG AddAccount(const std::string& strFolder)
{
    CTestDatabase accounts;
    accounts.OpenFile((strFolder + "Accounts.mdb").c_str());
    CString strSQL;
    strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, Flags, "
                  "RemoveAfter, IncomingServerType, IncomingPort, SMTPPort, SMTPAccountName, SMTPPass) VALUES "
                  "('Mapi Sender', 'mapi@example.org', '127.0.0.1', '127.0.0.1', 'tester', 'secret', 9, 5, 0, %u, "
                  "%u, '', '')",
                  PeerPort("ORB_POP3_PORT"), PeerPort("ORB_SMTP_PORT"));
    accounts.Exec(strSQL);
    return accounts.QueryLong("SELECT ID FROM Accounts WHERE DisplayName = 'Mapi Sender'");
}

std::set<std::string> SpoolFiles()
{
    std::set<std::string> names;
    for (const std::string& name : ListFiles(PeerFolder() + "smtp\\spool\\"))
        names.insert(name);
    return names;
}

std::string NewSpoolMessage(const std::set<std::string>& before)
{
    for (const std::string& name : SpoolFiles())
    {
        if (!before.count(name) && name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0)
            return ReadWholeFile(PeerFolder() + "smtp\\spool\\" + name);
    }
    return "";
}

TEST_F(MapiTest, SendMailWithoutADialogSendsFromTheDefaultAccount)
{
    ASSERT_NE(0u, PeerPort("ORB_SMTP_PORT")) << "run the tests through ./test";
    ASSERT_GT(AddAccount(m_strFolder), 0);
    std::string strAttachment = ScratchFolder("mapi tests\\files") + "report 1.txt";
    std::ofstream(strAttachment, std::ios::binary) << "attached bytes";
    char szSubject[] = "Price \x80 list";
    char szBody[] = "Caf\xe9 au lait \x80\r\n";
    MapiRecipDesc recipients[4] = {};
    recipients[0] = {0, MAPI_ORIG, const_cast<char*>("Orig Person"), const_cast<char*>("orig@example.org"), 0, nullptr};
    recipients[1] = {0, MAPI_CC, const_cast<char*>("Cee"), const_cast<char*>("cee@example.org"), 0, nullptr};
    recipients[2] = {0, MAPI_BCC, const_cast<char*>("Hidden"), const_cast<char*>("bcc@example.org"), 0, nullptr};
    recipients[3] = {0, MAPI_TO, const_cast<char*>("No Address"), const_cast<char*>(""), 0, nullptr};
    MapiFileDesc file = {0, 0, static_cast<ULONG>(-1), &strAttachment[0], const_cast<char*>("ignored.name"), nullptr};
    MapiMessage message = {};
    message.lpszSubject = szSubject;
    message.lpszNoteText = szBody;
    message.flFlags = MAPI_RECEIPT_REQUESTED;
    message.nRecipCount = 4;
    message.lpRecips = recipients;
    message.nFileCount = 1;
    message.lpFiles = &file;

    std::set<std::string> before = SpoolFiles();
    {
        CBoxAnswers answers;
        EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnSendMail(0, 0, &message, 0, 0));
        EXPECT_EQ(std::vector<std::string>{}, answers.Texts());
    }
    std::string strSent = NewSpoolMessage(before);
    ASSERT_FALSE(strSent.empty());
    std::string strHeader = strSent.substr(0, strSent.find("\r\n\r\n"));
    EXPECT_NE(std::string::npos, strHeader.find("From: \"Mapi Sender\" <mapi@example.org>")) << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("To: \"Orig Person\" <orig@example.org>")) << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("Cc: \"Cee\" <cee@example.org>")) << strHeader;
    EXPECT_EQ(std::string::npos, strHeader.find("\r\nBcc:")) << strHeader;
    EXPECT_EQ(std::string::npos, strSent.find("No Address"));
    EXPECT_NE(std::string::npos, strHeader.find("X-Envelope-To: orig@example.org,cee@example.org,bcc@example.org"))
        << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("Disposition-Notification-To:")) << strHeader;
    EXPECT_NE(std::string::npos, strSent.find("charset=\"windows-1252\"") + strSent.find("charset=windows-1252") + 1);
    EXPECT_NE(std::string::npos, strSent.find("report 1.txt")) << strSent;
    EXPECT_EQ(std::string::npos, strSent.find("ignored.name"));
    EXPECT_EQ(0, QueryLocal("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                            "Folders.Type = 2"));
    EXPECT_EQ(1, QueryLocal("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                            "Folders.Type = 3"));
}

TEST_F(MapiTest, SendMailRefusalsStoreNothing)
{
    std::string strEmpty = ScratchFolder("mapi tests\\files") + "empty.txt";
    std::ofstream(strEmpty, std::ios::binary).flush();
    std::string strMissing = ScratchFolder("mapi tests\\files") + "missing.txt";
    ::DeleteFileA(strMissing.c_str());
    std::string strLong(256, 's');
    std::string strFits(255, 's');
    MapiRecipDesc recipient = {0, MAPI_TO, const_cast<char*>("To"), const_cast<char*>("to@example.org"), 0, nullptr};

    const struct
    {
        const char* pszName;
        bool bAccount;
        std::string strSubject;
        std::string strFile;
        ULONG nResult;
    } cases[] = {
        {"no account", false, "subject", "", MAPI_E_FAILURE},
        {"a subject of 256", true, strLong, "", MAPI_E_TEXT_TOO_LARGE},
        {"an empty file answered No", true, "subject", strEmpty, MAPI_USER_ABORT},
        {"a file that cannot be opened", true, "subject", strMissing, MAPI_E_ATTACHMENT_NOT_FOUND},
    };
    bool bAccount = false;
    for (const auto& test : cases)
    {
        SCOPED_TRACE(test.pszName);
        if (test.bAccount && !bAccount)
            bAccount = AddAccount(m_strFolder) > 0;
        std::string strSubject = test.strSubject;
        std::string strFile = test.strFile;
        MapiFileDesc file = {0, 0, static_cast<ULONG>(-1), &strFile[0], nullptr, nullptr};
        MapiMessage message = {};
        message.lpszSubject = &strSubject[0];
        message.nRecipCount = 1;
        message.lpRecips = &recipient;
        message.nFileCount = strFile.empty() ? 0 : 1;
        message.lpFiles = strFile.empty() ? nullptr : &file;
        CBoxAnswers answers(IDNO);
        EXPECT_EQ(test.nResult, g_direct.pfnSendMail(0, 0, &message, 0, 0));
        EXPECT_EQ(1u, answers.Texts().size());
        EXPECT_EQ(0, QueryLocal("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                                "Folders.Type IN (2, 3)"));
    }

    // 255 characters pass the subject check: the next question is the empty file's.
    std::string strFile = strEmpty;
    MapiFileDesc file = {0, 0, static_cast<ULONG>(-1), &strFile[0], nullptr, nullptr};
    MapiMessage message = {};
    message.lpszSubject = &strFits[0];
    message.nRecipCount = 1;
    message.lpRecips = &recipient;
    message.nFileCount = 1;
    message.lpFiles = &file;
    CBoxAnswers answers(IDNO);
    EXPECT_EQ(static_cast<ULONG>(MAPI_USER_ABORT), g_direct.pfnSendMail(0, 0, &message, 0, 0));
    ASSERT_EQ(1u, answers.Texts().size());
    EXPECT_EQ(0u, answers.Texts()[0].find("Size of the '")) << answers.Texts()[0];
}

namespace
{
const WORD kComposeSend = 32801;

// A control of the compose dialog inside the frame: the child with that ID whose parent is a dialog.
HWND ComposeItem(HWND hFrame, int nID)
{
    struct CSearch
    {
        int nID;
        HWND hFound;
    } search = {nID, nullptr};
    ::EnumChildWindows(
        hFrame,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            CSearch* pSearch = reinterpret_cast<CSearch*>(lParam);
            if (::GetDlgCtrlID(hWnd) != pSearch->nID || ClassNameOf(::GetParent(hWnd)) != "#32770")
                return TRUE;
            pSearch->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// What the window opened with, as the user sees it.
struct CComposeShown
{
    std::string strTo, strCc, strBcc, strSubject, strBody;
    std::vector<std::string> attachments;
};

// Runs MAPISendMail with the dialog on this thread while another thread waits for the window, reads it and
// then does what the user would; the result and what was shown.
ULONG SendWithDialog(MapiMessage& message, CComposeShown& shown, const std::function<void(HWND)>& act)
{
    DWORD dwCaller = ::GetCurrentThreadId();
    std::thread user([&] {
        HWND hFrame = nullptr;
        if (!WaitFor([&] {
                std::vector<HWND> frames = ThreadWindows(dwCaller, "LetrovaNewMessageFrame");
                hFrame = frames.empty() ? nullptr : frames[0];
                return hFrame != nullptr && ComposeItem(hFrame, IDC_COMPOSE_TO) != nullptr;
            }))
            return;
        shown.strTo = WindowText(ComposeItem(hFrame, IDC_COMPOSE_TO));
        shown.strCc = WindowText(ComposeItem(hFrame, IDC_COMPOSE_CC));
        shown.strBcc = WindowText(ComposeItem(hFrame, IDC_COMPOSE_BCC));
        shown.strSubject = WindowText(ComposeItem(hFrame, IDC_COMPOSE_SUBJECT));
        shown.strBody = WindowText(ComposeItem(hFrame, IDC_COMPOSE_BODY));
        for (const auto& row : ListViewItems(ComposeItem(hFrame, IDC_COMPOSE_ATTACHMENTS)))
            shown.attachments.push_back(row.empty() ? std::string() : row[0]);
        act(hFrame);
    });
    ULONG nResult = g_mapi32.pfnSendMail(0, 0, &message, MAPI_DIALOG, 0);
    user.join();
    return nResult;
}
} // namespace

// The window is filled from the caller's message and lives on the caller's thread until it is closed:
// closed unsent the call gives 0 and nothing is stored; sent, the message reaches the SMTP peer.
TEST_F(MapiTest, SendMailWithTheDialogOpensTheFilledWindowOnTheCallersThread)
{
    ASSERT_NE(0u, PeerPort("ORB_SMTP_PORT")) << "run the tests through ./test";
    ASSERT_GT(AddAccount(m_strFolder), 0);
    WriteNumber(HKEY_CURRENT_USER, std::string(kSettingsKey) + "\\Options", "Check Spelling Before Send", 0);
    std::string strAttachment = ScratchFolder("mapi tests\\files") + "dialog note.txt";
    std::ofstream(strAttachment, std::ios::binary) << "dialog attachment bytes";
    char szSubject[] = "Dialog \x80 subject";
    char szBody[] = "Written by the caller\r\nsecond line";
    MapiRecipDesc recipients[4] = {};
    recipients[0] = {0, MAPI_TO, const_cast<char*>("Ann"), const_cast<char*>("ann@example.org"), 0, nullptr};
    recipients[1] = {0, MAPI_CC, const_cast<char*>("Cee"), const_cast<char*>("cee@example.org"), 0, nullptr};
    recipients[2] = {0, MAPI_BCC, nullptr, const_cast<char*>("bcc@example.org"), 0, nullptr};
    recipients[3] = {0, MAPI_TO, nullptr, const_cast<char*>("bob@example.org"), 0, nullptr};
    MapiFileDesc file = {0, 0, static_cast<ULONG>(-1), &strAttachment[0], nullptr, nullptr};
    MapiMessage message = {};
    message.lpszSubject = szSubject;
    message.lpszNoteText = szBody;
    message.nRecipCount = 4;
    message.lpRecips = recipients;
    message.nFileCount = 1;
    message.lpFiles = &file;
    const std::string strOutside = "SELECT COUNT(*) FROM Emails WHERE FolderID <> " + std::to_string(m_nInbox);

    {
        CBoxAnswers answers(IDNO);
        CComposeShown shown;
        EXPECT_EQ(SUCCESS_SUCCESS, SendWithDialog(message, shown, [](HWND hFrame) {
                      SaveWindowScreenshot(hFrame, "mapi-compose");
                      ::PostMessageA(hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
                  }));
        EXPECT_EQ("\"Ann\" <ann@example.org>; <bob@example.org>", shown.strTo);
        EXPECT_EQ("\"Cee\" <cee@example.org>", shown.strCc);
        EXPECT_EQ("<bcc@example.org>", shown.strBcc);
        EXPECT_EQ(szSubject, shown.strSubject);
        EXPECT_EQ(szBody, shown.strBody);
        EXPECT_EQ(std::vector<std::string>{"dialog note.txt"}, shown.attachments);
        EXPECT_EQ(std::vector<std::string>{}, answers.Texts());
        EXPECT_EQ(0, QueryLocal(strOutside));
    }

    // The caller's own quit ends the window too, and is still there for the caller's loop afterwards.
    {
        CBoxAnswers answers(IDNO);
        CComposeShown shown;
        DWORD dwCaller = ::GetCurrentThreadId();
        EXPECT_EQ(SUCCESS_SUCCESS, SendWithDialog(message, shown, [dwCaller](HWND) {
                      ::PostThreadMessageA(dwCaller, WM_QUIT, 7, 0);
                  }));
        EXPECT_TRUE(ThreadWindows(dwCaller, "LetrovaNewMessageFrame").empty());
        MSG msg = {};
        ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(7u, msg.wParam);
        EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(0, QueryLocal(strOutside));
    }

    std::set<std::string> before = SpoolFiles();
    {
        CBoxAnswers answers(IDNO);
        CComposeShown shown;
        EXPECT_EQ(SUCCESS_SUCCESS, SendWithDialog(message, shown, [](HWND hFrame) {
                      ::PostMessageA(hFrame, WM_COMMAND, kComposeSend, 0);
                  }));
        EXPECT_EQ(std::vector<std::string>{}, answers.Texts());
    }
    // Sent from this thread once the window has closed: nothing of it waits in the Outbox.
    std::string strSent = NewSpoolMessage(before);
    ASSERT_FALSE(strSent.empty());
    std::string strHeader = strSent.substr(0, strSent.find("\r\n\r\n"));
    EXPECT_NE(std::string::npos, strHeader.find("mapi@example.org")) << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("ann@example.org")) << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("Cc: \"Cee\" <cee@example.org>")) << strHeader;
    EXPECT_EQ(std::string::npos, strHeader.find("\r\nBcc:")) << strHeader;
    EXPECT_NE(std::string::npos, strHeader.find("bcc@example.org")) << "the envelope holds it: " << strHeader;
    EXPECT_NE(std::string::npos, strSent.find("Written by the caller")) << strSent;
    EXPECT_NE(std::string::npos, strSent.find("dialog note.txt")) << strSent;
    EXPECT_EQ(0, QueryLocal("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                            "Folders.Type = 2"));
    EXPECT_EQ(1, QueryLocal("SELECT COUNT(*) FROM Emails, Folders WHERE Emails.FolderID = Folders.ID AND "
                            "Folders.Type = 3"));
}

TEST_F(MapiTest, SessionsAreIndependentAcrossLogoffsAndThreads)
{
    LHANDLE hFirst = 0, hSecond = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_direct.pfnLogon(0, nullptr, nullptr, 0, 0, &hFirst));
    ASSERT_EQ(SUCCESS_SUCCESS, g_direct.pfnLogon(0, nullptr, nullptr, 0, 0, &hSecond));
    EXPECT_NE(hFirst, hSecond);
    // A send through a session of its own, then one of the two logged off: the other reads on.
    {
        CBoxAnswers answers;
        MapiMessage message = {};
        message.lpszSubject = const_cast<char*>("x");
        g_direct.pfnSendMail(0, 0, &message, 0, 0);
    }
    EXPECT_EQ(SUCCESS_SUCCESS, g_direct.pfnLogoff(hFirst, 0, 0, 0));
    std::string strID = std::to_string(m_nC);
    lpMapiMessage pMessage = nullptr;
    ASSERT_EQ(SUCCESS_SUCCESS, g_direct.pfnReadMail(hSecond, 0, &strID[0], MAPI_PEEK, 0, &pMessage));
    EXPECT_STREQ("Third", pMessage->lpszSubject);
    g_direct.pfnFreeBuffer(pMessage);
    EXPECT_EQ(SUCCESS_SUCCESS, g_direct.pfnLogoff(hSecond, 0, 0, 0));

    // Null out-pointers are failures, not crashes.
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_direct.pfnLogon(0, nullptr, nullptr, 0, 0, nullptr));
    EXPECT_EQ(static_cast<ULONG>(MAPI_E_FAILURE), g_direct.pfnReadMail(hSecond, 0, &strID[0], 0, 0, nullptr));

    std::vector<ULONG> results(4, 99);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); i++)
    {
        threads.emplace_back([&results, i, strID] {
            for (int n = 0; n < 3; n++)
            {
                LHANDLE hSession = 0;
                ULONG nResult = g_direct.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession);
                lpMapiMessage pRead = nullptr;
                std::string strRead = strID;
                if (nResult == SUCCESS_SUCCESS)
                    nResult = g_direct.pfnReadMail(hSession, 0, &strRead[0], MAPI_PEEK, 0, &pRead);
                if (pRead != nullptr)
                    g_direct.pfnFreeBuffer(pRead);
                if (nResult == SUCCESS_SUCCESS)
                    nResult = g_direct.pfnLogoff(hSession, 0, 0, 0);
                results[i] = nResult;
                if (nResult != SUCCESS_SUCCESS)
                    return;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(std::vector<ULONG>(4, SUCCESS_SUCCESS), results);
}
} // namespace

namespace
{
// The same people in the central and the local database: the session takes its contacts from either.
void AddContacts(const std::string& strFolder)
{
    for (const char* pszFile : {"Orb.mdb", "email.mdb"})
    {
        CTestDatabase database;
        database.OpenFile((strFolder + pszFile).c_str());
        CContactNameTable(database.Session()).EnsureSchema(NULL);
        database.Exec("INSERT INTO Site (COMPANY, POSTCODE, Ind) VALUES ('Acme', '', 0)");
        LONG nSite = database.QueryLong("SELECT MAX(SiteID) FROM Site");
        const char* people[][3] = {{"Ann", "One", "1@x"}, {"Bob", "Two", "2@x"}, {"Dup", "Name", "d1@x"},
                                   {"Dup", "Name", "d2@x"}};
        for (const auto& person : people)
        {
            CString strSQL;
            strSQL.Format("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) VALUES "
                          "(%ld, '%s', '%s', '%s')",
                          (long)nSite, person[0], person[1], person[2]);
            database.Exec(strSQL);
        }
    }
}

bool Shown(HWND hDlg, int nID)
{
    return ::IsWindowVisible(::GetDlgItem(hDlg, nID)) != FALSE;
}

std::vector<std::string> Column(HWND hList)
{
    std::vector<std::string> items;
    for (const auto& row : ListViewItems(hList))
        items.push_back(row.empty() ? std::string() : row[0]);
    return items;
}

// Selects the contact of that address in the dialog's contact list.
bool SelectContact(HWND hDlg, const char* pszAddress)
{
    HWND hList = ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST);
    if (!WaitFor([hList] { return ListView_GetItemCount(hList) > 0; }))
        return false;
    ListView_SetItemState(hList, -1, 0, LVIS_SELECTED);
    auto rows = ListViewItems(hList);
    for (size_t i = 0; i < rows.size(); i++)
    {
        if (rows[i].size() > 1 && rows[i][1] == pszAddress)
        {
            ListView_SetItemState(hList, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
            return true;
        }
    }
    return false;
}
} // namespace

TEST_F(MapiTest, ResolveNameWithoutADialogFindsOnlyAContactOfThatExactName)
{
    AddContacts(m_strFolder);
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    struct
    {
        const char* pszName;
        ULONG nResult;
        const char* pszResolvedName;
        const char* pszAddress;
    } cases[] = {
        {"Ann One", SUCCESS_SUCCESS, "Ann One", "1@x"},
        {"Bob Two", SUCCESS_SUCCESS, "Bob Two", "2@x"},
        {"plain@example.org", SUCCESS_SUCCESS, "plain@example.org", "plain@example.org"},
        {"Dup Name", MAPI_E_FAILURE, nullptr, nullptr},
        {"Ann", MAPI_E_FAILURE, nullptr, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        // Nothing may be shown to a caller that did not allow it.
        CBoxAnswers answers;
        lpMapiRecipDesc pRecip = nullptr;
        EXPECT_EQ(c.nResult,
                  g_mapi32.pfnResolveName(hSession, 0, const_cast<char*>(c.pszName), 0, 0, &pRecip));
        EXPECT_TRUE(answers.Texts().empty());
        if (c.pszResolvedName == nullptr)
        {
            EXPECT_EQ(nullptr, pRecip);
            continue;
        }
        ASSERT_NE(nullptr, pRecip);
        EXPECT_EQ(static_cast<ULONG>(MAPI_TO), pRecip->ulRecipClass);
        EXPECT_STREQ(c.pszResolvedName, pRecip->lpszName);
        EXPECT_STREQ(c.pszAddress, pRecip->lpszAddress);
        g_mapi32.pfnFreeBuffer(pRecip);
    }
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

TEST_F(MapiTest, AddressShowsTheListsTheCallerAsksForOrFillsAndCancelGivesNothing)
{
    ASSERT_NE(nullptr, g_mapi32.pfnAddress);
    AddContacts(m_strFolder);
    MapiRecipDesc cc = {0, MAPI_CC, const_cast<char*>("Cee"), const_cast<char*>("c@x"), 0, nullptr};
    MapiRecipDesc bcc = {0, MAPI_BCC, nullptr, const_cast<char*>("b@x"), 0, nullptr};
    struct
    {
        const char* pszCaption;
        ULONG nEditFields;
        const char* pszLabel;
        MapiRecipDesc* pRecip;
        bool bTo, bCc, bBcc;
        const char* pszCaptionShown;
        const char* pszToButton;
    } cases[] = {
        {"", 1, "Send to ->", nullptr, true, false, false, "Address Book", "Send to ->"},
        {"Pick", 0, "ignored", &cc, true, true, false, "Pick", "&To: ->"},
        {"Pick", 2, "ignored", &bcc, true, true, true, "Pick", "&To: ->"},
        {"Pick", 4, "", nullptr, false, false, false, "Pick", nullptr},
        {"Pick", 0, "", nullptr, false, false, false, "Pick", nullptr},
    };
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.nEditFields);
        std::string strCaption, strToButton;
        bool shown[3] = {};
        std::vector<std::string> ccItems, bccItems;
        int nContacts = 0;
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            if (::GetDlgItem(hDlg, IDC_AB_WELL_TO) == nullptr)
                return false;
            HWND hList = ::GetDlgItem(hDlg, IDC_AB_ADDRESS_LIST);
            WaitFor([hList] { return ListView_GetItemCount(hList) == 4; });
            nContacts = ListView_GetItemCount(hList);
            strCaption = WindowText(hDlg);
            strToButton = CDialogResponder::ItemText(hDlg, IDC_AB_BUTTON_TO);
            shown[0] = Shown(hDlg, IDC_AB_WELL_TO);
            shown[1] = Shown(hDlg, IDC_AB_WELL_CC);
            shown[2] = Shown(hDlg, IDC_AB_WELL_BCC);
            ccItems = Column(::GetDlgItem(hDlg, IDC_AB_WELL_CC));
            bccItems = Column(::GetDlgItem(hDlg, IDC_AB_WELL_BCC));
            if (c.nEditFields == 2)
                SaveWindowScreenshot(hDlg, "mapi-address");
            return CDialogResponder::Press(hDlg, IDCANCEL);
        });
        ULONG nNew = 99;
        lpMapiRecipDesc pNew = reinterpret_cast<lpMapiRecipDesc>(1);
        EXPECT_EQ(static_cast<ULONG>(MAPI_USER_ABORT),
                  g_mapi32.pfnAddress(hSession, 0, const_cast<char*>(c.pszCaption), c.nEditFields,
                                      const_cast<char*>(c.pszLabel), c.pRecip != nullptr ? 1 : 0, c.pRecip, 0,
                                      0, &nNew, &pNew));
        EXPECT_EQ(0u, nNew);
        EXPECT_EQ(nullptr, pNew);
        ASSERT_EQ(1u, responder.Answered().size());
        EXPECT_EQ(4, nContacts);
        EXPECT_EQ(c.pszCaptionShown, strCaption);
        EXPECT_EQ(c.bTo, shown[0]);
        EXPECT_EQ(c.bCc, shown[1]);
        EXPECT_EQ(c.bBcc, shown[2]);
        if (c.pszToButton != nullptr)
            EXPECT_EQ(c.pszToButton, strToButton);
        if (c.pRecip == &cc)
            EXPECT_EQ(std::vector<std::string>{"\"Cee\" <c@x>"}, ccItems);
        if (c.pRecip == &bcc)
            EXPECT_EQ(std::vector<std::string>{"<b@x>"}, bccItems);
    }
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

TEST_F(MapiTest, AddressGivesTheChosenRecipientsInClassOrder)
{
    ASSERT_NE(nullptr, g_mapi32.pfnAddress);
    AddContacts(m_strFolder);
    MapiRecipDesc given[] = {{0, MAPI_CC, const_cast<char*>("Old"), const_cast<char*>("old@x"), 0, nullptr},
                             {0, MAPI_ORIG, nullptr, const_cast<char*>("orig@x"), 0, nullptr}};
    bool bChosen = false;
    CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
        if (::GetDlgItem(hDlg, IDC_AB_WELL_TO) == nullptr)
            return false;
        // Sent, not posted: each step is done before the next.
        bChosen = SelectContact(hDlg, "1@x");
        ::SendMessageA(hDlg, WM_COMMAND, IDC_AB_BUTTON_CC, 0);
        bChosen = bChosen && SelectContact(hDlg, "2@x");
        ::SendMessageA(hDlg, WM_COMMAND, IDC_AB_BUTTON_TO, 0);
        CDialogResponder::SetField(hDlg, IDC_AB_ADD_EDIT, "Typed <typed@x>");
        ::SendMessageA(hDlg, WM_COMMAND, IDC_AB_ADD, 0);
        return CDialogResponder::Press(hDlg, IDC_AB_RECIPIENTS_OK);
    });
    LHANDLE hSession = 0;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogon(0, nullptr, nullptr, 0, 0, &hSession));
    ULONG nNew = 0;
    lpMapiRecipDesc pNew = nullptr;
    ASSERT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnAddress(hSession, 0, const_cast<char*>("Pick"), 3, nullptr, 2, given,
                                                   0, 0, &nNew, &pNew));
    EXPECT_TRUE(bChosen);
    struct
    {
        ULONG nClass;
        const char* pszName;
        const char* pszAddress;
    } expected[] = {{MAPI_TO, "", "orig@x"},
                    {MAPI_TO, "Bob Two", "2@x"},
                    {MAPI_TO, "Typed", "typed@x"},
                    {MAPI_CC, "Old", "old@x"},
                    {MAPI_CC, "Ann One", "1@x"}};
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), nNew);
    ASSERT_NE(nullptr, pNew);
    for (ULONG i = 0; i < nNew; i++)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].nClass, pNew[i].ulRecipClass);
        EXPECT_STREQ(expected[i].pszName, pNew[i].lpszName);
        EXPECT_STREQ(expected[i].pszAddress, pNew[i].lpszAddress);
        EXPECT_EQ(0u, pNew[i].ulEIDSize);
        EXPECT_EQ(nullptr, pNew[i].lpEntryID);
    }
    g_mapi32.pfnFreeBuffer(pNew);
    EXPECT_EQ(SUCCESS_SUCCESS, g_mapi32.pfnLogoff(hSession, 0, 0, 0));
}

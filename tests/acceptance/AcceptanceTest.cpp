// The client as a user meets it: started through the host program as ./run starts it, on a fresh profile
// with the registry's defaults, a POP3 account added through the store, the real-mail messages received
// from dovecot, then read, searched, saved, marked, moved and deleted through its windows, with every
// count it shows compared to the store's. The tests run in order on one client.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "StoreTestDatabase.h"
#include "StoreTestSupport.h"
#include "content/EncodedWord.h"
#include "content/TransferEncoding.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"
#include "store/FoldersTable.h"
#include "tests/support/OtherProcessReaders.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"

namespace
{
const WORD kSendReceiveAll = 32776;
const WORD kFindMessage = 33001;
const WORD kMoveToFolder = 32995;
const WORD kDelete = 32792;
const WORD kMarkAsRead = 33032;
const WORD kMarkAsUnread = 33033;
const WORD kSaveAttachments = 32779;
const WORD kNewMessage = 32782;
const WORD kSend = 32801;
const WORD kAllHeaders = 32921;
const WORD kFileAttachment = 32802;
const WORD kAddressBook = 32781;
const WORD kImportVcard = 33077;
const int kFolderTree = 1004;
const WORD kAssociate = 32907;
const WORD kRestoreAssociate = 32908;
const int kMessageList = IDC_MESSAGE_LIST;
const DWORD kReceiveTimeoutMs = 180000;

struct OracleAttachment
{
    std::string strName;
    std::string strBytes;
};

struct OracleMessage
{
    std::string strFile;
    std::string strWord;      // empty when its body has none
    std::vector<size_t> holders; // the messages whose body holds the word, by position
    std::string strMessageID; // empty when it has none
    std::vector<OracleAttachment> attachments;
};

std::string Env(const char* pszName)
{
    char sz[1024] = "";
    DWORD n = ::GetEnvironmentVariableA(pszName, sz, sizeof(sz));
    return n > 0 && n < sizeof(sz) ? sz : "";
}

std::string ReadBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<OracleMessage> ReadOracle(const std::string& strFolder)
{
    std::vector<OracleMessage> messages;
    std::ifstream in(strFolder + "\\oracle.txt");
    std::string strLine;
    while (std::getline(in, strLine))
    {
        std::vector<std::string> fields;
        std::stringstream line(strLine);
        std::string strField;
        while (std::getline(line, strField, '\t'))
            fields.push_back(strField);
        if (fields.size() < 3)
            continue;
        if (fields[1] == "W")
        {
            messages.push_back({fields[0], fields[2] == "-" ? "" : fields[2], {}, "", {}});
            std::stringstream holders(fields.size() > 3 ? fields[3] : "");
            std::string strHolder;
            while (std::getline(holders, strHolder, ','))
                messages.back().holders.push_back((size_t)atoi(strHolder.c_str()));
        }
        else if (fields[1] == "M" && !messages.empty())
            messages.back().strMessageID = fields[2];
        else if (fields[1] == "A" && fields.size() == 4 && !messages.empty())
            messages.back().attachments.push_back({fields[2], ReadBytes(strFolder + "\\" + fields[3])});
    }
    return messages;
}

struct FindWindowData
{
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND hWnd, LPARAM lParam)
{
    FindWindowData* pData = reinterpret_cast<FindWindowData*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pData->dwProcessId && ::IsWindowVisible(hWnd))
        pData->windows.push_back(hWnd);
    return TRUE;
}

// The visible top-level windows of a process.
std::vector<HWND> ProcessWindows(DWORD dwProcessId)
{
    FindWindowData data = {dwProcessId, {}};
    ::EnumWindows(CollectProcessWindow, (LPARAM)&data);
    return data.windows;
}

struct FindChildData
{
    const char* pszClass;
    int nID;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam)
{
    FindChildData* pData = reinterpret_cast<FindChildData*>(lParam);
    if (ClassNameOf(hWnd) == pData->pszClass && (pData->nID == 0 || ::GetDlgCtrlID(hWnd) == pData->nID))
        pData->found.push_back(hWnd);
    return TRUE;
}

// The descendants of a window of one class (and control id, unless 0).
std::vector<HWND> Descendants(HWND hWndParent, const char* pszClass, int nID = 0)
{
    FindChildData data = {pszClass, nID, {}};
    ::EnumChildWindows(hWndParent, CollectChild, (LPARAM)&data);
    return data.found;
}

HWND Descendant(HWND hWndParent, const char* pszClass, int nID = 0)
{
    std::vector<HWND> found = Descendants(hWndParent, pszClass, nID);
    return found.empty() ? NULL : found.front();
}

// Input is posted, as the system posts it; callers wait for what it does.
void Click(HWND hWnd, const RECT& rc)
{
    LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    ::PostMessageA(hWnd, WM_LBUTTONUP, 0, lPoint);
}

void PressKey(HWND hWnd, UINT nKey)
{
    ::PostMessageA(hWnd, WM_KEYDOWN, nKey, 1);
    ::PostMessageA(hWnd, WM_KEYUP, nKey, 0xC0000001);
}

// Posted, so that a button that opens a modal dialog does not hold the caller.
void PressButton(HWND hWndDlg, int nID)
{
    ::PostMessageA(hWndDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)::GetDlgItem(hWndDlg, nID));
}

// The folder tree in a window: the main window's is a superclass of the tree view, the Move dialog's
// may be either.
HWND FolderTreeIn(HWND hWnd)
{
    HWND hTree = Descendant(hWnd, "LetrovaFolderTree", kFolderTree);
    return hTree != NULL ? hTree : Descendant(hWnd, WC_TREEVIEWA, kFolderTree);
}

std::string Decoded(const char* pszText)
{
    return (const char*)DecodeEncodedWord(pszText);
}

// The label the folder tree gives a folder with this many unread messages.
std::string FolderLabel(const std::string& strName, long nUnread)
{
    return nUnread == 0 ? strName : strName + " (" + std::to_string(nUnread) + ")";
}

class AcceptanceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_oracle = ReadOracle(Env("ORB_ACCEPTANCE_ORACLE"));
        char szModule[MAX_PATH] = "";
        ::GetModuleFileNameA(NULL, szModule, MAX_PATH);
        std::string strBin = szModule;
        strBin.resize(strBin.find_last_of('\\'));
        std::string strCommand = "\"" + strBin + "\\Host.exe\"";
        STARTUPINFOA si = {sizeof(si)};
        if (!::CreateProcessA(NULL, &strCommand[0], NULL, NULL, FALSE, 0, NULL, strBin.c_str(), &si, &s_process))
            return;
        // The main window: the one with the folder tree.
        WaitFor(
            [&]() {
                for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
                    if (FolderTreeIn(hWnd) != NULL)
                        s_hFrame = hWnd;
                return s_hFrame != NULL;
            },
            60000);
        if (s_hFrame == NULL)
        {
            SaveWindowScreenshot(::GetDesktopWindow(), "acceptance-00-no-main-window");
            for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            {
                HWND hText = ::GetDlgItem(hWnd, 0xFFFF);
                printf("a window of the client: %s \"%s\" %s\n", ClassNameOf(hWnd).c_str(), WindowText(hWnd).c_str(),
                       hText != NULL ? WindowText(hText).c_str() : "");
            }
            return;
        }
        s_hTree = FolderTreeIn(s_hFrame);
        s_hStatus = Descendant(s_hFrame, STATUSCLASSNAMEA);
        // The contacts pane has a list of that id too; the messages are right of the tree.
        RECT rcTree = WindowRect(s_hTree);
        for (HWND hList : Descendants(s_hFrame, WC_LISTVIEWA, kMessageList))
            if (WindowRect(hList).left >= rcTree.right)
                s_hList = hList;

        char szAppData[MAX_PATH] = "";
        ::SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, 0, szAppData);
        std::string strData = std::string(szAppData) + "\\Vorn\\";
        s_pLocal = new CTestDatabase();
        s_pLocal->OpenFile((strData + "email.mdb").c_str());
        s_pAccounts = new CTestDatabase();
        s_pAccounts->OpenFile((strData + "Accounts.mdb").c_str());
    }

    static void TearDownTestSuite()
    {
        if (s_hFrame != NULL)
            ::PostMessageA(s_hFrame, WM_CLOSE, 0, 0);
        if (s_process.hProcess != NULL)
        {
            if (::WaitForSingleObject(s_process.hProcess, 30000) != WAIT_OBJECT_0)
            {
                ADD_FAILURE() << "the client did not end after its window closed";
                ::TerminateProcess(s_process.hProcess, 1);
            }
            ::CloseHandle(s_process.hProcess);
            ::CloseHandle(s_process.hThread);
        }
        delete s_pLocal;
        delete s_pAccounts;
    }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_hFrame) << "the main window did not appear";
        ASSERT_NE(nullptr, s_hList);
        ASSERT_NE(nullptr, s_hStatus);
        ASSERT_TRUE(s_pLocal->Session()->m_spOpenRowset != NULL);
        ExpectNoBoxes("before the step");
    }

    void TearDown() override { ExpectNoBoxes("after the step"); }

    CSession& Local() { return *s_pLocal->Session(); }

    long Count(const char* pszFormat, long nValue)
    {
        char sz[512];
        wsprintfA(sz, pszFormat, nValue);
        return QueryLong(Local(), sz);
    }

    long FolderOfType(long nType) { return Count("SELECT MIN(ID) FROM Folders WHERE Type = %ld", nType); }
    long Inbox() { return FolderOfType(FOLDER_INBOX); }
    long Messages(long nFolder) { return Count("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld", nFolder); }
    long Unread(long nFolder)
    {
        return Count("SELECT COUNT(*) FROM Emails WHERE FolderID = %ld AND (Flags & 130) = 2", nFolder);
    }

    // Message boxes and other dialogs of the client, each read and then closed; fails the step with them.
    void ExpectNoBoxes(const char* pszWhen)
    {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
        {
            if (ClassNameOf(hWnd) != "#32770")
                continue;
            HWND hText = ::GetDlgItem(hWnd, 0xFFFF);
            ADD_FAILURE() << pszWhen << ": a box \"" << WindowText(hWnd) << "\": "
                          << (hText != NULL ? WindowText(hText) : std::string("(no text)"));
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
            WaitFor([&]() { return !::IsWindowVisible(hWnd); }, 5000);
        }
    }

    // A dialog of the client that holds the given control, once it shows.
    HWND WaitForDialog(int nControl, DWORD dwTimeoutMs = 20000)
    {
        HWND hFound = NULL;
        WaitFor(
            [&]() {
                for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
                    if (hWnd != s_hFrame && ::GetDlgItem(hWnd, nControl) != NULL)
                        hFound = hWnd;
                    else if (hWnd != s_hFrame)
                        for (HWND hChild : Descendants(hWnd, "#32770"))
                            if (::GetDlgItem(hChild, nControl) != NULL)
                                hFound = hChild;
                return hFound != NULL;
            },
            dwTimeoutMs);
        return hFound;
    }

    HTREEITEM FindFolderItem(HWND hTree, const std::string& strName)
    {
        for (const OtherTreeItem& item : OtherTreeViewItems(hTree))
            if (item.strText == strName || item.strText.compare(0, strName.size() + 2, strName + " (") == 0)
                return item.hItem;
        return NULL;
    }

    // The labels that the store's counts give the system and user folders and that the tree does not show.
    std::vector<std::string> MissingLabels(HWND hTree)
    {
        std::vector<std::string> labels, missing;
        for (const OtherTreeItem& item : OtherTreeViewItems(hTree))
            labels.push_back(item.strText);
        CCommand<CAccessor<CFoldersRecord>> folders;
        if (FAILED(folders.Open(Local(), "SELECT ID, OwnerID, Name, Type, nUnread, nMessagesNumber, Flags FROM "
                                         "Folders WHERE Type >= 1 AND Type <= 6")))
            return {"(the Folders table cannot be read)"};
        while (folders.MoveNext() == S_OK)
        {
            std::string strLabel = FolderLabel(folders.m_Name, Unread(folders.m_ID));
            if (std::find(labels.begin(), labels.end(), strLabel) == labels.end())
                missing.push_back(strLabel);
        }
        return missing;
    }

    // Every system or user folder shows in the tree with the store's unread count. Waited for: a message
    // that the preview marks read on its timer changes the store first and the tree a moment later.
    void ExpectTreeCounts(HWND hTree, const char* pszWhere)
    {
        std::vector<std::string> missing;
        WaitFor(
            [&]() {
                missing = MissingLabels(hTree);
                return missing.empty();
            },
            10000);
        for (const std::string& strLabel : missing)
            ADD_FAILURE() << pszWhere << ": no item \"" << strLabel << "\"";
    }

    // The tree, the status bar's summary of the listed folder and the list's rows against the store. Other
    // texts may stand in the status bar (the new-mail count after a run) unless a summary is due.
    void ExpectCounts(long nListed, const char* pszStep, bool bSummaryDue = true)
    {
        SCOPED_TRACE(pszStep);
        SendBounded(s_hFrame, WM_NULL);
        ExpectTreeCounts(s_hTree, "folder tree");
        CCommand<CAccessor<CFoldersRecord>> folder;
        CString strSQL;
        strSQL.Format("SELECT ID, OwnerID, Name, Type, nUnread, nMessagesNumber, Flags FROM Folders WHERE ID = %ld",
                      nListed);
        ASSERT_TRUE(SUCCEEDED(folder.Open(Local(), strSQL)) && folder.MoveNext() == S_OK);
        char szSummary[256];
        wsprintfA(szSummary, "%ld message(s), %ld unread in the %s folder", Messages(nListed), Unread(nListed),
                  folder.m_Name);
        std::string strShown;
        bool bShown = WaitFor(
            [&]() {
                strShown = OtherStatusBarText(s_hStatus);
                return strShown == szSummary ||
                       (!bSummaryDue && strShown.find(" unread in the ") == std::string::npos);
            },
            10000);
        EXPECT_TRUE(bShown) << "status bar: \"" << strShown << "\", the store: \"" << szSummary << "\"";
        EXPECT_TRUE(WaitFor([&]() { return Messages(nListed) == SendBounded(s_hList, LVM_GETITEMCOUNT); }, 10000))
            << SendBounded(s_hList, LVM_GETITEMCOUNT) << " rows, " << Messages(nListed) << " messages";
    }

    // The Move dialog's tree shows the store's counts; the dialog is left open.
    HWND OpenMoveDialog()
    {
        // Move follows the focus: the command is refused until the list has it.
        const DWORD dwThread = ::GetWindowThreadProcessId(s_hFrame, NULL);
        EXPECT_TRUE(WaitFor([&]() {
            GUITHREADINFO info = {sizeof(info)};
            return ::GetGUIThreadInfo(dwThread, &info) && info.hwndFocus == s_hList;
        }));
        ::PostMessageA(s_hFrame, WM_COMMAND, kMoveToFolder, 0);
        HWND hDialog = WaitForDialog(IDC_CHOICE_NEW_FOLDER);
        if (hDialog == NULL)
            return NULL;
        HWND hTree = FolderTreeIn(hDialog);
        WaitFor([&]() { return SendBounded(hTree, TVM_GETCOUNT) > 0; });
        ExpectTreeCounts(hTree, "Move dialog");
        return hDialog;
    }

    // Selects the row and gives the list the focus, as a click does.
    void ClickRow(int nRow)
    {
        SendBounded(s_hList, LVM_ENSUREVISIBLE, nRow, FALSE);
        RECT rc;
        ASSERT_TRUE(OtherListViewItemRect(s_hList, nRow, rc));
        Click(s_hList, rc);
        EXPECT_TRUE(WaitFor([&]() { return SelectedRow() == nRow; }, 10000));
    }

    int SelectedRow() { return (int)SendBounded(s_hList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }

    // From and Subject of a stored message as a list shows them: a tab as a blank, and no longer than the
    // shorter of the store's record and the list's row keeps them.
    std::pair<std::string, std::string> ShownKey(long nEmailsID)
    {
        CEmailsImpl<> store(&Local());
        if (!store.OpenByKey(nEmailsID, FALSE))
            return {"(not stored)", ""};
        return {Shown(Decoded(store.m_Ref)), Shown(Decoded(store.m_Subject))};
    }

    static std::string Shown(std::string strText)
    {
        std::replace(strText.begin(), strText.end(), '\t', ' ');
        return strText.substr(0, 100);
    }

    // The rows of a list that show the stored message's From and Subject.
    std::vector<int> RowsOf(HWND hList, long nEmailsID)
    {
        std::pair<std::string, std::string> key = ShownKey(nEmailsID);
        std::vector<int> rows;
        std::vector<std::vector<std::string>> cells = OtherListViewItems(hList);
        for (int i = 0; i < (int)cells.size(); i++)
            if (cells[i].size() > 3 && Shown(cells[i][2]) == key.first && Shown(cells[i][3]) == key.second)
                rows.push_back(i);
        return rows;
    }

    static PROCESS_INFORMATION s_process;
    static HWND s_hFrame, s_hTree, s_hList, s_hStatus;
    static CTestDatabase* s_pLocal;
    static CTestDatabase* s_pAccounts;
    static std::vector<OracleMessage> s_oracle;
    // The stored message of each oracle entry: dovecot hands out the new Maildir files in name order, the
    // oracle lists them in that order and the store numbers them as they come.
    static std::vector<long> s_received;
};

PROCESS_INFORMATION AcceptanceTest::s_process = {};
HWND AcceptanceTest::s_hFrame = NULL;
HWND AcceptanceTest::s_hTree = NULL;
HWND AcceptanceTest::s_hList = NULL;
HWND AcceptanceTest::s_hStatus = NULL;
CTestDatabase* AcceptanceTest::s_pLocal = nullptr;
CTestDatabase* AcceptanceTest::s_pAccounts = nullptr;
std::vector<OracleMessage> AcceptanceTest::s_oracle;
std::vector<long> AcceptanceTest::s_received;
} // namespace

TEST_F(AcceptanceTest, SendAndReceiveListsEveryMessageOnceWithTheStoresCounts)
{
    ASSERT_FALSE(s_oracle.empty()) << "no oracle in ORB_ACCEPTANCE_ORACLE";
    SaveWindowScreenshot(s_hFrame, "acceptance-01-started");
    bool bAdded = AddAccount(NULL, s_pAccounts->Session(), [](CAccountsRecord& account) {
        lstrcpyA(account.m_szDisplayName, "Acceptance");
        lstrcpyA(account.m_szEmailAddress, "acceptance@localhost");
        lstrcpyA(account.m_szPOP3, "127.0.0.1");
        lstrcpyA(account.m_szSMTP, "127.0.0.1");
        lstrcpyA(account.m_szAccountName, "acceptance");
        account.SetPassword("secret");
        account.m_IncomingPort = atol(Env("ORB_POP3_PORT").c_str());
        account.m_SMTPPort = atol(Env("ORB_SMTP_PORT").c_str());
        account.m_IncomingServerType = INCOMING_SERVER_POP3;
        return 1;
    });
    ASSERT_TRUE(bAdded);

    HTREEITEM hInbox = FindFolderItem(s_hTree, "Inbox");
    ASSERT_NE(nullptr, hInbox);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hInbox);
    ::PostMessageA(s_hFrame, WM_COMMAND, kSendReceiveAll, 0);
    const long nServed = (long)s_oracle.size();
    // The run is over when the progress window has gone and every message is in the Inbox.
    bool bReceived = WaitFor(
        [&]() {
            if (Messages(Inbox()) < nServed)
                return false;
            // The progress window is a dialog too, closed a moment after its worker ends; a message box
            // (a dialog with a box text) ends the wait, for the check below to report it.
            for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
                if (hWnd != s_hFrame && (ClassNameOf(hWnd) != "#32770" || ::GetDlgItem(hWnd, 0xFFFF) == NULL))
                    return false;
            return SendBounded(s_hList, LVM_GETITEMCOUNT) >= nServed;
        },
        kReceiveTimeoutMs);
    SaveWindowScreenshot(s_hFrame, "acceptance-02-received");
    ExpectNoBoxes("after the receive");
    ASSERT_TRUE(bReceived) << Messages(Inbox()) << " of " << nServed << " messages in the Inbox";
    EXPECT_EQ(nServed, Messages(Inbox()));

    // Every message once: the list's subjects are the store's, each as often as the store has it.
    std::vector<std::string> listed, stored;
    for (const std::vector<std::string>& row : OtherListViewItems(s_hList))
        listed.push_back(row.size() > 3 ? row[3] : "");
    CEmailsImpl<> store(&Local());
    store.OpenByFolder(Inbox(), NULL);
    while (store.MoveNext(TRUE, FALSE) == S_OK)
        stored.push_back(Decoded(store.m_Subject));
    std::sort(listed.begin(), listed.end());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, listed);
    ExpectCounts(Inbox(), "after the receive", false);
    // Move to Folder acts on the list that has the focus.
    ClickRow(0);

    CEmailsImpl<> byID(&Local());
    byID.OpenByFolder(Inbox(), NULL);
    while (byID.MoveNext(TRUE, FALSE) == S_OK)
        s_received.push_back(byID.m_EmailsID);
    std::sort(s_received.begin(), s_received.end());
    ASSERT_EQ(s_oracle.size(), s_received.size());
    for (size_t i = 0; i < s_oracle.size(); i++)
    {
        CEmailsImpl<> message(&Local());
        if (!s_oracle[i].strMessageID.empty() && message.OpenByKey(s_received[i], FALSE))
            ASSERT_EQ(s_oracle[i].strMessageID, std::string(message.m_MessageID))
                << s_oracle[i].strFile << " is not the message received in its place";
    }
    HWND hMove = OpenMoveDialog();
    ASSERT_NE(nullptr, hMove);
    SaveWindowScreenshot(hMove, "acceptance-03-move-dialog");
    PressButton(hMove, IDCANCEL);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hMove) || !::IsWindowVisible(hMove); }));
}

TEST_F(AcceptanceTest, EachMessageShowsItsPreviewWithoutAnErrorBox)
{
    const int nRows = (int)SendBounded(s_hList, LVM_GETITEMCOUNT);
    ASSERT_GT(nRows, 0);
    ClickRow(0);
    for (int i = 0; i < nRows; i++)
    {
        if (i > 0)
            PressKey(s_hList, VK_DOWN);
        EXPECT_TRUE(WaitFor([&]() { return SelectedRow() == i; }, 10000)) << "row " << i;
        SendBounded(s_hList, WM_NULL);
        std::vector<std::vector<std::string>> cells = OtherListViewItems(s_hList);
        std::string strRow = i < (int)cells.size() && cells[i].size() > 3 ? cells[i][3] : "";
        ExpectNoBoxes(("previewing \"" + strRow + "\"").c_str());
        if (i == 0 || i == nRows - 1)
            SaveWindowScreenshot(s_hFrame, i == 0 ? "acceptance-04-first-preview" : "acceptance-05-last-preview");
    }
    // Walking the list leaves every count the store's.
    ExpectCounts(Inbox(), "after walking the list", false);
}

TEST_F(AcceptanceTest, ABodyWordOfEachMessageFindsItInTheSearchWindow)
{
    HTREEITEM hInbox = FindFolderItem(s_hTree, "Inbox");
    ASSERT_NE(nullptr, hInbox);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hInbox);
    ::PostMessageA(s_hFrame, WM_COMMAND, kFindMessage, 0);
    HWND hFind = WaitForDialog(IDC_FIND_NOW);
    ASSERT_NE(nullptr, hFind);
    HWND hTop = ::GetAncestor(hFind, GA_ROOT);
    HWND hResults = Descendant(hTop, WC_LISTVIEWA, kMessageList);
    ASSERT_NE(nullptr, hResults);
    ASSERT_EQ(s_oracle.size(), s_received.size());
    bool bShot = false;
    for (size_t i = 0; i < s_oracle.size(); i++)
    {
        const OracleMessage& message = s_oracle[i];
        if (message.strWord.empty())
            continue;
        CEmailsImpl<> store(&Local());
        ASSERT_TRUE(store.OpenByKey(s_received[i], FALSE));
        const std::string strSubject = Decoded(store.m_Subject);
        SendBounded(::GetDlgItem(hFind, IDC_FIND_MESSAGE_TEXT), WM_SETTEXT, 0, (LPARAM)message.strWord.c_str());
        // Sent, not posted: the search disables the button before the click returns, and runs on.
        HWND hFindNow = ::GetDlgItem(hFind, IDC_FIND_NOW);
        SendBounded(hFind, WM_COMMAND, MAKEWPARAM(IDC_FIND_NOW, BN_CLICKED), (LPARAM)hFindNow);
        EXPECT_TRUE(WaitFor([&]() { return ::IsWindowEnabled(hFindNow) != FALSE; }, 60000));
        SendBounded(hResults, WM_NULL);
        std::string strListed;
        for (const std::vector<std::string>& row : OtherListViewItems(hResults))
            strListed += "\n  " + (row.size() > 3 ? row[3] : std::string());
        // Messages may share From and Subject: as many rows show them as messages of them hold the word.
        std::pair<std::string, std::string> key = ShownKey(s_received[i]);
        size_t nHolders = 0;
        for (size_t nHolder : message.holders)
            if (nHolder < s_received.size() && ShownKey(s_received[nHolder]) == key)
                nHolders++;
        EXPECT_LE(std::max<size_t>(nHolders, 1), RowsOf(hResults, s_received[i]).size())
            << message.strFile << ": searching its body for \"" << message.strWord << "\" did not list \""
            << strSubject << "\"; it listed:" << strListed;
        ExpectNoBoxes(("searching for " + message.strWord).c_str());
        if (!bShot)
        {
            SaveWindowScreenshot(hTop, "acceptance-06-search");
            bShot = true;
        }
    }
    ::PostMessageA(hTop, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hTop); }));
}

TEST_F(AcceptanceTest, SaveAttachmentsWritesEachAttachmentsDecodedBytes)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string strRoot = std::string(szTemp) + "acceptance-attachments";
    ::CreateDirectoryA(strRoot.c_str(), NULL);
    ASSERT_EQ(s_oracle.size(), s_received.size());
    bool bShot = false;
    for (size_t i = 0; i < s_oracle.size(); i++)
    {
        const OracleMessage& message = s_oracle[i];
        if (message.attachments.empty())
            continue;
        SCOPED_TRACE(message.strFile);
        std::vector<int> rows = RowsOf(s_hList, s_received[i]);
        EXPECT_FALSE(rows.empty()) << "no row of the message";
        // Several messages may share From and Subject: the one whose attachments these are is among them.
        std::vector<OracleAttachment> saved;
        for (int nRow : rows)
        {
            ClickRow(nRow);
            HWND hToolbar = NULL;
            for (HWND hBar : Descendants(s_hFrame, TOOLBARCLASSNAMEA))
                if (SendBounded(hBar, TB_COMMANDTOINDEX, kSaveAttachments) >= 0)
                    hToolbar = hBar;
            ASSERT_NE(nullptr, hToolbar);
            if (SendBounded(hToolbar, TB_ISBUTTONHIDDEN, kSaveAttachments) != 0)
                continue;
            // One dialog per attachment: two of one name go to folders of their own.
            for (int nItem = 0;; nItem++)
            {
                ::PostMessageA(::GetParent(hToolbar), WM_COMMAND, MAKEWPARAM(kSaveAttachments, BN_CLICKED),
                               (LPARAM)hToolbar);
                HWND hDialog = WaitForDialog(IDC_SAVE_TO);
                ASSERT_NE(nullptr, hDialog);
                HWND hItems = ::GetDlgItem(hDialog, IDC_SAVE_ATTACHMENTS_LIST);
                std::vector<std::vector<std::string>> items = OtherListViewItems(hItems);
                if (nItem >= (int)items.size())
                {
                    PressButton(hDialog, IDCANCEL);
                    WaitFor([&]() { return !::IsWindow(hDialog); });
                    break;
                }
                std::string strFolder = strRoot + "\\" + message.strFile + "-" + std::to_string(nRow) + "-" +
                                        std::to_string(nItem);
                ::CreateDirectoryA(strFolder.c_str(), NULL);
                OtherListViewSetState(hItems, -1, 0, LVIS_SELECTED);
                OtherListViewSetState(hItems, nItem, LVIS_SELECTED, LVIS_SELECTED);
                SendBounded(::GetDlgItem(hDialog, IDC_SAVE_TO), WM_SETTEXT, 0, (LPARAM)strFolder.c_str());
                if (!bShot)
                {
                    SaveWindowScreenshot(hDialog, "acceptance-07-save-attachments");
                    bShot = true;
                }
                PressButton(hDialog, IDOK);
                EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hDialog); }));
                ExpectNoBoxes(("saving " + items[nItem][0]).c_str());
                std::string strName = items[nItem][0];
                saved.push_back({strName, ReadBytes(strFolder + "\\" + strName)});
            }
            if (!saved.empty())
                break;
        }
        auto byName = [](const OracleAttachment& a, const OracleAttachment& b) {
            return a.strName != b.strName ? a.strName < b.strName : a.strBytes < b.strBytes;
        };
        std::vector<OracleAttachment> expected = message.attachments;
        std::sort(expected.begin(), expected.end(), byName);
        std::sort(saved.begin(), saved.end(), byName);
        EXPECT_EQ(expected.size(), saved.size()) << "attachments saved";
        for (size_t k = 0; k < expected.size() && k < saved.size(); k++)
        {
            EXPECT_EQ(expected[k].strName, saved[k].strName);
            EXPECT_TRUE(expected[k].strBytes == saved[k].strBytes)
                << expected[k].strName << ": " << saved[k].strBytes.size() << " bytes saved, python decodes "
                << expected[k].strBytes.size();
        }
    }
}

TEST_F(AcceptanceTest, MarkReadMoveAndDeleteKeepEveryCountTheStores)
{
    const long nInbox = Inbox(), nDrafts = FolderOfType(FOLDER_DRAFTS);
    ASSERT_GT(Messages(nInbox), 4);
    ExpectCounts(nInbox, "before", false);

    // Menu commands that open no dialog are sent: the store has changed when they return.
    ClickRow(0);
    SendBounded(s_hFrame, WM_COMMAND, kMarkAsRead);
    ExpectCounts(nInbox, "marked read");
    SaveWindowScreenshot(s_hFrame, "acceptance-08-marked-read");

    // A read message, then one marked unread again, moved to Drafts through the Move dialog.
    for (int nPass = 0; nPass < 2; nPass++)
    {
        ClickRow(0);
        if (nPass == 1)
        {
            SendBounded(s_hFrame, WM_COMMAND, kMarkAsUnread);
            ExpectCounts(nInbox, "marked unread");
        }
        const long nDraftsBefore = Messages(nDrafts);
        HWND hMove = OpenMoveDialog();
        ASSERT_NE(nullptr, hMove);
        HWND hTree = FolderTreeIn(hMove);
        HTREEITEM hDrafts = FindFolderItem(hTree, "Drafts");
        ASSERT_NE(nullptr, hDrafts);
        SendBounded(hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hDrafts);
        PressButton(hMove, IDOK);
        EXPECT_TRUE(WaitFor([&]() { return Messages(nDrafts) > nDraftsBefore; }));
        ExpectCounts(nInbox, nPass == 0 ? "read message moved to Drafts" : "unread message moved to Drafts");
    }
    SaveWindowScreenshot(s_hFrame, "acceptance-09-moved");

    const long nDeleted = FolderOfType(FOLDER_DELETED_ITEMS), nDeletedBefore = Messages(nDeleted);
    ClickRow(0);
    SendBounded(s_hFrame, WM_COMMAND, kDelete);
    EXPECT_LT(nDeletedBefore, Messages(nDeleted));
    ExpectCounts(nInbox, "deleted");
    SaveWindowScreenshot(s_hFrame, "acceptance-10-deleted");

    HTREEITEM hDrafts = FindFolderItem(s_hTree, "Drafts");
    ASSERT_NE(nullptr, hDrafts);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hDrafts);
    EXPECT_TRUE(WaitFor([&]() { return SendBounded(s_hList, LVM_GETITEMCOUNT) == Messages(nDrafts); }));
    ExpectCounts(nDrafts, "Drafts listed");
    SaveWindowScreenshot(s_hFrame, "acceptance-11-drafts");
}

namespace
{
std::string ClassesValue(const char* pszKey)
{
    char szValue[1024] = "";
    DWORD cbValue = sizeof(szValue);
    LONG nResult = ::RegGetValueA(HKEY_CLASSES_ROOT, pszKey, NULL, RRF_RT_REG_SZ, NULL, szValue, &cbValue);
    if (nResult != ERROR_SUCCESS)
        return "(missing)";
    return szValue;
}

std::string DefaultMailClient()
{
    char szValue[256] = "";
    DWORD cbValue = sizeof(szValue);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", NULL, RRF_RT_REG_SZ, NULL, szValue,
                       &cbValue) != ERROR_SUCCESS)
        return "(missing)";
    return szValue;
}

void WriteClassesValue(const char* pszKey, const char* pszValue)
{
    HKEY hKey = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(HKEY_CLASSES_ROOT, pszKey, 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL));
    ::RegSetValueExA(hKey, NULL, 0, REG_SZ, (const BYTE*)pszValue, (DWORD)strlen(pszValue) + 1);
    ::RegCloseKey(hKey);
}
} // namespace

TEST_F(AcceptanceTest, TheToolsMenuMakesTheClientTheMailHandlerAndGivesTheRoleBack)
{
    // Another program holds the role, as on a machine where the client is new.
    WriteClassesValue(".eml", "Other.Message");
    WriteClassesValue("mailto\\shell\\open\\command", "C:\\Other\\other.exe /mailto %1");
    HKEY hClients = NULL;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail", 0, NULL, 0,
                                               KEY_WRITE, NULL, &hClients, NULL));
    ::RegSetValueExA(hClients, NULL, 0, REG_SZ, (const BYTE*)"Other Mail", 11);
    ::RegCloseKey(hClients);

    char szModule[MAX_PATH] = "";
    ::GetModuleFileNameA(NULL, szModule, MAX_PATH);
    std::string strHost = szModule;
    strHost = strHost.substr(0, strHost.find_last_of('\\')) + "\\Host.exe";
    const struct
    {
        WORD nCommand;
        const char* pszSaid;
        const char* pszEml;
        std::string strMailTo;
        const char* pszClient;
    } steps[] = {
        {kAssociate, "Successful associating.", "VornVizozi.Document", "\"" + strHost + "\" /mailurl:%1",
         "OrbMail"},
        {kRestoreAssociate, "Successful restored associating to Other.Message.", "Other.Message",
         "C:\\Other\\other.exe /mailto %1", "Other Mail"},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.nCommand);
        ::PostMessageA(s_hFrame, WM_COMMAND, step.nCommand, 0);
        HWND hBox = WaitForDialog(0xFFFF);
        ASSERT_NE(nullptr, hBox);
        EXPECT_EQ(step.pszSaid, WindowText(::GetDlgItem(hBox, 0xFFFF)));
        ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hBox); }, 10000));
        EXPECT_STRCASEEQ(step.pszEml, ClassesValue(".eml").c_str());
        EXPECT_STRCASEEQ(step.strMailTo.c_str(), ClassesValue("mailto\\shell\\open\\command").c_str());
        EXPECT_EQ(step.pszClient, DefaultMailClient());
    }
}

// A new message opened from the main window and checked with its Spelling command: the engine beside the
// client finds the misspelt word, the dialog's first suggestion replaces it in the body, and the end is
// announced.
TEST_F(AcceptanceTest, SpellingInANewMessageCorrectsAWordThroughItsDialog)
{
    const WORD kNewMessage = 32782, kSpelling = 32997;
    const std::vector<HWND> before = ProcessWindows(s_process.dwProcessId);
    ::PostMessageA(s_hFrame, WM_COMMAND, kNewMessage, 0);
    HWND hCompose = NULL;
    EXPECT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (std::find(before.begin(), before.end(), hWnd) == before.end() && WindowText(hWnd) == "New Message")
                hCompose = hWnd;
        return hCompose != NULL;
    }));
    ASSERT_NE(nullptr, hCompose);
    // The body is the HTML editor's text or, in plain text, the body edit: whichever shows once it settled.
    HWND hBody = NULL;
    EXPECT_TRUE(WaitFor([&]() {
        HWND hPlain = Descendant(hCompose, "Edit", IDC_COMPOSE_BODY);
        HWND hEditor = Descendant(hCompose, "OrbHtmlEdit");
        HWND hRich = hEditor != NULL ? ::GetWindow(hEditor, GW_CHILD) : NULL;
        hBody = hPlain != NULL && ::IsWindowVisible(hPlain) ? hPlain
                : hRich != NULL && ::IsWindowVisible(hRich) ? hRich
                                                             : NULL;
        return hBody != NULL;
    }));
    ASSERT_NE(nullptr, hBody);
    for (char c : std::string("I recieve it"))
        SendBounded(hBody, WM_CHAR, (BYTE)c, 1);

    ::PostMessageA(hCompose, WM_COMMAND, kSpelling, 0);
    HWND hSpelling = NULL;
    EXPECT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (ClassNameOf(hWnd) == "#32770" && WindowText(hWnd) == "Spelling")
                hSpelling = hWnd;
        return hSpelling != NULL;
    }));
    ASSERT_NE(nullptr, hSpelling);
    EXPECT_EQ("recieve", WindowText(::GetDlgItem(hSpelling, IDC_SPELL_WORD)));
    EXPECT_EQ("receive", WindowText(::GetDlgItem(hSpelling, IDC_SPELL_CHANGE_TO)));
    SaveWindowScreenshot(hCompose, "acceptance-12-spelling");
    PressButton(hSpelling, IDC_SPELL_CHANGE);

    HWND hDone = NULL;
    EXPECT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
        {
            HWND hText = ::GetDlgItem(hWnd, 0xFFFF);
            if (ClassNameOf(hWnd) == "#32770" && hText != NULL && WindowText(hText) == "Spell Check Complete.")
                hDone = hWnd;
        }
        return hDone != NULL;
    }));
    ASSERT_NE(nullptr, hDone);
    PressButton(hDone, IDOK);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hDone); }));
    EXPECT_EQ("I receive it", WindowText(hBody).substr(0, 12));

    // Closed without saving.
    ::PostMessageA(hCompose, WM_CLOSE, 0, 0);
    HWND hSave = NULL;
    EXPECT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (ClassNameOf(hWnd) == "#32770" && ::GetDlgItem(hWnd, IDNO) != NULL)
                hSave = hWnd;
        return hSave != NULL || !::IsWindow(hCompose);
    }));
    if (hSave != NULL)
        PressButton(hSave, IDNO);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hCompose); }));
}

namespace
{
// The SMTP peer's spool, where each message it took is kept with python's reading of it beside it.
std::string SpoolFolder()
{
    std::string strFolder = "Z:" + Env("ORB_PEER_DIR") + "/smtp/spool/";
    std::replace(strFolder.begin(), strFolder.end(), '/', '\\');
    return strFolder;
}

std::set<std::string> ParsedInSpool()
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((SpoolFolder() + "*.parsed").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(data.cFileName);
    while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return names;
}

// Python's reading of one message: its headers, and the decoded text of its text parts.
struct ArrivedMessage
{
    std::multimap<std::string, std::string> headers;
    std::string strText;
    std::map<std::string, std::string> files; // attachments by file name
    std::string Header(const std::string& strName) const
    {
        auto it = headers.find(strName);
        return it == headers.end() ? "(absent)" : it->second;
    }
};

ArrivedMessage ReadArrived(const std::string& strPath)
{
    ArrivedMessage message;
    std::istringstream lines(ReadBytes(strPath));
    std::string strLine;
    while (std::getline(lines, strLine))
    {
        std::vector<std::string> fields;
        std::stringstream split(strLine);
        std::string strField;
        while (std::getline(split, strField, '\t'))
            fields.push_back(strField);
        if (fields.size() == 3 && fields[0] == "header")
            message.headers.insert({fields[1], fields[2]});
        else if (fields.size() == 4 && fields[0] == "part" && fields[2] != "-")
            message.files[fields[2]] = DecodeBase64Bytes(fields[3].data(), fields[3].size());
        else if (fields.size() == 4 && fields[0] == "part" && fields[1].compare(0, 5, "text/") == 0)
            message.strText += DecodeBase64Bytes(fields[3].data(), fields[3].size());
    }
    return message;
}

HWND ComposeDialogIn(HWND hFrame)
{
    for (HWND hDialog : Descendants(hFrame, "#32770"))
        if (::GetDlgItem(hDialog, IDC_COMPOSE_TO) != NULL)
            return hDialog;
    return NULL;
}

// Keys as the system posts them; the caller waits for the text they make.
void TypeInto(HWND hWnd, const std::string& strText)
{
    for (char ch : strText)
        ::PostMessageA(hWnd, WM_CHAR, (BYTE)ch, 1);
}
} // namespace

TEST_F(AcceptanceTest, TwoNewMessagesTypedInTheirWindowsAndSentAtOnceArriveEachWithItsOwnText)
{
    ASSERT_GT(QueryLong(*s_pAccounts->Session(), "SELECT COUNT(*) FROM Accounts"), 0)
        << "the first step adds the account that sends";
    // The peer's own user, through AUTH LOGIN: a refused login would show a box and deliver nothing.
    s_pAccounts->Exec("UPDATE Accounts SET Flags = Flags | 513, SMTPAccountName = 'tester', SMTPPass = 'secret'");
    ASSERT_EQ(0, s_pAccounts->QueryLong("SELECT COUNT(*) FROM Accounts WHERE (Flags & 513) <> 513"));
    struct Typed
    {
        std::string strTo, strToAddress, strCc, strBcc, strSubject, strBody;
    };
    const Typed typed[] = {
        {"Tom Tester <tom@example.org>", "tom@example.org", "cc@example.org", "hidden@example.org", "Typed in the first window",
         "Words of the first window"},
        {"una@example.org", "una@example.org", "", "", "Typed in the second window", "Words of the second window"},
    };
    auto composeFrames = [&]() {
        std::vector<HWND> frames;
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (ComposeDialogIn(hWnd) != NULL)
                frames.push_back(hWnd);
        return frames;
    };
    const std::set<std::string> before = ParsedInSpool();

    // "New Message" of the main window, twice: the thread manager opens each window on a thread of its own.
    // Each is typed into once it has set itself up (its To field has the focus).
    std::vector<HWND> frames;
    for (size_t i = 0; i < 2; i++)
    {
        ::PostMessageA(s_hFrame, WM_COMMAND, kNewMessage, 0);
        HWND hNew = NULL;
        ASSERT_TRUE(WaitFor([&]() {
            for (HWND hFrame : composeFrames())
                if (std::find(frames.begin(), frames.end(), hFrame) == frames.end())
                    hNew = hFrame;
            return hNew != NULL && ::IsWindowVisible(hNew);
        })) << "window " << i;
        frames.push_back(hNew);
        HWND hDialog = ComposeDialogIn(hNew);
        ASSERT_NE(nullptr, hDialog);
        const DWORD dwThread = ::GetWindowThreadProcessId(hNew, NULL);
        EXPECT_TRUE(WaitFor([&]() {
            GUITHREADINFO info = {sizeof(info)};
            return ::GetGUIThreadInfo(dwThread, &info) && info.hwndFocus == ::GetDlgItem(hDialog, IDC_COMPOSE_TO);
        })) << "window " << i << " never put the focus into To";
        // Bcc shows with All Headers, which every new-message window shares.
        if (i == 0)
            ::PostMessageA(hNew, WM_COMMAND, kAllHeaders, 0);
        HWND hBody = Descendant(hDialog, "RichEdit20W");
        ASSERT_NE(nullptr, hBody) << "the HTML editor";
        const std::pair<HWND, std::string> fields[] = {
            {::GetDlgItem(hDialog, IDC_COMPOSE_TO), typed[i].strTo},
            {::GetDlgItem(hDialog, IDC_COMPOSE_CC), typed[i].strCc},
            {::GetDlgItem(hDialog, IDC_COMPOSE_BCC), typed[i].strBcc},
            {::GetDlgItem(hDialog, IDC_COMPOSE_SUBJECT), typed[i].strSubject},
            {hBody, typed[i].strBody},
        };
        for (const auto& field : fields)
        {
            TypeInto(field.first, field.second);
            EXPECT_TRUE(WaitFor([&]() { return WindowText(field.first) == field.second; }))
                << "typed \"" << field.second << "\", shown \"" << WindowText(field.first) << "\"";
        }
        EXPECT_TRUE(WaitFor([&]() { return WindowText(hNew) == typed[i].strSubject; }));
    }

    // A file through the attach-file dialog of the first window, typed as its full path.
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string strFileName = "acceptance attachment.bin";
    static const char kFileBytes[] = "\0\x01\xff\r\n.\r\nend of file";
    const std::string strFileBytes(kFileBytes, sizeof(kFileBytes) - 1);
    std::ofstream(szTemp + strFileName, std::ios::binary) << strFileBytes;
    ::PostMessageA(frames[0], WM_COMMAND, kFileAttachment, 0);
    HWND hAttach = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (WindowText(hWnd) == "Insert Attachment")
                hAttach = hWnd;
        return hAttach != NULL;
    }));
    HWND hName = ::GetDlgItem(hAttach, 0x480);
    if (hName == NULL)
        hName = Descendant(::GetDlgItem(hAttach, 0x47c), "Edit");
    ASSERT_NE(nullptr, hName);
    SendBounded(hName, WM_SETTEXT, 0, (LPARAM)(szTemp + strFileName).c_str());
    PressButton(hAttach, IDOK);
    HWND hAttachments = ::GetDlgItem(ComposeDialogIn(frames[0]), IDC_COMPOSE_ATTACHMENTS);
    EXPECT_TRUE(WaitFor([&]() { return SendBounded(hAttachments, LVM_GETITEMCOUNT) == 1; }))
        << "the file is not in the attachment list";
    SaveWindowScreenshot(frames[0], "acceptance-12-new-message");

    for (HWND hFrame : frames)
        ::PostMessageA(hFrame, WM_COMMAND, kSend, 0);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(frames[0]) && !::IsWindow(frames[1]); }, 60000))
        << "the windows close once their messages are stored";
    std::vector<std::string> arrived;
    bool bArrived = WaitFor(
        [&]() {
            arrived.clear();
            for (const std::string& strName : ParsedInSpool())
                if (!before.count(strName))
                    arrived.push_back(strName);
            return arrived.size() >= 2;
        },
        kReceiveTimeoutMs);
    // The send run's progress window closes a moment after its worker ends; a box stays, for the check below.
    WaitFor(
        [&]() {
            for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
                if (hWnd != s_hFrame && (ClassNameOf(hWnd) != "#32770" || ::GetDlgItem(hWnd, 0xFFFF) == NULL))
                    return false;
            return true;
        },
        kReceiveTimeoutMs);
    ExpectNoBoxes("after sending");
    ASSERT_TRUE(bArrived) << arrived.size() << " of 2 messages at the SMTP peer";
    EXPECT_EQ(2u, arrived.size());

    std::map<std::string, ArrivedMessage> bySubject;
    for (const std::string& strName : arrived)
    {
        ArrivedMessage message = ReadArrived(SpoolFolder() + strName);
        bySubject[message.Header("Subject")] = message;
    }
    for (const Typed& sent : typed)
    {
        SCOPED_TRACE(sent.strSubject);
        ASSERT_EQ(1u, bySubject.count(sent.strSubject));
        const ArrivedMessage& message = bySubject[sent.strSubject];
        EXPECT_NE(std::string::npos, message.Header("To").find(sent.strToAddress))
            << message.Header("To");
        EXPECT_NE(std::string::npos, message.Header("From").find("acceptance@localhost")) << message.Header("From");
        if (!sent.strCc.empty())
        {
            EXPECT_NE(std::string::npos, message.Header("Cc").find(sent.strCc)) << message.Header("Cc");
        }
        EXPECT_EQ("(absent)", message.Header("Bcc"));
        std::string strEnvelope = message.Header("X-Envelope-To");
        for (const std::string* pAddress : {&sent.strToAddress, &sent.strCc, &sent.strBcc})
        {
            if (!pAddress->empty())
            {
                EXPECT_NE(std::string::npos, strEnvelope.find(*pAddress)) << strEnvelope;
            }
        }
        EXPECT_NE(std::string::npos, message.strText.find(sent.strBody)) << message.strText;
        if (&sent == &typed[0])
        {
            ASSERT_EQ(1u, message.files.count(strFileName));
            EXPECT_EQ(strFileBytes, message.files.at(strFileName));
        }
        else
        {
            EXPECT_TRUE(message.files.empty());
        }
        // Each window sent its own text: none of the other's.
        for (const Typed& other : typed)
        {
            if (&other != &sent)
            {
                EXPECT_EQ(std::string::npos, message.strText.find(other.strBody));
            }
        }
    }
    EXPECT_EQ(0, Messages(FolderOfType(FOLDER_OUTBOX)));
}

TEST_F(AcceptanceTest, ABusinessCardImportedInTheAddressBookBecomesAContact)
{
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    const std::string strCard = std::string(szTemp) + "acceptance-card.vcf";
    std::ofstream(strCard, std::ios::binary)
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Quinn;Nora;;;\r\nFN:Nora Quinn\r\n"
           "EMAIL;TYPE=INTERNET:nora.acceptance@example.com\r\nORG:Quill Ltd\r\nEND:VCARD\r\n";
    // Contacts live in the central database, which a fresh profile opens beside the local one.
    char szAppData[MAX_PATH] = "";
    ::SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, 0, szAppData);
    CTestDatabase central;
    central.OpenFile((std::string(szAppData) + "\\Vorn\\Orb.mdb").c_str());
    CSession& contacts = *central.Session();
    const long nBefore = std::max(0L, QueryLong(contacts, "SELECT COUNT(*) FROM ContactName"));

    ::PostMessageA(s_hFrame, WM_COMMAND, kAddressBook, 0);
    HWND hBook = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (ClassNameOf(hWnd) == "LetrovaAddressBookFrame")
                hBook = hWnd;
        return hBook != NULL;
    }));
    ::PostMessageA(hBook, WM_COMMAND, kImportVcard, 0);
    const int nFileNameBox = 0x47C;
    HWND hOpen = WaitForDialog(nFileNameBox);
    ASSERT_NE(nullptr, hOpen);
    SendBounded(::GetDlgItem(hOpen, nFileNameBox), WM_SETTEXT, 0, (LPARAM)strCard.c_str());
    PressButton(hOpen, IDOK);

    // One card: the new-contact sheet over it.
    HWND hSheet = NULL;
    ASSERT_TRUE(WaitFor([&]() {
        for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
            if (ClassNameOf(hWnd) == "#32770" && SendBounded(hWnd, PSM_GETCURRENTPAGEHWND) != 0)
                hSheet = hWnd;
        return hSheet != NULL;
    }));
    SaveWindowScreenshot(hSheet, "acceptance-12-vcard-sheet");
    PressButton(hSheet, IDOK);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hSheet); }));
    // The sheet stores the contact once it has closed.
    EXPECT_TRUE(WaitFor([&]() { return QueryLong(contacts, "SELECT COUNT(*) FROM ContactName") == nBefore + 1; }));
    EXPECT_EQ(1, QueryLong(contacts, "SELECT COUNT(*) FROM ContactName, Site WHERE ContactName.CustomerID = "
                                    "Site.SiteID AND cEmail = 'nora.acceptance@example.com' AND "
                                    "cFirstname = 'Nora' AND Site.COMPANY = 'Quill Ltd'"));
    ::PostMessageA(hBook, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&]() { return !::IsWindow(hBook); }));
    ::DeleteFileA(strCard.c_str());
}

namespace
{
const WORD kImapList = 33051;
const WORD kUpdate = 32785;

// The imapaccept user's Maildir on the test's dovecot, as Wine reaches it.
std::string ImapMaildir(const char* pszSub)
{
    std::string strPath = "Z:" + Env("ORB_PEER_DIR") + "/dovecot/mail/imapaccept/" + pszSub;
    std::replace(strPath.begin(), strPath.end(), '/', '\\');
    return strPath;
}

// A message delivered straight into the INBOX, as a mail server delivers it.
bool DeliverImapMessage(const char* pszName, const char* pszSubject)
{
    const std::string strText = std::string("From: Server <server@localhost>\r\nTo: imapaccept@localhost\r\n"
                                            "Subject: ") +
                                pszSubject + "\r\nDate: Fri, 11 Dec 2026 10:00:00 +0000\r\n\r\n" +
                                "A word from the server.\r\n";
    std::ofstream file(ImapMaildir("tmp/") + pszName, std::ios::binary);
    file << strText;
    file.close();
    const std::string strFrom = ImapMaildir("tmp/") + pszName, strTo = ImapMaildir("new/") + pszName;
    return ::MoveFileA(strFrom.c_str(), strTo.c_str()) != FALSE;
}

size_t ImapInboxFiles()
{
    size_t nFiles = 0;
    for (const char* pszSub : {"new\\*", "cur\\*"})
    {
        WIN32_FIND_DATAA data;
        HANDLE hFind = ::FindFirstFileA((ImapMaildir("") + pszSub).c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        do
            nFiles += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
        while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    return nFiles;
}
} // namespace

TEST_F(AcceptanceTest, AnImapAccountListsItsFoldersFetchesOnSelectionDeletesOnTheServerAndReceives)
{
    bool bAdded = AddAccount(NULL, s_pAccounts->Session(), [](CAccountsRecord& account) {
        lstrcpyA(account.m_szDisplayName, "Imap Acceptance");
        lstrcpyA(account.m_szEmailAddress, "imapaccept@localhost");
        lstrcpyA(account.m_szPOP3, "127.0.0.1");
        lstrcpyA(account.m_szSMTP, "127.0.0.1");
        lstrcpyA(account.m_szAccountName, "imapaccept");
        account.SetPassword("secret");
        account.m_IncomingPort = atol(Env("ORB_IMAP_PORT").c_str());
        account.m_SMTPPort = atol(Env("ORB_SMTP_PORT").c_str());
        account.m_IncomingServerType = INCOMING_SERVER_IMAP;
        return 1;
    });
    ASSERT_TRUE(bAdded);
    ::PostMessageA(s_hFrame, WM_COMMAND, kUpdate, 0);
    HTREEITEM hRoot = NULL;
    ASSERT_TRUE(
        WaitFor([&]() { return (hRoot = FindFolderItem(s_hTree, "Imap Acceptance")) != NULL; }, 20000));
    const long nRoot =
        QueryLong(Local(), "SELECT MIN(ID) FROM Folders WHERE Type = 13 AND Name = 'Imap Acceptance'");

    // Reset List: the server's folders become rows and items under the account.
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hRoot);
    ::PostMessageA(s_hTree, WM_COMMAND, kImapList, 0);
    long nInbox = 0;
    EXPECT_TRUE(WaitFor(
        [&]() {
            nInbox = Count("SELECT MIN(ID) FROM Folders WHERE Type = 14 AND Name = 'INBOX' AND "
                           "OwnerID = %ld",
                           nRoot);
            return nInbox > 0 &&
                   Count("SELECT COUNT(*) FROM Folders WHERE Name = 'Archive' AND OwnerID = %ld", nRoot) ==
                       1 &&
                   FindFolderItem(s_hTree, "INBOX") != NULL && FindFolderItem(s_hTree, "Archive") != NULL;
        },
        30000));
    SaveWindowScreenshot(s_hFrame, "acceptance-12-imap-folders");
    ExpectNoBoxes("after Reset List");
    ASSERT_GT(nInbox, 0);

    // A message new on the server comes when its folder is selected, and shows in the preview.
    // Another folder first: the listing may have left the Inbox selected, and only a change fills the list.
    HTREEITEM hArchive = FindFolderItem(s_hTree, "Archive");
    ASSERT_NE(nullptr, hArchive);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hArchive);
    ASSERT_TRUE(DeliverImapMessage("1.imap.one", "Delivered over IMAP"));
    HTREEITEM hInbox = FindFolderItem(s_hTree, "INBOX");
    ASSERT_NE(nullptr, hInbox);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hInbox);
    EXPECT_TRUE(WaitFor(
        [&]() { return Messages(nInbox) == 1 && SendBounded(s_hList, LVM_GETITEMCOUNT) == 1; }, 30000))
        << Messages(nInbox) << " stored, " << SendBounded(s_hList, LVM_GETITEMCOUNT) << " listed";
    ExpectNoBoxes("after selecting the IMAP Inbox");
    ClickRow(0);
    ExpectNoBoxes("previewing the IMAP message");
    SaveWindowScreenshot(s_hFrame, "acceptance-13-imap-preview");
    std::vector<std::vector<std::string>> cells = OtherListViewItems(s_hList);
    ASSERT_EQ(1u, cells.size());
    EXPECT_EQ("Delivered over IMAP", cells[0].size() > 3 ? cells[0][3] : "");

    // Delete goes to the server, and the message then leaves the list and the store.
    SendBounded(s_hFrame, WM_COMMAND, kDelete);
    EXPECT_TRUE(WaitFor([&]() { return ImapInboxFiles() == 0; }, 30000))
        << ImapInboxFiles() << " on the server";
    EXPECT_TRUE(WaitFor(
        [&]() { return Messages(nInbox) == 0 && SendBounded(s_hList, LVM_GETITEMCOUNT) == 0; }, 30000))
        << Messages(nInbox) << " stored, " << SendBounded(s_hList, LVM_GETITEMCOUNT) << " listed";
    ExpectNoBoxes("after deleting the IMAP message");

    // A receive run walks the account's folders.
    ASSERT_TRUE(DeliverImapMessage("2.imap.two", "Received over IMAP"));
    HTREEITEM hLocalInbox = FindFolderItem(s_hTree, "Inbox");
    ASSERT_NE(nullptr, hLocalInbox);
    SendBounded(s_hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)hLocalInbox);
    ::PostMessageA(s_hFrame, WM_COMMAND, kSendReceiveAll, 0);
    EXPECT_TRUE(WaitFor(
        [&]() {
            if (Messages(nInbox) != 1)
                return false;
            for (HWND hWnd : ProcessWindows(s_process.dwProcessId))
                if (hWnd != s_hFrame && (ClassNameOf(hWnd) != "#32770" || ::GetDlgItem(hWnd, 0xFFFF) == NULL))
                    return false;
            return true;
        },
        kReceiveTimeoutMs))
        << Messages(nInbox) << " in the IMAP Inbox after the run";
    SaveWindowScreenshot(s_hFrame, "acceptance-14-imap-received");
}

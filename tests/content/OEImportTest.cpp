// The Outlook Express import through its dialog on a UI thread: the generated store becomes the same
// folder tree and messages, a second import adds nothing, bad messages are skipped and counted, cancel
// stops between messages, and the dialog closes when the worker ends.
#include "content/OEImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "content/DlgImportOE.h"
#include "content/EncodedWord.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "store/EmailsImpl.h"
#include "store/ExceptionDialog.h"
#include "store/Folders.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "StoreTestDatabase.h"
#include "DbxStoreManifest.h"

CAppModule _Module;

namespace
{
const WPARAM ID_ADD_MESSAGE_TO_CONTROL = 32804;
const WPARAM ID_ADD_FOLDER_TO_TREE = 33002;

std::mutex s_lock;
std::vector<std::string> s_boxes;
std::atomic<int> s_nAnswer{IDYES};

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(pszText);
    return s_nAnswer;
}

void RecordExceptionDialog(HWND, const char* pszText)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(std::string("exception: ") + pszText);
}

std::vector<std::string> TakeBoxes()
{
    std::lock_guard<std::mutex> guard(s_lock);
    std::vector<std::string> boxes;
    boxes.swap(s_boxes);
    return boxes;
}

// The main window and its UI thread as the import sees them: a window that answers the "Get" messages and
// the store-folder command, on a thread that takes the import's thread messages and sets the hand-over
// event after each, as the thread manager does.
class CFakeMainThread
{
public:
    CFakeMainThread(CDatabaseSession* pDatabase, const CString& strStorePath)
        : m_pDatabase(pDatabase), m_strStorePath(strStorePath)
    {
        m_hHandOver = CreateEventA(NULL, TRUE, TRUE, NULL);
        m_hReady = CreateEventA(NULL, TRUE, FALSE, NULL);
        m_hThread = CreateThread(NULL, 0, ThreadProc, this, 0, &m_dwThreadId);
        WaitForSingleObject(m_hReady, 30000);
    }
    ~CFakeMainThread()
    {
        PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_hThread, 30000);
        CloseHandle(m_hThread);
        CloseHandle(m_hReady);
        CloseHandle(m_hHandOver);
    }

    HWND m_hWnd = NULL;
    HANDLE m_hHandOver = NULL;
    std::atomic<int> m_nMessagesAdded{0};
    std::atomic<int> m_nFoldersAdded{0};
    // When set, the first new-message notice cancels this dialog, as a user pressing Cancel.
    std::atomic<HWND> m_hDialogToCancel{NULL};

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CFakeMainThread* pThis = (CFakeMainThread*)GetWindowLongPtrA(hWnd, GWLP_USERDATA);
        if (pThis != NULL && uMsg == LetrovaGetDatabase)
        {
            *(CDatabaseSession**)wParam = pThis->m_pDatabase;
            return 1;
        }
        if (pThis != NULL && uMsg == LetrovaGetIdThread)
        {
            *(DWORD*)wParam = pThis->m_dwThreadId;
            return 1;
        }
        if (pThis != NULL && uMsg == WM_COMMAND && LOWORD(wParam) == CDlgImportOE::ID_GET_OE_STORE_ROOT)
        {
            *(CString*)lParam = pThis->m_strStorePath;
            return 1;
        }
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }

    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        CFakeMainThread* pThis = (CFakeMainThread*)pParam;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "VornFakeMainWindow";
        RegisterClassA(&wc);
        pThis->m_hWnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                        wc.hInstance, NULL);
        SetWindowLongPtrA(pThis->m_hWnd, GWLP_USERDATA, (LONG_PTR)pThis);
        MSG msg;
        PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
        SetEvent(pThis->m_hReady);
        while (GetMessageA(&msg, NULL, 0, 0) > 0)
        {
            if (msg.hwnd == NULL && msg.message == WM_USER)
            {
                if (msg.wParam == ID_ADD_MESSAGE_TO_CONTROL)
                {
                    pThis->m_nMessagesAdded++;
                    HWND hDialog = pThis->m_hDialogToCancel.exchange(NULL);
                    if (hDialog != NULL)
                        SendMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
                }
                else if (msg.wParam == ID_ADD_FOLDER_TO_TREE)
                {
                    pThis->m_nFoldersAdded++;
                    delete (CFoldersRecord*)msg.lParam;
                }
                SetEvent(pThis->m_hHandOver);
                continue;
            }
            DispatchMessageA(&msg);
        }
        DestroyWindow(pThis->m_hWnd);
        return 0;
    }

    CDatabaseSession* m_pDatabase;
    CString m_strStorePath;
    HANDLE m_hThread = NULL;
    HANDLE m_hReady = NULL;
    DWORD m_dwThreadId = 0;
};

CString StorePath(const char* pszStore)
{
    CString strPath = DbxStoreFolder(pszStore).c_str();
    strPath.Replace('/', '\\');
    return strPath;
}

struct CStoredMessage
{
    std::string strSubject, strRef, strText;
    bool bUnread;
    DATE date;
};

class OEImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterLetrovaMessages();
        m_db.OpenFile(m_path.m_strPath);
        CFolders folders(m_db.Session());
        m_nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
        m_nRoot = m_db.QueryLong("SELECT ID FROM Folders WHERE OwnerID = 0");
        m_previousBox = SetAppMessageBoxHook(RecordBox);
        m_previousDialog = SetExceptionDialogHook(RecordExceptionDialog);
        TakeBoxes();
    }
    void TearDown() override
    {
        SetAppMessageBoxHook(m_previousBox);
        SetExceptionDialogHook(m_previousDialog);
        SetImportHandOverEvent(NULL);
        s_nAnswer = IDYES;
    }

    // Runs the dialog on a UI thread, presses "&Import" and waits for the dialog to close by itself.
    INT_PTR Import(const char* pszStore, bool bCancelAtFirstMessage = false)
    {
        CFakeMainThread main(&m_db, StorePath(pszStore));
        SetImportHandOverEvent(main.m_hHandOver);
        std::atomic<INT_PTR> nResult{-1};
        {
            CUiThread ui(_Module);
            ui.Run([&] {
                CDlgImportOE dialog(main.m_hWnd);
                nResult = dialog.DoModal();
            });
            HWND hDialog = CDialogResponder::FindDialog(ui.ThreadId(), "Import");
            EXPECT_NE((HWND)NULL, hDialog);
            if (hDialog == NULL)
                return -1;
            EXPECT_EQ((const char*)StorePath(pszStore), CDialogResponder::ItemText(hDialog, IDC_OE_STORE_FOLDER));
            if (bCancelAtFirstMessage)
                main.m_hDialogToCancel = hDialog;
            CDialogResponder::Press(hDialog, IDOK);
            EXPECT_TRUE(ui.WaitForExit(120000));
        }
        m_nMessagesAdded = main.m_nMessagesAdded;
        m_nFoldersAdded = main.m_nFoldersAdded;
        SetImportHandOverEvent(NULL);
        return nResult;
    }

    LONG FolderID(LONG nOwner, const char* pszName)
    {
        CString strSQL;
        strSQL.Format("SELECT ID FROM Folders WHERE OwnerID = %ld AND Name = '%s'", (long)nOwner, pszName);
        return m_db.QueryLong(strSQL);
    }

    std::vector<CStoredMessage> Messages(LONG nFolderID)
    {
        std::vector<CStoredMessage> messages;
        CEmailsImpl<> store(m_db.Session());
        store.OpenByFolder(nFolderID, NULL);
        while (store.MoveNext(0, 1) == S_OK)
            messages.push_back({store.m_Subject, store.m_Ref, (const char*)store.GetMessage(),
                                (store.m_Flags & EMAIL_FLAG_UNREAD) != 0, store.m_EmDate});
        return messages;
    }

    CTempDatabasePath m_path{"oeimport"};
    CTestDatabase m_db;
    LONG m_nInbox = 0;
    LONG m_nRoot = 0;
    int m_nMessagesAdded = 0;
    int m_nFoldersAdded = 0;
    AppMessageBoxHook m_previousBox = NULL;
    ExceptionDialogHook m_previousDialog = NULL;
};

DATE ParseDate(const std::string& strDate)
{
    SYSTEMTIME st = {};
    sscanf(strDate.c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &st.wYear, &st.wMonth, &st.wDay, &st.wHour, &st.wMinute,
           &st.wSecond);
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}
} // namespace

TEST_F(OEImportTest, TheStoreBecomesTheSameFolderTreeAndMessagesAndASecondImportAddsNone)
{
    EXPECT_EQ(IDOK, Import("store"));
    EXPECT_EQ(std::vector<std::string>{"The import is completed.\r\n\r\n60 copied, 0 skipped."}, TakeBoxes());

    const LONG nProjects = FolderID(m_nRoot, "Projects");
    const struct
    {
        const char* pszFile;
        LONG nFolder;
    } folders[] = {{"Inbox.dbx", FolderID(m_nRoot, "Inbox")},
                   {"Sent Items.dbx", FolderID(m_nRoot, "Sent Items")},
                   {"Projects.dbx", nProjects},
                   {"Alpha.dbx", FolderID(nProjects, "Alpha")},
                   {"Beta.dbx", FolderID(nProjects, "Beta")}};
    EXPECT_EQ(m_nInbox, folders[0].nFolder);
    EXPECT_EQ(6, m_db.QueryLong("SELECT Type FROM Folders WHERE Name = 'Alpha'"));
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM Folders WHERE Name = 'news.example.com'"));
    EXPECT_EQ(3, m_nFoldersAdded); // Projects, Alpha, Beta; Inbox and Sent Items were there
    EXPECT_EQ(60, m_nMessagesAdded);

    const std::vector<CDbxManifestMessage> manifest = ReadDbxManifest();
    for (const auto& folder : folders)
    {
        SCOPED_TRACE(folder.pszFile);
        ASSERT_GT(folder.nFolder, 0);
        std::vector<CStoredMessage> stored = Messages(folder.nFolder);
        size_t nExpected = 0;
        for (const CDbxManifestMessage& message : manifest)
        {
            if (message.strFile != folder.pszFile)
                continue;
            nExpected++;
            const std::string strSubject = (const char*)DecodeEncodedWord(message.strSubject.c_str());
            const std::string strRef = message.strSenderName.empty()
                                           ? "\"" + message.strSenderAddress + "\""
                                           : "\"" + message.strSenderName + "\" <" + message.strSenderAddress + ">";
            auto found = std::find_if(stored.begin(), stored.end(),
                                      [&](const CStoredMessage& s) { return s.strSubject == strSubject; });
            ASSERT_NE(stored.end(), found) << strSubject;
            EXPECT_EQ(strRef, found->strRef);
            EXPECT_EQ(message.bUnread, found->bUnread);
            EXPECT_EQ(message.strText, found->strText);
            EXPECT_NEAR(ParseDate(message.strDate), found->date, 0.5 / 86400);
        }
        EXPECT_EQ(nExpected, stored.size());
    }

    const LONG nFolders = m_db.QueryLong("SELECT COUNT(*) FROM Folders");
    EXPECT_EQ(IDOK, Import("store"));
    EXPECT_EQ(std::vector<std::string>{"The import is completed.\r\n\r\n0 copied, 0 skipped."}, TakeBoxes());
    EXPECT_EQ(60, m_db.QueryLong("SELECT COUNT(*) FROM Emails"));
    EXPECT_EQ(nFolders, m_db.QueryLong("SELECT COUNT(*) FROM Folders"));
    EXPECT_EQ(0, m_nFoldersAdded);
    EXPECT_EQ(0, m_nMessagesAdded);
}

TEST_F(OEImportTest, AMessageWithAnEmptyTextIsSkippedAndCounted)
{
    EXPECT_EQ(IDOK, Import("store-empty-text"));
    EXPECT_EQ(std::vector<std::string>{"The import is completed.\r\n\r\n2 copied, 1 skipped."}, TakeBoxes());
    EXPECT_EQ(2u, Messages(m_nInbox).size());
}

TEST_F(OEImportTest, LocalFoldersIsTheFolderAtIndexOneUnderTheRootWhateverItsFlags)
{
    EXPECT_EQ(IDOK, Import("store-local-flags-differ"));
    EXPECT_EQ(std::vector<std::string>{"The import is completed.\r\n\r\n2 copied, 0 skipped."}, TakeBoxes());
    EXPECT_EQ(2u, Messages(m_nInbox).size());

    EXPECT_EQ(IDOK, Import("store-no-local-folders"));
    const std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].find("exception: ERROR: Import OE. The Local Folders was not found.\r\n\r\n"));
    EXPECT_EQ(2, m_db.QueryLong("SELECT COUNT(*) FROM Emails"));
}

// A subject refused at its question ends its folder level: the rest of its folder, its subfolders and its
// later siblings are left, and the completion is still announced. Accepted, the subject is cut to 255.
TEST_F(OEImportTest, ALongSubjectIsCutOrEndsItsFolderLevel)
{
    const std::string strSubject = "Long subject 91 " + std::string(300, 'x');
    const std::string strQuestion = "The subject\r\n\r\n'" + strSubject +
                                    "'\r\n\r\nof message too long. Maximal subject length is 255 letters. Do you "
                                    "want to cut subject to\r\n\r\n'" + strSubject.substr(0, 255) + "'?";
    s_nAnswer = IDNO;
    EXPECT_EQ(IDOK, Import("store-long-subject"));
    EXPECT_EQ((std::vector<std::string>{strQuestion, "The import is completed.\r\n\r\n1 copied, 0 skipped."}),
              TakeBoxes());
    const LONG nA = FolderID(m_nRoot, "A");
    EXPECT_EQ(1u, Messages(nA).size());
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM Folders WHERE Name = 'A1' OR Name = 'B'"));

    s_nAnswer = IDYES;
    EXPECT_EQ(IDOK, Import("store-long-subject"));
    EXPECT_EQ((std::vector<std::string>{strQuestion, "The import is completed.\r\n\r\n4 copied, 0 skipped."}),
              TakeBoxes());
    const std::vector<CStoredMessage> stored = Messages(nA);
    EXPECT_EQ(3u, stored.size());
    EXPECT_EQ(1, std::count_if(stored.begin(), stored.end(),
                               [&](const CStoredMessage& m) { return m.strSubject == strSubject.substr(0, 255); }));
    EXPECT_EQ(1u, Messages(FolderID(nA, "A1")).size());
    EXPECT_EQ(1u, Messages(FolderID(m_nRoot, "B")).size());
}

// A message file whose index tree is broken ends the import with the reader's text; what was copied stays.
TEST_F(OEImportTest, ABrokenMessageFileEndsTheImportWithTheReadersText)
{
    EXPECT_EQ(IDOK, Import("store-broken-tree"));
    const std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].find("exception: DbxException: Wrong parent !\r\n\r\n"));
    EXPECT_EQ(2u, Messages(m_nInbox).size());
}

// folders.dbx is input like any other: 400 nested folders are walked without recursion down to the depth
// cap, and a message file named outside the chosen folder is not read, while the rest of the store is.
TEST_F(OEImportTest, DeepFoldersAndFileNamesOutsideTheStoreFolderAreLeft)
{
    EXPECT_EQ(IDOK, Import("store-hostile-folders"));
    EXPECT_EQ(std::vector<std::string>{"The import is completed.\r\n\r\n2 copied, 0 skipped."}, TakeBoxes());
    EXPECT_EQ(2u, Messages(m_nInbox).size());
    EXPECT_EQ(2, m_db.QueryLong("SELECT COUNT(*) FROM Emails"));
    for (const char* pszName : {"Above", "Rooted", "Drive"})
    {
        SCOPED_TRACE(pszName);
        const LONG nFolder = FolderID(m_nRoot, pszName);
        EXPECT_GT(nFolder, 0);
        EXPECT_TRUE(Messages(nFolder).empty());
    }
    LONG nDepth = 0;
    for (LONG nOwner = m_nRoot;; nDepth++)
    {
        CString strName;
        strName.Format("Level %ld", nDepth + 1);
        nOwner = FolderID(nOwner, strName);
        if (nOwner <= 0)
            break;
    }
    EXPECT_EQ((LONG)kMaxFolderDepth, nDepth);
}

// Cancel stops between messages: the message being copied when it came and at most the one after it
// are stored, no deeper folder is entered and no completion is announced.
TEST_F(OEImportTest, CancelStopsBetweenMessages)
{
    EXPECT_EQ(IDOK, Import("store", true));
    EXPECT_TRUE(TakeBoxes().empty());
    const LONG nStored = m_db.QueryLong("SELECT COUNT(*) FROM Emails");
    EXPECT_GE(nStored, 1);
    EXPECT_LE(nStored, 2);
    EXPECT_EQ(nStored, m_nMessagesAdded);
    EXPECT_EQ(0, m_db.QueryLong("SELECT COUNT(*) FROM Folders WHERE Name = 'Alpha'"));
}

// Without a worker: a store path naming an unset variable is reported and left out, Export only says so,
// and Cancel closes the dialog.
TEST_F(OEImportTest, TheDialogWithoutAWorker)
{
    CFakeMainThread main(&m_db, "%VORN_OE_UNSET%\\Mail\\");
    std::atomic<INT_PTR> nResult{-1};
    CUiThread ui(_Module);
    ui.Run([&] {
        CDlgImportOE dialog(main.m_hWnd);
        nResult = dialog.DoModal();
    });
    HWND hDialog = CDialogResponder::FindDialog(ui.ThreadId(), "Import");
    ASSERT_NE((HWND)NULL, hDialog);
    EXPECT_EQ("", CDialogResponder::ItemText(hDialog, IDC_OE_STORE_FOLDER));
    ui.Invoke([&] {
        SendMessageA(hDialog, WM_COMMAND, IDC_OE_EXPORT, 0);
        RedrawWindow(hDialog, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    });
    SaveWindowScreenshot(hDialog, "import-outlook-express");
    std::vector<std::string> boxes = TakeBoxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(0u, boxes[0].find("exception: ERROR: Environment variable name 'VORN_OE_UNSET' was not found.\r\n\r\n"));
    EXPECT_EQ("Under constraction!!!", boxes[1]);
    CDialogResponder::Press(hDialog, IDCANCEL);
    EXPECT_TRUE(ui.WaitForExit(30000));
    EXPECT_EQ(IDCANCEL, nResult);
}

TEST(OEImportPathTest, TheLastEnvironmentVariableOfThePathIsExpanded)
{
    SetEnvironmentVariableA("VORN_OE_TEST", "C:\\Store");
    const struct
    {
        const char* pszPath;
        bool bExpanded;
        const char* pszResult;
    } cases[] = {
        {"%VORN_OE_TEST%\\Mail\\", true, "C:\\Store\\Mail\\"},
        {"%VORN_OE_UNSET%\\x\\%VORN_OE_TEST%\\Mail", true, "%VORN_OE_UNSET%\\x\\C:\\Store\\Mail"},
        {"D:\\Plain\\", true, "D:\\Plain\\"},
        {"%VORN_OE_UNSET%\\Mail", false, "%VORN_OE_UNSET%\\Mail"},
    };
    for (const auto& c : cases)
    {
        CString strPath = c.pszPath, strName;
        EXPECT_EQ(c.bExpanded, ExpandStorePath(strPath, strName)) << c.pszPath;
        EXPECT_STREQ(c.pszResult, strPath) << c.pszPath;
    }
}

// A user's receive: the real-mail messages, ten times over, fetched from dovecot by a whole receive run into
// the real main window with the Inbox shown, each message handed over to the list as the client's manager
// thread does; beside mpop delivering the same mailbox to a Maildir, in one run. Prints the ratio; asserts
// nothing.
#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "PeerBench.h"
#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "store/AccountsTable.h"
#include "transport/DlgProgress.h"

namespace
{
const int kRounds = 10;

std::vector<std::string> RealMessages()
{
    std::vector<std::string> corpus;
    const std::string folder = std::string(ORB_TEST_DATA_DIR) + "\\real-mail\\";
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "*.eml").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return corpus;
    do
    {
        HANDLE hFile = ::CreateFileA((folder + data.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                     OPEN_EXISTING, 0, NULL);
        if (hFile == INVALID_HANDLE_VALUE)
            continue;
        std::string text(data.nFileSizeLow, '\0');
        DWORD nRead = 0;
        ::ReadFile(hFile, &text[0], data.nFileSizeLow, &nRead, NULL);
        ::CloseHandle(hFile);
        text.resize(nRead);
        corpus.push_back(text);
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    std::vector<std::string> messages;
    for (int i = 0; i < kRounds; ++i)
        messages.insert(messages.end(), corpus.begin(), corpus.end());
    return messages;
}

// The client's manager thread as far as the run needs it: a hand-over goes to the main window, which adds
// the row, and the run is let go on.
struct CHandOverThread
{
    HWND hFrame = NULL;
    HANDLE hEvent = NULL;
    HANDLE hReady = NULL;
    DWORD dwThreadId = 0;

    static DWORD WINAPI Run(void* pParam)
    {
        CHandOverThread* pThis = static_cast<CHandOverThread*>(pParam);
        MSG msg;
        ::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
        ::SetEvent(pThis->hReady);
        while (::GetMessageA(&msg, NULL, 0, 0) > 0)
        {
            if (msg.hwnd == NULL && msg.message == WM_USER && msg.wParam == ID_ADD_MESSAGE_TO_CONTROL)
            {
                ::SendMessageA(pThis->hFrame, WM_COMMAND, ID_ADD_MESSAGE_TO_CONTROL, msg.lParam);
                ::SetEvent(pThis->hEvent);
            }
        }
        return 0;
    }
};

bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 12000; i++)
    {
        if (done())
            return true;
        ::Sleep(5);
    }
    return false;
}
} // namespace

int main()
{
    const char* pszPeerDir = getenv("ORB_PEER_DIR");
    const char* pszPop3 = getenv("ORB_POP3_PORT");
    if (!pszPeerDir || !pszPop3)
    {
        printf("the mail peers are not running (ORB_PEER_DIR, ORB_POP3_PORT unset)\n");
        return 0;
    }
    const UINT nPort = static_cast<UINT>(atoi(pszPop3));
    const std::vector<std::string> messages = RealMessages();
    if (messages.empty())
    {
        printf("user_receive_bench: no real-mail messages\n");
        return 0;
    }
    const int nMessages = static_cast<int>(messages.size());

    ::OleInitialize(nullptr);
    InitFoundationUi();
    RegisterLetrovaMessages();
    RegisterLetrovaAreYouMe();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_TAB_CLASSES |
                                                 ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&icc);
    _Module.Init(nullptr, ::GetModuleHandleA(nullptr));
    SetAppMessageBoxHook([](const char*, const char*, UINT, HWND) { return IDNO; });

    FillBenchMailbox(pszPeerDir, messages);
    double ours = -1;
    {
        CMainFrameFixture store;
        void* pTable = nullptr;
        store.m_pDatabase->m_Local.OnGetTable(pTable, "Accounts", NULL);
        CSession& accounts = *static_cast<CAccountsTable*>(pTable)->GetSession();
        CString strSQL;
        strSQL.Format("INSERT INTO Accounts (DisplayName, EmailAddress, POP3, SMTP, AccountName, Pass, Flags, "
                      "RemoveAfter, IncomingServerType, IncomingPort, SMTPPort, SMTPAccountName, SMTPPass) VALUES "
                      "('Bench', 'bench@example.com', '127.0.0.1', '127.0.0.1', 'bench', 'benchpw', 4, 5, 0, %u, "
                      "1, '', '')",
                      nPort);
        Execute(accounts, strSQL);
        const long nBefore = QueryLong(store.Local(), "SELECT COUNT(*) FROM Emails");
        if (store.Start() == nullptr || !store.Select(store.m_nInbox) || !store.WaitForList())
        {
            printf("user_receive_bench: the main window did not show the Inbox\n");
            return 0;
        }
        CListViewCtrlMessages& list = store.m_pFrame->m_client.m_container.m_right.m_list.m_list;
        int nShownBefore = 0;
        store.OnFrame([&] { nShownBefore = list.GetRowCount(); });

        CHandOverThread handOver;
        handOver.hFrame = store.m_pFrame->m_hWnd;
        handOver.hEvent = ::CreateEventA(NULL, TRUE, TRUE, NULL);
        handOver.hReady = ::CreateEventA(NULL, TRUE, FALSE, NULL);
        HANDLE hThread = ::CreateThread(NULL, 0, CHandOverThread::Run, &handOver, 0, &handOver.dwThreadId);
        ::WaitForSingleObject(handOver.hReady, INFINITE);
        CDlgProgress::s_hEventListHandOver = handOver.hEvent;

        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        CMessageLoop loop;
        _Module.AddMessageLoop(&loop);
        {
            CDlgProgress progress(store.m_pDatabase.get(), 0, store.m_pFrame->m_hWnd, handOver.dwThreadId, 0);
            if (progress.Create(NULL) != NULL)
                loop.Run();
        }
        _Module.RemoveMessageLoop();
        // Done when every row is in the shown list and the window has nothing left to do.
        const bool bShown = WaitFor([&] {
            bool bDone = false;
            store.OnFrame([&] {
                MSG msg;
                bDone = list.GetRowCount() == nShownBefore + nMessages &&
                        !::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
            });
            return bDone;
        });
        const double seconds = Seconds(start);
        CDlgProgress::s_hEventListHandOver = NULL;
        ::PostThreadMessageA(handOver.dwThreadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(hThread, INFINITE);
        ::CloseHandle(hThread);
        ::CloseHandle(handOver.hEvent);
        ::CloseHandle(handOver.hReady);
        const long nStored = QueryLong(store.Local(), "SELECT COUNT(*) FROM Emails") - nBefore;
        if (nStored == nMessages && bShown)
            ours = seconds;
        else
            printf("user_receive_bench: stored %ld and showed %s of %d messages\n", nStored,
                   bShown ? "all" : "not all", nMessages);
    }
    FillBenchMailbox(pszPeerDir, messages);
    const double peer = RunMpop(pszPeerDir, nPort, nMessages);
    if (ours > 0 && peer > 0)
        printf("A user's receive of %d real messages into the main window, the Inbox shown: ours %.2f s, mpop to a "
               "Maildir %.2f s, ratio ours/mpop %.2f (goal <= 2)\n",
               nMessages, ours, peer, ours / peer);
    else
        PrintRatio("A user's receive into the main window", "mpop to a Maildir", ours, peer);
    _Module.Term();
    ::OleUninitialize();
    return 0;
}

// Fills the message list with one folder of 100 000 messages (realistic subjects, senders, dates and bodies of
// a few KB) and times it from the folder's selection to the fill's count notice, beside raw SQLite stepping
// the same SELECT and reading the columns the list keeps, and the database layer alone reading them. Prints
// the ratios, the time to the first rows shown, the worst round trip of a message sent to the window during
// the fill, a header-click sort of all rows and the memory per row.
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>

#include <psapi.h>

#include <string>

#include <sqlite3.h>

#include <atlapp.h>

#include "StoreTestDatabase.h"
#include "foundation/WindowMessages.h"
#include "store/Folders.h"
#include "store/MessageFlagsNotice.h"
#include "ui/main/MessagesList.h"

CAppModule _Module;

namespace
{
const int kRounds = 3;

double Seconds()
{
    static LARGE_INTEGER s_frequency = {};
    if (s_frequency.QuadPart == 0)
        QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)s_frequency.QuadPart;
}

void Check(int rc, sqlite3* db, const char* pszWhat)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    {
        printf("raw SQLite %s failed: %s\n", pszWhat, sqlite3_errmsg(db));
        exit(1);
    }
}

const char* const kWords[] = {"quarterly", "figures", "meeting", "invoice", "holiday", "project", "report",
                              "draft",     "review",  "budget",  "schedule", "client", "update", "notes"};
const char* const kNames[] = {"Anna Berg", "Bob Carter", "Chen Li", "Dora Ruiz", "Emil Novak", "Fay Wong",
                              "Gus Meyer", "Hana Sato"};

// The rows go in through SQLite in one transaction: the fill is what is measured.
void FillStore(const CString& strPath, LONG nFolderID, int nRows)
{
    sqlite3* db = NULL;
    Check(sqlite3_open_v2(strPath, &db, SQLITE_OPEN_READWRITE, NULL), db, "open");
    Check(sqlite3_exec(db, "BEGIN", NULL, NULL, NULL), db, "begin");
    sqlite3_stmt* pInsert = NULL;
    Check(sqlite3_prepare_v2(db,
                             "INSERT INTO Emails (EmDate, Criteria, Quantity, Subject, Message, Ref, Status, "
                             "FolderID, Flags, MessageID, UniqueID, AccountID, Encode) VALUES "
                             "(?, '', 0, ?, ?, ?, '', ?, ?, ?, ?, 1, 0)",
                             -1, &pInsert, NULL),
          db, "prepare insert");
    srand(7);
    for (int i = 0; i < nRows; i++)
    {
        const int nWords = sizeof(kWords) / sizeof(kWords[0]);
        std::string strSubject = (i % 5 == 0 ? "Re: " : "") + std::string(kWords[rand() % nWords]) + " " +
                                 kWords[rand() % nWords] + " " + std::to_string(i % 997);
        const char* pszName = kNames[rand() % (sizeof(kNames) / sizeof(kNames[0]))];
        std::string strRef = std::string(pszName) + " <" + std::to_string(i % 113) + ".sender@example.com>";
        std::string strBody = "From: " + strRef + "\r\nSubject: " + strSubject + "\r\n\r\n";
        const int nBodyBytes = 1500 + rand() % 3000;
        while ((int)strBody.size() < nBodyBytes)
        {
            strBody += kWords[rand() % nWords];
            strBody += (rand() % 12 == 0) ? "\r\n" : " ";
        }
        char szMessageID[64], szUniqueID[32];
        snprintf(szMessageID, sizeof(szMessageID), "<%d.bench@example.com>", i);
        snprintf(szUniqueID, sizeof(szUniqueID), "UID%08d", i);
        sqlite3_bind_double(pInsert, 1, 43000.0 + i / 50.0 + (rand() % 1000) / 1000.0);
        sqlite3_bind_text(pInsert, 2, strSubject.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(pInsert, 3, strBody.data(), (int)strBody.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(pInsert, 4, strRef.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(pInsert, 5, nFolderID);
        sqlite3_bind_int(pInsert, 6, (i % 7 == 0 ? 0x02 : 0) | (i % 11 == 0 ? 0x01 : 0));
        sqlite3_bind_text(pInsert, 7, szMessageID, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pInsert, 8, szUniqueID, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(pInsert), db, "insert");
        sqlite3_reset(pInsert);
    }
    sqlite3_finalize(pInsert);
    Check(sqlite3_exec(db, "COMMIT", NULL, NULL, NULL), db, "commit");
    sqlite3_close(db);
}

// The list's own SELECT, each row's kept columns read as the list keeps them.
double ReadRaw(const CString& strPath, LONG nFolderID, int& nRows)
{
    sqlite3* db = NULL;
    Check(sqlite3_open_v2(strPath, &db, SQLITE_OPEN_READWRITE, NULL), db, "open");
    double dStart = Seconds();
    sqlite3_stmt* pSelect = NULL;
    CString strSQL = BuildFillQuery(nFolderID, FOLDER_INBOX, CString(), FALSE);
    Check(sqlite3_prepare_v2(db, strSQL, -1, &pSelect, NULL), db, "prepare select");
    nRows = 0;
    long long nCheck = 0;
    while (sqlite3_step(pSelect) == SQLITE_ROW)
    {
        CMessageRow row;
        row.nEmailsID = sqlite3_column_int(pSelect, 0);
        row.emDate = sqlite3_column_double(pSelect, 1);
        row.strSubject = (const char*)sqlite3_column_text(pSelect, 4);
        row.strRef = (const char*)sqlite3_column_text(pSelect, 6);
        row.nFolderID = sqlite3_column_int(pSelect, 8);
        row.nFlags = sqlite3_column_int(pSelect, 9);
        row.strUniqueID = (const char*)sqlite3_column_text(pSelect, 11);
        row.nAccountID = sqlite3_column_int(pSelect, 12);
        row.nEncode = (BYTE)sqlite3_column_int(pSelect, 13);
        nCheck += row.nEmailsID + row.strSubject.GetLength();
        nRows++;
    }
    sqlite3_finalize(pSelect);
    double dRead = Seconds() - dStart;
    sqlite3_close(db);
    return nCheck > 0 ? dRead : dRead;
}

// The list's columns as the database layer hands them over, the Message stream left in the file.
class CLayerRow
{
public:
    LONG m_EmailsID = 0;
    DATE m_EmDate = 0;
    char m_Subject[256] = {};
    char m_Ref[256] = {};
    LONG m_FolderID = 0;
    LONG m_Flags = 0;
    char m_UniqueID[256] = {};
    LONG m_AccountID = 0;
    BYTE m_Encode = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CLayerRow)
        COLUMN_ENTRY(1, m_EmailsID)
        COLUMN_ENTRY(2, m_EmDate)
        COLUMN_ENTRY(5, m_Subject)
        COLUMN_ENTRY(7, m_Ref)
        COLUMN_ENTRY(9, m_FolderID)
        COLUMN_ENTRY(10, m_Flags)
        COLUMN_ENTRY(12, m_UniqueID)
        COLUMN_ENTRY(13, m_AccountID)
        COLUMN_ENTRY(14, m_Encode)
    END_COLUMN_MAP()
    // clang-format on
};

// The same SELECT through the database layer alone: the part of the fill that is not the list's.
double ReadLayer(CSession& session, LONG nFolderID, int& nRows)
{
    double dStart = Seconds();
    CCommand<CAccessor<CLayerRow>> rows;
    nRows = 0;
    if (FAILED(rows.Open(session, BuildFillQuery(nFolderID, FOLDER_INBOX, CString(), FALSE))))
        return 0;
    long long nCheck = 0;
    while (rows.MoveNext() == S_OK)
    {
        nCheck += rows.m_EmailsID + (long long)strlen(rows.m_Subject);
        nRows++;
    }
    rows.Close();
    double dRead = Seconds() - dStart;
    return nCheck > 0 ? dRead : dRead;
}

// The frame the list reports to: it answers the "Get" messages and hosts the list.
class CBenchFrame : public CWindowImpl<CBenchFrame, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("LetrovaMessageListBench")

    BEGIN_MSG_MAP(CBenchFrame)
        MESSAGE_HANDLER(LetrovaGetDatabase, OnGetDatabase)
        MESSAGE_HANDLER(LetrovaGetIdThread, OnGetIdThread)
        MESSAGE_HANDLER(LetrovaGetRegistry, OnGetRegistry)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    LRESULT OnGetDatabase(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        *reinterpret_cast<CDatabaseSession**>(wParam) = m_pDatabase;
        return 1;
    }
    LRESULT OnGetIdThread(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        *reinterpret_cast<DWORD*>(wParam) = m_dwManager;
        return 1;
    }
    LRESULT OnGetRegistry(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        *reinterpret_cast<void**>(wParam) = NULL;
        return 1;
    }

    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
    {
        NMHDR* pnmh = reinterpret_cast<NMHDR*>(lParam);
        if (pnmh->code == LVN_GETDISPINFOA)
            return m_list.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        if (pnmh->code == NM_CUSTOMDRAW)
            return m_list.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
    {
        if (m_list.m_hWnd != NULL)
            m_list.DestroyWindow();
        return 0;
    }

    CListViewCtrlMessages m_list;
    CDatabaseSession* m_pDatabase = NULL;
    DWORD m_dwManager = 0;
};

// Stands in for the thread manager: notes when the fill's count notice arrives.
struct CManager
{
    HANDLE hReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE hCounted = CreateEventA(NULL, TRUE, FALSE, NULL);
    double dCounted = 0;
    DWORD dwThread = 0;

    static DWORD WINAPI Run(void* pParam)
    {
        CManager* pThis = static_cast<CManager*>(pParam);
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
        SetEvent(pThis->hReady);
        while (GetMessageA(&msg, NULL, 0, 0) > 0)
        {
            if (msg.message == WM_USER && msg.wParam == ID_UPDATE_MESSAGE_FLAGS)
            {
                pThis->dCounted = Seconds();
                SetEvent(pThis->hCounted);
            }
        }
        return 0;
    }
};

// Sends the window an empty message again and again while the fill runs; keeps the worst round trip.
struct CProber
{
    HWND hWnd = NULL;
    volatile LONG nStop = 0;
    double dWorst = 0;
    int nProbes = 0;

    static DWORD WINAPI Run(void* pParam)
    {
        CProber* pThis = static_cast<CProber*>(pParam);
        while (pThis->nStop == 0)
        {
            double dStart = Seconds();
            DWORD_PTR dwResult = 0;
            SendMessageTimeoutA(pThis->hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &dwResult);
            double d = Seconds() - dStart;
            if (d > pThis->dWorst)
                pThis->dWorst = d;
            pThis->nProbes++;
            Sleep(1);
        }
        return 0;
    }
};

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters, sizeof(counters));
    return counters.PrivateUsage;
}
} // namespace

int main(int argc, char** argv)
{
    int nCount = argc > 1 ? atoi(argv[1]) : 100000;
    OleInitialize(NULL);
    RegisterLetrovaMessages();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    CTempDatabasePath path("bench-list");
    LONG nInbox = 0;
    {
        CTestDatabase db;
        db.OpenFile(path.m_strPath);
        CFolders folders(db.Session());
        nInbox = folders.GetSystemFolder(FOLDER_INBOX, NULL);
    }
    FillStore(path.m_strPath, nInbox, nCount);

    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    CManager manager;
    HANDLE hManager = CreateThread(NULL, 0, CManager::Run, &manager, 0, &manager.dwThread);
    WaitForSingleObject(manager.hReady, INFINITE);

    CBenchFrame frame;
    frame.m_pDatabase = &db;
    frame.m_dwManager = manager.dwThread;
    RECT rc = {0, 0, 900, 600};
    frame.Create(NULL, rc, "Message list bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND hList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS |
                                                         LVS_OWNERDATA,
                                 0, 0, 900, 600, frame.m_hWnd, (HMENU)(UINT_PTR)IDC_MESSAGE_LIST, NULL, NULL);
    frame.m_list.SubclassWindow(hList);
    frame.m_list.Initialize(&db.m_session, frame.m_hWnd);

    // The raw read goes first and pays for the first touch of the file; the fill reads it warm as well. On a
    // loaded machine one round says little: the rounds alternate the peers, and each figure is the best.
    int nRawRows = 0, nLayerRows = 0;
    double dRaw = ReadRaw(path.m_strPath, nInbox, nRawRows);
    double dLayer = 1e9, dFill = 1e9, dFirstRows = 1e9;
    CProber prober;
    prober.hWnd = frame.m_hWnd;
    SIZE_T nBytesBefore = 0, nBytesAfter = 0;
    for (int nRound = 0; nRound < kRounds; nRound++)
    {
        double d = ReadRaw(path.m_strPath, nInbox, nRawRows);
        dRaw = d < dRaw ? d : dRaw;
        d = ReadLayer(db.m_session, nInbox, nLayerRows);
        dLayer = d < dLayer ? d : dLayer;

        ResetEvent(manager.hCounted);
        manager.dCounted = 0;
        InterlockedExchange(&prober.nStop, 0);
        nBytesBefore = PrivateBytes();
        CFoldersRecord folder;
        folder.m_ID = nInbox;
        folder.m_Type = FOLDER_INBOX;
        const double dStart = Seconds();
        frame.m_list.SelFolderChanged(&folder, -1);
        HANDLE hProber = CreateThread(NULL, 0, CProber::Run, &prober, 0, NULL);
        double dFirst = 0;
        for (;;)
        {
            DWORD dwWait = MsgWaitForMultipleObjects(1, &manager.hCounted, FALSE, 120000, QS_ALLINPUT);
            if (dwWait != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (dFirst == 0 && frame.m_list.GetRowCount() > 0)
            {
                UpdateWindow(frame.m_hWnd);
                dFirst = Seconds() - dStart;
            }
        }
        if (manager.dCounted > 0 && manager.dCounted - dStart < dFill)
            dFill = manager.dCounted - dStart;
        if (dFirst > 0 && dFirst < dFirstRows)
            dFirstRows = dFirst;
        InterlockedExchange(&prober.nStop, 1);
        while (frame.m_list.IsFilling())
        {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(1);
        }
        WaitForSingleObject(hProber, INFINITE);
        CloseHandle(hProber);
        nBytesAfter = PrivateBytes();
    }
    const int nRows = frame.m_list.GetRowCount();
    // What the rows keep: the copy and its three texts, each text one allocation.
    double dRowBytes = 0;
    for (int i = 0; i < nRows; i++)
    {
        const CMessageRow& row = frame.m_list.Row(i);
        dRowBytes += sizeof(CMessageRow) + row.strRef.GetLength() + row.strSubject.GetLength() +
                     row.strUniqueID.GetLength() + 3 * (1 + 2 * sizeof(void*));
    }

    double dSortStart = Seconds();
    frame.m_list.SendMessage(LVM_SORTITEMS, 3, 0);
    UpdateWindow(frame.m_hWnd);
    double dSort = Seconds() - dSortStart;

    if (nRows != nCount || nRawRows != nCount || nLayerRows != nCount || manager.dCounted == 0)
    {
        printf("message list fill: rows %d (list), %d (layer) and %d (raw SQLite), expected %d\n", nRows,
               nLayerRows, nRawRows, nCount);
        return 1;
    }
    printf("message list fill, %d messages of a few KB in one folder, best of %d rounds\n", nCount, kRounds);
    printf("fill to count notice %8.3f s   raw SQLite same SELECT %8.3f s   ratio %.2f (goal <= 2)\n", dFill,
           dRaw, dFill / dRaw);
    printf("of which the database layer reading the same rows %8.3f s   ratio layer / raw SQLite %.2f\n",
           dLayer, dLayer / dRaw);
    printf("first rows shown after %.3f s (goal <= 0.1 s); worst round trip of a message sent during the "
           "fill %.1f ms (%d sent)\n",
           dFirstRows, prober.dWorst * 1000.0, prober.nProbes);
    printf("header-click sort of all rows by subject %.3f s; memory per row %.0f bytes kept", dSort, dRowBytes / nRows);
    if (nBytesAfter > nBytesBefore)
        printf(", %.0f bytes by the process's private memory", (double)(nBytesAfter - nBytesBefore) / nRows);
    printf("\n");
    frame.DestroyWindow();
    PostThreadMessageA(manager.dwThread, WM_QUIT, 0, 0);
    WaitForSingleObject(hManager, INFINITE);
    OleUninitialize();
    return 0;
}

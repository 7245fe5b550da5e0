// Imports the generated Outlook Express store into fresh databases and prints messages and megabytes per
// second, beside the same message texts stored straight through the message store's insertion (the path
// of received mail), so the ratio is what reading the store and the duplicate search add.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "content/DlgImportOE.h"
#include "content/EncodedWord.h"
#include "content/OEImport.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "store/Folders.h"
#include "tests/content/DbxStoreManifest.h"
#include "StoreTestDatabase.h"

CAppModule _Module;

namespace
{
const int kRounds = 3;

CDatabaseSession* g_pDatabase = NULL;
CString g_strStore;

double Seconds()
{
    static LARGE_INTEGER s_frequency = {};
    if (s_frequency.QuadPart == 0)
        QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)s_frequency.QuadPart;
}

int QuietBox(const char*, const char*, UINT, HWND)
{
    return IDOK;
}

// The main window as the import asks it: the database and the store folder.
LRESULT CALLBACK OwnerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == LetrovaGetDatabase)
    {
        *(CDatabaseSession**)wParam = g_pDatabase;
        return 1;
    }
    if (uMsg == WM_COMMAND && LOWORD(wParam) == CDlgImportOE::ID_GET_OE_STORE_ROOT)
    {
        *(CString*)lParam = g_strStore;
        return 1;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

double ImportOnce(HWND hOwner)
{
    CTempDatabasePath path("oeimport-bench");
    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    CFolders(db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
    g_pDatabase = &db;
    CDlgImportOE dialog(hOwner);
    dialog.m_strPath = g_strStore;
    const double dStart = Seconds();
    OnImportMessagesOE_50(&dialog);
    const double dSeconds = Seconds() - dStart;
    if (db.QueryLong("SELECT COUNT(*) FROM Emails") != 60)
        printf("the import stored %ld messages, not 60\n", (long)db.QueryLong("SELECT COUNT(*) FROM Emails"));
    g_pDatabase = NULL;
    return dSeconds;
}

double InsertOnce(const std::vector<CDbxManifestMessage>& messages)
{
    CTempDatabasePath path("oeimport-bench-peer");
    CTestDatabase db;
    db.OpenFile(path.m_strPath);
    const LONG nInbox = CFolders(db.Session()).GetSystemFolder(FOLDER_INBOX, NULL);
    const double dStart = Seconds();
    CEmailsImpl<> store(db.Session());
    for (const CDbxManifestMessage& message : messages)
    {
        const CString strFrom = ("\"" + message.strSenderName + "\" <" + message.strSenderAddress + ">").c_str();
        store.Clear();
        store.InsertMessage(CString(message.strText.c_str()), nInbox, 0, NULL, 0, NULL, NULL, 45000.0,
                            DecodeEncodedWord(message.strSubject.c_str()), strFrom, message.bUnread, FALSE, FALSE);
    }
    return Seconds() - dStart;
}
} // namespace

int main()
{
    CoInitialize(NULL);
    RegisterLetrovaMessages();
    SetAppMessageBoxHook(QuietBox);
    g_strStore = DbxStoreFolder().c_str();
    g_strStore.Replace('/', '\\');

    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "VornImportBenchOwner";
    RegisterClassA(&wc);
    HWND hOwner = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);

    const std::vector<CDbxManifestMessage> messages = ReadDbxManifest();
    double dBytes = 0;
    for (const CDbxManifestMessage& message : messages)
        dBytes += (double)message.strText.size();

    double dImport = 1e30, dInsert = 1e30;
    for (int i = 0; i < kRounds; i++)
    {
        dImport = std::min(dImport, ImportOnce(hOwner));
        dInsert = std::min(dInsert, InsertOnce(messages));
    }
    printf("Outlook Express import of %zu messages (%.2f MB), best of %d rounds\n", messages.size(),
           dBytes / 1e6, kRounds);
    printf("  import:                %8.1f messages/s %8.3f MB/s\n", messages.size() / dImport,
           dBytes / 1e6 / dImport);
    printf("  message store insert:  %8.1f messages/s %8.3f MB/s\n", messages.size() / dInsert,
           dBytes / 1e6 / dInsert);
    printf("  ratio import / insert: %.2f (time)\n", dImport / dInsert);
    DestroyWindow(hOwner);
    CoUninitialize();
    return 0;
}

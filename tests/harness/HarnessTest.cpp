// Proves that the harness runs real Win32 under Wine: windows on their own threads, regsvr32, DllRun, SQLite.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
// Polls a condition for up to twenty seconds; window tests never sleep for a fixed time.
bool WaitFor(const std::function<bool()>& condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

DWORD RunProcess(std::string commandLine)
{
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return GetLastError();
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return exitCode;
}

bool KeyExists(const char* key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

const char kInprocKey[] = "CLSID\\{B31C39C4-4122-4659-9FFC-EB98547834F8}\\InprocServer32";
const char kTypeLibKey[] = "TypeLib\\{4358AB36-2A03-4F41-8127-3B89757B95A7}\\1.0";

// Wine shares one desktop between test programs: look only at this process's windows.
HWND FindOwnWindow(const char* title)
{
    struct Search
    {
        const char* title;
        HWND hFound;
    } search = {title, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* pSearch = reinterpret_cast<Search*>(lParam);
            DWORD processId = 0;
            GetWindowThreadProcessId(hWnd, &processId);
            char text[128] = {};
            GetWindowTextA(hWnd, text, sizeof(text));
            if (processId != GetCurrentProcessId() || std::string(text) != pSearch->title)
                return TRUE;
            pSearch->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string TempFilePath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}
} // namespace

TEST(Harness, WindowOnItsOwnThreadIsFoundAndReadBack)
{
    HWND hFrame = nullptr;
    std::thread ui([&] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        HWND hWnd = CreateWindowA("STATIC", "Harness frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
        HWND hList = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, hWnd,
                                   reinterpret_cast<HMENU>(1), nullptr, nullptr);
        LVCOLUMNA column = {LVCF_WIDTH | LVCF_TEXT, 0, 100, const_cast<char*>("Folder")};
        SendMessageA(hList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        LVITEMA item = {LVIF_TEXT, 0, 0, 0, 0, const_cast<char*>("Inbox")};
        SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        hFrame = hWnd;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        {
            if (msg.message == WM_APP)
                break;
            DispatchMessageA(&msg);
        }
        DestroyWindow(hWnd);
    });
    ASSERT_TRUE(WaitFor([] { return FindOwnWindow("Harness frame") != nullptr; }));
    HWND hFound = FindOwnWindow("Harness frame");
    char text[64] = {};
    GetWindowTextA(hFound, text, sizeof(text));
    EXPECT_STREQ("Harness frame", text);

    HWND hList = GetDlgItem(hFound, 1);
    char itemText[64] = {};
    LVITEMA item = {};
    item.pszText = itemText;
    item.cchTextMax = sizeof(itemText);
    SendMessageA(hList, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ("Inbox", itemText);

    PostThreadMessageA(GetWindowThreadProcessId(hFound, nullptr), WM_APP, 0, 0);
    ui.join();
    EXPECT_EQ(hFound, hFrame);
}

TEST(Harness, Regsvr32RegistersAndUnregistersOrbMail)
{
    const std::string dll = ORB_MAIL_DLL;
    ASSERT_EQ(0u, RunProcess("regsvr32.exe /s \"" + dll + "\""));
    EXPECT_TRUE(KeyExists(kInprocKey));
    EXPECT_TRUE(KeyExists(kTypeLibKey));
    ASSERT_EQ(0u, RunProcess("regsvr32.exe /s /u \"" + dll + "\""));
    EXPECT_FALSE(KeyExists(kInprocKey));
    EXPECT_FALSE(KeyExists(kTypeLibKey));
}

std::vector<std::string> TablesOf(const std::string& path)
{
    std::vector<std::string> tables;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", -1, &stmt,
                           nullptr);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            tables.push_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return tables;
}

bool Contains(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A fresh start: the settings name database files in a folder of this test that do not exist yet.
struct FreshDatabaseFolder
{
    std::string folder = TempFilePath("harness-start\\");
    std::string accounts = folder + "Accounts.mdb";
    std::string local = folder + "email.mdb";
    std::string central = folder + "Orb.mdb";

    FreshDatabaseFolder()
    {
        for (const std::string& path : {accounts, local, central})
        {
            DeleteFileA(path.c_str());
            DeleteFileA((path + "-wal").c_str());
            DeleteFileA((path + "-shm").c_str());
        }
        CreateDirectoryA(folder.c_str(), nullptr);
        HKEY hKey = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Vorn\\Letrova\\Options", 0, nullptr, 0, KEY_WRITE, nullptr,
                        &hKey, nullptr);
        const std::pair<const char*, std::string> values[] = {{"Accounts Database FileName", accounts},
                                                              {"Local Database File Name", local},
                                                              {"Vorn Vedura Database File Name", central}};
        for (const auto& value : values)
            RegSetValueExA(hKey, value.first, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.second.c_str()),
                           static_cast<DWORD>(value.second.size() + 1));
        RegCloseKey(hKey);
    }

    // The settings are saved when the client closes; leave the prefix's own start (./run) its defaults.
    ~FreshDatabaseFolder() { RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Vorn\\Letrova"); }
};

TEST(Harness, DllRunOpensTheDatabasesAndTheMainWindowAndReturnsWhenItCloses)
{
    FreshDatabaseFolder databases;
    HMODULE hDll = LoadLibraryA(ORB_MAIL_DLL);
    ASSERT_NE(nullptr, hDll);
    typedef int(WINAPI * DllRunProc)();
    auto pDllRun = reinterpret_cast<DllRunProc>(GetProcAddress(hDll, "DllRun"));
    ASSERT_NE(nullptr, pDllRun);

    int result = -1;
    std::thread run([&] { result = pDllRun(); });
    HWND hMain = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (hMain = FindOwnWindow("Vorn Email")) != nullptr; }));
    if (hMain)
        PostMessageA(hMain, WM_CLOSE, 0, 0);
    run.join();
    EXPECT_EQ(0, result);
    FreeLibrary(hDll);

    std::vector<std::string> accountsTables = TablesOf(databases.accounts);
    EXPECT_TRUE(Contains(accountsTables, "Accounts"));
    EXPECT_TRUE(Contains(accountsTables, "Options"));
    std::vector<std::string> localTables = TablesOf(databases.local);
    for (const char* table : {"Folders", "Emails", "Address", "Attachments"})
        EXPECT_TRUE(Contains(localTables, table)) << table;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(databases.central.c_str()));
}

TEST(Harness, SqliteWritesAndReadsAFileInThePrefix)
{
    const std::string path = TempFilePath("harness.sqlite");
    DeleteFileA(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE t(v TEXT); INSERT INTO t VALUES('Vorn');", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES == GetFileAttributesA(path.c_str()), false);

    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr));
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT v FROM t", -1, &stmt, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
    EXPECT_STREQ("Vorn", reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    EXPECT_EQ(1, sqlite3_threadsafe());
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    DeleteFileA(path.c_str());
}

TEST(Harness, OrbMailCarriesTheDialogsAndStringsOfItsLibraries)
{
    HMODULE hDll = LoadLibraryExA(ORB_MAIL_DLL, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hDll);
    EXPECT_NE(nullptr, FindResourceA(hDll, MAKEINTRESOURCEA(110), MAKEINTRESOURCEA(5))) << "exception dialog";
    EXPECT_NE(nullptr, FindResourceA(hDll, MAKEINTRESOURCEA(115), MAKEINTRESOURCEA(5))) << "error-report dialog";
    char text[256] = {};
    EXPECT_GT(LoadStringA(hDll, 308, text, sizeof(text)), 0) << "message content strings";
    FreeLibrary(hDll);
}

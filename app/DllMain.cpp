// OrbMail's library entry points: loading, DllRun and the COM server exports.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "store/OLEDBException.h"

namespace
{
HINSTANCE g_hInstance = nullptr;

const char kClsidKey[] = "CLSID\\{B31C39C4-4122-4659-9FFC-EB98547834F8}";
const char kClassText[] = "Vorn Vedura Letrova Class";
const char kProgId[] = "LetrovaObject.Letrova.1";
const char kVersionIndependentProgId[] = "LetrovaObject.Letrova";

std::string ModulePath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(g_hInstance, path, MAX_PATH);
    return path;
}

bool SetKeyValue(const std::string& key, const char* name, const std::string& value)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(hKey);
    return result == ERROR_SUCCESS;
}

// Opens the accounts, local and central databases; what failed has been shown to the user.
// Stands in for the COM object's OpenDatabase until the application core is built.
bool OpenDatabases(CDatabaseMy& database)
{
    try
    {
        database.OpenAll();
        // The main window's first folder and message views create the local tables; until it is built,
        // the start does so itself.
        if (database.m_Local.IsOpen())
        {
            database.m_Local.m_Folders.EnsureTable(nullptr);
            database.m_Local.m_Emails.EnsureTable(nullptr);
        }
        return true;
    }
    catch (CException* pException)
    {
        ShowCaughtException(pException);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP);
    }
    catch (...)
    {
    }
    AppMessageBox("Open database failed!", MB_ICONSTOP);
    return false;
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC hDC = BeginPaint(hWnd, &ps);
        TextOutA(hDC, 16, 16, "Vorn Email", 10);
        EndPaint(hWnd, &ps);
        return 0;
    }
    if (uMsg == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

int RunMainWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = g_hInstance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "OrbMainFrame";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowA("OrbMainFrame", "Vorn Email", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, g_hInstance, nullptr);
    if (!hWnd)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
        InitFoundationUi();
    }
    return TRUE;
}

// Opens the databases and the main window, and returns when the window has closed: 0, or 1 when the
// databases cannot be opened.
extern "C" int WINAPI DllRun()
{
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    int result = 1;
    {
        CRegistry registry;
        CDatabaseMy database(&registry);
        if (OpenDatabases(database))
            result = RunMainWindow();
    }
    OleUninitialize();
    return result;
}


STDAPI DllCanUnloadNow()
{
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* ppv)
{
    if (ppv)
        *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer()
{
    const std::string clsid = kClsidKey;
    bool ok = SetKeyValue(clsid, nullptr, kClassText) &&
              SetKeyValue(clsid + "\\InprocServer32", nullptr, ModulePath()) &&
              SetKeyValue(clsid + "\\InprocServer32", "ThreadingModel", "Apartment") &&
              SetKeyValue(clsid + "\\ProgID", nullptr, kProgId) &&
              SetKeyValue(clsid + "\\VersionIndependentProgID", nullptr, kVersionIndependentProgId) &&
              SetKeyValue(kProgId, nullptr, kClassText) &&
              SetKeyValue(std::string(kProgId) + "\\CLSID", nullptr, "{B31C39C4-4122-4659-9FFC-EB98547834F8}") &&
              SetKeyValue(kVersionIndependentProgId, nullptr, kClassText) &&
              SetKeyValue(std::string(kVersionIndependentProgId) + "\\CurVer", nullptr, kProgId);
    if (!ok)
        return SELFREG_E_CLASS;

    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(g_hInstance, &path[0], MAX_PATH));
    ITypeLib* pTypeLib = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &pTypeLib);
    if (pTypeLib)
        pTypeLib->Release();
    return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

STDAPI DllUnregisterServer()
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kVersionIndependentProgId);
    const GUID libid = {0x4358AB36, 0x2A03, 0x4F41, {0x81, 0x27, 0x3B, 0x89, 0x75, 0x7B, 0x95, 0xA7}};
    UnRegisterTypeLib(libid, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    return S_OK;
}

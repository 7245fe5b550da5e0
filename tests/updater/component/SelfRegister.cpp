// A library for the installation tests: its DllRegisterServer leaves a mark in the registry, or fails.
#include <windows.h>

STDAPI DllRegisterServer()
{
#ifdef ORB_SELFREG_FAILS
    return E_ACCESSDENIED;
#else
    char szPath[MAX_PATH] = "";
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DllRegisterServer), &hModule);
    GetModuleFileNameA(hModule, szPath, MAX_PATH);
    return HRESULT_FROM_WIN32(RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Vorn\\UpdaterTest", "Registered",
                                              REG_SZ, szPath, lstrlenA(szPath) + 1));
#endif
}

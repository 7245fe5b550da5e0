// OrbUpdate's library entry points: the COM server exports.
#include <windows.h>
#include <olectl.h>

#include <string>

namespace
{
HINSTANCE g_hInstance = nullptr;
const GUID kLibId = {0x2A3201A2, 0x931B, 0x4131, {0x94, 0x61, 0xCC, 0xAF, 0x76, 0xDF, 0x1C, 0x21}};
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
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
    UnRegisterTypeLib(kLibId, 1, 0, 1033, SYS_WIN64);
    return S_OK;
}

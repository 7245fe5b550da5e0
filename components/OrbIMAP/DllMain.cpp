// OrbIMAP's library entry points: the COM server exports.
#include <winsock2.h>
#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include "components/OrbIMAP/OrbIMAPObject.h"

namespace
{

CComModule _Module;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_OrbIMAP, COrbIMAP)
END_OBJECT_MAP()

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        _Module.Init(ObjectMap, hInstance, &LIBID_ORBIMAPLib);
        DisableThreadLibraryCalls(hInstance);
    }
    else if (dwReason == DLL_PROCESS_DETACH && pReserved == nullptr)
        _Module.Term();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return _Module.GetLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return _Module.GetClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer()
{
    HRESULT hrInit = CoInitialize(nullptr);
    HRESULT hr = _Module.RegisterServer(TRUE);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return hr;
}

STDAPI DllUnregisterServer()
{
    HRESULT hrInit = CoInitialize(nullptr);
    HRESULT hr = _Module.UnregisterServer(TRUE);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return hr;
}

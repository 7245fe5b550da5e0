// OrbUpdate's library entry points: the COM server exports.
#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include "updater/CoUpdate.h"

namespace
{

// CoUpdate2 is the same object; its class key of its own lets a caller create it by class identifier.
struct CoUpdate2Registration
{
    DECLARE_REGISTRY_RESOURCEID(IDR_COUPDATE2)
    typedef CoUpdate::_ClassFactoryCreatorClass _ClassFactoryCreatorClass;
    typedef CoUpdate::_CreatorClass _CreatorClass;
};

CComModule _Module;

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_CoUpdate, CoUpdate)
OBJECT_ENTRY(CLSID_CoUpdate2, CoUpdate2Registration)
END_OBJECT_MAP()

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        g_hUpdateResources = hInstance;
        _Module.Init(ObjectMap, hInstance, &LIBID_UPDATELib);
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

// The test process plays the client's host: COM on the main thread, the window module, and the Letrova class
// object registered so that COM creation by CLSID or ProgID finds this process's copy of the class.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"

namespace
{
class CAppEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::CoInitialize(nullptr);
        InitFoundationUi();
        RegisterLetrovaAreYouMe();
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_DATE_CLASSES | ICC_COOL_CLASSES};
        ::InitCommonControlsEx(&icc);
        _Module.Init(LetrovaObjectMap(), ::GetModuleHandleA(nullptr), &LIBID_LETROVAOBJECTLib);
        IUnknown* pFactory = nullptr;
        if (SUCCEEDED(
                _Module.GetClassObject(CLSID_Letrova, IID_IUnknown, reinterpret_cast<void**>(&pFactory))))
        {
            ::CoRegisterClassObject(CLSID_Letrova, pFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &m_dwRegister);
            pFactory->Release();
        }
    }

    void TearDown() override
    {
        if (m_dwRegister != 0)
            ::CoRevokeClassObject(m_dwRegister);
        _Module.Term();
        ::CoUninitialize();
    }

private:
    DWORD m_dwRegister = 0;
};

::testing::Environment* const g_pEnvironment = ::testing::AddGlobalTestEnvironment(new CAppEnvironment);
} // namespace

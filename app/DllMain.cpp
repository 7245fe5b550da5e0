// OrbMail's library entry points: loading and unloading, DllRun and the COM server exports.
#include <windows.h>

#include <commctrl.h>

#include "app/InternetUpdate.h"
#include "app/Letrova.h"
#include "app/LetrovaGlobals.h"
#include "app/LetrovaRun.h"
#include "app/ThreadManager.h"
#include "content/SpellChecker.h"
#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "transport/ErrorReport.h"
#include "transport/ImapAccountClient.h"
#include "ui/addressbook/DlgSelectRecipients.h"
#include "ui/addressbook/NameResolution.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/options/AccountCommands.h"
#include "ui/options/PageMessageRulesMail.h"
#include "ui/options/RuleValueDialogs.h"

namespace
{
// A rule's people are picked into one list; the contacts come from the frame that owns the rule dialogs.
BOOL SelectRuleRecipients(HWND hWndParent, const char* pszLabel, const char* pszCaption,
                          CString& strAddresses)
{
    HWND hFrame = ::GetAncestor(hWndParent, GA_ROOTOWNER);
    CDlgSelectRecipients dialog(hFrame != NULL ? hFrame : hWndParent, &strAddresses, pszLabel, pszCaption,
                                NULL, NULL);
    return dialog.DoModal(hWndParent) == IDOK;
}
} // namespace

namespace
{
// The compose window's recipient buttons open whichever picker Simple MAPI has been given.
INT_PTR SelectRecipientsForCompose(HWND hWndOwner, const char* pszCaption, const char* pszToLabel, CString* pstrTo,
                                   CString* pstrCc, CString* pstrBcc)
{
    CLetrova::SelectRecipientsProc pfnSelect = CLetrova::s_pfnSelectRecipients;
    return pfnSelect != NULL ? pfnSelect(hWndOwner, pszCaption, pszToLabel, pstrTo, pstrCc, pstrBcc) : IDCANCEL;
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH)
    {
        try
        {
            InitFoundationUi();
            InitErrorReport();
            InstallAccountDialogs();
            InstallMessageRulesSheet();
            SetSpellCheckerVersionTextProc(SpellCheckerVersionText);
            SetComponentInstaller(InstallMissingComponent);
            InstallImapClient();
            InstallAddressBook();
            CLetrova::s_pfnSelectRecipients = SelectRecipients;
            CLetrova::s_pfnFindKnownContact = FindKnownContactByName;
            SetSelectRuleRecipients(SelectRuleRecipients);
            ComposeSelectRecipients = SelectRecipientsForCompose;
            ComposeSelectContacts = SelectContacts;
            RegisterLetrovaAreYouMe();
            INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_DATE_CLASSES | ICC_COOL_CLASSES};
            ::InitCommonControlsEx(&icc);
            _Module.Init(LetrovaObjectMap(), hInstance, &LIBID_LETROVAOBJECTLib);
            ::DisableThreadLibraryCalls(hInstance);
        }
        catch (...)
        {
            // No message box under the loader lock: the debugger channel only.
            const char* pszHint = FailureHintText;
            DebugTrace("DllMain. Unhandled exception!!!\r\n%s", pszHint != NULL ? pszHint : "");
        }
        return TRUE;
    }
    if (dwReason == DLL_PROCESS_DETACH)
    {
        if (IsTraceOn())
            g_pTraceFile->WriteText("\r\nDllMain() dwReason == DLL_PROCESS_DETACH");
        // At process exit other libraries may be gone already: only a FreeLibrary unloads the module.
        if (pReserved == NULL)
            _Module.Term();
        if (g_pTraceFile != NULL)
        {
            if (IsTraceOn())
                g_pTraceFile->WriteText("\r\n_Module.Term()");
            delete g_pTraceFile;
            g_pTraceFile = NULL;
        }
        if (g_nThreadCount != 0)
            WriteThreadCount(g_nThreadCount);
        ReleaseInstanceRole();
    }
    return TRUE;
}

extern "C" int WINAPI DllRun()
{
    return RunLetrova();
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
    HRESULT hrInit = ::CoInitialize(NULL);
    IUnknown* pRegistrar = NULL;
    if (FAILED(::CoCreateInstance(CLSID_Registrar, NULL, CLSCTX_INPROC_SERVER, IID_IRegistrar,
                                  reinterpret_cast<void**>(&pRegistrar))))
        AppMessageBox(
            "FATAL ERROR: The ATL.Registrar component is not installed on your system. Copy the ATL.DLL "
            "file to the Windows System directory and register it.",
            MB_ICONSTOP, NULL);
    HRESULT hr = _Module.RegisterServer(TRUE);
    if (pRegistrar != NULL)
        pRegistrar->Release();
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    return hr;
}

STDAPI DllUnregisterServer()
{
    return _Module.UnregisterServer(TRUE);
}

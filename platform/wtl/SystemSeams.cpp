// The system calls whose effect a test cannot observe, reached through replaceable pointers.
#include "SystemSeams.h"

#include <mmsystem.h>

static HWND WINAPI CallHtmlHelp(HWND hWndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData)
{
    typedef HWND(WINAPI * PFNHTMLHELPA)(HWND, LPCSTR, UINT, DWORD_PTR);
    static PFNHTMLHELPA s_pfn = [] {
        HMODULE hModule = ::LoadLibraryA("hhctrl.ocx");
        return hModule ? (PFNHTMLHELPA)::GetProcAddress(hModule, "HtmlHelpA") : (PFNHTMLHELPA)NULL;
    }();
    return s_pfn ? s_pfn(hWndCaller, pszFile, uCommand, dwData) : NULL;
}

static HRESULT CallPrintDocument(IDispatch* pComponent, bool bWithUserInterface)
{
    if (pComponent == NULL)
        return E_POINTER;
    OLECHAR szName[] = L"PrintDocument";
    LPOLESTR pszName = szName;
    DISPID dispid = 0;
    HRESULT hr = pComponent->GetIDsOfNames(IID_NULL, &pszName, 1, LOCALE_USER_DEFAULT, &dispid);
    if (FAILED(hr))
        return hr;
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_BOOL;
    arg.boolVal = bWithUserInterface ? VARIANT_TRUE : VARIANT_FALSE;
    DISPPARAMS params = {&arg, NULL, 1, 0};
    return pComponent->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, NULL, NULL,
                              NULL);
}

BOOL(WINAPI* CSystemSeams::NotifyIcon)(DWORD, PNOTIFYICONDATAA) = ::Shell_NotifyIconA;
BOOL(WINAPI* CSystemSeams::PlaySoundFile)(LPCSTR, HMODULE, DWORD) = ::PlaySoundA;
HINSTANCE(WINAPI* CSystemSeams::ShellExecuteFile)
(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = ::ShellExecuteA;
HWND(WINAPI* CSystemSeams::ShowHtmlHelp)(HWND, LPCSTR, UINT, DWORD_PTR) = CallHtmlHelp;
HRESULT (*CSystemSeams::PrintDocument)(IDispatch*, bool) = CallPrintDocument;

// The system calls whose effect a test cannot observe (tray icon, sounds, shell execution, HTML Help,
// printing); the program calls them through these pointers so that tests can put recorders in their place.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <shellapi.h>

// The names differ from the system functions' own, which the system headers turn into macros.
struct CSystemSeams
{
    static BOOL(WINAPI* NotifyIcon)(DWORD dwMessage, PNOTIFYICONDATAA pData);
    static BOOL(WINAPI* PlaySoundFile)(LPCSTR pszSound, HMODULE hModule, DWORD dwFlags);
    static HINSTANCE(WINAPI* ShellExecuteFile)(HWND hWnd, LPCSTR pszVerb, LPCSTR pszFile,
                                               LPCSTR pszParameters, LPCSTR pszDirectory, INT nShowCmd);
    // The HtmlHelpA entry of the HTML Help library, once the caller has found it.
    static HWND(WINAPI* ShowHtmlHelp)(HWND hWndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);
    // Prints the document loaded in an editing or browsing component: calls its "PrintDocument" method
    // with the with-user-interface flag.
    static HRESULT (*PrintDocument)(IDispatch* pComponent, bool bWithUserInterface);
};

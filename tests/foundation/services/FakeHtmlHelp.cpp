// A stand-in for the HTML Help control that records the last call, so tests can see what a pop-up showed.
#include <windows.h>

#include <htmlhelp.h>
#include <string.h>

#include "tests/foundation/services/FakeHtmlHelp.h"

namespace
{
FakeHtmlHelpCall g_lastCall;
}

extern "C" HWND WINAPI HtmlHelpA(HWND hWndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData)
{
    int nCalls = g_lastCall.nCalls;
    memset(&g_lastCall, 0, sizeof(g_lastCall));
    g_lastCall.nCalls = nCalls + 1;
    g_lastCall.hWndCaller = hWndCaller;
    g_lastCall.bFile = pszFile != NULL;
    g_lastCall.uCommand = uCommand;
    if (uCommand == HH_DISPLAY_TEXT_POPUP && dwData != 0)
    {
        const HH_POPUP* pPopup = (const HH_POPUP*)dwData;
        g_lastCall.cbStruct = pPopup->cbStruct;
        lstrcpynA(g_lastCall.szText, pPopup->pszText ? pPopup->pszText : "", sizeof(g_lastCall.szText));
        g_lastCall.pt = pPopup->pt;
        g_lastCall.clrForeground = pPopup->clrForeground;
        g_lastCall.clrBackground = pPopup->clrBackground;
        g_lastCall.rcMargins = pPopup->rcMargins;
        g_lastCall.bFont = pPopup->pszFont != NULL;
    }
    return (HWND)(INT_PTR)1;
}

extern "C" const FakeHtmlHelpCall* WINAPI LastHtmlHelpCall()
{
    return &g_lastCall;
}

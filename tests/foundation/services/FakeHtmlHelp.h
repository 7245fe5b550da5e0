// What the stand-in HTML Help control recorded of its last call.
#pragma once

#include <windows.h>

struct FakeHtmlHelpCall
{
    int nCalls;
    HWND hWndCaller;
    BOOL bFile;
    UINT uCommand;
    UINT cbStruct;
    char szText[512];
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    BOOL bFont;
};

typedef const FakeHtmlHelpCall*(WINAPI* LastHtmlHelpCallProc)();

// Stand-in for the application core's splash window: a plain popup that names the database being opened.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CSplashWnd
{
public:
    explicit CSplashWnd(const char* pszText);
    ~CSplashWnd();

    BOOL Create();

    HWND m_hWnd;
    CString m_strText;
};

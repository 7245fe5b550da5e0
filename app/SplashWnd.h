// The small window shown while a database is being opened: a bitmap and, under it, which database it is.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CSplashWnd
{
public:
    // The text is the kind of the database, such as "Accounts".
    explicit CSplashWnd(const char* pszText);
    ~CSplashWnd();

    // Creates, shows and paints the window at once: the opening that follows does not pump messages.
    BOOL Create();

    HWND m_hWnd;
    CString m_strText;
    HBITMAP m_hBitmap;
    int m_cxBitmap;
    int m_cyBitmap;

private:
    CSplashWnd(const CSplashWnd&);
    CSplashWnd& operator=(const CSplashWnd&);

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
};

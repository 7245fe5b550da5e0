// The splash window of the database opening.
#include "app/SplashWnd.h"

#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "resources/resource.h"

namespace
{
const char kSplashClass[] = "LetrovaSplashWnd";
const int kTextHeight = 80;
} // namespace

CSplashWnd::CSplashWnd(const char* pszText)
    : m_hWnd(NULL), m_strText(pszText), m_hBitmap(NULL), m_cxBitmap(0), m_cyBitmap(0)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCSplashWnd()");
}

CSplashWnd::~CSplashWnd()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CSplashWnd()");
    if (m_hWnd != NULL)
        ::DestroyWindow(m_hWnd);
    if (m_hBitmap != NULL)
        ::DeleteObject(m_hBitmap);
}

BOOL CSplashWnd::Create()
{
    HINSTANCE hInstance = GetResourceModule();
    m_hBitmap = ::LoadBitmapA(hInstance, MAKEINTRESOURCEA(IDB_SPLASH));
    BITMAP bitmap = {};
    if (m_hBitmap != NULL && ::GetObjectA(m_hBitmap, sizeof(bitmap), &bitmap) != 0)
    {
        m_cxBitmap = bitmap.bmWidth;
        m_cyBitmap = bitmap.bmHeight;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kSplashClass;
    ::RegisterClassA(&wc); // a second registration fails harmlessly

    RECT rc = {0, 0, m_cxBitmap, m_cyBitmap + kTextHeight};
    m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP | WS_BORDER, rc.left, rc.top,
                               rc.right - rc.left, rc.bottom - rc.top, ::GetDesktopWindow(), NULL, hInstance,
                               this);
    if (m_hWnd == NULL)
        return FALSE;
    RECT rcWork = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    RECT rcWindow = {};
    ::GetWindowRect(m_hWnd, &rcWindow);
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    ::SetWindowPos(m_hWnd, NULL, rcWork.left + (rcWork.right - rcWork.left - cx) / 2,
                   rcWork.top + (rcWork.bottom - rcWork.top - cy) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
    return TRUE;
}

LRESULT CALLBACK CSplashWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE)
    {
        CREATESTRUCTA* pCreate = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    CSplashWnd* pThis = reinterpret_cast<CSplashWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (uMsg == WM_PAINT && pThis != NULL)
    {
        pThis->m_hWnd = hWnd;
        pThis->OnPaint();
        return 0;
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void CSplashWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    try
    {
        if (m_hBitmap != NULL)
        {
            HDC hdcBitmap = ::CreateCompatibleDC(hdc);
            HGDIOBJ hOld = ::SelectObject(hdcBitmap, m_hBitmap);
            ::BitBlt(hdc, 0, 0, m_cxBitmap, m_cyBitmap, hdcBitmap, 0, 0, SRCCOPY);
            ::SelectObject(hdcBitmap, hOld);
            ::DeleteDC(hdcBitmap);
        }
        CString strFormat;
        strFormat.LoadString(IDS_SPLASH_TEXT);
        CString strText;
        strText.Format(strFormat, m_strText.GetString());
        HFONT hFont =
            ::CreateFontA(10, 6, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
        HGDIOBJ hOldFont = ::SelectObject(hdc, hFont);
        ::SetBkMode(hdc, TRANSPARENT);
        RECT rcText = {10, m_cyBitmap + 10, m_cxBitmap - 10, m_cyBitmap + kTextHeight};
        ::DrawTextA(hdc, strText, -1, &rcText, DT_CENTER);
        ::SelectObject(hdc, hOldFont);
        ::DeleteObject(hFont);
    }
    catch (...)
    {
    }
    ::EndPaint(m_hWnd, &ps);
}

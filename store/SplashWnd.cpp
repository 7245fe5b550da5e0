// Stand-in for the application core's splash window.
#include "store/SplashWnd.h"

#include "foundation/TraceFile.h"

static const char kSplashClass[] = "OrbStoreSplash";

static LRESULT CALLBACK SplashProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        RECT rc;
        GetClientRect(hWnd, &rc);
        char sz[MAX_PATH * 2];
        GetWindowTextA(hWnd, sz, sizeof(sz));
        DrawTextA(hdc, sz, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS);
        EndPaint(hWnd, &ps);
        return 0;
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

CSplashWnd::CSplashWnd(const char* pszText) : m_hWnd(NULL), m_strText(pszText)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCSplashWnd()");
}

CSplashWnd::~CSplashWnd()
{
    if (m_hWnd != NULL)
        DestroyWindow(m_hWnd);
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CSplashWnd()");
}

BOOL CSplashWnd::Create()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SplashProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kSplashClass;
    RegisterClassA(&wc); // fails harmlessly when already registered
    int cx = 400, cy = 80;
    m_hWnd =
        CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, m_strText, WS_POPUP | WS_BORDER,
                        (GetSystemMetrics(SM_CXSCREEN) - cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - cy) / 2,
                        cx, cy, NULL, NULL, wc.hInstance, NULL);
    if (m_hWnd == NULL)
        return FALSE;
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hWnd);
    return TRUE;
}

// Out-of-line parts of the window templates: thunks, class registration, the exception hook.
#include "atlwin.h"

#include <stdio.h>
#include <string.h>

#include <atomic>

namespace ATL
{

RECT CWindow::rcDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

// ---------------------------------------------------------------------------------------------------------

static std::atomic<ATL_MSGMAP_EXCEPTION_HOOK> s_pfnMsgMapExceptionHook(nullptr);

ATL_MSGMAP_EXCEPTION_HOOK AtlSetMsgMapExceptionHook(ATL_MSGMAP_EXCEPTION_HOOK pfnHook)
{
    return s_pfnMsgMapExceptionHook.exchange(pfnHook);
}

void AtlHandleMsgMapException(const char* pszClassName) noexcept
{
    ATL_MSGMAP_EXCEPTION_HOOK pfnHook = s_pfnMsgMapExceptionHook.load();
    try
    {
        if (pfnHook != NULL)
        {
            pfnHook(pszClassName);
            return;
        }
    }
    catch (...)
    {
        // A hook that fails falls back to the built-in report.
    }
    char szText[300];
    snprintf(szText, sizeof(szText), "Unhandled exception!!!\r\n%s", pszClassName ? pszClassName : "");
    ::MessageBoxA(NULL, szText, "", MB_OK);
}

// ---------------------------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------------------------

static HANDLE ThunkHeap()
{
    static HANDLE s_hHeap = ::HeapCreate(HEAP_CREATE_ENABLE_EXECUTE, 0, 0);
    return s_hHeap;
}

CWndProcThunk::~CWndProcThunk()
{
    if (m_pCode != NULL)
        ::HeapFree(ThunkHeap(), 0, m_pCode);
}

BOOL CWndProcThunk::Init(WNDPROC proc, void* pThis)
{
    if (m_pCode == NULL)
        m_pCode = ::HeapAlloc(ThunkHeap(), 0, 32);
    if (m_pCode == NULL)
        return FALSE;
    unsigned char* p = (unsigned char*)m_pCode;
#if defined(_M_X64) || defined(__x86_64__)
    // mov rcx, pThis; mov rax, proc; jmp rax
    p[0] = 0x48;
    p[1] = 0xB9;
    memcpy(p + 2, &pThis, 8);
    p[10] = 0x48;
    p[11] = 0xB8;
    memcpy(p + 12, &proc, 8);
    p[20] = 0xFF;
    p[21] = 0xE0;
#elif defined(_M_IX86) || defined(__i386__)
    // mov dword ptr [esp+4], pThis; jmp proc
    p[0] = 0xC7;
    p[1] = 0x44;
    p[2] = 0x24;
    p[3] = 0x04;
    memcpy(p + 4, &pThis, 4);
    p[8] = 0xE9;
    DWORD dwRel = (DWORD)((INT_PTR)proc - ((INT_PTR)p + 13));
    memcpy(p + 9, &dwRel, 4);
#else
#error "no window thunk for this processor"
#endif
    ::FlushInstructionCache(::GetCurrentProcess(), m_pCode, 32);
    return TRUE;
}

static thread_local void* t_pCreatingWindow = NULL;

void AtlSetCreatingWindow(void* pThis)
{
    t_pCreatingWindow = pThis;
}

void* AtlTakeCreatingWindow()
{
    void* p = t_pCreatingWindow;
    t_pCreatingWindow = NULL;
    return p;
}

// ---------------------------------------------------------------------------------------------------------

static CRITICAL_SECTION* ClassLock()
{
    static CRITICAL_SECTION* s_pLock = [] {
        CRITICAL_SECTION* p = new CRITICAL_SECTION;
        ::InitializeCriticalSection(p);
        return p;
    }();
    return s_pLock;
}

ATOM CWndClassInfo::Register(WNDPROC* pProc)
{
    if (m_atom == 0)
    {
        ::EnterCriticalSection(ClassLock());
        if (m_atom == 0)
        {
            HINSTANCE hInst = AtlGetResourceInstance();
            if (m_lpszOrigName != NULL)
            {
                WNDCLASSEXA wcOrig = {sizeof(WNDCLASSEXA)};
                if (!::GetClassInfoExA(NULL, m_lpszOrigName, &wcOrig) &&
                    !::GetClassInfoExA(hInst, m_lpszOrigName, &wcOrig))
                {
                    ::LeaveCriticalSection(ClassLock());
                    return 0;
                }
                pWndProc = wcOrig.lpfnWndProc;
                LPCSTR lpszName = m_wc.lpszClassName;
                WNDPROC pStart = m_wc.lpfnWndProc;
                m_wc = wcOrig;
                m_wc.cbSize = sizeof(WNDCLASSEXA);
                m_wc.lpszClassName = lpszName;
                m_wc.lpfnWndProc = pStart;
                m_wc.style &= ~CS_GLOBALCLASS;
            }
            else
            {
                m_wc.hCursor = ::LoadCursorA(m_bSystemCursor ? NULL : hInst, m_lpszCursorID);
            }
            m_wc.hInstance = hInst;
            if (m_wc.lpszClassName == NULL)
            {
                snprintf(m_szAutoName, sizeof(m_szAutoName), "ATL:%p", (void*)this);
                m_wc.lpszClassName = m_szAutoName;
            }
            ATOM atom = ::RegisterClassExA(&m_wc);
            if (atom == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
            {
                WNDCLASSEXA wcExisting = {sizeof(WNDCLASSEXA)};
                atom = (ATOM)::GetClassInfoExA(hInst, m_wc.lpszClassName, &wcExisting);
            }
            m_atom = atom;
        }
        ::LeaveCriticalSection(ClassLock());
    }
    if (m_lpszOrigName != NULL && pProc != NULL)
        *pProc = pWndProc;
    return m_atom;
}

// ---------------------------------------------------------------------------------------------------------

bool AtlIsControlNotification(UINT uMsg)
{
    switch (uMsg)
    {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_PARENTNOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

HWND AtlGetReflectionTarget(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_COMMAND:
        return (HWND)lParam;
    case WM_NOTIFY:
        return ((LPNMHDR)lParam)->hwndFrom;
    case WM_PARENTNOTIFY:
        switch (LOWORD(wParam))
        {
        case WM_CREATE:
        case WM_DESTROY:
            return (HWND)lParam;
        default:
            return ::GetDlgItem(hWndParent, HIWORD(wParam));
        }
    case WM_DRAWITEM:
        return wParam ? ((LPDRAWITEMSTRUCT)lParam)->hwndItem : NULL;
    case WM_MEASUREITEM:
        return wParam ? ::GetDlgItem(hWndParent, ((LPMEASUREITEMSTRUCT)lParam)->CtlID) : NULL;
    case WM_COMPAREITEM:
        return wParam ? ((LPCOMPAREITEMSTRUCT)lParam)->hwndItem : NULL;
    case WM_DELETEITEM:
        return wParam ? ((LPDELETEITEMSTRUCT)lParam)->hwndItem : NULL;
    default:
        // The scroll, key-to-item and colour messages carry the control's handle in lParam.
        return AtlIsControlNotification(uMsg) ? (HWND)lParam : NULL;
    }
}

// ---------------------------------------------------------------------------------------------------------

BOOL CWindow::CenterWindow(HWND hWndCenter)
{
    DWORD dwStyle = GetStyle();
    if (hWndCenter == NULL)
        hWndCenter = (dwStyle & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    RECT rcArea;
    RECT rcCenter;
    if (!(dwStyle & WS_CHILD))
    {
        if (hWndCenter != NULL && (!::IsWindowVisible(hWndCenter) || ::IsIconic(hWndCenter)))
            hWndCenter = NULL;
        MONITORINFO mi = {sizeof(MONITORINFO)};
        HMONITOR hMonitor = ::MonitorFromWindow(hWndCenter ? hWndCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
        ::GetMonitorInfoA(hMonitor, &mi);
        rcArea = mi.rcWork;
        if (hWndCenter == NULL)
            rcCenter = rcArea;
        else
            ::GetWindowRect(hWndCenter, &rcCenter);
    }
    else
    {
        HWND hWndParent = ::GetParent(m_hWnd);
        ::GetClientRect(hWndParent, &rcArea);
        ::GetClientRect(hWndCenter, &rcCenter);
        ::MapWindowPoints(hWndCenter, hWndParent, (LPPOINT)&rcCenter, 2);
    }
    int cx = rcDlg.right - rcDlg.left;
    int cy = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    if (x + cx > rcArea.right)
        x = rcArea.right - cx;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + cy > rcArea.bottom)
        y = rcArea.bottom - cy;
    if (y < rcArea.top)
        y = rcArea.top;
    return ::SetWindowPos(m_hWnd, NULL, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CWindow::GetTopLevelParent() const
{
    HWND hWndParent = m_hWnd;
    HWND hWndTmp;
    while ((hWndTmp = (::GetWindowLongPtrA(hWndParent, GWL_STYLE) & WS_CHILD) ? ::GetParent(hWndParent)
                                                                              : NULL) != NULL)
        hWndParent = hWndTmp;
    return hWndParent;
}

HWND CWindow::GetTopLevelWindow() const
{
    HWND hWndParent = m_hWnd;
    HWND hWndTmp;
    while ((hWndTmp = ::GetParent(hWndParent)) != NULL)
        hWndParent = hWndTmp;
    return hWndParent;
}

} // namespace ATL

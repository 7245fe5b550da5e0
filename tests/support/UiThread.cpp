// Runs a window or dialog on a UI thread of its own, with its own message loop, for window tests.
#include "tests/support/UiThread.h"

static const char s_szInvokeClass[] = "OrbTestInvokeWindow";

CUiThread::CUiThread(CAppModule& module) : m_module(module)
{
    m_hStarted = ::CreateEventA(NULL, TRUE, FALSE, NULL);
}

BOOL CALLBACK CUiThread::CancelWindow(HWND hWnd, LPARAM)
{
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32768") == 0)
        ::PostMessageA(hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    else if (lstrcmpA(szClass, "#32770") == 0)
        ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    else if (::IsWindowVisible(hWnd))
        ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

CUiThread::~CUiThread()
{
    if (m_hThread != NULL)
    {
        if (::WaitForSingleObject(m_hThread, 0) == WAIT_TIMEOUT)
        {
            PostQuit();
            // A test that failed half-way may leave a modal dialog or menu open, whose loop ignores the
            // quit; cancel what the thread shows so that it ends before this object goes away.
            for (int nTry = 0; nTry < 5 && ::WaitForSingleObject(m_hThread, 1000) == WAIT_TIMEOUT; nTry++)
                ::EnumThreadWindows(m_dwThreadId, CancelWindow, 0);
            ::WaitForSingleObject(m_hThread, 10000);
        }
        ::CloseHandle(m_hThread);
    }
    ::CloseHandle(m_hStarted);
    if (m_hIdle != NULL)
        ::CloseHandle(m_hIdle);
}

HWND CUiThread::Start(std::function<HWND()> create, DWORD dwTimeoutMs)
{
    m_create = std::move(create);
    Launch();
    if (::WaitForSingleObject(m_hStarted, dwTimeoutMs) != WAIT_OBJECT_0)
        return NULL;
    return m_hWndCreated;
}

void CUiThread::Run(std::function<void()> body)
{
    m_body = std::move(body);
    Launch();
    ::WaitForSingleObject(m_hStarted, 10000);
}

void CUiThread::Launch()
{
    // A second run on the same object: the first thread's handle is no longer needed.
    if (m_hThread != NULL)
        ::CloseHandle(m_hThread);
    ::ResetEvent(m_hStarted);
    m_hThread = ::CreateThread(NULL, 0, ThreadProc, this, 0, &m_dwThreadId);
}

bool CUiThread::Invoke(std::function<void()> fn, DWORD dwTimeoutMs)
{
    if (m_hWndInvoke == NULL)
        return false;
    DWORD_PTR dwResult = 0;
    // A sent message is delivered even inside a modal loop, unlike a posted thread message.
    return ::SendMessageTimeoutA(m_hWndInvoke, WM_APP, 0, (LPARAM)&fn, SMTO_NORMAL, dwTimeoutMs, &dwResult) !=
               0 &&
           dwResult == 1;
}

bool CUiThread::WaitUntilIdle(DWORD dwTimeoutMs)
{
    if (m_hWndInvoke == NULL)
        return false;
    if (m_hIdle == NULL)
    {
        m_hIdle = ::CreateEventA(NULL, TRUE, FALSE, NULL);
        HANDLE hIdle = m_hIdle;
        m_idle = [hIdle]() { ::SetEvent(hIdle); };
    }
    ::ResetEvent(m_hIdle);
    return ::PostMessageA(m_hWndInvoke, WM_APP, 0, (LPARAM)&m_idle) &&
           ::WaitForSingleObject(m_hIdle, dwTimeoutMs) == WAIT_OBJECT_0;
}

LRESULT CALLBACK CUiThread::InvokeWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_APP)
    {
        try
        {
            (*(std::function<void()>*)lParam)();
            return 1;
        }
        catch (...)
        {
            return 0;
        }
    }
    return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

void CUiThread::PostQuit()
{
    ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
}

bool CUiThread::WaitForExit(DWORD dwTimeoutMs)
{
    return m_hThread != NULL && ::WaitForSingleObject(m_hThread, dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI CUiThread::ThreadProc(LPVOID pParam)
{
    CUiThread* pThis = (CUiThread*)pParam;
    ::OleInitialize(NULL);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = InvokeWndProc;
    wc.hInstance = ::GetModuleHandleA(NULL);
    wc.lpszClassName = s_szInvokeClass;
    ::RegisterClassA(&wc);
    pThis->m_hWndInvoke =
        ::CreateWindowExA(0, s_szInvokeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    if (pThis->m_body)
    {
        ::SetEvent(pThis->m_hStarted);
        try
        {
            pThis->m_body();
        }
        catch (...)
        {
            // The test sees the missing result; the process must not end here.
        }
    }
    else
    {
        CMessageLoop theLoop;
        pThis->m_module.AddMessageLoop(&theLoop);
        try
        {
            pThis->m_hWndCreated = pThis->m_create();
        }
        catch (...)
        {
            pThis->m_hWndCreated = NULL;
        }
        ::SetEvent(pThis->m_hStarted);
        if (pThis->m_hWndCreated != NULL)
            pThis->m_nExitCode = theLoop.Run();
        pThis->m_module.RemoveMessageLoop();
    }
    ::DestroyWindow(pThis->m_hWndInvoke);
    ::OleUninitialize();
    return 0;
}

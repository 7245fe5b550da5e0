// Runs a window or dialog on a UI thread of its own, with its own message loop, for window tests.
#pragma once

#include <windows.h>

#include <atlapp.h>

#include <functional>

class CUiThread
{
public:
    explicit CUiThread(CAppModule& module);
    // Ends the loop if it still runs and waits for the thread.
    ~CUiThread();
    CUiThread(const CUiThread&) = delete;
    CUiThread& operator=(const CUiThread&) = delete;

    // Calls create on the new thread, then runs a CMessageLoop registered with the module until WM_QUIT.
    // Returns what create returned; NULL when it failed (the thread then ends without a loop).
    HWND Start(std::function<HWND()> create, DWORD dwTimeoutMs = 30000);
    // Runs body on the new thread with no loop of ours (for example a modal dialog); returns at once.
    void Run(std::function<void()> body);

    // Runs fn on the UI thread and waits for it; works while that thread sits in a modal loop.
    bool Invoke(std::function<void()> fn, DWORD dwTimeoutMs = 30000);

    // Waits until the thread's message loop (its own or a modal one) takes a message posted now: whatever the
    // thread was doing, such as initialising a dialog, has finished. Sent messages cannot tell, since a
    // thread serves them while it waits inside a call.
    bool WaitUntilIdle(DWORD dwTimeoutMs = 30000);

    DWORD ThreadId() const { return m_dwThreadId; }
    void PostQuit();
    // True once the thread has ended (for example after its frame posted WM_QUIT).
    bool WaitForExit(DWORD dwTimeoutMs = 30000);
    // The loop's return value: the WM_QUIT exit code.
    int ExitCode() const { return m_nExitCode; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);
    static BOOL CALLBACK CancelWindow(HWND hWnd, LPARAM);
    static LRESULT CALLBACK InvokeWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Launch();

    CAppModule& m_module;
    HANDLE m_hThread = NULL;
    DWORD m_dwThreadId = 0;
    HANDLE m_hStarted = NULL;
    HWND m_hWndInvoke = NULL;
    HWND m_hWndCreated = NULL;
    std::function<HWND()> m_create;
    std::function<void()> m_body;
    int m_nExitCode = 0;
    std::function<void()> m_idle;
    HANDLE m_hIdle = NULL;
};

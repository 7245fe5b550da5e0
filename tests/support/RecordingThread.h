// A thread that stands in for the thread manager: it records every WM_USER command posted to it.
#pragma once

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

class CRecordingThread
{
public:
    struct Command
    {
        WPARAM wParam;
        LPARAM lParam;
    };

    CRecordingThread();
    ~CRecordingThread();
    CRecordingThread(const CRecordingThread&) = delete;
    CRecordingThread& operator=(const CRecordingThread&) = delete;

    // Give this to frames as the manager's thread id.
    DWORD ThreadId() const { return m_dwThreadId; }
    std::vector<Command> Commands() const;
    // Waits until a command with this wParam has arrived; true when it did within the time.
    bool WaitForCommand(WPARAM wParam, DWORD dwTimeoutMs = 20000, Command* pFound = NULL) const;

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    HANDLE m_hThread = NULL;
    DWORD m_dwThreadId = 0;
    HANDLE m_hReady = NULL;
    mutable std::mutex m_lock;
    std::vector<Command> m_commands;
};

// A thread that stands in for the thread manager: it records every WM_USER command posted to it.
#include "tests/support/RecordingThread.h"

#include "tests/support/WindowReaders.h"

CRecordingThread::CRecordingThread()
{
    m_hReady = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    m_hThread = ::CreateThread(NULL, 0, ThreadProc, this, 0, &m_dwThreadId);
    ::WaitForSingleObject(m_hReady, 10000);
}

CRecordingThread::~CRecordingThread()
{
    ::PostThreadMessageA(m_dwThreadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(m_hThread, 10000);
    ::CloseHandle(m_hThread);
    ::CloseHandle(m_hReady);
}

std::vector<CRecordingThread::Command> CRecordingThread::Commands() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_commands;
}

bool CRecordingThread::WaitForCommand(WPARAM wParam, DWORD dwTimeoutMs, Command* pFound) const
{
    return WaitFor(
        [&] {
            std::lock_guard<std::mutex> guard(m_lock);
            for (const Command& command : m_commands)
            {
                if (command.wParam == wParam)
                {
                    if (pFound != NULL)
                        *pFound = command;
                    return true;
                }
            }
            return false;
        },
        dwTimeoutMs);
}

DWORD WINAPI CRecordingThread::ThreadProc(LPVOID pParam)
{
    CRecordingThread* pThis = (CRecordingThread*)pParam;
    MSG msg;
    // The queue must exist before anyone posts to the thread id.
    ::PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(pThis->m_hReady);
    while (::GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        if (msg.hwnd == NULL && msg.message == WM_USER)
        {
            std::lock_guard<std::mutex> guard(pThis->m_lock);
            pThis->m_commands.push_back({msg.wParam, msg.lParam});
        }
    }
    return 0;
}
